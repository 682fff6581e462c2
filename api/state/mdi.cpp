// Manual data input.
#include "core/frame.h"

using namespace oz;

// The text travels without its terminator; only the handle appears in the
// error line.
OZ_EXPORT int16_t OZ_CALL cnc_wrjogmdi(uint16_t h, const char* text) {
  return call(h, __func__, args(), [&](Call& c) {
    const size_t n = text ? std::strlen(text) : 0;
    expect(n <= 126, EW_RANGE);
    c.exchange(cnc(408).with(text, uint16_t(n)));
  });
}
