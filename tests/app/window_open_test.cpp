#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "app/command_table.h"
#include "app/commands.h"
#include "app/document.h"
#include "app/site_model.h"
#include "app/window_open.h"
#include "import/elevation_raster.h"
#include "platform/virtual_keys.h"
#include "support/fake_ui.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using testing::FakeUi;
using testing::TempDir;

// An ASCII grid of `columns` x `rows` cells, a gentle slope with one void.
std::string asciiGrid(int columns, int rows) {
    std::string text = "ncols " + std::to_string(columns) + "\nnrows " + std::to_string(rows) +
                       "\nxllcorner 500\nyllcorner 700\ncellsize 2\nNODATA_value -9999\n";
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            text += (r == 1 && c == 1 ? std::string("-9999") : std::to_string(100 + r + 2 * c)) + " ";
        text += "\n";
    }
    return text;
}

// Runs frames' worth of adoption until the worker's read is taken.
std::optional<OpenResult> adoptWhenDone(SiteModel& m, FakeUi& ui) {
    for (int i = 0; i < 5000; ++i) {
        if (std::optional<OpenResult> result = adoptOpenedDocument(m, ui)) return result;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return std::nullopt;
}

TEST(RasterReadControl, ReportsProgressToTheEndAndStopsWhenCancelled) {
    TempDir dir;
    const std::string path = dir.write("slope.asc", asciiGrid(40, 30));
    const SurfaceReadResult plain = readElevationRaster(path);
    ASSERT_EQ(plain.points.size(), 1200u);

    std::atomic<bool> cancelled{false};
    std::atomic<double> progress{0.0};
    const JobControl control(cancelled, progress);
    const SurfaceReadResult watched = readElevationRaster(path, &control);
    EXPECT_EQ(progress.load(), 1.0);
    ASSERT_EQ(watched.points.size(), plain.points.size());
    EXPECT_EQ(watched.triangles.size(), plain.triangles.size());
    EXPECT_EQ(watched.points[41].elevation, plain.points[41].elevation);

    // Cancelled before its first block: nothing is read and nothing made.
    cancelled = true;
    progress = 0.0;
    const SurfaceReadResult stopped = readElevationRaster(path, &control);
    EXPECT_TRUE(stopped.points.empty());
    EXPECT_TRUE(stopped.triangles.empty());
    EXPECT_LT(progress.load(), 1.0);
}

struct WindowOpen : ::testing::Test {
    TempDir dir;
    SiteModel m;
    FakeUi ui;
};

TEST_F(WindowOpen, ARasterIsReadOnAWorkerAndAdoptedAsTheCommandLineOpensIt) {
    const std::string path = dir.write("slope.asc", asciiGrid(40, 30));
    SiteModel direct;
    FakeUi directUi;
    ASSERT_EQ(openDocument(direct, directUi, path), OpenResult::Loaded);

    ASSERT_EQ(openDocumentInWindow(m, ui, path), OpenResult::Reading);
    EXPECT_FALSE(m.document.documentLoaded);
    EXPECT_EQ(pathBeingOpened(m), path);
    EXPECT_EQ(openingProgressMessage(m), "Reading Raster");
    EXPECT_EQ(adoptWhenDone(m, ui), OpenResult::Loaded);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(openingProgressMessage(m));
    EXPECT_FALSE(adoptOpenedDocument(m, ui));  // handed over once
    EXPECT_TRUE(m.document.documentLoaded);
    EXPECT_EQ(m.document.pointFileFormat, PointFileFormat::ElevationRaster);
    EXPECT_EQ(m.document.pointCount, direct.document.pointCount);
    EXPECT_EQ(m.document.triangleCount, direct.document.triangleCount);
    EXPECT_TRUE(m.document.triangulateStage.done);
    EXPECT_EQ(m.document.maxElevation, direct.document.maxElevation);
    EXPECT_EQ(m.camera.target.x, direct.camera.target.x);

    // Other files open at once, as before.
    EXPECT_EQ(openDocumentInWindow(m, ui, dir.write("pts.txt", "1,5000,6000,100,A\n2,5010,6000,101,B\n3,5000,6010,102,C\n"),
                                   std::string("PNEZD")),
              OpenResult::Loaded);
    EXPECT_EQ(m.document.pointCount, 3);
    EXPECT_FALSE(adoptOpenedDocument(m, ui));
}

TEST_F(WindowOpen, EscCancelsTheReadAndLeavesAnEmptySite) {
    const std::string path = dir.write("slope.asc", asciiGrid(40, 30));
    ASSERT_EQ(openDocumentInWindow(m, ui, path), OpenResult::Reading);
    handleKey(m, ui, vk::Escape);
    EXPECT_EQ(adoptWhenDone(m, ui), OpenResult::Failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Opening was cancelled.");
    EXPECT_FALSE(m.document.documentLoaded);
    EXPECT_EQ(m.document.pointCount, 0);
    EXPECT_FALSE(pathBeingOpened(m));

    // A failed read says what an open on the command line says.
    ui.messages.clear();
    const std::string bomb = dir.write("bomb.asc", "ncols 40000\nnrows 40000\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2\n");
    ASSERT_EQ(openDocumentInWindow(m, ui, bomb), OpenResult::Reading);
    EXPECT_EQ(adoptWhenDone(m, ui), OpenResult::Failed);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1], "Unable to find any points in:\n\nbomb.asc");

    // Over a loaded site: the emptied site is not shown while the file is
    // read, and opening another file drops the first read.
    ASSERT_EQ(openDocumentInWindow(m, ui, path), OpenResult::Reading);
    ASSERT_EQ(adoptWhenDone(m, ui), OpenResult::Loaded);
    ASSERT_EQ(openDocumentInWindow(m, ui, path), OpenResult::Reading);
    EXPECT_FALSE(m.document.documentLoaded);
    ASSERT_EQ(openDocumentInWindow(m, ui, dir.write("other.asc", asciiGrid(5, 4))), OpenResult::Reading);
    EXPECT_EQ(adoptWhenDone(m, ui), OpenResult::Loaded);
    EXPECT_EQ(m.document.pointCount, 20);
}

}  // namespace
}  // namespace vellacor
