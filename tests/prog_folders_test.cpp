// Program data folders against the fake controller: path fields, the paged
// listings, program lines and the page locks.
#include "sim/machine.h"
#include "tests/folder_support.h"

namespace oz::test {
namespace {

using sim::RbReply;
using sim::RbRequest;
using namespace std::string_literals;

const std::string P = "//CNC_MEM/USER/PATH1/O0001";
const std::string Q = "//CNC_MEM/USER/LIBRARY/";

class Folders : public FolderRowTest {};

TEST_F(Folders, PathRequestsSendTheirFields) {
  uint16_t h = open();
  const char* p = P.c_str();
  const pdfattr_t attr{7, 0x80000001u};
  const std::string longPath = "//CNC_MEM/" + std::string(290, 'A');
  const OrderRow rows[] = {
      {"wrpdf_curdir", [&](uint16_t h) { return cnc_wrpdf_curdir(h, 2, p); }, {177, 2, 0, 0, 0, path256(P)}},
      {"pdf_add", [&](uint16_t h) { return cnc_pdf_add(h, p); }, {181, 0, 0, 0, 0, path256(P)}},
      {"pdf_del", [&](uint16_t h) { return cnc_pdf_del(h, p); }, {182, 0, 0, 0, 0, path256(P)}},
      {"pdf_delall", [&](uint16_t h) { return cnc_pdf_delall(h, 3, p); }, {243, 1, 3, 0, 0, path256(P)}},
      {"pdf_rename", [&](uint16_t h) { return cnc_pdf_rename(h, p, "O0002"); },
       {183, 0, 0, 0, 0, join({path256(P), fieldOf("O0002", 36, 35)})}},
      {"wrpdf_attr", [&](uint16_t h) { return cnc_wrpdf_attr(h, p, &attr); },
       {184, 7, int32_t(0x80000001u), 0, 0, path256(P)}},
      {"pdf_slctmain", [&](uint16_t h) { return cnc_pdf_slctmain(h, p); }, {186, 0, 0, 0, 0, path256(P)}},
      {"pdf_cond", [&](uint16_t h) { return cnc_pdf_cond(h, p); }, {187, 0, 0, 0, 0, path256(P)}},
      {"pdf_copy", [&](uint16_t h) { return cnc_pdf_copy(h, p, Q.c_str()); },
       {392, 0, 0, 0, 0, join({path256(P), path256(Q)})}},
      {"pdf_move", [&](uint16_t h) { return cnc_pdf_move(h, p, Q.c_str()); },
       {393, 0, 0, 0, 0, join({path256(P), path256(Q)})}},
      {"wrpdf_line", [&](uint16_t h) { return cnc_wrpdf_line(h, p, 5, "G01X1.\n", 7); },
       {241, 5, 0, 0, 0, join({path256(P), bytesOf("G01X1.\n")})}},
      {"pdf_delline", [&](uint16_t h) { return cnc_pdf_delline(h, p, 5, 2); }, {242, 5, 2, 0, 0, path256(P)}},
      {"setpdf_pglock", [&](uint16_t h) { return cnc_setpdf_pglock(h, p); }, {695, 0, 0, 0, 0, path256(P)}},
      {"resetpdf_pglock", [&](uint16_t h) { return cnc_resetpdf_pglock(h, p); }, {696, 0, 0, 0, 0, path256(P)}},
      // A null path is an empty field, not a crash; long ones are cut.
      {"pdf_del null", [&](uint16_t h) { return cnc_pdf_del(h, nullptr); }, {182, 0, 0, 0, 0, path256("")}},
      {"pdf_rename long", [&](uint16_t h) { return cnc_pdf_rename(h, longPath.c_str(), std::string(50, 'B').c_str()); },
       {183, 0, 0, 0, 0, join({fieldOf(longPath, 256, 255), fieldOf(std::string(35, 'B'), 36, 35)})}},
  };
  for (auto& r : rows) check(h, r);
}

TEST_F(Folders, ReadsStoreTheirReplies) {
  uint16_t h = open();
  const char* p = P.c_str();
  pdfprginf_in_t pin{};
  std::strcpy(pin.path, p);
  pin.value = 4;
  pin.flag = 1;
  std::vector<uint8_t> info(84);
  for (size_t i = 0; i < info.size(); ++i) info[i] = uint8_t(i);
  const std::string name12 = "ABCDEFGHIJKL";   // fills its 12 bytes: cut to 11 and a NUL
  const ReadRow rows[] = {
      {"rdpdf_drive", RbReply().bytes(fieldOf("CNC_MEM", 12, 12)).bytes(bytesOf(name12)),
       [](uint16_t h, uint8_t* b) { return cnc_rdpdf_drive(h, reinterpret_cast<pdfdrive_t*>(b)); },
       {174}, Image(sizeof(pdfdrive_t)).i16(0, 2).text(4, "CNC_MEM", 12).text(16, "ABCDEFGHIJK", 12).b},
      {"rdpdf_inf", RbReply().i32(1).i32(-2).i32(3).i32(4),
       [](uint16_t h, uint8_t* b) { return cnc_rdpdf_inf(h, "CNC_MEMORY_DRIVE", 1, reinterpret_cast<pdfinf_t*>(b)); },
       {175, 1, 0, 0, 0, fieldOf("CNC_MEMORY_DRIVE", 12, 11)}, Image(16).i32(0, 1).i32(4, -2).i32(8, 3).i32(12, 4).b},
      {"rdpdf_curdir", RbReply().bytes(bytesOf(Q + '\0')),
       [](uint16_t h, uint8_t* b) { return cnc_rdpdf_curdir(h, 1, reinterpret_cast<char*>(b)); },
       {176, 1}, Image(256).text(0, Q, 256).b},
      {"rdpdf_subdirn", RbReply().i32(0x00010002).i32(5),
       [p](uint16_t h, uint8_t* b) { return cnc_rdpdf_subdirn(h, p, reinterpret_cast<pdfsubdirn_t*>(b)); },
       {180, 0, 0, 0, 0, path256(P)}, Image(4).i16(0, 2).i16(2, 5).b},
      {"pdf_rdmain", RbReply().bytes(bytesOf(P)),   // no NUL sent: the buffer has one
       [](uint16_t h, uint8_t* b) { return cnc_pdf_rdmain(h, reinterpret_cast<char*>(b)); },
       {185}, Image(256).text(0, P, 256).b},
      {"exeprgname", RbReply().i32(12).bytes(bytesOf(std::string(40, 'N'))),
       [](uint16_t h, uint8_t* b) { return cnc_exeprgname(h, reinterpret_cast<exeprgname_t*>(b)); },
       {207}, Image(40).text(0, std::string(35, 'N'), 36).i32(36, 12).b},
      {"exeprgname2", RbReply().bytes(bytesOf(P + '\0')),
       [](uint16_t h, uint8_t* b) { return cnc_exeprgname2(h, reinterpret_cast<char*>(b)); },
       {252}, Image(256).text(0, P, 256).b},
      {"pdf_rdactpt", RbReply().i32(77).bytes(bytesOf("//X\0"s)),
       [](uint16_t h, uint8_t* b) { return cnc_pdf_rdactpt(h, reinterpret_cast<char*>(b + 4), reinterpret_cast<int32_t*>(b)); },
       {442}, Image(260).i32(0, 77).raw(4, bytesOf("//X\0"s)).b},
      {"pdf_wractpt", RbReply().i32(9),
       [p](uint16_t h, uint8_t* b) {
         int32_t pos = 5;
         const int16_t r = cnc_pdf_wractpt(h, p, 2, &pos);
         std::memcpy(b, &pos, 4);
         return r;
       },
       {443, 2, 5, 0, 0, bytesOf(P + '\0')}, Image(4).i32(0, 9).b},
      {"rdpdf_prginf", RbReply().bytes(info),
       [&pin](uint16_t h, uint8_t* b) { return cnc_rdpdf_prginf(h, &pin, reinterpret_cast<pdfprginf_t*>(b)); },
       {689, 4, 0, 0, 0, fieldOf(P, 244, 243)},
       Image(84).i16(0, 0x0001).i16(2, 0x0203).i16(4, 0x0405).i16(6, 0x0607).i16(8, 0x0809).i16(10, 0x0A0B)
           .i32(12, 0x0C0D0E0F).i32(16, 0x10111213).raw(20, {info.begin() + 20, info.end()}).b},
      {"getsysfolder_num", RbReply().i16(3),
       [](uint16_t h, uint8_t* b) { return cnc_getsysfolder_num(h, reinterpret_cast<int16_t*>(b)); },
       {692}, Image(2).i16(0, 3).b},
      {"rdproctime2", RbReply().bytes(fieldOf("O0001", 36, 36)).i16(1).i16(2).i16(0x0103)
                          .bytes(fieldOf("O0002", 36, 36)).i16(4).i16(5).i16(6).i16(99),   // 2 bytes left over
       [](uint16_t h, uint8_t* b) { return cnc_rdproctime2(h, reinterpret_cast<proctime2_t*>(b)); },
       {693}, Image(sizeof(proctime2_t)).i16(0, 2).text(2, "O0001", 36).i16(38, 1).at<int8_t>(40, 2).at<int8_t>(41, 3)
                  .text(42, "O0002", 36).i16(78, 4).at<int8_t>(80, 5).at<int8_t>(81, 6).b},
      {"rdpdf_line2", RbReply().i32(3).bytes(bytesOf("O1\nG0\nM30\n")),
       [p](uint16_t h, uint8_t* b) {
         int32_t v = 8, len = 6;
         const int16_t r = cnc_rdpdf_line2(h, p, 2, reinterpret_cast<char*>(b + 8), &v, &len);
         std::memcpy(b, &v, 4);
         std::memcpy(b + 4, &len, 4);
         return r;
       },
       {694, 2, 8, 6, 0, path256(P)}, Image(16).i32(0, 3).i32(4, 6).raw(8, bytesOf("O1\nG0\n")).b},
  };
  for (auto& r : rows) check(h, r);
}

// A folder of `total` entries served from the index asked for, 3 past the end.
struct Folder {
  int total;
  int entry;
  RbReply page(const RbRequest& q) const {
    if (q.a1 >= total && q.a1 > 0) return RbReply::fail(3);
    RbReply r;
    for (int i = q.a1; i < total && i < q.a1 + q.a2; ++i) {
      std::vector<uint8_t> e(size_t(entry), uint8_t('a' + i % 26));
      e[0] = 0;
      e[1] = 0;
      e[2] = uint8_t(i >> 8);
      e[3] = uint8_t(i);
      r.bytes(e);
    }
    return r;
  }
};

class Listing : public FakeTest {
 protected:
  void serve(uint16_t cmd, int total, int entry) {
    folder = {total, entry};
    fake.on(1, cmd, [this](const RbRequest& q) { return folder.page(q); });
  }
  pdfsdir_in_t in(int16_t index = 0) {
    pdfsdir_in_t v;
    std::memset(&v, 'X', sizeof v);   // a path that fills its field, no NUL
    v.index = index;
    v.sel1 = 11;
    v.sel2 = 22;
    return v;
  }
  Folder folder{0, 40};
};

TEST_F(Listing, SubdirAsksInBatchesOf72AndStopsOnAShortPage) {
  uint16_t h = open();
  serve(178, 50, 40);
  std::vector<pdfsdir_t> out(101);
  sentinel(out[50]);
  int16_t n = 100;
  const pdfsdir_in_t v = in(0);
  ASSERT_EQ(EW_SUCCESS, cnc_rdpdf_subdir(h, &n, &v, out.data()));
  EXPECT_EQ(50, n);
  expectRequests({{178, 0, 72, 0, 0, fieldOf(std::string(212, 'X'), 256, 256)}});
  EXPECT_EQ(49, out[49].value);
  EXPECT_EQ(0, std::memcmp(out[49].name, std::string(36, char('a' + 49 % 26)).data(), 36));
  EXPECT_TRUE(untouched(&out[50], 0, sizeof out[50]));
  serve(178, 200, 40);
  fake.clear_received();
  n = 100;
  ASSERT_EQ(EW_SUCCESS, cnc_rdpdf_subdir(h, &n, &v, out.data()));
  EXPECT_EQ(100, n);
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(72, q[0].a2);
  EXPECT_EQ(72, q[1].a1);
  EXPECT_EQ(28, q[1].a2);
  // A page with more entries than asked stores no more than asked.
  fake.on(1, 178, [](const RbRequest&) { return RbReply().bytes(std::vector<uint8_t>(40 * 5, 1)); });
  n = 2;
  ASSERT_EQ(EW_SUCCESS, cnc_rdpdf_subdir(h, &n, &v, out.data()));
  EXPECT_EQ(2, n);
  EXPECT_EQ(2, out[2].value);   // the earlier listing's entry, not this page's
}

TEST_F(Listing, SubdirEmptyPageMarksTheNextEntry) {
  uint16_t h = open();
  serve(178, 0, 40);
  pdfsdir_t out[2];
  sentinel(out);
  int16_t n = 2;
  const pdfsdir_in_t v = in(0);
  ASSERT_EQ(EW_SUCCESS, cnc_rdpdf_subdir(h, &n, &v, out));
  EXPECT_EQ(0, n);
  EXPECT_EQ(0, out[0].value);
  EXPECT_TRUE(untouched(&out[0], 2, sizeof out));
}

TEST_F(Listing, ThreeEndsALaterPageOnlyAndBadCountsSendNothing) {
  uint16_t h = open();
  serve(179, 40, 128);   // exactly two pages of 20: the third request gets 3
  std::vector<pdfadir_t> out(60);
  int16_t n = 60;
  pdfsdir_in_t v = in(0);
  ASSERT_EQ(EW_SUCCESS, cnc_rdpdf_alldir(h, &n, &v, out.data()));
  EXPECT_EQ(40, n);
  auto q = sent();
  ASSERT_EQ(3u, q.size());
  EXPECT_EQ((std::vector<int32_t>{40, 20, 11, 22}), (std::vector<int32_t>{q[2].a1, q[2].a2, q[2].a3, q[2].a4}));
  EXPECT_EQ(39, out[39].w[1]);
  v = in(40);
  n = 5;
  EXPECT_EQ(EW_RANGE, cnc_rdpdf_alldir(h, &n, &v, out.data()));
  EXPECT_EQ(5, n);
  fake.clear_received();
  n = 0;
  EXPECT_EQ(EW_SIZE, cnc_rdpdf_alldir(h, &n, &v, out.data()));
  EXPECT_EQ(EW_SIZE, cnc_rdpdf_subdir(h, &n, &v, reinterpret_cast<pdfsdir_t*>(out.data())));
  EXPECT_TRUE(sent().empty());
}

class Lines : public FakeTest {};

TEST_F(Lines, CopyStopsAtTheCountAPercentOrANul) {
  uint16_t h = open();
  std::string text;
  for (int i = 0; i < 30; ++i) text += "G01X" + std::to_string(i % 10) + "\n";   // 6 bytes a line
  struct Row {
    std::string reply;
    int32_t room;
    int32_t bytes, lines;
  } rows[] = {
      {text.substr(0, 300) + std::string(300 - text.substr(0, 300).size(), 'Z'), 100, 100, 16},
      {text.substr(0, 39) + "%" + text.substr(0, 60), 100, 40, 7},
      {std::string("O1\n") + '\0' + "G0\n", 100, 4, 1},
      {"O1\nG0\n", 100, 6, 2},
      {"O1\nG0\n", -3, 0, 0},
  };
  const char* p = P.c_str();
  for (auto& r : rows) {
    SCOPED_TRACE(r.bytes);
    fake.reply(1, 240, RbReply().bytes(bytesOf(r.reply)));
    std::vector<char> buf(200, '#');
    int32_t lines = 9, len = r.room;
    ASSERT_EQ(EW_SUCCESS, cnc_rdpdf_line(h, p, 3, buf.data(), &lines, &len));
    EXPECT_EQ(r.bytes, len);
    EXPECT_EQ(r.lines, lines);
    EXPECT_EQ(0, std::memcmp(buf.data(), r.reply.data(), size_t(len)));
    EXPECT_EQ('#', buf[size_t(len)]);
  }
  expectRequests({{240, 3, 9, 0, 0, path256(P)}, {240, 3, 9, 0, 0, path256(P)}, {240, 3, 9, 0, 0, path256(P)},
                  {240, 3, 9, 0, 0, path256(P)}, {240, 3, 9, 0, 0, path256(P)}});
}

TEST_F(Lines, WriteLengthIsTestedBeforeSending) {
  uint16_t h = open();
  const std::string big(5000, 'G');
  EXPECT_EQ(EW_SIZE, cnc_wrpdf_line(h, P.c_str(), 1, big.c_str(), -1));
  EXPECT_EQ(EW_SIZE, cnc_wrpdf_line(h, P.c_str(), 1, nullptr, 4));
  EXPECT_EQ(EW_SIZE, cnc_wrpdf_line(h, P.c_str(), 1, big.c_str(), int32_t(big.size())));
  EXPECT_TRUE(sent().empty());
}

class Locks : public FakeTest {};

TEST_F(Locks, LockStatusCopiesWholePathsWithinTheRoom) {
  uint16_t h = open();
  std::vector<uint8_t> three(3 * 256 + 100);
  for (size_t i = 0; i < three.size(); ++i) three[i] = uint8_t(i / 256 + 1);
  struct Row {
    size_t reply;
    int32_t room, count;
  } rows[] = {{512, 4, 2}, {255, 4, 0}, {three.size(), 2, 2}, {512, 0, 0}};
  for (auto& r : rows) {
    SCOPED_TRACE(r.reply);
    fake.reply(1, 697, RbReply().bytes(three.data(), r.reply));
    std::vector<uint8_t> buf(4 * 256, 0xEE);
    int32_t n = r.room;
    ASSERT_EQ(EW_SUCCESS, cnc_rdpdf_pglockstat(h, &n, reinterpret_cast<char*>(buf.data())));
    EXPECT_EQ(r.count, n);
    EXPECT_EQ(0, std::memcmp(buf.data(), three.data(), size_t(n) * 256));
    EXPECT_TRUE(untouched(buf.data(), size_t(n) * 256, buf.size()));
  }
  int32_t n = -1;
  EXPECT_EQ(EW_SIZE, cnc_rdpdf_pglockstat(h, &n, nullptr));
}

TEST_F(Locks, PathsThatDoNotFitAreRefusedWithDetail2) {
  uint16_t h = open();
  LogTail log;
  const std::string full(256, 'L');
  EXPECT_EQ(EW_VALUE, cnc_setpdf_pglock(h, nullptr));
  EXPECT_EQ(2, detail(h).detail);
  EXPECT_EQ(EW_VALUE, cnc_resetpdf_pglock(h, full.c_str()));
  pdfprginf_in_t in;
  std::memset(&in, 'P', sizeof in);
  pdfprginf_t out;
  sentinel(out);
  EXPECT_EQ(EW_VALUE, cnc_rdpdf_prginf(h, &in, &out));
  EXPECT_EQ(2, detail(h).detail);
  EXPECT_TRUE(untouched(&out, 0, sizeof out));
  EXPECT_TRUE(sent().empty());
  EXPECT_TRUE(log.has("Error: " + std::to_string(rec(h).sock2Number()) + ": cnc_setpdf_pglock(" +
                      std::to_string(h) + " (null)): 5 2 0"));
}

TEST_F(Locks, ProgramInfoFlagSelectsArg2AndShortRepliesStoreNothing) {
  uint16_t h = open();
  fake.reply(1, 689, RbReply().bytes(std::vector<uint8_t>(83, 1)));
  pdfprginf_in_t in{};
  pdfprginf_t out;
  sentinel(out);
  in.flag = 0;
  EXPECT_EQ(EW_SIZE, cnc_rdpdf_prginf(h, &in, &out));
  in.flag = -1;
  EXPECT_EQ(EW_SIZE, cnc_rdpdf_prginf(h, &in, &out));
  EXPECT_TRUE(untouched(&out, 0, sizeof out));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(1, q[0].a2);
  EXPECT_EQ(0, q[1].a2);
  exeprgname_t e;
  sentinel(e);
  fake.reply(1, 207, RbReply().i16(1));
  EXPECT_EQ(EW_SIZE, cnc_exeprgname(h, &e));
  EXPECT_TRUE(untouched(&e, 0, sizeof e));
}

// ---- against the simulated machine ------------------------------------------------------

class FoldersSim : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", m.port(), 5, &h)); }
  void TearDown() override { cnc_freelibhndl(h); }
  std::vector<std::string> names(const std::string& folder) {
    pdfsdir_in_t in{};
    std::strncpy(in.path, folder.c_str(), sizeof in.path - 1);
    std::vector<pdfadir_t> out(50);
    int16_t n = 50;
    EXPECT_EQ(EW_SUCCESS, cnc_rdpdf_alldir(h, &n, &in, out.data()));
    std::vector<std::string> v;
    for (int i = 0; i < n; ++i) v.push_back(std::string(out[size_t(i)].name, strnlen(out[size_t(i)].name, 36)));
    return v;
  }
  std::string lines(const std::string& path) {
    std::vector<char> buf(4096);
    int32_t n = 1000, len = int32_t(buf.size());
    EXPECT_EQ(EW_SUCCESS, cnc_rdpdf_line(h, path.c_str(), 1, buf.data(), &n, &len));
    return std::string(buf.data(), size_t(len));
  }
  sim::Machine m;
  uint16_t h = 0;
};

TEST_F(FoldersSim, TheStoresProgramsLiveInTheirFolderAndEditsRoundTrip) {
  pdfdrive_t d;
  ASSERT_EQ(EW_SUCCESS, cnc_rdpdf_drive(h, &d));
  ASSERT_EQ(2, d.count);
  EXPECT_STREQ("CNC_MEM", d.name[0]);
  const std::string prog = "//CNC_MEM/USER/PATH1/";
  EXPECT_EQ((std::vector<std::string>{"O0001", "O0002"}), names(prog));
  EXPECT_EQ(0u, lines(prog + "O0002").find("O0002(DRILL)\nG81"));
  ASSERT_EQ(EW_SUCCESS, cnc_wrpdf_line(h, (prog + "O0002").c_str(), 2, "G04X2.\n", 7));
  ASSERT_EQ(EW_SUCCESS, cnc_pdf_delline(h, (prog + "O0002").c_str(), 5, 1));
  EXPECT_EQ("O0002(DRILL)\nG04X2.\nG81X10.Y10.Z-5.R1.F100\nX20.\nM30\n%", lines(prog + "O0002"));
  // Through the library's numbered view of the store as well.
  prgdir2_t dir[5];
  int32_t start = 2;
  int16_t n = 1;
  ASSERT_EQ(EW_SUCCESS, cnc_rdprogdir2o8(h, 1, &start, &n, dir));
  EXPECT_STREQ("(DRILL)", dir[0].comment);
  ASSERT_EQ(EW_SUCCESS, cnc_pdf_copy(h, (prog + "O0001").c_str(), "//CNC_MEM/USER/LIBRARY/"));
  ASSERT_EQ(EW_SUCCESS, cnc_pdf_rename(h, "//CNC_MEM/USER/LIBRARY/O0001", "O0005"));
  ASSERT_EQ(EW_SUCCESS, cnc_pdf_move(h, "//CNC_MEM/USER/LIBRARY/O0005", prog.c_str()));
  EXPECT_EQ((std::vector<std::string>{"O0001", "O0002", "O0005"}), names(prog));
  EXPECT_EQ(EW_SUCCESS, cnc_searcho8(h, 5));
  EXPECT_EQ((std::vector<std::string>{"O9001"}), names("//CNC_MEM/USER/LIBRARY"));
}

TEST_F(FoldersSim, FoldersLocksAndTheMainProgram) {
  ASSERT_EQ(EW_SUCCESS, cnc_pdf_add(h, "//CNC_MEM/USER/JOBS/"));
  ASSERT_EQ(EW_SUCCESS, cnc_pdf_copy(h, "//CNC_MEM/USER/LIBRARY/O9001", "//CNC_MEM/USER/JOBS/A"));
  pdfsubdirn_t sn;
  ASSERT_EQ(EW_SUCCESS, cnc_rdpdf_subdirn(h, "//CNC_MEM/USER/", &sn));
  EXPECT_EQ(3, sn.v1);
  EXPECT_EQ(EW_SUCCESS, cnc_setpdf_pglock(h, "//CNC_MEM/USER/JOBS/A"));
  char locked[2 * 256];
  int32_t count = 2;
  ASSERT_EQ(EW_SUCCESS, cnc_rdpdf_pglockstat(h, &count, locked));
  ASSERT_EQ(1, count);
  EXPECT_STREQ("//CNC_MEM/USER/JOBS/A", locked);
  EXPECT_NE(EW_SUCCESS, cnc_pdf_del(h, "//CNC_MEM/USER/JOBS/A"));
  EXPECT_EQ(EW_SUCCESS, cnc_resetpdf_pglock(h, "//CNC_MEM/USER/JOBS/A"));
  EXPECT_NE(EW_SUCCESS, cnc_pdf_del(h, "//CNC_MEM/USER/JOBS"));   // not empty
  EXPECT_EQ(EW_SUCCESS, cnc_pdf_del(h, "//CNC_MEM/USER/JOBS/A"));
  EXPECT_EQ(EW_SUCCESS, cnc_pdf_del(h, "//CNC_MEM/USER/JOBS"));
  ASSERT_EQ(EW_SUCCESS, cnc_wrpdf_curdir(h, 0, "//CNC_MEM/USER/LIBRARY/"));
  char path[256];
  ASSERT_EQ(EW_SUCCESS, cnc_rdpdf_curdir(h, 0, path));
  EXPECT_STREQ("//CNC_MEM/USER/LIBRARY/", path);
  ASSERT_EQ(EW_SUCCESS, cnc_pdf_slctmain(h, "//CNC_MEM/USER/PATH1/O0002"));
  int32_t pos = 40;
  ASSERT_EQ(EW_SUCCESS, cnc_pdf_wractpt(h, "//CNC_MEM/USER/PATH1/O0002", 1, &pos));
  std::memset(path, 0, sizeof path);
  pos = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_pdf_rdactpt(h, path, &pos));
  EXPECT_EQ(40, pos);
  EXPECT_STREQ("//CNC_MEM/USER/PATH1/O0002", path);
  pdfprginf_in_t in{};
  std::strcpy(in.path, "//CNC_MEM/USER/PATH1/O0002");
  pdfprginf_t info;
  ASSERT_EQ(EW_SUCCESS, cnc_rdpdf_prginf(h, &in, &info));
  EXPECT_STREQ("(DRILL)", info.comment);
}

}  // namespace
}  // namespace oz::test
