// Raw memory of the controller and of devices on its buses, as bytes, 16-bit
// or 32-bit words converted element by element; the EDM memory reads.
#include <cstring>

#include "api/machine/pieces.h"
#include "core/listed.h"

using namespace oz;
using namespace oz::machine;

namespace {

// Where a request goes: a bus device, or (a negative bus) the controller.
struct Target {
  uint16_t cmd;
  uint32_t bus;
};
Target target(int16_t bus, bool write) {
  if (bus < 0) return {uint16_t(write ? 172 : 171), 0};
  return {uint16_t(write ? 40 : 39), uint32_t(bus)};
}

int element_size(int16_t type) {
  expect_range(type, 0, 2, EW_KIND);
  return 1 << type;
}

void put_element(uint8_t* out, int size, const Reader& d, int off) {
  if (size == 1) *out = d.u8(off);
  else if (size == 2) store(out, 0, d.u16(off));
  else store(out, 0, d.u32(off));
}
void add_element(RbData& d, int size, const uint8_t* in) {
  if (size == 1) {
    d.u8(*in);
  } else if (size == 2) {
    uint16_t v;
    std::memcpy(&v, in, 2);
    d.u16(v);
  } else {
    uint32_t v;
    std::memcpy(&v, in, 4);
    d.u32(v);
  }
}

// A piece that brings fewer elements than asked is refused: the elements
// would stay as the caller left them while the call reports success.
int16_t readMemory(uint16_t h, const char* fn, int16_t type, int16_t bus, uint32_t address,
                   int32_t count, void* buf) {
  return call(h, fn, args(type, bus, address, count, buf), [&](Call& c) {
    const int size = element_size(type);
    expect(count >= 1, EW_SIZE);
    const Target t = target(bus, false);
    auto* out = static_cast<uint8_t*>(buf);
    in_pieces(c, {count, kReadPiece / size, false, false},
        [&](Call& q, int32_t done, int32_t n) {
          q.add(cnc(t.cmd).args(t.bus, address + uint32_t(done) * uint32_t(size), type, n));
        },
        [&](const Reader& d, int32_t done, int32_t n) {
          expect(d.size() >= n * size, EW_SIZE);
          for (int32_t i = 0; i < n; ++i) put_element(out + size_t(done + i) * size, size, d, size * i);
          return n;
        });
  });
}

int16_t writeMemory(uint16_t h, const char* fn, int16_t type, int16_t bus, uint32_t address,
                    int32_t count, const void* buf) {
  return call(h, fn, args(type, bus, address, count, buf), [&](Call& c) {
    const int size = element_size(type);
    expect(count >= 1, EW_SIZE);
    const Target t = target(bus, true);
    const auto* in = static_cast<const uint8_t*>(buf);
    in_pieces(c, {count, kWritePiece / size, false, false},
        [&](Call& q, int32_t done, int32_t n) {
          RbData d = q.add(cnc(t.cmd).args(t.bus, address + uint32_t(done) * uint32_t(size), type, 0));
          for (int32_t i = 0; i < n; ++i) add_element(d, size, in + size_t(done + i) * size);
        },
        [](const Reader&, int32_t, int32_t n) { return n; });
  });
}

constexpr int16_t kController = -1;

}  // namespace

OZ_EXPORT int16_t OZ_CALL cnc_rdcncmem(uint16_t h, int16_t type, uint32_t address, int32_t count,
                                       void* buf) {
  return readMemory(h, __func__, type, kController, address, count, buf);
}
OZ_EXPORT int16_t OZ_CALL cnc_wrcncmem(uint16_t h, int16_t type, uint32_t address, int32_t count,
                                       const void* buf) {
  return writeMemory(h, __func__, type, kController, address, count, buf);
}
OZ_EXPORT int16_t OZ_CALL cnc_rdfbusmem(uint16_t h, int16_t type, int16_t bus, uint32_t address,
                                        int32_t count, void* buf) {
  return readMemory(h, __func__, type, bus, address, count, buf);
}
OZ_EXPORT int16_t OZ_CALL cnc_wrfbusmem(uint16_t h, int16_t type, int16_t bus, uint32_t address,
                                        int32_t count, const void* buf) {
  return writeMemory(h, __func__, type, bus, address, count, buf);
}

#define MACHINE_MEMORY_ROWS(X)                        \
  X(cnc_rdedmcram, Read, 1, (550), offset, size)      \
  X(cnc_wredmcram, Write, 1, (551), offset)
MACHINE_MEMORY_ROWS(OZ_LISTED_DEFINE)
OZ_LISTED_TABLE(machine_memory, MACHINE_MEMORY_ROWS)
