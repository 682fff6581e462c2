// Names in the fixed fields of requests and replies, as the folder and data
// server families of the simulated machine read and write them. A request
// shorter than its field reads as far as it goes, never past it.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "sim/fake_controller.h"

namespace oz::sim::names {

// The text of the request field [off, off + width), up to its NUL.
inline std::string field(const std::vector<uint8_t>& d, size_t off, size_t width) {
  if (off >= d.size()) return {};
  const char* p = reinterpret_cast<const char*>(d.data() + off);
  return std::string(p, strnlen(p, std::min(width, d.size() - off)));
}

// s cut or zero-padded to width.
inline RbReply& put(RbReply& r, const std::string& s, size_t width) {
  std::string t = s.substr(0, width);
  t.resize(width, '\0');
  return r.bytes(t.data(), t.size());
}

// s and its NUL.
inline RbReply& putz(RbReply& r, const std::string& s) { return r.bytes(s.c_str(), s.size() + 1); }

}  // namespace oz::sim::names
