// The profile-file reader on arbitrary text: lookups with keys taken from
// the text itself and with every size of output buffer stay inside it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > oz::kProfileMaxBytes) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  oz::Profile p;
  p.parse(text);
  // A section and a key out of the input's first line, and the usual ones.
  const std::string first = text.substr(0, text.find('\n'));
  const std::string section = first.substr(0, first.size() / 2);
  const std::string key = first.substr(first.size() / 2);
  const char* lookups[][2] = {{"OTHERS", "1"}, {section.c_str(), key.c_str()}, {"", ""}};
  for (const auto& l : lookups) {
    for (size_t n : {size_t(0), size_t(1), size_t(7), size_t(256)}) {
      char out[258];
      std::memset(out, 0x5A, sizeof out);
      const size_t got = p.get(l[0], l[1], "dflt", out + 1, n);
      if (out[0] != 0x5A || out[n + 1] != 0x5A) std::abort();
      if (n > 0 && (got >= n || out[1 + got] != '\0')) std::abort();
    }
  }
  return 0;
}
