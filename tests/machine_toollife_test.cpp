// Tool life management against the fake controller.
#include "tests/machine1_support.h"

namespace oz::test {
namespace {

using sim::RbReply;

// A one-group record reply: header, then ntool, in use, life, type, count.
RbReply group_reply(int32_t head, int32_t ntool, int32_t life, int32_t type, int32_t count) {
  return words({head, ntool, 1, life, type, count, 0, 0, 0});
}
// A tool entry reply: group, second word, tool, length and radius numbers, info.
const RbReply kEntry = words({0x10002, 0x70005, 205, 21, 61, 1});

class ToolLife : public MachineRowTest {};

TEST_F(ToolLife, SingleValuesSendOneRequestAndStoreTheirField) {
  const auto life8 = [](int32_t l) { return after<lifevalue_t>([&](lifevalue_t& v) { v.data.l = l; }); };
  const auto short8 = [](int16_t w) { return after<lifevalue_t>([&](lifevalue_t& v) { v.data.w = w; }); };
  const auto grp = [](int16_t f, int32_t d) {
    return after<grpvalue_t>([&](grpvalue_t& v) { v.found = f; v.data = d; });
  };
  const auto tool = [](int16_t g, int16_t i, int32_t d) {
    return after<toolvalue_t>([&](toolvalue_t& v) { v.group = g; v.index = i; v.data = d; });
  };
  const RbReply sizes = words({5, 0x10080, 0x20010});
  const RbReply group = group_reply(1, 3, 12, 9, 7);
  auto L = [](auto f) { return [f](uint16_t h, void* b) { return f(h, b); }; };
  check({
      {"rdngrp", {{74, sizes}}, L([](uint16_t h, void* b) { return cnc_rdngrp(h, (lifevalue_t*)b); }), {{74}}, life8(5)},
      {"rdmaxgrp", {{74, sizes}}, L([](uint16_t h, void* b) { return cnc_rdmaxgrp(h, (lifevalue_t*)b); }), {{74}}, short8(0x80)},
      {"rdmaxtool", {{74, sizes}}, L([](uint16_t h, void* b) { return cnc_rdmaxtool(h, (lifevalue_t*)b); }), {{74}}, short8(0x10)},
      {"rdntool", {{139, group}}, L([](uint16_t h, void* b) { return cnc_rdntool(h, 3, (grpvalue_t*)b); }), {{139, 3, 3}}, grp(1, 3)},
      {"rdlife", {{139, group}}, L([](uint16_t h, void* b) { return cnc_rdlife(h, -2, (grpvalue_t*)b); }), {{139, -2, -2}}, grp(1, 12)},
      {"rdcount", {{139, group}}, L([](uint16_t h, void* b) { return cnc_rdcount(h, 3, (grpvalue_t*)b); }), {{139, 3, 3}}, grp(1, 7)},
      {"rdntool of a group the controller lacks", {{139, words({0})}},
       L([](uint16_t h, void* b) { return cnc_rdntool(h, 9, (grpvalue_t*)b); }), {{139, 9, 9}}, grp(0, 0)},
      {"rdcount of a record the reply lacks", {{139, words({1, 3})}},
       L([](uint16_t h, void* b) { return cnc_rdcount(h, 3, (grpvalue_t*)b); }), {{139, 3, 3}}, after<grpvalue_t>([](auto&) {}), EW_SIZE},
      {"rd1length", {{79, kEntry}}, L([](uint16_t h, void* b) { return cnc_rd1length(h, 2, 5, (toolvalue_t*)b); }), {{79, 2, 5}}, tool(2, 5, 21)},
      {"rd1radius", {{79, kEntry}}, L([](uint16_t h, void* b) { return cnc_rd1radius(h, 2, 5, (toolvalue_t*)b); }), {{79, 2, 5}}, tool(2, 5, 61)},
      {"t1info", {{79, kEntry}}, L([](uint16_t h, void* b) { return cnc_t1info(h, 2, 5, (toolvalue_t*)b); }), {{79, 2, 5}}, tool(2, 5, 1)},
      {"rd2length", {{77, kEntry}}, L([](uint16_t h, void* b) { return cnc_rd2length(h, 2, 5, (toolvalue_t*)b); }), {{77, 2, 5, 5}}, tool(2, 5, 21)},
      {"rd2radius", {{77, kEntry}}, L([](uint16_t h, void* b) { return cnc_rd2radius(h, 2, 5, (toolvalue_t*)b); }), {{77, 2, 5, 5}}, tool(2, 5, 61)},
      {"t2info", {{77, kEntry}}, L([](uint16_t h, void* b) { return cnc_t2info(h, 2, 5, (toolvalue_t*)b); }), {{77, 2, 5, 5}}, tool(2, 5, 1)},
      {"toolnum", {{77, kEntry}}, L([](uint16_t h, void* b) { return cnc_toolnum(h, 2, 5, (toolvalue_t*)b); }), {{77, 2, 5, 5}}, tool(2, 5, 205)},
      {"toolnum of a missing entry", {{77, words({0x10000, 6})}},
       L([](uint16_t h, void* b) { return cnc_toolnum(h, 2, 6, (toolvalue_t*)b); }), {{77, 2, 6, 6}}, tool(0, 6, 0)},
  });
}

TEST_F(ToolLife, EntriesAndUseRecords) {
  auto L = [](auto f) { return [f](uint16_t h, void* b) { return f(h, b); }; };
  const RbReply missing = words({0, 9, 1, 2, 3, 4});
  check({
      {"rd2tlifedata", {{77, kEntry}}, L([](uint16_t h, void* b) { return cnc_rd2tlifedata(h, 2, 5, (tlifedat_t*)b); }),
       {{77, 2, 5, 5}}, after<tlifedat_t>([](tlifedat_t& t) { t = {2, 5, 205, 21, 61, 1}; })},
      {"rd1tlifedat2", {{79, kEntry}}, L([](uint16_t h, void* b) { return cnc_rd1tlifedat2(h, 2, 70000, (tlifedat2_t*)b); }),
       {{79, 2, 70000}}, after<tlifedat2_t>([](tlifedat2_t& t) { t.group = 2; t.word = 0x70005; t.h_code = 21; t.d_code = 61; t.tool_inf = 1; })},
      {"rd1tlifedat2 of a missing entry", {{79, missing}}, L([](uint16_t h, void* b) { return cnc_rd1tlifedat2(h, 2, 7, (tlifedat2_t*)b); }),
       {{79, 2, 7}}, after<tlifedat2_t>([](tlifedat2_t& t) { t.group = 0; t.word = 9; t.h_code = t.d_code = t.tool_inf = 0; })},
      {"rd1tlifedata", {{79, kEntry}}, L([](uint16_t h, void* b) { return cnc_rd1tlifedata(h, 2, 5, (tlifedat_t*)b); }),
       {{79, 2, 5}}, after<tlifedat_t>([](tlifedat_t& t) { t.group = 2; t.tool_num = 0x70005; t.h_code = 21; t.d_code = 61; t.tool_inf = 1; })},
      {"rdusegrpid", {{72, words({4, 401, 2})}}, L([](uint16_t h, void* b) { return cnc_rdusegrpid(h, (usegrp_t*)b); }),
       {{72}}, after<usegrp_t>([](usegrp_t& u) { u.data[0] = 4; u.data[1] = 401; u.data[2] = 2; })},
      {"rdgrpid2", {{71, words({6})}}, L([](uint16_t h, void* b) { return cnc_rdgrpid2(h, 100001, (grpid_t*)b); }),
       {{71, 100001}}, after<grpid_t>([](grpid_t& g) { g.tool_num = 100001; g.group = 6; })},
      {"rdgrpid", {{71, words({6})}}, L([](uint16_t h, void* b) { return cnc_rdgrpid(h, -5, (grpid1_t*)b); }),
       {{71, -5}}, after<grpid1_t>([](grpid1_t& g) { g.tool_num = -5; g.group = 6; })},
      {"rdgrpid2 with no data", {{71, RbReply()}}, L([](uint16_t h, void* b) { return cnc_rdgrpid2(h, 1, (grpid_t*)b); }),
       {{71, 1}}, after<grpid_t>([](auto&) {}), EW_SIZE},
  });
}

TEST_F(ToolLife, WritesAndActionsSendTheirRequest) {
  auto L = [](auto f) { return [f](uint16_t h, void*) { return f(h); }; };
  static const tlifedat_t t{3, 4, 401, 31, 71, 2};
  static const tlifedat2_t t2{3, 0, 4, 401, 31, 71, 2};
  static const instlfdt_t ins{3, 2, 777};
  check({
      {"wr2tlifedata", {}, L([](uint16_t h) { return cnc_wr2tlifedata(h, &t); }), {{78, 3, 4, 4, 0, wire32({401, 31, 71, 2})}}, {}},
      {"wr1tlifedat2", {}, L([](uint16_t h) { return cnc_wr1tlifedat2(h, &t2); }), {{80, 3, 4, 0, 0, wire32({401, 31, 71, 2})}}, {}},
      {"wr1tlifedata", {}, L([](uint16_t h) { return cnc_wr1tlifedata(h, &t); }), {{80, 3, 4, 0, 0, wire32({401, 31, 71, 2})}}, {}},
      {"deltlifegrp", {}, L([](uint16_t h) { return cnc_deltlifegrp(h, 7); }), {{83, 7}}, {}},
      {"deltlifedt", {}, L([](uint16_t h) { return cnc_deltlifedt(h, 7, 2); }), {{85, 7, 2}}, {}},
      {"clrcntinfo", {}, L([](uint16_t h) { return cnc_clrcntinfo(h, -1, 3); }), {{82, -1, 3}}, {}},
      {"instlifedt", {}, L([](uint16_t h) { return cnc_instlifedt(h, &ins); }), {{84, 3, 2, 777}}, {}},
  });
}

// ---- ranges ---------------------------------------------------------------------------

// Answers a range request with as many group records as asked for, each word
// telling its group and place.
void full_ranges(sim::FakeController& fake, uint16_t cmd, int record) {
  fake.on(kClassCnc, cmd, [record](const sim::RbRequest& q) {
    RbReply r = RbReply().i32(q.a2 - q.a1 + 1);
    for (int g = q.a1; g <= q.a2; ++g)
      for (int w = 0; w < record / 4; ++w) r.i32(1000 * g + w);
    return r;
  });
}

TEST_F(ToolLife, GroupInfoSplitsAHundredGroupsIntoThreeRequests) {
  uint16_t h = open();
  full_ranges(fake, 139, 32);
  std::vector<uint8_t> buf(8 + 16 * 100 + 4, 0xEE);
  auto* out = reinterpret_cast<grpinfo_t*>(buf.data());
  ASSERT_EQ(EW_SUCCESS, cnc_rdgrpinfo(h, 1, 100, int16_t(8 + 16 * 100), out));
  expectRequests({{139, 1, 44}, {139, 45, 88}, {139, 89, 100}});
  EXPECT_EQ(1, out->head.first);
  EXPECT_EQ(100, out->head.last);
  EXPECT_EQ(0xEEEE, uint16_t(out->head.reserved1));
  EXPECT_EQ(0xEEEE, uint16_t(out->head.reserved2));
  // Items: record words +0, +8, +16, +12.
  EXPECT_EQ(1000, out->data[0].ntool);
  EXPECT_EQ(1002, out->data[0].life);
  EXPECT_EQ(1004, out->data[0].count);
  EXPECT_EQ(1003, out->data[0].type);
  int32_t last[4];
  std::memcpy(last, &buf[8 + 16 * 99], 16);
  EXPECT_EQ(100000, last[0]);
  EXPECT_EQ(100003, last[3]);
  EXPECT_TRUE(untouched(buf.data(), 8 + 16 * 100, buf.size()));
}

TEST_F(ToolLife, GroupInfoFailsOnTheReplyTheLengthCannotHold) {
  uint16_t h = open();
  full_ranges(fake, 139, 32);
  std::vector<uint8_t> buf(8 + 16 * 99, 0xEE);
  EXPECT_EQ(EW_SIZE, cnc_rdgrpinfo(h, 1, 100, int16_t(buf.size()), reinterpret_cast<grpinfo_t*>(buf.data())));
  EXPECT_EQ(3u, sent().size());
  EXPECT_TRUE(untouched(buf.data(), 8 + 16 * 88, buf.size()));
}

TEST_F(ToolLife, RangeArgumentsAreTestedBeforeSending) {
  uint16_t h = open();
  grpinfo_t g;
  usetlno_t u;
  sentinel(u);
  EXPECT_EQ(EW_RANGE, cnc_rdgrpinfo(h, 5, 4, sizeof g, &g));
  EXPECT_EQ(EW_RANGE, cnc_rdtoolrng(h, 0, 4, sizeof g, reinterpret_cast<toolrng_t*>(&g)));
  u.head.first = 6;
  u.head.last = 5;
  EXPECT_EQ(EW_RANGE, cnc_wrcountr(h, sizeof u, &u));
  u.head.first = 1;
  u.head.last = 17;
  EXPECT_EQ(EW_SIZE, cnc_wrcountr(h, sizeof u, &u));
  EXPECT_EQ(EW_SIZE, cnc_wrcountr(h, 6, &u));
  EXPECT_TRUE(sent().empty());
}

TEST_F(ToolLife, ARangeEndingInResultThreeKeepsWhatCame) {
  uint16_t h = open();
  int calls = 0;
  fake.on(kClassCnc, 73, [&calls](const sim::RbRequest& q) {
    if (++calls > 1) return RbReply::fail(EW_RANGE);
    RbReply r = RbReply().i32(0);
    for (int g = q.a1; g <= q.a2; ++g) r.i32(g);
    return r;
  });
  std::vector<uint8_t> buf(8 + 4 * 400, 0xEE);
  auto* out = reinterpret_cast<usetlno_t*>(buf.data());
  ASSERT_EQ(EW_SUCCESS, cnc_rdusetlno(h, 1, 400, int16_t(buf.size()), out));
  expectRequests({{73, 1, 357}, {73, 358, 400}});
  EXPECT_EQ(357, out->head.last);
  EXPECT_EQ(357, reinterpret_cast<int32_t*>(buf.data() + 8)[356]);
  // Result 3 on the first request is the call's result.
  fake.reply(kClassCnc, 139, RbReply::fail(EW_RANGE));
  toolrng_t t;
  EXPECT_EQ(EW_RANGE, cnc_rdtoolrng(h, 1, 3, sizeof t, &t));
}

TEST_F(ToolLife, AShortReplyEndsTheRange) {
  uint16_t h = open();
  fake.reply(kClassCnc, 139, words({2, 3, 0, 12, 0, 7, 0, 0, 0, 4, 0, 16, 0, 9, 0, 0, 0}));
  toolrng_t t;
  sentinel(t);
  ASSERT_EQ(EW_SUCCESS, cnc_rdtoolrng(h, 10, 20, sizeof t, &t));
  expectRequests({{139, 10, 20}});
  EXPECT_EQ(10, t.head.first);
  EXPECT_EQ(11, t.head.last);
  EXPECT_EQ(4, t.data[1].ntool);
  EXPECT_EQ(16, t.data[1].life);
  EXPECT_EQ(9, t.data[1].count);
  EXPECT_TRUE(untouched(&t.data[2], 0, 12));
}

// A reply holding more groups than were asked for adds no more than asked.
TEST_F(ToolLife, ALongReplyStoresOnlyWhatWasAskedFor) {
  uint16_t h = open();
  fake.reply(kClassCnc, 73, words({3, 41, 42, 43}));
  usetlno_t out;
  sentinel(out);
  ASSERT_EQ(EW_SUCCESS, cnc_rdusetlno(h, 5, 6, 8 + 4 * 2, &out));
  EXPECT_EQ(6, out.head.last);
  EXPECT_EQ(42, out.data[1]);
  EXPECT_TRUE(untouched(&out.data[2], 0, 4));
}

TEST_F(ToolLife, RangeWritesSplitAndStopOnResultThree) {
  uint16_t h = open();
  std::vector<uint8_t> buf(8 + 20 * 50, 0);
  auto* in = reinterpret_cast<wrgrpinfo_t*>(buf.data());
  in->head.first = 1;
  in->head.last = 50;
  for (int i = 0; i < 50 * 5; ++i) reinterpret_cast<int32_t*>(buf.data() + 8)[i] = i;
  int calls = 0;
  fake.on(kClassCnc, 76, [&calls](const sim::RbRequest&) { return ++calls > 1 ? RbReply::fail(3) : RbReply(); });
  ASSERT_EQ(EW_SUCCESS, cnc_wrgrpinfo(h, int16_t(buf.size()), in));
  const auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(44, q[0].a2);
  EXPECT_EQ(45, q[1].a1);
  EXPECT_EQ(50, q[1].a2);
  ASSERT_EQ(20u * 44, q[0].data.size());
  EXPECT_EQ(wire32({0, 1, 2, 3, 4}), std::vector<uint8_t>(q[0].data.begin(), q[0].data.begin() + 20));
  EXPECT_EQ(wire32({220, 221, 222, 223, 224}), std::vector<uint8_t>(q[1].data.begin(), q[1].data.begin() + 20));
  // The first request failing is the call's failure.
  calls = 1;
  EXPECT_EQ(3, cnc_wrgrpinfo(h, int16_t(buf.size()), in));
}

TEST_F(ToolLife, ToolsOfAGroupAskEachEntryInOnePdu) {
  uint16_t h = open();
  fake.reply(kClassCnc, 139, group_reply(1, 3, 12, 0, 7));
  fake.on(kClassCnc, 77, [](const sim::RbRequest& q) { return words({q.a1, q.a2, 100 + q.a2, 1, 2, 3}); });
  tlgrptool_t t[3];
  sentinel(t);
  int16_t length = int16_t(2 * sizeof(tlgrptool_t) + 7);   // room for two tools
  ASSERT_EQ(EW_SUCCESS, cnc_rdtoolgrp(h, 4, &length, t));
  expectRequests({{139, 4, 4}, {77, 4, 1, 1}, {77, 4, 2, 2}});
  EXPECT_EQ(40, length);
  EXPECT_EQ(102, t[1].tool_num);
  EXPECT_EQ(2, t[1].index);
  EXPECT_TRUE(untouched(&t[2], 0, sizeof t[2]));
  length = 19;
  EXPECT_EQ(EW_SIZE, cnc_rdtoolgrp(h, 4, &length, t));
}

// ---- the dialect forms ---------------------------------------------------------------------

class ToolLifeOld : public MachineRowTest {
 protected:
  ToolLifeOld() : MachineRowTest(sim::FakeConfig::standard(2)) {}
};

int16_t table_forms(uint16_t h) {
  uint8_t buf[8];
  int16_t len = 8;
  int16_t r = cnc_rdgrpinfo2(h, 1, 2, &len, buf);
  len = 8;
  r |= cnc_rdgrpinfo3(h, 1, 2, &len, buf);
  len = 8;
  r |= cnc_rdgrpinfo4(h, 1, 2, &len, buf);
  r |= cnc_wrgrpinfo2(h, 1, 2, 4, buf);
  r |= cnc_wrgrpinfo3(h, 1, 2, 4, buf);
  len = 8;
  r |= cnc_rdtlinfo(h, &len, buf);
  len = 8;
  r |= cnc_rdtlusegrp(h, &len, buf);
  len = 8;
  r |= cnc_rdtlgrp(h, 3, &len, buf);
  return r;
}

std::vector<uint16_t> commands(const std::vector<sim::RbRequest>& q) {
  std::vector<uint16_t> c;
  for (const auto& r : q) c.push_back(r.cmd);
  return c;
}

TEST_F(ToolLife, TableFormsUseTheNewerCommands) {
  uint16_t h = open();
  EXPECT_EQ(EW_SUCCESS, table_forms(h));
  EXPECT_EQ((std::vector<uint16_t>{447, 448, 449, 450, 451, 452, 453, 447}), commands(sent()));
  EXPECT_EQ(3, sent().back().a2);
}

TEST_F(ToolLifeOld, TableFormsUseTheGroupRecordCommands) {
  uint16_t h = open();
  EXPECT_EQ(EW_SUCCESS, table_forms(h));
  EXPECT_EQ((std::vector<uint16_t>{139, 139, 139, 76, 76, 74, 72, 139}), commands(sent()));
}

}  // namespace
}  // namespace oz::test
