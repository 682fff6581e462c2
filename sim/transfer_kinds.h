// Transfer sessions of data kinds other than NC programs. The program store
// owns the session PDUs; a family that keeps other data (flash files, SRAM
// images, C-executor files) registers its kinds here and the store hands
// those sessions over.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "sim/machine.h"

namespace oz::sim {

struct TransferKind {
  // Upload: the bytes the start text names, or a result code for a refusal.
  std::function<int16_t(Machine&, const std::string& text, std::string* out)> upload;
  // Download: stores the bytes received under the start text; 0 or a result code.
  std::function<int16_t(Machine&, const std::string& text, const std::string& data)> download;
  // The upload start answer announces the size to come.
  bool announce = false;
};

struct TransferKinds {
  std::map<uint16_t, TransferKind> kinds;
};

// Call with the machine lock held (family installers and handlers hold it).
inline void register_transfer_kind(Machine& m, uint16_t kind, TransferKind k) {
  m.state<TransferKinds>().kinds[kind] = std::move(k);
}
inline const TransferKind* transfer_kind(Machine& m, uint16_t kind) {
  auto& ks = m.state<TransferKinds>().kinds;
  auto it = ks.find(kind);
  return it == ks.end() ? nullptr : &it->second;
}

}  // namespace oz::sim
