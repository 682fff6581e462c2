// Numbers as a user types them and as the controller keeps them. Everything
// is done in integers: a decimal value is its digits and its places, so
// "100.5" never passes through a binary fraction on its way to the wire.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <ctime>
#include <limits>

#include "command.h"
#include "output_detail.h"

namespace ozcli {

namespace {

int64_t pow10(int n) {
  int64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

std::string range_text(int64_t lo, int64_t hi) { return std::to_string(lo) + ".." + std::to_string(hi); }

}  // namespace

json decimal(int64_t value, int places) {
  if (places <= 0 || places > 9) return value;
  const int64_t scale = pow10(places);
  const uint64_t mag = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
  std::string frac = std::to_string(mag % uint64_t(scale));
  frac.insert(0, size_t(places) - frac.size(), '0');
  return detail::exact_number((value < 0 ? "-" : "") + std::to_string(mag / uint64_t(scale)) + "." + frac);
}

Decimal parse_decimal(const std::string& text, const std::string& what) {
  Decimal d;
  size_t i = 0;
  const bool negative = !text.empty() && (text[0] == '-' || text[0] == '+');
  const bool minus = negative && text[0] == '-';
  if (negative) ++i;
  bool any = false, point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (c < '0' || c > '9') {
      any = false;
      break;
    }
    // 18 significant digits fit an int64 whatever they are; more would not.
    if (d.digits > (std::numeric_limits<int64_t>::max() - 9) / 10)
      throw UsageError(what + ": " + text + " has too many digits");
    d.digits = d.digits * 10 + (c - '0');
    if (point) ++d.places;
    any = true;
  }
  if (!any || i != text.size()) throw UsageError(what + ": '" + text + "' is not a number");
  if (minus) d.digits = -d.digits;
  return d;
}

void check_range(int64_t v, int64_t lo, int64_t hi, const std::string& what) {
  if (v < lo || v > hi) throw UsageError(what + ": " + std::to_string(v) + " is outside " + range_text(lo, hi));
}

int64_t parse_integer(const std::string& text, int64_t lo, int64_t hi, const std::string& what) {
  const Decimal d = parse_decimal(text, what);
  if (d.places > 0) throw UsageError(what + ": give a whole number in " + range_text(lo, hi) + ", not " + text);
  if (d.digits < lo || d.digits > hi) throw UsageError(what + ": " + text + " is outside " + range_text(lo, hi));
  return d.digits;
}

int64_t parse_scaled(const std::string& text, int places, int64_t lo, int64_t hi, const std::string& what) {
  const Decimal d = parse_decimal(text, what);
  if (d.places > places) {
    throw UsageError(what + ": " + text + " has more decimal places than the " + std::to_string(places) +
                     " the controller keeps");
  }
  const int64_t up = pow10(places - d.places);
  if (d.digits > std::numeric_limits<int64_t>::max() / up || d.digits < std::numeric_limits<int64_t>::min() / up)
    throw UsageError(what + ": " + text + " is too large");
  const int64_t v = d.digits * up;
  if (v < lo || v > hi) {
    throw UsageError(what + ": " + text + " is outside " + detail::shown(decimal(lo, places)) + ".." +
                     detail::shown(decimal(hi, places)));
  }
  return v;
}

Range parse_range(const std::string& text, int64_t lo, int64_t hi, const std::string& what) {
  // The dash of a range is the first one after a digit, so "-5--1" reads as
  // -5 to -1.
  size_t dash = std::string::npos;
  for (size_t i = 1; i < text.size(); ++i)
    if (text[i] == '-' && text[i - 1] >= '0' && text[i - 1] <= '9') {
      dash = i;
      break;
    }
  Range r;
  r.from = parse_integer(text.substr(0, dash), lo, hi, what);
  r.to = dash == std::string::npos ? r.from : parse_integer(text.substr(dash + 1), lo, hi, what);
  if (r.to < r.from) throw UsageError(what + ": the range " + text + " ends before it starts");
  return r;
}

std::string timestamp_now() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t t = system_clock::to_time_t(now);
  const int ms = int(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm local{}, utc{};
#ifdef _WIN32
  localtime_s(&local, &t);
  gmtime_s(&utc, &t);
#else
  localtime_r(&t, &local);
  gmtime_r(&t, &utc);
#endif
  // The offset from UTC, from the two broken-down forms of the same instant.
  utc.tm_isdst = local.tm_isdst;
  const int offset = std::clamp(int(std::difftime(std::mktime(&local), std::mktime(&utc)) / 60), -1440, 1440);
  char buf[128];   // room for any int the fields could hold, so no cut
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, ms,
                offset < 0 ? '-' : '+', std::abs(offset) / 60, std::abs(offset) % 60);
  return buf;
}

}  // namespace ozcli
