// The IO command queue: one command posted, taken and run, and a burst of
// 100 identical posts collapsing into one run. Heap allocations per
// iteration are reported as the "allocs" counter; the target is zero.
#include <benchmark/benchmark.h>

#include "QxMsg.h"
#include "alloc_counter.h"

namespace {

struct Host {
  _QX_SETUP setup{};
  _QX_RGN_SETUP rgn{};
  _QX_POS_SETUP pos{};
  CWnd main;
  CWinSocket socket;  // not connected: the dispatch stays on the host side
  Host() { QxMsgInit(&main, &setup, &rgn, &pos, &socket); }
};

void ReportAllocs(benchmark::State& state, std::uint64_t before) {
  state.counters["allocs"] = benchmark::Counter(static_cast<double>(qxbench::AllocCount() - before),
                                                benchmark::Counter::kAvgIterations);
}

void BM_PostTakeProcess(benchmark::State& state) {
  Host host;
  const std::uint64_t before = qxbench::AllocCount();
  int type = 0;
  for (auto _ : state) {
    SetMsgVarInt(type++ & 1);
    QxPostIOCmd(CMD_ACQUIRE, CTL_ACQ_TYPE, 0, nullptr, nullptr, nullptr);
    benchmark::DoNotOptimize(GetIOCmd());
    IOCmdProcess();
  }
  ReportAllocs(state, before);
}
BENCHMARK(BM_PostTakeProcess);

void BM_BurstOf100Collapses(benchmark::State& state) {
  Host host;
  const std::uint64_t before = qxbench::AllocCount();
  for (auto _ : state) {
    for (int i = 0; i < 100; ++i) {
      SetMsgVarInt(i);
      QxPostIOCmd(CMD_ACQUIRE, CTL_ACQ_AVERAGES, 0, nullptr, nullptr, nullptr);
    }
    while (GetIOCmd() != 0) IOCmdProcess();
  }
  ReportAllocs(state, before);
  benchmark::DoNotOptimize(host.setup.AcqAverages);
}
BENCHMARK(BM_BurstOf100Collapses);

void BM_PostOnly(benchmark::State& state) {
  Host host;
  const std::uint64_t before = qxbench::AllocCount();
  for (auto _ : state) {
    QxPostIOCmd(CMD_ACQUIRE, CTL_ACQ_TYPE, 0, nullptr, nullptr, nullptr);
    GetIOCmd();
  }
  ReportAllocs(state, before);
}
BENCHMARK(BM_PostOnly);

}  // namespace
