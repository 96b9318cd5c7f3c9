// A real window driven as a user drives it: undo, redo and the unsaved-changes
// question over a small grid site (each edit taken back leaves the surface it
// found), and the comparison surface and the Volumes menu over the sample.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QProgressDialog>
#include <QRadioButton>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/breaklines.h"
#include "app/cut_fill_view.h"
#include "app/navigation.h"
#include "app/point_editing.h"
#include "app/site_model.h"
#include "app/surface_boundary_edit.h"
#include "shell/main_window.h"
#include "shell/qt_ui.h"
#include "shell/view_widget.h"
#include "support/grid_site_text.h"
#include "support/surface_edges.h"
#include "support/temp_files.h"
#include "window_driving.h"

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace vellacor {
namespace {

using namespace testing;

// An 11 x 11 grid of points 100 apart with heights that repeat (ties
// everywhere), loaded in a window and built.
struct SiteEdits : ::testing::Test {
    testing::TempDir dir;
    SiteModel model;
    std::unique_ptr<MainWindow> window;

    static int at(int x, int y) { return y * 11 + x; }

    void SetUp() override {
        const std::string text = testing::gridSiteText("TOPO");
        window = std::make_unique<MainWindow>(model);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));  // the shortcuts need an active window
        ASSERT_TRUE(window->openPath(QString::fromStdString(dir.write("site.txt", text)), QStringLiteral("PNEZD")));
        settle();
    }
    void TearDown() override {
        markSiteSaved(model);  // the window goes without asking
    }

    // Frames until the surface is built, linked and holds every breakline.
    void settle() {
        const SiteDocument& d = model.document;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        do window->runFrame();
        while (!(d.triangulateStage.done && d.contourStage.done && d.breaklines.ready()) &&
               std::chrono::steady_clock::now() < deadline);
        ASSERT_TRUE(d.contourStage.done && d.breaklines.ready());
    }
    void key(int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        window->activateWindow();  // a dialog closed may have left it inactive: shortcuts need it active
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window->view(), static_cast<Qt::Key>(k), modifiers);
        settle();
    }
    void undoKey() { key(Qt::Key_Z, Qt::ControlModifier); }
    void redoKey() { key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }
    // The pixel of the view over ground nearest to `place` in plan.
    Pixel pixelOfGround(const Vec3& place) const {
        Pixel best{-1, -1};
        double nearest = 1e300;
        for (int y = 0; y < window->view()->height(); y += 3)
            for (int x = 0; x < window->view()->width(); x += 3)
                if (const std::optional<Vec3> ground = groundAt(model, Pixel{x, y})) {
                    const double r = std::hypot(ground->x - place.x, ground->y - place.y);
                    if (r < nearest) {
                        nearest = r;
                        best = {x, y};
                    }
                }
        return best;
    }
    bool titleMarked() const { return window->windowTitle().startsWith(QLatin1Char('*')); }
};

// The keys and the menu reach undo and redo, and the title follows: what
// each edit taken back leaves is checked where the edits are made.
TEST_F(SiteEdits, UndoAndRedoFromTheKeysAndTheMenuAndTheTitleMarksTheChange) {
    const SiteDocument& d = model.document;
    const auto before = surfaceGeometry(d);
    EXPECT_FALSE(titleMarked());
    breaklineBetween(model, window->ui(), at(1, 1), at(4, 3));
    settle();
    const auto with = surfaceGeometry(d);
    ASSERT_NE(with, before);
    EXPECT_TRUE(titleMarked());

    undoKey();
    EXPECT_EQ(surfaceGeometry(d), before);
    EXPECT_FALSE(titleMarked());  // back to the site as opened
    redoKey();
    EXPECT_EQ(surfaceGeometry(d), with);
    key(Qt::Key_U);
    EXPECT_TRUE(d.breaklines.empty());
    undoKey();  // U was an edit too
    EXPECT_EQ(surfaceGeometry(d), with);
    EXPECT_TRUE(titleMarked());

    // A wall point through its dialog, taken back and brought again from the menu.
    const int points = d.pointCount;
    model.input.selectedPoint = at(5, 5);
    const Pixel towards = pixelOfGround({6537.0, 5561.0, 0.0});  // off the grid lines: inside a triangle
    ASSERT_GE(towards.x, 0);
    ModalAnswers answers({[](QWidget& w) {
        w.findChild<QLineEdit*>()->setText(QStringLiteral("2.5"));  // the change in elevation
        pressOk(w);
    }});
    addWallPoint(model, window->ui(), towards);
    settle();
    ASSERT_EQ(d.pointCount, points + 1);
    window->commandAction(CommandId::Undo)->trigger();
    settle();
    EXPECT_EQ(d.pointCount, points);
    EXPECT_EQ(surfaceGeometry(d), with);
    window->commandAction(CommandId::Redo)->trigger();
    settle();
    EXPECT_EQ(d.pointCount, points + 1);
}

TEST_F(SiteEdits, UnsavedChangesAreAskedAboutBeforeOpenDropAndExit) {
    const std::string other = dir.write("other.xyz", "6000 5000 100\n6100 5000 101\n6000 5100 102\n6100 5100 99\n");
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(QString::fromStdString(other))});
    const auto drop = [&] {
        QDropEvent event(QPointF(20, 20), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        static_cast<QObject*>(window.get())->event(&event);  // as the window system hands it over
    };
    const int points = model.document.pointCount;
    const QString question =
        QStringLiteral("Save changes to site.txt before closing?\n\nThe breaklines are not saved.");

    breaklineBetween(model, window->ui(), at(1, 1), at(4, 3));
    {
        ModalAnswers answers(
            {pressBox(QMessageBox::Cancel), pressBox(QMessageBox::Cancel), pressBox(QMessageBox::Cancel)});
        drop();
        window->commandAction(CommandId::Open)->trigger();  // Cancel: no file chooser follows
        key(Qt::Key_Q, Qt::ControlModifier);                // Exit's shortcut: Cancel keeps the window
        EXPECT_EQ(answers.seen, (QStringList{question, question, question}));
    }
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(model.document.pointCount, points);
    {
        // Save runs Save As; cancelling it keeps the site and the window.
        ModalAnswers answers({pressBox(QMessageBox::Save), [](QWidget& w) { qobject_cast<QDialog*>(&w)->reject(); }});
        EXPECT_FALSE(window->close());
        EXPECT_EQ(answers.seen.size(), 2);
        EXPECT_EQ(answers.seen.value(1), QStringLiteral("Saving"));
    }
    EXPECT_TRUE(window->isVisible());
    {
        ModalAnswers answers({pressBox(QMessageBox::Discard)});
        drop();
        EXPECT_EQ(answers.seen, QStringList{question});
    }
    EXPECT_EQ(model.document.pointCount, 4);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("other.xyz - Vellacor"));

    // A site with no changes asks nothing; an edit saved through Save As asks nothing either.
    breaklineBetween(model, window->ui(), 0, 3);
    const std::string saved = dir.path("saved.dxf");
    {
        ModalAnswers answers({pressBox(QMessageBox::Save), pressOk, chooseFile(saved), pressBox(QMessageBox::Ok)});
        window->commandAction(CommandId::Exit)->trigger();
        EXPECT_EQ(answers.seen.value(0),
                  QStringLiteral("Save changes to other.xyz before closing?\n\nThe breaklines are not saved."));
    }
    EXPECT_TRUE(std::filesystem::exists(saved));
    EXPECT_FALSE(window->isVisible());
    window->show();
    {
        ModalAnswers answers({});
        EXPECT_TRUE(window->close());
        EXPECT_TRUE(answers.seen.isEmpty());
    }
}

// The Saving dialog answered with a format and the parts ticked.
ModalAnswers::Answer savingAs(const QString& format, const QStringList& ticked) {
    return [format, ticked](QWidget& w) {
        for (QRadioButton* b : w.findChildren<QRadioButton*>())
            if (b->text() == format) b->setChecked(true);
        for (QCheckBox* c : w.findChildren<QCheckBox*>()) c->setChecked(ticked.contains(c->text()));
        pressOk(w);
    };
}

const QString kSavedTitle = QStringLiteral("site.txt - Vellacor");

// The question before closing, answered Cancel: what it says is not saved.
QString unsavedQuestion(MainWindow& window) {
    ModalAnswers answers({pressBox(QMessageBox::Cancel)});
    window.close();
    return answers.seen.value(0);
}

struct SavedMark : SiteEdits {
    void editPoint(int point, const QString& elevation, bool useInSurface = true) {
        model.input.selectedPoint = point;
        ModalAnswers answers({[=](QWidget& w) {
            if (!elevation.isEmpty()) fieldLabelled(w, QStringLiteral("Elevation:"))->setText(elevation);
            w.findChild<QCheckBox*>()->setChecked(useInSurface);
            pressOk(w);
        }});
        key(Qt::Key_E);
    }
    void saveAs(const QString& format, const QStringList& ticked, const std::string& path) {
        ModalAnswers answers({savingAs(format, ticked), chooseFile(path), pressBox(QMessageBox::Ok)});
        window->saveAsAction()->trigger();
        EXPECT_EQ(answers.seen.value(2), QStringLiteral("Saved File:\n\n") + QString::fromStdString(path));
    }
};

TEST_F(SavedMark, GoesOnlyWhenTheFileHoldsEveryKindOfEdit) {
    const QString question = QStringLiteral("Save changes to site.txt before closing?\n\n");
    model.document.coordinateSystem = "EPSG:32633";  // as GeoJSON needs
    editPoint(at(5, 5), QStringLiteral("150"));
    breaklineBetween(model, window->ui(), at(1, 1), at(4, 3));
    settle();
    window->runFrame();
    EXPECT_TRUE(titleMarked());

    // Contours alone, a GeoTIFF and a GeoJSON file of the contours hold neither edit.
    saveAs(QStringLiteral("DXF"), {QStringLiteral("Contours")}, dir.path("contours.dxf"));
    EXPECT_TRUE(titleMarked());
    EXPECT_EQ(unsavedQuestion(*window), question + QStringLiteral("The point edits and breaklines are not saved."));
    saveAs(QStringLiteral("GeoJSON (one layer)"), {QStringLiteral("Contours"), QStringLiteral("Breaklines")},
           dir.path("contours.geojson"));
    EXPECT_TRUE(titleMarked());
    // A shapefile of the points (its one layer is the first ticked) holds the point edits only.
    saveAs(QStringLiteral("Shapefile (one layer)"), {QStringLiteral("Points"), QStringLiteral("Breaklines")},
           dir.path("points.shp"));
    EXPECT_TRUE(titleMarked());
    EXPECT_EQ(unsavedQuestion(*window), question + QStringLiteral("The breaklines are not saved."));
    saveAs(QStringLiteral("GeoPackage"), {QStringLiteral("Breaklines")}, dir.path("site.gpkg"));
    EXPECT_FALSE(titleMarked());
    EXPECT_EQ(window->windowTitle(), kSavedTitle);

    // Save Points holds the point edits; undoing back to what was saved is saved too.
    editPoint(at(2, 2), QStringLiteral("140"));
    EXPECT_TRUE(titleMarked());
    {
        ModalAnswers answers({chooseFile(dir.path("points.txt"))});
        key(Qt::Key_S, Qt::ControlModifier);
    }
    EXPECT_NE(testing::readFile(dir.path("points.txt")).find(",140.000,"), std::string::npos);
    EXPECT_EQ(window->windowTitle(), kSavedTitle);
    editPoint(at(2, 2), QStringLiteral("130"));
    EXPECT_TRUE(titleMarked());
    undoKey();
    EXPECT_EQ(window->windowTitle(), kSavedTitle);

    // A boundary goes with the LandXML surface; a DXF drawing does not hold it.
    ASSERT_TRUE(addSurfaceBoundary(model, {BoundaryKind::Outer, {{6050, 5050, 0}, {6950, 5050, 0}, {6500, 5950, 0}}}));
    settle();
    window->runFrame();
    EXPECT_EQ(unsavedQuestion(*window), question + QStringLiteral("The boundaries are not saved."));
    saveAs(QStringLiteral("DXF"), {QStringLiteral("Points"), QStringLiteral("Breaklines"), QStringLiteral("Surface")},
           dir.path("all.dxf"));
    EXPECT_TRUE(titleMarked());
    saveAs(QStringLiteral("LandXML"), {QStringLiteral("Surface")}, dir.path("site.xml"));
    EXPECT_EQ(window->windowTitle(), kSavedTitle);
    EXPECT_TRUE(window->close());  // nothing asked
}

TEST_F(SavedMark, SaveFromTheQuestionAsksAgainUntilEverythingIsSaved) {
    breaklineBetween(model, window->ui(), at(1, 1), at(4, 3));
    editPoint(at(5, 5), QStringLiteral("150"));
    const std::string contours = dir.path("contours.dxf"), all = dir.path("all.xml");
    ModalAnswers answers({pressBox(QMessageBox::Save), savingAs(QStringLiteral("DXF"), {QStringLiteral("Contours")}),
                          chooseFile(contours), pressBox(QMessageBox::Ok), pressBox(QMessageBox::Save),
                          savingAs(QStringLiteral("LandXML"), {QStringLiteral("Breaklines")}), chooseFile(all),
                          pressBox(QMessageBox::Ok)});
    EXPECT_TRUE(window->close());
    ASSERT_EQ(answers.seen.size(), 8);
    EXPECT_EQ(answers.seen[4], QStringLiteral("Save changes to site.txt before closing?\n\n"
                                              "The point edits and breaklines are not saved."));
    EXPECT_TRUE(std::filesystem::exists(contours));
    EXPECT_NE(testing::readFile(all).find("<Breakline"), std::string::npos);
}

// Undo and redo faster than the surface is built: each step stops the work
// the one before started, and the surface is built after the last.
TEST_F(SavedMark, ABurstOfUndoAndRedoEndsWithTheSurfaceAndSavesIt) {
    const SiteDocument& d = model.document;
    editPoint(at(5, 5), QStringLiteral("150"));
    breaklineBetween(model, window->ui(), at(1, 1), at(4, 3));
    settle();
    editPoint(at(4, 3), QString(), false);  // out of the surface, with its breakline
    settle();
    const auto edited = surfaceGeometry(d);
    const auto press = [&](bool undo) {
        window->activateWindow();
        QTest::keyClick(window->view(), Qt::Key_Z,
                        undo ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
    };
    // As fast as the frames go: each step lands on work just started.
    for (int round = 0; round < 2; ++round)
        for (bool undo : {true, true, true, false, false, false}) {
            press(undo);
            window->runFrame();
        }
    // At a quick typist's pace, the window's own frames between.
    for (bool undo : {true, true, false, true, false, false, false}) {
        press(undo);
        QTest::qWait(50);
    }
    EXPECT_FALSE(canRedoSiteEdit(model));

    // Saved at once from the question: the save waits for the contours.
    const std::string first = dir.path("first.dxf"), second = dir.path("second.dxf");
    {
        ModalAnswers answers({pressBox(QMessageBox::Save), savingAs(QStringLiteral("DXF"), {QStringLiteral("Contours")}),
                              chooseFile(first), pressBox(QMessageBox::Ok), pressBox(QMessageBox::Cancel)});
        EXPECT_FALSE(window->close());
        EXPECT_EQ(answers.seen.value(3), QStringLiteral("Saved File:\n\n") + QString::fromStdString(first));
    }
    settle();
    EXPECT_EQ(surfaceGeometry(d), edited);
    EXPECT_NE(model.display.surfaceMode, SurfaceMode::Off);
    window->updateCommandStates();
    EXPECT_TRUE(window->saveAsAction()->isEnabled());
    saveAs(QStringLiteral("DXF"), {QStringLiteral("Contours")}, second);
    const std::string drawing = testing::readFile(first);
    EXPECT_NE(drawing.find("POLYLINE"), std::string::npos);
    EXPECT_EQ(drawing, testing::readFile(second));
}

// A design grade over the whole sample site: a plane falling 2 % to the east.
const std::string kDesign = "1,4990,9990,110.0,G\n2,5310,9990,110.0,G\n3,4990,10310,103.6,G\n4,5310,10310,103.6,G\n";

// Triggers the action and answers the modal dialogs it brings up, one
// answer each, in order, from inside their event loops; the frames run
// until the last is answered (the volumes come from a background job).
void triggerAnswering(MainWindow& window, QAction* action, std::deque<std::function<void(QDialog&)>> answers) {
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&answers] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || answers.empty()) return;
        const auto answer = answers.front();
        answers.pop_front();
        answer(*dialog);
    });
    timer.start(10);
    action->trigger();
    runFramesUntil(window, [&answers] { return answers.empty(); });
    EXPECT_TRUE(answers.empty());
}

void close(QDialog& dialog) { dialog.reject(); }

// What `vellacor-cli volume SAMPLE ARGUMENTS` prints.
std::string cliFigures(const std::string& arguments) {
    const std::string command =
        std::string(VELLACOR_CLI) + " volume '" + kSample.toStdString() + "' " + arguments + " --format PNEZD";
    std::string output;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    ::pclose(pipe);
    return output;
}

struct VolumesWindow : ::testing::Test {
    SiteModel model;
    MainWindow window{model};
    testing::TempDir dir;

    void SetUp() override {
        window.show();
        ASSERT_TRUE(window.openPath(kSample, QStringLiteral("PNEZD")));
        runFramesUntil(window, [&]() -> bool { return model.document.contourStage.done; });
        ASSERT_TRUE(model.document.contourStage.done);
    }
    QAction* action(CommandId id) { return window.commandAction(id); }
};

TEST_F(VolumesWindow, CutAndFillAgainstALoadedComparisonGivesTheCommandLinesFigures) {
    // Without a comparison the item says what to do and shows nothing.
    EXPECT_TRUE(action(CommandId::CutAndFill)->isEnabled());
    triggerAnswering(window, action(CommandId::CutAndFill), {close});
    EXPECT_TRUE(window.volumeReportText().isEmpty());

    const std::string design = dir.write("design.txt", kDesign);
    ASSERT_TRUE(window.openComparisonPath(QString::fromStdString(design), QStringLiteral("PNEZD")));
    ASSERT_NE(model.comparison.surface, nullptr);
    runFramesUntil(window, [&] { return hasCutFillReference(model); });
    ASSERT_TRUE(hasCutFillReference(model));
    EXPECT_NE(window.statusBar()->currentMessage().indexOf(QStringLiteral("design.txt")), -1);

    triggerAnswering(window, action(CommandId::CutAndFill), {close});
    const std::string text = window.volumeReportText().toStdString();
    const std::string figures = cliFigures("'" + design + "'");
    ASSERT_FALSE(figures.empty());
    EXPECT_NE(text.find("\n\n" + figures + "deepest-cut: "), std::string::npos) << text << figures;
    EXPECT_EQ(text.find("Limited"), std::string::npos);

    // The isopach the window saves is the drawing the command line writes.
    const std::string saved = dir.path("window.dxf"), written = dir.path("cli.dxf");
    triggerAnswering(window, action(CommandId::SaveIsopach), {[&saved](QDialog& d) { chooseFile(saved)(d); }, close});
    cliFigures("'" + design + "' --isopach '" + written + "'");
    EXPECT_GT(testing::readFile(saved).size(), 1000u);
    EXPECT_EQ(testing::readFile(saved), testing::readFile(written));

    // The Cut/Fill colours: a legend naming the comparison, the range and the colours.
    action(CommandId::CutFillView)->trigger();
    EXPECT_EQ(model.display.surfaceMode, SurfaceMode::CutFill);
    runFramesUntil(window, [&] { return model.renderer.cutFill.made; });  // worked out in the background
    const std::vector<std::string> legend = comparisonStatusLines(model);
    ASSERT_EQ(legend.size(), 3u);
    EXPECT_EQ(legend[0].rfind("Cut/Fill against design.txt: -", 0), 0u) << legend[0];
    EXPECT_EQ(legend[1], "Red: cut (site above), blue: fill (site below)");
    EXPECT_EQ(legend[2], "Black line: no change");  // the design covers the whole site
    action(CommandId::CutFillView)->trigger();
    EXPECT_EQ(model.display.surfaceMode, SurfaceMode::Flat);
}

TEST_F(VolumesWindow, VolumeToElevationInsideTheLimitPolygonGivesTheCommandLinesFigures) {
    const std::vector<Vec3> corners{{10100, 5100, 0}, {10200, 5100, 0}, {10200, 5200, 0}};
    model.document.contours.limitPolygon = LimitPolygon{kNoVertex, corners};
    model.document.contours.contourLimitMode = ContourLimitMode::InsidePolygon;
    const auto answer105 = [](QDialog& dialog) {
        auto* ask = qobject_cast<QInputDialog*>(&dialog);
        ASSERT_NE(ask, nullptr);
        ask->setDoubleValue(105.0);
        ask->accept();
    };
    triggerAnswering(window, action(CommandId::VolumeToElevation), {answer105, close});
    const std::string text = window.volumeReportText().toStdString();
    EXPECT_NE(text.find("Compared with: elevation 105.000000\nLimited to the contour limit polygon.\n"),
              std::string::npos) << text;
    const std::string figures = cliFigures("--datum 105 --polygon '10100,5100;10200,5100;10200,5200'");
    EXPECT_NE(figures.find("\narea: 5000.000000\n"), std::string::npos) << figures;
    EXPECT_NE(text.find("\n\n" + figures), std::string::npos) << text << figures;
    EXPECT_EQ(model.comparison.datum, 105.0);  // the Cut/Fill colours now compare with this level
}

}  // namespace
}  // namespace vellacor
