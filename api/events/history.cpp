// Operation, alarm and operator-message histories: switches, counts, the
// signal table, and the range readers that page through the records and
// convert them into the caller's layouts.
#include <algorithm>

#include "api/events/events.h"
#include "core/listed.h"

using namespace oz;
using namespace oz::state;
using namespace oz::events;

static_assert(sizeof(ophisno_t) == 2 && sizeof(omhisinfo_t) == 6);
static_assert(sizeof(hissgnl_entry_t) == 6 && offsetof(hissgnl_entry_t, bit) == 4 &&
              offsetof(hissgnl_t, count) == 2 && offsetof(hissgnl_t, entry) == 4);
static_assert(sizeof(ophis_rec_t) == 8 && sizeof(ophis4_rec_t) == 4 && sizeof(hishead_t) == 4);
static_assert(sizeof(almhis_rec_t) == 48 && offsetof(almhis_rec_t, number) == 2 &&
              offsetof(almhis_rec_t, axis) == 6 && offsetof(almhis_rec_t, time) == 7 &&
              offsetof(almhis_rec_t, path) == 14 && offsetof(almhis_rec_t, text) == 16);
static_assert(sizeof(almhis2_rec_t) == 52 && offsetof(almhis2_rec_t, time) == 6 &&
              offsetof(almhis2_rec_t, path) == 18 && offsetof(almhis2_rec_t, text) == 20);
static_assert(sizeof(almhis4_rec_t) == 88 && offsetof(almhis4_rec_t, text_len) == 20 &&
              offsetof(almhis4_rec_t, text) == 24);
static_assert(sizeof(almhis5_rec_t) == 516 && offsetof(almhis5_rec_t, extra) == 22 &&
              offsetof(almhis5_rec_t, text) == 28 && offsetof(almhis5_rec_t, val1) == 92 &&
              offsetof(almhis5_rec_t, flg1) == 132 && offsetof(almhis5_rec_t, val2) == 144 &&
              offsetof(almhis5_rec_t, flg2) == 184 && offsetof(almhis5_rec_t, val3) == 196 &&
              offsetof(almhis5_rec_t, flg3) == 324 && offsetof(almhis5_rec_t, val4) == 356 &&
              offsetof(almhis5_rec_t, flg4) == 484);
static_assert(sizeof(omhis_rec_t) == 270 && offsetof(omhis_rec_t, text) == 14);
static_assert(sizeof(omhis2_rec_t) == 272 && offsetof(omhis2_rec_t, text) == 16);

namespace {

// The record counts arrive as a 32-bit word, except the message history's.
int16_t hisno(uint16_t h, const char* fn, uint16_t cmd, ophisno_t* out, bool wide = true) {
  return call(h, fn, args(out), [&](Call& c) {
    const Reader d = c.exchange(cnc(cmd));
    out->hisno = wide ? uint16_t(d.u32(0)) : d.u16(0);
  });
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_stopophis(uint16_t h) { return send(h, __func__, args(), cnc(103)); }
OZ_EXPORT int16_t OZ_CALL cnc_startophis(uint16_t h) { return send(h, __func__, args(), cnc(104)); }
OZ_EXPORT int16_t OZ_CALL cnc_stopomhis(uint16_t h) { return send(h, __func__, args(), cnc(112)); }
OZ_EXPORT int16_t OZ_CALL cnc_startomhis(uint16_t h) { return send(h, __func__, args(), cnc(113)); }
OZ_EXPORT int16_t OZ_CALL cnc_clearophis(uint16_t h, int16_t kind) {
  return send(h, __func__, args(kind), cnc(109).arg1(kind));
}
OZ_EXPORT int16_t OZ_CALL cnc_wrkeyhistry(uint16_t h, uint8_t key) {
  return send(h, __func__, args(key), cnc(698).arg1(key));
}
OZ_EXPORT int16_t OZ_CALL cnc_clearomhis(uint16_t h) {
  return call(h, __func__, args(), [&](Call& c) {
    c.exchange(cnc(116).arg1(c.h.has(kDialectCurrent) ? 2 : 0));
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdophisno(uint16_t h, ophisno_t* out) { return hisno(h, __func__, 105, out); }
OZ_EXPORT int16_t OZ_CALL cnc_rdophisno3(uint16_t h, ophisno_t* out) { return hisno(h, __func__, 215, out); }
OZ_EXPORT int16_t OZ_CALL cnc_rdalmhisno(uint16_t h, ophisno_t* out) { return hisno(h, __func__, 107, out); }
OZ_EXPORT int16_t OZ_CALL cnc_rdalmhisno3(uint16_t h, ophisno_t* out) { return hisno(h, __func__, 214, out); }
OZ_EXPORT int16_t OZ_CALL cnc_rdomhisno(uint16_t h, ophisno_t* out) {
  return hisno(h, __func__, 436, out, false);
}

OZ_EXPORT int16_t OZ_CALL cnc_rdomhisinfo(uint16_t h, omhisinfo_t* out) {
  return call(h, __func__, args(out), [&](Call& c) {
    const Reader d = c.exchange(cnc(114));
    for (int i = 0; i < 3; ++i) out->value[i] = int16_t(d.u32(4 * i));
  });
}

// ---- the signal table -------------------------------------------------------------

namespace {
constexpr int kSignalWire = 12;
constexpr int kSignalEntries = int(sizeof(hissgnl_t::entry) / sizeof(hissgnl_t::entry[0]));
}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdhissgnl(uint16_t h, hissgnl_t* out) {
  return call(h, __func__, args(out), [&](Call& c) {
    const Reader d = c.exchange(cnc(110));
    // The table holds 20 entries: a longer reply is cut there, and the count
    // says how many were filled.
    const int n = items(d, kSignalWire, kSignalEntries);
    for (int i = 0; i < n; ++i) {
      const Reader w = d.sub(i * kSignalWire, kSignalWire);
      out->entry[i] = {int16_t(w.u32(0)), int16_t(w.u32(4)), int8_t(w.u16(8)), w.u8(10)};
    }
    out->count = int16_t(n);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wrhissgnl(uint16_t h, const hissgnl_t* in) {
  return call(h, __func__, args(in), [&](Call& c) {
    expect_range(in->count, 0, kSignalEntries);
    RbData d = c.add(cnc(111));
    for (int i = 0; i < in->count; ++i) {
      const hissgnl_entry_t& e = in->entry[i];
      d.i32(e.kind).i32(e.number).i16(e.bit).u8(e.flag).u8(0);
    }
    c.exchange();
    c.rb(0);
  });
}

#define HISTORY_ROWS(X)                         \
  X(cnc_rdhissgnl3, Read, 1, (434))             \
  X(cnc_wrhissgnl3, Write, 1, (435), count)
HISTORY_ROWS(OZ_LISTED_DEFINE)
OZ_LISTED_TABLE(events_history, HISTORY_ROWS)
