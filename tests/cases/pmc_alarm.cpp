#include "tests/cases/cases.h"

OZ_EXPORT_CASES(pmc_alarm) = {
    OZ_CASE(pmc_rdalmmsg, h, 1, a.count<int16_t>(4), a.get<int16_t>(), a.get<pmcalm_t>(4 * sizeof(pmcalm_t))),
    OZ_CASE(pmc_get_alarm_status, h, 0, a.get<int32_t>()),
};
