// What the history, sampling and waveform exports share.
#pragma once
#include "api/state/state.h"

namespace oz::events {

// A request whose reply carries nothing the caller needs.
template <class A>
int16_t send(uint16_t h, const char* fn, const A& a, const Rb& rb) {
  return call(h, fn, a, [&](Call& c) { c.exchange(rb); });
}

}  // namespace oz::events
