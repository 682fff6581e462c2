// ozsim: the simulated controller as a program of its own, for applications
// and scripts that want a controller to talk to.
//
// Prints one line on standard output once it accepts connections:
//   ozsim listening on ADDRESS:PORT
// and, with --control, a second one:
//   ozsim control on 127.0.0.1:PORT
// so a script reads those lines instead of sleeping and hoping. Exit codes:
// 0 stopped by Ctrl-C or SIGTERM, 1 it could not start (a busy port), 2 usage.
#include <CLI/CLI.hpp>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <memory>
#include <mutex>
#include <thread>

#include "sim/control.h"
#include "sim/listen.h"
#include "sim/machine.h"
#include "sim/request_names.h"

// SIGINT and SIGTERM only raise a flag; the main thread polls it. Plain
// std::signal keeps this free of any one system's signal interface.
static volatile std::sig_atomic_t g_stop = 0;
extern "C" void ozsim_on_signal(int) { g_stop = 1; }

// Local time with milliseconds, as the trace lines begin.
static std::string now_text() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t t = system_clock::to_time_t(now);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec, int(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000));
  return buf;
}

static std::string trace_line(const oz::sim::RbRequest& q, const oz::sim::RbReply& r) {
  const char* name = oz::sim::request_name(q.cls, q.cmd);
  char line[256];
  std::snprintf(line, sizeof line,
                "%s conn %d sock %d: %s (class %u cmd %u) path %u args %d %d %d %d %d data %zu -> result %d data %zu",
                now_text().c_str(), q.conn, q.sock, name ? name : "?", unsigned(q.cls), unsigned(q.cmd),
                unsigned(q.path), int(q.a1), int(q.a2), int(q.a3), int(q.a4), int(q.a5), q.data.size(),
                int(r.result), r.data.size());
  return line;
}


int main(int argc, char** argv) {
  CLI::App app{"ozsim: a simulated CNC"};
  oz::sim::MachineConfig cfg;
  int port = 0, protocol = 5, paths = 1, control = -1;
  bool verbose = false, run = false;
  std::string bind = "127.0.0.1";
  app.add_option("--port", port, "TCP port (0: pick a free one)")->check(CLI::Range(0, 65535));
  app.add_option("--bind", bind, "Local IPv4 address to listen on (0.0.0.0: all)")->capture_default_str();
  app.add_option("--protocol", protocol, "Protocol version of the controller, 1-5")
      ->check(CLI::Range(1, 5))
      ->capture_default_str();
  app.add_option("--paths", paths, "Number of CNC paths")->check(CLI::Range(1, 2))->capture_default_str();
  app.add_option("--control", control,
                 "Control channel on 127.0.0.1:PORT (0: pick a free one) for `ozcli sim`: alarms, messages, "
                 "emergency stop, mode")
      ->check(CLI::Range(0, 65535));
  app.add_flag("-v,--verbose", verbose, "Log one line per request on standard error");
  app.add_flag("--run", run, "Start the simulated program on every path");
  app.set_version_flag("--version", "ozsim " OZSIM_VERSION);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);
    std::cerr << "ozsim: " << e.what() << " (see ozsim --help)" << std::endl;
    return 2;
  }
  cfg.port = uint16_t(port);
  cfg.bind = bind;
  cfg.version = uint16_t(protocol);
  cfg.paths = paths;
  cfg.recording = false;

  std::signal(SIGINT, ozsim_on_signal);
  std::signal(SIGTERM, ozsim_on_signal);

  std::mutex log_mu;
  auto log = [&](const std::string& line) {
    std::lock_guard<std::mutex> l(log_mu);
    std::cerr << line << std::endl;
  };
  std::unique_ptr<oz::sim::Machine> m;
  std::unique_ptr<oz::sim::ControlServer> ctl;
  try {
    m = std::make_unique<oz::sim::Machine>(cfg);
    if (control >= 0) {
      ctl = std::make_unique<oz::sim::ControlServer>(*m, uint16_t(control), [&](const std::string& l, const std::string& a) {
        if (verbose) log(now_text() + " control: " + l + " -> " + a);
      });
    }
  } catch (const std::exception& e) {
    std::cerr << "ozsim: " << e.what() << std::endl;
    return 1;
  }
  if (verbose) m->set_trace([&](const oz::sim::RbRequest& q, const oz::sim::RbReply& r) { log(trace_line(q, r)); });
  if (run) m->start_all();
  std::cout << "ozsim listening on " << bind << ":" << m->port() << std::endl;
  if (ctl) std::cout << "ozsim control on 127.0.0.1:" << ctl->port() << std::endl;
  while (!g_stop) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  if (verbose) log(now_text() + " ozsim: stopping");
  ctl.reset();
  m.reset();
  return 0;
}
