// `ozcli status|pos|dynamic|alarms|msgs|modal|sysinfo`: the controller's
// momentary state; status, positions, feed, spindle and alarms also in
// `watch`, the system information in `info`.
#include <string>

#include "command.h"

using namespace ozcli;

namespace {

std::string chars(const char* p, size_t n) {
  std::string s(p, n);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  return s;
}

// Value with its decimals applied: 12345 and 3 give 12.345.
json scaled(int32_t v, int dec) {
  if (dec <= 0 || dec > 9) return v;
  double scale = 1;
  for (int i = 0; i < dec; ++i) scale *= 10;
  return v / scale;   // one division keeps the shortest decimal form
}

std::vector<std::string> axis_names(Session& s) {
  axisname_t n[32];
  int16_t count = 32;
  OZCLI_CALL(s, cnc_rdaxisname, &count, n);
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back(chars(&n[i].name, n[i].suff ? 2 : 1));
  return out;
}

const char* const kRun[] = {"reset", "stop", "hold", "start", "restart"};
const char* const kMode[] = {"mdi", "memory", "none", "edit", "handle", "jog", "teach", "remote"};

void status(Session& s, Output& out) {
  statinfo_t st{};
  OZCLI_CALL(s, cnc_statinfo, &st);
  const uint16_t mode = st.word[2], run = st.word[3];
  out.field("mode", mode < 8 ? json(kMode[mode]) : json(mode));
  out.field("run", run < 5 ? json(kRun[run]) : json(run));
  out.field("motion", st.word[4]);
  out.field("emergency", st.word[6]);
  out.field("alarm", st.word[7]);
}

void positions(Session& s, Output& out) {
  const auto names = axis_names(s);
  axisrec_t r[4 * 32];
  int16_t count = int16_t(names.size());
  OZCLI_CALL(s, cnc_rdposition, int16_t(-1), &count, r);
  Table& t = out.table("positions", {"axis", "absolute", "machine", "relative", "distance"});
  for (int j = 0; j < count; ++j) {
    std::vector<json> row{j < int(names.size()) ? json(names[size_t(j)]) : json(j + 1)};
    for (int k = 0; k < 4; ++k) row.push_back(scaled(r[4 * j + k].data, r[4 * j + k].dec));
    t.row(row);
  }
}

void feed_spindle(Session& s, Output& out) {
  actf_t f{}, sp{};
  OZCLI_CALL(s, cnc_actf, &f);
  OZCLI_CALL(s, cnc_acts, &sp);
  out.field("feed", f.data, "mm/min");
  out.field("spindle", sp.data, "rpm");
}

void alarms(Session& s, Output& out) {
  almmsg2_t a[17];
  int16_t count = 17;
  OZCLI_CALL(s, cnc_rdalmmsg2, int16_t(-1), &count, a);
  Table& t = out.table("alarms", {"number", "kind", "axis", "message"});
  for (int i = 0; i < count; ++i)
    t.row({a[i].w0, a[i].w2, a[i].w1, chars(a[i].msg, size_t(std::clamp<int>(a[i].msg_len, 0, 64)))});
}

void sysinfo(Session& s, Output& out) {
  sysinfo_t si{};
  OZCLI_CALL(s, cnc_sysinfo, &si);
  out.field("cnc type", chars(si.cnc_type, 2));
  out.field("machine type", chars(si.mt_type, 2));
  out.field("series", chars(si.series, 4));
  out.field("version", chars(si.version, 4));
  out.field("axes", chars(si.axes, 2));
  out.field("max axes", si.max_axis);
}

}  // namespace

OZCLI_FAMILY(state) {
  cli.command("status", "Run status of the selected path (cnc_statinfo)", status);
  cli.command("pos", "Positions of every axis (cnc_rdposition)", positions);
  cli.command("dynamic", "Program, feed, spindle and positions in one read (cnc_rddynamic2)",
              [](Session& s, Output& out) {
                rddynamic2_t d{};
                OZCLI_CALL(s, cnc_rddynamic2, int16_t(-1), int16_t(sizeof d), &d);
                const auto names = axis_names(s);
                const size_t n = names.size();
                out.field("alarm", d.alarm);
                out.field("program", d.prgnum);
                out.field("main program", d.prgmnum);
                out.field("sequence", d.seqnum);
                out.field("feed", d.actf, "mm/min");
                out.field("spindle", d.acts, "rpm");
                Table& t = out.table("positions", {"axis", "absolute", "machine", "relative", "distance"});
                for (size_t j = 0; j < n && j < 32; ++j)
                  t.row({names[j], d.pos[j], d.pos[n + j], d.pos[2 * n + j], d.pos[3 * n + j]});
              });
  cli.command("alarms", "Pending alarms with their messages (cnc_rdalmmsg2)", alarms);
  cli.command("msgs", "Operator messages (cnc_rdopmsg3)", [](Session& s, Output& out) {
    opmsg_t m[8];
    int16_t count = 8;
    OZCLI_CALL(s, cnc_rdopmsg3, int16_t(-1), &count, m);
    Table& t = out.table("messages", {"number", "type", "message"});
    for (int i = 0; i < count; ++i)
      t.row({m[i].datano, m[i].type, chars(m[i].data, size_t(std::clamp<int>(m[i].char_num, 0, 256)))});
  });
  cli.command("modal", "Modal G codes and commanded values (cnc_rdgcode, cnc_rdcommand)",
              [](Session& s, Output& out) {
                gcode_t g[32];
                int16_t count = 32;
                OZCLI_CALL(s, cnc_rdgcode, int16_t(-1), int16_t(1), &count, g);
                Table& t = out.table("gcodes", {"group", "code"});
                for (int i = 0; i < count; ++i) t.row({g[i].group, std::string(g[i].code)});
                cmdvalue_t v[32];
                count = 32;
                OZCLI_CALL(s, cnc_rdcommand, int16_t(-1), int16_t(0), &count, v);
                Table& c = out.table("commanded", {"address", "value", "decimals"});
                for (int i = 0; i < count; ++i) c.row({std::string(1, v[i].adrs), v[i].cmd_val, v[i].dec_val});
              });
  cli.command("sysinfo", "What the controller reported about itself (cnc_sysinfo)", sysinfo);
  cli.info("state", [](Session& s, Output& out) {
    s.for_each_path([&](int path) { sysinfo(s, out.section("path " + std::to_string(path))); });
  });
  cli.watch("state", [](Session& s, Output& out) {
    status(s, out);
    feed_spindle(s, out);
    positions(s, out);
    alarms(s, out);
  });
}
