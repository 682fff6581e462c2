// The simulated program store as the machine's other families see it: the
// folder tree shows the numbered programs in one of its folders, and the data
// server keeps what is downloaded to it through the store's download session.
// Call these with the machine's lock held (handlers hold it).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/machine.h"

namespace oz::sim {

struct StoredProgram {
  int32_t number;
  std::string comment;
  std::string text;
};

std::vector<StoredProgram> stored_programs(Machine& m);
// Files text under number, replacing a program there; the comment comes from
// the text as a download's would.
void store_program(Machine& m, int32_t number, const std::string& text);
bool erase_program(Machine& m, int32_t number);

// Where a download session of one data kind ends up instead of the store: the
// sink gets the start's first text and the data, and its result code answers
// the download end (0: kept). Takes the lock itself.
using DownloadSink =
    std::function<int16_t(Machine&, const std::string& text, const std::string& data)>;
void on_download(Machine& m, uint16_t kind, DownloadSink sink);

}  // namespace oz::sim
