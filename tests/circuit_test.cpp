// Opening, sharing and closing circuits; what a handle learns when it opens.
#include <thread>

#include "tests/support.h"
#include "transport/socket.h"

namespace oz::test {
namespace {

struct VersionRow {
  uint16_t version, kind;
  uint32_t flags;
};

class Opening : public ::testing::TestWithParam<VersionRow> {};

TEST_P(Opening, FlagsConfigurationAndSystemInformation) {
  const VersionRow row = GetParam();
  sim::FakeConfig cfg = sim::FakeConfig::standard(row.version, 2);
  cfg.kind = row.kind;
  cfg.max_axes = 5;
  cfg.info140 = {0x1111, 0x2222};
  cfg.paths[1].axes(4);
  cfg.paths[1].sysinfo = sim::sysinfo_record(7, 4, " 3", " W", "ABCD", "12.3", " 4");
  sim::FakeController fake(cfg);
  uint16_t h = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", fake.port(), 1, &h));
  Handle& r = *find_handle(h);
  EXPECT_EQ(row.flags, r.flags.load());
  EXPECT_EQ(row.kind, r.config.word(2));
  EXPECT_EQ(5, r.maxAxes());
  EXPECT_EQ(5, r.axesDelivered());
  EXPECT_EQ(2, r.config.word(10));   // path records
  EXPECT_EQ(0x2020, r.config.pathWord(1, 0));
  if (row.version <= 2) {
    EXPECT_EQ(4, r.config.pathWord(2, 6));   // w2
    EXPECT_EQ(row.kind == 2 ? 5 : 4, r.config.pathWord(2, 12));
    EXPECT_EQ(row.kind == 2 ? 0x1111 : 0, r.config.word(16));
    EXPECT_EQ(row.kind == 2 ? 0x2222 : 0, r.config.word(18));
  } else {
    EXPECT_EQ(4, r.config.pathWord(2, 6));   // e6
    EXPECT_EQ(5, r.config.pathWord(2, 12));  // the configuration's axis count
    EXPECT_EQ(0x1234, r.config.word(38));
    EXPECT_EQ(0x5678, r.config.word(40));
  }
  // System information: host-order words, characters as sent.
  uint16_t w0, w1;
  std::memcpy(&w0, r.sysinfo[1].bytes, 2);
  std::memcpy(&w1, r.sysinfo[1].bytes + 2, 2);
  EXPECT_EQ(7, w0);
  EXPECT_EQ(4, w1);
  EXPECT_EQ(0, std::memcmp(r.sysinfo[1].bytes + 4, " 3 WABCD12.3 4", 14));
  EXPECT_EQ(EW_SUCCESS, cnc_setpath(h, 2));
  EXPECT_TRUE(path_is_w(r));
  EXPECT_FALSE(path_is_lp(r));
  // The opening asked each path once, and command 140 only of the old kind 2.
  int asks = 0, asked140 = 0;
  for (auto& q : fake.requests()) {
    asks += q.cmd == 24;
    asked140 += q.cmd == 140;
  }
  EXPECT_EQ(2, asks);
  EXPECT_EQ(row.version <= 2 && row.kind == 2 ? 1 : 0, asked140);
  EXPECT_EQ(EW_SUCCESS, cnc_freelibhndl(h));
}

INSTANTIATE_TEST_SUITE_P(Versions, Opening,
                         ::testing::Values(VersionRow{1, 0, kOldProtocol | kDialectCompact},
                                           VersionRow{2, 2, kOldProtocol | kDialectPacked | kProtocol2},
                                           VersionRow{3, 0, kDialectCurrent | kProtocol2},
                                           VersionRow{4, 2, kDialectCurrent | kProtocol2},
                                           VersionRow{5, 0, kDialectCurrent | kProtocol5 | kProtocol2}));

TEST(OpeningLayout, Version3RecordsStartAt50And82) {
  sim::FakeConfig cfg = sim::FakeConfig::standard(3, 2);
  const auto pdu = sim::initiate_reply(cfg);
  ASSERT_EQ(10u + 104u, pdu.size());
  EXPECT_EQ(0x20, pdu[50]);
  EXPECT_EQ(0x20, pdu[82]);
}

class Circuits : public FakeTest {};

TEST_F(Circuits, SharedByNameAndAddressClosedByTheLastUser) {
  LogTail log;
  LogLevel lv(2);
  uint16_t a = open();
  uint16_t b = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_allclibhndl3("localhost", fake.port(), 1, &b));
  EXPECT_EQ(rec(a).circuit, rec(b).circuit);
  EXPECT_EQ(2, fake.connections_accepted());
  EXPECT_TRUE(log.has("Socket has been opened at the activate time. (may be half-open)"));
  const auto& c = *rec(a).circuit;
  EXPECT_TRUE(log.has("The handle(" + std::to_string(a) + ") is created: sock1 = " +
                      std::to_string(c.sock1.number()) + " sock2 = " +
                      std::to_string(c.sock2.number())));
  EXPECT_EQ(EW_SUCCESS, cnc_freelibhndl(a));
  EXPECT_TRUE(log.has("Socket is not closed at the deactivate time. (may be half-open)"));
  EXPECT_TRUE(log.has("The handle(" + std::to_string(a) + ") is destoryed."));
  EXPECT_EQ(EW_SUCCESS, cnc_freelibhndl(b));
  EXPECT_TRUE(log.has("Circuit was closed: IP = 127.0.0.1 port = " + std::to_string(fake.port())));
  std::vector<int> closes;
  for (auto& p : fake.received())
    if (p.type == 2) closes.push_back(p.sock);
  EXPECT_EQ((std::vector<int>{1, 2}), closes);
}

TEST_F(Circuits, InitiateBodiesNameTheSockets) {
  open();
  auto r = fake.received();
  ASSERT_GE(r.size(), 2u);
  EXPECT_EQ(1, r[0].type);
  EXPECT_EQ((std::vector<uint8_t>{0, 1}), r[0].body);
  EXPECT_EQ(1, r[1].type);
  EXPECT_EQ((std::vector<uint8_t>{0, 2}), r[1].body);
  EXPECT_EQ(1, r[0].sock);
  EXPECT_EQ(2, r[1].sock);
  EXPECT_EQ(1, be::get16(r[0].raw.data() + 4));   // we always send version 1
}

TEST_F(Circuits, RefusedConnectsAndBadInitiates) {
  uint16_t h = 0xAAAA;
  // Nothing listens on the port of a stopped controller.
  uint16_t dead;
  { sim::FakeController gone; dead = gone.port(); }
  EXPECT_EQ(EW_CIRCUIT, cnc_allclibhndl3("127.0.0.1", dead, 1, &h));
  EXPECT_EQ(0xAAAA, h);
  // sock2's connect refused after sock1 was initiated.
  fake.stop_listening_after(1);
  LogTail log;
  EXPECT_EQ(EW_CIRCUIT, cnc_allclibhndl3("127.0.0.1", fake.port(), 1, &h));
  EXPECT_TRUE(log.hasPrefix("Error: cnc_allclibhndls(127.0.0.1 " + std::to_string(fake.port()) + " "));
  EXPECT_TRUE(log.any("): -16 2 0"));
  EXPECT_EQ(nullptr, find_handle(0x8003));
}

TEST_F(Circuits, InitiateErrorsAndSizes) {
  uint16_t h = 0;
  fake.next(1).error_response(3, 0, 0);
  EXPECT_EQ(EW_FRAMING, cnc_allclibhndl3("127.0.0.1", fake.port(), 1, &h));
  sim::FakeConfig cfg = sim::FakeConfig::standard(3, 1);
  cfg.fixed[8] = 41;   // data size one more than the layout gives
  sim::FakeController bad(cfg);
  LogTail log;
  EXPECT_EQ(EW_FRAMING, cnc_allclibhndl3("127.0.0.1", bad.port(), 1, &h));
  EXPECT_TRUE(log.any("PDU size(41) mismatch at initiate time"));
}

TEST_F(Circuits, UnresolvableHostFailsBeforeConnecting) {
  uint16_t h = 0;
  EXPECT_EQ(EW_CIRCUIT, cnc_allclibhndl3("no-such-host.invalid", fake.port(), 1, &h));
  EXPECT_EQ(0, fake.connections_accepted());
}

struct IdRow {
  const char* first;    // id of the opening allocation (null: none)
  const char* second;   // id of the joining one
  int16_t expect;
};

class IdStrings : public FakeTest, public ::testing::WithParamInterface<IdRow> {};

TEST_P(IdStrings, JoiningComparesPaddedValues) {
  const IdRow row = GetParam();
  uint16_t h1 = 0, h2 = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_allclibhndls("127.0.0.1", fake.port(), row.first, 1, &h1));
  EXPECT_EQ(row.expect, cnc_allclibhndls("127.0.0.1", fake.port(), row.second, 1, &h2));
  EXPECT_EQ(2, fake.connections_accepted());
}

INSTANTIATE_TEST_SUITE_P(Rows, IdStrings,
                         ::testing::Values(IdRow{"AB", "000000AB", EW_SUCCESS},
                                           IdRow{"XYZ123456", "Z123456", EW_MISMATCH},
                                           IdRow{"XYZ123456", "YZ123456", EW_SUCCESS},
                                           IdRow{"AB", "AC", EW_MISMATCH},
                                           IdRow{nullptr, "AB", EW_VALUE},
                                           IdRow{nullptr, "000", EW_SUCCESS},
                                           IdRow{"AB", nullptr, EW_SUCCESS}));

TEST(IdScrambling, TheControllerSeesTheComparisonValue) {
  sim::FakeController fake(sim::FakeConfig::standard(5, 1));
  uint16_t h;
  ASSERT_EQ(EW_SUCCESS, cnc_allclibhndls("127.0.0.1", fake.port(), "K7", 1, &h));
  EXPECT_EQ((std::vector<std::string>{"000000K7"}), fake.id_strings());
  // Known bytes for a known key: s6^k2, s0^k0, s5^k3, s2^k1, s1^k0, s4^k3, s7^k1, s3^k2.
  uint8_t out[8];
  scrambleId("ABCDEFGH", 0x0201, 0x0403, out);
  const uint8_t want[8] = {'G' ^ 3, 'A' ^ 1, 'F' ^ 4, 'C' ^ 2, 'B' ^ 1, 'E' ^ 4, 'H' ^ 2, 'D' ^ 3};
  EXPECT_EQ(0, std::memcmp(want, out, 8));
}

TEST(IdOldController, RefusesAnIdentificationString) {
  sim::FakeController fake(sim::FakeConfig::standard(2, 1));
  uint16_t h;
  EXPECT_EQ(EW_UNAVAILABLE, cnc_allclibhndls("127.0.0.1", fake.port(), "AB", 1, &h));
}

#ifdef _WIN32
#define OZ_POSIX_SETTINGS_ONLY() GTEST_SKIP() << "settings come from the registry there"
#else
#define OZ_POSIX_SETTINGS_ONLY() (void)0
#endif

TEST(SockGetInterval, ReadAtStartupAndCapped) {
  OZ_POSIX_SETTINGS_ONLY();
  struct Row { const char* env; uint32_t want; } rows[] = {{"250", 250}, {"5000", 1000}, {nullptr, 0}};
  for (auto& r : rows) {
    plat::set_env("OZLIB_SOCKGETINTERVAL", r.env);
    startup();
    EXPECT_EQ(r.want, g_sock_get_interval);
  }
}

TEST(SockGetInterval, SpacesTheTwoConnects) {
  OZ_POSIX_SETTINGS_ONLY();
  plat::set_env("OZLIB_SOCKGETINTERVAL", "500");
  startup();
  sim::FakeController fake;
  uint16_t h;
  ASSERT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", fake.port(), 1, &h));
  auto t = fake.accept_ticks();
  ASSERT_EQ(2u, t.size());
  EXPECT_GE(t[1] - t[0], 500u);   // a lower bound only: the sleep is at least this long
  plat::set_env("OZLIB_SOCKGETINTERVAL", nullptr);
  startup();
}

TEST(SocketLayer, AddressesAndClosing) {
  EXPECT_EQ(plat::inet_parse("192.168.0.1"), getInetAddr("192.168.0.1"));
  Socket s;
  EXPECT_TRUE(s.close());   // never created: nothing to do
  try {
    getInetAddr("no-such-host.invalid");
    ADD_FAILURE();
  } catch (const ErrObj& e) {
    EXPECT_EQ(EW_CIRCUIT, e.code);
    EXPECT_EQ(7, e.detail);
  }
}

TEST(SocketLayer, Level3DumpsAtMost64Bytes) {
  sim::FakeController fake;
  uint16_t h;
  ASSERT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", fake.port(), 1, &h));
  std::vector<uint8_t> big(84, 0xAB);
  fake.reply(1, 36, sim::RbReply().bytes(big));   // reply PDU: 10 + 2 + 16 + 84 = 112 bytes
  LogTail log;
  LogLevel lv(3);
  actf_t a;
  EXPECT_EQ(EW_SUCCESS, cnc_actf(h, &a));
  // The body read after the 10-byte header: 102 bytes, 64 of them shown.
  bool found = false;
  for (auto& l : log.lines()) {
    if (l.rfind("Recieve 102 byte(s):", 0) != 0) continue;
    found = true;
    EXPECT_EQ(std::string("Recieve 102 byte(s):").size() + 64 * 3, l.size());
    EXPECT_EQ(0u, l.find("Recieve 102 byte(s): 00 01 00 64 00 01"));
  }
  EXPECT_TRUE(found);
  EXPECT_TRUE(log.hasPrefix("Send 40 byte(s): A0 A0 A0 A0 00 01 21 01 00 1E 00 01 00 1C"));
}

}  // namespace
}  // namespace oz::test
