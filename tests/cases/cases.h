// Every export with plausible arguments, as one table: the poisoned-request
// test, the hostile-controller sweep and the reply-decoder fuzz target walk
// it. A family adds tests/cases/<family>.cpp:
//
//   OZ_EXPORT_CASES(state) = {
//     {"cnc_actf", [](uint16_t h, Arena& a) { return cnc_actf(h, a.get<actf_t>()); }},
//     {"cnc_rdparam", [](uint16_t h, Arena& a) {
//        return cnc_rdparam(h, 1020, -1, 8, a.get<param_t>(8));
//      }},
//   };
//
// Caller buffers come from the Arena: each sits between guard bytes and is
// filled with the arena's pattern, so a write outside it, or a byte left
// as the caller had it where the library should have written, shows.
// Exports defined by listed rows need no case: the walkers take them from the
// rows themselves.
#pragma once
#include <cstddef>
#include <cstdint>
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
  // True when no guard byte changed.
  bool intact() const;
  uint8_t fill() const { return fill_; }

 private:
  struct Block {
    std::unique_ptr<uint8_t[]> p;
    size_t n;
  };
  uint8_t fill_, guard_;
  std::vector<Block> blocks_;
};

struct ExportCase {
  const char* name;
  int16_t (*run)(uint16_t h, Arena& a);
};

std::vector<ExportCase>& export_cases();

struct ExportCases {
  ExportCases(std::initializer_list<ExportCase> cases);
};

}  // namespace oz::test

#define OZ_EXPORT_CASES(family) static const ::oz::test::ExportCases oz_export_cases_##family
