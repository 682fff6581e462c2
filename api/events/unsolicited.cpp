// The unsolicited message service. The transmission settings travel in PDUs
// of their own (types 38 to 43) whose body puts a block of setting fields in
// front of the RB list; the application's registration goes through the
// message server on the PC, through named shared memory and window messages;
// what the server received is read back from its shared memory without any
// handle.
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <initializer_list>
#include <mutex>

#include "base/pc_programs.h"
#include "core/frame.h"
#include "platform/platform.h"

using namespace oz;
namespace u = oz::unsolic;

static_assert(sizeof(unsolicrng_t) == 12 && offsetof(unsolicrng_t, adr_type) == 2 &&
              offsetof(unsolicrng_t, start) == 4 && offsetof(unsolicrng_t, length) == 6);
static_assert(sizeof(unsolicprm_t) == 68 && offsetof(unsolicprm_t, word1) == 16 &&
              offsetof(unsolicprm_t, word2) == 18 && offsetof(unsolicprm_t, word3) == 20 &&
              offsetof(unsolicprm_t, word4) == 22 && offsetof(unsolicprm_t, word5) == 24 &&
              offsetof(unsolicprm_t, word6) == 26 && offsetof(unsolicprm_t, count) == 28 &&
              offsetof(unsolicprm_t, range) == 32);
static_assert(sizeof(unsolicitem_t) == 16 && offsetof(unsolicitem_t, unit) == 4 &&
              offsetof(unsolicitem_t, adr_type) == 6 && offsetof(unsolicitem_t, first) == 8 &&
              offsetof(unsolicitem_t, last) == 12);
static_assert(sizeof(unsolicprm2_t) == 164 && offsetof(unsolicprm2_t, word1) == 64 &&
              offsetof(unsolicprm2_t, word2) == 68 && offsetof(unsolicprm2_t, word3) == 70 &&
              offsetof(unsolicprm2_t, word4) == 72 && offsetof(unsolicprm2_t, form) == 84 &&
              offsetof(unsolicprm2_t, form_word1) == 88 && offsetof(unsolicprm2_t, form_word2) == 90 &&
              offsetof(unsolicprm2_t, value1) == 92 && offsetof(unsolicprm2_t, value2) == 96 &&
              offsetof(unsolicprm2_t, count) == 100 && offsetof(unsolicprm2_t, item) == 116);
static_assert(sizeof(unsolicmsg_entry_t) == 12 && offsetof(unsolicmsg_entry_t, data) == 4 &&
              sizeof(unsolicmsg_t) == 40 && offsetof(unsolicmsg_t, entry) == 4);
static_assert(sizeof(unsolicmsg2_entry_t) == 20 && offsetof(unsolicmsg2_entry_t, word) == 4 &&
              offsetof(unsolicmsg2_entry_t, count) == 8 && offsetof(unsolicmsg2_entry_t, data) == 12 &&
              sizeof(unsolicmsg2_t) == 64 && offsetof(unsolicmsg2_t, entry) == 4);

namespace {

constexpr int kMaxRanges = 3;

void expect_number(int16_t number) { expect_range(number, 1, 3, EW_RANGE); }

// A field of the caller's setting out of bounds: code 5 with the detail that
// names the field.
void expect_field(bool ok, uint16_t detail, uint16_t sub = 0) {
  if (!ok) raise_error(EW_VALUE, detail, sub);
}

// ---- the settings PDUs ---------------------------------------------------------------

// The fields before the RB list lie where the RB builder does not write;
// they are set at their PDU offsets, over a prefix cleared first so that a
// field left out goes as 0.
struct PrefixedBody {
  PrefixedBody(PDU& p, int n) : pdu(p), prefix(n) { std::memset(pdu.body(), 0, size_t(prefix) + 2); }
  PDU& pdu;
  int prefix;

  void u16(int at, uint16_t v) { be::put16(pdu.b + at, v); }
  void u32(int at, uint32_t v) { be::put32(pdu.b + at, v); }
  void bytes(int at, const void* p, size_t n) { std::memcpy(pdu.b + at, p, n); }
  void rb(uint16_t cls, uint16_t path, uint16_t cmd, int64_t a1, int64_t a2, int64_t a3) {
    uint8_t r[kRbRequestHeader];
    buildRB(r, cls, path, cmd, uint32_t(a1), uint32_t(a2), uint32_t(a3), 0, 0, 0);
    addRB(pdu, r, prefix);
  }
};

// A request of fields alone (read, start, stop): its data size is their extent.
void fields_only(Call& c, std::initializer_list<uint16_t> words) {
  int at = kPduHeader;
  for (uint16_t w : words) {
    be::put16(c.pdu.b + at, w);
    at += 2;
  }
  c.pdu.setDataSize(uint16_t(at - kPduHeader));
}

// A settings read: the number alone goes; the reply is addressed by PDU
// offset and bounded by what arrived.
Reader read_setting(Call& c, int16_t number, uint8_t type) {
  expect_number(number);
  fields_only(c, {uint16_t(number)});
  c.exchange(type);
  return Reader(c.pdu.b, uint16_t(kPduHeader + c.pdu.dataSize()));
}

// One RB of a settings reply: the controller hands the RBs back in request form.
struct SettingRb {
  uint16_t path, cmd;
  int32_t a1, a2, a3;
};

// The RBs after the count word at `count_at`, at most kMaxRanges of them.
template <class F>
int each_setting_rb(const Reader& r, int count_at, F&& f) {
  const int n = std::min<int>(r.u16(count_at), kMaxRanges);
  int off = count_at + 2;
  for (int i = 0; i < n; ++i) {
    Reader rb = r.sub(off, r.u16(off));
    off += rb.size();
    f(i, SettingRb{rb.u16(4), rb.u16(6), rb.i32(8), rb.i32(12), rb.i32(16)});
  }
  return n;
}

// The first form's checks in their order; returns the receiving PC's address
// (network order).
uint32_t check_prm(const unsolicprm_t& p) {
  expect_field(p.word2 == 5 || p.word2 == 12, 3);
  expect_field(p.word3 >= 0, 4);
  expect_field(p.word4 >= 0, 5);
  expect_field(p.word5 >= 1, 6);
  expect_field(p.word6 >= 1 && p.word6 <= p.word5, 7);
  expect_field(p.count >= 1 && p.count <= kMaxRanges, 8);
  int total = 0;
  for (int i = 0; i < p.count; ++i) {
    const unsolicrng_t& r = p.range[i];
    expect_field(r.kind == 1, 9);
    expect_field(r.adr_type >= 0 && r.adr_type <= 12, 10);
    expect_field(r.start >= 0, 11);
    expect_field(r.length >= 0, 12);
    total += r.length;
  }
  static constexpr int kMaxTotal[kMaxRanges] = {1430, 1414, 1398};
  expect_field(total <= kMaxTotal[p.count - 1], 12);
  // The text need not end within its field. An address that does not parse
  // would reach the controller as 255.255.255.255, a broadcast: refused.
  char text[sizeof p.ipaddr + 1] = {};
  std::memcpy(text, p.ipaddr, sizeof p.ipaddr);
  const uint32_t addr = plat::inet_parse(text);
  expect_field(addr != 0xFFFFFFFFu || std::strcmp(text, "255.255.255.255") == 0, 1);
  return addr;
}

// The item kinds 3, 4 and 5 by their command; 0 for none of them.
int cnc_item_kind(uint16_t cmd) {
  for (int k = 0; k < 3; ++k)
    if (u::kCmdCncData[k] == cmd) return k + 3;
  return 0;
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_wrunsolicprm(uint16_t h, int16_t number, const unsolicprm_t* prm) {
  using namespace u::form1;
  return call(h, __func__, args(number, prm), [&](Call& c) {
    expect_number(number);
    const uint32_t addr = check_prm(*prm);
    PrefixedBody b(c.pdu, kPrefix);
    b.u16(kNumber, uint16_t(number));
    b.bytes(kAddress, &addr, 4);
    b.u16(kWord1, prm->word1);
    b.u16(kWord2, uint16_t(prm->word2));
    b.u32(kWord3, uint32_t(int32_t(prm->word3)));
    b.u16(kWord4, uint16_t(prm->word4));
    b.u16(kWord5, uint16_t(prm->word5));
    b.u16(kWord6, uint16_t(prm->word6));
    for (int i = 0; i < prm->count; ++i) {
      const unsolicrng_t& r = prm->range[i];
      b.rb(kClassPmc, 1, u::kCmdPmcRange, r.start, r.start + r.length - 1, r.adr_type);
    }
    c.exchange(u::kWritePrm);
  });
}

// The whole record is built apart and handed over at the end: a reply that
// fails halfway leaves the caller's record as it was.
OZ_EXPORT int16_t OZ_CALL cnc_rdunsolicprm(uint16_t h, int16_t number, unsolicprm_t* prm) {
  using namespace u::form1;
  return call(h, __func__, args(number, prm), [&](Call& c) {
    const Reader r = read_setting(c, number, u::kReadPrm);
    unsolicprm_t out{};
    std::snprintf(out.ipaddr, sizeof out.ipaddr, "%u.%u.%u.%u", r.u8(kAddress), r.u8(kAddress + 1),
                  r.u8(kAddress + 2), r.u8(kAddress + 3));
    out.word1 = r.u16(kWord1);
    out.word2 = r.i16(kWord2);
    out.word3 = int16_t(r.i32(kWord3));
    out.word4 = r.i16(kWord4);
    out.word5 = r.i16(kWord5);
    out.word6 = r.i16(kWord6);
    out.count = int16_t(each_setting_rb(r, kReplyCount, [&](int i, const SettingRb& rb) {
      if (rb.cmd != u::kCmdPmcRange) raise_error(EW_ENTRYKIND);
      out.range[i] = unsolicrng_t{1, int16_t(rb.a3), int16_t(rb.a1), int16_t(rb.a2 - rb.a1 + 1), {0, 0}};
    }));
    *prm = out;
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wrunsolicprm2(uint16_t h, int16_t number, const unsolicprm2_t* prm) {
  using namespace u::form2;
  return call(h, __func__, args(number, prm), [&](Call& c) {
    expect_number(number);
    expect_field(prm->form >= 1 && prm->form <= 4, 2);
    expect_field(prm->count >= 1 && prm->count <= kMaxRanges, 2);
    PrefixedBody b(c.pdu, kPrefix);
    b.u16(kNumber, uint16_t(number));
    b.bytes(kAddress, prm->address, kAddressLength);
    b.u16(kWords, uint16_t(prm->word1));
    b.u16(kWords + 2, prm->word2);
    b.u16(kWords + 4, prm->word3);
    b.u16(kWords + 6, prm->word4);
    b.u16(kForm, prm->form);
    b.u16(kFormWord1, prm->form_word1);
    if (prm->form <= 2) b.u16(kFormWord2, prm->form_word2);
    b.u32(kValue1, prm->value1);
    b.u32(kValue2, prm->value2);
    for (int i = 0; i < prm->count; ++i) {
      const unsolicitem_t& it = prm->item[i];
      const uint16_t unit = uint16_t(it.unit);
      if (it.kind == 1 || it.kind == 2)
        b.rb(kClassPmc, unit, u::kCmdPmcRange, it.first, int64_t(it.first) + it.last - 1, it.adr_type);
      else if (it.kind >= 3 && it.kind <= 5)
        b.rb(kClassCnc, unit, u::kCmdCncData[it.kind - 3], it.first, it.last, 0);
      else
        raise_error(EW_VALUE, 2, 15);
    }
    c.exchange(u::kWritePrm2);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdunsolicprm2(uint16_t h, int16_t number, unsolicprm2_t* prm) {
  using namespace u::form2;
  return call(h, __func__, args(number, prm), [&](Call& c) {
    const Reader r = read_setting(c, number, u::kReadPrm2);
    unsolicprm2_t out{};
    r.sub(kAddress, kAddressLength).copy(out.address, 0, kAddressLength);
    out.word1 = r.u16(kWords);
    out.word2 = r.u16(kWords + 2);
    out.word3 = r.u16(kWords + 4);
    out.word4 = r.u16(kWords + 6);
    out.form = r.u16(kForm + kReplyShift);
    out.form_word1 = r.u16(kFormWord1 + kReplyShift);
    if (out.form == 1 || out.form == 2) out.form_word2 = r.u16(kFormWord2 + kReplyShift);
    out.value1 = r.u32(kValue1 + kReplyShift);
    out.value2 = r.u32(kValue2 + kReplyShift);
    out.count = uint16_t(each_setting_rb(r, kReplyCount, [&](int i, const SettingRb& rb) {
      const int kind = rb.cmd == u::kCmdPmcRange ? 1 : cnc_item_kind(rb.cmd);
      if (kind == 0) raise_error(EW_ENTRYKIND);
      const int32_t last = kind == 1 ? rb.a2 - rb.a1 + 1 : rb.a2;
      out.item[i] = unsolicitem_t{int16_t(kind), 0, int16_t(rb.path), int16_t(kind == 1 ? rb.a3 : 0),
                                  rb.a1, last};
    }));
    *prm = out;
  });
}

// ---- registration with the message server ------------------------------------------

namespace {

// Start and stop use fixed names for their records; the calls of this
// process take turns with them.
std::mutex& server_turn() {
  static std::mutex m;
  return m;
}

// A record laid in named memory for the server to read while it answers.
class Posted {
 public:
  Posted(const char* name, const void* rec, size_t n) : m_(plat::shared_create(name, n)) {
    if (m_ == nullptr || plat::shared_write(m_, 0, rec, n) != n) {
      close();
      raise_error(EW_PRECONDITION);
    }
  }
  ~Posted() { close(); }
  Posted(const Posted&) = delete;
  Posted& operator=(const Posted&) = delete;
  void close() {
    plat::shared_close(m_);
    m_ = nullptr;
  }

 private:
  plat::Shared* m_;
};

// The server's window, or 0 when no server has published one.
uint64_t server_window() {
  plat::Shared* m = plat::shared_open(u::kServerWindowMap, false);
  if (m == nullptr) return 0;
  uint64_t w = 0;
  if (plat::shared_read(m, 0, &w, sizeof w) != sizeof w) w = 0;
  plat::shared_close(m);
  return w;
}

bool ask_server(uint64_t window, uint32_t msg, uint64_t* answer) {
  return window != 0 && plat::window_send(window, msg, 1, 1, u::kServerLimitMs, answer);
}

uint32_t circuit_address(const Handle& h) {
  return be::get32(reinterpret_cast<const uint8_t*>(&h.circuit->address));
}
uint16_t circuit_port(const Handle& h) { return plat::from_net16(h.circuit->port); }

// Steps up to the registration number: the start record, the server's answer.
int16_t register_with_server(const Handle& h, int16_t number, void* window, uint32_t msgno,
                             int16_t count) {
  const u::StartRecord r{circuit_address(h), circuit_port(h), uint16_t(number), uint16_t(count),
                         uint64_t(reinterpret_cast<uintptr_t>(window)), msgno};
  uint8_t rec[u::kStartRecord];
  u::put_start(r, rec);
  Posted posted(u::kStartMap, rec, sizeof rec);
  const uint64_t server = server_window();
  if (server == 0) raise_error(EW_UNAVAILABLE);
  uint64_t answer = 0;
  const bool answered = ask_server(server, u::kMsgStart, &answer);
  posted.close();
  if (!answered) raise_error(EW_UNAVAILABLE);
  if (answer == u::kRefusedTaken) raise_error(EW_BUFFER);
  if (answer == u::kRefusedFull) raise_error(EW_INUSE);
  if (answer >= u::kRefusal) raise_error(EW_PRECONDITION);
  return int16_t(answer);
}

// Tells the server to forget a registration; nothing here fails the call.
void clear_registration(int16_t reg) {
  plat::Shared* m = plat::shared_create(u::kClearMap, u::kClearRecord);
  if (m == nullptr) return;
  uint64_t answer = 0;
  if (plat::shared_write(m, 0, &reg, sizeof reg) == sizeof reg) ask_server(server_window(), u::kMsgClear, &answer);
  plat::shared_close(m);
}

// A registration the controller did not take up is given back on the way out
// of the failed start, before the frame records the error.
class Registration {
 public:
  explicit Registration(const int16_t* reg) : reg_(reg) {}
  ~Registration() {
    if (!kept_ && *reg_ != 0) clear_registration(*reg_);
  }
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;
  void keep() { kept_ = true; }

 private:
  const int16_t* reg_;
  bool kept_ = false;
};

// The controller answers -1 when the setting transmits already: the
// registration stands and the start counts as done, recorded as a success.
void start_controller(Call& c, int16_t reg, int16_t number) {
  fields_only(c, {uint16_t(reg), uint16_t(number)});
  try {
    c.exchange(u::kStart);
  } catch (const ErrObj& e) {
    if (e.code != EW_INUSE) throw;
    record_error(c.h, EW_SUCCESS, 0, 0, kClassCnc);
  }
}

// Whether the controller lets a setting the server did not know be stopped
// without complaint: bit 4 of parameter 905's data byte (0 when unreadable).
bool stop_of_unknown_tolerated(uint16_t h) {
  param_t p;
  std::memset(&p, 0, sizeof p);
  return cnc_rdparam(h, 905, 0, int16_t(sizeof p), &p) == EW_SUCCESS && (uint8_t(p.u.cdata) & 0x10);
}

// Steps up to the server's answer to a stop; false when the server knew
// nothing of the setting and the controller does not tolerate that.
bool unregister_with_server(const Handle& h, int16_t number) {
  uint8_t rec[u::kStopRecord];
  u::put_stop(circuit_address(h), circuit_port(h), uint16_t(number), rec);
  Posted posted(u::kStopMap, rec, sizeof rec);
  const uint64_t server = server_window();
  if (server == 0) raise_error(EW_UNAVAILABLE);
  const bool tolerated = stop_of_unknown_tolerated(h.number);
  uint64_t answer = 0;
  const bool answered = ask_server(server, u::kMsgStop, &answer);
  posted.close();
  if (!answered) raise_error(EW_UNAVAILABLE);
  if (answer == u::kRefusedUnknown) return tolerated;
  if (answer >= u::kRefusal) raise_error(EW_PRECONDITION);
  return true;
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_unsolicstart(uint16_t h, int16_t number, void* window, uint32_t msgno,
                                           int16_t count, int16_t* reg) {
  return call(h, __func__, args(number, window, msgno, count, reg), [&](Call& c) {
    *reg = 0;
    expect_number(number);
    expect(msgno <= 0x3FFF, EW_KIND);
    expect(count >= 1, EW_VALUE);
    std::lock_guard<std::mutex> turn(server_turn());
    Registration registration(reg);
    *reg = register_with_server(c.h, number, window, msgno, count);
    start_controller(c, *reg, number);
    registration.keep();
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_unsolicstop(uint16_t h, int16_t number) {
  return call(h, __func__, args(number), [&](Call& c) {
    expect_number(number);
    bool known;
    {
      std::lock_guard<std::mutex> turn(server_turn());
      known = unregister_with_server(c.h, number);
    }
    // The controller is told to stop in any case.
    fields_only(c, {uint16_t(number)});
    c.exchange(u::kStop);
    if (!known) raise_error(EW_UNAVAILABLE);
  });
}

// ---- the stored messages -----------------------------------------------------------

namespace {

// The readers name no handle: their failures are logged and returned, with
// no handle to record them in.
template <class F>
int16_t unbound(const char* fn, int16_t reg, const void* msg, F&& body) {
  try {
    body();
    return EW_SUCCESS;
  } catch (const ErrObj& e) {
    OZ_LOG(1) << "Error: " << fn << "(" << reg << ' ' << msg << "): " << e;
    return e.code;
  }
}

// The server's block for a registration, walked through bounded copies: an
// entry that claims more than the memory holds makes the block malformed,
// never a read past it.
class StoredBlock {
 public:
  struct Entry {
    uint16_t tag, word, length;
  };

  explicit StoredBlock(int16_t reg) : m_(plat::shared_open(u::message_map(reg).c_str(), false)) {
    if (m_ == nullptr) raise_error(EW_VALUE);
    size_ = plat::shared_size(m_);
    total_ = word(0);
    short_form_ = total_ == 0 || word(2) == u::kTagShort;
  }
  ~StoredBlock() { plat::shared_close(m_); }
  StoredBlock(const StoredBlock&) = delete;
  StoredBlock& operator=(const StoredBlock&) = delete;

  bool short_form() const { return short_form_; }

  // The next entry, or false once the count is reached or an entry of
  // length 0 ends the block. Its data is next for copy().
  bool next(Entry* e) {
    if (read_ >= total_) return false;
    e->tag = word(at_);
    e->word = short_form_ ? 0 : word(at_ + 2);
    e->length = word(at_ + (short_form_ ? 2 : 4));
    if (e->length == 0) return false;
    data_ = at_ + (short_form_ ? 4 : 6);
    if (data_ + e->length > size_) raise_error(EW_KIND);
    at_ = data_ + e->length;
    ++read_;
    return true;
  }

  // The data of the last entry, first n bytes.
  void copy(void* dst, size_t n) {
    if (n && plat::shared_read(m_, data_, dst, n) != n) raise_error(EW_KIND);
  }

 private:
  uint16_t word(size_t off) {
    uint16_t v = 0;
    if (plat::shared_read(m_, off, &v, sizeof v) != sizeof v) raise_error(EW_KIND);
    return v;
  }

  plat::Shared* m_;
  size_t size_ = 0, at_ = 2, data_ = 0;
  uint16_t total_ = 0, read_ = 0;
  bool short_form_ = true;
};

// The caller names each buffer's size; an entry larger than it is refused
// rather than copied past the buffer.
void expect_room(size_t need, int64_t room, const void* buf) {
  expect(int64_t(need) <= room && (need == 0 || buf != nullptr), EW_SIZE);
}

// 64-bit big-endian values turned to host order where they lie.
void values_to_host(void* buf, size_t n) {
  auto* p = static_cast<uint8_t*>(buf);
  for (size_t i = 0; i < n; ++i, p += 8) {
    const uint64_t v = uint64_t(be::get32(p)) << 32 | be::get32(p + 4);
    std::memcpy(p, &v, 8);
  }
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdunsolicmsg(int16_t reg, unsolicmsg_t* msg) {
  return unbound(__func__, reg, msg, [&] {
    StoredBlock b(reg);
    const uint16_t want = b.short_form() ? u::kTagShort : u::kTagBytes;
    msg->count = 0;
    StoredBlock::Entry e;
    while (msg->count < kMaxRanges && b.next(&e)) {
      expect(e.tag == want, EW_KIND);
      unsolicmsg_entry_t& out = msg->entry[msg->count];
      expect_room(e.length, out.length, out.data);
      b.copy(out.data, e.length);
      out.length = int16_t(e.length);
      ++msg->count;
    }
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdunsolicmsg2(int16_t reg, unsolicmsg2_t* msg) {
  return unbound(__func__, reg, msg, [&] {
    StoredBlock b(reg);
    msg->count = 0;
    StoredBlock::Entry e;
    while (msg->count < kMaxRanges && b.next(&e)) {
      unsolicmsg2_entry_t& out = msg->entry[msg->count];
      const bool values = !b.short_form() && e.tag >= u::kTagValuesFirst && e.tag <= u::kTagValuesLast;
      expect(b.short_form() || e.tag == u::kTagBytes || values, EW_KIND);
      const size_t bytes = values ? e.length / 8 * 8 : e.length;
      expect_room(bytes, out.count, out.data);
      b.copy(out.data, bytes);
      if (values) values_to_host(out.data, bytes / 8);
      out.type = values ? e.tag : 1;
      out.word = b.short_form() ? 1 : e.word;
      out.count = uint32_t(values ? bytes / 8 : bytes);
      ++msg->count;
    }
  });
}
