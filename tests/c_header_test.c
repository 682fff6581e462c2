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
_Static_assert(offsetof(param_t, u) == 4 && sizeof(realprm_t) == 8, "param_t");
_Static_assert(offsetof(parainfo_t, info) == 6 && sizeof(parainfo2_t) == 16, "parainfo");
_Static_assert(sizeof(param_ext_t) == 268 && offsetof(param_ext_t, data) == 12, "param_ext_t");
_Static_assert(offsetof(macro_t, dec_val) == 8 && offsetof(macror_t, data) == 8, "macro_t");
_Static_assert(offsetof(pmacro_t, mcr_val) == 8 && offsetof(pmacror_t, data) == 12, "pmacro_t");
_Static_assert(sizeof(macror3_t) == 40 && offsetof(pmacroinfo2_t, word) == 12, "macror3_t");
_Static_assert(sizeof(tofs_t) == 8 && offsetof(tofsr_t, u) == 8, "tofs_t");
_Static_assert(offsetof(zofs_t, data) == 4 && offsetof(zofsr_t, data) == 8, "zofs_t");
_Static_assert(offsetof(pitchr_t, data) == 6 && sizeof(ofsrange_t) == 12, "pitchr_t");

int main(void) {
  actf_t a;
  dtailerr_t d;
  if (oz_version() != OZLIB_VERSION_MAJOR * 10000 + OZLIB_VERSION_MINOR * 100 + OZLIB_VERSION_PATCH)
    return 1;
  if (cnc_actf(0x8001, &a) != EW_BADHANDLE) return 2;
  if (cnc_getdtailerr(0, &d) != EW_BADHANDLE) return 3;
  return 0;
}
_Static_assert(offsetof(pmcrng_t, datano_e) == 6 && offsetof(pmcrng_t, u) == 8, "pmcrng_t");
_Static_assert(sizeof(pmcarea_t) == 6 && offsetof(pmcinfo_t, info) == 2, "pmcinfo_t");
_Static_assert(sizeof(pmcrwreq_t) == 24 && offsetof(pmcrwreq_t, result) == 12 &&
                   offsetof(pmcrwreq_t, data) == 16, "pmcrwreq_t");
_Static_assert(sizeof(pmcswver_t) == 12 && sizeof(pmcadrent_t) == 12, "pmc unit records");
_Static_assert(offsetof(pmccntl_t, info) == 6 && sizeof(pmcalm_t) == 128, "pmc records");
