// A reader for private-profile ("ini") files: "[section]" lines and
// "key=value" lines. One portable reader serves every platform, so a site
// file reads the same wherever the library runs.
//
// Lookup follows the classic profile-string rules: section and key names
// compare without regard to case; blanks around names and values are
// dropped; a value in matching single or double quotes loses them; lines
// starting with ';' are comments; the first matching key wins. A missing
// file, section or key gives the default with its trailing blanks removed.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace oz {

class Profile {
 public:
  // Reads the file; false (and an empty profile) when it cannot be opened.
  bool load(const std::string& path);
  // Parses text already in memory.
  void parse(const std::string& text);

  // Copies the value, or the default (null: empty), into out: at most
  // size - 1 characters and a terminating zero. Returns the characters
  // copied; with size 0 nothing is written.
  size_t get(const char* section, const char* key, const char* dflt, char* out,
             size_t size) const;

 private:
  struct Entry {
    std::string section, key, value;
  };
  std::vector<Entry> entries_;
};

// A whole file is read at most up to this size; anything beyond is ignored.
constexpr size_t kProfileMaxBytes = 1u << 20;

}  // namespace oz
