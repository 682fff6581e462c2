// Circuits: two TCP connections to one controller, shared by every handle of
// the process that names the same address and port.
#pragma once
#include <atomic>
#include <cstdint>
#include <map>
#include <utility>

#include "platform/platform.h"
#include "transport/socket.h"
#include "transport/wire.h"

namespace oz {

constexpr int kConfigBytes = 522;
constexpr int kMaxPaths = 15;
constexpr int kSysInfoBytes = 18;

// The controller configuration, host-order 16-bit words addressed by byte offset.
struct ControllerConfig {
  // Words this library reads by name (the others are the controller's).
  static constexpr int kKind = 2;          // controller kind word
  static constexpr int kLevel = 4;         // path entry level
  static constexpr int kMaxAxes = 6;       // largest axis count of any path
  static constexpr int kPathCount = 10;    // path record count
  static constexpr int kKey1 = 38, kKey2 = 40;   // the id-string key
  static constexpr int kPaths = 42;        // path entries, 32 bytes each
  static constexpr int kPathEntry = 32;
  static constexpr int kSysCode = 0;       // path entry: system code word, 0 = no CNC
  static constexpr int kFeatureBits = 30;  // path entry: feature bits

  uint8_t bytes[kConfigBytes];
  uint16_t word(int off) const {
    uint16_t v;
    std::memcpy(&v, bytes + off, 2);
    return v;
  }
  void setWord(int off, uint16_t v) { std::memcpy(bytes + off, &v, 2); }
  // Word at byte `off` of path entry p (1-based).
  uint16_t pathWord(int p, int off) const { return word(kPaths + kPathEntry * (p - 1) + off); }
  void setPathWord(int p, int off, uint16_t v) { setWord(kPaths + kPathEntry * (p - 1) + off, v); }
};

struct SysInfo {
  uint8_t bytes[kSysInfoBytes];   // additional info, max axes, then 14 characters
};

class Lock {
 public:
  explicit Lock(plat::KMutex* m, bool take = false) : m_(m) {
    if (take) acquire(plat::kInfinite);
  }
  virtual ~Lock() { release(); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
  bool acquire(uint32_t ms);
  void release();
  bool held() const { return held_; }

  // Gives a held lock up for one scope and takes it again, without limit,
  // when the scope ends (waits that let other handles through).
  class Released {
   public:
    explicit Released(Lock& l) : l_(l) { l_.release(); }
    ~Released() { l_.acquire(plat::kInfinite); }
    Released(const Released&) = delete;
    Released& operator=(const Released&) = delete;

   private:
    Lock& l_;
  };

 private:
  plat::KMutex* m_;
  bool held_ = false;
};

class SockPair;

// A handle's hold on its circuit's transfer lock.
class FileLock {
 public:
  FileLock() = default;
  virtual ~FileLock() { release(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  void bind(SockPair* c);
  bool acquire(uint32_t ms);
  // A break on another thread releases every handle's hold while the
  // owner may be releasing its own: only one of them gives the semaphore back.
  void release();
  bool held() const { return held_; }

 private:
  SockPair* c_ = nullptr;
  std::atomic<bool> held_{false};
};

class SockPair {
 public:
  SockPair(uint32_t addr_be, uint16_t port_be);
  virtual ~SockPair();
  SockPair(const SockPair&) = delete;
  SockPair& operator=(const SockPair&) = delete;

  void activate(int32_t timeout, const char* id);
  void deactivate(int32_t timeout);
  int addUser();
  int removeUser();
  void transact(Socket& s, int32_t timeout, PDU& pdu, uint8_t type);
  void readControllerInfo(const PDU& init, const char* id, int32_t timeout);

  int users = 0;
  uint32_t address;
  uint16_t port;
  plat::KMutex* user_lock = nullptr;
  Socket sock1;
  Socket sock2;
  plat::KMutex* circuit_lock = nullptr;
  plat::KSem* transfer_lock = nullptr;
  uint16_t version = 0;
  int32_t active = 0;
  char id[8];
  ControllerConfig config;
  SysInfo sysinfo[kMaxPaths];

 private:
  void openSockets(int32_t timeout, PDU& pdu);
  int fillConfigOld(const PDU& init);
  int fillConfigNew(const PDU& init);
  void readSysInfo(int paths, bool want140, const char* id, int32_t timeout);
};

class SocketMgr {
 public:
  SocketMgr();
  virtual ~SocketMgr();
  SockPair* getCircuit(const char* host, uint16_t port, int32_t timeout, const char* id);
  void releaseCircuit(SockPair* c, int32_t timeout);
  void clear();

 private:
  void dropUser(SockPair* c);
  plat::KMutex* lock_;
  std::map<std::pair<uint32_t, uint16_t>, SockPair> table_;
};

SocketMgr& socketMgr();

// The 8-byte comparison value of an identification string.
void idComparisonValue(const char* id, char out[8]);
// The scrambled form command 833 carries.
void scrambleId(const char id[8], uint16_t w38, uint16_t w40, uint8_t out[8]);

}  // namespace oz
