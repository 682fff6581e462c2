// Replies that succeed (result 0) but bring less than their decoding needs.
// A fixed record the reply cannot fill fails with EW_SIZE and leaves the
// caller's buffer as it was; where an empty answer is legitimate (no message,
// no more entries) the outputs say so, never the caller's old contents.
// Entry numbers at the top of the 32-bit range end a paged read instead of
// overflowing into a request for number -2147483648.
#include <climits>
#include <functional>

#include "tests/support.h"

namespace oz::test {
namespace {

using sim::RbReply;
using Buf = std::vector<uint8_t>;

RbReply bytes(size_t n, uint8_t b = 0x11) { return RbReply().bytes(Buf(n, b)); }

struct Row {
  const char* what;
  uint16_t cls, cmd;
  RbReply reply;
  size_t size;                                   // the caller's buffer, 0xEE throughout
  std::function<int16_t(uint16_t, uint8_t*)> run;
  int16_t code;
  Buf want;                                      // buffer afterwards; empty: untouched
  uint32_t flags = 0;                            // dialect flags of the handle, 0: as opened
  bool w_machine = false;
  friend void PrintTo(const Row& r, std::ostream* os) { *os << r.what; }
};

class Hostile : public FakeTest, public ::testing::WithParamInterface<Row> {};

TEST_P(Hostile, Reply) {
  const Row& r = GetParam();
  uint16_t h = open();
  if (r.flags) {
    rec(h).flags = (rec(h).flags & ~uint32_t(kDialectCurrent | kDialectCompact | kDialectPacked)) | r.flags;
  }
  if (r.w_machine) std::memcpy(rec(h).sysinfo[0].bytes + 6, " W", 2);
  fake.reply(kClassCnc, 164, RbReply().i16(1));   // counts that bracket spindle reads
  fake.reply(r.cls, r.cmd, r.reply);
  Buf buf(r.size + 8, 0xEE);                      // 8 guard bytes past the caller's size
  EXPECT_EQ(r.code, r.run(h, buf.data()));
  Buf want = r.want.empty() ? Buf(r.size, 0xEE) : r.want;
  want.resize(r.size + 8, 0xEE);
  EXPECT_EQ(want, buf);
}

template <class T>
T* as(uint8_t* p) { return reinterpret_cast<T*>(p); }

Buf zeros(size_t n) { return Buf(n, 0); }
Buf text(const std::string& s, size_t n) {
  Buf b(s.begin(), s.end());
  b.resize(n, 0);
  return b;
}

INSTANTIATE_TEST_SUITE_P(All, Hostile, ::testing::Values(
    Row{"CncIdEmpty", 1, 232, RbReply(), 16, [](uint16_t h, uint8_t* b) { return cnc_rdcncid(h, as<uint32_t>(b)); }, EW_SIZE, {}},
    Row{"CncIdThreeWords", 1, 232, bytes(12), 16, [](uint16_t h, uint8_t* b) { return cnc_rdcncid(h, as<uint32_t>(b)); }, EW_SIZE, {}},
    Row{"ExdgtEmpty", 1, 718, RbReply(), 48, [](uint16_t h, uint8_t* b) { return cnc_absolute2_exdgt(h, as<exdgt_t>(b)); }, EW_SIZE, {}},
    Row{"ExdgtMachineEmpty", 1, 718, RbReply(), 48, [](uint16_t h, uint8_t* b) { return cnc_machine_exdgt(h, as<exdgt_t>(b)); }, EW_SIZE, {}},
    Row{"LnOpMsgEmpty", 1, 227, RbReply(), 512, [](uint16_t h, uint8_t* b) { return cnc_rdlnopmsg(h, as<lnopmsg_t>(b)); }, EW_SUCCESS, zeros(512)},
    Row{"LnOpMsgShort", 1, 227, RbReply().bytes({'A', 'B'}), 512, [](uint16_t h, uint8_t* b) { return cnc_rdlnopmsg(h, as<lnopmsg_t>(b)); }, EW_SUCCESS, text("AB", 512)},
    Row{"OpMsg2Empty", 1, 52, RbReply(), 140, [](uint16_t h, uint8_t* b) { return cnc_rdopmsg2(h, 0, 140, as<opmsg2_t>(b)); }, EW_SUCCESS, zeros(140)},
    Row{"OpMsgPackedEmpty", 1, 52, RbReply(), 136, [](uint16_t h, uint8_t* b) { return cnc_rdopmsg(h, 0, 136, b); }, EW_SUCCESS, zeros(136), kDialectPacked},
    Row{"BaxisEmpty", 1, 127, RbReply(), 12 * OZ_BAXIS_MAX, [](uint16_t h, uint8_t* b) { return cnc_rdbaxis(h, as<baxis_t>(b)); }, EW_SUCCESS, zeros(12 * OZ_BAXIS_MAX)},
    Row{"TimerTypesShort", 2, 32842, RbReply().i16(1), 6, [](uint16_t h, uint8_t* b) { return pmc_get_timer_type(h, 1, 3, as<int16_t>(b)); }, EW_SIZE, {}},
    Row{"StringToAddressEmpty", 2, 32859, RbReply(), 84, [](uint16_t h, uint8_t* b) { return pmc_convert_from_string_to_address(h, b); }, EW_SIZE, {}},
    Row{"StringToAddressShort", 2, 32859, bytes(80), 84, [](uint16_t h, uint8_t* b) { return pmc_convert_from_string_to_address(h, b); }, EW_SIZE, {}},
    Row{"MacroEmpty", 1, 21, RbReply(), 10, [](uint16_t h, uint8_t* b) { return cnc_rdmacro(h, 500, 10, as<macro_t>(b)); }, EW_SIZE, {}},
    Row{"PMacroEmpty", 1, 45, RbReply(), 16, [](uint16_t h, uint8_t* b) { return cnc_rdpmacro(h, 500, as<pmacro_t>(b)); }, EW_SIZE, {}},
    Row{"PMacroRangeLength10", 1, 45, RbReply(), 10, [](uint16_t h, uint8_t* b) { return cnc_rdpmacror(h, 500, 500, 10, as<pmacror_t>(b)); }, EW_SIZE, {}},
    Row{"PMacroRangeLength11", 1, 45, RbReply(), 11, [](uint16_t h, uint8_t* b) { return cnc_rdpmacror(h, 500, 500, 11, as<pmacror_t>(b)); }, EW_SIZE, {}},
    Row{"StatusEmpty", 1, 25, RbReply(), sizeof(statinfo_t), [](uint16_t h, uint8_t* b) { return cnc_statinfo(h, as<statinfo_t>(b)); }, EW_SIZE, {0, 0, 0, 0}},
    Row{"PositionEmpty", 1, 38, RbReply(), 16, [](uint16_t h, uint8_t* b) { return cnc_absolute(h, -1, 16, as<axis_values_t>(b)); }, EW_SIZE, {}},
    Row{"SpindleEmpty", 1, 64, RbReply(), sizeof(spindle_values_t), [](uint16_t h, uint8_t* b) { return cnc_rdspload(h, 1, as<spindle_values_t>(b)); }, EW_SIZE, {}},
    Row{"ModalGroupEmpty", 1, 33, RbReply(), sizeof(modal_t), [](uint16_t h, uint8_t* b) { return cnc_modal(h, 0, 0, as<modal_t>(b)); }, EW_SIZE, {0, 0, 0, 0}},
    Row{"ModalItemEmpty", 1, 34, RbReply(), sizeof(modal_t), [](uint16_t h, uint8_t* b) { return cnc_modal(h, 100, 0, as<modal_t>(b)); }, EW_SIZE, {100, 0, 0, 0}},
    Row{"ToolOffsetEmpty", 1, 8, RbReply(), 8, [](uint16_t h, uint8_t* b) { return cnc_rdtofs(h, 1, 0, 8, as<tofs_t>(b)); }, EW_SIZE, {}},
    Row{"WorkOffsetEmpty", 1, 11, RbReply(), 8, [](uint16_t h, uint8_t* b) { return cnc_rdzofs(h, 1, 1, 8, as<zofs_t>(b)); }, EW_SIZE, {}},
    Row{"WorkShiftEmpty", 1, 99, RbReply(), 8, [](uint16_t h, uint8_t* b) { return cnc_rdwkcdshft(h, 1, 8, as<zofs_t>(b)); }, EW_SIZE, {}},
    Row{"PitchInfoEmpty", 1, 338, RbReply(), 6, [](uint16_t h, uint8_t* b) { return cnc_rdpitchinfo(h, as<int16_t>(b)); }, EW_SIZE, {}, 0, true},
    Row{"KeepRelayShort", 2, 32776, bytes(4), 10, [](uint16_t h, uint8_t* b) { return pmc_rdkpm(h, 0, b, 10); }, EW_SIZE, {0x11, 0x11, 0x11, 0x11}},
    Row{"PmcMemoryShort", 1, 39, bytes(4), 10, [](uint16_t h, uint8_t* b) { return pmc_rdpmcmem(h, 0, 0, 10, b); }, EW_SIZE, {0x11, 0x11, 0x11, 0x11}},
    Row{"PmcRangeEmpty", 2, 32769, RbReply(), 18, [](uint16_t h, uint8_t* b) { return pmc_rdpmcrng(h, 0, 0, 0, 9, 18, as<pmcrng_t>(b)); }, EW_SIZE, {}},
    Row{"ConvertTextShort", 1, 353, RbReply().bytes({'a', 'b'}), 5, [](uint16_t h, uint8_t* b) { return cnc_ftosjis(h, "ABCD", reinterpret_cast<char*>(b)); }, EW_SUCCESS, text("ab", 5)}),
    [](const auto& i) { return std::string(i.param.what); });

// Range reads say how far the reply went: the end number is the last one
// whose data came, not the one asked for.
TEST_F(FakeTest, ShortRangeRepliesNameTheirEnd) {
  uint16_t h = open();
  fake.reply(kClassPmc, 32769, bytes(4, 0x22));
  pmcrng_t rng;
  sentinel(rng);
  ASSERT_EQ(EW_SUCCESS, pmc_rdpmcrng(h, 0, 0, 10, 19, 18, &rng));
  EXPECT_EQ(10, rng.datano_s);
  EXPECT_EQ(13, rng.datano_e);
  EXPECT_TRUE(untouched(&rng, 12, 18));

  fake.reply(kClassCnc, 8, RbReply().i32(7).i32(0));   // one value of three numbers
  fake.clear_received();
  tofsr_t t;
  sentinel(t);
  ASSERT_EQ(EW_SUCCESS, cnc_rdtofsr(h, 1, 0, 3, 8 + 12, &t));
  EXPECT_EQ(1, t.datano_s);
  EXPECT_EQ(1, t.datano_e);
  EXPECT_EQ(7, t.u.l[0]);
  EXPECT_TRUE(untouched(&t, 12, 20));

  pmcrwreq_t req{};
  uint8_t data[8];
  sentinel(data);
  req.kind = 0;
  req.length = 8;
  req.data = data;
  fake.reply(kClassPmc, 32769, bytes(4, 0x33));
  ASSERT_EQ(EW_SUCCESS, pmc_rdwrpmcrng(h, 1, &req));
  EXPECT_EQ(EW_SIZE, req.result);
}

// ---- entry numbers at the top of the range ---------------------------------------

// n directory entries of `size` bytes, numbered up to 0x7FFFFFFF.
RbReply topEntries(int n, int size) {
  RbReply r;
  for (int i = 0; i < n; ++i) {
    Buf e(size_t(size), 0);
    be::put32(e.data(), uint32_t(INT32_MAX - (n - 1 - i)));
    r.bytes(e);
  }
  return r;
}

struct TopRow {
  const char* what;
  uint16_t cmd;
  RbReply reply;
  std::function<int16_t(uint16_t)> run;
  friend void PrintTo(const TopRow& r, std::ostream* os) { *os << r.what; }
};

class TopOfRange : public FakeTest, public ::testing::WithParamInterface<TopRow> {};

TEST_P(TopOfRange, EndsThePagedRead) {
  const TopRow& r = GetParam();
  uint16_t h = open();
  fake.reply(kClassCnc, r.cmd, r.reply);
  fake.clear_received();
  EXPECT_EQ(EW_SUCCESS, r.run(h));
  EXPECT_EQ(1u, sent().size());   // nothing is asked after number 0x7FFFFFFF
}

prgdir2_t g_dir2[40];
prgdir3_t g_dir3[40];
prgdirtm_t g_dirtm[40];
char g_text[8192];

INSTANTIATE_TEST_SUITE_P(All, TopOfRange, ::testing::Values(
    TopRow{"Dir2o8", 6, topEntries(19, 72), [](uint16_t h) { int32_t s = 1; int16_t n = 40; return cnc_rdprogdir2o8(h, 0, &s, &n, g_dir2); }},
    TopRow{"Dir2", 6, topEntries(19, 72), [](uint16_t h) { int16_t s = 1, n = 40; return cnc_rdprogdir2(h, 0, &s, &n, g_dir2); }},
    TopRow{"Dir3", 6, topEntries(19, 72), [](uint16_t h) { int32_t s = 1; int16_t n = 40; return cnc_rdprogdir3(h, 0, &s, &n, g_dir3); }},
    TopRow{"DirTime", 118, topEntries(16, 88), [](uint16_t h) { int32_t s = 1; int16_t n = 40; return cnc_rdprgdirtime(h, &s, &n, g_dirtm); }},
    TopRow{"DirText", 6, topEntries(19, 72), [](uint16_t h) { return cnc_rdprogdiro8(h, 0, 1, INT32_MAX, sizeof g_text, g_text); }},
    TopRow{"ParamRange", 141,
           RbReply().i32(INT32_MAX).i16(0).u16(3).i32(5).i32(0).i32(0).i32(0).i32(0).i32(0),
           [](uint16_t h) {
             int16_t s = 1, e = 100, len = 64;
             uint8_t b[64];
             return cnc_rdparar(h, &s, 0, &e, &len, b);
           }}),
    [](const auto& i) { return std::string(i.param.what); });

}  // namespace
}  // namespace oz::test
