// ozsim: the simulated controller as a program of its own, for applications
// and scripts that want a controller on 127.0.0.1.
//
// Prints exactly one line on standard output once it accepts connections:
//   ozsim listening on 127.0.0.1:PORT
// so a script reads that line instead of sleeping and hoping.
#include <CLI/CLI.hpp>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <thread>

#include "sim/machine.h"

// SIGINT and SIGTERM only raise a flag; the main thread polls it. Plain
// std::signal keeps this free of any one system's signal interface.
static volatile std::sig_atomic_t g_stop = 0;
extern "C" void ozsim_on_signal(int) { g_stop = 1; }

static std::string trace_line(const oz::sim::RbRequest& q, const oz::sim::RbReply& r) {
  char line[160];
  std::snprintf(line, sizeof line,
                "conn %d sock %d: class %u path %u cmd %u args %d %d %d %d %d data %zu -> result %d data %zu",
                q.conn, q.sock, unsigned(q.cls), unsigned(q.path), unsigned(q.cmd), int(q.a1),
                int(q.a2), int(q.a3), int(q.a4), int(q.a5), q.data.size(), int(r.result),
                r.data.size());
  return line;
}

int main(int argc, char** argv) {
  CLI::App app{"ozsim: a simulated CNC on 127.0.0.1"};
  oz::sim::MachineConfig cfg;
  int port = 0, version = 5, paths = 1;
  bool verbose = false, run = false;
  app.add_option("--port", port, "TCP port (0: pick a free one)")->check(CLI::Range(0, 65535));
  app.add_option("--version", version, "Protocol version")->check(CLI::Range(1, 5))->capture_default_str();
  app.add_option("--paths", paths, "Number of CNC paths")->check(CLI::Range(1, 2))->capture_default_str();
  app.add_flag("-v,--verbose", verbose, "Log one line per request on standard error");
  app.add_flag("--run", run, "Start the simulated program on every path");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }
  cfg.port = uint16_t(port);
  cfg.version = uint16_t(version);
  cfg.paths = paths;
  cfg.recording = false;

  std::signal(SIGINT, ozsim_on_signal);
  std::signal(SIGTERM, ozsim_on_signal);

  oz::sim::Machine m(cfg);
  if (verbose) {
    m.set_trace([](const oz::sim::RbRequest& q, const oz::sim::RbReply& r) {
      std::cerr << trace_line(q, r) << std::endl;
    });
  }
  if (run) m.start_all();
  std::cout << "ozsim listening on 127.0.0.1:" << m.port() << std::endl;
  while (!g_stop) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  if (verbose) std::cerr << "ozsim: stopping" << std::endl;
  return 0;
}
