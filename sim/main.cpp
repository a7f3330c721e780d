// qxsim: the simulated instrument on a TCP port.
//
//   qxsim [--host ADDR] [--port N] [--max-clients N] [--trace] [fault options]
//
// The first line on stdout is the port listened on. With --trace every line
// received, every reply sent and every connection event goes to stderr,
// stamped with the seconds since start. SIGINT or SIGTERM ends it cleanly.
// Exit codes: 0 after a signal or --help, 1 when the port cannot be opened,
// CLI11's own non-zero codes for a bad command line.
#include <signal.h>

#include <CLI/CLI.hpp>
#include <clocale>
#include <cstdio>
#include <iostream>
#include <mutex>

#include "sim/instrument.h"
#include "sim/server.h"

int main(int argc, char** argv) {
  CLI::App app{"qxsim: a simulated oscilloscope that speaks the instrument's LAN protocol"};
  std::string host = "127.0.0.1";
  int port = 5555;
  bool trace = false;
  qxsim::Faults faults;
  qxsim::ServerOptions options;
  app.add_option("--host", host, "Address to listen on")->capture_default_str();
  app.add_option("--port", port, "TCP port; 0 picks a free one (printed first on stdout)")
      ->capture_default_str()
      ->check(CLI::Range(0, 65535));
  app.add_option("--max-clients", options.maxClients, "Connections served at once; more are refused")
      ->capture_default_str()
      ->check(CLI::PositiveNumber);
  app.add_flag("--trace", trace, "Print every line received and every reply sent to stderr, with timestamps");
  app.add_option("--reply-delay", faults.replyDelayMs, "Fault: wait this many ms before each reply")
      ->check(CLI::NonNegativeNumber);
  app.add_option("--split", faults.pieceBytes, "Fault: send replies in pieces of this many bytes")
      ->check(CLI::NonNegativeNumber);
  app.add_option("--split-gap", faults.pieceGapMs, "Fault: ms between two pieces of a split reply")
      ->capture_default_str()
      ->check(CLI::NonNegativeNumber);
  app.add_option("--drop-after", faults.dropAfter, "Fault: close each connection after this many commands")
      ->check(CLI::NonNegativeNumber);
  app.add_option("--lie-prefix", faults.prefixDelta,
                 "Fault: announce this many bytes more (negative: fewer) than each reply holds");
  // As a real host would: the instrument's language never depends on it.
  std::setlocale(LC_ALL, "");
  CLI11_PARSE(app, argc, argv);

  // The signals are waited for, not handled asynchronously.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  qxsim::Instrument instrument;
  instrument.SetFaults(faults);
  qxsim::Server server(instrument, options);
  std::mutex traceMutex;
  if (trace) {
    server.SetTrace([&traceMutex](const std::string& line) {
      std::lock_guard lock(traceMutex);
      std::cerr << line << '\n';
    });
  }
  const int bound = server.Start(host, port);
  if (bound < 0) {
    std::cerr << "qxsim: " << server.LastError() << '\n';
    return 1;
  }
  std::cout << bound << std::endl;

  int signal = 0;
  sigwait(&signals, &signal);
  server.Stop();
  if (trace) std::cerr << "qxsim: stopped by signal " << signal << '\n';
  return 0;
}
