// Tool life, tool management, operator panel, servo and spindle information
// and graphics: every export that is not a listed row.
#include <cstring>

#include "tests/cases/cases.h"

namespace oz::test {
namespace {

// Range records with room for a few groups, their header naming 1..3.
template <class T>
T* range_in(Arena& a) {
  T* p = a.get<T>();
  p->head.first = 1;
  p->head.last = 3;
  for (auto& v : p->data) std::memset(&v, 0x11, sizeof v);
  return p;
}

}  // namespace

OZ_EXPORT_CASES(machine_1) = {
    // tool life
    {"cnc_rdngrp", [](uint16_t h, Arena& a) { return cnc_rdngrp(h, a.get<lifevalue_t>()); }},
    {"cnc_rdmaxgrp", [](uint16_t h, Arena& a) { return cnc_rdmaxgrp(h, a.get<lifevalue_t>()); }},
    {"cnc_rdmaxtool", [](uint16_t h, Arena& a) { return cnc_rdmaxtool(h, a.get<lifevalue_t>()); }},
    {"cnc_rdntool", [](uint16_t h, Arena& a) { return cnc_rdntool(h, 1, a.get<grpvalue_t>()); }},
    {"cnc_rdlife", [](uint16_t h, Arena& a) { return cnc_rdlife(h, 1, a.get<grpvalue_t>()); }},
    {"cnc_rdcount", [](uint16_t h, Arena& a) { return cnc_rdcount(h, 1, a.get<grpvalue_t>()); }},
    {"cnc_rd1length", [](uint16_t h, Arena& a) { return cnc_rd1length(h, 1, 1, a.get<toolvalue_t>()); }},
    {"cnc_rd1radius", [](uint16_t h, Arena& a) { return cnc_rd1radius(h, 1, 1, a.get<toolvalue_t>()); }},
    {"cnc_t1info", [](uint16_t h, Arena& a) { return cnc_t1info(h, 1, 1, a.get<toolvalue_t>()); }},
    {"cnc_rd2length", [](uint16_t h, Arena& a) { return cnc_rd2length(h, 1, 1, a.get<toolvalue_t>()); }},
    {"cnc_rd2radius", [](uint16_t h, Arena& a) { return cnc_rd2radius(h, 1, 1, a.get<toolvalue_t>()); }},
    {"cnc_t2info", [](uint16_t h, Arena& a) { return cnc_t2info(h, 1, 1, a.get<toolvalue_t>()); }},
    {"cnc_toolnum", [](uint16_t h, Arena& a) { return cnc_toolnum(h, 1, 1, a.get<toolvalue_t>()); }},
    {"cnc_rd2tlifedata", [](uint16_t h, Arena& a) { return cnc_rd2tlifedata(h, 1, 1, a.get<tlifedat_t>()); }},
    {"cnc_wr2tlifedata", [](uint16_t h, Arena& a) { return cnc_wr2tlifedata(h, a.get<tlifedat_t>()); }},
    {"cnc_rd1tlifedat2", [](uint16_t h, Arena& a) { return cnc_rd1tlifedat2(h, 1, 1, a.get<tlifedat2_t>()); }},
    {"cnc_wr1tlifedat2", [](uint16_t h, Arena& a) { return cnc_wr1tlifedat2(h, a.get<tlifedat2_t>()); }},
    {"cnc_rd1tlifedata", [](uint16_t h, Arena& a) { return cnc_rd1tlifedata(h, 1, 1, a.get<tlifedat_t>()); }},
    {"cnc_wr1tlifedata", [](uint16_t h, Arena& a) { return cnc_wr1tlifedata(h, a.get<tlifedat_t>()); }},
    {"cnc_rdtoolrng", [](uint16_t h, Arena& a) { return cnc_rdtoolrng(h, 1, 3, sizeof(toolrng_t), a.get<toolrng_t>()); }},
    {"cnc_rdgrpinfo", [](uint16_t h, Arena& a) { return cnc_rdgrpinfo(h, 1, 3, sizeof(grpinfo_t), a.get<grpinfo_t>()); }},
    {"cnc_rdusetlno", [](uint16_t h, Arena& a) { return cnc_rdusetlno(h, 1, 3, sizeof(usetlno_t), a.get<usetlno_t>()); }},
    {"cnc_wrcountr", [](uint16_t h, Arena& a) { return cnc_wrcountr(h, sizeof(usetlno_t), range_in<usetlno_t>(a)); }},
    {"cnc_wrgrpinfo", [](uint16_t h, Arena& a) { return cnc_wrgrpinfo(h, sizeof(wrgrpinfo_t), range_in<wrgrpinfo_t>(a)); }},
    {"cnc_rdusegrpid", [](uint16_t h, Arena& a) { return cnc_rdusegrpid(h, a.get<usegrp_t>()); }},
    {"cnc_rdgrpid2", [](uint16_t h, Arena& a) { return cnc_rdgrpid2(h, 101, a.get<grpid_t>()); }},
    {"cnc_rdgrpid", [](uint16_t h, Arena& a) { return cnc_rdgrpid(h, 101, a.get<grpid1_t>()); }},
    {"cnc_deltlifegrp", [](uint16_t h, Arena&) { return cnc_deltlifegrp(h, 9); }},
    {"cnc_deltlifedt", [](uint16_t h, Arena&) { return cnc_deltlifedt(h, 9, 1); }},
    {"cnc_clrcntinfo", [](uint16_t h, Arena&) { return cnc_clrcntinfo(h, 1, 2); }},
    {"cnc_instlifedt", [](uint16_t h, Arena& a) { return cnc_instlifedt(h, a.get<instlfdt_t>()); }},
    {"cnc_rdgrpinfo2", [](uint16_t h, Arena& a) { return cnc_rdgrpinfo2(h, 1, 2, a.count<int16_t>(64), a.bytes(64)); }},
    {"cnc_rdgrpinfo3", [](uint16_t h, Arena& a) { return cnc_rdgrpinfo3(h, 1, 2, a.count<int16_t>(64), a.bytes(64)); }},
    {"cnc_rdgrpinfo4", [](uint16_t h, Arena& a) { return cnc_rdgrpinfo4(h, 1, 2, a.count<int16_t>(64), a.bytes(64)); }},
    {"cnc_wrgrpinfo2", [](uint16_t h, Arena& a) { return cnc_wrgrpinfo2(h, 1, 2, 40, a.bytes(40)); }},
    {"cnc_wrgrpinfo3", [](uint16_t h, Arena& a) { return cnc_wrgrpinfo3(h, 1, 2, 40, a.bytes(40)); }},
    {"cnc_rdtlinfo", [](uint16_t h, Arena& a) { return cnc_rdtlinfo(h, a.count<int16_t>(12), a.bytes(12)); }},
    {"cnc_rdtlusegrp", [](uint16_t h, Arena& a) { return cnc_rdtlusegrp(h, a.count<int16_t>(12), a.bytes(12)); }},
    {"cnc_rdtlgrp", [](uint16_t h, Arena& a) { return cnc_rdtlgrp(h, 1, a.count<int16_t>(36), a.bytes(36)); }},
    {"cnc_rdtoolgrp", [](uint16_t h, Arena& a) {
       return cnc_rdtoolgrp(h, 1, a.count<int16_t>(3 * sizeof(tlgrptool_t)), a.get<tlgrptool_t>(3 * sizeof(tlgrptool_t)));
     }},
    // tool data
    {"cnc_rdtool", [](uint16_t h, Arena& a) { return cnc_rdtool(h, 1, a.count<int16_t>(2), a.get<toolrec_t>(2 * sizeof(toolrec_t))); }},
    {"cnc_wrtool", [](uint16_t h, Arena& a) { return cnc_wrtool(h, 1, a.get<toolrec_t>()); }},
    {"cnc_regtool", [](uint16_t h, Arena& a) { return cnc_regtool(h, 1, a.count<int16_t>(2), a.get<toolrec_t>(2 * sizeof(toolrec_t))); }},
    {"cnc_deltool", [](uint16_t h, Arena& a) { return cnc_deltool(h, 1, a.count<int16_t>(3)); }},
    {"cnc_wrtool2", [](uint16_t h, Arena& a) { return cnc_wrtool2(h, 1, a.get<toolitem_t>()); }},
    {"cnc_regmagazine", [](uint16_t h, Arena& a) { return cnc_regmagazine(h, a.count<int16_t>(2), a.get<magazine_t>(2 * sizeof(magazine_t))); }},
    {"cnc_delmagazine", [](uint16_t h, Arena& a) { return cnc_delmagazine(h, a.count<int16_t>(2), a.get<magazine_t>(2 * sizeof(magazine_t))); }},
    {"cnc_rdmagazine", [](uint16_t h, Arena& a) {
       return cnc_rdmagazine(h, a.count<int16_t>(1), a.count<int16_t>(2), a.get<magazine_t>(2 * sizeof(magazine_t)));
     }},
    {"cnc_wrmagazine", [](uint16_t h, Arena&) { return cnc_wrmagazine(h, 1, 2, 3); }},
    {"cnc_regtool_f2", [](uint16_t h, Arena& a) { return cnc_regtool_f2(h, 1, a.count<int16_t>(1), a.get<toolrec2_t>()); }},
    {"cnc_rdtool_f2", [](uint16_t h, Arena& a) { return cnc_rdtool_f2(h, 1, a.count<int16_t>(1), a.get<toolrec2_t>()); }},
    {"cnc_wrtool_f2", [](uint16_t h, Arena& a) { return cnc_wrtool_f2(h, 1, a.get<toolrec2_t>()); }},
    {"cnc_rdhdnxt", [](uint16_t h, Arena& a) { return cnc_rdhdnxt(h, a.get<int32_t>(), a.get<int32_t>()); }},
    {"cnc_btlfpotsrh", [](uint16_t h, Arena& a) { return cnc_btlfpotsrh(h, 1, 2, 3, a.get<int16_t>()); }},
    {"cnc_tool_move", [](uint16_t h, Arena& a) { return cnc_tool_move(h, a.get<int32_t>(8), a.get<int32_t>()); }},
    {"cnc_reg_toolstrage", [](uint16_t h, Arena& a) { return cnc_reg_toolstrage(h, 1, a.get<magazine_t>()); }},
    {"cnc_rdedgedata", [](uint16_t h, Arena& a) { return cnc_rdedgedata(h, 1, a.count<int16_t>(2), a.bytes(128)); }},
    {"cnc_wredgedata2", [](uint16_t h, Arena&) { return cnc_wredgedata2(h, 1, 1, 2, 3); }},
    // panel
    {"cnc_rdopnlsgnl", [](uint16_t h, Arena& a) { return cnc_rdopnlsgnl(h, 1, a.get<opnlsgnl_t>()); }},
    {"cnc_wropnlsgnl", [](uint16_t h, Arena& a) { return cnc_wropnlsgnl(h, a.get<opnlsgnl_t>()); }},
    {"cnc_rdopnlgnrl", [](uint16_t h, Arena& a) { return cnc_rdopnlgnrl(h, 1, a.get<opnlgnrl_t>()); }},
    {"cnc_rdopnlgnrl2", [](uint16_t h, Arena& a) { return cnc_rdopnlgnrl2(h, 1, a.get<opnlgnrl_t>()); }},
    {"cnc_wropnlgnrl", [](uint16_t h, Arena& a) { return cnc_wropnlgnrl(h, a.get<opnlgnrl_t>()); }},
    {"cnc_wropnlgnrl2", [](uint16_t h, Arena& a) { return cnc_wropnlgnrl2(h, a.get<opnlgnrl_t>()); }},
    {"cnc_rdopnlgsname", [](uint16_t h, Arena& a) { return cnc_rdopnlgsname(h, 1, a.get<opnlgsname_t>()); }},
    {"cnc_rdopnlgsname2", [](uint16_t h, Arena& a) { return cnc_rdopnlgsname2(h, 1, a.get<opnlgsname_t>()); }},
    {"cnc_wropnlgsname", [](uint16_t h, Arena& a) { return cnc_wropnlgsname(h, a.get<opnlgsname_t>()); }},
    {"cnc_wropnlgsname2", [](uint16_t h, Arena& a) { return cnc_wropnlgsname2(h, a.get<opnlgsname_t>()); }},
    {"cnc_rdmenuswitch", [](uint16_t h, Arena& a) { return cnc_rdmenuswitch(h, a.get<int32_t>()); }},
    {"cnc_wrmenuswitch", [](uint16_t h, Arena&) { return cnc_wrmenuswitch(h, 1, -1); }},
    // servo and spindle: arrays sized for the configuration's counts
    {"cnc_rdloopgain", [](uint16_t h, Arena& a) { return cnc_rdloopgain(h, a.get<int32_t>(4 * 32)); }},
    {"cnc_rdcurrent", [](uint16_t h, Arena& a) { return cnc_rdcurrent(h, a.get<int16_t>(2 * 32)); }},
    {"cnc_rdsrvspeed", [](uint16_t h, Arena& a) { return cnc_rdsrvspeed(h, a.get<int32_t>(4 * 32)); }},
    {"cnc_rdposerrs", [](uint16_t h, Arena& a) { return cnc_rdposerrs(h, a.get<int32_t>(4 * 32)); }},
    {"cnc_rdposerrs2", [](uint16_t h, Arena& a) { return cnc_rdposerrs2(h, a.get<int32_t>(8)); }},
    {"cnc_rdposerrz", [](uint16_t h, Arena& a) { return cnc_rdposerrz(h, a.get<int32_t>()); }},
    {"cnc_rdsynerrsy", [](uint16_t h, Arena& a) { return cnc_rdsynerrsy(h, a.get<int32_t>()); }},
    {"cnc_rdsynerrrg", [](uint16_t h, Arena& a) { return cnc_rdsynerrrg(h, a.get<int32_t>()); }},
    {"cnc_rdopmode", [](uint16_t h, Arena& a) { return cnc_rdopmode(h, a.get<int16_t>(2 * 32)); }},
    {"cnc_rdspdlalm", [](uint16_t h, Arena& a) { return cnc_rdspdlalm(h, a.get<uint8_t>(32)); }},
    {"cnc_rdctrldi", [](uint16_t h, Arena& a) { return cnc_rdctrldi(h, a.get<uint32_t>(4 * 32)); }},
    {"cnc_rdctrldo", [](uint16_t h, Arena& a) { return cnc_rdctrldo(h, a.get<uint32_t>(4 * 32)); }},
    {"cnc_rdnspdl", [](uint16_t h, Arena& a) { return cnc_rdnspdl(h, a.get<int16_t>()); }},
    {"cnc_rdservoid", [](uint16_t h, Arena& a) { return cnc_rdservoid(h, 1, 2, a.get<char>(129)); }},
    {"cnc_rdspindleid", [](uint16_t h, Arena& a) { return cnc_rdspindleid(h, 1, 2, a.get<char>(129)); }},
    {"cnc_rdfromservoid", [](uint16_t h, Arena& a) { return cnc_rdfromservoid(h, 1, a.get<char>(129)); }},
    {"cnc_rdfromspindleid", [](uint16_t h, Arena& a) { return cnc_rdfromspindleid(h, 1, a.get<char>(129)); }},
    {"cnc_rdservoid2", [](uint16_t h, Arena& a) { return cnc_rdservoid2(h, 1, 2, a.get<char>(129)); }},
    {"cnc_rdspindleid2", [](uint16_t h, Arena& a) { return cnc_rdspindleid2(h, 1, 2, a.get<char>(129)); }},
    {"cnc_rdfromservoid2", [](uint16_t h, Arena& a) { return cnc_rdfromservoid2(h, 1, a.get<char>(129)); }},
    {"cnc_rdfromspindleid2", [](uint16_t h, Arena& a) { return cnc_rdfromspindleid2(h, 1, a.get<char>(129)); }},
    // graphics
    {"cnc_startdrawpos", [](uint16_t h, Arena&) { return cnc_startdrawpos(h); }},
    {"cnc_stopdrawpos", [](uint16_t h, Arena&) { return cnc_stopdrawpos(h); }},
    {"cnc_startdyngrph", [](uint16_t h, Arena&) { return cnc_startdyngrph(h); }},
    {"cnc_stopdyngrph", [](uint16_t h, Arena&) { return cnc_stopdyngrph(h); }},
    {"cnc_rdgrphcmd", [](uint16_t h, Arena& a) { return cnc_rdgrphcmd(h, a.count<uint16_t>(64), a.bytes(64)); }},
    {"cnc_wrgrphcmdptr", [](uint16_t h, Arena&) { return cnc_wrgrphcmdptr(h, 2); }},
    {"cnc_rdgrphcanflg", [](uint16_t h, Arena& a) { return cnc_rdgrphcanflg(h, a.get<uint16_t>()); }},
    {"cnc_clrgrphcmd", [](uint16_t h, Arena&) { return cnc_clrgrphcmd(h); }},
};

}  // namespace oz::test
