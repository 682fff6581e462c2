// Modal state: G-code groups and modal items, G codes as text, commanded
// address values.
#include <cstdio>

#include "api/state/state.h"

using namespace oz;
using namespace oz::state;

static_assert(offsetof(modal_t, type) == 2 && offsetof(modal_t, u) == 4 && sizeof(modal_item_t) == 8);
static_assert(sizeof(gcode_t) == 12 && offsetof(gcode_t, code) == 4);
static_assert(sizeof(cmdvalue_t) == 12 && offsetof(cmdvalue_t, num) == 1 &&
              offsetof(cmdvalue_t, flag) == 2 && offsetof(cmdvalue_t, cmd_val) == 4 &&
              offsetof(cmdvalue_t, dec_val) == 8);

namespace {

// Item index -> the controller's item number.
constexpr int16_t kItemMap[27] = {1, 3, 4, 5, 6, 10, 11, 21, 22, 20, 18, 19, 0, 2,
                                  7, 8, 9, 16, 17, 23, 24, 25, 26, 27, 28, 12, 13};
constexpr int kItemRoom = int(sizeof(modal_t::u) / sizeof(modal_item_t));

enum class Form { GCode, Item };
struct Dispatch {
  Form form;
  int16_t sent;
};

Dispatch dispatch(int16_t t) {
  expect(t >= -5 && t < 400, EW_RANGE);
  switch (t) {
    case -5: return {Form::GCode, -3};
    case -4: return {Form::GCode, -2};
    case -3: return {Form::Item, -2};
    case -2: return {Form::Item, -1};
    case -1: return {Form::GCode, -1};
    default: break;
  }
  if (t < 100) return {Form::GCode, t};
  if (t < 300) return {Form::Item, int16_t(t - 100)};
  return {Form::GCode, int16_t(t - 200)};
}

void item(modal_item_t& e, const Reader& rec) {
  e.data = rec.i32(0);
  e.attr[0] = uint8_t(rec.u16(4));
  e.attr[1] = uint8_t(rec.u16(6));
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_modal(uint16_t h, int16_t type, int16_t block, modal_t* out) {
  return call(h, __func__, args(type, block, out), [&](Call& c) {
    out->datano = type;
    out->type = block;
    Dispatch d = dispatch(type);
    if (d.form == Form::GCode) {
      Reader r = c.exchange(cnc(33).args(d.sent, block));
      const int n = items(r, 2, int(sizeof out->u.g));
      expect(n > 0, EW_SIZE);   // every modal read answers at least one group
      for (int i = 0; i < n; ++i)
        out->u.g[i] = uint8_t(r.u8(2 * i) | ((r.u8(2 * i + 1) & 1) ? 0x80 : 0));
      return;
    }
    const int count = path_is_w(c.h) ? 25 : 27;
    if (d.sent >= 0 && d.sent <= 99) {
      expect(d.sent < count, EW_RANGE);
      d.sent = kItemMap[d.sent];
    }
    Reader r = c.exchange(cnc(34).args(d.sent, block));
    if (d.sent == -1) {
      for (int i = 0; i < count; ++i) item(out->u.item[i], r.sub(8 * kItemMap[i], 8));
      return;
    }
    const int n = items(r, 8, kItemRoom);
    expect(n > 0, EW_SIZE);
    for (int i = 0; i < n; ++i) item(out->u.item[i], r.sub(8 * i, 8));
  });
}

// "G%02d" with a point before the last `dec` digits; cut to what gcode_t holds.
static void gcode_text(char (&dst)[8], int32_t code, int32_t dec) {
  char t[24];
  int len = std::snprintf(t, sizeof t, "G%02d", int(code));
  if (dec > 0 && dec < len) {
    std::memmove(t + len - dec + 1, t + len - dec, size_t(dec) + 1);
    t[len - dec] = '.';
  }
  std::memset(dst, 0, sizeof dst);
  std::memcpy(dst, t, std::min<size_t>(std::strlen(t), sizeof dst - 1));
}

OZ_EXPORT int16_t OZ_CALL cnc_rdgcode(uint16_t h, int16_t type, int16_t block, int16_t* count,
                                      gcode_t* out) {
  return call(h, __func__, args(type, block, oz::count(count), out), [&](Call& c) {
    expect(*count >= 1, EW_SIZE);
    Reader d = c.exchange(cnc(150).args(type, block));
    const int n = items(d, 12, *count);
    for (int i = 0; i < n; ++i) {
      Reader r = d.sub(12 * i, 12);
      out[i].group = r.i16(0);
      out[i].flag = r.i16(2);
      gcode_text(out[i].code, r.i32(4), r.i32(8));
    }
    *count = int16_t(n);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdcommand(uint16_t h, int16_t type, int16_t block, int16_t* count,
                                        cmdvalue_t* out) {
  return call(h, __func__, args(type, block, oz::count(count), out), [&](Call& c) {
    Reader d = c.exchange(cnc(151).args(type, block));
    const int n = d.size() / 12;
    expect(*count >= n, EW_SIZE);
    for (int i = 0; i < n; ++i) {
      Reader r = d.sub(12 * i, 12);
      out[i].adrs = char(r.u8(0));
      out[i].num = r.u8(1);
      out[i].flag = r.i16(2);
      out[i].cmd_val = r.i32(4);
      out[i].dec_val = r.i32(8);
    }
    *count = int16_t(n);
  });
}
