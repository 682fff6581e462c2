#include "tests/cases/cases.h"

OZ_EXPORT_CASES(state_spindle) = {
    OZ_CASE(cnc_rdspload, h, -1, a.get<spindle_values_t>()),
    OZ_CASE(cnc_rdspmaxrpm, h, 1, a.get<spindle_values_t>()),
    OZ_CASE(cnc_rdspgear, h, -1, a.get<spindle_values_t>()),
    OZ_CASE(cnc_acts2, h, 1, a.get<spindle_values_t>()),
    OZ_CASE(cnc_rdaxisname, h, a.count<int16_t>(8), a.get<axisname_t>(8 * sizeof(axisname_t))),
    OZ_CASE(cnc_rdspdlname, h, a.count<int16_t>(4), a.get<axisname_t>(4 * sizeof(axisname_t))),
    OZ_CASE(cnc_exaxisname, h, 0, a.count<int16_t>(8), a.get<exaxisname_t>(8 * sizeof(exaxisname_t))),
    OZ_CASE(cnc_axisnum, h, 0, a.get<int16_t>()),
    OZ_CASE(cnc_rdrelaxis, h, 1, 2, a.count<int16_t>(4), a.get<int16_t>(8 * sizeof(int16_t))),
    OZ_CASE(cnc_rdabsaxis, h, 1, 2, 3, a.count<int16_t>(4), a.get<int16_t>(4 * sizeof(int16_t))),
    OZ_CASE(cnc_rdspcss, h, a.get<spcss_t>()),
};
