#include "render/surface_textures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>

#include "camera/vector_math.h"
#include "render/frame_buffer.h"
#include "render/frame_projection.h"
#include "render/scene.h"
#include "render/vertex_normals.h"
#include "support/grid_surface.h"

namespace vellacor {
namespace {

// A 64 x 64 picture in four quadrants, so a pixel tells which part of the
// picture it came from.
constexpr std::uint8_t kTopLeft = 10, kTopRight = 20, kBottomLeft = 30, kBottomRight = 40;

Texture quadrantPicture() {
    Texture t;
    t.width = t.height = 64;
    t.pixels.resize(64 * 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            t.pixels[static_cast<std::size_t>(y * 64 + x)] =
                y < 32 ? (x < 32 ? kTopLeft : kTopRight) : (x < 32 ? kBottomLeft : kBottomRight);
    return t;
}

std::uint8_t quadrantColour(bool right, bool top) {
    return top ? (right ? kTopRight : kTopLeft) : (right ? kBottomRight : kBottomLeft);
}

// A 20 x 20 plane z = 100 + gx*x + gy*y in two triangles, seen from the south
// and above, with every vertex normal the plane's own.
struct TexturedPlane : ::testing::Test {
    SiteDocument site;
    RendererState state;
    Camera camera;
    SiteExtents extents{{10, 10, 100}, 20.0, 100.0, 100.0};

    void build(double gx, double gy) {
        site.points.clear();
        for (const auto& [x, y] : {std::array<double, 2>{0, 0}, {20, 0}, {0, 20}, {20, 20}}) {
            SurveyPoint p;
            p.easting = x, p.northing = y, p.elevation = 100 + gx * x + gy * y;
            site.points.push_back(p);
        }
        site.pointCount = 4;
        site.triangles.clear();
        testing::addFacedTriangle(site, 0, 1, 3);
        testing::addFacedTriangle(site, 0, 3, 2);
        const Vec3 n = normalise({-gx, -gy, 1});
        setVertexNormals(state, VertexNormals(2, {n, n, n}));

        resizeFrameBuffer(state.frame, 160, 120, state.palette[0]);
        camera.eye = {10, -20, 180};
        camera.direction = normalise(Vec3{0, 30, -80});
        camera.BuildView(1.0, state.frame.viewWidth, state.frame.viewHeight);
        clearSceneBuffers(state.frame);
        transformPoints(state, site.points, camera.view);
    }

    void draw(SurfaceMode mode) { drawSurfaceLayer(state, surfaceOf(site), camera, mode, extents, false); }

    ProjectedPoint screenOf(const Vec3& p) const { return project(state.frame, transformPoint(p, camera.view)); }
    std::uint8_t sceneAt(const ProjectedPoint& q) const {
        const FrameBuffer& f = state.frame;
        return f.sceneBuffer[static_cast<std::size_t>(static_cast<int>(q.y) * f.viewWidth + static_cast<int>(q.x))];
    }
    // How many pixels of each colour the surface drew.
    std::map<int, int> surfaceColours() const {
        std::map<int, int> count;
        const FrameBuffer& f = state.frame;
        for (std::size_t i = 0; i < f.sceneBuffer.size(); ++i)
            if (f.depthBuffer[i] != 0.0) ++count[f.sceneBuffer[i]];
        return count;
    }
};

TEST_F(TexturedPlane, NormalTextureShowsThePartOfThePictureTheFaceIsTurnedTowards) {
    // A plane leaning each of four ways: its normal's direction on the screen
    // picks the quadrant, as on a ball facing the viewer.
    for (const auto& [gx, gy] : {std::array<double, 2>{-0.8, -0.8}, {0.8, -0.8}, {-0.8, 0.8}, {0.8, 0.8}}) {
        state.texture = quadrantPicture();
        build(gx, gy);
        draw(SurfaceMode::NormalTexture);
        const Vec3 centre{10, 10, 100};
        const Vec3 normal = normalise({-gx, -gy, 1});
        const ProjectedPoint a = screenOf(centre), b = screenOf(centre + normal);
        const std::uint8_t expected = quadrantColour(b.x > a.x, b.y < a.y);
        const std::map<int, int> colours = surfaceColours();
        ASSERT_FALSE(colours.empty());
        EXPECT_EQ(colours.begin()->first, expected) << gx << "," << gy;
        EXPECT_EQ(colours.size(), 1u) << gx << "," << gy;
    }
}

TEST_F(TexturedPlane, SwirlLaysThePictureBehindAndTurnsItUnmirroredOverTheSurface) {
    state.texture = quadrantPicture();
    build(0, 0);
    state.redrawNeeded = false;
    draw(SurfaceMode::SwirlTexture);
    // Behind: the picture stretched over the frame the right way up.
    const FrameBuffer& f = state.frame;
    auto at = [&](int x, int y) { return f.sceneBuffer[static_cast<std::size_t>(y * f.viewWidth + x)]; };
    EXPECT_EQ(at(0, 0), kTopLeft);
    EXPECT_EQ(at(f.clientWidth - 1, 0), kTopRight);
    EXPECT_EQ(at(0, f.viewHeight - 1), kBottomLeft);
    EXPECT_EQ(at(f.clientWidth - 1, f.viewHeight - 1), kBottomRight);
    // On the surface: north-east of the centre is the picture's top right, and so on.
    EXPECT_EQ(sceneAt(screenOf({14, 14, 100})), kTopRight);
    EXPECT_EQ(sceneAt(screenOf({6, 14, 100})), kTopLeft);
    EXPECT_EQ(sceneAt(screenOf({6, 6, 100})), kBottomLeft);
    EXPECT_EQ(sceneAt(screenOf({14, 6, 100})), kBottomRight);
    // The turn goes on: each rebuild moves it and asks for the next.
    EXPECT_TRUE(state.redrawNeeded);
    const double phase = state.swirlPhase;
    draw(SurfaceMode::SwirlTexture);
    EXPECT_LT(state.swirlPhase, phase);
}

TEST_F(TexturedPlane, ImageOnlyShowsThePictureAndTheSurfaceDrawsNothing) {
    state.texture = quadrantPicture();
    build(0, 0);
    draw(SurfaceMode::ImageOnly);
    EXPECT_TRUE(surfaceColours().empty());  // no depth written anywhere
    std::vector<std::uint8_t> expected(state.frame.sceneBuffer.size(), kBackgroundColour);
    stretchImage(state.texture, expected.data(), state.frame.clientWidth, state.frame.viewHeight,
                 state.frame.viewWidth);
    EXPECT_EQ(state.frame.sceneBuffer, expected);
}

}  // namespace
}  // namespace vellacor
