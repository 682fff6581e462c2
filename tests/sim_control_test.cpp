// The simulated machine's control channel, its listener and its trace names:
// each command line with the answer it gets and what it leaves in the
// machine.
#include <gtest/gtest.h>

#include <functional>

#include "sim/client.h"
#include "sim/control.h"
#include "sim/listen.h"
#include "sim/request_names.h"
#include "sim/state_sim.h"

using namespace oz::sim;

namespace {

struct Row {
  const char* line;
  const char* answer;
  std::function<bool(Machine&)> holds = {};
};

size_t alarms(Machine& m) {
  auto l = m.lock();
  return m.state<state::AlarmState>().alarms.size();
}

TEST(SimControl, CommandsAnswerAndChangeTheMachine) {
  MachineConfig cfg;
  cfg.paths = 2;
  cfg.recording = false;
  Machine m(cfg);
  const Row rows[] = {
      {"alarm raise 1001 2 0 DOOR  OPEN", "ok alarm 1001 raised",
       [](Machine& m) { return alarms(m) == 1 && m.state<state::AlarmState>().alarms[0].text == "DOOR  OPEN"; }},
      {"alarm raise 1002 2 9 X", "usage: alarm raise NUMBER (0-999999) KIND (0-31) AXIS (0-3, 0 none) TEXT"},
      {"alarm raise 1002 2 0", "usage: alarm raise NUMBER (0-999999) KIND (0-31) AXIS (0-3, 0 none) TEXT"},
      {"alarm clear 7", "error: no alarm 7 is pending", [](Machine& m) { return alarms(m) == 1; }},
      {"alarm clear 1001", "ok alarm 1001 cleared", [](Machine& m) { return alarms(m) == 0; }},
      {"alarm clear", "ok alarms cleared"},
      {"message 2001 0 LOAD PART", "ok message 2001 shown",
       [](Machine& m) { return m.state<state::AlarmState>().messages.size() == 1; }},
      {"message clear", "ok messages cleared",
       [](Machine& m) { return m.state<state::AlarmState>().messages.empty(); }},
      {"message 2001 9 X", "usage: message NUMBER (0-9999) TYPE (0-4) TEXT | message clear"},
      {"run start 2", "ok started", [](Machine& m) { return m.running(2) && !m.running(1); }},
      {"run start 3", "usage: run start|stop [PATH (1-2)]"},
      {"estop on", "ok emergency stop on",
       [](Machine& m) { return m.state<state::PanelState>().emergency && !m.running(2); }},
      {"run start", "error: the emergency stop is on", [](Machine& m) { return !m.running(1); }},
      {"estop maybe", "usage: estop on|off"},
      {"estop off", "ok emergency stop off"},
      {"run start", "ok started", [](Machine& m) { return m.running(1) && m.running(2); }},
      {"run stop", "ok stopped", [](Machine& m) { return !m.running(1) && !m.running(2); }},
      {"mode 3", "ok mode 3", [](Machine& m) { return m.state<state::PanelState>().mode == 3; }},
      {"mode 11", "usage: mode NUMBER (0-10)"},
      {"launch", "usage: unknown command 'launch'; alarm raise NUMBER KIND AXIS TEXT | alarm clear [NUMBER] | "
                 "message NUMBER TYPE TEXT | message clear | estop on|off | mode NUMBER | run start|stop [PATH]"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(r.answer, control_command(m, r.line));
    auto l = m.lock();
    if (r.holds) EXPECT_TRUE(r.holds(m));
  }
}

TEST(SimControl, TheChannelAnswersOneLinePerConnection) {
  MachineConfig cfg;
  cfg.recording = false;
  Machine m(cfg);
  std::vector<std::string> seen;
  {
    ControlServer ctl(m, 0, [&](const std::string& l, const std::string& a) { seen.push_back(l + " -> " + a); });
    std::string answer, error;
    ASSERT_TRUE(control_request(ctl.port(), "estop on", &answer, &error)) << error;
    EXPECT_EQ("ok emergency stop on", answer);
    ASSERT_TRUE(control_request(ctl.port(), "mode 0", &answer, &error)) << error;
    EXPECT_EQ("ok mode 0", answer);
  }
  EXPECT_EQ((std::vector<std::string>{"estop on -> ok emergency stop on", "mode 0 -> ok mode 0"}), seen);
}

TEST(SimControl, ListenersSayWhyTheyCannotListen) {
  uint16_t port = 0;
  const oz::plat::sock_t first = listen_on("127.0.0.1", 0, &port);
  ASSERT_NE(oz::plat::kBadSock, first);
  const std::pair<std::string, std::string> rows[] = {
      {"127.0.0.1", "cannot listen on 127.0.0.1:" + std::to_string(port) + ": address in use"},
      {"no.such.address", "cannot listen on no.such.address:" + std::to_string(port) + ": not an IPv4 address"},
      {"192.0.2.254", "cannot listen on 192.0.2.254:" + std::to_string(port) + ": not an address of this machine"},
  };
  for (auto& [address, message] : rows) {
    try {
      listen_on(address, port, nullptr);
      ADD_FAILURE() << address << " was taken";
    } catch (const ListenError& e) {
      EXPECT_EQ(message, e.what());
    }
  }
  oz::plat::sock_close(first);
  EXPECT_EQ("127.0.0.1", reach_address("0.0.0.0"));
  EXPECT_EQ("10.1.2.3", reach_address("10.1.2.3"));
}

TEST(SimControl, TraceNamesTheExportOfARequest) {
  const struct {
    uint16_t cls, cmd;
    const char* name;
  } rows[] = {{1, 36, "cnc_actf"},          {1, 25, "cnc_statinfo"}, {1, 24, "cnc_allclibhndl3"},
              {2, 32769, "pmc_rdpmcrng"},   {1, 5, "cnc_delete"},    {1, 38, "cnc_absolute"},
              {1, 65000, nullptr},          {2, 36, nullptr}};
  for (auto& r : rows) {
    const char* got = request_name(r.cls, r.cmd);
    if (r.name) EXPECT_STREQ(r.name, got) << r.cls << "/" << r.cmd;
    else EXPECT_EQ(nullptr, got) << r.cls << "/" << r.cmd;
  }
}

}  // namespace
