// Tool, work, fixture, work-shift and pitch offsets: values per number by path
// kind, chunking, slot rules of the range writes and the single-value calls.
#include "tests/data_support.h"

namespace oz::test {
namespace {

class Offset : public DataTest {
 protected:
  void turning(uint16_t h) { setPathWord(h, 0, 0x2054); }
};

// Elements numbered from the request: number * 100 + slot.
sim::RbReply numbered(int from, int to, int perNumber) {
  sim::RbReply r;
  for (int n = from; n <= to; ++n)
    for (int k = 0; k < perNumber; ++k) r.i32(n * 100 + k).u16(0).u16(0xFFFF);
  return r;
}
sim::RbReply numbered(const sim::RbRequest& q, int perNumber) { return numbered(q.a1, q.a2, perNumber); }

TEST_F(Offset, TurningPathType22KeepsNineValuesPerNumber) {
  uint16_t h = open();
  turning(h);
  fake.on(1, 8, [](const sim::RbRequest& q) { return numbered(q, 9); });
  std::vector<uint8_t> mem(8 + 40 * 36, 0xEE);
  auto* r = reinterpret_cast<tofsr_t*>(mem.data());
  EXPECT_EQ(EW_SIZE, cnc_rdtofsr(h, 1, -22, 10, 8 + 359, r));
  EXPECT_TRUE(sent().empty());
  ASSERT_EQ(EW_SUCCESS, cnc_rdtofsr(h, 1, -22, 40, int16_t(mem.size()), r));
  auto q = sent();
  ASSERT_EQ(3u, q.size());   // 19 numbers to a request
  EXPECT_EQ(19, q[0].a2);
  EXPECT_EQ(-22, q[0].a3);
  EXPECT_EQ(20, q[1].a1);
  EXPECT_EQ(38, q[1].a2);
  EXPECT_EQ(40, q[2].a2);
  EXPECT_EQ(1, r->datano_s);
  EXPECT_EQ(-22, r->type);
  EXPECT_EQ(40, r->datano_e);
  int32_t v;
  std::memcpy(&v, mem.data() + 8 + 4 * (9 * 39 + 8), 4);
  EXPECT_EQ(4008, v);
}

TEST_F(Offset, TypeZeroIsSixteenBitOnTurningPathsOnly) {
  uint16_t h = open();
  fake.on(1, 8, [](const sim::RbRequest& q) { return numbered(q, 1); });
  tofsr_t r;
  sentinel(r);
  ASSERT_EQ(EW_SUCCESS, cnc_rdtofsr(h, 3, 0, 4, 16, &r));
  EXPECT_EQ(300, r.u.l[0]);
  EXPECT_EQ(400, r.u.l[1]);
  turning(h);
  sentinel(r);
  ASSERT_EQ(EW_SUCCESS, cnc_rdtofsr(h, 3, 0, 4, 12, &r));
  EXPECT_EQ(300, r.u.w[0]);
  EXPECT_EQ(400, r.u.w[1]);
  EXPECT_TRUE(untouched(&r, 12, sizeof r));
  EXPECT_EQ(EW_RANGE, cnc_rdtofsr(h, 4, 0, 3, 100, &r));
}

TEST_F(Offset, SingleToolOffsetSendsTypePlus1000) {
  uint16_t h = open();
  turning(h);
  fake.reply(1, 8, sim::RbReply().i32(-12345).u16(0).u16(0xFFFF));
  fake.reply(1, 9, sim::RbReply());
  tofs_t t;
  sentinel(t);
  LogTail log;
  EXPECT_EQ(EW_SIZE, cnc_rdtofs(h, 5, 0, 7, &t));
  EXPECT_EQ(EW_SIZE, cnc_wrtofs(h, 5, 0, 7, 1));
  EXPECT_TRUE(log.lines().empty());
  ASSERT_EQ(EW_SUCCESS, cnc_rdtofs(h, 5, 0, 8, &t));
  EXPECT_EQ(5, t.datano);
  EXPECT_EQ(0, t.type);
  EXPECT_EQ(-12345, t.data);
  ASSERT_EQ(EW_SUCCESS, cnc_wrtofs(h, 5, 2, 8, 777));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(1000, q[0].a3);
  EXPECT_EQ(9, q[1].cmd);
  EXPECT_EQ(1002, q[1].a3);
  const std::vector<uint8_t> want = {0, 0, 3, 9, 0, 0, 0xFF, 0xFF};
  EXPECT_EQ(want, q[1].data);
}

TEST_F(Offset, ToolWriteSignExtendsSixteenBitValuesAndChunks) {
  uint16_t h = open();
  fake.reply(1, 9, sim::RbReply());
  // Other path, type -3: four 32-bit values per number, 44 numbers a request.
  std::vector<uint8_t> mem(8 + 16 * 50);
  auto* r = reinterpret_cast<tofsr_t*>(mem.data());
  r->datano_s = 1;
  r->type = -3;
  r->datano_e = 50;
  EXPECT_EQ(EW_SIZE, cnc_wrtofsr(h, int16_t(mem.size() - 1), r));
  ASSERT_EQ(EW_SUCCESS, cnc_wrtofsr(h, int16_t(mem.size()), r));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(44, q[0].a2);
  EXPECT_EQ(8u * 4 * 44, q[0].data.size());
  EXPECT_EQ(8u * 4 * 6, q[1].data.size());
  fake.clear_received();
  tofsr_t one{};
  one.datano_s = one.datano_e = 2;
  one.type = 9;   // 16-bit on other paths
  one.u.w[0] = -2;
  ASSERT_EQ(EW_SUCCESS, cnc_wrtofsr(h, 10, &one));
  const std::vector<uint8_t> want = {0xFF, 0xFF, 0xFF, 0xFE, 0, 0, 0xFF, 0xFF};
  EXPECT_EQ(want, sent()[0].data);
  EXPECT_EQ(EW_SIZE, cnc_wrtofsr(h, 7, &one));
}

TEST_F(Offset, SecondTableStopsOnAShortReplyAndKeepsTheCallersEnd) {
  uint16_t h = open();
  fake.reply(1, 124, sim::RbReply().i32(1).u16(0).u16(0xFFFF).i32(2).u16(0).u16(0xFFFF));
  tofsr_t r{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdbtofsr(h, 1, -2, 3, 8 + 24, &r));
  EXPECT_EQ(1u, sent().size());
  EXPECT_EQ(3, r.datano_e);
  EXPECT_EQ(2, r.u.l[1]);
}

TEST_F(Offset, WorkOffsetRangeStoresTheDeliveredAxesOfEachGroup) {
  uint16_t h = open();
  rec(h).config.setWord(6, 8);    // eight slots per number
  rec(h).config.setWord(28, 5);   // five delivered
  int calls = 0;
  fake.on(1, 11, [&](const sim::RbRequest& q) {
    sim::RbReply r = numbered(q, 8);
    if (++calls == 2) r.data.resize(8 * 8 * 3);   // three numbers of the asked
    return r;
  });
  std::vector<uint8_t> mem(8 + 4 * 5 * 30, 0xEE);
  auto* r = reinterpret_cast<zofsr_t*>(mem.data());
  ASSERT_EQ(EW_SUCCESS, cnc_rdzofsr(h, 1, -1, 30, int16_t(mem.size()), r));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(22, q[0].a2);   // 1432 / 64
  EXPECT_EQ(-1, q[0].a3);
  EXPECT_EQ(25, r->datano_e);
  EXPECT_EQ(1, r->datano_s);
  EXPECT_EQ(-1, r->type);
  EXPECT_EQ(100, r->data[0]);
  EXPECT_EQ(104, r->data[4]);
  EXPECT_EQ(200, r->data[5]);
  EXPECT_TRUE(untouched(mem.data(), 8 + 4 * 5 * 25, mem.size()));
  fake.on(1, 298, [](const sim::RbRequest& q) { return numbered(q, 8); });
  EXPECT_EQ(EW_SIZE, cnc_rdfixofs(h, 1, -1, 30, 8 + 4 * 5 * 22 - 1, r));
  EXPECT_EQ(298, sent().back().cmd);
}

TEST_F(Offset, WorkOffsetWriteFillsKValuesAndBlankSlots) {
  uint16_t h = open();
  rec(h).config.setWord(6, 4);
  rec(h).config.setWord(28, 2);
  fake.reply(1, 12, sim::RbReply());
  zofsr_t r{};
  r.datano_s = 1;
  r.datano_e = 2;
  r.type = -1;
  for (int i = 0; i < 4; ++i) r.data[i] = i + 1;
  EXPECT_EQ(EW_SIZE, cnc_wrzofsr(h, 8 + 15, &r));
  ASSERT_EQ(EW_SUCCESS, cnc_wrzofsr(h, 8 + 16, &r));
  auto q = sent();
  ASSERT_EQ(1u, q.size());
  ASSERT_EQ(64u, q[0].data.size());
  EXPECT_EQ(1, be32(q[0].data, 0));
  EXPECT_EQ(-1, be16(q[0].data, 6));
  EXPECT_EQ(2, be32(q[0].data, 8));
  EXPECT_EQ(0, be32(q[0].data, 16));
  EXPECT_EQ(0, be16(q[0].data, 22));
  EXPECT_EQ(3, be32(q[0].data, 32));
}

TEST_F(Offset, SingleWorkOffsetChecksTheAxisAndGoesThroughTheRange) {
  uint16_t h = open();
  fake.on(1, 11, [](const sim::RbRequest& q) { return numbered(q, q.a3 < 0 ? 3 : 1); });
  fake.reply(1, 12, sim::RbReply());
  zofs_t z;
  sentinel(z);
  EXPECT_EQ(EW_KIND, cnc_rdzofs(h, 1, 4, 100, &z));
  EXPECT_EQ(EW_SIZE, cnc_rdzofs(h, 1, -1, 15, &z));
  EXPECT_TRUE(sent().empty());
  ASSERT_EQ(EW_SUCCESS, cnc_rdzofs(h, 2, -1, 16, &z));
  EXPECT_EQ(2, z.datano);
  EXPECT_EQ(-1, z.type);
  EXPECT_EQ(202, z.data[2]);
  EXPECT_TRUE(untouched(&z, 16, sizeof z));
  z.datano = 3;
  z.type = 2;
  z.data[0] = 9;
  ASSERT_EQ(EW_SUCCESS, cnc_wrzofs(h, 8, &z));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(12, q[1].cmd);
  EXPECT_EQ(3, q[1].a1);
  EXPECT_EQ(2, q[1].a3);
  const std::vector<uint8_t> want = {0, 0, 0, 9, 0, 0, 0xFF, 0xFF};
  EXPECT_EQ(want, q[1].data);
}

TEST_F(Offset, WorkShiftReadAndWrite) {
  uint16_t h = open();
  fake.reply(1, 99, numbered(1, 5, 1));
  fake.reply(1, 102, sim::RbReply());
  zofs_t z;
  sentinel(z);
  EXPECT_EQ(EW_KIND, cnc_rdwkcdshft(h, 4, 100, &z));
  ASSERT_EQ(EW_SUCCESS, cnc_rdwkcdshft(h, -1, 16, &z));   // five in the reply, three axes kept
  EXPECT_EQ(-1, z.type);
  EXPECT_EQ(300, z.data[2]);
  EXPECT_EQ(int16_t(0xEEEE), z.datano);
  EXPECT_EQ(EW_SIZE, cnc_rdwkcdshft(h, -1, 15, &z));
  z.type = -1;
  EXPECT_EQ(EW_SIZE, cnc_wrwkcdsfms(h, 15, &z));
  ASSERT_EQ(EW_SUCCESS, cnc_wrwkcdsfms(h, 16, &z));
  auto q = sent();
  EXPECT_EQ(102, q.back().cmd);
  EXPECT_EQ(-1, q.back().a1);
  EXPECT_EQ(24u, q.back().data.size());
}

TEST_F(Offset, InfoAndRangeWords) {
  uint16_t h = open();
  fake.reply(1, 10, sim::RbReply().i32(0x10002).i16(3).i16(4));
  fake.reply(1, 126, sim::RbReply().i32(5).i32(6).i16(7));
  fake.reply(1, 200, sim::RbReply().i32(1).i32(0).i32(2).i32(0).i32(3));
  fake.reply(1, 13, sim::RbReply().i32(0x10009));
  tofsinfo_t t{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdtofsinfo2(h, &t));
  EXPECT_EQ(3, t.word[0]);
  EXPECT_EQ(2, t.word[1]);
  EXPECT_EQ(4, t.word[2]);
  int16_t two[3] = {-1, -1, -1};
  ASSERT_EQ(EW_SUCCESS, cnc_rdtofsinfo(h, two));
  EXPECT_EQ(-1, two[2]);
  ASSERT_EQ(EW_SUCCESS, cnc_rdbtofsinfo(h, two));
  EXPECT_EQ(7, two[0]);
  EXPECT_EQ(5, two[1]);
  EXPECT_EQ(6, two[2]);
  ofsrange_t o{};
  ASSERT_EQ(EW_SUCCESS, cnc_tofs_rnge(h, 1, -1, &o));
  EXPECT_EQ(3, o.word[2]);
  EXPECT_EQ(999, sent().back().a3);
  int16_t w = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_rdzofsinfo(h, &w));
  EXPECT_EQ(9, w);
}

TEST_F(Offset, ActiveFixtureMeasuredAndClear) {
  uint16_t h = open();
  fake.reply(1, 297, numbered(1, 9, 1).i32(0));   // 4 + 8 * k
  fake.reply(1, 400, sim::RbReply().u32(0xFFFFFFFF).i32(2));
  fake.reply(1, 439, sim::RbReply());
  zofs_t z;
  sentinel(z);
  // Bytes: 8 elements and a word: datano from the first, then (len-4)/8 values.
  ASSERT_EQ(EW_SUCCESS, cnc_rdactfixofs(h, -1, &z));
  EXPECT_EQ(100, z.datano);
  EXPECT_EQ(-1, z.type);
  EXPECT_EQ(0xFFFF, z.data[0]);   // the word after the first value
  EXPECT_TRUE(untouched(&z, 16, sizeof z));   // at most the maximum axis count
  double a = 0, b = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_rdzofsmes(h, 1, 2, 3, &a, &b));
  EXPECT_DOUBLE_EQ(4294967295.0, a);
  EXPECT_DOUBLE_EQ(2.0, b);
  ASSERT_EQ(EW_SUCCESS, cnc_clrtofs(h, -2));
  auto q = sent();
  EXPECT_EQ(3, q[1].a3);
  EXPECT_EQ(-2, q[2].a1);
}

TEST_F(Offset, PitchPointsTravelAsWordsAndStoreAsBytes) {
  uint16_t h = open();
  fake.on(1, 18, [](const sim::RbRequest& q) {
    sim::RbReply r;
    for (int n = q.a1; n <= q.a2; ++n) r.i16(int16_t(-(n % 7)));
    return r;
  });
  fake.reply(1, 19, sim::RbReply());
  std::vector<uint8_t> mem(6 + 1000, 0xEE);
  auto* p = reinterpret_cast<pitchr_t*>(mem.data());
  ASSERT_EQ(EW_SUCCESS, cnc_rdpitchr(h, 0, 999, int16_t(mem.size()), p));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(715, q[0].a2);
  EXPECT_EQ(716, q[1].a1);
  EXPECT_EQ(999, p->datano_e);
  EXPECT_EQ(-6, p->data[6]);
  EXPECT_EQ(EW_SIZE, cnc_rdpitchr(h, 0, 999, 6 + 999, p));
  fake.clear_received();
  EXPECT_EQ(EW_SIZE, cnc_wrpitchr(h, 6 + 999, p));
  ASSERT_EQ(EW_SUCCESS, cnc_wrpitchr(h, int16_t(mem.size()), p));
  q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(2u * 710, q[0].data.size());
  EXPECT_EQ(-6, be16(q[0].data, 12));
}

TEST_F(Offset, PitchInfoByMachineKind) {
  uint16_t h = open();
  fake.reply(1, 20, sim::RbReply().i32(0x20005));
  fake.reply(1, 338, sim::RbReply().i32(0).i32(11).i32(0).i32(12).i32(0).i32(13).i32(0).i32(14));
  int16_t w[4] = {-1, -1, -1, -1};
  ASSERT_EQ(EW_SUCCESS, cnc_rdpitchinfo(h, w));
  EXPECT_EQ(5, w[0]);
  EXPECT_EQ(-1, w[1]);
  setMachineType(h, " W");
  ASSERT_EQ(EW_SUCCESS, cnc_rdpitchinfo(h, w));
  EXPECT_EQ(11, w[0]);
  EXPECT_EQ(13, w[2]);
  EXPECT_EQ(-1, w[3]);   // bounded by the maximum axis count
}

}  // namespace
}  // namespace oz::test
