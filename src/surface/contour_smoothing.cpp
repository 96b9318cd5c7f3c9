#include "surface/contour_smoothing.h"

#include <algorithm>
#include <cmath>

#include "model/plan_math.h"
#include "model/surface_view.h"

namespace vellacor {

namespace {

constexpr double kSame = 0.001;
constexpr double kShortStep = 0.1;
constexpr double kStraightTurn = 0.017453292519943295;  // one degree

bool samePlanPosition(const Vec3& a, const Vec3& b) {
    return std::fabs(a.x - b.x) < kSame && std::fabs(a.y - b.y) < kSame;
}

// The far end of the level's segment in the triangle across `edge` of t, when
// that segment starts where ours ends.
bool farEnd(const SurfaceView& surface, int t, int edge, double level, const Vec3& at, Vec3& far) {
    if (edge < 0) return false;
    const int across = surface.triangles[static_cast<std::size_t>(t)].neighbour[edge];
    if (across < 0 || across >= surface.triangleCount || isFlatTriangle(surface, across)) return false;
    ContourSegment next;
    if (!triangleContourSegment(surface, across, level, next, true)) return false;
    for (int i = 0; i < 2; ++i)
        if (samePlanPosition(next.end[i], at)) {
            far = next.end[1 - i];
            return true;
        }
    return false;
}

// Where the contour goes after end i of the segment. At a vertex it may leave
// across either edge that meets there.
bool continuation(const SurfaceView& surface, int t, double level, const ContourSegment& segment, int i, Vec3& far) {
    const int edge = segment.edge[i];
    if (edge < 0) return false;
    return farEnd(surface, t, edge, level, segment.end[i], far) ||
           farEnd(surface, t, (edge + 2) % 3, level, segment.end[i], far);
}

// Moves `control` towards `middle` until it lies inside triangle t (plan).
Vec3 keepInside(const SurfaceView& surface, int t, const Vec3& middle, const Vec3& control) {
    const TinTriangle& triangle = surface.triangles[static_cast<std::size_t>(t)];
    Vec3 corner[3];
    for (int k = 0; k < 3; ++k) {
        const SurveyPoint& p = surface.points[static_cast<std::size_t>(triangle.vertex[k])];
        corner[k] = {p.easting, p.northing, p.elevation};
    }
    const double orientation = cross2(corner[1].x - corner[0].x, corner[1].y - corner[0].y, corner[2].x - corner[0].x,
                                      corner[2].y - corner[0].y) < 0.0
                                   ? -1.0
                                   : 1.0;
    const double dx = control.x - middle.x, dy = control.y - middle.y;
    double reach = 1.0;
    for (int k = 0; k < 3; ++k) {
        const Vec3& a = corner[k];
        const Vec3& b = corner[(k + 1) % 3];
        const double inside = orientation * cross2(b.x - a.x, b.y - a.y, middle.x - a.x, middle.y - a.y);
        const double change = orientation * cross2(b.x - a.x, b.y - a.y, dx, dy);
        if (change < 0.0) reach = std::min(reach, std::max(0.0, inside) / -change);
    }
    return {middle.x + reach * dx, middle.y + reach * dy, middle.z + reach * (control.z - middle.z)};
}

void removeAt(ContourPiece& piece, int i) {
    for (int j = i; j + 1 < piece.count; ++j) piece.point[j] = piece.point[j + 1];
    --piece.count;
}

double planDistance(const Vec3& a, const Vec3& b) { return std::hypot(b.x - a.x, b.y - a.y); }

// The plan angle at `at` between the directions to `to1` and `to2`.
double turnAngle(const Vec3& at, const Vec3& to1, const Vec3& to2) {
    const double ax = to1.x - at.x, ay = to1.y - at.y, bx = to2.x - at.x, by = to2.y - at.y;
    return std::fabs(std::atan2(cross2(ax, ay, bx, by), ax * bx + ay * by));
}

void thin(ContourPiece& piece) {
    for (int i = 1; i < piece.count - 2;) {
        if (planDistance(piece.point[i], piece.point[i + 1]) <= kShortStep)
            removeAt(piece, i);
        else
            ++i;
    }
    if (piece.count - 3 < 2) return;
    for (int i = 1; i < piece.count - 3;) {
        if (turnAngle(piece.point[i], piece.point[i + 1], piece.point[i + 2]) <= kStraightTurn)
            removeAt(piece, i + 1);
        else
            ++i;
    }
}

}  // namespace

void straightPiece(const ContourSegment& segment, ContourPiece& out) {
    out.point[0] = segment.end[0];
    out.point[1] = segment.end[1];
    out.count = 2;
}

void smoothContourPiece(const SurfaceView& surface, int t, double level, const ContourSegment& segment, double smoothing,
                        ContourPiece& out) {
    straightPiece(segment, out);
    if (smoothing <= 0.0 || segment.flatEdge) return;
    const Vec3& p0 = segment.end[0];
    const Vec3& p1 = segment.end[1];
    const Vec3 middle = lerp(p0, p1, 0.5);

    // Catmull-Rom directions: through each end from the contour's previous
    // crossing towards its next one; along the segment where it stops.
    Vec3 before, after;
    const bool hasBefore = continuation(surface, t, level, segment, 0, before);
    const bool hasAfter = continuation(surface, t, level, segment, 1, after);
    const double d0x = hasBefore ? p1.x - before.x : p1.x - p0.x, d0y = hasBefore ? p1.y - before.y : p1.y - p0.y;
    const double d1x = hasAfter ? after.x - p0.x : p1.x - p0.x, d1y = hasAfter ? after.y - p0.y : p1.y - p0.y;

    // The control point where the two end tangents meet, ahead of p0 and behind p1.
    Vec3 control = middle;
    const double cx = p1.x - p0.x, cy = p1.y - p0.y;
    const double den = cross2(d0x, d0y, d1x, d1y);
    if (den != 0.0) {
        const double s = cross2(cx, cy, d1x, d1y) / den;
        const double u = cross2(d0x, d0y, cx, cy) / den;
        if (s > 0.0 && u > 0.0) control = {p0.x + s * d0x, p0.y + s * d0y, middle.z};
    }
    const double weight = ((1.0 - smoothing) + 1.0) * 0.5;  // 1: straight, 0.5: fully smooth
    control = keepInside(surface, t, middle, lerp(middle, control, 2.0 - 2.0 * weight));

    out.count = 6;
    for (int i = 0; i < 6; ++i) {
        const double s = 0.2 * i;
        out.point[i] = lerp(lerp(p0, control, s), lerp(control, p1, s), s);
    }
    out.point[0] = p0;
    out.point[5] = p1;
    thin(out);
}

}  // namespace vellacor

namespace vellacor {

void contourPieceOfSegment(const SurfaceView& surface, int t, double level, const ContourSegment& segment,
                           double smoothing, ContourPiece& out) {
    if (smoothing != 0.0)
        smoothContourPiece(surface, t, level, segment, smoothing, out);
    else
        straightPiece(segment, out);
}

bool contourPieceOf(const SurfaceView& surface, int t, double level, double smoothing, ContourPiece& out,
                    bool linked) {
    ContourSegment segment;
    if (!triangleContourSegment(surface, t, level, segment, linked)) return false;
    contourPieceOfSegment(surface, t, level, segment, smoothing, out);
    return true;
}

}  // namespace vellacor
