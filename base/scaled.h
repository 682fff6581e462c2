// Scaled-binary numbers: m * 2^-s with a normalised 32-bit mantissa. Macro
// values travel in this form or in decimal form; every conversion between the
// two goes through these steps, in this order, so that a value read back
// rounds exactly as the controller's own arithmetic does.
#pragma once
#include <cstdint>
#include <limits>

namespace oz::scaled {

struct Num {
  int32_t m = 0;
  int32_t s = 0;
};

inline Num normalise(int64_t m, int32_t s) {
  if (m == 0) return {0, 0};
  // Only a quotient of unnormalised operands can arrive here too wide.
  while (m > std::numeric_limits<int32_t>::max() || m < std::numeric_limits<int32_t>::min()) {
    m /= 2;
    --s;
  }
  if (m > 0) {
    while (m < (int64_t(1) << 30)) { m *= 2; ++s; }
  } else {
    while (m >= -(int64_t(1) << 30)) { m *= 2; ++s; }
  }
  return {int32_t(m), s};
}

inline Num mul(Num a, Num b) {
  int32_t s = a.s + b.s - 32;
  int64_t p = int64_t(a.m) * b.m;
  if ((uint64_t(p) >> 32) == 0) return {0, 0};
  const int64_t lim = int64_t(1) << 62;
  while (p >= -lim && p < lim) { p *= 2; ++s; }
  return normalise(p >> 32, s);
}

inline Num add(Num a, Num b) {
  if (a.m == 0) return b;
  if (b.m == 0) return a;
  const int32_t d = a.s - b.s;
  if (d >= 32) return b;
  if (d <= -32) return a;
  int64_t ma = a.m, mb = b.m;
  int32_t s = a.s;
  if (d > 0) { for (int i = 0; i < d; ++i) ma /= 2; s = b.s; }
  else { for (int i = 0; i < -d; ++i) mb /= 2; }
  int64_t sum = ma + mb;
  if (sum > std::numeric_limits<int32_t>::max() || sum < std::numeric_limits<int32_t>::min()) {
    sum /= 2;
    --s;
  }
  return normalise(sum, s);
}

inline Num div(Num a, Num b) {
  if (b.m == 0) return a;
  int32_t s = a.s - b.s + 31;
  int64_t n = int64_t(a.m) * (int64_t(1) << 31);
  const int64_t am = a.m < 0 ? -int64_t(a.m) : a.m, bm = b.m < 0 ? -int64_t(b.m) : b.m;
  if (am >= bm) {
    --s;
    n = int64_t(a.m) * (int64_t(1) << 30);
  }
  return normalise(n / b.m, s);
}

inline int32_t intPart(Num x) {
  if (x.s >= 32) return x.m < 0 ? -1 : 0;
  if (x.s < -31) return x.m < 0 ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
  int64_t m = x.m;
  if (x.s <= 0) {
    for (int i = 0; i < -x.s; ++i) m *= 2;
    if (m > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (m < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  } else {
    for (int i = 0; i < x.s; ++i) m /= 2;
  }
  return int32_t(m);
}

// -1, 0 or 1: by sign, then scale (a smaller scale is larger), then mantissa.
inline int compare(Num a, Num b) {
  const int sa = (a.m > 0) - (a.m < 0), sb = (b.m > 0) - (b.m < 0);
  if (sa != sb) return sa < sb ? -1 : 1;
  if (sa == 0) return 0;
  if (a.s != b.s) {
    const int r = a.s < b.s ? 1 : -1;
    return sa > 0 ? r : -r;
  }
  return a.m < b.m ? -1 : a.m > b.m ? 1 : 0;
}

constexpr Num kE9{2000000000, 1};
constexpr Num kEm9{1152921504, 60};
constexpr Num kHalf{int32_t(1) << 30, 31};
constexpr int32_t kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000,
                              1000000000};
inline Num pow10(int k) { return normalise(kPow10[k], 0); }

// (value, decimal places) to (mantissa, scale).
inline Num decToBin(int32_t v, int32_t p) {
  if (v == 0) return {v, p};
  Num x = normalise(v, 0);
  if (p >= 1 && p <= 9) return div(x, pow10(p));
  if (p > 9 || p < 0) {
    if (p < -9) {
      const int k1 = (-10 - p) / 9 + 1;
      for (int i = 0; i < k1; ++i) x = mul(x, kE9);
      p += 9 * k1;
    } else if (p >= 0) {
      const int k2 = (p + 9) / 9;
      for (int i = 0; i < k2; ++i) x = mul(x, kEm9);
      p -= 9 * k2;
    }
    x = mul(x, pow10(-p));
  }
  return x;
}

// (mantissa, scale) to (value, decimal places) with nine significant digits.
inline Num binToDec(int32_t m, int32_t s) {
  if (m == 0) return {m, s};
  Num x = normalise(m, s);
  const bool neg = x.m < 0;
  if (neg) x = x.m == std::numeric_limits<int32_t>::min() ? Num{int32_t(1) << 30, x.s - 1} : Num{-x.m, x.s};
  const int32_t s0 = x.s;
  int32_t d = 0;
  int k = 0;
  if (s0 >= 31) {
    while (x.s > 30) { x = mul(x, kE9); d += 9; ++k; }
  }
  while (compare(x, kE9) >= 0) { x = mul(x, kEm9); d -= 9; }
  const int32_t q = intPart(x);
  int j = 1;
  while (j < 10 && q >= kPow10[j]) ++j;
  if (s0 > 30) {
    for (int i = 0; i < k; ++i) x = add(x, kHalf);
    x = normalise(intPart(x), 0);
  }
  int32_t e = d + 9 - j;
  x = mul(x, pow10(9 - j));
  if (s0 < 31) x = add(x, kHalf);
  int32_t r = intPart(x);
  if (r == kPow10[9]) { r = kPow10[8]; --e; }
  return {neg ? -r : r, e};
}

}  // namespace oz::scaled
