// System information, clocks, language, screen, operator's message and the
// C executor's memory of the simulated machine.
#include <ctime>

#include "sim/state_sim.h"

using namespace oz;
using namespace oz::sim;

namespace {

struct SystemState {
  int16_t clock[6] = {2026, 1, 1, 8, 0, 0};   // date, time
  int32_t timers[8][2] = {};
  int16_t language = 0;
  int16_t screen = 0;
  std::string optmsg;
  int32_t optmsg_answer = 0;
  std::vector<uint8_t> cbmem = std::vector<uint8_t>(65536, 0);
};

// Series and version of each path's software, as the system-information
// records of the connection name them.
std::string series_of(int path) { return "OZS" + std::to_string(path % 10); }

void text(std::vector<uint8_t>& d, size_t at, const std::string& s) {
  for (size_t i = 0; i < 4; ++i) d[at + i] = i < s.size() ? uint8_t(s[i]) : uint8_t(' ');
}

// The software block: two slots (CNC basic software and servo), their words
// and identifier table, and the texts.
RbReply syssoft(const RbRequest& q) {
  std::vector<uint8_t> d(824, 255);
  d[0] = 0x01;
  d[1] = 0x82;
  for (int j = 0; j < 16; ++j) {
    d[size_t(144 + 2 * j)] = uint8_t(j == 0 ? 0x01 : j == 1 ? 0x82 : 0x7F);
    d[size_t(145 + 2 * j)] = 0;
  }
  for (int i = 16; i < 144; ++i) d[size_t(i)] = 0;
  text(d, 208, series_of(q.path));
  text(d, 212, "01.0");
  text(d, 216, "SV01");
  text(d, 220, "A.01");
  d[465] = 0;
  return RbReply().bytes(d);
}

uint32_t word_at(const std::vector<uint8_t>& d, size_t at) {
  return uint32_t(d[at]) << 24 | uint32_t(d[at + 1]) << 16 | uint32_t(d[at + 2]) << 8 | d[at + 3];
}

// System software and hardware lists, module configuration.
void install_software(Machine& m) {
  m.on(kClassCnc, 65, [](Machine&, const RbRequest& q) { return syssoft(q); });
  m.on(kClassCnc, 440, [](Machine&, const RbRequest& q) {
    RbReply r = RbReply().i16(int16_t(std::min(q.a2, 1))).i16(1);
    if (q.a2 >= 1) r.i16(1).text(series_of(q.path), 5).text("01.0", 5);
    return r;
  });
  m.on(kClassCnc, 558, [](Machine&, const RbRequest& q) {
    RbReply r = RbReply().i16(int16_t(std::min(q.a2, 1))).i16(1);
    if (q.a2 >= 1) r.i16(1).text("CNC BASIC", 13).text(series_of(q.path), 5).text("01.0", 5).text("", 3);
    return r;
  });
  m.on(kClassCnc, 441, [](Machine&, const RbRequest& q) {
    RbReply r = RbReply().i32(std::min(q.a2, 1));
    if (q.a2 >= 1) r.u32(0x00100001).u32(0x0A0B0C0D).i16(1).i16(0).i16(0).i16(0).i16(0).i16(0);
    return r;
  });
  m.on(kClassCnc, 559, [](Machine&, const RbRequest& q) {
    RbReply r = RbReply().i16(int16_t(std::min(q.a2, 1))).i16(1);
    if (q.a2 >= 1) r.i16(1).text("MAIN BOARD", 14).i16(0).text("0A0B0C0D", 13).text("OZ-MB", 11).text("01", 9).text("", 3).text("", 2);
    return r;
  });
  m.on(kClassCnc, 66, [](Machine&, const RbRequest&) {
    RbReply r;
    r.data.assign(128, 0);
    return r;
  });
}

// The clock and the timers.
void install_clocks(Machine& m) {
  m.on(kClassCnc, 69, [](Machine& m, const RbRequest&) {
    RbReply r;
    for (int16_t v : m.state<SystemState>().clock) r.i16(v);
    return r;
  });
  m.on(kClassCnc, 70, [](Machine& m, const RbRequest& q) {
    if (q.data.size() != 12 || q.a1 < 0 || q.a1 > 1) return RbReply::fail(2);
    auto& clock = m.state<SystemState>().clock;
    for (int i = 0; i < 3; ++i) {
      const size_t at = size_t(6 * q.a1 + 2 * i);
      clock[3 * q.a1 + i] = int16_t(q.data[at] << 8 | q.data[at + 1]);
    }
    return RbReply();
  });
  m.on(kClassCnc, 288, [](Machine& m, const RbRequest& q) {
    if (q.a1 < 0 || q.a1 > 7) return RbReply::fail(3);
    const auto& t = m.state<SystemState>().timers[q.a1];
    return RbReply().i32(t[0]).i32(t[1]);
  });
  m.on(kClassCnc, 289, [](Machine& m, const RbRequest& q) {
    if (q.a1 < 0 || q.a1 > 7 || q.data.size() != 8) return RbReply::fail(3);
    auto& t = m.state<SystemState>().timers[q.a1];
    t[0] = int32_t(word_at(q.data, 0));
    t[1] = int32_t(word_at(q.data, 4));
    return RbReply();
  });
}

// Identification, language and the small single-word reads.
void install_identity(Machine& m) {
  m.on(kClassCnc, 345, [](Machine&, const RbRequest&) { return RbReply().i16(1).i16(0); });
  m.on(kClassCnc, 367, [](Machine&, const RbRequest&) { return RbReply().i32(0); });
  m.on(kClassCnc, 438, [](Machine&, const RbRequest&) { return RbReply().text("08004B5A0711", 13); });
  m.on(kClassCnc, 232, [](Machine& m, const RbRequest&) {
    return RbReply().u32(m.config().key).u32(0x0A0B0C0D).u32(0).u32(1);
  });
  m.on(kClassCnc, 221, [](Machine& m, const RbRequest&) { return RbReply().i16(m.state<SystemState>().language); });
  m.on(kClassCnc, 244, [](Machine& m, const RbRequest& q) {
    m.state<SystemState>().language = int16_t(q.a1);
    return RbReply();
  });
  m.on(kClassCnc, 247, [](Machine&, const RbRequest&) { return RbReply().i32(1); });
  m.on(kClassCnc, 347, [](Machine&, const RbRequest&) { return RbReply().i32(48); });
}

// Screen, operator's message, text conversion and the C executor's memory.
void install_screen(Machine& m) {
  m.on(kClassCnc, 230, [](Machine& m, const RbRequest& q) {
    m.state<SystemState>().screen = int16_t(q.a1);
    return RbReply();
  });
  // The operator answers the optional message with its length, which is
  // something a test can see come back.
  m.on(kClassCnc, 364, [](Machine& m, const RbRequest& q) {
    auto& s = m.state<SystemState>();
    s.optmsg.assign(q.data.begin(), q.data.end());
    s.optmsg_answer = int32_t(q.data.size());
    return RbReply();
  });
  m.on(kClassCnc, 365, [](Machine& m, const RbRequest&) { return RbReply().i32(m.state<SystemState>().optmsg_answer); });
  m.on(kClassCnc, 353, [](Machine&, const RbRequest& q) { return RbReply().bytes(q.data); });
  m.on(kClassCnc, 209, [](Machine& m, const RbRequest& q) {
    const auto& mem = m.state<SystemState>().cbmem;
    if (q.a1 < 0 || q.a2 < 0 || size_t(q.a1) + size_t(q.a2) > mem.size()) return RbReply::fail(3);
    return RbReply().bytes(mem.data() + q.a1, size_t(q.a2));
  });
  m.on(kClassCnc, 210, [](Machine& m, const RbRequest& q) {
    auto& mem = m.state<SystemState>().cbmem;
    if (q.a1 < 0 || size_t(q.a1) + q.data.size() > mem.size()) return RbReply::fail(3);
    std::copy(q.data.begin(), q.data.end(), mem.begin() + q.a1);
    return RbReply();
  });
}

}  // namespace

OZ_SIM_FAMILY(state_system) {
  install_software(m);
  install_clocks(m);
  install_identity(m);
  install_screen(m);
}
