// Draping plan lines onto a surface that is one plane, z = 1 + 2x + 3y, so
// every draped point must lie on it.
#include "surface/drape.h"

#include <gtest/gtest.h>

#include <cmath>

#include "surface_support.h"

namespace vellacor::testing {
namespace {

double plane(double x, double y) { return 1.0 + 2.0 * x + 3.0 * y; }

class Drape : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<Xyz> points = gridPoints(21, 21, 1.0);  // 0..20 both ways
        for (Xyz& p : points) p.z = plane(p.x, p.y);
        loadPoints(model, points);
        buildSurface(model, ui);
        ASSERT_TRUE(model.document.contourStage.done);
    }

    // Every point on the plane, in order along the line from (x0, y0).
    void expectOnPlaneAlong(double x0, double y0, double x1, double y1) const {
        double lastT = -1.0;
        for (const Vec3& p : out) {
            EXPECT_NEAR(p.z, plane(p.x, p.y), 1e-9);
            const double t = std::fabs(x1 - x0) > std::fabs(y1 - y0) ? (p.x - x0) / (x1 - x0) : (p.y - y0) / (y1 - y0);
            EXPECT_GE(t, lastT - 1e-12);
            lastT = t;
        }
    }

    SiteModel model;
    FakeUi ui;
    std::vector<Vec3> out;
};

TEST_F(Drape, ALineInsideOneTriangleGivesItsTwoEnds) {
    ASSERT_EQ(drapeSegment(surfaceOf(model.document), 3.1, 7.2, 3.2, 7.25, out), 2);
    EXPECT_EQ(out[0].x, 3.1);
    EXPECT_EQ(out[1].y, 7.25);
    expectOnPlaneAlong(3.1, 7.2, 3.2, 7.25);
}

TEST_F(Drape, ALineAcrossTheSurfaceGetsEveryEdgeCrossing) {
    const int count = drapeSegment(surfaceOf(model.document), 1.3, 2.7, 17.9, 15.1, out);
    EXPECT_EQ(count, static_cast<int>(out.size()));
    EXPECT_GT(count, 30);
    EXPECT_EQ(out.front().x, 1.3);
    EXPECT_EQ(out.back().x, 17.9);
    expectOnPlaneAlong(1.3, 2.7, 17.9, 15.1);
}

TEST_F(Drape, ALineFromOutsideStartsWhereItEntersTheSurface) {
    ASSERT_GT(drapeSegment(surfaceOf(model.document), -5.0, 7.3, 10.1, 7.9, out), 2);
    EXPECT_NEAR(out.front().x, 0.0, 1e-9);
    EXPECT_NEAR(out.front().y, 7.3 + 0.6 * 5.0 / 15.1, 1e-9);
    expectOnPlaneAlong(-5.0, 7.3, 10.1, 7.9);
}

TEST_F(Drape, ALineWhollyOutsideGivesNothing) {
    EXPECT_EQ(drapeSegment(surfaceOf(model.document), -5.0, -5.0, -1.0, 30.0, out), 0);
    EXPECT_TRUE(out.empty());
}

TEST_F(Drape, ALineThroughVerticesStillReachesItsEnd) {
    // y = 1 + x / 2 passes through (2, 2), (4, 3), (6, 4) and (8, 5).
    const int count = drapeSegment(surfaceOf(model.document), 0.5, 1.25, 9.0, 5.5, out);
    ASSERT_GE(count, 2);
    EXPECT_EQ(out.back().x, 9.0);
    EXPECT_EQ(out.back().y, 5.5);
    expectOnPlaneAlong(0.5, 1.25, 9.0, 5.5);
}

TEST_F(Drape, ALineLeavingTheSurfaceEndsOffIt) {
    ASSERT_GT(drapeSegment(surfaceOf(model.document), 10.2, 10.7, 30.0, 12.0, out), 2);
    EXPECT_EQ(out.back().z, kOutsideSurface);
    EXPECT_NEAR(out[out.size() - 2].x, 20.0, 1e-9);
}

// Two separate squares: the line leaves the first and enters the second.
TEST(DrapeGaps, ReEnteringTheSurfaceMarksTheGap) {
    SiteModel model;
    setSurface(model,
               {{0, 0, 1}, {10, 0, 1}, {10, 10, 1}, {0, 10, 1}, {20, 0, 2}, {30, 0, 2}, {30, 10, 2}, {20, 10, 2}},
               {{0, 1, 2}, {0, 2, 3}, {4, 5, 6}, {4, 6, 7}});
    std::vector<Vec3> out;
    const int count = drapeSegment(surfaceOf(model.document), 1.0, 5.0, 29.0, 5.5, out);
    ASSERT_EQ(count, static_cast<int>(out.size()));
    std::size_t gap = 0;
    while (gap < out.size() && out[gap].z != kOutsideSurface) ++gap;
    ASSERT_LT(gap + 1, out.size());
    EXPECT_NEAR(out[gap].x, 20.0, 1e-9);
    EXPECT_NEAR(out[gap + 1].x, 20.0, 1e-9);
    EXPECT_NEAR(out[gap + 1].z, 2.0, 1e-9);
    EXPECT_NEAR(out[gap - 1].x, 10.0, 1e-9);
    EXPECT_NEAR(out[gap - 1].z, 1.0, 1e-9);
    EXPECT_NEAR(out.back().z, 2.0, 1e-9);
}

}  // namespace
}  // namespace vellacor::testing
