// Rows for the machine families' tests: one export against scripted
// replies, the RBs it must send and the exact bytes it must leave in the
// caller's buffer (sentinel bytes where it must not write).
#pragma once
#include <functional>
#include <utility>
#include <vector>

#include "tests/support.h"

namespace oz::test {

// The caller's record as the test expects it after the call: the sentinel
// everywhere, then the fields the lambda sets.
template <class T, class F>
std::vector<uint8_t> after(F&& set) {
  T v;
  sentinel(v);
  set(v);
  const auto* p = reinterpret_cast<const uint8_t*>(&v);
  return std::vector<uint8_t>(p, p + sizeof v);
}

struct MachineRow {
  const char* name;
  std::vector<std::pair<uint16_t, sim::RbReply>> replies;   // command, reply
  std::function<int16_t(uint16_t h, void* buf)> run;
  std::vector<Req> want;
  std::vector<uint8_t> stored;   // the buffer afterwards; its size is the buffer's
  int16_t result = EW_SUCCESS;
};

// Requests the rows do not script are answered with success and no data.
class MachineRowTest : public FakeTest {
 protected:
  explicit MachineRowTest(sim::FakeConfig cfg = sim::FakeConfig::standard()) : FakeTest(std::move(cfg)) {
    fake.on_other_rb([](const sim::RbRequest&) { return sim::RbReply(); });
  }
  void check(const std::vector<MachineRow>& rows) {
    const uint16_t h = open();
    for (const MachineRow& r : rows) {
      SCOPED_TRACE(r.name);
      for (const auto& [cmd, reply] : r.replies) fake.reply(kClassCnc, cmd, reply);
      fake.clear_received();
      std::vector<uint8_t> buf(r.stored.size(), 0xEE);
      EXPECT_EQ(r.result, r.run(h, buf.data()));
      const auto got = sent();
      ASSERT_EQ(r.want.size(), got.size()) << "number of RBs sent";
      for (size_t i = 0; i < got.size(); ++i) test::expectRequests({got[i]}, {r.want[i]});
      EXPECT_EQ(r.stored, buf);
    }
  }
};

// Reply data made of big-endian 32-bit words.
inline sim::RbReply words(std::initializer_list<int32_t> w) {
  sim::RbReply r;
  for (int32_t v : w) r.i32(v);
  return r;
}

// Request data made of big-endian 32-bit words.
inline std::vector<uint8_t> wire32(std::initializer_list<int32_t> w) { return words(w).data; }

}  // namespace oz::test
