#include "tests/cases/cases.h"

namespace {
const uint8_t kDido[] = {0x10, 0x20, 0x30, 0x40};
}  // namespace

OZ_EXPORT_CASES(pmc_unit) = {
    OZ_CASE(pmc_select_pmc_unit, h, 0),
    OZ_CASE(pmc_get_current_pmc_unit, h, a.get<int32_t>()),
    OZ_CASE(pmc_get_number_of_pmc, h, a.get<int32_t>()),
    OZ_CASE(pmc_get_pmc_unit_types, h, a.get<int32_t>(8 * sizeof(int32_t)), a.count<int32_t>(8)),
    OZ_CASE(pmc_select_pmc, h, 1),
    OZ_CASE(pmc_get_current_pmc, h, a.get<int32_t>()),
    OZ_CASE(pmc_get_system_language, h, a.get<int32_t>()),
    OZ_CASE(pmc_set_language, h, 1),
    OZ_CASE(pmc_get_language, h, a.get<int32_t>()),
    OZ_CASE(pmc_read_pmc_software_version, h, a.get<pmcswver_t>()),
    OZ_CASE(pmc_get_unit_type, h, 0, a.get<int32_t>()),
    OZ_CASE(pmc_search_unit_type, h, 1, a.get<int32_t>()),
    OZ_CASE(pmc_get_number_of_address_entries, h, a.get<int32_t>()),
    OZ_CASE(pmc_get_address_entry, h, 0, a.count<int32_t>(4), a.get<pmcadrent_t>(4 * sizeof(pmcadrent_t))),
    OZ_CASE(pmc_write_cnc_dido, h, 1, 0, 0, sizeof kDido, kDido),
    OZ_CASE(pmc_read_seq_program_status, h, a.get<int32_t>()),
    OZ_CASE(pmc_kpmsiz, h, a.get<uint32_t>()),
};
