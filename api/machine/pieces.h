// The piece loop of the machine families' long transfers: a count of units
// (bytes, entries, samples, elements) split into requests that each fit the
// smallest PDU every controller accepts.
#pragma once
#include <algorithm>
#include <cstdint>

#include "core/frame.h"

namespace oz::machine {

// Reply data a piece may carry and request data it may send, so that a PDU
// body stays within 1450 bytes: RB count, one RB header, the data.
constexpr int32_t kReadPiece = 1432;    // 1450 - 2 - 16
constexpr int32_t kWritePiece = 1420;   // 1450 - 2 - 28

struct Pieces {
  int32_t total;       // units wanted
  int32_t most;        // units one request may carry
  // Result 3 after some progress is the end of the area, not an error.
  bool end_on_3;
  // A piece that came back with fewer units than asked ends the transfer.
  bool end_on_short;
};

// Runs the loop: add(c, done, n) adds the request for n units after `done`,
// take(reply, done, n) decodes its reply and returns the units it delivered
// (at most n). Returns the units done.
template <class Add, class Take>
int32_t in_pieces(Call& c, const Pieces& p, Add&& add, Take&& take) {
  int32_t done = 0;
  while (done < p.total) {
    const int32_t n = std::min(p.total - done, p.most);
    c.reset();
    add(c, done, n);
    c.exchange();
    if (p.end_on_3 && done > 0 && c.result(0) == EW_RANGE) break;
    const int32_t got = take(c.rb(0), done, n);
    done += got;
    if (got == 0 || (p.end_on_short && got < n)) break;
  }
  return done;
}

// Bytes read into out piece by piece; make(done, n) is the request of a piece.
// A short piece is the end of what there is.
template <class Make>
int32_t read_bytes(Call& c, int32_t total, bool end_on_3, void* out, Make&& make) {
  auto* o = static_cast<uint8_t*>(out);
  return in_pieces(c, {total, kReadPiece, end_on_3, true},
      [&](Call& q, int32_t done, int32_t n) { q.add(make(done, n)); },
      [&](const Reader& d, int32_t done, int32_t n) {
        return int32_t(d.copy(o + done, 0, size_t(n)));
      });
}

// Bytes written from in piece by piece, each piece the data of its request.
template <class Make>
int32_t write_bytes(Call& c, int32_t total, bool end_on_3, const void* in, Make&& make) {
  const auto* i = static_cast<const uint8_t*>(in);
  return in_pieces(c, {total, kWritePiece, end_on_3, false},
      [&](Call& q, int32_t done, int32_t n) { q.add(make(done, n).with(i + done, uint16_t(n))); },
      [](const Reader&, int32_t, int32_t n) { return n; });
}

}  // namespace oz::machine
