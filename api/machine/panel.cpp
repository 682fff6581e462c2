// Operator panel signals, general-purpose switches and their names, and the
// menu switches, each one request passed through for the controller.
#include <algorithm>

#include "api/state/state.h"

using namespace oz;
using namespace oz::state;

static_assert(sizeof(opnlsgnl_t) == 30 && offsetof(opnlsgnl_t, selector) == 2 &&
              offsetof(opnlsgnl_t, data) == 4);
static_assert(sizeof(opnlgnrl_t) == 6 && offsetof(opnlgnrl_t, selector) == 2 &&
              offsetof(opnlgnrl_t, value) == 4);
static_assert(sizeof(opnlgsname_t) == 148 && offsetof(opnlgsname_t, name) == 4 &&
              sizeof(opnlgsname_t::name[0]) == 9);

namespace {

constexpr int kSignalWords = 13;
constexpr size_t kNameChars = 8;
// The first forms carry 8 names, the second forms 16.
constexpr int kNamesFirst = 8, kNamesSecond = 16;

// The general switches' first forms send the selector as a byte, and say so
// in the caller's record.
uint16_t byte_selector(uint16_t* selector) {
  *selector &= 0xFF;
  return *selector;
}

void read_general(Call& c, uint16_t selector, opnlgnrl_t* out) {
  const int16_t v = c.exchange(cnc(95).arg1(selector)).i16(0);
  out->selector = selector;
  out->value = v;
}

void write_general(Call& c, uint16_t selector, int16_t value) {
  c.add(cnc(96).arg1(selector)).i16(value);
  c.exchange();
  c.rb(0);
}

// Names travel as 8 characters each without terminators; the record keeps a
// terminating zero after each. A short reply fills the names it holds.
void read_names(Call& c, uint16_t selector, int most, opnlgsname_t* out) {
  const Reader d = c.exchange(cnc(97).arg1(selector));
  const int n = std::min<int>(most, d.size() / int(kNameChars));
  for (int i = 0; i < n; ++i) {
    d.copy(out->name[i], int(kNameChars) * i, kNameChars);
    out->name[i][kNameChars] = 0;
  }
}

void write_names(Call& c, uint16_t selector, int count, const opnlgsname_t* in) {
  RbData d = c.add(cnc(98).arg1(selector));
  for (int i = 0; i < count; ++i) d.bytes(in->name[i], kNameChars);
  c.exchange();
  c.rb(0);
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdopnlsgnl(uint16_t h, int16_t selector, opnlsgnl_t* out) {
  return call(h, __func__, args(selector, out), [&](Call& c) {
    const Reader d = c.exchange(cnc(93).arg1(selector));
    int16_t w[kSignalWords];
    for (int i = 0; i < kSignalWords; ++i) w[i] = d.i16(2 * i);
    out->selector = selector;
    std::copy(w, w + kSignalWords, out->data);
  });
}

// Data bytes 26 to 31 carry no signal word and go as zeros.
OZ_EXPORT int16_t OZ_CALL cnc_wropnlsgnl(uint16_t h, const opnlsgnl_t* in) {
  return call(h, __func__, args(in), [&](Call& c) {
    RbData d = c.add(cnc(94).arg1(in->selector));
    for (int i = 0; i < kSignalWords; ++i) d.i16(in->data[i]);
    d.zeros(6);
    c.exchange();
    c.rb(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdopnlgnrl(uint16_t h, uint8_t selector, opnlgnrl_t* out) {
  return call(h, __func__, args(selector, out), [&](Call& c) { read_general(c, selector, out); });
}
OZ_EXPORT int16_t OZ_CALL cnc_rdopnlgnrl2(uint16_t h, uint16_t selector, opnlgnrl_t* out) {
  return call(h, __func__, args(selector, out), [&](Call& c) { read_general(c, selector, out); });
}
OZ_EXPORT int16_t OZ_CALL cnc_wropnlgnrl(uint16_t h, opnlgnrl_t* in) {
  return call(h, __func__, args(in),
              [&](Call& c) { write_general(c, byte_selector(&in->selector), in->value); });
}
OZ_EXPORT int16_t OZ_CALL cnc_wropnlgnrl2(uint16_t h, const opnlgnrl_t* in) {
  return call(h, __func__, args(in), [&](Call& c) { write_general(c, in->selector, in->value); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdopnlgsname(uint16_t h, uint8_t selector, opnlgsname_t* out) {
  return call(h, __func__, args(selector, out), [&](Call& c) { read_names(c, selector, kNamesFirst, out); });
}
OZ_EXPORT int16_t OZ_CALL cnc_rdopnlgsname2(uint16_t h, uint16_t selector, opnlgsname_t* out) {
  return call(h, __func__, args(selector, out), [&](Call& c) { read_names(c, selector, kNamesSecond, out); });
}
OZ_EXPORT int16_t OZ_CALL cnc_wropnlgsname(uint16_t h, opnlgsname_t* in) {
  return call(h, __func__, args(in),
              [&](Call& c) { write_names(c, byte_selector(&in->selector), kNamesFirst, in); });
}
OZ_EXPORT int16_t OZ_CALL cnc_wropnlgsname2(uint16_t h, const opnlgsname_t* in) {
  return call(h, __func__, args(in), [&](Call& c) { write_names(c, in->selector, kNamesSecond, in); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdmenuswitch(uint16_t h, int32_t* value) {
  return call(h, __func__, args(value), [&](Call& c) { *value = c.exchange(cnc(277)).i32(0); });
}

OZ_EXPORT int16_t OZ_CALL cnc_wrmenuswitch(uint16_t h, int16_t selector, int16_t value) {
  return call(h, __func__, args(selector, value), [&](Call& c) {
    c.add(cnc(278).arg1(selector)).i32(value);
    c.exchange();
    c.rb(0);
  });
}
