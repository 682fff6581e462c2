// Driving the simulated machine while it runs, the way an operator or the
// machine itself would: alarms, operator messages, the emergency stop, the
// mode switch, cycle start and reset. Applications under test see the
// effects through the ordinary requests.
//
// The channel is a TCP port on 127.0.0.1 (loopback only, whatever address
// the controller itself listens on) taking one command line per connection
// and answering one line:
//   "ok ..."       done
//   "usage: ..."   the command was not understood (nothing changed)
//   "error: ..."   the machine refused it (nothing changed)
// Commands:
//   alarm raise NUMBER KIND AXIS TEXT...   alarm clear [NUMBER]
//   message NUMBER TYPE TEXT...            message clear
//   estop on|off        mode NUMBER (the mode word's value)
//   run start|stop [PATH]
//   help
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "sim/machine.h"

namespace oz::sim {

// Runs one command line against the machine; returns the answer line.
std::string control_command(Machine& m, const std::string& line);

class ControlServer {
 public:
  // Listens on 127.0.0.1:port (0: a free one); throws std::runtime_error when
  // it cannot. log, when given, sees each command and its answer.
  ControlServer(Machine& m, uint16_t port,
                std::function<void(const std::string& line, const std::string& answer)> log = {});
  ~ControlServer();
  ControlServer(const ControlServer&) = delete;
  ControlServer& operator=(const ControlServer&) = delete;
  uint16_t port() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace oz::sim
