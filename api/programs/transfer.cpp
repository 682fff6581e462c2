// Upload, download and verify sessions, their older entry points and the
// file-transfer aliases.
#include <algorithm>

#include "api/programs/session.h"

using namespace oz;
using namespace oz::prog;

static_assert(sizeof(upload_t) == 260 && offsetof(upload_t, data) == 4);

namespace {

constexpr Start kUpload{kUploadOpen, kUploadStart, "Upload"};
constexpr Start kDownload{kDownloadOpen, kDownloadStart, "Download"};
constexpr int kUploadBlock = 256;
constexpr int kDownloadChunk = 1280;
constexpr uint16_t kXferBuffer = sizeof(Handle::xfer_buf);

// Kinds whose upload start answers with the size it will send.
bool announcesTotal(uint16_t kind) {
  return kind == OZ_XFER_FLASH || kind == OZ_XFER_FLASH2 || kind == OZ_XFER_SRAM;
}

// A session ends for the data calls: the finished bit, the error kept for
// the next calls and the end call, and the error raised now.
[[noreturn]] void finish(Handle& h, uint32_t bit, const ErrObj& e) {
  h.flags |= bit;
  save_abort_error(h, e);
  raise_saved_abort(h);
}

// Hands out what the transfer buffer holds and refills it from upload data
// PDUs; returns the bytes delivered into out[0..want).
int32_t drainUpload(Handle& h, uint8_t* out, int32_t want, int32_t* length, bool* dry) {
  int32_t got = 0;
  *dry = false;
  while (want - got >= kUploadBlock) {
    const int32_t n = std::min<int32_t>(want - got, int32_t(h.xfer_held));
    std::memcpy(out + got, h.xfer_buf + h.xfer_pos, size_t(n));
    h.xfer_pos += uint32_t(n);
    h.xfer_held -= uint32_t(n);
    h.xfer_delivered += uint32_t(n);
    got += n;
    *length = got;
    if (n > 0) continue;
    if (!hasTransferData(h)) {
      *dry = true;
      break;
    }
    PDU pdu;
    receivePDUOnly(h, pdu, 0);
    switch (pdu.type()) {
      case kUploadData:
        // The controller never sends more than the buffer holds; one that
        // does has broken the session, not the circuit.
        if (pdu.dataSize() > kXferBuffer) finish(h, kUploadFinished, ErrObj(EW_FRAMING, framing_detail::kBadSize));
        std::memcpy(h.xfer_buf, pdu.body(), pdu.dataSize());
        h.xfer_pos = 0;
        h.xfer_held = pdu.dataSize();
        break;
      case kUploadEnd:
        sendBare(h, kUploadEnd, kDirResponse, 0);
        h.flags |= kUploadFinished;
        h.abort_err = {};
        if (got > 0) return got;
        raise_saved_abort(h);
      case kUploadAbort:
        finish(h, kUploadFinished, pduError(pdu));
      default:
        logUnexpected(h, "cnc_upload3(", pdu);
        h.flags |= kUploadFinished;
        h.abort_err = {};
        raise_saved_abort(h);
    }
  }
  return got;
}

int16_t uploadData(uint16_t hn, int32_t* length, void* data) {
  return session_call(hn, "cnc_upload3", args(count(length), data), Report::Data,
                      [&](Handle& h) -> int16_t {
    if (!h.has(kUploadOpen)) {
      note(h, ": Upload start was not called.");
      return EW_UNAVAILABLE;
    }
    expect(*length >= kUploadBlock, EW_SIZE);
    if (h.has(kUploadFinished)) raise_saved_abort(h);
    const int32_t want = *length / kUploadBlock * kUploadBlock;
    bool dry = false;
    const int32_t got = drainUpload(h, static_cast<uint8_t*>(data), want, length, &dry);
    if (!dry || got > 0) {
      h.last_xfer_tick = 0;
      return EW_SUCCESS;
    }
    const int16_t r = bufferWait(h, {kUploadAbort, kUploadFinished, ErrObj(EW_CIRCUIT, circuit_detail::kReceiveTimeout, 4),
                                     "cnc_upload3("});
    logBuffer(h, "cnc_upload3(", *length, data);
    return r;
  });
}

int16_t uploadEnd(uint16_t hn) {
  return session_call(hn, "cnc_upend3", args(), Report::Plain, [&](Handle& h) -> int16_t {
    if (!h.has(kUploadOpen)) {
      note(h, ": Upload start was not called.");
      return EW_UNAVAILABLE;
    }
    SessionClose close(h, kUploadOpen | kUploadFinished);
    if (h.has(kUploadFinished)) {
      h.flags &= ~kUploadFinished;
      if (h.abort_err.code != 0) raise_saved_abort(h);
    } else if (hasTransferData(h)) {
      PDU pdu;
      receivePDUOnly(h, pdu, 0);
      switch (pdu.type()) {
        case kUploadData:
          sendBare(h, kUploadAbort, kDirOneWay, kAbortBody);
          break;
        case kUploadEnd:
          sendBare(h, kUploadEnd, kDirResponse, 0);
          break;
        case kUploadAbort:
          save_abort_error(h, pduError(pdu));
          if (h.abort_err.code != 0) raise_saved_abort(h);
          break;
        default:
          logUnexpected(h, "cnc_upend3(", pdu);
      }
    } else {
      sendBare(h, kUploadAbort, kDirOneWay, kAbortBody);
    }
    if (h.xfer_delivered < h.xfer_total) raise_error(EW_VALUE, 144, 0);
    return EW_SUCCESS;
  });
}

int16_t downloadData(uint16_t hn, int32_t* length, const void* data) {
  return session_call(hn, "cnc_download3", args(count(length), data), Report::Data,
                      [&](Handle& h) -> int16_t {
    if (!h.has(kDownloadOpen)) {
      note(h, ": Download start was not called.");
      return EW_UNAVAILABLE;
    }
    expect(*length >= 1, EW_SIZE);
    if (h.has(kDownloadStopped)) raise_saved_abort(h);
    if (hasTransferData(h)) {
      PDU pdu;
      receivePDUOnly(h, pdu, 0);
      if (pdu.type() == kDownloadAbort) finish(h, kDownloadStopped, pduError(pdu));
      logUnexpected(h, "cnc_download3(", pdu);
    }
    if (!canSendTransfer(h)) {
      const int16_t r = bufferWait(h, {kDownloadAbort, kDownloadStopped,
                                       ErrObj(EW_CIRCUIT, circuit_detail::kSendTimeout, 2), "cnc_dwnload3("});
      logBuffer(h, "cnc_download3(", *length, data);
      return r;
    }
    *length = sendChunks(h, kDownloadData, kDownloadChunk, static_cast<const uint8_t*>(data),
                         *length);
    h.last_xfer_tick = 0;
    return EW_SUCCESS;
  });
}

int16_t downloadEnd(uint16_t hn) {
  return session_call(hn, "cnc_dwnend3", args(), Report::Plain, [&](Handle& h) -> int16_t {
    if (!h.has(kDownloadOpen)) {
      note(h, ": Download start was not called.");
      return EW_UNAVAILABLE;
    }
    SessionClose close(h, kDownloadOpen | kDownloadStopped);
    if (h.has(kDownloadStopped)) raise_saved_abort(h);
    if (hasTransferData(h)) {
      PDU pdu;
      receivePDUOnly(h, pdu, 0);
      if (pdu.type() == kDownloadAbort) {
        save_abort_error(h, pduError(pdu));
        raise_saved_abort(h);
      }
    }
    PDU pdu;
    initPDU(pdu);
    exchangePDU(h, pdu, kDownloadEnd);
    return EW_SUCCESS;
  });
}

int16_t downloadStart(uint16_t hn, int16_t kind, const char* t1, const char* t2) {
  return session_call(hn, "cnc_dwnstart3_f", args(kind, text("NULL"), text("NULL")),
                      Report::Plain, [&](Handle& h) -> int16_t {
    PDU pdu;
    return open_session(h, kDownload, kind, t1, t2, pdu, nullptr);
  });
}

int16_t uploadStart(uint16_t hn, int16_t kind, const char* t1, const char* t2) {
  return session_call(hn, "cnc_upstart3_f", args(kind, text(t1), text("NULL")),
                      Report::Plain, [&](Handle& h) -> int16_t {
    PDU pdu;
    uint32_t total = 0;
    if (const int16_t r = open_session(h, kUpload, kind, t1, t2, pdu,
                                       announcesTotal(uint16_t(kind)) ? &total : nullptr))
      return r;
    h.xfer_total = total;
    h.xfer_pos = h.xfer_held = h.xfer_delivered = 0;
    return EW_SUCCESS;
  });
}

// "N:name" or "N:" for the named forms.
struct NameText {
  char t[256];
  explicit NameText(const char* name) {
    if (name) startText(t, "N:%s", name);
    else startText(t, "N:");
  }
};
// "number:name" or "number:" for the file forms.
struct FileText {
  char t[256];
  FileText(long number, const char* name) {
    if (name) startText(t, "%ld:%s", number, name);
    else startText(t, "%ld:", number);
  }
};

}  // namespace

// ---- upload ------------------------------------------------------------------------

// The older entry points and the file aliases test their own arguments
// before they call the session function, so before its handle test: a
// negative type or number, or a length out of range, is answered at once, as
// these entry points always have answered it.

OZ_EXPORT int16_t OZ_CALL cnc_upstart3_f(uint16_t h, int16_t type, const char* t1,
                                         const char* t2) {
  // Releasing the protection of system files rides on the flash kinds and
  // opens no session; the test comes before the handle's, since it decides
  // which request goes out at all.
  if ((uint16_t(type) == OZ_XFER_FLASH || uint16_t(type) == OZ_XFER_FLASH2) && t1 &&
      std::strcmp(t1, "SDEL:") == 0)
    return call(h, "rel_sys_file_prot", args(), [&](Call& c) { c.exchange(cnc(213)); });
  return uploadStart(h, type, t1, t2);
}

OZ_EXPORT int16_t OZ_CALL cnc_upstart3(uint16_t h, int16_t type, int32_t start, int32_t end) {
  char t[256];
  startText(t, "O%ld-O%ld", long(start), long(end));
  return cnc_upstart3_f(h, type, t, nullptr);
}

OZ_EXPORT int16_t OZ_CALL cnc_upstart4(uint16_t h, int16_t type, const char* name) {
  return cnc_upstart3_f(h, type, NameText(name).t, nullptr);
}

OZ_EXPORT int16_t OZ_CALL cnc_fileread_start(uint16_t h, int16_t number, const char* name) {
  if (number < 0) return EW_KIND;
  return cnc_upstart3_f(h, int16_t(OZ_XFER_FILE), FileText(number, name).t, nullptr);
}

OZ_EXPORT int16_t OZ_CALL cnc_upstarto8(uint16_t h, int32_t number) {
  return rewrite(cnc_upstart3(h, 0, number, number),
                 {{{2, 4, 6}, EW_PRECONDITION}, {{12, 13, 15}, EW_INUSE}});
}

OZ_EXPORT int16_t OZ_CALL cnc_upstart(uint16_t h, int16_t number) {
  return cnc_upstarto8(h, number);
}

OZ_EXPORT int16_t OZ_CALL cnc_upload4(uint16_t h, int32_t* length, void* data) {
  return uploadData(h, length, data);
}
OZ_EXPORT int16_t OZ_CALL cnc_upload3(uint16_t h, int32_t* length, void* data) {
  return uploadData(h, length, data);
}
OZ_EXPORT int16_t OZ_CALL cnc_fileread(uint16_t h, int32_t* length, void* data) {
  return uploadData(h, length, data);
}

OZ_EXPORT int16_t OZ_CALL cnc_cupload(uint16_t h, upload_t* buf, uint16_t* length) {
  if (length == nullptr || *length < kUploadBlock) return EW_SIZE;
  int32_t n = *length;
  const int16_t r = uploadData(h, &n, buf->data);
  *length = uint16_t(n);
  return rewrite(r, {{{13, 15}, EW_PRECONDITION}});
}

OZ_EXPORT int16_t OZ_CALL cnc_upload(uint16_t h, upload_t* buf, uint16_t* length) {
  if (length == nullptr) return EW_SIZE;
  const uint16_t room = *length;
  return untilMoved([&] {
    *length = room;
    return cnc_cupload(h, buf, length);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_upend4(uint16_t h) { return uploadEnd(h); }
OZ_EXPORT int16_t OZ_CALL cnc_upend3(uint16_t h) { return uploadEnd(h); }
OZ_EXPORT int16_t OZ_CALL cnc_fileread_end(uint16_t h) { return uploadEnd(h); }
OZ_EXPORT int16_t OZ_CALL cnc_upend(uint16_t h) {
  return rewrite(uploadEnd(h), {{{13, 15}, EW_PRECONDITION}});
}

// ---- download and verify ---------------------------------------------------------------

OZ_EXPORT int16_t OZ_CALL cnc_dwnstart3_f(uint16_t h, int16_t type, const char* t1,
                                          const char* t2) {
  return downloadStart(h, type, t1, t2);
}

OZ_EXPORT int16_t OZ_CALL cnc_dwnstart3(uint16_t h, int16_t type) {
  if (type < 0) return EW_KIND;
  return downloadStart(h, type, nullptr, nullptr);
}

OZ_EXPORT int16_t OZ_CALL cnc_dwnstart4(uint16_t h, int16_t type, const char* name) {
  return downloadStart(h, type, NameText(name).t, nullptr);
}

OZ_EXPORT int16_t OZ_CALL cnc_vrfstart4(uint16_t h, const char* name) {
  return cnc_dwnstart4(h, int16_t(OZ_XFER_VERIFY_NAMED), name);
}

OZ_EXPORT int16_t OZ_CALL cnc_ptdwnstart(uint16_t h) {
  return cnc_dwnstart4(h, int16_t(OZ_XFER_PUNCH), nullptr);
}

OZ_EXPORT int16_t OZ_CALL cnc_filewrite_start(uint16_t h, int16_t number, const char* name,
                                              int16_t high) {
  if (number < 0) return EW_KIND;
  return downloadStart(h, int16_t(OZ_XFER_FILE), FileText(long(high) * 10000 + number, name).t,
                       nullptr);
}

OZ_EXPORT int16_t OZ_CALL cnc_dwnstart(uint16_t h) {
  return rewrite(cnc_dwnstart3(h, 0), {{{4, 6, 9}, EW_PRECONDITION}, {{12, 13, 15}, EW_INUSE}});
}

OZ_EXPORT int16_t OZ_CALL cnc_vrfstart(uint16_t h) {
  return downloadStart(h, int16_t(OZ_XFER_VERIFY), nullptr, nullptr);
}

#define OZ_DOWNLOAD_ALIAS(name)                                                     \
  OZ_EXPORT int16_t OZ_CALL name(uint16_t h, int32_t* length, const void* data) {  \
    return downloadData(h, length, data);                                          \
  }
OZ_DOWNLOAD_ALIAS(cnc_download4)
OZ_DOWNLOAD_ALIAS(cnc_download3)
OZ_DOWNLOAD_ALIAS(cnc_verify4)
OZ_DOWNLOAD_ALIAS(cnc_filewrite)
OZ_DOWNLOAD_ALIAS(cnc_ptdownload)

namespace {
// The 256-byte forms: one short block, all or nothing.
int16_t shortDownload(uint16_t h, const char* data, int16_t length) {
  if (length > 256) return EW_SIZE;
  int32_t n = length;
  return downloadData(h, &n, data);
}
}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_cdownload(uint16_t h, const char* data, int16_t length) {
  return rewrite(shortDownload(h, data, length), {{{13, 15}, EW_PRECONDITION}});
}
OZ_EXPORT int16_t OZ_CALL cnc_download(uint16_t h, const char* data, int16_t length) {
  return untilMoved([&] { return cnc_cdownload(h, data, length); });
}
OZ_EXPORT int16_t OZ_CALL cnc_cverify(uint16_t h, const char* data, int16_t length) {
  return shortDownload(h, data, length);
}
OZ_EXPORT int16_t OZ_CALL cnc_verify(uint16_t h, const char* data, int16_t length) {
  return untilMoved([&] { return cnc_cverify(h, data, length); });
}

OZ_EXPORT int16_t OZ_CALL cnc_dwnend4(uint16_t h) { return downloadEnd(h); }
OZ_EXPORT int16_t OZ_CALL cnc_dwnend3(uint16_t h) { return downloadEnd(h); }
OZ_EXPORT int16_t OZ_CALL cnc_vrfend4(uint16_t h) { return downloadEnd(h); }
OZ_EXPORT int16_t OZ_CALL cnc_filewrite_end(uint16_t h) { return downloadEnd(h); }
OZ_EXPORT int16_t OZ_CALL cnc_ptdwnend(uint16_t h) { return downloadEnd(h); }
OZ_EXPORT int16_t OZ_CALL cnc_dwnend(uint16_t h) {
  return rewrite(downloadEnd(h), {{{13, 15}, EW_PRECONDITION}});
}
OZ_EXPORT int16_t OZ_CALL cnc_vrfend(uint16_t h) { return downloadEnd(h); }
