// Shared scaffolding: a fake controller per test and a reader for the log
// lines this process wrote.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/protocol.h"
#include "core/handle.h"
#include "base/log.h"
#include "ozlib.h"
#include "platform/platform.h"
#include "sim/fake_controller.h"

namespace oz::test {

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
