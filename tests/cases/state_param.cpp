#include "tests/cases/cases.h"

namespace {
param_t word(int16_t number, int16_t v) {
  param_t p{};
  p.datano = number;
  p.u.idata = v;
  return p;
}
param_t perAxis(int16_t number, int32_t x, int32_t y, int32_t z) {
  param_t p{};
  p.datano = number;
  p.type = -1;
  p.u.ldatas[0] = x;
  p.u.ldatas[1] = y;
  p.u.ldatas[2] = z;
  return p;
}
// Range records: number, (data type << 8) | axis, the value padded to 4 bytes.
struct WordRecord {
  int16_t number, type, value, pad;
};
constexpr WordRecord kWord20{20, 2 << 8, 7, 0};
const int32_t kNumbers[] = {20, 1320, 9999};
}  // namespace

OZ_EXPORT_CASES(state_param) = {
    OZ_CASE(cnc_rdparam, h, 1320, -1, 16, a.get<param_t>()),
    OZ_CASE(cnc_rdparam3, h, 20, 0, 6, 1, a.get<param_t>()),
    OZ_CASE(cnc_rdset, h, 0, 0, 5, a.get<param_t>()),
    OZ_CASE(cnc_diagnoss, h, 300, 1, 8, a.get<param_t>()),
    OZ_CASE(cnc_wrparam, h, 6, a.in(word(20, 5))),
    OZ_CASE(cnc_wrparam3, h, 16, 0, a.in(perAxis(1320, 400000, 300000, 200000))),
    OZ_CASE(cnc_wrset, h, 6, a.in(word(20, 3))),
    OZ_CASE(cnc_rdparar, h, a.count<int16_t>(0), 0, a.count<int16_t>(1400), a.count<int16_t>(512), a.bytes(512)),
    OZ_CASE(cnc_rdsetr, h, a.count<int16_t>(0), 0, a.count<int16_t>(20), a.count<int16_t>(256), a.bytes(256)),
    OZ_CASE(cnc_diagnosr, h, a.count<int16_t>(300), -1, a.count<int16_t>(310), a.count<int16_t>(256), a.bytes(256)),
    OZ_CASE(cnc_wrparas, h, sizeof kWord20, a.in(kWord20)),
    OZ_CASE(cnc_wrsets, h, sizeof kWord20, a.in(kWord20)),
    OZ_CASE(cnc_rdparanum, h, a.get<paranum_t>()),
    OZ_CASE(cnc_rdsetnum, h, a.get<paranum_t>()),
    OZ_CASE(cnc_rddiagnum, h, a.get<paranum_t>()),
    OZ_CASE(cnc_rdparainfo, h, 0, 10, a.get<parainfo_t>()),
    OZ_CASE(cnc_rdsetinfo, h, 0, 10, a.get<parainfo_t>()),
    OZ_CASE(cnc_rddiaginfo, h, 300, 10, a.get<parainfo_t>()),
    OZ_CASE(cnc_rdparainfo2, h, 0, a.count<int16_t>(8), a.get<int16_t>(), a.get<int16_t>(),
            a.get<parainfo2_t>(8 * sizeof(parainfo2_t))),
    OZ_CASE(cnc_rdparainfo3, h, 1000, a.count<int16_t>(8), a.get<int16_t>(), a.get<int16_t>(),
            a.get<parainfo2_t>(8 * sizeof(parainfo2_t))),
    OZ_CASE(cnc_rdsetinfo2, h, 0, a.count<int16_t>(8), a.get<int16_t>(), a.get<int16_t>(),
            a.get<parainfo2_t>(8 * sizeof(parainfo2_t))),
    OZ_CASE(cnc_rddiaginfo2, h, 300, a.count<int16_t>(8), a.get<int16_t>(), a.get<int16_t>(),
            a.get<parainfo2_t>(8 * sizeof(parainfo2_t))),
    OZ_CASE(cnc_rdparam_ext, h, kNumbers, 3, a.get<param_ext_t>(3 * sizeof(param_ext_t))),
    OZ_CASE(cnc_rddiag_ext, h, kNumbers, 2, a.get<param_ext_t>(2 * sizeof(param_ext_t))),
};
