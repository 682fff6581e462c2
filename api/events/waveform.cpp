// Waveform diagnosis: recording parameters, start and stop, and the recorded
// samples read in batches after a channel head.
#include <algorithm>

#include "api/events/events.h"
#include "core/listed.h"

using namespace oz;
using namespace oz::state;
using namespace oz::events;

static_assert(sizeof(waveprm2_ch_t) == 12 && offsetof(waveprm2_ch_t, u.sig.bit) == 5 &&
              offsetof(waveprm2_ch_t, u.sig.address) == 6 && offsetof(waveprm2_ch_t, u.value) == 4);
static_assert(sizeof(waveprm2_t) == 160 && offsetof(waveprm2_t, trig_letter) == 2 &&
              offsetof(waveprm2_t, trig_bit) == 3 && offsetof(waveprm2_t, value) == 4 &&
              offsetof(waveprm2_t, ch) == 16);
static_assert(sizeof(wavehead_t) == 16 && offsetof(wavehead_t, kind) == 2 &&
              offsetof(wavehead_t, u.sig.bit) == 5 && offsetof(wavehead_t, u.sig.address) == 6 &&
              offsetof(wavehead_t, u.info.time) == 8 && offsetof(wavehead_t, u.info.w14) == 14);

namespace {

constexpr int kSignalKind = 13;
constexpr int kChannelsPrm2 = 12;

// Signal address letters by wire code 1..6.
constexpr char kLetters[] = "XGYFMN";

char letter_of(uint8_t code) { return code >= 1 && code <= 6 ? kLetters[code - 1] : 0; }

// Either case maps to its code; 0 stays 0; anything else is -1.
uint8_t code_of(char letter) {
  if (letter == 0) return 0;
  const char up = letter >= 'a' && letter <= 'z' ? char(letter - 'a' + 'A') : letter;
  for (int i = 0; i < 6; ++i)
    if (kLetters[i] == up) return uint8_t(i + 1);
  return 0xFF;
}

void read_prm2(Call& c, waveprm2_t* p) {
  const Reader d = c.exchange(cnc(128));
  p->setting = d.i16(0);
  p->trig_letter = letter_of(d.u8(2));
  p->trig_bit = d.u8(3);
  for (int i = 0; i < 3; ++i) p->value[i] = d.i32(4 + 4 * i);
  const uint32_t n = std::min<uint32_t>(d.u32(16), kChannelsPrm2);
  for (uint32_t i = 0; i < n; ++i) {
    const Reader e = d.sub(20 + 12 * int(i), 12);
    waveprm2_ch_t& ch = p->ch[i];
    ch.kind = e.i16(0);
    if (ch.kind == kSignalKind) {
      ch.u.sig.letter = letter_of(e.u8(2));
      ch.u.sig.bit = e.u8(3);
      ch.u.sig.address = int16_t(e.u32(4));
    } else {
      ch.u.value = e.i32(8);
    }
  }
}

void write_prm2(Call& c, const waveprm2_t* p) {
  RbData d = c.add(cnc(129));
  d.i16(p->setting).u8(code_of(p->trig_letter)).u8(p->trig_bit);
  for (int i = 0; i < 3; ++i) d.i32(p->value[i]);
  d.u32(kChannelsPrm2);
  for (const waveprm2_ch_t& ch : p->ch) {
    d.i16(ch.kind);
    if (ch.kind == kSignalKind) d.u8(code_of(ch.u.sig.letter)).u8(ch.u.sig.bit).i32(ch.u.sig.address).i32(0);
    else d.u8(0).u8(0).i32(0).i32(ch.u.value);
  }
  c.exchange();
  c.rb(0);
}

// ---- recorded data -------------------------------------------------------------

// The three readers differ in their commands and in whether a channel kind
// goes before the channel in the RB arguments.
struct WaveForm {
  uint16_t head, data;
  bool kinded;
};
constexpr WaveForm kWave{133, 134, true};
constexpr WaveForm kRmtWave{324, 325, false};
constexpr WaveForm kWave3{554, 555, false};
constexpr int kMostSamples = 716;

Rb wave_rb(const WaveForm& f, uint16_t cmd, int16_t kind, int16_t channel) {
  return f.kinded ? cnc(cmd).args(kind, channel) : cnc(cmd).arg1(channel);
}

void put_head(Out& o, const Reader& d, int16_t first_arg) {
  o.put(0, first_arg);
  const int16_t kind = d.i16(0);
  o.put(2, kind);
  if (kind == kSignalKind) {
    o.put(4, letter_of(d.u8(2)));
    o.put(5, d.u8(3));
    o.put(6, int16_t(d.u32(4)));
    return;
  }
  o.put(4, int16_t(d.u32(8)));
  for (int i = 0; i < 6; ++i) o.put(8 + size_t(i), uint8_t(i == 0 ? d.u16(16) % 100 : d.u16(16 + 2 * i)));
  o.put(14, int16_t(d.u32(12)));
}

// The caller's block holds the head and *count samples.
void read_wave(Call& c, const WaveForm& f, int16_t kind, int16_t channel, int32_t start, int32_t* count,
               void* data) {
  expect(start >= 0, EW_VALUE);
  expect(*count > 0, EW_SIZE);
  Out o(data, sizeof(wavehead_t) + 2 * size_t(*count));
  put_head(o, c.exchange(wave_rb(f, f.head, kind, channel)), f.kinded ? kind : channel);
  const int nth = f.kinded ? 2 : 1;   // where the index goes among the arguments
  int32_t read = 0;
  for (int32_t next = start, remaining = *count; remaining > 0;) {
    const int ask = std::min(remaining, kMostSamples);
    Rb rb = wave_rb(f, f.data, kind, channel);
    rb.a[nth] = uint32_t(next);
    rb.a[nth + 1] = uint32_t(ask);
    c.reset();
    c.add(rb);
    c.exchange();
    if (c.result(0) == EW_VALUE && read > 0) break;
    const Reader s = c.rb(0);
    const int n = items(s, 2, ask);
    for (int i = 0; i < n; ++i) o.put(sizeof(wavehead_t) + 2 * size_t(read + i), s.i16(2 * i));
    read += n;
    if (n < ask) break;
    next += n;
    remaining -= ask;
  }
  *count = read;
}

int16_t state_word(uint16_t h, const char* fn, uint16_t cmd, int16_t* out) {
  return call(h, fn, args(out), [&](Call& c) { *out = c.exchange(cnc(cmd)).i16(0); });
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdwaveprm(uint16_t h, void* prm) {
  return call(h, __func__, args(prm), [&](Call&) { raise_error(EW_UNAVAILABLE); });
}
OZ_EXPORT int16_t OZ_CALL cnc_wrwaveprm(uint16_t h, const void* prm) {
  return call(h, __func__, args(prm), [&](Call&) { raise_error(EW_UNAVAILABLE); });
}
OZ_EXPORT int16_t OZ_CALL cnc_rdwaveprm2(uint16_t h, waveprm2_t* prm) {
  return call(h, __func__, args(prm), [&](Call& c) { read_prm2(c, prm); });
}
OZ_EXPORT int16_t OZ_CALL cnc_wrwaveprm2(uint16_t h, const waveprm2_t* prm) {
  return call(h, __func__, args(prm), [&](Call& c) { write_prm2(c, prm); });
}

OZ_EXPORT int16_t OZ_CALL cnc_wavestart(uint16_t h) { return send(h, __func__, args(), cnc(130)); }
OZ_EXPORT int16_t OZ_CALL cnc_wavestop(uint16_t h) { return send(h, __func__, args(), cnc(131)); }
OZ_EXPORT int16_t OZ_CALL cnc_wavestat(uint16_t h, int16_t* stat_out) { return state_word(h, __func__, 132, stat_out); }
OZ_EXPORT int16_t OZ_CALL cnc_rmtwavestart(uint16_t h) { return send(h, __func__, args(), cnc(321)); }
OZ_EXPORT int16_t OZ_CALL cnc_rmtwavestop(uint16_t h) { return send(h, __func__, args(), cnc(322)); }
OZ_EXPORT int16_t OZ_CALL cnc_rmtwavestat(uint16_t h, int16_t* stat_out) { return state_word(h, __func__, 323, stat_out); }

OZ_EXPORT int16_t OZ_CALL cnc_rdwavedata(uint16_t h, int16_t kind, int16_t channel, int32_t start,
                                         int32_t* count, void* data) {
  return call(h, __func__, args(kind, channel, start, oz::count(count), data),
              [&](Call& c) { read_wave(c, kWave, kind, channel, start, count, data); });
}
OZ_EXPORT int16_t OZ_CALL cnc_rdrmtwavedt(uint16_t h, int16_t channel, int32_t start, int32_t* count,
                                          void* data) {
  return call(h, __func__, args(channel, start, oz::count(count), data),
              [&](Call& c) { read_wave(c, kRmtWave, 0, channel, start, count, data); });
}
OZ_EXPORT int16_t OZ_CALL cnc_rdwavedata3(uint16_t h, int16_t channel, int32_t start, int32_t* count,
                                          void* data) {
  return call(h, __func__, args(channel, start, oz::count(count), data),
              [&](Call& c) { read_wave(c, kWave3, 0, channel, start, count, data); });
}

// Parameter and address forms whose layouts travel as the controller has them.
#define WAVEFORM_ROWS(X)                                         \
  X(cnc_rdrmtwaveprm, Read, 1, (319), selector)                  \
  X(cnc_wrrmtwaveprm, Write, 1, (320))                           \
  X(cnc_rdsavsigadr, Read, 1, (326), selector)                   \
  X(cnc_wrsavsigadr, Write, 1, (327))                            \
  X(cnc_rdsavsigdata, Read, 1, (328), selector, start, count)    \
  X(cnc_rdwaveprm3, Read, 1, (552))                              \
  X(cnc_wrwaveprm3, Write, 1, (553))
WAVEFORM_ROWS(OZ_LISTED_DEFINE)
OZ_LISTED_TABLE(events_waveform, WAVEFORM_ROWS)
