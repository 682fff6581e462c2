// `ozcli toollife|tools|panel|servo|spindle|graphics`: tool life groups, tool
// records and magazine pots, the operator panel's signals and switches, servo
// and spindle values, and the controller's drawing buffer.
//   toollife                  groups with their life and count
//   toollife 3 [--count 0]    the tools of group 3 [set its count]
//   tools [--records 1-8]     magazine pots [and tool records]
//   panel [--selector 0] [--switch V] [--menu-mask M --menu-value V]
//   servo | spindle
//   graphics start|stop|read|clear
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "command.h"

using namespace ozcli;

namespace {

std::string chars(const char* p, size_t n) {
  std::string s(p, strnlen(p, n));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

int16_t in_range(long v, long lo, long hi, const char* what) {
  if (v < lo || v > hi)
    throw UsageError(std::string(what) + " must be " + std::to_string(lo) + " to " + std::to_string(hi));
  return int16_t(v);
}

std::pair<int, int> parse_span(const std::string& text) {
  const size_t dash = text.find('-', 1);
  try {
    const int a = std::stoi(text.substr(0, dash));
    const int b = dash == std::string::npos ? a : std::stoi(text.substr(dash + 1));
    if (a < 1 || b < a) throw std::out_of_range(text);
    return {a, b};
  } catch (const std::exception&) {
    throw UsageError("not a range FROM-TO of numbers from 1: " + text);
  }
}

// ---- tool life ----------------------------------------------------------------------

struct LifeArgs {
  long group = 0;
  long count = -1;
  bool clear = false;
};

void groups(Session& s, Output& out) {
  lifevalue_t most{};
  OZCLI_CALL(s, cnc_rdmaxgrp, &most);
  const int n = std::max<int>(most.data.w, 1);
  std::vector<uint8_t> buf(8 + 16 * size_t(n));
  auto* g = reinterpret_cast<grpinfo_t*>(buf.data());
  OZCLI_CALL(s, cnc_rdgrpinfo, int16_t(1), int16_t(n), int16_t(buf.size()), g);
  usegrp_t use{};
  OZCLI_CALL(s, cnc_rdusegrpid, &use);
  out.field("group_in_use", use.data[0]);
  Table& t = out.table("groups", {"group", "tools", "life", "count", "count_type"});
  for (int i = 0; i <= g->head.last - g->head.first; ++i) {
    int32_t item[4];
    std::memcpy(item, &buf[8 + 16 * size_t(i)], sizeof item);
    if (item[0] != 0 || item[1] != 0) t.row({g->head.first + i, item[0], item[1], item[2], item[3]});
  }
}

void group_tools(Session& s, Output& out, const LifeArgs& a) {
  const int16_t group = in_range(a.group, 1, SHRT_MAX, "group");
  if (a.clear) OZCLI_CALL(s, cnc_clrcntinfo, group, group);
  if (a.count >= 0) {
    usetlno_t w{};
    w.head.first = w.head.last = group;
    w.data[0] = int32_t(a.count);
    OZCLI_CALL(s, cnc_wrcountr, int16_t(12), &w);
  }
  grpvalue_t life{}, count{};
  OZCLI_CALL(s, cnc_rdlife, group, &life);
  OZCLI_CALL(s, cnc_rdcount, group, &count);
  out.field("group", group);
  out.field("life", life.data);
  out.field("count", count.data);
  tlgrptool_t tools[64];
  int16_t length = int16_t(sizeof tools);
  OZCLI_CALL(s, cnc_rdtoolgrp, group, &length, tools);
  static const char* const kState[] = {"waiting", "in use", "expired"};
  Table& t = out.table("tools", {"index", "tool", "length_offset", "radius_offset", "state"});
  for (size_t i = 0; i < size_t(length) / sizeof(tlgrptool_t); ++i) {
    const tlgrptool_t& x = tools[i];
    t.row({x.index, x.tool_num, x.h_code, x.d_code,
           x.tool_inf >= 0 && x.tool_inf <= 2 ? json(kState[x.tool_inf]) : json(x.tool_inf)});
  }
}

// ---- tool records and magazines ----------------------------------------------------------

void tools(Session& s, Output& out, const std::string& records) {
  Table& p = out.table("pots", {"magazine", "pot", "tool"});
  for (int16_t top = 1;;) {
    magazine_t m[118];
    int16_t count = 118;
    OZCLI_CALL(s, cnc_rdmagazine, &top, &count, m);
    for (int i = 0; i < count; ++i)
      if (m[i].tool_num != 0) p.row({m[i].magazine, m[i].pot, m[i].tool_num});
    if (count < 118) break;
  }
  if (records.empty()) return;
  const auto [first, last] = parse_span(records);
  std::vector<toolrec_t> r(size_t(last - first + 1));
  int16_t count = int16_t(r.size());
  OZCLI_CALL(s, cnc_rdtool, int16_t(first), &count, r.data());
  Table& t = out.table("records", {"number", "word_0", "word_1", "word_2", "word_3"});
  for (int i = 0; i < count; ++i) t.row({first + i, r[size_t(i)].l0[0], r[size_t(i)].l0[1], r[size_t(i)].l0[2], r[size_t(i)].l0[3]});
}

// ---- operator panel ---------------------------------------------------------------------

struct PanelArgs {
  long selector = 0;
  long value = LONG_MIN;
  long menu_mask = -1, menu_value = 0;
};

void panel(Session& s, Output& out, const PanelArgs& a) {
  const auto sel = uint16_t(in_range(a.selector, 0, 255, "--selector"));
  if (a.value != LONG_MIN) {
    const opnlgnrl_t w{0, sel, in_range(a.value, SHRT_MIN, SHRT_MAX, "--switch")};
    OZCLI_CALL(s, cnc_wropnlgnrl2, &w);
  }
  if (a.menu_mask >= 0) {
    OZCLI_CALL(s, cnc_wrmenuswitch, in_range(a.menu_mask, 0, SHRT_MAX, "--menu-mask"),
               in_range(a.menu_value, 0, SHRT_MAX, "--menu-value"));
  }
  opnlsgnl_t sg{};
  OZCLI_CALL(s, cnc_rdopnlsgnl, int16_t(sel), &sg);
  opnlgnrl_t g{};
  OZCLI_CALL(s, cnc_rdopnlgnrl2, sel, &g);
  int32_t menu = 0;
  OZCLI_CALL(s, cnc_rdmenuswitch, &menu);
  out.field("selector", sel);
  out.field("switch", g.value);
  out.field("menu_switches", menu);
  json words = json::array();
  for (int16_t w : sg.data) words.push_back(w);
  out.field("signals", words);
  opnlgsname_t n{};
  OZCLI_CALL(s, cnc_rdopnlgsname2, sel, &n);
  Table& t = out.table("switch_names", {"switch", "name"});
  for (int i = 0; i < 16; ++i) t.row({i + 1, chars(n.name[i], 8)});
}

// ---- servo and spindle ------------------------------------------------------------------

void servo(Session& s, Output& out) {
  axisname_t names[32];
  int16_t axes = 32;
  OZCLI_CALL(s, cnc_rdaxisname, &axes, names);
  int32_t gain[32] = {}, speed[32] = {};
  int16_t current[32] = {};
  OZCLI_CALL(s, cnc_rdloopgain, gain);
  OZCLI_CALL(s, cnc_rdcurrent, current);
  OZCLI_CALL(s, cnc_rdsrvspeed, speed);
  Table& t = out.table("servo", {"axis", "loop_gain", "current", "speed"});
  for (int i = 0; i < axes && i < 32; ++i) {
    const std::string name(1, names[i].name);
    t.row({names[i].suff ? name + names[i].suff : name, gain[i] / 100.0, current[i], speed[i]});
  }
}

void spindle(Session& s, Output& out) {
  int16_t n = 0;
  OZCLI_CALL(s, cnc_rdnspdl, &n);
  out.field("spindles", n);
  int32_t err[32] = {};
  int16_t mode[32] = {};
  uint8_t alarm[32] = {};
  uint32_t di[32] = {}, dout[32] = {};
  OZCLI_CALL(s, cnc_rdposerrs, err);
  OZCLI_CALL(s, cnc_rdopmode, mode);
  OZCLI_CALL(s, cnc_rdspdlalm, alarm);
  OZCLI_CALL(s, cnc_rdctrldi, di);
  OZCLI_CALL(s, cnc_rdctrldo, dout);
  Table& t = out.table("spindle", {"spindle", "position_error", "mode", "alarm", "inputs", "outputs"});
  for (int i = 0; i < n && i < 32; ++i) t.row({i + 1, err[i], mode[i], alarm[i], di[i], dout[i]});
  int32_t sy = 0, rg = 0;
  OZCLI_CALL(s, cnc_rdsynerrsy, &sy);
  OZCLI_CALL(s, cnc_rdsynerrrg, &rg);
  out.field("sync_error_speed", sy);
  out.field("sync_error_phase", rg);
}

// ---- graphics ------------------------------------------------------------------------

void graphics(Session& s, Output& out, const std::string& action) {
  if (action == "start") s.check("cnc_startdrawpos", cnc_startdrawpos(s.handle()));
  else if (action == "stop") s.check("cnc_stopdrawpos", cnc_stopdrawpos(s.handle()));
  else if (action == "clear") s.check("cnc_clrgrphcmd", cnc_clrgrphcmd(s.handle()));
  else if (action != "read") throw UsageError("graphics: start, stop, read or clear");
  if (action != "read") return;
  std::vector<uint8_t> all;
  for (;;) {
    uint8_t buf[256];
    uint16_t count = sizeof buf;
    OZCLI_CALL(s, cnc_rdgrphcmd, &count, buf);
    all.insert(all.end(), buf, buf + count);
    if (count < sizeof buf) break;
  }
  uint16_t cancelled = 0;
  OZCLI_CALL(s, cnc_rdgrphcanflg, &cancelled);
  out.field("cancelled", cancelled);
  out.field("bytes", all.size());
  json words = json::array();
  for (size_t i = 0; i + 1 < all.size(); i += 2) words.push_back(all[i] << 8 | all[i + 1]);
  out.field("words", words);
}

}  // namespace

OZCLI_FAMILY(machine1) {
  auto life = std::make_shared<LifeArgs>();
  CLI::App* c = cli.command("toollife", "Tool life groups, or the tools of one group", [life](Session& s, Output& out) {
    if (life->group == 0) groups(s, out);
    else group_tools(s, out, *life);
  });
  c->add_option("group", life->group, "group number");
  c->add_option("--count", life->count, "set the group's life count first");
  c->add_flag("--clear", life->clear, "clear the group's count and tool states first");

  auto records = std::make_shared<std::string>();
  c = cli.command("tools", "Magazine pots and tool records", [records](Session& s, Output& out) { tools(s, out, *records); });
  c->add_option("--records", *records, "tool records FROM-TO");

  auto p = std::make_shared<PanelArgs>();
  c = cli.command("panel", "Operator panel signals, switches and menu switches",
                  [p](Session& s, Output& out) { panel(s, out, *p); });
  c->add_option("--selector", p->selector, "signal block and switch selector, 0-255");
  c->add_option("--switch", p->value, "write the general switch of the selector");
  c->add_option("--menu-mask", p->menu_mask, "menu switches to change (a bit mask)");
  c->add_option("--menu-value", p->menu_value, "their new states");

  cli.command("servo", "Loop gain, current and motor speed of every axis", servo);
  cli.command("spindle", "Spindle count, position errors, modes, alarms and signals", spindle);

  auto action = std::make_shared<std::string>("read");
  c = cli.command("graphics", "Drawing buffer: start, stop, read, clear",
                  [action](Session& s, Output& out) { graphics(s, out, *action); });
  c->add_option("action", *action, "start | stop | read | clear");
}
