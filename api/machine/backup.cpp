// Memory backup and restore: flash files and SRAM images as transfer
// sessions of the library's own data kinds, the flash listing and deletion,
// and the single-request SRAM and flash information reads.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/listed.h"

using namespace oz;

static_assert(sizeof(frominfo_file_t) == 16 && offsetof(frominfo_file_t, size) == 12);
static_assert(offsetof(frominfo_t, count) == 12 && offsetof(frominfo_t, file) == 16);

namespace {

// A start text in the session's 256-byte field; a null name reads as empty.
struct StartText {
  char t[256];
  template <class... T>
  StartText(const char* fmt, T... v) { std::snprintf(t, sizeof t, fmt, v...); }
};
const char* orEmpty(const char* s) { return s ? s : ""; }

int16_t flashSave(uint16_t h, uint16_t kind, int16_t file_kind, const char* name, int32_t number) {
  return cnc_upstart3_f(h, int16_t(kind), StartText("%d:%s;%ld", int(file_kind), orEmpty(name), long(number)).t,
                        nullptr);
}
int16_t flashLoad(uint16_t h, uint16_t kind, int16_t file_kind, int32_t number) {
  return cnc_dwnstart3_f(h, int16_t(kind), StartText("%d:;%ld", int(file_kind), long(number)).t, nullptr);
}
// The last number selects the image's form: 1 the whole image, 0 the second form.
int16_t sramStart(uint16_t h, bool upload, const char* name, int32_t number, int form) {
  StartText t(":%s;%ld:%d", orEmpty(name), long(number), form);
  return upload ? cnc_upstart3_f(h, int16_t(OZ_XFER_SRAM), t.t, nullptr)
                : cnc_dwnstart3_f(h, int16_t(OZ_XFER_SRAM), t.t, nullptr);
}

// The end of the data is a normal end of a save: no more, nothing delivered.
int16_t saveData(uint16_t h, int16_t* more, void* buf, int32_t* length) {
  const int16_t r = cnc_upload3(h, length, buf);
  if (r == EW_CANCELLED) {
    *more = 0;
    *length = 0;
    return EW_SUCCESS;
  }
  *more = 1;
  return r;
}
int16_t loadData(uint16_t h, const void* buf, int32_t* length) {
  const int16_t r = cnc_verify4(h, length, buf);
  if (r == EW_CANCELLED) {
    *length = 0;
    return EW_SUCCESS;
  }
  return r;
}

// At most 11 characters of the reply's text at off, and the terminator.
void shortName(char (&out)[12], const Reader& d, int off) {
  char t[11];
  const size_t n = strnlen(t, d.copy(t, off, sizeof t));
  std::memcpy(out, t, n);
  std::memset(out + n, 0, sizeof out - n);
}

}  // namespace

// ---- session starts --------------------------------------------------------------------

OZ_EXPORT int16_t OZ_CALL cnc_fromsvstart(uint16_t h, int16_t kind, const char* name, int32_t number) {
  return flashSave(h, OZ_XFER_FLASH, kind, name, number);
}
OZ_EXPORT int16_t OZ_CALL cnc_fromgetstart(uint16_t h, int16_t kind, const char* name) {
  return flashSave(h, OZ_XFER_FLASH, kind, name, -1);
}
OZ_EXPORT int16_t OZ_CALL cnc_fromgetstart2(uint16_t h, int16_t kind, const char* name) {
  return flashSave(h, OZ_XFER_FLASH2, kind, name, -1);
}
OZ_EXPORT int16_t OZ_CALL cnc_fromldstart(uint16_t h, int16_t kind, int32_t number) {
  return flashLoad(h, OZ_XFER_FLASH, kind, number);
}
OZ_EXPORT int16_t OZ_CALL cnc_fromputstart(uint16_t h, int16_t kind) {
  return flashLoad(h, OZ_XFER_FLASH, kind, -1);
}
OZ_EXPORT int16_t OZ_CALL cnc_fromputstart2(uint16_t h, int16_t kind) {
  return flashLoad(h, OZ_XFER_FLASH2, kind, -1);
}
OZ_EXPORT int16_t OZ_CALL cnc_srambkstart(uint16_t h, const char* name, int32_t number) {
  return sramStart(h, true, name, number, 1);
}
OZ_EXPORT int16_t OZ_CALL cnc_sramgetstart(uint16_t h, const char* name) {
  return sramStart(h, true, name, -1, 1);
}
OZ_EXPORT int16_t OZ_CALL cnc_sramgetstart2(uint16_t h, const char* name) {
  return sramStart(h, true, name, -1, 0);
}
OZ_EXPORT int16_t OZ_CALL cnc_sramputstart(uint16_t h, const char* name) {
  return sramStart(h, false, name, -1, 1);
}
OZ_EXPORT int16_t OZ_CALL cnc_sramputstart2(uint16_t h, const char* name) {
  return sramStart(h, false, name, -1, 0);
}

// ---- data and end ------------------------------------------------------------------------

OZ_EXPORT int16_t OZ_CALL cnc_fromsave(uint16_t h, int16_t* more, void* buf, int32_t* length) {
  return saveData(h, more, buf, length);
}
OZ_EXPORT int16_t OZ_CALL cnc_fromget(uint16_t h, int16_t* more, void* buf, int32_t* length) {
  return saveData(h, more, buf, length);
}
OZ_EXPORT int16_t OZ_CALL cnc_fromload(uint16_t h, const void* buf, int32_t* length) {
  return loadData(h, buf, length);
}
OZ_EXPORT int16_t OZ_CALL cnc_fromput(uint16_t h, const void* buf, int32_t* length) {
  return loadData(h, buf, length);
}
OZ_EXPORT int16_t OZ_CALL cnc_sramrestore(uint16_t h, int16_t*, const void* buf, int32_t* length) {
  return loadData(h, buf, length);
}
OZ_EXPORT int16_t OZ_CALL cnc_sramput(uint16_t h, int16_t*, const void* buf, int32_t* length) {
  return loadData(h, buf, length);
}
OZ_EXPORT int16_t OZ_CALL cnc_fromsvend(uint16_t h) { return cnc_upend3(h); }
OZ_EXPORT int16_t OZ_CALL cnc_sramputend(uint16_t h) { return cnc_dwnend3(h); }
OZ_EXPORT int16_t OZ_CALL cnc_sramrestoreend(uint16_t h) { return cnc_dwnend3(h); }

// ---- listing and deleting -----------------------------------------------------------------

namespace {
constexpr int kFromHead = 16;
constexpr int kFromEntry = 20;
constexpr size_t kDeleteName = 16;
}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdfrominfo(uint16_t h, int16_t kind, frominfo_t* info) {
  return call(h, __func__, args(kind, info), [&](Call& c) {
    Reader d = c.exchange(cnc(304).arg1(kind));
    expect(d.size() >= kFromHead, EW_SIZE);
    const int files = std::min((d.size() - kFromHead) / kFromEntry, OZ_FROMINFO_FILES);
    shortName(info->device, d, 0);
    info->count = files;
    for (int i = 0; i < files; ++i) {
      const int at = kFromHead + kFromEntry * i;
      shortName(info->file[i].name, d, at);
      info->file[i].size = d.u32(at + 16);
    }
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_fromdelete(uint16_t h, int16_t kind, const char* name, int32_t number) {
  return call(h, __func__, args(kind, oz::text(name), number), [&](Call& c) {
    const size_t n = strnlen(orEmpty(name), kDeleteName - 1);
    c.add(cnc(305).args(kind, number)).bytes(orEmpty(name), n).zeros(kDeleteName - n);
    c.exchange();
    c.rb(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_fromremove(uint16_t h, int16_t kind, const char* name) {
  return cnc_fromdelete(h, kind, name, -1);
}

// The request carries a record of its own; the controller fills its answer
// from the clock, so the record goes out zeroed.
OZ_EXPORT int16_t OZ_CALL cnc_atbk_rdtime(uint16_t h, int16_t* length, void* buf) {
  return call(h, __func__, args(count(length), buf), [&](Call& c) {
    expect(length != nullptr && *length >= 0, EW_SIZE);
    c.add(cnc(831)).zeros(32);
    c.exchange();
    *length = int16_t(c.rb(0).copy(buf, 0, size_t(*length)));
  });
}

#define MACHINE_BACKUP_ROWS(X)                                \
  X(cnc_rdsraminfo, Read, 1, (306))                           \
  X(cnc_getsraminfo, Read, 1, (306))                          \
  X(cnc_rdsramnum, Read, 1, (313))                            \
  X(cnc_rdsramaddr, Read, 1, (313))                           \
  X(cnc_getfrominfo, Read, 1, (315), kind, first, count)
MACHINE_BACKUP_ROWS(OZ_LISTED_DEFINE)
OZ_LISTED_TABLE(machine_backup, MACHINE_BACKUP_ROWS)
