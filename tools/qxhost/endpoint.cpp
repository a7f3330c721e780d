#include "endpoint.h"

#include <regex>

namespace qxhost {

std::optional<Endpoint> ParseEndpoint(const std::string& text) {
  std::smatch m;
  static const std::regex visa(R"(^TCPIP\d*::([^:]+)::(\d+)::SOCKET$)", std::regex::icase);
  static const std::regex plain(R"(^([^:]+)(?::(\d{1,5}))?$)");
  if (!std::regex_match(text, m, visa) && !std::regex_match(text, m, plain)) return std::nullopt;
  Endpoint e{m[1], kDefaultPort};
  if (m[2].matched) {
    const long p = std::stol(m[2]);
    if (p < 1 || p > 65535) return std::nullopt;
    e.port = static_cast<unsigned short>(p);
  }
  return e;
}

}  // namespace qxhost
