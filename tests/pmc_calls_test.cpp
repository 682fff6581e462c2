// Alarm messages, the ladder screen and single-address calls.
#include <cstring>

#include "api/pmc/alarm_msgs.h"
#include "tests/support.h"

std::string oz_pmclad_command(const pmclad_t* prm);

namespace oz::test {
namespace {

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
    std::memset(m.data(), 0xEE, m.size() * sizeof m[0]);
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
  auto q = sent();
  ASSERT_EQ(4u, q.size());   // two RBs in one PDU per call
  EXPECT_EQ((std::vector<int32_t>{9038, 9092, 5, 0}),
            (std::vector<int32_t>{q[0].a1, q[0].a2, q[0].a3, q[0].a4}));
  EXPECT_EQ(9118, q[1].a1);
  EXPECT_EQ(9118, q[1].a2);
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
  auto q = sent();
  ASSERT_EQ(3u, q.size());
  EXPECT_EQ((std::vector<int32_t>{4, 11, 15, 11, 26, 8}),
            (std::vector<int32_t>{q[0].a1, q[0].a2, q[1].a1, q[1].a2, q[2].a1, q[2].a2}));
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
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(text_of(p), std::string(q[0].data.begin(), q[0].data.end()));
  EXPECT_EQ(230, q[1].cmd);
  EXPECT_EQ(3075, q[1].a1);
  fake.clear_received();
  LogTail log;
  EXPECT_EQ(EW_SIZE, cnc_pmclad_screen(h, nullptr));
  // Code 2 keeps no detail in the store; the error line carries the reason.
  EXPECT_TRUE(log.any("cnc_pmclad_screen(" + std::to_string(h) + " 0): 2 2 0"));
  EXPECT_TRUE(sent().empty());
}

// ---- single addresses ---------------------------------------------------------------

class Address : public FakeTest {};

TEST_F(Address, ReadsWritesAndLogicalOpsByWidth) {
  uint16_t h = open();
  for (uint16_t cmd : {32804, 32805, 32806, 32807, 32816, 32813, 32826, 32829})
    fake.reply(2, cmd, sim::RbReply().bytes({0x81, 0x82, 0x83, 0x84}));
  for (uint16_t cmd : {32809, 32812, 32823}) fake.reply(2, cmd, sim::RbReply());
  uint32_t v32 = 0;
  uint16_t v16 = 0;
  uint8_t v8 = 0, bit = 0, r = 0;
  ASSERT_EQ(EW_SUCCESS, pmc_read_pmc_address_uint32(h, 0x05000064, &v32));
  ASSERT_EQ(EW_SUCCESS, pmc_read_pmc_address_uint16(h, 7, &v16));
  ASSERT_EQ(EW_SUCCESS, pmc_read_pmc_address_uint8(h, 7, &v8));
  ASSERT_EQ(EW_SUCCESS, pmc_read_pmc_address_bit(h, 7, &bit));
  EXPECT_EQ(0x81828384u, v32);
  EXPECT_EQ(0x8182, v16);
  EXPECT_EQ(0x81, v8);
  EXPECT_EQ(0x81, bit);
  ASSERT_EQ(EW_SUCCESS, pmc_read_vio_address_uint32(h, 7, &v32));
  ASSERT_EQ(EW_SUCCESS, pmc_logical_or_pmc_address_uint8(h, 9, 0x0F, &r));
  ASSERT_EQ(EW_SUCCESS, pmc_logical_xor_vio_address_uint8(h, 9, 0xF0, &r));
  EXPECT_EQ(0x81, r);
  ASSERT_EQ(EW_SUCCESS, pmc_convert_pmc_address_to_sync(h, 9, &v32));
  ASSERT_EQ(EW_SUCCESS, pmc_write_pmc_address_uint32(h, 11, 0xDEADBEEF));
  ASSERT_EQ(EW_SUCCESS, pmc_write_pmc_address_bit(h, 12, 1));
  ASSERT_EQ(EW_SUCCESS, pmc_write_vio_address_bit(h, 13, 0));
  auto q = sent();
  ASSERT_EQ(11u, q.size());
  EXPECT_EQ(0x05000064, q[0].a1);
  EXPECT_EQ(2, q[0].cls);
  EXPECT_EQ(32813, q[5].cmd);
  EXPECT_EQ(0x0F, q[5].a2);
  EXPECT_EQ(int32_t(0xDEADBEEF), q[8].a2);
  EXPECT_EQ(11, q[8].a1);
  EXPECT_EQ(32823, q[10].cmd);
}

TEST_F(Address, QuestionsAnswerInTheResultWithoutRecording) {
  uint16_t h = open();
  fake.reply(2, 32798, sim::RbReply());
  fake.reply(2, 32799, sim::RbReply::fail(5, 9, 9));
  fake.reply(2, 32848, sim::RbReply::fail(17));
  EXPECT_EQ(0, pmc_is_effective_pmc_address(h, 1));
  EXPECT_EQ(5, pmc_is_writable_pmc_address(h, 1));
  EXPECT_EQ(17, pmc_check_permission(h, 1, 2, 3));
  EXPECT_EQ(0, rec(h).pmc_err.code);
  EXPECT_EQ(3, sent()[2].a3);
}

TEST_F(Address, ParseConvertAndTimerTypes) {
  uint16_t h = open();
  fake.reply(2, 32827, sim::RbReply().u32(0x05000064).bytes({3}));
  fake.reply(2, 32802, sim::RbReply().u32(1).u32(2));
  fake.reply(2, 32842, sim::RbReply().i16(1).i16(2).i16(3).i16(4));
  fake.reply(2, 32843, sim::RbReply());
  uint32_t a = 0, b = 0;
  uint8_t x = 0;
  ASSERT_EQ(EW_SUCCESS, pmc_parse_string_into_pmc_address(h, "R100.3", &a, &x));
  EXPECT_EQ(0x05000064u, a);
  EXPECT_EQ(3, x);
  ASSERT_EQ(EW_SUCCESS, pmc_convert_address_pmc_to_vio(h, a, &a, &b));
  EXPECT_EQ(1u, a);
  EXPECT_EQ(2u, b);
  int16_t types[4] = {-1, -1, -1, -1};
  ASSERT_EQ(EW_SUCCESS, pmc_get_timer_type(h, 5, 7, types));
  EXPECT_EQ((std::vector<int16_t>{1, 2, 3, -1}), std::vector<int16_t>(types, types + 4));
  ASSERT_EQ(EW_SUCCESS, pmc_set_timer_type(h, 5, 6, types));
  auto q = sent();
  EXPECT_EQ(std::vector<uint8_t>({'R', '1', '0', '0', '.', '3', 0}), q[0].data);
  EXPECT_EQ(0, q[0].a1);
  EXPECT_EQ((std::vector<uint8_t>{0, 1, 0, 2}), q[3].data);
  fake.clear_received();
  EXPECT_EQ(EW_RANGE, pmc_get_timer_type(h, 0, 7, types));
  EXPECT_EQ(EW_RANGE, pmc_get_timer_type(h, 5, 0, types));
  EXPECT_EQ(EW_RANGE, pmc_set_timer_type(h, 7, 5, types));
  EXPECT_TRUE(sent().empty());
}

TEST_F(Address, ControlDataKeepRelaysAndParameters) {
  uint16_t h = open();
  fake.reply(2, 32772, sim::RbReply().i16(1).i16(2).i16(3).i16(4).i16(5).i16(6).i16(7).i16(8));
  fake.on(2, 32776, [](const sim::RbRequest& q) {
    return sim::RbReply().bytes(std::vector<uint8_t>(size_t(q.a2), uint8_t(q.a1)));
  });
  fake.reply(2, 32850, sim::RbReply().bytes({1, 2, 3, 4, 5}));
  std::vector<uint8_t> raw(6 + 8 * 179 + 8, 0xEE);
  auto* cd = reinterpret_cast<pmccntl_t*>(raw.data());
  EXPECT_EQ(EW_SIZE, pmc_rdcntldata(h, 0, 300, 6 + 8 * 178, cd));
  EXPECT_EQ(EW_RANGE, pmc_rdcntldata(h, 5, 4, 100, cd));
  ASSERT_EQ(EW_SUCCESS, pmc_rdcntldata(h, 0, 300, 6 + 8 * 179, cd));
  EXPECT_EQ(178, sent()[0].a2);
  EXPECT_EQ(0, cd->datano_s);
  EXPECT_EQ(1, cd->datano_e);
  EXPECT_EQ(8, cd->info[1].w[3]);
  EXPECT_EQ(0xEE, raw[6 + 16]);
  fake.clear_received();
  std::vector<uint8_t> kpm(3000, 0);
  ASSERT_EQ(EW_SUCCESS, pmc_rdkpm2(h, 100, kpm.data(), 3000));
  auto q = sent();
  ASSERT_EQ(3u, q.size());
  EXPECT_EQ((std::vector<int32_t>{100, 1432, 1532, 1432, 2964, 136}),
            (std::vector<int32_t>{q[0].a1, q[0].a2, q[1].a1, q[1].a2, q[2].a1, q[2].a2}));
  EXPECT_EQ(uint8_t(2964), kpm[2999]);
  int16_t len = 3;
  uint8_t prm[8] = {};
  ASSERT_EQ(EW_SUCCESS, pmc_rdpmcparam(h, &len, prm));
  EXPECT_EQ(3, len);
  EXPECT_EQ(0, prm[3]);
  len = 1025;
  EXPECT_EQ(EW_SIZE, pmc_rdpmcparam(h, &len, prm));
  EXPECT_EQ(EW_SIZE, pmc_wrpmcparam(h, 0, prm));
}

}  // namespace
}  // namespace oz::test
