// What the simulated PMC keeps; tests and ozsim set alarms through it.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace oz::sim {

constexpr uint32_t kPmcUnits = 3;

struct PmcUnit {
  std::array<std::vector<uint8_t>, 13> area;   // by area index, "GFYXARTKCDMNE"
};

struct PmcState {
  std::map<uint32_t, PmcUnit> units;           // by unit number, 1..kPmcUnits
  std::vector<std::string> alarms;             // current alarm texts
};

}  // namespace oz::sim
