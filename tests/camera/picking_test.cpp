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

}  // namespace
}  // namespace vellacor
