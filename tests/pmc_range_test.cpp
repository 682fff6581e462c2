// PMC ranges and units against the fake controller: requests on the wire,
// splitting, byte orders, the bytes written into the caller's records.
#include <cstring>

#include "tests/support.h"

namespace oz::test {
namespace {

class PmcRange : public FakeTest {};

// A reply that counts bytes up from the first address asked for.
sim::RbReply counting(const sim::RbRequest& q) {
  sim::RbReply r;
  for (int a = q.a1; a <= q.a2; ++a) r.data.push_back(uint8_t(a));
  return r;
}

TEST_F(PmcRange, WordRangeOf2000BytesGoesOutAs1432And568) {
  uint16_t h = open();
  fake.on(2, 32769, counting);
  std::vector<uint8_t> buf(2008 + 8, 0xEE);
  auto* r = reinterpret_cast<pmcrng_t*>(buf.data());
  ASSERT_EQ(EW_SUCCESS, pmc_rdpmcrng(h, 5, 1, 0, 1999, 2008, r));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ((std::vector<int32_t>{0, 1431, 5, 1}), (std::vector<int32_t>{q[0].a1, q[0].a2, q[0].a3, q[0].a4}));
  EXPECT_EQ((std::vector<int32_t>{1432, 1999, 5, 1}), (std::vector<int32_t>{q[1].a1, q[1].a2, q[1].a3, q[1].a4}));
  EXPECT_EQ(2, q[0].cls);
  EXPECT_EQ(1, q[0].path);   // the handle's PMC unit
  EXPECT_EQ(5, r->adr_type);
  EXPECT_EQ(1, r->data_type);
  EXPECT_EQ(0, r->datano_s);
  EXPECT_EQ(1999, r->datano_e);
  EXPECT_EQ(0x0001, uint16_t(r->u.idata[0]));         // big-endian 00 01
  uint16_t last;
  std::memcpy(&last, buf.data() + 8 + 1998, 2);
  EXPECT_EQ(uint16_t((1998 & 0xFF) << 8 | (1999 & 0xFF)), last);
  EXPECT_EQ(0xEE, buf[2008]);                          // nothing past the length
}

struct TypeCase {
  int16_t type;
  std::vector<uint8_t> wire;
  std::vector<uint8_t> host;   // little-endian image expected at offset 8
};

class PmcTypes : public FakeTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(PmcTypes, ItemsAreConvertedFromBigEndianPerType) {
  const TypeCase& t = GetParam();
  uint16_t h = open();
  fake.reply(2, 32769, sim::RbReply().bytes(t.wire));
  std::vector<uint8_t> buf(8 + t.wire.size() + 4, 0xEE);
  const uint16_t end = uint16_t(100 + t.wire.size() - 1);
  ASSERT_EQ(EW_SUCCESS, pmc_rdpmcrng(h, 9, t.type, 100, end, uint16_t(buf.size() - 4),
                                     reinterpret_cast<pmcrng_t*>(buf.data())));
  EXPECT_EQ(t.host, std::vector<uint8_t>(buf.begin() + 8, buf.end() - 4));
  EXPECT_EQ(std::vector<uint8_t>(4, 0xEE), std::vector<uint8_t>(buf.end() - 4, buf.end()));
  // Writing the same items sends the same wire bytes.
  fake.reply(2, 32770, sim::RbReply());
  fake.clear_received();
  ASSERT_EQ(EW_SUCCESS, pmc_wrpmcrng(h, uint16_t(buf.size() - 4),
                                     reinterpret_cast<pmcrng_t*>(buf.data())));
  auto q = sent();
  ASSERT_EQ(1u, q.size());
  EXPECT_EQ(t.wire, q[0].data);
  EXPECT_EQ(t.type, q[0].a4);
}

INSTANTIATE_TEST_SUITE_P(
    AllTypes, PmcTypes,
    ::testing::Values(TypeCase{0, {1, 2, 3, 4}, {1, 2, 3, 4}},
                      TypeCase{1, {1, 2, 3, 4}, {2, 1, 4, 3}},
                      TypeCase{2, {1, 2, 3, 4}, {4, 3, 2, 1}},
                      TypeCase{4, {0x3F, 0x80, 0, 0}, {0, 0, 0x80, 0x3F}},
                      TypeCase{5, {0x3F, 0xF0, 0, 0, 0, 0, 0, 1}, {1, 0, 0, 0, 0, 0, 0xF0, 0x3F}}));

struct ArgCase {
  int16_t type;
  uint16_t s, e, length;
  int16_t code;
};

class PmcArgs : public FakeTest, public ::testing::WithParamInterface<ArgCase> {};

TEST_P(PmcArgs, ReadArgumentTestsFailBeforeSendingAndRecordAsCnc) {
  const ArgCase& a = GetParam();
  uint16_t h = open();
  std::vector<uint8_t> buf(4096);
  EXPECT_EQ(a.code, pmc_rdpmcrng(h, 5, a.type, a.s, a.e, a.length,
                                 reinterpret_cast<pmcrng_t*>(buf.data())));
  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(a.code, rec(h).cnc_err.code);
  EXPECT_EQ(0, rec(h).pmc_err.code);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PmcArgs,
    ::testing::Values(ArgCase{3, 0, 9, 100, EW_KIND}, ArgCase{6, 0, 9, 100, EW_KIND},
                      ArgCase{-1, 0, 9, 100, EW_KIND}, ArgCase{3, 9, 0, 0, EW_KIND},   // type first
                      ArgCase{0, 9, 8, 100, EW_RANGE}, ArgCase{0, 9, 8, 0, EW_RANGE},  // range before length
                      ArgCase{1, 0, 1999, 2007, EW_SIZE}, ArgCase{0, 0, 0, 8, EW_SIZE}));

TEST_F(PmcRange, ControllerErrorsGoToThePmcStore) {
  uint16_t h = open();
  fake.reply(2, 32769, sim::RbReply::fail(5, 7, 8));
  pmcrng_t r{};
  EXPECT_EQ(5, pmc_rdpmcrng(h, 5, 0, 0, 4, 16, &r));
  dtailerr_t d{};
  ASSERT_EQ(EW_SUCCESS, pmc_getdtailerr(h, &d));
  EXPECT_EQ(7, d.detail);
  EXPECT_EQ(8, d.subdetail);
  EXPECT_EQ(0, rec(h).cnc_err.code);
}

TEST_F(PmcRange, ShortReplyEndsTheRangeAndNeverPassesTheLength) {
  uint16_t h = open();
  fake.reply(2, 32769, sim::RbReply().bytes(std::vector<uint8_t>(1500, 0x55)));
  std::vector<uint8_t> buf(8 + 3000 + 4, 0xEE);
  ASSERT_EQ(EW_SUCCESS, pmc_rdpmcrng(h, 5, 0, 0, 2999, 3008,
                                     reinterpret_cast<pmcrng_t*>(buf.data())));
  EXPECT_EQ(3u, sent().size());   // 1432 asked, 1500 came: only 1432 taken each time
  fake.reply(2, 32769, sim::RbReply().bytes(std::vector<uint8_t>(100, 0x55)));
  fake.clear_received();
  std::fill(buf.begin(), buf.end(), 0xEE);
  ASSERT_EQ(EW_SUCCESS, pmc_rdpmcrng(h, 5, 0, 0, 2999, 3008,
                                     reinterpret_cast<pmcrng_t*>(buf.data())));
  EXPECT_EQ(1u, sent().size());
  EXPECT_EQ(0x55, buf[8 + 99]);
  EXPECT_EQ(0xEE, buf[8 + 100]);
}

TEST_F(PmcRange, WriteSplitsAt1420AndTestsLengthFirst) {
  uint16_t h = open();
  fake.reply(2, 32865, sim::RbReply());
  std::vector<uint8_t> buf(8 + 2000);
  auto* r = reinterpret_cast<pmcrng_t*>(buf.data());
  *r = pmcrng_t{5, 0, 10, 2009, {}};
  for (int i = 0; i < 2000; ++i) buf[8 + i] = uint8_t(i);
  EXPECT_EQ(EW_SIZE, pmc_wrpmcrng2(h, 7, r));
  EXPECT_EQ(EW_SIZE, pmc_wrpmcrng2(h, 2007, r));
  r->data_type = 3;
  EXPECT_EQ(EW_KIND, pmc_wrpmcrng2(h, 2008, r));
  r->data_type = 0;
  r->datano_e = 9;
  EXPECT_EQ(EW_RANGE, pmc_wrpmcrng2(h, 2008, r));
  r->datano_e = 2009;
  EXPECT_TRUE(sent().empty());
  ASSERT_EQ(EW_SUCCESS, pmc_wrpmcrng2(h, 2008, r));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(32865, q[0].cmd);
  EXPECT_EQ(10, q[0].a1);
  EXPECT_EQ(1429, q[0].a2);
  EXPECT_EQ(1420u, q[0].data.size());
  EXPECT_EQ(1430, q[1].a1);
  EXPECT_EQ(2009, q[1].a2);
  EXPECT_EQ(580u, q[1].data.size());
  EXPECT_EQ(uint8_t(1420), q[1].data[0]);
}

TEST_F(PmcRange, ReadWriteSetNeedsTheCurrentDialect) {
  sim::FakeController old(sim::FakeConfig::standard(2));
  uint16_t h = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", old.port(), 1, &h));
  pmcrwreq_t r{};
  EXPECT_EQ(EW_UNAVAILABLE, pmc_rdwrpmcrng(h, 1, &r));
  uint16_t h2 = open();
  EXPECT_EQ(EW_RANGE, pmc_rdwrpmcrng(h2, 0, &r));
  EXPECT_EQ(EW_RANGE, pmc_rdwrpmcrng(h2, 33, &r));
  EXPECT_TRUE(sent().empty());
}

TEST_F(PmcRange, ReadWriteSetTestsEntriesSwapsAndStoresBack) {
  uint16_t h = open();
  fake.reply(2, 32769, sim::RbReply().bytes({0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}));
  fake.reply(2, 32770, sim::RbReply::fail(8));
  uint32_t rd[2] = {0, 0}, rd_swapped[1] = {0};
  uint32_t wr[1] = {0x11223344};
  pmcrwreq_t q[7] = {
      {0, 5, 2, 100, 8, 0, -1, 0, rd},          // read two longs
      {2, 5, 2, 100, 4, 0, -1, 0, rd},          // kind
      {0, 5, 3, 100, 4, 0, -1, 0, rd},          // data type
      {0, 5, 2, 101, 4, 0, -1, 0, rd},          // start
      {0, 5, 2, 100, 6, 0, -1, 0, rd},          // length
      {1, 5, 2, 200, 4, 1, -1, 0, wr},          // write, bytes reversed
      {0, 5, 1, 104, 4, 1, -1, 0, rd_swapped},  // read words, halves swapped
  };
  ASSERT_EQ(EW_SUCCESS, pmc_rdwrpmcrng(h, 7, q));
  EXPECT_EQ((std::vector<int16_t>{0, EW_VALUE, EW_KIND, EW_RANGE, EW_SIZE, 8, 0}),
            (std::vector<int16_t>{q[0].result, q[1].result, q[2].result, q[3].result,
                                  q[4].result, q[5].result, q[6].result}));
  EXPECT_EQ(0x11223344u, rd[0]);
  EXPECT_EQ(0x55667788u, rd[1]);
  EXPECT_EQ(0x22114433u, rd_swapped[0]);
  const auto& raw = fake.requests();
  ASSERT_EQ(3u, sent().size());
  auto s = sent();
  EXPECT_EQ(32770, s[1].cmd);
  EXPECT_EQ(200, s[1].a1);
  EXPECT_EQ(203, s[1].a2);
  EXPECT_EQ(2, s[1].a4);
  EXPECT_EQ((std::vector<uint8_t>{0x44, 0x33, 0x22, 0x11}), s[1].data);
  (void)raw;
  EXPECT_EQ(0, rec(h).pmc_err.code);   // per-entry failures are not the call's
}

TEST_F(PmcRange, ReadWriteSetBudgetAndNothingToSend) {
  uint16_t h = open();
  std::vector<uint32_t> data(800);
  // 2892 - 16 * 2 = 2860 read bytes for two entries.
  pmcrwreq_t q[2] = {{0, 5, 2, 0, 2860, 0, -1, 0, data.data()},
                     {0, 5, 2, 0, 4, 0, -1, 0, data.data()}};
  fake.reply(2, 32769, sim::RbReply().bytes(std::vector<uint8_t>(2860)));
  ASSERT_EQ(EW_SUCCESS, pmc_rdwrpmcrng(h, 2, q));
  EXPECT_EQ(0, q[0].result);
  EXPECT_EQ(EW_BUFFER, q[1].result);
  fake.clear_received();
  pmcrwreq_t bad{5, 5, 2, 0, 4, 0, -1, 0, data.data()};
  ASSERT_EQ(EW_SUCCESS, pmc_rdwrpmcrng(h, 1, &bad));
  EXPECT_EQ(EW_VALUE, bad.result);
  EXPECT_TRUE(sent().empty());
}

TEST_F(PmcRange, InfoIsNarrowedIntoSixByteEntries) {
  uint16_t h = open();
  fake.reply(2, 32771, sim::RbReply().i32(2).u16('G').u16(1).u32(0).u32(767)
                           .u16('R').u16(3).u32(0).u32(0x12345));
  pmcinfo_t info;
  std::memset(&info, 0xEE, sizeof info);
  ASSERT_EQ(EW_SUCCESS, pmc_rdpmcinfo(h, 7, &info));
  EXPECT_EQ(7, sent()[0].a1);
  EXPECT_EQ(2, info.datano);
  EXPECT_EQ('G', info.info[0].pmc_adr);
  EXPECT_EQ(767, info.info[0].last_num);
  EXPECT_EQ('R', info.info[1].pmc_adr);
  EXPECT_EQ(3, info.info[1].adr_attr);
  EXPECT_EQ(0x2345, info.info[1].last_num);
  EXPECT_EQ(0xEE, uint8_t(info.info[2].pmc_adr));
  fake.reply(2, 32771, sim::RbReply().i32(3).u16('G').u16(1).u32(0).u32(767));
  EXPECT_EQ(EW_SIZE, pmc_rdpmcinfo(h, 0, &info));   // count larger than the reply
}

TEST_F(PmcRange, SelectedUnitIsThePathOfLaterRequests) {
  uint16_t h = open();
  fake.reply(2, 32780, sim::RbReply());
  fake.reply(2, 32782, sim::RbReply().i32(3));
  LogLevel lv(4);
  LogTail log;
  ASSERT_EQ(EW_SUCCESS, pmc_select_pmc_unit(h, 0x102));
  EXPECT_TRUE(log.has("Set unit: current pmc unit path =258"));
  int32_t unit = 0, n = 0;
  ASSERT_EQ(EW_SUCCESS, pmc_get_current_pmc_unit(h, &unit));
  EXPECT_EQ(2, unit);   // low byte
  ASSERT_EQ(EW_SUCCESS, pmc_get_number_of_pmc(h, &n));
  EXPECT_EQ(3, n);
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(1, q[0].path);
  EXPECT_EQ(0x102, q[0].a1);
  EXPECT_EQ(0x102, q[1].path);
  fake.reply(2, 32780, sim::RbReply::fail(3));
  EXPECT_EQ(3, pmc_select_pmc_unit(h, 4));
  EXPECT_EQ(0x102u, rec(h).pmc_unit);
}

TEST_F(PmcRange, UnitTypesAndAddressEntriesStayWithinTheCount) {
  uint16_t h = open();
  fake.reply(2, 32783, sim::RbReply().i32(7).i32(8).i32(9));
  int32_t types[4] = {-1, -1, -1, -1}, n = 2;
  ASSERT_EQ(EW_SUCCESS, pmc_get_pmc_unit_types(h, types, &n));
  EXPECT_EQ(2, n);
  EXPECT_EQ((std::vector<int32_t>{7, 8, -1}), std::vector<int32_t>(types, types + 3));
  fake.on(2, 32795, [](const sim::RbRequest& q) {
    sim::RbReply r;
    for (int i = 0; i < q.a2; ++i) r.i16(int16_t(q.a1 + i)).i16(1).i32(2).i32(3);
    return r;
  });
  fake.clear_received();
  std::vector<pmcadrent_t> e(300);
  int32_t count = 250;
  ASSERT_EQ(EW_SUCCESS, pmc_get_address_entry(h, 10, &count, e.data()));
  EXPECT_EQ(250, count);
  auto q = sent();
  ASSERT_EQ(3u, q.size());
  EXPECT_EQ((std::vector<int32_t>{10, 119, 129, 119, 248, 12}),
            (std::vector<int32_t>{q[0].a1, q[0].a2, q[1].a1, q[1].a2, q[2].a1, q[2].a2}));
  EXPECT_EQ(259, e[249].type);
  EXPECT_EQ(3, e[249].last);
}

}  // namespace
}  // namespace oz::test
