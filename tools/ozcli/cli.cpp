// The framework of ozcli: option parsing, the session, output rendering,
// error reporting, and the two commands that gather from every family
// (`info` and `watch`).
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>
#include <thread>

#include "command.h"
#include "sim_host.h"

#ifdef _WIN32
#include <io.h>
#define OZCLI_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define OZCLI_ISATTY(fd) isatty(fd)
#endif

namespace ozcli {

bool is_terminal(int stream) { return OZCLI_ISATTY(stream == 2 ? 2 : 1) != 0; }

std::string result_name(int16_t code) {
  switch (code) {
#define OZCLI_NAME_(name, value) \
  case value:                    \
    return #name;
    OZ_RESULT_CODES(OZCLI_NAME_)
#undef OZCLI_NAME_
  }
  return "EW_?";
}

static std::string describe(const std::string& function, int16_t code, bool has_detail,
                            dtailerr_t d) {
  std::ostringstream o;
  o << function << ": " << result_name(code) << " (" << code << ")";
  if (has_detail) o << ", detail " << d.detail << " " << d.subdetail;
  return o.str();
}

CallError::CallError(std::string fn, int16_t c, bool hd, dtailerr_t d)
    : std::runtime_error(describe(fn, c, hd, d)),
      function(std::move(fn)), code(c), has_detail(hd), detail(d) {}

// ---- session ----------------------------------------------------------------

Session::Session(const Options& opt) : opt_(opt) {}

Session::~Session() {
  // The handle goes before the in-process controller, so the circuit closes
  // with a controller still there to answer.
  if (open_) cnc_freelibhndl(h_);
  sim_.reset();
}

std::string Session::endpoint() const {
  const int port = sim_ ? sim_->port() : opt_.port;
  return opt_.host + ":" + std::to_string(port);
}

uint16_t Session::handle() {
  if (open_) return h_;
  uint16_t port = uint16_t(opt_.port);
  if (opt_.sim) {
    sim_ = std::make_unique<SimHost>(opt_.sim_version, opt_.sim_paths);
    port = sim_->port();
    opt_.host = "127.0.0.1";
  } else if (opt_.port <= 0) {
    throw UsageError("no controller: give --port (and --host), or --sim");
  }
  const int16_t rc = cnc_allclibhndl3(opt_.host.c_str(), port, opt_.timeout, &h_);
  if (rc != EW_SUCCESS) throw CallError("cnc_allclibhndl3", rc, false, {});
  open_ = true;
  if (opt_.path > 0) check("cnc_setpath", cnc_setpath(h_, int16_t(opt_.path)));
  return h_;
}

void Session::check(const char* function, int16_t result) {
  if (result == EW_SUCCESS) return;
  dtailerr_t d{};
  bool has = false;
  if (open_) {
    const bool pmc = std::string(function).rfind("pmc_", 0) == 0;
    has = (pmc ? pmc_getdtailerr(h_, &d) : cnc_getdtailerr(h_, &d)) == EW_SUCCESS;
  }
  throw CallError(function, result, has, d);
}

int Session::max_path() {
  int16_t path = 0, max = 0;
  OZCLI_CALL(*this, cnc_getpath, &path, &max);
  return max;
}

void Session::for_each_path(const std::function<void(int)>& body) {
  int16_t start = 0, max = 0;
  OZCLI_CALL(*this, cnc_getpath, &start, &max);
  struct Restore {
    uint16_t h;
    int16_t path;
    ~Restore() { cnc_setpath(h, path); }
  } restore{handle(), start};
  for (int p = 1; p <= max; ++p) {
    OZCLI_CALL(*this, cnc_setpath, int16_t(p));
    body(p);
  }
}

// ---- output -----------------------------------------------------------------

static bool right_aligned(const json& v) { return v.is_number(); }

static std::string cell_text(const json& v) {
  if (v.is_null()) return "-";
  if (v.is_string()) return v.get<std::string>();
  if (v.is_boolean()) return v.get<bool>() ? "yes" : "no";
  return v.dump();
}

Table& Table::row(std::vector<json> cells) {
  cells.resize(columns_.size());
  rows_.push_back(std::move(cells));
  return *this;
}

json Table::to_json() const {
  json a = json::array();
  for (auto& r : rows_) {
    json o = json::object();
    for (size_t c = 0; c < columns_.size(); ++c) o[columns_[c]] = r[c];
    a.push_back(std::move(o));
  }
  return a;
}

void Table::print(std::ostream& os, const std::string& indent) const {
  std::vector<size_t> w(columns_.size());
  for (size_t c = 0; c < columns_.size(); ++c) {
    w[c] = columns_[c].size();
    for (auto& r : rows_) w[c] = std::max(w[c], cell_text(r[c]).size());
  }
  auto line = [&](const std::vector<std::string>& cells, const std::vector<bool>& right) {
    std::string s = indent;
    for (size_t c = 0; c < cells.size(); ++c) {
      const std::string pad(w[c] - cells[c].size(), ' ');
      s += right[c] ? pad + cells[c] : cells[c] + pad;
      if (c + 1 < cells.size()) s += "  ";
    }
    while (!s.empty() && s.back() == ' ') s.pop_back();
    os << s << "\n";
  };
  // A header reads best aligned like the column below it.
  std::vector<bool> right(columns_.size(), false);
  for (size_t c = 0; c < columns_.size(); ++c)
    right[c] = !rows_.empty() && right_aligned(rows_.front()[c]);
  line(columns_, right);
  for (auto& r : rows_) {
    std::vector<std::string> cells;
    std::vector<bool> ra;
    for (auto& v : r) {
      cells.push_back(cell_text(v));
      ra.push_back(right_aligned(v));
    }
    line(cells, ra);
  }
}

Output& Output::field(const std::string& name, json value, const std::string& unit) {
  items_.push_back(Item{name, std::move(value), unit, nullptr, nullptr});
  return *this;
}

Table& Output::table(const std::string& name, std::vector<std::string> columns) {
  items_.push_back(Item{name, {}, {}, std::make_unique<Table>(std::move(columns)), nullptr});
  return *items_.back().table;
}

Output& Output::section(const std::string& name) {
  items_.push_back(Item{name, {}, {}, nullptr, std::make_unique<Output>()});
  return *items_.back().section;
}

json Output::to_json() const {
  json o = json::object();
  for (auto& it : items_) {
    if (it.table)
      o[it.name] = it.table->to_json();
    else if (it.section)
      o[it.name] = it.section->to_json();
    else
      o[it.name] = it.value;
  }
  return o;
}

// Consecutive fields form one aligned block; tables and sections are set off
// by a title line.
void Output::print(std::ostream& os, const std::string& indent) const {
  size_t i = 0;
  while (i < items_.size()) {
    if (i > 0) os << "\n";
    const Item& it = items_[i];
    if (it.table || it.section) {
      os << indent << it.name << ":\n";
      if (it.table)
        it.table->print(os, indent + "  ");
      else
        it.section->print(os, indent + "  ");
      ++i;
      continue;
    }
    size_t end = i, w = 0;
    while (end < items_.size() && !items_[end].table && !items_[end].section)
      w = std::max(w, items_[end++].name.size());
    for (; i < end; ++i) {
      std::string s = indent + items_[i].name + std::string(w - items_[i].name.size() + 2, ' ') +
                      cell_text(items_[i].value);
      if (!items_[i].unit.empty()) s += " " + items_[i].unit;
      os << s << "\n";
    }
  }
}

// ---- registration -------------------------------------------------------------

static std::vector<std::pair<std::string, void (*)(Cli&)>>& families() {
  static auto* f = new std::vector<std::pair<std::string, void (*)(Cli&)>>;
  return *f;
}

Family::Family(const char* name, void (*install)(Cli&)) { families().emplace_back(name, install); }

CLI::App* Cli::command(const std::string& name, const std::string& description, Runner run) {
  CLI::App* sub = app_.add_subcommand(name, description);
  commands_.emplace_back(sub, std::move(run));
  return sub;
}

void Cli::info(const std::string& name, Runner section) { info_.push_back({name, std::move(section)}); }
void Cli::watch(const std::string& name, Runner section) { watch_.push_back({name, std::move(section)}); }

const Runner* Cli::chosen() const {
  for (auto& [sub, run] : commands_)
    if (sub->parsed()) return &run;
  return nullptr;
}

// ---- the gathering commands ----------------------------------------------------

static void run_info(const Cli& cli, Session& s, Output& out) {
  int16_t path = 0, max = 0;
  OZCLI_CALL(s, cnc_getpath, &path, &max);
  out.field("controller", s.endpoint());
  out.field("path", path);
  out.field("max_path", max);
  for (auto& sec : cli.info_sections()) sec.run(s, out);
}

static volatile std::sig_atomic_t g_stop = 0;
extern "C" void ozcli_on_signal(int) { g_stop = 1; }

static void run_watch(const Cli& cli, Session& s, int count) {
  std::signal(SIGINT, ozcli_on_signal);
  std::signal(SIGTERM, ozcli_on_signal);
  const bool json_out = s.options().json;
  const bool tty = ozcli::is_terminal(1);
  for (int n = 0; !g_stop && (count <= 0 || n < count); ++n) {
    if (n > 0) {
      // Sleep in short steps so Ctrl-C ends the loop at once.
      for (int i = 0; i < 10 && !g_stop; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (g_stop) break;
    }
    Output out;
    for (auto& sec : cli.watch_sections()) sec.run(s, out);
    if (json_out) {
      std::cout << out.to_json().dump() << std::endl;   // one document per refresh, one per line
    } else {
      if (tty) std::cout << "\x1b[H\x1b[2J";
      std::cout << s.endpoint() << "  (Ctrl-C ends)\n\n";
      out.print(std::cout);
      std::cout << std::flush;
    }
  }
}

}  // namespace ozcli

using namespace ozcli;

static void report(const CallError& e, bool json_out) {
  std::cerr << "ozcli: " << e.what() << "\n";
  if (!json_out) return;
  json err = {{"function", e.function}, {"code", e.code}, {"name", result_name(e.code)}};
  if (e.has_detail) {
    err["detail"] = e.detail.detail;
    err["subdetail"] = e.detail.subdetail;
  }
  std::cout << json{{"error", err}}.dump(2) << "\n";
}

int main(int argc, char** argv) {
  CLI::App app{"ozcli: read a CNC's data through ozlib"};
  app.require_subcommand(1);
  Cli cli(app);
  Options& opt = cli.mutable_options();
  app.add_option("--host", opt.host, "Controller address")->capture_default_str();
  app.add_option("--port", opt.port, "Controller TCP port")->check(CLI::Range(1, 65535));
  app.add_option("--timeout", opt.timeout, "Time-out in seconds (0: none)")->capture_default_str();
  app.add_option("--path", opt.path, "CNC path to select")->check(CLI::Range(1, 15));
  app.add_flag("--json", opt.json, "Print one JSON document");
  app.add_flag("--sim", opt.sim, "Talk to a simulated controller started in this process");
  app.add_option("--sim-version", opt.sim_version, "Protocol version of the simulated controller")
      ->check(CLI::Range(1, 5))->capture_default_str();
  app.add_option("--sim-paths", opt.sim_paths, "Paths of the simulated controller")
      ->check(CLI::Range(1, 2))->capture_default_str();

  cli.command("info", "Configuration and system information", [&cli](Session& s, Output& out) {
    run_info(cli, s, out);
  });
  int watch_count = 0;
  CLI::App* watch = app.add_subcommand("watch", "Refresh the live values once a second until Ctrl-C");
  watch->add_option("--count", watch_count, "Stop after this many refreshes (0: never)");

  auto fams = families();
  std::stable_sort(fams.begin(), fams.end(), [](auto& a, auto& b) { return a.first < b.first; });
  for (auto& f : fams) f.second(cli);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }

  try {
    Session s(opt);
    if (watch->parsed()) {
      run_watch(cli, s, watch_count);
      return 0;
    }
    const Runner* run = cli.chosen();
    if (!run) return 2;
    Output out;
    (*run)(s, out);
    if (opt.json)
      std::cout << out.to_json().dump(2) << "\n";
    else
      out.print(std::cout);
    return 0;
  } catch (const CallError& e) {
    report(e, opt.json);
    return 1;
  } catch (const UsageError& e) {
    std::cerr << "ozcli: " << e.what() << "\n";
    return 2;
  }
}
