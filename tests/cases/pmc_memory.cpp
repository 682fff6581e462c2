#include "tests/cases/cases.h"

namespace {
const uint32_t kLongs[] = {1, 0x01020304, 0xFFFFFFFF};
}  // namespace

// The memory-window forms find no window file here and stop at their test.
OZ_EXPORT_CASES(pmc_memory) = {
    OZ_CASE(pmc_rdpmcmem, h, 0, 0x1000, 64, a.bytes(64)),
    OZ_CASE(pmc_wrpmcmem, h, 2, 0x1000, 3, kLongs),
    OZ_CASE(pmc_rdpmcsemem, h, 1, 0x2000, 8, a.bytes(16)),
    OZ_CASE(pmc_wrpmcsemem, h, 2, 0x2000, 3, kLongs),
};
