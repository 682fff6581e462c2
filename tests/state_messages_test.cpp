// Alarms, operator messages and modal data against the fake controller.
#include <cstring>

#include "tests/support.h"

namespace oz::test {
namespace {

using sim::RbReply;

// Alarm records with a text area of `text` bytes: w0 = 100 + i, w1 = i, w2 = 200 + i.
RbReply alarms(int n, int text = 32, int16_t result = 0) {
  RbReply r;
  r.result = result;
  for (int i = 0; i < n; ++i) {
    r.i32(100 + i).i32(i).i32(200 + i).i32(5);
    std::string t = "ALARM" + std::to_string(i);
    t.resize(size_t(text), '.');
    r.text(t, size_t(text));
  }
  return r;
}

class Messages : public FakeTest {};

TEST_F(Messages, AlarmStatusWord) {
  uint16_t h = open();
  fake.reply(1, 26, RbReply().i32(0x00028001));
  alarm_t a;
  sentinel(a);
  ASSERT_EQ(EW_SUCCESS, cnc_alarm(h, &a));
  EXPECT_EQ(int16_t(0x8001), a.data);
  EXPECT_EQ(int32_t(0xEEEEEEEE), a.reserved);
  EXPECT_EQ(int16_t(0xEEEE), a.pad);
  int32_t w = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_alarm2(h, &w));
  EXPECT_EQ(0x00028001, w);
  fake.reply(1, 135, RbReply());
  ASSERT_EQ(EW_SUCCESS, cnc_clralm(h, 3));
  EXPECT_EQ(3, sent().back().a1);
}

TEST_F(Messages, AlarmInfoShortFormWithPendingAlarms) {
  uint16_t h = open();
  fake.reply(1, 35, alarms(10, 32, 2));
  uint8_t buf[42];
  sentinel(buf);
  EXPECT_EQ(EW_SIZE, cnc_rdalminfo(h, 0, 1, 42, buf));
  auto q = sent();
  ASSERT_EQ(1u, q.size());
  EXPECT_EQ((std::array<int, 4>{1, 10, 0, 32}), (std::array<int, 4>{q[0].a1, q[0].a2, q[0].a3, q[0].a4}));
  alminfo_short_t e[10];
  std::memcpy(e, buf, 40);
  EXPECT_EQ(200, e[0].w2);
  EXPECT_EQ(100, e[0].w0);
  EXPECT_EQ(209, e[9].w2);
  int16_t mark;
  std::memcpy(&mark, buf + 40, 2);
  EXPECT_EQ(-1, mark);
}

TEST_F(Messages, AlarmInfoPendingWithFullCapacitySucceeds) {
  uint16_t h = open();
  fake.reply(1, 35, alarms(2, 32, 2));
  std::vector<uint8_t> buf(2 + 38 * 29, 0xEE);
  ASSERT_EQ(EW_SUCCESS, cnc_rdalminfo(h, 1, 1, int16_t(buf.size()), buf.data()));
  EXPECT_EQ(29, sent()[0].a2);
  alminfo_short_msg_t e;
  std::memcpy(&e, buf.data() + 38, sizeof e);
  EXPECT_EQ(201, e.w2);
  EXPECT_EQ(101, e.w0);
  EXPECT_EQ(5, e.msg_len);
  EXPECT_EQ(0, std::memcmp(e.msg, "ALARM1....", 10));
  EXPECT_EQ(0xFF, buf[76]);
  EXPECT_EQ(0xEE, buf[78]);
}

TEST_F(Messages, AlarmInfoLongFormAndItsEndMarkBound) {
  sim::FakeConfig cfg = sim::FakeConfig::standard();
  cfg.max_axes = 20;   // axes delivered: 20
  cfg.paths[0].axes(3);
  sim::FakeController wide(cfg);
  uint16_t h = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", wide.port(), 1, &h));
  wide.reply(1, 35, alarms(3));
  uint8_t buf[2 + 40 * 3];
  sentinel(buf);
  ASSERT_EQ(EW_SUCCESS, cnc_rdalminfo(h, 1, 0, sizeof buf, buf));
  alminfo_long_msg_t e;
  std::memcpy(&e, buf + 40, sizeof e);
  EXPECT_EQ(201, e.w2);
  EXPECT_EQ(101, e.w0);
  EXPECT_EQ(5, e.msg_len);
  // A four-byte end mark does not fit in the two bytes left: none is written.
  EXPECT_TRUE(untouched(buf, 120, sizeof buf));
  uint8_t small[2 + 8];
  sentinel(small);
  ASSERT_EQ(EW_SUCCESS, cnc_rdalminfo(h, 0, 0, sizeof small, small));
  alminfo_long_t l;
  std::memcpy(&l, small, 8);
  EXPECT_EQ(200, l.w2);
  EXPECT_EQ(100, l.w0);
  EXPECT_EQ(int16_t(0xEEEE), l.reserved);
}

TEST_F(Messages, AlarmInfoLengthTestsSendNothing) {
  uint16_t h = open();
  uint8_t buf[64];
  EXPECT_EQ(EW_SIZE, cnc_rdalminfo(h, 0, 0, 2, buf));
  EXPECT_EQ(EW_SIZE, cnc_rdalminfo(h, 0, 0, 5, buf));
  EXPECT_EQ(EW_SIZE, cnc_rdalminfo(h, 1, 0, 39, buf));
  EXPECT_TRUE(sent().empty());
}

TEST_F(Messages, AlarmMessagesLowerTheCountBeforeSending) {
  uint16_t h = open();
  int16_t seen = 0;
  int16_t count = 100;
  fake.on(1, 35, [&](const sim::RbRequest& q) {
    seen = count;
    return q.a4 == 64 ? alarms(2, 64, 2) : alarms(3, 32);
  });
  almmsg_t m[29];
  sentinel(m);
  ASSERT_EQ(EW_SUCCESS, cnc_rdalmmsg(h, 1, &count, m));
  EXPECT_EQ(29, seen);
  EXPECT_EQ(3, count);
  auto q = sent();
  EXPECT_EQ((std::array<int, 4>{1, 29, 2, 32}), (std::array<int, 4>{q[0].a1, q[0].a2, q[0].a3, q[0].a4}));
  EXPECT_EQ(102, m[2].w0);
  EXPECT_EQ(2, m[2].w1);
  EXPECT_EQ(202, m[2].w2);
  EXPECT_EQ(0, m[2].zero);
  EXPECT_EQ(5, m[2].msg_len);
  EXPECT_EQ(0, std::memcmp(m[2].msg, "ALARM2", 6));
  EXPECT_TRUE(untouched(&m[3], 0, sizeof m[3]));
  almmsg2_t m2[17];
  count = 20;
  ASSERT_EQ(EW_SUCCESS, cnc_rdalmmsg2(h, 1, &count, m2));   // result 2 cleared
  EXPECT_EQ(17, seen);
  EXPECT_EQ(2, count);
  EXPECT_EQ('.', m2[1].msg[63]);
  count = 0;
  EXPECT_EQ(EW_SIZE, cnc_rdalmmsg(h, 1, &count, m));
  EXPECT_EQ(2u, sent().size());
}

TEST_F(Messages, AlarmMessagesNeverPassTheCount) {
  uint16_t h = open();
  fake.reply(1, 35, alarms(5));
  almmsg_t m[3];
  sentinel(m);
  int16_t count = 2;
  ASSERT_EQ(EW_SUCCESS, cnc_rdalmmsg(h, 0, &count, m));
  EXPECT_EQ(2, count);
  EXPECT_TRUE(untouched(&m[2], 0, sizeof m[2]));
}

RbReply opmsgs(int n, int32_t first_number = 2000, int32_t type = 0) {
  RbReply r;
  for (int i = 0; i < n; ++i) {
    r.i32(first_number + i).i32(type).i32(4);
    std::string t = "MSG" + std::to_string(i);
    t.resize(256, 'm');
    r.text(t, 256);
  }
  return r;
}

TEST_F(Messages, OpmsgThreeFetchesInBatchesOfFive) {
  uint16_t h = open();
  fake.on(1, 208, [](const sim::RbRequest& q) { return opmsgs(q.a3, 2000 + q.a1); });
  opmsg_t m[12];
  int16_t count = 12;
  ASSERT_EQ(EW_SUCCESS, cnc_rdopmsg3(h, 1, &count, m));
  EXPECT_EQ(12, count);
  auto q = sent();
  ASSERT_EQ(3u, q.size());
  const int a1[] = {0, 5, 10}, a3[] = {5, 5, 2};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(a1[i], q[i].a1);
    EXPECT_EQ(1, q[i].a2);
    EXPECT_EQ(a3[i], q[i].a3);
  }
  EXPECT_EQ(2011, m[11].datano);
  EXPECT_EQ(4, m[11].char_num);
  EXPECT_EQ(0, std::memcmp(m[11].data, "MSG1mm", 6));
  EXPECT_EQ('m', m[11].data[255]);
}

TEST_F(Messages, OpmsgThreeStopsWhenTheControllerRunsOut) {
  uint16_t h = open();
  fake.on(1, 208, [](const sim::RbRequest& q) { return q.a1 == 0 ? opmsgs(5) : RbReply::fail(5); });
  opmsg_t m[12];
  int16_t count = 12;
  ASSERT_EQ(EW_SUCCESS, cnc_rdopmsg3(h, 0, &count, m));
  EXPECT_EQ(5, count);
  fake.on(1, 208, [](const sim::RbRequest&) { return RbReply::fail(5); });
  count = 3;
  EXPECT_EQ(EW_VALUE, cnc_rdopmsg3(h, 0, &count, m));
  // More messages than the count has room for.
  fake.on(1, 208, [](const sim::RbRequest&) { return opmsgs(4); });
  count = 3;
  EXPECT_EQ(EW_SIZE, cnc_rdopmsg3(h, 0, &count, m));
}

TEST_F(Messages, OpmsgReadsTheFirstRecordAndWantsTypeZero) {
  uint16_t h = open();
  fake.reply(1, 52, opmsgs(2, 2005));
  opmsg_t m[2];
  sentinel(m);
  ASSERT_EQ(EW_SUCCESS, cnc_rdopmsg(h, 0, sizeof(opmsg_t), m));
  EXPECT_EQ(2005, m[0].datano);
  EXPECT_TRUE(untouched(&m[1], 0, sizeof m[1]));
  EXPECT_EQ(EW_SIZE, cnc_rdopmsg(h, 0, 261, m));
  EXPECT_EQ(EW_KIND, cnc_rdopmsg(h, 1, 262, m));
  EXPECT_EQ(1u, sent().size());
}

TEST_F(Messages, Opmsg2MapsNumbersAndChecksTheLength) {
  uint16_t h = open();
  RbReply r = opmsgs(1, 1500);
  RbReply second = opmsgs(1, 2050);
  r.data.insert(r.data.end(), second.data.begin(), second.data.end());
  fake.reply(1, 52, r);
  opmsg2_t m[3];
  sentinel(m);
  EXPECT_EQ(EW_SIZE, cnc_rdopmsg2(h, -1, 139, m));
  EXPECT_TRUE(untouched(m, 0, sizeof m));
  ASSERT_EQ(EW_SUCCESS, cnc_rdopmsg2(h, -1, 140, m));
  EXPECT_EQ(0, m[0].datano);
  EXPECT_EQ(2050, m[1].datano);
  EXPECT_EQ('m', m[1].data[63]);
  EXPECT_TRUE(untouched(&m[2], 0, sizeof m[2]));
  EXPECT_EQ(-1, sent()[0].a1);
}

TEST_F(Messages, LineOpmsgIsCutToTheStructure) {
  uint16_t h = open();
  RbReply r;
  r.data.assign(600, 'L');
  fake.reply(1, 227, r);
  lnopmsg_t m[2];
  sentinel(m);
  ASSERT_EQ(EW_SUCCESS, cnc_rdlnopmsg(h, m));
  EXPECT_EQ('L', m[0].data[511]);
  EXPECT_TRUE(untouched(&m[1], 0, sizeof m[1]));
}

class PackedMessages : public FakeTest {
 protected:
  PackedMessages() : FakeTest(cfg()) {}
  static sim::FakeConfig cfg() {
    auto c = sim::FakeConfig::standard(2);
    c.kind = 2;
    return c;
  }
};

TEST_F(PackedMessages, EntriesOf136BytesWithinTheLength) {
  uint16_t h = open();
  ASSERT_TRUE(rec(h).has(kDialectPacked));
  fake.reply(1, 52, opmsgs(2, 2000, 4));
  uint8_t buf[200];
  sentinel(buf);
  EXPECT_EQ(EW_SIZE, cnc_rdopmsg(h, -1, 577, buf));
  EXPECT_TRUE(sent().empty());
  ASSERT_EQ(EW_SUCCESS, cnc_rdopmsg(h, 4, 150, buf));
  opmsg_packed_t e;
  std::memcpy(&e, buf, sizeof e);
  EXPECT_EQ(2000, e.datano);
  EXPECT_EQ(4, e.type);
  EXPECT_EQ('m', e.data[33]);
  EXPECT_EQ(int8_t(0xEE), e.data[34]);   // type 4 keeps 34 bytes of text
  EXPECT_EQ(2001, int16_t(buf[136] | buf[137] << 8));
  EXPECT_TRUE(untouched(buf, 150, sizeof buf));
}

// ---- modal ---------------------------------------------------------------------------

TEST_F(Messages, ModalDispatchTable) {
  uint16_t h = open();
  fake.reply(1, 33, RbReply().bytes({1, 0, 2, 1, 3, 3}));
  fake.reply(1, 34, RbReply().i32(5).i16(0x1234).i16(0x0056));
  struct Row {
    int16_t type;
    int cmd, sent;
  };
  const Row rows[] = {{-5, 33, -3}, {-4, 33, -2}, {-1, 33, -1}, {0, 33, 0},    {99, 33, 99},
                      {300, 33, 100}, {399, 33, 199}, {-3, 34, -2}, {105, 34, 10}, {125, 34, 12},
                      {200, 34, 100}, {299, 34, 199}};
  for (const Row& r : rows) {
    fake.clear_received();
    modal_t m;
    sentinel(m);
    ASSERT_EQ(EW_SUCCESS, cnc_modal(h, r.type, 7, &m)) << r.type;
    auto q = sent();
    ASSERT_EQ(1u, q.size());
    EXPECT_EQ(r.cmd, q[0].cmd) << r.type;
    EXPECT_EQ(r.sent, q[0].a1) << r.type;
    EXPECT_EQ(7, q[0].a2);
    EXPECT_EQ(r.type, m.datano);
    EXPECT_EQ(7, m.type);
    if (r.cmd == 33) {
      EXPECT_EQ(1, m.u.g[0]);
      EXPECT_EQ(0x82, m.u.g[1]);
      EXPECT_EQ(0x83, m.u.g[2]);
      EXPECT_EQ(0xEE, m.u.g[3]);
    } else {
      EXPECT_EQ(5, m.u.item[0].data);
      EXPECT_EQ(0x34, m.u.item[0].attr[0]);
      EXPECT_EQ(0x56, m.u.item[0].attr[1]);
      EXPECT_EQ(0xEE, m.u.item[0].pad[0]);
    }
  }
  modal_t m;
  sentinel(m);
  fake.clear_received();
  EXPECT_EQ(EW_RANGE, cnc_modal(h, -6, 0, &m));
  EXPECT_EQ(-6, m.datano);   // stored before the test
  EXPECT_EQ(EW_RANGE, cnc_modal(h, 400, 0, &m));
  EXPECT_EQ(EW_RANGE, cnc_modal(h, 127, 0, &m));
  EXPECT_TRUE(sent().empty());
}

TEST_F(Messages, ModalAllItemsComeBackReorderedByTheItemMap) {
  uint16_t h = open();
  RbReply r;
  for (int i = 0; i < 29; ++i) r.i32(1000 + i).i16(int16_t(i)).i16(0);
  fake.reply(1, 34, r);
  modal_t m;
  sentinel(m);
  ASSERT_EQ(EW_SUCCESS, cnc_modal(h, -2, 0, &m));
  EXPECT_EQ(-1, sent()[0].a1);
  EXPECT_EQ(1001, m.u.item[0].data);
  EXPECT_EQ(1013, m.u.item[26].data);
  EXPECT_EQ(1028, m.u.item[24].data);
}

TEST_F(Messages, GcodeTextWithDecimals) {
  uint16_t h = open();
  fake.reply(1, 150, RbReply()
                         .i16(1).i16(0).i32(1).i32(0)
                         .i16(8).i16(1).i32(431).i32(1)
                         .i16(9).i16(0).i32(123456789).i32(0)
                         .i16(3).i16(0).i32(5).i32(7));
  gcode_t g[5];
  sentinel(g);
  int16_t count = 5;
  ASSERT_EQ(EW_SUCCESS, cnc_rdgcode(h, -1, 1, &count, g));
  EXPECT_EQ(4, count);
  EXPECT_STREQ("G01", g[0].code);
  EXPECT_STREQ("G43.1", g[1].code);
  EXPECT_EQ(8, g[1].group);
  EXPECT_EQ(1, g[1].flag);
  EXPECT_STREQ("G123456", g[2].code);
  EXPECT_STREQ("G05", g[3].code);
  EXPECT_TRUE(untouched(&g[4], 0, sizeof g[4]));
  count = 2;
  ASSERT_EQ(EW_SUCCESS, cnc_rdgcode(h, -1, 1, &count, g));
  EXPECT_EQ(2, count);
  count = 0;
  EXPECT_EQ(EW_SIZE, cnc_rdgcode(h, -1, 1, &count, g));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(-1, q[0].a1);
  EXPECT_EQ(1, q[0].a2);
}

TEST_F(Messages, CommandValuesAllOrNothing) {
  uint16_t h = open();
  fake.reply(1, 151, RbReply().bytes({'F', 1}).i16(2).i32(1200).i32(3).bytes({'S', 0}).i16(0).i32(-5).i32(0));
  cmdvalue_t v[3];
  sentinel(v);
  int16_t count = 1;
  EXPECT_EQ(EW_SIZE, cnc_rdcommand(h, -1, 0, &count, v));
  EXPECT_TRUE(untouched(v, 0, sizeof v));
  count = 3;
  ASSERT_EQ(EW_SUCCESS, cnc_rdcommand(h, -1, 0, &count, v));
  EXPECT_EQ(2, count);
  EXPECT_EQ('F', v[0].adrs);
  EXPECT_EQ(1, v[0].num);
  EXPECT_EQ(2, v[0].flag);
  EXPECT_EQ(1200, v[0].cmd_val);
  EXPECT_EQ(3, v[0].dec_val);
  EXPECT_EQ(-5, v[1].cmd_val);
  EXPECT_TRUE(untouched(&v[2], 0, sizeof v[2]));
}

}  // namespace
}  // namespace oz::test
