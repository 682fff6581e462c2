// Macro variables: value forms and their conversions, area clipping, chunking,
// the local-variable rules and the info calls.
#include "base/scaled.h"
#include "tests/support.h"

namespace oz::test {
namespace {

using sim::RbReply;
using sim::RbRequest;

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
  const scaled::Num d = scaled::binToDec(b.m, b.s);
  EXPECT_EQ((std::array<int32_t, 4>{k.m, k.s, k.backV, k.backDec}), (std::array<int32_t, 4>{b.m, b.s, d.m, d.s}));
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
RbReply decimalRange(const RbRequest& q) {
  RbReply r;
  for (int n = q.a1; n <= q.a2; ++n) r.i32(n * 10).u16(10).i16(1);
  return r;
}
// Range entries from `off`: (value, places) for the numbers first..last.
std::vector<At> entries(size_t off, int first, int last, std::function<std::pair<int32_t, int16_t>(int)> v) {
  std::vector<At> out;
  for (int n = first; n <= last; ++n, off += 8) {
    auto [x, dec] = v(n);
    out.push_back(at(off, x));
    out.push_back(at(off + 4, dec));
  }
  return out;
}
std::vector<At> operator+(std::vector<At> a, const std::vector<At>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
std::pair<int32_t, int16_t> tenfold(int n) { return {n * 10, 1}; }
macror_t* range(Arena& a, int16_t s, int16_t e, std::initializer_list<macro_entry_t> v,
                size_t size = sizeof(macror_t)) {
  auto* r = a.get<macror_t>(size);
  std::memset(static_cast<void*>(r), 0, size);
  r->datano_s = s, r->datano_e = e;
  std::copy(v.begin(), v.end(), r->data);
  return r;
}
std::vector<uint8_t> decimals(int n, int32_t v = 0) {
  Be b;
  for (int i = 0; i < n; ++i) b.i32(v).u16(10).i16(0);
  return b.data;
}
std::function<void(Handle&)> form(uint32_t dialect, bool binary, const char* machine = nullptr) {
  return [=](Handle& h) {
    setDialect(h, dialect);
    EXPECT_EQ(EW_SUCCESS, cnc_setmactype(h.number, binary ? 1 : 0));
    if (machine) setMachineType(h, machine);
  };
}
constexpr uint32_t kCurrent = kDialectCurrent, kCompact = kDialectCompact;

std::vector<Row> rangeRows() {
  auto second = std::make_shared<int>(0), later = std::make_shared<int>(0);
  return {
      // The range is clipped to the area of its start.
      {"Clipped", {{21, decimalRange}}, OZ_DO(cnc_rdmacror(h, 1, 600, 8 + 8 * 99, a.out<macror_t>(8 + 8 * 99))), 0,
       {{21, 1, 99}}, std::vector<At>{at(0, int16_t(1)), at(4, int16_t(99))} + entries(8, 1, 99, tenfold)},
      // 179 to a request; a short reply ends the read.
      {"SplitAt179", {{21, [second](const RbRequest& q) {
                         RbReply r = decimalRange(q);
                         if (++*second == 2) r.data.resize(8 * 10);
                         return r;
                       }}},
       OZ_DO(cnc_rdmacror(h, 100, 299, 8 * 200 + 6, a.out<macror_t>(8 * 200 + 6))), 0, {{21, 100, 278}, {21, 279, 299}},
       std::vector<At>{at(0, int16_t(100)), at(4, int16_t(288))} + entries(8, 100, 288, tenfold)},
      // The length covers the entries received so far or the call fails.
      {"LengthPerReply", {{21, decimalRange}},
       OZ_DO(cnc_rdmacror(h, 100, 299, 8 * 179 + 5, a.out<macror_t>(8 * 179 + 5))),
       EW_SIZE, {{21, 100, 278}}},
      // Decimal on the wire, binary for the caller, and back.
      {"BinaryForm", {{21, RbReply().i32(12345).u16(10).i16(3).i32(1656917852).u16(2).i16(27)}},
       OZ_DO(cnc_rdmacror(h, 500, 501, 22, a.out<macror_t>())), 0, {{21, 500, 501}},
       std::vector<At>{at(0, int16_t(500)), at(4, int16_t(501))} + entries(8, 0, 1,
                                                                           [](int) { return std::pair{1656917852,
                                                                                                      int16_t(27)}; }),
       {}, form(kCurrent, true)},
      {"DecimalForm", {{21, RbReply().i32(12345).u16(10).i16(3).i32(1656917852).u16(2).i16(27)}},
       OZ_DO(cnc_rdmacror(h, 500, 501, 22, a.out<macror_t>())), 0, {{21, 500, 501}},
       {at(0, int16_t(500)), at(4, int16_t(501)), at(8, 12345), at(12, int16_t(3)), at(16, 123450000),
        at(20, int16_t(7))}},
      // The compact dialect refuses a range through the system variables; one is fine.
      {"CompactSystemRange", {}, OZ_DO(cnc_rdmacror(h, 2000, 2001, 22, a.out<macror_t>())), EW_RANGE, {}, {}, {},
       form(kCompact, false), {"Error: cannot read from range of macro system variables"}},
      {"CompactOneSystemVariable", {{21, RbReply().i32(1).u16(10).i16(0)}},
       OZ_DO(cnc_rdmacror(h, 2000, 2000, 22, a.out<macror_t>())),
       0, {{21, 2000, 2000}}, {at(0, int16_t(2000)), at(4, int16_t(2000)), at(8, 1), at(12, int16_t(0))}, {},
       form(kCompact, false)},
      {"EndBeforeStart", {}, OZ_DO(cnc_rdmacror(h, 101, 100, 22, a.out<macror_t>())), EW_RANGE, {}},
      // The single calls go through the ranges.
      // Early length tests answer before the frame: no error line.
      {"SingleLength", {}, OZ_DO(cnc_rdmacro(h, 500, 9, a.out<macro_t>())), EW_SIZE, {}, {}, {}, {}, {""}},
      {"WriteSingleLength", {}, OZ_DO(cnc_wrmacro(h, 500, 9, 1, 0)), EW_SIZE, {}, {}, {}, {}, {""}},
      {"Single", {{21, RbReply().i32(-42).u16(10).i16(2)}}, OZ_DO(cnc_rdmacro(h, 500, 10, a.out<macro_t>())), 0,
       {{21, 500, 500}},
       {at(0, int16_t(500)), at(4, -42), at(8, int16_t(2))}},
      {"WriteSingle", {{22, RbReply()}}, OZ_DO(cnc_wrmacro(h, 501, 10, 7, 1)), 0,
       {{22, 501, 501, 0, 0, Be().i32(7).u16(10).i16(1).data}}},
      // Local variables are writable only on a W machine.
      {"LocalVariables", {}, OZ_DO(cnc_wrmacro(h, 50, 10, 1, 0)), EW_RANGE, {}, {}, {}, {},
       {"Error: cannot write to macro local variables"}},
      {"LocalVariablesW", {{22, RbReply()}}, OZ_DO(cnc_wrmacro(h, 50, 10, 1, 0)), 0,
       {{22, 50, 50, 0, 0, decimals(1, 1)}}, {},
       {}, form(kCurrent, false, " W")},
      // The wire form by dialect and the caller's form.
      {"CurrentDecimalAsIs", {{22, RbReply()}}, OZ_DO(cnc_wrmacror(h, 14, range(a, 500, 500, {{12345, 3, 0}}))), 0,
       {{22, 500, 500, 0, 0, {0, 0, 0x30, 0x39, 0, 10, 0, 3}}}},
      // 1656917852 * 2^-27 is 12.345: nine digits, 7 places.
      {"CurrentBinaryToDecimal", {{22, RbReply()}},
       OZ_DO(cnc_wrmacror(h, 14, range(a, 500, 500, {{1656917852, 27, 0}}))), 0,
       {{22, 500, 500, 0, 0, {0x07, 0x5B, 0xB2, 0x90, 0, 10, 0, 7}}}, {}, {}, form(kCurrent, true)},
      {"CompactLowAreaGoesBinary", {{22, RbReply()}}, OZ_DO(cnc_wrmacror(h, 14, range(a, 500, 500, {{12345, 3, 0}}))),
       0,
       {{22, 500, 500, 0, 0, {0x62, 0xC2, 0x8F, 0x5C, 0, 2, 0, 27}}}, {}, {}, form(kCompact, false)},
      {"CompactHighAreaStripsZeros", {{22, RbReply()}},
       OZ_DO(cnc_wrmacror(h, 14, range(a, 1000, 1000, {{1656917852, 27, 0}}))),
       0, {{22, 1000, 1000, 0, 0, {0, 0, 0x30, 0x39, 0, 10, 0, 3}}}, {}, {}, form(kCompact, true)},
      {"DecimalPlacesTooMany", {}, OZ_DO(cnc_wrmacror(h, 14, range(a, 500, 500, {{1, 128, 0}}))), EW_VALUE, {}},
      {"WriteBelowTheHeader", {}, OZ_DO(cnc_wrmacror(h, 7, range(a, 500, 500, {{1, 128, 0}}))), EW_SIZE, {}},
      {"WriteLength", {}, OZ_DO(cnc_wrmacror(h, 13, range(a, 500, 500, {{1, -128, 0}}))), EW_SIZE, {}},
      {"WriteEndBeforeStart", {}, OZ_DO(cnc_wrmacror(h, 14, range(a, 500, 499, {{1, -128, 0}}))), EW_RANGE, {}},
      // Result 3 on a later chunk keeps what went before.
      {"WriteLaterResult3", {{22, [later](const RbRequest&) { return ++*later == 2 ? RbReply::fail(3) : RbReply(); }}},
       OZ_DO(cnc_wrmacror(h, 8 + 8 * 200, range(a, 100, 299, {}, 8 + 8 * 200))), 0,
       {{22, 100, 276, 0, 0, decimals(177)}, {22, 277, 299, 0, 0, decimals(23)}}},
  };
}
OZ_ROWS(Macro, rangeRows());

// ---- p-code variables, doubles, info ----------------------------------------------

RbReply areaKinds() {
  RbReply info;
  for (int i = 0; i < 6; ++i) info.i32(0);
  return info.u16(0).u16(2).u16(0);
}
RbReply doubles(const RbRequest& q) {
  RbReply r;
  for (int i = 0; i < q.a2; ++i) {
    const double v = q.a1 + i + 0.5;
    uint64_t b;
    std::memcpy(&b, &v, 8);
    r.u32(uint32_t(b >> 32)).u32(uint32_t(b));
  }
  return r;
}
std::vector<At> doublesFrom(int first, int n) {
  std::vector<At> v;
  for (int i = 0; i < n; ++i) v.push_back(at(8 * size_t(i), first + i + 0.5));
  return v;
}

std::vector<Row> otherRows() {
  const std::vector<double> twoAndAHalf(200, 2.5);
  return {
      // A 16-bit area that is not falls back to eight-byte elements.
      {"PcodeShortFallsBack", {{300, RbReply::fail(1)}, {45, RbReply().i32(5).u16(10).i16(0)}},
       OZ_DO(cnc_rdpmacro(h, 100000, a.out<pmacro_t>())), 0, {{300, 100000, 100000}, {45, 100000, 100000}},
       {at(0, 100000), at(8, 5), at(12, int16_t(0))}, {}, form(kCompact, false)},
      {"PcodeShort", {{300, RbReply().i16(-3)}}, OZ_DO(cnc_rdpmacro(h, 100000, a.out<pmacro_t>())), 0,
       {{300, 100000, 100000}},
       {at(0, 100000), at(8, -3), at(12, int16_t(0))}, {}, form(kCompact, false)},
      // The current dialect asks the area kind.
      {"PcodeAsksTheAreaKind", {{231, areaKinds()}, {301, RbReply()}}, OZ_DO(cnc_wrpmacro(h, 20000, 70000, 0)), 0,
       {{231}, {301, 20000, 20000, 0, 0, {0x11, 0x70}}}},
      {"PcodeLocalVariables", {}, OZ_DO(cnc_wrpmacro(h, 99, 1, 0)), EW_RANGE, {}, {}, {}, {},
       {"Error: cannot write to p-macro local variables"}},
      // Binary values convert only with a non-zero scale.
      {"PcodeBinaryScale", {{45, RbReply().i32(77).u16(2).i16(0).i32(1 << 30).u16(2).i16(30)}},
       OZ_DO(cnc_rdpmacror(h, 10000, 10001, 26, a.out<pmacror_t>())), 0, {{45, 10000, 10001}},
       {at(0, 10000), at(8, 10001), at(12, 77), at(16, int16_t(0)), at(20, 100000000), at(24, int16_t(8))}},
      {"PcodeRangeLength", {{45, RbReply().i32(77).u16(2).i16(0).i32(1 << 30).u16(2).i16(30)}},
       OZ_DO(cnc_rdpmacror(h, 10000, 10001, 25, a.out<pmacror_t>())), EW_SIZE, {{45, 10000, 10001}}},
      // Doubles stop at the end of the start's area and are counted.
      {"Doubles", {{167, doubles}}, OZ_DO(cnc_rdmacror2(h, 100, a.inout<int32_t>(300), a.outs<double>(300))), 0,
       {{167, 100, 179}, {167, 279, 121}}, doublesFrom(100, 300), 300},
      {"DoublesClipped", {{167, doubles}}, OZ_DO(cnc_rdmacror2(h, 450, a.inout<int32_t>(300), a.outs<double>(300))), 0,
       {{167, 450, 50}}, doublesFrom(450, 50), 50},
      {"DoublesCountZero", {}, OZ_DO(cnc_rdmacror2(h, 100, a.inout<int32_t>(0), a.outs<double>(1))), EW_SIZE, {}, {},
       0},
      {"DoublesKind", {}, OZ_DO(cnc_rdpmacror2(h, 100, a.inout<int32_t>(1), 3, a.outs<double>(1))), EW_KIND, {}, {}, 1},
      // A write stops when the controller took fewer.
      {"DoubleWriteStopsShort",
       {{170, [](const RbRequest& q) { return RbReply().i32(q.data.size() / 8 == 177 ? 177 : 3); }}},
       [twoAndAHalf](uint16_t h,
                     Arena& a) { return cnc_wrpmacror2(h, 30000, a.inout<int32_t>(200), 1, twoAndAHalf.data()); }, 0,
       [] {
         Be b, c;
         for (int i = 0; i < 177; ++i) b.u32(0x40040000).u32(0);
         for (int i = 0; i < 23; ++i) c.u32(0x40040000).u32(0);
         return std::vector<Req>{{170, 30000, 0, 1, 0, b.data}, {170, 30177, 0, 1, 0, c.data}};
       }(),
       {}, 180},
      {"DoubleWriteFails", {{168, RbReply::fail(5)}},
       OZ_DO(cnc_wrmacror2(h, 500, a.inout<int32_t>(1), std::vector<double>{2.5}.data())),
       5, {{168, 500, 0, 0, 0, Be().u32(0x40040000).u32(0).data}}, {}, 1, {}, {"Error: {S}: inter_wrmacror2(*"}},
      // Two doubles and one block make one variable.
      {"Macror3", {{629, RbReply().u32(0x3FF00000).u32(0).u32(0x40000000).u32(0).bytes([] {
                     std::vector<uint8_t> b(32);
                     for (size_t i = 0; i < 32; ++i) b[i] = uint8_t(i);
                     return b;
                   }())}},
       OZ_DO(cnc_rdmacror3(h, 100, a.inout<int32_t>(2), a.outs<macror3_t>(2))), 0, {{629, 100, 2}},
       {at(0, 1.0), at(8, [] {
          std::vector<uint8_t> b(32);
          for (size_t i = 0; i < 32; ++i) b[i] = uint8_t(i);
          return b;
        }())},
       1},
      {"MacroInfo", {{23, RbReply().i32(0x10033).i32(6)}}, OZ_DO(cnc_rdmacroinfo(h, a.out<macroinfo_t>())), 0, {{23}},
       {at(0, int16_t(0x33)), at(2, int16_t(6))}},
      {"MacroInfoW", {{23, RbReply().i32(0x10033).i32(6)}}, OZ_DO(cnc_rdmacroinfo(h, a.out<macroinfo_t>())), 0, {{23}},
       {at(0, int16_t(0x33)), at(2, int16_t(2))}, {}, form(kCurrent, false, " W")},
      {"PcodeInfo", {{47, RbReply().i32(0).i32(0).i32(0).i32(0x20007).i32(0x00050009).i16(0).i16(2)}},
       OZ_DO(cnc_rdpmacroinfo(h, a.out<pmacroinfo_t>())), 0, {{47}},
       {at(0, uint16_t(7)), at(2, uint16_t(5)), at(4, uint16_t(2))}},
      // The name goes as 64 bytes.
      {"MacroNumber", {{671, RbReply().i32(500).i16(3)}},
       [](uint16_t h, Arena& a) -> int16_t {
         auto* o = a.out<uint8_t>(6);
         return cnc_rdmacronum(h, "DEPTH", 1, reinterpret_cast<int32_t*>(o), reinterpret_cast<int16_t*>(o + 4));
       },
       0, {{671, 1, 0, 0, 0, [] { std::vector<uint8_t> n(64, 0); std::memcpy(n.data(), "DEPTH", 5); return n; }()}},
       {at(0, 500), at(4, int16_t(3))}},
      {"MacroNumberNameTooLong", {},
       OZ_DO(cnc_rdmacronum(h, std::string(64, 'A').c_str(), 1, a.get<int32_t>(), a.get<int16_t>())),
       EW_VALUE, {}, {}, {}, {}, {}, 1},
  };
}
OZ_ROWS(MacroOther, otherRows());

}  // namespace
}  // namespace oz::test
