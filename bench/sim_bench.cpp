// The simulated instrument: command throughput for short set commands and
// queries (in process, and through the line assembler), and the round trip of
// a ":SETUP:DSO?" query over loopback TCP with a raw socket and no pacing,
// against a minimal server answering the same bytes.
#if QX_HAVE_SIM
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "sim/instrument.h"
#include "sim/server.h"

namespace {

void BM_SimSetCommand(benchmark::State& state) {
  qxsim::Instrument in;
  const char* lines[] = {":CHANNEL1:SCALE 0.500000", ":CHANNEL1:SCALE 0.200000"};
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(in.Run(lines[i++ & 1]));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SimSetCommand);

void BM_SimQuery(benchmark::State& state) {
  qxsim::Instrument in;
  for (auto _ : state) benchmark::DoNotOptimize(in.Execute(":TRIG:EDGE:LEV?"));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SimQuery);

// A burst of terminated lines as the LAN delivers them.
void BM_SimFeedBurst(benchmark::State& state) {
  qxsim::Instrument in;
  std::string burst;
  for (int i = 0; i < 100; ++i) burst += std::string(":ACQUIRE:AVERAGES 16\r\0:ACQ:AVER?\r\0", 36);
  for (auto _ : state) benchmark::DoNotOptimize(in.Feed(burst));
  state.SetItemsProcessed(state.iterations() * 200);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(burst.size()));
}
BENCHMARK(BM_SimFeedBurst);

bool ReadAll(int fd, char* into, std::size_t n) {
  while (n > 0) {
    const ssize_t got = ::recv(fd, into, n, 0);
    if (got <= 0) return false;
    into += got;
    n -= static_cast<std::size_t>(got);
  }
  return true;
}

int ConnectTo(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (port > 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return fd;
  ::close(fd);
  return -1;
}

// The least a server can do for the same exchange: a thread that reads each
// 13-byte query and writes the same 784 bytes back, blocking, no parsing.
class EchoServer {
 public:
  explicit EchoServer(std::string reply) : reply_(std::move(reply)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(listener_, 1);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] {
      const int fd = ::accept(listener_, nullptr, nullptr);
      if (fd < 0) return;
      const int one = 1;
      ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      char query[13];
      while (ReadAll(fd, query, sizeof query) &&
             ::send(fd, reply_.data(), reply_.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(reply_.size())) {
      }
      ::close(fd);
    });
  }
  ~EchoServer() {
    ::shutdown(listener_, SHUT_RDWR);
    thread_.join();
    ::close(listener_);
  }
  int Port() const { return port_; }

 private:
  std::string reply_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

// One ":SETUP:DSO?" round trip on a connected socket; false when the link failed.
bool SetupRoundTrip(int fd) {
  static const std::string query(":SETUP:DSO?\r\0", 13);
  char reply[4 + 780];
  return ::send(fd, query.data(), query.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(query.size()) &&
         ReadAll(fd, reply, sizeof reply);
}

// The ":SETUP:DSO?" round trip against qxsim and against the echo server:
// the same client and the same bytes, alternating in runs of a few trips so
// both see the same machine. Every trip is timed and each figure is the
// median trip, so the moments a busy machine holds up one thread weigh on
// neither. "ratio" is qxsim's time over the echo server's.
void BM_SimSetupRoundTripRatio(benchmark::State& state) {
  qxsim::Instrument in;
  qxsim::Server server(in);
  EchoServer echo(qxsim::FrameLanReply(*in.Execute(":SETUP:DSO?"), 0));
  const int sim = ConnectTo(server.Start("127.0.0.1", 0)), bare = ConnectTo(echo.Port());
  if (sim < 0 || bare < 0) state.SkipWithError("cannot reach a server");
  using Clock = std::chrono::steady_clock;
  constexpr int kRun = 10;
  std::vector<double> simUs, echoUs;
  for (auto _ : state) {
    bool ok = true;
    for (const auto& [fd, times] : {std::pair{sim, &simUs}, std::pair{bare, &echoUs}}) {
      for (int i = 0; i < kRun && ok; ++i) {
        const auto begin = Clock::now();
        ok = SetupRoundTrip(fd);
        times->push_back(std::chrono::duration<double, std::micro>(Clock::now() - begin).count());
      }
    }
    if (!ok) {
      state.SkipWithError("link failed");
      break;
    }
  }
  const auto median = [](std::vector<double>& v) {
    if (v.empty()) return 0.0;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
  };
  const double simMedian = median(simUs), echoMedian = median(echoUs);
  state.counters["qxsim_us"] = simMedian;
  state.counters["echo_us"] = echoMedian;
  state.counters["ratio"] = simMedian / std::max(echoMedian, 1e-9);
  ::close(sim);
  ::close(bare);
}
BENCHMARK(BM_SimSetupRoundTripRatio)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace
#endif
