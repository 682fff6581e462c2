// Alarm messages, the ladder screen and single-address calls.
#include <cstring>

#include "api/pmc/alarm_msgs.h"
#include "tests/support.h"

std::string oz_pmclad_command(const pmclad_t* prm);

namespace oz::test {
namespace {

using sim::RbReply;
using sim::RbRequest;

// A legacy controller: protocol version 2.
class LegacyAlarms : public FakeTest {
 protected:
  LegacyAlarms() : FakeTest(sim::FakeConfig::standard(2)) {
    oz::plat::set_env("OZLIB_SYSDIR", "/nonexistent-ozlib");
    pmcio::alarm_texts_reload();
  }
  // Status bytes by address; 9118 answers 3 unless set.
  void bytes(std::map<int, uint8_t> b) {
    fake.on(2, 32769, [b](const sim::RbRequest& q) {
      if (q.a1 == 9118 && !b.count(9118)) return sim::RbReply::fail(3);
      sim::RbReply r;
      for (int a = q.a1; a <= q.a2; ++a) r.data.push_back(b.count(a) ? b.at(a) : 0);
      return r;
    });
  }
  std::vector<std::string> read(uint16_t h, int16_t start, int16_t room, int16_t* count,
                                int16_t* pending) {
    std::vector<pmcalm_t> m(size_t(room) + 1);
    for (pmcalm_t& x : m) sentinel(x);
    *count = room;
    EXPECT_EQ(EW_SUCCESS, pmc_rdalmmsg(h, start, count, pending, m.data()));
    EXPECT_EQ(0xEE, uint8_t(m[size_t(*count)].text[0]));
    std::vector<std::string> out;
    for (int i = 0; i < *count; ++i) out.push_back(m[size_t(i)].text);
    return out;
  }
};

TEST_F(LegacyAlarms, BitRowAndStartNumber) {
  uint16_t h = open();
  bytes({{9044, 0x03}});
  int16_t n, p;
  EXPECT_EQ((std::vector<std::string>{"Undefine Alarm(ER00)", "ER01 Program Data Error"}),
            read(h, 1, 5, &n, &p));
  EXPECT_EQ(0, p);
  EXPECT_EQ((std::vector<std::string>{"ER01 Program Data Error"}), read(h, 2, 5, &n, &p));
  EXPECT_EQ(1, n);
  EXPECT_EQ(0, p);
  // Two RBs in one PDU per call.
  expectRequests({pmcRb(32769, 9038, 9092, 5), pmcRb(32769, 9118, 9118, 5), pmcRb(32769, 9038, 9092, 5),
                  pmcRb(32769, 9118, 9118, 5)});
}

TEST_F(LegacyAlarms, CodeCountAndValueRowsAreFormatted) {
  uint16_t h = open();
  bytes({{9048, 35}, {9049, 4}, {9050, 40}, {9118, 0x1F}});
  int16_t n, p;
  EXPECT_EQ((std::vector<std::string>{"ER34 SLC Error(03)",
                                      "ER39 Max. Setting Input Data Over(08)",
                                      "ER48 Step Sequence Time Over (1fH)"}),
            read(h, 1, 5, &n, &p));
}

TEST_F(LegacyAlarms, FullBufferLeavesPendingAndNoAlarmGivesMinusOne) {
  uint16_t h = open();
  bytes({{9038, 0xFF}});
  int16_t n, p;
  EXPECT_EQ(3u, read(h, 1, 3, &n, &p).size());
  EXPECT_EQ(1, p);
  bytes({});
  EXPECT_TRUE(read(h, 1, 3, &n, &p).empty());
  EXPECT_EQ(-1, p);
}

TEST_F(LegacyAlarms, ArgumentTestsAndFirstReadFailure) {
  uint16_t h = open();
  int16_t n = 1, p = 7;
  pmcalm_t m;
  EXPECT_EQ(EW_RANGE, pmc_rdalmmsg(h, 0, &n, &p, &m));
  n = 0;
  EXPECT_EQ(EW_VALUE, pmc_rdalmmsg(h, 1, &n, &p, &m));
  EXPECT_TRUE(sent().empty());
  fake.reply(2, 32769, sim::RbReply::fail(6));
  n = 1;
  EXPECT_EQ(6, pmc_rdalmmsg(h, 1, &n, &p, &m));
  EXPECT_EQ(6, rec(h).pmc_err.code);
}

class CurrentAlarms : public FakeTest {};

TEST_F(CurrentAlarms, BatchesOfElevenUntilNothingPends) {
  uint16_t h = open();
  fake.on(2, 32784, [](const sim::RbRequest& q) {
    sim::RbReply r;
    r.i32(q.a2).i32(100);
    for (int i = 0; i < q.a2; ++i) r.text("M" + std::to_string(q.a1 + i), 128);
    return r;
  });
  std::vector<pmcalm_t> m(31);
  int16_t n = 30, p = 0;
  ASSERT_EQ(EW_SUCCESS, pmc_rdalmmsg(h, 4, &n, &p, m.data()));
  EXPECT_EQ(30, n);
  EXPECT_EQ(100, p);
  expectRequests({pmcRb(32784, 4, 11), pmcRb(32784, 15, 11), pmcRb(32784, 26, 8)});
  EXPECT_EQ("M33", std::string(m[29].text, 3));
  fake.reply(2, 32784, sim::RbReply().i32(2).i32(0).text("A", 128).text("B", 128));
  fake.clear_received();
  n = 30;
  ASSERT_EQ(EW_SUCCESS, pmc_rdalmmsg(h, 1, &n, &p, m.data()));
  EXPECT_EQ(2, n);
  EXPECT_EQ(0, p);
  EXPECT_EQ(1u, sent().size());
}

TEST_F(CurrentAlarms, MoreMessagesThanAskedAreNotCopied) {
  uint16_t h = open();
  fake.reply(2, 32784, sim::RbReply().i32(5).i32(0).bytes(std::vector<uint8_t>(640, 'x')));
  std::vector<pmcalm_t> m(3);
  std::memset(m.data(), 0, sizeof(pmcalm_t) * 3);
  int16_t n = 2, p = 0;
  ASSERT_EQ(EW_SUCCESS, pmc_rdalmmsg(h, 1, &n, &p, m.data()));
  EXPECT_EQ(2, n);
  EXPECT_EQ(0, m[2].text[0]);
}

// ---- ladder screen ---------------------------------------------------------------

std::string text_of(pmclad_t p) { return oz_pmclad_command(&p); }
const std::string kHead("PCLD\0\0\0\0", 8);

TEST(LadderScreen, AreaAddressesAndProgramCodes) {
  pmclad_t p{1, 2, 3, 4, 1, 0, 0, 3, 10, "hi", nullptr};
  EXPECT_EQ(kHead + "MLN=2;CL=3;BG=4\nhi\fU1\fPG\fS/G10.3/GWT" + std::string(1, '\0'),
            text_of(p));
  p.bit = 8;
  p.unit = 9;
  p.program = -4;
  EXPECT_EQ(kHead + "MLN=2;CL=3;BG=4\nhi\fUS\fPC\fC/G10/" + std::string(1, '\0'), text_of(p));
  p.program = -3;
  p.area = 12;
  EXPECT_NE(std::string::npos, text_of(p).find("\fPL3\fS/E10/GWT"));
  p.area = 13;
  EXPECT_NE(std::string::npos, text_of(p).find("\fS/10/GWT"));
  p.program = 42;
  EXPECT_NE(std::string::npos, text_of(p).find("\fP42\f"));
  p = {0, 1, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr};
  EXPECT_EQ(kHead + "MLN=1;CL=0;BG=0\n" + std::string(1, '\0'), text_of(p));
}

TEST(LadderScreen, DelimiterAvoidsTheAddressTextAndMessageIsCut) {
  pmclad_t p{2, 1, 0, 0, 1, 0, 0, 0, 0, nullptr, "A/B"};
  EXPECT_NE(std::string::npos, text_of(p).find("\fS!A/B!GWT"));
  std::string all;
  for (int ch = 33; ch <= 126; ++ch) all += char(ch);
  p.address = all.c_str();
  EXPECT_NE(std::string::npos, text_of(p).find("\fS\n" + all + "\nGWT"));
  const std::string longmsg(400, 'm');
  p = {0, 1, 0, 0, 0, 0, 0, 0, 0, longmsg.c_str(), nullptr};
  EXPECT_EQ(255u + 1, text_of(p).size());
}

struct LadCase {
  pmclad_t p;
  uint16_t reason;
};

TEST(LadderScreen, EachFaultHasItsReason) {
  const LadCase cases[] = {
      {{3, 1, 0, 0, 1, 0, 0, 0, 0, nullptr, nullptr}, 1},
      {{1, 1, 0, 0, 6, 0, 0, 0, 0, nullptr, nullptr}, 3},
      {{1, 1, 0, 0, 1, -5, 0, 0, 0, nullptr, nullptr}, 4},
      {{1, 1, 0, 0, 1, 0, 14, 0, 0, nullptr, nullptr}, 5},
      {{1, 1, 0, 0, 1, 0, 0, 0, -1, nullptr, nullptr}, 6},
      {{2, 1, 0, 0, 1, 0, 0, 0, 0, nullptr, "R1\t"}, 7},
      {{0, 9, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr}, 8},
      {{0, 1, 16, 0, 0, 0, 0, 0, 0, nullptr, nullptr}, 9},
  };
  for (const LadCase& c : cases) {
    try {
      text_of(c.p);
      ADD_FAILURE() << "reason " << c.reason;
    } catch (const ErrObj& e) {
      EXPECT_EQ(EW_SIZE, e.code);
      EXPECT_EQ(c.reason, e.detail);
    }
  }
}

class Ladder : public FakeTest {};

TEST_F(Ladder, SendsTheTextAndTheSecondRequestInOnePdu) {
  uint16_t h = open();
  fake.reply(1, 681, sim::RbReply());
  fake.reply(1, 230, sim::RbReply());
  pmclad_t p{1, 1, 0, 0, 1, 0, 5, 8, 7, nullptr, nullptr};
  ASSERT_EQ(EW_SUCCESS, cnc_pmclad_screen(h, &p));
  const std::string t = text_of(p);
  expectRequests({{681, 0, 0, 0, 0, std::vector<uint8_t>(t.begin(), t.end())}, {230, 3075}});
  fake.clear_received();
  LogTail log;
  EXPECT_EQ(EW_SIZE, cnc_pmclad_screen(h, nullptr));
  // Code 2 keeps no detail in the store; the error line carries the reason.
  EXPECT_TRUE(log.any("cnc_pmclad_screen(" + std::to_string(h) + " 0): 2 2 0"));
  EXPECT_TRUE(sent().empty());
}

// ---- single addresses ---------------------------------------------------------------

RbReply fourBytes() { return RbReply().bytes({0x81, 0x82, 0x83, 0x84}); }
std::vector<uint8_t> keepRelays(uint32_t from, size_t n) {
  std::vector<uint8_t> b(n);
  for (size_t i = 0; i < n; ++i) b[i] = uint8_t(from + i / 1432 * 1432);
  return b;
}

const Row kAddressRows[] = {
    // Values by width from the reply's first bytes.
    {"ReadUint32", {{32804, fourBytes(), kClassPmc}},
     OZ_DO(pmc_read_pmc_address_uint32(h, 0x05000064, a.out<uint32_t>())), 0,
     {pmcRb(32804, 0x05000064)}, {at(0, 0x81828384u)}},
    {"ReadUint16", {{32805, fourBytes(), kClassPmc}}, OZ_DO(pmc_read_pmc_address_uint16(h, 7, a.out<uint16_t>())), 0,
     {pmcRb(32805, 7)}, {at(0, uint16_t(0x8182))}},
    {"ReadUint8", {{32806, fourBytes(), kClassPmc}}, OZ_DO(pmc_read_pmc_address_uint8(h, 7, a.out<uint8_t>())), 0,
     {pmcRb(32806, 7)}, {at(0, uint8_t(0x81))}},
    {"ReadBit", {{32807, fourBytes(), kClassPmc}}, OZ_DO(pmc_read_pmc_address_bit(h, 7, a.out<uint8_t>())), 0,
     {pmcRb(32807, 7)}, {at(0, uint8_t(0x81))}},
    {"ReadVio", {{32816, fourBytes(), kClassPmc}}, OZ_DO(pmc_read_vio_address_uint32(h, 7, a.out<uint32_t>())), 0,
     {pmcRb(32816, 7)}, {at(0, 0x81828384u)}},
    {"Or", {{32813, fourBytes(), kClassPmc}}, OZ_DO(pmc_logical_or_pmc_address_uint8(h, 9, 0x0F, a.out<uint8_t>())), 0,
     {pmcRb(32813, 9, 0x0F)}, {at(0, uint8_t(0x81))}},
    {"XorVio", {{32826, fourBytes(), kClassPmc}},
     OZ_DO(pmc_logical_xor_vio_address_uint8(h, 9, 0xF0, a.out<uint8_t>())), 0,
     {pmcRb(32826, 9, 0xF0)}, {at(0, uint8_t(0x81))}},
    {"ToSync", {{32829, fourBytes(), kClassPmc}}, OZ_DO(pmc_convert_pmc_address_to_sync(h, 9, a.out<uint32_t>())), 0,
     {pmcRb(32829, 9)}, {at(0, 0x81828384u)}},
    {"WriteUint32", {{32809, RbReply(), kClassPmc}}, OZ_DO(pmc_write_pmc_address_uint32(h, 11, 0xDEADBEEF)), 0,
     {pmcRb(32809, 11, int32_t(0xDEADBEEF))}},
    {"WriteBit", {{32812, RbReply(), kClassPmc}}, OZ_DO(pmc_write_pmc_address_bit(h, 12, 1)), 0, {pmcRb(32812, 12, 1)}},
    {"WriteVioBit", {{32823, RbReply(), kClassPmc}}, OZ_DO(pmc_write_vio_address_bit(h, 13, 0)), 0, {pmcRb(32823, 13)}},
    // Questions answer in the result word, neither logged nor recorded.
    {"Effective", {{32798, RbReply(), kClassPmc}}, OZ_DO(pmc_is_effective_pmc_address(h, 1)), 0, {pmcRb(32798, 1)}},
    {"NotWritable", {{32799, RbReply::fail(5, 9, 9), kClassPmc}}, OZ_DO(pmc_is_writable_pmc_address(h, 1)), 5,
     {pmcRb(32799, 1)}},
    {"Permission", {{32848, RbReply::fail(17), kClassPmc}}, OZ_DO(pmc_check_permission(h, 1, 2, 3)), 17,
     {pmcRb(32848, 1, 2, 3)}},
    // The text goes with its terminator.
    {"Parse", {{32827, RbReply().u32(0x05000064).bytes({3}), kClassPmc}},
     [](uint16_t h, Arena& a) -> int16_t {
       auto* o = a.out<uint8_t>(5);
       return pmc_parse_string_into_pmc_address(h, "R100.3", reinterpret_cast<uint32_t*>(o), o + 4);
     },
     0, {pmcRb(32827, 0, 0, 0, 0, {'R', '1', '0', '0', '.', '3', 0})}, {at(0, 0x05000064u), at(4, uint8_t(3))}},
    {"ToVio", {{32802, RbReply().u32(1).u32(2), kClassPmc}},
     [](uint16_t h, Arena& a) -> int16_t {
       auto* o = a.outs<uint32_t>(2);
       return pmc_convert_address_pmc_to_vio(h, 0x05000064, o, o + 1);
     },
     0, {pmcRb(32802, 0x05000064)}, {at(0, 1u), at(4, 2u)}},
    // Timers from 1; no more types than asked for.
    {"TimerTypes", {{32842, RbReply().i16(1).i16(2).i16(3).i16(4), kClassPmc}},
     OZ_DO(pmc_get_timer_type(h, 5, 7, a.outs<int16_t>(4))),
     0, {pmcRb(32842, 5, 7)}, {at(0, int16_t(1)), at(2, int16_t(2)), at(4, int16_t(3))}},
    {"SetTimerTypes", {{32843, RbReply(), kClassPmc}},
     OZ_DO(pmc_set_timer_type(h, 5, 6, std::vector<int16_t>{1, 2}.data())), 0,
     {pmcRb(32843, 5, 6, 0, 0, {0, 1, 0, 2})}},
    {"TimerFromZero", {}, OZ_DO(pmc_get_timer_type(h, 0, 7, a.outs<int16_t>(8))), EW_RANGE, {}},
    {"TimerToZero", {}, OZ_DO(pmc_get_timer_type(h, 5, 0, a.outs<int16_t>(8))), EW_RANGE, {}},
    {"SetTimerBackwards", {}, OZ_DO(pmc_set_timer_type(h, 7, 5, a.outs<int16_t>(8))), EW_RANGE, {}},

    // Control data: at most 179 entries; the length covers them before sending.
    {"ControlDataLength", {}, OZ_DO(pmc_rdcntldata(h, 0, 300, 6 + 8 * 178, a.out<pmccntl_t>(6 + 8 * 179 + 8))),
     EW_SIZE, {}},
    {"ControlDataBackwards", {}, OZ_DO(pmc_rdcntldata(h, 5, 4, 100, a.out<pmccntl_t>(100))), EW_RANGE, {}},
    {"ControlData", {{32772, RbReply().i16(1).i16(2).i16(3).i16(4).i16(5).i16(6).i16(7).i16(8), kClassPmc}},
     OZ_DO(pmc_rdcntldata(h, 0, 300, 6 + 8 * 179, a.out<pmccntl_t>(6 + 8 * 179 + 8))), 0, {pmcRb(32772, 0, 178)},
     {at(0, int16_t(0)), at(4, int16_t(1)), at(6, std::array<int16_t, 8>{1, 2, 3, 4, 5, 6, 7, 8})}},
    // Keep relays in 1432-byte pieces.
    {"KeepRelays",
     {{32776, [](const RbRequest& q) { return RbReply().bytes(std::vector<uint8_t>(size_t(q.a2), uint8_t(q.a1))); },
                     kClassPmc}},
     OZ_DO(pmc_rdkpm2(h, 100, a.outs<uint8_t>(3001), 3000)), 0,
     {pmcRb(32776, 100, 1432), pmcRb(32776, 1532, 1432), pmcRb(32776, 2964, 136)}, {at(0, keepRelays(100, 3000))}},
    // Parameters: 1 to 1024 bytes, what came copied within the length.
    {"Parameters", {{32850, RbReply().bytes({1, 2, 3, 4, 5}), kClassPmc}},
     OZ_DO(pmc_rdpmcparam(h, a.inout<int16_t>(3), a.outs<uint8_t>(8))),
     0, {pmcRb(32850, 3)}, {at(0, std::vector<uint8_t>{1, 2, 3})}, 3},
    {"ParametersTooLong", {}, OZ_DO(pmc_rdpmcparam(h, a.inout<int16_t>(1025), a.outs<uint8_t>(8))), EW_SIZE, {}, {},
     1025},
    {"WriteParametersEmpty", {}, OZ_DO(pmc_wrpmcparam(h, 0, a.outs<uint8_t>(8))), EW_SIZE, {}},
};
OZ_ROWS(Address, kAddressRows);

class Questions : public FakeTest {};

TEST_F(Questions, NoIsAnAnswerNotAnError) {
  uint16_t h = open();
  fake.reply(2, 32799, RbReply::fail(5, 9, 9));
  LogTail log;
  EXPECT_EQ(5, pmc_is_writable_pmc_address(h, 1));
  EXPECT_EQ(0, rec(h).pmc_err.code);
  EXPECT_TRUE(log.lines().empty());
}

}  // namespace
}  // namespace oz::test
