// The tool management record as it travels (156 bytes, every field 32-bit but
// the two 16-bit ones at 64 and 66) and as callers keep it (140 bytes, fields
// narrowed). The library converts with it; the simulator uses the same field
// numbers for the single-item write, so both sides agree on what a kind means.
#pragma once
#include <cstddef>
#include <cstdint>

namespace oz::toolrec {

constexpr size_t kWireSize = 156;
constexpr size_t kCallerSize = 140;

struct Field {
  uint8_t wire;          // byte offset in the wire record
  uint8_t wire_width;    // 2 or 4
  uint8_t caller;        // byte offset in the caller's record
  uint8_t caller_width;  // 1, 2 or 4
};

constexpr Field f4(uint8_t w, uint8_t c) { return {w, 4, c, 4}; }
constexpr Field f2(uint8_t w, uint8_t c) { return {w, 4, c, 2}; }

// Field k of the record is item kind k of the single-item write.
constexpr Field kFields[] = {
    f4(0, 0),   f4(4, 4),   f4(8, 8),   f4(12, 12), {16, 4, 16, 1}, {20, 4, 17, 1},
    f2(24, 18), f2(28, 20), f2(32, 22), f4(36, 24), f4(40, 28),     f2(44, 32),
    f2(48, 34), f2(52, 36), f2(56, 38), f2(60, 40), {64, 2, 42, 2}, {66, 2, 44, 2},
    f2(68, 46), f2(72, 48),
    f4(76, 60),   f4(80, 64),   f4(84, 68),   f4(88, 72),   f4(92, 76),
    f4(96, 80),   f4(100, 84),  f4(104, 88),  f4(108, 92),  f4(112, 96),
    f4(116, 100), f4(120, 104), f4(124, 108), f4(128, 112), f4(132, 116),
    f4(136, 120), f4(140, 124), f4(144, 128), f4(148, 132), f4(152, 136),
};
constexpr int kFieldCount = int(sizeof kFields / sizeof kFields[0]);
static_assert(kFieldCount == 40);

// The 16-bit wire field at 66 (field 17) is mirrored by a caller byte on
// controllers that flag it in their configuration.
constexpr int kMirroredField = 17;
constexpr size_t kMirrorByte = 50;

}  // namespace oz::toolrec
