// Single PMC addresses: opaque numbers the PMC issues, read, written and
// converted one request each.
#include "api/pmc/pmc.h"
#include "core/listed.h"

using namespace oz;
using namespace oz::pmcio;

// One shape per group: read a value, write a value, combine a byte, convert
// an address, ask a question whose answer is the result word.
#define OZ_PMC_READ(name, cmd, T)                                                       \
  OZ_EXPORT int16_t OZ_CALL name(uint16_t h, uint32_t address, T* value) {              \
    return call(h, __func__, args(address, value),                                      \
                [&](Call& c) { *value = answer<T>(c, pmc(cmd).arg1(address)); });       \
  }
#define OZ_PMC_WRITE(name, cmd, T)                                                      \
  OZ_EXPORT int16_t OZ_CALL name(uint16_t h, uint32_t address, T value) {               \
    return call(h, __func__, args(address, value),                                      \
                [&](Call& c) { c.exchange(pmc(cmd).args(address, value)); });           \
  }
#define OZ_PMC_LOGICAL(name, cmd)                                                       \
  OZ_EXPORT int16_t OZ_CALL name(uint16_t h, uint32_t address, uint8_t operand,         \
                                 uint8_t* result) {                                     \
    return call(h, __func__, args(address, operand, result), [&](Call& c) {             \
      *result = answer<uint8_t>(c, pmc(cmd).args(address, operand));                   \
    });                                                                                 \
  }
#define OZ_PMC_CONVERT(name, cmd)                                                       \
  OZ_EXPORT int16_t OZ_CALL name(uint16_t h, uint32_t address, uint32_t* out) {         \
    return call(h, __func__, args(address, out),                                        \
                [&](Call& c) { *out = answer<uint32_t>(c, pmc(cmd).arg1(address)); });  \
  }
#define OZ_PMC_ASK(name, cmd)                                                           \
  OZ_EXPORT int16_t OZ_CALL name(uint16_t h, uint32_t address) {                        \
    return call(h, __func__, args(address),                                             \
                [&](Call& c) { return answer_code(c, pmc(cmd).arg1(address)); });       \
  }

namespace {

// The PMC answers these questions in the result word; a "no" is an answer,
// not a failure, so it is neither logged nor recorded.
int16_t answer_code(Call& c, const Rb& rb) {
  c.add(rb);
  c.exchange();
  return c.result(0);
}

}  // namespace

OZ_PMC_READ(pmc_read_pmc_address_uint32, 32804, uint32_t)
OZ_PMC_READ(pmc_read_pmc_address_uint16, 32805, uint16_t)
OZ_PMC_READ(pmc_read_pmc_address_uint8, 32806, uint8_t)
OZ_PMC_READ(pmc_read_pmc_address_bit, 32807, uint8_t)
OZ_PMC_READ(pmc_read_vio_address_uint32, 32816, uint32_t)
OZ_PMC_READ(pmc_read_vio_address_uint16, 32817, uint16_t)
OZ_PMC_READ(pmc_read_vio_address_uint8, 32818, uint8_t)
OZ_PMC_READ(pmc_read_vio_address_bit, 32819, uint8_t)
OZ_PMC_WRITE(pmc_write_pmc_address_uint32, 32809, uint32_t)
OZ_PMC_WRITE(pmc_write_pmc_address_uint16, 32810, uint16_t)
OZ_PMC_WRITE(pmc_write_pmc_address_uint8, 32811, uint8_t)
OZ_PMC_WRITE(pmc_write_pmc_address_bit, 32812, uint8_t)
OZ_PMC_WRITE(pmc_write_vio_address_uint32, 32820, uint32_t)
OZ_PMC_WRITE(pmc_write_vio_address_uint16, 32821, uint16_t)
OZ_PMC_WRITE(pmc_write_vio_address_uint8, 32822, uint8_t)
OZ_PMC_WRITE(pmc_write_vio_address_bit, 32823, uint8_t)
OZ_PMC_LOGICAL(pmc_logical_or_pmc_address_uint8, 32813)
OZ_PMC_LOGICAL(pmc_logical_and_pmc_address_uint8, 32814)
OZ_PMC_LOGICAL(pmc_logical_xor_pmc_address_uint8, 32815)
OZ_PMC_LOGICAL(pmc_logical_or_vio_address_uint8, 32824)
OZ_PMC_LOGICAL(pmc_logical_and_vio_address_uint8, 32825)
OZ_PMC_LOGICAL(pmc_logical_xor_vio_address_uint8, 32826)
OZ_PMC_ASK(pmc_is_effective_pmc_address, 32798)
OZ_PMC_ASK(pmc_is_writable_pmc_address, 32799)
OZ_PMC_ASK(pmc_is_bit_accessible_pmc_address, 32800)
OZ_PMC_ASK(pmc_is_visible_pmc_address, 32801)
OZ_PMC_CONVERT(pmc_convert_pmc_address_to_sync, 32829)
OZ_PMC_CONVERT(pmc_convert_pmc_address_from_sync, 32830)
OZ_PMC_CONVERT(pmc_convert_vio_address_to_sync, 32831)
OZ_PMC_CONVERT(pmc_convert_vio_address_from_sync, 32832)

#define ROWS(X) X(pmc_convert_pmc_address_to_string, Read, 2, (32828), address, a2, a3, a4)
ROWS(OZ_LISTED_DEFINE)
OZ_LISTED_TABLE(pmc_address, ROWS)
#undef ROWS

OZ_EXPORT int16_t OZ_CALL pmc_check_permission(uint16_t h, int32_t a1, int32_t a2, int32_t a3) {
  return call(h, __func__, args(a1, a2, a3),
              [&](Call& c) { return answer_code(c, pmc(32848).args(a1, a2, a3)); });
}

OZ_EXPORT int16_t OZ_CALL pmc_convert_address_pmc_to_vio(uint16_t h, uint32_t address,
                                                         uint32_t* vio, uint32_t* extra) {
  return call(h, __func__, args(address, vio, extra), [&](Call& c) {
    Reader d = c.exchange(pmc(32802).arg1(address));
    const uint32_t a = d.u32(0), b = d.u32(4);
    *vio = a;
    *extra = b;
  });
}

OZ_EXPORT int16_t OZ_CALL pmc_convret_address_vio_to_pmc(uint16_t h, uint32_t vio,
                                                         uint32_t extra, uint32_t* address) {
  return call(h, __func__, args(vio, extra, address), [&](Call& c) {
    *address = answer<uint32_t>(c, pmc(32803).args(vio, extra));
  });
}

// The text travels with its terminator; one request's data bounds it.
OZ_EXPORT int16_t OZ_CALL pmc_parse_string_into_pmc_address(uint16_t h, const char* text,
                                                            uint32_t* address, uint8_t* extra) {
  return call(h, __func__, args(text, address, extra), [&](Call& c) {
    expect(text != nullptr, EW_VALUE);
    const size_t n = strnlen(text, 1420);
    expect(n < 1420, EW_VALUE);
    Reader d = c.exchange(pmc(32827).arg1(0).with(text, uint16_t(n + 1)));
    const uint32_t a = d.u32(0);
    const uint8_t x = d.u8(4);
    *address = a;
    *extra = x;
  });
}

// The record comes back whole or the answer is no answer (EW_SIZE).
OZ_EXPORT int16_t OZ_CALL pmc_convert_from_string_to_address(uint16_t h, uint8_t* record84) {
  return call(h, __func__, args(record84), [&](Call& c) {
    Reader d = c.exchange(pmc(32859).with(record84, 84)).sub(0, 84);
    d.copy(record84, 0, 84);
  });
}

namespace {

// Timers are numbered from 1; the whole list fits one request.
int timer_span(int32_t first, int32_t last) {
  expect(first >= 1 && last >= 1 && first <= last, EW_RANGE);
  expect(int64_t(last) - first + 1 <= 710, EW_RANGE);
  return last - first + 1;
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL pmc_get_timer_type(uint16_t h, int32_t first, int32_t last,
                                             int16_t* types) {
  return call(h, __func__, args(first, last, types), [&](Call& c) {
    const int n = timer_span(first, last);
    // Every timer asked for gets its type, or the call fails (EW_SIZE).
    Reader d = c.exchange(pmc(32842).args(first, last)).sub(0, 2 * n);
    for (int i = 0; i < n; ++i) types[i] = d.i16(2 * i);
  });
}

OZ_EXPORT int16_t OZ_CALL pmc_set_timer_type(uint16_t h, int32_t first, int32_t last,
                                             const int16_t* types) {
  return call(h, __func__, args(first, last, types), [&](Call& c) {
    const int n = timer_span(first, last);
    RbData d = c.add(pmc(32843).args(first, last));
    for (int i = 0; i < n; ++i) d.i16(types[i]);
    c.exchange();
    c.rb(0);
  });
}
