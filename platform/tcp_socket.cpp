// CWinSocket's default (no link) and QxTcpSocket, the real LAN link.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "QxPlatform.h"

// A peer that has gone must fail the send, not raise SIGPIPE in the host
// (systems without MSG_NOSIGNAL have SO_NOSIGPIPE, set at connect).
#ifndef MSG_NOSIGNAL
#define MSG_NOSIGNAL 0
#endif
#ifndef SOCK_CLOEXEC
#define SOCK_CLOEXEC 0
#endif

int CWinSocket::Send(const char*, int) { return -1; }
int CWinSocket::Receive(char*, int length) { return length == 0 ? 0 : -1; }

namespace {
// A send that cannot make progress for this long is a dead link.
constexpr int kSendStallMs = 3000;

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
  auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// poll() for one descriptor, resumed after signals until the deadline.
bool PollUntil(int fd, short events, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int rc = ::poll(&p, 1, RemainingMs(deadline));
    if (rc >= 0 || errno != EINTR) return rc == 1;
  }
}

int ConnectOne(const addrinfo* ai, std::chrono::steady_clock::time_point deadline) {
  int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC, ai->ai_protocol);
  if (fd < 0) return -1;
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
#ifdef SO_NOSIGPIPE
  int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
  int rc = ::connect(fd, ai->ai_addr, ai->ai_addrlen);
  if (rc != 0 && (errno == EINPROGRESS || errno == EINTR)) {  // an interrupted connect goes on
    rc = PollUntil(fd, POLLOUT, deadline) ? 0 : -1;
    int err = 0;
    socklen_t len = sizeof err;
    if (rc == 0 && (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0)) rc = -1;
  }
  if (rc != 0) {
    ::close(fd);
    return -1;
  }
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}
}  // namespace

QxTcpSocket::~QxTcpSocket() { Close(); }

bool QxTcpSocket::Connect(const char* host, unsigned short port, int timeoutMs) {
  Close();
  if (!host) return false;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  char service[8];
  std::snprintf(service, sizeof service, "%u", static_cast<unsigned>(port));
  addrinfo* list = nullptr;
  if (::getaddrinfo(host, service, &hints, &list) != 0) return false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
  for (const addrinfo* ai = list; ai && fd_ < 0; ai = ai->ai_next) fd_ = ConnectOne(ai, deadline);
  ::freeaddrinfo(list);
  return fd_ >= 0;
}

void QxTcpSocket::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  peerClosed_ = false;
}

bool QxTcpSocket::IsConnected() const { return fd_ >= 0 && !peerClosed_; }

// Every byte, waiting while the peer's window is full; a stall of kSendStallMs
// without progress ends it. On failure: the count sent so far; 0 when nothing
// could go out, at once once the peer is known to have closed; -1 with no link.
int QxTcpSocket::Send(const char* data, int length) {
  if (fd_ < 0 || length < 0 || (!data && length > 0)) return -1;
  if (PeerClosed()) return 0;
  int sent = 0;
  while (sent < length) {
    const ssize_t n = ::send(fd_, data + sent, static_cast<size_t>(length - sent), MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<int>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    const auto stall = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSendStallMs);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && PollUntil(fd_, POLLOUT, stall)) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) peerClosed_ = true;
    break;
  }
  return sent;
}

int QxTcpSocket::Receive(char* buffer, int length) {
  if (length == 0) return 0;
  if (fd_ < 0 || length < 0 || !buffer) return -1;
  for (;;) {
    ssize_t n = ::recv(fd_, buffer, static_cast<size_t>(length), MSG_DONTWAIT);
    if (n > 0) return static_cast<int>(n);
    if (n < 0 && errno == EINTR) continue;
    // 0 is an orderly close by the peer: for the library that reads as -1,
    // like "nothing available", so a drain always ends; the socket remembers.
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) peerClosed_ = true;
    return -1;
  }
}

// A close the peer announced but nobody has read yet shows as a readable end
// of stream; unread data ahead of it does not hide it for long, because the
// library drains before every query.
bool QxTcpSocket::PeerClosed() {
  if (peerClosed_) return true;
  char byte;
  const ssize_t n = ::recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) peerClosed_ = true;
  return peerClosed_;
}
