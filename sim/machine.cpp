#include "sim/machine.h"

#include <cmath>

#include "platform/platform.h"

namespace oz::sim {

std::vector<std::pair<const char*, void (*)(Machine&)>>& sim_families() {
  static auto* f = new std::vector<std::pair<const char*, void (*)(Machine&)>>;
  return *f;
}

SimFamily::SimFamily(const char* name, void (*install)(Machine&)) {
  sim_families().emplace_back(name, install);
}

FakeConfig fake_config_for(const MachineConfig& cfg) {
  FakeConfig f = FakeConfig::standard(cfg.version, cfg.paths);
  f.kind = cfg.kind;
  f.max_axes = uint16_t(cfg.axes);
  f.max_spindles = uint16_t(cfg.spindles);
  f.key = cfg.key;
  for (int p = 0; p < cfg.paths; ++p) {
    PathSetup& s = f.paths[size_t(p)];
    s.axes(uint16_t(cfg.axes)).spindles(uint16_t(cfg.spindles));
    char series[5] = "OZS0";
    series[3] = char('0' + p + 1);
    s.sysinfo = sysinfo_record(0, uint16_t(cfg.axes), " 0", " M", series, "01.0", " 3");
    s.sysinfo[16] = ' ';
    s.sysinfo[17] = char('0' + cfg.axes % 10);
  }
  return f;
}

Machine::Machine(MachineConfig cfg)
    : cfg_(cfg), paths_(size_t(cfg.paths < 1 ? 1 : cfg.paths)) {
  start_tick_ = last_tick_ = plat::tick_ms();
  for (auto& p : paths_) {
    p.machine.assign(size_t(cfg_.axes), 0);
    p.work_offset.assign(size_t(cfg_.axes), 0);
    p.relative_origin.assign(size_t(cfg_.axes), 0);
    p.target.assign(size_t(cfg_.axes), 0);
  }
  server_ = std::make_unique<FakeController>(fake_config_for(cfg_));
  auto l = lock();
  for (auto& [name, install] : sim_families()) install(*this);
}

Machine::~Machine() { server_.reset(); }

void Machine::on(uint16_t cls, uint16_t cmd, Handler h) {
  server_->on(cls, cmd, [this, h = std::move(h)](const RbRequest& q) {
    auto l = lock();
    update();
    RbReply r = h(*this, q);
    if (trace_) trace_(q, r);
    return r;
  });
}

PathMotion& Machine::motion(int path) {
  if (path < 1 || path > int(paths_.size())) path = 1;
  return paths_[size_t(path - 1)];
}

void Machine::start(int path) {
  PathMotion& m = motion(path);
  m.running = true;
}

void Machine::stop(int path) {
  PathMotion& m = motion(path);
  m.running = false;
  m.feed = 0;
  m.spindle = 0;
}

uint32_t Machine::elapsed_ms() const { return plat::tick_ms() - start_tick_; }

// Each running path walks the corners of a square of 50 mm in X and Y, one
// block per side, with Z stepping down 1 mm per lap; the feed ramps to the
// programmed value, so positions, distance to go and feed all change while
// the program runs.
void Machine::update() {
  const uint32_t now = plat::tick_ms();
  const uint32_t dt = now - last_tick_;
  last_tick_ = now;
  for (auto& p : paths_) {
    if (!p.running) continue;
    p.feed = p.feed_cmd;
    p.spindle = p.spindle_cmd;
    int64_t budget = int64_t(p.feed) * 1000 / 60 * dt / 1000;   // 0.001 mm travelled
    while (budget > 0) {
      int64_t dist = 0;
      for (size_t a = 0; a < p.machine.size(); ++a)
        dist = std::max<int64_t>(dist, std::llabs(int64_t(p.target[a]) - p.machine[a]));
      if (dist == 0) {
        static const int32_t corners[4][2] = {{50000, 0}, {50000, 50000}, {0, 50000}, {0, 0}};
        const int c = p.block % 4;
        if (p.target.size() > 0) p.target[0] = corners[c][0];
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
