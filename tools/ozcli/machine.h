// What several families need to know about the selected path: its axes,
// with the decimal places the controller reports for each, and the names of
// the status words.
#pragma once
#include <string>
#include <vector>

#include "command.h"

namespace ozcli {

struct Axis {
  std::string name;   // "X", "A1"
  int places = 0;     // decimal places of its positions, the input increment
};

// The path's axes in order (cnc_rdposition: names and decimal places).
std::vector<Axis> path_axes(Session& s);

// The mode word's values by name, as `status` shows them and `sim mode`
// takes them.
const std::vector<std::string>& mode_names();
// A status word's name, or "code N" for a value without one.
std::string word_name(const std::vector<std::string>& names, int value);

}  // namespace ozcli
