// How output cells carry exact decimals between the commands and the
// renderers. A decimal is kept as its text ("1.500") inside a marker object,
// so text and CSV show the places the controller gave, and JSON turns the
// same text into a number when the document is written.
#pragma once
#include <string>

#include "command.h"

namespace ozcli::detail {

json exact_number(const std::string& text);
// A cell as text output shows it: strings bare, decimals with their places,
// arrays joined by blanks, null as "-".
std::string shown(const json& v);
// The document as it is written: decimals as JSON numbers, keys snake_case.
json plain(const json& v);
// "Main Program" and "max axes" become "main_program" and "max_axes".
std::string snake(const std::string& name);
// "main_program" as a text heading: "main program".
std::string spoken(const std::string& name);

}  // namespace ozcli::detail
