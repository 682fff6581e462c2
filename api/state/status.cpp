// Momentary state: feed, spindle speed, positions.
#include <algorithm>

#include "core/frame.h"

using namespace oz;

static_assert(offsetof(actf_t, data) == 4 && sizeof(actf_t) == 8);
static_assert(offsetof(axis_values_t, axis) == 2 && offsetof(axis_values_t, data) == 4);

OZ_EXPORT int16_t OZ_CALL cnc_actf(uint16_t h, actf_t* a) {
  return call(h, __func__, args(a), [&](Call& c) { a->data = c.exchange(cnc(36)).i32(0); });
}

// Two position kinds in one PDU, written one after the other.
OZ_EXPORT int16_t OZ_CALL cnc_rdmovrlap(uint16_t h, int16_t axis, int16_t length,
                                        axis_values_t* out) {
  return call(h, __func__, args(axis, length, out), [&](Call& c) {
    expect(axis == -1, EW_KIND);
    expect(length >= 4 + 8 * int(c.h.maxAxes()), EW_SIZE);
    c.add(cnc(38).args(11, -1));
    c.add(cnc(38).args(12, -1));
    c.exchange();
    const int n_max = c.h.pathAxes();
    // Never more values than the caller's length holds, whatever the path reports.
    const int room = (length - 4) / 4;
    int at = 0;
    for (int r = 0; r < 2; ++r) {
      Reader d = c.rb(r);
      const int n = std::min<int>(d.size() / 8, n_max);
      for (int i = 0; i < n && at < room; ++i) store(out, 4 + 4 * at++, d.i32(8 * i));
    }
    out->axis = axis;
  });
}
