// Names and paths in fixed fields: how the folder, data-server and board
// calls put a caller's text into a request and a controller's text into a
// caller's buffer.
#pragma once
#include <algorithm>
#include <cstring>

#include "core/frame.h"

namespace oz::prog {

// A caller's text is read up to its NUL, never past `limit` characters: a
// text without a NUL inside its field must not make us read beyond it.
inline size_t textLength(const char* t, size_t limit) { return t ? strnlen(t, limit) : 0; }

// A text in a request field of `width` bytes: at most `keep` characters of it
// (a null text is empty), the rest of the field zero. keep = width - 1 always
// leaves the terminating NUL on the wire; keep = width fills the field.
inline RbData putField(RbData d, const char* t, size_t width, size_t keep) {
  const size_t n = textLength(t, keep);
  return d.bytes(t, n).zeros(width - n);
}
// Fields whose text must fit whole: EW_VALUE (with `detail`) otherwise.
inline RbData putWhole(RbData d, const char* t, size_t width, uint16_t detail = 0) {
  if (t == nullptr || strnlen(t, width) == width) raise_error(EW_VALUE, detail);
  return putField(d, t, width, width - 1);
}
// A text with its NUL and no fixed field (a null text sends the NUL alone).
inline RbData putText(RbData d, const char* t) {
  return d.bytes(t ? t : "", (t ? std::strlen(t) : 0) + 1);
}

// The controller's text at reply offset `off` (up to its NUL or the end of
// the reply) into a caller's field of `width` bytes: cut to width - 1
// characters, terminated, the rest of the field zero. A caller never gets a
// name without its NUL, nor what the buffer held before.
inline void takeText(char* dst, size_t width, const Reader& r, int off) {
  const size_t avail = off < r.size() ? size_t(r.size() - off) : 0;
  const char* src = reinterpret_cast<const char*>(r.raw()) + (avail ? off : 0);
  const size_t n = avail ? strnlen(src, std::min(avail, width - 1)) : 0;
  std::memcpy(dst, src, n);
  std::memset(dst + n, 0, width - n);
}

// One request whose reply is only its result word.
inline Reader send(Call& c) {
  c.exchange();
  return c.rb(0);
}

// A record whose caller layout is its wire layout: copied whole, then its
// 16-bit fields at `shorts` and 32-bit fields at `longs` turned to host order
// in place; every other byte stays as received. All or nothing: a reply too
// short for the record leaves the caller's untouched.
template <size_t S, size_t L>
void takeRecord(void* dst, const Reader& r, size_t size, const int (&shorts)[S],
                const int (&longs)[L]) {
  const Reader all = r.sub(0, int(size));
  auto* b = static_cast<uint8_t*>(dst);
  all.copy(b, 0, size);
  for (int at : shorts) store(b, size_t(at), be::get16(b + at));
  for (int at : longs) store(b, size_t(at), be::get32(b + at));
}

// Signed 32-bit reply words into the caller's fields, all or none: a reply
// too short for the last leaves the first untouched too.
template <class T, size_t N>
void takeWords(const Reader& r, T* const (&out)[N]) {
  const Reader all = r.sub(0, int(4 * N));
  for (size_t i = 0; i < N; ++i) *out[i] = T(all.i32(int(4 * i)));
}

}  // namespace oz::prog
