// Per-axis and per-spindle data records: the axis-data read of newer
// controllers and the older records built from it.
#include "api/state/state.h"

using namespace oz;
using namespace oz::state;

static_assert(sizeof(axisdata_t) == 16 && offsetof(axisdata_t, data) == 4 &&
              offsetof(axisdata_t, dec) == 8 && offsetof(axisdata_t, unit) == 10 &&
              offsetof(axisdata_t, flag) == 12);
static_assert(sizeof(axisrec_t) == 12 && offsetof(axisrec_t, dec) == 4 &&
              offsetof(axisrec_t, unit) == 6 && offsetof(axisrec_t, tail.pos.flag) == 8 &&
              offsetof(axisrec_t, tail.pos.name) == 10);

namespace {

// Largest per-axis count the older records read through a buffer of their own.
constexpr int kMaxItems = 32;

struct AxisClass {
  int16_t count_arg;   // argument of the bracketing count request
  int16_t last_type;
};
constexpr AxisClass kClasses[6] = {{0, 0}, {0, 17}, {2, 2}, {1, 7}, {3, 7}, {3, 5}};
constexpr int16_t kPosKinds[18] = {0, 1, 2, 3, 11, 12, 13, 14, 15, 16, 17, 18, 8, 9, 10, 37, 38, 39};
constexpr int16_t kServoKinds[3] = {1, 1, 3};
constexpr int16_t kSpindleKinds[8] = {4, 5, 3, 7, 6, 8, 9, 10};
constexpr uint16_t kSpeedCmds[6] = {36, 37, 165, 828, 829, 830};

// Where the reply RBs of one read sit.
struct Layout {
  int names = 0, unit1 = -1, unit2 = -1, status = -1, first = 0, close = -1;
};

// Newer controllers bracket the read with the count request and send status
// words; older ones are read with the same data requests alone.
Layout add_requests(Call& c, int cls, const int16_t* types, int ntypes, bool bracketed) {
  Layout L;
  int at = 0;
  auto add = [&](const Rb& r) { c.add(r); return at++; };
  const int16_t count_arg = kClasses[cls].count_arg;
  if (bracketed) add(cnc(164).arg1(count_arg));
  switch (cls) {
    case 1:
      L.names = add(cnc(137).arg1(-1));
      L.unit1 = add(cnc(136).arg1(1));
      L.unit2 = add(cnc(136).arg1(2));
      if (bracketed) L.status = add(cnc(163).args(0, -1));
      L.first = at;
      for (int t = 0; t < ntypes; ++t) add(cnc(38).args(kPosKinds[types[t]], -1));
      break;
    case 2:
      L.names = add(cnc(137).arg1(0));
      L.first = at;
      for (int t = 0; t < ntypes; ++t) add(cnc(86).arg1(kServoKinds[types[t]]));
      break;
    case 3:
    case 4:
      L.names = add(cnc(138).arg1(cls == 3 ? 0 : 1));
      L.first = at;
      for (int t = 0; t < ntypes; ++t) {
        const int16_t kind = kSpindleKinds[types[t]];
        add(cnc(kind < 8 ? 64 : 832).args(kind, cls == 3 ? -1 : 0));
      }
      break;
    default:
      L.names = add(cnc(138).arg1(1));
      L.unit1 = add(cnc(136).arg1(3));
      L.unit2 = add(cnc(136).arg1(4));
      L.first = at;
      for (int t = 0; t < ntypes; ++t) add(cnc(kSpeedCmds[types[t]]));
      break;
  }
  if (bracketed) L.close = add(cnc(164).arg1(count_arg));
  return L;
}

void tests(int cls, const int16_t* types, uint16_t ntypes, const int16_t* count) {
  expect(*count >= 1, EW_SIZE);
  expect(ntypes >= 1 && ntypes <= 4, EW_KIND);
  expect_range(cls, 1, 5, EW_RANGE);
  for (int t = 0; t < ntypes; ++t) expect_range(types[t], 0, kClasses[cls].last_type, EW_KIND);
}

axisdata_t record(Call& c, const Layout& L, int cls, int type, int t, int j) {
  axisdata_t r{};
  // A speed may come as the bare 32-bit value that the feed and spindle
  // reads get from the same commands.
  Reader all = c.rb(L.first + t);
  const bool bare = cls == 5 && all.size() < 8;
  Reader item = bare ? all.sub(0, 4) : all.sub(8 * j, 8);
  r.data = item.i32(0);
  r.dec = bare ? 0 : item.i16(6);
  if (cls == 1) {
    const int kind = kPosKinds[type];
    const int name_at = kind == 1 ? 8 : kind == 2 ? 12 : 4;
    c.rb(L.names).sub(16 * j + name_at, 4).copy(r.name, 0, 4);
    r.unit = kind == 1    ? c.rb(L.unit2).i16(4 * j + 2)
             : kind == 12 ? c.rb(L.unit1).i16(4 * j + 2)
                          : c.rb(L.unit1).i16(4 * j);
    const uint32_t s = L.status >= 0 ? c.rb(L.status).u32(4 * j) : 0;
    const int bit = kind == 1 ? 0 : kind == 3 ? 2 : 1;
    r.flag = uint16_t(((s >> bit) & 1) | (s >> (kind == 1 ? 11 : 3)));
  } else {
    c.rb(L.names).sub(4 * j, 4).copy(r.name, 0, 4);
    if (cls == 5) {
      r.unit = c.rb(type == 1 ? L.unit2 : L.unit1).i16(4 * j);
      r.flag = bare ? 0 : item.u16(4);
    } else {
      r.unit = item.i16(4);
    }
  }
  return r;
}

// Reads ntypes types of one class for up to *count axes into out[t * req + j];
// writes the count delivered back.
void read_axisdata(Call& c, int cls, const int16_t* types, int ntypes, int16_t* count,
                   axisdata_t* out, bool bracketed = true) {
  const int req = *count;
  const Layout L = add_requests(c, cls, types, ntypes, bracketed);
  c.exchange();
  int n = req;
  if (bracketed) n = std::min<int>({n, c.rb(0).i16(0), c.rb(L.close).i16(0)});
  else if (cls == 1) n = std::min<int>(n, c.h.pathAxes());
  n = std::max(n, 0);
  *count = int16_t(n);
  for (int t = 0; t < ntypes; ++t)
    for (int j = 0; j < n; ++j) {
      const axisdata_t r = record(c, L, cls, types[t], t, j);
      std::memcpy(&out[t * req + j], &r, offsetof(axisdata_t, reserved));   // the tail is the caller's
    }
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdaxisdata(uint16_t h, uint16_t cls, const int16_t* types,
                                         uint16_t ntypes, int16_t* count, axisdata_t* out) {
  return call(h, __func__, args(cls, types, ntypes, oz::count(count), out), [&](Call& c) {
    expect(c.h.has(kDialectCurrent), EW_UNAVAILABLE);
    tests(cls, types, ntypes, count);
    read_axisdata(c, cls, types, ntypes, count, out);
  });
}

// ---- older records -------------------------------------------------------------------

namespace {

enum class Rec { Position, Meter, Speed, JogDry };

axisrec_t convert(const axisdata_t& a, Rec kind) {
  axisrec_t r{};
  r.data = a.data;
  r.dec = a.dec;
  r.unit = a.unit;
  switch (kind) {
    case Rec::Position:
    case Rec::Speed:
      if (kind == Rec::Speed) r.unit = int16_t(a.unit - 3);
      r.tail.pos.flag = int16_t(a.flag & 1);
      r.tail.pos.name[0] = a.name[0];
      r.tail.pos.name[1] = a.name[1];
      break;
    case Rec::Meter:
      r.unit = a.unit != 8 ? 1 : 0;
      std::memcpy(r.tail.name, a.name, 3);
      r.tail.name[3] = 0;
      break;
    case Rec::JogDry:
      r.unit = int16_t(a.unit - 3);
      r.tail.pos.flag = int16_t(a.flag);
      r.tail.pos.name[0] = (a.flag & 2) ? 'D' : 'J';
      r.tail.pos.name[1] = 'F';
      break;
  }
  return r;
}

struct Older {
  int cls;
  Rec kind;
  int ntypes;
  int16_t types[4];
};
constexpr Older kPosition{1, Rec::Position, 4, {0, 1, 2, 3}};
constexpr Older kHandle{1, Rec::Position, 2, {4, 5}};
constexpr Older kServo{2, Rec::Meter, 1, {0}};
constexpr Older kSpindle{3, Rec::Meter, 2, {0, 1}};
constexpr Older kSpeed{5, Rec::Speed, 2, {0, 1}};
constexpr Older kJogDry{5, Rec::JogDry, 1, {2}};

// The record for axis j holds all its types side by side; with one type
// selected only that place of each group is written.
void older(Call& c, const Older& o, int16_t type, int16_t* count, axisrec_t* out,
           bool bracketed = true) {
  expect(*count >= 1, EW_SIZE);
  expect(type == -1 || (type >= 0 && type < o.ntypes), EW_KIND);
  const int16_t* types = type == -1 ? o.types : o.types + type;
  const int ntypes = type == -1 ? o.ntypes : 1;
  axisdata_t buf[4 * kMaxItems];
  int16_t n = int16_t(std::min<int>(*count, kMaxItems));
  const int req = n;
  read_axisdata(c, o.cls, types, ntypes, &n, buf, bracketed);
  *count = n;
  for (int t = 0; t < ntypes; ++t) {
    const int place = type == -1 ? t : type;
    for (int j = 0; j < n; ++j) out[j * o.ntypes + place] = convert(buf[t * req + j], o.kind);
  }
}

// Meters of controllers before the axis-data read: the data requests, then
// the names, one 4-byte name item per axis or spindle.
struct OldMeter {
  int16_t kinds[2];
  int nkinds;
  uint16_t cmd;
  uint16_t names_cmd;
};

// With `probe`, a data request refused with EW_KIND returns false instead.
// n is cut to the items the replies hold.
bool old_meter(Call& c, const OldMeter& m, int16_t type, int& n, axisrec_t* out,
               bool probe = false) {
  const int first = type == -1 ? 0 : type, last = type == -1 ? m.nkinds : type + 1;
  for (int k = first; k < last; ++k) c.add(cnc(m.cmd).args(m.kinds[k], -1));
  c.add(cnc(m.names_cmd));
  c.exchange();
  for (int k = first; probe && k < last; ++k)
    if (c.result(k - first) == EW_KIND) return false;
  Reader names = c.rb(last - first);
  n = items(names, 4, n);
  for (int k = first; k < last; ++k) n = items(c.rb(k - first), 8, n);
  for (int k = first; k < last; ++k) {
    Reader d = c.rb(k - first);
    for (int j = 0; j < n; ++j) {
      axisrec_t& r = out[j * m.nkinds + k];
      const int32_t v = d.i32(8 * j);
      r.data = v < 0 ? -v : v;
      r.dec = d.i16(8 * j + 6);
      r.unit = 0;
      r.tail.name[0] = char(names.u8(4 * j));
      r.tail.name[1] = char(names.u8(4 * j + 1));
      r.tail.name[2] = 0;
    }
  }
  return true;
}

// The nine-RB position read of the first old controller kind.
void old_position(Call& c, int16_t type, int16_t* count, axisrec_t* out) {
  expect(*count >= 1, EW_SIZE);
  expect_range(type, -1, 3, EW_KIND);
  c.add(cnc(25));
  for (int k = 0; k < 4; ++k) c.add(cnc(38).args(k, -1));
  c.add(cnc(137).arg1(-1));
  c.add(cnc(14).args(3115, 3115, -1));
  c.add(cnc(136).arg1(2));
  c.add(cnc(25));
  c.exchange();
  const int n = std::max(0, std::min<int>(*count, c.h.config.pathWord(c.h.path, 6)));
  *count = int16_t(n);
  auto valid = [](uint16_t s) { return s == 0 || s == 1 || s == 10; };
  const bool dist_ok = valid(c.rb(0).u16(0)) && valid(c.rb(8).u16(0));
  Reader names = c.rb(5), param = c.rb(6), units = c.rb(7);
  static constexpr int kNameAt[4] = {4, 8, 12, 4};
  for (int k = 0; k < 4; ++k) {
    if (type != -1 && type != k) continue;
    Reader d = c.rb(1 + k);
    for (int j = 0; j < n; ++j) {
      axisrec_t& r = out[4 * j + k];
      r.data = d.i32(8 * j);
      r.dec = d.i16(8 * j + 6);
      if (k == 3 && !dist_ok) r.data = 0, r.dec = -1;
      r.unit = units.i16(4 * j + (k == 1 ? 2 : 0));
      const uint32_t p = param.u32(8 + 4 * j);
      r.tail.pos.flag = int16_t(k == 1 ? (p & 1) == 0 : (p & 3) == 0);
      r.tail.pos.name[0] = char(names.u8(16 * j + kNameAt[k]));
      r.tail.pos.name[1] = char(names.u8(16 * j + kNameAt[k] + 1));
    }
  }
}

bool newer(const Call& c) { return c.h.has(kDialectCurrent); }

}  // namespace

// Controllers of the second old kind and W paths lack the status and
// parameter requests of the nine-RB form; they get the plain data requests.
OZ_EXPORT int16_t OZ_CALL cnc_rdposition(uint16_t h, int16_t type, int16_t* count, axisrec_t* out) {
  return call(h, __func__, args(type, oz::count(count), out), [&](Call& c) {
    if (newer(c)) return older(c, kPosition, type, count, out);
    if (!c.h.has(kDialectPacked) && !path_is_w(c.h)) return old_position(c, type, count, out);
    older(c, kPosition, type, count, out, false);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdspeed(uint16_t h, int16_t type, axisrec_t* out) {
  return call(h, __func__, args(type, out), [&](Call& c) {
    int16_t one = 1;
    older(c, kSpeed, type, &one, out, newer(c));
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdhndintrpt(uint16_t h, int16_t type, int16_t* count, axisrec_t* out) {
  return call(h, __func__, args(type, oz::count(count), out),
              [&](Call& c) { older(c, kHandle, type, count, out, newer(c)); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdsvmeter(uint16_t h, int16_t* count, axisrec_t* out) {
  return call(h, __func__, args(oz::count(count), out), [&](Call& c) {
    if (newer(c)) return older(c, kServo, -1, count, out);
    expect(*count >= 1, EW_SIZE);
    int n = std::min<int>(*count, c.h.config.word(18));
    if (n == 0) n = std::min<int>(*count, c.h.config.pathWord(c.h.path, 6));
    n = std::clamp(n, 0, kMaxItems);
    old_meter(c, OldMeter{{1, 0}, 1, 86, 137}, -1, n, out);
    *count = int16_t(n);
  });
}

// The first older form is refused with EW_KIND by controllers that know only
// the second; the handle remembers that so later calls go straight to it.
OZ_EXPORT int16_t OZ_CALL cnc_rdspmeter(uint16_t h, int16_t type, int16_t* count, axisrec_t* out) {
  return call(h, __func__, args(type, oz::count(count), out), [&](Call& c) {
    if (newer(c)) return older(c, kSpindle, type, count, out);
    expect(*count >= 1, EW_SIZE);
    expect_range(type, -1, 1, EW_KIND);
    const int want = std::clamp<int>(std::min<int>(*count, c.h.pathSpindleMax()), 0, kMaxItems);
    int n = want;
    if (c.h.has(kSpmeterOther) || !old_meter(c, OldMeter{{4, 5}, 2, 64, 138}, type, n, out, true)) {
      c.h.flags |= kSpmeterOther;
      c.reset();
      n = want;
      old_meter(c, OldMeter{{0, 1}, 2, 64, 138}, type, n, out);
    }
    *count = int16_t(n);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdjogdrun(uint16_t h, int16_t unused, axisrec_t* out) {
  return call(h, __func__, args(unused, out), [&](Call& c) {
    int16_t one = 1;
    older(c, kJogDry, -1, &one, out);
  });
}
