// Macro variables of the simulated controller: local (#1-#33), common
// (#100-#199, #500-#999) and p-code (#10000-#10999) variables, kept in decimal
// form. A variable never written is vacant: value 0 with -1 decimal places on
// the wire, NaN as a double.
#include <cmath>
#include <limits>
#include <map>
#include <string>

#include "base/scaled.h"
#include "sim/data_wire.h"
#include "sim/machine.h"

namespace oz::sim {
namespace {

using data::In;

struct Var {
  int32_t v = 0;
  int16_t dec = -1;   // -1: vacant
  bool vacant() const { return dec == -1 && v == 0; }
};

struct MacroState {
  std::map<int32_t, Var> custom, pcode;
};

bool customExists(int32_t n) { return (n >= 1 && n <= 33) || (n >= 100 && n <= 199) || (n >= 500 && n <= 999); }
bool pcodeExists(int32_t n) { return n >= 10000 && n <= 10999; }

// Binary-form writes arrive as mantissa and scale; the table keeps decimals.
Var fromWire(int32_t v, uint16_t mark, int16_t dec) {
  if (mark == 10) return {v, dec};
  const scaled::Num d = scaled::binToDec(v, dec);
  return {d.m, int16_t(d.s)};
}

double toDouble(const Var& x) {
  if (x.vacant()) return std::numeric_limits<double>::quiet_NaN();
  return x.v * std::pow(10.0, -x.dec);
}

// Nine significant digits at most, as the controller keeps them.
Var fromDouble(double d) {
  if (std::isnan(d)) return {};
  int16_t dec = 0;
  while (dec < 9 && std::fabs(d * std::pow(10.0, dec + 1)) < 1e9 &&
         std::fabs(d * std::pow(10.0, dec) - std::round(d * std::pow(10.0, dec))) > 1e-9)
    ++dec;
  return {int32_t(std::llround(d * std::pow(10.0, dec))), dec};
}

using Table = std::map<int32_t, Var>;
using Exists = bool (*)(int32_t);

RbReply readVars(Table& t, Exists ok, const RbRequest& q) {
  if (!ok(q.a1)) return RbReply::fail(data::kNoEntry);
  RbReply r;
  for (int32_t n = q.a1; n <= q.a2 && ok(n); ++n) {
    const Var x = t[n];
    r.i32(x.v).u16(10).i16(x.dec);
  }
  return r;
}

RbReply writeVars(Table& t, Exists ok, const RbRequest& q) {
  if (!ok(q.a1)) return RbReply::fail(data::kNoEntry);
  In in{q.data};
  for (int32_t n = q.a1, i = 0; n <= q.a2 && in.has(size_t(8 * i), 8); ++n, ++i) {
    if (!ok(n)) return RbReply::fail(data::kNoEntry);
    t[n] = fromWire(in.i32(8 * size_t(i)), in.u16(8 * size_t(i) + 4), in.i16(8 * size_t(i) + 6));
  }
  return RbReply();
}

RbReply readDoubles(Table& t, Exists ok, const RbRequest& q) {
  if (!ok(q.a1)) return RbReply::fail(data::kNoEntry);
  RbReply r;
  for (int32_t n = q.a1; n < q.a1 + q.a2 && ok(n); ++n) data::putF64(r, toDouble(t[n]));
  return r;
}

RbReply writeDoubles(Table& t, Exists ok, const RbRequest& q) {
  if (!ok(q.a1)) return RbReply::fail(data::kNoEntry);
  In in{q.data};
  int32_t done = 0;
  for (int32_t n = q.a1; in.has(8 * size_t(done), 8) && ok(n); ++n, ++done) t[n] = fromDouble(in.f64(8 * size_t(done)));
  return RbReply().i32(done);
}

}  // namespace

OZ_SIM_FAMILY(data_macro) {
  auto custom = [](Machine& m) -> Table& { return m.state<MacroState>().custom; };
  auto pcode = [](Machine& m) -> Table& { return m.state<MacroState>().pcode; };
  m.on(kClassCnc, 21, [=](Machine& m, const RbRequest& q) { return readVars(custom(m), customExists, q); });
  m.on(kClassCnc, 22, [=](Machine& m, const RbRequest& q) { return writeVars(custom(m), customExists, q); });
  m.on(kClassCnc, 45, [=](Machine& m, const RbRequest& q) { return readVars(pcode(m), pcodeExists, q); });
  m.on(kClassCnc, 46, [=](Machine& m, const RbRequest& q) { return writeVars(pcode(m), pcodeExists, q); });
  // No 16-bit p-code area here: the client falls back to 8-byte elements.
  m.on(kClassCnc, 300, [](Machine&, const RbRequest&) { return RbReply::fail(1); });
  m.on(kClassCnc, 301, [](Machine&, const RbRequest&) { return RbReply::fail(1); });
  m.on(kClassCnc, 167, [=](Machine& m, const RbRequest& q) { return readDoubles(custom(m), customExists, q); });
  m.on(kClassCnc, 168, [=](Machine& m, const RbRequest& q) { return writeDoubles(custom(m), customExists, q); });
  m.on(kClassCnc, 169, [=](Machine& m, const RbRequest& q) { return readDoubles(pcode(m), pcodeExists, q); });
  m.on(kClassCnc, 170, [=](Machine& m, const RbRequest& q) { return writeDoubles(pcode(m), pcodeExists, q); });
  m.on(kClassCnc, 629, [=](Machine& m, const RbRequest& q) {
    Table& t = custom(m);
    RbReply r;
    int n = 0;
    for (int32_t v = q.a1; v < q.a1 + q.a2 && customExists(v); ++v, ++n) data::putF64(r, toDouble(t[v]));
    for (int i = n; i < q.a2; ++i) data::putF64(r, 0);
    for (int i = 0; i < n; ++i) {
      r.i32(q.a1 + i).i32(t[q.a1 + i].vacant() ? 1 : 0);
      for (int k = 0; k < 24; ++k) r.data.push_back(0);
    }
    return n ? r : RbReply::fail(data::kNoEntry);
  });
  m.on(kClassCnc, 23, [](Machine&, const RbRequest&) { return RbReply().i32(33).i32(4); });
  m.on(kClassCnc, 47, [](Machine&, const RbRequest&) {
    return RbReply().i32(0).i32(0).i32(0).i32(10000).i32(1000).i16(0).i16(1);
  });
  m.on(kClassCnc, 231, [](Machine&, const RbRequest&) {
    return RbReply().i32(0).i32(0).i32(0).i32(10000).i32(1000).i32(0).u16(1).u16(1).u16(1);
  });
  m.on(kClassCnc, 671, [](Machine&, const RbRequest& q) {
    static const std::map<std::string, int32_t> kNames = {{"DEPTH", 500}, {"FEED", 501}, {"COUNT", 502}};
    const std::string name(q.data.begin(), std::find(q.data.begin(), q.data.end(), uint8_t(0)));
    auto it = kNames.find(name);
    if (it == kNames.end()) return RbReply::fail(data::kNoEntry);
    return RbReply().i32(it->second).i16(0);
  });
}

}  // namespace oz::sim
