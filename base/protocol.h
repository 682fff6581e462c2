// The protocol's structural numbers, named once for the library, the
// simulated controller and the tests: PDU framing, PDU types and directions,
// RB classes, the requests of a circuit's opening, and the detail words of the
// communication (-16) and framing (-17) failures.
#pragma once
#include <cstdint>

namespace oz {

// ---- PDU and RB framing -----------------------------------------------------
constexpr uint32_t kPduMark = 0xA0A0A0A0u;
constexpr int kPduHeader = 10;
constexpr int kPduBodyMax = 4950;
constexpr int kPduBuffer = kPduHeader + kPduBodyMax;   // 4960
// Header fields by offset: mark, version, type, direction, data size.
constexpr int kPduMarkAt = 0, kPduVersionAt = 4, kPduTypeAt = 6, kPduDirAt = 7, kPduSizeAt = 8;
constexpr int kRbRequestHeader = 28;
constexpr int kRbReplyHeader = 16;
// Body of a transfer data PDU and of the upload buffer: what every controller
// version accepts in one piece.
constexpr int kTransferPiece = 1450;
// Body of an abort PDU: location, code, detail and sub-detail words.
constexpr uint16_t kAbortBody = 8;

// The largest body a received PDU may carry, by its version field.
constexpr int mtuForVersion(uint16_t v) {
  return v <= 2 ? 1450 : v == 3 ? 2910 : v == 4 ? 3470 : 4950;
}

enum PduType : uint8_t {
  kInitiate = 1, kClose = 2,
  kDownloadStart = 17, kDownloadData = 18, kDownloadEnd = 19, kDownloadAbort = 20,
  kUploadStart = 21, kUploadData = 22, kUploadEnd = 23, kUploadAbort = 24,
  kDncStart = 25, kDncData = 26, kDncEnd = 27, kDncAbort = 28,
  kLockStat1 = 29, kProtBit1 = 30, kRequest = 33, kLockStat2 = 36, kProtBit2 = 37,
  kUnsolicWrite = 38, kUnsolicRead = 39, kUnsolicStart = 40, kUnsolicStop = 41,
  kUnsolicWrite2 = 42, kUnsolicRead2 = 43,
};
enum PduDir : uint8_t { kDirRequest = 1, kDirResponse = 2, kDirError = 3, kDirOneWay = 4 };

// ---- RB classes ----------------------------------------------------------------
constexpr uint16_t kClassCnc = 1;
constexpr uint16_t kClassPmc = 2;

// ---- the requests of a circuit's opening --------------------------------------------
constexpr uint16_t kCmdSysInfo = 24;     // per-path system information
constexpr uint16_t kCmdKindInfo = 140;   // configuration words 16 and 18, kind word 2 only
constexpr uint16_t kCmdIdString = 833;   // system information with a scrambled id string

// ---- detail words of EW_CIRCUIT (-16) ------------------------------------------
namespace circuit_detail {
constexpr uint16_t kCreate = 1;          // creating a socket failed
constexpr uint16_t kConnect = 2;         // connecting a socket failed
constexpr uint16_t kSend = 3;            // sub-detail: the system error
constexpr uint16_t kReceive = 4;         // sub-detail: the system error
constexpr uint16_t kSelect = 5;          // sub-detail: the system error
constexpr uint16_t kResolve = 7;         // sub-detail: the system error
constexpr uint16_t kSendTimeout = 8;     // sub 1: a PDU; 2: download data
constexpr uint16_t kReceiveTimeout = 9;  // sub 1 header, 2 body, 3 reply, 4 upload data, 5 close
constexpr uint16_t kBroken = 10;
constexpr uint16_t kPeerClosed = 11;     // sub 1: on a send; 2: on a receive
}  // namespace circuit_detail

// ---- detail words of EW_FRAMING (-17) ------------------------------------------
namespace framing_detail {
constexpr uint16_t kNoSuchRb = 3;
constexpr uint16_t kBadMark = 4;
constexpr uint16_t kBadDirection = 6;
constexpr uint16_t kBadSize = 7;         // sub 1 over the MTU, 2 initiate, 3 short, 4 over, 5 under
constexpr uint16_t kErrorResponse = 8;   // sub-detail: the controller's code word
// An error response or abort PDU that names no failure code (code word 0, or
// a body too short to hold it); sub-detail: the PDU type.
constexpr uint16_t kNoReason = 9;
}  // namespace framing_detail

}  // namespace oz
