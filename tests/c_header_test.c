/* The public header compiled as C11: layouts checked, a few calls linked
 * against the shared library. */
#include <stddef.h>

#include "ozlib.h"

_Static_assert(sizeof(dtailerr_t) == 4, "dtailerr_t");
_Static_assert(offsetof(dtailerr_t, subdetail) == 2, "dtailerr_t.subdetail");
_Static_assert(offsetof(actf_t, data) == 4, "actf_t.data");
_Static_assert(offsetof(axis_values_t, axis) == 2, "axis_values_t.axis");
_Static_assert(offsetof(axis_values_t, data) == 4, "axis_values_t.data");
_Static_assert(EW_CIRCUIT == -16 && EW_FRAMING == -17 && EW_BUFFER == 10, "codes");
_Static_assert(sizeof(spindle_values_t) == 36 && offsetof(spindle_values_t, data) == 4, "spindle_values_t");
_Static_assert(offsetof(rddynamic_t, seqnum) == 12 && offsetof(rddynamic_t, pos) == 24, "rddynamic_t");
_Static_assert(offsetof(rddynamic2_t, seqnum) == 16 && offsetof(rddynamic2_t, pos) == 28, "rddynamic2_t");
_Static_assert(sizeof(exdgt_t) == 16 && offsetof(exdgt_t, unit) == 12, "exdgt_t");
_Static_assert(sizeof(axisdata_t) == 16 && offsetof(axisdata_t, flag) == 12, "axisdata_t");
_Static_assert(sizeof(axisrec_t) == 12 && offsetof(axisrec_t, tail.pos.name) == 10, "axisrec_t");
_Static_assert(offsetof(alarm_t, data) == 4, "alarm_t");
_Static_assert(sizeof(alminfo_short_msg_t) == 38 && sizeof(alminfo_long_msg_t) == 40, "alminfo");
_Static_assert(sizeof(almmsg_t) == 44 && sizeof(almmsg2_t) == 76 && offsetof(almmsg_t, msg) == 12, "almmsg");
_Static_assert(sizeof(opmsg_t) == 262 && sizeof(opmsg_packed_t) == 136 && sizeof(opmsg2_t) == 70, "opmsg");
_Static_assert(sizeof(sysinfo_t) == 18 && offsetof(sysinfo_t, axes) == 16, "sysinfo_t");
_Static_assert(offsetof(sysinfo_ex_t, path) == 24 && sizeof(sysinfo_ex_path_t) == 16, "sysinfo_ex_t");
_Static_assert(sizeof(syssoft_t) == 548 && offsetof(syssoft_t, option) == 256 && offsetof(syssoft_t, last) == 538, "syssoft_t");
_Static_assert(sizeof(syssoft2_t) == 748, "syssoft2_t");
_Static_assert(sizeof(syssoft3_t) == 12 && sizeof(syssoft3_str_t) == 28, "syssoft3");
_Static_assert(sizeof(syshard_t) == 20 && sizeof(syshard_str_t) == 56 && offsetof(syshard_str_t, extra2) == 54, "syshard");
_Static_assert(sizeof(cnctimer_t) == 10 && offsetof(cnctimer_t, v) == 4 && sizeof(rdtimer_t) == 8, "timers");
_Static_assert(offsetof(modal_t, u) == 4 && sizeof(modal_item_t) == 8, "modal_t");
_Static_assert(sizeof(gcode_t) == 12 && sizeof(cmdvalue_t) == 12 && offsetof(cmdvalue_t, dec_val) == 8, "modal records");
_Static_assert(offsetof(param_t, u) == 4 && sizeof(realprm_t) == 8, "param_t");
_Static_assert(offsetof(parainfo_t, info) == 6 && sizeof(parainfo2_t) == 16, "parainfo");
_Static_assert(sizeof(param_ext_t) == 268 && offsetof(param_ext_t, data) == 12, "param_ext_t");
_Static_assert(offsetof(macro_t, dec_val) == 8 && offsetof(macror_t, data) == 8, "macro_t");
_Static_assert(offsetof(pmacro_t, mcr_val) == 8 && offsetof(pmacror_t, data) == 12, "pmacro_t");
_Static_assert(sizeof(macror3_t) == 40 && offsetof(pmacroinfo2_t, word) == 12, "macror3_t");
_Static_assert(sizeof(tofs_t) == 8 && offsetof(tofsr_t, u) == 8, "tofs_t");
_Static_assert(offsetof(zofs_t, data) == 4 && offsetof(zofsr_t, data) == 8, "zofs_t");
_Static_assert(offsetof(pitchr_t, data) == 6 && sizeof(ofsrange_t) == 12, "pitchr_t");

_Static_assert(offsetof(pmcrng_t, datano_e) == 6 && offsetof(pmcrng_t, u) == 8, "pmcrng_t");
_Static_assert(sizeof(pmcarea_t) == 6 && offsetof(pmcinfo_t, info) == 2, "pmcinfo_t");
_Static_assert(sizeof(pmcrwreq_t) == 24 && offsetof(pmcrwreq_t, result) == 12 &&
                   offsetof(pmcrwreq_t, data) == 16, "pmcrwreq_t");
_Static_assert(sizeof(pmcswver_t) == 12 && sizeof(pmcadrent_t) == 12, "pmc unit records");
_Static_assert(offsetof(pmccntl_t, info) == 6 && sizeof(pmcalm_t) == 128, "pmc records");
_Static_assert(sizeof(prgdir2_t) == 60 && offsetof(prgdir2_t, comment) == 8, "prgdir2_t");
_Static_assert(sizeof(prgdir3_t) == 88 && offsetof(prgdir3_t, stamp1) == 64 && offsetof(prgdir3_t, stamp2) == 76, "prgdir3_t");
_Static_assert(sizeof(prgdirtm_t) == 68 && offsetof(prgdirtm_t, time) == 55, "prgdirtm_t");
_Static_assert(offsetof(prgnum_t, mdata) == 8 && offsetof(prgnum16_t, mdata) == 6, "prgnum_t");
_Static_assert(offsetof(mdipntr16_t, v3) == 8 && offsetof(mdipntr16_t, v4) == 12, "mdipntr16_t");
_Static_assert(sizeof(uvactpt2_t) == 264 && offsetof(uvactpt2_t, v5) == 262, "uvactpt2_t");
_Static_assert(offsetof(upload_t, data) == 4, "upload_t");
_Static_assert(offsetof(dncdgndt_t, v6) == 28 && offsetof(dncdgndt2_t, v6) == 76, "dncdgndt_t");

int main(void) {
  actf_t a;
  dtailerr_t d;
  if (oz_version() != OZLIB_VERSION_MAJOR * 10000 + OZLIB_VERSION_MINOR * 100 + OZLIB_VERSION_PATCH)
    return 1;
  if (cnc_actf(0x8001, &a) != EW_BADHANDLE) return 2;
  if (cnc_getdtailerr(0, &d) != EW_BADHANDLE) return 3;
  return 0;
}
