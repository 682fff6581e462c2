// The simulated machine end to end: the library allocates handles on it over
// TCP and reads what its state holds.
#include <atomic>
#include <thread>

#include "core/frame.h"
#include "sim/machine.h"
#include "tests/raw_client.h"
#include "tests/support.h"
#include "base/be.h"

namespace oz::test {
namespace {

using sim::Machine;
using sim::MachineConfig;

MachineConfig config(uint16_t version, int paths) {
  MachineConfig c;
  c.version = version;
  c.paths = paths;
  return c;
}

uint16_t open_on(Machine& m, int32_t timeout = 2) {
  uint16_t h = 0;
  EXPECT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", m.port(), timeout, &h));
  return h;
}

int32_t feed(uint16_t h) {
  actf_t a{0, -1};
  EXPECT_EQ(EW_SUCCESS, cnc_actf(h, &a));
  return a.data;
}

// Command 37 has no export of this family; ask for it through the frame.
int32_t spindle(uint16_t h) {
  int32_t v = -1;
  EXPECT_EQ(EW_SUCCESS, call(h, "spindle", args(), [&](Call& c) { v = c.exchange(cnc(37)).i32(0); }));
  return v;
}

std::string sysinfo_text(const Handle& r, int path, size_t off, size_t n) {
  return std::string(reinterpret_cast<const char*>(r.sysinfo[path - 1].bytes) + off, n);
}

// ---- configuration as a handle sees it ---------------------------------------

struct ConfigRow {
  uint16_t version;
  int paths;
  uint32_t flags;   // the dialect and protocol flags allocation derives
};

class Configuration : public testing::TestWithParam<ConfigRow> {};

TEST_P(Configuration, HandleLearnsVersionPathsAxesAndSystemInformation) {
  const ConfigRow row = GetParam();
  Machine m(config(row.version, row.paths));
  const uint16_t h = open_on(m);
  Handle& r = *find_handle(h);
  const uint32_t dialect = kDialectCurrent | kOldProtocol | kDialectCompact | kDialectPacked |
                           kProtocol2 | kProtocol5;
  EXPECT_EQ(row.flags, r.flags & dialect);
  int16_t path = 0, max = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_getpath(h, &path, &max));
  EXPECT_EQ(1, path);
  EXPECT_EQ(row.paths, max);
  EXPECT_EQ(3, r.maxAxes());
  for (int p = 1; p <= row.paths; ++p) {
    ASSERT_EQ(EW_SUCCESS, cnc_setpath(h, int16_t(p)));
    EXPECT_EQ(3, r.pathAxes());
    EXPECT_EQ(" M", sysinfo_text(r, p, 6, 2));
    EXPECT_EQ("OZS" + std::to_string(p), sysinfo_text(r, p, 8, 4));   // series per path
    EXPECT_EQ("01.0", sysinfo_text(r, p, 12, 4));
    EXPECT_EQ(" 3", sysinfo_text(r, p, 16, 2));
  }
  EXPECT_EQ(EW_NOPATH, cnc_setpath(h, int16_t(row.paths + 1)));
  EXPECT_EQ(EW_SUCCESS, cnc_freelibhndl(h));
}

INSTANTIATE_TEST_SUITE_P(
    VersionsAndPaths, Configuration,
    testing::Values(ConfigRow{1, 1, kOldProtocol | kDialectCompact},
                    ConfigRow{2, 2, kOldProtocol | kDialectCompact | kProtocol2},
                    ConfigRow{3, 1, kDialectCurrent | kProtocol2},
                    ConfigRow{4, 2, kDialectCurrent | kProtocol2},
                    ConfigRow{5, 1, kDialectCurrent | kProtocol2 | kProtocol5},
                    ConfigRow{5, 2, kDialectCurrent | kProtocol2 | kProtocol5}),
    [](const testing::TestParamInfo<ConfigRow>& i) {
      return "Version" + std::to_string(i.param.version) + "Paths" + std::to_string(i.param.paths);
    });

TEST(MachineConfig, ControllerKindSelectsTheOldPackedDialect) {
  MachineConfig c = config(2, 1);
  c.kind = 2;
  Machine m(c);
  const uint16_t h = open_on(m);
  EXPECT_TRUE(find_handle(h)->has(kDialectPacked));
  EXPECT_FALSE(find_handle(h)->has(kDialectCompact));
}

TEST(MachineConfig, PathInformationIsConfigurable) {
  MachineConfig c = config(5, 2);
  c.path_info = {sim::PathInfo{" 1", " L", "TRN7", "02.5"}};   // path 2 keeps the defaults
  Machine m(c);
  const uint16_t h = open_on(m);
  const Handle& r = *find_handle(h);
  EXPECT_EQ(" 1 LTRN702.5 3", sysinfo_text(r, 1, 4, 14));
  EXPECT_EQ(" 0 MOZS201.0 3", sysinfo_text(r, 2, 4, 14));
}

TEST(MachineConfig, IdentificationStringReachesTheMachine) {
  Machine m;
  uint16_t h = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_allclibhndls("127.0.0.1", m.port(), "CELL7", 2, &h));
  EXPECT_EQ(std::vector<std::string>{"000CELL7"}, m.id_strings());
}

TEST(MachineConfig, FixedPortIsHonoured) {
  uint16_t free_port = 0;
  {
    Machine probe;   // a port that was free a moment ago
    free_port = probe.port();
  }
  MachineConfig c;
  c.port = free_port;
  Machine m(c);
  EXPECT_EQ(free_port, m.port());
  const uint16_t h = open_on(m);
  EXPECT_EQ(0, feed(h));
}

// ---- the running program -----------------------------------------------------

TEST(MachineMotion, FeedAndSpindleMoveOnlyWhileTheProgramRuns) {
  Machine m;
  const uint16_t h = open_on(m);
  EXPECT_FALSE(m.running(1));
  EXPECT_EQ(0, feed(h));
  EXPECT_EQ(0, spindle(h));
  m.start(1);
  EXPECT_TRUE(m.running(1));
  EXPECT_EQ(1200, feed(h));
  EXPECT_EQ(3000, spindle(h));
  {
    auto l = m.lock();
    m.motion(1).feed_cmd = 450;
  }
  EXPECT_EQ(450, feed(h));
  m.stop(1);
  EXPECT_EQ(0, feed(h));
  EXPECT_EQ(0, spindle(h));
}

TEST(MachineMotion, EachPathHasItsOwnProgram) {
  Machine m(config(5, 2));
  const uint16_t h = open_on(m);
  m.start(2);
  EXPECT_EQ(0, feed(h));
  ASSERT_EQ(EW_SUCCESS, cnc_setpath(h, 2));
  EXPECT_EQ(1200, feed(h));
  m.start_all();
  m.stop(2);
  EXPECT_EQ(0, feed(h));
  ASSERT_EQ(EW_SUCCESS, cnc_setpath(h, 1));
  EXPECT_EQ(1200, feed(h));
  m.stop_all();
  EXPECT_EQ(0, feed(h));
}

TEST(MachineMotion, AxesTravelAtTheFeedAlongTheLoop) {
  Machine m;
  m.start(1);
  auto l = m.lock();
  sim::PathMotion& p = m.motion(1);
  const int32_t x0 = p.machine[0];
  m.advance_ms(1000);                  // 1200 mm/min for one second: 20 mm
  EXPECT_EQ(x0 + 20000, p.machine[0]);
  EXPECT_EQ(0, p.machine[1]);
  m.advance_ms(3000);                  // past the first corner, up the Y side
  EXPECT_EQ(50000, p.machine[0]);
  EXPECT_EQ(x0 + 30000, p.machine[1]);
}

TEST(MachineMotion, SlowFeedStillMovesInSmallSteps) {
  Machine m;
  m.start(1);
  auto l = m.lock();
  sim::PathMotion& p = m.motion(1);
  p.feed_cmd = 1;                      // 0.001 mm per 60 ms
  const int32_t x0 = p.machine[0];
  for (int i = 0; i < 60; ++i) m.advance_ms(1);
  EXPECT_EQ(x0 + 1, p.machine[0]);
}

TEST(MachineMotion, StoppedPathDoesNotMove) {
  Machine m;
  auto l = m.lock();
  m.advance_ms(60000);
  EXPECT_EQ(std::vector<int32_t>(3, 0), m.motion(1).machine);
}

// ---- requests and clients --------------------------------------------------------

TEST(MachineRequests, TraceSeesEveryRequestAndUnknownCommandsGiveOne) {
  Machine m;
  std::vector<std::pair<uint16_t, int16_t>> seen;
  m.set_trace([&](const sim::RbRequest& q, const sim::RbReply& r) { seen.emplace_back(q.cmd, r.result); });
  const uint16_t h = open_on(m);
  feed(h);
  EXPECT_EQ(EW_UNAVAILABLE, call(h, "unknown", args(), [&](Call& c) { c.exchange(cnc(4000)); }));
  const std::vector<std::pair<uint16_t, int16_t>> want = {{24, 0}, {36, 0}, {4000, 1}};
  EXPECT_EQ(want, seen);
}

TEST(MachineClients, TwoThreadsOnTheirOwnPathsAtOnce) {
  Machine m(config(5, 2));
  m.start(2);
  std::atomic<int> wrong{0};
  auto client = [&](int path, int32_t want) {
    const uint16_t h = open_on(m);
    if (cnc_setpath(h, int16_t(path)) != EW_SUCCESS) ++wrong;
    for (int i = 0; i < 200; ++i) {
      actf_t a{};
      if (cnc_actf(h, &a) != EW_SUCCESS || a.data != want) ++wrong;
    }
    cnc_freelibhndl(h);
  };
  std::thread t1(client, 1, 0), t2(client, 2, 1200);
  t1.join();
  t2.join();
  EXPECT_EQ(0, wrong.load());
}

std::vector<uint8_t> feed_request() {
  std::vector<uint8_t> body(30, 0);
  be::put16(&body[0], 1);    // one RB
  be::put16(&body[2], 28);   // its size
  be::put16(&body[4], 1);    // class
  be::put16(&body[6], 1);    // path
  be::put16(&body[8], 36);   // command
  return sim::make_pdu(1, 33, 1, body);
}

TEST(MachineClients, ClientLeavingMidRequestDoesNotDisturbOthers) {
  Machine m;
  m.start(1);
  const uint16_t h = open_on(m);
  const auto init = sim::make_pdu(1, 1, 1, {0, 2});
  const auto ask = feed_request();
  {
    RawClient half(m.port());
    half.send(init);
    half.send(std::vector<uint8_t>(ask.begin(), ask.end() - 7));   // gone before the request is whole
  }
  {
    RawClient unread(m.port());
    unread.send(init);
    unread.send(ask);   // gone before the answer
  }
  for (int i = 0; i < 20; ++i) EXPECT_EQ(1200, feed(h));
  const uint16_t later = open_on(m);
  EXPECT_EQ(1200, feed(later));
}

}  // namespace
}  // namespace oz::test
