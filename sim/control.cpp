#include "sim/control.h"

#include <atomic>
#include <cstdlib>
#include <map>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "sim/state_sim.h"

namespace oz::sim {

namespace {

// A command line split into words; the text of alarms and messages is the
// rest of the line after the fixed words, blanks kept.
struct Words {
  std::vector<std::string> w;
  std::string line;
  std::vector<size_t> at;   // where each word starts in line

  explicit Words(const std::string& l) : line(l) {
    size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
      if (i >= line.size()) break;
      const size_t start = i;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
      at.push_back(start);
      w.push_back(line.substr(start, i - start));
    }
  }
  std::string word(size_t k) const { return k < w.size() ? w[k] : std::string(); }
  std::string rest(size_t k) const { return k < w.size() ? line.substr(at[k]) : std::string(); }
};

// A whole number in lo..hi, or false.
bool number(const std::string& s, long lo, long hi, int32_t* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (*end != '\0' || v < lo || v > hi) return false;
  *out = int32_t(v);
  return true;
}

constexpr const char* kHelp =
    "usage: alarm raise NUMBER KIND AXIS TEXT | alarm clear [NUMBER] | message NUMBER TYPE TEXT | "
    "message clear | estop on|off | mode NUMBER | run start|stop [PATH]";

std::string alarm(Machine& m, const Words& c) {
  using namespace state;
  int32_t n = 0, kind = 0, axis = 0;
  if (c.word(1) == "raise") {
    if (!number(c.word(2), 0, 999999, &n) || !number(c.word(3), 0, 31, &kind) ||
        !number(c.word(4), 0, m.config().axes, &axis) || c.rest(5).empty())
      return "usage: alarm raise NUMBER (0-999999) KIND (0-31) AXIS (0-" + std::to_string(m.config().axes) +
             ", 0 none) TEXT";
    raise_alarm(m, Alarm{n, kind, axis, c.rest(5)});
    return "ok alarm " + std::to_string(n) + " raised";
  }
  if (c.word(1) == "clear") {
    if (c.w.size() == 2) {
      clear_alarms(m);
      return "ok alarms cleared";
    }
    if (!number(c.word(2), 0, 999999, &n) || c.w.size() != 3) return "usage: alarm clear [NUMBER]";
    auto l = m.lock();
    auto& v = m.state<AlarmState>().alarms;
    const size_t before = v.size();
    std::erase_if(v, [n](const Alarm& a) { return a.number == n; });
    if (v.size() == before) return "error: no alarm " + std::to_string(n) + " is pending";
    return "ok alarm " + std::to_string(n) + " cleared";
  }
  return "usage: alarm raise|clear";
}

std::string message(Machine& m, const Words& c) {
  using namespace state;
  if (c.word(1) == "clear" && c.w.size() == 2) {
    clear_messages(m);
    return "ok messages cleared";
  }
  int32_t n = 0, type = 0;
  if (!number(c.word(1), 0, 9999, &n) || !number(c.word(2), 0, 4, &type) || c.rest(3).empty())
    return "usage: message NUMBER (0-9999) TYPE (0-4) TEXT | message clear";
  std::string text = c.rest(3);
  if (text.size() > 256) return "error: a message holds at most 256 characters";
  post_message(m, OpMessage{n, type, text});
  return "ok message " + std::to_string(n) + " shown";
}

std::string panel(Machine& m, const Words& c) {
  const std::string& what = c.w[0];
  if (what == "estop") {
    if (c.w.size() != 2 || (c.word(1) != "on" && c.word(1) != "off")) return "usage: estop on|off";
    state::set_emergency(m, c.word(1) == "on");
    return "ok emergency stop " + c.word(1);
  }
  if (what == "mode") {
    int32_t mode = 0;
    if (c.w.size() != 2 || !number(c.word(1), 0, 10, &mode)) return "usage: mode NUMBER (0-10)";
    state::set_mode(m, mode);
    return "ok mode " + std::to_string(mode);
  }
  // run start|stop [PATH]
  int32_t path = 0;
  const bool all = c.w.size() == 2;
  if ((c.word(1) != "start" && c.word(1) != "stop") || c.w.size() > 3 ||
      (!all && !number(c.word(2), 1, m.paths(), &path)))
    return "usage: run start|stop [PATH (1-" + std::to_string(m.paths()) + ")]";
  if (c.word(1) == "stop") {
    for (int p = 1; p <= m.paths(); ++p)
      if (all || p == path) m.stop(p);
    return "ok stopped";
  }
  {
    auto l = m.lock();
    if (m.state<state::PanelState>().emergency) return "error: the emergency stop is on";
  }
  for (int p = 1; p <= m.paths(); ++p)
    if (all || p == path) m.start(p);
  return "ok started";
}

}  // namespace

std::string control_command(Machine& m, const std::string& line) {
  std::string l = line;
  while (!l.empty() && (l.back() == '\r' || l.back() == '\n')) l.pop_back();
  const Words c(l);
  if (c.w.empty() || c.w[0] == "help") return kHelp;
  if (c.w[0] == "alarm") return alarm(m, c);
  if (c.w[0] == "message") return message(m, c);
  if (c.w[0] == "estop" || c.w[0] == "mode" || c.w[0] == "run") return panel(m, c);
  return "usage: unknown command '" + c.w[0] + "'; " + std::string(kHelp + 7);
}

// ---- the channel -------------------------------------------------------------------

struct ControlServer::Impl {
  Machine& m;
  std::function<void(const std::string&, const std::string&)> log;
  plat::sock_t listener = plat::kBadSock;
  uint16_t port = 0;
  std::atomic<bool> stop{false};
  std::thread thread;

  Impl(Machine& mm, std::function<void(const std::string&, const std::string&)> l) : m(mm), log(std::move(l)) {}

  // One line, waiting at most a few seconds for it, so a client that says
  // nothing cannot hold the channel.
  std::string read_line(plat::sock_t s) {
    std::string line;
    char buf[512];
    while (line.find('\n') == std::string::npos && line.size() < 4096 && !stop) {
      if (plat::sock_select(s, 0, 5, 0) != 1) break;
      const int n = plat::sock_recv(s, buf, sizeof buf, 0);
      if (n <= 0) break;
      line.append(buf, size_t(n));
    }
    return line.substr(0, line.find('\n'));
  }

  void serve(plat::sock_t s) {
    const std::string line = read_line(s);
    const std::string answer = control_command(m, line);
    if (log) log(line, answer);
    const std::string out = answer + "\n";
    plat::sock_send(s, out.data(), int(out.size()), 0);
    plat::sock_close(s);
  }

  void run() {
    while (!stop) {
      const plat::sock_t s = plat::sock_accept(listener);
      if (s == plat::kBadSock) {
        if (stop) break;
        continue;
      }
      if (stop) {
        plat::sock_close(s);
        break;
      }
      serve(s);
    }
  }
};

ControlServer::ControlServer(Machine& m, uint16_t port,
                             std::function<void(const std::string&, const std::string&)> log)
    : impl_(std::make_unique<Impl>(m, std::move(log))) {
  uint32_t err = 0;
  plat::net_startup(&err);
  impl_->listener = plat::sock_listen_loopback(port, &impl_->port);
  if (impl_->listener == plat::kBadSock) {
    plat::net_cleanup(&err);
    throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port) + " for control");
  }
  impl_->thread = std::thread([this] { impl_->run(); });
}

ControlServer::~ControlServer() {
  impl_->stop = true;
  plat::sock_shutdown(impl_->listener);
  // Where shutting a listener down does not wake its accept, a connection of
  // our own does.
  const plat::sock_t w = plat::sock_create();
  if (w != plat::kBadSock) {
    plat::sock_set_nonblocking(w, true);
    plat::sock_connect(w, plat::inet_parse("127.0.0.1"), plat::to_net16(impl_->port));
  }
  if (impl_->thread.joinable()) impl_->thread.join();
  if (w != plat::kBadSock) plat::sock_close(w);
  plat::sock_close(impl_->listener);
  uint32_t err = 0;
  plat::net_cleanup(&err);
}

uint16_t ControlServer::port() const { return impl_->port; }

}  // namespace oz::sim
