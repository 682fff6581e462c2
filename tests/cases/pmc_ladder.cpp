#include "tests/cases/cases.h"

OZ_EXPORT_CASES(pmc_ladder) = {
    OZ_CASE(cnc_pmclad_screen, h, a.in(pmclad_t{1, 2, 7, 0, 1, 0, 3, 2, 10, "CHECK X10.2", nullptr})),
};
