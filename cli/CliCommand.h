#pragma once

#include <string>
#include <vector>

namespace vantrel::cli {

// One sub-command of vantrel-cli. `run` receives the arguments after the
// command's name and returns the process exit code.
struct CliCommand {
  const char* name;
  const char* usage;  // one line, shown by --help
  int (*run)(const std::vector<std::string>& args);
};

// Adds a command to the table; called from static initialisers of the
// command files (they are linked into the executable directly).
int RegisterCliCommand(const CliCommand& command);
const std::vector<CliCommand>& CliCommands();

}  // namespace vantrel::cli

#define VANTREL_CLI_COMMAND(ident, name, usage, fn) \
  static const int ident##_registered = ::vantrel::cli::RegisterCliCommand({name, usage, fn})
