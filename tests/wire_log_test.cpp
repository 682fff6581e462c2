// Log lines of the wire: each read the protocol makes (a PDU header, then its
// body) is one line pair at level 3, whatever the socket read ahead, and the
// transfer sessions name an unexpected packet in one fixed form.
#include <sstream>

#include "tests/support.h"

namespace oz::test {
namespace {

class WireLog : public FakeTest {};

TEST_F(WireLog, EachReadOfAReplyIsOneLinePair) {
  uint16_t h = open();
  fake.reply(kClassCnc, 36, sim::RbReply().i32(0x01020304));   // body: 2 + 16 + 4 bytes
  LogTail log;
  LogLevel lv(3);
  actf_t a;
  ASSERT_EQ(EW_SUCCESS, cnc_actf(h, &a));
  const std::string s2 = std::to_string(rec(h).sock2Number());
  std::vector<std::string> reads;
  for (const std::string& l : log.lines())
    if (l.rfind(s2 + ": receive(", 0) == 0 || l.rfind("Recieve ", 0) == 0) reads.push_back(l);
  ASSERT_EQ(4u, reads.size());
  EXPECT_NE(std::string::npos, reads[0].find(", 10, 0)"));
  EXPECT_EQ("Recieve 10 byte(s): A0 A0 A0 A0 00 05 21 02 00 16", reads[1]);
  EXPECT_NE(std::string::npos, reads[2].find(", 22, 0)"));
  EXPECT_EQ("Recieve 22 byte(s): 00 01 00 14 00 01 00 00 00 00 00 00 00 00 00 00 00 04 01 02 03 04",
            reads[3]);
}

class UnexpectedPacket : public FakeTest {
 protected:
  UnexpectedPacket() {
    for (uint8_t t : {kDownloadStart, kUploadStart})
      fake.on_pdu(t, [t](sim::Conn& c, const sim::ReceivedPdu&) { c.send(t, kDirResponse, {0, 0, 0, 0}); });
  }
  std::string line(uint16_t h, const char* fn) {
    std::ostringstream o;
    o << "Error:" << rec(h).circuit->sock1.number() << ": " << fn << h
      << "): unexpected packet, type = 7 dir = 4";
    return o.str();
  }
};

TEST_F(UnexpectedPacket, LineNamesSocketFunctionAndHandle) {
  uint16_t h = open();
  LogTail log;
  ASSERT_EQ(EW_SUCCESS, cnc_upstart3(h, 0, 1, 1));
  ASSERT_TRUE(fake.send_to(1, 7, kDirOneWay, {}));
  char buf[256];
  int32_t n = 256;
  int16_t r = EW_BUFFER;
  for (int i = 0; i < 2000 && r == EW_BUFFER; ++i, plat::sleep_ms(1)) r = cnc_upload3(h, &n, buf);
  EXPECT_EQ(EW_CANCELLED, r);
  EXPECT_TRUE(log.has(line(h, "cnc_upload3("))) << line(h, "cnc_upload3(");
  ASSERT_EQ(EW_SUCCESS, cnc_upend3(h));

  ASSERT_EQ(EW_SUCCESS, cnc_dwnstart3(h, 0));
  ASSERT_TRUE(fake.send_to(1, 7, kDirOneWay, {}));
  n = 3;
  for (int i = 0; i < 2000 && !log.has(line(h, "cnc_download3(")); ++i, plat::sleep_ms(1))
    cnc_download3(h, &n, "O1\n");
  EXPECT_TRUE(log.has(line(h, "cnc_download3(")));
}

}  // namespace
}  // namespace oz::test
