// Tool management data: the tool records (two record forms), the magazines
// and their pots, and the tool-management requests passed through as bytes.
#include <algorithm>

#include "api/state/state.h"
#include "base/tool_record.h"
#include "core/listed.h"

using namespace oz;
using namespace oz::state;

static_assert(sizeof(toolrec_t) == toolrec::kCallerSize);
static_assert(offsetof(toolrec_t, b16) == 16 && offsetof(toolrec_t, b17) == 17 &&
              offsetof(toolrec_t, w18) == 18 && offsetof(toolrec_t, l24) == 24 &&
              offsetof(toolrec_t, w32) == 32 && offsetof(toolrec_t, w42) == 42 &&
              offsetof(toolrec_t, w44) == 44 && offsetof(toolrec_t, w46) == 46 &&
              offsetof(toolrec_t, b50) == toolrec::kMirrorByte &&
              offsetof(toolrec_t, reserved) == 51 && offsetof(toolrec_t, l60) == 60);
static_assert(sizeof(toolitem_t) == 8 && offsetof(toolitem_t, value32) == 4);
static_assert(sizeof(toolrec2_t) == 236 && sizeof(magazine_t) == 12);

namespace {

// ---- tool records --------------------------------------------------------------------

// Controllers that flag bit 0 of configuration word 36 keep the field at wire
// 66 in the caller's byte at 50 as well.
bool mirrored(const Handle& h) { return (h.config.word(36) & 1) != 0; }

int32_t caller_field(const void* in, const toolrec::Field& f) {
  switch (f.caller_width) {
    case 1: return load<uint8_t>(in, f.caller);
    case 2: return load<int16_t>(in, f.caller);
    default: return load<int32_t>(in, f.caller);
  }
}

void tool_from_wire(const Handle& h, const Reader& r, void* out) {
  for (const toolrec::Field& f : toolrec::kFields) {
    const int32_t v = f.wire_width == 2 ? r.i16(f.wire) : r.i32(f.wire);
    if (f.caller_width == 1) store(out, f.caller, uint8_t(v));
    else if (f.caller_width == 2) store(out, f.caller, int16_t(v));
    else store(out, f.caller, v);
  }
  const auto& m = toolrec::kFields[toolrec::kMirroredField];
  store(out, toolrec::kMirrorByte, uint8_t(mirrored(h) ? r.u16(m.wire) : 0));
}

void tool_to_wire(const Handle& h, const void* in, RbData& d) {
  for (int k = 0; k < toolrec::kFieldCount; ++k) {
    const toolrec::Field& f = toolrec::kFields[k];
    int32_t v = caller_field(in, f);
    if (k == toolrec::kMirroredField && mirrored(h)) v = load<uint8_t>(in, toolrec::kMirrorByte);
    if (f.wire_width == 2) d.i16(int16_t(v));
    else d.i32(v);
  }
}

// The second form travels as the controller has it.
void raw_from_wire(const Handle&, const Reader& r, void* out) { r.copy(out, 0, r.size()); }
void raw_to_wire(const Handle&, const void* in, RbData& d) { d.bytes(in, sizeof(toolrec2_t)); }

struct RecordForm {
  uint16_t reg, read, write;
  int per;               // records a request
  size_t wire, caller;   // bytes a record
  void (*from_wire)(const Handle&, const Reader&, void*);
  void (*to_wire)(const Handle&, const void*, RbData&);
};
constexpr RecordForm kForm1{329, 331, 332, 9, toolrec::kWireSize, toolrec::kCallerSize,
                            tool_from_wire, tool_to_wire};
constexpr RecordForm kForm2{389, 390, 391, 6, sizeof(toolrec2_t), sizeof(toolrec2_t),
                            raw_from_wire, raw_to_wire};

// *count grows as records arrive. A reply's result is tested only once its
// records are stored, so the records of a failing reply still count; a reply
// that claims more records than it holds is EW_SIZE.
void read_records(Call& c, const RecordForm& f, int16_t first, int16_t* count, void* out) {
  expect(first >= 1, EW_RANGE);
  const int wanted = std::max<int>(*count, 0);
  *count = 0;
  for (int got = 0; got < wanted;) {
    const int ask = std::min(wanted - got, f.per);
    c.reset();
    c.add(cnc(f.read).args(first + got, ask));
    c.exchange();
    const Reader d = c.rbAny(0);
    const int claimed = d.size() >= 4 ? std::clamp<int32_t>(d.i32(0), 0, ask) : 0;
    const int held = d.size() >= 4 ? int((d.size() - 4) / f.wire) : 0;
    const int n = std::min(claimed, held);
    for (int i = 0; i < n; ++i)
      f.from_wire(c.h, d.sub(4 + int(f.wire) * i, int(f.wire)),
                  static_cast<uint8_t*>(out) + f.caller * size_t(got + i));
    got += n;
    *count = int16_t(got);
    c.rb(0);
    expect(n == claimed, EW_SIZE);
    if (n == 0) break;
  }
}

void register_records(Call& c, const RecordForm& f, int16_t first, int16_t* count, const void* in) {
  expect(first >= 1, EW_RANGE);
  const int total = std::max<int>(*count, 0);
  *count = 0;
  for (int done = 0; done < total;) {
    const int n = std::min(total - done, f.per);
    c.reset();
    RbData d = c.add(cnc(f.reg).arg1(first + done));
    for (int i = 0; i < n; ++i) f.to_wire(c.h, static_cast<const uint8_t*>(in) + f.caller * size_t(done + i), d);
    c.exchange();
    c.rb(0);
    done += n;
    *count = int16_t(done);
  }
}

void write_record(Call& c, const RecordForm& f, int16_t number, const void* in) {
  expect(number >= 1, EW_RANGE);
  RbData d = c.add(cnc(f.write).arg1(number));
  f.to_wire(c.h, in, d);
  c.exchange();
  c.rb(0);
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdtool(uint16_t h, int16_t first, int16_t* count, toolrec_t* out) {
  return call(h, __func__, args(first, oz::count(count), out),
              [&](Call& c) { read_records(c, kForm1, first, count, out); });
}
OZ_EXPORT int16_t OZ_CALL cnc_regtool(uint16_t h, int16_t first, int16_t* count, const toolrec_t* in) {
  return call(h, __func__, args(first, oz::count(count), in),
              [&](Call& c) { register_records(c, kForm1, first, count, in); });
}
OZ_EXPORT int16_t OZ_CALL cnc_wrtool(uint16_t h, int16_t number, const toolrec_t* in) {
  return call(h, __func__, args(number, in), [&](Call& c) { write_record(c, kForm1, number, in); });
}
OZ_EXPORT int16_t OZ_CALL cnc_rdtool_f2(uint16_t h, int16_t first, int16_t* count, toolrec2_t* out) {
  return call(h, __func__, args(first, oz::count(count), out),
              [&](Call& c) { read_records(c, kForm2, first, count, out); });
}
OZ_EXPORT int16_t OZ_CALL cnc_regtool_f2(uint16_t h, int16_t first, int16_t* count, const toolrec2_t* in) {
  return call(h, __func__, args(first, oz::count(count), in),
              [&](Call& c) { register_records(c, kForm2, first, count, in); });
}
OZ_EXPORT int16_t OZ_CALL cnc_wrtool_f2(uint16_t h, int16_t number, const toolrec2_t* in) {
  return call(h, __func__, args(number, in), [&](Call& c) { write_record(c, kForm2, number, in); });
}

OZ_EXPORT int16_t OZ_CALL cnc_deltool(uint16_t h, int16_t num, int16_t* value) {
  return call(h, __func__, args(num, oz::count(value)), [&](Call& c) {
    expect(num >= 1 || c.h.has(kDialectCurrent), EW_RANGE);
    *value = int16_t(c.exchange(cnc(330).args(num, *value)).i32(0));
  });
}

// Narrow fields travel from the item's 16-bit value, the others from its
// 32-bit one; a kind the record does not know goes as 32-bit.
OZ_EXPORT int16_t OZ_CALL cnc_wrtool2(uint16_t h, int16_t number, const toolitem_t* in) {
  return call(h, __func__, args(number, in), [&](Call& c) {
    expect(number >= 1, EW_RANGE);
    const bool narrow = in->kind >= 0 && in->kind < toolrec::kFieldCount &&
                        toolrec::kFields[in->kind].caller_width < 4;
    c.add(cnc(333).arg1(number)).i32(in->kind).i32(narrow ? in->value16 : in->value32);
    c.exchange();
    c.rb(0);
  });
}

// ---- magazines and pots -----------------------------------------------------------------

namespace {

// Entries a magazine request carries: 118 of 12 bytes fit one RB's data.
constexpr int kMagazineEntries = 118;
// Edge records a request asks room for (64 bytes each).
constexpr int kEdgeRecords = 22;

magazine_t magazine_at(const Reader& d, int i) { return {d.i32(12 * i), d.i32(12 * i + 4), d.i32(12 * i + 8)}; }

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_regmagazine(uint16_t h, int16_t* count, const magazine_t* in) {
  return call(h, __func__, args(oz::count(count), in), [&](Call& c) {
    expect_range(*count, 1, kMagazineEntries);
    RbData d = c.add(cnc(334));
    for (int i = 0; i < *count; ++i) d.i32(in[i].magazine).i32(in[i].pot).i32(in[i].tool_num);
    c.exchange();
    *count = c.rb(0).i16(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_delmagazine(uint16_t h, int16_t* count, magazine_t* io) {
  return call(h, __func__, args(oz::count(count), io), [&](Call& c) {
    expect_range(*count, 1, kMagazineEntries);
    RbData d = c.add(cnc(335));
    for (int i = 0; i < *count; ++i) d.i32(io[i].magazine).i32(io[i].pot);
    c.exchange();
    const Reader r = c.rb(0);
    const int n = items(r, 4, *count);
    for (int i = 0; i < n; ++i) io[i].tool_num = r.i32(4 * i);
    *count = int16_t(n);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdmagazine(uint16_t h, int16_t* top, int16_t* count, magazine_t* out) {
  return call(h, __func__, args(oz::count(top), oz::count(count), out), [&](Call& c) {
    expect_range(*count, 1, kMagazineEntries);
    c.add(cnc(336).args(*top, *count)).zeros(12 * size_t(*count));
    c.exchange();
    const Reader r = c.rb(0);
    const int n = items(r, 12, *count);
    for (int i = 0; i < n; ++i) out[i] = magazine_at(r, i);
    *count = int16_t(n);
    *top = int16_t(*top + n);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wrmagazine(uint16_t h, int16_t magazine, int16_t pot, int16_t tool_num) {
  return call(h, __func__, args(magazine, pot, tool_num), [&](Call& c) {
    c.add(cnc(337).arg1(magazine)).i16(pot).i16(tool_num);
    c.exchange();
    c.rb(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_btlfpotsrh(uint16_t h, int16_t magazine, int16_t pot, int16_t kind,
                                         int16_t* found) {
  return call(h, __func__, args(magazine, pot, kind, found), [&](Call& c) {
    c.add(cnc(239).args(magazine, pot)).i16(kind);
    c.exchange();
    *found = c.rb(0).i16(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdhdnxt(uint16_t h, int32_t* current, int32_t* next) {
  return call(h, __func__, args(current, next), [&](Call& c) {
    const Reader d = c.exchange(cnc(416));
    const int32_t v[2] = {d.i32(0), d.i32(4)};
    *current = v[0];
    *next = v[1];
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_tool_move(uint16_t h, const int32_t places[2], int32_t* result) {
  return call(h, __func__, args(places, result), [&](Call& c) {
    c.add(cnc(544)).i32(places[0]).i32(places[1]);
    c.exchange();
    *result = c.rb(0).i32(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_reg_toolstrage(uint16_t h, uint8_t selector, const magazine_t* in) {
  return call(h, __func__, args(selector, in), [&](Call& c) {
    c.add(cnc(547).arg1(selector)).i32(in->magazine).i32(in->pot).i32(in->tool_num);
    c.exchange();
    c.rb(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdedgedata(uint16_t h, int16_t number, int16_t* count, void* buf) {
  return call(h, __func__, args(number, oz::count(count), buf), [&](Call& c) {
    expect_range(*count, 1, kEdgeRecords);
    c.add(cnc(650).args(number, *count)).zeros(64 * size_t(*count));
    c.exchange();
    const Reader r = c.rb(0);
    const int n = items(r, 64, *count);
    r.copy(buf, 0, 64 * size_t(n));
    *count = int16_t(n);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wredgedata2(uint16_t h, int16_t number, int16_t edge, int32_t kind,
                                          int32_t value) {
  return call(h, __func__, args(number, edge, kind, value), [&](Call& c) {
    c.add(cnc(651).args(number, edge)).i32(kind).i32(value);
    c.exchange();
    c.rb(0);
  });
}

#define MACHINE_TOOLDATA_ROWS(X)                                   \
  X(cnc_rdctname, Read, 1, (414), selector)                        \
  X(cnc_rdtlname, Read, 1, (415), selector)                        \
  X(cnc_rdinterference, Read, 1, (236))                            \
  X(cnc_wrtoolgeom_tlm, Write, 1, (237), number)                   \
  X(cnc_rdtoolgeom_tlm, Read, 1, (238), number)                    \
  X(cnc_rdmag_property, Read, 1, (536), first, count)              \
  X(cnc_wrmag_property, Write, 1, (537))                           \
  X(cnc_delmag_property, Write, 1, (538))                          \
  X(cnc_rdpot_property, Read, 1, (539), first, count)              \
  X(cnc_wrpot_property, Write, 1, (540))                           \
  X(cnc_delpot_property, Write, 1, (541))                          \
  X(cnc_rdedgeactive, Read, 1, (785))
MACHINE_TOOLDATA_ROWS(OZ_LISTED_DEFINE)
OZ_LISTED_TABLE(machine_tooldata, MACHINE_TOOLDATA_ROWS)
