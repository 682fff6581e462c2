#include "tests/cases/cases.h"

OZ_EXPORT_CASES(programs_directory) = {
    OZ_CASE(cnc_rdprogdiro8, h, 2, 1, 9999, 512, a.get<char>(512)),
    OZ_CASE(cnc_rdprogdir, h, 1, 1, 9999, 512, a.get<char>(512)),
    OZ_CASE(cnc_rdprogdir2o8, h, 2, a.count<int32_t>(1), a.count<int16_t>(4), a.get<prgdir2_t>(4 * sizeof(prgdir2_t))),
    OZ_CASE(cnc_rdprogdir2, h, 1, a.count<int16_t>(1), a.count<int16_t>(4), a.get<prgdir2_t>(4 * sizeof(prgdir2_t))),
    OZ_CASE(cnc_rdprogdir3, h, 2, a.count<int32_t>(1), a.count<int16_t>(4), a.get<prgdir3_t>(4 * sizeof(prgdir3_t))),
    OZ_CASE(cnc_rdprgdirtime, h, a.count<int32_t>(1), a.count<int16_t>(4), a.get<prgdirtm_t>(4 * sizeof(prgdirtm_t))),
    OZ_CASE(cnc_rdproginfo, h, 0, 64, a.get<uint8_t>(64)),
};
