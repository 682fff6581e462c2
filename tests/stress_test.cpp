// Load held with nothing lost: 16 threads with handles of their own on two
// shared circuits, handles churned through allocation, calls, free and
// thread exit, program transfers on sock1 beside requests on sock2, and a
// thread that breaks circuits now and then. Every reply carries the value
// that identifies its request, so a lost or misdelivered one shows.
// OZ_STRESS_SECONDS lengthens the run (default 3).
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "core/listed.h"
#include "sim/machine.h"
#include "tests/support.h"

#define OZ_STRESS_ROWS(X) X(ozstress_echo, Read, 1, (600), a1, a2)
OZ_STRESS_ROWS(OZ_LISTED_DEFINE)
OZ_LISTED_TABLE(stress_rows, OZ_STRESS_ROWS)

namespace oz::test {
namespace {

constexpr int kWorkers = 16;
constexpr int kHandlesPerWorker = 4;
constexpr int kCallsPerHandle = 8;
constexpr int kHandleChurn = 1024;

// Descriptors open in the process; -1 where the system does not list them.
// A Windows build sees /proc only under wine, and what it lists there is
// wine's own process, whose descriptors come and go with wine's caches.
int openDescriptors() {
#ifdef _WIN32
  return -1;
#else
  std::error_code ec;
  std::filesystem::directory_iterator it("/proc/self/fd", ec);
  if (ec) return -1;
  int n = 0;
  for (; it != std::filesystem::directory_iterator(); it.increment(ec)) ++n;
  return n;
#endif
}

int liveHandles() {
  int n = 0;
  for (uint32_t h = 0x8001; h <= 0x8400; ++h) n += find_handle(uint16_t(h)) != nullptr;
  return n;
}

uint32_t stressSeconds() {
  const char* s = std::getenv("OZ_STRESS_SECONDS");
  return s && std::atoi(s) > 0 ? uint32_t(std::atoi(s)) : 3u;
}

struct Tally {
  std::atomic<long> calls{0}, broken{0}, handles{0}, threads{0}, transfers{0}, breaks{0};
  std::atomic<long> wrong{0};   // any reply or code that should not have come
  std::atomic<bool> stop{false};
};

sim::MachineConfig quietMachine() {
  sim::MachineConfig c;
  c.recording = false;
  return c;
}

class Stress : public ::testing::Test {
 protected:
  void SetUp() override {
    fds_before = openDescriptors();
    for (auto& m : machines) {
      m = std::make_unique<sim::Machine>(quietMachine());
      m->on(1, 600, [](sim::Machine&, const sim::RbRequest& q) {
        return sim::RbReply().i32(q.a1).i32(q.a2);
      });
    }
  }
  uint16_t port(size_t i) const { return machines[i % std::size(machines)]->port(); }
  // A handle, retried while another thread's break makes the opening fail.
  uint16_t alloc(size_t machine) {
    for (;;) {
      uint16_t h = 0;
      const int16_t r = cnc_allclibhndl3("127.0.0.1", port(machine), 5, &h);
      if (r == EW_SUCCESS) {
        ++t.handles;
        return h;
      }
      if (r != EW_CIRCUIT) ++t.wrong;
      plat::sleep_ms(1);
    }
  }
  // One worker thread's life: a few handles in turn, each with a few tagged
  // calls; every fourth thread leaves its last handle to the thread-exit hook.
  void worker(int id) {
    ++t.threads;
    for (int k = 0; k < kHandlesPerWorker; ++k) {
      uint16_t h = alloc(size_t(id));
      for (int i = 0; i < kCallsPerHandle; ++i) {
        const int32_t tag = id << 16 | k << 8 | i;
        int32_t back[2] = {0, 0};
        int16_t len = sizeof back;
        const int16_t r = ozstress_echo(h, tag, ~tag, &len, back);
        ++t.calls;
        if (r == EW_CIRCUIT) {
          ++t.broken;
          break;
        }
        const bool mine = r == EW_SUCCESS && len == 8 && be32(bytesOf(back), 0) == tag &&
                          be32(bytesOf(back), 4) == ~tag;
        if (!mine) ++t.wrong;
      }
      if (k + 1 < kHandlesPerWorker || id % 4 != 0) cnc_freelibhndl(h);
    }
  }
  static std::vector<uint8_t> bytesOf(const int32_t (&v)[2]) {
    const auto* p = reinterpret_cast<const uint8_t*>(v);
    return {p, p + sizeof v};
  }
  // Downloads a program and uploads it back, over and over, on sock1.
  void transfers(size_t machine) {
    const int32_t number = 100 + int32_t(machine);
    std::string prog = "%\nO" + std::to_string(number) + "\n";
    for (int i = 0; i < 200; ++i) prog += "G01X" + std::to_string(i) + ".F100\n";
    prog += "M30\n%\n";
    uint16_t h = alloc(machine);
    while (!t.stop) {
      cnc_deleteo8(h, number);
      int16_t r = download(h, prog);
      if (r == EW_SUCCESS) {
        std::string back;
        r = upload(h, number, &back);
        if (r == EW_SUCCESS && back != prog) ++t.wrong;
      }
      if (r == EW_SUCCESS) {
        ++t.transfers;
      } else if (r == EW_CIRCUIT) {
        cnc_freelibhndl(h);
        h = alloc(machine);
      } else {
        ++t.wrong;
      }
    }
    cnc_freelibhndl(h);
  }
  static int16_t download(uint16_t h, const std::string& text) {
    if (int16_t r = cnc_dwnstart3(h, 0)) return r;
    for (size_t at = 0; at < text.size();) {
      int32_t len = int32_t(text.size() - at);
      const int16_t r = cnc_download4(h, &len, text.data() + at);
      if (r == EW_BUFFER) continue;
      if (r) {
        cnc_dwnend4(h);
        return r;
      }
      at += size_t(len);
    }
    return cnc_dwnend4(h);
  }
  static int16_t upload(uint16_t h, int32_t number, std::string* out) {
    if (int16_t r = cnc_upstart3(h, 0, number, number)) return r;
    char buf[1024];
    int16_t r;
    for (;;) {
      int32_t len = sizeof buf;
      r = cnc_upload4(h, &len, buf);
      if (r == EW_BUFFER) continue;
      if (r != EW_SUCCESS) break;
      out->append(buf, size_t(len));
    }
    const int16_t end = cnc_upend4(h);
    return r == EW_CANCELLED ? end : r;
  }
  void breaker() {
    std::mt19937 rng(18);
    while (!t.stop) {
      plat::sleep_ms(100 + rng() % 200);
      if (t.stop) break;
      uint16_t h = alloc(rng());
      if (cnc_resetconnect(h) == EW_SUCCESS) ++t.breaks;
      cnc_freelibhndl(h);
    }
  }

  int fds_before = -1;
  std::unique_ptr<sim::Machine> machines[2];
  Tally t;
};

TEST_F(Stress, SixteenThreadsChurnHandlesBesideTransfersAndBreaks) {
  const uint32_t seconds = stressSeconds();
  // A wedged run ends the process with a message rather than hanging CI.
  std::atomic<bool> finished{false};
  std::thread watchdog([&] {
    for (uint32_t waited = 0; !finished; waited += 100) {
      if (waited > (seconds * 4 + 60) * 1000) {
        std::fprintf(stderr, "stress: no progress, a deadlock?\n");
        std::abort();
      }
      plat::sleep_ms(100);
    }
  });
  const uint32_t start = plat::tick_ms();
  std::thread xfer0([&] { transfers(0); }), xfer1([&] { transfers(1); }), brk([&] { breaker(); });
  int next_id = 0;
  while (t.handles < kHandleChurn || plat::tick_ms() - start < seconds * 1000) {
    std::vector<std::thread> wave;
    for (int i = 0; i < kWorkers; ++i) wave.emplace_back([this, id = next_id++] { worker(id); });
    for (auto& w : wave) w.join();
  }
  t.stop = true;
  xfer0.join();
  xfer1.join();
  brk.join();
  const uint32_t ms = plat::tick_ms() - start;
  finished = true;
  watchdog.join();

  std::printf("stress: %u ms, %ld calls (%ld broken), %ld handles churned by %ld threads, "
              "%ld transfers, %ld breaks\n",
              ms, t.calls.load(), t.broken.load(), t.handles.load(), t.threads.load(),
              t.transfers.load(), t.breaks.load());
  EXPECT_EQ(0, t.wrong.load());
  EXPECT_GE(t.handles.load(), kHandleChurn);
  EXPECT_GT(t.transfers.load(), 0);
  EXPECT_EQ(0, liveHandles());
  for (auto& m : machines) m.reset();
  if (fds_before >= 0) EXPECT_EQ(fds_before, openDescriptors());
}

}  // namespace
}  // namespace oz::test
