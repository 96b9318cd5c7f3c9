// The comparison surface built beside the site, and the cut/fill view's difference.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "app/command_table.h"
#include "app/commands.h"
#include "app/comparison_surface.h"
#include "app/cut_fill_view.h"
#include "app/document.h"
#include "app/pipeline.h"
#include "app/point_editing.h"
#include "app/site_model.h"
#include "app/volume_commands.h"
#include "app/volume_report.h"
#include "platform/virtual_keys.h"
#include "support/fake_ui.h"
#include "support/grid_site_text.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

// The grid site's height at a grid point (tied heights: 100 + x y mod 7).
double gridHeight(int x, int y) { return 100 + (x * y) % 7; }

struct ComparisonFixture : ::testing::Test {
    testing::TempDir dir;
    testing::FakeUi ui;
    SiteModel model;

    void SetUp() override {
        ASSERT_EQ(openDocument(model, ui, dir.write("site.txt", testing::gridSiteText("G")), std::string("PNEZD")),
                  OpenResult::Loaded);
        buildSurfaceToCompletion(model, ui);
    }
    // The same grid 250 east and 1 higher: it covers the site from x = 6250 on.
    std::string shiftedGrid() { return dir.write("design.txt", testing::gridSiteText("D", 100, 250, 1)); }
    // The cut/fill view's difference, worked out in the background as the frames do.
    void makeDifference() {
        model.display.surfaceMode = SurfaceMode::CutFill;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!model.renderer.cutFill.made && std::chrono::steady_clock::now() < deadline) {
            stepCutFillDifference(model);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    void stepUntilReady() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!comparisonSurfaceReady(model) && std::chrono::steady_clock::now() < deadline) {
            stepComparisonSurface(model, ui);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
};

TEST_F(ComparisonFixture, DifferenceAtEveryPointAgainstTheSurfaceAndTheDatum) {
    ASSERT_TRUE(openComparisonSurface(model, ui, shiftedGrid(), std::string("PNEZD")));
    stepUntilReady();
    ASSERT_TRUE(hasCutFillReference(model));
    // Esc drops the difference being worked out and leaves the view.
    model.display.surfaceMode = SurfaceMode::CutFill;
    stepCutFillDifference(model);
    EXPECT_EQ(cutFillProgressMessage(model), "Cut/Fill Colours");
    handleKey(model, ui, vk::Escape);
    EXPECT_FALSE(cutFillProgressMessage(model));
    EXPECT_EQ(model.display.surfaceMode, SurfaceMode::Flat);
    makeDifference();
    const auto& d = model.renderer.cutFill;
    ASSERT_EQ(d.atPoint.size(), 121u);
    for (int y = 0; y <= 10; ++y)
        for (int x = 0; x <= 10; ++x) {
            const double got = d.atPoint[static_cast<std::size_t>(y * 11 + x)];
            if (x < 3) {  // west of the comparison
                EXPECT_TRUE(std::isnan(got)) << x << " " << y;
                continue;
            }
            // Halfway along the comparison's grid edge between its columns x - 3 and x - 2.
            const double below = (gridHeight(x - 3, y) + gridHeight(x - 2, y)) / 2 + 1;
            EXPECT_NEAR(got, gridHeight(x, y) - below, 1e-9) << x << " " << y;
        }
    EXPECT_TRUE(d.someNotCompared);
    // The comparison's edge is laid on the site where it crosses it: all of
    // its west side, x = 6250, and nothing off its outline.
    double westLength = 0;
    for (std::size_t i = 0; i + 1 < d.comparisonEdge.size(); i += 2) {
        const Vec3& a = d.comparisonEdge[i];
        const Vec3& b = d.comparisonEdge[i + 1];
        const bool west = a.x == 6250 && b.x == 6250;
        EXPECT_TRUE(west || (a.y == b.y && (a.y == 5000 || a.y == 6000))) << a.x << "," << a.y;
        if (west) westLength += std::fabs(b.y - a.y);
    }
    EXPECT_NEAR(westLength, 1000.0, 1e-9);

    model.comparison.datum = 103.0;
    forgetCutFillDifference(model);
    makeDifference();
    for (int i = 0; i < 121; ++i)
        EXPECT_EQ(d.atPoint[static_cast<std::size_t>(i)], gridHeight(i % 11, i / 11) - 103.0);
    EXPECT_EQ(d.lowest, -3.0);
    EXPECT_EQ(d.highest, 3.0);
}

TEST_F(ComparisonFixture, EscDropsAComparisonStillBeingBuiltAndKeepsAFinishedOne) {
    ASSERT_TRUE(openComparisonSurface(model, ui, shiftedGrid(), std::string("PNEZD")));
    stepUntilReady();
    handleKey(model, ui, vk::Escape);
    EXPECT_TRUE(comparisonSurfaceReady(model));

    ASSERT_TRUE(openComparisonSurface(model, ui, shiftedGrid(), std::string("PNEZD")));
    stepComparisonSurface(model, ui);  // its build under way
    handleKey(model, ui, vk::Escape);
    EXPECT_EQ(model.comparison.surface, nullptr);
    EXPECT_FALSE(hasCutFillReference(model));
    // A file that cannot be opened leaves the comparison there was: none.
    EXPECT_FALSE(openComparisonSurface(model, ui, dir.path("missing.txt"), std::string("PNEZD")));
    EXPECT_EQ(model.comparison.surface, nullptr);
}

TEST_F(ComparisonFixture, VolumeJobGivesTheCommandLinesFiguresAndStopsOnEscOrAnEdit) {
    ASSERT_TRUE(openComparisonSurface(model, ui, shiftedGrid(), std::string("PNEZD")));
    stepUntilReady();
    const auto finish = [&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        std::optional<FinishedVolumes> got;
        while (!(got = adoptFinishedVolumes(model, ui)) && model.work.volumes.job.active() &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return got;
    };
    const VolumeQuestion againstSurface{std::nullopt, 0.0};

    // Esc, or an edit of the site's points, drops the run: nothing is shown.
    ASSERT_TRUE(startVolumes(model, ui, againstSurface, VolumeUse::Report));
    EXPECT_EQ(volumeProgressMessage(model), "Computing Volumes");
    handleKey(model, ui, vk::Escape);
    EXPECT_FALSE(volumeProgressMessage(model));
    EXPECT_FALSE(finish());
    ASSERT_TRUE(startVolumes(model, ui, againstSurface, VolumeUse::Report));
    changePoint(model, 60, model.document.points[60].elevation + 2, "G", true);
    EXPECT_FALSE(finish());
    EXPECT_TRUE(ui.messages.empty());

    // A finished run gives what the command line computes on the same surfaces.
    buildSurfaceToCompletion(model, ui);
    ASSERT_TRUE(startVolumes(model, ui, againstSurface, VolumeUse::SaveIsopach));
    const std::optional<FinishedVolumes> got = finish();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->use, VolumeUse::SaveIsopach);
    const std::optional<VolumeTotals> direct =
        compareSiteVolumes(model, model.comparison.surface.get(), VolumeRequest{});
    ASSERT_TRUE(direct);
    EXPECT_GT(direct->area, 0);
    EXPECT_EQ(volumeReport(got->totals), volumeReport(*direct));

    // Against a datum: the figures, and the cut/fill view now compares with that level.
    ASSERT_TRUE(startVolumes(model, ui, VolumeQuestion{103.0, 0.0}, VolumeUse::Report));
    const std::optional<FinishedVolumes> level = finish();
    ASSERT_TRUE(level);
    VolumeRequest request;
    request.datum = 103.0;
    EXPECT_EQ(volumeReport(level->totals), volumeReport(*compareSiteVolumes(model, nullptr, request)));
    EXPECT_EQ(model.comparison.datum, 103.0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ComparisonFixture, AnElevationGridIsBuiltAsAComparisonAsAnyFileIs) {
    // A level grid at 104 over the whole site, its cells centred on the site's points.
    std::string grid = "ncols 11\nnrows 11\nxllcorner 5950\nyllcorner 4950\ncellsize 100\n";
    for (int row = 0; row < 11; ++row)
        for (int column = 0; column < 11; ++column) grid += column == 10 ? "104\n" : "104 ";
    ASSERT_TRUE(openComparisonSurface(model, ui, dir.write("level.asc", grid)));
    stepUntilReady();
    ASSERT_TRUE(comparisonSurfaceReady(model));
    EXPECT_EQ(model.comparison.surface->document.pointFileFormat, PointFileFormat::ElevationRaster);
    // The same figures as the level itself.
    VolumeRequest level;
    level.datum = 104.0;
    const std::optional<VolumeTotals> against = compareSiteVolumes(model, model.comparison.surface.get(), {});
    const std::optional<VolumeTotals> datum = compareSiteVolumes(model, nullptr, level);
    ASSERT_TRUE(against && datum);
    EXPECT_NEAR(against->cut, datum->cut, 1e-6);
    EXPECT_NEAR(against->fill, datum->fill, 1e-6);
    EXPECT_NEAR(against->area, 1e6, 1e-6);
    EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();
}

}  // namespace
}  // namespace vellacor
