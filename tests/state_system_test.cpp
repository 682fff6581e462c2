// System information and control against the fake controller.
#include "tests/support.h"

namespace oz::test {
namespace {

using sim::RbReply;
using sim::RbRequest;

class SystemW : public FakeTest {
 protected:
  SystemW() : FakeTest(cfg()) {}
  static sim::FakeConfig cfg() {
    auto c = sim::FakeConfig::standard(5, 2);
    c.paths[0].sysinfo = sim::sysinfo_record(7, 3, " 0", "_W", "SER1", "V001", " 3");
    c.paths[1].axes(4);
    return c;
  }
};

TEST_F(SystemW, SysinfoShowsTheWTypeWithABlankAndSurvivesABrokenCircuit) {
  uint16_t h = open();
  sysinfo_t s;
  sentinel(s);
  ASSERT_EQ(EW_SUCCESS, cnc_sysinfo(h, &s));
  expectStored(&s, sizeof s, {at(0, uint16_t(7)), at(2, uint16_t(3)), at(4, " 0 WSER1V001 3")});
  EXPECT_EQ('_', rec(h).pathSysInfo().bytes[6]);
  ASSERT_EQ(EW_SUCCESS, cnc_resetconnect(h));
  EXPECT_EQ(EW_SUCCESS, cnc_sysinfo(h, &s));
  sysinfo_ex_t x;
  EXPECT_EQ(EW_SUCCESS, cnc_sysinfo_ex(h, &x));
  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(EW_BADHANDLE, cnc_sysinfo(0, &s));
}

// The configuration words, then one item per path entry, ten at least.
TEST_F(SystemW, SysinfoExFillsTenItemsAtLeast) {
  uint16_t h = open();
  sysinfo_ex_t x;
  sentinel(x);
  ASSERT_EQ(EW_SUCCESS, cnc_sysinfo_ex(h, &x));
  const ControllerConfig& k = rec(h).config;
  std::vector<At> want;
  const int words[] = {6, 8, 10, 12, 16, 18, 20, 22, 24, 34};
  for (size_t i = 0; i < 10; ++i) want.push_back(at(2 * i, k.word(words[i])));
  for (int p = 0; p < 10; ++p)
    for (int i : {0, 1, 2, 3, 4, 5, 9}) want.push_back(at(24 + 16 * size_t(p) + 2 * size_t(i < 9 ? i : 6),
                                                          k.pathWord(p + 1, 2 * i)));
  expectStored(&x, sizeof x, want);
  EXPECT_EQ(2, x.cnc_paths);
  EXPECT_EQ(0, x.path[9].sys_code);
}

// Reply data for command 65: slots 0x01 and 0x82, then the end.
RbReply syssoft_reply(size_t size) {
  std::vector<uint8_t> d(size, 0);
  for (size_t i = 0; i < size; ++i) d[i] = uint8_t('a' + i % 26);
  std::memset(d.data(), 255, 16);
  d[0] = 0x01;
  d[1] = 0x82;
  for (int j = 0; j < 16; ++j) d[size_t(144 + 2 * j)] = uint8_t(0x40 + j);
  d[144 + 2 * 5] = 0x82;   // slot 0x82 is entry 5
  d[144 + 2 * 2] = 0x01;   // slot 0x01 is entry 2
  d[16 + 2] = 0x11, d[17 + 2] = 0x22;   // word for slot 0x01 (s & 15 = 1)
  d[48 + 4] = 0x33, d[49 + 4] = 0x44;   // word for slot 0x82
  d[208 + 8 * 2] = 255;                  // a 255 inside a text reads as 0
  d[465] = 0x5A;
  return RbReply().bytes(d);
}

class System : public FakeTest {};

TEST_F(System, SyssoftDecodesSlotsTextsAndPairs) {
  uint16_t h = open();
  fake.reply(1, 65, syssoft_reply(824));
  syssoft2_t s;
  sentinel(s);
  ASSERT_EQ(EW_SUCCESS, cnc_rdsyssoft2(h, &s));
  auto chr = [](int off) { return char('a' + off % 26); };
  const std::vector<std::pair<int, int>> got = {
      {s.s.slot[0], 0x01}, {s.s.slot[1], 0x82}, {s.s.slot[2], 255}, {s.s.slot_index[0], 2}, {s.s.slot_index[1], 5},
      {s.s.slot_index[2], 255}, {s.s.slot_word1[0], 0x1122}, {s.s.slot_word1[1], 0x3344}, {s.s.slot_word1[2], 0xFFFF},
      {s.s.slot_series[0][0], 0}, {s.s.slot_series[0][4], 0}, {s.s.slot_series[2][0], 0}, {s.s.option, 0x5A},
      {s.s.pad, 0xEE}, {s.s.text[0][0], chr(336)}, {s.s.pair[1][1][0], chr(476 + 8)}, {s.s.last[1][3], chr(372 + 3)},
      {s.more[19][1][3], chr(476 + 8 * 43 + 3)}, {s.more[19][1][4], 0}};
  for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i].second, got[i].first) << "item " << i;
}

TEST_F(System, SyssoftWithNoSlotsKeepsTheFillValues) {
  uint16_t h = open();
  RbReply r = syssoft_reply(664);
  std::memset(r.data.data(), 255, 16);
  fake.reply(1, 65, r);
  syssoft_t s;
  ASSERT_EQ(EW_SUCCESS, cnc_rdsyssoft(h, &s));
  const auto* b = reinterpret_cast<const uint8_t*>(&s);
  EXPECT_EQ(std::vector<uint8_t>(80, 0xFF), std::vector<uint8_t>(b + 16, b + 96));
  EXPECT_EQ(std::vector<uint8_t>(160, 0), std::vector<uint8_t>(b + 96, b + 256));
}

// Counted lists copy field by field up to the count; cnc_rdsyshard leaves
// the total alone.
TEST_F(System, CountedLists) {
  uint16_t h = open();
  RbReply soft = RbReply().i16(3).i16(7);
  for (int i = 0; i < 3; ++i) soft.i16(int16_t(0x100 + i)).text("SER" + std::to_string(i),
                                                                5).text("V0" + std::to_string(i), 5);
  fake.reply(1, 440, soft);
  fake.reply(1, 441, RbReply().i32(1).u32(0xA1B2C3D4).u32(5).i16(1).i16(2).i16(3).i16(4).i16(5).i16(6));
  fake.reply(1, 559, RbReply().i16(1).i16(1).i16(9).text("BOARD", 14).i16(3).text("ID", 13).text("SERIES", 11)
                         .text("VER", 9).text("AB", 3).text("C", 2));
  fake.reply(1, 558, RbReply().i16(1).i16(1).i16(2).text("NAME", 13).text("S", 5).text("V", 5).text("X", 3));
  alignas(8) uint8_t out[3 * 56];
  int16_t count = 2, total = -9;
  sentinel(out);
  ASSERT_EQ(EW_SUCCESS, cnc_rdsyssoft3(h, 4, &count, &total, reinterpret_cast<syssoft3_t*>(out)));
  EXPECT_EQ((std::pair<int16_t, int16_t>{2, 7}), std::make_pair(count, total));
  expectStored(out, sizeof out,
               {at(0, int16_t(0x100)), at(2, "SER0 V00  "), at(12, int16_t(0x101)), at(14, "SER1 V01  ")});
  count = 4, total = -9;
  sentinel(out);
  ASSERT_EQ(EW_SUCCESS, cnc_rdsyshard(h, 0, &count, &total, reinterpret_cast<syshard_t*>(out)));
  EXPECT_EQ((std::pair<int16_t, int16_t>{1, -9}), std::make_pair(count, total));
  expectStored(out, sizeof out,
               {at(0, 0xA1B2C3D4u), at(4, 5u), at(8, int16_t(1)), at(10, int16_t(2)), at(12, int16_t(3)),
                                 at(14, int16_t(4)), at(16, int16_t(5)), at(18, int16_t(6))});
  count = 1;
  sentinel(out);
  ASSERT_EQ(EW_SUCCESS, cnc_rdsyshard_str(h, 0, &count, &total, reinterpret_cast<syshard_str_t*>(out)));
  expectStored(out, sizeof out,
               {at(0, int16_t(9)), at(2, "BOARD         "), at(16, int16_t(3)), at(18, "ID           "),
                                 at(31, "SERIES     VER      AB C ")});
  sentinel(out);
  ASSERT_EQ(EW_SUCCESS, cnc_rdsyssoft3_str(h, 0, &count, &total, reinterpret_cast<syssoft3_str_t*>(out)));
  expectStored(out, sizeof out, {at(0, int16_t(2)), at(2, "NAME         S    V    X  ")});
  expectRequests({{440, 4, 2}, {441, 0, 4}, {559, 0, 1}, {558, 0, 1}});
}

// A timer structure with only its type set.
cnctimer_t* timer(Arena& a, int16_t type) {
  cnctimer_t* t = a.out<cnctimer_t>();
  t->type = type;
  return t;
}

// One request, its reply copied or converted into one caller field.
const Row kRows[] = {
    {"CncModel", {{367, RbReply().i32(-7)}}, OZ_DO(cnc_getcncmodel(h, a.out<int32_t>())), 0, {{367}}, {at(0, -7)}},
    {"Language", {{221, RbReply().i16(3)}}, OZ_DO(cnc_getlanguage(h, a.out<int16_t>())), 0, {{221}},
     {at(0, int16_t(3))}},
    {"Version", {{247, RbReply().i32(0x01020304)}}, OZ_DO(cnc_chkversion(h, a.out<int32_t>())), 0, {{247}},
     {at(0, 0x01020304)}},
    {"CoordNum", {{347, RbReply().i32(48)}}, OZ_DO(cnc_rdcoordnum(h, a.out<int32_t>())), 0, {{347}}, {at(0, 48)}},
    {"OptMsgAnswer", {{365, RbReply().i32(1)}}, OZ_DO(cnc_optmsgans(h, a.out<int32_t>())), 0, {{365}}, {at(0, 1)}},
    {"EtherInfo", {{345, RbReply().i16(10).i16(20)}},
     [](uint16_t h, Arena& a) -> int16_t {
       int16_t* w = a.outs<int16_t>(2);
       return cnc_rdetherinfo(h, w, w + 1);
     },
     0, {{345}}, {at(0, int16_t(10)), at(2, int16_t(20))}},
    // Four words at most.
    {"CncId", {{232, RbReply().u32(1).u32(2).u32(3).u32(4).u32(5)}}, OZ_DO(cnc_rdcncid(h, a.outs<uint32_t>(5))), 0,
     {{232}}, {at(0, 1u), at(4, 2u), at(8, 3u), at(12, 4u)}},
    {"MacAddress", {{438, RbReply().text("0800ABCDEF12X", 16)}}, OZ_DO(cnc_getmacaddress(h, a.outs<char>(14))), 0,
     {{438}}, {at(0, "0800ABCDEF12X")}},
    {"ModelConfig", {{66, RbReply().bytes(std::vector<uint8_t>(130, 7))}},
     OZ_DO(cnc_rdmdlconfig2(h, a.outs<uint8_t>(129))),
     0, {{66}}, {at(0, std::vector<uint8_t>(128, 7))}},
    {"SyssoftFailureLogsUnderItsInnerName", {{65, RbReply::fail(6)}}, OZ_DO(cnc_rdsyssoft(h, a.out<syssoft_t>())),
     EW_NOFEATURE, {{65}}, {}, {}, {}, {"Error: {S}: inter_rdsyssoft({H} {P}:len=548): 6 0 0"}},

    {"Start", {{1, RbReply()}}, OZ_DO(cnc_start(h)), 0, {{1}}},
    {"Reset", {{2, RbReply()}}, OZ_DO(cnc_reset(h)), 0, {{2}}},
    {"Reset2", {{709, RbReply()}}, OZ_DO(cnc_reset2(h)), 0, {{709}}},
    {"ChangeLanguage", {{244, RbReply()}}, OZ_DO(cnc_chglang(h, 200)), 0, {{244, 200}}},
    {"CurrentScreen", {{230, RbReply()}}, OZ_DO(cnc_setcurscrn(h, -3)), 0, {{230, -3}}},

    // The controller keeps date and time in one six-word block; type picks the half.
    {"TimerTime", {{69, RbReply().i16(2026).i16(12).i16(6).i16(13).i16(45).i16(59)}},
     OZ_DO(cnc_gettimer(h, timer(a, 1))), 0, {{69, 1}},
     {at(0, int16_t(1)), at(4, int16_t(13)), at(6, int16_t(45)), at(8, int16_t(59))}},
    {"TimerDate", {{69, RbReply().i16(2026).i16(12).i16(6).i16(13).i16(45).i16(59)}},
     OZ_DO(cnc_gettimer(h, timer(a, 0))), 0, {{69, 0}},
     {at(0, int16_t(0)), at(4, int16_t(2026)), at(6, int16_t(12)), at(8, int16_t(6))}},
    {"SetDate", {{70, RbReply()}}, OZ_DO(cnc_settimer(h, a.in(cnctimer_t{0, 0, {2026, 12, 6}}))), 0,
     {{70, 0, 0, 0, 0, Be().i16(2026).i16(12).i16(6).i32(0).i16(0).data}}},
    {"SetTime", {{70, RbReply()}}, OZ_DO(cnc_settimer(h, a.in(cnctimer_t{1, 0, {1, 2, 3}}))), 0,
     {{70, 1, 0, 0, 0, Be().i32(0).i16(0).i16(1).i16(2).i16(3).data}}},
    {"GetTimerTypeTwo", {}, OZ_DO(cnc_gettimer(h, a.in(cnctimer_t{2, 0, {}}))), EW_RANGE, {}},
    {"SetTimerTypeTwo", {}, OZ_DO(cnc_settimer(h, a.in(cnctimer_t{2, 0, {}}))), EW_RANGE, {}},
    {"RunTimer", {{288, RbReply().i32(100).i32(-200)}}, OZ_DO(cnc_rdtimer(h, 3, a.out<rdtimer_t>())), 0, {{288, 3}},
     {at(0, 100), at(4, -200)}},
    {"WriteRunTimer", {{289, RbReply()}}, OZ_DO(cnc_wrtimer(h, 3, a.in(rdtimer_t{100, -200}))), 0,
     {{289, 3, 0, 0, 0, Be().i32(100).i32(-200).data}}},

    // At most 400 characters; null blanks the message.
    {"OptMsgCut", {{364, RbReply()}}, OZ_DO(cnc_dispoptmsg(h, a.text(std::string(450, 'q').c_str()))), 0,
     {{364, 0, 0, 0, 0, std::vector<uint8_t>(400, 'q')}}},
    {"OptMsg", {{364, RbReply()}}, OZ_DO(cnc_dispoptmsg(h, "hi")), 0, {{364, 0, 0, 0, 0, {'h', 'i'}}}},
    {"OptMsgBlank", {{364, RbReply()}}, OZ_DO(cnc_dispoptmsg(h, nullptr)), 0,
     {{364, 0, 0, 0, 0, std::vector<uint8_t>(400, ' ')}}},

    // Two-byte characters go whole; a lead byte before the terminator stands
    // alone. The converted text is never longer than the one sent.
    {"Ftosjis",
     {{353, [](const RbRequest& q) { RbReply r = RbReply().bytes(q.data); return r.bytes(std::vector<uint8_t>(10, 'Z')); }}},
     OZ_DO(cnc_ftosjis(h, "A\x82\x01" "B\x83", a.outs<char>(16))), 0,
     {{353, 0, 0, 0, 0, {'A', 0x82, 0x01, 'B', 0x83, 0}}},
     {at(0, std::vector<uint8_t>{'A', 0x82, 0x01, 'B', 0x83, 0})}},
    // An empty answer leaves the text it would have filled empty.
    {"FtosjisPairEatsTheNext", {{353, RbReply()}}, OZ_DO(cnc_ftosjis(h, "\x81" "A", a.outs<char>(16))), 0,
     {{353, 0, 0, 0, 0, {0x81, 'A', 0}}}, {at(0, std::vector<uint8_t>(3, 0))}},

    // C-executor memory in chunks of 1432; a reply moves as far as it holds.
    {"CbmemRead", {{209, [](const RbRequest& q) {
                      RbReply r;
                      for (int i = 0; i < std::min(q.a2, 1000); ++i) r.data.push_back(uint8_t(q.a1 + i));
                      return r;
                    }}},
     OZ_DO(cnc_rdcbmem(h, 10, 3000, a.outs<uint8_t>(3001))), 0, {{209, 10, 1432}, {209, 1010, 1432}, {209, 2010, 1000}},
     [] {
       std::vector<uint8_t> b(3000);
       for (size_t i = 0; i < b.size(); ++i) b[i] = uint8_t(10 + i);
       return std::vector<At>{at(0, b)};
     }()},
    {"CbmemWrite", {{210, RbReply()}}, OZ_DO(cnc_wrcbmem(h, 0, 3000, std::string(3000, 'w').data())), 0,
     {{210, 0, 0, 0, 0, std::vector<uint8_t>(1432, 'w')}, {210, 1432, 0, 0, 0, std::vector<uint8_t>(1432, 'w')},
      {210, 2864, 0, 0, 0, std::vector<uint8_t>(136, 'w')}}},
    {"CbmemNegativeOffset", {}, OZ_DO(cnc_rdcbmem(h, -1, 0, a.outs<uint8_t>(1))), EW_RANGE, {}},
    {"CbmemZeroLength", {}, OZ_DO(cnc_rdcbmem(h, 0, 0, a.outs<uint8_t>(1))), EW_SIZE, {}},
    {"CbmemTooLong", {}, OZ_DO(cnc_wrcbmem(h, 0, 4097, std::string(4097, 'w').data())), EW_SIZE, {}},
    // A reply without data would never finish.
    {"CbmemEmptyReply", {{209, RbReply()}}, OZ_DO(cnc_rdcbmem(h, 0, 10, a.outs<uint8_t>(10))), EW_SIZE, {{209, 0, 10}}},
};
OZ_ROWS(Control, kRows);

}  // namespace
}  // namespace oz::test
