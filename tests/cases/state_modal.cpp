#include "tests/cases/cases.h"

OZ_EXPORT_CASES(state_modal) = {
    OZ_CASE(cnc_modal, h, -1, 0, a.get<modal_t>()),
    OZ_CASE(cnc_rdgcode, h, -1, 1, a.count<int16_t>(8), a.get<gcode_t>(8 * sizeof(gcode_t))),
    OZ_CASE(cnc_rdcommand, h, -1, 1, a.count<int16_t>(26), a.get<cmdvalue_t>(26 * sizeof(cmdvalue_t))),
};
