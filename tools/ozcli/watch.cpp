// `ozcli watch [ITEM [ARG]]...`: polls the controller and shows each frame
// with its time, until Ctrl-C or --count frames. Without items it refreshes
// what every family offers by default; with items (`watch pmc R0-R9 macro
// 100-105 pos`) just those. With --json every frame, and a final error, is
// one line (JSON Lines).
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <thread>

#include "frame.h"

#ifdef _WIN32
#include <io.h>
#define OZCLI_WRITE(fd, p, n) _write(fd, p, unsigned(n))
#else
#include <unistd.h>
#define OZCLI_WRITE(fd, p, n) write(fd, p, n)
#endif

namespace ozcli {

namespace {

struct WatchArgs {
  int count = 0;
  std::string interval = "1";
  std::vector<std::string> items;
};

WatchArgs& args() {
  static WatchArgs a;
  return a;
}

// Ctrl-C must end the watch at once, also while the library waits for a
// connection or a reply, which no flag would interrupt. Every frame is
// written whole and flushed, so between frames nothing is lost by leaving
// straight away; while a frame is being written the loop ends after it.
volatile std::sig_atomic_t g_writing = 0;
volatile std::sig_atomic_t g_stop = 0;

extern "C" void ozcli_watch_signal(int) {
  g_stop = 1;
  if (!g_writing) {
    static const char nl = '\n';
    (void)!OZCLI_WRITE(1, &nl, 1);
    std::_Exit(0);
  }
}

using Frame = std::function<void(Session&, Output&)>;

// The frame the items ask for, or the default sections.
Frame frame_of(const Cli& cli, const std::vector<std::string>& words) {
  std::vector<Frame> parts;
  std::string known;
  for (auto& it : cli.watch_items()) known += (known.empty() ? "" : ", ") + it.name + (it.arg_name.empty() ? "" : " " + it.arg_name);
  for (size_t i = 0; i < words.size(); ++i) {
    const Cli::WatchItem* item = nullptr;
    for (auto& it : cli.watch_items())
      if (it.name == words[i]) item = &it;
    if (!item) throw UsageError("watch: unknown item '" + words[i] + "' (items: " + known + ")");
    std::string arg;
    if (!item->arg_name.empty()) {
      if (i + 1 >= words.size()) throw UsageError("watch " + item->name + ": give " + item->arg_name);
      arg = words[++i];
    }
    parts.push_back([item, arg](Session& s, Output& out) { item->run(s, out, arg); });
  }
  if (parts.empty())
    for (auto& sec : cli.watch_sections()) parts.push_back(sec.run);
  return [parts](Session& s, Output& out) {
    for (auto& p : parts) p(s, out);
  };
}

void show(const std::string& text) {
  g_writing = 1;
  std::cout << text << std::flush;
  g_writing = 0;
  if (g_stop) std::_Exit(0);
}

}  // namespace

CLI::App* install_watch(Cli& cli) {
  WatchArgs& a = args();
  CLI::App* w = cli.app().add_subcommand(
      "watch", "Poll the controller and show each frame with its time until Ctrl-C: every default value, "
               "or the items named (watch pos, watch pmc R0-R9, watch macro 100-105)");
  w->add_option("items", a.items, "ITEM [ARG]...");
  w->add_option("--count", a.count, "Stop after this many frames (0: never)")->check(CLI::NonNegativeNumber);
  w->add_option("--interval", a.interval, "Seconds between frames, 0.1 or more (default 1)");
  return w;
}

int run_watch(const Cli& cli, Session& s) {
  const WatchArgs& a = args();
  const bool json_out = s.options().json, tty = is_terminal(1);
  Frame frame;
  int64_t interval_ms = 0;
  int rc = run_reporting(json_out, [&] {
    interval_ms = parse_scaled(a.interval, 3, 100, 86400000, "--interval");
    frame = frame_of(cli, a.items);
  });
  if (rc != 0) return rc;
  std::signal(SIGINT, ozcli_watch_signal);
  std::signal(SIGTERM, ozcli_watch_signal);
  auto next = std::chrono::steady_clock::now();
  for (int n = 0; a.count <= 0 || n < a.count; ++n) {
    if (n > 0) std::this_thread::sleep_until(next);
    next = std::chrono::steady_clock::now() + std::chrono::milliseconds(interval_ms);
    Output out;
    const std::string time = timestamp_now();
    rc = run_reporting(json_out, [&] { frame(s, out); });
    if (rc != 0) return rc;
    std::ostringstream text;
    if (json_out) {
      json doc = {{"time", time}};
      const json body = out.to_json();
      for (auto it = body.begin(); it != body.end(); ++it) doc[it.key()] = it.value();
      text << doc.dump() << "\n";
    } else if (s.options().csv) {
      text << "# " << time << "\r\n";
      out.print_csv(text);
    } else {
      if (tty) text << "\x1b[H\x1b[2J";
      text << time << "  " << s.endpoint() << "  (Ctrl-C ends)\n\n";
      out.print(text);
      if (!tty) text << "\n";
    }
    show(text.str());
  }
  return 0;
}

}  // namespace ozcli
