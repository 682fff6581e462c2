#include "transport/socket.h"

#include <cstring>
#include <iomanip>

#include "base/errors.h"
#include "base/log.h"

namespace oz {

uint32_t g_sock_get_interval = 0;

namespace {
constexpr const char* kOzKey = "Software\\Korva\\OzlibEth";

std::string dotted(uint32_t addr_be) { return plat::inet_text(addr_be); }
}  // namespace

bool startup() {
  OZ_LOG(1) << "startup()";
  uint32_t v = 0;
  g_sock_get_interval = 0;
  if (plat::reg_read_u32(plat::Hive::CurrentUser, kOzKey, "SockGetInterval", &v))
    g_sock_get_interval = v > 1000u ? 1000u : v;
  uint32_t err = 0;
  if (!plat::net_startup(&err)) {
    OZ_LOG(1) << "Error: WSAStartup(): " << err;
    return false;
  }
  return true;
}

bool cleanup() {
  OZ_LOG(1) << "cleanup()";
  uint32_t err = 0;
  if (!plat::net_cleanup(&err)) {
    OZ_LOG(1) << "Error: WSACleanup(): " << err;
    return false;
  }
  return true;
}

uint32_t getInetAddr(const char* host) {
  OZ_LOG(2) << "getInetAddr(" << (host ? host : "") << ")";
  uint32_t a = plat::inet_parse(host);
  if (a != 0xFFFFFFFFu) return a;
  // 255.255.255.255 parses to the failure value and so goes to the resolver.
  uint32_t err = 0;
  if (!plat::resolve_host(host, &a, &err)) {
    OZ_LOG(1) << "Error: gethostbyname(" << (host ? host : "") << "): " << err;
    raise_error(EW_CIRCUIT, circuit_detail::kResolve, uint16_t(err));
  }
  return a;
}

Socket::~Socket() { close(); }

bool Socket::create() {
  OZ_LOG(2) << "create()";
  const uint64_t fd = plat::sock_create();
  {
    std::lock_guard<std::mutex> g(guard_);
    sock_ = fd;
    rx_pos_ = rx_len_ = 0;
  }
  if (fd == plat::kBadSock) {
    last_error_ = plat::net_error();
    OZ_LOG(1) << "Error: socket(PF_INET, SOCK_STREAM, 0): " << last_error_;
    return false;
  }
  OZ_LOG(1) << "Socket(" << sock_ << ") is created.";
  return true;
}

bool Socket::connect(uint32_t addr_be, uint16_t port_be, int32_t timeout) {
  const uint16_t port = plat::from_net16(port_be);
  OZ_LOG(2) << sock_ << ": " << "connect(" << dotted(addr_be) << ", " << port << ", " << timeout
            << ")";
  if (timeout != 0) setNonBlocking(true);
  if (plat::sock_connect(sock_, addr_be, port_be) == 0) {
    setNonBlocking(true);
    return true;
  }
  last_error_ = plat::net_error();
  if (!plat::err_in_progress(last_error_) && !plat::err_would_block(last_error_)) {
    OZ_LOG(1) << "Error: connect(" << sock_ << ", " << dotted(addr_be) << ", " << port
              << ") in part 1: " << last_error_;
    return false;
  }
  int r = plat::sock_select(sock_, 1, uint32_t(timeout < 0 ? 0 : timeout), 0);
  if (r == 0) return false;
  if (r < 0) {
    last_error_ = plat::net_error();
    OZ_LOG(1) << "Error: connect(" << sock_ << ", " << dotted(addr_be) << ", " << port
              << ") in part 2: " << last_error_;
    return false;
  }
  // Linux reports a refused non-blocking connect as writable; its pending
  // error tells the two apart, so a refusal fails at once instead of looking
  // like a connection.
  if (int pending = plat::sock_pending_error(sock_); pending != 0) {
    last_error_ = uint32_t(pending);
    OZ_LOG(1) << "Error: connect(" << sock_ << ", " << dotted(addr_be) << ", " << port
              << ") in part 2: " << last_error_;
    return false;
  }
  setNonBlocking(true);
  return true;
}

void Socket::dump(const char* what, const uint8_t* p, int n) {
  logStream s;
  s << what << n << " byte(s):";
  s << std::hex << std::uppercase << std::setfill('0');
  for (int i = 0; i < n && i < 64; ++i) s << ' ' << std::setw(2) << unsigned(p[i]);
}

// The common end of send and receive: a count of 0 is the peer's close, a
// would-block is "nothing moved", anything else fails the circuit.
int Socket::settle(int r, bool sending, const void* buf, int n, int flags) {
  const char* op = sending ? "send" : "recv";
  if (r == 0) {
    OZ_LOG(1) << "EOF: " << op << "(socket)(" << sock_ << ", " << buf << ", " << n << ", "
              << flags << ")";
    raise_error(EW_CIRCUIT, circuit_detail::kPeerClosed, sending ? 1 : 2);
  }
  if (r < 0) {
    last_error_ = plat::net_error();
    if (!plat::err_would_block(last_error_)) {
      OZ_LOG(1) << "Error: " << op << "(socket)(" << sock_ << ", " << buf << ", " << n << ", "
                << flags << "): " << last_error_;
      raise_error(EW_CIRCUIT, sending ? circuit_detail::kSend : circuit_detail::kReceive, uint16_t(last_error_));
    }
    r = 0;
  }
  return r;
}

int Socket::send(const void* buf, int n, int flags) {
  OZ_LOG(2) << sock_ << ": " << "send(" << buf << ", " << n << ", " << flags << ")";
  int r = settle(plat::sock_send(sock_, buf, n, flags), true, buf, n, flags);
  if (log_on(3)) dump("Send ", static_cast<const uint8_t*>(buf), r);
  return r;
}

// The log describes the reads the protocol makes (a header, then a body), one
// line pair each, whether the bytes come from the system or from what one
// system call read ahead.
int Socket::receive(void* buf, int n, int flags) {
  OZ_LOG(2) << sock_ << ": " << "receive(" << buf << ", " << n << ", " << flags << ")";
  if (rx_pos_ == rx_len_) {
    const int r = settle(plat::sock_recv(sock_, rx_, kReadAhead, flags), false, buf, n, flags);
    rx_pos_ = 0;
    rx_len_ = r;
  }
  int take = rx_len_ - rx_pos_;
  if (take > n) take = n;
  std::memcpy(buf, rx_ + rx_pos_, size_t(take));
  rx_pos_ += take;
  if (log_on(3)) dump("Recieve ", static_cast<const uint8_t*>(buf), take);
  return take;
}

bool Socket::readReady(uint32_t sec, uint32_t usec) {
  if (rx_pos_ < rx_len_) return true;
  int r = plat::sock_select(sock_, 0, sec, usec);
  if (r < 0) {
    last_error_ = plat::net_error();
    OZ_LOG(1) << "Error: select(" << sock_ << ", " << plat::sock_fdset_address() << ") of event"
              << 0 << ": " << last_error_;
    raise_error(EW_CIRCUIT, circuit_detail::kSelect, uint16_t(last_error_));
  }
  return r > 0;
}

bool Socket::select(int event, uint32_t timeout_sec) {
  OZ_LOG(4) << sock_ << ": select(" << event << ", " << timeout_sec << ")";
  if (event < 0 || event > 2) return false;
  if (event == 0) return readReady(timeout_sec, 0);
  int r = plat::sock_select(sock_, event, timeout_sec, 0);
  if (r < 0) {
    last_error_ = plat::net_error();
    OZ_LOG(1) << "Error: select(" << sock_ << ", " << plat::sock_fdset_address() << ") of event"
              << event << ": " << last_error_;
    raise_error(EW_CIRCUIT, circuit_detail::kSelect, uint16_t(last_error_));
  }
  return r > 0;
}

bool Socket::pollNow(int event) { return select(event, 0); }

bool Socket::waitReadable(uint32_t ms) {
  uint64_t fd;
  {
    std::lock_guard<std::mutex> g(guard_);
    if (rx_pos_ < rx_len_) return true;
    if (sock_ == plat::kBadSock) return false;
    fd = sock_;
    ++waiters_;
  }
  const bool ready = plat::sock_select(fd, 0, ms / 1000, (ms % 1000) * 1000) > 0;
  std::vector<uint64_t> done;
  {
    std::lock_guard<std::mutex> g(guard_);
    if (--waiters_ == 0) done.swap(orphans_);
  }
  for (uint64_t o : done) closeDescriptor(o);
  return ready;
}

void Socket::discardPending() {
  rx_pos_ = rx_len_ = 0;
  // Bounded: a peer that keeps streaming cannot hold the caller here.
  for (int i = 0; i < 16 && plat::sock_select(sock_, 0, 0, 0) > 0; ++i)
    if (plat::sock_recv(sock_, rx_, kReadAhead, 0) <= 0) break;
  rx_pos_ = rx_len_ = 0;
}

void Socket::setNonBlocking(bool on) {
  OZ_LOG(2) << sock_ << ": setNonBlocking(" << on << ")";
  if (plat::sock_set_nonblocking(sock_, on) != 0) {
    last_error_ = plat::net_error();
    OZ_LOG(1) << "Error: ioctlsocket(" << sock_ << ", FIONBIO, " << on << "):" << last_error_;
  }
}

void Socket::setNoDelay(bool on) {
  OZ_LOG(2) << sock_ << ": setNoDelay(" << on << ")";
  if (plat::sock_set_nodelay(sock_, on) != 0) {
    last_error_ = plat::net_error();
    OZ_LOG(1) << "Error: setsockopt(" << sock_ << ", IPPROTO_TCP, TCP_NODELAY, " << on
              << ", sizeof(BOOL)" << "): " << last_error_;
  }
}

bool Socket::close() {
  uint64_t fd;
  {
    std::lock_guard<std::mutex> g(guard_);
    fd = sock_;
    if (fd == plat::kBadSock) return true;
    sock_ = plat::kBadSock;
    rx_pos_ = rx_len_ = 0;
    if (waiters_ > 0) {
      // The waiter wakes at once and closes the descriptor when it leaves.
      OZ_LOG(2) << fd << ": close() deferred to its waiter";
      plat::sock_shutdown(fd);
      orphans_.push_back(fd);
      return true;
    }
  }
  const uint32_t err = closeDescriptor(fd);
  if (err != 0) last_error_ = err;
  return err == 0;
}

// Also run by a waiter without the circuit lock, so it touches no member.
uint32_t Socket::closeDescriptor(uint64_t fd) {
  OZ_LOG(2) << fd << ": close()";
  OZ_LOG(2) << fd << ": setNonBlocking(0)";
  if (plat::sock_set_nonblocking(fd, false) != 0)
    OZ_LOG(1) << "Error: ioctlsocket(" << fd << ", FIONBIO, 0):" << plat::net_error();
  if (plat::sock_close(fd) == 0) {
    OZ_LOG(1) << "Socket(" << fd << ") was closed.";
    return 0;
  }
  const uint32_t err = plat::net_error();
  OZ_LOG(1) << "Error: closesocket(" << fd << "): " << err;
  return err == 0 ? 1 : err;
}

}  // namespace oz
