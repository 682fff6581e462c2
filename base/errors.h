// ErrObj: how a failure travels from where it is found to the exported
// function, which logs it, records it in the handle and returns its code.
#pragma once
#include <cstdint>
#include <ostream>

#include "base/protocol.h"
#include "ozlib.h"

namespace oz {

class ErrObj {
 public:
  ErrObj(int16_t code, uint16_t detail = 0, uint16_t sub = 0, uint16_t cls = kClassCnc)
      : code(code), detail(detail), sub(sub), cls(cls) {}
  virtual ~ErrObj() = default;
  ErrObj(const ErrObj&) = default;
  ErrObj& operator=(const ErrObj&) = default;

  int16_t code;
  uint16_t detail;
  uint16_t sub;
  uint16_t cls;
};

// Code, detail and sub-detail as signed 16-bit decimals separated by blanks.
std::ostream& operator<<(std::ostream&, const ErrObj&);

// Not "raise": the C library's raise(int) would win overload resolution
// wherever <csignal> is visible and an enumerator is passed.
[[noreturn]] inline void raise_error(int16_t code, uint16_t detail = 0, uint16_t sub = 0,
                               uint16_t cls = kClassCnc) {
  throw ErrObj(code, detail, sub, cls);
}

// Argument tests: each names its code so no export writes its own `if`.
inline void expect(bool ok, int16_t code) {
  if (!ok) raise_error(code);
}
template <class T, class L, class H>
inline void expect_range(T v, L lo, H hi, int16_t code = EW_RANGE) {
  if (v < T(lo) || v > T(hi)) raise_error(code);
}

// Detail words of EW_INTERNAL.
namespace internal_detail {
constexpr uint16_t kNoMemory = 1;     // an allocation failed
constexpr uint16_t kUnexpected = 2;   // any other exception
}  // namespace internal_detail

// Inside a catch (...) handler: the exception being handled as the error the
// call fails with. An ErrObj stays itself; anything else becomes EW_INTERNAL.
ErrObj current_error() noexcept;

// Name of a result code ("EW_SIZE"), or null for a controller-only code.
const char* result_name(int16_t code);

}  // namespace oz
