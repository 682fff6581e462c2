#include "transport/circuit.h"

#include "base/deadline.h"
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
  } catch (...) {
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
  // The close reply may be preceded by anything still in flight; the limit
  // counts from the send, whatever arrives meanwhile.
  const Deadline reply(timeout);
  for (;;) {
    if (s.pollNow(0)) {
      receivePDU(pdu, s, timeout, 0);
      if (pdu.type() == kClose) return;
    }
    if (reply.passed()) raise_error(EW_CIRCUIT, circuit_detail::kReceiveTimeout, 5);
    plat::sleep_ms(1);
  }
}

// Connects and initiates both sockets; pdu ends up holding sock2's initiate reply.
void SockPair::openSockets(int32_t timeout, PDU& pdu) {
  try {
    initPDU(pdu);
    if (!sock1.create() || !sock2.create()) raise_error(EW_CIRCUIT, circuit_detail::kCreate);
    sock2.setNoDelay(true);
    if (!sock1.connect(address, port, timeout)) raise_error(EW_CIRCUIT, circuit_detail::kConnect);
    pdu.setDataSize(2);
    pdu.setWord(kPduHeader, 1);
    transact(sock1, timeout, pdu, kInitiate);
    if (g_sock_get_interval != 0) plat::sleep_ms(g_sock_get_interval);
    if (!sock2.connect(address, port, timeout)) raise_error(EW_CIRCUIT, circuit_detail::kConnect);
    initPDU(pdu);
    pdu.setDataSize(2);
    pdu.setWord(kPduHeader, 2);
    transact(sock2, timeout, pdu, kInitiate);
  } catch (const ErrObj&) {
    // A circuit that other (broken) handles still count stays in the table;
    // its half-opened sockets must not outlive this attempt.
    sock1.close();
    sock2.close();
    throw;
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
    openSockets(timeout, pdu);
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

namespace {

// The initiate reply by PDU offset, header included.
namespace init {
constexpr int kKind = 12;                  // controller kind word
constexpr int kLevel = 14;                 // path entry level, version 3 and above
constexpr int kOldCount = 18, kNewCount = 20;          // path record count
constexpr int kOldRecords = 26, kOldRecord = 8;        // path records, version 2 or less
constexpr int kNewRecords = 50, kNewRecord = 32;       // version 3 and above
constexpr int kNewLevel3Word = 42;         // configuration word 36 at level 3 and above
}  // namespace init

// Configuration word offset <- initiate reply offset.
struct WordFrom {
  int config, reply;
};
constexpr WordFrom kOldWords[] = {{0, 10}, {2, 12}, {6, 14}, {8, 16}, {10, 18}, {22, 20},
                                  {28, 14}, {30, 22}, {32, 24}};
constexpr WordFrom kNewWords[] = {{0, 10},  {2, 12},  {4, 14},  {6, 16},  {8, 18},  {10, 20},
                                  {12, 22}, {14, 24}, {16, 26}, {18, 28}, {20, 30}, {22, 32},
                                  {24, 34}, {26, 36}, {28, 16}, {34, 40}, {38, 44}, {40, 46}};
// The system code word of the older layout that marks a lathe path.
constexpr uint16_t kLatheCode = 0x2054;
// Only fifteen path entries exist, whatever the controller claims.
int pathCount(uint16_t claimed) { return claimed > kMaxPaths ? kMaxPaths : claimed; }

}  // namespace

// Version 2 or less: 16 bytes of fixed words, then 8-byte path records.
int SockPair::fillConfigOld(const PDU& init) {
  for (const WordFrom& m : kOldWords) config.setWord(m.config, init.word(m.reply));
  const int count = pathCount(init.word(init::kOldCount));
  const uint16_t kind = init.word(init::kKind);
  for (int i = 0; i < count; ++i) {
    const int rec = init::kOldRecords + init::kOldRecord * i;
    const uint16_t w0 = init.word(rec), w1 = init.word(rec + 2), w2 = init.word(rec + 4),
                   w3 = init.word(rec + 6);
    const uint16_t axes = kind == 2 ? config.word(ControllerConfig::kMaxAxes) : w2;
    const uint16_t words[] = {w0, uint16_t(w0 == kLatheCode ? 2 : 1), w1, w2, w2, w3, axes, axes, w3};
    for (int k = 0; k < 9; ++k) config.setPathWord(i + 1, 2 * k, words[k]);
  }
  return count;
}

// Version 3 and above: 40 bytes of fixed words, then 32-byte path records.
int SockPair::fillConfigNew(const PDU& init) {
  for (const WordFrom& m : kNewWords) config.setWord(m.config, init.word(m.reply));
  const uint16_t level = init.word(init::kLevel);
  if (level >= 3) config.setWord(36, init.word(init::kNewLevel3Word));
  const int count = pathCount(init.word(init::kNewCount));
  const uint16_t axes = config.word(ControllerConfig::kMaxAxes), w8 = config.word(8);
  for (int i = 0; i < count; ++i) {
    const int rec = init::kNewRecords + init::kNewRecord * i;
    auto e = [&](int off) { return init.word(rec + off); };
    const uint16_t words[] = {e(0), e(2), e(4), e(6), e(6), e(10), axes,
                              axes, w8,   e(12), e(14), e(16), e(18)};
    for (int k = 0; k < 13; ++k) config.setPathWord(i + 1, 2 * k, words[k]);
    if (level >= 2) {
      config.setPathWord(i + 1, 26, e(20));
      config.setPathWord(i + 1, 28, e(22));
    }
    if (level >= 3) config.setPathWord(i + 1, ControllerConfig::kFeatureBits, e(24));
  }
  std::memset(id, '0', sizeof id);
  return count;
}

// One request for the system information of every used path (the first one
// carrying the scrambled id string when there is one), plus command 140 for
// the controller kind that needs it.
void SockPair::readSysInfo(int paths, bool want140, const char* id_arg, int32_t timeout) {
  PDU pdu;
  initPDU(pdu);
  uint8_t rb[kRbRequestHeader + 8];
  auto used = [&](int i) { return config.pathWord(i + 1, ControllerConfig::kSysCode) != 0; };
  for (int i = 0; i < paths; ++i) {
    if (!used(i)) continue;
    if (i == 0 && id_arg != nullptr) {
      idComparisonValue(id_arg, id);
      buildRB(rb, kClassCnc, 1, kCmdIdString, 0, 0, 0, 0, 0, 8);
      scrambleId(id, config.word(ControllerConfig::kKey1), config.word(ControllerConfig::kKey2),
                 rb + kRbRequestHeader);
    } else {
      buildRB(rb, kClassCnc, uint16_t(i + 1), kCmdSysInfo, 0, 0, 0, 0, 0, 0);
    }
    addRB(pdu, rb);
  }
  if (want140) {
    buildRB(rb, kClassCnc, 1, kCmdKindInfo, 0, 0, 0, 0, 0, 0);
    addRB(pdu, rb);
  }
  if (pdu.dataSize() == 0) return;
  transact(sock2, timeout, pdu, kRequest);
  int n = 0;
  for (int i = 0; i < paths; ++i) {
    if (!used(i)) continue;
    const ReplyRb rep(getReplyRB(pdu, n++));
    // A short reply leaves the rest of the record zero rather than reading on.
    const uint16_t len = rep.dataLength();
    std::memcpy(sysinfo[i].bytes, rep.data(), len < kSysInfoBytes ? len : kSysInfoBytes);
    const uint16_t w0 = be::get16(sysinfo[i].bytes), w1 = be::get16(sysinfo[i].bytes + 2);
    std::memcpy(sysinfo[i].bytes, &w0, 2);
    std::memcpy(sysinfo[i].bytes + 2, &w1, 2);
  }
  if (want140) {
    const ReplyRb rep(getReplyRB(pdu, n));
    if (rep.dataLength() >= 2) config.setWord(16, be::get16(rep.data()));
    if (rep.dataLength() >= 4) config.setWord(18, be::get16(rep.data() + 2));
  }
}

void SockPair::readControllerInfo(const PDU& init, const char* id_arg, int32_t timeout) {
  std::memset(&config, 0, sizeof config);
  std::memset(sysinfo, 0, sizeof sysinfo);
  const bool old = version <= 2;
  const int paths = old ? fillConfigOld(init) : fillConfigNew(init);
  readSysInfo(paths, old && init.word(init::kKind) == 2, id_arg, timeout);
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
  } catch (...) {
    // Whatever failed, the table is left as it was before the call.
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
  } catch (...) {
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
