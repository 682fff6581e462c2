// `ozcli unsolic`: the controller's unsolicited transmission and what the
// message server (ozmsgd) received of it.
//   unsolic set 1 --to 127.0.0.1 --port 40123 --period 0.5 --range R100-R115
//   unsolic set 2 --form 2 --to 127.0.0.1 --port 40123 --cnc 3:1:100-104
//   unsolic get 1 [--form 2]     unsolic start 1 [--count 1]
//   unsolic stop 1               unsolic read 5 [--form 2]
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "command.h"

using namespace ozcli;

namespace {

constexpr const char* kLetters = "GFYXARTKCDMNE";

struct UnsolicArgs {
  std::string action;
  int number = 0;
  int form = 1;
  std::string to = "127.0.0.1";
  int port = 0;
  double period = 0;            // seconds, 0.1 steps
  std::vector<std::string> ranges, cnc;
  int word2 = 5, word4 = 0, word5 = 1, word6 = 1, count = 1;
};

struct Range {
  int16_t area;
  int32_t start, length;
};

// "R100-R115" or "R100": area index, first byte and length.
Range parse_range(const std::string& text) {
  const char* letter = text.empty() ? nullptr : std::strchr(kLetters, text[0]);
  if (!letter || *letter == '\0') throw UsageError("--range: unknown PMC area in " + text);
  const size_t dash = text.find('-');
  try {
    const long s = std::stol(text.substr(1, dash == std::string::npos ? std::string::npos : dash - 1));
    const long e = dash == std::string::npos ? s : std::stol(text.substr(dash + 2));
    if (s < 0 || e < s || e > 32767) throw UsageError("--range: bad addresses in " + text);
    return {int16_t(letter - kLetters), int32_t(s), int32_t(e - s + 1)};
  } catch (const std::logic_error&) {
    throw UsageError("--range: bad PMC address " + text);
  }
}

// "KIND:PATH:FIRST-LAST": a CNC data item of the second form (kind 3, 4 or 5).
unsolicitem_t parse_cnc(const std::string& text) {
  int kind = 0, path = 0;
  long first = 0, last = 0;
  char tail;
  if (std::sscanf(text.c_str(), "%d:%d:%ld-%ld%c", &kind, &path, &first, &last, &tail) != 4 || kind < 3 ||
      kind > 5 || path < 1 || path > 15 || last < first)
    throw UsageError("--cnc: KIND:PATH:FIRST-LAST with kind 3, 4 or 5: " + text);
  return unsolicitem_t{int16_t(kind), 0, int16_t(path), 0, int32_t(first), int32_t(last)};
}

uint16_t period_word(double seconds) {
  if (!(seconds >= 0 && seconds <= 3276.7)) throw UsageError("--period: 0 to 3276.7 seconds");
  return uint16_t(std::lround(seconds * 10));
}

std::string area_text(int type, long start, long length) {
  const std::string a = type >= 0 && type < 13 ? std::string(1, kLetters[type]) : "?" + std::to_string(type);
  return a + std::to_string(start) + "-" + a + std::to_string(start + length - 1);
}

void set_form1(Session& s, Output& out, const UnsolicArgs& a) {
  if (a.ranges.empty() || a.ranges.size() > 3) throw UsageError("unsolic set: one to three --range");
  if (!a.cnc.empty()) throw UsageError("unsolic set: --cnc needs --form 2");
  unsolicprm_t p{};
  std::snprintf(p.ipaddr, sizeof p.ipaddr, "%s", a.to.c_str());
  p.word1 = uint16_t(a.port);
  p.word2 = int16_t(a.word2);
  p.word3 = int16_t(period_word(a.period));
  p.word4 = int16_t(a.word4);
  p.word5 = int16_t(a.word5);
  p.word6 = int16_t(a.word6);
  p.count = int16_t(a.ranges.size());
  for (size_t i = 0; i < a.ranges.size(); ++i) {
    const Range r = parse_range(a.ranges[i]);
    p.range[i] = unsolicrng_t{1, r.area, int16_t(r.start), int16_t(r.length), {0, 0}};
  }
  OZCLI_CALL(s, cnc_wrunsolicprm, int16_t(a.number), &p);
  out.field("number", a.number);
  out.field("written", true);
}

void set_form2(Session& s, Output& out, const UnsolicArgs& a) {
  const size_t n = a.ranges.size() + a.cnc.size();
  if (n == 0 || n > 3) throw UsageError("unsolic set: one to three --range and --cnc items");
  unsolicprm2_t p{};
  std::snprintf(p.address, sizeof p.address, "%s", a.to.c_str());
  p.word1 = uint32_t(a.port);
  p.word2 = uint16_t(a.word2);
  p.word3 = period_word(a.period);
  p.word4 = uint16_t(a.word4);
  p.form = 1;
  p.count = uint16_t(n);
  size_t i = 0;
  for (const std::string& t : a.ranges) {
    const Range r = parse_range(t);
    p.item[i++] = unsolicitem_t{1, 0, 1, r.area, r.start, r.length};
  }
  for (const std::string& t : a.cnc) p.item[i++] = parse_cnc(t);
  OZCLI_CALL(s, cnc_wrunsolicprm2, int16_t(a.number), &p);
  out.field("number", a.number);
  out.field("written", true);
}

void get(Session& s, Output& out, const UnsolicArgs& a) {
  out.field("number", a.number);
  if (a.form == 1) {
    unsolicprm_t p{};
    OZCLI_CALL(s, cnc_rdunsolicprm, int16_t(a.number), &p);
    out.field("to", std::string(p.ipaddr, strnlen(p.ipaddr, sizeof p.ipaddr)));
    out.field("port", p.word1);
    out.field("period", p.word3 / 10.0, "s");
    out.field("words", json::array({p.word1, p.word2, p.word3, p.word4, p.word5, p.word6}));
    Table& t = out.table("ranges", {"range", "adr_type", "start", "length"});
    for (int i = 0; i < p.count && i < 3; ++i)
      t.row({area_text(p.range[i].adr_type, p.range[i].start, p.range[i].length), p.range[i].adr_type,
             p.range[i].start, p.range[i].length});
    return;
  }
  unsolicprm2_t p{};
  OZCLI_CALL(s, cnc_rdunsolicprm2, int16_t(a.number), &p);
  out.field("to", std::string(p.address, strnlen(p.address, sizeof p.address)));
  out.field("port", p.word1 & 0xFFFF);
  out.field("period", p.word3 / 10.0, "s");
  out.field("form", p.form);
  Table& t = out.table("items", {"kind", "unit", "adr_type", "first", "last"});
  for (int i = 0; i < p.count && i < 3; ++i)
    t.row({p.item[i].kind, p.item[i].unit, p.item[i].adr_type, p.item[i].first, p.item[i].last});
}

std::string hex(const uint8_t* p, size_t n) {
  std::string s;
  char b[4];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(b, sizeof b, i ? " %02X" : "%02X", p[i]);
    s += b;
  }
  return s;
}

// The readers take no handle: a failure has no detail words to show.
void check_unbound(const char* fn, int16_t rc) {
  if (rc != EW_SUCCESS) throw CallError(fn, rc, false, dtailerr_t{0, 0});
}

void read(Output& out, const UnsolicArgs& a) {
  constexpr size_t kRoom = 8192;
  std::vector<std::vector<uint8_t>> bufs(3, std::vector<uint8_t>(kRoom));
  out.field("registration", a.number);
  Table& t = out.table("entries", {"entry", "type", "word", "count", "data"});
  if (a.form == 1) {
    unsolicmsg_t m{};
    for (int i = 0; i < 3; ++i) m.entry[i] = unsolicmsg_entry_t{int16_t(kRoom), 0, bufs[size_t(i)].data()};
    check_unbound("cnc_rdunsolicmsg", cnc_rdunsolicmsg(int16_t(a.number), &m));
    for (int i = 0; i < m.count; ++i)
      t.row({i + 1, 1, nullptr, m.entry[i].length, hex(bufs[size_t(i)].data(), size_t(m.entry[i].length))});
    return;
  }
  unsolicmsg2_t m{};
  for (int i = 0; i < 3; ++i) m.entry[i] = unsolicmsg2_entry_t{0, 0, 0, 0, uint32_t(kRoom), bufs[size_t(i)].data()};
  check_unbound("cnc_rdunsolicmsg2", cnc_rdunsolicmsg2(int16_t(a.number), &m));
  for (int i = 0; i < m.count; ++i) {
    const auto& e = m.entry[i];
    json data;
    if (e.type == 1) {
      data = hex(bufs[size_t(i)].data(), e.count);
    } else {
      data = json::array();
      for (uint32_t k = 0; k < e.count; ++k) {
        int64_t v;
        std::memcpy(&v, bufs[size_t(i)].data() + 8 * k, 8);
        data.push_back(v);
      }
    }
    t.row({i + 1, e.type, e.word, e.count, data});
  }
}

void run(Session& s, Output& out, const UnsolicArgs& a) {
  if (a.form != 1 && a.form != 2) throw UsageError("--form: 1 or 2");
  if (a.action == "read") return read(out, a);
  if (a.number < 1 || a.number > 3) throw UsageError("unsolic: the setting number is 1, 2 or 3");
  if (a.action == "set") {
    if (a.port < 1 || a.port > 65535) throw UsageError("unsolic set: --port 1..65535 (the server's push port)");
    return a.form == 1 ? set_form1(s, out, a) : set_form2(s, out, a);
  }
  if (a.action == "get") return get(s, out, a);
  out.field("number", a.number);
  if (a.action == "start") {
    int16_t reg = 0;
    OZCLI_CALL(s, cnc_unsolicstart, int16_t(a.number), nullptr, 0u, int16_t(a.count), &reg);
    out.field("registration", reg);
  } else if (a.action == "stop") {
    OZCLI_CALL(s, cnc_unsolicstop, int16_t(a.number));
    out.field("stopped", true);
  } else {
    throw UsageError("unsolic: set, get, start, stop or read");
  }
}

}  // namespace

OZCLI_FAMILY(unsolic) {
  auto a = std::make_shared<UnsolicArgs>();
  CLI::App* c = cli.command("unsolic",
                            "Unsolicited transmission: set, get, start, stop; read what the server received",
                            [a](Session& s, Output& out) { run(s, out, *a); });
  c->add_option("action", a->action, "set | get | start | stop | read")->required();
  c->add_option("number", a->number, "setting number 1..3 (read: the registration number)")->required();
  c->add_option("--form", a->form, "setting and message form: 1 or 2");
  c->add_option("--to", a->to, "set: the message server's IPv4 address");
  c->add_option("--port", a->port, "set: the message server's push port (ozmsgd prints it)");
  c->add_option("--period", a->period, "set: seconds between messages, 0.1 steps (0: one message at the start)");
  c->add_option("--range", a->ranges, "set: a PMC range, R100-R115");
  c->add_option("--cnc", a->cnc, "set, form 2: CNC data KIND:PATH:FIRST-LAST, kind 3..5");
  c->add_option("--word2", a->word2, "set: second setting word (5 or 12)");
  c->add_option("--word4", a->word4, "set: fourth setting word");
  c->add_option("--word5", a->word5, "set: fifth setting word (1 or more)");
  c->add_option("--word6", a->word6, "set: sixth setting word (1..word5)");
  c->add_option("--count", a->count, "start: the count handed to the server (1 or more)");
}
