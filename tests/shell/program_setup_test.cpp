// The program's command line, where an installed program finds its data, and
// the window's place and last folder kept between runs.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/site_model.h"
#include "shell/main_window.h"
#include "shell/program_args.h"
#include "shell/program_folder.h"
#include "shell/window_settings.h"

namespace vellacor {
namespace {

ProgramAction actionOf(const QStringList& args, bool qtOptionsTaken) {
    return parseProgramArgs(args, qtOptionsTaken).action;
}

TEST(ProgramArgs, HelpVersionFilesAndUsageErrors) {
    for (const bool qtTaken : {false, true}) {
        EXPECT_EQ(actionOf({}, qtTaken), ProgramAction::Run);
        EXPECT_EQ(actionOf({QStringLiteral("--help")}, qtTaken), ProgramAction::Help);
        EXPECT_EQ(actionOf({QStringLiteral("site.txt"), QStringLiteral("-h")}, qtTaken), ProgramAction::Help);
        EXPECT_EQ(actionOf({QStringLiteral("--version")}, qtTaken), ProgramAction::Version);
        EXPECT_EQ(actionOf({QStringLiteral("--no-such-option")}, qtTaken), ProgramAction::UsageError);
    }
    const ProgramArgs file = parseProgramArgs({QStringLiteral("site.xml")}, true);
    EXPECT_EQ(file.action, ProgramAction::Run);
    EXPECT_EQ(file.file, QStringLiteral("site.xml"));
    EXPECT_TRUE(parseProgramArgs({QStringLiteral("--demo")}, true).demo);
    EXPECT_EQ(parseProgramArgs({QStringLiteral("--"), QStringLiteral("-odd.txt")}, true).file, QStringLiteral("-odd.txt"));

    // Before Qt has taken its own options they and their values are no error;
    // after, an unknown dash word or a second file is.
    const QStringList withQtOptions{QStringLiteral("-style"), QStringLiteral("fusion"), QStringLiteral("site.txt")};
    EXPECT_EQ(actionOf(withQtOptions, false), ProgramAction::Run);
    EXPECT_EQ(actionOf({QStringLiteral("-x"), QStringLiteral("site.txt")}, true), ProgramAction::UsageError);
    EXPECT_EQ(actionOf({QStringLiteral("a.txt"), QStringLiteral("b.txt")}, true), ProgramAction::UsageError);
    EXPECT_EQ(actionOf({QStringLiteral("--demo"), QStringLiteral("b.txt")}, true), ProgramAction::UsageError);
}

TEST(ProgramDataFolder, BesideTheProgramInABuildUnderShareOnceInstalled) {
    const QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir top(root.path());
    ASSERT_TRUE(top.mkpath(QStringLiteral("bin")) && top.mkpath(QStringLiteral("share/vellacor")));
    const QString bin = top.filePath(QStringLiteral("bin"));
    const QString data = top.filePath(QStringLiteral("share/vellacor"));
    const QString relative = QStringLiteral("../share/vellacor");
    auto touch = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly);
    };

    EXPECT_EQ(programDataFolder(bin, relative), bin);  // no picture anywhere: as before
    ASSERT_TRUE(touch(QDir(data).filePath(QStringLiteral("logo.bmp"))));
    EXPECT_EQ(QFileInfo(programDataFolder(bin, relative)).canonicalFilePath(), QFileInfo(data).canonicalFilePath());
    ASSERT_TRUE(touch(QDir(bin).filePath(QStringLiteral("logo.bmp"))));
    EXPECT_EQ(programDataFolder(bin, relative), bin);  // a build folder's own picture comes first
}

TEST(WindowSettings, TheWindowComesBackWhereItWasAndOpenStartsInTheLastFolder) {
    SiteModel model;
    {
        MainWindow window(model);
        window.resize(700, 500);
        window.show();
        window.close();
    }
    SiteModel next;
    MainWindow window(next);
    EXPECT_EQ(window.size(), QSize(700, 500));

    const QString sample = QStringLiteral(VELLACOR_SAMPLES "/sample-site.txt");
    ASSERT_TRUE(window.openPath(sample, QStringLiteral("PNEZD")));
    EXPECT_EQ(QDir(lastFolder()), QDir(QFileInfo(sample).absolutePath()));
}

}  // namespace
}  // namespace vellacor
