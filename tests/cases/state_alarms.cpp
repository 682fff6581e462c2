#include "tests/cases/cases.h"

OZ_EXPORT_CASES(state_alarms) = {
    OZ_CASE(cnc_alarm, h, a.get<alarm_t>()),
    OZ_CASE(cnc_alarm2, h, a.get<int32_t>()),
    OZ_CASE(cnc_rdalminfo, h, 1, -1, 2 + 10 * sizeof(alminfo_short_msg_t),
            a.get<uint8_t>(2 + 10 * sizeof(alminfo_short_msg_t))),
    OZ_CASE(cnc_rdalmmsg, h, -1, a.count<int16_t>(4), a.get<almmsg_t>(4 * sizeof(almmsg_t))),
    OZ_CASE(cnc_rdalmmsg2, h, -1, a.count<int16_t>(4), a.get<almmsg2_t>(4 * sizeof(almmsg2_t))),
    OZ_CASE(cnc_clralm, h, 0),
    OZ_CASE(cnc_rdopmsg, h, 0, sizeof(opmsg_t), a.get<opmsg_t>()),
    OZ_CASE(cnc_rdopmsg2, h, 0, sizeof(opmsg2_t), a.get<opmsg2_t>()),
    OZ_CASE(cnc_rdopmsg3, h, 0, a.count<int16_t>(1), a.get<opmsg_t>()),
    OZ_CASE(cnc_rdlnopmsg, h, a.get<lnopmsg_t>()),
};
