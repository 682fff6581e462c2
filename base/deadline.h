// Inactivity limits: whole seconds counted on the millisecond tick from the
// last sign of progress; 0 or a negative limit never runs out. Differences
// are taken in unsigned 32-bit arithmetic, so a wrap of the tick count does
// no harm, and whole seconds are compared, so a limit of T seconds runs out
// after more than T of them.
#pragma once
#include <cstdint>

#include "platform/platform.h"

namespace oz {

class Deadline {
 public:
  explicit Deadline(int32_t seconds) : Deadline(seconds, plat::tick_ms()) {}
  Deadline(int32_t seconds, uint32_t since) : limit_(seconds), since_(since) {}

  // Progress: the limit counts again from now.
  void restart() { since_ = plat::tick_ms(); }
  bool passed() const { return passed(plat::tick_ms()); }
  bool passed(uint32_t now) const {
    return limit_ > 0 && (now - since_) / 1000u > uint32_t(limit_);
  }

 private:
  int32_t limit_;
  uint32_t since_;
};

}  // namespace oz
