// `ozcli pmc`: PMC signal memory, alarms and units.
//   pmc read R0-R99 [--width 1|2|4]    pmc write R100 42 [--width 1|2|4]
//   pmc alarms                         pmc units
#include <cstring>
#include <memory>

#include "command.h"

using namespace ozcli;

namespace {

constexpr const char* kLetters = "GFYXARTKCDMNE";

struct PmcArgs {
  std::string action, where;
  long value = 0;
  int width = 1;
};

// "R100" or "R0-R99": area index and the first and last byte address.
void parse_range(const std::string& text, int16_t* area, uint16_t* s, uint16_t* e) {
  const char* letter = text.empty() ? nullptr : std::strchr(kLetters, text[0]);
  if (!letter || *letter == '\0') throw UsageError("unknown PMC area in " + text);
  *area = int16_t(letter - kLetters);
  const size_t dash = text.find('-');
  try {
    *s = uint16_t(std::stoul(text.substr(1, dash == std::string::npos ? std::string::npos : dash - 1)));
    *e = dash == std::string::npos ? *s : uint16_t(std::stoul(text.substr(dash + 2)));
  } catch (const std::exception&) {
    throw UsageError("bad PMC address " + text);
  }
}

int16_t data_type(int width) {
  if (width == 1 || width == 2) return int16_t(width - 1);
  if (width == 4) return 2;
  throw UsageError("--width must be 1, 2 or 4");
}

void read(Session& s, Output& out, const PmcArgs& a) {
  int16_t area;
  uint16_t first, last;
  parse_range(a.where, &area, &first, &last);
  const uint32_t bytes = uint32_t(last) - first + 1;
  std::vector<uint8_t> buf(8 + bytes + 8);
  OZCLI_CALL(s, pmc_rdpmcrng, area, data_type(a.width), first, last, uint16_t(buf.size()),
             reinterpret_cast<pmcrng_t*>(buf.data()));
  Table& t = out.table("pmc", {"address", "value"});
  for (uint32_t off = 0; off + uint32_t(a.width) <= bytes; off += uint32_t(a.width)) {
    int64_t v = 0;
    if (a.width == 1) v = buf[8 + off];
    else if (a.width == 2) { int16_t x; std::memcpy(&x, &buf[8 + off], 2); v = x; }
    else { int32_t x; std::memcpy(&x, &buf[8 + off], 4); v = x; }
    t.row({std::string(1, kLetters[area]) + std::to_string(first + off), v});
  }
}

void write(Session& s, Output& out, const PmcArgs& a) {
  int16_t area;
  uint16_t first, last;
  parse_range(a.where, &area, &first, &last);
  pmcrng_t r{area, data_type(a.width), first, uint16_t(first + a.width - 1), {}};
  const int32_t v = int32_t(a.value);
  std::memcpy(&r.u, &v, size_t(a.width));
  OZCLI_CALL(s, pmc_wrpmcrng, uint16_t(8 + a.width), &r);
  out.field("address", a.where);
  out.field("written", a.value);
}

void alarms(Session& s, Output& out) {
  std::vector<pmcalm_t> msgs(32);
  int16_t n = int16_t(msgs.size()), pending = 0;
  OZCLI_CALL(s, pmc_rdalmmsg, 1, &n, &pending, msgs.data());
  Table& t = out.table("alarms", {"number", "text"});
  for (int i = 0; i < n; ++i) {
    std::string text(msgs[size_t(i)].text, strnlen(msgs[size_t(i)].text, 128));
    while (!text.empty() && text.back() == ' ') text.pop_back();
    t.row({i + 1, text});
  }
  out.field("pending", pending);
}

void units(Session& s, Output& out) {
  int32_t current = 0, count = 0;
  OZCLI_CALL(s, pmc_get_current_pmc_unit, &current);
  OZCLI_CALL(s, pmc_get_number_of_pmc, &count);
  std::vector<int32_t> types(size_t(std::max(count, 0)));
  int32_t n = count;
  OZCLI_CALL(s, pmc_get_pmc_unit_types, types.data(), &n);
  out.field("current", current);
  Table& t = out.table("units", {"index", "type"});
  for (int i = 0; i < n; ++i) t.row({i + 1, types[size_t(i)]});
}

}  // namespace

OZCLI_FAMILY(pmc) {
  auto a = std::make_shared<PmcArgs>();
  CLI::App* c = cli.command("pmc", "PMC memory, alarms and units: read, write, alarms, units",
                            [a](Session& s, Output& out) {
    if (a->action == "read") read(s, out, *a);
    else if (a->action == "write") write(s, out, *a);
    else if (a->action == "alarms") alarms(s, out);
    else if (a->action == "units") units(s, out);
    else throw UsageError("pmc: read, write, alarms or units");
  });
  c->add_option("action", a->action, "read | write | alarms | units")->required();
  c->add_option("address", a->where, "R0-R99 (read) or R100 (write)");
  c->add_option("value", a->value, "value to write");
  c->add_option("--width", a->width, "bytes per item: 1, 2 or 4");
}
