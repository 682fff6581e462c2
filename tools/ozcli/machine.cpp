#include "machine.h"

#include <cstring>

namespace ozcli {

std::vector<Axis> path_axes(Session& s) {
  axisrec_t r[4 * 32];
  int16_t count = 32;
  OZCLI_CALL(s, cnc_rdposition, int16_t(-1), &count, r);
  std::vector<Axis> axes;
  for (int j = 0; j < count && j < 32; ++j) {
    const axisrec_t& abs = r[4 * j];
    std::string name(abs.tail.pos.name, strnlen(abs.tail.pos.name, 2));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    axes.push_back({name.empty() ? std::to_string(j + 1) : name, abs.dec});
  }
  return axes;
}

const std::vector<std::string>& mode_names() {
  static const std::vector<std::string> names = {"mdi",     "memory",       "none",        "edit",
                                                 "handle",  "jog",          "teach_jog",   "teach_handle",
                                                 "step",    "reference",    "remote"};
  return names;
}

std::string word_name(const std::vector<std::string>& names, int value) {
  if (value >= 0 && size_t(value) < names.size()) return names[size_t(value)];
  return "code " + std::to_string(value);
}

}  // namespace ozcli
