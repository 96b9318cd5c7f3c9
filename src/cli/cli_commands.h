#pragma once
#include <string>
#include <vector>

namespace vellacor {

const char* cliUsage();
// Runs one subcommand; the result is the process exit code.
int runCli(const std::vector<std::string>& args);

}  // namespace vellacor
