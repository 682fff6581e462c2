#include "tests/support.h"

#include <cstring>

namespace oz::test {

namespace {
constexpr int kRec = 256;

bool readHeader(plat::File* f, int* next) {
  uint8_t h[2];
  if (!plat::file_read_at(f, 0, h, 2)) return false;
  *next = int16_t(h[0] | (h[1] << 8));
  return true;
}
}  // namespace

void LogTail::mark() {
  plat::File* f = plat::file_open_existing(log_file_path());
  if (!f) return;
  readHeader(f, &next_);
  plat::file_close(f);
}

std::vector<std::string> LogTail::lines() const {
  std::vector<std::string> out;
  plat::File* f = plat::file_open_existing(log_file_path());
  if (!f) return out;
  int end = next_;
  readHeader(f, &end);
  char pid[16];
  std::snprintf(pid, sizeof pid, "0x%X ", plat::process_id());
  for (int n = next_; n != end; n = n % 2000 + 1) {
    char rec[kRec];
    if (!plat::file_read_at(f, uint64_t(n) * kRec, rec, kRec)) break;
    std::string r(rec, kRec);
    // "yyyy/mm/dd hh:mm:ss.mmm " then the process id.
    if (r.compare(24, std::strlen(pid), pid) != 0) continue;
    r = r.substr(24 + std::strlen(pid));
    while (!r.empty() && r.back() == ' ') r.pop_back();
    out.push_back(r);
  }
  plat::file_close(f);
  return out;
}

bool LogTail::has(const std::string& exact) const {
  for (auto& l : lines())
    if (l == exact) return true;
  return false;
}
bool LogTail::hasPrefix(const std::string& prefix) const {
  for (auto& l : lines())
    if (l.rfind(prefix, 0) == 0) return true;
  return false;
}
bool LogTail::any(const std::string& fragment) const {
  for (auto& l : lines())
    if (l.find(fragment) != std::string::npos) return true;
  return false;
}

[[gnu::noinline]] void poison_stack(uint8_t b) {
  uint8_t area[64 * 1024];
  std::memset(area, b, sizeof area);
  // Nothing reads the area again; this keeps the stores.
  asm volatile("" : : "r"(area) : "memory");
}

void expectRequests(const std::vector<sim::RbRequest>& got, std::initializer_list<Req> want) {
  ASSERT_EQ(want.size(), got.size()) << "number of RBs sent";
  size_t i = 0;
  for (const Req& w : want) {
    const sim::RbRequest& g = got[i];
    SCOPED_TRACE("RB " + std::to_string(i) + " (command " + std::to_string(w.cmd) + ")");
    EXPECT_EQ(w.cls, g.cls);
    if (w.path != 0) {
      EXPECT_EQ(w.path, g.path);
    }
    EXPECT_EQ(w.cmd, g.cmd);
    EXPECT_EQ(w.a1, g.a1);
    EXPECT_EQ(w.a2, g.a2);
    EXPECT_EQ(w.a3, g.a3);
    EXPECT_EQ(w.a4, g.a4);
    EXPECT_EQ(w.a5, g.a5);
    EXPECT_EQ(w.data, g.data);
    ++i;
  }
}

}  // namespace oz::test
