// Rendering a command's result: aligned text for people, CSV for
// spreadsheets, JSON for programs. The commands fill one Output; which form
// it takes is decided here and nowhere else.
#include <algorithm>
#include <map>

#include "command.h"
#include "output_detail.h"

namespace ozcli {

namespace detail {

// A key no controller data can produce, so a marker is never mistaken for a
// value.
constexpr const char* kExact = "\x1f" "exact";

json exact_number(const std::string& text) { return json::object({{kExact, text}}); }

static bool is_exact(const json& v) { return v.is_object() && v.size() == 1 && v.contains(kExact); }

std::string shown(const json& v) {
  if (v.is_null()) return "-";
  if (v.is_string()) return v.get<std::string>();
  if (v.is_boolean()) return v.get<bool>() ? "yes" : "no";
  if (is_exact(v)) return v[kExact].get<std::string>();
  if (v.is_array()) {
    std::string s;
    for (const json& e : v) s += (s.empty() ? "" : " ") + shown(e);
    return s;
  }
  return v.dump();
}

std::string snake(const std::string& name) {
  std::string s;
  for (char c : name) {
    if (c == ' ' || c == '-' || c == '.') c = '_';
    else if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c == '_' && (s.empty() || s.back() == '_')) continue;
    s += c;
  }
  while (!s.empty() && s.back() == '_') s.pop_back();
  return s;
}

std::string spoken(const std::string& name) {
  std::string s = name;
  std::replace(s.begin(), s.end(), '_', ' ');
  return s;
}

json plain(const json& v) {
  if (is_exact(v)) return json::parse(v[kExact].get<std::string>());
  if (v.is_array()) {
    json a = json::array();
    for (const json& e : v) a.push_back(plain(e));
    return a;
  }
  if (v.is_object()) {
    json o = json::object();
    for (auto it = v.begin(); it != v.end(); ++it) o[snake(it.key())] = plain(it.value());
    return o;
  }
  return v;
}

}  // namespace detail

using detail::shown;
using detail::snake;
using detail::spoken;

namespace {

bool right_aligned(const json& v) {
  if (v.is_array()) return !v.empty() && right_aligned(v.front());
  return v.is_number() || (v.is_object() && !v.empty());
}

// RFC 4180: quoted when it holds a separator, a quote, a line end or edge
// blanks; quotes doubled.
std::string csv_cell(const std::string& s) {
  const bool quote = s.find_first_of(",\"\r\n") != std::string::npos ||
                     (!s.empty() && (s.front() == ' ' || s.back() == ' '));
  if (!quote) return s;
  std::string q = "\"";
  for (char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

void csv_line(std::ostream& os, const std::vector<std::string>& cells) {
  for (size_t i = 0; i < cells.size(); ++i) os << (i ? "," : "") << csv_cell(cells[i]);
  os << "\r\n";
}

// CSV cells: blanks stand for nothing, not "-".
std::string csv_text(const json& v) { return v.is_null() ? std::string() : shown(v); }

}  // namespace

// ---- tables ----------------------------------------------------------------------

Table& Table::row(std::vector<json> cells) {
  cells.resize(columns_.size());
  rows_.push_back(std::move(cells));
  return *this;
}

json Table::to_json() const {
  json a = json::array();
  for (auto& r : rows_) {
    json o = json::object();
    for (size_t c = 0; c < columns_.size(); ++c) o[snake(columns_[c])] = detail::plain(r[c]);
    a.push_back(std::move(o));
  }
  return a;
}

void Table::print(std::ostream& os, const std::string& indent) const {
  std::vector<size_t> w(columns_.size());
  for (size_t c = 0; c < columns_.size(); ++c) {
    w[c] = spoken(columns_[c]).size();
    for (auto& r : rows_) w[c] = std::max(w[c], shown(r[c]).size());
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
  std::vector<std::string> head;
  for (size_t c = 0; c < columns_.size(); ++c) {
    for (auto& r : rows_)
      if (!r[c].is_null()) {
        right[c] = right_aligned(r[c]);
        break;
      }
    head.push_back(spoken(columns_[c]));
  }
  line(head, right);
  for (auto& r : rows_) {
    std::vector<std::string> cells;
    std::vector<bool> ra;
    for (size_t c = 0; c < r.size(); ++c) {
      cells.push_back(shown(r[c]));
      ra.push_back(r[c].is_null() ? right[c] : right_aligned(r[c]));
    }
    line(cells, ra);
  }
}

void Table::print_csv(std::ostream& os) const {
  std::vector<std::string> head;
  for (auto& c : columns_) head.push_back(snake(c));
  csv_line(os, head);
  for (auto& r : rows_) {
    std::vector<std::string> cells;
    for (auto& v : r) cells.push_back(csv_text(v));
    csv_line(os, cells);
  }
}

// ---- outputs ------------------------------------------------------------------------

Output& Output::field(const std::string& name, json value, const std::string& unit) {
  items_.push_back(Item{name, std::move(value), unit, nullptr, nullptr, {}});
  return *this;
}

Table& Output::table(const std::string& name, std::vector<std::string> columns) {
  items_.push_back(Item{name, {}, {}, std::make_unique<Table>(std::move(columns)), nullptr, {}});
  return *items_.back().table;
}

Output& Output::section(const std::string& name) {
  items_.push_back(Item{name, {}, {}, nullptr, std::make_unique<Output>(), {}});
  return *items_.back().section;
}

Output& Output::item(const std::string& array, const std::string& title) {
  items_.push_back(Item{array, {}, {}, nullptr, std::make_unique<Output>(), title.empty() ? array : title});
  return *items_.back().section;
}

json Output::to_json() const {
  json o = json::object();
  for (auto& it : items_) {
    const std::string key = snake(it.name);
    if (!it.title.empty()) {
      if (!o.contains(key)) o[key] = json::array();
      o[key].push_back(it.section->to_json());
    } else if (it.table) {
      o[key] = it.table->to_json();
    } else if (it.section) {
      o[key] = it.section->to_json();
    } else {
      o[key] = detail::plain(it.value);
    }
  }
  return o;
}

void Output::print_fields(std::ostream& os, const std::string& indent, size_t& i) const {
  size_t end = i, w = 0;
  while (end < items_.size() && !items_[end].table && !items_[end].section)
    w = std::max(w, spoken(items_[end++].name).size());
  // Numbers line up on their right edge, text on its left, as in a table.
  size_t nw = 0;
  for (size_t k = i; k < end; ++k)
    if (right_aligned(items_[k].value)) nw = std::max(nw, shown(items_[k].value).size());
  for (; i < end; ++i) {
    const Item& it = items_[i];
    const std::string name = spoken(it.name);
    std::string v = shown(it.value);
    if (right_aligned(it.value)) v.insert(0, nw - v.size(), ' ');
    std::string s = indent + name + std::string(w - name.size() + 2, ' ') + v;
    if (!it.unit.empty()) s += " " + it.unit;
    while (!s.empty() && s.back() == ' ') s.pop_back();
    os << s << "\n";
  }
}

// Consecutive fields form one aligned block; tables, sections and array
// elements are set off by a title line.
void Output::print(std::ostream& os, const std::string& indent) const {
  size_t i = 0;
  while (i < items_.size()) {
    if (i > 0) os << "\n";
    const Item& it = items_[i];
    if (!it.table && !it.section) {
      print_fields(os, indent, i);
      continue;
    }
    os << indent << spoken(it.title.empty() ? it.name : it.title) << ":\n";
    if (it.table)
      it.table->print(os, indent + "  ");
    else
      it.section->print(os, indent + "  ");
    ++i;
  }
}

// Blocks separated by an empty line: a run of fields is one row under their
// names, a table is itself, and the elements of an array that hold only
// fields are rows of one table.
void Output::print_csv(std::ostream& os) const {
  bool first = true;
  auto gap = [&] {
    if (!first) os << "\r\n";
    first = false;
  };
  auto flat = [](const Item& it) {
    return !it.title.empty() &&
           std::all_of(it.section->items_.begin(), it.section->items_.end(),
                       [](const Item& f) { return !f.table && !f.section; });
  };
  for (size_t i = 0; i < items_.size();) {
    const Item& it = items_[i];
    gap();
    if (it.table) {
      it.table->print_csv(os);
      ++i;
    } else if (!it.section) {
      std::vector<std::string> cols;
      std::vector<json> row;
      for (; i < items_.size() && !items_[i].table && !items_[i].section; ++i) {
        cols.push_back(items_[i].name);
        row.push_back(items_[i].value);
      }
      Table(cols).row(row).print_csv(os);
    } else if (flat(it)) {
      std::vector<std::string> cols;
      for (const Item& f : it.section->items_) cols.push_back(f.name);
      Table t(cols);
      for (; i < items_.size() && items_[i].name == it.name && flat(items_[i]); ++i) {
        std::vector<json> row;
        for (const Item& f : items_[i].section->items_) row.push_back(f.value);
        t.row(row);
      }
      t.print_csv(os);
    } else {
      it.section->print_csv(os);
      ++i;
    }
  }
}

}  // namespace ozcli
