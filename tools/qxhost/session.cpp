#include "session.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "field_text.h"
#include "numbers.h"

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

constexpr int kReplyBytes = 256;  // what the library stores of a reply
constexpr int kMaxErrorEntries = 20;
constexpr std::size_t kBlockSizes[] = {sizeof(DSO_SETUP), sizeof(_QX_LA_SETUP), sizeof(DSO_ALT_SETUP)};

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

// A '#' at the start or after a blank begins a comment.
std::string WithoutComment(const std::string& line) {
  for (std::size_t i = 0; i < line.size(); ++i)
    if (line[i] == '#' && (i == 0 || std::isspace(static_cast<unsigned char>(line[i - 1]))))
      return line.substr(0, i);
  return line;
}

// The text after the first word, as typed.
std::string Rest(const std::string& line, const std::string& first) {
  std::string rest = line.substr(line.find(first) + first.size());
  rest.erase(0, rest.find_first_not_of(" \t"));
  rest.erase(rest.find_last_not_of(" \t\r") + 1);
  return rest;
}

void SetMessageVariable(QxVarType type, double v) {
  switch (type) {
    case QX_VAR_NONE: break;
    case QX_VAR_BOOL: SetMsgVarbool(v != 0); break;
    case QX_VAR_BYTE:  // the handler reads the low byte
    case QX_VAR_INT: SetMsgVarInt(static_cast<int>(v)); break;
    case QX_VAR_UINT: SetMsgVarUINT(static_cast<unsigned>(v)); break;
    case QX_VAR_FLOAT: SetMsgVarfloat(static_cast<float>(v)); break;
    case QX_VAR_DOUBLE: SetMsgVarDouble(v); break;
    case QX_VAR_INT64: SetMsgVarLONG64(static_cast<std::int64_t>(v)); break;
  }
}

struct TypeWord {
  const char* word;
  QxVarType type;
};
constexpr TypeWord kTypes[] = {{"none", QX_VAR_NONE},     {"bool", QX_VAR_BOOL},  {"byte", QX_VAR_BYTE},
                               {"int", QX_VAR_INT},       {"uint", QX_VAR_UINT},  {"float", QX_VAR_FLOAT},
                               {"double", QX_VAR_DOUBLE}, {"int64", QX_VAR_INT64}};

// A whole number as raw takes it: decimal, or hex with 0x; nothing else after it.
bool WholeNumber(const std::string& text, long long lo, long long hi, long long* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), &end, 0);
  if (*end != '\0' || errno != 0 || v < lo || v > hi) return false;
  *out = v;
  return true;
}

bool IsText(const std::string& bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](unsigned char c) { return c >= 0x20 && c < 0x7F; });
}

void HexDump(std::ostream& out, const std::string& bytes) {
  char line[96];
  for (std::size_t at = 0; at < bytes.size(); at += 16) {
    int n = std::snprintf(line, sizeof line, "    %04zX ", at);
    for (std::size_t i = at; i < at + 16 && i < bytes.size(); ++i)
      n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), " %02X",
                         static_cast<unsigned char>(bytes[i]));
    out << line << "\n";
  }
}

std::string ChoiceList(const Word& w) {
  std::string list;
  for (const Choice& c : w.choices) {
    const std::string shortForm = Lower(ShortForm(c.word)), longForm = Lower(c.word);
    list += (list.empty() ? "" : ", ") + longForm + (shortForm != longForm ? " (" + shortForm + ")" : "");
  }
  return list;
}

}  // namespace

const char* RawTypeWord(QxVarType type) {
  for (const TypeWord& t : kTypes)
    if (t.type == type) return t.word;
  return "?";
}

Session::Session(std::ostream& out, std::ostream& err, TracingSocket* socket, int timeoutMs, TracingUsb* usb)
    : out_(out), err_(err), socket_(socket), usb_(usb), lan_(socket != nullptr), timeoutMs_(timeoutMs) {}

void Session::Attach(CWinSocket* socket) {
  // The host's 700 x 400 waveform window, split in two for the zoomed views.
  rgn_.MainWaveRect = CRect(16, 13, 716, 413);
  rgn_.UpperWaveRect = CRect(16, 13, 716, 193);
  rgn_.LowerWaveRect = CRect(16, 233, 716, 413);
  rgn_.TrigMarkRef2 = CPoint(366, 233);
  setup_.TimeScaleLimit = 2e-9f;
  setup_.RefreshFlag = 1;
  setup_.InterfaceType = lan_ ? 1 : 0;
  QxMsgInit(&main_, &setup_, &rgn_, &pos_, socket);
}

bool Session::Error(const std::string& message, Trouble trouble) {
  result_.errors.push_back({trouble, message});
  out_.flush();
  err_ << (location_.empty() ? "" : location_ + ": ") << "error: " << message << std::endl;
  return false;
}

bool Session::OnOwnLink() const { return setup_.InterfaceType == (lan_ ? 1u : 0u); }

bool Session::ProbeErrorQueue() {
  for (int i = 0; i < kMaxErrorEntries; ++i) {
    BYTE reply[kReplyBytes + 1] = {};
    if (ReadCommand(":SYSTEM:ERROR?", reply) <= 0) break;
    char* end = nullptr;
    const long code = std::strtol(reinterpret_cast<const char*>(reply), &end, 10);
    if (end == reinterpret_cast<const char*>(reply) || *end != ',') break;
    errorQueue_ = true;
    if (code == 0) break;  // entries before this session are not its errors
  }
  if (socket_) socket_->TakeHealth();  // an instrument without the queue leaves the probe unanswered
  return errorQueue_;
}

bool Session::InstrumentErrors() {
  bool clean = true;
  for (int i = 0; i < kMaxErrorEntries; ++i) {
    BYTE reply[kReplyBytes + 1] = {};
    if (ReadCommand(":SYSTEM:ERROR?", reply) <= 0) break;
    const std::string entry(reinterpret_cast<const char*>(reply));
    if (std::strtol(entry.c_str(), nullptr, 10) == 0) break;
    clean = Error("the instrument refused a line: " + entry, Trouble::Instrument);
  }
  return clean;
}

bool Session::Execute(const std::string& typed) {
  const std::string line = WithoutComment(typed);
  const std::vector<std::string> words = SplitWords(line);
  result_ = {};
  result_.before = setup_;
  linkBefore_ = QxGetLinkHealth();
  if (words.empty()) return true;
  const bool wasOwnLink = OnOwnLink();
  const Match match = FindWord(words);
  const std::span<const std::string> args = std::span(words).subspan(match.word ? match.used : 0);
  bool ok = true;
  bool reachesInstrument = true;
  if (!match.word) {
    const Expected expected = ExpectedAfter(words);
    std::string message = "unknown word \"" + words[0] + "\"; type help for the list";
    if (expected.matched > 0) {
      message.clear();
      for (std::size_t i = 0; i < expected.matched; ++i) message += (i ? " " : "") + Lower(words[i]);
      message += ": expected ";
      for (std::size_t i = 0; i < expected.next.size(); ++i) message += (i ? ", " : "") + expected.next[i];
      if (words.size() > expected.matched) message += ", not \"" + words[expected.matched] + "\"";
    }
    ok = Error(message);
    reachesInstrument = false;
  } else {
    switch (match.word->own) {
      case Own::None: ok = Control(match, words); break;
      case Own::Send: ok = Send(Rest(line, words[0])); break;
      case Own::Query: ok = Query(Rest(line, words[0])); break;
      case Own::Raw: ok = Raw(args); break;
      case Own::Init: ok = Init(); break;
      case Own::Window: ok = Window(args), reachesInstrument = false; break;
      case Own::RecordFile:
        ok = RecordFile(Rest(Rest(line, words[0]), words[1])), reachesInstrument = false;
        break;
      case Own::Show: ok = Show(args), reachesInstrument = false; break;
      case Own::Blocks: ok = Blocks(args), reachesInstrument = false; break;
      case Own::Help: ok = Help(args), reachesInstrument = false; break;
      case Own::Quit: quit_ = true, reachesInstrument = false; break;
    }
  }
  ok = Report() && ok;
  if (wasOwnLink != OnOwnLink()) {
    if (wasOwnLink)
      out_ << "  warning: the library now talks to the " << LinkName(!lan_)
           << ", which this session does not have: nothing reaches the instrument until `interface "
           << (lan_ ? "lan" : "usb") << "`\n";
    else
      out_ << "  the library talks to this session's " << LinkName(lan_) << " again\n";
  }
  if (reachesInstrument && errorQueue_ && OnOwnLink() && !linkLost_) ok = InstrumentErrors() && ok;
  return ok;
}

bool Session::Post(unsigned long cmd, unsigned int ctrl, long value) {
  if (!QxPostIOCmd(cmd, ctrl, value, &panel_, nullptr, nullptr)) return Error("the command queue is full");
  posted_ = cmd;
  while (GetIOCmd() != 0) IOCmdProcess();
  return true;
}

bool Session::Control(const Match& match, std::span<const std::string> typed) {
  const Word& w = *match.word;
  const std::span<const std::string> args = typed.subspan(match.used);
  // A slip may be in a longer word that begins the same way ("la thresh ttl").
  std::string longer;
  if (const Expected e = ExpectedAfter(typed); e.matched == match.used)
    for (const std::string& next : e.next)
      longer += (longer.empty() ? "; or " + std::string(w.text) + " " : ", ") + next;
  const auto refuse = [&](const std::string& why) {
    return Error(std::string(w.text) + ": " + why + longer);
  };
  long value = 0;
  if (std::string why; !SlotValue(match, &value, &why)) return Error(why);
  if (w.var == QX_VAR_NONE) {
    if (!args.empty()) return refuse("takes no value");
  } else {
    const std::string expected = Usage(w).substr(std::strlen(w.text) + 1);
    if (args.size() != 1)
      return refuse(std::string("expected ") + (args.empty() ? "" : "one value, ") + expected);
    const Value v = ParseValue(w, args[0]);
    if (!v.ok) return refuse(v.error);
    SetMessageVariable(w.var, v.value);
  }
  if (w.framesAddress) value = reinterpret_cast<long>(&frames_);
  return Post(w.cmd, w.ctrl, value);
}

bool Session::Report() {
  for (const HostWindow::Event& e : HostWindow::Events()) {
    WindowMessage m;
    m.window = e.window->Name();
    m.value = static_cast<long>(e.lParam);
    m.timer = e.timer;
    if (e.timer) {
      m.message = std::to_string(e.message);
      m.value = static_cast<long>(e.wParam);
    } else {
      const char* message = e.window != &main_           ? CommandName(e.message)
                            : e.message == QX_MSG_MISC   ? "QX_MSG_MISC"
                            : e.message == QX_MSG_NOTIFY ? "QX_MSG_NOTIFY"
                                                         : nullptr;
      const char* control = ControlName(posted_, static_cast<unsigned int>(e.wParam));
      m.message = message ? message : Hex(e.message);
      m.control = control ? control : Hex(e.wParam);
      m.status = e.wParam == CTL_STATUS_MESSAGE && e.window == &main_;
      // An address varies from run to run: the console's frames are named.
      m.frames = e.lParam == reinterpret_cast<LPARAM>(&frames_);
      if (m.status) result_.status = setup_.ErrorText;
    }
    result_.messages.push_back(std::move(m));
  }
  HostWindow::Events().clear();
  result_.after = setup_;
  for (const FieldChange& c : Changes(result_.before, result_.after))
    if (std::strcmp(c.field->name, "ErrorText") != 0) result_.changed.push_back(c);
  if (socket_) result_.sent = socket_->TakeSent();
  if (usb_) result_.sent = usb_->TakeSent();
  Print();
  if (ReadBackIncomplete())
    out_ << "  warning: the setup blocks did not all come back whole after this line: the records keep the "
            "values asked for, not the instrument's\n";
  if (!socket_) return true;
  const LinkHealth health = socket_->TakeHealth();
  linkLost_ = linkLost_ || health.Lost();
  bool ok = true;
  if (health.failedSends > 0)
    ok = Error(
        "the instrument's connection is lost: " + std::to_string(health.failedSends) + " line(s) not sent",
        Trouble::LinkLost);
  if (health.unansweredQueries > 0)
    ok = Error("the instrument did not answer " + std::to_string(health.unansweredQueries) +
                   (health.unansweredQueries == 1 ? " query" : " queries") + " within " +
                   std::to_string(timeoutMs_) + " ms",
               Trouble::NoReply);
  return ok;
}

bool Session::ReadBackIncomplete() const {
  const QxLinkHealth now = QxGetLinkHealth();
  const auto faults = [](const QxLinkHealth& h) { return h.Timeouts + h.ShortReplies + h.RefusedReplies; };
  if (faults(now) == faults(linkBefore_)) return false;
  for (QxBlockOutcome outcome : now.ReadBack)
    if (outcome == QX_BLOCK_FAILED) return true;
  return false;
}

void Session::Print() const {
  for (const WindowMessage& m : result_.messages) {
    const std::string window = "  " + m.window + " window: ";
    if (m.timer)
      out_ << window << "timer " << m.message << " restarted (" << m.value << " ms)\n";
    else if (m.status)
      out_ << "  status: " << result_.status << "\n";
    else
      out_ << window << m.message << " / " << m.control << ", value "
           << (m.frames ? "the console's frames" : std::to_string(m.value)) << "\n";
  }
  for (const FieldChange& c : result_.changed)
    out_ << "  " << ChangeText(c, &result_.before, &result_.after) << "\n";
}

bool Session::Show(std::span<const std::string> args) {
  const std::vector<std::string> groups = FieldGroups();
  std::string all;
  for (const std::string& g : groups) all += (all.empty() ? "" : ", ") + g;
  if (args.empty()) {
    out_ << "  groups: " << all << "\n";
    return true;
  }
  const std::string group = Lower(args[0]);
  if (args.size() > 1 || std::find(groups.begin(), groups.end(), group) == groups.end())
    return Error("show: expected one of " + all + ", not \"" + args[0] + (args.size() > 1 ? " ..." : "") +
                 "\"");
  PrintGroup(out_, group, setup_, rgn_, pos_);
  return true;
}

bool Session::Blocks(std::span<const std::string> args) {
  DSO_SETUP dso;
  _QX_LA_SETUP la;
  DSO_ALT_SETUP alt;
  QxGetFirmwareBlocks(&dso, &la, &alt);
  const struct {
    const char* name;
    const char* title;
    std::span<const QxField> fields;
    const BYTE* bytes;
  } blocks[] = {
      {"dso", "DSO_SETUP (780 bytes)", QxFieldsOf<DSO_SETUP>(), dso.Bytes},
      {"la", "_QX_LA_SETUP (260 bytes)", QxFieldsOf<_QX_LA_SETUP>(), la.Bytes},
      {"alt", "DSO_ALT_SETUP (396 bytes)", QxFieldsOf<DSO_ALT_SETUP>(), alt.Bytes},
  };
  if (args.size() > 1 ||
      (args.size() == 1 && std::none_of(std::begin(blocks), std::end(blocks),
                                        [&](const auto& b) { return Lower(args[0]) == b.name; })))
    return Error("blocks: expected dso, la or alt, or nothing for all three");
  for (const auto& b : blocks)
    if (args.empty() || Lower(args[0]) == b.name) PrintBlock(out_, b.title, b.fields, b.bytes);
  return true;
}

bool Session::Send(const std::string& text) {
  if (text.empty()) return Error("send: expected the text to send");
  if (!OnOwnLink())
    return Error(std::string("send: the library talks to the ") + LinkName(!lan_) +
                 ", which this session does not have; `interface " + (lan_ ? "lan" : "usb") + "` first");
  const int n = WriteCommand(text.c_str());
  out_ << "  " << (n < 0 ? "not connected" : std::to_string(n) + " bytes sent") << "\n"
       << "  the records do not follow a line sent this way; init reads the instrument's setup into them "
          "again\n";
  return n >= 0;
}

bool Session::Query(const std::string& text) {
  if (text.empty()) return Error("query: expected the text to send");
  if (!OnOwnLink())
    return Error(std::string("query: the library talks to the ") + LinkName(!lan_) +
                 ", which this session does not have; `interface " + (lan_ ? "lan" : "usb") + "` first");
  // A setup block is read whole (on the LAN); any other reply up to the library's 256 bytes.
  const bool block = lan_ && strncasecmp(text.c_str(), ":SETUP:", 7) == 0;
  BYTE reply[sizeof(DSO_SETUP) + 1] = {};
  const int n = block ? ReadSetup(text.c_str(), reply) : ReadCommand(text.c_str(), reply);
  if (n <= 0) {
    out_ << "  no reply\n";
    return socket_ ? false : Error("query: no reply", Trouble::NoReply);
  }
  const std::string payload(reinterpret_cast<const char*>(reply), static_cast<std::size_t>(n));
  result_.reply = payload;
  if (IsText(payload)) {
    out_ << "  reply: " << payload << "\n";
  } else if (payload.size() == kBlockSizes[0]) {
    PrintBlock(out_, "  reply: 780 bytes, a DSO_SETUP block", QxFieldsOf<DSO_SETUP>(), reply);
  } else if (payload.size() == kBlockSizes[1]) {
    PrintBlock(out_, "  reply: 260 bytes, an _QX_LA_SETUP block", QxFieldsOf<_QX_LA_SETUP>(), reply);
  } else if (payload.size() == kBlockSizes[2]) {
    PrintBlock(out_, "  reply: 396 bytes, a DSO_ALT_SETUP block", QxFieldsOf<DSO_ALT_SETUP>(), reply);
  } else {
    out_ << "  reply: " << payload.size() << " bytes\n";
    HexDump(out_, payload);
  }
  if (socket_ && socket_->LastAnnounced() > n)
    out_ << "  (the instrument announced " << socket_->LastAnnounced() << " bytes; the library stores " << n
         << ")\n";
  return true;
}

bool Session::Raw(std::span<const std::string> args) {
  static const std::string kUsage =
      "raw: expected CMD CTRL VALUE TYPE [DATA], e.g. raw CMD_ACQUIRE CTL_ACQ_AVERAGES 0 int 64";
  if (args.size() < 4 || args.size() > 5) return Error(kUsage);
  long long cmd = 0, ctrl = 0, value = 0;
  unsigned long namedCmd = 0;
  unsigned int namedCtrl = 0;
  if (CommandByName(args[0].c_str(), &namedCmd))
    cmd = static_cast<long long>(namedCmd);
  else if (!WholeNumber(args[0], 1, 0xFFFFFFFF, &cmd))
    return Error("raw: CMD \"" + args[0] + "\" is neither a command name nor a number from 1 to 0xFFFFFFFF");
  if (ControlByName(args[1].c_str(), &namedCtrl))
    ctrl = namedCtrl;
  else if (!WholeNumber(args[1], 0, 0xFFFFFFFF, &ctrl))
    return Error("raw: CTRL \"" + args[1] + "\" is neither a control name nor a number from 0 to 0xFFFFFFFF");
  if (!WholeNumber(args[2], -2147483648LL, 2147483647LL, &value))
    return Error("raw: VALUE \"" + args[2] + "\" is not a 32-bit whole number");
  const TypeWord* type = nullptr;
  for (const TypeWord& t : kTypes)
    if (Lower(args[3]) == t.word) type = &t;
  if (!type) return Error("raw: TYPE is one of none, bool, byte, int, uint, float, double, int64");
  if ((type->type == QX_VAR_NONE) != (args.size() == 4))
    return Error(type->type == QX_VAR_NONE ? "raw: none takes no DATA"
                                           : "raw: " + args[3] + " needs its DATA");
  if (args.size() == 5) {
    const ParsedNumber data = ParseNumber(args[4], Unit::None);
    if (!data.ok) return Error("raw: DATA \"" + args[4] + "\": " + data.error);
    if (std::string why = FitError(type->type, data.value); !why.empty())
      return Error("raw: DATA \"" + args[4] + "\" is " + why);
    SetMessageVariable(type->type, data.value);
  }
  return Post(static_cast<unsigned long>(cmd), static_cast<unsigned int>(ctrl), static_cast<long>(value));
}

bool Session::Window(std::span<const std::string> args) {
  static constexpr long kWindows = 5;
  long long n = 0;
  if (args.size() != 1 || !WholeNumber(args[0], 0, kWindows - 1, &n))
    return Error(
        "window: expected 0 main, 1 main with the delayed view open, 2 delayed, 3 CH1 alternate, "
        "4 CH2 alternate");
  const _QX_RGN_SETUP before = rgn_;
  rgn_.ActiveWindow = static_cast<decltype(rgn_.ActiveWindow)>(n);
  for (const FieldChange& c : Changes(before, rgn_)) out_ << "  " << ChangeText(c, &before, &rgn_) << "\n";
  return true;
}

bool Session::RecordFile(const std::string& path) {
  if (path.empty()) return Error("record file: expected the path of the record file");
  if (path.size() >= sizeof setup_.RecordFilePath)
    return Error("record file: the path is longer than " + std::to_string(sizeof setup_.RecordFilePath - 1) +
                 " characters");
  std::memset(setup_.RecordFilePath, 0, sizeof setup_.RecordFilePath);
  std::memcpy(setup_.RecordFilePath, path.data(), path.size());
  return true;
}

bool Session::Start() {
  if (!QxInitSystem()) return false;
  // On the LAN a start "succeeds" whatever came back; a record built from
  // blocks that never arrived would show zeros as the instrument's settings.
  const QxLinkHealth health = QxGetLinkHealth();
  for (QxBlockOutcome outcome : health.Start)
    if (outcome != QX_BLOCK_WHOLE) return false;
  SaveUndoSetup();  // what leaving playback puts back: the settings as read
  return true;
}

bool Session::Init() {
  if (Start()) {
    out_ << "  the records now mirror the instrument\n";
    return true;
  }
  return Error("reading the instrument's setup failed", Trouble::NoReply);
}

bool Session::Help(std::span<const std::string> args) {
  if (args.empty()) {
    constexpr std::size_t kColumn = 43;  // where the help texts start
    for (const Word& w : Words()) {
      const std::string usage = "  " + Usage(w);
      out_ << usage;
      if (usage.size() < kColumn)
        out_ << std::string(kColumn - usage.size(), ' ');
      else
        out_ << "\n" << std::string(kColumn, ' ');
      out_ << w.help << "\n";
    }
    std::string slots;
    for (const Placeholder& p : Placeholders())
      if (!p.before)
        slots += std::string(slots.empty() ? "" : ", ") + p.token + " " + p.prefix + std::to_string(p.first) +
                 ".." + p.prefix + std::to_string(p.last);
    out_ << "  In a word, " << slots << ".\n"
         << "  Choices take their SCPI short form (aver for average). help WORD lists the words that begin\n"
            "  with WORD (help trigger, help ch1) and tells more of one.\n";
    return true;
  }
  if (args.size() == 1 && Lower(args[0]) == "numbers") {
    out_ << kNumberHelp << "\n";
    return true;
  }
  std::vector<const Word*> found;
  const Word* exact = nullptr;
  for (const Word& w : Words()) {
    const std::vector<std::string> tokens = Tokens(w.text);
    if (tokens.size() < args.size()) continue;
    bool match = true;
    for (std::size_t i = 0; i < args.size() && match; ++i)
      match = tokens[i] == Lower(args[i]) || TokenFits(w, i, args[i]);
    if (!match) continue;
    found.push_back(&w);
    if (tokens.size() == args.size()) exact = &w;
  }
  std::string topic;
  for (const std::string& a : args) topic += (topic.empty() ? "" : " ") + a;
  if (found.empty()) return Error("help: no word begins with \"" + topic + "\"");
  if (!exact && found.size() > 1) {
    for (const Word* w : found) out_ << "  " << Usage(*w) << "\n      " << w->help << "\n";
    return true;
  }
  const Word& w = exact ? *exact : *found[0];
  out_ << "  " << Usage(w) << "\n      " << w.help << "\n";
  if (!w.choices.empty()) out_ << "      choices: " << ChoiceList(w) << "\n";
  if (w.range) out_ << "      range: " << w.range << "\n";
  if (w.number)
    out_ << "      unit: " << (w.unit == Unit::None ? "none" : UnitText(w.unit))
         << ", after an SI prefix if you like (help numbers)\n";
  if (const Placeholder* p = PlaceholderOf(w))
    out_ << "      " << p->token << ": " << p->prefix << p->first << " to " << p->prefix << p->last << "\n";
  if (w.cmdName)
    out_ << "      posts " << w.cmdName << " / " << (w.ctrlName ? w.ctrlName : Hex(w.ctrl).c_str())
         << (w.var == QX_VAR_NONE ? "" : std::string(" with ") + TypeName(w.var)) << "\n";
  return true;
}

}  // namespace qxhost
