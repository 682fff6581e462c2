// Position sampling runs, the torque monitor, the tilted working plane's
// coordinates and the repeat count.
#include "api/machine/pieces.h"

using namespace oz;
using namespace oz::machine;

static_assert(sizeof(possmpl_t) == 16 && offsetof(possmpl_t, data) == 4);
static_assert(offsetof(twpcoord_t, a) == 12 && offsetof(twpcoord_t, b) == 18 &&
              offsetof(twpcoord_t, c) == 24);

namespace {
constexpr int kSample = 16;
constexpr int32_t kSampleBatch = 89;   // 89 samples of 16 bytes fit one reply
}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_stpossmpl(uint16_t h, int16_t selector, const uint8_t setting[6]) {
  return call(h, __func__, args(selector, setting), [&](Call& c) {
    c.add(cnc(662).arg1(selector)).bytes(setting, 6);
    c.exchange();
    c.rb(0);
  });
}

// Samples pass as they come; a batch that brings none ends the read, since
// asking again would never finish.
OZ_EXPORT int16_t OZ_CALL cnc_rdpossmpl(uint16_t h, int32_t* count, possmpl_t* samples) {
  return call(h, __func__, args(oz::count(count), samples), [&](Call& c) {
    expect(count != nullptr && *count >= 1, EW_SIZE);
    *count = in_pieces(c, {*count, kSampleBatch, true, false},
        [](Call& q, int32_t, int32_t n) { q.add(cnc(663).arg1(n)); },
        [&](const Reader& d, int32_t done, int32_t n) {
          const int32_t got = std::min<int32_t>(d.size() / kSample, n);
          for (int32_t i = 0; i < got; ++i) {
            possmpl_t& s = samples[done + i];
            s.w0 = d.u16(kSample * i);
            s.w1 = d.u16(kSample * i + 2);
            for (int k = 0; k < 6; ++k) s.data[k] = d.u16(kSample * i + 4 + 2 * k);
          }
          return got;
        });
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_endpossmpl(uint16_t h) {
  return call(h, __func__, args(), [&](Call& c) { c.exchange(cnc(664)); });
}

// The copy stops at the caller's length even if the controller sends more.
OZ_EXPORT int16_t OZ_CALL cnc_rdtrqmonitor(uint16_t h, int32_t kind, void* buf, int32_t* length) {
  return call(h, __func__, args(kind, buf, count(length)), [&](Call& c) {
    expect(length != nullptr && *length >= 1, EW_SIZE);
    expect(kind >= 0, EW_RANGE);
    *length = int32_t(c.exchange(cnc(613).args(kind, *length)).copy(buf, 0, size_t(*length)));
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_twp_rdfcoord(uint16_t h, uint8_t selector, twpcoord_t* out) {
  return call(h, __func__, args(selector, out), [&](Call& c) {
    Reader d = c.exchange(cnc(633).arg1(selector));
    d.u16(28);   // the whole record is there before any of it is stored
    for (int i = 0; i < 3; ++i) {
      out->value[i] = d.i32(4 * i);
      out->a[i] = d.i16(12 + 2 * i);
      out->b[i] = d.i16(18 + 2 * i);
      out->c[i] = d.i16(24 + 2 * i);
    }
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdrepeatval(uint16_t h, int32_t* value) {
  return call(h, __func__, args(value), [&](Call& c) { *value = c.exchange(cnc(710)).i32(0); });
}
