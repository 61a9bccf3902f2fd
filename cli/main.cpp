#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "platform/Version.h"

namespace vantrel::cli {

static std::vector<CliCommand>& Table() {
  static std::vector<CliCommand> table;
  return table;
}

int RegisterCliCommand(const CliCommand& command) {
  Table().push_back(command);
  return static_cast<int>(Table().size());
}

const std::vector<CliCommand>& CliCommands() { return Table(); }

}  // namespace vantrel::cli

namespace {

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: vantrel-cli --version | COMMAND [ARGS...]\n\ncommands:\n");
  auto commands = vantrel::cli::CliCommands();
  std::sort(commands.begin(), commands.end(),
            [](const auto& a, const auto& b) { return std::strcmp(a.name, b.name) < 0; });
  for (const auto& c : commands) std::fprintf(out, "  %s\n", c.usage);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return 2;
  }
  const std::string first = argv[1];
  if (first == "--version" || first == "-V") {
    std::printf("%s %s\n", vantrel::kProductName, vantrel::kProductVersion);
    return 0;
  }
  if (first == "--help" || first == "-h") {
    PrintUsage(stdout);
    return 0;
  }
  for (const auto& c : vantrel::cli::CliCommands()) {
    if (first == c.name) return c.run(std::vector<std::string>(argv + 2, argv + argc));
  }
  std::fprintf(stderr, "vantrel-cli: unknown command '%s'\n", first.c_str());
  PrintUsage(stderr);
  return 2;
}
