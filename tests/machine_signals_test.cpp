// Operator panel, servo and spindle information and graphics against the
// fake controller.
#include <cstdio>

#include "tests/machine1_support.h"

namespace oz::test {
namespace {

using sim::RbReply;

auto L = [](auto f) { return std::function<int16_t(uint16_t, void*)>(f); };

class Panel : public MachineRowTest {};

TEST_F(Panel, SignalsSwitchesAndMenus) {
  static opnlgnrl_t gnrl{0, 0x0105, -3};
  static const opnlgnrl_t gnrl2{0, 0x0105, -3};
  static const opnlsgnl_t sgnl{0, -2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}};
  RbReply signals;
  for (int i = 0; i < 13; ++i) signals.i16(int16_t(100 + i));
  std::vector<uint8_t> sgnl_data;
  for (int i = 1; i <= 13; ++i) sgnl_data.insert(sgnl_data.end(), {0, uint8_t(i)});
  sgnl_data.resize(32, 0);
  check({
      {"rdopnlsgnl", {{93, signals}}, L([](uint16_t h, void* b) { return cnc_rdopnlsgnl(h, -2, (opnlsgnl_t*)b); }),
       {{93, -2}}, after<opnlsgnl_t>([](opnlsgnl_t& s) { s.selector = -2; for (int i = 0; i < 13; ++i) s.data[i] = int16_t(100 + i); })},
      {"rdopnlsgnl short", {{93, RbReply().i16(1)}}, L([](uint16_t h, void* b) { return cnc_rdopnlsgnl(h, 1, (opnlsgnl_t*)b); }),
       {{93, 1}}, after<opnlsgnl_t>([](auto&) {}), EW_SIZE},
      {"wropnlsgnl", {}, L([](uint16_t h, void*) { return cnc_wropnlsgnl(h, &sgnl); }), {{94, -2, 0, 0, 0, sgnl_data}}, {}},
      {"rdopnlgnrl", {{95, RbReply().i16(-7)}}, L([](uint16_t h, void* b) { return cnc_rdopnlgnrl(h, 200, (opnlgnrl_t*)b); }),
       {{95, 200}}, after<opnlgnrl_t>([](opnlgnrl_t& g) { g.selector = 200; g.value = -7; })},
      {"rdopnlgnrl2", {{95, RbReply().i16(-7)}}, L([](uint16_t h, void* b) { return cnc_rdopnlgnrl2(h, 0xFFFF, (opnlgnrl_t*)b); }),
       {{95, 0xFFFF}}, after<opnlgnrl_t>([](opnlgnrl_t& g) { g.selector = 0xFFFF; g.value = -7; })},
      {"wropnlgnrl sends the selector's low byte", {}, L([](uint16_t h, void*) { return cnc_wropnlgnrl(h, &gnrl); }),
       {{96, 5, 0, 0, 0, {0xFF, 0xFD}}}, {}},
      {"wropnlgnrl2 sends all of it", {}, L([](uint16_t h, void*) { return cnc_wropnlgnrl2(h, &gnrl2); }),
       {{96, 0x0105, 0, 0, 0, {0xFF, 0xFD}}}, {}},
      {"rdmenuswitch", {{277, RbReply().i32(0x12345678)}}, L([](uint16_t h, void* b) { return cnc_rdmenuswitch(h, (int32_t*)b); }),
       {{277}}, {0x78, 0x56, 0x34, 0x12}},
      {"wrmenuswitch", {}, L([](uint16_t h, void*) { return cnc_wrmenuswitch(h, 3, -1); }), {{278, 3, 0, 0, 0, {0xFF, 0xFF, 0xFF, 0xFF}}}, {}},
  });
  EXPECT_EQ(5, gnrl.selector);
  EXPECT_EQ(0x0105, gnrl2.selector);
}

TEST_F(Panel, SwitchNames) {
  uint16_t h = open();
  fake.reply(kClassCnc, 97, RbReply().text("ALPHA", 8).text("BETA", 8).text("GAMMA12345", 8));
  opnlgsname_t n;
  sentinel(n);
  ASSERT_EQ(EW_SUCCESS, cnc_rdopnlgsname(h, 9, &n));
  expectRequests({{97, 9}});
  EXPECT_STREQ("ALPHA   ", n.name[0]);
  EXPECT_STREQ("GAMMA123", n.name[2]);
  EXPECT_TRUE(untouched(&n, 0, 4));
  EXPECT_TRUE(untouched(n.name[3], 0, sizeof n - 4 - 27));
  // The first form stops at 8 names, the second at 16.
  fake.reply(kClassCnc, 97, RbReply().text("", 8 * 20));
  sentinel(n);
  ASSERT_EQ(EW_SUCCESS, cnc_rdopnlgsname(h, 9, &n));
  EXPECT_TRUE(untouched(n.name[8], 0, 9 * 8));
  ASSERT_EQ(EW_SUCCESS, cnc_rdopnlgsname2(h, 0x1FF, &n));
  EXPECT_EQ(0, n.name[15][8]);
  EXPECT_EQ(0x1FF, sent().back().a1);

  for (int i = 0; i < 16; ++i) std::snprintf(n.name[i], 9, "N%07d", i);
  n.selector = 0x0203;
  ASSERT_EQ(EW_SUCCESS, cnc_wropnlgsname(h, &n));
  EXPECT_EQ(3, n.selector);
  auto q = sent().back();
  EXPECT_EQ(98, q.cmd);
  EXPECT_EQ(3, q.a1);
  ASSERT_EQ(64u, q.data.size());
  EXPECT_EQ("N0000007", std::string(q.data.begin() + 56, q.data.end()));
  n.selector = 0x0203;
  ASSERT_EQ(EW_SUCCESS, cnc_wropnlgsname2(h, &n));
  q = sent().back();
  EXPECT_EQ(0x0203, q.a1);
  ASSERT_EQ(128u, q.data.size());
  EXPECT_EQ("N0000015", std::string(q.data.begin() + 120, q.data.end()));
}

// ---- servo and spindle -----------------------------------------------------------------

class Servo : public MachineRowTest {
 protected:
  Servo() : MachineRowTest(cfg()) {}
  static sim::FakeConfig cfg() {
    auto c = sim::FakeConfig::standard();
    c.max_spindles = 4;   // the path's largest spindle number
    return c;
  }
};

RbReply eight(std::initializer_list<int32_t> v) {
  RbReply r;
  for (int32_t x : v) r.i32(x).i32(-1);
  return r;
}

std::vector<uint8_t> host32(std::initializer_list<int32_t> v, size_t room) {
  std::vector<uint8_t> b(room, 0xEE);
  size_t at = 0;
  for (int32_t x : v) {
    std::memcpy(&b[at], &x, 4);
    at += 4;
  }
  return b;
}

TEST_F(Servo, ArraysStopAtThePathsCountOrTheReply) {
  std::vector<uint8_t> gains = host32({7, 8, 9}, 16), two = host32({7, 8}, 16);
  check({
      {"rdloopgain, 5 items, 3 axes", {{86, eight({7, 8, 9, 10, 11})}}, L([](uint16_t h, void* b) { return cnc_rdloopgain(h, (int32_t*)b); }),
       {{86, 0}}, gains},
      {"rdsrvspeed, 2 items", {{86, eight({7, 8})}}, L([](uint16_t h, void* b) { return cnc_rdsrvspeed(h, (int32_t*)b); }), {{86, 2}}, two},
      {"rdcurrent keeps the low half", {{86, eight({0x10007, 0x20008, 9})}}, L([](uint16_t h, void* b) { return cnc_rdcurrent(h, (int16_t*)b); }),
       {{86, 1}}, {7, 0, 8, 0, 9, 0, 0xEE, 0xEE}},
      {"rdposerrs, 4 spindles", {{88, eight({1, 2, 3, 4, 5})}}, L([](uint16_t h, void* b) { return cnc_rdposerrs(h, (int32_t*)b); }),
       {{88, 0}}, host32({1, 2, 3, 4}, 20)},
      {"rdspdlalm, a byte per spindle", {{90, RbReply().u16(0x1201).u16(0x1202).u16(0x1203)}},
       L([](uint16_t h, void* b) { return cnc_rdspdlalm(h, (uint8_t*)b); }), {{90, 0}}, {1, 2, 3, 0xEE, 0xEE}},
      {"rdopmode", {{87, RbReply().i16(-1).i16(2).i16(3).i16(4).i16(5)}}, L([](uint16_t h, void* b) { return cnc_rdopmode(h, (int16_t*)b); }),
       {{87, 0}}, {0xFF, 0xFF, 2, 0, 3, 0, 4, 0, 0xEE, 0xEE}},
      {"rdctrldi, 8 bytes", {{91, RbReply().i32(5).i32(6)}}, L([](uint16_t h, void* b) { return cnc_rdctrldi(h, (uint32_t*)b); }),
       {{91, 0}}, host32({5, 6}, 16)},
      {"rdctrldo", {{91, RbReply().i32(5)}}, L([](uint16_t h, void* b) { return cnc_rdctrldo(h, (uint32_t*)b); }), {{91, 1}}, host32({5}, 8)},
      {"rdposerrz", {{88, RbReply().i32(-9)}}, L([](uint16_t h, void* b) { return cnc_rdposerrz(h, (int32_t*)b); }), {{88, 3}}, host32({-9}, 4)},
      {"rdsynerrsy", {{89, RbReply().i32(-9)}}, L([](uint16_t h, void* b) { return cnc_rdsynerrsy(h, (int32_t*)b); }), {{89, 0}}, host32({-9}, 4)},
      {"rdsynerrrg", {{89, RbReply().i32(-9)}}, L([](uint16_t h, void* b) { return cnc_rdsynerrrg(h, (int32_t*)b); }), {{89, 1}}, host32({-9}, 4)},
      {"rdsynerrrg without data", {{89, RbReply()}}, L([](uint16_t h, void* b) { return cnc_rdsynerrrg(h, (int32_t*)b); }),
       {{89, 1}}, std::vector<uint8_t>(4, 0xEE), EW_SIZE},
      {"rdnspdl", {{164, RbReply().i16(2)}}, L([](uint16_t h, void* b) { return cnc_rdnspdl(h, (int16_t*)b); }), {{164, 1}}, {2, 0}},
  });
}

TEST_F(Servo, PositionErrorPairTakesTwoRbs) {
  uint16_t h = open();
  fake.on(kClassCnc, 88, [](const sim::RbRequest& q) { return RbReply().i32(10 * q.a1); });
  int32_t v[2] = {0, 0};
  ASSERT_EQ(EW_SUCCESS, cnc_rdposerrs2(h, v));
  expectRequests({{88, 1}, {88, 2}});
  EXPECT_EQ(10, v[0]);
  EXPECT_EQ(20, v[1]);
}

TEST_F(Servo, IdentificationTextsAre129Bytes) {
  uint16_t h = open();
  const std::string text(140, 'x');
  using Id2 = int16_t (*)(uint16_t, int16_t, int16_t, char*);
  using Id1 = int16_t (*)(uint16_t, int16_t, char*);
  const std::pair<uint16_t, Id2> two[] = {{654, cnc_rdservoid}, {655, cnc_rdspindleid}, {658, cnc_rdservoid2}, {659, cnc_rdspindleid2}};
  const std::pair<uint16_t, Id1> one[] = {{656, cnc_rdfromservoid}, {657, cnc_rdfromspindleid}, {660, cnc_rdfromservoid2}, {661, cnc_rdfromspindleid2}};
  char out[131];
  for (auto [cmd, fn] : two) {
    fake.reply(kClassCnc, cmd, RbReply().text(text, 140));
    std::memset(out, 0xEE, sizeof out);
    fake.clear_received();
    ASSERT_EQ(EW_SUCCESS, fn(h, 3, -4, out)) << cmd;
    expectRequests({{cmd, 3, -4}});
    EXPECT_EQ('x', out[128]);
    EXPECT_EQ(char(0xEE), out[129]);
  }
  LogTail log;
  for (auto [cmd, fn] : one) {
    fake.reply(kClassCnc, cmd, RbReply().text(text, 128));
    fake.clear_received();
    EXPECT_EQ(EW_SIZE, fn(h, 7, out)) << cmd;
    expectRequests({{cmd, 7}});
  }
  // The error line names the selector and the buffer.
  EXPECT_TRUE(log.any("cnc_rdfromservoid2(" + std::to_string(h) + " 7 0x")) << log.lines().back();
}

class ServoOld : public MachineRowTest {
 protected:
  ServoOld() : MachineRowTest(sim::FakeConfig::standard(2)) {}
};

TEST_F(ServoOld, SpindleCountComesFromTheHandle) {
  uint16_t h = open();
  int16_t n = -1;
  ASSERT_EQ(EW_SUCCESS, cnc_rdnspdl(h, &n));
  EXPECT_EQ(rec(h).pathSpindles(), n);
  EXPECT_TRUE(sent().empty());
}

// ---- graphics ------------------------------------------------------------------------

class Graphics : public MachineRowTest {};

TEST_F(Graphics, EachCallIsOneRequest) {
  check({
      {"startdrawpos", {}, L([](uint16_t h, void*) { return cnc_startdrawpos(h); }), {{356}}, {}},
      {"stopdrawpos", {}, L([](uint16_t h, void*) { return cnc_stopdrawpos(h); }), {{357}}, {}},
      {"startdyngrph", {}, L([](uint16_t h, void*) { return cnc_startdyngrph(h); }), {{358}}, {}},
      {"stopdyngrph", {}, L([](uint16_t h, void*) { return cnc_stopdyngrph(h); }), {{359}}, {}},
      {"clrgrphcmd", {}, L([](uint16_t h, void*) { return cnc_clrgrphcmd(h); }), {{363}}, {}},
      {"wrgrphcmdptr", {}, L([](uint16_t h, void*) { return cnc_wrgrphcmdptr(h, -5); }), {{361, -5}}, {}},
      {"rdgrphcanflg", {{362, RbReply().u16(0x8001)}}, L([](uint16_t h, void* b) { return cnc_rdgrphcanflg(h, (uint16_t*)b); }),
       {{362}}, {0x01, 0x80}},
  });
}

TEST_F(Graphics, CommandDataAsksForAnEvenCountOfAtMost256) {
  uint16_t h = open();
  std::vector<uint8_t> reply(300);
  for (size_t i = 0; i < reply.size(); ++i) reply[i] = uint8_t(i);
  struct Case {
    uint16_t count;
    int32_t asked;
    size_t sent;
    uint16_t back;
  };
  // The count returned is what the controller sent, cut to the caller's buffer.
  for (Case k : {Case{301, 256, 256, 256}, Case{7, 6, 6, 6}, Case{0, 0, 4, 0}, Case{0xFFFF, -2, 10, 10},
                 Case{9, 8, 12, 9}}) {
    SCOPED_TRACE(k.count);
    fake.reply(kClassCnc, 360, RbReply().bytes(reply.data(), k.sent));
    fake.clear_received();
    std::vector<uint8_t> buf(size_t(k.count) + 8, 0xEE);
    uint16_t count = k.count;
    ASSERT_EQ(EW_SUCCESS, cnc_rdgrphcmd(h, &count, buf.data()));
    expectRequests({{360, k.asked}});
    EXPECT_EQ(k.back, count);
    EXPECT_TRUE(std::equal(buf.begin(), buf.begin() + count, reply.begin()));
    EXPECT_TRUE(untouched(buf.data(), count, buf.size()));
  }
}

}  // namespace
}  // namespace oz::test
