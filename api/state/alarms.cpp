// Alarms and operator messages.
#include "api/state/state.h"

using namespace oz;
using namespace oz::state;

static_assert(offsetof(alarm_t, data) == 4);
static_assert(sizeof(alminfo_short_t) == 4 && sizeof(alminfo_short_msg_t) == 38 &&
              offsetof(alminfo_short_msg_t, msg_len) == 4 && offsetof(alminfo_short_msg_t, msg) == 6);
static_assert(sizeof(alminfo_long_t) == 8 && offsetof(alminfo_long_t, w0) == 4);
static_assert(sizeof(alminfo_long_msg_t) == 40 && offsetof(alminfo_long_msg_t, msg_len) == 6 &&
              offsetof(alminfo_long_msg_t, msg) == 8);
static_assert(sizeof(almmsg_t) == 44 && offsetof(almmsg_t, w1) == 4 && offsetof(almmsg_t, w2) == 6 &&
              offsetof(almmsg_t, zero) == 8 && offsetof(almmsg_t, msg_len) == 10 &&
              offsetof(almmsg_t, msg) == 12);
static_assert(sizeof(almmsg2_t) == 76 && offsetof(almmsg2_t, msg) == 12);
static_assert(sizeof(opmsg_t) == 262 && offsetof(opmsg_t, char_num) == 4 && offsetof(opmsg_t, data) == 6);
static_assert(sizeof(opmsg_packed_t) == 136 && sizeof(opmsg2_t) == 70 && offsetof(opmsg2_t, data) == 6);

OZ_EXPORT int16_t OZ_CALL cnc_alarm(uint16_t h, alarm_t* a) {
  return call(h, __func__, args(a), [&](Call& c) { a->data = int16_t(c.exchange(cnc(26)).i32(0)); });
}

OZ_EXPORT int16_t OZ_CALL cnc_alarm2(uint16_t h, int32_t* a) {
  return call(h, __func__, args(a), [&](Call& c) { *a = c.exchange(cnc(26)).i32(0); });
}

OZ_EXPORT int16_t OZ_CALL cnc_clralm(uint16_t h, int16_t kind) {
  return call(h, __func__, args(kind), [&](Call& c) { c.exchange(cnc(135).arg1(kind)); });
}

// ---- alarm lists ------------------------------------------------------------------------

namespace {

constexpr int kAlarmRecord = 48;   // with the 32-byte text area
constexpr int kMostAlarms = 29;

// The alarm reply record (command 35) by name; the text follows the words.
struct AlarmRecord : Reader {
  explicit AlarmRecord(const Reader& r) : Reader(r) {}
  int32_t w0() const { return i32(0); }
  int32_t w1() const { return i32(4); }
  int32_t w2() const { return i32(8); }
  int32_t length() const { return i32(12); }
  static constexpr int kText = 16;
};

// Result 2 from the controller means more alarms are pending than were
// asked for; the records sent are good all the same.
Reader alarm_reply(Call& c, const Rb& rb, bool* more = nullptr) {
  c.add(rb);
  c.exchange();
  const bool pending = c.result(0) == EW_SIZE;
  if (pending) clearRBResult(c.pdu, 0);
  if (more) *more = pending;
  return c.rb(0);
}

// One alarm-info entry form: field offsets and widths.
struct AlmInfoForm {
  int size;
  bool wide;       // 32-bit w2
  bool text;
};

void put_alminfo(Out& o, size_t at, const AlmInfoForm& f, const AlarmRecord& rec) {
  const size_t w0_at = f.wide ? 4 : 2;
  if (f.wide) o.put(at, rec.w2());
  else o.put(at, int16_t(rec.w2()));
  o.put(at + w0_at, int16_t(rec.w0()));
  if (!f.text) return;
  o.put(at + w0_at + 2, int16_t(rec.length()));
  o.copy(at + w0_at + 4, rec, AlarmRecord::kText, 32);
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdalminfo(uint16_t h, int16_t type, int16_t kind, int16_t length,
                                        void* buf) {
  return call(h, __func__, args(type, kind, length, buf), [&](Call& c) {
    const int room = length - 2;
    expect(room >= 1, EW_SIZE);
    const bool wide = c.h.axesDelivered() >= 17;
    const AlmInfoForm f{type == 0 ? (wide ? 8 : 4) : (wide ? 40 : 38), wide, type != 0};
    const int capacity = room / f.size;
    expect(capacity >= 1, EW_SIZE);
    bool more = false;
    Reader d = alarm_reply(c, cnc(35).args(kind, std::min(capacity, kMostAlarms), type, 32), &more);
    Out o(buf, size_t(length));
    const int n = items(d, kAlarmRecord, capacity);
    for (int i = 0; i < n; ++i)
      put_alminfo(o, size_t(i * f.size), f, AlarmRecord(d.sub(i * kAlarmRecord, kAlarmRecord)));
    // The end mark is dropped where the caller's length has no room for it.
    if (wide) o.put(size_t(n * f.size), int32_t(-1));
    else o.put(size_t(n * f.size), int16_t(-1));
    expect(!(more && capacity < kMostAlarms), EW_SIZE);
  });
}

namespace {

template <class T>
void almmsg(Call& c, int16_t kind, int16_t* count, T* out, int most, int text) {
  expect(*count >= 1, EW_SIZE);
  *count = int16_t(std::min<int>(*count, most));
  const int record = 16 + text;
  Reader d = alarm_reply(c, cnc(35).args(kind, *count, 2, text));
  const int n = items(d, record, *count);
  for (int i = 0; i < n; ++i) {
    const AlarmRecord r(d.sub(i * record, record));
    out[i].w0 = r.w0();
    out[i].w1 = int16_t(r.w1());
    out[i].w2 = int16_t(r.w2());
    out[i].zero = 0;
    out[i].msg_len = int16_t(r.length());
    r.copy(out[i].msg, AlarmRecord::kText, size_t(text));
  }
  *count = int16_t(n);
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdalmmsg(uint16_t h, int16_t kind, int16_t* count, almmsg_t* out) {
  return call(h, __func__, args(kind, oz::count(count), out),
              [&](Call& c) { almmsg(c, kind, count, out, 29, 32); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdalmmsg2(uint16_t h, int16_t kind, int16_t* count, almmsg2_t* out) {
  return call(h, __func__, args(kind, oz::count(count), out),
              [&](Call& c) { almmsg(c, kind, count, out, 17, 64); });
}

// ---- operator messages ---------------------------------------------------------------

namespace {

constexpr int kOpRecord = 268;

// The operator-message reply record (commands 52 and 208) by name.
struct OpMsgRecord : Reader {
  explicit OpMsgRecord(const Reader& r) : Reader(r) {}
  int32_t number() const { return i32(0); }
  int32_t type() const { return i32(4); }
  int32_t chars() const { return i32(8); }
  static constexpr int kText = 12;
};

// Number, type and character count as 16-bit words, then up to `text` bytes
// of the message, all within the caller's buffer.
void put_opmsg(Out& o, size_t at, const OpMsgRecord& rec, size_t text, bool keep_number = true) {
  int16_t number = int16_t(rec.number());
  if (!keep_number && (number < 2000 || number > 2099)) number = 0;
  o.put(at, number);
  o.put(at + 2, int16_t(rec.type()));
  o.put(at + 4, int16_t(rec.chars()));
  o.copy(at + 6, rec, OpMsgRecord::kText, text);
}

// Stores the records of one reply after `stored` messages; more than the
// count has room for is a size error.
int store_opmsgs(Reader d, int stored, int count, opmsg_t* out) {
  const int n = d.size() / kOpRecord;
  expect(n <= count - stored, EW_SIZE);
  Out o(out + stored, sizeof(opmsg_t) * size_t(n));
  for (int i = 0; i < n; ++i)
    put_opmsg(o, sizeof(opmsg_t) * size_t(i), OpMsgRecord(d.sub(i * kOpRecord, kOpRecord)), 256);
  return stored + n;
}

void rdopmsg3(Call& c, int16_t type, int16_t* count, opmsg_t* out) {
  expect(*count >= 1, EW_SIZE);
  int stored = 0;
  if (c.h.has(kDialectCurrent)) {
    for (int asked = 0; asked < *count;) {
      const int n = std::min(*count - asked, 5);
      c.reset();
      c.add(cnc(208).args(asked, type, n));
      c.exchange();
      // A controller with fewer messages refuses the batch past the last.
      if (c.result(0) != 0 && stored > 0) break;
      stored = store_opmsgs(c.rb(0), stored, *count, out);
      asked += n;
    }
  } else {
    stored = store_opmsgs(c.exchange(cnc(52).arg1(type)), 0, *count, out);
  }
  *count = int16_t(stored);
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdopmsg3(uint16_t h, int16_t type, int16_t* count, opmsg_t* out) {
  return call(h, __func__, args(type, oz::count(count), out),
              [&](Call& c) { rdopmsg3(c, type, count, out); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdopmsg(uint16_t h, int16_t type, int16_t length, void* buf) {
  return call(h, __func__, args(type, length, buf), [&](Call& c) {
    if (path_is_w(c.h)) {
      int16_t n = int16_t(length / int(sizeof(opmsg_t)));
      return rdopmsg3(c, type, &n, static_cast<opmsg_t*>(buf));
    }
    Out o(buf, size_t(std::max<int>(length, 0)));
    if (c.h.has(kDialectPacked)) {
      expect(length >= (type < 0 ? 578 : type == 4 ? 34 : 136), EW_SIZE);
      Reader d = c.exchange(cnc(52).arg1(type));
      const int n = d.size() / kOpRecord;
      for (int i = 0; i < n; ++i) {
        const OpMsgRecord rec(d.sub(i * kOpRecord, kOpRecord));
        put_opmsg(o, sizeof(opmsg_packed_t) * size_t(i), rec, rec.type() == 4 ? 34 : 130);
      }
      o.clear_from(sizeof(opmsg_packed_t) * size_t(n));
      return;
    }
    expect(length >= int(sizeof(opmsg_t)), EW_SIZE);
    expect(type == 0, EW_KIND);
    put_opmsg(o, 0, OpMsgRecord(c.exchange(cnc(52).arg1(0)).sub(0, kOpRecord)), 256);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdopmsg2(uint16_t h, int16_t type, int16_t length, opmsg2_t* out) {
  return call(h, __func__, args(type, length, out), [&](Call& c) {
    Reader d = c.exchange(cnc(52).arg1(type));
    const int n = d.size() / kOpRecord;
    expect(length >= int(sizeof(opmsg2_t)) * n, EW_SIZE);
    Out o(out, size_t(std::max<int>(length, 0)));
    for (int i = 0; i < n; ++i)
      put_opmsg(o, sizeof(opmsg2_t) * size_t(i), OpMsgRecord(d.sub(i * kOpRecord, kOpRecord)), 64, false);
    o.clear_from(sizeof(opmsg2_t) * size_t(n));
  });
}

// No message pending is an empty text, never what the buffer held before.
OZ_EXPORT int16_t OZ_CALL cnc_rdlnopmsg(uint16_t h, lnopmsg_t* out) {
  return call(h, __func__, args(out), [&](Call& c) {
    Out o(out->data, sizeof out->data);
    o.clear_from(o.copy(0, c.exchange(cnc(227)), 0, sizeof out->data));
  });
}
