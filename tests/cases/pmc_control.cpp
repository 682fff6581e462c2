#include "tests/cases/cases.h"

namespace {
pmccntl_t entries() {
  pmccntl_t c{};
  c.datano_s = 1;
  c.datano_e = 2;
  c.info[0] = {{1, 2, 3, 4}};
  c.info[1] = {{5, 6, 7, 8}};
  return c;
}
const uint8_t kKeep[] = {0x01, 0x80, 0x00, 0xFF, 0x10, 0x20};
}  // namespace

OZ_EXPORT_CASES(pmc_control) = {
    OZ_CASE(pmc_rdcntldata, h, 0, 4, 6 + 5 * 8, a.get<pmccntl_t>(6 + 5 * 8)),
    OZ_CASE(pmc_wrcntldata, h, 6 + 2 * 8, a.in(entries())),
    OZ_CASE(pmc_rdcntlexrelay, h, 0, 4, 6 + 5 * 8, a.get<pmccntl_t>(6 + 5 * 8)),
    OZ_CASE(pmc_wrcntlexrelay, h, 6 + 2 * 8, a.in(entries())),
    OZ_CASE(pmc_rdkpm, h, 0, a.get<uint8_t>(40), 40),
    OZ_CASE(pmc_wrkpm, h, 4, kKeep, sizeof kKeep),
    OZ_CASE(pmc_rdkpm2, h, 8, a.get<uint8_t>(2000), 2000),
    OZ_CASE(pmc_wrkpm2, h, 12, kKeep, sizeof kKeep),
    OZ_CASE(pmc_rdpmcparam, h, a.count<int16_t>(64), a.bytes(64)),
    OZ_CASE(pmc_wrpmcparam, h, sizeof kKeep, kKeep),
};
