// Settings of the controller's Ethernet board: the hosts it talks to, its
// modes, parameter blocks and log.
#include "api/programs/text_fields.h"
#include "core/listed.h"

using namespace oz;
using namespace oz::prog;

namespace {

constexpr size_t kHost = 256;
constexpr int kModes = 10;
constexpr size_t kParam = OZ_ETH_PARAM_SIZE;
constexpr uint16_t kKindArgument = 2;   // detail of a refused kind: the second argument

// The numeric fields of a parameter block by its form (kind % 10): the six
// words every form has, the three values of form 2 and the two values of
// each of the three entries of forms 3 and 4. Every other byte is text.
struct ParamFields {
  int words;
  int longs;
  int longAt[6];
};
constexpr ParamFields kForms[5] = {
    {0, 0, {}},
    {6, 0, {}},
    {6, 3, {12, 16, 20}},
    {6, 6, {76, 80, 340, 344, 604, 608}},
    {6, 6, {76, 80, 340, 344, 604, 608}},
};

bool validKind(int16_t kind) {
  const int group = kind / 10, form = kind % 10;
  return kind >= 0 && group <= 8 && group % 2 == 0 && form >= 1 && form <= 4;
}

// Bytes a form needs from the reply for its numeric fields.
int formBytes(const ParamFields& f) {
  int end = 2 * f.words;
  for (int i = 0; i < f.longs; ++i) end = std::max(end, f.longAt[i] + 4);
  return end;
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL eth_rddsm198host(uint16_t h, int16_t selector, int16_t* value,
                                           char* host) {
  return call(h, __func__, args(selector, value, host), [&](Call& c) {
    const Reader d = c.exchange(cnc(701).arg1(selector));
    const int16_t v = d.i16(0);
    takeText(host, kHost, d, 2);
    *value = v;
  });
}

OZ_EXPORT int16_t OZ_CALL eth_wrdsm198host(uint16_t h, int16_t v1, int16_t v2, const char* host) {
  return call(h, __func__, args(v1, v2, text(host)), [&](Call& c) {
    putField(c.add(cnc(702).args(v1, v2)), host, kHost, kHost);
    send(c);
  });
}

OZ_EXPORT int16_t OZ_CALL eth_rdhost(uint16_t h, int16_t selector, int16_t* value) {
  return call(h, __func__, args(selector, value),
              [&](Call& c) { *value = c.exchange(cnc(687).arg1(selector)).i16(0); });
}

OZ_EXPORT int16_t OZ_CALL eth_wrhost(uint16_t h, int16_t v1, int16_t v2) {
  return call(h, __func__, args(v1, v2), [&](Call& c) { c.exchange(cnc(688).args(v1, v2)); });
}

OZ_EXPORT int16_t OZ_CALL eth_rddsmode(uint16_t h, int16_t* modes) {
  return call(h, __func__, args(modes), [&](Call& c) {
    const Reader d = c.exchange(cnc(699)).sub(0, 2 * kModes);
    for (int i = 0; i < kModes; ++i) modes[i] = d.i16(2 * i);
  });
}

OZ_EXPORT int16_t OZ_CALL eth_rdparam(uint16_t h, int16_t kind, void* block) {
  return call(h, __func__, args(kind, block), [&](Call& c) {
    if (!validKind(kind)) raise_error(EW_VALUE, kKindArgument);
    const ParamFields& f = kForms[kind % 10];
    const Reader d = c.exchange(cnc(728).arg1(kind));
    expect(d.size() >= formBytes(f), EW_SIZE);
    auto* b = static_cast<uint8_t*>(block);
    // Bytes a short reply leaves out are zero, never the caller's old ones.
    const size_t got = d.copy(b, 0, kParam);
    std::memset(b + got, 0, kParam - got);
    for (int i = 0; i < f.words; ++i) store(b, size_t(2 * i), be::get16(b + 2 * i));
    for (int i = 0; i < f.longs; ++i) store(b, size_t(f.longAt[i]), be::get32(b + f.longAt[i]));
  });
}

// Blocks whose layout the board defines: carried as they travel.
#define ROWS(X)                                              \
  X(eth_rddsm198dir, Read, 1, (673), selector)               \
  X(eth_wrdsm198dir, Write, 1, (674), selector)              \
  X(eth_rdlog, Read, 1, (700), kind, start, count)           \
  X(eth_wrparam, Write, 1, (729), selector)
ROWS(OZ_LISTED_DEFINE)
OZ_LISTED_TABLE(prog_ethernet, ROWS)
