// Control data, keep relays, titles and PMC parameters.
#include <cstddef>

#include "api/pmc/pmc.h"
#include "core/listed.h"

using namespace oz;
using namespace oz::pmcio;

static_assert(offsetof(pmccntl_t, datano_e) == 4 && offsetof(pmccntl_t, info) == 6 &&
              sizeof(pmccntl_t::info[0]) == 8);

#define ROWS(X)                                                  \
  X(pmc_rdcntlgrp, Read, 2, (32774), a1, a2)                     \
  X(pmc_wrcntlgrp, Write, 2, (32775), a1, a2)                    \
  X(pmc_rdcntl_exrelay_grp, Read, 2, (32857), a1, a2)            \
  X(pmc_wrcntl_exrelay_grp, Write, 2, (32858), a1, a2)           \
  X(pmc_rdpmctitle, Read, 2, (32779))                            \
  X(pmc_rdpmctitle2, Read, 2, (32864))                           \
  X(pmc_rdioconfigtitle, Read, 2, (32866))                       \
  X(pmc_rdmessagetitle, Read, 2, (32867))                        \
  X(pmc_rdprmstart, Action, 2, (32849))                          \
  X(pmc_rdprmend, Action, 2, (32851))                            \
  X(pmc_wrprmstart, Action, 2, (32852))                          \
  X(pmc_wrprmend, Action, 2, (32854))
ROWS(OZ_LISTED_DEFINE)
OZ_LISTED_TABLE(pmc_control, ROWS)
#undef ROWS

namespace {

constexpr int kCntlWords = 4;          // 16-bit words per entry
constexpr int kCntlMaxSpan = 178;      // a reply holds 179 entries at most
constexpr int kParamMax = 1024;

int16_t cntl_read(uint16_t h, const char* fn, uint16_t cmd, int16_t s, int16_t e,
                  int16_t length, pmccntl_t* buf) {
  return call(h, fn, args(s, e, length, buf), [&](Call& c) {
    expect(e >= s, EW_RANGE);
    const int last = std::min<int>(e, s + kCntlMaxSpan);
    const int n = last - s + 1;
    expect(length >= 6 + 8 * n, EW_SIZE);
    Reader d = c.exchange(pmc(cmd).args(s, last));
    const int got = std::min<int>(d.size() / 8, n);
    for (int i = 0; i < got; ++i)
      for (int k = 0; k < kCntlWords; ++k) buf->info[i].w[k] = d.i16(8 * i + 2 * k);
    buf->datano_s = s;
    buf->datano_e = int16_t(s + got - 1);
  });
}

int16_t cntl_write(uint16_t h, const char* fn, uint16_t cmd, int16_t length,
                   const pmccntl_t* buf) {
  return call(h, fn, args(length, buf), [&](Call& c) {
    expect(length >= 6, EW_SIZE);
    const int words = (length - 6) / 2;
    expect(words * 2 <= 1420, EW_RANGE);
    RbData d = c.add(pmc(cmd).args(buf->datano_s, buf->datano_e));
    const auto* w = reinterpret_cast<const uint8_t*>(buf) + 6;
    for (int i = 0; i < words; ++i) {
      int16_t v;
      std::memcpy(&v, w + 2 * i, 2);
      d.i16(v);
    }
    c.exchange();
    c.rb(0);
  });
}

// The keep-relay area is a plain byte string, so no conversion is needed.
// The caller has no count to learn a short read from: the PMC ending the
// range early fails the call (EW_SIZE).
template <class N>
int16_t kpm_read(uint16_t h, const char* fn, uint32_t offset, uint8_t* buf, N size) {
  return call(h, fn, args(offset, buf, size), [&](Call& c) {
    const uint64_t got = in_chunks(c, size, 1432, [&](uint64_t done, uint64_t n) {
      Reader d = c.exchange(pmc(32776).args(offset + done, n));
      return uint64_t(d.copy(buf + done, 0, size_t(n)));
    });
    expect(got == size, EW_SIZE);
  });
}

template <class N>
int16_t kpm_write(uint16_t h, const char* fn, uint32_t offset, const uint8_t* buf, N size) {
  return call(h, fn, args(offset, buf, size), [&](Call& c) {
    in_chunks(c, size, 1420, [&](uint64_t done, uint64_t n) {
      c.exchange(pmc(32777).arg1(offset + done).with(buf + done, uint16_t(n)));
      return n;
    });
  });
}

}  // namespace

OZ_EXPORT int16_t OZ_CALL pmc_rdcntldata(uint16_t h, int16_t s_number, int16_t e_number,
                                         int16_t length, pmccntl_t* buf) {
  return cntl_read(h, __func__, 32772, s_number, e_number, length, buf);
}
OZ_EXPORT int16_t OZ_CALL pmc_wrcntldata(uint16_t h, int16_t length, const pmccntl_t* buf) {
  return cntl_write(h, __func__, 32773, length, buf);
}
OZ_EXPORT int16_t OZ_CALL pmc_rdcntlexrelay(uint16_t h, int16_t s_number, int16_t e_number,
                                            int16_t length, pmccntl_t* buf) {
  return cntl_read(h, __func__, 32855, s_number, e_number, length, buf);
}
OZ_EXPORT int16_t OZ_CALL pmc_wrcntlexrelay(uint16_t h, int16_t length, const pmccntl_t* buf) {
  return cntl_write(h, __func__, 32856, length, buf);
}

OZ_EXPORT int16_t OZ_CALL pmc_rdkpm(uint16_t h, uint32_t offset, uint8_t* buf, uint16_t size) {
  return kpm_read(h, __func__, offset, buf, size);
}
OZ_EXPORT int16_t OZ_CALL pmc_rdkpm2(uint16_t h, uint32_t offset, uint8_t* buf, uint32_t size) {
  return kpm_read(h, __func__, offset, buf, size);
}
OZ_EXPORT int16_t OZ_CALL pmc_wrkpm(uint16_t h, uint32_t offset, const uint8_t* buf,
                                    uint16_t size) {
  return kpm_write(h, __func__, offset, buf, size);
}
OZ_EXPORT int16_t OZ_CALL pmc_wrkpm2(uint16_t h, uint32_t offset, const uint8_t* buf,
                                     uint32_t size) {
  return kpm_write(h, __func__, offset, buf, size);
}

OZ_EXPORT int16_t OZ_CALL pmc_rdpmcparam(uint16_t h, int16_t* length, void* buf) {
  return call(h, __func__, args(oz::count(length), buf), [&](Call& c) {
    expect(length != nullptr, EW_SIZE);
    expect_range(*length, 1, kParamMax, EW_SIZE);
    Reader d = c.exchange(pmc(32850).arg1(*length));
    *length = int16_t(d.copy(buf, 0, size_t(*length)));
  });
}

OZ_EXPORT int16_t OZ_CALL pmc_wrpmcparam(uint16_t h, int16_t length, const void* buf) {
  return call(h, __func__, args(length, buf), [&](Call& c) {
    expect_range(length, 1, kParamMax, EW_SIZE);
    c.exchange(pmc(32853).arg1(length).with(buf, uint16_t(length)));
  });
}
