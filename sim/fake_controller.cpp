#include "sim/fake_controller.h"
#include "sim/listen.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <deque>
#include <list>
#include <stdexcept>
#include <thread>
#include <utility>

#include "platform/platform.h"
#include "base/be.h"
#include "base/protocol.h"

namespace oz::sim {

namespace {

constexpr size_t kHeader = kPduHeader, kRbHeader = kRbRequestHeader, kReplyRbHeader = kRbReplyHeader;
// Result words of the built-in answers.
constexpr int16_t kUnregistered = 1, kNoSuchPath = 3, kMalformedRequest = 5;

// Byte by byte: GCC 12 at -O3 misreads a two-byte range insert into a fresh
// vector as an overflow (-Wstringop-overflow).
void append16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(uint8_t(x >> 8));
  v.push_back(uint8_t(x));
}

void append32(std::vector<uint8_t>& v, uint32_t x) {
  append16(v, uint16_t(x >> 16));
  append16(v, uint16_t(x));
}

void put16_at(std::vector<uint8_t>& v, size_t off, uint16_t x) {
  if (off + 2 <= v.size()) be::put16(v.data() + off, x);
}

}  // namespace

// ---- records and replies ------------------------------------------------

std::array<uint8_t, 18> sysinfo_record(uint16_t addinfo, uint16_t max_axes, const char* cnc_type,
                                       const char* machine_type, const char* series,
                                       const char* version, const char* axes) {
  std::array<uint8_t, 18> r{};
  be::put16(&r[0], addinfo);
  be::put16(&r[2], max_axes);
  auto chars = [&r](size_t off, const char* s, size_t n) {
    bool ended = s == nullptr;
    for (size_t i = 0; i < n; ++i) {
      if (!ended && s[i] == '\0') ended = true;
      r[off + i] = ended ? uint8_t(' ') : uint8_t(s[i]);
    }
  };
  chars(4, cnc_type, 2);
  chars(6, machine_type, 2);
  chars(8, series, 4);
  chars(12, version, 4);
  chars(16, axes, 2);
  return r;
}

PathSetup& PathSetup::axes(uint16_t n) {
  e[3] = n;
  w[2] = n;
  return *this;
}

PathSetup& PathSetup::spindles(uint16_t n) {
  e[5] = n;
  w[3] = n;
  return *this;
}

FakeConfig FakeConfig::standard(uint16_t version, int paths) {
  FakeConfig c;
  c.version = version;
  int n = std::clamp(paths, 1, 15);
  c.paths.assign(size_t(n), PathSetup{});
  c.cnc_paths = uint16_t(n);
  return c;
}

RbReply& RbReply::i16(int16_t v) {
  append16(data, uint16_t(v));
  return *this;
}

RbReply& RbReply::i32(int32_t v) {
  append32(data, uint32_t(v));
  return *this;
}

RbReply& RbReply::bytes(const void* p, size_t n) {
  auto b = static_cast<const uint8_t*>(p);
  data.insert(data.end(), b, b + n);
  return *this;
}

RbReply& RbReply::text(const std::string& s, size_t width) {
  for (size_t i = 0; i < width; ++i) data.push_back(i < s.size() ? uint8_t(s[i]) : uint8_t(' '));
  return *this;
}

RbReply RbReply::fail(int16_t result, uint16_t detail, uint16_t sub) {
  RbReply r;
  r.result = result;
  r.detail = detail;
  r.sub = sub;
  return r;
}

// ---- codec ----------------------------------------------------------------

std::vector<uint8_t> make_pdu(uint16_t version, uint8_t type, uint8_t direction,
                              const std::vector<uint8_t>& body) {
  std::vector<uint8_t> p;
  p.reserve(kHeader + body.size());
  append32(p, kPduMark);
  append16(p, version);
  p.push_back(type);
  p.push_back(direction);
  append16(p, uint16_t(body.size()));
  p.insert(p.end(), body.begin(), body.end());
  return p;
}

std::vector<uint8_t> initiate_reply(const FakeConfig& cfg) {
  const size_t n = cfg.paths.size();
  const bool old = cfg.version <= 2;
  const size_t fixed = old ? 16 : 40, rec = old ? 8 : 32;
  std::vector<uint8_t> body(fixed + rec * n, 0);
  std::vector<uint8_t> p = make_pdu(cfg.version, kInitiate, kDirResponse, body);
  put16_at(p, 12, cfg.kind);
  if (old) {
    put16_at(p, 14, cfg.max_axes);
    put16_at(p, 16, cfg.max_spindles);
    put16_at(p, 18, uint16_t(n));
    put16_at(p, 20, cfg.cnc_paths);
    for (size_t i = 0; i < n; ++i) {
      auto words = cfg.paths[i].w;
      words[0] = cfg.paths[i].sys_code;
      for (size_t k = 0; k < words.size(); ++k) put16_at(p, 26 + 8 * i + 2 * k, words[k]);
    }
  } else {
    put16_at(p, 14, cfg.path_level);
    put16_at(p, 16, cfg.max_axes);
    put16_at(p, 18, cfg.max_spindles);
    put16_at(p, 20, uint16_t(n));
    put16_at(p, 32, cfg.cnc_paths);
    put16_at(p, 44, uint16_t(cfg.key >> 16));
    put16_at(p, 46, uint16_t(cfg.key));
    for (size_t i = 0; i < n; ++i) {
      auto words = cfg.paths[i].e;
      words[0] = cfg.paths[i].sys_code;
      for (size_t k = 0; k < words.size(); ++k) put16_at(p, 50 + 32 * i + 2 * k, words[k]);
    }
  }
  for (const auto& [off, v] : cfg.fixed)
    if (off >= 0) put16_at(p, size_t(off), v);
  return p;
}

bool parse_rb_list(const std::vector<uint8_t>& body, std::vector<RbRequest>* out) {
  out->clear();
  if (body.size() < 2) return false;
  const uint8_t* b = body.data();
  const size_t total = body.size();
  const uint16_t count = be::get16(b);
  size_t pos = 2;
  for (uint16_t i = 0; i < count; ++i) {
    if (total - pos < kRbHeader) return false;
    const uint8_t* r = b + pos;
    const size_t size = be::get16(r), len = be::get16(r + 26);
    if (size < kRbHeader || size > total - pos || kRbHeader + len > size) return false;
    RbRequest q;
    q.cls = be::get16(r + 2);
    q.path = be::get16(r + 4);
    q.cmd = be::get16(r + 6);
    q.a1 = int32_t(be::get32(r + 8));
    q.a2 = int32_t(be::get32(r + 12));
    q.a3 = int32_t(be::get32(r + 16));
    q.a4 = int32_t(be::get32(r + 20));
    q.a5 = int16_t(be::get16(r + 24));
    q.data.assign(r + kRbHeader, r + kRbHeader + len);
    out->push_back(std::move(q));
    pos += size;
  }
  if (pos != total) {
    out->clear();
    return false;
  }
  return true;
}

std::vector<uint8_t> rb_reply_body(const std::vector<RbRequest>& reqs,
                                   const std::vector<RbReply>& replies) {
  std::vector<uint8_t> b;
  append16(b, uint16_t(replies.size()));
  for (size_t i = 0; i < replies.size(); ++i) {
    const RbReply& r = replies[i];
    append16(b, uint16_t(kReplyRbHeader + r.data.size()));
    append16(b, i < reqs.size() ? reqs[i].cls : 0);
    append16(b, 0);
    append16(b, 0);
    append16(b, uint16_t(r.result));
    append16(b, r.detail);
    append16(b, r.sub);
    append16(b, uint16_t(r.data.size()));
    b.insert(b.end(), r.data.begin(), r.data.end());
  }
  return b;
}

std::vector<uint8_t> error_body(uint16_t location, int16_t code, uint16_t detail, uint16_t sub) {
  std::vector<uint8_t> b;
  append16(b, location);
  append16(b, uint16_t(code));
  append16(b, detail);
  append16(b, sub);
  return b;
}

std::string unscramble_id(const uint8_t* d, uint16_t key44, uint16_t key46) {
  const uint8_t k0 = uint8_t(key44), k1 = uint8_t(key44 >> 8);
  const uint8_t k2 = uint8_t(key46), k3 = uint8_t(key46 >> 8);
  std::string s(8, '\0');
  s[6] = char(d[0] ^ k2);
  s[0] = char(d[1] ^ k0);
  s[5] = char(d[2] ^ k3);
  s[2] = char(d[3] ^ k1);
  s[1] = char(d[4] ^ k0);
  s[4] = char(d[5] ^ k3);
  s[7] = char(d[6] ^ k1);
  s[3] = char(d[7] ^ k2);
  return s;
}

// ---- faults ---------------------------------------------------------------

Fault& Fault::silence() { return edit([](Plan& s) { s.silence = true; }); }
Fault& Fault::delay(uint32_t ms) { return edit([ms](Plan& s) { s.delay_ms = ms; }); }
Fault& Fault::close() { return edit([](Plan& s) { s.close = true; }); }
Fault& Fault::bad_mark(uint32_t m) { return edit([m](Plan& s) { s.mark = m; }); }
Fault& Fault::direction(uint8_t d) { return edit([d](Plan& s) { s.direction = d; }); }
Fault& Fault::version(uint16_t v) { return edit([v](Plan& s) { s.version = v; }); }
Fault& Fault::data_size(uint16_t n) { return edit([n](Plan& s) { s.data_size = n; }); }
Fault& Fault::rb_size_delta(int d) { return edit([d](Plan& s) { s.rb_size_delta = d; }); }
Fault& Fault::rb_count(uint16_t n) { return edit([n](Plan& s) { s.rb_count = n; }); }
Fault& Fault::error_response(int16_t code, uint16_t detail, uint16_t sub, uint16_t location) {
  return edit([=](Plan& s) { s.error = Plan::Err{code, detail, sub, location}; });
}
Fault& Fault::before(uint8_t type, std::vector<uint8_t> body, uint8_t dir) {
  return edit([&](Plan& s) { s.before.push_back({type, dir, std::move(body)}); });
}
Fault& Fault::raw(std::vector<uint8_t> bytes) {
  return edit([&](Plan& s) { s.raw = std::move(bytes); });
}
Fault& Fault::split(std::vector<size_t> chunks, uint32_t gap_ms) {
  return edit([&](Plan& s) {
    s.split = std::move(chunks);
    s.gap_ms = gap_ms;
  });
}
Fault& Fault::cut(size_t n) { return edit([n](Plan& s) { s.cut = n; }); }
Fault& Fault::only(uint8_t type) { return edit([type](Plan& s) { s.only = type; }); }

// ---- the server -----------------------------------------------------------

class ConnImpl;

struct FakeController::Impl {
  explicit Impl(FakeConfig c) : cfg(std::move(c)), init_reply(initiate_reply(cfg)) {}

  const FakeConfig cfg;
  const std::vector<uint8_t> init_reply;
  plat::sock_t listener = plat::kBadSock;
  uint16_t port = 0;
  std::thread acceptor;

  // One lock for all shared state; handlers are copied out and called without it.
  mutable std::mutex mu;
  // Wakes naps (on stop or a dropped connection) and wait_received().
  mutable std::condition_variable cv;
  bool stopping = false;
  bool recording = true;
  bool acceptor_running = false;
  int accept_limit = INT_MAX;
  int accepted = 0;
  std::vector<uint32_t> ticks;
  std::vector<plat::sock_t> wakers;
  std::vector<std::shared_ptr<ConnImpl>> conns;
  std::map<std::pair<uint16_t, uint16_t>, RbHandler> rb;
  RbHandler other_rb;
  std::map<uint8_t, PduHandler> pdu;
  // Faults stay alive until the controller dies: next() hands out references
  // that a test may still hold after the fault was used.
  std::list<Fault> faults;
  std::map<int, std::deque<Fault*>> queues;
  std::vector<ReceivedPdu> received;
  std::vector<RbRequest> requests;
  std::vector<std::string> ids;

  void accept_loop();
  void wake_acceptor_locked();
  void close_listener_locked();
  std::vector<std::shared_ptr<ConnImpl>> take_conns_locked(bool only_done);
  static void finish(std::vector<std::shared_ptr<ConnImpl>>& cs);
  // Sleeps up to ms; false when the fake stops or the connection was dropped meanwhile.
  bool nap(uint32_t ms, const ConnImpl& c);
  std::optional<Fault::Plan> record(const ReceivedPdu& p, std::vector<RbRequest>* rbs);
  RbReply answer(const RbRequest& q);
  PduHandler pdu_handler(uint8_t type);
  void register_builtins();
};

class ConnImpl final : public Conn {
 public:
  ConnImpl(FakeController::Impl& owner, plat::sock_t s, int serial)
      : owner_(owner), s_(s), serial_(serial) {}
  // Closing happens here, when the last holder lets go, so a concurrent
  // send_to() can never write to a descriptor that was reused.
  ~ConnImpl() override { plat::sock_close(s_); }

  int sock() const override { return role_.load(); }
  int serial() const override { return serial_; }
  bool send(uint8_t type, uint8_t direction, const std::vector<uint8_t>& body) override {
    return answer(make_pdu(owner_.cfg.version, type, direction, body));
  }
  bool send_raw(const std::vector<uint8_t>& bytes) override { return write(bytes, bytes.size()); }
  void close() override { close_after_ = true; }

  void run();
  // Shuts the socket down: the peer sees the end of the stream and a thread
  // blocked in recv or send on it wakes up.
  void drop();
  bool dropped() const { return dropped_.load(); }
  bool done() const { return done_.load(); }
  bool write(const std::vector<uint8_t>& bytes, size_t n);

  std::thread thread;

 private:
  bool read_exact(uint8_t* p, size_t n);
  void handle(const ReceivedPdu& p, std::vector<RbRequest>* rbs, const Fault::Plan* f);
  void dispatch(const ReceivedPdu& p, std::vector<RbRequest>* rbs);
  bool answer(std::vector<uint8_t> pdu);
  void send_replacement();
  bool write_shaped(const std::vector<uint8_t>& bytes);
  void mangle(std::vector<uint8_t>& pdu) const;

  FakeController::Impl& owner_;
  const plat::sock_t s_;
  const int serial_;
  std::atomic<int> role_{0};
  std::atomic<bool> dropped_{false}, done_{false};
  std::mutex send_mu_;   // keeps PDUs from different threads whole on the wire
  // Connection-thread only: the fault shaping the answer to the current PDU.
  const Fault::Plan* fault_ = nullptr;
  bool fault_used_ = false;
  std::atomic<bool> close_after_{false};
  uint8_t req_type_ = 0;
};

// ---- connection -----------------------------------------------------------

bool ConnImpl::read_exact(uint8_t* p, size_t n) {
  while (n > 0) {
    int r = plat::sock_recv(s_, p, int(std::min<size_t>(n, 1 << 16)), 0);
    if (r <= 0) return false;
    p += r;
    n -= size_t(r);
  }
  return true;
}

bool ConnImpl::write(const std::vector<uint8_t>& bytes, size_t n) {
  std::lock_guard<std::mutex> l(send_mu_);
  size_t pos = 0;
  n = std::min(n, bytes.size());
  while (pos < n) {
    if (dropped_) return false;
    int r = plat::sock_send(s_, bytes.data() + pos, int(n - pos), 0);
    if (r <= 0) return false;
    pos += size_t(r);
  }
  return true;
}

void ConnImpl::drop() {
  {
    std::lock_guard<std::mutex> l(owner_.mu);
    dropped_ = true;
  }
  owner_.cv.notify_all();
  plat::sock_shutdown(s_);
}

void ConnImpl::run() {
  for (;;) {
    uint8_t hdr[kHeader];
    if (!read_exact(hdr, kHeader)) break;
    ReceivedPdu p;
    p.mark = be::get32(hdr + kPduMarkAt);
    p.version = be::get16(hdr + kPduVersionAt);
    p.type = hdr[kPduTypeAt];
    p.direction = hdr[kPduDirAt];
    p.body.resize(be::get16(hdr + kPduSizeAt));
    if (!p.body.empty() && !read_exact(p.body.data(), p.body.size())) break;
    p.tick = plat::tick_ms();
    p.raw.assign(hdr, hdr + kHeader);
    p.raw.insert(p.raw.end(), p.body.begin(), p.body.end());
    if (p.type == kInitiate && p.body.size() >= 2) role_ = be::get16(p.body.data());
    p.sock = role_;
    p.conn = serial_;

    std::vector<RbRequest> rbs;
    bool rbs_ok = false;
    if (p.type == kRequest && p.mark == kPduMark) {
      rbs_ok = parse_rb_list(p.body, &rbs);
      for (auto& q : rbs) {
        q.sock = p.sock;
        q.conn = serial_;
      }
    }
    std::optional<Fault::Plan> f = owner_.record(p, rbs_ok ? &rbs : nullptr);
    // Without the mark nothing tells where the next PDU starts.
    if (p.mark != kPduMark) break;
    handle(p, rbs_ok ? &rbs : nullptr, f ? &*f : nullptr);
    if (close_after_ || dropped_) break;
  }
  drop();
  done_ = true;
}

void ConnImpl::handle(const ReceivedPdu& p, std::vector<RbRequest>* rbs, const Fault::Plan* f) {
  if (f) {
    if (f->delay_ms > 0 && !owner_.nap(f->delay_ms, *this)) return;
    for (const auto& b : f->before)
      write(make_pdu(owner_.cfg.version, b.type, b.direction, b.body), SIZE_MAX);
  }
  fault_ = f;
  fault_used_ = false;
  req_type_ = p.type;
  dispatch(p, rbs);
  if (f) {
    // A replacement stands in for the answer even when the PDU drew none.
    if (!fault_used_ && !f->silence && !f->close && (f->raw || f->error)) send_replacement();
    if (f->close) close_after_ = true;
  }
  fault_ = nullptr;
}

void ConnImpl::dispatch(const ReceivedPdu& p, std::vector<RbRequest>* rbs) {
  if (PduHandler h = owner_.pdu_handler(p.type)) {
    h(*this, p);
    return;
  }
  const uint16_t v = owner_.cfg.version;
  switch (p.type) {
    case kInitiate:
      answer(owner_.init_reply);
      return;
    case kClose:
      answer(make_pdu(v, kClose, kDirResponse, {}));
      return;
    case kRequest: {
      if (!rbs) {
        answer(make_pdu(v, kRequest, kDirError, error_body(0, kMalformedRequest, 0, 0)));
        return;
      }
      std::vector<RbReply> out;
      out.reserve(rbs->size());
      for (const auto& q : *rbs) out.push_back(owner_.answer(q));
      answer(make_pdu(v, kRequest, kDirResponse, rb_reply_body(*rbs, out)));
      return;
    }
    default:
      if (p.direction == kDirRequest)
        answer(make_pdu(v, p.type, kDirError, error_body(0, kUnregistered, 0, 0)));
      return;
  }
}

bool ConnImpl::answer(std::vector<uint8_t> pdu) {
  if (!fault_) return write(pdu, pdu.size());
  const Fault::Plan& f = *fault_;
  if (f.silence || f.close) {
    fault_used_ = true;
    return true;
  }
  if (f.raw || f.error) {
    if (!fault_used_) send_replacement();
    return true;
  }
  // Only the first PDU of a multi-PDU answer is shaped; the rest go out as they are.
  if (fault_used_) return write(pdu, pdu.size());
  fault_used_ = true;
  mangle(pdu);
  return write_shaped(pdu);
}

void ConnImpl::send_replacement() {
  const Fault::Plan& f = *fault_;
  fault_used_ = true;
  if (f.raw) {
    write_shaped(*f.raw);
    return;
  }
  std::vector<uint8_t> pdu = make_pdu(owner_.cfg.version, req_type_, kDirError,
                                      error_body(f.error->location, f.error->code,
                                                 f.error->detail, f.error->sub));
  mangle(pdu);
  write_shaped(pdu);
}

void ConnImpl::mangle(std::vector<uint8_t>& pdu) const {
  const Fault::Plan& f = *fault_;
  if (pdu.size() < kHeader) return;
  if (f.rb_size_delta != 0 && pdu.size() >= kHeader + 2) {
    const size_t count = be::get16(pdu.data() + kHeader);
    size_t pos = kHeader + 2;
    for (size_t i = 0; i + 1 < count && pos + 2 <= pdu.size(); ++i) pos += be::get16(&pdu[pos]);
    if (count > 0 && pos + 2 <= pdu.size())
      be::put16(&pdu[pos], uint16_t(be::get16(&pdu[pos]) + f.rb_size_delta));
  }
  if (f.rb_count) put16_at(pdu, kHeader, *f.rb_count);
  if (f.mark) be::put32(pdu.data() + kPduMarkAt, *f.mark);
  if (f.version) be::put16(pdu.data() + kPduVersionAt, *f.version);
  if (f.direction) pdu[kPduDirAt] = *f.direction;
  if (f.data_size) {
    be::put16(pdu.data() + kPduSizeAt, *f.data_size);
    pdu.resize(kHeader + *f.data_size, 0);
  }
}

bool ConnImpl::write_shaped(const std::vector<uint8_t>& bytes) {
  const Fault::Plan& f = *fault_;
  const size_t limit = f.cut ? std::min(*f.cut, bytes.size()) : bytes.size();
  bool ok = true;
  if (f.split.empty()) {
    ok = write(bytes, limit);
  } else {
    // Pieces go out as separate segments (no-delay is on), with the gap in
    // between, so the reader sees partial PDUs.
    std::vector<uint8_t> piece;
    size_t pos = 0;
    for (size_t i = 0; ok && pos < limit; ++i) {
      const size_t n = i < f.split.size() ? std::min(f.split[i], limit - pos) : limit - pos;
      piece.assign(bytes.begin() + std::ptrdiff_t(pos), bytes.begin() + std::ptrdiff_t(pos + n));
      ok = write(piece, n);
      pos += n;
      if (ok && pos < limit && f.gap_ms > 0) ok = owner_.nap(f.gap_ms, *this);
    }
  }
  if (f.cut) drop();
  return ok;
}

// ---- controller -----------------------------------------------------------

std::optional<Fault::Plan> FakeController::Impl::record(const ReceivedPdu& p,
                                                        std::vector<RbRequest>* rbs) {
  std::optional<Fault::Plan> f;
  {
    std::lock_guard<std::mutex> l(mu);
    if (recording) {
      received.push_back(p);
      if (rbs) requests.insert(requests.end(), rbs->begin(), rbs->end());
    }
    auto q = queues.find(p.sock);
    if (p.mark == kPduMark && q != queues.end() && !q->second.empty()) {
      Fault* front = q->second.front();
      if (!front->plan_.only || *front->plan_.only == p.type) {
        f = front->plan_;
        q->second.pop_front();
      }
    }
  }
  cv.notify_all();
  return f;
}

bool FakeController::Impl::nap(uint32_t ms, const ConnImpl& c) {
  std::unique_lock<std::mutex> l(mu);
  cv.wait_for(l, std::chrono::milliseconds(ms), [&] { return stopping || c.dropped(); });
  return !stopping && !c.dropped();
}

RbReply FakeController::Impl::answer(const RbRequest& q) {
  RbHandler h;
  {
    std::lock_guard<std::mutex> l(mu);
    auto it = rb.find({q.cls, q.cmd});
    h = it != rb.end() ? it->second : other_rb;
  }
  return h ? h(q) : RbReply::fail(kUnregistered);
}

PduHandler FakeController::Impl::pdu_handler(uint8_t type) {
  std::lock_guard<std::mutex> l(mu);
  auto it = pdu.find(type);
  return it != pdu.end() ? it->second : PduHandler();
}

void FakeController::Impl::register_builtins() {
  auto sysinfo = [this](const RbRequest& q) {
    if (q.path < 1 || q.path > cfg.paths.size() || cfg.paths[q.path - 1].sys_code == 0)
      return RbReply::fail(kNoSuchPath);
    const auto& s = cfg.paths[q.path - 1].sysinfo;
    return RbReply().bytes(s.data(), s.size());
  };
  rb[{kClassCnc, kCmdSysInfo}] = sysinfo;
  // The client scrambles with the key words it was sent, so unscramble with
  // those, overrides included.
  const uint16_t k44 = init_reply.size() >= 48 ? be::get16(&init_reply[44]) : 0;
  const uint16_t k46 = init_reply.size() >= 48 ? be::get16(&init_reply[46]) : 0;
  rb[{kClassCnc, kCmdIdString}] = [this, sysinfo, k44, k46](const RbRequest& q) {
    if (q.data.size() >= 8) {
      std::lock_guard<std::mutex> l(mu);
      ids.push_back(unscramble_id(q.data.data(), k44, k46));
    }
    return sysinfo(q);
  };
  rb[{kClassCnc, kCmdKindInfo}] = [this](const RbRequest&) {
    return RbReply().u16(cfg.info140[0]).u16(cfg.info140[1]);
  };
}

void FakeController::Impl::wake_acceptor_locked() {
  if (!acceptor_running) return;
  // A blocked accept has no portable wake-up: shutdown wakes it on some
  // systems, closing it on others. A connection of our own wakes it everywhere.
  plat::sock_t w = plat::sock_create();
  if (w == plat::kBadSock) return;
  plat::sock_connect(w, plat::inet_parse(reach_address(cfg.listen_address).c_str()), plat::to_net16(port));
  wakers.push_back(w);
}

std::vector<std::shared_ptr<ConnImpl>> FakeController::Impl::take_conns_locked(bool only_done) {
  std::vector<std::shared_ptr<ConnImpl>> out, keep;
  const auto self = std::this_thread::get_id();
  for (auto& c : conns) {
    if ((only_done && !c->done()) || c->thread.get_id() == self)
      keep.push_back(std::move(c));
    else
      out.push_back(std::move(c));
  }
  conns.swap(keep);
  return out;
}

void FakeController::Impl::finish(std::vector<std::shared_ptr<ConnImpl>>& cs) {
  for (auto& c : cs) c->drop();
  for (auto& c : cs)
    if (c->thread.joinable()) c->thread.join();
  cs.clear();
}

void FakeController::Impl::close_listener_locked() {
  if (!acceptor_running) return;
  acceptor_running = false;
  plat::sock_close(listener);
  cv.notify_all();
}

void FakeController::Impl::accept_loop() {
  for (;;) {
    {
      std::lock_guard<std::mutex> l(mu);
      if (stopping || accepted >= accept_limit) break;
    }
    plat::sock_t s = plat::sock_accept(listener);
    const bool failed = s == plat::kBadSock;
    bool last = false;
    std::vector<std::shared_ptr<ConnImpl>> ended;
    {
      std::lock_guard<std::mutex> l(mu);
      if (stopping || accepted >= accept_limit) {
        // One of our wakers, or a connection that came in as we stopped listening.
        if (!failed) plat::sock_close(s);
        break;
      }
      if (!failed) {
        ++accepted;
        ticks.push_back(plat::tick_ms());
        plat::sock_set_nodelay(s, true);
        // Stop listening before this connection can answer anything: a client
        // that connects again after hearing from it must be refused, not left
        // in the backlog of a listener about to close.
        last = accepted >= accept_limit;
        if (last) close_listener_locked();
        auto c = std::make_shared<ConnImpl>(*this, s, accepted);
        c->thread = std::thread([raw = c.get()] { raw->run(); });
        conns.push_back(std::move(c));
      }
      ended = take_conns_locked(true);
    }
    finish(ended);
    if (last) return;
    // A failing accept (out of descriptors, say) must not turn into a spin.
    if (failed) plat::sleep_ms(10);
  }
  std::lock_guard<std::mutex> l(mu);
  close_listener_locked();
}

FakeController::FakeController(FakeConfig cfg) : impl_(std::make_unique<Impl>(std::move(cfg))) {
  Impl& m = *impl_;
  // Counted by the system, so it pairs with whatever the code under test does.
  uint32_t err = 0;
  plat::net_startup(&err);
  m.register_builtins();
  try {
    m.listener = listen_on(m.cfg.listen_address, m.cfg.listen_port, &m.port);
  } catch (...) {
    plat::net_cleanup(&err);
    throw;
  }
  m.acceptor_running = true;
  m.acceptor = std::thread([&m] { m.accept_loop(); });
}

FakeController::~FakeController() {
  Impl& m = *impl_;
  {
    std::lock_guard<std::mutex> l(m.mu);
    m.stopping = true;
    m.wake_acceptor_locked();
  }
  m.cv.notify_all();
  if (m.acceptor.joinable()) m.acceptor.join();
  std::vector<std::shared_ptr<ConnImpl>> all;
  {
    std::lock_guard<std::mutex> l(m.mu);
    all.swap(m.conns);
  }
  Impl::finish(all);
  for (plat::sock_t w : m.wakers) plat::sock_close(w);
  uint32_t err = 0;
  plat::net_cleanup(&err);
}

uint16_t FakeController::port() const { return impl_->port; }
const FakeConfig& FakeController::config() const { return impl_->cfg; }

void FakeController::on(uint16_t cls, uint16_t cmd, RbHandler h) {
  std::lock_guard<std::mutex> l(impl_->mu);
  impl_->rb[{cls, cmd}] = std::move(h);
}

void FakeController::reply(uint16_t cls, uint16_t cmd, RbReply fixed) {
  on(cls, cmd, [fixed = std::move(fixed)](const RbRequest&) { return fixed; });
}

void FakeController::on_other_rb(RbHandler h) {
  std::lock_guard<std::mutex> l(impl_->mu);
  impl_->other_rb = std::move(h);
}

void FakeController::on_pdu(uint8_t type, PduHandler h) {
  std::lock_guard<std::mutex> l(impl_->mu);
  impl_->pdu[type] = std::move(h);
}

Fault& FakeController::next(int sock) {
  std::lock_guard<std::mutex> l(impl_->mu);
  Fault& f = impl_->faults.emplace_back();
  f.mu_ = &impl_->mu;
  impl_->queues[sock].push_back(&f);
  return f;
}

void FakeController::clear_faults() {
  std::lock_guard<std::mutex> l(impl_->mu);
  impl_->queues.clear();
}

bool FakeController::send_to(int sock, uint8_t type, uint8_t direction, std::vector<uint8_t> body) {
  std::shared_ptr<ConnImpl> c;
  {
    std::lock_guard<std::mutex> l(impl_->mu);
    for (auto it = impl_->conns.rbegin(); it != impl_->conns.rend(); ++it) {
      if ((*it)->sock() == sock && !(*it)->dropped() && !(*it)->done()) {
        c = *it;
        break;
      }
    }
  }
  if (!c) return false;
  auto pdu = make_pdu(impl_->cfg.version, type, direction, body);
  return c->write(pdu, pdu.size());
}

std::vector<ReceivedPdu> FakeController::received() const {
  std::lock_guard<std::mutex> l(impl_->mu);
  return impl_->received;
}

std::vector<RbRequest> FakeController::requests() const {
  std::lock_guard<std::mutex> l(impl_->mu);
  return impl_->requests;
}

std::vector<std::string> FakeController::id_strings() const {
  std::lock_guard<std::mutex> l(impl_->mu);
  return impl_->ids;
}

void FakeController::clear_received() {
  std::lock_guard<std::mutex> l(impl_->mu);
  impl_->received.clear();
  impl_->requests.clear();
  impl_->ids.clear();
}

void FakeController::recording(bool on) {
  std::lock_guard<std::mutex> l(impl_->mu);
  impl_->recording = on;
}

bool FakeController::wait_received(size_t n, uint32_t timeout_ms) const {
  std::unique_lock<std::mutex> l(impl_->mu);
  return impl_->cv.wait_for(l, std::chrono::milliseconds(timeout_ms),
                            [&] { return impl_->received.size() >= n; });
}

int FakeController::connections_accepted() const {
  std::lock_guard<std::mutex> l(impl_->mu);
  return impl_->accepted;
}

std::vector<uint32_t> FakeController::accept_ticks() const {
  std::lock_guard<std::mutex> l(impl_->mu);
  return impl_->ticks;
}

void FakeController::stop_listening_after(int n) {
  std::unique_lock<std::mutex> l(impl_->mu);
  impl_->accept_limit = n;
  if (impl_->accepted < n) return;
  impl_->wake_acceptor_locked();
  // Callers connect next and expect a refusal, so the listener must be gone
  // before this returns.
  impl_->cv.wait(l, [&] { return !impl_->acceptor_running; });
}

void FakeController::close_all() {
  std::vector<std::shared_ptr<ConnImpl>> cs, own;
  {
    std::lock_guard<std::mutex> l(impl_->mu);
    cs = impl_->take_conns_locked(false);
    // A handler calling this cannot join its own thread; its connection is
    // dropped all the same and joined by the destructor.
    own = impl_->conns;
  }
  for (auto& c : own) c->drop();
  Impl::finish(cs);
}

}  // namespace oz::sim
