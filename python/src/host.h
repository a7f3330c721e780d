// The host side of one open instrument, for Python: the console session
// (the records, the windows, the words and their value rules), the traced
// link (a LAN socket, or the simulator's USB device) and the library's
// waits. The library is one instance per process, and so is a Host.
//
// Every call that reaches the instrument runs with the GIL released: the
// reply waits and the pauses after lines let other Python threads run. The
// wire trace goes to the logger "qxmsg.wire".
#pragma once

#include <pybind11/pybind11.h>

#include <memory>
#include <mutex>
#include <sstream>
#include <string>

#include "QxMsg.h"
#include "fields.h"
#include "session.h"
#include "sim/usb_device.h"
#include "simulator.h"
#include "tracing_link.h"

namespace qxpy {

class Host {
 public:
  // `resource` is HOST[:PORT] or TCPIP::HOST::PORT::SOCKET; with `usb` the
  // simulator's USB device is the link instead. Connects, starts the system
  // (the records then mirror the instrument), or raises ConnectError.
  Host(const std::string& resource, int timeoutMs, bool fastPacing, bool trace, Simulator* usb);
  ~Host() { Close(); }
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Disconnects and hands the library back its defaults; a new Host may then open.
  void Close();
  bool Closed() const { return !open_; }

  // Runs one console line and returns what it did; `controlOnly` refuses the
  // console's own words. Raises by the worst trouble of the line.
  py::dict Run(const std::string& line, bool controlOnly);
  // Posts a command, its message variable of `type` (a raw TYPE word)
  // checked against what the library knows of the control first.
  py::dict Post(unsigned long cmd, unsigned int ctrl, long value, const std::string& type, double data);

  RecordView Record(std::string_view name) const;
  py::dict Blocks() const;
  const std::string& Identity() const { return identity_; }
  const std::string& Where() const { return where_; }
  int TimeoutMs() const;
  void SetTimeoutMs(int ms);

 private:
  void Start(const std::string& resource, int timeoutMs, bool fastPacing, bool trace, Simulator* usb);

  std::mutex mutex_;  // one call into the library at a time
  std::ostringstream text_;
  QxTcpSocket tcp_;
  CWinSocket noSocket_;
  std::unique_ptr<qxsim::UsbDevice> device_;
  std::unique_ptr<qxhost::TracingSocket> socket_;
  std::unique_ptr<qxhost::TracingUsb> usb_;
  std::unique_ptr<qxhost::Session> session_;
  std::string where_, identity_;
  bool open_ = false;
};

void BindHost(py::module_& m);

}  // namespace qxpy
