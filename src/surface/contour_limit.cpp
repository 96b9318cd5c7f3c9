#include "surface/contour_limit.h"

#include <algorithm>
#include <cstddef>

#include "model/plan_math.h"

namespace vellacor {

bool insidePolygon(const LimitPolygon& polygon, double x, double y) {
    const std::vector<Vec3>& v = polygon.vertices;
    bool inside = false;
    if (v.size() < 3) return false;
    for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
        const Vec3& a = v[j];
        const Vec3& b = v[i];
        if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y)) inside = !inside;
    }
    return inside;
}

void clipToPolygon(const LimitPolygon& polygon, const Vec3& from, const Vec3& to, std::vector<Vec3>& out) {
    const std::vector<Vec3>& v = polygon.vertices;
    if (v.size() < 3) return;
    const double dx = to.x - from.x, dy = to.y - from.y;
    // One crossing at most per polygon edge, and the end of the segment. Kept
    // between calls: every contour piece of every frame comes through here.
    thread_local std::vector<double> crossings;
    crossings.clear();
    crossings.reserve(v.size() + 1);
    for (std::size_t i = 0; i < v.size(); ++i) {
        const Vec3& a = v[i];
        const Vec3& b = v[(i + 1) % v.size()];
        // The edge crosses the segment's line when its ends lie on opposite
        // sides; an end exactly on the line counts with the negative side, so
        // a segment through a vertex meets only one of the vertex's two edges
        // (or both, when it just touches the polygon there).
        const double sideA = cross2(dx, dy, a.x - from.x, a.y - from.y);
        const double sideB = cross2(dx, dy, b.x - from.x, b.y - from.y);
        if ((sideA > 0.0) == (sideB > 0.0)) continue;
        const double ex = b.x - a.x, ey = b.y - a.y;
        const double s = cross2(a.x - from.x, a.y - from.y, ex, ey) / cross2(dx, dy, ex, ey);
        if (s >= 0.0 && s <= 1.0) crossings.push_back(s);
    }
    std::sort(crossings.begin(), crossings.end());
    crossings.push_back(1.0);
    // Between two neighbouring crossings the segment is wholly inside or wholly
    // outside: its middle decides. Testing each stretch rather than toggling at
    // every crossing keeps a segment that starts or ends on an edge, or grazes a
    // vertex, from being turned inside out by rounding. Stretches inside one
    // after another are joined into one piece.
    double start = 0.0;
    bool open = false;
    Vec3 pieceStart;
    for (const double s : crossings) {
        if (s <= start) continue;
        const Vec3 middle = lerp(from, to, 0.5 * (start + s));
        const bool inside = insidePolygon(polygon, middle.x, middle.y);
        if (inside && !open) pieceStart = lerp(from, to, start);
        if (!inside && open) {
            out.push_back(pieceStart);
            out.push_back(lerp(from, to, start));
        }
        open = inside;
        start = s;
    }
    if (open) {
        out.push_back(pieceStart);
        out.push_back(to);
    }
}

bool contoursLimitedAway(const ContourSettings& settings) {
    return settings.contourLimitMode == ContourLimitMode::InsidePolygon && !settings.limitPolygon;
}

void limitContourPiece(const ContourSettings& settings, const Vec3& from, const Vec3& to, std::vector<Vec3>& out) {
    if (settings.contourLimitMode != ContourLimitMode::InsidePolygon) {
        out.push_back(from);
        out.push_back(to);
        return;
    }
    if (settings.limitPolygon) clipToPolygon(*settings.limitPolygon, from, to, out);
}

}  // namespace vellacor
