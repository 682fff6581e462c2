// The in-process controller of `ozcli --sim`. Kept behind this seam so the
// rest of ozcli sees only the public interface.
#pragma once
#include <cstdint>
#include <memory>

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

}  // namespace ozcli
