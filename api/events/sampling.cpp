// Servo sampling: channel set-up, start and end, and the sample reads that
// hand each channel its share of the interleaved blocks. The channels' rates,
// limits and counters live in the Handle between calls.
#include <algorithm>

#include "api/events/events.h"
#include "core/listed.h"

using namespace oz;
using namespace oz::state;
using namespace oz::events;

static_assert(sizeof(sdchnl_t) == 12 && offsetof(sdchnl_t, kind) == 1 && offsetof(sdchnl_t, data) == 4 &&
              offsetof(sdchnl_t, rate) == 8 && offsetof(sdchnl_t, option) == 10);
static_assert(sizeof(sdchnl2_t) == 108 && offsetof(sdchnl2_t, kind) == 2 && offsetof(sdchnl2_t, data) == 4 &&
              offsetof(sdchnl2_t, rate) == 8 && offsetof(sdchnl2_t, option) == 10);
static_assert(sizeof(sdstart2_t) == 10 && offsetof(sdstart2_t, w4) == 4 && offsetof(sdstart2_t, b6) == 6 &&
              offsetof(sdstart2_t, b7) == 7 && offsetof(sdstart2_t, w8) == 8);
static_assert(sizeof(void*) != 8 || (sizeof(sdbuf_t) == 16 && offsetof(sdbuf_t, count) == 8));

namespace {

constexpr int kChannels = 8;
constexpr uint32_t kNoLimit = 0xFFFFFFFFu;
// Bytes of blocks one reply carries; the request asks for no more blocks.
constexpr int kReplyRoom = 1428;
// A controller that keeps answering "nothing yet, ask again" is asked this
// often within one call; the application calls again later.
constexpr int kMostRepeats = 100;

// ---- channel set-up -------------------------------------------------------------

constexpr int kSetup2Entries = 16;
constexpr uint16_t kServoAxisParam = 1023;

// The 12-byte wire entry of command 307; the 8-bit caller fields widen.
template <class Entry>
void put_channel(RbData& d, const Entry& e) {
  d.u16(uint16_t(e.chno)).u16(uint16_t(e.kind)).i32(e.data).i16(e.rate).i16(e.option);
}

void set_channels(Call& c, int16_t count, const sdchnl_t* ch) {
  RbData d = c.add(cnc(307));
  for (int i = 0; i < count; ++i) put_channel(d, ch[i]);
  c.exchange();
  c.rb(0);
}

// ---- start and end ---------------------------------------------------------------

// The Handle changes only once the whole start reply has been read.
void start_sampling(Call& c, const Rb& rb, const void* data, uint16_t len, int16_t* rates) {
  if (c.h.has(kSampling)) raise_error(EW_REFUSED, 1);
  c.add(rb).bytes(data, len);
  c.exchange();
  const Reader d = c.rb(0);
  uint32_t limit[kChannels];
  uint16_t rate[kChannels];
  for (int i = 0; i < kChannels; ++i) {
    limit[i] = d.u32(8 * i);
    rate[i] = uint16_t(d.u32(8 * i + 4));
  }
  Handle& h = c.h;
  h.samp_total = 0;
  for (int i = 0; i < kChannels; ++i) {
    h.samp_a[i] = limit[i];
    h.samp_b[i] = rate[i];
    h.samp_c[i] = 0;
    h.samp_total = uint16_t(h.samp_total + rate[i]);
    if (rates) rates[i] = int16_t(rate[i]);
  }
  h.flags |= kSampling;
}

int16_t start_plain(uint16_t h, const char* fn, int16_t type, int32_t value, int16_t* rates) {
  return call(h, fn, args(type, value, rates),
              [&](Call& c) { start_sampling(c, cnc(309).args(type, value), nullptr, 0, rates); });
}

int16_t start_block(uint16_t h, const char* fn, int16_t v1, int16_t v2, const sdstart2_t* b) {
  return call(h, fn, args(v1, v2, b), [&](Call& c) {
    uint8_t data[10];
    be::put32(data, uint32_t(b->value));
    be::put16(data + 4, uint16_t(b->w4));
    data[6] = b->b6;
    data[7] = b->b7;
    be::put16(data + 8, uint16_t(b->w8));
    start_sampling(c, cnc(249).args(v1, v2), data, sizeof data, nullptr);
  });
}

// The active bit goes first, so the handle is idle even when the controller
// refuses the request.
int16_t stop_sampling(uint16_t h, const char* fn, uint16_t cmd) {
  return call(h, fn, args(), [&](Call& c) {
    c.h.flags &= ~uint32_t(kSampling);
    c.exchange(cnc(cmd));
  });
}

int16_t start_ocp(uint16_t h, const char* fn, int32_t value) {
  return call(h, fn, args(value), [&](Call& c) {
    if (c.h.has(kSampling)) raise_error(EW_REFUSED, 1);
    c.exchange(cnc(834).arg1(value));
  });
}

// ---- reading samples ---------------------------------------------------------------

// How a block's code word scales the channel rates: the rate sum shifted by
// the same number of bits, at most 15 either way.
struct Scale {
  bool left;
  int bits;
  uint32_t of(uint16_t rate) const { return left ? uint32_t(rate) << bits : uint32_t(rate) >> bits; }
};

Scale scale_of(uint16_t code, uint16_t sum) {
  for (int s = 0; s < 16; ++s) {
    if (code >= sum && (uint32_t(sum) << s) == code) return {true, s};
    if (code < sum && (sum >> s) == code) return {false, s};
  }
  raise_error(EW_UNDECODABLE);
}

class SampleReader {
 public:
  SampleReader(Handle& h, sdbuf_t* buf) : h_(h), buf_(buf) {
    for (int i = kChannels - 1; i >= 0 && served_ < 0; --i)
      if (h.samp_b[i] != 0) served_ = i;
  }
  // Checks that every channel with a rate has both pointers; zeroes the counts.
  void begin(int32_t blocks) {
    expect(served_ >= 0, EW_VALUE);
    expect(blocks >= 1, EW_SIZE);
    for (int i = 0; i <= served_; ++i) {
      expect(h_.samp_b[i] == 0 || (buf_[i].data != nullptr && buf_[i].count != nullptr), EW_SIZE);
      if (buf_[i].count) *buf_[i].count = 0;
    }
  }
  // Decodes one block at pos; returns the position after it.
  int block(const Reader& d, int pos) {
    const Scale sc = scale_of(d.u16(pos), h_.samp_total);
    pos += 2;
    for (int i = 0; i <= served_; ++i) {
      if (h_.samp_b[i] == 0) continue;
      const uint32_t k = sc.of(h_.samp_b[i]);
      uint32_t take = k;
      if (h_.samp_a[i] != kNoLimit)
        take = std::min(k, h_.samp_a[i] > h_.samp_c[i] ? h_.samp_a[i] - h_.samp_c[i] : 0u);
      // One call never delivers more than OZ_SD_MAX_SAMPLES to a channel;
      // a reply that claims more is not one the controller can send.
      expect(got_[i] + take <= OZ_SD_MAX_SAMPLES, EW_SIZE);
      for (uint32_t s = 0; s < take; ++s) buf_[i].data[got_[i] + s] = d.i16(pos + 2 * int(s));
      got_[i] += take;
      h_.samp_c[i] += take;
      *buf_[i].count += take;
      pos += 2 * int(k);
    }
    expect(pos <= d.size(), EW_SIZE);
    return pos;
  }
  int fit() const { return kReplyRoom / (h_.samp_total * 2 + 2); }

 private:
  Handle& h_;
  sdbuf_t* buf_;
  int served_ = -1;
  uint32_t got_[kChannels] = {};
};

// stop_on_zero: the first form ends on status 0, the second on any other.
void read_samples(Call& c, uint16_t cmd, bool first_form, int16_t* status, int32_t blocks, sdbuf_t* buf) {
  SampleReader r(c.h, buf);
  r.begin(blocks);
  const int ask = std::min<int32_t>(blocks, r.fit());
  expect(ask >= 1, EW_VALUE);
  for (int attempt = 0; attempt < kMostRepeats; ++attempt) {
    c.reset();
    const Reader d = c.exchange(cnc(cmd).arg1(ask));
    const uint16_t st = d.u16(0);
    *status = int16_t(st);
    if (first_form && st == 0xFFFF) return;
    const int n = std::min<int>(d.u16(2), ask);
    for (int b = 0, pos = 4; b < n; ++b) pos = r.block(d, pos);
    if (n > 0 || (first_form ? st == 0 : st != 0)) return;
  }
}

int16_t readsmpl(uint16_t h, const char* fn, uint16_t cmd, int16_t* status, int32_t blocks, sdbuf_t* buf) {
  return call(h, fn, args(status, blocks, buf),
              [&](Call& c) { read_samples(c, cmd, cmd == 311, status, blocks, buf); });
}

int16_t read1shot(uint16_t h, const char* fn, int16_t* out) {
  return call(h, fn, args(out), [&](Call& c) {
    const Reader d = c.exchange(cnc(314));
    int16_t v[kChannels];
    for (int i = 0; i < kChannels; ++i) v[i] = d.i16(2 * i);
    std::copy(v, v + kChannels, out);
  });
}

}  // namespace

// ---- the exports ---------------------------------------------------------------------

OZ_EXPORT int16_t OZ_CALL cnc_sdsetchnl(uint16_t h, int16_t count, const sdchnl_t* ch) {
  return call(h, __func__, args(count, ch), [&](Call& c) { set_channels(c, count, ch); });
}

// The set-up waits for the servo-axis parameter: a controller that cannot
// give it cannot take the channels either.
OZ_EXPORT int16_t OZ_CALL cnc_sfbsetchnl(uint16_t h, int16_t count, int32_t value, const sdchnl_t* ch) {
  return call(h, __func__, args(count, value, ch), [&](Call& c) {
    c.add(cnc(14).args(kServoAxisParam, kServoAxisParam, -1));
    c.exchange();
    if (c.result(0) != EW_SUCCESS) raise_error(EW_PRECONDITION);
    c.reset();
    set_channels(c, count, ch);
  });
}

// Always sixteen wire entries; those past the count are zero.
OZ_EXPORT int16_t OZ_CALL cnc_sdsetchnl2(uint16_t h, int16_t count, const sdchnl2_t* ch) {
  return call(h, __func__, args(count, ch), [&](Call& c) {
    expect_range(count, 0, kSetup2Entries);
    if (count >= 2 && ch[1].kind == -127) raise_error(EW_VALUE, 26);
    RbData d = c.add(cnc(248).arg1(count));
    for (int i = 0; i < kSetup2Entries; ++i) {
      if (i < count) put_channel(d, ch[i]);
      else d.zeros(12);
    }
    c.exchange();
    c.rb(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_sdclrchnl(uint16_t h) { return send(h, __func__, args(), cnc(308)); }
OZ_EXPORT int16_t OZ_CALL cnc_sdtclrchnl(uint16_t h) { return send(h, __func__, args(), cnc(308)); }

OZ_EXPORT int16_t OZ_CALL cnc_sdstartsmpl(uint16_t h, int16_t type, int32_t value, int16_t* rates) {
  return start_plain(h, __func__, type, value, rates);
}
OZ_EXPORT int16_t OZ_CALL cnc_sfbstartsmpl(uint16_t h, int16_t type, int32_t value) {
  return start_plain(h, __func__, type, value, nullptr);
}
OZ_EXPORT int16_t OZ_CALL cnc_sdtstartsmpl(uint16_t h, int16_t type, int32_t value) {
  return start_plain(h, __func__, type, value, nullptr);
}
OZ_EXPORT int16_t OZ_CALL cnc_sdstartsmpl2(uint16_t h, int16_t v1, int16_t v2, const sdstart2_t* block) {
  return start_block(h, __func__, v1, v2, block);
}
OZ_EXPORT int16_t OZ_CALL cnc_sdtstartsmpl2(uint16_t h, int16_t v1, int16_t v2, const sdstart2_t* block) {
  return start_block(h, __func__, v1, v2, block);
}
OZ_EXPORT int16_t OZ_CALL cnc_sdstartsmplb(uint16_t h, int32_t v1, int32_t v2, int32_t v3, int32_t v4,
                                           int16_t v5) {
  return call(h, __func__, args(v1, v2, v3, v4, v5), [&](Call& c) {
    uint8_t data[16];
    const int32_t v[4] = {v1, v2, v3, v4};
    for (int i = 0; i < 4; ++i) be::put32(data + 4 * i, uint32_t(v[i]));
    start_sampling(c, cnc(229).arg1(v5), data, sizeof data, nullptr);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_sdcancelsmpl(uint16_t h) { return stop_sampling(h, __func__, 310); }
OZ_EXPORT int16_t OZ_CALL cnc_sdtcancelsmpl(uint16_t h) { return stop_sampling(h, __func__, 310); }
OZ_EXPORT int16_t OZ_CALL cnc_sdendsmpl(uint16_t h) { return stop_sampling(h, __func__, 312); }
OZ_EXPORT int16_t OZ_CALL cnc_sdtendsmpl(uint16_t h) { return stop_sampling(h, __func__, 312); }
OZ_EXPORT int16_t OZ_CALL cnc_sdendsmpl2(uint16_t h) { return stop_sampling(h, __func__, 251); }
OZ_EXPORT int16_t OZ_CALL cnc_sdtendsmpl2(uint16_t h) { return stop_sampling(h, __func__, 251); }

OZ_EXPORT int16_t OZ_CALL cnc_sdreadsmpl(uint16_t h, int16_t* status, int32_t blocks, sdbuf_t* buf) {
  return readsmpl(h, __func__, 311, status, blocks, buf);
}
OZ_EXPORT int16_t OZ_CALL cnc_sdtreadsmpl(uint16_t h, int16_t* status, int32_t blocks, sdbuf_t* buf) {
  return readsmpl(h, __func__, 311, status, blocks, buf);
}
OZ_EXPORT int16_t OZ_CALL cnc_sdreadsmpl2(uint16_t h, int16_t* status, int32_t blocks, sdbuf_t* buf) {
  return readsmpl(h, __func__, 250, status, blocks, buf);
}
OZ_EXPORT int16_t OZ_CALL cnc_sdtreadsmpl2(uint16_t h, int16_t* status, int32_t blocks, sdbuf_t* buf) {
  return readsmpl(h, __func__, 250, status, blocks, buf);
}

OZ_EXPORT int16_t OZ_CALL cnc_sdread1shot(uint16_t h, int16_t* out) { return read1shot(h, __func__, out); }
OZ_EXPORT int16_t OZ_CALL cnc_sdtread1shot(uint16_t h, int16_t* out) { return read1shot(h, __func__, out); }

OZ_EXPORT int16_t OZ_CALL cnc_sdbetainfo(uint16_t h, int16_t* count, int16_t* buf) {
  return call(h, __func__, args(oz::count(count), buf), [&](Call& c) {
    constexpr int kEntry = 14;
    const Reader d = c.exchange(cnc(228).arg1(*count));
    // The count the caller gave is what its buffer holds.
    const int n = items(d, kEntry, std::max<int>(*count, 0));
    for (int i = 0; i < n * kEntry / 2; ++i) buf[i] = d.i16(2 * i);
    *count = int16_t(n);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_sdstartocp(uint16_t h, int32_t value) { return start_ocp(h, __func__, value); }
OZ_EXPORT int16_t OZ_CALL cnc_sdtstartocp(uint16_t h, int32_t value) { return start_ocp(h, __func__, value); }
OZ_EXPORT int16_t OZ_CALL cnc_sdendocp(uint16_t h) { return send(h, __func__, args(), cnc(835)); }
OZ_EXPORT int16_t OZ_CALL cnc_sdtendocp(uint16_t h) { return send(h, __func__, args(), cnc(835)); }
OZ_EXPORT int16_t OZ_CALL cnc_sdclrocp(uint16_t h) { return send(h, __func__, args(), cnc(836)); }
OZ_EXPORT int16_t OZ_CALL cnc_sdtclrocp(uint16_t h) { return send(h, __func__, args(), cnc(836)); }

// The tuning set-up forms: entries travel as the caller gives them.
#define SAMPLING_ROWS(X)                                    \
  X(cnc_sdtsetchnl, Write, 1, (307))                        \
  X(cnc_sdtsetchnl2, Write, 1, (248), count)
SAMPLING_ROWS(OZ_LISTED_DEFINE)
OZ_LISTED_TABLE(events_sampling, SAMPLING_ROWS)
