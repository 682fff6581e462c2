#include "tests/cases/cases.h"

namespace {
constexpr axis_values_t kAll{0, -1, {1000, -2000, 3000}};
constexpr axis_values_t kSecond{0, 2, {500}};
}  // namespace

OZ_EXPORT_CASES(state_positions) = {
    OZ_CASE(cnc_absolute, h, -1, sizeof(axis_values_t), a.get<axis_values_t>()),
    OZ_CASE(cnc_absolute2, h, 1, 8, a.get<axis_values_t>(8)),
    OZ_CASE(cnc_relative, h, -1, sizeof(axis_values_t), a.get<axis_values_t>()),
    OZ_CASE(cnc_relative2, h, -1, sizeof(axis_values_t), a.get<axis_values_t>()),
    OZ_CASE(cnc_machine, h, -1, sizeof(axis_values_t), a.get<axis_values_t>()),
    OZ_CASE(cnc_distance, h, -1, sizeof(axis_values_t), a.get<axis_values_t>()),
    OZ_CASE(cnc_skip, h, -1, sizeof(axis_values_t), a.get<axis_values_t>()),
    OZ_CASE(cnc_srvdelay, h, -1, sizeof(axis_values_t), a.get<axis_values_t>()),
    OZ_CASE(cnc_accdecdly, h, -1, sizeof(axis_values_t), a.get<axis_values_t>()),
    OZ_CASE(cnc_slide, h, -1, sizeof(axis_values_t), a.get<axis_values_t>()),
    OZ_CASE(cnc_allowance, h, -1, sizeof(axis_values_t), a.get<axis_values_t>()),
    OZ_CASE(cnc_machine2, h, -1, sizeof(axis_values_t), 0, a.get<axis_values_t>()),
    OZ_CASE(cnc_machine3, h, 3, 8, 2, a.get<axis_values_t>(8)),
    OZ_CASE(cnc_rdmovrlap, h, -1, sizeof(axis_values_t), a.get<axis_values_t>()),
    OZ_CASE(cnc_wrrelpos, h, 16, a.in(kAll)),
    OZ_CASE(cnc_wrabspos, h, 8, a.in(kSecond)),
    OZ_CASE(cnc_prstwkcd, h, 8, a.in(kSecond)),
    OZ_CASE(cnc_workzero, h, 16, a.in(kAll)),
    OZ_CASE(cnc_absolute2_exdgt, h, a.get<exdgt_t>(32 * sizeof(exdgt_t))),
    OZ_CASE(cnc_machine_exdgt, h, a.get<exdgt_t>(32 * sizeof(exdgt_t))),
    OZ_CASE(cnc_relative2_exdgt, h, a.get<exdgt_t>(32 * sizeof(exdgt_t))),
    OZ_CASE(cnc_distance_exdgt, h, a.get<exdgt_t>(32 * sizeof(exdgt_t))),
};
