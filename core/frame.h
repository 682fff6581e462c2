// The frame every exported request follows, written once:
//
//   short cnc_actf(uint16_t h, actf_t* a) {
//     return call(h, __func__, args(a), [&](Call& c) {
//       a->data = c.exchange(cnc(36)).i32(0);
//     });
//   }
//
// call() validates the handle, takes the broken-circuit short cut, runs the
// body and turns an ErrObj into the error line, the recorded error and the
// result code. It is the only place in api/ that catches. Anything else a body
// lets out (an allocation that failed, say) becomes EW_INTERNAL the same way:
// no exception ever leaves an extern "C" function.
#pragma once
#include <cstdint>
#include <cstring>
#include <tuple>
#include <type_traits>

#include "base/errors.h"
#include "core/handle.h"
#include "base/log.h"
#include "core/exchange.h"
#include "transport/wire.h"

namespace oz {

// ---- reply reading -----------------------------------------------------------

// A bounded big-endian view of reply data. Reading past its end raises
// EW_SIZE: a reply shorter than its decoding needs is the controller's fault
// and must never become a read past the received bytes.
class Reader {
 public:
  Reader(const uint8_t* p, uint16_t n) : p_(p), n_(n) {}
  uint16_t size() const { return n_; }
  uint8_t u8(int off) const { return at(off, 1)[0]; }
  uint16_t u16(int off) const { return be::get16(at(off, 2)); }
  int16_t i16(int off) const { return int16_t(u16(off)); }
  uint32_t u32(int off) const { return be::get32(at(off, 4)); }
  int32_t i32(int off) const { return int32_t(u32(off)); }
  // Copies min(n, what the reply holds from off) bytes; returns the count.
  size_t copy(void* dst, int off, size_t n) const {
    if (off < 0 || off >= n_) return 0;
    size_t avail = size_t(n_ - off);
    size_t take = n < avail ? n : avail;
    std::memcpy(dst, p_ + off, take);
    return take;
  }
  Reader sub(int off, int len) const { return Reader(at(off, len), uint16_t(len)); }
  const uint8_t* raw() const { return p_; }

 private:
  const uint8_t* at(int off, int len) const {
    if (off < 0 || len < 0 || off + len > n_) raise_error(EW_SIZE);
    return p_ + off;
  }
  const uint8_t* p_;
  uint16_t n_;
};

// Writes a host-order value at a byte offset of a caller structure whose
// length the caller gave (variable-length records past a declared array).
template <class T>
inline void store(void* base, size_t off, T v) {
  std::memcpy(static_cast<uint8_t*>(base) + off, &v, sizeof v);
}

// ---- request building -----------------------------------------------------------

struct Rb {
  uint16_t cls;
  uint16_t cmd;
  uint32_t a[4] = {0, 0, 0, 0};
  uint16_t a5 = 0;
  int32_t path = -1;            // -1: the handle's current path or PMC unit
  const void* data = nullptr;
  uint16_t len = 0;

  Rb& arg1(int64_t v) { a[0] = uint32_t(v); return *this; }
  Rb& arg2(int64_t v) { a[1] = uint32_t(v); return *this; }
  Rb& arg3(int64_t v) { a[2] = uint32_t(v); return *this; }
  Rb& arg4(int64_t v) { a[3] = uint32_t(v); return *this; }
  Rb& arg5(int64_t v) { a5 = uint16_t(v); return *this; }
  Rb& args(int64_t v1, int64_t v2 = 0, int64_t v3 = 0, int64_t v4 = 0) {
    return arg1(v1).arg2(v2).arg3(v3).arg4(v4);
  }
  Rb& onPath(uint16_t p) { path = p; return *this; }
  // Data already in wire order, copied into the PDU when the RB is added.
  Rb& with(const void* p, uint16_t n) { data = p; len = n; return *this; }
};

inline Rb cnc(uint16_t cmd) { return Rb{kClassCnc, cmd}; }
inline Rb pmc(uint16_t cmd) { return Rb{kClassPmc, cmd}; }

class Call;

// Appends big-endian data to the RB just added.
class RbData {
 public:
  RbData(Call& c, uint8_t* rb) : c_(c), rb_(rb) {}
  RbData& u8(uint8_t v);
  RbData& u16(uint16_t v);
  RbData& u32(uint32_t v);
  RbData& i16(int16_t v) { return u16(uint16_t(v)); }
  RbData& i32(int32_t v) { return u32(uint32_t(v)); }
  RbData& bytes(const void* p, size_t n);
  RbData& zeros(size_t n);

 private:
  uint8_t* room(size_t n);
  Call& c_;
  uint8_t* rb_;
};

class Call {
 public:
  explicit Call(Handle& h) : h(h) { initPDU(pdu); }

  // Adds one RB to the request being built.
  RbData add(const Rb& r);
  // Sends what was added and waits for the reply.
  void exchange(uint8_t type = kRequest) { exchangePDU(h, pdu, type); }
  // One RB, one PDU: the reply data of RB 0, its result already tested.
  Reader exchange(const Rb& r, uint8_t type = kRequest) {
    add(r);
    exchange(type);
    return rb(0);
  }
  // Reply RB n; a non-zero result word is raised as the call's error.
  Reader rb(int n) const { return dataOf(getReplyRB(pdu, n)); }
  // Reply RB n whatever its result word (the caller tested getRBResult).
  Reader rbAny(int n) const { return dataOf(findRB(pdu, n)); }
  int16_t result(int n) const { return getRBResult(pdu, n); }
  // Starts a new request in the same buffer (range calls, several exchanges).
  void reset() { initPDU(pdu); }

  Handle& h;
  PDU pdu;

 private:
  friend class RbData;
  static Reader dataOf(const uint8_t* rb) { return Reader(rb + kRbReplyHeader, rbDataLength(rb)); }
};

// ---- arguments of the error line ------------------------------------------------

// A pointer to a count the call reads: the line shows the count.
template <class T>
struct CountArg { const T* p; };
template <class T>
CountArg<T> count(const T* p) { return {p}; }
// A text argument shown as text.
struct TextArg { const char* p; };
inline TextArg text(const char* p) { return {p}; }

inline void put_arg(std::ostream& os, TextArg t) { os << (t.p ? t.p : "(null)"); }
template <class T>
void put_arg(std::ostream& os, CountArg<T> c) {
  if (c.p) os << +*c.p; else os << static_cast<const void*>(c.p);
}
template <class T>
void put_arg(std::ostream& os, const T& v) {
  if constexpr (std::is_pointer_v<T>) os << static_cast<const void*>(v);
  else if constexpr (std::is_enum_v<T>) os << +std::underlying_type_t<T>(v);
  else os << +v;   // promotes 8-bit values so they print as numbers
}

template <class... A>
struct ArgList {
  std::tuple<A...> v;
  void print(std::ostream& os) const {
    std::apply([&](const auto&... a) {
      bool first = true;
      ((first ? void(first = false) : void(os << ' '), put_arg(os, a)), ...);
    }, v);
  }
};
template <class... A>
ArgList<A...> args(A... a) { return {{a...}}; }

// Never throws: a line that cannot be built (memory exhausted) is dropped.
void log_call_error(const Handle& h, const char* fn, const ErrObj& e,
                    void (*print)(std::ostream&, const void*), const void* argv) noexcept;

// ---- the frame --------------------------------------------------------------------

// The frame's entry: the handle test and the broken-circuit short cut.
// Returns the record, or null with *code set to what the call returns.
inline Handle* enter_frame(uint16_t hn, int16_t* code) {
  Handle* h = find_valid_handle(hn);
  if (h == nullptr) {
    *code = EW_BADHANDLE;
    return nullptr;
  }
  if (h->has(kBroken)) {
    record_error(*h, EW_CIRCUIT, circuit_detail::kBroken, 0, kClassCnc);
    *code = EW_CIRCUIT;
    return nullptr;
  }
  return h;
}

// The error line with the call's arguments, formatted only here.
template <class A>
void log_error_line(const Handle& h, const char* fn, const ErrObj& e, const A& a) noexcept {
  log_call_error(h, fn, e, [](std::ostream& os, const void* p) {
    static_cast<const A*>(p)->print(os);
  }, &a);
}

// The end of every failed call: the error line, the record, the code.
template <class A>
int16_t fail_call(Handle& h, const char* fn, const ErrObj& e, const A& a) noexcept {
  if (log_on(1)) log_error_line(h, fn, e, a);
  record_error(h, e);
  return e.code;
}

template <class A, class F>
int16_t call(uint16_t hn, const char* fn, const A& a, F&& body) {
  int16_t early = 0;
  Handle* hp = enter_frame(hn, &early);
  if (hp == nullptr) return early;
  Handle& h = *hp;
  try {
    Call c(h);
    if constexpr (std::is_void_v<std::invoke_result_t<F, Call&>>) {
      body(c);
      return EW_SUCCESS;
    } else {
      return int16_t(body(c));
    }
  } catch (const ErrObj& e) {
    return fail_call(h, fn, e, a);
  } catch (...) {
    return fail_call(h, fn, current_error(), a);
  }
}

// Frame for calls that send nothing but need a valid handle (settings,
// stores). Only what the body lets out unforeseen is logged, under fn.
template <class F>
int16_t local(uint16_t hn, const char* fn, F&& body) {
  Handle* hp = find_valid_handle(hn);
  if (hp == nullptr) return EW_BADHANDLE;
  Handle& h = *hp;
  try {
    if constexpr (std::is_void_v<std::invoke_result_t<F, Handle&>>) {
      body(h);
      return EW_SUCCESS;
    } else {
      return int16_t(body(h));
    }
  } catch (...) {
    return fail_call(h, fn, current_error(), args());
  }
}
template <class F>
int16_t local(uint16_t hn, F&& body) {
  return local(hn, "local", std::forward<F>(body));
}

}  // namespace oz

#define OZ_EXPORT extern "C" OZ_API
