// Walks every export: the table of cases and the listed rows together name
// each function of the public header exactly once, and no request depends on
// what the memory under it held before.
#include <functional>
#include <map>
#include <set>

#include "core/listed.h"
#include "sim/machine.h"
#include "tests/cases/cases.h"
#include "tests/header_names.h"
#include "tests/support.h"

namespace oz::test {
namespace {

// One walk step: a case, or a listed row called with plausible arguments.
struct Step {
  std::string name;
  std::function<int16_t(uint16_t, Arena&)> run;
};

std::vector<Step> steps() {
  std::vector<Step> out;
  for (const ExportCase& c : export_cases()) out.push_back({c.name, c.run});
  for (const ListedRow* r : listed_rows()) {
    out.push_back({r->name, [r](uint16_t h, Arena& a) {
      const int32_t args[4] = {1, 1, 1, 1};
      const bool write = r->shape == Listed::Write;
      int16_t* len = a.count<int16_t>(write ? 8 : 256);
      void* buf = a.bytes(write ? 8 : 256);
      if (write) std::memset(buf, 0x31, 8);
      return r->invoke(h, args, len, buf);
    }});
  }
  return out;
}

TEST(ExportCases, EveryDeclaredFunctionHasExactlyOneCaseOrRow) {
  std::map<std::string, int> seen;
  for (const Step& s : steps()) ++seen[s.name];
  std::set<std::string> header;
  for (const std::string& n : declared_exports(OZ_SOURCE_DIR "/include/ozlib.h")) {
    header.insert(n);
    EXPECT_EQ(1, seen[n]) << n << ": cases and listed rows together";
  }
  ASSERT_GT(header.size(), 300u);
  for (auto& [n, count] : seen) EXPECT_TRUE(header.count(n)) << n << " is not declared in ozlib.h";
}

// A simulated controller and a handle on it, recording what arrives. The
// handle names itself, so the opening carries the identification request too;
// its PDUs are compared with the first step's.
struct World {
  sim::Machine m;
  uint8_t pattern;
  uint16_t h = 0;
  explicit World(uint8_t pattern) : pattern(pattern) { reopen(); }
  ~World() { cnc_freelibhndl(h); }
  // A case may free the handle or break its circuit: the next starts afresh.
  void reopen() {
    if (h != 0) cnc_freelibhndl(h);
    h = 0;
    poison_stack(pattern);
    EXPECT_EQ(EW_SUCCESS, cnc_allclibhndls("127.0.0.1", m.port(), "WALKER", 2, &h));
  }
  bool usable() const {
    const Handle* r = find_handle(h);
    return r != nullptr && !r->has(kBroken);
  }
  size_t count() { return m.server().received().size(); }
  // The PDUs that arrived on one socket role since the last take.
  std::vector<std::vector<uint8_t>> take(int sock) {
    std::vector<std::vector<uint8_t>> out;
    for (const sim::ReceivedPdu& p : m.server().received())
      if (p.sock == sock) out.push_back(p.raw);
    return out;
  }
};

int16_t poisoned(World& w, const Step& s) {
  Arena a;
  poison_stack(w.pattern);
  const int16_t r = s.run(w.h, a);
  EXPECT_TRUE(a.intact()) << s.name << " wrote outside a caller buffer";
  return r;
}

std::string firstDifference(const std::vector<uint8_t>& x, const std::vector<uint8_t>& y) {
  size_t i = 0;
  while (i < x.size() && i < y.size() && x[i] == y[i]) ++i;
  return "sizes " + std::to_string(x.size()) + "/" + std::to_string(y.size()) + ", first difference at byte " +
         std::to_string(i);
}

// Every case and row twice, in two worlds whose stacks (and with them the
// PDU buffers, which live in the calls' frames) start out as two different
// patterns: what goes on the wire must be the same to the byte.
TEST(ExportCases, RequestsDoNotDependOnStaleMemory) {
  World one(0x5A), two(0xC3);
  for (const Step& s : steps()) {
    SCOPED_TRACE(s.name);
    const int16_t r1 = poisoned(one, s);
    const int16_t r2 = poisoned(two, s);
    EXPECT_EQ(r1, r2);
    // PDUs that draw no answer may still be on their way.
    for (int i = 0; i < 500 && one.count() != two.count(); ++i) plat::sleep_ms(1);
    for (int sock : {0, 1, 2}) {
      const auto p1 = one.take(sock), p2 = two.take(sock);
      ASSERT_EQ(p1.size(), p2.size()) << "PDUs on socket " << sock;
      for (size_t i = 0; i < p1.size(); ++i)
        EXPECT_EQ(p1[i], p2[i]) << "PDU " << i << " on socket " << sock << ": " << firstDifference(p1[i], p2[i]);
    }
    for (World* w : {&one, &two}) {
      w->m.server().clear_received();
      if (!w->usable()) w->reopen();
    }
  }
}

}  // namespace
}  // namespace oz::test
