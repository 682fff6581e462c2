// Alarms and operator messages of the simulated machine.
#include "sim/state_sim.h"

namespace oz::sim::state {

namespace {

// The status word has one bit per alarm kind that has an alarm pending.
int32_t status_word(const AlarmState& s) {
  int32_t w = 0;
  for (const Alarm& a : s.alarms) w |= int32_t(1u << (a.kind & 31));
  return w;
}

void put_alarm(RbReply& r, const Alarm& a, int text) {
  r.i32(a.number).i32(a.axis).i32(a.kind).i32(int32_t(std::min<size_t>(a.text.size(), size_t(text))));
  std::string t = a.text;
  t.resize(size_t(text), ' ');
  r.bytes(t.data(), t.size());
}

void put_message(RbReply& r, const OpMessage& m) {
  r.i32(m.number).i32(m.type).i32(int32_t(std::min<size_t>(m.text.size(), 256)));
  std::string t = m.text;
  t.resize(256, '\0');
  r.bytes(t.data(), t.size());
}

}  // namespace

void raise_alarm(Machine& m, Alarm a) {
  auto l = m.lock();
  auto& s = m.state<AlarmState>();
  if (s.on_alarm) s.on_alarm(m, a);
  s.alarms.push_back(std::move(a));
}

void clear_alarms(Machine& m, int32_t kind) {
  auto l = m.lock();
  auto& v = m.state<AlarmState>().alarms;
  std::erase_if(v, [&](const Alarm& a) { return kind < 0 || a.kind == kind; });
}

void post_message(Machine& m, OpMessage msg) {
  auto l = m.lock();
  auto& s = m.state<AlarmState>();
  if (s.on_message) s.on_message(m, msg);
  s.messages.push_back(std::move(msg));
}

void clear_messages(Machine& m) {
  auto l = m.lock();
  m.state<AlarmState>().messages.clear();
}

void set_emergency(Machine& m, bool on) {
  auto l = m.lock();
  m.state<PanelState>().emergency = on;
  if (on) m.stop_all();
}

void set_mode(Machine& m, int32_t mode) {
  auto l = m.lock();
  m.state<PanelState>().mode = mode;
}

}  // namespace oz::sim::state

using namespace oz;
using namespace oz::sim;
using namespace oz::sim::state;

OZ_SIM_FAMILY(state_alarms) {
  m.on(kClassCnc, 26, [](Machine& m, const RbRequest&) {
    return RbReply().i32(status_word(m.state<AlarmState>()));
  });
  // Kind -1 lists every alarm; result 2 says more are pending than were asked for.
  m.on(kClassCnc, 35, [](Machine& m, const RbRequest& q) {
    const auto& s = m.state<AlarmState>();
    RbReply r;
    int n = 0, matching = 0;
    for (const Alarm& a : s.alarms) {
      if (q.a1 != -1 && a.kind != q.a1) continue;
      ++matching;
      if (n < q.a2) put_alarm(r, a, q.a4 == 64 ? 64 : 32), ++n;
    }
    if (matching > n) r.result = 2;
    return r;
  });
  m.on(kClassCnc, 135, [](Machine& m, const RbRequest& q) {
    std::erase_if(m.state<AlarmState>().alarms, [&](const Alarm& a) { return q.a1 < 0 || a.kind == q.a1; });
    return RbReply();
  });
  m.on(kClassCnc, 52, [](Machine& m, const RbRequest& q) {
    const auto& s = m.state<AlarmState>();
    RbReply r;
    for (const OpMessage& msg : s.messages)
      if (q.a1 < 0 || msg.type == q.a1) put_message(r, msg);
    // The single-message form always gets one record, empty when none is shown.
    if (r.data.empty()) put_message(r, OpMessage{0, q.a1 < 0 ? 0 : q.a1, ""});
    return r;
  });
  // Batches past the last message come back empty.
  m.on(kClassCnc, 208, [](Machine& m, const RbRequest& q) {
    const auto& s = m.state<AlarmState>();
    RbReply r;
    for (int i = q.a1; i < int(s.messages.size()) && i < q.a1 + q.a3; ++i) put_message(r, s.messages[size_t(i)]);
    return r;
  });
  m.on(kClassCnc, 227, [](Machine& m, const RbRequest&) {
    const auto& s = m.state<AlarmState>();
    std::string line = s.messages.empty() ? std::string() : s.messages.back().text;
    return RbReply().bytes(line.data(), line.size());
  });
}
