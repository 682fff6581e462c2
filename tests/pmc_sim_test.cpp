// The library against the simulated PMC: write, then read back.
#include <cstring>

#include "sim/machine.h"
#include "sim/pmc_state.h"
#include "tests/support.h"

namespace oz::test {
namespace {

class PmcSim : public MachineTest {};

TEST_F(PmcSim, RangeWrittenAsWordsReadsBackInEveryWidth) {
  std::vector<uint8_t> buf(8 + 4000);
  auto* r = reinterpret_cast<pmcrng_t*>(buf.data());
  *r = pmcrng_t{5, 1, 100, 4099, {}};
  for (int i = 0; i < 2000; ++i) {
    const uint16_t v = uint16_t(i * 3);
    std::memcpy(buf.data() + 8 + 2 * i, &v, 2);
  }
  ASSERT_EQ(EW_SUCCESS, pmc_wrpmcrng(h, uint16_t(buf.size()), r));
  std::vector<uint8_t> back(buf.size(), 0);
  auto* b = reinterpret_cast<pmcrng_t*>(back.data());
  ASSERT_EQ(EW_SUCCESS, pmc_rdpmcrng(h, 5, 1, 100, 4099, uint16_t(back.size()), b));
  EXPECT_EQ(std::vector<uint8_t>(buf.begin() + 8, buf.end()),
            std::vector<uint8_t>(back.begin() + 8, back.end()));
  pmcrng_t bytes{};
  ASSERT_EQ(EW_SUCCESS, pmc_rdpmcrng(h, 5, 0, 102, 103, 10, &bytes));
  EXPECT_EQ(3, bytes.u.cdata[0]);   // little-endian in the PMC: word 1 = 3
  EXPECT_EQ(0, bytes.u.cdata[1]);
  EXPECT_EQ(3, pmc_rdpmcrng(h, 5, 0, 9999, 10000, 10, &bytes));   // past the R area
}

TEST_F(PmcSim, AreaTableAndUnits) {
  pmcinfo_t info{};
  ASSERT_EQ(EW_SUCCESS, pmc_rdpmcinfo(h, 0, &info));
  ASSERT_EQ(13, info.datano);
  std::string letters;
  for (int i = 0; i < 13; ++i) letters += info.info[i].pmc_adr;
  EXPECT_EQ("GFYXARTKCDMNE", letters);
  // Units keep their own memory.
  pmcrng_t w{5, 0, 0, 0, {}};
  w.u.cdata[0] = 11;
  ASSERT_EQ(EW_SUCCESS, pmc_wrpmcrng(h, 9, &w));
  ASSERT_EQ(EW_SUCCESS, pmc_select_pmc_unit(h, 2));
  pmcrng_t r{};
  ASSERT_EQ(EW_SUCCESS, pmc_rdpmcrng(h, 5, 0, 0, 0, 9, &r));
  EXPECT_EQ(0, r.u.cdata[0]);
  EXPECT_EQ(3, pmc_select_pmc_unit(h, 7));
  int32_t unit = 0;
  ASSERT_EQ(EW_SUCCESS, pmc_get_current_pmc_unit(h, &unit));
  EXPECT_EQ(2, unit);
  ASSERT_EQ(EW_SUCCESS, pmc_select_pmc_unit(h, 1));
  ASSERT_EQ(EW_SUCCESS, pmc_rdpmcrng(h, 5, 0, 0, 0, 9, &r));
  EXPECT_EQ(11, r.u.cdata[0]);
}

TEST_F(PmcSim, SingleAddressesByTextAndBit) {
  uint32_t a = 0, bitaddr = 0;
  uint8_t extra = 0, v8 = 0;
  ASSERT_EQ(EW_SUCCESS, pmc_parse_string_into_pmc_address(h, "D20", &a, &extra));
  ASSERT_EQ(EW_SUCCESS, pmc_write_pmc_address_uint32(h, a, 0x01020304));
  uint32_t v32 = 0;
  ASSERT_EQ(EW_SUCCESS, pmc_read_pmc_address_uint32(h, a, &v32));
  EXPECT_EQ(0x01020304u, v32);
  ASSERT_EQ(EW_SUCCESS, pmc_read_pmc_address_uint8(h, a, &v8));
  EXPECT_EQ(4, v8);
  ASSERT_EQ(EW_SUCCESS, pmc_parse_string_into_pmc_address(h, "D21.5", &bitaddr, &extra));
  EXPECT_EQ(5, extra);
  ASSERT_EQ(EW_SUCCESS, pmc_write_pmc_address_bit(h, bitaddr, 1));
  ASSERT_EQ(EW_SUCCESS, pmc_read_pmc_address_uint8(h, a + 1, &v8));
  EXPECT_EQ(0x23, v8);
}

TEST_F(PmcSim, AlarmTextsComeFromThePmc) {
  {
    auto l = m.lock();
    m.state<sim::PmcState>().alarms = {"ER01 Program Data Error", "WN09 flash"};
  }
  pmcalm_t msgs[4];
  int16_t n = 4, p = 0;
  ASSERT_EQ(EW_SUCCESS, pmc_rdalmmsg(h, 1, &n, &p, msgs));
  ASSERT_EQ(2, n);
  EXPECT_EQ(0, p);
  EXPECT_EQ("WN09 flash", std::string(msgs[1].text, 10));
  int32_t status = 0;
  ASSERT_EQ(EW_SUCCESS, pmc_get_alarm_status(h, 0, &status));
  EXPECT_EQ(2, status);
}

}  // namespace
}  // namespace oz::test
