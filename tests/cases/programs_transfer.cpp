// Uploads ask for programs the simulated store does not hold: the controller
// answers them at once, where a real upload would race the walker's reads.
#include "tests/cases/cases.h"

namespace {
const char kProgram[] = "%\nO0100(WALK)\nG90G00X0.Y0.\nM30\n%\n";
constexpr int32_t kLength = sizeof kProgram - 1;
}  // namespace

OZ_EXPORT_CASES(programs_transfer) = {
    OZ_CASE(cnc_upstart3_f, h, 0, a.text("O9000-O9000"), a.text("")),
    OZ_CASE(cnc_upload4, h, a.count<int32_t>(1024), a.bytes(1024)),
    OZ_CASE(cnc_upend4, h),
    OZ_CASE(cnc_upstart3, h, 0, 9001, 9002),
    OZ_CASE(cnc_upload3, h, a.count<int32_t>(256), a.bytes(256)),
    OZ_CASE(cnc_upend3, h),
    OZ_CASE(cnc_upstart4, h, 0, a.text("NOPROG")),
    OZ_CASE(cnc_cupload, h, a.get<upload_t>(), a.count<uint16_t>(256)),
    OZ_CASE(cnc_upstarto8, h, 9003),
    OZ_CASE(cnc_upload, h, a.get<upload_t>(), a.count<uint16_t>(256)),
    OZ_CASE(cnc_upend, h),
    OZ_CASE(cnc_upstart, h, 9004),
    OZ_CASE(cnc_fileread_start, h, 7, a.text("NOFILE")),
    OZ_CASE(cnc_fileread, h, a.count<int32_t>(512), a.bytes(512)),
    OZ_CASE(cnc_fileread_end, h),

    OZ_CASE(cnc_dwnstart3, h, 0),
    OZ_CASE(cnc_download4, h, a.count<int32_t>(kLength), kProgram),
    OZ_CASE(cnc_dwnend3, h),
    OZ_CASE(cnc_dwnstart4, h, 0, a.text("O0101")),
    OZ_CASE(cnc_download3, h, a.count<int32_t>(kLength), kProgram),
    OZ_CASE(cnc_dwnend4, h),
    OZ_CASE(cnc_dwnstart, h),
    OZ_CASE(cnc_cdownload, h, kProgram, kLength),
    OZ_CASE(cnc_download, h, kProgram, kLength),
    OZ_CASE(cnc_dwnend, h),
    OZ_CASE(cnc_vrfstart, h),
    OZ_CASE(cnc_cverify, h, kProgram, kLength),
    OZ_CASE(cnc_verify, h, kProgram, kLength),
    OZ_CASE(cnc_vrfend, h),
    OZ_CASE(cnc_vrfstart4, h, a.text("O0100")),
    OZ_CASE(cnc_verify4, h, a.count<int32_t>(kLength), kProgram),
    OZ_CASE(cnc_vrfend4, h),
    OZ_CASE(cnc_ptdwnstart, h),
    OZ_CASE(cnc_ptdownload, h, a.count<int32_t>(kLength), kProgram),
    OZ_CASE(cnc_ptdwnend, h),
    OZ_CASE(cnc_filewrite_start, h, 5, a.text("DATA.TXT"), 0),
    OZ_CASE(cnc_filewrite, h, a.count<int32_t>(kLength), kProgram),
    OZ_CASE(cnc_filewrite_end, h),
    // Left open: the session ends with the walker's handle.
    OZ_CASE(cnc_dwnstart3_f, h, 0, a.text(""), a.text("")),
};
