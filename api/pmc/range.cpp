// PMC address ranges: reads and writes of an area in one of five item types.
#include <cstddef>

#include "api/pmc/pmc.h"

using namespace oz;
using namespace oz::pmcio;

static_assert(offsetof(pmcrng_t, data_type) == 2 && offsetof(pmcrng_t, datano_s) == 4 &&
              offsetof(pmcrng_t, datano_e) == 6 && offsetof(pmcrng_t, u) == 8);
static_assert(sizeof(pmcarea_t) == 6 && offsetof(pmcarea_t, top_num) == 2 &&
              offsetof(pmcarea_t, last_num) == 4 && offsetof(pmcinfo_t, info) == 2);
static_assert(sizeof(pmcrwreq_t) == 24 && offsetof(pmcrwreq_t, length) == 8 &&
              offsetof(pmcrwreq_t, swap) == 10 && offsetof(pmcrwreq_t, result) == 12 &&
              offsetof(pmcrwreq_t, data) == 16);

namespace {

constexpr uint16_t kRead = 32769, kWrite = 32770, kWrite2 = 32865, kInfo = 32771;
// Data bytes one reply and one request carry.
constexpr uint32_t kReadChunk = 1432, kWriteChunk = 1420;

int checked_size(int16_t data_type) {
  const int size = item_size(data_type);
  expect(size != 0, EW_KIND);
  return size;
}

int16_t write_range(uint16_t h, const char* fn, uint16_t cmd, uint16_t length,
                    const pmcrng_t* buf) {
  return call(h, fn, args(length, buf), [&](Call& c) {
    expect(length >= 8, EW_SIZE);
    const int size = checked_size(buf->data_type);
    const uint16_t s = buf->datano_s, e = buf->datano_e;
    expect(e >= s, EW_RANGE);
    const uint32_t bytes = uint32_t(e) - s + 1;
    expect(length >= bytes + 8, EW_SIZE);
    const auto* items = reinterpret_cast<const uint8_t*>(buf) + 8;
    in_chunks(c, bytes, kWriteChunk / size * size, [&](uint64_t done, uint64_t n) {
      const uint32_t at = s + uint32_t(done);
      const size_t count = size_t(n) / size;
      uint8_t wire[kWriteChunk];
      items_to_wire(wire, items + done, count, size);
      c.add(pmc(cmd).args(at, at + n - 1, buf->adr_type, buf->data_type))
          .bytes(wire, count * size);
      c.exchange();
      c.rb(0);
      return n;
    });
  });
}

// Exchanges the two bytes of each 16-bit half (words) or all four (longs).
uint32_t swapped(uint32_t w, const pmcrwreq_t& r) {
  if (r.swap != 1) return w;
  if (r.data_type == 1) return ((w & 0x00FF00FFu) << 8) | ((w >> 8) & 0x00FF00FFu);
  if (r.data_type == 2)
    return (w >> 24) | ((w >> 8) & 0xFF00u) | ((w << 8) & 0xFF0000u) | (w << 24);
  return w;
}

// The entry's own result when it cannot be sent; 0 when it can.
int16_t entry_fault(const pmcrwreq_t& r, int count, int32_t* read, int32_t* written) {
  if (r.kind != 0 && r.kind != 1) return EW_VALUE;
  if (r.data_type < 0 || r.data_type > 2) return EW_KIND;
  if (r.start % 4 != 0) return EW_RANGE;
  if (r.length < 0 || r.length % 4 != 0) return EW_SIZE;
  int32_t& total = r.kind == 0 ? *read : *written;
  const int32_t limit = r.kind == 0 ? 2892 - 16 * count : 2880 - 28 * count;
  if (total + r.length > limit) return EW_BUFFER;
  total += r.length;
  return 0;
}

}  // namespace

// Items go into the caller's buffer in the order the PMC sends them; the
// buffer's own length bounds them even if a reply holds more than was asked.
OZ_EXPORT int16_t OZ_CALL pmc_rdpmcrng(uint16_t h, int16_t adr_type, int16_t data_type,
                                       uint16_t s_number, uint16_t e_number, uint16_t length,
                                       pmcrng_t* buf) {
  return call(h, __func__, args(adr_type, data_type, s_number, e_number, length, buf),
              [&](Call& c) {
    const int size = checked_size(data_type);
    expect(e_number >= s_number, EW_RANGE);
    const uint32_t bytes = uint32_t(e_number) - s_number + 1;
    expect(length >= bytes + 8, EW_SIZE);
    auto* items = reinterpret_cast<uint8_t*>(buf) + 8;
    const uint32_t room = length - 8u;
    const uint64_t got = in_chunks(c, bytes, kReadChunk / size * size, [&](uint64_t done, uint64_t n) {
      const uint32_t at = s_number + uint32_t(done);
      Reader d = c.exchange(pmc(kRead).args(at, at + n - 1, adr_type, data_type));
      const size_t asked = size_t(n + size - 1) / size;
      const size_t count = std::min({d.size() / size_t(size), (room - done) / size, asked});
      items_from_wire(items + done, d.raw(), count, size);
      return uint64_t(count) * size;
    });
    // The end says what came: a PMC that ends the range early is not made
    // to look as if it had sent it all, and one that sends nothing has not
    // answered.
    expect(got > 0, EW_SIZE);
    buf->adr_type = adr_type;
    buf->data_type = data_type;
    buf->datano_s = s_number;
    buf->datano_e = uint16_t(s_number + got - 1);
  });
}

OZ_EXPORT int16_t OZ_CALL pmc_wrpmcrng(uint16_t h, uint16_t length, const pmcrng_t* buf) {
  return write_range(h, __func__, kWrite, length, buf);
}

OZ_EXPORT int16_t OZ_CALL pmc_wrpmcrng2(uint16_t h, uint16_t length, const pmcrng_t* buf) {
  return write_range(h, __func__, kWrite2, length, buf);
}

// Entries that fail their own tests keep their result and are not sent; the
// call itself fails only for the whole request.
OZ_EXPORT int16_t OZ_CALL pmc_rdwrpmcrng(uint16_t h, int16_t count, pmcrwreq_t* req) {
  return call(h, __func__, args(count, req), [&](Call& c) {
    expect(c.h.has(kDialectCurrent), EW_UNAVAILABLE);
    expect_range(count, 1, 32, EW_RANGE);
    int sent[32];
    int n = 0;
    int32_t read = 0, written = 0;
    for (int i = 0; i < count; ++i) {
      pmcrwreq_t& r = req[i];
      r.result = entry_fault(r, count, &read, &written);
      if (r.result != 0) continue;
      const uint32_t last = uint32_t(r.start) + uint32_t(r.length) - 1;
      RbData d = c.add(pmc(r.kind == 0 ? kRead : kWrite).args(r.start, last, r.adr_type, 2));
      if (r.kind == 1)
        for (int k = 0; k < r.length / 4; ++k) {
          uint32_t w;
          std::memcpy(&w, static_cast<const uint8_t*>(r.data) + 4 * k, 4);
          d.u32(swapped(w, r));
        }
      sent[n++] = i;
    }
    if (n == 0) return;
    c.exchange();
    for (int k = 0; k < n; ++k) {
      pmcrwreq_t& r = req[sent[k]];
      r.result = c.result(k);
      if (r.kind != 0 || r.result != 0) continue;
      Reader d = c.rbAny(k);
      // An entry the reply does not fill gets a result of its own.
      if (d.size() < r.length) r.result = EW_SIZE;
      const int words = std::min<int>(r.length, d.size()) / 4;
      for (int i = 0; i < words; ++i) {
        const uint32_t w = swapped(d.u32(4 * i), r);
        std::memcpy(static_cast<uint8_t*>(r.data) + 4 * i, &w, 4);
      }
    }
  });
}

// Areas beyond the 64 the record holds are left out.
OZ_EXPORT int16_t OZ_CALL pmc_rdpmcinfo(uint16_t h, int16_t adr_type, pmcinfo_t* info) {
  return call(h, __func__, args(adr_type, info), [&](Call& c) {
    Reader d = c.exchange(pmc(kInfo).arg1(adr_type));
    constexpr int kRoom = sizeof info->info / sizeof info->info[0];
    const int n = std::clamp<int32_t>(d.i32(0), 0, kRoom);
    for (int i = 0; i < n; ++i) {
      Reader e = d.sub(4 + 12 * i, 12);
      info->info[i] = {char(e.u16(0)), uint8_t(e.u16(2)), uint16_t(e.u32(4)),
                       uint16_t(e.u32(8))};
    }
    info->datano = int16_t(n);
  });
}
