// The site files: the private-profile reader, the memory-window file and the
// alarm-text file, including malformed ones.
#include <cstdlib>
#include <fstream>

#include "api/pmc/alarm_msgs.h"
#include "api/pmc/semem.h"
#include "base/profile.h"
#include "tests/support.h"

namespace oz::test {
namespace {

using pmcio::Window;

// A scratch folder under the tests' data folder.
std::string scratch(const char* name) {
  const char* base = std::getenv("OZLIB_DATADIR");
  std::string dir = std::string(base ? base : ".") + "/" + name;
  bool existed = false;
  oz::plat::make_dir(dir, &existed);
  return dir;
}

std::string get(const Profile& p, const char* s, const char* k, const char* d, size_t size = 64) {
  std::vector<char> out(size + 1, '#');
  const size_t n = p.get(s, k, d, out.data(), size);
  if (size == 0) {
    EXPECT_EQ('#', out[0]);
    return "";
  }
  EXPECT_EQ(n, std::strlen(out.data()));
  EXPECT_EQ('#', out[size]);   // never past the size
  return out.data();
}

TEST(Profile, SectionsKeysCaseBlanksQuotesAndComments) {
  Profile p;
  p.parse("\xEF\xBB\xBF" "stray=1\r\n[Other]\nER01=wrong\n[ others ]\r\n ; ER01=comment\n"
          "  er01 =  Custom text  \r\nER02=\"quoted \"\nER03='x'\nER04\nER01=second\n[broken\nER05=five\n");
  EXPECT_EQ("Custom text", get(p, "OTHERS", "ER01", "d"));
  EXPECT_EQ("quoted ", get(p, "OTHERS", "ER02", "d"));
  EXPECT_EQ("x", get(p, "OTHERS", "ER03", "d"));
  EXPECT_EQ("dflt", get(p, "OTHERS", "ER04", "dflt  "));   // trailing blanks of the default go
  EXPECT_EQ("five", get(p, "OTHERS", "ER05", "d"));        // "[broken" is no section
  EXPECT_EQ("d", get(p, "OTHERS", "stray", "d"));
  EXPECT_EQ("", get(p, "NONE", "ER01", nullptr));
}

TEST(Profile, TruncatesToSizeMinusOne) {
  Profile p;
  p.parse("[S]\nK=" + std::string(5000, 'a') + "\n");
  EXPECT_EQ(std::string(127, 'a'), get(p, "S", "K", "", 128));
  EXPECT_EQ("", get(p, "S", "K", "", 1));
  EXPECT_EQ("", get(p, "S", "K", "", 0));
  EXPECT_EQ("ab", get(p, "S", "missing", "abc", 3));
}

TEST(Profile, MissingFileGivesDefaults) {
  Profile p;
  EXPECT_FALSE(p.load("/nonexistent/dir/x.ini"));
  EXPECT_EQ("d", get(p, "S", "K", "d"));
}

TEST(Semem, LinesAreHexStartCommaHexLength) {
  auto w = pmcio::semem_parse("520000,20000\nno comma\n\n 0x10 , 0\nzz,10\n30,8\r\n"
                              "123456789,10\n40,ffff\n" + std::string(10000, '7') + "\n");
  ASSERT_EQ(3u, w.size());
  EXPECT_EQ(0x520000u, w[0].start);
  EXPECT_EQ(0x10000u, w[0].length);   // cut to the largest window
  EXPECT_EQ(0x30u, w[1].start);
  EXPECT_EQ(8u, w[1].length);
  EXPECT_EQ(0xFFFFu, w[2].length);
}

TEST(Semem, AtMost32WindowsAndDefaultsWithoutAFile) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += std::to_string(i) + ",10\n";
  EXPECT_EQ(32u, pmcio::semem_parse(text).size());
  auto d = pmcio::semem_load("/nonexistent/semem.cfg");
  ASSERT_EQ(7u, d.size());
  EXPECT_EQ(0x832000u, d[5].start);
  EXPECT_EQ(0x8000u, d[5].length);
}

class SememCalls : public FakeTest {};

TEST_F(SememCalls, WindowTestsBeforeSending) {
  oz::plat::set_env("OZLIB_SYSDIR", "/nonexistent-ozlib");
  pmcio::semem_reload();
  uint16_t h = open();
  uint16_t buf[8];
  EXPECT_EQ(EW_SIZE, pmc_rdpmcsemem(h, 1, 0x50FFFE, 2, buf));
  EXPECT_EQ(EW_RANGE, pmc_rdpmcsemem(h, 1, 0x50FFFF, 1, buf));
  EXPECT_EQ(EW_KIND, pmc_rdpmcsemem(h, 3, 0x500000, 1, buf));
  EXPECT_EQ(EW_RANGE, pmc_wrpmcsemem(h, 0, 0x4FFFFF, 1, buf));
  EXPECT_TRUE(sent().empty());
  fake.reply(1, 39, sim::RbReply().u16(0x1234).u16(0x5678));
  ASSERT_EQ(EW_SUCCESS, pmc_rdpmcsemem(h, 1, 0x50FFFC, 2, buf));
  EXPECT_EQ(0x1234, buf[0]);
  EXPECT_EQ(0x5678, buf[1]);
  auto q = sent();
  ASSERT_EQ(1u, q.size());
  EXPECT_EQ(1, q[0].cls);
  EXPECT_EQ((std::vector<int32_t>{1, 0x50FFFC, 1, 2}),
            (std::vector<int32_t>{q[0].a1, q[0].a2, q[0].a3, q[0].a4}));
}

TEST_F(SememCalls, EmptyFileMeansNoWindow) {
  const std::string dir = scratch("semem-empty");
  bool existed = false;
  oz::plat::make_dir(dir + "/ozlib", &existed);
  std::ofstream(dir + "/ozlib/semem.cfg") << "";
  oz::plat::set_env("OZLIB_SYSDIR", dir.c_str());
  pmcio::semem_reload();
  EXPECT_TRUE(pmcio::semem_table().empty());
  uint16_t h = open();
  uint8_t b;
  EXPECT_EQ(EW_RANGE, pmc_rdpmcsemem(h, 0, 0x500000, 1, &b));
}

TEST_F(SememCalls, MemoryCallsSplitByItemSize) {
  uint16_t h = open();
  fake.on(1, 39, [](const sim::RbRequest& q) {
    sim::RbReply r;
    for (int i = 0; i < q.a4; ++i) r.u16(uint16_t(i));
    return r;
  });
  fake.reply(1, 40, sim::RbReply());
  std::vector<uint16_t> buf(1001, 0xEEEE);
  ASSERT_EQ(EW_SUCCESS, pmc_rdpmcmem(h, 1, 0x1000, 1000, buf.data()));
  auto q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(716, q[0].a4);
  EXPECT_EQ(0x1000 + 1432, q[1].a2);
  EXPECT_EQ(284, q[1].a4);
  EXPECT_EQ(283, buf[999]);
  EXPECT_EQ(0xEEEE, buf[1000]);
  fake.clear_received();
  ASSERT_EQ(EW_SUCCESS, pmc_wrpmcmem(h, 2, 0x2000, 400, buf.data()));
  q = sent();
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(1420u, q[0].data.size());
  EXPECT_EQ(0x2000 + 1420, q[1].a2);
  EXPECT_EQ(180u, q[1].data.size());
  fake.clear_received();
  EXPECT_EQ(EW_KIND, pmc_rdpmcmem(h, 3, 0, 1, buf.data()));
  EXPECT_EQ(EW_SIZE, pmc_rdpmcmem(h, 0, 0, 0, buf.data()));
  EXPECT_TRUE(sent().empty());
}

TEST(AlarmTexts, IniReplacesOnlyItsKeysAndCutsLongTexts) {
  const std::string dir = scratch("alarm-ini");
  bool existed = false;
  oz::plat::make_dir(dir + "/Ozlib", &existed);
  std::ofstream(dir + "/Ozlib/ozpmcalm.ini")
      << "[OTHERS]\nER01=Custom text\nER02=" << std::string(300, 'z') << "\n";
  oz::plat::set_env("OZLIB_SYSDIR", dir.c_str());
  const char sep = oz::plat::path_sep();
  EXPECT_EQ(dir + sep + "Ozlib" + sep + "ozpmcalm.ini", pmcio::alarm_ini_path());
  pmcio::alarm_texts_reload();
  const auto& t = pmcio::alarm_texts();
  EXPECT_STREQ("Custom text", t[1].data());
  EXPECT_EQ(std::string(127, 'z'), t[2].data());
  EXPECT_STREQ("ER03 Program Size Error(Option)", t[3].data());
  EXPECT_STREQ("No Message", t[6 * 8].data());
  EXPECT_STREQ("No Message", t[4 * 8 + 3].data());
  EXPECT_STREQ("No Message", t[175].data());
}

TEST(AlarmTexts, NoFileAnywhereGivesTheBuiltInTexts) {
  oz::plat::set_env("OZLIB_SYSDIR", "/nonexistent-ozlib");
  EXPECT_EQ(std::string("/nonexistent-ozlib") + oz::plat::path_sep() + "ozpmcalm.ini",
            pmcio::alarm_ini_path());
  pmcio::alarm_texts_reload();
  EXPECT_STREQ("ER01 Program Data Error", pmcio::alarm_texts()[1].data());
  EXPECT_STREQ("ER48 Step Sequence Time Over (%02xH)", pmcio::alarm_texts()[12 * 8].data());
}

}  // namespace
}  // namespace oz::test
