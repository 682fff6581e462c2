// `ozcli feed`: the actual feed rate of the selected path; the same value per
// path in `info` and `watch`.
#include "command.h"

using namespace ozcli;

static int32_t actual_feed(Session& s) {
  actf_t a{};
  OZCLI_CALL(s, cnc_actf, &a);
  return a.data;
}

static void per_path_feed(Session& s, Output& out) {
  Table& t = out.table("feed", {"path", "feed"});
  s.for_each_path([&](int path) { t.row({path, actual_feed(s)}); });
}

OZCLI_FAMILY(feed) {
  cli.command("feed", "Actual feed rate of the selected path (cnc_actf)",
              [](Session& s, Output& out) { out.field("feed", actual_feed(s)); });
  cli.info("feed", per_path_feed);
  cli.watch("feed", per_path_feed);
}
