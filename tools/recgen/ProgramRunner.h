#pragma once

#include <string>
#include <vector>

namespace recgen {

// Runs argv[0] (looked up in PATH) with the arguments as given, no shell.
// Returns 1 when it exits with 0; otherwise 0 and the end of its error
// output in *error.
int RunProgram(const std::vector<std::string>& argv, std::string* error);

}  // namespace recgen
