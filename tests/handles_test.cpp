// Handles: numbering, ownership, settings, and the two error stores.
#include <thread>

#include "tests/support.h"

namespace oz::test {
namespace {

class Handles : public FakeTest {};

TEST_F(Handles, NumbersGoInAllocationOrderAndSkipThoseInUse) {
  uint16_t a = open(), b = open();
  EXPECT_EQ(0x8001, a);
  EXPECT_EQ(0x8002, b);
  EXPECT_EQ(EW_SUCCESS, cnc_freelibhndl(a));
  EXPECT_EQ(0x8003, open());   // not the freed 0x8001
  EXPECT_EQ(EW_BADHANDLE, cnc_freelibhndl(a));
  // Both handles share one circuit: two connections in all.
  EXPECT_EQ(2, fake.connections_accepted());
}

TEST_F(Handles, PoolOf1024WrapsAndRunsDry) {
  std::vector<uint16_t> hs;
  for (int i = 0; i < 1024; ++i) hs.push_back(open());
  EXPECT_EQ(0x8001, hs.front());
  EXPECT_EQ(0x8400, hs.back());
  LogTail log;
  uint16_t h = 0xBEEF;
  EXPECT_EQ(EW_BADHANDLE, cnc_allclibhndl3("127.0.0.1", fake.port(), 1, &h));
  EXPECT_EQ(0xBEEF, h);
  EXPECT_TRUE(log.has("Error: The handle pool was empty."));
  // After the counter passed 0x8400 it starts again at 0x8001, skipping numbers in use.
  EXPECT_EQ(EW_SUCCESS, cnc_freelibhndl(0x8005));
  EXPECT_EQ(EW_SUCCESS, cnc_freelibhndl(0x8002));
  EXPECT_EQ(0x8002, open());
  EXPECT_EQ(0x8005, open());
  for (uint16_t x : hs) cnc_freelibhndl(x);
}

TEST_F(Handles, AnotherThreadsHandleIsInvalidEverywhere) {
  uint16_t h = open();
  LogTail log;
  std::thread([&] {
    actf_t a{};
    dtailerr_t d{};
    int16_t p, m;
    EXPECT_EQ(EW_BADHANDLE, cnc_actf(h, &a));
    EXPECT_EQ(EW_BADHANDLE, cnc_getdtailerr(h, &d));
    EXPECT_EQ(EW_BADHANDLE, cnc_setpath(h, 1));
    EXPECT_EQ(EW_BADHANDLE, cnc_getpath(h, &p, &m));
    EXPECT_EQ(EW_BADHANDLE, cnc_settimeout(h, 3));
    EXPECT_EQ(EW_BADHANDLE, cnc_resetconnect(h));
    EXPECT_EQ(EW_BADHANDLE, cnc_freelibhndl(h));
  }).join();
  EXPECT_TRUE(log.lines().empty());
  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(EW_SUCCESS, cnc_freelibhndl(h));
}

TEST_F(Handles, ThreadEndFreesItsHandlesAndClosesTheCircuit) {
  uint16_t h = 0;
  std::thread([&] { h = open(); }).join();
  EXPECT_EQ(nullptr, find_handle(h));
  // The last user closed the circuit: a close PDU on each socket.
  int closes = 0;
  for (auto& p : fake.received()) closes += p.type == 2;
  EXPECT_EQ(2, closes);
}

TEST_F(Handles, SettingsAreKeptPerHandle) {
  uint16_t h = open(), g = open();
  uint16_t t = 9;
  EXPECT_EQ(EW_SUCCESS, cnc_setmactype(h, 5));
  EXPECT_EQ(EW_SUCCESS, cnc_getmactype(h, &t));
  EXPECT_EQ(1, t);
  EXPECT_EQ(EW_SUCCESS, cnc_getmactype(g, &t));
  EXPECT_EQ(0, t);
  EXPECT_EQ(EW_SUCCESS, cnc_setpmactype(h, 1));
  EXPECT_EQ(EW_SUCCESS, cnc_getpmactype(h, &t));
  EXPECT_EQ(1, t);
  EXPECT_EQ(kMacBinary | kPmacBinary, rec(h).flags & (kMacBinary | kPmacBinary));
  EXPECT_EQ(EW_SUCCESS, cnc_setmactype(h, 0));
  EXPECT_EQ(EW_SUCCESS, cnc_getmactype(h, &t));
  EXPECT_EQ(0, t);
  EXPECT_EQ(EW_SUCCESS, cnc_settimeout(h, -3));
  EXPECT_EQ(-3, rec(h).timeout);
  EXPECT_EQ(1, rec(g).timeout);
}

class TwoPaths : public FakeTest {
 protected:
  TwoPaths() : FakeTest(sim::FakeConfig::standard(5, 2)) {}
};

TEST_F(TwoPaths, SetPathTestsTheConfigurationAndTheTransfers) {
  uint16_t h = open();
  int16_t p = 0, m = 0;
  LogTail log;
  LogLevel lv(4);
  EXPECT_EQ(EW_SUCCESS, cnc_setpath(h, 2));
  EXPECT_TRUE(log.has("Set path: current path = 2"));
  EXPECT_EQ(EW_SUCCESS, cnc_setpath(h, 0));   // below 1 means 1
  EXPECT_EQ(EW_SUCCESS, cnc_getpath(h, &p, &m));
  EXPECT_EQ(1, p);
  EXPECT_EQ(2, m);
  EXPECT_EQ(EW_NOPATH, cnc_setpath(h, 3));     // no CNC on path 3
  EXPECT_EQ(EW_NOPATH, cnc_setpath(h, 16));
  EXPECT_TRUE(log.has("Error: cannot change path to 16: no CNC."));
  rec(h).flags |= kUploadOpen;
  EXPECT_EQ(EW_INUSE, cnc_setpath(h, 2));
  EXPECT_TRUE(log.has("Error: cannot change path to 2: file requesting."));
  EXPECT_EQ(1, rec(h).path);
  rec(h).flags &= ~kUploadOpen;
  // Nothing of this went to the controller.
  EXPECT_TRUE(sent().empty());
  // The request RBs carry the current path.
  fake.reply(1, 36, sim::RbReply().i32(7));
  actf_t a{};
  EXPECT_EQ(EW_SUCCESS, cnc_setpath(h, 2));
  EXPECT_EQ(EW_SUCCESS, cnc_actf(h, &a));
  expectRequests({{36, 0, 0, 0, 0, {}, kClassCnc, 2}});
}

TEST_F(Handles, GetPathReportsTheRangeWhenThereIsOne) {
  uint16_t h = open();
  int16_t p, m;
  rec(h).config.setWord(30, 3);   // three paths in the range
  rec(h).config.setWord(32, 2);   // starting at path 2
  EXPECT_EQ(EW_SUCCESS, cnc_getpath(h, &p, &m));
  EXPECT_EQ(4, m);
}

// The recording rules, told as rows: what the stores hold after each error.
struct RecordRow {
  int16_t code;
  uint16_t detail, sub, cls;
  ErrStore cnc, pmc;
};

TEST(ErrorStores, RecordingRules) {
  Handle h(0x8001, 0);
  const RecordRow rows[] = {
      {5, 2, 7, 1, {5, 2, 7}, {0, 0, 0}},        // detail-bearing in the CNC store
      {2, 9, 9, 1, {2, 2, 7}, {0, 0, 0}},        // not detail-bearing: details stay
      {5, 3, 4, 2, {2, 2, 7}, {5, 3, 4}},        // class 2 goes to the PMC store only
      {6, 1, 1, 2, {2, 2, 7}, {6, 3, 4}},        // 6 bears a detail for CNC, not PMC
      {18, 8, 8, 2, {2, 2, 7}, {18, 8, 8}},
      {-17, 7, 5, 2, {-17, 7, 5}, {-17, 7, 5}},  // framing errors go to both
      {-16, 9, 1, 1, {-16, 9, 1}, {-16, 9, 1}},
      {-16, 10, 0, 1, {-16, 9, 1}, {-16, 9, 1}}, // the first broken-circuit error stays
      {3, 1, 1, 1, {-16, 9, 1}, {-16, 9, 1}},
  };
  for (const auto& r : rows) {
    record_error(h, r.code, r.detail, r.sub, r.cls);
    SCOPED_TRACE(r.code);
    EXPECT_EQ(r.cnc.code, h.cnc_err.code);
    EXPECT_EQ(r.cnc.detail, h.cnc_err.detail);
    EXPECT_EQ(r.cnc.sub, h.cnc_err.sub);
    EXPECT_EQ(r.pmc.code, h.pmc_err.code);
    EXPECT_EQ(r.pmc.detail, h.pmc_err.detail);
    EXPECT_EQ(r.pmc.sub, h.pmc_err.sub);
  }
}

TEST(ErrorStores, AbortAndStoreRaising) {
  Handle h(0x8001, 0);
  save_abort_error(h, ErrObj(-2, 4, 5, 1));
  EXPECT_EQ(-2, h.abort_err.code);
  EXPECT_EQ(-2, h.cnc_err.code);
  try {
    raise_saved_abort(h);
  } catch (const ErrObj& e) {
    EXPECT_EQ(-2, e.code);
    EXPECT_EQ(4, e.detail);
    EXPECT_EQ(5, e.sub);
    EXPECT_EQ(1, e.cls);
  }
  record_error(h, 8, 1, 2, 2);
  try {
    raise_from_store(h, 2);
  } catch (const ErrObj& e) {
    EXPECT_EQ(8, e.code);
    EXPECT_EQ(2, e.cls);
  }
}

TEST_F(Handles, PmcErrorsGoToThePmcStore) {
  uint16_t h = open();
  EXPECT_EQ(0, detail(h).detail);
  fake.reply(1, 36, sim::RbReply::fail(5, 6, 7));
  actf_t a{};
  EXPECT_EQ(5, cnc_actf(h, &a));
  dtailerr_t d{};
  EXPECT_EQ(EW_SUCCESS, pmc_getdtailerr(h, &d));
  EXPECT_EQ(0, d.detail);
  EXPECT_EQ(6, detail(h).detail);
  EXPECT_EQ(7, detail(h).subdetail);
  // A code the library never makes passes through and leaves the details.
  fake.reply(1, 36, sim::RbReply::fail(12, 1, 1));
  EXPECT_EQ(12, cnc_actf(h, &a));
  EXPECT_EQ(6, detail(h).detail);
}

// The names tools print, as users read them; a code nobody defined has none.
TEST(ResultNames, AsPrinted) {
  EXPECT_STREQ("EW_CIRCUIT", result_name(-16));
  EXPECT_STREQ("EW_BUFFER", result_name(10));
  EXPECT_STREQ("EW_SUCCESS", result_name(0));
  EXPECT_EQ(nullptr, result_name(12));
}

}  // namespace
}  // namespace oz::test
