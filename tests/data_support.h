// Helpers shared by the parameter, macro and offset tests.
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "tests/support.h"

namespace oz::test {

class DataTest : public FakeTest {
 protected:
  // Switches a handle to another request set, as a controller of that family would.
  void setDialect(uint16_t h, uint32_t flag) {
    rec(h).flags = (rec(h).flags & ~uint32_t(kDialectCurrent | kDialectCompact | kDialectPacked)) | flag;
  }
  void setPathWord(uint16_t h, int off, uint16_t v) { rec(h).config.setWord(42 + off, v); }
  void setMachineType(uint16_t h, const char* two) { std::memcpy(rec(h).sysinfo[0].bytes + 6, two, 2); }
  // The log line the frame writes for a failed call.
  std::string errLine(uint16_t h, const std::string& fn, const std::string& argsText,
                      const std::string& err) {
    return "Error: " + std::to_string(rec(h).sock2Number()) + ": " + fn + "(" +
           std::to_string(h) + " " + argsText + "): " + err;
  }
};

}  // namespace oz::test
