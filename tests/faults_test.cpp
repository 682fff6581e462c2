// Faults of the machine around the library: a log file held by another
// writer beyond the retry budget, a data folder that is missing or no folder
// at all, a name that does not resolve, profile files that cannot be read.
// Every call keeps working; a log message that cannot be written is dropped.
#include <filesystem>
#include <fstream>

#include "api/pmc/alarm_msgs.h"
#include "api/pmc/semem.h"
#include "tests/support.h"

namespace oz::test {
namespace {

namespace fs = std::filesystem;

class PlatformFaults : public FakeTest {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("faults-" + std::to_string(plat::process_id()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fake.reply(1, 36, sim::RbReply().i32(777));
  }
  void TearDown() override {
    // Back to the suite's own folders for the tests that follow.
    plat::set_env("OZLIB_DATADIR", saved_datadir_.empty() ? nullptr : saved_datadir_.c_str());
    plat::set_env("OZLIB_SYSDIR", nullptr);
    log_load();
    pmcio::alarm_texts_reload();
    fs::remove_all(dir_);
  }
  // A call that talks to the controller, and one that fails and so logs.
  void callsWork() {
    uint16_t h = open();
    actf_t a{};
    EXPECT_EQ(EW_SUCCESS, cnc_actf(h, &a));
    EXPECT_EQ(777, a.data);
    fake.reply(1, 36, sim::RbReply::fail(EW_RANGE));
    EXPECT_EQ(EW_RANGE, cnc_actf(h, &a));
    fake.reply(1, 36, sim::RbReply().i32(777));
    EXPECT_EQ(EW_SUCCESS, cnc_freelibhndl(h));
  }
  void useDataDir(const fs::path& p) {
    plat::set_env("OZLIB_DATADIR", p.string().c_str());
    log_load();
  }

  fs::path dir_;
  std::string saved_datadir_ = [] {
    const char* d = std::getenv("OZLIB_DATADIR");
    return std::string(d ? d : "");
  }();
};

TEST_F(PlatformFaults, DataFolderMissingOrNotAFolder) {
  const fs::path blocker = dir_ / "a-file";
  std::ofstream(blocker) << "x";
  for (const fs::path& p : {blocker, blocker / "below-a-file"}) {
    SCOPED_TRACE(p.string());
    useDataDir(p);
    EXPECT_EQ("", log_file_path());
    callsWork();
  }
  EXPECT_EQ(1u, fs::file_size(blocker));
}

TEST_F(PlatformFaults, LogLockedBeyondTheRetryBudgetDropsTheMessage) {
  useDataDir(dir_);
  ASSERT_NE("", log_file_path());
  uint16_t h = open();
  plat::File* other = plat::file_open_existing(log_file_path());
  ASSERT_NE(nullptr, other);
  ASSERT_TRUE(plat::file_try_lock(other, 0, kLogRecordSize));
  LogTail tail;
  // The error line waits out the retry budget (3 s) and is dropped; the
  // call's own result is untouched, and the next call does not wait.
  fake.reply(1, 36, sim::RbReply::fail(EW_RANGE));
  actf_t a;
  const uint32_t t0 = plat::tick_ms();
  EXPECT_EQ(EW_RANGE, cnc_actf(h, &a));
  EXPECT_LT(plat::tick_ms() - t0, 6000u);
  fake.reply(1, 36, sim::RbReply().i32(777));
  const uint32_t t1 = plat::tick_ms();
  EXPECT_EQ(EW_SUCCESS, cnc_actf(h, &a));
  EXPECT_LT(plat::tick_ms() - t1, 1000u);
  plat::file_unlock(other, 0, kLogRecordSize);
  plat::file_close(other);
  EXPECT_FALSE(tail.any("Error: ")) << "a record was written past a lock it did not get";
  // Once the lock is free again the log takes records as before.
  fake.reply(1, 36, sim::RbReply::fail(EW_RANGE));
  EXPECT_EQ(EW_RANGE, cnc_actf(h, &a));
  cnc_freelibhndl(h);
  EXPECT_TRUE(tail.any("Error: "));
}

TEST_F(PlatformFaults, NameThatDoesNotResolveFailsOnlyItsOwnAllocation) {
  uint16_t h = 0;
  EXPECT_EQ(EW_CIRCUIT, cnc_allclibhndl3("no-such-controller.invalid", 8193, 1, &h));
  callsWork();
}

TEST_F(PlatformFaults, UnreadableProfileFilesGiveTheBuiltInSettings) {
  // Folders where the files should be: they exist but cannot be read as files.
  fs::create_directories(dir_ / "Ozlib" / pmcio::kAlarmIni);
  fs::create_directories(dir_ / "ozlib" / "semem.cfg");
  plat::set_env("OZLIB_SYSDIR", dir_.string().c_str());
  const auto builtin = pmcio::alarm_texts_load((dir_ / "absent.ini").string());
  pmcio::alarm_texts_reload();
  EXPECT_TRUE(pmcio::alarm_texts() == builtin);
  const auto windows = pmcio::semem_load(pmcio::semem_path());
  const auto defaults = pmcio::semem_load((dir_ / "absent.cfg").string());
  ASSERT_EQ(defaults.size(), windows.size());
  for (size_t i = 0; i < windows.size(); ++i) {
    EXPECT_EQ(defaults[i].start, windows[i].start);
    EXPECT_EQ(defaults[i].length, windows[i].length);
  }
  callsWork();
}

}  // namespace
}  // namespace oz::test
