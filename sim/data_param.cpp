// Parameters, setting data and diagnostic data of the simulated controller:
// typed entries, some per axis or per spindle, answered in the element sizes
// of the command set the request uses.
#include <algorithm>
#include <map>

#include "sim/data_wire.h"
#include "sim/machine.h"

namespace oz::sim {
namespace {

using data::In;

enum Type { kBit = 0, kByte = 1, kWord = 2, kTwoWord = 3, kReal = 4 };
enum Attr { kOne = 0, kPerAxis = 1, kPerSpindle = 2 };

struct Value {
  int32_t v = 0;
  int16_t dec = 0;
};

struct Entry {
  Type type;
  Attr attr;
  std::vector<Value> values;   // one, or one per axis / spindle
};

using Table = std::map<int32_t, Entry>;

struct ParamState {
  Table tables[3];   // parameters, settings, diagnostics
  bool seeded = false;
};

// Values for every axis (or spindle) from a list that repeats its last item.
std::vector<Value> spread(int n, std::initializer_list<Value> v) {
  std::vector<Value> out(v);
  while (int(out.size()) < n) out.push_back(out.back());
  out.resize(size_t(n));
  return out;
}

void seed(ParamState& s, int axes, int spindles) {
  if (s.seeded) return;
  s.seeded = true;
  auto one = [](Type t, Value v) { return Entry{t, kOne, {v}}; };
  auto axis = [&](Type t, std::initializer_list<Value> v) { return Entry{t, kPerAxis, spread(axes, v)}; };
  auto spindle = [&](Type t, std::initializer_list<Value> v) {
    return Entry{t, kPerSpindle, spread(spindles, v)};
  };
  // A setting write asks the parameter info command for the entry's type, as
  // the controller keeps its settings among its parameters; so every setting
  // number is a parameter of the same type too (1, 8 and 3202 below).
  s.tables[0] = {
      {0, one(kBit, {0x05})},           {1, one(kByte, {0})},
      {8, one(kReal, Value{0, 2})},     {20, one(kWord, {4})},
      {3202, one(kTwoWord, {0})},
      {1020, axis(kByte, {{88}, {89}, {90}, {65}, {66}})},
      {1022, axis(kByte, {{1}, {2}, {3}, {0}})},
      {1320, axis(kTwoWord, {{500000}, {400000}, {300000}})},
      {1321, axis(kTwoWord, {{-500000}, {-400000}, {-300000}})},
      {1420, axis(kTwoWord, {{24000}})},
      {1423, axis(kReal, {{1500, 0}, {1500, 0}, {1000, 0}})},
      {1825, axis(kWord, {{3000}})},
      {3216, one(kWord, {1})},
      {4020, spindle(kTwoWord, {{6000}})},
      {6000, one(kReal, Value{2500, 3})},
  };
  // Setting writes ask the parameter info command for the type, so a setting
  // number that is also a parameter number has the same type in both tables.
  s.tables[1] = {
      {0, one(kBit, {0x01})},       {1, one(kByte, {2})},          {20, one(kWord, {4})},
      {3202, one(kTwoWord, {9000})}, {8, one(kReal, Value{1250, 2})},
  };
  s.tables[2] = {
      {300, axis(kTwoWord, {{0}})}, {301, axis(kTwoWord, {{12}, {-3}, {0}})},
      {310, one(kByte, {7})},       {408, one(kBit, {0x10})},
      {403, spindle(kWord, {{31}})}, {1000, one(kReal, Value{4567, 2})},
  };
}

// Diagnostics number their types otherwise; answers use that numbering.
uint16_t wireType(int table, Type t) {
  if (table != 2) return uint16_t(t);
  static constexpr uint16_t kDiag[] = {3, 0, 1, 2, 5};
  return kDiag[t];
}

int axesOf(const Machine& m) { return m.config().axes; }

// Element size by command set: the older commands send 4-byte integers.
int elementSize(bool old, Type t) { return old && t != kReal ? 4 : 8; }

void putElement(RbReply& r, bool old, Type t, Value v) {
  r.i32(v.v);
  if (elementSize(old, t) == 8) r.u16(t == kReal ? 10 : 0).i16(t == kReal ? v.dec : int16_t(-1));
}

// Entries from a1 to a2, each in a slot of the maximum axis count.
RbReply readEntries(Machine& m, int table, bool old, const RbRequest& q) {
  auto& s = m.state<ParamState>();
  seed(s, axesOf(m), m.config().spindles);
  const int slotEl = axesOf(m);
  const int slot = 8 + (old ? 4 : 8) * slotEl;
  RbReply r;
  int sent = 0;
  for (auto it = s.tables[table].lower_bound(q.a1); it != s.tables[table].end() && it->first <= q.a2; ++it) {
    const Entry& e = it->second;
    const int es = elementSize(old, e.type);
    if (r.data.size() + size_t(8 + es * slotEl) > 1432) break;
    const size_t before = r.data.size();
    int16_t field = 0;
    std::vector<Value> vals;
    if (e.attr == kOne) {
      vals = e.values;
    } else if (q.a3 < 0) {
      field = -1;
      vals = e.values;
    } else if (q.a3 >= 1 && q.a3 <= int(e.values.size())) {
      field = int16_t(q.a3);
      vals = {e.values[size_t(q.a3 - 1)]};
    } else {
      continue;
    }
    r.i32(it->first).i16(field).u16(wireType(table, e.type));
    for (Value v : vals) putElement(r, old, e.type, v);
    // Real entries of the older set are wider than the fixed slot; pad to it anyway.
    while (r.data.size() < before + size_t(std::max(slot, 8 + es * slotEl))) r.data.push_back(0);
    ++sent;
  }
  if (sent == 0) return RbReply::fail(data::kNoEntry);
  return r;
}

// An entry keeps as many bits as its type has: a bit entry is a byte of
// eight bits, a byte and a word are signed.
int32_t stored(Type t, int32_t v) {
  switch (t) {
    case kBit: return v & 0xFF;
    case kByte: return int8_t(v);
    case kWord: return int16_t(v);
    default: return v;
  }
}

RbReply writeEntries(Machine& m, int table, bool old, const RbRequest& q) {
  auto& s = m.state<ParamState>();
  seed(s, axesOf(m), m.config().spindles);
  In in{q.data};
  size_t at = 0;
  while (at + 8 <= q.data.size()) {
    const int32_t no = in.i32(at);
    const int16_t axis = in.i16(at + 4);
    const Type t = Type(in.u16(at + 6) & 7);
    const int es = elementSize(old, t);
    auto it = s.tables[table].find(no);
    if (it == s.tables[table].end() || it->second.type != t) return RbReply::fail(data::kNoEntry);
    Entry& e = it->second;
    auto element = [&](int i) {
      const size_t el = at + 8 + size_t(i) * es;
      return Value{stored(t, in.i32(el)), es == 8 && t == kReal ? in.i16(el + 6) : int16_t(0)};
    };
    if (axis < 0)
      for (size_t i = 0; i < e.values.size(); ++i) e.values[i] = element(int(i));
    else if (axis >= 1 && axis <= int(e.values.size()))
      e.values[size_t(axis - 1)] = element(0);
    else if (axis == 0)
      e.values[0] = element(0);
    at += 8 + size_t(es) * axesOf(m);
  }
  return RbReply();
}

// Attribute entries from a1 on, a2 of them at most.
template <class Put>
RbReply infoEntries(Machine& m, int table, const RbRequest& q, Put put) {
  auto& s = m.state<ParamState>();
  seed(s, axesOf(m), m.config().spindles);
  const Table& t = s.tables[table];
  auto it = t.lower_bound(q.a1);
  const int32_t prev = it == t.begin() ? 0 : std::prev(it)->first;
  RbReply body;
  int n = 0;
  for (; it != t.end() && n < q.a2; ++it, ++n) put(body, it->first, it->second);
  const int32_t next = it == t.end() ? (t.empty() ? 0 : t.rbegin()->first) : it->first;
  RbReply r;
  r.i32(prev).i32(next).bytes(body.data);
  return r;
}

RbReply info2(Machine& m, int table, const RbRequest& q) {
  return infoEntries(m, table, q, [](RbReply& r, int32_t no, const Entry& e) {
    r.i32(no).u16(uint16_t(e.type)).u16(uint16_t(e.attr)).u16(0).u16(0).u16(0).u16(0).u16(0).u16(0);
  });
}

RbReply infoOld(Machine& m, int table, const RbRequest& q) {
  return infoEntries(m, table, q, [](RbReply& r, int32_t no, const Entry& e) {
    r.i32(no).u32(uint32_t(e.type & 3) | (e.attr == kPerSpindle ? 0x100u : 0u) |
                  (e.attr != kOne ? 0x80u : 0u));
  });
}

RbReply numbers(Machine& m, int table) {
  auto& s = m.state<ParamState>();
  seed(s, axesOf(m), m.config().spindles);
  const Table& t = s.tables[table];
  return RbReply().i32(t.begin()->first).i32(t.rbegin()->first).i32(int32_t(t.size()));
}

}  // namespace

OZ_SIM_FAMILY(data_param) {
  struct Cmds {
    int table;
    uint16_t readOld, readNew, writeOld, writeNew, infoOld, infoPacked, info2, num;
  };
  static constexpr Cmds kCmds[] = {{0, 14, 141, 15, 142, 16, 143, 160, 17},
                                   {1, 41, 144, 42, 145, 43, 146, 161, 44},
                                   {2, 48, 147, 0, 0, 49, 148, 162, 50}};
  for (const Cmds& c : kCmds) {
    const int t = c.table;
    m.on(kClassCnc, c.readOld, [t](Machine& m, const RbRequest& q) { return readEntries(m, t, true, q); });
    m.on(kClassCnc, c.readNew, [t](Machine& m, const RbRequest& q) { return readEntries(m, t, false, q); });
    if (c.writeOld) {
      m.on(kClassCnc, c.writeOld, [t](Machine& m, const RbRequest& q) { return writeEntries(m, t, true, q); });
      m.on(kClassCnc, c.writeNew, [t](Machine& m, const RbRequest& q) { return writeEntries(m, t, false, q); });
    }
    m.on(kClassCnc, c.infoOld, [t](Machine& m, const RbRequest& q) { return infoOld(m, t, q); });
    m.on(kClassCnc, c.info2, [t](Machine& m, const RbRequest& q) { return info2(m, t, q); });
    m.on(kClassCnc, c.num, [t](Machine& m, const RbRequest&) { return numbers(m, t); });
  }
}

}  // namespace oz::sim
