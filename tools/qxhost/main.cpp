// qxhost: a console host of the library. With no options it starts the
// simulated instrument on a loopback port of its own, connects to it and
// starts the system; commands then come from the keyboard, a script, -c or
// standard input, and after each one the console prints what the library did.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include "QxMsg.h"
#include "frame/state.h"
#include "line_input.h"
#include "session.h"
#include "sim/instrument.h"
#include "sim/server.h"
#include "sim/usb_device.h"
#include "tracing_link.h"

namespace {

constexpr unsigned short kDefaultPort = 5555;
constexpr int kConnectTimeoutMs = 3000;

struct Endpoint {
  std::string host;
  unsigned short port = kDefaultPort;
};

// HOST, HOST:PORT, or the VISA form TCPIP::HOST::PORT::SOCKET.
std::optional<Endpoint> ParseEndpoint(const std::string& text) {
  std::smatch m;
  static const std::regex visa(R"(^TCPIP\d*::([^:]+)::(\d+)::SOCKET$)", std::regex::icase);
  static const std::regex plain(R"(^([^:]+)(?::(\d+))?$)");
  std::string host, port;
  if (std::regex_match(text, m, visa) || std::regex_match(text, m, plain)) {
    host = m[1];
    port = m[2];
  } else {
    return std::nullopt;
  }
  Endpoint e{host, kDefaultPort};
  if (!port.empty()) {
    const long p = std::stol(port);
    if (p < 1 || p > 65535) return std::nullopt;
    e.port = static_cast<unsigned short>(p);
  }
  return e;
}

// Against the embedded simulator the instrument's pacing is pointless: every
// wait is cut to a millisecond, which still lets the simulator's thread answer.
void ShortWait(DWORD ms) { std::this_thread::sleep_for(std::chrono::milliseconds(std::min<DWORD>(ms, 1))); }

std::vector<std::string> SplitCommands(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, ';');) {
    part.erase(0, part.find_first_not_of(" \t"));
    part.erase(part.find_last_not_of(" \t") + 1);
    out.push_back(part);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "qxhost: drive the oscilloscope through the qxmsg library, by hand or from a script.\n"
      "Without --connect or --usb it starts the simulated instrument on a loopback port of its own."};
  std::string connect, script, commands;
  bool usb = false, trace = false;
  app.add_option("--connect", connect,
                 "instrument address: HOST[:PORT] or TCPIP::HOST::PORT::SOCKET (port 5555 by default)");
  app.add_flag("--usb", usb, "use the simulated instrument's USB device instead of a socket");
  app.add_flag("--trace", trace, "show every query and reply as well as the commands, with timestamps");
  app.add_option("--script", script, "run the commands of FILE, one per line")->check(CLI::ExistingFile);
  app.add_option("-c", commands, "run these commands, separated by ';'");
  app.get_formatter()->column_width(40);
  CLI11_PARSE(app, argc, argv);
  if (usb && !connect.empty()) {
    std::cerr << "qxhost: --usb and --connect exclude each other\n";
    return 2;
  }

  std::ostream& out = std::cout;
  const qxhost::TracePrinter printer = [&out](const std::string& line) { out << "  " << line << "\n"; };
  const qxhost::TraceLevel level = trace ? qxhost::TraceLevel::Full : qxhost::TraceLevel::Commands;

  qxsim::Instrument instrument;
  qxsim::Server server(instrument);
  qxsim::UsbDevice simUsb(instrument);
  QxTcpSocket tcp;
  qxhost::TracingSocket socket(tcp, printer, level);
  qxhost::TracingUsb tracingUsb(simUsb, printer, level);
  qxhost::Session session(out, usb ? nullptr : &socket);
  CWinSocket noSocket;

  std::string where;
  if (usb) {
    QxSetPanelUsb(&tracingUsb);
    QxSetSleepHook(&ShortWait);
    session.Attach(&noSocket);
    session.Setup().InterfaceType = 0;
    where = "the simulated instrument's USB device";
  } else {
    Endpoint target;
    if (connect.empty()) {
      const int port = server.Start("127.0.0.1", 0);
      if (port < 0) {
        std::cerr << "qxhost: cannot start the simulated instrument: " << server.LastError() << "\n";
        return 1;
      }
      target = {"127.0.0.1", static_cast<unsigned short>(port)};
      QxSetSleepHook(&ShortWait);
      where = "the embedded simulated instrument at 127.0.0.1:" + std::to_string(port);
    } else {
      const std::optional<Endpoint> parsed = ParseEndpoint(connect);
      if (!parsed) {
        std::cerr << "qxhost: --connect expects HOST[:PORT] or TCPIP::HOST::PORT::SOCKET, not \"" << connect
                  << "\"\n";
        return 2;
      }
      target = *parsed;
      where = target.host + ":" + std::to_string(target.port);
    }
    if (!tcp.Connect(target.host.c_str(), target.port, kConnectTimeoutMs)) {
      std::cerr << "qxhost: cannot connect to " << where << " (refused, or no answer within "
                << kConnectTimeoutMs / 1000 << " s)\n";
      return 1;
    }
    session.Attach(&socket);
    session.Setup().InterfaceType = 1;
  }
  session.Setup().Connected = 1;

  BYTE identity[qx::kReplyBufferBytes + 1] = {};
  ReadSerial(identity);
  const std::string idn(reinterpret_cast<const char*>(identity));
  if (idn.empty()) {
    std::cerr << "qxhost: no answer from " << where << "\n";
    return 1;
  }
  out << "Connected to " << where << ": " << idn << "\n";
  if (connect.empty()) out << "Waits are cut to 1 ms against the simulated instrument.\n";
  if (!QxInitSystem()) {
    std::cerr << "qxhost: reading the instrument's setup failed\n";
    return 1;
  }
  qxhost::HostWindow::Events().clear();

  // Commands: -c, then --script, then the keyboard or standard input.
  bool allUnderstood = true;
  auto runLine = [&](const std::string& line, bool echo) {
    if (echo) out << "qx> " << line << "\n";
    allUnderstood = session.Execute(line) && allUnderstood;
    out.flush();
  };
  // A script stops at a lost link; at the keyboard the prompt stays.
  const bool interactive = commands.empty() && script.empty() && isatty(STDIN_FILENO);
  auto goOn = [&] { return !session.QuitRequested() && !session.LinkLost(); };
  if (!commands.empty()) {
    for (const std::string& line : SplitCommands(commands)) {
      if (!goOn()) break;
      runLine(line, true);
    }
  } else if (!script.empty()) {
    std::ifstream in(script);
    for (std::string line; goOn() && std::getline(in, line);) runLine(line, true);
  } else if (interactive) {
    qxhost::LineInput input(argv[0]);
    for (std::optional<std::string> line; !session.QuitRequested() && (line = input.Read("qx> "));)
      runLine(*line, false);
    allUnderstood = true;  // a typing slip at the keyboard is no failure of the session
  } else {
    for (std::string line; goOn() && std::getline(std::cin, line);) runLine(line, true);
  }
  if (session.LinkLost() && !interactive) {
    std::cerr << "qxhost: stopped: " << where << " no longer answers\n";
    return 1;
  }
  server.Stop();
  QxSetPanelUsb(nullptr);
  QxSetSleepHook(nullptr);
  return allUnderstood ? 0 : 3;
}
