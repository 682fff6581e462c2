// The simulated raw memory: the controller's own and that of four bus
// devices, kept as big-endian bytes (so an element reads back as written,
// whatever width it was written with), and the EDM memory.
#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "sim/machine.h"

namespace oz::sim {
namespace {

constexpr size_t kMemory = 64 * 1024;
constexpr size_t kEdmMemory = 4 * 1024;
constexpr int32_t kBuses = 4;
constexpr int16_t kSizeError = 2;
constexpr int16_t kRange = 3;
constexpr int16_t kNoBus = 4;
constexpr int16_t kController = -1;

struct RawMemory {
  std::map<int32_t, std::vector<uint8_t>> areas;   // bus (kController: the controller)
  std::vector<uint8_t> edm = std::vector<uint8_t>(kEdmMemory, 0);

  RawMemory() {
    for (int32_t bus = kController; bus < kBuses; ++bus) {
      auto& a = areas[bus];
      a.resize(kMemory);
      for (size_t i = 0; i < a.size(); ++i) a[i] = uint8_t(i + 3 * bus);
    }
  }
};

// The bytes a request names, or null when they fall outside the area.
uint8_t* span(std::vector<uint8_t>& area, uint32_t address, size_t n) {
  if (address > area.size() || n > area.size() - address) return nullptr;
  return area.data() + address;
}

RbReply read(std::vector<uint8_t>& area, const RbRequest& q) {
  if (q.a3 < 0 || q.a3 > 2 || q.a4 < 0) return RbReply::fail(kSizeError);
  const size_t n = size_t(q.a4) << q.a3;
  const uint8_t* p = span(area, uint32_t(q.a2), n);
  if (!p) return RbReply::fail(kRange);
  return RbReply().bytes(p, n);
}

RbReply write(std::vector<uint8_t>& area, const RbRequest& q) {
  if (q.a3 < 0 || q.a3 > 2 || q.data.size() % (size_t(1) << q.a3) != 0) return RbReply::fail(kSizeError);
  uint8_t* p = span(area, uint32_t(q.a2), q.data.size());
  if (!p) return RbReply::fail(kRange);
  std::memcpy(p, q.data.data(), q.data.size());
  return RbReply();
}

std::vector<uint8_t>* bus(Machine& m, int32_t number) {
  auto& a = m.state<RawMemory>().areas;
  auto it = a.find(number);
  return it == a.end() ? nullptr : &it->second;
}

void installEdm(Machine& m) {
  m.on(1, 550, [](Machine& m, const RbRequest& q) {
    auto& e = m.state<RawMemory>().edm;
    const size_t n = size_t(std::max(q.a2, 0));
    const uint8_t* p = span(e, uint32_t(q.a1), n);
    return p ? RbReply().bytes(p, n) : RbReply::fail(kRange);
  });
  m.on(1, 551, [](Machine& m, const RbRequest& q) {
    auto& e = m.state<RawMemory>().edm;
    uint8_t* p = span(e, uint32_t(q.a1), q.data.size());
    if (!p) return RbReply::fail(kRange);
    std::memcpy(p, q.data.data(), q.data.size());
    return RbReply();
  });
}

}  // namespace

OZ_SIM_FAMILY(machine2_memory) {
  m.on(1, 171, [](Machine& m, const RbRequest& q) { return read(*bus(m, kController), q); });
  m.on(1, 172, [](Machine& m, const RbRequest& q) { return write(*bus(m, kController), q); });
  m.on(1, 39, [](Machine& m, const RbRequest& q) {
    auto* a = bus(m, q.a1);
    return a && q.a1 >= 0 ? read(*a, q) : RbReply::fail(kNoBus);
  });
  m.on(1, 40, [](Machine& m, const RbRequest& q) {
    auto* a = bus(m, q.a1);
    return a && q.a1 >= 0 ? write(*a, q) : RbReply::fail(kNoBus);
  });
  installEdm(m);
}

}  // namespace oz::sim
