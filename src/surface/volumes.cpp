#include "surface/volumes.h"

#include <algorithm>
#include <cmath>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "surface/contour_join.h"
#include "surface/contour_levels.h"
#include "surface/contour_limit.h"
#include "surface/overlay_classes.h"
#include "surface/plan_clipping.h"
#include "surface/plan_tin.h"
#include "surface/point_location.h"
#include "surface/predicates.h"
#include "surface/triangle_grid.h"
#include "surface/shared_triangles.h"
#include "system/two_cores.h"

namespace vellacor {

namespace {

constexpr int kProgressEvery = 1 << 15;

using Corner = PlanTin::Point;

// The plane through a triangle's corners, taken in a fixed (sorted) order so
// that two triangles with the same corners give bit-identical elevations, and
// identical surfaces a difference of exactly zero.
struct PlanePiece {
    double x0 = 0, y0 = 0, z0 = 0, gx = 0, gy = 0;

    double at(double x, double y) const { return z0 + gx * (x - x0) + gy * (y - y0); }
};

PlanePiece planeThrough(Corner a, Corner b, Corner c) {
    const auto before = [](const Corner& p, const Corner& q) { return p.x < q.x || (p.x == q.x && p.y < q.y); };
    if (before(b, a)) std::swap(a, b);
    if (before(c, b)) std::swap(b, c);
    if (before(b, a)) std::swap(a, b);
    const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
    const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    const double det = ux * vy - vx * uy;
    PlanePiece p{a.x, a.y, a.z, 0.0, 0.0};
    if (det != 0.0) {
        p.gx = (uz * vy - vz * uy) / det;
        p.gy = (ux * vz - vx * uz) / det;
    }
    return p;
}

struct Box {
    double minX, minY, maxX, maxY;
    bool meets(const Box& o) const { return minX <= o.maxX && o.minX <= maxX && minY <= o.maxY && o.minY <= maxY; }
};

Box boxOf(const Corner* c, std::size_t n) {
    Box b{c[0].x, c[0].y, c[0].x, c[0].y};
    for (std::size_t i = 1; i < n; ++i)
        b = {std::min(b.minX, c[i].x), std::min(b.minY, c[i].y), std::max(b.maxX, c[i].x), std::max(b.maxY, c[i].y)};
    return b;
}

// A scratch polygon with room for at least `corners` corners.
PlanCorner* roomFor(std::vector<PlanCorner>& scratch, std::size_t corners) {
    if (scratch.size() < corners) scratch.resize(corners);
    return scratch.data();
}

// Clips `polygon` (its first `count` corners) to the convex window of n
// corners, counter-clockwise, edge by edge; the part is left in `polygon`
// and its corner count returned.
template <typename Point>
int clipToWindow(std::vector<PlanCorner>& polygon, int count, const Point* window, int n, std::vector<PlanCorner>& scratch) {
    for (int i = 0, j = n - 1; i < n && count > 0; j = i++) {
        roomFor(scratch, 2 * static_cast<std::size_t>(count));
        count = clipToLeftOf(polygon.data(), count, window[j].x, window[j].y, window[i].x, window[i].y, scratch.data());
        polygon.swap(scratch);
    }
    return count;
}

// The limit polygon, counter-clockwise, with its box.
struct Limit {
    LimitPolygon polygon;
    std::vector<PlanCorner> corners;
    Box box{};
};

std::optional<Limit> limitOf(const std::vector<Vec3>& vertices) {
    if (vertices.size() < 3) return std::nullopt;
    Limit limit;
    limit.polygon.vertices = vertices;
    double twiceArea = 0;
    for (std::size_t i = 0, j = vertices.size() - 1; i < vertices.size(); j = i++)
        twiceArea += vertices[j].x * vertices[i].y - vertices[i].x * vertices[j].y;
    for (const Vec3& v : vertices) limit.corners.push_back({v.x, v.y, 0.0});
    if (twiceArea < 0) std::reverse(limit.corners.begin(), limit.corners.end());
    std::vector<Corner> plain;
    for (const PlanCorner& c : limit.corners) plain.push_back({c.x, c.y, 0.0});
    limit.box = boxOf(plain.data(), plain.size());
    return limit;
}

// Where a site triangle stands against the limit polygon.
enum class LimitSide { Outside, Inside, Across };

LimitSide sideOfLimit(const Limit& limit, const Box& triangleBox, double cx, double cy) {
    if (!limit.box.meets(triangleBox)) return LimitSide::Outside;
    const std::vector<PlanCorner>& v = limit.corners;
    for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
        const Box edge{std::min(v[i].x, v[j].x), std::min(v[i].y, v[j].y), std::max(v[i].x, v[j].x),
                       std::max(v[i].y, v[j].y)};
        if (edge.meets(triangleBox)) return LimitSide::Across;
    }
    return insidePolygon(limit.polygon, cx, cy) ? LimitSide::Inside : LimitSide::Outside;
}

// The isopach's pieces, by level number (level = number * interval).
using IsopachPieces = std::map<long long, ContourPieces>;

// Adds the segment where d crosses each level of the interval within the
// convex region: a corner counts as above a level when d >= level, so a
// level gives two crossings or none. A corner within kOnLevel of a level is
// taken as on it: where the level runs along an edge shared by two pieces
// (grid-aligned surfaces), rounding would otherwise put bits of it on both
// sides. O(corners x levels crossed).
constexpr double kOnLevel = 1e-9;

void addIsopachSegments(PlanCorner* region, int n, double interval, IsopachPieces& out) {
    double lo = region[0].d, hi = lo;
    for (int i = 0; i < n; ++i) {
        PlanCorner& c = region[i];
        const double nearest = std::round(c.d / interval) * interval;
        if (std::fabs(c.d - nearest) <= kOnLevel) c.d = nearest;
        lo = std::min(lo, c.d), hi = std::max(hi, c.d);
    }
    const long long first = static_cast<long long>(std::ceil(lo / interval));
    const long long last = static_cast<long long>(std::floor(hi / interval));
    for (long long k = first; k <= last; ++k) {
        const double level = static_cast<double>(k) * interval;
        Vec3 ends[2];
        int found = 0;
        for (int i = 0, j = n - 1; i < n && found < 2; j = i++) {
            const PlanCorner &a = region[j], &b = region[i];
            if ((a.d >= level) == (b.d >= level)) continue;
            const double t = (level - a.d) / (b.d - a.d);
            ends[found++] = {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), level};
        }
        if (found == 2 && (ends[0].x != ends[1].x || ends[0].y != ends[1].y)) out[k].add(ends, 2);
    }
}

// The limit polygon's part inside a site triangle, when the polygon crosses it.
struct LimitPart {
    const PlanCorner* corners = nullptr;
    int count = 0;
};

// The running sums, and the scratch polygons reused for every piece.
class Accumulator {
public:
    VolumeTotals totals;
    double isopachInterval = 0;
    IsopachPieces isopach;

    // One convex piece of the overlay (counter-clockwise, n corners), where
    // the site has plane `site` and the comparison `other`; `limit` is the
    // polygon's part inside the site triangle, or empty when the whole piece
    // counts (its corners' d are then set in place). True when the part
    // counted has some area.
    bool addPiece(PlanCorner* piece, int n, const PlanePiece& site, const PlanePiece& other, LimitPart limit) {
        return addPiece(piece, n, site, other, limit, -1);
    }
    bool addPiece(PlanCorner* piece, int n, const PlanePiece& site, const PlanePiece& other, LimitPart limit, int) {
        PlanCorner* region;
        int count;
        if (limit.count > 0) {
            clipped_.assign(limit.corners, limit.corners + limit.count);
            count = clipToWindow(clipped_, limit.count, piece, n, scratch_);
            region = clipped_.data();
        } else {
            region = piece;
            count = n;
        }
        for (int i = 0; i < count; ++i) region[i].d = site.at(region[i].x, region[i].y) - other.at(region[i].x, region[i].y);
        const PlanIntegral whole = integrateLinear(region, count);
        if (!(whole.area > 0)) return false;
        totals.area += whole.area;
        if (isopachInterval > 0) {
            PlanCorner* levels = roomFor(isopachRegion_, static_cast<std::size_t>(count));  // snapped apart from the volumes
            std::copy(region, region + count, levels);
            addIsopachSegments(levels, count, isopachInterval, isopach);
        }
        double highest = 0, lowest = 0;
        for (int i = 0; i < count; ++i) highest = std::max(highest, region[i].d), lowest = std::min(lowest, region[i].d);
        // A piece of one sign is its own part: no zero line to split at.
        addSide(region, count, +1, highest, lowest < 0 ? nullptr : &whole);
        addSide(region, count, -1, -lowest, highest > 0 ? nullptr : &whole);
        return true;
    }

private:
    // Adds the part where sign * d > 0: `whole` when that is all of the
    // region, otherwise clipped at the zero line.
    void addSide(const PlanCorner* region, int n, int sign, double extreme, const PlanIntegral* whole) {
        if (!(extreme > 0)) return;
        PlanIntegral p;
        if (whole) {
            p = *whole;
        } else {
            PlanCorner* part = roomFor(part_, static_cast<std::size_t>(2 * n));
            p = integrateLinear(part, clipToSign(region, n, sign, part));
        }
        if (!(p.area > 0)) return;
        if (sign > 0) {
            totals.cut += std::max(p.integral, 0.0);
            totals.cutArea += p.area;
            totals.deepestCut = std::max(totals.deepestCut, extreme);
        } else {
            totals.fill += std::max(-p.integral, 0.0);
            totals.fillArea += p.area;
            totals.highestFill = std::max(totals.highestFill, extreme);
        }
    }

    std::vector<PlanCorner> clipped_, scratch_, part_, isopachRegion_;
};

// One site triangle: its corners counter-clockwise, its plane and box, and the
// limit polygon's part inside it when the polygon crosses it.
struct SiteTriangle {
    Corner corner[3];
    PlanePiece plane;
    Box box;
    std::vector<PlanCorner> limitCorners, scratch;
    LimitPart limit;
};

// Fills `s` for triangle t; false when it has no plan area or lies outside the limit.
bool prepareSiteTriangle(const PlanTin& site, int t, const std::optional<Limit>& limit, SiteTriangle& s) {
    if (!site.hasArea[static_cast<std::size_t>(t)]) return false;
    for (int k = 0; k < 3; ++k) s.corner[k] = site.corner(t, k);
    s.plane = planeThrough(s.corner[0], s.corner[1], s.corner[2]);
    s.box = boxOf(s.corner, 3);
    s.limit = {};
    if (!limit) return true;
    const double cx = (s.corner[0].x + s.corner[1].x + s.corner[2].x) / 3.0;
    const double cy = (s.corner[0].y + s.corner[1].y + s.corner[2].y) / 3.0;
    switch (sideOfLimit(*limit, s.box, cx, cy)) {
        case LimitSide::Outside: return false;
        case LimitSide::Inside: return true;
        case LimitSide::Across: break;
    }
    s.limitCorners = limit->corners;
    const int count = clipToWindow(s.limitCorners, static_cast<int>(s.limitCorners.size()), s.corner, 3, s.scratch);
    if (!(integrateLinear(s.limitCorners.data(), count).area > 0)) return false;
    s.limit = {s.limitCorners.data(), count};
    return true;
}

// The plan area of the site triangle counted (within the limit).
double countedArea(const SiteTriangle& s) {
    if (s.limit.count > 0) return integrateLinear(s.limit.corners, s.limit.count).area;
    const PlanCorner whole[3] = {{s.corner[0].x, s.corner[0].y, 0}, {s.corner[1].x, s.corner[1].y, 0},
                                 {s.corner[2].x, s.corner[2].y, 0}};
    return integrateLinear(whole, 3).area;
}

// The comparison's triangle grids, each built when a walk first needs it:
// one of the triangles along the surface's edge (its own, and those beside a
// flat triangle, where the links lead no further), which a site triangle
// across the edge needs; and one of every triangle, which only a walk lost
// inside the surface needs (each walk starts where the last one ended).
class LazyGrid {
public:
    explicit LazyGrid(const PlanTin& tin) : tin_(tin) {}
    const TriangleGrid& all() {
        std::call_once(allBuilt_, [this] { all_ = buildTriangleGrid(tin_); });
        return all_;
    }
    // The surface covers a convex region: one loop of edges, turning left
    // (or running straight) at every corner, and no flat triangle.
    bool convex() {
        std::call_once(convexKnown_, [this] { convex_ = coversConvexRegion(tin_); });
        return convex_;
    }
    const TriangleGrid& edges() {
        std::call_once(edgesBuilt_, [this] {
            std::vector<int> onEdge;
            for (int t = 0; t < tin_.triangleCount(); ++t) {
                bool edge = !tin_.hasArea[static_cast<std::size_t>(t)];
                for (const std::int32_t n : tin_.neighbours[static_cast<std::size_t>(t)])
                    edge = edge || n < 0 || !tin_.hasArea[static_cast<std::size_t>(n)];
                if (edge) onEdge.push_back(t);
            }
            edges_ = buildTriangleGrid(tin_, &onEdge);
        });
        return edges_;
    }

private:
    const PlanTin& tin_;
    std::once_flag allBuilt_, edgesBuilt_, convexKnown_;
    TriangleGrid all_, edges_;
    bool convex_ = false;
};

constexpr int kLongestFirstWalk = 1 << 16;

// Finds the comparison's triangles under one site triangle and adds each
// piece to a Sink (addPiece as the Accumulator's, with the comparison
// triangle's number): from a located triangle through the neighbour links,
// over the triangles whose plan overlaps the site triangle's by some area.
// With `touched`, each comparison triangle that may overlap a site triangle
// walked is marked there.
template <typename Sink>
class OverlayWalk {
public:
    OverlayWalk(const PlanTin& comparison, LazyGrid& grid, std::vector<std::uint8_t>* touched = nullptr)
        : comparison_(comparison), lazyGrid_(grid), touched_(touched),
          longestWalk_(64 + 4 * static_cast<int>(std::sqrt(static_cast<double>(comparison.triangleCount())))) {
        visitedBy_.reserve(static_cast<std::size_t>(comparison.triangleCount()));
        visitedBy_.assign(static_cast<std::size_t>(comparison.triangleCount()), -1);
        pointStamp_.reserve(comparison.points.size());
        pointStamp_.assign(comparison.points.size(), -1);
        pointOutside_.assign(comparison.points.size(), 0);
    }

    // `near`: a comparison triangle close to the site triangle to walk from,
    // or -1: the walk starts where the last one ended.
    void addOverlaps(int siteIndex, const SiteTriangle& s, Sink& sum, int near = -1) {
        if (!comparison_.box.meets(s.box.minX, s.box.minY, s.box.maxX, s.box.maxY)) return;
        siteIndex_ = siteIndex;
        reachedEdge_ = false;
        const double cx = (s.corner[0].x + s.corner[1].x + s.corner[2].x) / 3.0;
        const double cy = (s.corner[0].y + s.corner[1].y + s.corner[2].y) / 3.0;
        // The triangle under the last site triangle's centre is a step or two
        // away in plan order (across the surface at the end of a strip).
        bool leftSurface = false;
        int seed = walkTo(near >= 0 ? near : last_, cx, cy, walked_ || near >= 0 ? longestWalk_ : kLongestFirstWalk,
                          leftSurface);
        bool found = false;
        if (seed != kNoTriangle) {
            last_ = seed;
            walked_ = true;
            found = flood(seed, s, sum);
        }
        // Where the comparison's edge crosses the triangle its part under the
        // triangle may come in pieces the links do not join, each of which
        // meets the edge inside the triangle: look along the edge.
        if (seed == kNoTriangle || reachedEdge_) found = scanEdges(s, sum) || found;
        // Nothing along the edge: the triangle lies wholly on the surface or
        // wholly off it. Off it, when the walk stepped out of a convex
        // surface (any edge of which has the whole surface on one side); a
        // walk that failed otherwise may have lost its way (past a flat
        // triangle, round a bay, or circling): the full grid settles it.
        if (seed == kNoTriangle && !found && !(leftSurface && lazyGrid_.convex())) {
            seed = locateInGrid(lazyGrid_.all(), comparison_, cx, cy);
            if (seed != kNoTriangle) {
                last_ = seed;
                flood(seed, s, sum);
                if (reachedEdge_) scanEdges(s, sum);
            }
        }
    }

    // Comparison triangle b has the site triangle's very corners: it is the
    // one piece under it (the others a walk would find meet it along an edge
    // or at a corner only).
    void addTwin(const SiteTriangle& s, Sink& sum, int b) {
        last_ = b;
        walked_ = true;
        if (touched_) (*touched_)[static_cast<std::size_t>(b)] = 1;
        const Corner c[3] = {comparison_.corner(b, 0), comparison_.corner(b, 1), comparison_.corner(b, 2)};
        PlanCorner piece[3] = {{c[0].x, c[0].y, 0}, {c[1].x, c[1].y, 0}, {c[2].x, c[2].y, 0}};
        sum.addPiece(piece, 3, s.plane, planeThrough(c[0], c[1], c[2]), s.limit, b);
    }

private:
    // The triangle holding (x, y), found by stepping from triangle t across
    // an edge the point lies beyond; nothing when the walk leaves the surface,
    // meets a flat triangle or takes long (a walk may circle in a
    // triangulation that is not Delaunay). `leftSurface` tells when it
    // failed by stepping out across the surface's edge. The edges are tried
    // in their own order at every step: the seed decides the order the
    // pieces are summed in, and with it the totals' last bits.
    int walkTo(int t, double x, double y, int longest, bool& leftSurface) const {
        leftSurface = false;
        if (t >= comparison_.triangleCount()) return kNoTriangle;
        for (int step = 0; step < longest; ++step) {
            if (!comparison_.hasArea[static_cast<std::size_t>(t)]) return kNoTriangle;
            const Location here = placeAgainst(comparison_, t, x, y);
            if (here.place != Place::Outside) return t;
            t = comparison_.neighbours[static_cast<std::size_t>(t)][static_cast<std::size_t>(here.edge)];
            if (t < 0) {
                leftSurface = true;
                return kNoTriangle;
            }
        }
        return kNoTriangle;
    }

    // True when the seed overlaps the site triangle.
    bool flood(int seed, const SiteTriangle& s, Sink& sum) {
        if (!visit(seed, s, sum)) return false;
        stack_.push_back(seed);
        while (!stack_.empty()) {
            const int b = stack_.back();
            stack_.pop_back();
            for (const std::int32_t n : comparison_.neighbours[static_cast<std::size_t>(b)]) {
                if (n < 0) {
                    reachedEdge_ = true;
                    continue;
                }
                if (visitedBy_[static_cast<std::size_t>(n)] != siteIndex_ && visit(n, s, sum)) stack_.push_back(n);
            }
        }
        return true;
    }


    // Floods from each edge triangle near the site triangle not reached yet;
    // true when one overlaps it.
    bool scanEdges(const SiteTriangle& s, Sink& sum) {
        if (!edges_) edges_ = &lazyGrid_.edges();
        bool found = false;
        forEachTriangleNear(*edges_, s.box.minX, s.box.minY, s.box.maxX, s.box.maxY, [&](int b) {
            if (visitedBy_[static_cast<std::size_t>(b)] != siteIndex_) found = flood(b, s, sum) || found;
        });
        return found;
    }

    // Clips comparison triangle b to the site triangle and adds the piece;
    // true when they overlap by some area. The sides of each triangle's
    // corners to the other's edges settle most cases without clipping: an
    // edge with the other's three corners outside separates them, and a
    // triangle with every corner inside the other is the piece itself.
    bool visit(int b, const SiteTriangle& s, Sink& sum) {
        visitedBy_[static_cast<std::size_t>(b)] = siteIndex_;
        if (!comparison_.hasArea[static_cast<std::size_t>(b)]) {
            reachedEdge_ = true;  // the links may not lead on past a flat triangle: look along the edges
            return false;
        }
        const std::array<std::int32_t, 3>& v = comparison_.corners[static_cast<std::size_t>(b)];
        const unsigned m0 = outsideEdges(v[0], s), m1 = outsideEdges(v[1], s), m2 = outsideEdges(v[2], s);
        if ((m0 & m1 & m2) != 0) return false;  // one site edge has all three corners outside
        const Corner c[3] = {comparison_.corner(b, 0), comparison_.corner(b, 1), comparison_.corner(b, 2)};
        PlanCorner piece[12], scratch[12];  // a triangle clipped to a triangle has at most six corners
        int n = 3;
        if ((m0 | m1 | m2) == 0) {
            for (int k = 0; k < 3; ++k) piece[k] = {c[k].x, c[k].y, 0};
        } else if (const int siteInside = (m0 == 0 || m1 == 0 || m2 == 0) ? 0 : cornersInside(c, s.corner);
                   siteInside < 0) {
            return false;
        } else if (siteInside == 3) {
            for (int k = 0; k < 3; ++k) piece[k] = {s.corner[k].x, s.corner[k].y, 0};
        } else {
            for (int k = 0; k < 3; ++k) piece[k] = {c[k].x, c[k].y, 0};
            PlanCorner* from = piece;
            PlanCorner* to = scratch;
            // Only the site edges some corner lies beyond can cut the triangle.
            const unsigned beyond = m0 | m1 | m2;
            for (int i = 0, j = 2; i < 3 && n > 0; j = i++) {
                if ((beyond & (1u << i)) == 0) continue;
                n = clipToLeftOf(from, n, s.corner[j].x, s.corner[j].y, s.corner[i].x, s.corner[i].y, to);
                std::swap(from, to);
            }
            if (from != piece) std::copy(from, from + n, piece);
            // Without a limit the piece is what is counted, and its area is known there.
            if (s.limit.count > 0 && !(integrateLinear(piece, n).area > 0)) return false;
        }
        if (touched_) (*touched_)[static_cast<std::size_t>(b)] = 1;
        return sum.addPiece(piece, n, s.plane, planeThrough(c[0], c[1], c[2]), s.limit, b) || s.limit.count > 0;
    }

    // The site triangle's edges (bit k: the edge ending at corner k) that
    // comparison point p lies strictly outside of. A point is shared by about
    // six of the triangles visited under one site triangle, so each is
    // tested once per site triangle.
    unsigned outsideEdges(int p, const SiteTriangle& s) {
        const std::size_t i = static_cast<std::size_t>(p);
        if (pointStamp_[i] == siteIndex_) return pointOutside_[i];
        const Corner& q = comparison_.points[i];
        unsigned mask = 0;
        for (int k = 0, j = 2; k < 3; j = k++)
            if (orient2d(s.corner[j].x, s.corner[j].y, s.corner[k].x, s.corner[k].y, q.x, q.y) < 0) mask |= 1u << k;
        pointStamp_[i] = siteIndex_;
        pointOutside_[i] = static_cast<std::uint8_t>(mask);
        return mask;
    }

    // How many corners of `inner` lie inside or on the counter-clockwise
    // triangle `outer`: 3 when all do, -1 when one edge of `outer` has all
    // three strictly outside (no overlap), otherwise 0.
    static int cornersInside(const Corner* outer, const Corner* inner) {
        bool all = true;
        for (int i = 0, j = 2; i < 3; j = i++) {
            int outside = 0;
            for (int k = 0; k < 3; ++k)
                if (orient2d(outer[j].x, outer[j].y, outer[i].x, outer[i].y, inner[k].x, inner[k].y) < 0) ++outside;
            if (outside == 3) return -1;
            all = all && outside == 0;
        }
        return all ? 3 : 0;
    }

    const PlanTin& comparison_;
    LazyGrid& lazyGrid_;
    std::vector<std::uint8_t>* touched_;
    const TriangleGrid* edges_ = nullptr;
    int longestWalk_;
    std::vector<int> visitedBy_;  // the site triangle that last clipped each comparison triangle
    std::vector<int> pointStamp_;  // the site triangle each point's pointOutside_ belongs to
    std::vector<std::uint8_t> pointOutside_;
    int siteIndex_ = -1;
    int last_ = 0;  // where the last walk ended
    bool walked_ = false;
    bool reachedEdge_ = false;
    std::vector<int> stack_;
};

void addTotals(VolumeTotals& into, const VolumeTotals& part) {
    into.cut += part.cut;
    into.fill += part.fill;
    into.cutArea += part.cutArea;
    into.fillArea += part.fillArea;
    into.area += part.area;
    into.siteArea += part.siteArea;
    into.deepestCut = std::max(into.deepestCut, part.deepestCut);
    into.highestFill = std::max(into.highestFill, part.highestFill);
}

// Each level's pieces joined into polylines, in level order.
std::vector<ExportPolyline> joinIsopach(IsopachPieces& levels, double interval) {
    std::vector<ExportPolyline> result;
    std::vector<Vec3> polyline;
    for (auto& [k, pieces] : levels) {
        const double level = static_cast<double>(k) * interval;
        PolylineJoiner joiner(pieces);
        while (joiner.next(polyline)) result.push_back({level, isMajor(level, interval), polyline});
    }
    return result;
}

// The site's triangles in two halves, one on a second thread: each half with
// its own worker (made by makeWorker(half)) and sums, added in a fixed order
// so that the figures do not depend on the machine. Only the triangles
// `include` takes are walked.
template <typename Include, typename MakeWorker>
std::optional<VolumeTotals> walkSite(const PlanTin& site, const VolumeRequest& request,
                                     const std::function<bool(double)>& carryOn, Include include, MakeWorker makeWorker) {
    const std::optional<Limit> limit = limitOf(request.polygon);
    std::atomic<bool> stopped{false};
    const auto walkRange = [&](int first, int last, int worker, VolumeTotals& out, IsopachPieces& pieces) {
        auto addTriangle = makeWorker(worker);
        Accumulator sum;
        sum.isopachInterval = request.isopachInterval;
        SiteTriangle s;
        for (int t = first; t < last; ++t) {
            if ((t - first) % kProgressEvery == 0) {
                if (stopped.load(std::memory_order_relaxed)) return;
                if (worker == 0 && carryOn && !carryOn(static_cast<double>(t - first) / (last - first))) {
                    stopped = true;
                    return;
                }
            }
            if (!include(t) || !prepareSiteTriangle(site, t, limit, s)) continue;
            sum.totals.siteArea += countedArea(s);
            addTriangle(t, s, sum);
        }
        out = sum.totals;
        pieces = std::move(sum.isopach);
    };
    const int half = site.triangleCount() / 2;
    VolumeTotals first, second;
    IsopachPieces firstPieces, secondPieces;
    runOnTwoCores([&] { walkRange(half, site.triangleCount(), 1, second, secondPieces); },
                  [&] { walkRange(0, half, 0, first, firstPieces); });
    if (stopped) return std::nullopt;
    addTotals(first, second);
    for (auto& [level, pieces] : secondPieces) {
        ContourPieces& into = firstPieces[level];
        for (int i = 0; i < pieces.size(); ++i) {
            const std::size_t from = static_cast<std::size_t>(pieces.offsets[static_cast<std::size_t>(i)]);
            into.add(&pieces.points[from], pieces.offsets[static_cast<std::size_t>(i) + 1] - pieces.offsets[static_cast<std::size_t>(i)]);
        }
    }
    first.isopach = joinIsopach(firstPieces, request.isopachInterval);
    return first;
}

// How the limit polygon counts each site triangle.
std::vector<SiteCounted> countedBy(const PlanTin& site, const std::optional<Limit>& limit) {
    std::vector<SiteCounted> counted(site.corners.size(), SiteCounted::Whole);
    for (int t = 0; t < site.triangleCount(); ++t) {
        SiteCounted& c = counted[static_cast<std::size_t>(t)];
        if (!site.hasArea[static_cast<std::size_t>(t)]) {
            c = SiteCounted::NoArea;
            continue;
        }
        if (!limit) continue;
        const Corner corner[3] = {site.corner(t, 0), site.corner(t, 1), site.corner(t, 2)};
        const double cx = (corner[0].x + corner[1].x + corner[2].x) / 3.0;
        const double cy = (corner[0].y + corner[1].y + corner[2].y) / 3.0;
        switch (sideOfLimit(*limit, boxOf(corner, 3), cx, cy)) {
            case LimitSide::Outside: c = SiteCounted::NotCounted; break;
            case LimitSide::Inside: break;
            case LimitSide::Across: c = SiteCounted::InPart; break;
        }
    }
    return counted;
}

// Integrals of (z - reference) over whole triangles, and their areas, for the
// parts of the overlay that lie wholly in cut or wholly in fill.
struct SideIntegrals {
    double cut = 0, fill = 0, cutArea = 0, fillArea = 0;
    void add(std::uint8_t cls, double area, double integral) {
        if (cls == OverlayClasses::kCut) cut += integral, cutArea += area;
        if (cls == OverlayClasses::kFill) fill += integral, fillArea += area;
    }
};

PlanIntegral wholeTriangle(const PlanTin& tin, int t, double reference) {
    PlanCorner c[3];
    for (int k = 0; k < 3; ++k) {
        const Corner& p = tin.corner(t, k);
        c[k] = {p.x, p.y, p.z - reference};
    }
    return integrateLinear(c, 3);
}

// The site triangles wholly in cut or fill, [first, last).
SideIntegrals siteSide(const PlanTin& site, const OverlayClasses& classes, double reference, int first, int last) {
    SideIntegrals sums;
    for (int t = first; t < last; ++t) {
        const std::uint8_t cls = classes.site[static_cast<std::size_t>(t)];
        if (cls != OverlayClasses::kCut && cls != OverlayClasses::kFill) continue;
        const PlanIntegral whole = wholeTriangle(site, t, reference);
        sums.add(cls, whole.area, whole.integral);
    }
    return sums;
}

// The other surface's triangle holding one of triangle t's corners, or -1.
int nearCorner(const PlanTin& tin, int t, const std::vector<std::int32_t>& pointIn) {
    for (const std::int32_t p : tin.corners[static_cast<std::size_t>(t)])
        if (pointIn[static_cast<std::size_t>(p)] >= 0) return pointIn[static_cast<std::size_t>(p)];
    return -1;
}

// Adds the comparison's (z - reference) over the pieces of one comparison
// triangle that lie under site triangles wholly in cut or fill.
struct ComparisonPieces {
    const std::vector<std::uint8_t>& siteClass;
    double reference;
    SideIntegrals sums;

    bool addPiece(PlanCorner* piece, int n, const PlanePiece& own, const PlanePiece&, LimitPart, int siteTriangle) {
        for (int i = 0; i < n; ++i) piece[i].d = own.at(piece[i].x, piece[i].y) - reference;
        const PlanIntegral p = integrateLinear(piece, n);
        if (!(p.area > 0)) return false;
        sums.add(siteClass[static_cast<std::size_t>(siteTriangle)], 0.0, p.integral);
        return true;
    }
};

// The comparison's integral under the site triangles wholly in cut or fill,
// [first, last): a comparison triangle under triangles of one of those kinds
// only is taken whole; one under several kinds is clipped to those of them
// that are in cut or fill.
// A twin of a site triangle (`twinned`) lies under that triangle alone,
// which was added whole.
SideIntegrals comparisonSide(const PlanTin& comparison, const PlanTin& site, LazyGrid& siteGrid, const OverlayClasses& classes,
                             const std::vector<std::uint8_t>& touched0, const std::vector<std::uint8_t>& touched1,
                             const std::vector<std::uint8_t>& twinned, double reference, int first, int last) {
    ComparisonPieces pieces{classes.site, reference, {}};
    std::unique_ptr<OverlayWalk<ComparisonPieces>> walk;
    SiteTriangle s;
    for (int b = first; b < last; ++b) {
        const std::size_t i = static_cast<std::size_t>(b);
        if (!comparison.hasArea[i] || twinned[i]) continue;
        std::uint8_t bits = classes.comparison[i];
        if (touched0[i] || touched1[i]) bits |= OverlayClasses::kPieces;
        if ((bits & (OverlayClasses::kCut | OverlayClasses::kFill | OverlayClasses::kNotFound)) == 0) continue;
        if (bits == OverlayClasses::kCut || bits == OverlayClasses::kFill) {
            pieces.sums.add(bits, 0.0, wholeTriangle(comparison, b, reference).integral);
            continue;
        }
        if (!walk) walk = std::make_unique<OverlayWalk<ComparisonPieces>>(site, siteGrid);
        if (prepareSiteTriangle(comparison, b, std::nullopt, s))
            walk->addOverlaps(b, s, pieces, nearCorner(comparison, b, classes.comparisonPointIn));
    }
    return pieces.sums;
}

void addSides(SideIntegrals& into, const SideIntegrals& more) {
    into.cut += more.cut, into.fill += more.fill, into.cutArea += more.cutArea, into.fillArea += more.fillArea;
}

// The overlay where the two surfaces' corners say which triangles lie wholly
// in cut or in fill: those are integrated whole, and only the rest piece by
// piece. Nothing when the walks find the triangulations unusable.
std::optional<std::optional<VolumeTotals>> compareByClasses(const PlanTin& sitePlan, const PlanTin& comparisonPlan,
                                                            LazyGrid& comparisonGrid, const VolumeRequest& request,
                                                            const std::function<bool(double)>& carryOn) {
    // Triangles both surfaces share (as a finished ground keeps the ground's
    // own beyond its grading) are their own pieces: they are kept out of the
    // classes, counted as outside, and each added whole with its twin.
    std::vector<SiteCounted> counted = countedBy(sitePlan, limitOf(request.polygon));
    std::vector<std::uint8_t> whole(counted.size()), twinned(comparisonPlan.corners.size(), 0);
    for (std::size_t t = 0; t < whole.size(); ++t) whole[t] = counted[t] == SiteCounted::Whole;
    const SharedTriangles shared = sharedTriangles(sitePlan, comparisonPlan, whole);
    const std::vector<std::int32_t>& twin = shared.twin;
    for (std::size_t t = 0; t < twin.size(); ++t)
        if (twin[t] >= 0) counted[t] = SiteCounted::NotCounted, twinned[static_cast<std::size_t>(twin[t])] = 1;
    const OverlayClasses classes = classifyOverlay(sitePlan, comparisonPlan, counted, &shared.comparisonPointShared);
    if (!classes.usable) return std::nullopt;
    std::vector<std::uint8_t> touched[2];
    for (auto& marks : touched) marks.assign(comparisonPlan.corners.size(), 0);
    std::optional<VolumeTotals> totals = walkSite(
        sitePlan, request, carryOn,
        [&](int t) {
            return classes.site[static_cast<std::size_t>(t)] == OverlayClasses::kPieces || twin[static_cast<std::size_t>(t)] >= 0;
        },
        [&](int worker) {
            auto walk = std::make_shared<OverlayWalk<Accumulator>>(comparisonPlan, comparisonGrid, &touched[worker]);
            return [walk, &sitePlan, &classes, &twin](int t, const SiteTriangle& s, Accumulator& sum) {
                if (const std::int32_t b = twin[static_cast<std::size_t>(t)]; b >= 0) walk->addTwin(s, sum, b);
                else walk->addOverlaps(t, s, sum, nearCorner(sitePlan, t, classes.sitePointIn));
            };
        });
    if (!totals) return std::optional<VolumeTotals>{};
    if (carryOn && !carryOn(1.0)) return std::optional<VolumeTotals>{};

    // Heights taken from one of the site's own, so that the two integrals
    // subtracted below are of the size of the relief, not of the elevations.
    const double reference = sitePlan.points.empty() ? 0.0 : sitePlan.points.front().z;
    LazyGrid siteGrid(sitePlan);
    SideIntegrals ownFirst, ownSecond, underFirst, underSecond;
    const int siteHalf = sitePlan.triangleCount() / 2, comparisonHalf = comparisonPlan.triangleCount() / 2;
    runOnTwoCores(
        [&] {
            ownSecond = siteSide(sitePlan, classes, reference, siteHalf, sitePlan.triangleCount());
            underSecond = comparisonSide(comparisonPlan, sitePlan, siteGrid, classes, touched[0], touched[1], twinned,
                                         reference, comparisonHalf, comparisonPlan.triangleCount());
        },
        [&] {
            ownFirst = siteSide(sitePlan, classes, reference, 0, siteHalf);
            underFirst = comparisonSide(comparisonPlan, sitePlan, siteGrid, classes, touched[0], touched[1], twinned,
                                        reference, 0, comparisonHalf);
        });
    addSides(ownFirst, ownSecond);
    addSides(underFirst, underSecond);
    VolumeTotals& v = *totals;
    v.cut += std::max(ownFirst.cut - underFirst.cut, 0.0);
    v.fill += std::max(underFirst.fill - ownFirst.fill, 0.0);
    v.cutArea += ownFirst.cutArea;
    v.fillArea += ownFirst.fillArea;
    v.area += ownFirst.cutArea + ownFirst.fillArea;
    v.siteArea += ownFirst.cutArea + ownFirst.fillArea;
    v.deepestCut = std::max(v.deepestCut, classes.deepestCut);
    v.highestFill = std::max(v.highestFill, classes.highestFill);
    return totals;
}

}  // namespace

std::optional<VolumeTotals> compareSurfaces(const SurfaceView& site, const SurfaceView& comparison,
                                            const VolumeRequest& request,
                                            const std::function<bool(double)>& carryOn) {
    PlanTin sitePlan, comparisonPlan;
    runOnTwoCores([&] { comparisonPlan = planTinOf(comparison); }, [&] { sitePlan = planTinOf(site); });
    LazyGrid grid(comparisonPlan);
    // The isopach is traced through every piece.
    if (!(request.isopachInterval > 0))
        if (auto byClasses = compareByClasses(sitePlan, comparisonPlan, grid, request, carryOn))
            return *byClasses;
    return walkSite(
        sitePlan, request, carryOn, [](int) { return true; },
        [&](int) {
            return [walk = std::make_shared<OverlayWalk<Accumulator>>(comparisonPlan, grid)](
                       int t, const SiteTriangle& s, Accumulator& sum) { walk->addOverlaps(t, s, sum); };
        });
}

std::optional<VolumeTotals> compareWithDatum(const SurfaceView& site, const VolumeRequest& request,
                                             const std::function<bool(double)>& carryOn) {
    const PlanePiece level{0.0, 0.0, request.datum.value_or(0.0), 0.0, 0.0};
    return walkSite(planTinOf(site), request, carryOn, [](int) { return true; }, [&](int) {
        return [&level](int, const SiteTriangle& s, Accumulator& sum) {
            PlanCorner piece[3] = {{s.corner[0].x, s.corner[0].y, 0}, {s.corner[1].x, s.corner[1].y, 0},
                                   {s.corner[2].x, s.corner[2].y, 0}};
            sum.addPiece(piece, 3, s.plane, level, s.limit);
        };
    });
}

}  // namespace vellacor
