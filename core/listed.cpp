#include "core/listed.h"

namespace oz {

std::vector<const ListedRow*>& listed_rows() {
  static auto* rows = new std::vector<const ListedRow*>;
  return *rows;
}

int16_t listed_call(uint16_t hn, const ListedRow& row, const int32_t* a, int16_t* length,
                    void* buf) {
  auto arglist = args(a[0], a[1], a[2], a[3]);
  return call(hn, row.name, arglist, [&](Call& c) {
    const int16_t len = length ? *length : 0;
    if (row.shape != Listed::Action) {
      expect(length != nullptr && len >= 0, EW_SIZE);
      expect(len == 0 || buf != nullptr, EW_SIZE);
    }
    for (uint8_t i = 0; i < row.ncmds; ++i) {
      Rb rb = Rb{row.cls, row.cmds[i]};
      for (uint8_t k = 0; k < row.nargs; ++k) rb.a[k] = uint32_t(a[k]);
      if (i + 1 == row.ncmds && row.shape == Listed::Write) rb.with(buf, uint16_t(len));
      c.add(rb);
    }
    c.exchange();
    size_t copied = 0;
    for (uint8_t i = 0; i < row.ncmds; ++i) {
      Reader d = c.rb(i);
      if (row.shape == Listed::Read)
        copied += d.copy(static_cast<uint8_t*>(buf) + copied, 0, size_t(len) - copied);
    }
    if (row.shape == Listed::Read) *length = int16_t(copied);
  });
}

}  // namespace oz
