// Data protection: the operation level, protection passwords and levels as
// ordinary requests, and the lock status and protection bits, which the
// controller keeps per connection and so are asked on both.
#include <initializer_list>

#include "core/frame.h"

using namespace oz;

namespace {

constexpr uint16_t kPassword = 12;

// One question on one connection: 32-bit words as the body; the status comes
// back at body offset 4, inside what reads as the header of reply RB 0.
uint32_t ask(Call& c, uint8_t type, std::initializer_list<uint32_t> words) {
  c.reset();
  int at = 0;
  for (uint32_t w : words) {
    be::put32(c.pdu.body() + at, w);
    at += 4;
  }
  c.pdu.setDataSize(uint16_t(at));
  c.exchange(type);
  c.rb(0);
  return Reader(c.pdu.body(), c.pdu.dataSize()).u32(4);
}

// The same question on sock1, then on sock2, with no transfer session in
// between: the transfer lock is taken without waiting and held meanwhile.
uint32_t askBoth(Call& c, uint8_t first, uint8_t second, std::initializer_list<uint32_t> words) {
  expect(c.h.has(kProtocol2), EW_UNAVAILABLE);
  FileLock hold;
  hold.bind(c.h.circuit);
  expect(hold.acquire(0), EW_INUSE);
  const uint32_t a = ask(c, first, words);
  return a | ask(c, second, words);
}

// Four bytes, least significant first, whatever the host's order.
uint32_t fromBytes(const uint8_t* b) {
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}
void toBytes(uint8_t* b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[i] = uint8_t(v >> (8 * i));
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdope_lvl(uint16_t h, int16_t* level) {
  return call(h, __func__, args(level), [&](Call& c) { *level = c.exchange(cnc(192)).i16(0); });
}

OZ_EXPORT int16_t OZ_CALL cnc_prot_pswinp(uint16_t h, const char* password) {
  return call(h, __func__, args(static_cast<const void*>(password)), [&](Call& c) {
    c.add(cnc(193)).bytes(password, kPassword);
    c.exchange();
    c.rb(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_prot_pswcan(uint16_t h) {
  return call(h, __func__, args(), [&](Call& c) { c.exchange(cnc(194)); });
}

OZ_EXPORT int16_t OZ_CALL cnc_prot_pswchg(uint16_t h, int16_t kind, const char* psw1,
                                          const char* psw2, const char* psw3) {
  return call(h, __func__, args(kind, static_cast<const void*>(psw1)), [&](Call& c) {
    c.add(cnc(195).arg1(kind)).bytes(psw1, kPassword).bytes(psw2, kPassword).bytes(psw3, kPassword);
    c.exchange();
    c.rb(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_prot_pswinit(uint16_t h, int16_t kind) {
  return call(h, __func__, args(kind), [&](Call& c) { c.exchange(cnc(196).arg1(kind)); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdprt_lvl(uint16_t h, int16_t kind, int16_t* level1, int16_t* level2) {
  return call(h, __func__, args(kind, level1, level2), [&](Call& c) {
    Reader d = c.exchange(cnc(197).arg1(kind));
    const int16_t a = d.i16(0), b = d.i16(2);
    *level1 = a;
    *level2 = b;
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wrprt_lvl(uint16_t h, int16_t kind, int16_t level1, int16_t level2) {
  return call(h, __func__, args(kind, level1, level2),
              [&](Call& c) { c.exchange(cnc(198).args(kind, level1, level2)); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdprt_data(uint16_t h, int16_t kind, int16_t* value) {
  return call(h, __func__, args(kind, value),
              [&](Call& c) { *value = c.exchange(cnc(199).arg1(kind)).i16(0); });
}

OZ_EXPORT int16_t OZ_CALL cnc_getlockstat(uint16_t h, int16_t kind, uint8_t status[4]) {
  return call(h, __func__, args(kind, status), [&](Call& c) {
    toBytes(status, askBoth(c, kLockStat1, kLockStat2, {uint32_t(int32_t(kind))}));
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_chgprotbit(uint16_t h, int16_t kind, uint8_t mask[4], int32_t value) {
  return call(h, __func__, args(kind, mask, value), [&](Call& c) {
    const uint32_t m = fromBytes(mask);
    toBytes(mask, askBoth(c, kProtBit1, kProtBit2, {uint32_t(int32_t(kind)), m, uint32_t(value)}));
  });
}
