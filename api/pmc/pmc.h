// Helpers the PMC exports share.
#pragma once
#include <algorithm>
#include <cstring>
#include <string>

#include "base/pmc_areas.h"
#include "core/frame.h"
#include "platform/platform.h"

namespace oz::pmcio {

// Converts items between the caller's host order and wire order.
inline void items_from_wire(void* dst, const uint8_t* src, size_t items, int size) {
  auto* out = static_cast<uint8_t*>(dst);
  for (size_t i = 0; i < items; ++i) {
    const uint64_t v = get_be(src + i * size, size);
    switch (size) {
      case 1: out[i] = uint8_t(v); break;
      case 2: { uint16_t x = uint16_t(v); std::memcpy(out + 2 * i, &x, 2); break; }
      case 4: { uint32_t x = uint32_t(v); std::memcpy(out + 4 * i, &x, 4); break; }
      default: std::memcpy(out + 8 * i, &v, 8); break;
    }
  }
}

inline void items_to_wire(uint8_t* dst, const void* src, size_t items, int size) {
  auto* in = static_cast<const uint8_t*>(src);
  for (size_t i = 0; i < items; ++i) {
    uint64_t v = 0;
    switch (size) {
      case 1: v = in[i]; break;
      case 2: { uint16_t x; std::memcpy(&x, in + 2 * i, 2); v = x; break; }
      case 4: { uint32_t x; std::memcpy(&x, in + 4 * i, 4); v = x; break; }
      default: std::memcpy(&v, in + 8 * i, 8); break;
    }
    put_be(dst + i * size, v, size);
  }
}

// Walks [0, total) in steps of at most `step`, one exchange each; `f(done, n)`
// returns how many it got, and the walk stops at the first short answer so a
// PMC that ends a range early is never asked past it.
template <class F>
uint64_t in_chunks(Call& c, uint64_t total, uint64_t step, F&& f) {
  uint64_t done = 0;
  while (done < total) {
    const uint64_t n = std::min(step, total - done);
    c.reset();
    const uint64_t got = f(done, n);
    done += got;
    if (got < n) break;
  }
  return done;
}

// A file name under a folder, with a separator added only where needed.
inline std::string in_dir(std::string dir, const std::string& name) {
  if (dir.empty() || dir.back() != plat::path_sep()) dir += plat::path_sep();
  return dir + name;
}

// The first data word of a one-RB reply, narrowed to the caller's type.
template <class T>
T answer(Call& c, const Rb& rb) {
  Reader d = c.exchange(rb);
  if constexpr (sizeof(T) == 1) return T(d.u8(0));
  else if constexpr (sizeof(T) == 2) return T(d.u16(0));
  else return T(d.u32(0));
}

}  // namespace oz::pmcio
