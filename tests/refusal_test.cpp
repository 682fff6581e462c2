// A controller that refuses without saying why: error responses and abort
// PDUs whose code word is 0 or whose body is too short to hold it. Every such
// refusal fails the call with (EW_FRAMING, 9, PDU type); none reads as success,
// none opens a session, and no word is taken from bytes that were not received.
#include <functional>

#include "tests/support.h"

namespace oz::test {
namespace {

using sim::Conn;
using sim::ReceivedPdu;

// The location, code, detail and sub-detail words, cut to `size` bytes.
std::vector<uint8_t> refusalBody(int16_t code, size_t size) {
  std::vector<uint8_t> b = {0, 7, uint8_t(code >> 8), uint8_t(code), 0, 2, 0, 3};
  b.resize(size);
  return b;
}

struct Row {
  const char* what;
  uint8_t answered;                // the request PDU type the fake refuses
  uint8_t type, direction;         // the refusal PDU
  std::vector<uint8_t> body;
  std::function<int16_t(uint16_t)> run;
  int16_t code;                    // the call's result
  uint16_t detail, sub;            // cnc_getdtailerr afterwards (-2 keeps them 0)
  friend void PrintTo(const Row& r, std::ostream* os) { *os << r.what; }
};

class Sessions : public FakeTest {
 protected:
  Sessions() {
    // Starts are accepted unless a case refuses them.
    for (uint8_t t : {kDownloadStart, kUploadStart, kDncStart})
      fake.on_pdu(t, [t](Conn& c, const ReceivedPdu&) { c.send(t, kDirResponse, {0, 0, 0, 0}); });
  }
};

class Refusal : public Sessions, public ::testing::WithParamInterface<Row> {};

TEST_P(Refusal, FailsTheCall) {
  const Row& r = GetParam();
  uint16_t h = open();
  const Row row = r;
  fake.on_pdu(r.answered, [row](Conn& c, const ReceivedPdu&) {
    c.send(row.type, row.direction, row.body);
  });
  if (r.answered == kRequest) fake.reply(kClassCnc, 36, sim::RbReply().i32(1));
  EXPECT_EQ(r.code, r.run(h));
  const dtailerr_t d = detail(h);
  EXPECT_EQ(r.detail, uint16_t(d.detail));
  EXPECT_EQ(r.sub, uint16_t(d.subdetail));
  // A refused start leaves no session behind.
  EXPECT_FALSE(rec(h).has(kDownloadOpen | kUploadOpen | kDncOpen));
  EXPECT_FALSE(rec(h).hold.held());
}

int16_t actf(uint16_t h) {
  actf_t a{};
  return cnc_actf(h, &a);
}
int16_t downloadEnd(uint16_t h) {
  if (int16_t r = cnc_dwnstart3(h, 0)) return r;
  return cnc_dwnend3(h);
}
int16_t dncEnd(uint16_t h) {
  char t[64];
  if (int16_t r = cnc_dncstart2(h, t)) return r;
  return cnc_dncend2(h, -1);
}
int16_t dncStart(uint16_t h) {
  char t[64];
  return cnc_dncstart2(h, t);
}

constexpr uint16_t kNoReason = framing_detail::kNoReason;

INSTANTIATE_TEST_SUITE_P(All, Refusal, ::testing::Values(
    Row{"ErrorCode0", kRequest, kRequest, kDirError, refusalBody(0, 8), actf, EW_FRAMING, kNoReason, kRequest},
    Row{"ErrorLocationOnly", kRequest, kRequest, kDirError, refusalBody(5, 2), actf, EW_FRAMING, kNoReason, kRequest},
    Row{"ErrorEmpty", kRequest, kRequest, kDirError, {}, actf, EW_FRAMING, kNoReason, kRequest},
    Row{"ErrorWithCode", kRequest, kRequest, kDirError, refusalBody(5, 8), actf, 5, 2, 3},
    Row{"ErrorCodeNoDetail", kRequest, kRequest, kDirError, refusalBody(5, 4), actf, 5, 0, 0},
    Row{"DownloadStartCode0", kDownloadStart, kDownloadStart, kDirError, refusalBody(0, 8),
        [](uint16_t h) { return cnc_dwnstart3(h, 0); }, EW_FRAMING, kNoReason, kDownloadStart},
    Row{"UploadStartShort", kUploadStart, kUploadStart, kDirError, refusalBody(4, 3),
        [](uint16_t h) { return cnc_upstart3(h, 0, 1, 1); }, EW_FRAMING, kNoReason, kUploadStart},
    Row{"DncStartEmpty", kDncStart, kDncStart, kDirError, {}, dncStart, EW_FRAMING, kNoReason, kDncStart},
    Row{"DownloadEndAbortEmpty", kDownloadEnd, kDownloadAbort, kDirOneWay, {}, downloadEnd,
        EW_FRAMING, kNoReason, kDownloadAbort},
    Row{"DownloadEndAbortTwoBytes", kDownloadEnd, kDownloadAbort, kDirOneWay, refusalBody(9, 2),
        downloadEnd, EW_FRAMING, kNoReason, kDownloadAbort},
    Row{"DownloadEndAbortCode0", kDownloadEnd, kDownloadAbort, kDirOneWay, refusalBody(0, 8),
        downloadEnd, EW_FRAMING, kNoReason, kDownloadAbort},
    Row{"DncEndAbortEmpty", kDncEnd, kDncAbort, kDirOneWay, {}, dncEnd, EW_FRAMING, kNoReason, kDncAbort},
    Row{"DncEndAbortWithCode", kDncEnd, kDncAbort, kDirOneWay, refusalBody(-2, 8), dncEnd, -2, 0, 0}),
    [](const auto& i) { return std::string(i.param.what); });

// Aborts the controller sends in the middle of a session: the data call fails,
// and so does the end call, with the same error.
struct MidRow {
  const char* what;
  std::function<int16_t(uint16_t)> start;
  uint8_t abort;
  std::function<int16_t(uint16_t)> data;
  std::function<int16_t(uint16_t)> end;
  int16_t data_code;
  friend void PrintTo(const MidRow& r, std::ostream* os) { *os << r.what; }
};

class MidSession : public Sessions, public ::testing::WithParamInterface<MidRow> {};

TEST_P(MidSession, AShortAbortStillFailsTheEnd) {
  const MidRow& r = GetParam();
  uint16_t h = open();
  ASSERT_EQ(EW_SUCCESS, r.start(h));
  ASSERT_TRUE(fake.send_to(1, r.abort, kDirOneWay, {0, 0}));
  int16_t d = EW_BUFFER;
  for (int i = 0; i < 2000 && (d == EW_BUFFER || d == EW_SUCCESS); ++i) {
    d = r.data(h);
    if (d == EW_BUFFER || d == EW_SUCCESS) plat::sleep_ms(1);
  }
  EXPECT_EQ(r.data_code, d);
  EXPECT_EQ(EW_FRAMING, r.end(h));
  EXPECT_EQ(kNoReason, detail(h).detail);
  EXPECT_EQ(r.abort, detail(h).subdetail);
  EXPECT_FALSE(rec(h).has(kDownloadOpen | kUploadOpen | kDncOpen));
}

INSTANTIATE_TEST_SUITE_P(All, MidSession, ::testing::Values(
    MidRow{"Download", [](uint16_t h) { return cnc_dwnstart3(h, 0); }, kDownloadAbort,
           [](uint16_t h) { int32_t n = 4; return cnc_download3(h, &n, "O1\n%"); },
           [](uint16_t h) { return cnc_dwnend3(h); }, EW_FRAMING},
    MidRow{"Upload", [](uint16_t h) { return cnc_upstart3(h, 0, 1, 1); }, kUploadAbort,
           [](uint16_t h) { char b[256]; int32_t n = 256; return cnc_upload3(h, &n, b); },
           [](uint16_t h) { return cnc_upend3(h); }, EW_FRAMING},
    MidRow{"Dnc", dncStart, kDncAbort,
           [](uint16_t h) { int32_t n = 4; return cnc_dnc2(h, &n, "O1\n%"); },
           [](uint16_t h) { return cnc_dncend2(h, -1); }, EW_CANCELLED}),
    [](const auto& i) { return std::string(i.param.what); });

}  // namespace
}  // namespace oz::test
