// Rows for the folder and data-server tests: requests expected on the wire
// and bytes expected in the caller's buffer, each checked by one matcher.
#pragma once
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/support.h"

namespace oz::test {

// A text in a field of `width` bytes: at most `keep` characters, then zeros.
inline std::vector<uint8_t> fieldOf(const std::string& s, size_t width, size_t keep) {
  std::vector<uint8_t> b(width, 0);
  std::memcpy(b.data(), s.data(), std::min({s.size(), keep, width}));
  return b;
}
inline std::vector<uint8_t> path256(const std::string& s) { return fieldOf(s, 256, 255); }
inline std::vector<uint8_t> join(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
inline std::vector<uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

// A caller's buffer as the test expects it: the fill byte wherever the call
// must not write, host-order fields where it must.
struct Image {
  std::vector<uint8_t> b;
  explicit Image(size_t n, uint8_t fill = 0xEE) : b(n, fill) {}
  template <class T>
  Image& at(size_t off, T v) {
    std::memcpy(&b[off], &v, sizeof v);
    return *this;
  }
  Image& i16(size_t off, int16_t v) { return at(off, v); }
  Image& i32(size_t off, int32_t v) { return at(off, v); }
  // s then zeros up to width.
  Image& text(size_t off, const std::string& s, size_t width) {
    auto f = fieldOf(s, width, width);
    std::memcpy(&b[off], f.data(), width);
    return *this;
  }
  Image& raw(size_t off, const std::vector<uint8_t>& v) {
    std::memcpy(&b[off], v.data(), v.size());
    return *this;
  }
};

// A call that sends one request and reads nothing back.
struct OrderRow {
  const char* name;
  std::function<int16_t(uint16_t)> run;
  Req want;
};

// A call that reads: the reply given, the request and the caller's bytes expected.
struct ReadRow {
  const char* name;
  sim::RbReply reply;
  std::function<int16_t(uint16_t, uint8_t*)> run;
  Req want;
  std::vector<uint8_t> stored;   // the whole buffer after the call, fill included
};

class FolderRowTest : public FakeTest {
 protected:
  void check(uint16_t h, const OrderRow& r) {
    SCOPED_TRACE(r.name);
    fake.clear_received();
    fake.reply(r.want.cls, r.want.cmd, sim::RbReply());
    EXPECT_EQ(EW_SUCCESS, r.run(h));
    test::expectRequests(sent(), {r.want});
  }
  void check(uint16_t h, const ReadRow& r) {
    SCOPED_TRACE(r.name);
    fake.clear_received();
    fake.reply(r.want.cls, r.want.cmd, r.reply);
    std::vector<uint8_t> buf(r.stored.size(), 0xEE);
    EXPECT_EQ(EW_SUCCESS, r.run(h, buf.data()));
    test::expectRequests(sent(), {r.want});
    for (size_t i = 0; i < buf.size(); ++i) ASSERT_EQ(r.stored[i], buf[i]) << "byte " << i;
  }
};

}  // namespace oz::test
