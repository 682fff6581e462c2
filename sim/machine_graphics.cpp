// Drawing data of the simulated machine: while collection runs, every block
// end of path 1 appends a record to the graphic command buffer: a word for
// the kind (1 tool path, 2 dynamic graphics), then the absolute position of
// each of the first three axes (32-bit, 0.001 mm). Reads take bytes from the
// read pointer on; a buffer that fills up drops records and raises the
// cancel flag.
#include <algorithm>
#include <vector>

#include "sim/machine.h"

using namespace oz::sim;

namespace {

constexpr size_t kBufferMax = 32000;

struct Drawing {
  bool path = false, dynamic = false;
  bool cancelled = false;
  std::vector<uint8_t> buf;
  size_t ptr = 0;
};

Drawing& dr(Machine& m) { return m.state<Drawing>(); }

void record_block(Machine& m, int path, const PathMotion& p) {
  Drawing& d = dr(m);
  if (path != 1 || !(d.path || d.dynamic)) return;
  RbReply rec = RbReply().i16(d.path ? 1 : 2);
  for (size_t a = 0; a < 3; ++a) rec.i32(a < p.machine.size() ? p.machine[a] - p.work_offset[a] : 0);
  if (d.buf.size() + rec.data.size() > kBufferMax) {
    d.cancelled = true;
    return;
  }
  d.buf.insert(d.buf.end(), rec.data.begin(), rec.data.end());
}

RbReply flag(Machine& m, bool Drawing::*which, bool on) {
  dr(m).*which = on;
  return RbReply();
}

}  // namespace

OZ_SIM_FAMILY(machine_graphics) {
  m.on(1, 356, [](Machine& m, const RbRequest&) { return flag(m, &Drawing::path, true); });
  m.on(1, 357, [](Machine& m, const RbRequest&) { return flag(m, &Drawing::path, false); });
  m.on(1, 358, [](Machine& m, const RbRequest&) { return flag(m, &Drawing::dynamic, true); });
  m.on(1, 359, [](Machine& m, const RbRequest&) { return flag(m, &Drawing::dynamic, false); });
  m.on(1, 360, [](Machine& m, const RbRequest& q) {
    Drawing& d = dr(m);
    const size_t n = std::min(size_t(std::max(q.a1, 0)), d.buf.size() - d.ptr);
    RbReply r = RbReply().bytes(d.buf.data() + d.ptr, n);
    d.ptr += n;
    return r;
  });
  m.on(1, 361, [](Machine& m, const RbRequest& q) {
    Drawing& d = dr(m);
    if (q.a1 < 0 || size_t(q.a1) > d.buf.size()) return RbReply::fail(3);
    d.ptr = size_t(q.a1);
    return RbReply();
  });
  m.on(1, 362, [](Machine& m, const RbRequest&) { return RbReply().i16(dr(m).cancelled ? 1 : 0); });
  m.on(1, 363, [](Machine& m, const RbRequest&) {
    Drawing& d = dr(m);
    d.buf.clear();
    d.ptr = 0;
    d.cancelled = false;
    return RbReply();
  });
  m.on_block_end(record_block);
}
