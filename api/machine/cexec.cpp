// C-executor files (transfer sessions of kinds 0x8004 and 0x8005), its
// directory and its battery-backed SRAM.
#include <cstring>

#include "api/machine/pieces.h"

using namespace oz;
using namespace oz::machine;

static_assert(sizeof(cexedir_t) == 32 && offsetof(cexedir_t, size) == 12 &&
              offsetof(cexedir_t, attr) == 16 && offsetof(cexedir_t, stamp) == 20);

OZ_EXPORT int16_t OZ_CALL cnc_opencexefile(uint16_t h, const char* name, int16_t direction,
                                           int16_t option) {
  if (direction == 0) return cnc_upstart3_f(h, int16_t(OZ_XFER_CEXE_READ), name, nullptr);
  return cnc_dwnstart3_f(h, int16_t(option > 0 ? OZ_XFER_CEXE_WRITE : OZ_XFER_CEXE_READ), name,
                         nullptr);
}

OZ_EXPORT int16_t OZ_CALL cnc_rdcexefile(uint16_t h, void* buf, int32_t* length) {
  return cnc_upload3(h, length, buf);
}

OZ_EXPORT int16_t OZ_CALL cnc_wrcexefile(uint16_t h, const void* buf, int32_t* length) {
  return cnc_download3(h, length, buf);
}

OZ_EXPORT int16_t OZ_CALL cnc_closecexefile(uint16_t h) {
  return local(h, [&](Handle& hd) -> int16_t {
    if (hd.has(kDownloadOpen)) return cnc_dwnend3(h);
    if (hd.has(kUploadOpen)) return cnc_upend3(h);
    return EW_UNAVAILABLE;
  });
}

namespace {

constexpr int32_t kDirPiece = 39;   // 39 entries of 36 bytes fit one reply
constexpr int kDirEntry = 36;
constexpr size_t kDirName = 256;

void sram_tests(int32_t offset, const int32_t* length) {
  expect(length != nullptr && *length >= 1, EW_SIZE);
  expect(offset >= 0, EW_RANGE);
}

void put_entry(cexedir_t& e, const Reader& d) {
  d.copy(e.name, 0, sizeof e.name);
  e.size = d.u32(16);
  e.attr = d.u32(20);
  for (int k = 0; k < 6; ++k) e.stamp[k] = d.u16(24 + 2 * k);
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_cexedirectory(uint16_t h, const char* dir, int16_t* count,
                                            int16_t first, cexedir_t* entries) {
  return call(h, __func__, args(oz::text(dir), oz::count(count), first, entries), [&](Call& c) {
    expect(count != nullptr && *count >= 1, EW_SIZE);
    const char* name = dir ? dir : "";
    const size_t n = strnlen(name, kDirName - 1);
    *count = int16_t(in_pieces(c, {*count, kDirPiece, true, true},
        [&](Call& q, int32_t done, int32_t want) {
          q.add(cnc(346).args(first + done, want)).bytes(name, n).zeros(kDirName - n);
        },
        [&](const Reader& d, int32_t done, int32_t want) {
          const int32_t got = std::min<int32_t>(d.size() / kDirEntry, want);
          for (int32_t i = 0; i < got; ++i) put_entry(entries[done + i], d.sub(kDirEntry * i, kDirEntry));
          return got;
        }));
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdcexesram(uint16_t h, int32_t offset, void* buf, int32_t* length) {
  return call(h, __func__, args(offset, buf, count(length)), [&](Call& c) {
    sram_tests(offset, length);
    *length = read_bytes(c, *length, true, buf,
                         [&](int32_t done, int32_t n) { return cnc(316).args(offset + done, n); });
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wrcexesram(uint16_t h, int32_t offset, const void* buf, int32_t* length) {
  return call(h, __func__, args(offset, buf, count(length)), [&](Call& c) {
    sram_tests(offset, length);
    *length = write_bytes(c, *length, true, buf,
                          [&](int32_t done, int32_t) { return cnc(317).arg1(offset + done); });
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_cexesramsize(uint16_t h, int32_t* size) {
  return call(h, __func__, args(size), [&](Call& c) { *size = c.exchange(cnc(318)).i32(0); });
}

// The first value travels as a 32-bit word like the others.
OZ_EXPORT int16_t OZ_CALL cnc_cexesraminfo(uint16_t h, int16_t* v1, int32_t* v2, int32_t* v3) {
  return call(h, __func__, args(v1, v2, v3), [&](Call& c) {
    Reader d = c.exchange(cnc(366));
    const int32_t a = d.i32(0), b = d.i32(4), e = d.i32(8);
    *v1 = int16_t(a);
    *v2 = b;
    *v3 = e;
  });
}
