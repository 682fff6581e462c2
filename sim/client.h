// What ozcli asks of the network beside the library: a command to a running
// simulator's control channel, and a plain connect that names why a
// controller could not be reached (the library's allocation reports only
// EW_CIRCUIT, and there is no handle to ask for its detail).
#pragma once
#include <cstdint>
#include <string>

namespace oz::sim {

enum class Reach { kConnected, kUnresolved, kRefused, kTimedOut, kUnreachable, kOther };

struct ReachResult {
  Reach reach = Reach::kOther;
  uint32_t error = 0;   // the system's error number for kOther
};

// Resolves host and connects to it once, waiting at most timeout_s seconds.
ReachResult probe_connect(const std::string& host, uint16_t port, int timeout_s);

// Sends one command line to the control channel on 127.0.0.1:port and gives
// back the answer line; false (with *error) when the channel does not answer.
bool control_request(uint16_t port, const std::string& line, std::string* answer, std::string* error);

}  // namespace oz::sim
