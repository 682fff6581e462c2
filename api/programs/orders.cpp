// Transfers the controller carries out by itself (to and from its own
// devices): the library sends the order and reads a status.
#include <algorithm>

#include "core/frame.h"

using namespace oz;

namespace {

constexpr size_t kNameField = 256;
constexpr size_t kProgName = 13;
constexpr size_t kDataName = 12;

// 1..9999, 99999999, or all ones for every program.
void expectProgram(uint32_t n) {
  expect((n >= 1 && n <= 9999) || n == 99999999u || n == 0xFFFFFFFFu, EW_RANGE);
}

size_t nameLength(const char* name) { return name ? std::strlen(name) : 0; }

// A name in a fixed 256-byte field, empty when null; one that would lose its
// NUL is refused rather than cut.
RbData& field(RbData& d, const char* name) {
  const size_t n = nameLength(name);
  expect(n < kNameField, EW_VALUE);
  return d.bytes(name ? name : "", n).zeros(kNameField - n);
}

int16_t program(uint16_t h, const char* fn, uint16_t cmd, uint32_t number) {
  return call(h, fn, args(number), [&](Call& c) {
    expectProgram(number);
    c.exchange(cnc(cmd).arg1(number));
  });
}

int16_t namedProgram(uint16_t h, const char* fn, uint16_t cmd, uint32_t number,
                     const char* name) {
  return call(h, fn, args(number, text(name)), [&](Call& c) {
    expectProgram(number);
    const size_t n = nameLength(name);
    expect(n <= kProgName, EW_VALUE);
    c.exchange(cnc(cmd).arg1(number).with(name ? name : "", uint16_t(n + 1)));
  });
}

int16_t dataFile(uint16_t h, const char* fn, uint16_t cmd, int16_t kind, const char* name) {
  return call(h, fn, args(kind, text(name)), [&](Call& c) {
    expect((kind >= 1 && kind <= 16) || (kind >= 19 && kind <= 21), EW_RANGE);
    const size_t n = nameLength(name);
    expect(n >= 1 && n <= kDataName, EW_VALUE);
    c.exchange(cnc(cmd).arg1(kind).with(name, uint16_t(n + 1)));
  });
}

// Two names, 256 bytes each.
int16_t startPair(uint16_t h, const char* fn, uint16_t cmd, const char* src, const char* dst,
                  int32_t arg = 0) {
  return call(h, fn, args(text(src), text(dst)), [&](Call& c) {
    RbData d = c.add(cnc(cmd).arg1(arg));
    field(field(d, src), dst);
    c.exchange();
    c.rb(0);
  });
}

// A status word at reply +0, after an optional 256-byte name and kind.
int16_t status(uint16_t h, const char* fn, uint16_t cmd, int16_t* out, const char* name = nullptr,
               bool named = false, int16_t kind = 0) {
  return call(h, fn, args(text(name), out), [&](Call& c) {
    RbData d = c.add(cnc(cmd).arg1(kind));
    if (named) field(d, name);
    c.exchange();
    *out = c.rb(0).i16(0);
  });
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_read_prog(uint16_t h, uint32_t n) { return program(h, __func__, 410, n); }
OZ_EXPORT int16_t OZ_CALL cnc_punch_prog(uint16_t h, uint32_t n) { return program(h, __func__, 411, n); }
OZ_EXPORT int16_t OZ_CALL cnc_read_prog2(uint16_t h, uint32_t n, const char* name) {
  return namedProgram(h, __func__, 412, n, name);
}
OZ_EXPORT int16_t OZ_CALL cnc_punch_prog2(uint16_t h, uint32_t n, const char* name) {
  return namedProgram(h, __func__, 413, n, name);
}
OZ_EXPORT int16_t OZ_CALL cnc_read_data(uint16_t h, int16_t kind, const char* name) {
  return dataFile(h, __func__, 430, kind, name);
}
OZ_EXPORT int16_t OZ_CALL cnc_punch_data(uint16_t h, int16_t kind, const char* name) {
  return dataFile(h, __func__, 431, kind, name);
}

OZ_EXPORT int16_t OZ_CALL cnc_saveprog_start(uint16_t h) {
  return call(h, __func__, args(), [&](Call& c) { c.exchange(cnc(556)); });
}
OZ_EXPORT int16_t OZ_CALL cnc_saveprog_end(uint16_t h, int16_t* result) {
  return status(h, __func__, 557, result);
}

OZ_EXPORT int16_t OZ_CALL cnc_start_async_read_prog3(uint16_t h, const char* s, const char* d) {
  return startPair(h, __func__, 638, s, d);
}
OZ_EXPORT int16_t OZ_CALL cnc_end_async_read_prog3(uint16_t h, const char* name, int16_t* st) {
  return status(h, __func__, 639, st, name, true);
}
OZ_EXPORT int16_t OZ_CALL cnc_start_async_punch_prog3(uint16_t h, const char* s, const char* d) {
  return startPair(h, __func__, 640, s, d);
}
OZ_EXPORT int16_t OZ_CALL cnc_end_async_punch_prog3(uint16_t h, const char* name, int16_t* st) {
  return status(h, __func__, 641, st, name, true);
}
OZ_EXPORT int16_t OZ_CALL cnc_start_async_read_prog3_bg(uint16_t h, const char* s,
                                                        const char* d) {
  return startPair(h, __func__, 642, s, d);
}
OZ_EXPORT int16_t OZ_CALL cnc_end_async_read_prog3_bg(uint16_t h, const char* name, char* out,
                                                      int16_t* st) {
  return call(h, __func__, args(text(name), out, st), [&](Call& c) {
    RbData d = c.add(cnc(643));
    field(d, name);
    c.exchange();
    const Reader r = c.rb(0);
    // The name up to its NUL, never past its 256-byte field.
    const Reader n = r.sub(0, kNameField);
    const size_t len = strnlen(reinterpret_cast<const char*>(n.raw()), kNameField - 1);
    n.copy(out, 0, len);
    out[len] = '\0';
    *st = r.i16(kNameField);
  });
}
OZ_EXPORT int16_t OZ_CALL cnc_start_async_punch_prog3_bg(uint16_t h, const char* s,
                                                         const char* d) {
  return startPair(h, __func__, 644, s, d);
}
OZ_EXPORT int16_t OZ_CALL cnc_end_async_punch_prog3_bg(uint16_t h, const char* name,
                                                       int16_t* st) {
  return status(h, __func__, 645, st, name, true);
}
OZ_EXPORT int16_t OZ_CALL cnc_start_async_pdf_read(uint16_t h, const char* s, const char* d) {
  return startPair(h, __func__, 646, s, d);
}
OZ_EXPORT int16_t OZ_CALL cnc_end_async_pdf_read(uint16_t h, int16_t* st) {
  return status(h, __func__, 647, st);
}
OZ_EXPORT int16_t OZ_CALL cnc_start_async_pdf_punch(uint16_t h, int32_t arg, const char* s,
                                                    const char* d) {
  return startPair(h, __func__, 648, s, d, arg);
}
OZ_EXPORT int16_t OZ_CALL cnc_end_async_pdf_punch(uint16_t h, int16_t* st) {
  return status(h, __func__, 649, st);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdmdiprgstat(uint16_t h, int16_t* st) {
  return status(h, __func__, 672, st);
}

OZ_EXPORT int16_t OZ_CALL cnc_start_async_data_read(uint16_t h, int16_t kind, const char* name) {
  return call(h, __func__, args(kind, text(name)), [&](Call& c) {
    c.exchange(cnc(682).arg1(kind).with(name ? name : "", uint16_t(nameLength(name) + 1)));
  });
}
OZ_EXPORT int16_t OZ_CALL cnc_end_async_data_read(uint16_t h, int16_t kind, int16_t* st) {
  return status(h, __func__, 683, st, nullptr, false, kind);
}
OZ_EXPORT int16_t OZ_CALL cnc_start_async_data_punch(uint16_t h, int16_t kind, const char* name) {
  return call(h, __func__, args(kind, text(name)), [&](Call& c) {
    c.exchange(cnc(684).arg1(kind).with(name ? name : "", uint16_t(nameLength(name) + 1)));
  });
}
OZ_EXPORT int16_t OZ_CALL cnc_end_async_data_punch(uint16_t h, int16_t kind, int16_t* st) {
  return status(h, __func__, 685, st, nullptr, false, kind);
}
