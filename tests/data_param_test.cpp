// Parameters, settings and diagnostics against the fake controller: the three
// dialects, element sizes, write slots, range splitting and the info calls.
#include <functional>

#include "tests/data_support.h"

namespace oz::test {
namespace {

class Param : public DataTest {};

// One reply entry: number, axis field, type code, elements of esize bytes
// (value, then for 8-byte elements a word and the decimal places).
sim::RbReply entry(int32_t no, int16_t axis, uint16_t type, std::vector<std::pair<int32_t, int16_t>> el,
                   int esize = 8, sim::RbReply r = {}) {
  r.i32(no).i16(axis).u16(type);
  for (auto [v, dec] : el) {
    r.i32(v);
    if (esize == 8) r.i16(10).i16(dec);
  }
  return r;
}

struct ReadCase {
  const char* name;
  uint32_t dialect;
  uint16_t cmd;              // what cnc_rdparam / cnc_diagnoss sends
  bool diag;
  int16_t axisField;
  uint16_t code;
  int esize;
  std::vector<std::pair<int32_t, int16_t>> el;
  int16_t wantType;
  std::vector<uint8_t> wantValues;   // bytes from offset 4
};

class ParamRead : public Param, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ParamRead, SendsTheDialectCommandAndLaysValuesOutByType) {
  const ReadCase& k = GetParam();
  uint16_t h = open();
  setDialect(h, k.dialect);
  fake.reply(1, k.cmd, entry(1234, k.axisField, k.code, k.el, k.esize));
  param_t p;
  sentinel(p);
  const int16_t len = int16_t(4 + k.wantValues.size());
  const int16_t rc = k.diag ? cnc_diagnoss(h, 1234, 2, len, &p) : cnc_rdparam(h, 1234, 2, len, &p);
  ASSERT_EQ(EW_SUCCESS, rc);
  auto q = sent();
  ASSERT_EQ(1u, q.size());
  EXPECT_EQ(k.cmd, q[0].cmd);
  EXPECT_EQ(1234, q[0].a1);
  EXPECT_EQ(1234, q[0].a2);
  EXPECT_EQ(2, q[0].a3);
  EXPECT_EQ(0, q[0].a4);
  EXPECT_EQ(0, q[0].a5);
  EXPECT_EQ(1234, p.datano);
  EXPECT_EQ(k.wantType, p.type);
  std::vector<uint8_t> got(reinterpret_cast<uint8_t*>(&p) + 4, reinterpret_cast<uint8_t*>(&p) + len);
  EXPECT_EQ(k.wantValues, got);
  EXPECT_TRUE(untouched(&p, size_t(len), sizeof p));
}

INSTANTIATE_TEST_SUITE_P(
    Dialects, ParamRead,
    ::testing::Values(
        ReadCase{"CurrentWord", kDialectCurrent, 141, false, 0, 2, 8, {{-2, 0}}, 0, {0xFE, 0xFF}},
        ReadCase{"CompactTwoWordPerAxis", kDialectCompact, 14, false, -1, 3, 4, {{1, 0}, {-1, 0}, {0x01020304, 0}},
                 -1, {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1}},
        ReadCase{"CompactRealKeepsEightBytes", kDialectCompact, 14, false, 0, 4, 8, {{12345, -3}}, 0,
                 {0x39, 0x30, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF}},
        ReadCase{"PackedTypeWord", kDialectPacked, 141, false, -1, 1, 8, {{7, 0}, {8, 0}, {9, 0}},
                 int16_t(0x01FF), {7, 8, 9}},
        ReadCase{"DiagCode5IsReal", kDialectCurrent, 147, true, 0, 5, 8, {{100, 2}}, 0,
                 {100, 0, 0, 0, 2, 0, 0, 0}},
        ReadCase{"DiagCode3IsOneByte", kDialectCurrent, 147, true, 0, 3, 8, {{0x1FF, 0}}, 0, {0xFF}},
        ReadCase{"DiagCode0IsByte", kDialectCompact, 48, true, 0, 0, 4, {{5, 0}}, 0, {5}},
        ReadCase{"DiagCode6IsNotDecoded", kDialectCurrent, 147, true, 0, 6, 8, {{5, 0}}, 0, {}}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(Param, SetReadsCommand144AndFlagGoesAsArgument5) {
  uint16_t h = open();
  fake.reply(1, 144, entry(10, 0, 1, {{3, 0}}));
  fake.reply(1, 141, entry(10, 0, 1, {{3, 0}}));
  param_t p{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdset(h, 10, 0, 5, &p));
  ASSERT_EQ(EW_SUCCESS, cnc_rdparam3(h, 10, 0, 5, 7, &p));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(144, q[0].cmd);
  EXPECT_EQ(141, q[1].cmd);
  EXPECT_EQ(1, q[1].a5);
}

TEST_F(Param, SpindleEntriesTakeTheSpindleCountExceptInThePackedDialect) {
  uint16_t h = open();
  setPathWord(h, 16, 2);   // two spindles, three axes
  fake.reply(1, 141, entry(4500, -1, 3, {{1, 0}, {2, 0}, {3, 0}}));
  param_t p;
  sentinel(p);
  ASSERT_EQ(EW_SUCCESS, cnc_rdparam(h, 4500, -1, 4 + 8, &p));
  EXPECT_EQ(1, p.u.ldatas[0]);
  EXPECT_EQ(2, p.u.ldatas[1]);
  EXPECT_TRUE(untouched(&p, 12, sizeof p));
  setDialect(h, kDialectPacked);
  ASSERT_EQ(EW_SIZE, cnc_rdparam(h, 4500, -1, 4 + 8, &p));   // three values now
  ASSERT_EQ(EW_SUCCESS, cnc_rdparam(h, 4500, -1, 4 + 12, &p));
  EXPECT_EQ(3, p.u.ldatas[2]);
}

TEST_F(Param, Numbers4800To4999AskTheInfoEntryFirst) {
  uint16_t h = open();
  setPathWord(h, 16, 2);
  sim::RbReply info;
  info.i32(4899).i32(4901).i32(4900).u16(3).u16(2);
  for (int i = 0; i < 5; ++i) info.u16(0);
  info.u16(0);
  fake.reply(1, 160, info);   // 28 bytes, spindle attribute
  fake.reply(1, 141, entry(4900, -1, 2, {{1, 0}, {2, 0}, {3, 0}}));
  param_t p{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdparam(h, 4900, -1, 4 + 4, &p));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(160, q[0].cmd);
  EXPECT_EQ(4900, q[0].a1);
  EXPECT_EQ(1, q[0].a2);
  EXPECT_EQ(141, q[1].cmd);
  // A wrong-sized info entry is a range error with its own line.
  fake.reply(1, 160, sim::RbReply().i32(1));
  LogTail log;
  EXPECT_EQ(EW_RANGE, cnc_rdparam(h, 4900, -1, 8, &p));
  EXPECT_TRUE(log.has("Error: cnc_rdparainfo(" + std::to_string(h) + ") in cnc_rdparam"));
  std::ostringstream ptr;
  ptr << static_cast<const void*>(&p);
  EXPECT_TRUE(log.has(errLine(h, "inter_rdparam", "4900 -1 8 " + ptr.str(), "3 0 0")));
}

TEST_F(Param, LengthIsTestedAfterTheReply) {
  uint16_t h = open();
  fake.reply(1, 141, entry(1, 0, 3, {{9, 0}}));
  param_t p;
  sentinel(p);
  EXPECT_EQ(EW_SIZE, cnc_rdparam(h, 1, 0, 3, &p));
  EXPECT_EQ(1u, sent().size());
  EXPECT_EQ(EW_SIZE, cnc_rdparam(h, 1, 0, 7, &p));   // header fits, value does not
  EXPECT_EQ(1, p.datano);
  EXPECT_TRUE(untouched(&p, 4, sizeof p));
  fake.reply(1, 141, sim::RbReply::fail(6, 1, 2));
  EXPECT_EQ(6, cnc_rdparam(h, 1, 0, 8, &p));
}

// ---- writes -------------------------------------------------------------------

TEST_F(Param, CurrentWriteAsksTheTypeAndSendsAFullSlot) {
  uint16_t h = open();
  sim::RbReply info;
  info.i32(0).i32(0).i32(1020).u16(4).u16(0);
  for (int i = 0; i < 6; ++i) info.u16(0);
  fake.reply(1, 160, info);
  fake.reply(1, 142, sim::RbReply());
  param_t p{};
  p.datano = 1020;
  p.type = -1;
  for (int i = 0; i < 3; ++i) p.u.rdatas[i] = {1000 + i, 3};
  ASSERT_EQ(EW_SUCCESS, cnc_wrparam3(h, 4 + 24, 1, &p));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(160, q[0].cmd);
  EXPECT_EQ(142, q[1].cmd);
  EXPECT_EQ(1, q[1].a5);
  const std::vector<uint8_t> want = {0, 0, 3, 0xFC, 0xFF, 0xFF, 0, 4,
                                     0, 0, 3, 0xE8, 0, 10, 0, 3,
                                     0, 0, 3, 0xE9, 0, 10, 0, 3,
                                     0, 0, 3, 0xEA, 0, 10, 0, 3};
  EXPECT_EQ(want, q[1].data);
  EXPECT_EQ(EW_SIZE, cnc_wrparam(h, 4 + 28, &p));   // must match exactly
}

TEST_F(Param, CompactWriteUsesFourByteElementsAndTheOldInfo) {
  uint16_t h = open();
  setDialect(h, kDialectCompact);
  fake.reply(1, 16, sim::RbReply().i32(0).i32(0).i32(6).u32(0x2));   // word type
  fake.reply(1, 15, sim::RbReply());
  param_t p{};
  p.datano = 6;
  p.type = 0;
  p.u.idata = -5;
  ASSERT_EQ(EW_SUCCESS, cnc_wrparam(h, 6, &p));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(16, q[0].cmd);
  EXPECT_EQ(15, q[1].cmd);
  const std::vector<uint8_t> want = {0, 0, 0, 6, 0, 0, 0, 2, 0xFF, 0xFF, 0xFF, 0xFB,
                                     0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(want, q[1].data);
  fake.reply(1, 16, sim::RbReply().i32(0));
  LogTail log;
  EXPECT_EQ(EW_RANGE, cnc_wrparam(h, 6, &p));
  EXPECT_TRUE(log.has("Error: cnc_rdparainfo(" + std::to_string(h) + ") in cnc_wrparam"));
}

TEST_F(Param, PackedWriteTakesTypeAndAxisFromTheRecord) {
  uint16_t h = open();
  setDialect(h, kDialectPacked);
  fake.reply(1, 145, sim::RbReply());
  param_t p{};
  p.datano = -2;
  p.type = int16_t(0x01FE);   // byte, axis -2 (negative: every axis)
  p.u.cdatas[0] = 1;
  p.u.cdatas[1] = -1;
  p.u.cdatas[2] = 3;
  ASSERT_EQ(EW_SUCCESS, cnc_wrset(h, 7, &p));
  auto q = sent();
  ASSERT_EQ(1u, q.size());
  EXPECT_EQ(145, q[0].cmd);
  const std::vector<uint8_t> want = {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFE, 0, 1,
                                     0, 0, 0, 1, 0, 0, 0xFF, 0xFF,
                                     0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF,
                                     0, 0, 0, 3, 0, 0, 0xFF, 0xFF};
  EXPECT_EQ(want, q[0].data);
}

// ---- ranges -------------------------------------------------------------------

TEST_F(Param, RangeReadFollowsTheLastEntryAndStopsOnResult3) {
  uint16_t h = open();
  const int slot = 8 + 8 * 3;
  int calls = 0;
  fake.on(1, 141, [&](const sim::RbRequest& q) {
    if (++calls > 1) return sim::RbReply::fail(3);
    sim::RbReply r;
    // A byte entry, then a per-axis word entry, each in its fixed slot.
    r = entry(q.a1, 0, 1, {{5, 0}, {0, 0}, {0, 0}});
    r = entry(q.a1 + 3, -1, 2, {{1, 0}, {2, 0}, {3, 0}}, 8, r);
    EXPECT_EQ(size_t(2 * slot), r.data.size());
    return r;
  });
  int16_t start = 100, end = 200, length = 100;
  uint8_t buf[100];
  std::memset(buf, 0xEE, sizeof buf);
  ASSERT_EQ(EW_SUCCESS, cnc_rdparar(h, &start, -1, &end, &length, buf));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(100, q[0].a1);
  EXPECT_EQ(200, q[0].a2);
  EXPECT_EQ(-1, q[0].a3);
  EXPECT_EQ(104, q[1].a1);
  EXPECT_EQ(4 + 4 + 4 + 8, length);   // byte padded to 4, three words padded to 8
  EXPECT_EQ(100, start);
  EXPECT_EQ(103, end);
  const std::vector<uint8_t> want = {100, 0, 0, 1, 5, 0xEE, 0xEE, 0xEE,
                                     103, 0, 0xFF, 2, 1, 0, 2, 0, 3, 0, 0xEE, 0xEE};
  EXPECT_EQ(want, std::vector<uint8_t>(buf, buf + 20));
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
  sim::RbReply two = entry(7, 0, 2, {{-9, 0}, {0, 0}, {0, 0}});
  two.result = 2;
  fake.reply(1, 147, two);
  start = 7, end = 7, length = 100;
  ASSERT_EQ(EW_SUCCESS, cnc_diagnosr(h, &start, 0, &end, &length, buf));
  EXPECT_EQ(8, length);
  EXPECT_EQ(0x0200, int16_t(buf[2] | buf[3] << 8));
  fake.reply(1, 147, sim::RbReply::fail(3));
  EXPECT_EQ(EW_RANGE, cnc_diagnosr(h, &start, 0, &end, &length, buf));
}

TEST_F(Param, MultipleWriteBatchesSlotsPerRb) {
  uint16_t h = open();
  fake.reply(1, 142, sim::RbReply());
  // 50 two-word records: 32-byte slots, 44 to an RB.
  std::vector<uint8_t> buf;
  for (int i = 0; i < 50; ++i) {
    const uint8_t rec[8] = {uint8_t(i), 0, 0, 3, uint8_t(i), 0, 0, 0};
    buf.insert(buf.end(), rec, rec + 8);
  }
  ASSERT_EQ(EW_SUCCESS, cnc_wrparas(h, int16_t(buf.size()), buf.data()));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(44u * 32, q[0].data.size());
  EXPECT_EQ(6u * 32, q[1].data.size());
  EXPECT_EQ(44, be32(q[1].data, 0));
  EXPECT_EQ(3, be16(q[1].data, 6));
  EXPECT_EQ(44, be32(q[1].data, 8));
  EXPECT_EQ(-1, be16(q[1].data, 14));
  // A record whose values run past the length fails before anything goes.
  fake.clear_received();
  EXPECT_EQ(EW_SIZE, cnc_wrsets(h, 6, buf.data()));
  EXPECT_TRUE(sent().empty());
}

// ---- info calls ---------------------------------------------------------------

TEST_F(Param, OldInfoSplitsAt178AndRemapsPackedAttributes) {
  uint16_t h = open();
  fake.on(1, 16, [](const sim::RbRequest& q) {
    sim::RbReply r;
    r.i32(q.a1 - 1).i32(q.a1 + q.a2);
    for (int i = 0; i < q.a2; ++i) r.i32(q.a1 + i).u32(0x10000 | uint32_t(i));
    return r;
  });
  std::vector<uint8_t> mem(6 + 4 * 200, 0xEE);
  auto* info = reinterpret_cast<parainfo_t*>(mem.data());
  ASSERT_EQ(EW_SUCCESS, cnc_rdparainfo(h, 1, 200, info));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(178, q[0].a2);
  EXPECT_EQ(179, q[1].a1);
  EXPECT_EQ(22, q[1].a2);
  EXPECT_EQ(200, info->info_no);
  EXPECT_EQ(0, info->prev_no);
  EXPECT_EQ(201, info->next_no);
  EXPECT_EQ(3, info->info[2].prm_no);
  EXPECT_EQ(2, info->info[2].prm_type);
  EXPECT_EQ(EW_SIZE, cnc_rdparainfo(h, 1, 0, info));
  // Packed-type words are remapped; diagnostics by their own rule.
  setDialect(h, kDialectPacked);
  fake.reply(1, 143, sim::RbReply().i32(0).i32(9).i32(5).u32(0x0025));
  fake.reply(1, 148, sim::RbReply().i32(0).i32(9).i32(5).u32(0x0110));
  ASSERT_EQ(EW_SUCCESS, cnc_rdparainfo(h, 5, 1, info));
  EXPECT_EQ(((0x25 >> 1) & 0x1FC) + 5 * 512, info->info[0].prm_type);
  ASSERT_EQ(EW_SUCCESS, cnc_rddiaginfo(h, 5, 1, info));
  EXPECT_EQ((3 * 2 + 0x10) * 8 + 0x100 + 4, info->info[0].prm_type);
}

TEST_F(Param, SecondFormInfoSplitsAt71AndStopsOnAShortReply) {
  uint16_t h = open();
  int calls = 0;
  fake.on(1, 160, [&](const sim::RbRequest& q) {
    sim::RbReply r;
    r.i32(q.a1 - 1).i32(q.a1 + q.a2);
    const int n = ++calls == 3 ? q.a2 - 8 : q.a2;
    for (int i = 0; i < n; ++i) {
      r.i32(q.a1 + i);
      for (int k = 0; k < 7; ++k) r.u16(uint16_t(k + 1));
      r.u16(0);
    }
    return r;
  });
  std::vector<parainfo2_t> out(200);
  int16_t count = 200, prev = 0, next = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_rdparainfo3(h, 1, &count, &prev, &next, out.data()));
  auto q = sent();
  ASSERT_EQ(3u, q.size());
  EXPECT_EQ(71, q[0].a2);
  EXPECT_EQ(71, q[1].a2);
  EXPECT_EQ(58, q[2].a2);
  EXPECT_EQ(1, q[2].a5);
  EXPECT_EQ(192, count);
  EXPECT_EQ(0, prev);
  EXPECT_EQ(201, next);
  EXPECT_EQ(150, out[149].prm_no);
  EXPECT_EQ(7, out[149].attr[6]);
  count = 0;
  EXPECT_EQ(EW_SIZE, cnc_rdsetinfo2(h, 1, &count, &prev, &next, out.data()));
  // A failure on a later request keeps the count of what came before it.
  fake.on(1, 162, [&](const sim::RbRequest& q) {
    if (q.a1 != 1) return sim::RbReply::fail(6);
    sim::RbReply r;
    r.i32(0).i32(q.a1 + q.a2);
    for (int i = 0; i < q.a2; ++i) r.i32(q.a1 + i).bytes(std::vector<uint8_t>(16, 0));
    return r;
  });
  count = 100;
  EXPECT_EQ(6, cnc_rddiaginfo2(h, 1, &count, &prev, &next, out.data()));
  EXPECT_EQ(71, count);
}

TEST_F(Param, NumberRangesTakeTheLowHalves) {
  uint16_t h = open();
  fake.reply(1, 50, sim::RbReply().i32(0x10000).i32(0x1FFFF).i32(42));
  paranum_t n{};
  ASSERT_EQ(EW_SUCCESS, cnc_rddiagnum(h, &n));
  EXPECT_EQ(0, n.word[0]);
  EXPECT_EQ(0xFFFF, n.word[1]);
  EXPECT_EQ(42, n.word[2]);
}

TEST_F(Param, NumberedListMarksMissingEntriesAndDerivesAttributes) {
  uint16_t h = open();
  fake.on(1, 160, [](const sim::RbRequest& q) {
    if (q.a1 == 2) return sim::RbReply::fail(3);
    // f1..f7: type 3, f2 2, f3 1, f4 1, f5 2, f6 0, f7 7
    return sim::RbReply().i32(0).i32(0).i32(q.a1).u16(3).u16(2).u16(1).u16(1).u16(2).u16(0).u16(7).u16(0);
  });
  fake.on(1, 141, [](const sim::RbRequest& q) {
    return entry(q.a1, -1, 3, {{10, 1}, {20, 2}, {30, 3}});
  });
  const int32_t nums[] = {1, 2, 3};
  param_ext_t out[3];
  sentinel(out);
  ASSERT_EQ(EW_SUCCESS, cnc_rdparam_ext(h, nums, 3, out));
  auto q = sent();
  ASSERT_EQ(6u, q.size());   // one PDU, info and read per number
  EXPECT_EQ(141, q[1].cmd);
  EXPECT_EQ(-1, q[1].a3);
  EXPECT_EQ(3, out[0].type);
  EXPECT_EQ(3, out[0].attr1);
  EXPECT_EQ(4 + (4 + 2) * 4 + 1, out[0].attr2);
  EXPECT_EQ((1 << 2) | 1, out[0].attr3);
  EXPECT_EQ(20, out[0].data[1].prm_val);
  EXPECT_EQ(2, out[0].data[1].dec_val);
  EXPECT_EQ(2, out[1].prm_no);
  EXPECT_EQ(-1, out[1].type);
  EXPECT_EQ(3, out[2].prm_no);
  EXPECT_EQ(30, out[2].data[2].prm_val);
}

}  // namespace
}  // namespace oz::test

namespace oz::test {
namespace {

TEST_F(Param, CompactNumberedListBatchesByItsBudgetAndReadsFourByteValues) {
  uint16_t h = open();
  setDialect(h, kDialectCompact);
  fake.on(1, 16, [](const sim::RbRequest& q) { return sim::RbReply().i32(0).i32(0).i32(q.a1).u32(0x184); });
  fake.on(1, 14, [](const sim::RbRequest& q) { return entry(q.a1, 0, 3, {{-q.a1, 0}, {0, 0}, {0, 0}}, 4); });
  std::vector<int32_t> nums(30);
  for (int i = 0; i < 30; ++i) nums[size_t(i)] = 100 + i;
  std::vector<param_ext_t> out(30);
  ASSERT_EQ(EW_SUCCESS, cnc_rdparam_ext(h, nums.data(), 30, out.data()));
  // 1448 / (4 * 3 + 56) = 21 numbers to a PDU.
  auto pdus = fake.received();
  int requests = 0;
  for (auto& p : pdus) requests += p.type == 33 ? 1 : 0;
  EXPECT_EQ(3, requests);   // the opening, then two batches
  EXPECT_EQ(60u, sent().size());
  EXPECT_EQ(-129, out[29].data[0].prm_val);
  EXPECT_EQ(0, out[29].data[0].dec_val);
  EXPECT_EQ(((0x184 >> 7) & 2) + ((0x184 >> 2) & 1), out[29].attr1);
  EXPECT_EQ((0x184 >> 3) & 31, out[29].attr2);
}

// Each family logs its failures under the worker that serves it.
struct Worker {
  const char* worker;
  std::function<int16_t(uint16_t)> call;
};

class ParamWorker : public DataTest, public ::testing::WithParamInterface<Worker> {};

TEST_P(ParamWorker, FailuresAreLoggedUnderTheWorkerName) {
  uint16_t h = open();
  LogTail log;
  EXPECT_NE(EW_SUCCESS, GetParam().call(h));   // nothing registered: result 1
  EXPECT_TRUE(log.any(": " + std::string(GetParam().worker) + "(" + std::to_string(h) + " "));
}

param_t g_p{};
parainfo_t g_info{};
parainfo2_t g_info2[2];
paranum_t g_num{};
param_ext_t g_ext[1];
int16_t g_a = 1, g_b = 1, g_len = 100, g_count = 1, g_prev, g_next;
uint8_t g_buf[100];
const int32_t g_nums[] = {1};

INSTANTIATE_TEST_SUITE_P(
    Workers, ParamWorker,
    ::testing::Values(
        Worker{"inter_rdparam", [](uint16_t h) { return cnc_diagnoss(h, 1, 0, 8, &g_p); }},
        Worker{"inter_wrparam", [](uint16_t h) { return cnc_wrset(h, 8, &g_p); }},
        Worker{"inter_rdparar", [](uint16_t h) { return cnc_rdsetr(h, &g_a, 0, &g_b, &g_len, g_buf); }},
        Worker{"inter_wrparas", [](uint16_t h) { return cnc_wrsets(h, 2, g_buf); }},
        Worker{"inter_rdparanum", [](uint16_t h) { return cnc_rdsetnum(h, &g_num); }},
        Worker{"inter_rdparainfo", [](uint16_t h) { return cnc_rdsetinfo(h, 1, 1, &g_info); }},
        Worker{"inter_rdparainfo2", [](uint16_t h) {
                 return cnc_rddiaginfo2(h, 1, &g_count, &g_prev, &g_next, g_info2);
               }},
        Worker{"inter_rdparam_ext", [](uint16_t h) { return cnc_rddiag_ext(h, g_nums, 1, g_ext); }}));

TEST_F(Param, SpindleWriteCountsSpindlesOnlyWhenThePathHasFewerAxes) {
  uint16_t h = open();
  sim::RbReply info;
  info.i32(0).i32(0).i32(4020).u16(3).u16(2);
  for (int i = 0; i < 6; ++i) info.u16(0);
  fake.reply(1, 160, info);
  fake.reply(1, 142, sim::RbReply());
  setPathWord(h, 16, 2);
  param_t p{};
  p.datano = 4020;
  p.type = -1;
  EXPECT_EQ(EW_SIZE, cnc_wrparam(h, 4 + 8, &p));   // axes equal the maximum: axis count
  ASSERT_EQ(EW_SUCCESS, cnc_wrparam(h, 4 + 12, &p));
  setPathWord(h, 12, 2);                          // now fewer than the maximum of 3
  ASSERT_EQ(EW_SUCCESS, cnc_wrparam(h, 4 + 8, &p));
}

}  // namespace
}  // namespace oz::test
