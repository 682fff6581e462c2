// The unsolicited message service against the fake controller and the
// message server stand-in.
#include <cstring>
#include <functional>
#include <optional>
#include <sstream>

#include "base/pc_programs.h"
#include "sim/msg_server.h"
#include "sim/unsolic_wire.h"
#include "tests/support.h"

namespace oz::test {
namespace {

using sim::RbReply;
namespace u = oz::unsolic;

// Test processes run side by side: each keeps its named objects to itself.
void own_scope() {
  static const bool done = [] {
    plat::set_env("OZLIB_IPC_SCOPE", ("oztest" + std::to_string(plat::process_id())).c_str());
    return true;
  }();
  (void)done;
}

// Big-endian bytes as the wire carries them.
struct Bytes {
  std::vector<uint8_t> v;
  Bytes& u16(uint16_t x) { v.push_back(uint8_t(x >> 8)); v.push_back(uint8_t(x)); return *this; }
  Bytes& u32(uint32_t x) { return u16(uint16_t(x >> 16)).u16(uint16_t(x)); }
  Bytes& raw(std::initializer_list<uint8_t> b) { v.insert(v.end(), b); return *this; }
  Bytes& zeros(size_t n) { v.resize(v.size() + n, 0); return *this; }
  Bytes& text(const char* s, size_t width) {
    const size_t n = std::strlen(s);
    v.insert(v.end(), s, s + n);
    return zeros(width - n);
  }
  // An RB in request form: size 28, class, path, command, arg1..arg3.
  Bytes& rb(uint16_t cls, uint16_t path, uint16_t cmd, int32_t a1, int32_t a2, int32_t a3) {
    return u16(28).u16(cls).u16(path).u16(cmd).u32(uint32_t(a1)).u32(uint32_t(a2)).u32(uint32_t(a3)).zeros(8);
  }
};

unsolicprm_t setting1() {
  unsolicprm_t p{};
  std::strcpy(p.ipaddr, "192.168.1.20");
  p.word1 = 8193;
  p.word2 = 12;
  p.word3 = 7;
  p.word5 = 3;
  p.word6 = 2;
  p.count = 2;
  p.range[0] = {1, 5, 100, 16, {0, 0}};
  p.range[1] = {1, 9, 0, 4, {0, 0}};
  return p;
}

unsolicprm2_t setting2() {
  unsolicprm2_t p{};
  std::strcpy(p.address, "pc-17.example");
  p.word1 = 0xABCD1234;
  p.word2 = 2;
  p.word3 = 3;
  p.word4 = 4;
  p.form = 3;
  p.form_word1 = 0x11;
  p.form_word2 = 0x22;   // form 3: not sent
  p.value1 = 0x01020304;
  p.value2 = 0xA0B0C0D0;
  p.count = 2;
  p.item[0] = {1, 0, 2, 9, 500, 8};
  p.item[1] = {5, 0, 1, 0, 100, 104};
  return p;
}

class Unsolic : public FakeTest {
 protected:
  Unsolic() {
    own_scope();
    for (uint8_t t = u::kWritePrm; t <= u::kReadPrm2; ++t) answer(t);
  }
  void answer(uint8_t type, std::vector<uint8_t> body = {}) {
    fake.on_pdu(type, [body](sim::Conn& c, const sim::ReceivedPdu& p) { c.send(p.type, kDirResponse, body); });
  }
  void refuse(uint8_t type, int16_t code) {
    fake.on_pdu(type, [code](sim::Conn& c, const sim::ReceivedPdu& p) {
      c.send(p.type, kDirError, sim::error_body(0, code, 0, 0));
    });
  }
  std::vector<std::vector<uint8_t>> bodies(uint8_t type) const {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& p : fake.received())
      if (p.type == type) out.push_back(p.body);
    return out;
  }
  size_t settings_pdus() const {
    size_t n = 0;
    for (const auto& p : fake.received()) n += p.type >= u::kWritePrm && p.type <= u::kReadPrm2;
    return n;
  }
  uint16_t detail(uint16_t h) { return uint16_t(FakeTest::detail(h).detail); }
};

// ---- settings ---------------------------------------------------------------------

TEST_F(Unsolic, FirstFormWriteSendsTheFieldsBeforeOneRbPerRange) {
  uint16_t h = open();
  const unsolicprm_t p = setting1();
  ASSERT_EQ(EW_SUCCESS, cnc_wrunsolicprm(h, 3, &p));
  const auto want = Bytes()
                        .u16(3).raw({192, 168, 1, 20}).u16(8193).u16(12).u32(7).u16(0).u16(3).u16(2)
                        .u16(2).rb(2, 1, 0x8001, 100, 115, 5).rb(2, 1, 0x8001, 0, 3, 9).v;
  ASSERT_EQ(1u, bodies(u::kWritePrm).size());
  EXPECT_EQ(want, bodies(u::kWritePrm)[0]);
}

struct FieldCase {
  const char* what;
  std::function<void(unsolicprm_t&)> spoil;
  uint16_t detail;
};

TEST_F(Unsolic, FirstFormFieldChecksInTheirOrderBeforeAnythingIsSent) {
  uint16_t h = open();
  const FieldCase cases[] = {
      {"word2 not 5 or 12", [](unsolicprm_t& p) { p.word2 = 6; }, 3},
      {"word2 and word3 both bad: word2 first", [](unsolicprm_t& p) { p.word2 = 6; p.word3 = -1; }, 3},
      {"word3 negative", [](unsolicprm_t& p) { p.word3 = -1; }, 4},
      {"word4 negative", [](unsolicprm_t& p) { p.word4 = -1; }, 5},
      {"word5 zero", [](unsolicprm_t& p) { p.word5 = 0; }, 6},
      {"word6 zero", [](unsolicprm_t& p) { p.word6 = 0; }, 7},
      {"word6 above word5", [](unsolicprm_t& p) { p.word6 = 4; }, 7},
      {"no range", [](unsolicprm_t& p) { p.count = 0; }, 8},
      {"four ranges", [](unsolicprm_t& p) { p.count = 4; }, 8},
      {"range kind 2", [](unsolicprm_t& p) { p.range[1].kind = 2; }, 9},
      {"address type 13", [](unsolicprm_t& p) { p.range[0].adr_type = 13; }, 10},
      {"start negative", [](unsolicprm_t& p) { p.range[0].start = -1; }, 11},
      {"length negative", [](unsolicprm_t& p) { p.range[1].length = -1; }, 12},
      {"one range of 1431", [](unsolicprm_t& p) { p.count = 1; p.range[0].length = 1431; }, 12},
      {"two ranges of 1415", [](unsolicprm_t& p) { p.range[0].length = 1411; }, 12},
      {"three ranges of 1399", [](unsolicprm_t& p) {
         p.count = 3; p.range[0].length = 1000; p.range[1].length = 398; p.range[2] = {1, 0, 0, 1, {0, 0}};
       }, 12},
      {"address that does not parse", [](unsolicprm_t& p) { std::strcpy(p.ipaddr, "192.168.1.x"); }, 1},
  };
  for (const FieldCase& fc : cases) {
    SCOPED_TRACE(fc.what);
    unsolicprm_t p = setting1();
    fc.spoil(p);
    EXPECT_EQ(EW_VALUE, cnc_wrunsolicprm(h, 1, &p));
    EXPECT_EQ(fc.detail, detail(h));
  }
  EXPECT_EQ(0u, settings_pdus());
}

TEST_F(Unsolic, FirstFormLimitsAndWhatLiesBeyondTheCount) {
  uint16_t h = open();
  unsolicprm_t p = setting1();
  p.count = 3;
  p.range[0].length = 1000;
  p.range[1].length = 397;
  p.range[2] = {1, 0, 0, 1, {0, 0}};
  EXPECT_EQ(EW_SUCCESS, cnc_wrunsolicprm(h, 1, &p));   // 1398 in three ranges
  p = setting1();
  p.count = 1;
  p.range[0].length = 1430;
  p.range[1] = {7, -5, -5, -5, {0, 0}};                 // not a range of this setting
  std::memcpy(p.ipaddr, "10.1.2.3\0\xEE\xEE\xEE\xEE\xEE\xEE\xEE", 16);
  EXPECT_EQ(EW_SUCCESS, cnc_wrunsolicprm(h, 1, &p));
  ASSERT_EQ(2u, bodies(u::kWritePrm).size());
  EXPECT_EQ(22u + 28u, bodies(u::kWritePrm)[1].size());
}

TEST_F(Unsolic, FirstFormReadDecodesIntoAWholeRecord) {
  answer(u::kReadPrm, Bytes()
                          .u16(2).raw({10, 0, 0, 7}).u16(0x1234).u16(5).u32(9).u16(1).u16(2).u16(2)
                          .zeros(4).u16(2).rb(2, 1, 0x8001, 200, 203, 5).rb(2, 1, 0x8001, 10, 10, 12).v);
  uint16_t h = open();
  unsolicprm_t got;
  sentinel(got);
  ASSERT_EQ(EW_SUCCESS, cnc_rdunsolicprm(h, 2, &got));
  unsolicprm_t want{};
  std::strcpy(want.ipaddr, "10.0.0.7");
  want.word1 = 0x1234;
  want.word2 = 5;
  want.word3 = 9;
  want.word4 = 1;
  want.word5 = 2;
  want.word6 = 2;
  want.count = 2;
  want.range[0] = {1, 5, 200, 4, {0, 0}};
  want.range[1] = {1, 12, 10, 1, {0, 0}};
  EXPECT_EQ(0, std::memcmp(&want, &got, sizeof got));
  EXPECT_EQ(Bytes().u16(2).v, bodies(u::kReadPrm)[0]);
}

TEST_F(Unsolic, FirstFormReadRefusesWhatItCannotDecodeAndKeepsTheRecord) {
  const struct {
    const char* what;
    std::vector<uint8_t> reply;
    int16_t code;
  } cases[] = {
      {"reply ends before the count", Bytes().u16(1).zeros(20).v, EW_SIZE},
      {"RB cut short", Bytes().u16(1).zeros(22).u16(1).u16(28).u16(2).v, EW_SIZE},
      {"RB of another command", Bytes().u16(1).zeros(22).u16(1).rb(1, 1, 167, 1, 2, 0).v, EW_ENTRYKIND},
  };
  uint16_t h = open();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    answer(u::kReadPrm, c.reply);
    unsolicprm_t got;
    sentinel(got);
    EXPECT_EQ(c.code, cnc_rdunsolicprm(h, 1, &got));
    EXPECT_TRUE(untouched(&got, 0, sizeof got));
  }
}

TEST_F(Unsolic, FirstFormReadKeepsToThreeRanges) {
  Bytes reply;
  reply.u16(1).zeros(22).u16(4);
  for (int i = 0; i < 4; ++i) reply.rb(2, 1, 0x8001, i, i, 0);
  answer(u::kReadPrm, reply.v);
  uint16_t h = open();
  unsolicprm_t got;
  ASSERT_EQ(EW_SUCCESS, cnc_rdunsolicprm(h, 1, &got));
  EXPECT_EQ(3, got.count);
}

TEST_F(Unsolic, SecondFormWriteSendsAnEightyEightBytePrefix) {
  uint16_t h = open();
  const unsolicprm2_t p = setting2();
  ASSERT_EQ(EW_SUCCESS, cnc_wrunsolicprm2(h, 2, &p));
  const auto want = Bytes()
                        .u16(2).text("pc-17.example", 64).u16(0x1234).u16(2).u16(3).u16(4).u16(3).u16(0x11)
                        .u16(0).u32(0x01020304).u32(0xA0B0C0D0)
                        .u16(2).rb(2, 2, 0x8001, 500, 507, 9).rb(1, 1, 476, 100, 104, 0).v;
  EXPECT_EQ(want, bodies(u::kWritePrm2).at(0));
}

TEST_F(Unsolic, SecondFormChecksBeforeAnythingIsSent) {
  uint16_t h = open();
  const struct {
    const char* what;
    std::function<void(unsolicprm2_t&)> spoil;
    uint16_t sub;
  } cases[] = {
      {"form 0", [](unsolicprm2_t& p) { p.form = 0; }, 0},
      {"form 5", [](unsolicprm2_t& p) { p.form = 5; }, 0},
      {"no item", [](unsolicprm2_t& p) { p.count = 0; }, 0},
      {"four items", [](unsolicprm2_t& p) { p.count = 4; }, 0},
      {"item kind 6", [](unsolicprm2_t& p) { p.item[1].kind = 6; }, 15},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    unsolicprm2_t p = setting2();
    c.spoil(p);
    EXPECT_EQ(EW_VALUE, cnc_wrunsolicprm2(h, 1, &p));
    dtailerr_t d = FakeTest::detail(h);
    EXPECT_EQ(2, d.detail);
    EXPECT_EQ(c.sub, d.subdetail);
  }
  EXPECT_EQ(0u, settings_pdus());
}

TEST_F(Unsolic, SecondFormReadDecodesItemsByCommand) {
  answer(u::kReadPrm2, Bytes()
                           .u16(1).text("host", 64).u16(0x0102).u16(3).u16(4).u16(5).zeros(4).u16(2).u16(0x11)
                           .u16(0x22).u32(7).u32(0xFFFFFFFF)
                           .u16(2).rb(2, 3, 0x8001, 10, 19, 4).rb(1, 2, 479, 7, 9, 0).v);
  uint16_t h = open();
  unsolicprm2_t got;
  sentinel(got);
  ASSERT_EQ(EW_SUCCESS, cnc_rdunsolicprm2(h, 1, &got));
  unsolicprm2_t want{};
  std::strcpy(want.address, "host");
  want.word1 = 0x0102;
  want.word2 = 3;
  want.word3 = 4;
  want.word4 = 5;
  want.form = 2;
  want.form_word1 = 0x11;
  want.form_word2 = 0x22;
  want.value1 = 7;
  want.value2 = 0xFFFFFFFF;
  want.count = 2;
  want.item[0] = {1, 0, 3, 4, 10, 10};
  want.item[1] = {4, 0, 2, 0, 7, 9};
  EXPECT_EQ(0, std::memcmp(&want, &got, sizeof got));
  EXPECT_EQ(Bytes().u16(1).v, bodies(u::kReadPrm2)[0]);

  answer(u::kReadPrm2, Bytes().u16(1).zeros(90).u16(1).rb(1, 1, 168, 0, 0, 0).v);
  sentinel(got);
  EXPECT_EQ(EW_ENTRYKIND, cnc_rdunsolicprm2(h, 1, &got));
  EXPECT_TRUE(untouched(&got, 0, sizeof got));
}

// ---- the setting number, first of every handle-bound call -----------------------------

TEST_F(Unsolic, EverySettingCallRefusesNumbersOutsideOneToThree) {
  own_scope();
  sim::MessageServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  const struct {
    const char* name;
    std::function<int16_t(uint16_t, int16_t)> run;
  } calls[] = {
      {"cnc_wrunsolicprm", [](uint16_t h, int16_t n) { const auto p = setting1(); return cnc_wrunsolicprm(h, n, &p); }},
      {"cnc_rdunsolicprm", [](uint16_t h, int16_t n) { unsolicprm_t p; return cnc_rdunsolicprm(h, n, &p); }},
      {"cnc_wrunsolicprm2", [](uint16_t h, int16_t n) { const auto p = setting2(); return cnc_wrunsolicprm2(h, n, &p); }},
      {"cnc_rdunsolicprm2", [](uint16_t h, int16_t n) { unsolicprm2_t p; return cnc_rdunsolicprm2(h, n, &p); }},
      {"cnc_unsolicstart", [](uint16_t h, int16_t n) { int16_t r = 5; return cnc_unsolicstart(h, n, nullptr, 0, 1, &r); }},
      {"cnc_unsolicstop", [](uint16_t h, int16_t n) { return cnc_unsolicstop(h, n); }},
  };
  uint16_t h = open();
  for (const auto& c : calls) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EW_RANGE, c.run(h, 0));
    EXPECT_EQ(EW_RANGE, c.run(h, 4));
  }
  EXPECT_EQ(0u, settings_pdus());
  EXPECT_TRUE(sent().empty());
  EXPECT_TRUE(server.requests().empty());
}

// ---- registration ------------------------------------------------------------------

class Registering : public Unsolic {
 protected:
  sim::MessageServer server;   // made after the scope is set
  void SetUp() override { ASSERT_TRUE(server.ok()) << server.error(); }
  int16_t start(uint16_t h, int16_t number = 2) {
    int16_t reg = -1;
    EXPECT_EQ(EW_SUCCESS, cnc_unsolicstart(h, number, nullptr, 0, 1, &reg));
    return reg;
  }
};

TEST_F(Registering, StartHandsTheServerItsRecordAndTheControllerTheNumber) {
  uint16_t h = open();
  int16_t reg = -1;
  void* window = reinterpret_cast<void*>(uintptr_t(0x123456789A));
  ASSERT_EQ(EW_SUCCESS, cnc_unsolicstart(h, 2, window, 0x3FFF, 3, &reg));
  const auto regs = server.registrations();
  ASSERT_EQ(1u, regs.size());
  EXPECT_EQ(regs[0].number, reg);
  EXPECT_EQ(0x7F000001u, regs[0].start.address);
  EXPECT_EQ(fake.port(), regs[0].start.port);
  EXPECT_EQ(2, regs[0].start.number);
  EXPECT_EQ(3, regs[0].start.count);
  EXPECT_EQ(0x123456789Au, regs[0].start.window);
  EXPECT_EQ(0x3FFFu, regs[0].start.msg);
  EXPECT_EQ(Bytes().u16(uint16_t(reg)).u16(2).v, bodies(u::kStart).at(0));
}

TEST_F(Registering, ArgumentChecksComeBeforeTheServer) {
  uint16_t h = open();
  int16_t reg = 9;
  EXPECT_EQ(EW_KIND, cnc_unsolicstart(h, 1, nullptr, 0x4000, 1, &reg));
  EXPECT_EQ(0, reg);
  EXPECT_EQ(EW_VALUE, cnc_unsolicstart(h, 1, nullptr, 0, 0, &reg));
  EXPECT_TRUE(server.requests().empty());
  EXPECT_EQ(0u, settings_pdus());
}

TEST_F(Registering, ControllerThatRunsTheSettingAlreadyCountsAsSuccess) {
  refuse(u::kStart, -1);
  uint16_t h = open();
  const int16_t reg = start(h);
  EXPECT_NE(0, reg);
  EXPECT_EQ(1u, server.registrations().size());
  EXPECT_EQ(std::vector<uint32_t>{u::kMsgStart}, server.requests());
}

TEST_F(Registering, ControllerRefusalGivesTheRegistrationBack) {
  refuse(u::kStart, 5);
  uint16_t h = open();
  int16_t reg = 0;
  LogTail log;
  EXPECT_EQ(5, cnc_unsolicstart(h, 1, nullptr, 0, 1, &reg));
  EXPECT_NE(0, reg);
  EXPECT_TRUE(server.registrations().empty());
  EXPECT_EQ((std::vector<uint32_t>{u::kMsgStart, u::kMsgClear}), server.requests());
  EXPECT_TRUE(log.any(": cnc_unsolicstart(" + std::to_string(h) + " 1 "));
}

TEST_F(Registering, ServerRefusalsAndTheirCodes) {
  const struct {
    uint64_t answer;
    int16_t code;
  } cases[] = {{0x65000, EW_BUFFER}, {0x65001, EW_INUSE}, {0x65011, EW_PRECONDITION}, {0x7FFFFFFF, EW_PRECONDITION}};
  uint16_t h = open();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    server.answer_next(u::kMsgStart, c.answer);
    int16_t reg = 7;
    EXPECT_EQ(c.code, cnc_unsolicstart(h, 1, nullptr, 0, 1, &reg));
    EXPECT_EQ(0, reg);
  }
  EXPECT_EQ(std::vector<uint32_t>(4, u::kMsgStart), server.requests());
  EXPECT_EQ(0u, settings_pdus());
}

TEST_F(Unsolic, WithoutAServerStartAndStopSendNothing) {
  uint16_t h = open();
  int16_t reg = 3;
  EXPECT_EQ(EW_UNAVAILABLE, cnc_unsolicstart(h, 1, nullptr, 0, 1, &reg));
  EXPECT_EQ(0, reg);
  EXPECT_EQ(EW_UNAVAILABLE, cnc_unsolicstop(h, 1));
  EXPECT_EQ(0u, settings_pdus());
  EXPECT_TRUE(sent().empty());
}

TEST_F(Registering, StopUnregistersReadsParameter905AndStopsTheController) {
  uint16_t h = open();
  start(h, 3);
  fake.clear_received();
  ASSERT_EQ(EW_SUCCESS, cnc_unsolicstop(h, 3));
  EXPECT_TRUE(server.registrations().empty());
  EXPECT_EQ(Bytes().u16(3).v, bodies(u::kStop).at(0));
  expectRequests({{141, 905, 905, 0}});
}

// Parameter 905 read as a byte parameter holding v.
RbReply param905(int32_t v) { return RbReply().i32(905).i16(0).u16(1).i32(v).u16(0).u16(0); }

TEST_F(Registering, StopOfASettingTheServerDoesNotKnow) {
  const struct {
    const char* what;
    std::optional<RbReply> param;
    int16_t code;
  } cases[] = {
      {"parameter unreadable", std::nullopt, EW_UNAVAILABLE},
      {"bit 4 clear", param905(0xEF), EW_UNAVAILABLE},
      {"bit 4 set", param905(0x10), EW_SUCCESS},
  };
  uint16_t h = open();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.param) fake.reply(1, 141, *c.param);
    fake.clear_received();
    EXPECT_EQ(c.code, cnc_unsolicstop(h, 1));
    EXPECT_EQ(1u, bodies(u::kStop).size());   // the controller is stopped anyway
  }
}

TEST_F(Registering, StopRefusedByTheServerIsNotSent) {
  uint16_t h = open();
  server.answer_next(u::kMsgStop, 0x65000);
  EXPECT_EQ(EW_PRECONDITION, cnc_unsolicstop(h, 1));
  EXPECT_TRUE(bodies(u::kStop).empty());
}

// ---- the stored messages --------------------------------------------------------------

// A "Message%d" memory laid out by the test, exactly this size.
struct StoredMemory {
  plat::Shared* m;
  StoredMemory(int reg, const std::vector<uint8_t>& bytes)
      : m(plat::shared_create(u::message_map(reg).c_str(), bytes.size())) {
    EXPECT_NE(nullptr, m);
    plat::shared_write(m, 0, bytes.data(), bytes.size());
  }
  ~StoredMemory() { plat::shared_close(m); }
};

std::vector<uint8_t> host16s(std::initializer_list<uint16_t> w) {
  std::vector<uint8_t> out(2 * w.size());
  std::memcpy(out.data(), w.begin(), out.size());
  return out;
}

struct Reader1 {
  uint8_t buf[3][8];
  unsolicmsg_t m;
  explicit Reader1(int16_t room = 8) {
    std::memset(buf, 0xEE, sizeof buf);
    sentinel(m);
    for (int i = 0; i < 3; ++i) m.entry[i] = {room, int16_t(0xEEEE), buf[i]};
  }
};

TEST(UnsolicMessages, FirstFormBlockIsCopiedEntryByEntry) {
  own_scope();
  StoredMemory mem(41, sim::push::stored_block({{1, 0, {1, 2, 3}}, {1, 0, {4, 5, 6, 7, 8, 9, 10, 11}}}));
  Reader1 r;
  ASSERT_EQ(EW_SUCCESS, cnc_rdunsolicmsg(41, &r.m));
  EXPECT_EQ(2, r.m.count);
  EXPECT_EQ(3, r.m.entry[0].length);
  EXPECT_EQ(8, r.m.entry[1].length);
  EXPECT_EQ(0, std::memcmp(r.buf[0], "\x01\x02\x03\xEE", 4));
  EXPECT_EQ(0, std::memcmp(r.buf[1], "\x04\x05\x06\x07\x08\x09\x0A\x0B", 8));
  EXPECT_EQ(int16_t(0xEEEE), r.m.reserved);
  EXPECT_EQ(int16_t(8), r.m.entry[2].length);   // not delivered: as the caller left it
}

TEST(UnsolicMessages, TheWalkStopsAtLengthZeroAtTheCountAndAtThreeEntries) {
  own_scope();
  const struct {
    const char* what;
    std::vector<uint8_t> block;
    int16_t count;
  } cases[] = {
      {"second entry of length 0", host16s({3, 1, 2, 0x0101, 1, 0, 1, 2, 0x0202}), 1},
      {"count 1 of two entries", host16s({1, 1, 2, 0x0101, 1, 2, 0x0202}), 1},
      {"count 0", host16s({0, 1, 2, 0x0101}), 0},
      {"five entries", host16s({5, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0}), 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    StoredMemory mem(42, c.block);
    Reader1 r;
    ASSERT_EQ(EW_SUCCESS, cnc_rdunsolicmsg(42, &r.m));
    EXPECT_EQ(c.count, r.m.count);
  }
}

TEST(UnsolicMessages, MalformedBlocksMissingMemoryAndSmallBuffers) {
  own_scope();
  const struct {
    const char* what;
    std::vector<uint8_t> block;
    int16_t room;
    int16_t code;
  } cases[] = {
      // Longer than a page, so the memory ends before it on every system.
      {"entry past the memory", host16s({1, 1, 8000, 0}), 8, EW_KIND},
      {"long form: tag 3 for the first form", host16s({1, 3, 0, 8, 0, 0, 0, 0}), 8, EW_KIND},
      {"short form: second tag 2", host16s({2, 1, 2, 0, 2, 2, 0}), 8, EW_KIND},
      {"buffer of 2 for 4 bytes", host16s({1, 1, 4, 0, 0}), 2, EW_SIZE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    StoredMemory mem(43, c.block);
    Reader1 r(c.room);
    EXPECT_EQ(c.code, cnc_rdunsolicmsg(43, &r.m));
  }
  LogTail log;
  Reader1 r;
  EXPECT_EQ(EW_VALUE, cnc_rdunsolicmsg(44, &r.m));
  std::ostringstream line;
  line << "Error: cnc_rdunsolicmsg(44 " << static_cast<const void*>(&r.m) << "): 5 0 0";
  EXPECT_TRUE(log.has(line.str())) << line.str();
}

TEST(UnsolicMessages, SecondFormBringsTypesWordsAndHostOrderValues) {
  own_scope();
  std::vector<uint8_t> values;
  for (uint64_t v : {0x0102030405060708ull, 0xFFFFFFFFFFFFFFFEull})
    for (int s = 56; s >= 0; s -= 8) values.push_back(uint8_t(v >> s));
  values.push_back(0x99);   // not a whole value: left out
  StoredMemory mem(45, sim::push::stored_block({{2, 7, {1, 2, 3}}, {4, 2, values}}));
  uint8_t buf[2][24];
  std::memset(buf, 0xEE, sizeof buf);
  unsolicmsg2_t m;
  sentinel(m);
  for (int i = 0; i < 3; ++i) m.entry[i] = {0xEEEE, 0xEEEE, 0xEEEE, 0xEEEE, 24, i < 2 ? buf[i] : nullptr};
  ASSERT_EQ(EW_SUCCESS, cnc_rdunsolicmsg2(45, &m));
  ASSERT_EQ(2, m.count);
  EXPECT_EQ(1, m.entry[0].type);
  EXPECT_EQ(7, m.entry[0].word);
  EXPECT_EQ(3u, m.entry[0].count);
  EXPECT_EQ(0, std::memcmp(buf[0], "\x01\x02\x03\xEE", 4));
  EXPECT_EQ(4, m.entry[1].type);
  EXPECT_EQ(2, m.entry[1].word);
  EXPECT_EQ(2u, m.entry[1].count);
  uint64_t v[2];
  std::memcpy(v, buf[1], 16);
  EXPECT_EQ(0x0102030405060708ull, v[0]);
  EXPECT_EQ(0xFFFFFFFFFFFFFFFEull, v[1]);
  EXPECT_EQ(0xEE, buf[1][16]);
  EXPECT_EQ(0xEEEE, m.entry[0].reserved1);

  StoredMemory other(46, sim::push::stored_block({{2, 0, {1}}, {6, 0, {1}}}));
  EXPECT_EQ(EW_KIND, cnc_rdunsolicmsg2(46, &m));
  StoredMemory short_form(47, sim::push::stored_block({{1, 0, {9, 9}}}));
  m.entry[0].count = 24;
  ASSERT_EQ(EW_SUCCESS, cnc_rdunsolicmsg2(47, &m));
  EXPECT_EQ(1, m.entry[0].type);
  EXPECT_EQ(1, m.entry[0].word);
  EXPECT_EQ(2u, m.entry[0].count);
}

}  // namespace
}  // namespace oz::test
