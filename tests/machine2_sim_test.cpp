// The machine families end to end against the simulated controller: flash
// files and the SRAM image back up and restore byte for byte, C-executor
// files and SRAM, protection, raw memory per bus, boards and sampling.
#include <cstring>
#include <functional>
#include <string>

#include "sim/machine.h"
#include "tests/support.h"

namespace oz::test {
namespace {

class Machine2Sim : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", m.port(), 5, &h)); }
  void TearDown() override { cnc_freelibhndl(h); }

  static int16_t settle(const std::function<int16_t()>& f) {
    int16_t r;
    while ((r = f()) == EW_BUFFER) plat::sleep_ms(1);
    return r;
  }
  // A save session read to its end with the save data call.
  std::string save() {
    std::string got;
    std::vector<char> buf(4096);
    for (int16_t more = 1; more;) {
      int32_t len = 0;
      EXPECT_EQ(EW_SUCCESS, settle([&] { len = int32_t(buf.size()); return cnc_fromget(h, &more, buf.data(), &len); }));
      got.append(buf.data(), size_t(len));
      if (testing::Test::HasFailure()) break;
    }
    EXPECT_EQ(EW_SUCCESS, cnc_fromsvend(h));
    return got;
  }
  // Feeds a load session with a data call of the restore kind.
  void load(const std::string& data, int16_t (*put)(uint16_t, const void*, int32_t*)) {
    for (size_t at = 0; at < data.size();) {
      int32_t len = int32_t(data.size() - at);
      ASSERT_EQ(EW_SUCCESS, settle([&] { len = int32_t(data.size() - at); return put(h, data.data() + at, &len); }));
      ASSERT_GT(len, 0);
      at += size_t(len);
    }
  }
  sim::Machine m;
  uint16_t h = 0;
};

TEST_F(Machine2Sim, FlashFileSavesDeletesAndLoadsBackByteForByte) {
  frominfo_t info;
  ASSERT_EQ(EW_SUCCESS, cnc_rdfrominfo(h, 0, &info));
  ASSERT_EQ(3, info.count);
  EXPECT_STREQ("FROM0", info.device);
  ASSERT_EQ(EW_SUCCESS, cnc_fromgetstart(h, 0, "PMC1"));
  EXPECT_EQ(2023u, find_handle(h)->xfer_total);
  const std::string file = save();
  ASSERT_EQ(2023u, file.size());
  EXPECT_EQ(0, std::memcmp(file.data(), "PMC1\0", 5));
  ASSERT_EQ(EW_SUCCESS, cnc_fromremove(h, 0, "PMC1"));
  ASSERT_EQ(EW_SUCCESS, cnc_rdfrominfo(h, 0, &info));
  EXPECT_EQ(2, info.count);
  ASSERT_EQ(EW_SUCCESS, cnc_fromputstart(h, 0));
  load(file, cnc_fromput);
  ASSERT_EQ(EW_SUCCESS, cnc_dwnend3(h));
  ASSERT_EQ(EW_SUCCESS, cnc_fromgetstart2(h, 0, "PMC1"));
  EXPECT_EQ(file, save());
}

TEST_F(Machine2Sim, SystemFilesGoOnlyAfterTheirProtectionIsReleased) {
  EXPECT_EQ(EW_MISMATCH, cnc_fromdelete(h, 0, "SYSBOOT", -1));
  ASSERT_EQ(EW_SUCCESS, cnc_upstart3_f(h, int16_t(OZ_XFER_FLASH), "SDEL:", nullptr));
  EXPECT_EQ(EW_SUCCESS, cnc_fromdelete(h, 0, "SYSBOOT", -1));
  EXPECT_EQ(EW_VALUE, cnc_fromremove(h, 0, "SYSBOOT"));
}

TEST_F(Machine2Sim, SramImageRestoresByteForByte) {
  ASSERT_EQ(EW_SUCCESS, cnc_sramgetstart(h, "SRAM"));
  std::string image = save();
  ASSERT_EQ(24u * 1024, image.size());
  const std::string original = image;
  for (size_t i = 0; i < image.size(); i += 97) image[i] = char(~image[i]);
  ASSERT_EQ(EW_SUCCESS, cnc_sramputstart(h, "SRAM"));
  load(image, [](uint16_t hh, const void* b, int32_t* l) { return cnc_sramrestore(hh, nullptr, b, l); });
  ASSERT_EQ(EW_SUCCESS, cnc_sramrestoreend(h));
  ASSERT_EQ(EW_SUCCESS, cnc_srambkstart(h, "SRAM", 0));
  EXPECT_EQ(image, save());
  ASSERT_EQ(EW_SUCCESS, cnc_sramputstart2(h, "SRAM"));
  load("too short", [](uint16_t hh, const void* b, int32_t* l) { return cnc_sramput(hh, nullptr, b, l); });
  EXPECT_EQ(EW_SIZE, cnc_sramputend(h));
  ASSERT_EQ(EW_SUCCESS, cnc_sramgetstart2(h, "SRAM"));
  EXPECT_EQ(image, save());
  EXPECT_NE(original, image);
}

TEST_F(Machine2Sim, CexeFilesWriteListAndReadBack) {
  const std::string text(3000, 'c');
  ASSERT_EQ(EW_SUCCESS, cnc_opencexefile(h, "/USER/NEW.DAT", 1, 0));
  load(text, cnc_wrcexefile);
  ASSERT_EQ(EW_SUCCESS, cnc_closecexefile(h));
  cexedir_t e[8];
  int16_t n = 8;
  ASSERT_EQ(EW_SUCCESS, cnc_cexedirectory(h, "/USER", &n, 0, e));
  ASSERT_EQ(3, n);
  EXPECT_EQ(0, std::memcmp(e[1].name, "NEW.DAT", 8));
  EXPECT_EQ(3000u, e[1].size);
  ASSERT_EQ(EW_SUCCESS, cnc_opencexefile(h, "/USER/NEW.DAT", 0, 0));
  std::string got;
  char buf[1024];
  for (;;) {
    int32_t len = sizeof buf;
    const int16_t r = settle([&] { len = sizeof buf; return cnc_rdcexefile(h, buf, &len); });
    if (r == EW_CANCELLED) break;
    ASSERT_EQ(EW_SUCCESS, r);
    got.append(buf, size_t(len));
  }
  ASSERT_EQ(EW_SUCCESS, cnc_closecexefile(h));
  EXPECT_EQ(text, got);
  EXPECT_EQ(EW_UNAVAILABLE, cnc_closecexefile(h));
}

TEST_F(Machine2Sim, CexeSramWritesReadBackAndEndsAtTheAreaEnd) {
  int32_t size = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_cexesramsize(h, &size));
  ASSERT_EQ(32 * 1024, size);
  std::vector<uint8_t> out(4000), in(5000, 0);
  for (size_t i = 0; i < out.size(); ++i) out[i] = uint8_t(i * 13);
  int32_t len = 4000;
  ASSERT_EQ(EW_SUCCESS, cnc_wrcexesram(h, size - 4000, out.data(), &len));
  ASSERT_EQ(4000, len);
  len = 5000;
  ASSERT_EQ(EW_SUCCESS, cnc_rdcexesram(h, size - 4000, in.data(), &len));
  EXPECT_EQ(4000, len);
  EXPECT_EQ(out, std::vector<uint8_t>(in.begin(), in.begin() + 4000));
  int16_t areas = 0;
  int32_t whole = 0, used = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_cexesraminfo(h, &areas, &whole, &used));
  EXPECT_EQ(size, whole);
}

TEST_F(Machine2Sim, PasswordOpensTheLevelsAndProtectionBitsStick) {
  char psw[12] = {'O', 'Z', 'S', 'I', 'M'}, other[12] = {'N', 'E', 'W'};
  int16_t lvl = 0, l1 = 0, l2 = 0;
  EXPECT_EQ(EW_MISMATCH, cnc_wrprt_lvl(h, 3, 1, 2));
  ASSERT_EQ(EW_SUCCESS, cnc_prot_pswinp(h, psw));
  ASSERT_EQ(EW_SUCCESS, cnc_rdope_lvl(h, &lvl));
  EXPECT_EQ(0, lvl);
  ASSERT_EQ(EW_SUCCESS, cnc_wrprt_lvl(h, 3, 1, 2));
  ASSERT_EQ(EW_SUCCESS, cnc_rdprt_lvl(h, 3, &l1, &l2));
  EXPECT_EQ(1, l1);
  EXPECT_EQ(2, l2);
  ASSERT_EQ(EW_SUCCESS, cnc_prot_pswchg(h, 0, psw, other, other));
  ASSERT_EQ(EW_SUCCESS, cnc_prot_pswcan(h));
  int16_t prot = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_rdprt_data(h, 3, &prot));
  EXPECT_EQ(1, prot);
  EXPECT_EQ(EW_VALUE, cnc_prot_pswinp(h, psw));
  ASSERT_EQ(EW_SUCCESS, cnc_prot_pswinp(h, other));
  uint8_t mask[4] = {0xF0, 0, 0, 0}, st[4] = {};
  ASSERT_EQ(EW_SUCCESS, cnc_chgprotbit(h, 1, mask, 0x35));
  EXPECT_EQ(0x30, mask[0]);
  ASSERT_EQ(EW_SUCCESS, cnc_getlockstat(h, 1, st));
  EXPECT_EQ(0x30, st[0]);
  ASSERT_EQ(EW_SUCCESS, cnc_getlockstat(h, 2, st));
  EXPECT_EQ(0, st[0]);
}

TEST_F(Machine2Sim, RawMemoryKeepsEachBusApartAndAnyWidthReadsBack) {
  const uint32_t longs[3] = {0x11223344, 0xA5A55A5A, 7};
  ASSERT_EQ(EW_SUCCESS, cnc_wrfbusmem(h, 2, 1, 0x200, 3, longs));
  uint32_t l[3] = {};
  uint16_t w[2] = {};
  uint8_t b[4] = {};
  ASSERT_EQ(EW_SUCCESS, cnc_rdfbusmem(h, 2, 1, 0x200, 3, l));
  EXPECT_EQ(0, std::memcmp(longs, l, sizeof l));
  ASSERT_EQ(EW_SUCCESS, cnc_rdfbusmem(h, 1, 1, 0x200, 2, w));
  EXPECT_EQ(0x1122, w[0]);
  EXPECT_EQ(0x3344, w[1]);
  ASSERT_EQ(EW_SUCCESS, cnc_rdfbusmem(h, 0, 1, 0x204, 4, b));
  EXPECT_EQ(0xA5, b[0]);
  ASSERT_EQ(EW_SUCCESS, cnc_rdcncmem(h, 2, 0x200, 1, l));
  EXPECT_NE(0x11223344u, l[0]);
  std::vector<uint16_t> big(3000), back(3000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = uint16_t(i * 31);
  ASSERT_EQ(EW_SUCCESS, cnc_wrcncmem(h, 1, 0x1000, 3000, big.data()));
  ASSERT_EQ(EW_SUCCESS, cnc_rdfbusmem(h, 1, -1, 0x1000, 3000, back.data()));
  EXPECT_EQ(big, back);
  EXPECT_EQ(EW_RANGE, cnc_rdcncmem(h, 2, 0xFFFF0, 8, l));
}

TEST_F(Machine2Sim, BoardsRecordsRoundTrip) {
  prfslvprm_t p, q;
  ASSERT_EQ(EW_SUCCESS, pmc_prfrdslvprm(h, 5, &p));
  p.l.w240 = 0x1234;
  p.l.b400[0] = 0x99;
  ASSERT_EQ(EW_SUCCESS, pmc_prfwrslvprm(h, 5, &p));
  ASSERT_EQ(EW_SUCCESS, pmc_prfrdslvprm(h, 5, &q));
  EXPECT_EQ(0, std::memcmp(&p, &q, sizeof(prfslvprm_long_t)));

  flntprm_t f;
  ASSERT_EQ(EW_SUCCESS, flnt_rdparam(h, &f));
  EXPECT_EQ(0, std::memcmp(f.c0, "192.168.0.10", 12));
  EXPECT_EQ(1, f.w68);
  std::vector<uint8_t> rec(164, 0);
  std::memcpy(rec.data(), "10.0.0.1", 8);
  rec[68] = 0x01;
  rec[69] = 0x02;
  ASSERT_EQ(EW_SUCCESS, flnt_wrparam(h, int16_t(rec.size()), rec.data()));
  ASSERT_EQ(EW_SUCCESS, flnt_rdparam2(h, 0, &f));
  EXPECT_STREQ("10.0.0.1", f.c0);
  EXPECT_EQ(0x0102, f.w68);

  std::vector<uint8_t> out(3000), in(3000);
  for (size_t i = 0; i < out.size(); ++i) out[i] = uint8_t(i ^ 0x5A);
  int32_t len = 3000;
  ASSERT_EQ(EW_SUCCESS, cnc_wrflnetsram(h, 1, 10, &len, out.data()));
  ASSERT_EQ(EW_SUCCESS, cnc_rdflnetsram(h, 1, 10, &len, in.data()));
  EXPECT_EQ(out, in);

  uint8_t mode[2];
  int16_t ml = 2;
  ASSERT_EQ(EW_SUCCESS, pmc_prfwropmode(h, 3));
  ASSERT_EQ(EW_SUCCESS, pmc_prfrdopmode(h, &ml, mode));
  EXPECT_EQ(3, mode[1]);
}

TEST_F(Machine2Sim, PositionSamplingRunsToItsEnd) {
  const uint8_t setting[6] = {};
  std::vector<possmpl_t> s(300);
  int32_t n = 300;
  EXPECT_EQ(EW_UNAVAILABLE, cnc_rdpossmpl(h, &n, s.data()));
  ASSERT_EQ(EW_SUCCESS, cnc_stpossmpl(h, 4, setting));
  ASSERT_EQ(EW_SUCCESS, cnc_rdpossmpl(h, &n, s.data()));
  EXPECT_EQ(250, n);
  EXPECT_EQ(249, s[249].w0);
  EXPECT_EQ(4, s[249].w1);
  n = 10;
  EXPECT_EQ(EW_RANGE, cnc_rdpossmpl(h, &n, s.data()));
  ASSERT_EQ(EW_SUCCESS, cnc_endpossmpl(h));
  std::vector<uint8_t> t(100);
  int32_t len = 100;
  ASSERT_EQ(EW_SUCCESS, cnc_rdtrqmonitor(h, 2, t.data(), &len));
  EXPECT_EQ(64, len);
  EXPECT_EQ(32, t[0]);
}

}  // namespace
}  // namespace oz::test
