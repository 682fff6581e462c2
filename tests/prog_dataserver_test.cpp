// The data server and the Ethernet board's settings against the fake
// controller: name fields and their limits, the paged listings, the board
// parameters and the download session of the data-server kind.
#include "sim/machine.h"
#include "tests/folder_support.h"

namespace oz::test {
namespace {

using sim::RbReply;
using sim::RbRequest;

class DataServer : public FolderRowTest {};

TEST_F(DataServer, NameRequestsSendTheirFields) {
  uint16_t h = open();
  const OrderRow rows[] = {
      {"wrdsdncfile", [](uint16_t h) { return cnc_wrdsdncfile(h, "DATA_SV", "O0100"); },
       {457, 0, 0, 0, 0, join({fieldOf("DATA_SV", 256, 256), fieldOf("O0100", 256, 256)})}},
      {"dsremove", [](uint16_t h) { return cnc_dsremove(h, "DATA_SV", "A.NC"); },
       {458, 0, 0, 0, 0, join({fieldOf("DATA_SV", 256, 256), fieldOf("A.NC", 256, 256)})}},
      {"dsget_req", [](uint16_t h) { return cnc_dsget_req(h, "HOST.NC", "SRV.NC", 2); },
       {459, 2, 0, 0, 0, join({fieldOf("HOST.NC", 128, 128), fieldOf("SRV.NC", 128, 128)})}},
      {"dsmkdir", [](uint16_t h) { return cnc_dsmkdir(h, "DATA_SV", "NEW"); },
       {666, 0, 0, 0, 0, join({fieldOf("DATA_SV", 256, 256), fieldOf("NEW", 256, 256)})}},
      {"dsrmdir", [](uint16_t h) { return cnc_dsrmdir(h, nullptr, "OLD"); },
       {667, 0, 0, 0, 0, join({fieldOf("", 256, 256), fieldOf("OLD", 256, 256)})}},
      {"dsput_req", [](uint16_t h) { return cnc_dsput_req(h, std::string(130, 'H').c_str(), std::string(40, 'S').c_str()); },
       {679, 0, 0, 0, 0, join({fieldOf(std::string(128, 'H'), 128, 128), fieldOf(std::string(33, 'S'), 33, 33)})}},
      {"dsrename", [](uint16_t h) { return cnc_dsrename(h, "DATA_SV_DEVICE", "A", "B"); },
       {686, 0, 0, 0, 0, join({fieldOf("DATA_SV_DEVI", 12, 12), fieldOf("A", 128, 128), fieldOf("B", 128, 128)})}},
      {"dsmget_req", [](uint16_t h) { return cnc_dsmget_req(h, "*"); }, {704, 0, 0, 0, 0, fieldOf("*", 128, 128)}},
      {"dsmput_req", [](uint16_t h) { return cnc_dsmput_req(h, "*"); }, {705, 0, 0, 0, 0, fieldOf("*", 128, 128)}},
      {"dslistget_req", [](uint16_t h) { return cnc_dslistget_req(h, "L"); }, {706, 0, 0, 0, 0, fieldOf("L", 128, 128)}},
      {"dslistput_req", [](uint16_t h) { return cnc_dslistput_req(h, "L"); }, {707, 0, 0, 0, 0, fieldOf("L", 128, 128)}},
      {"dslistdel_req", [](uint16_t h) { return cnc_dslistdel_req(h, "L"); }, {708, 0, 0, 0, 0, fieldOf("L", 128, 128)}},
      {"delhddfile", [](uint16_t h) { return ds_delhddfile(h, "F.NC"); }, {217, 0, 0, 0, 0, bytesOf(std::string("F.NC", 5))}},
      {"chghdddir", [](uint16_t h) { return ds_chghdddir(h, nullptr); }, {218, 0, 0, 0, 0, {0}}},
      {"rdresult", [](uint16_t h) { return ds_rdresult(h); }, {219}},
      {"cancel", [](uint16_t h) { return ds_cancel(h); }, {220}},
      {"dsftpstat", [](uint16_t h) { return cnc_dsftpstat(h); }, {460}},
      {"dsftpcancel", [](uint16_t h) { return cnc_dsftpcancel(h); }, {680}},
      {"eth_wrhost", [](uint16_t h) { return eth_wrhost(h, 1, -2); }, {688, 1, -2}},
      {"eth_wrdsm198host", [](uint16_t h) { return eth_wrdsm198host(h, 1, 2, "ftp.local"); },
       {702, 1, 2, 0, 0, fieldOf("ftp.local", 256, 256)}},
      // The server itself answers a folder change with no listing.
      {"dschdir DATA_SV", [](uint16_t h) { return cnc_dschdir(h, "data_sv", "/NC", nullptr, nullptr, nullptr); },
       {677, 0, 0, 0, 0, join({fieldOf("data_sv", 12, 12), fieldOf("/NC", 128, 128), std::vector<uint8_t>(270, 0)})}},
  };
  for (auto& r : rows) check(h, r);
}

TEST_F(DataServer, ReadsStoreTheirReplies) {
  uint16_t h = open();
  const ReadRow rows[] = {
      {"rddsdir", RbReply().i16(1).bytes(bytesOf("/NC/")),
       [](uint16_t h, uint8_t* b) { return cnc_rddsdir(h, "DATA_SV", reinterpret_cast<int16_t*>(b), reinterpret_cast<char*>(b + 2)); },
       {676, 0, 0, 0, 0, bytesOf(std::string("DATA_SV", 8))}, Image(258).i16(0, 1).text(2, "/NC/", 256).b},
      {"rddsdncfile", RbReply().i16(-1).bytes(bytesOf(std::string(300, 'D'))),
       [](uint16_t h, uint8_t* b) { return cnc_rddsdncfile(h, "DATA_SV", reinterpret_cast<int16_t*>(b), reinterpret_cast<char*>(b + 2)); },
       {675, 0, 0, 0, 0, bytesOf(std::string("DATA_SV", 8))}, Image(258).i16(0, -1).text(2, std::string(255, 'D'), 256).b},
      {"rddsdevinfo", RbReply().i32(1).i32(2).i32(3).i32(-4),
       [](uint16_t h, uint8_t* b) { return cnc_rddsdevinfo(h, 2, reinterpret_cast<dsdevinfo_t*>(b)); },
       {703, 2}, Image(16).i32(0, 1).i32(4, 2).i32(8, 3).i32(12, -4).b},
      {"eth_rddsm198host", RbReply().i16(7).bytes(bytesOf(std::string("host\0junk", 9))),
       [](uint16_t h, uint8_t* b) { return eth_rddsm198host(h, 3, reinterpret_cast<int16_t*>(b), reinterpret_cast<char*>(b + 2)); },
       {701, 3}, Image(258).i16(0, 7).text(2, "host", 256).b},
      {"eth_rdhost", RbReply().i16(-5),
       [](uint16_t h, uint8_t* b) { return eth_rdhost(h, 4, reinterpret_cast<int16_t*>(b)); },
       {687, 4}, Image(2).i16(0, -5).b},
      {"eth_rddsmode", RbReply().i16(1).i16(2).i16(3).i16(4).i16(5).i16(6).i16(7).i16(8).i16(9).i16(-10).i16(99),
       [](uint16_t h, uint8_t* b) { return eth_rddsmode(h, reinterpret_cast<int16_t*>(b)); },
       {699}, Image(22).i16(0, 1).i16(2, 2).i16(4, 3).i16(6, 4).i16(8, 5).i16(10, 6).i16(12, 7).i16(14, 8).i16(16, 9).i16(18, -10).b},
  };
  for (auto& r : rows) check(h, r);
}

TEST_F(DataServer, NamesThatDoNotFitAreRefusedBeforeSending) {
  uint16_t h = open();
  const std::string s127(127, 'n'), s128(128, 'n'), s255(255, 'n'), s256(256, 'n');
  struct Row {
    const char* name;
    int16_t (*fn)(uint16_t, const char*, const char*);
    const std::string* fits;
    const std::string* too_long;
    uint16_t detail;
  } rows[] = {
      {"dsmkdir", cnc_dsmkdir, &s255, &s256, 489},
      {"dsrmdir", cnc_dsrmdir, &s255, &s256, 487},
      {"dsremove", cnc_dsremove, &s255, &s256, 505},
      {"wrdsdncfile", cnc_wrdsdncfile, &s255, &s256, 494},
      {"dsget_req", [](uint16_t h, const char* a, const char* b) { return cnc_dsget_req(h, a, b, 0); }, &s127, &s128, 505},
  };
  for (auto& r : rows) {
    SCOPED_TRACE(r.name);
    fake.clear_received();
    EXPECT_EQ(EW_VALUE, r.fn(h, r.too_long->c_str(), r.fits->c_str()));
    EXPECT_EQ(EW_DATASERVER, r.fn(h, r.fits->c_str(), r.too_long->c_str()));
    EXPECT_EQ(r.detail, uint16_t(detail(h).detail));
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(1, r.fn(h, r.fits->c_str(), r.fits->c_str()));   // sent: the fake has no handler
    ASSERT_EQ(1u, sent().size());
    EXPECT_EQ(2 * (r.fits->size() + 1), sent()[0].data.size());
  }
}

// A data-server folder of `total` entries, indices first..first + total - 1,
// answering any number asked for from the index asked.
struct DsFolder {
  int32_t first = 1;
  int32_t total = 20;
  RbReply page(const RbRequest& q, size_t at) const {
    const int32_t index = be32(q.data, at + 260);
    const int16_t ask = be16(q.data, at + 264);
    RbReply r = RbReply().i16(7).i16(0).i32(first).i32(first + total - 1).i32(100).i32(200);
    r.bytes(fieldOf("/NC/", 256, 256));
    for (int32_t i = index; i < first + total && i < index + ask; ++i) {
      std::vector<uint8_t> e(184, uint8_t(i));
      e[0] = 0;
      e[1] = uint8_t(i);
      r.bytes(e);
    }
    return r;
  }
};

class DsListing : public FakeTest {
 protected:
  void serve() {
    fake.on(1, 678, [this](const RbRequest& q) { return folder.page(q, 12); });
    fake.on(1, 677, [this](const RbRequest& q) { return folder.page(q, 140); });
  }
  dsfile_in_t in(int16_t count, int32_t index = 1) {
    dsfile_in_t v{};
    std::strcpy(v.path, "/NC/");
    v.value = 0x01020304;
    v.index = index;
    v.count = count;
    v.v1 = 5;
    v.v2 = 6;
    return v;
  }
  DsFolder folder;
};

TEST_F(DsListing, PagesOf14StopAtTheFoldersSize) {
  uint16_t h = open();
  serve();
  const dsfile_in_t v = in(30);
  dsfile_t hdr;
  sentinel(hdr);
  std::vector<dsentry_t> out(31);
  sentinel(out[20]);
  ASSERT_EQ(EW_SUCCESS, cnc_rddsfile(h, "DATA_SV", &v, &hdr, out.data()));
  auto fields = [](int32_t index, int16_t ask) {
    return join({fieldOf("DATA_SV", 12, 12), fieldOf("/NC/", 256, 256),
                 {1, 2, 3, 4, uint8_t(index >> 24), uint8_t(index >> 16), uint8_t(index >> 8), uint8_t(index),
                  uint8_t(ask >> 8), uint8_t(ask), 0, 5, 0, 6}});
  };
  expectRequests({{678, 0, 0, 0, 0, fields(1, 14)}, {678, 0, 0, 0, 0, fields(15, 6)}});
  EXPECT_EQ(7, hdr.v0);
  EXPECT_EQ(1, hdr.first);
  EXPECT_EQ(20, hdr.last);
  EXPECT_EQ(200, hdr.v4);
  EXPECT_STREQ("/NC/", hdr.folder);
  EXPECT_EQ(20, out[19].w[0]);
  EXPECT_EQ(0x1414, uint16_t(out[19].w[1]));
  EXPECT_EQ(20, uint8_t(out[19].extra[127]));
  EXPECT_TRUE(untouched(&out[20], 0, sizeof out[20]));
}

TEST_F(DsListing, ChdirOnADeviceChangesThenListsAndCountZeroStillAsks) {
  uint16_t h = open();
  serve();
  folder.total = 3;
  const dsfile_in_t v = in(5);
  dsfile_t hdr;
  std::vector<dsentry_t> out(5);
  ASSERT_EQ(EW_SUCCESS, cnc_dschdir(h, "MEMCARD", "SUB", &v, &hdr, out.data()));
  auto q = sent();
  ASSERT_EQ(1u, q.size());   // three entries came with the folder change
  EXPECT_EQ(677, q[0].cmd);
  EXPECT_EQ(410u, q[0].data.size());
  EXPECT_EQ(fieldOf("SUB", 128, 128), std::vector<uint8_t>(q[0].data.begin() + 12, q[0].data.begin() + 140));
  EXPECT_EQ(3, out[2].w[0]);
  fake.clear_received();
  const dsfile_in_t none = in(0);
  sentinel(hdr);
  ASSERT_EQ(EW_SUCCESS, cnc_rddsfile(h, "MEMCARD", &none, &hdr, out.data()));
  ASSERT_EQ(1u, sent().size());
  EXPECT_EQ(3, hdr.last);
}

TEST_F(DsListing, CountsAndShortRepliesAndLaterFailures) {
  uint16_t h = open();
  dsfile_t hdr;
  std::vector<dsentry_t> out(40);
  for (int16_t bad : {int16_t(-1), int16_t(33)}) {
    const dsfile_in_t v = in(bad);
    EXPECT_EQ(EW_SIZE, cnc_rddsfile(h, "DATA_SV", &v, &hdr, out.data()));
    EXPECT_EQ(EW_SIZE, cnc_dschdir(h, "MEMCARD", "X", &v, &hdr, out.data()));
  }
  EXPECT_TRUE(sent().empty());
  fake.reply(1, 678, RbReply().bytes(std::vector<uint8_t>(275, 0)));
  const dsfile_in_t v = in(20);
  EXPECT_EQ(EW_SIZE, cnc_rddsfile(h, "DATA_SV", &v, &hdr, out.data()));
  // A later page that fails is the call's failure: the caller cannot tell
  // how many entries are real otherwise.
  int calls = 0;
  fake.on(1, 678, [&](const RbRequest& q) { return ++calls == 1 ? folder.page(q, 12) : RbReply::fail(-1); });
  EXPECT_EQ(EW_INUSE, cnc_rddsfile(h, "DATA_SV", &v, &hdr, out.data()));
  EXPECT_EQ(2, calls);
  EXPECT_EQ(14, out[13].w[0]);
}

class Hdd : public FakeTest {};

// Entries named by their index, 168 bytes each.
RbReply hddPage(int from, int n) {
  RbReply r;
  for (int i = from; i < from + n; ++i) {
    std::vector<uint8_t> e(168, 0);
    const std::string name = "F" + std::to_string(i);
    std::memcpy(e.data(), name.data(), name.size());
    e[148 + 3] = uint8_t(i);
    r.bytes(e);
  }
  return r;
}

TEST_F(Hdd, StopsWhenTheServerStartsOver) {
  uint16_t h = open();
  int calls = 0;
  // The second page begins with the first page's last entry.
  fake.on(1, 216, [&](const RbRequest&) { return ++calls == 1 ? hddPage(0, 8) : hddPage(7, 8); });
  std::vector<hddentry_t> out(20);
  sentinel(out[8]);
  int16_t n = 20;
  ASSERT_EQ(EW_SUCCESS, ds_rdhdddir(h, "/NC", 4, &n, out.data()));
  EXPECT_EQ(8, n);
  expectRequests({{216, 4, 8, 0, 0, bytesOf(std::string("/NC", 4))}, {216, 12, 8, 0, 0, bytesOf(std::string("/NC", 4))}});
  EXPECT_STREQ("F7", out[7].name);
  EXPECT_EQ(7, out[7].v3);
  EXPECT_TRUE(untouched(&out[8], 0, sizeof out[8]));
}

TEST_F(Hdd, ThreeEndsALaterPageAndCountsAreTested) {
  uint16_t h = open();
  int calls = 0;
  fake.on(1, 216, [&](const RbRequest& q) { return ++calls == 1 ? hddPage(q.a1, 8) : RbReply::fail(3); });
  std::vector<hddentry_t> out(33);
  int16_t n = 12;
  ASSERT_EQ(EW_SUCCESS, ds_rdhdddir(h, nullptr, 0, &n, out.data()));
  EXPECT_EQ(8, n);
  EXPECT_TRUE(sent()[0].data.empty());
  EXPECT_EQ(4, sent()[1].a2);
  fake.clear_received();
  for (int16_t bad : {int16_t(0), int16_t(33)}) {
    n = bad;
    EXPECT_EQ(EW_SIZE, ds_rdhdddir(h, nullptr, 0, &n, out.data()));
  }
  EXPECT_TRUE(sent().empty());
}

class Board : public FakeTest {};

TEST_F(Board, ParameterFormsConvertTheirFieldsOnly) {
  uint16_t h = open();
  std::vector<uint8_t> raw(1000);
  for (size_t i = 0; i < raw.size(); ++i) raw[i] = uint8_t(i * 7);
  fake.reply(1, 728, RbReply().bytes(raw));
  auto swapped = [&](std::vector<uint8_t> b, std::initializer_list<int> w16, std::initializer_list<int> w32) {
    for (int at : w16) std::swap(b[size_t(at)], b[size_t(at) + 1]);
    for (int at : w32) {
      std::swap(b[size_t(at)], b[size_t(at) + 3]);
      std::swap(b[size_t(at) + 1], b[size_t(at) + 2]);
    }
    return b;
  };
  const std::vector<uint8_t> block(raw.begin(), raw.begin() + 996);
  const std::initializer_list<int> words = {0, 2, 4, 6, 8, 10};
  struct Row {
    int16_t kind;
    std::vector<uint8_t> want;
  } rows[] = {
      {21, swapped(block, words, {})},
      {1, swapped(block, words, {})},
      {82, swapped(block, words, {12, 16, 20})},
      {43, swapped(block, words, {76, 80, 340, 344, 604, 608})},
      {64, swapped(block, words, {76, 80, 340, 344, 604, 608})},
  };
  for (auto& r : rows) {
    SCOPED_TRACE(r.kind);
    std::vector<uint8_t> out(996, 0xEE);
    ASSERT_EQ(EW_SUCCESS, eth_rdparam(h, r.kind, out.data()));
    EXPECT_EQ(r.want, out);
    EXPECT_EQ(r.kind, sent().back().a1);
  }
  fake.clear_received();
  std::vector<uint8_t> out(996, 0xEE);
  for (int16_t bad : {15, 31, 5, 0, 90, -21, 25})
    EXPECT_EQ(EW_VALUE, eth_rdparam(h, bad, out.data())) << bad;
  EXPECT_EQ(2, detail(h).detail);
  EXPECT_TRUE(sent().empty());
  // A short reply: what came and zeros; one too short for the form's fields fails.
  fake.reply(1, 728, RbReply().bytes(raw.data(), 30));
  ASSERT_EQ(EW_SUCCESS, eth_rdparam(h, 22, out.data()));
  EXPECT_EQ(std::vector<uint8_t>(966, 0), std::vector<uint8_t>(out.begin() + 30, out.end()));
  EXPECT_EQ(EW_SIZE, eth_rdparam(h, 23, out.data()));
}

TEST_F(Board, RawBlocksGoAsTheyAre) {
  uint16_t h = open();
  fake.reply(1, 700, RbReply().i16(1).bytes(std::vector<uint8_t>(120, 0x41)));
  std::vector<uint8_t> buf(64, 0xEE);
  int16_t len = 60;
  ASSERT_EQ(EW_SUCCESS, eth_rdlog(h, 1, 2, 3, &len, buf.data()));
  EXPECT_EQ(60, len);
  EXPECT_EQ(0xEE, buf[60]);
  fake.reply(1, 729, RbReply());
  std::vector<uint8_t> block(1084, 9);
  ASSERT_EQ(EW_SUCCESS, eth_wrparam(h, 4, int16_t(block.size()), block.data()));
  expectRequests({{700, 1, 2, 3}, {729, 4, 0, 0, 0, block}});
}

class DsDownload : public FakeTest {};

TEST_F(DsDownload, StartCarriesTheKindAndNameAndNumber) {
  uint16_t h = open();
  fake.on_pdu(17, [](sim::Conn& c, const sim::ReceivedPdu&) { c.send(17, 2, {}); });
  fake.on_pdu(19, [](sim::Conn& c, const sim::ReceivedPdu&) { c.send(19, 2, {}); });
  ASSERT_EQ(EW_SUCCESS, ds_dwnstart(h, "PART.NC", 3));
  EXPECT_EQ(EW_INUSE, ds_dwnstart(h, "PART.NC", 3));
  int32_t len = 5;
  ASSERT_EQ(EW_SUCCESS, ds_download(h, &len, "G01\n%"));
  ASSERT_EQ(EW_SUCCESS, ds_dwnend(h));
  std::vector<sim::ReceivedPdu> starts;
  for (auto& p : fake.received())
    if (p.type == 17) starts.push_back(p);
  ASSERT_EQ(1u, starts.size());
  EXPECT_EQ(0x80, starts[0].body[0]);
  EXPECT_EQ(0x07, starts[0].body[1]);
  EXPECT_EQ(join({bytesOf("PART.NC:3"), std::vector<uint8_t>(247, 0)}),
            std::vector<uint8_t>(starts[0].body.begin() + 4, starts[0].body.begin() + 260));
  fake.clear_received();
  EXPECT_EQ(EW_VALUE, ds_dwnstart(h, std::string(250, 'n').c_str(), 12345));
  EXPECT_EQ(EW_VALUE, ds_dwnstart(h, nullptr, 1));
  EXPECT_TRUE(fake.received().empty());
}

// ---- against the simulated machine ------------------------------------------------------

class DsSim : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", m.port(), 5, &h)); }
  void TearDown() override { cnc_freelibhndl(h); }
  std::vector<std::string> list() {
    dsfile_in_t in{};
    in.count = OZ_DS_ENTRY_MAX;
    dsfile_t hdr;
    std::vector<dsentry_t> out(OZ_DS_ENTRY_MAX);
    EXPECT_EQ(EW_SUCCESS, cnc_rddsfile(h, "DATA_SV", &in, &hdr, out.data()));
    std::vector<std::string> v;
    for (int32_t i = 0; i <= hdr.last - hdr.first; ++i)
      v.push_back(std::string(out[size_t(i)].name, strnlen(out[size_t(i)].name, 36)));
    return v;
  }
  int16_t store(const char* name, const std::string& text) {
    if (int16_t r = ds_dwnstart(h, name, 0)) return r;
    for (size_t at = 0; at < text.size();) {
      int32_t len = int32_t(text.size() - at);
      const int16_t r = ds_download(h, &len, text.data() + at);
      if (r == EW_BUFFER) continue;
      if (r) return r;
      at += size_t(len);
    }
    return ds_dwnend(h);
  }
  sim::Machine m;
  uint16_t h = 0;
};

TEST_F(DsSim, DownloadedFilesAndFoldersRoundTrip) {
  ASSERT_EQ(EW_SUCCESS, store("PART.NC", std::string(5000, 'G')));
  EXPECT_EQ((std::vector<std::string>{"NC", "PART.NC", "README.TXT"}), list());
  ASSERT_EQ(EW_SUCCESS, cnc_dsmkdir(h, "DATA_SV", "JOBS"));
  ASSERT_EQ(EW_SUCCESS, cnc_dschdir(h, "DATA_SV", "JOBS", nullptr, nullptr, nullptr));
  int16_t v = 0;
  char path[256];
  ASSERT_EQ(EW_SUCCESS, cnc_rddsdir(h, "DATA_SV", &v, path));
  EXPECT_STREQ("/JOBS/", path);
  ASSERT_EQ(EW_SUCCESS, cnc_dsget_req(h, "PART1.NC", "P1.NC", 0));
  EXPECT_EQ(EW_SUCCESS, cnc_dsftpstat(h));
  ASSERT_EQ(EW_SUCCESS, cnc_dsrename(h, "DATA_SV", "P1.NC", "P2.NC"));
  EXPECT_EQ((std::vector<std::string>{"P2.NC"}), list());
  ASSERT_EQ(EW_SUCCESS, cnc_dsput_req(h, "BACK.NC", "P2.NC"));
  ASSERT_EQ(EW_SUCCESS, cnc_wrdsdncfile(h, "DATA_SV", "P2.NC"));
  ASSERT_EQ(EW_SUCCESS, cnc_rddsdncfile(h, "DATA_SV", &v, path));
  EXPECT_STREQ("P2.NC", path);
  ASSERT_EQ(EW_SUCCESS, cnc_dsremove(h, "DATA_SV", "P2.NC"));
  EXPECT_TRUE(list().empty());
  ASSERT_EQ(EW_SUCCESS, ds_chghdddir(h, "/"));
  std::vector<hddentry_t> hdd(8);
  int16_t n = 8;
  ASSERT_EQ(EW_SUCCESS, ds_rdhdddir(h, nullptr, 0, &n, hdd.data()));
  ASSERT_EQ(4, n);   // JOBS/ and NC/, then the two files
  EXPECT_STREQ("PART.NC", hdd[2].name);
  EXPECT_EQ(5000, hdd[2].v3);
  ASSERT_EQ(EW_SUCCESS, cnc_dsrmdir(h, "DATA_SV", "JOBS"));
}

TEST_F(DsSim, BoardSettingsAndLogRoundTrip) {
  ASSERT_EQ(EW_SUCCESS, eth_wrdsm198host(h, 2, 9, "10.0.0.9"));
  int16_t v = 0;
  char host[256];
  ASSERT_EQ(EW_SUCCESS, eth_rddsm198host(h, 2, &v, host));
  EXPECT_EQ(9, v);
  EXPECT_STREQ("10.0.0.9", host);
  ASSERT_EQ(EW_SUCCESS, eth_wrhost(h, 3, 44));
  ASSERT_EQ(EW_SUCCESS, eth_rdhost(h, 3, &v));
  EXPECT_EQ(44, v);
  std::vector<uint8_t> block(1084, 0);
  block[88] = 0x12;
  block[89] = 0x34;
  block[88 + 12] = 0x01;
  ASSERT_EQ(EW_SUCCESS, eth_wrparam(h, 22, int16_t(block.size()), block.data()));
  std::vector<uint8_t> param(OZ_ETH_PARAM_SIZE);
  ASSERT_EQ(EW_SUCCESS, eth_rdparam(h, 22, param.data()));
  int16_t w0;
  int32_t l12;
  std::memcpy(&w0, param.data(), 2);
  std::memcpy(&l12, param.data() + 12, 4);
  EXPECT_EQ(0x1234, w0);
  EXPECT_EQ(0x01000000, l12);
  ASSERT_EQ(EW_SUCCESS, store("LOG.NC", "X"));
  std::vector<uint8_t> log(4000);
  int16_t len = int16_t(log.size());
  ASSERT_EQ(EW_SUCCESS, eth_rdlog(h, 0, 0, 10, &len, log.data()));
  ASSERT_EQ(2 + 14 + 2 * 104, len);   // the parameter write, then the file
  EXPECT_EQ(0, std::memcmp(log.data() + 2 + 14 + 104 + 20, "STORE /LOG.NC", 14));
  dsdevinfo_t dev;
  ASSERT_EQ(EW_SUCCESS, cnc_rddsdevinfo(h, 0, &dev));
  EXPECT_EQ(3, dev.v4);
}

}  // namespace
}  // namespace oz::test
