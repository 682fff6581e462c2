// The program family end to end against the simulated machine: directory,
// download then upload back, verify, delete, select, DNC and abort paths.
#include <cstring>
#include <string>

#include "sim/machine.h"
#include "tests/support.h"

namespace oz::test {
namespace {

class ProgSim : public MachineTest {
 protected:

  std::vector<prgdir2_t> list() {
    std::vector<prgdir2_t> out(50);
    int32_t start = 1;
    int16_t n = 50;
    EXPECT_EQ(EW_SUCCESS, cnc_rdprogdir2o8(h, 1, &start, &n, out.data()));
    out.resize(size_t(n));
    return out;
  }
  int16_t download(const std::string& text, bool verify = false) {
    int16_t r = verify ? cnc_vrfstart(h) : cnc_dwnstart3(h, 0);
    if (r) return r;
    for (size_t at = 0; at < text.size();) {
      int32_t len = int32_t(text.size() - at);
      r = cnc_download4(h, &len, text.data() + at);
      if (r == EW_BUFFER) continue;
      if (r) return r;
      at += size_t(len);
    }
    return cnc_dwnend4(h);
  }
  std::string upload(int32_t number, int16_t* end_result) {
    std::string got;
    EXPECT_EQ(EW_SUCCESS, cnc_upstart3(h, 0, number, number));
    char buf[4096];
    for (;;) {
      int32_t len = sizeof buf;
      const int16_t r = cnc_upload4(h, &len, buf);
      if (r == EW_BUFFER) continue;
      if (r != EW_SUCCESS) {
        EXPECT_EQ(EW_CANCELLED, r);
        break;
      }
      got.append(buf, size_t(len));
    }
    *end_result = cnc_upend4(h);
    return got;
  }
};

TEST_F(ProgSim, DirectoryListsTheStore) {
  auto l = list();
  ASSERT_EQ(2u, l.size());
  EXPECT_EQ(1, l[0].number);
  EXPECT_STREQ("(SQUARE)", l[0].comment);
  char text[200];
  ASSERT_EQ(EW_SUCCESS, cnc_rdprogdiro8(h, 0, 1, 9999, sizeof text, text));
  EXPECT_EQ("O1O2%", std::string(text, 5));
  proginfo_t pi;
  ASSERT_EQ(EW_SUCCESS, cnc_rdproginfo(h, 0, sizeof pi, &pi));
  EXPECT_EQ(2, pi.v1);
}

TEST_F(ProgSim, DownloadUploadVerifyDelete) {
  std::string prog = "%\nO0010(BIG)\n";
  for (int i = 0; i < 3000; ++i) prog += "G01X" + std::to_string(i) + ".Y1.F100\n";
  prog += "M30\n%\n";
  ASSERT_EQ(EW_SUCCESS, download(prog));
  auto l = list();
  ASSERT_EQ(3u, l.size());
  EXPECT_EQ(10, l[2].number);
  EXPECT_STREQ("(BIG)", l[2].comment);
  int16_t end = -99;
  EXPECT_EQ(prog, upload(10, &end));
  EXPECT_EQ(EW_SUCCESS, end);
  EXPECT_EQ(EW_SUCCESS, download(prog, true));
  std::string other = prog;
  other[20] = 'Z';
  EXPECT_EQ(7, download(other, true));
  ASSERT_EQ(EW_SUCCESS, cnc_deleteo8(h, 10));
  EXPECT_EQ(2u, list().size());
  EXPECT_EQ(5, cnc_deleteo8(h, 10));
}

TEST_F(ProgSim, SelectAndCopyRename) {
  ASSERT_EQ(EW_SUCCESS, cnc_searcho8(h, 2));
  prgnum_t pn{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdprgnumo8(h, &pn));
  EXPECT_EQ(2, pn.data);
  EXPECT_EQ(5, cnc_searcho8(h, 99));
  ASSERT_EQ(EW_SUCCESS, cnc_copyprog(h, 1, 5));
  ASSERT_EQ(EW_SUCCESS, cnc_renameprog(h, 5, 6));
  auto l = list();
  ASSERT_EQ(3u, l.size());
  EXPECT_EQ(6, l[2].number);
}

TEST_F(ProgSim, UploadAbortedMidwayLeavesTheCircuitUsable) {
  std::string prog = "%\nO0020\n" + std::string(200000, 'X') + "\n%\n";
  ASSERT_EQ(EW_SUCCESS, download(prog));
  ASSERT_EQ(EW_SUCCESS, cnc_upstart3(h, 0, 20, 20));
  char buf[1024];
  int32_t len = 0;
  int16_t r = EW_BUFFER;
  while (r == EW_BUFFER) {
    len = sizeof buf;
    r = cnc_upload4(h, &len, buf);
  }
  ASSERT_EQ(EW_SUCCESS, r);
  EXPECT_EQ(EW_SUCCESS, cnc_upend4(h));   // aborts a controller still sending
  int16_t end = -99;
  EXPECT_EQ(m.server().port(), m.port());
  const std::string again = upload(1, &end);
  EXPECT_EQ(0u, again.find("%\nO0001(SQUARE)"));
  EXPECT_EQ(EW_SUCCESS, end);
}

TEST_F(ProgSim, DncRunsTheProgramWhileItStreams) {
  char text[64];
  ASSERT_EQ(EW_SUCCESS, cnc_dncstart2(h, text));
  EXPECT_STREQ("DNC", text);
  std::string prog = "G01X10.F100\nX20.\nX30.\n";
  int32_t len = int32_t(prog.size());
  int16_t r;
  while ((r = cnc_dnc2(h, &len, prog.data())) == EW_BUFFER) len = int32_t(prog.size());
  ASSERT_EQ(EW_SUCCESS, r);
  dncdgndt2_t d{};
  // A request on the other socket lands after the data: the data is in.
  ASSERT_EQ(EW_SUCCESS, cnc_rddncdgndt2(h, &d));
  for (int i = 0; i < 2000 && d.v6 < prog.size(); ++i) {
    plat::sleep_ms(1);
    ASSERT_EQ(EW_SUCCESS, cnc_rddncdgndt2(h, &d));
  }
  EXPECT_EQ(prog.size(), d.v6);
  EXPECT_EQ(1, d.v1);
  {
    auto l = m.lock();
    EXPECT_TRUE(m.motion(1).running);
  }
  ASSERT_EQ(EW_SUCCESS, cnc_dncend2(h, -1));
  auto l = m.lock();
  EXPECT_FALSE(m.motion(1).running);
}

TEST_F(ProgSim, DncAbortStopsThePath) {
  char text[64];
  ASSERT_EQ(EW_SUCCESS, cnc_dncstart2(h, text));
  ASSERT_EQ(EW_SUCCESS, cnc_dncend2(h, -514));
  dncdgndt2_t d{};
  for (int i = 0; i < 2000; ++i) {
    ASSERT_EQ(EW_SUCCESS, cnc_rddncdgndt2(h, &d));
    if (d.v1 == 0) break;
    plat::sleep_ms(1);
  }
  EXPECT_EQ(0, d.v1);
  auto l = m.lock();
  EXPECT_FALSE(m.motion(1).running);
}

}  // namespace
}  // namespace oz::test
