// The simulated flash memory and SRAM image: flash files per device kind
// that save and load through transfer sessions, the SRAM image that backs up
// and restores byte for byte, the listings and the protection of system files.
#include <cstring>
#include <map>
#include <string>

#include "base/be.h"
#include "sim/machine.h"
#include "sim/transfer_kinds.h"

namespace oz::sim {
namespace {

constexpr int16_t kNoFile = 5;
constexpr int16_t kNoDevice = 3;
constexpr int16_t kProtected = 7;
constexpr size_t kHeader = 16;   // a flash file begins with its name, zero-padded
constexpr size_t kSramSize = 24 * 1024;

// A name in a zero-padded field, cut to leave room for the terminator.
std::string field(const std::string& s, size_t width) {
  std::string f = s.substr(0, width - 1);
  f.resize(width, '\0');
  return f;
}
RbReply& putField(RbReply& r, const std::string& s, size_t width) {
  const std::string f = field(s, width);
  return r.bytes(f.data(), f.size());
}
// A flash file as it travels: its name in a 16-byte head, then its body.
std::string flashFile(const std::string& name, const std::string& body) {
  return field(name, kHeader) + body;
}

struct Backup {
  // device kind -> name -> the whole file, head included
  std::map<int, std::map<std::string, std::string>> flash;
  std::string sram;
  bool system_unlocked = false;   // "SDEL:" lets one system file go

  Backup() {
    auto& dev = flash[0];
    dev["SYSBOOT"] = flashFile("SYSBOOT", std::string(3000, '\x5A'));
    dev["PMC1"] = flashFile("PMC1", "LADDER\n" + std::string(2000, '\x01'));
    dev["USERDATA"] = flashFile("USERDATA", "user data\n");
    flash[1]["OPTION"] = flashFile("OPTION", std::string(100, '\x7F'));
    sram.resize(kSramSize);
    for (size_t i = 0; i < sram.size(); ++i) sram[i] = char((i * 7 + i / 256) & 0xFF);
  }
};

// "kind:name;number" (save) or "kind:;number" (load).
bool parseFlashText(const std::string& t, int* kind, std::string* name) {
  const size_t colon = t.find(':'), semi = t.rfind(';');
  if (colon == std::string::npos || semi == std::string::npos || semi < colon) return false;
  *kind = std::atoi(t.substr(0, colon).c_str());
  *name = t.substr(colon + 1, semi - colon - 1);
  return true;
}

TransferKind flashKind() {
  TransferKind k;
  k.announce = true;
  k.upload = [](Machine& m, const std::string& text, std::string* out) -> int16_t {
    int kind = 0;
    std::string name;
    auto& s = m.state<Backup>();
    if (!parseFlashText(text, &kind, &name) || !s.flash.count(kind)) return kNoDevice;
    auto it = s.flash[kind].find(name);
    if (it == s.flash[kind].end()) return kNoFile;
    *out = it->second;
    return 0;
  };
  k.download = [](Machine& m, const std::string& text, const std::string& data) -> int16_t {
    int kind = 0;
    std::string unused;
    auto& s = m.state<Backup>();
    if (!parseFlashText(text, &kind, &unused) || !s.flash.count(kind)) return kNoDevice;
    if (data.size() < kHeader || data[0] == '\0') return kNoFile;
    s.flash[kind][std::string(data.c_str(), strnlen(data.c_str(), kHeader))] = data;
    return 0;
  };
  return k;
}

TransferKind sramKind() {
  TransferKind k;
  k.announce = true;
  k.upload = [](Machine& m, const std::string&, std::string* out) -> int16_t {
    *out = m.state<Backup>().sram;
    return 0;
  };
  // An image of another size belongs to another controller.
  k.download = [](Machine& m, const std::string&, const std::string& data) -> int16_t {
    auto& s = m.state<Backup>();
    if (data.size() != s.sram.size()) return 2;
    s.sram = data;
    return 0;
  };
  return k;
}

// Device text (16 bytes), then per file its name (16) and size (32-bit).
RbReply fileList(const std::map<std::string, std::string>& dev, int kind, int first, int count) {
  RbReply r;
  putField(r, "FROM" + std::to_string(kind), kHeader);
  int i = 0;
  for (auto& [name, file] : dev) {
    if (i++ < first || count-- <= 0) continue;
    putField(r, name, kHeader).u32(uint32_t(file.size()));
  }
  return r;
}

void installListings(Machine& m) {
  m.on(1, 304, [](Machine& m, const RbRequest& q) {
    auto& s = m.state<Backup>();
    if (!s.flash.count(q.a1)) return RbReply::fail(kNoDevice);
    return fileList(s.flash[q.a1], q.a1, 0, 1 << 30);
  });
  m.on(1, 315, [](Machine& m, const RbRequest& q) {
    auto& s = m.state<Backup>();
    if (!s.flash.count(q.a1)) return RbReply::fail(kNoDevice);
    return fileList(s.flash[q.a1], q.a1, q.a2, q.a3);
  });
  // One SRAM area of the whole image; no extra words per entry.
  m.on(1, 306, [](Machine& m, const RbRequest&) {
    RbReply r = RbReply().u32(0).i32(1);
    return putField(r, "SRAM", 16).u32(uint32_t(m.state<Backup>().sram.size())).u32(0);
  });
  m.on(1, 313, [](Machine&, const RbRequest&) { return RbReply().i32(1).u32(0x00100000); });
  m.on(1, 831, [](Machine&, const RbRequest&) {
    RbReply r;
    for (int16_t v : {2024, 5, 17, 3, 0, 0}) r.i16(v);
    return r.bytes(std::vector<uint8_t>(20, 0));
  });
}

void installDelete(Machine& m) {
  m.on(1, 213, [](Machine& m, const RbRequest&) {
    m.state<Backup>().system_unlocked = true;
    return RbReply();
  });
  m.on(1, 305, [](Machine& m, const RbRequest& q) {
    auto& s = m.state<Backup>();
    if (!s.flash.count(q.a1)) return RbReply::fail(kNoDevice);
    const std::string name(reinterpret_cast<const char*>(q.data.data()), strnlen(reinterpret_cast<const char*>(q.data.data()), q.data.size()));
    auto& dev = s.flash[q.a1];
    if (!dev.count(name)) return RbReply::fail(kNoFile);
    if (name.rfind("SYS", 0) == 0) {
      if (!s.system_unlocked) return RbReply::fail(kProtected);
      s.system_unlocked = false;
    }
    dev.erase(name);
    return RbReply();
  });
}

}  // namespace

OZ_SIM_FAMILY(machine2_backup) {
  register_transfer_kind(m, 0x8002, flashKind());
  register_transfer_kind(m, 0x800A, flashKind());
  register_transfer_kind(m, 0x8003, sramKind());
  installListings(m);
  installDelete(m);
}

}  // namespace oz::sim
