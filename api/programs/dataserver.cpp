// The data server on the controller's Ethernet board: its folders and files,
// transfers between it and FTP hosts, and the download session that stores a
// file on it.
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "api/programs/text_fields.h"

using namespace oz;
using namespace oz::prog;

static_assert(sizeof(dsfile_in_t) == 272 && offsetof(dsfile_in_t, value) == 256 &&
              offsetof(dsfile_in_t, index) == 260 && offsetof(dsfile_in_t, count) == 264 &&
              offsetof(dsfile_in_t, v1) == 266 && offsetof(dsfile_in_t, v2) == 268);
static_assert(sizeof(dsfile_t) == 276 && offsetof(dsfile_t, first) == 4 &&
              offsetof(dsfile_t, last) == 8 && offsetof(dsfile_t, v3) == 12 &&
              offsetof(dsfile_t, v4) == 16 && offsetof(dsfile_t, folder) == 20);
static_assert(sizeof(dsentry_t) == 184 && offsetof(dsentry_t, v1) == 12 &&
              offsetof(dsentry_t, v2) == 16 && offsetof(dsentry_t, name) == 20 &&
              offsetof(dsentry_t, extra) == 56);
static_assert(sizeof(hddentry_t) == 168 && offsetof(hddentry_t, info) == 64 &&
              offsetof(hddentry_t, v1) == 144 && offsetof(hddentry_t, v2) == 146 &&
              offsetof(hddentry_t, v3) == 148 && offsetof(hddentry_t, extra) == 152);
static_assert(sizeof(dsdevinfo_t) == 16 && offsetof(dsdevinfo_t, v4) == 12);

namespace {

constexpr size_t kDevice = 12;
constexpr size_t kFolder = 128;
constexpr size_t kPath = 256;
constexpr size_t kName = 128;
constexpr size_t kPutName = 33;
constexpr int kListBatch = 14;
constexpr int kListHeader = 276;
constexpr int kListEntry = int(sizeof(dsentry_t));
constexpr int kHddBatch = 8;
constexpr int kHddEntry = int(sizeof(hddentry_t));
constexpr size_t kHddName = sizeof(hddentry_t::name);

// ---- requests of two names -------------------------------------------------------

struct NamePair {
  uint16_t cmd;
  size_t field;       // each name's field; the name and its NUL must fit
  uint16_t detail;    // EW_DATASERVER's detail for a second name that does not
};
constexpr NamePair kDncFile{457, 256, 494};
constexpr NamePair kRemove{458, 256, 505};
constexpr NamePair kGet{459, 128, 505};
constexpr NamePair kMkdir{666, 256, 489};
constexpr NamePair kRmdir{667, 256, 487};

template <class A>
int16_t namePair(uint16_t h, const char* fn, const A& a, const NamePair& p, const char* first,
                 const char* second, int16_t mode = 0) {
  return call(h, fn, a, [&](Call& c) {
    if (textLength(first, p.field) == p.field) raise_error(EW_VALUE);
    if (textLength(second, p.field) == p.field) raise_error(EW_DATASERVER, p.detail);
    RbData d = c.add(cnc(p.cmd).arg1(mode));
    putField(putField(d, first, p.field, p.field), second, p.field, p.field);
    send(c);
  });
}

// A request with nothing but its command (the result word is the answer).
int16_t bare(uint16_t h, const char* fn, uint16_t cmd) {
  return call(h, fn, args(), [&](Call& c) { c.exchange(cnc(cmd)); });
}

// One name, cut to its 128-byte field.
int16_t oneName(uint16_t h, const char* fn, uint16_t cmd, const char* name) {
  return call(h, fn, args(text(name)), [&](Call& c) {
    putField(c.add(cnc(cmd)), name, kName, kName);
    send(c);
  });
}

// One name with its NUL, no fixed field.
int16_t hddName(uint16_t h, const char* fn, uint16_t cmd, const char* name) {
  return call(h, fn, args(text(name)), [&](Call& c) {
    putText(c.add(cnc(cmd)), name);
    send(c);
  });
}

// A 16-bit value at +0 and a text at +2 for the caller's 256-byte buffer.
int16_t valueAndName(uint16_t h, const char* fn, uint16_t cmd, const char* device,
                     int16_t* value, char* out) {
  return call(h, fn, args(text(device), value, out), [&](Call& c) {
    putText(c.add(cnc(cmd)), device);
    const Reader d = send(c);
    const int16_t v = d.i16(0);
    takeText(out, kPath, d, 2);
    *value = v;
  });
}

// ---- the paged listing ---------------------------------------------------------------

// The listing request (678) of the working copy; with a folder, the
// change-folder request (677) that carries the same fields after it.
void listRequest(Call& c, const char* device, const char* folder, const dsfile_in_t& w) {
  RbData d = c.add(cnc(folder ? 677 : 678));
  putField(d, device, kDevice, kDevice);
  if (folder) putField(d, folder, kFolder, kFolder);
  putField(d, w.path, kPath, kPath);
  d.u32(w.value).i32(w.index).i16(w.count).i16(w.v1).i16(w.v2);
}

void putHeader(dsfile_t& o, const Reader& r) {
  o.v0 = r.i16(0);
  o.first = r.i32(4);
  o.last = r.i32(8);
  o.v3 = r.i32(12);
  o.v4 = r.i32(16);
  takeText(o.folder, sizeof o.folder, r, 20);
}

void putEntry(dsentry_t& o, const Reader& e) {
  takeRecord(&o, e, sizeof o, {0, 2, 4, 6, 8, 10}, {12, 16});
}

// Pages of at most 14 entries; the first reply's header goes to the caller,
// later ones to a scratch header. The folder's size (last - first + 1 of the
// first reply) and the count wanted bound the listing. The first request is
// always sent, so a count of 0 still changes the folder and fills the header.
// A later page that fails fails the call: the caller has no count that would
// tell the entries delivered from those its array held before.
template <class A>
int16_t listing(uint16_t h, const char* fn, const A& a, const char* device, const char* folder,
                const dsfile_in_t* in, dsfile_t* out, dsentry_t* entries) {
  return call(h, fn, a, [&](Call& c) {
    expect_range(in->count, 0, OZ_DS_ENTRY_MAX, EW_SIZE);
    dsfile_in_t w = *in;
    int64_t limit = in->count;
    int delivered = 0, got = 0;
    bool first = true;
    dsfile_t scratch;
    do {
      w.count = int16_t(std::min<int64_t>(limit - delivered, kListBatch));
      c.reset();
      listRequest(c, device, first ? folder : nullptr, w);
      const Reader d = send(c);
      const Reader head = d.sub(0, kListHeader);
      const int64_t span = int64_t(head.i32(8)) - head.i32(4) + 1;
      if (first) limit = std::clamp<int64_t>(span, 0, limit);
      // As many as the header names and were asked for, and no more than
      // the reply holds.
      got = int(std::clamp<int64_t>(span, 0, w.count));
      got = std::min(got, (d.size() - kListHeader) / kListEntry);
      putHeader(first ? *out : scratch, head);
      for (int i = 0; i < got; ++i)
        putEntry(entries[delivered + i], d.sub(kListHeader + i * kListEntry, kListEntry));
      delivered += got;
      w.index += got;
      first = false;
    } while (got > 0 && delivered < limit);
  });
}

bool isDataServer(const char* device) {
  static const char kName[] = "DATA_SV";
  if (device == nullptr) return false;
  for (size_t i = 0; i < sizeof kName; ++i)
    if (std::toupper(static_cast<unsigned char>(device[i])) != kName[i]) return false;
  return true;
}

void putHdd(hddentry_t& o, const Reader& e) { takeRecord(&o, e, sizeof o, {144, 146}, {148}); }

}  // namespace

// ---- download to the data server ------------------------------------------------------

OZ_EXPORT int16_t OZ_CALL ds_dwnstart(uint16_t h, const char* name, int16_t number) {
  char t[256];
  const int n = name ? std::snprintf(t, sizeof t, "%s:%d", name, number) : -1;
  // A cut text would lose the number and store the file under another name.
  if (n < 0 || n >= int(sizeof t))
    return call(h, __func__, args(text(name), number), [](Call&) { raise_error(EW_VALUE); });
  return cnc_dwnstart3_f(h, int16_t(OZ_XFER_DATA_SERVER), t, nullptr);
}
OZ_EXPORT int16_t OZ_CALL ds_download(uint16_t h, int32_t* length, const void* data) {
  return cnc_download4(h, length, data);
}
OZ_EXPORT int16_t OZ_CALL ds_dwnend(uint16_t h) { return cnc_dwnend4(h); }

// ---- the server's disk -----------------------------------------------------------------

OZ_EXPORT int16_t OZ_CALL ds_rdhdddir(uint16_t h, const char* path, int32_t index, int16_t* n,
                                      hddentry_t* out) {
  return call(h, __func__, args(text(path), index, count(n), out), [&](Call& c) {
    expect_range(*n, 1, OZ_DS_ENTRY_MAX, EW_SIZE);
    const int wanted = *n;
    char last[kHddName] = {};
    int read = 0;
    while (read < wanted) {
      const int ask = std::min(wanted - read, kHddBatch);
      c.reset();
      RbData d = c.add(cnc(216).args(index, ask));
      if (path) putText(d, path);
      c.exchange();
      if (c.result(0) == EW_RANGE && read > 0) break;
      const Reader r = c.rb(0);
      const int got = std::min(r.size() / kHddEntry, ask);
      // A page that begins where the last one ended: the server started over.
      if (got > 0 && std::memcmp(r.raw(), last, kHddName) == 0) break;
      for (int i = 0; i < got; ++i) {
        const Reader e = r.sub(i * kHddEntry, kHddEntry);
        e.copy(last, 0, kHddName);
        putHdd(out[read + i], e);
      }
      read += got;
      if (got < ask) break;
      index += got;
    }
    *n = int16_t(read);
  });
}

OZ_EXPORT int16_t OZ_CALL ds_delhddfile(uint16_t h, const char* name) {
  return hddName(h, __func__, 217, name);
}
OZ_EXPORT int16_t OZ_CALL ds_chghdddir(uint16_t h, const char* name) {
  return hddName(h, __func__, 218, name);
}
OZ_EXPORT int16_t OZ_CALL ds_rdresult(uint16_t h) { return bare(h, __func__, 219); }
OZ_EXPORT int16_t OZ_CALL ds_cancel(uint16_t h) { return bare(h, __func__, 220); }

// ---- names, folders and FTP transfers -------------------------------------------------------

OZ_EXPORT int16_t OZ_CALL cnc_wrdsdncfile(uint16_t h, const char* device, const char* name) {
  return namePair(h, __func__, args(text(device), text(name)), kDncFile, device, name);
}
OZ_EXPORT int16_t OZ_CALL cnc_dsremove(uint16_t h, const char* device, const char* name) {
  return namePair(h, __func__, args(text(device), text(name)), kRemove, device, name);
}
OZ_EXPORT int16_t OZ_CALL cnc_dsget_req(uint16_t h, const char* host_name,
                                        const char* server_name, int16_t mode) {
  return namePair(h, __func__, args(text(host_name), text(server_name), mode), kGet, host_name,
                  server_name, mode);
}
OZ_EXPORT int16_t OZ_CALL cnc_dsmkdir(uint16_t h, const char* device, const char* name) {
  return namePair(h, __func__, args(text(device), text(name)), kMkdir, device, name);
}
OZ_EXPORT int16_t OZ_CALL cnc_dsrmdir(uint16_t h, const char* device, const char* name) {
  return namePair(h, __func__, args(text(device), text(name)), kRmdir, device, name);
}

OZ_EXPORT int16_t OZ_CALL cnc_dsftpstat(uint16_t h) { return bare(h, __func__, 460); }
OZ_EXPORT int16_t OZ_CALL cnc_dsftpcancel(uint16_t h) { return bare(h, __func__, 680); }

OZ_EXPORT int16_t OZ_CALL cnc_dsput_req(uint16_t h, const char* host_name,
                                        const char* server_name) {
  return call(h, __func__, args(text(host_name), text(server_name)), [&](Call& c) {
    putField(putField(c.add(cnc(679)), host_name, kName, kName), server_name, kPutName, kPutName);
    send(c);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_dsrename(uint16_t h, const char* device, const char* old_name,
                                       const char* new_name) {
  return call(h, __func__, args(text(device), text(old_name), text(new_name)), [&](Call& c) {
    RbData d = c.add(cnc(686));
    putField(putField(putField(d, device, kDevice, kDevice), old_name, kName, kName), new_name,
             kName, kName);
    send(c);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_dsmget_req(uint16_t h, const char* name) {
  return oneName(h, __func__, 704, name);
}
OZ_EXPORT int16_t OZ_CALL cnc_dsmput_req(uint16_t h, const char* name) {
  return oneName(h, __func__, 705, name);
}
OZ_EXPORT int16_t OZ_CALL cnc_dslistget_req(uint16_t h, const char* name) {
  return oneName(h, __func__, 706, name);
}
OZ_EXPORT int16_t OZ_CALL cnc_dslistput_req(uint16_t h, const char* name) {
  return oneName(h, __func__, 707, name);
}
OZ_EXPORT int16_t OZ_CALL cnc_dslistdel_req(uint16_t h, const char* name) {
  return oneName(h, __func__, 708, name);
}

// ---- listings and the server's state ------------------------------------------------------

OZ_EXPORT int16_t OZ_CALL cnc_rddsfile(uint16_t h, const char* device, const dsfile_in_t* in,
                                       dsfile_t* out, dsentry_t* entries) {
  return listing(h, __func__, args(text(device), in, out, entries), device, nullptr, in, out,
                 entries);
}

OZ_EXPORT int16_t OZ_CALL cnc_dschdir(uint16_t h, const char* device, const char* folder,
                                      const dsfile_in_t* in, dsfile_t* out, dsentry_t* entries) {
  const auto a = args(text(device), text(folder), in, out, entries);
  if (!isDataServer(device)) return listing(h, __func__, a, device, folder, in, out, entries);
  // The server itself keeps no listing to send back: the folder changes.
  return call(h, __func__, a, [&](Call& c) {
    RbData d = c.add(cnc(677));
    putField(putField(d, device, kDevice, kDevice), folder, kFolder, kFolder);
    d.zeros(kPath + 4 + 4 + 2 + 2 + 2);
    send(c);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rddsdir(uint16_t h, const char* device, int16_t* value,
                                      char* path) {
  return valueAndName(h, __func__, 676, device, value, path);
}
OZ_EXPORT int16_t OZ_CALL cnc_rddsdncfile(uint16_t h, const char* device, int16_t* value,
                                          char* name) {
  return valueAndName(h, __func__, 675, device, value, name);
}

OZ_EXPORT int16_t OZ_CALL cnc_rddsdevinfo(uint16_t h, int16_t selector, dsdevinfo_t* out) {
  return call(h, __func__, args(selector, out), [&](Call& c) {
    takeWords(c.exchange(cnc(703).arg1(selector)), {&out->v1, &out->v2, &out->v3, &out->v4});
  });
}
