// Tool life management of the simulated machine: numbered groups of tools.
// The running program uses one group a lap: every block it completes counts
// once against the group's tool in use, and a tool that reaches the group's
// life is expired and the next tool of the group takes over.
//
// Replies follow the controller's records: a group record of 32 bytes (tool
// count, index in use, life, count type, count), a tool entry of 24 bytes
// (group, second word, tool number, length and radius offset numbers, tool
// information). The second word is the tool index for command 77 and the
// tool number for command 79. The information word holds the tool's state:
// 0 waiting, 1 in use, 2 expired.
#include <algorithm>

#include "sim/data_wire.h"
#include "sim/machine.h"

using namespace oz::sim;
using oz::sim::data::In;

namespace {

constexpr int kMaxGroups = 128;
constexpr int kMaxTools = 16;
constexpr int32_t kWaiting = 0, kInUse = 1, kExpired = 2;

struct Tool {
  int32_t number = 0, h = 0, d = 0, info = kWaiting;
};

struct Group {
  int32_t life = 0, type = 0, count = 0, use = 0;   // use: index in use, 0 none
  std::vector<Tool> tools;
  bool defined() const { return !tools.empty() || life != 0; }
};

struct ToolLife {
  std::vector<Group> groups = std::vector<Group>(kMaxGroups + 1);   // 1-based
  int current = 1;   // the group the program uses
  ToolLife() {
    for (int g = 1; g <= 4; ++g) {
      Group& G = groups[size_t(g)];
      G.life = 4 * g;
      for (int t = 1; t <= 3; ++t) G.tools.push_back({100 * g + t, 10 * g + t, 40 + 10 * g + t, kWaiting});
    }
  }
  Group* group(int32_t g) { return g >= 1 && g <= kMaxGroups ? &groups[size_t(g)] : nullptr; }
};

ToolLife& tl(Machine& m) { return m.state<ToolLife>(); }

// One count against the group in use; a lap over, the program moves on to
// the next group that has tools.
void count_block(Machine& m, int path, const PathMotion& p) {
  if (path != 1) return;
  ToolLife& s = tl(m);
  Group& g = s.groups[size_t(s.current)];
  if (!g.tools.empty()) {
    if (g.use == 0) {
      g.use = 1;
      g.tools[0].info = kInUse;
    }
    if (g.life == 0 || g.count < g.life) ++g.count;
    if (g.life > 0 && g.count >= g.life && g.tools[size_t(g.use - 1)].info != kExpired) {
      g.tools[size_t(g.use - 1)].info = kExpired;
      if (g.use < int(g.tools.size())) {
        ++g.use;
        g.tools[size_t(g.use - 1)].info = kInUse;
        g.count = 0;
      }
    }
  }
  if (p.block % 4 != 0) return;
  for (int k = 1; k <= kMaxGroups; ++k) {
    const int next = (s.current + k - 1) % kMaxGroups + 1;
    if (!s.groups[size_t(next)].tools.empty()) {
      s.current = next;
      break;
    }
  }
}

int32_t tool_in_use(const Group& g) { return g.use > 0 ? g.tools[size_t(g.use - 1)].number : 0; }

// The groups first..last a range request names, cut at the table's end;
// false when it starts outside the table.
bool span(const RbRequest& q, int* first, int* last) {
  *first = q.a1;
  *last = std::min(q.a2, kMaxGroups);
  return q.a1 >= 1 && q.a1 <= kMaxGroups && q.a2 >= q.a1;
}

RbReply group_records(Machine& m, const RbRequest& q) {
  int s, e;
  if (!span(q, &s, &e)) return RbReply::fail(3);
  RbReply body;
  int32_t defined = 0;
  for (int g = s; g <= e; ++g) {
    const Group& G = *tl(m).group(g);
    defined += G.defined() ? 1 : 0;
    body.i32(int32_t(G.tools.size())).i32(G.use).i32(G.life).i32(G.type).i32(G.count);
    body.i32(0).i32(0).i32(0);
  }
  return RbReply().i32(defined).bytes(body.data);
}

RbReply tools_in_use(Machine& m, const RbRequest& q) {
  int s, e;
  if (!span(q, &s, &e)) return RbReply::fail(3);
  RbReply r = RbReply().i32(e - s + 1);
  for (int g = s; g <= e; ++g) r.i32(tool_in_use(*tl(m).group(g)));
  return r;
}

// Writes of the group table: the record's first five words (the tool count
// and the index in use are the machine's own and stay) or the count alone.
RbReply write_groups(Machine& m, const RbRequest& q, size_t item) {
  int s, e;
  if (!span(q, &s, &e)) return RbReply::fail(3);
  const In in{q.data};
  if (!in.has(0, item * size_t(e - s + 1))) return RbReply::fail(2);
  for (int g = s; g <= e; ++g) {
    Group& G = *tl(m).group(g);
    const size_t at = item * size_t(g - s);
    if (item == 4) {
      G.count = in.i32(at);
    } else {
      G.life = in.i32(at + 8);
      G.type = in.i32(at + 12);
      G.count = in.i32(at + 16);
    }
  }
  return RbReply();
}

void entry(RbReply& r, int32_t group, const Group& G, int32_t index, bool number_second) {
  if (index < 1 || index > int(G.tools.size())) {
    r.i32(0).i32(0).i32(0).i32(0).i32(0).i32(0);
    return;
  }
  const Tool& t = G.tools[size_t(index - 1)];
  r.i32(group).i32(number_second ? t.number : index).i32(t.number).i32(t.h).i32(t.d).i32(t.info);
}

RbReply read_entries(Machine& m, const RbRequest& q, int32_t last, bool number_second) {
  const Group* G = tl(m).group(q.a1);
  if (G == nullptr || q.a2 < 1 || last < q.a2 || last > kMaxTools) return RbReply::fail(3);
  RbReply r;
  for (int32_t i = q.a2; i <= last; ++i) entry(r, q.a1, *G, i, number_second);
  return r;
}

// An entry is written in place, or appended right after the last one.
RbReply write_entry(Machine& m, const RbRequest& q) {
  Group* G = tl(m).group(q.a1);
  const In in{q.data};
  if (G == nullptr || q.a2 < 1 || q.a2 > int(G->tools.size()) + 1 || q.a2 > kMaxTools) return RbReply::fail(3);
  if (!in.has(0, 16)) return RbReply::fail(2);
  if (q.a2 > int(G->tools.size())) G->tools.emplace_back();
  G->tools[size_t(q.a2 - 1)] = Tool{in.i32(0), in.i32(4), in.i32(8), in.i32(12)};
  return RbReply();
}

RbReply table_sizes(Machine& m, const RbRequest&) {
  const auto& g = tl(m).groups;
  return RbReply().i32(int32_t(std::count_if(g.begin(), g.end(), [](const Group& G) { return G.defined(); })))
      .i32(kMaxGroups).i32(kMaxTools);
}

RbReply use_group(Machine& m, const RbRequest&) {
  ToolLife& s = tl(m);
  const Group& g = s.groups[size_t(s.current)];
  return RbReply().i32(s.current).i32(tool_in_use(g)).i32(g.use);
}

RbReply group_of_tool(Machine& m, const RbRequest& q) {
  ToolLife& s = tl(m);
  for (int g = 1; g <= kMaxGroups; ++g)
    for (const Tool& t : s.groups[size_t(g)].tools)
      if (t.number == q.a1) return RbReply().i32(g);
  return RbReply().i32(0);
}

// Counts cleared for groups a1..a2 (a1 alone when a2 is below it; -1 all).
RbReply clear_counts(Machine& m, const RbRequest& q) {
  const int s = q.a1 == -1 ? 1 : q.a1, e = q.a1 == -1 ? kMaxGroups : std::max(q.a1, q.a2);
  for (int g = s; g <= e; ++g) {
    Group* G = tl(m).group(g);
    if (G == nullptr) return RbReply::fail(3);
    G->count = 0;
    G->use = 0;
    for (Tool& t : G->tools) t.info = kWaiting;
  }
  return RbReply();
}

RbReply delete_group(Machine& m, const RbRequest& q) {
  Group* G = tl(m).group(q.a1);
  if (G == nullptr) return RbReply::fail(3);
  *G = Group{};
  return RbReply();
}

RbReply insert_tool(Machine& m, const RbRequest& q) {
  Group* G = tl(m).group(q.a1);
  if (G == nullptr || q.a2 < 1 || q.a2 > int(G->tools.size()) + 1 || int(G->tools.size()) >= kMaxTools)
    return RbReply::fail(3);
  G->tools.insert(G->tools.begin() + (q.a2 - 1), Tool{q.a3, 0, 0, kWaiting});
  if (G->use >= q.a2) ++G->use;
  return RbReply();
}

RbReply delete_tool(Machine& m, const RbRequest& q) {
  Group* G = tl(m).group(q.a1);
  if (G == nullptr || q.a2 < 1 || q.a2 > int(G->tools.size())) return RbReply::fail(3);
  G->tools.erase(G->tools.begin() + (q.a2 - 1));
  if (G->use > int(G->tools.size())) G->use = int(G->tools.size());
  return RbReply();
}

RbReply groups_to_change(Machine& m, const RbRequest&) {
  RbReply r;
  for (int g = 1; g <= kMaxGroups; ++g) {
    const Group& G = *tl(m).group(g);
    if (std::any_of(G.tools.begin(), G.tools.end(), [](const Tool& t) { return t.info == kExpired; })) r.i32(g);
  }
  return r;
}

using H = RbReply (*)(Machine&, const RbRequest&);
struct Route {
  uint16_t cmd;
  H handler;
};

// Newer controllers' group-table commands (447..453) answer as the older ones.
constexpr Route kRoutes[] = {
    {71, group_of_tool},
    {72, use_group},
    {453, use_group},
    {73, tools_in_use},
    {74, table_sizes},
    {452, table_sizes},
    {76, [](Machine& m, const RbRequest& q) { return write_groups(m, q, 20); }},
    {450, [](Machine& m, const RbRequest& q) { return write_groups(m, q, 20); }},
    {451, [](Machine& m, const RbRequest& q) { return write_groups(m, q, 20); }},
    {81, [](Machine& m, const RbRequest& q) { return write_groups(m, q, 4); }},
    {77, [](Machine& m, const RbRequest& q) { return read_entries(m, q, q.a3, false); }},
    {79, [](Machine& m, const RbRequest& q) { return read_entries(m, q, q.a2, true); }},
    {78, write_entry},
    {80, write_entry},
    {82, clear_counts},
    {83, delete_group},
    {84, insert_tool},
    {85, delete_tool},
    {139, group_records},
    {447, group_records},
    {448, group_records},
    {449, group_records},
    {212, groups_to_change},
};

}  // namespace

OZ_SIM_FAMILY(machine_toollife) {
  for (const Route& r : kRoutes) m.on(1, r.cmd, r.handler);
  m.on_block_end(count_block);
}
