// Operator panel of the simulated machine: signal blocks, general-purpose
// switches and their names by selector, and the menu switches.
#include <array>
#include <map>
#include <string>

#include "sim/data_wire.h"
#include "sim/machine.h"

using namespace oz::sim;
using oz::sim::data::In;

namespace {

constexpr int kSignalWords = 13, kNames = 16;
constexpr size_t kNameChars = 8;

struct Panel {
  std::map<int32_t, std::array<int16_t, kSignalWords>> signals;
  std::map<int32_t, int16_t> switches;
  std::map<int32_t, std::array<std::string, kNames>> names;
  int32_t menu = 0;
};

Panel& panel(Machine& m) { return m.state<Panel>(); }

// Switches that were never named read "SW" and their number.
std::array<std::string, kNames>& names_of(Machine& m, int32_t selector) {
  auto [it, fresh] = panel(m).names.try_emplace(selector);
  if (fresh)
    for (int i = 0; i < kNames; ++i) it->second[size_t(i)] = "SW" + std::to_string(i + 1);
  return it->second;
}

}  // namespace

OZ_SIM_FAMILY(machine_panel) {
  m.on(1, 93, [](Machine& m, const RbRequest& q) {
    RbReply r;
    for (int16_t w : panel(m).signals[q.a1]) r.i16(w);
    return r;
  });
  m.on(1, 94, [](Machine& m, const RbRequest& q) {
    const In in{q.data};
    if (!in.has(0, 2 * kSignalWords)) return RbReply::fail(2);
    auto& s = panel(m).signals[q.a1];
    for (int i = 0; i < kSignalWords; ++i) s[size_t(i)] = in.i16(2 * size_t(i));
    return RbReply();
  });
  m.on(1, 95, [](Machine& m, const RbRequest& q) { return RbReply().i16(panel(m).switches[q.a1]); });
  m.on(1, 96, [](Machine& m, const RbRequest& q) {
    const In in{q.data};
    if (!in.has(0, 2)) return RbReply::fail(2);
    panel(m).switches[q.a1] = in.i16(0);
    return RbReply();
  });
  m.on(1, 97, [](Machine& m, const RbRequest& q) {
    RbReply r;
    for (const std::string& n : names_of(m, q.a1)) r.text(n, kNameChars);
    return r;
  });
  m.on(1, 98, [](Machine& m, const RbRequest& q) {
    auto& names = names_of(m, q.a1);
    const size_t n = std::min<size_t>(q.data.size() / kNameChars, kNames);
    for (size_t i = 0; i < n; ++i) {
      std::string s(q.data.begin() + long(kNameChars * i), q.data.begin() + long(kNameChars * (i + 1)));
      names[i] = s.substr(0, s.find_last_not_of(' ') + 1);
    }
    return RbReply();
  });
  m.on(1, 277, [](Machine& m, const RbRequest&) { return RbReply().i32(panel(m).menu); });
  // The selector is a mask: only the switches it names take the value's bits.
  m.on(1, 278, [](Machine& m, const RbRequest& q) {
    const In in{q.data};
    if (!in.has(0, 4)) return RbReply::fail(2);
    const int32_t mask = uint16_t(q.a1);
    int32_t& menu = panel(m).menu;
    menu = (menu & ~mask) | (in.i32(0) & mask);
    return RbReply();
  });
}
