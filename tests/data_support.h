// Helpers shared by the parameter, macro and offset tests.
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "tests/support.h"

namespace oz::test {

class DataTest : public FakeTest {
 protected:
  // Switches a handle to another request set, as a controller of that family would.
  void setDialect(uint16_t h, uint32_t flag) {
    rec(h).flags = (rec(h).flags & ~uint32_t(kDialectCurrent | kDialectCompact | kDialectPacked)) | flag;
  }
  void setPathWord(uint16_t h, int off, uint16_t v) { rec(h).config.setWord(42 + off, v); }
  void setMachineType(uint16_t h, const char* two) { std::memcpy(rec(h).sysinfo[0].bytes + 6, two, 2); }
  // The log line the frame writes for a failed call.
  std::string errLine(uint16_t h, const std::string& fn, const std::string& argsText,
                      const std::string& err) {
    return "Error: " + std::to_string(rec(h).sock2Number()) + ": " + fn + "(" +
           std::to_string(h) + " " + argsText + "): " + err;
  }
};

// Fills a caller structure with a sentinel so untouched bytes show.
template <class T>
void sentinel(T& v, uint8_t b = 0xEE) {
  std::memset(static_cast<void*>(&v), b, sizeof v);
}

inline bool untouchedFrom(const void* p, size_t from, size_t to, uint8_t b = 0xEE) {
  const auto* q = static_cast<const uint8_t*>(p);
  for (size_t i = from; i < to; ++i)
    if (q[i] != b) return false;
  return true;
}

inline int32_t be32(const std::vector<uint8_t>& d, size_t off) {
  return int32_t(uint32_t(d[off]) << 24 | uint32_t(d[off + 1]) << 16 | uint32_t(d[off + 2]) << 8 | d[off + 3]);
}
inline int16_t be16(const std::vector<uint8_t>& d, size_t off) { return int16_t(d[off] << 8 | d[off + 1]); }

}  // namespace oz::test
