#include "host.h"

#include <pybind11/stl.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <thread>

#include "endpoint.h"
#include "errors.h"

namespace qxpy {
namespace {

std::atomic<Host*> g_open{nullptr};
qxhost::Pacing g_pacing;

void Wait(DWORD ms) {
  std::this_thread::sleep_for(
      std::chrono::microseconds(std::llround(qxhost::PacedWaitMs(g_pacing, ms) * 1000)));
}

void Trace(const std::string& line) {
  py::gil_scoped_acquire gil;
  try {
    py::module_::import("logging").attr("getLogger")("qxmsg.wire").attr("debug")(line);
  } catch (py::error_already_set& e) {
    e.discard_as_unraisable("qxmsg wire trace");
  }
}

// A line's result for Python, or the exception of its worst trouble. A line
// the instrument refused is data (errors), as a status message is.
py::dict ToPython(const qxhost::Result& r, const std::string& text) {
  const qxhost::LineError* worst = nullptr;
  std::string all;
  py::list refusedByInstrument;
  for (const qxhost::LineError& e : r.errors) {
    if (e.trouble == qxhost::Trouble::Instrument) {
      refusedByInstrument.append(e.text);
      continue;
    }
    if (!worst || e.trouble > worst->trouble) worst = &e;
    all += (all.empty() ? "" : "; ") + e.text;
  }
  if (worst) {
    switch (worst->trouble) {
      case qxhost::Trouble::LinkLost: throw ConnectError(all);
      case qxhost::Trouble::NoReply: throw TimeoutError(all);
      default: throw RefusedError(all);
    }
  }
  py::list messages;
  for (const qxhost::WindowMessage& m : r.messages)
    messages.append(m.timer ? py::make_tuple(m.window, "timer", m.message, m.value)
                            : py::make_tuple(m.window, m.message, m.control, m.value));
  py::dict changed;
  for (const qxhost::FieldChange& c : r.changed)
    changed[py::str(qxhost::EntryName(*c.field, c.index))] =
        py::make_tuple(Entry(*c.field, &r.before, c.index, false), Entry(*c.field, &r.after, c.index, false));
  py::dict d;
  d["sent"] = r.sent;
  d["messages"] = messages;
  d["status"] = r.status.empty() ? py::object(py::none()) : py::object(py::str(r.status));
  d["changed"] = changed;
  d["errors"] = refusedByInstrument;
  d["reply"] = r.reply ? py::object(py::bytes(*r.reply)) : py::object(py::none());
  d["text"] = text;
  return d;
}

std::string Number(double v) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, v).ptr;
  return std::string(text, end);
}

}  // namespace

Host::Host(const std::string& resource, int timeoutMs, bool fastPacing, bool trace, Simulator* usb) {
  Host* other = nullptr;
  if (!g_open.compare_exchange_strong(other, this))
    throw Error("qxmsg is already open in this process (" + other->where_ +
                "): the library drives one instrument per process; close that one first");
  try {
    Start(resource, timeoutMs, fastPacing, trace, usb);
  } catch (...) {
    Close();
    throw;
  }
}

void Host::Start(const std::string& resource, int timeoutMs, bool fastPacing, bool trace, Simulator* usb) {
  if (timeoutMs < 1) throw py::value_error("timeout_ms must be at least 1");
  const qxhost::TraceLevel level = trace ? qxhost::TraceLevel::Full : qxhost::TraceLevel::Off;
  QxSetSleepHook(&Wait);
  if (usb) {
    where_ = "the simulator's USB device";
    device_ = std::make_unique<qxsim::UsbDevice>(usb->Instrument());
    usb_ = std::make_unique<qxhost::TracingUsb>(*device_, Trace, level);
    session_ = std::make_unique<qxhost::Session>(text_, text_, nullptr, timeoutMs, usb_.get());
    g_pacing = {fastPacing, timeoutMs, nullptr};
    QxSetPanelUsb(usb_.get());
    session_->Attach(&noSocket_);
  } else {
    const std::optional<qxhost::Endpoint> e = qxhost::ParseEndpoint(resource);
    if (!e)
      throw ConnectError(
          "\"" + resource +
          "\" is no instrument: give \"sim\", \"usb-sim\", HOST[:PORT] or TCPIP::HOST::PORT::SOCKET");
    where_ = e->host + ":" + std::to_string(e->port);
    socket_ = std::make_unique<qxhost::TracingSocket>(tcp_, Trace, level);
    session_ = std::make_unique<qxhost::Session>(text_, text_, socket_.get(), timeoutMs);
    g_pacing = {fastPacing, timeoutMs, socket_.get()};
    if (!tcp_.Connect(e->host.c_str(), e->port, timeoutMs))
      throw ConnectError("cannot connect to " + where_ + ": refused, or no answer within " +
                         std::to_string(timeoutMs) + " ms");
    session_->Attach(socket_.get());
  }
  session_->Setup().Connected = 1;
  BYTE identity[257] = {};
  ReadSerial(identity);
  identity_ = reinterpret_cast<const char*>(identity);
  if (identity_.empty()) throw ConnectError("no answer from " + where_ + " to *IDN?");
  if (!session_->Start()) throw ConnectError("reading the setup of " + where_ + " failed");
  session_->ProbeErrorQueue();
  qxhost::HostWindow::Events().clear();
  if (socket_) socket_->TakeSent(), socket_->TakeHealth();
  if (usb_) usb_->TakeSent();
  open_ = true;
}

void Host::Close() {
  std::lock_guard lock(mutex_);
  if (g_open != this) return;
  QxSetSleepHook(nullptr);
  QxSetPanelUsb(nullptr);
  tcp_.Close();
  g_pacing = {};
  open_ = false;
  g_open = nullptr;
}

py::dict Host::Run(const std::string& line, bool controlOnly) {
  if (!open_) throw Error("this scope is closed");
  if (controlOnly) {
    const qxhost::Match match = qxhost::FindWord(qxhost::SplitWords(line));
    if (match.word && match.word->own != qxhost::Own::None)
      throw RefusedError("\"" + std::string(match.word->text) + "\" is a word of the console, not a control");
  }
  qxhost::Result result;
  std::string text;
  {
    py::gil_scoped_release release;
    std::lock_guard lock(mutex_);
    text_.str({});
    session_->Execute(line);
    result = session_->Last();
    text = text_.str();
  }
  return ToPython(result, text);
}

py::dict Host::Post(unsigned long cmd, unsigned int ctrl, long value, const std::string& type, double data) {
  const char* cmdName = qxhost::CommandName(cmd);
  const char* ctrlName = qxhost::ControlName(cmd, ctrl);
  const std::string name = (cmdName ? cmdName : "command " + std::to_string(cmd)) + " / " +
                           (ctrlName ? ctrlName : "control " + std::to_string(ctrl));
  QxControlInfo info{};
  if (QxGetControlInfo(cmd, ctrl, &info)) {
    if (type != qxhost::RawTypeWord(info.varType))
      throw RefusedError(name + " takes " + qxhost::RawTypeWord(info.varType) + " (" +
                         qxhost::TypeName(info.varType) + "), not " + type);
    if (info.slot != QX_SLOT_NONE && (value < 0 || value >= info.slotCount))
      throw RefusedError(name + ": value " + std::to_string(value) + " names no slot; it takes 0 to " +
                         std::to_string(info.slotCount - 1));
  }
  std::string line =
      "raw " + std::to_string(cmd) + " " + std::to_string(ctrl) + " " + std::to_string(value) + " " + type;
  if (type != "none") line += " " + Number(data);
  return Run(line, false);
}

RecordView Host::Record(std::string_view name) const {
  const FieldTable& table = TableNamed(name);
  const void* base = name == "setup" ? static_cast<const void*>(&session_->Setup())
                     : name == "rgn" ? static_cast<const void*>(&session_->Rgn())
                     : name == "pos" ? static_cast<const void*>(&session_->Pos())
                                     : throw py::key_error("records: setup, rgn or pos");
  return RecordView(table, base);
}

py::dict Host::Blocks() const {
  DSO_SETUP dso;
  _QX_LA_SETUP la;
  DSO_ALT_SETUP alt;
  QxGetFirmwareBlocks(&dso, &la, &alt);
  auto bytes = [](const BYTE* p, std::size_t n) { return py::bytes(reinterpret_cast<const char*>(p), n); };
  return py::dict(py::arg("dso") = bytes(dso.Bytes, sizeof dso), py::arg("la") = bytes(la.Bytes, sizeof la),
                  py::arg("alt") = bytes(alt.Bytes, sizeof alt));
}

int Host::TimeoutMs() const { return g_pacing.timeoutMs; }

void Host::SetTimeoutMs(int ms) {
  if (ms < 1) throw py::value_error("timeout_ms must be at least 1");
  std::lock_guard lock(mutex_);
  g_pacing.timeoutMs = ms;
  session_->SetTimeout(ms);
}

void BindHost(py::module_& m) {
  py::class_<Host>(m, "Host", "The host side of one open instrument; qxmsg.open wraps it in a Scope.")
      .def(py::init<const std::string&, int, bool, bool, Simulator*>(), py::arg("resource"),
           py::arg("timeout_ms"), py::arg("fast_pacing"), py::arg("trace"), py::arg("usb") = nullptr,
           py::call_guard<py::gil_scoped_release>(), py::keep_alive<1, 6>())
      .def("close", &Host::Close, py::call_guard<py::gil_scoped_release>())
      .def_property_readonly("closed", &Host::Closed)
      .def("run", &Host::Run, py::arg("line"), py::arg("control_only") = false)
      .def("post", &Host::Post, py::arg("cmd"), py::arg("ctrl"), py::arg("value"), py::arg("type"),
           py::arg("data"))
      .def("record", &Host::Record, py::arg("name"), py::keep_alive<0, 1>())
      .def("blocks", &Host::Blocks)
      .def_property_readonly("identity", &Host::Identity)
      .def_property_readonly("where", &Host::Where)
      .def_property("timeout_ms", &Host::TimeoutMs, &Host::SetTimeoutMs);
}

}  // namespace qxpy
