// libFuzzer target: the simulated instrument's command language, one line at
// a time (the input split at carriage returns): header split, table lookup,
// argument parsing and the model's rules. Checks the model's invariants,
// that a refused line or a query changes nothing and that every line is
// counted once, and that a full pass over the settled model changes nothing.
#include <array>
#include <string_view>

#include "sim_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static qxsim::Instrument instrument;
  instrument.FactoryReset();
  const qxsim::Counters before = instrument.GetCounters();
  // The DSO block (where nearly every command lands) as the last line that
  // changed it left it: a refused line and a query must leave it so.
  qxfuzz::DsoBytes settled, now;
  instrument.CopyBlock(qxsim::BlockId::Dso, settled);
  std::string_view text(reinterpret_cast<const char*>(data), size);
  while (!text.empty()) {
    const std::size_t end = text.find('\r');
    const qxsim::Outcome outcome = instrument.Run(text.substr(0, end));
    qxfuzz::Check(!outcome.reply || outcome.reply->size() <= 4096);
    if (outcome.error.empty() && !outcome.reply) {
      instrument.CopyBlock(qxsim::BlockId::Dso, settled);
    } else {
      instrument.CopyBlock(qxsim::BlockId::Dso, now);
      qxfuzz::Check(now == settled);
    }
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  // Each line re-derived only what it wrote into: a full pass over the
  // settled model finds nothing left to change.
  std::array<qxfuzz::DsoBytes, 4> blocks{}, again{};  // each block in the first bytes
  const auto copy = [&](auto& into) {
    for (std::size_t i = 0; i < into.size(); ++i)
      instrument.CopyBlock(static_cast<qxsim::BlockId>(i), into[i]);
  };
  copy(blocks);
  instrument.SetBlock(qxsim::BlockId::Dso, blocks[0]);
  copy(again);
  qxfuzz::Check(again == blocks);
  qxfuzz::CheckInstrument(instrument);
  const qxsim::Counters c = instrument.GetCounters();
  qxfuzz::Check(c.lines - before.lines ==
                (c.commands - before.commands) + (c.queries - before.queries) + (c.errors - before.errors));
  return 0;
}
