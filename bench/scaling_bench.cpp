// Calls per second with 1, 4 and 16 threads, all on one circuit and spread
// over 16 circuits (one fake controller each), each thread with its own
// handle; then 256 circuits to 256 controllers from this one process: the
// time to open them all, the memory each costs, a round-robin poll, and the
// descriptors given back when the handles go. Nothing is pinned: this is how
// an application's threads meet the library.
//   scaling_bench [seconds per figure, default 2]
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ozlib.h"
#include "platform/platform.h"
#include "sim/fake_controller.h"

using namespace oz;
using Clock = std::chrono::steady_clock;

namespace {

std::vector<std::unique_ptr<sim::FakeController>> controllers(size_t n) {
  std::vector<std::unique_ptr<sim::FakeController>> out;
  for (size_t i = 0; i < n; ++i) {
    out.push_back(std::make_unique<sim::FakeController>());
    out.back()->recording(false);
    out.back()->reply(1, 36, sim::RbReply().i32(1500));
  }
  return out;
}

uint16_t openHandle(uint16_t port) {
  uint16_t h = 0;
  if (cnc_allclibhndl3("127.0.0.1", port, 5, &h) != EW_SUCCESS) {
    std::fprintf(stderr, "allocation failed\n");
    std::exit(1);
  }
  return h;
}

double callsPerSecond(int threads, const std::vector<std::unique_ptr<sim::FakeController>>& ctl,
                      double seconds) {
  std::atomic<long> calls{0};
  std::atomic<bool> stop{false};
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) {
    pool.emplace_back([&, t] {
      const uint16_t h = openHandle(ctl[size_t(t) % ctl.size()]->port());
      actf_t a;
      long n = 0;
      while (!stop)
        if (cnc_actf(h, &a) == EW_SUCCESS) ++n;
      calls += n;
      cnc_freelibhndl(h);
    });
  }
  const auto t0 = Clock::now();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  stop = true;
  for (auto& th : pool) th.join();
  return double(calls) / std::chrono::duration<double>(Clock::now() - t0).count();
}

// Resident memory in kB, from the system where it tells; 0 elsewhere.
long residentKb() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

long openDescriptors() {
  std::error_code ec;
  std::filesystem::directory_iterator it("/proc/self/fd", ec);
  long n = 0;
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) ++n;
  return n;
}

void manyCircuits(size_t n) {
  const long fds_none = openDescriptors();
  auto ctl = controllers(n);
  const long fds0 = openDescriptors(), rss0 = residentKb();
  std::vector<uint16_t> handles;
  const auto t0 = Clock::now();
  for (auto& c : ctl) handles.push_back(openHandle(c->port()));
  const double open_s = std::chrono::duration<double>(Clock::now() - t0).count();
  const long rss1 = residentKb(), fds1 = openDescriptors();
  long ok = 0;
  const auto t1 = Clock::now();
  for (int round = 0; round < 20; ++round)
    for (uint16_t h : handles) {
      actf_t a;
      ok += cnc_actf(h, &a) == EW_SUCCESS;
    }
  const double poll_s = std::chrono::duration<double>(Clock::now() - t1).count();
  for (uint16_t h : handles) cnc_freelibhndl(h);
  // The simulated controllers keep their ends of a connection until they
  // go; the library's ends must all be closed by now.
  const long fds2 = openDescriptors();
  ctl.clear();
  const long fds3 = openDescriptors();
  std::printf("%zu circuits: opened in %.3f s (%.2f ms each), %.1f kB per circuit "
              "(controllers' side included), %ld/%zu round-robin polls ok at %.0f calls/s\n",
              n, open_s, open_s * 1000 / double(n), double(rss1 - rss0) / double(n), ok, n * 20,
              double(n * 20) / poll_s);
  std::printf("descriptors: %ld with the controllers listening, %ld with the circuits open "
              "(both ends), %ld after freeing the handles (controllers' ends), %ld after the "
              "controllers went (%ld before they came)\n",
              fds0, fds1, fds2, fds3, fds_none);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
  {
    auto one = controllers(1);
    auto sixteen = controllers(16);
    std::printf("threads  one circuit  16 circuits   (cnc_actf calls/s)\n");
    for (int threads : {1, 4, 16})
      std::printf("%7d  %11.0f  %11.0f\n", threads, callsPerSecond(threads, one, seconds),
                  callsPerSecond(threads, sixteen, seconds));
  }
  manyCircuits(256);
  return 0;
}
