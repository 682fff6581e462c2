// Program housekeeping and the facts about the program being run: one request
// each.
#include <algorithm>

#include "core/frame.h"

using namespace oz;

static_assert(sizeof(prgnum_t) == 12 && offsetof(prgnum_t, data) == 4 &&
              offsetof(prgnum_t, mdata) == 8);
static_assert(sizeof(prgnum16_t) == 8 && offsetof(prgnum16_t, data) == 4 &&
              offsetof(prgnum16_t, mdata) == 6);
static_assert(sizeof(seqnum_t) == 8 && offsetof(seqnum_t, data) == 4);
static_assert(sizeof(mdipntr_t) == 16);
static_assert(offsetof(mdipntr16_t, v2) == 4 && offsetof(mdipntr16_t, v3) == 8 &&
              offsetof(mdipntr16_t, v4) == 12);
static_assert(offsetof(proctime_t, entry) == 4 && sizeof(proctime_t::entry[0]) == 8);
static_assert(sizeof(baxis_t) == 12 && offsetof(baxis_t, v4) == 8);
static_assert(sizeof(uvactpt2_t) == 264 && offsetof(uvactpt2_t, v1) == 248 &&
              offsetof(uvactpt2_t, v4) == 260 && offsetof(uvactpt2_t, v5) == 262);
static_assert(sizeof(protect_t) == 4);

namespace {

constexpr uint16_t kExecTextMax = 1428;
constexpr size_t kWordRoom = 34;    // the searched word with its NUL
constexpr size_t kPathRoom = 244;   // the folder path with its NUL

// A request whose reply the caller does not read.
int16_t order(uint16_t h, const char* fn, Rb rb) {
  return call(h, fn, args(int32_t(rb.a[0]), int32_t(rb.a[1])), [&](Call& c) { c.exchange(rb); });
}

// A request whose reply starts with the 32-bit values the caller wants.
template <size_t N>
int16_t readWords(uint16_t h, const char* fn, uint16_t cmd, int32_t* const (&out)[N]) {
  return call(h, fn, args(out[0]), [&](Call& c) {
    const Reader d = c.exchange(cnc(cmd));
    for (size_t i = 0; i < N; ++i) *out[i] = d.i32(int(4 * i));
  });
}

// "path with NUL" and "word with NUL" fields of the search requests.
size_t textRoom(const char* t, size_t room) {
  const size_t n = t ? std::strlen(t) : 0;
  expect(n < room, EW_VALUE);
  return n;
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_searcho8(uint16_t h, int32_t number) {
  return order(h, __func__, cnc(3).arg1(number));
}
OZ_EXPORT int16_t OZ_CALL cnc_search(uint16_t h, int16_t number) {
  return order(h, __func__, cnc(3).arg1(number));
}
OZ_EXPORT int16_t OZ_CALL cnc_deleteo8(uint16_t h, int32_t number) {
  return order(h, __func__, cnc(5).arg1(number));
}
OZ_EXPORT int16_t OZ_CALL cnc_delete(uint16_t h, int16_t number) {
  return order(h, __func__, cnc(5).arg1(number));
}
OZ_EXPORT int16_t OZ_CALL cnc_delall(uint16_t h) { return order(h, __func__, cnc(4)); }
OZ_EXPORT int16_t OZ_CALL cnc_seqsrch(uint16_t h, int32_t number) {
  return order(h, __func__, cnc(30).arg1(number));
}
OZ_EXPORT int16_t OZ_CALL cnc_rewind(uint16_t h) { return order(h, __func__, cnc(31)); }
OZ_EXPORT int16_t OZ_CALL cnc_wrmdipntr(uint16_t h, int32_t pointer) {
  return order(h, __func__, cnc(57).arg1(pointer));
}
OZ_EXPORT int16_t OZ_CALL cnc_copyprog(uint16_t h, int32_t source, int32_t destination) {
  return order(h, __func__, cnc(454).args(source, destination));
}
OZ_EXPORT int16_t OZ_CALL cnc_renameprog(uint16_t h, int32_t old_number, int32_t new_number) {
  return order(h, __func__, cnc(455).args(old_number, new_number));
}
OZ_EXPORT int16_t OZ_CALL cnc_condense(uint16_t h, int16_t type, int32_t number) {
  return order(h, __func__, cnc(456).args(type, number));
}

OZ_EXPORT int16_t OZ_CALL cnc_rdprgnumo8(uint16_t h, prgnum_t* out) {
  return readWords(h, __func__, 28, {&out->data, &out->mdata});
}
OZ_EXPORT int16_t OZ_CALL cnc_rdprgnum(uint16_t h, prgnum16_t* out) {
  return call(h, __func__, args(out), [&](Call& c) {
    const Reader d = c.exchange(cnc(28));
    out->data = int16_t(d.i32(0));
    out->mdata = int16_t(d.i32(4));
  });
}
OZ_EXPORT int16_t OZ_CALL cnc_rdseqnum(uint16_t h, seqnum_t* out) {
  return readWords(h, __func__, 29, {&out->data});
}
OZ_EXPORT int16_t OZ_CALL cnc_buff(uint16_t h, buff_t* out) {
  return readWords(h, __func__, 59, {&out->data});
}
OZ_EXPORT int16_t OZ_CALL cnc_rdblkcount(uint16_t h, int32_t* count) {
  return readWords(h, __func__, 53, {count});
}
OZ_EXPORT int16_t OZ_CALL cnc_rdmdipntro8(uint16_t h, mdipntr_t* out) {
  return readWords(h, __func__, 56, {&out->v[0], &out->v[1], &out->v[2], &out->v[3]});
}
OZ_EXPORT int16_t OZ_CALL cnc_rdmdipntr(uint16_t h, mdipntr16_t* out) {
  return call(h, __func__, args(out), [&](Call& c) {
    const Reader d = c.exchange(cnc(56));
    out->v1 = int16_t(d.i32(0));
    out->v2 = d.i32(4);
    out->v3 = int16_t(d.i32(8));
    out->v4 = d.i32(12);
  });
}
OZ_EXPORT int16_t OZ_CALL cnc_rdactpt(uint16_t h, int32_t* program, int32_t* position) {
  return readWords(h, __func__, 354, {program, position});
}
OZ_EXPORT int16_t OZ_CALL cnc_rduvactpt(uint16_t h, int32_t* v1, int32_t* v2, int32_t* v3) {
  return readWords(h, __func__, 368, {v1, v2, v3});
}
OZ_EXPORT int16_t OZ_CALL cnc_searchresult(uint16_t h, int32_t* result) {
  return readWords(h, __func__, 462, {result});
}
OZ_EXPORT int16_t OZ_CALL cnc_pdf_searchresult(uint16_t h, int32_t* result) {
  return readWords(h, __func__, 464, {result});
}

OZ_EXPORT int16_t OZ_CALL cnc_rdexecprog(uint16_t h, uint16_t* length, int32_t* block,
                                         char* buf) {
  return call(h, __func__, args(count(length), block, buf), [&](Call& c) {
    // Room for the NUL at least; a zero length has no room for anything.
    expect(*length >= 1, EW_SIZE);
    const Reader d = c.exchange(cnc(32).arg1(std::min(*length, kExecTextMax)));
    *block = d.i32(0);
    const size_t n = d.copy(buf, 4, size_t(*length - 1));
    buf[n] = '\0';
    *length = uint16_t(n);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdexecprog2(uint16_t h, int16_t* length, int16_t* v1, int16_t* v2,
                                          char* buf) {
  return call(h, __func__, args(count(length), v1, v2, buf), [&](Call& c) {
    const int16_t room = *length;
    const Reader d = c.exchange(cnc(786).arg1(room));
    const int16_t n = d.i16(0);
    *v1 = d.i16(2);
    *v2 = d.i16(4);
    // The text and its NUL, never more than the caller's room.
    if (n > 0) d.copy(buf, 8, size_t(std::min<int>(n + 1, std::max<int16_t>(room, 0))));
    *length = n;
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdmdiprog(uint16_t h, int16_t* length, char* buf) {
  return call(h, __func__, args(count(length), buf), [&](Call& c) {
    const Reader d = c.exchange(cnc(54));
    expect(d.size() <= *length, EW_SIZE);
    *length = int16_t(d.copy(buf, 0, d.size()));
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wrmdiprog(uint16_t h, int16_t length, const char* text) {
  return call(h, __func__, args(length), [&](Call& c) {
    expect(length >= 0, EW_SIZE);
    c.exchange(cnc(55).with(text, uint16_t(length)));
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdproctime(uint16_t h, proctime_t* out) {
  return call(h, __func__, args(out), [&](Call& c) {
    const Reader d = c.exchange(cnc(117));
    const int n = std::min(d.size() / 12, OZ_PROCTIME_MAX);
    for (int i = 0; i < n; ++i) {
      auto& e = out->entry[i];
      e.number = d.i32(12 * i);
      e.part1 = d.i16(12 * i + 4);
      e.part2 = int8_t(d.i16(12 * i + 6));
      e.part3 = int8_t(d.i16(12 * i + 8));
    }
    out->count = int16_t(n);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdbaxis(uint16_t h, baxis_t* out) {
  return call(h, __func__, args(out), [&](Call& c) {
    const Reader d = c.exchange(cnc(127));
    const int n = std::min(d.size() / 20, OZ_BAXIS_MAX);
    for (int i = 0; i < n; ++i) {
      out[i].v1 = int16_t(d.u8(20 * i));
      out[i].v2 = d.i16(20 * i + 2);
      out[i].v3 = int16_t(d.i32(20 * i + 4));
      out[i].v4 = d.i32(20 * i + 12);
    }
    // The array has no count: entries the controller did not send read as
    // zero, never as what the caller's array held before.
    std::memset(out + n, 0, sizeof *out * size_t(OZ_BAXIS_MAX - n));
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rduvactpt2(uint16_t h, uvactpt2_t* out) {
  return call(h, __func__, args(out), [&](Call& c) {
    const Reader d = c.exchange(cnc(652));
    d.sub(0, 248).copy(out->data, 0, sizeof out->data);
    out->v1 = d.i32(248);
    out->v2 = d.i32(252);
    out->v3 = d.i32(256);
    out->v4 = d.i16(260);
    out->v5 = d.i16(262);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_wractpt(uint16_t h, int32_t program, int16_t kind,
                                      int32_t* position) {
  return call(h, __func__, args(program, kind, count(position)), [&](Call& c) {
    const Reader d = c.exchange(cnc(355).args(program, kind, *position));
    if (kind != 0 && *position == 0) *position = d.i32(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_rdprotect(uint16_t h, int16_t selector, const char* name,
                                        protect_t* out) {
  return call(h, __func__, args(selector, text(name), out), [&](Call& c) {
    expect(name != nullptr, EW_VALUE);
    const Reader d = c.exchange(cnc(444).arg1(selector).with(name, uint16_t(std::strlen(name) + 1)));
    out->v1 = d.i16(0);
    out->v2 = d.i16(2);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_searchword(uint16_t h, int32_t v1, int32_t v2, int16_t v3,
                                         int16_t v4, int32_t v5, const char* word) {
  return call(h, __func__, args(v1, v2, v3, v4, v5, text(word)), [&](Call& c) {
    const size_t n = textRoom(word, kWordRoom);
    c.add(cnc(461)).i32(v1).i32(v2).i16(v3).i16(v4).i32(v5).u32(uint32_t(n + 1))
        .bytes(word ? word : "", n).zeros(kWordRoom - n);
    c.exchange();
    c.rb(0);
  });
}

OZ_EXPORT int16_t OZ_CALL cnc_pdf_searchword(uint16_t h, const char* path, int32_t v1, int32_t v2,
                                             int32_t v3, int32_t v4, const char* word) {
  return call(h, __func__, args(text(path), v1, v2, v3, v4, text(word)), [&](Call& c) {
    const size_t np = textRoom(path, kPathRoom), nw = textRoom(word, kWordRoom);
    c.add(cnc(463)).i32(v1).i16(int16_t(v2)).i16(int16_t(v3)).i32(v4).u32(uint32_t(nw))
        .bytes(path ? path : "", np).zeros(kPathRoom - np)
        .bytes(word ? word : "", nw).zeros(kWordRoom - nw);
    c.exchange();
    c.rb(0);
  });
}
