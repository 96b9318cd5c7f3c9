// Picking on the screen: survey points near the cursor, the axis, and the
// limit polygon's vertices grabbed and dropped.
#include "camera/limit_polygon_picking.h"
#include "camera/picking.h"

#include <gtest/gtest.h>

#include <vector>

namespace vellacor {
namespace {

// Points placed in camera space so that they project to chosen pixels of a
// 101 x 101 view (half sizes 49.5); the cursor sits at (50, 50).
struct PointPick : ::testing::Test {
    Viewport viewport{101, 101, 49.5, 49.5};
    std::vector<double> depth = std::vector<double>(101 * 101, 0.0);
    std::vector<SurveyPoint> points;
    const Pixel cursor{50, 50};

    // w < 0 is in front of the eye, w > 0 behind it.
    void addAt(double sx, double sy, double w = -0.1) {
        SurveyPoint p;
        p.scenePosition = unproject(viewport, sx, sy, w);
        points.push_back(p);
    }
    int pick() const {
        return pickNearestPoint(points, static_cast<int>(points.size()), ScreenDepth{viewport, depth}, cursor);
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
