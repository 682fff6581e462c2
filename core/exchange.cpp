#include "core/exchange.h"

#include "base/deadline.h"
#include "base/log.h"

namespace oz {

namespace {

// Entry of every exchange operation: the circuit lock, then the broken test
// that catches a circuit broken by another thread since the frame looked.
void enter(Handle& h, Lock& cl, int log_level) {
  cl.acquire(plat::kInfinite);
  if (h.has(kBroken)) {
    OZ_LOG(log_level) << "Error: circuit was destoryed in another handle," << " sock1 = "
                      << h.circuit->sock1.number() << " sock2 = " << h.circuit->sock2.number();
    raise_error(EW_CIRCUIT, circuit_detail::kBroken);
  }
}

// Failure path shared by the five operations: record, break on -16, re-raise.
template <class F>
void guarded(Handle& h, int entry_log_level, F&& body) {
  Lock cl(h.circuit->circuit_lock);
  enter(h, cl, entry_log_level);
  bool aborted = false;
  try {
    body(cl, aborted);
  } catch (const ErrObj& e) {
    record_error(h, e);
    if (e.code == EW_CIRCUIT) breakCircuit(h);
    if (aborted) raise_saved_abort(h);
    throw;
  }
}

void exchangeOnSock1(Handle& h, PDU& pdu, uint8_t type, Lock& cl, bool& aborted) {
  SockPair& c = *h.circuit;
  const bool end_request = type == kDownloadEnd || type == kDncEnd;
  const int32_t limit = end_request ? 0 : h.timeout;
  const uint8_t expected = end_request ? 0 : type;
  c.sock1.setNoDelay(true);
  sendPDU(pdu, c.sock1, limit, type, kDirRequest);
  if (type != kDncStart) c.sock1.setNoDelay(false);
  const Deadline reply(limit);   // counts from the end of the send, whatever arrives
  for (;;) {
    if (c.sock1.pollNow(0)) {
      receivePDU(pdu, c.sock1, limit, expected);
      const uint8_t got = pdu.type();
      if (got == kDncAbort || got == kDownloadAbort) {
        OZ_LOG(1) << "Error: " << c.sock1.number() << ": Receive abort packet in request"
                  << ": " << unsigned(type) << ": " << unsigned(got);
        // An abort always fails the exchange: one that names no code gets the
        // code of a refusal without a reason.
        save_abort_error(h, refusalError(refusalOf(pdu)));
        aborted = true;
      }
      if (got == type || (type == kDownloadEnd && got == kDownloadAbort) ||
          (type == kDncEnd && got == kDncAbort)) {
        if (aborted) raise_saved_abort(h);
        return;
      }
    }
    if (reply.passed()) {
      OZ_LOG(1) << "Timeout error: " << c.sock1.number() << ": expected packet was not reached"
                << ": " << unsigned(type) << ": " << unsigned(pdu.type());
      raise_error(EW_CIRCUIT, circuit_detail::kReceiveTimeout, 3);
    }
    if (end_request) {
      // Other handles of the circuit keep exchanging while a transfer end is
      // awaited without limit.
      // The wait ends early when the answer comes: sleeping the whole pass
      // would add its length to every session end.
      {
        Lock::Released free(cl);
        if (!c.sock1.waitReadable(4)) plat::sleep_ms(4);
      }
      // Another handle may have broken the circuit while the lock was free;
      // with no time limit this wait would otherwise never end.
      if (h.has(kBroken)) raise_error(EW_CIRCUIT, circuit_detail::kBroken);
    } else {
      plat::sleep_ms(2);
    }
  }
}

}  // namespace

void exchangePDU(Handle& h, PDU& pdu, uint8_t type) {
  guarded(h, 4, [&](Lock& cl, bool& aborted) {
    if (onRequestSocket(type)) {
      sendPDU(pdu, h.circuit->sock2, h.timeout, type, kDirRequest);
      receivePDU(pdu, h.circuit->sock2, h.timeout, type);
    } else {
      exchangeOnSock1(h, pdu, type, cl, aborted);
    }
  });
}

void sendPDUOnly(Handle& h, PDU& pdu, uint8_t type, uint8_t direction) {
  guarded(h, 4, [&](Lock&, bool&) {
    const int32_t limit = (type == kDownloadData || type == kDncData) ? 0 : h.timeout;
    sendPDU(pdu, h.circuit->sock1, limit, type, direction);
  });
}

void receivePDUOnly(Handle& h, PDU& pdu, uint8_t expected) {
  guarded(h, 4, [&](Lock&, bool&) { receivePDU(pdu, h.circuit->sock1, h.timeout, expected); });
}

bool canSendTransfer(Handle& h) {
  bool r = false;
  guarded(h, 4, [&](Lock&, bool&) { r = h.circuit->sock1.pollNow(1); });
  return r;
}

bool hasTransferData(Handle& h) {
  bool r = false;
  guarded(h, 2, [&](Lock&, bool&) { r = h.circuit->sock1.pollNow(0); });
  return r;
}

}  // namespace oz
