// The send path: what one command costs in time and heap allocations when
// the instrument is absent, and when the LAN link takes every byte at once.
#include <benchmark/benchmark.h>

#include "QxMsg.h"
#include "alloc_counter.h"

namespace {

class NullSocket : public CWinSocket {
 public:
  int Send(const char*, int length) override { return length; }
  int Receive(char*, int length) override { return length == 0 ? 0 : -1; }
};

void NoSleep(DWORD) {}

_QX_SETUP g_setup;
_QX_RGN_SETUP g_rgn;
_QX_POS_SETUP g_pos;
NullSocket g_socket;

void UseLink(BYTE connected) {
  g_setup = _QX_SETUP{};
  g_setup.Connected = connected;
  g_setup.InterfaceType = 1;
  QxMsgInit(nullptr, &g_setup, &g_rgn, &g_pos, &g_socket);
  QxSetSleepHook(&NoSleep);  // the pacing pauses would be all there is to measure
}

void Release() {
  QxSetSleepHook(nullptr);
  QxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
}

void ReportAllocs(benchmark::State& state, std::uint64_t before) {
  state.counters["allocs"] = benchmark::Counter(static_cast<double>(qxbench::AllocCount() - before),
                                                benchmark::Counter::kAvgIterations);
}

void BM_SendCommandNotConnected(benchmark::State& state) {
  UseLink(0);
  CString cmd(":CHANNEL1:SCALE 0.500000");
  BYTE reply[256];
  const std::uint64_t before = qxbench::AllocCount();
  for (auto _ : state) SendCommand(&cmd, reply, true);
  ReportAllocs(state, before);
  Release();
}
BENCHMARK(BM_SendCommandNotConnected);

void BM_LanWriteCommand(benchmark::State& state) {
  UseLink(1);
  const CString cmd(":CHANNEL1:SCALE 0.500000");
  const std::uint64_t before = qxbench::AllocCount();
  for (auto _ : state) benchmark::DoNotOptimize(WriteCommand(cmd));
  ReportAllocs(state, before);
  Release();
}
BENCHMARK(BM_LanWriteCommand);

}  // namespace
