// Shared scaffolding: a fake controller per test and a reader for the log
// lines this process wrote.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/protocol.h"
#include "core/handle.h"
#include "base/log.h"
#include "ozlib.h"
#include "platform/platform.h"
#include "sim/fake_controller.h"

namespace oz::test {

// ---- caller structures --------------------------------------------------------

// Fills a caller structure with a sentinel so that every byte the library
// writes, and every byte it must not, shows.
template <class T>
void sentinel(T& v, uint8_t b = 0xEE) {
  std::memset(static_cast<void*>(&v), b, sizeof v);
}
inline bool untouched(const void* p, size_t from, size_t to, uint8_t b = 0xEE) {
  const auto* q = static_cast<const uint8_t*>(p);
  for (size_t i = from; i < to; ++i)
    if (q[i] != b) return false;
  return true;
}

// Fills the stack below the caller with b, so that the locals of the call
// made next start out as b: a byte the library forgets to set shows.
void poison_stack(uint8_t b);

// ---- wire bytes -----------------------------------------------------------------

inline int32_t be32(const std::vector<uint8_t>& d, size_t off) {
  return int32_t(uint32_t(d[off]) << 24 | uint32_t(d[off + 1]) << 16 | uint32_t(d[off + 2]) << 8 | d[off + 3]);
}
inline int16_t be16(const std::vector<uint8_t>& d, size_t off) { return int16_t(d[off] << 8 | d[off + 1]); }

// One RB a test expects on the wire. Arguments not named are expected 0; a
// path of 0 means "whatever path the handle had".
struct Req {
  uint16_t cmd;
  int32_t a1 = 0, a2 = 0, a3 = 0, a4 = 0;
  std::vector<uint8_t> data = {};
  uint16_t cls = kClassCnc;
  uint16_t path = 0;
  int16_t a5 = 0;
};
// Compares the RBs received with the expected ones, in order, field by field,
// and names the RB and field that differ.
void expectRequests(const std::vector<sim::RbRequest>& got, std::initializer_list<Req> want);

// Log records written by this process since mark(), message text only.
class LogTail {
 public:
  LogTail() { mark(); }
  void mark();
  std::vector<std::string> lines() const;
  bool has(const std::string& exact) const;
  bool hasPrefix(const std::string& prefix) const;
  bool any(const std::string& fragment) const;

 private:
  int next_ = 1;
};

// Raises the process's log level for one scope.
struct LogLevel {
  explicit LogLevel(int32_t l) : old(g_log_level) { g_log_level = l; }
  ~LogLevel() { g_log_level = old; }
  int32_t old;
};

class FakeTest : public ::testing::Test {
 protected:
  explicit FakeTest(sim::FakeConfig cfg = sim::FakeConfig::standard()) : fake(std::move(cfg)) {}
  // A handle on the fake with a one-second time-out.
  uint16_t open(int32_t timeout = 1) {
    uint16_t h = 0;
    EXPECT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", fake.port(), timeout, &h));
    return h;
  }
  Handle& rec(uint16_t h) { return *find_handle(h); }
  dtailerr_t detail(uint16_t h) {
    dtailerr_t d{-1, -1};
    EXPECT_EQ(EW_SUCCESS, cnc_getdtailerr(h, &d));
    return d;
  }
  // The RBs the fake received since the handle was opened, exactly these.
  void expectRequests(std::initializer_list<Req> want) const { test::expectRequests(sent(), want); }
  // Type-33 RBs the fake received, the circuit's opening left out.
  std::vector<sim::RbRequest> sent() const {
    std::vector<sim::RbRequest> out;
    for (auto& r : fake.requests())
      if (r.cmd != kCmdSysInfo && r.cmd != kCmdIdString && r.cmd != kCmdKindInfo) out.push_back(r);
    return out;
  }
  sim::FakeController fake;
};

}  // namespace oz::test
