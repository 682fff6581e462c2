// Actual feed rate and spindle speed: what the path's motion does right now,
// so both read 0 while no program runs.
#include "sim/machine.h"

namespace oz::sim {

OZ_SIM_FAMILY(feed) {
  m.on(kClassCnc, 36, [](Machine& m, const RbRequest& q) { return RbReply().i32(m.motion(q.path).feed); });
  m.on(kClassCnc, 37, [](Machine& m, const RbRequest& q) { return RbReply().i32(m.motion(q.path).spindle); });
}

}  // namespace oz::sim
