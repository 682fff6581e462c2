// Reading request data in the data families' handlers: a request shorter than
// its fields reads zeros rather than past its end (the handler then answers
// whatever that means), so a malformed request never crashes the simulator.
#pragma once
#include <cstdint>
#include <vector>

#include "sim/fake_controller.h"
#include "base/be.h"

namespace oz::sim::data {

struct In {
  const std::vector<uint8_t>& d;
  bool has(size_t off, size_t n) const { return off + n <= d.size(); }
  int32_t i32(size_t off) const { return has(off, 4) ? int32_t(be::get32(d.data() + off)) : 0; }
  int16_t i16(size_t off) const { return has(off, 2) ? int16_t(be::get16(d.data() + off)) : 0; }
  uint16_t u16(size_t off) const { return uint16_t(i16(off)); }
  double f64(size_t off) const {
    const uint64_t b = (uint64_t(uint32_t(i32(off))) << 32) | uint32_t(i32(off + 4));
    double v;
    std::memcpy(&v, &b, 8);
    return v;
  }
};

inline RbReply& putF64(RbReply& r, double v) {
  uint64_t b;
  std::memcpy(&b, &v, 8);
  return r.u32(uint32_t(b >> 32)).u32(uint32_t(b));
}

// Result words the data families answer with.
constexpr int16_t kNoEntry = 3;    // number outside the table
constexpr int16_t kBadData = 5;

}  // namespace oz::sim::data
