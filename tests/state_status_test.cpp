// Status, positions, dynamic snapshot, axis data, spindle values and names
// against the fake controller: requests on the wire, bytes written into the
// caller's structures, argument tests before sending.
#include "tests/support.h"

namespace oz::test {
namespace {

using sim::RbReply;
using sim::RbRequest;

// n 8-byte items whose first word is base + i and whose decimal word is dec.
RbReply values(int n, int32_t base, int16_t dec = 3) {
  RbReply r;
  for (int i = 0; i < n; ++i) r.i32(base + i).i16(0).i16(dec);
  return r;
}
// 32-bit values from offset `off`, one after another.
std::vector<At> longs(size_t off, std::initializer_list<int32_t> v) {
  std::vector<At> out;
  for (int32_t x : v) out.push_back(at(off, x)), off += 4;
  return out;
}
std::vector<At> operator+(std::vector<At> a, const std::vector<At>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// ---- position family ---------------------------------------------------------------

using PosFn = int16_t (*)(uint16_t, int16_t, int16_t, axis_values_t*);

std::vector<Row> positionRows() {
  const std::pair<PosFn, int> kinds[] = {
      {cnc_absolute2, 0}, {cnc_machine, 1}, {cnc_relative2, 2}, {cnc_absolute, 4}, {cnc_relative, 6},
      {cnc_distance, 7},  {cnc_skip, 8},    {cnc_srvdelay, 9},  {cnc_accdecdly, 10}, {cnc_slide, 17},
      {cnc_allowance, 18}};
  std::vector<Row> rows;
  for (auto [fn, kind] : kinds) {
    const std::string k = "Kind" + std::to_string(kind);
    // The reply is cut to the path's three axes.
    rows.push_back({k, {{38, values(5, 100)}},
                    [fn](uint16_t h, Arena& a) { return fn(h, -1, 16, a.out<axis_values_t>()); },
                    0, {{38, kind, -1}}, std::vector<At>{at(2, int16_t(-1))} + longs(4, {100, 101, 102})});
    // The length test needs the reply's item count.
    rows.push_back({k + "LengthAfterTheExchange", {{38, values(3, 1)}},
                    [fn](uint16_t h, Arena& a) { return fn(h, -1, 15, a.out<axis_values_t>()); }, EW_SIZE,
                    {{38, kind, -1}}});
    rows.push_back({k + "AxisAboveThePath", {},
                    [fn](uint16_t h, Arena& a) { return fn(h, 4, 100, a.out<axis_values_t>()); },
                    EW_KIND, {}});
  }
  // The type alone chooses the kind of cnc_machine2 and cnc_machine3.
  const std::pair<int16_t, int> machine3[] = {{0, 22}, {1, 1}, {2, 23}};
  rows.push_back({"Machine2", {{38, values(1, 7)}}, OZ_DO(cnc_machine2(h, 2, 8, 0, a.out<axis_values_t>())), 0,
                  {{38, 24, 2}}, {at(2, int16_t(2)), at(4, 7)}});
  for (auto [type, kind] : machine3)
    rows.push_back({"Machine3Type" + std::to_string(type), {{38, values(1, 7)}},
                    [type](uint16_t h, Arena& a) { return cnc_machine3(h, 2, 8, type, a.out<axis_values_t>()); }, 0,
                    {{38, kind, 2}}, {at(2, int16_t(2)), at(4, 7)}});
  return rows;
}
OZ_ROWS(Positions, positionRows());

TEST(MachineTypes, AreTestedBeforeTheHandle) {
  axis_values_t v{};
  EXPECT_EQ(EW_KIND, cnc_machine2(0, -1, 100, 1, &v));
  EXPECT_EQ(EW_KIND, cnc_machine3(0, -1, 100, 3, &v));
  EXPECT_EQ(EW_KIND, cnc_machine3(0x8001, -1, 100, -1, &v));
  EXPECT_EQ(EW_BADHANDLE, cnc_machine2(0, -1, 100, 0, &v));
}

constexpr axis_values_t kPresetAll{0, -1, {1000, -2, 0x01020304}};
constexpr axis_values_t kPresetOne{0, 2, {5}};
// exdgt: one 16-byte item per axis of the controller, the value in two halves.
RbReply exdgtReply() {
  RbReply r;
  for (int i = 0; i < 4; ++i) r.i32(i == 0 ? 1 : -1).i32(i == 0 ? 2 : -5).i32(3).i32(4);
  return r;
}
std::vector<At> exdgtItems() {
  std::vector<At> v;
  for (size_t i = 0; i < 3; ++i) v.insert(v.end(),
                                          {at(16 * i, i == 0 ? (int64_t(1) << 32) | 2 : int64_t(-5)),
                                           at(16 * i + 8, 3u), at(16 * i + 12, 4u)});
  return v;
}

const Row kAxisRows[] = {
    // Presets: a value item per axis, or one.
    {"PresetAllAxesNeedsTheLength", {}, OZ_DO(cnc_wrrelpos(h, 15, &kPresetAll)), EW_SIZE, {}},
    {"PresetRelativeAll", {{60, RbReply()}}, OZ_DO(cnc_wrrelpos(h, 16, &kPresetAll)), 0,
     {{60, -1, 0, 0, 0, Be().i32(1000).i16(0).i16(-1).i32(-2).i16(0).i16(-1).i32(0x01020304).i16(0).i16(-1).data}}},
    {"PresetAbsolute", {{61, RbReply()}}, OZ_DO(cnc_wrabspos(h, 8, &kPresetOne)), 0,
     {{61, 2, 0, 0, 0, Be().i32(5).i16(0).i16(-1).data}}},
    {"PresetWorkCoordinate", {{62, RbReply()}}, OZ_DO(cnc_prstwkcd(h, 8, &kPresetOne)), 0,
     {{62, 2, 0, 0, 0, Be().i32(5).i16(0).i16(-1).data}}},
    {"WorkZero", {{303, RbReply()}}, OZ_DO(cnc_workzero(h, 8, &kPresetOne)), 0,
     {{303, 2, 0, 0, 0, Be().i32(5).i16(0).i16(-1).data}}},
    {"WorkZeroAxisAboveThePath", {}, OZ_DO(cnc_workzero(h, 100, a.in(axis_values_t{0, 4, {}}))), EW_KIND, {}},
    // Two kinds in one PDU, the second block right after the first.
    {"ManualOverlap", {{38, [](const RbRequest& q) { return values(3, q.a1 * 100); }}},
     OZ_DO(cnc_rdmovrlap(h, -1, 28, a.out<axis_values_t>())), 0, {{38, 11, -1}, {38, 12, -1}},
     std::vector<At>{at(2, int16_t(-1))} + longs(4, {1100, 1101, 1102, 1200, 1201, 1202})},
    {"ManualOverlapAllAxesOnly", {}, OZ_DO(cnc_rdmovrlap(h, 1, 100, a.out<axis_values_t>())), EW_KIND, {}},
    {"Absolute2Exdgt", {{718, exdgtReply()}}, OZ_DO(cnc_absolute2_exdgt(h, a.outs<exdgt_t>(4))), 0, {{718, 0}},
     exdgtItems()},
    {"MachineExdgt", {{718, exdgtReply()}}, OZ_DO(cnc_machine_exdgt(h, a.outs<exdgt_t>(4))), 0, {{718, 1}},
     exdgtItems()},
    {"Relative2Exdgt", {{718, exdgtReply()}}, OZ_DO(cnc_relative2_exdgt(h, a.outs<exdgt_t>(4))), 0, {{718, 2}},
     exdgtItems()},
    {"DistanceExdgt", {{718, exdgtReply()}}, OZ_DO(cnc_distance_exdgt(h, a.outs<exdgt_t>(4))), 0, {{718, 7}},
     exdgtItems()},
};
OZ_ROWS(AxisValues, kAxisRows);

// ---- dynamic snapshot and run status -------------------------------------------------

std::vector<Answer> dynamicReplies(std::function<RbReply(const RbRequest&)> positions = {}) {
  if (!positions) positions = [](const RbRequest& q) { return values(3, q.a1 * 10); };
  return {{26, RbReply().i32(0x12345678)}, {28, RbReply().i32(0x00010002).i32(0x00030004)}, {29, RbReply().i32(29)},
          {36, RbReply().i32(36)}, {37, RbReply().i32(37)}, {38, positions}};
}
std::vector<Req> dynamicRequests(int16_t axis) {
  return {{26}, {28}, {29}, {36}, {37}, {38, 4, axis}, {38, 1, axis}, {38, 6, axis}, {38, 7, axis}};
}

const Row kStatusRows[] = {
    // Nine RBs; the position blocks follow each other.
    {"Dynamic", dynamicReplies(), OZ_DO(cnc_rddynamic(h, -1, 24 + 16 * 3, a.out<rddynamic_t>())), 0,
     dynamicRequests(-1),
     std::vector<At>{at(2, int16_t(-1)), at(4, int16_t(0x5678)), at(6, int16_t(2)), at(8, int16_t(4))} +
         longs(12, {29, 36, 37, 40, 41, 42, 10, 11, 12, 60, 61, 62, 70, 71, 72})},
    // Wide fields; the blocks are cut at the length.
    {"Dynamic2", dynamicReplies(), OZ_DO(cnc_rddynamic2(h, 2, 44, a.out<rddynamic2_t>())), 0, dynamicRequests(2),
     std::vector<At>{at(2, int16_t(2))} + longs(4, {0x12345678, 0x00010002, 0x00030004, 29, 36, 37, 40, 41, 42, 10})},
    // Wide program numbers, the alarm's low half only.
    {"DynamicO8", dynamicReplies(), OZ_DO(cnc_rddynamico8(h, -1, 28 + 48, a.out<rddynamic2_t>())), 0,
     dynamicRequests(-1),
     std::vector<At>{at(2, int16_t(-1)), at(4, int16_t(0x5678))} +
         longs(8, {0x00010002, 0x00030004, 29, 36, 37, 40, 41, 42, 10, 11, 12, 60, 61, 62, 70, 71, 72})},
    {"DynamicAxisZero", {}, OZ_DO(cnc_rddynamic(h, 0, 100, a.out<rddynamic_t>())), EW_KIND, {}},
    {"DynamicOneAxisNeedsOneValuePerBlock", {}, OZ_DO(cnc_rddynamic(h, 1, 39, a.out<rddynamic_t>())), EW_SIZE, {}},
    {"DynamicAllAxesNeedTheControllersAxes", {}, OZ_DO(cnc_rddynamic(h, -1, 24 + 16 * 3 - 1, a.out<rddynamic_t>())),
     EW_SIZE, {}},
    {"Dynamic2OneAxis", {}, OZ_DO(cnc_rddynamic2(h, 1, 43, a.out<rddynamic2_t>())), EW_SIZE, {}},
    {"DynamicO8AllAxes", {}, OZ_DO(cnc_rddynamico8(h, -1, 28 + 16 * 3 - 1, a.out<rddynamic2_t>())), EW_SIZE, {}},
    // A later RB's failure keeps the fixed fields and the blocks before it;
    // the axis is written last.
    {"DynamicLaterFailure",
     dynamicReplies([](const RbRequest& q) { return q.a1 == 6 ? RbReply::fail(6) : values(3, 1); }),
     OZ_DO(cnc_rddynamic(h, -1, 100, a.out<rddynamic_t>())), EW_NOFEATURE, dynamicRequests(-1),
     std::vector<At>{at(4, int16_t(0x5678)), at(6, int16_t(2)), at(8, int16_t(4))} + longs(12,
                                                                                           {29, 36, 37, 1, 2, 3, 1, 2,
                                                                                            3})},
    // The mode words may be refused (0 then); the run status may not.
    {"Statinfo", {{25, RbReply().i16(1).i16(2).i16(3)}, {225, RbReply::fail(1)}, {152, RbReply().i16(7)}},
     OZ_DO(cnc_statinfo(h, a.out<statinfo_t>())), 0, {{25}, {225}, {152}},
     {at(0, uint16_t(0)), at(2, uint16_t(7)), at(4, uint16_t(1)), at(6, uint16_t(2)), at(8, uint16_t(3))}},
    {"Statinfo2", {{226, RbReply().i16(9)}, {225, RbReply::fail(1)}, {152, RbReply().i16(7)}},
     OZ_DO(cnc_statinfo2(h, a.out<statinfo_t>())), 0, {{226}, {225}, {152}},
     {at(0, uint16_t(0)), at(2, uint16_t(7)), at(4, uint16_t(9))}},
    {"StatinfoRunStatusFails", {{25, RbReply::fail(5)}, {225, RbReply().i16(5)}, {152, RbReply().i16(7)}},
     OZ_DO(cnc_statinfo(h, a.out<statinfo_t>())), EW_VALUE, {{25}, {225}, {152}},
     {at(0, uint16_t(5)), at(2, uint16_t(7))}},
    // No more words than the structure holds.
    {"StatinfoCut", {{25, [] { RbReply r; for (int i = 0; i < 40; ++i) r.i16(int16_t(i)); return r; }()},
                     {225, RbReply().i16(1)}, {152, RbReply().i16(2)}},
     OZ_DO(cnc_statinfo(h, a.outs<statinfo_t>(2))), 0, {{25}, {225}, {152}},
     [] {
       std::vector<At> v{at(0, uint16_t(1)), at(2, uint16_t(2))};
       for (int i = 0; i < 14; ++i) v.push_back(at(4 + 2 * size_t(i), uint16_t(i)));
       return v;
     }()},
};
OZ_ROWS(Status, kStatusRows);

// ---- axis data ----------------------------------------------------------------------------

// A newer controller's axis-data replies: 3 axes, names "XA..", "XM..", "XR..".
RbReply axisNames() {
  RbReply names;
  for (char c : {'X', 'Y', 'Z'}) names.bytes({0, 0, 0, 0, uint8_t(c), 'A', 0, 0, uint8_t(c), 'M', 0, 0, uint8_t(c),
                                              'R', 0, 0});
  return names;
}
std::vector<Answer> axisReplies(int16_t before = 3, int16_t after = 3) {
  auto calls = std::make_shared<int>(0);
  return {{164, [=](const RbRequest&) { return RbReply().i16((*calls)++ % 2 == 0 ? before : after); }},
          {137, axisNames()},
          {136, [](const RbRequest& q) {
             RbReply r;
             for (int j = 0; j < 3; ++j) r.i16(int16_t(q.a1 * 10 + j)).i16(int16_t(q.a1 * 100 + j));
             return r;
           }},
          {163, RbReply().u32(0x1F).u32(0).u32(0xFFFF0002)},
          {38, [](const RbRequest& q) { return values(3, q.a1 * 1000, int16_t(q.a1)); }}};
}
const int16_t kMachineRelative[] = {1, 2};
const int16_t kAbsolute[] = {0};

// The records of written axes, their reserved tail the caller's.
std::vector<At> records(size_t size, std::initializer_list<size_t> which, size_t used = 14) {
  std::vector<At> v;
  for (size_t i : which) v.push_back(anyAt(size * i, used));
  return v;
}

std::vector<Row> axisDataRows() {
  std::vector<Row> rows = {
      // Type 1 (machine) at index j, type 2 (relative) at 4 + j: the count asked is the stride.
      {"ClassOne", axisReplies(),
       OZ_DO(cnc_rdaxisdata(h, 1, kMachineRelative, 2, a.inout<int16_t>(4), a.outs<axisdata_t>(8))),
       0, {{164}, {137, -1}, {136, 1}, {136, 2}, {163, 0, -1}, {38, 1, -1}, {38, 2, -1}, {164}},
       records(16, {0, 1, 2, 4, 5, 6}) +
           std::vector<At>{at(0, "XM\0\0"), at(4, 1000), at(8, int16_t(1)), at(10, int16_t(200)),
                           at(12, uint16_t(1 | (0x1F >> 11))),
                           at(64, "XR"), at(68, 2000), at(74, int16_t(10)), at(76, uint16_t(1 | (0x1F >> 3))),
                           at(96 + 12, uint16_t(1 | (0xFFFF0002u >> 3)))},
       3},
      // The count is the smaller of the two brackets.
      {"CountIsTheSmallerBracket", axisReplies(3, 2),
       OZ_DO(cnc_rdaxisdata(h, 1, kAbsolute, 1, a.inout<int16_t>(3), a.outs<axisdata_t>(3))),
       0, {{164}, {137, -1}, {136, 1}, {136, 2}, {163, 0, -1}, {38, 0, -1}, {164}}, records(16, {0, 1}), 2},
  };
  // Argument tests, the count's first.
  struct Args {
    uint16_t cls;
    std::vector<int16_t> types;
    int16_t count, want;
  };
  const Args args[] = {{1, {0}, 0, EW_SIZE},           {1, {}, 1, EW_KIND}, {1, {0, 1, 2, 3, 4}, 1, EW_KIND},
                       {6, {0}, 1, EW_RANGE},          {0, {0}, 1, EW_RANGE}, {1, {18}, 1, EW_KIND},
                       {2, {3}, 1, EW_KIND},           {3, {8}, 1, EW_KIND}, {5, {6}, 1, EW_KIND},
                       {5, {-1}, 1, EW_KIND},          {1, {0, 1, 2, 3, 4}, 0, EW_SIZE}};
  int n = 0;
  for (const Args& x : args)
    rows.push_back({"Refused" + std::to_string(n++), {},
                    [x](uint16_t h, Arena& a) {
                      return cnc_rdaxisdata(h, x.cls, x.types.data(), uint16_t(x.types.size()),
                                            a.count<int16_t>(x.count),
                                            a.outs<axisdata_t>(20));
                    },
                    x.want, {}});
  return rows;
}
OZ_ROWS(AxisData, axisDataRows());

TEST(AxisDataClasses, AskForTheirKinds) {
  sim::FakeController fake;
  uint16_t h = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", fake.port(), 1, &h));
  fake.on_other_rb([](const RbRequest&) { return RbReply().i16(1).i16(2).i32(0); });
  fake.clear_received();
  axisdata_t out[4];
  const int16_t t2[] = {0, 2}, t3[] = {1, 5}, t5[] = {2, 5};
  for (auto [cls, types] : {std::pair{2, t2}, {4, t3}, {5, t5}}) {
    int16_t count = 1;
    ASSERT_EQ(EW_SUCCESS, cnc_rdaxisdata(h, uint16_t(cls), types, 2, &count, out));
  }
  expectRequests(fake.requests(), {{164, 2}, {137}, {86, 1}, {86, 3}, {164, 2},
                                   {164, 3}, {138, 1}, {64, 5}, {832, 8}, {164, 3},
                                   {164, 3}, {138, 1}, {136, 3}, {136, 4}, {165}, {830}, {164, 3}});
  cnc_freelibhndl(h);
}

const Row kRecordRows[] = {
    // The older records interleave the four types per axis.
    {"Position", axisReplies(), OZ_DO(cnc_rdposition(h, -1, a.inout<int16_t>(3), a.outs<axisrec_t>(12))), 0,
     {{164}, {137, -1}, {136, 1}, {136, 2}, {163, 0, -1}, {38, 0, -1}, {38, 1, -1}, {38, 2, -1}, {38, 3, -1}, {164}},
     records(12, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 12) +
         std::vector<At>{at(72, 2001), at(76, int16_t(2)), at(80, int16_t(0)), at(82, "YR"), at(104, int16_t(1))},
     3},
    // One type: only its place is written.
    {"PositionOneType", axisReplies(), OZ_DO(cnc_rdposition(h, 3, a.inout<int16_t>(3), a.outs<axisrec_t>(12))), 0,
     {{164}, {137, -1}, {136, 1}, {136, 2}, {163, 0, -1}, {38, 3, -1}, {164}},
     records(12, {3, 7, 11}, 12) + std::vector<At>{at(36, 3000), at(132, 3002)}, 3},
    {"PositionTypeFour", {}, OZ_DO(cnc_rdposition(h, 4, a.inout<int16_t>(3), a.outs<axisrec_t>(12))), EW_KIND, {}, {},
     3},
    {"PositionCountFirst", {}, OZ_DO(cnc_rdposition(h, 4, a.inout<int16_t>(0), a.outs<axisrec_t>(12))), EW_SIZE, {},
     {}, 0},
    // Kind 12 takes the second word of the 136(1) item.
    {"HandleInterrupt", axisReplies(), OZ_DO(cnc_rdhndintrpt(h, 1, a.inout<int16_t>(3), a.outs<axisrec_t>(6))), 0,
     {{164}, {137, -1}, {136, 1}, {136, 2}, {163, 0, -1}, {38, 12, -1}, {164}},
     records(12, {1, 3, 5}, 12) + std::vector<At>{at(60, 12002), at(66, int16_t(102))}, 3},
    {"HandleInterruptTypeTwo", {}, OZ_DO(cnc_rdhndintrpt(h, 2, a.inout<int16_t>(3), a.outs<axisrec_t>(6))), EW_KIND,
     {}, {}, 3},
};
OZ_ROWS(Records, kRecordRows);

const Row kMeterRows[] = {
    // A unit word of 8 becomes 0; three name characters.
    {"ServoMeter",
     {{164, RbReply().i16(1)}, {137, RbReply().bytes({'X', '1', '2', '3'})}, {86, RbReply().i32(55).i16(8).i16(0)}},
     OZ_DO(cnc_rdsvmeter(h, a.inout<int16_t>(1), a.outs<axisrec_t>(2))), 0, {{164, 2}, {137}, {86, 1}, {164, 2}},
     {at(0, 55), at(4, int16_t(0)), at(6, int16_t(0)), at(8, std::vector<uint8_t>{'X', '1', '2', 0})}, 1},
    {"SpindleMeter",
     {{164, RbReply().i16(1)}, {138, RbReply().bytes({'S', '1', '2', '3'})}, {64, RbReply().i32(66).i16(2).i16(1)}},
     OZ_DO(cnc_rdspmeter(h, -1, a.inout<int16_t>(1), a.outs<axisrec_t>(2))), 0,
     {{164, 1}, {138}, {64, 4, -1}, {64, 5, -1}, {164, 1}}, {anyAt(0, 24), at(12, 66), at(18, int16_t(1))}, 1},
    // Unit word minus 3.
    {"Speeds", {{164, RbReply().i16(1)}, {138, RbReply().bytes({'S', '1', '2', '3'})}, {136, RbReply().i16(5).i16(0)},
                {36, RbReply().i32(1200).i16(0).i16(0)}, {37, RbReply().i32(3000).i16(0).i16(0)}},
     OZ_DO(cnc_rdspeed(h, -1, a.outs<axisrec_t>(2))), 0, {{164, 3}, {138, 1}, {136, 3}, {136, 4}, {36}, {37}, {164, 3}},
     {anyAt(0, 24), at(0, 1200), at(6, int16_t(2)), at(12, 3000)}},
    {"SpeedTypeTwo", {}, OZ_DO(cnc_rdspeed(h, 2, a.outs<axisrec_t>(2))), EW_KIND, {}},
    {"JogDryRun",
     {{164, RbReply().i16(1)}, {138, RbReply().bytes({'S', '1', '2', '3'})}, {136, RbReply().i16(5).i16(0)},
                   {165, RbReply().i32(500).i16(2).i16(0)}},
     OZ_DO(cnc_rdjogdrun(h, 0, a.out<axisrec_t>())), 0, {{164, 3}, {138, 1}, {136, 3}, {136, 4}, {165}, {164, 3}},
     {at(0, 500), anyAt(4, 4), at(8, int16_t(2)), at(10, "DF")}},
};
OZ_ROWS(Meters, kMeterRows);

// ---- spindles and names --------------------------------------------------------------------

std::vector<Answer> spindleReplies(int16_t count = 1) {
  return {{164, RbReply().i16(count)}, {64, RbReply().i32(0x00012345).i32(0).i32(99).i32(0)}};
}

const Row kSpindleRows[] = {
    // The path's spindle capacity (1) brackets what is written.
    {"Load", spindleReplies(), OZ_DO(cnc_rdspload(h, -1, a.out<spindle_values_t>())), 0,
     {{164, 1}, {64, 0, -1}, {164, 1}},
     {at(0, int16_t(-1)), at(4, int16_t(0x2345))}},
    {"MaxRpm", spindleReplies(), OZ_DO(cnc_rdspmaxrpm(h, 1, a.out<spindle_values_t>())), 0,
     {{164, 1}, {64, 1, 1}, {164, 1}},
     {at(0, int16_t(1)), at(4, int16_t(0x2345))}},
    {"Gear", spindleReplies(), OZ_DO(cnc_rdspgear(h, 1, a.out<spindle_values_t>())), 0,
     {{164, 1}, {64, 2, 1}, {164, 1}},
     {at(0, int16_t(1)), at(4, int16_t(0x2345))}},
    {"Acts2", spindleReplies(), OZ_DO(cnc_acts2(h, 1, a.out<spindle_values_t>())), 0, {{164, 1}, {64, 3, 1}, {164, 1}},
     {at(0, int16_t(1)), at(4, 0x00012345)}},
    {"AboveTheCapacity", spindleReplies(), OZ_DO(cnc_rdspload(h, 2, a.out<spindle_values_t>())), EW_RANGE, {}},
    {"NoSpindles", spindleReplies(0), OZ_DO(cnc_rdspload(h, 1, a.out<spindle_values_t>())), EW_NOFEATURE,
     {{164, 1}, {64, 0, 1}, {164, 1}}},
    // Two or four bytes per name, never more than the path has.
    {"AxisNames", {{137, RbReply().bytes({'X', '1', 'a', 'b', 'Y', '2', 'c', 'd', 'Z', ' ', 'e', 'f', 'U', 0, 0, 0})}},
     OZ_DO(cnc_rdaxisname(h, a.inout<int16_t>(4), a.outs<axisname_t>(4))), 0, {{137}}, {at(0, "X1Y2Z ")}, 3},
    {"SpindleNames", {{138, RbReply().bytes({'S', '1', 'x', 'y', 'S', '2', 0, 0})}},
     OZ_DO(cnc_rdspdlname(h, a.inout<int16_t>(4), a.outs<axisname_t>(4))), 0, {{138}}, {at(0, "S1")}, 1},
    {"ExtendedNames", {{138, RbReply().bytes({'S', '1', 'x', 'y', 'S', '2', 0, 0})}},
     OZ_DO(cnc_exaxisname(h, 1, a.inout<int16_t>(1), a.outs<exaxisname_t>(2))), 0, {{138}}, {at(0, "S1xy")}, 1},
    {"NamesCountZero", {}, OZ_DO(cnc_rdaxisname(h, a.inout<int16_t>(0), a.outs<axisname_t>(4))), EW_SIZE, {}, {}, 0},
    {"ExtendedNamesTypeTwo", {}, OZ_DO(cnc_exaxisname(h, 2, a.inout<int16_t>(1), a.outs<exaxisname_t>(2))), EW_KIND,
     {}, {}, 1},
    // Relations never pass the count.
    {"RelatedAxes", {{669, RbReply().i16(1).i16(2).i16(3).i16(4).i16(5).i16(6)}},
     OZ_DO(cnc_rdrelaxis(h, 1, 2, a.inout<int16_t>(2), a.outs<int16_t>(6))), 0, {{669, 1, 2, 2}},
     {at(0, Be().i16(0x0100).i16(0x0200).i16(0x0300).i16(0x0400).data)}, 2},
    {"AbsoluteAxes", {{670, RbReply().i16(7).i16(8).i16(9)}},
     OZ_DO(cnc_rdabsaxis(h, 1, 2, 3, a.inout<int16_t>(5), a.outs<int16_t>(6))),
     0, {{670, 1, 2, 3, 5}}, {at(0, int16_t(7)), at(2, int16_t(8)), at(4, int16_t(9))}, 3},
    {"AxisNumber", {{164, RbReply().i16(5)}}, OZ_DO(cnc_axisnum(h, 3, a.out<int16_t>())), 0, {{164, 3}},
     {at(0, int16_t(5))}},
    {"SurfaceSpeed", {{344, RbReply().i32(1).i32(-2).i32(3)}}, OZ_DO(cnc_rdspcss(h, a.out<spcss_t>())), 0, {{344}},
     longs(0, {1, -2, 3})},
};
OZ_ROWS(Spindles, kSpindleRows);

// ---- older controllers ---------------------------------------------------------------------

sim::FakeConfig old() { return sim::FakeConfig::standard(2); }

RbReply positionNames(bool named = true) {
  RbReply names;
  for (char c : {'X', 'Y', 'Z'})
    names.bytes({0, 0, 0, 0, uint8_t(named ? c : 'X'), uint8_t(named ? 'A' : 0), 0, 0, uint8_t(named ? c : 'X'),
                 uint8_t(named ? 'M' : 0), 0, 0, uint8_t(named ? c : 'X'), uint8_t(named ? 'R' : 0), 0, 0});
  return names;
}
std::vector<Answer> oldPositionReplies(int16_t status) {
  return {{25, RbReply().i16(status)}, {38, [](const RbRequest& q) { return values(3, q.a1 * 10, 4); }},
          {137, positionNames()},
          {14, RbReply().i16(3115).i16(0).i32(0).u32(0).u32(1).u32(2)},
          {136, RbReply().i16(1).i16(2).i16(1).i16(2).i16(1).i16(2)}};
}

const Row kOldRows[] = {
    {"AxisDataIsUnavailable", {}, OZ_DO(cnc_rdaxisdata(h, 1, kAbsolute, 1, a.inout<int16_t>(1), a.out<axisdata_t>())),
     EW_UNAVAILABLE, {}, {}, 1},
    // Nine RBs; at most the path entry's item count; the flag from parameter 3115.
    {"PositionTheNineRbForm", oldPositionReplies(0),
     OZ_DO(cnc_rdposition(h, -1, a.inout<int16_t>(9), a.outs<axisrec_t>(12))), 0,
     {{25}, {38, 0, -1}, {38, 1, -1}, {38, 2, -1}, {38, 3, -1}, {137, -1}, {14, 3115, 3115, -1}, {136, 2}, {25}},
     records(12, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 12) +
         std::vector<At>{at(12, 10), at(18, int16_t(2)), at(22, "XM"), at(8, int16_t(1)), at(56, int16_t(0)),
                         at(116, int16_t(1)),
                         at(84, 31)},
     3},
    // An unknown status word makes the distance to go invalid.
    {"PositionUnknownStatus", oldPositionReplies(3),
     OZ_DO(cnc_rdposition(h, 3, a.inout<int16_t>(3), a.outs<axisrec_t>(12))), 0,
     {{25}, {38, 0, -1}, {38, 1, -1}, {38, 2, -1}, {38, 3, -1}, {137, -1}, {14, 3115, 3115, -1}, {136, 2}, {25}},
     records(12, {3, 7, 11}, 12) + std::vector<At>{at(36, 0), at(40, int16_t(-1))}, 3},
    {"SpeedsUseThePlainDataRequests",
     {{138, RbReply().bytes({'S', '1', 0, 0})}, {136, RbReply().i16(3).i16(3).i16(3).i16(3).i16(3).i16(3)},
      {36, RbReply().i32(800)}, {37, RbReply().i32(1500)}},
     OZ_DO(cnc_rdspeed(h, -1, a.outs<axisrec_t>(2))), 0, {{138, 1}, {136, 3}, {136, 4}, {36}, {37}},
     {anyAt(0, 24), at(0, 800), at(6, int16_t(0)), at(12, 1500)}},
    {"HandleInterruptWithoutBrackets",
     {{137, positionNames(false)}, {136, RbReply().i16(3).i16(3).i16(3).i16(3).i16(3).i16(3)}, {38, values(3, 9)}},
     OZ_DO(cnc_rdhndintrpt(h, -1, a.inout<int16_t>(5), a.outs<axisrec_t>(10))), 0,
     {{137, -1}, {136, 1}, {136, 2}, {38, 11, -1}, {38, 12, -1}},
     records(12, {0, 1, 2, 3, 4, 5}, 12) + std::vector<At>{at(60, 11)}, 3},
    {"SpindleReadIsOneRequest", {{64, RbReply().i32(5).i32(0)}}, OZ_DO(cnc_rdspload(h, 1, a.out<spindle_values_t>())),
     0,
     {{64, 0, 1}}, {at(0, int16_t(1)), at(4, int16_t(5))}},
    {"ServoMeterTakesTheAbsoluteValue",
     {{86, RbReply().i32(-40).i16(0).i16(1)}, {137, RbReply().bytes({'X', '1', 0, 0})}},
     OZ_DO(cnc_rdsvmeter(h, a.inout<int16_t>(3), a.outs<axisrec_t>(3))), 0, {{86, 1, -1}, {137}},
     {at(0, 40), at(4, int16_t(1)), at(6, int16_t(0)), at(8, std::vector<uint8_t>{'X', '1', 0})}, 1},
};
OZ_ROWS(OldState, kOldRows, old());

// Once the controller refuses the kinds from 4 on, the spindle meter keeps
// to the older kinds for the handle.
TEST(OldSpindleMeter, FallsBackOnceRefused) {
  sim::FakeController fake(old());
  uint16_t h = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", fake.port(), 1, &h));
  fake.on(1, 64, [](const RbRequest& q) { return q.a1 >= 4 ? RbReply::fail(EW_KIND) : values(3, q.a1 + 1); });
  fake.reply(1, 138, RbReply().bytes({'S', '1', 0, 0}));
  fake.clear_received();
  axisrec_t out[2];
  int16_t count = 1;
  ASSERT_EQ(EW_SUCCESS, cnc_rdspmeter(h, -1, &count, out));
  EXPECT_TRUE(find_handle(h)->has(kSpmeterOther));
  EXPECT_EQ((std::pair{1, 2}), std::make_pair(out[0].data, out[1].data));
  fake.clear_received();
  ASSERT_EQ(EW_SUCCESS, cnc_rdspmeter(h, -1, &count, out));
  expectRequests(fake.requests(), {{64, 0, -1}, {64, 1, -1}, {138}});
  cnc_freelibhndl(h);
}

}  // namespace
}  // namespace oz::test
