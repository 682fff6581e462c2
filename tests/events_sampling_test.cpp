// Servo sampling and waveform diagnosis against the fake controller.
#include "tests/events_support.h"

namespace oz::test {
namespace {

using sim::RbReply;

// Start reply: eight channels of (limit, rate).
RbReply start_reply(std::array<uint16_t, 8> rates, std::array<uint32_t, 8> limits = {
                        ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u}) {
  RbReply r;
  for (int i = 0; i < 8; ++i) r.u32(limits[size_t(i)]).u32(0xABCD0000u | rates[size_t(i)]);
  return r;
}

// A read reply: status, then blocks of a code word and its samples.
RbReply blocks(uint16_t status, const std::vector<std::vector<int16_t>>& bs) {
  RbReply r;
  r.u16(status).u16(uint16_t(bs.size()));
  for (const auto& b : bs)
    for (int16_t v : b) r.i16(v);
  return r;
}

class Sampling : public FakeTest {
 protected:
  // Buffers for the eight channels, with sentinels behind what a call may fill.
  struct Bufs {
    int16_t data[8][OZ_SD_MAX_SAMPLES + 4];
    uint32_t count[8];
    sdbuf_t sd[8];
    Bufs() {
      sentinel(data);
      sentinel(count);
      for (int i = 0; i < 8; ++i) sd[i] = {data[i], &count[i]};
    }
  };
  uint16_t started(std::array<uint16_t, 8> rates, std::array<uint32_t, 8> limits = {
                       ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u}) {
    uint16_t h = open();
    fake.reply(1, 309, start_reply(rates, limits));
    int16_t out[8];
    EXPECT_EQ(EW_SUCCESS, cnc_sdstartsmpl(h, 1, 2, out));
    fake.clear_received();
    return h;
  }
};

TEST_F(Sampling, ChannelSetupWidensTheBytes) {
  uint16_t h = open();
  fake.reply(1, 307, RbReply());
  sdchnl_t ch[2];
  sentinel(ch);
  ch[0] = {1, 0xFE, {0x55, 0x55}, 0x01020304, -2, 7};
  ch[1] = {2, 3, {0, 0}, -1, 1, 0};
  ASSERT_EQ(EW_SUCCESS, cnc_sdsetchnl(h, 2, ch));
  expectRequests({{307, 0, 0, 0, 0, {0, 1, 0, 0xFE, 1, 2, 3, 4, 0xFF, 0xFE, 0, 7,
                                     0, 2, 0, 3, 0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0}}});
}

TEST_F(Sampling, SetupFormsWithTheirChecks) {
  uint16_t h = open();
  const sdchnl_t one = {3, 1, {0, 0}, 5, 2, 0};
  // The servo-axis parameter is read first; without it nothing is set up.
  fake.reply(1, 14, RbReply::fail(3));
  EXPECT_EQ(EW_PRECONDITION, cnc_sfbsetchnl(h, 1, 9, &one));
  expectRequests({{14, 1023, 1023, -1}});
  fake.reply(1, 14, RbReply().i32(1));
  fake.reply(1, 307, RbReply());
  fake.clear_received();
  ASSERT_EQ(EW_SUCCESS, cnc_sfbsetchnl(h, 1, 9, &one));
  expectRequests({{14, 1023, 1023, -1}, {307, 0, 0, 0, 0, {0, 3, 0, 1, 0, 0, 0, 5, 0, 2, 0, 0}}});

  sdchnl2_t two[2];
  sentinel(two);
  two[0] = {1, 2, 0x01020304, 5, 6, {}};
  two[1] = {2, -127, 0, 0, 0, {}};
  fake.reply(1, 248, RbReply());
  fake.clear_received();
  EXPECT_EQ(EW_VALUE, cnc_sdsetchnl2(h, 2, two));
  EXPECT_EQ(26, detail(h).detail);
  EXPECT_EQ(EW_RANGE, cnc_sdsetchnl2(h, 17, two));
  EXPECT_TRUE(sent().empty());
  ASSERT_EQ(EW_SUCCESS, cnc_sdsetchnl2(h, 1, two));
  std::vector<uint8_t> want(192, 0);
  const uint8_t first[12] = {0, 1, 0, 2, 1, 2, 3, 4, 0, 5, 0, 6};
  std::copy(first, first + 12, want.begin());
  expectRequests({{248, 1, 0, 0, 0, want}});
}

TEST_F(Sampling, StartKeepsRatesAndRefusesASecondStart) {
  uint16_t h = open();
  fake.reply(1, 309, start_reply({2, 1, 0, 0, 0, 0, 0, 3}, {~0u, 10, 0, 0, 0, 0, 0, 5}));
  int16_t rates[8];
  sentinel(rates);
  ASSERT_EQ(EW_SUCCESS, cnc_sdstartsmpl(h, 4, 100000, rates));
  expectRequests({{309, 4, 100000}});
  EXPECT_EQ((std::array<int16_t, 8>{2, 1, 0, 0, 0, 0, 0, 3}), std::to_array(rates));
  Handle& hr = rec(h);
  EXPECT_TRUE(hr.has(kSampling));
  EXPECT_EQ(6, hr.samp_total);
  EXPECT_EQ(10u, hr.samp_a[1]);
  EXPECT_EQ(0u, hr.samp_c[0]);
  fake.clear_received();
  EXPECT_EQ(EW_REFUSED, cnc_sdstartsmpl(h, 4, 1, rates));
  EXPECT_EQ(1, detail(h).detail);
  EXPECT_EQ(EW_REFUSED, cnc_sdstartocp(h, 1));
  EXPECT_TRUE(sent().empty());
  // A cancel the controller refuses still leaves the handle idle.
  fake.reply(1, 310, RbReply::fail(6));
  EXPECT_EQ(6, cnc_sdcancelsmpl(h));
  EXPECT_FALSE(hr.has(kSampling));
  ASSERT_EQ(EW_SUCCESS, cnc_sfbstartsmpl(h, 1, 2));
  for (auto end : {cnc_sdendsmpl, cnc_sdendsmpl2, cnc_sdtendsmpl, cnc_sdtendsmpl2, cnc_sdtcancelsmpl}) {
    hr.flags |= kSampling;
    fake.reply(1, 312, RbReply::fail(6));
    fake.reply(1, 251, RbReply::fail(6));
    end(h);
    EXPECT_FALSE(hr.has(kSampling));
  }
  fake.reply(1, 309, RbReply().u32(1));   // shorter than eight channels
  EXPECT_EQ(EW_SIZE, cnc_sdstartsmpl(h, 4, 1, rates));
  EXPECT_FALSE(hr.has(kSampling));
  EXPECT_EQ(6, hr.samp_total);
}

TEST_F(Sampling, StartBlocksTravelBigEndian) {
  uint16_t h = open();
  fake.reply(1, 249, start_reply({1, 0, 0, 0, 0, 0, 0, 0}));
  fake.reply(1, 229, start_reply({1, 0, 0, 0, 0, 0, 0, 0}));
  fake.reply(1, 310, RbReply());
  const sdstart2_t b{0x01020304, -2, 5, 6, 0x0708};
  ASSERT_EQ(EW_SUCCESS, cnc_sdstartsmpl2(h, 3, -4, &b));
  ASSERT_EQ(EW_SUCCESS, cnc_sdcancelsmpl(h));
  ASSERT_EQ(EW_SUCCESS, cnc_sdstartsmplb(h, 1, -1, 3, 4, 9));
  expectRequests({{249, 3, -4, 0, 0, {1, 2, 3, 4, 0xFF, 0xFE, 5, 6, 7, 8}},
                  {310},
                  {229, 9, 0, 0, 0, {0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 3, 0, 0, 0, 4}}});
}

TEST_F(Sampling, BlocksAreSharedOutByTheirCodeWord) {
  uint16_t h = started({2, 1, 0, 0, 0, 0, 0, 0});
  fake.reply(1, 311, blocks(0, {{3, 10, 11, 20},
                               {6, 12, 13, 14, 15, 21, 22},
                               {12, 1, 2, 3, 4, 5, 6, 7, 8, 30, 31, 32, 33}}));
  Bufs b;
  int16_t status = -5;
  ASSERT_EQ(EW_SUCCESS, cnc_sdreadsmpl(h, &status, 1000, b.sd));
  expectRequests({{311, 178}});   // 1428 / (3 * 2 + 2)
  EXPECT_EQ(0, status);
  EXPECT_EQ(14u, b.count[0]);
  EXPECT_EQ(7u, b.count[1]);
  EXPECT_EQ((std::vector<int16_t>{10, 11, 12, 13, 14, 15, 1, 2, 3, 4, 5, 6, 7, 8}),
            std::vector<int16_t>(b.data[0], b.data[0] + 14));
  EXPECT_EQ((std::vector<int16_t>{20, 21, 22, 30, 31, 32, 33}), std::vector<int16_t>(b.data[1], b.data[1] + 7));
  EXPECT_TRUE(untouched(b.data[0], 28, sizeof b.data[0]));
  EXPECT_TRUE(untouched(&b.count[2], 0, 6 * 4));   // channels past the last with a rate
  EXPECT_EQ(14u, rec(h).samp_c[0]);
}

TEST_F(Sampling, ChannelLimitTakesWhatIsLeftAndSkipsTheRest) {
  uint16_t h = started({4, 1, 0, 0, 0, 0, 0, 0}, {10, ~0u, 0, 0, 0, 0, 0, 0});
  rec(h).samp_c[0] = 8;
  fake.reply(1, 311, blocks(0, {{5, 1, 2, 3, 4, 9}, {5, 5, 6, 7, 8, 10}}));
  Bufs b;
  int16_t status;
  ASSERT_EQ(EW_SUCCESS, cnc_sdreadsmpl(h, &status, 2, b.sd));
  expectRequests({{311, 2}});
  EXPECT_EQ(2u, b.count[0]);
  EXPECT_EQ(1, b.data[0][0]);
  EXPECT_EQ(2, b.data[0][1]);
  EXPECT_EQ((std::vector<int16_t>{9, 10}), std::vector<int16_t>(b.data[1], b.data[1] + 2));
  EXPECT_EQ(10u, rec(h).samp_c[0]);
}

TEST_F(Sampling, StatusRules) {
  uint16_t h = started({1, 0, 0, 0, 0, 0, 0, 0});
  Bufs b;
  int16_t status;
  // The first form: 0xFFFF ends at once, with every count 0.
  fake.reply(1, 311, blocks(0xFFFF, {{1, 5}}));
  ASSERT_EQ(EW_SUCCESS, cnc_sdreadsmpl(h, &status, 5, b.sd));
  EXPECT_EQ(-1, status);
  EXPECT_EQ(0u, b.count[0]);
  // The second form asks again while the status is 0 and no block came.
  script(fake, 250, {blocks(0, {}), blocks(0, {}), blocks(0, {{1, 7}})});
  fake.clear_received();
  ASSERT_EQ(EW_SUCCESS, cnc_sdreadsmpl2(h, &status, 5, b.sd));
  EXPECT_EQ(3u, sent().size());
  EXPECT_EQ(7, b.data[0][0]);
  // ... but not for ever.
  fake.reply(1, 250, blocks(0, {}));
  fake.clear_received();
  ASSERT_EQ(EW_SUCCESS, cnc_sdreadsmpl2(h, &status, 5, b.sd));
  EXPECT_EQ(100u, sent().size());
  fake.reply(1, 250, blocks(2, {}));
  fake.clear_received();
  ASSERT_EQ(EW_SUCCESS, cnc_sdtreadsmpl2(h, &status, 5, b.sd));
  EXPECT_EQ(1u, sent().size());
}

TEST_F(Sampling, RepliesTheChannelsCannotTake) {
  uint16_t h = started({1, 0, 0, 0, 0, 0, 0, 0});
  Bufs b;
  int16_t status;
  fake.reply(1, 311, blocks(0, {{5, 1, 2, 3, 4, 5}}));   // 5 is no shift of 1
  EXPECT_EQ(EW_UNDECODABLE, cnc_sdreadsmpl(h, &status, 5, b.sd));
  // A code word shifted 10 bits: 1024 samples, more than a reply can carry.
  RbReply big = RbReply().u16(0).u16(1).u16(1024).bytes(std::vector<uint8_t>(2048, 1));
  fake.reply(1, 311, big);
  EXPECT_EQ(EW_SIZE, cnc_sdreadsmpl(h, &status, 5, b.sd));
  EXPECT_TRUE(untouched(b.data[0], 2 * OZ_SD_MAX_SAMPLES, sizeof b.data[0]));
  fake.reply(1, 311, blocks(0, {{1}}));   // a block cut short
  EXPECT_EQ(EW_SIZE, cnc_sdreadsmpl(h, &status, 5, b.sd));
  fake.clear_received();
  EXPECT_EQ(EW_SIZE, cnc_sdreadsmpl(h, &status, 0, b.sd));
  b.sd[0].data = nullptr;
  EXPECT_EQ(EW_SIZE, cnc_sdreadsmpl(h, &status, 5, b.sd));
  rec(h).samp_b[0] = 0;
  EXPECT_EQ(EW_VALUE, cnc_sdreadsmpl(h, &status, 5, b.sd));
  EXPECT_TRUE(sent().empty());
}

TEST_F(Sampling, SmallReads) {
  uint16_t h = open();
  RbReply eight;
  for (int i = 0; i < 8; ++i) eight.i16(int16_t(-i));
  fake.reply(1, 314, eight);
  int16_t v[8];
  ASSERT_EQ(EW_SUCCESS, cnc_sdtread1shot(h, v));
  EXPECT_EQ(-7, v[7]);
  RbReply beta;
  for (int i = 0; i < 21; ++i) beta.i16(int16_t(i));
  fake.reply(1, 228, beta);
  int16_t buf[7 * 2 + 1];
  sentinel(buf);
  int16_t count = 2;
  ASSERT_EQ(EW_SUCCESS, cnc_sdbetainfo(h, &count, buf));
  EXPECT_EQ(2, sent().back().a1);
  EXPECT_EQ(2, count);   // three in the reply, room for two
  EXPECT_EQ(13, buf[13]);
  EXPECT_EQ(int16_t(0xEEEE), buf[14]);
  for (auto [fn, cmd] : {std::pair{&cnc_sdendocp, 835}, {cnc_sdclrocp, 836}, {cnc_sdclrchnl, 308}, {cnc_sdtclrchnl, 308}}) {
    fake.reply(1, uint16_t(cmd), RbReply());
    fake.clear_received();
    ASSERT_EQ(EW_SUCCESS, fn(h));
    expectRequests({{uint16_t(cmd)}});
  }
  fake.reply(1, 834, RbReply());
  fake.clear_received();
  ASSERT_EQ(EW_SUCCESS, cnc_sdstartocp(h, 77));
  expectRequests({{834, 77}});
}

// ---- waveform diagnosis -------------------------------------------------------------

class Waveform : public FakeTest {};

TEST_F(Waveform, FirstParameterFormIsNotServed) {
  uint16_t h = open();
  uint8_t block[200];
  EXPECT_EQ(EW_UNAVAILABLE, cnc_rdwaveprm(h, block));
  EXPECT_EQ(EW_UNAVAILABLE, cnc_wrwaveprm(h, block));
  EXPECT_TRUE(sent().empty());
}

TEST_F(Waveform, SecondParameterFormBothWays) {
  uint16_t h = open();
  waveprm2_t p{};
  p.setting = 0x0102;
  p.trig_letter = 'y';
  p.trig_bit = 4;
  p.value[2] = -1;
  p.ch[0].kind = 13;
  p.ch[0].u.sig = {'Q', 2, -3};
  p.ch[1].kind = 5;
  p.ch[1].u.value = 0x11223344;
  fake.reply(1, 129, RbReply());
  ASSERT_EQ(EW_SUCCESS, cnc_wrwaveprm2(h, &p));
  const auto q0 = sent();
  const auto& d = q0.back().data;
  ASSERT_EQ(164u, d.size());
  EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 4}), std::vector<uint8_t>(d.begin(), d.begin() + 4));
  EXPECT_EQ(-1, be32(d, 12));
  EXPECT_EQ(12, be32(d, 16));
  EXPECT_EQ((std::vector<uint8_t>{0, 13, 0xFF, 2, 0xFF, 0xFF, 0xFF, 0xFD, 0, 0, 0, 0}),
            std::vector<uint8_t>(d.begin() + 20, d.begin() + 32));
  EXPECT_EQ((std::vector<uint8_t>{0, 5, 0, 0, 0, 0, 0, 0, 0x11, 0x22, 0x33, 0x44}),
            std::vector<uint8_t>(d.begin() + 32, d.begin() + 44));

  RbReply r;
  r.u16(7).bytes({4, 1}).i32(1).i32(2).i32(3).u32(2);
  r.i16(13).bytes({6, 7}).i32(0x12345).i32(99);
  r.i16(2).bytes({1, 1}).i32(1).i32(-5);
  fake.reply(1, 128, r);
  waveprm2_t q;
  sentinel(q);
  ASSERT_EQ(EW_SUCCESS, cnc_rdwaveprm2(h, &q));
  EXPECT_EQ(7, q.setting);
  EXPECT_EQ('F', q.trig_letter);
  EXPECT_EQ(1, q.trig_bit);
  EXPECT_EQ(3, q.value[2]);
  EXPECT_EQ('N', q.ch[0].u.sig.letter);
  EXPECT_EQ(7, q.ch[0].u.sig.bit);
  EXPECT_EQ(0x2345, q.ch[0].u.sig.address);
  EXPECT_EQ(-5, q.ch[1].u.value);
  EXPECT_EQ(int16_t(0xEEEE), q.ch[1].reserved);
  EXPECT_TRUE(untouched(&q, offsetof(waveprm2_t, ch[2]), sizeof q));
}

TEST_F(Waveform, DataReadsHeadThenBatches) {
  uint16_t h = open();
  int32_t count = 0;
  uint8_t block[16 + 2 * 1000];
  EXPECT_EQ(EW_SIZE, cnc_rdwavedata(h, 1, 2, 0, &count, block));
  count = 5;
  EXPECT_EQ(EW_VALUE, cnc_rdwavedata(h, 1, 2, -1, &count, block));
  EXPECT_TRUE(sent().empty());

  fake.reply(1, 133, RbReply().i16(3).i16(0).i32(0).i32(0x10009).i32(0x2000B).u16(2024).u16(1).u16(2).u16(3).u16(4).u16(5));
  RbReply full;
  for (int i = 0; i < 716; ++i) full.i16(int16_t(i));
  script(fake, 134, {full, RbReply().i16(-9), RbReply::fail(5)});
  sentinel(block);
  count = 1000;
  ASSERT_EQ(EW_SUCCESS, cnc_rdwavedata(h, 1, 2, 40, &count, block));
  expectRequests({{133, 1, 2}, {134, 1, 2, 40, 716}, {134, 1, 2, 756, 284}});
  EXPECT_EQ(717, count);
  EXPECT_EQ((Host().u16(1).u16(3).u16(9).fill(2).u8(24).u8(1).u8(2).u8(3).u8(4).u8(5).u16(11).u16(0).b),
            slice(block, 0, 18));
  EXPECT_EQ((Host().u16(715).u16(uint16_t(-9)).fill(2).b), slice(block, 16 + 2 * 715, 6));

  // The forms without a kind: the channel first, a signal head.
  fake.reply(1, 324, RbReply().i16(13).bytes({2, 5}).i32(0x70007));
  fake.reply(1, 325, RbReply().i16(4));
  fake.clear_received();
  count = 3;
  sentinel(block);
  ASSERT_EQ(EW_SUCCESS, cnc_rdrmtwavedt(h, 6, 0, &count, block));
  expectRequests({{324, 6}, {325, 6, 0, 3}});
  EXPECT_EQ(1, count);
  EXPECT_EQ((Host().u16(6).u16(13).u8('G').u8(5).u16(7).fill(8).u16(4).b), slice(block, 0, 18));
  fake.reply(1, 554, RbReply().i16(13).bytes({9, 5}).i32(1));
  fake.reply(1, 555, RbReply::fail(5));
  EXPECT_EQ(5, cnc_rdwavedata3(h, 6, 0, &count, block));
  EXPECT_EQ(0, block[4]);   // code 9 has no letter
}

TEST_F(Waveform, StateWords) {
  uint16_t h = open();
  for (auto [stat, cmd] : {std::pair{&cnc_wavestat, 132}, {cnc_rmtwavestat, 323}}) {
    fake.reply(1, uint16_t(cmd), RbReply().i16(2));
    int16_t s = 0;
    ASSERT_EQ(EW_SUCCESS, stat(h, &s));
    EXPECT_EQ(2, s);
  }
  for (auto [fn, cmd] : {std::pair{&cnc_wavestart, 130}, {cnc_wavestop, 131}, {cnc_rmtwavestart, 321}, {cnc_rmtwavestop, 322}}) {
    fake.reply(1, uint16_t(cmd), RbReply());
    ASSERT_EQ(EW_SUCCESS, fn(h));
    EXPECT_EQ(cmd, sent().back().cmd);
  }
}

}  // namespace
}  // namespace oz::test
