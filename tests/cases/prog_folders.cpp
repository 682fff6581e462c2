// Program data folders, the data server and the Ethernet board: every
// export with plausible arguments (the listed eth_ rows need none).
#include <cstring>

#include "tests/cases/cases.h"

namespace {

using oz::test::Arena;

const char kPath[] = "//CNC_MEM/USER/PATH1/O0001";

pdfsdir_in_t* folderIn(Arena& a) {
  auto* in = a.get<pdfsdir_in_t>();
  std::memset(in, 0, sizeof *in);
  std::strcpy(in->path, "//CNC_MEM/USER/");
  in->sel1 = 1;
  in->sel2 = 2;
  return in;
}

dsfile_in_t* dsIn(Arena& a, int16_t count) {
  auto* in = a.get<dsfile_in_t>();
  std::memset(in, 0, sizeof *in);
  std::strcpy(in->path, "/NC/");
  in->count = count;
  return in;
}

pdfprginf_in_t* prgIn(Arena& a) {
  auto* in = a.get<pdfprginf_in_t>();
  std::memset(in, 0, sizeof *in);
  std::strcpy(in->path, kPath);
  return in;
}

char* path(Arena& a) { return a.get<char>(OZ_PDF_PATH); }

}  // namespace

OZ_EXPORT_CASES(prog_folders) = {
    {"cnc_rdpdf_drive", [](uint16_t h, Arena& a) { return cnc_rdpdf_drive(h, a.get<pdfdrive_t>()); }},
    {"cnc_rdpdf_inf", [](uint16_t h, Arena& a) { return cnc_rdpdf_inf(h, "CNC_MEM", 0, a.get<pdfinf_t>()); }},
    {"cnc_rdpdf_curdir", [](uint16_t h, Arena& a) { return cnc_rdpdf_curdir(h, 0, path(a)); }},
    {"cnc_wrpdf_curdir", [](uint16_t h, Arena&) { return cnc_wrpdf_curdir(h, 0, "//CNC_MEM/USER/"); }},
    {"cnc_rdpdf_subdir", [](uint16_t h, Arena& a) {
       return cnc_rdpdf_subdir(h, a.count<int16_t>(80), folderIn(a), a.get<pdfsdir_t>(80 * sizeof(pdfsdir_t)));
     }},
    {"cnc_rdpdf_alldir", [](uint16_t h, Arena& a) {
       return cnc_rdpdf_alldir(h, a.count<int16_t>(25), folderIn(a), a.get<pdfadir_t>(25 * sizeof(pdfadir_t)));
     }},
    {"cnc_rdpdf_subdirn", [](uint16_t h, Arena& a) { return cnc_rdpdf_subdirn(h, kPath, a.get<pdfsubdirn_t>()); }},
    {"cnc_pdf_add", [](uint16_t h, Arena&) { return cnc_pdf_add(h, kPath); }},
    {"cnc_pdf_del", [](uint16_t h, Arena&) { return cnc_pdf_del(h, kPath); }},
    {"cnc_pdf_delall", [](uint16_t h, Arena&) { return cnc_pdf_delall(h, 0, "//CNC_MEM/USER/"); }},
    {"cnc_pdf_rename", [](uint16_t h, Arena&) { return cnc_pdf_rename(h, kPath, "O0002"); }},
    {"cnc_wrpdf_attr", [](uint16_t h, Arena&) {
       const pdfattr_t attr{1, 2};
       return cnc_wrpdf_attr(h, kPath, &attr);
     }},
    {"cnc_pdf_rdmain", [](uint16_t h, Arena& a) { return cnc_pdf_rdmain(h, path(a)); }},
    {"cnc_pdf_slctmain", [](uint16_t h, Arena&) { return cnc_pdf_slctmain(h, kPath); }},
    {"cnc_pdf_cond", [](uint16_t h, Arena&) { return cnc_pdf_cond(h, kPath); }},
    {"cnc_rdpdf_line", [](uint16_t h, Arena& a) {
       return cnc_rdpdf_line(h, kPath, 1, a.get<char>(512), a.count<int32_t>(10), a.count<int32_t>(512));
     }},
    {"cnc_rdpdf_line2", [](uint16_t h, Arena& a) {
       return cnc_rdpdf_line2(h, kPath, 1, a.get<char>(512), a.count<int32_t>(10), a.count<int32_t>(512));
     }},
    {"cnc_wrpdf_line", [](uint16_t h, Arena&) { return cnc_wrpdf_line(h, kPath, 2, "G04X1.\n", 7); }},
    {"cnc_pdf_delline", [](uint16_t h, Arena&) { return cnc_pdf_delline(h, kPath, 2, 1); }},
    {"cnc_exeprgname", [](uint16_t h, Arena& a) { return cnc_exeprgname(h, a.get<exeprgname_t>()); }},
    {"cnc_exeprgname2", [](uint16_t h, Arena& a) { return cnc_exeprgname2(h, path(a)); }},
    {"cnc_pdf_copy", [](uint16_t h, Arena&) { return cnc_pdf_copy(h, kPath, "//CNC_MEM/USER/LIBRARY/"); }},
    {"cnc_pdf_move", [](uint16_t h, Arena&) { return cnc_pdf_move(h, kPath, "//CNC_MEM/USER/LIBRARY/"); }},
    {"cnc_pdf_rdactpt", [](uint16_t h, Arena& a) { return cnc_pdf_rdactpt(h, path(a), a.get<int32_t>()); }},
    {"cnc_pdf_wractpt", [](uint16_t h, Arena& a) { return cnc_pdf_wractpt(h, kPath, 1, a.count<int32_t>(3)); }},
    {"cnc_rdpdf_prginf", [](uint16_t h, Arena& a) { return cnc_rdpdf_prginf(h, prgIn(a), a.get<pdfprginf_t>()); }},
    {"cnc_getsysfolder_num", [](uint16_t h, Arena& a) { return cnc_getsysfolder_num(h, a.get<int16_t>()); }},
    {"cnc_rdproctime2", [](uint16_t h, Arena& a) { return cnc_rdproctime2(h, a.get<proctime2_t>()); }},
    {"cnc_setpdf_pglock", [](uint16_t h, Arena&) { return cnc_setpdf_pglock(h, kPath); }},
    {"cnc_resetpdf_pglock", [](uint16_t h, Arena&) { return cnc_resetpdf_pglock(h, kPath); }},
    {"cnc_rdpdf_pglockstat", [](uint16_t h, Arena& a) {
       return cnc_rdpdf_pglockstat(h, a.count<int32_t>(4), a.get<char>(4 * OZ_PDF_PATH));
     }},

    {"ds_dwnstart", [](uint16_t h, Arena&) { return ds_dwnstart(h, "PART.NC", 1); }},
    {"ds_download", [](uint16_t h, Arena& a) { return ds_download(h, a.count<int32_t>(4), "G01\n"); }},
    {"ds_dwnend", [](uint16_t h, Arena&) { return ds_dwnend(h); }},
    {"ds_rdhdddir", [](uint16_t h, Arena& a) {
       return ds_rdhdddir(h, "/NC", 0, a.count<int16_t>(20), a.get<hddentry_t>(20 * sizeof(hddentry_t)));
     }},
    {"ds_delhddfile", [](uint16_t h, Arena&) { return ds_delhddfile(h, "A.NC"); }},
    {"ds_chghdddir", [](uint16_t h, Arena&) { return ds_chghdddir(h, "/NC"); }},
    {"ds_rdresult", [](uint16_t h, Arena&) { return ds_rdresult(h); }},
    {"ds_cancel", [](uint16_t h, Arena&) { return ds_cancel(h); }},
    {"cnc_wrdsdncfile", [](uint16_t h, Arena&) { return cnc_wrdsdncfile(h, "DATA_SV", "A.NC"); }},
    {"cnc_dsremove", [](uint16_t h, Arena&) { return cnc_dsremove(h, "DATA_SV", "A.NC"); }},
    {"cnc_dsget_req", [](uint16_t h, Arena&) { return cnc_dsget_req(h, "HOST.NC", "A.NC", 0); }},
    {"cnc_dsmkdir", [](uint16_t h, Arena&) { return cnc_dsmkdir(h, "DATA_SV", "JOBS"); }},
    {"cnc_dsrmdir", [](uint16_t h, Arena&) { return cnc_dsrmdir(h, "DATA_SV", "JOBS"); }},
    {"cnc_dsftpstat", [](uint16_t h, Arena&) { return cnc_dsftpstat(h); }},
    {"cnc_dsput_req", [](uint16_t h, Arena&) { return cnc_dsput_req(h, "HOST.NC", "A.NC"); }},
    {"cnc_dsftpcancel", [](uint16_t h, Arena&) { return cnc_dsftpcancel(h); }},
    {"cnc_dsrename", [](uint16_t h, Arena&) { return cnc_dsrename(h, "DATA_SV", "A.NC", "B.NC"); }},
    {"cnc_dsmget_req", [](uint16_t h, Arena&) { return cnc_dsmget_req(h, "*"); }},
    {"cnc_dsmput_req", [](uint16_t h, Arena&) { return cnc_dsmput_req(h, "*"); }},
    {"cnc_dslistget_req", [](uint16_t h, Arena&) { return cnc_dslistget_req(h, "LIST.TXT"); }},
    {"cnc_dslistput_req", [](uint16_t h, Arena&) { return cnc_dslistput_req(h, "LIST.TXT"); }},
    {"cnc_dslistdel_req", [](uint16_t h, Arena&) { return cnc_dslistdel_req(h, "LIST.TXT"); }},
    {"cnc_rddsfile", [](uint16_t h, Arena& a) {
       return cnc_rddsfile(h, "DATA_SV", dsIn(a, 20), a.get<dsfile_t>(), a.get<dsentry_t>(20 * sizeof(dsentry_t)));
     }},
    {"cnc_dschdir", [](uint16_t h, Arena& a) {
       return cnc_dschdir(h, "MEMCARD", "NC", dsIn(a, 20), a.get<dsfile_t>(), a.get<dsentry_t>(20 * sizeof(dsentry_t)));
     }},
    {"cnc_rddsdir", [](uint16_t h, Arena& a) { return cnc_rddsdir(h, "DATA_SV", a.get<int16_t>(), path(a)); }},
    {"cnc_rddsdncfile", [](uint16_t h, Arena& a) { return cnc_rddsdncfile(h, "DATA_SV", a.get<int16_t>(), path(a)); }},
    {"cnc_rddsdevinfo", [](uint16_t h, Arena& a) { return cnc_rddsdevinfo(h, 0, a.get<dsdevinfo_t>()); }},
    {"eth_rddsm198host", [](uint16_t h, Arena& a) { return eth_rddsm198host(h, 1, a.get<int16_t>(), path(a)); }},
    {"eth_wrdsm198host", [](uint16_t h, Arena&) { return eth_wrdsm198host(h, 1, 1, "10.0.0.1"); }},
    {"eth_rdhost", [](uint16_t h, Arena& a) { return eth_rdhost(h, 1, a.get<int16_t>()); }},
    {"eth_wrhost", [](uint16_t h, Arena&) { return eth_wrhost(h, 1, 1); }},
    {"eth_rddsmode", [](uint16_t h, Arena& a) { return eth_rddsmode(h, a.get<int16_t>(10 * sizeof(int16_t))); }},
    {"eth_rdparam", [](uint16_t h, Arena& a) { return eth_rdparam(h, 22, a.get<uint8_t>(OZ_ETH_PARAM_SIZE)); }},
};
