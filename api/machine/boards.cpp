// The controller's network boards: the plant network board (flnt_*, and its
// shared memory), the field-bus master seen from the CNC (pbm_*) and from
// the PMC (pmc_prf*).
#include <cstring>

#include "api/machine/pieces.h"
#include "core/listed.h"

using namespace oz;
using namespace oz::machine;

static_assert(sizeof(flntprm_t) == 148 && offsetof(flntprm_t, w68) == 68 &&
              offsetof(flntprm_t, x78) == 78 && offsetof(flntprm_t, w82) == 82 &&
              offsetof(flntprm_t, x110) == 110 && offsetof(flntprm_t, w114) == 114 &&
              offsetof(flntprm_t, b128) == 128 && offsetof(flntprm_t, x142) == 142 &&
              offsetof(flntprm_t, w146) == 146);
static_assert(sizeof(prfslvprm_short_t) == 234 && offsetof(prfslvprm_short_t, w66) == 66 &&
              offsetof(prfslvprm_short_t, w194) == 194 && offsetof(prfslvprm_short_t, b226) == 226);
static_assert(sizeof(prfslvprm_long_t) == 408 && offsetof(prfslvprm_long_t, w240) == 240 &&
              offsetof(prfslvprm_long_t, w368) == 368 && offsetof(prfslvprm_long_t, b400) == 400);

// ---- plant network board ---------------------------------------------------------------

namespace {

// The reply is laid out like the record; these are its 16-bit words, the
// rest (texts, single bytes, byte pairs) is copied as it stands.
constexpr uint8_t kFlntWords[] = {68,  70,  72,  74,  82,  86,  90,  92,  94,  98,  100, 102, 106,
                                  108, 114, 118, 122, 124, 126, 130, 132, 138, 140, 144, 146};

int16_t readFlntParam(uint16_t h, const char* fn, int16_t number, Rb rb, flntprm_t* out) {
  return call(h, fn, args(number, out), [&](Call& c) {
    Reader d = c.exchange(rb).sub(0, sizeof(flntprm_t));
    std::memcpy(out, d.raw(), sizeof(flntprm_t));
    for (uint8_t off : kFlntWords) store(out, off, d.u16(off));
  });
}

int16_t action(uint16_t h, const char* fn, Rb rb) {
  return call(h, fn, args(), [&](Call& c) { c.exchange(rb); });
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL flnt_rdparam(uint16_t h, flntprm_t* out) {
  return readFlntParam(h, __func__, 0, cnc(498), out);
}
OZ_EXPORT int16_t OZ_CALL flnt_rdparam2(uint16_t h, int16_t number, flntprm_t* out) {
  return readFlntParam(h, __func__, number, cnc(617).arg1(number), out);
}
OZ_EXPORT int16_t OZ_CALL flnt_clrnetwork(uint16_t h) { return action(h, __func__, cnc(503)); }
OZ_EXPORT int16_t OZ_CALL flnt_clrlog(uint16_t h) { return action(h, __func__, cnc(505)); }
OZ_EXPORT int16_t OZ_CALL flnt_clrmsg(uint16_t h) { return action(h, __func__, cnc(507)); }

OZ_EXPORT int16_t OZ_CALL cnc_rdflnetsram(uint16_t h, int16_t area, int32_t offset, int32_t* length,
                                          void* buf) {
  return call(h, __func__, args(area, offset, count(length), buf), [&](Call& c) {
    expect(length != nullptr && *length >= 1, EW_SIZE);
    *length = read_bytes(c, *length, false, buf,
                         [&](int32_t done, int32_t n) { return cnc(245).args(area, offset + done, n); });
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wrflnetsram(uint16_t h, int16_t area, int32_t offset, int32_t* length,
                                          const void* buf) {
  return call(h, __func__, args(area, offset, count(length), buf), [&](Call& c) {
    expect(length != nullptr && *length >= 1, EW_SIZE);
    *length = write_bytes(c, *length, false, buf,
                          [&](int32_t done, int32_t) { return cnc(246).args(area, offset + done); });
  });
}

// ---- field-bus master, CNC side ------------------------------------------------------------

OZ_EXPORT int16_t OZ_CALL pbm_rd_param(uint16_t h, int16_t kind, int16_t* length, void* buf) {
  return call(h, __func__, args(kind, count(length), buf), [&](Call& c) {
    expect(length != nullptr && *length >= 2, EW_SIZE);
    c.add(cnc(621).arg1(kind)).bytes(buf, 2);
    c.exchange();
    *length = int16_t(c.rb(0).copy(buf, 0, size_t(*length)));
  });
}

OZ_EXPORT int16_t OZ_CALL pbm_chg_mode(uint16_t h, int16_t mode) {
  return call(h, __func__, args(mode), [&](Call& c) { c.exchange(cnc(623).arg1(mode)); });
}

// ---- field-bus master, PMC side -------------------------------------------------------------

namespace {

constexpr int kSlvprmWire = 408;

// Where each part of the slave parameters lies on the wire and in the short
// record (the long record is laid out like the wire); the block at 34 is the
// one whose length differs.
struct Segment {
  uint16_t wire, short_at, short_len, long_len;
  bool words;
};
constexpr Segment kSlvprm[] = {
    {0, 0, 8, 8, true},         {8, 8, 12, 12, false},     {20, 20, 14, 14, true},
    {34, 34, 32, 206, false},   {240, 66, 2, 2, true},     {242, 68, 126, 126, false},
    {368, 194, 2, 2, true},     {370, 196, 30, 30, false}, {400, 226, 8, 8, false},
};

// The board's layout version, the first two words of its information.
bool shortLayout(const Reader& info) {
  const uint16_t major = info.u16(0), minor = info.u16(2);
  if ((major == 0 && minor == 8) || major == 1) raise_error(EW_UNDECODABLE, 0, 0, kClassPmc);
  return major == 0 && minor < 8;
}

void fromWire(const Reader& wire, bool short_form, uint8_t* rec) {
  wire.sub(0, kSlvprmWire);
  for (const Segment& s : kSlvprm) {
    const int at = short_form ? s.short_at : s.wire;
    const int len = short_form ? s.short_len : s.long_len;
    if (!s.words) wire.copy(rec + at, s.wire, size_t(len));
    for (int k = 0; s.words && k < len; k += 2) store(rec, size_t(at + k), wire.u16(s.wire + k));
  }
}

// The wire bytes the short record has no field for go out as zeros.
void toWire(const uint8_t* rec, bool short_form, uint8_t (&wire)[kSlvprmWire]) {
  std::memset(wire, 0, sizeof wire);
  for (const Segment& s : kSlvprm) {
    const int at = short_form ? s.short_at : s.wire;
    const int len = short_form ? s.short_len : s.long_len;
    if (!s.words) std::memcpy(wire + s.wire, rec + at, size_t(len));
    for (int k = 0; s.words && k < len; k += 2) {
      uint16_t v;
      std::memcpy(&v, rec + at + k, 2);
      be::put16(wire + s.wire + k, v);
    }
  }
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL pmc_prfrdslvprm(uint16_t h, int16_t slave, prfslvprm_t* out) {
  return call(h, __func__, args(slave, out), [&](Call& c) {
    c.add(pmc(370));
    c.add(pmc(374).arg1(slave));
    c.exchange();
    const bool short_form = shortLayout(c.rb(0));
    fromWire(c.rb(1), short_form, reinterpret_cast<uint8_t*>(out));
  });
}

OZ_EXPORT int16_t OZ_CALL pmc_prfwrslvprm(uint16_t h, int16_t slave, const prfslvprm_t* in) {
  return call(h, __func__, args(slave, in), [&](Call& c) {
    const bool short_form = shortLayout(c.exchange(pmc(370)));
    uint8_t wire[kSlvprmWire];
    toWire(reinterpret_cast<const uint8_t*>(in), short_form, wire);
    c.reset();
    c.exchange(pmc(375).arg1(slave).with(wire, sizeof wire));
  });
}

OZ_EXPORT int16_t OZ_CALL pmc_prfwropmode(uint16_t h, int16_t mode) {
  return call(h, __func__, args(mode), [&](Call& c) { c.exchange(pmc(446).arg1(mode)); });
}

// ---- single requests of the three boards ------------------------------------------------------

// flnt_rdnodeinfo2 takes the number before the node, the reverse of its RB
// arguments, so its row is written out below.
#define MACHINE_BOARD_ROWS(X)                                  \
  X(flnt_wrparam, Write, 1, (499))                             \
  X(flnt_rdentry, Read, 1, (500))                              \
  X(flnt_rdnodeinfo, Read, 1, (501), node)                     \
  X(flnt_rdnetwork, Read, 1, (502))                            \
  X(flnt_rdnetwork2, Read, 1, (619), number)                   \
  X(flnt_rdlog, Read, 1, (504))                                \
  X(flnt_rdlog2, Read, 1, (620), number)                       \
  X(flnt_rdmsg, Read, 1, (506), arg1, arg2)                    \
  X(pbm_wr_param, Write, 1, (622), kind)                       \
  X(pmc_prfrdinfo, Read, 2, (370))                             \
  X(pmc_prfrdconfig, Read, 2, (371))                           \
  X(pmc_prfrdbusprm, Read, 2, (372))                           \
  X(pmc_prfwrbusprm, Write, 2, (373))                          \
  X(pmc_prfrdallcadr, Read, 2, (376), slave)                   \
  X(pmc_prfwrallcadr, Write, 2, (377), slave)                  \
  X(pmc_prfrdslvaddr, Read, 2, (378))                          \
  X(pmc_prfwrslvaddr, Write, 2, (379))                         \
  X(pmc_prfrdslvstat, Read, 2, (380))                          \
  X(pmc_prfrdslvid, Read, 2, (381), slave)                     \
  X(pmc_prfwrslvid, Write, 2, (382), slave)                    \
  X(pmc_prfrdslvprm2, Read, 2, (383), slave)                   \
  X(pmc_prfwrslvprm2, Write, 2, (384), slave)                  \
  X(pmc_prfrddido, Read, 2, (385), slave)                      \
  X(pmc_prfwrdido, Write, 2, (386), slave)                     \
  X(pmc_prfrdindiadr, Read, 2, (387))                          \
  X(pmc_prfwrindiadr, Write, 2, (388))                         \
  X(pmc_prfrdopmode, Read, 2, (445))
MACHINE_BOARD_ROWS(OZ_LISTED_DEFINE)

extern const ListedRow OZ_LISTED_ROWNAME_(flnt_rdnodeinfo2);
OZ_EXPORT int16_t OZ_CALL flnt_rdnodeinfo2(uint16_t h, int32_t number, int32_t node, int16_t* length,
                                           void* buf) {
  const int32_t a[4] = {node, number};
  return listed_call(h, OZ_LISTED_ROWNAME_(flnt_rdnodeinfo2), a, length, buf);
}
const ListedRow OZ_LISTED_ROWNAME_(flnt_rdnodeinfo2) = {
    "flnt_rdnodeinfo2", Listed::Read, 1, {618}, 1, 2,
    [](uint16_t h, const int32_t* a, int16_t* l, void* b) -> int16_t {
      return flnt_rdnodeinfo2(h, a[1], a[0], l, b);
    }};

#define MACHINE_BOARD_TABLE(X) MACHINE_BOARD_ROWS(X) X(flnt_rdnodeinfo2)
OZ_LISTED_TABLE(machine_boards, MACHINE_BOARD_TABLE)
