// Offsets of the simulated controller (a machining-centre path): tool offsets
// with geometry and wear of length and radius, work zero offsets (external and
// G54..G59), fixture offsets, work shift and pitch error compensation.
// Writing the external or G54 offset moves the path's absolute position.
#include <array>
#include <map>
#include <vector>

#include "sim/data_wire.h"
#include "sim/machine.h"

namespace oz::sim {
namespace {

using data::In;

constexpr int kTools = 64, kWork = 7, kFixtures = 8, kPitch = 1024, kMaxAxes = 32;
// Tool offset types 0..3 select one value of a number; -3 takes all four.
enum ToolValue { kWearLength, kGeomLength, kWearRadius, kGeomRadius };

struct OffsetState {
  std::array<std::array<int32_t, 4>, kTools + 1> tools{};
  std::array<std::array<int32_t, 2>, kTools + 1> second{};
  std::array<std::array<int32_t, kMaxAxes>, kWork> work{};
  std::array<std::array<int32_t, kMaxAxes>, kFixtures + 1> fixtures{};
  std::array<std::array<int32_t, kMaxAxes>, 2> shift{};
  std::array<int8_t, kPitch> pitch{};
  int activeFixture = 1;
};

void putValue(RbReply& r, int32_t v) { r.i32(v).u16(0).u16(0xFFFF); }

// Which values of a tool number a type names: (first, count), count 0 when none.
std::pair<int, int> toolValues(int type, bool second) {
  if (type >= 1000) type -= 1000;
  if (second) return type == -2 ? std::pair{0, 2} : type == 0 || type == 1 ? std::pair{type, 1} : std::pair{0, 0};
  if (type == -3) return {0, 4};
  return type >= 0 && type <= 3 ? std::pair{type, 1} : std::pair{0, 0};
}

template <size_t N>
RbReply readTools(std::array<std::array<int32_t, N>, kTools + 1>& t, bool second, const RbRequest& q) {
  auto [first, n] = toolValues(q.a3, second);
  if (n == 0 || q.a1 < 1 || q.a1 > kTools) return RbReply::fail(data::kNoEntry);
  RbReply r;
  for (int no = q.a1; no <= q.a2 && no <= kTools; ++no)
    for (int k = 0; k < n; ++k) putValue(r, t[size_t(no)][size_t(first + k)]);
  return r;
}

template <size_t N>
RbReply writeTools(std::array<std::array<int32_t, N>, kTools + 1>& t, bool second, const RbRequest& q) {
  auto [first, n] = toolValues(q.a3, second);
  if (n == 0 || q.a1 < 1 || q.a2 > kTools) return RbReply::fail(data::kNoEntry);
  In in{q.data};
  for (int no = q.a1, i = 0; no <= q.a2; ++no)
    for (int k = 0; k < n; ++k, ++i) t[size_t(no)][size_t(first + k)] = in.i32(8 * size_t(i));
  return RbReply();
}

// Per-axis tables: numbers lo..hi, m slots per number (every axis or one).
template <size_t R>
RbReply readAxes(Machine& m, std::array<std::array<int32_t, kMaxAxes>, R>& t, int lo, const RbRequest& q) {
  const int axes = m.config().axes, hi = lo + int(R) - 1;
  if (q.a1 < lo || q.a1 > hi || q.a3 == 0 || q.a3 > axes) return RbReply::fail(data::kNoEntry);
  RbReply r;
  for (int no = q.a1; no <= q.a2 && no <= hi; ++no) {
    const auto& row = t[size_t(no - lo)];
    if (q.a3 > 0) putValue(r, row[size_t(q.a3 - 1)]);
    else for (int a = 0; a < axes; ++a) putValue(r, row[size_t(a)]);
  }
  return r;
}

template <size_t R>
RbReply writeAxes(Machine& m, std::array<std::array<int32_t, kMaxAxes>, R>& t, int lo, const RbRequest& q) {
  const int axes = m.config().axes, hi = lo + int(R) - 1;
  if (q.a1 < lo || q.a2 > hi || q.a3 == 0 || q.a3 > axes) return RbReply::fail(data::kNoEntry);
  In in{q.data};
  for (int no = q.a1, i = 0; no <= q.a2; ++no) {
    auto& row = t[size_t(no - lo)];
    if (q.a3 > 0) row[size_t(q.a3 - 1)] = in.i32(8 * size_t(i++));
    else for (int a = 0; a < axes; ++a) row[size_t(a)] = in.i32(8 * size_t(i++));
  }
  return RbReply();
}

// The absolute position follows the external and G54 offsets.
void applyWorkOffset(Machine& m) {
  auto& s = m.state<OffsetState>();
  auto& w = m.motion(1).work_offset;
  for (size_t a = 0; a < w.size() && a < size_t(kMaxAxes); ++a) w[a] = s.work[0][a] + s.work[1][a];
}

RbReply shiftRead(Machine& m, int table, const RbRequest& q) {
  const auto& row = m.state<OffsetState>().shift[size_t(table)];
  const int axes = m.config().axes;
  if (q.a1 == 0 || q.a1 > axes) return RbReply::fail(data::kNoEntry);
  RbReply r;
  if (q.a1 > 0) putValue(r, row[size_t(q.a1 - 1)]);
  else for (int a = 0; a < axes; ++a) putValue(r, row[size_t(a)]);
  return r;
}

RbReply shiftWrite(Machine& m, int table, const RbRequest& q) {
  auto& row = m.state<OffsetState>().shift[size_t(table)];
  const int axes = m.config().axes;
  if (q.a1 == 0 || q.a1 > axes) return RbReply::fail(data::kNoEntry);
  In in{q.data};
  if (q.a1 > 0) row[size_t(q.a1 - 1)] = in.i32(0);
  else for (int a = 0; a < axes; ++a) row[size_t(a)] = in.i32(8 * size_t(a));
  return RbReply();
}

RbReply range3(int32_t a, int32_t b, int32_t c) { return RbReply().i32(a).i32(0).i32(b).i32(0).i32(c); }

}  // namespace

OZ_SIM_FAMILY(data_offset) {
  auto st = [](Machine& m) -> OffsetState& { return m.state<OffsetState>(); };
  m.on(kClassCnc, 8, [=](Machine& m, const RbRequest& q) { return readTools(st(m).tools, false, q); });
  m.on(kClassCnc, 9, [=](Machine& m, const RbRequest& q) { return writeTools(st(m).tools, false, q); });
  m.on(kClassCnc, 124, [=](Machine& m, const RbRequest& q) { return readTools(st(m).second, true, q); });
  m.on(kClassCnc, 125, [=](Machine& m, const RbRequest& q) { return writeTools(st(m).second, true, q); });
  m.on(kClassCnc, 10, [](Machine&, const RbRequest&) { return RbReply().i32(kTools).i16(1).i16(0); });
  m.on(kClassCnc, 126, [](Machine&, const RbRequest&) { return RbReply().i32(kTools).i32(2).i16(1); });
  m.on(kClassCnc, 200, [](Machine&, const RbRequest&) { return range3(-999999, 999999, 1); });
  m.on(kClassCnc, 439, [=](Machine& m, const RbRequest& q) {
    auto [first, n] = toolValues(q.a1, false);
    if (n == 0) return RbReply::fail(data::kNoEntry);
    for (auto& t : st(m).tools)
      for (int k = 0; k < n; ++k) t[size_t(first + k)] = 0;
    return RbReply();
  });
  m.on(kClassCnc, 11, [=](Machine& m, const RbRequest& q) { return readAxes(m, st(m).work, 0, q); });
  m.on(kClassCnc, 12, [=](Machine& m, const RbRequest& q) {
    RbReply r = writeAxes(m, st(m).work, 0, q);
    applyWorkOffset(m);
    return r;
  });
  m.on(kClassCnc, 298, [=](Machine& m, const RbRequest& q) { return readAxes(m, st(m).fixtures, 0, q); });
  m.on(kClassCnc, 299, [=](Machine& m, const RbRequest& q) { return writeAxes(m, st(m).fixtures, 0, q); });
  m.on(kClassCnc, 297, [=](Machine& m, const RbRequest& q) {
    OffsetState& s = st(m);
    RbRequest one = q;
    one.a1 = one.a2 = s.activeFixture;
    one.a3 = q.a1;
    RbReply v = readAxes(m, s.fixtures, 0, one);
    if (v.result) return v;
    return RbReply().i32(s.activeFixture).bytes(v.data);
  });
  m.on(kClassCnc, 13, [](Machine&, const RbRequest&) { return RbReply().i32(kWork); });
  m.on(kClassCnc, 201, [](Machine&, const RbRequest&) { return range3(-99999999, 99999999, 1); });
  m.on(kClassCnc, 99, [](Machine& m, const RbRequest& q) { return shiftRead(m, 0, q); });
  m.on(kClassCnc, 100, [](Machine& m, const RbRequest& q) { return shiftWrite(m, 0, q); });
  m.on(kClassCnc, 101, [](Machine& m, const RbRequest& q) { return shiftRead(m, 1, q); });
  m.on(kClassCnc, 102, [](Machine& m, const RbRequest& q) { return shiftWrite(m, 1, q); });
  m.on(kClassCnc, 202, [](Machine&, const RbRequest&) { return range3(-99999999, 99999999, 1); });
  // Measured offset: the machine position of the axis named by argument 1.
  m.on(kClassCnc, 400, [](Machine& m, const RbRequest& q) {
    const auto& p = m.motion(1).machine;
    const uint32_t v = q.a1 >= 1 && size_t(q.a1) <= p.size() ? uint32_t(p[size_t(q.a1 - 1)]) : 0;
    return RbReply().u32(v).u32(0);
  });
  m.on(kClassCnc, 18, [=](Machine& m, const RbRequest& q) {
    if (q.a1 < 0 || q.a1 >= kPitch) return RbReply::fail(data::kNoEntry);
    RbReply r;
    for (int i = q.a1; i <= q.a2 && i < kPitch; ++i) r.i16(st(m).pitch[size_t(i)]);
    return r;
  });
  m.on(kClassCnc, 19, [=](Machine& m, const RbRequest& q) {
    if (q.a1 < 0 || q.a2 >= kPitch) return RbReply::fail(data::kNoEntry);
    In in{q.data};
    for (int i = q.a1; i <= q.a2; ++i) st(m).pitch[size_t(i)] = int8_t(in.i16(2 * size_t(i - q.a1)));
    return RbReply();
  });
  m.on(kClassCnc, 20, [](Machine&, const RbRequest&) { return RbReply().i32(kPitch); });
}

}  // namespace oz::sim
