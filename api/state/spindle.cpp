// Spindle values, axis and spindle names and the small per-axis lookups.
#include "api/state/state.h"

using namespace oz;
using namespace oz::state;

static_assert(offsetof(spindle_values_t, data) == 4 && sizeof(spindle_values_t) == 36);
static_assert(sizeof(axisname_t) == 2 && sizeof(exaxisname_t) == 4 && sizeof(spcss_t) == 12);

namespace {

constexpr int kSpindleRoom = 8;   // values spindle_values_t holds

// Newer controllers bracket the read with the spindle count, which may have
// changed since the connection was opened.
void spindle(Call& c, int kind, int16_t sp, bool wide, spindle_values_t* out) {
  expect(sp <= int(c.h.pathSpindleMax()), EW_RANGE);
  Reader d(nullptr, 0);
  if (c.h.has(kDialectCurrent)) {
    c.add(cnc(164).arg1(1));
    c.add(cnc(64).args(kind, sp));
    c.add(cnc(164).arg1(1));
    c.exchange();
    const int before = c.rb(0).i16(0);
    d = c.rb(1);
    const int spindles = std::min<int>(before, c.rb(2).i16(0));
    expect(spindles != 0, EW_NOFEATURE);
    expect(sp <= spindles, EW_RANGE);
  } else {
    d = c.exchange(cnc(64).args(kind, sp));
  }
  const int n = items(d, 8, std::min<int>(c.h.pathSpindleMax(), kSpindleRoom));
  expect(n > 0, EW_SIZE);   // a spindle read without a value is none
  for (int i = 0; i < n; ++i) {
    if (wide) out->data.l[i] = d.i32(8 * i);
    else out->data.w[i] = int16_t(d.i32(8 * i));
  }
  out->spindle = sp;
}

int16_t spindle_call(uint16_t h, const char* fn, int kind, int16_t sp, bool wide,
                     spindle_values_t* out) {
  return call(h, fn, args(sp, out), [&](Call& c) { spindle(c, kind, sp, wide, out); });
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdspload(uint16_t h, int16_t sp, spindle_values_t* out) {
  return spindle_call(h, __func__, 0, sp, false, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdspmaxrpm(uint16_t h, int16_t sp, spindle_values_t* out) {
  return spindle_call(h, __func__, 1, sp, false, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdspgear(uint16_t h, int16_t sp, spindle_values_t* out) {
  return spindle_call(h, __func__, 2, sp, false, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_acts2(uint16_t h, int16_t sp, spindle_values_t* out) {
  return spindle_call(h, __func__, 3, sp, true, out);
}

// ---- names ---------------------------------------------------------------------------

namespace {

// Names come as 4-byte items; the short forms keep the first two bytes.
void names(Call& c, uint16_t cmd, int cap, int width, int16_t* count, void* out) {
  expect(*count >= 1, EW_SIZE);
  Reader d = c.exchange(cnc(cmd));
  const int n = items(d, 4, std::min<int>(*count, cap));
  for (int i = 0; i < n; ++i) d.copy(static_cast<uint8_t*>(out) + width * i, 4 * i, size_t(width));
  *count = int16_t(n);
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdaxisname(uint16_t h, int16_t* count, axisname_t* out) {
  return call(h, __func__, args(oz::count(count), out),
              [&](Call& c) { names(c, 137, c.h.pathAxes(), 2, count, out); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdspdlname(uint16_t h, int16_t* count, axisname_t* out) {
  return call(h, __func__, args(oz::count(count), out),
              [&](Call& c) { names(c, 138, c.h.pathSpindleMax(), 2, count, out); });
}

OZ_EXPORT int16_t OZ_CALL cnc_exaxisname(uint16_t h, int16_t type, int16_t* count, exaxisname_t* out) {
  return call(h, __func__, args(type, oz::count(count), out), [&](Call& c) {
    expect_range(type, 0, 1, EW_KIND);
    if (type == 0) names(c, 137, c.h.pathAxes(), 4, count, out);
    else names(c, 138, c.h.pathSpindleMax(), 4, count, out);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_axisnum(uint16_t h, int16_t kind, int16_t* num) {
  return call(h, __func__, args(kind, num),
              [&](Call& c) { *num = c.exchange(cnc(164).arg1(kind)).i16(0); });
}

// ---- axis relations ------------------------------------------------------------------

namespace {

// Items of `words` 16-bit words; never more than the caller's count.
void word_items(Reader d, int words, int16_t* count, int16_t* out) {
  const int n = items(d, 2 * words, *count);
  for (int i = 0; i < n * words; ++i) out[i] = d.i16(2 * i);
  *count = int16_t(n);
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdrelaxis(uint16_t h, int16_t sel1, int16_t sel2, int16_t* count,
                                        int16_t* out) {
  return call(h, __func__, args(sel1, sel2, oz::count(count), out), [&](Call& c) {
    word_items(c.exchange(cnc(669).args(sel1, sel2, *count)), 2, count, out);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdabsaxis(uint16_t h, int16_t sel1, int16_t sel2, int16_t sel3,
                                        int16_t* count, int16_t* out) {
  return call(h, __func__, args(sel1, sel2, sel3, oz::count(count), out), [&](Call& c) {
    word_items(c.exchange(cnc(670).args(sel1, sel2, sel3, *count)), 1, count, out);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdspcss(uint16_t h, spcss_t* out) {
  return call(h, __func__, args(out), [&](Call& c) {
    Reader d = c.exchange(cnc(344));
    for (int i = 0; i < 3; ++i) out->data[i] = d.i32(4 * i);
  });
}
