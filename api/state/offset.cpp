// Tool offsets, work zero and fixture offsets, work shift and pitch error
// compensation: numbered tables read and written in chunks that fit one PDU.
#include <cstddef>

#include "api/state/data_common.h"

using namespace oz;
using namespace oz::data;

static_assert(sizeof(tofs_t) == 8 && offsetof(tofs_t, data) == 4);
static_assert(offsetof(tofsr_t, datano_e) == 4 && offsetof(tofsr_t, u) == 8);
static_assert(offsetof(zofs_t, data) == 4 && offsetof(zofsr_t, datano_e) == 4 &&
              offsetof(zofsr_t, data) == 8);
static_assert(sizeof(tofsinfo_t) == 6 && sizeof(ofsrange_t) == 12);
static_assert(offsetof(pitchr_t, datano_e) == 4 && offsetof(pitchr_t, data) == 6);

namespace {

template <class T>
T load(const void* base, size_t off) {
  T v;
  std::memcpy(&v, static_cast<const uint8_t*>(base) + off, sizeof v);
  return v;
}

// ---- tool offsets --------------------------------------------------------------

struct ToolShape {
  int n;       // values per offset number
  int width;   // bytes per value in the caller's record
};

bool turningPath(const Handle& h) {
  const uint16_t s = h.config.pathWord(h.path, 0);
  return s == 0x2054 || (s == 0x204D && h.config.pathWord(h.path, 26) == 4 && h.config.word(4) >= 2);
}

ToolShape toolShape(const Handle& h, int t) {
  const bool turn = turningPath(h);
  const uint16_t s = h.config.pathWord(h.path, 0);
  int n = 1;
  switch (t) {
    case -120: case -100: n = turn ? 3 : 1; break;
    case -35: case -34: case -33: case -32: case -15: case -14: case -13: case -12:
      n = turn ? 2 : 1; break;
    case -22: n = turn ? 9 : 1; break;
    case -21: n = turn ? 5 : 1; break;
    case -10:
      n = !turn ? 2 : h.config.pathWord(h.path, 28) != 0 && (s == 0x2054 || s == 0x204D) ? 2 : 1;
      break;
    case -6: n = turn ? 1 : 5; break;
    case -5: n = turn ? 1 : 3; break;
    case -4: n = turn ? 1 : 2; break;
    case -3: n = turn ? 1 : 4; break;
    case -2: n = turn ? 9 : 2; break;
    case -1: n = turn ? 5 : 1; break;
  }
  const bool narrow = turn ? (t == 0 || t == 20) : (t == 9 || t == 20);
  return {n, narrow ? 2 : 4};
}

// The second table keeps fewer values and always 32-bit ones.
ToolShape secondToolShape(int t) { return {t == -2 ? 2 : 1, 4}; }

struct ToolTable {
  uint16_t read, write;
  bool second;
  ToolShape shape(const Handle& h, int t) const { return second ? secondToolShape(t) : toolShape(h, t); }
};
constexpr ToolTable kTool{8, 9, false}, kSecondTool{124, 125, true};

// Returns the number of values stored. A reply short of its chunk ends the
// read: later values would land in the wrong numbers' places, and datano_e
// names the last number whose values all came.
int readTools(Call& c, const ToolTable& T, int16_t start, int16_t type, int16_t end,
              int16_t length, void* out) {
  const ToolShape s = T.shape(c.h, type);
  expect(end >= start, EW_RANGE);
  const int count = end - start + 1;
  expect(length >= 8 + count * s.n * s.width, EW_SIZE);
  const int per = std::max(1, 1432 / (8 * s.n));
  int at = 0, last = start - 1;
  for (int first = start; first <= end;) {
    const int chunk = std::min(end - first + 1, per);
    last = first + chunk - 1;
    c.reset();
    Reader r = c.exchange(cnc(T.read).args(first, last, type));
    const int got = std::min(r.size() / 8, chunk * s.n);
    for (int i = 0; i < got; ++i, ++at) {
      const int32_t v = r.i32(8 * i);
      if (s.width == 2) store(out, 8 + 2 * size_t(at), int16_t(v));
      else store(out, 8 + 4 * size_t(at), v);
    }
    if (got < chunk * s.n) {
      if (!T.second) last = first + got / s.n - 1;
      break;
    }
    first += chunk;
  }
  store(out, 0, start);
  store(out, 2, type);
  store(out, 4, int16_t(T.second ? end : last));
  return at;
}

void writeTools(Call& c, const ToolTable& T, int16_t length, const void* in) {
  expect(length >= 8, EW_SIZE);
  const int start = load<int16_t>(in, 0), type = load<int16_t>(in, 2), end = load<int16_t>(in, 4);
  expect(end >= start, EW_RANGE);
  const ToolShape s = T.shape(c.h, type);
  expect(length >= 8 + (end - start + 1) * s.n * s.width, EW_SIZE);
  const int per = std::max(1, 1420 / (8 * s.n));
  int at = 0;
  for (int first = start; first <= end;) {
    const int chunk = std::min(end - first + 1, per);
    c.reset();
    RbData d = c.add(cnc(T.write).args(first, first + chunk - 1, type));
    for (int i = 0; i < chunk * s.n; ++i, ++at)
      putIntElement(d, s.width == 2 ? load<int16_t>(in, 8 + 2 * size_t(at))
                                    : load<int32_t>(in, 8 + 4 * size_t(at)));
    c.exchange();
    c.rb(0);
    first += chunk;
  }
}

// ---- work zero and fixture offsets -------------------------------------------------

// m slots per number on the wire, of which the first k are the caller's.
struct AxisSlots {
  int m, k;
};
AxisSlots axisSlots(const Handle& h, int axis) {
  const int m = axis < 0 ? std::max<int>(1, h.maxAxes()) : 1;
  return {m, std::min<int>(m, h.axesDelivered())};
}

// Returns the number of offset numbers read.
int readWork(Call& c, uint16_t cmd, int16_t start, int16_t axis, int16_t end, int length,
             void* out) {
  expect(start <= end, EW_RANGE);
  const AxisSlots a = axisSlots(c.h, axis);
  const int per = std::max(1, 1432 / (8 * a.m));
  int numbers = 0;
  for (int first = start; first <= end;) {
    const int chunk = std::min(end - first + 1, per);
    Reply rep = exchangeTolerant(c, cnc(cmd).args(first, first + chunk - 1, axis));
    if (rep.result == EW_RANGE && numbers > 0) break;
    if (rep.result != 0) c.rb(0);
    const int got = std::min(chunk, (rep.data.size() / 8) / a.m);
    expect(length >= 8 + 4 * (numbers + got) * a.k, EW_SIZE);
    for (int g = 0; g < got; ++g)
      for (int i = 0; i < a.k; ++i)
        store(out, 8 + 4 * size_t((numbers + g) * a.k + i), rep.data.i32(8 * (g * a.m + i)));
    numbers += got;
    if (got < chunk) break;
    first += chunk;
  }
  store(out, 0, start);
  store(out, 2, axis);
  store(out, 4, int16_t(start + numbers - 1));
  return numbers;
}

void writeWork(Call& c, uint16_t cmd, int length, const void* in) {
  expect(length >= 8, EW_SIZE);
  const int start = load<int16_t>(in, 0), axis = load<int16_t>(in, 2), end = load<int16_t>(in, 4);
  expect(end >= start, EW_RANGE);
  const AxisSlots a = axisSlots(c.h, axis);
  expect(length >= 8 + 4 * (end - start + 1) * a.k, EW_SIZE);
  const int per = std::max(1, 1420 / (8 * a.m));
  int at = 0;
  for (int first = start; first <= end;) {
    const int chunk = std::min(end - first + 1, per);
    c.reset();
    RbData d = c.add(cnc(cmd).args(first, first + chunk - 1, axis));
    for (int g = 0; g < chunk; ++g) {
      for (int i = 0; i < a.k; ++i, ++at) putIntElement(d, load<int32_t>(in, 8 + 4 * size_t(at)));
      d.zeros(8 * size_t(a.m - a.k));
    }
    c.exchange();
    c.rb(0);
    first += chunk;
  }
}

// Single work offsets take the path's axes; the range record may hold more.
void checkSingleAxis(const Handle& h, int axis, int length) {
  const int A = h.pathAxes();
  expect(axis <= A, EW_KIND);
  expect(length >= 4 + 4 * (axis < 0 ? A : 1), EW_SIZE);
}

// ---- work shift -----------------------------------------------------------------

void readShift(Call& c, uint16_t cmd, int16_t axis, int16_t length, zofs_t* out) {
  expect(axis <= int(c.h.pathAxes()), EW_KIND);
  Reader r = c.exchange(cnc(cmd).arg1(axis));
  const int v = std::min<int>(r.size() / 8, c.h.pathAxes());
  expect(length >= 4 * v + 4, EW_SIZE);
  expect(v > 0, EW_SIZE);   // a shift without a value is none
  for (int i = 0; i < v; ++i) store(out, 4 + 4 * size_t(i), r.i32(8 * i));
  out->type = axis;
}

void writeShift(Call& c, uint16_t cmd, int16_t length, const zofs_t* in) {
  const int axis = in->type, A = c.h.pathAxes();
  expect(axis <= A, EW_KIND);
  const int given = axis < 0 ? A : 1;
  expect(length >= 4 * given + 4, EW_SIZE);
  const int m = axis < 0 ? c.h.maxAxes() : 1, fill = std::min(m, given);
  c.reset();
  RbData d = c.add(cnc(cmd).arg1(axis));
  for (int i = 0; i < fill; ++i) putIntElement(d, load<int32_t>(in, 4 + 4 * size_t(i)));
  d.zeros(8 * size_t(m - fill));
  c.exchange();
  c.rb(0);
}

void readRange3(Call& c, Rb rb, ofsrange_t* out) {
  Reader r = c.exchange(rb);
  for (int i = 0; i < 3; ++i) out->word[i] = r.i32(8 * i);
}

// ---- pitch error compensation ---------------------------------------------------

void readPitch(Call& c, int16_t start, int16_t end, int16_t length, pitchr_t* out) {
  expect(end >= start, EW_RANGE);
  int points = 0;
  for (int first = start; first <= end;) {
    const int n = std::min(end - first + 1, 716);
    Reply rep = exchangeTolerant(c, cnc(18).args(first, first + n - 1));
    if (rep.result == EW_RANGE && points > 0) break;
    if (rep.result != 0) c.rb(0);
    const int got = std::min(n, rep.data.size() / 2);
    expect(length >= 6 + points + got, EW_SIZE);
    for (int i = 0; i < got; ++i) store(out, 6 + size_t(points + i), int8_t(rep.data.u16(2 * i)));
    points += got;
    if (got < n) break;
    first += n;
  }
  out->datano_s = start;
  out->datano_e = int16_t(start + points - 1);
}

void writePitch(Call& c, int16_t length, const pitchr_t* in) {
  expect(length >= 6, EW_SIZE);
  const int start = in->datano_s, end = in->datano_e;
  expect(end >= start, EW_RANGE);
  expect(length >= 6 + (end - start + 1), EW_SIZE);
  for (int first = start; first <= end;) {
    const int n = std::min(end - first + 1, 710);
    c.reset();
    RbData d = c.add(cnc(19).args(first, first + n - 1));
    for (int i = 0; i < n; ++i) d.i16(load<int8_t>(in, 6 + size_t(first - start + i)));
    c.exchange();
    c.rb(0);
    first += n;
  }
}

}  // namespace

// ---- exports -----------------------------------------------------------------------

// Range read and write pairs: the tables differ only in what selects them.
#define OZ_RANGE_PAIR(RD, WR, REC, READ, WRITE, RSEL, WSEL)                                   \
  OZ_EXPORT int16_t OZ_CALL RD(uint16_t h, int16_t start, int16_t sel, int16_t end,            \
                               int16_t length, REC* out) {                                    \
    return call(h, #RD, args(start, sel, end, length, out),                                   \
                [&](Call& c) { READ(c, RSEL, start, sel, end, length, out); });                \
  }                                                                                           \
  OZ_EXPORT int16_t OZ_CALL WR(uint16_t h, int16_t length, const REC* in) {                    \
    return call(h, #WR, args(length, in), [&](Call& c) { WRITE(c, WSEL, length, in); });      \
  }
OZ_RANGE_PAIR(cnc_rdtofsr, cnc_wrtofsr, tofsr_t, readTools, writeTools, kTool, kTool)
OZ_RANGE_PAIR(cnc_rdbtofsr, cnc_wrbtofsr, tofsr_t, readTools, writeTools, kSecondTool, kSecondTool)
OZ_RANGE_PAIR(cnc_rdzofsr, cnc_wrzofsr, zofsr_t, readWork, writeWork, 11, 12)
OZ_RANGE_PAIR(cnc_rdfixofs, cnc_wrfixofs, zofsr_t, readWork, writeWork, 298, 299)

// Types above 1000 name one value per number, whatever the path. A length
// below 8 is refused at once, before the handle is looked at, as these single
// forms always have.
OZ_EXPORT int16_t OZ_CALL cnc_rdtofs(uint16_t h, int16_t number, int16_t type, int16_t length,
                                     tofs_t* out) {
  if (length < 8) return EW_SIZE;
  return call(h, __func__, args(number, type, length, out), [&](Call& c) {
    uint8_t r[12] = {};
    // One value asked for: a reply without it is no answer, not a 0.
    expect(readTools(c, kTool, number, int16_t(type + 1000), number, sizeof r, r) == 1, EW_SIZE);
    out->datano = number;
    out->type = type;
    out->data = load<int32_t>(r, 8);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wrtofs(uint16_t h, int16_t number, int16_t type, int16_t length,
                                     int32_t value) {
  if (length < 8) return EW_SIZE;
  return call(h, __func__, args(number, type, length, value), [&](Call& c) {
    uint8_t r[12] = {};
    store(r, 0, number);
    store(r, 2, int16_t(type + 1000));
    store(r, 4, number);
    store(r, 8, value);
    writeTools(c, kTool, sizeof r, r);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdtofsinfo2(uint16_t h, tofsinfo_t* out) {
  return call(h, __func__, args(out), [&](Call& c) {
    Reader r = c.exchange(cnc(10));
    out->word[0] = r.i16(4);
    out->word[1] = int16_t(r.i32(0));
    out->word[2] = r.i16(6);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdtofsinfo(uint16_t h, int16_t* words2) {
  tofsinfo_t t{};
  const int16_t rc = cnc_rdtofsinfo2(h, &t);
  if (rc == EW_SUCCESS) std::memcpy(words2, t.word, 4);
  return rc;
}

OZ_EXPORT int16_t OZ_CALL cnc_rdbtofsinfo(uint16_t h, int16_t* words3) {
  return call(h, __func__, args(words3), [&](Call& c) {
    Reader r = c.exchange(cnc(126));
    words3[0] = r.i16(8);
    words3[1] = int16_t(r.i32(0));
    words3[2] = int16_t(r.i32(4));
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_tofs_rnge(uint16_t h, int16_t selector, int16_t type, ofsrange_t* out) {
  return call(h, __func__, args(selector, type, out),
              [&](Call& c) { readRange3(c, cnc(200).args(selector, 0, type + 1000), out); });
}
OZ_EXPORT int16_t OZ_CALL cnc_zofs_rnge(uint16_t h, int16_t selector, int16_t type, ofsrange_t* out) {
  return call(h, __func__, args(selector, type, out),
              [&](Call& c) { readRange3(c, cnc(201).args(selector, 0, type), out); });
}
OZ_EXPORT int16_t OZ_CALL cnc_wksft_rnge(uint16_t h, int16_t selector, ofsrange_t* out) {
  return call(h, __func__, args(selector, out),
              [&](Call& c) { readRange3(c, cnc(202).arg1(selector), out); });
}


OZ_EXPORT int16_t OZ_CALL cnc_rdzofs(uint16_t h, int16_t number, int16_t axis, int16_t length,
                                     zofs_t* out) {
  return call(h, __func__, args(number, axis, length, out), [&](Call& c) {
    checkSingleAxis(c.h, axis, length);
    zofsr_t r{};
    const int room = 4 * (c.h.maxAxes() + 2);
    expect(readWork(c, 11, number, axis, number, std::min<int>(room, sizeof r), &r) == 1, EW_SIZE);
    const int values = std::min<int>(std::min(axisSlots(c.h, axis).k, 32), (length - 4) / 4);
    out->datano = r.datano_s;
    out->type = r.type;
    for (int i = 0; i < values; ++i) store(out, 4 + 4 * size_t(i), r.data[i]);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wrzofs(uint16_t h, int16_t length, const zofs_t* in) {
  return call(h, __func__, args(length, in), [&](Call& c) {
    checkSingleAxis(c.h, in->type, length);
    zofsr_t r{};
    r.datano_s = r.datano_e = in->datano;
    r.type = in->type;
    const int k = std::min(axisSlots(c.h, in->type).k, 32);
    std::memcpy(r.data, in->data, 4 * size_t(std::min(k, (length - 4) / 4)));
    writeWork(c, 12, 8 + 4 * k, &r);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdzofsinfo(uint16_t h, int16_t* word) {
  return call(h, __func__, args(word), [&](Call& c) { *word = int16_t(c.exchange(cnc(13)).i32(0)); });
}

#define OZ_SHIFT_PAIR(RD, WR, RCMD, WCMD)                                                     \
  OZ_EXPORT int16_t OZ_CALL RD(uint16_t h, int16_t axis, int16_t length, zofs_t* out) {        \
    return call(h, #RD, args(axis, length, out),                                              \
                [&](Call& c) { readShift(c, RCMD, axis, length, out); });                      \
  }                                                                                           \
  OZ_EXPORT int16_t OZ_CALL WR(uint16_t h, int16_t length, const zofs_t* in) {                 \
    return call(h, #WR, args(length, in), [&](Call& c) { writeShift(c, WCMD, length, in); });  \
  }
OZ_SHIFT_PAIR(cnc_rdwkcdshft, cnc_wrwkcdshft, 99, 100)
OZ_SHIFT_PAIR(cnc_rdwkcdsfms, cnc_wrwkcdsfms, 101, 102)

OZ_EXPORT int16_t OZ_CALL cnc_rdactfixofs(uint16_t h, int16_t axis, zofs_t* out) {
  return call(h, __func__, args(axis, out), [&](Call& c) {
    Reader r = c.exchange(cnc(297).arg1(axis));
    out->datano = int16_t(r.i32(0));
    out->type = axis;
    const int n = std::min(std::max(0, (r.size() - 4) / 8), std::min<int>(c.h.maxAxes(), 32));
    for (int i = 0; i < n; ++i) out->data[i] = r.i32(4 + 8 * i);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdzofsmes(uint16_t h, int32_t a1, int32_t a2, int32_t a3, double* v1,
                                        double* v2) {
  return call(h, __func__, args(a1, a2, a3, v1, v2), [&](Call& c) {
    Reader r = c.exchange(cnc(400).args(a1, a2, a3));
    *v1 = double(r.u32(0));
    *v2 = double(r.u32(4));
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_clrtofs(uint16_t h, int16_t type) {
  return call(h, __func__, args(type), [&](Call& c) { c.exchange(cnc(439).arg1(type)); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdpitchr(uint16_t h, int16_t start, int16_t end, int16_t length,
                                       pitchr_t* out) {
  return call(h, __func__, args(start, end, length, out),
              [&](Call& c) { readPitch(c, start, end, length, out); });
}

OZ_EXPORT int16_t OZ_CALL cnc_wrpitchr(uint16_t h, int16_t length, const pitchr_t* in) {
  return call(h, __func__, args(length, in), [&](Call& c) { writePitch(c, length, in); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdpitchinfo(uint16_t h, int16_t* words) {
  return call(h, __func__, args(words), [&](Call& c) {
    if (!path_is_w(c.h)) {
      words[0] = int16_t(c.exchange(cnc(20)).i32(0));
      return;
    }
    Reader r = c.exchange(cnc(338));
    // The reply names no bound of the caller's array; one word per axis is the most it holds.
    const int n = std::min<int>(r.size() / 8, c.h.maxAxes());
    expect(n > 0, EW_SIZE);
    for (int i = 0; i < n; ++i) words[i] = int16_t(r.i32(8 * i + 4));
  });
}
