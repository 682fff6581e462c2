// The simulated machine and the library end to end: what is written or
// commanded comes back in the reads.
#include <cstring>

#include "sim/state_sim.h"
#include "tests/support.h"

namespace oz::test {
namespace {

class StateSim : public MachineTest {};

TEST_F(StateSim, PresetThenReadBack) {
  axis_values_t v{};
  v.axis = -1;
  v.data[0] = 1000;
  v.data[1] = 2000;
  v.data[2] = -3000;
  ASSERT_EQ(EW_SUCCESS, cnc_wrrelpos(h, 16, &v));
  axis_values_t r{};
  ASSERT_EQ(EW_SUCCESS, cnc_relative(h, -1, sizeof r, &r));
  EXPECT_EQ(1000, r.data[0]);
  EXPECT_EQ(-3000, r.data[2]);
  v.axis = 2;
  v.data[0] = 777;
  ASSERT_EQ(EW_SUCCESS, cnc_wrabspos(h, 8, &v));
  ASSERT_EQ(EW_SUCCESS, cnc_absolute(h, 2, sizeof r, &r));
  EXPECT_EQ(777, r.data[0]);
  exdgt_t x[3];
  ASSERT_EQ(EW_SUCCESS, cnc_absolute2_exdgt(h, x));
  EXPECT_EQ(777, x[1].data);
}

TEST_F(StateSim, StartMovesTheAxesAndResetStopsThem) {
  statinfo_t s{};
  ASSERT_EQ(EW_SUCCESS, cnc_statinfo(h, &s));
  EXPECT_EQ(0, s.word[3]);   // run: reset
  ASSERT_EQ(EW_SUCCESS, cnc_start(h));
  ASSERT_EQ(EW_SUCCESS, cnc_statinfo(h, &s));
  EXPECT_EQ(3, s.word[3]);
  actf_t f{};
  ASSERT_EQ(EW_SUCCESS, cnc_actf(h, &f));
  EXPECT_EQ(1200, f.data);
  // Wait until the path has moved, by reading it, as a client would.
  rddynamic2_t d{};
  for (int i = 0; i < 2000 && d.pos[3] == 0; ++i) {
    plat::sleep_ms(5);
    ASSERT_EQ(EW_SUCCESS, cnc_rddynamic2(h, -1, sizeof d, &d));
  }
  EXPECT_GT(d.pos[3], 0);              // machine X
  EXPECT_EQ(3000, d.acts);
  EXPECT_NE(0, d.pos[9]);              // distance to go
  ASSERT_EQ(EW_SUCCESS, cnc_reset(h));
  ASSERT_EQ(EW_SUCCESS, cnc_actf(h, &f));
  EXPECT_EQ(0, f.data);
}

TEST_F(StateSim, AxisDataAndOlderRecords) {
  const int16_t types[] = {0, 1};
  int16_t count = 8;
  axisdata_t out[16];
  ASSERT_EQ(EW_SUCCESS, cnc_rdaxisdata(h, 1, types, 2, &count, out));
  EXPECT_EQ(3, count);
  EXPECT_EQ('Z', out[2].name[0]);
  EXPECT_EQ(3, out[8].dec);
  axisrec_t rec[8];
  ASSERT_EQ(EW_SUCCESS, cnc_rdspeed(h, -1, rec));
  EXPECT_EQ(0, rec[0].unit);           // mm/min
  int16_t n = 1;
  ASSERT_EQ(EW_SUCCESS, cnc_rdspmeter(h, -1, &n, rec));
  EXPECT_EQ('S', rec[0].tail.name[0]);
  ASSERT_EQ(EW_SUCCESS, cnc_rdjogdrun(h, 0, rec));
  EXPECT_EQ(1200, rec[0].data);
  spindle_values_t sp{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdspmaxrpm(h, -1, &sp));
  EXPECT_EQ(8000, sp.data.w[0]);
}

TEST_F(StateSim, AlarmsRaiseListAndClear) {
  sim::state::raise_alarm(m, {100, 0, 0, "PARAMETER WRITE ENABLE"});
  sim::state::raise_alarm(m, {410, 6, 1, "SERVO ALARM: EXCESS ERROR"});
  int32_t status = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_alarm2(h, &status));
  EXPECT_EQ(0x41, status);
  almmsg_t msg[4];
  int16_t count = 4;
  ASSERT_EQ(EW_SUCCESS, cnc_rdalmmsg(h, -1, &count, msg));
  ASSERT_EQ(2, count);
  EXPECT_EQ(410, msg[1].w0);
  EXPECT_EQ(0, std::memcmp(msg[1].msg, "SERVO ALARM", 11));
  uint8_t info[2 + 4];
  EXPECT_EQ(EW_SIZE, cnc_rdalminfo(h, 0, -1, sizeof info, info));   // one asked for, two pending
  ASSERT_EQ(EW_SUCCESS, cnc_clralm(h, 0));
  ASSERT_EQ(EW_SUCCESS, cnc_alarm2(h, &status));
  EXPECT_EQ(0x40, status);
}

TEST_F(StateSim, OperatorMessages) {
  sim::state::post_message(m, {2001, 0, "CHECK COOLANT"});
  sim::state::post_message(m, {2002, 0, "TOOL 5 WORN"});
  opmsg_t msgs[6];
  int16_t count = 6;
  ASSERT_EQ(EW_SUCCESS, cnc_rdopmsg3(h, 0, &count, msgs));
  ASSERT_EQ(2, count);
  EXPECT_EQ(2002, msgs[1].datano);
  EXPECT_STREQ("TOOL 5 WORN", msgs[1].data);
  lnopmsg_t line{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdlnopmsg(h, &line));
  EXPECT_STREQ("TOOL 5 WORN", line.data);
}

TEST_F(StateSim, SystemRoundTrips) {
  sysinfo_t si{};
  ASSERT_EQ(EW_SUCCESS, cnc_sysinfo(h, &si));
  EXPECT_EQ(0, std::memcmp(si.series, "OZS1", 4));
  syssoft_t soft{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdsyssoft(h, &soft));
  EXPECT_STREQ("OZS1", soft.slot_series[0]);
  EXPECT_STREQ("SV01", soft.slot_series[1]);
  cnctimer_t t{1, 0, {14, 30, 5}};
  ASSERT_EQ(EW_SUCCESS, cnc_settimer(h, &t));
  cnctimer_t back{1, 0, {}};
  ASSERT_EQ(EW_SUCCESS, cnc_gettimer(h, &back));
  EXPECT_EQ(30, back.v[1]);
  rdtimer_t rt{90, 5};
  ASSERT_EQ(EW_SUCCESS, cnc_wrtimer(h, 2, &rt));
  rdtimer_t rb{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdtimer(h, 2, &rb));
  EXPECT_EQ(90, rb.minute);
  ASSERT_EQ(EW_SUCCESS, cnc_chglang(h, 4));
  int16_t lang = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_getlanguage(h, &lang));
  EXPECT_EQ(4, lang);
  ASSERT_EQ(EW_SUCCESS, cnc_dispoptmsg(h, "PRESS CYCLE START"));
  int32_t answer = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_optmsgans(h, &answer));
  EXPECT_EQ(17, answer);
  std::vector<uint8_t> mem(3000), got(3000);
  for (size_t i = 0; i < mem.size(); ++i) mem[i] = uint8_t(i * 7);
  ASSERT_EQ(EW_SUCCESS, cnc_wrcbmem(h, 100, 3000, mem.data()));
  ASSERT_EQ(EW_SUCCESS, cnc_rdcbmem(h, 100, 3000, got.data()));
  EXPECT_EQ(mem, got);
}

TEST_F(StateSim, ModalAndCommandedValues) {
  gcode_t g[20];
  int16_t count = 20;
  ASSERT_EQ(EW_SUCCESS, cnc_rdgcode(h, -1, 1, &count, g));
  EXPECT_EQ(20, count);
  EXPECT_STREQ("G00", g[0].code);
  EXPECT_STREQ("G17", g[1].code);
  EXPECT_STREQ("G40.1", g[16].code);
  ASSERT_EQ(EW_SUCCESS, cnc_start(h));
  count = 1;
  ASSERT_EQ(EW_SUCCESS, cnc_rdgcode(h, -1, 1, &count, g));
  EXPECT_STREQ("G01", g[0].code);
  modal_t md{};
  ASSERT_EQ(EW_SUCCESS, cnc_modal(h, -2, 0, &md));
  EXPECT_EQ(3000, md.u.item[1].data);   // item 3: spindle speed
  ASSERT_EQ(EW_SUCCESS, cnc_modal(h, -1, 0, &md));
  EXPECT_EQ(0x81, md.u.g[0]);
  cmdvalue_t cv[4];
  count = 4;
  ASSERT_EQ(EW_SUCCESS, cnc_rdcommand(h, -1, 0, &count, cv));
  EXPECT_EQ('F', cv[0].adrs);
  EXPECT_EQ(1200, cv[0].cmd_val);
}

}  // namespace
}  // namespace oz::test
