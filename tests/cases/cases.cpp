#include "tests/cases/cases.h"

#include <cstring>

namespace oz::test {

void* Arena::bytes(size_t n) {
  Block b{std::make_unique<uint8_t[]>(n + 2 * kGuard), n};
  std::memset(b.p.get(), guard_, kGuard);
  std::memset(b.p.get() + kGuard, fill_, n);
  std::memset(b.p.get() + kGuard + n, guard_, kGuard);
  void* user = b.p.get() + kGuard;
  blocks_.push_back(std::move(b));
  return user;
}

bool Arena::intact() const {
  for (const Block& b : blocks_) {
    for (size_t i = 0; i < kGuard; ++i)
      if (b.p[i] != guard_ || b.p[kGuard + b.n + i] != guard_) return false;
  }
  return true;
}

std::vector<ExportCase>& export_cases() {
  static auto* cases = new std::vector<ExportCase>;
  return *cases;
}

ExportCases::ExportCases(std::initializer_list<ExportCase> cases) {
  for (const ExportCase& c : cases) export_cases().push_back(c);
}

}  // namespace oz::test
