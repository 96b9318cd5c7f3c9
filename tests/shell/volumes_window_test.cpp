// The comparison surface and the Volumes menu, driven in the window as a user would.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QStatusBar>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>

#include "app/cut_fill_view.h"
#include "app/site_model.h"
#include "shell/main_window.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

const QString kSample = QStringLiteral(VELLACOR_SAMPLES "/sample-site.txt");

// A design grade over the whole sample site: a plane falling 2 % to the east.
const std::string kDesign = "1,4990,9990,110.0,G\n2,5310,9990,110.0,G\n3,4990,10310,103.6,G\n4,5310,10310,103.6,G\n";

// Frames, as the timer would run them, until `done` or a minute has passed.
template <class Done>
void runFramesUntil(MainWindow& window, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        window.runFrame();
        QApplication::processEvents();
    }
}

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
    const auto chooseSaved = [&saved](QDialog& dialog) {
        auto* chooser = qobject_cast<QFileDialog*>(&dialog);
        ASSERT_NE(chooser, nullptr);
        chooser->selectFile(QString::fromStdString(saved));
        dialog.accept();  // as the Save button does
    };
    triggerAnswering(window, action(CommandId::SaveIsopach), {chooseSaved, close});
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
