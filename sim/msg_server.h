// Stand-ins for the two programs on the PC that the library talks to beside
// the controller, as small as the library's side needs them, for the tests
// and for ozmsgd (tools/ozmsgd.md tells how they work).
//
// MessageServer: publishes its window in "... Server - hWnd", answers start,
// stop and clear requests with registration numbers or refusals, takes the
// simulated controller's pushes (sim/unsolic_wire.h) on a TCP port of
// 127.0.0.1 and lays each registration's latest message in its "Message%d"
// memory.
//
// ScreenDisplay: publishes its window under one controller address and
// answers the display messages, keeping what it was told.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/pc_programs.h"

namespace oz::sim {

class MessageServer {
 public:
  struct Options {
    uint16_t push_port = 0;      // 0: any free port
    int max_registrations = 16;
    // One line per event (registration, push, refusal); null: quiet.
    std::function<void(const std::string&)> log;
  };

  struct Registration {
    int16_t number;
    unsolic::StartRecord start;
    uint32_t messages;           // pushes stored
  };

  explicit MessageServer(Options opt);
  MessageServer();
  ~MessageServer();
  MessageServer(const MessageServer&) = delete;
  MessageServer& operator=(const MessageServer&) = delete;

  // False when the server could not publish its window or open its port,
  // or another live server has published one already (error() says which).
  bool ok() const;
  const std::string& error() const;
  uint16_t push_port() const;
  uint64_t window() const;

  std::vector<Registration> registrations() const;
  // Message numbers received, in order.
  std::vector<uint32_t> requests() const;
  // The next request of this message number is answered with value, as is.
  void answer_next(uint32_t msg, uint64_t value);
  // Lays a block in a registration's memory as if it had been pushed; false
  // for a registration the server does not have.
  bool store(int16_t reg, const std::vector<uint8_t>& block);
  // Waits until a registration has stored at least n pushes.
  bool wait_messages(int16_t reg, uint32_t n, uint32_t timeout_ms) const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

class ScreenDisplay {
 public:
  // The controller's IPv4 address as it lies in memory (network order);
  // log, when given, hears of each message.
  explicit ScreenDisplay(uint32_t address_be, std::function<void(const std::string&)> log = {});
  ~ScreenDisplay();
  ScreenDisplay(const ScreenDisplay&) = delete;
  ScreenDisplay& operator=(const ScreenDisplay&) = delete;

  bool ok() const;
  uint64_t window() const;

  struct Message {
    uint32_t msg;
    uint64_t wparam;
    int64_t lparam;
  };
  std::vector<Message> messages() const;
  // The answer to every later message (0 by default).
  void answer(uint64_t value);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace oz::sim
