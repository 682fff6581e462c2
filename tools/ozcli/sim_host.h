// What ozcli takes from the simulator's side of the tree, kept behind this
// seam so the rest of ozcli sees only the public interface: the in-process
// controller of `ozcli --sim`, the control channel of a running ozsim, and a
// plain connect that names why a controller could not be reached.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace ozcli {

class SimHost {
 public:
  // version 1..5, paths 1..2; the simulated program runs from the start so
  // that live values move.
  SimHost(int version, int paths);
  ~SimHost();
  uint16_t port() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Why host:port cannot be reached ("connection refused", "host name not
// resolved", ...), trying one connect of at most timeout_s seconds; empty
// when the connect goes through.
std::string unreachable_reason(const std::string& host, uint16_t port, int timeout_s);

// One command to the control channel of the ozsim on 127.0.0.1:port; false
// with *error when the channel does not answer.
bool sim_control(uint16_t port, const std::string& line, std::string* answer, std::string* error);

}  // namespace ozcli
