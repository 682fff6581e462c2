// What a command family of ozcli sees: the CLI11 app to add sub-commands to,
// a session that owns the connected handle, an output that renders the same
// data as aligned text, CSV or JSON, and the helpers that turn what a user
// typed into the controller's numbers and back.
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
//     cli.watch("feed", ...);              // refreshed by a bare `ozcli watch`
//     cli.watch_item("pmc", "RANGE", ...); // `ozcli watch pmc R0-R9`
//     cli.info("feed", ...);               // a section of `ozcli info`
//   }
//
// Conventions every family command follows (users rely on them):
//
// - Values are exact. A value typed with a decimal point is either scaled by
//   the decimal places the controller reports for that item
//   (parse_scaled), stored with its own places where the wire carries them
//   (parse_decimal: macro variables, real parameters), or refused with a
//   UsageError that says what is accepted. Every value is checked against the
//   range of its type before anything is sent (parse_integer, check_range);
//   nothing is ever narrowed silently. Values the controller gives with
//   decimal places are shown with them: decimal(value, places).
// - Ranges are FROM-TO (parse_range) and are read completely, in as many
//   requests as it takes; when the controller stops early, say where and why
//   (throw Failure or CallError) after putting what was read into the Output,
//   which is printed before the error.
// - Errors: UsageError for anything wrong with what the user typed (exit 2,
//   found before anything is sent); CallError (OZCLI_CALL, Session::check) for
//   a refused or failed library call (exit 1); Failure for other failures
//   (a local file that cannot be written; exit 1). Set CallError::context to
//   say in the user's terms what failed ("program O0099 not found"), and name
//   the valid range when the tool knows it.
// - Names: fields, columns and sections are snake_case ("main_program"); text
//   output shows them with blanks. Numbers are given as numbers (json ints or
//   decimal()), never as formatted strings; status words as names.
// - Tables are tables (Output::table), so --csv works for every command
//   that prints one; per-path or per-item groups are Output::item() entries,
//   which JSON gives as an array.
// - Global options (--json, --csv, --host, ...) are read in the runner from
//   s.options(), never in the installer. Option storage of a sub-command must
//   outlive parsing (a static or a shared_ptr captured by the runner).
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

// A failed library call; main() prints it and exits 1.
struct CallError : std::runtime_error {
  CallError(std::string function, int16_t code, bool has_detail, dtailerr_t detail);
  std::string function;
  int16_t code;
  bool has_detail;      // false when there was no handle to ask
  dtailerr_t detail;
  // What failed, in the user's terms ("program O0099 not found"); printed
  // ahead of the call when set.
  std::string context;
  std::string message() const;
};

// A failure that is no single library call (a local file, a controller that
// stopped a range early); exit 1.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A usage problem found after parsing (a missing --port, a bad value); exit 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Options {
  std::string host = "127.0.0.1";
  int port = 0;         // required unless --sim
  int timeout = 5;      // seconds, at least 1
  int path = 0;         // 0: the handle's own default path
  bool json = false;
  bool csv = false;
  bool sim = false;
  int sim_version = 5;  // the in-process controller's configuration
  int sim_paths = 1;
  int log_level = -1;   // -1: as the library's setting says
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
  void connect();
  Options opt_;
  std::unique_ptr<SimHost> sim_;
  uint16_t h_ = 0;
  bool open_ = false;
};

// Calls an ozlib function with the session's handle and checks its result:
//   OZCLI_CALL(s, cnc_rdparam, number, axis, length, &out);
#define OZCLI_CALL(s, fn, ...) (s).check(#fn, fn((s).handle(), __VA_ARGS__))

// ---- values ------------------------------------------------------------------

// A value with decimal places, exactly: decimal(12345, 3) shows as "12.345"
// in text and CSV and is the number 12.345 in JSON; decimal(15, 0) is 15.
// Places below 0 or above 9 give the bare value.
json decimal(int64_t value, int places);

// A number as typed: its digits without the point, and how many followed the
// point ("-1.50" is -150 with 2 places).
struct Decimal {
  int64_t digits = 0;
  int places = 0;
};
// Throws UsageError naming `what` when text is not a number.
Decimal parse_decimal(const std::string& text, const std::string& what);
// A whole number within lo..hi; a decimal point or a value outside is refused
// with a message that names `what` and the range.
int64_t parse_integer(const std::string& text, int64_t lo, int64_t hi, const std::string& what);
// A number in units of 10^-places ("1.5" with 3 places is 1500); more places
// than the controller keeps are refused rather than rounded.
int64_t parse_scaled(const std::string& text, int places, int64_t lo, int64_t hi,
                     const std::string& what);
// Refuses v outside lo..hi with "<what> <v> is outside <lo>..<hi>".
void check_range(int64_t v, int64_t lo, int64_t hi, const std::string& what);

// FROM-TO, or one number; both ends within lo..hi.
struct Range {
  int64_t from = 0, to = 0;
  int64_t count() const { return to - from + 1; }
};
Range parse_range(const std::string& text, int64_t lo, int64_t hi, const std::string& what);

// The local time as ISO 8601 with milliseconds and the offset from UTC.
std::string timestamp_now();

// ---- output --------------------------------------------------------------------

// Rows of cells under named columns: a JSON array of objects, or an aligned
// table (numbers right-aligned), or CSV.
class Table {
 public:
  explicit Table(std::vector<std::string> columns) : columns_(std::move(columns)) {}
  Table& row(std::vector<json> cells);   // one cell per column; missing ones are null
  const std::vector<std::string>& columns() const { return columns_; }
  const std::vector<std::vector<json>>& rows() const { return rows_; }
  json to_json() const;
  void print(std::ostream& os, const std::string& indent = "") const;
  void print_csv(std::ostream& os) const;

 private:
  std::vector<std::string> columns_;
  std::vector<std::vector<json>> rows_;
};

// A command's result. Fields, tables and sections keep their order; text
// output aligns consecutive fields as "name  value unit", JSON output is one
// object, CSV output gives each table (and each run of fields, as one row).
class Output {
 public:
  Output& field(const std::string& name, json value, const std::string& unit = "");
  Table& table(const std::string& name, std::vector<std::string> columns);
  // A titled group of its own (a JSON object under name); fill the returned
  // output like this one.
  Output& section(const std::string& name);
  // One element of the array `array` (JSON), shown under `title` in text:
  // out.item("paths", "path 1").field("path", 1)...
  Output& item(const std::string& array, const std::string& title);
  json to_json() const;
  void print(std::ostream& os, const std::string& indent = "") const;
  void print_csv(std::ostream& os) const;
  bool empty() const { return items_.empty(); }

 private:
  struct Item {
    std::string name;
    json value;
    std::string unit;
    std::unique_ptr<Table> table;
    std::unique_ptr<Output> section;
    std::string title;   // array elements: the text heading
  };
  std::vector<Item> items_;
  void print_fields(std::ostream& os, const std::string& indent, size_t& i) const;
};

using Runner = std::function<void(Session&, Output&)>;
// A watched item that takes an argument (`watch pmc R0-R9`).
using ItemRunner = std::function<void(Session&, Output&, const std::string& arg)>;

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
  // a bare `ozcli watch` refreshes. Sections appear in family-name order.
  void info(const std::string& name, Runner section);
  void watch(const std::string& name, Runner section);
  // Something `ozcli watch NAME [ARG]` refreshes on request; arg_name is
  // empty for an item without an argument.
  void watch_item(const std::string& name, const std::string& arg_name, const std::string& description,
                  ItemRunner run);

  struct Section {
    std::string name;
    Runner run;
  };
  struct WatchItem {
    std::string name, arg_name, description;
    ItemRunner run;
  };
  const std::vector<Section>& info_sections() const { return info_; }
  const std::vector<Section>& watch_sections() const { return watch_; }
  const std::vector<WatchItem>& watch_items() const { return items_; }
  // The runner of the sub-command that was parsed, or null.
  const Runner* chosen() const;

 private:
  CLI::App& app_;
  Options opt_;
  std::vector<std::pair<CLI::App*, Runner>> commands_;
  std::vector<Section> info_, watch_;
  std::vector<WatchItem> items_;
};

struct Family {
  Family(const char* name, void (*install)(Cli&));
};

}  // namespace ozcli

#define OZCLI_FAMILY(name)                                                            \
  static void ozcli_install_##name(::ozcli::Cli& cli);                                \
  static const ::ozcli::Family ozcli_family_##name(#name, ozcli_install_##name);      \
  static void ozcli_install_##name([[maybe_unused]] ::ozcli::Cli& cli)
