// Tool management data of the simulated machine: a table of tool records
// (kept as they travel, 156 bytes each) and two magazines of pots.
#include <algorithm>
#include <array>

#include "base/tool_record.h"
#include "sim/data_wire.h"
#include "sim/machine.h"

using namespace oz::sim;
using oz::sim::data::In;
namespace toolrec = oz::toolrec;

namespace {

constexpr int kTools = 64;
constexpr int kMagazines = 2, kPots = 24;
constexpr size_t kRec = toolrec::kWireSize;

struct ToolData {
  std::vector<std::array<uint8_t, kRec>> records = std::vector<std::array<uint8_t, kRec>>(kTools + 1);
  std::vector<bool> registered = std::vector<bool>(kTools + 1, false);
  int32_t pots[kMagazines][kPots] = {};
  ToolData() {
    for (int t = 1; t <= 8; ++t) {
      registered[size_t(t)] = true;
      oz::be::put32(records[size_t(t)].data(), uint32_t(t));      // the tool's own number
      oz::be::put32(records[size_t(t)].data() + 76, uint32_t(1000 * t));
      pots[0][t - 1] = t;
    }
  }
};

ToolData& td(Machine& m) { return m.state<ToolData>(); }
bool in_table(int32_t n) { return n >= 1 && n <= kTools; }

// Records first..: as many as asked for that the table holds.
RbReply read_tools(Machine& m, const RbRequest& q) {
  if (q.a1 < 1) return RbReply::fail(3);
  const int32_t n = std::clamp(std::min(q.a2, kTools - q.a1 + 1), 0, 9);
  RbReply r = RbReply().i32(n);
  for (int32_t i = 0; i < n; ++i) r.bytes(td(m).records[size_t(q.a1 + i)].data(), kRec);
  return r;
}

RbReply register_tools(Machine& m, const RbRequest& q) {
  const int32_t n = int32_t(q.data.size() / kRec);
  if (q.data.size() % kRec != 0 || n == 0) return RbReply::fail(2);
  if (!in_table(q.a1) || !in_table(q.a1 + n - 1)) return RbReply::fail(3);
  for (int32_t i = 0; i < n; ++i) {
    std::copy_n(q.data.begin() + kRec * size_t(i), kRec, td(m).records[size_t(q.a1 + i)].begin());
    td(m).registered[size_t(q.a1 + i)] = true;
  }
  return RbReply();
}

RbReply write_tool(Machine& m, const RbRequest& q) {
  if (!in_table(q.a1)) return RbReply::fail(3);
  if (q.data.size() != kRec) return RbReply::fail(2);
  std::copy(q.data.begin(), q.data.end(), td(m).records[size_t(q.a1)].begin());
  td(m).registered[size_t(q.a1)] = true;
  return RbReply();
}

// One field by its kind, in the field's wire width.
RbReply write_item(Machine& m, const RbRequest& q) {
  const In in{q.data};
  const int32_t kind = in.i32(0), v = in.i32(4);
  if (!in_table(q.a1) || kind < 0 || kind >= toolrec::kFieldCount) return RbReply::fail(3);
  const toolrec::Field& f = toolrec::kFields[kind];
  uint8_t* at = td(m).records[size_t(q.a1)].data() + f.wire;
  if (f.wire_width == 2) oz::be::put16(at, uint16_t(v));
  else oz::be::put32(at, uint32_t(v));
  return RbReply();
}

// Deletes a1 records from number a2 on (a1 below 1: all of them); answers
// how many were registered.
RbReply delete_tools(Machine& m, const RbRequest& q) {
  const int32_t from = q.a1 < 1 ? 1 : q.a2, to = q.a1 < 1 ? kTools : q.a2 + q.a1 - 1;
  if (!in_table(from)) return RbReply::fail(3);
  int32_t n = 0;
  for (int32_t t = from; t <= std::min(to, kTools); ++t) {
    n += td(m).registered[size_t(t)] ? 1 : 0;
    td(m).registered[size_t(t)] = false;
    td(m).records[size_t(t)].fill(0);
  }
  return RbReply().i32(n);
}

int32_t* pot(Machine& m, int32_t magazine, int32_t p) {
  if (magazine < 1 || magazine > kMagazines || p < 1 || p > kPots) return nullptr;
  return &td(m).pots[magazine - 1][p - 1];
}

RbReply register_pots(Machine& m, const RbRequest& q) {
  const In in{q.data};
  int16_t n = 0;
  for (size_t at = 0; in.has(at, 12); at += 12, ++n) {
    int32_t* slot = pot(m, in.i32(at), in.i32(at + 4));
    if (slot == nullptr) return RbReply::fail(3);
    *slot = in.i32(at + 8);
  }
  return RbReply().i16(n);
}

RbReply empty_pots(Machine& m, const RbRequest& q) {
  const In in{q.data};
  RbReply r;
  for (size_t at = 0; in.has(at, 8); at += 8) {
    int32_t* slot = pot(m, in.i32(at), in.i32(at + 4));
    if (slot == nullptr) return RbReply::fail(3);
    r.i32(*slot);
    *slot = 0;
  }
  return r;
}

// Pots in list order, magazine by magazine, from position a1 (1-based).
RbReply list_pots(Machine& m, const RbRequest& q) {
  if (q.a1 < 1) return RbReply::fail(3);
  RbReply r;
  for (int32_t i = q.a1; i < q.a1 + q.a2 && i <= kMagazines * kPots; ++i) {
    const int32_t mag = (i - 1) / kPots + 1, p = (i - 1) % kPots + 1;
    r.i32(mag).i32(p).i32(*pot(m, mag, p));
  }
  return r;
}

RbReply set_pot(Machine& m, const RbRequest& q) {
  const In in{q.data};
  int32_t* slot = pot(m, q.a1, in.i16(0));
  if (slot == nullptr) return RbReply::fail(3);
  *slot = in.i16(2);
  return RbReply();
}

using H = RbReply (*)(Machine&, const RbRequest&);
struct Route {
  uint16_t cmd;
  H handler;
};
constexpr Route kRoutes[] = {
    {329, register_tools}, {330, delete_tools}, {331, read_tools},  {332, write_tool},
    {333, write_item},     {334, register_pots}, {335, empty_pots}, {336, list_pots},
    {337, set_pot},
};

}  // namespace

OZ_SIM_FAMILY(machine_tooldata) {
  for (const Route& r : kRoutes) m.on(1, r.cmd, r.handler);
}
