// The listening socket of a simulated controller, on any local IPv4 address
// (ozsim --bind). The platform seam offers loopback only, which is what the
// tests use; another address takes the system's own calls, here and nowhere
// else.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/platform.h"

namespace oz::sim {

struct ListenError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Listens on address:port (0: a free port) and gives the port bound.
// Throws ListenError saying why it cannot ("address in use", ...).
plat::sock_t listen_on(const std::string& address, uint16_t port, uint16_t* bound);

// Where a connection of our own reaches that listener: the address itself,
// or loopback for the any-address.
std::string reach_address(const std::string& address);

}  // namespace oz::sim
