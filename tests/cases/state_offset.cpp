#include "tests/cases/cases.h"

namespace {
constexpr tofsr_t kTools{1, 0, 2, 0, {.l = {1500, -20}}};
constexpr zofsr_t kWork{1, -1, 2, 0, {100, 200, 300, 400, 500, 600}};
constexpr zofs_t kOne{1, -1, {1000, 2000, 3000}};
pitchr_t points() {
  pitchr_t p{};
  p.datano_e = 9;
  for (int i = 0; i < 10; ++i) p.data[i] = int8_t(i - 5);
  return p;
}
}  // namespace

OZ_EXPORT_CASES(state_offset) = {
    OZ_CASE(cnc_rdtofsr, h, 1, 0, 4, 8 + 4 * 4, a.get<tofsr_t>()),
    OZ_CASE(cnc_wrtofsr, h, 8 + 2 * 4, a.in(kTools)),
    OZ_CASE(cnc_rdtofs, h, 3, 1, 8, a.get<tofs_t>()),
    OZ_CASE(cnc_wrtofs, h, 3, 1, 8, 25000),
    OZ_CASE(cnc_rdtofsinfo2, h, a.get<tofsinfo_t>()),
    OZ_CASE(cnc_rdtofsinfo, h, a.get<int16_t>(2 * sizeof(int16_t))),
    OZ_CASE(cnc_tofs_rnge, h, 0, 0, a.get<ofsrange_t>()),
    OZ_CASE(cnc_rdzofsr, h, 1, -1, 2, 8 + 2 * 3 * 4, a.get<zofsr_t>()),
    OZ_CASE(cnc_wrzofsr, h, 8 + 2 * 3 * 4, a.in(kWork)),
    OZ_CASE(cnc_rdfixofs, h, 1, -1, 2, 8 + 2 * 3 * 4, a.get<zofsr_t>()),
    OZ_CASE(cnc_wrfixofs, h, 8 + 2 * 3 * 4, a.in(kWork)),
    OZ_CASE(cnc_rdzofs, h, 1, -1, 4 + 3 * 4, a.get<zofs_t>()),
    OZ_CASE(cnc_wrzofs, h, 4 + 3 * 4, a.in(kOne)),
    OZ_CASE(cnc_rdzofsinfo, h, a.get<int16_t>()),
    OZ_CASE(cnc_zofs_rnge, h, 0, 0, a.get<ofsrange_t>()),
    OZ_CASE(cnc_rdwkcdshft, h, -1, 4 + 3 * 4, a.get<zofs_t>()),
    OZ_CASE(cnc_wrwkcdshft, h, 4 + 3 * 4, a.in(kOne)),
    OZ_CASE(cnc_rdwkcdsfms, h, -1, 4 + 3 * 4, a.get<zofs_t>()),
    OZ_CASE(cnc_wrwkcdsfms, h, 4 + 3 * 4, a.in(kOne)),
    OZ_CASE(cnc_wksft_rnge, h, 0, a.get<ofsrange_t>()),
    OZ_CASE(cnc_rdactfixofs, h, -1, a.get<zofs_t>()),
    OZ_CASE(cnc_rdzofsmes, h, 1, 2, 3, a.get<double>(), a.get<double>()),
    OZ_CASE(cnc_clrtofs, h, 0),
    OZ_CASE(cnc_rdbtofsr, h, 1, 0, 2, 8 + 2 * 4, a.get<tofsr_t>()),
    OZ_CASE(cnc_wrbtofsr, h, 8 + 2 * 4, a.in(kTools)),
    OZ_CASE(cnc_rdbtofsinfo, h, a.get<int16_t>(3 * sizeof(int16_t))),
    OZ_CASE(cnc_rdpitchr, h, 0, 9, 6 + 10, a.get<pitchr_t>()),
    OZ_CASE(cnc_wrpitchr, h, 6 + 10, a.in(points())),
    OZ_CASE(cnc_rdpitchinfo, h, a.get<int16_t>(32 * sizeof(int16_t))),
};
