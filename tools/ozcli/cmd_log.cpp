// `ozcli log [--tail N] [--file PATH]`: the library's diagnostic log, oldest
// record first. The log is a ring shared by every process on the machine: a
// 256-byte header whose first two bytes (little-endian) give the record to
// be written next, then 2000 records of 256 bytes, each "YYYY/MM/DD
// hh:mm:ss.mmm 0xPID text" padded with blanks, or all blanks until first
// written. Where the file lies follows the library's own rule (the same
// settings, read the same way); --file names another.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "command.h"

#ifdef _WIN32
#include <windows.h>
#endif

using namespace ozcli;

namespace {

constexpr size_t kRecord = 256;
constexpr int kRecords = 2000;

#ifdef _WIN32

std::string log_path() {
  DWORD drive = 0, size = sizeof drive;
  HKEY k;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Korva\\Ozlog", 0, KEY_READ, &k) == ERROR_SUCCESS) {
    if (RegQueryValueExA(k, "AlternativeDrive", nullptr, nullptr, reinterpret_cast<BYTE*>(&drive), &size) !=
        ERROR_SUCCESS)
      drive = 0;
    RegCloseKey(k);
  }
  if (drive == 2) return "D:\\Ozlib\\OZLIBETH.LOG";
  if (drive != 0) return {};
  const char* shared = std::getenv("OZLIB_DATADIR");
  if (!shared || !*shared) shared = std::getenv("ProgramData");
  if (shared && *shared) {
    std::string dir = shared;
    if (dir.back() != '\\') dir += '\\';
    return dir + "KORVA\\Ozlib\\OZLIBETH.LOG";
  }
  char win[MAX_PATH + 1] = {};
  GetWindowsDirectoryA(win, MAX_PATH);
  std::string dir = win;
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  return dir + "Ozlib\\OZLIBETH.LOG";
}

#else

std::string log_path() {
  const char* drive = std::getenv("OZLIB_ALTERNATIVEDRIVE");
  const char* data = std::getenv("OZLIB_DATADIR");
  std::string dir = data && *data ? data : "/var/tmp";
  if (!dir.empty() && dir.back() != '/') dir += '/';
  // An unset or unreadable setting counts as 0, as the library takes it.
  long v = 0;
  if (drive && *drive) {
    char* end = nullptr;
    v = std::strtol(drive, &end, 10);
    if (*end != '\0') v = 0;
  }
  if (v == 2) return dir + "Ozlib/OZLIBETH.LOG";
  if (v != 0) return {};
  return dir + "KORVA/Ozlib/OZLIBETH.LOG";
}

#endif

struct Record {
  std::string time, text;
  json process;   // null when the record is not in the library's form
};

Record decode(const char* rec) {
  std::string s(rec, kRecord);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  Record r;
  // "2026/01/31 08:00:00.123 0x1A2B text"
  const size_t pid = 24;
  if (s.size() > pid + 2 && s[4] == '/' && s[10] == ' ' && s.compare(pid, 2, "0x") == 0) {
    const size_t end = s.find(' ', pid);
    r.time = s.substr(0, 23);
    r.process = std::strtoul(s.substr(pid + 2, end - pid - 2).c_str(), nullptr, 16);
    r.text = end == std::string::npos ? std::string() : s.substr(end + 1);
  } else {
    r.text = s;
  }
  return r;
}

void show_log(Output& out, const std::string& given, int tail) {
  const std::string path = given.empty() ? log_path() : given;
  if (path.empty()) throw Failure("the library keeps no diagnostic log here (its alternative-drive setting turns it off)");
  std::ifstream f(path, std::ios::binary);
  if (!f) throw Failure("no diagnostic log at " + path + " (the library writes it at log level 1 or more)");
  std::vector<char> image((kRecords + 1) * kRecord, ' ');
  f.read(image.data(), std::streamsize(image.size()));
  int next = uint8_t(image[0]) | uint8_t(image[1]) << 8;
  // A damaged header: the library starts again at record 1, so read from there.
  if (next < 1 || next > kRecords) next = 1;
  std::vector<Record> records;
  for (int k = 0; k < kRecords; ++k) {
    const int n = (next - 1 + k) % kRecords + 1;   // the oldest is the one to be written next
    const char* rec = image.data() + size_t(n) * kRecord;
    if (std::string(rec, kRecord).find_first_not_of(' ') == std::string::npos) continue;
    records.push_back(decode(rec));
  }
  const size_t skip = tail > 0 && records.size() > size_t(tail) ? records.size() - size_t(tail) : 0;
  out.field("file", path);
  Table& t = out.table("records", {"time", "process", "message"});
  for (size_t i = skip; i < records.size(); ++i) t.row({records[i].time, records[i].process, records[i].text});
}

}  // namespace

OZCLI_FAMILY(log) {
  struct Args {
    int tail = 0;
    std::string file;
  };
  auto a = std::make_shared<Args>();
  CLI::App* c = cli.command("log", "The library's diagnostic log, oldest record first (set its level with --log-level)",
                            [a](Session&, Output& out) { show_log(out, a->file, a->tail); });
  c->add_option("--tail", a->tail, "Only the last N records")->check(CLI::PositiveNumber);
  c->add_option("--file", a->file, "Read this log file instead of the library's");
}
