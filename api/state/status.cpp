// Momentary state: feed and spindle speed, run status, the dynamic snapshot.
#include "api/state/state.h"

using namespace oz;
using namespace oz::state;

static_assert(offsetof(actf_t, data) == 4 && sizeof(actf_t) == 8);
static_assert(offsetof(rddynamic_t, axis) == 2 && offsetof(rddynamic_t, alarm) == 4 &&
              offsetof(rddynamic_t, prgnum) == 6 && offsetof(rddynamic_t, prgmnum) == 8 &&
              offsetof(rddynamic_t, seqnum) == 12 && offsetof(rddynamic_t, actf) == 16 &&
              offsetof(rddynamic_t, acts) == 20 && offsetof(rddynamic_t, pos) == 24);
static_assert(offsetof(rddynamic2_t, alarm) == 4 && offsetof(rddynamic2_t, prgnum) == 8 &&
              offsetof(rddynamic2_t, prgmnum) == 12 && offsetof(rddynamic2_t, seqnum) == 16 &&
              offsetof(rddynamic2_t, actf) == 20 && offsetof(rddynamic2_t, acts) == 24 &&
              offsetof(rddynamic2_t, pos) == 28);

OZ_EXPORT int16_t OZ_CALL cnc_actf(uint16_t h, actf_t* a) {
  return call(h, __func__, args(a), [&](Call& c) { a->data = c.exchange(cnc(36)).i32(0); });
}

OZ_EXPORT int16_t OZ_CALL cnc_acts(uint16_t h, actf_t* a) {
  return call(h, __func__, args(a), [&](Call& c) { a->data = c.exchange(cnc(37)).i32(0); });
}

// ---- run status ---------------------------------------------------------------

namespace {

constexpr int kStatWords = sizeof(statinfo_t) / 2;

// The two mode words may be refused by controllers that lack them; the run
// status itself may not.
void statinfo(Call& c, uint16_t status_cmd, statinfo_t* out) {
  c.add(cnc(status_cmd));
  c.add(cnc(225));
  c.add(cnc(152));
  c.exchange();
  for (int w = 0; w < 2; ++w) out->word[w] = c.result(w + 1) == 0 ? c.rbAny(w + 1).u16(0) : 0;
  Reader d = c.rb(0);
  const int n = items(d, 2, kStatWords - 2);
  expect(n > 0, EW_SIZE);   // the run status itself never comes empty
  for (int i = 0; i < n; ++i) out->word[2 + i] = d.u16(2 * i);
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_statinfo(uint16_t h, statinfo_t* out) {
  return call(h, __func__, args(out), [&](Call& c) { statinfo(c, 25, out); });
}

OZ_EXPORT int16_t OZ_CALL cnc_statinfo2(uint16_t h, statinfo_t* out) {
  return call(h, __func__, args(out), [&](Call& c) { statinfo(c, 226, out); });
}

// ---- dynamic snapshot ----------------------------------------------------------

namespace {

// Where the three layouts put the fixed fields; a narrow field takes the low
// half of the reply's 32-bit value.
struct DynLayout {
  uint8_t alarm;
  bool alarm_wide;
  uint8_t prg;
  bool prg_wide;
  uint8_t seq;     // seq, actf, acts: three 32-bit fields in a row
  uint8_t pos;
};
constexpr DynLayout kDynamic{4, false, 6, false, 12, 24};
constexpr DynLayout kDynamicO8{4, false, 8, true, 16, 28};
constexpr DynLayout kDynamic2{4, true, 8, true, 16, 28};

void put_field(Out& o, size_t off, bool wide, int32_t v) {
  if (wide) o.put(off, v);
  else o.put(off, int16_t(v));
}

void dynamic(Call& c, const DynLayout& L, int16_t axis, int16_t length, void* out) {
  if (axis == -1) {
    expect(length >= L.pos + 16 * c.h.maxAxes(), EW_SIZE);
  } else {
    expect(axis >= 1, EW_KIND);
    expect(length >= L.pos + 16, EW_SIZE);
  }
  for (uint16_t cmd : {26, 28, 29, 36, 37}) c.add(cnc(cmd));
  for (int kind : {4, 1, 6, 7}) c.add(cnc(38).args(kind, axis));
  c.exchange();
  Out o(out, size_t(length));
  put_field(o, L.alarm, L.alarm_wide, c.rb(0).i32(0));
  Reader prg = c.rb(1);
  put_field(o, L.prg, L.prg_wide, prg.i32(0));
  put_field(o, L.prg + (L.prg_wide ? 4 : 2), L.prg_wide, prg.i32(4));
  for (int i = 0; i < 3; ++i) o.put(L.seq + 4 * size_t(i), c.rb(2 + i).i32(0));
  // The blocks follow each other without gaps, each as long as its reply.
  const int blocks = path_is_w(c.h) ? 3 : 4;
  size_t at = L.pos;
  for (int b = 0; b < blocks; ++b) {
    Reader d = c.rb(5 + b);
    at += 4 * size_t(put_values(o, at, d, items(d, 8, c.h.axesDelivered())));
  }
  o.put(2, axis);
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rddynamic(uint16_t h, int16_t axis, int16_t length, rddynamic_t* out) {
  return call(h, __func__, args(axis, length, out),
              [&](Call& c) { dynamic(c, kDynamic, axis, length, out); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rddynamico8(uint16_t h, int16_t axis, int16_t length,
                                          rddynamic2_t* out) {
  return call(h, __func__, args(axis, length, out),
              [&](Call& c) { dynamic(c, kDynamicO8, axis, length, out); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rddynamic2(uint16_t h, int16_t axis, int16_t length,
                                         rddynamic2_t* out) {
  return call(h, __func__, args(axis, length, out),
              [&](Call& c) { dynamic(c, kDynamic2, axis, length, out); });
}
