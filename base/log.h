// The diagnostic log: one ring file of fixed-size records shared by every
// process on the machine. A message is formatted only when the process's level
// asks for it, so hot paths pay one integer compare at the default level.
#pragma once
#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

namespace oz {

extern int32_t g_log_level;   // read at load; nothing changes it afterwards
inline bool log_on(int32_t level) { return g_log_level >= level && g_log_level > 0; }

// A growing text buffer whose synchronise operation writes one record.
// Destroying it while it holds text writes that text too.
class logStreambuf : public std::stringbuf {
 public:
  ~logStreambuf() override;
 protected:
  int sync() override;
};

// One message: destroying a stream that holds text writes exactly one record.
class logStream : public std::ostream {
 public:
  logStream();
  ~logStream() override;
  std::ostream& self() { return *this; }
 private:
  logStreambuf buf_;
};

// Load-time work: level, file name, file creation. Safe to call again while no
// other thread logs (tests do, after changing the environment).
void log_load();
// The computed log file path, empty when logging to a file is off.
const std::string& log_file_path();
// Writes one record (the synchronise operation's work); exposed for tests.
void log_write_record(std::string_view text);

// Record geometry of the shared file; any process on the machine relies on it.
constexpr uint32_t kLogRecordSize = 256;
constexpr int16_t kLogRecords = 2000;   // message records 1..2000 after the header

// Swallows the stream so OZ_LOG is a single expression: no dangling else when
// it is the body of an unbraced if.
struct logVoidify {
  void operator&(std::ostream&) {}
};

}  // namespace oz

// OZ_LOG(2) << "create()";  -- builds nothing unless the level is 2 or more.
#define OZ_LOG(level) \
  !::oz::log_on(level) ? (void)0 : ::oz::logVoidify() & ::oz::logStream().self()
