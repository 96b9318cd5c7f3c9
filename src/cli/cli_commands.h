#pragma once
#include <string>
#include <vector>

namespace vellacor {

const char* cliUsage();
// Prints the usage text; the exit code of a command line that does not parse.
int usageError();
// Runs one subcommand; the result is the process exit code.
int runCli(const std::vector<std::string>& args);

}  // namespace vellacor
