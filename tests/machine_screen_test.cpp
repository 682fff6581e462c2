// The screen display calls against the display stand-in, and the machine-data
// file, print-status and library-option requests against the fake controller.
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

#include "base/pc_programs.h"
#include "sim/msg_server.h"
#include "tests/support.h"

namespace oz::test {
namespace {

using sim::RbReply;

void own_scope() {
  static const bool done = [] {
    plat::set_env("OZLIB_IPC_SCOPE", ("oztest" + std::to_string(plat::process_id())).c_str());
    return true;
  }();
  (void)done;
}

uint32_t loopback() { return plat::inet_parse("127.0.0.1"); }

class Screen : public FakeTest {
 protected:
  Screen() { own_scope(); }
  uint16_t detail_code(uint16_t h) { return uint16_t(detail(h).detail); }
};

TEST_F(Screen, ModesZeroAndTwoAreMessagesToTheDisplay) {
  sim::ScreenDisplay display(loopback());
  ASSERT_TRUE(display.ok());
  uint16_t h = open();
  ASSERT_EQ(EW_SUCCESS, cnc_sdfstatchg(h, 0, 0, 0, 0));
  ASSERT_EQ(EW_SUCCESS, cnc_sdfstatchg(h, 2, 0, -2, 0));
  const auto m = display.messages();
  ASSERT_EQ(2u, m.size());
  EXPECT_EQ(plat::kMsgClose, m[0].msg);
  EXPECT_EQ(0u, m[0].wparam);
  EXPECT_EQ(0x80C8u, m[1].msg);
  EXPECT_EQ(0xFFFFFFFFFFFFFFFEull, m[1].wparam);   // sign-extended
  EXPECT_EQ(0, m[1].lparam);
  EXPECT_TRUE(sent().empty());
}

TEST_F(Screen, ModeOneSelectsTheScreenThenShowsTheWindow) {
  sim::ScreenDisplay display(loopback());
  fake.reply(1, 230, RbReply());
  uint16_t h = open();
  ASSERT_EQ(EW_SUCCESS, cnc_sdfstatchg(h, 1, 7, 5, 1));
  expectRequests({{230, 7}});
#ifndef _WIN32
  // Windows shows the window itself; the POSIX window hears the command.
  const auto m = display.messages();
  ASSERT_EQ(1u, m.size());
  EXPECT_EQ(plat::kMsgShowWindow, m[0].msg);
  EXPECT_EQ(5u, m[0].wparam);
#endif
  fake.reply(1, 230, RbReply::fail(6));
  EXPECT_EQ(6, cnc_sdfstatchg(h, 1, 7, 5, 1));
}

TEST_F(Screen, FailuresOfTheDisplay) {
  uint16_t h = open();
  const uint32_t t0 = plat::tick_ms();
  EXPECT_EQ(EW_UNAVAILABLE, cnc_sdfstatchg(h, 0, 0, 0, 0));   // none, and no waiting
  EXPECT_LT(plat::tick_ms() - t0, 500u);
  sim::ScreenDisplay display(loopback());
  EXPECT_EQ(EW_KIND, cnc_sdfstatchg(h, 3, 0, 0, 0));
  display.answer(1);
  EXPECT_EQ(EW_UNAVAILABLE, cnc_sdfstatchg(h, 2, 0, 0, 0));
  EXPECT_EQ(0, detail_code(h));
  EXPECT_TRUE(sent().empty());
}

// A display that appears while the call waits is found, after the wait.
TEST_F(Screen, TheSearchWaitsForADisplayThatIsStarting) {
  uint16_t h = open();
  std::unique_ptr<sim::ScreenDisplay> display;
  std::thread later([&] {
    plat::sleep_ms(200);
    display = std::make_unique<sim::ScreenDisplay>(loopback());
  });
  const uint32_t t0 = plat::tick_ms();
  EXPECT_EQ(EW_SUCCESS, cnc_sdfstatchg(h, 2, 0, 1, 2));
  later.join();
  EXPECT_GE(plat::tick_ms() - t0, 150u);
}

// The name is the address as it lies in memory read as a little-endian
// number: the display is found under exactly this name.
TEST_F(Screen, TheDisplayIsFoundUnderTheAddressAsALittleEndianNumber) {
  struct Answer0 {
    static uint64_t on(void*, uint32_t, uint64_t, int64_t) { return 0; }
  };
  plat::MsgWindow* w = plat::window_create(Answer0::on, nullptr);
  ASSERT_NE(nullptr, w);
  const uint64_t handle = plat::window_handle(w);
  plat::Shared* m = plat::shared_create("Korva CNC Screen Display Function - IP 0100007F", 8);
  ASSERT_NE(nullptr, m);
  plat::shared_write(m, 0, &handle, 8);
  uint16_t h = open();
  EXPECT_EQ(EW_SUCCESS, cnc_sdfstatchg(h, 0, 0, 0, 0));
  plat::shared_close(m);
  plat::window_destroy(w);
}

TEST_F(Screen, NotifyAsksTheDisplayToTellTheApplication) {
  sim::ScreenDisplay display(loopback());
  uint16_t h = open();
  void* window = reinterpret_cast<void*>(uintptr_t(0xABCDEF));
  ASSERT_EQ(EW_SUCCESS, cnc_sdfmnghwnd(h, 1, window, 0x3FFF));
  EXPECT_EQ(EW_KIND, cnc_sdfmnghwnd(h, 2, window, 1));
  EXPECT_EQ(EW_KIND, cnc_sdfmnghwnd(h, -1, window, 1));
  EXPECT_EQ(EW_RANGE, cnc_sdfmnghwnd(h, 0, window, 0x4000));
  const auto m = display.messages();
  ASSERT_EQ(1u, m.size());
  EXPECT_EQ(0x8065u, m[0].msg);
  EXPECT_EQ(0xABCDEFu, m[0].wparam);
  EXPECT_EQ(0x3FFF, m[0].lparam);
}

// ---- machine-data files, print status, library options -------------------------------

std::vector<uint8_t> field(const char* text, size_t n) {
  std::vector<uint8_t> f(n, 0);
  std::memcpy(f.data(), text, std::strlen(text));
  return f;
}

TEST_F(Screen, RequestsOfTheOrdinaryCalls) {
  const char* longName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";   // read-only memory
  const struct {
    const char* what;
    std::function<int16_t(uint16_t)> run;
    Req want;
  } rows[] = {
      {"rdmcdfinfo", [](uint16_t h) { mcdfinfo_t i; return cnc_rdmcdfinfo(h, 12, &i); }, {727, 0, 12}},
      {"canmcdfinfo", [](uint16_t h) { return cnc_canmcdfinfo(h); }, {727, 1}},
      {"chkmcdfile", [](uint16_t h) { uint8_t r; return cnc_chkmcdfile(h, "O1234", &r); },
       {727, 2, 0, 0, 0, field("O1234", 32)}},
      {"delmcdfile, a name cut at 31", [&](uint16_t h) { return cnc_delmcdfile(h, longName); },
       {727, 3, 0, 0, 0, field("ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", 32)}},
      {"rdmcdprgcmnt", [](uint16_t h) { char c[8]; int16_t n = 8; return cnc_rdmcdprgcmnt(h, "P", &n, c); },
       {727, 4, 0, 0, 0, field("P", 32)}},
      {"set_prps", [&](uint16_t h) { return cnc_set_prps(h, 3, longName, -9); },
       {721, 3, -9, 0, 0, field("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345678", 36)}},
      {"set_prps without text", [](uint16_t h) { return cnc_set_prps(h, 1, nullptr, 2); },
       {721, 1, 2, 0, 0, std::vector<uint8_t>(36, 0)}},
      {"reset_prps", [](uint16_t h) { return cnc_reset_prps(h, 2, "job"); }, {722, 2, 0, 0, 0, field("job", 36)}},
      {"status_prps", [](uint16_t h) { char b[4]; int16_t n = 4; return cnc_status_prps(h, 5, &n, b); }, {723, 5}},
      {"getlibopt", [](uint16_t h) { char b[6]; int16_t n = 6; return cnc_getlibopt(h, 9, &n, b); }, {730, 9, 6}},
      {"setlibopt", [](uint16_t h) { return cnc_setlibopt(h, 9, "\x01\x02\x03", 3); },
       {731, 9, 0, 0, 0, {1, 2, 3}}},
  };
  for (int cmd : {721, 722, 723, 727, 730, 731}) fake.reply(1, uint16_t(cmd), RbReply().bytes(std::vector<uint8_t>(32, 1)));
  uint16_t h = open();
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    fake.clear_received();
    EXPECT_EQ(EW_SUCCESS, r.run(h));
    test::expectRequests(sent(), {r.want});
  }
  EXPECT_EQ(0, std::strcmp(longName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"));
}

TEST_F(Screen, FileInformationAndCheckResult) {
  std::vector<uint8_t> d = {0, 0, 0x30, 0x39, 'a', 'b', 'c', 'd', 0xFF, 0xFE, 7, 8};
  const auto name = field("MACHINE-DATA-1", 20);
  d.insert(d.end(), name.begin(), name.end());
  fake.reply(1, 727, RbReply().bytes(d));
  uint16_t h = open();
  mcdfinfo_t got;
  sentinel(got);
  ASSERT_EQ(EW_SUCCESS, cnc_rdmcdfinfo(h, 1, &got));
  EXPECT_EQ(12345, got.number);
  EXPECT_EQ(0, std::memcmp(got.attr, "abcd", 4));
  EXPECT_EQ(-2, got.word);
  EXPECT_EQ(7, got.flag[0]);
  EXPECT_EQ(8, got.flag[1]);
  EXPECT_EQ(0, std::memcmp(got.name, name.data(), 20));
  uint8_t result = 0xEE;
  ASSERT_EQ(EW_SUCCESS, cnc_chkmcdfile(h, "x", &result));
  EXPECT_EQ(0, result);

  fake.reply(1, 727, RbReply().bytes(std::vector<uint8_t>(31, 1)));
  sentinel(got);
  EXPECT_EQ(EW_SIZE, cnc_rdmcdfinfo(h, 1, &got));
  EXPECT_TRUE(untouched(&got, 0, sizeof got));
  fake.reply(1, 727, RbReply());
  EXPECT_EQ(EW_SIZE, cnc_chkmcdfile(h, "x", &result));
  EXPECT_EQ(0, result);
}

TEST_F(Screen, BuffersAreBoundedAndLengthsChecked) {
  fake.reply(1, 730, RbReply().bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  uint16_t h = open();
  uint8_t buf[8];
  std::memset(buf, 0xEE, sizeof buf);
  int16_t n = 4;
  ASSERT_EQ(EW_SUCCESS, cnc_getlibopt(h, 1, &n, buf));
  EXPECT_EQ(4, n);
  EXPECT_EQ(0, std::memcmp(buf, "\x01\x02\x03\x04\xEE", 5));
  fake.clear_received();
  n = -1;
  EXPECT_EQ(EW_SIZE, cnc_getlibopt(h, 1, &n, buf));
  EXPECT_EQ(EW_SIZE, cnc_rdmcdprgcmnt(h, "a", &n, buf));
  EXPECT_EQ(EW_SIZE, cnc_setlibopt(h, 1, buf, -1));
  EXPECT_EQ(EW_SIZE, cnc_setlibopt(h, 1, buf, 4921));
  EXPECT_EQ(EW_SIZE, cnc_setlibopt(h, 1, nullptr, 1));
  EXPECT_EQ(EW_UNAVAILABLE, cnc_delmcdfilebynum(h, 1));
  EXPECT_TRUE(sent().empty());
}

}  // namespace
}  // namespace oz::test
