// The folder tree of the simulated machine: drives, folders and programs by
// path. The files of one folder are the numbered programs of the program
// store ("O0001" is program 1), so a program downloaded by number shows up
// there and one written there by path runs by number.
#include <array>
#include <cctype>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

#include "sim/name_fields.h"
#include "sim/prog_store.h"

namespace oz::sim {
namespace {

using names::field;
using names::put;
using names::putz;

constexpr char kProgFolder[] = "//CNC_MEM/USER/PATH1/";
constexpr const char* kDrives[] = {"CNC_MEM", "USB_MEM"};
constexpr size_t kPath = 256;
constexpr int32_t kDriveBytes = 1 << 20;
constexpr int16_t kNoEntry = 3;     // index past a folder's last entry
constexpr int16_t kBadPath = 5;     // no such path, or one that cannot be made
constexpr int16_t kLocked = 7;      // a page-locked program cannot change
constexpr int kMaxText = 4000;      // program text one reply carries at most
constexpr int kProcTimes = 10;

struct Node {
  std::string text;
  std::string comment;
};

struct Folders {
  std::set<std::string> dirs{"//CNC_MEM/",        "//CNC_MEM/USER/", kProgFolder,
                             "//CNC_MEM/USER/LIBRARY/", "//CNC_MEM/SYSTEM/", "//USB_MEM/"};
  std::map<std::string, Node> files{
      {"//CNC_MEM/USER/LIBRARY/O9001", {"O9001(TOOL CHANGE)\nG91G28Z0.\nM06\nM99\n%\n", "(TOOL CHANGE)"}}};
  std::map<std::string, std::array<uint32_t, 2>> attrs;
  std::string cur[2] = {kProgFolder, kProgFolder};
  std::string main = std::string(kProgFolder) + "O0001";
  int32_t position = 0;
  std::set<std::string> locked;
};

struct Entry {
  std::string name;
  bool dir;
  std::string comment;
  size_t size;
};

std::string folderOf(const std::string& p) { return p.substr(0, p.rfind('/') + 1); }
std::string nameOf(const std::string& p) { return p.substr(p.rfind('/') + 1); }

// "O0012" in the program folder is program 12; 0 for any other name.
int32_t progNumber(const std::string& name) {
  if (name.size() < 2 || name.size() > 9 || name[0] != 'O') return 0;
  int32_t n = 0;
  for (size_t i = 1; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
    n = n * 10 + (name[i] - '0');
  }
  return n;
}
std::string progName(int32_t n) {
  char b[16];
  std::snprintf(b, sizeof b, "O%04d", int(n));
  return b;
}

// The tree with the program store behind its program folder.
class Tree {
 public:
  explicit Tree(Machine& m) : m_(m), s_(m.state<Folders>()) {}
  Folders& state() { return s_; }

  // A folder named without its closing '/' is still that folder.
  std::string norm(std::string p) const {
    if (!p.empty() && p.back() != '/' && s_.dirs.count(p + "/")) p += '/';
    return p;
  }
  bool isDir(const std::string& p) const { return s_.dirs.count(p) > 0; }
  bool inStore(const std::string& p) const { return folderOf(p) == kProgFolder; }

  std::optional<std::string> read(const std::string& p) {
    if (inStore(p)) {
      for (auto& sp : stored_programs(m_))
        if (progName(sp.number) == nameOf(p)) return sp.text;
      return std::nullopt;
    }
    auto it = s_.files.find(p);
    if (it == s_.files.end()) return std::nullopt;
    return it->second.text;
  }
  bool exists(const std::string& p) { return isDir(p) || read(p).has_value(); }
  // Creates or replaces a file in an existing folder.
  bool write(const std::string& p, const std::string& text) {
    if (!isDir(folderOf(p)) || nameOf(p).empty() || s_.locked.count(p)) return false;
    if (inStore(p)) {
      const int32_t n = progNumber(nameOf(p));
      if (n == 0) return false;
      store_program(m_, n, text);
      return true;
    }
    const size_t open = text.find('('), close = text.find(')');
    const bool commented = open != std::string::npos && close != std::string::npos && close > open;
    s_.files[p] = Node{text, commented ? text.substr(open, close - open + 1) : ""};
    return true;
  }
  bool erase(const std::string& p) {
    if (s_.locked.count(p)) return false;
    s_.attrs.erase(p);
    if (inStore(p)) return progNumber(nameOf(p)) && erase_program(m_, progNumber(nameOf(p)));
    return s_.files.erase(p) > 0;
  }
  // Sub-folders first, then files, each in name order.
  std::vector<Entry> list(const std::string& folder) {
    std::vector<Entry> out;
    for (auto& d : s_.dirs)
      if (d.size() > folder.size() && d.compare(0, folder.size(), folder) == 0 &&
          d.find('/', folder.size()) == d.size() - 1)
        out.push_back({d.substr(folder.size(), d.size() - folder.size() - 1), true, "", 0});
    if (folder == kProgFolder) {
      for (auto& sp : stored_programs(m_))
        out.push_back({progName(sp.number), false, sp.comment, sp.text.size()});
    } else {
      for (auto& [p, n] : s_.files)
        if (folderOf(p) == folder) out.push_back({nameOf(p), false, n.comment, n.text.size()});
    }
    return out;
  }
  std::array<uint32_t, 2> attr(const std::string& p) const {
    auto it = s_.attrs.find(p);
    return it == s_.attrs.end() ? std::array<uint32_t, 2>{0, 0} : it->second;
  }

 private:
  Machine& m_;
  Folders& s_;
};

// ---- program lines ------------------------------------------------------------------

// A program seen by lines: its text without the leading "%" line, each line
// with its line feed; the closing '%' is the last line. Lines count from 1.
std::vector<std::string> linesOf(const std::string& text) {
  std::string t = text.rfind("%\n", 0) == 0 ? text.substr(2) : text;
  std::vector<std::string> out;
  for (size_t at = 0; at < t.size();) {
    size_t nl = t.find('\n', at);
    nl = nl == std::string::npos ? t.size() : nl + 1;
    out.push_back(t.substr(at, nl - at));
    at = nl;
  }
  return out;
}
std::string joinLines(const std::vector<std::string>& lines) {
  std::string t = "%\n";
  for (auto& l : lines) t += l;
  return t;
}
// Lines [first, first + count) as one text of at most `room` bytes.
std::string lineText(const std::vector<std::string>& lines, int32_t first, int32_t count,
                     size_t room, int32_t* taken) {
  std::string out;
  *taken = 0;
  for (int32_t i = std::max(first, 1) - 1; i < int32_t(lines.size()) && *taken < count; ++i) {
    if (out.size() + lines[size_t(i)].size() > room) break;
    out += lines[size_t(i)];
    ++*taken;
  }
  return out;
}

// ---- handlers ----------------------------------------------------------------------------

using Fn = RbReply (*)(Tree&, const RbRequest&);

std::string pathArg(Tree& t, const RbRequest& q, size_t off = 0) {
  return t.norm(field(q.data, off, kPath));
}

RbReply ok(bool done, int16_t code = kBadPath) { return done ? RbReply() : RbReply::fail(code); }

RbReply drives(Tree&, const RbRequest&) {
  RbReply r;
  for (const char* d : kDrives) put(r, d, 12);
  return r;
}

RbReply driveInfo(Tree& t, const RbRequest& q) {
  const std::string root = "//" + field(q.data, 0, 12) + "/";
  if (!t.isDir(root)) return RbReply::fail(kBadPath);
  int32_t dirs = 0, files = 0, used = 0;
  for (auto& d : t.state().dirs) dirs += d.rfind(root, 0) == 0 && d != root;
  std::vector<std::string> folders(t.state().dirs.begin(), t.state().dirs.end());
  for (auto& f : folders)
    if (f.rfind(root, 0) == 0)
      for (auto& e : t.list(f))
        if (!e.dir) ++files, used += int32_t(e.size);
  return RbReply().i32(kDriveBytes).i32(kDriveBytes - used).i32(dirs).i32(files);
}

RbReply readCurdir(Tree& t, const RbRequest& q) {
  RbReply r;
  return putz(r, t.state().cur[q.a1 & 1]);
}
RbReply writeCurdir(Tree& t, const RbRequest& q) {
  const std::string p = pathArg(t, q);
  if (!t.isDir(p)) return RbReply::fail(kBadPath);
  t.state().cur[q.a1 & 1] = p;
  return RbReply();
}

// The entries of a listing page: 3 past the end, an empty page for an empty
// folder read from its start.
template <class Put>
RbReply page(Tree& t, const RbRequest& q, bool dirsOnly, Put&& putEntry) {
  const std::string folder = pathArg(t, q);
  if (!t.isDir(folder)) return RbReply::fail(kBadPath);
  std::vector<Entry> all;
  for (auto& e : t.list(folder))
    if (e.dir || !dirsOnly) all.push_back(e);
  if (q.a1 < 0 || (q.a1 > 0 && size_t(q.a1) >= all.size())) return RbReply::fail(kNoEntry);
  RbReply r;
  for (size_t i = size_t(q.a1); i < all.size() && i < size_t(q.a1) + size_t(std::max(q.a2, 0)); ++i)
    putEntry(r, folder, all[i]);
  return r;
}
RbReply subdir(Tree& t, const RbRequest& q) {
  return page(t, q, true, [&](RbReply& r, const std::string& folder, const Entry& e) {
    put(r.i32(int32_t(t.list(folder + e.name + "/").size())), e.name, 36);
  });
}
RbReply alldir(Tree& t, const RbRequest& q) {
  return page(t, q, false, [&](RbReply& r, const std::string& folder, const Entry& e) {
    const auto a = t.attr(folder + e.name + (e.dir ? "/" : ""));
    r.i16(e.dir ? 0 : 1).i16(2026).i16(1).i16(1).i16(8).i16(0).i16(0).bytes(std::vector<uint8_t>(6, 0));
    r.i32(int32_t(e.size)).u32(a[0]);
    put(put(put(r, e.name, 36), e.comment, 52), "", 12);
  });
}
RbReply subdirCount(Tree& t, const RbRequest& q) {
  const std::string p = pathArg(t, q);
  if (!t.isDir(p)) return RbReply::fail(kBadPath);
  int32_t dirs = 0, files = 0;
  for (auto& e : t.list(p)) ++(e.dir ? dirs : files);
  return RbReply().i32(dirs).i32(files);
}

RbReply add(Tree& t, const RbRequest& q) {
  const std::string p = field(q.data, 0, kPath);
  if (t.exists(t.norm(p))) return RbReply::fail(kBadPath);
  if (!p.empty() && p.back() == '/') {
    if (!t.isDir(folderOf(p.substr(0, p.size() - 1))) || t.inStore(p)) return RbReply::fail(kBadPath);
    t.state().dirs.insert(p);
    return RbReply();
  }
  return ok(t.write(p, nameOf(p) + "\nM30\n%\n"));
}
RbReply del(Tree& t, const RbRequest& q) {
  const std::string p = pathArg(t, q);
  if (!t.isDir(p)) return ok(t.erase(p), t.state().locked.count(p) ? kLocked : kBadPath);
  if (!t.list(p).empty() || p == kProgFolder) return RbReply::fail(kBadPath);
  t.state().dirs.erase(p);
  return RbReply();
}
RbReply delAll(Tree& t, const RbRequest& q) {
  const std::string p = pathArg(t, q);
  if (!t.isDir(p)) return RbReply::fail(kBadPath);
  bool all = true;
  for (auto& e : t.list(p))
    if (!e.dir) all = t.erase(p + e.name) && all;
  return ok(all, kLocked);
}
RbReply rename(Tree& t, const RbRequest& q) {
  const std::string p = pathArg(t, q), to = folderOf(p) + field(q.data, kPath, 36);
  if (t.isDir(p) || t.exists(to)) return RbReply::fail(kBadPath);
  auto text = t.read(p);
  if (!text || !t.write(to, *text)) return RbReply::fail(kBadPath);
  return ok(t.erase(p), kLocked);
}
RbReply attr(Tree& t, const RbRequest& q) {
  const std::string p = pathArg(t, q);
  if (!t.exists(p)) return RbReply::fail(kBadPath);
  t.state().attrs[p] = {uint32_t(q.a1), uint32_t(q.a2)};
  return RbReply();
}
// Copy, and move when `move`: the destination may name a folder to copy into.
RbReply copy(Tree& t, const RbRequest& q, bool move) {
  const std::string src = pathArg(t, q);
  std::string dst = pathArg(t, q, kPath);
  if (t.isDir(dst)) dst += nameOf(src);
  auto text = t.read(src);
  if (!text || t.exists(dst) || !t.write(dst, *text)) return RbReply::fail(kBadPath);
  return ok(!move || t.erase(src), kLocked);
}

RbReply readMain(Tree& t, const RbRequest&) {
  RbReply r;
  return putz(r, t.state().main);
}
RbReply selectMain(Tree& t, const RbRequest& q) {
  const std::string p = pathArg(t, q);
  if (!t.read(p)) return RbReply::fail(kBadPath);
  t.state().main = p;
  return RbReply();
}
RbReply condense(Tree& t, const RbRequest& q) { return ok(t.exists(pathArg(t, q))); }

RbReply readLines(Tree& t, const RbRequest& q) {
  auto text = t.read(pathArg(t, q));
  if (!text) return RbReply::fail(kBadPath);
  int32_t taken = 0;
  const std::string s = lineText(linesOf(*text), q.a1, q.a2, kMaxText, &taken);
  return RbReply().bytes(s.data(), s.size());
}
RbReply readLines2(Tree& t, const RbRequest& q) {
  auto text = t.read(pathArg(t, q));
  if (!text) return RbReply::fail(kBadPath);
  int32_t taken = 0;
  const size_t room = size_t(std::clamp(q.a3, 0, kMaxText));
  const std::string s = lineText(linesOf(*text), q.a1, q.a2, room, &taken);
  return RbReply().i32(taken).bytes(s.data(), s.size());
}
RbReply writeLines(Tree& t, const RbRequest& q) {
  const std::string p = pathArg(t, q);
  auto text = t.read(p);
  if (!text) return RbReply::fail(kBadPath);
  auto lines = linesOf(*text);
  // Inserted before line a1; never after the closing '%'.
  size_t at = size_t(std::clamp<int32_t>(q.a1, 1, int32_t(lines.size()) + 1) - 1);
  if (at == lines.size() && !lines.empty() && lines.back().rfind('%', 0) == 0) --at;
  const std::string add = q.data.size() > kPath ? std::string(q.data.begin() + kPath, q.data.end()) : "";
  auto in = linesOf(add);
  lines.insert(lines.begin() + long(at), in.begin(), in.end());
  return ok(t.write(p, joinLines(lines)), kLocked);
}
RbReply deleteLines(Tree& t, const RbRequest& q) {
  const std::string p = pathArg(t, q);
  auto text = t.read(p);
  if (!text) return RbReply::fail(kBadPath);
  auto lines = linesOf(*text);
  if (q.a1 < 1 || size_t(q.a1) > lines.size() || q.a2 < 0) return RbReply::fail(kNoEntry);
  const size_t from = size_t(q.a1 - 1), n = std::min(size_t(q.a2), lines.size() - from);
  lines.erase(lines.begin() + long(from), lines.begin() + long(from + n));
  return ok(t.write(p, joinLines(lines)), kLocked);
}

RbReply readActpt(Tree& t, const RbRequest&) {
  RbReply r = RbReply().i32(t.state().position);
  return putz(r, t.state().main);
}
RbReply writeActpt(Tree& t, const RbRequest& q) {
  const std::string p = t.norm(field(q.data, 0, q.data.size()));
  if (!t.read(p)) return RbReply::fail(kBadPath);
  t.state().main = p;
  t.state().position = q.a2;
  return RbReply().i32(q.a2);
}
RbReply programInfo(Tree& t, const RbRequest& q) {
  const std::string p = t.norm(field(q.data, 0, 244));
  auto text = t.read(p);
  if (!text) return RbReply::fail(kBadPath);
  std::string comment;
  for (auto& e : t.list(folderOf(p)))
    if (e.name == nameOf(p)) comment = e.comment;
  RbReply r = RbReply().i16(1).i16(2026).i16(1).i16(1).i16(8).i16(0);
  r.i32(int32_t(text->size())).i32(int32_t(linesOf(*text).size()));
  return put(put(r, comment, 52), "", 12);
}
RbReply procTimes(Tree& t, const RbRequest&) {
  RbReply r;
  int n = 0;
  for (auto& e : t.list(kProgFolder))
    if (!e.dir && n++ < kProcTimes) put(r, e.name, 36).i16(0).i16(int16_t(n)).i16(30);
  return r;
}
RbReply pageLock(Tree& t, const RbRequest& q, bool on) {
  const std::string p = pathArg(t, q);
  if (!t.read(p)) return RbReply::fail(kBadPath);
  if (on) t.state().locked.insert(p);
  else t.state().locked.erase(p);
  return RbReply();
}
RbReply lockedPaths(Tree& t, const RbRequest&) {
  RbReply r;
  for (auto& p : t.state().locked) put(r, p, kPath);
  return r;
}

}  // namespace

OZ_SIM_FAMILY(prog_folders) {
  static const std::pair<uint16_t, Fn> kHandlers[] = {
      {174, drives},      {175, driveInfo},   {176, readCurdir},   {177, writeCurdir},
      {178, subdir},      {179, alldir},      {180, subdirCount},  {181, add},
      {182, del},         {243, delAll},      {183, rename},       {184, attr},
      {185, readMain},    {186, selectMain},  {187, condense},     {240, readLines},
      {694, readLines2},  {241, writeLines},  {242, deleteLines},  {442, readActpt},
      {443, writeActpt},  {689, programInfo}, {693, procTimes},    {697, lockedPaths},
      {392, [](Tree& t, const RbRequest& q) { return copy(t, q, false); }},
      {393, [](Tree& t, const RbRequest& q) { return copy(t, q, true); }},
      {695, [](Tree& t, const RbRequest& q) { return pageLock(t, q, true); }},
      {696, [](Tree& t, const RbRequest& q) { return pageLock(t, q, false); }},
      {692, [](Tree&, const RbRequest&) { return RbReply().i16(2); }},
  };
  for (auto& [cmd, fn] : kHandlers)
    m.on(1, cmd, [fn = fn](Machine& m, const RbRequest& q) {
      Tree t(m);
      return fn(t, q);
    });
  // The executing program, by number from the path's motion and by path.
  m.on(1, 207, [](Machine& m, const RbRequest& q) {
    return put(RbReply().i32(m.motion(q.path).program), progName(m.motion(q.path).program), 36);
  });
  m.on(1, 252, [](Machine& m, const RbRequest& q) {
    RbReply r;
    return putz(r, kProgFolder + progName(m.motion(q.path).program));
  });
}

}  // namespace oz::sim
