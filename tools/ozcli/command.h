// What a command family of ozcli sees: the CLI11 app to add sub-commands to,
// a session that owns the connected handle, and an output that renders the
// same data as an aligned table or as one JSON document.
//
// A family lives in tools/ozcli/cmd_<family>.cpp and registers itself; no
// other file changes when one is added:
//
//   #include "command.h"
//   OZCLI_FAMILY(feed) {
//     cli.command("feed", "Actual feed rate", [](ozcli::Session& s, ozcli::Output& out) {
//       actf_t a{};
//       OZCLI_CALL(s, cnc_actf, &a);
//       out.field("feed", a.data, "mm/min");
//     });
//     cli.watch("feed", ...);   // a value `ozcli watch` refreshes
//     cli.info("feed", ...);    // a section of `ozcli info`
//   }
//
// Only the public C interface (ozlib.h) is used here: ozcli is what an
// application sees of the library.
#pragma once
#include <CLI/CLI.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "ozlib.h"

namespace ozcli {

// Insertion-ordered, so the JSON reads in the same order as the table.
using json = nlohmann::ordered_json;

// The name of a result code ("EW_CIRCUIT"), or "EW_?" for one the header lacks.
std::string result_name(int16_t code);

// Whether standard output (1) or standard error (2) is a terminal.
bool is_terminal(int stream);

// A failed library call; main() prints it and exits non-zero.
struct CallError : std::runtime_error {
  CallError(std::string function, int16_t code, bool has_detail, dtailerr_t detail);
  std::string function;
  int16_t code;
  bool has_detail;      // false when there was no handle to ask
  dtailerr_t detail;
};

// A usage problem found after parsing (a missing --port, a bad value).
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Options {
  std::string host = "127.0.0.1";
  int port = 0;         // required unless --sim
  int timeout = 5;      // seconds
  int path = 0;         // 0: the handle's own default path
  bool json = false;
  bool sim = false;
  int sim_version = 5;  // the in-process controller's configuration
  int sim_paths = 1;
};

class SimHost;

// One controller connection for the run of a command. The handle is
// allocated on first use, so commands that never talk to a controller do
// not need one.
class Session {
 public:
  explicit Session(const Options& opt);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const Options& options() const { return opt_; }
  uint16_t handle();
  // Throws CallError for a nonzero result, with the detail words of the
  // handle's CNC or PMC error store (by the function's prefix).
  void check(const char* function, int16_t result);
  // Runs body once per CNC path of the controller with that path selected,
  // then selects the path the session started on again.
  void for_each_path(const std::function<void(int path)>& body);
  // The controller's highest path number (cnc_getpath).
  int max_path();
  std::string endpoint() const;   // "host:port" as connected

 private:
  Options opt_;
  std::unique_ptr<SimHost> sim_;
  uint16_t h_ = 0;
  bool open_ = false;
};

// Calls an ozlib function with the session's handle and checks its result:
//   OZCLI_CALL(s, cnc_rdparam, number, axis, length, &out);
#define OZCLI_CALL(s, fn, ...) (s).check(#fn, fn((s).handle(), __VA_ARGS__))

// Rows of cells under named columns: a JSON array of objects, or an aligned
// table (numbers right-aligned).
class Table {
 public:
  explicit Table(std::vector<std::string> columns) : columns_(std::move(columns)) {}
  Table& row(std::vector<json> cells);   // one cell per column; missing ones are null
  const std::vector<std::string>& columns() const { return columns_; }
  const std::vector<std::vector<json>>& rows() const { return rows_; }
  json to_json() const;
  void print(std::ostream& os, const std::string& indent = "") const;

 private:
  std::vector<std::string> columns_;
  std::vector<std::vector<json>> rows_;
};

// A command's result. Fields and tables keep their order; human output
// aligns consecutive fields as "name  value unit", JSON output is one object.
class Output {
 public:
  Output& field(const std::string& name, json value, const std::string& unit = "");
  Table& table(const std::string& name, std::vector<std::string> columns);
  // A titled group of its own (a JSON object under name); fill the returned
  // output like this one.
  Output& section(const std::string& name);
  json to_json() const;
  void print(std::ostream& os, const std::string& indent = "") const;
  bool empty() const { return items_.empty(); }

 private:
  struct Item {
    std::string name;
    json value;
    std::string unit;
    std::unique_ptr<Table> table;
    std::unique_ptr<Output> section;
  };
  std::vector<Item> items_;
};

using Runner = std::function<void(Session&, Output&)>;

// Handed to each family's installer.
class Cli {
 public:
  explicit Cli(CLI::App& app) : app_(app) {}
  CLI::App& app() { return app_; }
  const Options& options() const { return opt_; }
  Options& mutable_options() { return opt_; }

  // A sub-command; run is called after parsing with a session. Options of
  // the sub-command bind to storage that outlives main's parse (a static or
  // a shared_ptr captured by run).
  CLI::App* command(const std::string& name, const std::string& description, Runner run);
  // A section that `ozcli info` adds to its document, and a value group that
  // `ozcli watch` refreshes. Sections appear in family-name order.
  void info(const std::string& name, Runner section);
  void watch(const std::string& name, Runner section);

  struct Section {
    std::string name;
    Runner run;
  };
  const std::vector<Section>& info_sections() const { return info_; }
  const std::vector<Section>& watch_sections() const { return watch_; }
  // The runner of the sub-command that was parsed, or null.
  const Runner* chosen() const;

 private:
  CLI::App& app_;
  Options opt_;
  std::vector<std::pair<CLI::App*, Runner>> commands_;
  std::vector<Section> info_, watch_;
};

struct Family {
  Family(const char* name, void (*install)(Cli&));
};

}  // namespace ozcli

#define OZCLI_FAMILY(name)                                                            \
  static void ozcli_install_##name(::ozcli::Cli& cli);                                \
  static const ::ozcli::Family ozcli_family_##name(#name, ozcli_install_##name);      \
  static void ozcli_install_##name([[maybe_unused]] ::ozcli::Cli& cli)
