#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QSettings>
#include <QSet>
#include <chrono>

#include "app/site_model.h"
#include <QKeyEvent>
#include <QToolBar>

#include "shell/main_window.h"
#include "shell/qt_ui.h"
#include "shell/recent_files.h"
#include "shell/view_widget.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

QStringList menuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* a : menu->actions())
        if (!a->isSeparator() && a->isVisible()) texts << a->text();
    return texts;
}

TEST(MainWindow, OpensTheSampleAndTitlesTheWindow) {
    SiteModel model;
    MainWindow window(model);
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Untitled - Vellacor"));
    EXPECT_FALSE(window.savePointsAction()->isEnabled());

    const QString sample = QStringLiteral(VELLACOR_SAMPLES "/sample-site.txt");
    ASSERT_TRUE(window.openPath(sample, QStringLiteral("PNEZD")));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("sample-site.txt - Vellacor"));
    EXPECT_GT(model.document.pointCount, 2000);
    EXPECT_TRUE(window.savePointsAction()->isEnabled());

    // Frames until the surface is built and linked, as the timer would run them.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!(model.document.triangulateStage.done && model.document.contourStage.done) && std::chrono::steady_clock::now() < deadline) {
        window.runFrame();
        QApplication::processEvents();
    }
    ASSERT_TRUE(model.document.contourStage.done);
    window.runFrame();
    const QImage picture = window.view()->grab().toImage();
    ASSERT_FALSE(picture.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 4)
        for (int x = 0; x < picture.width(); x += 4) colours.insert(picture.pixel(x, y));
    EXPECT_GT(colours.size(), 20);  // a shaded surface, not a blank view
    EXPECT_TRUE(window.saveAsAction()->isEnabled());
}

TEST(MainWindow, MenusAndToolbarFollowTheSiteAndKeysReachTheCore) {
    SiteModel model;
    MainWindow window(model);
    window.show();
    const QList<QAction*> menus = window.menuBar()->actions();
    ASSERT_EQ(menus.size(), 6);
    const QStringList file = menuTexts(menus[0]->menu());
    EXPECT_EQ(file.mid(0, 6), (QStringList{"&Open...", "Open Comparison Surface...", "Save Points...", "Save &As...",
                                           "Coordinate System...", "&Print..."}));
    EXPECT_EQ(file.last(), QStringLiteral("E&xit"));
    QMenu* view = menus[2]->menu();
    EXPECT_EQ(menuTexts(view).first(), QStringLiteral("Points\t1"));
    EXPECT_EQ(menuTexts(menus[5]->menu()), (QStringList{"Help\tF1", "&About Vellacor..."}));
    QAction* points = window.commandAction(CommandId::Points);
    ASSERT_NE(points, nullptr);
    EXPECT_FALSE(points->isEnabled());
    QToolBar* bar = window.findChild<QToolBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->actions().size(), 12);
    EXPECT_FALSE(bar->actions().first()->icon().isNull());

    ASSERT_TRUE(window.openPath(QStringLiteral(VELLACOR_SAMPLES "/sample-site.txt"), QStringLiteral("PNEZD")));
    emit view->aboutToShow();
    EXPECT_TRUE(points->isEnabled());
    const bool shown = model.display.showPoints;
    EXPECT_EQ(points->isChecked(), shown);

    QKeyEvent one(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, QStringLiteral("1"));
    QApplication::sendEvent(window.view(), &one);
    EXPECT_NE(model.display.showPoints, shown);
    points->trigger();  // the menu item and the key share the toggle
    EXPECT_EQ(model.display.showPoints, shown);
}

TEST(RecentFiles, KeepsSixNewestFirstWithoutDuplicates) {
    QStringList files;
    for (int i = 0; i < 8; ++i) files = withRecentFile(files, QStringLiteral("/f%1").arg(i));
    files = withRecentFile(files, QStringLiteral("/f4"));
    EXPECT_EQ(files, (QStringList{"/f4", "/f7", "/f6", "/f5", "/f3", "/f2"}));

    testing::TempDir dir;
    QSettings settings(QString::fromStdString(dir.path("recent.ini")), QSettings::IniFormat);
    writeRecentFiles(settings, files);
    EXPECT_EQ(readRecentFiles(settings), files);
}

TEST(RecentFiles, TheTestsKeepThemInTheirOwnFolder) {
    SiteModel model;
    MainWindow window(model);
    const QString sample = QStringLiteral(VELLACOR_SAMPLES "/sample-site.txt");
    ASSERT_TRUE(window.openPath(sample, QStringLiteral("PNEZD")));
    const QSettings settings(QStringLiteral("Vellacor"), QStringLiteral("Vellacor"));  // the program's own
    EXPECT_FALSE(settings.fileName().startsWith(QDir::homePath() + QLatin1Char('/'))) << settings.fileName().toStdString();
    QSettings written(settings.fileName(), QSettings::NativeFormat);
    EXPECT_EQ(readRecentFiles(written).value(0), QFileInfo(sample).absoluteFilePath());
}

TEST(QtUi, FiltersInTheDialogForm) {
    EXPECT_EQ(qtFilterFrom("DXF (*.dxf)|*.dxf|All Files (*.*)|*.*||"), "DXF (*.dxf);;All Files (*.*)");
    EXPECT_EQ(qtFilterFrom("Image (*.bmp)|*.bmp||"), "Image (*.bmp)");
}

}  // namespace
}  // namespace vellacor
