#include "shell/program_args.h"

#include "app/command_table.h"

namespace vellacor {

ProgramArgs parseProgramArgs(const QStringList& args, bool qtOptionsTaken) {
    ProgramArgs parsed;
    bool optionsEnded = false;
    int files = 0;
    for (const QString& arg : args) {
        const bool option = !optionsEnded && arg.startsWith(QLatin1Char('-')) && arg != QStringLiteral("-");
        if (!option) {
            if (++files == 1) parsed.file = arg;
        } else if (arg == QStringLiteral("--")) {
            optionsEnded = true;
        } else if (arg == QStringLiteral("--help") || arg == QStringLiteral("-h")) {
            return {ProgramAction::Help, false, QString()};
        } else if (arg == QStringLiteral("--version")) {
            return {ProgramAction::Version, false, QString()};
        } else if (arg == QStringLiteral("--demo")) {
            parsed.demo = true;
        } else if (qtOptionsTaken || arg.startsWith(QStringLiteral("--"))) {
            parsed.action = ProgramAction::UsageError;
        }
    }
    if (qtOptionsTaken && (files > 1 || (parsed.demo && files > 0))) parsed.action = ProgramAction::UsageError;
    return parsed;
}

const char* programUsage() {
    return "usage: vellacor [FILE]\n"
           "       vellacor --demo\n"
           "       vellacor --help | --version\n"
           "  opens FILE in the window: survey points (PNEZD, PENZD or XYZ text), LandXML, DXF, an SRTM .hgt\n"
           "  tile, USGS profile text (.usgs_xyz), a raw triangle list (.raw) or an elevation raster; with no\n"
           "  FILE the bundled sample site. --demo shows the animated demonstration surface. Qt's own options\n"
           "  (-style, -platform ...) are taken as well.\n";
}

std::string programHelp() { return std::string(programUsage()) + "\n" + keyHelpText(); }

}  // namespace vellacor
