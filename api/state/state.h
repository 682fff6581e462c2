// Helpers shared by the state families: bounded writes into caller buffers
// whose size the caller gave, and the per-axis value blocks most replies hold.
#pragma once
#include <algorithm>
#include <cstddef>

#include "core/frame.h"

namespace oz::state {

// A caller buffer of known byte size. Reply data decides how much gets
// written, so every write is checked against the size and dropped past it.
class Out {
 public:
  Out(void* p, size_t cap) : p_(static_cast<uint8_t*>(p)), cap_(cap) {}
  bool fits(size_t off, size_t n) const { return off + n <= cap_; }
  template <class T>
  bool put(size_t off, T v) {
    if (!fits(off, sizeof v)) return false;
    store(p_, off, v);
    return true;
  }
  // Copies up to n bytes of reply data from roff; returns the count written.
  size_t copy(size_t off, const Reader& r, int roff, size_t n) {
    if (off >= cap_) return 0;
    return r.copy(p_ + off, roff, std::min(n, cap_ - off));
  }
  // Zeroes the buffer from off to its end: entries a reply did not fill must
  // not show what the caller's buffer held before.
  void clear_from(size_t off) {
    if (off < cap_) std::memset(p_ + off, 0, cap_ - off);
  }
  uint8_t* at(size_t off) { return p_ + off; }
  size_t size() const { return cap_; }

 private:
  uint8_t* p_;
  size_t cap_;
};

// Items of `size` bytes a reply holds, capped at `cap`.
inline int items(const Reader& d, int size, int cap) {
  return std::max(0, std::min<int>(d.size() / size, cap));
}

// The first 32-bit word of each 8-byte item becomes one value; returns how
// many were written starting at byte `off`.
inline int put_values(Out& o, size_t off, const Reader& d, int n) {
  int i = 0;
  for (; i < n && o.put(off + 4 * size_t(i), d.i32(8 * i)); ++i) {}
  return i;
}

// Reads a host-order value at a byte offset of a caller structure.
template <class T>
T load(const void* base, size_t off) {
  T v;
  std::memcpy(&v, static_cast<const uint8_t*>(base) + off, sizeof v);
  return v;
}

}  // namespace oz::state
