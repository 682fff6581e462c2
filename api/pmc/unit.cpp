// PMC units, languages and the single requests that answer with one number.
#include <cstddef>

#include "api/pmc/pmc.h"
#include "core/listed.h"

using namespace oz;
using namespace oz::pmcio;

static_assert(sizeof(pmcswver_t) == 12 && offsetof(pmcswver_t, version) == 8);
static_assert(sizeof(pmcadrent_t) == 12 && offsetof(pmcadrent_t, attr) == 2 &&
              offsetof(pmcadrent_t, top) == 4 && offsetof(pmcadrent_t, last) == 8);

// Exports of one shape each: a request that answers with its first data word,
// one that only carries a number, and one that maps a number to another.
#define OZ_PMC_GET(name, cmd, T)                                                   \
  OZ_EXPORT int16_t OZ_CALL name(uint16_t h, T* out) {                             \
    return call(h, __func__, args(out), [&](Call& c) { *out = answer<T>(c, pmc(cmd)); }); \
  }
#define OZ_PMC_SET(name, cmd)                                                      \
  OZ_EXPORT int16_t OZ_CALL name(uint16_t h, int32_t v) {                          \
    return call(h, __func__, args(v), [&](Call& c) { c.exchange(pmc(cmd).arg1(v)); }); \
  }
#define OZ_PMC_MAP(name, cmd)                                                      \
  OZ_EXPORT int16_t OZ_CALL name(uint16_t h, int32_t in, int32_t* out) {           \
    return call(h, __func__, args(in, out),                                        \
                [&](Call& c) { *out = answer<int32_t>(c, pmc(cmd).arg1(in)); });   \
  }

OZ_PMC_GET(pmc_get_number_of_pmc, 32782, int32_t)
OZ_PMC_SET(pmc_select_pmc, 32785)
OZ_PMC_GET(pmc_get_current_pmc, 32786, int32_t)
OZ_PMC_GET(pmc_get_system_language, 32787, int32_t)
OZ_PMC_SET(pmc_set_language, 32788)
OZ_PMC_GET(pmc_get_language, 32789, int32_t)
OZ_PMC_MAP(pmc_get_unit_type, 32791)
OZ_PMC_MAP(pmc_search_unit_type, 32792)
OZ_PMC_GET(pmc_get_number_of_address_entries, 32794, int32_t)
OZ_PMC_GET(pmc_read_seq_program_status, 32808, int32_t)
OZ_PMC_GET(pmc_kpmsiz, 32778, uint32_t)

#define ROWS(X)                                                     \
  X(pmc_read_cnc_dido, Read, 2, (32796), a1, a2, a3, a4)            \
  X(pmc_read_seq_program_and_memory_type, Read, 2, (32844))         \
  X(pmc_select_divided_ladder, Action, 2, (32860), number)          \
  X(pmc_get_current_divided_ladder, Read, 2, (32861))               \
  X(pmc_get_number_of_ladder, Read, 2, (32862))                     \
  X(pmc_get_divided_ladders, Read, 2, (32863))
ROWS(OZ_LISTED_DEFINE)
OZ_LISTED_TABLE(pmc_unit, ROWS)
#undef ROWS

// The unit changes only once the PMC has accepted it, so a refused selection
// leaves the handle talking to the unit it had.
OZ_EXPORT int16_t OZ_CALL pmc_select_pmc_unit(uint16_t h, int32_t unit) {
  return call(h, __func__, args(unit), [&](Call& c) {
    c.exchange(pmc(32780).arg1(unit));
    c.h.pmc_unit = uint32_t(unit);
    OZ_LOG(4) << "Set unit: current pmc unit path =" << unit;
  });
}

OZ_EXPORT int16_t OZ_CALL pmc_get_current_pmc_unit(uint16_t h, int32_t* unit) {
  return local(h, __func__, [&](Handle& r) { *unit = int32_t(r.pmc_unit & 0xFF); });
}

OZ_EXPORT int16_t OZ_CALL pmc_get_pmc_unit_types(uint16_t h, int32_t* types, int32_t* count) {
  return call(h, __func__, args(types, oz::count(count)), [&](Call& c) {
    expect(*count >= 0, EW_SIZE);
    Reader d = c.exchange(pmc(32783).arg1(*count));
    const int n = std::min<int>(d.size() / 4, *count);
    for (int i = 0; i < n; ++i) types[i] = d.i32(4 * i);
    *count = n;
  });
}

OZ_EXPORT int16_t OZ_CALL pmc_read_pmc_software_version(uint16_t h, pmcswver_t* version) {
  return call(h, __func__, args(version), [&](Call& c) {
    Reader d = c.exchange(pmc(32790)).sub(0, 12);
    d.copy(version->series, 0, sizeof version->series);
    d.copy(version->version, 8, sizeof version->version);
  });
}

OZ_EXPORT int16_t OZ_CALL pmc_get_address_entry(uint16_t h, int32_t first, int32_t* count,
                                                pmcadrent_t* entries) {
  return call(h, __func__, args(first, oz::count(count), entries), [&](Call& c) {
    expect(*count >= 0, EW_SIZE);
    *count = int32_t(in_chunks(c, uint64_t(*count), 119, [&](uint64_t done, uint64_t n) {
      Reader d = c.exchange(pmc(32795).args(first + int64_t(done), n));
      const uint64_t got = std::min<uint64_t>(d.size() / 12, n);
      for (uint64_t i = 0; i < got; ++i) {
        Reader e = d.sub(int(12 * i), 12);
        entries[done + i] = {e.i16(0), e.i16(2), e.i32(4), e.i32(8)};
      }
      return got;
    }));
  });
}

OZ_EXPORT int16_t OZ_CALL pmc_write_cnc_dido(uint16_t h, int32_t a1, int32_t a2, int32_t a3,
                                             int32_t a4, const void* buf) {
  return call(h, __func__, args(a1, a2, a3, a4, buf), [&](Call& c) {
    expect_range(a4, 0, 1420, EW_SIZE);
    expect(a4 == 0 || buf != nullptr, EW_SIZE);
    c.exchange(pmc(32797).args(a1, a2, a3, a4).with(buf, uint16_t(a4)));
  });
}
