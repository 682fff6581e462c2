// DNC operation: the controller runs a program while it streams in. Also the
// older DNC entry points and the DNC diagnosis reads.
#include <algorithm>

#include "api/programs/session.h"

using namespace oz;
using namespace oz::prog;

static_assert(sizeof(dncdgndt_t) == 32 && offsetof(dncdgndt_t, v3) == 20 &&
              offsetof(dncdgndt_t, v6) == 28);
static_assert(sizeof(dncdgndt2_t) == 80 && offsetof(dncdgndt2_t, v3) == 68 &&
              offsetof(dncdgndt2_t, v5) == 72 && offsetof(dncdgndt2_t, v6) == 76);

namespace {

constexpr Start kDnc{kDncOpen, kDncStart, "DNC"};
constexpr int kDncChunk = kTransferPiece;
constexpr int kDncText = 64;
constexpr uint16_t kOldDncMax = 40959;

bool acceptedEndCode(int16_t code) {
  return code == -1 || code == -32768 || code == -517 || code == -516 || code == -514;
}

// The DNC diagnosis, the name cut to the caller's field.
template <class T>
int16_t readDiagnosis(uint16_t h, const char* fn, T* out) {
  return call(h, fn, args(out), [&](Call& c) {
    Reader d = c.exchange(cnc(58));
    out->v1 = d.i16(0);
    out->v2 = d.i16(2);
    d.sub(4, 64).copy(out->name, 0, sizeof out->name);
    out->v3 = uint16_t(d.u32(68));
    out->v4 = uint16_t(d.u32(72));
    out->v5 = uint16_t(d.u32(76));
    out->v6 = d.u32(80);
  });
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_dncstart2(uint16_t hn, char* out) {
  return session_call(hn, "cnc_dncstart2", args(out), Report::DncStart,
                      [&](Handle& h) -> int16_t {
    PDU pdu;
    if (const int16_t r = open_session(h, kDnc, 0, nullptr, nullptr, pdu, nullptr)) return r;
    const uint8_t* t = pdu.body();
    const int n = std::min<int>(pdu.dataSize(), kDncText);
    int i = 0;
    for (; i < n; ++i)
      if ((out[i] = char(t[i])) == '\0') return EW_SUCCESS;
    out[std::min(i, kDncText - 1)] = '\0';
    return EW_SUCCESS;
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_dnc2(uint16_t hn, int32_t* length, const void* data) {
  return session_call(hn, "cnc_dnc2", args(count(length), data), Report::Dnc,
                      [&](Handle& h) -> int16_t {
    if (!h.has(kDncOpen)) {
      note(h, ": DNC start was not called.");
      return EW_UNAVAILABLE;
    }
    expect(*length >= 1, EW_SIZE);
    if (h.has(kDncAborted)) raise_error(EW_CANCELLED);
    if (hasTransferData(h)) {
      PDU pdu;
      receivePDUOnly(h, pdu, 0);
      if (pdu.type() == kDncAbort) {
        h.flags |= kDncAborted;
        save_abort_error(h, pduError(pdu));
        raise_error(EW_CANCELLED);
      }
      logUnexpected(h, "cnc_dnc2(", pdu);
    }
    // DNC data has no time-out of its own: the controller takes it at the
    // pace it runs the program.
    if (!canSendTransfer(h)) {
      plat::sleep_ms(0);
      logBuffer(h, "cnc_dnc2(", *length, data);
      return EW_BUFFER;
    }
    *length = sendChunks(h, kDncData, kDncChunk, static_cast<const uint8_t*>(data), *length);
    return EW_SUCCESS;
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_dncend2(uint16_t hn, int16_t code) {
  return session_call(hn, "cnc_dncend2", args(code), Report::Plain, [&](Handle& h) -> int16_t {
    if (!h.has(kDncOpen)) {
      note(h, ": DNC start was not called.");
      return EW_UNAVAILABLE;
    }
    if (h.has(kDncAborted)) {
      SessionClose close(h, kDncOpen | kDncAborted);
      raise_saved_abort(h);
    }
    if (!acceptedEndCode(code)) {
      OZ_LOG(1) << "Error: " << h.number << ": DNC result code(" << code << ") is incorrect.";
      return EW_VALUE;
    }
    SessionClose close(h, kDncOpen | kDncAborted);
    if (code == -1) {
      PDU pdu;
      initPDU(pdu);
      exchangePDU(h, pdu, kDncEnd);
    } else {
      sendBare(h, kDncAbort, kDirOneWay, kAbortBody, code);
    }
    return EW_SUCCESS;
  });
}

// ---- older entry points: the real start goes with the first data -------------------------

OZ_EXPORT int16_t OZ_CALL cnc_dncstart(uint16_t hn) {
  return session_call(hn, "cnc_dncstart", args(), Report::Plain, [&](Handle& h) -> int16_t {
    if (h.has(kOldDncOpen1)) {
      note(h, ": Old DNC start has been called in this handle.");
      return EW_INUSE;
    }
    h.flags |= kOldDncOpen1 | kOldDncOpen2;
    return EW_SUCCESS;
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_cdnc(uint16_t hn, const char* data, uint16_t length) {
  return session_call(hn, "cnc_cdnc", args(data, length), Report::Plain,
                      [&](Handle& h) -> int16_t {
    if (!h.has(kOldDncOpen1)) return EW_UNAVAILABLE;
    if (length > kOldDncMax) return EW_SIZE;
    if (h.has(kOldDncOpen2)) {
      char text[kDncText];
      int16_t r;
      do {
        plat::sleep_ms(1);
        r = cnc_dncstart2(hn, text);
      } while (r == EW_REFUSED);
      if (r != EW_SUCCESS) return EW_CANCELLED;
      h.flags &= ~kOldDncOpen2;
    }
    int32_t left = length;
    bool moved = false;
    while (left > 0) {
      int32_t n = left;
      const int16_t r = cnc_dnc2(hn, &n, data + (length - left));
      if (r == EW_SUCCESS) {
        left -= n;
        moved = true;
      } else if (r == EW_BUFFER) {
        if (!moved) return EW_BUFFER;
      } else {
        return EW_CANCELLED;
      }
    }
    return EW_SUCCESS;
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_dnc(uint16_t h, const char* data, uint16_t length) {
  return untilMoved([&] { return cnc_cdnc(h, data, length); });
}

OZ_EXPORT int16_t OZ_CALL cnc_dncend(uint16_t hn) {
  return session_call(hn, "cnc_dncend", args(), Report::Plain, [&](Handle& h) -> int16_t {
    if (!h.has(kOldDncOpen1)) return EW_UNAVAILABLE;
    const int16_t r = cnc_dncend2(hn, -1);
    h.flags &= ~(kOldDncOpen1 | kOldDncOpen2);
    return r;
  });
}

// ---- diagnosis ------------------------------------------------------------------------

OZ_EXPORT int16_t OZ_CALL cnc_rddncdgndt(uint16_t h, dncdgndt_t* out) {
  return readDiagnosis(h, __func__, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rddncdgndt2(uint16_t h, dncdgndt2_t* out) {
  return readDiagnosis(h, __func__, out);
}
