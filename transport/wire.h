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
