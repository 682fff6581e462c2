// Every export with plausible arguments, as one table: the poisoned-request
// test, the hostile-controller sweep and the reply-decoder fuzz target walk
// it. A family adds tests/cases/<subsystem>_<family>.cpp:
//
//   OZ_EXPORT_CASES(state_status) = {
//     OZ_CASE(cnc_actf, h, a.get<actf_t>()),
//     OZ_CASE(cnc_rdparam, h, 1020, -1, 8, a.get<param_t>()),
//   };
//
// OZ_CASE names the export once and calls it with the arguments given, where
// h is the walker's handle and a the case's Arena. Cases run in the order
// written against one simulated controller, so a family lists a session's
// start before its data and end calls.
//
// Caller buffers come from the Arena: each sits between guard bytes and is
// filled with the arena's pattern, so a write outside it, or a byte left
// as the caller had it where the library should have written, shows.
// Exports defined by listed rows need no case: the walkers take them from the
// rows themselves.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

#include "ozlib.h"

namespace oz::test {

class Arena {
 public:
  static constexpr size_t kGuard = 32;
  explicit Arena(uint8_t fill = 0xEE, uint8_t guard = 0xA5) : fill_(fill), guard_(guard) {}

  // n bytes for the library to fill, guarded on both sides.
  void* bytes(size_t n);
  // A caller structure, or n bytes where the call takes a length.
  template <class T>
  T* get(size_t n = sizeof(T)) { return static_cast<T*>(bytes(n)); }
  // An in/out count or length, set to v.
  template <class T>
  T* count(T v) {
    T* p = get<T>();
    *p = v;
    return p;
  }
  // A caller structure the call reads, set to v.
  template <class T>
  T* in(const T& v) {
    T* p = get<T>();
    std::memcpy(static_cast<void*>(p), &v, sizeof v);
    return p;
  }
  // A text the call reads, terminated.
  const char* text(const char* s);
  // The buffer a row test checks, and the in/out count it checks.
  template <class T>
  T* out(size_t n = sizeof(T)) {
    T* p = get<T>(n);
    out_ = int(blocks_.size()) - 1;
    return p;
  }
  // n of them.
  template <class T>
  T* outs(size_t n) { return out<T>(n * sizeof(T)); }
  template <class T>
  T* inout(T v) {
    T* p = count(v);
    count_ = int(blocks_.size()) - 1;
    return p;
  }
  int outBlock() const { return out_; }
  int countBlock() const { return count_; }
  // True when no guard byte changed.
  bool intact() const;
  uint8_t fill() const { return fill_; }
  // Block i as handed out, and its size.
  const uint8_t* block(size_t i) const { return blocks_.at(i).p.get() + kGuard; }
  size_t size(size_t i) const { return blocks_.at(i).n; }
  size_t blocks() const { return blocks_.size(); }

 private:
  struct Block {
    std::unique_ptr<uint8_t[]> p;
    size_t n;
  };
  uint8_t fill_, guard_;
  std::vector<Block> blocks_;
  int out_ = -1, count_ = -1;
};

using CaseFn = int16_t (*)(uint16_t h, Arena& a);

struct ExportCase {
  const char* name;
  CaseFn run;
};

std::vector<ExportCase>& export_cases();

struct ExportCases {
  ExportCases(std::initializer_list<ExportCase> cases);
};

// The TCP port of the controller a handle talks to (for cases that allocate
// handles of their own).
uint16_t port_of(uint16_t h);

}  // namespace oz::test

#define OZ_EXPORT_CASES(family) static const ::oz::test::ExportCases oz_export_cases_##family
// One call of an export: the name as written, then its arguments.
#define OZ_CASE(fn, ...) \
  {#fn, []([[maybe_unused]] uint16_t h, [[maybe_unused]] ::oz::test::Arena& a) -> int16_t { return fn(__VA_ARGS__); }}
