// Backup and C-executor sessions, flash listings, C-executor directory and
// SRAM against the fake controller: start texts and kinds, the end of a save
// or load as a normal result, listing decodes and the piece loops.
#include <cstring>
#include <functional>

#include "tests/support.h"

namespace oz::test {
namespace {

using sim::Conn;
using sim::RbReply;
using sim::ReceivedPdu;

std::vector<uint8_t> be32bytes(uint32_t v) {
  return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

class Backup : public FakeTest {
 protected:
  Backup() {
    fake.on_pdu(21, [this](Conn& c, const ReceivedPdu&) {
      c.send(21, 2, be32bytes(uint32_t(upload.size())));
      if (!upload.empty()) c.send(22, 4, upload);
      if (end_upload) c.send(23, 4, {});
    });
    fake.on_pdu(17, [this](Conn& c, const ReceivedPdu&) {
      c.send(17, 2, {});
      // The controller ends a load with an abort that says "cancelled".
      if (stop_download) c.send(20, 4, sim::error_body(0, EW_CANCELLED, 0, 0));
    });
    fake.on_pdu(19, [](Conn& c, const ReceivedPdu&) { c.send(19, 2, {}); });
  }
  std::vector<ReceivedPdu> starts() const {
    std::vector<ReceivedPdu> out;
    for (auto& p : fake.received())
      if (p.type == 17 || p.type == 21) out.push_back(p);
    return out;
  }
  // Repeats a data call while it answers EW_BUFFER (the data is on its way).
  static int16_t settle(const std::function<int16_t()>& f) {
    int16_t r = EW_BUFFER;
    for (int i = 0; i < 5000 && r == EW_BUFFER; ++i)
      if ((r = f()) == EW_BUFFER) plat::sleep_ms(1);
    return r;
  }
  std::vector<uint8_t> upload;
  bool end_upload = true, stop_download = false;
};

struct StartRow {
  const char* what;
  int16_t (*start)(uint16_t);
  uint8_t pdu;
  uint16_t kind;
  const char* text;
};

class BackupStarts : public Backup, public ::testing::WithParamInterface<StartRow> {};

// Every start opens its session with its kind and text; the close call finds
// the session by the open bits.
TEST_P(BackupStarts, OpenTheSessionOfTheirKindWithTheirText) {
  const StartRow& r = GetParam();
  end_upload = false;
  uint16_t h = open();
  ASSERT_EQ(EW_SUCCESS, r.start(h));
  auto s = starts();
  ASSERT_EQ(1u, s.size());
  ASSERT_EQ(516u, s[0].body.size());
  EXPECT_EQ(r.pdu, s[0].type);
  EXPECT_EQ(r.kind, be16(s[0].body, 0) & 0xFFFF);
  std::vector<uint8_t> text(256, 0);
  std::memcpy(text.data(), r.text, std::strlen(r.text));
  EXPECT_EQ(text, std::vector<uint8_t>(s[0].body.begin() + 4, s[0].body.begin() + 260));
  EXPECT_EQ(std::vector<uint8_t>(256, 0), std::vector<uint8_t>(s[0].body.begin() + 260, s[0].body.end()));
  EXPECT_EQ(EW_SUCCESS, cnc_closecexefile(h));
  EXPECT_FALSE(rec(h).hold.held());
}

INSTANTIATE_TEST_SUITE_P(All, BackupStarts, ::testing::Values(
    StartRow{"fromsvstart", [](uint16_t h) { return cnc_fromsvstart(h, 2, "PMC1", 5); }, 21, 0x8002, "2:PMC1;5"},
    StartRow{"fromgetstart", [](uint16_t h) { return cnc_fromgetstart(h, 1, "ABC"); }, 21, 0x8002, "1:ABC;-1"},
    StartRow{"fromgetstart2", [](uint16_t h) { return cnc_fromgetstart2(h, 1, "ABC"); }, 21, 0x800A, "1:ABC;-1"},
    StartRow{"fromldstart", [](uint16_t h) { return cnc_fromldstart(h, 3, 9); }, 17, 0x8002, "3:;9"},
    StartRow{"fromputstart", [](uint16_t h) { return cnc_fromputstart(h, 3); }, 17, 0x8002, "3:;-1"},
    StartRow{"fromputstart2", [](uint16_t h) { return cnc_fromputstart2(h, -2); }, 17, 0x800A, "-2:;-1"},
    StartRow{"srambkstart", [](uint16_t h) { return cnc_srambkstart(h, "IMG", 4); }, 21, 0x8003, ":IMG;4:1"},
    StartRow{"sramgetstart", [](uint16_t h) { return cnc_sramgetstart(h, "S"); }, 21, 0x8003, ":S;-1:1"},
    StartRow{"sramgetstart2", [](uint16_t h) { return cnc_sramgetstart2(h, "S"); }, 21, 0x8003, ":S;-1:0"},
    StartRow{"sramputstart", [](uint16_t h) { return cnc_sramputstart(h, "S"); }, 17, 0x8003, ":S;-1:1"},
    StartRow{"sramputstart2", [](uint16_t h) { return cnc_sramputstart2(h, nullptr); }, 17, 0x8003, ":;-1:0"},
    StartRow{"cexeread", [](uint16_t h) { return cnc_opencexefile(h, "/U/A", 0, 5); }, 21, 0x8004, "/U/A"},
    StartRow{"cexewrite", [](uint16_t h) { return cnc_opencexefile(h, "/U/A", 1, 1); }, 17, 0x8005, "/U/A"},
    StartRow{"cexewrite0", [](uint16_t h) { return cnc_opencexefile(h, "/U/A", -1, 0); }, 17, 0x8004, "/U/A"}),
    [](const auto& i) { return std::string(i.param.what); });

TEST_F(Backup, SaveEndsWithNoMoreAndNothingDelivered) {
  upload.assign(300, 0x5A);
  uint16_t h = open();
  ASSERT_EQ(EW_SUCCESS, cnc_fromgetstart(h, 1, "ABC"));
  std::vector<uint8_t> buf(512, 0);
  int16_t more = -1;
  int32_t len = 0;
  ASSERT_EQ(EW_SUCCESS, settle([&] { len = 512; return cnc_fromget(h, &more, buf.data(), &len); }));
  EXPECT_EQ(1, more);
  ASSERT_EQ(300, len);
  EXPECT_EQ(upload, std::vector<uint8_t>(buf.begin(), buf.begin() + 300));
  ASSERT_EQ(EW_SUCCESS, settle([&] { len = 512; return cnc_fromsave(h, &more, buf.data(), &len); }));
  EXPECT_EQ(0, more);
  EXPECT_EQ(0, len);
  EXPECT_EQ(EW_SUCCESS, cnc_fromsvend(h));
  EXPECT_FALSE(rec(h).hold.held());
}

TEST_F(Backup, SaveErrorsComeBackWithMoreSet) {
  uint16_t h = open();
  int16_t more = -1;
  int32_t len = 512;
  char buf[512];
  EXPECT_EQ(EW_UNAVAILABLE, cnc_fromsave(h, &more, buf, &len));
  EXPECT_EQ(1, more);
  ASSERT_EQ(EW_SUCCESS, cnc_sramgetstart(h, "S"));
  len = 100;
  EXPECT_EQ(EW_SIZE, cnc_fromsave(h, &more, buf, &len));
  EXPECT_EQ(1, more);
  EXPECT_EQ(100, len);
}

TEST_F(Backup, LoadEndedByTheControllerIsANormalEnd) {
  stop_download = true;
  uint16_t h = open();
  ASSERT_EQ(EW_SUCCESS, cnc_sramputstart(h, "S"));
  const char data[10] = "abcdefghi";
  int32_t len = 0;
  int16_t r = EW_SUCCESS;
  // The stop may arrive after a first piece went out.
  for (int i = 0; i < 2000; ++i) {
    len = 10;
    r = cnc_sramput(h, nullptr, data, &len);
    if (r != EW_SUCCESS || len == 0) break;
    plat::sleep_ms(1);
  }
  EXPECT_EQ(EW_SUCCESS, r);
  EXPECT_EQ(0, len);
  // The end call passes the session end through: it reports the saved abort.
  EXPECT_EQ(EW_CANCELLED, cnc_sramrestoreend(h));
  EXPECT_FALSE(rec(h).has(kDownloadOpen));
}

// ---- listings --------------------------------------------------------------------------

TEST_F(Backup, FlashInfoCutsNamesToElevenCharactersAndCountsWholeEntries) {
  RbReply r;
  r.bytes({'F', 'L', 'A', 'S', 'H', 'R', 'O', 'M', '-', 'D', 'E', 'V', 'I', 'C', 'E', 0});
  r.bytes({'B', 'O', 'O', 'T', 0, 'x', 'y', 'z', 0, 0, 0, 0, 0, 0, 0, 0}).u32(0x01020304);
  r.bytes({'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 0}).u32(7);
  r.bytes({1, 2, 3});   // part of an entry: not counted
  fake.reply(1, 304, r);
  uint16_t h = open();
  frominfo_t info;
  sentinel(info);
  ASSERT_EQ(EW_SUCCESS, cnc_rdfrominfo(h, 3, &info));
  expectRequests({{304, 3}});
  EXPECT_EQ(0, std::memcmp(info.device, "FLASHROM-DE\0", 12));
  EXPECT_EQ(2, info.count);
  EXPECT_EQ(0, std::memcmp(info.file[0].name, "BOOT\0\0\0\0\0\0\0\0", 12));
  EXPECT_EQ(0x01020304u, info.file[0].size);
  EXPECT_EQ(0, std::memcmp(info.file[1].name, "ABCDEFGHIJK\0", 12));
  EXPECT_EQ(7u, info.file[1].size);
  EXPECT_TRUE(untouched(&info.file[2], 0, sizeof(frominfo_file_t) * (OZ_FROMINFO_FILES - 2)));
}

TEST_F(Backup, FlashInfoWithoutItsHeadIsRefusedUntouched) {
  fake.reply(1, 304, RbReply().bytes({'F', 'R', 0}));
  uint16_t h = open();
  frominfo_t info;
  sentinel(info);
  EXPECT_EQ(EW_SIZE, cnc_rdfrominfo(h, 0, &info));
  EXPECT_TRUE(untouched(&info, 0, sizeof info));
}

TEST_F(Backup, DeleteSendsTheNameCutToFifteenAndTerminated) {
  fake.reply(1, 305, RbReply());
  uint16_t h = open();
  ASSERT_EQ(EW_SUCCESS, cnc_fromdelete(h, 2, "ABCDEFGHIJKLMNOPQRST", 9));
  ASSERT_EQ(EW_SUCCESS, cnc_fromremove(h, 1, "AB"));
  std::vector<uint8_t> cut(16, 0), ab(16, 0);
  std::memcpy(cut.data(), "ABCDEFGHIJKLMNO", 15);
  std::memcpy(ab.data(), "AB", 2);
  expectRequests({{305, 2, 9, 0, 0, cut}, {305, 1, -1, 0, 0, ab}});
}

TEST_F(Backup, BackupTimeSendsAZeroedRecordAndCopiesBounded) {
  fake.reply(1, 831, RbReply().bytes(std::vector<uint8_t>(40, 0x33)));
  uint16_t h = open();
  uint8_t buf[40];
  std::memset(buf, 0xEE, sizeof buf);
  int16_t len = 32;
  ASSERT_EQ(EW_SUCCESS, cnc_atbk_rdtime(h, &len, buf));
  EXPECT_EQ(32, len);
  EXPECT_EQ(0x33, buf[31]);
  EXPECT_EQ(0xEE, buf[32]);
  expectRequests({{831, 0, 0, 0, 0, std::vector<uint8_t>(32, 0)}});
}

// ---- C executor -------------------------------------------------------------------------

std::vector<uint8_t> dirName(const char* n) {
  std::vector<uint8_t> d(256, 0);
  std::memcpy(d.data(), n, std::strlen(n));
  return d;
}

TEST_F(Backup, DirectoryAsksInPiecesOf39AndStopsAtTheEnd) {
  int calls = 0;
  fake.on(1, 346, [&](const sim::RbRequest& q) {
    if (calls++ > 0) return RbReply::fail(3);
    RbReply r;
    for (int i = 0; i < q.a2; ++i) {
      r.bytes({'F', uint8_t('A' + i % 26), '.', 'C', 0, 0, 0, 0, 0, 0, 0, 0, 9, 9, 9, 9});
      r.u32(100 + uint32_t(i)).u32(1);
      for (uint16_t w : {2024, 2, 3, 4, 5, 6}) r.u16(w);
    }
    return r;
  });
  uint16_t h = open();
  std::vector<cexedir_t> e(51);
  sentinel(e[39]);
  int16_t n = 50;
  ASSERT_EQ(EW_SUCCESS, cnc_cexedirectory(h, "/USER/", &n, 5, e.data()));
  EXPECT_EQ(39, n);
  expectRequests({{346, 5, 39, 0, 0, dirName("/USER/")}, {346, 44, 11, 0, 0, dirName("/USER/")}});
  EXPECT_EQ(0, std::memcmp(e[38].name, "FM.C\0\0\0\0\0\0\0\0", 12));
  EXPECT_EQ(138u, e[38].size);
  EXPECT_EQ(1u, e[38].attr);
  EXPECT_EQ(2024, e[38].stamp[0]);
  EXPECT_EQ(6, e[38].stamp[5]);
  EXPECT_TRUE(untouched(&e[39], 0, sizeof e[39]));
}

TEST_F(Backup, SramReadStopsAtAShortPiece) {
  fake.on(1, 316, [](const sim::RbRequest& q) {
    return RbReply().bytes(std::vector<uint8_t>(q.a1 == 10 ? size_t(q.a2) : 100, uint8_t(q.a1)));
  });
  uint16_t h = open();
  std::vector<uint8_t> buf(3000, 0xEE);
  int32_t len = 3000;
  ASSERT_EQ(EW_SUCCESS, cnc_rdcexesram(h, 10, buf.data(), &len));
  EXPECT_EQ(1532, len);
  expectRequests({{316, 10, 1432}, {316, 1442, 1432}});
  EXPECT_EQ(10, buf[1431]);
  EXPECT_EQ(uint8_t(1442), buf[1531]);
  EXPECT_EQ(0xEE, buf[1532]);
}

TEST_F(Backup, SramWriteSendsPiecesOf1420AndEndsAtTheAreaEnd) {
  int calls = 0;
  fake.on(1, 317, [&](const sim::RbRequest&) { return ++calls == 3 ? RbReply::fail(3) : RbReply(); });
  uint16_t h = open();
  std::vector<uint8_t> buf(3000);
  for (size_t i = 0; i < buf.size(); ++i) buf[i] = uint8_t(i * 3);
  int32_t len = 3000;
  ASSERT_EQ(EW_SUCCESS, cnc_wrcexesram(h, 0, buf.data(), &len));
  EXPECT_EQ(2840, len);
  expectRequests({{317, 0, 0, 0, 0, {buf.begin(), buf.begin() + 1420}},
                  {317, 1420, 0, 0, 0, {buf.begin() + 1420, buf.begin() + 2840}},
                  {317, 2840, 0, 0, 0, {buf.begin() + 2840, buf.end()}}});
}

TEST_F(Backup, PieceCallsRefuseBadArgumentsBeforeSending) {
  fake.reply(1, 316, RbReply::fail(3));
  uint16_t h = open();
  char buf[16];
  cexedir_t e[2];
  struct Row {
    int16_t want;
    std::function<int16_t()> f;
  } rows[] = {
      {EW_SIZE, [&] { int32_t n = 0; return cnc_rdcexesram(h, -1, buf, &n); }},
      {EW_RANGE, [&] { int32_t n = 4; return cnc_rdcexesram(h, -1, buf, &n); }},
      {EW_SIZE, [&] { int32_t n = -5; return cnc_wrcexesram(h, 0, buf, &n); }},
      {EW_RANGE, [&] { int32_t n = 4; return cnc_wrcexesram(h, -2, buf, &n); }},
      {EW_SIZE, [&] { int16_t n = 0; return cnc_cexedirectory(h, "/", &n, 0, e); }},
      {EW_UNAVAILABLE, [&] { return cnc_closecexefile(h); }},
  };
  for (auto& r : rows) EXPECT_EQ(r.want, r.f());
  EXPECT_TRUE(sent().empty());
  int32_t n = 4;
  EXPECT_EQ(EW_RANGE, cnc_rdcexesram(h, 0, buf, &n));   // the end already on the first piece
  EXPECT_EQ(4, n);
}

TEST_F(Backup, SramSizeAndInfoDecodeTheirWords) {
  fake.reply(1, 318, RbReply().i32(65536));
  fake.reply(1, 366, RbReply().i32(0x12345).i32(-2).i32(77));
  uint16_t h = open();
  int32_t size = 0, b = 0, c = 0;
  int16_t a = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_cexesramsize(h, &size));
  ASSERT_EQ(EW_SUCCESS, cnc_cexesraminfo(h, &a, &b, &c));
  EXPECT_EQ(65536, size);
  EXPECT_EQ(0x2345, a);
  EXPECT_EQ(-2, b);
  EXPECT_EQ(77, c);
}

}  // namespace
}  // namespace oz::test
