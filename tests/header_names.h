// The functions the public header declares, read from its text, for the tests
// that hold the library to the header: what it exports and what is walked.
#pragma once
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace oz::test {

inline std::vector<std::string> declared_exports(const char* header) {
  std::ifstream in(header);
  std::stringstream all;
  all << in.rdbuf();
  const std::string text = all.str();
  std::vector<std::string> names;
  const std::regex decl(R"(OZ_API\s+[\w\s\*]+?OZ_CALL\s+(\w+)\s*\()");
  for (std::sregex_iterator it(text.begin(), text.end(), decl), end; it != end; ++it)
    names.push_back((*it)[1]);
  return names;
}

}  // namespace oz::test
