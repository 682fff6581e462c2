// The simulated C executor: its file area (directories of named files that
// move through transfer sessions) and its battery-backed SRAM.
#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/be.h"
#include "sim/machine.h"
#include "sim/transfer_kinds.h"

namespace oz::sim {
namespace {

constexpr int16_t kNoFile = 5;
constexpr int16_t kEnd = 3;
constexpr size_t kSramSize = 32 * 1024;
constexpr int kNameField = 16;   // 12 name bytes, 4 the library skips

struct CexeFile {
  std::string data;
  uint32_t attr = 0;
  uint16_t stamp[6] = {2024, 1, 1, 0, 0, 0};
};

struct Cexe {
  // directory ("/USER/", with its slash) -> file name -> file
  std::map<std::string, std::map<std::string, CexeFile>> dirs;
  std::vector<uint8_t> sram = std::vector<uint8_t>(kSramSize, 0);
  uint32_t writes = 0;   // stamps files written, so each write shows

  Cexe() {
    dirs["/USER/"]["APP.CFG"].data = "speed=100\n";
    dirs["/USER/"]["README.TXT"].data = "C executor area\n";
    dirs["/SYS/"]["MAIN.MEM"] = CexeFile{std::string(5000, '\x11'), 1, {2023, 12, 24, 18, 30, 0}};
  }
};

// "/USER/APP.CFG" -> ("/USER/", "APP.CFG"); a name without a slash is in "/".
std::pair<std::string, std::string> split(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {"/", path};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

TransferKind fileKind() {
  TransferKind k;
  k.upload = [](Machine& m, const std::string& text, std::string* out) -> int16_t {
    auto [dir, name] = split(text);
    auto& dirs = m.state<Cexe>().dirs;
    if (!dirs.count(dir) || !dirs[dir].count(name)) return kNoFile;
    *out = dirs[dir][name].data;
    return 0;
  };
  k.download = [](Machine& m, const std::string& text, const std::string& data) -> int16_t {
    auto [dir, name] = split(text);
    if (name.empty() || name.size() > 12) return kNoFile;
    auto& s = m.state<Cexe>();
    CexeFile& f = s.dirs[dir][name];
    f.data = data;
    f.stamp[5] = uint16_t(++s.writes % 60);
    return 0;
  };
  return k;
}

RbReply entry(const std::string& name, const CexeFile& f) {
  std::string n = name.substr(0, 12);
  n.resize(kNameField, '\0');
  RbReply r;
  r.bytes(n.data(), n.size()).u32(uint32_t(f.data.size())).u32(f.attr);
  for (uint16_t v : f.stamp) r.u16(v);
  return r;
}

RbReply directory(Machine& m, const RbRequest& q) {
  std::string dir(reinterpret_cast<const char*>(q.data.data()), strnlen(reinterpret_cast<const char*>(q.data.data()), q.data.size()));
  if (dir.empty() || dir.back() != '/') dir += '/';
  auto& dirs = m.state<Cexe>().dirs;
  if (!dirs.count(dir)) return RbReply::fail(kNoFile);
  RbReply r;
  int i = 0, n = 0;
  for (auto& [name, f] : dirs[dir]) {
    if (i++ < q.a1 || n >= q.a2) continue;
    r.bytes(entry(name, f).data);
    ++n;
  }
  return n == 0 ? RbReply::fail(kEnd) : r;
}

void installSram(Machine& m) {
  m.on(1, 316, [](Machine& m, const RbRequest& q) {
    auto& ram = m.state<Cexe>().sram;
    if (q.a1 < 0 || size_t(q.a1) >= ram.size()) return RbReply::fail(kEnd);
    const size_t n = std::min(ram.size() - size_t(q.a1), size_t(std::max(q.a2, 0)));
    return RbReply().bytes(ram.data() + q.a1, n);
  });
  m.on(1, 317, [](Machine& m, const RbRequest& q) {
    auto& ram = m.state<Cexe>().sram;
    if (q.a1 < 0 || size_t(q.a1) + q.data.size() > ram.size()) return RbReply::fail(kEnd);
    std::memcpy(ram.data() + q.a1, q.data.data(), q.data.size());
    return RbReply();
  });
  m.on(1, 318, [](Machine& m, const RbRequest&) {
    return RbReply().u32(uint32_t(m.state<Cexe>().sram.size()));
  });
  // Areas, the whole size, and the part in use (bytes up to the last nonzero one).
  m.on(1, 366, [](Machine& m, const RbRequest&) {
    auto& ram = m.state<Cexe>().sram;
    size_t used = ram.size();
    while (used > 0 && ram[used - 1] == 0) --used;
    return RbReply().i32(1).u32(uint32_t(ram.size())).u32(uint32_t(used));
  });
}

}  // namespace

OZ_SIM_FAMILY(machine2_cexec) {
  register_transfer_kind(m, 0x8004, fileKind());
  register_transfer_kind(m, 0x8005, fileKind());
  m.on(1, 346, directory);
  installSram(m);
}

}  // namespace oz::sim
