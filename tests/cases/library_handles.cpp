#include "sim/fake_controller.h"
#include "tests/cases/cases.h"

namespace {
// A second handle on the walker's controller, freed again: the walker's own
// handle is what the other cases use.
int16_t joining(uint16_t h) {
  uint16_t other = 0;
  const int16_t r = cnc_allclibhndl3("127.0.0.1", oz::test::port_of(h), 2, &other);
  if (r == EW_SUCCESS) cnc_freelibhndl(other);
  return r;
}
// An identification string goes out only when a circuit opens, so this one
// opens its own, on a controller of its own.
int16_t identified() {
  oz::sim::FakeController fake;
  uint16_t other = 0;
  const int16_t r = cnc_allclibhndls("127.0.0.1", fake.port(), "CELL07", 2, &other);
  if (r == EW_SUCCESS) cnc_freelibhndl(other);
  return r;
}
}  // namespace

OZ_EXPORT_CASES(library_handles) = {
    {"oz_version", [](uint16_t, oz::test::Arena&) -> int16_t { return oz_version() > 0 ? EW_SUCCESS : EW_VALUE; }},
    OZ_CASE(cnc_getdtailerr, h, a.get<dtailerr_t>()),
    OZ_CASE(pmc_getdtailerr, h, a.get<dtailerr_t>()),
    {"cnc_allclibhndl3", [](uint16_t h, oz::test::Arena&) { return joining(h); }},
    {"cnc_allclibhndls", [](uint16_t, oz::test::Arena&) { return identified(); }},
    OZ_CASE(cnc_settimeout, h, 3),
    OZ_CASE(cnc_setpath, h, 1),
    OZ_CASE(cnc_getpath, h, a.get<int16_t>(), a.get<int16_t>()),
    OZ_CASE(cnc_setmactype, h, 1),
    OZ_CASE(cnc_getmactype, h, a.get<uint16_t>()),
    OZ_CASE(cnc_setpmactype, h, 0),
    OZ_CASE(cnc_getpmactype, h, a.get<uint16_t>()),
    // Both end the walker's handle; it allocates another.
    OZ_CASE(cnc_resetconnect, h),
    OZ_CASE(cnc_freelibhndl, h),
};
