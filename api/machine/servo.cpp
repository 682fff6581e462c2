// Servo and spindle information: per-axis and per-spindle values, position
// and synchronisation errors, the spindle count and the amplifiers'
// identification texts.
#include <algorithm>

#include "api/state/state.h"

using namespace oz;
using namespace oz::state;

namespace {

enum class Per { Axis, Spindle };

// Items a reply holds, never more than the path has axes or spindles: the
// caller's array is sized by the path.
int per_path(const Call& c, const Reader& d, int item, Per per) {
  return items(d, item, per == Per::Axis ? c.h.pathAxes() : c.h.pathSpindleMax());
}

// 8-byte items whose first word is the value, narrowed to the caller's type.
template <class T>
int16_t eight_byte_items(uint16_t h, const char* fn, Rb rb, Per per, T* out) {
  return call(h, fn, args(out), [&](Call& c) {
    const Reader d = c.exchange(rb);
    const int n = per_path(c, d, 8, per);
    for (int i = 0; i < n; ++i) out[i] = T(d.i32(8 * i));
  });
}

// 2- or 4-byte items, each a value of that width, narrowed to the caller's type.
template <class T>
int16_t word_items(uint16_t h, const char* fn, Rb rb, int item, T* out) {
  return call(h, fn, args(out), [&](Call& c) {
    const Reader d = c.exchange(rb);
    const int n = per_path(c, d, item, Per::Spindle);
    for (int i = 0; i < n; ++i) out[i] = T(item == 2 ? d.u16(2 * i) : d.u32(4 * i));
  });
}

int16_t single(uint16_t h, const char* fn, Rb rb, int32_t* out) {
  return call(h, fn, args(out), [&](Call& c) { *out = c.exchange(rb).i32(0); });
}

constexpr size_t kIdText = 129;

// The error line names the selectors and the buffer.
template <class A>
int16_t ident(uint16_t h, const char* fn, const A& a, Rb rb, char* out) {
  return call(h, fn, a, [&](Call& c) {
    const Reader d = c.exchange(rb);
    expect(d.size() >= kIdText, EW_SIZE);
    d.copy(out, 0, kIdText);
  });
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdloopgain(uint16_t h, int32_t* out) {
  return eight_byte_items(h, __func__, cnc(86).arg1(0), Per::Axis, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdcurrent(uint16_t h, int16_t* out) {
  return eight_byte_items(h, __func__, cnc(86).arg1(1), Per::Axis, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdsrvspeed(uint16_t h, int32_t* out) {
  return eight_byte_items(h, __func__, cnc(86).arg1(2), Per::Axis, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdposerrs(uint16_t h, int32_t* out) {
  return eight_byte_items(h, __func__, cnc(88).arg1(0), Per::Spindle, out);
}

OZ_EXPORT int16_t OZ_CALL cnc_rdposerrs2(uint16_t h, int32_t out[2]) {
  return call(h, __func__, args(out), [&](Call& c) {
    c.add(cnc(88).arg1(1));
    c.add(cnc(88).arg1(2));
    c.exchange();
    out[0] = c.rb(0).i32(0);
    out[1] = c.rb(1).i32(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdposerrz(uint16_t h, int32_t* out) { return single(h, __func__, cnc(88).arg1(3), out); }
OZ_EXPORT int16_t OZ_CALL cnc_rdsynerrsy(uint16_t h, int32_t* out) { return single(h, __func__, cnc(89).arg1(0), out); }
OZ_EXPORT int16_t OZ_CALL cnc_rdsynerrrg(uint16_t h, int32_t* out) { return single(h, __func__, cnc(89).arg1(1), out); }

OZ_EXPORT int16_t OZ_CALL cnc_rdopmode(uint16_t h, int16_t* out) {
  return word_items(h, __func__, cnc(87).arg1(0), 2, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdspdlalm(uint16_t h, uint8_t* out) {
  return word_items(h, __func__, cnc(90).arg1(0), 2, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdctrldi(uint16_t h, uint32_t* out) {
  return word_items(h, __func__, cnc(91).arg1(0), 4, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdctrldo(uint16_t h, uint32_t* out) {
  return word_items(h, __func__, cnc(91).arg1(1), 4, out);
}

// Controllers of protocol version below 3 have no count request: the
// connection's path entry already holds it.
OZ_EXPORT int16_t OZ_CALL cnc_rdnspdl(uint16_t h, int16_t* count) {
  return call(h, __func__, args(count), [&](Call& c) {
    if (c.h.has(kOldProtocol)) *count = int16_t(c.h.pathSpindles());
    else *count = c.exchange(cnc(164).arg1(1)).i16(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdservoid(uint16_t h, int16_t first, int16_t second, char out[129]) {
  return ident(h, __func__, args(first, second, out), cnc(654).args(first, second), out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdspindleid(uint16_t h, int16_t first, int16_t second, char out[129]) {
  return ident(h, __func__, args(first, second, out), cnc(655).args(first, second), out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdfromservoid(uint16_t h, int16_t selector, char out[129]) {
  return ident(h, __func__, args(selector, out), cnc(656).arg1(selector), out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdfromspindleid(uint16_t h, int16_t selector, char out[129]) {
  return ident(h, __func__, args(selector, out), cnc(657).arg1(selector), out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdservoid2(uint16_t h, int16_t first, int16_t second, char out[129]) {
  return ident(h, __func__, args(first, second, out), cnc(658).args(first, second), out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdspindleid2(uint16_t h, int16_t first, int16_t second, char out[129]) {
  return ident(h, __func__, args(first, second, out), cnc(659).args(first, second), out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdfromservoid2(uint16_t h, int16_t selector, char out[129]) {
  return ident(h, __func__, args(selector, out), cnc(660).arg1(selector), out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdfromspindleid2(uint16_t h, int16_t selector, char out[129]) {
  return ident(h, __func__, args(selector, out), cnc(661).arg1(selector), out);
}
