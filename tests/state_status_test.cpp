// Status, positions, dynamic snapshot, axis data, spindle values and names
// against the fake controller: requests on the wire, bytes written into the
// caller's structures, argument tests before sending.
#include <cstring>

#include "tests/support.h"

namespace oz::test {
namespace {

using sim::RbReply;

// n 8-byte items whose first word is base + i and whose decimal word is dec.
RbReply values(int n, int32_t base, int16_t dec = 3) {
  RbReply r;
  for (int i = 0; i < n; ++i) r.i32(base + i).i16(0).i16(dec);
  return r;
}

class State : public FakeTest {};

// ---- position family ---------------------------------------------------------------

using PosFn = int16_t (*)(uint16_t, int16_t, int16_t, axis_values_t*);
struct PosRow {
  const char* name;
  PosFn fn;
  int kind;
};
const PosRow kPositions[] = {
    {"absolute2", cnc_absolute2, 0}, {"machine", cnc_machine, 1},  {"relative2", cnc_relative2, 2},
    {"absolute", cnc_absolute, 4},   {"relative", cnc_relative, 6}, {"distance", cnc_distance, 7},
    {"skip", cnc_skip, 8},           {"srvdelay", cnc_srvdelay, 9}, {"accdecdly", cnc_accdecdly, 10},
    {"slide", cnc_slide, 17},        {"allowance", cnc_allowance, 18},
};

class Position : public FakeTest, public ::testing::WithParamInterface<PosRow> {};

TEST_P(Position, SendsItsKindAndCutsTheReplyToThePathsAxes) {
  uint16_t h = open();
  fake.reply(1, 38, values(5, 100));   // more items than the path's 3 axes
  axis_values_t v;
  sentinel(v);
  ASSERT_EQ(EW_SUCCESS, GetParam().fn(h, -1, 16, &v));
  auto q = sent();
  ASSERT_EQ(1u, q.size());
  EXPECT_EQ(38, q[0].cmd);
  EXPECT_EQ(GetParam().kind, q[0].a1);
  EXPECT_EQ(-1, q[0].a2);
  EXPECT_EQ(-1, v.axis);
  EXPECT_EQ(0xEEEE, uint16_t(v.reserved));
  EXPECT_EQ(100, v.data[0]);
  EXPECT_EQ(102, v.data[2]);
  EXPECT_TRUE(untouched(&v, 16, sizeof v));
}

TEST_P(Position, LengthTestComesAfterTheExchange) {
  uint16_t h = open();
  fake.reply(1, 38, values(3, 1));
  axis_values_t v;
  sentinel(v);
  EXPECT_EQ(EW_SIZE, GetParam().fn(h, -1, 15, &v));
  EXPECT_EQ(1u, sent().size());
  EXPECT_TRUE(untouched(&v, 0, sizeof v));
}

TEST_P(Position, AxisAboveThePathsCountFailsBeforeSending) {
  uint16_t h = open();
  axis_values_t v;
  EXPECT_EQ(EW_KIND, GetParam().fn(h, 4, 100, &v));
  EXPECT_TRUE(sent().empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, Position, ::testing::ValuesIn(kPositions),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(State, MachineTwoAndThreeChooseTheKindByType) {
  uint16_t h = open();
  fake.reply(1, 38, values(1, 7));
  axis_values_t v{};
  ASSERT_EQ(EW_SUCCESS, cnc_machine2(h, 2, 8, 0, &v));
  ASSERT_EQ(EW_SUCCESS, cnc_machine3(h, 2, 8, 0, &v));
  ASSERT_EQ(EW_SUCCESS, cnc_machine3(h, 2, 8, 1, &v));
  ASSERT_EQ(EW_SUCCESS, cnc_machine3(h, 2, 8, 2, &v));
  auto q = sent();
  ASSERT_EQ(4u, q.size());
  const int kinds[] = {24, 22, 1, 23};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(kinds[i], q[size_t(i)].a1);
    EXPECT_EQ(2, q[size_t(i)].a2);
  }
  EXPECT_EQ(7, v.data[0]);
  EXPECT_EQ(2, v.axis);
}

TEST_F(State, MachineTypeTestNeedsNoHandle) {
  axis_values_t v{};
  EXPECT_EQ(EW_KIND, cnc_machine2(0, -1, 100, 1, &v));
  EXPECT_EQ(EW_KIND, cnc_machine3(0, -1, 100, 3, &v));
  EXPECT_EQ(EW_KIND, cnc_machine3(0x8001, -1, 100, -1, &v));
  EXPECT_EQ(EW_BADHANDLE, cnc_machine2(0, -1, 100, 0, &v));
}

TEST_F(State, PresetSendsValueItemsForEveryAxisOrOne) {
  uint16_t h = open();
  for (int cmd : {60, 61, 62, 303}) fake.reply(1, uint16_t(cmd), RbReply());
  axis_values_t in{};
  in.axis = -1;
  in.data[0] = 1000;
  in.data[1] = -2;
  in.data[2] = 0x01020304;
  EXPECT_EQ(EW_SIZE, cnc_wrrelpos(h, 15, &in));
  EXPECT_TRUE(sent().empty());
  ASSERT_EQ(EW_SUCCESS, cnc_wrrelpos(h, 16, &in));
  in.axis = 2;
  in.data[0] = 5;
  ASSERT_EQ(EW_SUCCESS, cnc_wrabspos(h, 8, &in));
  ASSERT_EQ(EW_SUCCESS, cnc_prstwkcd(h, 8, &in));
  ASSERT_EQ(EW_SUCCESS, cnc_workzero(h, 8, &in));
  in.axis = 4;
  EXPECT_EQ(EW_KIND, cnc_workzero(h, 100, &in));
  auto q = sent();
  ASSERT_EQ(4u, q.size());
  EXPECT_EQ(60, q[0].cmd);
  EXPECT_EQ(-1, q[0].a1);
  const std::vector<uint8_t> all = {0, 0, 3, 0xE8, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0, 0, 0xFF, 0xFF,
                                    1, 2, 3, 4, 0, 0, 0xFF, 0xFF};
  EXPECT_EQ(all, q[0].data);
  const std::vector<uint8_t> one = {0, 0, 0, 5, 0, 0, 0xFF, 0xFF};
  for (size_t i = 1; i < 4; ++i) {
    EXPECT_EQ(2, q[i].a1);
    EXPECT_EQ(one, q[i].data);
  }
  EXPECT_EQ(61, q[1].cmd);
  EXPECT_EQ(62, q[2].cmd);
  EXPECT_EQ(303, q[3].cmd);
}

TEST_F(State, MovrlapWritesBothBlocksAndCutsToTheLength) {
  uint16_t h = open();
  fake.on(1, 38, [](const sim::RbRequest& q) { return values(3, q.a1 * 100); });
  axis_values_t v;
  sentinel(v);
  ASSERT_EQ(EW_SUCCESS, cnc_rdmovrlap(h, -1, 28, &v));
  const int32_t want[] = {1100, 1101, 1102, 1200, 1201, 1202};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(want[i], v.data[i]);
  EXPECT_TRUE(untouched(&v, 28, sizeof v));
  EXPECT_EQ(EW_KIND, cnc_rdmovrlap(h, 1, 100, &v));
  EXPECT_EQ(2u, sent().size());
}

TEST_F(State, ExdgtJoinsTheHalvesAndStopsAtTheControllersAxes) {
  uint16_t h = open();
  RbReply r;
  for (int i = 0; i < 4; ++i) r.i32(i == 0 ? 1 : -1).i32(i == 0 ? 2 : -5).i32(3).i32(4);
  fake.reply(1, 718, r);
  using Fn = int16_t (*)(uint16_t, exdgt_t*);
  const Fn fns[] = {cnc_absolute2_exdgt, cnc_machine_exdgt, cnc_relative2_exdgt, cnc_distance_exdgt};
  for (Fn f : fns) {
    exdgt_t out[4];
    sentinel(out);
    ASSERT_EQ(EW_SUCCESS, f(h, out));
    EXPECT_EQ((int64_t(1) << 32) | 2, out[0].data);
    EXPECT_EQ(-5, out[1].data);
    EXPECT_EQ(3u, out[2].dec);
    EXPECT_EQ(4u, out[2].unit);
    EXPECT_TRUE(untouched(&out[3], 0, sizeof out[3]));
  }
  auto q = sent();
  ASSERT_EQ(4u, q.size());
  EXPECT_EQ(0, q[0].a1);
  EXPECT_EQ(1, q[1].a1);
  EXPECT_EQ(2, q[2].a1);
  EXPECT_EQ(7, q[3].a1);
}

// ---- dynamic snapshot and run status -------------------------------------------------

void dynamic_replies(sim::FakeController& f) {
  f.reply(1, 26, RbReply().i32(0x12345678));
  f.reply(1, 28, RbReply().i32(0x00010002).i32(0x00030004));
  f.reply(1, 29, RbReply().i32(29));
  f.reply(1, 36, RbReply().i32(36));
  f.reply(1, 37, RbReply().i32(37));
  f.on(1, 38, [](const sim::RbRequest& q) { return values(3, q.a1 * 10); });
}

TEST_F(State, DynamicSendsNineRbsAndWritesTheBlocksBackToBack) {
  uint16_t h = open();
  dynamic_replies(fake);
  rddynamic_t d;
  sentinel(d);
  ASSERT_EQ(EW_SUCCESS, cnc_rddynamic(h, -1, int16_t(24 + 16 * 3), &d));
  auto q = sent();
  ASSERT_EQ(9u, q.size());
  const int cmds[] = {26, 28, 29, 36, 37, 38, 38, 38, 38};
  const int kinds[] = {4, 1, 6, 7};
  for (size_t i = 0; i < 9; ++i) EXPECT_EQ(cmds[i], q[i].cmd);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(kinds[i], q[5 + i].a1);
    EXPECT_EQ(-1, q[5 + i].a2);
  }
  EXPECT_EQ(0x5678, d.alarm);
  EXPECT_EQ(2, d.prgnum);
  EXPECT_EQ(4, d.prgmnum);
  EXPECT_EQ(int16_t(0xEEEE), d.pad);
  EXPECT_EQ(29, d.seqnum);
  EXPECT_EQ(36, d.actf);
  EXPECT_EQ(37, d.acts);
  const int32_t want[] = {40, 41, 42, 10, 11, 12, 60, 61, 62, 70, 71, 72};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(want[i], d.pos[i]);
  EXPECT_TRUE(untouched(&d, 24 + 48, sizeof d));
}

TEST_F(State, DynamicTwoAndO8DifferInTheAlarmWidth) {
  uint16_t h = open();
  dynamic_replies(fake);
  rddynamic2_t d;
  sentinel(d);
  ASSERT_EQ(EW_SUCCESS, cnc_rddynamic2(h, 2, 44, &d));
  EXPECT_EQ(0x12345678, d.alarm);
  EXPECT_EQ(0x00010002, d.prgnum);
  EXPECT_EQ(0x00030004, d.prgmnum);
  EXPECT_EQ(2, d.axis);
  EXPECT_EQ(40, d.pos[0]);   // one value per block fits in 44 bytes
  EXPECT_TRUE(untouched(&d, 44, sizeof d));
  sentinel(d);
  ASSERT_EQ(EW_SUCCESS, cnc_rddynamico8(h, -1, 28 + 48, &d));
  auto* b = reinterpret_cast<uint8_t*>(&d);
  int16_t low;
  std::memcpy(&low, b + 4, 2);
  EXPECT_EQ(0x5678, low);
  EXPECT_TRUE(untouched(&d, 6, 8));
  EXPECT_EQ(0x00010002, d.prgnum);
}

TEST_F(State, DynamicArgumentTestsSendNothing) {
  uint16_t h = open();
  rddynamic_t d;
  rddynamic2_t d2;
  EXPECT_EQ(EW_KIND, cnc_rddynamic(h, 0, 100, &d));
  EXPECT_EQ(EW_SIZE, cnc_rddynamic(h, 1, 39, &d));
  EXPECT_EQ(EW_SIZE, cnc_rddynamic(h, -1, 24 + 16 * 3 - 1, &d));
  EXPECT_EQ(EW_SIZE, cnc_rddynamic2(h, 1, 43, &d2));
  EXPECT_EQ(EW_SIZE, cnc_rddynamico8(h, -1, 28 + 16 * 3 - 1, &d2));
  EXPECT_TRUE(sent().empty());
}

TEST_F(State, DynamicLaterRbFailureKeepsTheFixedFields) {
  uint16_t h = open();
  dynamic_replies(fake);
  fake.on(1, 38, [](const sim::RbRequest& q) { return q.a1 == 6 ? RbReply::fail(6) : values(3, 1); });
  rddynamic_t d;
  sentinel(d);
  EXPECT_EQ(EW_NOFEATURE, cnc_rddynamic(h, -1, 100, &d));
  EXPECT_EQ(36, d.actf);
  EXPECT_EQ(1, d.pos[0]);
  EXPECT_EQ(int16_t(0xEEEE), d.axis);
}

TEST_F(State, StatinfoToleratesTheModeWordsButNotTheStatus) {
  uint16_t h = open();
  fake.reply(1, 25, RbReply().i16(1).i16(2).i16(3));
  fake.reply(1, 226, RbReply().i16(9));
  fake.reply(1, 225, RbReply::fail(1));
  fake.reply(1, 152, RbReply().i16(7));
  statinfo_t s;
  sentinel(s);
  ASSERT_EQ(EW_SUCCESS, cnc_statinfo(h, &s));
  const uint16_t want[] = {0, 7, 1, 2, 3};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(want[i], s.word[i]);
  EXPECT_TRUE(untouched(&s, 10, sizeof s));
  auto q = sent();
  ASSERT_EQ(3u, q.size());
  EXPECT_EQ(25, q[0].cmd);
  EXPECT_EQ(225, q[1].cmd);
  EXPECT_EQ(152, q[2].cmd);
  ASSERT_EQ(EW_SUCCESS, cnc_statinfo2(h, &s));
  EXPECT_EQ(9, s.word[2]);
  // The run status itself failing fails the call, mode words written.
  fake.reply(1, 25, RbReply::fail(5));
  sentinel(s);
  EXPECT_EQ(EW_VALUE, cnc_statinfo(h, &s));
  EXPECT_EQ(7, s.word[1]);
  EXPECT_TRUE(untouched(&s, 4, sizeof s));
}

TEST_F(State, StatinfoCopiesNoMoreWordsThanTheStructureHolds) {
  uint16_t h = open();
  RbReply many;
  for (int i = 0; i < 40; ++i) many.i16(int16_t(i));
  fake.reply(1, 25, many);
  fake.reply(1, 225, RbReply().i16(1));
  fake.reply(1, 152, RbReply().i16(2));
  statinfo_t s[2];
  sentinel(s);
  ASSERT_EQ(EW_SUCCESS, cnc_statinfo(h, &s[0]));
  EXPECT_EQ(13, s[0].word[15]);
  EXPECT_TRUE(untouched(&s[1], 0, sizeof s[1]));
}

// ---- axis data ----------------------------------------------------------------------------

// A newer controller's axis-data replies: 3 axes, names "XA..", "XM..", "XR..".
void axis_data_replies(sim::FakeController& f, int16_t count_before = 3, int16_t count_after = 3) {
  f.on(1, 164, [=](const sim::RbRequest&) {
    static int n = 0;
    return RbReply().i16(n++ % 2 == 0 ? count_before : count_after);
  });
  RbReply names;
  for (char a : {'X', 'Y', 'Z'}) names.bytes({0, 0, 0, 0, uint8_t(a), 'A', 0, 0, uint8_t(a), 'M', 0, 0, uint8_t(a), 'R', 0, 0});
  f.reply(1, 137, names);
  f.on(1, 136, [](const sim::RbRequest& q) {
    RbReply r;
    for (int j = 0; j < 3; ++j) r.i16(int16_t(q.a1 * 10 + j)).i16(int16_t(q.a1 * 100 + j));
    return r;
  });
  f.reply(1, 163, RbReply().u32(0x1F).u32(0).u32(0xFFFF0002));
  f.on(1, 38, [](const sim::RbRequest& q) { return values(3, q.a1 * 1000, int16_t(q.a1)); });
}

TEST_F(State, AxisDataClassOneRequestsAndRecords) {
  uint16_t h = open();
  axis_data_replies(fake);
  const int16_t types[] = {1, 2};
  int16_t count = 4;
  axisdata_t out[8];
  sentinel(out);
  ASSERT_EQ(EW_SUCCESS, cnc_rdaxisdata(h, 1, types, 2, &count, out));
  EXPECT_EQ(3, count);
  auto q = sent();
  ASSERT_EQ(8u, q.size());
  const int cmds[] = {164, 137, 136, 136, 163, 38, 38, 164};
  const int a1[] = {0, -1, 1, 2, 0, 1, 2, 0};
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(cmds[i], q[i].cmd) << i;
    EXPECT_EQ(a1[i], q[i].a1) << i;
  }
  EXPECT_EQ(-1, q[4].a2);
  EXPECT_EQ(-1, q[5].a2);
  // Type 1 (machine) at index j, type 2 (relative) at 4 + j: the request count is the stride.
  EXPECT_EQ(0, std::memcmp(out[0].name, "XM\0\0", 4));
  EXPECT_EQ(1000, out[0].data);
  EXPECT_EQ(1, out[0].dec);
  EXPECT_EQ(200, out[0].unit);              // second word of the 136(2) item
  EXPECT_EQ(uint16_t(1 | (0x1F >> 11)), out[0].flag);
  EXPECT_EQ(0, std::memcmp(out[4].name, "XR\0\0", 4));
  EXPECT_EQ(2000, out[4].data);
  EXPECT_EQ(10, out[4].unit);               // first word of the 136(1) item
  EXPECT_EQ(uint16_t(1 | (0x1F >> 3)), out[4].flag);
  EXPECT_EQ(uint16_t(1 | (0xFFFF0002u >> 3)), out[6].flag);
  EXPECT_TRUE(untouched(&out[3], 0, sizeof out[3]));
  EXPECT_TRUE(untouched(&out[7], 0, sizeof out[7]));
  EXPECT_EQ(0xEEEE, out[0].reserved);
}

TEST_F(State, AxisDataCountIsTheSmallerBracket) {
  uint16_t h = open();
  axis_data_replies(fake, 3, 2);
  const int16_t types[] = {0};
  int16_t count = 3;
  axisdata_t out[3];
  sentinel(out);
  ASSERT_EQ(EW_SUCCESS, cnc_rdaxisdata(h, 1, types, 1, &count, out));
  EXPECT_EQ(2, count);
  EXPECT_TRUE(untouched(&out[2], 0, sizeof out[2]));
}

struct AxisArgRow {
  uint16_t cls;
  std::vector<int16_t> types;
  int16_t count;
  int16_t want;
};
class AxisDataArgs : public FakeTest, public ::testing::WithParamInterface<AxisArgRow> {};

TEST_P(AxisDataArgs, FailBeforeSending) {
  uint16_t h = open();
  const AxisArgRow& r = GetParam();
  int16_t count = r.count;
  axisdata_t out[20];
  EXPECT_EQ(r.want, cnc_rdaxisdata(h, r.cls, r.types.data(), uint16_t(r.types.size()), &count, out));
  EXPECT_TRUE(sent().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Tests, AxisDataArgs,
    ::testing::Values(AxisArgRow{1, {0}, 0, EW_SIZE}, AxisArgRow{1, {}, 1, EW_KIND},
                      AxisArgRow{1, {0, 1, 2, 3, 4}, 1, EW_KIND}, AxisArgRow{6, {0}, 1, EW_RANGE},
                      AxisArgRow{0, {0}, 1, EW_RANGE}, AxisArgRow{1, {18}, 1, EW_KIND},
                      AxisArgRow{2, {3}, 1, EW_KIND}, AxisArgRow{3, {8}, 1, EW_KIND},
                      AxisArgRow{5, {6}, 1, EW_KIND}, AxisArgRow{5, {-1}, 1, EW_KIND},
                      // the count test comes before the type count test
                      AxisArgRow{1, {0, 1, 2, 3, 4}, 0, EW_SIZE}));

TEST_F(State, AxisDataOtherClassesAskForTheirKinds) {
  uint16_t h = open();
  fake.on_other_rb([](const sim::RbRequest&) { return RbReply().i16(1).i16(2).i32(0); });
  int16_t count = 1;
  axisdata_t out[4];
  const int16_t t2[] = {0, 2};
  ASSERT_EQ(EW_SUCCESS, cnc_rdaxisdata(h, 2, t2, 2, &count, out));
  const int16_t t3[] = {1, 5};
  count = 1;
  ASSERT_EQ(EW_SUCCESS, cnc_rdaxisdata(h, 4, t3, 2, &count, out));
  const int16_t t5[] = {2, 5};
  count = 1;
  ASSERT_EQ(EW_SUCCESS, cnc_rdaxisdata(h, 5, t5, 2, &count, out));
  std::vector<std::array<int, 3>> got;
  for (auto& r : sent()) got.push_back({r.cmd, r.a1, r.a2});
  const std::vector<std::array<int, 3>> want = {
      {164, 2, 0}, {137, 0, 0}, {86, 1, 0},  {86, 3, 0},   {164, 2, 0},
      {164, 3, 0}, {138, 1, 0}, {64, 5, 0},  {832, 8, 0},  {164, 3, 0},
      {164, 3, 0}, {138, 1, 0}, {136, 3, 0}, {136, 4, 0}, {165, 0, 0}, {830, 0, 0}, {164, 3, 0}};
  EXPECT_EQ(want, got);
}

TEST_F(State, OlderRecordsInterleaveTheTypesPerAxis) {
  uint16_t h = open();
  axis_data_replies(fake);
  axisrec_t out[12];
  sentinel(out);
  int16_t count = 3;
  ASSERT_EQ(EW_SUCCESS, cnc_rdposition(h, -1, &count, out));
  EXPECT_EQ(3, count);
  // axis 1, relative (type 2): index 1 * 4 + 2
  EXPECT_EQ(2001, out[6].data);
  EXPECT_EQ(2, out[6].dec);
  EXPECT_EQ('Y', out[6].tail.pos.name[0]);
  EXPECT_EQ('R', out[6].tail.pos.name[1]);
  EXPECT_EQ(0, out[6].tail.pos.flag);
  EXPECT_EQ(1, out[8].tail.pos.flag);   // axis 2 status 0xFFFF0002, bit 1
  // One type selected: only its place is written.
  sentinel(out);
  count = 3;
  ASSERT_EQ(EW_SUCCESS, cnc_rdposition(h, 3, &count, out));
  EXPECT_EQ(3000, out[3].data);
  EXPECT_EQ(3002, out[11].data);
  EXPECT_TRUE(untouched(out, 0, sizeof out[0] * 3));
  EXPECT_EQ(EW_KIND, cnc_rdposition(h, 4, &count, out));
  count = 0;
  EXPECT_EQ(EW_SIZE, cnc_rdposition(h, 4, &count, out));
}

TEST_F(State, MetersAndSpeedsConvertUnitsAndNames) {
  uint16_t h = open();
  fake.reply(1, 164, RbReply().i16(1));
  fake.reply(1, 137, RbReply().bytes({'X', '1', '2', '3'}));
  fake.reply(1, 138, RbReply().bytes({'S', '1', '2', '3'}));
  fake.reply(1, 86, RbReply().i32(55).i16(8).i16(0));
  fake.reply(1, 64, RbReply().i32(66).i16(2).i16(1));
  fake.reply(1, 136, RbReply().i16(5).i16(0));
  fake.reply(1, 36, RbReply().i32(1200).i16(0).i16(0));
  fake.reply(1, 37, RbReply().i32(3000).i16(0).i16(0));
  fake.reply(1, 165, RbReply().i32(500).i16(2).i16(0));
  axisrec_t out[2];
  int16_t count = 1;
  ASSERT_EQ(EW_SUCCESS, cnc_rdsvmeter(h, &count, out));
  EXPECT_EQ(55, out[0].data);
  EXPECT_EQ(0, out[0].unit);   // a unit word of 8 becomes 0
  EXPECT_EQ(0, std::memcmp(out[0].tail.name, "X12", 3));
  count = 1;
  ASSERT_EQ(EW_SUCCESS, cnc_rdspmeter(h, -1, &count, out));
  EXPECT_EQ(66, out[1].data);
  EXPECT_EQ(1, out[1].unit);
  ASSERT_EQ(EW_SUCCESS, cnc_rdspeed(h, -1, out));
  EXPECT_EQ(1200, out[0].data);
  EXPECT_EQ(3000, out[1].data);
  EXPECT_EQ(2, out[0].unit);   // unit word minus 3
  ASSERT_EQ(EW_SUCCESS, cnc_rdjogdrun(h, 0, out));
  EXPECT_EQ(500, out[0].data);
  EXPECT_EQ('D', out[0].tail.pos.name[0]);
  EXPECT_EQ('F', out[0].tail.pos.name[1]);
  EXPECT_EQ(2, out[0].tail.pos.flag);
  EXPECT_EQ(EW_KIND, cnc_rdspeed(h, 2, out));
}

TEST_F(State, HandleInterruptReadsKindsElevenAndTwelve) {
  uint16_t h = open();
  axis_data_replies(fake);
  axisrec_t out[6];
  sentinel(out);
  int16_t count = 3;
  ASSERT_EQ(EW_SUCCESS, cnc_rdhndintrpt(h, 1, &count, out));
  auto q = sent();
  ASSERT_EQ(7u, q.size());
  EXPECT_EQ(38, q[5].cmd);
  EXPECT_EQ(12, q[5].a1);
  EXPECT_EQ(12002, out[5].data);
  EXPECT_EQ(102, out[5].unit);   // kind 12 takes the second word of the 136(1) item
  EXPECT_TRUE(untouched(&out[4], 0, sizeof out[4]));
  EXPECT_EQ(EW_KIND, cnc_rdhndintrpt(h, 2, &count, out));
}

// ---- spindles and names --------------------------------------------------------------------

TEST_F(State, SpindleReadsAreBracketedByTheSpindleCount) {
  uint16_t h = open();
  fake.reply(1, 164, RbReply().i16(1));
  fake.reply(1, 64, RbReply().i32(0x00012345).i32(0).i32(99).i32(0));
  spindle_values_t v;
  sentinel(v);
  ASSERT_EQ(EW_SUCCESS, cnc_rdspload(h, -1, &v));
  EXPECT_EQ(-1, v.spindle);
  EXPECT_EQ(0x2345, v.data.w[0]);   // path capacity 1: the second item is not written
  EXPECT_TRUE(untouched(&v, 6, sizeof v));
  ASSERT_EQ(EW_SUCCESS, cnc_rdspmaxrpm(h, 1, &v));
  ASSERT_EQ(EW_SUCCESS, cnc_rdspgear(h, 1, &v));
  sentinel(v);
  ASSERT_EQ(EW_SUCCESS, cnc_acts2(h, 1, &v));
  EXPECT_EQ(0x00012345, v.data.l[0]);
  auto q = sent();
  ASSERT_EQ(12u, q.size());
  const int kinds[] = {0, 1, 2, 3};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(164, q[3 * i].cmd);
    EXPECT_EQ(1, q[3 * i].a1);
    EXPECT_EQ(64, q[3 * i + 1].cmd);
    EXPECT_EQ(kinds[i], q[3 * i + 1].a1);
    EXPECT_EQ(164, q[3 * i + 2].cmd);
  }
  EXPECT_EQ(EW_RANGE, cnc_rdspload(h, 2, &v));
  EXPECT_EQ(12u, sent().size());
  fake.reply(1, 164, RbReply().i16(0));
  EXPECT_EQ(EW_NOFEATURE, cnc_rdspload(h, 1, &v));
}

TEST_F(State, NamesCopyTwoOrFourBytesPerItem) {
  uint16_t h = open();
  fake.reply(1, 137, RbReply().bytes({'X', '1', 'a', 'b', 'Y', '2', 'c', 'd', 'Z', ' ', 'e', 'f', 'U', 0, 0, 0}));
  fake.reply(1, 138, RbReply().bytes({'S', '1', 'x', 'y', 'S', '2', 0, 0}));
  axisname_t n[4];
  sentinel(n);
  int16_t count = 4;
  ASSERT_EQ(EW_SUCCESS, cnc_rdaxisname(h, &count, n));
  EXPECT_EQ(3, count);   // the path's axes
  EXPECT_EQ('Y', n[1].name);
  EXPECT_EQ('2', n[1].suff);
  EXPECT_TRUE(untouched(&n[3], 0, 2));
  count = 4;
  ASSERT_EQ(EW_SUCCESS, cnc_rdspdlname(h, &count, n));
  EXPECT_EQ(1, count);   // spindle capacity 1
  exaxisname_t e[2];
  sentinel(e);
  count = 1;
  ASSERT_EQ(EW_SUCCESS, cnc_exaxisname(h, 1, &count, e));
  EXPECT_EQ(0, std::memcmp(e[0].name, "S1xy", 4));
  EXPECT_TRUE(untouched(&e[1], 0, 4));
  count = 0;
  EXPECT_EQ(EW_SIZE, cnc_rdaxisname(h, &count, n));
  count = 1;
  EXPECT_EQ(EW_KIND, cnc_exaxisname(h, 2, &count, e));
  EXPECT_EQ(3u, sent().size());
}

TEST_F(State, AxisRelationsNeverPassTheCount) {
  uint16_t h = open();
  fake.reply(1, 669, RbReply().i16(1).i16(2).i16(3).i16(4).i16(5).i16(6));
  fake.reply(1, 670, RbReply().i16(7).i16(8).i16(9));
  fake.reply(1, 164, RbReply().i16(5));
  fake.reply(1, 344, RbReply().i32(1).i32(-2).i32(3));
  int16_t out[6];
  sentinel(out);
  int16_t count = 2;
  ASSERT_EQ(EW_SUCCESS, cnc_rdrelaxis(h, 1, 2, &count, out));
  EXPECT_EQ(2, count);
  EXPECT_EQ(4, out[3]);
  EXPECT_EQ(int16_t(0xEEEE), out[4]);
  count = 5;
  ASSERT_EQ(EW_SUCCESS, cnc_rdabsaxis(h, 1, 2, 3, &count, out));
  EXPECT_EQ(3, count);
  EXPECT_EQ(9, out[2]);
  int16_t num = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_axisnum(h, 3, &num));
  EXPECT_EQ(5, num);
  spcss_t s{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdspcss(h, &s));
  EXPECT_EQ(-2, s.data[1]);
  auto q = sent();
  ASSERT_EQ(4u, q.size());
  EXPECT_EQ((std::array<int, 3>{1, 2, 2}), (std::array<int, 3>{q[0].a1, q[0].a2, q[0].a3}));
  EXPECT_EQ((std::array<int, 4>{1, 2, 3, 5}), (std::array<int, 4>{q[1].a1, q[1].a2, q[1].a3, q[1].a4}));
  EXPECT_EQ(3, q[2].a1);
}

// ---- older controllers ---------------------------------------------------------------------

class OldState : public FakeTest {
 protected:
  OldState() : FakeTest(old()) {}
  static sim::FakeConfig old() {
    auto c = sim::FakeConfig::standard(2);
    return c;
  }
};

TEST_F(OldState, AxisDataIsUnavailable) {
  uint16_t h = open();
  const int16_t types[] = {0};
  int16_t count = 1;
  axisdata_t out[1];
  EXPECT_EQ(EW_UNAVAILABLE, cnc_rdaxisdata(h, 1, types, 1, &count, out));
  EXPECT_TRUE(sent().empty());
}

TEST_F(OldState, PositionSendsTheNineRbForm) {
  uint16_t h = open();
  fake.reply(1, 25, RbReply().i16(0));
  fake.on(1, 38, [](const sim::RbRequest& q) { return values(3, q.a1 * 10, 4); });
  RbReply names;
  for (char a : {'X', 'Y', 'Z'}) names.bytes({0, 0, 0, 0, uint8_t(a), 'A', 0, 0, uint8_t(a), 'M', 0, 0, uint8_t(a), 'R', 0, 0});
  fake.reply(1, 137, names);
  fake.reply(1, 14, RbReply().i16(3115).i16(0).i32(0).u32(0).u32(1).u32(2));
  fake.reply(1, 136, RbReply().i16(1).i16(2).i16(1).i16(2).i16(1).i16(2));
  axisrec_t out[12];
  sentinel(out);
  int16_t count = 9;
  ASSERT_EQ(EW_SUCCESS, cnc_rdposition(h, -1, &count, out));
  EXPECT_EQ(3, count);   // the path entry's item limit
  auto q = sent();
  ASSERT_EQ(9u, q.size());
  const int cmds[] = {25, 38, 38, 38, 38, 137, 14, 136, 25};
  for (size_t i = 0; i < 9; ++i) EXPECT_EQ(cmds[i], q[i].cmd);
  EXPECT_EQ((std::array<int, 3>{3115, 3115, -1}), (std::array<int, 3>{q[6].a1, q[6].a2, q[6].a3}));
  EXPECT_EQ(2, q[7].a1);
  EXPECT_EQ(10, out[1].data);            // machine of axis 0
  EXPECT_EQ(2, out[1].unit);
  EXPECT_EQ('M', out[1].tail.pos.name[1]);
  EXPECT_EQ(1, out[0].tail.pos.flag);    // parameter 0
  EXPECT_EQ(0, out[4].tail.pos.flag);    // parameter 1: bit 0 set
  EXPECT_EQ(1, out[9].tail.pos.flag);    // machine of axis 2, parameter 2: bit 0 clear
  EXPECT_EQ(31, out[7].data);            // distance of axis 1
  // An unknown status word makes the distance to go invalid.
  fake.reply(1, 25, RbReply().i16(3));
  count = 3;
  ASSERT_EQ(EW_SUCCESS, cnc_rdposition(h, 3, &count, out));
  EXPECT_EQ(0, out[3].data);
  EXPECT_EQ(-1, out[3].dec);
}

TEST_F(OldState, SpeedsAndHandleInterruptUseThePlainDataRequests) {
  uint16_t h = open();
  fake.reply(1, 138, RbReply().bytes({'S', '1', 0, 0}));
  fake.reply(1, 136, RbReply().i16(3).i16(3).i16(3).i16(3).i16(3).i16(3));
  fake.reply(1, 36, RbReply().i32(800));
  fake.reply(1, 37, RbReply().i32(1500));
  axisrec_t out[2];
  ASSERT_EQ(EW_SUCCESS, cnc_rdspeed(h, -1, out));
  EXPECT_EQ(800, out[0].data);
  EXPECT_EQ(1500, out[1].data);
  EXPECT_EQ(0, out[0].unit);
  auto q = sent();
  ASSERT_EQ(5u, q.size());
  const int cmds[] = {138, 136, 136, 36, 37};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(cmds[i], q[i].cmd);
  fake.clear_received();
  RbReply names;
  for (int j = 0; j < 3; ++j) names.bytes({0, 0, 0, 0, 'X', 0, 0, 0, 'X', 0, 0, 0, 'X', 0, 0, 0});
  fake.reply(1, 137, names);
  fake.reply(1, 38, values(3, 9));
  axisrec_t hi[6];
  int16_t count = 5;
  ASSERT_EQ(EW_SUCCESS, cnc_rdhndintrpt(h, -1, &count, hi));
  EXPECT_EQ(3, count);   // the path's axes
  EXPECT_EQ(11, hi[5].data);
  for (auto& r : sent()) EXPECT_NE(164, r.cmd);
}

TEST_F(OldState, SpindleReadIsOneRequest) {
  uint16_t h = open();
  fake.reply(1, 64, RbReply().i32(5).i32(0));
  spindle_values_t v{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdspload(h, 1, &v));
  auto q = sent();
  ASSERT_EQ(1u, q.size());
  EXPECT_EQ(64, q[0].cmd);
}

TEST_F(OldState, SpindleMeterFallsBackOnceRefused) {
  uint16_t h = open();
  fake.on(1, 64, [](const sim::RbRequest& q) {
    return q.a1 >= 4 ? RbReply::fail(EW_KIND) : values(3, q.a1 + 1);
  });
  fake.reply(1, 138, RbReply().bytes({'S', '1', 0, 0}));
  axisrec_t out[2];
  int16_t count = 1;
  ASSERT_EQ(EW_SUCCESS, cnc_rdspmeter(h, -1, &count, out));
  EXPECT_TRUE(rec(h).has(kSpmeterOther));
  EXPECT_EQ(1, out[0].data);
  EXPECT_EQ(2, out[1].data);
  fake.clear_received();
  ASSERT_EQ(EW_SUCCESS, cnc_rdspmeter(h, -1, &count, out));
  auto q = sent();
  ASSERT_EQ(3u, q.size());
  EXPECT_EQ(0, q[0].a1);
  EXPECT_EQ(1, q[1].a1);
  EXPECT_EQ(138, q[2].cmd);
}

TEST_F(OldState, ServoMeterTakesTheAbsoluteValue) {
  uint16_t h = open();
  fake.reply(1, 86, RbReply().i32(-40).i16(0).i16(1));
  fake.reply(1, 137, RbReply().bytes({'X', '1', 0, 0}));
  axisrec_t out[3];
  sentinel(out);
  int16_t count = 3;
  ASSERT_EQ(EW_SUCCESS, cnc_rdsvmeter(h, &count, out));
  EXPECT_EQ(1, count);   // one item in the reply is all there is
  EXPECT_EQ(40, out[0].data);
  EXPECT_EQ(1, out[0].dec);
  EXPECT_EQ('X', out[0].tail.name[0]);
  EXPECT_EQ(0, out[0].tail.name[2]);
}

}  // namespace
}  // namespace oz::test
