// Every export the walkers drive: the table's cases, and one case per listed
// row with plausible arguments, each run against caller buffers of an Arena.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/cases/cases.h"

namespace oz::test {

struct ExportRun {
  std::string name;
  std::function<int16_t(uint16_t h, Arena& a)> run;
};

std::vector<ExportRun> all_exports();

}  // namespace oz::test
