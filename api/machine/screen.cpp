// The screen display program on the PC, found through the window it
// publishes under the controller's address and steered by window messages;
// and the machine-data file, print-status and library-option requests, which
// are ordinary requests.
#include <cstddef>

#include "base/pc_programs.h"
#include "core/frame.h"
#include "core/listed.h"
#include "platform/platform.h"

using namespace oz;

static_assert(sizeof(mcdfinfo_t) == 32 && offsetof(mcdfinfo_t, attr) == 4 &&
              offsetof(mcdfinfo_t, word) == 8 && offsetof(mcdfinfo_t, flag) == 10 &&
              offsetof(mcdfinfo_t, name) == 12);

// ---- the screen display program ---------------------------------------------------

namespace {

struct Display {
  uint64_t window;
  uint32_t waited_ms;
};

// The display program may still be starting: its mapping is looked for again
// every 32 ms until the limit.
Display find_display(const Handle& h, int64_t limit_ms) {
  const auto name = display::window_map(reinterpret_cast<const uint8_t*>(&h.circuit->address));
  const uint32_t start = plat::tick_ms();
  for (;;) {
    if (plat::Shared* m = plat::shared_open(name.c_str(), false)) {
      uint64_t w = 0;
      const bool whole = plat::shared_read(m, 0, &w, sizeof w) == sizeof w;
      plat::shared_close(m);
      if (whole) return {w, plat::tick_ms() - start};
    }
    if (int64_t(plat::tick_ms() - start) >= limit_ms) raise_error(EW_UNAVAILABLE);
    plat::sleep_ms(display::kFindStepMs);
  }
}

// A message the display must take and answer with 0.
void tell(const Display& d, uint32_t msg, uint64_t wparam, int64_t lparam) {
  uint64_t answer = 1;
  if (!plat::window_send(d.window, msg, wparam, lparam, display::kLimitMs, &answer) || answer != 0)
    raise_error(EW_UNAVAILABLE);
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_sdfstatchg(uint16_t h, int16_t mode, int16_t screen, int32_t show,
                                         int32_t wait) {
  return call(h, __func__, args(mode, screen, show, wait), [&](Call& c) {
    const Display d = find_display(c.h, int64_t(wait) * 1000);
    switch (mode) {
      case 0:
        tell(d, plat::kMsgClose, 0, 0);
        break;
      case 1:
        // A display that has only just appeared is given time to settle.
        if (d.waited_ms > display::kFindStepMs) plat::sleep_ms(500);
        c.exchange(cnc(230).arg1(screen));
        plat::window_show(d.window, show);
        break;
      case 2:
        tell(d, display::kMsgShow, uint64_t(int64_t(show)), 0);
        break;
      default:
        raise_error(EW_KIND);
    }
  });
}

// A negative kind would name a message below the two the display knows: it
// is refused like a kind of 2 or more.
OZ_EXPORT int16_t OZ_CALL cnc_sdfmnghwnd(uint16_t h, int16_t kind, void* window, uint32_t msgno) {
  return call(h, __func__, args(kind, window, msgno), [&](Call& c) {
    const Display d = find_display(c.h, 3000);
    expect_range(kind, 0, 1, EW_KIND);
    expect(msgno <= 0x3FFF, EW_RANGE);
    tell(d, display::kMsgNotify + uint32_t(kind), uint64_t(reinterpret_cast<uintptr_t>(window)),
         int64_t(msgno));
  });
}

// ---- machine-data files, print status, library options --------------------------------

namespace {

constexpr uint16_t kCmdMcdFile = 727;
enum McdOp { kInfo = 0, kCancel = 1, kCheck = 2, kDelete = 3, kComment = 4 };

// A text in a zero-filled request field of N bytes, at most N - 1 characters
// of it. The caller's text is only read: a longer one is cut in the copy.
template <size_t N>
struct TextField {
  uint8_t b[N] = {};
  explicit TextField(const char* s) {
    if (s) std::memcpy(b, s, strnlen(s, N - 1));
  }
};
using NameField = TextField<32>;
using PrpsField = TextField<36>;

Rb mcd(McdOp op, const NameField& name) { return cnc(kCmdMcdFile).arg1(op).with(name.b, sizeof name.b); }

// A caller buffer with its byte size in and the count copied out.
void expect_buffer(const int16_t* length, const void* buf) {
  expect(length != nullptr && *length >= 0 && (*length == 0 || buf != nullptr), EW_SIZE);
}
void copy_out(const Reader& d, int16_t* length, void* buf) {
  *length = int16_t(d.copy(buf, 0, size_t(*length)));
}

constexpr int32_t kMaxData = kPduBodyMax - 2 - kRbRequestHeader;

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdmcdfinfo(uint16_t h, int32_t number, mcdfinfo_t* info) {
  return call(h, __func__, args(number, info), [&](Call& c) {
    const Reader d = c.exchange(cnc(kCmdMcdFile).args(kInfo, number)).sub(0, sizeof(mcdfinfo_t));
    mcdfinfo_t out{};
    out.number = d.i32(0);
    d.copy(out.attr, 4, sizeof out.attr);
    out.word = d.i16(8);
    d.copy(out.flag, 10, sizeof out.flag);
    d.copy(out.name, 12, sizeof out.name);
    *info = out;
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_canmcdfinfo(uint16_t h) {
  return call(h, __func__, args(), [&](Call& c) { c.exchange(cnc(kCmdMcdFile).arg1(kCancel)); });
}

OZ_EXPORT int16_t OZ_CALL cnc_chkmcdfile(uint16_t h, const char* name, uint8_t* result) {
  return call(h, __func__, args(text(name), result), [&](Call& c) {
    *result = c.exchange(mcd(kCheck, NameField(name))).u8(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_delmcdfile(uint16_t h, const char* name) {
  return call(h, __func__, args(text(name)), [&](Call& c) { c.exchange(mcd(kDelete, NameField(name))); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdmcdprgcmnt(uint16_t h, const char* name, int16_t* length, void* comment) {
  return call(h, __func__, args(text(name), count(length), comment), [&](Call& c) {
    expect_buffer(length, comment);
    copy_out(c.exchange(mcd(kComment, NameField(name))), length, comment);
  });
}

// The controller offers no deletion by number.
OZ_EXPORT int16_t OZ_CALL cnc_delmcdfilebynum(uint16_t, int32_t) { return EW_UNAVAILABLE; }

OZ_EXPORT int16_t OZ_CALL cnc_set_prps(uint16_t h, int16_t kind, const char* text, int32_t value) {
  return call(h, __func__, args(kind, oz::text(text), value), [&](Call& c) {
    const PrpsField f(text);
    c.exchange(cnc(721).args(kind, value).with(f.b, sizeof f.b));
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_reset_prps(uint16_t h, int16_t kind, const char* text) {
  return call(h, __func__, args(kind, oz::text(text)), [&](Call& c) {
    const PrpsField f(text);
    c.exchange(cnc(722).arg1(kind).with(f.b, sizeof f.b));
  });
}

// The caller's byte length travels as the request's second argument.
OZ_EXPORT int16_t OZ_CALL cnc_getlibopt(uint16_t h, int32_t kind, int16_t* length, void* buf) {
  return call(h, __func__, args(kind, count(length), buf), [&](Call& c) {
    expect_buffer(length, buf);
    copy_out(c.exchange(cnc(730).args(kind, *length)), length, buf);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_setlibopt(uint16_t h, int32_t kind, const void* buf, int32_t length) {
  return call(h, __func__, args(kind, buf, length), [&](Call& c) {
    expect_range(length, 0, kMaxData, EW_SIZE);
    expect(length == 0 || buf != nullptr, EW_SIZE);
    c.exchange(cnc(731).arg1(kind).with(buf, uint16_t(length)));
  });
}

#define MACHINE_SCREEN_ROWS(X) X(cnc_status_prps, Read, 1, (723), kind)
MACHINE_SCREEN_ROWS(OZ_LISTED_DEFINE)
OZ_LISTED_TABLE(machine_screen, MACHINE_SCREEN_ROWS)
