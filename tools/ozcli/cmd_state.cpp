// `ozcli status|pos|dynamic|alarms|msgs|modal|sysinfo`: the controller's
// momentary state; status, spindle speed, positions and alarms also in
// `watch`, the system information of every path in `info`.
#include <algorithm>
#include <string>

#include "command.h"
#include "machine.h"

using namespace ozcli;

namespace {

std::string chars(const char* p, size_t n) {
  std::string s(p, strnlen(p, n));
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  return s;
}

const std::vector<std::string> kRun = {"reset", "stop", "hold", "start", "restart"};
const std::vector<std::string> kMotion = {"none", "motion", "dwell"};
const std::vector<std::string> kEmergency = {"off", "emergency", "reset", "wait"};
const std::vector<std::string> kAlarm = {"none", "alarm", "battery_low"};

void status(Session& s, Output& out) {
  statinfo_t st{};
  OZCLI_CALL(s, cnc_statinfo, &st);
  out.field("mode", word_name(mode_names(), st.word[2]));
  out.field("run", word_name(kRun, st.word[3]));
  out.field("motion", word_name(kMotion, st.word[4]));
  out.field("emergency", word_name(kEmergency, st.word[6]));
  out.field("alarm", word_name(kAlarm, st.word[7]));
}

const std::vector<std::string> kKinds = {"absolute", "machine", "relative", "distance"};

void positions(Session& s, Output& out) {
  axisrec_t r[4 * 32];
  int16_t count = 32;
  OZCLI_CALL(s, cnc_rdposition, int16_t(-1), &count, r);
  std::vector<std::string> cols = {"axis"};
  cols.insert(cols.end(), kKinds.begin(), kKinds.end());
  Table& t = out.table("positions", cols);
  for (int j = 0; j < count && j < 32; ++j) {
    std::string name = chars(r[4 * j].tail.pos.name, 2);
    std::vector<json> row{name.empty() ? json(j + 1) : json(name)};
    // Decimal places of -1 mark a value the controller could not give.
    for (int k = 0; k < 4; ++k)
      row.push_back(r[4 * j + k].dec < 0 ? json(nullptr) : decimal(r[4 * j + k].data, r[4 * j + k].dec));
    t.row(row);
  }
}

// The same positions from the one-request snapshot, scaled like `pos`.
void dynamic(Session& s, Output& out) {
  rddynamic2_t d{};
  OZCLI_CALL(s, cnc_rddynamic2, int16_t(-1), int16_t(sizeof d), &d);
  const auto axes = path_axes(s);
  const size_t n = std::min<size_t>(axes.size(), 32);
  out.field("alarm", d.alarm);
  out.field("program", d.prgnum);
  out.field("main_program", d.prgmnum);
  out.field("sequence", d.seqnum);
  out.field("feed", d.actf, "mm/min");
  out.field("spindle", d.acts, "rpm");
  std::vector<std::string> cols = {"axis"};
  cols.insert(cols.end(), kKinds.begin(), kKinds.end());
  Table& t = out.table("positions", cols);
  for (size_t j = 0; j < n; ++j) {
    std::vector<json> row{axes[j].name};
    for (size_t k = 0; k < 4; ++k) row.push_back(decimal(d.pos[k * n + j], axes[j].places));
    t.row(row);
  }
}

// The feed rate is the feed family's, per path; the spindle speed here.
void spindle(Session& s, Output& out) {
  actf_t sp{};
  OZCLI_CALL(s, cnc_acts, &sp);
  out.field("spindle", sp.data, "rpm");
}

void alarms(Session& s, Output& out) {
  almmsg2_t a[17];
  int16_t count = 17;
  OZCLI_CALL(s, cnc_rdalmmsg2, int16_t(-1), &count, a);
  Table& t = out.table("alarms", {"number", "kind", "axis", "message"});
  for (int i = 0; i < count && i < 17; ++i)
    t.row({a[i].w0, a[i].w2, a[i].w1, chars(a[i].msg, size_t(std::clamp<int>(a[i].msg_len, 0, 64)))});
}

void messages(Session& s, Output& out) {
  opmsg_t m[8];
  int16_t count = 8;
  OZCLI_CALL(s, cnc_rdopmsg3, int16_t(-1), &count, m);
  Table& t = out.table("messages", {"number", "type", "message"});
  for (int i = 0; i < count && i < 8; ++i) {
    const std::string text = chars(m[i].data, size_t(std::clamp<int>(m[i].char_num, 0, 256)));
    if (!text.empty() || m[i].datano != 0) t.row({m[i].datano, m[i].type, text});
  }
}

void modal(Session& s, Output& out) {
  gcode_t g[32];
  int16_t count = 32;
  OZCLI_CALL(s, cnc_rdgcode, int16_t(-1), int16_t(1), &count, g);
  Table& t = out.table("gcodes", {"group", "code"});
  for (int i = 0; i < count && i < 32; ++i) t.row({g[i].group, chars(g[i].code, sizeof g[i].code)});
  cmdvalue_t v[32];
  count = 32;
  OZCLI_CALL(s, cnc_rdcommand, int16_t(-1), int16_t(0), &count, v);
  Table& c = out.table("commanded", {"address", "value"});
  for (int i = 0; i < count && i < 32; ++i) c.row({std::string(1, v[i].adrs), decimal(v[i].cmd_val, v[i].dec_val)});
}

void sysinfo(Session& s, Output& out) {
  sysinfo_t si{};
  OZCLI_CALL(s, cnc_sysinfo, &si);
  out.field("cnc_type", chars(si.cnc_type, 2));
  out.field("machine_type", chars(si.mt_type, 2));
  out.field("series", chars(si.series, 4));
  out.field("version", chars(si.version, 4));
  const std::string axes = chars(si.axes, 2);
  out.field("axes", !axes.empty() && axes.find_first_not_of("0123456789") == std::string::npos
                        ? json(std::stoi(axes))
                        : json(axes));
  out.field("max_axes", si.max_axis);
}

// A runner as a watch item without an argument.
ItemRunner plain(Runner r) {
  return [r](Session& s, Output& out, const std::string&) { r(s, out); };
}

}  // namespace

OZCLI_FAMILY(state) {
  cli.command("status", "Run status of the selected path (cnc_statinfo)", status);
  cli.command("pos", "Positions of every axis (cnc_rdposition)", positions);
  cli.command("dynamic", "Program, feed, spindle and positions in one read (cnc_rddynamic2)", dynamic);
  cli.command("alarms", "Pending alarms with their messages (cnc_rdalmmsg2)", alarms);
  cli.command("msgs", "Operator messages (cnc_rdopmsg3)", messages);
  cli.command("modal", "Modal G codes and commanded values (cnc_rdgcode, cnc_rdcommand)", modal);
  cli.command("sysinfo", "What the controller reported about itself (cnc_sysinfo)", sysinfo);
  cli.info("state", [](Session& s, Output& out) {
    s.for_each_path([&](int path) {
      Output& p = out.item("paths", "path " + std::to_string(path));
      p.field("path", path);
      sysinfo(s, p);
    });
  });
  cli.watch("state", [](Session& s, Output& out) {
    status(s, out);
    spindle(s, out);
    positions(s, out);
    alarms(s, out);
  });
  cli.watch_item("status", "", "run status", plain(status));
  cli.watch_item("pos", "", "positions", plain(positions));
  cli.watch_item("dynamic", "", "program, feed, spindle and positions", plain(dynamic));
  cli.watch_item("alarms", "", "pending alarms", plain(alarms));
  cli.watch_item("msgs", "", "operator messages", plain(messages));
}
