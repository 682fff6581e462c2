// What the controller is: system information from the connection, system
// software and hardware lists, model and identification.
#include "api/state/state.h"

using namespace oz;
using namespace oz::state;

static_assert(sizeof(sysinfo_t) == 18 && offsetof(sysinfo_t, cnc_type) == 4 &&
              offsetof(sysinfo_t, mt_type) == 6 && offsetof(sysinfo_t, series) == 8 &&
              offsetof(sysinfo_t, version) == 12 && offsetof(sysinfo_t, axes) == 16);
static_assert(sizeof(sysinfo_ex_path_t) == 16 && offsetof(sysinfo_ex_t, cnc_paths) == 14 &&
              offsetof(sysinfo_ex_t, w24) == 16 && offsetof(sysinfo_ex_t, w34) == 18 &&
              offsetof(sysinfo_ex_t, path) == 24);
static_assert(sizeof(syssoft_t) == 548 && offsetof(syssoft_t, slot_word1) == 32 &&
              offsetof(syssoft_t, slot_word2) == 64 && offsetof(syssoft_t, slot_series) == 96 &&
              offsetof(syssoft_t, slot_version) == 176 && offsetof(syssoft_t, option) == 256 &&
              offsetof(syssoft_t, text) == 258 && offsetof(syssoft_t, pair) == 298 &&
              offsetof(syssoft_t, last) == 538);
static_assert(sizeof(syssoft2_t) == 748 && offsetof(syssoft2_t, more) == 548);
static_assert(sizeof(syssoft3_t) == 12 && sizeof(syssoft3_str_t) == 28 && sizeof(syshard_t) == 20);
static_assert(sizeof(syshard_str_t) == 56 && offsetof(syshard_str_t, slot) == 16 &&
              offsetof(syshard_str_t, id) == 18 && offsetof(syshard_str_t, series) == 31 &&
              offsetof(syshard_str_t, version) == 42 && offsetof(syshard_str_t, extra1) == 51 &&
              offsetof(syshard_str_t, extra2) == 54);

// ---- from the connection -------------------------------------------------------------

// The handle's copy stays as the controller sent it; only the caller sees
// the W machine type with its leading blank.
OZ_EXPORT int16_t OZ_CALL cnc_sysinfo(uint16_t h, sysinfo_t* out) {
  return local(h, __func__, [&](Handle& hd) {
    std::memcpy(out, hd.pathSysInfo().bytes, sizeof *out);
    if (out->mt_type[0] == '_' && out->mt_type[1] == 'W') out->mt_type[0] = ' ';
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_sysinfo_ex(uint16_t h, sysinfo_ex_t* out) {
  return local(h, __func__, [&](Handle& hd) {
    const ControllerConfig& k = hd.config;
    static constexpr int kWords[10] = {6, 8, 10, 12, 16, 18, 20, 22, 24, 34};
    uint16_t* w = &out->max_axes;
    for (int i = 0; i < 10; ++i) w[i] = k.word(kWords[i]);
    const int paths = std::min(std::max<int>(10, k.word(10)), kMaxPaths);
    static constexpr int kEntryWords[7] = {0, 1, 2, 3, 4, 5, 9};
    for (int p = 0; p < paths; ++p) {
      uint16_t* e = &out->path[p].sys_code;
      for (int i = 0; i < 7; ++i) e[i] = k.pathWord(p + 1, 2 * kEntryWords[i]);
    }
  });
}

// ---- system software ---------------------------------------------------------------------

namespace {

// A 4-character text with its terminator; 255 marks an unused character.
void text4(char* dst, const Reader& d, int off) {
  for (int i = 0; i < 4; ++i) {
    const uint8_t b = d.u8(off + i);
    dst[i] = b == 255 ? 0 : char(b);
  }
  dst[4] = 0;
}

void syssoft(const Reader& d, syssoft_t* s) {
  std::memset(s->slot_index, 255, sizeof s->slot_index);
  std::memset(s->slot_word1, 0xFF, sizeof s->slot_word1 + sizeof s->slot_word2);
  std::memset(s->slot_series, 0, sizeof s->slot_series + sizeof s->slot_version);
  d.sub(0, 16).copy(s->slot, 0, 16);
  for (int i = 0; i < 16 && s->slot[i] != 255; ++i) {
    const uint8_t slot = s->slot[i];
    for (int j = 0; j < 16; ++j)
      if (d.u8(144 + 2 * j) == slot) {
        s->slot_index[i] = uint8_t(j);
        break;
      }
    const int low = 2 * (slot & 15);
    s->slot_word1[i] = d.u16((slot < 128 ? 16 : 48) + low);
    s->slot_word2[i] = d.u16((slot < 128 ? 80 : 112) + low);
  }
  for (int i = 0; i < 16 && s->slot_index[i] != 255; ++i) {
    const int j = s->slot_index[i];
    text4(s->slot_series[i], d, 208 + 8 * j);
    text4(s->slot_version[i], d, 212 + 8 * j);
  }
  s->option = d.u8(465);
  for (int i = 0; i < 8; ++i) text4(s->text[i], d, 336 + 4 * i);
  for (int k = 0; k < 24; ++k) {
    text4(s->pair[k][0], d, 472 + 8 * k);
    text4(s->pair[k][1], d, 476 + 8 * k);
  }
  text4(s->last[0], d, 368);
  text4(s->last[1], d, 372);
}

// Both forms log under one name, with the structure's size after its address.
struct SizedStruct {
  const void* p;
  size_t len;
};
[[maybe_unused]] void put_arg(std::ostream& os, SizedStruct s) { os << s.p << ":len=" << s.len; }

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdsyssoft(uint16_t h, syssoft_t* out) {
  return call(h, "inter_rdsyssoft", args(SizedStruct{out, sizeof *out}),
              [&](Call& c) { syssoft(c.exchange(cnc(65)), out); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdsyssoft2(uint16_t h, syssoft2_t* out) {
  return call(h, "inter_rdsyssoft", args(SizedStruct{out, sizeof *out}), [&](Call& c) {
    Reader d = c.exchange(cnc(65));
    syssoft(d, &out->s);
    for (int m = 0; m < 20; ++m) {
      text4(out->more[m][0], d, 472 + 8 * (24 + m));
      text4(out->more[m][1], d, 476 + 8 * (24 + m));
    }
  });
}

// ---- counted lists -------------------------------------------------------------------------

namespace {

// An item's fields in order: a positive width is a character field copied
// unchanged, -2 and -4 are big-endian numbers.
struct ItemForm {
  int size;
  int8_t fields[9];
};
constexpr ItemForm kSoft3{12, {-2, 5, 5}};
constexpr ItemForm kSoft3Str{28, {-2, 13, 5, 5, 3}};
constexpr ItemForm kHard{20, {-4, -4, -2, -2, -2, -2, -2, -2}};
constexpr ItemForm kHardStr{56, {-2, 14, -2, 13, 11, 9, 3, 2}};

void put_item(uint8_t* dst, const Reader& d, int at, const ItemForm& f) {
  int off = 0;
  for (int8_t w : f.fields) {
    if (w == 0) break;
    if (w == -2) store(dst, size_t(off), d.u16(at + off));
    else if (w == -4) store(dst, size_t(off), d.u32(at + off));
    else d.sub(at + off, w).copy(dst + off, 0, size_t(w));
    off += w < 0 ? -w : w;
  }
}

// The count comes back in the reply's first word (a 32-bit one for the
// hardware list), never more than the caller asked for.
void counted(Call& c, uint16_t cmd, const ItemForm& f, bool long_count, int16_t kind,
             int16_t* count, int16_t* total, void* out) {
  Reader d = c.exchange(cnc(cmd).args(kind, *count));
  const int got = long_count ? d.i32(0) : d.i16(0);
  const int n = std::clamp<int>(got, 0, std::max<int>(*count, 0));
  if (!long_count) *total = d.i16(2);
  for (int i = 0; i < n; ++i)
    put_item(static_cast<uint8_t*>(out) + size_t(f.size) * size_t(i), d, 4 + f.size * i, f);
  *count = int16_t(n);
}

template <class T>
int16_t counted_call(uint16_t h, const char* fn, uint16_t cmd, const ItemForm& f, bool long_count,
                     int16_t kind, int16_t* count, int16_t* total, T* out) {
  return call(h, fn, args(kind, oz::count(count), total, out),
              [&](Call& c) { counted(c, cmd, f, long_count, kind, count, total, out); });
}

}  // namespace

#define OZ_COUNTED(name, T, cmd, form, long_count)                                          \
  OZ_EXPORT int16_t OZ_CALL name(uint16_t h, int16_t kind, int16_t* count, int16_t* total, T* out) { \
    return counted_call(h, #name, cmd, form, long_count, kind, count, total, out);           \
  }
OZ_COUNTED(cnc_rdsyssoft3, syssoft3_t, 440, kSoft3, false)
OZ_COUNTED(cnc_rdsyssoft3_str, syssoft3_str_t, 558, kSoft3Str, false)
OZ_COUNTED(cnc_rdsyshard, syshard_t, 441, kHard, true)
OZ_COUNTED(cnc_rdsyshard_str, syshard_str_t, 559, kHardStr, false)
#undef OZ_COUNTED

// ---- fixed replies ----------------------------------------------------------------------

namespace {

// Reads whose reply is copied, or whose first word is returned, unchanged.
int16_t bytes_call(uint16_t h, const char* fn, uint16_t cmd, void* out, int n) {
  return call(h, fn, args(out), [&](Call& c) { c.exchange(cnc(cmd)).sub(0, n).copy(out, 0, size_t(n)); });
}
template <class T>
int16_t word_call(uint16_t h, const char* fn, uint16_t cmd, T* out) {
  return call(h, fn, args(out), [&](Call& c) {
    Reader d = c.exchange(cnc(cmd));
    if constexpr (sizeof(T) == 2) *out = T(d.u16(0));
    else *out = T(d.u32(0));
  });
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdmdlconfig2(uint16_t h, uint8_t out[128]) { return bytes_call(h, __func__, 66, out, 128); }
OZ_EXPORT int16_t OZ_CALL cnc_getmacaddress(uint16_t h, char out[13]) { return bytes_call(h, __func__, 438, out, 13); }
OZ_EXPORT int16_t OZ_CALL cnc_getcncmodel(uint16_t h, int32_t* model) { return word_call(h, __func__, 367, model); }
OZ_EXPORT int16_t OZ_CALL cnc_getlanguage(uint16_t h, int16_t* lang) { return word_call(h, __func__, 221, lang); }
OZ_EXPORT int16_t OZ_CALL cnc_chkversion(uint16_t h, int32_t* version) { return word_call(h, __func__, 247, version); }
OZ_EXPORT int16_t OZ_CALL cnc_rdcoordnum(uint16_t h, int32_t* num) { return word_call(h, __func__, 347, num); }
OZ_EXPORT int16_t OZ_CALL cnc_optmsgans(uint16_t h, int32_t* answer) { return word_call(h, __func__, 365, answer); }

OZ_EXPORT int16_t OZ_CALL cnc_rdetherinfo(uint16_t h, int16_t* a, int16_t* b) {
  return call(h, __func__, args(a, b), [&](Call& c) {
    Reader d = c.exchange(cnc(345));
    *a = d.i16(0);
    *b = d.i16(2);
  });
}

// Four words: more than the identification ever holds is not copied, and a
// reply holding fewer is no identification (EW_SIZE).
OZ_EXPORT int16_t OZ_CALL cnc_rdcncid(uint16_t h, uint32_t id[4]) {
  return call(h, __func__, args(id), [&](Call& c) {
    const Reader d = c.exchange(cnc(232)).sub(0, 16);
    for (int i = 0; i < 4; ++i) id[i] = d.u32(4 * i);
  });
}
