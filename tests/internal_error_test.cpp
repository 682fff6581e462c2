// Nothing but a result code leaves an exported function: an allocation that
// fails inside a call becomes EW_INTERNAL (detail 1), logged and recorded like
// any failure, in the request frame, the session frame and the handle exports.
#include <cstdlib>
#include <new>

#include "api/programs/session.h"
#include "tests/support.h"

// Allocations of this thread fail while t_fail is above 0: the next t_fail
// of them, or all of them with t_fail_all.
static thread_local int t_fail = 0;
static thread_local bool t_fail_all = false;
void* operator new(size_t n) {
  if (t_fail_all || t_fail > 0) {
    if (t_fail > 0) --t_fail;
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace oz::test {
namespace {

struct FailNext {
  explicit FailNext(int n, bool all = false) {
    t_fail = n;
    t_fail_all = all;
  }
  ~FailNext() {
    t_fail = 0;
    t_fail_all = false;
  }
};

class InternalError : public FakeTest {
 protected:
  pmclad_t screen() {
    pmclad_t p{};
    p.line = 1;
    p.message = "a message longer than any short-string buffer";
    return p;
  }
};

TEST_F(InternalError, AFailedAllocationInACallIsACode) {
  uint16_t h = open();
  fake.reply(kClassCnc, 681, sim::RbReply());
  fake.reply(kClassCnc, 230, sim::RbReply());
  const pmclad_t p = screen();
  LogTail log;
  int16_t r;
  {
    FailNext fail(1);
    r = cnc_pmclad_screen(h, &p);
  }
  EXPECT_EQ(EW_INTERNAL, r);
  std::ostringstream ptr;
  ptr << static_cast<const void*>(&p);
  EXPECT_TRUE(log.has("Error: " + std::to_string(rec(h).sock2Number()) + ": cnc_pmclad_screen(" +
                      std::to_string(h) + " " + ptr.str() + "): -9 1 0"));
  EXPECT_EQ(1, detail(h).detail);
  EXPECT_TRUE(sent().empty());
  // The handle goes on working.
  EXPECT_EQ(EW_SUCCESS, cnc_pmclad_screen(h, &p));
}

TEST_F(InternalError, NoLineCanBeBuiltAndStillACode) {
  uint16_t h = open();
  const pmclad_t p = screen();
  int16_t r;
  {
    FailNext fail(0, true);
    r = cnc_pmclad_screen(h, &p);
  }
  EXPECT_EQ(EW_INTERNAL, r);
  EXPECT_EQ(1, detail(h).detail);
}

TEST_F(InternalError, AllocationOfAHandle) {
#ifdef _WIN32
  // Under mingw the handle record does not come from this replaced operator
  // new, so nothing fails here; the frames' tests cover EW_INTERNAL there.
  GTEST_SKIP() << "the handle allocation does not go through the replaced operator new";
#endif
  uint16_t h = 0x1234;
  const uint16_t port = fake.port();
  int16_t r;
  {
    FailNext fail(1);
    r = cnc_allclibhndl3("127.0.0.1", port, 1, &h);
  }
  EXPECT_EQ(EW_INTERNAL, r);
  EXPECT_EQ(0x1234, h);
  EXPECT_EQ(0, fake.connections_accepted());
}

// The frames of the sessions and of the calls that send nothing, given a
// body that lets out what is not an ErrObj.
TEST_F(InternalError, TheOtherFrames) {
  uint16_t h = open();
  auto throws = [](Handle&) -> int16_t { throw std::bad_alloc(); };
  EXPECT_EQ(EW_INTERNAL, prog::session_call(h, "cnc_dnc2", args(), prog::Report::Dnc, throws));
  EXPECT_EQ(EW_INTERNAL, rec(h).cnc_err.code);
  rec(h).cnc_err = {};
  EXPECT_EQ(EW_INTERNAL, local(h, "cnc_setpath", [](Handle&) { throw 7; }));
  EXPECT_EQ(EW_INTERNAL, rec(h).cnc_err.code);
  EXPECT_EQ(internal_detail::kUnexpected, rec(h).cnc_err.detail);
}

TEST(CurrentError, NamesWhatWasThrown) {
  auto classify = [](auto thrower) {
    try {
      thrower();
    } catch (...) {
      return current_error();
    }
    return ErrObj(0);
  };
  const ErrObj mem = classify([] { throw std::bad_alloc(); });
  EXPECT_EQ(EW_INTERNAL, mem.code);
  EXPECT_EQ(internal_detail::kNoMemory, mem.detail);
  const ErrObj other = classify([] { throw 42; });
  EXPECT_EQ(EW_INTERNAL, other.code);
  EXPECT_EQ(internal_detail::kUnexpected, other.detail);
  const ErrObj own = classify([] { raise_error(EW_RANGE, 4, 5); });
  EXPECT_EQ(EW_RANGE, own.code);
  EXPECT_EQ(4, own.detail);
}

}  // namespace
}  // namespace oz::test
