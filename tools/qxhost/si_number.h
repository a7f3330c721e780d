// Numbers as a scope user types them: "500u", "1ms", "2k", "0.5", "1.2V",
// "10MHz". The prefixes p n u m k M G scale by 1e-12 .. 1e9 ("m" is milli,
// "M" mega); a unit s, V or Hz may follow and is ignored.
#pragma once

#include <optional>
#include <string_view>

namespace qxhost {

std::optional<double> ParseSiNumber(std::string_view text);

// The rule as the console's help prints it.
extern const char* const kSiNumberHelp;

}  // namespace qxhost
