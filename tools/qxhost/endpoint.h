// Where an instrument listens, as a user writes it: HOST, HOST:PORT, or the
// VISA form TCPIP::HOST::PORT::SOCKET; port 5555 when none is given.
#pragma once

#include <optional>
#include <string>

namespace qxhost {

constexpr unsigned short kDefaultPort = 5555;

struct Endpoint {
  std::string host;
  unsigned short port = kDefaultPort;
};

std::optional<Endpoint> ParseEndpoint(const std::string& text);

}  // namespace qxhost
