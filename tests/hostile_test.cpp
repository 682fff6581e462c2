// A controller that answers every request with random but well-framed
// replies, walked over every export: whatever the controller says, the
// library returns a result code, writes nothing outside the caller's
// buffers, comes back within the time-out, and a fresh handle works after.
#include <chrono>
#include <mutex>
#include <random>
#include <set>

#include "tests/cases/all_exports.h"
#include "tests/support.h"

namespace oz::test {
namespace {

// Values at which decoders of counts and sizes tend to break.
constexpr uint16_t kEdgeWords[] = {0, 1, 2, 0x7FFF, 0x8000, 0xFFFF, 0xFFFE};
constexpr uint32_t kEdgeLongs[] = {0, 1, 0x7FFF, 0xFFFF, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
constexpr int16_t kControllerResults[] = {EW_UNAVAILABLE, EW_SIZE, EW_RANGE, EW_KIND, EW_VALUE,
                                          EW_NOFEATURE, EW_MISMATCH, EW_BUFFER, EW_NOPATH, EW_INUSE};

// Reply RBs drawn from one fixed seed, so a failure replays exactly.
class HostileReplies {
 public:
  explicit HostileReplies(uint32_t seed) : rng_(seed) {}

  sim::RbReply next() {
    std::lock_guard<std::mutex> l(mu_);
    sim::RbReply r;
    if (pick(10) == 0) return sim::RbReply::fail(kControllerResults[pick(std::size(kControllerResults))]);
    switch (pick(6)) {
      case 0: break;                                  // no data at all
      case 1: r.bytes({uint8_t(pick(256))}); break;   // one byte
      case 2: noise(r, 2 + pick(15)); break;          // a short structure
      case 3: noise(r, 16 + pick(240)); break;
      case 4: noise(r, 256 + pick(1200)); break;
      default: noise(r, pick(4) * 2 + 1); break;       // odd lengths
    }
    edges(r.data);
    return r;
  }

 private:
  size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
  void noise(sim::RbReply& r, size_t n) {
    for (size_t i = 0; i < n; ++i) r.data.push_back(uint8_t(rng_()));
  }
  // Counts 0/1/0x7FFF/0xFFFF/0xFFFFFFFF and negative sizes where a decoder
  // would read a count: at the start, and at a few random aligned places.
  void edges(std::vector<uint8_t>& d) {
    const size_t spots = d.size() < 2 ? 0 : 1 + pick(4);
    for (size_t k = 0; k < spots; ++k) {
      const size_t at = k == 0 ? 0 : pick(d.size() / 2) * 2;
      if (pick(2) == 0 || at + 4 > d.size()) {
        if (at + 2 > d.size()) continue;
        const uint16_t w = kEdgeWords[pick(std::size(kEdgeWords))];
        d[at] = uint8_t(w >> 8);
        d[at + 1] = uint8_t(w);
      } else {
        const uint32_t v = kEdgeLongs[pick(std::size(kEdgeLongs))];
        for (int i = 0; i < 4; ++i) d[at + i] = uint8_t(v >> (24 - 8 * i));
      }
    }
  }

  std::mutex mu_;
  std::mt19937 rng_;
};

bool isResultCode(int16_t rc) {
  static const std::set<int16_t> codes = {
#define OZ_HOSTILE_CODE_(name, value) value,
      OZ_RESULT_CODES(OZ_HOSTILE_CODE_)
#undef OZ_HOSTILE_CODE_
  };
  return codes.count(rc) != 0;
}

class Hostile : public FakeTest {
 protected:
  static constexpr int kRounds = 48;   // replies per export
  static constexpr int32_t kTimeout = 1;
  static constexpr uint32_t kSlowestCallMs = 4000;
};

TEST_F(Hostile, EveryExportSurvivesRandomWellFramedReplies) {
  HostileReplies replies(0x0218u);
  fake.on_other_rb([&](const sim::RbRequest&) { return replies.next(); });
  std::mt19937 framing(0x5EEDu);
  const std::vector<ExportRun> all = all_exports();
  size_t calls = 0, reopened = 0;
  uint16_t h = open(kTimeout);
  for (const ExportRun& t : all) {
    SCOPED_TRACE(t.name);
    for (int round = 0; round < kRounds; ++round) {
      // Now and then the reply RB's size disagrees with its data, or the
      // RB count with the RBs.
      switch (framing() % 16) {
        case 0: fake.next(2).only(33).rb_size_delta(int(framing() % 9) - 4); break;
        case 1: fake.next(2).only(33).rb_count(uint16_t(framing() % 3 == 0 ? 0 : 0xFFFF)); break;
        default: break;
      }
      Arena arena;
      const auto t0 = std::chrono::steady_clock::now();
      const int16_t rc = t.run(h, arena);
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - t0).count();
      ++calls;
      ASSERT_TRUE(arena.intact()) << "round " << round << " wrote outside a caller buffer";
      EXPECT_TRUE(isResultCode(rc)) << "round " << round << " returned " << rc;
      EXPECT_LT(ms, kSlowestCallMs) << "round " << round;
      fake.clear_faults();
      if (rc == EW_CIRCUIT) {
        // The circuit is gone for this handle: the application's remedy.
        cnc_freelibhndl(h);
        h = open(kTimeout);
        ++reopened;
      }
    }
  }
  cnc_freelibhndl(h);
  RecordProperty("exports", int(all.size()));
  RecordProperty("calls", int(calls));
  std::printf("hostile sweep: %zu exports, %zu calls, %zu circuits reopened\n", all.size(), calls,
              reopened);

  // A sane controller again, and a fresh handle talks to it.
  fake.on_other_rb([](const sim::RbRequest&) { return sim::RbReply::fail(EW_UNAVAILABLE); });
  fake.reply(1, 36, sim::RbReply().i32(4321));
  uint16_t g = open(kTimeout);
  actf_t feed{};
  EXPECT_EQ(EW_SUCCESS, cnc_actf(g, &feed));
  EXPECT_EQ(4321, feed.data);
  cnc_freelibhndl(g);
}

}  // namespace
}  // namespace oz::test
