// qxmsg._qxmsg: the library, the console's words and the simulated
// instrument for Python. The package qxmsg (qxmsg/__init__.py) builds its
// Scope on these.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <string>
#include <vector>

#include "QxMsg.h"
#include "errors.h"
#include "fields.h"
#include "host.h"
#include "simulator.h"
#include "word_parser.h"

namespace py = pybind11;

namespace {

// Every control word as typed, a placeholder's word once per slot ("ch1 scale", "ch2 scale").
std::vector<std::string> ControlWords() {
  std::vector<std::string> out;
  for (const qxhost::Word& w : qxhost::Words()) {
    if (w.own != qxhost::Own::None) continue;
    std::size_t at = 0;
    const qxhost::Placeholder* p = qxhost::PlaceholderOf(w, &at);
    std::vector<std::string> tokens = qxhost::Tokens(w.text);
    for (int n = p ? p->first : 0; n <= (p ? p->last : 0); ++n) {
      if (p) tokens[at] = p->prefix + std::to_string(n);
      std::string typed;
      for (const std::string& t : tokens) typed += (typed.empty() ? "" : " ") + t;
      out.push_back(typed);
    }
  }
  return out;
}

}  // namespace

PYBIND11_MODULE(_qxmsg, m) {
  m.doc() = "The qxmsg library, the console's words and the simulated instrument; use the package qxmsg.";

  auto& error = py::register_exception<qxpy::Error>(m, "Error");
  error.attr("__doc__") = "Base of every qxmsg error; raised itself for a second open in one process.";
  py::register_exception<qxpy::ConnectError>(m, "ConnectError",
                                             py::make_tuple(error, py::handle(PyExc_ConnectionError)))
      .attr("__doc__") = "The instrument cannot be reached, or its connection was lost.";
  py::register_exception<qxpy::TimeoutError>(m, "TimeoutError",
                                             py::make_tuple(error, py::handle(PyExc_TimeoutError)))
      .attr("__doc__") = "The instrument did not answer within timeout_ms.";
  py::register_exception<qxpy::RefusedError>(m, "RefusedError",
                                             py::make_tuple(error, py::handle(PyExc_ValueError)))
      .attr("__doc__") =
      "A word or value the console refuses (unknown word, bad slot, wrong type, out of range); "
      "nothing was posted.";

#define QX_ID(name) m.attr(#name) = name;
#include "identifiers.inc"
#undef QX_ID

  m.def("words", &ControlWords,
        "Every control word Scope.set takes, as typed (\"acquire averages\", \"ch1 scale\").");
  qxpy::BindFields(m);
  qxpy::BindSimulator(m);
  qxpy::BindHost(m);
}
