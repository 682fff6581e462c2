#include "sim/listen.h"

#include <cerrno>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace oz::sim {

namespace {

#ifdef _WIN32
constexpr uint32_t kInUse = WSAEADDRINUSE, kNotLocal = WSAEADDRNOTAVAIL, kDenied = WSAEACCES;
uint32_t last_error() { return uint32_t(WSAGetLastError()); }
void close_socket(plat::sock_t s) { closesocket(SOCKET(s)); }
#else
constexpr uint32_t kInUse = EADDRINUSE, kNotLocal = EADDRNOTAVAIL, kDenied = EACCES;
uint32_t last_error() { return uint32_t(errno); }
void close_socket(plat::sock_t s) { ::close(int(s)); }
#endif

std::string reason(uint32_t err) {
  if (err == kInUse) return "address in use";
  if (err == kNotLocal) return "not an address of this machine";
  if (err == kDenied) return "permission denied";
  return "system error " + std::to_string(err);
}

}  // namespace

std::string reach_address(const std::string& address) { return address == "0.0.0.0" ? "127.0.0.1" : address; }

plat::sock_t listen_on(const std::string& address, uint16_t port, uint16_t* bound) {
  const std::string where = address + ":" + std::to_string(port);
  const uint32_t addr = plat::inet_parse(address.c_str());
  if (addr == 0xFFFFFFFFu && address != "255.255.255.255")
    throw ListenError("cannot listen on " + where + ": not an IPv4 address");
  if (address == "127.0.0.1") {
    const plat::sock_t s = plat::sock_listen_loopback(port, bound);
    if (s == plat::kBadSock) throw ListenError("cannot listen on " + where + ": " + reason(last_error()));
    return s;
  }
#ifdef _WIN32
  const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) throw ListenError("cannot listen on " + where + ": " + reason(last_error()));
#else
  const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s < 0) throw ListenError("cannot listen on " + where + ": " + reason(last_error()));
  // As the loopback listener does: a restarted simulator takes its port back
  // at once. (On Windows the option would let a second listener steal it.)
  int one = 1;
  ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
#endif
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = addr;
  sa.sin_port = htons(port);
  socklen_t len = sizeof sa;
  if (::bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(s, 64) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
    const uint32_t err = last_error();
    close_socket(plat::sock_t(s));
    throw ListenError("cannot listen on " + where + ": " + reason(err));
  }
  if (bound) *bound = ntohs(sa.sin_port);
  return plat::sock_t(s);
}

}  // namespace oz::sim
