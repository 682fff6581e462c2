// The Ethernet board of the simulated machine and the data server on it: a
// file tree with its current folder and DNC file, an FTP host to fetch from
// and send to, the board's host settings, modes, parameter blocks and a log
// of what the server did. Files downloaded with the data-server kind land in
// the current folder.
#include <array>
#include <cctype>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "base/be.h"
#include "sim/data_wire.h"
#include "sim/name_fields.h"
#include "sim/prog_store.h"

namespace oz::sim {
namespace {

using names::field;
using names::put;
using names::putz;

constexpr uint16_t kDataServerKind = 0x8007;
constexpr int16_t kNoEntry = 3;
constexpr int16_t kBadName = 5;
constexpr int32_t kDiskBytes = 64 << 20;
constexpr size_t kParam = 996;
constexpr size_t kParamAt = 88;     // where the parameter block sits in a write
constexpr int kLogText = 84;

struct LogEntry {
  uint16_t number;
  uint16_t kind;
  std::string text;
};

struct DataServer {
  std::set<std::string> dirs{"/", "/NC/"};
  std::map<std::string, std::string> files{{"/NC/O0100", "%\nO0100(FROM SERVER)\nM30\n%\n"},
                                           {"/README.TXT", "data server\n"}};
  std::map<std::string, std::string> host{{"PART1.NC", "%\nO0200(PART1)\nM30\n%\n"}};
  std::string cur = "/";
  std::string dnc;
  std::map<int, std::pair<int16_t, std::string>> dsm198hosts{{1, {1, "192.168.1.10"}}};
  std::map<int, int16_t> hosts{{1, 1}};
  std::array<int16_t, 10> modes{1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  std::map<int, std::vector<uint8_t>> params;
  std::map<int, std::vector<uint8_t>> dsm198dirs;
  std::vector<LogEntry> log;
  int16_t ftp = 0;   // result of the last FTP order

  void note(uint16_t kind, const std::string& text) {
    log.push_back({uint16_t(log.size() + 1), kind, text});
  }
  // name relative to the current folder, or absolute from '/'.
  std::string resolve(const std::string& name) const {
    return !name.empty() && name[0] == '/' ? name : cur + name;
  }
  std::string dirOf(const std::string& name) const {
    std::string p = resolve(name);
    if (p.empty() || p.back() != '/') p += '/';
    return p;
  }
  // Sub-folders first, then files; folders end with '/'.
  std::vector<std::pair<std::string, size_t>> list(const std::string& folder) const {
    std::vector<std::pair<std::string, size_t>> out;
    for (auto& d : dirs)
      if (d.size() > folder.size() && d.compare(0, folder.size(), folder) == 0 &&
          d.find('/', folder.size()) == d.size() - 1)
        out.push_back({d.substr(folder.size()), 0});
    for (auto& [p, data] : files)
      if (p.compare(0, folder.size(), folder) == 0 && p.find('/', folder.size()) == std::string::npos)
        out.push_back({p.substr(folder.size()), data.size()});
    return out;
  }
  std::vector<uint8_t>& param(int kind) {
    auto& b = params[kind];
    if (b.empty()) {
      b.assign(kParam, 0);
      for (int i = 0; i < 6; ++i) be::put16(b.data() + 2 * i, uint16_t(i == 0 ? kind : i));
      for (int at : {12, 16, 20, 76, 80, 340, 344, 604, 608}) be::put32(b.data() + at, uint32_t(1000 + at));
      std::memcpy(b.data() + 24, "OZSIM", 5);
    }
    return b;
  }
};

bool sameDevice(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != b[i]) return false;
  return true;
}

RbReply ok(bool done, int16_t code = kBadName) { return done ? RbReply() : RbReply::fail(code); }

// ---- listings --------------------------------------------------------------------------

// Header and entries from `index` of `folder` (677 and 678 share it): +0
// the entry count, +4 and +8 the first and last index, +12 folders, +16 files.
RbReply listing(DataServer& s, const std::string& folder, int32_t index, int16_t count) {
  const auto all = s.list(folder);
  int32_t dirs = 0;
  for (auto& e : all) dirs += e.first.back() == '/';
  RbReply r = RbReply().i16(int16_t(all.size())).i16(0).i32(0).i32(int32_t(all.size()) - 1);
  put(r.i32(dirs).i32(int32_t(all.size()) - dirs), folder, 256);
  for (int32_t i = std::max(index, 0); i < int32_t(all.size()) && i < int64_t(index) + count; ++i) {
    const bool dir = all[size_t(i)].first.back() == '/';
    std::string name = all[size_t(i)].first;
    if (dir) name.pop_back();
    r.i16(dir ? 1 : 0).i16(2026).i16(1).i16(1).i16(8).i16(0).i32(int32_t(all[size_t(i)].second)).i32(0);
    put(put(r, name, 36), "", 128);
  }
  return r;
}
RbReply list678(DataServer& s, const RbRequest& q, size_t at) {
  const std::string path = field(q.data, at, 256);
  const std::string folder = path.empty() ? s.cur : s.dirOf(path);
  if (!s.dirs.count(folder)) return RbReply::fail(kBadName);
  data::In in{q.data};
  return listing(s, folder, in.i32(at + 260), in.i16(at + 264));
}
RbReply chdir(DataServer& s, const RbRequest& q) {
  const std::string device = field(q.data, 0, 12), to = field(q.data, 12, 128);
  std::string dir = to == ".." ? s.cur.substr(0, s.cur.rfind('/', s.cur.size() - 2) + 1) : s.dirOf(to);
  if (dir.empty()) dir = "/";
  if (!s.dirs.count(dir)) return RbReply::fail(kBadName);
  s.cur = dir;
  if (sameDevice(device, "DATA_SV")) return RbReply();
  return list678(s, q, 140);
}
RbReply hddDir(DataServer& s, const RbRequest& q) {
  const std::string folder = q.data.empty() ? s.cur : s.dirOf(field(q.data, 0, q.data.size()));
  if (!s.dirs.count(folder)) return RbReply::fail(kBadName);
  const auto all = s.list(folder);
  if (q.a1 < 0 || (q.a1 > 0 && size_t(q.a1) >= all.size())) return RbReply::fail(kNoEntry);
  RbReply r;
  for (size_t i = size_t(q.a1); i < all.size() && i < size_t(q.a1) + size_t(std::max(q.a2, 0)); ++i) {
    put(put(r, all[i].first, 64), "2026/01/01 08:00", 80);
    put(r.i16(all[i].first.back() == '/').i16(0).i32(int32_t(all[i].second)), "", 16);
  }
  return r;
}

// ---- folders, files and FTP --------------------------------------------------------------------

RbReply mkdir(DataServer& s, const RbRequest& q) {
  const std::string dir = s.dirOf(field(q.data, 256, 256));
  const std::string parent = dir.substr(0, dir.rfind('/', dir.size() - 2) + 1);
  if (s.dirs.count(dir) || !s.dirs.count(parent)) return RbReply::fail(kBadName);
  s.dirs.insert(dir);
  s.note(1, "MKDIR " + dir);
  return RbReply();
}
RbReply rmdir(DataServer& s, const RbRequest& q) {
  const std::string dir = s.dirOf(field(q.data, 256, 256));
  if (dir == "/" || !s.dirs.count(dir) || !s.list(dir).empty()) return RbReply::fail(kBadName);
  s.dirs.erase(dir);
  s.note(1, "RMDIR " + dir);
  return RbReply();
}
RbReply removeFile(DataServer& s, const std::string& name) {
  if (s.files.erase(s.resolve(name)) == 0) return RbReply::fail(kBadName);
  s.note(1, "DELETE " + s.resolve(name));
  return RbReply();
}
RbReply renameFile(DataServer& s, const RbRequest& q) {
  const std::string from = s.resolve(field(q.data, 12, 128)), to = s.resolve(field(q.data, 140, 128));
  auto it = s.files.find(from);
  if (it == s.files.end() || s.files.count(to)) return RbReply::fail(kBadName);
  s.files[to] = it->second;
  s.files.erase(from);
  s.note(1, "RENAME " + from + " " + to);
  return RbReply();
}
// FTP: the host's file to the server (get) or the server's to the host (put).
int16_t fetch(DataServer& s, const std::string& host, const std::string& server) {
  auto it = s.host.find(host);
  if (it == s.host.end() || server.empty()) return kBadName;
  s.files[s.resolve(server)] = it->second;
  s.note(2, "GET " + host);
  return 0;
}
int16_t send(DataServer& s, const std::string& server, const std::string& host) {
  auto it = s.files.find(s.resolve(server));
  if (it == s.files.end() || host.empty()) return kBadName;
  s.host[host] = it->second;
  s.note(2, "PUT " + host);
  return 0;
}
RbReply ftp(DataServer& s, int16_t code) {
  s.ftp = code;
  return ok(code == 0, code);
}
// Orders naming many files: "*" (every file) or one name for mget and mput,
// a list file on the server (one name a line) for the list orders.
RbReply many(DataServer& s, const RbRequest& q) {
  const std::string name = field(q.data, 0, 128);
  std::vector<std::string> names;
  if (q.cmd == 704 || q.cmd == 705) {
    if (name != "*") names.push_back(name);
    else if (q.cmd == 704) for (auto& [h, d] : s.host) names.push_back(h);
    else for (auto& [p, n] : s.list(s.cur)) if (p.back() != '/') names.push_back(p);
  } else {
    auto it = s.files.find(s.resolve(name));
    if (it == s.files.end()) return ftp(s, kBadName);
    std::istringstream lines(it->second);
    for (std::string l; std::getline(lines, l);) if (!l.empty()) names.push_back(l);
  }
  int16_t code = 0;
  for (auto& n : names) {
    const int16_t c = q.cmd == 704 || q.cmd == 706 ? fetch(s, n, n)
                      : q.cmd == 708 ? (s.files.erase(s.resolve(n)) ? 0 : kBadName)
                                     : send(s, n, n);
    if (c) code = c;
  }
  return ftp(s, code);
}

// ---- the board's settings -----------------------------------------------------------------------

RbReply readLog(DataServer& s, const RbRequest& q) {
  std::vector<const LogEntry*> shown;
  for (auto& e : s.log)
    if ((q.a1 == 0 || e.kind == q.a1) && e.number >= q.a2 && int(shown.size()) < q.a3) shown.push_back(&e);
  RbReply r = RbReply().i16(int16_t(shown.size()));
  put(r, "DATA SERVER", 14);
  for (const LogEntry* e : shown) {
    r.u16(e->number).u16(e->kind).i16(2026).i16(1).i16(1).i16(8).i16(0).i16(0).i16(0).i16(0);
    put(r, e->text, kLogText);
  }
  return r;
}
RbReply writeParam(DataServer& s, const RbRequest& q) {
  if (q.data.size() < kParamAt + kParam) return RbReply::fail(kBadName);
  s.param(q.a1).assign(q.data.begin() + long(kParamAt), q.data.begin() + long(kParamAt + kParam));
  s.note(3, "PARAM " + std::to_string(q.a1));
  return RbReply();
}

using Fn = RbReply (*)(DataServer&, const RbRequest&);

const std::pair<uint16_t, Fn> kHandlers[] = {
    {678, [](DataServer& s, const RbRequest& q) { return list678(s, q, 12); }},
    {677, chdir},
    {216, hddDir},
    {666, mkdir},
    {667, rmdir},
    {686, renameFile},
    {704, many}, {705, many}, {706, many}, {707, many}, {708, many},
    {700, readLog},
    {729, writeParam},
    {676, [](DataServer& s, const RbRequest&) { return put(RbReply().i16(1), s.cur, 256); }},
    {675, [](DataServer& s, const RbRequest&) { return put(RbReply().i16(1), s.dnc, 256); }},
    {457, [](DataServer& s, const RbRequest& q) {
       s.dnc = field(q.data, 256, 256);
       return RbReply();
     }},
    {458, [](DataServer& s, const RbRequest& q) { return removeFile(s, field(q.data, 256, 256)); }},
    {217, [](DataServer& s, const RbRequest& q) { return removeFile(s, field(q.data, 0, q.data.size())); }},
    {218, [](DataServer& s, const RbRequest& q) {
       const std::string dir = s.dirOf(field(q.data, 0, q.data.size()));
       if (!s.dirs.count(dir)) return RbReply::fail(kBadName);
       s.cur = dir;
       return RbReply();
     }},
    {459, [](DataServer& s, const RbRequest& q) { return ftp(s, fetch(s, field(q.data, 0, 128), field(q.data, 128, 128))); }},
    {679, [](DataServer& s, const RbRequest& q) { return ftp(s, send(s, field(q.data, 128, 33), field(q.data, 0, 128))); }},
    {460, [](DataServer& s, const RbRequest&) { return ok(s.ftp == 0, s.ftp); }},
    {680, [](DataServer& s, const RbRequest&) { return ftp(s, 0); }},
    {219, [](DataServer& s, const RbRequest&) { return ok(s.ftp == 0, s.ftp); }},
    {220, [](DataServer& s, const RbRequest&) { return ftp(s, 0); }},
    {703, [](DataServer& s, const RbRequest&) {
       int32_t used = 0;
       for (auto& [p, d] : s.files) used += int32_t(d.size());
       return RbReply().i32(kDiskBytes).i32(used).i32(kDiskBytes - used).i32(int32_t(s.files.size()));
     }},
    {687, [](DataServer& s, const RbRequest& q) { return RbReply().i16(s.hosts[q.a1]); }},
    {688, [](DataServer& s, const RbRequest& q) {
       s.hosts[q.a1] = int16_t(q.a2);
       return RbReply();
     }},
    {701, [](DataServer& s, const RbRequest& q) {
       auto& e = s.dsm198hosts[q.a1];
       return put(RbReply().i16(e.first), e.second, 256);
     }},
    {702, [](DataServer& s, const RbRequest& q) {
       s.dsm198hosts[q.a1] = {int16_t(q.a2), field(q.data, 0, 256)};
       return RbReply();
     }},
    {699, [](DataServer& s, const RbRequest&) {
       RbReply r;
       for (int16_t v : s.modes) r.i16(v);
       return r;
     }},
    {728, [](DataServer& s, const RbRequest& q) { return RbReply().bytes(s.param(q.a1)); }},
    {673, [](DataServer& s, const RbRequest& q) { return RbReply().bytes(s.dsm198dirs[q.a1]); }},
    {674, [](DataServer& s, const RbRequest& q) {
       s.dsm198dirs[q.a1] = q.data;
       return RbReply();
     }},
};

// A download of the data-server kind: "name:number" names the file.
int16_t storeDownload(Machine& m, const std::string& text, const std::string& data) {
  auto& s = m.state<DataServer>();
  const std::string name = text.substr(0, text.rfind(':'));
  if (name.empty() || text.find(':') == std::string::npos) return kBadName;
  s.files[s.resolve(name)] = data;
  s.note(1, "STORE " + s.resolve(name));
  return 0;
}

}  // namespace

OZ_SIM_FAMILY(dataserver) {
  for (auto& [cmd, fn] : kHandlers)
    m.on(1, cmd, [fn = fn](Machine& m, const RbRequest& q) { return fn(m.state<DataServer>(), q); });
  on_download(m, kDataServerKind, storeDownload);
}

}  // namespace oz::sim
