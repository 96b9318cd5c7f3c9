#pragma once
#include <QString>
#include <QStringList>
#include <string>

namespace vellacor {

enum class ProgramAction { Run, Help, Version, UsageError };

struct ProgramArgs {
    ProgramAction action = ProgramAction::Run;
    bool demo = false;
    QString file;  // empty: the sample site
};

// Reads the program's command line (`args` without the program's name). While
// `qtOptionsTaken` is false Qt has not yet removed its own one-dash options
// (-style, -platform ...), so only --help, --version and unknown two-dash
// options are decided; afterwards any other dash word, or a second file, is a
// usage error. "--" ends the options.
ProgramArgs parseProgramArgs(const QStringList& args, bool qtOptionsTaken);

const char* programUsage();
// What --help prints: the usage and the list of the window's keys.
std::string programHelp();

}  // namespace vellacor
