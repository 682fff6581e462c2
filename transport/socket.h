// One non-blocking IPv4 TCP socket with the library's logging and error
// raising. All waiting is done by the callers through select().
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/platform.h"

namespace oz {

// Milliseconds between the two connections of a circuit; read at load.
extern uint32_t g_sock_get_interval;

bool startup();
bool cleanup();
uint32_t getInetAddr(const char* host);   // network order; raises (-16, 7, err)

class Socket {
 public:
  // One PDU buffer's worth of read-ahead: a reply usually arrives whole, and
  // taking it with a single receive instead of one per header and body halves
  // the system calls of a request without changing what is read or when.
  static constexpr int kReadAhead = 4960;

  Socket() = default;
  virtual ~Socket();
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  bool create();
  bool connect(uint32_t addr_be, uint16_t port_be, int32_t timeout);
  int send(const void* buf, int n, int flags = 0);      // bytes taken; 0 would block
  int receive(void* buf, int n, int flags = 0);         // bytes read; 0 nothing yet
  bool select(int event, uint32_t timeout_sec);         // 0 read, 1 write, 2 except
  bool pollNow(int event);                              // select with limit 0
  // Waits up to ms for data, counting what was read ahead; never raises:
  // false on a time-out or a failed wait alike. The one operation that may
  // run without the circuit lock, beside a close() on another thread.
  bool waitReadable(uint32_t ms);
  // Drops what was received but not yet read and what is waiting on the
  // socket now, without waiting: after a malformed header the rest of that
  // PDU would otherwise be taken for the next reply's header.
  void discardPending();
  void setNonBlocking(bool on);
  void setNoDelay(bool on);
  bool close();

  bool isOpen() const { return sock_ != plat::kBadSock; }
  uint64_t number() const { return sock_.load(std::memory_order_relaxed); }
  uint32_t lastError() const { return last_error_; }

 private:
  bool readReady(uint32_t sec, uint32_t usec);
  int settle(int r, bool sending, const void* buf, int n, int flags);
  void dump(const char* what, const uint8_t* p, int n);

  static uint32_t closeDescriptor(uint64_t fd);   // 0, or the system's error

  // waitReadable runs with the circuit lock released, so a break on another
  // thread may close this socket meanwhile. The descriptor must stay open
  // until the waiter is done with it: a closed number can be handed out
  // again by the next open of the process, and the waiter would poll a
  // stranger's socket. guard_ orders sock_ between the two; a close under a
  // waiter only wakes it and leaves the descriptor to the last waiter.
  std::mutex guard_;
  int waiters_ = 0;
  std::vector<uint64_t> orphans_;
  // Atomic besides: error lines print the number without the circuit lock.
  std::atomic<uint64_t> sock_{plat::kBadSock};
  uint32_t last_error_ = 0;
  uint8_t rx_[kReadAhead];
  int rx_pos_ = 0;
  int rx_len_ = 0;
};

}  // namespace oz
