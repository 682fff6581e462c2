// What the simulated machine keeps for the state families, so that ozsim
// and tests can raise alarms and post operator messages the way the machine
// itself would.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/machine.h"

namespace oz::sim::state {

struct Alarm {
  int32_t number;
  int32_t kind;     // alarm kind (0 parameter-write, 1 power-off, 2 I/O, ...)
  int32_t axis;     // 0: none
  std::string text;
};

struct OpMessage {
  int32_t number;
  int32_t type;
  std::string text;
};

struct AlarmState {
  std::vector<Alarm> alarms;
  std::vector<OpMessage> messages;
  // Told of each alarm raised and message posted (the histories keep them).
  std::function<void(Machine&, const Alarm&)> on_alarm;
  std::function<void(Machine&, const OpMessage&)> on_message;
};

// The status words the operator changes from the panel rather than by a
// request: the mode switch and the emergency-stop button.
struct PanelState {
  int32_t mode = 1;          // 0 mdi, 1 memory, 3 edit, 4 handle, 5 jog, ...
  bool emergency = false;
};

// Raising and clearing go through the machine lock like a request would.
void raise_alarm(Machine& m, Alarm a);
void clear_alarms(Machine& m, int32_t kind = -1);
void post_message(Machine& m, OpMessage msg);
void clear_messages(Machine& m);
// Pressing the emergency stop ends every path's program, as on a machine;
// releasing it leaves them stopped.
void set_emergency(Machine& m, bool on);
void set_mode(Machine& m, int32_t mode);

}  // namespace oz::sim::state
