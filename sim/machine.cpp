#include "sim/machine.h"

#include <algorithm>
#include <cstdlib>

#include "platform/platform.h"

namespace oz::sim {

std::vector<std::pair<const char*, void (*)(Machine&)>>& sim_families() {
  static auto* f = new std::vector<std::pair<const char*, void (*)(Machine&)>>;
  return *f;
}

SimFamily::SimFamily(const char* name, void (*install)(Machine&)) {
  sim_families().emplace_back(name, install);
}

static int path_count(const MachineConfig& cfg) { return std::clamp(cfg.paths, 1, 15); }

FakeConfig fake_config_for(const MachineConfig& cfg) {
  FakeConfig f = FakeConfig::standard(cfg.version, path_count(cfg));
  f.kind = cfg.kind;
  f.max_axes = uint16_t(cfg.axes);
  f.max_spindles = uint16_t(cfg.spindles);
  f.key = cfg.key;
  f.listen_port = cfg.port;
  f.listen_address = cfg.bind;
  const char axes[3] = {' ', char('0' + cfg.axes % 10), '\0'};
  for (size_t p = 0; p < f.paths.size(); ++p) {
    PathSetup& s = f.paths[p];
    s.axes(uint16_t(cfg.axes)).spindles(uint16_t(cfg.spindles));
    const PathInfo info = p < cfg.path_info.size() ? cfg.path_info[p] : PathInfo{};
    const std::string series = info.series.empty() ? "OZS" + std::to_string(p + 1) : info.series;
    s.sysinfo = sysinfo_record(0, uint16_t(cfg.axes), info.cnc_type.c_str(),
                               info.machine_type.c_str(), series.c_str(), info.version.c_str(),
                               axes);
  }
  return f;
}

Machine::Machine(MachineConfig cfg) : cfg_(cfg), paths_(size_t(path_count(cfg))) {
  cfg_.paths = path_count(cfg);
  start_tick_ = last_tick_ = plat::tick_ms();
  for (auto& p : paths_) {
    p.machine.assign(size_t(cfg_.axes), 0);
    p.work_offset.assign(size_t(cfg_.axes), 0);
    p.relative_origin.assign(size_t(cfg_.axes), 0);
    p.target.assign(size_t(cfg_.axes), 0);
  }
  server_ = std::make_unique<FakeController>(fake_config_for(cfg_));
  server_->recording(cfg_.recording);
  auto l = lock();
  install_builtins();
  for (auto& [name, install] : sim_families()) install(*this);
}

Machine::~Machine() {
  server_.reset();
  for (auto& f : closers_) f();
}

RbReply Machine::handle(const Handler& h, const RbRequest& q) {
  auto l = lock();
  update();
  RbReply r = h(*this, q);
  for (const Observer& o : observers_) o(*this, q, r);
  if (trace_) trace_(q, r);
  return r;
}

void Machine::on(uint16_t cls, uint16_t cmd, Handler h) {
  server_->on(cls, cmd, [this, h = std::move(h)](const RbRequest& q) { return handle(h, q); });
}

// The opening requests go through the machine's own handlers as well, so a
// trace shows every request a client makes, not only the families' ones.
void Machine::install_builtins() {
  auto sysinfo = [](Machine& m, const RbRequest& q) {
    const auto& paths = m.server().config().paths;
    if (q.path < 1 || q.path > paths.size() || paths[q.path - 1].sys_code == 0)
      return RbReply::fail(3);
    const auto& s = paths[q.path - 1].sysinfo;
    return RbReply().bytes(s.data(), s.size());
  };
  on(kClassCnc, kCmdSysInfo, sysinfo);
  // Clients scramble with the key words they were sent, so unscramble with
  // those of the initiate reply.
  const auto init = initiate_reply(server_->config());
  const uint16_t k44 = init.size() >= 48 ? uint16_t(init[44] << 8 | init[45]) : 0;
  const uint16_t k46 = init.size() >= 48 ? uint16_t(init[46] << 8 | init[47]) : 0;
  on(kClassCnc, kCmdIdString, [sysinfo, k44, k46](Machine& m, const RbRequest& q) {
    if (q.data.size() >= 8) m.ids_.push_back(unscramble_id(q.data.data(), k44, k46));
    return sysinfo(m, q);
  });
  on(kClassCnc, kCmdKindInfo, [](Machine& m, const RbRequest&) {
    const auto& w = m.server().config().info140;
    return RbReply().u16(w[0]).u16(w[1]);
  });
  // A request no family answers: result 1, as a controller without the
  // function would give.
  server_->on_other_rb([this](const RbRequest& q) {
    return handle([](Machine&, const RbRequest&) { return RbReply::fail(1); }, q);
  });
}

std::vector<std::string> Machine::id_strings() {
  auto l = lock();
  return ids_;
}

PathMotion& Machine::motion(int path) {
  if (path < 1 || path > int(paths_.size())) path = 1;
  return paths_[size_t(path - 1)];
}

void Machine::start(int path) {
  auto l = lock();
  update();   // time spent stopped is not travelled
  motion(path).running = true;
  update();
}

void Machine::stop(int path) {
  auto l = lock();
  update();
  PathMotion& m = motion(path);
  m.running = false;
  m.feed = 0;
  m.spindle = 0;
}

void Machine::start_all() {
  for (int p = 1; p <= paths(); ++p) start(p);
}

void Machine::stop_all() {
  for (int p = 1; p <= paths(); ++p) stop(p);
}

bool Machine::running(int path) {
  auto l = lock();
  return motion(path).running;
}

uint32_t Machine::elapsed_ms() const { return plat::tick_ms() - start_tick_; }

void Machine::update() {
  auto l = lock();
  const uint32_t now = plat::tick_ms();
  const uint32_t dt = now - last_tick_;
  last_tick_ = now;
  advance_ms(dt);
}

// Each running path walks the corners of a square of 50 mm in X and Y, one
// block per side, with Z stepping down 1 mm per lap, at the programmed feed
// and spindle speed, so positions, distance to go and feed all change while
// the program runs.
void Machine::advance_ms(uint32_t dt) {
  auto l = lock();
  for (size_t path = 0; path < paths_.size(); ++path) {
    PathMotion& p = paths_[path];
    if (!p.running) continue;
    p.feed = p.feed_cmd;
    p.spindle = p.spindle_cmd;
    if (p.machine.empty()) continue;
    // mm/min is 1000 units per 60000 ms; the remainder is kept, so frequent
    // updates at a slow feed still move.
    const int64_t units = int64_t(p.feed) * 1000 * dt + p.travel_carry;
    int64_t budget = units / 60000;
    p.travel_carry = units % 60000;
    while (budget > 0) {
      int64_t dist = 0;
      for (size_t a = 0; a < p.machine.size(); ++a)
        dist = std::max<int64_t>(dist, std::llabs(int64_t(p.target[a]) - p.machine[a]));
      if (dist == 0) {
        if (p.block > 0)
          for (const auto& f : block_ends_) f(*this, int(path) + 1, p);
        static const int32_t corners[4][2] = {{50000, 0}, {50000, 50000}, {0, 50000}, {0, 0}};
        const int c = p.block % 4;
        p.target[0] = corners[c][0];
        if (p.target.size() > 1) p.target[1] = corners[c][1];
        if (p.target.size() > 2 && c == 0) p.target[2] = -1000 * ((p.block / 4) % 20);
        ++p.block;
        continue;
      }
      const int64_t step = std::min(budget, dist);
      for (size_t a = 0; a < p.machine.size(); ++a) {
        const int64_t d = int64_t(p.target[a]) - p.machine[a];
        p.machine[a] += int32_t(d * step / dist);
      }
      budget -= step;
    }
  }
}

}  // namespace oz::sim
