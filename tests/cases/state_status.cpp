#include "tests/cases/cases.h"

OZ_EXPORT_CASES(state_status) = {
    OZ_CASE(cnc_actf, h, a.get<actf_t>()),
    OZ_CASE(cnc_acts, h, a.get<actf_t>()),
    OZ_CASE(cnc_rddynamic, h, -1, sizeof(rddynamic_t), a.get<rddynamic_t>()),
    OZ_CASE(cnc_rddynamico8, h, -1, sizeof(rddynamic2_t), a.get<rddynamic2_t>()),
    OZ_CASE(cnc_rddynamic2, h, 1, sizeof(rddynamic2_t), a.get<rddynamic2_t>()),
    OZ_CASE(cnc_statinfo, h, a.get<statinfo_t>()),
    OZ_CASE(cnc_statinfo2, h, a.get<statinfo_t>()),
};
