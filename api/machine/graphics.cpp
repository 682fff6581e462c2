// Graphics and drawing data: the controller collects tool-path positions and
// dynamic graphics into a buffer that the application reads in pieces.
#include "api/state/state.h"

using namespace oz;
using namespace oz::state;

namespace {

// The controller hands out at most this many bytes a read, in whole words.
constexpr int16_t kMostBytes = 256;

int16_t action(uint16_t h, const char* fn, uint16_t cmd) {
  return call(h, fn, args(), [&](Call& c) { c.exchange(cnc(cmd).arg1(0)); });
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_startdrawpos(uint16_t h) { return action(h, __func__, 356); }
OZ_EXPORT int16_t OZ_CALL cnc_stopdrawpos(uint16_t h) { return action(h, __func__, 357); }
OZ_EXPORT int16_t OZ_CALL cnc_startdyngrph(uint16_t h) { return action(h, __func__, 358); }
OZ_EXPORT int16_t OZ_CALL cnc_stopdyngrph(uint16_t h) { return action(h, __func__, 359); }
OZ_EXPORT int16_t OZ_CALL cnc_clrgrphcmd(uint16_t h) { return action(h, __func__, 363); }

// The count on entry is the size of the caller's buffer: a reply longer than
// that is cut to it, and the count returned is what was copied.
OZ_EXPORT int16_t OZ_CALL cnc_rdgrphcmd(uint16_t h, uint16_t* count, void* buf) {
  return call(h, __func__, args(oz::count(count), buf), [&](Call& c) {
    const uint16_t room = *count;
    auto asked = int16_t(room & ~1u);
    if (asked > kMostBytes) asked = kMostBytes;
    const Reader d = c.exchange(cnc(360).arg1(asked));
    *count = uint16_t(d.copy(buf, 0, room));
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wrgrphcmdptr(uint16_t h, int16_t pointer) {
  return call(h, __func__, args(pointer), [&](Call& c) { c.exchange(cnc(361).arg1(pointer)); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdgrphcanflg(uint16_t h, uint16_t* flag) {
  return call(h, __func__, args(flag), [&](Call& c) { *flag = c.exchange(cnc(362).arg1(0)).u16(0); });
}
