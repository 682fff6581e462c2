// The ladder-screen request: a text command the CNC's display understands.
#include <cstdio>

#include "api/pmc/pmc.h"

using namespace oz;
using namespace oz::pmcio;

namespace {

// Reasons a record cannot become a command; they go out as the EW_SIZE detail.
enum LadReason : uint16_t {
  kBadMode = 1, kNoRecord = 2, kBadUnit = 3, kBadProgram = 4, kBadArea = 5,
  kBadNumber = 6, kControlChar = 7, kBadLine = 8, kBadColour = 9,
};

[[noreturn]] void refuse(LadReason r) { raise_error(EW_SIZE, r); }

constexpr size_t kMessageEnd = 255;   // the message part never runs past this byte
constexpr size_t kAddressMax = 128;

class Command {
 public:
  Command() { put("PCLD", 4); put("\0\0\0\0", 4); }
  void put(const char* p, size_t n) {
    if (n > sizeof buf_ - len_) n = sizeof buf_ - len_;
    std::memcpy(buf_ + len_, p, n);
    len_ += n;
  }
  void put(const std::string& s) { put(s.data(), s.size()); }
  void put(char ch) { put(&ch, 1); }
  size_t size() const { return len_; }
  const char* data() const { return buf_; }

 private:
  char buf_[512];
  size_t len_ = 0;
};

std::string fmt(const char* f, long a, long b = 0, long c = 0) {
  char s[64];
  std::snprintf(s, sizeof s, f, a, b, c);
  return s;
}

std::string program_code(int16_t p) {
  if (p == -4) return "C";
  if (p == -3) return "L3";
  if (p == -2) return "L2";
  if (p == -1) return "L1";
  if (p == 0) return "G";
  if (p > 0) return fmt("%ld", p);
  refuse(kBadProgram);
}

char unit_char(int16_t u) {
  if (u >= 1 && u <= 5) return char('0' + u);
  if (u == 9) return 'S';
  refuse(kBadUnit);
}

std::string area_address(const pmclad_t& p) {
  if (p.area < 0 || p.area > 13) refuse(kBadArea);
  if (p.number < 0) refuse(kBadNumber);
  // Index 13 is accepted but has no letter of its own.
  std::string letter = p.area < kAreaCount ? std::string(1, kAreaLetters[p.area]) : "";
  return letter + (p.bit < 8 ? fmt("%ld.%ld", p.number, p.bit) : fmt("%ld", p.number));
}

// A delimiter the address text does not contain, so the display can find its end.
char delimiter(const std::string& text) {
  if (text.find('/') == std::string::npos) return '/';
  for (int ch = 33; ch <= 126; ++ch)
    if (text.find(char(ch)) == std::string::npos) return char(ch);
  return '\n';
}

}  // namespace

// Exposed for the tests: the command text for a record, terminator included.
std::string oz_pmclad_command(const pmclad_t* prm);

std::string oz_pmclad_command(const pmclad_t* prm) {
  if (prm == nullptr) refuse(kNoRecord);
  const pmclad_t& p = *prm;
  if (p.mode < 0 || p.mode > 2) refuse(kBadMode);
  if (p.line < 1 || p.line > 8) refuse(kBadLine);
  if (p.color < 0 || p.color > 15 || p.background < 0 || p.background > 15) refuse(kBadColour);
  Command cmd;
  cmd.put('M');
  cmd.put(fmt("LN=%ld;CL=%ld;BG=%ld\n", p.line, p.color, p.background));
  if (p.message) {
    const size_t room = kMessageEnd > cmd.size() ? kMessageEnd - cmd.size() : 0;
    cmd.put(p.message, strnlen(p.message, room));
  }
  if (p.mode != 0) {
    cmd.put('\f');
    cmd.put('U');
    cmd.put(unit_char(p.unit));
    cmd.put('\f');
    cmd.put('P');
    cmd.put(program_code(p.program));
    std::string address;
    if (p.mode == 1) {
      address = area_address(p);
    } else {
      address = p.address ? std::string(p.address, strnlen(p.address, kAddressMax)) : "";
      for (char ch : address)
        if (uint8_t(ch) < 32) refuse(kControlChar);
    }
    const char delim = delimiter(address);
    cmd.put('\f');
    cmd.put(p.program == -4 ? 'C' : 'S');
    cmd.put(delim);
    cmd.put(address);
    cmd.put(delim);
    if (p.program != -4) cmd.put("GWT", 3);
  }
  cmd.put('\0');
  return std::string(cmd.data(), cmd.size());
}

OZ_EXPORT int16_t OZ_CALL cnc_pmclad_screen(uint16_t h, const pmclad_t* prm) {
  return call(h, __func__, args(prm), [&](Call& c) {
    const std::string text = oz_pmclad_command(prm);
    c.add(cnc(681).with(text.data(), uint16_t(text.size())));
    c.add(cnc(230).arg1(3075));
    c.exchange();
    c.rb(0);
    c.rb(1);
  });
}
