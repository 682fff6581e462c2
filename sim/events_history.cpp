// The histories of the simulated machine: an operation history of what
// clients did (key inputs, cycle start and reset, alarms raised), an alarm
// history and an operator-message history, each numbered from 1, and the
// table of signals the operation history watches.
#include <algorithm>
#include <ctime>

#include "sim/data_wire.h"
#include "sim/state_sim.h"

using namespace oz::sim;
using oz::sim::data::In;

namespace {

// Year, month, day, hour, minute, second.
using Stamp = std::array<uint16_t, 6>;

Stamp now_stamp() {
  const std::time_t t = std::time(nullptr);
  const std::tm* tm = std::localtime(&t);
  if (tm == nullptr) return {2000, 1, 1, 0, 0, 0};
  return {uint16_t(tm->tm_year + 1900), uint16_t(tm->tm_mon + 1), uint16_t(tm->tm_mday),
          uint16_t(tm->tm_hour), uint16_t(tm->tm_min), uint16_t(tm->tm_sec)};
}

// One entry of the operation history. Key inputs are type 0 (key, path);
// run-state changes type 1 (a signal: kind 0, number = path, the state
// before and after); alarms type 4 (kind, number, axis, path).
struct OpEvent {
  uint16_t type;
  int32_t a = 0, b = 0, c = 0, d = 0;
  Stamp at;
};

struct AlarmEntry {
  state::Alarm alarm;
  int16_t path;
  Stamp at;
};

struct MessageEntry {
  state::OpMessage msg;
  Stamp at;
};

struct Histories {
  bool ops_on = true, msgs_on = true;
  std::vector<OpEvent> ops;
  std::vector<AlarmEntry> alarms;
  std::vector<MessageEntry> msgs;
  std::vector<uint8_t> signals;    // 12-byte entries as written
  std::vector<uint8_t> signals3;   // 16-byte entries as written
};

Histories& his(Machine& m) { return m.state<Histories>(); }

void note(Machine& m, uint16_t type, int32_t a, int32_t b = 0, int32_t c = 0, int32_t d = 0) {
  Histories& h = his(m);
  if (h.ops_on) h.ops.push_back({type, a, b, c, d, now_stamp()});
}

// Records arg1..arg2 of a history numbered from 1, after `head`; result 3
// when arg1 names no record, as the controller answers past the end.
template <class V, class Put>
RbReply records(const V& v, const RbRequest& q, RbReply head, Put&& put) {
  if (q.a1 < 1 || q.a1 > int32_t(v.size())) return RbReply::fail(3);
  for (int32_t i = q.a1; i <= std::min<int32_t>(q.a2, int32_t(v.size())); ++i) put(head, v[size_t(i - 1)]);
  return head;
}

// ---- operation records in the three wire forms -----------------------------------

void put_typed(RbReply& r, const OpEvent& e) {
  const Stamp& t = e.at;
  r.u32(e.type);
  switch (e.type) {
    case 0:
      r.u16(uint16_t(e.a)).u16(uint16_t(e.b)).u16(t[3]).u16(t[4]).u16(t[5]).u16(0).u16(0).u16(0);
      break;
    case 1:
      r.i32(e.b).i16(int16_t(e.a)).i16(0).bytes({uint8_t(e.c), uint8_t(e.d)}).u16(t[3]).u16(t[4]).u16(t[5]);
      r.bytes(std::vector<uint8_t>(20, 0));
      break;
    default:   // 4: alarm
      r.i16(int16_t(e.a)).i16(int16_t(e.b)).i16(int16_t(e.c)).i16(int16_t(e.d)).i16(0).i16(0);
      r.i32(e.b).i32(0).u16(uint16_t(t[3] * 100 + t[4])).u16(t[5]);
      break;
  }
}

// Forms 2 and the oldest one carry the same fields in 24 and 16 bytes.
void put_fixed(RbReply& r, const OpEvent& e, size_t wire) {
  const size_t begin = r.data.size();
  r.u32(e.type);
  if (e.type == 1) r.i32(e.b).i16(int16_t(e.a)).bytes({uint8_t(e.c), uint8_t(e.d)});
  else r.i16(int16_t(e.a)).i16(int16_t(e.b)).i16(int16_t(e.c)).i16(int16_t(e.d));
  r.data.resize(begin + wire, 0);
}

// Command 432: records from arg1 on, as many as fit, with a more-records word.
RbReply read_typed(Machine& m, const RbRequest& q) {
  const auto& ops = his(m).ops;
  if (q.a1 < 1 || q.a1 > int32_t(ops.size())) return RbReply::fail(3);
  const int32_t last = std::min<int32_t>(q.a2, int32_t(ops.size()));
  RbReply body;
  int32_t n = 0, i = q.a1;
  for (; i <= last && body.data.size() < 1000; ++i, ++n) put_typed(body, ops[size_t(i - 1)]);
  RbReply r;
  r.u32(i <= last ? 1 : 0).u32(uint32_t(n)).bytes(body.data);
  return r;
}

RbReply read_fixed(Machine& m, const RbRequest& q, size_t wire) {
  return records(his(m).ops, q, {}, [wire](RbReply& r, const OpEvent& e) { put_fixed(r, e, wire); });
}

// ---- alarm records ---------------------------------------------------------------------

// 60-, 96- and 528-byte forms: kind, number, axis, the stamp, the path, then
// the text (32 bytes; or a length and 64 bytes).
void put_alarm(RbReply& r, const AlarmEntry& e, size_t wire) {
  const size_t begin = r.data.size();
  r.i32(e.alarm.kind).i32(e.alarm.number).i32(e.alarm.axis);
  for (uint16_t v : e.at) r.u16(v);
  r.i32(e.path);
  if (wire == 60) {
    r.text(e.alarm.text, 32);
  } else {
    r.u16(uint16_t(std::min<size_t>(e.alarm.text.size(), 64)));
    if (wire == 528) r.u16(0).u16(0).u16(0);
    else r.u16(0);
    r.text(e.alarm.text, 64);
  }
  r.data.resize(begin + wire, 0);
}

RbReply read_alarms(Machine& m, const RbRequest& q, size_t wire) {
  return records(his(m).alarms, q, {}, [wire](RbReply& r, const AlarmEntry& e) { put_alarm(r, e, wire); });
}

// ---- message records -------------------------------------------------------------------

// The second form starts with the first and last record numbers it holds.
RbReply read_messages(Machine& m, const RbRequest& q, bool second) {
  const auto& v = his(m).msgs;
  RbReply head;
  if (second) head.u16(uint16_t(q.a1)).u16(uint16_t(std::min<int32_t>(q.a2, int32_t(v.size()))));
  return records(v, q, head, [second](RbReply& r, const MessageEntry& e) {
    if (second) {
      r.i16(int16_t(e.msg.number));
      for (uint16_t t : e.at) r.u16(t);
      r.i16(int16_t(e.msg.type));
    } else {
      r.i32(e.msg.number);
      for (uint16_t t : e.at) r.u16(t);
      r.u16(0).u16(0);
    }
    std::string text = e.msg.text;
    text.resize(256, '\0');
    r.bytes(text.data(), text.size());
  });
}

RbReply count_of(size_t n, bool wide) { return wide ? RbReply().u32(uint32_t(n)) : RbReply().u16(uint16_t(n)); }

void install_hooks(Machine& m) {
  auto& alarms = m.state<state::AlarmState>();
  alarms.on_alarm = [](Machine& m, const state::Alarm& a) {
    his(m).alarms.push_back({a, 1, now_stamp()});
    note(m, 4, a.kind, a.number, a.axis, 1);
  };
  alarms.on_message = [](Machine& m, const state::OpMessage& msg) {
    if (his(m).msgs_on) his(m).msgs.push_back({msg, now_stamp()});
  };
  // Cycle start and reset show as run-state changes of the path.
  m.observe([](Machine& m, const RbRequest& q, const RbReply& r) {
    if (q.cls != 1 || r.result != 0) return;
    if (q.cmd == 698) note(m, 0, q.a1, q.path);
    if (q.cmd == 1) note(m, 1, 0, q.path, 0, 1);
    if (q.cmd == 2 || q.cmd == 709) note(m, 1, 0, q.path, 1, 0);
  });
}

}  // namespace

OZ_SIM_FAMILY(events_history) {
  install_hooks(m);
  auto flag = [&m](uint16_t cmd, bool Histories::*f, bool on) {
    m.on(1, cmd, [f, on](Machine& m, const RbRequest&) {
      his(m).*f = on;
      return RbReply();
    });
  };
  flag(103, &Histories::ops_on, false);
  flag(104, &Histories::ops_on, true);
  flag(112, &Histories::msgs_on, false);
  flag(113, &Histories::msgs_on, true);
  for (uint16_t cmd : {105, 215}) m.on(1, cmd, [](Machine& m, const RbRequest&) { return count_of(his(m).ops.size(), true); });
  for (uint16_t cmd : {107, 214}) m.on(1, cmd, [](Machine& m, const RbRequest&) { return count_of(his(m).alarms.size(), true); });
  m.on(1, 436, [](Machine& m, const RbRequest&) { return count_of(his(m).msgs.size(), false); });
  m.on(1, 114, [](Machine& m, const RbRequest&) {
    return RbReply().u32(100).u32(uint32_t(his(m).msgs.size())).u32(256);
  });
  m.on(1, 432, read_typed);
  m.on(1, 290, [](Machine& m, const RbRequest& q) { return read_fixed(m, q, 24); });
  m.on(1, 106, [](Machine& m, const RbRequest& q) { return read_fixed(m, q, 16); });
  m.on(1, 108, [](Machine& m, const RbRequest& q) { return read_alarms(m, q, 60); });
  m.on(1, 433, [](Machine& m, const RbRequest& q) { return read_alarms(m, q, 96); });
  m.on(1, 465, [](Machine& m, const RbRequest& q) { return read_alarms(m, q, 528); });
  m.on(1, 115, [](Machine& m, const RbRequest& q) { return read_messages(m, q, false); });
  m.on(1, 437, [](Machine& m, const RbRequest& q) { return read_messages(m, q, true); });
  // Kind 0 clears the operation history, 1 the alarm history, others both.
  m.on(1, 109, [](Machine& m, const RbRequest& q) {
    if (q.a1 != 1) his(m).ops.clear();
    if (q.a1 != 0) his(m).alarms.clear();
    return RbReply();
  });
  m.on(1, 116, [](Machine& m, const RbRequest&) {
    his(m).msgs.clear();
    return RbReply();
  });
  m.on(1, 698, [](Machine&, const RbRequest&) { return RbReply(); });
  m.on(1, 110, [](Machine& m, const RbRequest&) { return RbReply().bytes(his(m).signals); });
  m.on(1, 111, [](Machine& m, const RbRequest& q) {
    his(m).signals = q.data;
    return RbReply();
  });
  m.on(1, 434, [](Machine& m, const RbRequest&) { return RbReply().bytes(his(m).signals3); });
  m.on(1, 435, [](Machine& m, const RbRequest& q) {
    if (q.data.size() != size_t(std::max(q.a1, 0)) * 16) return RbReply::fail(data::kBadData);
    his(m).signals3 = q.data;
    return RbReply();
  });
}
