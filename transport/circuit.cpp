#include "transport/circuit.h"

#include "base/log.h"

namespace oz {

// ---- Lock, FileLock --------------------------------------------------------

bool Lock::acquire(uint32_t ms) {
  if (m_ == nullptr || held_) return false;
  uint32_t r = plat::mutex_wait(m_, ms);
  if (r != plat::kWaitOk) {
    OZ_LOG(1) << "Error: WaitForSingleObject(" << static_cast<const void*>(m_) << ", " << ms
              << "): " << r;
    return false;
  }
  held_ = true;
  return true;
}

void Lock::release() {
  if (m_ != nullptr && held_) {
    held_ = false;
    plat::mutex_release(m_);
  }
}

void FileLock::bind(SockPair* c) {
  if (c == nullptr) release();
  c_ = c;
}

bool FileLock::acquire(uint32_t ms) {
  if (c_ == nullptr || c_->transfer_lock == nullptr || held_) return false;
  uint32_t r = plat::sem_wait(c_->transfer_lock, ms);
  if (r != plat::kWaitOk) {
    OZ_LOG(1) << "Error: WaitForSingleObject(" << static_cast<const void*>(c_->transfer_lock)
              << ", " << ms << "): " << r;
    return false;
  }
  held_ = true;
  return true;
}

void FileLock::release() {
  if (c_ != nullptr && held_.exchange(false)) plat::sem_release(c_->transfer_lock);
}

// ---- identification strings --------------------------------------------------

void idComparisonValue(const char* id, char out[8]) {
  std::memset(out, '0', 8);
  size_t n = std::strlen(id);
  size_t take = n < 8 ? n : 8;
  std::memcpy(out + 8 - take, id + n - take, take);
}

void scrambleId(const char s[8], uint16_t w38, uint16_t w40, uint8_t out[8]) {
  const uint8_t k0 = uint8_t(w38), k1 = uint8_t(w38 >> 8), k2 = uint8_t(w40),
                k3 = uint8_t(w40 >> 8);
  const uint8_t* b = reinterpret_cast<const uint8_t*>(s);
  const uint8_t r[8] = {uint8_t(b[6] ^ k2), uint8_t(b[0] ^ k0), uint8_t(b[5] ^ k3),
                        uint8_t(b[2] ^ k1), uint8_t(b[1] ^ k0), uint8_t(b[4] ^ k3),
                        uint8_t(b[7] ^ k1), uint8_t(b[3] ^ k2)};
  std::memcpy(out, r, 8);
}

// ---- SockPair ------------------------------------------------------------------

SockPair::SockPair(uint32_t addr_be, uint16_t port_be) : address(addr_be), port(port_be) {
  std::memset(id, '0', sizeof id);
  std::memset(&config, 0, sizeof config);
  std::memset(sysinfo, 0, sizeof sysinfo);
}

SockPair::~SockPair() {
  try {
    deactivate(0);
  } catch (const ErrObj&) {
  }
  if (user_lock) plat::mutex_destroy(user_lock);
  if (circuit_lock) plat::mutex_destroy(circuit_lock);
  if (transfer_lock) plat::sem_destroy(transfer_lock);
  sock1.close();
  sock2.close();
}

int SockPair::addUser() {
  Lock l(user_lock, true);
  return ++users;
}

int SockPair::removeUser() {
  Lock l(user_lock, true);
  return --users;
}

void SockPair::transact(Socket& s, int32_t timeout, PDU& pdu, uint8_t type) {
  sendPDU(pdu, s, timeout, type, kDirRequest);
  if (type != kClose) {
    receivePDU(pdu, s, timeout, type);
    return;
  }
  // The close reply may be preceded by anything still in flight.
  const uint32_t start = plat::tick_ms();
  for (;;) {
    if (s.pollNow(0)) {
      receivePDU(pdu, s, timeout, 0);
      if (pdu.type() == kClose) return;
    }
    if (timeout > 0 && (plat::tick_ms() - start) / 1000u > uint32_t(timeout)) raise_error(EW_CIRCUIT, circuit_detail::kReceiveTimeout, 5);
    plat::sleep_ms(1);
  }
}

void SockPair::activate(int32_t timeout, const char* id_arg) {
  Lock cl(circuit_lock);
  if (!cl.acquire(0)) {
    cl.acquire(plat::kInfinite);
    if (!active) {
      OZ_LOG(1) << "Socket has been broken in another thread blocking here.";
      raise_error(EW_CIRCUIT, circuit_detail::kBroken);
    }
  } else if (!active) {
    PDU pdu;
    try {
      initPDU(pdu);
      if (!sock1.create() || !sock2.create()) raise_error(EW_CIRCUIT, circuit_detail::kCreate);
      sock2.setNoDelay(true);
      if (!sock1.connect(address, port, timeout)) raise_error(EW_CIRCUIT, circuit_detail::kConnect);
      pdu.setDataSize(2);
      pdu.setWord(10, 1);
      transact(sock1, timeout, pdu, kInitiate);
      if (g_sock_get_interval != 0) plat::sleep_ms(g_sock_get_interval);
      if (!sock2.connect(address, port, timeout)) raise_error(EW_CIRCUIT, circuit_detail::kConnect);
      initPDU(pdu);
      pdu.setDataSize(2);
      pdu.setWord(10, 2);
      transact(sock2, timeout, pdu, kInitiate);
    } catch (const ErrObj&) {
      // A circuit that other (broken) handles still count stays in the table;
      // its half-opened sockets must not outlive this attempt.
      sock1.close();
      sock2.close();
      throw;
    }
    active = 1;
    version = pdu.version();
    if (version <= 2 && id_arg != nullptr) raise_error(EW_UNAVAILABLE);
    readControllerInfo(pdu, version <= 2 ? nullptr : id_arg, timeout);
    OZ_LOG(1) << "Circuit is created:" << " IP = " << plat::inet_text(address)
              << " port = " << plat::from_net16(port) << " sock1 = " << sock1.number()
              << " sock2 = " << sock2.number();
    return;
  }
  OZ_LOG(2) << "Socket has been opened at the activate time. (may be half-open)";
  if (id_arg != nullptr) {
    char cmp[8];
    idComparisonValue(id_arg, cmp);
    if (std::memcmp(cmp, id, 8) != 0)
      raise_error(std::memcmp(id, "00000000", 8) == 0 ? EW_VALUE : EW_MISMATCH);
  }
}

void SockPair::readControllerInfo(const PDU& init, const char* id_arg, int32_t timeout) {
  std::memset(&config, 0, sizeof config);
  std::memset(sysinfo, 0, sizeof sysinfo);
  auto r = [&](int off) { return init.word(off); };
  const bool old = version <= 2;
  const uint16_t count_raw = old ? r(18) : r(20);
  // Only fifteen path entries exist, whatever the controller claims.
  const int count = count_raw > kMaxPaths ? kMaxPaths : count_raw;
  const uint16_t kind = r(12);
  if (old) {
    const int map[][2] = {{0, 10}, {2, 12}, {6, 14}, {8, 16}, {10, 18}, {22, 20},
                          {28, 14}, {30, 22}, {32, 24}};
    for (auto& m : map) config.setWord(m[0], r(m[1]));
    for (int i = 0; i < count; ++i) {
      const int rec = 26 + 8 * i, e = 42 + 32 * i;
      const uint16_t w0 = r(rec), w1 = r(rec + 2), w2 = r(rec + 4), w3 = r(rec + 6);
      const uint16_t axes = kind == 2 ? config.word(6) : w2;
      const uint16_t words[] = {w0, uint16_t(w0 == 0x2054 ? 2 : 1), w1, w2, w2, w3, axes, axes, w3};
      for (int k = 0; k < 9; ++k) config.setWord(e + 2 * k, words[k]);
    }
  } else {
    const int map[][2] = {{0, 10},  {2, 12},  {4, 14},  {6, 16},  {8, 18},  {10, 20},
                          {12, 22}, {14, 24}, {16, 26}, {18, 28}, {20, 30}, {22, 32},
                          {24, 34}, {26, 36}, {28, 16}, {34, 40}, {38, 44}, {40, 46}};
    for (auto& m : map) config.setWord(m[0], r(m[1]));
    const uint16_t level = r(14);
    if (level >= 3) config.setWord(36, r(42));
    for (int i = 0; i < count; ++i) {
      const int rec = 50 + 32 * i, e = 42 + 32 * i;
      auto w = [&](int off) { return r(rec + off); };
      const uint16_t words[] = {w(0), w(2), w(4), w(6), w(6), w(10), config.word(6),
                                config.word(6), config.word(8), w(12), w(14), w(16), w(18)};
      for (int k = 0; k < 13; ++k) config.setWord(e + 2 * k, words[k]);
      if (level >= 2) {
        config.setWord(e + 26, w(20));
        config.setWord(e + 28, w(22));
      }
      if (level >= 3) config.setWord(e + 30, w(24));
    }
    std::memset(id, '0', sizeof id);
  }

  PDU pdu;
  initPDU(pdu);
  uint8_t rb[kRbRequestHeader + 8];
  for (int i = 0; i < count; ++i) {
    if (config.pathWord(i + 1, 0) == 0) continue;
    if (i == 0 && id_arg != nullptr) {
      idComparisonValue(id_arg, id);
      buildRB(rb, kClassCnc, 1, kCmdIdString, 0, 0, 0, 0, 0, 8);
      scrambleId(id, config.word(38), config.word(40), rb + kRbRequestHeader);
    } else {
      buildRB(rb, kClassCnc, uint16_t(i + 1), kCmdSysInfo, 0, 0, 0, 0, 0, 0);
    }
    addRB(pdu, rb);
  }
  const bool want140 = old && kind == 2;
  if (want140) {
    buildRB(rb, kClassCnc, 1, kCmdKindInfo, 0, 0, 0, 0, 0, 0);
    addRB(pdu, rb);
  }
  if (pdu.dataSize() == 0) return;
  transact(sock2, timeout, pdu, kRequest);
  int n = 0;
  for (int i = 0; i < count; ++i) {
    if (config.pathWord(i + 1, 0) == 0) continue;
    const uint8_t* rep = getReplyRB(pdu, n++);
    // A short reply leaves the rest of the record zero rather than reading on.
    uint16_t len = rbDataLength(rep);
    std::memcpy(sysinfo[i].bytes, rep + kRbReplyHeader, len < kSysInfoBytes ? len : kSysInfoBytes);
    uint16_t w0 = be::get16(sysinfo[i].bytes), w1 = be::get16(sysinfo[i].bytes + 2);
    std::memcpy(sysinfo[i].bytes, &w0, 2);
    std::memcpy(sysinfo[i].bytes + 2, &w1, 2);
  }
  if (want140) {
    const uint8_t* rep = getReplyRB(pdu, n);
    const uint16_t len = rbDataLength(rep);
    if (len >= 2) config.setWord(16, be::get16(rep + 16));
    if (len >= 4) config.setWord(18, be::get16(rep + 18));
  }
}

void SockPair::deactivate(int32_t timeout) {
  Lock ul(user_lock, true);
  if (users > 1) {
    OZ_LOG(2) << "Socket is not closed at the deactivate time. (may be half-open)";
    return;
  }
  if (users < 1) return;
  Lock cl(circuit_lock, true);
  bool failed = false;
  ErrObj remembered(0);
  if (active) {
    for (Socket* s : {&sock1, &sock2}) {
      try {
        PDU pdu;
        initPDU(pdu);
        transact(*s, timeout, pdu, kClose);
      } catch (const ErrObj& e) {
        if (!failed) remembered = e;
        failed = true;
      }
    }
  }
  active = 0;
  sock1.close();
  sock2.close();
  OZ_LOG(1) << "Circuit was closed:" << " IP = " << plat::inet_text(address)
            << " port = " << plat::from_net16(port);
  if (failed) throw remembered;
}

// ---- SocketMgr -------------------------------------------------------------------

SocketMgr::SocketMgr() : lock_(plat::mutex_create()) {}

SocketMgr::~SocketMgr() {
  clear();
  plat::mutex_destroy(lock_);
}

SockPair* SocketMgr::getCircuit(const char* host, uint16_t port, int32_t timeout,
                                const char* id) {
  const uint32_t addr = getInetAddr(host);
  const uint16_t port_be = plat::to_net16(port);
  SockPair* c = nullptr;
  try {
    {
      Lock ml(lock_, true);
      auto key = std::make_pair(addr, port_be);
      auto it = table_.find(key);
      if (it == table_.end()) {
        it = table_.try_emplace(key, addr, port_be).first;
        it->second.circuit_lock = plat::mutex_create();
        it->second.user_lock = plat::mutex_create();
        it->second.transfer_lock = plat::sem_create();
      }
      c = &it->second;
      c->addUser();
    }
    c->activate(timeout, id);
    return c;
  } catch (const ErrObj&) {
    if (c) dropUser(c);
    throw;
  }
}

void SocketMgr::dropUser(SockPair* c) {
  Lock ml(lock_, true);
  if (c->removeUser() < 1) {
    for (auto it = table_.begin(); it != table_.end(); ++it)
      if (&it->second == c) {
        table_.erase(it);
        break;
      }
  }
}

void SocketMgr::releaseCircuit(SockPair* c, int32_t timeout) {
  try {
    c->deactivate(timeout);
  } catch (const ErrObj&) {
    dropUser(c);
    throw;
  }
  dropUser(c);
}

void SocketMgr::clear() {
  Lock ml(lock_, true);
  table_.clear();
}

}  // namespace oz
