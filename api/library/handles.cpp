// Handle management and error-detail exports.
#include "core/frame.h"

namespace oz {
namespace {

// Attaches the circuit of (address, port) and takes over what it learnt.
void connect(Handle& h, const char* address, uint16_t port, const char* id, int32_t timeout) {
  SockPair* c = socketMgr().getCircuit(address, port, timeout, id);
  attach_circuit(&h, c);
  h.timeout = timeout;
  // Another thread may be reopening the circuit after a break, learning its
  // configuration anew: the copy is taken whole, under its lock.
  Lock cl(c->circuit_lock, true);
  const uint16_t v = c->version;
  const bool packed = c->config.word(ControllerConfig::kKind) == 2;
  if (v < 3) h.flags |= kOldProtocol | (packed ? kDialectPacked : kDialectCompact);
  else if (v >= 5) h.flags |= kDialectCurrent | kProtocol5;
  else h.flags |= kDialectCurrent;
  h.config = c->config;
  std::memcpy(h.sysinfo, c->sysinfo, sizeof h.sysinfo);
  if (v > 1) h.flags |= kProtocol2;
}

int16_t allocate(const char* address, uint16_t port, const char* id, int32_t timeout,
                 uint16_t* out) {
  Handle* h = nullptr;
  try {
    plat::on_thread_uses_library();
    h = handleMgr().create(plat::thread_id());
    if (h == nullptr) {
      OZ_LOG(1) << "Error: The handle pool was empty.";
      return EW_BADHANDLE;
    }
    connect(*h, address, port, id, timeout);
  } catch (...) {
    const ErrObj e = current_error();
    OZ_LOG(1) << "Error: cnc_allclibhndls(" << (address ? address : "") << ' ' << port << ' '
              << static_cast<const void*>(id) << ' ' << timeout << ' '
              << static_cast<const void*>(out) << "): " << e;
    if (h != nullptr) handleMgr().remove(h->number);
    return e.code;
  }
  *out = h->number;
  OZ_LOG(2) << "The handle(" << h->number << ") is created:" << " sock1 = "
            << h->circuit->sock1.number() << " sock2 = " << h->circuit->sock2.number();
  return EW_SUCCESS;
}

int16_t storeDetail(uint16_t hn, const char* fn, dtailerr_t* out, ErrStore Handle::*store) {
  return local(hn, fn, [&](Handle& h) {
    out->detail = int16_t((h.*store).detail);
    out->subdetail = int16_t((h.*store).sub);
  });
}

}  // namespace
}  // namespace oz

using namespace oz;

OZ_EXPORT int32_t OZ_CALL oz_version(void) {
  return OZLIB_VERSION_MAJOR * 10000 + OZLIB_VERSION_MINOR * 100 + OZLIB_VERSION_PATCH;
}

OZ_EXPORT int16_t OZ_CALL cnc_allclibhndl3(const char* address, uint16_t port, int32_t timeout,
                                           uint16_t* h) {
  return allocate(address, port, nullptr, timeout, h);
}

OZ_EXPORT int16_t OZ_CALL cnc_allclibhndls(const char* address, uint16_t port, const char* id,
                                           int32_t timeout, uint16_t* h) {
  return allocate(address, port, id, timeout, h);
}

OZ_EXPORT int16_t OZ_CALL cnc_freelibhndl(uint16_t hn) {
  if (!is_valid_handle(hn)) return EW_BADHANDLE;
  Handle* h = find_handle(hn);
  int16_t result = EW_SUCCESS;
  if (SockPair* c = attach_circuit(h, nullptr)) {
    try {
      socketMgr().releaseCircuit(c, h->timeout);
    } catch (...) {
      const ErrObj e = current_error();
      OZ_LOG(1) << "Error: cnc_freelibhndl(" << hn << "): " << e;
      result = e.code;
    }
  }
  OZ_LOG(2) << "The handle(" << hn << ") is destoryed.";
  handleMgr().remove(hn);
  return result;
}

OZ_EXPORT int16_t OZ_CALL cnc_settimeout(uint16_t hn, int32_t timeout) {
  return local(hn, __func__, [&](Handle& h) { h.timeout = timeout; });
}

OZ_EXPORT int16_t OZ_CALL cnc_resetconnect(uint16_t hn) {
  return local(hn, __func__, [&](Handle& h) { breakCircuit(h); });
}

OZ_EXPORT int16_t OZ_CALL cnc_setpath(uint16_t hn, int16_t path) {
  return local(hn, __func__, [&](Handle& h) -> int16_t {
    if (path < 1) path = 1;
    if (path > kMaxPaths || h.config.pathWord(path, 0) == 0) {
      OZ_LOG(2) << "Error: cannot change path to " << path << ": no CNC.";
      return EW_NOPATH;
    }
    if (h.has(kDownloadOpen | kUploadOpen | kDncOpen)) {
      OZ_LOG(1) << "Error: cannot change path to " << path << ": file requesting.";
      return EW_INUSE;
    }
    h.path = path;
    OZ_LOG(4) << "Set path: current path = " << path;
    return EW_SUCCESS;
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_getpath(uint16_t hn, int16_t* path, int16_t* maxpath) {
  return local(hn, __func__, [&](Handle& h) {
    *path = h.path;
    const uint16_t range = h.config.word(30);
    *maxpath = int16_t(range != 0 ? h.config.word(32) + range - 1 : h.config.word(22));
  });
}

namespace {
int16_t setFlag(uint16_t hn, const char* fn, uint32_t flag, uint16_t on) {
  return local(hn, fn, [&](Handle& h) {
    if (on) h.flags |= flag;
    else h.flags &= ~flag;
  });
}
int16_t getFlag(uint16_t hn, const char* fn, uint32_t flag, uint16_t* out) {
  return local(hn, fn, [&](Handle& h) { *out = h.has(flag) ? 1 : 0; });
}
}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_setmactype(uint16_t h, uint16_t type) { return setFlag(h, __func__, kMacBinary, type); }
OZ_EXPORT int16_t OZ_CALL cnc_getmactype(uint16_t h, uint16_t* type) { return getFlag(h, __func__, kMacBinary, type); }
OZ_EXPORT int16_t OZ_CALL cnc_setpmactype(uint16_t h, uint16_t type) { return setFlag(h, __func__, kPmacBinary, type); }
OZ_EXPORT int16_t OZ_CALL cnc_getpmactype(uint16_t h, uint16_t* type) { return getFlag(h, __func__, kPmacBinary, type); }

OZ_EXPORT int16_t OZ_CALL cnc_getdtailerr(uint16_t h, dtailerr_t* e) {
  return storeDetail(h, __func__, e, &Handle::cnc_err);
}
OZ_EXPORT int16_t OZ_CALL pmc_getdtailerr(uint16_t h, dtailerr_t* e) {
  return storeDetail(h, __func__, e, &Handle::pmc_err);
}
