// The simulated machine's histories and sampling through the library: what
// clients do shows in the histories, what is written reads back, samples
// arrive as the simulator produces them.
#include "sim/events_sim.h"
#include "sim/state_sim.h"
#include "tests/events_support.h"

namespace oz::test {
namespace {

class EventsSim : public ::testing::Test {
 protected:
  uint16_t open() {
    uint16_t h = 0;
    EXPECT_EQ(EW_SUCCESS, cnc_allclibhndl3("127.0.0.1", m.port(), 5, &h));
    return h;
  }
  sim::Machine m;
};

TEST_F(EventsSim, OperationHistoryRecordsWhatClientsDo) {
  uint16_t h = open();
  ASSERT_EQ(EW_SUCCESS, cnc_wrkeyhistry(h, 'A'));
  ASSERT_EQ(EW_SUCCESS, cnc_start(h));
  ASSERT_EQ(EW_SUCCESS, cnc_reset(h));
  sim::state::raise_alarm(m, {1001, 2, 3, "TEST ALARM"});
  ASSERT_EQ(EW_SUCCESS, cnc_stopophis(h));
  ASSERT_EQ(EW_SUCCESS, cnc_wrkeyhistry(h, 'B'));   // not recorded while stopped
  ASSERT_EQ(EW_SUCCESS, cnc_startophis(h));
  ophisno_t n{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdophisno(h, &n));
  ASSERT_EQ(4, n.hisno);

  uint8_t buf[200];
  uint16_t end = 100, length = sizeof buf;
  ASSERT_EQ(EW_SUCCESS, cnc_rdophistry4(h, 1, &end, &length, buf));
  EXPECT_EQ(4, end);
  EXPECT_EQ(16 + 20 + 20 + 28, length);
  // Key 'A', then cycle start (0 -> 1), reset (1 -> 0), the alarm.
  EXPECT_EQ((Host().u16(16).u16(0).u8('A').u8(1).b), slice(buf, 0, 6));
  EXPECT_EQ((Host().u16(20).u16(1).u16(0).u16(1).u8(0).u8(1).b), slice(buf, 16, 10));
  EXPECT_EQ((Host().u16(20).u16(1).u16(0).u16(1).u8(1).u8(0).b), slice(buf, 36, 10));
  EXPECT_EQ((Host().u16(28).u16(4).u16(2).u16(1001).u16(3).b), slice(buf, 56, 10));

  // The second form passes the alarm over; the oldest shows all four.
  end = 100;
  length = sizeof buf;
  ASSERT_EQ(EW_SUCCESS, cnc_rdophistry2(h, 1, &end, &length, buf));
  EXPECT_EQ(8 + 12 + 12, length);
  EXPECT_EQ(3, end);
  ASSERT_EQ(EW_SUCCESS, cnc_rdophistry(h, 1, 4, 6 + 32, buf));
  EXPECT_EQ((Host().u16(4).u8(2).u8(0xE9).u8(3).u8(1).b), slice(buf, 6 + 24, 6));

  ASSERT_EQ(EW_SUCCESS, cnc_clearophis(h, 0));
  ASSERT_EQ(EW_SUCCESS, cnc_rdophisno3(h, &n));
  EXPECT_EQ(0, n.hisno);
}

TEST_F(EventsSim, AlarmAndMessageHistories) {
  uint16_t h = open();
  for (int i = 0; i < 16; ++i) sim::state::raise_alarm(m, {500 + i, 1, 0, "ALARM " + std::to_string(i)});
  sim::state::post_message(m, {2001, 0, "TOOL CHANGE"});
  sim::state::post_message(m, {2002, 0, "CHECK COOLANT"});
  ophisno_t n{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdalmhisno(h, &n));
  EXPECT_EQ(16, n.hisno);
  std::vector<uint8_t> buf(4 + 88 * 20);
  ASSERT_EQ(EW_SUCCESS, cnc_rdalmhistry4(h, 2, 20, uint16_t(buf.size()), buf.data()));
  almhis4_rec_t r;
  std::memcpy(&r, buf.data() + 4 + 88 * 14, sizeof r);
  EXPECT_EQ(Host().u16(2).u16(16).b, slice(buf.data(), 0, 4));
  EXPECT_EQ(515, r.number);   // record 16
  EXPECT_EQ(8, r.text_len);
  EXPECT_EQ(0, std::memcmp(r.text, "ALARM 15", 8));
  std::vector<uint8_t> b5(4 + 516 * 3);
  ASSERT_EQ(EW_SUCCESS, cnc_rdalmhistry5(h, 15, 17, uint16_t(b5.size()), b5.data()));
  EXPECT_EQ(Host().u16(15).u16(16).b, slice(b5.data(), 0, 4));

  ASSERT_EQ(EW_SUCCESS, cnc_rdomhisno(h, &n));
  EXPECT_EQ(2, n.hisno);
  std::vector<uint8_t> om(4 + 272 * 2);
  ASSERT_EQ(EW_SUCCESS, cnc_rdomhistry2(h, 1, 2, uint16_t(om.size()), om.data()));
  omhis2_rec_t msg;
  std::memcpy(&msg, om.data() + 4 + 272, sizeof msg);
  EXPECT_EQ(2002, msg.number);
  EXPECT_STREQ("CHECK COOLANT", msg.text);
  omhis_rec_t old[2];
  uint16_t count = 2;
  ASSERT_EQ(EW_SUCCESS, cnc_rdomhistry(h, 0, &count, old));
  EXPECT_EQ(2, count);
  EXPECT_STREQ("TOOL CHANGE", old[0].text);
  ASSERT_EQ(EW_SUCCESS, cnc_clearomhis(h));
  ASSERT_EQ(EW_SUCCESS, cnc_rdomhisno(h, &n));
  EXPECT_EQ(0, n.hisno);
}

TEST_F(EventsSim, SignalTableReadsBack) {
  uint16_t h = open();
  hissgnl_t w{};
  w.count = 2;
  w.entry[0] = {2, 43, -1, 1};
  w.entry[1] = {3, 7, 4, 0};
  ASSERT_EQ(EW_SUCCESS, cnc_wrhissgnl(h, &w));
  hissgnl_t r{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdhissgnl(h, &r));
  EXPECT_EQ(0, std::memcmp(&w, &r, sizeof w));
  const uint8_t raw[32] = {0, 1, 2, 3};
  ASSERT_EQ(EW_SUCCESS, cnc_wrhissgnl3(h, 2, sizeof raw, raw));
  uint8_t back[40];
  int16_t len = sizeof back;
  ASSERT_EQ(EW_SUCCESS, cnc_rdhissgnl3(h, &len, back));
  EXPECT_EQ(32, len);
  EXPECT_EQ(0, std::memcmp(raw, back, 32));
}

TEST_F(EventsSim, ServoSamplesArriveAsProduced) {
  uint16_t h = open();
  sdchnl_t ch[2] = {{0, 0, {0, 0}, 0, 2, 0}, {3, 0, {0, 0}, 50, 1, 0}};
  ASSERT_EQ(EW_SUCCESS, cnc_sdsetchnl(h, 2, ch));
  int16_t rates[8];
  ASSERT_EQ(EW_SUCCESS, cnc_sdstartsmpl(h, 0, 0, rates));
  EXPECT_EQ((std::array<int16_t, 8>{2, 0, 0, 1, 0, 0, 0, 0}), std::to_array(rates));
  EXPECT_EQ(EW_REFUSED, cnc_sdstartsmpl(h, 0, 0, rates));

  std::vector<int16_t> got0, got3;
  sdbuf_t b[8] = {};
  std::vector<int16_t> d0(OZ_SD_MAX_SAMPLES), d3(OZ_SD_MAX_SAMPLES);
  uint32_t c0 = 0, c3 = 0;
  b[0] = {d0.data(), &c0};
  b[3] = {d3.data(), &c3};
  for (int i = 0; i < 2000 && got0.size() < 200; ++i) {
    int16_t status = 0;
    ASSERT_EQ(EW_SUCCESS, cnc_sdreadsmpl(h, &status, 20, b));
    got0.insert(got0.end(), d0.begin(), d0.begin() + c0);
    got3.insert(got3.end(), d3.begin(), d3.begin() + c3);
    if (c0 == 0) plat::sleep_ms(2);
  }
  ASSERT_EQ(50u, got3.size());   // the channel's limit
  ASSERT_GE(got0.size(), 100u);
  for (size_t i = 0; i < got0.size(); ++i) ASSERT_EQ(sim::events::servo_sample(0, 2, uint32_t(i)), got0[i]) << i;
  for (size_t i = 0; i < got3.size(); ++i) ASSERT_EQ(sim::events::servo_sample(3, 1, uint32_t(i)), got3[i]) << i;
  ASSERT_EQ(EW_SUCCESS, cnc_sdendsmpl(h));
  int16_t status = 0;
  ASSERT_EQ(EW_SUCCESS, cnc_sdreadsmpl(h, &status, 20, b));
  EXPECT_EQ(-1, status);
  ASSERT_EQ(EW_SUCCESS, cnc_sdstartsmpl(h, 0, 0, rates));
  ASSERT_EQ(EW_SUCCESS, cnc_sdcancelsmpl(h));
}

TEST_F(EventsSim, WaveformParametersAndRecording) {
  uint16_t h = open();
  waveprm2_t p{};
  p.setting = 3;
  p.trig_letter = 'x';
  p.trig_bit = 1;
  p.value[0] = 1000;
  p.ch[0].kind = 1;
  p.ch[0].u.value = 77;
  p.ch[1].kind = 13;
  p.ch[1].u.sig = {'f', 6, 12};
  ASSERT_EQ(EW_SUCCESS, cnc_wrwaveprm2(h, &p));
  waveprm2_t r{};
  ASSERT_EQ(EW_SUCCESS, cnc_rdwaveprm2(h, &r));
  EXPECT_EQ('X', r.trig_letter);
  EXPECT_EQ(1000, r.value[0]);
  EXPECT_EQ(77, r.ch[0].u.value);
  EXPECT_EQ('F', r.ch[1].u.sig.letter);
  EXPECT_EQ(12, r.ch[1].u.sig.address);

  int16_t st = -1;
  ASSERT_EQ(EW_SUCCESS, cnc_wavestart(h));
  ASSERT_EQ(EW_SUCCESS, cnc_wavestat(h, &st));
  EXPECT_EQ(1, st);
  ASSERT_EQ(EW_SUCCESS, cnc_wavestop(h));
  ASSERT_EQ(EW_SUCCESS, cnc_wavestat(h, &st));
  EXPECT_EQ(2, st);
  std::vector<int16_t> block(8 + 2000);
  int32_t count = 2000;
  ASSERT_EQ(EW_SUCCESS, cnc_rdwavedata(h, 0, 1, sim::events::kWaveSamples - 1500, &count, block.data()));
  EXPECT_EQ(1500, count);   // the recording ends before the count
  wavehead_t head;
  std::memcpy(&head, block.data(), sizeof head);
  EXPECT_EQ(1, head.kind);
  for (int i = 0; i < count; ++i)
    ASSERT_EQ(sim::events::wave_sample(0, sim::events::kWaveSamples - 1500 + i), block[size_t(8 + i)]) << i;
  count = 4;
  ASSERT_EQ(EW_SUCCESS, cnc_rdrmtwavedt(h, 2, 0, &count, block.data()));
  std::memcpy(&head, block.data(), sizeof head);
  EXPECT_EQ(13, head.kind);
  EXPECT_EQ('F', head.u.sig.letter);
}

}  // namespace
}  // namespace oz::test
