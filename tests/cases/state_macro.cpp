#include "tests/cases/cases.h"

namespace {
constexpr macror_t kMacros{100, 0, 102, 0, {{1000, 3, 0}, {-5, 0, 0}, {7, 1, 0}}};
constexpr pmacror_t kPmacros{10000, 0, 10002, {{1000, 3, 0}, {-5, 0, 0}, {7, 1, 0}}};
const double kValues[] = {1.5, -2.25, 100.0};
}  // namespace

OZ_EXPORT_CASES(state_macro) = {
    OZ_CASE(cnc_rdmacro, h, 100, 10, a.get<macro_t>()),
    OZ_CASE(cnc_wrmacro, h, 101, 10, 12345, 3),
    OZ_CASE(cnc_rdmacror, h, 100, 104, 8 * 5 + 6, a.get<macror_t>()),
    OZ_CASE(cnc_wrmacror, h, 8 * 3 + 6, a.in(kMacros)),
    OZ_CASE(cnc_rdmacror2, h, 100, a.count<int32_t>(5), a.get<double>(5 * sizeof(double))),
    OZ_CASE(cnc_wrmacror2, h, 110, a.count<int32_t>(3), kValues),
    OZ_CASE(cnc_rdpmacror2, h, 10000, a.count<int32_t>(3), 0, a.get<double>(3 * sizeof(double))),
    OZ_CASE(cnc_wrpmacror2, h, 10010, a.count<int32_t>(3), 0, kValues),
    OZ_CASE(cnc_rdmacror3, h, 100, a.count<int32_t>(3), a.get<macror3_t>(3 * sizeof(macror3_t))),
    OZ_CASE(cnc_rdmacroinfo, h, a.get<macroinfo_t>()),
    OZ_CASE(cnc_rdpmacroinfo, h, a.get<pmacroinfo_t>()),
    OZ_CASE(cnc_rdpmacroinfo2, h, a.get<pmacroinfo2_t>()),
    OZ_CASE(cnc_rdmacronum, h, a.text("TOOLNO"), 0, a.get<int32_t>(), a.get<int16_t>()),
    OZ_CASE(cnc_rdpmacro, h, 10000, a.get<pmacro_t>()),
    OZ_CASE(cnc_wrpmacro, h, 10001, -25, 1),
    OZ_CASE(cnc_rdpmacror, h, 10000, 10004, 8 * 5 + 10, a.get<pmacror_t>()),
    OZ_CASE(cnc_wrpmacror, h, 8 * 3 + 10, a.in(kPmacros)),
};
