#include "base/profile.h"

#include <cstring>
#include <fstream>
#include <string_view>

namespace oz {

namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool same(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

size_t put(std::string_view v, char* out, size_t size) {
  if (size == 0 || out == nullptr) return 0;
  const size_t n = v.size() < size - 1 ? v.size() : size - 1;
  if (n) std::memcpy(out, v.data(), n);   // an empty view may hold no pointer at all
  out[n] = '\0';
  return n;
}

}  // namespace

bool Profile::load(const std::string& path) {
  entries_.clear();
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  std::string text(kProfileMaxBytes, '\0');
  f.read(text.data(), std::streamsize(text.size()));
  text.resize(size_t(f.gcount()));
  parse(text);
  return true;
}

void Profile::parse(const std::string& all) {
  entries_.clear();
  std::string_view rest(all);
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
  std::string section;
  bool in_section = false;   // keys before the first section belong to none
  while (!rest.empty()) {
    const size_t nl = rest.find('\n');
    std::string_view line = trim(rest.substr(0, nl));
    rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const size_t close = line.rfind(']');
      if (close == std::string_view::npos) continue;
      section = std::string(trim(line.substr(1, close - 1)));
      in_section = true;
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos || !in_section) continue;
    std::string_view key = trim(line.substr(0, eq));
    std::string_view value = trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    entries_.push_back({section, std::string(key), std::string(value)});
  }
}

size_t Profile::get(const char* section, const char* key, const char* dflt, char* out,
                    size_t size) const {
  if (section && key)
    for (const Entry& e : entries_)
      if (same(e.section, section) && same(e.key, key)) return put(e.value, out, size);
  std::string_view d = dflt ? std::string_view(dflt) : std::string_view();
  while (!d.empty() && d.back() == ' ') d.remove_suffix(1);
  return put(d, out, size);
}

}  // namespace oz
