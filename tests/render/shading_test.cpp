#include "render/shading.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "camera/camera.h"
#include "camera/vector_math.h"
#include "model/site_document.h"
#include "render/light.h"
#include "render/light_glow.h"
#include "render/rgb_image.h"
#include "render/vertex_normals.h"
#include "surface/tin_geometry.h"
#include "support/grid_surface.h"

namespace vellacor {
namespace {

using testing::makeGridSurface;

// The pairwise scan over all later triangles that the vertex lists replace.
VertexNormals pairwiseNormals(const VertexNormalInput& in) {
    const double c = std::cos(in.gradeBreakAngle * 0.017453292519943295);
    const std::size_t n = in.vertices.size();
    VertexNormals out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = {in.faceNormals[i], in.faceNormals[i], in.faceNormals[i]};
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t v = 0; v < 3; ++v) {
            for (std::size_t j = i + 1; j < n; ++j)
                for (std::size_t m = 0; m < 3; ++m)
                    if (in.vertices[j][m] == in.vertices[i][v] &&
                        std::fabs(dot(in.faceNormals[i], in.faceNormals[j])) >= c) {
                        out[i][v] += in.faceNormals[j];
                        out[j][m] += in.faceNormals[i];
                    }
            out[i][v] = normalise(out[i][v]);
        }
    return out;
}

TEST(VertexNormals, SameAsThePairwiseScanAtEveryGradeBreak) {
    SiteDocument d;
    makeGridSurface(d);
    std::atomic<bool> cancelled{false};
    std::atomic<double> progress{0};
    const JobControl control(cancelled, progress);
    int creases = 0;
    for (double angle : {0.0, 5.0, 90.0}) {
        const VertexNormalInput in = vertexNormalInput(surfaceOf(d), angle);
        VertexNormals fast;
        ASSERT_TRUE(computeVertexNormals(in, fast, control));
        const VertexNormals slow = pairwiseNormals(in);
        for (std::size_t i = 0; i < fast.size(); ++i)
            for (std::size_t k = 0; k < 3; ++k) {
                EXPECT_DOUBLE_EQ(fast[i][k].x, slow[i][k].x);
                EXPECT_DOUBLE_EQ(fast[i][k].y, slow[i][k].y);
                EXPECT_DOUBLE_EQ(fast[i][k].z, slow[i][k].z);
                if (angle == 5.0) creases += dot(fast[i][k], in.faceNormals[i]) > 1.0 - 1e-12;
            }
    }
    EXPECT_GT(creases, 0);  // the ridge keeps its edge at a small grade break
    cancelled = true;
    VertexNormals none;
    EXPECT_FALSE(computeVertexNormals(vertexNormalInput(surfaceOf(d), 30), none, control));
}

TEST(VertexNormals, AResultIsForTheSurfaceItWasCopiedFrom) {
    SiteDocument d;
    makeGridSurface(d);
    const VertexNormalInput in = vertexNormalInput(surfaceOf(d), 30);
    EXPECT_TRUE(surfaceUnchanged(surfaceOf(d), in));
    SurveyPoint& corner = d.points[static_cast<std::size_t>(d.triangles[3].vertex[1])];
    corner.elevation += 0.5;  // the same triangles, one of them tilted
    EXPECT_FALSE(surfaceUnchanged(surfaceOf(d), in));
    corner.elevation -= 0.5;
    EXPECT_TRUE(surfaceUnchanged(surfaceOf(d), in));
    d.triangleCount -= 1;
    EXPECT_FALSE(surfaceUnchanged(surfaceOf(d), in));
}

TEST(Shading, FlatShadeStaysWithinTheRamp) {
    Light light;
    int lowest = 999, highest = 0;
    for (LightMode mode : {LightMode::Headlamp, LightMode::Circling})
        for (double a = 0; a < 6.3; a += 0.3)
            for (double b = 0; b < 3.2; b += 0.2) {
                light.lightMode = mode;
                light.position = Spherical(a, b) * 50.0;
                const int c = flatShade(light, {0, 0, 0}, Spherical(b, a));
                lowest = std::min(lowest, c);
                highest = std::max(highest, c);
            }
    EXPECT_EQ(lowest, 26);
    EXPECT_EQ(highest, 155);
    light.lightMode = LightMode::Headlamp;
    light.position = {0, 0, 10};
    EXPECT_EQ(flatShade(light, {0, 0, 0}, {0, 0, 1}), 134);  // 0.65 * 0.85 * 214 + 16
    light.position = {0, 0, 0};
    EXPECT_EQ(flatShade(light, {0, 0, 0}, {0, 0, -1}), 134);  // light at the face: straight down
}

// The frame's flat colours come from the corners by a shorter sum; it must
// give flatShade's index from the centroid and unit normal on every kind of
// triangle, and where the light sits right on a step between two colours.
TEST(Shading, FlatShadeFromTheCornersIsTheCentroidAndNormalIndex) {
    auto exact = [](const Light& l, const Vec3& a, const Vec3& b, const Vec3& c) {
        return flatShade(l, triangleCentroid(a, b, c), triangleNormal(a, b, c));
    };
    Light light;
    std::uint64_t seed = 12345;
    auto random = [&seed] {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(seed >> 11) * 0x1.0p-53;
    };
    int compared = 0;
    // A frame's colours are worked out by flatShadeRange, two triangles at a
    // time and the odd one alone: each must get its own index whatever its
    // partner, a triangle near a step beside one that is not included.
    auto rangeMatches = [&](const std::vector<std::array<Vec3, 3>>& corners) {
        std::vector<SurveyPoint> points;
        std::vector<TinTriangle> triangles(corners.size());
        for (std::size_t t = 0; t < corners.size(); ++t)
            for (int k = 0; k < 3; ++k) {
                SurveyPoint p;
                p.easting = corners[t][static_cast<std::size_t>(k)].x;
                p.northing = corners[t][static_cast<std::size_t>(k)].y;
                p.elevation = corners[t][static_cast<std::size_t>(k)].z;
                triangles[t].vertex[k] = static_cast<std::int32_t>(points.size());
                points.push_back(p);
            }
        SurfaceView surface;
        surface.points = points;
        surface.pointCount = static_cast<int>(points.size());
        surface.triangles = triangles;
        surface.triangleCount = static_cast<int>(triangles.size());
        std::vector<std::uint8_t> colours(triangles.size());
        flatShadeRange(light, surface, colours, 0, surface.triangleCount);
        for (std::size_t t = 0; t < corners.size(); ++t)
            if (colours[t] != exact(light, corners[t][0], corners[t][1], corners[t][2])) return false;
        return true;
    };
    for (LightMode mode : {LightMode::Headlamp, LightMode::Circling}) {
        light.lightMode = mode;
        // Grid cells far out on a national grid: flat ties, a wall, a
        // sliver with no area, a blunder spike, and the light on a centroid.
        const Vec3 o{612345.125, 5801234.5, 101.25};
        const std::vector<std::array<Vec3, 3>> kinds = {
            {o, o + Vec3{1, 0, 0}, o + Vec3{0, 1, 0}},         {o, o + Vec3{1, 0, 0}, o + Vec3{1, 0, 2}},
            {o, o + Vec3{1, 1, 0}, o + Vec3{2, 2, 5}},         {o, o, o + Vec3{0, 1, 0}},
            {o, o + Vec3{1, 0, 0.5}, o + Vec3{0, 1, 9999.0}},  {o, o + Vec3{0, 1, 0}, o + Vec3{1, 0, 0}},
        };
        for (const auto& k : kinds) {
            for (int i = 0; i < 500; ++i) {
                light.position = o + Vec3{random() - 0.5, random() - 0.5, random() - 0.2} * 400.0;
                EXPECT_EQ(flatShadeOfCorners(light, k[0], k[1], k[2]), exact(light, k[0], k[1], k[2]));
                if (i % 50 == 0) {
                    EXPECT_TRUE(rangeMatches(kinds));
                }
                ++compared;
            }
            light.position = triangleCentroid(k[0], k[1], k[2]);
            EXPECT_EQ(flatShadeOfCorners(light, k[0], k[1], k[2]), exact(light, k[0], k[1], k[2]));
        }
        // Random triangles under random lights.
        for (int i = 0; i < 20000; ++i) {
            auto corner = [&] { return Vec3{random() * 100, random() * 100, random() * 20}; };
            const Vec3 a = corner(), b = corner(), c = corner();
            light.position = Vec3{random() * 400 - 150, random() * 400 - 150, random() * 300 - 50};
            ASSERT_EQ(flatShadeOfCorners(light, a, b, c), exact(light, a, b, c)) << i;
        }
        // A level triangle lit at the slants where the index steps from one
        // colour to the next: there the quick sum falls either side.
        const Vec3 a{0, 0, 0}, b{3, 0, 0}, c{0, 3, 0};
        const Vec3 centre = triangleCentroid(a, b, c);
        for (int index = 30; index <= 150; ++index)
            for (const double away : {3.0, 7.0, 13.0}) {
                const double dimming = mode == LightMode::Headlamp ? 0.85 : 1.0;
                const double cosine = ((index - 16.0) / 214.0 / dimming - 0.05) / 0.6;
                if (cosine > 1) continue;
                for (int i = -100; i <= 100; ++i) {
                    const double slant = cosine + i * 1e-17;
                    light.position = centre + Vec3{std::sqrt(1 - slant * slant), 0, slant} * away;
                    ASSERT_EQ(flatShadeOfCorners(light, a, b, c), exact(light, a, b, c)) << index << " " << i;
                    if (i % 20 == 0) {
                        ASSERT_TRUE(rangeMatches({kinds[0], {a, b, c}, {a, b, c}, kinds[2], {a, b, c}}));
                    }
                }
            }
    }
    EXPECT_GT(compared, 5000);
}

TEST(Shading, SmoothShadeCapsAtTheLastRampEntry) {
    SiteDocument d;
    makeGridSurface(d);
    Light light;
    light.lightMode = LightMode::Stationary;
    light.position = {0, 0, 1000};
    std::vector<TriangleShade> shades(d.triangles.size());
    for (TriangleShade& s : shades)
        for (Vec3& n : s.normal) n = {0, 0, 1};
    smoothShade(light, {0, 0, 1000}, surfaceOf(d), shades);
    EXPECT_DOUBLE_EQ(shades[0].shade[0], 229.0);               // full highlight would be 283
    smoothShade(light, {5000, 0, 100}, surfaceOf(d), shades);  // highlight away from the eye
    EXPECT_LT(shades[0].shade[0], 229.0);
    EXPECT_GE(shades[0].shade[0], 16.0 + 0.65 * 214 - 1);
}

TEST(Shading, ElevationShadeSpansTheRampOrIsConstant) {
    SiteDocument d;
    makeGridSurface(d);
    std::vector<TriangleShade> shades(d.triangles.size());
    elevationShade(surfaceOf(d), d.minElevation, d.maxElevation, shades);
    ASSERT_EQ(d.triangles[0].vertex[0], 0);  // the lowest point
    EXPECT_EQ(shades[0].shade[0], 16.0);
    ASSERT_EQ(d.triangles[12].vertex[2], 13);  // the highest point
    EXPECT_EQ(shades[12].shade[2], 215.0);
    elevationShade(surfaceOf(d), d.minElevation, d.minElevation, shades);
    EXPECT_EQ(shades[5].shade[1], kLevelSiteShade);
}

TEST(Light, CirclingLightGoesRoundTheSiteAtACappedStep) {
    Light light;
    light.lightMode = nextLightMode(LightMode::Headlamp);
    const LightSurroundings around{{0, 0, 0}, {1000, 2000, 50}, 100, 2, 0.5};
    EXPECT_TRUE(moveLight(light, around));
    const double angle = 0.03 * 1.15465684983435;
    EXPECT_DOUBLE_EQ(light.angle, angle);
    EXPECT_NEAR(light.position.x, 1000 + 70 * std::cos(angle), 1e-9);
    EXPECT_NEAR(light.position.y, 2000 + 70 * std::sin(angle), 1e-9);
    EXPECT_DOUBLE_EQ(light.position.z, 50 + 25.0 / 2);
    EXPECT_TRUE(light.lightGlowVisible);

    light.lightMode = nextLightMode(nextLightMode(light.lightMode));  // stationary, then headlamp
    EXPECT_FALSE(moveLight(light, {{1, 2, 3}, {}, 100, 1, 0.5}));
    EXPECT_DOUBLE_EQ(light.position.z, 3);
    EXPECT_FALSE(light.lightGlowVisible);
}

// A 200 x 200 view looking north at a light 1000 units ahead: the glow's radius
// is 13.313 * 0.35, about 4.7 pixels, around pixel (99, 98).
class LightGlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        resizeFrameBuffer(frame, 200, 200, Palette{});
        camera.eye = {0, 0, 0};
        camera.direction = normalise({0, 1, -0.01});
        camera.BuildView(1.0, frame.viewWidth, frame.viewHeight);
        light.position = {0, 1000, 0};
        buildPalette(PaletteChoice::Grey, grey);
    }
    std::uint8_t& scene(int x, int y) { return frame.sceneBuffer[static_cast<std::size_t>(y * 200 + x)]; }
    // What the pixel shows with the grey palette, 0xFFRRGGBB.
    std::uint32_t shown(int x, int y) { return rgbFromColorRef(grey[scene(x, y)]); }
    static int brightness(std::uint32_t c) { return static_cast<int>((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF)); }

    FrameBuffer frame;
    Camera camera;
    Light light;
    Palette grey;
};

TEST_F(LightGlowTest, CentreIsBrightestAndTheGlowStaysInTheLightsRamp) {
    // Mid-grey ground under the whole glow.
    for (int y = 85; y <= 110; ++y)
        for (int x = 85; x <= 110; ++x) scene(x, y) = 100;
    const std::uint32_t unlit = shown(99, 98);
    drawLightGlow(frame, light, camera);
    const std::uint32_t centre = shown(99, 98);
    EXPECT_EQ(centre, 0xFFFFFFFFu);  // the light ramp's top: white
    const int rim[][2] = {{99, 95}, {96, 98}, {101, 101}};
    for (const auto& [x, y] : rim) {
        const std::uint32_t c = shown(x, y);
        EXPECT_GT(brightness(c), brightness(unlit)) << x << "," << y;  // lit, but less than the centre
        EXPECT_GE(brightness(centre), brightness(c)) << x << "," << y;
        EXPECT_TRUE((c >> 16 & 0xFF) == (c & 0xFF)) << std::hex << c;  // still grey, no water blue
    }
    EXPECT_EQ(shown(99, 90), unlit);  // beyond the radius
}

TEST_F(LightGlowTest, SkyGlowsBrightestInTheMiddleAndGroundInFrontIsUntouched) {
    scene(101, 99) = 100;  // ground nearer than the light, next to it
    frame.depthBuffer[99 * 200 + 101] = -1.0;
    const std::uint32_t before = shown(101, 99);
    drawLightGlow(frame, light, camera);
    EXPECT_EQ(shown(101, 99), before);

    const std::uint32_t middle = shown(99, 98), edge = shown(99, 95);
    EXPECT_NE(edge, 0xFFFFFFFFu);  // the sky (white) shows the glow's greys
    EXPECT_GT(brightness(middle), brightness(edge));
    EXPECT_EQ(shown(99, 90), 0xFFFFFFFFu);  // beyond the radius: plain sky
}

}  // namespace
}  // namespace vellacor
