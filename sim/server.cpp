#include "sim/server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

#include "sim/scpi.h"

namespace qxsim {

namespace {

using Clock = std::chrono::steady_clock;

void SetNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

// A piece of reply bytes and the moment it may go out.
struct Piece {
  std::string bytes;
  Clock::time_point due;
};

struct Client {
  int fd = -1;
  int id = 0;
  scpi::LineAssembler lines;
  std::deque<Piece> out;
  std::size_t pending = 0;  // bytes in `out`
  Clock::time_point lastDue{};
  int served = 0;
  bool closing = false;  // no more input; close once `out` is sent
  bool dead = false;
};

std::string PeerName(int fd) {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  char host[NI_MAXHOST] = "?", port[NI_MAXSERV] = "?";
  if (::getpeername(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
    ::getnameinfo(reinterpret_cast<sockaddr*>(&addr), len, host, sizeof host, port, sizeof port,
                  NI_NUMERICHOST | NI_NUMERICSERV);
  return std::string(host) + ":" + port;
}

}  // namespace

std::string EscapeBytes(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out.push_back(static_cast<char>(c));
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

Server::Server(Instrument& instrument, ServerOptions options) : instrument_(instrument), options_(options) {}

Server::~Server() { Stop(); }

void Server::SetTrace(TraceSink sink) { trace_ = std::move(sink); }

std::string Server::LastError() const { return error_; }

ServerStats Server::Stats() const {
  std::lock_guard lock(statsMutex_);
  return stats_;
}

int Server::Start(const std::string& host, int port) {
  if (Running()) return port_;
  error_.clear();
  if (port < 0 || port > 65535) {
    error_ = "port out of range";
    return -1;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* list = nullptr;
  const std::string service = std::to_string(port);
  if (const int rc = ::getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &list);
      rc != 0) {
    error_ = std::string("cannot resolve ") + host + ": " + ::gai_strerror(rc);
    return -1;
  }
  for (const addrinfo* ai = list; ai && listenFd_ < 0; ai = ai->ai_next) {
    const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC, ai->ai_protocol);
    if (fd < 0) continue;
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd, ai->ai_addr, ai->ai_addrlen) == 0 && ::listen(fd, SOMAXCONN) == 0) {
      listenFd_ = fd;
    } else {
      error_ = std::string("cannot listen on ") + host + ":" + service + ": " + std::strerror(errno);
      ::close(fd);
    }
  }
  ::freeaddrinfo(list);
  if (listenFd_ < 0) return -1;
  SetNonBlocking(listenFd_);

  sockaddr_storage bound{};
  socklen_t len = sizeof bound;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&bound), &len);
  port_ = bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                                      : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
    error_ = std::string("cannot create a pipe: ") + std::strerror(errno);
    ::close(listenFd_);
    listenFd_ = -1;
    return -1;
  }
  wakeRead_ = pipeFds[0];
  wakeWrite_ = pipeFds[1];
  stop_ = false;
  thread_ = std::thread(&Server::Loop, this);
  return port_;
}

void Server::Stop() {
  if (!thread_.joinable()) return;
  stop_ = true;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &byte, 1);
  thread_.join();
  for (int* fd : {&listenFd_, &wakeRead_, &wakeWrite_}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
}

void Server::Loop() {
  const Clock::time_point start = Clock::now();
  // Trace text is built only while tracing: callers test `tracing` first.
  const bool tracing = static_cast<bool>(trace_);
  auto trace = [&](int id, const std::string& text) {
    if (!tracing) return;
    char stamp[48];
    const double t = std::chrono::duration<double>(Clock::now() - start).count();
    std::snprintf(stamp, sizeof stamp, "[%12.6f] #%d ", t, id);
    trace_(stamp + text);
  };
  auto count = [&](auto member) {
    std::lock_guard lock(statsMutex_);
    ++(stats_.*member);
  };

  std::vector<std::unique_ptr<Client>> clients;
  int nextId = 1;
  std::vector<pollfd> fds;
  // A round reads at most this much of one client, so a client that floods
  // the instrument never holds up the others for long.
  std::vector<char> buffer(kReadPerRound);

  auto closeClient = [&](Client& c, const char* why, bool dropped) {
    if (tracing) trace(c.id, std::string("closed: ") + why);
    ::close(c.fd);
    c.dead = true;
    count(&ServerStats::closed);
    if (dropped) count(&ServerStats::dropped);
  };

  // Frames a reply with the faults in force and queues it in pieces.
  auto queueReply = [&](Client& c, const std::string& payload) {
    const Faults f = instrument_.GetFaults();
    std::string framed = FrameLanReply(payload, f.prefixDelta);
    if (tracing)
      trace(c.id, "> [" + std::to_string(framed.size() - 4) + (f.prefixDelta ? " announced as " : "") +
                      (f.prefixDelta ? std::to_string(static_cast<long long>(payload.size()) + f.prefixDelta)
                                     : "") +
                      "] " + EscapeBytes(payload));
    Clock::time_point due =
        std::max(Clock::now() + std::chrono::milliseconds(std::max(f.replyDelayMs, 0)), c.lastDue);
    c.pending += framed.size();
    if (f.pieceBytes <= 0) {
      c.out.push_back({std::move(framed), due});
    } else {
      const auto step = static_cast<std::size_t>(f.pieceBytes);
      for (std::size_t at = 0; at < framed.size(); at += step) {
        if (at > 0) due += std::chrono::milliseconds(std::max(f.pieceGapMs, 0));
        c.out.push_back({framed.substr(at, step), due});
      }
    }
    c.lastDue = due;
  };

  // The output bound is checked after every reply: a client that sends
  // queries and never reads is cut off within one round.
  auto handleInput = [&](Client& c, std::string_view bytes) {
    c.lines.Push(bytes, [&](std::string_view line, bool overlong) {
      if (c.closing || c.pending > options_.maxPendingBytes) return;
      if (overlong) {
        instrument_.CountOverlong();
        trace(c.id, "! line over 4 KiB discarded");
        return;
      }
      if (tracing) trace(c.id, "< " + EscapeBytes(line));
      const Outcome outcome = instrument_.Run(line);
      if (tracing && !outcome.error.empty()) trace(c.id, "! " + std::string(outcome.error));
      if (outcome.reply) queueReply(c, *outcome.reply);
      if (scpi::Trim(line).empty()) return;
      const int dropAfter = instrument_.GetFaults().dropAfter;
      if (dropAfter > 0 && ++c.served >= dropAfter) c.closing = true;
    });
  };

  // Sends the pieces that are due; false when the connection failed.
  auto flush = [&](Client& c, Clock::time_point now) {
    while (!c.out.empty() && c.out.front().due <= now) {
      Piece& p = c.out.front();
      const ssize_t n = ::send(c.fd, p.bytes.data(), p.bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
      c.pending -= static_cast<std::size_t>(n);
      if (static_cast<std::size_t>(n) < p.bytes.size()) {
        p.bytes.erase(0, static_cast<std::size_t>(n));
        return true;
      }
      c.out.pop_front();
    }
    return true;
  };

  // One round for every client whose descriptor in `polled` (from `first`
  // on, in client order) reported something: input, output due, or an end.
  auto serve = [&](std::vector<pollfd>& polled, std::size_t first, bool reaping) {
    for (std::size_t i = 0; i < clients.size(); ++i) {
      Client& c = *clients[i];
      const short revents = polled[i + first].revents;
      if (revents & POLLIN) {
        const ssize_t n = ::recv(c.fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
        char next;
        if (n > 0) {
          handleInput(c, std::string_view(buffer.data(), static_cast<std::size_t>(n)));
          // Reaping, a peer that sent its last lines and left is noticed at once.
          if (reaping && static_cast<std::size_t>(n) < buffer.size() &&
              ::recv(c.fd, &next, 1, MSG_PEEK | MSG_DONTWAIT) == 0) {
            closeClient(c, "peer closed", false);
            continue;
          }
        } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
          closeClient(c, c.lines.Pending() ? "peer left mid-line" : "peer closed", false);
          continue;
        }
      } else if (revents & (POLLERR | POLLHUP | POLLNVAL)) {
        closeClient(c, "connection lost", false);
        continue;
      }
      if (c.pending > options_.maxPendingBytes) {
        closeClient(c, "client stopped reading", true);
      } else if (!flush(c, Clock::now())) {
        closeClient(c, c.out.empty() ? "connection lost" : "peer left mid-reply", false);
      } else if (c.closing && c.out.empty()) {
        closeClient(c, "dropped after the commands set by the fault", true);
      }
    }
    std::erase_if(clients, [](const auto& c) { return c->dead; });
  };

  // Before a newcomer is turned away for the limit, the clients that have
  // already gone are noticed: their input and their end are read now.
  auto reap = [&] {
    std::vector<pollfd> now;
    for (const auto& c : clients) now.push_back({c->fd, static_cast<short>(c->closing ? 0 : POLLIN), 0});
    if (::poll(now.data(), now.size(), 0) > 0) serve(now, 0, true);
  };

  while (!stop_) {
    const Clock::time_point now = Clock::now();
    fds.clear();
    fds.push_back({wakeRead_, POLLIN, 0});
    fds.push_back({listenFd_, POLLIN, 0});
    int timeoutMs = -1;
    for (const auto& c : clients) {
      short events = c->closing ? 0 : POLLIN;
      if (!c->out.empty()) {
        if (c->out.front().due <= now) {
          events |= POLLOUT;
        } else {
          const auto wait = std::chrono::ceil<std::chrono::milliseconds>(c->out.front().due - now).count();
          timeoutMs = timeoutMs < 0 ? static_cast<int>(wait) : std::min(timeoutMs, static_cast<int>(wait));
        }
      }
      fds.push_back({c->fd, events, 0});
    }
    if (::poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR) break;
    if (fds[0].revents & POLLIN) {
      char drain[16];
      while (::read(wakeRead_, drain, sizeof drain) > 0) {
      }
    }
    if (stop_) break;

    serve(fds, 2, false);

    if (fds[1].revents & POLLIN) {
      while (true) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) break;
        if (static_cast<int>(clients.size()) >= options_.maxClients) reap();
        if (static_cast<int>(clients.size()) >= options_.maxClients) {
          if (tracing)
            trace(0,
                  "refused " + PeerName(fd) + ": " + std::to_string(clients.size()) + " clients connected");
          ::close(fd);
          count(&ServerStats::refused);
          continue;
        }
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        auto c = std::make_unique<Client>();
        c->fd = fd;
        c->id = nextId++;
        if (tracing) trace(c->id, "connected " + PeerName(fd));
        count(&ServerStats::accepted);
        clients.push_back(std::move(c));
      }
    }
  }
  for (auto& c : clients) closeClient(*c, "server stopped", false);
}

}  // namespace qxsim
