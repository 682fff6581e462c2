#include "core/handle.h"

#include "base/log.h"

namespace oz {

namespace {
HandleMgr* g_handles = nullptr;
SocketMgr* g_sockets = nullptr;

bool detailBearing(int16_t c, bool pmc) {
  // EW_INTERNAL is the library's own and says what failed in its detail.
  static constexpr int16_t cnc[] = {1, 3, 5, 6, 7, 8, 13, 14, 17, -16, -17, EW_INTERNAL};
  static constexpr int16_t pmcs[] = {3, 5, 8, 13, 17, 18, -16, -17, EW_INTERNAL};
  if (pmc) {
    for (int16_t x : pmcs)
      if (x == c) return true;
    return false;
  }
  for (int16_t x : cnc)
    if (x == c) return true;
  return false;
}

void apply(ErrStore& s, bool pmc, int16_t c, uint16_t d, uint16_t sub) {
  // A broken circuit's first error stays until the handle is freed.
  if (s.code == EW_CIRCUIT) return;
  s.code = c;
  if (detailBearing(c, pmc)) {
    s.detail = d;
    s.sub = sub;
  }
}
}  // namespace

HandleMgr& handleMgr() { return *g_handles; }
SocketMgr& socketMgr() { return *g_sockets; }

void library_load() {
  log_load();
  startup();
  g_handles = new HandleMgr;
  g_sockets = new SocketMgr;
}

void library_unload() {
  if (g_handles == nullptr) return;
  g_handles->removeAll();
  delete g_sockets;
  delete g_handles;
  g_sockets = nullptr;
  g_handles = nullptr;
  cleanup();
}

void thread_exit(uint32_t tid) {
  if (g_handles) g_handles->removeThread(tid);
}

// ---- records -------------------------------------------------------------

Handle::~Handle() {
  if (circuit == nullptr) return;
  SockPair* c = circuit;
  hold.bind(nullptr);
  circuit = nullptr;
  try {
    socketMgr().releaseCircuit(c, timeout);
  } catch (...) {
    // Destruction goes on: the record is gone whatever the circuit says.
  }
}

HandleMgr::~HandleMgr() { removeAll(); }

uint16_t HandleMgr::nextNumber() {
  if (map_.size() >= 1024) return 0;
  uint16_t c = counter_, n;
  do {
    n = uint16_t(0x8001 + (c % 1024));
    ++c;
  } while (map_.count(n));
  counter_ = c;
  return n;
}

Handle* HandleMgr::create(uint32_t owner) {
  std::lock_guard<std::mutex> g(cs_);
  uint16_t n = nextNumber();
  if (n == 0) return nullptr;
  Handle* h = new Handle(n, owner);
  map_[n] = h;
  return h;
}

// The record is destroyed outside the critical section: releasing its circuit
// may talk to the controller, and breakCircuit takes this lock after the
// circuit lock.
void HandleMgr::remove(uint16_t number) {
  Handle* h = nullptr;
  {
    std::lock_guard<std::mutex> g(cs_);
    auto it = map_.find(number);
    if (it == map_.end()) return;
    h = it->second;
    map_.erase(it);
  }
  delete h;
}

bool HandleMgr::isValid(uint16_t number) {
  std::lock_guard<std::mutex> g(cs_);
  auto it = map_.find(number);
  return it != map_.end() && it->second->owner == plat::thread_id();
}

Handle* HandleMgr::findValid(uint16_t number) {
  const uint32_t me = plat::thread_id();
  std::lock_guard<std::mutex> g(cs_);
  auto it = map_.find(number);
  return it != map_.end() && it->second->owner == me ? it->second : nullptr;
}

Handle* HandleMgr::find(uint16_t number) {
  std::lock_guard<std::mutex> g(cs_);
  auto it = map_.find(number);
  return it == map_.end() ? nullptr : it->second;
}

SockPair* HandleMgr::attach(Handle* h, SockPair* c) {
  std::lock_guard<std::mutex> g(cs_);
  SockPair* old = h->circuit;
  h->circuit = c;
  h->hold.bind(c);
  return old;
}

void HandleMgr::markBroken(const SockPair* c) {
  std::lock_guard<std::mutex> g(cs_);
  for (auto& [n, h] : map_) {
    if (h->circuit && h->circuit->address == c->address && h->circuit->port == c->port) {
      h->flags |= kBroken;
      h->hold.release();
    }
  }
}

void HandleMgr::removeThread(uint32_t owner) {
  for (;;) {
    uint16_t n = 0;
    {
      std::lock_guard<std::mutex> g(cs_);
      for (auto& [k, h] : map_)
        if (h->owner == owner) {
          n = k;
          break;
        }
    }
    if (n == 0) return;
    remove(n);
  }
}

void HandleMgr::removeAll() {
  for (;;) {
    uint16_t n = 0;
    {
      std::lock_guard<std::mutex> g(cs_);
      if (map_.empty()) return;
      n = map_.begin()->first;
    }
    remove(n);
  }
}

bool is_valid_handle(uint16_t h) { return g_handles && g_handles->isValid(h); }
Handle* find_handle(uint16_t h) { return g_handles->find(h); }
Handle* find_valid_handle(uint16_t h) { return g_handles ? g_handles->findValid(h) : nullptr; }
SockPair* attach_circuit(Handle* h, SockPair* c) { return g_handles->attach(h, c); }

// ---- error stores -----------------------------------------------------------

void record_error(Handle& h, int16_t code, uint16_t detail, uint16_t sub, uint16_t cls) {
  if (code == EW_CIRCUIT || code == EW_FRAMING) {
    apply(h.cnc_err, false, code, detail, sub);
    apply(h.pmc_err, true, code, detail, sub);
  } else if (cls == kClassCnc) {
    apply(h.cnc_err, false, code, detail, sub);
  } else {
    apply(h.pmc_err, true, code, detail, sub);
  }
}

void record_error(Handle& h, const ErrObj& e) { record_error(h, e.code, e.detail, e.sub, e.cls); }

void save_abort_error(Handle& h, const ErrObj& e) {
  h.abort_err = {e.code, e.detail, e.sub};
  record_error(h, e);
}

void raise_saved_abort(Handle& h) {
  raise_error(h.abort_err.code, h.abort_err.detail, h.abort_err.sub, kClassCnc);
}

void raise_from_store(Handle& h, uint16_t cls) {
  if (cls == kClassCnc) raise_error(h.cnc_err.code, h.cnc_err.detail, h.cnc_err.sub, kClassCnc);
  raise_error(h.pmc_err.code, h.pmc_err.detail, h.pmc_err.sub, kClassPmc);
}

// ---- circuits ------------------------------------------------------------------

void breakCircuit(Handle& h) {
  SockPair* c = h.circuit;
  if (c == nullptr) return;
  Lock cl(c->circuit_lock, true);
  // A handle already marked lost its circuit to an earlier break; what the
  // circuit holds now may be new connections another handle opened since.
  if (h.has(kBroken)) return;
  handleMgr().markBroken(c);
  OZ_LOG(1) << "Error: circuit was destoryed in another handle," << " IP = "
            << plat::inet_text(c->address) << " port = " << plat::from_net16(c->port)
            << " sock1 = " << c->sock1.number() << " sock2 = " << c->sock2.number();
  c->active = 0;
  c->sock1.close();
  c->sock2.close();
}

// ---- path kinds ------------------------------------------------------------------

namespace {
bool machineTypeIs(const Handle& h, char a, char b) {
  const uint8_t* mt = h.pathSysInfo().bytes + 6;
  return mt[0] == uint8_t(a) && mt[1] == uint8_t(b);
}
uint16_t featureBits(const Handle& h) { return h.config.pathWord(h.path, 30); }
}  // namespace

bool path_is_lp(const Handle& h) {
  return machineTypeIs(h, ' ', 'L') || machineTypeIs(h, ' ', 'P') || (featureBits(h) & 4);
}
bool path_is_lp_tool(const Handle& h) {
  return machineTypeIs(h, ' ', 'L') || machineTypeIs(h, ' ', 'P') || (featureBits(h) & 12);
}
bool path_is_w(const Handle& h) { return machineTypeIs(h, ' ', 'W'); }

}  // namespace oz
