#include "sim/instrument.h"

#include <algorithm>

#include "sim/commands.h"

namespace qxsim {

Outcome Instrument::Run(std::string_view line) {
  std::lock_guard lock(mutex_);
  return RunLocked(line);
}

std::optional<std::string> Instrument::Execute(std::string_view line) { return Run(line).reply; }

std::vector<std::string> Instrument::Feed(std::string_view bytes) {
  std::lock_guard lock(mutex_);
  std::vector<std::string> replies;
  assembler_.Push(bytes, [&](std::string_view line, bool overlong) {
    if (overlong) {
      ++counters_.overlong;
      ++counters_.errors;
      model_.errors.Push("line too long");
      return;
    }
    Outcome outcome = RunLocked(line);
    if (outcome.reply) replies.push_back(std::move(*outcome.reply));
  });
  return replies;
}

void Instrument::CountOverlong() {
  std::lock_guard lock(mutex_);
  ++counters_.overlong;
  ++counters_.errors;
  model_.errors.Push("line too long");
}

Outcome Instrument::RunLocked(std::string_view text) {
  Outcome outcome;
  if (scpi::Trim(text).empty()) {
    ++counters_.empty;
    return outcome;
  }
  ++counters_.lines;
  scpi::Line line;
  int suffix = -1;
  const cmd::Row* row = scpi::Split(text, line) ? cmd::Lookup(line.header, &suffix) : nullptr;
  const char* error = nullptr;
  if (!row) {
    error = "undefined header";
  } else if (line.query) {
    if (row->form == cmd::Form::Action)
      error = "not a query";
    else if (!line.argument.empty())
      error = "unexpected argument";
    else
      outcome.reply =
          row->query ? row->query(model_, {*row, suffix, {}}) : cmd::GenericQuery(model_, {*row, suffix, {}});
  } else if (row->form == cmd::Form::Query) {
    error = "query only";
  } else if (row->form == cmd::Form::Action && !line.argument.empty()) {
    error = "unexpected argument";
  } else {
    // A refused command has changed nothing (set handlers refuse first).
    const cmd::Call call{*row, suffix, line.argument};
    error = row->set ? row->set(model_, call) : cmd::GenericSet(model_, call);
    if (!error && row->WritesFieldOnly())
      model_.Normalize({row->field.block, cmd::Address(model_, call), L::Width(row->field.type)});
    else if (!error)
      model_.Normalize();
  }
  if (error) {
    ++counters_.errors;
    model_.errors.Push(error);
    outcome.error = error;
  } else if (outcome.reply) {
    ++counters_.queries;
  } else {
    ++counters_.commands;
  }
  return outcome;
}

std::vector<std::uint8_t> Instrument::Block(BlockId id) const {
  std::lock_guard lock(mutex_);
  const std::uint8_t* p = model_.Bytes(id);
  return {p, p + BlockSize(id)};
}

void Instrument::CopyBlock(BlockId id, std::span<std::uint8_t> into) const {
  std::lock_guard lock(mutex_);
  std::copy_n(model_.Bytes(id), std::min(into.size(), static_cast<std::size_t>(BlockSize(id))), into.begin());
}

void Instrument::SetBlock(BlockId id, std::span<const std::uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), static_cast<std::size_t>(BlockSize(id))),
              model_.Bytes(id));
  model_.Normalize();
}

void Instrument::StageBlock(BlockId id, std::span<const std::uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  auto stage = [&](auto& slot) {
    slot.emplace();
    std::copy_n(bytes.begin(), std::min(bytes.size(), slot->bytes.size()), slot->bytes.begin());
  };
  switch (id) {
    case BlockId::Dso: stage(model_.stagedDso); break;
    case BlockId::La: stage(model_.stagedLa); break;
    case BlockId::Alt: stage(model_.stagedAlt); break;
    case BlockId::Side: break;
  }
}

void Instrument::FactoryReset() {
  std::lock_guard lock(mutex_);
  model_.FactoryDefault();
}

Counters Instrument::GetCounters() const {
  std::lock_guard lock(mutex_);
  return counters_;
}

std::uint64_t Instrument::UsbClears() const {
  std::lock_guard lock(mutex_);
  return model_.usbClears;
}

Faults Instrument::GetFaults() const {
  std::lock_guard lock(mutex_);
  return faults_;
}

void Instrument::SetFaults(const Faults& faults) {
  std::lock_guard lock(mutex_);
  faults_ = faults;
}

}  // namespace qxsim
