// ozgate --config gate.toml: polls every controller of the file on its own
// thread and publishes to the outputs the file enables.
#include <CLI/CLI.hpp>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <sys/resource.h>
#include <thread>

#include "gate.h"

namespace {

std::atomic<bool> g_stop{false};
extern "C" void on_signal(int) { g_stop = true; }

double cpu_seconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

int run(const ozgate::Config& cfg, double seconds) {
  ozgate::Hub hub(cfg.refresh);
  std::unique_ptr<ozgate::Sink> mqtt;
  std::unique_ptr<ozgate::Server> prometheus, shdr;
  if (cfg.mqtt.enabled) {
    mqtt = ozgate::make_mqtt(cfg.mqtt, cfg.controllers);
    hub.add(mqtt.get());
  }
  if (cfg.prometheus.enabled) {
    prometheus = ozgate::serve_prometheus(cfg.prometheus, hub);
    std::printf("ozgate: prometheus on %s:%u/metrics\n", cfg.prometheus.host.c_str(), prometheus->port());
  }
  if (cfg.shdr.enabled) {
    shdr = ozgate::serve_shdr(cfg.shdr, hub);
    std::printf("ozgate: shdr on %s:%u\n", cfg.shdr.host.c_str(), shdr->port());
  }
  std::printf("ozgate: polling %zu controller(s)\n", cfg.controllers.size());
  std::fflush(stdout);
  const double cpu0 = cpu_seconds();
  const auto t0 = std::chrono::steady_clock::now();
  std::vector<std::thread> pollers;
  for (const auto& c : cfg.controllers)
    pollers.emplace_back([&c, &hub] { ozgate::poll_controller(c, hub, g_stop); });
  while (!g_stop) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (seconds > 0 && std::chrono::steady_clock::now() - t0 >= std::chrono::duration<double>(seconds)) g_stop = true;
  }
  for (auto& t : pollers) t.join();
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  uint64_t polls = 0, errors = 0;
  for (auto& [name, st] : hub.stats()) {
    polls += st.polls;
    errors += st.errors;
  }
  const double cpu = cpu_seconds() - cpu0;
  std::printf("ozgate: %llu item reads in %.1f s (%.0f/s), %llu errors, %llu values published, %.2f s CPU\n",
              static_cast<unsigned long long>(polls), wall, double(polls) / wall,
              static_cast<unsigned long long>(errors), static_cast<unsigned long long>(hub.published()), cpu);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"ozgate: publishes controllers' data to MQTT, Prometheus and SHDR"};
  std::string config;
  double seconds = 0;
  app.add_option("-c,--config", config, "Configuration file (TOML)")->required();
  app.add_option("--seconds", seconds, "Stop after this many seconds and print figures (0: run until stopped)");
  app.set_version_flag("--version", "ozgate 1.0.0");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int rc = app.exit(e);
    return rc == 0 ? 0 : 2;
  }
  std::signal(SIGINT, on_signal);
  std::signal(SIGTERM, on_signal);
  std::signal(SIGPIPE, SIG_IGN);
  try {
    return run(ozgate::load_config(config), seconds);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ozgate: %s\n", e.what());
    return 1;
  }
}
