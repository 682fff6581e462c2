#include "tests/cases/cases.h"

#include <cstring>

#include "core/handle.h"
#include "platform/platform.h"
#include "transport/circuit.h"

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

const char* Arena::text(const char* s) {
  const size_t n = std::strlen(s) + 1;
  char* p = get<char>(n);
  std::memcpy(p, s, n);
  return p;
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

uint16_t port_of(uint16_t h) {
  const Handle* r = find_handle(h);
  return r && r->circuit ? plat::to_net16(r->circuit->port) : 0;   // kept in network order
}

}  // namespace oz::test
