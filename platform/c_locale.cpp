#include "c_locale.h"

#include <cstdlib>

namespace qx {
namespace {
locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}
}  // namespace

CLocaleScope::CLocaleScope() : previous_(uselocale(CLocale())) {}
CLocaleScope::~CLocaleScope() { uselocale(previous_); }

double ParseDouble(const char* text, char** end) { return strtod_l(text, end, CLocale()); }

long ParseLong(const char* text, char** end, int base) { return strtol_l(text, end, base, CLocale()); }

}  // namespace qx
