#include "tests/cases/cases.h"

namespace {
const char kBlocks[] = "G01X10.F300\nX20.\nX30.\n";
constexpr int32_t kLength = sizeof kBlocks - 1;
}  // namespace

OZ_EXPORT_CASES(programs_dnc) = {
    OZ_CASE(cnc_dncstart2, h, a.get<char>(64)),
    OZ_CASE(cnc_dnc2, h, a.count<int32_t>(kLength), kBlocks),
    OZ_CASE(cnc_rddncdgndt, h, a.get<dncdgndt_t>()),
    OZ_CASE(cnc_rddncdgndt2, h, a.get<dncdgndt2_t>()),
    OZ_CASE(cnc_dncend2, h, -1),
    OZ_CASE(cnc_dncstart, h),
    OZ_CASE(cnc_cdnc, h, kBlocks, kLength),
    OZ_CASE(cnc_dnc, h, kBlocks, kLength),
    OZ_CASE(cnc_dncend, h),
};
