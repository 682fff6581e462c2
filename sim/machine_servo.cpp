// Servo and spindle values of the simulated machine, read from the motion:
// an axis that moves in the current block draws current and turns its motor,
// a running spindle shows a small position error.
#include <cstdlib>
#include <string>

#include "sim/machine.h"

using namespace oz::sim;

namespace {

constexpr int32_t kLoopGain = 3000;     // 30.00 per second
constexpr int32_t kPitch = 10;          // mm per motor turn

bool moving(const PathMotion& p, size_t a) {
  return p.running && a < p.target.size() && p.target[a] != p.machine[a];
}

// Kinds of command 86: 0 loop gain, 1 current, 2 motor speed, 3 load.
int32_t servo_value(const PathMotion& p, int kind, size_t a) {
  const bool mv = moving(p, a);
  switch (kind) {
    case 0: return kLoopGain;
    case 1: return mv ? 12 + int32_t(a) : 2;
    case 2: return mv ? p.feed / kPitch : 0;
    case 3: return mv ? 20 : 0;
    default: return 0;
  }
}

// Each spindle's words a request asks for, in the item width it names.
RbReply per_spindle(Machine& m, int width, int32_t v) {
  RbReply r;
  for (int s = 0; s < m.config().spindles; ++s) {
    if (width == 8) r.i32(v).i16(0).i16(0);
    else if (width == 4) r.i32(v);
    else r.i16(int16_t(v));
  }
  return r;
}

RbReply id_text(const std::string& what, int32_t a, int32_t b) {
  return RbReply().text(what + " " + std::to_string(a) + "/" + std::to_string(b) + " OZ-SIM 01.0", 129);
}

}  // namespace

OZ_SIM_FAMILY(machine_servo) {
  m.on(1, 86, [](Machine& m, const RbRequest& q) {
    const PathMotion& p = m.motion(q.path);
    RbReply r;
    for (size_t a = 0; a < p.machine.size(); ++a) r.i32(servo_value(p, q.a1, a)).i16(0).i16(0);
    return r;
  });
  m.on(1, 87, [](Machine& m, const RbRequest& q) { return per_spindle(m, 2, m.motion(q.path).running ? 1 : 0); });
  // Position errors: per spindle (0), the two of a synchronised pair (1, 2), Cs (3).
  m.on(1, 88, [](Machine& m, const RbRequest& q) {
    const int32_t err = m.motion(q.path).running ? 4 + q.a1 : 0;
    return q.a1 == 0 ? per_spindle(m, 8, err) : RbReply().i32(err);
  });
  m.on(1, 89, [](Machine& m, const RbRequest& q) { return RbReply().i32(m.motion(q.path).running ? 1 + q.a1 : 0); });
  m.on(1, 90, [](Machine& m, const RbRequest&) { return per_spindle(m, 2, 0); });
  // Control signals: in 0 the spindle's inputs, 1 its outputs (bit 0 running).
  m.on(1, 91, [](Machine& m, const RbRequest& q) {
    const bool run = m.motion(q.path).running;
    return per_spindle(m, 4, q.a1 == 0 ? 0x100 : run ? 1 : 0);
  });
  for (uint16_t cmd = 654; cmd <= 661; ++cmd) {
    const bool servo = cmd % 2 == 0;
    m.on(1, cmd, [servo](Machine&, const RbRequest& q) {
      return id_text(servo ? "SERVO AMP" : "SPINDLE AMP", q.a1, q.a2);
    });
  }
}
