#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "app/command_table.h"
#include "app/site_model.h"
#include "shell/dialogs.h"
#include "shell/key_map.h"
#include "shell/main_window.h"
#include "shell/program_args.h"
#include "shell/program_folder.h"
#include "shell/qt_ui.h"
#include "shell/recent_files.h"
#include "shell/view_widget.h"
#include "shell/window_settings.h"
#include "support/temp_files.h"
#include "window_driving.h"

namespace vellacor {
namespace {

using testing::kSample;
using testing::runFramesUntil;

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

    ASSERT_TRUE(window.openPath(kSample, QStringLiteral("PNEZD")));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("sample-site.txt - Vellacor"));
    EXPECT_GT(model.document.pointCount, 2000);
    EXPECT_TRUE(window.savePointsAction()->isEnabled());
    runFramesUntil(window, [&] { return model.document.triangulateStage.done && model.document.contourStage.done; });
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
    QMenu* view = menus[2]->menu();
    EXPECT_EQ(menuTexts(view).first(), QStringLiteral("Points\t1"));  // the key's hint after a tab
    QAction* points = window.commandAction(CommandId::Points);
    ASSERT_NE(points, nullptr);
    EXPECT_FALSE(points->isEnabled());
    QToolBar* bar = window.findChild<QToolBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->actions().size(), 12);
    EXPECT_FALSE(bar->actions().first()->icon().isNull());

    ASSERT_TRUE(window.openPath(kSample, QStringLiteral("PNEZD")));
    emit view->aboutToShow();
    EXPECT_TRUE(points->isEnabled());
    const bool shown = model.display.showPoints;
    EXPECT_EQ(points->isChecked(), shown);

    QKeyEvent one(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, QStringLiteral("1"));
    QApplication::sendEvent(window.view(), &one);
    EXPECT_NE(model.display.showPoints, shown);
    points->trigger();  // the menu item and the key share the toggle
    EXPECT_EQ(model.display.showPoints, shown);

    // A row's accelerators are its action's shortcuts, written as the hint
    // where the text has one; its plain keys are the view's, never shortcuts.
    for (const Command& row : commandTable()) {
        QAction* act = window.commandAction(row.id);
        if (!act) continue;
        QList<QKeySequence> shortcuts;
        for (const KeyStroke key : {row.key, row.otherKey})
            if (key && key.accelerator()) shortcuts << qtShortcutFor(key);
        EXPECT_EQ(act->shortcuts(), shortcuts) << act->text().toStdString();
        if (!shortcuts.isEmpty() && act->text().contains(QLatin1Char('\t'))) {
            EXPECT_TRUE(act->text().endsWith(QLatin1Char('\t') + shortcuts.first().toString()))
                << act->text().toStdString();
        }
    }
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
    ASSERT_TRUE(window.openPath(kSample, QStringLiteral("PNEZD")));
    const QSettings settings(QStringLiteral("Vellacor"), QStringLiteral("Vellacor"));  // the program's own
    EXPECT_FALSE(settings.fileName().startsWith(QDir::homePath() + QLatin1Char('/'))) << settings.fileName().toStdString();
    QSettings written(settings.fileName(), QSettings::NativeFormat);
    EXPECT_EQ(readRecentFiles(written).value(0), QFileInfo(kSample).absoluteFilePath());
}

TEST(QtUi, FiltersInTheDialogForm) {
    EXPECT_EQ(qtFilterFrom("DXF (*.dxf)|*.dxf|All Files (*.*)|*.*||"), "DXF (*.dxf);;All Files (*.*)");
    EXPECT_EQ(qtFilterFrom("Image (*.bmp)|*.bmp||"), "Image (*.bmp)");
}

// The program's command line, where an installed program finds its data, and
// the window's place and last folder kept between runs.
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
    EXPECT_EQ(programHelp(), std::string(programUsage()) + "\n" + keyHelpText());  // --help lists the keys
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

    ASSERT_TRUE(window.openPath(kSample, QStringLiteral("PNEZD")));
    EXPECT_EQ(QDir(lastFolder()), QDir(QFileInfo(kSample).absolutePath()));
}

// An ASCII grid of 60 x 50 cells, a plain slope.
std::string slopeGrid() {
    std::string text = "ncols 60\nnrows 50\nxllcorner 100\nyllcorner 200\ncellsize 1\n";
    for (int r = 0; r < 50; ++r) {
        for (int c = 0; c < 60; ++c) text += std::to_string(50 + r + c) + " ";
        text += "\n";
    }
    return text;
}

TEST(MainWindow, ARasterIsReadBehindTheFramesAndEscStopsTheRead) {
    testing::TempDir dir;
    const QString path = QString::fromStdString(dir.write("slope.asc", slopeGrid()));
    SiteModel model;
    MainWindow window(model);
    window.show();
    ASSERT_TRUE(window.openPath(path));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Untitled - Vellacor"));
    runFramesUntil(window, [&] { return model.document.documentLoaded; });
    ASSERT_TRUE(model.document.documentLoaded);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("slope.asc - Vellacor"));
    QSettings settings = programSettings();
    EXPECT_EQ(readRecentFiles(settings).value(0), QFileInfo(path).absoluteFilePath());

    // Esc in the view before the read is taken: the message box, and no site.
    ASSERT_TRUE(window.openPath(path));
    QTest::keyClick(window.view(), Qt::Key_Escape);
    testing::ModalAnswers answers({[](QWidget& box) { qobject_cast<QDialog*>(&box)->accept(); }});
    runFramesUntil(window, [&] { return !answers.seen.isEmpty(); });
    EXPECT_EQ(answers.seen, QStringList{QStringLiteral("Opening was cancelled.")});
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Untitled - Vellacor"));
}

TEST(WindowSettings, TheWindowStartsByClearingKilledSavesInTheFoldersItKnows) {
    testing::TempDir last, recent, elsewhere;
    const std::string inLast = killedSaveIn(last), inRecent = killedSaveIn(recent), kept = killedSaveIn(elsewhere);
    QSettings settings = programSettings();
    const QStringList before = readRecentFiles(settings);
    rememberFolderOf(QString::fromStdString(last.path("site.txt")));
    writeRecentFiles(settings, withRecentFile(before, QString::fromStdString(recent.path("old.dxf"))));
    {
        SiteModel model;
        MainWindow window(model);
    }
    EXPECT_FALSE(std::filesystem::exists(inLast));
    EXPECT_FALSE(std::filesystem::exists(inRecent));
    EXPECT_TRUE(std::filesystem::exists(kept));
    writeRecentFiles(settings, before);
}

// The program's dialogs, filled and answered as a user would.
// Runs `answer` on the dialog `open` brings up, from inside its event loop.
bool answering(const std::function<void(QDialog&)>& answer, const std::function<bool()>& open) {
    QTimer::singleShot(0, [answer] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) answer(*dialog);
    });
    return open();
}

using testing::fieldLabelled;
using testing::okButton;

// OK when it can be pressed, otherwise Cancel.
void pressOkOrCancel(QDialog& dialog) {
    if (okButton(dialog)->isEnabled())
        okButton(dialog)->click();
    else
        dialog.reject();
}

TEST(EditPointDialog, OkKeepsWhatWasNotEditedExactlyAndShowsTheRestReadOnly) {
    EditPointDialog point{17, 5000.125, 6000.5, 123.456789012345, "TOP\xB0", true};
    bool okEnabled = false;
    QStringList editable;
    QString descriptionShown;
    const auto look = [&](QDialog& dialog) {
        okEnabled = okButton(dialog)->isEnabled();
        for (const char* label : {"Point #:", "Northing:", "Easting:", "Elevation:", "Description:"}) {
            QLineEdit* field = fieldLabelled(dialog, QString::fromLatin1(label));
            if (field && !field->isReadOnly()) editable << QString::fromLatin1(label);
        }
        descriptionShown = fieldLabelled(dialog, QStringLiteral("Description:"))->text();
        pressOkOrCancel(dialog);
    };
    ASSERT_TRUE(answering(look, [&] { return runEditPointDialog(nullptr, point); }));
    EXPECT_TRUE(okEnabled);  // twelve decimals are a number like any other
    EXPECT_EQ(editable, (QStringList{"Elevation:", "Description:"}));
    EXPECT_EQ(descriptionShown, QStringLiteral("TOP\u00B0"));  // the byte as the degree sign it stands for
    EXPECT_EQ(point.elevation, 123.456789012345);
    EXPECT_EQ(point.description, "TOP\xB0");
    EXPECT_EQ(point.number, 17);

    // Edited, the description keeps one byte per character; the elevation takes every digit typed.
    const auto edit = [](QDialog& dialog) {
        fieldLabelled(dialog, QStringLiteral("Elevation:"))->setText(QStringLiteral("101.123456789"));
        QLineEdit* description = fieldLabelled(dialog, QStringLiteral("Description:"));
        description->setText(description->text() + QStringLiteral(" X"));
        pressOkOrCancel(dialog);
    };
    ASSERT_TRUE(answering(edit, [&] { return runEditPointDialog(nullptr, point); }));
    EXPECT_EQ(point.elevation, 101.123456789);
    EXPECT_EQ(point.description, "TOP\xB0 X");

    // A UTF-8 description edits as UTF-8.
    point.description = "TOP \xC2\xB0";
    const auto add = [](QDialog& dialog) {
        QLineEdit* description = fieldLabelled(dialog, QStringLiteral("Description:"));
        description->setText(description->text() + QStringLiteral("\u20AC"));
        pressOkOrCancel(dialog);
    };
    ASSERT_TRUE(answering(add, [&] { return runEditPointDialog(nullptr, point); }));
    EXPECT_EQ(point.description, "TOP \xC2\xB0\xE2\x82\xAC");
}

TEST(SavingDialog, EachFormatHasItsButtonAndTheSiteItsSystem) {
    SavingDialog saving;
    saving.format = ExportFormat::GeoPackage;
    QStringList shown;
    QString checked;
    const auto pick = [&](QDialog& dialog) {
        for (QRadioButton* button : dialog.findChildren<QRadioButton*>()) {
            shown << button->text();
            if (button->isChecked()) checked = button->text();
            if (button->text() == QStringLiteral("GeoTIFF DEM")) button->setChecked(true);
        }
        pressOkOrCancel(dialog);
    };
    ASSERT_TRUE(answering(pick, [&] { return runSavingDialog(nullptr, saving); }));
    EXPECT_EQ(shown, (QStringList{"DXF", "LandXML", "GeoPackage", "GeoJSON (one layer)", "Shapefile (one layer)",
                                  "GeoTIFF DEM"}));
    EXPECT_EQ(checked, QStringLiteral("GeoPackage"));
    EXPECT_EQ(saving.format, ExportFormat::GeoTiff);

    CoordinateSystemDialog system{"EPSG:2193"};
    QString before;
    const auto type = [&](QDialog& dialog) {
        QLineEdit* field = dialog.findChild<QLineEdit*>();
        before = field->text();
        field->setText(QStringLiteral("  EPSG:4326 "));
        pressOkOrCancel(dialog);
    };
    ASSERT_TRUE(answering(type, [&] { return runCoordinateSystemDialog(nullptr, system); }));
    EXPECT_EQ(before, QStringLiteral("EPSG:2193"));
    EXPECT_EQ(system.definition, "EPSG:4326");

    // The DEM's cell: OK only for a size above nothing.
    DemCellDialog cell{0.25};
    bool zeroAccepted = true;
    const auto size = [&](QDialog& dialog) {
        QLineEdit* field = dialog.findChild<QLineEdit*>();
        before = field->text();
        field->setText(QStringLiteral("0"));
        zeroAccepted = okButton(dialog)->isEnabled();
        field->setText(QStringLiteral("1.5"));
        pressOkOrCancel(dialog);
    };
    ASSERT_TRUE(answering(size, [&] { return runDemCellDialog(nullptr, cell); }));
    EXPECT_EQ(before, QStringLiteral("0.25"));
    EXPECT_FALSE(zeroAccepted);
    EXPECT_EQ(cell.cellSize, 1.5);
}

TEST(PointClassesDialog, ShowsTheFilesClassesWithTheChosenTickedAndReturnsWhatIsTicked) {
    PointClassesDialog classes;
    classes.classes = {{1, "Unclassified", 12}, {2, "Ground", 3400000000, 7}, {9, "Water", 5}};
    classes.chosen = {2};
    classes.withheld = 7;
    QStringList shown;
    QList<Qt::CheckState> ticks;
    QString withheldLabel;
    bool keepEnabled = false;
    const auto tick = [&](QDialog& dialog) {
        QListWidget* list = dialog.findChild<QListWidget*>();
        for (int row = 0; row < list->count(); ++row) {
            shown << list->item(row)->text();
            ticks << list->item(row)->checkState();
            list->item(row)->setCheckState(row == 2 ? Qt::Checked : Qt::Unchecked);
        }
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (label->text().startsWith(QStringLiteral("Withheld"))) withheldLabel = label->text();
        auto* keep = dialog.findChild<QCheckBox*>();
        keepEnabled = keep->isEnabled() && !keep->isChecked();
        keep->setChecked(true);
        pressOkOrCancel(dialog);
    };
    ASSERT_TRUE(answering(tick, [&] { return runPointClassesDialog(nullptr, classes); }));
    EXPECT_EQ(shown, (QStringList{"Unclassified (class 1): 12 points", "Ground (class 2): 3400000000 points, 7 withheld",
                                  "Water (class 9): 5 points"}));
    EXPECT_EQ(ticks, (QList<Qt::CheckState>{Qt::Unchecked, Qt::Checked, Qt::Unchecked}));
    EXPECT_EQ(classes.chosen, std::vector<int>{9});
    EXPECT_EQ(withheldLabel, QStringLiteral("Withheld: 7"));
    EXPECT_TRUE(keepEnabled);
    EXPECT_TRUE(classes.keepWithheld);
}

}  // namespace
}  // namespace vellacor
