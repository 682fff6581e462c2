// Scaffolding of the history and sampling tests: replies scripted in order,
// and caller bytes spelled out in host order.
#pragma once
#include <atomic>
#include <memory>
#include <vector>

#include "tests/support.h"

namespace oz::test {

// Answers command cmd with the replies in turn; past the last, result 3.
inline void script(sim::FakeController& f, uint16_t cmd, std::vector<sim::RbReply> replies) {
  auto next = std::make_shared<std::atomic<size_t>>(0);
  f.on(kClassCnc, cmd, [replies = std::move(replies), next](const sim::RbRequest&) {
    const size_t i = (*next)++;
    return i < replies.size() ? replies[i] : sim::RbReply::fail(3);
  });
}

// Caller bytes as the library should leave them, in host order.
struct Host {
  std::vector<uint8_t> b;
  template <class T>
  Host& put(T v) {
    const auto* p = reinterpret_cast<const uint8_t*>(&v);
    b.insert(b.end(), p, p + sizeof v);
    return *this;
  }
  Host& u8(uint8_t v) { return put(v); }
  Host& u16(uint16_t v) { return put(v); }
  Host& u32(uint32_t v) { return put(v); }
  Host& fill(size_t n, uint8_t v = 0xEE) {
    b.insert(b.end(), n, v);
    return *this;
  }
  Host& bytes(const std::vector<uint8_t>& v) {
    b.insert(b.end(), v.begin(), v.end());
    return *this;
  }
};

inline std::vector<uint8_t> slice(const void* p, size_t from, size_t n) {
  const auto* q = static_cast<const uint8_t*>(p) + from;
  return std::vector<uint8_t>(q, q + n);
}

}  // namespace oz::test
