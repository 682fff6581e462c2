// `ozcli sim`: drives a running ozsim through its control channel (ozsim
// --control PORT), so an application can be tested against alarms,
// messages, the emergency stop and mode changes while it talks to the
// simulated controller:
//   ozcli sim --control 7001 alarm raise 1001 "DOOR OPEN" [--kind 2] [--axis 0]
//   ozcli sim --control 7001 alarm clear [NUMBER]
//   ozcli sim --control 7001 message 2001 "LOAD PART" [--type 0] | message clear
//   ozcli sim --control 7001 estop on|off
//   ozcli sim --control 7001 mode edit
//   ozcli sim --control 7001 run start|stop [PATH]
#include <algorithm>

#include "command.h"
#include "machine.h"
#include "sim_host.h"

using namespace ozcli;

namespace {

struct SimArgs {
  int control = 0;
  int number = 0, kind = 0, axis = 0, type = 0, path = 0;
  std::string text, state, mode, action;
};

// Sends the command; the simulator's "usage:" answers are usage errors,
// its "error:" answers failures.
void send(const SimArgs& a, const std::string& line, Output& out) {
  if (a.control <= 0) throw UsageError("sim: give --control PORT, the control port ozsim prints");
  std::string answer, error;
  if (!sim_control(uint16_t(a.control), line, &answer, &error))
    throw Failure("sim: cannot reach the control channel on 127.0.0.1:" + std::to_string(a.control) + ": " + error +
                  " (is ozsim running with --control?)");
  if (answer.rfind("ok", 0) == 0) {
    out.field("sim", answer.size() > 3 ? answer.substr(3) : std::string("done"));
    return;
  }
  if (answer.rfind("usage:", 0) == 0) throw UsageError("sim: " + answer.substr(7));
  throw Failure("sim: " + (answer.rfind("error:", 0) == 0 ? answer.substr(7) : answer));
}

std::string mode_number(const std::string& name) {
  const auto& names = mode_names();
  const auto it = std::find(names.begin(), names.end(), name);
  if (it != names.end()) return std::to_string(it - names.begin());
  std::string all;
  for (auto& n : names) all += (all.empty() ? "" : ", ") + n;
  throw UsageError("sim mode: unknown mode '" + name + "' (modes: " + all + ")");
}

using Line = std::function<std::string(const SimArgs&)>;

}  // namespace

OZCLI_FAMILY(sim) {
  auto a = std::make_shared<SimArgs>();
  auto chosen = std::make_shared<std::vector<std::pair<CLI::App*, Line>>>();
  CLI::App* sim = cli.command("sim", "Drive a running ozsim through its control channel (ozsim --control PORT)",
                              [a, chosen](Session&, Output& out) {
    for (auto& [app, line] : *chosen)
      if (app->parsed()) return send(*a, line(*a), out);
  });
  sim->require_subcommand(1);
  sim->add_option("--control", a->control, "The control port ozsim printed")->check(CLI::Range(1, 65535));
  auto add = [&](CLI::App* parent, const char* name, const char* what, Line line) {
    CLI::App* c = parent->add_subcommand(name, what);
    chosen->emplace_back(c, std::move(line));
    return c;
  };

  CLI::App* alarm = sim->add_subcommand("alarm", "Raise or clear an alarm");
  alarm->require_subcommand(1);
  CLI::App* raise = add(alarm, "raise", "Raise alarm NUMBER with TEXT", [](const SimArgs& s) {
    return "alarm raise " + std::to_string(s.number) + " " + std::to_string(s.kind) + " " + std::to_string(s.axis) +
           " " + s.text;
  });
  raise->add_option("number", a->number, "Alarm number")->required();
  raise->add_option("text", a->text, "Alarm text")->required();
  raise->add_option("--kind", a->kind, "Alarm kind (0-31)")->capture_default_str();
  raise->add_option("--axis", a->axis, "Axis the alarm concerns (0: none)")->capture_default_str();
  CLI::App* clear = add(alarm, "clear", "Clear alarm NUMBER, or all", [](const SimArgs& s) {
    return s.number > 0 ? "alarm clear " + std::to_string(s.number) : std::string("alarm clear");
  });
  clear->add_option("number", a->number, "Alarm number (none: all)");

  CLI::App* msg = add(sim, "message", "Show operator message NUMBER with TEXT, or `message clear`",
                      [](const SimArgs& s) {
    return s.action == "clear" && s.text.empty() ? std::string("message clear")
                                                 : "message " + s.action + " " + std::to_string(s.type) + " " + s.text;
  });
  msg->add_option("number", a->action, "Message number, or clear")->required();
  msg->add_option("text", a->text, "Message text");
  msg->add_option("--type", a->type, "Message type (0-4)")->capture_default_str();

  CLI::App* estop = add(sim, "estop", "Press (on) or release (off) the emergency stop",
                        [](const SimArgs& s) { return "estop " + s.state; });
  estop->add_option("state", a->state, "on or off")->required()->check(CLI::IsMember({"on", "off"}));

  CLI::App* mode = add(sim, "mode", "Turn the mode switch (memory, mdi, edit, jog, ...)",
                       [](const SimArgs& s) { return "mode " + mode_number(s.mode); });
  mode->add_option("mode", a->mode, "Mode name")->required();

  CLI::App* run = add(sim, "run", "Cycle start or reset of every path, or of PATH", [](const SimArgs& s) {
    return "run " + s.state + (s.path > 0 ? " " + std::to_string(s.path) : std::string());
  });
  run->add_option("state", a->state, "start or stop")->required()->check(CLI::IsMember({"start", "stop"}));
  run->add_option("path", a->path, "Path (none: all)");
}
