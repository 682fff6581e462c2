// Tool, work, fixture, work-shift and pitch offsets: values per number by path
// kind, chunking, slot rules of the range writes and the single-value calls.
#include "tests/support.h"

namespace oz::test {
namespace {

using sim::RbReply;
using sim::RbRequest;

// Elements numbered from the request: number * 100 + slot.
RbReply numbered(int from, int to, int perNumber) {
  RbReply r;
  for (int n = from; n <= to; ++n)
    for (int k = 0; k < perNumber; ++k) r.i32(n * 100 + k).u16(0).u16(0xFFFF);
  return r;
}
sim::RbHandler numberedBy(int perNumber) {
  return [perNumber](const RbRequest& q) { return numbered(q.a1, q.a2, perNumber); };
}
// What a range read stores from `off`: `count` values of `width` bytes for the
// numbers first..last, each number * 100 + slot.
std::vector<At> stored(size_t off, int first, int last, int count, size_t width = 4) {
  std::vector<At> v;
  for (int n = first; n <= last; ++n)
    for (int k = 0; k < count; ++k,
         off += width) v.push_back(width == 4 ? at(off, n * 100 + k) : at(off, int16_t(n * 100 + k)));
  return v;
}
std::vector<At> operator+(std::vector<At> a, const std::vector<At>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
// Value elements as they travel: the value, a zero word and the decimal word.
std::vector<uint8_t> elements(std::initializer_list<std::pair<int32_t, int16_t>> v) {
  Be b;
  for (auto [x, dec] : v) b.i32(x).i16(0).i16(dec);
  return b.data;
}
void turning(Handle& h) { setPathWord(h, 0, 0x2054); }
void slots(Handle& h, uint16_t perNumber, uint16_t delivered) {
  h.config.setWord(6, perNumber);
  h.config.setWord(28, delivered);
}
tofsr_t* toolRange(Arena& a, int16_t s, int16_t type, int16_t e, size_t n, std::initializer_list<int16_t> w = {}) {
  auto* r = a.get<tofsr_t>(8 + n);
  std::memset(static_cast<void*>(r), 0, 8 + n);
  r->datano_s = s, r->type = type, r->datano_e = e;
  std::copy(w.begin(), w.end(), r->u.w);
  return r;
}
pitchr_t* pitchPoints(Arena& a) {
  auto* p = a.get<pitchr_t>(6 + 1000);
  p->datano_s = 0, p->datano_e = 999;
  for (int n = 0; n < 1000; ++n) p->data[n] = int8_t(-(n % 7));
  return p;
}

RbReply pitchReply(const RbRequest& q) {
  RbReply r;
  for (int n = q.a1; n <= q.a2; ++n) r.i16(int16_t(-(n % 7)));
  return r;
}

std::vector<Row> toolRows() {
  // Pitch points travel as words and are stored as bytes.
  std::vector<uint8_t> points(1000);
  Be first, second;
  for (int n = 0; n < 1000; ++n) points[size_t(n)] = uint8_t(-(n % 7)),
  (n < 710 ? first : second).i16(int16_t(-(n % 7)));
  return {
      // Type -22 on a turning path: nine values per number, 19 numbers to a request.
      {"TurningType22", {{8, numberedBy(9)}},
       OZ_DO(cnc_rdtofsr(h, 1, -22, 40, 8 + 40 * 36, a.out<tofsr_t>(8 + 40 * 36))), 0,
       {{8, 1, 19, -22}, {8, 20, 38, -22}, {8, 39, 40, -22}},
       std::vector<At>{at(0, int16_t(1)), at(2, int16_t(-22)), at(4, int16_t(40))} + stored(8, 1, 40, 9), {}, turning},
      {"TurningType22Length", {{8, numberedBy(9)}}, OZ_DO(cnc_rdtofsr(h, 1, -22, 10, 8 + 359, a.out<tofsr_t>(8 + 359))),
       EW_SIZE, {}, {}, {}, turning},
      // Type 0 is 16-bit on turning paths only.
      {"TypeZero", {{8, numberedBy(1)}}, OZ_DO(cnc_rdtofsr(h, 3, 0, 4, 16, a.out<tofsr_t>())), 0, {{8, 3, 4}},
       std::vector<At>{at(0, int16_t(3)), at(2, int16_t(0)), at(4, int16_t(4))} + stored(8, 3, 4, 1)},
      {"TypeZeroTurning", {{8, numberedBy(1)}}, OZ_DO(cnc_rdtofsr(h, 3, 0, 4, 12, a.out<tofsr_t>())), 0, {{8, 3, 4}},
       std::vector<At>{at(0, int16_t(3)), at(2, int16_t(0)), at(4, int16_t(4))} + stored(8, 3, 4, 1, 2), {}, turning},
      {"StartAfterEnd", {}, OZ_DO(cnc_rdtofsr(h, 4, 0, 3, 100, a.out<tofsr_t>())), EW_RANGE, {}},
      // Early length tests answer before the frame: no error line.
      {"OneToolOffsetLength", {}, OZ_DO(cnc_rdtofs(h, 5, 0, 7, a.out<tofs_t>())), EW_SIZE, {}, {}, {}, {}, {""}},
      {"WriteOneToolOffsetLength", {}, OZ_DO(cnc_wrtofs(h, 5, 0, 7, 1)), EW_SIZE, {}, {}, {}, {}, {""}},
      // The single forms send the type plus 1000.
      {"OneToolOffset", {{8, RbReply().i32(-12345).u16(0).u16(0xFFFF)}},
       OZ_DO(cnc_rdtofs(h, 5, 0, 8, a.out<tofs_t>())), 0,
       {{8, 5, 5, 1000}}, {at(0, int16_t(5)), at(2, int16_t(0)), at(4, -12345)}, {}, turning},
      {"WriteOneToolOffset", {{9, RbReply()}}, OZ_DO(cnc_wrtofs(h, 5, 2, 8, 777)), 0,
       {{9, 5, 5, 1002, 0, elements({{777, -1}})}},
       {}, {}, turning},
      // Four 32-bit values per number on other paths, 44 numbers a request.
      {"WriteAllFourChunked", {{9, RbReply()}}, OZ_DO(cnc_wrtofsr(h, 8 + 16 * 50, toolRange(a, 1, -3, 50, 16 * 50))), 0,
       {{9, 1, 44, -3, 0, [] { Be b; for (int i = 0; i < 4 * 44; ++i) b.i32(0).i16(0).i16(-1); return b.data; }()},
        {9, 45, 50, -3, 0, [] { Be b; for (int i = 0; i < 4 * 6; ++i) b.i32(0).i16(0).i16(-1); return b.data; }()}}},
      {"WriteAllFourLength", {}, OZ_DO(cnc_wrtofsr(h, 8 + 16 * 50 - 1, toolRange(a, 1, -3, 50, 16 * 50))), EW_SIZE, {}},
      // A 16-bit type is sign-extended.
      {"WriteSixteenBit", {{9, RbReply()}}, OZ_DO(cnc_wrtofsr(h, 10, toolRange(a, 2, 9, 2, 2, {-2}))), 0,
       {{9, 2, 2, 9, 0, elements({{-2, -1}})}}},
      {"WriteSixteenBitLength", {}, OZ_DO(cnc_wrtofsr(h, 7, toolRange(a, 2, 9, 2, 2, {-2}))), EW_SIZE, {}},
      // A short reply ends the read; the caller's end stays.
      {"SecondTableShortReply", {{124, RbReply().i32(1).u16(0).u16(0xFFFF).i32(2).u16(0).u16(0xFFFF)}},
       OZ_DO(cnc_rdbtofsr(h, 1, -2, 3, 8 + 24, a.out<tofsr_t>())), 0, {{124, 1, 3, -2}},
       {at(0, int16_t(1)), at(2, int16_t(-2)), at(4, int16_t(3)), at(8, 1), at(12, 2)}},
      {"Pitch",
       {{18, [](const RbRequest& q) { RbReply r; for (int n = q.a1; n <= q.a2; ++n) r.i16(int16_t(-(n % 7))); return r; }}},
       OZ_DO(cnc_rdpitchr(h, 0, 999, 6 + 1000, a.out<pitchr_t>(6 + 1000))), 0, {{18, 0, 715}, {18, 716, 999}},
       {at(0, int16_t(0)), at(4, int16_t(999)), at(6, points)}},
      {"PitchLength", {{18, pitchReply}}, OZ_DO(cnc_rdpitchr(h, 0, 999, 6 + 999, a.out<pitchr_t>(6 + 999))), EW_SIZE,
       {{18, 0, 715}, {18, 716, 999}}, {at(6, std::vector<uint8_t>(points.begin(), points.begin() + 716))}},
      {"WritePitch", {{19, RbReply()}}, OZ_DO(cnc_wrpitchr(h, 6 + 1000, pitchPoints(a))), 0,
       {{19, 0, 709, 0, 0, first.data}, {19, 710, 999, 0, 0, second.data}}},
      {"WritePitchLength", {}, OZ_DO(cnc_wrpitchr(h, 6 + 999, pitchPoints(a))), EW_SIZE, {}},
  };
}
OZ_ROWS(ToolOffsets, toolRows());

zofsr_t* workRange(Arena& a) {
  auto* r = a.in(zofsr_t{1, -1, 2, 0, {1, 2, 3, 4}});
  return r;
}
zofs_t* shift(Arena& a, int16_t type, std::initializer_list<int32_t> v) {
  auto* z = a.in(zofs_t{3, type, {}});
  std::copy(v.begin(), v.end(), z->data);
  return z;
}

std::vector<Row> workRows() {
  auto shorter = std::make_shared<int>(0);
  return {
      // Eight slots a number, five delivered: 22 numbers to a request; a short
      // reply ends the read.
      {"WorkRange", {{11, [shorter](const RbRequest& q) {
                         RbReply r = numbered(q.a1, q.a2, 8);
                         if (++*shorter == 2) r.data.resize(8 * 8 * 3);
                         return r;
                       }}},
       OZ_DO(cnc_rdzofsr(h, 1, -1, 30, 8 + 4 * 5 * 30, a.out<zofsr_t>(8 + 4 * 5 * 30))), 0,
       {{11, 1, 22, -1}, {11, 23, 30, -1}},
       std::vector<At>{at(0, int16_t(1)), at(2, int16_t(-1)), at(4, int16_t(25))} + stored(8, 1, 25, 5), {},
       [](Handle& h) { slots(h, 8, 5); }},
      {"FixtureRangeLength", {{298, numberedBy(8)}},
       OZ_DO(cnc_rdfixofs(h, 1, -1, 30, 8 + 4 * 5 * 22 - 1, a.out<zofsr_t>(8 + 4 * 5 * 22))),
       EW_SIZE, {{298, 1, 22, -1}}, {}, {}, [](Handle& h) { slots(h, 8, 5); }},
      // k values, then blank slots.
      {"WorkRangeWrite", {{12, RbReply()}}, OZ_DO(cnc_wrzofsr(h, 8 + 16, workRange(a))), 0,
       {{12, 1, 2, -1, 0, elements({{1, -1}, {2, -1}, {0, 0}, {0, 0}, {3, -1}, {4, -1}, {0, 0}, {0, 0}})}}, {}, {},
       [](Handle& h) { slots(h, 4, 2); }},
      {"WorkRangeWriteLength", {}, OZ_DO(cnc_wrzofsr(h, 8 + 15, workRange(a))), EW_SIZE, {}, {}, {},
       [](Handle& h) { slots(h, 4, 2); }},
      // One number goes through the range requests.
      {"OneWorkOffset", {{11, [](const RbRequest& q) { return numbered(q.a1, q.a2, q.a3 < 0 ? 3 : 1); }}},
       OZ_DO(cnc_rdzofs(h, 2, -1, 16, a.out<zofs_t>())), 0, {{11, 2, 2, -1}},
       std::vector<At>{at(0, int16_t(2)), at(2, int16_t(-1))} + stored(4, 2, 2, 3)},
      {"OneWorkOffsetAxis", {}, OZ_DO(cnc_rdzofs(h, 1, 4, 100, a.out<zofs_t>())), EW_KIND, {}},
      {"OneWorkOffsetLength", {}, OZ_DO(cnc_rdzofs(h, 1, -1, 15, a.out<zofs_t>())), EW_SIZE, {}},
      {"WriteOneWorkOffset", {{12, RbReply()}}, OZ_DO(cnc_wrzofs(h, 8, shift(a, 2, {9}))), 0,
       {{12, 3, 3, 2, 0, elements({{9, -1}})}}},
      // Five in the reply, three axes kept; the number is not written.
      {"WorkShift", {{99, numbered(1, 5, 1)}}, OZ_DO(cnc_rdwkcdshft(h, -1, 16, a.out<zofs_t>())), 0, {{99, -1}},
       {at(2, int16_t(-1)), at(4, 100), at(8, 200), at(12, 300)}},
      {"WorkShiftAxis", {}, OZ_DO(cnc_rdwkcdshft(h, 4, 100, a.out<zofs_t>())), EW_KIND, {}},
      {"WorkShiftLength", {{99, numbered(1, 5, 1)}}, OZ_DO(cnc_rdwkcdshft(h, -1, 15, a.out<zofs_t>())), EW_SIZE,
       {{99, -1}}},
      {"WriteWorkShiftMeasured", {{102, RbReply()}}, OZ_DO(cnc_wrwkcdsfms(h, 16, shift(a, -1, {100, 200, 300}))), 0,
       {{102, -1, 0, 0, 0, elements({{100, -1}, {200, -1}, {300, -1}})}}},
      {"WriteWorkShiftMeasuredLength", {}, OZ_DO(cnc_wrwkcdsfms(h, 15, shift(a, -1, {100, 200, 300}))), EW_SIZE, {}},
      // The number from the first element, the word after it, then at most the
      // controller's axes.
      {"ActiveFixture", {{297, numbered(1, 9, 1).i32(0)}}, OZ_DO(cnc_rdactfixofs(h, -1, a.out<zofs_t>())), 0,
       {{297, -1}},
       {at(0, int16_t(100)), at(2, int16_t(-1)), at(4, 0xFFFF), anyAt(8, 8)}},
      {"Measured", {{400, RbReply().u32(0xFFFFFFFF).i32(2)}},
       [](uint16_t h, Arena& a) -> int16_t {
         double* v = a.outs<double>(2);
         return cnc_rdzofsmes(h, 1, 2, 3, v, v + 1);
       },
       0, {{400, 1, 2, 3}}, {at(0, 4294967295.0), at(8, 2.0)}},
      {"ClearToolOffsets", {{439, RbReply()}}, OZ_DO(cnc_clrtofs(h, -2)), 0, {{439, -2}}},
      {"ToolInfo2", {{10, RbReply().i32(0x10002).i16(3).i16(4)}}, OZ_DO(cnc_rdtofsinfo2(h, a.out<tofsinfo_t>())), 0,
       {{10}},
       {at(0, int16_t(3)), at(2, int16_t(2)), at(4, int16_t(4))}},
      {"ToolInfo", {{10, RbReply().i32(0x10002).i16(3).i16(4)}}, OZ_DO(cnc_rdtofsinfo(h, a.outs<int16_t>(3))), 0,
       {{10}},
       {at(0, int16_t(3)), at(2, int16_t(2))}},
      {"SecondToolInfo", {{126, RbReply().i32(5).i32(6).i16(7)}}, OZ_DO(cnc_rdbtofsinfo(h, a.outs<int16_t>(3))), 0,
       {{126}},
       {at(0, int16_t(7)), at(2, int16_t(5)), at(4, int16_t(6))}},
      {"ToolRange", {{200, RbReply().i32(1).i32(0).i32(2).i32(0).i32(3)}},
       OZ_DO(cnc_tofs_rnge(h, 1, -1, a.out<ofsrange_t>())), 0,
       {{200, 1, 0, 999}}, {at(0, 1), at(4, 2), at(8, 3)}},
      {"WorkInfo", {{13, RbReply().i32(0x10009)}}, OZ_DO(cnc_rdzofsinfo(h, a.out<int16_t>())), 0, {{13}},
       {at(0, int16_t(9))}},
      {"PitchInfo", {{20, RbReply().i32(0x20005)}}, OZ_DO(cnc_rdpitchinfo(h, a.outs<int16_t>(4))), 0, {{20}},
       {at(0, int16_t(5))}},
      // On a W machine one word per axis, bounded by the controller's axes.
      {"PitchInfoW", {{338, RbReply().i32(0).i32(11).i32(0).i32(12).i32(0).i32(13).i32(0).i32(14)}},
       OZ_DO(cnc_rdpitchinfo(h, a.outs<int16_t>(4))), 0, {{338}},
       {at(0, int16_t(11)), at(2, int16_t(12)), at(4, int16_t(13))}, {},
       [](Handle& h) { setMachineType(h, " W"); }},
  };
}
OZ_ROWS(WorkOffsets, workRows());

}  // namespace
}  // namespace oz::test
