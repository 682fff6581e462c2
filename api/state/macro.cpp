// Custom macro and p-code macro variables. The controller keeps values in
// decimal or scaled-binary form; the application gets the form it chose.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>

#include "api/state/data_common.h"
#include "base/scaled.h"

using namespace oz;
using namespace oz::data;

static_assert(offsetof(macro_t, mcr_val) == 4 && offsetof(macro_t, dec_val) == 8);
static_assert(offsetof(macror_t, datano_e) == 4 && offsetof(macror_t, data) == 8 &&
              sizeof(macro_entry_t) == 8 && offsetof(macro_entry_t, dec_val) == 4);
static_assert(offsetof(pmacro_t, mcr_val) == 8 && offsetof(pmacro_t, dec_val) == 12);
static_assert(offsetof(pmacror_t, datano_e) == 8 && offsetof(pmacror_t, data) == 12);
static_assert(sizeof(macror3_t) == 40 && offsetof(macror3_t, info) == 8);
static_assert(sizeof(macroinfo_t) == 4 && sizeof(pmacroinfo_t) == 6);
static_assert(offsetof(pmacroinfo2_t, word) == 12 && offsetof(pmacroinfo2_t, word[2]) == 16);

namespace {

constexpr uint16_t kDecimal = 10, kBinary = 2;

enum class Family { Custom, Pcode };

struct Area {
  uint32_t lo, hi, end;
};

template <size_t N>
uint32_t findArea(uint32_t n, const Area (&table)[N]) {
  for (const Area& a : table)
    if (n >= a.lo && n <= a.hi) return a.end;
  return 0;
}

// Where the contiguous area around a number ends; 0 outside every area.
// Numbers compare unsigned, so negative ones fall outside.
uint32_t areaEnd(const Handle& h, Family f, int64_t number) {
  static constexpr Area kPackedBoth[] = {{0, 99, 99}, {100, 199, 199}, {200, 999, 999}};
  static constexpr Area kPackedP[] = {{30000, 39999, 39999}, {40000, 99099, 99099},
                                      {99100, 99199, 99199}, {99200, 99999, 99999}};
  static constexpr Area kOtherBoth[] = {{0, 99, 99}, {100, 499, 499}, {500, 999, 999}};
  static constexpr Area kOtherP[] = {{10000, 19999, 19999}, {20000, 99999, 99999},
                                     {100000, 199999, 199999}, {200000, 986431, 986431},
                                     {986432, 4999999, 4999999}};
  const uint32_t n = uint32_t(number);
  const bool packed = dialect(h) == Dialect::Packed;
  if (uint32_t e = packed ? findArea(n, kPackedBoth) : findArea(n, kOtherBoth)) return e;
  if (f == Family::Pcode) return packed ? findArea(n, kPackedP) : findArea(n, kOtherP);
  return !packed && path_is_w(h) && n >= 13000 && n <= 13999 ? 13999 : 0;
}

// The two range records differ only in where their numbers sit.
struct Layout {
  Family f;
  int hdr;   // offset of the first entry
  uint32_t binaryFlag;
  uint16_t read, write;
  const char* readMsg;
  const char* writeMsg;
  const char* localMsg;

  int64_t start(const void* r) const { return f == Family::Custom ? get<int16_t>(r, 0) : get<int32_t>(r, 0); }
  int64_t end(const void* r) const { return f == Family::Custom ? get<int16_t>(r, 4) : get<int32_t>(r, 8); }
  void setRange(void* r, int64_t s, int64_t e) const {
    if (f == Family::Custom) { store(r, 0, int16_t(s)); store(r, 4, int16_t(e)); }
    else { store(r, 0, int32_t(s)); store(r, 8, int32_t(e)); }
  }
  // Bytes a record of n entries needs: the last entry's padding may be
  // missing, but the header's two numbers are written even with no entry.
  int need(int n) const { return std::max(hdr + 8 * n - 2, headerBytes()); }
  int headerBytes() const { return f == Family::Custom ? 6 : 12; }
  template <class T>
  static T get(const void* r, size_t off) {
    T v;
    std::memcpy(&v, static_cast<const uint8_t*>(r) + off, sizeof v);
    return v;
  }
};

constexpr Layout kCustom{Family::Custom, 8, kMacBinary, 21, 22,
                         "Error: cannot read from range of macro system variables",
                         "Error: cannot read from range of macro system variables",
                         "Error: cannot write to macro local variables"};
constexpr Layout kPcode{Family::Pcode, 12, kPmacBinary, 45, 46,
                        "Error: cannot read from range of p-macro system variables",
                        "Error: cannot write to range of p-macro system variables",
                        "Error: cannot write to p-macro local variables"};

[[noreturn]] void refuse(const char* msg) {
  OZ_LOG(1) << msg;
  raise_error(EW_RANGE);
}

// Clips end to the area of start; a range through system variables is refused
// where the controller cannot serve one.
int64_t clipToArea(const Handle& h, const Layout& L, int64_t start, int64_t end, const char* msg) {
  const uint32_t area = areaEnd(h, L.f, start);
  if (area == 0 && dialect(h) == Dialect::Compact && start != end) refuse(msg);
  return area != 0 ? std::min<int64_t>(end, area) : end;
}

// Whether a p-code range travels as 16-bit integers.
bool pcodeShort(uint16_t hn, const Handle& h, int64_t start) {
  const Dialect d = dialect(h);
  if (d == Dialect::Compact) return start >= 100000 && start <= 986431;
  if (d != Dialect::Current) return false;
  int word;
  if (start >= 20000 && start <= 85535) word = 1;
  else if ((start >= 200000 && start <= 986431) || (start >= 2000000 && start <= 4999999)) word = 2;
  else return false;
  pmacroinfo2_t info{};
  return cnc_rdpmacroinfo2(hn, &info) == EW_SUCCESS && info.word[word] > 1;
}

// Returns the number of variables read.
int readRange(Call& c, const Layout& L, int64_t start, int64_t end, int length, void* out) {
  end = clipToArea(c.h, L, start, end, L.readMsg);
  expect(end >= start, EW_RANGE);
  const bool wantBin = c.h.has(L.binaryFlag);
  bool small = L.f == Family::Pcode && pcodeShort(c.h.number, c.h, start);
  int total = 0;
  for (int64_t first = start; first <= end;) {
    const int es = small ? 2 : 8;
    const int n = int(std::min<int64_t>(end - first + 1, 1432 / es));
    Reply rep = exchangeTolerant(c, cnc(small ? 300 : L.read).args(first, first + n - 1));
    if (small && rep.result == EW_UNAVAILABLE) {   // the area is not 16-bit after all
      small = false;
      continue;
    }
    if (rep.result == EW_RANGE && total > 0) break;
    if (rep.result != 0) c.rb(0);
    const int got = std::min(n, rep.data.size() / es);
    expect(length >= L.need(total + got), EW_SIZE);
    for (int i = 0; i < got; ++i) {
      Reader el = rep.data.sub(i * es, es);
      int32_t v = small ? el.i16(0) : el.i32(0);
      const uint16_t mark = small ? kDecimal : el.u16(4);
      int32_t dec = small ? 0 : el.i16(6);
      scaled::Num x{v, dec};
      if (mark == kDecimal && wantBin) x = scaled::decToBin(v, dec);
      else if (mark != kDecimal && !wantBin && (L.f == Family::Custom || dec != 0))
        x = scaled::binToDec(v, dec);
      const size_t at = size_t(L.hdr + 8 * (total + i));
      store(out, at, x.m);
      store(out, at + 4, int16_t(x.s));
    }
    total += got;
    if (got < n) break;
    first += n;
  }
  L.setRange(out, start, start + total - 1);
  return total;
}

// The range read's frame. `single`: one variable asked for by the one-value
// forms, for which a reply without it is no answer (EW_SIZE), not a 0.
template <class A>
int16_t readRangeCall(uint16_t h, const char* fn, const A& a, const Layout& L, int64_t start,
                      int64_t end, int length, void* out, bool single = false) {
  return call(h, fn, a, [&](Call& c) {
    const int got = readRange(c, L, start, end, length, out);
    expect(!single || got == 1, EW_SIZE);
  });
}

// One value in the form the controller takes for this range.
void putValue(RbData& d, const Handle& h, const Layout& L, int64_t start, int32_t v, int32_t dec) {
  const bool haveBin = h.has(L.binaryFlag), compact = dialect(h) == Dialect::Compact;
  bool decimal = !compact;
  if (compact && L.f == Family::Custom)
    decimal = start > 999 && !(path_is_w(h) && start >= 13000 && start <= 13999);
  scaled::Num x{v, dec};
  if (decimal) {
    if (haveBin) {
      x = scaled::binToDec(v, dec);
      // The older controllers take fewer digits than a conversion yields.
      if (compact && x.m != 0 && x.s != 0)
        while (x.m % 10 == 0) { x.m /= 10; --x.s; }
    }
  } else if (!haveBin) {
    x = scaled::decToBin(v, dec);
  }
  d.i32(x.m).u16(decimal ? kDecimal : kBinary).i16(int16_t(x.s));
}

void writeRange(Call& c, const Layout& L, int length, const void* in) {
  expect(length >= L.hdr, EW_SIZE);
  const int64_t start = L.start(in);
  const int64_t end = clipToArea(c.h, L, start, L.end(in), L.writeMsg);
  if (start < 100 && (L.f == Family::Pcode || !path_is_w(c.h))) refuse(L.localMsg);
  expect(end >= start, EW_RANGE);
  bool small = L.f == Family::Pcode && pcodeShort(c.h.number, c.h, start);
  int done = 0;
  for (int64_t first = start; first <= end;) {
    const int es = small ? 2 : 8;
    const int n = int(std::min<int64_t>(end - first + 1, 1420 / es));
    expect(length >= L.need(n + done), EW_SIZE);
    c.reset();
    RbData d = c.add(cnc(small ? 301 : L.write).args(first, first + n - 1));
    for (int i = 0; i < n; ++i) {
      const size_t at = size_t(L.hdr + 8 * (done + i));
      const int32_t v = Layout::get<int32_t>(in, at);
      const int16_t dec = Layout::get<int16_t>(in, at + 4);
      expect_range(dec, -128, 127, EW_VALUE);
      if (small) d.i16(int16_t(v));
      else putValue(d, c.h, L, start, v, dec);
    }
    c.exchange();
    const int16_t res = c.result(0);
    if (small && res == EW_UNAVAILABLE) {
      small = false;
      continue;
    }
    if (res == EW_RANGE && done > 0) break;
    c.rb(0);
    done += n;
    first += n;
  }
}

// ---- double-precision ranges --------------------------------------------------

uint64_t bitsOf(double v) {
  uint64_t b;
  std::memcpy(&b, &v, 8);
  return b;
}
double doubleOf(const Reader& r, int off) {
  const uint64_t b = (uint64_t(r.u32(off)) << 32) | r.u32(off + 4);
  double v;
  std::memcpy(&v, &b, 8);
  return v;
}

int limitToArea(const Handle& h, Family f, int32_t start, int32_t count) {
  const uint32_t area = areaEnd(h, f, start);
  return area != 0 ? int(std::min<int64_t>(count, int64_t(area) - start + 1)) : count;
}

void checkDoubles(const int32_t* count, int16_t kind) {
  expect(*count > 0, EW_SIZE);
  expect_range(kind, 0, 2, EW_KIND);
}

void readDoubles(Call& c, uint16_t cmd, Family f, int32_t start, int32_t* count, int16_t kind,
                 double* out) {
  checkDoubles(count, kind);
  const int want = limitToArea(c.h, f, start, *count);
  int total = 0;
  while (total < want) {
    const int n = std::min(want - total, 179);
    Reply rep = exchangeTolerant(c, cnc(cmd).args(int64_t(start) + total, n, kind));
    if (rep.result == EW_RANGE && total > 0) break;
    if (rep.result != 0) c.rb(0);
    const int got = std::min(n, rep.data.size() / 8);
    for (int i = 0; i < got; ++i) out[total + i] = doubleOf(rep.data, 8 * i);
    total += got;
    if (got < n) break;
  }
  *count = total;
}

void writeDoubles(Call& c, uint16_t cmd, Family f, int32_t start, int32_t* count, int16_t kind,
                  const double* in) {
  checkDoubles(count, kind);
  const int want = limitToArea(c.h, f, start, *count);
  int total = 0;
  while (total < want) {
    const int n = std::min(want - total, 177);
    c.reset();
    RbData d = c.add(cnc(cmd).args(int64_t(start) + total, 0, kind));
    for (int i = 0; i < n; ++i) {
      const uint64_t b = bitsOf(in[total + i]);
      d.u32(uint32_t(b >> 32)).u32(uint32_t(b));
    }
    c.exchange();
    const int done = std::clamp(c.rb(0).i32(0), 0, n);
    total += done;
    if (done < n) break;
  }
  *count = total;
}

void readMacror3(Call& c, int32_t start, int32_t* count, macror3_t* out) {
  expect(*count > 0, EW_SIZE);
  const int want = *count;
  int total = 0;
  while (total < want) {
    const int n = std::min(want - total, 35);
    Reply rep = exchangeTolerant(c, cnc(629).args(int64_t(start) + total, n));
    if (rep.result == EW_RANGE && total > 0) break;
    if (rep.result != 0) c.rb(0);
    const int len = rep.data.size();
    const int got = len >= 8 * n ? std::min(n, (len - 8 * n) / 32) : 0;
    for (int i = 0; i < got; ++i) {
      out[total + i].value = doubleOf(rep.data, 8 * i);
      rep.data.copy(out[total + i].info, 8 * n + 32 * i, 32);
    }
    total += got;
    if (got < n) break;
  }
  *count = total;
}

}  // namespace

// ---- exports -----------------------------------------------------------------------

OZ_EXPORT int16_t OZ_CALL cnc_rdmacror(uint16_t h, int16_t start, int16_t end, int16_t length,
                                       macror_t* out) {
  return readRangeCall(h, __func__, args(start, end, length, out), kCustom, start, end, length, out);
}

OZ_EXPORT int16_t OZ_CALL cnc_wrmacror(uint16_t h, int16_t length, const macror_t* in) {
  return call(h, __func__, args(length, in), [&](Call& c) { writeRange(c, kCustom, length, in); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdpmacror(uint16_t h, int32_t start, int32_t end, uint16_t length,
                                        pmacror_t* out) {
  return readRangeCall(h, __func__, args(start, end, length, out), kPcode, start, end, length, out);
}

OZ_EXPORT int16_t OZ_CALL cnc_wrpmacror(uint16_t h, uint16_t length, const pmacror_t* in) {
  return call(h, __func__, args(length, in), [&](Call& c) { writeRange(c, kPcode, length, in); });
}

// Single variables go through the range calls with a record of a few entries.
// A length below 10 is refused at once, before the handle is looked at and
// without a line or a record: callers of these forms have always had it so.
namespace {
template <class R, class O, class A>
int16_t readOne(uint16_t h, const char* fn, const A& a, const Layout& L, int32_t number, R& r,
                int length, O* out) {
  const int16_t rc = readRangeCall(h, fn, a, L, number, number, length, &r, true);
  if (rc != EW_SUCCESS) return rc;
  out->datano = r.datano_s;
  out->mcr_val = r.data[0].mcr_val;
  out->dec_val = r.data[0].dec_val;
  return rc;
}
}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdmacro(uint16_t h, int16_t number, int16_t length, macro_t* out) {
  if (length < 10) return EW_SIZE;
  macror_t r{};
  return readOne(h, "cnc_rdmacror", args(number, number, int16_t(48), &r), kCustom, number, r, 48, out);
}

OZ_EXPORT int16_t OZ_CALL cnc_wrmacro(uint16_t h, int16_t number, int16_t length, int32_t value,
                                      int16_t dec) {
  if (length < 10) return EW_SIZE;
  macror_t r{};
  r.datano_s = r.datano_e = number;
  r.data[0] = {value, dec, 0};
  return cnc_wrmacror(h, 48, &r);
}

OZ_EXPORT int16_t OZ_CALL cnc_rdpmacro(uint16_t h, int32_t number, pmacro_t* out) {
  pmacror_t r{};
  return readOne(h, "cnc_rdpmacror", args(number, number, uint16_t(52), &r), kPcode, number, r, 52, out);
}

OZ_EXPORT int16_t OZ_CALL cnc_wrpmacro(uint16_t h, int32_t number, int32_t value, int16_t dec) {
  pmacror_t r{};
  r.datano_s = r.datano_e = number;
  r.data[0] = {value, dec, 0};
  return cnc_wrpmacror(h, 52, &r);
}

OZ_EXPORT int16_t OZ_CALL cnc_rdmacror2(uint16_t h, int32_t start, int32_t* n, double* out) {
  return call(h, "inter_rdmacror2", args(start, count(n), out),
              [&](Call& c) { readDoubles(c, 167, Family::Custom, start, n, 0, out); });
}
OZ_EXPORT int16_t OZ_CALL cnc_wrmacror2(uint16_t h, int32_t start, int32_t* n, const double* in) {
  return call(h, "inter_wrmacror2", args(start, count(n), in),
              [&](Call& c) { writeDoubles(c, 168, Family::Custom, start, n, 0, in); });
}
OZ_EXPORT int16_t OZ_CALL cnc_rdpmacror2(uint16_t h, int32_t start, int32_t* n, int16_t kind,
                                         double* out) {
  return call(h, "inter_rdmacror2", args(start, count(n), kind, out),
              [&](Call& c) { readDoubles(c, 169, Family::Pcode, start, n, kind, out); });
}
OZ_EXPORT int16_t OZ_CALL cnc_wrpmacror2(uint16_t h, int32_t start, int32_t* n, int16_t kind,
                                         const double* in) {
  return call(h, "inter_wrmacror2", args(start, count(n), kind, in),
              [&](Call& c) { writeDoubles(c, 170, Family::Pcode, start, n, kind, in); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdmacror3(uint16_t h, int32_t start, int32_t* n, macror3_t* out) {
  return call(h, __func__, args(start, count(n), out),
              [&](Call& c) { readMacror3(c, start, n, out); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdmacroinfo(uint16_t h, macroinfo_t* out) {
  return call(h, __func__, args(out), [&](Call& c) {
    Reader r = c.exchange(cnc(23));
    out->word[0] = int16_t(r.i32(0));
    int16_t w = int16_t(r.i32(4));
    // Older controllers and W machines count their local-variable levels differently.
    if (c.h.config.word(2) == 1 && w == 3) w = 2;
    else if (path_is_w(c.h) && w >= 5) w = int16_t(w - 4);
    out->word[1] = w;
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdpmacroinfo(uint16_t h, pmacroinfo_t* out) {
  return call(h, __func__, args(out), [&](Call& c) {
    Reader r = c.exchange(cnc(47));
    out->word[0] = uint16_t(r.u32(12));
    out->word[2] = r.u16(22);
    const uint32_t w = r.u32(16);
    out->word[1] = uint16_t(out->word[2] >= 2 ? w >> 16 : w);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdpmacroinfo2(uint16_t h, pmacroinfo2_t* out) {
  return call(h, __func__, args(out), [&](Call& c) {
    Reader r = c.exchange(cnc(231));
    for (int i = 0; i < 3; ++i) out->dword[i] = r.u32(12 + 4 * i);
    for (int i = 0; i < 3; ++i) out->word[i] = r.u16(24 + 2 * i);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdmacronum(uint16_t h, const char* name, int32_t selector,
                                         int32_t* number, int16_t* attr) {
  return call(h, __func__, args(text(name), selector, number, attr), [&](Call& c) {
    if (name == nullptr || std::strlen(name) >= 64) raise_error(EW_VALUE, 1);
    char buf[64] = {};
    std::memcpy(buf, name, std::strlen(name));
    Reader r = c.exchange(cnc(671).arg1(selector).with(buf, sizeof buf));
    *number = r.i32(0);
    *attr = r.i16(4);
  });
}
