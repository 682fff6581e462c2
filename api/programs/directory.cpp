// The program directory: paged reads of the program table and its text form.
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "core/frame.h"

using namespace oz;

static_assert(sizeof(prgdir2_t) == 60 && offsetof(prgdir2_t, comment) == 8);
static_assert(sizeof(prgdir3_t) == 88 && offsetof(prgdir3_t, page) == 8 &&
              offsetof(prgdir3_t, comment) == 12 && offsetof(prgdir3_t, stamp1) == 64 &&
              offsetof(prgdir3_t, stamp2) == 76);
static_assert(sizeof(prgdirtm_t) == 68 && offsetof(prgdirtm_t, comment) == 4 &&
              offsetof(prgdirtm_t, time) == 55);
static_assert(sizeof(proginfo_t) == 12 && offsetof(proginfo_t, v3) == 4 &&
              offsetof(proginfo_t, v4) == 8);

namespace {

// One directory command: its batch limit and the size of its wire entries.
struct Page {
  uint16_t cmd;
  int batch;
  int entry;
  bool typed;       // arg3 carries the type
  int32_t type = 0;
};
constexpr Page kDir6{6, 19, 72, true};
constexpr Page kDir339{339, 18, 76, true};
constexpr Page kDirTime{118, 16, 88, false};
constexpr int kTextBatch = 19;

// Reads up to `count` entries from program `start` on, batch after batch,
// handing each wire entry to put(index, entry). A controller answer of 3 ends
// the table once something was read; on the first request it is returned (not
// raised) so the text directory can tell the two apart. The count read and
// the first number are written back.
template <class Put>
int16_t pagedRead(Call& c, const Page& p, int32_t* start, int16_t* count, Put&& put) {
  int remaining = *count, read = 0;
  int32_t next = *start, first = *start;
  while (remaining > 0) {
    const int ask = std::min(remaining, p.batch);
    c.reset();
    Rb rb = cnc(p.cmd).args(next, ask);
    if (p.typed) rb.arg3(p.type);
    c.add(rb);
    c.exchange();
    const int16_t res = c.result(0);
    if (res == EW_RANGE && read > 0) break;
    if (res == EW_RANGE) return res;
    const Reader d = c.rb(0);
    // Never more than asked: the caller's array holds only that many.
    const int got = std::min(d.size() / p.entry, ask);
    for (int i = 0; i < got; ++i) {
      const Reader e = d.sub(i * p.entry, p.entry);
      if (read + i == 0) first = e.i32(0);
      put(read + i, e);
    }
    read += got;
    if (got < ask) break;
    remaining -= ask;
    // Stepped in a wider type: after the largest number there is nothing.
    const int64_t after = int64_t(d.i32((got - 1) * p.entry)) + 1;
    if (after > INT32_MAX) break;
    next = int32_t(after);
  }
  *start = first;
  *count = int16_t(read);
  return EW_SUCCESS;
}

int16_t raised(int16_t r) {
  if (r != EW_SUCCESS) raise_error(r);
  return r;
}

// Command 6 entry into a prgdir2_t, only the fields the type asks for.
void putDir2(prgdir2_t& o, const Reader& e, int16_t type) {
  o.number = e.i32(0);
  if (type == 2) o.length = e.i32(4);
  if (type >= 1) e.copy(o.comment, 8, sizeof o.comment);
}

void readDir2(Call& c, int16_t type, int32_t* start, int16_t* num, prgdir2_t* buf) {
  expect(*num >= 1, EW_SIZE);
  expect_range(type, 0, 2, EW_KIND);
  Page p = kDir6;
  p.type = type;
  raised(pagedRead(c, p, start, num, [&](int i, const Reader& e) { putDir2(buf[i], e, type); }));
}

// The text directory's writer: lines go in only with room for the closing
// '%'; on the packed dialect lines are cut at the buffer's end instead.
class DirText {
 public:
  DirText(char* buf, uint16_t length, bool cut) : buf_(buf), len_(length), cut_(cut) {}
  // False when the buffer is full: the call then returns EW_SIZE.
  bool line(const char* s, int n, bool first_of_type1) {
    if (cut_) {
      if (first_of_type1 && !lead()) return false;
      const int take = std::min(n, len_ - pos_);
      std::memcpy(buf_ + pos_, s, size_t(take));
      pos_ += take;
      return pos_ < len_;
    }
    // The first type-1 line brings the leading "%\n"; a first line that does
    // not fit leaves only the '%' at the start.
    if (pos_ + n + 1 + (first_of_type1 ? 2 : 0) > len_) {
      close();
      return false;
    }
    if (first_of_type1) put("%\n", 2);
    put(s, n);
    return true;
  }
  void close() { buf_[pos_] = '%'; }
  bool empty() const { return pos_ == 0; }

 private:
  bool lead() {
    if (pos_ + 2 > len_) {
      buf_[0] = '%';
      return false;
    }
    put("%\n", 2);
    return true;
  }
  void put(const char* s, int n) {
    std::memcpy(buf_ + pos_, s, size_t(n));
    pos_ += n;
  }
  char* buf_;
  int len_;
  int pos_ = 0;
  bool cut_;
};

int formatEntry(char (&line)[160], int16_t type, const prgdir2_t& e) {
  const unsigned long n = uint32_t(e.number);
  const int cl = int(strnlen(e.comment, sizeof e.comment));
  switch (type) {
    case 0: return std::snprintf(line, sizeof line, "O%lu", n);
    case 1: return std::snprintf(line, sizeof line, "O%lu%.*s\n", n, cl, e.comment);
    default:
      return std::snprintf(line, sizeof line, "O%lu%.*s%lu", n, cl, e.comment,
                           static_cast<unsigned long>(uint32_t(e.length)));
  }
}

int16_t textDir(uint16_t h, const char* fn, int16_t type, int32_t start, int32_t end,
                uint16_t length, char* buf) {
  return call(h, fn, args(type, start, end, length, buf), [&](Call& c) -> int16_t {
    expect_range(type, 0, 2, EW_KIND);
    expect(length != 0, EW_SIZE);
    expect(start <= end, EW_RANGE);
    DirText out(buf, length, c.h.has(kDialectPacked));
    bool first = type == 1;
    Page p = kDir6;
    p.type = type;
    for (int32_t next = start;;) {
      prgdir2_t batch[kTextBatch];
      int16_t n = kTextBatch;
      int32_t at = next;
      const int16_t r = pagedRead(c, p, &at, &n, [&](int i, const Reader& e) {
        batch[i] = prgdir2_t{};
        putDir2(batch[i], e, 2);
      });
      if (r == EW_RANGE && !out.empty()) break;
      raised(r);
      if (n == 0) break;
      for (int i = 0; i < n; ++i) {
        if (batch[i].number > end) {
          out.close();
          return EW_SUCCESS;
        }
        char line[160];
        const int len = std::min<int>(formatEntry(line, type, batch[i]), sizeof line - 1);
        if (!out.line(line, len, first)) return EW_SIZE;
        first = false;
      }
      const int64_t after = int64_t(batch[n - 1].number) + 1;   // wider: no overflow past the last
      if (after > end) break;
      next = int32_t(after);
    }
    out.close();
    return EW_SUCCESS;
  });
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdprogdiro8(uint16_t h, int16_t type, int32_t start, int32_t end,
                                          uint16_t length, char* buf) {
  return textDir(h, __func__, type, start, end, length, buf);
}

OZ_EXPORT int16_t OZ_CALL cnc_rdprogdir(uint16_t h, int16_t type, int16_t start, int16_t end,
                                        uint16_t length, char* buf) {
  return textDir(h, __func__, type, start, end, length, buf);
}

OZ_EXPORT int16_t OZ_CALL cnc_rdprogdir2o8(uint16_t h, int16_t type, int32_t* start,
                                           int16_t* count, prgdir2_t* buf) {
  return call(h, __func__, args(type, oz::count(start), oz::count(count), buf),
              [&](Call& c) { readDir2(c, type, start, count, buf); });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdprogdir2(uint16_t h, int16_t type, int16_t* start, int16_t* count,
                                         prgdir2_t* buf) {
  return call(h, __func__, args(type, oz::count(start), oz::count(count), buf), [&](Call& c) {
    int32_t wide = *start;
    readDir2(c, type, &wide, count, buf);
    *start = int16_t(wide);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdprogdir3(uint16_t h, int16_t type, int32_t* start, int16_t* num,
                                         prgdir3_t* buf) {
  return call(h, __func__, args(type, oz::count(start), oz::count(num), buf), [&](Call& c) {
    expect(*num >= 1, EW_SIZE);
    expect_range(type, 0, 2, EW_KIND);
    const bool longer = path_is_w(c.h);
    Page p = longer ? kDir339 : kDir6;
    p.type = type == 2 ? 3 : type;
    const int comment_at = longer ? 12 : 8;
    return raised(pagedRead(c, p, start, num, [&](int i, const Reader& e) {
      prgdir3_t& o = buf[i];
      o.number = e.i32(0);
      if (type >= 1) e.copy(o.comment, comment_at, sizeof o.comment);
      if (type != 2) return;
      o.length = e.i32(4);
      if (!longer) {
        for (int k = 0; k < 6; ++k) o.stamp1[k] = e.i16(60 + 2 * k);
        return;
      }
      o.page = e.i32(8);
      for (int k = 0; k < 3; ++k) {
        o.stamp1[k] = e.i16(70 + 2 * k);
        o.stamp2[k] = e.i16(64 + 2 * k);
      }
    }));
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdprgdirtime(uint16_t h, int32_t* start, int16_t* num,
                                           prgdirtm_t* buf) {
  return call(h, __func__, args(oz::count(start), oz::count(num), buf), [&](Call& c) {
    expect(*num >= 1, EW_SIZE);
    return raised(pagedRead(c, kDirTime, start, num, [&](int i, const Reader& e) {
      buf[i].number = e.i32(0);
      e.copy(buf[i].comment, 8, sizeof buf[i].comment);
      e.copy(buf[i].time, 60, sizeof buf[i].time);
    }));
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdproginfo(uint16_t h, int16_t type, int16_t length, void* buf) {
  return call(h, __func__, args(type, length, buf), [&](Call& c) {
    expect_range(type, 0, 1, EW_KIND);
    const int extra = c.h.has(kDialectPacked) ? 4 : 0;
    expect(length >= (type == 0 ? 12 : 31) + extra, EW_SIZE);
    const Reader d = c.exchange(cnc(7));
    const int32_t v[4] = {d.i32(0), d.i32(4), d.i32(8), d.i32(12)};
    if (type == 0) {
      auto* o = static_cast<proginfo_t*>(buf);
      o->v1 = int16_t(v[0]);
      o->v2 = int16_t(v[1]);
      o->v3 = v[2];
      o->v4 = v[3];
      return;
    }
    // Bounded by the caller's length: large values can outgrow 31 bytes.
    std::snprintf(static_cast<char*>(buf), size_t(length), "%%\n%ld\n%ld\n%ld\n%ld\n%%",
                  long(v[0]), long(v[1]), long(v[2]), long(v[3]));
  });
}
