// The pieces of ozcli's framework that main() puts together; families do not
// need them.
#pragma once
#include <functional>
#include <string>

#include "command.h"

namespace ozcli {

// Prints an error: "ozcli: message" on standard error, or with --json one
// JSON object on one line there.
void report(const std::string& message, int exit_code, bool json_out, const CallError* call);
// Runs body and turns what it throws into its report and exit code.
int run_reporting(bool json_out, const std::function<void()>& body);
// The command's result in the form the options ask for.
void print(const Output& out, const Options& opt);

// A parse error of CLI11 as a one-line message naming what was wrong, and
// its exit code (0 for --help and --version, which print their text).
int usage_exit(CLI::App& app, const CLI::ParseError& e, bool json_out);

// `ozcli watch`: its sub-command, and the loop that runs it.
CLI::App* install_watch(Cli& cli);
int run_watch(const Cli& cli, Session& s);

// Runs this ozcli again with the library's log level set through the setting
// the library reads at load; returns the exit code of that run, or -1 when
// this process already runs with that level.
int relaunch_with_log_level(int argc, char** argv, int level);

}  // namespace ozcli
