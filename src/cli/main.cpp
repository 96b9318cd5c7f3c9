// vellacor-cli: the program's core without a window.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/cli_commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::fputs(vellacor::cliUsage(), args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    if (args[0] == "--version") {
        std::puts("vellacor-cli " VELLACOR_VERSION);
        return 0;
    }
    return vellacor::runCli(args);
}
