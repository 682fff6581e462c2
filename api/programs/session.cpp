// Shared machinery of the transfer sessions (see session.h).
#include "api/programs/session.h"

#include <algorithm>

namespace oz::prog {

void note(const Handle& h, const char* text) { OZ_LOG(1) << "Error: " << h.number << text; }

namespace {
constexpr int kTextBytes = 256;
constexpr int kStartBody = 4 + 2 * kTextBytes;   // 516

void putText(uint8_t* at, const char* t) {
  if (t == nullptr) return;
  // The last byte stays zero: a text is always terminated inside its field.
  std::memcpy(at, t, std::min<size_t>(std::strlen(t), kTextBytes - 1));
}
}  // namespace

int16_t open_session(Handle& h, const Start& s, int16_t data_kind, const char* text1,
                     const char* text2, PDU& pdu, uint32_t* total) {
  if (!h.hold.acquire(0)) {
    OZ_LOG(1) << "Error: " << h.number << ": " << s.kind
              << " start has been called in another handle.";
    return EW_INUSE;
  }
  if (h.has(s.open_bit)) {
    OZ_LOG(1) << "Error: " << h.number << ": " << s.kind
              << " start has been called in this handle.";
    h.hold.release();
    return EW_INUSE;
  }
  h.flags |= s.open_bit;
  h.last_xfer_tick = 0;
  // Undone unless the start goes through.
  struct Undo {
    Handle& h;
    uint32_t bit;
    bool keep = false;
    ~Undo() {
      if (keep) return;
      h.flags &= ~bit;
      h.hold.release();
    }
  } undo{h, s.open_bit};
  initPDU(pdu);
  // initPDU clears only an RB list's worth: the texts' fields reach further,
  // and what the caller's stack held there would go to the controller.
  std::memset(pdu.body(), 0, kStartBody);
  be::put16(pdu.body(), uint16_t(data_kind));
  be::put16(pdu.body() + 2, uint16_t(h.path));
  putText(pdu.body() + 4, text1);
  putText(pdu.body() + 4 + kTextBytes, text2);
  pdu.setDataSize(kStartBody);
  exchangePDU(h, pdu, s.pdu_type);
  if (total) *total = Reader(pdu.body(), pdu.dataSize()).u32(0);
  undo.keep = true;
  return EW_SUCCESS;
}

ErrObj pduError(const PDU& pdu) {
  auto w = [&](int off) -> uint16_t {
    return off + 2 <= pdu.dataSize() ? be::get16(pdu.body() + off) : 0;
  };
  return ErrObj(int16_t(w(2)), w(4), w(6));
}

void sendBare(Handle& h, uint8_t type, uint8_t direction, uint16_t size, int16_t code) {
  PDU pdu;
  std::memset(pdu.b, 0, kPduHeader + 8);
  be::put16(pdu.body() + 2, uint16_t(code));
  pdu.setDataSize(size);
  sendPDUOnly(h, pdu, type, direction);
}

void logUnexpected(const Handle& h, const char* fn, const PDU& pdu) {
  OZ_LOG(1) << "Error:" << h.circuit->sock1.number() << ": " << fn << h.number
            << "): unexpected packet," << " type = " << unsigned(pdu.type())
            << " dir = " << unsigned(pdu.direction());
}

void logBuffer(const Handle& h, const char* fn, int32_t length, const void* data) {
  OZ_LOG(4) << "Error: " << h.sock2Number() << ": " << fn << h.number << ' ' << length << ' '
            << data << "): EW_BUFFER";
}

int16_t bufferWait(Handle& h, const Wait& w) {
  const uint32_t now = plat::tick_ms();
  if (h.last_xfer_tick == 0 || h.timeout <= 0 ||
      (now - h.last_xfer_tick) / 1000u <= uint32_t(h.timeout)) {
    if (h.last_xfer_tick == 0) h.last_xfer_tick = now;
    plat::sleep_ms(0);
    return EW_BUFFER;
  }
  sendBare(h, w.abort_type, kDirOneWay, 8);
  OZ_LOG(1) << "Timeout error: " << h.circuit->sock1.number() << ": " << w.timeout_name
            << h.number << "): " << h.timeout;
  breakCircuit(h);
  h.flags |= w.stop_bit;
  save_abort_error(h, w.timeout);
  raise_error(w.timeout.code, w.timeout.detail, w.timeout.sub);
}

int32_t sendChunks(Handle& h, uint8_t type, int chunk, const uint8_t* data, int32_t length) {
  PDU pdu;
  int32_t sent = 0;
  do {
    const int n = std::min<int32_t>(chunk, length - sent);
    std::memcpy(pdu.body(), data + sent, size_t(n));
    pdu.setDataSize(uint16_t(n));
    sendPDUOnly(h, pdu, type, kDirOneWay);
    sent += n;
  } while (sent < length && canSendTransfer(h));
  return sent;
}

int16_t rewrite(int16_t r, std::initializer_list<Rewrite> rules) {
  for (const Rewrite& w : rules)
    for (int16_t f : w.from)
      if (f != 0 && f == r) return w.to;
  return r;
}

}  // namespace oz::prog
