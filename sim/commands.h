// The command table: one row per command of the instrument's language. A
// row names its header path, what its argument is, and the block field it
// governs; plain settings are stored and answered by the generic code, the
// rest by a handler of their family (sim/cmd_*.cpp).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "sim/model.h"
#include "sim/scpi.h"

namespace qxsim::cmd {

enum class Form : std::uint8_t {
  SetQuery,  // "HEADER arg" and "HEADER?"
  Query,     // "HEADER?" only
  Action,    // "HEADER" without argument
};

enum class Arg : std::uint8_t { None, Bool, Enum, Real, Int };

// How a row picks the entry of a per-channel field.
enum class Index : std::uint8_t {
  None,        // a single field
  Channel,     // CHANnel1/2: entry suffix - 1
  Suffix,      // DIGital0..15, GROup1/2: entry = suffix (handlers adjust)
  AltChannel,  // the alternate channel addressed by :TRIGGER:ALTERNATION:SOURCE
};

// An argument keyword and the code stored for it.
struct Word {
  std::string_view pattern;
  int code;
};

// A block field: offset of entry 0, the distance to the next entry.
struct Field {
  BlockId block = BlockId::Dso;
  int offset = -1;  // -1: the row has no field
  int stride = 0;
  L::FieldType type = L::FieldType::U8;
  Index index = Index::None;
};

struct Row;
struct Call {
  const Row& row;
  int suffix;                 // the header's numeric suffix, -1 when none
  std::string_view argument;  // trimmed
};

// A set handler returns nullptr when done, else the reason it refused; it
// refuses before it changes anything, so a refused line leaves the model as
// it was (the sim_parser fuzz target checks this on every line).
using SetFn = const char* (*)(Model&, const Call&);
using QueryFn = std::string (*)(const Model&, const Call&);

struct Row {
  std::string_view path;  // mixed-case keywords joined by ':'
  Form form = Form::SetQuery;
  Field field{};
  Arg arg = Arg::None;
  std::span<const Word> words{};
  double lo = 0, hi = 0;    // Real and Int limits
  SetFn set = nullptr;      // null: the generic store
  QueryFn query = nullptr;  // null: the generic answer
  int aux = -1;             // handler data: a second field's offset (same stride)
  int suffixLo = 0, suffixHi = 0;
  bool fieldOnly = false;  // the set handler writes the addressed field entry and nothing else

  constexpr Row Suffixes(int lo_, int hi_) const {
    Row r = *this;
    r.suffixLo = lo_;
    r.suffixHi = hi_;
    return r;
  }
  constexpr Row Aux(int offset) const {
    Row r = *this;
    r.aux = offset;
    return r;
  }
  constexpr Row Custom(SetFn s, QueryFn q = nullptr) const {
    Row r = *this;
    r.set = s;
    r.query = q;
    return r;
  }
  constexpr Row FieldOnly() const {
    Row r = *this;
    r.fieldOnly = true;
    return r;
  }
  // A successful set changed the addressed field entry and nothing else.
  bool WritesFieldOnly() const { return field.offset >= 0 && (set == nullptr || fieldOnly); }
};

// Error texts a handler returns.
inline constexpr const char* kBadArgument = "bad argument";
inline constexpr const char* kMissingArgument = "missing argument";
inline constexpr const char* kConflict = "settings conflict";

std::span<const Row> Table();
// The row a line's header names, with its suffix; nullptr when none does.
const Row* Lookup(std::string_view header, int* suffix);

// Generic helpers shared by the handlers.
int EntryOf(const Model& m, const Call& call);
int Address(const Model& m, const Call& call);              // offset of the row's field entry
int Address(const Model& m, const Call& call, int offset);  // same entry, another field
double Load(const Model& m, BlockId block, int offset, L::FieldType type);
void Store(Model& m, BlockId block, int offset, L::FieldType type, double value);
// The code of an argument keyword, or -1.
int MatchWord(std::span<const Word> words, std::string_view text);
std::string WordOf(std::span<const Word> words, int code);
const char* GenericSet(Model& m, const Call& call);
std::string GenericQuery(const Model& m, const Call& call);

}  // namespace qxsim::cmd
