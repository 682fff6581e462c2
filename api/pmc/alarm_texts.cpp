#include "api/pmc/alarm_msgs.h"

#include "api/pmc/pmc.h"
#include "base/profile.h"

namespace oz::pmcio {

namespace {

AlarmTexts& texts() {
  static AlarmTexts t = alarm_texts_load(alarm_ini_path());
  return t;
}

// Read while the library loads; a file changed later needs a reload of the library.
const bool g_loaded = (texts(), true);

}  // namespace

std::string alarm_ini_path() {
  const std::string candidates[] = {
      in_dir(plat::windows_dir(), std::string("Ozlib") + plat::path_sep() + kAlarmIni),
      in_dir(plat::exe_dir(), kAlarmIni)};
  for (const std::string& p : candidates) {
    Profile probe;
    if (probe.load(p)) return p;
  }
  return in_dir(plat::system_dir(), kAlarmIni);
}

AlarmTexts alarm_texts_load(const std::string& path) {
  Profile ini;
  ini.load(path);
  AlarmTexts t{};
  for (int r = 0; r < kAlarmRows; ++r)
    for (int col = 0; col < kAlarmCols; ++col) {
      const AlarmText& e = kAlarmTable[r].e[col];
      char* out = t[r * kAlarmCols + col].data();
      if (e.key)
        ini.get("OTHERS", e.key, e.text, out, kAlarmTextSize);
      else
        std::strcpy(out, "No Message");
    }
  return t;
}

const AlarmTexts& alarm_texts() { return texts(); }
void alarm_texts_reload() { texts() = alarm_texts_load(alarm_ini_path()); }

}  // namespace oz::pmcio
