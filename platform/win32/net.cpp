// Windows Sockets, used at the 1.1 level: the client side needs nothing newer,
// and staying there keeps the library's behaviour the same on every Windows.
#include "platform/platform.h"

#include <winsock2.h>
#include <windows.h>

#include <cstring>
#include <mutex>
#include <set>

namespace oz::plat {

namespace {

SOCKET s_(sock_t s) { return static_cast<SOCKET>(s); }

// The set that sock_select fills; one per thread so concurrent selects on
// different circuits never share it, and its address stays valid for the log
// line that names it.
thread_local fd_set t_fdset;

// Listeners that sock_shutdown has stopped. Windows has no way to make a
// blocked accept return short of closing the socket, and closing it under the
// accepting thread would free the handle number for reuse while that thread
// still holds it. So a stopped listener is marked here and woken by a
// connection of its own, which sock_accept then refuses.
std::mutex g_stopped_mutex;
std::set<SOCKET> g_stopped;

bool is_stopped(SOCKET s) {
  std::lock_guard<std::mutex> lock(g_stopped_mutex);
  return g_stopped.count(s) != 0;
}

void wake_listener(SOCKET listener) {
  sockaddr_in self{};
  int len = sizeof self;
  if (getsockname(listener, reinterpret_cast<sockaddr*>(&self), &len) != 0) return;
  SOCKET waker = socket(AF_INET, SOCK_STREAM, 0);
  if (waker == INVALID_SOCKET) return;
  connect(waker, reinterpret_cast<const sockaddr*>(&self), sizeof self);
  closesocket(waker);
}

}  // namespace

bool net_startup(uint32_t* err) {
  WSADATA data;
  // WSAStartup reports its failure as its result; the thread's last error is
  // not set because the library is not yet started.
  int rc = WSAStartup(MAKEWORD(1, 1), &data);
  if (err) *err = static_cast<uint32_t>(rc);
  return rc == 0;
}

bool net_cleanup(uint32_t* err) {
  if (WSACleanup() == 0) {
    if (err) *err = 0;
    return true;
  }
  if (err) *err = net_error();
  return false;
}

uint32_t net_error() { return static_cast<uint32_t>(WSAGetLastError()); }

bool err_would_block(uint32_t err) { return err == WSAEWOULDBLOCK; }

// A non-blocking connect answers WSAEWOULDBLOCK on Windows. WSAEINPROGRESS is
// something else there (another blocking call of this thread is under way).
bool err_in_progress(uint32_t err) { return err == WSAEWOULDBLOCK; }

sock_t sock_create() {
  SOCKET s = socket(PF_INET, SOCK_STREAM, 0);
  return s == INVALID_SOCKET ? kBadSock : static_cast<sock_t>(s);
}

int sock_connect(sock_t s, uint32_t addr_be, uint16_t port_be) {
  sockaddr_in sin{};
  sin.sin_family = AF_INET;
  sin.sin_port = port_be;
  sin.sin_addr.s_addr = addr_be;
  return connect(s_(s), reinterpret_cast<const sockaddr*>(&sin), sizeof sin) == 0 ? 0 : -1;
}

int sock_send(sock_t s, const void* buf, int n, int flags) {
  int r = send(s_(s), static_cast<const char*>(buf), n, flags);
  return r == SOCKET_ERROR ? -1 : r;
}

int sock_recv(sock_t s, void* buf, int n, int flags) {
  int r = recv(s_(s), static_cast<char*>(buf), n, flags);
  return r == SOCKET_ERROR ? -1 : r;
}

int sock_select(sock_t s, int event, uint32_t sec, uint32_t usec) {
  if (event < 0 || event > 2) return 0;
  FD_ZERO(&t_fdset);
  FD_SET(s_(s), &t_fdset);
  timeval tv;
  tv.tv_sec = static_cast<long>(sec);
  tv.tv_usec = static_cast<long>(usec);
  fd_set* sets[3] = {nullptr, nullptr, nullptr};
  sets[event] = &t_fdset;
  // The first argument is ignored by Windows Sockets.
  int r = select(0, sets[0], sets[1], sets[2], &tv);
  if (r == SOCKET_ERROR) return -1;
  return r > 0 ? 1 : 0;
}

int sock_set_nonblocking(sock_t s, bool on) {
  u_long arg = on ? 1 : 0;
  return ioctlsocket(s_(s), FIONBIO, &arg) == 0 ? 0 : -1;
}

int sock_set_nodelay(sock_t s, bool on) {
  BOOL arg = on ? TRUE : FALSE;
  return setsockopt(s_(s), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&arg),
                    sizeof arg) == 0
             ? 0
             : -1;
}

int sock_pending_error(sock_t s) {
  int err = 0;
  int len = sizeof err;
  if (getsockopt(s_(s), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len) != 0)
    return WSAGetLastError();
  return err;
}

int sock_close(sock_t s) {
  {
    std::lock_guard<std::mutex> lock(g_stopped_mutex);
    g_stopped.erase(s_(s));
  }
  return closesocket(s_(s)) == 0 ? 0 : -1;
}

const void* sock_fdset_address() { return &t_fdset; }

uint32_t inet_parse(const char* text) { return inet_addr(text); }

bool resolve_host(const char* name, uint32_t* addr_be, uint32_t* err) {
  const hostent* he = gethostbyname(name);
  if (!he) {
    if (err) *err = net_error();
    return false;
  }
  if (he->h_addrtype != AF_INET || he->h_length != 4 || !he->h_addr_list[0]) {
    if (err) *err = WSANO_DATA;
    return false;
  }
  std::memcpy(addr_be, he->h_addr_list[0], 4);
  if (err) *err = 0;
  return true;
}

std::string inet_text(uint32_t addr_be) {
  in_addr a;
  a.s_addr = addr_be;
  // inet_ntoa's buffer belongs to the calling thread; copy it out at once.
  const char* t = inet_ntoa(a);
  return t ? std::string(t) : std::string();
}

uint16_t to_net16(uint16_t v) { return htons(v); }
uint16_t from_net16(uint16_t v) { return ntohs(v); }

sock_t sock_listen_loopback(uint16_t port, uint16_t* bound_port) {
  SOCKET s = socket(PF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) return kBadSock;
  sockaddr_in sin{};
  sin.sin_family = AF_INET;
  sin.sin_port = htons(port);
  sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof sin;
  // No SO_REUSEADDR: on Windows it lets a second listener take over a port
  // that is in use instead of failing.
  if (bind(s, reinterpret_cast<const sockaddr*>(&sin), sizeof sin) != 0 ||
      listen(s, SOMAXCONN) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&sin), &len) != 0) {
    int err = WSAGetLastError();
    closesocket(s);
    WSASetLastError(err);
    return kBadSock;
  }
  if (bound_port) *bound_port = ntohs(sin.sin_port);
  return static_cast<sock_t>(s);
}

sock_t sock_accept(sock_t listener) {
  SOCKET l = s_(listener);
  if (is_stopped(l)) {
    WSASetLastError(WSAEINTR);
    return kBadSock;
  }
  SOCKET s = accept(l, nullptr, nullptr);
  if (s == INVALID_SOCKET) return kBadSock;
  if (is_stopped(l)) {
    closesocket(s);
    WSASetLastError(WSAEINTR);
    return kBadSock;
  }
  return static_cast<sock_t>(s);
}

void sock_shutdown(sock_t s) {
  SOCKET sock = s_(s);
  BOOL listening = FALSE;
  int len = sizeof listening;
  if (getsockopt(sock, SOL_SOCKET, SO_ACCEPTCONN, reinterpret_cast<char*>(&listening), &len) ==
          0 &&
      listening) {
    {
      std::lock_guard<std::mutex> lock(g_stopped_mutex);
      g_stopped.insert(sock);
    }
    wake_listener(sock);
    return;
  }
  // The peer sees the end of the stream. A receive that another thread has
  // under way is not ended by shutdown on every Windows version, so it is
  // cancelled as well; it then fails instead of waiting for data.
  shutdown(sock, SD_BOTH);
  CancelIoEx(reinterpret_cast<HANDLE>(sock), nullptr);
}

}  // namespace oz::plat
