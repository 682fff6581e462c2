// ozmsgd: the message server the unsolicited calls register with, and
// optionally screen display windows, for use with ozsim (tools/ozmsgd.md).
//
// Prints exactly one line on standard output once it takes requests:
//   ozmsgd listening on 127.0.0.1:PORT
// PORT is where the simulated controller pushes: give it as the first
// setting word of a transmission setting.
#include <CLI/CLI.hpp>
#include <chrono>
#include <csignal>
#include <cstring>
#include <cstdio>
#include <iostream>
#include <memory>
#include <thread>

#include "sim/msg_server.h"

static volatile std::sig_atomic_t g_stop = 0;
extern "C" void ozmsgd_on_signal(int) { g_stop = 1; }

// A dotted IPv4 address as it lies in memory (network order).
static bool parse_address(const std::string& text, uint32_t* out) {
  unsigned a[4];
  char tail;
  if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a[0], &a[1], &a[2], &a[3], &tail) != 4) return false;
  uint8_t octets[4];
  for (int i = 0; i < 4; ++i) {
    if (a[i] > 255) return false;
    octets[i] = uint8_t(a[i]);
  }
  std::memcpy(out, octets, 4);
  return true;
}

int main(int argc, char** argv) {
  CLI::App app{"ozmsgd: message server and screen display stand-ins for ozsim"};
  int port = 0;
  bool verbose = false;
  std::vector<std::string> screens;
  app.add_option("--port", port, "TCP port the controller pushes to (0: pick a free one)")
      ->check(CLI::Range(0, 65535));
  app.add_option("--screen", screens, "Also show a screen display window for this controller address");
  app.add_flag("-v,--verbose", verbose, "One line per registration, message and display request on standard error");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }

  auto log = [verbose](const std::string& line) {
    if (verbose) std::cerr << "ozmsgd: " << line << std::endl;
  };
  std::vector<std::unique_ptr<oz::sim::ScreenDisplay>> displays;
  for (const std::string& s : screens) {
    uint32_t addr = 0;
    if (!parse_address(s, &addr)) {
      std::cerr << "ozmsgd: --screen: not an IPv4 address: " << s << std::endl;
      return 2;
    }
    displays.push_back(std::make_unique<oz::sim::ScreenDisplay>(addr, log));
    if (!displays.back()->ok()) {
      std::cerr << "ozmsgd: cannot publish the screen display window for " << s << std::endl;
      return 1;
    }
  }

  std::signal(SIGINT, ozmsgd_on_signal);
  std::signal(SIGTERM, ozmsgd_on_signal);

  oz::sim::MessageServer::Options opt;
  opt.push_port = uint16_t(port);
  opt.log = log;
  oz::sim::MessageServer server(opt);
  if (!server.ok()) {
    std::cerr << "ozmsgd: " << server.error() << std::endl;
    return 1;
  }
  std::cout << "ozmsgd listening on 127.0.0.1:" << server.push_port() << std::endl;
  while (!g_stop) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  log("stopping");
  return 0;
}
