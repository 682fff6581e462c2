// The stored message block the message server keeps per registration, and
// our own push from the simulated controller to the message server stand-in
// (a real controller's push protocol is the server's business, not the
// library's; this one is documented in tools/ozmsgd.md).
//
// Push: one TCP connection per message to the server's push port, carrying
//   0  4  "OZUP"
//   4  2  registration number (big-endian)
//   6  2  transmission setting number (big-endian)
//   8  4  block length N (big-endian)
//  12  N  the stored block, exactly as the server lays it in "Message%d"
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

namespace oz::sim::push {

constexpr size_t kHeader = 12;
// The largest block the stand-in keeps; the "Message%d" memory is made this
// large once, so a longer message later never has to replace it.
constexpr size_t kMaxBlock = 8192;

struct BlockEntry {
  uint16_t tag;
  uint16_t word;                  // not stored in the short form
  std::vector<uint8_t> data;
};

// The block of the entries: the short form (tag, length, data) when the first
// tag is 1, the long form (tag, word, length, data) otherwise. Entries that
// would pass kMaxBlock are left out.
inline std::vector<uint8_t> stored_block(const std::vector<BlockEntry>& entries) {
  const bool short_form = !entries.empty() && entries[0].tag == 1;
  std::vector<uint8_t> b(2, 0);
  uint16_t n = 0;
  auto put16 = [&](uint16_t v) {
    uint8_t w[2];
    std::memcpy(w, &v, 2);
    b.insert(b.end(), w, w + 2);
  };
  for (const BlockEntry& e : entries) {
    const size_t head = short_form ? 4 : 6;
    if (e.data.size() > 0xFFFF || b.size() + head + e.data.size() > kMaxBlock) break;
    put16(e.tag);
    if (!short_form) put16(e.word);
    put16(uint16_t(e.data.size()));
    b.insert(b.end(), e.data.begin(), e.data.end());
    ++n;
  }
  std::memcpy(b.data(), &n, 2);
  return b;
}

inline std::vector<uint8_t> frame(uint16_t reg, uint16_t number, const std::vector<uint8_t>& block) {
  std::vector<uint8_t> f = {'O', 'Z', 'U', 'P', uint8_t(reg >> 8), uint8_t(reg), uint8_t(number >> 8),
                            uint8_t(number)};
  const uint32_t n = uint32_t(block.size());
  for (int s = 24; s >= 0; s -= 8) f.push_back(uint8_t(n >> s));
  f.insert(f.end(), block.begin(), block.end());
  return f;
}

struct Header {
  uint16_t reg, number;
  uint32_t length;
};

// False for bytes that are not a push header, or announce more than kMaxBlock.
inline bool parse_header(const uint8_t h[kHeader], Header* out) {
  if (std::memcmp(h, "OZUP", 4) != 0) return false;
  out->reg = uint16_t(h[4] << 8 | h[5]);
  out->number = uint16_t(h[6] << 8 | h[7]);
  out->length = uint32_t(h[8]) << 24 | uint32_t(h[9]) << 16 | uint32_t(h[10]) << 8 | h[11];
  return out->length <= kMaxBlock;
}

}  // namespace oz::sim::push
