// Library handles: one record per number, owned by the allocating thread.
#pragma once
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>

#include "base/errors.h"
#include "transport/circuit.h"

namespace oz {

enum HandleFlag : uint32_t {
  kBroken = 0x1, kDialectCurrent = 0x4, kOldProtocol = 0x8, kDialectCompact = 0x10,
  kDialectPacked = 0x20, kDownloadOpen = 0x40, kUploadOpen = 0x80, kDncOpen = 0x100,
  kDownloadStopped = 0x200, kUploadFinished = 0x400, kDncAborted = 0x800,
  kOldDncOpen1 = 0x2000, kOldDncOpen2 = 0x4000, kMacBinary = 0x8000, kPmacBinary = 0x10000,
  kSpmeterOther = 0x20000, kProtocol2 = 0x40000, kSampling = 0x80000, kProtocol5 = 0x100000,
};

struct ErrStore {
  int16_t code = 0;
  uint16_t detail = 0;
  uint16_t sub = 0;
};

class Handle {
 public:
  Handle(uint16_t number, uint32_t owner) : number(number), owner(owner) {}
  virtual ~Handle();

  uint16_t number;
  uint32_t owner;
  // The owner thread sets its session bits while a break on another thread
  // sets kBroken: each change must be one indivisible read-modify-write, or
  // one of them is lost.
  std::atomic<uint32_t> flags{0};
  ErrStore cnc_err, pmc_err, abort_err;
  uint8_t xfer_buf[kTransferPiece];
  uint32_t xfer_pos = 0, xfer_held = 0, xfer_total = 0, xfer_delivered = 0;
  SockPair* circuit = nullptr;
  int32_t timeout = 0;
  uint32_t last_xfer_tick = 0;
  FileLock hold;
  uint32_t samp_a[8] = {};
  uint16_t samp_b[8] = {};
  uint32_t samp_c[8] = {};
  uint16_t samp_total = 0;
  ControllerConfig config{};
  SysInfo sysinfo[kMaxPaths]{};
  int16_t path = 1;
  uint32_t pmc_unit = 1;

  bool has(uint32_t f) const { return (flags & f) != 0; }
  uint64_t sock2Number() const { return circuit ? circuit->sock2.number() : plat::kBadSock; }
  // Counts of the current path (configuration path entry words).
  uint16_t pathAxes() const { return config.pathWord(path, 12); }
  uint16_t pathSpindles() const { return config.pathWord(path, 10); }
  uint16_t pathSpindleMax() const { return config.pathWord(path, 16); }
  uint16_t maxAxes() const { return config.word(6); }
  uint16_t axesDelivered() const { return config.word(28); }
  const SysInfo& pathSysInfo() const { return sysinfo[path - 1]; }
};

class HandleMgr {
 public:
  HandleMgr() = default;
  virtual ~HandleMgr();

  Handle* create(uint32_t owner);             // null when the pool is empty
  void remove(uint16_t number);
  bool isValid(uint16_t number);
  Handle* find(uint16_t number);
  Handle* findValid(uint16_t number);          // null unless valid for the calling thread
  SockPair* attach(Handle* h, SockPair* c);
  void markBroken(const SockPair* c);          // breakCircuit's step 2
  void removeThread(uint32_t owner);
  void removeAll();

 private:
  uint16_t nextNumber();                       // 0 when none is free
  std::mutex cs_;
  std::map<uint16_t, Handle*> map_;
  uint16_t counter_ = 0;
};

HandleMgr& handleMgr();

bool is_valid_handle(uint16_t h);
Handle* find_handle(uint16_t h);
// is_valid_handle and find_handle under one lock: the frame's entry.
Handle* find_valid_handle(uint16_t h);
SockPair* attach_circuit(Handle* h, SockPair* c);

void record_error(Handle& h, int16_t code, uint16_t detail, uint16_t sub, uint16_t cls);
void record_error(Handle& h, const ErrObj& e);
void save_abort_error(Handle& h, const ErrObj& e);
[[noreturn]] void raise_saved_abort(Handle& h);
[[noreturn]] void raise_from_store(Handle& h, uint16_t cls);

void breakCircuit(Handle& h);

bool path_is_lp(const Handle& h);
bool path_is_lp_tool(const Handle& h);
bool path_is_w(const Handle& h);

}  // namespace oz
