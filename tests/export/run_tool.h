#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace vellacor::testing {

struct ToolRun {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

// Runs a shell command line and collects what it prints.
inline ToolRun runTool(const std::string& command) {
    ToolRun run;
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, n);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

#ifdef VELLACOR_CLI
// What the command-line program prints for `arguments`; a run that does not
// succeed fails the test.
inline std::string cliOutput(const std::string& arguments) {
    const ToolRun run = runTool(std::string(VELLACOR_CLI) + " " + arguments);
    EXPECT_EQ(run.exitCode, 0) << arguments << "\n" << run.output;
    return run.output;
}
#endif

// The line of a tool's output that starts with `key`, or "".
inline std::string lineOf(const std::string& output, const std::string& key) {
    const std::size_t at = ("\n" + output).find("\n" + key);
    if (at == std::string::npos) return {};
    return output.substr(at, output.find('\n', at) - at);
}

// Debian's own interpreter, which python3-ezdxf installs into, whatever python3 is first on PATH.
inline const std::string kPython = "/usr/bin/python3";
inline const std::string kXmllint = "/usr/bin/xmllint";

inline bool ezdxfAvailable() { return runTool(kPython + " -c 'import ezdxf'").exitCode == 0; }
inline bool xmllintAvailable() { return runTool("test -x " + kXmllint).exitCode == 0; }

// ezdxf reads and audits the drawing and counts its entities, e.g. "INSERT=3 LINE=1".
inline ToolRun checkDxf(const std::string& path, const std::string& counts) {
    return runTool(kPython + " " VELLACOR_EXPORT_TESTS "/check_dxf.py '" + path + "' " + counts);
}

inline ToolRun checkXml(const std::string& path) { return runTool(kXmllint + " --noout '" + path + "'"); }

}  // namespace vellacor::testing
