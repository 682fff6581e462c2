#include "tests/cases/cases.h"

OZ_EXPORT_CASES(state_sysinfo) = {
    OZ_CASE(cnc_sysinfo, h, a.get<sysinfo_t>()),
    OZ_CASE(cnc_sysinfo_ex, h, a.get<sysinfo_ex_t>()),
    OZ_CASE(cnc_rdsyssoft, h, a.get<syssoft_t>()),
    OZ_CASE(cnc_rdsyssoft2, h, a.get<syssoft2_t>()),
    OZ_CASE(cnc_rdsyssoft3, h, 0, a.count<int16_t>(4), a.get<int16_t>(), a.get<syssoft3_t>(4 * sizeof(syssoft3_t))),
    OZ_CASE(cnc_rdsyssoft3_str, h, 0, a.count<int16_t>(4), a.get<int16_t>(),
            a.get<syssoft3_str_t>(4 * sizeof(syssoft3_str_t))),
    OZ_CASE(cnc_rdsyshard, h, 0, a.count<int16_t>(4), a.get<int16_t>(), a.get<syshard_t>(4 * sizeof(syshard_t))),
    OZ_CASE(cnc_rdsyshard_str, h, 0, a.count<int16_t>(4), a.get<int16_t>(),
            a.get<syshard_str_t>(4 * sizeof(syshard_str_t))),
    OZ_CASE(cnc_rdmdlconfig2, h, a.get<uint8_t>(128)),
    OZ_CASE(cnc_rdetherinfo, h, a.get<int16_t>(), a.get<int16_t>()),
    OZ_CASE(cnc_getcncmodel, h, a.get<int32_t>()),
    OZ_CASE(cnc_getmacaddress, h, a.get<char>(13)),
    OZ_CASE(cnc_rdcncid, h, a.get<uint32_t>(4 * sizeof(uint32_t))),
    OZ_CASE(cnc_getlanguage, h, a.get<int16_t>()),
    OZ_CASE(cnc_chkversion, h, a.get<int32_t>()),
    OZ_CASE(cnc_rdcoordnum, h, a.get<int32_t>()),
    OZ_CASE(cnc_optmsgans, h, a.get<int32_t>()),
};
