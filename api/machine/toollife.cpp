// Tool life management: numbered groups, each an ordered list of tools with
// a life and a count. Single values, tool entries, range reads and writes of
// the group table, and the group-table forms that newer controllers answer
// under their own commands.
#include <algorithm>

#include "api/state/data_common.h"
#include "api/state/state.h"
#include "core/listed.h"

using namespace oz;
using namespace oz::state;

static_assert(sizeof(lifevalue_t) == 8 && offsetof(lifevalue_t, data) == 4);
static_assert(sizeof(grpvalue_t) == 8 && offsetof(grpvalue_t, data) == 4);
static_assert(sizeof(toolvalue_t) == 8 && offsetof(toolvalue_t, index) == 2 &&
              offsetof(toolvalue_t, data) == 4);
static_assert(sizeof(tlifedat_t) == 20 && offsetof(tlifedat_t, index) == 2 &&
              offsetof(tlifedat_t, tool_num) == 4 && offsetof(tlifedat_t, h_code) == 8 &&
              offsetof(tlifedat_t, d_code) == 12 && offsetof(tlifedat_t, tool_inf) == 16);
static_assert(sizeof(tlifedat2_t) == 24 && offsetof(tlifedat2_t, index) == 4 &&
              offsetof(tlifedat2_t, word) == 8 && offsetof(tlifedat2_t, h_code) == 12 &&
              offsetof(tlifedat2_t, d_code) == 16 && offsetof(tlifedat2_t, tool_inf) == 20);
static_assert(sizeof(usegrp_t) == 16 && offsetof(usegrp_t, data) == 4);
static_assert(sizeof(grpid_t) == 12 && offsetof(grpid_t, tool_num) == 4 && offsetof(grpid_t, group) == 8);
static_assert(sizeof(grpid1_t) == 8 && offsetof(grpid1_t, tool_num) == 2 && offsetof(grpid1_t, group) == 4);
static_assert(offsetof(tlrange_head_t, last) == 4 && sizeof(tlrange_head_t) == 8);
static_assert(offsetof(toolrng_t, data) == 8 && sizeof(toolrng_t::data[0]) == 12);
static_assert(offsetof(grpinfo_t, data) == 8 && sizeof(grpinfo_t::data[0]) == 16);
static_assert(offsetof(usetlno_t, data) == 8 && offsetof(wrgrpinfo_t, data) == 8 &&
              sizeof(wrgrpinfo_t::data[0]) == 20);
static_assert(sizeof(instlfdt_t) == 8 && sizeof(tlgrptool_t) == 20);

namespace {

constexpr uint16_t kUseTool = 71, kUseGroup = 72, kUseToolRange = 73, kTableSizes = 74,
                   kWriteGroups = 76, kEntry2 = 77, kWriteEntry2 = 78, kEntry1 = 79,
                   kWriteEntry1 = 80, kWriteCounts = 81, kGroups = 139;

Rb entry1(int32_t group, int32_t index) { return cnc(kEntry1).args(group, index); }
Rb entry2(int32_t group, int32_t index) { return cnc(kEntry2).args(group, index, index); }

// ---- single values -----------------------------------------------------------------

// The table sizes are three words of one reply; the two maxima are handed
// back as 16-bit values.
int16_t table_size(uint16_t h, const char* fn, int at, lifevalue_t* out) {
  return call(h, fn, args(out), [&](Call& c) {
    const int32_t v = c.exchange(cnc(kTableSizes)).i32(at);
    if (at == 0) out->data.l = v;
    else out->data.w = int16_t(v);
  });
}

// One group record; a header word of 0 means the controller has no such group.
int16_t group_value(uint16_t h, const char* fn, int at, int16_t group, grpvalue_t* out) {
  return call(h, fn, args(group, out), [&](Call& c) {
    Reader d = c.exchange(cnc(kGroups).args(group, group));
    const uint32_t head = d.u32(0);
    const int32_t v = head == 0 ? 0 : d.i32(at);
    out->found = int16_t(head);
    out->data = v;
  });
}

// One tool entry; a first word of 0 means the entry does not exist.
int16_t tool_value(uint16_t h, const char* fn, bool second, int at, int16_t group, int16_t index,
                   toolvalue_t* out) {
  return call(h, fn, args(group, index, out), [&](Call& c) {
    Reader d = c.exchange(second ? entry2(group, index) : entry1(group, index));
    const auto first = int16_t(d.u32(0));
    const auto echo = int16_t(d.u32(4));
    const int32_t v = first == 0 ? 0 : d.i32(at);
    out->group = first;
    out->index = echo;
    out->data = v;
  });
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdngrp(uint16_t h, lifevalue_t* out) { return table_size(h, __func__, 0, out); }
OZ_EXPORT int16_t OZ_CALL cnc_rdmaxgrp(uint16_t h, lifevalue_t* out) { return table_size(h, __func__, 4, out); }
OZ_EXPORT int16_t OZ_CALL cnc_rdmaxtool(uint16_t h, lifevalue_t* out) { return table_size(h, __func__, 8, out); }

OZ_EXPORT int16_t OZ_CALL cnc_rdntool(uint16_t h, int16_t group, grpvalue_t* out) {
  return group_value(h, __func__, 4, group, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdlife(uint16_t h, int16_t group, grpvalue_t* out) {
  return group_value(h, __func__, 12, group, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdcount(uint16_t h, int16_t group, grpvalue_t* out) {
  return group_value(h, __func__, 20, group, out);
}

OZ_EXPORT int16_t OZ_CALL cnc_rd1length(uint16_t h, int16_t group, int16_t index, toolvalue_t* out) {
  return tool_value(h, __func__, false, 12, group, index, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rd1radius(uint16_t h, int16_t group, int16_t index, toolvalue_t* out) {
  return tool_value(h, __func__, false, 16, group, index, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_t1info(uint16_t h, int16_t group, int16_t index, toolvalue_t* out) {
  return tool_value(h, __func__, false, 20, group, index, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rd2length(uint16_t h, int16_t group, int16_t index, toolvalue_t* out) {
  return tool_value(h, __func__, true, 12, group, index, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rd2radius(uint16_t h, int16_t group, int16_t index, toolvalue_t* out) {
  return tool_value(h, __func__, true, 16, group, index, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_t2info(uint16_t h, int16_t group, int16_t index, toolvalue_t* out) {
  return tool_value(h, __func__, true, 20, group, index, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_toolnum(uint16_t h, int16_t group, int16_t index, toolvalue_t* out) {
  return tool_value(h, __func__, true, 8, group, index, out);
}

// ---- whole tool entries ------------------------------------------------------------

OZ_EXPORT int16_t OZ_CALL cnc_rd2tlifedata(uint16_t h, int16_t group, int16_t index, tlifedat_t* out) {
  return call(h, __func__, args(group, index, out), [&](Call& c) {
    Reader d = c.exchange(entry2(group, index));
    const tlifedat_t t{int16_t(d.u32(0)), int16_t(d.u32(4)), d.i32(8), d.i32(12), d.i32(16), d.i32(20)};
    *out = t;
  });
}

// The entry's value words count only where the entry exists; the tool index
// field is the caller's and stays as it was.
OZ_EXPORT int16_t OZ_CALL cnc_rd1tlifedat2(uint16_t h, int16_t group, int32_t index, tlifedat2_t* out) {
  return call(h, __func__, args(group, index, out), [&](Call& c) {
    Reader d = c.exchange(entry1(group, index));
    const auto grp = int16_t(d.u32(0));
    const int32_t word = d.i32(4);
    int32_t v[3] = {0, 0, 0};
    if (grp != 0)
      for (int k = 0; k < 3; ++k) v[k] = d.i32(12 + 4 * k);
    out->group = grp;
    out->word = word;
    out->h_code = v[0];
    out->d_code = v[1];
    out->tool_inf = v[2];
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rd1tlifedata(uint16_t h, int16_t group, int16_t index, tlifedat_t* out) {
  tlifedat2_t t{};
  const int16_t r = cnc_rd1tlifedat2(h, group, index, &t);
  if (r != EW_SUCCESS) return r;
  out->group = t.group;
  out->tool_num = t.word;
  out->h_code = t.h_code;
  out->d_code = t.d_code;
  out->tool_inf = t.tool_inf;
  return EW_SUCCESS;
}

namespace {

void put_words(RbData d, int32_t a, int32_t b, int32_t c, int32_t e) { d.i32(a).i32(b).i32(c).i32(e); }

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_wr2tlifedata(uint16_t h, const tlifedat_t* in) {
  return call(h, __func__, args(in), [&](Call& c) {
    put_words(c.add(cnc(kWriteEntry2).args(in->group, in->index, in->index)), in->tool_num,
              in->h_code, in->d_code, in->tool_inf);
    c.exchange();
    c.rb(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wr1tlifedat2(uint16_t h, const tlifedat2_t* in) {
  return call(h, __func__, args(in), [&](Call& c) {
    put_words(c.add(cnc(kWriteEntry1).args(in->group, in->index)), in->word, in->h_code,
              in->d_code, in->tool_inf);
    c.exchange();
    c.rb(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wr1tlifedata(uint16_t h, const tlifedat_t* in) {
  const tlifedat2_t t{in->group, 0, in->index, in->tool_num, in->h_code, in->d_code, in->tool_inf};
  return cnc_wr1tlifedat2(h, &t);
}

// ---- ranges of groups ----------------------------------------------------------------

namespace {

// A range read: the command, groups per request, reply bytes per group (after
// a 4-byte header) and the caller's item, filled from one group's reply bytes.
struct RangeRead {
  uint16_t cmd;
  int per;
  int record;
  int item;
  void (*put)(void* out, size_t at, const Reader& rec);
};

void put_toolrng(void* out, size_t at, const Reader& r) {
  store(out, at, r.i32(0));
  store(out, at + 4, r.i32(8));
  store(out, at + 8, r.i32(16));
}
void put_grpinfo(void* out, size_t at, const Reader& r) {
  put_toolrng(out, at, r);
  store(out, at + 12, r.i32(12));
}
void put_usetlno(void* out, size_t at, const Reader& r) { store(out, at, r.i32(0)); }

constexpr RangeRead kToolRng{kGroups, 44, 32, 12, put_toolrng};
constexpr RangeRead kGrpInfo{kGroups, 44, 32, 16, put_grpinfo};
constexpr RangeRead kUseTlNo{kUseToolRange, 357, 4, 4, put_usetlno};

// A result of 3 after some groups ends the range; the caller's length is
// tested against each reply before any of it is stored.
void range_read(Call& c, const RangeRead& k, int16_t s, int16_t e, int16_t length, void* out) {
  expect(s >= 1 && s <= e, EW_RANGE);
  int stored = 0;
  for (int first = s; first <= e;) {
    const int asked = std::min(e - first + 1, k.per);
    const data::Reply rep = data::exchangeTolerant(c, cnc(k.cmd).args(first, first + asked - 1));
    if (rep.result == EW_RANGE && stored > 0) break;
    if (rep.result != 0) c.rb(0);
    const int got = std::clamp((rep.data.size() - 4) / k.record, 0, asked);
    expect(length >= 8 + k.item * (stored + got), EW_SIZE);
    for (int i = 0; i < got; ++i)
      k.put(out, 8 + size_t(k.item) * size_t(stored + i), rep.data.sub(4 + k.record * i, k.record));
    stored += got;
    if (got < asked) break;
    first += asked;
  }
  store(out, 0, s);
  store(out, 4, int16_t(s + stored - 1));
}

// A range write sends the caller's items as they are, 32-bit word by word.
void range_write(Call& c, uint16_t cmd, int per, int item, int16_t length, const void* in) {
  expect(length >= 8, EW_SIZE);
  const int s = load<int16_t>(in, 0), e = load<int16_t>(in, 4);
  expect(s <= e, EW_RANGE);
  expect(length >= 8 + item * (e - s + 1), EW_SIZE);
  int written = 0;
  for (int first = s; first <= e;) {
    const int n = std::min(e - first + 1, per);
    c.reset();
    RbData d = c.add(cnc(cmd).args(first, first + n - 1));
    const size_t from = 8 + size_t(item) * size_t(first - s);
    for (size_t b = 0; b < size_t(item) * size_t(n); b += 4) d.i32(load<int32_t>(in, from + b));
    c.exchange();
    if (c.result(0) == EW_RANGE && written > 0) break;
    c.rb(0);
    written += n;
    first += n;
  }
}

int16_t range_call(uint16_t h, const char* fn, const RangeRead& k, int16_t s, int16_t e,
                   int16_t length, void* out) {
  return call(h, fn, args(s, e, length, out), [&](Call& c) { range_read(c, k, s, e, length, out); });
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdtoolrng(uint16_t h, int16_t first, int16_t last, int16_t length,
                                        toolrng_t* out) {
  return range_call(h, __func__, kToolRng, first, last, length, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdgrpinfo(uint16_t h, int16_t first, int16_t last, int16_t length,
                                        grpinfo_t* out) {
  return range_call(h, __func__, kGrpInfo, first, last, length, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdusetlno(uint16_t h, int16_t first, int16_t last, int16_t length,
                                        usetlno_t* out) {
  return range_call(h, __func__, kUseTlNo, first, last, length, out);
}

OZ_EXPORT int16_t OZ_CALL cnc_wrcountr(uint16_t h, int16_t length, const usetlno_t* in) {
  return call(h, __func__, args(length, in),
              [&](Call& c) { range_write(c, kWriteCounts, 357, 4, length, in); });
}
OZ_EXPORT int16_t OZ_CALL cnc_wrgrpinfo(uint16_t h, int16_t length, const wrgrpinfo_t* in) {
  return call(h, __func__, args(length, in),
              [&](Call& c) { range_write(c, kWriteGroups, 44, 20, length, in); });
}

// ---- groups in use, deletion and insertion ---------------------------------------------

OZ_EXPORT int16_t OZ_CALL cnc_rdusegrpid(uint16_t h, usegrp_t* out) {
  return call(h, __func__, args(out), [&](Call& c) {
    Reader d = c.exchange(cnc(kUseGroup));
    const int32_t w[3] = {d.i32(0), d.i32(4), d.i32(8)};
    std::copy(w, w + 3, out->data);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdgrpid2(uint16_t h, int32_t tool_num, grpid_t* out) {
  return call(h, __func__, args(tool_num, out), [&](Call& c) {
    const int32_t group = c.exchange(cnc(kUseTool).arg1(tool_num)).i32(0);
    out->tool_num = tool_num;
    out->group = group;
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdgrpid(uint16_t h, int16_t tool_num, grpid1_t* out) {
  return call(h, __func__, args(tool_num, out), [&](Call& c) {
    const int32_t group = c.exchange(cnc(kUseTool).arg1(tool_num)).i32(0);
    out->tool_num = tool_num;
    out->group = group;
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_deltlifegrp(uint16_t h, int16_t group) {
  return call(h, __func__, args(group), [&](Call& c) { c.exchange(cnc(83).arg1(group)); });
}
OZ_EXPORT int16_t OZ_CALL cnc_deltlifedt(uint16_t h, int16_t group, int16_t index) {
  return call(h, __func__, args(group, index), [&](Call& c) { c.exchange(cnc(85).args(group, index)); });
}
OZ_EXPORT int16_t OZ_CALL cnc_clrcntinfo(uint16_t h, int16_t first, int16_t second) {
  return call(h, __func__, args(first, second), [&](Call& c) { c.exchange(cnc(82).args(first, second)); });
}
OZ_EXPORT int16_t OZ_CALL cnc_instlifedt(uint16_t h, const instlfdt_t* in) {
  return call(h, __func__, args(in),
              [&](Call& c) { c.exchange(cnc(84).args(in->group, in->index, in->tool_num)); });
}

// ---- the tools of a group -------------------------------------------------------------

namespace {

// Tool entries asked for in one PDU: 100 replies of 40 bytes stay well
// inside a reply body.
constexpr int kToolsPerPdu = 100;

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdtoolgrp(uint16_t h, int16_t group, int16_t* length, tlgrptool_t* out) {
  return call(h, __func__, args(group, oz::count(length), out), [&](Call& c) {
    expect(*length >= int(sizeof(tlgrptool_t)), EW_SIZE);
    Reader g = c.exchange(cnc(kGroups).args(group, group));
    const int ntool = g.u32(0) == 0 ? 0 : g.i32(4);
    const int n = std::clamp(ntool, 0, *length / int(sizeof(tlgrptool_t)));
    for (int first = 1; first <= n; first += kToolsPerPdu) {
      const int last = std::min(n, first + kToolsPerPdu - 1);
      c.reset();
      for (int i = first; i <= last; ++i) c.add(entry2(group, i));
      c.exchange();
      for (int i = first; i <= last; ++i) {
        Reader d = c.rb(i - first);
        out[i - 1] = tlgrptool_t{d.i32(4), d.i32(8), d.i32(12), d.i32(16), d.i32(20)};
      }
    }
    *length = int16_t(n * int(sizeof(tlgrptool_t)));
  });
}

// ---- group-table forms ------------------------------------------------------------------

namespace {

// Newer controllers answer the group table under commands of their own; the
// reply is the controller's and is handed over as bytes.
struct TableForm {
  uint16_t current, older;
  uint16_t pick(const Handle& h) const { return h.has(kDialectCurrent) ? current : older; }
};

int16_t table_read(uint16_t h, const char* fn, TableForm f, int32_t a1, int32_t a2, int16_t* length,
                   void* buf) {
  return call(h, fn, args(a1, a2, oz::count(length), buf), [&](Call& c) {
    expect(length != nullptr && *length >= 0, EW_SIZE);
    expect(*length == 0 || buf != nullptr, EW_SIZE);
    Reader d = c.exchange(cnc(f.pick(c.h)).args(a1, a2));
    *length = int16_t(d.copy(buf, 0, size_t(*length)));
  });
}

int16_t table_write(uint16_t h, const char* fn, TableForm f, int32_t a1, int32_t a2, int16_t length,
                    const void* buf) {
  return call(h, fn, args(a1, a2, length, buf), [&](Call& c) {
    expect(length >= 0 && (length == 0 || buf != nullptr), EW_SIZE);
    c.exchange(cnc(f.pick(c.h)).args(a1, a2).with(buf, uint16_t(length)));
  });
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdgrpinfo2(uint16_t h, int32_t first, int32_t last, int16_t* length, void* buf) {
  return table_read(h, __func__, {447, kGroups}, first, last, length, buf);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdgrpinfo3(uint16_t h, int32_t first, int32_t last, int16_t* length, void* buf) {
  return table_read(h, __func__, {448, kGroups}, first, last, length, buf);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdgrpinfo4(uint16_t h, int32_t first, int32_t last, int16_t* length, void* buf) {
  return table_read(h, __func__, {449, kGroups}, first, last, length, buf);
}
OZ_EXPORT int16_t OZ_CALL cnc_wrgrpinfo2(uint16_t h, int32_t first, int32_t last, int16_t length,
                                         const void* buf) {
  return table_write(h, __func__, {450, kWriteGroups}, first, last, length, buf);
}
OZ_EXPORT int16_t OZ_CALL cnc_wrgrpinfo3(uint16_t h, int32_t first, int32_t last, int16_t length,
                                         const void* buf) {
  return table_write(h, __func__, {451, kWriteGroups}, first, last, length, buf);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdtlinfo(uint16_t h, int16_t* length, void* buf) {
  return table_read(h, __func__, {452, kTableSizes}, 0, 0, length, buf);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdtlusegrp(uint16_t h, int16_t* length, void* buf) {
  return table_read(h, __func__, {453, kUseGroup}, 0, 0, length, buf);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdtlgrp(uint16_t h, int32_t group, int16_t* length, void* buf) {
  return table_read(h, __func__, {447, kGroups}, group, group, length, buf);
}

#define MACHINE_TOOLLIFE_ROWS(X)                        \
  X(cnc_rdtltool, Read, 1, (77), group, first, last)    \
  X(cnc_rdexchgtgrp, Read, 1, (212))
MACHINE_TOOLLIFE_ROWS(OZ_LISTED_DEFINE)
OZ_LISTED_TABLE(machine_toollife, MACHINE_TOOLLIFE_ROWS)
