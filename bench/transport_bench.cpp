// The send path: what one command costs in time and heap allocations when
// the instrument is absent, when the LAN link takes every byte at once, and
// for a whole dispatch with the read-back of the setup blocks.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "QxMsg.h"
#include "alloc_counter.h"
#include "setup/block_layout.h"

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

// An instrument that answers each setup query with its whole block at once.
class BlockSocket : public CWinSocket {
 public:
  int Send(const char* data, int length) override {
    const std::string_view line(data, static_cast<std::size_t>(length));
    for (const qx::layout::BlockTransfer& b : qx::layout::kBlocks)
      if (line.size() == std::strlen(b.query) + 2 && line.starts_with(b.query)) Frame(b.size);
    return length;
  }
  int Receive(char* buffer, int length) override {
    if (length == 0) return 0;
    if (at_ == end_) return -1;
    const int n = std::min(length, end_ - at_);
    std::memcpy(buffer, pending_ + at_, static_cast<std::size_t>(n));
    at_ += n;
    return n;
  }

 private:
  void Frame(int size) {
    std::memset(pending_, 0, sizeof pending_);
    pending_[0] = static_cast<char>(size & 0xFF);
    pending_[1] = static_cast<char>(size >> 8);
    at_ = 0;
    end_ = 4 + size;
  }
  char pending_[4 + 780];
  int at_ = 0, end_ = 0;
};

// A whole dispatch: post, take, run the acquire handler, send with the
// read-back of the three blocks, reconcile, notify. Nothing on the heap.
void BM_DispatchWithReadBack(benchmark::State& state) {
  static BlockSocket socket;
  g_setup = _QX_SETUP{};
  g_setup.Connected = 1;
  g_setup.InterfaceType = 1;
  QxMsgInit(nullptr, &g_setup, &g_rgn, &g_pos, &socket);
  QxSetSleepHook(&NoSleep);
  const std::uint64_t before = qxbench::AllocCount();
  for (auto _ : state) {
    SetMsgVarInt(16);
    QxPostIOCmd(CMD_ACQUIRE, CTL_ACQ_AVERAGES, 0, nullptr, nullptr, nullptr);
    GetIOCmd();
    IOCmdProcess();
  }
  ReportAllocs(state, before);
  state.counters["whole"] = QxGetLinkHealth().ReadBack[2] == QX_BLOCK_WHOLE;
  Release();
}
BENCHMARK(BM_DispatchWithReadBack);

}  // namespace
