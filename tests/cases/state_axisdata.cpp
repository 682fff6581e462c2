#include "tests/cases/cases.h"

namespace {
const int16_t kPositionTypes[] = {0, 1};
}  // namespace

OZ_EXPORT_CASES(state_axisdata) = {
    OZ_CASE(cnc_rdaxisdata, h, 1, kPositionTypes, 2, a.count<int16_t>(3), a.get<axisdata_t>(6 * sizeof(axisdata_t))),
    OZ_CASE(cnc_rdposition, h, -1, a.count<int16_t>(3), a.get<axisrec_t>(12 * sizeof(axisrec_t))),
    OZ_CASE(cnc_rdspeed, h, -1, a.get<axisrec_t>(2 * sizeof(axisrec_t))),
    OZ_CASE(cnc_rdhndintrpt, h, -1, a.count<int16_t>(3), a.get<axisrec_t>(6 * sizeof(axisrec_t))),
    OZ_CASE(cnc_rdsvmeter, h, a.count<int16_t>(3), a.get<axisrec_t>(3 * sizeof(axisrec_t))),
    OZ_CASE(cnc_rdspmeter, h, -1, a.count<int16_t>(1), a.get<axisrec_t>(2 * sizeof(axisrec_t))),
    OZ_CASE(cnc_rdjogdrun, h, 0, a.get<axisrec_t>()),
};
