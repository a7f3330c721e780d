// qxhost: a console host of the library. With no options it starts the
// simulated instrument on a loopback port of its own, connects to it and
// starts the system; commands then come from the keyboard, scripts, -c or
// standard input, and after each one the console prints what the library did.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "QxMsg.h"
#include "endpoint.h"
#include "line_input.h"
#include "session.h"
#include "sim/instrument.h"
#include "sim/server.h"
#include "sim/usb_device.h"
#include "tracing_link.h"

namespace {

using qxhost::Endpoint;
using qxhost::ParseEndpoint;

constexpr int kConnectTimeoutMs = 3000;

// The console's exit statuses, as --help and the README state them.
constexpr int kExitOk = 0;
constexpr int kExitNoInstrument = 1;
constexpr int kExitUsage = 2;
constexpr int kExitRefused = 3;

constexpr const char* kFooter = R"(Exit status:
  0  every line was carried out
  1  the instrument could not be reached, or stopped answering (a script stops there)
  2  the command line was wrong
  3  a line of -c, a script or standard input was refused by the console or the
     instrument, or a query went unanswered (the other lines still run)

Pacing: after each line the instrument needs a pause (100 ms, 200 ms after
:STOP, 10 s after :AUTO). --pacing real keeps them; --pacing fast cuts them to
1 ms, which the simulated instrument does not need. Fast is the default against
the simulated instrument (embedded or --usb), real against --connect.

Scripts: one command per line, "# comment" to the end of a line, errors as
FILE:LINE: error: ...; -c takes commands separated by ';'. Several --script and
-c options run in the order given. Type help at the prompt for the words.)";

// Every wait of the library comes here: replies within --timeout, pauses
// after lines as --pacing says.
qxhost::Pacing waits;

void Wait(DWORD ms) {
  std::this_thread::sleep_for(std::chrono::microseconds(std::llround(qxhost::PacedWaitMs(waits, ms) * 1000)));
}

struct Source {
  std::string name;  // for errors: the script's path, "-c" or "stdin"
  std::vector<std::string> lines;
};

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> out;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, separator);) {
    part.erase(0, part.find_first_not_of(" \t"));
    part.erase(part.find_last_not_of(" \t\r") + 1);
    out.push_back(part);
  }
  return out;
}

std::vector<std::string> ReadLines(std::istream& in) {
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  // As a real host does; the library writes and reads numbers in the "C" locale whatever is set.
  std::setlocale(LC_ALL, "");
  CLI::App app{
      "qxhost: drive the oscilloscope through the qxmsg library, by hand or from a script.\n"
      "Without --connect or --usb it starts the simulated instrument on a loopback port of its own."};
  std::string connect, pacing;
  std::vector<std::string> scripts, commands;
  bool usb = false, trace = false;
  app.add_option("--connect", connect,
                 "instrument address: HOST[:PORT] or TCPIP::HOST::PORT::SOCKET (port 5555 by default)");
  app.add_flag("--usb", usb, "use the simulated instrument's USB device instead of a socket")
      ->excludes("--connect");
  app.add_flag("--trace", trace, "show every query and reply as well as the commands, with timestamps");
  CLI::Option* scriptOption = app.add_option("--script", scripts, "run the commands of FILE, one per line")
                                  ->check(CLI::ExistingFile.description(""))
                                  ->type_name("FILE")
                                  ->expected(1);
  CLI::Option* commandOption = app.add_option("-c", commands, "run these commands, separated by ';'")
                                   ->type_name("COMMANDS")
                                   ->expected(1);
  app.add_option("--timeout", waits.timeoutMs, "how long a reply may take, in ms (default 3000)")
      ->check(CLI::Range(1, 600000).description(""))
      ->type_name("MS");
  app.add_option("--pacing", pacing, "real: the instrument's pauses after each line; fast: 1 ms (see below)")
      ->check(CLI::IsMember({"real", "fast"}).description(""))
      ->type_name("real|fast");
  app.set_version_flag("--version", "qxhost " QXHOST_VERSION);
  app.footer(kFooter);
  app.get_formatter()->column_width(36);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? kExitOk : kExitUsage;
  }
  const bool simulated = usb || connect.empty();
  waits.fast = pacing.empty() ? simulated : pacing == "fast";

  std::vector<Source> sources;
  std::size_t nextScript = 0, nextCommands = 0;
  for (const CLI::Option* option : app.parse_order()) {
    if (option == commandOption) {
      sources.push_back({"-c", Split(commands[nextCommands++], ';')});
    } else if (option == scriptOption) {
      std::ifstream in(scripts[nextScript]);
      sources.push_back({scripts[nextScript++], ReadLines(in)});
    }
  }

  std::ostream& out = std::cout;
  const qxhost::TracePrinter printer = [](const std::string& line) { std::cout << "  " << line << "\n"; };
  const qxhost::TraceLevel level = trace ? qxhost::TraceLevel::Full : qxhost::TraceLevel::Commands;

  qxsim::Instrument instrument;
  qxsim::Server server(instrument);
  qxsim::UsbDevice simUsb(instrument);
  QxTcpSocket tcp;
  qxhost::TracingSocket socket(tcp, printer, level);
  qxhost::TracingUsb tracingUsb(simUsb, printer, level);
  qxhost::Session session(out, std::cerr, usb ? nullptr : &socket, waits.timeoutMs,
                          usb ? &tracingUsb : nullptr);
  CWinSocket noSocket;
  waits.socket = usb ? nullptr : &socket;
  QxSetSleepHook(&Wait);

  std::string where;
  if (usb) {
    QxSetPanelUsb(&tracingUsb);
    session.Attach(&noSocket);
    where = "the simulated instrument's USB device";
  } else {
    Endpoint target;
    if (connect.empty()) {
      const int port = server.Start("127.0.0.1", 0);
      if (port < 0) {
        std::cerr << "qxhost: cannot start the simulated instrument: " << server.LastError() << "\n";
        return kExitNoInstrument;
      }
      target = {"127.0.0.1", static_cast<unsigned short>(port)};
      where = "the embedded simulated instrument at 127.0.0.1:" + std::to_string(port);
    } else {
      const std::optional<Endpoint> parsed = ParseEndpoint(connect);
      if (!parsed) {
        std::cerr << "qxhost: --connect expects HOST[:PORT] or TCPIP::HOST::PORT::SOCKET, not \"" << connect
                  << "\"\n";
        return kExitUsage;
      }
      target = *parsed;
      where = target.host + ":" + std::to_string(target.port);
    }
    if (!tcp.Connect(target.host.c_str(), target.port, kConnectTimeoutMs)) {
      std::cerr << "qxhost: cannot connect to " << where << " (refused, or no answer within "
                << kConnectTimeoutMs / 1000 << " s)\n";
      return kExitNoInstrument;
    }
    session.Attach(&socket);
  }
  session.Setup().Connected = 1;

  BYTE identity[257] = {};
  ReadSerial(identity);
  const std::string idn(reinterpret_cast<const char*>(identity));
  if (idn.empty()) {
    std::cerr << "qxhost: no answer from " << where << "\n";
    return kExitNoInstrument;
  }
  out << "Connected to " << where << ": " << idn << "\n";
  if (waits.fast) out << "Pacing fast: the pauses the instrument needs after each line are cut to 1 ms.\n";
  if (!session.Start()) {
    std::cerr << "qxhost: could not read the instrument's setup (a setup block did not come back whole)\n";
    return kExitNoInstrument;
  }
  if (!session.ProbeErrorQueue())
    out << "The instrument keeps no error queue (:SYSTEM:ERROR?): a line it refuses goes unnoticed.\n";
  qxhost::HostWindow::Events().clear();

  const bool interactive = sources.empty() && isatty(STDIN_FILENO);
  if (sources.empty() && !interactive) sources.push_back({"stdin", ReadLines(std::cin)});
  bool allCarriedOut = true;
  for (const Source& source : sources) {
    for (std::size_t n = 0; n < source.lines.size() && !session.QuitRequested() && !session.LinkLost(); ++n) {
      out << "qx> " << source.lines[n] << "\n";
      session.SetLocation(source.name + ":" + std::to_string(n + 1));
      allCarriedOut = session.Execute(source.lines[n]) && allCarriedOut;
      out.flush();
    }
  }
  if (interactive) {
    qxhost::LineInput input(argv[0], qxhost::DefaultHistoryFile());
    while (!session.QuitRequested())
      if (const std::optional<std::string> line = input.Read())
        session.Execute(*line);  // a typing slip at the keyboard is no failure of the session
      else
        break;
  }
  if (session.LinkLost() && !interactive) {
    std::cerr << "qxhost: stopped: " << where << " no longer answers\n";
    return kExitNoInstrument;
  }
  server.Stop();
  QxSetPanelUsb(nullptr);
  QxSetSleepHook(nullptr);
  return allCarriedOut ? kExitOk : kExitRefused;
}
