// The history range readers: batches that fit one reply, early ends on the
// controller's "no more records", and conversion into the caller's layouts.
#include <algorithm>

#include "api/events/records.h"

using namespace oz;
using namespace oz::state;
using namespace oz::events;

namespace oz::events {

void apply(Out& o, size_t at, const Reader& w, const Layout& L) {
  for (const Move& m : L.mv) {
    for (int i = 0; i < m.n && m.kind != Mv::B; ++i) {
      switch (m.kind) {
        case Mv::N8: o.put(at + m.c + i, uint8_t(w.u16(m.w + 2 * i))); break;
        case Mv::NL8: o.put(at + m.c + i, uint8_t(w.u32(m.w + 4 * i))); break;
        case Mv::Y8: o.put(at + m.c + i, uint8_t(w.u16(m.w + 2 * i) % 100)); break;
        case Mv::Y16: o.put(at + m.c + 2 * i, uint16_t(w.u16(m.w + 2 * i) % 100)); break;
        case Mv::W: o.put(at + m.c + 2 * i, w.u16(m.w + 2 * i)); break;
        case Mv::WL: o.put(at + m.c + 2 * i, uint16_t(w.u32(m.w + 4 * i))); break;
        case Mv::L: o.put(at + m.c + 4 * i, w.u32(m.w + 4 * i)); break;
        case Mv::B: break;
      }
    }
    if (m.kind == Mv::B && m.n) o.copy(at + m.c, w, m.w, m.n);
  }
}

}  // namespace oz::events

namespace {

// ---- layouts ------------------------------------------------------------------------

// cnc_rdophistry4: thirteen types and the header-only end mark.
constexpr Layout kOpTypes4[] = {
    {0, 20, 16, {{4, 4, Mv::N8, 1}, {5, 6, Mv::N8, 1}, {6, 8, Mv::W, 5}}},
    {1, 40, 20, {{4, 8, Mv::W, 1}, {6, 4, Mv::WL, 1}, {8, 12, Mv::B, 2}, {10, 10, Mv::W, 1}, {12, 14, Mv::W, 3}}},
    {2, 36, 24, {{4, 8, Mv::W, 1}, {6, 4, Mv::WL, 1}, {8, 10, Mv::W, 8}}},
    {3, 32, 20, {{4, 4, Mv::W, 7}}},
    {4, 28, 28, {{4, 4, Mv::W, 5}, {16, 16, Mv::L, 2}, {24, 24, Mv::W, 2}}},
    {5, 32, 32, {{4, 4, Mv::W, 6}, {16, 16, Mv::L, 3}, {28, 28, Mv::W, 2}}},
    {6, 276, 276, {{4, 4, Mv::W, 8}, {20, 20, Mv::B, 256}}},
    {7, 40, 28, {{4, 8, Mv::W, 1}, {6, 4, Mv::WL, 1}, {8, 10, Mv::W, 4}, {16, 20, Mv::L, 2}, {24, 28, Mv::W, 2}}},
    {8, 36, 32, {{4, 8, Mv::W, 1}, {6, 4, Mv::WL, 1}, {8, 10, Mv::W, 5}, {20, 24, Mv::L, 2}, {28, 32, Mv::W, 2}}},
    {9, 456, 456, {{4, 8, Mv::W, 1}, {6, 4, Mv::WL, 1}, {8, 10, Mv::W, 11}, {32, 32, Mv::L, 10},
                   {72, 72, Mv::B, 10}, {84, 84, Mv::L, 10}, {124, 124, Mv::B, 10}, {136, 136, Mv::L, 32},
                   {264, 264, Mv::B, 32}, {296, 296, Mv::L, 32}, {424, 424, Mv::B, 32}}},
    {10, 520, 520, {{4, 8, Mv::W, 1}, {6, 4, Mv::WL, 1}, {8, 10, Mv::W, 11}, {30, 32, Mv::B, 64},
                    {96, 96, Mv::L, 10}, {136, 136, Mv::B, 10}, {148, 148, Mv::L, 10}, {188, 188, Mv::B, 10},
                    {200, 200, Mv::L, 32}, {328, 328, Mv::B, 32}, {360, 360, Mv::L, 32}, {488, 488, Mv::B, 32}}},
    {11, 28, 28, {{4, 4, Mv::L, 1}, {8, 8, Mv::W, 4}, {16, 16, Mv::L, 2}, {24, 24, Mv::W, 2}}},
    {12, 16, 16, {{4, 4, Mv::W, 6}}},
    {0xFFFF, 4, 4, {}},
};

// cnc_rdophistry2: 24-byte wire records, four types.
constexpr Layout kOpTypes2[] = {
    {0, 24, 8, {{4, 4, Mv::N8, 1}, {5, 6, Mv::N8, 1}}},
    {1, 24, 12, {{4, 8, Mv::W, 1}, {6, 4, Mv::WL, 1}, {8, 10, Mv::B, 2}}},
    {2, 24, 24, {{4, 8, Mv::W, 1}, {6, 4, Mv::WL, 1}, {8, 10, Mv::W, 7}}},
    {3, 24, 20, {{4, 4, Mv::W, 7}}},
};

// cnc_rdophistry: the fields follow the type's group; r+0 is the type.
constexpr Layout kOpGroups[] = {
    {0, 16, 8, {{2, 4, Mv::N8, 1}, {3, 6, Mv::N8, 1}}},                        // 0, 5, 10
    {1, 16, 8, {{2, 8, Mv::N8, 1}, {3, 10, Mv::B, 2}, {6, 4, Mv::WL, 1}}},     // 1, 6, 11
    {2, 16, 8, {{2, 8, Mv::WL, 1}, {4, 4, Mv::WL, 1}, {6, 12, Mv::NL8, 1}}},   // 2, 7, 12
    {3, 16, 8, {{2, 4, Mv::Y8, 1}, {3, 6, Mv::N8, 3}}},
    {4, 16, 8, {{2, 4, Mv::N8, 4}}},
    {0xFFFF, 16, 8, {}},                                                       // any other
};

// Alarm records: the fields the forms share, then each form's tail.
#define OZ_ALARM_HEAD {0, 4, Mv::WL, 1}, {2, 0, Mv::WL, 1}, {4, 8, Mv::WL, 1}, {6, 12, Mv::W, 6}, {18, 24, Mv::WL, 1}
constexpr Layout kAlm1 = {0, 60, 48, {{2, 4, Mv::WL, 1}, {4, 0, Mv::WL, 1}, {6, 8, Mv::NL8, 1}, {7, 12, Mv::Y8, 1},
                                      {8, 14, Mv::N8, 5}, {14, 24, Mv::WL, 1}, {16, 28, Mv::B, 32}}};
constexpr Layout kAlm2 = {0, 60, 52, {OZ_ALARM_HEAD, {20, 28, Mv::B, 32}}};
constexpr Layout kAlm4 = {0, 96, 88, {OZ_ALARM_HEAD, {20, 28, Mv::W, 1}, {24, 32, Mv::B, 64}}};
constexpr Layout kAlm5 = {0, 528, 516, {OZ_ALARM_HEAD, {20, 28, Mv::W, 4}, {28, 36, Mv::B, 64}, {92, 100, Mv::L, 10},
                                        {132, 140, Mv::B, 10}, {144, 152, Mv::L, 10}, {184, 192, Mv::B, 10},
                                        {196, 204, Mv::L, 32}, {324, 332, Mv::B, 32}, {356, 364, Mv::L, 32},
                                        {484, 492, Mv::B, 32}}};
#undef OZ_ALARM_HEAD
constexpr Layout kOm1 = {0, 276, 270, {{0, 0, Mv::WL, 1}, {2, 4, Mv::Y16, 1}, {4, 6, Mv::W, 5}, {14, 20, Mv::B, 256}}};
constexpr Layout kOm2 = {0, 272, 272, {{0, 0, Mv::W, 8}, {16, 16, Mv::B, 256}}};

void put_op_record(Out& o, size_t at, const Reader& w, const Layout&) {
  const uint16_t type = w.u16(2);
  // Types 0 to 12 fall in five groups; 8, 9 and the rest keep only the type.
  static constexpr uint8_t kGroup[13] = {0, 1, 2, 3, 4, 0, 1, 2, 5, 5, 0, 1, 2};
  const int g = type <= 12 ? kGroup[type] : 5;
  o.put(at, type);
  apply(o, at, w, kOpGroups[g]);
}

void put_layout(Out& o, size_t at, const Reader& w, const Layout& L) { apply(o, at, w, L); }

// ---- fixed-size records, batch by batch -----------------------------------------------

// What follows first and last in the RB arguments: nothing, a 1, the
// batch's count, or the count and a 1.
enum class Args : uint8_t { Range, RangeFlag, RangeCount, RangeCountFlag };

struct Paged {
  uint16_t cmd;
  int batch;              // records per request at most
  Args form;
  uint8_t head;           // caller head bytes before the first record
  uint8_t end_at;         // where the head keeps the last record number
  uint8_t reply_head;     // reply bytes before the records (the last number at +2)
  const Layout& rec;
  void (*put)(Out&, size_t, const Reader&, const Layout&) = put_layout;
};

constexpr Paged kOpOld{106, 89, Args::Range, 6, 4, 0, kOpGroups[0], put_op_record};
constexpr Paged kAlmOld{108, 23, Args::RangeFlag, 6, 4, 0, kAlm1};
constexpr Paged kAlmOld2{108, 23, Args::RangeFlag, 4, 2, 0, kAlm2};
constexpr Paged kAlmHis4{433, 14, Args::RangeCountFlag, 4, 2, 0, kAlm4};
constexpr Paged kAlmHis5{465, 2, Args::RangeCountFlag, 4, 2, 0, kAlm5};
constexpr Paged kOmOld{115, 5, Args::Range, 0, 0, 0, kOm1};
constexpr Paged kOmHis2{437, 5, Args::RangeCount, 4, 2, 4, kOm2};

struct PageResult {
  int read = 0;
  int32_t last;
};

// Records first..last into o after the head. The buffer must hold the head
// and every record read so far before a reply is converted; a controller
// with fewer records ends the range with 3 or with a short batch.
PageResult page(Call& c, const Paged& p, int32_t first, int32_t last, Out& o) {
  PageResult r{0, first - 1};
  for (int32_t next = first; next <= last;) {
    const int ask = int(std::min<int32_t>(p.batch, last - next + 1));
    Rb rb = cnc(p.cmd).args(next, next + ask - 1);
    if (p.form == Args::RangeFlag) rb.arg3(1);
    if (p.form == Args::RangeCount || p.form == Args::RangeCountFlag) rb.arg3(ask);
    if (p.form == Args::RangeCountFlag) rb.arg4(1);
    c.reset();
    c.add(rb);
    c.exchange();
    if (c.result(0) == EW_RANGE && r.read > 0) break;
    const Reader d = c.rb(0);
    const Reader recs = d.sub(p.reply_head, d.size() - p.reply_head);
    // Never more than asked for: the caller sized the buffer for the range.
    const int n = items(recs, p.rec.wire, ask);
    expect(p.head + size_t(r.read + n) * p.rec.size <= o.size(), EW_SIZE);
    for (int i = 0; i < n; ++i)
      p.put(o, p.head + size_t(r.read + i) * p.rec.size, recs.sub(i * p.rec.wire, p.rec.wire), p.rec);
    r.read += n;
    const int32_t reply_last = p.reply_head ? int32_t(d.u16(2)) : next + n - 1;
    if (n > 0) r.last = reply_last;
    if (n < ask) break;
    // The message history numbers the next batch from its reply; one that
    // does not move forward would ask for the same records for ever.
    if (p.reply_head && reply_last < next) break;
    next = p.reply_head ? reply_last + 1 : next + ask;
  }
  return r;
}

int16_t paged(uint16_t h, const char* fn, const Paged& p, uint16_t start, uint16_t end,
              uint16_t length, void* buf, bool from_one, uint32_t refused_flags = 0,
              uint32_t needed_flags = 0) {
  return call(h, fn, args(start, end, length, buf), [&](Call& c) {
    expect(!c.h.has(refused_flags), EW_UNAVAILABLE);
    expect(needed_flags == 0 || c.h.has(needed_flags), EW_UNAVAILABLE);
    expect(!(from_one && start == 0) && start <= end, EW_RANGE);
    Out o(buf, length);
    const PageResult r = page(c, p, start, end, o);
    o.put(0, start);
    o.put(p.end_at, uint16_t(r.last));
  });
}

// ---- typed records -------------------------------------------------------------------

// The caller's buffer for records of varying size: a record that does not
// fit fails the call when it is the first, and ends the read otherwise.
class TypedOut {
 public:
  TypedOut(void* buf, uint16_t* length) : o_(buf, *length), room_(*length), length_(length) {
    *length_ = 0;
  }
  bool put(const Layout& t, const Reader& w) {
    if (room_ < t.size) {
      expect(written_ > 0, EW_SIZE);
      return false;
    }
    o_.put(written_, t.size);
    o_.put(written_ + 2, t.type);
    apply(o_, written_, w, t);
    written_ += t.size;
    room_ -= t.size;
    *length_ = uint16_t(written_);
    return true;
  }
  bool any() const { return written_ > 0; }

 private:
  Out o_;
  size_t room_, written_ = 0;
  uint16_t* length_;
};

const Layout* find_type(const Layout* table, size_t n, uint16_t type) {
  for (size_t i = 0; i < n; ++i)
    if (table[i].type == type) return &table[i];
  return nullptr;
}

void rdophistry4(Call& c, uint16_t start, uint16_t* end, uint16_t* length, void* buf) {
  expect(start != 0 && start <= *end, EW_RANGE);
  TypedOut out(buf, length);
  const uint16_t last = *end;
  for (uint32_t next = start, written = 0; next <= last;) {
    c.reset();
    c.add(cnc(432).args(next, last));
    c.exchange();
    if (c.result(0) == EW_RANGE && out.any()) return;
    const Reader d = c.rb(0);
    const uint32_t more = d.u32(0), count = d.u32(4);
    int pos = 8;
    for (uint32_t i = 0; i < count; ++i) {
      const Layout* t = find_type(kOpTypes4, std::size(kOpTypes4), d.u16(pos + 2));
      if (t == nullptr) raise_error(EW_UNDECODABLE);
      if (!out.put(*t, d.sub(pos, t->wire))) return;
      *end = uint16_t(start + written++);
      pos += t->wire;
    }
    // A reply of no records would ask for the same ones again.
    if (more == 0 || count == 0) return;
    next += count;
  }
}

// Types this form does not know are passed over; *end is the number of the
// last record written, so a reader that goes on from *end + 1 misses none.
void rdophistry2(Call& c, uint16_t start, uint16_t* end, uint16_t* length, void* buf) {
  constexpr int kWire = 24, kBatch = 59;
  expect(start <= *end, EW_RANGE);
  TypedOut out(buf, length);
  const int32_t last = *end;
  int read = 0;
  for (int32_t next = start; next <= last; next += kBatch) {
    const int ask = int(std::min<int32_t>(kBatch, last - next + 1));
    c.reset();
    c.add(cnc(290).args(next, next + ask - 1));
    c.exchange();
    if (c.result(0) == EW_RANGE && read > 0) return;
    const Reader d = c.rb(0);
    const int n = items(d, kWire, ask);
    for (int i = 0; i < n; ++i) {
      const Layout* t = find_type(kOpTypes2, std::size(kOpTypes2), d.u16(i * kWire + 2));
      if (t == nullptr) continue;
      if (!out.put(*t, d.sub(i * kWire, kWire))) return;
      *end = uint16_t(next + i);
    }
    read += n;
    if (n < ask) return;
  }
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdophistry(uint16_t h, uint16_t start, uint16_t end, uint16_t length,
                                         void* buf) {
  return paged(h, __func__, kOpOld, start, end, length, buf, false);
}

OZ_EXPORT int16_t OZ_CALL cnc_rdophistry2(uint16_t h, uint16_t start, uint16_t* end,
                                          uint16_t* length, void* buf) {
  return call(h, __func__, args(start, oz::count(end), oz::count(length), buf),
              [&](Call& c) { rdophistry2(c, start, end, length, buf); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdophistry4(uint16_t h, uint16_t start, uint16_t* end,
                                          uint16_t* length, void* buf) {
  return call(h, __func__, args(start, oz::count(end), oz::count(length), buf),
              [&](Call& c) { rdophistry4(c, start, end, length, buf); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdalmhistry(uint16_t h, uint16_t start, uint16_t end, uint16_t length,
                                          void* buf) {
  return paged(h, __func__, kAlmOld, start, end, length, buf, false, kDialectPacked);
}

OZ_EXPORT int16_t OZ_CALL cnc_rdalmhistry2(uint16_t h, uint16_t start, uint16_t end, uint16_t length,
                                           void* buf) {
  return paged(h, __func__, kAlmOld2, start, end, length, buf, false, 0,
               kDialectPacked | kDialectCurrent);
}

OZ_EXPORT int16_t OZ_CALL cnc_rdalmhistry4(uint16_t h, uint16_t start, uint16_t end, uint16_t length,
                                           void* buf) {
  return paged(h, __func__, kAlmHis4, start, end, length, buf, true);
}

OZ_EXPORT int16_t OZ_CALL cnc_rdalmhistry5(uint16_t h, uint16_t start, uint16_t end, uint16_t length,
                                           void* buf) {
  return paged(h, __func__, kAlmHis5, start, end, length, buf, true);
}

OZ_EXPORT int16_t OZ_CALL cnc_rdomhistry2(uint16_t h, uint16_t start, uint16_t end, uint16_t length,
                                          void* buf) {
  return paged(h, __func__, kOmHis2, start, end, length, buf, false);
}

OZ_EXPORT int16_t OZ_CALL cnc_rdomhistry(uint16_t h, uint16_t start, uint16_t* count, omhis_rec_t* buf) {
  return call(h, __func__, args(start, oz::count(count), buf), [&](Call& c) {
    expect(*count >= 1, EW_SIZE);
    Out o(buf, size_t(*count) * sizeof(omhis_rec_t));
    *count = uint16_t(page(c, kOmOld, int32_t(start) + 1, int32_t(start) + *count, o).read);
  });
}
