// `ozcli --log-level N`: the library reads its log level once, when it is
// loaded, which for ozcli is before main() runs. So ozcli runs itself again
// with the setting in place: on POSIX the environment variable the library
// reads, on Windows the user's registry value, put back afterwards.
#include <cstdlib>
#include <string>
#include <vector>

#include "frame.h"

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <unistd.h>
#endif

namespace ozcli {

#ifndef _WIN32

int relaunch_with_log_level(int, char** argv, int level) {
  const std::string want = std::to_string(level);
  const char* now = std::getenv("OZLIB_LOGLEVEL");
  if (now && want == now) return -1;
  setenv("OZLIB_LOGLEVEL", want.c_str(), 1);
  // The running program itself where the system names it, else as started.
  execv("/proc/self/exe", argv);
  execvp(argv[0], argv);
  report("cannot run ozcli again with log level " + want + ": " + std::strerror(errno), 1, false, nullptr);
  return 1;
}

#else

namespace {

constexpr const char* kKey = "Software\\Korva\\OzlibEth";
constexpr const char* kMarker = "OZCLI_LOG_LEVEL_SET";

// One argument as the C runtime of the child splits its command line.
std::string quoted(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string q = "\"";
  size_t slashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    q.append(c == '"' ? 2 * slashes + 1 : slashes, '\\');
    slashes = 0;
    q += c;
  }
  q.append(2 * slashes, '\\');
  return q + "\"";
}

}  // namespace

int relaunch_with_log_level(int argc, char** argv, int level) {
  if (std::getenv(kMarker)) return -1;
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    report("cannot set the log level: the registry key cannot be opened", 1, false, nullptr);
    return 1;
  }
  DWORD old = 0, size = sizeof old;
  const bool had = RegQueryValueExA(key, "LogLevel", nullptr, nullptr, reinterpret_cast<BYTE*>(&old), &size) ==
                   ERROR_SUCCESS;
  const DWORD v = DWORD(level);
  RegSetValueExA(key, "LogLevel", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
  std::vector<std::string> args;
  std::vector<const char*> ptrs;
  for (int i = 0; i < argc; ++i) args.push_back(quoted(argv[i]));
  for (auto& a : args) ptrs.push_back(a.c_str());
  ptrs.push_back(nullptr);
  char self[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  _putenv_s(kMarker, "1");
  const intptr_t rc = _spawnv(_P_WAIT, self, ptrs.data());
  if (had)
    RegSetValueExA(key, "LogLevel", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old), sizeof old);
  else
    RegDeleteValueA(key, "LogLevel");
  RegCloseKey(key);
  if (rc < 0) {
    report("cannot run ozcli again with log level " + std::to_string(level), 1, false, nullptr);
    return 1;
  }
  return int(rc);
}

#endif

}  // namespace ozcli
