// `ozcli ds ls|get|put`: the data server on the controller's Ethernet board;
// `ozcli eth hosts|log`: the board's host settings and its log.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "command.h"

using namespace ozcli;

namespace {

constexpr char kServer[] = "DATA_SV";
constexpr int kHosts = 3;
// A log entry as the board sends it: number, kind, eight words (date and
// time first) and the message.
constexpr int kLogHead = 16;
constexpr int kLogEntry = 104;
constexpr int kLogText = 84;

std::string text(const char* p, size_t n) { return std::string(p, strnlen(p, n)); }

void checkName(const std::string& n, size_t max, const char* what) {
  if (n.empty() || n.size() > max)
    throw UsageError(std::string(what) + " must have 1 to " + std::to_string(max) + " characters: " + n);
}

// The folder's entries from its first index on, OZ_DS_ENTRY_MAX at a time.
void list(Session& s, Output& out, const std::string& folder) {
  if (!folder.empty()) {
    checkName(folder, 127, "folder");
    OZCLI_CALL(s, cnc_dschdir, kServer, folder.c_str(), nullptr, nullptr, nullptr);
  }
  dsfile_in_t in{};
  dsfile_t hdr{};
  Table* t = nullptr;
  for (bool first = true;; first = false) {
    in.count = OZ_DS_ENTRY_MAX;
    dsentry_t page[OZ_DS_ENTRY_MAX] = {};
    OZCLI_CALL(s, cnc_rddsfile, kServer, &in, &hdr, page);
    if (first) {
      out.field("folder", text(hdr.folder, sizeof hdr.folder));
      t = &out.table("entries", {"name", "type", "size"});
      if (in.index < hdr.first) {   // the folder counts from elsewhere: start there
        in.index = hdr.first;
        continue;
      }
    }
    const int64_t n = std::min<int64_t>(OZ_DS_ENTRY_MAX, int64_t(hdr.last) - in.index + 1);
    for (int i = 0; i < n; ++i)
      t->row({text(page[i].name, sizeof page[i].name), page[i].w[0] == 1 ? "folder" : "file", page[i].v1});
    if (n < OZ_DS_ENTRY_MAX) break;
    in.index += int32_t(n);
  }
}

void put(Session& s, Output& out, const std::string& file, std::string name, int number) {
  std::ifstream f(file, std::ios::binary);
  if (!f) throw UsageError("cannot read " + file);
  const std::string data(std::istreambuf_iterator<char>(f), {});
  if (name.empty()) name = file.substr(file.find_last_of("/\\") + 1);
  checkName(name, 240, "name");
  if (number < INT16_MIN || number > INT16_MAX) throw UsageError("--number out of range");
  OZCLI_CALL(s, ds_dwnstart, name.c_str(), int16_t(number));
  for (size_t at = 0; at < data.size();) {
    int32_t len = int32_t(data.size() - at);
    const int16_t r = ds_download(s.handle(), &len, data.data() + at);
    if (r == EW_BUFFER) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      continue;
    }
    s.check("ds_download", r);
    at += size_t(len);
  }
  s.check("ds_dwnend", ds_dwnend(s.handle()));
  out.field("name", name);
  out.field("bytes", data.size());
}

void get(Session& s, Output& out, const std::string& host, std::string name, int mode) {
  if (name.empty()) name = host;
  checkName(host, 127, "host file");
  checkName(name, 127, "name");
  if (mode < INT16_MIN || mode > INT16_MAX) throw UsageError("--mode out of range");
  OZCLI_CALL(s, cnc_dsget_req, host.c_str(), name.c_str(), int16_t(mode));
  out.field("host_file", host);
  out.field("name", name);
  // The result word of the status request is the transfer's state.
  out.field("ftp_status", cnc_dsftpstat(s.handle()));
}

void hosts(Session& s, Output& out) {
  Table& t = out.table("hosts", {"selector", "value", "host", "setting"});
  for (int16_t sel = 1; sel <= kHosts; ++sel) {
    int16_t value = 0, setting = 0;
    char name[256] = {};
    OZCLI_CALL(s, eth_rddsm198host, sel, &value, name);
    OZCLI_CALL(s, eth_rdhost, sel, &setting);
    t.row({sel, value, std::string(name), setting});
  }
}

void log(Session& s, Output& out, int kind, int start, int count) {
  if (count < 1 || count > 40) throw UsageError("--count must be 1 to 40");
  std::vector<uint8_t> buf(size_t(kLogHead + kLogEntry * count));
  int16_t len = int16_t(buf.size());
  OZCLI_CALL(s, eth_rdlog, kind, start, count, &len, buf.data());
  auto be16 = [&](int at) { return at + 2 <= len ? int(buf[size_t(at)] << 8 | buf[size_t(at) + 1]) : 0; };
  out.field("title", len >= kLogHead ? text(reinterpret_cast<char*>(&buf[2]), 14) : "");
  Table& t = out.table("entries", {"number", "kind", "date", "message"});
  const int n = std::min(be16(0), (len - kLogHead) / kLogEntry);
  for (int i = 0; i < n; ++i) {
    const int at = kLogHead + i * kLogEntry;
    char date[40];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:%02d", be16(at + 4), be16(at + 6),
                  be16(at + 8), be16(at + 10), be16(at + 12), be16(at + 14));
    t.row({be16(at), be16(at + 2), std::string(date),
           text(reinterpret_cast<char*>(&buf[size_t(at + 20)]), kLogText)});
  }
}

struct Args {
  std::string a, b;
  int number = 0, mode = 0, kind = 0, start = 0, count = 20;
};

// A top-level command whose own sub-commands pick the action.
class Group {
 public:
  Group(Cli& cli, const char* name, const char* what) {
    auto subs = subs_;
    app_ = cli.command(name, what, [subs](Session& s, Output& out) {
      for (auto& [app, run] : *subs)
        if (app->parsed()) return run(s, out);
    });
    app_->require_subcommand(1);
  }
  CLI::App* add(const char* name, const char* what, Runner run) {
    CLI::App* c = app_->add_subcommand(name, what);
    subs_->emplace_back(c, std::move(run));
    return c;
  }

 private:
  std::shared_ptr<std::vector<std::pair<CLI::App*, Runner>>> subs_ =
      std::make_shared<std::vector<std::pair<CLI::App*, Runner>>>();
  CLI::App* app_;
};

}  // namespace

OZCLI_FAMILY(ds) {
  auto a = std::make_shared<Args>();
  Group ds(cli, "ds", "The data server on the Ethernet board");
  ds.add("ls", "List FOLDER or the current folder (cnc_rddsfile)",
         [a](Session& s, Output& out) { list(s, out, a->a); })
      ->add_option("FOLDER", a->a, "Folder to change to first");
  CLI::App* p = ds.add("put", "Store FILE on the server as NAME (ds_dwnstart)",
                       [a](Session& s, Output& out) { put(s, out, a->a, a->b, a->number); });
  p->add_option("FILE", a->a, "Local file")->required();
  p->add_option("NAME", a->b, "Name on the server (the file's name)");
  p->add_option("--number", a->number, "Number sent with the name");
  CLI::App* g = ds.add("get", "Fetch HOST_FILE from the FTP host as NAME (cnc_dsget_req)",
                       [a](Session& s, Output& out) { get(s, out, a->a, a->b, a->mode); });
  g->add_option("HOST_FILE", a->a, "File on the host")->required();
  g->add_option("NAME", a->b, "Name on the server (the host file's name)");
  g->add_option("--mode", a->mode, "Transfer mode");

  Group eth(cli, "eth", "Settings and log of the Ethernet board");
  eth.add("hosts", "The board's hosts (eth_rddsm198host, eth_rdhost)", hosts);
  CLI::App* l = eth.add("log", "The board's log (eth_rdlog)", [a](Session& s, Output& out) {
    log(s, out, a->kind, a->start, a->count);
  });
  l->add_option("--kind", a->kind, "Log kind (0: all)");
  l->add_option("--start", a->start, "First entry number");
  l->add_option("--count", a->count, "Entries, 1 to 40");
}
