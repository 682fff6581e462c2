// Network boards against the fake controller: the plant network record field
// by field, the slave parameters in both layouts and the refused versions,
// the shared-memory pieces and the requests whose arguments are not plain.
#include <cstring>

#include "tests/support.h"

namespace oz::test {
namespace {

using sim::RbReply;

class Boards : public FakeTest {};

std::vector<uint8_t> ramp(size_t n, uint8_t from = 0) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = uint8_t(from + i);
  return v;
}

TEST_F(Boards, PlantParametersConvertWordsAndCopyTheRest) {
  fake.reply(1, 498, RbReply().bytes(ramp(150)));
  fake.reply(1, 617, RbReply().bytes(ramp(148, 1)));
  uint16_t h = open();
  flntprm_t p;
  sentinel(p);
  ASSERT_EQ(EW_SUCCESS, flnt_rdparam(h, &p));
  const auto* b = reinterpret_cast<const uint8_t*>(&p);
  EXPECT_EQ(ramp(68), std::vector<uint8_t>(b, b + 68));
  EXPECT_EQ(0x4445, p.w68);
  EXPECT_EQ(76, p.b76);
  EXPECT_EQ(78, p.x78[0]);
  EXPECT_EQ(79, p.x78[1]);
  EXPECT_EQ(0x5253, p.w82);
  EXPECT_EQ(0x6E6F, p.x110[0] << 8 | p.x110[1]);   // a byte pair stays as it came
  EXPECT_EQ(0x9293, p.w146);
  ASSERT_EQ(EW_SUCCESS, flnt_rdparam2(h, 1, &p));
  EXPECT_EQ(0x4546, p.w68);
  expectRequests({{498}, {617, 1}});
}

TEST_F(Boards, PlantParametersShortOfTheRecordAreRefused) {
  fake.reply(1, 498, RbReply().bytes(ramp(147)));
  uint16_t h = open();
  flntprm_t p;
  sentinel(p);
  EXPECT_EQ(EW_SIZE, flnt_rdparam(h, &p));
  EXPECT_TRUE(untouched(&p, 0, sizeof p));
}

RbReply version(uint16_t major, uint16_t minor) { return RbReply().u16(major).u16(minor).u32(0); }

TEST_F(Boards, SlaveParametersLongLayoutMirrorsTheWire) {
  fake.reply(2, 370, version(2, 0));
  fake.reply(2, 374, RbReply().bytes(ramp(408)));
  uint16_t h = open();
  prfslvprm_t p;
  sentinel(p);
  ASSERT_EQ(EW_SUCCESS, pmc_prfrdslvprm(h, 12, &p));
  expectRequests({{370, 0, 0, 0, 0, {}, kClassPmc}, {374, 12, 0, 0, 0, {}, kClassPmc}});
  EXPECT_EQ(0x0001, p.l.w0[0]);
  EXPECT_EQ(8, p.l.b8[0]);
  EXPECT_EQ(0x1415, p.l.w20[0]);
  EXPECT_EQ(0x1A1B, p.l.w20[3]);
  EXPECT_EQ(34, p.l.b34[0]);
  EXPECT_EQ(uint8_t(239), p.l.b34[205]);
  EXPECT_EQ(0xF0F1, p.l.w240);
  EXPECT_EQ(0x7071, p.l.w368);                      // bytes 368, 369 of the ramp
  EXPECT_EQ(uint8_t(407), p.l.b400[7]);
}

TEST_F(Boards, SlaveParametersShortLayoutSkipsTheGaps) {
  fake.reply(2, 370, version(0, 7));
  fake.reply(2, 374, RbReply().bytes(ramp(408)));
  uint16_t h = open();
  prfslvprm_t p;
  sentinel(p);
  ASSERT_EQ(EW_SUCCESS, pmc_prfrdslvprm(h, 1, &p));
  EXPECT_EQ(uint8_t(65), p.s.b34[31]);
  EXPECT_EQ(0xF0F1, p.s.w66);
  EXPECT_EQ(uint8_t(242), p.s.b68[0]);
  EXPECT_EQ(0x7071, p.s.w194);
  EXPECT_EQ(uint8_t(370), p.s.b196[0]);
  EXPECT_EQ(uint8_t(400), p.s.b226[0]);
  EXPECT_TRUE(untouched(&p, sizeof(prfslvprm_short_t), sizeof p));
}

TEST_F(Boards, SlaveParameterWritesBuildTheWireFromTheLayout) {
  fake.reply(2, 370, version(0, 3));
  fake.reply(2, 375, RbReply());
  uint16_t h = open();
  prfslvprm_t p;
  std::memset(&p, 0x11, sizeof p);
  p.s.w0[0] = 0x0102;
  p.s.w66 = 0xA1A2;
  p.s.b226[7] = 0x77;
  ASSERT_EQ(EW_SUCCESS, pmc_prfwrslvprm(h, 4, &p));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(370, q[0].cmd);
  EXPECT_EQ(375, q[1].cmd);
  EXPECT_EQ(4, q[1].a1);
  EXPECT_EQ(kClassPmc, q[1].cls);
  const auto& d = q[1].data;
  ASSERT_EQ(408u, d.size());
  EXPECT_EQ(0x01, d[0]);
  EXPECT_EQ(0x02, d[1]);
  EXPECT_EQ(0x11, d[65]);
  EXPECT_EQ(std::vector<uint8_t>(174, 0), std::vector<uint8_t>(d.begin() + 66, d.begin() + 240));
  EXPECT_EQ(0xA1, d[240]);
  EXPECT_EQ(0xA2, d[241]);
  EXPECT_EQ(0x77, d[407]);
}

TEST_F(Boards, UndecodableLayoutVersionsAreRefused) {
  fake.reply(2, 374, RbReply().bytes(ramp(408)));
  uint16_t h = open();
  prfslvprm_t p;
  for (auto v : {std::pair<uint16_t, uint16_t>{0, 8}, {1, 0}, {1, 9}}) {
    fake.reply(2, 370, version(v.first, v.second));
    sentinel(p);
    EXPECT_EQ(EW_UNDECODABLE, pmc_prfrdslvprm(h, 1, &p));
    EXPECT_EQ(EW_UNDECODABLE, pmc_prfwrslvprm(h, 1, &p));
    EXPECT_TRUE(untouched(&p, 0, sizeof p));
  }
  for (auto& r : sent()) EXPECT_NE(375, r.cmd);
  dtailerr_t d{-1, -1};
  EXPECT_EQ(EW_SUCCESS, pmc_getdtailerr(h, &d));
  EXPECT_EQ(0, d.detail);
}

TEST_F(Boards, SharedMemoryInPiecesWithAShortPieceEndingTheRead) {
  fake.on(1, 245, [](const sim::RbRequest& q) {
    return RbReply().bytes(std::vector<uint8_t>(q.a2 == 100 ? 1432 : 68, uint8_t(q.a2)));
  });
  fake.reply(1, 246, RbReply());
  uint16_t h = open();
  std::vector<uint8_t> buf(3000, 0xEE);
  int32_t len = 3000;
  ASSERT_EQ(EW_SUCCESS, cnc_rdflnetsram(h, 1, 100, &len, buf.data()));
  EXPECT_EQ(1500, len);
  EXPECT_EQ(0xEE, buf[1500]);
  len = 1500;
  ASSERT_EQ(EW_SUCCESS, cnc_wrflnetsram(h, 1, 100, &len, buf.data()));
  EXPECT_EQ(1500, len);
  expectRequests({{245, 1, 100, 1432}, {245, 1, 1532, 1432},
                  {246, 1, 100, 0, 0, {buf.begin(), buf.begin() + 1420}},
                  {246, 1, 1520, 0, 0, {buf.begin() + 1420, buf.begin() + 1500}}});
  len = 0;
  EXPECT_EQ(EW_SIZE, cnc_rdflnetsram(h, 1, 0, &len, buf.data()));
}

TEST_F(Boards, RequestsWithTheirOwnArguments) {
  fake.reply(1, 621, RbReply().bytes({9, 8, 7, 6}));
  fake.on_other_rb([](const sim::RbRequest&) { return RbReply(); });
  uint16_t h = open();
  uint8_t buf[3] = {0xAB, 0xCD, 0xEE};
  int16_t len = 3;
  ASSERT_EQ(EW_SUCCESS, pbm_rd_param(h, 5, &len, buf));
  EXPECT_EQ(3, len);
  EXPECT_EQ(7, buf[2]);
  len = 1;
  EXPECT_EQ(EW_SIZE, pbm_rd_param(h, 5, &len, buf));
  ASSERT_EQ(EW_SUCCESS, pbm_chg_mode(h, 2));
  ASSERT_EQ(EW_SUCCESS, pmc_prfwropmode(h, 3));
  ASSERT_EQ(EW_SUCCESS, flnt_clrnetwork(h));
  ASSERT_EQ(EW_SUCCESS, flnt_clrlog(h));
  ASSERT_EQ(EW_SUCCESS, flnt_clrmsg(h));
  len = 0;
  ASSERT_EQ(EW_SUCCESS, flnt_rdnodeinfo2(h, 7, 33, &len, buf));
  expectRequests({{621, 5, 0, 0, 0, {0xAB, 0xCD}}, {623, 2}, {446, 3, 0, 0, 0, {}, kClassPmc},
                  {503}, {505}, {507}, {618, 33, 7}});
}

}  // namespace
}  // namespace oz::test
