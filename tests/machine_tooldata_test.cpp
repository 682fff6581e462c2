// Tool management data against the fake controller.
#include "tests/machine1_support.h"

namespace oz::test {
namespace {

using sim::RbReply;

// A wire record whose every 32-bit slot holds 0x01000000 + its offset; the
// 16-bit fields at 64 and 66 read 0x0140 and 0x0142.
std::vector<uint8_t> wire_record() {
  std::vector<uint8_t> r;
  for (int off = 0; off < 156; off += 4) {
    if (off == 64) {
      r.insert(r.end(), {0x01, 0x40, 0x01, 0x42});
      continue;
    }
    for (uint8_t b : wire32({0x01000000 + off})) r.push_back(b);
  }
  return r;
}

RbReply records(int n) {
  RbReply r = RbReply().i32(n);
  for (int i = 0; i < n; ++i) r.bytes(wire_record());
  return r;
}

// The caller's record decoded from wire_record(): each field narrowed.
toolrec_t decoded(uint8_t mirror) {
  toolrec_t t;
  sentinel(t);
  for (int k = 0; k < 4; ++k) t.l0[k] = 0x01000000 + 4 * k;
  t.b16 = 16;
  t.b17 = 20;
  for (int k = 0; k < 3; ++k) t.w18[k] = int16_t(24 + 4 * k);
  t.l24[0] = 0x01000000 + 36;
  t.l24[1] = 0x01000000 + 40;
  for (int k = 0; k < 5; ++k) t.w32[k] = int16_t(44 + 4 * k);
  t.w42 = 0x0140;
  t.w44 = 0x0142;
  t.w46[0] = 68;
  t.w46[1] = 72;
  t.b50 = mirror;
  for (int k = 0; k < 20; ++k) t.l60[k] = 0x01000000 + 76 + 4 * k;
  return t;
}

class ToolData : public MachineRowTest {};

TEST_F(ToolData, TwentyToolsComeNineAtATime) {
  uint16_t h = open();
  fake.on(kClassCnc, 331, [](const sim::RbRequest& q) { return records(q.a2); });
  std::vector<toolrec_t> out(21);
  for (toolrec_t& t : out) sentinel(t);
  int16_t count = 20;
  ASSERT_EQ(EW_SUCCESS, cnc_rdtool(h, 1, &count, out.data()));
  expectRequests({{331, 1, 9}, {331, 10, 9}, {331, 19, 2}});
  EXPECT_EQ(20, count);
  const toolrec_t want = decoded(0);
  EXPECT_EQ(0, std::memcmp(&want, &out[19], sizeof want));
  EXPECT_TRUE(untouched(&out[20], 0, sizeof out[20]));
}

TEST_F(ToolData, RecordsOfAFailingReplyCountAndALyingOneIsSize) {
  uint16_t h = open();
  RbReply failing = records(2);
  failing.result = 5;
  fake.reply(kClassCnc, 331, failing);
  toolrec_t out[9];
  int16_t count = 9;
  EXPECT_EQ(5, cnc_rdtool(h, 4, &count, out));
  EXPECT_EQ(2, count);
  RbReply lying = records(1);
  lying.data[3] = 3;   // claims three records
  fake.reply(kClassCnc, 331, lying);
  count = 9;
  EXPECT_EQ(EW_SIZE, cnc_rdtool(h, 4, &count, out));
  EXPECT_EQ(1, count);
  fake.reply(kClassCnc, 331, RbReply().i32(0));
  count = 9;
  EXPECT_EQ(EW_SUCCESS, cnc_rdtool(h, 4, &count, out));
  EXPECT_EQ(0, count);
}

TEST_F(ToolData, NumbersBelowOneFailBeforeSending) {
  uint16_t h = open();
  toolrec_t t{};
  toolitem_t item{};
  int16_t count = 1;
  EXPECT_EQ(EW_RANGE, cnc_rdtool(h, 0, &count, &t));
  EXPECT_EQ(EW_RANGE, cnc_regtool(h, 0, &count, &t));
  EXPECT_EQ(EW_RANGE, cnc_wrtool(h, 0, &t));
  EXPECT_EQ(EW_RANGE, cnc_wrtool2(h, -1, &item));
  EXPECT_TRUE(sent().empty());
}

TEST_F(ToolData, WritesWidenEachFieldBackToTheWire) {
  uint16_t h = open();
  const toolrec_t t = decoded(0x77);
  ASSERT_EQ(EW_SUCCESS, cnc_wrtool(h, 12, &t));
  // Narrow fields lose their high bytes, so the wire record comes back only
  // where the caller's width holds the value.
  std::vector<uint8_t> want = wire_record();
  auto put = [&](int off, int32_t v) {
    const auto b = wire32({v});
    std::copy(b.begin(), b.end(), want.begin() + off);
  };
  for (int off : {16, 20, 24, 28, 32, 44, 48, 52, 56, 60, 68, 72}) put(off, off);
  expectRequests({{332, 12, 0, 0, 0, want}});
  int16_t count = 10;
  std::vector<toolrec_t> many(10, t);
  ASSERT_EQ(EW_SUCCESS, cnc_regtool(h, 3, &count, many.data()));
  const auto q = sent();
  ASSERT_EQ(3u, q.size());
  EXPECT_EQ(3, q[1].a1);
  EXPECT_EQ(156u * 9, q[1].data.size());
  EXPECT_EQ(12, q[2].a1);
  EXPECT_EQ(want, q[2].data);
  EXPECT_EQ(10, count);
}

class ToolDataMirrored : public MachineRowTest {
 protected:
  ToolDataMirrored() : MachineRowTest(cfg()) {}
  static sim::FakeConfig cfg() {
    auto c = sim::FakeConfig::standard();
    c.fixed[42] = 1;   // configuration word 36, bit 0
    return c;
  }
};

TEST_F(ToolDataMirrored, TheByteAt50FollowsTheFieldAt66) {
  uint16_t h = open();
  fake.reply(kClassCnc, 331, records(1));
  toolrec_t out;
  sentinel(out);
  int16_t count = 1;
  ASSERT_EQ(EW_SUCCESS, cnc_rdtool(h, 1, &count, &out));
  const toolrec_t want = decoded(0x42);
  EXPECT_EQ(0, std::memcmp(&want, &out, sizeof want));
  out.w44 = 0x1234;
  out.b50 = 0x99;
  ASSERT_EQ(EW_SUCCESS, cnc_wrtool(h, 1, &out));
  EXPECT_EQ(0x00, sent().back().data[66]);
  EXPECT_EQ(0x99, sent().back().data[67]);
}

class ToolDataRows : public MachineRowTest {};

TEST_F(ToolDataRows, SingleRequests) {
  static const toolitem_t narrow{6, -2, 0x12345}, wide{9, 7, 0x12345};
  static const magazine_t mags[2] = {{1, 2, 30}, {2, 5, 31}};
  static const int32_t places[2] = {102, 205};
  auto L = [](auto f) { return [f](uint16_t h, void* b) { return f(h, b); }; };
  check({
      {"deltool", {{330, words({4})}}, L([](uint16_t h, void* b) {
         auto* v = static_cast<int16_t*>(b);
         *v = 5;
         return cnc_deltool(h, 3, v);
       }), {{330, 3, 5}}, {4, 0}},
      {"wrtool2 narrow kind", {}, L([](uint16_t h, void*) { return cnc_wrtool2(h, 8, &narrow); }), {{333, 8, 0, 0, 0, wire32({6, -2})}}, {}},
      {"wrtool2 wide kind", {}, L([](uint16_t h, void*) { return cnc_wrtool2(h, 8, &wide); }), {{333, 8, 0, 0, 0, wire32({9, 0x12345})}}, {}},
      {"regmagazine", {{334, RbReply().i16(2)}}, L([](uint16_t h, void* b) {
         auto* n = static_cast<int16_t*>(b);
         *n = 2;
         return cnc_regmagazine(h, n, mags);
       }), {{334, 0, 0, 0, 0, wire32({1, 2, 30, 2, 5, 31})}}, {2, 0}},
      {"wrmagazine", {}, L([](uint16_t h, void*) { return cnc_wrmagazine(h, 2, 7, 41); }), {{337, 2, 0, 0, 0, {0, 7, 0, 41}}}, {}},
      {"btlfpotsrh", {{239, RbReply().i16(9)}}, L([](uint16_t h, void* b) { return cnc_btlfpotsrh(h, 1, 2, 3, static_cast<int16_t*>(b)); }),
       {{239, 1, 2, 0, 0, {0, 3}}}, {9, 0}},
      {"rdhdnxt", {{416, words({12, 13})}}, L([](uint16_t h, void* b) {
         auto* v = static_cast<int32_t*>(b);
         return cnc_rdhdnxt(h, v, v + 1);
       }), {{416}}, {12, 0, 0, 0, 13, 0, 0, 0}},
      {"tool_move", {{544, words({1})}}, L([](uint16_t h, void* b) { return cnc_tool_move(h, places, static_cast<int32_t*>(b)); }),
       {{544, 0, 0, 0, 0, wire32({102, 205})}}, {1, 0, 0, 0}},
      {"reg_toolstrage", {}, L([](uint16_t h, void*) { return cnc_reg_toolstrage(h, 200, mags); }), {{547, 200, 0, 0, 0, wire32({1, 2, 30})}}, {}},
      {"wredgedata2", {}, L([](uint16_t h, void*) { return cnc_wredgedata2(h, 5, 2, 7, -1); }), {{651, 5, 2, 0, 0, wire32({7, -1})}}, {}},
  });
}

TEST_F(ToolDataRows, MagazineListsAreBoundedByTheCount) {
  uint16_t h = open();
  fake.reply(kClassCnc, 336, words({1, 1, 11, 1, 2, 12, 1, 3, 13}));
  magazine_t out[3];
  sentinel(out);
  int16_t top = 4, count = 2;
  ASSERT_EQ(EW_SUCCESS, cnc_rdmagazine(h, &top, &count, out));
  expectRequests({{336, 4, 2, 0, 0, std::vector<uint8_t>(24, 0)}});
  EXPECT_EQ(2, count);
  EXPECT_EQ(6, top);
  EXPECT_EQ(12, out[1].tool_num);
  EXPECT_TRUE(untouched(&out[2], 0, sizeof out[2]));
  fake.reply(kClassCnc, 335, words({21}));
  count = 2;
  ASSERT_EQ(EW_SUCCESS, cnc_delmagazine(h, &count, out));
  EXPECT_EQ(1, count);
  EXPECT_EQ(21, out[0].tool_num);
  EXPECT_EQ(12, out[1].tool_num);
  EXPECT_EQ(wire32({1, 1, 1, 2}), sent().back().data);
  count = 119;
  EXPECT_EQ(EW_RANGE, cnc_rdmagazine(h, &top, &count, out));
  EXPECT_EQ(2u, sent().size());
}

class ToolDataOld : public FakeTest {
 protected:
  ToolDataOld() : FakeTest(sim::FakeConfig::standard(2)) {}
};

TEST_F(ToolDataOld, DeleteBelowOneNeedsTheCurrentDialect) {
  uint16_t h = open();
  int16_t v = 0;
  EXPECT_EQ(EW_RANGE, cnc_deltool(h, 0, &v));
  EXPECT_TRUE(sent().empty());
}

}  // namespace
}  // namespace oz::test
