// PDUs and RBs: building requests and reading replies in caller-owned
// buffers. Nothing here allocates; every read of a received PDU is bounded by
// what was received.
#pragma once
#include <cstdint>
#include <cstring>

#include "base/errors.h"
#include "base/be.h"
#include "base/protocol.h"

namespace oz {

class Socket;

constexpr int kPduClearedBody = 128;   // longest RB-list prefix (88) + count, rounded up

struct PDU {
  uint8_t b[kPduBuffer];

  uint32_t mark() const { return be::get32(b + kPduMarkAt); }
  uint16_t version() const { return be::get16(b + kPduVersionAt); }
  uint8_t type() const { return b[kPduTypeAt]; }
  uint8_t direction() const { return b[kPduDirAt]; }
  uint16_t dataSize() const { return be::get16(b + kPduSizeAt); }
  void setDataSize(uint16_t n) { be::put16(b + kPduSizeAt, n); }
  uint8_t* body() { return b + kPduHeader; }
  const uint8_t* body() const { return b + kPduHeader; }
  uint16_t word(int pdu_offset) const { return be::get16(b + pdu_offset); }
  void setWord(int pdu_offset, uint16_t v) { be::put16(b + pdu_offset, v); }
};

// ---- record views ----------------------------------------------------------

// The header of a reply RB by name. The RB lies inside the received body
// (findRB proved it), so its 16 header bytes may be read.
class ReplyRb {
 public:
  explicit ReplyRb(const uint8_t* rb) : p_(rb) {}
  uint16_t size() const { return be::get16(p_ + kSize); }
  uint16_t cls() const { return be::get16(p_ + kClass); }
  int16_t result() const { return int16_t(be::get16(p_ + kResult)); }
  uint16_t detail() const { return be::get16(p_ + kDetail); }
  uint16_t sub() const { return be::get16(p_ + kSub); }
  // Data bytes: the RB's data length, but never past its own size.
  uint16_t dataLength() const {
    const uint16_t len = be::get16(p_ + kDataLength);
    const uint16_t room = size() > kRbReplyHeader ? uint16_t(size() - kRbReplyHeader) : 0;
    return len < room ? len : room;
  }
  const uint8_t* data() const { return p_ + kRbReplyHeader; }
  const uint8_t* raw() const { return p_; }

  static constexpr int kSize = 0, kClass = 2, kResult = 8, kDetail = 10, kSub = 12,
                       kDataLength = 14;

 private:
  const uint8_t* p_;
};

// What an error response (direction 3) or an abort PDU says: location, code,
// detail and sub-detail words at the start of its body. A word the received
// body does not hold reads as 0, never as what the buffer held before.
struct Refusal {
  uint16_t location = 0, code = 0, detail = 0, sub = 0;
  uint8_t type = 0;
};
Refusal refusalOf(const PDU& pdu);
// The error a refusal fails the call with: the controller's own words, or,
// when it names no code (a code word of 0 or a body too short to hold one),
// (EW_FRAMING, kNoReason, PDU type), so that a refusal never reads as success.
ErrObj refusalError(const Refusal& r);

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
inline uint16_t rbDataLength(const uint8_t* rb) { return ReplyRb(rb).dataLength(); }

// ---- moving ----------------------------------------------------------------
void sendPDU(PDU& pdu, Socket& s, int32_t timeout, uint8_t type, uint8_t direction);
void receivePDU(PDU& pdu, Socket& s, int32_t timeout, uint8_t expected);

}  // namespace oz
