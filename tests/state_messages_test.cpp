// Alarms, operator messages and modal data against the fake controller.
#include "tests/support.h"

namespace oz::test {
namespace {

using sim::RbReply;
using sim::RbRequest;

std::string padded(std::string t, size_t n, char c) {
  t.resize(n, c);
  return t;
}
std::vector<At> join(std::initializer_list<std::vector<At>> parts) {
  std::vector<At> out;
  for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Alarm records with a text area of `text` bytes: w0 = 100 + i, w1 = i,
// w2 = 200 + i, length 5, "ALARMi" padded with dots.
RbReply alarms(int n, int text = 32, int16_t result = 0) {
  RbReply r;
  r.result = result;
  for (int i = 0; i < n; ++i)
    r.i32(100 + i).i32(i).i32(200 + i).i32(5).text(padded("ALARM" + std::to_string(i), size_t(text), '.'),
                                                   size_t(text));
  return r;
}
// cnc_rdalminfo entries of `size` bytes: w2, w0 (wide: w2 takes 4 bytes), then length and text.
std::vector<At> alminfo(int n, size_t size, bool wide, size_t text) {
  std::vector<At> v;
  const size_t w0 = wide ? 4 : 2;
  for (int i = 0; i < n; ++i) {
    const size_t b = size * size_t(i);
    v.push_back(wide ? at(b, 200 + i) : at(b, int16_t(200 + i)));
    v.push_back(at(b + w0, int16_t(100 + i)));
    if (text) v.push_back(at(b + w0 + 2, int16_t(5))),
        v.push_back(at(b + w0 + 4, padded("ALARM" + std::to_string(i), text, '.').c_str()));
  }
  return v;
}
// cnc_rdalmmsg records: w0, w1, w2, a zero word, the length and the text.
std::vector<At> almmsgs(int n, size_t size, size_t text) {
  std::vector<At> v;
  for (int i = 0; i < n; ++i) {
    const size_t b = size * size_t(i);
    v.insert(v.end(), {at(b, 100 + i), at(b + 4, int16_t(i)), at(b + 6, int16_t(200 + i)), at(b + 8, int16_t(0)),
                       at(b + 10, int16_t(5)), at(b + 12, padded("ALARM" + std::to_string(i), text, '.').c_str())});
  }
  return v;
}

RbReply opmsgs(int n, int32_t first_number = 2000, int32_t type = 0) {
  RbReply r;
  for (int i = 0; i < n; ++i) r.i32(first_number + i).i32(type).i32(4).text(padded("MSG" + std::to_string(i), 256,
                                                                                   'm'), 256);
  return r;
}
RbReply twoOpmsgs() {
  RbReply r = opmsgs(1, 1500);
  r.bytes(opmsgs(1, 2050).data);
  return r;
}
// Number, type and character count as words, then `text` bytes of "MSGi" and m's.
std::vector<At> opmsg(size_t b, int16_t number, int16_t type, int i, size_t text) {
  return {at(b, number), at(b + 2, type), at(b + 4, int16_t(4)),
          at(b + 6, padded("MSG" + std::to_string(i), text, 'm').c_str())};
}

const Row kRows[] = {
    {"Alarm", {{26, RbReply().i32(0x00028001)}}, OZ_DO(cnc_alarm(h, a.out<alarm_t>())), 0, {{26}},
     {at(4, int16_t(0x8001))}},
    {"Alarm2", {{26, RbReply().i32(0x00028001)}}, OZ_DO(cnc_alarm2(h, a.out<int32_t>())), 0, {{26}},
     {at(0, 0x00028001)}},
    {"ClearAlarm", {{135, RbReply()}}, OZ_DO(cnc_clralm(h, 3)), 0, {{135, 3}}},
    // Ten short entries fit and more are pending: the end mark, then EW_SIZE.
    {"AlarmInfoShortPending", {{35, alarms(10, 32, 2)}}, OZ_DO(cnc_rdalminfo(h, 0, 1, 42, a.out<uint8_t>(42))), EW_SIZE,
     {{35, 1, 10, 0, 32}}, join({alminfo(10, 4, false, 0), {at(40, int16_t(-1))}})},
    // With room for all 29, pending alarms are no error.
    {"AlarmInfoPendingFullCapacity", {{35, alarms(2, 32, 2)}},
     OZ_DO(cnc_rdalminfo(h, 1, 1, 2 + 38 * 29, a.out<uint8_t>(2 + 38 * 29))),
     0, {{35, 1, 29, 1, 32}}, join({alminfo(2, 38, false, 32), {at(76, int16_t(-1))}})},
    {"AlarmInfoLengthTwo", {}, OZ_DO(cnc_rdalminfo(h, 0, 0, 2, a.out<uint8_t>(2))), EW_SIZE, {}},
    {"AlarmInfoNoRoomForAnEntry", {}, OZ_DO(cnc_rdalminfo(h, 0, 0, 5, a.out<uint8_t>(5))), EW_SIZE, {}},
    {"AlarmInfoNoRoomForATextEntry", {}, OZ_DO(cnc_rdalminfo(h, 1, 0, 39, a.out<uint8_t>(39))), EW_SIZE, {}},
    // The count goes down to 29 (32-byte texts) or 17 (64-byte) before sending.
    {"AlarmMessages", {{35, alarms(3)}}, OZ_DO(cnc_rdalmmsg(h, 1, a.inout<int16_t>(100), a.outs<almmsg_t>(29))),
     0, {{35, 1, 29, 2, 32}}, almmsgs(3, sizeof(almmsg_t), 32), 3},
    {"AlarmMessages2ResultTwoCleared", {{35, alarms(2, 64, 2)}},
     OZ_DO(cnc_rdalmmsg2(h, 1, a.inout<int16_t>(20), a.outs<almmsg2_t>(17))), 0, {{35, 1, 17, 2, 64}},
     almmsgs(2, sizeof(almmsg2_t), 64), 2},
    {"AlarmMessagesNeverPassTheCount", {{35, alarms(5)}},
     OZ_DO(cnc_rdalmmsg(h, 0, a.inout<int16_t>(2), a.outs<almmsg_t>(3))),
     0, {{35, 0, 2, 2, 32}}, almmsgs(2, sizeof(almmsg_t), 32), 2},
    {"AlarmMessagesCountZero", {}, OZ_DO(cnc_rdalmmsg(h, 1, a.inout<int16_t>(0), a.out<almmsg_t>())), EW_SIZE, {}, {},
     0},

    {"OpmsgFirstRecord", {{52, opmsgs(2, 2005)}}, OZ_DO(cnc_rdopmsg(h, 0, sizeof(opmsg_t), a.outs<opmsg_t>(2))), 0,
     {{52}}, opmsg(0, 2005, 0, 0, 256)},
    {"OpmsgLengthBelowOneRecord", {}, OZ_DO(cnc_rdopmsg(h, 0, 261, a.out<opmsg_t>())), EW_SIZE, {}},
    {"OpmsgWantsTypeZero", {}, OZ_DO(cnc_rdopmsg(h, 1, 262, a.out<opmsg_t>())), EW_KIND, {}},
    // Numbers outside 2000..2099 read as 0; the length test needs the reply.
    {"Opmsg2MapsNumbers", {{52, twoOpmsgs()}}, OZ_DO(cnc_rdopmsg2(h, -1, 140, a.outs<opmsg2_t>(3))), 0,
     {{52, -1}}, join({opmsg(0, 0, 0, 0, 64), opmsg(70, 2050, 0, 0, 64)})},
    {"Opmsg2LengthAfterTheReply", {{52, twoOpmsgs()}}, OZ_DO(cnc_rdopmsg2(h, -1, 139, a.outs<opmsg2_t>(3))),
     EW_SIZE, {{52, -1}}},
    {"LineOpmsgCutToTheStructure", {{227, RbReply().bytes(std::vector<uint8_t>(600, 'L'))}},
     OZ_DO(cnc_rdlnopmsg(h, a.outs<lnopmsg_t>(2))), 0, {{227}}, {at(0, std::vector<uint8_t>(512, 'L'))}},
    // Batches of five.
    {"Opmsg3InBatchesOfFive", {{208, [](const RbRequest& q) { return opmsgs(q.a3, 2000 + q.a1); }}},
     OZ_DO(cnc_rdopmsg3(h, 1, a.inout<int16_t>(12), a.outs<opmsg_t>(12))), 0,
     {{208, 0, 1, 5}, {208, 5, 1, 5}, {208, 10, 1, 2}}, join({{anyAt(0, 262 * 11)}, opmsg(262 * 11, 2011, 0, 1, 256)}),
     12},
    {"Opmsg3StopsWhenTheControllerRunsOut",
     {{208, [](const RbRequest& q) { return q.a1 == 0 ? opmsgs(5) : RbReply::fail(5); }}},
     OZ_DO(cnc_rdopmsg3(h, 0, a.inout<int16_t>(12), a.outs<opmsg_t>(12))), 0,
     {{208, 0, 0, 5}, {208, 5, 0, 5}}, {anyAt(0, 262 * 5)}, 5},
    {"Opmsg3RefusedAtOnce", {{208, RbReply::fail(5)}},
     OZ_DO(cnc_rdopmsg3(h, 0, a.inout<int16_t>(3), a.outs<opmsg_t>(3))),
     EW_VALUE, {{208, 0, 0, 3}}},
    {"Opmsg3MoreThanTheCount", {{208, opmsgs(4)}}, OZ_DO(cnc_rdopmsg3(h, 0, a.inout<int16_t>(3), a.outs<opmsg_t>(3))),
     EW_SIZE, {{208, 0, 0, 3}}},
};
OZ_ROWS(Messages, kRows);

// Alarm records in the long form when the controller delivers 17 axes or more.
const Row kWideRows[] = {
    // A four-byte end mark does not fit in the two bytes left: none is written.
    {"AlarmInfoLongWithText", {{35, alarms(3)}}, OZ_DO(cnc_rdalminfo(h, 1, 0, 2 + 40 * 3, a.out<uint8_t>(2 + 40 * 3))),
     0,
     {{35, 0, 3, 1, 32}}, alminfo(3, 40, true, 32)},
    {"AlarmInfoLong", {{35, alarms(3)}}, OZ_DO(cnc_rdalminfo(h, 0, 0, 10, a.out<uint8_t>(10))), 0, {{35, 0, 1, 0, 32}},
     alminfo(1, 8, true, 0)},
};
sim::FakeConfig wide() {
  auto c = sim::FakeConfig::standard();
  c.max_axes = 20;
  c.paths[0].axes(3);
  return c;
}
OZ_ROWS(WideAlarms, kWideRows, wide());

// Older packed-type controllers: 136-byte entries within the length.
const Row kPackedRows[] = {
    {"OpmsgAllNeedsRoomForFour", {}, OZ_DO(cnc_rdopmsg(h, -1, 577, a.out<uint8_t>(200))), EW_SIZE, {}},
    // Type 4 keeps 34 bytes of text; the second entry is cut at the length.
    {"OpmsgTypeFour", {{52, opmsgs(2, 2000, 4)}}, OZ_DO(cnc_rdopmsg(h, 4, 150, a.out<uint8_t>(200))), 0, {{52, 4}},
     join({opmsg(0, 2000, 4, 0, 34),
           {at(136, int16_t(2001)), at(138, int16_t(4)), at(140, int16_t(4)), at(142, "MSG1mmmm")}})},
};
sim::FakeConfig packed() {
  auto c = sim::FakeConfig::standard(2);
  c.kind = 2;
  return c;
}
OZ_ROWS(PackedMessages, kPackedRows, packed());

// ---- modal ---------------------------------------------------------------------------

// The G-code form: one byte per group, bit 7 for a code of the current block.
std::vector<Row> modalRows() {
  struct Kind {
    int16_t type;
    uint16_t cmd;
    int32_t sent;
  };
  const Kind kinds[] = {{-5, 33, -3}, {-4, 33, -2}, {-1, 33, -1}, {0, 33, 0},     {99, 33, 99},   {300, 33, 100},
                        {399, 33, 199}, {-3, 34, -2}, {105, 34, 10}, {125, 34, 12}, {200, 34, 100}, {299, 34, 199}};
  std::vector<Row> rows;
  for (const Kind& k : kinds) {
    const int16_t type = k.type;
    std::vector<At> out = {at(0, type), at(2, int16_t(7))};
    if (k.cmd == 33) out.push_back(at(4, std::vector<uint8_t>{1, 0x82, 0x83}));
    else out.insert(out.end(), {at(4, 5), at(8, std::vector<uint8_t>{0x34, 0x56})});
    rows.push_back({"Type" + std::to_string(k.type < 0 ? 1000 - k.type : k.type),
                    {{33, RbReply().bytes({1, 0, 2, 1, 3, 3})}, {34, RbReply().i32(5).i16(0x1234).i16(0x0056)}},
                    [type](uint16_t h, Arena& a) { return cnc_modal(h, type, 7, a.out<modal_t>()); }, 0,
                    {{k.cmd, k.sent, 7}}, out});
  }
  // Out of range: the type and block are stored before the test.
  for (int16_t type : {-6, 400, 127})
    rows.push_back({"Refused" + std::to_string(type < 0 ? 1000 - type : type), {},
                    [type](uint16_t h, Arena& a) { return cnc_modal(h, type, 0, a.out<modal_t>()); }, EW_RANGE, {},
                    {at(0, type), at(2, int16_t(0))}});
  // Every item, reordered by the controller's item map.
  RbReply all;
  for (int i = 0; i < 29; ++i) all.i32(1000 + i).i16(int16_t(i)).i16(0);
  rows.push_back({"AllItems", {{34, all}}, OZ_DO(cnc_modal(h, -2, 0, a.out<modal_t>())), 0, {{34, -1}},
                  {at(0, int16_t(-2)), at(2, int16_t(0)), anyAt(4, 216), at(4, 1001), at(4 + 8 * 24, 1028),
                   at(4 + 8 * 26, 1013)}});
  return rows;
}
OZ_ROWS(Modal, modalRows());

RbReply gcodes() {
  return RbReply().i16(1).i16(0).i32(1).i32(0).i16(8).i16(1).i32(431).i32(1).i16(9).i16(0).i32(123456789).i32(0)
      .i16(3).i16(0).i32(5).i32(7);
}
std::vector<At> gcode(size_t i, int16_t group, int16_t flag, const char* code) {
  std::vector<uint8_t> c(8, 0);
  std::memcpy(c.data(), code, std::strlen(code));
  return {at(12 * i, group), at(12 * i + 2, flag), at(12 * i + 4, c)};
}
RbReply commands() {
  return RbReply().bytes({'F', 1}).i16(2).i32(1200).i32(3).bytes({'S', 0}).i16(0).i32(-5).i32(0);
}

const Row kCommandRows[] = {
    // A point before the last `dec` digits; cut to seven characters.
    {"GcodeTexts", {{150, gcodes()}}, OZ_DO(cnc_rdgcode(h, -1, 1, a.inout<int16_t>(5), a.outs<gcode_t>(5))), 0,
     {{150, -1, 1}},
     join({gcode(0, 1, 0, "G01"), gcode(1, 8, 1, "G43.1"), gcode(2, 9, 0, "G123456"), gcode(3, 3, 0, "G05")}), 4},
    {"GcodeNeverPassesTheCount", {{150, gcodes()}},
     OZ_DO(cnc_rdgcode(h, -1, 1, a.inout<int16_t>(2), a.outs<gcode_t>(2))),
     0, {{150, -1, 1}}, join({gcode(0, 1, 0, "G01"), gcode(1, 8, 1, "G43.1")}), 2},
    {"GcodeCountZero", {}, OZ_DO(cnc_rdgcode(h, -1, 1, a.inout<int16_t>(0), a.out<gcode_t>())), EW_SIZE, {}, {}, 0},
    // All or nothing: a count below the values fails with nothing stored.
    {"CommandValues", {{151, commands()}}, OZ_DO(cnc_rdcommand(h, -1, 0, a.inout<int16_t>(3), a.outs<cmdvalue_t>(3))),
     0, {{151, -1}},
     {at(0, 'F'), at(1, uint8_t(1)), at(2, int16_t(2)), at(4, 1200), at(8, 3), at(12, 'S'), at(13, uint8_t(0)),
      at(14, int16_t(0)),
      at(16, -5), at(20, 0)}, 2},
    {"CommandValuesBeyondTheCount", {{151, commands()}},
     OZ_DO(cnc_rdcommand(h, -1, 0, a.inout<int16_t>(1), a.outs<cmdvalue_t>(3))),
     EW_SIZE, {{151, -1}}, {}, 1},
};
OZ_ROWS(Commands, kCommandRows);

}  // namespace
}  // namespace oz::test
