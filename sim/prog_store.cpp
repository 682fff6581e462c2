// The simulated program store: numbered programs with comments and content,
// the directory and housekeeping requests, and the transfer sessions that
// move programs in and out (upload, download, verify, DNC).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "sim/prog_store.h"
#include "sim/transfer_kinds.h"
#include "base/be.h"
#include "ozlib.h"
#include "sim/machine.h"

namespace oz::sim {
namespace {

constexpr int kChunk = 1450;
constexpr int32_t kCapacity = 400;        // programs the store can hold
constexpr int32_t kMemory = 4 * 1024 * 1024;
constexpr int16_t kVerifyMismatch = 7;
constexpr int16_t kNoProgram = 5;   // content that names no program
constexpr int16_t kRunning = 13;    // the program a path is running: not to be changed

struct Program {
  std::string comment;
  std::string text;
};

struct Session {
  enum Kind { None, Download, Verify, Dnc } kind = None;
  std::string data;
  int path = 1;
};

// The first start text of a session start body.
std::string startText(const ReceivedPdu& p) {
  if (p.body.size() < 260) return {};
  const char* t = reinterpret_cast<const char*>(p.body.data() + 4);
  return std::string(t, strnlen(t, 256));
}

struct ProgStore {
  std::map<int32_t, Program> programs;
  std::map<std::string, int32_t> names;   // "N:" names of numbered programs
  int32_t selected = 0;
  Session session;
  // A download of a kind another family registered: the kind and start text.
  uint16_t other_kind = 0;
  std::string other_text;
  std::string dnc_name;
  uint32_t dnc_bytes = 0;

  ProgStore() {
    put("%\nO0001(SQUARE)\nG90G01X50.Y0.F1200\nX50.Y50.\nX0.Y50.\nX0.Y0.\nM30\n%\n");
    put("%\nO0002(DRILL)\nG81X10.Y10.Z-5.R1.F100\nX20.\nG80\nM30\n%\n");
  }
  // Files a program under the number (and comment) its first O word gives;
  // 0 when it went in, else the controller's result.
  int16_t put(const std::string& text, const std::function<bool(int32_t)>& running = {}) {
    size_t o = text.find('O');
    if (o == std::string::npos) return kNoProgram;
    int32_t n = 0;
    size_t i = o + 1;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
      n = n * 10 + (text[i++] - '0');
    if (n <= 0) return kNoProgram;
    if (running && running(n)) return kRunning;
    file(n, text, i);
    return 0;
  }
  // Files text under n; its comment is the parenthesis at `at`, if any.
  void file(int32_t n, const std::string& text, size_t at) {
    Program p;
    p.text = text;
    if (at < text.size() && text[at] == '(') {
      size_t close = text.find(')', at);
      if (close != std::string::npos) p.comment = text.substr(at, close - at + 1);
    }
    programs[n] = p;
    char name[16];
    std::snprintf(name, sizeof name, "O%04d", int(n));
    names[name] = n;
  }
  // The programs an upload start text names: "O1-O5" or "N:name".
  std::string select(const char* t) const {
    std::string out;
    long a = 0, b = 0;
    if (std::sscanf(t, "O%ld-O%ld", &a, &b) == 2) {
      for (auto& [n, p] : programs)
        if (n >= a && n <= b) out += p.text;
    } else if (std::strncmp(t, "N:", 2) == 0) {
      auto it = names.find(t + 2);
      if (it != names.end()) out = programs.at(it->second).text;
    }
    return out;
  }
  bool matches(const std::string& text) const {
    for (auto& [n, p] : programs)
      if (p.text == text) return true;
    return false;
  }
};

std::vector<uint8_t> words(std::initializer_list<uint32_t> v) {
  std::vector<uint8_t> b(4 * v.size());
  size_t at = 0;
  for (uint32_t w : v) {
    be::put32(b.data() + at, w);
    at += 4;
  }
  return b;
}

// Whether a path runs program n: a controller refuses to delete or replace it
// then.
bool running_program(Machine& m, int32_t n) {
  for (int p = 1; p <= m.paths(); ++p)
    if (m.motion(p).running && m.motion(p).program == n) return true;
  return false;
}

bool any_running(Machine& m) {
  for (int p = 1; p <= m.paths(); ++p)
    if (m.motion(p).running) return true;
  return false;
}

// Directory, program information and housekeeping requests.
void install_directory(Machine& m) {
  m.on(kClassCnc, 6, [](Machine& m, const RbRequest& q) {
    auto& s = m.state<ProgStore>();
    RbReply r;
    int n = 0;
    for (auto it = s.programs.lower_bound(q.a1); it != s.programs.end() && n < q.a2; ++it, ++n) {
      r.i32(it->first).i32(int32_t(it->second.text.size()));
      std::string c = it->second.comment.substr(0, 51);
      c.resize(52, '\0');
      r.bytes(c.data(), c.size()).bytes(std::vector<uint8_t>(12, 0));
    }
    return n == 0 ? RbReply::fail(3) : r;
  });
  m.on(kClassCnc, 7, [](Machine& m, const RbRequest&) {
    auto& s = m.state<ProgStore>();
    int32_t used = 0;
    for (auto& [n, p] : s.programs) used += int32_t(p.text.size());
    const int32_t count = int32_t(s.programs.size());
    return RbReply().i32(count).i32(kCapacity - count).i32(used).i32(kMemory - used);
  });
}

void install_housekeeping(Machine& m) {
  m.on(kClassCnc, 3, [](Machine& m, const RbRequest& q) {
    auto& s = m.state<ProgStore>();
    if (!s.programs.count(q.a1)) return RbReply::fail(5);
    s.selected = q.a1;
    m.motion(q.path).program = q.a1;
    return RbReply();
  });
  m.on(kClassCnc, 5, [](Machine& m, const RbRequest& q) {
    auto& s = m.state<ProgStore>();
    if (running_program(m, q.a1)) return RbReply::fail(kRunning);
    if (s.programs.erase(q.a1) == 0) return RbReply::fail(5);
    return RbReply();
  });
  m.on(kClassCnc, 4, [](Machine& m, const RbRequest&) {
    if (any_running(m)) return RbReply::fail(kRunning);
    m.state<ProgStore>().programs.clear();
    return RbReply();
  });
  m.on(kClassCnc, 28, [](Machine& m, const RbRequest& q) {
    auto& s = m.state<ProgStore>();
    return RbReply().i32(m.motion(q.path).program).i32(s.selected);
  });
  m.on(kClassCnc, 454, [](Machine& m, const RbRequest& q) {
    auto& s = m.state<ProgStore>();
    if (!s.programs.count(q.a1) || s.programs.count(q.a2)) return RbReply::fail(5);
    s.programs[q.a2] = s.programs[q.a1];
    return RbReply();
  });
  m.on(kClassCnc, 455, [](Machine& m, const RbRequest& q) {
    auto& s = m.state<ProgStore>();
    if (running_program(m, q.a1)) return RbReply::fail(kRunning);
    if (!s.programs.count(q.a1) || s.programs.count(q.a2)) return RbReply::fail(5);
    s.programs[q.a2] = s.programs[q.a1];
    s.programs.erase(q.a1);
    return RbReply();
  });
  m.on(kClassCnc, 58, [](Machine& m, const RbRequest&) {
    auto& s = m.state<ProgStore>();
    std::string name = s.dnc_name;
    name.resize(64, '\0');
    const bool on = s.session.kind == Session::Dnc;
    return RbReply().i16(on ? 1 : 0).i16(0).bytes(name.data(), name.size())
        .i32(0).i32(0).i32(0).u32(s.dnc_bytes);
  });

}

// Upload: the answer announces nothing; the content follows in data PDUs
// and an end PDU. The writes block while the client is slow to read, which
// is how a controller paces an upload too.
void install_upload(Machine& m) {
  Machine* mp = &m;
  m.server().on_pdu(kUploadStart, [mp](Conn& c, const ReceivedPdu& p) {
    std::string content;
    int16_t refused = kNoProgram;
    bool announce = false;
    {
      auto l = mp->lock();
      const uint16_t kind = p.body.size() >= 2 ? be::get16(p.body.data()) : 0;
      if (const TransferKind* k = transfer_kind(*mp, kind); k && k->upload) {
        refused = k->upload(*mp, startText(p), &content);
        announce = k->announce;
      } else {
        content = mp->state<ProgStore>().select(startText(p).c_str());
        if (!content.empty()) refused = 0;
      }
    }
    if (refused != 0) {
      c.send(kUploadStart, kDirError, error_body(0, refused, 0, 0));
      return;
    }
    c.send(kUploadStart, kDirResponse, words({announce ? uint32_t(content.size()) : 0}));
    for (size_t at = 0; at < content.size(); at += kChunk) {
      const size_t n = std::min<size_t>(kChunk, content.size() - at);
      if (!c.send(kUploadData, kDirOneWay, std::vector<uint8_t>(content.begin() + long(at),
                                                                 content.begin() + long(at + n))))
        return;
    }
    c.send(kUploadEnd, kDirOneWay, {});
  });
  // The upload abort and the end acknowledgement need no answer.
  m.server().on_pdu(kUploadAbort, [](Conn&, const ReceivedPdu&) {});
  m.server().on_pdu(kUploadEnd, [](Conn&, const ReceivedPdu&) {});
}

// Download and verify: the data collects until the end files or compares it.
void install_download(Machine& m) {
  Machine* mp = &m;
  FakeController& f = m.server();
  f.on_pdu(kDownloadStart, [mp](Conn& c, const ReceivedPdu& p) {
    auto l = mp->lock();
    auto& s = mp->state<ProgStore>();
    const uint16_t kind = p.body.size() >= 2 ? be::get16(p.body.data()) : 0;
    const bool verify = kind == OZ_XFER_VERIFY || kind == OZ_XFER_VERIFY_NAMED;
    s.session = Session{verify ? Session::Verify : Session::Download, {}, 1};
    const bool other = transfer_kind(*mp, kind) != nullptr;
    s.other_kind = other ? kind : 0;
    s.other_text = other ? startText(p) : std::string();
    c.send(kDownloadStart, kDirResponse, {});
  });
  f.on_pdu(kDownloadData, [mp](Conn&, const ReceivedPdu& p) {
    auto l = mp->lock();
    auto& s = mp->state<ProgStore>();
    s.session.data.append(p.body.begin(), p.body.end());
  });
  f.on_pdu(kDownloadAbort, [mp](Conn&, const ReceivedPdu&) {
    auto l = mp->lock();
    mp->state<ProgStore>().session = Session{};
  });
  f.on_pdu(kDownloadEnd, [mp](Conn& c, const ReceivedPdu&) {
    auto l = mp->lock();
    auto& s = mp->state<ProgStore>();
    const bool verify = s.session.kind == Session::Verify;
    int16_t code = 0;
    if (const TransferKind* k = s.other_kind ? transfer_kind(*mp, s.other_kind) : nullptr)
      code = k->download ? k->download(*mp, s.other_text, s.session.data) : kNoProgram;
    else
      code = verify ? (s.matches(s.session.data) ? 0 : kVerifyMismatch)
                    : s.put(s.session.data, [mp](int32_t n) { return running_program(*mp, n); });
    s.session = Session{};
    s.other_kind = 0;
    if (code == 0) c.send(kDownloadEnd, kDirResponse, {});
    else c.send(kDownloadEnd, kDirError, error_body(0, code, 0, 0));
  });
}

// DNC: the path runs while the program streams in.
void install_dnc(Machine& m) {
  Machine* mp = &m;
  FakeController& f = m.server();
  f.on_pdu(kDncStart, [mp](Conn& c, const ReceivedPdu& p) {
    auto l = mp->lock();
    auto& s = mp->state<ProgStore>();
    s.session = Session{Session::Dnc, {}, p.body.size() >= 4 ? be::get16(p.body.data() + 2) : 1};
    s.dnc_name = "DNC";
    s.dnc_bytes = 0;
    mp->start(s.session.path);
    c.send(kDncStart, kDirResponse, {'D', 'N', 'C', 0});
  });
  f.on_pdu(kDncData, [mp](Conn&, const ReceivedPdu& p) {
    auto l = mp->lock();
    auto& s = mp->state<ProgStore>();
    s.session.data.append(p.body.begin(), p.body.end());
    s.dnc_bytes += uint32_t(p.body.size());
    mp->motion(s.session.path).block = int(std::count(s.session.data.begin(), s.session.data.end(), '\n'));
  });
  auto dncStop = [mp](bool reply, Conn& c) {
    auto l = mp->lock();
    auto& s = mp->state<ProgStore>();
    mp->stop(s.session.path);
    s.session = Session{};
    if (reply) c.send(kDncEnd, kDirResponse, {});
  };
  f.on_pdu(kDncEnd, [dncStop](Conn& c, const ReceivedPdu&) { dncStop(true, c); });
  f.on_pdu(kDncAbort, [dncStop](Conn& c, const ReceivedPdu&) { dncStop(false, c); });
}

}  // namespace

OZ_SIM_FAMILY(prog_store) {
  install_directory(m);
  install_housekeeping(m);
  install_upload(m);
  install_download(m);
  install_dnc(m);
}

// ---- the store as other families see it ---------------------------------------------

std::vector<StoredProgram> stored_programs(Machine& m) {
  std::vector<StoredProgram> out;
  for (auto& [n, p] : m.state<ProgStore>().programs) out.push_back({n, p.comment, p.text});
  return out;
}

void store_program(Machine& m, int32_t number, const std::string& text) {
  const size_t o = text.find('O');
  size_t at = o == std::string::npos ? text.size() : o + 1;
  while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
  m.state<ProgStore>().file(number, text, at);
}

bool erase_program(Machine& m, int32_t number) {
  return m.state<ProgStore>().programs.erase(number) > 0;
}

void on_download(Machine& m, uint16_t kind, DownloadSink sink) {
  auto l = m.lock();
  TransferKind k;
  k.download = std::move(sink);
  register_transfer_kind(m, kind, std::move(k));
}

}  // namespace oz::sim
