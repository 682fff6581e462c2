// `ozcli param|setting|diag|macro|toolofs|workofs read|write`: the numbered
// tables of the controller. Ranges are written FROM-TO (`param read 1020-1030`).
// Decimal values are typed and printed as decimals ("12.345"); the library's
// (value, decimal places) pairs are converted here and nowhere else.
#include <cmath>
#include <cstring>
#include <map>

#include "command.h"

using namespace ozcli;

namespace {

struct Range {
  int from = 0, to = 0;
};

Range parse_range(const std::string& text) {
  auto whole = [&](const std::string& part) {
    size_t used = 0;
    const int v = std::stoi(part, &used);
    if (used != part.size()) throw std::invalid_argument(part);
    return v;
  };
  Range r;
  const size_t dash = text.find('-', 1);
  try {
    r.from = whole(text.substr(0, dash));
    r.to = dash == std::string::npos ? r.from : whole(text.substr(dash + 1));
  } catch (const std::exception&) {
    throw UsageError("not a number or range FROM-TO: " + text);
  }
  if (r.to < r.from) throw UsageError("range ends before it starts: " + text);
  return r;
}

struct Decimal {
  int32_t value = 0;
  int16_t dec = 0;
};

Decimal parse_decimal(const std::string& text) {
  const size_t dot = text.find('.');
  std::string digits = text;
  int16_t dec = 0;
  if (dot != std::string::npos) {
    digits = text.substr(0, dot) + text.substr(dot + 1);
    dec = int16_t(text.size() - dot - 1);
  }
  try {
    size_t used = 0;
    const long long v = std::stoll(digits, &used);
    if (used != digits.size() || v > INT32_MAX || v < INT32_MIN) throw std::out_of_range(text);
    return {int32_t(v), dec};
  } catch (const std::exception&) {
    throw UsageError("not a decimal value: " + text);
  }
}

json decimal_text(int32_t v, int dec) {
  if (dec <= 0) return json(int64_t(v) * int64_t(std::pow(10, -dec)));
  std::string s = std::to_string(v < 0 ? -int64_t(v) : int64_t(v));
  if (int(s.size()) <= dec) s.insert(0, size_t(dec + 1) - s.size(), '0');
  s.insert(s.size() - size_t(dec), ".");
  return json((v < 0 ? "-" : "") + s);
}

// ---- parameters, settings, diagnostics ------------------------------------------

using ReadOne = int16_t (*)(uint16_t, int16_t, int16_t, int16_t, param_t*);
using WriteOne = int16_t (*)(uint16_t, int16_t, const param_t*);
using Info2 = int16_t (*)(uint16_t, int16_t, int16_t*, int16_t*, int16_t*, parainfo2_t*);

struct TableCalls {
  const char* name;
  const char* title;
  ReadOne read;
  WriteOne write;   // null: read-only table
  Info2 info;
};

int value_size(int type) { return type == 2 ? 2 : type == 3 ? 4 : type == 4 ? 8 : 1; }

json value_of(const param_t& p, int type, int i) {
  switch (type) {
    case 2: return p.u.idatas[i];
    case 3: return p.u.ldatas[i];
    case 4: return decimal_text(p.u.rdatas[i].prm_val, p.u.rdatas[i].dec_val);
    default: return p.u.cdatas[i];
  }
}

// The path's axis count: axes above it are refused before anything is sent.
int axis_count(Session& s) {
  zofs_t z{};
  int lo = 0, hi = 33;   // lo is known valid, hi known refused
  while (hi - lo > 1) {
    const int mid = (lo + hi) / 2;
    (cnc_rdzofs(s.handle(), 0, int16_t(mid), 8, &z) == EW_KIND ? hi : lo) = mid;
  }
  return lo;
}

struct Attr {
  int type, attr;   // attr: 0 one value, 1 per axis, 2 per spindle
};

std::map<int, Attr> list_entries(Session& s, const TableCalls& t, Range r) {
  std::map<int, Attr> out;
  for (int start = r.from; start <= r.to;) {
    parainfo2_t info[64];
    int16_t n = 64, prev = 0, next = 0;
    s.check("info", t.info(s.handle(), int16_t(start), &n, &prev, &next, info));
    for (int i = 0; i < n; ++i)
      if (info[i].prm_no >= r.from && info[i].prm_no <= r.to)
        out[info[i].prm_no] = {info[i].attr[0], info[i].attr[1]};
    if (n < 64 || next <= start) break;
    start = next;
  }
  return out;
}

std::vector<json> read_entry(Session& s, const TableCalls& t, int number, Attr a, int axes) {
  param_t p{};
  std::vector<json> values;
  if (a.attr == 1) {
    s.check(t.name, t.read(s.handle(), int16_t(number), -1, int16_t(4 + axes * value_size(a.type)), &p));
    for (int i = 0; i < axes; ++i) values.push_back(value_of(p, a.type, i));
  } else if (a.attr == 2) {
    // One spindle at a time: the spindle count is the controller's to know.
    for (int k = 1; k <= 8 && t.read(s.handle(), int16_t(number), int16_t(k), sizeof p, &p) == 0; ++k)
      values.push_back(value_of(p, a.type, 0));
  } else {
    s.check(t.name, t.read(s.handle(), int16_t(number), 0, sizeof p, &p));
    values.push_back(value_of(p, a.type, 0));
  }
  return values;
}

void table_read(Session& s, Output& out, const TableCalls& t, const std::string& range) {
  const Range r = parse_range(range);
  const auto entries = list_entries(s, t, r);
  const int axes = axis_count(s);
  Table& tab = out.table(t.name, {"number", "type", "values"});
  static const char* kTypes[] = {"bit", "byte", "word", "2-word", "real"};
  for (const auto& [number, a] : entries)
    tab.row({number, a.type >= 0 && a.type <= 4 ? kTypes[a.type] : "?", read_entry(s, t, number, a, axes)});
}

void table_write(Session& s, Output& out, const TableCalls& t, int number, int axis,
                 const std::vector<std::string>& values) {
  const auto entries = list_entries(s, t, {number, number});
  if (entries.empty()) throw UsageError("no such entry: " + std::to_string(number));
  const Attr a = entries.begin()->second;
  if (values.empty() || values.size() > 32) throw UsageError("give 1 to 32 values");
  param_t p{};
  p.datano = int16_t(number);
  p.type = int16_t(values.size() > 1 ? -1 : axis);
  for (size_t i = 0; i < values.size(); ++i) {
    const Decimal d = parse_decimal(values[i]);
    switch (a.type) {
      case 2: p.u.idatas[i] = int16_t(d.value); break;
      case 3: p.u.ldatas[i] = d.value; break;
      case 4: p.u.rdatas[i] = {d.value, d.dec}; break;
      default: p.u.cdatas[i] = int8_t(d.value);
    }
  }
  s.check(t.name, t.write(s.handle(), int16_t(4 + values.size() * size_t(value_size(a.type))), &p));
  out.field("written", number);
}

// ---- macro variables and offsets --------------------------------------------------

struct Args {
  std::string range;
  int number = 0;
  int axis = 0;
  int type = 0;
  std::vector<std::string> values;
};

json macro_value(const macro_entry_t& e) {
  // Never written: value 0 with -1 decimal places.
  if (e.mcr_val == 0 && e.dec_val == -1) return nullptr;
  return decimal_text(e.mcr_val, e.dec_val);
}

void macro_read(Session& s, Output& out, const Args& a) {
  const Range r = parse_range(a.range);
  Table& tab = out.table("macro", {"number", "value"});
  for (int from = r.from; from <= r.to;) {
    const int n = std::min(r.to - from + 1, 64);
    std::vector<uint8_t> mem(8 + 8 * size_t(n));
    auto* rec = reinterpret_cast<macror_t*>(mem.data());
    OZCLI_CALL(s, cnc_rdmacror, int16_t(from), int16_t(from + n - 1), int16_t(mem.size()), rec);
    const int got = rec->datano_e - rec->datano_s + 1;
    for (int i = 0; i < got; ++i) {
      macro_entry_t e;
      std::memcpy(&e, mem.data() + 8 + 8 * size_t(i), sizeof e);
      tab.row({from + i, macro_value(e)});
    }
    if (got < n) break;
    from += n;
  }
}

void macro_write(Session& s, Output& out, const Args& a) {
  if (a.values.size() != 1) throw UsageError("give one value");
  const Decimal d = parse_decimal(a.values[0]);
  OZCLI_CALL(s, cnc_wrmacro, int16_t(a.number), 10, d.value, d.dec);
  out.field("written", a.number);
}

void toolofs_read(Session& s, Output& out, const Args& a) {
  const Range r = parse_range(a.range);
  Table& tab = out.table("toolofs", {"number", "type", "value"});
  for (int n = r.from; n <= r.to; ++n) {
    tofs_t t{};
    OZCLI_CALL(s, cnc_rdtofs, int16_t(n), int16_t(a.type), 8, &t);
    tab.row({n, a.type, t.data});
  }
}

void toolofs_write(Session& s, Output& out, const Args& a) {
  if (a.values.size() != 1) throw UsageError("give one value");
  OZCLI_CALL(s, cnc_wrtofs, int16_t(a.number), int16_t(a.type), 8, parse_decimal(a.values[0]).value);
  out.field("written", a.number);
}

void workofs_read(Session& s, Output& out, const Args& a) {
  const Range r = parse_range(a.range);
  const int axes = axis_count(s);
  Table& tab = out.table("workofs", {"number", "values"});
  for (int n = r.from; n <= r.to; ++n) {
    zofs_t z{};
    OZCLI_CALL(s, cnc_rdzofs, int16_t(n), -1, int16_t(4 + 4 * axes), &z);
    tab.row({n, std::vector<int32_t>(z.data, z.data + axes)});
  }
}

void workofs_write(Session& s, Output& out, const Args& a) {
  const int axes = axis_count(s);
  const bool all = a.values.size() > 1;
  if (all ? int(a.values.size()) != axes : a.values.size() != 1)
    throw UsageError("give one value with --axis, or one per axis (" + std::to_string(axes) + ")");
  zofs_t z{};
  z.datano = int16_t(a.number);
  z.type = int16_t(all ? -1 : a.axis);
  for (size_t i = 0; i < a.values.size(); ++i) z.data[i] = parse_decimal(a.values[i]).value;
  OZCLI_CALL(s, cnc_wrzofs, int16_t(4 + 4 * a.values.size()), &z);
  out.field("written", a.number);
}

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
  subs->first = top->add_subcommand("read", "Read one number or a range FROM-TO");
  subs->first->add_option("range", a->range, "NUMBER or FROM-TO")->required();
  std::vector<CLI::App*> all = {subs->first};
  if (write) {
    subs->second = top->add_subcommand("write", "Write values of one number");
    subs->second->add_option("number", a->number, "Number")->required();
    subs->second->add_option("values", a->values, "Value(s); decimals like 12.345")->required();
    all.push_back(subs->second);
  }
  for (CLI::App* sub : all) {
    if (extra & kAxis) sub->add_option("--axis", a->axis, "Axis (1..n), for a single value");
    if (extra & kType) sub->add_option("--type", a->type, "Offset type");
  }
}

void add_table(Cli& cli, const TableCalls& t) {
  Action write;
  if (t.write)
    write = [t](Session& s, Output& out, const Args& a) { table_write(s, out, t, a.number, a.axis, a.values); };
  add_family(cli, t.name, t.title, kAxis,
             [t](Session& s, Output& out, const Args& a) { table_read(s, out, t, a.range); }, write);
}

}  // namespace

OZCLI_FAMILY(data) {
  add_table(cli, {"param", "Parameters (cnc_rdparam, cnc_wrparam)", cnc_rdparam, cnc_wrparam, cnc_rdparainfo2});
  add_table(cli, {"setting", "Setting data (cnc_rdset, cnc_wrset)", cnc_rdset, cnc_wrset, cnc_rdsetinfo2});
  add_table(cli, {"diag", "Diagnostic data (cnc_diagnoss)", cnc_diagnoss, nullptr, cnc_rddiaginfo2});
  add_family(cli, "macro", "Custom macro variables (cnc_rdmacror, cnc_wrmacro)", kNone, macro_read, macro_write);
  add_family(cli, "toolofs", "Tool offsets of one type (cnc_rdtofs, cnc_wrtofs)", kType, toolofs_read,
             toolofs_write);
  add_family(cli, "workofs", "Work zero offsets, 0 external, 1-6 G54-G59 (cnc_rdzofs, cnc_wrzofs)", kAxis,
             workofs_read, workofs_write);
}
