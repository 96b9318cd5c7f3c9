// Vellacor: the desktop program.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <clocale>
#include <cstdio>

#include "app/site_model.h"
#include "shell/main_window.h"
#include "shell/program_args.h"
#include "shell/program_folder.h"

namespace {

QStringList rawArguments(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    return args;
}

// The exit code for help, version and usage errors; -1 to go on and run.
int answerWithoutWindow(const vellacor::ProgramArgs& args) {
    switch (args.action) {
        case vellacor::ProgramAction::Help: std::fputs(vellacor::programHelp().c_str(), stdout); return 0;
        case vellacor::ProgramAction::Version: std::puts("vellacor " VELLACOR_VERSION); return 0;
        case vellacor::ProgramAction::UsageError: std::fputs(vellacor::programUsage(), stderr); return 2;
        case vellacor::ProgramAction::Run: return -1;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    // Help and version need no display: answer them before Qt looks for one.
    if (const int code = answerWithoutWindow(vellacor::parseProgramArgs(rawArguments(argc, argv), false)); code >= 0)
        return code;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellacor"));
    QApplication::setOrganizationName(QStringLiteral("Vellacor"));
    QApplication::setApplicationVersion(QStringLiteral(VELLACOR_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(VELLACOR_DESKTOP_ID));
    // Qt takes the number format from the environment; files and the core never do.
    std::setlocale(LC_NUMERIC, "C");
    const vellacor::ProgramArgs args = vellacor::parseProgramArgs(QApplication::arguments().mid(1), true);
    if (const int code = answerWithoutWindow(args); code >= 0) return code;

    vellacor::SiteModel model;
    const QString dataFolder =
        vellacor::programDataFolder(QApplication::applicationDirPath(), QStringLiteral(VELLACOR_DATA_FROM_PROGRAM));
    model.renderer.programFolder = dataFolder.toStdString();
    vellacor::MainWindow window(model);
    window.show();

    // Open once the window is up, so it shows the start picture behind any question.
    QTimer::singleShot(0, &window, [&window, args, dataFolder] {
        if (args.demo) {
            window.openPath(QStringLiteral("demo.exe"));  // any ".exe" opens the demonstration surface
        } else if (!args.file.isEmpty()) {
            window.openPath(args.file);
        } else {
            const QString sample = QDir(dataFolder).filePath(QStringLiteral("samples/sample-site.txt"));
            if (QFileInfo::exists(sample)) window.openPath(sample, QStringLiteral("PNEZD"));
        }
    });
    return QApplication::exec();
}
