// Every reply decoder on arbitrary replies. The first two input bytes choose
// an export from the table of exports, the third the result word of the
// reply RBs (most values mean success), the rest is the data of every reply
// RB that the fake controller returns. A write outside a caller buffer, or a
// result that is no result code, stops the run.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "sim/fake_controller.h"
#include "tests/cases/all_exports.h"

namespace {

using namespace oz;

bool isResultCode(int16_t rc) {
  switch (rc) {
#define OZ_FUZZ_CODE_(name, value) case value:
    OZ_RESULT_CODES(OZ_FUZZ_CODE_)
#undef OZ_FUZZ_CODE_
    return true;
    default: return rc > 0;   // the controller's own result words pass through
  }
}

struct Bench {
  sim::FakeController fake;
  std::vector<test::ExportRun> exports = test::all_exports();
  std::mutex mu;
  sim::RbReply reply;
  uint16_t h = 0;

  Bench() {
    fake.recording(false);
    fake.on_other_rb([this](const sim::RbRequest&) {
      std::lock_guard<std::mutex> l(mu);
      return reply;
    });
    if (exports.empty()) std::abort();
  }
  void open() {
    if (h == 0 && cnc_allclibhndl3("127.0.0.1", fake.port(), 1, &h) != EW_SUCCESS) h = 0;
  }
  void drop() {
    cnc_freelibhndl(h);
    h = 0;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Bench* bench = new Bench;   // lives for the process: its threads outlast any exit order
  if (size < 3 || size > 3 + kPduBodyMax) return 0;
  const test::ExportRun& target = bench->exports[(data[0] << 8 | data[1]) % bench->exports.size()];
  {
    std::lock_guard<std::mutex> l(bench->mu);
    bench->reply = sim::RbReply();
    if (data[2] >= 0xF0) bench->reply.result = int16_t(data[2] & 0x0F);
    bench->reply.bytes(data + 3, size - 3);
  }
  bench->open();
  if (bench->h == 0) return 0;
  test::Arena arena;
  const int16_t rc = target.run(bench->h, arena);
  if (!arena.intact()) {
    std::fprintf(stderr, "%s wrote outside a caller buffer\n", target.name.c_str());
    std::abort();
  }
  if (!isResultCode(rc)) {
    std::fprintf(stderr, "%s returned %d\n", target.name.c_str(), rc);
    std::abort();
  }
  if (rc == EW_CIRCUIT) bench->drop();
  return 0;
}
