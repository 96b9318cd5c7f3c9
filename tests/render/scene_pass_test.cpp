#include "render/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "camera/vector_math.h"
#include "render/cut_fill_draw.h"
#include "render/frame_buffer.h"
#include "render/light.h"
#include "render/palette.h"
#include "render/vertex_normals.h"
#include "support/grid_surface.h"

namespace vellacor {
namespace {

TEST(ScenePasses, SurfaceModesFallBackToFlatUntilWhatTheyNeedIsThere) {
    EXPECT_EQ(drawableSurfaceMode(SurfaceMode::Smooth, false, true), SurfaceMode::Flat);
    EXPECT_EQ(drawableSurfaceMode(SurfaceMode::Smooth, true, false), SurfaceMode::Smooth);
    EXPECT_EQ(drawableSurfaceMode(SurfaceMode::NormalTexture, true, false), SurfaceMode::Flat);
    EXPECT_EQ(drawableSurfaceMode(SurfaceMode::ImageOnly, false, true), SurfaceMode::ImageOnly);
    EXPECT_EQ(drawableSurfaceMode(SurfaceMode::Elevation, false, false), SurfaceMode::Elevation);
    EXPECT_EQ(surfaceModeFromInt(9), std::nullopt);
    EXPECT_EQ(surfaceModeFromInt(8), SurfaceMode::CutFill);
    EXPECT_EQ(surfaceModeFromInt(6), SurfaceMode::Water);
}

// The grid surface seen from the south, above it.
struct SurfacePass : ::testing::Test {
    SiteDocument site;
    RendererState state;
    Camera camera;

    void SetUp() override {
        testing::makeGridSurface(site);
        resizeFrameBuffer(state.frame, 120, 90, state.palette[0]);
        state.light = std::make_unique<Light>();
        camera.eye = {15, -40, 160};
        camera.direction = normalise(Vec3{0, 1, -1});
        camera.BuildView(1.0, state.frame.viewWidth, state.frame.viewHeight);
        state.light->position = camera.eye;
        clearSceneBuffers(state.frame);
        transformPoints(state, std::span<SurveyPoint>(site.points).first(16), camera.view);
    }

    // Looks from `eye` and places the points.
    void lookFrom(const Vec3& eye) {
        camera.eye = eye;
        camera.BuildView(1.0, state.frame.viewWidth, state.frame.viewHeight);
        transformPoints(state, std::span<SurveyPoint>(site.points).first(16), camera.view);
    }

    // The picture and depths of one fill of every triangle in `mode`.
    std::pair<std::vector<std::uint8_t>, std::vector<double>> wholeFill(SurfaceMode mode) {
        clearSceneBuffers(state.frame);
        drawSurfaceLayer(state, surfaceOf(site), camera, mode, {}, false);
        return {state.frame.sceneBuffer, state.frame.depthBuffer};
    }

    int drawn() const {
        return static_cast<int>(std::count_if(state.frame.sceneBuffer.begin(), state.frame.sceneBuffer.end(),
                                              [](std::uint8_t c) { return c != kBackgroundColour; }));
    }
};

TEST_F(SurfacePass, FlatColoursGoToTheRenderersOwnArray) {
    drawSurfaceLayer(state, surfaceOf(site), camera, SurfaceMode::Flat, {}, false);
    ASSERT_EQ(state.flatColours.size(), 18u);
    for (std::uint8_t c : state.flatColours) {
        EXPECT_GE(c, 26);
        EXPECT_LE(c, 155);
    }
    EXPECT_GT(drawn(), 100);
    EXPECT_TRUE(state.sceneCornersFresh);
    EXPECT_EQ(state.sceneCorners.corners.size(), 18u);

    // A rebuild whose contour lines are kept needs no corner cache: the same
    // picture, and the cache is let go rather than left stale.
    const std::vector<std::uint8_t> withCache = state.frame.sceneBuffer;
    state.sceneCornersFresh = false;
    clearSceneBuffers(state.frame);
    transformPoints(state, std::span<SurveyPoint>(site.points).first(16), camera.view, false);
    drawSurfaceLayer(state, surfaceOf(site), camera, SurfaceMode::Flat, {}, false, nullptr,
                     {0, std::numeric_limits<int>::max(), true, false});
    EXPECT_EQ(state.frame.sceneBuffer, withCache);
    EXPECT_FALSE(state.sceneCornersFresh);
    EXPECT_TRUE(state.sceneCorners.corners.empty());
    EXPECT_TRUE(state.sceneCorners.elevations.empty());
}

// Triangle outlines drawn from the rebuild's placements are the lines
// clipped and placed in camera space, from afar and from close by, where
// edges leave the view.
TEST_F(SurfacePass, TriangleOutlinesFromThePlacementsAreTheClippedLines) {
    DisplaySwitches display;
    display.surfaceMode = SurfaceMode::Off;
    display.showTriangles = true;
    for (const Vec3& eye : {Vec3{15, -40, 160}, Vec3{12, 2, 118}}) {
        lookFrom(eye);
        clearSceneBuffers(state.frame);
        drawOverlayLayer(state, surfaceOf(site), camera.view, display, false, 30.0, {});
        const std::vector<std::uint8_t> placed = state.frame.sceneBuffer;
        EXPECT_GT(drawn(), 50);
        placeAsDrawn(state, camera.view);
        clearSceneBuffers(state.frame);
        drawOverlayLayer(state, surfaceOf(site), camera.view, display, false, 30.0, {});
        EXPECT_EQ(state.frame.sceneBuffer, placed) << eye.x << "," << eye.y << "," << eye.z;
    }
}

TEST_F(SurfacePass, SmoothSurfaceShadesFromTheAdoptedNormals) {
    VertexNormals up(18, {Vec3{0, 0, 1}, Vec3{0, 0, 1}, Vec3{0, 0, 1}});
    setVertexNormals(state, up);
    drawSurfaceLayer(state, surfaceOf(site), camera, SurfaceMode::Smooth, {}, false);
    EXPECT_GT(drawn(), 100);
    EXPECT_GE(state.shades[4].shade[1], 16.0);
    EXPECT_LE(state.shades[4].shade[1], 229.0);
}

// Two threads fill the two halves of the frame: together they must give the
// picture and depths of one fill, wherever the split falls, for triangles
// wholly in view and for those clipped at its edges.
TEST_F(SurfacePass, HalvesFilledApartGiveTheWholeFill) {
    VertexNormals up(18, {Vec3{0, 0, 1}, Vec3{0, 0, 1}, Vec3{0, 0, 1}});
    setVertexNormals(state, up);
    for (const Vec3 eye : {Vec3{15, -40, 160}, Vec3{15, 5, 125}}) {  // whole, then cut by the view's edges
        lookFrom(eye);
        for (const SurfaceMode mode : {SurfaceMode::Flat, SurfaceMode::Smooth}) {
            const auto [wholePixels, wholeDepths] = wholeFill(mode);
            ASSERT_GT(drawn(), 100);
            for (int split = 0; split <= state.frame.viewHeight; ++split) {
                clearSceneBuffers(state.frame);
                state.sceneCorners.corners.clear();
                drawSurfaceLayer(state, surfaceOf(site), camera, mode, {}, false, nullptr, {0, split, true});
                drawSurfaceLayer(state, surfaceOf(site), camera, mode, {}, false, nullptr,
                                 {split, std::numeric_limits<int>::max(), false});
                ASSERT_EQ(state.frame.sceneBuffer, wholePixels) << "split at row " << split;
                ASSERT_EQ(state.frame.depthBuffer, wholeDepths) << "split at row " << split;
                ASSERT_EQ(state.sceneCorners.corners.size(), 18u);

                // Again with the shading made beforehand and the upper pass
                // handing the lower one only the triangles reaching its rows.
                ShadingProgress shading;
                sizeSurfaceShading(state, 18, mode);
                prepareSurfaceShading(state, surfaceOf(site), camera.eye, mode, {}, &shading);
                std::vector<std::int32_t> room(18);
                HandedTriangles handed;
                handed.indices = room;
                handed.fromRow = split;
                SurfaceRows upper{0, split, true};
                upper.handTo = &handed;
                SurfaceRows lower{split, std::numeric_limits<int>::max(), false};
                lower.handedFrom = &handed;
                clearSceneBuffers(state.frame);
                drawSurfaceLayer(state, surfaceOf(site), camera, mode, {}, false, &shading, upper);
                handed.publishAll();
                drawSurfaceLayer(state, surfaceOf(site), camera, mode, {}, false, &shading, lower);
                ASSERT_EQ(state.frame.sceneBuffer, wholePixels) << "handed on, split at row " << split;
                ASSERT_EQ(state.frame.depthBuffer, wholeDepths) << "handed on, split at row " << split;
                if (split == state.frame.viewHeight && mode == SurfaceMode::Flat && eye.y < 0) {
                    EXPECT_EQ(handed.count, 0);  // all in view, none reaching below the frame
                }
            }
        }
    }
}

// On a huge surface the two threads fill half the triangles each, the second
// into a frame of its own laid over the first: wherever the triangles are
// split, that gives the picture and depths of one fill, also where a ridge
// hides the ground behind it and where triangles meet on shared edges.
TEST_F(SurfacePass, TrianglesFilledApartAndLaidOverGiveTheWholeFill) {
    // Each triangle again, wound the other way: the same pixels at the same
    // depths in another colour, so which of two equal depths wins shows.
    for (int t = 0; t < 18; ++t) {
        TinTriangle twin = site.triangles[static_cast<std::size_t>(t)];
        std::swap(twin.vertex[1], twin.vertex[2]);
        site.triangles.push_back(twin);
    }
    site.triangleCount = 36;
    VertexNormals up(36, {Vec3{0, 0, 1}, Vec3{0, 0, 1}, Vec3{0, 0, 1}});
    setVertexNormals(state, up);
    FrameBuffer second;
    // From the south above, cut by the view's edges, and low from the west across the ridge.
    for (const Vec3 eye : {Vec3{15, -40, 160}, Vec3{15, 5, 125}, Vec3{-25, 15, 112}}) {
        if (eye.x < 0) camera.direction = normalise(Vec3{15, 15, 104} - eye);
        lookFrom(eye);
        for (const SurfaceMode mode : {SurfaceMode::Flat, SurfaceMode::Smooth}) {
            const auto [wholePixels, wholeDepths] = wholeFill(mode);
            ASSERT_GT(drawn(), 100);
            for (int split = 0; split <= 36; ++split) {
                clearSceneBuffers(state.frame);
                prepareSecondFill(second, state.frame);
                clearSceneBuffers(second);
                const int all = std::numeric_limits<int>::max();
                drawSurfaceLayer(state, surfaceOf(site), camera, mode, {}, false, nullptr,
                                 {0, all, true, false, 0, split});
                drawSurfaceLayer(state, surfaceOf(site), camera, mode, {}, false, nullptr,
                                 {0, all, false, false, split, all, &second});
                const int middleRow = split * state.frame.viewHeight / 36;  // the two threads lay over a half each
                takeNearerPixels(state.frame, second, 0, middleRow);
                takeNearerPixels(state.frame, second, middleRow, state.frame.viewHeight);
                ASSERT_EQ(state.frame.sceneBuffer, wholePixels) << "split at triangle " << split;
                ASSERT_EQ(state.frame.depthBuffer, wholeDepths) << "split at triangle " << split;
            }
        }
    }
}

// The cut/fill view's colours and zero line on the small grid surface.
struct Pieces : ContourLineSink {
    std::vector<std::pair<Vec3, Vec3>> lines;
    void line(const Vec3& from, const Vec3& to, std::uint8_t) override { lines.push_back({from, to}); }
};

// The difference as a function of plan x at every grid point.
template <class F>
std::vector<double> differenceBy(const SiteDocument& d, F f) {
    std::vector<double> out;
    for (int i = 0; i < d.pointCount; ++i) out.push_back(f(d.points[static_cast<std::size_t>(i)].easting));
    return out;
}

double planLength(const Pieces& p) {
    double total = 0;
    for (const auto& [a, b] : p.lines) total += std::hypot(b.x - a.x, b.y - a.y);
    return total;
}

TEST(CutFillDraw, ZeroLineCrossesWhereTheDifferenceDoesOnceAlongTiedCorners) {
    SiteDocument d;
    testing::makeGridSurface(d);
    const SurfaceView surface = surfaceOf(d);

    Pieces between;  // d = x - 15: a straight line between the grid's columns
    traceZeroLine(surface, differenceBy(d, [](double x) { return x - 15; }), between, 0);
    EXPECT_EQ(between.lines.size(), 6u);
    for (const auto& [a, b] : between.lines) {
        EXPECT_DOUBLE_EQ(a.x, 15.0);
        EXPECT_DOUBLE_EQ(b.x, 15.0);
    }
    EXPECT_NEAR(planLength(between), 30.0, 1e-12);
    // The line lies on the site, halfway up the ridge's flank at x = 15.
    const auto& [a, b] = between.lines.front();
    EXPECT_NEAR(a.z - (100.0 + 4.0 + 0.5 * (a.y / 10) * (a.y / 10)), 0.0, 0.5 * 1.0);

    Pieces tied;  // d = x - 10: zero on a whole column of corners, drawn there once
    traceZeroLine(surface, differenceBy(d, [](double x) { return x - 10; }), tied, 0);
    EXPECT_NEAR(planLength(tied), 30.0, 1e-12);
    for (const auto& [p, q] : tied.lines) EXPECT_TRUE(p.x == 10.0 && q.x == 10.0);

    Pieces blunder;  // a corner with no comparison: its triangles carry no line
    std::vector<double> holed = differenceBy(d, [](double x) { return x - 15; });
    holed[1] = std::nan("");
    traceZeroLine(surface, holed, blunder, 0);
    EXPECT_EQ(blunder.lines.size(), 4u);
}

TEST(CutFillDraw, ShadesRunFromDeepestFillToDeepestCutAndGreyOffTheComparison) {
    SiteDocument d;
    testing::makeGridSurface(d);
    const SurfaceView surface = surfaceOf(d);
    std::vector<double> diff = differenceBy(d, [](double x) { return x - 15; });  // -15 .. 15
    diff[15] = std::nan("");  // the corner (30, 30)
    std::vector<TriangleShade> shades(static_cast<std::size_t>(surface.triangleCount));
    cutFillShade(surface, diff, 10.0, shades);
    for (int i = 0; i < surface.triangleCount; ++i) {
        const TinTriangle& t = surface.triangle(i);
        const bool holed = t.vertex[0] == 15 || t.vertex[1] == 15 || t.vertex[2] == 15;
        for (int k = 0; k < 3; ++k) {
            const double x = d.points[static_cast<std::size_t>(t.vertex[k])].easting;
            const double expected = holed ? kCutFillNeutralColour
                                          : std::clamp(kCutFillZeroShade + (x - 15) / 10 * 99.5, 16.0, 215.0);
            EXPECT_DOUBLE_EQ(shades[static_cast<std::size_t>(i)].shade[k], expected) << i << " " << k;
        }
    }
    // Cut is red, fill blue, zero pale, in the palette the view shows.
    const Palette& p = cutFillPalette();
    EXPECT_GT(redOf(p[kCutFillRampLast]), 2 * blueOf(p[kCutFillRampLast]));
    EXPECT_GT(blueOf(p[kSurfaceRampFirst]), 2 * redOf(p[kSurfaceRampFirst]));
    EXPECT_GT(greenOf(p[115]), 200);
}

}  // namespace
}  // namespace vellacor
