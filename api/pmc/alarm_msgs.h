// The alarm texts in force: the built-in ones, each replaceable from the
// "OTHERS" section of "ozpmcalm.ini".
#pragma once
#include <array>
#include <string>

#include "api/pmc/alarm_texts.h"

namespace oz::pmcio {

constexpr size_t kAlarmTextSize = 128;   // 127 characters and the terminator
constexpr const char* kAlarmIni = "ozpmcalm.ini";

using AlarmTexts = std::array<std::array<char, kAlarmTextSize>, kAlarmRows * kAlarmCols>;

// The first of the Ozlib folder under the system folder, the program's own
// folder and the system directory that holds the file (the last one whether
// it does or not).
std::string alarm_ini_path();
AlarmTexts alarm_texts_load(const std::string& path);

// The process-wide texts, read when the library is loaded; reload() reads
// them again (tests that change the folders).
const AlarmTexts& alarm_texts();
void alarm_texts_reload();

}  // namespace oz::pmcio
