// Vellacor: the desktop program.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <clocale>

#include "app/site_model.h"
#include "shell/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellacor"));
    QApplication::setOrganizationName(QStringLiteral("Vellacor"));
    // Qt takes the number format from the environment; files and the core never do.
    std::setlocale(LC_NUMERIC, "C");

    vellacor::SiteModel model;
    model.renderer.programFolder = QApplication::applicationDirPath().toStdString();
    vellacor::MainWindow window(model);
    window.show();

    // Open once the window is up, so it shows the start picture behind any question.
    QTimer::singleShot(0, &window, [&window] {
        const QStringList args = QApplication::arguments();
        if (args.size() > 1 && args[1] == QStringLiteral("--demo")) {
            window.openPath(QStringLiteral("demo.exe"));  // any ".exe" opens the demonstration surface
        } else if (args.size() > 1) {
            window.openPath(args[1]);
        } else {
            const QString sample =
                QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("samples/sample-site.txt"));
            if (QFileInfo::exists(sample)) window.openPath(sample, QStringLiteral("PNEZD"));
        }
    });
    return QApplication::exec();
}
