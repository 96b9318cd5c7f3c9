#include "surface/volumes.h"

#include <algorithm>
#include <cmath>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <utility>

#include "surface/contour_join.h"
#include "surface/contour_levels.h"
#include "surface/contour_limit.h"
#include "surface/plan_clipping.h"
#include "surface/predicates.h"
#include "surface/triangle_grid.h"

namespace vellacor {

namespace {

constexpr int kProgressEvery = 1 << 15;

struct Corner {
    double x, y, z;
};

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

Corner cornerOf(const SurfaceView& s, int t, int k) {
    const SurveyPoint& p = s.point(s.triangle(t).vertex[k]);
    return {p.easting, p.northing, p.elevation};
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

void addIsopachSegments(std::vector<PlanCorner>& region, double interval, IsopachPieces& out) {
    double lo = region[0].d, hi = lo;
    for (PlanCorner& c : region) {
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
        for (std::size_t i = 0, j = region.size() - 1; i < region.size() && found < 2; j = i++) {
            const PlanCorner &a = region[j], &b = region[i];
            if ((a.d >= level) == (b.d >= level)) continue;
            const double t = (level - a.d) / (b.d - a.d);
            ends[found++] = {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), level};
        }
        if (found == 2 && (ends[0].x != ends[1].x || ends[0].y != ends[1].y)) out[k].add(ends, 2);
    }
}

// The running sums, and the scratch polygons reused for every piece.
class Accumulator {
public:
    VolumeTotals totals;
    double isopachInterval = 0;
    IsopachPieces isopach;

    // One convex piece of the overlay (counter-clockwise), where the site has
    // plane `site` and the comparison `other`; `limit` is the polygon's part
    // inside the site triangle, or null when the whole piece counts.
    void addPiece(std::vector<PlanCorner>& piece, const PlanePiece& site, const PlanePiece& other,
                  const std::vector<PlanCorner>* limit) {
        std::vector<PlanCorner>* region = &piece;
        if (limit) {
            clipped_ = *limit;
            for (std::size_t i = 0, j = piece.size() - 1; i < piece.size() && !clipped_.empty(); j = i++) {
                clipToLeftOf(clipped_, piece[j].x, piece[j].y, piece[i].x, piece[i].y, scratch_);
                clipped_.swap(scratch_);
            }
            region = &clipped_;
        }
        for (PlanCorner& c : *region) c.d = site.at(c.x, c.y) - other.at(c.x, c.y);
        const PlanIntegral whole = integrateLinear(*region);
        if (!(whole.area > 0)) return;
        totals.area += whole.area;
        if (isopachInterval > 0) {
            isopachRegion_ = *region;  // snapped to the levels apart from the volumes
            addIsopachSegments(isopachRegion_, isopachInterval, isopach);
        }
        double highest = 0, lowest = 0;
        for (const PlanCorner& c : *region) highest = std::max(highest, c.d), lowest = std::min(lowest, c.d);
        // A piece of one sign is its own part: no zero line to split at.
        addSide(*region, +1, highest, lowest < 0 ? nullptr : &whole);
        addSide(*region, -1, -lowest, highest > 0 ? nullptr : &whole);
    }

private:
    // Adds the part where sign * d > 0: `whole` when that is all of the
    // region, otherwise clipped at the zero line.
    void addSide(const std::vector<PlanCorner>& region, int sign, double extreme, const PlanIntegral* whole) {
        if (!(extreme > 0)) return;
        PlanIntegral p;
        if (whole) {
            p = *whole;
        } else {
            clipToSign(region, sign, part_);
            p = integrateLinear(part_);
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
    std::vector<PlanCorner> limitPart;
    const std::vector<PlanCorner>* limit = nullptr;
};

// Fills `s` for triangle t; false when it has no plan area or lies outside the limit.
bool prepareSiteTriangle(const SurfaceView& site, int t, const std::optional<Limit>& limit, SiteTriangle& s,
                         std::vector<PlanCorner>& scratch) {
    for (int k = 0; k < 3; ++k) s.corner[k] = cornerOf(site, t, k);
    const double turn = orient2d(s.corner[0].x, s.corner[0].y, s.corner[1].x, s.corner[1].y, s.corner[2].x, s.corner[2].y);
    if (turn == 0.0) return false;
    if (turn < 0) std::swap(s.corner[1], s.corner[2]);
    s.plane = planeThrough(s.corner[0], s.corner[1], s.corner[2]);
    s.box = boxOf(s.corner, 3);
    s.limit = nullptr;
    if (!limit) return true;
    const double cx = (s.corner[0].x + s.corner[1].x + s.corner[2].x) / 3.0;
    const double cy = (s.corner[0].y + s.corner[1].y + s.corner[2].y) / 3.0;
    switch (sideOfLimit(*limit, s.box, cx, cy)) {
        case LimitSide::Outside: return false;
        case LimitSide::Inside: return true;
        case LimitSide::Across: break;
    }
    s.limitPart = limit->corners;
    for (int i = 0, j = 2; i < 3 && !s.limitPart.empty(); j = i++) {
        clipToLeftOf(s.limitPart, s.corner[j].x, s.corner[j].y, s.corner[i].x, s.corner[i].y, scratch);
        s.limitPart.swap(scratch);
    }
    if (!(integrateLinear(s.limitPart).area > 0)) return false;
    s.limit = &s.limitPart;
    return true;
}

// The plan area of the site triangle counted (within the limit).
double countedArea(const SiteTriangle& s) {
    if (s.limit) return integrateLinear(*s.limit).area;
    std::vector<PlanCorner> whole{{s.corner[0].x, s.corner[0].y, 0}, {s.corner[1].x, s.corner[1].y, 0},
                                  {s.corner[2].x, s.corner[2].y, 0}};
    return integrateLinear(whole).area;
}

int cellOf(double v, double origin, double cellSize, int count) {
    const double c = std::floor((v - origin) / cellSize);
    if (!(c > 0)) return 0;
    return c >= count - 1 ? count - 1 : static_cast<int>(c);
}

// Finds the comparison's triangles under one site triangle and adds each
// piece: from a located triangle through the neighbour links, over the
// triangles whose plan overlaps the site triangle's by some area.
class OverlayWalk {
public:
    OverlayWalk(const SurfaceView& comparison, const TriangleGrid& grid)
        : comparison_(comparison), grid_(grid),
          visitedBy_(static_cast<std::size_t>(std::max(comparison.triangleCount, 0)), -1),
          pointStamp_(comparison.points.size(), -1), pointOutside_(comparison.points.size(), 0) {}

    void addOverlaps(int siteIndex, const SiteTriangle& s, Accumulator& sum) {
        if (gridMissesBox(grid_, s.box.minX, s.box.minY, s.box.maxX, s.box.maxY)) return;
        siteIndex_ = siteIndex;
        reachedEdge_ = false;
        const double cx = (s.corner[0].x + s.corner[1].x + s.corner[2].x) / 3.0;
        const double cy = (s.corner[0].y + s.corner[1].y + s.corner[2].y) / 3.0;
        const int seed = locateInGrid(grid_, comparison_, cx, cy);
        if (seed != kNoTriangle) flood(seed, s, sum);
        // Where the comparison's edge crosses the triangle its part under the
        // triangle may come in pieces the links do not join: look in the grid.
        if (seed == kNoTriangle || reachedEdge_) scanGrid(s, sum);
    }

private:
    void flood(int seed, const SiteTriangle& s, Accumulator& sum) {
        if (!visit(seed, s, sum)) return;
        stack_.push_back(seed);
        while (!stack_.empty()) {
            const int b = stack_.back();
            stack_.pop_back();
            for (const std::int32_t n : comparison_.triangle(b).neighbour) {
                if (n < 0 || n >= comparison_.triangleCount) {
                    reachedEdge_ = true;
                    continue;
                }
                if (visitedBy_[static_cast<std::size_t>(n)] != siteIndex_ && visit(n, s, sum)) stack_.push_back(n);
            }
        }
    }

    void scanGrid(const SiteTriangle& s, Accumulator& sum) {
        const int c0 = cellOf(s.box.minX, grid_.minX, grid_.cellSize, grid_.columns);
        const int c1 = cellOf(s.box.maxX, grid_.minX, grid_.cellSize, grid_.columns);
        const int r0 = cellOf(s.box.minY, grid_.minY, grid_.cellSize, grid_.rows);
        const int r1 = cellOf(s.box.maxY, grid_.minY, grid_.cellSize, grid_.rows);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c) {
                const std::size_t cell = static_cast<std::size_t>(r) * static_cast<std::size_t>(grid_.columns) +
                                         static_cast<std::size_t>(c);
                for (int i = grid_.cellStart[cell]; i < grid_.cellStart[cell + 1]; ++i) {
                    const int b = grid_.triangles[static_cast<std::size_t>(i)];
                    if (visitedBy_[static_cast<std::size_t>(b)] != siteIndex_) flood(b, s, sum);
                }
            }
    }

    // Clips comparison triangle b to the site triangle and adds the piece;
    // true when they overlap by some area. The sides of each triangle's
    // corners to the other's edges settle most cases without clipping: an
    // edge with the other's three corners outside separates them, and a
    // triangle with every corner inside the other is the piece itself.
    bool visit(int b, const SiteTriangle& s, Accumulator& sum) {
        visitedBy_[static_cast<std::size_t>(b)] = siteIndex_;
        const TinTriangle& triangle = comparison_.triangle(b);
        const unsigned m0 = outsideEdges(triangle.vertex[0], s), m1 = outsideEdges(triangle.vertex[1], s),
                       m2 = outsideEdges(triangle.vertex[2], s);
        if ((m0 & m1 & m2) != 0) return false;  // one site edge has all three corners outside
        Corner c[3];
        for (int k = 0; k < 3; ++k) c[k] = cornerOf(comparison_, b, k);
        // Triangles a file brought may run clockwise: take them the other way round.
        const double turn = orient2d(c[0].x, c[0].y, c[1].x, c[1].y, c[2].x, c[2].y);
        if (turn == 0.0) return false;
        if (turn < 0) std::swap(c[1], c[2]);
        if ((m0 | m1 | m2) == 0) {
            piece_.assign({{c[0].x, c[0].y, 0}, {c[1].x, c[1].y, 0}, {c[2].x, c[2].y, 0}});
        } else if (const int siteInside = (m0 == 0 || m1 == 0 || m2 == 0) ? 0 : cornersInside(c, s.corner);
                   siteInside < 0) {
            return false;
        } else if (siteInside == 3) {
            piece_.assign({{s.corner[0].x, s.corner[0].y, 0}, {s.corner[1].x, s.corner[1].y, 0},
                           {s.corner[2].x, s.corner[2].y, 0}});
        } else {
            piece_.assign({{c[0].x, c[0].y, 0}, {c[1].x, c[1].y, 0}, {c[2].x, c[2].y, 0}});
            for (int i = 0, j = 2; i < 3 && !piece_.empty(); j = i++) {
                clipToLeftOf(piece_, s.corner[j].x, s.corner[j].y, s.corner[i].x, s.corner[i].y, scratch_);
                piece_.swap(scratch_);
            }
            if (!(integrateLinear(piece_).area > 0)) return false;
        }
        sum.addPiece(piece_, s.plane, planeThrough(c[0], c[1], c[2]), s.limit);
        return true;
    }

    // The site triangle's edges (bit k: the edge ending at corner k) that
    // comparison point p lies strictly outside of. A point is shared by about
    // six of the triangles visited under one site triangle, so each is
    // tested once per site triangle.
    unsigned outsideEdges(int p, const SiteTriangle& s) {
        const std::size_t i = static_cast<std::size_t>(p);
        if (pointStamp_[i] == siteIndex_) return pointOutside_[i];
        const SurveyPoint& q = comparison_.point(p);
        unsigned mask = 0;
        for (int k = 0, j = 2; k < 3; j = k++)
            if (orient2d(s.corner[j].x, s.corner[j].y, s.corner[k].x, s.corner[k].y, q.easting, q.northing) < 0)
                mask |= 1u << k;
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

    const SurfaceView& comparison_;
    const TriangleGrid& grid_;
    std::vector<int> visitedBy_;  // the site triangle that last clipped each comparison triangle
    std::vector<int> pointStamp_;  // the site triangle each point's pointOutside_ belongs to
    std::vector<std::uint8_t> pointOutside_;
    int siteIndex_ = -1;
    bool reachedEdge_ = false;
    std::vector<int> stack_;
    std::vector<PlanCorner> piece_, scratch_;
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

// The site's triangles in an order that sweeps the plan in strips of cells,
// each strip column by column, so that consecutive triangles lie close
// together and the comparison's triangles under them stay in the cache
// (the points of a surface need not be stored in any spatial order).
// A counting sort over about one cell per two triangles: O(n).
std::vector<int> sweepOrder(const SurfaceView& site) {
    const int n = std::max(site.triangleCount, 0);
    std::vector<int> order(static_cast<std::size_t>(n));
    if (n == 0) return order;
    double minX = site.point(site.triangle(0).vertex[0]).easting, maxX = minX;
    double minY = site.point(site.triangle(0).vertex[0]).northing, maxY = minY;
    std::vector<double> cx(static_cast<std::size_t>(n)), cy(static_cast<std::size_t>(n));
    for (int t = 0; t < n; ++t) {
        double x = 0, y = 0;
        for (int k = 0; k < 3; ++k) {
            const SurveyPoint& p = site.point(site.triangle(t).vertex[k]);
            x += p.easting;
            y += p.northing;
        }
        cx[static_cast<std::size_t>(t)] = x / 3.0;
        cy[static_cast<std::size_t>(t)] = y / 3.0;
    }
    for (int t = 0; t < n; ++t) {
        minX = std::min(minX, cx[static_cast<std::size_t>(t)]), maxX = std::max(maxX, cx[static_cast<std::size_t>(t)]);
        minY = std::min(minY, cy[static_cast<std::size_t>(t)]), maxY = std::max(maxY, cy[static_cast<std::size_t>(t)]);
    }
    constexpr int kStripRows = 8;
    const double width = std::max(maxX - minX, 1e-300), height = std::max(maxY - minY, 1e-300);
    const double cell = std::max(std::sqrt(width * height * 2.0 / n), std::max(width, height) / 4096.0);
    const int columns = std::clamp(static_cast<int>(width / cell) + 1, 1, 4097);
    const int rows = std::clamp(static_cast<int>(height / cell) + 1, 1, 4097);
    const auto keyOf = [&](std::size_t t) {
        const int c = std::clamp(static_cast<int>((cx[t] - minX) / cell), 0, columns - 1);
        const int r = std::clamp(static_cast<int>((cy[t] - minY) / cell), 0, rows - 1);
        return static_cast<std::size_t>(r / kStripRows) * static_cast<std::size_t>(columns * kStripRows) +
               static_cast<std::size_t>(c * kStripRows + r % kStripRows);
    };
    const std::size_t keys = static_cast<std::size_t>((rows + kStripRows - 1) / kStripRows) *
                             static_cast<std::size_t>(columns * kStripRows);
    std::vector<int> start(keys + 1, 0);
    for (std::size_t t = 0; t < order.size(); ++t) ++start[keyOf(t) + 1];
    for (std::size_t k = 0; k < keys; ++k) start[k + 1] += start[k];
    for (std::size_t t = 0; t < order.size(); ++t) order[static_cast<std::size_t>(start[keyOf(t)]++)] = static_cast<int>(t);
    return order;
}

// The site's triangles in two halves, one on a second thread: each half with
// its own worker (made by makeWorker) and sums, added in a fixed order so
// that the figures do not depend on the machine.
template <typename MakeWorker>
std::optional<VolumeTotals> walkSite(const SurfaceView& site, const VolumeRequest& request,
                                     const std::function<bool(double)>& carryOn, MakeWorker makeWorker) {
    const std::optional<Limit> limit = limitOf(request.polygon);
    const std::vector<int> order = sweepOrder(site);
    std::atomic<bool> stopped{false};
    const auto walkRange = [&](int first, int last, bool reports, VolumeTotals& out, IsopachPieces& pieces) {
        auto addTriangle = makeWorker();
        Accumulator sum;
        sum.isopachInterval = request.isopachInterval;
        SiteTriangle s;
        std::vector<PlanCorner> scratch;
        for (int i = first; i < last; ++i) {
            if ((i - first) % kProgressEvery == 0) {
                if (stopped.load(std::memory_order_relaxed)) return;
                if (reports && carryOn && !carryOn(static_cast<double>(i - first) / (last - first))) {
                    stopped = true;
                    return;
                }
            }
            const int t = order[static_cast<std::size_t>(i)];
            if (!prepareSiteTriangle(site, t, limit, s, scratch)) continue;
            sum.totals.siteArea += countedArea(s);
            addTriangle(t, s, sum);
        }
        out = sum.totals;
        pieces = std::move(sum.isopach);
    };
    const int half = site.triangleCount / 2;
    VolumeTotals first, second;
    IsopachPieces firstPieces, secondPieces;
    std::thread worker(walkRange, half, site.triangleCount, false, std::ref(second), std::ref(secondPieces));
    walkRange(0, half, true, first, firstPieces);
    worker.join();
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

}  // namespace

std::optional<VolumeTotals> compareSurfaces(const SurfaceView& site, const SurfaceView& comparison,
                                            const VolumeRequest& request,
                                            const std::function<bool(double)>& carryOn) {
    const TriangleGrid grid = buildTriangleGrid(comparison);
    return walkSite(site, request, carryOn, [&] {
        return [walk = std::make_shared<OverlayWalk>(comparison, grid)](int t, const SiteTriangle& s, Accumulator& sum) {
            walk->addOverlaps(t, s, sum);
        };
    });
}

std::optional<VolumeTotals> compareWithDatum(const SurfaceView& site, const VolumeRequest& request,
                                             const std::function<bool(double)>& carryOn) {
    const PlanePiece level{0.0, 0.0, request.datum.value_or(0.0), 0.0, 0.0};
    return walkSite(site, request, carryOn, [&] {
        return [&level, piece = std::vector<PlanCorner>()](int, const SiteTriangle& s, Accumulator& sum) mutable {
            piece.assign({{s.corner[0].x, s.corner[0].y, 0}, {s.corner[1].x, s.corner[1].y, 0},
                          {s.corner[2].x, s.corner[2].y, 0}});
            sum.addPiece(piece, s.plane, level, s.limit);
        };
    });
}

}  // namespace vellacor
