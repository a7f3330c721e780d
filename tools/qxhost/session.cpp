#include "session.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <sstream>

#include "block_decode.h"
#include "control_rows.h"
#include "frame/state.h"
#include "link/link_state.h"
#include "record_fields.h"
#include "si_number.h"

namespace qxhost {

std::vector<HostWindow::Event>& HostWindow::Events() {
  static std::vector<Event> events;
  return events;
}

LRESULT HostWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  Events().push_back({this, false, message, wParam, lParam});
  return 0;
}

UINT_PTR HostWindow::SetTimer(UINT_PTR id, UINT elapseMs, void*) {
  Events().push_back({this, true, static_cast<UINT>(id), elapseMs, 0});
  return id;
}

namespace {

std::vector<std::string> Split(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string Hex(unsigned long v) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%lX", v);
  return text;
}

// How many leading words of `words` a row's words match (0: not this row).
std::size_t Matches(const ControlRow& row, const std::vector<std::string>& words) {
  const std::vector<std::string> own = Split(row.words);
  if (own.size() > words.size()) return 0;
  for (std::size_t i = 0; i < own.size(); ++i)
    if (Lower(words[i]) != own[i]) return 0;
  return own.size();
}

std::string ChoiceList(const ControlRow& row) {
  std::string list;
  for (const Choice& c : row.choices) list += (list.empty() ? "" : ", ") + std::string(c.word);
  if (row.numberAllowed) list += list.empty() ? "a number" : " or a number";
  return list;
}

// The message variable for a typed value; an explanation when it does not fit.
std::optional<std::string> SetMessageVariable(VarType type, double v) {
  switch (type) {
    case VarType::None: break;
    case VarType::Bool: SetMsgVarbool(v != 0); break;
    case VarType::Int:
      if (v != std::floor(v) || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return "a whole number";
      SetMsgVarInt(static_cast<int>(v));
      break;
    case VarType::Uint:
      if (v != std::floor(v) || v < 0 || v > std::numeric_limits<unsigned>::max())
        return "a whole number, 0 or more";
      SetMsgVarUINT(static_cast<unsigned>(v));
      break;
    case VarType::Float: SetMsgVarfloat(static_cast<float>(v)); break;
    case VarType::Double: SetMsgVarDouble(v); break;
  }
  return std::nullopt;
}

std::string MessageName(const HostWindow::Event& e) {
  if (e.wParam == CTL_STATUS_MESSAGE) return "status message";
  if (e.wParam == CTL_SETTING_CHANGED) return "setting changed while running";
  return "control " + Hex(e.wParam) + " value " + std::to_string(static_cast<long>(e.lParam));
}

}  // namespace

Session::Session(std::ostream& out, TracingSocket* socket) : out_(out), socket_(socket) {}

void Session::Attach(CWinSocket* socket) {
  // The host's 700 x 400 waveform window, split in two for the zoomed views.
  rgn_.MainWaveRect = CRect(16, 13, 716, 413);
  rgn_.UpperWaveRect = CRect(16, 13, 716, 193);
  rgn_.LowerWaveRect = CRect(16, 233, 716, 413);
  rgn_.TrigMarkRef2 = CPoint(366, 233);
  setup_.TimeScaleLimit = 2e-9f;
  setup_.RefreshFlag = 1;
  QxMsgInit(&main_, &setup_, &rgn_, &pos_, socket);
}

bool Session::Refuse(const std::string& why) {
  out_ << "  " << why << "\n";
  return false;
}

void Session::RunQueue() {
  while (GetIOCmd() != 0) IOCmdProcess();
}

void Session::Report(const _QX_SETUP& before) {
  for (const HostWindow::Event& e : HostWindow::Events()) {
    if (e.timer) {
      out_ << "  " << e.window->Name() << " window: timer " << e.message << " restarted (" << e.wParam
           << " ms)\n";
    } else if (e.wParam == CTL_STATUS_MESSAGE && e.window == &main_) {
      out_ << "  status: " << setup_.ErrorText << "\n";
    } else {
      out_ << "  " << e.window->Name() << " window: message " << Hex(e.message) << ", " << MessageName(e)
           << "\n";
    }
  }
  HostWindow::Events().clear();
  for (const std::string& change : Changes(before, setup_))
    if (change.rfind("ErrorText", 0) != 0) out_ << "  " << change << "\n";
  if (socket_) {
    const LinkHealth health = socket_->TakeHealth();
    linkLost_ = linkLost_ || health.Lost();
    if (health.failedSends > 0)
      out_ << "  the instrument's connection is lost: " << health.failedSends << " line(s) not sent\n";
    if (health.unansweredQueries > 0)
      out_ << "  the instrument did not answer " << health.unansweredQueries << " quer"
           << (health.unansweredQueries == 1 ? "y" : "ies") << "\n";
  }
}

bool Session::Execute(const std::string& line) {
  const std::vector<std::string> words = Split(line);
  if (words.empty() || words[0][0] == '#') return true;
  const std::string verb = Lower(words[0]);
  const _QX_SETUP before = setup_;
  bool ok = true;
  if (verb == "quit" || verb == "exit") {
    quit_ = true;
  } else if (verb == "help") {
    Help(words);
  } else if (verb == "show") {
    ok = Show(words);
  } else if (verb == "blocks") {
    PrintBlocks(out_, qx::Link.FwDsoSetup, qx::Link.FwLaSetup, qx::Link.FwAltSetup);
  } else if (verb == "raw") {
    ok = Raw(words);
  } else if (verb == "send" || verb == "query") {
    const std::size_t start = line.find(words[0]) + words[0].size();
    std::string rest = line.substr(start);
    rest.erase(0, rest.find_first_not_of(" \t"));
    ok = Send(rest, verb == "query");
  } else if (verb == "init") {
    out_ << (QxInitSystem() ? "  the records now mirror the instrument\n"
                            : "  reading the instrument's setup failed\n");
  } else {
    ok = RunControl(words);
  }
  Report(before);
  return ok;
}

bool Session::RunControl(const std::vector<std::string>& words) {
  const ControlRow* best = nullptr;
  std::size_t matched = 0;
  for (const ControlRow& row : ControlRows()) {
    const std::size_t n = Matches(row, words);
    if (n > matched) best = &row, matched = n;
  }
  if (!best) {
    std::string known;
    for (const ControlRow& row : ControlRows()) {
      const std::vector<std::string> own = Split(row.words);
      if (own.size() > 1 && own[0] == Lower(words[0])) known += (known.empty() ? "" : ", ") + own[1];
    }
    if (known.empty()) return Refuse("unknown command \"" + words[0] + "\"; type help for the list");
    return Refuse(Lower(words[0]) + ": expected " + known +
                  (words.size() > 1 ? ", not \"" + words[1] + "\"" : ""));
  }
  const std::size_t args = words.size() - matched;
  const bool wantsValue = best->var != VarType::None;
  if (!wantsValue && args > 0) return Refuse(std::string(best->words) + ": takes no value");
  if (wantsValue && args != 1)
    return Refuse(std::string(best->words) + ": expected " + (args == 0 ? "" : "one value: ") +
                  ChoiceList(*best));

  double value = 0;
  if (wantsValue) {
    const std::string typed = words[matched];
    bool found = false;
    for (const Choice& c : best->choices) {
      if (Lower(typed) == c.word) value = c.value, found = true;
    }
    if (!found) {
      const std::optional<double> number = best->numberAllowed ? ParseSiNumber(typed) : std::nullopt;
      if (!number)
        return Refuse(std::string(best->words) + ": expected " + ChoiceList(*best) + ", not \"" + typed +
                      "\"");
      value = *number;
    }
    if (auto problem = SetMessageVariable(best->var, value))
      return Refuse(std::string(best->words) + ": expected " + *problem + ", not \"" + typed + "\"");
  }
  if (!QxPostIOCmd(best->cmd, best->ctrl, best->value, &panel_, nullptr, nullptr))
    return Refuse("the command queue is full");
  RunQueue();
  return true;
}

bool Session::Show(const std::vector<std::string>& words) {
  const std::vector<std::string> groups = FieldGroups();
  std::string all;
  for (const std::string& g : groups) all += (all.empty() ? "" : ", ") + g;
  if (words.size() != 2) return Refuse("show: expected a group: " + all);
  const std::string group = Lower(words[1]);
  if (std::find(groups.begin(), groups.end(), group) == groups.end())
    return Refuse("show: unknown group \"" + words[1] + "\"; expected one of " + all);
  for (const RecordField& field : SetupFields()) {
    if (group != field.group) continue;
    for (std::size_t i = 0; i < field.count; ++i)
      out_ << "  " << ElementName(field, i) << " = " << FormatElement(setup_, field, i) << "\n";
  }
  return true;
}

bool Session::Raw(const std::vector<std::string>& words) {
  static const char* const kTypes = "none, bool, int, uint, float, double, int64";
  if (words.size() < 5 || words.size() > 6)
    return Refuse("raw: expected CMD CTRL VALUE TYPE [DATA], e.g. raw 0xC45 0x6D1 0 int 64");
  long numbers[3];
  for (int i = 0; i < 3; ++i) {
    char* end = nullptr;
    numbers[i] = std::strtol(words[static_cast<std::size_t>(i) + 1].c_str(), &end, 0);
    if (*end != '\0')
      return Refuse("raw: \"" + words[static_cast<std::size_t>(i) + 1] + "\" is not a number");
  }
  const std::string type = Lower(words[4]);
  if (type != "none" && words.size() != 6) return Refuse(std::string("raw: a ") + type + " needs its DATA");
  std::optional<double> data = words.size() == 6 ? ParseSiNumber(words[5]) : 0.0;
  if (!data) return Refuse("raw: \"" + words[5] + "\" is not a number");
  if (type == "bool")
    SetMsgVarbool(*data != 0);
  else if (type == "int")
    SetMsgVarInt(static_cast<int>(*data));
  else if (type == "uint")
    SetMsgVarUINT(static_cast<unsigned>(*data));
  else if (type == "float")
    SetMsgVarfloat(static_cast<float>(*data));
  else if (type == "double")
    SetMsgVarDouble(*data);
  else if (type == "int64")
    SetMsgVarLONG64(static_cast<std::int64_t>(*data));
  else if (type != "none")
    return Refuse("raw: TYPE is one of " + std::string(kTypes));
  if (numbers[0] == 0) return Refuse("raw: command 0 cannot be posted (it reads as an empty queue)");
  if (!QxPostIOCmd(static_cast<unsigned long>(numbers[0]), static_cast<unsigned>(numbers[1]), numbers[2],
                   &panel_, nullptr, nullptr))
    return Refuse("the command queue is full");
  RunQueue();
  return true;
}

bool Session::Send(const std::string& text, bool query) {
  if (text.empty()) return Refuse(std::string(query ? "query" : "send") + ": expected the text to send");
  if (!query) {
    const int n = WriteCommand(text.c_str());
    out_ << "  " << (n < 0 ? "not connected" : std::to_string(n) + " bytes sent") << "\n";
    return true;
  }
  BYTE reply[qx::kReplyBufferBytes + 1] = {};
  const int n = ReadCommand(text.c_str(), reply);
  const int stored = std::clamp(n, 0, qx::kReplyBufferBytes);
  const std::string payload(reinterpret_cast<const char*>(reply), static_cast<std::size_t>(stored));
  if (payload.empty())
    out_ << "  no reply\n";
  else
    out_ << "  reply: " << Printable(payload) << "\n";
  return true;
}

void Session::Help(const std::vector<std::string>& words) {
  if (words.size() >= 2 && Lower(words[1]) == "numbers") {
    out_ << kSiNumberHelp << "\n";
    return;
  }
  const std::string topic = words.size() >= 2 ? Lower(words[1]) : "";
  bool any = false;
  for (const ControlRow& row : ControlRows()) {
    if (!topic.empty() && std::string(row.words).rfind(topic, 0) != 0) continue;
    std::string usage = row.words;
    if (row.var != VarType::None) usage += " <" + ChoiceList(row) + ">";
    out_ << "  " << usage << "\n      " << row.help << "\n";
    any = true;
  }
  // The console's own words, which the general list explains.
  const bool ownWord =
      topic == "show" || topic == "blocks" || topic == "raw" || topic == "send" || topic == "query";
  if (!topic.empty() && !any && !ownWord) out_ << "  no command begins with \"" << topic << "\"\n";
  if (topic.empty() || ownWord) {
    out_ << "  show GROUP             print a group of record fields (show alone lists the groups)\n"
            "  blocks                 decode the three setup blocks as the instrument last sent them\n"
            "  raw CMD CTRL VALUE TYPE [DATA]  post any command (TYPE: none bool int uint float double "
            "int64)\n"
            "  send TEXT              write TEXT to the instrument as a command line\n"
            "  query TEXT             send TEXT as a query and print the reply\n"
            "  init                   read the instrument's setup into the records again\n"
            "  help [WORD|numbers]    this list, the commands beginning with WORD, or how numbers are "
            "written\n"
            "  quit                   leave\n";
  }
}

}  // namespace qxhost
