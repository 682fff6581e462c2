// The fake controller seen from a bare socket: every byte it promises, and
// nothing else, because every other test trusts it.
#include "sim/fake_controller.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/platform.h"
#include "tests/raw_client.h"
#include "base/be.h"

namespace oz::sim {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes w16(std::initializer_list<uint16_t> words) {
  Bytes b;
  for (uint16_t w : words) {
    b.push_back(uint8_t(w >> 8));
    b.push_back(uint8_t(w));
  }
  return b;
}

uint16_t word(const Bytes& b, size_t off) { return be::get16(b.data() + off); }

using Client = test::RawClient;

struct Rb {
  uint16_t cls = 1, path = 1, cmd = 0;
  int32_t a1 = 0, a2 = 0, a3 = 0, a4 = 0;
  int16_t a5 = 0;
  Bytes data = {};
};

Bytes request(std::initializer_list<Rb> rbs, uint8_t type = 33) {
  Bytes body = w16({uint16_t(rbs.size())});
  for (const Rb& r : rbs) {
    Bytes h(28);
    be::put16(&h[0], uint16_t(28 + r.data.size()));
    be::put16(&h[2], r.cls);
    be::put16(&h[4], r.path);
    be::put16(&h[6], r.cmd);
    be::put32(&h[8], uint32_t(r.a1));
    be::put32(&h[12], uint32_t(r.a2));
    be::put32(&h[16], uint32_t(r.a3));
    be::put32(&h[20], uint32_t(r.a4));
    be::put16(&h[24], uint16_t(r.a5));
    be::put16(&h[26], uint16_t(r.data.size()));
    body = cat(cat(body, h), r.data);
  }
  return make_pdu(1, type, 1, body);
}

// The reference exchange of the fault tests: command 7 answers one 16-bit 7.
const Bytes kAsk7 = request({Rb{.cmd = 7}});
const Bytes kReply7 = {0xA0, 0xA0, 0xA0, 0xA0, 0x00, 0x05, 33, 2, 0x00, 0x14,    // header
                       0x00, 0x01,                                              // RB count
                       0x00, 0x12, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // RB header
                       0x00, 0x02, 0x00, 0x07};                                 // length, data

Bytes with(Bytes b, size_t off, std::initializer_list<uint8_t> patch) {
  for (uint8_t v : patch) b[off++] = v;
  return b;
}

// ---- initiate ------------------------------------------------------------

struct InitiateCase {
  uint16_t version;
  int paths;
  size_t total;   // header included
};

class Initiate : public testing::TestWithParam<InitiateCase> {};

TEST_P(Initiate, LayoutOfTheVersion) {
  const InitiateCase c = GetParam();
  FakeController fake(FakeConfig::standard(c.version, c.paths));
  Client cl(fake.port());
  ASSERT_TRUE(cl.connected());
  Bytes r = cl.initiate(2);
  ASSERT_EQ(r.size(), c.total);
  EXPECT_EQ(be::get32(r.data()), kPduMark);
  EXPECT_EQ(word(r, 4), c.version);
  EXPECT_EQ(r[6], 1);
  EXPECT_EQ(r[7], 2);
  EXPECT_EQ(word(r, 8), c.total - 10);
  EXPECT_EQ(word(r, 12), 0);   // kind
  if (c.version <= 2) {
    EXPECT_EQ(w16({3, 1, uint16_t(c.paths), uint16_t(c.paths)}), Bytes(&r[14], &r[22]));
    for (int i = 0; i < c.paths; ++i)
      EXPECT_EQ(w16({0x2020, 0, 3, 1}), Bytes(&r[26 + 8 * i], &r[34 + 8 * i])) << "path " << i;
  } else {
    EXPECT_EQ(w16({3, 3, 1, uint16_t(c.paths)}), Bytes(&r[14], &r[22]));
    EXPECT_EQ(word(r, 32), c.paths);
    EXPECT_EQ(w16({0x1234, 0x5678}), Bytes(&r[44], &r[48]));
    for (int i = 0; i < c.paths; ++i)
      EXPECT_EQ(w16({0x2020, 1, 0, 3, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
                Bytes(&r[50 + 32 * i], &r[82 + 32 * i]))
          << "path " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Versions, Initiate,
                         testing::Values(InitiateCase{1, 1, 34}, InitiateCase{2, 2, 42},
                                         InitiateCase{3, 2, 114}, InitiateCase{5, 1, 82}));

TEST(FakeInitiate, FixedWordsOverrideLast) {
  FakeConfig cfg = FakeConfig::standard(5);
  cfg.kind = 2;
  cfg.fixed = {{8, 99}, {16, 7}, {48, 0xBEEF}, {500, 1}};
  FakeController fake(cfg);
  Client cl(fake.port());
  cl.send(make_pdu(1, 1, 1, w16({1})));
  Bytes r = cl.read(82);   // the forged size does not change what is sent
  ASSERT_EQ(r.size(), 82u);
  EXPECT_EQ(word(r, 8), 99);
  EXPECT_EQ(word(r, 12), 2);
  EXPECT_EQ(word(r, 16), 7);
  EXPECT_EQ(word(r, 48), 0xBEEF);
}

// ---- requests ------------------------------------------------------------

TEST(FakeRequest, RegisteredHandlerRoundTrip) {
  FakeController fake;
  std::vector<RbRequest> seen;
  fake.on(1, 0x42, [&](const RbRequest& q) {
    seen.push_back(q);
    return RbReply().i32(0x01020304);
  });
  Client cl(fake.port());
  cl.initiate(2);
  cl.send(request({Rb{1, 3, 0x42, 5, -1, 0, 7, -2, {0xAA, 0xBB}}, Rb{.cls = 2, .cmd = 0x99}}));
  const Bytes want = {0xA0, 0xA0, 0xA0, 0xA0, 0x00, 0x05, 33, 2, 0x00, 0x26,  //
                      0x00, 0x02,                                            //
                      0x00, 0x14, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x04,
                      0x01, 0x02, 0x03, 0x04,  //
                      0x00, 0x10, 0x00, 0x02, 0, 0, 0, 0, 0x00, 0x01, 0, 0, 0, 0, 0x00, 0x00};
  EXPECT_EQ(cl.read_pdu(), want);
  ASSERT_EQ(seen.size(), 1u);
  const RbRequest& q = seen[0];
  EXPECT_EQ(std::tie(q.sock, q.conn, q.cls, q.path, q.cmd), std::make_tuple(2, 1, 1, 3, 0x42));
  EXPECT_EQ(std::tie(q.a1, q.a2, q.a3, q.a4, q.a5), std::make_tuple(5, -1, 0, 7, -2));
  EXPECT_EQ(q.data, Bytes({0xAA, 0xBB}));
}

TEST(FakeRequest, LaterRegistrationWinsAndCannedReply) {
  FakeController fake;
  fake.reply(1, 24, RbReply::fail(6, 1, 2));   // replaces the built-in
  Client cl(fake.port());
  cl.initiate(2);
  cl.send(request({Rb{.cmd = 24}}));
  Bytes r = cl.read_pdu();
  ASSERT_EQ(r.size(), 28u);
  EXPECT_EQ(Bytes(&r[20], &r[28]), w16({6, 1, 2, 0}));
}

TEST(FakeRequest, BuiltinsForTheOpening) {
  FakeConfig cfg = FakeConfig::standard(5, 2);
  cfg.paths[1].sysinfo = sysinfo_record(1, 8, "31", " T", "SIM1", "02.5", "8");
  cfg.info140 = {0x1111, 0x2222};
  FakeController fake(cfg);
  // The client's scramble with key words 0x1234 and 0x5678.
  const std::string id = "ABCD1234";
  const uint8_t k0 = 0x34, k1 = 0x12, k2 = 0x78, k3 = 0x56;
  auto s = [&](int i) { return uint8_t(id[size_t(i)]); };
  Bytes scrambled = {uint8_t(s(6) ^ k2), uint8_t(s(0) ^ k0), uint8_t(s(5) ^ k3),
                     uint8_t(s(2) ^ k1), uint8_t(s(1) ^ k0), uint8_t(s(4) ^ k3),
                     uint8_t(s(7) ^ k1), uint8_t(s(3) ^ k2)};
  Client cl(fake.port());
  cl.initiate(2);
  cl.send(request({Rb{.path = 1, .cmd = 833, .data = scrambled}, Rb{.path = 2, .cmd = 24},
                   Rb{.path = 1, .cmd = 140}, Rb{.path = 9, .cmd = 24}}));
  Bytes r = cl.read_pdu();
  const auto& s1 = cfg.paths[0].sysinfo;
  const auto& s2 = cfg.paths[1].sysinfo;
  Bytes want = make_pdu(
      5, 33, 2,
      cat(cat(cat(cat(w16({4, 34, 1, 0, 0, 0, 0, 0, 18}), Bytes(s1.begin(), s1.end())),
                  w16({34, 1, 0, 0, 0, 0, 0, 18})),
              cat(Bytes(s2.begin(), s2.end()), w16({20, 1, 0, 0, 0, 0, 0, 4, 0x1111, 0x2222}))),
          w16({16, 1, 0, 0, 3, 0, 0, 0})));
  EXPECT_EQ(r, want);
  EXPECT_EQ(fake.id_strings(), std::vector<std::string>{id});
  EXPECT_EQ(Bytes(s2.begin() + 4, s2.end()), Bytes({'3', '1', ' ', 'T', 'S', 'I', 'M', '1', '0',
                                                    '2', '.', '5', '8', ' '}));
}

TEST(FakeRequest, MalformedRbListGetsAnErrorResponse) {
  FakeController fake;
  Client cl(fake.port());
  cl.initiate(2);
  Bytes bad = request({Rb{.cmd = 7}});
  bad.push_back(0);   // one byte past the RBs
  be::put16(&bad[8], uint16_t(bad.size() - 10));
  cl.send(bad);
  EXPECT_EQ(cl.read_pdu(), make_pdu(5, 33, 3, w16({0, 5, 0, 0})));
  EXPECT_TRUE(fake.requests().empty());
}

TEST(FakeRequest, ClosePduIsAnsweredAndTheConnectionStays) {
  FakeController fake;
  fake.reply(1, 7, RbReply().i16(7));
  Client cl(fake.port());
  cl.initiate(2);
  cl.send(make_pdu(1, 2, 1, {}));
  EXPECT_EQ(cl.read_pdu(), make_pdu(5, 2, 2, {}));
  cl.send(kAsk7);
  EXPECT_EQ(cl.read_pdu(), kReply7);
}

TEST(FakeRequest, OtherPduTypes) {
  FakeController fake;
  fake.reply(1, 7, RbReply().i16(7));
  fake.on_pdu(29, [](Conn& c, const ReceivedPdu& p) {
    c.send(29, 2, p.body);
    c.send(41, 4, {});
  });
  Client cl(fake.port());
  cl.initiate(1);
  cl.send(make_pdu(1, 29, 1, w16({0xCAFE, 1})));
  EXPECT_EQ(cl.read_pdu(), make_pdu(5, 29, 2, w16({0xCAFE, 1})));
  EXPECT_EQ(cl.read_pdu(), make_pdu(5, 41, 4, {}));
  cl.send(make_pdu(1, 30, 1, Bytes(12)));   // nobody handles it
  EXPECT_EQ(cl.read_pdu(), make_pdu(5, 30, 3, w16({0, 1, 0, 0})));
  cl.send(make_pdu(1, 18, 4, {1, 2, 3}));   // one-way: no answer, so the next reply is 7's
  cl.send(kAsk7);
  EXPECT_EQ(cl.read_pdu(), kReply7);
}

TEST(FakeRequest, RecordsEveryPduAndRb) {
  FakeController fake;
  Client c1(fake.port());
  c1.initiate(1);
  Client c2(fake.port());
  c2.initiate(2);
  Bytes ask = request({Rb{.path = 2, .cmd = 24, .a1 = 9}, Rb{.cls = 2, .cmd = 5}});
  c2.send(ask);
  c2.read_pdu();
  auto got = fake.received();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(std::tie(got[0].sock, got[0].conn, got[0].type, got[0].direction),
            std::make_tuple(1, 1, uint8_t(1), uint8_t(1)));
  EXPECT_EQ(std::tie(got[1].sock, got[1].conn), std::make_tuple(2, 2));
  EXPECT_EQ(std::tie(got[2].sock, got[2].conn, got[2].type, got[2].version),
            std::make_tuple(2, 2, uint8_t(33), uint16_t(1)));
  EXPECT_EQ(got[2].raw, ask);
  EXPECT_EQ(got[2].body, Bytes(ask.begin() + 10, ask.end()));
  auto rbs = fake.requests();
  ASSERT_EQ(rbs.size(), 2u);
  EXPECT_EQ(std::tie(rbs[0].cls, rbs[0].path, rbs[0].cmd, rbs[0].a1), std::make_tuple(1, 2, 24, 9));
  EXPECT_EQ(std::tie(rbs[1].cls, rbs[1].cmd, rbs[1].sock), std::make_tuple(2, 5, 2));
  EXPECT_EQ(fake.connections_accepted(), 2);
  EXPECT_EQ(fake.accept_ticks().size(), 2u);
  fake.clear_received();
  EXPECT_TRUE(fake.received().empty());
  EXPECT_TRUE(fake.requests().empty());
  fake.recording(false);
  c2.send(ask);
  EXPECT_EQ(c2.read_pdu().size(), 10u + 2 + 16 + 16);   // path 2 has no CNC here: two bare RBs
  EXPECT_TRUE(fake.received().empty());
}

// ---- faults ---------------------------------------------------------------

struct FaultCase {
  const char* name;
  std::function<void(Fault&)> arm;
  Bytes want;   // what the faulted request draws; a clean reply to the next one follows
};

Bytes size_plus3() {
  Bytes b = with(kReply7, 8, {0x00, 0x17});
  b.insert(b.end(), 3, 0);
  return b;
}

const FaultCase kFaults[] = {
    {"none", [](Fault&) {}, kReply7},
    {"delay", [](Fault& f) { f.delay(20); }, kReply7},
    {"silence", [](Fault& f) { f.silence(); }, {}},
    {"bad_mark", [](Fault& f) { f.bad_mark(); }, with(kReply7, 0, {0xA0, 0xA0, 0xA0, 0xA1})},
    {"direction", [](Fault& f) { f.direction(7); }, with(kReply7, 7, {7})},
    {"version", [](Fault& f) { f.version(3); }, with(kReply7, 4, {0, 3})},
    {"data_size_pads", [](Fault& f) { f.data_size(0x17); }, size_plus3()},
    {"data_size_truncates", [](Fault& f) { f.data_size(1); },
     Bytes({0xA0, 0xA0, 0xA0, 0xA0, 0, 5, 33, 2, 0, 1, 0})},
    {"rb_size_delta", [](Fault& f) { f.rb_size_delta(-1); }, with(kReply7, 12, {0x00, 0x11})},
    {"rb_count", [](Fault& f) { f.rb_count(0); }, with(kReply7, 10, {0, 0})},
    {"error_response", [](Fault& f) { f.error_response(5, 2, 7, 9); },
     make_pdu(5, 33, 3, w16({9, 5, 2, 7}))},
    {"error_response_bad_direction", [](Fault& f) { f.error_response(-1, 0, 0).direction(0); },
     make_pdu(5, 33, 0, w16({0, 0xFFFF, 0, 0}))},
    {"before", [](Fault& f) { f.before(40, {1, 2}).before(20, {}, 4); },
     cat(cat(make_pdu(5, 40, 2, {1, 2}), make_pdu(5, 20, 4, {})), kReply7)},
    {"raw", [](Fault& f) { f.raw({1, 2, 3}); }, Bytes({1, 2, 3})},
    {"split", [](Fault& f) { f.split({3, 10}, 5); }, kReply7},
    {"split_and_mangle", [](Fault& f) { f.split({1}, 1).bad_mark(0); },
     with(kReply7, 0, {0, 0, 0, 0})},
};

class Faults : public testing::TestWithParam<FaultCase> {};

// A client through its initiate on a fake that answers command 7, the fault
// armed and the reference request sent.
void armed(FakeController& fake, Client& cl, const std::function<void(Fault&)>& arm) {
  fake.reply(1, 7, RbReply().i16(7));
  cl.initiate(2);
  arm(fake.next(2));
  cl.send(kAsk7);
}

TEST_P(Faults, BytesOnTheWire) {
  FakeController fake;
  Client cl(fake.port());
  armed(fake, cl, GetParam().arm);
  cl.send(kAsk7);
  const Bytes want = cat(GetParam().want, kReply7);
  EXPECT_EQ(cl.read(want.size()), want);
  // The faulted request was recorded as it arrived, both times.
  EXPECT_TRUE(fake.wait_received(3));
  EXPECT_EQ(fake.received()[1].raw, kAsk7);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Faults, testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

struct DropCase {
  const char* name;
  std::function<void(Fault&)> arm;
  Bytes want;   // what arrives before the connection ends
};

const DropCase kDrops[] = {
    {"close", [](Fault& f) { f.close(); }, {}},
    {"close_after_before", [](Fault& f) { f.before(40).close(); }, make_pdu(5, 40, 2, {})},
    {"close_wins_over_raw", [](Fault& f) { f.raw({9}).close(); }, {}},
    {"cut", [](Fault& f) { f.cut(5); }, Bytes(kReply7.begin(), kReply7.begin() + 5)},
    {"cut_split", [](Fault& f) { f.split({2}, 1).cut(13); },
     Bytes(kReply7.begin(), kReply7.begin() + 13)},
    {"raw_cut", [](Fault& f) { f.raw({1, 2, 3}).cut(2); }, Bytes({1, 2})},
};

class Drops : public testing::TestWithParam<DropCase> {};

TEST_P(Drops, ThenTheConnectionEnds) {
  FakeController fake;
  Client cl(fake.port());
  armed(fake, cl, GetParam().arm);
  const Bytes& want = GetParam().want;
  EXPECT_EQ(cl.read(want.size()), want);
  EXPECT_TRUE(cl.closed_by_peer());
  // The fake itself carries on.
  Client again(fake.port());
  again.initiate(2);
  again.send(kAsk7);
  EXPECT_EQ(again.read_pdu(), kReply7);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Drops, testing::ValuesIn(kDrops),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FakeFaults, SplitArrivesInPieces) {
  FakeController fake;
  fake.reply(1, 7, RbReply().i16(7));
  fake.next(2).only(33).split({4}, 300);
  Client cl(fake.port());
  cl.initiate(2);
  cl.send(kAsk7);
  EXPECT_EQ(cl.read(kReply7.size()), kReply7);
  // The first receive wakes on the first piece; the rest is 300 ms behind it.
  EXPECT_EQ(cl.reads().front(), 4u);
}

TEST(FakeFaults, RbSizeDeltaHitsTheLastRb) {
  FakeController fake;
  fake.reply(1, 7, RbReply().i16(7));
  fake.next(2).only(33).rb_size_delta(2);
  Client cl(fake.port());
  cl.initiate(2);
  cl.send(request({Rb{.cmd = 7}, Rb{.cmd = 7}}));
  Bytes r = cl.read_pdu();
  ASSERT_EQ(r.size(), 10u + 2 + 18 + 18);
  EXPECT_EQ(word(r, 12), 18);
  EXPECT_EQ(word(r, 30), 20);
}

TEST(FakeFaults, InitiateCountsAndOnlySkipsPast) {
  FakeController fake;
  fake.reply(1, 7, RbReply().i16(7));
  fake.next(2).error_response(8, 0, 0);
  fake.next(2).only(33).silence();
  Client c1(fake.port());
  EXPECT_EQ(c1.initiate(1).size(), 82u);   // sock1 has no fault queued
  Client c2(fake.port());
  EXPECT_EQ(c2.initiate(2), make_pdu(5, 1, 3, w16({0, 8, 0, 0})));
  c2.send(make_pdu(1, 2, 1, {}));          // not 33: passes the waiting fault
  EXPECT_EQ(c2.read_pdu(), make_pdu(5, 2, 2, {}));
  c2.send(kAsk7);                          // silenced
  c2.send(kAsk7);
  EXPECT_EQ(c2.read_pdu(), kReply7);
}

TEST(FakeFaults, QueueAppliesOneFaultPerPduInOrder) {
  FakeController fake;
  fake.reply(1, 7, RbReply().i16(7));
  Client cl(fake.port());
  cl.initiate(2);
  fake.next(2).direction(3);
  fake.next(2).version(1);
  fake.next(1).silence();   // other role: never reached here
  for (int i = 0; i < 3; ++i) cl.send(kAsk7);
  EXPECT_EQ(cl.read_pdu(), with(kReply7, 7, {3}));
  EXPECT_EQ(cl.read_pdu(), with(kReply7, 4, {0, 1}));
  EXPECT_EQ(cl.read_pdu(), kReply7);
}

// ---- connections ----------------------------------------------------------

TEST(FakeConnections, TwoAtOnce) {
  FakeController fake;
  // Command 8 waits for command 9 from the other connection: a fake that
  // served one connection at a time would never answer it.
  std::mutex mu;
  std::condition_variable cv;
  bool nine = false;
  fake.on(1, 8, [&](const RbRequest&) {
    std::unique_lock<std::mutex> l(mu);
    bool ok = cv.wait_for(l, std::chrono::seconds(5), [&] { return nine; });
    return RbReply().i16(ok ? 8 : -8);
  });
  fake.on(1, 9, [&](const RbRequest&) {
    {
      std::lock_guard<std::mutex> l(mu);
      nine = true;
    }
    cv.notify_all();
    return RbReply().i16(9);
  });
  Client c1(fake.port()), c2(fake.port());
  c1.initiate(1);
  c2.initiate(2);
  c2.send(request({Rb{.cmd = 8}}));
  ASSERT_TRUE(fake.wait_received(3));
  c1.send(request({Rb{.cmd = 9}}));
  EXPECT_EQ(word(c1.read_pdu(), 28), 9);
  EXPECT_EQ(word(c2.read_pdu(), 28), 8);
}

TEST(FakeConnections, SendToReachesTheNewestOfTheRole) {
  FakeController fake;
  Client old1(fake.port()), c1(fake.port()), c2(fake.port());
  old1.initiate(1);
  c1.initiate(1);
  c2.initiate(2);
  const Bytes abort = w16({0, 0xFFFE, 0, 0});
  EXPECT_TRUE(fake.send_to(1, 24, 4, abort));
  EXPECT_EQ(c1.read_pdu(), make_pdu(5, 24, 4, abort));
  EXPECT_FALSE(fake.send_to(3, 24, 4, abort));
}

TEST(FakeConnections, DisconnectMidPduLeavesOthersAlone) {
  FakeController fake;
  fake.reply(1, 7, RbReply().i16(7));
  Client good(fake.port());
  good.initiate(2);
  {
    Client bad(fake.port());
    bad.send(Bytes(kAsk7.begin(), kAsk7.begin() + 5));   // half a header
  }
  {
    Client bad(fake.port());
    bad.send(Bytes(kAsk7.begin(), kAsk7.end() - 3));     // header and part of the body
  }
  good.send(kAsk7);
  EXPECT_EQ(good.read_pdu(), kReply7);
}

TEST(FakeConnections, BadMarkFromTheClientDropsItsConnection) {
  FakeController fake;
  Client cl(fake.port());
  cl.send(with(make_pdu(1, 1, 1, w16({2})), 3, {0}));
  EXPECT_TRUE(cl.closed_by_peer());
  ASSERT_TRUE(fake.wait_received(1));
  EXPECT_EQ(fake.received()[0].mark, 0xA0A0A000u);
}

TEST(FakeConnections, CloseAllDropsEveryConnection) {
  FakeController fake;
  Client c1(fake.port()), c2(fake.port());
  c1.initiate(1);
  c2.initiate(2);
  fake.close_all();
  EXPECT_TRUE(c1.closed_by_peer());
  EXPECT_TRUE(c2.closed_by_peer());
  EXPECT_FALSE(fake.send_to(1, 24, 4, {}));
  Client c3(fake.port());
  EXPECT_EQ(c3.initiate(1).size(), 82u);
}

class StopListening : public testing::TestWithParam<bool> {};

TEST_P(StopListening, LaterConnectsAreRefused) {
  const bool before_first = GetParam();
  FakeController fake;
  if (before_first) fake.stop_listening_after(1);
  Client c1(fake.port());
  ASSERT_TRUE(c1.connected());
  EXPECT_EQ(c1.initiate(1).size(), 82u);
  if (!before_first) fake.stop_listening_after(1);
  Client c2(fake.port());
  EXPECT_FALSE(c2.connected());
  EXPECT_EQ(fake.connections_accepted(), 1);
  c1.send(make_pdu(1, 2, 1, {}));   // the accepted one still works
  EXPECT_EQ(c1.read_pdu(), make_pdu(5, 2, 2, {}));
}

INSTANTIATE_TEST_SUITE_P(When, StopListening, testing::Bool());

TEST(FakeConnections, DestructorWakesEverything) {
  auto fake = std::make_unique<FakeController>();
  Client idle(fake->port()), delayed(fake->port()), half(fake->port());
  idle.initiate(2);
  delayed.initiate(1);
  fake->next(1).delay(600000);
  delayed.send(make_pdu(1, 2, 1, {}));
  half.send(Bytes(kAsk7.begin(), kAsk7.begin() + 12));
  ASSERT_TRUE(fake->wait_received(3));
  fake.reset();   // must not wait out the delay or the half-sent PDU
  EXPECT_TRUE(idle.closed_by_peer());
  EXPECT_TRUE(delayed.closed_by_peer());
  EXPECT_TRUE(half.closed_by_peer());
}

}  // namespace
}  // namespace oz::sim
