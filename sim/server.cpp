#include "sim/server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/time.h>
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
constexpr std::uint32_t kReadable = EPOLLIN, kWritable = EPOLLOUT;
// The longest the thread waits in a single client's recv (see Loop).
constexpr auto kSoleWait = std::chrono::milliseconds(2);

void SetNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

// Reply bytes a delay or split fault holds back, and the moment they may go out.
struct Piece {
  std::string bytes;
  Clock::time_point due;
};

struct Client {
  int fd = -1;
  int id = 0;
  scpi::LineAssembler lines;
  // Replies go out from `ready` (its bytes from `sent` on), then from `later`,
  // each piece of which has a send of its own.
  std::string ready;
  std::size_t sent = 0;
  std::deque<Piece> later;
  std::size_t pending = 0;  // unsent bytes in both
  Clock::time_point lastDue{};
  std::uint32_t events = 0;  // what epoll watches on the connection
  int served = 0;
  bool closing = false;  // no more input; close once everything is sent
  bool dead = false;
};

bool Transient(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

// Sends what is due; false when the connection failed.
bool Flush(Client& c) {
  while (true) {
    if (c.sent == c.ready.size()) {
      c.ready.clear();
      c.sent = 0;
      if (c.later.empty() || c.later.front().due > Clock::now()) return true;
      c.ready.swap(c.later.front().bytes);
      c.later.pop_front();
    }
    const ssize_t n =
        ::send(c.fd, c.ready.data() + c.sent, c.ready.size() - c.sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) return Transient(errno);
    c.sent += static_cast<std::size_t>(n);
    c.pending -= static_cast<std::size_t>(n);
    if (c.sent < c.ready.size()) {
      // The socket is full. A client that reads slowly but never catches up
      // does not grow `ready` with bytes already sent.
      if (c.sent > c.ready.size() / 2) {
        c.ready.erase(0, c.sent);
        c.sent = 0;
      }
      return true;
    }
  }
}

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
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  epollFd_ = ::epoll_create1(EPOLL_CLOEXEC);
  // The listener and the nudge are told apart from clients by their tags.
  epoll_event listen{kReadable, {.ptr = &listenFd_}}, wake{kReadable, {.ptr = &wakeFd_}};
  if (wakeFd_ < 0 || epollFd_ < 0 || ::epoll_ctl(epollFd_, EPOLL_CTL_ADD, listenFd_, &listen) != 0 ||
      ::epoll_ctl(epollFd_, EPOLL_CTL_ADD, wakeFd_, &wake) != 0) {
    error_ = std::string("cannot wait for events: ") + std::strerror(errno);
    CloseDescriptors();
    return -1;
  }
  stop_ = false;
  thread_ = std::thread(&Server::Loop, this);
  return port_;
}

void Server::Stop() {
  if (!thread_.joinable()) return;
  stop_ = true;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
  thread_.join();
  CloseDescriptors();
}

void Server::CloseDescriptors() {
  for (int* fd : {&listenFd_, &wakeFd_, &epollFd_}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
}

void Server::Loop() {
  const Clock::time_point start = Clock::now();
  // Trace text is built only while tracing: callers test `tracing` first.
  const bool tracing = static_cast<bool>(trace_);
  auto trace = [&](int id, const std::string& text) {
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
  std::array<epoll_event, 64> events;
  // A round reads at most this much of one client, so a client that floods
  // the instrument never holds up the others for long.
  std::array<char, kReadPerRound> buffer;

  auto reap = [&] { std::erase_if(clients, [](const auto& c) { return c->dead; }); };

  auto closeClient = [&](Client& c, const char* why, bool dropped) {
    if (tracing) trace(c.id, std::string("closed: ") + why);
    ::close(c.fd);
    c.dead = true;
    count(&ServerStats::closed);
    if (dropped) count(&ServerStats::dropped);
  };

  // Frames a reply with the faults in force and queues it. Without faults it
  // goes straight behind the bytes already due, framed in place.
  auto queueReply = [&](Client& c, const std::string& payload, const Faults& f) {
    if (tracing)
      trace(c.id, "> [" + std::to_string(payload.size()) + (f.prefixDelta ? " announced as " : "") +
                      (f.prefixDelta ? std::to_string(static_cast<long long>(payload.size()) + f.prefixDelta)
                                     : "") +
                      "] " + EscapeBytes(payload));
    c.pending += 4 + payload.size();
    if (f.replyDelayMs <= 0 && f.pieceBytes <= 0 && f.prefixDelta == 0 && c.later.empty())
      return AppendLanReply(c.ready, payload, 0);
    std::string framed = FrameLanReply(payload, f.prefixDelta);
    Clock::time_point due =
        std::max(Clock::now() + std::chrono::milliseconds(std::max(f.replyDelayMs, 0)), c.lastDue);
    if (f.pieceBytes <= 0) {
      c.later.push_back({std::move(framed), due});
    } else {
      const auto step = static_cast<std::size_t>(f.pieceBytes);
      for (std::size_t at = 0; at < framed.size(); at += step) {
        if (at > 0) due += std::chrono::milliseconds(std::max(f.pieceGapMs, 0));
        c.later.push_back({framed.substr(at, step), due});
      }
    }
    c.lastDue = due;
  };

  // The output bound is checked after every reply: a client that sends
  // queries and never reads is cut off within one round.
  auto handleInput = [&](Client& c, std::string_view bytes) {
    const Faults f = instrument_.GetFaults();
    c.lines.Push(bytes, [&](std::string_view line, bool overlong) {
      if (c.closing || c.pending > options_.maxPendingBytes) return;
      if (overlong) {
        instrument_.CountOverlong();
        if (tracing) trace(c.id, "! line over 4 KiB discarded");
        return;
      }
      if (tracing) trace(c.id, "< " + EscapeBytes(line));
      const Outcome outcome = instrument_.Run(line);
      if (tracing && !outcome.error.empty()) trace(c.id, "! " + std::string(outcome.error));
      if (outcome.reply) queueReply(c, *outcome.reply, f);
      if (f.dropAfter > 0 && !scpi::Trim(line).empty() && ++c.served >= f.dropAfter) c.closing = true;
    });
  };

  // After input or room to write: drops a client past the output bound,
  // sends what is due, ends a connection a drop fault has closed, and
  // watches for room to write only while bytes wait for it.
  auto settle = [&](Client& c) {
    if (c.pending > options_.maxPendingBytes) return closeClient(c, "client stopped reading", true);
    if (!Flush(c)) return closeClient(c, c.pending ? "peer left mid-reply" : "connection lost", false);
    if (c.closing && c.pending == 0)
      return closeClient(c, "dropped after the commands set by the fault", true);
    const std::uint32_t want = (c.closing ? 0 : kReadable) | (c.sent < c.ready.size() ? kWritable : 0);
    if (want == c.events) return;
    epoll_event ev{want, {.ptr = &c}};
    ::epoll_ctl(epollFd_, EPOLL_CTL_MOD, c.fd, &ev);
    c.events = want;
  };

  // What one recv of a client brought: lines to run, or the end of the
  // connection. False when the client is gone.
  auto take = [&](Client& c, ssize_t n, bool reaping) {
    if (n < 0 && Transient(errno)) return true;
    if (n <= 0) {
      closeClient(c, c.lines.Pending() ? "peer left mid-line" : "peer closed", false);
      return false;
    }
    handleInput(c, std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    // Reaping, a peer that sent its last lines and left is noticed at once.
    char next;
    if (reaping && static_cast<std::size_t>(n) < buffer.size() &&
        ::recv(c.fd, &next, 1, MSG_PEEK | MSG_DONTWAIT) == 0) {
      closeClient(c, "peer closed", false);
      return false;
    }
    return true;
  };

  // One round for a client epoll reported: its input (at most one buffer),
  // its end, or room for its replies.
  auto serve = [&](Client& c, std::uint32_t what, bool reaping) {
    if (c.dead) return;
    if (what & EPOLLIN) {
      if (!take(c, ::recv(c.fd, buffer.data(), buffer.size(), MSG_DONTWAIT), reaping)) return;
    } else if (what & (EPOLLERR | EPOLLHUP)) {
      return closeClient(c, "connection lost", false);
    }
    settle(c);
  };
  auto serveAll = [&](int n, bool reaping) {
    for (int i = 0; i < n; ++i) {
      void* tag = events[i].data.ptr;
      if (tag != &listenFd_ && tag != &wakeFd_) serve(*static_cast<Client*>(tag), events[i].events, reaping);
    }
    reap();
  };

  // Until then the thread may wait in a single client's recv.
  Clock::time_point lookBy{};
  while (!stop_) {
    // Held-back pieces go out when due; the next one bounds the wait.
    int timeoutMs = -1;
    if (std::any_of(clients.begin(), clients.end(), [](const auto& c) { return !c->later.empty(); })) {
      const Clock::time_point now = Clock::now();
      for (const auto& c : clients) {
        if (c->later.empty()) continue;
        if (c->sent == c->ready.size() && c->later.front().due <= now) settle(*c);
        if (c->dead || c->later.empty() || c->sent < c->ready.size()) continue;
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(c->later.front().due - now).count();
        timeoutMs = timeoutMs < 0 ? static_cast<int>(wait) : std::min(timeoutMs, static_cast<int>(wait));
      }
      reap();
    }
    // The instrument's usual peer is one host asking one thing at a time.
    // With a single client that has nothing unsent the thread waits in its
    // recv rather than in epoll, so such a round trip costs one recv and one
    // send. The wait is bounded and epoll is looked at every kSoleWait, so
    // a newcomer or Stop is seen within that; an idle client sends the
    // thread back to epoll.
    if (clients.size() == 1 && Clock::now() < lookBy) {
      Client& c = *clients.front();
      if (!c.closing && c.pending == 0) {
        const ssize_t got = ::recv(c.fd, buffer.data(), buffer.size(), 0);
        if (got >= 0 || !Transient(errno)) {
          if (take(c, got, false)) settle(c);
          reap();
          continue;
        }
      }
    }
    const int n = ::epoll_wait(epollFd_, events.data(), static_cast<int>(events.size()), timeoutMs);
    if (n < 0 && errno != EINTR) break;
    if (stop_) break;
    lookBy = Clock::now() + kSoleWait;
    const bool accepting = std::any_of(events.begin(), events.begin() + std::max(n, 0),
                                       [&](const epoll_event& e) { return e.data.ptr == &listenFd_; });
    serveAll(n, false);
    if (!accepting) continue;
    while (true) {
      // Left blocking for the single client's bounded wait (SO_RCVTIMEO);
      // every other call on it says MSG_DONTWAIT.
      const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) break;
      // Before a newcomer is turned away for the limit, the clients that
      // have already gone are noticed: their input and their end are read now.
      if (static_cast<int>(clients.size()) >= options_.maxClients)
        serveAll(::epoll_wait(epollFd_, events.data(), static_cast<int>(events.size()), 0), true);
      if (static_cast<int>(clients.size()) >= options_.maxClients) {
        if (tracing)
          trace(0, "refused " + PeerName(fd) + ": " + std::to_string(clients.size()) + " clients connected");
        ::close(fd);
        count(&ServerStats::refused);
        continue;
      }
      const int one = 1;
      ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      const timeval wait{0, static_cast<suseconds_t>(std::chrono::microseconds(kSoleWait).count())};
      ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
      auto c = std::make_unique<Client>();
      c->fd = fd;
      c->id = nextId++;
      c->events = kReadable;
      epoll_event ev{kReadable, {.ptr = c.get()}};
      if (::epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &ev) != 0) {
        ::close(fd);
        continue;
      }
      if (tracing) trace(c->id, "connected " + PeerName(fd));
      count(&ServerStats::accepted);
      clients.push_back(std::move(c));
    }
  }
  for (auto& c : clients) closeClient(*c, "server stopped", false);
}

}  // namespace qxsim
