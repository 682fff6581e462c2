// The shared library as an application sees it: every function the public
// header declares resolves in it, and unloading it closes what is open.
#include <gtest/gtest.h>

#include "ozlib.h"
#include "platform/platform.h"
#include "sim/fake_controller.h"
#include "tests/header_names.h"

namespace {

#ifdef OZ_SANITIZED
// The library keeps what its constructors register (the listed rows, the
// log's path) for the life of the process on purpose. Once the test has
// closed the library the leak checker can no longer see who holds them, so
// allocations made while a library initialises are not reported here.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:call_init\n";
}
#endif

TEST(SharedLibrary, EveryDeclaredFunctionIsExported) {
  const auto names = oz::test::declared_exports(OZ_HEADER);
  ASSERT_GT(names.size(), 10u);
  void* lib = oz::plat::lib_open(OZ_SHARED_LIB);
  ASSERT_NE(nullptr, lib);
  for (const auto& n : names) EXPECT_NE(nullptr, oz::plat::lib_symbol(lib, n.c_str())) << n;
  EXPECT_EQ(nullptr, oz::plat::lib_symbol(lib, "breakCircuit"));   // internals stay hidden
  oz::plat::lib_close(lib);
}

TEST(SharedLibrary, UnloadClosesOpenCircuits) {
#ifdef OZ_SANITIZED
  GTEST_SKIP() << "the sanitizer runtime loads the library NODELETE: dlclose keeps it";
#endif
  oz::sim::FakeController fake;
  void* lib = oz::plat::lib_open(OZ_SHARED_LIB);
  ASSERT_NE(nullptr, lib);
  auto alloc = reinterpret_cast<decltype(&cnc_allclibhndl3)>(oz::plat::lib_symbol(lib, "cnc_allclibhndl3"));
  uint16_t h = 0;
  ASSERT_EQ(EW_SUCCESS, alloc("127.0.0.1", fake.port(), 2, &h));
  oz::plat::lib_close(lib);
  // The handle was removed and its circuit closed: a close PDU on each socket.
  ASSERT_TRUE(fake.wait_received(4, 5000));
  int closes = 0;
  for (auto& p : fake.received()) closes += p.type == 2;
  EXPECT_EQ(2, closes);
}

}  // namespace
