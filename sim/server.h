// The instrument's LAN port: a TCP server on a thread of its own (Linux
// epoll) that assembles each client's lines, runs them on the shared
// instrument and sends every reply behind its 4-byte length prefix, with the
// faults the instrument is set to inject. Writes never block: a client that
// stops reading is dropped once its unsent replies exceed a bound, checked
// after every reply; each round reads a bounded share of every client's input.
// A single client with nothing unsent is waited for in its own recv, so its
// round trip costs one recv and one send; newcomers and Stop are seen within
// a few milliseconds all the same.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "sim/instrument.h"

namespace qxsim {

struct ServerOptions {
  std::size_t maxPendingBytes = 1 << 20;  // unsent reply bytes a client may accumulate
  int maxClients = 32;                    // further connections are closed at once, with a trace line
};

// Input read from one client per round of the server.
constexpr std::size_t kReadPerRound = 4096;

struct ServerStats {
  std::uint64_t accepted = 0;
  std::uint64_t closed = 0;   // connections ended, for any reason
  std::uint64_t dropped = 0;  // of them: a client that stopped reading, or a drop fault
  std::uint64_t refused = 0;  // connections beyond maxClients
};

class Server {
 public:
  explicit Server(Instrument& instrument, ServerOptions options = {});
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // One line of trace per event (connection, line received, reply sent,
  // refusal), stamped with the seconds since Start. Set before Start.
  using TraceSink = std::function<void(const std::string&)>;
  void SetTrace(TraceSink sink);

  // Listens on host:port (port 0 picks a free one) and starts serving.
  // Returns the port listened on, or -1 (LastError says why).
  int Start(const std::string& host, int port);
  // Closes every connection and the port; waits for the thread.
  void Stop();
  bool Running() const { return thread_.joinable(); }
  int Port() const { return port_; }
  std::string LastError() const;
  ServerStats Stats() const;

 private:
  void Loop();
  void CloseDescriptors();  // the listener, the wake-up and epoll

  Instrument& instrument_;
  ServerOptions options_;
  TraceSink trace_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  int listenFd_ = -1;
  int wakeFd_ = -1;  // an eventfd: Stop's nudge to the thread
  int epollFd_ = -1;
  int port_ = -1;
  mutable std::mutex statsMutex_;
  ServerStats stats_;
  std::string error_;
};

// A byte string as trace text: printable ASCII as is, the rest as \xNN.
std::string EscapeBytes(std::string_view bytes);

}  // namespace qxsim
