// Transfer sessions against the fake controller: start texts and PDUs, data
// PDU sizes, the buffer-wait rule, error and abort PDUs, end handshakes and
// the transfer lock shared by the handles of one circuit.
#include <atomic>
#include <cstring>
#include <thread>

#include "tests/support.h"

namespace oz::test {
namespace {

using sim::Conn;
using sim::ReceivedPdu;
using sim::RbReply;

std::vector<uint8_t> errorBody(int16_t code, uint16_t detail, uint16_t sub) {
  return sim::error_body(0, code, detail, sub);
}

class Session : public FakeTest {
 protected:
  Session() {
    // Every start and end request is answered with its own type.
    for (uint8_t t : {17, 19, 21, 25, 27})
      fake.on_pdu(t, [this, t](Conn& c, const ReceivedPdu&) {
        std::vector<uint8_t> body;
        if (t == 21) body = {uint8_t(total >> 24), uint8_t(total >> 16), uint8_t(total >> 8),
                             uint8_t(total)};
        if (t == 25) body.assign(dnc_text.begin(), dnc_text.end());
        c.send(t, 2, body);
      });
  }
  std::vector<ReceivedPdu> pdus(uint8_t type) const {
    std::vector<ReceivedPdu> out;
    for (auto& p : fake.received())
      if (p.type == type) out.push_back(p);
    return out;
  }
  // Upload data once something has arrived (no fixed sleeps: the data is
  // on its way when this is called).
  int16_t upload(uint16_t h, int32_t* len, void* buf) {
    const int32_t want = *len;
    int16_t r = EW_BUFFER;
    for (int i = 0; i < 5000 && r == EW_BUFFER; ++i) {
      *len = want;
      r = cnc_upload4(h, len, buf);
      if (r == EW_BUFFER) plat::sleep_ms(1);
    }
    return r;
  }
  // PDUs that draw no answer arrive in their own time.
  size_t waitPdus(uint8_t type, size_t n) const {
    for (int i = 0; i < 2000 && pdus(type).size() < n; ++i) plat::sleep_ms(1);
    return pdus(type).size();
  }
  void push(uint8_t type, std::vector<uint8_t> body) { ASSERT_TRUE(fake.send_to(1, type, 4, body)); }
  // One upload call for up to 256 bytes, at once.
  int16_t pull(uint16_t h) {
    len = 256;
    return cnc_upload4(h, &len, buf);
  }
  char buf[256];
  int32_t len = 0;
  uint32_t total = 0;
  std::vector<uint8_t> dnc_text = {'O', 'K', 0};
};

TEST_F(Session, UploadStartSendsTheTextsKindAndPath) {
  uint16_t h = open();
  ASSERT_EQ(EW_SUCCESS, cnc_upstart3(h, 0, 12, 34));
  auto s = pdus(21);
  ASSERT_EQ(1u, s.size());
  ASSERT_EQ(516u, s[0].body.size());
  EXPECT_EQ(1, s[0].sock);
  EXPECT_EQ(1, s[0].body[3]);   // the current path
  EXPECT_STREQ("O12-O34", reinterpret_cast<const char*>(s[0].body.data() + 4));
  EXPECT_EQ(0, s[0].body[260]);
  EXPECT_TRUE(rec(h).has(kUploadOpen));
  EXPECT_EQ(EW_INUSE, cnc_setpath(h, 1));
  ASSERT_EQ(EW_SUCCESS, cnc_upend4(h));
  EXPECT_FALSE(rec(h).has(kUploadOpen));
}

struct TextRow {
  const char* what;
  std::function<int16_t(uint16_t)> start;
  uint8_t pdu;
  uint16_t kind;
  std::string text1, text2 = "";
};
void PrintTo(const TextRow& r, std::ostream* os) { *os << r.what; }

class StartTexts : public Session, public ::testing::WithParamInterface<TextRow> {};

// The whole 516-byte body: kind, path, then two 256-byte fields, each its
// text, NUL-terminated, rest zero, whatever the stack held before the call.
TEST_P(StartTexts, BodyIsKindPathAndTwoZeroFilledTexts) {
  const TextRow& r = GetParam();
  uint16_t h = open();
  poison_stack(0xA5);
  ASSERT_EQ(EW_SUCCESS, r.start(h)) << r.what;
  auto s = pdus(r.pdu);
  ASSERT_EQ(1u, s.size());
  std::vector<uint8_t> want(516, 0);
  want[0] = uint8_t(r.kind >> 8);
  want[1] = uint8_t(r.kind);
  want[3] = 1;   // the handle's path
  std::copy(r.text1.begin(), r.text1.end(), want.begin() + 4);
  std::copy(r.text2.begin(), r.text2.end(), want.begin() + 260);
  EXPECT_EQ(want, s[0].body);
}

// Leaves a pattern where the next call's frame will lie, so that a request
// byte nobody wrote shows as that pattern.
[[gnu::noinline]] void dirtyStack() {
  volatile uint8_t junk[64 * 1024];
  for (size_t i = 0; i < sizeof junk; ++i) junk[i] = 0xCC;
}

TEST_P(StartTexts, NothingButTheTextsLeavesTheCaller) {
  const TextRow& r = GetParam();
  uint16_t h = open();
  dirtyStack();
  ASSERT_EQ(EW_SUCCESS, r.start(h)) << r.what;
  auto s = pdus(r.pdu);
  ASSERT_EQ(1u, s.size());
  const std::vector<uint8_t>& b = s[0].body;
  ASSERT_EQ(516u, b.size());
  for (size_t field : {size_t(4), size_t(260)}) {
    const size_t end = field + std::strlen(reinterpret_cast<const char*>(b.data() + field));
    for (size_t i = end; i < field + 256; ++i) ASSERT_EQ(0, b[i]) << "byte " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(All, StartTexts, ::testing::Values(
    TextRow{"upstart3", [](uint16_t h) { return cnc_upstart3(h, 0, 12, 34); }, 21, 0, "O12-O34"},
    TextRow{"upstart3f", [](uint16_t h) { return cnc_upstart3_f(h, 3, "A", "SECOND"); }, 21, 3, "A", "SECOND"},
    TextRow{"upstart3flong", [](uint16_t h) { return cnc_upstart3_f(h, 3, std::string(300, 'L').c_str(), nullptr); },
            21, 3, std::string(255, 'L')},
    TextRow{"upstart4", [](uint16_t h) { return cnc_upstart4(h, 5, "PRG"); }, 21, 5, "N:PRG"},
    TextRow{"upstart4null", [](uint16_t h) { return cnc_upstart4(h, 5, nullptr); }, 21, 5, "N:"},
    TextRow{"upstarto8", [](uint16_t h) { return cnc_upstarto8(h, 77); }, 21, 0, "O77-O77"},
    TextRow{"upstart", [](uint16_t h) { return cnc_upstart(h, -3); }, 21, 0, "O-3-O-3"},
    TextRow{"fileread", [](uint16_t h) { return cnc_fileread_start(h, 12, "F"); }, 21, 0x8009, "12:F"},
    TextRow{"dwnstart3", [](uint16_t h) { return cnc_dwnstart3(h, 3); }, 17, 3, ""},
    TextRow{"dwnstart3f", [](uint16_t h) { return cnc_dwnstart3_f(h, 3, "D1", "D2"); }, 17, 3, "D1", "D2"},
    TextRow{"dwnstart", [](uint16_t h) { return cnc_dwnstart(h); }, 17, 0, ""},
    TextRow{"dwnstart4", [](uint16_t h) { return cnc_dwnstart4(h, 1, "X"); }, 17, 1, "N:X"},
    TextRow{"vrfstart", [](uint16_t h) { return cnc_vrfstart(h); }, 17, 0x8000, ""},
    TextRow{"vrfstart4", [](uint16_t h) { return cnc_vrfstart4(h, "V"); }, 17, 0x8006, "N:V"},
    TextRow{"ptdwnstart", [](uint16_t h) { return cnc_ptdwnstart(h); }, 17, 0x8008, "N:"},
    TextRow{"filewrite", [](uint16_t h) { return cnc_filewrite_start(h, 5, nullptr, 2); }, 17, 0x8009, "20005:"},
    TextRow{"dnc", [](uint16_t h) { char t[64]; return cnc_dncstart2(h, t); }, 25, 0, ""}),
    [](const auto& i) { return std::string(i.param.what); });

TEST_F(Session, NegativeKindsAndNumbersAreRefusedBeforeTheHandle) {
  EXPECT_EQ(EW_KIND, cnc_dwnstart3(0, -1));
  EXPECT_EQ(EW_KIND, cnc_fileread_start(0, -1, nullptr));
  EXPECT_EQ(EW_KIND, cnc_filewrite_start(0, -1, nullptr, 0));
}

TEST_F(Session, SdelReleasesProtectionWithoutASession) {
  uint16_t h = open();
  fake.reply(1, 213, RbReply());
  ASSERT_EQ(EW_SUCCESS, cnc_upstart3_f(h, int16_t(0x800A), "SDEL:", nullptr));
  EXPECT_TRUE(pdus(21).empty());
  expectRequests({{213}});
  EXPECT_FALSE(rec(h).hold.held());
  EXPECT_FALSE(rec(h).has(kUploadOpen));
}

TEST_F(Session, UploadHandsOutWholeBlocksFromTheTransferBuffer) {
  uint16_t h = open();
  ASSERT_EQ(EW_SUCCESS, cnc_upstart3(h, 0, 1, 1));
  int32_t len = 255;
  char buf[2000];
  EXPECT_EQ(EW_SIZE, cnc_upload4(h, &len, buf));
  std::vector<uint8_t> data(1000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i);
  push(22, data);
  len = 700;
  ASSERT_EQ(EW_SUCCESS, upload(h, &len, buf));
  EXPECT_EQ(512, len);
  EXPECT_EQ(0, std::memcmp(buf, data.data(), 512));
  len = 700;
  ASSERT_EQ(EW_SUCCESS, cnc_upload4(h, &len, buf));
  EXPECT_EQ(488, len);   // what was left; fewer than 256 of 512 then remained
  EXPECT_EQ(0, std::memcmp(buf, data.data() + 512, 488));
  EXPECT_EQ(1000u, rec(h).xfer_delivered);
  ASSERT_EQ(EW_SUCCESS, cnc_upend4(h));
}

TEST_F(Session, UploadEndWhileDeliveringReturnsTheBytesThenCancelled) {
  uint16_t h = open();
  ASSERT_EQ(EW_SUCCESS, cnc_upstart3(h, 0, 1, 1));
  push(22, std::vector<uint8_t>(300, 'a'));
  push(23, {});
  ASSERT_TRUE(fake.wait_received(1));
  char buf[1024];
  int32_t len = 1024;
  // The data PDU and the end may arrive apart: read until the end is seen.
  int32_t got = 0;
  int16_t r;
  while ((r = upload(h, &len, buf)) == EW_SUCCESS && got < 300) {
    got += len;
    len = 1024;
  }
  EXPECT_EQ(300, got);
  if (r == EW_SUCCESS) {
    len = 1024;
    r = cnc_upload4(h, &len, buf);
  }
  EXPECT_EQ(EW_CANCELLED, r);
  waitPdus(23, 1);
  auto ack = pdus(23);
  ASSERT_EQ(1u, ack.size());
  EXPECT_EQ(2, ack[0].direction);
  EXPECT_TRUE(ack[0].body.empty());
  EXPECT_EQ(EW_SUCCESS, cnc_upend4(h));
  EXPECT_TRUE(pdus(24).empty());   // an ended upload needs no abort
}

TEST_F(Session, UploadShortOfTheAnnouncedTotalEndsWithDetail144) {
  total = 5000;
  uint16_t h = open();
  ASSERT_EQ(EW_SUCCESS, cnc_upstart3_f(h, int16_t(0x8002), "1:F;0", nullptr));
  EXPECT_EQ(5000u, rec(h).xfer_total);
  push(22, std::vector<uint8_t>(1024, 'z'));
  char buf[1024];
  int32_t len = 1024;
  ASSERT_EQ(EW_SUCCESS, upload(h, &len, buf));
  EXPECT_EQ(EW_VALUE, cnc_upend4(h));
  EXPECT_EQ(144, detail(h).detail);
  EXPECT_FALSE(rec(h).has(kUploadOpen));
  EXPECT_FALSE(rec(h).hold.held());
}

TEST_F(Session, UploadEndAbortsAControllerStillSending) {
  uint16_t h = open();
  ASSERT_EQ(EW_SUCCESS, cnc_upstart3(h, 0, 1, 1));
  EXPECT_EQ(EW_SUCCESS, cnc_upend4(h));
  waitPdus(24, 1);
  auto a = pdus(24);
  ASSERT_EQ(1u, a.size());
  EXPECT_EQ(std::vector<uint8_t>(8, 0), a[0].body);
  EXPECT_EQ(4, a[0].direction);
}

TEST_F(Session, UploadErrorPduFinishesTheSession) {
  uint16_t h = open();
  ASSERT_EQ(EW_SUCCESS, cnc_upstart3(h, 0, 1, 1));
  push(24, errorBody(7, 3, 2));
  len = 256;
  EXPECT_EQ(7, upload(h, &len, buf));
  EXPECT_TRUE(rec(h).has(kUploadFinished));
  len = 256;
  EXPECT_EQ(7, cnc_upload4(h, &len, buf));
  EXPECT_EQ(7, cnc_upend4(h));
  EXPECT_FALSE(rec(h).has(kUploadOpen | kUploadFinished));
}

TEST_F(Session, UnexpectedPacketCancelsAnUpload) {
  uint16_t h = open();
  ASSERT_EQ(EW_SUCCESS, cnc_upstart3(h, 0, 1, 1));
  LogTail log;
  push(26, {1, 2});
  len = 256;
  EXPECT_EQ(EW_CANCELLED, upload(h, &len, buf));
  EXPECT_TRUE(log.any("): unexpected packet, type = 26 dir = 4"));
  EXPECT_EQ(EW_SUCCESS, cnc_upend4(h));
}

TEST_F(Session, CallsWithoutAStartAnswerUnavailable) {
  uint16_t h = open();
  LogTail log;
  len = 256;
  EXPECT_EQ(EW_UNAVAILABLE, cnc_upload4(h, &len, buf));
  EXPECT_EQ(EW_UNAVAILABLE, cnc_upend3(h));
  EXPECT_EQ(EW_UNAVAILABLE, cnc_download4(h, &len, buf));
  EXPECT_EQ(EW_UNAVAILABLE, cnc_dwnend4(h));
  EXPECT_EQ(EW_UNAVAILABLE, cnc_dnc2(h, &len, buf));
  EXPECT_EQ(EW_UNAVAILABLE, cnc_dncend2(h, -1));
  EXPECT_TRUE(log.has("Error: " + std::to_string(h) + ": Upload start was not called."));
  EXPECT_TRUE(log.has("Error: " + std::to_string(h) + ": DNC start was not called."));
}

TEST_F(Session, OneSessionPerCircuit) {
  uint16_t a = open(), b = open();
  LogTail log;
  ASSERT_EQ(EW_SUCCESS, cnc_upstart3(a, 0, 1, 1));
  EXPECT_EQ(EW_INUSE, cnc_upstart3(a, 0, 1, 1));
  EXPECT_TRUE(log.has("Error: " + std::to_string(a) + ": Upload start has been called in another handle."));
  EXPECT_EQ(EW_INUSE, cnc_dwnstart3(b, 0));
  char t[64];
  EXPECT_EQ(EW_INUSE, cnc_dncstart2(b, t));
  ASSERT_EQ(EW_SUCCESS, cnc_upend4(a));
  ASSERT_EQ(EW_SUCCESS, cnc_dwnstart3(b, 0));
  ASSERT_EQ(EW_SUCCESS, cnc_dwnend4(b));
  ASSERT_EQ(EW_SUCCESS, cnc_upstart3(a, 0, 1, 1));
  ASSERT_EQ(EW_SUCCESS, cnc_upend4(a));
}

TEST_F(Session, AFailedStartLeavesTheLockFree) {
  uint16_t h = open();
  fake.next(1).only(17).error_response(9, 0, 0);
  EXPECT_EQ(9, cnc_dwnstart3(h, 0));
  EXPECT_FALSE(rec(h).hold.held());
  EXPECT_FALSE(rec(h).has(kDownloadOpen));
  EXPECT_EQ(EW_PRECONDITION, [&] {
    fake.next(1).only(17).error_response(9, 0, 0);
    return cnc_dwnstart(h);
  }());
  fake.next(1).only(21).error_response(13, 0, 0);
  EXPECT_EQ(EW_INUSE, cnc_upstarto8(h, 1));
  ASSERT_EQ(EW_SUCCESS, cnc_dwnstart3(h, 0));
  ASSERT_EQ(EW_SUCCESS, cnc_dwnend4(h));
}

TEST_F(Session, DownloadGoesOutIn1280BytePdus) {
  uint16_t h = open();
  ASSERT_EQ(EW_SUCCESS, cnc_dwnstart3(h, 0));
  std::vector<uint8_t> data(3000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 7);
  int32_t len = 3000;
  ASSERT_EQ(EW_SUCCESS, cnc_download4(h, &len, data.data()));
  EXPECT_EQ(3000, len);
  ASSERT_EQ(EW_SUCCESS, cnc_dwnend4(h));
  auto d = pdus(18);
  ASSERT_EQ(3u, d.size());
  EXPECT_EQ(1280u, d[0].body.size());
  EXPECT_EQ(1280u, d[1].body.size());
  EXPECT_EQ(440u, d[2].body.size());
  EXPECT_EQ(4, d[0].direction);
  std::vector<uint8_t> joined;
  for (auto& p : d) joined.insert(joined.end(), p.body.begin(), p.body.end());
  EXPECT_EQ(data, joined);
  EXPECT_EQ(1u, pdus(19).size());
  int32_t zero = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_dwnstart3(h, 0));
  EXPECT_EQ(EW_SIZE, cnc_download4(h, &zero, data.data()));
  EXPECT_EQ(EW_SIZE, cnc_cdownload(h, reinterpret_cast<const char*>(data.data()), 257));
  ASSERT_EQ(EW_SUCCESS, cnc_download(h, reinterpret_cast<const char*>(data.data()), 256));
  ASSERT_EQ(EW_SUCCESS, cnc_dwnend(h));
}

TEST_F(Session, DownloadErrorPduStopsTheSession) {
  uint16_t h = open();
  ASSERT_EQ(EW_SUCCESS, cnc_dwnstart3(h, 0));
  push(20, errorBody(11, 4, 1));
  char buf[10] = {};
  int32_t len = 10;
  int16_t r = EW_SUCCESS;
  for (int i = 0; i < 5000 && r == EW_SUCCESS; ++i) {
    len = 10;
    r = cnc_download4(h, &len, buf);
    if (r == EW_SUCCESS) plat::sleep_ms(1);
  }
  EXPECT_EQ(11, r);
  EXPECT_TRUE(rec(h).has(kDownloadStopped));
  EXPECT_EQ(11, cnc_download4(h, &len, buf));
  EXPECT_EQ(11, cnc_dwnend4(h));
  EXPECT_FALSE(rec(h).has(kDownloadOpen | kDownloadStopped));
  EXPECT_FALSE(rec(h).hold.held());
  EXPECT_TRUE(pdus(19).empty());
}

TEST_F(Session, BufferWaitTimesOutAfterTheHandlesTimeout) {
  uint16_t h = open(10);
  ASSERT_EQ(EW_SUCCESS, cnc_upstart3(h, 0, 1, 1));
  ASSERT_EQ(EW_BUFFER, pull(h));
  EXPECT_EQ(0, len);
  const uint32_t first = rec(h).last_xfer_tick;
  EXPECT_NE(0u, first);
  ASSERT_EQ(EW_BUFFER, pull(h));
  EXPECT_EQ(first, rec(h).last_xfer_tick);   // measured from the first empty call
  // Ten whole seconds are still within the limit; eleven are past it.
  rec(h).last_xfer_tick = plat::tick_ms() - 10500;
  ASSERT_EQ(EW_BUFFER, pull(h));
  rec(h).last_xfer_tick = plat::tick_ms() - 11500;
  LogTail log;
  EXPECT_EQ(EW_CIRCUIT, pull(h));
  EXPECT_EQ(9, detail(h).detail);
  EXPECT_TRUE(rec(h).has(kBroken));
  EXPECT_FALSE(rec(h).hold.held());
  EXPECT_TRUE(log.any(": cnc_upload3(" + std::to_string(h) + "): 10"));
  EXPECT_EQ(1u, waitPdus(24, 1));
  EXPECT_EQ(EW_CIRCUIT, cnc_upend4(h));
}

TEST_F(Session, NoTimeoutMeansBufferForEver) {
  uint16_t h = open(0);
  ASSERT_EQ(EW_SUCCESS, cnc_upstart3(h, 0, 1, 1));
  ASSERT_EQ(EW_BUFFER, pull(h));
  rec(h).last_xfer_tick = plat::tick_ms() - 100000;
  EXPECT_EQ(EW_BUFFER, pull(h));
  ASSERT_EQ(EW_SUCCESS, cnc_upend4(h));
}

TEST_F(Session, DncStreamsIn1450BytePdusAndEndsWithType27) {
  dnc_text.assign(70, 'T');   // no NUL within 64 bytes
  uint16_t h = open();
  char text[64];
  ASSERT_EQ(EW_SUCCESS, cnc_dncstart2(h, text));
  EXPECT_EQ('T', text[62]);
  EXPECT_EQ('\0', text[63]);
  std::vector<uint8_t> prog(3000, 'G');
  int32_t len = 3000;
  ASSERT_EQ(EW_SUCCESS, cnc_dnc2(h, &len, prog.data()));
  EXPECT_EQ(3000, len);
  EXPECT_EQ(EW_VALUE, cnc_dncend2(h, 0));   // the session stays open
  EXPECT_TRUE(rec(h).has(kDncOpen));
  ASSERT_EQ(EW_SUCCESS, cnc_dncend2(h, -1));
  waitPdus(26, 3);
  auto d = pdus(26);
  ASSERT_EQ(3u, d.size());
  EXPECT_EQ(1450u, d[0].body.size());
  EXPECT_EQ(100u, d[2].body.size());
  EXPECT_EQ(1u, pdus(27).size());
  EXPECT_FALSE(rec(h).has(kDncOpen));
}

TEST_F(Session, DncAbortCodeGoesInType28WithoutWaiting) {
  uint16_t h = open();
  char text[64];
  ASSERT_EQ(EW_SUCCESS, cnc_dncstart2(h, text));
  EXPECT_STREQ("OK", text);
  ASSERT_EQ(EW_SUCCESS, cnc_dncend2(h, -516));
  waitPdus(28, 1);
  auto a = pdus(28);
  ASSERT_EQ(1u, a.size());
  EXPECT_EQ((std::vector<uint8_t>{0, 0, 0xFD, 0xFC, 0, 0, 0, 0}), a[0].body);
  EXPECT_TRUE(pdus(27).empty());
  EXPECT_FALSE(rec(h).hold.held());
}

TEST_F(Session, DncStoppedByTheControllerIsCancelled) {
  uint16_t h = open();
  char text[64];
  ASSERT_EQ(EW_SUCCESS, cnc_dncstart2(h, text));
  push(28, errorBody(-517, 2, 0));
  char buf[4] = {};
  int16_t r = EW_SUCCESS;
  for (int i = 0; i < 5000 && r == EW_SUCCESS; ++i) {
    int32_t len = 4;
    r = cnc_dnc2(h, &len, buf);
    if (r == EW_SUCCESS) plat::sleep_ms(1);
  }
  EXPECT_EQ(EW_CANCELLED, r);
  EXPECT_EQ(-517, rec(h).abort_err.code);
  EXPECT_EQ(2, rec(h).abort_err.detail);
  EXPECT_EQ(-517, cnc_dncend2(h, -1));
  EXPECT_FALSE(rec(h).has(kDncOpen | kDncAborted));
}

TEST_F(Session, OlderDncStartsWithTheFirstDataAndRetriesWhileRefused) {
  uint16_t h = open();
  std::atomic<int> starts{0};
  fake.on_pdu(25, [&](Conn& c, const ReceivedPdu&) {
    if (++starts < 3) c.send(25, 3, {0, 0, 0, 13, 0, 0, 0, 0});
    else c.send(25, 2, {'x', 0});
  });
  ASSERT_EQ(EW_SUCCESS, cnc_dncstart(h));
  EXPECT_EQ(EW_INUSE, cnc_dncstart(h));
  EXPECT_TRUE(pdus(25).empty());
  EXPECT_EQ(EW_SIZE, cnc_cdnc(h, "x", 40960));
  ASSERT_EQ(EW_SUCCESS, cnc_dnc(h, "G01X1\n", 6));
  EXPECT_EQ(3, starts.load());
  EXPECT_EQ(1u, waitPdus(26, 1));
  ASSERT_EQ(EW_SUCCESS, cnc_dncend(h));
  EXPECT_FALSE(rec(h).has(kOldDncOpen1 | kOldDncOpen2 | kDncOpen));
  EXPECT_EQ(EW_UNAVAILABLE, cnc_cdnc(h, "x", 1));
}

// A session on one handle and ordinary requests on another handle of the
// same circuit, in two threads: the requests are answered between data PDUs.
TEST_F(Session, OrdinaryRequestsFlowBetweenDataPdus) {
  fake.reply(1, 36, RbReply().i32(1));
  uint16_t port = fake.port();
  std::atomic<bool> go{false}, done{false};
  std::atomic<int> answered{0};
  std::thread other([&] {
    uint16_t b = 0;
    ASSERT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", port, 5, &b));
    go = true;
    actf_t a;
    while (!done) {
      ASSERT_EQ(EW_SUCCESS, cnc_actf(b, &a));
      ++answered;
    }
    cnc_freelibhndl(b);
  });
  while (!go) plat::sleep_ms(1);
  uint16_t h = open(5);
  ASSERT_EQ(EW_SUCCESS, cnc_dwnstart3(h, 0));
  std::vector<uint8_t> chunk(1280, 'd');
  for (int i = 0; i < 200; ++i) {
    int32_t len = 1280;
    int16_t r;
    while ((r = cnc_download4(h, &len, chunk.data())) == EW_BUFFER) len = 1280;
    ASSERT_EQ(EW_SUCCESS, r);
    if (i % 20 == 0) plat::sleep_ms(1);
  }
  ASSERT_EQ(EW_SUCCESS, cnc_dwnend4(h));
  done = true;
  other.join();
  // Somewhere between the first and the last data PDU a request went by.
  auto all = fake.received();
  size_t first = all.size(), last = 0;
  for (size_t i = 0; i < all.size(); ++i)
    if (all[i].type == 18) {
      first = std::min(first, i);
      last = i;
    }
  bool between = false;
  for (size_t i = first; i < last; ++i) between |= all[i].type == 33;
  EXPECT_TRUE(between);
  EXPECT_GT(answered.load(), 0);
  EXPECT_EQ(200u, pdus(18).size());
}

}  // namespace
}  // namespace oz::test
