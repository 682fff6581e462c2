// Helpers shared by the parameter, macro and offset families.
#pragma once
#include <algorithm>
#include <cstdint>

#include "core/frame.h"

namespace oz::data {

// The request set the controller speaks, fixed at allocation by the handle flags.
enum class Dialect { Current, Compact, Packed };

inline Dialect dialect(const Handle& h) {
  if (h.has(kDialectPacked)) return Dialect::Packed;
  if (h.has(kDialectCompact)) return Dialect::Compact;
  return Dialect::Current;
}

// Sends one RB and hands back its reply data and result word. A result that
// the caller tolerates (range ends) is left to it; any other raises.
struct Reply {
  int16_t result;
  Reader data;
};
inline Reply exchangeTolerant(Call& c, const Rb& r) {
  c.reset();
  c.add(r);
  c.exchange();
  const int16_t res = c.result(0);
  return {res, c.rbAny(0)};
}

// The integer value element every numeric table sends: value, 0, 0xFFFF.
inline void putIntElement(RbData& d, int32_t v) { d.i32(v).u16(0).u16(0xFFFF); }

}  // namespace oz::data
