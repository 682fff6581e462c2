// Macro variables: value forms and their conversions, area clipping, chunking,
// the local-variable rules and the info calls.
#include "base/scaled.h"
#include "tests/data_support.h"

namespace oz::test {
namespace {

class Macro : public DataTest {};

// ---- conversions -----------------------------------------------------------------

struct Conv {
  int32_t v, dec;      // decimal form
  int32_t m, s;        // its binary form
  int32_t backV, backDec;
};

class MacroConversion : public ::testing::TestWithParam<Conv> {};

TEST_P(MacroConversion, DecimalToBinaryAndBackRoundsToNineDigits) {
  const Conv& k = GetParam();
  const scaled::Num b = scaled::decToBin(k.v, k.dec);
  EXPECT_EQ(k.m, b.m);
  EXPECT_EQ(k.s, b.s);
  const scaled::Num d = scaled::binToDec(b.m, b.s);
  EXPECT_EQ(k.backV, d.m);
  EXPECT_EQ(k.backDec, d.s);
}

INSTANTIATE_TEST_SUITE_P(Values, MacroConversion,
                         ::testing::Values(Conv{12345, 3, 1656917852, 27, 123450000, 7},
                                           Conv{1, 0, 1073741824, 30, 100000000, 8},
                                           Conv{-1, 0, -2147483648, 31, -100000000, 8},
                                           Conv{-7, 3, -1924145348, 38, -700000000, 11},
                                           Conv{1, 12, 1180591618, 70, 100000000, 20},
                                           Conv{3, -11, 1171875000, -8, 300000000, -3},
                                           Conv{999999999, 0, 1999999998, 1, 999999999, 0},
                                           Conv{0, 4, 0, 4, 0, 4}));

TEST(MacroArithmetic, ZeroAndTheConstants) {
  EXPECT_EQ(0, scaled::normalise(0, 7).s);
  EXPECT_EQ(1000000000, scaled::intPart(scaled::kE9));
  EXPECT_EQ(0, scaled::intPart(scaled::kEm9));
  EXPECT_EQ(-1, scaled::intPart({-5, 40}));
  EXPECT_EQ(INT32_MAX, scaled::intPart({5, -40}));
  EXPECT_EQ(0, scaled::intPart(scaled::mul({1, 0}, {1, 0})));   // upper half zero
  EXPECT_EQ(1, scaled::compare(scaled::kE9, scaled::kHalf));
  EXPECT_EQ(-1, scaled::compare({-1 << 30, 10}, {1 << 30, 40}));
}

// ---- custom macro ranges ---------------------------------------------------------

// An answer in decimal form: number * 10 with one decimal place.
sim::RbReply decimalRange(const sim::RbRequest& q) {
  sim::RbReply r;
  for (int n = q.a1; n <= q.a2; ++n) r.i32(n * 10).u16(10).i16(1);
  return r;
}

TEST_F(Macro, RangeIsClippedToTheAreaOfItsStart) {
  uint16_t h = open();
  fake.on(1, 21, decimalRange);
  std::vector<uint8_t> mem(8 + 8 * 99, 0xEE);
  auto* r = reinterpret_cast<macror_t*>(mem.data());
  ASSERT_EQ(EW_SUCCESS, cnc_rdmacror(h, 1, 600, int16_t(mem.size()), r));
  auto q = sent();
  ASSERT_EQ(1u, q.size());
  EXPECT_EQ(21, q[0].cmd);
  EXPECT_EQ(1, q[0].a1);
  EXPECT_EQ(99, q[0].a2);
  EXPECT_EQ(1, r->datano_s);
  EXPECT_EQ(99, r->datano_e);
  EXPECT_EQ(990, r->data[98 - 98].mcr_val + 980);
  EXPECT_EQ(1, r->data[0].dec_val);
}

TEST_F(Macro, LongRangesSplitAt179AndShortRepliesEnd) {
  uint16_t h = open();
  int calls = 0;
  fake.on(1, 21, [&](const sim::RbRequest& q) {
    sim::RbReply r = decimalRange(q);
    if (++calls == 2) r.data.resize(8 * 10);   // ten of the asked 21
    return r;
  });
  std::vector<uint8_t> mem(8 * 200 + 6);
  auto* r = reinterpret_cast<macror_t*>(mem.data());
  ASSERT_EQ(EW_SUCCESS, cnc_rdmacror(h, 100, 299, int16_t(mem.size()), r));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(278, q[0].a2);
  EXPECT_EQ(279, q[1].a1);
  EXPECT_EQ(299, q[1].a2);
  EXPECT_EQ(288, r->datano_e);
  // The length covers the entries received so far or the call fails.
  EXPECT_EQ(EW_SIZE, cnc_rdmacror(h, 100, 299, 8 * 179 + 5, r));
}

TEST_F(Macro, BinaryFormIsConvertedBothWays) {
  uint16_t h = open();
  fake.reply(1, 21, sim::RbReply().i32(12345).u16(10).i16(3).i32(1656917852).u16(2).i16(27));
  ASSERT_EQ(EW_SUCCESS, cnc_setmactype(h, 1));
  macror_t r{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdmacror(h, 500, 501, 22, &r));
  EXPECT_EQ(1656917852, r.data[0].mcr_val);   // decimal on the wire, binary for the caller
  EXPECT_EQ(27, r.data[0].dec_val);
  EXPECT_EQ(1656917852, r.data[1].mcr_val);
  ASSERT_EQ(EW_SUCCESS, cnc_setmactype(h, 0));
  ASSERT_EQ(EW_SUCCESS, cnc_rdmacror(h, 500, 501, 22, &r));
  EXPECT_EQ(12345, r.data[0].mcr_val);
  EXPECT_EQ(123450000, r.data[1].mcr_val);
  EXPECT_EQ(7, r.data[1].dec_val);
}

TEST_F(Macro, CompactRefusesARangeThroughSystemVariables) {
  uint16_t h = open();
  setDialect(h, kDialectCompact);
  macror_t r{};
  LogTail log;
  EXPECT_EQ(EW_RANGE, cnc_rdmacror(h, 2000, 2001, 22, &r));
  EXPECT_TRUE(log.has("Error: cannot read from range of macro system variables"));
  EXPECT_TRUE(sent().empty());
  fake.reply(1, 21, sim::RbReply().i32(1).u16(10).i16(0));
  EXPECT_EQ(EW_SUCCESS, cnc_rdmacror(h, 2000, 2000, 22, &r));   // one system variable is fine
  EXPECT_EQ(EW_RANGE, cnc_rdmacror(h, 101, 100, 22, &r));
}

TEST_F(Macro, SingleReadAndWriteGoThroughTheRanges) {
  uint16_t h = open();
  fake.reply(1, 21, sim::RbReply().i32(-42).u16(10).i16(2));
  fake.reply(1, 22, sim::RbReply());
  macro_t m;
  sentinel(m);
  LogTail log;
  EXPECT_EQ(EW_SIZE, cnc_rdmacro(h, 500, 9, &m));
  EXPECT_EQ(EW_SIZE, cnc_wrmacro(h, 500, 9, 1, 0));
  EXPECT_TRUE(sent().empty());
  EXPECT_TRUE(log.lines().empty());
  ASSERT_EQ(EW_SUCCESS, cnc_rdmacro(h, 500, 10, &m));
  EXPECT_EQ(500, m.datano);
  EXPECT_EQ(-42, m.mcr_val);
  EXPECT_EQ(2, m.dec_val);
  ASSERT_EQ(EW_SUCCESS, cnc_wrmacro(h, 501, 10, 7, 1));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(22, q[1].cmd);
  EXPECT_EQ(501, q[1].a1);
  EXPECT_EQ(501, q[1].a2);
  const std::vector<uint8_t> want = {0, 0, 0, 7, 0, 10, 0, 1};
  EXPECT_EQ(want, q[1].data);
}

TEST_F(Macro, LocalVariablesAreWritableOnlyOnAWMachine) {
  uint16_t h = open();
  fake.reply(1, 22, sim::RbReply());
  LogTail log;
  EXPECT_EQ(EW_RANGE, cnc_wrmacro(h, 50, 10, 1, 0));
  EXPECT_TRUE(log.has("Error: cannot write to macro local variables"));
  EXPECT_TRUE(sent().empty());
  setMachineType(h, " W");
  EXPECT_EQ(EW_SUCCESS, cnc_wrmacro(h, 50, 10, 1, 0));
  EXPECT_EQ(1u, sent().size());
}

struct WriteForm {
  const char* name;
  uint32_t dialect;
  bool binary;       // cnc_setmactype
  int16_t start;
  int32_t v;
  int16_t dec;
  std::vector<uint8_t> wire;
};

class MacroWriteForm : public Macro, public ::testing::WithParamInterface<WriteForm> {};

TEST_P(MacroWriteForm, ChoosesTheWireForm) {
  const WriteForm& k = GetParam();
  uint16_t h = open();
  setDialect(h, k.dialect);
  ASSERT_EQ(EW_SUCCESS, cnc_setmactype(h, k.binary ? 1 : 0));
  fake.reply(1, 22, sim::RbReply());
  macror_t r{};
  r.datano_s = r.datano_e = k.start;
  r.data[0] = {k.v, k.dec, 0};
  ASSERT_EQ(EW_SUCCESS, cnc_wrmacror(h, 14, &r));
  auto q = sent();
  ASSERT_EQ(1u, q.size());
  EXPECT_EQ(k.wire, q[0].data);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, MacroWriteForm,
    ::testing::Values(
        WriteForm{"CurrentDecimalAsIs", kDialectCurrent, false, 500, 12345, 3, {0, 0, 0x30, 0x39, 0, 10, 0, 3}},
        // 1656917852 * 2^-27 is 12.345: nine digits, 7 places.
        WriteForm{"CurrentBinaryToDecimal", kDialectCurrent, true, 500, 1656917852, 27,
                  {0x07, 0x5B, 0xB2, 0x90, 0, 10, 0, 7}},
        WriteForm{"CompactLowAreaGoesBinary", kDialectCompact, false, 500, 12345, 3,
                  {0x62, 0xC2, 0x8F, 0x5C, 0, 2, 0, 27}},
        WriteForm{"CompactHighAreaStripsZeros", kDialectCompact, true, 1000, 1656917852, 27,
                  {0, 0, 0x30, 0x39, 0, 10, 0, 3}}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(Macro, WriteRules) {
  uint16_t h = open();
  fake.reply(1, 22, sim::RbReply());
  macror_t r{};
  r.datano_s = r.datano_e = 500;
  r.data[0] = {1, 128, 0};
  EXPECT_EQ(EW_VALUE, cnc_wrmacror(h, 14, &r));
  EXPECT_EQ(EW_SIZE, cnc_wrmacror(h, 7, &r));
  r.data[0].dec_val = -128;
  EXPECT_EQ(EW_SIZE, cnc_wrmacror(h, 13, &r));
  r.datano_e = 499;
  EXPECT_EQ(EW_RANGE, cnc_wrmacror(h, 14, &r));
  EXPECT_TRUE(sent().empty());
  // Result 3 on a later chunk keeps what went before.
  int calls = 0;
  fake.on(1, 22, [&](const sim::RbRequest&) { return ++calls == 2 ? sim::RbReply::fail(3) : sim::RbReply(); });
  std::vector<uint8_t> mem(8 + 8 * 200);
  auto* big = reinterpret_cast<macror_t*>(mem.data());
  big->datano_s = 100;
  big->datano_e = 299;
  ASSERT_EQ(EW_SUCCESS, cnc_wrmacror(h, int16_t(mem.size()), big));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(8u * 177, q[0].data.size());
  EXPECT_EQ(8u * 23, q[1].data.size());
}

// ---- p-code variables ---------------------------------------------------------------

TEST_F(Macro, PcodeShortAreaFallsBackToEightByteElements) {
  uint16_t h = open();
  setDialect(h, kDialectCompact);
  fake.reply(1, 300, sim::RbReply::fail(1));
  fake.reply(1, 45, sim::RbReply().i32(5).u16(10).i16(0));
  pmacro_t p;
  sentinel(p);
  ASSERT_EQ(EW_SUCCESS, cnc_rdpmacro(h, 100000, &p));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(300, q[0].cmd);
  EXPECT_EQ(45, q[1].cmd);
  EXPECT_EQ(100000, q[1].a1);
  EXPECT_EQ(100000, p.datano);
  EXPECT_EQ(5, p.mcr_val);
  EXPECT_TRUE(untouched(&p, 4, 8));
  // Served as 16-bit integers.
  fake.reply(1, 300, sim::RbReply().i16(-3));
  ASSERT_EQ(EW_SUCCESS, cnc_rdpmacro(h, 100000, &p));
  EXPECT_EQ(-3, p.mcr_val);
  EXPECT_EQ(0, p.dec_val);
}

TEST_F(Macro, PcodeCurrentDialectAsksTheAreaKind) {
  uint16_t h = open();
  sim::RbReply info;
  for (int i = 0; i < 6; ++i) info.i32(0);
  info.u16(0).u16(2).u16(0);
  fake.reply(1, 231, info);
  fake.reply(1, 301, sim::RbReply());
  ASSERT_EQ(EW_SUCCESS, cnc_wrpmacro(h, 20000, 70000, 0));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(231, q[0].cmd);
  EXPECT_EQ(301, q[1].cmd);
  const std::vector<uint8_t> want = {0x11, 0x70};
  EXPECT_EQ(want, q[1].data);
  LogTail log;
  EXPECT_EQ(EW_RANGE, cnc_wrpmacro(h, 99, 1, 0));
  EXPECT_TRUE(log.has("Error: cannot write to p-macro local variables"));
}

TEST_F(Macro, PcodeBinaryConversionOnlyForNonZeroScale) {
  uint16_t h = open();
  fake.reply(1, 45, sim::RbReply().i32(77).u16(2).i16(0).i32(1 << 30).u16(2).i16(30));
  pmacror_t r{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdpmacror(h, 10000, 10001, 26, &r));
  EXPECT_EQ(77, r.data[0].mcr_val);
  EXPECT_EQ(0, r.data[0].dec_val);
  EXPECT_EQ(100000000, r.data[1].mcr_val);
  EXPECT_EQ(8, r.data[1].dec_val);
  EXPECT_EQ(10001, r.datano_e);
  EXPECT_EQ(EW_SIZE, cnc_rdpmacror(h, 10000, 10001, 25, &r));
}

// ---- doubles --------------------------------------------------------------------

TEST_F(Macro, DoublesAreClippedToTheAreaAndCounted) {
  uint16_t h = open();
  fake.on(1, 167, [](const sim::RbRequest& q) {
    sim::RbReply r;
    for (int i = 0; i < q.a2; ++i) {
      const double v = q.a1 + i + 0.5;
      uint64_t b;
      std::memcpy(&b, &v, 8);
      r.u32(uint32_t(b >> 32)).u32(uint32_t(b));
    }
    return r;
  });
  std::vector<double> out(300, -1);
  int32_t n = 300;
  ASSERT_EQ(EW_SUCCESS, cnc_rdmacror2(h, 100, &n, out.data()));
  EXPECT_EQ(300, n);
  std::fill(out.begin(), out.end(), -1);
  n = 300;   // 100..499 is one area
  ASSERT_EQ(EW_SUCCESS, cnc_rdmacror2(h, 450, &n, out.data()));
  EXPECT_EQ(50, n);
  EXPECT_DOUBLE_EQ(499.5, out[49]);
  EXPECT_DOUBLE_EQ(-1, out[50]);
  n = 0;
  EXPECT_EQ(EW_SIZE, cnc_rdmacror2(h, 100, &n, out.data()));
  n = 1;
  EXPECT_EQ(EW_KIND, cnc_rdpmacror2(h, 100, &n, 3, out.data()));
}

TEST_F(Macro, DoubleWriteStopsWhenFewerAreWritten) {
  uint16_t h = open();
  fake.on(1, 170, [](const sim::RbRequest& q) {
    return sim::RbReply().i32(q.data.size() / 8 == 177 ? 177 : 3);
  });
  std::vector<double> in(200, 2.5);
  int32_t n = 200;
  LogTail log;
  ASSERT_EQ(EW_SUCCESS, cnc_wrpmacror2(h, 30000, &n, 1, in.data()));
  EXPECT_EQ(180, n);
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(0, q[0].a2);
  EXPECT_EQ(1, q[0].a3);
  EXPECT_EQ(30177, q[1].a1);
  EXPECT_EQ(0x40, q[0].data[0]);
  EXPECT_EQ(0x04, q[0].data[1]);
  fake.reply(1, 168, sim::RbReply::fail(5));
  n = 1;
  EXPECT_EQ(5, cnc_wrmacror2(h, 500, &n, in.data()));
  EXPECT_TRUE(log.any(": inter_wrmacror2("));
}

TEST_F(Macro, Macror3PairsEachDoubleWithItsBlock) {
  uint16_t h = open();
  sim::RbReply r;
  r.u32(0x3FF00000).u32(0).u32(0x40000000).u32(0);
  for (int i = 0; i < 32; ++i) r.data.push_back(uint8_t(i));
  fake.reply(1, 629, r);   // two doubles, one block: one variable
  macror3_t out[2];
  sentinel(out);
  int32_t n = 2;
  ASSERT_EQ(EW_SUCCESS, cnc_rdmacror3(h, 100, &n, out));
  EXPECT_EQ(1, n);
  EXPECT_DOUBLE_EQ(1.0, out[0].value);
  EXPECT_EQ(31, out[0].info[31]);
  EXPECT_TRUE(untouched(&out[1], 0, sizeof out[1]));
}

// ---- info -----------------------------------------------------------------------

TEST_F(Macro, InfoCallsPickTheirWords) {
  uint16_t h = open();
  fake.reply(1, 23, sim::RbReply().i32(0x10033).i32(6));
  fake.reply(1, 47, sim::RbReply().i32(0).i32(0).i32(0).i32(0x20007).i32(0x00050009).i16(0).i16(2));
  macroinfo_t mi{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdmacroinfo(h, &mi));
  EXPECT_EQ(0x33, mi.word[0]);
  EXPECT_EQ(6, mi.word[1]);
  setMachineType(h, " W");
  ASSERT_EQ(EW_SUCCESS, cnc_rdmacroinfo(h, &mi));
  EXPECT_EQ(2, mi.word[1]);
  pmacroinfo_t pi{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdpmacroinfo(h, &pi));
  EXPECT_EQ(7, pi.word[0]);
  EXPECT_EQ(5, pi.word[1]);
  EXPECT_EQ(2, pi.word[2]);
}

TEST_F(Macro, MacroNumberSendsTheNameAs64Bytes) {
  uint16_t h = open();
  fake.reply(1, 671, sim::RbReply().i32(500).i16(3));
  int32_t no = 0;
  int16_t attr = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_rdmacronum(h, "DEPTH", 1, &no, &attr));
  EXPECT_EQ(500, no);
  EXPECT_EQ(3, attr);
  auto q = sent();
  ASSERT_EQ(1u, q.size());
  EXPECT_EQ(1, q[0].a1);
  ASSERT_EQ(64u, q[0].data.size());
  EXPECT_EQ('H', q[0].data[4]);
  EXPECT_EQ(0, q[0].data[5]);
  const std::string long64(64, 'A');
  EXPECT_EQ(EW_VALUE, cnc_rdmacronum(h, long64.c_str(), 1, &no, &attr));
  EXPECT_EQ(1, detail(h).detail);
  EXPECT_EQ(1u, sent().size());
}

}  // namespace
}  // namespace oz::test
