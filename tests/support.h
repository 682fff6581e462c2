// Shared scaffolding: a fake controller per test and a reader for the log
// lines this process wrote.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "base/be.h"
#include "base/protocol.h"
#include "core/handle.h"
#include "base/log.h"
#include "ozlib.h"
#include "platform/platform.h"
#include "sim/fake_controller.h"
#include "sim/machine.h"
#include "tests/cases/cases.h"

namespace oz::test {

// ---- caller structures --------------------------------------------------------

// Big-endian words of request data a test picks apart.
inline int32_t be32(const std::vector<uint8_t>& d, size_t off) { return int32_t(be::get32(d.data() + off)); }
inline int16_t be16(const std::vector<uint8_t>& d, size_t off) { return int16_t(be::get16(d.data() + off)); }

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

// Bytes a call stores at an offset of a caller buffer, in host order; with
// `any` set, that many bytes whatever their value.
struct At {
  size_t off;
  std::vector<uint8_t> bytes;
  size_t any = 0;
};
template <class T>
At at(size_t off, T v) {
  std::vector<uint8_t> b(sizeof v);
  std::memcpy(b.data(), &v, sizeof v);
  return {off, b};
}
inline At at(size_t off, const char* text) { return {off, std::vector<uint8_t>(text, text + std::strlen(text))}; }
inline At at(size_t off, std::vector<uint8_t> bytes) { return {off, std::move(bytes)}; }
inline At anyAt(size_t off, size_t n) { return {off, {}, n}; }
// The buffer holds what `want` says where it says it and the fill byte
// everywhere else.
void expectStored(const void* p, size_t size, const std::vector<At>& want, uint8_t fill = 0xEE);

// Fills the stack below the caller with b, so that the locals of the call
// made next start out as b: a byte the library forgets to set shows.
void poison_stack(uint8_t b);

// ---- wire bytes -----------------------------------------------------------------

// Big-endian bytes, built with the appenders replies use.
using Be = sim::RbReply;

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
// An RB of the PMC class.
inline Req pmcRb(uint16_t cmd, int32_t a1 = 0, int32_t a2 = 0, int32_t a3 = 0, int32_t a4 = 0,
                 std::vector<uint8_t> data = {}) {
  return {cmd, a1, a2, a3, a4, std::move(data), kClassPmc};
}
// Compares the RBs received with the expected ones, in order, field by field,
// and names the RB and field that differ.
void expectRequests(const std::vector<sim::RbRequest>& got, const std::vector<Req>& want);

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

// What a controller of another family or machine kind would have told the
// handle at allocation.
inline void setDialect(Handle& h, uint32_t flag) {
  h.flags = (h.flags & ~uint32_t(kDialectCurrent | kDialectCompact | kDialectPacked)) | flag;
}
inline void setPathWord(Handle& h, int off, uint16_t v) { h.config.setWord(42 + off, v); }
inline void setMachineType(Handle& h, const char* two) { std::memcpy(h.sysinfo[0].bytes + 6, two, 2); }

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
  void expectRequests(const std::vector<Req>& want) const { test::expectRequests(sent(), want); }
  // Type-33 RBs the fake received, the circuit's opening left out.
  std::vector<sim::RbRequest> sent() const {
    std::vector<sim::RbRequest> out;
    for (auto& r : fake.requests())
      if (r.cmd != kCmdSysInfo && r.cmd != kCmdIdString && r.cmd != kCmdKindInfo) out.push_back(r);
    return out;
  }
  sim::FakeController fake;
};

// A handle on a simulated machine, for the tests that check what the
// simulator keeps through the library.
class MachineTest : public ::testing::Test {
 protected:
  explicit MachineTest(int32_t timeout = 5, sim::MachineConfig cfg = {}) : m(std::move(cfg)), timeout_(timeout) {}
  void SetUp() override { ASSERT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", m.port(), timeout_, &h)); }
  void TearDown() override { cnc_freelibhndl(h); }
  sim::Machine m;
  uint16_t h = 0;

 private:
  int32_t timeout_;
};

// ---- rows ---------------------------------------------------------------------

// How the fake answers the RBs of a command (class 1 unless stated): one
// reply for all, or a handler of the request.
struct Answer {
  Answer(uint16_t cmd, sim::RbReply r, uint16_t cls = kClassCnc)
      : cmd(cmd), cls(cls), handler([r](const sim::RbRequest&) { return r; }) {}
  Answer(uint16_t cmd, sim::RbHandler f, uint16_t cls = kClassCnc) : cmd(cmd), cls(cls), handler(std::move(f)) {}
  uint16_t cmd, cls;
  sim::RbHandler handler;
};

// One call of a family test: the replies, the call (h the handle, a the
// arena its buffers come from), the result, the RBs expected on the wire,
// the bytes expected in the buffer made with a.out() (the rest of it left
// as filled) and the count made with a.inout() afterwards. setup, where
// given, prepares the handle first; log names lines the call writes, exactly
// or up to a closing '*' (an empty one: no line at all), "{H}" standing for
// the handle, "{S}" for its request socket and "{P}" for the a.out() buffer.
struct Row {
  std::string name;
  std::vector<Answer> replies;
  std::function<int16_t(uint16_t h, Arena& a)> call;
  int16_t result;
  std::vector<Req> wire;
  std::vector<At> out = {};
  std::optional<int32_t> count = {};
  std::function<void(Handle&)> setup = {};
  std::vector<std::string> log = {};
  std::optional<int16_t> detail = {};   // the recorded error's detail word
};
void PrintTo(const Row& r, std::ostream* os);
std::string rowName(const ::testing::TestParamInfo<Row>& i);

class RowTest : public FakeTest, public ::testing::WithParamInterface<Row> {
 protected:
  using FakeTest::FakeTest;
  void check(const Row& r);
};

// The call of a row.
#define OZ_DO(...) \
  []([[maybe_unused]] uint16_t h, [[maybe_unused]] ::oz::test::Arena& a) -> int16_t { return __VA_ARGS__; }

// One parameterised test per table of rows, each row on a fresh controller.
#define OZ_ROWS(Suite, rows, ...)                                       \
  class Suite : public ::oz::test::RowTest {                          \
   public:                                                            \
    Suite() : RowTest(__VA_ARGS__) {}                                 \
  };                                                                  \
  TEST_P(Suite, Call) { check(GetParam()); }                          \
  INSTANTIATE_TEST_SUITE_P(Rows, Suite, ::testing::ValuesIn(rows), ::oz::test::rowName)

}  // namespace oz::test
