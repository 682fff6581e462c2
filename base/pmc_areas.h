// PMC address areas and range items, shared by the exports and the
// simulated PMC. Header-only so the simulator needs nothing of the library.
#pragma once
#include <cstdint>

namespace oz::pmcio {

// Letters of the area indices 0-12 the ladder display and the PMC use.
constexpr char kAreaLetters[] = "GFYXARTKCDMNE";
constexpr int kAreaCount = 13;

// Bytes per item of a range data type; 0 for a type the PMC does not have.
constexpr int item_size(int data_type) {
  switch (data_type) {
    case 0: return 1;
    case 1: return 2;
    case 2: case 4: return 4;
    case 5: return 8;
    default: return 0;
  }
}

// Wire items are big-endian whatever their type; a float or double travels
// as the big-endian image of its bits, a double high half first.
inline uint64_t get_be(const uint8_t* p, int size) {
  uint64_t v = 0;
  for (int i = 0; i < size; ++i) v = (v << 8) | p[i];
  return v;
}
inline void put_be(uint8_t* p, uint64_t v, int size) {
  for (int i = size - 1; i >= 0; --i, v >>= 8) p[i] = uint8_t(v);
}

}  // namespace oz::pmcio
