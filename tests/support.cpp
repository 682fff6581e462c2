#include "tests/support.h"

#include <cctype>
#include <cstring>
#include <sstream>

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

void expectStored(const void* p, size_t size, const std::vector<At>& want, uint8_t fill) {
  const auto* b = static_cast<const uint8_t*>(p);
  std::vector<bool> stated(size, false);
  for (const At& w : want) {
    const size_t n = w.any ? w.any : w.bytes.size();
    ASSERT_LE(w.off + n, size) << "expected bytes past the buffer at " << w.off;
    for (size_t i = 0; i < n; ++i) stated[w.off + i] = true;
    if (!w.any) {
      EXPECT_EQ(w.bytes, std::vector<uint8_t>(b + w.off, b + w.off + n)) << "at offset " << w.off;
    }
  }
  for (size_t i = 0; i < size; ++i) {
    if (!stated[i]) {
      EXPECT_EQ(fill, b[i]) << "byte " << i << " written";
    }
  }
}

void expectRequests(const std::vector<sim::RbRequest>& got, const std::vector<Req>& want) {
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

void PrintTo(const Row& r, std::ostream* os) { *os << r.name; }

std::string rowName(const ::testing::TestParamInfo<Row>& i) {
  std::string n = i.param.name;
  for (char& c : n)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return n;
}

void RowTest::check(const Row& r) {
  const uint16_t h = open();
  if (r.setup) r.setup(rec(h));
  for (const Answer& w : r.replies) fake.on(w.cls, w.cmd, w.handler);
  fake.clear_received();
  LogTail log;
  Arena a;
  EXPECT_EQ(r.result, r.call(h, a));
  expectRequests(r.wire);
  if (a.outBlock() >= 0) expectStored(a.block(size_t(a.outBlock())), a.size(size_t(a.outBlock())), r.out, a.fill());
  if (r.count) {
    ASSERT_GE(a.countBlock(), 0) << "the row names a count its call does not make";
    const size_t n = a.size(size_t(a.countBlock()));
    const uint8_t* c = a.block(size_t(a.countBlock()));
    EXPECT_EQ(*r.count,
              n == 2 ? int32_t(int16_t(c[0] | c[1] << 8)) : int32_t(c[0] | c[1] << 8 | c[2] << 16 | uint32_t(c[3]) << 24));
  }
  EXPECT_TRUE(a.intact()) << "a write outside a caller buffer";
  if (r.detail) {
    EXPECT_EQ(*r.detail, detail(h).detail);
  }
  for (std::string line : r.log) {
    std::ostringstream out;
    if (a.outBlock() >= 0) out << static_cast<const void*>(a.block(size_t(a.outBlock())));
    for (auto [key, value] : {std::pair<std::string, std::string>{"{H}", std::to_string(h)},
                              {"{S}", std::to_string(rec(h).sock2Number())}, {"{P}", out.str()}})
      for (size_t at; (at = line.find(key)) != std::string::npos;) line.replace(at, key.size(), value);
    if (line.empty()) {
      EXPECT_TRUE(log.lines().empty()) << ::testing::PrintToString(log.lines());
      continue;
    }
    const bool prefix = line.back() == '*';
    if (prefix) line.pop_back();
    EXPECT_TRUE(prefix ? log.hasPrefix(line) : log.has(line)) << line << "\n" << ::testing::PrintToString(log.lines());
  }
}

}  // namespace oz::test
