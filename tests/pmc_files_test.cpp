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

// Without a window file the built-in windows apply; the window tests come
// before anything is sent.
void defaultWindows(Handle&) {
  oz::plat::set_env("OZLIB_SYSDIR", "/nonexistent-ozlib");
  pmcio::semem_reload();
}
std::vector<uint8_t> counted(size_t words, uint16_t from = 0) {
  std::vector<uint8_t> b;
  for (size_t i = 0; i < words; ++i) b.push_back(uint8_t(from + i)), b.push_back(uint8_t((from + i) >> 8));
  return b;
}

const Row kMemoryRows[] = {
    {"WindowOverrun", {}, OZ_DO(pmc_rdpmcsemem(h, 1, 0x50FFFE, 2, a.outs<uint16_t>(8))), EW_SIZE, {}, {}, {},
     defaultWindows},
    {"WindowStraddled", {}, OZ_DO(pmc_rdpmcsemem(h, 1, 0x50FFFF, 1, a.outs<uint16_t>(8))), EW_RANGE, {}, {}, {},
     defaultWindows},
    {"WindowType", {}, OZ_DO(pmc_rdpmcsemem(h, 3, 0x500000, 1, a.outs<uint16_t>(8))), EW_KIND, {}, {}, {},
     defaultWindows},
    {"NoWindow", {}, OZ_DO(pmc_wrpmcsemem(h, 0, 0x4FFFFF, 1, a.outs<uint16_t>(8))), EW_RANGE, {}, {}, {},
     defaultWindows},
    {"InWindow", {{39, sim::RbReply().u16(0x1234).u16(0x5678)}},
     OZ_DO(pmc_rdpmcsemem(h, 1, 0x50FFFC, 2, a.outs<uint16_t>(8))), 0,
     {{39, 1, 0x50FFFC, 1, 2}}, {at(0, uint16_t(0x1234)), at(2, uint16_t(0x5678))}, {}, defaultWindows},
    // Items of 1, 2 or 4 bytes: 1432 bytes a read, 1420 a write.
    {"MemoryReadSplits", {{39, [](const sim::RbRequest& q) {
                            sim::RbReply r;
                            for (int i = 0; i < q.a4; ++i) r.u16(uint16_t(i));
                            return r;
                          }}},
     OZ_DO(pmc_rdpmcmem(h, 1, 0x1000, 1000, a.outs<uint16_t>(1001))), 0,
     {{39, 1, 0x1000, 1, 716}, {39, 1, 0x1000 + 1432, 1, 284}},
     [] {
       auto b = counted(716);
       auto c = counted(284);
       b.insert(b.end(), c.begin(), c.end());
       return std::vector<At>{at(0, b)};
     }()},
    {"MemoryWriteSplits", {{40, sim::RbReply()}}, OZ_DO(pmc_wrpmcmem(h, 2, 0x2000, 400, counted(800).data())), 0,
     [] {
       std::vector<uint8_t> wire;
       const auto host = counted(800);
       for (size_t i = 0; i < host.size(); i += 4) wire.insert(wire.end(),
                                                               {host[i + 3], host[i + 2], host[i + 1], host[i]});
       return std::vector<Req>{{40, 1, 0x2000, 2, 0, std::vector<uint8_t>(wire.begin(), wire.begin() + 1420)},
                               {40, 1, 0x2000 + 1420, 2, 0, std::vector<uint8_t>(wire.begin() + 1420, wire.end())}};
     }()},
    {"MemoryType", {}, OZ_DO(pmc_rdpmcmem(h, 3, 0, 1, a.outs<uint16_t>(1))), EW_KIND, {}},
    {"MemoryCountZero", {}, OZ_DO(pmc_rdpmcmem(h, 0, 0, 0, a.outs<uint16_t>(1))), EW_SIZE, {}},
};
OZ_ROWS(Memory, kMemoryRows);

class SememCalls : public FakeTest {};

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
