#include "tests/cases/all_exports.h"

#include "core/listed.h"

namespace oz::test {

std::vector<ExportRun> all_exports() {
  std::vector<ExportRun> out;
  for (const ExportCase& c : export_cases()) out.push_back({c.name, c.run});
  for (const ListedRow* row : listed_rows()) {
    out.push_back({row->name, [row](uint16_t h, Arena& a) {
                     static const int32_t args[4] = {1, 0, 1, 1};
                     int16_t* len = a.count<int16_t>(row->shape == Listed::Write ? 16 : 64);
                     return row->invoke(h, args, len, a.bytes(64));
                   }});
  }
  return out;
}

}  // namespace oz::test
