// Memory backup, C-executor files, protection, raw memory and boards:
//   backup sram|flash FILE [--name N] [--kind K]   restore sram|flash FILE [--kind K]
//   cexe ls DIR   cexe get NAME [FILE]   cexe put FILE NAME
//   protect [--password P | --cancel]
//   mem read ADDR COUNT [--width 1|2|4] [--bus B]   mem write ADDR VALUE... [--width] [--bus]
//   boards
#include <chrono>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits>
#include <memory>
#include <thread>

#include "command.h"

using namespace ozcli;

namespace {

struct Args {
  std::string what, file, name, dir, password;
  int kind = 0, width = 1, bus = -1;
  bool cancel = false;
  std::vector<std::string> values;
};

// ---- files ---------------------------------------------------------------------------

std::string readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) throw UsageError("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(f), {});
}
void writeFile(const std::string& path, const std::string& data) {
  std::ofstream f(path, std::ios::binary);
  if (!(f << data)) throw UsageError("cannot write " + path);
}
std::string baseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
void pause() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

// Reads a save session to its end; *more 0 (or the end of an upload) ends it.
std::string drain(Session& s, const char* fn, int16_t (*data)(uint16_t, int16_t*, void*, int32_t*)) {
  std::string got;
  std::vector<char> buf(16384);
  for (;;) {
    int16_t more = 0;
    int32_t len = int32_t(buf.size());
    const int16_t r = data(s.handle(), &more, buf.data(), &len);
    if (r == EW_BUFFER) {
      pause();
      continue;
    }
    s.check(fn, r);
    got.append(buf.data(), size_t(len));
    if (!more) return got;
  }
}

// Feeds a load session; the data call takes what the connection takes now.
void feed(Session& s, const char* fn, const std::string& data,
          int16_t (*put)(uint16_t, const void*, int32_t*)) {
  for (size_t at = 0; at < data.size();) {
    int32_t len = int32_t(std::min<size_t>(data.size() - at, 1 << 20));
    const int16_t r = put(s.handle(), data.data() + at, &len);
    if (r == EW_BUFFER) {
      pause();
      continue;
    }
    s.check(fn, r);
    if (len == 0) throw CallError(fn, EW_CANCELLED, false, {});
    at += size_t(len);
  }
}

int16_t sramData(uint16_t h, const void* buf, int32_t* len) { return cnc_sramput(h, nullptr, buf, len); }
// The file's end (EW_CANCELLED) read as the save calls report it.
int16_t cexeRead(uint16_t h, int16_t* more, void* buf, int32_t* len) {
  const int16_t r = cnc_rdcexefile(h, buf, len);
  *more = r != EW_CANCELLED;
  if (r != EW_CANCELLED) return r;
  *len = 0;
  return EW_SUCCESS;
}
int16_t cexeWrite(uint16_t h, const void* buf, int32_t* len) { return cnc_wrcexefile(h, buf, len); }

void backup(Session& s, Output& out, const Args& a) {
  std::string data;
  if (a.what == "sram") {
    OZCLI_CALL(s, cnc_sramgetstart, a.name.empty() ? "SRAM" : a.name.c_str());
  } else {
    OZCLI_CALL(s, cnc_fromgetstart, int16_t(a.kind), (a.name.empty() ? baseName(a.file) : a.name).c_str());
  }
  data = drain(s, "cnc_fromget", cnc_fromget);
  s.check("cnc_fromsvend", cnc_fromsvend(s.handle()));
  writeFile(a.file, data);
  out.field("file", a.file);
  out.field("bytes", data.size());
}

void restore(Session& s, Output& out, const Args& a) {
  const std::string data = readFile(a.file);
  if (a.what == "sram") {
    OZCLI_CALL(s, cnc_sramputstart, a.name.empty() ? "SRAM" : a.name.c_str());
    feed(s, "cnc_sramput", data, sramData);
    s.check("cnc_sramputend", cnc_sramputend(s.handle()));
  } else {
    OZCLI_CALL(s, cnc_fromputstart, int16_t(a.kind));
    feed(s, "cnc_fromput", data, cnc_fromput);
    s.check("cnc_dwnend3", cnc_dwnend3(s.handle()));
  }
  out.field("file", a.file);
  out.field("bytes", data.size());
}

// ---- C executor ------------------------------------------------------------------------

void cexeList(Session& s, Output& out, const std::string& dir) {
  Table& t = out.table("files", {"name", "size", "attr", "time"});
  for (int16_t first = 0;;) {
    cexedir_t page[32];
    int16_t n = 32;
    const int16_t r = cnc_cexedirectory(s.handle(), dir.c_str(), &n, first, page);
    if (r == EW_RANGE && first > 0) break;   // the directory ends on a page boundary
    s.check("cnc_cexedirectory", r);
    for (int i = 0; i < n; ++i) {
      const cexedir_t& e = page[i];
      char when[48];
      std::snprintf(when, sizeof when, "%04u-%02u-%02u %02u:%02u:%02u", e.stamp[0], e.stamp[1], e.stamp[2],
                    e.stamp[3], e.stamp[4], e.stamp[5]);
      t.row({std::string(e.name, strnlen(e.name, sizeof e.name)), e.size, e.attr, when});
    }
    if (n < 32) break;
    first = int16_t(first + n);
  }
}

void cexeGet(Session& s, Output& out, const Args& a) {
  OZCLI_CALL(s, cnc_opencexefile, a.name.c_str(), int16_t(0), int16_t(0));
  const std::string data = drain(s, "cnc_rdcexefile", cexeRead);
  s.check("cnc_closecexefile", cnc_closecexefile(s.handle()));
  if (a.file.empty() && !s.options().json) {
    std::cout << data;
    return;
  }
  out.field("name", a.name);
  if (a.file.empty()) return out.field("text", data), void();
  writeFile(a.file, data);
  out.field("file", a.file);
  out.field("bytes", data.size());
}

void cexePut(Session& s, Output& out, const Args& a) {
  const std::string data = readFile(a.file);
  OZCLI_CALL(s, cnc_opencexefile, a.name.c_str(), int16_t(1), int16_t(0));
  feed(s, "cnc_wrcexefile", data, cexeWrite);
  s.check("cnc_closecexefile", cnc_closecexefile(s.handle()));
  out.field("name", a.name);
  out.field("bytes", data.size());
}

// ---- protection --------------------------------------------------------------------------

void protect(Session& s, Output& out, const Args& a) {
  if (!a.password.empty()) {
    if (a.password.size() > 12) throw UsageError("a password has at most 12 characters");
    char psw[12] = {};
    std::memcpy(psw, a.password.data(), a.password.size());
    OZCLI_CALL(s, cnc_prot_pswinp, psw);
  }
  if (a.cancel) s.check("cnc_prot_pswcan", cnc_prot_pswcan(s.handle()));
  int16_t level = 0;
  OZCLI_CALL(s, cnc_rdope_lvl, &level);
  out.field("operation_level", level);
  uint8_t st[4] = {};
  const int16_t r = cnc_getlockstat(s.handle(), int16_t(a.kind), st);
  if (r == EW_SUCCESS) out.field("lock_status", uint32_t(st[0]) | uint32_t(st[1]) << 8 | uint32_t(st[2]) << 16 | uint32_t(st[3]) << 24);
  else out.field("lock_status", result_name(r));
}

// ---- raw memory ----------------------------------------------------------------------------

int16_t elementType(int width) {
  if (width == 1) return 0;
  if (width == 2) return 1;
  if (width == 4) return 2;
  throw UsageError("--width must be 1, 2 or 4");
}
long long number(const std::string& text) {
  try {
    size_t used = 0;
    const long long v = std::stoll(text, &used, 0);
    if (used == text.size()) return v;
  } catch (const std::exception&) {
  }
  throw UsageError("not a number: " + text);
}

void memRead(Session& s, Output& out, const Args& a) {
  if (a.values.size() != 2) throw UsageError("mem read ADDR COUNT");
  const long long addr = number(a.values[0]), n = number(a.values[1]);
  if (addr < 0 || addr > 0xFFFFFFFFLL) throw UsageError("address out of range: " + a.values[0]);
  if (n < 1 || n > 65536) throw UsageError("count must be 1 to 65536");
  const int16_t type = elementType(a.width);
  std::vector<uint8_t> buf(size_t(n) * size_t(a.width));
  OZCLI_CALL(s, cnc_rdfbusmem, type, int16_t(a.bus), uint32_t(addr), int32_t(n), buf.data());
  Table& t = out.table("memory", {"address", "value"});
  for (long long i = 0; i < n; ++i) {
    const uint8_t* p = buf.data() + i * a.width;
    uint32_t v = *p;
    if (a.width == 2) { uint16_t x; std::memcpy(&x, p, 2); v = x; }
    if (a.width == 4) std::memcpy(&v, p, 4);
    t.row({addr + i * a.width, v});
  }
}

// An element in host order, as the library takes it.
void appendHost(std::vector<uint8_t>& buf, uint32_t v, int width) {
  const uint16_t w = uint16_t(v);
  const uint8_t* p = width == 2 ? reinterpret_cast<const uint8_t*>(&w) : reinterpret_cast<const uint8_t*>(&v);
  if (width == 1) buf.push_back(uint8_t(v));
  else buf.insert(buf.end(), p, p + width);
}

void memWrite(Session& s, Output& out, const Args& a) {
  if (a.values.size() < 2) throw UsageError("mem write ADDR VALUE...");
  const long long addr = number(a.values[0]);
  if (addr < 0 || addr > 0xFFFFFFFFLL) throw UsageError("address out of range: " + a.values[0]);
  const int16_t type = elementType(a.width);
  const long long lo = a.width == 4 ? std::numeric_limits<int32_t>::min() : -(1LL << (8 * a.width - 1));
  const long long hi = (1LL << (8 * a.width)) - 1;
  std::vector<uint8_t> buf;
  for (size_t i = 1; i < a.values.size(); ++i) {
    const long long v = number(a.values[i]);
    if (v < lo || v > hi) throw UsageError("value out of range for --width " + std::to_string(a.width) + ": " + a.values[i]);
    appendHost(buf, uint32_t(v), a.width);
  }
  const int32_t n = int32_t(a.values.size() - 1);
  OZCLI_CALL(s, cnc_wrfbusmem, type, int16_t(a.bus), uint32_t(addr), n, buf.data());
  out.field("address", addr);
  out.field("written", n);
}

// ---- boards -----------------------------------------------------------------------------------

std::string text(const char* p, size_t n) {
  std::string t(p, strnlen(p, n));
  while (!t.empty() && t.back() == ' ') t.pop_back();
  return t;
}

void boards(Session& s, Output& out) {
  Output& plant = out.section("plant_network");
  flntprm_t p{};
  if (const int16_t r = flnt_rdparam(s.handle(), &p)) {
    plant.field("status", result_name(r));
  } else {
    plant.field("address", text(p.c0, sizeof p.c0));
    plant.field("name", text(p.c16, sizeof p.c16));
  }
  Output& bus = out.section("field_bus");
  uint8_t info[64];
  int16_t len = sizeof info;
  if (const int16_t r = pmc_prfrdinfo(s.handle(), &len, info)) {
    bus.field("status", result_name(r));
    return;
  }
  if (len >= 4) bus.field("layout_version", std::to_string(info[0] << 8 | info[1]) + "." + std::to_string(info[2] << 8 | info[3]));
  uint8_t mode[2];
  len = sizeof mode;
  if (pmc_prfrdopmode(s.handle(), &len, mode) == EW_SUCCESS && len == 2) bus.field("operation_mode", mode[0] << 8 | mode[1]);
}

}  // namespace

OZCLI_FAMILY(machine2) {
  auto a = std::make_shared<Args>();
  CLI::App* b = cli.command("backup", "Save the SRAM image or a flash file to FILE",
                            [a](Session& s, Output& out) { backup(s, out, *a); });
  b->add_option("WHAT", a->what, "sram or flash")->required()->check(CLI::IsMember({"sram", "flash"}));
  b->add_option("FILE", a->file, "Output file")->required();
  b->add_option("--name", a->name, "Name on the controller (flash: default the file's name)");
  b->add_option("--kind", a->kind, "Flash device kind")->check(CLI::Range(0, 32767));
  CLI::App* r = cli.command("restore", "Load the SRAM image or a flash file from FILE",
                            [a](Session& s, Output& out) { restore(s, out, *a); });
  r->add_option("WHAT", a->what, "sram or flash")->required()->check(CLI::IsMember({"sram", "flash"}));
  r->add_option("FILE", a->file, "Input file")->required();
  r->add_option("--name", a->name, "Name of the SRAM image");
  r->add_option("--kind", a->kind, "Flash device kind")->check(CLI::Range(0, 32767));

  CLI::App* c = cli.command("cexe", "C-executor files: ls DIR, get NAME [FILE], put FILE NAME",
                            [a](Session& s, Output& out) {
    if (a->what == "ls" && a->values.size() == 1) return cexeList(s, out, a->values[0]);
    if (a->what == "get" && !a->values.empty() && a->values.size() <= 2) {
      a->name = a->values[0];
      a->file = a->values.size() > 1 ? a->values[1] : "";
      return cexeGet(s, out, *a);
    }
    if (a->what == "put" && a->values.size() == 2) {
      a->file = a->values[0];
      a->name = a->values[1];
      return cexePut(s, out, *a);
    }
    throw UsageError("cexe ls DIR | get NAME [FILE] | put FILE NAME");
  });
  c->add_option("ACTION", a->what, "ls, get or put")->required()->check(CLI::IsMember({"ls", "get", "put"}));
  c->add_option("ARGS", a->values, "Directory, names and files");

  CLI::App* p = cli.command("protect", "Operation level and lock status; enter or cancel the password",
                            [a](Session& s, Output& out) { protect(s, out, *a); });
  p->add_option("--password", a->password, "Protection password to enter (at most 12 characters)");
  p->add_flag("--cancel", a->cancel, "Cancel the entered password");
  p->add_option("--kind", a->kind, "Lock status kind")->check(CLI::Range(-32768, 32767));

  CLI::App* m = cli.command("mem", "Raw memory: read ADDR COUNT, write ADDR VALUE...",
                            [a](Session& s, Output& out) {
    if (a->what == "read") return memRead(s, out, *a);
    memWrite(s, out, *a);
  });
  m->add_option("ACTION", a->what, "read or write")->required()->check(CLI::IsMember({"read", "write"}));
  m->add_option("ARGS", a->values, "Address, then a count or values")->required();
  m->add_option("--width", a->width, "Element width in bytes: 1, 2 or 4");
  m->add_option("--bus", a->bus, "Bus device (negative: the controller's own memory)")->check(CLI::Range(-1, 32767));

  cli.command("boards", "Plant network and field-bus boards", [](Session& s, Output& out) { boards(s, out); });
}
