// The platform seam itself, run against whichever implementation the build
// selects. Everything above the seam assumes these behaviours; a platform
// that differs here breaks the circuits, the locks or the log in ways that
// are hard to trace from the library's own tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/platform.h"

using namespace oz::plat;

namespace {

class NetEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    uint32_t err = 0;
    ASSERT_TRUE(net_startup(&err)) << err;
  }
  void TearDown() override {
    uint32_t err = 0;
    EXPECT_TRUE(net_cleanup(&err)) << err;
  }
};
[[maybe_unused]] ::testing::Environment* const g_net_env =
    ::testing::AddGlobalTestEnvironment(new NetEnvironment);

// Runs fn on a thread of its own and waits for it: ownership of kernel
// objects is per thread, so "another thread" has to be a real one.
template <typename Fn>
void on_other_thread(Fn fn) {
  std::thread(fn).join();
}

// ---- time and threads -----------------------------------------------------

TEST(PlatformTime, TickNeverGoesBackwardsAndCountsMilliseconds) {
  uint32_t prev = tick_ms();
  for (int i = 0; i < 10000; ++i) {
    uint32_t now = tick_ms();
    // Differences are taken modulo 2^32, as the time-outs above the seam do.
    ASSERT_LT(uint32_t(now - prev), 0x80000000u);
    prev = now;
  }
  // A 40 ms sleep moves even a 16 ms-granular tick by more than 20; a tick in
  // the wrong unit (seconds, centiseconds) would not.
  uint32_t before = tick_ms();
  sleep_ms(40);
  uint32_t moved = tick_ms() - before;
  EXPECT_GE(moved, 20u);
  EXPECT_LT(moved, 0x80000000u);
}

TEST(PlatformTime, LocalTimeFieldsAreInRange) {
  const LocalTime t = local_time();
  const std::tuple<const char*, int, int, int> fields[] = {
      {"year", t.year, 2000, 9999}, {"month", t.month, 1, 12},    {"day", t.day, 1, 31},
      {"hour", t.hour, 0, 23},      {"minute", t.minute, 0, 59}, {"second", t.second, 0, 60},
      {"millis", t.millis, 0, 999}};
  for (auto [name, v, lo, hi] : fields) EXPECT_TRUE(v >= lo && v <= hi) << name << " " << v;
}

// Handles are owned by thread identifiers, and the log prints the process's.
TEST(PlatformThreads, IdsTellThreadsApartButNotProcesses) {
  uint32_t my_thread = thread_id();
  uint32_t my_process = process_id();
  EXPECT_EQ(thread_id(), my_thread);
  EXPECT_NE(my_process, 0u);
  uint32_t other_thread = 0, other_process = 0;
  on_other_thread([&] {
    other_thread = thread_id();
    other_process = process_id();
  });
  EXPECT_NE(other_thread, my_thread);
  EXPECT_EQ(other_process, my_process);
}

// ---- kernel mutex -----------------------------------------------------------

TEST(PlatformMutex, OwnerReentersOtherThreadsTimeOut) {
  KMutex* m = mutex_create();
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(mutex_wait(m, 0), kWaitOk);
  // The exchange's failure path breaks the circuit while holding its lock.
  ASSERT_EQ(mutex_wait(m, kInfinite), kWaitOk);

  for (uint32_t ms : {0u, 30u}) {
    uint32_t r = kWaitOk;
    on_other_thread([&] { r = mutex_wait(m, ms); });
    EXPECT_EQ(r, kWaitTimeout) << "wait of " << ms << " ms";
  }

  // Taken twice, released once: still held.
  mutex_release(m);
  uint32_t r = kWaitOk;
  on_other_thread([&] { r = mutex_wait(m, 0); });
  EXPECT_EQ(r, kWaitTimeout);

  mutex_release(m);
  on_other_thread([&] {
    r = mutex_wait(m, 0);
    if (r == kWaitOk) mutex_release(m);
  });
  EXPECT_EQ(r, kWaitOk);
  mutex_destroy(m);
}

TEST(PlatformMutex, UnlimitedWaiterGetsItWhenOwnerReleases) {
  KMutex* m = mutex_create();
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(mutex_wait(m, 0), kWaitOk);
  std::atomic<uint32_t> r{0xDEADu};
  std::thread waiter([&] {
    r = mutex_wait(m, kInfinite);
    mutex_release(m);
  });
  sleep_ms(20);  // most likely blocked by now; either order must work
  mutex_release(m);
  waiter.join();
  EXPECT_EQ(r.load(), kWaitOk);
  mutex_destroy(m);
}

// ---- semaphore of count 1 ----------------------------------------------------

TEST(PlatformSemaphore, HolderCannotTakeItTwiceAndOthersTimeOut) {
  KSem* s = sem_create();
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(sem_wait(s, 0), kWaitOk);
  // Unlike the mutex, a transfer session's hold does not nest.
  EXPECT_EQ(sem_wait(s, 0), kWaitTimeout);
  uint32_t r = kWaitOk;
  on_other_thread([&] { r = sem_wait(s, 30); });
  EXPECT_EQ(r, kWaitTimeout);
  sem_release(s);
  sem_destroy(s);
}

TEST(PlatformSemaphore, AnotherThreadMayRelease) {
  KSem* s = sem_create();
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(sem_wait(s, 0), kWaitOk);
  on_other_thread([&] { sem_release(s); });
  EXPECT_EQ(sem_wait(s, 0), kWaitOk);

  // And it wakes a thread that waits without limit.
  std::atomic<uint32_t> r{0xDEADu};
  std::thread waiter([&] { r = sem_wait(s, kInfinite); });
  sleep_ms(20);
  on_other_thread([&] { sem_release(s); });
  waiter.join();
  EXPECT_EQ(r.load(), kWaitOk);
  sem_release(s);
  sem_destroy(s);
}

TEST(PlatformSemaphore, ExtraReleaseDoesNotAdmitTwo) {
  KSem* s = sem_create();
  ASSERT_NE(s, nullptr);
  sem_release(s);
  sem_release(s);
  EXPECT_EQ(sem_wait(s, 0), kWaitOk);
  EXPECT_EQ(sem_wait(s, 0), kWaitTimeout);
  sem_release(s);
  sem_destroy(s);
}

TEST(PlatformSemaphore, ExcludesConcurrentHolders) {
  KSem* s = sem_create();
  ASSERT_NE(s, nullptr);
  std::atomic<int> inside{0};
  std::atomic<int> most{0};
  int unguarded = 0;
  constexpr int kThreads = 4, kRounds = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRounds; ++i) {
        if (sem_wait(s, kInfinite) != kWaitOk) return;
        int now = ++inside;
        int seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) {
        }
        ++unguarded;
        --inside;
        sem_release(s);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(most.load(), 1);
  EXPECT_EQ(unguarded, kThreads * kRounds);
  sem_destroy(s);
}

// ---- sockets -------------------------------------------------------------

constexpr uint32_t kWaitSec = 5;  // generous: only ever reached when broken

uint32_t loopback() { return inet_parse("127.0.0.1"); }

// A connected pair over loopback: the client non-blocking, as the library's
// sockets are; the accepted side blocking, as a simulated controller's are.
struct Pair {
  sock_t listener = kBadSock, client = kBadSock, server = kBadSock;
  uint16_t port = 0;
  ~Pair() {
    for (sock_t s : {client, server, listener})
      if (s != kBadSock) sock_close(s);
  }
};

void connect_pair(Pair& p) {
  p.listener = sock_listen_loopback(0, &p.port);
  ASSERT_NE(p.listener, kBadSock) << net_error();
  ASSERT_NE(p.port, 0);
  p.client = sock_create();
  ASSERT_NE(p.client, kBadSock) << net_error();
  ASSERT_EQ(sock_set_nonblocking(p.client, true), 0) << net_error();
  if (sock_connect(p.client, loopback(), to_net16(p.port)) != 0) {
    uint32_t e = net_error();
    ASSERT_TRUE(err_would_block(e) || err_in_progress(e)) << e;
    ASSERT_EQ(sock_select(p.client, 1, kWaitSec, 0), 1);
  }
  ASSERT_EQ(sock_pending_error(p.client), 0);
  // A listener is readable once a connection waits, so the accept below
  // cannot block the test when something went wrong on the way.
  ASSERT_EQ(sock_select(p.listener, 0, kWaitSec, 0), 1);
  p.server = sock_accept(p.listener);
  ASSERT_NE(p.server, kBadSock) << net_error();
}

// Reads exactly n bytes, waiting for readability between partial reads.
std::string recv_exact(sock_t s, size_t n) {
  std::string out;
  char buf[65536];
  while (out.size() < n) {
    if (sock_select(s, 0, kWaitSec, 0) != 1) break;
    int want = int(std::min(sizeof buf, n - out.size()));
    int got = sock_recv(s, buf, want, 0);
    if (got <= 0) break;
    out.append(buf, size_t(got));
  }
  return out;
}

TEST(PlatformSocket, LoopbackExchangeWithoutBlocking) {
  Pair p;
  ASSERT_NO_FATAL_FAILURE(connect_pair(p));
  EXPECT_EQ(sock_set_nodelay(p.client, true), 0) << net_error();

  // Nothing sent yet: "would block", which the socket layer turns into 0,
  // must not look like the end of the stream.
  char buf[16];
  EXPECT_EQ(sock_recv(p.client, buf, sizeof buf, 0), -1);
  EXPECT_TRUE(err_would_block(net_error())) << net_error();
  EXPECT_EQ(sock_select(p.client, 0, 0, 0), 0);
  EXPECT_NE(sock_fdset_address(), nullptr);

  EXPECT_EQ(sock_send(p.client, "request", 7, 0), 7);
  EXPECT_EQ(recv_exact(p.server, 7), "request");
  EXPECT_EQ(sock_send(p.server, "reply", 5, 0), 5);
  EXPECT_EQ(recv_exact(p.client, 5), "reply");

  // The peer's close shows as readable, then as a receive of 0.
  EXPECT_EQ(sock_close(p.server), 0);
  p.server = kBadSock;
  ASSERT_EQ(sock_select(p.client, 0, kWaitSec, 0), 1);
  EXPECT_EQ(sock_recv(p.client, buf, sizeof buf, 0), 0);
}

// The send loops of the wire layer depend on a full socket taking part of a
// buffer or nothing, never blocking.
TEST(PlatformSocket, FullSendBufferWouldBlockAndNothingIsLost) {
  Pair p;
  ASSERT_NO_FATAL_FAILURE(connect_pair(p));
  std::vector<char> chunk(65536);
  size_t sent = 0;
  bool blocked = false;
  constexpr size_t kLimit = size_t(256) << 20;
  while (!blocked && sent < kLimit) {
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = char((sent + i) * 7);
    int n = sock_send(p.client, chunk.data(), int(chunk.size()), 0);
    if (n < 0) {
      ASSERT_TRUE(err_would_block(net_error())) << net_error();
      blocked = true;
    } else {
      sent += size_t(n);
    }
  }
  ASSERT_TRUE(blocked) << "took " << sent << " bytes without blocking";
  EXPECT_EQ(sock_select(p.client, 1, 0, 0), 0);

  std::string got = recv_exact(p.server, sent);
  ASSERT_EQ(got.size(), sent);
  size_t i = 0;
  while (i < sent && got[i] == char(i * 7)) ++i;
  EXPECT_EQ(i, sent) << "first wrong byte";
  EXPECT_EQ(sock_select(p.client, 1, kWaitSec, 0), 1);
}

TEST(PlatformSocket, ConnectToClosedPortIsRefused) {
  uint16_t port = 0;
  sock_t l = sock_listen_loopback(0, &port);
  ASSERT_NE(l, kBadSock);
  ASSERT_EQ(sock_close(l), 0);

  sock_t s = sock_create();
  ASSERT_NE(s, kBadSock);
  ASSERT_EQ(sock_set_nonblocking(s, true), 0);
  ASSERT_NE(sock_connect(s, loopback(), to_net16(port)), 0);
  uint32_t e = net_error();
  if (err_would_block(e) || err_in_progress(e)) {
    // Windows retries a refusal for ~2 s before flagging it, so the wait may run out.
    for (int i = 0; i < 20; ++i) {
      if (sock_select(s, 2, 0, 25000) == 1 || sock_select(s, 1, 0, 25000) == 1) {
        EXPECT_NE(sock_pending_error(s), 0);
        break;
      }
    }
  }
  EXPECT_EQ(sock_close(s), 0);
}

// The simulated controllers stop their threads this way.
TEST(PlatformSocket, ShutdownEndsBlockedAccept) {
  uint16_t port = 0;
  sock_t l = sock_listen_loopback(0, &port);
  ASSERT_NE(l, kBadSock);
  auto accepted = std::async(std::launch::async, [&] { return sock_accept(l); });
  sleep_ms(20);  // most likely blocked by now; either order must work
  sock_shutdown(l);
  if (accepted.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    ADD_FAILURE() << "accept still blocked after shutdown";
    sock_t c = sock_create();  // unblock it so the test can end
    sock_connect(c, loopback(), to_net16(port));
    accepted.wait();
    sock_close(c);
  }
  sock_t got = accepted.get();
  EXPECT_EQ(got, kBadSock);
  if (got != kBadSock) sock_close(got);
  EXPECT_EQ(sock_close(l), 0);
}

TEST(PlatformSocket, ShutdownEndsBlockedReceive) {
  Pair p;
  ASSERT_NO_FATAL_FAILURE(connect_pair(p));
  auto received = std::async(std::launch::async, [&] {
    char c;
    return sock_recv(p.server, &c, 1, 0);
  });
  sleep_ms(20);
  sock_shutdown(p.server);
  if (received.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    ADD_FAILURE() << "receive still blocked after shutdown";
    sock_send(p.client, "x", 1, 0);
    received.wait();
  }
  EXPECT_LE(received.get(), 0);
}

struct DottedCase {
  const char* text;
  std::array<uint8_t, 4> wire;
};

TEST(PlatformNet, DottedAddressesRoundTripInNetworkOrder) {
  const DottedCase cases[] = {
      {"127.0.0.1", {127, 0, 0, 1}},
      {"192.168.0.1", {192, 168, 0, 1}},
      {"10.20.30.40", {10, 20, 30, 40}},
      {"0.0.0.0", {0, 0, 0, 0}},
      {"255.255.255.254", {255, 255, 255, 254}},
  };
  for (const auto& c : cases) {
    uint32_t a = inet_parse(c.text);
    std::array<uint8_t, 4> bytes;
    std::memcpy(bytes.data(), &a, 4);
    EXPECT_EQ(bytes, c.wire) << c.text;
    EXPECT_EQ(inet_text(a), c.text);
  }
}

// 255.255.255.255 parses to the failure value itself, which is why the
// socket layer resolves it as a name instead.
TEST(PlatformNet, FailureValueForBroadcastAndNonsense) {
  for (const char* text : {"255.255.255.255", "controller-7", "1.2.3.4.5", "300.1.1.1"})
    EXPECT_EQ(inet_parse(text), 0xFFFFFFFFu) << text;
}

TEST(PlatformNet, PortsGoOutBigEndian) {
  uint16_t n = to_net16(0x2001);
  uint8_t bytes[2];
  std::memcpy(bytes, &n, 2);
  EXPECT_EQ(bytes[0], 0x20);
  EXPECT_EQ(bytes[1], 0x01);
  EXPECT_EQ(from_net16(n), 0x2001);
}

TEST(PlatformNet, ResolvesLiteralAndLocalhost) {
  uint32_t addr = 0, err = 0;
  ASSERT_TRUE(resolve_host("127.0.0.1", &addr, &err)) << err;
  EXPECT_EQ(addr, loopback());
  ASSERT_TRUE(resolve_host("localhost", &addr, &err)) << err;
  uint8_t first;
  std::memcpy(&first, &addr, 1);
  EXPECT_EQ(first, 127);
}

// ---- files and folders ------------------------------------------------------

class PlatformFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::filesystem::temp_directory_path() /
            ("ozplat-" + std::to_string(process_id()) + "-" + info->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  std::string path(const std::string& name) const { return root_.string() + path_sep() + name; }

  void make_file(const std::string& p, size_t size) {
    File* f = file_create(p);
    ASSERT_NE(f, nullptr);
    std::string blanks(size, ' ');
    ASSERT_TRUE(file_write_at(f, 0, blanks.data(), blanks.size()));
    file_close(f);
  }

  std::filesystem::path root_;
};

std::string read_at(File* f, uint64_t off, size_t n) {
  std::string s(n, '\0');
  return file_read_at(f, off, s.data(), n) ? s : std::string("<failed>");
}

TEST_F(PlatformFiles, WritesAndReadsAtOffsets) {
  const std::string p = path("ring.bin");
  EXPECT_EQ(file_open_existing(p), nullptr);

  File* f = file_create(p);
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(file_write_at(f, 512, "REC1", 4));
  ASSERT_TRUE(file_write_at(f, 0, "HEAD", 4));
  file_close(f);

  f = file_open_existing(p);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(read_at(f, 512, 4), "REC1");
  EXPECT_EQ(read_at(f, 0, 4), "HEAD");
  EXPECT_EQ(read_at(f, 4, 4), std::string(4, '\0'));
  // A short read is a failure: a truncated ring must not pass for a header.
  EXPECT_EQ(read_at(f, 514, 4), "<failed>");
  ASSERT_TRUE(file_write_at(f, 2, "XY", 2));
  EXPECT_EQ(read_at(f, 0, 4), "HEXY");
  file_close(f);

  // Creating again replaces the old content.
  f = file_create(p);
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(file_write_at(f, 0, "N", 1));
  file_close(f);
  f = file_open_existing(p);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(read_at(f, 0, 1), "N");
  EXPECT_EQ(read_at(f, 0, 4), "<failed>");
  file_close(f);
}

struct RangeCase {
  uint64_t off, len;
  bool free;
};

// Writers of the log in one process use separate handles and must exclude
// each other exactly as writers in different processes do.
TEST_F(PlatformFiles, ByteRangeLockExcludesSecondHandleOfSameProcess) {
  const std::string p = path("locked.bin");
  ASSERT_NO_FATAL_FAILURE(make_file(p, 1024));
  File* a = file_open_existing(p);
  File* b = file_open_existing(p);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  ASSERT_TRUE(file_try_lock(a, 0, 256));

  const RangeCase cases[] = {
      {0, 256, false}, {255, 1, false}, {100, 10, false}, {200, 100, false},
      {256, 256, true}, {512, 1, true},
  };
  for (const auto& c : cases) {
    bool got = file_try_lock(b, c.off, c.len);
    EXPECT_EQ(got, c.free) << c.off << "+" << c.len;
    if (got) file_unlock(b, c.off, c.len);
  }
  bool other_thread_got = true;
  on_other_thread([&] { other_thread_got = file_try_lock(b, 0, 256); });
  EXPECT_FALSE(other_thread_got);

  file_unlock(a, 0, 256);
  EXPECT_TRUE(file_try_lock(b, 0, 256));
  file_unlock(b, 0, 256);
  file_close(a);
  file_close(b);
}

TEST_F(PlatformFiles, MakeDirTellsWhetherItExisted) {
  const std::string dir = path("Ozlib");
  bool existed = true;
  EXPECT_TRUE(make_dir(dir, &existed));
  EXPECT_FALSE(existed);
  EXPECT_TRUE(make_dir(dir, &existed));
  EXPECT_TRUE(existed);

  // The directory is usable, also after opening it to everyone.
  grant_everyone(dir);
  const std::string inside = dir + path_sep() + "OZLIBETH.LOG";
  ASSERT_NO_FATAL_FAILURE(make_file(inside, 256));
  File* f = file_open_existing(inside);
  EXPECT_NE(f, nullptr);
  file_close(f);
}

TEST_F(PlatformFiles, MakeDirFailsWithoutParentOrOverAFile) {
  bool existed = true;
  EXPECT_FALSE(make_dir(path("absent") + path_sep() + "child", &existed));
  EXPECT_FALSE(existed);
  const std::string plain = path("plain");
  ASSERT_NO_FATAL_FAILURE(make_file(plain, 1));
  EXPECT_FALSE(make_dir(plain, &existed));
}

TEST(PlatformSettings, MissingKeyIsNotRead) {
  uint32_t v = 77;
  const char* key = "Software\\Korva\\NoSuchKeyForTests";
  EXPECT_FALSE(reg_read_u32(Hive::CurrentUser, key, "LogLevel", &v));
  EXPECT_FALSE(reg_read_u32(Hive::LocalMachine, key, "AlternativeDrive", &v));
  EXPECT_EQ(v, 77u);
}

TEST(PlatformSettings, FoldersAreNamed) {
  std::string shared;
  if (shared_data_dir(&shared)) {
    EXPECT_FALSE(shared.empty());
  }
  EXPECT_FALSE(windows_dir().empty());
  EXPECT_FALSE(alternative_drive_dir().empty());
  EXPECT_TRUE(path_sep() == '\\' || path_sep() == '/');
}

}  // namespace
