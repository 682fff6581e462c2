// Waveform diagnosis of the simulated machine: the recording parameters
// written are read back, a recording runs between start and stop, and each
// channel's recorded samples are a sine (sim/events_sim.h).
#include <algorithm>
#include <cmath>
#include <ctime>

#include "sim/data_wire.h"
#include "sim/events_sim.h"
#include "sim/state_sim.h"

namespace oz::sim::events {

int16_t wave_sample(int channel, int32_t index) {
  constexpr double kTwoPi = 6.283185307179586;
  const int c = std::max(channel, 0);
  return int16_t(std::lround(2000.0 * std::sin(kTwoPi * index / (100.0 * (c + 1)))));
}

}  // namespace oz::sim::events

using namespace oz::sim;
using namespace oz::sim::events;
using oz::sim::data::In;

namespace {

constexpr int kSignalKind = 13;
constexpr size_t kPrm2Wire = 164;

// One recording unit: its parameter block (wire form) and its state word:
// 0 idle, 1 recording, 2 recorded.
struct Recorder {
  std::vector<uint8_t> prm;
  int16_t state = 0;
};

struct Waves {
  Recorder local, remote, third;
  std::vector<uint8_t> savsig = std::vector<uint8_t>(128, 0);
};

// Twelve channels: channel 1 the spindle load (kind 1), channel 2 the
// signal G7.2 (kind 13), the rest off.
std::vector<uint8_t> default_prm2() {
  RbReply r;
  r.i16(0).bytes({0, 0}).i32(0).i32(0).i32(0).u32(12);
  r.i16(1).bytes({0, 0}).i32(0).i32(1);
  r.i16(kSignalKind).bytes({2, 2}).i32(7).i32(0);
  for (int i = 2; i < 12; ++i) r.i16(0).bytes({0, 0}).i32(0).i32(0);
  return r.data;
}

Recorder& unit(Machine& m, int which) {
  Waves& w = m.state<Waves>();
  Recorder& r = which == 0 ? w.local : which == 1 ? w.remote : w.third;
  if (r.prm.empty()) r.prm = which == 0 ? default_prm2() : std::vector<uint8_t>(which == 1 ? 292 : 676, 0);
  return r;
}

// The channel's kind word from the parameters of the local recorder.
int16_t channel_kind(Machine& m, int channel) {
  const In in{unit(m, 0).prm};
  return channel >= 1 && channel <= 12 ? in.i16(20 + 12 * size_t(channel - 1)) : 0;
}

// A signal channel: letter code, bit, address; any other: kind, the value
// and the sample count, and the time the recording ended.
RbReply head(Machine& m, int channel) {
  const int16_t kind = channel_kind(m, channel);
  RbReply r;
  r.i16(kind);
  if (kind == kSignalKind) {
    const In in{unit(m, 0).prm};
    const size_t e = 20 + 12 * size_t(channel - 1);
    return r.bytes({in.d[e + 2], in.d[e + 3]}).i32(in.i32(e + 4));
  }
  const std::time_t t = std::time(nullptr);
  const std::tm* tm = std::localtime(&t);
  r.i16(0).i32(0).i32(channel).i32(kWaveSamples);
  for (int v : {tm ? tm->tm_year + 1900 : 2000, tm ? tm->tm_mon + 1 : 1, tm ? tm->tm_mday : 1,
                tm ? tm->tm_hour : 0, tm ? tm->tm_min : 0, tm ? tm->tm_sec : 0})
    r.i16(int16_t(v));
  return r;
}

// Result 5 past the recording's end, like the controller's.
RbReply samples(int channel, int32_t index, int32_t count) {
  if (index < 0 || index >= kWaveSamples) return RbReply::fail(5);
  RbReply r;
  for (int32_t i = index; i < std::min(kWaveSamples, index + std::max(count, 0)); ++i)
    r.i16(wave_sample(channel, i));
  return r;
}

void install_unit(Machine& m, int which, uint16_t start, uint16_t stop, uint16_t stat) {
  m.on(1, start, [which](Machine& m, const RbRequest&) {
    unit(m, which).state = 1;
    return RbReply();
  });
  m.on(1, stop, [which](Machine& m, const RbRequest&) {
    if (unit(m, which).state == 1) unit(m, which).state = 2;
    return RbReply();
  });
  m.on(1, stat, [which](Machine& m, const RbRequest&) { return RbReply().i16(unit(m, which).state); });
}

// Parameter blocks are kept as written and read back unchanged.
void install_block(Machine& m, int which, uint16_t read, uint16_t write, size_t size) {
  m.on(1, read, [which](Machine& m, const RbRequest&) { return RbReply().bytes(unit(m, which).prm); });
  m.on(1, write, [which, size](Machine& m, const RbRequest& q) {
    if (q.data.size() != size) return RbReply::fail(data::kBadData);
    unit(m, which).prm = q.data;
    return RbReply();
  });
}

}  // namespace

OZ_SIM_FAMILY(events_waveform) {
  install_block(m, 0, 128, 129, kPrm2Wire);
  install_block(m, 1, 319, 320, 292);
  install_block(m, 2, 552, 553, 676);
  install_unit(m, 0, 130, 131, 132);
  install_unit(m, 1, 321, 322, 323);
  m.on(1, 133, [](Machine& m, const RbRequest& q) { return head(m, q.a2); });
  m.on(1, 134, [](Machine&, const RbRequest& q) { return samples(q.a2 - 1, q.a3, q.a4); });
  for (uint16_t cmd : {324, 554}) m.on(1, cmd, [](Machine& m, const RbRequest& q) { return head(m, q.a1); });
  for (uint16_t cmd : {325, 555})
    m.on(1, cmd, [](Machine&, const RbRequest& q) { return samples(q.a1 - 1, q.a2, q.a3); });
  m.on(1, 326, [](Machine& m, const RbRequest&) { return RbReply().bytes(m.state<Waves>().savsig); });
  m.on(1, 327, [](Machine& m, const RbRequest& q) {
    if (q.data.size() != 128) return RbReply::fail(data::kBadData);
    m.state<Waves>().savsig = q.data;
    return RbReply();
  });
  // Saved signal data: count words from start, each the sample of the selector's channel.
  m.on(1, 328, [](Machine&, const RbRequest& q) { return samples(q.a1, q.a2, std::min(q.a3, 700)); });
}
