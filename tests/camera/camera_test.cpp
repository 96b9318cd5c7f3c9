#include "camera/camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "camera/vector_math.h"
#include "app/site_model.h"
#include "render/projection.h"
#include "surface/tin_geometry.h"

namespace vellacor {
namespace {

constexpr double kSouth = 4.71238898038469;

void expectNear(const Vec3& a, const Vec3& b, double tolerance = 1e-9) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

TEST(VectorMath, HeadingAndWrapAngleRanges) {
    EXPECT_DOUBLE_EQ(Heading(0, 0), 0.0);
    EXPECT_DOUBLE_EQ(Heading(0, 2), kPi / 2);
    EXPECT_DOUBLE_EQ(Heading(0, -2), 3 * kPi / 2);
    EXPECT_DOUBLE_EQ(Heading(-1, -0.0), kPi);
    EXPECT_DOUBLE_EQ(WrapAngle(-kPi), kPi);
    EXPECT_NEAR(WrapAngle(3 * kPi + 0.5), -kPi + 0.5, 1e-12);
    const double huge = WrapAngle(-1e300);  // must not loop a turn at a time
    EXPECT_TRUE(huge > -kPi && huge <= kPi);
    expectNear(normalise({0, 0, 0}), {0, 0, -1});
}

TEST(MatrixTest, InverseUndoesAndSingularGivesTheAdjugate) {
    Matrix a = Matrix::translation({3, -4, 5}) * Matrix::diagonal(2, 1, 0.5, 1) *
               Matrix::fromColumns(normalise({1, 1, 0}), normalise({-1, 1, 0}), {0, 0, 1});
    const Matrix product = a * inverse(a);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(product.m[i][j], i == j ? 1.0 : 0.0, 1e-12);
    const Matrix adj = inverse(Matrix::diagonal(1, 2, 0, 1));
    EXPECT_EQ(adj.m[2][2], 2.0);
    EXPECT_EQ(adj.m[0][0], 0.0);
}

class CameraTest : public ::testing::Test {
protected:
    SiteModel site;
    Camera& cam = site.camera;
    void SetUp() override {
        site.document.siteSize = 1000;
        site.document.siteCentre = {5000, 8000, 40};
        cam.target = {5000, 8000, 60};
    }
};

TEST_F(CameraTest, ResetLooksDownAndIsStationary) {
    cam.mode = Wild;
    cam.phase = 1;
    cam.velocity = {5, 5, 5};
    site.renderer.redrawNeeded = false;
    cam.Reset(site);
    EXPECT_EQ(cam.GetMode(), Stationary);
    expectNear(cam.direction, {0, 0, -1});
    expectNear(cam.eye, {0, 0, 0});
    expectNear(cam.velocity, {0, 0, 0});
    EXPECT_DOUBLE_EQ(cam.phase, kSouth);
    EXPECT_EQ(cam.step, 0);
    EXPECT_TRUE(site.renderer.redrawNeeded);
}

TEST_F(CameraTest, OrbitPoseSitsSouthAndScalesItsHeight) {
    cam.OrbitTo(site, kSouth);
    expectNear(cam.eye, {5000, 8000 - 900, 60 + 300}, 1e-6);
    const Vec3 direction = cam.direction;
    expectNear(direction, normalise({0, 900, -300}));

    site.display.verticalScale = 2;
    cam.OrbitTo(site, kSouth);
    EXPECT_NEAR(cam.eye.z, 60 + 150, 1e-9);  // half as high in scene units...
    expectNear(cam.direction, direction);    // ...and the same picture

    // The target is in the middle of the picture; east is right, up is up.
    cam.BuildView(2, 640, 480);
    SiteModel screen;
    resizeFrameBuffer(screen.renderer.frame, 640, 480, screen.renderer.palette[0]);
    const FrameBuffer& f = screen.renderer.frame;
    const ProjectedPoint t = project(f, transformPoint(cam.target, cam.view));
    EXPECT_NEAR(t.x, f.halfWidth, 1e-6);
    EXPECT_NEAR(t.y, f.halfHeight, 1e-6);
    EXPECT_GT(project(f, transformPoint(cam.target + Vec3{10, 0, 0}, cam.view)).x, t.x);
    EXPECT_LT(project(f, transformPoint(cam.target + Vec3{0, 0, 10}, cam.view)).y, t.y);
}

TEST_F(CameraTest, TransitionArrivesAfterTwentyFramesAndStops) {
    cam.eye = {0, 0, 0};
    cam.direction = normalise({1, 0, -1});
    const Vec3 goalEye{100, -50, 30}, goalDirection = normalise({-1, 1, -0.5});
    for (int s = 0; s < kTransitionFrames; ++s) EXPECT_TRUE(cam.Transition(s, goalEye, goalDirection));
    expectNear(cam.eye, goalEye);
    expectNear(cam.direction, goalDirection);
    EXPECT_FALSE(cam.Transition(20, {0, 0, 0}, {1, 0, 0}));
    expectNear(cam.eye, goalEye);

    // Straight down can only be approached to the pole margin.
    cam.direction = {1, 0, 0};
    for (int s = 0; s < kTransitionFrames; ++s) cam.Transition(s, goalEye, {0, 0, -1});
    EXPECT_NEAR(polarAngle(cam.direction.z), kPi - kPoleMargin, 1e-9);
}

TEST_F(CameraTest, ModesGlideIntoTheirOrbitAndRotateAtACappedRate) {
    site.cycle.frameSeconds = 0.1;  // ten frames a second
    cam.SetMode(site, RotatingStart);
    for (int frame = 1; frame < kTransitionFrames; ++frame) {
        EXPECT_TRUE(cam.Update(site));
        EXPECT_EQ(cam.mode, RotatingStart);
    }
    EXPECT_TRUE(cam.Update(site));  // the glide ends and the orbit takes its first step
    EXPECT_EQ(cam.mode, Rotating);
    EXPECT_NEAR(cam.phase, kSouth + 0.03, 1e-12);
    cam.Update(site);
    EXPECT_NEAR(cam.phase, kSouth + 0.06, 1e-12);

    cam.SetMode(site, Wild);
    cam.Update(site);
    EXPECT_NEAR(cam.phase, kSouth + 0.06 + 0.2, 1e-12);  // the wild orbit is not capped

    cam.SetMode(site, PlanViewStart);
    for (int frame = 1; frame <= kTransitionFrames; ++frame) cam.Update(site);
    EXPECT_EQ(cam.mode, Stationary);
    EXPECT_NEAR(cam.eye.z, 40 + 1000, 1e-6);  // high enough to see the whole site
}

TEST_F(CameraTest, VelocityMovesOnlyAboveTheSpeedThreshold) {
    site.cycle.frameSeconds = 0.5;
    site.document.siteSize = 100;  // capped speed 0.5: below the threshold of 1
    cam.eye = {0, 0, 0};
    cam.velocity = {50, 0, 0};
    EXPECT_FALSE(cam.Update(site));
    expectNear(cam.eye, {0, 0, 0});

    site.document.siteSize = 1000;
    EXPECT_TRUE(cam.Update(site));
    expectNear(cam.eye, {25, 0, 0});
    expectNear(cam.velocity, {40, 0, 0});
    cam.velocity = {1.2, 0, 0};
    cam.Update(site);  // capped speed 1.2 moves; damped below 1 it stops
    expectNear(cam.velocity, {0, 0, 0});
}

TEST_F(CameraTest, FlyToWithoutGroundUnderTheCursorGoesStraightToFreelook) {
    cam.OrbitTo(site, kSouth);
    cam.SetMode(site, FlyTo);  // no pointer: nothing to fly to
    EXPECT_EQ(cam.mode, Freelook);
    cam.ToggleFreelook(site);
    EXPECT_EQ(cam.mode, Stationary);
}

// Two triangles over the square (0,0)-(100,100), level at z = 10.
void makeLevelSquare(SiteModel& m) {
    const double corners[4][2] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    for (const auto& c : corners) {
        SurveyPoint p;
        p.easting = c[0];
        p.northing = c[1];
        p.elevation = 10;
        m.document.points.push_back(p);
    }
    m.document.pointCount = 4;
    m.document.triangles.resize(2);
    const int v[2][3] = {{0, 1, 2}, {0, 2, 3}};
    for (int t = 0; t < 2; ++t) {
        TinTriangle& tri = m.document.triangles[static_cast<std::size_t>(t)];
        for (int k = 0; k < 3; ++k) tri.vertex[k] = v[t][k];
        tri.normal = {0, 0, 1};
        tri.planeD = 10;
        tri.centroid = {t == 0 ? 66.7 : 33.3, t == 0 ? 33.3 : 66.7, 10};
    }
    m.document.triangles[0].neighbour[2] = 1;
    m.document.triangles[1].neighbour[0] = 0;
    m.document.triangleCount = 2;
    m.document.contourStage.done = true;  // the links above are current
    m.document.siteCentre = {50, 50, 10};
    m.document.siteSize = 100;
}

TEST_F(CameraTest, KeepAboveGroundLiftsTheEyeOverTheSurfaceOnly) {
    makeLevelSquare(site);
    cam.groundTriangle = kNoTriangle;
    cam.eye = {500, 500, -100};  // beyond the site: no ground to keep above
    EXPECT_FALSE(cam.KeepAboveGround(site));
    EXPECT_EQ(cam.eye.z, -100);
    if (locateTriangleWalk(site, 2, 0, 60, 20) == kNoTriangle) GTEST_SKIP() << "surface queries not available";

    cam.eye = {60, 20, 11};
    EXPECT_TRUE(cam.KeepAboveGround(site));
    EXPECT_DOUBLE_EQ(cam.eye.z, 10 + kGroundClearance);
    cam.eye = {20, 60, 50};  // over the other triangle, well above it
    EXPECT_FALSE(cam.KeepAboveGround(site));
    EXPECT_EQ(cam.groundTriangle, 1);
}

}  // namespace
}  // namespace vellacor
