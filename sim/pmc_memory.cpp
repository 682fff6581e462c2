// The simulated PMC: signal memory per unit and area, the area table, unit
// selection, single addresses and the alarm list.
#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <string>

#include "base/pmc_areas.h"
#include "sim/machine.h"
#include "sim/pmc_state.h"

namespace oz::sim {

namespace {

using pmcio::kAreaCount;
using pmcio::kAreaLetters;

constexpr uint32_t kAreaBytes[kAreaCount] = {10000, 10000, 1000, 1000, 1000, 10000, 500,
                                             1000, 400, 10000, 1000, 1000, 10000};

// The unit an RB names, or null for one the PMC does not have.
PmcUnit* unit_of(PmcState& s, uint32_t unit) {
  if (unit < 1 || unit > kPmcUnits) return nullptr;
  PmcUnit& u = s.units[unit];
  if (u.area[0].empty())
    for (int i = 0; i < kAreaCount; ++i) u.area[i].assign(kAreaBytes[i], 0);
  return &u;
}

// The bytes first..last of an area, or null when they lie outside it.
uint8_t* span(PmcUnit& u, int32_t area, int64_t first, int64_t last) {
  if (area < 0 || area >= kAreaCount || first < 0 || last < first) return nullptr;
  auto& a = u.area[size_t(area)];
  return uint64_t(last) < a.size() ? a.data() + first : nullptr;
}

// Memory keeps items little-endian, as the PMC's processor does; the wire is
// big-endian, so each item is turned round on the way.
void turn(uint8_t* dst, const uint8_t* src, size_t bytes, int size) {
  for (size_t i = 0; i + size_t(size) <= bytes; i += size_t(size))
    for (int k = 0; k < size; ++k) dst[i + size_t(k)] = src[i + size_t(size - 1 - k)];
}

RbReply range_read(Machine& m, const RbRequest& q) {
  PmcUnit* u = unit_of(m.state<PmcState>(), q.path);
  const int size = pmcio::item_size(q.a4);
  if (!u || size == 0) return RbReply::fail(u ? 4 : 3);
  uint8_t* p = span(*u, q.a3, q.a1, q.a2);
  if (!p) return RbReply::fail(3);
  RbReply r;
  r.data.resize(size_t(q.a2 - q.a1 + 1) / size_t(size) * size_t(size));
  turn(r.data.data(), p, r.data.size(), size);
  return r;
}

RbReply range_write(Machine& m, const RbRequest& q) {
  PmcUnit* u = unit_of(m.state<PmcState>(), q.path);
  const int size = pmcio::item_size(q.a4);
  if (!u || size == 0) return RbReply::fail(u ? 4 : 3);
  uint8_t* p = span(*u, q.a3, q.a1, int64_t(q.a1) + int64_t(q.data.size()) - 1);
  if (!p || q.data.empty()) return RbReply::fail(3);
  turn(p, q.data.data(), q.data.size(), size);
  return RbReply();
}

// Single addresses: area index in the top byte, bit + 1 (0: the byte) next,
// byte number below.
uint8_t* at_address(Machine& m, const RbRequest& q, int width, int* bit) {
  PmcUnit* u = unit_of(m.state<PmcState>(), q.path);
  const uint32_t a = uint32_t(q.a1);
  *bit = int((a >> 16) & 0xFF) - 1;
  return u ? span(*u, int32_t(a >> 24), a & 0xFFFF, int64_t(a & 0xFFFF) + width - 1) : nullptr;
}

RbReply address_read(Machine& m, const RbRequest& q, int width) {
  int bit;
  uint8_t* p = at_address(m, q, width, &bit);
  if (!p) return RbReply::fail(3);
  if (width == 0) return RbReply().bytes({uint8_t(bit < 0 ? p[0] : (p[0] >> bit) & 1)});
  RbReply r;
  r.data.resize(size_t(width));
  turn(r.data.data(), p, size_t(width), width);
  return r;
}

RbReply address_write(Machine& m, const RbRequest& q, int width) {
  int bit;
  uint8_t* p = at_address(m, q, std::max(width, 1), &bit);
  if (!p) return RbReply::fail(3);
  if (width == 0) {
    const uint8_t mask = uint8_t(bit < 0 ? 0xFF : 1 << bit);
    p[0] = uint8_t(q.a2 ? p[0] | mask : p[0] & ~mask);
    return RbReply();
  }
  uint8_t wire[4];
  pmcio::put_be(wire, uint32_t(q.a2), width);
  turn(p, wire, size_t(width), width);
  return RbReply();
}

RbReply parse_address(const RbRequest& q) {
  std::string t(q.data.begin(), std::find(q.data.begin(), q.data.end(), uint8_t(0)));
  const char* letter = t.empty() ? nullptr : std::strchr(kAreaLetters, t[0]);
  if (!letter || t.size() < 2) return RbReply::fail(5);
  char* end = nullptr;
  const long number = std::strtol(t.c_str() + 1, &end, 10);
  long bit = -1;
  if (*end == '.') bit = std::strtol(end + 1, &end, 10);
  if (*end != '\0' || number < 0 || number > 0xFFFF || bit > 7) return RbReply::fail(5);
  const uint32_t a = uint32_t(letter - kAreaLetters) << 24 | uint32_t(bit + 1) << 16 |
                     uint32_t(number);
  return RbReply().u32(a).bytes({uint8_t(bit < 0 ? 0xFF : bit)});
}

}  // namespace

OZ_SIM_FAMILY(pmc_memory) {
  m.on(kClassPmc, 32769, range_read);
  m.on(kClassPmc, 32770, range_write);
  m.on(kClassPmc, 32865, range_write);
  m.on(kClassPmc, 32771, [](Machine&, const RbRequest&) {
    RbReply r;
    r.i32(kAreaCount);
    for (int i = 0; i < kAreaCount; ++i)
      r.u16(uint16_t(kAreaLetters[i])).u16(1).u32(0).u32(kAreaBytes[i] - 1);
    return r;
  });
  m.on(kClassPmc, 32780, [](Machine& m, const RbRequest& q) {
    return unit_of(m.state<PmcState>(), uint32_t(q.a1)) ? RbReply() : RbReply::fail(3);
  });
  m.on(kClassPmc, 32782, [](Machine&, const RbRequest&) { return RbReply().i32(kPmcUnits); });
  m.on(kClassPmc, 32783, [](Machine&, const RbRequest& q) {
    RbReply r;
    for (int i = 0; i < std::min<int32_t>(q.a1, kPmcUnits); ++i) r.i32(i + 1);
    return r;
  });
  m.on(kClassPmc, 32827, [](Machine&, const RbRequest& q) { return parse_address(q); });
  const int widths[] = {4, 2, 1, 0};
  for (int i = 0; i < 4; ++i) {
    const int w = widths[i];
    m.on(kClassPmc, uint16_t(32804 + i), [w](Machine& m, const RbRequest& q) { return address_read(m, q, w); });
    m.on(kClassPmc, uint16_t(32809 + i), [w](Machine& m, const RbRequest& q) { return address_write(m, q, w); });
  }
  // Newer controllers hand out their alarm texts themselves.
  m.on(kClassPmc, 32784, [](Machine& m, const RbRequest& q) {
    const auto& list = m.state<PmcState>().alarms;
    const int from = std::max(q.a1, 1) - 1;
    const int avail = std::max<int>(int(list.size()) - from, 0);
    const int n = std::min(avail, q.a2);
    RbReply r;
    r.i32(n).i32(avail - n);
    for (int i = 0; i < n; ++i) r.text(list[size_t(from + i)], 128);
    return r;
  });
  m.on(kClassPmc, 32793, [](Machine& m, const RbRequest&) {
    return RbReply().i32(int32_t(m.state<PmcState>().alarms.size()));
  });
}

}  // namespace oz::sim
