#include "surface/drape.h"

#include <cmath>

#include "model/surface_view.h"
#include "surface/tin_geometry.h"

namespace vellacor {

namespace {

constexpr double kInside = 0.000001;
constexpr int kCreepSteps = 100;  // at 1 % of the line each

const TinTriangle& triangleAt(const SurfaceView& surface, int t) { return surface.triangles[static_cast<std::size_t>(t)]; }

double elevationAt(const SurfaceView& surface, int t, double x, double y) {
    return t >= 0 ? planeElevation(triangleAt(surface, t), x, y) : kOutsideSurface;
}

// The surface's hull edges: the list made with the neighbour links when it
// belongs to the current triangles, else every edge found without a neighbour.
template <class Visit>
void forEachHullEdge(const SurfaceView& surface, Visit&& visit) {
    if (!surface.hullEdges.empty()) {
        for (const HullEdge& e : surface.hullEdges) visit(e.triangle, e.edge);
        return;
    }
    for (int t = 0; t < surface.triangleCount; ++t)
        for (int k = 0; k < 3; ++k)
            if (triangleAt(surface, t).neighbour[k] == kNoTriangle) visit(t, k);
}

}  // namespace

bool edgeCrossing(const SurfaceView& surface, int t, int k, double ax, double ay, double bx, double by, Vec3& out) {
    const TinTriangle& triangle = triangleAt(surface, t);
    const SurveyPoint& p = surface.points[static_cast<std::size_t>(triangle.vertex[k])];
    const SurveyPoint& q = surface.points[static_cast<std::size_t>(triangle.vertex[(k + 1) % 3])];
    double s, u;
    if (!planCrossingParameters(ax, ay, bx, by, p, q, s, u)) return false;
    const double dx = bx - ax, dy = by - ay;
    if (s <= kInside || s >= 1.0 - kInside || u <= kInside || u >= 1.0 - kInside) return false;
    out.x = ax + s * dx;
    out.y = ay + s * dy;
    out.z = planeElevation(triangle, out.x, out.y);
    return true;
}

int enterSurface(const SurfaceView& surface, Vec3& p0, const Vec3& p1) {
    int entered = kNoTriangle;
    Vec3 crossing;
    forEachHullEdge(surface, [&](int t, int k) {
        const Vec3& c = triangleAt(surface, t).centroid;
        // p0 lies beyond this hull edge, and the line crosses it on its way in.
        if (edgeCrossing(surface, t, k, c.x, c.y, p0.x, p0.y, crossing) &&
            edgeCrossing(surface, t, k, p0.x, p0.y, p1.x, p1.y, crossing)) {
            p0 = crossing;
            entered = t;
        }
    });
    return entered;
}

int drapeSegment(const SurfaceView& surface, double x0, double y0, double x1, double y1, std::vector<Vec3>& out) {
    if (surface.triangleCount <= 0) return 0;
    auto neighbourOf = [&](int t, int k) {
        const int across = triangleAt(surface, t).neighbour[k];
        return across >= 0 && across < surface.triangleCount ? across : kNoTriangle;
    };
    const Vec3 end{x1, y1, 0.0};
    const double stepX = (x1 - x0) / kCreepSteps, stepY = (y1 - y0) / kCreepSteps;

    Vec3 a{x0, y0, 0.0};
    int start = locateTriangle(surface, 0, x0, y0);
    if (start == kNoTriangle) start = enterSurface(surface, a, end);
    if (start == kNoTriangle) return 0;

    int count = 0;
    int last = kNoTriangle;  // the end's triangle as last located
    // Each round drapes one stretch of the line that lies on the surface.
    for (int budget = 4 * surface.triangleCount + 16;;) {
        out.push_back({a.x, a.y, elevationAt(surface, start, a.x, a.y)});
        ++count;
        last = locateTriangle(surface, start, x1, y1);
        int current = start, previous = kNoTriangle;
        while (current != last && current != kNoTriangle && --budget > 0) {
            const double rx = x1 - a.x, ry = y1 - a.y;
            if (rx * rx + ry * ry < 0.001) break;
            Vec3 crossing;
            int k = 0;
            while (k < 3 && !(edgeCrossing(surface, current, k, a.x, a.y, x1, y1, crossing) &&
                              neighbourOf(current, k) != previous))
                ++k;
            if (k < 3) {
                out.push_back(crossing);
                ++count;
                a = crossing;
                previous = current;
                current = neighbourOf(current, k);
                continue;
            }
            // The line runs through a vertex: creep along it until another
            // triangle holds it.
            int found = current;
            for (int step = 0; step < kCreepSteps && found == current; ++step) {
                a.x += stepX;
                a.y += stepY;
                found = locateTriangle(surface, current, a.x, a.y);
            }
            if (found == current) break;
            previous = current;
            current = found;
        }
        if (current != kNoTriangle || budget <= 0) break;
        // The line has left the surface at `a`: drape on from where it comes back.
        Vec3 entry = a;
        start = enterSurface(surface, entry, end);
        if (start == kNoTriangle) {
            last = kNoTriangle;
            break;
        }
        out.push_back({entry.x, entry.y, kOutsideSurface});
        ++count;
        a = entry;
    }
    out.push_back({x1, y1, elevationAt(surface, last, x1, y1)});
    return count + 1;
}

}  // namespace vellacor
