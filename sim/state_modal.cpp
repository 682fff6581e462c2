// Modal G codes, modal items and commanded values of the simulated machine.
#include "sim/state_sim.h"

using namespace oz;
using namespace oz::sim;

namespace {

// G codes per group (code number x 10, so G43.1 is 431), as a machining
// program leaves them: rapid or feed, XY plane, absolute, mm/min, mm,
// radius compensation off, length compensation off, cycle off, ...
struct ModalState {
  int32_t gcode[20] = {10, 170, 900, 940, 210, 400, 490, 800, 980, 500, 670, 970, 540, 640, 690, 150, 401, 501, 130};
};

int32_t group_code(Machine& m, const RbRequest& q, int g) {
  if (g == 0) return m.motion(q.path).running ? 10 : 0;
  return m.state<ModalState>().gcode[g];
}

// Item values: F, S, T, M, D, H and the rest zero.
int32_t item_value(Machine& m, const RbRequest& q, int item) {
  const PathMotion& p = m.motion(q.path);
  switch (item) {
    case 1: return p.feed_cmd;
    case 3: return p.spindle_cmd;
    case 4: return 1;     // tool
    case 5: return 3;     // M code
    default: return 0;
  }
}

constexpr int kGroups = 20;
constexpr int kItems = 29;

}  // namespace

OZ_SIM_FAMILY(state_modal) {
  // G-code form: the code's number within its group (x 10 stripped) and a
  // "given in this block" bit.
  m.on(kClassCnc, 33, [](Machine& m, const RbRequest& q) {
    RbReply r;
    const int first = q.a1 < 0 ? 0 : q.a1, last = q.a1 < 0 ? kGroups : std::min(q.a1 + 1, kGroups);
    for (int g = first; g < last; ++g) r.bytes({uint8_t(group_code(m, q, g) / 10 % 100), uint8_t(g == 0 ? 1 : 0)});
    return r;
  });
  m.on(kClassCnc, 34, [](Machine& m, const RbRequest& q) {
    RbReply r;
    const int first = q.a1 < 0 ? 0 : q.a1, last = q.a1 < 0 ? kItems : q.a1 + 1;
    for (int i = first; i < last; ++i) r.i32(item_value(m, q, i)).i16(0).i16(0);
    return r;
  });
  m.on(kClassCnc, 150, [](Machine& m, const RbRequest& q) {
    RbReply r;
    for (int g = 0; g < kGroups; ++g) {
      const int32_t c = group_code(m, q, g);
      const bool dec = c % 10 != 0;
      r.i16(int16_t(g)).i16(g == 0 ? 1 : 0).i32(dec ? c : c / 10).i32(dec ? 1 : 0);
    }
    return r;
  });
  m.on(kClassCnc, 151, [](Machine& m, const RbRequest& q) {
    const PathMotion& p = m.motion(q.path);
    RbReply r;
    const struct { char adrs; int32_t value; } cmds[] = {{'F', p.feed_cmd}, {'S', p.spindle_cmd}, {'T', 1}, {'M', 3}};
    for (const auto& c : cmds) r.bytes({uint8_t(c.adrs), 0}).i16(0).i32(c.value).i32(0);
    return r;
  });
}
