// The simulated instrument: command parsing throughput for short set
// commands and queries (in process, and through the line assembler), and the
// round trip of a ":SETUP:DSO?" query over loopback TCP with a raw socket and
// no pacing.
#if QX_HAVE_SIM
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

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

void BM_SimSetupRoundTrip(benchmark::State& state) {
  qxsim::Instrument in;
  qxsim::Server server(in);
  const int port = server.Start("127.0.0.1", 0);
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (port < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    state.SkipWithError("cannot reach the simulator");
    ::close(fd);
    return;
  }
  const std::string query(":SETUP:DSO?\r\0", 13);
  char reply[4 + 780];
  for (auto _ : state) {
    if (::send(fd, query.data(), query.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(query.size()) ||
        !ReadAll(fd, reply, sizeof reply)) {
      state.SkipWithError("link failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(sizeof reply));
  ::close(fd);
}
BENCHMARK(BM_SimSetupRoundTrip)->UseRealTime();

}  // namespace
#endif
