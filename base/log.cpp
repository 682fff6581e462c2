#include "base/log.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/platform.h"

namespace oz {

int32_t g_log_level = 1;

namespace {

constexpr const char* kUserKey = "Software\\Korva\\OzlibEth";
constexpr const char* kMachineKey = "Software\\Korva\\Ozlog";
constexpr const char* kFileName = "OZLIBETH.LOG";
constexpr uint32_t kLockRetries = 300;
constexpr uint32_t kLockRetryMs = 10;

// The name is worked out once per load; a failed attempt leaves it empty and
// keeps logging off rather than retrying the directory work on every message.
std::mutex g_path_mutex;
std::atomic<bool> g_path_known{false};
// Never destroyed: the library's unload work logs after static destructors
// may have run.
std::string& path_store() {
  static std::string* p = new std::string;
  return *p;
}

void ensure_sep(std::string& s) {
  if (s.empty() || s.back() != plat::path_sep()) s += plat::path_sep();
}

std::string compute_path() {
  uint32_t drive = 0;
  if (!plat::reg_read_u32(plat::Hive::LocalMachine, kMachineKey, "AlternativeDrive", &drive)) drive = 0;

  std::string dir;
  bool shared = false;
  if (drive == 2) {
    dir = plat::alternative_drive_dir();
  } else if (drive == 0) {
    shared = plat::shared_data_dir(&dir);
    if (!shared) dir = plat::windows_dir();
  } else {
    return {};
  }

  ensure_sep(dir);
  if (shared) {
    dir += "KORVA";
    bool existed = false;
    (void)plat::make_dir(dir, &existed);   // a failure shows up at the next step
    ensure_sep(dir);
  }
  dir += "Ozlib";
  bool existed = false;
  if (!plat::make_dir(dir, &existed)) return {};
  if (shared) plat::grant_everyone(dir);
  return dir + plat::path_sep() + kFileName;
}

void header_bytes(char* buf, int16_t next) {
  std::memset(buf, ' ', kLogRecordSize);
  auto v = uint16_t(next);
  buf[0] = char(v & 0xFF);
  buf[1] = char(v >> 8);
}

void create_file(const std::string& path) {
  plat::File* f = plat::file_create(path);
  if (!f) return;
  std::vector<char> image(size_t(kLogRecords + 1) * kLogRecordSize, ' ');
  header_bytes(image.data(), 1);
  (void)plat::file_write_at(f, 0, image.data(), image.size());
  plat::file_close(f);
}

// Closes and unlocks on every way out of a record write.
struct OpenLog {
  plat::File* f = nullptr;
  bool locked = false;
  ~OpenLog() {
    if (locked) plat::file_unlock(f, 0, kLogRecordSize);
    if (f) plat::file_close(f);
  }
};

bool lock_header(plat::File* f) {
  for (uint32_t retry = 0;; ++retry) {
    if (plat::file_try_lock(f, 0, kLogRecordSize)) return true;
    if (retry == kLockRetries) return false;
    plat::sleep_ms(kLockRetryMs);
  }
}

// Time, process and text, cut at the record's end and blank-filled. The text
// ends at its first zero, as the message is handed over as a C string.
void format_record(char* rec, std::string_view text) {
  std::memset(rec, ' ', kLogRecordSize);
  if (auto z = text.find('\0'); z != std::string_view::npos) text = text.substr(0, z);
  plat::LocalTime t = plat::local_time();
  char prefix[96];
  int n = std::snprintf(prefix, sizeof prefix, "%04d/%02d/%02d %02d:%02d:%02d.%03d 0x%X ", t.year,
                        t.month, t.day, t.hour, t.minute, t.second, t.millis, plat::process_id());
  size_t used = n < 0 ? 0 : std::min(size_t(n), sizeof prefix - 1);
  used = std::min<size_t>(used, kLogRecordSize);
  std::memcpy(rec, prefix, used);
  size_t take = std::min(text.size(), size_t(kLogRecordSize) - used);
  std::memcpy(rec + used, text.data(), take);
}

}  // namespace

const std::string& log_file_path() {
  if (!g_path_known.load(std::memory_order_acquire)) {
    std::lock_guard<std::mutex> hold(g_path_mutex);
    if (!g_path_known.load(std::memory_order_relaxed)) {
      path_store() = compute_path();
      g_path_known.store(true, std::memory_order_release);
    }
  }
  return path_store();
}

void log_load() {
  uint32_t level = 0;
  g_log_level = plat::reg_read_u32(plat::Hive::CurrentUser, kUserKey, "LogLevel", &level)
                    ? int32_t(level)
                    : 1;
  {
    std::lock_guard<std::mutex> hold(g_path_mutex);
    path_store().clear();
    g_path_known.store(false, std::memory_order_release);
  }
  const std::string& path = log_file_path();
  if (path.empty()) return;
  if (plat::File* f = plat::file_open_existing(path)) {
    plat::file_close(f);
    return;
  }
  create_file(path);
}

void log_write_record(std::string_view text) {
  const std::string& path = log_file_path();
  if (path.empty()) return;

  OpenLog log;
  log.f = plat::file_open_existing(path);
  if (!log.f) return;
  if (!lock_header(log.f)) return;
  log.locked = true;

  char header[kLogRecordSize];
  if (!plat::file_read_at(log.f, 0, header, sizeof header)) return;
  auto next = int16_t(uint16_t(uint8_t(header[0])) | uint16_t(uint8_t(header[1])) << 8);
  // A damaged header must not send a record outside the ring.
  if (next < 1 || next > kLogRecords) next = 1;

  char rec[kLogRecordSize];
  format_record(rec, text);
  if (!plat::file_write_at(log.f, uint64_t(next) * kLogRecordSize, rec, sizeof rec)) return;

  next = next == kLogRecords ? int16_t(1) : int16_t(next + 1);
  header_bytes(header, next);
  (void)plat::file_write_at(log.f, 0, header, sizeof header);
}

logStreambuf::~logStreambuf() {
  if (!view().empty()) sync();
}

int logStreambuf::sync() {
  // A log failure, allocation included, must never reach the caller.
  try {
    if (!view().empty()) {
      if (g_log_level > 0) log_write_record(view());
      str(std::string());
    }
  } catch (...) {
  }
  return 0;
}

logStream::logStream() : std::ostream(nullptr) { rdbuf(&buf_); }

// The buffer's own destructor writes whatever text is left.
logStream::~logStream() = default;

}  // namespace oz
