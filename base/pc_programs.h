// What the library shares with the two programs on the PC it talks to beside
// the controller, the message server and the screen display program: the
// names of their shared memory, their message numbers and answers, the
// records laid in that memory, and the unsolicited-message PDUs' layouts.
// The simulator and the stand-ins of those programs use the same numbers.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace oz::unsolic {

// ---- the message server ---------------------------------------------------------
constexpr const char* kServerWindowMap = "Korva Unsolicited Message Server - hWnd";
constexpr const char* kStartMap = "Korva Unsolicited Message Function - Start Parameter";
constexpr const char* kStopMap = "Korva Unsolicited Message Function - Stop Parameter";
constexpr const char* kClearMap = "Korva Unsolicited Message Function - Clear Parameter";

// A mapping name built on the stack: the calls that use one allocate nothing.
struct MapName {
  char text[80];
  const char* c_str() const { return text; }
};

inline MapName message_map(int reg) {
  MapName n;
  std::snprintf(n.text, sizeof n.text, "Korva Unsolicited Message Server - Message%d", reg);
  return n;
}

constexpr uint32_t kMsgStart = 0x8196;
constexpr uint32_t kMsgStop = 0x83EA;
constexpr uint32_t kMsgClear = 0x8078;
constexpr uint32_t kServerLimitMs = 6000;

// Answers of 0x65000 and up are refusals.
constexpr uint64_t kRefusal = 0x65000;
constexpr uint64_t kRefusedTaken = 0x65000;     // start: that setting is registered already
constexpr uint64_t kRefusedFull = 0x65001;      // start: no registration left
constexpr uint64_t kRefusedUnknown = 0x65011;   // stop: nothing registered for that setting
constexpr uint64_t kRefusedOther = 0x65010;     // the stand-in's general refusal

constexpr size_t kStartRecord = 32;
constexpr size_t kStopRecord = 8;
constexpr size_t kClearRecord = 2;

// Start record, host byte order; the reserved bytes are written as zeros.
struct StartRecord {
  uint32_t address;    // controller IPv4, first octet most significant
  uint16_t port;
  uint16_t number;     // transmission setting
  uint16_t count;
  uint64_t window;     // the application's window
  uint32_t msg;        // the application's message
};

inline void put_start(const StartRecord& r, uint8_t out[kStartRecord]) {
  std::memset(out, 0, kStartRecord);
  std::memcpy(out + 0, &r.address, 4);
  std::memcpy(out + 4, &r.port, 2);
  std::memcpy(out + 6, &r.number, 2);
  std::memcpy(out + 8, &r.count, 2);
  std::memcpy(out + 16, &r.window, 8);
  std::memcpy(out + 24, &r.msg, 4);
}

inline StartRecord get_start(const uint8_t in[kStartRecord]) {
  StartRecord r{};
  std::memcpy(&r.address, in + 0, 4);
  std::memcpy(&r.port, in + 4, 2);
  std::memcpy(&r.number, in + 6, 2);
  std::memcpy(&r.count, in + 8, 2);
  std::memcpy(&r.window, in + 16, 8);
  std::memcpy(&r.msg, in + 24, 4);
  return r;
}

// Stop record: the first 8 bytes of a start record.
inline void put_stop(uint32_t address, uint16_t port, uint16_t number, uint8_t out[kStopRecord]) {
  std::memcpy(out + 0, &address, 4);
  std::memcpy(out + 4, &port, 2);
  std::memcpy(out + 6, &number, 2);
}

// ---- the stored message block ---------------------------------------------------
// Offset 0: entry count; from 2, entries back to back, host byte order. A
// first entry of tag 1 makes every entry (tag, length, data); any other makes
// them (tag, word, length, data). Tags 3 to 5 carry 64-bit big-endian values.
constexpr uint16_t kTagShort = 1;
constexpr uint16_t kTagBytes = 2;
constexpr uint16_t kTagValuesFirst = 3;
constexpr uint16_t kTagValuesLast = 5;

// ---- the unsolicited PDUs (offsets from the start of the PDU) ----------------------
// First form: the write's 20-byte prefix and the read's reply.
namespace form1 {
constexpr int kPrefix = 20;
constexpr int kNumber = 10, kAddress = 12, kWord1 = 16, kWord2 = 18, kWord3 = 20, kWord4 = 24,
              kWord5 = 26, kWord6 = 28;
constexpr int kReplyCount = 34;   // then the RBs
}  // namespace form1

// Second form: the write's 88-byte prefix, and the read's reply, which lays
// the same fields out from offset 84 on four bytes further.
namespace form2 {
constexpr int kPrefix = 88;
constexpr int kNumber = 10, kAddress = 12, kAddressLength = 64, kWords = 76, kForm = 84,
              kFormWord1 = 86, kFormWord2 = 88, kValue1 = 90, kValue2 = 94;
constexpr int kReplyShift = 4;
constexpr int kReplyCount = 102;
}  // namespace form2

constexpr uint16_t kCmdPmcRange = 0x8001;
// CNC data items: kinds 3, 4 and 5.
constexpr uint16_t kCmdCncData[3] = {167, 479, 476};

enum UnsolicitedPdu : uint8_t {
  kWritePrm = 38, kReadPrm = 39, kStart = 40, kStop = 41, kWritePrm2 = 42, kReadPrm2 = 43,
};

}  // namespace oz::unsolic

namespace oz::display {

// The display program's mapping, named after the controller's address as it
// lies in memory read as a little-endian number (first octet lowest).
inline unsolic::MapName window_map(const uint8_t octets[4]) {
  const uint32_t v = uint32_t(octets[0]) | uint32_t(octets[1]) << 8 | uint32_t(octets[2]) << 16 |
                     uint32_t(octets[3]) << 24;
  unsolic::MapName n;
  std::snprintf(n.text, sizeof n.text, "Korva CNC Screen Display Function - IP %08X", unsigned(v));
  return n;
}

constexpr uint32_t kMsgShow = 0x80C8;
constexpr uint32_t kMsgNotify = 0x8064;   // + kind 0 or 1
constexpr uint32_t kLimitMs = 5000;
constexpr uint32_t kFindStepMs = 32;

}  // namespace oz::display
