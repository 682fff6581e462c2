// Parameters, settings and diagnostics against the fake controller: the three
// dialects, element sizes, write slots, range splitting and the info calls.
#include "tests/support.h"

namespace oz::test {
namespace {

using sim::RbReply;
using sim::RbRequest;

// One reply entry: number, axis field, type code, elements of esize bytes
// (value, then for 8-byte elements a word and the decimal places).
RbReply entry(int32_t no, int16_t axis, uint16_t type, std::vector<std::pair<int32_t, int16_t>> el, int esize = 8,
              RbReply r = {}) {
  r.i32(no).i16(axis).u16(type);
  for (auto [v, dec] : el) {
    r.i32(v);
    if (esize == 8) r.i16(10).i16(dec);
  }
  return r;
}
// A second-form info entry: number, type, attribute (2: spindle), zeros.
RbReply info2(int32_t no, uint16_t type, uint16_t attr) {
  RbReply r = RbReply().i32(0).i32(0).i32(no).u16(type).u16(attr);
  for (int i = 0; i < 6; ++i) r.u16(0);
  return r;
}
param_t* record(Arena& a, int16_t no, int16_t type, std::vector<uint8_t> values) {
  param_t p{};
  p.datano = no;
  p.type = type;
  if (!values.empty()) std::memcpy(&p.u, values.data(), values.size());
  return a.in(p);
}
param_t* reals(Arena& a, int16_t no, std::initializer_list<int32_t> v, int32_t dec) {
  param_t p{};
  p.datano = no;
  p.type = -1;
  int i = 0;
  for (int32_t x : v) p.u.rdatas[i++] = {x, dec};
  return a.in(p);
}
Req withA5(Req r) {
  r.a5 = 1;
  return r;
}
std::function<void(Handle&)> dialect(uint32_t flag, int spindles = 0, int axes = 0) {
  return [=](Handle& h) {
    setDialect(h, flag);
    if (spindles) setPathWord(h, 16, uint16_t(spindles));
    if (axes) setPathWord(h, 12, uint16_t(axes));
  };
}
std::vector<At> header(int16_t no, int16_t type, std::vector<uint8_t> values = {}) {
  return {at(0, no), at(2, type), at(4, std::move(values))};
}

// Reads lay the values out by type: bit and byte 1, word 2, two-word 4, real 8.
std::vector<Row> readRows() {
  struct Read {
    const char* name;
    uint32_t dialect;
    uint16_t cmd;
    bool diag;
    int16_t axisField;
    uint16_t code;
    int esize;
    std::vector<std::pair<int32_t, int16_t>> el;
    int16_t wantType;
    std::vector<uint8_t> values;
  };
  const Read reads[] = {
      {"CurrentWord", kDialectCurrent, 141, false, 0, 2, 8, {{-2, 0}}, 0, {0xFE, 0xFF}},
      {"CompactTwoWordPerAxis", kDialectCompact, 14, false, -1, 3, 4, {{1, 0}, {-1, 0}, {0x01020304, 0}}, -1,
       {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1}},
      {"CompactRealKeepsEightBytes", kDialectCompact, 14, false, 0, 4, 8, {{12345, -3}}, 0,
       {0x39, 0x30, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF}},
      {"PackedTypeWord", kDialectPacked, 141, false, -1, 1, 8, {{7, 0}, {8, 0}, {9, 0}}, int16_t(0x01FF), {7, 8, 9}},
      {"DiagCode5IsReal", kDialectCurrent, 147, true, 0, 5, 8, {{100, 2}}, 0, {100, 0, 0, 0, 2, 0, 0, 0}},
      {"DiagCode3IsOneByte", kDialectCurrent, 147, true, 0, 3, 8, {{0x1FF, 0}}, 0, {0xFF}},
      {"DiagCode0IsByte", kDialectCompact, 48, true, 0, 0, 4, {{5, 0}}, 0, {5}},
      {"DiagCode6IsNotDecoded", kDialectCurrent, 147, true, 0, 6, 8, {{5, 0}}, 0, {}}};
  std::vector<Row> rows;
  for (const Read& k : reads) {
    const int16_t len = int16_t(4 + k.values.size());
    const bool diag = k.diag;
    rows.push_back({k.name, {{k.cmd, entry(1234, k.axisField, k.code, k.el, k.esize)}},
                    [diag, len](uint16_t h, Arena& a) {
                      auto* p = a.out<param_t>();
                      return diag ? cnc_diagnoss(h, 1234, 2, len, p) : cnc_rdparam(h, 1234, 2, len, p);
                    },
                    0, {{k.cmd, 1234, 1234, 2}}, header(1234, k.wantType, k.values), {}, dialect(k.dialect)});
  }
  return rows;
}
OZ_ROWS(ParamRead, readRows());

RbReply spindleInfo = RbReply().i32(4899).i32(4901).i32(4900).u16(3).u16(2).u16(0).u16(0).u16(0).u16(0).u16(0).u16(0);

const Row kRows[] = {
    {"SetReadsCommand144", {{144, entry(10, 0, 1, {{3, 0}})}}, OZ_DO(cnc_rdset(h, 10, 0, 5, a.out<param_t>())), 0,
     {{144, 10, 10}}, header(10, 0, {3})},
    {"FlagGoesAsArgument5", {{141, entry(10, 0, 1, {{3, 0}})}}, OZ_DO(cnc_rdparam3(h, 10, 0, 5, 7, a.out<param_t>())),
     0,
     {withA5({141, 10, 10})}, header(10, 0, {3})},
    // Spindle entries take the spindle count, except in the packed dialect.
    {"SpindleEntries", {{141, entry(4500, -1, 3, {{1, 0}, {2, 0}, {3, 0}})}},
     OZ_DO(cnc_rdparam(h, 4500, -1, 12, a.out<param_t>())),
     0, {{141, 4500, 4500, -1}}, header(4500, -1, {1, 0, 0, 0, 2, 0, 0, 0}), {}, dialect(kDialectCurrent, 2)},
    {"PackedSpindleEntriesPerAxis", {{141, entry(4500, -1, 3, {{1, 0}, {2, 0}, {3, 0}})}},
     OZ_DO(cnc_rdparam(h, 4500, -1, 16, a.out<param_t>())), 0, {{141, 4500, 4500, -1}},
     header(4500, 0x03FF, {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0}), {}, dialect(kDialectPacked, 2)},
    {"PackedSpindleEntriesLength", {{141, entry(4500, -1, 3, {{1, 0}, {2, 0}, {3, 0}})}},
     OZ_DO(cnc_rdparam(h, 4500, -1, 12, a.out<param_t>())), EW_SIZE, {{141, 4500, 4500, -1}}, header(4500, 0x03FF), {},
     dialect(kDialectPacked, 2)},
    // Numbers 4800-4999 ask their info entry first; a wrong-sized one is a
    // range error with a line of its own.
    {"Numbers4800AskTheInfo", {{160, spindleInfo}, {141, entry(4900, -1, 2, {{1, 0}, {2, 0}, {3, 0}})}},
     OZ_DO(cnc_rdparam(h, 4900, -1, 8, a.out<param_t>())), 0, {{160, 4900, 1}, {141, 4900, 4900, -1}},
     header(4900, -1, {1, 0, 2, 0}), {}, dialect(kDialectCurrent, 2)},
    {"Numbers4800WrongInfo", {{160, RbReply().i32(1)}}, OZ_DO(cnc_rdparam(h, 4900, -1, 8, a.out<param_t>())), EW_RANGE,
     {{160, 4900, 1}}, {}, {}, {},
     {"Error: cnc_rdparainfo({H}) in cnc_rdparam", "Error: {S}: inter_rdparam({H} 4900 -1 8 {P}): 3 0 0"}},
    // The length test needs the reply; the number is stored before the values.
    {"LengthAfterTheReply", {{141, entry(1, 0, 3, {{9, 0}})}}, OZ_DO(cnc_rdparam(h, 1, 0, 3, a.out<param_t>())),
     EW_SIZE,
     {{141, 1, 1}}},
    {"ValueBeyondTheLength", {{141, entry(1, 0, 3, {{9, 0}})}}, OZ_DO(cnc_rdparam(h, 1, 0, 7, a.out<param_t>())),
     EW_SIZE,
     {{141, 1, 1}}, header(1, 0)},
    {"Refused", {{141, RbReply::fail(6, 1, 2)}}, OZ_DO(cnc_rdparam(h, 1, 0, 8, a.out<param_t>())), 6, {{141, 1, 1}}},

    // The current dialect asks the type and sends a full slot.
    {"CurrentWrite", {{160, info2(1020, 4, 0)}, {142, RbReply()}},
     OZ_DO(cnc_wrparam3(h, 28, 1, reals(a, 1020, {1000, 1001, 1002}, 3))), 0,
     {{160, 1020, 1},
      withA5({142, 0, 0, 0, 0, Be().i32(1020).i16(-1).i16(4).i32(1000).i16(10).i16(3).i32(1001).i16(10).i16(3).i32(1002)
                                            .i16(10).i16(3).data})}},
    {"WriteLengthMustMatch", {{160, info2(1020, 4, 0)}}, OZ_DO(cnc_wrparam(h, 32, record(a, 1020, -1, {}))), EW_SIZE,
     {{160, 1020, 1}}},
    // Four-byte elements and the old info in the compact dialect.
    {"CompactWrite", {{16, RbReply().i32(0).i32(0).i32(6).u32(0x2)}, {15, RbReply()}},
     OZ_DO(cnc_wrparam(h, 6, record(a, 6, 0, {0xFB, 0xFF}))), 0,
     {{16, 6, 1}, {15, 0, 0, 0, 0, Be().i32(6).i16(0).i16(2).i32(-5).i32(0).i32(0).data}}, {}, {},
     dialect(kDialectCompact)},
    {"CompactWriteWrongInfo", {{16, RbReply().i32(0)}}, OZ_DO(cnc_wrparam(h, 6, record(a, 6, 0, {0xFB, 0xFF}))),
     EW_RANGE,
     {{16, 6, 1}}, {}, {}, dialect(kDialectCompact), {"Error: cnc_rdparainfo({H}) in cnc_wrparam"}},
    // The packed dialect takes type and axis from the record (byte, every axis).
    {"PackedWrite", {{145, RbReply()}}, OZ_DO(cnc_wrset(h, 7, record(a, -2, 0x01FE, {1, 0xFF, 3}))), 0,
     {{145, 0, 0, 0, 0,
       Be().i32(-2).i16(-2).i16(1).i32(1).i16(0).i16(-1).i32(-1).i16(0).i16(-1).i32(3).i16(0).i16(-1).data}}, {}, {},
     dialect(kDialectPacked)},
    // Spindle writes count spindles only when the path has fewer axes than the controller.
    {"SpindleWriteAxisCount", {{160, info2(4020, 3, 2)}}, OZ_DO(cnc_wrparam(h, 12, record(a, 4020, -1, {}))), EW_SIZE,
     {{160, 4020, 1}}, {}, {}, dialect(kDialectCurrent, 2)},
    {"SpindleWrite", {{160, info2(4020, 3, 2)}, {142, RbReply()}}, OZ_DO(cnc_wrparam(h, 16, record(a, 4020, -1, {}))),
     0, {{160, 4020, 1}, {142, 0, 0, 0, 0, Be().i32(4020).i16(-1).i16(3).i32(0).i16(0).i16(-1).i32(0).i16(0).i16(-1).i32(0).i16(0).i16(-1).data}},
     {}, {}, dialect(kDialectCurrent, 2)},
    {"SpindleWriteFewerAxes", {{160, info2(4020, 3, 2)}, {142, RbReply()}},
     OZ_DO(cnc_wrparam(h, 12, record(a, 4020, -1, {}))), 0,
     {{160, 4020, 1},
      {142, 0, 0, 0, 0, Be().i32(4020).i16(-1).i16(3).i32(0).i16(0).i16(-1).i32(0).i16(0).i16(-1).i32(0).i32(0).data}},
     {}, {}, dialect(kDialectCurrent, 2, 2)},

    {"NumberRangesTakeTheLowHalves", {{50, RbReply().i32(0x10000).i32(0x1FFFF).i32(42)}},
     OZ_DO(cnc_rddiagnum(h, a.out<paranum_t>())),
     0, {{50}}, {at(0, uint16_t(0)), at(2, uint16_t(0xFFFF)), at(4, uint16_t(42))}},
};
OZ_ROWS(ParamRows, kRows);

class Param : public FakeTest {};

// The next request starts after the last entry; result 3 ends the range.
TEST_F(Param, RangeReadFollowsTheLastEntryAndStopsOnResult3) {
  uint16_t h = open();
  int calls = 0;
  fake.on(1, 141, [&](const RbRequest& q) {
    if (++calls > 1) return RbReply::fail(3);
    // A byte entry, then a per-axis word entry, each in its 32-byte slot.
    return entry(q.a1 + 3, -1, 2, {{1, 0}, {2, 0}, {3, 0}}, 8, entry(q.a1, 0, 1, {{5, 0}, {0, 0}, {0, 0}}));
  });
  int16_t start = 100, end = 200, length = 100;
  uint8_t buf[100];
  sentinel(buf);
  ASSERT_EQ(EW_SUCCESS, cnc_rdparar(h, &start, -1, &end, &length, buf));
  expectRequests({{141, 100, 200, -1}, {141, 104, 200, -1}});
  // A byte padded to 4, three words padded to 8.
  EXPECT_EQ((std::array<int16_t, 3>{100, 103, 20}), (std::array<int16_t, 3>{start, end, length}));
  expectStored(buf, sizeof buf, {at(0, int16_t(100)), at(2, int16_t(0x0100)), at(4, uint8_t(5)), at(8, int16_t(103)),
                                 at(10, int16_t(0x02FF)), at(12, Be().i16(0x0100).i16(0x0200).i16(0x0300).data)});
}

TEST_F(Param, RangeReadArgumentAndLengthRules) {
  uint16_t h = open();
  int16_t start = 5, end = 4, length = 100;
  uint8_t buf[100];
  EXPECT_EQ(EW_RANGE, cnc_rdsetr(h, &start, 0, &end, &length, buf));
  EXPECT_TRUE(sent().empty());
  fake.reply(1, 147, entry(7, 0, 2, {{1, 0}, {0, 0}, {0, 0}}));   // diagnostic code 2: 2-word
  start = 7, end = 7, length = 7;
  EXPECT_EQ(EW_SIZE, cnc_diagnosr(h, &start, 0, &end, &length, buf));
  // Result 2 still carries data to decode; result 3 at once fails.
  RbReply two = entry(7, 0, 2, {{-9, 0}, {0, 0}, {0, 0}});
  two.result = 2;
  fake.reply(1, 147, two);
  start = 7, end = 7, length = 100;
  ASSERT_EQ(EW_SUCCESS, cnc_diagnosr(h, &start, 0, &end, &length, buf));
  EXPECT_EQ(8, length);
  EXPECT_EQ(0x0200, int16_t(buf[2] | buf[3] << 8));
  fake.reply(1, 147, RbReply::fail(3));
  EXPECT_EQ(EW_RANGE, cnc_diagnosr(h, &start, 0, &end, &length, buf));
}

TEST_F(Param, MultipleWriteBatchesSlotsPerRb) {
  uint16_t h = open();
  fake.reply(1, 142, RbReply());
  // 50 two-word records: 32-byte slots, 44 to an RB.
  std::vector<uint8_t> buf;
  for (int i = 0; i < 50; ++i) buf.insert(buf.end(), {uint8_t(i), 0, 0, 3, uint8_t(i), 0, 0, 0});
  ASSERT_EQ(EW_SUCCESS, cnc_wrparas(h, int16_t(buf.size()), buf.data()));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ((std::pair<size_t, size_t>{44 * 32, 6 * 32}), std::make_pair(q[0].data.size(), q[1].data.size()));
  EXPECT_EQ((std::vector<uint8_t>(q[1].data.begin(), q[1].data.begin() + 16)),
            Be().i32(44).i16(0).i16(3).i32(44).i16(0).i16(-1).data);
  // A record whose values run past the length fails before anything goes.
  fake.clear_received();
  EXPECT_EQ(EW_SIZE, cnc_wrsets(h, 6, buf.data()));
  EXPECT_TRUE(sent().empty());
}

// ---- info calls ---------------------------------------------------------------

TEST_F(Param, OldInfoSplitsAt178AndRemapsPackedAttributes) {
  uint16_t h = open();
  fake.on(1, 16, [](const RbRequest& q) {
    RbReply r = RbReply().i32(q.a1 - 1).i32(q.a1 + q.a2);
    for (int i = 0; i < q.a2; ++i) r.i32(q.a1 + i).u32(0x10000 | uint32_t(i));
    return r;
  });
  std::vector<uint8_t> mem(6 + 4 * 200, 0xEE);
  auto* info = reinterpret_cast<parainfo_t*>(mem.data());
  ASSERT_EQ(EW_SUCCESS, cnc_rdparainfo(h, 1, 200, info));
  expectRequests({{16, 1, 178}, {16, 179, 22}});
  EXPECT_EQ((std::array<int, 5>{200, 0, 201, 3, 2}),
            (std::array<int,
             5>{info->info_no, info->prev_no, info->next_no, info->info[2].prm_no, info->info[2].prm_type}));
  EXPECT_EQ(EW_SIZE, cnc_rdparainfo(h, 1, 0, info));
  // Packed-type words are remapped; diagnostics by their own rule.
  setDialect(rec(h), kDialectPacked);
  fake.reply(1, 143, RbReply().i32(0).i32(9).i32(5).u32(0x0025));
  fake.reply(1, 148, RbReply().i32(0).i32(9).i32(5).u32(0x0110));
  ASSERT_EQ(EW_SUCCESS, cnc_rdparainfo(h, 5, 1, info));
  EXPECT_EQ(((0x25 >> 1) & 0x1FC) + 5 * 512, info->info[0].prm_type);
  ASSERT_EQ(EW_SUCCESS, cnc_rddiaginfo(h, 5, 1, info));
  EXPECT_EQ((3 * 2 + 0x10) * 8 + 0x100 + 4, info->info[0].prm_type);
}

TEST_F(Param, SecondFormInfoSplitsAt71AndStopsOnAShortReply) {
  uint16_t h = open();
  int calls = 0;
  fake.on(1, 160, [&](const RbRequest& q) {
    RbReply r = RbReply().i32(q.a1 - 1).i32(q.a1 + q.a2);
    const int n = ++calls == 3 ? q.a2 - 8 : q.a2;
    for (int i = 0; i < n; ++i) r.i32(q.a1 + i).u16(1).u16(2).u16(3).u16(4).u16(5).u16(6).u16(7).u16(0);
    return r;
  });
  std::vector<parainfo2_t> out(200);
  int16_t count = 200, prev = 0, next = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_rdparainfo3(h, 1, &count, &prev, &next, out.data()));
  expectRequests({withA5({160, 1, 71}), withA5({160, 72, 71}), withA5({160, 143, 58})});
  EXPECT_EQ((std::array<int, 5>{192, 0, 201, 150, 7}),
            (std::array<int, 5>{count, prev, next, out[149].prm_no, out[149].attr[6]}));
  count = 0;
  EXPECT_EQ(EW_SIZE, cnc_rdsetinfo2(h, 1, &count, &prev, &next, out.data()));
  // A failure on a later request keeps the count of what came before it.
  fake.on(1, 162, [&](const RbRequest& q) {
    if (q.a1 != 1) return RbReply::fail(6);
    RbReply r = RbReply().i32(0).i32(q.a1 + q.a2);
    for (int i = 0; i < q.a2; ++i) r.i32(q.a1 + i).bytes(std::vector<uint8_t>(16, 0));
    return r;
  });
  count = 100;
  EXPECT_EQ(6, cnc_rddiaginfo2(h, 1, &count, &prev, &next, out.data()));
  EXPECT_EQ(71, count);
}

// Missing entries are marked; attributes derive from the info words.
TEST_F(Param, NumberedListMarksMissingEntriesAndDerivesAttributes) {
  uint16_t h = open();
  fake.on(1, 160, [](const RbRequest& q) {
    if (q.a1 == 2) return RbReply::fail(3);
    return RbReply().i32(0).i32(0).i32(q.a1).u16(3).u16(2).u16(1).u16(1).u16(2).u16(0).u16(7).u16(0);
  });
  fake.on(1, 141, [](const RbRequest& q) { return entry(q.a1, -1, 3, {{10, 1}, {20, 2}, {30, 3}}); });
  const int32_t nums[] = {1, 2, 3};
  param_ext_t out[3];
  ASSERT_EQ(EW_SUCCESS, cnc_rdparam_ext(h, nums, 3, out));
  expectRequests({{160, 1, 1}, {141, 1, 1, -1}, {160, 2, 1}, {141, 2, 2, -1}, {160, 3, 1}, {141, 3, 3, -1}});
  EXPECT_EQ((std::array<int, 6>{3, 3, 4 + (4 + 2) * 4 + 1, (1 << 2) | 1, 20, 2}),
            (std::array<int,
             6>{out[0].type, out[0].attr1, out[0].attr2, out[0].attr3, out[0].data[1].prm_val,
                out[0].data[1].dec_val}));
  EXPECT_EQ((std::array<int, 4>{2, -1, 3, 30}),
            (std::array<int, 4>{out[1].prm_no, out[1].type, out[2].prm_no, out[2].data[2].prm_val}));
}

TEST_F(Param, CompactNumberedListBatchesByItsBudgetAndReadsFourByteValues) {
  uint16_t h = open();
  setDialect(rec(h), kDialectCompact);
  fake.on(1, 16, [](const RbRequest& q) { return RbReply().i32(0).i32(0).i32(q.a1).u32(0x184); });
  fake.on(1, 14, [](const RbRequest& q) { return entry(q.a1, 0, 3, {{-q.a1, 0}, {0, 0}, {0, 0}}, 4); });
  std::vector<int32_t> nums(30);
  for (int i = 0; i < 30; ++i) nums[size_t(i)] = 100 + i;
  std::vector<param_ext_t> out(30);
  ASSERT_EQ(EW_SUCCESS, cnc_rdparam_ext(h, nums.data(), 30, out.data()));
  // 1448 / (4 * 3 + 56) = 21 numbers to a PDU: the opening, then two batches.
  int requests = 0;
  for (auto& p : fake.received()) requests += p.type == 33 ? 1 : 0;
  EXPECT_EQ(3, requests);
  EXPECT_EQ(60u, sent().size());
  EXPECT_EQ((std::array<int, 4>{-129, 0, ((0x184 >> 7) & 2) + ((0x184 >> 2) & 1), (0x184 >> 3) & 31}),
            (std::array<int, 4>{out[29].data[0].prm_val, out[29].data[0].dec_val, out[29].attr1, out[29].attr2}));
}

// Each family logs its failures under the worker that serves it.
const Row kWorkers[] = {
    {"Read", {}, OZ_DO(cnc_diagnoss(h, 1, 0, 8, a.out<param_t>())), 1, {{147, 1, 1}}, {}, {}, {},
     {"Error: {S}: inter_rdparam({H} 1 0 8 {P}): 1 0 0"}},
    {"Write", {}, OZ_DO(cnc_wrset(h, 8, a.out<param_t>())), 1, {{160, -4370, 1}}, {}, {}, {},
     {"Error: {S}: inter_wrparam({H} 8 {P}): 1 0 0"}},
    {"Range", {},
     OZ_DO(cnc_rdsetr(h, a.count<int16_t>(1), 0, a.count<int16_t>(1), a.count<int16_t>(100), a.out<uint8_t>(100))), 1,
     {{144, 1, 1}}, {}, {}, {}, {"Error: {S}: inter_rdparar({H} *"}},
    {"Many", {}, OZ_DO(cnc_wrsets(h, 8, a.in(uint64_t(0x0000000000000101)))), 1,
     {{145, 0, 0, 0, 0, Be().i32(257).i32(0).i32(0).i16(0).i16(-1).i32(0).i32(0).i32(0).i32(0).data}}, {}, {}, {},
     {"Error: {S}: inter_wrparas({H} *"}},
    {"Numbers", {}, OZ_DO(cnc_rdsetnum(h, a.out<paranum_t>())), 1, {{44}}, {}, {}, {},
     {"Error: {S}: inter_rdparanum({H} {P}): 1 0 0"}},
    {"Info", {}, OZ_DO(cnc_rdsetinfo(h, 1, 1, a.out<parainfo_t>())), 1, {{43, 1, 1}},
     {at(0, int16_t(0)), at(2, int16_t(1)), at(4, int16_t(1))}, {}, {},
     {"Error: {S}: inter_rdparainfo({H} *"}},
    {"Info2", {},
     OZ_DO(cnc_rddiaginfo2(h, 1, a.count<int16_t>(1), a.count<int16_t>(0), a.count<int16_t>(0), a.out<parainfo2_t>())),
     1, {{162, 1, 1}}, {}, {}, {}, {"Error: {S}: inter_rdparainfo2({H} *"}},
    {"Ext", {}, OZ_DO(cnc_rddiag_ext(h, a.in(int32_t(1)), 1, a.out<param_ext_t>())), 1, {{162, 1, 1}, {147, 1, 1, -1}},
     {at(0, 1), at(4, std::vector<uint8_t>(264, 0))}, {}, {}, {"Error: {S}: inter_rdparam_ext({H} *"}},
};
OZ_ROWS(ParamWorker, kWorkers);

}  // namespace
}  // namespace oz::test
