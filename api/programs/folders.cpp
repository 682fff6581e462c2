// Program data folders: the controller's drives, folders and programs
// addressed by path, one request each except the paged folder listings.
#include <algorithm>

#include "api/programs/text_fields.h"

using namespace oz;
using namespace oz::prog;

static_assert(sizeof(pdfdrive_t) == 4 + 12 * OZ_PDF_DRIVE_MAX && offsetof(pdfdrive_t, name) == 4);
static_assert(sizeof(pdfinf_t) == 16 && offsetof(pdfinf_t, v4) == 12);
static_assert(sizeof(pdfsdir_in_t) == 218 && offsetof(pdfsdir_in_t, index) == 212 &&
              offsetof(pdfsdir_in_t, sel2) == 214 && offsetof(pdfsdir_in_t, sel1) == 216);
static_assert(sizeof(pdfsdir_t) == 40 && offsetof(pdfsdir_t, name) == 4);
static_assert(sizeof(pdfadir_t) == 128 && offsetof(pdfadir_t, v1) == 20 &&
              offsetof(pdfadir_t, v2) == 24 && offsetof(pdfadir_t, name) == 28 &&
              offsetof(pdfadir_t, comment) == 64 && offsetof(pdfadir_t, extra) == 116);
static_assert(sizeof(pdfsubdirn_t) == 4 && offsetof(pdfsubdirn_t, v2) == 2);
static_assert(sizeof(pdfattr_t) == 8 && offsetof(pdfattr_t, v2) == 4);
static_assert(sizeof(pdfprginf_in_t) == 248 && offsetof(pdfprginf_in_t, value) == 244 &&
              offsetof(pdfprginf_in_t, flag) == 246);
static_assert(sizeof(pdfprginf_t) == 84 && offsetof(pdfprginf_t, v1) == 12 &&
              offsetof(pdfprginf_t, v2) == 16 && offsetof(pdfprginf_t, comment) == 20 &&
              offsetof(pdfprginf_t, extra) == 72);
static_assert(sizeof(exeprgname_t) == 40 && offsetof(exeprgname_t, number) == 36);
static_assert(offsetof(proctime2_t, entry) == 2 && sizeof(proctime2_t::entry[0]) == 40 &&
              offsetof(proctime2_t, entry[0].part1) == 2 + 36 &&
              offsetof(proctime2_t, entry[0].part2) == 2 + 38 &&
              offsetof(proctime2_t, entry[0].part3) == 2 + 39);

namespace {

constexpr size_t kPath = OZ_PDF_PATH;
constexpr size_t kNewName = 36;
constexpr size_t kDriveName = 12;
constexpr size_t kPrgInfPath = sizeof(pdfprginf_in_t::path);
constexpr int kProcTimeWire = 42;
// The page-lock and program-information calls refuse a path that does not
// fit (rather than cut it) with this detail: the path is the call's second
// argument.
constexpr uint16_t kPathArgument = 2;

// The usual path field: 255 characters and a NUL, the rest zero.
RbData putPath(RbData d, const char* path) { return putField(d, path, kPath, kPath - 1); }

// A request whose only data is the path; the reply carries nothing.
template <class A>
int16_t pathOrder(uint16_t h, const char* fn, const A& a, const Rb& rb, const char* path) {
  return call(h, fn, a, [&](Call& c) {
    putPath(c.add(rb), path);
    send(c);
  });
}

// A request that answers with a path for the caller's 256-byte buffer.
int16_t readPath(uint16_t h, const char* fn, const Rb& rb, char* out) {
  return call(h, fn, args(out), [&](Call& c) { takeText(out, kPath, c.exchange(rb), 0); });
}

// Two full paths, source then destination.
int16_t pathPair(uint16_t h, const char* fn, uint16_t cmd, const char* src, const char* dst) {
  return call(h, fn, args(text(src), text(dst)), [&](Call& c) {
    putPath(putPath(c.add(cnc(cmd)), src), dst);
    send(c);
  });
}

int16_t pageLock(uint16_t h, const char* fn, uint16_t cmd, const char* path) {
  return call(h, fn, args(text(path)), [&](Call& c) {
    putWhole(c.add(cnc(cmd)), path, kPath, kPathArgument);
    send(c);
  });
}

// ---- paged folder listings -------------------------------------------------------

template <class T>
struct Listing {
  uint16_t cmd;
  int batch;
  int entry;
  bool selectors;                    // arg3 and arg4 from the input structure
  void (*put)(T&, const Reader&);
  void (*none)(T&);                  // what an empty page leaves in the next entry
};

void putSubdir(pdfsdir_t& o, const Reader& e) {
  o.value = int16_t(e.i32(0));
  e.copy(o.name, 4, sizeof o.name);
}
void markSubdirEnd(pdfsdir_t& o) { o.value = 0; }

void putAlldir(pdfadir_t& o, const Reader& e) {
  takeRecord(&o, e, sizeof o, {0, 2, 4, 6, 8, 10, 12}, {20, 24});
}

constexpr Listing<pdfsdir_t> kSubdir{178, 72, 40, false, putSubdir, markSubdirEnd};
constexpr Listing<pdfadir_t> kAlldir{179, 20, 128, true, putAlldir, nullptr};

// Batches of at most l.batch entries from the input's index on. A 3 on a
// later page is the folder's end; fewer entries than asked end it too.
template <class T>
int16_t readFolder(uint16_t h, const char* fn, const Listing<T>& l, int16_t* n,
                   const pdfsdir_in_t* in, T* out) {
  return call(h, fn, args(count(n), in, out), [&](Call& c) {
    expect(*n >= 1, EW_SIZE);
    const int wanted = *n;
    int read = 0;
    int32_t index = in->index;
    while (read < wanted) {
      const int ask = std::min(wanted - read, l.batch);
      c.reset();
      Rb rb = cnc(l.cmd).args(index, ask);
      if (l.selectors) rb.arg3(in->sel1).arg4(in->sel2);
      putField(c.add(rb), in->path, kPath, sizeof in->path);
      c.exchange();
      if (c.result(0) == EW_RANGE && read > 0) break;
      const Reader d = c.rb(0);
      // Never more than asked: the caller's array ends there.
      const int got = std::min(d.size() / l.entry, ask);
      for (int i = 0; i < got; ++i) l.put(out[read + i], d.sub(i * l.entry, l.entry));
      if (got == 0 && l.none) l.none(out[read]);
      read += got;
      if (got < ask) break;
      index += got;
    }
    *n = int16_t(read);
  });
}

}  // namespace

// ---- drives and folders -------------------------------------------------------------

OZ_EXPORT int16_t OZ_CALL cnc_rdpdf_drive(uint16_t h, pdfdrive_t* out) {
  return call(h, __func__, args(out), [&](Call& c) {
    const Reader d = c.exchange(cnc(174));
    const int n = std::min(d.size() / int(kDriveName), OZ_PDF_DRIVE_MAX);
    for (int i = 0; i < n; ++i) takeText(out->name[i], kDriveName, d.sub(i * int(kDriveName), int(kDriveName)), 0);
    out->count = int16_t(n);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdpdf_inf(uint16_t h, const char* name, int16_t kind, pdfinf_t* out) {
  return call(h, __func__, args(text(name), kind, out), [&](Call& c) {
    putField(c.add(cnc(175).arg1(kind)), name, kDriveName, kDriveName - 1);
    takeWords(send(c), {&out->v1, &out->v2, &out->v3, &out->v4});
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdpdf_curdir(uint16_t h, int16_t kind, char* path) {
  return readPath(h, __func__, cnc(176).arg1(kind), path);
}
OZ_EXPORT int16_t OZ_CALL cnc_wrpdf_curdir(uint16_t h, int16_t kind, const char* path) {
  return pathOrder(h, __func__, args(kind, text(path)), cnc(177).arg1(kind), path);
}

OZ_EXPORT int16_t OZ_CALL cnc_rdpdf_subdir(uint16_t h, int16_t* n, const pdfsdir_in_t* in,
                                           pdfsdir_t* out) {
  return readFolder(h, __func__, kSubdir, n, in, out);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdpdf_alldir(uint16_t h, int16_t* n, const pdfsdir_in_t* in,
                                           pdfadir_t* out) {
  return readFolder(h, __func__, kAlldir, n, in, out);
}

OZ_EXPORT int16_t OZ_CALL cnc_rdpdf_subdirn(uint16_t h, const char* path, pdfsubdirn_t* out) {
  return call(h, __func__, args(text(path), out), [&](Call& c) {
    putPath(c.add(cnc(180)), path);
    takeWords(send(c), {&out->v1, &out->v2});
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_pdf_add(uint16_t h, const char* path) {
  return pathOrder(h, __func__, args(text(path)), cnc(181), path);
}
OZ_EXPORT int16_t OZ_CALL cnc_pdf_del(uint16_t h, const char* path) {
  return pathOrder(h, __func__, args(text(path)), cnc(182), path);
}
OZ_EXPORT int16_t OZ_CALL cnc_pdf_delall(uint16_t h, int16_t kind, const char* path) {
  return pathOrder(h, __func__, args(kind, text(path)), cnc(243).args(1, kind), path);
}

OZ_EXPORT int16_t OZ_CALL cnc_pdf_rename(uint16_t h, const char* path, const char* name) {
  return call(h, __func__, args(text(path), text(name)), [&](Call& c) {
    putField(putPath(c.add(cnc(183)), path), name, kNewName, kNewName - 1);
    send(c);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wrpdf_attr(uint16_t h, const char* path, const pdfattr_t* attr) {
  return pathOrder(h, __func__, args(text(path), attr), cnc(184).args(attr->v1, attr->v2), path);
}

OZ_EXPORT int16_t OZ_CALL cnc_pdf_copy(uint16_t h, const char* source, const char* destination) {
  return pathPair(h, __func__, 392, source, destination);
}
OZ_EXPORT int16_t OZ_CALL cnc_pdf_move(uint16_t h, const char* source, const char* destination) {
  return pathPair(h, __func__, 393, source, destination);
}

OZ_EXPORT int16_t OZ_CALL cnc_getsysfolder_num(uint16_t h, int16_t* number) {
  return call(h, __func__, args(number), [&](Call& c) { *number = c.exchange(cnc(692)).i16(0); });
}

// ---- main, executing and locked programs ------------------------------------------------

OZ_EXPORT int16_t OZ_CALL cnc_pdf_rdmain(uint16_t h, char* path) {
  return readPath(h, __func__, cnc(185), path);
}
OZ_EXPORT int16_t OZ_CALL cnc_pdf_slctmain(uint16_t h, const char* path) {
  return pathOrder(h, __func__, args(text(path)), cnc(186), path);
}
OZ_EXPORT int16_t OZ_CALL cnc_pdf_cond(uint16_t h, const char* path) {
  return pathOrder(h, __func__, args(text(path)), cnc(187), path);
}

OZ_EXPORT int16_t OZ_CALL cnc_exeprgname(uint16_t h, exeprgname_t* out) {
  return call(h, __func__, args(out), [&](Call& c) {
    const Reader d = c.exchange(cnc(207));
    const int32_t number = d.i32(0);
    takeText(out->name, sizeof out->name, d, 4);
    out->number = number;
  });
}
OZ_EXPORT int16_t OZ_CALL cnc_exeprgname2(uint16_t h, char* path) {
  return readPath(h, __func__, cnc(252), path);
}

OZ_EXPORT int16_t OZ_CALL cnc_pdf_rdactpt(uint16_t h, char* path, int32_t* position) {
  return call(h, __func__, args(path, position), [&](Call& c) {
    const Reader d = c.exchange(cnc(442));
    *position = d.i32(0);
    // As the controller sent it, but never past the caller's 256 bytes.
    d.copy(path, 4, kPath);
  });
}
OZ_EXPORT int16_t OZ_CALL cnc_pdf_wractpt(uint16_t h, const char* path, int16_t kind,
                                          int32_t* position) {
  return call(h, __func__, args(text(path), kind, count(position)), [&](Call& c) {
    putText(c.add(cnc(443).args(kind, *position)), path);
    *position = send(c).i32(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdpdf_prginf(uint16_t h, const pdfprginf_in_t* in,
                                           pdfprginf_t* out) {
  return call(h, __func__, args(in, out), [&](Call& c) {
    if (strnlen(in->path, kPrgInfPath) == kPrgInfPath) raise_error(EW_VALUE, kPathArgument);
    Rb rb = cnc(689).args(in->value, in->flag == 0 ? 1 : 0);
    putField(c.add(rb), in->path, kPrgInfPath, kPrgInfPath - 1);
    takeRecord(out, send(c), sizeof *out, {0, 2, 4, 6, 8, 10}, {12, 16});
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdproctime2(uint16_t h, proctime2_t* out) {
  return call(h, __func__, args(out), [&](Call& c) {
    const Reader d = c.exchange(cnc(693));
    const int n = std::min(d.size() / kProcTimeWire, OZ_PROCTIME_MAX);
    for (int i = 0; i < n; ++i) {
      const Reader w = d.sub(i * kProcTimeWire, kProcTimeWire);
      auto& e = out->entry[i];
      w.copy(e.name, 0, sizeof e.name);
      e.part1 = w.i16(36);
      e.part2 = int8_t(w.i16(38));
      e.part3 = int8_t(w.i16(40));
    }
    out->count = int16_t(n);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_setpdf_pglock(uint16_t h, const char* path) {
  return pageLock(h, __func__, 695, path);
}
OZ_EXPORT int16_t OZ_CALL cnc_resetpdf_pglock(uint16_t h, const char* path) {
  return pageLock(h, __func__, 696, path);
}

OZ_EXPORT int16_t OZ_CALL cnc_rdpdf_pglockstat(uint16_t h, int32_t* n, char* paths) {
  return call(h, __func__, args(count(n), paths), [&](Call& c) {
    expect(*n >= 0, EW_SIZE);
    const Reader d = c.exchange(cnc(697));
    // Whole 256-byte paths only, and no more than the caller has room for.
    const int32_t take = std::min<int32_t>(d.size() / int(kPath), *n);
    d.copy(paths, 0, size_t(take) * kPath);
    *n = take;
  });
}

// ---- program lines -----------------------------------------------------------------------

OZ_EXPORT int16_t OZ_CALL cnc_rdpdf_line(uint16_t h, const char* path, int32_t line, char* buf,
                                         int32_t* lines, int32_t* length) {
  return call(h, __func__, args(text(path), line, buf, count(lines), count(length)),
              [&](Call& c) {
    putPath(c.add(cnc(240).args(line, *lines)), path);
    const Reader d = send(c);
    const int32_t take = std::clamp<int32_t>(*length, 0, d.size());
    const uint8_t* p = d.raw();
    int32_t bytes = 0, counted = 0;
    // The text ends at the program's '%' or at a NUL, which are copied too.
    while (bytes < take) {
      const char ch = char(p[bytes]);
      buf[bytes++] = ch;
      if (ch == '%' || ch == '\n') ++counted;
      if (ch == '%' || ch == '\0') break;
    }
    *length = bytes;
    *lines = counted;
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdpdf_line2(uint16_t h, const char* path, int32_t line, char* buf,
                                          int32_t* value, int32_t* length) {
  return call(h, __func__, args(text(path), line, buf, count(value), count(length)),
              [&](Call& c) {
    putPath(c.add(cnc(694).args(line, *value, *length)), path);
    const Reader d = send(c);
    const int32_t v = d.i32(0);
    // The controller was told the room; a longer answer is cut to it.
    *length = int32_t(d.copy(buf, 4, size_t(std::max<int32_t>(*length, 0))));
    *value = v;
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wrpdf_line(uint16_t h, const char* path, int32_t line,
                                         const char* data, int32_t length) {
  return call(h, __func__, args(text(path), line, data, length), [&](Call& c) {
    expect(length >= 0 && (length == 0 || data != nullptr), EW_SIZE);
    putPath(c.add(cnc(241).arg1(line)), path).bytes(data, size_t(length));
    send(c);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_pdf_delline(uint16_t h, const char* path, int32_t line,
                                          int32_t lines) {
  return pathOrder(h, __func__, args(text(path), line, lines), cnc(242).args(line, lines), path);
}
