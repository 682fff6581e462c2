// System information and control against the fake controller.
#include <cstring>

#include "tests/support.h"

namespace oz::test {
namespace {

using sim::RbReply;

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
  EXPECT_EQ(7, s.addinfo);
  EXPECT_EQ(3, s.max_axis);
  EXPECT_EQ(0, std::memcmp(s.mt_type, " W", 2));
  EXPECT_EQ(0, std::memcmp(s.series, "SER1", 4));
  EXPECT_EQ('_', rec(h).pathSysInfo().bytes[6]);
  ASSERT_EQ(EW_SUCCESS, cnc_resetconnect(h));
  EXPECT_EQ(EW_SUCCESS, cnc_sysinfo(h, &s));
  sysinfo_ex_t x;
  sentinel(x);
  EXPECT_EQ(EW_SUCCESS, cnc_sysinfo_ex(h, &x));
  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(EW_BADHANDLE, cnc_sysinfo(0, &s));
}

TEST_F(SystemW, SysinfoExFillsTenItemsAtLeast) {
  uint16_t h = open();
  sysinfo_ex_t x;
  sentinel(x);
  ASSERT_EQ(EW_SUCCESS, cnc_sysinfo_ex(h, &x));
  const ControllerConfig& k = rec(h).config;
  EXPECT_EQ(k.word(6), x.max_axes);
  EXPECT_EQ(k.word(10), x.path_records);
  EXPECT_EQ(2, x.cnc_paths);
  EXPECT_EQ(k.word(34), x.w34);
  EXPECT_EQ(0xEEEE, x.reserved[0]);
  EXPECT_EQ(k.pathWord(2, 0), x.path[1].sys_code);
  EXPECT_EQ(k.pathWord(2, 18), x.path[1].w9);
  EXPECT_EQ(0, x.path[9].sys_code);
  EXPECT_EQ(0xEEEE, x.path[0].reserved);
  EXPECT_TRUE(untouched(&x.path[10], 0, sizeof x.path[10] * 5));
}

class System : public FakeTest {};

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
  d[16 + 2] = 0x11; d[17 + 2] = 0x22;          // word for slot 0x01 (s & 15 = 1)
  d[48 + 4] = 0x33; d[49 + 4] = 0x44;          // word for slot 0x82
  d[208 + 8 * 2] = 255;                        // a 255 inside a text reads as 0
  d[465] = 0x5A;
  return RbReply().bytes(d);
}

TEST_F(System, SyssoftDecodesSlotsTextsAndPairs) {
  uint16_t h = open();
  fake.reply(1, 65, syssoft_reply(824));
  syssoft2_t s;
  sentinel(s);
  ASSERT_EQ(EW_SUCCESS, cnc_rdsyssoft2(h, &s));
  EXPECT_EQ(0x01, s.s.slot[0]);
  EXPECT_EQ(0x82, s.s.slot[1]);
  EXPECT_EQ(255, s.s.slot[2]);
  EXPECT_EQ(2, s.s.slot_index[0]);
  EXPECT_EQ(5, s.s.slot_index[1]);
  EXPECT_EQ(255, s.s.slot_index[2]);
  EXPECT_EQ(0x1122, s.s.slot_word1[0]);
  EXPECT_EQ(0x3344, s.s.slot_word1[1]);
  EXPECT_EQ(0xFFFF, s.s.slot_word1[2]);
  EXPECT_EQ(0, s.s.slot_series[0][0]);
  EXPECT_EQ(0, s.s.slot_series[0][4]);
  EXPECT_EQ(0, s.s.slot_series[2][0]);
  EXPECT_EQ(0x5A, s.s.option);
  EXPECT_EQ(0xEE, s.s.pad);
  auto chr = [](int off) { return char('a' + off % 26); };
  EXPECT_EQ(chr(336), s.s.text[0][0]);
  EXPECT_EQ(chr(476 + 8), s.s.pair[1][1][0]);
  EXPECT_EQ(chr(372 + 3), s.s.last[1][3]);
  EXPECT_EQ(chr(476 + 8 * 43 + 3), s.more[19][1][3]);
  EXPECT_EQ(0, s.more[19][1][4]);
}

TEST_F(System, SyssoftWithNoSlotsKeepsTheFillValues) {
  uint16_t h = open();
  RbReply r = syssoft_reply(664);
  std::memset(r.data.data(), 255, 16);
  fake.reply(1, 65, r);
  syssoft_t s;
  sentinel(s);
  ASSERT_EQ(EW_SUCCESS, cnc_rdsyssoft(h, &s));
  auto* b = reinterpret_cast<const uint8_t*>(&s);
  for (int i = 16; i < 96; ++i) ASSERT_EQ(0xFF, b[i]) << i;
  for (int i = 96; i < 256; ++i) ASSERT_EQ(0, b[i]) << i;
}

TEST_F(System, SyssoftFailureLogsUnderItsInnerName) {
  uint16_t h = open();
  fake.reply(1, 65, RbReply::fail(6));
  LogTail log;
  syssoft_t s;
  EXPECT_EQ(EW_NOFEATURE, cnc_rdsyssoft(h, &s));
  std::ostringstream ptr;
  ptr << static_cast<const void*>(&s);
  EXPECT_TRUE(log.has("Error: " + std::to_string(rec(h).sock2Number()) + ": inter_rdsyssoft(" +
                      std::to_string(h) + " " + ptr.str() + ":len=548): 6 0 0"));
}

TEST_F(System, CountedListsCopyFieldByFieldUpToTheCount) {
  uint16_t h = open();
  RbReply soft = RbReply().i16(3).i16(7);
  for (int i = 0; i < 3; ++i) soft.i16(int16_t(0x100 + i)).text("SER" + std::to_string(i), 5).text("V0" + std::to_string(i), 5);
  fake.reply(1, 440, soft);
  syssoft3_t s[3];
  sentinel(s);
  int16_t count = 2, total = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_rdsyssoft3(h, 4, &count, &total, s));
  EXPECT_EQ(2, count);
  EXPECT_EQ(7, total);
  EXPECT_EQ(0x101, s[1].kind);
  EXPECT_EQ(0, std::memcmp(s[1].series, "SER1 ", 5));
  EXPECT_EQ(0, std::memcmp(s[1].version, "V01  ", 5));
  EXPECT_TRUE(untouched(&s[2], 0, sizeof s[2]));
  auto q = sent();
  EXPECT_EQ(4, q[0].a1);
  EXPECT_EQ(2, q[0].a2);

  RbReply hard = RbReply().i32(1);
  hard.u32(0xA1B2C3D4).u32(5).i16(1).i16(2).i16(3).i16(4).i16(5).i16(6);
  fake.reply(1, 441, hard);
  syshard_t hd;
  count = 4;
  total = -9;
  ASSERT_EQ(EW_SUCCESS, cnc_rdsyshard(h, 0, &count, &total, &hd));
  EXPECT_EQ(1, count);
  EXPECT_EQ(-9, total);
  EXPECT_EQ(0xA1B2C3D4u, hd.id1);
  EXPECT_EQ(6, hd.w[5]);

  RbReply hs = RbReply().i16(1).i16(1);
  hs.i16(9).text("BOARD", 14).i16(3).text("ID", 13).text("SERIES", 11).text("VER", 9).text("AB", 3).text("C", 2);
  fake.reply(1, 559, hs);
  syshard_str_t st;
  count = 1;
  ASSERT_EQ(EW_SUCCESS, cnc_rdsyshard_str(h, 0, &count, &total, &st));
  EXPECT_EQ(9, st.kind);
  EXPECT_EQ(3, st.slot);
  EXPECT_EQ(0, std::memcmp(st.series, "SERIES     ", 11));
  EXPECT_EQ('C', st.extra2[0]);

  RbReply s3 = RbReply().i16(1).i16(1);
  s3.i16(2).text("NAME", 13).text("S", 5).text("V", 5).text("X", 3);
  fake.reply(1, 558, s3);
  syssoft3_str_t ss;
  ASSERT_EQ(EW_SUCCESS, cnc_rdsyssoft3_str(h, 0, &count, &total, &ss));
  EXPECT_EQ(0, std::memcmp(ss.name, "NAME ", 5));
  EXPECT_EQ('X', ss.extra[0]);
}

TEST_F(System, SingleWordReads) {
  uint16_t h = open();
  fake.reply(1, 367, RbReply().i32(-7));
  fake.reply(1, 221, RbReply().i16(3));
  fake.reply(1, 247, RbReply().i32(0x01020304));
  fake.reply(1, 347, RbReply().i32(48));
  fake.reply(1, 365, RbReply().i32(1));
  fake.reply(1, 345, RbReply().i16(10).i16(20));
  fake.reply(1, 232, RbReply().u32(1).u32(2).u32(3).u32(4).u32(5));
  fake.reply(1, 438, RbReply().text("0800ABCDEF12X", 16));
  RbReply cfg;
  cfg.data.assign(130, 7);
  fake.reply(1, 66, cfg);
  int32_t l = 0;
  int16_t s = 0, s2 = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_getcncmodel(h, &l));
  EXPECT_EQ(-7, l);
  ASSERT_EQ(EW_SUCCESS, cnc_getlanguage(h, &s));
  EXPECT_EQ(3, s);
  ASSERT_EQ(EW_SUCCESS, cnc_chkversion(h, &l));
  EXPECT_EQ(0x01020304, l);
  ASSERT_EQ(EW_SUCCESS, cnc_rdcoordnum(h, &l));
  EXPECT_EQ(48, l);
  ASSERT_EQ(EW_SUCCESS, cnc_optmsgans(h, &l));
  EXPECT_EQ(1, l);
  ASSERT_EQ(EW_SUCCESS, cnc_rdetherinfo(h, &s, &s2));
  EXPECT_EQ(10, s);
  EXPECT_EQ(20, s2);
  uint32_t id[5];
  sentinel(id);
  ASSERT_EQ(EW_SUCCESS, cnc_rdcncid(h, id));
  EXPECT_EQ(4u, id[3]);
  EXPECT_EQ(0xEEEEEEEEu, id[4]);
  char mac[14];
  sentinel(mac);
  ASSERT_EQ(EW_SUCCESS, cnc_getmacaddress(h, mac));
  EXPECT_EQ(0, std::memcmp(mac, "0800ABCDEF12X", 13));
  EXPECT_EQ(char(0xEE), mac[13]);
  uint8_t m[129];
  sentinel(m);
  ASSERT_EQ(EW_SUCCESS, cnc_rdmdlconfig2(h, m));
  EXPECT_EQ(7, m[127]);
  EXPECT_EQ(0xEE, m[128]);
}

TEST_F(System, CommandsAndTheirArguments) {
  uint16_t h = open();
  for (int cmd : {1, 2, 709, 244, 230}) fake.reply(1, uint16_t(cmd), RbReply());
  ASSERT_EQ(EW_SUCCESS, cnc_start(h));
  ASSERT_EQ(EW_SUCCESS, cnc_reset(h));
  ASSERT_EQ(EW_SUCCESS, cnc_reset2(h));
  ASSERT_EQ(EW_SUCCESS, cnc_chglang(h, 200));
  ASSERT_EQ(EW_SUCCESS, cnc_setcurscrn(h, -3));
  auto q = sent();
  ASSERT_EQ(5u, q.size());
  const int cmds[] = {1, 2, 709, 244, 230};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(cmds[i], q[i].cmd);
  EXPECT_EQ(200, q[3].a1);
  EXPECT_EQ(-3, q[4].a1);
}

TEST_F(System, TimersPickTheirHalf) {
  uint16_t h = open();
  fake.reply(1, 69, RbReply().i16(2026).i16(12).i16(6).i16(13).i16(45).i16(59));
  fake.reply(1, 70, RbReply());
  cnctimer_t t;
  sentinel(t);
  t.type = 1;
  ASSERT_EQ(EW_SUCCESS, cnc_gettimer(h, &t));
  EXPECT_EQ(13, t.v[0]);
  EXPECT_EQ(59, t.v[2]);
  EXPECT_EQ(int16_t(0xEEEE), t.reserved);
  t.type = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_gettimer(h, &t));
  EXPECT_EQ(2026, t.v[0]);
  ASSERT_EQ(EW_SUCCESS, cnc_settimer(h, &t));
  t.type = 1;
  t.v[0] = 1;
  t.v[1] = 2;
  t.v[2] = 3;
  ASSERT_EQ(EW_SUCCESS, cnc_settimer(h, &t));
  t.type = 2;
  EXPECT_EQ(EW_RANGE, cnc_gettimer(h, &t));
  EXPECT_EQ(EW_RANGE, cnc_settimer(h, &t));
  auto q = sent();
  ASSERT_EQ(4u, q.size());
  EXPECT_EQ(1, q[0].a1);
  const std::vector<uint8_t> date = {0x07, 0xEA, 0, 12, 0, 6, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(date, q[2].data);
  const std::vector<uint8_t> time = {0, 0, 0, 0, 0, 0, 0, 1, 0, 2, 0, 3};
  EXPECT_EQ(time, q[3].data);

  fake.reply(1, 288, RbReply().i32(100).i32(-200));
  fake.reply(1, 289, RbReply());
  rdtimer_t r{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdtimer(h, 3, &r));
  EXPECT_EQ(100, r.minute);
  EXPECT_EQ(-200, r.msec);
  ASSERT_EQ(EW_SUCCESS, cnc_wrtimer(h, 3, &r));
  q = sent();
  EXPECT_EQ(3, q[4].a1);
  EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 100, 0xFF, 0xFF, 0xFF, 0x38}), q[5].data);
}

TEST_F(System, OptionalMessageIsCutOrBlank) {
  uint16_t h = open();
  fake.reply(1, 364, RbReply());
  ASSERT_EQ(EW_SUCCESS, cnc_dispoptmsg(h, std::string(450, 'q').c_str()));
  ASSERT_EQ(EW_SUCCESS, cnc_dispoptmsg(h, "hi"));
  ASSERT_EQ(EW_SUCCESS, cnc_dispoptmsg(h, nullptr));
  auto q = sent();
  ASSERT_EQ(3u, q.size());
  EXPECT_EQ(std::vector<uint8_t>(400, 'q'), q[0].data);
  EXPECT_EQ((std::vector<uint8_t>{'h', 'i'}), q[1].data);
  EXPECT_EQ(std::vector<uint8_t>(400, ' '), q[2].data);
}

TEST_F(System, FtosjisSendsTwoByteCharactersWhole) {
  uint16_t h = open();
  fake.on(1, 353, [](const sim::RbRequest& q) {
    RbReply r;
    r.data = q.data;
    r.data.resize(r.data.size() + 10, 'Z');   // longer than what was sent
    return r;
  });
  const char in[] = "A\x82\x01" "B\x83";   // the last lead byte stands before the terminator
  char out[16];
  sentinel(out);
  ASSERT_EQ(EW_SUCCESS, cnc_ftosjis(h, in, out));
  auto q = sent();
  ASSERT_EQ(1u, q.size());
  EXPECT_EQ((std::vector<uint8_t>{'A', 0x82, 0x01, 'B', 0x83, 0}), q[0].data);
  EXPECT_EQ(0, std::memcmp(out, in, 6));
  EXPECT_TRUE(untouched(out, 6, sizeof out));
  const char pair_eats[] = "\x81" "A";
  ASSERT_EQ(EW_SUCCESS, cnc_ftosjis(h, pair_eats, out));
  EXPECT_EQ(3u, sent()[1].data.size());
}

TEST_F(System, CbmemGoesInChunks) {
  uint16_t h = open();
  fake.on(1, 209, [](const sim::RbRequest& q) {
    RbReply r;
    for (int i = 0; i < std::min(q.a2, 1000); ++i) r.data.push_back(uint8_t(q.a1 + i));
    return r;
  });
  fake.reply(1, 210, RbReply());
  std::vector<uint8_t> buf(3001, 0xEE);
  ASSERT_EQ(EW_SUCCESS, cnc_rdcbmem(h, 10, 3000, buf.data()));
  EXPECT_EQ(uint8_t(10 + 2999), buf[2999]);
  EXPECT_EQ(0xEE, buf[3000]);
  auto q = sent();
  ASSERT_EQ(3u, q.size());   // 1000 bytes come back per request
  EXPECT_EQ((std::array<int, 2>{10, 1432}), (std::array<int, 2>{q[0].a1, q[0].a2}));
  EXPECT_EQ((std::array<int, 2>{1010, 1432}), (std::array<int, 2>{q[1].a1, q[1].a2}));
  EXPECT_EQ((std::array<int, 2>{2010, 1000}), (std::array<int, 2>{q[2].a1, q[2].a2}));
  fake.clear_received();
  ASSERT_EQ(EW_SUCCESS, cnc_wrcbmem(h, 0, 3000, buf.data()));
  q = sent();
  ASSERT_EQ(3u, q.size());
  EXPECT_EQ(1432u, q[0].data.size());
  EXPECT_EQ(1432, q[1].a1);
  EXPECT_EQ(136u, q[2].data.size());
  EXPECT_EQ(buf[2864], q[2].data[0]);
  fake.clear_received();
  EXPECT_EQ(EW_RANGE, cnc_rdcbmem(h, -1, 0, buf.data()));
  EXPECT_EQ(EW_SIZE, cnc_rdcbmem(h, 0, 0, buf.data()));
  EXPECT_EQ(EW_SIZE, cnc_wrcbmem(h, 0, 4097, buf.data()));
  EXPECT_TRUE(sent().empty());
  fake.reply(1, 209, RbReply());
  EXPECT_EQ(EW_SIZE, cnc_rdcbmem(h, 0, 10, buf.data()));
  EXPECT_EQ(1u, sent().size());
}

}  // namespace
}  // namespace oz::test
