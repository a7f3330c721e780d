#include "simulator.h"

#include <pybind11/operators.h>

#include <string_view>

#include "errors.h"

namespace qxpy {
namespace {

qxsim::BlockId BlockNamed(std::string_view name) {
  if (name == "dso") return qxsim::BlockId::Dso;
  if (name == "la") return qxsim::BlockId::La;
  if (name == "alt") return qxsim::BlockId::Alt;
  throw py::key_error("no setup block \"" + std::string(name) + "\": dso, la or alt");
}

}  // namespace

Simulator::Simulator(int port, const std::string& host, bool serve) : host_(host) {
  if (!serve) return;
  port_ = server_.Start(host, port);
  if (port_ < 0)
    throw ConnectError("the simulated instrument cannot listen on " + host + ":" + std::to_string(port) +
                       ": " + server_.LastError());
}

void BindSimulator(py::module_& m) {
  py::class_<qxsim::Faults>(m, "Faults", "Faults the simulator injects on its LAN link.")
      .def(py::init([](int replyDelayMs, int pieceBytes, int pieceGapMs, int dropAfter, int prefixDelta) {
             return qxsim::Faults{replyDelayMs, pieceBytes, pieceGapMs, dropAfter, prefixDelta};
           }),
           py::arg("reply_delay_ms") = 0, py::arg("piece_bytes") = 0, py::arg("piece_gap_ms") = 1,
           py::arg("drop_after") = 0, py::arg("prefix_delta") = 0)
      .def_readwrite("reply_delay_ms", &qxsim::Faults::replyDelayMs, "Wait before each reply, in ms.")
      .def_readwrite("piece_bytes", &qxsim::Faults::pieceBytes,
                     "Send each reply in pieces of this many bytes (0: whole).")
      .def_readwrite("piece_gap_ms", &qxsim::Faults::pieceGapMs, "Pause between two pieces, in ms.")
      .def_readwrite("drop_after", &qxsim::Faults::dropAfter,
                     "Close a connection once it has carried this many lines (0: never).")
      .def_readwrite("prefix_delta", &qxsim::Faults::prefixDelta,
                     "Announce this many bytes more (or fewer) than a reply holds.")
      .def(py::self == py::self)
      .def("__repr__", [](const qxsim::Faults& f) {
        return "Faults(reply_delay_ms=" + std::to_string(f.replyDelayMs) +
               ", piece_bytes=" + std::to_string(f.pieceBytes) +
               ", piece_gap_ms=" + std::to_string(f.pieceGapMs) +
               ", drop_after=" + std::to_string(f.dropAfter) +
               ", prefix_delta=" + std::to_string(f.prefixDelta) + ")";
      });

  py::class_<Simulator>(
      m, "Simulator",
      "The simulated instrument, in this process. With serve=True it listens on host:port "
      "(port 0 picks a free one) for qxmsg.open(sim.address) or any other client; with "
      "serve=False it only backs qxmsg.open('usb-sim'). Use it as a context manager, or stop().")
      .def(py::init<int, const std::string&, bool>(), py::arg("port") = 0, py::arg("host") = "127.0.0.1",
           py::arg("serve") = true)
      .def_property_readonly("port", &Simulator::Port, "The port it listens on (-1 when it does not serve).")
      .def_property_readonly(
          "address", [](const Simulator& s) { return s.Host() + ":" + std::to_string(s.Port()); },
          "HOST:PORT, as qxmsg.open takes it.")
      .def_property_readonly(
          "resource",
          [](const Simulator& s) {
            return "TCPIP::" + s.Host() + "::" + std::to_string(s.Port()) + "::SOCKET";
          },
          "The VISA resource string of its port.")
      .def_property_readonly("serving", &Simulator::Serving, "Whether it still listens.")
      .def_property(
          "faults", [](Simulator& s) { return s.Instrument().GetFaults(); },
          [](Simulator& s, const qxsim::Faults& f) { s.Instrument().SetFaults(f); },
          "The faults it injects on its LAN link (a Faults); assign a new Faults to change them.")
      .def(
          "block",
          [](Simulator& s, std::string_view name) {
            const std::vector<std::uint8_t> bytes = s.Instrument().Block(BlockNamed(name));
            return py::bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size());
          },
          py::arg("name"), "A copy of the instrument's setup block dso (780 bytes), la (260) or alt (396).")
      .def(
          "set_block",
          [](Simulator& s, std::string_view name, py::bytes data) {
            const qxsim::BlockId id = BlockNamed(name);
            const std::string bytes = data;
            if (bytes.size() != static_cast<std::size_t>(qxsim::BlockSize(id)))
              throw py::value_error("a " + std::string(name) + " block is " +
                                    std::to_string(qxsim::BlockSize(id)) + " bytes, not " +
                                    std::to_string(bytes.size()));
            s.Instrument().SetBlock(id, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
          },
          py::arg("name"), py::arg("data"),
          "Overwrites a setup block, as if the instrument had been set up so; the settings that follow from "
          "it "
          "are derived again.")
      .def(
          "execute",
          [](Simulator& s, std::string_view line) {
            const qxsim::Outcome outcome = s.Instrument().Run(line);
            if (!outcome.error.empty())
              throw RefusedError("the simulator refused \"" + std::string(line) + "\": " + std::string(outcome.error));
            return outcome.reply ? py::object(py::bytes(*outcome.reply)) : py::object(py::none());
          },
          py::arg("line"),
          "Runs one command line on the instrument directly, as if from its front panel; returns a query's "
          "reply.")
      .def(
          "reset", [](Simulator& s) { s.Instrument().FactoryReset(); }, "Back to the factory setup.")
      .def(
          "counters",
          [](const Simulator& s) {
            const qxsim::Counters c = s.Instrument().GetCounters();
            return py::dict(py::arg("lines") = c.lines, py::arg("commands") = c.commands,
                            py::arg("queries") = c.queries, py::arg("errors") = c.errors);
          },
          "Lines executed, commands carried out, queries answered, lines refused.")
      .def("stop", &Simulator::Stop, py::call_guard<py::gil_scoped_release>(),
           "Closes every connection and the port.")
      .def("__enter__", [](Simulator& s) -> Simulator& { return s; })
      .def(
          "__exit__", [](Simulator& s, py::args) { s.Stop(); }, py::call_guard<py::gil_scoped_release>());
}

}  // namespace qxpy
