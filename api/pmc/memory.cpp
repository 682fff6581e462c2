// Raw PMC memory on the CNC path, and the configured memory windows.
#include <fstream>

#include "api/pmc/pmc.h"
#include "api/pmc/semem.h"
#include "platform/platform.h"

using namespace oz;
using namespace oz::pmcio;

namespace oz::pmcio {

namespace {

constexpr uint16_t kMemRead = 39, kMemWrite = 40;
constexpr uint32_t kMemArea = 1;
constexpr uint32_t kWindowMax = 0x10000;

const std::vector<Window> kDefaultWindows = {
    {0x500000, 0x10000}, {0x510000, 0x10000}, {0x520000, 0x10000}, {0x530000, 0x10000},
    {0x800000, 0x10000}, {0x832000, 0x8000},  {0x9F0000, 0x10000}};

// Up to eight hexadecimal digits, an optional "0x" first; more digits would
// not fit the address and make the line unreadable.
bool hex(std::string_view& s, uint32_t* out) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2);
  uint64_t v = 0;
  size_t n = 0;
  for (; n < s.size(); ++n) {
    const char ch = s[n];
    int d = ch >= '0' && ch <= '9' ? ch - '0' : ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
          : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10 : -1;
    if (d < 0) break;
    v = v * 16 + uint64_t(d);
    if (v > 0xFFFFFFFFu) return false;
  }
  if (n == 0) return false;
  s.remove_prefix(n);
  *out = uint32_t(v);
  return true;
}

std::vector<Window>& table() {
  static std::vector<Window> t = semem_load(semem_path());
  return t;
}

// Read while the library loads, never later.
const bool g_loaded = (table(), true);

}  // namespace

std::vector<Window> semem_parse(const std::string& text) {
  std::vector<Window> out;
  std::string_view rest(text);
  while (!rest.empty() && out.size() < kMaxWindows) {
    const size_t nl = rest.find('\n');
    std::string_view line = rest.substr(0, nl);
    rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    uint32_t start = 0, length = 0;
    if (!hex(line, &start)) continue;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.empty() || line.front() != ',') continue;
    line.remove_prefix(1);
    if (!hex(line, &length) || length == 0) continue;
    out.push_back({start, std::min(length, kWindowMax)});
  }
  return out;
}

std::vector<Window> semem_load(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return kDefaultWindows;
  std::string text(64 * 1024, '\0');
  f.read(text.data(), std::streamsize(text.size()));
  // A file that opens but cannot be read (a folder of that name, a read
  // error) is no file: an empty table would shut every window.
  if (f.bad()) return kDefaultWindows;
  text.resize(size_t(f.gcount()));
  return semem_parse(text);
}

std::string semem_path() {
  return in_dir(plat::windows_dir(), std::string("ozlib") + plat::path_sep() + "semem.cfg");
}

const std::vector<Window>& semem_table() { return table(); }
void semem_reload() { table() = semem_load(semem_path()); }

}  // namespace oz::pmcio

namespace {

int item_shift(int16_t type) {
  expect_range(type, 0, 2, EW_KIND);
  return type;
}

void mem_read(Call& c, int16_t type, uint32_t address, uint32_t count, void* buf) {
  const int shift = item_shift(type);
  expect(count != 0, EW_SIZE);
  const int size = 1 << shift;
  auto* out = static_cast<uint8_t*>(buf);
  const uint64_t got = in_chunks(c, count, 1432 >> shift, [&](uint64_t done, uint64_t n) {
    Reader d = c.exchange(cnc(kMemRead).args(kMemArea, address + (done << shift), type, n));
    const uint64_t items = std::min<uint64_t>(d.size() >> shift, n);
    items_from_wire(out + (done << shift), d.raw(), size_t(items), size);
    return items;
  });
  // No count goes back to the caller: a short read is a failure, not success.
  expect(got == count, EW_SIZE);
}

void mem_write(Call& c, int16_t type, uint32_t address, uint32_t count, const void* buf) {
  const int shift = item_shift(type);
  expect(count != 0, EW_SIZE);
  const int size = 1 << shift;
  const auto* in = static_cast<const uint8_t*>(buf);
  in_chunks(c, count, 1420 >> shift, [&](uint64_t done, uint64_t n) {
    uint8_t wire[1420];
    items_to_wire(wire, in + (done << shift), size_t(n), size);
    c.add(cnc(kMemWrite).args(kMemArea, address + (done << shift), type))
        .bytes(wire, size_t(n) << shift);
    c.exchange();
    c.rb(0);
    return n;
  });
}

// The window test before any window access.
void in_window(int16_t type, uint32_t address, uint32_t count) {
  expect_range(type, 0, 2, EW_KIND);
  const uint64_t s = 1u << type;
  const auto& t = semem_table();
  expect(!t.empty(), EW_RANGE);
  for (const Window& w : t) {
    const uint64_t end = uint64_t(w.start) + w.length;
    if (address < w.start || address + s > end) continue;
    expect(address + uint64_t(count) * s <= end, EW_SIZE);
    return;
  }
  raise_error(EW_RANGE);
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL pmc_rdpmcmem(uint16_t h, int16_t type, uint32_t address,
                                       uint32_t count, void* buf) {
  return call(h, __func__, args(type, address, count, buf),
              [&](Call& c) { mem_read(c, type, address, count, buf); });
}

OZ_EXPORT int16_t OZ_CALL pmc_wrpmcmem(uint16_t h, int16_t type, uint32_t address,
                                       uint32_t count, const void* buf) {
  return call(h, __func__, args(type, address, count, buf),
              [&](Call& c) { mem_write(c, type, address, count, buf); });
}

OZ_EXPORT int16_t OZ_CALL pmc_rdpmcsemem(uint16_t h, int16_t type, uint32_t address,
                                         uint32_t count, void* buf) {
  return call(h, __func__, args(type, address, count, buf), [&](Call& c) {
    in_window(type, address, count);
    mem_read(c, type, address, count, buf);
  });
}

OZ_EXPORT int16_t OZ_CALL pmc_wrpmcsemem(uint16_t h, int16_t type, uint32_t address,
                                         uint32_t count, const void* buf) {
  return call(h, __func__, args(type, address, count, buf), [&](Call& c) {
    in_window(type, address, count);
    mem_write(c, type, address, count, buf);
  });
}
