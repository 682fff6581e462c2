// Built-in PMC alarm texts of older controllers: 22 rows of 8 entries, each
// row tied to one status byte of area R and read in its own way.
#pragma once
#include <cstdint>

namespace oz::pmcio {

enum class RowKind : uint8_t { Bit, Code, Count, Value, Param, End };

struct AlarmText {
  const char* key;    // null: the entry has no text of its own
  const char* text;
};

struct AlarmRow {
  uint16_t address;
  RowKind kind;
  AlarmText e[8];
};

constexpr int kAlarmRows = 22;
constexpr int kAlarmCols = 8;

// clang-format off
inline constexpr AlarmRow kAlarmTable[kAlarmRows] = {
  {9044, RowKind::Bit, {{"ER00", "Undefine Alarm(ER00)"}, {"ER01", "ER01 Program Data Error"},
    {"ER02", "ER02 Program Size Over"}, {"ER03", "ER03 Program Size Error(Option)"},
    {"ER04", "ER04 PMC Type Unmatch"}, {"ER05", "ER05 PMC Module Type Error"},
    {"ER06", "ER06 PMC Control Software Type Unmatch"}, {"ER07", "ER07 NO Option(Ladder Step)"}}},
  {9045, RowKind::Bit, {{"ER08", "ER08 Object Unmatch"},
    {"ER09", "ER09 PMC Label Check Error. (Please Clear PMC SRAM)"},
    {"ER10", "ER10 Option Area Nothing"}, {"ER11", "ER11 Option Area Nothing"},
    {"ER12", "ER12 Option Area Error"}, {"ER13", "ER13 Option Area Error"},
    {"ER14", "ER14 Option Area Version Error"}, {"ER15", "ER15 Option Area Version Error"}}},
  {9046, RowKind::Bit, {{"ER16", "ER16 RAM Check Error(Program RAM)"}, {"ER17", "ER17 Program Parity"},
    {"ER18", "ER18 Program Data Error by I/O"}, {"ER19", "ER19 Ladder Data Error"},
    {"ER20", "ER20 Symbol/Comment Data Error"}, {"ER21", "ER21 Message Data Error"},
    {"ER22", "ER22 NO Program"}, {"ER23", "ER23 Please Turn Off Power"}}},
  {9047, RowKind::Bit, {{"ER24", "ER24 Ladder,Language Area Overlap"},
    {"ER25", "ER25 Software Version Error"}, {"ER26", "ER26 PMC Control Module Error"},
    {"ER27", "ER27 Ladder Function Parameter is Out of Range"},
    {"ER28", "ER28 NO Option(Quorlink Expansion)"}, {"ER29", "ER29 NO Support Hardware(Quorlink 2CH)"},
    {"ER30", "Undefine Alarm(ER30)"}, {"ER31", "Undefine Alarm(ER31)"}}},
  {9048, RowKind::Code, {{"ER32", "ER32 NO I/O Device"}, {"ER33_1", "ER33 SLC Error"},
    {"ER34_1", "ER34 SLC Error(%02d)"}}},
  {9049, RowKind::Count, {{"ER35_1", "ER35 Too Much Output Data in Group(%02d)"},
    {"ER36_1", "ER36 Too Much Input Data in Group(%02d)"}, {"ER37_1", "ER37 Too Much Slot in Base"},
    {"ER38_1", "ER38 Max. Setting Output Data Over(%02d)"},
    {"ER39_1", "ER39 Max. Setting Input Data Over(%02d)"}}},
  {9050, RowKind::Param, {}},
  {9054, RowKind::Code, {{nullptr, nullptr}, {"ER33_2", "ER33 SLC Error(CH2)"},
    {"ER34_2", "ER34 SLC Error(CH2 %02d)"}}},
  {9055, RowKind::Count, {{"ER35_2", "ER35 Too Much Output Data in Group(CH2 %02d)"},
    {"ER36_2", "ER36 Too Much Input Data in Group(CH2 %02d)"},
    {"ER37_2", "ER37 Too Much Slot in Base(CH2)"},
    {"ER38_2", "ER38 Max. Setting Output Data Over(CH2 %02d)"},
    {"ER39_2", "ER39 Max. Setting Input Data Over(CH2 %02d)"}}},
  {9056, RowKind::Param, {}},
  {9084, RowKind::Bit, {{"ER40_1", "ER40 Quorlink-II Setting Error(CH1)"},
    {"ER41_1", "ER41 Quorlink-II Mode Error(CH1)"}, {"ER42_1", "ER42 Quorlink-II Station No. Error(CH1)"},
    {"ER43_1", "Undefine Alarm(ER43_1)"}, {"ER44_1", "Undefine Alarm(ER44_1)"},
    {"ER45_1", "Undefine Alarm(ER45_1)"}, {"ER46_1", "Undefine Alarm(ER46_1)"},
    {"ER47_1", "Undefine Alarm(ER47_1)"}}},
  {9085, RowKind::Bit, {{"ER40_2", "ER40 Quorlink-II Setting Error(CH2)"},
    {"ER41_2", "ER41 Quorlink-II Mode Error(CH2)"}, {"ER42_2", "ER42 Quorlink-II Station No. Error(CH2)"},
    {"ER43_2", "Undefine Alarm(ER43_2)"}, {"ER44_2", "Undefine Alarm(ER44_2)"},
    {"ER45_2", "Undefine Alarm(ER45_2)"}, {"ER46_2", "Undefine Alarm(ER46_2)"},
    {"ER47_2", "Undefine Alarm(ER47_2)"}}},
  {9118, RowKind::Value, {{"ER48", "ER48 Step Sequence Time Over (%02xH)"}}},
  {9052, RowKind::Bit, {{"ER99", "ER99 X,Y96-127 are Allocated"}, {"ER98", "ER98 Illegal Laser Connection"},
    {"ER97", "Undefine Alarm(ER97)"}, {"ER96", "Undefine Alarm(ER96)"}, {"ER95", "Undefine Alarm(ER95)"},
    {"ER94", "Undefine Alarm(ER94)"}, {"ER93", "Undefine Alarm(ER93)"}, {"ER92", "Undefine Alarm(ER92)"}}},
  {9038, RowKind::Bit, {{"WN01", "WN01 Ladder Max. Size Error"}, {"WN02", "WN02 Operate Panel Address Error"},
    {"WN03", "WN03 Abort NC-Window/EXIN"}, {"WN04", "Undefine Alarm(WN04)"},
    {"WN05", "WN05 PMC Type NO Conversion"}, {"WN06", "WN06 Task Stopped by Debug Function"},
    {"WN07", "WN07 Ladder SP Error(Stack)"}, {"WN08", "Undefine Alarm(WN08)"}}},
  {9039, RowKind::Bit, {{"WN09", "WN09 Sequence Program is not Written to Flash ROM"},
    {"WN10", "Undefine Alarm(WN10)"}, {"WN11", "Undefine Alarm(WN11)"}, {"WN12", "Undefine Alarm(WN12)"},
    {"WN13", "WN13 Option Area Error"}, {"WN14", "WN14 Option Area Error"},
    {"WN15", "WN15 Option Area Version Error"}, {"WN16", "WN16 Option Area Version Error"}}},
  {9062, RowKind::Bit, {{"WN17", "WN17 NO Option(Language)"}, {"WN18", "WN18 Origin Address Error"},
    {"WN19", "WN19 GDT Error(Base,Limit)"}, {"WN20", "WN20 Common Memory Count Over"},
    {"WN21", "WN21 Common Memory Entry Error"}, {"WN22", "WN22 Ladder 3 Priority Error"},
    {"WN23", "WN23 Task Count Over"}, {"WN24", "WN24 Task Entry Address Error"}}},
  {9063, RowKind::Bit, {{"WN25", "WN25 Data Segment Entry Error"}, {"WN26", "WN26 User Task Priority Error"},
    {"WN27", "WN27 Code Segment Type Error"}, {"WN28", "WN28 Data Segment Type Error"},
    {"WN29", "WN29 Common Memory Segment Type Error"}, {"WN30", "WN30 Impossible Allocate Memory"},
    {"WN31", "WN31 Impossible Execute Library"}, {"WN32", "WN32 LNK Control Data Error"}}},
  {9064, RowKind::Bit, {{"WN33", "WN33 LNK Control Version Error"}, {"WN34", "WN34 Load Module Count Over"},
    {"WN35", "WN35 Code Area Out of Range"}, {"WN36", "WN36 Language Size Error(Option)"},
    {"WN37", "WN37 Program Data Error(Language)"}, {"WN38", "WN38 RAM Check Error(Language)"},
    {"WN39", "WN39 Program Parity(Language)"}, {"WN40", "WN40 Program Data Error by I/O(Language)"}}},
  {9065, RowKind::Bit, {{"WN41", "WN41 Language Type Unmatch"}, {"WN42", "WN42 Undefine Language Origin Address"},
    {"WN43", "WN43 S-RAM Size Error(Language)"}, {"WN44", "WN44 C-LIbrary Version Error"},
    {"WN45", "Undefine Alarm(WN45)"}, {"WN46", "Undefine Alarm(WN46)"}, {"WN47", "Undefine Alarm(WN47)"},
    {"WN48", "WN48 Unavail Language by CNC Unmatch"}}},
  {9092, RowKind::Bit, {{"WN49", "WN49 NO Option(SUB90,91)"}, {"WN50", "WN50 NO User Program"},
    {"WN51", "WN51 User Program Duplicate"}, {"WN52", "Undefine Alarm(WN52)"},
    {"WN53", "Undefine Alarm(WN53)"}, {"WN54", "Undefine Alarm(WN54)"}, {"WN55", "Undefine Alarm(WN55)"},
    {"WN56", "Undefine Alarm(WN56)"}}},
  {0, RowKind::End, {}},
};
// clang-format on

}  // namespace oz::pmcio
