#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "app/document.h"
#include "app/pipeline.h"
#include "app/render_frame.h"
#include "app/site_model.h"
#include "app/view_settings.h"
#include "surface/contour_levels.h"
#include "render/frame_buffer.h"
#include "render/palette.h"
#include "support/fake_ui.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

// A moving frame of a large surface draws its coarser versions; the still
// frame after it draws the whole surface as before. The two differ little,
// and the coarser one shows no sky through the ground.
void expectMovingFrameLooksLikeStill(SiteModel& model, testing::FakeUi& ui) {
    buildSurfaceToCompletion(model, ui);
    resizeFrameBuffer(model, 320, 180);
    createFrameBitmap(model.renderer.frame, model.renderer.palette[0]);
    RendererState& r = model.renderer;
    std::atomic<bool> cancelled{false};
    std::atomic<double> progress{0.0};
    DetailSurface detail;
    ASSERT_TRUE(buildDetailSurface(surfaceOf(model.document), detail, JobControl(cancelled, progress), 1));
    ASSERT_GE(detail.levels.size(), 2u) << model.document.triangleCount;
    r.detail = std::make_shared<const DetailSurface>(std::move(detail));
    r.detailMade = true;

    OverlayTextList overlay;
    auto frame = [&](bool moving) {
        r.redrawNeeded = true;
        renderFrame(model, moving, overlay);
        return r.frame.displayBits;
    };
    const std::vector<std::uint8_t> still = frame(false);
    EXPECT_FALSE(r.drawingDetail);
    const std::vector<std::uint8_t> moving = frame(true);
    ASSERT_TRUE(r.drawingDetail);
    EXPECT_LT(r.detailFrame.triangles.size(), static_cast<std::size_t>(model.document.triangleCount) / 4);

    const int width = r.frame.viewWidth, height = r.frame.viewHeight;
    auto at = [&](const std::vector<std::uint8_t>& bits, int x, int y) {
        return bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(r.frame.clientWidth) + static_cast<std::size_t>(x)];
    };
    int differing = 0, ground = 0, holes = 0;
    for (int y = 1; y + 1 < height; ++y)
        for (int x = 1; x + 1 < width; ++x) {
            const int a = at(still, x, y), b = at(moving, x, y);
            ground += a != kBackgroundColour ? 1 : 0;
            differing += std::abs(a - b) > 1 ? 1 : 0;
            // Sky in the moving frame where the ground is all round it.
            if (b == kBackgroundColour && a != kBackgroundColour && at(moving, x - 1, y) != kBackgroundColour &&
                at(moving, x + 1, y) != kBackgroundColour && at(moving, x, y - 1) != kBackgroundColour &&
                at(moving, x, y + 1) != kBackgroundColour)
                ++holes;
        }
    EXPECT_GT(ground, width * height / 8);
    EXPECT_LT(differing, 0.03 * width * height) << differing << " of " << width * height;
    EXPECT_EQ(holes, 0);

    // At rest again, the whole surface, pixel for pixel.
    EXPECT_EQ(frame(false), still);
    EXPECT_FALSE(r.drawingDetail);

    // Contours while moving: traced from the versions once, then drawn from
    // what was kept, the same lines.
    model.display.showContours = true;
    const std::vector<std::uint8_t> traced = frame(true);
    ASSERT_TRUE(r.drawingDetail);
    EXPECT_GT(std::count(traced.begin(), traced.end(), std::uint8_t{kMinorContour}), 100);
    EXPECT_EQ(frame(true), traced);
}

TEST(MovingDetail, RandomPointsOverRollingGround) {
    testing::TempDir dir;
    testing::FakeUi ui;
    SiteModel model;
    std::string text;
    std::mt19937 random(17);
    std::uniform_real_distribution<double> unit(0.0, 1000.0);
    for (int i = 0; i < 150'000; ++i) {
        const double x = unit(random), y = unit(random);
        const double z = 120.0 + 15.0 * std::sin(x / 140.0) * std::cos(y / 190.0) + 0.01 * x;
        char line[96];
        std::snprintf(line, sizeof line, "%.3f,%.3f,%.3f\n", 500000.0 + x, 4000000.0 + y, z);
        text += line;
    }
    ASSERT_EQ(openDocument(model, ui, dir.write("site.xyz", text)), OpenResult::Loaded);
    expectMovingFrameLooksLikeStill(model, ui);
}

// Real ground: a quarter of an SRTM tile's heights, triangulated as points.
TEST(MovingDetail, AQuarterOfAnSrtmTile) {
    const std::string tile = testing::sharedData("hgt/N57E011.hgt");
    if (tile.empty()) GTEST_SKIP() << "the shared real files are not beside the project";
    testing::TempDir dir;
    testing::FakeUi ui;
    SiteModel model;
    ASSERT_EQ(openDocument(model, ui, tile), OpenResult::Loaded);
    const SiteDocument& d = model.document;
    const double midX = d.siteCentre.x, midY = d.siteCentre.y;
    std::string text;
    for (int i = 0; i < d.pointCount; ++i) {
        const SurveyPoint& p = d.points[static_cast<std::size_t>(i)];
        if (p.easting > midX || p.northing > midY) continue;
        char line[96];
        std::snprintf(line, sizeof line, "%.3f,%.3f,%.3f\n", p.easting, p.northing, p.elevation);
        text += line;
    }
    SiteModel points;
    ASSERT_EQ(openDocument(points, ui, dir.write("quarter.xyz", text)), OpenResult::Loaded);
    expectMovingFrameLooksLikeStill(points, ui);
}

}  // namespace
}  // namespace vellacor
