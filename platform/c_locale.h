// Numbers on the wire never depend on the host's locale: a host running in a
// comma-decimal locale still sends "0.500000" and reads "2.5e-3" as 0.0025.
#pragma once

#include <locale.h>

namespace qx {

// Switches the calling thread to the "C" locale for its lifetime.
class CLocaleScope {
 public:
  CLocaleScope();
  ~CLocaleScope();
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t previous_;
};

// strtod / strtol in the "C" locale.
double ParseDouble(const char* text, char** end);
long ParseLong(const char* text, char** end, int base);

}  // namespace qx
