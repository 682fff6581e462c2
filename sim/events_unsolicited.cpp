// The simulated controller's unsolicited transmission: three settings kept
// as written (first or second form, PDU types 38 and 42), read back in the
// layouts of types 39 and 43, and started and stopped (40, 41). A started
// setting pushes its PMC ranges and CNC data to the message server named in
// it, in our own push format (sim/unsolic_wire.h), at once and then every
// period.
//
// What the setting words mean here (the library only passes them on):
//   first form:  word1 the server's TCP port, word3 the period in 100 ms
//                (0: one push at the start); the others are kept as given.
//   second form: the low 16 bits of word1 the port, word3 the period; the
//                address text names the server.
// CNC data items (kinds 3 to 5) carry, for each number first..last (at most
// 128), the number itself as a 64-bit value, so a reader sees which arrived.
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "base/be.h"
#include "base/pc_programs.h"
#include "platform/platform.h"
#include "sim/machine.h"
#include "sim/pmc_state.h"
#include "sim/unsolic_wire.h"

namespace oz::sim {
namespace {

namespace u = oz::unsolic;

constexpr int kSettings = 3;
constexpr int kMaxValues = 128;

struct Setting {
  int form = 0;                 // 0: never written
  uint32_t address_be = 0;      // first form
  uint8_t address_text[u::form2::kAddressLength] = {};   // second form
  uint16_t words[6] = {};       // first form: word1..word6 (word3 low half); second: word1..word4
  int32_t word3 = 0;            // first form, as sent
  uint16_t form_no = 0, form_word1 = 0, form_word2 = 0;
  uint32_t value1 = 0, value2 = 0;
  std::vector<RbRequest> rbs;
  bool running = false;
  uint16_t reg = 0;
  uint32_t due = 0;             // tick of the next push
  bool once_done = false;
};

struct UnsolicState {
  Setting s[kSettings];
  std::thread pusher;
  bool closing = false;
  std::condition_variable_any wake;
};

// ---- the PDUs -----------------------------------------------------------------------

// Body offsets from the PDU offsets the library and the layouts use.
constexpr size_t body(int pdu_offset) { return size_t(pdu_offset - kPduHeader); }

uint16_t get16(const std::vector<uint8_t>& b, size_t at) { return at + 2 <= b.size() ? be::get16(&b[at]) : 0; }
uint32_t get32(const std::vector<uint8_t>& b, size_t at) { return at + 4 <= b.size() ? be::get32(&b[at]) : 0; }
void put16(std::vector<uint8_t>& b, size_t at, uint16_t v) { be::put16(&b[at], v); }
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { be::put32(&b[at], v); }

// The RBs of a settings reply go back in request form.
void append_rb(std::vector<uint8_t>& b, const RbRequest& q) {
  const size_t at = b.size();
  b.resize(at + kRbRequestHeader, 0);
  put16(b, at, kRbRequestHeader);
  put16(b, at + 2, q.cls);
  put16(b, at + 4, q.path);
  put16(b, at + 6, q.cmd);
  put32(b, at + 8, uint32_t(q.a1));
  put32(b, at + 12, uint32_t(q.a2));
  put32(b, at + 16, uint32_t(q.a3));
}

void refuse(Conn& c, uint8_t type, int16_t code) { c.send(type, kDirError, error_body(0, code, 0, 0)); }

// The setting a request names at body offset `at`, or null (refused with 3).
Setting* setting_of(UnsolicState& st, Conn& c, const ReceivedPdu& p, size_t at = 0) {
  const uint16_t n = get16(p.body, at);
  if (n < 1 || n > kSettings) {
    refuse(c, p.type, 3);
    return nullptr;
  }
  return &st.s[n - 1];
}

// The RB list behind a prefix; false (refused with 5) when it does not add
// up or holds a command the form does not know.
bool take_rbs(Conn& c, const ReceivedPdu& p, int prefix, bool cnc_items, std::vector<RbRequest>* out) {
  const std::vector<uint8_t> list(p.body.begin() + std::min<size_t>(p.body.size(), size_t(prefix)), p.body.end());
  bool ok = parse_rb_list(list, out) && !out->empty() && out->size() <= 3;
  for (const RbRequest& q : *out) {
    const bool cnc = std::find(std::begin(u::kCmdCncData), std::end(u::kCmdCncData), q.cmd) != std::end(u::kCmdCncData);
    ok = ok && (q.cmd == u::kCmdPmcRange || (cnc_items && cnc));
  }
  if (!ok) refuse(c, p.type, 5);
  return ok;
}

void write_form1(UnsolicState& st, Conn& c, const ReceivedPdu& p) {
  using namespace u::form1;
  Setting* s = setting_of(st, c, p);
  std::vector<RbRequest> rbs;
  if (!s || !take_rbs(c, p, kPrefix, false, &rbs)) return;
  s->form = 1;
  std::memcpy(&s->address_be, &p.body[body(kAddress)], 4);
  const int at[6] = {kWord1, kWord2, kWord3 + 2, kWord4, kWord5, kWord6};
  for (int i = 0; i < 6; ++i) s->words[i] = get16(p.body, body(at[i]));
  s->word3 = int32_t(get32(p.body, body(kWord3)));
  s->rbs = std::move(rbs);
  c.send(p.type, kDirResponse, {});
}

void read_form1(UnsolicState& st, Conn& c, const ReceivedPdu& p) {
  using namespace u::form1;
  Setting* s = setting_of(st, c, p);
  if (!s) return;
  std::vector<uint8_t> b(body(kReplyCount) + 2, 0);
  put16(b, 0, get16(p.body, 0));
  if (s->form == 1) {
    std::memcpy(&b[body(kAddress)], &s->address_be, 4);
    const int at[6] = {kWord1, kWord2, kWord3 + 2, kWord4, kWord5, kWord6};
    for (int i = 0; i < 6; ++i) put16(b, body(at[i]), s->words[i]);
    put32(b, body(kWord3), uint32_t(s->word3));
    put16(b, body(kReplyCount), uint16_t(s->rbs.size()));
    for (const RbRequest& q : s->rbs) append_rb(b, q);
  }
  c.send(p.type, kDirResponse, b);
}

void write_form2(UnsolicState& st, Conn& c, const ReceivedPdu& p) {
  using namespace u::form2;
  Setting* s = setting_of(st, c, p);
  std::vector<RbRequest> rbs;
  if (!s || !take_rbs(c, p, kPrefix, true, &rbs)) return;
  s->form = 2;
  std::memcpy(s->address_text, &p.body[body(kAddress)], kAddressLength);
  for (int i = 0; i < 4; ++i) s->words[i] = get16(p.body, body(kWords + 2 * i));
  s->form_no = get16(p.body, body(kForm));
  s->form_word1 = get16(p.body, body(kFormWord1));
  s->form_word2 = get16(p.body, body(kFormWord2));
  s->value1 = get32(p.body, body(kValue1));
  s->value2 = get32(p.body, body(kValue2));
  s->rbs = std::move(rbs);
  c.send(p.type, kDirResponse, {});
}

void read_form2(UnsolicState& st, Conn& c, const ReceivedPdu& p) {
  using namespace u::form2;
  Setting* s = setting_of(st, c, p);
  if (!s) return;
  std::vector<uint8_t> b(body(kReplyCount) + 2, 0);
  put16(b, 0, get16(p.body, 0));
  if (s->form == 2) {
    std::memcpy(&b[body(kAddress)], s->address_text, kAddressLength);
    for (int i = 0; i < 4; ++i) put16(b, body(kWords + 2 * i), s->words[i]);
    put16(b, body(kForm + kReplyShift), s->form_no);
    put16(b, body(kFormWord1 + kReplyShift), s->form_word1);
    put16(b, body(kFormWord2 + kReplyShift), s->form_word2);
    put32(b, body(kValue1 + kReplyShift), s->value1);
    put32(b, body(kValue2 + kReplyShift), s->value2);
    put16(b, body(kReplyCount), uint16_t(s->rbs.size()));
    for (const RbRequest& q : s->rbs) append_rb(b, q);
  }
  c.send(p.type, kDirResponse, b);
}

// ---- pushing ----------------------------------------------------------------------

uint32_t period_ms(const Setting& s) { return uint32_t(s.words[2]) * 100u; }

// Bytes first..last of a PMC area; what the memory does not hold reads as 0.
std::vector<uint8_t> pmc_bytes(Machine& m, uint16_t unit, int32_t area, int32_t first, int32_t last) {
  std::vector<uint8_t> out(size_t(std::clamp(last - first + 1, 0, int32_t(push::kMaxBlock))), 0);
  auto& units = m.state<PmcState>().units;
  auto it = units.find(unit);
  if (it == units.end() || area < 0 || area >= int32_t(it->second.area.size())) return out;
  const auto& mem = it->second.area[size_t(area)];
  for (size_t i = 0; i < out.size(); ++i) {
    const int64_t at = int64_t(first) + int64_t(i);
    if (at >= 0 && uint64_t(at) < mem.size()) out[i] = mem[size_t(at)];
  }
  return out;
}

std::vector<uint8_t> number_values(int32_t first, int32_t last) {
  std::vector<uint8_t> out;
  for (int64_t n = first; n <= last && out.size() < size_t(8 * kMaxValues); ++n) {
    uint8_t v[8];
    be::put32(v, uint32_t(uint64_t(n) >> 32));
    be::put32(v + 4, uint32_t(n));
    out.insert(out.end(), v, v + 8);
  }
  return out;
}

std::vector<uint8_t> block_of(Machine& m, const Setting& s) {
  std::vector<push::BlockEntry> entries;
  for (const RbRequest& q : s.rbs) {
    if (q.cmd == u::kCmdPmcRange) {
      const uint16_t tag = s.form == 1 ? u::kTagShort : u::kTagBytes;
      entries.push_back({tag, uint16_t(q.a3), pmc_bytes(m, q.path, q.a3, q.a1, q.a2)});
    } else {
      const auto k = std::find(std::begin(u::kCmdCncData), std::end(u::kCmdCncData), q.cmd);
      entries.push_back({uint16_t(u::kTagValuesFirst + (k - std::begin(u::kCmdCncData))), q.path,
                         number_values(q.a1, q.a2)});
    }
  }
  return push::stored_block(entries);
}

// The server a setting names: address (network order) and port.
std::pair<uint32_t, uint16_t> destination(const Setting& s) {
  if (s.form == 1) return {s.address_be, s.words[0]};
  char text[u::form2::kAddressLength + 1] = {};
  std::memcpy(text, s.address_text, u::form2::kAddressLength);
  return {plat::inet_parse(text), s.words[0]};
}

// One connection per message; a server that is not there loses the message,
// as a datagram would be lost.
void send_push(uint32_t addr_be, uint16_t port, const std::vector<uint8_t>& frame) {
  const plat::sock_t s = plat::sock_create();
  if (s == plat::kBadSock) return;
  plat::sock_set_nonblocking(s, true);
  const bool connected = plat::sock_connect(s, addr_be, plat::to_net16(port)) == 0 ||
                         (plat::sock_select(s, 1, 1, 0) == 1 && plat::sock_pending_error(s) == 0);
  plat::sock_set_nonblocking(s, false);
  size_t sent = 0;
  while (connected && sent < frame.size()) {
    const int r = plat::sock_send(s, frame.data() + sent, int(frame.size() - sent), 0);
    if (r <= 0) break;
    sent += size_t(r);
  }
  plat::sock_close(s);
}

struct Push {
  uint32_t addr;
  uint16_t port;
  std::vector<uint8_t> frame;
};

// The pushes due now, made under the machine lock; the next due times set.
std::vector<Push> due_pushes(Machine& m, UnsolicState& st, uint32_t now) {
  std::vector<Push> out;
  for (int i = 0; i < kSettings; ++i) {
    Setting& s = st.s[i];
    if (!s.running || s.once_done || int32_t(now - s.due) < 0) continue;
    const auto [addr, port] = destination(s);
    out.push_back({addr, port, push::frame(s.reg, uint16_t(i + 1), block_of(m, s))});
    const uint32_t period = std::max<uint32_t>(period_ms(s), 100);
    s.once_done = period_ms(s) == 0;
    s.due = now + period;
  }
  return out;
}

void push_loop(Machine& m, UnsolicState& st) {
  for (;;) {
    std::vector<Push> pushes;
    {
      auto l = m.lock();
      if (st.closing) return;
      pushes = due_pushes(m, st, plat::tick_ms());
    }
    for (const Push& p : pushes) send_push(p.addr, p.port, p.frame);
    auto l = m.lock();
    if (st.closing) return;
    st.wake.wait_for(l, std::chrono::milliseconds(50));
  }
}

void start(Machine& m, UnsolicState& st, Conn& c, const ReceivedPdu& p) {
  Setting* s = setting_of(st, c, p, 2);   // after the registration number
  if (!s) return;
  if (s->form == 0) return refuse(c, p.type, 5);
  const bool was_running = s->running;
  // A running setting takes the new registration, and says it ran already.
  s->reg = get16(p.body, 0);
  s->running = true;
  s->once_done = false;
  s->due = plat::tick_ms();
  if (!st.pusher.joinable()) st.pusher = std::thread([&m, &st] { push_loop(m, st); });
  st.wake.notify_all();
  if (was_running) return refuse(c, p.type, -1);
  c.send(p.type, kDirResponse, {});
}

void stop(UnsolicState& st, Conn& c, const ReceivedPdu& p) {
  Setting* s = setting_of(st, c, p);
  if (!s) return;
  s->running = false;
  c.send(p.type, kDirResponse, {});
}

}  // namespace

OZ_SIM_FAMILY(events_unsolicited) {
  auto& st = m.state<UnsolicState>();
  auto on = [&m, &st](uint8_t type, void (*f)(Machine&, UnsolicState&, Conn&, const ReceivedPdu&)) {
    m.server().on_pdu(type, [&m, &st, f](Conn& c, const ReceivedPdu& p) {
      auto l = m.lock();
      f(m, st, c, p);
    });
  };
  on(u::kWritePrm, [](Machine&, UnsolicState& s, Conn& c, const ReceivedPdu& p) { write_form1(s, c, p); });
  on(u::kReadPrm, [](Machine&, UnsolicState& s, Conn& c, const ReceivedPdu& p) { read_form1(s, c, p); });
  on(u::kWritePrm2, [](Machine&, UnsolicState& s, Conn& c, const ReceivedPdu& p) { write_form2(s, c, p); });
  on(u::kReadPrm2, [](Machine&, UnsolicState& s, Conn& c, const ReceivedPdu& p) { read_form2(s, c, p); });
  on(u::kStart, start);
  on(u::kStop, [](Machine&, UnsolicState& s, Conn& c, const ReceivedPdu& p) { stop(s, c, p); });
  m.on_close([&m, &st] {
    {
      auto l = m.lock();
      st.closing = true;
    }
    st.wake.notify_all();
    if (st.pusher.joinable()) st.pusher.join();
  });
}

}  // namespace oz::sim
