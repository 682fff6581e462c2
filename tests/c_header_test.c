/* The public header compiled as C11, a few calls linked against the shared
 * library: the header stays valid C. */
#include <stddef.h>

#include "ozlib.h"

/* The layouts are asserted where the library relies on them (api/); here
 * only what no export of the library restates. */
_Static_assert(sizeof(dtailerr_t) == 4 && offsetof(dtailerr_t, subdetail) == 2, "dtailerr_t");
_Static_assert(EW_CIRCUIT == -16 && EW_FRAMING == -17 && EW_BUFFER == 10, "codes");

int main(void) {
  actf_t a;
  dtailerr_t d;
  if (oz_version() != OZLIB_VERSION_MAJOR * 10000 + OZLIB_VERSION_MINOR * 100 + OZLIB_VERSION_PATCH)
    return 1;
  if (cnc_actf(0x8001, &a) != EW_BADHANDLE) return 2;
  if (cnc_getdtailerr(0, &d) != EW_BADHANDLE) return 3;
  return 0;
}
