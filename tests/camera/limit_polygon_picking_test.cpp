// Grabbing and dropping the limit polygon's vertices on the screen.
#include "camera/limit_polygon_picking.h"

#include <gtest/gtest.h>

#include <vector>

namespace vellacor {
namespace {

// A 100 x 100 screen looking down -z with nothing drawn: camera-space
// (x, y, -1) shows at pixel ((1 - x) * 49, (1 + y) * 49).
struct Screen {
    std::vector<double> depth = std::vector<double>(100 * 100, 0.0);
    ScreenDepth view() const { return {{100, 100, 49.0, 49.0}, depth}; }
};

const Matrix kIdentity = Matrix::identity();

LimitPolygon square() {
    LimitPolygon p;
    p.vertices = {{-0.5, -0.5, -1}, {0.5, -0.5, -1}, {0.5, 0.5, -1}, {-0.5, 0.5, -1}};
    return p;  // at pixels (73, 24), (24, 24), (24, 73), (73, 73)
}

TEST(LimitPolygonPicking, AVertexIsHitWithinFourPixelsUnlessHiddenOrOutOfView) {
    Screen screen;
    LimitPolygon p = square();
    EXPECT_TRUE(hitVertex(p, 1, kIdentity, screen.view(), {24, 24}));
    EXPECT_TRUE(hitVertex(p, 1, kIdentity, screen.view(), {27, 21}));
    EXPECT_FALSE(hitVertex(p, 1, kIdentity, screen.view(), {28, 24}));
    EXPECT_FALSE(hitVertex(p, 1, kIdentity, screen.view(), {24, 20}));
    EXPECT_FALSE(hitVertex(p, 4, kIdentity, screen.view(), {24, 24}));  // no such vertex

    // Something drawn nearer at its pixel hides it; the same depth does not.
    screen.depth[24 * 100 + 24] = -2.0;
    EXPECT_FALSE(hitVertex(p, 1, kIdentity, screen.view(), {24, 24}));
    screen.depth[24 * 100 + 24] = -1.0002;
    EXPECT_TRUE(hitVertex(p, 1, kIdentity, screen.view(), {24, 24}));

    p.vertices[2] = {0.5, 0.5, 1};  // behind the eye
    EXPECT_FALSE(hitVertex(p, 2, kIdentity, screen.view(), {24, 73}));
    p.vertices[2] = {3.0, 0.5, -1};  // off the side of the view
    EXPECT_FALSE(hitVertex(p, 2, kIdentity, screen.view(), {0, 73}));
    EXPECT_FALSE(hitVertex(p, 0, kIdentity, ScreenDepth{{100, 100, 49.0, 49.0}, {}}, {73, 24}));  // no frame yet
}

TEST(LimitPolygonPicking, SelectingTakesTheFirstVertexUnderTheCursor) {
    Screen screen;
    LimitPolygon p = square();
    p.vertices[3] = p.vertices[1];
    EXPECT_TRUE(selectVertexAtCursor(p, kIdentity, screen.view(), {24, 24}));
    EXPECT_EQ(p.selectedVertex, 1);
    EXPECT_FALSE(selectVertexAtCursor(p, kIdentity, screen.view(), {50, 50}));
    EXPECT_EQ(p.selectedVertex, kNoVertex);
}

TEST(LimitPolygonPicking, DroppingOnANeighbourRemovesOneOfTheTwo) {
    Screen screen;
    // The second vertex dragged onto the third: the lower, the second, goes.
    LimitPolygon p = square();
    p.selectedVertex = 1;
    p.vertices[1] = p.vertices[2];
    EXPECT_TRUE(dropOnNeighbour(p, kIdentity, screen.view(), {24, 73}));
    ASSERT_EQ(p.vertexCount(), 3);
    EXPECT_EQ(p.vertices[1].x, 0.5);
    EXPECT_EQ(p.vertices[1].y, 0.5);

    // The first dropped on the last: the last goes, the first stays where it was dropped.
    p = square();
    p.selectedVertex = 0;
    p.vertices[0] = p.vertices[3];
    EXPECT_TRUE(dropOnNeighbour(p, kIdentity, screen.view(), {73, 73}));
    ASSERT_EQ(p.vertexCount(), 3);
    EXPECT_EQ(p.vertices[0].y, 0.5);
    EXPECT_EQ(p.vertices[2].x, 0.5);

    // On a vertex that is not a neighbour: found, nothing removed. On nothing: not found.
    p = square();
    p.selectedVertex = 0;
    p.vertices[0] = p.vertices[2];
    EXPECT_TRUE(dropOnNeighbour(p, kIdentity, screen.view(), {24, 73}));
    EXPECT_EQ(p.vertexCount(), 4);
    EXPECT_FALSE(dropOnNeighbour(p, kIdentity, screen.view(), {50, 50}));
    p.selectedVertex = kNoVertex;
    EXPECT_FALSE(dropOnNeighbour(p, kIdentity, screen.view(), {24, 73}));
}

}  // namespace
}  // namespace vellacor
