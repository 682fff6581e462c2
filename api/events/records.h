// History records as tables: each caller layout is a list of moves from a
// wire offset to a caller offset, so the thirteen operation-history types and
// the alarm and message forms are rows, decoded by one loop.
#pragma once
#include <cstdint>

#include "api/events/events.h"

namespace oz::events {

enum class Mv : uint8_t {
  N8,    // 8-bit from a 16-bit wire value (low byte)
  NL8,   // 8-bit from a 32-bit wire value
  Y8,    // 8-bit from a 16-bit wire value reduced modulo 100
  Y16,   // 16-bit from a 16-bit wire value reduced modulo 100
  W,     // 16-bit from 16-bit
  WL,    // 16-bit from 32-bit (low half)
  L,     // 32-bit from 32-bit
  B,     // bytes copied unchanged
};

// n values (or n bytes for B) from wire offset w to caller offset c.
struct Move {
  uint16_t c = 0, w = 0;
  Mv kind = Mv::B;
  uint16_t n = 0;
};

struct Layout {
  uint16_t type;    // the record type (typed forms only)
  uint16_t wire;    // wire record size
  uint16_t size;    // caller record size
  Move mv[16];      // unused slots have n = 0
};

// Converts one wire record into the caller's record at `at`; `o` bounds it.
void apply(state::Out& o, size_t at, const Reader& w, const Layout& L);

}  // namespace oz::events
