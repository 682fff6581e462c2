// Histories, servo sampling and waveform diagnosis.
#include "tests/cases/cases.h"

namespace oz::test {
namespace {

sdbuf_t* sdbufs(Arena& a) {
  auto* b = a.get<sdbuf_t>(8 * sizeof(sdbuf_t));
  for (int i = 0; i < 8; ++i) b[i] = {a.get<int16_t>(2 * OZ_SD_MAX_SAMPLES), a.get<uint32_t>()};
  return b;
}

}  // namespace

OZ_EXPORT_CASES(events_history) = {
    {"cnc_stopophis", [](uint16_t h, Arena&) { return cnc_stopophis(h); }},
    {"cnc_startophis", [](uint16_t h, Arena&) { return cnc_startophis(h); }},
    {"cnc_rdophisno", [](uint16_t h, Arena& a) { return cnc_rdophisno(h, a.get<ophisno_t>()); }},
    {"cnc_rdophisno3", [](uint16_t h, Arena& a) { return cnc_rdophisno3(h, a.get<ophisno_t>()); }},
    {"cnc_rdophistry", [](uint16_t h, Arena& a) { return cnc_rdophistry(h, 1, 100, 806, a.bytes(806)); }},
    {"cnc_rdophistry2", [](uint16_t h, Arena& a) {
       return cnc_rdophistry2(h, 1, a.count<uint16_t>(100), a.count<uint16_t>(600), a.bytes(600));
     }},
    {"cnc_rdophistry4", [](uint16_t h, Arena& a) {
       return cnc_rdophistry4(h, 1, a.count<uint16_t>(100), a.count<uint16_t>(900), a.bytes(900));
     }},
    {"cnc_rdalmhisno", [](uint16_t h, Arena& a) { return cnc_rdalmhisno(h, a.get<ophisno_t>()); }},
    {"cnc_rdalmhisno3", [](uint16_t h, Arena& a) { return cnc_rdalmhisno3(h, a.get<ophisno_t>()); }},
    {"cnc_rdalmhistry", [](uint16_t h, Arena& a) { return cnc_rdalmhistry(h, 1, 30, 1446, a.bytes(1446)); }},
    {"cnc_rdalmhistry2", [](uint16_t h, Arena& a) { return cnc_rdalmhistry2(h, 1, 30, 1564, a.bytes(1564)); }},
    {"cnc_rdalmhistry4", [](uint16_t h, Arena& a) { return cnc_rdalmhistry4(h, 1, 20, 1764, a.bytes(1764)); }},
    {"cnc_rdalmhistry5", [](uint16_t h, Arena& a) { return cnc_rdalmhistry5(h, 1, 3, 1552, a.bytes(1552)); }},
    {"cnc_clearophis", [](uint16_t h, Arena&) { return cnc_clearophis(h, 1); }},
    {"cnc_rdhissgnl", [](uint16_t h, Arena& a) { return cnc_rdhissgnl(h, a.get<hissgnl_t>()); }},
    {"cnc_wrhissgnl", [](uint16_t h, Arena& a) {
       auto* t = a.get<hissgnl_t>();
       *t = hissgnl_t{};
       t->count = 3;
       return cnc_wrhissgnl(h, t);
     }},
    {"cnc_stopomhis", [](uint16_t h, Arena&) { return cnc_stopomhis(h); }},
    {"cnc_startomhis", [](uint16_t h, Arena&) { return cnc_startomhis(h); }},
    {"cnc_rdomhisinfo", [](uint16_t h, Arena& a) { return cnc_rdomhisinfo(h, a.get<omhisinfo_t>()); }},
    {"cnc_rdomhisno", [](uint16_t h, Arena& a) { return cnc_rdomhisno(h, a.get<ophisno_t>()); }},
    {"cnc_rdomhistry", [](uint16_t h, Arena& a) {
       return cnc_rdomhistry(h, 0, a.count<uint16_t>(7), a.get<omhis_rec_t>(7 * sizeof(omhis_rec_t)));
     }},
    {"cnc_rdomhistry2", [](uint16_t h, Arena& a) { return cnc_rdomhistry2(h, 1, 7, 1908, a.bytes(1908)); }},
    {"cnc_clearomhis", [](uint16_t h, Arena&) { return cnc_clearomhis(h); }},
    {"cnc_wrkeyhistry", [](uint16_t h, Arena&) { return cnc_wrkeyhistry(h, 0x41); }},

    {"cnc_sdsetchnl", [](uint16_t h, Arena& a) {
       auto* ch = a.get<sdchnl_t>(2 * sizeof(sdchnl_t));
       ch[0] = {0, 1, {0, 0}, 0, 2, 0};
       ch[1] = {1, 1, {0, 0}, 100, 1, 0};
       return cnc_sdsetchnl(h, 2, ch);
     }},
    {"cnc_sfbsetchnl", [](uint16_t h, Arena& a) {
       auto* ch = a.get<sdchnl_t>();
       *ch = {0, 1, {0, 0}, 0, 2, 0};
       return cnc_sfbsetchnl(h, 1, 0, ch);
     }},
    {"cnc_sdsetchnl2", [](uint16_t h, Arena& a) {
       auto* ch = a.get<sdchnl2_t>(2 * sizeof(sdchnl2_t));
       ch[0] = {0, 1, 0, 2, 0, {}};
       ch[1] = {1, 1, 100, 1, 0, {}};
       return cnc_sdsetchnl2(h, 2, ch);
     }},
    {"cnc_sdclrchnl", [](uint16_t h, Arena&) { return cnc_sdclrchnl(h); }},
    {"cnc_sdtclrchnl", [](uint16_t h, Arena&) { return cnc_sdtclrchnl(h); }},
    {"cnc_sdstartsmpl", [](uint16_t h, Arena& a) { return cnc_sdstartsmpl(h, 1, 10, a.get<int16_t>(16)); }},
    {"cnc_sdstartsmpl2", [](uint16_t h, Arena& a) {
       auto* b = a.get<sdstart2_t>();
       *b = sdstart2_t{1, 2, 3, 4, 5};
       return cnc_sdstartsmpl2(h, 1, 2, b);
     }},
    {"cnc_sdtstartsmpl2", [](uint16_t h, Arena& a) {
       auto* b = a.get<sdstart2_t>();
       *b = sdstart2_t{1, 2, 3, 4, 5};
       return cnc_sdtstartsmpl2(h, 1, 2, b);
     }},
    {"cnc_sdstartsmplb", [](uint16_t h, Arena&) { return cnc_sdstartsmplb(h, 1, 2, 3, 4, 5); }},
    {"cnc_sfbstartsmpl", [](uint16_t h, Arena&) { return cnc_sfbstartsmpl(h, 1, 10); }},
    {"cnc_sdtstartsmpl", [](uint16_t h, Arena&) { return cnc_sdtstartsmpl(h, 1, 10); }},
    {"cnc_sdreadsmpl", [](uint16_t h, Arena& a) { return cnc_sdreadsmpl(h, a.get<int16_t>(), 50, sdbufs(a)); }},
    {"cnc_sdreadsmpl2", [](uint16_t h, Arena& a) { return cnc_sdreadsmpl2(h, a.get<int16_t>(), 50, sdbufs(a)); }},
    {"cnc_sdtreadsmpl", [](uint16_t h, Arena& a) { return cnc_sdtreadsmpl(h, a.get<int16_t>(), 50, sdbufs(a)); }},
    {"cnc_sdtreadsmpl2", [](uint16_t h, Arena& a) { return cnc_sdtreadsmpl2(h, a.get<int16_t>(), 50, sdbufs(a)); }},
    {"cnc_sdcancelsmpl", [](uint16_t h, Arena&) { return cnc_sdcancelsmpl(h); }},
    {"cnc_sdtcancelsmpl", [](uint16_t h, Arena&) { return cnc_sdtcancelsmpl(h); }},
    {"cnc_sdendsmpl", [](uint16_t h, Arena&) { return cnc_sdendsmpl(h); }},
    {"cnc_sdtendsmpl", [](uint16_t h, Arena&) { return cnc_sdtendsmpl(h); }},
    {"cnc_sdendsmpl2", [](uint16_t h, Arena&) { return cnc_sdendsmpl2(h); }},
    {"cnc_sdtendsmpl2", [](uint16_t h, Arena&) { return cnc_sdtendsmpl2(h); }},
    {"cnc_sdread1shot", [](uint16_t h, Arena& a) { return cnc_sdread1shot(h, a.get<int16_t>(16)); }},
    {"cnc_sdtread1shot", [](uint16_t h, Arena& a) { return cnc_sdtread1shot(h, a.get<int16_t>(16)); }},
    {"cnc_sdbetainfo", [](uint16_t h, Arena& a) { return cnc_sdbetainfo(h, a.count<int16_t>(4), a.get<int16_t>(56)); }},
    {"cnc_sdstartocp", [](uint16_t h, Arena&) { return cnc_sdstartocp(h, 3); }},
    {"cnc_sdtstartocp", [](uint16_t h, Arena&) { return cnc_sdtstartocp(h, 3); }},
    {"cnc_sdendocp", [](uint16_t h, Arena&) { return cnc_sdendocp(h); }},
    {"cnc_sdtendocp", [](uint16_t h, Arena&) { return cnc_sdtendocp(h); }},
    {"cnc_sdclrocp", [](uint16_t h, Arena&) { return cnc_sdclrocp(h); }},
    {"cnc_sdtclrocp", [](uint16_t h, Arena&) { return cnc_sdtclrocp(h); }},

    {"cnc_rdwaveprm", [](uint16_t h, Arena& a) { return cnc_rdwaveprm(h, a.bytes(164)); }},
    {"cnc_wrwaveprm", [](uint16_t h, Arena& a) { return cnc_wrwaveprm(h, a.bytes(164)); }},
    {"cnc_rdwaveprm2", [](uint16_t h, Arena& a) { return cnc_rdwaveprm2(h, a.get<waveprm2_t>()); }},
    {"cnc_wrwaveprm2", [](uint16_t h, Arena& a) {
       auto* p = a.get<waveprm2_t>();
       *p = waveprm2_t{};
       p->trig_letter = 'G';
       p->ch[0].kind = 13;
       p->ch[0].u.sig = {'X', 1, 5};
       return cnc_wrwaveprm2(h, p);
     }},
    {"cnc_wavestart", [](uint16_t h, Arena&) { return cnc_wavestart(h); }},
    {"cnc_wavestop", [](uint16_t h, Arena&) { return cnc_wavestop(h); }},
    {"cnc_wavestat", [](uint16_t h, Arena& a) { return cnc_wavestat(h, a.get<int16_t>()); }},
    {"cnc_rdwavedata", [](uint16_t h, Arena& a) {
       return cnc_rdwavedata(h, 1, 1, 0, a.count<int32_t>(800), a.bytes(16 + 1600));
     }},
    {"cnc_rmtwavestart", [](uint16_t h, Arena&) { return cnc_rmtwavestart(h); }},
    {"cnc_rmtwavestop", [](uint16_t h, Arena&) { return cnc_rmtwavestop(h); }},
    {"cnc_rmtwavestat", [](uint16_t h, Arena& a) { return cnc_rmtwavestat(h, a.get<int16_t>()); }},
    {"cnc_rdrmtwavedt", [](uint16_t h, Arena& a) {
       return cnc_rdrmtwavedt(h, 1, 0, a.count<int32_t>(800), a.bytes(16 + 1600));
     }},
    {"cnc_rdwavedata3", [](uint16_t h, Arena& a) {
       return cnc_rdwavedata3(h, 1, 0, a.count<int32_t>(800), a.bytes(16 + 1600));
     }},
};

}  // namespace oz::test
