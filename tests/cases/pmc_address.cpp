#include <array>

#include "tests/cases/cases.h"

namespace {
constexpr uint32_t kR100 = 0x00090064;   // any number the PMC handed out
const int16_t kTimerTypes[] = {0, 1, 1, 2};
}  // namespace

OZ_EXPORT_CASES(pmc_address) = {
    OZ_CASE(pmc_convert_from_string_to_address, h, a.in(std::array<uint8_t, 84>{'R', '1', '0', '0'})->data()),
    OZ_CASE(pmc_parse_string_into_pmc_address, h, a.text("X8.2"), a.get<uint32_t>(), a.get<uint8_t>()),
    OZ_CASE(pmc_read_pmc_address_uint32, h, kR100, a.get<uint32_t>()),
    OZ_CASE(pmc_read_pmc_address_uint16, h, kR100, a.get<uint16_t>()),
    OZ_CASE(pmc_read_pmc_address_uint8, h, kR100, a.get<uint8_t>()),
    OZ_CASE(pmc_read_pmc_address_bit, h, kR100, a.get<uint8_t>()),
    OZ_CASE(pmc_read_vio_address_uint32, h, kR100, a.get<uint32_t>()),
    OZ_CASE(pmc_read_vio_address_uint16, h, kR100, a.get<uint16_t>()),
    OZ_CASE(pmc_read_vio_address_uint8, h, kR100, a.get<uint8_t>()),
    OZ_CASE(pmc_read_vio_address_bit, h, kR100, a.get<uint8_t>()),
    OZ_CASE(pmc_write_pmc_address_uint32, h, kR100, 0x01020304),
    OZ_CASE(pmc_write_pmc_address_uint16, h, kR100, 0x0506),
    OZ_CASE(pmc_write_pmc_address_uint8, h, kR100, 0x07),
    OZ_CASE(pmc_write_pmc_address_bit, h, kR100, 1),
    OZ_CASE(pmc_write_vio_address_uint32, h, kR100, 0x01020304),
    OZ_CASE(pmc_write_vio_address_uint16, h, kR100, 0x0506),
    OZ_CASE(pmc_write_vio_address_uint8, h, kR100, 0x07),
    OZ_CASE(pmc_write_vio_address_bit, h, kR100, 0),
    OZ_CASE(pmc_logical_or_pmc_address_uint8, h, kR100, 0x81, a.get<uint8_t>()),
    OZ_CASE(pmc_logical_and_pmc_address_uint8, h, kR100, 0x0F, a.get<uint8_t>()),
    OZ_CASE(pmc_logical_xor_pmc_address_uint8, h, kR100, 0xFF, a.get<uint8_t>()),
    OZ_CASE(pmc_logical_or_vio_address_uint8, h, kR100, 0x81, a.get<uint8_t>()),
    OZ_CASE(pmc_logical_and_vio_address_uint8, h, kR100, 0x0F, a.get<uint8_t>()),
    OZ_CASE(pmc_logical_xor_vio_address_uint8, h, kR100, 0xFF, a.get<uint8_t>()),
    OZ_CASE(pmc_is_effective_pmc_address, h, kR100),
    OZ_CASE(pmc_is_writable_pmc_address, h, kR100),
    OZ_CASE(pmc_is_bit_accessible_pmc_address, h, kR100),
    OZ_CASE(pmc_is_visible_pmc_address, h, kR100),
    OZ_CASE(pmc_check_permission, h, 1, 0, 0),
    OZ_CASE(pmc_convert_address_pmc_to_vio, h, kR100, a.get<uint32_t>(), a.get<uint32_t>()),
    OZ_CASE(pmc_convret_address_vio_to_pmc, h, kR100, 0, a.get<uint32_t>()),
    OZ_CASE(pmc_convert_pmc_address_to_sync, h, kR100, a.get<uint32_t>()),
    OZ_CASE(pmc_convert_pmc_address_from_sync, h, kR100, a.get<uint32_t>()),
    OZ_CASE(pmc_convert_vio_address_to_sync, h, kR100, a.get<uint32_t>()),
    OZ_CASE(pmc_convert_vio_address_from_sync, h, kR100, a.get<uint32_t>()),
    OZ_CASE(pmc_get_timer_type, h, 1, 4, a.get<int16_t>(4 * sizeof(int16_t))),
    OZ_CASE(pmc_set_timer_type, h, 1, 4, kTimerTypes),
};
