// The framework of ozcli: option parsing, the exit codes, error reporting,
// and `info`, which gathers a section from every family.
//
// Exit codes: 0 success, 1 the controller or the library refused or failed,
// 2 a usage error (the command line, or a value the tool refused before
// sending anything).
#include <algorithm>
#include <iostream>

#include "command.h"
#include "frame.h"
#include "output_detail.h"

#ifdef _WIN32
#include <io.h>
#define OZCLI_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define OZCLI_ISATTY(fd) isatty(fd)
#endif

namespace ozcli {

bool is_terminal(int stream) { return OZCLI_ISATTY(stream == 2 ? 2 : 1) != 0; }

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
void Cli::watch_item(const std::string& name, const std::string& arg_name, const std::string& description,
                     ItemRunner run) {
  items_.push_back({name, arg_name, description, std::move(run)});
}

const Runner* Cli::chosen() const {
  for (auto& [sub, run] : commands_)
    if (sub->parsed()) return &run;
  return nullptr;
}

// ---- errors ------------------------------------------------------------------------

void report(const std::string& message, int exit_code, bool json_out, const CallError* call) {
  if (!json_out) {
    std::cerr << "ozcli: " << message << std::endl;
    return;
  }
  json err = {{"message", message}, {"exit_code", exit_code}};
  if (call) {
    err["function"] = call->function;
    err["code"] = call->code;
    err["name"] = result_name(call->code);
    if (call->has_detail) {
      err["detail"] = call->detail.detail;
      err["subdetail"] = call->detail.subdetail;
    }
  }
  std::cerr << json{{"error", err}}.dump() << std::endl;
}

int run_reporting(bool json_out, const std::function<void()>& body) {
  try {
    body();
    return 0;
  } catch (const CallError& e) {
    report(e.message(), 1, json_out, &e);
  } catch (const Failure& e) {
    report(e.what(), 1, json_out, nullptr);
    return 1;
  } catch (const UsageError& e) {
    report(e.what(), 2, json_out, nullptr);
    return 2;
  }
  return 1;
}

void print(const Output& out, const Options& opt) {
  if (opt.json)
    std::cout << out.to_json().dump(2) << "\n";
  else if (opt.csv)
    out.print_csv(std::cout);
  else
    out.print(std::cout);
  std::cout << std::flush;
}

// ---- the gathering command ----------------------------------------------------------

static void run_info(const Cli& cli, Session& s, Output& out) {
  int16_t path = 0, max = 0;
  OZCLI_CALL(s, cnc_getpath, &path, &max);
  out.field("controller", s.endpoint());
  out.field("path", path);
  out.field("max_path", max);
  for (auto& sec : cli.info_sections()) sec.run(s, out);
}

}  // namespace ozcli

using namespace ozcli;

static std::string version_text() {
  const int32_t v = oz_version();
  return "ozcli " + std::to_string(OZLIB_VERSION_MAJOR) + "." + std::to_string(OZLIB_VERSION_MINOR) + "." +
         std::to_string(OZLIB_VERSION_PATCH) + " (ozlib " + std::to_string(v / 10000) + "." +
         std::to_string(v / 100 % 100) + "." + std::to_string(v % 100) + ")";
}

static void add_global_options(CLI::App& app, Options& opt) {
  app.add_option("--host", opt.host, "Controller address")->capture_default_str();
  app.add_option("--port", opt.port, "Controller TCP port")->check(CLI::Range(1, 65535));
  app.add_option("--timeout", opt.timeout,
                 "Seconds a controller may stay silent before a call gives up, 1 or more (the library "
                 "counts whole seconds, so N ends after N+1 to N+2 s of silence)")
      ->check(CLI::Range(1, 3600))
      ->capture_default_str();
  app.add_option("--path", opt.path, "CNC path to select")->check(CLI::Range(1, 15));
  CLI::Option* j = app.add_flag("--json", opt.json, "Print JSON (errors too, on standard error)");
  app.add_flag("--csv", opt.csv, "Print tables as CSV")->excludes(j);
  app.add_flag("--sim", opt.sim, "Talk to a simulated controller started in this process");
  app.add_option("--sim-version", opt.sim_version, "Protocol version of the simulated controller")
      ->check(CLI::Range(1, 5))
      ->capture_default_str();
  app.add_option("--sim-paths", opt.sim_paths, "Paths of the simulated controller")
      ->check(CLI::Range(1, 2))
      ->capture_default_str();
  app.add_option("--log-level", opt.log_level,
                 "The library's diagnostic log level for this run (0 off, 1 errors ... 4 everything)")
      ->check(CLI::Range(0, 4));
  app.set_version_flag("--version", version_text());
}

int main(int argc, char** argv) {
  CLI::App app{"ozcli: read and write a CNC's data through ozlib"};
  // Global options may follow the command too (`ozcli feed --json`); the
  // sub-commands inherit this from the app as they are made.
  app.fallthrough();
  app.require_subcommand(1);
  Cli cli(app);
  Options& opt = cli.mutable_options();
  add_global_options(app, opt);

  cli.command("info", "Configuration and system information of every path",
              [&cli](Session& s, Output& out) { run_info(cli, s, out); });
  CLI::App* watch = install_watch(cli);

  auto fams = families();
  std::stable_sort(fams.begin(), fams.end(), [](auto& a, auto& b) { return a.first < b.first; });
  for (auto& f : fams) f.second(cli);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return usage_exit(app, e, opt.json);
  }
  if (opt.log_level >= 0) {
    const int rc = relaunch_with_log_level(argc, argv, opt.log_level);
    if (rc >= 0) return rc;
  }

  Session s(opt);
  if (watch->parsed()) return run_watch(cli, s);
  Output out;
  const int rc = run_reporting(opt.json, [&] {
    const Runner* run = cli.chosen();
    if (!run) throw UsageError("give a command (see ozcli --help)");
    try {
      (*run)(s, out);
    } catch (const UsageError&) {
      throw;
    } catch (...) {
      // What was read before a failure is shown ahead of the error.
      if (!out.empty()) print(out, opt);
      throw;
    }
  });
  if (rc == 0) print(out, opt);
  return rc;
}
