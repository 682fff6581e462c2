// cnc_actf round trips per second against the fake controller on loopback,
// beside a raw-socket client that sends the same request bytes and receives
// the same reply bytes in the fewest system calls (one send; one readiness
// wait and one receive of the whole reply). Both run pinned to one CPU: a
// cross-core wake-up costs tens of microseconds and would swamp the
// difference being measured.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ozlib.h"
#include "platform/platform.h"
#include "sim/fake_controller.h"
#include "base/be.h"

using namespace oz;
using Clock = std::chrono::steady_clock;

namespace {

double rate(int n, Clock::duration d) {
  return n / std::chrono::duration<double>(d).count();
}

// A connection that has been through its initiate as the request socket.
plat::sock_t rawRequestSocket(uint16_t port) {
  plat::sock_t s = plat::sock_create();
  if (s == plat::kBadSock || plat::sock_connect(s, plat::inet_parse("127.0.0.1"), plat::to_net16(port)) != 0) {
    std::fprintf(stderr, "raw connect failed\n");
    std::exit(1);
  }
  plat::sock_set_nodelay(s, true);
  const auto init = sim::make_pdu(1, 1, 1, {0, 2});
  plat::sock_send(s, init.data(), int(init.size()), 0);
  uint8_t buf[4960];
  int have = 0;
  while (have < 10 || have < 10 + be::get16(buf + 8)) {
    plat::sock_select(s, 0, 5, 0);
    int r = plat::sock_recv(s, buf + have, int(sizeof buf) - have, 0);
    if (r <= 0) std::exit(1);
    have += r;
  }
  plat::sock_set_nonblocking(s, true);
  return s;
}

double rawRun(plat::sock_t s, const std::vector<uint8_t>& req, size_t reply_size, int n) {
  uint8_t buf[4960];
  const auto t0 = Clock::now();
  for (int i = 0; i < n; ++i) {
    plat::sock_send(s, req.data(), int(req.size()), 0);
    size_t have = 0;
    while (have < reply_size) {
      plat::sock_select(s, 0, 1, 0);
      int r = plat::sock_recv(s, buf + have, int(sizeof buf - have), 0);
      if (r > 0) have += size_t(r);
    }
  }
  return rate(n, Clock::now() - t0);
}

double libRun(uint16_t h, int n) {
  actf_t a;
  const auto t0 = Clock::now();
  for (int i = 0; i < n; ++i)
    if (cnc_actf(h, &a) != EW_SUCCESS) std::exit(2);
  return rate(n, Clock::now() - t0);
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 20000;
  plat::pin_to_cpu(0);   // before the fake starts: its threads inherit it

  sim::FakeController fake;
  fake.recording(false);
  fake.reply(1, 36, sim::RbReply().i32(1500));

  uint16_t h = 0;
  if (cnc_allclibhndl3("127.0.0.1", fake.port(), 5, &h) != EW_SUCCESS) return 1;
  // The exact bytes cnc_actf sends and receives.
  const std::vector<uint8_t> req = {0xA0, 0xA0, 0xA0, 0xA0, 0, 1, 33, 1, 0, 30, 0, 1, 0, 28, 0, 1,
                                    0, 1, 0, 36, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                    0, 0, 0, 0, 0, 0};
  const size_t reply_size = 10 + 2 + 16 + 4;
  plat::sock_t raw = rawRequestSocket(fake.port());

  libRun(h, n / 10);   // warm both paths
  rawRun(raw, req, reply_size, n / 10);
  double best_lib = 0, best_raw = 0;
  for (int round = 0; round < 5; ++round) {   // interleaved, best of five
    best_raw = std::max(best_raw, rawRun(raw, req, reply_size, n));
    best_lib = std::max(best_lib, libRun(h, n));
  }
  std::printf("raw socket baseline : %10.0f round trips/s\n", best_raw);
  std::printf("cnc_actf            : %10.0f calls/s\n", best_lib);
  std::printf("ratio               : %10.3f\n", best_lib / best_raw);
  plat::sock_close(raw);
  cnc_freelibhndl(h);
  return 0;
}
