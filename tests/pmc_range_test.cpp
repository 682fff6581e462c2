// PMC ranges and units against the fake controller: requests on the wire,
// splitting, byte orders, the bytes written into the caller's records.
#include "tests/support.h"

namespace oz::test {
namespace {

using sim::RbReply;
using sim::RbRequest;

// A reply that counts bytes up from the first address asked for.
RbReply counting(const RbRequest& q) {
  RbReply r;
  for (int a = q.a1; a <= q.a2; ++a) r.data.push_back(uint8_t(a));
  return r;
}
// A range record: header, then the items as the caller holds them.
pmcrng_t* record(Arena& a, int16_t type, uint16_t s, uint16_t e, std::vector<uint8_t> items) {
  auto* b = a.get<uint8_t>(8 + items.size());
  const pmcrng_t head{5, type, s, e, {}};
  std::memcpy(b, &head, 8);   // the record is as long as the caller says
  std::memcpy(b + 8, items.data(), items.size());
  return reinterpret_cast<pmcrng_t*>(b);
}
std::vector<uint8_t> upTo(size_t n) {
  std::vector<uint8_t> b(n);
  for (size_t i = 0; i < n; ++i) b[i] = uint8_t(i);
  return b;
}
std::vector<At> header(int16_t area, int16_t type, uint16_t s, uint16_t e) {
  return {at(0, area), at(2, type), at(4, s), at(6, e)};
}
std::vector<At> operator+(std::vector<At> a, const std::vector<At>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<Row> rangeRows() {
  // Words of a counting reply, byte-swapped into host order.
  std::vector<uint8_t> words(2000);
  for (size_t i = 0; i < 2000; i += 2) words[i] = uint8_t(i + 1), words[i + 1] = uint8_t(i);
  std::vector<Row> rows = {
      // 1432 bytes to a request; the path is the handle's PMC unit.
      {"WordRangeSplits", {{32769, counting, kClassPmc}},
       OZ_DO(pmc_rdpmcrng(h, 5, 1, 0, 1999, 2008, a.out<pmcrng_t>(2016))),
       0, {{32769, 0, 1431, 5, 1, {}, kClassPmc, 1}, {32769, 1432, 1999, 5, 1, {}, kClassPmc, 1}},
       header(5, 1, 0, 1999) + std::vector<At>{at(8, words)}},
      // 1432 asked, 1500 came: only 1432 taken each time; a short reply ends.
      {"LongRepliesAreCut", {{32769, RbReply().bytes(std::vector<uint8_t>(1500, 0x55)), kClassPmc}},
       OZ_DO(pmc_rdpmcrng(h, 5, 0, 0, 2999, 3008, a.out<pmcrng_t>(3012))), 0,
       {pmcRb(32769, 0, 1431, 5), pmcRb(32769, 1432, 2863, 5), pmcRb(32769, 2864, 2999, 5)},
       header(5, 0, 0, 2999) + std::vector<At>{at(8, std::vector<uint8_t>(3000, 0x55))}},
      {"ShortReplyEnds", {{32769, RbReply().bytes(std::vector<uint8_t>(100, 0x55)), kClassPmc}},
       OZ_DO(pmc_rdpmcrng(h, 5, 0, 0, 2999, 3008, a.out<pmcrng_t>(3012))), 0, {pmcRb(32769, 0, 1431, 5)},
       // The end address says how far the data goes.
       header(5, 0, 0, 99) + std::vector<At>{at(8, std::vector<uint8_t>(100, 0x55))}},
      // Writes split at 1420; the length is tested first.
      {"WriteHeaderLength", {}, OZ_DO(pmc_wrpmcrng2(h, 7, record(a, 0, 10, 2009, upTo(2000)))), EW_SIZE, {}},
      {"WriteItemsLength", {}, OZ_DO(pmc_wrpmcrng2(h, 2007, record(a, 0, 10, 2009, upTo(2000)))), EW_SIZE, {}},
      {"WriteType", {}, OZ_DO(pmc_wrpmcrng2(h, 2008, record(a, 3, 10, 2009, upTo(2000)))), EW_KIND, {}},
      {"WriteEndBeforeStart", {}, OZ_DO(pmc_wrpmcrng2(h, 2008, record(a, 0, 10, 9, upTo(2000)))), EW_RANGE, {}},
      {"WriteSplits", {{32865, RbReply(), kClassPmc}},
       OZ_DO(pmc_wrpmcrng2(h, 2008, record(a, 0, 10, 2009, upTo(2000)))), 0,
       [] {
         const auto b = upTo(2000);
         return std::vector<Req>{pmcRb(32865, 10, 1429, 5, 0, std::vector<uint8_t>(b.begin(), b.begin() + 1420)),
                                 pmcRb(32865, 1430, 2009, 5, 0, std::vector<uint8_t>(b.begin() + 1420, b.end()))};
       }()},
      // Areas narrowed into six-byte entries; a count beyond the reply fails.
      {"Info", {{32771, RbReply().i32(2).u16('G').u16(1).u32(0).u32(767).u16('R').u16(3).u32(0).u32(0x12345), kClassPmc}},
       OZ_DO(pmc_rdpmcinfo(h, 7, a.out<pmcinfo_t>())), 0, {pmcRb(32771, 7)},
       {at(0, int16_t(2)), at(2, 'G'), at(3, uint8_t(1)), at(4, uint16_t(0)), at(6, uint16_t(767)), at(8, 'R'),
        at(9, uint8_t(3)), at(10, uint16_t(0)), at(12, uint16_t(0x2345))}},
      {"InfoCountBeyondTheReply", {{32771, RbReply().i32(3).u16('G').u16(1).u32(0).u32(767), kClassPmc}},
       OZ_DO(pmc_rdpmcinfo(h, 0, a.out<pmcinfo_t>())), EW_SIZE, {pmcRb(32771)},
       {at(2, 'G'), at(3, uint8_t(1)), at(4, uint16_t(0)), at(6, uint16_t(767))}},
      {"ReadWriteSetCount", {}, OZ_DO(pmc_rdwrpmcrng(h, 0, a.get<pmcrwreq_t>())), EW_RANGE, {}},
      {"ReadWriteSetTooMany", {}, OZ_DO(pmc_rdwrpmcrng(h, 33, a.get<pmcrwreq_t>(33 * sizeof(pmcrwreq_t)))), EW_RANGE,
       {}},
      // Types and entries within the count.
      {"UnitTypes", {{32783, RbReply().i32(7).i32(8).i32(9), kClassPmc}},
       OZ_DO(pmc_get_pmc_unit_types(h, a.outs<int32_t>(4), a.inout<int32_t>(2))), 0, {pmcRb(32783, 2)},
       {at(0, 7), at(4, 8)}, 2},
      {"AddressEntries", {{32795, [](const RbRequest& q) {
                             RbReply r;
                             for (int i = 0; i < q.a2; ++i) r.i16(int16_t(q.a1 + i)).i16(1).i32(2).i32(3);
                             return r;
                           }, kClassPmc}},
       OZ_DO(pmc_get_address_entry(h, 10, a.inout<int32_t>(250), a.outs<pmcadrent_t>(300))), 0,
       {pmcRb(32795, 10, 119), pmcRb(32795, 129, 119), pmcRb(32795, 248, 12)},
       [] {
         std::vector<At> v;
         for (size_t i = 0; i < 250; ++i) v.insert(v.end(),
                                                   {at(12 * i, int16_t(10 + i)), at(12 * i + 2, int16_t(1)),
                                                    at(12 * i + 4, 2), at(12 * i + 8, 3)});
         return v;
       }(),
       250},
  };
  // Items convert from big-endian per type, and back the same way.
  const std::tuple<int16_t, std::vector<uint8_t>, std::vector<uint8_t>> types[] = {
      {0, {1, 2, 3, 4}, {1, 2, 3, 4}},
      {1, {1, 2, 3, 4}, {2, 1, 4, 3}},
      {2, {1, 2, 3, 4}, {4, 3, 2, 1}},
      {4, {0x3F, 0x80, 0, 0}, {0, 0, 0x80, 0x3F}},
      {5, {0x3F, 0xF0, 0, 0, 0, 0, 0, 1}, {1, 0, 0, 0, 0, 0, 0xF0, 0x3F}}};
  for (const auto& [type, wire, host] : types) {
    const uint16_t end = uint16_t(100 + wire.size() - 1), length = uint16_t(8 + wire.size());
    const auto hostItems = host;
    rows.push_back({"ReadType" + std::to_string(type), {{32769, RbReply().bytes(wire), kClassPmc}},
                    [type, end, length](uint16_t h,
                                        Arena& a) { return pmc_rdpmcrng(h, 9, type, 100, end, length,
                                                                        a.out<pmcrng_t>(length + 4)); },
                    0, {pmcRb(32769, 100, end, 9, type)}, header(9, type, 100, end) + std::vector<At>{at(8, host)}});
    rows.push_back({"WriteType" + std::to_string(type), {{32770, RbReply(), kClassPmc}},
                    [type, end, length, hostItems](uint16_t h, Arena& a) {
                      auto* r = record(a, type, 100, end, hostItems);
                      r->adr_type = 9;
                      return pmc_wrpmcrng(h, length, r);
                    },
                    0, {pmcRb(32770, 100, end, 9, type, wire)}});
  }
  return rows;
}
OZ_ROWS(PmcRange, rangeRows());

const Row kOldRows[] = {
    {"ReadWriteSetNeedsTheCurrentDialect", {}, OZ_DO(pmc_rdwrpmcrng(h, 1, a.get<pmcrwreq_t>())), EW_UNAVAILABLE, {}},
};
OZ_ROWS(PmcRangeOld, kOldRows, sim::FakeConfig::standard(2));

// Argument tests fail before sending and are recorded as CNC errors.
struct ArgCase {
  int16_t type;
  uint16_t s, e, length;
  int16_t code;
};
class PmcArgs : public FakeTest, public ::testing::WithParamInterface<ArgCase> {};

TEST_P(PmcArgs, FailBeforeSendingAndRecordAsCnc) {
  const ArgCase& a = GetParam();
  uint16_t h = open();
  std::vector<uint8_t> buf(4096);
  EXPECT_EQ(a.code, pmc_rdpmcrng(h, 5, a.type, a.s, a.e, a.length, reinterpret_cast<pmcrng_t*>(buf.data())));
  EXPECT_TRUE(sent().empty());
  EXPECT_EQ((std::pair<int16_t, int16_t>{a.code, 0}), std::make_pair(rec(h).cnc_err.code, rec(h).pmc_err.code));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PmcArgs,
    ::testing::Values(ArgCase{3, 0, 9, 100, EW_KIND}, ArgCase{6, 0, 9, 100, EW_KIND},
                      ArgCase{-1, 0, 9, 100, EW_KIND}, ArgCase{3, 9, 0, 0, EW_KIND},   // type first
                      ArgCase{0, 9, 8, 100, EW_RANGE}, ArgCase{0, 9, 8, 0, EW_RANGE},  // range before length
                      ArgCase{1, 0, 1999, 2007, EW_SIZE}, ArgCase{0, 0, 0, 8, EW_SIZE}));

class PmcRangeCalls : public FakeTest {};

TEST_F(PmcRangeCalls, ControllerErrorsGoToThePmcStore) {
  uint16_t h = open();
  fake.reply(2, 32769, RbReply::fail(5, 7, 8));
  pmcrng_t r{};
  EXPECT_EQ(5, pmc_rdpmcrng(h, 5, 0, 0, 4, 16, &r));
  dtailerr_t d{};
  ASSERT_EQ(EW_SUCCESS, pmc_getdtailerr(h, &d));
  EXPECT_EQ((std::array<int, 3>{7, 8, 0}), (std::array<int, 3>{d.detail, d.subdetail, rec(h).cnc_err.code}));
}

// Entries that fail their own tests keep their result and are not sent;
// per-entry failures are not the call's.
TEST_F(PmcRangeCalls, ReadWriteSetTestsEntriesSwapsAndStoresBack) {
  uint16_t h = open();
  fake.reply(2, 32769, RbReply().bytes({0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}));
  fake.reply(2, 32770, RbReply::fail(8));
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
            (std::vector<int16_t>{q[0].result, q[1].result, q[2].result, q[3].result, q[4].result, q[5].result,
                                  q[6].result}));
  EXPECT_EQ((std::array<uint32_t, 3>{0x11223344u, 0x55667788u, 0x22114433u}),
            (std::array<uint32_t, 3>{rd[0], rd[1], rd_swapped[0]}));
  expectRequests({pmcRb(32769, 100, 107, 5, 2), pmcRb(32770, 200, 203, 5, 2, {0x44, 0x33, 0x22, 0x11}),
                  pmcRb(32769, 104, 107, 5, 2)});
  EXPECT_EQ(0, rec(h).pmc_err.code);
}

TEST_F(PmcRangeCalls, ReadWriteSetBudgetAndNothingToSend) {
  uint16_t h = open();
  std::vector<uint32_t> data(800);
  // 2892 - 16 * 2 = 2860 read bytes for two entries.
  pmcrwreq_t q[2] = {{0, 5, 2, 0, 2860, 0, -1, 0, data.data()},
                     {0, 5, 2, 0, 4, 0, -1, 0, data.data()}};
  fake.reply(2, 32769, sim::RbReply().bytes(std::vector<uint8_t>(2860)));
  ASSERT_EQ(EW_SUCCESS, pmc_rdwrpmcrng(h, 2, q));
  EXPECT_EQ((std::pair<int16_t, int16_t>{0, EW_BUFFER}), std::make_pair(q[0].result, q[1].result));
  fake.clear_received();
  pmcrwreq_t bad{5, 5, 2, 0, 4, 0, -1, 0, data.data()};
  ASSERT_EQ(EW_SUCCESS, pmc_rdwrpmcrng(h, 1, &bad));
  EXPECT_EQ(EW_VALUE, bad.result);
  EXPECT_TRUE(sent().empty());
}

// The unit changes once the PMC accepts it and is the path of later requests.
TEST_F(PmcRangeCalls, SelectedUnitIsThePathOfLaterRequests) {
  uint16_t h = open();
  fake.reply(2, 32780, RbReply());
  fake.reply(2, 32782, RbReply().i32(3));
  LogLevel lv(4);
  LogTail log;
  ASSERT_EQ(EW_SUCCESS, pmc_select_pmc_unit(h, 0x102));
  EXPECT_TRUE(log.has("Set unit: current pmc unit path =258"));
  int32_t unit = 0, n = 0;
  ASSERT_EQ(EW_SUCCESS, pmc_get_current_pmc_unit(h, &unit));
  ASSERT_EQ(EW_SUCCESS, pmc_get_number_of_pmc(h, &n));
  EXPECT_EQ((std::pair{2, 3}), std::make_pair(unit, n));   // the unit's low byte
  expectRequests({{32780, 0x102, 0, 0, 0, {}, kClassPmc, 1}, {32782, 0, 0, 0, 0, {}, kClassPmc, 0x102}});
  fake.reply(2, 32780, RbReply::fail(3));
  EXPECT_EQ(3, pmc_select_pmc_unit(h, 4));
  EXPECT_EQ(0x102u, rec(h).pmc_unit);
}

}  // namespace
}  // namespace oz::test
