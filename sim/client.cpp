#include "sim/client.h"

#include <cerrno>

#include "platform/platform.h"

namespace oz::sim {

namespace {

// The platform gives error numbers as the system does; these are the few a
// user needs told apart.
#ifdef _WIN32
constexpr uint32_t kRefused = 10061, kTimedOut = 10060, kNetUnreach = 10051, kHostUnreach = 10065;
#else
constexpr uint32_t kRefused = ECONNREFUSED, kTimedOut = ETIMEDOUT, kNetUnreach = ENETUNREACH,
                   kHostUnreach = EHOSTUNREACH;
#endif

ReachResult classify(uint32_t err) {
  if (err == kRefused) return {Reach::kRefused, err};
  if (err == kTimedOut) return {Reach::kTimedOut, err};
  if (err == kNetUnreach || err == kHostUnreach) return {Reach::kUnreachable, err};
  return {Reach::kOther, err};
}

// Winsock must be started around every use; elsewhere this costs nothing.
struct Net {
  Net() { plat::net_startup(&err); }
  ~Net() { plat::net_cleanup(&err); }
  uint32_t err = 0;
};

struct Sock {
  plat::sock_t s = plat::sock_create();
  ~Sock() {
    if (s != plat::kBadSock) plat::sock_close(s);
  }
};

// Connects s to addr:port within timeout_s seconds.
ReachResult connect_within(plat::sock_t s, uint32_t addr_be, uint16_t port, int timeout_s) {
  plat::sock_set_nonblocking(s, true);
  if (plat::sock_connect(s, addr_be, plat::to_net16(port)) == 0) return {Reach::kConnected, 0};
  const uint32_t err = plat::net_error();
  if (!plat::err_in_progress(err) && !plat::err_would_block(err)) return classify(err);
  const int ready = plat::sock_select(s, 1, uint32_t(timeout_s), 0);
  if (ready == 0) return {Reach::kTimedOut, 0};
  if (ready < 0) return classify(plat::net_error());
  const int pending = plat::sock_pending_error(s);
  return pending == 0 ? ReachResult{Reach::kConnected, 0} : classify(uint32_t(pending));
}

}  // namespace

ReachResult probe_connect(const std::string& host, uint16_t port, int timeout_s) {
  Net net;
  uint32_t addr = plat::inet_parse(host.c_str());
  uint32_t err = 0;
  if (addr == 0xFFFFFFFFu && !plat::resolve_host(host.c_str(), &addr, &err)) return {Reach::kUnresolved, err};
  Sock sock;
  if (sock.s == plat::kBadSock) return {Reach::kOther, plat::net_error()};
  return connect_within(sock.s, addr, port, timeout_s);
}

bool control_request(uint16_t port, const std::string& line, std::string* answer, std::string* error) {
  Net net;
  Sock sock;
  const ReachResult r = sock.s == plat::kBadSock
                            ? ReachResult{Reach::kOther, plat::net_error()}
                            : connect_within(sock.s, plat::inet_parse("127.0.0.1"), port, 5);
  if (r.reach != Reach::kConnected) {
    *error = r.reach == Reach::kRefused    ? "connection refused"
             : r.reach == Reach::kTimedOut ? "timed out"
                                           : "system error " + std::to_string(r.error);
    return false;
  }
  const std::string out = line + "\n";
  for (size_t at = 0; at < out.size();) {
    if (plat::sock_select(sock.s, 1, 5, 0) != 1) break;
    const int n = plat::sock_send(sock.s, out.data() + at, int(out.size() - at), 0);
    if (n <= 0) break;
    at += size_t(n);
  }
  std::string in;
  char buf[512];
  while (in.find('\n') == std::string::npos && in.size() < 65536) {
    if (plat::sock_select(sock.s, 0, 5, 0) != 1) break;
    const int n = plat::sock_recv(sock.s, buf, sizeof buf, 0);
    if (n <= 0) break;
    in.append(buf, size_t(n));
  }
  if (in.find('\n') == std::string::npos) {
    *error = "no answer";
    return false;
  }
  *answer = in.substr(0, in.find('\n'));
  return true;
}

}  // namespace oz::sim
