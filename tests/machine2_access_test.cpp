// Protection, position sampling and raw memory against the fake controller:
// requests and decodes as rows, the lock-status PDUs on both connections, the
// piece loops and their stop rules, element conversion per width.
#include <cstring>
#include <functional>
#include <thread>

#include "tests/support.h"

namespace oz::test {
namespace {

using sim::Conn;
using sim::RbReply;
using sim::ReceivedPdu;

class Access : public FakeTest {};

// ---- protection ----------------------------------------------------------------------

TEST_F(Access, ProtectionRequestsAndTheirDecodes) {
  fake.on_other_rb([](const sim::RbRequest&) { return RbReply(); });
  fake.reply(1, 192, RbReply().i16(3));
  fake.reply(1, 197, RbReply().i16(-1).i16(2));
  fake.reply(1, 199, RbReply().i16(9));
  uint16_t h = open();
  const char a[12] = {'A', 'B', 'C', 0, 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L'};
  const char b[12] = {'1', '2'}, c[12] = {'3'};
  int16_t lvl = 0, l1 = 0, l2 = 0, v = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_rdope_lvl(h, &lvl));
  ASSERT_EQ(EW_SUCCESS, cnc_prot_pswinp(h, a));
  ASSERT_EQ(EW_SUCCESS, cnc_prot_pswcan(h));
  ASSERT_EQ(EW_SUCCESS, cnc_prot_pswchg(h, 4, a, b, c));
  ASSERT_EQ(EW_SUCCESS, cnc_prot_pswinit(h, 2));
  ASSERT_EQ(EW_SUCCESS, cnc_rdprt_lvl(h, 5, &l1, &l2));
  ASSERT_EQ(EW_SUCCESS, cnc_wrprt_lvl(h, 5, 6, -7));
  ASSERT_EQ(EW_SUCCESS, cnc_rdprt_data(h, 8, &v));
  std::vector<uint8_t> pa(a, a + 12), all(pa);
  all.insert(all.end(), b, b + 12);
  all.insert(all.end(), c, c + 12);
  expectRequests({{192}, {193, 0, 0, 0, 0, pa}, {194}, {195, 4, 0, 0, 0, all}, {196, 2}, {197, 5},
                  {198, 5, 6, -7}, {199, 8}});
  EXPECT_EQ(3, lvl);
  EXPECT_EQ(-1, l1);
  EXPECT_EQ(2, l2);
  EXPECT_EQ(9, v);
}

class LockStatus : public FakeTest {
 protected:
  // Answers the lock-status and protection-bit PDUs with a status per type.
  void answer(uint8_t type, uint32_t status, int16_t result = 0) {
    fake.on_pdu(type, [type, status, result](Conn& c, const ReceivedPdu&) {
      std::vector<uint8_t> b(18, 0);
      b[1] = 1;
      b[3] = 16;
      for (int i = 0; i < 4; ++i) b[size_t(4 + i)] = uint8_t(status >> (24 - 8 * i));
      b[10] = uint8_t(result >> 8);
      b[11] = uint8_t(result);
      c.send(type, 2, b);
    });
  }
  std::vector<ReceivedPdu> pdus(std::initializer_list<uint8_t> types) const {
    std::vector<ReceivedPdu> out;
    for (auto& p : fake.received())
      for (uint8_t t : types)
        if (p.type == t) out.push_back(p);
    return out;
  }
};

TEST_F(LockStatus, AsksBothConnectionsAndOrsTheStatuses) {
  answer(29, 0x01);
  answer(36, 0x10);
  uint16_t h = open();
  uint8_t st[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  ASSERT_EQ(EW_SUCCESS, cnc_getlockstat(h, -2, st));
  EXPECT_EQ((std::vector<uint8_t>{0x11, 0, 0, 0}), std::vector<uint8_t>(st, st + 4));
  auto p = pdus({29, 36});
  ASSERT_EQ(2u, p.size());
  EXPECT_EQ(29, p[0].type);
  EXPECT_EQ(1, p[0].sock);
  EXPECT_EQ(2, p[1].sock);
  EXPECT_EQ((std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFE}), p[0].body);
  EXPECT_EQ(p[0].body, p[1].body);
  EXPECT_FALSE(rec(h).hold.held());
}

TEST_F(LockStatus, ChangeSendsKindMaskAndValueAndWritesTheStatusBack) {
  answer(30, 0x0100);
  answer(37, 0x80000000u);
  uint16_t h = open();
  uint8_t mask[4] = {0x01, 0x02, 0x03, 0x04};
  ASSERT_EQ(EW_SUCCESS, cnc_chgprotbit(h, 7, mask, 0x55));
  EXPECT_EQ((std::vector<uint8_t>{0x00, 0x01, 0x00, 0x80}), std::vector<uint8_t>(mask, mask + 4));
  auto p = pdus({30, 37});
  ASSERT_EQ(2u, p.size());
  EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 7, 0x04, 0x03, 0x02, 0x01, 0, 0, 0, 0x55}), p[0].body);
  EXPECT_EQ(p[0].body, p[1].body);
  EXPECT_EQ(2, p[1].sock);
}

TEST_F(LockStatus, RefusedWithoutSendingWhenBusyOrTooOld) {
  answer(29, 0);
  answer(36, 0);
  fake.on_pdu(17, [](Conn& c, const ReceivedPdu&) { c.send(17, 2, {}); });
  uint16_t h = open(), other = open();
  uint8_t st[4] = {9, 9, 9, 9};
  ASSERT_EQ(EW_SUCCESS, cnc_dwnstart3(other, 0));
  EXPECT_EQ(EW_INUSE, cnc_getlockstat(h, 0, st));
  EXPECT_EQ(EW_INUSE, cnc_chgprotbit(h, 0, st, 1));
  EXPECT_EQ(EW_INUSE, cnc_getlockstat(other, 0, st));   // its own session holds the lock too
  rec(h).flags &= ~uint32_t(kProtocol2);
  EXPECT_EQ(EW_UNAVAILABLE, cnc_getlockstat(h, 0, st));
  EXPECT_TRUE(pdus({29, 30, 36, 37}).empty());
  EXPECT_EQ(9, st[0]);
  rec(h).flags |= kProtocol2;
  fake.on_pdu(19, [](Conn& c, const ReceivedPdu&) { c.send(19, 2, {}); });
  ASSERT_EQ(EW_SUCCESS, cnc_dwnend3(other));
  EXPECT_EQ(EW_SUCCESS, cnc_getlockstat(h, 0, st));
}

TEST_F(LockStatus, AResultInTheAnswerFailsTheCallAndFreesTheLock) {
  answer(29, 0);
  answer(36, 0, 6);
  uint16_t h = open();
  uint8_t st[4] = {9, 9, 9, 9};
  EXPECT_EQ(EW_NOFEATURE, cnc_getlockstat(h, 0, st));
  EXPECT_EQ(9, st[0]);
  EXPECT_FALSE(rec(h).hold.held());
}

// ---- position sampling -------------------------------------------------------------------

TEST_F(Access, SamplesComeInBatchesOf89UntilTheRunEnds) {
  int calls = 0;
  fake.on(1, 663, [&](const sim::RbRequest& q) {
    if (calls++ == 1) return RbReply::fail(3);
    RbReply r;
    for (int i = 0; i < q.a1; ++i)
      for (int w = 0; w < 8; ++w) r.u16(uint16_t(i * 8 + w));
    return r;
  });
  uint16_t h = open();
  std::vector<possmpl_t> s(200);
  sentinel(s[89]);
  int32_t n = 200;
  ASSERT_EQ(EW_SUCCESS, cnc_rdpossmpl(h, &n, s.data()));
  EXPECT_EQ(89, n);
  expectRequests({{663, 89}, {663, 89}});
  EXPECT_EQ(88 * 8, s[88].w0);
  EXPECT_EQ(88 * 8 + 1, s[88].w1);
  EXPECT_EQ(88 * 8 + 7, s[88].data[5]);
  EXPECT_TRUE(untouched(&s[89], 0, sizeof s[89]));
}

TEST_F(Access, SamplingAsksForWhatRemainsAndStopsOnAnEmptyBatch) {
  fake.on(1, 663, [](const sim::RbRequest& q) {
    return q.a1 < 89 ? RbReply() : RbReply().bytes(std::vector<uint8_t>(size_t(q.a1) * 16, 1));
  });
  uint16_t h = open();
  std::vector<possmpl_t> s(300);
  int32_t n = 300;
  ASSERT_EQ(EW_SUCCESS, cnc_rdpossmpl(h, &n, s.data()));
  EXPECT_EQ(267, n);
  expectRequests({{663, 89}, {663, 89}, {663, 89}, {663, 33}});
}

TEST_F(Access, SamplingStartEndTorqueCoordinatesAndRepeat) {
  fake.reply(1, 613, RbReply().bytes(std::vector<uint8_t>(80, 0x42)));
  RbReply twp;
  twp.i32(-1).i32(0x01020304).i32(3);
  for (int16_t w = 1; w <= 9; ++w) twp.i16(int16_t(-w));
  fake.reply(1, 633, twp);
  fake.reply(1, 710, RbReply().i32(123456));
  fake.on_other_rb([](const sim::RbRequest&) { return RbReply(); });
  uint16_t h = open();
  const uint8_t setting[6] = {1, 2, 3, 4, 5, 6};
  ASSERT_EQ(EW_SUCCESS, cnc_stpossmpl(h, -3, setting));
  ASSERT_EQ(EW_SUCCESS, cnc_endpossmpl(h));
  std::vector<uint8_t> buf(64, 0xEE);
  int32_t len = 50;
  ASSERT_EQ(EW_SUCCESS, cnc_rdtrqmonitor(h, 2, buf.data(), &len));
  EXPECT_EQ(50, len);
  EXPECT_EQ(0x42, buf[49]);
  EXPECT_EQ(0xEE, buf[50]);
  twpcoord_t t;
  sentinel(t);
  ASSERT_EQ(EW_SUCCESS, cnc_twp_rdfcoord(h, 200, &t));
  EXPECT_EQ(-1, t.value[0]);
  EXPECT_EQ(0x01020304, t.value[1]);
  EXPECT_EQ(-1, t.a[0]);
  EXPECT_EQ(-6, t.b[2]);
  EXPECT_EQ(-9, t.c[2]);
  EXPECT_EQ(0xEEEE, uint16_t(t.pad));
  int32_t rep = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_rdrepeatval(h, &rep));
  EXPECT_EQ(123456, rep);
  expectRequests({{662, -3, 0, 0, 0, {1, 2, 3, 4, 5, 6}}, {664}, {613, 2, 50}, {633, 200}, {710}});
}

TEST_F(Access, SamplingArgumentTestsComeBeforeSending) {
  uint16_t h = open();
  char buf[8];
  int32_t len = 0, n = 0;
  EXPECT_EQ(EW_SIZE, cnc_rdtrqmonitor(h, -1, buf, &len));
  len = 8;
  EXPECT_EQ(EW_RANGE, cnc_rdtrqmonitor(h, -1, buf, &len));
  possmpl_t s;
  EXPECT_EQ(EW_SIZE, cnc_rdpossmpl(h, &n, &s));
  EXPECT_TRUE(sent().empty());
}

// ---- raw memory ----------------------------------------------------------------------------

RbReply echoElements(const sim::RbRequest& q) {
  RbReply r;
  for (int i = 0; i < q.a4 << q.a3; ++i) r.data.push_back(uint8_t(q.a2 + i));
  return r;
}

TEST_F(Access, WordsAreReadInPiecesOf716AndConverted) {
  fake.on(1, 39, echoElements);
  uint16_t h = open();
  std::vector<uint16_t> w(1001, 0xEEEE);
  ASSERT_EQ(EW_SUCCESS, cnc_rdfbusmem(h, 1, 3, 0x1000, 1000, w.data()));
  expectRequests({{39, 3, 0x1000, 1, 716}, {39, 3, 0x1000 + 1432, 1, 284}});
  EXPECT_EQ(0x0001, w[0]);                  // bytes 00 01 of the wire
  EXPECT_EQ(0x9899, w[716]);                // second piece from (0x1000 + 1432) & 0xFF = 0x98
  EXPECT_EQ(0xEEEE, w[1000]);
}

TEST_F(Access, ControllerMemoryUsesItsOwnCommandsAndLongWords) {
  fake.on(1, 171, echoElements);
  fake.reply(1, 172, RbReply());
  uint16_t h = open();
  uint32_t v[2] = {};
  ASSERT_EQ(EW_SUCCESS, cnc_rdcncmem(h, 2, 0x10, 2, v));
  EXPECT_EQ(0x10111213u, v[0]);
  ASSERT_EQ(EW_SUCCESS, cnc_rdfbusmem(h, 2, -5, 0x20, 1, v));
  std::vector<uint32_t> out(400);
  for (size_t i = 0; i < out.size(); ++i) out[i] = 0xA0B0C000u + uint32_t(i);
  ASSERT_EQ(EW_SUCCESS, cnc_wrcncmem(h, 2, 0x100, 400, out.data()));
  auto q = sent();
  ASSERT_EQ(4u, q.size());
  expectRequests({{171, 0, 0x10, 2, 2}, {171, 0, 0x20, 2, 1},
                  {172, 0, 0x100, 2, 0, q[2].data}, {172, 0, 0x100 + 1420, 2, 0, q[3].data}});
  ASSERT_EQ(1420u, q[2].data.size());
  ASSERT_EQ(180u, q[3].data.size());
  EXPECT_EQ(int32_t(0xA0B0C000), be32(q[2].data, 0));
  EXPECT_EQ(int32_t(0xA0B0C000 + 355), be32(q[3].data, 0));
}

TEST_F(Access, BytesAndWordsGoOutInWireOrder) {
  fake.reply(1, 40, RbReply());
  uint16_t h = open();
  const uint16_t w[2] = {0x1234, 0xABCD};
  const uint8_t b[3] = {7, 8, 9};
  ASSERT_EQ(EW_SUCCESS, cnc_wrfbusmem(h, 1, 2, 0, 2, w));
  ASSERT_EQ(EW_SUCCESS, cnc_wrfbusmem(h, 0, 2, 6, 3, b));
  expectRequests({{40, 2, 0, 1, 0, {0x12, 0x34, 0xAB, 0xCD}}, {40, 2, 6, 0, 0, {7, 8, 9}}});
}

TEST_F(Access, MemoryRefusesBadTypesCountsAndShortReplies) {
  fake.reply(1, 39, RbReply().bytes({1, 2, 3}));
  uint16_t h = open();
  uint8_t buf[16];
  std::memset(buf, 0xEE, sizeof buf);
  EXPECT_EQ(EW_KIND, cnc_rdfbusmem(h, 3, 0, 0, 0, buf));
  EXPECT_EQ(EW_SIZE, cnc_rdfbusmem(h, 0, 0, 0, 0, buf));
  EXPECT_EQ(EW_KIND, cnc_wrcncmem(h, -1, 0, 4, buf));
  EXPECT_EQ(EW_SIZE, cnc_wrcncmem(h, 2, 0, -4, buf));
  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(EW_SIZE, cnc_rdfbusmem(h, 1, 0, 0, 2, buf));   // 3 bytes for two words
}

}  // namespace
}  // namespace oz::test
