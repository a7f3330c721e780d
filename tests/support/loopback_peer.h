// A loopback TCP peer run by a test: a thread that accepts one connection
// on 127.0.0.1 and runs a script on it.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <thread>

namespace qxtest {

// A TCP socket bound to 127.0.0.1 on a free port.
inline int BoundSocket(unsigned short& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  port = ntohs(addr.sin_port);
  return fd;
}

// A thread that accepts one connection and runs `script` on it; the
// connection is closed when the script returns.
class Peer {
 public:
  explicit Peer(std::function<void(int)> script = [](int) {}) : listener_(BoundSocket(port_)) {
    EXPECT_EQ(::listen(listener_, 1), 0);
    thread_ = std::thread([this, script] {
      const int fd = ::accept(listener_, nullptr, nullptr);
      if (fd < 0) return;
      script(fd);
      ::close(fd);
    });
  }
  ~Peer() { Join(); }
  void Join() {
    if (!thread_.joinable()) return;
    ::shutdown(listener_, SHUT_RDWR);  // wakes an accept that never got a client
    thread_.join();
    ::close(listener_);
  }
  unsigned short port() const { return port_; }

 private:
  unsigned short port_ = 0;
  int listener_;
  std::thread thread_;
};

}  // namespace qxtest
