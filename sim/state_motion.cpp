// Run status, positions, feed and spindle of the simulated machine, read from
// the motion of each path.
#include <cstdlib>

#include "sim/state_sim.h"

using namespace oz;
using namespace oz::sim;

namespace {

constexpr char kAxisNames[] = "XYZABCUVW";
constexpr int16_t kDecimals = 3;   // positions in 0.001 mm

int axes_of(Machine& m) { return m.config().axes; }
int spindles_of(Machine& m) { return m.config().spindles; }

// Position of one kind and axis, as the controller keeps them.
int32_t position(const PathMotion& p, int kind, size_t a) {
  switch (kind) {
    case 0: case 4: return p.machine[a] - p.work_offset[a];            // absolute
    case 2: case 6: return p.machine[a] - p.relative_origin[a];        // relative
    case 3: case 7: return p.running ? p.target[a] - p.machine[a] : 0; // distance to go
    case 1: case 22: case 23: case 24: return p.machine[a];
    default: return 0;
  }
}

// One 8-byte item per selected axis: value, attribute word, decimals.
RbReply per_axis(Machine& m, int32_t axis, auto&& value) {
  RbReply r;
  const int n = axes_of(m);
  for (int a = 0; a < n; ++a)
    if (axis == -1 || axis == a + 1) r.i32(value(size_t(a))).i16(0).i16(kDecimals);
  return r;
}

RbReply per_spindle(Machine& m, int32_t sp, int32_t value) {
  RbReply r;
  for (int s = 0; s < spindles_of(m); ++s)
    if (sp <= 0 || sp == s + 1) r.i32(value).i16(0).i16(0);
  return r;
}

// Status words: mode, run, motion, M/S/T/B, emergency, alarm, edit.
RbReply run_status(Machine& m, const RbRequest& q, int words) {
  const PathMotion& p = m.motion(q.path);
  const state::PanelState& panel = m.state<state::PanelState>();
  const bool alarm = !m.state<state::AlarmState>().alarms.empty();
  RbReply r;
  const int16_t w[9] = {int16_t(panel.mode), int16_t(p.running ? 3 : 0), int16_t(p.running ? 1 : 0),
                        0, int16_t(panel.emergency ? 1 : 0), int16_t(alarm ? 1 : 0), 0, 0, 0};
  for (int i = 0; i < words; ++i) r.i16(w[i]);
  return r;
}

int32_t spindle_value(const PathMotion& p, int kind) {
  switch (kind) {
    case 0: case 4: return p.running ? 35 : 0;   // load, percent
    case 1: return 8000;                          // maximum speed
    case 2: return 1;                             // gear
    case 3: case 5: return p.spindle;
    default: return 0;
  }
}

// Run status, program, block, feed and spindle speed.
void install_status(Machine& m) {
  m.on(kClassCnc, 25, [](Machine& m, const RbRequest& q) { return run_status(m, q, 7); });
  m.on(kClassCnc, 226, [](Machine& m, const RbRequest& q) { return run_status(m, q, 9); });
  m.on(kClassCnc, 225, [](Machine&, const RbRequest&) { return RbReply().i16(0); });
  m.on(kClassCnc, 152, [](Machine&, const RbRequest&) { return RbReply().i16(0); });
  m.on(kClassCnc, 28, [](Machine& m, const RbRequest& q) {
    const PathMotion& p = m.motion(q.path);
    return RbReply().i32(p.program).i32(p.program);
  });
  m.on(kClassCnc, 29, [](Machine& m, const RbRequest& q) { return RbReply().i32(m.motion(q.path).block); });
  m.on(kClassCnc, 36, [](Machine& m, const RbRequest& q) { return RbReply().i32(m.motion(q.path).feed); });
  m.on(kClassCnc, 37, [](Machine& m, const RbRequest& q) { return RbReply().i32(m.motion(q.path).spindle); });
}

// Positions by kind, their presets and the extended-digit form.
void install_positions(Machine& m) {
  m.on(kClassCnc, 38, [](Machine& m, const RbRequest& q) {
    const PathMotion& p = m.motion(q.path);
    if (q.a2 > axes_of(m)) return RbReply::fail(4);
    return per_axis(m, q.a2, [&](size_t a) { return position(p, q.a1, a); });
  });
  // Presets: the value written becomes the reading of that kind.
  for (uint16_t cmd : {60, 61, 62, 303}) {
    m.on(kClassCnc, cmd, [cmd](Machine& m, const RbRequest& q) {
      PathMotion& p = m.motion(q.path);
      for (size_t i = 0; 8 * i + 4 <= q.data.size(); ++i) {
        const size_t a = q.a1 == -1 ? i : size_t(q.a1 - 1);
        if (a >= p.machine.size()) return RbReply::fail(4);
        const int32_t v = int32_t(uint32_t(q.data[8 * i]) << 24 | uint32_t(q.data[8 * i + 1]) << 16 |
                                  uint32_t(q.data[8 * i + 2]) << 8 | q.data[8 * i + 3]);
        if (cmd == 60) p.relative_origin[a] = p.machine[a] - v;
        else if (cmd == 303) p.work_offset[a] = v;
        else p.work_offset[a] = p.machine[a] - v;
      }
      return RbReply();
    });
  }
  m.on(kClassCnc, 718, [](Machine& m, const RbRequest& q) {
    const PathMotion& p = m.motion(q.path);
    RbReply r;
    for (size_t a = 0; a < size_t(axes_of(m)); ++a) {
      const int64_t v = position(p, q.a1, a);
      r.i32(int32_t(v >> 32)).u32(uint32_t(v)).u32(uint32_t(kDecimals)).u32(0);
    }
    return r;
  });
}

// Axis and spindle counts, names, units, meters and speeds.
void install_axes(Machine& m) {
  // Counts: arguments 0 and 2 count axes, the others spindles.
  m.on(kClassCnc, 164, [](Machine& m, const RbRequest& q) {
    return RbReply().i16(int16_t(q.a1 == 0 || q.a1 == 2 ? axes_of(m) : spindles_of(m)));
  });
  m.on(kClassCnc, 137, [](Machine& m, const RbRequest& q) {
    RbReply r;
    for (int a = 0; a < axes_of(m); ++a) {
      const uint8_t n = uint8_t(kAxisNames[a % 9]);
      if (q.a1 == -1) r.bytes({n, 0, 0, 0, n, 0, 0, 0, n, 0, 0, 0, n, 0, 0, 0});
      else r.bytes({n, 0, 0, 0});
    }
    return r;
  });
  m.on(kClassCnc, 138, [](Machine& m, const RbRequest&) {
    RbReply r;
    for (int s = 0; s < spindles_of(m); ++s) r.bytes({'S', uint8_t('1' + s), 0, 0});
    return r;
  });
  // Units: millimetres for positions, mm/min (3) and rpm (4) for speeds.
  m.on(kClassCnc, 136, [](Machine& m, const RbRequest& q) {
    RbReply r;
    const int n = q.a1 <= 2 ? axes_of(m) : 1;
    for (int i = 0; i < n; ++i) r.i16(int16_t(q.a1 <= 2 ? 0 : q.a1)).i16(int16_t(q.a1 <= 2 ? 0 : q.a1));
    return r;
  });
  m.on(kClassCnc, 163, [](Machine& m, const RbRequest&) {
    RbReply r;
    for (int a = 0; a < axes_of(m); ++a) r.u32(0);
    return r;
  });
  for (uint16_t cmd : {64, 832}) {
    m.on(kClassCnc, cmd, [](Machine& m, const RbRequest& q) {
      if (q.a2 > spindles_of(m)) return RbReply::fail(3);
      return per_spindle(m, q.a2, spindle_value(m.motion(q.path), q.a1));
    });
  }
  // Speeds: jog feed, then three more of the controller's own.
  for (uint16_t cmd : {165, 828, 829, 830}) {
    m.on(kClassCnc, cmd, [cmd](Machine& m, const RbRequest& q) {
      return RbReply().i32(cmd == 165 ? m.motion(q.path).feed_cmd : 0).i16(0).i16(0);
    });
  }
  m.on(kClassCnc, 344, [](Machine& m, const RbRequest& q) {
    const PathMotion& p = m.motion(q.path);
    return RbReply().i32(p.spindle).i32(0).i32(8000);
  });
}

// Cycle start and reset.
void install_control(Machine& m) {
  // No cycle start while the emergency stop is pressed.
  m.on(kClassCnc, 1, [](Machine& m, const RbRequest& q) {
    if (m.state<state::PanelState>().emergency) return RbReply::fail(13);
    m.start(q.path);
    return RbReply();
  });
  for (uint16_t cmd : {2, 709}) {
    m.on(kClassCnc, cmd, [](Machine& m, const RbRequest& q) {
      m.stop(q.path);
      return RbReply();
    });
  }
}

}  // namespace

OZ_SIM_FAMILY(state_motion) {
  install_status(m);
  install_positions(m);
  install_axes(m);
  install_control(m);
}
