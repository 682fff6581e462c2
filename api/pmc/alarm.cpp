// PMC alarm messages: from the PMC itself on newer controllers, derived from
// its status bytes on the others.
#include <cstdio>

#include "api/pmc/alarm_msgs.h"
#include "api/pmc/pmc.h"

using namespace oz;
using namespace oz::pmcio;

static_assert(sizeof(pmcalm_t) == 128);

namespace {

constexpr uint16_t kAlarmRead = 32784, kRangeRead = 32769;
constexpr int kBatch = 11;
constexpr uint16_t kFirst = 9038, kLast = 9092, kStep = 9118;
constexpr int16_t kAreaR = 5;

// What the status bytes hold, row by row.
struct Status {
  uint16_t kind;
  uint8_t byte[kAlarmRows] = {};
  bool known[kAlarmRows] = {};
};

// Puts the number into the first "%02d" or "%02x" of the text. Site texts are
// never used as a format of their own, so a stray '%' cannot misread memory.
void render(char* slot, const char* text, int number) {
  char out[kAlarmTextSize] = {};
  std::string t(text);
  const size_t d = t.find("%02d"), x = t.find("%02x");
  const size_t at = std::min(d, x);
  if (at != std::string::npos) {
    char num[16];
    std::snprintf(num, sizeof num, at == d ? "%02d" : "%02x", number);
    t = t.substr(0, at) + num + t.substr(at + 4);
  }
  std::memcpy(out, t.data(), std::min(t.size(), kAlarmTextSize - 1));
  std::memcpy(slot, out, kAlarmTextSize);
}

class Walk {
 public:
  Walk(int start, int room, pmcalm_t* msgs) : start_(start), room_(room), msgs_(msgs) {}
  // False once the caller's room is full: the walk stops there.
  bool emit(int row, int col, int number) {
    ++found_;
    if (found_ < start_) return true;
    if (stored_ == room_) {
      more_ = true;
      return false;
    }
    render(msgs_[stored_++].text, alarm_texts()[row * kAlarmCols + col].data(), number);
    return true;
  }
  int stored() const { return stored_; }
  int16_t pending() const { return found_ == 0 ? -1 : more_ ? 1 : 0; }

 private:
  int start_, room_;
  pmcalm_t* msgs_;
  int found_ = 0, stored_ = 0;
  bool more_ = false;
};

// One row's messages; false when the walk must stop.
bool walk_row(const Status& s, int r, Walk& w) {
  const AlarmRow& row = kAlarmTable[r];
  const int v = s.byte[r];
  switch (row.kind) {
    case RowKind::Bit:
      for (int b = 0; b < 8; ++b)
        if ((v >> b & 1) && !w.emit(r, b, 0)) return false;
      return true;
    case RowKind::Code: {
      if (v == 0) return true;
      if (v == 64) {
        // Channel 2's answer tells a missing device from an absent channel.
        const bool ch2_absent = s.kind == 0 && s.byte[7] == 0 && s.byte[8] == 1;
        return row.address != 9048 || ch2_absent || w.emit(r, 0, v & 15);
      }
      const int col = v == 32 || v == 48 || v == 80 ? 1 : 2;
      return w.emit(r, col, v & 15);
    }
    case RowKind::Count: {
      const int next = s.byte[r + 1];
      if (v == 2) return w.emit(r, next <= 31 ? 0 : 1, next & 31);
      if (v == 3) return w.emit(r, 2, next & 31);
      if (v == 4) return w.emit(r, next < 32 ? 3 : 4, next & 31);
      return true;
    }
    case RowKind::Value:
      return v == 0 || w.emit(r, 0, v);
    default:
      return true;
  }
}

void legacy_alarms(Call& c, int16_t start, int16_t* count, int16_t* pending, pmcalm_t* msgs) {
  c.add(pmc(kRangeRead).args(kFirst, kLast, kAreaR, 0));
  c.add(pmc(kRangeRead).args(kStep, kStep, kAreaR, 0));
  c.exchange();
  Reader block = c.rb(0);
  Status s{c.h.config.word(2)};
  for (int r = 0; r < kAlarmRows; ++r) {
    const uint16_t a = kAlarmTable[r].address;
    if (a >= kFirst && a <= kLast) {
      s.byte[r] = block.u8(a - kFirst);
      s.known[r] = true;
    }
  }
  // A PMC without the step-sequence byte answers 3 for it; its row is left out.
  const bool step_known = c.result(1) != EW_RANGE;
  if (step_known) {
    s.byte[12] = c.rb(1).u8(0);
    s.known[12] = true;
  }
  Walk w(start, *count, msgs);
  for (int r = 0; r < kAlarmRows; ++r)
    if (s.known[r] && !walk_row(s, r, w)) break;
  *count = int16_t(w.stored());
  *pending = w.pending();
}

// Batches stop when the PMC reports nothing pending or delivers nothing.
void current_alarms(Call& c, int16_t start, int16_t* count, int16_t* pending,
                    pmcalm_t* msgs) {
  const int want = *count;
  int got = 0;
  int32_t left = 0;
  *count = 0;
  for (;;) {
    const int batch = std::min(want - got, kBatch);
    c.reset();
    Reader d = c.exchange(pmc(kAlarmRead).args(start + got, batch));
    const int m = std::clamp<int32_t>(d.i32(0), 0, batch);
    left = d.i32(4);
    for (int i = 0; i < m; ++i) d.sub(8 + 128 * i, 128).copy(msgs[got + i].text, 0, 128);
    got += m;
    *count = int16_t(got);
    if (left <= 0 || got >= want || m == 0) break;
  }
  *pending = int16_t(std::clamp<int32_t>(left, INT16_MIN, INT16_MAX));
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL pmc_rdalmmsg(uint16_t h, int16_t start, int16_t* count,
                                       int16_t* pending, pmcalm_t* msgs) {
  return call(h, __func__, args(start, oz::count(count), pending, msgs), [&](Call& c) {
    expect(start >= 1, EW_RANGE);
    expect(count != nullptr && *count >= 1, EW_VALUE);
    if (c.h.has(kDialectCurrent))
      current_alarms(c, start, count, pending, msgs);
    else
      legacy_alarms(c, start, count, pending, msgs);
  });
}

OZ_EXPORT int16_t OZ_CALL pmc_get_alarm_status(uint16_t h, int32_t selector, int32_t* status) {
  return call(h, __func__, args(selector, status), [&](Call& c) {
    *status = answer<int32_t>(c, pmc(32793).arg1(selector));
  });
}
