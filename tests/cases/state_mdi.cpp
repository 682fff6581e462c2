#include "tests/cases/cases.h"

OZ_EXPORT_CASES(state_mdi) = {
    OZ_CASE(cnc_wrjogmdi, h, a.text("G91 G01 X10. F500")),
};
