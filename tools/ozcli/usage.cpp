// Turning CLI11's parse errors into one line that says what was wrong and
// where: the unknown command is named, and a command that needs an action
// lists the actions it has.
#include <iostream>

#include "frame.h"

namespace ozcli {

namespace {

// The deepest sub-command the parser had entered.
CLI::App* deepest(CLI::App* app) {
  for (CLI::App* sub : app->get_subcommands([](CLI::App* a) { return a->parsed(); }))
    return deepest(sub);
  return app;
}

std::string command_path(CLI::App* app) {
  std::string path;
  for (CLI::App* a = app; a && a->get_parent(); a = a->get_parent())
    path = a->get_name() + (path.empty() ? "" : " " + path);
  return path;
}

std::string actions(CLI::App* app) {
  std::string s;
  for (CLI::App* sub : app->get_subcommands({})) s += (s.empty() ? "" : ", ") + sub->get_name();
  return s;
}

// The first word CLI11 did not expect, from its message, which lists them
// last first.
std::string first_extra(const std::string& what) {
  const size_t colon = what.find(": ");
  if (colon == std::string::npos) return {};
  const std::string rest = what.substr(colon + 2);
  const size_t blank = rest.rfind(' ');
  return blank == std::string::npos ? rest : rest.substr(blank + 1);
}

std::string message_for(CLI::App& app, const CLI::ParseError& e) {
  CLI::App* at = deepest(&app);
  const std::string where = command_path(at);
  const std::string what = e.what();
  const bool has_actions = !at->get_subcommands({}).empty();
  // The first word nobody took: CLI11 names it in an extras error, and keeps
  // it among the remaining words when it stopped at a missing sub-command.
  const bool extras = dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr;
  const bool required = dynamic_cast<const CLI::RequiredError*>(&e) != nullptr;
  std::string word = extras ? first_extra(what) : std::string();
  if (word.empty()) {
    const auto rest = app.remaining(true);
    if (!rest.empty()) word = rest.front();
  }
  const bool option = word.rfind("-", 0) == 0;
  if (!word.empty() && (extras || required)) {
    if (option) return (where.empty() ? "" : where + ": ") + "unknown option '" + word + "'";
    if (at == &app) return "unknown command '" + word + "'";
    if (has_actions) return where + ": unknown action '" + word + "' (" + where + " has: " + actions(at) + ")";
    return where + ": unexpected argument '" + word + "'";
  }
  if (required && what.find("subcommand") != std::string::npos) {
    if (at == &app) return "give a command";
    return where + ": give an action: " + actions(at);
  }
  // Messages about an option name it already, and a global option may
  // follow any command.
  if (what.rfind("-", 0) == 0 || where.empty()) return what;
  return where + ": " + what;
}

}  // namespace

int usage_exit(CLI::App& app, const CLI::ParseError& e, bool json_out) {
  if (e.get_exit_code() == 0) return app.exit(e);   // --help, --version
  CLI::App* at = deepest(&app);
  const std::string help = at == &app ? "ozcli --help" : "ozcli " + command_path(at) + " --help";
  report(message_for(app, e) + " (see " + help + ")", 2, json_out, nullptr);
  return 2;
}

}  // namespace ozcli
