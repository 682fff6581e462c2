#include "tests/cases/cases.h"

OZ_EXPORT_CASES(state_control) = {
    OZ_CASE(cnc_start, h),
    OZ_CASE(cnc_reset, h),
    OZ_CASE(cnc_reset2, h),
    OZ_CASE(cnc_gettimer, h, a.in(cnctimer_t{1, 0, {}})),
    OZ_CASE(cnc_settimer, h, a.in(cnctimer_t{0, 0, {2024, 5, 17}})),
    OZ_CASE(cnc_rdtimer, h, 0, a.get<rdtimer_t>()),
    OZ_CASE(cnc_wrtimer, h, 1, a.in(rdtimer_t{90, 500})),
    OZ_CASE(cnc_chglang, h, 1),
    OZ_CASE(cnc_setcurscrn, h, 3),
    OZ_CASE(cnc_dispoptmsg, h, a.text("CHECK THE COOLANT")),
    OZ_CASE(cnc_ftosjis, h, a.text("TOOL 12"), a.get<char>(8)),
    OZ_CASE(cnc_rdcbmem, h, 16, 100, a.get<uint8_t>(100)),
    OZ_CASE(cnc_wrcbmem, h, 16, 100, a.get<uint8_t>(100)),
};
