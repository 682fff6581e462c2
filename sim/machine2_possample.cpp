// The simulated position sampling (a run of samples taken from the path's
// motion), the torque monitor, the tilted working plane and the repeat count.
#include <algorithm>
#include <vector>

#include "sim/machine.h"

namespace oz::sim {
namespace {

constexpr int kRunLength = 250;   // samples one run holds
constexpr int16_t kNotRunning = 1;
constexpr int16_t kEnd = 3;

struct Sampling {
  bool on = false;
  int16_t selector = 0;
  std::vector<uint8_t> setting;
  int taken = 0;
};

// One sample: its number, the selector, then the axes' machine positions
// (low 16 bits) and zeros.
void putSample(RbReply& r, Machine& m, const RbRequest& q, const Sampling& s) {
  r.u16(uint16_t(s.taken)).u16(uint16_t(s.selector));
  const PathMotion& p = m.motion(q.path);
  for (size_t k = 0; k < 6; ++k) r.u16(k < p.machine.size() ? uint16_t(p.machine[k]) : 0);
}

void installSampling(Machine& m) {
  m.on(1, 662, [](Machine& m, const RbRequest& q) {
    m.state<Sampling>() = Sampling{true, int16_t(q.a1), q.data, 0};
    return RbReply();
  });
  m.on(1, 663, [](Machine& m, const RbRequest& q) {
    auto& s = m.state<Sampling>();
    if (!s.on) return RbReply::fail(kNotRunning);
    if (s.taken >= kRunLength) return RbReply::fail(kEnd);
    RbReply r;
    for (int n = std::min(q.a1, kRunLength - s.taken); n > 0; --n, ++s.taken) putSample(r, m, q, s);
    return r;
  });
  m.on(1, 664, [](Machine& m, const RbRequest&) {
    auto& s = m.state<Sampling>();
    if (!s.on) return RbReply::fail(kNotRunning);
    s.on = false;
    return RbReply();
  });
}

// Torque monitor: 64 bytes per kind 0..7, a ramp that starts at the kind.
RbReply torque(Machine&, const RbRequest& q) {
  if (q.a1 < 0 || q.a1 > 7) return RbReply::fail(kEnd);
  RbReply r;
  for (int i = 0; i < std::min(q.a2, 64); ++i) r.data.push_back(uint8_t(q.a1 * 16 + i));
  return r;
}

// The tilted plane: a fixed origin per selector and three rotation triples.
RbReply tiltedPlane(Machine&, const RbRequest& q) {
  RbReply r;
  for (int i = 0; i < 3; ++i) r.i32(1000 * (q.a1 + 1) * (i + 1));
  for (int16_t v : {0, 0, 1, 0, 1, 0, 1, 0, 0}) r.i16(v);
  return r;
}

}  // namespace

OZ_SIM_FAMILY(machine2_possample) {
  installSampling(m);
  m.on(1, 613, torque);
  m.on(1, 633, tiltedPlane);
  // Laps of the path's program completed: four blocks make one.
  m.on(1, 710, [](Machine& m, const RbRequest& q) { return RbReply().i32(m.motion(q.path).block / 4); });
}

}  // namespace oz::sim
