// The simulated data protection: the operation level that the protection
// password opens, per-kind protection levels, and the lock status and
// protection bits that each connection of a circuit keeps.
#include <array>
#include <cstring>
#include <map>
#include <string>

#include "base/be.h"
#include "sim/machine.h"

namespace oz::sim {
namespace {

constexpr int16_t kWrongPassword = 5;
constexpr int16_t kProtected = 7;
constexpr size_t kPassword = 12;
const std::string kFactoryPassword = std::string("OZSIM") + std::string(kPassword - 5, '\0');

struct Protection {
  std::string password = kFactoryPassword;
  bool open = false;                           // the password was entered
  std::map<int32_t, std::array<int16_t, 2>> levels;
  // kind -> bits per connection role (sock1, sock2)
  std::map<uint32_t, std::array<uint32_t, 2>> bits;
};

std::string text(const RbRequest& q, size_t at) {
  if (q.data.size() < at + kPassword) return {};
  return std::string(reinterpret_cast<const char*>(q.data.data() + at), kPassword);
}

void installPasswords(Machine& m) {
  m.on(1, 192, [](Machine& m, const RbRequest&) {
    return RbReply().i16(m.state<Protection>().open ? 0 : 4);
  });
  m.on(1, 193, [](Machine& m, const RbRequest& q) {
    auto& s = m.state<Protection>();
    if (text(q, 0) != s.password) return RbReply::fail(kWrongPassword);
    s.open = true;
    return RbReply();
  });
  m.on(1, 194, [](Machine& m, const RbRequest&) {
    m.state<Protection>().open = false;
    return RbReply();
  });
  // The current password, the new one, the new one again.
  m.on(1, 195, [](Machine& m, const RbRequest& q) {
    auto& s = m.state<Protection>();
    if (text(q, 0) != s.password || text(q, 12) != text(q, 24)) return RbReply::fail(kWrongPassword);
    s.password = text(q, 12);
    return RbReply();
  });
  m.on(1, 196, [](Machine& m, const RbRequest&) {
    auto& s = m.state<Protection>();
    if (!s.open) return RbReply::fail(kProtected);
    s.password = kFactoryPassword;
    return RbReply();
  });
}

void installLevels(Machine& m) {
  m.on(1, 197, [](Machine& m, const RbRequest& q) {
    auto& lv = m.state<Protection>().levels;
    auto it = lv.find(q.a1);
    const std::array<int16_t, 2> v = it == lv.end() ? std::array<int16_t, 2>{4, 4} : it->second;
    return RbReply().i16(v[0]).i16(v[1]);
  });
  m.on(1, 198, [](Machine& m, const RbRequest& q) {
    auto& s = m.state<Protection>();
    if (!s.open) return RbReply::fail(kProtected);
    s.levels[q.a1] = {int16_t(q.a2), int16_t(q.a3)};
    return RbReply();
  });
  // A kind's data is protected while its write level is below the operator's.
  m.on(1, 199, [](Machine& m, const RbRequest& q) {
    auto& s = m.state<Protection>();
    auto it = s.levels.find(q.a1);
    const int16_t write_level = it == s.levels.end() ? 4 : it->second[1];
    return RbReply().i16(!s.open && write_level < 4 ? 1 : 0);
  });
}

// The answer reads like a reply RB list: count 1, one 16-byte RB whose size
// word is followed by the 32-bit status and whose result sits at its offset 8.
std::vector<uint8_t> statusBody(uint32_t status) {
  std::vector<uint8_t> b(18, 0);
  be::put16(b.data(), 1);
  be::put16(b.data() + 2, 16);
  be::put32(b.data() + 4, status);
  return b;
}

void installBits(Machine& m) {
  Machine* mp = &m;
  auto answer = [mp](bool change) {
    return [mp, change](Conn& c, const ReceivedPdu& p) {
      uint32_t status = 0;
      {
        auto l = mp->lock();
        const uint32_t kind = p.body.size() >= 4 ? be::get32(p.body.data()) : 0;
        uint32_t& bits = mp->state<Protection>().bits[kind][c.sock() == 1 ? 0 : 1];
        if (change && p.body.size() >= 12) {
          const uint32_t mask = be::get32(p.body.data() + 4), value = be::get32(p.body.data() + 8);
          bits = (bits & ~mask) | (value & mask);
        }
        status = bits;
      }
      c.send(p.type, 2, statusBody(status));
    };
  };
  for (uint8_t t : {kLockStat1, kLockStat2}) m.server().on_pdu(t, answer(false));
  for (uint8_t t : {kProtBit1, kProtBit2}) m.server().on_pdu(t, answer(true));
}

}  // namespace

OZ_SIM_FAMILY(machine2_protect) {
  installPasswords(m);
  installLevels(m);
  installBits(m);
}

}  // namespace oz::sim
