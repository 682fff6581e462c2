#include "sim_host.h"

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
  impl_ = std::make_unique<Impl>(cfg);
  impl_->m.start_all();
}

SimHost::~SimHost() = default;

uint16_t SimHost::port() const { return impl_->m.port(); }

}  // namespace ozcli
