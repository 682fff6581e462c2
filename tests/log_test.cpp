// The log file is read by people and tools long after the process that wrote
// it has gone, and is written by several processes at once, so these tests
// look at the file's bytes rather than at the writer's intentions.
#include "base/log.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kRec = oz::kLogRecordSize;
constexpr size_t kFileSize = size_t(oz::kLogRecords + 1) * kRec;

using oz::plat::set_env;

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int16_t header_next(const std::string& bytes) {
  return int16_t(uint16_t(uint8_t(bytes.at(0))) | uint16_t(uint8_t(bytes.at(1))) << 8);
}

void set_header_next(const fs::path& p, int16_t n) {
  std::fstream f(p, std::ios::in | std::ios::out | std::ios::binary);
  auto v = uint16_t(n);
  char b[2] = {char(v & 0xFF), char(v >> 8)};
  f.write(b, 2);
}

std::string record(const std::string& bytes, size_t n) { return bytes.substr(n * kRec, kRec); }

const std::string& blank_record() {
  static const std::string blank(kRec, ' ');
  return blank;
}

// Splits a written record into its parts; nullopt when the layout is wrong.
struct Parsed {
  std::string pid;
  std::string text;   // trailing blanks removed
};
std::optional<Parsed> parse(const std::string& rec) {
  static const std::regex layout(
      R"(^(\d{4})/(\d{2})/(\d{2}) (\d{2}):(\d{2}):(\d{2})\.(\d{3}) 0x([0-9A-F]+) ([\s\S]*)$)");
  std::smatch m;
  if (rec.size() != kRec || !std::regex_match(rec, m, layout)) return std::nullopt;
  std::string text = m[9];
  text.erase(text.find_last_not_of(' ') + 1);
  return Parsed{m[8], text};
}

std::string text_of(const std::string& bytes, size_t n) {
  auto p = parse(record(bytes, n));
  return p ? p->text : "<bad record: " + record(bytes, n) + ">";
}

std::string own_pid_hex() {
  char b[16];
  std::snprintf(b, sizeof b, "%X", oz::plat::process_id());
  return b;
}

// Each test gets a fresh data directory under the one the test runner gives,
// so a test never sees another's file.
class LogTest : public ::testing::Test {
 protected:
  static const fs::path& base() {
    static const fs::path b = [] {
      const char* d = std::getenv("OZLIB_DATADIR");
      return fs::path(d && *d ? d : ::testing::TempDir()) / "log_test";
    }();
    return b;
  }

  void SetUp() override {
    base();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name() + "-" +
                       std::to_string(oz::plat::process_id());
    for (char& c : name)
      if (c == '/') c = '_';
    dir_ = base() / name;
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    set_env("OZLIB_DATADIR", dir_.string().c_str());
    set_env("OZLIB_ALTERNATIVEDRIVE", nullptr);
    set_env("OZLIB_LOGLEVEL", "1");
    oz::log_load();
  }

  void TearDown() override {
    oz::g_log_level = 1;
    set_env("OZLIB_ALTERNATIVEDRIVE", nullptr);
    if (!HasFailure() && !dir_.empty()) fs::remove_all(dir_);
  }

  fs::path default_file() const { return dir_ / "KORVA" / "Ozlib" / "OZLIBETH.LOG"; }
  std::string bytes() const { return read_file(default_file()); }

  fs::path dir_;
};

TEST_F(LogTest, CreatedFileIsHeaderThenBlankRecords) {
  ASSERT_EQ(oz::log_file_path(), default_file().string());
  std::string b = bytes();
  ASSERT_EQ(b.size(), kFileSize);
  EXPECT_EQ(b[0], '\x01');
  EXPECT_EQ(b[1], '\x00');
  EXPECT_EQ(b.find_first_not_of(' ', 2), std::string::npos);
  // Every user of the machine writes into this directory.
#ifndef _WIN32   // there the access list is what grants it, not mode bits
  EXPECT_EQ(fs::status(dir_ / "KORVA" / "Ozlib").permissions() & fs::perms::all, fs::perms::all);
#endif
}

TEST_F(LogTest, LevelComesFromTheSettingAndFallsBackToOne) {
#ifdef _WIN32
  GTEST_SKIP() << "these settings come from the registry there";
#endif
  struct Row {
    const char* setting;
    int32_t level;
  };
  const Row rows[] = {
      {nullptr, 1}, {"0", 0},   {"3", 3},          {"-2", -2},           {"4294967295", -1},
      {"", 1},      {"abc", 1}, {"7 ", 1},         {"99999999999", 1},   {"-2147483648", INT32_MIN},
      {"+4", 1},    {"-", 1},   {"-2147483649", 1}, {"2147483648", INT32_MIN},
  };
  for (const Row& r : rows) {
    set_env("OZLIB_LOGLEVEL", r.setting);
    oz::g_log_level = 12345;
    oz::log_load();
    EXPECT_EQ(oz::g_log_level, r.level) << "setting: " << (r.setting ? r.setting : "(unset)");
  }
}

TEST_F(LogTest, AlternativeDriveChoosesTheDirectory) {
#ifdef _WIN32
  GTEST_SKIP() << "these settings come from the registry there";
#endif
  struct Row {
    const char* setting;
    const char* relative;   // nullptr: no log at all
  };
  const Row rows[] = {
      {nullptr, "KORVA/Ozlib/OZLIBETH.LOG"},
      {"0", "KORVA/Ozlib/OZLIBETH.LOG"},
      {"abc", "KORVA/Ozlib/OZLIBETH.LOG"},   // unreadable counts as missing
      {"2", "Ozlib/OZLIBETH.LOG"},
      {"1", nullptr},
      {"3", nullptr},
      {"-1", nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.setting ? r.setting : "(unset)");
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    set_env("OZLIB_ALTERNATIVEDRIVE", r.setting);
    oz::log_load();
    oz::log_write_record("where am I");
    OZ_LOG(1) << "and again";
    if (!r.relative) {
      EXPECT_EQ(oz::log_file_path(), "");
      EXPECT_TRUE(fs::is_empty(dir_)) << "nothing may be created when logging is off";
      continue;
    }
    fs::path file = dir_ / r.relative;
    EXPECT_EQ(oz::log_file_path(), file.string());
    std::string b = read_file(file);
    ASSERT_EQ(b.size(), kFileSize);
    EXPECT_EQ(text_of(b, 1), "where am I");
    EXPECT_EQ(text_of(b, 2), "and again");
    EXPECT_EQ(fs::exists(dir_ / "KORVA"), std::string(r.relative).starts_with("KORVA"));
  }
}

TEST_F(LogTest, UnusableDirectoryTurnsLoggingOff) {
  fs::path blocker = dir_ / "not-a-dir";
  std::ofstream(blocker) << "x";
  set_env("OZLIB_DATADIR", blocker.string().c_str());
  oz::log_load();
  EXPECT_EQ(oz::log_file_path(), "");
  oz::log_write_record("lost");
  EXPECT_EQ(read_file(blocker), "x");
}

TEST_F(LogTest, RecordLayout) {
  oz::log_write_record("hello world");
  std::string b = bytes();
  std::string rec = record(b, 1);
  auto p = parse(rec);
  ASSERT_TRUE(p) << rec;
  EXPECT_EQ(p->pid, own_pid_hex());
  EXPECT_EQ(p->text, "hello world");
  // Blank-filled to the end: no line end, no terminating zero.
  EXPECT_EQ(rec.find_first_of(std::string("\0\r\n", 3)), std::string::npos);
  EXPECT_EQ(rec.back(), ' ');
  EXPECT_EQ(rec.substr(rec.find("hello world") + 11), std::string(kRec - rec.find("hello world") - 11, ' '));
  EXPECT_EQ(header_next(b), 2);
  EXPECT_EQ(record(b, 0).substr(2), std::string(kRec - 2, ' '));
  EXPECT_EQ(record(b, 2), blank_record());
  EXPECT_EQ(b.size(), kFileSize);
}

TEST_F(LogTest, LongTextIsCutAtTheRecordEnd) {
  oz::log_write_record(std::string(300, 'x') + "TAIL");
  std::string b = bytes();
  std::string rec = record(b, 1);
  ASSERT_TRUE(parse(rec)) << rec;
  const size_t text_at = rec.find(" 0x") + 3 + own_pid_hex().size() + 1;
  EXPECT_EQ(rec.substr(text_at), std::string(kRec - text_at, 'x'));
  EXPECT_EQ(record(b, 2), blank_record());
  EXPECT_EQ(header_next(b), 2);
  EXPECT_EQ(b.size(), kFileSize);
}

TEST_F(LogTest, TextEndsAtItsFirstZero) {
  oz::log_write_record(std::string_view("ab\0cd", 5));
  std::string rec = record(bytes(), 1);
  EXPECT_EQ(text_of(bytes(), 1), "ab");
  EXPECT_EQ(rec.find('\0'), std::string::npos);
}

TEST_F(LogTest, RingWrapsAfterRecord2000) {
  for (int i = 1; i < 2000; ++i) oz::log_write_record("m" + std::to_string(i));
  EXPECT_EQ(header_next(bytes()), 2000);

  oz::log_write_record("m2000");
  std::string b = bytes();
  EXPECT_EQ(text_of(b, 2000), "m2000");
  EXPECT_EQ(header_next(b), 1);
  EXPECT_EQ(text_of(b, 1), "m1");

  oz::log_write_record("m2001");
  b = bytes();
  EXPECT_EQ(text_of(b, 1), "m2001");
  EXPECT_EQ(text_of(b, 2), "m2");
  EXPECT_EQ(header_next(b), 2);
  EXPECT_EQ(b.size(), kFileSize);
}

TEST_F(LogTest, HeaderNumberDecidesTheRecordAndDamageRestartsAtOne) {
  struct Row {
    int16_t header;
    size_t written;   // record that receives the message
  };
  const Row rows[] = {{1500, 1500}, {2000, 2000}, {0, 1}, {-1, 1}, {2001, 1}, {32767, 1}, {-32768, 1}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.header);
    fs::remove(default_file());
    oz::log_load();
    set_header_next(default_file(), r.header);
    oz::log_write_record("after damage");
    std::string b = bytes();
    ASSERT_EQ(b.size(), kFileSize) << "a write fell outside the ring";
    EXPECT_EQ(text_of(b, r.written), "after damage");
    EXPECT_EQ(header_next(b), r.written == 2000 ? 1 : int16_t(r.written + 1));
    for (size_t n = 1; n <= 2000; ++n) {
      if (n != r.written) {
        ASSERT_EQ(record(b, n), blank_record()) << "record " << n;
      }
    }
  }
}

TEST_F(LogTest, LevelZeroOrBelowWritesNothing) {
  const std::string before = bytes();
  for (int32_t level : {0, -1, INT32_MIN}) {
    oz::g_log_level = level;
    OZ_LOG(1) << "at level 1";
    OZ_LOG(0) << "at level 0";
    OZ_LOG(-5) << "at a negative level";
    // Even a stream made without the level test stays silent.
    oz::logStream() << "unguarded";
  }
  EXPECT_EQ(bytes(), before);
}

struct Counted {
  static inline int calls = 0;
};
std::ostream& operator<<(std::ostream& os, const Counted&) {
  ++Counted::calls;
  return os << "counted";
}

TEST_F(LogTest, OzLogBuildsNoTextBelowItsLevel) {
  Counted::calls = 0;
  oz::g_log_level = 2;
  const std::string before = bytes();
  OZ_LOG(3) << "skipped " << Counted{};
  OZ_LOG(4) << Counted{};
  EXPECT_EQ(Counted::calls, 0);
  EXPECT_EQ(bytes(), before);

  // Used as the body of an unbraced if: must take no else that is not its own.
  bool took_else = false;
  if (Counted::calls == 0)
    OZ_LOG(2) << "v=" << 42 << ' ' << Counted{};
  else
    took_else = true;
  EXPECT_FALSE(took_else);
  EXPECT_EQ(Counted::calls, 1);

  std::string b = bytes();
  EXPECT_EQ(text_of(b, 1), "v=42 counted") << "one message is one record";
  EXPECT_EQ(header_next(b), 2);
}

TEST_F(LogTest, TwoThreadsLoseNoRecord) {
  constexpr int kEach = 500;
  auto writer = [](char who) {
    for (int i = 0; i < kEach; ++i) oz::log_write_record(std::string(1, who) + std::to_string(i));
  };
  std::thread a(writer, 'A');
  std::thread b(writer, 'B');
  a.join();
  b.join();

  std::string bytes_now = bytes();
  EXPECT_EQ(header_next(bytes_now), 2 * kEach + 1);
  std::map<char, int> last{{'A', -1}, {'B', -1}};
  std::set<std::string> seen;
  for (size_t n = 1; n <= 2 * kEach; ++n) {
    std::string t = text_of(bytes_now, n);
    ASSERT_TRUE(t.size() >= 2 && (t[0] == 'A' || t[0] == 'B')) << "record " << n << ": " << t;
    int i = std::stoi(t.substr(1));
    EXPECT_GT(i, last[t[0]]) << "a thread's records out of order at " << n;
    last[t[0]] = i;
    seen.insert(t);
  }
  EXPECT_EQ(seen.size(), size_t(2 * kEach));
  for (size_t n = 2 * kEach + 1; n <= 2000; ++n) ASSERT_EQ(record(bytes_now, n), blank_record()) << n;
}

TEST_F(LogTest, LoadKeepsAnExistingFile) {
  oz::log_write_record("survivor");
  oz::log_load();
  std::string b = bytes();
  EXPECT_EQ(text_of(b, 1), "survivor");
  EXPECT_EQ(header_next(b), 2);
}

TEST_F(LogTest, WritingNeverCreatesTheFile) {
  fs::remove(default_file());
  oz::log_write_record("nowhere");
  EXPECT_FALSE(fs::exists(default_file()));
}

// The log's threads rely on the header lock excluding a second descriptor of
// the same process; a process-wide lock would let it straight through.
TEST_F(LogTest, HeaderLockExcludesAnotherDescriptorOfThisProcess) {
  namespace plat = oz::plat;
  plat::File* a = plat::file_open_existing(default_file().string());
  plat::File* b = plat::file_open_existing(default_file().string());
  ASSERT_TRUE(a && b);
  ASSERT_TRUE(plat::file_try_lock(a, 0, kRec));
  EXPECT_FALSE(plat::file_try_lock(b, 0, kRec));
  EXPECT_TRUE(plat::file_try_lock(b, kRec, kRec)) << "only the locked range is excluded";
  plat::file_unlock(b, kRec, kRec);
  plat::file_unlock(a, 0, kRec);
  EXPECT_TRUE(plat::file_try_lock(b, 0, kRec));
  plat::file_unlock(b, 0, kRec);
  plat::file_close(a);
  plat::file_close(b);
}

TEST(PlatformSettings, OnlyKnownValuesUnderTheirOwnHiveAreRead) {
#ifdef _WIN32
  GTEST_SKIP() << "settings come from the registry there";
#endif
  using oz::plat::Hive;
  set_env("OZLIB_SOCKGETINTERVAL", "250");
  set_env("OZLIB_ALTERNATIVEDRIVE", "2");
  uint32_t v = 0;
  EXPECT_TRUE(oz::plat::reg_read_u32(Hive::CurrentUser, "Software\\Korva\\OzlibEth", "SockGetInterval", &v));
  EXPECT_EQ(v, 250u);
  EXPECT_TRUE(oz::plat::reg_read_u32(Hive::LocalMachine, "Software\\Korva\\Ozlog", "AlternativeDrive", &v));
  EXPECT_EQ(v, 2u);
  EXPECT_FALSE(oz::plat::reg_read_u32(Hive::CurrentUser, "Software\\Korva\\Ozlog", "AlternativeDrive", &v));
  EXPECT_FALSE(oz::plat::reg_read_u32(Hive::CurrentUser, "Software\\Korva\\OzlibEth", "Other", &v));
  set_env("OZLIB_SOCKGETINTERVAL", nullptr);
  EXPECT_FALSE(oz::plat::reg_read_u32(Hive::CurrentUser, "Software\\Korva\\OzlibEth", "SockGetInterval", &v));
  set_env("OZLIB_ALTERNATIVEDRIVE", nullptr);
}

}  // namespace
