// Machine commands, clocks, language, screen and operator's message, text
// conversion and the C executor's memory.
#include "api/state/state.h"
#include "core/listed.h"
#include "platform/platform.h"

using namespace oz;
using namespace oz::state;

static_assert(sizeof(cnctimer_t) == 10 && offsetof(cnctimer_t, v) == 4);
static_assert(sizeof(rdtimer_t) == 8 && offsetof(rdtimer_t, msec) == 4);

namespace {

int16_t command(uint16_t h, const char* fn, uint16_t cmd) {
  return call(h, fn, args(), [&](Call& c) { c.exchange(cnc(cmd)); });
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_start(uint16_t h) { return command(h, __func__, 1); }
OZ_EXPORT int16_t OZ_CALL cnc_reset(uint16_t h) { return command(h, __func__, 2); }
OZ_EXPORT int16_t OZ_CALL cnc_reset2(uint16_t h) { return command(h, __func__, 709); }

OZ_EXPORT int16_t OZ_CALL cnc_chglang(uint16_t h, uint8_t lang) {
  return call(h, __func__, args(lang), [&](Call& c) { c.exchange(cnc(244).arg1(lang)); });
}

OZ_EXPORT int16_t OZ_CALL cnc_setcurscrn(uint16_t h, int16_t screen) {
  return call(h, __func__, args(screen), [&](Call& c) { c.exchange(cnc(230).arg1(screen)); });
}

// ---- clocks ----------------------------------------------------------------------------

// The controller keeps date and time in one six-word block; type picks the half.
OZ_EXPORT int16_t OZ_CALL cnc_gettimer(uint16_t h, cnctimer_t* t) {
  return call(h, __func__, args(t), [&](Call& c) {
    expect_range(t->type, 0, 1, EW_RANGE);
    Reader d = c.exchange(cnc(69).arg1(t->type));
    for (int i = 0; i < 3; ++i) t->v[i] = d.i16(2 * (3 * t->type + i));
  });
}

// The controller applies a new clock setting a moment after it answers.
OZ_EXPORT int16_t OZ_CALL cnc_settimer(uint16_t h, const cnctimer_t* t) {
  return call(h, __func__, args(t), [&](Call& c) {
    expect_range(t->type, 0, 1, EW_RANGE);
    RbData d = c.add(cnc(70).arg1(t->type));
    if (t->type == 1) d.zeros(6);
    for (int i = 0; i < 3; ++i) d.i16(t->v[i]);
    if (t->type == 0) d.zeros(6);
    c.exchange();
    c.rb(0);
    plat::sleep_ms(64);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdtimer(uint16_t h, int16_t type, rdtimer_t* t) {
  return call(h, __func__, args(type, t), [&](Call& c) {
    Reader d = c.exchange(cnc(288).arg1(type));
    t->minute = d.i32(0);
    t->msec = d.i32(4);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wrtimer(uint16_t h, int16_t type, const rdtimer_t* t) {
  return call(h, __func__, args(type, t), [&](Call& c) {
    c.add(cnc(289).arg1(type)).i32(t->minute).i32(t->msec);
    c.exchange();
    c.rb(0);
  });
}

// ---- texts -----------------------------------------------------------------------------

namespace {
constexpr size_t kOptMsg = 400;
}

OZ_EXPORT int16_t OZ_CALL cnc_dispoptmsg(uint16_t h, const char* text) {
  return call(h, __func__, args(oz::text(text)), [&](Call& c) {
    RbData d = c.add(cnc(364));
    if (text == nullptr) {
      for (size_t i = 0; i < kOptMsg; ++i) d.u8(' ');
    } else {
      d.bytes(text, strnlen(text, kOptMsg));
    }
    c.exchange();
    c.rb(0);
  });
}

// A lead byte (below 32 as a signed byte) and the byte after it make one
// character. A lead byte right before the terminator stands alone, so the
// walk never passes the end of the text.
static size_t converted_length(const char* s) {
  size_t i = 0;
  while (s[i] != 0) i += (int8_t(s[i]) < 32 && s[i + 1] != 0) ? 2 : 1;
  return i + 1;
}

OZ_EXPORT int16_t OZ_CALL cnc_ftosjis(uint16_t h, const char* in, char* out) {
  return call(h, __func__, args(oz::text(in), out), [&](Call& c) {
    const size_t n = converted_length(in);
    expect(n <= kPduBodyMax - 2 - kRbRequestHeader, EW_SIZE);
    Reader d = c.exchange(cnc(353).with(in, uint16_t(n)));
    // The converted text is as long as the one sent; a longer reply would
    // overrun a buffer sized for it, and what a shorter one leaves is zero.
    const size_t got = d.copy(out, 0, n);
    std::memset(out + got, 0, n - got);
  });
}

// ---- C-executor memory ---------------------------------------------------------------

namespace {

constexpr int32_t kCbChunk = 1432;

void cb_tests(int32_t offset, int32_t length) {
  expect(offset >= 0, EW_RANGE);
  expect_range(length, 1, 4096, EW_SIZE);
}

}  // namespace

// A reply without data would never finish the read: it ends as EW_SIZE.
OZ_EXPORT int16_t OZ_CALL cnc_rdcbmem(uint16_t h, int32_t offset, int32_t length, void* out) {
  return call(h, __func__, args(offset, length, out), [&](Call& c) {
    cb_tests(offset, length);
    auto* dst = static_cast<uint8_t*>(out);
    for (int32_t done = 0; done < length;) {
      const int32_t chunk = std::min(length - done, kCbChunk);
      c.reset();
      const size_t got = c.exchange(cnc(209).args(offset + done, chunk)).copy(dst + done, 0, size_t(chunk));
      expect(got > 0, EW_SIZE);
      done += int32_t(got);
    }
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wrcbmem(uint16_t h, int32_t offset, int32_t length, const void* in) {
  return call(h, __func__, args(offset, length, in), [&](Call& c) {
    cb_tests(offset, length);
    const auto* src = static_cast<const uint8_t*>(in);
    for (int32_t done = 0; done < length;) {
      const int32_t chunk = std::min(length - done, kCbChunk);
      c.reset();
      c.exchange(cnc(210).arg1(offset + done).with(src + done, uint16_t(chunk)));
      done += chunk;
    }
  });
}

#define STATE_CONTROL_ROWS(X)                          \
  X(cnc_rdcbmem2, Read, 1, (563), offset, size)        \
  X(cnc_wrcbmem2, Write, 1, (564), offset)             \
  X(cnc_rdcbprm, Read, 1, (628, 626), number)          \
  X(cnc_wrcbprm, Write, 1, (628, 627), number)
STATE_CONTROL_ROWS(OZ_LISTED_DEFINE)
OZ_LISTED_TABLE(state_control, STATE_CONTROL_ROWS)
