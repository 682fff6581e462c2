// Which export sends a request, for ozsim's trace: "cnc_actf" for class 1,
// command 36. Made from the library's list of exports and their requests.
#pragma once
#include <cstdint>

namespace oz::sim {

// The export's name, or null for a request no export sends.
const char* request_name(uint16_t cls, uint16_t cmd);

}  // namespace oz::sim
