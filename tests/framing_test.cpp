// What a malformed, silent or closed reply does to a call: the exact code,
// detail and sub-detail, the log line, and whether the circuit survives.
#include "tests/support.h"

namespace oz::test {
namespace {

using sim::Fault;

struct FaultRow {
  const char* name;
  std::function<void(Fault&)> fault;
  int16_t code;
  uint16_t detail, sub;
  const char* line;   // log line prefix expected, {S} standing for sock2
  bool breaks;
};

void PrintTo(const FaultRow& r, std::ostream* os) { *os << r.name; }

class Framing : public FakeTest, public ::testing::WithParamInterface<FaultRow> {};

std::string withSock(std::string s, uint64_t sock) {
  auto at = s.find("{S}");
  if (at != std::string::npos) s.replace(at, 3, std::to_string(sock));
  return s;
}

TEST_P(Framing, ReplyFaults) {
  const FaultRow& row = GetParam();
  uint16_t h = open();
  const uint64_t sock2 = rec(h).circuit->sock2.number();
  fake.reply(1, 36, sim::RbReply().i32(1234));
  row.fault(fake.next(2).only(33));
  LogTail log;
  actf_t a{0, -1};
  EXPECT_EQ(row.code, cnc_actf(h, &a));
  if (row.code == 0) EXPECT_EQ(1234, a.data);
  if (row.code != 0) {
    EXPECT_EQ(int16_t(row.detail), detail(h).detail);
    EXPECT_EQ(int16_t(row.sub), detail(h).subdetail);
  }
  if (row.line) EXPECT_TRUE(log.hasPrefix(withSock(row.line, sock2))) << ::testing::PrintToString(log.lines());
  // The frame's own error line closes every failure.
  if (row.code != 0) EXPECT_TRUE(log.any("cnc_actf(" + std::to_string(h) + " "));
  EXPECT_EQ(row.breaks, rec(h).has(kBroken));
  a.data = 0;
  EXPECT_EQ(row.breaks ? EW_CIRCUIT : EW_SUCCESS, cnc_actf(h, &a));
}

const FaultRow kRows[] = {
    {"Ok", [](Fault&) {}, 0, 0, 0, nullptr, false},
    {"SplitReply", [](Fault& f) { f.split({3, 9, 5}, 20); }, 0, 0, 0, nullptr, false},
    {"BadMark", [](Fault& f) { f.bad_mark(0xA0A0A0A1); }, -17, 4, 0,
     "Error: recv(PDU header)({S}, 1, 33): PDU mark(0xA0A0A0A1) incorrect.", false},
    {"DirectionZero", [](Fault& f) { f.direction(0); }, -17, 6, 0,
     "Error: recv(PDU header)({S}, 1, 33): PDU direction(", false},
    {"DirectionFive", [](Fault& f) { f.direction(5); }, -17, 6, 0, nullptr, false},
    {"AboveMtu", [](Fault& f) { f.version(3).data_size(2911); }, -17, 7, 1,
     "Error: recv(PDU header)({S}, 1, 33): PDU data size(2911) is larger than MTU(2910).", false},
    {"Version5TakesIt", [](Fault& f) { f.version(5).data_size(2911); }, -17, 7, 5, nullptr, false},
    {"SizeBelowTwo", [](Fault& f) { f.data_size(1); }, -17, 7, 3,
     "Error: recv(PDU body)({S}, 1, 33): PDU data size(1) is less than 2", false},
    {"RbCountZero", [](Fault& f) { f.rb_count(0); }, -17, 3, 0,
     "Error: recv(PDU body)({S}, 1, 33): RB count(0) incorrect", false},
    {"RbSizesOver", [](Fault& f) { f.rb_size_delta(1); }, -17, 7, 4,
     "Error: recv(PDU body)({S}, 1, 33): sum of RB size(23) is larger than total(22)", false},
    {"RbSizesUnder", [](Fault& f) { f.rb_size_delta(-1); }, -17, 7, 5,
     "Error: recv(PDU body)({S}, 1, 33): sum of RB size(21) is smaller than total(22)", false},
    {"ErrorResponse", [](Fault& f) { f.error_response(5, 2, 7, 9); }, 5, 2, 7,
     "Error: recv(PDU body)({S}, 1, 33): type 33: dir 3: loc 9: code 5 2 7", false},
    {"OtherTypeFirst", [](Fault& f) { f.before(40, {1, 2, 3}); }, 0, 0, 0,
     "Error: recv(PDU header)({S}, 1, 33): PDU type mismatch: Req 33: Rsp 40", false},
    {"Closed", [](Fault& f) { f.close(); }, -16, 11, 2, "EOF: recv(socket)({S}, ", true},
    {"ClosedMidBody", [](Fault& f) { f.cut(14); }, -16, 11, 2, nullptr, true},
    {"SilentHeader", [](Fault& f) { f.silence(); }, -16, 9, 1, "Timeout: recv(PDU header)({S}, 1, 33)",
     true},
    {"SilentBody", [](Fault& f) { f.split({12}, 3000); }, -16, 9, 2,
     "Timeout-2: recv(PDU body)({S}, 1, 33)", true},
};

INSTANTIATE_TEST_SUITE_P(All, Framing, ::testing::ValuesIn(kRows),
                         [](const auto& i) { return std::string(i.param.name); });

class Breaking : public FakeTest {};

TEST_F(Breaking, ABrokenCircuitFailsEveryHandleOnItAtOnce) {
  uint16_t h1 = open(), h2 = open();
  sim::FakeController other;
  uint16_t h3 = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", other.port(), 1, &h3));
  other.reply(1, 36, sim::RbReply().i32(3));
  fake.next(2).only(33).close();
  actf_t a{};
  EXPECT_EQ(EW_CIRCUIT, cnc_actf(h1, &a));
  const size_t before = fake.received().size();
  LogTail log;
  EXPECT_EQ(EW_CIRCUIT, cnc_actf(h2, &a));
  EXPECT_EQ(10, detail(h2).detail);
  EXPECT_EQ(11, detail(h1).detail);   // the first -16 stays
  EXPECT_EQ(before, fake.received().size());
  EXPECT_TRUE(log.lines().empty());   // the short cut logs nothing
  EXPECT_EQ(EW_SUCCESS, cnc_actf(h3, &a));
  // A new handle reopens the circuit; the old ones stay broken.
  uint16_t h4 = open();
  fake.reply(1, 36, sim::RbReply().i32(4));
  EXPECT_EQ(EW_SUCCESS, cnc_actf(h4, &a));
  EXPECT_EQ(4, a.data);
  EXPECT_EQ(EW_CIRCUIT, cnc_actf(h1, &a));
  EXPECT_EQ(4, fake.connections_accepted());
  for (uint16_t h : {h1, h2, h3, h4}) EXPECT_EQ(EW_SUCCESS, cnc_freelibhndl(h));
}

TEST_F(Breaking, ResetConnectBreaksTheOtherThreadsHandlesToo) {
  uint16_t h1 = open();
  uint16_t h2 = 0;
  std::atomic<int> phase{0};
  std::thread t([&] {
    h2 = open();
    phase = 1;
    while (phase != 2) plat::sleep_ms(1);
    actf_t a{};
    EXPECT_EQ(EW_CIRCUIT, cnc_actf(h2, &a));
    cnc_freelibhndl(h2);
  });
  while (phase != 1) plat::sleep_ms(1);
  LogTail log;
  EXPECT_EQ(EW_SUCCESS, cnc_resetconnect(h1));
  EXPECT_TRUE(log.hasPrefix("Error: circuit was destoryed in another handle, IP = 127.0.0.1 port = " +
                            std::to_string(fake.port())));
  phase = 2;
  t.join();
  EXPECT_TRUE(rec(h1).has(kBroken));
}

TEST_F(Breaking, ZeroTimeoutWaitsForALateReply) {
  uint16_t h = open(0);
  fake.reply(1, 36, sim::RbReply().i32(77));
  fake.next(2).only(33).delay(2500);   // longer than the 1 s + slice a limit would allow
  actf_t a{};
  EXPECT_EQ(EW_SUCCESS, cnc_actf(h, &a));
  EXPECT_EQ(77, a.data);
}

}  // namespace
}  // namespace oz::test
