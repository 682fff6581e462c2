// `ozcli sample --channels 1,2 --seconds S [--rate R] [--csv FILE] [--png FILE]`:
// servo sampling for a while, a summary per channel, the samples as CSV and
// a plot of the waveforms. The plot is drawn by gnuplot from a generated
// script: the program is a Debian package away, and ozcli itself links
// nothing for it (the Windows build stays as it is).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "command.h"

using namespace ozcli;

namespace {

struct SampleArgs {
  std::vector<int> channels;
  double seconds = 1.0;
  int rate = 1;
  std::string csv, png;
};

struct Channel {
  int number;                     // 1..8 as the user names it
  std::vector<int16_t> values;
};

// Ends the sampling however the command leaves, so the controller is free
// for the next client.
struct SamplingRun {
  Session& s;
  bool active = false;
  ~SamplingRun() {
    if (active) cnc_sdcancelsmpl(s.handle());
  }
};

std::vector<Channel> run(Session& s, const SampleArgs& a) {
  std::vector<sdchnl_t> set;
  for (int c : a.channels) set.push_back({uint8_t(c - 1), 0, {0, 0}, 0, int16_t(a.rate), 0});
  OZCLI_CALL(s, cnc_sdsetchnl, int16_t(set.size()), set.data());
  int16_t rates[8];
  SamplingRun guard{s};
  OZCLI_CALL(s, cnc_sdstartsmpl, int16_t(0), int32_t(0), rates);
  guard.active = true;

  std::vector<std::vector<int16_t>> bufs(8, std::vector<int16_t>(OZ_SD_MAX_SAMPLES));
  uint32_t counts[8] = {};
  sdbuf_t sd[8];
  for (int i = 0; i < 8; ++i) sd[i] = {bufs[size_t(i)].data(), &counts[i]};
  std::vector<Channel> out;
  for (int c : a.channels) out.push_back({c, {}});
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(a.seconds);
  while (std::chrono::steady_clock::now() < until) {
    int16_t status = 0;
    OZCLI_CALL(s, cnc_sdreadsmpl, &status, int32_t(100), sd);
    if (status == -1) break;   // the controller ended the sampling
    size_t got = 0;
    for (Channel& ch : out) {
      const auto& b = bufs[size_t(ch.number - 1)];
      ch.values.insert(ch.values.end(), b.begin(), b.begin() + counts[ch.number - 1]);
      got += counts[ch.number - 1];
    }
    if (got == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  guard.active = false;
  s.check("cnc_sdendsmpl", cnc_sdendsmpl(s.handle()));
  return out;
}

// Samples per second of each channel: the controller's blocks come at its
// base rate, `rate` samples of a channel per block.
double seconds_of(size_t index, const SampleArgs& a, size_t samples) {
  return samples ? a.seconds * double(index) / double(samples) : 0.0;
}

void write_csv(const std::string& file, const std::vector<Channel>& chs, const SampleArgs& a) {
  std::ofstream f(file);
  if (!f) throw UsageError("cannot write " + file);
  f << "channel,index,seconds,value\n";
  for (const Channel& ch : chs)
    for (size_t i = 0; i < ch.values.size(); ++i)
      f << ch.number << ',' << i << ',' << seconds_of(i, a, ch.values.size()) << ',' << ch.values[i] << '\n';
}

// One data block per channel (gnuplot's "index"), then a script that draws
// them all into the PNG.
void write_png(const std::string& file, const std::vector<Channel>& chs, const SampleArgs& a) {
  const std::string data = file + ".dat", script = file + ".gp";
  {
    std::ofstream d(data);
    for (const Channel& ch : chs) {
      for (size_t i = 0; i < ch.values.size(); ++i) d << seconds_of(i, a, ch.values.size()) << ' ' << ch.values[i] << '\n';
      d << "\n\n";
    }
    std::ofstream g(script);
    g << "set terminal pngcairo size 1000,500\n"
      << "set output '" << file << "'\n"
      << "set xlabel 'seconds'\nset ylabel 'value'\nset grid\nset key outside right\n"
      << "plot";
    for (size_t i = 0; i < chs.size(); ++i)
      g << (i ? ", " : " ") << "'" << data << "' index " << i << " using 1:2 with lines title 'channel "
        << chs[i].number << "'";
    g << "\n";
    if (!d || !g) throw UsageError("cannot write " + data + " or " + script);
  }
  const int rc = std::system(("gnuplot \"" + script + "\"").c_str());
  std::remove(data.c_str());
  std::remove(script.c_str());
  if (rc != 0) throw std::runtime_error("gnuplot could not draw " + file + " (is the gnuplot package installed?)");
}

}  // namespace

OZCLI_FAMILY(sample) {
  auto a = std::make_shared<SampleArgs>();
  CLI::App* cmd = cli.command("sample", "Servo sampling of some channels for a while (cnc_sdstartsmpl, cnc_sdreadsmpl)",
                              [a](Session& s, Output& out) {
                                const std::vector<Channel> chs = run(s, *a);
                                Table& t = out.table("channels", {"channel", "samples", "min", "max"});
                                for (const Channel& ch : chs) {
                                  const auto [lo, hi] = std::minmax_element(ch.values.begin(), ch.values.end());
                                  t.row({ch.number, ch.values.size(), ch.values.empty() ? json() : json(*lo),
                                         ch.values.empty() ? json() : json(*hi)});
                                }
                                if (!a->csv.empty()) {
                                  write_csv(a->csv, chs, *a);
                                  out.field("csv", a->csv);
                                }
                                if (!a->png.empty()) {
                                  write_png(a->png, chs, *a);
                                  out.field("png", a->png);
                                }
                              });
  cmd->add_option("--channels", a->channels, "Channels 1..8, comma-separated")
      ->required()->delimiter(',')->check(CLI::Range(1, 8));
  cmd->add_option("--seconds", a->seconds, "How long to sample")->check(CLI::Range(0.01, 3600.0))->capture_default_str();
  cmd->add_option("--rate", a->rate, "Samples per block of every channel")->check(CLI::Range(1, 64))->capture_default_str();
  cmd->add_option("--csv", a->csv, "Write the samples to FILE (channel,index,seconds,value)");
  cmd->add_option("--png", a->png, "Plot the waveforms into FILE with gnuplot");
}
