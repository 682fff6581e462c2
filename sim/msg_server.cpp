#include "sim/msg_server.h"

#include <algorithm>
#include <cstdio>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "platform/platform.h"
#include "sim/unsolic_wire.h"

namespace oz::sim {

namespace u = oz::unsolic;

namespace {

// Asked of a published window to tell a live server from one that went away
// without unpublishing; our servers answer it with 0.
constexpr uint32_t kMsgProbe = 0x0400;

// Reads a record the library laid in named memory for this request; false
// when it is not there whole.
bool read_record(const char* name, void* out, size_t n) {
  plat::Shared* m = plat::shared_open(name, false);
  if (m == nullptr) return false;
  const bool whole = plat::shared_read(m, 0, out, n) == n;
  plat::shared_close(m);
  return whole;
}

// Publishes a window handle under a name for as long as the holder lives.
plat::Shared* publish(const char* name, uint64_t window) {
  plat::Shared* m = plat::shared_create(name, sizeof window);
  if (m && plat::shared_write(m, 0, &window, sizeof window) != sizeof window) {
    plat::shared_close(m);
    m = nullptr;
  }
  return m;
}

bool live_window_at(const char* name) {
  uint64_t w = 0, answer = 0;
  return read_record(name, &w, sizeof w) && w != 0 &&
         plat::window_send(w, kMsgProbe, 0, 0, 500, &answer);
}

bool recv_exact(plat::sock_t s, uint8_t* p, size_t n) {
  while (n > 0) {
    if (plat::sock_select(s, 0, 2, 0) != 1) return false;
    const int r = plat::sock_recv(s, p, int(n), 0);
    if (r <= 0) return false;
    p += r;
    n -= size_t(r);
  }
  return true;
}

}  // namespace

struct MessageServer::Impl {
  struct Reg {
    Registration r;
    plat::Shared* mem;
  };

  Options opt;
  std::string error;
  mutable std::mutex mu;
  mutable std::condition_variable cv;
  std::vector<Reg> regs;
  std::vector<uint32_t> seen;
  std::map<uint32_t, uint64_t> overrides;
  int16_t next_number = 1;
  plat::MsgWindow* win = nullptr;
  plat::Shared* published = nullptr;
  plat::sock_t listener = plat::kBadSock;
  uint16_t port = 0;
  bool stopping = false;
  std::thread acceptor;

  void say(const std::string& line) const {
    if (opt.log) opt.log(line);
  }

  static uint64_t on_message(void* ctx, uint32_t msg, uint64_t, int64_t) {
    return static_cast<Impl*>(ctx)->answer(msg);
  }

  uint64_t answer(uint32_t msg) {
    std::lock_guard<std::mutex> l(mu);
    seen.push_back(msg);
    if (auto it = overrides.find(msg); it != overrides.end()) {
      const uint64_t v = it->second;
      overrides.erase(it);
      return v;
    }
    switch (msg) {
      case u::kMsgStart: return start();
      case u::kMsgStop: return stop();
      case u::kMsgClear: return clear();
      default: return 0;
    }
  }

  int16_t free_number() {
    for (;;) {
      const int16_t n = next_number;
      next_number = next_number == 0x7FFF ? 1 : int16_t(next_number + 1);
      if (std::none_of(regs.begin(), regs.end(), [&](const Reg& g) { return g.r.number == n; })) return n;
    }
  }

  static bool same_setting(const u::StartRecord& a, uint32_t address, uint16_t port, uint16_t number) {
    return a.address == address && a.port == port && a.number == number;
  }

  uint64_t start() {
    uint8_t rec[u::kStartRecord];
    if (!read_record(u::kStartMap, rec, sizeof rec)) return u::kRefusedOther;
    const u::StartRecord s = u::get_start(rec);
    for (const Reg& g : regs)
      if (same_setting(g.r.start, s.address, s.port, s.number)) return u::kRefusedTaken;
    if (int(regs.size()) >= opt.max_registrations) return u::kRefusedFull;
    const int16_t n = free_number();
    // The memory is made once at its largest, so a later message never has
    // to replace it under a reader; until the first push it holds no entry.
    plat::Shared* mem = plat::shared_create(u::message_map(n).c_str(), push::kMaxBlock);
    const uint16_t none = 0;
    if (mem == nullptr || plat::shared_write(mem, 0, &none, 2) != 2) {
      plat::shared_close(mem);
      return u::kRefusedOther;
    }
    regs.push_back({{n, s, 0}, mem});
    say("registered " + std::to_string(n) + ": controller port " + std::to_string(s.port) +
        ", setting " + std::to_string(s.number));
    return uint64_t(n);
  }

  void drop(std::vector<Reg>::iterator it, const char* why) {
    say(std::string(why) + " " + std::to_string(it->r.number));
    plat::shared_close(it->mem);
    regs.erase(it);
  }

  uint64_t stop() {
    uint8_t rec[u::kStopRecord];
    if (!read_record(u::kStopMap, rec, sizeof rec)) return u::kRefusedOther;
    uint32_t address;
    uint16_t port_no, number;
    std::memcpy(&address, rec, 4);
    std::memcpy(&port_no, rec + 4, 2);
    std::memcpy(&number, rec + 6, 2);
    auto it = std::find_if(regs.begin(), regs.end(),
                           [&](const Reg& g) { return same_setting(g.r.start, address, port_no, number); });
    if (it == regs.end()) return u::kRefusedUnknown;
    drop(it, "stopped");
    return 0;
  }

  uint64_t clear() {
    int16_t n = 0;
    if (!read_record(u::kClearMap, &n, sizeof n)) return u::kRefusedOther;
    auto it = std::find_if(regs.begin(), regs.end(), [&](const Reg& g) { return g.r.number == n; });
    if (it == regs.end()) return u::kRefusedUnknown;
    drop(it, "cleared");
    return 0;
  }

  bool store(int16_t reg, const std::vector<uint8_t>& block) {
    uint64_t app = 0;
    uint32_t app_msg = 0;
    {
      std::lock_guard<std::mutex> l(mu);
      auto it = std::find_if(regs.begin(), regs.end(), [&](const Reg& g) { return g.r.number == reg; });
      if (it == regs.end() || block.size() > push::kMaxBlock) return false;
      plat::shared_write(it->mem, 0, block.data(), block.size());
      ++it->r.messages;
      app = it->r.start.window;
      app_msg = it->r.start.msg;
    }
    cv.notify_all();
    // The application asked to hear of each message: registration number
    // and the block's entry count.
    if (app != 0) {
      uint16_t entries = 0;
      if (block.size() >= 2) std::memcpy(&entries, block.data(), 2);
      plat::window_post(app, app_msg, uint64_t(reg), entries);
    }
    return true;
  }

  void take_push(plat::sock_t s) {
    uint8_t head[push::kHeader];
    push::Header h;
    if (!recv_exact(s, head, sizeof head) || !push::parse_header(head, &h)) return;
    std::vector<uint8_t> block(h.length);
    if (!recv_exact(s, block.data(), block.size())) return;
    if (store(int16_t(h.reg), block))
      say("message for " + std::to_string(h.reg) + ": " + std::to_string(block.size()) + " bytes");
    else
      say("message for unknown registration " + std::to_string(h.reg) + " dropped");
  }

  void accept_loop() {
    for (;;) {
      const plat::sock_t s = plat::sock_accept(listener);
      {
        std::lock_guard<std::mutex> l(mu);
        if (stopping) {
          if (s != plat::kBadSock) plat::sock_close(s);
          return;
        }
      }
      if (s == plat::kBadSock) {
        plat::sleep_ms(10);
        continue;
      }
      take_push(s);
      plat::sock_close(s);
    }
  }

  bool open() {
    uint32_t err = 0;
    plat::net_startup(&err);   // counted: paired with the cleanup when the server goes
    if (live_window_at(u::kServerWindowMap)) {
      error = "a message server runs already";
      return false;
    }
    win = plat::window_create(on_message, this);
    if (win == nullptr) {
      error = "cannot create the server's window";
      return false;
    }
    listener = plat::sock_listen_loopback(opt.push_port, &port);
    if (listener == plat::kBadSock) {
      error = "cannot listen on port " + std::to_string(opt.push_port);
      return false;
    }
    published = publish(u::kServerWindowMap, plat::window_handle(win));
    if (published == nullptr) {
      error = "cannot publish the server's window";
      return false;
    }
    acceptor = std::thread([this] { accept_loop(); });
    return true;
  }

  ~Impl() {
    plat::shared_close(published);
    plat::window_destroy(win);
    if (acceptor.joinable()) {
      {
        std::lock_guard<std::mutex> l(mu);
        stopping = true;
      }
      // A blocked accept has no portable wake-up but a connection.
      const plat::sock_t waker = plat::sock_create();
      if (waker != plat::kBadSock) plat::sock_connect(waker, plat::inet_parse("127.0.0.1"), plat::to_net16(port));
      acceptor.join();
      if (waker != plat::kBadSock) plat::sock_close(waker);
    }
    if (listener != plat::kBadSock) plat::sock_close(listener);
    for (Reg& g : regs) plat::shared_close(g.mem);
    uint32_t err = 0;
    plat::net_cleanup(&err);
  }
};

MessageServer::MessageServer() : MessageServer(Options{}) {}

MessageServer::MessageServer(Options opt) : impl_(std::make_unique<Impl>()) {
  impl_->opt = std::move(opt);
  if (!impl_->open()) {
    // Nothing half-made stays published.
    plat::shared_close(impl_->published);
    impl_->published = nullptr;
  }
}

MessageServer::~MessageServer() = default;

bool MessageServer::ok() const { return impl_->error.empty(); }
const std::string& MessageServer::error() const { return impl_->error; }
uint16_t MessageServer::push_port() const { return impl_->port; }
uint64_t MessageServer::window() const { return impl_->win ? plat::window_handle(impl_->win) : 0; }

std::vector<MessageServer::Registration> MessageServer::registrations() const {
  std::lock_guard<std::mutex> l(impl_->mu);
  std::vector<Registration> out;
  for (const auto& g : impl_->regs) out.push_back(g.r);
  return out;
}

std::vector<uint32_t> MessageServer::requests() const {
  std::lock_guard<std::mutex> l(impl_->mu);
  return impl_->seen;
}

void MessageServer::answer_next(uint32_t msg, uint64_t value) {
  std::lock_guard<std::mutex> l(impl_->mu);
  impl_->overrides[msg] = value;
}

bool MessageServer::store(int16_t reg, const std::vector<uint8_t>& block) { return impl_->store(reg, block); }

bool MessageServer::wait_messages(int16_t reg, uint32_t n, uint32_t timeout_ms) const {
  std::unique_lock<std::mutex> l(impl_->mu);
  return impl_->cv.wait_for(l, std::chrono::milliseconds(timeout_ms), [&] {
    for (const auto& g : impl_->regs)
      if (g.r.number == reg) return g.r.messages >= n;
    return false;
  });
}

// ---- the screen display ----------------------------------------------------------

struct ScreenDisplay::Impl {
  std::function<void(const std::string&)> log;
  mutable std::mutex mu;
  std::vector<Message> seen;
  uint64_t reply = 0;
  plat::MsgWindow* win = nullptr;
  plat::Shared* published = nullptr;

  static uint64_t on_message(void* ctx, uint32_t msg, uint64_t wparam, int64_t lparam) {
    auto* self = static_cast<Impl*>(ctx);
    std::lock_guard<std::mutex> l(self->mu);
    self->seen.push_back({msg, wparam, lparam});
    if (self->log) {
      char line[96];
      std::snprintf(line, sizeof line, "screen: message 0x%04X (%llu, %lld) answered %llu", unsigned(msg),
                    static_cast<unsigned long long>(wparam), static_cast<long long>(lparam),
                    static_cast<unsigned long long>(self->reply));
      self->log(line);
    }
    return self->reply;
  }

  ~Impl() {
    plat::shared_close(published);
    plat::window_destroy(win);
  }
};

ScreenDisplay::ScreenDisplay(uint32_t address_be, std::function<void(const std::string&)> log)
    : impl_(std::make_unique<Impl>()) {
  impl_->log = std::move(log);
  impl_->win = plat::window_create(Impl::on_message, impl_.get());
  if (impl_->win == nullptr) return;
  const auto name = display::window_map(reinterpret_cast<const uint8_t*>(&address_be));
  impl_->published = publish(name.c_str(), plat::window_handle(impl_->win));
}

ScreenDisplay::~ScreenDisplay() = default;

bool ScreenDisplay::ok() const { return impl_->published != nullptr; }
uint64_t ScreenDisplay::window() const { return impl_->win ? plat::window_handle(impl_->win) : 0; }

std::vector<ScreenDisplay::Message> ScreenDisplay::messages() const {
  std::lock_guard<std::mutex> l(impl_->mu);
  return impl_->seen;
}

void ScreenDisplay::answer(uint64_t value) {
  std::lock_guard<std::mutex> l(impl_->mu);
  impl_->reply = value;
}

}  // namespace oz::sim
