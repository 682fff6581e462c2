// The one door to the controller: one request PDU and its reply under the
// circuit lock, plus the single-PDU primitives the transfer sessions use.
#pragma once
#include "core/handle.h"
#include "transport/wire.h"

namespace oz {

void exchangePDU(Handle& h, PDU& pdu, uint8_t type);
void sendPDUOnly(Handle& h, PDU& pdu, uint8_t type, uint8_t direction);
void receivePDUOnly(Handle& h, PDU& pdu, uint8_t expected);
bool canSendTransfer(Handle& h);
bool hasTransferData(Handle& h);

// Ordinary requests, the second steps of the lock and protection requests
// and the unsolicited-message requests go on sock2; everything else on sock1.
inline bool onRequestSocket(uint8_t type) {
  return type == kRequest || (type >= kLockStat2 && type <= kUnsolicRead2);
}

}  // namespace oz
