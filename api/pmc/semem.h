// The memory windows that pmc_rdpmcsemem and pmc_wrpmcsemem may reach.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace oz::pmcio {

struct Window {
  uint32_t start, length;
};

constexpr size_t kMaxWindows = 32;

// Windows from the text of a window file: one "start,length" line each, both
// hexadecimal. Lines that do not read as such are skipped.
std::vector<Window> semem_parse(const std::string& text);
// The window file's table, or the built-in one when the file cannot be read.
std::vector<Window> semem_load(const std::string& path);
// Where the window file lives: "ozlib\semem.cfg" under the system folder.
std::string semem_path();

// The process-wide table, read when the library is loaded; reload() reads
// the file again (tests that change the folder).
const std::vector<Window>& semem_table();
void semem_reload();

}  // namespace oz::pmcio
