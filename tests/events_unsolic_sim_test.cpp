// The library against the simulated controller and the message server
// stand-in: settings written and read back, a started setting's messages
// arriving in the server's memory, and the stop.
#include <cstring>

#include "sim/machine.h"
#include "sim/msg_server.h"
#include "tests/support.h"

namespace oz::test {
namespace {

// Made first: the server's names go into the process's own name space.
struct OwnScope {
  OwnScope() { plat::set_env("OZLIB_IPC_SCOPE", ("oztest" + std::to_string(plat::process_id())).c_str()); }
};

struct UnsolicSim : ::testing::Test {
  OwnScope scope;
  sim::Machine m;
  sim::MessageServer server;
  uint16_t h = 0;
  void SetUp() override {
    ASSERT_TRUE(server.ok()) << server.error();
    ASSERT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", m.port(), 2, &h));
  }
};

TEST_F(UnsolicSim, FirstFormRoundTripAndPmcBytesPushed) {
  unsolicprm_t w{};
  std::strcpy(w.ipaddr, "127.0.0.1");
  w.word1 = server.push_port();
  w.word2 = 5;
  w.word3 = 1;   // every 100 ms
  w.word5 = w.word6 = 1;
  w.count = 2;
  w.range[0] = {1, 5, 100, 4, {0, 0}};
  w.range[1] = {1, 9, 20, 2, {0, 0}};
  ASSERT_EQ(EW_SUCCESS, cnc_wrunsolicprm(h, 1, &w));
  unsolicprm_t r;
  std::memset(&r, 0xEE, sizeof r);
  ASSERT_EQ(EW_SUCCESS, cnc_rdunsolicprm(h, 1, &r));
  EXPECT_EQ(0, std::memcmp(&w, &r, sizeof r));

  pmcrng_t bytes{5, 0, 100, 103, {}};
  std::memcpy(bytes.u.cdata, "\x11\x22\x33\x44", 4);
  ASSERT_EQ(EW_SUCCESS, pmc_wrpmcrng(h, 12, &bytes));
  int16_t reg = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_unsolicstart(h, 1, nullptr, 0, 1, &reg));
  ASSERT_TRUE(server.wait_messages(reg, 1, 5000));

  uint8_t buf[2][8];
  unsolicmsg_t msg{};
  for (int i = 0; i < 3; ++i) msg.entry[i] = {8, 0, i < 2 ? buf[i] : nullptr};
  ASSERT_EQ(EW_SUCCESS, cnc_rdunsolicmsg(reg, &msg));
  ASSERT_EQ(2, msg.count);
  EXPECT_EQ(4, msg.entry[0].length);
  EXPECT_EQ(0, std::memcmp(buf[0], "\x11\x22\x33\x44", 4));
  EXPECT_EQ(2, msg.entry[1].length);

  // The server registers a setting once.
  EXPECT_EQ(EW_BUFFER, cnc_unsolicstart(h, 1, nullptr, 0, 1, &reg));
  ASSERT_EQ(EW_SUCCESS, cnc_unsolicstop(h, 1));
  EXPECT_TRUE(server.registrations().empty());
}

TEST_F(UnsolicSim, SecondFormRoundTripAndCncValuesPushed) {
  unsolicprm2_t w{};
  std::strcpy(w.address, "127.0.0.1");
  w.word1 = server.push_port();
  w.form = 4;
  w.form_word1 = 3;
  w.value1 = 70000;
  w.count = 2;
  w.item[0] = {1, 0, 2, 5, 10, 3};
  w.item[1] = {3, 0, 1, 0, -1, 1};
  ASSERT_EQ(EW_SUCCESS, cnc_wrunsolicprm2(h, 3, &w));
  unsolicprm2_t r;
  std::memset(&r, 0xEE, sizeof r);
  ASSERT_EQ(EW_SUCCESS, cnc_rdunsolicprm2(h, 3, &r));
  EXPECT_STREQ("127.0.0.1", r.address);
  EXPECT_EQ(w.word1, r.word1);
  EXPECT_EQ(4, r.form);
  EXPECT_EQ(3, r.form_word1);
  EXPECT_EQ(70000u, r.value1);
  ASSERT_EQ(2, r.count);
  EXPECT_EQ(0, std::memcmp(&w.item, &r.item, sizeof w.item));

  int16_t reg = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_unsolicstart(h, 3, nullptr, 0, 1, &reg));
  ASSERT_TRUE(server.wait_messages(reg, 1, 5000));
  uint8_t buf[2][32];
  unsolicmsg2_t msg{};
  for (int i = 0; i < 3; ++i) msg.entry[i] = {0, 0, 0, 0, 32, i < 2 ? buf[i] : nullptr};
  ASSERT_EQ(EW_SUCCESS, cnc_rdunsolicmsg2(reg, &msg));
  ASSERT_EQ(2, msg.count);
  EXPECT_EQ(1, msg.entry[0].type);
  EXPECT_EQ(3u, msg.entry[0].count);
  EXPECT_EQ(3, msg.entry[1].type);
  EXPECT_EQ(1, msg.entry[1].word);
  ASSERT_EQ(3u, msg.entry[1].count);
  int64_t v[3];
  std::memcpy(v, buf[1], sizeof v);
  EXPECT_EQ(-1, v[0]);
  EXPECT_EQ(1, v[2]);
  ASSERT_EQ(EW_SUCCESS, cnc_unsolicstop(h, 3));
}

}  // namespace
}  // namespace oz::test
