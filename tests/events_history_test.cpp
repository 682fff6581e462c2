// Operation, alarm and message histories against the fake controller.
#include <functional>

#include "tests/events_support.h"

namespace oz::test {
namespace {

using sim::RbReply;

class History : public FakeTest {};

// ---- single requests -------------------------------------------------------------

struct SimpleRow {
  const char* name;
  std::function<int16_t(uint16_t)> run;
  Req want;
};

TEST_F(History, SingleRequests) {
  const SimpleRow rows[] = {
      {"stopophis", [](uint16_t h) { return cnc_stopophis(h); }, {103}},
      {"startophis", [](uint16_t h) { return cnc_startophis(h); }, {104}},
      {"stopomhis", [](uint16_t h) { return cnc_stopomhis(h); }, {112}},
      {"startomhis", [](uint16_t h) { return cnc_startomhis(h); }, {113}},
      {"clearophis", [](uint16_t h) { return cnc_clearophis(h, 3); }, {109, 3}},
      {"wrkeyhistry", [](uint16_t h) { return cnc_wrkeyhistry(h, 0xA5); }, {698, 0xA5}},
      {"clearomhis", [](uint16_t h) { return cnc_clearomhis(h); }, {116, 0}},
  };
  uint16_t h = open();
  rec(h).flags &= ~uint32_t(kDialectCurrent);
  for (const SimpleRow& r : rows) {
    SCOPED_TRACE(r.name);
    fake.reply(1, r.want.cmd, RbReply());
    fake.clear_received();
    ASSERT_EQ(EW_SUCCESS, r.run(h));
    test::expectRequests(sent(), {r.want});
  }
  rec(h).flags |= kDialectCurrent;
  fake.clear_received();
  ASSERT_EQ(EW_SUCCESS, cnc_clearomhis(h));
  expectRequests({{116, 2}});
}

TEST_F(History, RecordCounts) {
  struct Row {
    int16_t (*fn)(uint16_t, ophisno_t*);
    uint16_t cmd;
    RbReply reply;
    uint16_t want;
  } rows[] = {
      {cnc_rdophisno, 105, RbReply().u32(0x00012345), 0x2345},
      {cnc_rdophisno3, 215, RbReply().u32(7), 7},
      {cnc_rdalmhisno, 107, RbReply().u32(0xFFFF0009), 9},
      {cnc_rdalmhisno3, 214, RbReply().u32(12), 12},
      {cnc_rdomhisno, 436, RbReply().u16(31), 31},
  };
  uint16_t h = open();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.cmd);
    fake.reply(1, r.cmd, r.reply);
    ophisno_t n;
    sentinel(n);
    ASSERT_EQ(EW_SUCCESS, r.fn(h, &n));
    EXPECT_EQ(r.want, n.hisno);
    EXPECT_EQ(r.cmd, sent().back().cmd);
  }
  fake.reply(1, 105, RbReply().u16(1));   // too short for its 32-bit count
  ophisno_t n;
  EXPECT_EQ(EW_SIZE, cnc_rdophisno(h, &n));
  fake.reply(1, 114, RbReply().u32(100).u32(0x10005).u32(256));
  omhisinfo_t info;
  ASSERT_EQ(EW_SUCCESS, cnc_rdomhisinfo(h, &info));
  EXPECT_EQ((std::array<int16_t, 3>{100, 5, 256}), (std::array<int16_t, 3>{info.value[0], info.value[1], info.value[2]}));
}

TEST_F(History, SignalTableNarrowsOnReadAndSignExtendsOnWrite) {
  uint16_t h = open();
  RbReply r;
  r.u32(0xFFFF0002).u32(0x00010063).u16(0x01FE).bytes({0x07, 0x55});
  r.u32(5).u32(6).u16(3).bytes({0, 0});
  fake.reply(1, 110, r);
  hissgnl_t t;
  sentinel(t);
  ASSERT_EQ(EW_SUCCESS, cnc_rdhissgnl(h, &t));
  EXPECT_EQ(2, t.count);
  EXPECT_EQ(2, t.entry[0].kind);
  EXPECT_EQ(0x63, t.entry[0].number);
  EXPECT_EQ(-2, t.entry[0].bit);
  EXPECT_EQ(7, t.entry[0].flag);
  EXPECT_EQ(6, t.entry[1].number);
  EXPECT_TRUE(untouched(&t, offsetof(hissgnl_t, entry[2]), sizeof t));
  EXPECT_EQ(int16_t(0xEEEE), t.reserved);

  hissgnl_t w{};
  w.count = 2;
  w.entry[0] = {-1, 300, -2, 9};
  w.entry[1] = {4, 5, 6, 7};
  fake.reply(1, 111, RbReply());
  fake.clear_received();
  ASSERT_EQ(EW_SUCCESS, cnc_wrhissgnl(h, &w));
  expectRequests({{111, 0, 0, 0, 0, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 1, 0x2C, 0xFF, 0xFE, 9, 0,
                                     0, 0, 0, 4, 0, 0, 0, 5, 0, 6, 7, 0}}});
  w.count = 21;
  fake.clear_received();
  EXPECT_EQ(EW_RANGE, cnc_wrhissgnl(h, &w));
  EXPECT_TRUE(sent().empty());
}

// ---- the typed operation history -----------------------------------------------------

// Reply of command 432: more-records word, count, records.
RbReply typed(uint32_t more, const std::vector<RbReply>& recs, int16_t result = 0) {
  RbReply r;
  r.result = result;
  r.u32(more).u32(uint32_t(recs.size()));
  for (const RbReply& x : recs) r.bytes(x.data);
  return r;
}
RbReply type0() { return RbReply().u32(0).u16(0x0123).u16(0x0456).u16(0x1001).u16(0x1002).u16(0x1003).u16(0x1004).u16(0x1005).u16(0); }
RbReply type1() {
  return RbReply().u32(0xABCD0001).u32(0x00AB1234).u16(0x0777).u16(0x0888).bytes({0x9A, 0xBC}).u16(0x1111).u16(0x2222)
      .u16(0x3333).bytes(std::vector<uint8_t>(20, 0x77));
}
RbReply type4() { return RbReply().u32(4).u16(1).u16(2).u16(3).u16(4).u16(5).u16(0x99).u32(0x11223344).u32(0x55667788).u16(8).u16(9); }
RbReply type6(char fill) {
  RbReply r = RbReply().u32(6);
  for (int i = 0; i < 8; ++i) r.u16(uint16_t(i + 1));
  return r.bytes(std::vector<uint8_t>(256, uint8_t(fill)));
}
RbReply endmark() { return RbReply().u32(0xFFFF); }

struct TypedRow {
  const char* name;
  RbReply wire;
  Host want;
};

TEST_F(History, Ophistry4StoresEachTypeInItsLayout) {
  const TypedRow rows[] = {
      {"type 0", type0(), Host().u16(16).u16(0).u8(0x23).u8(0x56).u16(0x1001).u16(0x1002).u16(0x1003).u16(0x1004).u16(0x1005)},
      {"type 1", type1(), Host().u16(20).u16(1).u16(0x0777).u16(0x1234).u8(0x9A).u8(0xBC).u16(0x0888).u16(0x1111)
                              .u16(0x2222).u16(0x3333).fill(2)},
      {"type 4", type4(), Host().u16(28).u16(4).u16(1).u16(2).u16(3).u16(4).u16(5).fill(2).u32(0x11223344)
                              .u32(0x55667788).u16(8).u16(9)},
      {"type 6", type6('t'), Host().u16(276).u16(6).u16(1).u16(2).u16(3).u16(4).u16(5).u16(6).u16(7).u16(8)
                                 .bytes(std::vector<uint8_t>(256, 't'))},
      {"end mark", endmark(), Host().u16(4).u16(0xFFFF)},
  };
  uint16_t h = open();
  for (const TypedRow& r : rows) {
    SCOPED_TRACE(r.name);
    fake.reply(1, 432, typed(0, {r.wire}));
    uint8_t buf[600];
    sentinel(buf);
    uint16_t end = 9, length = sizeof buf;
    ASSERT_EQ(EW_SUCCESS, cnc_rdophistry4(h, 3, &end, &length, buf));
    EXPECT_EQ(r.want.b.size(), length);
    EXPECT_EQ(3, end);
    EXPECT_EQ(r.want.b, slice(buf, 0, r.want.b.size()));
    EXPECT_TRUE(untouched(buf, r.want.b.size(), sizeof buf));
  }
}

TEST_F(History, Ophistry4ArgumentsAndSpace) {
  uint16_t h = open();
  uint8_t buf[600];
  uint16_t end = 4, length = sizeof buf;
  EXPECT_EQ(EW_RANGE, cnc_rdophistry4(h, 0, &end, &length, buf));
  EXPECT_EQ(EW_RANGE, cnc_rdophistry4(h, 5, &end, &length, buf));
  EXPECT_TRUE(sent().empty());
  // A first record that does not fit fails; one that fits comes alone.
  fake.reply(1, 432, typed(0, {type0()}));
  length = 10;
  EXPECT_EQ(EW_SIZE, cnc_rdophistry4(h, 1, &end, &length, buf));
  length = 20;
  end = 4;
  ASSERT_EQ(EW_SUCCESS, cnc_rdophistry4(h, 1, &end, &length, buf));
  EXPECT_EQ(16, length);
  EXPECT_EQ(1, end);
  // Room for two records but not the third ends the read there.
  fake.reply(1, 432, typed(0, {type0(), type4(), type6('x'), endmark()}));
  length = 16 + 28 + 275;
  end = 40;
  ASSERT_EQ(EW_SUCCESS, cnc_rdophistry4(h, 7, &end, &length, buf));
  EXPECT_EQ(44, length);
  EXPECT_EQ(8, end);
  fake.reply(1, 432, typed(0, {type0(), RbReply().u32(13).u32(0)}));
  length = sizeof buf;
  EXPECT_EQ(EW_UNDECODABLE, cnc_rdophistry4(h, 1, &end, &length, buf));
}

TEST_F(History, Ophistry4PagesUntilNoMoreOrTheEnd) {
  uint16_t h = open();
  script(fake, 432, {typed(1, {type0(), type0()}), typed(1, {type4()}), typed(0, {type0()})});
  uint8_t buf[600];
  uint16_t end = 50, length = sizeof buf;
  ASSERT_EQ(EW_SUCCESS, cnc_rdophistry4(h, 10, &end, &length, buf));
  expectRequests({{432, 10, 50}, {432, 12, 50}, {432, 13, 50}});
  EXPECT_EQ(16 * 3 + 28, length);
  EXPECT_EQ(13, end);
  // Result 3 after some records is the end of the history.
  script(fake, 432, {typed(1, {type0()}), RbReply::fail(3)});
  fake.clear_received();
  end = 50;
  length = sizeof buf;
  ASSERT_EQ(EW_SUCCESS, cnc_rdophistry4(h, 10, &end, &length, buf));
  EXPECT_EQ(2u, sent().size());
  EXPECT_EQ(10, end);
  // A reply that says "more" but brings nothing would ask for ever.
  fake.reply(1, 432, typed(1, {}));
  fake.clear_received();
  ASSERT_EQ(EW_SUCCESS, cnc_rdophistry4(h, 10, &end, &length, buf));
  EXPECT_EQ(1u, sent().size());
  EXPECT_EQ(0, length);
  fake.reply(1, 432, RbReply::fail(3));
  EXPECT_EQ(EW_RANGE, cnc_rdophistry4(h, 10, &end, &length, buf));
}

TEST_F(History, Ophistry2PassesOverUnknownTypes) {
  uint16_t h = open();
  RbReply r;
  r.u32(1).u32(0x00AB1234).u16(0x0777).bytes({0x9A, 0xBC}).bytes(std::vector<uint8_t>(12, 0));
  r.u32(8).bytes(std::vector<uint8_t>(20, 0x11));
  r.u32(0).u16(5).u16(6).bytes(std::vector<uint8_t>(16, 0));
  script(fake, 290, {r});
  uint8_t buf[64];
  sentinel(buf);
  uint16_t end = 100, length = sizeof buf;
  ASSERT_EQ(EW_SUCCESS, cnc_rdophistry2(h, 1, &end, &length, buf));
  expectRequests({{290, 1, 59}});
  EXPECT_EQ(20, length);
  EXPECT_EQ(3, end);   // the record number of the last one written
  EXPECT_EQ(Host().u16(12).u16(1).u16(0x0777).u16(0x1234).u8(0x9A).u8(0xBC).fill(2).u16(8).u16(0).u8(5).u8(6).fill(4).b,
            slice(buf, 0, 22));
}

// ---- fixed-size records, batch by batch -------------------------------------------

struct PagedRow {
  const char* name;
  int16_t (*fn)(uint16_t, uint16_t, uint16_t, uint16_t, void*);
  uint16_t cmd;
  int batch, wire, rec, head;
  int32_t a3, a4;     // -1: the batch's count
};

TEST_F(History, RangesSplitIntoBatchesAndEndOnShortOnes) {
  const PagedRow rows[] = {
      {"rdophistry", cnc_rdophistry, 106, 89, 16, 8, 6, 0, 0},
      {"rdalmhistry", cnc_rdalmhistry, 108, 23, 60, 48, 6, 1, 0},
      {"rdalmhistry2", cnc_rdalmhistry2, 108, 23, 60, 52, 4, 1, 0},
      {"rdalmhistry4", cnc_rdalmhistry4, 433, 14, 96, 88, 4, -1, 1},
      {"rdalmhistry5", cnc_rdalmhistry5, 465, 2, 528, 516, 4, -1, 1},
  };
  uint16_t h = open();
  rec(h).flags |= kDialectCurrent;
  for (const PagedRow& r : rows) {
    SCOPED_TRACE(r.name);
    const int b = r.batch, e = std::min(3, b);   // a full batch, then a short one
    script(fake, r.cmd, {RbReply().bytes(std::vector<uint8_t>(size_t(b * r.wire), 0)),
                         RbReply().bytes(std::vector<uint8_t>(size_t(r.wire), 0))});
    fake.clear_received();
    std::vector<uint8_t> buf(size_t(r.head + r.rec * (b + e)), 0xEE);
    ASSERT_EQ(EW_SUCCESS, r.fn(h, 1, uint16_t(b + e), uint16_t(buf.size()), buf.data()));
    auto a3 = [&](int n) { return r.a3 < 0 ? n : r.a3; };
    expectRequests({{r.cmd, 1, b, a3(b), r.a4}, {r.cmd, b + 1, b + e, a3(e), r.a4}});
    uint16_t first, last;
    std::memcpy(&first, buf.data(), 2);
    std::memcpy(&last, buf.data() + r.head - 2, 2);
    EXPECT_EQ(1, first);
    EXPECT_EQ(b + 1, last);
    EXPECT_TRUE(untouched(buf.data(), size_t(r.head + r.rec * (b + 1)), buf.size()));
    // The buffer must hold what was read so far before a reply is stored.
    script(fake, r.cmd, {RbReply().bytes(std::vector<uint8_t>(size_t(b * r.wire), 0)),
                         RbReply().bytes(std::vector<uint8_t>(size_t(r.wire), 0))});
    EXPECT_EQ(EW_SIZE, r.fn(h, 1, uint16_t(b + e), uint16_t(r.head + r.rec * b), buf.data()));
    EXPECT_EQ(EW_RANGE, r.fn(h, 4, 3, uint16_t(buf.size()), buf.data()));
  }
}

TEST_F(History, AlarmFormsFollowTheDialect) {
  uint16_t h = open();
  rec(h).flags &= ~uint32_t(kDialectCurrent | kDialectPacked);
  uint8_t buf[200];
  EXPECT_EQ(EW_UNAVAILABLE, cnc_rdalmhistry2(h, 1, 1, sizeof buf, buf));
  rec(h).flags |= kDialectPacked;
  EXPECT_EQ(EW_UNAVAILABLE, cnc_rdalmhistry(h, 1, 1, sizeof buf, buf));
  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(EW_RANGE, cnc_rdalmhistry4(h, 0, 1, sizeof buf, buf));
  EXPECT_EQ(EW_RANGE, cnc_rdalmhistry5(h, 0, 1, sizeof buf, buf));
  EXPECT_TRUE(sent().empty());
}

// One 60-byte record: kind 2, number 1234, axis 3, 2024-05-06 07:08:09, path 1.
RbReply old_alarm() {
  RbReply r;
  r.u32(2).u32(1234).u32(3).u16(2024).u16(5).u16(6).u16(7).u16(8).u16(9).u32(1);
  return r.text("OVERTRAVEL", 32);
}

TEST_F(History, AlarmRecordsInTheirCallerForms) {
  uint16_t h = open();
  rec(h).flags |= kDialectCurrent;
  fake.reply(1, 108, old_alarm());
  uint8_t buf[600];
  sentinel(buf);
  ASSERT_EQ(EW_SUCCESS, cnc_rdalmhistry(h, 7, 7, 54, buf));
  const std::vector<uint8_t> text(std::begin("OVERTRAVEL"), std::end("OVERTRAVEL") - 1);
  Host old = Host().u16(7).fill(2).u16(7).fill(2).u16(1234).u16(2).u8(3).u8(24).u8(5).u8(6).u8(7).u8(8).u8(9).fill(1).u16(1).bytes(text);
  EXPECT_EQ(old.b, slice(buf, 0, old.b.size()));
  sentinel(buf);
  ASSERT_EQ(EW_SUCCESS, cnc_rdalmhistry2(h, 7, 7, 56, buf));
  Host two = Host().u16(7).u16(7).u16(1234).u16(2).u16(3).u16(2024).u16(5).u16(6).u16(7).u16(8).u16(9).u16(1).bytes(text);
  EXPECT_EQ(two.b, slice(buf, 0, two.b.size()));

  RbReply five;
  five.u32(2).u32(1234).u32(3).u16(2024).u16(5).u16(6).u16(7).u16(8).u16(9).u32(1).u16(10).u16(0x21).u16(0x22).u16(0x23);
  five.text("OVERTRAVEL", 64);
  for (int i = 0; i < 10; ++i) five.u32(0x100 + i);
  five.bytes(std::vector<uint8_t>(12, 0xB1));
  for (int i = 0; i < 10; ++i) five.u32(0x200 + i);
  five.bytes(std::vector<uint8_t>(12, 0xB2));
  for (int i = 0; i < 32; ++i) five.u32(0x300 + i);
  five.bytes(std::vector<uint8_t>(32, 0xB3));
  for (int i = 0; i < 32; ++i) five.u32(0x400 + i);
  five.bytes(std::vector<uint8_t>(36, 0xB4));
  fake.reply(1, 465, five);
  almhis5_rec_t r5[2];
  sentinel(r5);
  ASSERT_EQ(EW_SUCCESS, cnc_rdalmhistry5(h, 7, 7, 4 + sizeof(almhis5_rec_t), r5));
  almhis5_rec_t r;
  std::memcpy(&r, reinterpret_cast<uint8_t*>(r5) + 4, sizeof r);
  EXPECT_EQ(1234, r.number);
  EXPECT_EQ(10, r.text_len);
  EXPECT_EQ(0x23, r.extra[2]);
  EXPECT_EQ(0, std::memcmp(r.text, "OVERTRAVEL  ", 12));
  EXPECT_EQ(0x109, r.val1[9]);
  EXPECT_EQ(0xB1, r.flg1[9]);
  EXPECT_EQ(0x200, r.val2[0]);
  EXPECT_EQ(0x31F, r.val3[31]);
  EXPECT_EQ(0xB3, r.flg3[0]);
  EXPECT_EQ(0x400, r.val4[0]);
  EXPECT_EQ(0xB4, r.flg4[31]);
  EXPECT_EQ(0xEEEE, uint16_t(r.pad1[0] | r.pad1[1] << 8));
}

TEST_F(History, OldOperationRecordsByType) {
  uint16_t h = open();
  RbReply r;
  r.u32(3).u16(2024).u16(5).u16(6).u16(7).u32(0);                       // date: year modulo 100
  r.u32(6).u32(0x00015678).u16(0x0042).bytes({0xAA, 0xBB}).u32(0);      // signal
  r.u32(12).u32(0x00020304).u32(0x00050607).u32(0x0000010F);          // 32-bit fields
  r.u32(8).u32(0x11111111).u32(0x22222222).u32(0x33333333);           // not converted
  fake.reply(1, 106, r);
  uint8_t buf[6 + 32];
  sentinel(buf);
  ASSERT_EQ(EW_SUCCESS, cnc_rdophistry(h, 1, 4, sizeof buf, buf));
  Host want = Host().u16(1).fill(2).u16(4)
                  .u16(3).u8(24).u8(5).u8(6).u8(7).fill(2)
                  .u16(6).u8(0x42).u8(0xAA).u8(0xBB).fill(1).u16(0x5678)
                  .u16(12).u16(0x0607).u16(0x0304).u8(0x0F).fill(1)
                  .u16(8).fill(6);
  EXPECT_EQ(want.b, slice(buf, 0, sizeof buf));
}

TEST_F(History, MessageHistories) {
  uint16_t h = open();
  // Older form: records start + 1 .. start + count in batches of five.
  RbReply five, two;
  for (int i = 0; i < 5; ++i) five.u32(uint32_t(20 + i)).u16(2024).u16(1).u16(2).u16(3).u16(4).u16(5).u32(0).text("M", 256);
  for (int i = 0; i < 2; ++i) two.u32(uint32_t(30 + i)).u16(1999).u16(1).u16(2).u16(3).u16(4).u16(5).u32(0).text("N", 256);
  script(fake, 115, {five, two});
  omhis_rec_t out[7];
  sentinel(out);
  uint16_t count = 7;
  ASSERT_EQ(EW_SUCCESS, cnc_rdomhistry(h, 10, &count, out));
  expectRequests({{115, 11, 15}, {115, 16, 17}});
  EXPECT_EQ(7, count);
  EXPECT_EQ(31, out[6].number);
  EXPECT_EQ(99, out[6].time[0]);
  EXPECT_EQ(5, out[6].time[5]);
  EXPECT_EQ('N', out[6].text[0]);
  count = 0;
  EXPECT_EQ(EW_SIZE, cnc_rdomhistry(h, 10, &count, out));

  // Second form: the next batch starts after the reply's last record, and
  // the buffer's length bounds what is stored.
  RbReply a, b;
  a.u16(1).u16(7);   // the controller skipped numbers 6 and 7
  for (int i = 0; i < 5; ++i) a.u16(uint16_t(i)).bytes(std::vector<uint8_t>(14, 0)).text("A", 256);
  b.u16(9).u16(9);
  b.u16(9).bytes(std::vector<uint8_t>(14, 0)).text("B", 256);
  script(fake, 437, {a, b});
  fake.clear_received();
  std::vector<uint8_t> buf(4 + 272 * 6, 0xEE);
  ASSERT_EQ(EW_SUCCESS, cnc_rdomhistry2(h, 1, 9, uint16_t(buf.size()), buf.data()));
  expectRequests({{437, 1, 5, 5}, {437, 8, 9, 2}});
  EXPECT_EQ(Host().u16(1).u16(9).b, slice(buf.data(), 0, 4));
  EXPECT_EQ('B', buf[4 + 272 * 5 + 16]);
  script(fake, 437, {a});
  EXPECT_EQ(EW_SIZE, cnc_rdomhistry2(h, 1, 9, 4 + 272 * 4, buf.data()));
  // A reply whose last number does not move forward ends the range.
  RbReply stuck = a;
  stuck.data[2] = 0;
  stuck.data[3] = 0;
  script(fake, 437, {stuck, a});
  fake.clear_received();
  ASSERT_EQ(EW_SUCCESS, cnc_rdomhistry2(h, 1, 9, uint16_t(buf.size()), buf.data()));
  EXPECT_EQ(1u, sent().size());
  EXPECT_EQ(EW_RANGE, cnc_rdomhistry2(h, 3, 2, uint16_t(buf.size()), buf.data()));
}

}  // namespace
}  // namespace oz::test
