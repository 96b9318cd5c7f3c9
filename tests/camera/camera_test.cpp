#include "camera/camera.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "camera/limit_polygon_picking.h"
#include "camera/picking.h"
#include "camera/projection.h"
#include "camera/vector_math.h"
#include "model/site_document.h"
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
    for (std::size_t i = 0; i < 4; ++i)
        for (std::size_t j = 0; j < 4; ++j) EXPECT_NEAR(product.m[i][j], i == j ? 1.0 : 0.0, 1e-12);
    const Matrix adj = inverse(Matrix::diagonal(1, 2, 0, 1));
    EXPECT_EQ(adj.m[2][2], 2.0);
    EXPECT_EQ(adj.m[0][0], 0.0);
}

class CameraTest : public ::testing::Test {
protected:
    SiteDocument site;
    Camera cam;
    double frameSeconds = 0.0;  // the length of the last frame
    void SetUp() override {
        clearDocument(site);
        cam.Reset();
        site.siteSize = 1000;
        site.siteCentre = {5000, 8000, 40};
        cam.target = {5000, 8000, 60};
    }
    CameraInputs in() const {
        CameraInputs inputs = cameraInputsOf(site);
        inputs.frameSeconds = frameSeconds;
        return inputs;
    }
    SiteFrame frame() const { return siteFrameOf(site); }
};

TEST_F(CameraTest, OrbitPoseSitsSouthAndScalesItsHeight) {
    cam.OrbitTo(frame(), 1, kSouth);
    expectNear(cam.eye, {5000, 8000 - 900, 60 + 300}, 1e-6);
    const Vec3 direction = cam.direction;
    expectNear(direction, normalise({0, 900, -300}));

    cam.OrbitTo(frame(), 2, kSouth);
    EXPECT_NEAR(cam.eye.z, 60 + 150, 1e-9);  // half as high in scene units...
    expectNear(cam.direction, direction);    // ...and the same picture

    // The target is in the middle of the picture; east is right, up is up.
    cam.BuildView(2, 640, 480);
    const Viewport v{640, 480, 319, 239};
    const ProjectedPoint t = project(v, transformPoint(cam.target, cam.view));
    EXPECT_NEAR(t.x, v.halfWidth, 1e-6);
    EXPECT_NEAR(t.y, v.halfHeight, 1e-6);
    EXPECT_GT(project(v, transformPoint(cam.target + Vec3{10, 0, 0}, cam.view)).x, t.x);
    EXPECT_LT(project(v, transformPoint(cam.target + Vec3{0, 0, 10}, cam.view)).y, t.y);
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
    frameSeconds = 0.1;  // ten frames a second
    cam.SetMode(in(), CameraMode::RotatingStart);
    for (int frame = 1; frame < kTransitionFrames; ++frame) {
        const CameraStep s = cam.Update(in());
        EXPECT_TRUE(s.moved);
        EXPECT_FALSE(s.modeEnded);
        EXPECT_EQ(cam.mode, CameraMode::RotatingStart);
    }
    const CameraStep handover = cam.Update(in());  // the glide ends and the orbit takes its first step
    EXPECT_TRUE(handover.moved);
    EXPECT_TRUE(handover.modeEnded);
    EXPECT_EQ(cam.mode, CameraMode::Rotating);
    EXPECT_NEAR(cam.phase, kSouth + 0.03, 1e-12);
    EXPECT_FALSE(cam.Update(in()).modeEnded);
    EXPECT_NEAR(cam.phase, kSouth + 0.06, 1e-12);

    cam.SetMode(in(), CameraMode::Wild);
    cam.Update(in());
    EXPECT_NEAR(cam.phase, kSouth + 0.06 + 0.2, 1e-12);  // the wild orbit is not capped

    cam.SetMode(in(), CameraMode::PlanViewStart);
    for (int frame = 1; frame < kTransitionFrames; ++frame) cam.Update(in());
    // The glide's end hands over twice, through PlanViewEnd to Stationary, and
    // the still camera then reports no movement.
    const CameraStep last = cam.Update(in());
    EXPECT_FALSE(last.moved);
    EXPECT_TRUE(last.modeEnded);
    EXPECT_EQ(cam.mode, CameraMode::Stationary);
    EXPECT_NEAR(cam.eye.z, 40 + 1000, 1e-6);  // high enough to see the whole site
}

// A 1000-unit site rests below 1 unit a second, a 100-unit one below half a unit.
TEST_F(CameraTest, VelocityMovesOnlyAboveTheRestSpeed) {
    frameSeconds = 0.5;
    for (const auto& [size, damped, resting] : {std::array{1000.0, 1.2, 0.9}, std::array{100.0, 0.6, 0.45}}) {
        SCOPED_TRACE(size);
        site.siteSize = size;
        cam.eye = {0, 0, 0};
        cam.velocity = {50, 0, 0};
        EXPECT_TRUE(cam.Update(in()).moved);
        expectNear(cam.eye, {25, 0, 0});
        expectNear(cam.velocity, {40, 0, 0});
        cam.velocity = {damped, 0, 0};
        cam.Update(in());  // moves; damped below the rest speed it stops
        expectNear(cam.velocity, {0, 0, 0});
        cam.velocity = {resting, 0, 0};
        EXPECT_FALSE(cam.Update(in()).moved);
    }
}

TEST_F(CameraTest, FlyToWithoutGroundUnderTheCursorGoesStraightToFreelook) {
    cam.OrbitTo(frame(), 1, kSouth);
    cam.SetMode(in(), CameraMode::FlyTo);  // no pointer: nothing to fly to
    EXPECT_EQ(cam.mode, CameraMode::Freelook);
    cam.ToggleFreelook(in(), true, ScreenDepth{});
    EXPECT_EQ(cam.mode, CameraMode::Stationary);
    expectNear(cam.target, site.siteCentre);  // no frame: the site centre, the surface not linked
}

TEST_F(CameraTest, LeavingFreelookTargetsWhatTheMiddleOfTheFrameShows) {
    cam.eye = {100, 200, 300};
    cam.direction = normalise({0, 1, -1});
    const Viewport v{8, 6, 3, 2};
    cam.BuildView(1, v.width, v.height);
    std::vector<double> depth(48, 0.0);
    depth[3 * 8 + 4] = -0.01;  // (4, 3) is the middle
    cam.mode = CameraMode::Freelook;
    cam.ToggleFreelook(in(), true, ScreenDepth{v, depth});
    EXPECT_EQ(cam.mode, CameraMode::Stationary);
    expectNear(cam.target, transformPoint(unproject(v, 4, 3, -0.01), inverse(cam.view)), 1e-6);

    depth.resize(47);  // a depth buffer short of the frame is not read
    cam.mode = CameraMode::Freelook;
    cam.ToggleFreelook(in(), true, ScreenDepth{v, depth});
    expectNear(cam.target, site.siteCentre);
}

// Two triangles over the square (0,0)-(100,100), level at z = 10, linked.
void makeLevelSquare(SiteDocument& m) {
    for (const auto& [x, y] : {std::pair{0.0, 0.0}, {100.0, 0.0}, {100.0, 100.0}, {0.0, 100.0}}) {
        SurveyPoint p;
        p.easting = x, p.northing = y, p.elevation = 10;
        m.points.push_back(p);
    }
    m.pointCount = 4;
    m.triangles.resize(2);
    const int corners[2][3] = {{0, 1, 2}, {0, 2, 3}};
    for (int t = 0; t < 2; ++t)
        for (int k = 0; k < 3; ++k) m.triangles[static_cast<std::size_t>(t)].vertex[k] = corners[t][k];
    m.triangles[0].neighbour[2] = 1;
    m.triangles[1].neighbour[0] = 0;
    m.triangleCount = 2;
    m.contourStage.done = true;  // the links above are current
    m.siteCentre = {50, 50, 10};
    m.siteSize = 100;
}

TEST_F(CameraTest, KeepAboveGroundLiftsTheEyeOverTheSurfaceOnly) {
    makeLevelSquare(site);
    cam.groundTriangle = kNoTriangle;
    cam.eye = {500, 500, -100};  // beyond the site: no ground to keep above
    EXPECT_FALSE(cam.KeepAboveGround(surfaceOf(site), frame()));
    EXPECT_EQ(cam.eye.z, -100);
    // The walk from the other triangle must find the ground the eye is over.
    ASSERT_EQ(locateTriangleWalk(surfaceOf(site), 2, 1, 60, 20), 0);

    cam.eye = {60, 20, 11};
    EXPECT_TRUE(cam.KeepAboveGround(surfaceOf(site), frame()));
    EXPECT_DOUBLE_EQ(cam.eye.z, 10 + kGroundClearance);
    cam.eye = {20, 60, 50};  // over the other triangle, well above it
    EXPECT_FALSE(cam.KeepAboveGround(surfaceOf(site), frame()));
    EXPECT_EQ(cam.groundTriangle, 1);
}

// Picking on the screen: survey points near the cursor, the axis, and the
// limit polygon's vertices grabbed and dropped.

// Points placed in camera space (the view is the identity) so that they
// project to chosen pixels of a 101 x 101 view (half sizes 49.5); the cursor
// sits at (50, 50).
struct PointPick : ::testing::Test {
    Viewport viewport{101, 101, 49.5, 49.5};
    std::vector<double> depth = std::vector<double>(101 * 101, 0.0);
    std::vector<SurveyPoint> points;
    const Pixel cursor{50, 50};

    // w < 0 is in front of the eye, w > 0 behind it.
    void addAt(double sx, double sy, double w = -0.1) {
        const Vec3 at = unproject(viewport, sx, sy, w);
        SurveyPoint p;
        p.easting = at.x, p.northing = at.y, p.elevation = at.z;
        points.push_back(p);
    }
    int pick() const {
        return pickNearestPoint(points, static_cast<int>(points.size()), Matrix::identity(),
                                ScreenDepth{viewport, depth}, cursor);
    }
};

TEST_F(PointPick, AcceptsASquareOfSevenPixels) {
    addAt(57, 57);  // 7 right and 7 down: the corner of the square
    EXPECT_EQ(pick(), 0);
    for (const auto& [x, y] : {std::pair{58.0, 50.0}, {50.0, 42.0}}) {  // 8 away in one axis
        points.clear();
        addAt(x, y);
        EXPECT_EQ(pick(), kNoPoint) << x << "," << y;
    }
    points.clear();
    addAt(50, 50, 0.1);  // behind the eye, projecting right onto the cursor
    addAt(60, 50);       // out of reach
    addAt(47, 50);
    addAt(53, 50);  // as near as the one before
    EXPECT_EQ(pick(), 2);
}

TEST(AxisGrab, NearerThanTheAxisRadius) {
    Camera cam;
    cam.eye = {0, 0, 150};
    cam.target = {0, 0, 0};
    EXPECT_DOUBLE_EQ(axisRadius(cam, 1000.0), 10.0);  // a fifteenth of the distance
    EXPECT_DOUBLE_EQ(axisRadius(cam, 100.0), 4.0);    // at most 4 % of the site
    EXPECT_TRUE(isNearAxis(Vec3{3.9, 0, 0}, cam, 100.0));
    EXPECT_FALSE(isNearAxis(Vec3{4.0, 0, 0}, cam, 100.0));
    EXPECT_FALSE(isNearAxis(std::nullopt, cam, 100.0));  // nothing drawn under the cursor
}

// A 100 x 100 screen with nothing drawn and the identity view: camera-space
// (x, y, -1) shows at pixel ((1 - x) * 49, (1 + y) * 49), so the square's
// corners are at (73, 24), (24, 24), (24, 73) and (73, 73).
const Matrix kView = Matrix::identity();
const LimitPolygon kSquare{kNoVertex, {{-0.5, -0.5, -1}, {0.5, -0.5, -1}, {0.5, 0.5, -1}, {-0.5, 0.5, -1}}};

TEST(LimitPolygonPicking, AVertexIsHitWithinFourPixelsUnlessHiddenOrOutOfView) {
    std::vector<double> depth(100 * 100, 0.0);
    const ScreenDepth screen{{100, 100, 49.0, 49.0}, depth};
    LimitPolygon p = kSquare;
    EXPECT_TRUE(hitVertex(p, 1, kView, screen, {27, 21}));
    EXPECT_FALSE(hitVertex(p, 1, kView, screen, {28, 24}));
    EXPECT_FALSE(hitVertex(p, 1, kView, screen, {24, 20}));
    EXPECT_FALSE(hitVertex(p, 4, kView, screen, {24, 24}));  // no such vertex
    depth[24 * 100 + 24] = -2.0;                             // something nearer hides it
    EXPECT_FALSE(hitVertex(p, 1, kView, screen, {24, 24}));
    depth[24 * 100 + 24] = -1.0002;  // the surface it lies on does not
    EXPECT_TRUE(hitVertex(p, 1, kView, screen, {24, 24}));
    p.vertices[2] = {0.5, 0.5, 1};  // behind the eye
    EXPECT_FALSE(hitVertex(p, 2, kView, screen, {24, 73}));
    EXPECT_FALSE(hitVertex(p, 0, kView, ScreenDepth{{100, 100, 49.0, 49.0}, {}}, {73, 24}));  // no frame yet

    p = kSquare;
    p.vertices[3] = p.vertices[1];
    EXPECT_TRUE(selectVertexAtCursor(p, kView, screen, {24, 24}));
    EXPECT_EQ(p.selectedVertex, 1);  // the first of the two there
    EXPECT_FALSE(selectVertexAtCursor(p, kView, screen, {50, 50}));
    EXPECT_EQ(p.selectedVertex, kNoVertex);
}

TEST(LimitPolygonPicking, DroppingOnANeighbourRemovesOneOfTheTwo) {
    const std::vector<double> depth(100 * 100, 0.0);
    const ScreenDepth screen{{100, 100, 49.0, 49.0}, depth};
    // The selected vertex, the vertex it is dropped on and that one's pixel,
    // the vertices left. The second onto the third: the second goes. The first
    // onto the last: the last goes, the first stays where it was dropped.
    struct Case {
        int selected, onto;
        Pixel at;
        int left;
    };
    for (const Case& c : {Case{1, 2, {24, 73}, 3}, Case{0, 3, {73, 73}, 3}, Case{0, 2, {24, 73}, 4}}) {
        LimitPolygon p = kSquare;
        p.selectedVertex = c.selected;
        p.vertices[static_cast<std::size_t>(c.selected)] = p.vertices[static_cast<std::size_t>(c.onto)];
        EXPECT_TRUE(dropOnNeighbour(p, kView, screen, c.at));
        ASSERT_EQ(p.vertexCount(), c.left);
        if (c.left == 3) {
            EXPECT_EQ(p.vertices[c.onto == 3 ? 0 : 1].y, 0.5);
        }
        EXPECT_FALSE(dropOnNeighbour(p, kView, screen, {50, 50}));
    }
}

}  // namespace
}  // namespace vellacor
