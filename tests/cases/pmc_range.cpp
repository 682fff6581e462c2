#include "tests/cases/cases.h"

namespace {
pmcrng_t words() {
  pmcrng_t r{};
  r.adr_type = 5;   // R
  r.data_type = 1;
  r.datano_s = 100;
  r.datano_e = 105;
  r.u.idata[0] = 1;
  r.u.idata[1] = -2;
  r.u.idata[2] = 0x1234;
  return r;
}
// A read and a write of 8 bytes each, their data in the arena.
pmcrwreq_t* requests(oz::test::Arena& a) {
  auto* q = a.get<pmcrwreq_t>(2 * sizeof(pmcrwreq_t));
  q[0] = pmcrwreq_t{0, 5, 2, 200, 8, 0, 0, 0, a.bytes(8)};
  q[1] = pmcrwreq_t{1, 5, 1, 208, 8, 1, 0, 0, a.in(uint64_t(0x0102030405060708))};
  return q;
}
}  // namespace

OZ_EXPORT_CASES(pmc_range) = {
    OZ_CASE(pmc_rdpmcrng, h, 9, 0, 0, 9, 8 + 10, a.get<pmcrng_t>(8 + 10)),
    OZ_CASE(pmc_wrpmcrng, h, 8 + 6, a.in(words())),
    OZ_CASE(pmc_wrpmcrng2, h, 8 + 6, a.in(words())),
    OZ_CASE(pmc_rdwrpmcrng, h, 2, requests(a)),
    OZ_CASE(pmc_rdpmcinfo, h, -1, a.get<pmcinfo_t>()),
};
