// The call frame end to end: requests on the wire, decoding into the caller's
// structure, error lines, multi-RB calls, threads sharing a circuit.
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <map>
#include <new>
#include <sstream>
#include <thread>

#include "core/listed.h"
#include "tests/support.h"
#include "core/exchange.h"

// Counts operator new calls made by this thread, to prove the request path
// allocates nothing.
static thread_local long t_allocs = 0;
void* operator new(size_t n) {
  ++t_allocs;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace oz::test {
namespace {

class Frame : public FakeTest {};

TEST_F(Frame, ActfSendsCommand36AndDecodesTheFeed) {
  uint16_t h = open();
  fake.reply(1, 36, sim::RbReply().i32(-123456));
  fake.clear_received();
  actf_t a{0x11111111, 0};
  ASSERT_EQ(EW_SUCCESS, cnc_actf(h, &a));
  EXPECT_EQ(-123456, a.data);
  EXPECT_EQ(0x11111111, a.reserved);   // offset 0 is not written
  auto r = fake.received();
  ASSERT_EQ(1u, r.size());
  const std::vector<uint8_t> want = {0xA0, 0xA0, 0xA0, 0xA0, 0, 1, 33, 1, 0, 30,   // header
                                     0, 1,                                         // one RB
                                     0, 28, 0, 1, 0, 1, 0, 36,                     // size class path cmd
                                     0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     0, 0, 0, 0};
  EXPECT_EQ(want, r[0].raw);
}

TEST_F(Frame, SuccessfulActfAllocatesNothing) {
  uint16_t h = open();
  fake.reply(1, 36, sim::RbReply().i32(5));
  actf_t a{};
  ASSERT_EQ(EW_SUCCESS, cnc_actf(h, &a));   // warm-up: first-use statics
  t_allocs = 0;
  for (int i = 0; i < 50; ++i) ASSERT_EQ(EW_SUCCESS, cnc_actf(h, &a));
  EXPECT_EQ(0, t_allocs);
}

TEST_F(Frame, ErrorLineNamesSocketFunctionHandleArgumentsAndError) {
  uint16_t h = open();
  fake.reply(1, 38, sim::RbReply::fail(3, 1, 2));
  LogTail log;
  axis_values_t v{};
  EXPECT_EQ(EW_KIND, cnc_rdmovrlap(h, 2, 100, &v));   // argument test: nothing sent
  std::ostringstream ptr;
  ptr << static_cast<const void*>(&v);
  const std::string s2 = std::to_string(rec(h).sock2Number());
  EXPECT_TRUE(log.has("Error: " + s2 + ": cnc_rdmovrlap(" + std::to_string(h) + " 2 100 " +
                      ptr.str() + "): 4 0 0"));
  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(3, cnc_rdmovrlap(h, -1, 100, &v));
  EXPECT_TRUE(log.has("Error: " + s2 + ": cnc_rdmovrlap(" + std::to_string(h) + " -1 100 " +
                      ptr.str() + "): 3 1 2"));
  // A call whose only logged argument is the handle.
  EXPECT_EQ(EW_RANGE, cnc_wrjogmdi(h, std::string(127, 'G').c_str()));
  EXPECT_TRUE(log.has("Error: " + s2 + ": cnc_wrjogmdi(" + std::to_string(h) + " ): 3 0 0"));
  // Level 0 writes nothing but still records.
  LogTail quiet;
  LogLevel lv(0);
  EXPECT_EQ(EW_RANGE, cnc_wrjogmdi(h, std::string(127, 'G').c_str()));
  EXPECT_TRUE(quiet.lines().empty());
}

TEST_F(Frame, TwoRbCallKeepsWhatTheFirstRbWrote) {
  uint16_t h = open();
  fake.reply(1, 38, sim::RbReply());
  fake.on(1, 38, [](const sim::RbRequest& q) {
    if (q.a1 == 12) return sim::RbReply::fail(6, 0, 0);
    return sim::RbReply().i32(10).i32(0).i32(20).i32(0).i32(30).i32(0);
  });
  axis_values_t v{};
  v.axis = 99;
  EXPECT_EQ(EW_NOFEATURE, cnc_rdmovrlap(h, -1, 4 + 8 * 3, &v));
  EXPECT_EQ(10, v.data[0]);
  EXPECT_EQ(30, v.data[2]);
  EXPECT_EQ(99, v.axis);   // written only after both RBs
  expectRequests({{38, 11, -1}, {38, 12, -1}});
  // Too short a length fails before sending.
  fake.clear_received();
  EXPECT_EQ(EW_SIZE, cnc_rdmovrlap(h, -1, 4 + 8 * 3 - 1, &v));
  EXPECT_TRUE(sent().empty());
}

TEST_F(Frame, ReplyLongerThanTheCallerAllowsIsCut) {
  uint16_t h = open();
  sim::RbReply many;
  for (int i = 0; i < 40; ++i) many.i32(i + 1).i32(0);
  fake.reply(1, 38, many);
  axis_values_t v;
  sentinel(v);
  EXPECT_EQ(EW_SUCCESS, cnc_rdmovrlap(h, -1, int16_t(4 + 8 * 3), &v));
  // Three axes per RB: six values, nothing past the length.
  expectStored(&v, sizeof v, {at(2, int16_t(-1)), at(4, std::array<int32_t, 6>{1, 2, 3, 1, 2, 3})});
}

TEST_F(Frame, ShortReplyDataIsASizeError) {
  uint16_t h = open();
  fake.reply(1, 36, sim::RbReply().i16(1));   // two bytes where four are read
  actf_t a{0, 42};
  EXPECT_EQ(EW_SIZE, cnc_actf(h, &a));
  EXPECT_EQ(42, a.data);
}

TEST_F(Frame, JogMdiSendsTheTextWithoutTerminator) {
  uint16_t h = open();
  fake.reply(1, 408, sim::RbReply());
  const std::string t(126, 'X');
  EXPECT_EQ(EW_SUCCESS, cnc_wrjogmdi(h, t.c_str()));
  expectRequests({{408, 0, 0, 0, 0, std::vector<uint8_t>(t.begin(), t.end())}});
}

TEST_F(Frame, TwoThreadsOnOneCircuitEachGetTheirOwnReply) {
  sim::FakeController two(sim::FakeConfig::standard(5, 2));
  std::atomic<int> counter{0};
  two.on(1, 36, [&](const sim::RbRequest& q) {
    return sim::RbReply().i32(q.path * 1000000 + (++counter % 1000));
  });
  auto worker = [&](int16_t path) {
    uint16_t h = 0;
    ASSERT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", two.port(), 2, &h));
    ASSERT_EQ(EW_SUCCESS, cnc_setpath(h, path));
    for (int i = 0; i < 300; ++i) {
      actf_t a{};
      ASSERT_EQ(EW_SUCCESS, cnc_actf(h, &a));
      ASSERT_EQ(path, a.data / 1000000);
    }
    cnc_freelibhndl(h);
  };
  std::thread t1(worker, 1), t2(worker, 2);
  t1.join();
  t2.join();
  EXPECT_EQ(2, two.connections_accepted());
}

// ---- the sock1 exchange: aborts, limits, and the end requests ---------------------

class Sock1 : public FakeTest {
 protected:
  void exchange(uint16_t h, uint8_t type) {
    PDU pdu;
    initPDU(pdu);
    exchangePDU(rec(h), pdu, type);
  }
};

TEST_F(Sock1, AbortDuringAnEndRequestRaisesItsError) {
  uint16_t h = open();
  fake.on_pdu(27, [](sim::Conn& c, const sim::ReceivedPdu&) {
    c.send(28, 4, {0, 0, 0xFF, 0xFE, 0, 4, 0, 5});   // code -2, detail 4, sub 5
  });
  LogTail log;
  try {
    exchange(h, 27);
    ADD_FAILURE();
  } catch (const ErrObj& e) {
    EXPECT_EQ(-2, e.code);
    EXPECT_EQ(4, e.detail);
    EXPECT_EQ(5, e.sub);
  }
  EXPECT_EQ(-2, rec(h).abort_err.code);
  EXPECT_FALSE(rec(h).has(kBroken));
  EXPECT_TRUE(log.has("Error: " + std::to_string(rec(h).circuit->sock1.number()) +
                      ": Receive abort packet in request: 27: 28"));
}

TEST_F(Sock1, NoMatchingReplyBreaksTheCircuit) {
  uint16_t h = open();
  uint16_t other = open();
  fake.on_pdu(21, [](sim::Conn&, const sim::ReceivedPdu&) {});   // never answered
  LogTail log;
  try {
    exchange(h, 21);
    ADD_FAILURE();
  } catch (const ErrObj& e) {
    EXPECT_EQ(EW_CIRCUIT, e.code);
    EXPECT_EQ(9, e.detail);
    EXPECT_EQ(3, e.sub);
  }
  EXPECT_TRUE(log.hasPrefix("Timeout error: "));
  actf_t a;
  EXPECT_EQ(EW_CIRCUIT, cnc_actf(other, &a));
  EXPECT_EQ(10, detail(other).detail);
}

TEST_F(Sock1, EndRequestLetsOtherHandlesThrough) {
  uint16_t h = open();
  std::atomic<bool> done{false};
  fake.on_pdu(27, [](sim::Conn&, const sim::ReceivedPdu&) {});   // answered later
  fake.reply(1, 36, sim::RbReply().i32(9));
  std::thread t([&] {
    uint16_t g = open();
    actf_t a{};
    for (int i = 0; i < 20; ++i) EXPECT_EQ(EW_SUCCESS, cnc_actf(g, &a));
    done = true;
    fake.send_to(1, 27, 2, {});
    cnc_freelibhndl(g);
  });
  exchange(h, 27);   // returns once the end reply arrives, after the other thread's work
  EXPECT_TRUE(done);
  t.join();
}

TEST_F(Sock1, EndRequestGivesUpWhenTheCircuitBreaksMeanwhile) {
  uint16_t h = open();
  fake.on_pdu(27, [](sim::Conn&, const sim::ReceivedPdu&) {});   // never answered
  std::thread t([&] {
    uint16_t g = open();
    plat::sleep_ms(50);
    EXPECT_EQ(EW_SUCCESS, cnc_resetconnect(g));
    cnc_freelibhndl(g);
  });
  try {
    exchange(h, 27);   // waits without limit until the circuit is gone
    ADD_FAILURE();
  } catch (const ErrObj& e) {
    EXPECT_EQ(EW_CIRCUIT, e.code);
    EXPECT_EQ(10, e.detail);
  }
  t.join();
}

// A handle's exchange that was in flight when another thread broke the
// circuit fails afterwards, maybe after a new handle has opened the circuit
// again: that late failure must not close the new connections.
TEST_F(Sock1, ALateFailureOfABrokenHandleLeavesTheReopenedCircuitAlone) {
  uint16_t late = open(), other = open();
  ASSERT_EQ(EW_SUCCESS, cnc_resetconnect(other));
  fake.reply(1, 36, sim::RbReply().i32(9));
  uint16_t fresh = open();
  breakCircuit(*find_handle(late));   // what the exchange does on its -16
  actf_t a{};
  EXPECT_EQ(EW_SUCCESS, cnc_actf(fresh, &a));
  EXPECT_EQ(9, a.data);
  EXPECT_EQ(EW_CIRCUIT, cnc_actf(late, &a));
  for (uint16_t h : {late, other, fresh}) cnc_freelibhndl(h);
}

// ---- rows of single-request exports ------------------------------------------------

struct GoldenRow {
  uint16_t cls;
  std::vector<uint16_t> cmds;
  std::string shape;
  int nargs;
};

// tests/listed_rows.golden: what each row must put on the wire, kept apart
// from the rows so that an edit of a row shows as a difference here.
std::map<std::string, GoldenRow> golden() {
  std::ifstream in(OZ_SOURCE_DIR "/tests/listed_rows.golden");
  std::map<std::string, GoldenRow> out;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream f(line);
    std::string name, cmds;
    GoldenRow g;
    f >> name >> g.cls >> cmds >> g.shape >> g.nargs;
    std::istringstream c(cmds);
    for (std::string n; std::getline(c, n, ',');) g.cmds.push_back(uint16_t(std::stoi(n)));
    out[name] = g;
  }
  return out;
}

// OZ_WRITE_GOLDEN=FILE writes the rows as they are, in the golden table's
// form, for a reviewed update of the table when a family adds rows.
TEST(ListedRows, WriteGoldenOnRequest) {
  const char* path = std::getenv("OZ_WRITE_GOLDEN");
  if (!path) GTEST_SKIP() << "OZ_WRITE_GOLDEN not set";
  std::ofstream out(path);
  for (const ListedRow* row : listed_rows()) {
    std::string cmds;
    for (uint8_t i = 0; i < row->ncmds; ++i) cmds += (i ? "," : "") + std::to_string(row->cmds[i]);
    char line[160];
    std::snprintf(line, sizeof line, "%-37s %u  %-16s %-6s %u\n", row->name, unsigned(row->cls), cmds.c_str(),
                  row->shape == Listed::Read ? "Read" : row->shape == Listed::Write ? "Write" : "Action",
                  unsigned(row->nargs));
    out << line;
  }
}

TEST_F(Frame, EveryListedRowSendsWhatTheGoldenTableSays) {
  const auto want = golden();
  ASSERT_EQ(want.size(), listed_rows().size()) << "rows in the golden table and in the library";
  uint16_t h = open();
  fake.on_other_rb([](const sim::RbRequest& q) { return sim::RbReply().u16(q.cmd).u16(0xBEEF); });
  for (const ListedRow* row : listed_rows()) {
    SCOPED_TRACE(row->name);
    auto it = want.find(row->name);
    ASSERT_NE(want.end(), it) << "not in tests/listed_rows.golden";
    const GoldenRow& g = it->second;
    EXPECT_EQ(g.shape, row->shape == Listed::Read ? "Read" : row->shape == Listed::Write ? "Write" : "Action");
    fake.clear_received();
    const int32_t a[4] = {11, -2, 33, 44};
    uint8_t buf[8];
    std::memset(buf, 0xCC, sizeof buf);
    int16_t len = 6;   // room for one RB's four bytes and half of the next
    ASSERT_EQ(EW_SUCCESS, row->invoke(h, a, &len, buf));
    std::vector<Req> want;
    for (size_t i = 0; i < g.cmds.size(); ++i) {
      Req r{g.cmds[i]};
      r.cls = g.cls;
      int32_t* arg[4] = {&r.a1, &r.a2, &r.a3, &r.a4};
      for (int k = 0; k < g.nargs; ++k) *arg[k] = a[k];
      if (g.shape == "Write" && i + 1 == g.cmds.size()) r.data.assign(6, 0xCC);
      want.push_back(r);
    }
    expectRequests(want);
    if (g.shape == "Read") {
      EXPECT_EQ(std::min<size_t>(6, 4 * g.cmds.size()), size_t(len));
      EXPECT_EQ(g.cmds[0], be::get16(buf));
      EXPECT_EQ(0xCC, buf[6]);
    }
  }
}

}  // namespace
}  // namespace oz::test
