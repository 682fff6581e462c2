// `ozcli prog ...` and `ozcli dnc`: the program store and the transfer
// sessions. Transfers draw a progress bar on stderr when it is a terminal.

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <iostream>
#include <iterator>
#include <sstream>
#include <thread>

#include "command.h"

using namespace ozcli;

namespace {

// A one-line bar, redrawn in place; silent when stderr is not a terminal.
class Progress {
 public:
  Progress(const char* what, size_t total) : what_(what), total_(total), on_(ozcli::is_terminal(2)) {}
  ~Progress() {
    if (on_ && drawn_) std::fputc('\n', stderr);
  }
  void update(size_t done) {
    if (!on_) return;
    const int width = 30;
    const size_t shown = total_ ? std::min(done, total_) : 0;
    const int filled = total_ ? int(width * shown / total_) : 0;
    std::fprintf(stderr, "\r%-9s [%-*s] %zu", what_, width, std::string(size_t(filled), '#').c_str(),
                 done);
    if (total_) std::fprintf(stderr, "/%zu bytes", total_);
    else std::fprintf(stderr, " bytes");
    std::fflush(stderr);
    drawn_ = true;
  }

 private:
  const char* what_;
  size_t total_;
  bool on_;
  bool drawn_ = false;
};

std::string readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) throw UsageError("cannot read " + path + ": " + std::strerror(errno));
  return std::string(std::istreambuf_iterator<char>(f), {});
}

// Every program, paging through the directory.
std::vector<prgdir2_t> directory(Session& s) {
  std::vector<prgdir2_t> all;
  int32_t next = 0;
  for (;;) {
    prgdir2_t page[50];
    int32_t start = next;
    int16_t n = 50;
    const int16_t r = cnc_rdprogdir2o8(s.handle(), 2, &start, &n, page);
    if (r == EW_RANGE) break;   // nothing from here on
    s.check("cnc_rdprogdir2o8", r);
    all.insert(all.end(), page, page + n);
    if (n < 50) break;
    next = page[n - 1].number + 1;
  }
  return all;
}

// Streams text through a download-shaped session: the data call moves what
// the connection takes now and EW_BUFFER means "again later".
template <class Data>
void stream(Session& s, const char* what, const char* fn, const std::string& text, Data data) {
  Progress bar(what, text.size());
  for (size_t at = 0; at < text.size();) {
    int32_t len = int32_t(text.size() - at);
    const int16_t r = data(s.handle(), &len, text.data() + at);
    if (r == EW_BUFFER) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      continue;
    }
    s.check(fn, r);
    at += size_t(len);
    bar.update(at);
  }
}

void download(Session& s, const std::string& file, bool verify, Output& out) {
  const std::string text = readFile(file);
  if (verify) s.check("cnc_vrfstart", cnc_vrfstart(s.handle()));
  else OZCLI_CALL(s, cnc_dwnstart3, int16_t(0));
  stream(s, verify ? "verify" : "download", "cnc_download4", text,
         [](uint16_t h, int32_t* len, const void* d) { return cnc_download4(h, len, d); });
  try {
    s.check("cnc_dwnend4", cnc_dwnend4(s.handle()));
  } catch (CallError& e) {
    if (e.code == EW_REFUSED || e.code == EW_INUSE)
      e.context = "the controller refused the program in " + file + " (a running program cannot be replaced)";
    else if (verify && e.code == EW_MISMATCH)
      e.context = file + " differs from the program stored";
    throw;
  }
  out.field("file", file);
  out.field("bytes", text.size());
  if (verify) out.field("verified", true);
}

void list(Session& s, Output& out) {
  Table& t = out.table("programs", {"number", "length", "comment"});
  for (const prgdir2_t& p : directory(s))
    t.row({p.number, p.length, std::string(p.comment, strnlen(p.comment, sizeof p.comment))});
}

std::string program_name(int32_t number) {
  char name[16];
  std::snprintf(name, sizeof name, "O%04d", int(number));
  return name;
}

bool stored(Session& s, int32_t number) {
  for (const prgdir2_t& p : directory(s))
    if (p.number == number) return true;
  return false;
}

// Runs a call on program `number`, saying in the user's terms why the
// controller refused it.
void on_program(Session& s, int32_t number, const char* doing, const std::function<void()>& call) {
  try {
    call();
  } catch (CallError& e) {
    bool known = true;
    try {
      known = stored(s, number);
    } catch (const CallError&) {
      // The directory cannot tell; the call's own error says enough.
    }
    if (!known) e.context = "program " + program_name(number) + " not found";
    else if (e.code == EW_REFUSED || e.code == EW_INUSE)
      e.context = "the controller refused to " + std::string(doing) + " program " + program_name(number) +
                  " (a running program cannot be changed)";
    throw;
  }
}

// The file goes in under a temporary name beside it and takes its own name
// only when complete, so a failed write leaves neither a partial file nor a
// damaged old one. The temporary file is made before the upload starts, so a
// directory that cannot be written costs no transfer.
class LocalFile {
 public:
  explicit LocalFile(std::string path) : path_(std::move(path)), part_(path_ + ".part") {
    f_.open(part_, std::ios::binary | std::ios::trunc);
    if (!f_) throw Failure("cannot write " + path_ + ": " + std::strerror(errno));
  }
  ~LocalFile() {
    if (!done_) {
      f_.close();
      std::remove(part_.c_str());
    }
  }
  void commit(const std::string& text) {
    f_ << text;
    f_.close();
    if (!f_) throw Failure("cannot write " + path_ + ": " + std::strerror(errno));
    std::error_code ec;
    std::filesystem::rename(part_, path_, ec);
    if (ec) throw Failure("cannot write " + path_ + ": " + ec.message());
    done_ = true;
  }

 private:
  std::string path_, part_;
  std::ofstream f_;
  bool done_ = false;
};

void upload(Session& s, Output& out, int number, const std::string& file) {
  std::optional<LocalFile> local;
  if (!file.empty()) local.emplace(file);
  size_t expected = 0;
  bool found = false;
  for (const prgdir2_t& p : directory(s))
    if (p.number == number) expected = size_t(p.length), found = true;
  if (!found) throw Failure("program " + program_name(number) + " not found");
  OZCLI_CALL(s, cnc_upstart3, int16_t(0), number, number);
  std::string text;
  {
    Progress bar("upload", expected);
    std::vector<char> buf(16384);
    for (;;) {
      int32_t len = int32_t(buf.size());
      const int16_t r = cnc_upload4(s.handle(), &len, buf.data());
      if (r == EW_BUFFER) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      if (r == EW_CANCELLED) break;   // the controller's end of the program
      s.check("cnc_upload4", r);
      text.append(buf.data(), size_t(len));
      bar.update(text.size());
    }
  }
  s.check("cnc_upend4", cnc_upend4(s.handle()));
  if (!local && !s.options().json) {
    std::cout << text;
    return;
  }
  out.field("number", number);
  if (!local) {
    out.field("text", text);
    return;
  }
  local->commit(text);
  out.field("file", file);
  out.field("bytes", text.size());
}

void dnc(Session& s, Output& out, const std::string& file) {
  const std::string text = readFile(file);
  char answer[64] = {};
  OZCLI_CALL(s, cnc_dncstart2, answer);
  stream(s, "dnc", "cnc_dnc2", text,
         [](uint16_t h, int32_t* len, const void* d) { return cnc_dnc2(h, len, d); });
  s.check("cnc_dncend2", cnc_dncend2(s.handle(), -1));
  out.field("file", file);
  out.field("bytes", text.size());
}

struct Args {
  int number = 0;
  std::string file;
};

}  // namespace

OZCLI_FAMILY(prog) {
  auto a = std::make_shared<Args>();
  // One top-level command whose own sub-commands pick the action.
  auto subs = std::make_shared<std::vector<std::pair<CLI::App*, std::function<void(Session&, Output&)>>>>();
  CLI::App* prog = cli.command("prog", "Programs in the controller's store",
                               [subs](Session& s, Output& out) {
    for (auto& [app, run] : *subs)
      if (app->parsed()) return run(s, out);
  });
  prog->require_subcommand(1);
  auto add = [&](const char* name, const char* what, std::function<void(Session&, Output&)> run) {
    CLI::App* c = prog->add_subcommand(name, what);
    subs->emplace_back(c, std::move(run));
    return c;
  };
  add("list", "List the programs (cnc_rdprogdir2o8)", list);
  CLI::App* up = add("upload", "Read program N (cnc_upstart3); to FILE or standard output",
                     [a](Session& s, Output& out) { upload(s, out, a->number, a->file); });
  up->add_option("N", a->number, "Program number")->required();
  up->add_option("FILE", a->file, "Output file");
  CLI::App* down = add("download", "Store the program in FILE (cnc_dwnstart3)",
                       [a](Session& s, Output& out) { download(s, a->file, false, out); });
  down->add_option("FILE", a->file, "Program file")->required();
  CLI::App* vrf = add("verify", "Compare FILE with the stored program (cnc_vrfstart)",
                      [a](Session& s, Output& out) { download(s, a->file, true, out); });
  vrf->add_option("FILE", a->file, "Program file")->required();
  CLI::App* del = add("delete", "Delete program N (cnc_deleteo8); a running program cannot be deleted",
                      [a](Session& s, Output& out) {
    on_program(s, a->number, "delete", [&] { OZCLI_CALL(s, cnc_deleteo8, a->number); });
    out.field("deleted", a->number);
  });
  del->add_option("N", a->number, "Program number")->required();
  CLI::App* sel = add("select", "Make program N the main program (cnc_searcho8)",
                      [a](Session& s, Output& out) {
    on_program(s, a->number, "select", [&] { OZCLI_CALL(s, cnc_searcho8, a->number); });
    out.field("selected", a->number);
  });
  sel->add_option("N", a->number, "Program number")->required();

  CLI::App* d = cli.command("dnc", "Run FILE as it streams in (cnc_dncstart2)",
                            [a](Session& s, Output& out) { dnc(s, out, a->file); });
  d->add_option("FILE", a->file, "Program file")->required();
}
