#include "tests/cases/cases.h"

namespace {
const char kMdi[] = "G91G28Z0.\nM30\n";
}  // namespace

OZ_EXPORT_CASES(programs_manage) = {
    OZ_CASE(cnc_searcho8, h, 1),
    OZ_CASE(cnc_search, h, 2),
    OZ_CASE(cnc_copyprog, h, 1, 11),
    OZ_CASE(cnc_renameprog, h, 11, 12),
    OZ_CASE(cnc_deleteo8, h, 12),
    OZ_CASE(cnc_delete, h, 13),
    OZ_CASE(cnc_condense, h, 0, 1),
    OZ_CASE(cnc_rdprgnumo8, h, a.get<prgnum_t>()),
    OZ_CASE(cnc_rdprgnum, h, a.get<prgnum16_t>()),
    OZ_CASE(cnc_rdseqnum, h, a.get<seqnum_t>()),
    OZ_CASE(cnc_seqsrch, h, 20),
    OZ_CASE(cnc_rewind, h),
    OZ_CASE(cnc_buff, h, a.get<buff_t>()),
    OZ_CASE(cnc_rdblkcount, h, a.get<int32_t>()),
    OZ_CASE(cnc_rdexecprog, h, a.count<uint16_t>(128), a.get<int32_t>(), a.get<char>(129)),
    OZ_CASE(cnc_rdexecprog2, h, a.count<int16_t>(128), a.get<int16_t>(), a.get<int16_t>(), a.get<char>(128)),
    OZ_CASE(cnc_rdmdiprog, h, a.count<int16_t>(256), a.get<char>(256)),
    OZ_CASE(cnc_wrmdiprog, h, sizeof kMdi - 1, kMdi),
    OZ_CASE(cnc_rdmdipntro8, h, a.get<mdipntr_t>()),
    OZ_CASE(cnc_rdmdipntr, h, a.get<mdipntr16_t>()),
    OZ_CASE(cnc_wrmdipntr, h, 0),
    OZ_CASE(cnc_rdproctime, h, a.get<proctime_t>()),
    OZ_CASE(cnc_rdbaxis, h, a.get<baxis_t>(OZ_BAXIS_MAX * sizeof(baxis_t))),
    OZ_CASE(cnc_rdactpt, h, a.get<int32_t>(), a.get<int32_t>()),
    OZ_CASE(cnc_rduvactpt, h, a.get<int32_t>(), a.get<int32_t>(), a.get<int32_t>()),
    OZ_CASE(cnc_rduvactpt2, h, a.get<uvactpt2_t>()),
    OZ_CASE(cnc_wractpt, h, 1, 1, a.count<int32_t>(0)),
    OZ_CASE(cnc_rdprotect, h, 0, a.text("O0001"), a.get<protect_t>()),
    OZ_CASE(cnc_searchword, h, 1, 0, 1, 0, 0, a.text("M30")),
    OZ_CASE(cnc_searchresult, h, a.get<int32_t>()),
    OZ_CASE(cnc_pdf_searchword, h, a.text("//CNC_MEM/USER/PATH1/"), 1, 0, 1, 0, a.text("G81")),
    OZ_CASE(cnc_pdf_searchresult, h, a.get<int32_t>()),
    OZ_CASE(cnc_delall, h),
};
