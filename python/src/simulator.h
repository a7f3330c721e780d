// qxsim in-process for test fixtures: the simulated instrument, served on a
// loopback port (or not, for the in-process USB device), with its fault
// switches and its three setup blocks as bytes.
#pragma once

#include <pybind11/pybind11.h>

#include <memory>
#include <string>

#include "sim/instrument.h"
#include "sim/server.h"

namespace qxpy {

namespace py = pybind11;

class Simulator {
 public:
  // Serves on host:port (0: a free port) when `serve`; raises ConnectError
  // when the port cannot be had.
  Simulator(int port, const std::string& host, bool serve);
  ~Simulator() { Stop(); }

  qxsim::Instrument& Instrument() { return instrument_; }
  const qxsim::Instrument& Instrument() const { return instrument_; }
  int Port() const { return port_; }
  std::string Host() const { return host_; }
  // Closes every connection and the port.
  void Stop() { server_.Stop(); }
  bool Serving() const { return server_.Running(); }

 private:
  qxsim::Instrument instrument_;
  qxsim::Server server_{instrument_};
  std::string host_;
  int port_ = -1;
};

void BindSimulator(py::module_& m);

}  // namespace qxpy
