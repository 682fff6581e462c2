// The simulated machine's tool life, tool data, panel, servo and drawing
// families through the library: what is written comes back, and the running
// program moves the counts and feeds the drawing buffer.
#include <cstring>

#include "sim/machine.h"
#include "tests/support.h"

namespace oz::test {
namespace {

class Machine1Sim : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", m.port(), 5, &h)); }
  void TearDown() override { cnc_freelibhndl(h); }
  // Blocks of the square program: 50 mm at 1200 mm/min is 2.5 s each.
  void run_blocks(int n) {
    m.start(1);
    m.advance_ms(uint32_t(2500 * n + 100));
    m.stop(1);
  }
  sim::Machine m;
  uint16_t h = 0;
};

TEST_F(Machine1Sim, ToolEntriesAndGroupsRoundTrip) {
  const tlifedat_t t{2, 4, 555, 31, 71, 0};
  ASSERT_EQ(EW_SUCCESS, cnc_wr2tlifedata(h, &t));
  tlifedat_t r{};
  ASSERT_EQ(EW_SUCCESS, cnc_rd2tlifedata(h, 2, 4, &r));
  EXPECT_EQ(0, std::memcmp(&t, &r, sizeof t));
  toolvalue_t v{};
  ASSERT_EQ(EW_SUCCESS, cnc_toolnum(h, 2, 4, &v));
  EXPECT_EQ(555, v.data);
  tlifedat_t one{};
  ASSERT_EQ(EW_SUCCESS, cnc_rd1tlifedata(h, 2, 4, &one));
  EXPECT_EQ(555, one.tool_num);
  EXPECT_EQ(71, one.d_code);
  grpid_t g{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdgrpid2(h, 555, &g));
  EXPECT_EQ(2, g.group);

  const instlfdt_t ins{2, 1, 999};
  ASSERT_EQ(EW_SUCCESS, cnc_instlifedt(h, &ins));
  grpvalue_t n{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdntool(h, 2, &n));
  EXPECT_EQ(5, n.data);
  ASSERT_EQ(EW_SUCCESS, cnc_deltlifedt(h, 2, 1));
  ASSERT_EQ(EW_SUCCESS, cnc_rd2tlifedata(h, 2, 4, &r));
  EXPECT_EQ(555, r.tool_num);

  wrgrpinfo_t w{};
  w.head.first = 9;
  w.head.last = 10;
  w.data[0].life = 40;
  w.data[1].life = 50;
  w.data[1].count = 6;
  ASSERT_EQ(EW_SUCCESS, cnc_wrgrpinfo(h, 8 + 2 * 20, &w));
  grpinfo_t gi{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdgrpinfo(h, 8, 10, sizeof gi, &gi));
  EXPECT_EQ(10, gi.head.last);
  EXPECT_EQ(40, gi.data[1].life);
  EXPECT_EQ(6, gi.data[2].count);
  lifevalue_t lv{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdngrp(h, &lv));
  EXPECT_EQ(6, lv.data.l);
  ASSERT_EQ(EW_SUCCESS, cnc_deltlifegrp(h, 10));
  ASSERT_EQ(EW_SUCCESS, cnc_rdngrp(h, &lv));
  EXPECT_EQ(5, lv.data.l);
  // A range past the table's end ends with the last group there is.
  ASSERT_EQ(EW_SUCCESS, cnc_rdgrpinfo(h, 120, 200, sizeof gi, &gi));
  EXPECT_EQ(128, gi.head.last);
}

TEST_F(Machine1Sim, TheRunningProgramCountsAndExpiresTools) {
  run_blocks(4);   // one lap on group 1, life 4
  grpvalue_t c{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdcount(h, 1, &c));
  EXPECT_EQ(0, c.data);   // tool 1 expired, tool 2 starts afresh
  usegrp_t u{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdusegrpid(h, &u));
  EXPECT_EQ(2, u.data[0]);   // the next lap uses group 2
  toolvalue_t info{};
  ASSERT_EQ(EW_SUCCESS, cnc_t2info(h, 1, 1, &info));
  EXPECT_EQ(2, info.data);   // expired
  ASSERT_EQ(EW_SUCCESS, cnc_t2info(h, 1, 2, &info));
  EXPECT_EQ(1, info.data);   // in use
  usetlno_t n{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdusetlno(h, 1, 2, sizeof n, &n));
  EXPECT_EQ(102, n.data[0]);
  int16_t len = 16;
  int32_t groups[4];
  ASSERT_EQ(EW_SUCCESS, cnc_rdexchgtgrp(h, &len, groups));
  EXPECT_EQ(4, len);
  ASSERT_EQ(EW_SUCCESS, cnc_clrcntinfo(h, 1, 1));
  ASSERT_EQ(EW_SUCCESS, cnc_t2info(h, 1, 1, &info));
  EXPECT_EQ(0, info.data);
  usetlno_t counts{};
  counts.head.first = 3;
  counts.head.last = 3;
  counts.data[0] = 11;
  ASSERT_EQ(EW_SUCCESS, cnc_wrcountr(h, 12, &counts));
  ASSERT_EQ(EW_SUCCESS, cnc_rdcount(h, 3, &c));
  EXPECT_EQ(11, c.data);
}

TEST_F(Machine1Sim, ToolRecordsAndMagazinesRoundTrip) {
  toolrec_t t{};
  t.l0[0] = 12;
  t.w18[1] = -3;
  t.b17 = 200;
  t.l60[19] = 123456;
  t.w44 = 77;
  ASSERT_EQ(EW_SUCCESS, cnc_wrtool(h, 12, &t));
  toolitem_t item{6, -9, 0};
  ASSERT_EQ(EW_SUCCESS, cnc_wrtool2(h, 12, &item));
  toolrec_t r[3];
  int16_t count = 3;
  ASSERT_EQ(EW_SUCCESS, cnc_rdtool(h, 11, &count, r));
  EXPECT_EQ(3, count);
  EXPECT_EQ(12, r[1].l0[0]);
  EXPECT_EQ(-3, r[1].w18[1]);
  EXPECT_EQ(-9, r[1].w18[0]);
  EXPECT_EQ(200, r[1].b17);
  EXPECT_EQ(123456, r[1].l60[19]);
  EXPECT_EQ(77, r[1].w44);
  int16_t deleted = 11;
  ASSERT_EQ(EW_SUCCESS, cnc_deltool(h, 2, &deleted));
  EXPECT_EQ(1, deleted);   // 11 was never registered, 12 was
  count = 70;
  std::vector<toolrec_t> all(70);
  ASSERT_EQ(EW_SUCCESS, cnc_rdtool(h, 1, &count, all.data()));
  EXPECT_EQ(64, count);

  const magazine_t put[2] = {{2, 3, 41}, {2, 4, 42}};
  int16_t n = 2;
  ASSERT_EQ(EW_SUCCESS, cnc_regmagazine(h, &n, put));
  EXPECT_EQ(2, n);
  magazine_t got[2];
  int16_t top = 27, want = 2;
  ASSERT_EQ(EW_SUCCESS, cnc_rdmagazine(h, &top, &want, got));
  EXPECT_EQ(29, top);
  EXPECT_EQ(41, got[0].tool_num);
  EXPECT_EQ(42, got[1].tool_num);
}

TEST_F(Machine1Sim, PanelRoundTrips) {
  opnlsgnl_t s{0, 4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}};
  ASSERT_EQ(EW_SUCCESS, cnc_wropnlsgnl(h, &s));
  opnlsgnl_t r{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdopnlsgnl(h, 4, &r));
  EXPECT_EQ(0, std::memcmp(&s, &r, sizeof s));
  opnlgnrl_t g{0, 0x0302, 17};
  ASSERT_EQ(EW_SUCCESS, cnc_wropnlgnrl(h, &g));
  opnlgnrl_t gr{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdopnlgnrl2(h, 2, &gr));
  EXPECT_EQ(17, gr.value);
  opnlgsname_t nm{};
  nm.selector = 1;
  std::memcpy(nm.name[15], "COOLANT ", 9);
  ASSERT_EQ(EW_SUCCESS, cnc_wropnlgsname2(h, &nm));
  opnlgsname_t nr{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdopnlgsname2(h, 1, &nr));
  EXPECT_STREQ("COOLANT ", nr.name[15]);
  ASSERT_EQ(EW_SUCCESS, cnc_wrmenuswitch(h, 0x00F0, 0x0050));
  int32_t menu = -1;
  ASSERT_EQ(EW_SUCCESS, cnc_rdmenuswitch(h, &menu));
  EXPECT_EQ(0x50, menu);
}

TEST_F(Machine1Sim, ServoValuesFollowTheMotion) {
  int32_t gain[3] = {};
  ASSERT_EQ(EW_SUCCESS, cnc_rdloopgain(h, gain));
  EXPECT_EQ(3000, gain[2]);
  int32_t speed[3] = {-1, -1, -1};
  ASSERT_EQ(EW_SUCCESS, cnc_rdsrvspeed(h, speed));
  EXPECT_EQ(0, speed[0]);
  m.start(1);
  m.advance_ms(500);   // X moves in the first block
  ASSERT_EQ(EW_SUCCESS, cnc_rdsrvspeed(h, speed));
  EXPECT_EQ(120, speed[0]);
  EXPECT_EQ(0, speed[1]);
  int16_t n = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_rdnspdl(h, &n));
  EXPECT_EQ(1, n);
  uint32_t out[1] = {};
  ASSERT_EQ(EW_SUCCESS, cnc_rdctrldo(h, out));
  EXPECT_EQ(1u, out[0]);
  char id[129];
  ASSERT_EQ(EW_SUCCESS, cnc_rdservoid(h, 1, 2, id));
  EXPECT_EQ(0, std::strncmp(id, "SERVO AMP 1/2", 13));
}

TEST_F(Machine1Sim, TheDrawingBufferGetsTheCornersReached) {
  ASSERT_EQ(EW_SUCCESS, cnc_startdrawpos(h));
  run_blocks(2);
  ASSERT_EQ(EW_SUCCESS, cnc_stopdrawpos(h));
  uint8_t buf[64];
  uint16_t count = sizeof buf;
  ASSERT_EQ(EW_SUCCESS, cnc_rdgrphcmd(h, &count, buf));
  ASSERT_EQ(28, count);   // two records of a kind word and three positions
  EXPECT_EQ(1, be::get16(buf));
  EXPECT_EQ(50000u, be::get32(buf + 2));
  EXPECT_EQ(50000u, be::get32(buf + 14 + 6));
  count = sizeof buf;
  ASSERT_EQ(EW_SUCCESS, cnc_rdgrphcmd(h, &count, buf));
  EXPECT_EQ(0, count);
  ASSERT_EQ(EW_SUCCESS, cnc_wrgrphcmdptr(h, 14));
  count = sizeof buf;
  ASSERT_EQ(EW_SUCCESS, cnc_rdgrphcmd(h, &count, buf));
  EXPECT_EQ(14, count);
  uint16_t flag = 9;
  ASSERT_EQ(EW_SUCCESS, cnc_rdgrphcanflg(h, &flag));
  EXPECT_EQ(0, flag);
  ASSERT_EQ(EW_SUCCESS, cnc_clrgrphcmd(h));
  EXPECT_EQ(3, cnc_wrgrphcmdptr(h, 2));
}

}  // namespace
}  // namespace oz::test
