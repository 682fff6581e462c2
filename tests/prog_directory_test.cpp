// Program directory and management requests against the fake controller.
#include <cstring>
#include <functional>

#include "tests/support.h"

namespace oz::test {
namespace {

using sim::RbReply;
using sim::RbRequest;

// A program table served by command 6 (72-byte entries) or 339 (76 bytes),
// answering 3 once nothing is left, as the controller does.
struct Table {
  std::vector<int32_t> numbers;
  int entry = 72;
  RbReply page(const RbRequest& q) const {
    RbReply r;
    int n = 0;
    for (int32_t p : numbers) {
      if (p < q.a1 || n >= q.a2) continue;
      std::vector<uint8_t> e(size_t(entry), 0);
      RbReply one;
      one.i32(p).i32(p * 10);
      e.assign(one.data.begin(), one.data.end());
      e.resize(size_t(entry), 0);
      const std::string c = "(C" + std::to_string(p) + ")";
      std::memcpy(e.data() + (entry == 76 ? 12 : 8), c.data(), c.size());
      r.bytes(e);
      ++n;
    }
    if (n == 0) return RbReply::fail(3);
    return r;
  }
};

class Directory : public FakeTest {
 protected:
  void serve(std::vector<int32_t> numbers, uint16_t cmd = 6, int entry = 72) {
    table.numbers = std::move(numbers);
    table.entry = entry;
    fake.on(1, cmd, [this](const RbRequest& q) { return table.page(q); });
  }
  Table table;
};

std::vector<int32_t> range(int from, int to) {
  std::vector<int32_t> v;
  for (int i = from; i <= to; ++i) v.push_back(i);
  return v;
}

TEST_F(Directory, PagedReadSplitsIntoBatchesAndStopsOnAShortOne) {
  uint16_t h = open();
  serve(range(3, 27));   // 25 programs
  prgdir2_t out[41];
  std::memset(out, 0x55, sizeof out);
  int32_t start = 1;
  int16_t n = 40;
  ASSERT_EQ(EW_SUCCESS, cnc_rdprogdir2o8(h, 2, &start, &n, out));
  EXPECT_EQ(25, n);
  EXPECT_EQ(3, start);   // the first program found, not the one asked for
  auto s = sent();
  ASSERT_EQ(2u, s.size());
  EXPECT_EQ(1, s[0].a1);
  EXPECT_EQ(19, s[0].a2);
  EXPECT_EQ(2, s[0].a3);
  EXPECT_EQ(22, s[1].a1);   // last number read + 1
  EXPECT_EQ(19, s[1].a2);
  EXPECT_EQ(27, out[24].number);
  EXPECT_EQ(270, out[24].length);
  EXPECT_STREQ("(C27)", out[24].comment);
  uint8_t sentinel[60];
  std::memset(sentinel, 0x55, sizeof sentinel);
  EXPECT_EQ(0, std::memcmp(&out[25], sentinel, sizeof sentinel));   // nothing past the count
}

TEST_F(Directory, PagedReadAsksTheRemainderLast) {
  uint16_t h = open();
  serve(range(1, 100));
  prgdir2_t out[40];
  int32_t start = 1;
  int16_t n = 40;
  ASSERT_EQ(EW_SUCCESS, cnc_rdprogdir2o8(h, 0, &start, &n, out));
  auto s = sent();
  ASSERT_EQ(3u, s.size());
  EXPECT_EQ(2, s[2].a2);
  EXPECT_EQ(39, s[2].a1);
  EXPECT_EQ(40, n);
}

TEST_F(Directory, AnswerThreeEndsTheTableOnlyAfterSomethingWasRead) {
  uint16_t h = open();
  serve(range(1, 38));   // exactly two batches: the third request gets 3
  prgdir2_t out[60];
  int32_t start = 1;
  int16_t n = 60;
  ASSERT_EQ(EW_SUCCESS, cnc_rdprogdir2o8(h, 1, &start, &n, out));
  EXPECT_EQ(38, n);
  EXPECT_EQ(3u, sent().size());
  start = 500;
  n = 5;
  EXPECT_EQ(EW_RANGE, cnc_rdprogdir2o8(h, 1, &start, &n, out));
}

TEST_F(Directory, PagedReadArgumentTestsSendNothing) {
  uint16_t h = open();
  prgdir2_t out[2];
  int32_t start = 1;
  int16_t n = 0;
  EXPECT_EQ(EW_SIZE, cnc_rdprogdir2o8(h, 0, &start, &n, out));
  n = 1;
  EXPECT_EQ(EW_KIND, cnc_rdprogdir2o8(h, 3, &start, &n, out));
  prgdirtm_t tm[1];
  n = 0;
  EXPECT_EQ(EW_SIZE, cnc_rdprgdirtime(h, &start, &n, tm));
  EXPECT_TRUE(sent().empty());
}

TEST_F(Directory, Rdprogdir2NarrowsTheStartNumber) {
  uint16_t h = open();
  serve({7, 8});
  prgdir2_t out[5];
  int16_t start = 2, n = 5;
  ASSERT_EQ(EW_SUCCESS, cnc_rdprogdir2(h, 0, &start, &n, out));
  EXPECT_EQ(7, start);
  EXPECT_EQ(2, n);
}

TEST_F(Directory, Rdprogdir3UsesCommand6AndSendsType2As3) {
  uint16_t h = open();
  fake.on(1, 6, [](const RbRequest& q) {
    RbReply r;
    r.i32(q.a1).i32(1234).text("COMMENT", 52);
    for (int k = 0; k < 6; ++k) r.i16(int16_t(2000 + k));
    return r;
  });
  prgdir3_t out[1];
  std::memset(out, 0x55, sizeof out);
  int32_t start = 9;
  int16_t n = 1;
  ASSERT_EQ(EW_SUCCESS, cnc_rdprogdir3(h, 2, &start, &n, out));
  ASSERT_EQ(1u, sent().size());
  EXPECT_EQ(6, sent()[0].cmd);
  EXPECT_EQ(3, sent()[0].a3);
  EXPECT_EQ(19, sent()[0].a2 == 1 ? 19 : 0);
  EXPECT_EQ(1234, out[0].length);
  EXPECT_EQ(0x55555555, out[0].page);   // not filled by command 6
  EXPECT_EQ(0, std::memcmp(out[0].comment, "COMMENT", 7));
  for (int k = 0; k < 6; ++k) EXPECT_EQ(2000 + k, out[0].stamp1[k]);
  EXPECT_EQ(0x5555, uint16_t(out[0].stamp2[0]));
}

class DirectoryW : public FakeTest {
 protected:
  static sim::FakeConfig wConfig() {
    auto c = sim::FakeConfig::standard();
    c.paths[0].sysinfo = sim::sysinfo_record(0, 3, " 0", " W", "SIM0", "01.0", " 3");
    return c;
  }
  DirectoryW() : FakeTest(wConfig()) {}
};

TEST_F(DirectoryW, Rdprogdir3UsesCommand339InBatchesOf18) {
  uint16_t h = open();
  fake.on(1, 339, [](const RbRequest& q) {
    RbReply r;
    for (int i = 0; i < q.a2; ++i) {
      r.i32(q.a1 + i).i32(10).i32(77).text("W", 52);
      for (int k = 0; k < 6; ++k) r.i16(int16_t(100 * (i + 1) + k));
    }
    return r;
  });
  std::vector<prgdir3_t> out(20);
  std::memset(out.data(), 0x55, out.size() * sizeof(prgdir3_t));
  int32_t start = 1;
  int16_t n = 20;
  ASSERT_EQ(EW_SUCCESS, cnc_rdprogdir3(h, 2, &start, &n, out.data()));
  auto s = sent();
  ASSERT_EQ(2u, s.size());
  EXPECT_EQ(18, s[0].a2);
  EXPECT_EQ(3, s[0].a3);
  EXPECT_EQ(2, s[1].a2);
  EXPECT_EQ(77, out[0].page);
  EXPECT_EQ(103, out[0].stamp1[0]);   // wire +70
  EXPECT_EQ(100, out[0].stamp2[0]);   // wire +64
  EXPECT_EQ(105, out[0].stamp1[2]);
  EXPECT_EQ(0x5555, uint16_t(out[0].stamp1[3]));
}

TEST_F(Directory, PrgdirtimeCopiesCommentAndTime) {
  uint16_t h = open();
  fake.on(1, 118, [](const RbRequest& q) {
    RbReply r;
    r.i32(q.a1).i32(0).text("CMT", 52).text("2024/01/02", 13).bytes(std::vector<uint8_t>(15, 0));
    return r;
  });
  prgdirtm_t out[2];
  std::memset(out, 0x55, sizeof out);
  int32_t start = 42;
  int16_t n = 2;
  ASSERT_EQ(EW_SUCCESS, cnc_rdprgdirtime(h, &start, &n, out));
  EXPECT_EQ(1, n);
  EXPECT_EQ(42, out[0].number);
  EXPECT_EQ(0, std::memcmp(out[0].comment, "CMT", 3));
  EXPECT_EQ(0, std::memcmp(out[0].time, "2024/01/02", 10));
  EXPECT_EQ(16, sent()[0].a2 == 2 ? 16 : 0);
}

TEST_F(Directory, TextDirectoryType1) {
  uint16_t h = open();
  serve({1, 2});
  char buf[200];
  std::memset(buf, 0x7F, sizeof buf);
  ASSERT_EQ(EW_SUCCESS, cnc_rdprogdiro8(h, 1, 1, 9999, sizeof buf, buf));
  const std::string want = "%\nO1(C1)\nO2(C2)\n%";
  EXPECT_EQ(want, std::string(buf, want.size()));
  EXPECT_EQ(0x7F, buf[want.size()]);   // no NUL added
}

TEST_F(Directory, TextDirectoryType0StopsAtTheEndNumber) {
  uint16_t h = open();
  serve({1, 12, 100, 200});
  char buf[64];
  ASSERT_EQ(EW_SUCCESS, cnc_rdprogdiro8(h, 0, 1, 150, sizeof buf, buf));
  EXPECT_EQ("O1O12O100%", std::string(buf, 10));
}

TEST_F(Directory, TextDirectoryArgumentTests) {
  uint16_t h = open();
  char buf[8];
  std::memset(buf, 0x7F, sizeof buf);
  EXPECT_EQ(EW_RANGE, cnc_rdprogdiro8(h, 0, 10, 9, sizeof buf, buf));
  EXPECT_EQ(EW_SIZE, cnc_rdprogdiro8(h, 0, 1, 9, 0, buf));
  EXPECT_EQ(EW_KIND, cnc_rdprogdir(h, 3, 1, 9, sizeof buf, buf));
  EXPECT_EQ(0x7F, buf[0]);
  EXPECT_TRUE(sent().empty());
}

TEST_F(Directory, TextDirectoryFullBufferEndsWithPercentAndSize) {
  uint16_t h = open();
  serve({1, 12, 100});
  char buf[7];
  std::memset(buf, 0x7F, sizeof buf);
  ASSERT_EQ(EW_SIZE, cnc_rdprogdiro8(h, 0, 1, 999, sizeof buf, buf));
  EXPECT_EQ("O1O12%", std::string(buf, 6));
  // A first type-1 line that does not fit leaves only '%' at the start.
  std::memset(buf, 0x7F, sizeof buf);
  ASSERT_EQ(EW_SIZE, cnc_rdprogdiro8(h, 1, 1, 999, 5, buf));
  EXPECT_EQ('%', buf[0]);
  EXPECT_EQ(0x7F, buf[1]);
}

TEST_F(Directory, TextDirectoryPackedDialectCutsAtTheEnd) {
  uint16_t h = open();
  rec(h).flags |= kDialectPacked;
  serve({1, 12, 100});
  char buf[8];
  std::memset(buf, 0x7F, sizeof buf);
  ASSERT_EQ(EW_SIZE, cnc_rdprogdiro8(h, 0, 1, 999, 4, buf));
  EXPECT_EQ("O1O1", std::string(buf, 4));
  EXPECT_EQ(0x7F, buf[4]);
}

TEST_F(Directory, ProginfoLengthRulesAndBothForms) {
  uint16_t h = open();
  fake.reply(1, 7, RbReply().i32(70000).i32(2).i32(3).i32(-4));
  proginfo_t pi;
  EXPECT_EQ(EW_SIZE, cnc_rdproginfo(h, 0, 11, &pi));
  EXPECT_EQ(EW_KIND, cnc_rdproginfo(h, 2, 100, &pi));
  EXPECT_TRUE(sent().empty());
  ASSERT_EQ(EW_SUCCESS, cnc_rdproginfo(h, 0, 12, &pi));
  EXPECT_EQ(int16_t(70000), pi.v1);
  EXPECT_EQ(-4, pi.v4);
  char t[40];
  ASSERT_EQ(EW_SUCCESS, cnc_rdproginfo(h, 1, sizeof t, t));
  EXPECT_STREQ("%\n70000\n2\n3\n-4\n%", t);
  rec(h).flags |= kDialectPacked;
  EXPECT_EQ(EW_SIZE, cnc_rdproginfo(h, 0, 15, &pi));
  EXPECT_EQ(EW_SIZE, cnc_rdproginfo(h, 1, 34, t));
}

// ---- single requests: request and decoding, one row each -------------------------------

struct Single {
  const char* name;
  uint16_t cmd;
  int32_t a1, a2, a3;
  std::function<int16_t(uint16_t)> run;
};

class Requests : public FakeTest, public ::testing::WithParamInterface<Single> {};

TEST_P(Requests, SendsItsCommandAndArguments) {
  const Single& s = GetParam();
  uint16_t h = open();
  fake.on_other_rb([](const RbRequest&) { return RbReply().bytes(std::vector<uint8_t>(300, 0)); });
  ASSERT_EQ(EW_SUCCESS, s.run(h)) << s.name;
  auto q = sent();
  ASSERT_EQ(1u, q.size());
  EXPECT_EQ(1, q[0].cls);
  EXPECT_EQ(s.cmd, q[0].cmd);
  EXPECT_EQ(s.a1, q[0].a1);
  EXPECT_EQ(s.a2, q[0].a2);
  EXPECT_EQ(s.a3, q[0].a3);
}

static prgnum_t g_pn;
static prgnum16_t g_pn16;
static seqnum_t g_seq;
static mdipntr_t g_mp;
static mdipntr16_t g_mp16;
static proctime_t g_pt;
static baxis_t g_bx[OZ_BAXIS_MAX];
static uvactpt2_t g_uv;
static protect_t g_pr;
static int32_t g_a, g_b, g_c;
static int16_t g_s;

INSTANTIATE_TEST_SUITE_P(All, Requests, ::testing::Values(
    Single{"searcho8", 3, 123456, 0, 0, [](uint16_t h) { return cnc_searcho8(h, 123456); }},
    Single{"search", 3, -2, 0, 0, [](uint16_t h) { return cnc_search(h, -2); }},
    Single{"deleteo8", 5, 77, 0, 0, [](uint16_t h) { return cnc_deleteo8(h, 77); }},
    Single{"delete", 5, 8, 0, 0, [](uint16_t h) { return cnc_delete(h, 8); }},
    Single{"delall", 4, 0, 0, 0, [](uint16_t h) { return cnc_delall(h); }},
    Single{"rdprgnumo8", 28, 0, 0, 0, [](uint16_t h) { return cnc_rdprgnumo8(h, &g_pn); }},
    Single{"rdprgnum", 28, 0, 0, 0, [](uint16_t h) { return cnc_rdprgnum(h, &g_pn16); }},
    Single{"rdseqnum", 29, 0, 0, 0, [](uint16_t h) { return cnc_rdseqnum(h, &g_seq); }},
    Single{"seqsrch", 30, 40, 0, 0, [](uint16_t h) { return cnc_seqsrch(h, 40); }},
    Single{"rewind", 31, 0, 0, 0, [](uint16_t h) { return cnc_rewind(h); }},
    Single{"buff", 59, 0, 0, 0, [](uint16_t h) { return cnc_buff(h, &g_seq); }},
    Single{"rdblkcount", 53, 0, 0, 0, [](uint16_t h) { return cnc_rdblkcount(h, &g_a); }},
    Single{"rdmdipntro8", 56, 0, 0, 0, [](uint16_t h) { return cnc_rdmdipntro8(h, &g_mp); }},
    Single{"rdmdipntr", 56, 0, 0, 0, [](uint16_t h) { return cnc_rdmdipntr(h, &g_mp16); }},
    Single{"wrmdipntr", 57, 9, 0, 0, [](uint16_t h) { return cnc_wrmdipntr(h, 9); }},
    Single{"rdproctime", 117, 0, 0, 0, [](uint16_t h) { return cnc_rdproctime(h, &g_pt); }},
    Single{"rdbaxis", 127, 0, 0, 0, [](uint16_t h) { return cnc_rdbaxis(h, g_bx); }},
    Single{"rdactpt", 354, 0, 0, 0, [](uint16_t h) { return cnc_rdactpt(h, &g_a, &g_b); }},
    Single{"rduvactpt", 368, 0, 0, 0, [](uint16_t h) { return cnc_rduvactpt(h, &g_a, &g_b, &g_c); }},
    Single{"rduvactpt2", 652, 0, 0, 0, [](uint16_t h) { return cnc_rduvactpt2(h, &g_uv); }},
    Single{"wractpt", 355, 5, 1, 33, [](uint16_t h) { g_a = 33; return cnc_wractpt(h, 5, 1, &g_a); }},
    Single{"rdprotect", 444, 2, 0, 0, [](uint16_t h) { return cnc_rdprotect(h, 2, "P", &g_pr); }},
    Single{"copyprog", 454, 1, 2, 0, [](uint16_t h) { return cnc_copyprog(h, 1, 2); }},
    Single{"renameprog", 455, 3, 4, 0, [](uint16_t h) { return cnc_renameprog(h, 3, 4); }},
    Single{"condense", 456, 1, 99, 0, [](uint16_t h) { return cnc_condense(h, 1, 99); }},
    Single{"searchresult", 462, 0, 0, 0, [](uint16_t h) { return cnc_searchresult(h, &g_a); }},
    Single{"pdf_searchresult", 464, 0, 0, 0, [](uint16_t h) { return cnc_pdf_searchresult(h, &g_a); }},
    Single{"read_prog", 410, 1, 0, 0, [](uint16_t h) { return cnc_read_prog(h, 1); }},
    Single{"punch_prog", 411, -1, 0, 0, [](uint16_t h) { return cnc_punch_prog(h, 0xFFFFFFFFu); }},
    Single{"read_prog2", 412, 9999, 0, 0, [](uint16_t h) { return cnc_read_prog2(h, 9999, "A"); }},
    Single{"punch_prog2", 413, 99999999, 0, 0, [](uint16_t h) { return cnc_punch_prog2(h, 99999999, "B"); }},
    Single{"read_data", 430, 21, 0, 0, [](uint16_t h) { return cnc_read_data(h, 21, "D"); }},
    Single{"punch_data", 431, 1, 0, 0, [](uint16_t h) { return cnc_punch_data(h, 1, "D"); }},
    Single{"saveprog_start", 556, 0, 0, 0, [](uint16_t h) { return cnc_saveprog_start(h); }},
    Single{"saveprog_end", 557, 0, 0, 0, [](uint16_t h) { return cnc_saveprog_end(h, &g_s); }},
    Single{"end_async_pdf_read", 647, 0, 0, 0, [](uint16_t h) { return cnc_end_async_pdf_read(h, &g_s); }},
    Single{"start_async_pdf_punch", 648, 6, 0, 0, [](uint16_t h) { return cnc_start_async_pdf_punch(h, 6, "a", "b"); }},
    Single{"end_async_pdf_punch", 649, 0, 0, 0, [](uint16_t h) { return cnc_end_async_pdf_punch(h, &g_s); }},
    Single{"rdmdiprgstat", 672, 0, 0, 0, [](uint16_t h) { return cnc_rdmdiprgstat(h, &g_s); }},
    Single{"start_async_data_read", 682, 3, 0, 0, [](uint16_t h) { return cnc_start_async_data_read(h, 3, nullptr); }},
    Single{"end_async_data_read", 683, 3, 0, 0, [](uint16_t h) { return cnc_end_async_data_read(h, 3, &g_s); }},
    Single{"start_async_data_punch", 684, 4, 0, 0, [](uint16_t h) { return cnc_start_async_data_punch(h, 4, "x"); }},
    Single{"end_async_data_punch", 685, 4, 0, 0, [](uint16_t h) { return cnc_end_async_data_punch(h, 4, &g_s); }}),
    [](const auto& i) { return std::string(i.param.name); });

class Decode : public FakeTest {};

TEST_F(Decode, ProgramNumbersAndNarrowedForms) {
  uint16_t h = open();
  fake.reply(1, 28, RbReply().i32(0x12345).i32(-7));
  prgnum_t pn{0x11111111, 0, 0};
  ASSERT_EQ(EW_SUCCESS, cnc_rdprgnumo8(h, &pn));
  EXPECT_EQ(0x11111111, pn.reserved);
  EXPECT_EQ(0x12345, pn.data);
  EXPECT_EQ(-7, pn.mdata);
  prgnum16_t p16{0x22222222, 0, 0};
  ASSERT_EQ(EW_SUCCESS, cnc_rdprgnum(h, &p16));
  EXPECT_EQ(0x22222222, p16.reserved);
  EXPECT_EQ(0x2345, p16.data);
  fake.reply(1, 56, RbReply().i32(0x10001).i32(2).i32(0x20003).i32(4));
  mdipntr16_t m;
  std::memset(&m, 0x55, sizeof m);
  ASSERT_EQ(EW_SUCCESS, cnc_rdmdipntr(h, &m));
  EXPECT_EQ(1, m.v1);
  EXPECT_EQ(0x5555, uint16_t(m.pad1));
  EXPECT_EQ(3, m.v3);
  EXPECT_EQ(4, m.v4);
}

TEST_F(Decode, ProctimeAndBaxisAreBoundedByTheirArrays) {
  uint16_t h = open();
  RbReply pt;
  for (int i = 0; i < 12; ++i) pt.i32(100 + i).i16(5).i16(6).i16(7).i16(0);
  fake.reply(1, 117, pt);
  proctime_t t;
  std::memset(&t, 0x55, sizeof t);
  ASSERT_EQ(EW_SUCCESS, cnc_rdproctime(h, &t));
  EXPECT_EQ(OZ_PROCTIME_MAX, t.count);
  EXPECT_EQ(109, t.entry[9].number);
  EXPECT_EQ(5, t.entry[0].part1);
  EXPECT_EQ(6, t.entry[0].part2);
  EXPECT_EQ(7, t.entry[0].part3);
  RbReply bx;
  bx.bytes({9, 0}).i16(-2).i32(0x30004).i32(0).i32(77).i32(0);
  fake.reply(1, 127, bx);
  baxis_t b[OZ_BAXIS_MAX + 1];
  std::memset(b, 0x55, sizeof b);
  ASSERT_EQ(EW_SUCCESS, cnc_rdbaxis(h, b));
  EXPECT_EQ(9, b[0].v1);
  EXPECT_EQ(-2, b[0].v2);
  EXPECT_EQ(4, b[0].v3);
  EXPECT_EQ(77, b[0].v4);
  EXPECT_EQ(0, b[1].v1);   // entries not sent are cleared, up to the array's end
  EXPECT_EQ(0x5555, uint16_t(b[OZ_BAXIS_MAX].v1));
}

TEST_F(Decode, ExecprogCutsToTheCallersLengthAndTerminates) {
  uint16_t h = open();
  fake.reply(1, 32, RbReply().i32(55).bytes({'G', '0', '1', 'X', '5'}));
  char buf[8];
  std::memset(buf, 0x7F, sizeof buf);
  uint16_t len = 4;
  int32_t blk = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_rdexecprog(h, &len, &blk, buf));
  EXPECT_EQ(3, len);
  EXPECT_EQ(55, blk);
  EXPECT_STREQ("G01", buf);
  EXPECT_EQ(0x7F, buf[4]);
  EXPECT_EQ(4, sent()[0].a1);
  len = 0;
  EXPECT_EQ(EW_SIZE, cnc_rdexecprog(h, &len, &blk, buf));
  len = 5000;
  char big[5000];
  ASSERT_EQ(EW_SUCCESS, cnc_rdexecprog(h, &len, &blk, big));
  EXPECT_EQ(1428, sent().back().a1);
}

TEST_F(Decode, Execprog2CopiesTextAndNulWithinTheRoom) {
  uint16_t h = open();
  fake.reply(1, 786, RbReply().i16(3).i16(8).i16(9).i16(0).bytes({'A', 'B', 'C', 0}));
  char buf[8];
  std::memset(buf, 0x7F, sizeof buf);
  int16_t len = 8, a = 0, b = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_rdexecprog2(h, &len, &a, &b, buf));
  EXPECT_EQ(3, len);
  EXPECT_EQ(8, a);
  EXPECT_EQ(9, b);
  EXPECT_STREQ("ABC", buf);
  EXPECT_EQ(0x7F, buf[4]);
}

TEST_F(Decode, MdiProgramLongerThanTheBufferLeavesItUntouched) {
  uint16_t h = open();
  fake.reply(1, 54, RbReply().bytes({'M', 'D', 'I', '1'}));
  char buf[4] = {1, 1, 1, 1};
  int16_t len = 3;
  EXPECT_EQ(EW_SIZE, cnc_rdmdiprog(h, &len, buf));
  EXPECT_EQ(1, buf[0]);
  len = 4;
  ASSERT_EQ(EW_SUCCESS, cnc_rdmdiprog(h, &len, buf));
  EXPECT_EQ(0, std::memcmp(buf, "MDI1", 4));
  fake.reply(1, 55, RbReply());
  ASSERT_EQ(EW_SUCCESS, cnc_wrmdiprog(h, 3, "G00"));
  EXPECT_EQ((std::vector<uint8_t>{'G', '0', '0'}), sent().back().data);
}

TEST_F(Decode, WractptKindZeroNeverChangesThePosition) {
  uint16_t h = open();
  fake.reply(1, 355, RbReply().i32(444));
  int32_t pos = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_wractpt(h, 1, 0, &pos));
  EXPECT_EQ(0, pos);
  ASSERT_EQ(EW_SUCCESS, cnc_wractpt(h, 1, 1, &pos));
  EXPECT_EQ(444, pos);
  pos = 5;
  ASSERT_EQ(EW_SUCCESS, cnc_wractpt(h, 1, 1, &pos));
  EXPECT_EQ(5, pos);
}

TEST_F(Decode, Uvactpt2AndDiagnosis) {
  uint16_t h = open();
  RbReply u;
  u.bytes(std::vector<uint8_t>(248, 'u')).i32(1).i32(2).i32(3).i16(4).i16(5);
  fake.reply(1, 652, u);
  uvactpt2_t v;
  ASSERT_EQ(EW_SUCCESS, cnc_rduvactpt2(h, &v));
  EXPECT_EQ('u', v.data[247]);
  EXPECT_EQ(3, v.v3);
  EXPECT_EQ(5, v.v5);
  RbReply d;
  d.i16(1).i16(2).text("PROGRAM-NAME-THAT-IS-LONG", 64).i32(0x10003).i32(4).i32(5).u32(0xFFFFFFF0u);
  fake.reply(1, 58, d);
  dncdgndt_t g;
  std::memset(&g, 0x55, sizeof g);
  ASSERT_EQ(EW_SUCCESS, cnc_rddncdgndt(h, &g));
  EXPECT_EQ(0, std::memcmp(g.name, "PROGRAM-NAME-THA", 16));
  EXPECT_EQ(3, g.v3);
  EXPECT_EQ(5, g.v5);
  EXPECT_EQ(0xFFFFFFF0u, g.v6);
  dncdgndt2_t g2;
  ASSERT_EQ(EW_SUCCESS, cnc_rddncdgndt2(h, &g2));
  EXPECT_EQ(0, std::memcmp(g2.name, "PROGRAM-NAME-THAT-IS-LONG", 25));
  EXPECT_EQ(4, g2.v4);
  EXPECT_EQ(58, sent().back().cmd);
}

TEST_F(Decode, SearchwordLayouts) {
  uint16_t h = open();
  fake.reply(1, 461, RbReply());
  fake.reply(1, 463, RbReply());
  ASSERT_EQ(EW_SUCCESS, cnc_searchword(h, 1, 2, 3, 4, 5, "G01"));
  auto d = sent().back().data;
  ASSERT_EQ(54u, d.size());
  EXPECT_EQ(5, d[15]);
  EXPECT_EQ(4, d[19]);     // the length counts the NUL
  EXPECT_EQ('G', d[20]);
  EXPECT_EQ(0, d[23]);
  ASSERT_EQ(EW_SUCCESS, cnc_pdf_searchword(h, "//CNC/", 1, 2, 3, 4, "X1"));
  d = sent().back().data;
  ASSERT_EQ(294u, d.size());
  EXPECT_EQ(2, d[5]);
  EXPECT_EQ(3, d[7]);
  EXPECT_EQ(2, d[15]);     // without the NUL
  EXPECT_EQ('/', d[16]);
  EXPECT_EQ('X', d[260]);
  EXPECT_EQ(EW_VALUE, cnc_searchword(h, 1, 2, 3, 4, 5, std::string(34, 'w').c_str()));
  EXPECT_EQ(EW_VALUE, cnc_pdf_searchword(h, std::string(244, 'p').c_str(), 1, 2, 3, 4, "x"));
  EXPECT_EQ(2u, sent().size());
}

TEST_F(Decode, ProgramOrderChecksComeBeforeSending) {
  uint16_t h = open();
  EXPECT_EQ(EW_RANGE, cnc_read_prog(h, 0));
  EXPECT_EQ(EW_RANGE, cnc_read_prog(h, 10000));
  EXPECT_EQ(EW_VALUE, cnc_read_prog2(h, 1, "ABCDEFGHIJKLMN"));
  EXPECT_EQ(EW_RANGE, cnc_read_data(h, 17, "X"));
  EXPECT_EQ(EW_VALUE, cnc_read_data(h, 1, ""));
  EXPECT_EQ(EW_VALUE, cnc_punch_data(h, 1, "ABCDEFGHIJKLM"));
  EXPECT_EQ(EW_VALUE, cnc_start_async_read_prog3(h, std::string(256, 'n').c_str(), "d"));
  EXPECT_TRUE(sent().empty());
}

TEST_F(Decode, AsyncOrdersCarryNameFields) {
  uint16_t h = open();
  fake.reply(1, 638, RbReply());
  fake.reply(1, 639, RbReply().i16(-3));
  RbReply bg;
  bg.text("//CNC_MEM/O1", 12).bytes(std::vector<uint8_t>(244, 0)).i16(2);
  fake.reply(1, 643, bg);
  ASSERT_EQ(EW_SUCCESS, cnc_start_async_read_prog3(h, nullptr, "DST"));
  auto d = sent().back().data;
  ASSERT_EQ(512u, d.size());
  EXPECT_EQ(0, d[0]);
  EXPECT_EQ('D', d[256]);
  int16_t st = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_end_async_read_prog3(h, "N", &st));
  EXPECT_EQ(-3, st);
  EXPECT_EQ(256u, sent().back().data.size());
  char name[256];
  ASSERT_EQ(EW_SUCCESS, cnc_end_async_read_prog3_bg(h, nullptr, name, &st));
  EXPECT_STREQ("//CNC_MEM/O1", name);
  EXPECT_EQ(2, st);
  fake.reply(1, 682, RbReply());
  ASSERT_EQ(EW_SUCCESS, cnc_start_async_data_read(h, 3, nullptr));
  EXPECT_EQ(1u, sent().back().data.size());
  fake.reply(1, 412, RbReply());
  ASSERT_EQ(EW_SUCCESS, cnc_read_prog2(h, 5, "AB"));
  EXPECT_EQ((std::vector<uint8_t>{'A', 'B', 0}), sent().back().data);
}

}  // namespace
}  // namespace oz::test
