#include "render/shading.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/pipeline.h"
#include "camera/vector_math.h"
#include "app/site_model.h"
#include "render/light.h"
#include "render/vertex_normals.h"
#include "support/fake_ui.h"

namespace vellacor {
namespace {

// A small roof-and-valley surface: a 4 x 4 grid of points, 18 triangles, with
// a ridge along x = 1 so that some neighbours meet at a sharp angle.
void makeGridSurface(SiteModel& m) {
    m.document.points.clear();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            SurveyPoint p;
            p.easting = x * 10.0;
            p.northing = y * 10.0;
            p.elevation = 100.0 + (x == 1 ? 8.0 : 0.0) + 0.5 * y * y;
            m.document.points.push_back(p);
        }
    m.document.pointCount = 16;
    m.document.triangles.clear();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            const int a = y * 4 + x, b = a + 1, c = a + 4, d = a + 5;
            for (const auto& v : {std::array<int, 3>{a, b, d}, std::array<int, 3>{a, d, c}}) {
                TinTriangle t;
                Vec3 p[3];
                for (int k = 0; k < 3; ++k) {
                    t.vertex[k] = v[static_cast<std::size_t>(k)];
                    const SurveyPoint& s = m.document.points[static_cast<std::size_t>(v[static_cast<std::size_t>(k)])];
                    p[k] = {s.easting, s.northing, s.elevation};
                }
                t.normal = normalise(cross(p[1] - p[0], p[2] - p[0]));
                t.centroid = (p[0] + p[1] + p[2]) * (1.0 / 3.0);
                m.document.triangles.push_back(t);
            }
        }
    m.document.triangleCount = static_cast<int>(m.document.triangles.size());
    m.document.minElevation = 100.0;
    m.document.maxElevation = 112.5;
}

VertexNormalInput inputOf(const SiteModel& m, double angle) {
    VertexNormalInput in;
    in.gradeBreakAngle = angle;
    for (const TinTriangle& t : m.document.triangles) {
        in.vertices.push_back({t.vertex[0], t.vertex[1], t.vertex[2]});
        in.faceNormals.push_back(t.normal);
    }
    return in;
}

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
    SiteModel m;
    makeGridSurface(m);
    std::atomic<bool> running{true};
    std::atomic<double> progress{0};
    int creases = 0;
    for (double angle : {0.0, 5.0, 90.0}) {
        const VertexNormalInput in = inputOf(m, angle);
        VertexNormals fast;
        ASSERT_TRUE(computeVertexNormals(in, fast, running, progress));
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
    running = false;
    VertexNormals none;
    EXPECT_FALSE(computeVertexNormals(inputOf(m, 30), none, running, progress));
}

TEST(ShadingStage, PipelineComputesNormalsOnAWorkerAndAdoptsThem) {
    SiteModel m;
    testing::FakeUi ui;
    makeGridSurface(m);
    m.document.triangulateStage.done = true;
    m.display.surfaceMode = 2;
    ui.shadingAnswer = 30.0;
    runPipelineToCompletion(m, ui);
    EXPECT_EQ(ui.shadingDialogsShown, 1);
    ASSERT_TRUE(m.document.shadingStage.done);
    EXPECT_FALSE(m.work.shadingJob);
    const VertexNormals expected = pairwiseNormals(inputOf(m, 30.0));
    EXPECT_DOUBLE_EQ(vertexNormal(m.document.triangles[7], 2).z, expected[7][2].z);
    ASSERT_TRUE(m.renderer.light);  // the light is made by the same pipeline step
    EXPECT_DOUBLE_EQ(m.renderer.light->position.z, m.camera.eye.z);
}

TEST(ShadingStage, ResultForAnOlderSurfaceIsDropped) {
    SiteModel m;
    makeGridSurface(m);
    m.display.gradeBreakAngle = 30.0;
    startShadingWorker(m);
    m.work.workers.join(StageId::Shading);
    m.document.triangles[3].normal = {0, 0, 1};  // the surface changed while the worker ran
    adoptShadingResult(m);
    EXPECT_FALSE(m.document.shadingStage.done);
    EXPECT_FALSE(m.work.shadingJob);
    EXPECT_EQ(vertexNormal(m.document.triangles[0], 0).z, 0.0);
}

TEST(Shading, FlatShadeStaysWithinTheRamp) {
    Light light;
    int lowest = 999, highest = 0;
    for (int mode : {kHeadlamp, kCircling})
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
    light.lightMode = kHeadlamp;
    light.position = {0, 0, 10};
    EXPECT_EQ(flatShade(light, {0, 0, 0}, {0, 0, 1}), 134);  // 0.65 * 0.85 * 214 + 16
    light.position = {0, 0, 0};
    EXPECT_EQ(flatShade(light, {0, 0, 0}, {0, 0, -1}), 134);  // light at the face: straight down
}

TEST(Shading, SmoothShadeCapsAtTheLastRampEntry) {
    SiteModel m;
    makeGridSurface(m);
    m.renderer.light = std::make_unique<Light>();
    m.renderer.light->lightMode = kStationaryLight;
    m.renderer.light->position = {0, 0, 1000};
    m.camera.eye = {0, 0, 1000};
    for (TinTriangle& t : m.document.triangles)
        for (int k = 0; k < 3; ++k) vertexNormal(t, k) = {0, 0, 1};
    smoothShade(m);
    EXPECT_DOUBLE_EQ(vertexShade(m.document.triangles[0], 0), 229.0);  // full highlight would be 283
    m.camera.eye = {5000, 0, 100};                            // highlight away from the eye
    smoothShade(m);
    EXPECT_LT(vertexShade(m.document.triangles[0], 0), 229.0);
    EXPECT_GE(vertexShade(m.document.triangles[0], 0), 16.0 + 0.65 * 214 - 1);
}

TEST(Shading, ElevationShadeSpansTheRampOrIsConstant) {
    SiteModel m;
    makeGridSurface(m);
    elevationShade(m);
    ASSERT_EQ(m.document.triangles[0].vertex[0], 0);  // the lowest point
    EXPECT_EQ(vertexShade(m.document.triangles[0], 0), 16.0);
    ASSERT_EQ(m.document.triangles[12].vertex[2], 13);  // the highest point
    EXPECT_EQ(vertexShade(m.document.triangles[12], 2), 215.0);
    m.document.maxElevation = m.document.minElevation;
    elevationShade(m);
    EXPECT_EQ(vertexShade(m.document.triangles[5], 1), kLevelSiteShade);
}

TEST(Light, CirclingLightGoesRoundTheSiteAtACappedStep) {
    SiteModel m;
    m.document.siteSize = 100;
    m.document.siteCentre = {1000, 2000, 50};
    m.display.verticalScale = 2;
    m.cycle.frameSeconds = 0.5;
    m.renderer.light = std::make_unique<Light>();
    cycleLightMode(m);
    m.renderer.redrawNeeded = false;
    updateLight(m);
    const double angle = 0.03 * 1.15465684983435;
    EXPECT_DOUBLE_EQ(m.renderer.light->angle, angle);
    EXPECT_NEAR(m.renderer.light->position.x, 1000 + 70 * std::cos(angle), 1e-9);
    EXPECT_NEAR(m.renderer.light->position.y, 2000 + 70 * std::sin(angle), 1e-9);
    EXPECT_DOUBLE_EQ(m.renderer.light->position.z, 50 + 25.0 / 2);
    EXPECT_TRUE(m.renderer.light->lightGlowVisible);
    EXPECT_TRUE(m.renderer.redrawNeeded);
}

}  // namespace
}  // namespace vellacor
