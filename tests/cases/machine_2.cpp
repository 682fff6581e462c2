// Exports of the backup, C-executor, protection, sampling, raw memory and
// board families (listed rows are walked from their rows).
#include <cstring>

#include "tests/cases/cases.h"

namespace oz::test {
namespace {

const char kPassword[12] = {'P', 'S', 'W', '1', 0, 0, 0, 0, 0, 0, 0, 0};
const uint8_t kSetting[6] = {1, 2, 3, 4, 5, 6};

}  // namespace

OZ_EXPORT_CASES(machine_2) = {
    {"cnc_fromsvstart", [](uint16_t h, Arena&) { return cnc_fromsvstart(h, 1, "ABC", 7); }},
    {"cnc_fromgetstart", [](uint16_t h, Arena&) { return cnc_fromgetstart(h, 1, "ABC"); }},
    {"cnc_fromgetstart2", [](uint16_t h, Arena&) { return cnc_fromgetstart2(h, 1, "ABC"); }},
    {"cnc_fromldstart", [](uint16_t h, Arena&) { return cnc_fromldstart(h, 1, 7); }},
    {"cnc_fromputstart", [](uint16_t h, Arena&) { return cnc_fromputstart(h, 1); }},
    {"cnc_fromputstart2", [](uint16_t h, Arena&) { return cnc_fromputstart2(h, 1); }},
    {"cnc_srambkstart", [](uint16_t h, Arena&) { return cnc_srambkstart(h, "S", 2); }},
    {"cnc_sramgetstart", [](uint16_t h, Arena&) { return cnc_sramgetstart(h, "S"); }},
    {"cnc_sramgetstart2", [](uint16_t h, Arena&) { return cnc_sramgetstart2(h, "S"); }},
    {"cnc_sramputstart", [](uint16_t h, Arena&) { return cnc_sramputstart(h, "S"); }},
    {"cnc_sramputstart2", [](uint16_t h, Arena&) { return cnc_sramputstart2(h, "S"); }},
    {"cnc_fromsave", [](uint16_t h, Arena& a) {
       return cnc_fromsave(h, a.get<int16_t>(), a.bytes(512), a.count<int32_t>(512));
     }},
    {"cnc_fromget", [](uint16_t h, Arena& a) {
       return cnc_fromget(h, a.get<int16_t>(), a.bytes(512), a.count<int32_t>(512));
     }},
    {"cnc_fromload", [](uint16_t h, Arena& a) { return cnc_fromload(h, a.bytes(64), a.count<int32_t>(64)); }},
    {"cnc_fromput", [](uint16_t h, Arena& a) { return cnc_fromput(h, a.bytes(64), a.count<int32_t>(64)); }},
    {"cnc_sramrestore", [](uint16_t h, Arena& a) {
       return cnc_sramrestore(h, a.get<int16_t>(), a.bytes(64), a.count<int32_t>(64));
     }},
    {"cnc_sramput", [](uint16_t h, Arena& a) {
       return cnc_sramput(h, a.get<int16_t>(), a.bytes(64), a.count<int32_t>(64));
     }},
    {"cnc_fromsvend", [](uint16_t h, Arena&) { return cnc_fromsvend(h); }},
    {"cnc_sramputend", [](uint16_t h, Arena&) { return cnc_sramputend(h); }},
    {"cnc_sramrestoreend", [](uint16_t h, Arena&) { return cnc_sramrestoreend(h); }},
    {"cnc_rdfrominfo", [](uint16_t h, Arena& a) { return cnc_rdfrominfo(h, 0, a.get<frominfo_t>()); }},
    {"cnc_fromdelete", [](uint16_t h, Arena&) { return cnc_fromdelete(h, 0, "ABCDEFGHIJKLMNOPQRST", 3); }},
    {"cnc_fromremove", [](uint16_t h, Arena&) { return cnc_fromremove(h, 0, "ABC"); }},
    {"cnc_atbk_rdtime", [](uint16_t h, Arena& a) { return cnc_atbk_rdtime(h, a.count<int16_t>(32), a.bytes(32)); }},

    {"cnc_opencexefile", [](uint16_t h, Arena&) { return cnc_opencexefile(h, "/USER/A.TXT", 1, 0); }},
    {"cnc_rdcexefile", [](uint16_t h, Arena& a) { return cnc_rdcexefile(h, a.bytes(512), a.count<int32_t>(512)); }},
    {"cnc_wrcexefile", [](uint16_t h, Arena& a) { return cnc_wrcexefile(h, a.bytes(64), a.count<int32_t>(64)); }},
    {"cnc_closecexefile", [](uint16_t h, Arena&) { return cnc_closecexefile(h); }},
    {"cnc_cexedirectory", [](uint16_t h, Arena& a) {
       return cnc_cexedirectory(h, "/USER/", a.count<int16_t>(4), 0, a.get<cexedir_t>(4 * sizeof(cexedir_t)));
     }},
    {"cnc_rdcexesram", [](uint16_t h, Arena& a) { return cnc_rdcexesram(h, 16, a.bytes(64), a.count<int32_t>(64)); }},
    {"cnc_wrcexesram", [](uint16_t h, Arena& a) { return cnc_wrcexesram(h, 16, a.bytes(64), a.count<int32_t>(64)); }},
    {"cnc_cexesramsize", [](uint16_t h, Arena& a) { return cnc_cexesramsize(h, a.get<int32_t>()); }},
    {"cnc_cexesraminfo", [](uint16_t h, Arena& a) {
       return cnc_cexesraminfo(h, a.get<int16_t>(), a.get<int32_t>(), a.get<int32_t>());
     }},

    {"cnc_rdope_lvl", [](uint16_t h, Arena& a) { return cnc_rdope_lvl(h, a.get<int16_t>()); }},
    {"cnc_prot_pswinp", [](uint16_t h, Arena&) { return cnc_prot_pswinp(h, kPassword); }},
    {"cnc_prot_pswcan", [](uint16_t h, Arena&) { return cnc_prot_pswcan(h); }},
    {"cnc_prot_pswchg", [](uint16_t h, Arena&) {
       return cnc_prot_pswchg(h, 1, kPassword, kPassword, kPassword);
     }},
    {"cnc_prot_pswinit", [](uint16_t h, Arena&) { return cnc_prot_pswinit(h, 1); }},
    {"cnc_rdprt_lvl", [](uint16_t h, Arena& a) { return cnc_rdprt_lvl(h, 1, a.get<int16_t>(), a.get<int16_t>()); }},
    {"cnc_wrprt_lvl", [](uint16_t h, Arena&) { return cnc_wrprt_lvl(h, 1, 2, 3); }},
    {"cnc_rdprt_data", [](uint16_t h, Arena& a) { return cnc_rdprt_data(h, 1, a.get<int16_t>()); }},
    {"cnc_getlockstat", [](uint16_t h, Arena& a) { return cnc_getlockstat(h, 1, a.get<uint8_t>(4)); }},
    {"cnc_chgprotbit", [](uint16_t h, Arena& a) {
       uint8_t* mask = a.get<uint8_t>(4);
       std::memset(mask, 0x0F, 4);
       return cnc_chgprotbit(h, 1, mask, 5);
     }},

    {"cnc_stpossmpl", [](uint16_t h, Arena&) { return cnc_stpossmpl(h, 1, kSetting); }},
    {"cnc_rdpossmpl", [](uint16_t h, Arena& a) {
       return cnc_rdpossmpl(h, a.count<int32_t>(4), a.get<possmpl_t>(4 * sizeof(possmpl_t)));
     }},
    {"cnc_endpossmpl", [](uint16_t h, Arena&) { return cnc_endpossmpl(h); }},
    {"cnc_rdtrqmonitor", [](uint16_t h, Arena& a) { return cnc_rdtrqmonitor(h, 1, a.bytes(64), a.count<int32_t>(64)); }},
    {"cnc_twp_rdfcoord", [](uint16_t h, Arena& a) { return cnc_twp_rdfcoord(h, 1, a.get<twpcoord_t>()); }},
    {"cnc_rdrepeatval", [](uint16_t h, Arena& a) { return cnc_rdrepeatval(h, a.get<int32_t>()); }},

    {"cnc_rdcncmem", [](uint16_t h, Arena& a) { return cnc_rdcncmem(h, 1, 0x100, 8, a.bytes(16)); }},
    {"cnc_wrcncmem", [](uint16_t h, Arena& a) { return cnc_wrcncmem(h, 2, 0x100, 4, a.bytes(16)); }},
    {"cnc_rdfbusmem", [](uint16_t h, Arena& a) { return cnc_rdfbusmem(h, 2, 1, 0x40, 4, a.bytes(16)); }},
    {"cnc_wrfbusmem", [](uint16_t h, Arena& a) { return cnc_wrfbusmem(h, 1, 1, 0x40, 8, a.bytes(16)); }},

    {"flnt_rdparam", [](uint16_t h, Arena& a) { return flnt_rdparam(h, a.get<flntprm_t>()); }},
    {"flnt_rdparam2", [](uint16_t h, Arena& a) { return flnt_rdparam2(h, 1, a.get<flntprm_t>()); }},
    {"flnt_clrnetwork", [](uint16_t h, Arena&) { return flnt_clrnetwork(h); }},
    {"flnt_clrlog", [](uint16_t h, Arena&) { return flnt_clrlog(h); }},
    {"flnt_clrmsg", [](uint16_t h, Arena&) { return flnt_clrmsg(h); }},
    {"cnc_rdflnetsram", [](uint16_t h, Arena& a) { return cnc_rdflnetsram(h, 0, 8, a.count<int32_t>(64), a.bytes(64)); }},
    {"cnc_wrflnetsram", [](uint16_t h, Arena& a) { return cnc_wrflnetsram(h, 0, 8, a.count<int32_t>(64), a.bytes(64)); }},
    {"pbm_rd_param", [](uint16_t h, Arena& a) { return pbm_rd_param(h, 1, a.count<int16_t>(64), a.bytes(64)); }},
    {"pbm_chg_mode", [](uint16_t h, Arena&) { return pbm_chg_mode(h, 2); }},
    {"pmc_prfrdslvprm", [](uint16_t h, Arena& a) { return pmc_prfrdslvprm(h, 3, a.get<prfslvprm_t>()); }},
    {"pmc_prfwrslvprm", [](uint16_t h, Arena& a) { return pmc_prfwrslvprm(h, 3, a.get<prfslvprm_t>()); }},
    {"pmc_prfwropmode", [](uint16_t h, Arena&) { return pmc_prfwropmode(h, 1); }},
};

}  // namespace oz::test
