// The simulated controller keeps parameters, macro variables and offsets:
// what the library writes it reads back, end to end over TCP.
#include <cmath>

#include "sim/machine.h"
#include "tests/support.h"

namespace oz::test {
namespace {

class DataSim : public MachineTest {};

TEST_F(DataSim, PerAxisParameterWriteReadsBack) {
  param_t p{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdparam(h, 1320, -1, 4 + 12, &p));
  EXPECT_EQ(1320, p.datano);
  EXPECT_EQ(-1, p.type);
  EXPECT_EQ(400000, p.u.ldatas[1]);
  p.u.ldatas[1] = 123456;
  ASSERT_EQ(EW_SUCCESS, cnc_wrparam(h, 4 + 12, &p));
  param_t one{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdparam(h, 1320, 2, 8, &one));
  EXPECT_EQ(2, one.type);
  EXPECT_EQ(123456, one.u.ldata);
  // One axis of a byte entry.
  param_t b{};
  b.datano = 1020;
  b.type = 3;
  b.u.cdata = 'W';
  ASSERT_EQ(EW_SUCCESS, cnc_wrparam(h, 5, &b));
  ASSERT_EQ(EW_SUCCESS, cnc_rdparam(h, 1020, -1, 7, &p));
  EXPECT_EQ('X', p.u.cdatas[0]);
  EXPECT_EQ('W', p.u.cdatas[2]);
  // A real value keeps its decimal places.
  ASSERT_EQ(EW_SUCCESS, cnc_rdparam(h, 6000, 0, 12, &p));
  EXPECT_EQ(2500, p.u.rdata.prm_val);
  EXPECT_EQ(3, p.u.rdata.dec_val);
  EXPECT_EQ(3, cnc_rdparam(h, 7777, 0, 12, &p));
}

TEST_F(DataSim, RangeReadAndMultipleWriteRoundTrip) {
  int16_t start = 1000, end = 1500, length = 400;
  std::vector<uint8_t> buf(400);
  ASSERT_EQ(EW_SUCCESS, cnc_rdparar(h, &start, -1, &end, &length, buf.data()));
  EXPECT_EQ(1020, start);
  EXPECT_EQ(1423, end);
  // 1020 and 1022 bytes (4 + 4), 1320 1321 1420 two-words (4 + 12), 1423 real (4 + 24)
  EXPECT_EQ(8 + 8 + 16 * 3 + 28, length);
  // Change 1420 (third two-word record) and write every record back.
  const size_t at1420 = 16 + 16 * 2;
  int16_t no;
  std::memcpy(&no, buf.data() + at1420, 2);
  ASSERT_EQ(1420, no);
  const int32_t fast = 30000;
  std::memcpy(buf.data() + at1420 + 8, &fast, 4);
  ASSERT_EQ(EW_SUCCESS, cnc_wrparas(h, length, buf.data()));
  param_t p{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdparam(h, 1420, 2, 8, &p));
  EXPECT_EQ(30000, p.u.ldata);
  ASSERT_EQ(EW_SUCCESS, cnc_rdparam(h, 1320, 1, 8, &p));
  EXPECT_EQ(500000, p.u.ldata);
}

TEST_F(DataSim, SettingsDiagnosticsAndInfo) {
  param_t p{};
  p.datano = 20;
  p.type = 0;
  p.u.idata = 5;
  ASSERT_EQ(EW_SUCCESS, cnc_wrset(h, 6, &p));
  param_t r{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdset(h, 20, 0, 6, &r));
  EXPECT_EQ(5, r.u.idata);
  ASSERT_EQ(EW_SUCCESS, cnc_diagnoss(h, 301, -1, 16, &r));
  EXPECT_EQ(-3, r.u.ldatas[1]);
  ASSERT_EQ(EW_SUCCESS, cnc_diagnoss(h, 1000, 0, 12, &r));
  EXPECT_EQ(4567, r.u.rdata.prm_val);
  paranum_t n{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdparanum(h, &n));
  EXPECT_EQ(0, n.word[0]);
  EXPECT_EQ(6000, n.word[1]);
  parainfo2_t info[4];
  int16_t count = 4, prev = 0, next = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_rdparainfo2(h, 1000, &count, &prev, &next, info));
  EXPECT_EQ(4, count);
  EXPECT_EQ(1020, info[0].prm_no);
  EXPECT_EQ(1, info[0].attr[1]);   // per axis
  const int32_t nums[] = {4020, 4444};
  param_ext_t ext[2];
  ASSERT_EQ(EW_SUCCESS, cnc_rdparam_ext(h, nums, 2, ext));
  EXPECT_EQ(3, ext[0].type);
  EXPECT_EQ(6000, ext[0].data[0].prm_val);
  EXPECT_EQ(-1, ext[1].type);
}

TEST_F(DataSim, MacroVariablesRoundTripInBothForms) {
  macro_t v{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdmacro(h, 501, 10, &v));
  EXPECT_EQ(0, v.mcr_val);    // vacant
  EXPECT_EQ(-1, v.dec_val);
  ASSERT_EQ(EW_SUCCESS, cnc_wrmacro(h, 500, 10, 12345, 3));
  ASSERT_EQ(EW_SUCCESS, cnc_rdmacro(h, 500, 10, &v));
  EXPECT_EQ(12345, v.mcr_val);
  EXPECT_EQ(3, v.dec_val);
  ASSERT_EQ(EW_SUCCESS, cnc_setmactype(h, 1));
  ASSERT_EQ(EW_SUCCESS, cnc_rdmacro(h, 500, 10, &v));
  EXPECT_EQ(1656917852, v.mcr_val);
  EXPECT_EQ(27, v.dec_val);
  ASSERT_EQ(EW_SUCCESS, cnc_wrmacro(h, 502, 10, 1 << 30, 29));   // 2.0 in binary form
  ASSERT_EQ(EW_SUCCESS, cnc_setmactype(h, 0));
  ASSERT_EQ(EW_SUCCESS, cnc_rdmacro(h, 502, 10, &v));
  EXPECT_EQ(200000000, v.mcr_val);
  EXPECT_EQ(8, v.dec_val);
  EXPECT_EQ(EW_RANGE, cnc_wrmacro(h, 1, 10, 1, 0));   // local variables are not for writing
  double d[3] = {1.5, -2.25, 1e6};
  int32_t n = 3;
  ASSERT_EQ(EW_SUCCESS, cnc_wrmacror2(h, 600, &n, d));
  EXPECT_EQ(3, n);
  double back[4] = {};
  n = 4;
  ASSERT_EQ(EW_SUCCESS, cnc_rdmacror2(h, 600, &n, back));
  EXPECT_EQ(4, n);
  EXPECT_DOUBLE_EQ(-2.25, back[1]);
  EXPECT_DOUBLE_EQ(1e6, back[2]);
  EXPECT_TRUE(std::isnan(back[3]));
  int32_t no = 0;
  int16_t attr = -1;
  ASSERT_EQ(EW_SUCCESS, cnc_rdmacronum(h, "DEPTH", 0, &no, &attr));
  EXPECT_EQ(500, no);
}

TEST_F(DataSim, PcodeVariablesRoundTrip) {
  ASSERT_EQ(EW_SUCCESS, cnc_wrpmacro(h, 10005, -77, 1));
  pmacro_t p{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdpmacro(h, 10005, &p));
  EXPECT_EQ(10005, p.datano);
  EXPECT_EQ(-77, p.mcr_val);
  EXPECT_EQ(1, p.dec_val);
  double d = 3.5;
  int32_t n = 1;
  ASSERT_EQ(EW_SUCCESS, cnc_wrpmacror2(h, 10006, &n, 0, &d));
  ASSERT_EQ(EW_SUCCESS, cnc_rdpmacror2(h, 10005, &n, 0, &d));
  EXPECT_DOUBLE_EQ(-7.7, d);
}

TEST_F(DataSim, ToolOffsetsByTypeAndRange) {
  ASSERT_EQ(EW_SUCCESS, cnc_wrtofs(h, 7, 1, 8, 150000));   // geometry length
  ASSERT_EQ(EW_SUCCESS, cnc_wrtofs(h, 7, 2, 8, -25));      // wear radius
  tofs_t t{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdtofs(h, 7, 1, 8, &t));
  EXPECT_EQ(150000, t.data);
  std::vector<uint8_t> mem(8 + 16 * 3);
  auto* r = reinterpret_cast<tofsr_t*>(mem.data());
  ASSERT_EQ(EW_SUCCESS, cnc_rdtofsr(h, 6, -3, 8, int16_t(mem.size()), r));
  int32_t vals[12];
  std::memcpy(vals, mem.data() + 8, sizeof vals);
  EXPECT_EQ(150000, vals[4 + 1]);
  EXPECT_EQ(-25, vals[4 + 2]);
  vals[8 + 3] = 4000;
  std::memcpy(mem.data() + 8, vals, sizeof vals);
  ASSERT_EQ(EW_SUCCESS, cnc_wrtofsr(h, int16_t(mem.size()), r));
  ASSERT_EQ(EW_SUCCESS, cnc_rdtofs(h, 8, 3, 8, &t));
  EXPECT_EQ(4000, t.data);
  ASSERT_EQ(EW_SUCCESS, cnc_clrtofs(h, 3));
  ASSERT_EQ(EW_SUCCESS, cnc_rdtofs(h, 8, 3, 8, &t));
  EXPECT_EQ(0, t.data);
}

TEST_F(DataSim, WorkOffsetsPerAxisAndWorkShift) {
  zofs_t z{};
  z.datano = 1;   // G54
  z.type = -1;
  z.data[0] = 100000;
  z.data[1] = -50000;
  z.data[2] = 2500;
  ASSERT_EQ(EW_SUCCESS, cnc_wrzofs(h, 16, &z));
  zofs_t back{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdzofs(h, 1, -1, 16, &back));
  EXPECT_EQ(-50000, back.data[1]);
  ASSERT_EQ(EW_SUCCESS, cnc_rdzofs(h, 1, 3, 8, &back));
  EXPECT_EQ(2500, back.data[0]);
  {
    auto l = m.lock();
    EXPECT_EQ(100000, m.motion(1).work_offset[0]);
  }
  zofsr_t r{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdzofsr(h, 0, -1, 10, int16_t(8 + 12 * 7), &r));
  EXPECT_EQ(6, r.datano_e);   // external and G54..G59
  EXPECT_EQ(100000, r.data[3]);
  zofs_t s{};
  s.type = 2;
  s.data[0] = 77;
  ASSERT_EQ(EW_SUCCESS, cnc_wrwkcdshft(h, 8, &s));
  ASSERT_EQ(EW_SUCCESS, cnc_rdwkcdshft(h, -1, 16, &back));
  EXPECT_EQ(77, back.data[1]);
}

TEST_F(DataSim, FixtureAndPitchRoundTrip) {
  zofsr_t f{};
  f.datano_s = f.datano_e = 1;
  f.type = 1;
  f.data[0] = 4242;
  ASSERT_EQ(EW_SUCCESS, cnc_wrfixofs(h, 12, &f));
  zofs_t act{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdactfixofs(h, 1, &act));
  EXPECT_EQ(1, act.datano);
  EXPECT_EQ(4242, act.data[0]);
  pitchr_t p{};
  p.datano_s = 10;
  p.datano_e = 12;
  p.data[0] = 1;
  p.data[1] = -1;
  p.data[2] = 7;
  ASSERT_EQ(EW_SUCCESS, cnc_wrpitchr(h, 9, &p));
  pitchr_t back{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdpitchr(h, 9, 13, 11, &back));
  EXPECT_EQ(0, back.data[0]);
  EXPECT_EQ(-1, back.data[2]);
  EXPECT_EQ(7, back.data[3]);
}

}  // namespace
}  // namespace oz::test
