// PDUs and RBs: building requests and reading replies in caller-owned
// buffers. Nothing here allocates; every read of a received PDU is bounded by
// what was received.
#pragma once
#include <cstdint>
#include <cstring>

#include "core/errors.h"
#include "transport/be.h"

namespace oz {

class Socket;

constexpr uint32_t kPduMark = 0xA0A0A0A0u;
constexpr int kPduHeader = 10;
constexpr int kPduBodyMax = 4950;
constexpr int kPduBuffer = kPduHeader + kPduBodyMax;   // 4960
constexpr int kRbRequestHeader = 28;
constexpr int kRbReplyHeader = 16;
constexpr int kPduClearedBody = 128;   // longest RB-list prefix (88) + count, rounded up

enum PduType : uint8_t {
  kInitiate = 1, kClose = 2,
  kDownloadStart = 17, kDownloadData = 18, kDownloadEnd = 19, kDownloadAbort = 20,
  kUploadStart = 21, kUploadData = 22, kUploadEnd = 23, kUploadAbort = 24,
  kDncStart = 25, kDncData = 26, kDncEnd = 27, kDncAbort = 28,
  kLockStat1 = 29, kProtBit1 = 30, kRequest = 33, kLockStat2 = 36, kProtBit2 = 37,
};
enum PduDir : uint8_t { kDirRequest = 1, kDirResponse = 2, kDirError = 3, kDirOneWay = 4 };

// The largest body a received PDU may carry, by its version field.
inline int mtuForVersion(uint16_t v) {
  return v <= 2 ? 1450 : v == 3 ? 2910 : v == 4 ? 3470 : 4950;
}

struct PDU {
  uint8_t b[kPduBuffer];

  uint16_t version() const { return be::get16(b + 4); }
  uint8_t type() const { return b[6]; }
  uint8_t direction() const { return b[7]; }
  uint16_t dataSize() const { return be::get16(b + 8); }
  void setDataSize(uint16_t n) { be::put16(b + 8, n); }
  uint8_t* body() { return b + kPduHeader; }
  const uint8_t* body() const { return b + kPduHeader; }
  uint16_t word(int pdu_offset) const { return be::get16(b + pdu_offset); }
  void setWord(int pdu_offset, uint16_t v) { be::put16(b + pdu_offset, v); }
};

// ---- building --------------------------------------------------------------
uint8_t* buildRB(uint8_t* rb, uint16_t cls, uint16_t path, uint16_t cmd, uint32_t a1,
                 uint32_t a2, uint32_t a3, uint32_t a4, uint16_t a5, uint16_t datalen);
uint16_t addRBData(uint8_t* rb, uint16_t n);
void initPDU(PDU& pdu);
int addRB(PDU& pdu, const uint8_t* rb, int prefix = 0);

// ---- reading ---------------------------------------------------------------
// Reply RB n of a received type-33 PDU. The framing check of receivePDU has
// proved that the RB sizes tile the body, so walking them stays inside it.
const uint8_t* findRB(const PDU& pdu, int n, int prefix = 0);
const uint8_t* getReplyRB(const PDU& pdu, int n, int prefix = 0);
int16_t getRBResult(const PDU& pdu, int n, int prefix = 0);
uint16_t getRBDetail(const PDU& pdu, int n, int prefix = 0);
uint16_t getRBInfo(const PDU& pdu, int n, int prefix = 0);
void clearRBResult(PDU& pdu, int n, int prefix = 0);
// Data bytes of a reply RB: its data length, but never past its own size.
inline uint16_t rbDataLength(const uint8_t* rb) {
  uint16_t size = be::get16(rb), len = be::get16(rb + 14);
  uint16_t room = size > kRbReplyHeader ? uint16_t(size - kRbReplyHeader) : 0;
  return len < room ? len : room;
}

// ---- moving ----------------------------------------------------------------
void sendPDU(PDU& pdu, Socket& s, int32_t timeout, uint8_t type, uint8_t direction);
void receivePDU(PDU& pdu, Socket& s, int32_t timeout, uint8_t expected);

}  // namespace oz
