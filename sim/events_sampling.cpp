// Servo sampling of the simulated machine: channels set up by the client,
// blocks produced as time passes, each channel a sine at its own rate.
#include <algorithm>
#include <cmath>

#include "sim/data_wire.h"
#include "sim/events_sim.h"
#include "sim/state_sim.h"

namespace oz::sim::events {

int16_t servo_sample(int channel, uint16_t rate, uint32_t index) {
  constexpr double kTwoPi = 6.283185307179586;
  const double t = double(index) / (double(kBlocksPerSecond) * std::max<uint16_t>(rate, 1));
  return int16_t(std::lround(1000.0 * std::sin(kTwoPi * (channel + 1) * t)));
}

}  // namespace oz::sim::events

using namespace oz::sim;
using namespace oz::sim::events;
using oz::sim::data::In;

namespace {

constexpr int kChannels = 8;
constexpr int kReplyRoom = 1428;

// A set-up entry of command 307: channel number 0..7 (+0), signal kind
// (+2), sample limit (+4, 0: none), samples per block (+8), option (+10).
struct Channel {
  uint16_t rate = 0;
  uint32_t limit = 0xFFFFFFFFu;
};

struct Sampling {
  Channel set[kChannels];
  bool running = false, ocp = false;
  uint32_t started_ms = 0;
  uint64_t blocks = 0;          // blocks delivered since the start
};

Sampling& smp(Machine& m) { return m.state<Sampling>(); }

uint16_t rate_sum(const Sampling& s) {
  uint16_t sum = 0;
  for (const Channel& c : s.set) sum = uint16_t(sum + c.rate);
  return sum;
}

RbReply set_channels(Machine& m, const RbRequest& q) {
  const In in{q.data};
  Sampling& s = smp(m);
  if (s.running) return RbReply::fail(13, 1);
  // Command 248 always carries sixteen entries, arg1 of them in use.
  const size_t n = q.cmd == 248 ? size_t(std::clamp(q.a1, 0, 16)) : q.data.size() / 12;
  for (size_t off = 0; off < 12 * n && in.has(off, 12); off += 12) {
    const uint16_t ch = in.u16(off);
    if (ch >= kChannels) return RbReply::fail(data::kBadData);
    const int32_t limit = in.i32(off + 4);
    s.set[ch] = {in.u16(off + 8), limit <= 0 ? 0xFFFFFFFFu : uint32_t(limit)};
  }
  return RbReply();
}

RbReply start(Machine& m, const RbRequest&) {
  Sampling& s = smp(m);
  if (s.running) return RbReply::fail(13, 1);
  if (rate_sum(s) == 0) return RbReply::fail(data::kBadData);
  s.running = true;
  s.started_ms = m.elapsed_ms();
  s.blocks = 0;
  RbReply r;
  for (const Channel& c : s.set) r.u32(c.limit).u32(c.rate);
  return r;
}

// Status: 0xFFFF when not sampling; otherwise the value that tells the
// reading form to come back for more (first form: not 0, second form: 0)
// while no block is ready yet, and 0 once blocks come.
RbReply read(Machine& m, const RbRequest& q, bool second) {
  Sampling& s = smp(m);
  if (!s.running) return RbReply().u16(0xFFFF).u16(0);
  const uint16_t sum = rate_sum(s);
  const uint64_t produced = uint64_t(m.elapsed_ms() - s.started_ms) * kBlocksPerSecond / 1000;
  const int fit = kReplyRoom / (sum * 2 + 2);
  const int n = int(std::min<uint64_t>({uint64_t(std::max(q.a1, 0)), uint64_t(fit), produced - s.blocks}));
  RbReply r;
  r.u16(n > 0 || second ? 0 : 1).u16(uint16_t(n));
  for (int b = 0; b < n; ++b, ++s.blocks) {
    r.u16(sum);
    for (int ch = 0; ch < kChannels; ++ch)
      for (uint16_t k = 0; k < s.set[ch].rate; ++k)
        r.i16(servo_sample(ch, s.set[ch].rate, uint32_t(s.blocks * s.set[ch].rate + k)));
  }
  return r;
}

RbReply stop(Machine& m, const RbRequest&) {
  smp(m).running = false;
  return RbReply();
}

// The channels' present values, whether sampling or not.
RbReply one_shot(Machine& m, const RbRequest&) {
  const uint32_t block = uint32_t(uint64_t(m.elapsed_ms()) * kBlocksPerSecond / 1000);
  RbReply r;
  for (int ch = 0; ch < kChannels; ++ch) r.i16(servo_sample(ch, 1, block));
  return r;
}

// Seven words per entry: the entry number and six figures of the servo loop.
RbReply beta_info(Machine&, const RbRequest& q) {
  RbReply r;
  for (int i = 0; i < std::clamp(q.a1, 0, 4); ++i)
    for (int w = 0; w < 7; ++w) r.i16(int16_t(w == 0 ? i + 1 : 100 * (i + 1) + w));
  return r;
}

}  // namespace

OZ_SIM_FAMILY(events_sampling) {
  m.on(1, 307, set_channels);
  m.on(1, 248, set_channels);
  m.on(1, 308, [](Machine& m, const RbRequest&) {
    if (smp(m).running) return RbReply::fail(13, 1);
    for (Channel& c : smp(m).set) c = Channel{};
    return RbReply();
  });
  for (uint16_t cmd : {309, 249, 229}) m.on(1, cmd, start);
  m.on(1, 311, [](Machine& m, const RbRequest& q) { return read(m, q, false); });
  m.on(1, 250, [](Machine& m, const RbRequest& q) { return read(m, q, true); });
  for (uint16_t cmd : {310, 312, 251}) m.on(1, cmd, stop);
  m.on(1, 314, one_shot);
  m.on(1, 228, beta_info);
  m.on(1, 834, [](Machine& m, const RbRequest&) {
    if (smp(m).running) return RbReply::fail(13, 1);
    smp(m).ocp = true;
    return RbReply();
  });
  m.on(1, 835, [](Machine& m, const RbRequest&) {
    smp(m).ocp = false;
    return RbReply();
  });
  m.on(1, 836, [](Machine&, const RbRequest&) { return RbReply(); });
}
