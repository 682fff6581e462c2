// The unsolicited message service, the screen display calls and the
// machine-data file requests with plausible arguments.
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "sim/msg_server.h"
#include "tests/cases/cases.h"

namespace oz::test {
namespace {

unsolicprm_t* setting1(Arena& a) {
  auto* p = a.get<unsolicprm_t>();
  std::memset(p, 0, sizeof *p);
  std::strcpy(p->ipaddr, "127.0.0.1");
  p->word1 = 8200;
  p->word2 = 5;
  p->word5 = p->word6 = 1;
  p->count = 1;
  p->range[0] = {1, 5, 0, 16, {0, 0}};
  return p;
}

unsolicprm2_t* setting2(Arena& a) {
  auto* p = a.get<unsolicprm2_t>();
  std::memset(p, 0, sizeof *p);
  std::strcpy(p->address, "127.0.0.1");
  p->form = 1;
  p->count = 2;
  p->item[0] = {1, 0, 1, 5, 0, 16};
  p->item[1] = {3, 0, 1, 0, 100, 101};
  return p;
}

// Entries whose buffers are the arena's, each `room` bytes.
template <class M, class E>
M* messages(Arena& a, size_t room) {
  auto* m = a.get<M>();
  for (E& e : m->entry) {
    std::memset(&e, 0, sizeof e);
    e.data = a.bytes(room);
  }
  return m;
}

// A display for 127.0.0.1, in a name space of the process's own, so the
// display calls answer at once instead of searching for seconds.
void display_present() {
  static const bool scoped = [] {
    plat::set_env("OZLIB_IPC_SCOPE", ("oztest" + std::to_string(plat::process_id())).c_str());
    return true;
  }();
  static const sim::ScreenDisplay display(plat::inet_parse("127.0.0.1"));
  (void)scoped;
  (void)display;
}

}  // namespace

OZ_EXPORT_CASES(events_unsolicited) = {
    {"cnc_wrunsolicprm", [](uint16_t h, Arena& a) { return cnc_wrunsolicprm(h, 1, setting1(a)); }},
    {"cnc_rdunsolicprm", [](uint16_t h, Arena& a) { return cnc_rdunsolicprm(h, 1, a.get<unsolicprm_t>()); }},
    {"cnc_wrunsolicprm2", [](uint16_t h, Arena& a) { return cnc_wrunsolicprm2(h, 2, setting2(a)); }},
    {"cnc_rdunsolicprm2", [](uint16_t h, Arena& a) { return cnc_rdunsolicprm2(h, 2, a.get<unsolicprm2_t>()); }},
    {"cnc_unsolicstart", [](uint16_t h, Arena& a) {
       return cnc_unsolicstart(h, 1, nullptr, 0x100, 1, a.get<int16_t>());
     }},
    {"cnc_unsolicstop", [](uint16_t h, Arena&) { return cnc_unsolicstop(h, 1); }},
    {"cnc_rdunsolicmsg", [](uint16_t, Arena& a) {
       auto* m = messages<unsolicmsg_t, unsolicmsg_entry_t>(a, 64);
       for (auto& e : m->entry) e.length = 64;
       return cnc_rdunsolicmsg(1, m);
     }},
    {"cnc_rdunsolicmsg2", [](uint16_t, Arena& a) {
       auto* m = messages<unsolicmsg2_t, unsolicmsg2_entry_t>(a, 64);
       for (auto& e : m->entry) e.count = 64;
       return cnc_rdunsolicmsg2(1, m);
     }},
    {"cnc_sdfstatchg", [](uint16_t h, Arena&) {
       display_present();
       return cnc_sdfstatchg(h, 1, 2, 1, 0);
     }},
    {"cnc_sdfmnghwnd", [](uint16_t h, Arena&) {
       display_present();
       return cnc_sdfmnghwnd(h, 0, nullptr, 1);
     }},
    {"cnc_rdmcdfinfo", [](uint16_t h, Arena& a) { return cnc_rdmcdfinfo(h, 1, a.get<mcdfinfo_t>()); }},
    {"cnc_canmcdfinfo", [](uint16_t h, Arena&) { return cnc_canmcdfinfo(h); }},
    {"cnc_chkmcdfile", [](uint16_t h, Arena& a) { return cnc_chkmcdfile(h, "O0001", a.get<uint8_t>()); }},
    {"cnc_delmcdfile", [](uint16_t h, Arena&) { return cnc_delmcdfile(h, "O0001"); }},
    {"cnc_rdmcdprgcmnt", [](uint16_t h, Arena& a) {
       return cnc_rdmcdprgcmnt(h, "O0001", a.count<int16_t>(64), a.bytes(64));
     }},
    {"cnc_delmcdfilebynum", [](uint16_t h, Arena&) { return cnc_delmcdfilebynum(h, 1); }},
    {"cnc_set_prps", [](uint16_t h, Arena&) { return cnc_set_prps(h, 1, "job 7", 3); }},
    {"cnc_reset_prps", [](uint16_t h, Arena&) { return cnc_reset_prps(h, 1, "job 7"); }},
    {"cnc_getlibopt", [](uint16_t h, Arena& a) { return cnc_getlibopt(h, 1, a.count<int16_t>(32), a.bytes(32)); }},
    {"cnc_setlibopt", [](uint16_t h, Arena&) { return cnc_setlibopt(h, 1, "\x01\x02", 2); }},
};

}  // namespace oz::test
