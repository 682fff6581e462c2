// `ozcli param|setting|diag|macro|toolofs|workofs read|write`: the numbered
// tables of the controller. Ranges are written FROM-TO (`param read 1020-1030`)
// and read completely. Values are exact: a decimal point is scaled by the
// decimal places the controller keeps for the item, kept where the wire
// carries places (real parameters, macro variables), or refused; every value
// is checked against its type's range before anything is sent.
#include <cstring>
#include <map>

#include "command.h"
#include "machine.h"

using namespace ozcli;

namespace {

struct Args {
  std::string range;
  std::string axis;   // empty: not given
  int number = 0;
  int type = 0;
  std::vector<std::string> values;
};

// --axis N within 1..count, or 0 when it was not given; `has` says what
// has the count ("the path has 3 axes").
int axis_of(const Args& a, int count, const std::string& has) {
  if (a.axis.empty()) return 0;
  try {
    return int(parse_integer(a.axis, 1, count, "--axis"));
  } catch (const UsageError& e) {
    throw UsageError(std::string(e.what()) + " (" + has + ")");
  }
}

// ---- parameters, settings, diagnostics ------------------------------------------

using ReadOne = int16_t (*)(uint16_t, int16_t, int16_t, int16_t, param_t*);
using WriteOne = int16_t (*)(uint16_t, int16_t, const param_t*);
using Info2 = int16_t (*)(uint16_t, int16_t, int16_t*, int16_t*, int16_t*, parainfo2_t*);

struct TableCalls {
  const char* name;
  const char* noun;   // "parameter"
  const char* title;
  const char* read_fn;
  const char* write_fn;
  const char* info_fn;
  ReadOne read;
  WriteOne write;     // null: read-only table
  Info2 info;
};

enum Kind { kOne = 0, kPerAxis = 1, kPerSpindle = 2 };

struct TypeInfo {
  const char* name;
  int size;           // bytes per value in param_t
  int64_t lo, hi;     // integer types: the values the type holds
};
// By data-type code: bit, byte, word, 2-word, real. A bit entry is eight bits,
// so 0-255; the others are signed.
const TypeInfo kTypes[] = {{"bit", 1, 0, 255},
                           {"byte", 1, -128, 127},
                           {"word", 2, -32768, 32767},
                           {"2-word", 4, INT32_MIN, INT32_MAX},
                           {"real", 8, INT32_MIN, INT32_MAX}};

struct Entry {
  int type = 0;   // 0..4
  int kind = kOne;
};

std::map<int, Entry> list_entries(Session& s, const TableCalls& t, int from, int to) {
  std::map<int, Entry> out;
  for (int start = from; start <= to;) {
    parainfo2_t info[64];
    int16_t n = 64, prev = 0, next = 0;
    s.check(t.info_fn, t.info(s.handle(), int16_t(start), &n, &prev, &next, info));
    for (int i = 0; i < n && i < 64; ++i)
      if (info[i].prm_no >= from && info[i].prm_no <= to && info[i].attr[0] <= 4)
        out[info[i].prm_no] = {info[i].attr[0], std::min<int>(info[i].attr[1], 2)};
    if (n < 64 || next <= start) break;
    start = next;
  }
  return out;
}

// The names of the values of per-axis and per-spindle entries, asked once
// per command however many entries need them.
class Elements {
 public:
  explicit Elements(Session& s) : s_(s) {}
  const std::vector<std::string>& of(int kind) {
    if (kind == kPerAxis && axes_.empty())
      for (const Axis& a : path_axes(s_)) axes_.push_back(a.name);
    if (kind == kPerSpindle && spindles_.empty()) {
      axisname_t n[8];
      int16_t count = 8;
      OZCLI_CALL(s_, cnc_rdspdlname, &count, n);
      for (int i = 0; i < count && i < 8; ++i)
        spindles_.push_back(std::string(1, n[i].name) + (n[i].suff ? std::string(1, n[i].suff) : ""));
    }
    return kind == kPerAxis ? axes_ : spindles_;
  }

 private:
  Session& s_;
  std::vector<std::string> axes_, spindles_;
};

json value_of(const param_t& p, int type, int i) {
  switch (type) {
    case 0: return uint8_t(p.u.cdatas[i]);
    case 1: return p.u.cdatas[i];
    case 2: return p.u.idatas[i];
    case 3: return p.u.ldatas[i];
    default: return decimal(p.u.rdatas[i].prm_val, p.u.rdatas[i].dec_val);
  }
}

// Rows of one entry: one per value, the axis or spindle named. axis > 0
// (already checked against the path's axes) reads that axis alone.
void read_entry(Session& s, const TableCalls& t, Table& tab, Elements& el, int number, Entry e, int axis) {
  param_t p{};
  const TypeInfo& ty = kTypes[e.type];
  if (e.kind == kOne) {
    s.check(t.read_fn, t.read(s.handle(), int16_t(number), 0, sizeof p, &p));
    tab.row({number, ty.name, nullptr, value_of(p, e.type, 0)});
    return;
  }
  const auto& names = el.of(e.kind);
  if (axis > 0) {
    s.check(t.read_fn, t.read(s.handle(), int16_t(number), int16_t(axis), sizeof p, &p));
    tab.row({number, ty.name, names[size_t(axis - 1)], value_of(p, e.type, 0)});
    return;
  }
  const int n = std::min<int>(int(names.size()), 32);
  s.check(t.read_fn, t.read(s.handle(), int16_t(number), -1, int16_t(4 + n * ty.size), &p));
  for (int i = 0; i < n; ++i) tab.row({number, ty.name, names[size_t(i)], value_of(p, e.type, i)});
}

std::string no_entry(const TableCalls& t, int number) {
  return std::string("the controller has no ") + t.noun + " " + std::to_string(number);
}

void table_read(Session& s, Output& out, const TableCalls& t, const Args& a) {
  const Range r = parse_range(a.range, 0, 32767, t.noun);
  const auto entries = list_entries(s, t, int(r.from), int(r.to));
  if (entries.empty() && r.count() == 1) throw Failure(no_entry(t, int(r.from)));
  const int axes = a.axis.empty() ? 0 : int(path_axes(s).size());
  const int axis = axis_of(a, axes, "the path has " + std::to_string(axes) + " axes");
  // In a range, --axis picks the values of the per-axis entries and leaves
  // the others whole; a single entry must be per axis to take it.
  if (axis > 0 && r.count() == 1 && entries.begin()->second.kind != kPerAxis)
    throw UsageError(std::string(t.noun) + " " + std::to_string(r.from) + " is not one value per axis: leave out --axis");
  Table& tab = out.table(t.name, {"number", "type", "axis", "value"});
  Elements el(s);
  for (const auto& [number, e] : entries) read_entry(s, t, tab, el, number, e, e.kind == kPerAxis ? axis : 0);
}

void put_value(param_t& p, int type, size_t i, const std::string& text, const std::string& what) {
  const TypeInfo& ty = kTypes[type];
  if (type == 4) {
    const Decimal d = parse_decimal(text, what);
    if (d.digits < ty.lo || d.digits > ty.hi || d.places > 9)
      throw UsageError(what + " (real): " + text + " has more digits than a real entry holds (9 and a sign)");
    p.u.rdatas[i] = {int32_t(d.digits), d.places};
    return;
  }
  const int64_t v = parse_integer(text, ty.lo, ty.hi, what + " (" + ty.name + ")");
  if (type == 2) p.u.idatas[i] = int16_t(v);
  else if (type == 3) p.u.ldatas[i] = int32_t(v);
  else p.u.cdatas[i] = int8_t(uint8_t(v));   // a bit entry's 8 bits in the signed byte
}

void table_write(Session& s, Output& out, const TableCalls& t, const Args& a) {
  const std::string what = std::string(t.noun) + " " + std::to_string(a.number);
  const auto entries = list_entries(s, t, a.number, a.number);
  if (entries.empty()) throw Failure(no_entry(t, a.number));
  const Entry e = entries.begin()->second;
  Elements el(s);
  const auto& names = el.of(e.kind);
  const int count = int(names.size());
  int axis = 0;
  if (e.kind == kOne) {
    if (!a.axis.empty()) throw UsageError(what + " is not one value per axis: leave out --axis");
    if (a.values.size() != 1) throw UsageError(what + " takes one value");
  } else {
    axis = axis_of(a, count, what + " has " + std::to_string(count) + " values");
    if (axis > 0 ? a.values.size() != 1 : int(a.values.size()) != count)
      throw UsageError(what + ": give one value with --axis, or one for each of its " + std::to_string(count) +
                       " values");
  }
  param_t all{};
  for (size_t i = 0; i < a.values.size(); ++i) put_value(all, e.type, i, a.values[i], what);
  // One write for every axis at once; spindle values one by one, since the
  // library counts an all-spindles write in axes on most controllers.
  const int size = kTypes[e.type].size;
  auto write = [&](int16_t field, size_t first, size_t n) {
    param_t p{};
    p.datano = int16_t(a.number);
    p.type = field;
    std::memcpy(&p.u, reinterpret_cast<const char*>(&all.u) + first * size_t(size), n * size_t(size));
    s.check(t.write_fn, t.write(s.handle(), int16_t(4 + n * size_t(size)), &p));
  };
  if (e.kind == kPerSpindle && axis == 0)
    for (size_t i = 0; i < a.values.size(); ++i) write(int16_t(i + 1), i, 1);
  else
    write(int16_t(e.kind == kOne ? 0 : axis > 0 ? axis : -1), 0, a.values.size());
  Table& tab = out.table("written", {"number", "type", "axis", "value"});
  for (size_t i = 0; i < a.values.size(); ++i)
    tab.row({a.number, kTypes[e.type].name, e.kind == kOne ? json(nullptr) : json(names[axis > 0 ? size_t(axis - 1) : i]),
             value_of(all, e.type, int(i))});
}

// ---- macro variables --------------------------------------------------------------

json macro_value(const macro_entry_t& e) {
  // Never written: value 0 with -1 decimal places.
  if (e.mcr_val == 0 && e.dec_val == -1) return nullptr;
  return decimal(e.mcr_val, e.dec_val);
}

// Reads every variable of the range, 64 to a request. A controller that
// delivers fewer than asked is asked again from where it stopped, and a
// number it does not have ends the read, saying which.
void macro_rows(Session& s, Table& tab, const std::string& text) {
  const Range r = parse_range(text, 0, 32767, "macro variable");
  for (int64_t from = r.from; from <= r.to;) {
    const int n = int(std::min<int64_t>(r.to - from + 1, 64));
    std::vector<uint8_t> mem(8 + 8 * size_t(n));
    auto* rec = reinterpret_cast<macror_t*>(mem.data());
    try {
      OZCLI_CALL(s, cnc_rdmacror, int16_t(from), int16_t(from + n - 1), int16_t(mem.size()), rec);
    } catch (CallError& e) {
      if (e.code == EW_RANGE) e.context = "the controller has no macro variable #" + std::to_string(from);
      if (e.code == EW_RANGE && from > r.from) e.context = "macro read stopped at #" + std::to_string(from) + ": " + e.context;
      throw;
    }
    const int got = std::clamp(rec->datano_e - rec->datano_s + 1, 0, n);
    if (got == 0) throw Failure("macro read stopped at #" + std::to_string(from) + ": the controller sent no value");
    for (int i = 0; i < got; ++i) {
      macro_entry_t e;
      std::memcpy(&e, mem.data() + 8 + 8 * size_t(i), sizeof e);
      tab.row({from + i, macro_value(e)});
    }
    from += got;
  }
}

void macro_read(Session& s, Output& out, const Args& a) {
  Table& tab = out.table("macro", {"number", "value"});
  macro_rows(s, tab, a.range);
}

void macro_write(Session& s, Output& out, const Args& a) {
  if (a.values.size() != 1) throw UsageError("macro write: give one value");
  const std::string what = "macro variable #" + std::to_string(a.number);
  const Decimal d = parse_decimal(a.values[0], what);
  if (d.digits < INT32_MIN || d.digits > INT32_MAX || d.places > 9)
    throw UsageError(what + ": " + a.values[0] + " has more digits than a variable holds (9 and a sign)");
  OZCLI_CALL(s, cnc_wrmacro, int16_t(a.number), 10, int32_t(d.digits), int16_t(d.places));
  out.field("number", a.number);
  out.field("written", decimal(d.digits, d.places));
}

// ---- offsets ------------------------------------------------------------------------

// Says which numbers are valid when the controller refused one.
template <class F>
void naming_numbers(const std::string& what, int64_t number, F&& valid, const std::function<void()>& body) {
  try {
    body();
  } catch (CallError& e) {
    if (e.code != EW_RANGE) throw;
    e.context = what + " " + std::to_string(number) + " does not exist";
    const std::string v = valid();
    if (!v.empty()) e.context += ": the controller has " + v;
    throw;
  }
}

std::string tool_numbers(Session& s) {
  tofsinfo_t info{};
  if (cnc_rdtofsinfo2(s.handle(), &info) != EW_SUCCESS || info.word[1] <= 0) return {};
  return "1.." + std::to_string(info.word[1]);
}

std::string work_numbers(Session& s) {
  int16_t count = 0;
  if (cnc_rdzofsinfo(s.handle(), &count) != EW_SUCCESS || count <= 0) return {};
  return "0.." + std::to_string(count - 1);
}

// Tool offsets are lengths in the path's input increment: the decimal
// places of its first axis.
int tool_places(Session& s) {
  const auto axes = path_axes(s);
  return axes.empty() ? 0 : axes.front().places;
}

void toolofs_read(Session& s, Output& out, const Args& a) {
  const Range r = parse_range(a.range, 0, 32767, "tool offset");
  const int places = tool_places(s);
  Table& tab = out.table("toolofs", {"number", "type", "value"});
  for (int64_t n = r.from; n <= r.to; ++n) {
    tofs_t t{};
    naming_numbers("tool offset", n, [&] { return tool_numbers(s); },
                   [&] { OZCLI_CALL(s, cnc_rdtofs, int16_t(n), int16_t(a.type), 8, &t); });
    tab.row({n, a.type, decimal(t.data, places)});
  }
}

void toolofs_write(Session& s, Output& out, const Args& a) {
  if (a.values.size() != 1) throw UsageError("toolofs write: give one value");
  const int places = tool_places(s);
  const int64_t v = parse_scaled(a.values[0], places, INT32_MIN, INT32_MAX, "tool offset value");
  naming_numbers("tool offset", a.number, [&] { return tool_numbers(s); },
                 [&] { OZCLI_CALL(s, cnc_wrtofs, int16_t(a.number), int16_t(a.type), 8, int32_t(v)); });
  out.field("number", a.number);
  out.field("type", a.type);
  out.field("written", decimal(v, places));
}

void workofs_read(Session& s, Output& out, const Args& a) {
  const Range r = parse_range(a.range, 0, 32767, "work offset");
  const auto axes = path_axes(s);
  const int axis = axis_of(a, int(axes.size()), "the path has " + std::to_string(axes.size()) + " axes");
  std::vector<std::string> cols = {"number"};
  for (size_t i = 0; i < axes.size(); ++i)
    if (axis == 0 || int(i) + 1 == axis) cols.push_back(axes[i].name);
  Table& tab = out.table("workofs", cols);
  for (int64_t n = r.from; n <= r.to; ++n) {
    zofs_t z{};
    naming_numbers("work offset", n, [&] { return work_numbers(s); }, [&] {
      OZCLI_CALL(s, cnc_rdzofs, int16_t(n), int16_t(axis > 0 ? axis : -1),
                 int16_t(4 + 4 * (axis > 0 ? 1 : axes.size())), &z);
    });
    std::vector<json> row{n};
    for (size_t i = 0, k = 0; i < axes.size(); ++i)
      if (axis == 0 || int(i) + 1 == axis) row.push_back(decimal(z.data[k++], axes[i].places));
    tab.row(row);
  }
}

void workofs_write(Session& s, Output& out, const Args& a) {
  const auto axes = path_axes(s);
  const int axis = axis_of(a, int(axes.size()), "the path has " + std::to_string(axes.size()) + " axes");
  if (axis > 0 ? a.values.size() != 1 : a.values.size() != axes.size())
    throw UsageError("workofs write: give one value with --axis, or one for each of the " +
                     std::to_string(axes.size()) + " axes");
  zofs_t z{};
  z.datano = int16_t(a.number);
  z.type = int16_t(axis > 0 ? axis : -1);
  Table& tab = out.table("written", {"number", "axis", "value"});
  for (size_t i = 0; i < a.values.size(); ++i) {
    const Axis& ax = axes[axis > 0 ? size_t(axis - 1) : i];
    const int64_t v = parse_scaled(a.values[i], ax.places, INT32_MIN, INT32_MAX, "work offset value for " + ax.name);
    z.data[i] = int32_t(v);
    tab.row({a.number, ax.name, decimal(v, ax.places)});
  }
  naming_numbers("work offset", a.number, [&] { return work_numbers(s); },
                 [&] { OZCLI_CALL(s, cnc_wrzofs, int16_t(4 + 4 * a.values.size()), &z); });
}

// ---- the commands -------------------------------------------------------------------

using Action = std::function<void(Session&, Output&, const Args&)>;

enum Extra { kNone = 0, kAxis = 1, kType = 2 };

// "<name> read RANGE" and "<name> write NUMBER VALUE..." with their options.
void add_family(Cli& cli, const std::string& name, const std::string& title, int extra, Action read,
                Action write) {
  auto a = std::make_shared<Args>();
  auto subs = std::make_shared<std::pair<CLI::App*, CLI::App*>>();
  CLI::App* top = cli.command(name, title, [a, subs, read, write](Session& s, Output& out) {
    if (subs->first->parsed()) read(s, out, *a);
    else write(s, out, *a);
  });
  top->require_subcommand(1);
  subs->first = top->add_subcommand("read", "Read one number or a whole range FROM-TO");
  subs->first->add_option("range", a->range, "NUMBER or FROM-TO")->required();
  std::vector<CLI::App*> all = {subs->first};
  if (write) {
    subs->second = top->add_subcommand("write", "Write the value(s) of one number");
    subs->second->add_option("number", a->number, "Number")->required()->check(CLI::Range(0, 32767));
    subs->second->add_option("values", a->values, "Value(s); decimals like 12.345")->required();
    all.push_back(subs->second);
  }
  for (CLI::App* sub : all) {
    if (extra & kAxis) sub->add_option("--axis", a->axis, "Axis 1..n: that axis only");
    if (extra & kType) sub->add_option("--type", a->type, "Offset type")->capture_default_str();
  }
}

void add_table(Cli& cli, const TableCalls& t) {
  Action write;
  if (t.write) write = [t](Session& s, Output& out, const Args& a) { table_write(s, out, t, a); };
  add_family(cli, t.name, t.title, kAxis, [t](Session& s, Output& out, const Args& a) { table_read(s, out, t, a); },
             write);
}

}  // namespace

OZCLI_FAMILY(data) {
  add_table(cli, {"param", "parameter", "Parameters (cnc_rdparam, cnc_wrparam)", "cnc_rdparam", "cnc_wrparam",
                  "cnc_rdparainfo2", cnc_rdparam, cnc_wrparam, cnc_rdparainfo2});
  add_table(cli, {"setting", "setting", "Setting data (cnc_rdset, cnc_wrset)", "cnc_rdset", "cnc_wrset",
                  "cnc_rdsetinfo2", cnc_rdset,
                  cnc_wrset, cnc_rdsetinfo2});
  add_table(cli, {"diag", "diagnostic", "Diagnostic data (cnc_diagnoss)", "cnc_diagnoss", "",
                  "cnc_rddiaginfo2", cnc_diagnoss, nullptr,
                  cnc_rddiaginfo2});
  add_family(cli, "macro", "Custom macro variables (cnc_rdmacror, cnc_wrmacro)", kNone, macro_read, macro_write);
  add_family(cli, "toolofs",
             "Tool offsets of one type, in the path's input increment (cnc_rdtofs, cnc_wrtofs)", kType,
             toolofs_read, toolofs_write);
  add_family(cli, "workofs", "Work zero offsets, 0 external, 1-6 G54-G59 (cnc_rdzofs, cnc_wrzofs)", kAxis,
             workofs_read, workofs_write);
  cli.watch_item("macro", "RANGE", "macro variables (100-105)", [](Session& s, Output& out, const std::string& range) {
    macro_rows(s, out.table("macro " + range, {"number", "value"}), range);
  });
}
