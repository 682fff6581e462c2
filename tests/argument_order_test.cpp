// Where an export tests its arguments: the forms whose contract answers a bad
// argument before the handle is looked at keep doing so (and survive a null
// length), every other test runs inside the frame, after the handle.
#include <functional>
#include <sstream>

#include "tests/support.h"

namespace oz::test {
namespace {

struct Row {
  const char* what;
  std::function<int16_t(uint16_t)> run;   // called with handle 0, which is never valid
  int16_t code;
  friend void PrintTo(const Row& r, std::ostream* os) { *os << r.what; }
};

class BeforeTheHandle : public ::testing::TestWithParam<Row> {};

TEST_P(BeforeTheHandle, OnAnInvalidHandle) { EXPECT_EQ(GetParam().code, GetParam().run(0)); }

upload_t g_up;
prgdir2_t g_dir2[2];
prgdir3_t g_dir3[2];
prgdirtm_t g_dirtm[2];

INSTANTIATE_TEST_SUITE_P(All, BeforeTheHandle, ::testing::Values(
    // Documented: decided by the argument alone, before the handle.
    Row{"Machine2Type", [](uint16_t h) { axis_values_t v; return cnc_machine2(h, -1, 8, 1, &v); }, EW_KIND},
    Row{"RdMacroLength", [](uint16_t h) { macro_t m; return cnc_rdmacro(h, 1, 9, &m); }, EW_SIZE},
    Row{"WrMacroLength", [](uint16_t h) { return cnc_wrmacro(h, 1, 9, 0, 0); }, EW_SIZE},
    Row{"RdTofsLength", [](uint16_t h) { tofs_t t; return cnc_rdtofs(h, 1, 0, 7, &t); }, EW_SIZE},
    Row{"WrTofsLength", [](uint16_t h) { return cnc_wrtofs(h, 1, 0, 7, 0); }, EW_SIZE},
    Row{"DwnStart3Type", [](uint16_t h) { return cnc_dwnstart3(h, -1); }, EW_KIND},
    Row{"CUploadNoLength", [](uint16_t h) { return cnc_cupload(h, &g_up, nullptr); }, EW_SIZE},
    Row{"UploadNoLength", [](uint16_t h) { return cnc_upload(h, &g_up, nullptr); }, EW_SIZE},
    // Inside the frame: the handle first, whatever the other arguments hold.
    Row{"Dir2o8NoStart", [](uint16_t h) { int16_t n = 1; return cnc_rdprogdir2o8(h, 0, nullptr, &n, g_dir2); }, EW_BADHANDLE},
    Row{"Dir2NoStart", [](uint16_t h) { int16_t n = 1; return cnc_rdprogdir2(h, 0, nullptr, &n, g_dir2); }, EW_BADHANDLE},
    Row{"Dir3NoStart", [](uint16_t h) { int16_t n = 1; return cnc_rdprogdir3(h, 0, nullptr, &n, g_dir3); }, EW_BADHANDLE},
    Row{"DirTimeNoStart", [](uint16_t h) { int16_t n = 1; return cnc_rdprgdirtime(h, nullptr, &n, g_dirtm); }, EW_BADHANDLE}),
    [](const auto& i) { return std::string(i.param.what); });

class InTheFrame : public FakeTest {};

// The start number still shows in the error line, as the value it held.
TEST_F(InTheFrame, DirectoryArgumentsAreLoggedAndRecorded) {
  uint16_t h = open();
  LogTail log;
  int32_t start = 5;
  int16_t n = 0;
  EXPECT_EQ(EW_SIZE, cnc_rdprogdir3(h, 0, &start, &n, g_dir3));
  std::ostringstream ptr;
  ptr << static_cast<const void*>(g_dir3);
  EXPECT_TRUE(log.has("Error: " + std::to_string(rec(h).sock2Number()) + ": cnc_rdprogdir3(" +
                      std::to_string(h) + " 0 5 0 " + ptr.str() + "): 2 0 0"));
  EXPECT_EQ(EW_SIZE, rec(h).cnc_err.code);
}

}  // namespace
}  // namespace oz::test
