#include "sim_host.h"

#include "sim/client.h"
#include "sim/machine.h"

namespace ozcli {

struct SimHost::Impl {
  explicit Impl(oz::sim::MachineConfig cfg) : m(cfg) {}
  oz::sim::Machine m;
};

SimHost::SimHost(int version, int paths) {
  oz::sim::MachineConfig cfg;
  cfg.version = uint16_t(version);
  cfg.paths = paths;
  cfg.recording = false;
  impl_ = std::make_unique<Impl>(cfg);
  impl_->m.start_all();
}

SimHost::~SimHost() = default;

uint16_t SimHost::port() const { return impl_->m.port(); }

std::string unreachable_reason(const std::string& host, uint16_t port, int timeout_s) {
  using oz::sim::Reach;
  const oz::sim::ReachResult r = oz::sim::probe_connect(host, port, timeout_s);
  switch (r.reach) {
    case Reach::kConnected: return {};
    case Reach::kUnresolved: return "host name not resolved";
    case Reach::kRefused: return "connection refused";
    case Reach::kTimedOut: return "timed out after " + std::to_string(timeout_s) + " s";
    case Reach::kUnreachable: return "network or host unreachable";
    case Reach::kOther: break;
  }
  return "system error " + std::to_string(r.error);
}

bool sim_control(uint16_t port, const std::string& line, std::string* answer, std::string* error) {
  return oz::sim::control_request(port, line, answer, error);
}

}  // namespace ozcli
