// Axis positions: the kinds of command 38, manual overlap, presets and the
// extended-digit forms.
#include "api/state/state.h"

using namespace oz;
using namespace oz::state;

static_assert(offsetof(axis_values_t, axis) == 2 && offsetof(axis_values_t, data) == 4);
static_assert(sizeof(exdgt_t) == 16 && offsetof(exdgt_t, dec) == 8 && offsetof(exdgt_t, unit) == 12);

namespace {

// The length test needs the reply's item count, so it comes after the
// exchange; the axis test comes first and sends nothing.
void read_kind(Call& c, int kind, int16_t axis, int16_t length, axis_values_t* out) {
  expect(axis <= int(c.h.pathAxes()), EW_KIND);
  Reader d = c.exchange(cnc(38).args(kind, axis));
  const int n = items(d, 8, c.h.pathAxes());
  expect(length >= 4 + 4 * n, EW_SIZE);
  expect(n > 0, EW_SIZE);   // a path has axes: a reply without a value is none
  Out o(out, size_t(length));
  put_values(o, 4, d, n);
  out->axis = axis;
}

template <class A>
int16_t position(uint16_t h, const char* fn, const A& a, int kind, int16_t axis, int16_t length,
                 axis_values_t* out) {
  return call(h, fn, a, [&](Call& c) { read_kind(c, kind, axis, length, out); });
}

}  // namespace

#define OZ_POSITION(name, kind)                                                              \
  OZ_EXPORT int16_t OZ_CALL name(uint16_t h, int16_t axis, int16_t length, axis_values_t* out) { \
    return position(h, #name, args(axis, length, out), kind, axis, length, out);             \
  }
OZ_POSITION(cnc_absolute2, 0)
OZ_POSITION(cnc_machine, 1)
OZ_POSITION(cnc_relative2, 2)
OZ_POSITION(cnc_absolute, 4)
OZ_POSITION(cnc_relative, 6)
OZ_POSITION(cnc_distance, 7)
OZ_POSITION(cnc_skip, 8)
OZ_POSITION(cnc_srvdelay, 9)
OZ_POSITION(cnc_accdecdly, 10)
OZ_POSITION(cnc_slide, 17)
OZ_POSITION(cnc_allowance, 18)
#undef OZ_POSITION

// The type alone decides these two, so a bad one is answered before the
// handle is looked at.
OZ_EXPORT int16_t OZ_CALL cnc_machine2(uint16_t h, int16_t axis, int16_t length, int16_t type,
                                       axis_values_t* out) {
  if (type != 0) return EW_KIND;
  return position(h, __func__, args(axis, length, type, out), 24, axis, length, out);
}

OZ_EXPORT int16_t OZ_CALL cnc_machine3(uint16_t h, int16_t axis, int16_t length, int16_t type,
                                       axis_values_t* out) {
  static constexpr int kKinds[] = {22, 1, 23};
  if (type < 0 || type > 2) return EW_KIND;
  return position(h, __func__, args(axis, length, type, out), kKinds[type], axis, length, out);
}

// Two position kinds in one PDU, the second block right after the first. The
// length test uses the controller's largest axis count, so it holds for every
// path and is made before sending.
OZ_EXPORT int16_t OZ_CALL cnc_rdmovrlap(uint16_t h, int16_t axis, int16_t length,
                                        axis_values_t* out) {
  return call(h, __func__, args(axis, length, out), [&](Call& c) {
    expect(axis == -1, EW_KIND);
    expect(length >= 4 + 8 * int(c.h.maxAxes()), EW_SIZE);
    c.add(cnc(38).args(11, -1));
    c.add(cnc(38).args(12, -1));
    c.exchange();
    Out o(out, size_t(length));
    size_t at = 4;
    for (int r = 0; r < 2; ++r) {
      Reader d = c.rb(r);
      at += 4 * size_t(put_values(o, at, d, items(d, 8, c.h.pathAxes())));
    }
    out->axis = axis;
  });
}

// ---- presets ------------------------------------------------------------------------

namespace {

int16_t preset(uint16_t h, const char* fn, uint16_t cmd, int16_t length, const axis_values_t* in) {
  return call(h, fn, args(length, in), [&](Call& c) {
    const int axes = c.h.pathAxes();
    expect(in->axis <= axes, EW_KIND);
    const int n = in->axis == -1 ? axes : 1;
    expect(length >= 4 + 4 * n, EW_SIZE);
    RbData d = c.add(cnc(cmd).arg1(in->axis));
    for (int i = 0; i < n; ++i) d.i32(load<int32_t>(in, 4 + 4 * size_t(i))).i16(0).i16(-1);
    c.exchange();
    c.rb(0);
  });
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_wrrelpos(uint16_t h, int16_t length, const axis_values_t* in) {
  return preset(h, __func__, 60, length, in);
}
OZ_EXPORT int16_t OZ_CALL cnc_wrabspos(uint16_t h, int16_t length, const axis_values_t* in) {
  return preset(h, __func__, 61, length, in);
}
OZ_EXPORT int16_t OZ_CALL cnc_prstwkcd(uint16_t h, int16_t length, const axis_values_t* in) {
  return preset(h, __func__, 62, length, in);
}
OZ_EXPORT int16_t OZ_CALL cnc_workzero(uint16_t h, int16_t length, const axis_values_t* in) {
  return preset(h, __func__, 303, length, in);
}

// ---- extended digits ------------------------------------------------------------------

namespace {

int16_t exdgt(uint16_t h, const char* fn, int kind, exdgt_t* out) {
  return call(h, fn, args(out), [&](Call& c) {
    Reader d = c.exchange(cnc(718).arg1(kind));
    const int n = items(d, 16, c.h.maxAxes());
    expect(n > 0, EW_SIZE);   // no axis at all is no answer
    for (int i = 0; i < n; ++i) {
      const int at = 16 * i;
      out[i].data = int64_t((uint64_t(d.u32(at)) << 32) | d.u32(at + 4));
      out[i].dec = d.u32(at + 8);
      out[i].unit = d.u32(at + 12);
    }
  });
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_absolute2_exdgt(uint16_t h, exdgt_t* out) { return exdgt(h, __func__, 0, out); }
OZ_EXPORT int16_t OZ_CALL cnc_machine_exdgt(uint16_t h, exdgt_t* out) { return exdgt(h, __func__, 1, out); }
OZ_EXPORT int16_t OZ_CALL cnc_relative2_exdgt(uint16_t h, exdgt_t* out) { return exdgt(h, __func__, 2, out); }
OZ_EXPORT int16_t OZ_CALL cnc_distance_exdgt(uint16_t h, exdgt_t* out) { return exdgt(h, __func__, 7, out); }

// ---- other requests of the family ------------------------------------------------------

#include "core/listed.h"

#define STATE_POSITION_ROWS(X)                               \
  X(cnc_canmovrlap, Action, 1, (63), axis)                   \
  X(cnc_rd3dtooltip, Read, 1, (272, 273))                    \
  X(cnc_rd3dpulse, Read, 1, (275))                           \
  X(cnc_rd3dmovrlap, Read, 1, (272, 274))                    \
  X(cnc_rd3dofschg, Read, 1, (275))                          \
  X(cnc_clr3dplsmov, Action, 1, (276), mode)                 \
  X(cnc_allowcnd, Read, 1, (302))                            \
  X(cnc_setvrtclpos, Action, 1, (342), value)                \
  X(cnc_setthrdngpos, Action, 1, (343), value)               \
  X(cnc_setfrp, Action, 1, (166), value)                     \
  X(cnc_simulation, Read, 1, (151, 164, 38), a1, a2)         \
  X(cnc_rdjogmdi, Read, 1, (407))                            \
  X(cnc_wrjogmdiclr, Action, 1, (409))                       \
  X(cnc_rd5axmandt, Read, 1, (203))                          \
  X(cnc_rd5axovrlap, Read, 1, (204), axis)                   \
  X(cnc_clr5axpls, Action, 1, (205), axis)
STATE_POSITION_ROWS(OZ_LISTED_DEFINE)
OZ_LISTED_TABLE(state_positions, STATE_POSITION_ROWS)
