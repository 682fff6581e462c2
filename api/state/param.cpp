// Parameters, setting data and diagnostic data: three numbered tables of typed
// entries that share one protocol, told apart by their command numbers.
#include <cstddef>
#include <optional>

#include "api/state/data_common.h"

using namespace oz;
using namespace oz::data;

static_assert(offsetof(param_t, u) == 4 && sizeof(realprm_t) == 8);
static_assert(offsetof(parainfo_t, info) == 6 && sizeof(parainfo_entry_t) == 4);
static_assert(sizeof(parainfo2_t) == 16 && sizeof(paranum_t) == 6);
static_assert(offsetof(param_ext_t, type) == 4 && offsetof(param_ext_t, attr3) == 10 &&
              offsetof(param_ext_t, data) == 12 && sizeof(param_ext_t) == 268);

namespace {

enum class Table { Param, Set, Diag };

// Commands as the older controllers number them; newer dialects translate.
struct TableCmds {
  uint16_t read, write, info, readNew, writeNew, infoPacked, info2;
};
constexpr TableCmds kCmds[] = {
    {14, 15, 16, 141, 142, 143, 160},
    {41, 42, 43, 144, 145, 146, 161},
    {48, 0, 49, 147, 0, 148, 162},
};
const TableCmds& cmds(Table t) { return kCmds[int(t)]; }

uint16_t readCmd(Dialect d, Table t) { return d == Dialect::Compact ? cmds(t).read : cmds(t).readNew; }
uint16_t writeCmd(Dialect d, Table t) { return d == Dialect::Compact ? cmds(t).write : cmds(t).writeNew; }
uint16_t infoCmd(Dialect d, Table t) { return d == Dialect::Packed ? cmds(t).infoPacked : cmds(t).info; }

constexpr int kReal = 4;

// Diagnostic replies number their types differently; 7 stands for "not decoded".
int mapType(Table t, int code) {
  if (t != Table::Diag) return code;
  static constexpr int kMap[] = {1, 2, 3, 0, 0, 4};
  return code < 6 ? kMap[code] : code + 1;
}

// Bytes one value takes in the caller's record; 0 for types nothing decodes.
int valueSize(int type) {
  static constexpr int kSize[] = {1, 1, 2, 4, 8};
  return type >= 0 && type <= kReal ? kSize[type] : 0;
}

int elementSize(Dialect d, int type) { return d == Dialect::Compact && type != kReal ? 4 : 8; }

// Range records pad the shorter value types so every record starts on 4 bytes.
int paddedBytes(int type, int count) {
  const int n = valueSize(type) * count;
  return type <= 2 ? (n + 3) & ~3 : n;
}

// One value from a reply element into the caller's record at byte offset off.
void storeValue(void* base, size_t off, int type, const Reader& el) {
  const int32_t v = el.i32(0);
  switch (type) {
    case 0: case 1: store(base, off, int8_t(v)); break;
    case 2: store(base, off, int16_t(v)); break;
    case 3: store(base, off, v); break;
    case kReal: store(base, off, v); store(base, off + 4, int32_t(el.i16(6))); break;
  }
}

// One value from the caller's record, sign-extended, and its decimal places.
std::pair<int32_t, int16_t> loadValue(const void* base, size_t off, int type) {
  const auto* p = static_cast<const uint8_t*>(base) + off;
  int8_t c; int16_t s; int32_t l, d;
  switch (type) {
    case 0: case 1: std::memcpy(&c, p, 1); return {c, 0};
    case 2: std::memcpy(&s, p, 2); return {s, 0};
    case 3: std::memcpy(&l, p, 4); return {l, 0};
    default: std::memcpy(&l, p, 4); std::memcpy(&d, p + 4, 4); return {l, int16_t(d)};
  }
}

// A write slot: header, the elements given, zeros up to the maximum axis count.
void putSlot(Call& c, RbData& d, int32_t number, int16_t axis, int type, const void* base,
             size_t off, int count) {
  const Dialect dl = dialect(c.h);
  const int n = c.h.maxAxes(), es = elementSize(dl, type), vs = valueSize(type);
  d.i32(number).i16(axis).u16(uint16_t(type));
  const int fill = std::min(count, n);
  for (int i = 0; i < fill; ++i) {
    auto [v, dec] = loadValue(base, off + size_t(i) * vs, type);
    if (es == 4) d.i32(v);
    else if (type == kReal) d.i32(v).u16(10).i16(dec);
    else putIntElement(d, v);
  }
  d.zeros(size_t(n - fill) * es);
}

int slotSize(const Handle& h, Dialect d) { return 8 + (d == Dialect::Compact ? 4 : 8) * h.maxAxes(); }

// Second-form info entry of one number, exactly one entry long or the call fails.
Reader infoEntry(Call& c, uint16_t cmd, int number, uint16_t want, const char* in) {
  c.reset();
  Reader r = c.exchange(cnc(cmd).args(number, 1));
  if (r.size() != want) {
    OZ_LOG(1) << "Error: cnc_rdparainfo(" << c.h.number << ") in " << in;
    raise_error(EW_RANGE);
  }
  return r;
}

bool spindleForRead(Call& c, Table t, int number) {
  const Dialect d = dialect(c.h);
  if (t == Table::Diag || d == Dialect::Packed) return false;
  if (number >= 4000 && number <= 4799) return true;
  if (d == Dialect::Current && number >= 4800 && number <= 4999)
    return infoEntry(c, 160, number, 28, "cnc_rdparam").u16(14) == 2;
  return false;
}

void readOne(Call& c, Table t, int16_t number, int16_t axis, int16_t length, int16_t flag,
             param_t* out) {
  const Dialect d = dialect(c.h);
  const bool spindle = spindleForRead(c, t, number);
  c.reset();
  Reader r = c.exchange(cnc(readCmd(d, t)).args(number, number, axis).arg5(flag ? 1 : 0));
  expect(length >= 4, EW_SIZE);
  const int16_t field = r.i16(4);
  const int code = r.u16(6) & 0xFF;
  out->datano = int16_t(r.i32(0));
  out->type = d == Dialect::Packed ? int16_t((code << 8) | (field & 0xFF)) : field;
  const int count = field >= 0 ? 1 : spindle ? c.h.pathSpindleMax() : c.h.pathAxes();
  const int type = mapType(t, code);
  const int vs = valueSize(type);
  if (vs == 0) return;
  expect(length >= 4 + count * vs, EW_SIZE);
  const int es = elementSize(d, type);
  for (int i = 0; i < count; ++i) storeValue(out, 4 + size_t(i) * vs, type, r.sub(8 + i * es, es));
}

void writeOne(Call& c, Table t, int16_t length, int16_t flag, const param_t* in) {
  const Dialect d = dialect(c.h);
  int type = 0;
  bool spindle = false;
  if (d == Dialect::Packed) {
    type = (in->type >> 8) & 0xFF;
  } else if (d == Dialect::Compact) {
    const uint32_t w = infoEntry(c, 16, in->datano, 16, "cnc_wrparam").u32(12);
    type = int(w & 3);
    spindle = (w & 0x100) != 0;
  } else {
    Reader e = infoEntry(c, 160, in->datano, 28, "cnc_wrparam");
    type = e.u16(12);
    spindle = e.u16(14) == 2;
  }
  expect(length >= 4, EW_SIZE);
  const int16_t axis = d == Dialect::Packed ? int16_t(int8_t(in->type & 0xFF)) : in->type;
  const bool multi = axis < 0;
  const int count = !multi ? 1
                    : spindle && c.h.pathAxes() != c.h.maxAxes() ? c.h.pathSpindleMax()
                                                                 : c.h.pathAxes();
  const int vs = valueSize(type);
  expect(vs != 0, EW_KIND);
  expect(length == 4 + count * vs, EW_SIZE);
  c.reset();
  RbData data = c.add(cnc(writeCmd(d, t)).arg5(flag ? 1 : 0));
  putSlot(c, data, in->datano, axis, type, in, 4, count);
  c.exchange();
  c.rb(0);
}

// Range read: the controller answers as many entries as fit one reply, each
// in a fixed slot; the next request starts after the last entry it sent.
void readRange(Call& c, Table t, int16_t* start, int16_t axis, int16_t* end, int16_t* length,
               void* buf) {
  expect(*start <= *end, EW_RANGE);
  const Dialect d = dialect(c.h);
  const int slot = slotSize(c.h, d), limit = *length;
  int used = 0, last = *end, first = *start;
  // Stepped in a wider type: an entry numbered 0x7FFFFFFF ends the walk.
  int64_t from = *start;
  bool any = false;
  while (from <= *end) {
    Reply rep = exchangeTolerant(c, cnc(readCmd(d, t)).args(from, *end, axis));
    if (rep.result == EW_RANGE && used > 0) break;
    if (rep.result == EW_SIZE) clearRBResult(c.pdu, 0);
    else if (rep.result != 0) c.rb(0);
    const int entries = rep.data.size() / slot;
    int64_t prev = from - 1;
    for (int e = 0; e < entries; ++e) {
      Reader r = rep.data.sub(e * slot, slot);
      expect(used + 4 <= limit, EW_SIZE);
      const int32_t number = r.i32(0);
      const int16_t field = r.i16(4);
      const int code = r.u16(6) & 0xFF, type = mapType(t, code);
      auto* rec = static_cast<uint8_t*>(buf) + used;
      store(rec, 0, int16_t(number));
      store(rec, 2, int16_t((code << 8) | (field & 0xFF)));
      if (!any) first = int16_t(number);
      any = true;
      const int count = field < 0 ? c.h.axesDelivered() : 1;
      const int bytes = paddedBytes(type, count);
      expect(used + 4 + bytes <= limit, EW_SIZE);
      const int es = elementSize(d, type), vs = valueSize(type);
      for (int i = 0; i < count && vs; ++i) storeValue(rec, 4 + size_t(i) * vs, type, r.sub(8 + i * es, es));
      used += 4 + bytes;
      last = number;
      prev = number;
    }
    // A reply that moves nothing forward would repeat for ever.
    if (entries == 0 || prev < from) break;
    from = prev + 1;
  }
  *length = int16_t(used);
  if (any) *start = int16_t(first);
  *end = int16_t(last);
}

void writeMany(Call& c, Table t, int16_t length, const void* buf) {
  const Dialect d = dialect(c.h);
  const int slot = slotSize(c.h, d), perRb = std::max(1, 1420 / slot);
  int used = 0, inRb = 0;
  std::optional<RbData> data;
  auto flush = [&] {
    if (inRb == 0) return;
    c.exchange();
    c.rb(0);
    inRb = 0;
  };
  do {
    expect(used + 4 <= length, EW_SIZE);
    const auto* rec = static_cast<const uint8_t*>(buf) + used;
    int16_t number, typeWord;
    std::memcpy(&number, rec, 2);
    std::memcpy(&typeWord, rec + 2, 2);
    const int16_t axis = int8_t(typeWord & 0xFF);
    const int type = (typeWord >> 8) & 0xFF;
    expect(valueSize(type) != 0, EW_KIND);
    const int count = axis < 0 ? c.h.axesDelivered() : 1;
    const int bytes = paddedBytes(type, count);
    expect(used + 4 + bytes <= length, EW_SIZE);
    if (inRb == 0) {
      c.reset();
      data.emplace(c.add(cnc(writeCmd(d, t))));
    }
    putSlot(c, *data, number, axis, type, rec, 4, count);
    used += 4 + bytes;
    if (++inRb == perRb) flush();
  } while (used < length);
  flush();
}

void readNum(Call& c, uint16_t cmd, paranum_t* out) {
  Reader r = c.exchange(cnc(cmd));
  for (int i = 0; i < 3; ++i) out->word[i] = uint16_t(r.u32(4 * i));
}

// Old-style attribute words of packed-type controllers use another bit layout.
uint16_t remapPacked(Table t, uint32_t w) {
  if (t != Table::Diag) return uint16_t(((w >> 1) & 0x1FC) + (w & 7) * 512);
  const uint32_t k = w & 7;
  const uint32_t code = k == 0 ? 3 : k == 4 ? 5 : k - 1;
  uint16_t v = uint16_t((code * 2 + (w & 0x10)) * 8 + (w & 0xFF00));
  if (w & 0xF00) v |= 4;
  return v;
}

// The info walk both forms share: requests of at most `per` entries from the
// current start until the count is met or the controller runs out.
template <class Store>
void infoWalk(Call& c, Rb rb, int start, int count, int per, int entryBytes, int16_t* prev,
              int16_t* next, int& got, Store&& storeEntry) {
  int cur = start, remaining = count;
  bool firstReply = true;
  while (remaining > 0) {
    const int n = std::min(remaining, per);
    c.reset();
    Reader r = c.exchange(rb.arg1(cur).arg2(n));
    const int entries = std::min(n, std::max(0, (r.size() - 8) / entryBytes));
    for (int i = 0; i < entries; ++i) storeEntry(got + i, r.sub(8 + i * entryBytes, entryBytes));
    if (firstReply) *prev = int16_t(r.i32(0));
    firstReply = false;
    const int nextNo = r.i32(4);
    *next = int16_t(nextNo);
    got += entries;
    if (entries < n || cur >= nextNo) break;
    cur = nextNo;
    remaining -= n;
  }
}

void readInfo(Call& c, Table t, int16_t start, uint16_t count, parainfo_t* out) {
  expect(count != 0, EW_SIZE);
  const Dialect d = dialect(c.h);
  int got = 0;
  out->info_no = 0;
  out->prev_no = out->next_no = start;
  infoWalk(c, cnc(infoCmd(d, t)), start, count, 178, 8, &out->prev_no, &out->next_no, got,
           [&](int i, const Reader& e) {
             const uint32_t w = e.u32(4);
             store(out, 6 + 4 * size_t(i), int16_t(e.i32(0)));
             store(out, 8 + 4 * size_t(i), d == Dialect::Packed ? remapPacked(t, w) : uint16_t(w));
             out->info_no = int16_t(i + 1);   // a later failure keeps what came
           });
  out->info_no = int16_t(got);
}

void readInfo2(Call& c, uint16_t cmd, int16_t a5, int16_t start, int16_t* count, int16_t* prev,
               int16_t* next, parainfo2_t* out) {
  expect(*count > 0, EW_SIZE);
  const int want = *count;
  int got = 0;
  *count = 0;
  infoWalk(c, cnc(cmd).arg5(a5), start, want, 71, 20, prev, next, got,
           [&](int i, const Reader& e) {
             out[i].prm_no = int16_t(e.i32(0));
             for (int k = 0; k < 7; ++k) out[i].attr[k] = e.u16(4 + 2 * k);
             *count = int16_t(i + 1);
           });
  *count = int16_t(got);
}

// ---- numbered list -------------------------------------------------------------

struct ExtPlan {
  uint16_t info, read;
  int perNumber, budget;
};

ExtPlan extPlan(const Handle& h, Table t) {
  const int m = h.maxAxes();
  const bool diag = t == Table::Diag;
  switch (dialect(h)) {
    case Dialect::Packed: return {uint16_t(diag ? 148 : 143), uint16_t(diag ? 147 : 141), 8 * m + 56, 1448};
    case Dialect::Compact: return {uint16_t(diag ? 49 : 16), uint16_t(diag ? 48 : 14), 4 * m + 56, 1448};
    default: return {uint16_t(diag ? 162 : 160), uint16_t(diag ? 147 : 141), 8 * m + 68, 2908};
  }
}

void extAttributes(uint16_t cmd, const Reader& info, param_ext_t& o) {
  if (cmd == 160 || cmd == 161 || cmd == 162) {
    uint16_t f[8];
    for (int k = 1; k <= 7; ++k) f[k] = info.u16(12 + 2 * (k - 1));
    o.attr1 = int16_t(f[2] == 0 ? 0 : (2 * f[2] - 1) | 1);
    if (cmd == 162) {
      o.attr2 = int16_t(f[7] & 1);
      o.attr3 = int16_t(f[4]);
    } else {
      o.attr2 = int16_t((f[5] == 2 ? 4 : 0) + ((f[7] & 4) + (f[7] & 2)) * 4 + (f[5] == 1 ? 2 : 0) +
                        (f[7] & 1));
      o.attr3 = int16_t((f[4] << 2) | f[3]);
    }
    return;
  }
  const uint32_t w = info.u32(12);
  switch (cmd) {
    case 143: case 146:
      o.attr1 = int16_t(((w >> 3) & 1) + ((w >> 8) & 4) + ((w >> 8) & 2));
      o.attr2 = int16_t((w >> 4) & 31);
      o.attr3 = int16_t((w >> 11) & 31);
      break;
    case 148:
      o.attr1 = (w & 0xF00) ? 1 : 0;
      o.attr2 = (w & 0x10) ? 1 : 0;
      o.attr3 = int16_t((w >> 12) & 15);
      break;
    case 16:
      o.attr1 = int16_t(((w >> 7) & 2) + ((w >> 2) & 1));
      o.attr2 = int16_t((w >> 3) & 31);
      o.attr3 = 0;
      break;
    default:   // 49
      o.attr1 = int16_t((w >> 2) & 1);
      o.attr2 = o.attr3 = 0;
  }
}

void readExt(Call& c, Table t, const int32_t* numbers, int16_t count, param_ext_t* out) {
  expect(count > 0, EW_SIZE);
  const ExtPlan p = extPlan(c.h, t);
  const bool compact = dialect(c.h) == Dialect::Compact;
  const int m = std::min<int>(c.h.maxAxes(), 32);
  const int batch = std::max(1, p.budget / p.perNumber);
  for (int base = 0; base < count; base += batch) {
    const int n = std::min(batch, count - base);
    c.reset();
    for (int i = 0; i < n; ++i) {
      const int32_t no = numbers[base + i];
      c.add(cnc(p.info).args(no, 1));
      c.add(cnc(p.read).args(no, no, -1));
    }
    c.exchange();
    for (int i = 0; i < n; ++i) {
      param_ext_t& o = out[base + i];
      const int32_t no = numbers[base + i];
      const int16_t ri = c.result(2 * i), rr = c.result(2 * i + 1);
      std::memset(&o, 0, sizeof o);
      o.prm_no = no;
      if (ri == EW_RANGE || rr == EW_RANGE || c.rb(2 * i).i32(8) != no) {
        o.type = -1;
        continue;
      }
      Reader info = c.rb(2 * i), val = c.rb(2 * i + 1);
      o.type = val.i16(6);
      extAttributes(p.info, info, o);
      const int es = compact ? 4 : 8;
      const int avail = std::min(m, std::max(0, (val.size() - 8) / es));
      for (int k = 0; k < avail; ++k) {
        Reader el = val.sub(8 + k * es, es);
        o.data[k].prm_val = el.i32(0);
        o.data[k].dec_val = compact ? 0 : el.i16(6);
      }
    }
  }
}

}  // namespace

// ---- exports -----------------------------------------------------------------

#define OZ_READ_ONE(NAME, TABLE)                                                              \
  OZ_EXPORT int16_t OZ_CALL NAME(uint16_t h, int16_t number, int16_t axis, int16_t length,     \
                                 param_t* out) {                                              \
    return call(h, "inter_rdparam", args(number, axis, length, out),                           \
                [&](Call& c) { readOne(c, TABLE, number, axis, length, 0, out); });            \
  }
OZ_READ_ONE(cnc_rdparam, Table::Param)
OZ_READ_ONE(cnc_rdset, Table::Set)
OZ_READ_ONE(cnc_diagnoss, Table::Diag)

OZ_EXPORT int16_t OZ_CALL cnc_rdparam3(uint16_t h, int16_t number, int16_t axis, int16_t length,
                                       int16_t flag, param_t* out) {
  return call(h, "inter_rdparam", args(number, axis, length, flag, out),
              [&](Call& c) { readOne(c, Table::Param, number, axis, length, flag, out); });
}

OZ_EXPORT int16_t OZ_CALL cnc_wrparam(uint16_t h, int16_t length, const param_t* in) {
  return call(h, "inter_wrparam", args(length, in),
              [&](Call& c) { writeOne(c, Table::Param, length, 0, in); });
}
OZ_EXPORT int16_t OZ_CALL cnc_wrparam3(uint16_t h, int16_t length, int16_t flag, const param_t* in) {
  return call(h, "inter_wrparam", args(length, flag, in),
              [&](Call& c) { writeOne(c, Table::Param, length, flag, in); });
}
OZ_EXPORT int16_t OZ_CALL cnc_wrset(uint16_t h, int16_t length, const param_t* in) {
  return call(h, "inter_wrparam", args(length, in),
              [&](Call& c) { writeOne(c, Table::Set, length, 0, in); });
}

#define OZ_READ_RANGE(NAME, TABLE)                                                            \
  OZ_EXPORT int16_t OZ_CALL NAME(uint16_t h, int16_t* start, int16_t axis, int16_t* end,       \
                                 int16_t* length, void* buf) {                                \
    return call(h, "inter_rdparar", args(count(start), axis, count(end), count(length), buf),  \
                [&](Call& c) { readRange(c, TABLE, start, axis, end, length, buf); });         \
  }
OZ_READ_RANGE(cnc_rdparar, Table::Param)
OZ_READ_RANGE(cnc_rdsetr, Table::Set)
OZ_READ_RANGE(cnc_diagnosr, Table::Diag)

#define OZ_WRITE_MANY(NAME, TABLE)                                                           \
  OZ_EXPORT int16_t OZ_CALL NAME(uint16_t h, int16_t length, const void* buf) {               \
    return call(h, "inter_wrparas", args(length, buf),                                        \
                [&](Call& c) { writeMany(c, TABLE, length, buf); });                          \
  }
OZ_WRITE_MANY(cnc_wrparas, Table::Param)
OZ_WRITE_MANY(cnc_wrsets, Table::Set)

#define OZ_READ_NUM(NAME, CMD)                                                                \
  OZ_EXPORT int16_t OZ_CALL NAME(uint16_t h, paranum_t* out) {                                \
    return call(h, "inter_rdparanum", args(out), [&](Call& c) { readNum(c, CMD, out); });      \
  }
OZ_READ_NUM(cnc_rdparanum, 17)
OZ_READ_NUM(cnc_rdsetnum, 44)
OZ_READ_NUM(cnc_rddiagnum, 50)

#define OZ_READ_INFO(NAME, TABLE)                                                             \
  OZ_EXPORT int16_t OZ_CALL NAME(uint16_t h, int16_t start, uint16_t n, parainfo_t* out) {    \
    return call(h, "inter_rdparainfo", args(start, n, out),                                   \
                [&](Call& c) { readInfo(c, TABLE, start, n, out); });                          \
  }
OZ_READ_INFO(cnc_rdparainfo, Table::Param)
OZ_READ_INFO(cnc_rdsetinfo, Table::Set)
OZ_READ_INFO(cnc_rddiaginfo, Table::Diag)

#define OZ_READ_INFO2(NAME, CMD, A5)                                                           \
  OZ_EXPORT int16_t OZ_CALL NAME(uint16_t h, int16_t start, int16_t* n, int16_t* prev,          \
                                 int16_t* next, parainfo2_t* out) {                            \
    return call(h, "inter_rdparainfo2", args(start, count(n), prev, next, out),                \
                [&](Call& c) { readInfo2(c, CMD, A5, start, n, prev, next, out); });            \
  }
OZ_READ_INFO2(cnc_rdparainfo2, 160, 0)
OZ_READ_INFO2(cnc_rdparainfo3, 160, 1)
OZ_READ_INFO2(cnc_rdsetinfo2, 161, 0)
OZ_READ_INFO2(cnc_rddiaginfo2, 162, 0)

#define OZ_READ_EXT(NAME, TABLE)                                                              \
  OZ_EXPORT int16_t OZ_CALL NAME(uint16_t h, const int32_t* numbers, int16_t n,                \
                                 param_ext_t* out) {                                          \
    return call(h, "inter_rdparam_ext", args(numbers, n, out),                                \
                [&](Call& c) { readExt(c, TABLE, numbers, n, out); });                         \
  }
OZ_READ_EXT(cnc_rdparam_ext, Table::Param)
OZ_READ_EXT(cnc_rddiag_ext, Table::Diag)
