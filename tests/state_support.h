// Helpers of the state tests: caller structures filled with a sentinel so
// that every byte the library writes, and every byte it must not, shows.
#pragma once
#include <cstdint>
#include <cstring>

namespace oz::test {

template <class T>
void sentinel(T& v) { std::memset(&v, 0xEE, sizeof v); }

inline bool untouched(const void* p, size_t from, size_t to) {
  auto* b = static_cast<const uint8_t*>(p);
  for (size_t i = from; i < to; ++i)
    if (b[i] != 0xEE) return false;
  return true;
}

}  // namespace oz::test
