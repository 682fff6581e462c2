#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "platform/platform.h"

namespace oz::plat {

namespace {
thread_local uint32_t t_error = 0;
thread_local fd_set t_fdset;   // only its address is ever shown, in log lines

int fd_of(sock_t s) { return int(s); }
int fail() {
  t_error = uint32_t(errno);
  return -1;
}
}  // namespace

bool net_startup(uint32_t*) { return true; }
bool net_cleanup(uint32_t*) { return true; }
uint32_t net_error() { return t_error; }
bool err_would_block(uint32_t e) { return e == EAGAIN || e == EWOULDBLOCK; }
bool err_in_progress(uint32_t e) { return e == EINPROGRESS || e == EAGAIN || e == EALREADY; }

sock_t sock_create() {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    fail();
    return kBadSock;
  }
  return sock_t(fd);
}

int sock_connect(sock_t s, uint32_t addr_be, uint16_t port_be) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = addr_be;
  sa.sin_port = port_be;
  return ::connect(fd_of(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0 ? 0 : fail();
}

// MSG_NOSIGNAL: a peer that went away must give an error, not kill the process.
int sock_send(sock_t s, const void* buf, int n, int flags) {
  ssize_t r = ::send(fd_of(s), buf, size_t(n), flags | MSG_NOSIGNAL);
  return r < 0 ? fail() : int(r);
}

int sock_recv(sock_t s, void* buf, int n, int flags) {
  ssize_t r = ::recv(fd_of(s), buf, size_t(n), flags);
  return r < 0 ? fail() : int(r);
}

// poll() rather than select(): a process may hold descriptors above FD_SETSIZE.
int sock_select(sock_t s, int event, uint32_t sec, uint32_t usec) {
  pollfd p{fd_of(s), 0, 0};
  p.events = event == 0 ? POLLIN : event == 1 ? POLLOUT : POLLPRI;
  uint64_t ms = uint64_t(sec) * 1000u + (usec + 999u) / 1000u;
  int r;
  do {
    r = ::poll(&p, 1, int(ms > 0x7FFFFFFF ? 0x7FFFFFFF : ms));
  } while (r < 0 && errno == EINTR);
  if (r < 0) return fail();
  if (r == 0) return 0;
  // A readable wait reports a hung-up or failed peer as ready so that the
  // following receive sees the end of the stream or the error.
  if (event == 0) return (p.revents & (POLLIN | POLLHUP | POLLERR)) ? 1 : 0;
  if (event == 1) return (p.revents & (POLLOUT | POLLHUP | POLLERR)) ? 1 : 0;
  return (p.revents & POLLPRI) ? 1 : 0;
}

int sock_set_nonblocking(sock_t s, bool on) {
  int fl = ::fcntl(fd_of(s), F_GETFL);
  if (fl < 0) return fail();
  fl = on ? (fl | O_NONBLOCK) : (fl & ~O_NONBLOCK);
  return ::fcntl(fd_of(s), F_SETFL, fl) == 0 ? 0 : fail();
}

int sock_set_nodelay(sock_t s, bool on) {
  int v = on ? 1 : 0;
  return ::setsockopt(fd_of(s), IPPROTO_TCP, TCP_NODELAY, &v, sizeof v) == 0 ? 0 : fail();
}

int sock_pending_error(sock_t s) {
  int err = 0;
  socklen_t len = sizeof err;
  if (::getsockopt(fd_of(s), SOL_SOCKET, SO_ERROR, &err, &len) != 0) return int(errno);
  return err;
}

int sock_close(sock_t s) { return ::close(fd_of(s)) == 0 ? 0 : fail(); }

const void* sock_fdset_address() { return &t_fdset; }

uint32_t inet_parse(const char* text) {
  in_addr a;
  if (text == nullptr || ::inet_aton(text, &a) == 0) return 0xFFFFFFFFu;
  return a.s_addr;
}

bool resolve_host(const char* name, uint32_t* addr_be, uint32_t* err) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  int r = ::getaddrinfo(name ? name : "", nullptr, &hints, &res);
  if (r != 0 || res == nullptr) {
    *err = uint32_t(r < 0 ? -r : r);
    if (res) ::freeaddrinfo(res);
    return false;
  }
  *addr_be = reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr.s_addr;
  ::freeaddrinfo(res);
  return true;
}

std::string inet_text(uint32_t addr_be) {
  char buf[INET_ADDRSTRLEN];
  in_addr a;
  a.s_addr = addr_be;
  return ::inet_ntop(AF_INET, &a, buf, sizeof buf) ? std::string(buf) : std::string();
}

uint16_t to_net16(uint16_t v) { return htons(v); }
uint16_t from_net16(uint16_t v) { return ntohs(v); }

sock_t sock_listen_loopback(uint16_t port, uint16_t* bound_port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return kBadSock;
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  sa.sin_port = htons(port);
  socklen_t len = sizeof sa;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(fd, 64) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
    ::close(fd);
    return kBadSock;
  }
  if (bound_port) *bound_port = ntohs(sa.sin_port);
  return sock_t(fd);
}

sock_t sock_accept(sock_t listener) {
  int fd;
  do {
    fd = ::accept4(fd_of(listener), nullptr, nullptr, SOCK_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    fail();
    return kBadSock;
  }
  return sock_t(fd);
}

void sock_shutdown(sock_t s) { ::shutdown(fd_of(s), SHUT_RDWR); }

}  // namespace oz::plat
