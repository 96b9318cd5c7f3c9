#pragma once
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "model/surface_view.h"

namespace vellacor {

// A surface's triangles as a walk over the plan needs them: corners and
// neighbours only, counter-clockwise, the points renumbered in plan order
// (strips of cells, each strip column by column) and the triangles too
// unless their own order already follows the plan. Triangles close together
// in plan are then close together in memory, whatever order the file gave
// the points in: a walk over a large surface stays in the cache instead of
// missing it at every corner of every triangle.
struct PlanTin {
    struct Point {
        double x, y, z;
    };
    std::vector<Point> points;
    std::vector<std::array<std::int32_t, 3>> corners;     // counter-clockwise in plan
    std::vector<std::array<std::int32_t, 3>> neighbours;  // across corner k to k + 1, renumbered; < 0: none
    std::vector<std::uint8_t> hasArea;                    // 0: the corners lie on one line

    // The plan box of the triangles' corners (finite ones).
    struct Box {
        double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
        bool meets(double x0, double y0, double x1, double y1) const {
            return minX <= x1 && x0 <= maxX && minY <= y1 && y0 <= maxY;
        }
    } box;

    int triangleCount() const { return static_cast<int>(corners.size()); }
    const Point& corner(int t, int k) const {
        return points[static_cast<std::size_t>(corners[static_cast<std::size_t>(t)][static_cast<std::size_t>(k)])];
    }
};

// O(points + triangles): counting sorts of the points and, where needed, the triangles.
PlanTin planTinOf(const SurfaceView& surface);

// The triangles cover a convex region: one loop of edges, turning left (or
// running straight) at every corner, and no flat triangle. Then a point
// beyond any edge of the surface's edge lies off the surface. O(triangles).
bool coversConvexRegion(const PlanTin& tin);

}  // namespace vellacor
