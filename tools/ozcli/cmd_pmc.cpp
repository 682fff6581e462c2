// `ozcli pmc`: PMC signal memory, alarms and units.
//   pmc read R0-R99 [--width 1|2|4]    pmc read X0.1
//   pmc write R100 42 [--width 1|2|4]  pmc write R100-R103 0   pmc write Y0.3 1
//   pmc alarms                         pmc units
// Addresses are byte addresses; with --width 2 or 4 a range names the items
// that start in it (R100-R102 --width 2 is R100 and R102). Bytes show as 0-255,
// words and longs as signed numbers.
#include <cctype>
#include <cstring>
#include <memory>

#include "command.h"

using namespace ozcli;

namespace {

constexpr const char* kLetters = "GFYXARTKCDMNE";

struct PmcArgs {
  std::string action, where;
  std::vector<std::string> values;
  int width = 1;
};

struct Address {
  int16_t area = 0;
  int64_t first = 0, last = 0;
  int bit = -1;   // a single bit of `first`

  char letter() const { return kLetters[area]; }
  std::string name(int64_t byte) const { return std::string(1, letter()) + std::to_string(byte); }
};

// "R100", "r100", "X0.1", "R0-R99" or "R0-99", one area only.
Address parse_address(const std::string& text) {
  if (text.empty()) throw UsageError("pmc: give an address such as R100, R0-R9 or X0.1");
  auto area_of = [&](char c) {
    const char up = char(std::toupper(static_cast<unsigned char>(c)));
    const char* p = std::strchr(kLetters, up);
    if (!p || up == '\0')
      throw UsageError("pmc: unknown area '" + std::string(1, c) + "' in " + text + " (areas: G F Y X A R T K C D M N E)");
    return int16_t(p - kLetters);
  };
  Address a;
  a.area = area_of(text[0]);
  const size_t dash = text.find('-');
  std::string first = text.substr(1, dash == std::string::npos ? std::string::npos : dash - 1);
  const size_t dot = first.find('.');
  if (dot != std::string::npos) {
    if (dash != std::string::npos) throw UsageError("pmc: a bit address names one bit (X0.1), not a range: " + text);
    a.bit = int(parse_integer(first.substr(dot + 1), 0, 7, "pmc: bit of " + text));
    first = first.substr(0, dot);
  }
  a.first = parse_integer(first, 0, 65535, "pmc: address " + text);
  a.last = a.first;
  if (dash != std::string::npos) {
    std::string end = text.substr(dash + 1);
    if (!end.empty() && !std::isdigit(static_cast<unsigned char>(end[0]))) {
      if (area_of(end[0]) != a.area) throw UsageError("pmc: a range stays in one area: " + text);
      end = end.substr(1);
    }
    a.last = parse_integer(end, 0, 65535, "pmc: address " + text);
    if (a.last < a.first) throw UsageError("pmc: range " + text + " ends before it starts");
  }
  return a;
}

int16_t data_type(int width) { return int16_t(width == 4 ? 2 : width - 1); }

// The item start addresses of a range: every width-th byte that starts in it.
std::vector<int64_t> items(const Address& a, int width) {
  std::vector<int64_t> v;
  for (int64_t b = a.first; b <= a.last; b += width) v.push_back(b);
  return v;
}

// The bytes first..last as they are in the PMC, through one range read.
std::vector<uint8_t> read_bytes(Session& s, const Address& a, int width, int64_t last) {
  const size_t bytes = size_t(last - a.first + 1);
  std::vector<uint8_t> buf(std::max(sizeof(pmcrng_t), 8 + bytes));
  OZCLI_CALL(s, pmc_rdpmcrng, a.area, data_type(width), uint16_t(a.first), uint16_t(last), uint16_t(buf.size()),
             reinterpret_cast<pmcrng_t*>(buf.data()));
  return std::vector<uint8_t>(buf.begin() + 8, buf.begin() + 8 + long(bytes));
}

json item_value(const uint8_t* p, int width) {
  if (width == 1) return p[0];
  if (width == 2) {
    int16_t x;
    std::memcpy(&x, p, 2);
    return x;
  }
  int32_t x;
  std::memcpy(&x, p, 4);
  return x;
}

// The area's byte range, to say what is valid when the PMC refused one.
std::string area_range(Session& s, const Address& a) {
  pmcinfo_t info{};
  if (pmc_rdpmcinfo(s.handle(), a.area, &info) != EW_SUCCESS) return {};
  for (int i = 0; i < info.datano && i < 64; ++i)
    if (info.info[i].pmc_adr == a.letter())
      return a.name(info.info[i].top_num) + "-" + a.name(info.info[i].last_num);
  return {};
}

// Runs body; when the PMC refuses the bytes first..last, says which part of
// the area is valid.
template <class F>
void naming_range(Session& s, const Address& a, int64_t last, F&& body) {
  try {
    body();
  } catch (CallError& e) {
    const std::string valid = e.code == EW_RANGE ? area_range(s, a) : std::string();
    const std::string asked = a.name(a.first) + (last > a.first ? "-" + a.name(last) : std::string());
    if (!valid.empty()) e.context = "bytes " + asked + " are not all within " + valid;
    throw;
  }
}

void read(Session& s, Output& out, const PmcArgs& a, const std::string& table = "pmc") {
  const Address ad = parse_address(a.where);
  if (ad.bit >= 0 && a.width != 1) throw UsageError("pmc: a bit address takes no --width");
  const auto starts = items(ad, a.width);
  Table& t = out.table(table, {"address", "value"});
  const int64_t last = starts.back() + a.width - 1;
  naming_range(s, ad, last, [&] {
    const auto bytes = read_bytes(s, ad, a.width, last);
    if (ad.bit >= 0) {
      t.row({ad.name(ad.first) + "." + std::to_string(ad.bit), (bytes[0] >> ad.bit) & 1});
      return;
    }
    for (int64_t b : starts) t.row({ad.name(b), item_value(&bytes[size_t(b - ad.first)], a.width)});
  });
}

// A value for an item of the width: bytes 0-255 (or -128-127), words and
// longs signed or unsigned, kept as the bits the PMC will hold.
int64_t item_input(const std::string& text, int width, const std::string& where) {
  const int64_t lo = -(int64_t(1) << (8 * width - 1)), hi = (int64_t(1) << (8 * width)) - 1;
  return parse_integer(text, lo, hi, "pmc " + where + " (" + std::to_string(width) + " byte" + (width > 1 ? "s)" : ")"));
}

void write_bit(Session& s, Output& out, const Address& ad, const PmcArgs& a) {
  if (a.values.size() != 1) throw UsageError("pmc write " + a.where + ": give one value, 0 or 1");
  const int64_t v = parse_integer(a.values[0], 0, 1, "pmc: bit value");
  naming_range(s, ad, ad.first, [&] {
    uint8_t byte = read_bytes(s, ad, 1, ad.first)[0];
    byte = uint8_t(v ? byte | (1u << ad.bit) : byte & ~(1u << ad.bit));
    std::vector<uint8_t> buf(sizeof(pmcrng_t));
    pmcrng_t r{ad.area, 0, uint16_t(ad.first), uint16_t(ad.first), {}};
    std::memcpy(buf.data(), &r, 8);
    buf[8] = byte;
    OZCLI_CALL(s, pmc_wrpmcrng, uint16_t(9), reinterpret_cast<pmcrng_t*>(buf.data()));
  });
  out.field("address", ad.name(ad.first) + "." + std::to_string(ad.bit));
  out.field("written", int(v));
}

void write(Session& s, Output& out, const PmcArgs& a) {
  const Address ad = parse_address(a.where);
  if (a.values.empty()) throw UsageError("pmc write " + a.where + ": give a value");
  if (ad.bit >= 0) {
    if (a.width != 1) throw UsageError("pmc: a bit address takes no --width");
    return write_bit(s, out, ad, a);
  }
  const auto starts = items(ad, a.width);
  if (a.values.size() != 1 && a.values.size() != starts.size())
    throw UsageError("pmc write " + a.where + ": give one value for every item, or one for all (" +
                     std::to_string(starts.size()) + " items)");
  std::vector<uint8_t> buf(std::max(sizeof(pmcrng_t), 8 + starts.size() * size_t(a.width)));
  const pmcrng_t head{ad.area, data_type(a.width), uint16_t(ad.first),
                      uint16_t(starts.back() + a.width - 1), {}};
  std::memcpy(buf.data(), &head, 8);
  Table& t = out.table("written", {"address", "value"});
  for (size_t i = 0; i < starts.size(); ++i) {
    const std::string name = ad.name(starts[i]);
    const int64_t v = item_input(a.values[a.values.size() == 1 ? 0 : i], a.width, name);
    // Host order, as the library takes items; only the item's own bytes.
    const uint32_t bits = uint32_t(v);
    uint8_t* at = &buf[8 + i * size_t(a.width)];
    if (a.width == 1) *at = uint8_t(bits);
    else if (a.width == 2) { const uint16_t w = uint16_t(bits); std::memcpy(at, &w, 2); }
    else std::memcpy(at, &bits, 4);
    t.row({name, item_value(at, a.width)});
  }
  naming_range(s, ad, starts.back() + a.width - 1, [&] {
    OZCLI_CALL(s, pmc_wrpmcrng, uint16_t(8 + starts.size() * size_t(a.width)),
               reinterpret_cast<pmcrng_t*>(buf.data()));
  });
}

void alarms(Session& s, Output& out) {
  std::vector<pmcalm_t> msgs(32);
  int16_t n = int16_t(msgs.size()), pending = 0;
  OZCLI_CALL(s, pmc_rdalmmsg, 1, &n, &pending, msgs.data());
  Table& t = out.table("alarms", {"number", "text"});
  for (int i = 0; i < n && i < 32; ++i) {
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
  for (int i = 0; i < n && i < count; ++i) t.row({i + 1, types[size_t(i)]});
}

}  // namespace

OZCLI_FAMILY(pmc) {
  auto a = std::make_shared<PmcArgs>();
  CLI::App* c = cli.command(
      "pmc",
      "PMC memory, alarms and units: read, write, alarms, units. A bit (X0.1) is read alone and written "
      "by reading its byte and writing it back, which is not atomic against the ladder",
      [a](Session& s, Output& out) {
        if (a->action != "write" && !a->values.empty())
          throw UsageError("pmc " + a->action + ": unexpected value '" + a->values[0] + "'");
        if ((a->action == "alarms" || a->action == "units") && !a->where.empty())
          throw UsageError("pmc " + a->action + ": unexpected argument '" + a->where + "'");
        if (a->action == "read") read(s, out, *a);
        else if (a->action == "write") write(s, out, *a);
        else if (a->action == "alarms") alarms(s, out);
        else if (a->action == "units") units(s, out);
        else throw UsageError("pmc: unknown action '" + a->action + "' (pmc has: read, write, alarms, units)");
      });
  c->add_option("action", a->action, "read | write | alarms | units")->required();
  c->add_option("address", a->where, "R100, r100, R0-R99 or X0.1");
  c->add_option("values", a->values, "value(s) to write: one per item, or one for all");
  c->add_option("--width", a->width, "bytes per item: 1, 2 or 4")->check(CLI::IsMember({1, 2, 4}));
  cli.watch_item("pmc", "RANGE", "PMC bytes (R0-R9)", [](Session& s, Output& out, const std::string& range) {
    PmcArgs args;
    args.where = range;
    read(s, out, args, "pmc " + range);   // a table per range, so several can be watched
  });
}
