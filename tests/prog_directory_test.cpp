// Program directory, management and orders against the fake controller.
#include "tests/support.h"

namespace oz::test {
namespace {

using sim::RbReply;
using sim::RbRequest;

// A program table served by command 6 (72-byte entries) or 339 (76 bytes),
// answering 3 once nothing is left, as the controller does: number, number *
// 10, comment "(Cn)".
sim::RbHandler table(std::vector<int32_t> numbers, int entry = 72) {
  return [numbers, entry](const RbRequest& q) {
    RbReply r;
    int n = 0;
    for (int32_t p : numbers) {
      if (p < q.a1 || n >= q.a2) continue;
      std::vector<uint8_t> e = RbReply().i32(p).i32(p * 10).data;
      e.resize(size_t(entry), 0);
      const std::string c = "(C" + std::to_string(p) + ")";
      std::memcpy(e.data() + (entry == 76 ? 12 : 8), c.data(), c.size());
      r.bytes(e);
      ++n;
    }
    return n == 0 ? RbReply::fail(3) : r;
  };
}
std::vector<int32_t> range(int from, int to) {
  std::vector<int32_t> v;
  for (int i = from; i <= to; ++i) v.push_back(i);
  return v;
}
std::vector<At> operator+(std::vector<At> a, const std::vector<At>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
// prgdir2_t entries of the numbers, with what the type fills.
std::vector<At> dir2(int type, std::vector<int32_t> numbers) {
  std::vector<At> v;
  size_t b = 0;
  for (int32_t n : numbers) {
    v.push_back(at(b, n));
    if (type == 2) v.push_back(at(b + 4, n * 10));
    if (type >= 1) {
      std::vector<uint8_t> c(51, 0);
      const std::string t = "(C" + std::to_string(n) + ")";
      std::memcpy(c.data(), t.data(), t.size());
      v.push_back(at(b + 8, c));
    }
    b += sizeof(prgdir2_t);
  }
  return v;
}
std::vector<uint8_t> text(const std::string& t, size_t n) {
  std::vector<uint8_t> b(n, ' ');
  std::copy(t.begin(), t.end(), b.begin());
  return b;
}
sim::FakeConfig wMachine() {
  auto c = sim::FakeConfig::standard();
  c.paths[0].sysinfo = sim::sysinfo_record(0, 3, " 0", " W", "SIM0", "01.0", " 3");
  return c;
}
void packed(Handle& h) { h.flags |= kDialectPacked; }

const Row kDirectoryRows[] = {
    // Batches of 19; the next asks from the last number read + 1; a short
    // batch ends; *start becomes the first program found.
    {"PagedRead", {{6, table(range(3, 27))}},
     OZ_DO(cnc_rdprogdir2o8(h, 2, a.count<int32_t>(1), a.inout<int16_t>(40), a.outs<prgdir2_t>(41))),
     0, {{6, 1, 19, 2}, {6, 22, 19, 2}}, dir2(2, range(3, 27)), 25},
    {"PagedReadRemainderLast", {{6, table(range(1, 100))}},
     OZ_DO(cnc_rdprogdir2o8(h, 0, a.count<int32_t>(1), a.inout<int16_t>(40), a.outs<prgdir2_t>(40))), 0,
     {{6, 1, 19}, {6, 20, 19}, {6, 39, 2}}, dir2(0, range(1, 40)), 40},
    // Answer 3 ends the table once something was read, and fails the call otherwise.
    {"AnswerThreeEnds", {{6, table(range(1, 38))}},
     OZ_DO(cnc_rdprogdir2o8(h, 1, a.count<int32_t>(1), a.inout<int16_t>(60), a.outs<prgdir2_t>(60))), 0,
     {{6, 1, 19, 1}, {6, 20, 19, 1}, {6, 39, 19, 1}}, dir2(1, range(1, 38)), 38},
    {"AnswerThreeAtOnce", {{6, table(range(1, 38))}},
     OZ_DO(cnc_rdprogdir2o8(h, 1, a.count<int32_t>(500), a.inout<int16_t>(5), a.outs<prgdir2_t>(5))), EW_RANGE,
     {{6, 500, 5, 1}}, {}, 5},
    {"PagedReadCountZero", {},
     OZ_DO(cnc_rdprogdir2o8(h, 0, a.count<int32_t>(1), a.inout<int16_t>(0), a.outs<prgdir2_t>(2))),
     EW_SIZE, {}, {}, 0},
    {"PagedReadTypeThree", {},
     OZ_DO(cnc_rdprogdir2o8(h, 3, a.count<int32_t>(1), a.inout<int16_t>(1), a.outs<prgdir2_t>(2))),
     EW_KIND, {}, {}, 1},
    {"TimeCountZero", {}, OZ_DO(cnc_rdprgdirtime(h, a.count<int32_t>(1), a.inout<int16_t>(0), a.out<prgdirtm_t>())),
     EW_SIZE, {}, {}, 0},
    // The narrow form writes the first number back narrowed.
    {"NarrowStart", {{6, table({7, 8})}},
     [](uint16_t h, Arena& a) -> int16_t {
       auto* start = a.out<int16_t>(2);
       *start = 2;
       return cnc_rdprogdir2(h, 0, start, a.inout<int16_t>(5), a.get<prgdir2_t>(5 * sizeof(prgdir2_t)));
     },
     0, {{6, 2, 5}}, {at(0, int16_t(7))}, 2},
    // Command 6 with type 2 sent as 3: no page, the first stamp.
    {"Dir3", {{6, [](const RbRequest& q) {
                 RbReply r = RbReply().i32(q.a1).i32(1234).text("COMMENT", 52);
                 for (int k = 0; k < 6; ++k) r.i16(int16_t(2000 + k));
                 return r;
               }}},
     OZ_DO(cnc_rdprogdir3(h, 2, a.count<int32_t>(9), a.inout<int16_t>(1), a.out<prgdir3_t>())), 0, {{6, 9, 1, 3}},
     {at(0, 9), at(4, 1234), at(12, text("COMMENT", 52)),
      at(64, std::array<int16_t, 6>{2000, 2001, 2002, 2003, 2004, 2005})},
     1},
    // Comment and time as the controller writes them.
    {"DirTime", {{118, [](const RbRequest& q) {
                    return RbReply().i32(q.a1).i32(0).text("CMT", 52).text("2024/01/02",
                                                                           13).bytes(std::vector<uint8_t>(15, 0));
                  }}},
     OZ_DO(cnc_rdprgdirtime(h, a.count<int32_t>(42), a.inout<int16_t>(2), a.outs<prgdirtm_t>(2))), 0, {{118, 42, 2}},
     {at(0, 42), at(4, text("CMT", 51)), at(55, text("2024/01/02", 13))}, 1},
    // The text directory: closed by '%', no NUL added.
    {"TextType1", {{6, table({1, 2})}}, OZ_DO(cnc_rdprogdiro8(h, 1, 1, 9999, 200, a.outs<char>(200))), 0,
     {{6, 1, 19, 1}, {6, 3, 19, 1}}, {at(0, "%\nO1(C1)\nO2(C2)\n%")}},
    {"TextType0StopsAtTheEnd", {{6, table({1, 12, 100, 200})}},
     OZ_DO(cnc_rdprogdiro8(h, 0, 1, 150, 64, a.outs<char>(64))), 0,
     {{6, 1, 19}}, {at(0, "O1O12O100%")}},
    {"TextStartAfterEnd", {}, OZ_DO(cnc_rdprogdiro8(h, 0, 10, 9, 8, a.outs<char>(8))), EW_RANGE, {}},
    {"TextLengthZero", {}, OZ_DO(cnc_rdprogdiro8(h, 0, 1, 9, 0, a.outs<char>(8))), EW_SIZE, {}},
    {"TextTypeThree", {}, OZ_DO(cnc_rdprogdir(h, 3, 1, 9, 8, a.outs<char>(8))), EW_KIND, {}},
    // A full buffer ends with '%' and EW_SIZE; a first type-1 line that does
    // not fit leaves only the '%'.
    {"TextFull", {{6, table({1, 12, 100})}}, OZ_DO(cnc_rdprogdiro8(h, 0, 1, 999, 7, a.outs<char>(7))), EW_SIZE,
     {{6, 1, 19}},
     {at(0, "O1O12%")}},
    {"TextFirstLineTooLong", {{6, table({1, 12, 100})}}, OZ_DO(cnc_rdprogdiro8(h, 1, 1, 999, 5, a.outs<char>(7))),
     EW_SIZE,
     {{6, 1, 19, 1}}, {at(0, "%")}},
    // The packed dialect cuts at the end instead.
    {"TextPackedCuts", {{6, table({1, 12, 100})}}, OZ_DO(cnc_rdprogdiro8(h, 0, 1, 999, 4, a.outs<char>(8))), EW_SIZE,
     {{6, 1, 19}}, {at(0, "O1O1")}, {}, packed},
    {"ProgramInfo", {{7, RbReply().i32(70000).i32(2).i32(3).i32(-4)}},
     OZ_DO(cnc_rdproginfo(h, 0, 12, a.out<proginfo_t>())), 0,
     {{7}}, {at(0, int16_t(70000)), at(2, int16_t(2)), at(4, 3), at(8, -4)}},
    {"ProgramInfoText", {{7, RbReply().i32(70000).i32(2).i32(3).i32(-4)}},
     OZ_DO(cnc_rdproginfo(h, 1, 40, a.outs<char>(40))), 0,
     {{7}}, {at(0, std::vector<uint8_t>{'%', '\n', '7', '0', '0', '0', '0', '\n', '2', '\n', '3', '\n', '-', '4', '\n', '%', 0})}},
    {"ProgramInfoLength", {}, OZ_DO(cnc_rdproginfo(h, 0, 11, a.out<proginfo_t>())), EW_SIZE, {}},
    {"ProgramInfoType", {}, OZ_DO(cnc_rdproginfo(h, 2, 100, a.outs<char>(100))), EW_KIND, {}},
    {"ProgramInfoPackedLength", {}, OZ_DO(cnc_rdproginfo(h, 0, 15, a.outs<char>(16))), EW_SIZE, {}, {}, {}, packed},
    {"ProgramInfoPackedTextLength", {}, OZ_DO(cnc_rdproginfo(h, 1, 34, a.outs<char>(40))), EW_SIZE, {}, {}, {}, packed},
};
OZ_ROWS(Directory, kDirectoryRows);

// Command 339 in batches of 18 on a W machine: the page and both stamps.
const Row kDirectoryWRows[] = {
    {"Dir3", {{339, [](const RbRequest& q) {
                   RbReply r;
                   for (int i = 0; i < q.a2; ++i) {
                     r.i32(q.a1 + i).i32(10).i32(77).text("W", 52);
                     for (int k = 0; k < 6; ++k) r.i16(int16_t(100 * (i + 1) + k));
                   }
                   return r;
                 }}},
     OZ_DO(cnc_rdprogdir3(h, 2, a.count<int32_t>(1), a.inout<int16_t>(20), a.outs<prgdir3_t>(20))), 0,
     {{339, 1, 18, 3}, {339, 19, 2, 3}},
     [] {
       std::vector<At> v;
       for (size_t i = 0; i < 20; ++i) v.push_back(anyAt(88 * i, 70)), v.push_back(anyAt(88 * i + 76, 6));
       return v + std::vector<At>{at(8, 77), at(64, std::array<int16_t, 3>{103, 104, 105}),
                                         at(76, std::array<int16_t, 3>{100, 101, 102})};
     }(),
     20},
};
OZ_ROWS(DirectoryW, kDirectoryWRows, wMachine());

// ---- single requests -------------------------------------------------------------------

RbReply zeros() { return RbReply().bytes(std::vector<uint8_t>(300, 0)); }
std::vector<uint8_t> named(const char* t, size_t field) {
  std::vector<uint8_t> b(field, 0);
  std::memcpy(b.data(), t, std::strlen(t));
  return b;
}
std::vector<uint8_t> pair(const char* a, const char* b) {
  std::vector<uint8_t> v = named(a, 256), w = named(b, 256);
  v.insert(v.end(), w.begin(), w.end());
  return v;
}

const Row kRequestRows[] = {
    {"Searcho8", {{3, zeros()}}, OZ_DO(cnc_searcho8(h, 123456)), 0, {{3, 123456}}},
    {"Search", {{3, zeros()}}, OZ_DO(cnc_search(h, -2)), 0, {{3, -2}}},
    {"Deleteo8", {{5, zeros()}}, OZ_DO(cnc_deleteo8(h, 77)), 0, {{5, 77}}},
    {"Delete", {{5, zeros()}}, OZ_DO(cnc_delete(h, 8)), 0, {{5, 8}}},
    {"DeleteAll", {{4, zeros()}}, OZ_DO(cnc_delall(h)), 0, {{4}}},
    {"SequenceSearch", {{30, zeros()}}, OZ_DO(cnc_seqsrch(h, 40)), 0, {{30, 40}}},
    {"Rewind", {{31, zeros()}}, OZ_DO(cnc_rewind(h)), 0, {{31}}},
    {"Sequence", {{29, RbReply().i32(-3)}}, OZ_DO(cnc_rdseqnum(h, a.out<seqnum_t>())), 0, {{29}}, {at(4, -3)}},
    {"Buffer", {{59, RbReply().i32(12)}}, OZ_DO(cnc_buff(h, a.out<buff_t>())), 0, {{59}}, {at(4, 12)}},
    {"BlockCount", {{53, RbReply().i32(9)}}, OZ_DO(cnc_rdblkcount(h, a.out<int32_t>())), 0, {{53}}, {at(0, 9)}},
    {"WriteMdiPointer", {{57, zeros()}}, OZ_DO(cnc_wrmdipntr(h, 9)), 0, {{57, 9}}},
    {"ActivePoint", {{354, RbReply().i32(1).i32(2)}},
     [](uint16_t h, Arena& a) -> int16_t {
       auto* v = a.outs<int32_t>(2);
       return cnc_rdactpt(h, v, v + 1);
     },
     0, {{354}}, {at(0, 1), at(4, 2)}},
    {"UvActivePoint", {{368, RbReply().i32(1).i32(2).i32(3)}},
     [](uint16_t h, Arena& a) -> int16_t {
       auto* v = a.outs<int32_t>(3);
       return cnc_rduvactpt(h, v, v + 1, v + 2);
     },
     0, {{368}}, {at(0, 1), at(4, 2), at(8, 3)}},
    {"Protect", {{444, RbReply().i16(1).i16(2)}}, OZ_DO(cnc_rdprotect(h, 2, "P", a.out<protect_t>())), 0,
     {{444, 2, 0, 0, 0, {'P', 0}}}, {at(0, int16_t(1)), at(2, int16_t(2))}},
    {"Copy", {{454, zeros()}}, OZ_DO(cnc_copyprog(h, 1, 2)), 0, {{454, 1, 2}}},
    {"Rename", {{455, zeros()}}, OZ_DO(cnc_renameprog(h, 3, 4)), 0, {{455, 3, 4}}},
    {"Condense", {{456, zeros()}}, OZ_DO(cnc_condense(h, 1, 99)), 0, {{456, 1, 99}}},
    {"SearchResult", {{462, RbReply().i32(5)}}, OZ_DO(cnc_searchresult(h, a.out<int32_t>())), 0, {{462}}, {at(0, 5)}},
    {"FolderSearchResult", {{464, RbReply().i32(6)}}, OZ_DO(cnc_pdf_searchresult(h, a.out<int32_t>())), 0, {{464}},
     {at(0, 6)}},
    // Orders the controller carries out itself: numbers and names checked first.
    {"ReadProgram", {{410, zeros()}}, OZ_DO(cnc_read_prog(h, 1)), 0, {{410, 1}}},
    {"PunchAllPrograms", {{411, zeros()}}, OZ_DO(cnc_punch_prog(h, 0xFFFFFFFFu)), 0, {{411, -1}}},
    {"ReadProgramNamed", {{412, zeros()}}, OZ_DO(cnc_read_prog2(h, 9999, "AB")), 0,
     {{412, 9999, 0, 0, 0, {'A', 'B', 0}}}},
    {"PunchProgramNamed", {{413, zeros()}}, OZ_DO(cnc_punch_prog2(h, 99999999, "B")), 0,
     {{413, 99999999, 0, 0, 0, {'B', 0}}}},
    {"ReadData", {{430, zeros()}}, OZ_DO(cnc_read_data(h, 21, "D")), 0, {{430, 21, 0, 0, 0, {'D', 0}}}},
    {"PunchData", {{431, zeros()}}, OZ_DO(cnc_punch_data(h, 1, "D")), 0, {{431, 1, 0, 0, 0, {'D', 0}}}},
    {"ProgramZero", {}, OZ_DO(cnc_read_prog(h, 0)), EW_RANGE, {}},
    {"ProgramTooHigh", {}, OZ_DO(cnc_read_prog(h, 10000)), EW_RANGE, {}},
    {"ProgramNameTooLong", {}, OZ_DO(cnc_read_prog2(h, 1, "ABCDEFGHIJKLMN")), EW_VALUE, {}},
    {"DataKind17", {}, OZ_DO(cnc_read_data(h, 17, "X")), EW_RANGE, {}},
    {"DataNameEmpty", {}, OZ_DO(cnc_read_data(h, 1, "")), EW_VALUE, {}},
    {"DataNameTooLong", {}, OZ_DO(cnc_punch_data(h, 1, "ABCDEFGHIJKLM")), EW_VALUE, {}},
    {"SaveStart", {{556, zeros()}}, OZ_DO(cnc_saveprog_start(h)), 0, {{556}}},
    {"SaveEnd", {{557, RbReply().i16(3)}}, OZ_DO(cnc_saveprog_end(h, a.out<int16_t>())), 0, {{557}},
     {at(0, int16_t(3))}},
    // Two 256-byte names; an empty one for null.
    {"AsyncRead", {{638, zeros()}}, OZ_DO(cnc_start_async_read_prog3(h, nullptr, "DST")), 0,
     {{638, 0, 0, 0, 0, pair("", "DST")}}},
    {"AsyncReadNameTooLong", {}, OZ_DO(cnc_start_async_read_prog3(h, std::string(256, 'n').c_str(), "d")), EW_VALUE,
     {}},
    {"AsyncReadEnd", {{639, RbReply().i16(-3)}}, OZ_DO(cnc_end_async_read_prog3(h, "N", a.out<int16_t>())), 0,
     {{639, 0, 0, 0, 0, named("N", 256)}}, {at(0, int16_t(-3))}},
    {"AsyncReadEndBackground", {{643, RbReply().text("//CNC_MEM/O1", 12).bytes(std::vector<uint8_t>(244, 0)).i16(2)}},
     [](uint16_t h, Arena& a) -> int16_t {
       auto* o = a.out<char>(258);
       return cnc_end_async_read_prog3_bg(h, nullptr, o, reinterpret_cast<int16_t*>(o + 256));
     },
     0, {{643, 0, 0, 0, 0, named("", 256)}},
     {at(0, std::vector<uint8_t>(named("//CNC_MEM/O1", 13))), at(256, int16_t(2))}},
    {"FolderReadEnd", {{647, RbReply().i16(1)}}, OZ_DO(cnc_end_async_pdf_read(h, a.out<int16_t>())), 0, {{647}},
     {at(0, int16_t(1))}},
    {"FolderPunch", {{648, zeros()}}, OZ_DO(cnc_start_async_pdf_punch(h, 6, "a", "b")), 0,
     {{648, 6, 0, 0, 0, pair("a", "b")}}},
    {"FolderPunchEnd", {{649, RbReply().i16(1)}}, OZ_DO(cnc_end_async_pdf_punch(h, a.out<int16_t>())), 0, {{649}},
     {at(0, int16_t(1))}},
    {"MdiStatus", {{672, RbReply().i16(4)}}, OZ_DO(cnc_rdmdiprgstat(h, a.out<int16_t>())), 0, {{672}},
     {at(0, int16_t(4))}},
    {"AsyncDataRead", {{682, zeros()}}, OZ_DO(cnc_start_async_data_read(h, 3, nullptr)), 0, {{682, 3, 0, 0, 0, {0}}}},
    {"AsyncDataReadEnd", {{683, RbReply().i16(5)}}, OZ_DO(cnc_end_async_data_read(h, 3, a.out<int16_t>())), 0,
     {{683, 3}},
     {at(0, int16_t(5))}},
    {"AsyncDataPunch", {{684, zeros()}}, OZ_DO(cnc_start_async_data_punch(h, 4, "x")), 0,
     {{684, 4, 0, 0, 0, {'x', 0}}}},
    {"AsyncDataPunchEnd", {{685, RbReply().i16(6)}}, OZ_DO(cnc_end_async_data_punch(h, 4, a.out<int16_t>())), 0,
     {{685, 4}},
     {at(0, int16_t(6))}},

    // Program numbers: the narrow form keeps the low halves; offset 0 is the caller's.
    {"ProgramNumbers", {{28, RbReply().i32(0x12345).i32(-7)}}, OZ_DO(cnc_rdprgnumo8(h, a.out<prgnum_t>())), 0, {{28}},
     {at(4, 0x12345), at(8, -7)}},
    {"ProgramNumbersNarrow", {{28, RbReply().i32(0x12345).i32(-7)}}, OZ_DO(cnc_rdprgnum(h, a.out<prgnum16_t>())), 0,
     {{28}},
     {at(4, int16_t(0x2345)), at(6, int16_t(-7))}},
    {"MdiPointer", {{56, RbReply().i32(0x10001).i32(2).i32(0x20003).i32(4)}},
     OZ_DO(cnc_rdmdipntro8(h, a.out<mdipntr_t>())), 0,
     {{56}}, {at(0, 0x10001), at(4, 2), at(8, 0x20003), at(12, 4)}},
    {"MdiPointerNarrow", {{56, RbReply().i32(0x10001).i32(2).i32(0x20003).i32(4)}},
     OZ_DO(cnc_rdmdipntr(h, a.out<mdipntr16_t>())),
     0, {{56}}, {at(0, int16_t(1)), at(4, 2), at(8, int16_t(3)), at(12, 4)}},
    // Bounded by the arrays.
    {"ProcessingTimes", {{117, [] {
                            RbReply pt;
                            for (int i = 0; i < 12; ++i) pt.i32(100 + i).i16(5).i16(6).i16(7).i16(0);
                            return pt;
                          }()}},
     OZ_DO(cnc_rdproctime(h, a.out<proctime_t>())), 0, {{117}},
     [] {
       std::vector<At> v{at(0, int16_t(OZ_PROCTIME_MAX))};
       for (size_t i = 0; i < OZ_PROCTIME_MAX; ++i)
         v.insert(v.end(),
                  {at(4 + 8 * i, int32_t(100 + i)), at(8 + 8 * i, int16_t(5)),
                   at(10 + 8 * i, std::vector<uint8_t>{6, 7})});
       return v;
     }()},
    {"BAxis", {{127, RbReply().bytes({9, 0}).i16(-2).i32(0x30004).i32(0).i32(77).i32(0)}},
     OZ_DO(cnc_rdbaxis(h, a.outs<baxis_t>(OZ_BAXIS_MAX + 1))), 0, {{127}},
     // Entries the reply did not fill are cleared up to the array's end.
     {at(0, int16_t(9)), at(2, int16_t(-2)), at(4, int16_t(4)), at(8, 77),
      at(sizeof(baxis_t), std::vector<uint8_t>(sizeof(baxis_t) * (OZ_BAXIS_MAX - 1), 0))}},
    // The text is cut to the caller's room and terminated.
    {"ExecutingProgram", {{32, RbReply().i32(55).bytes({'G', '0', '1', 'X', '5'})}},
     [](uint16_t h, Arena& a) -> int16_t {
       auto* o = a.out<char>(12);
       return cnc_rdexecprog(h, a.inout<uint16_t>(4), reinterpret_cast<int32_t*>(o + 8), o);
     },
     0, {{32, 4}}, {at(0, std::vector<uint8_t>{'G', '0', '1', 0}), at(8, 55)}, 3},
    {"ExecutingProgramRoomZero", {}, OZ_DO(cnc_rdexecprog(h, a.inout<uint16_t>(0), a.get<int32_t>(), a.outs<char>(8))),
     EW_SIZE,
     {}, {}, 0},
    {"ExecutingProgramAsksAtMost1428", {{32, RbReply().i32(55).bytes({'G', '0', '1', 'X', '5'})}},
     OZ_DO(cnc_rdexecprog(h, a.count<uint16_t>(5000), a.get<int32_t>(), a.get<char>(5000))), 0, {{32, 1428}}},
    {"ExecutingProgram2", {{786, RbReply().i16(3).i16(8).i16(9).i16(0).bytes({'A', 'B', 'C', 0})}},
     [](uint16_t h, Arena& a) -> int16_t {
       auto* o = a.out<char>(12);
       return cnc_rdexecprog2(h, a.inout<int16_t>(8), reinterpret_cast<int16_t*>(o + 8),
                              reinterpret_cast<int16_t*>(o + 10), o);
     },
     0, {{786, 8}}, {at(0, std::vector<uint8_t>{'A', 'B', 'C', 0}), at(8, int16_t(8)), at(10, int16_t(9))}, 3},
    // A longer MDI program leaves the buffer untouched.
    {"MdiProgramTooLong", {{54, RbReply().bytes({'M', 'D', 'I', '1'})}},
     OZ_DO(cnc_rdmdiprog(h, a.inout<int16_t>(3), a.outs<char>(4))),
     EW_SIZE, {{54}}, {}, 3},
    {"MdiProgram", {{54, RbReply().bytes({'M', 'D', 'I', '1'})}},
     OZ_DO(cnc_rdmdiprog(h, a.inout<int16_t>(4), a.outs<char>(4))), 0,
     {{54}}, {at(0, "MDI1")}, 4},
    {"WriteMdiProgram", {{55, zeros()}}, OZ_DO(cnc_wrmdiprog(h, 3, "G00")), 0, {{55, 0, 0, 0, 0, {'G', '0', '0'}}}},
    // Kind 0 never changes the position; kind 1 only when it is 0.
    {"WriteActivePointKindZero", {{355, RbReply().i32(444)}}, OZ_DO(cnc_wractpt(h, 1, 0, a.inout<int32_t>(0))), 0,
     {{355, 1}}, {}, 0},
    {"WriteActivePointAsks", {{355, RbReply().i32(444)}}, OZ_DO(cnc_wractpt(h, 1, 1, a.inout<int32_t>(0))), 0,
     {{355, 1, 1}}, {},
     444},
    {"WriteActivePointGiven", {{355, RbReply().i32(444)}}, OZ_DO(cnc_wractpt(h, 5, 1, a.inout<int32_t>(33))), 0,
     {{355, 5, 1, 33}},
     {}, 33},
    {"UvActivePoint2", {{652, RbReply().bytes(std::vector<uint8_t>(248, 'u')).i32(1).i32(2).i32(3).i16(4).i16(5)}},
     OZ_DO(cnc_rduvactpt2(h, a.out<uvactpt2_t>())), 0, {{652}},
     {at(0, std::vector<uint8_t>(248, 'u')), at(248, 1), at(252, 2), at(256, 3), at(260, int16_t(4)),
      at(262, int16_t(5))}},
    // The DNC diagnosis, its name cut to 16 or 64 bytes.
    {"DncDiagnosis",
     {{58, RbReply().i16(1).i16(2).text("PROGRAM-NAME-THAT-IS-LONG", 64).i32(0x10003).i32(4).i32(5).u32(0xFFFFFFF0u)}},
     OZ_DO(cnc_rddncdgndt(h, a.out<dncdgndt_t>())), 0, {{58}},
     {at(0, int16_t(1)), at(2, int16_t(2)), at(4, "PROGRAM-NAME-THA"), at(20, uint16_t(3)), at(22, uint16_t(4)),
      at(24, uint16_t(5)), at(28, 0xFFFFFFF0u)}},
    {"DncDiagnosis2",
     {{58, RbReply().i16(1).i16(2).text("PROGRAM-NAME-THAT-IS-LONG", 64).i32(0x10003).i32(4).i32(5).u32(0xFFFFFFF0u)}},
     OZ_DO(cnc_rddncdgndt2(h, a.out<dncdgndt2_t>())), 0, {{58}},
     {at(0, int16_t(1)), at(2, int16_t(2)), at(4, text("PROGRAM-NAME-THAT-IS-LONG", 64)), at(68, uint16_t(3)),
      at(70, uint16_t(4)),
      at(72, uint16_t(5)), at(76, 0xFFFFFFF0u)}},
    // The word's length counts its NUL; the folder form's does not.
    {"SearchWord", {{461, zeros()}}, OZ_DO(cnc_searchword(h, 1, 2, 3, 4, 5, "G01")), 0,
     {{461, 0, 0, 0, 0, Be().i32(1).i32(2).i16(3).i16(4).i32(5).i32(4).bytes(named("G01", 34)).data}}},
    {"FolderSearchWord", {{463, zeros()}}, OZ_DO(cnc_pdf_searchword(h, "//CNC/", 1, 2, 3, 4, "X1")), 0,
     {{463, 0, 0, 0, 0,
       Be().i32(1).i16(2).i16(3).i32(4).i32(2).bytes(named("//CNC/", 244)).bytes(named("X1", 34)).data}}},
    {"SearchWordTooLong", {}, OZ_DO(cnc_searchword(h, 1, 2, 3, 4, 5, std::string(34, 'w').c_str())), EW_VALUE, {}},
    {"FolderPathTooLong", {}, OZ_DO(cnc_pdf_searchword(h, std::string(244, 'p').c_str(), 1, 2, 3, 4, "x")), EW_VALUE,
     {}},
};
OZ_ROWS(Requests, kRequestRows);

}  // namespace
}  // namespace oz::test
