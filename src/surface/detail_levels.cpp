#include "surface/detail_levels.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "surface/plan_delaunay.h"
#include "surface/point_location.h"
#include "surface/predicates.h"

namespace vellacor {

namespace {

// A tile is this many of the longer side of the site's plan box.
constexpr int kTilesAlongLongerSide = 64;
// The coarsest version has points no further apart than a tile, so that its
// triangles reach into a few tiles only; nor fewer than this many.
constexpr int kFewestPoints = 4096;

struct PlanBox {
    double minX = std::numeric_limits<double>::infinity(), minY = minX;
    double maxX = -minX, maxY = -minX;
    void add(double x, double y) {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
};

// 0 .. count - 1 for a position `at` cells along, the nearest for one beyond (or not a number).
inline int indexIn(double at, int count) {
    if (!(at >= 0.0)) return 0;
    return at < count ? static_cast<int>(at) : count - 1;
}

// Square cells of one side over the plan box, numbered row by row.
struct CellGrid {
    double originX = 0.0, originY = 0.0, side = 1.0;
    int columns = 1, rows = 1;

    std::size_t count() const { return static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows); }
    int column(double x) const { return indexIn((x - originX) / side, columns); }
    int row(double y) const { return indexIn((y - originY) / side, rows); }
    int cellOf(double x, double y) const { return row(y) * columns + column(x); }
    double centreX(int cell) const { return originX + (cell % columns + 0.5) * side; }
    double cornerX(int cell) const { return originX + (cell % columns) * side; }
    double cornerY(int cell) const { return originY + (cell / columns) * side; }
    double centreY(int cell) const { return originY + (cell / columns + 0.5) * side; }
};

// Cells of `side` over the box; none when there would be more than the
// points can use (a side far below their spacing).
bool gridOver(const PlanBox& box, double side, std::size_t mostCells, CellGrid& grid) {
    if (!(side > 0.0)) return false;
    const double columns = std::floor((box.maxX - box.minX) / side) + 1.0;
    const double rows = std::floor((box.maxY - box.minY) / side) + 1.0;
    if (!(columns * rows <= static_cast<double>(mostCells))) return false;
    grid = {box.minX, box.minY, side, static_cast<int>(columns), static_cast<int>(rows)};
    return true;
}


// The tiles a triangle's plan box covers, and the one it is at home in.
struct Reach {
    int home, column0, column1, row0, row1;
};

template <class ReachOf>
void groupByTile(int triangleCount, ReachOf&& reachOf, const DetailTiling& tiling, DetailLevel& level) {
    const auto tiles = static_cast<std::size_t>(tiling.count());
    level.homeStart.assign(tiles + 1, 0);
    level.visitStart.assign(tiles + 1, 0);
    for (int t = 0; t < triangleCount; ++t) {
        const Reach r = reachOf(t);
        ++level.homeStart[static_cast<std::size_t>(r.home) + 1];
        if (r.column0 == r.column1 && r.row0 == r.row1) continue;
        for (int row = r.row0; row <= r.row1; ++row)
            for (int column = r.column0; column <= r.column1; ++column)
                if (const int tile = row * tiling.columns + column; tile != r.home)
                    ++level.visitStart[static_cast<std::size_t>(tile) + 1];
    }
    for (std::size_t i = 0; i < tiles; ++i) {
        level.homeStart[i + 1] += level.homeStart[i];
        level.visitStart[i + 1] += level.visitStart[i];
    }
    level.homeTriangles.resize(static_cast<std::size_t>(level.homeStart[tiles]));
    level.visitTriangles.resize(static_cast<std::size_t>(level.visitStart[tiles]));
    level.visitHome.resize(level.visitTriangles.size());
    std::vector<std::int32_t> homeNext(level.homeStart.begin(), level.homeStart.end() - 1);
    std::vector<std::int32_t> visitNext(level.visitStart.begin(), level.visitStart.end() - 1);
    for (int t = 0; t < triangleCount; ++t) {
        const Reach r = reachOf(t);
        level.homeTriangles[static_cast<std::size_t>(homeNext[static_cast<std::size_t>(r.home)]++)] = t;
        if (r.column0 == r.column1 && r.row0 == r.row1) continue;
        for (int row = r.row0; row <= r.row1; ++row)
            for (int column = r.column0; column <= r.column1; ++column)
                if (const int tile = row * tiling.columns + column; tile != r.home) {
                    const auto slot = static_cast<std::size_t>(visitNext[static_cast<std::size_t>(tile)]++);
                    level.visitTriangles[slot] = t;
                    level.visitHome[slot] = r.home;
                }
    }
}

// The strictly convex corners of the points' hull (monotone chain), so that
// every version covers the same plan as the whole surface.
std::vector<std::int32_t> convexHull(const SurfaceView& surface, std::vector<std::int32_t> points) {
    auto x = [&](std::int32_t p) { return surface.point(p).easting; };
    auto y = [&](std::int32_t p) { return surface.point(p).northing; };
    std::sort(points.begin(), points.end(), [&](std::int32_t a, std::int32_t b) {
        return x(a) < x(b) || (x(a) == x(b) && y(a) < y(b));
    });
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (points.size() < 3) return points;
    std::vector<std::int32_t> hull(2 * points.size());
    std::size_t k = 0;
    auto turnsLeft = [&](std::int32_t a, std::int32_t b, std::int32_t c) {
        return orient2d(x(a), y(a), x(b), y(b), x(c), y(c)) > 0;
    };
    for (const std::int32_t p : points) {
        while (k >= 2 && !turnsLeft(hull[k - 2], hull[k - 1], p)) --k;
        hull[k++] = p;
    }
    for (std::size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && !turnsLeft(hull[k - 2], hull[k - 1], points[i])) --k;
        hull[k++] = points[i];
    }
    hull.resize(k - 1);
    return hull;
}

// The plane of a triangle as z = a x + b y + c, about its first corner.
struct Plane {
    double x0, y0, z0, a, b;
    bool flat;  // no plan area
    double at(double x, double y) const { return z0 + a * (x - x0) + b * (y - y0); }
};

Plane planeOf(const SurveyPoint& p, const SurveyPoint& q, const SurveyPoint& r) {
    const double ux = q.easting - p.easting, uy = q.northing - p.northing, uz = q.elevation - p.elevation;
    const double vx = r.easting - p.easting, vy = r.northing - p.northing, vz = r.elevation - p.elevation;
    const double det = ux * vy - uy * vx;
    if (det == 0.0) return {p.easting, p.northing, p.elevation, 0.0, 0.0, true};
    return {p.easting, p.northing, p.elevation, (uz * vy - uy * vz) / det, (ux * vz - uz * vx) / det, false};
}

// Inside or on a triangle (counter-clockwise), with a margin for rounding:
// a point on a shared edge may be measured against both triangles.
struct EdgeTests {
    double ax, ay, bx, by, cx, cy, margin;
    EdgeTests(const SurveyPoint& a, const SurveyPoint& b, const SurveyPoint& c)
        : ax(a.easting), ay(a.northing), bx(b.easting), by(b.northing), cx(c.easting), cy(c.northing) {
        const double scale = std::fabs(bx - ax) + std::fabs(by - ay) + std::fabs(cx - ax) + std::fabs(cy - ay);
        margin = -1e-12 * scale * scale;
    }
    bool holds(double x, double y) const {
        return (bx - ax) * (y - ay) - (by - ay) * (x - ax) >= margin &&
               (cx - bx) * (y - by) - (cy - by) * (x - bx) >= margin &&
               (ax - cx) * (y - cy) - (ay - cy) * (x - cx) >= margin;
    }
};

// Where the surface has triangles, in cells: a version's triangle whose
// centroid falls in no such cell lies in a gap the boundaries cut.
struct Coverage {
    CellGrid grid;
    std::vector<std::uint8_t> covered;
    bool convex = true;  // the surface fills its hull: every centroid is covered
    bool at(double x, double y) const {
        return convex || covered[static_cast<std::size_t>(grid.cellOf(x, y))] != 0;
    }
};

// Picks one candidate per cell of `grid`, the nearest to the cell's centre,
// and files every candidate by its cell (for measuring the version's error).
struct Picked {
    std::vector<std::int32_t> points;
    // Every candidate's position, cell by cell, so that measuring reads them in
    // order: floats from their cell's corner (their rounding is allowed for).
    std::vector<std::int32_t> cellStart;
    struct Member {
        float x, y, z;
    };
    std::vector<Member> cellMembers;
};

Picked pickPerCell(const SurfaceView& surface, const std::vector<std::int32_t>& candidates, const CellGrid& grid,
                   const CellGrid& filing) {
    Picked out;
    const std::size_t cells = grid.count();
    std::vector<std::int32_t> best(cells, -1);
    std::vector<double> bestDistance(cells, std::numeric_limits<double>::infinity());
    std::vector<std::int32_t> filedIn(candidates.size());
    out.cellStart.assign(filing.count() + 1, 0);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const SurveyPoint& p = surface.point(candidates[i]);
        const int cell = grid.cellOf(p.easting, p.northing);
        filedIn[i] = filing.cellOf(p.easting, p.northing);
        ++out.cellStart[static_cast<std::size_t>(filedIn[i]) + 1];
        const double dx = p.easting - grid.centreX(cell), dy = p.northing - grid.centreY(cell);
        const double d = dx * dx + dy * dy;
        auto& held = bestDistance[static_cast<std::size_t>(cell)];
        if (d < held) {
            held = d;
            best[static_cast<std::size_t>(cell)] = candidates[i];
        }
    }
    for (std::size_t c = 0; c + 1 < out.cellStart.size(); ++c) out.cellStart[c + 1] += out.cellStart[c];
    out.cellMembers.resize(candidates.size());
    std::vector<std::int32_t> next(out.cellStart.begin(), out.cellStart.end() - 1);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const SurveyPoint& p = surface.point(candidates[i]);
        const int cell = filedIn[i];
        out.cellMembers[static_cast<std::size_t>(next[static_cast<std::size_t>(cell)]++)] = {
            static_cast<float>(p.easting - filing.cornerX(cell)), static_cast<float>(p.northing - filing.cornerY(cell)),
            static_cast<float>(p.elevation)};
    }
    for (const std::int32_t p : best)
        if (p >= 0) out.points.push_back(p);
    return out;
}

// The Delaunay triangles of `points` (indices of the surface's points) whose
// centroids the surface covers; false when cancelled.
bool triangulateVersion(const SurfaceView& surface, const std::vector<std::int32_t>& points, const Coverage& coverage,
                        DetailLevel& level, const JobControl& control) {
    std::vector<std::array<std::int32_t, 3>>& corners = level.corners;
    const int count = static_cast<int>(points.size());
    const std::vector<std::int32_t> order = hilbertOrder(count, [&](int i) {
        const SurveyPoint& p = surface.point(points[static_cast<std::size_t>(i)]);
        return std::pair<double, double>(p.easting, p.northing);
    });
    std::vector<double> x(points.size()), y(points.size());
    std::vector<std::int32_t> original(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        original[i] = points[static_cast<std::size_t>(order[i])];
        x[i] = surface.point(original[i]).easting;
        y[i] = surface.point(original[i]).northing;
    }
    PlanDelaunay mesh(x.data(), y.data(), count);
    if (!mesh.build(65536, [&](int) { return !control.cancelled(); })) return false;
    corners.clear();
    corners.reserve(static_cast<std::size_t>(mesh.triangleCount()));
    mesh.forEachTriangle([&](int a, int b, int c) {
        const SurveyPoint &p = surface.point(original[static_cast<std::size_t>(a)]),
                          &q = surface.point(original[static_cast<std::size_t>(b)]),
                          &r = surface.point(original[static_cast<std::size_t>(c)]);
        if (coverage.at((p.easting + q.easting + r.easting) / 3.0, (p.northing + q.northing + r.northing) / 3.0))
            corners.push_back({a, b, c});
    });
    level.points.resize(original.size());
    for (std::size_t i = 0; i < original.size(); ++i) level.points[i] = surface.point(original[i]);
    level.pointOf = std::move(original);
    return !control.cancelled();
}

// The band along the surface's outer edge that any version but the whole
// surface bridges with slivers: the hull's corners are far apart, and between
// them every version, the whole surface too, leans from the hull's edge to its
// own first row of points inside. Within a spacing of the edge the versions
// differ by as much as the ground varies along it, over a strip a spacing
// wide: a band that thin at the site's edge is left out of the error, which
// would otherwise send every tile along the edge to the whole surface.
struct HullBand {
    struct Edge {
        double x, y, nx, ny;  // a corner and the edge's inward unit normal
    };
    std::vector<Edge> edges;
    double width = 0.0;
    std::vector<std::uint8_t> tileNear;  // per tile: some of it lies in the band

    // The hull's corners counter-clockwise, and the tiles the band reaches.
    HullBand(const std::vector<PlanXY>& corners, double bandWidth, const DetailTiling& tiling) : width(bandWidth) {
        for (std::size_t i = 0; i < corners.size() && corners.size() >= 3; ++i) {
            const PlanXY a = corners[i], b = corners[(i + 1) % corners.size()];
            const double ex = b.x - a.x, ey = b.y - a.y, length = std::hypot(ex, ey);
            if (length > 0.0) edges.push_back({a.x, a.y, -ey / length, ex / length});
        }
        tileNear.assign(static_cast<std::size_t>(tiling.count()), 0);
        if (edges.empty()) return;
        // The depth is least at a corner of a tile (it is the least of linear functions).
        for (int row = 0; row < tiling.rows; ++row)
            for (int column = 0; column < tiling.columns; ++column) {
                double least = std::numeric_limits<double>::infinity();
                for (int k = 0; k < 4; ++k)
                    least = std::min(least, depthOf(tiling.originX + (column + (k & 1)) * tiling.side,
                                                    tiling.originY + (row + (k >> 1)) * tiling.side));
                tileNear[static_cast<std::size_t>(row * tiling.columns + column)] = least < width ? 1 : 0;
            }
    }
    // The distance inside the hull from its edge (the hull is convex).
    double depthOf(double x, double y) const {
        double depth = std::numeric_limits<double>::infinity();
        for (const Edge& e : edges) depth = std::min(depth, e.nx * (x - e.x) + e.ny * (y - e.y));
        return depth;
    }
    bool holds(double x, double y) const { return !edges.empty() && depthOf(x, y) < width; }
};

SurveyPoint pointAt(const Picked::Member& m, const CellGrid& grid, int cell) {
    SurveyPoint p;
    p.easting = grid.cornerX(cell) + m.x;
    p.northing = grid.cornerY(cell) + m.y;
    p.elevation = m.z;
    return p;
}

// How far the candidates (the previous version's points) lie above or below
// each of this version's triangles, the most per triangle; points in the
// hull's band left out.
std::vector<float> deviations(const SurfaceView& surface, const std::vector<std::array<std::int32_t, 3>>& corners,
                              const Picked& picked, const CellGrid& grid, const HullBand& band,
                              const DetailTiling& tiling) {
    std::vector<float> out(corners.size(), 0.0f);
    for (std::size_t t = 0; t < corners.size(); ++t) {
        const SurveyPoint &a = surface.point(corners[t][0]), &b = surface.point(corners[t][1]),
                          &c = surface.point(corners[t][2]);
        const Plane plane = planeOf(a, b, c);
        if (plane.flat) continue;
        // Only a triangle reaching into the band has points there.
        auto tileNear = [&](const SurveyPoint& p) {
            return band.tileNear[static_cast<std::size_t>(tiling.tileAt(p.easting, p.northing))] != 0;
        };
        const bool nearEdge = !band.edges.empty() && (tileNear(a) || tileNear(b) || tileNear(c));
        const EdgeTests inside(a, b, c);
        const int column0 = grid.column(std::min({a.easting, b.easting, c.easting}));
        const int column1 = grid.column(std::max({a.easting, b.easting, c.easting}));
        const int row0 = grid.row(std::min({a.northing, b.northing, c.northing}));
        const int row1 = grid.row(std::max({a.northing, b.northing, c.northing}));
        double most = 0.0;
        bool measured = false;
        for (int row = row0; row <= row1; ++row)
            for (int column = column0; column <= column1; ++column) {
                const auto cell = static_cast<std::size_t>(row * grid.columns + column);
                for (std::int32_t i = picked.cellStart[cell]; i < picked.cellStart[cell + 1]; ++i) {
                    const Picked::Member& m = picked.cellMembers[static_cast<std::size_t>(i)];
                    const SurveyPoint p = pointAt(m, grid, static_cast<int>(cell));
                    if (inside.holds(p.easting, p.northing) && !(nearEdge && band.holds(p.easting, p.northing))) {
                        most = std::max(most, std::fabs(p.elevation - plane.at(p.easting, p.northing)));
                        measured = true;
                    }
                }
            }
        // With what the candidates' float positions may have lost, and rounded
        // up, so the figure stays a bound.
        if (!measured) continue;
        const double slack =
            1.2e-7 * ((std::fabs(plane.a) + std::fabs(plane.b)) * grid.side + std::fabs(plane.z0) + most);
        out[t] = std::nextafter(static_cast<float>(most + slack), std::numeric_limits<float>::infinity());
    }
    return out;
}

// A version's error per tile: the previous version's, plus the most any of
// its points lies off this version's triangles in the tile.
std::vector<float> tileErrors(const DetailLevel& level, const std::vector<float>& previous,
                              const std::vector<float>& deviation) {
    std::vector<float> error(previous);
    for (std::size_t tile = 0; tile < previous.size(); ++tile) {
        float most = 0.0f;
        for (std::int32_t i = level.homeStart[tile]; i < level.homeStart[tile + 1]; ++i)
            most = std::max(most, deviation[static_cast<std::size_t>(level.homeTriangles[static_cast<std::size_t>(i)])]);
        for (std::int32_t i = level.visitStart[tile]; i < level.visitStart[tile + 1]; ++i)
            most = std::max(most, deviation[static_cast<std::size_t>(level.visitTriangles[static_cast<std::size_t>(i)])]);
        error[tile] = previous[tile] + most;
    }
    return error;
}

}  // namespace

int DetailTiling::tileAt(double x, double y) const {
    const CellGrid grid{originX, originY, side, columns, rows};
    return grid.cellOf(x, y);
}

std::size_t DetailSurface::bytes() const {
    std::size_t total = (tileLow.size() + tileHigh.size()) * sizeof(float);
    for (const DetailLevel& level : levels)
        total += level.corners.size() * sizeof(level.corners[0]) + level.points.size() * sizeof(SurveyPoint) +
                 level.pointOf.size() * sizeof(std::int32_t) +
                 (level.homeStart.size() + level.homeTriangles.size() + level.visitStart.size() +
                  level.visitTriangles.size() + level.visitHome.size()) * sizeof(std::int32_t) +
                 level.error.size() * sizeof(float);
    return total;
}

bool buildDetailSurface(const SurfaceView& surface, DetailSurface& out, const JobControl& control,
                        int fromTriangles) {
    out = DetailSurface{};
    if (surface.triangleCount < std::max(fromTriangles, 1)) return true;
    const int n = surface.triangleCount;

    // The whole surface's triangles are read once, in order, and never their
    // corners' records, which lie all over memory: what is needed of each
    // point (its tile) is gathered first, in point order.
    PlanBox box;
    for (int p = 0; p < surface.pointCount; ++p)
        if (std::isfinite(surface.point(p).easting) && std::isfinite(surface.point(p).northing))
            box.add(surface.point(p).easting, surface.point(p).northing);
    const double width = box.maxX - box.minX, height = box.maxY - box.minY;
    if (!(width > 0.0 && height > 0.0)) return true;
    DetailTiling& tiling = out.tiling;
    tiling.side = std::max(width, height) / kTilesAlongLongerSide;
    tiling.originX = box.minX, tiling.originY = box.minY;
    tiling.columns = std::clamp(static_cast<int>(std::ceil(width / tiling.side)), 1, kTilesAlongLongerSide);
    tiling.rows = std::clamp(static_cast<int>(std::ceil(height / tiling.side)), 1, kTilesAlongLongerSide);
    const auto tiles = static_cast<std::size_t>(tiling.count());
    // Each point's tile, the top bit set once a triangle uses the point.
    constexpr std::uint16_t kUsed = 0x8000;
    std::vector<std::uint16_t> tileOf(static_cast<std::size_t>(surface.pointCount), 0);
    for (int p = 0; p < surface.pointCount; ++p)
        tileOf[static_cast<std::size_t>(p)] =
                static_cast<std::uint16_t>(tiling.tileAt(surface.point(p).easting, surface.point(p).northing));

    // The plan box of each triangle in tiles (a byte each way: at most 64 tiles
    // a side), at home in its lowest; the points used; the surface's edge.
    struct TileBox {
        std::uint8_t column0, column1, row0, row1;
    };
    std::vector<TileBox> boxes(static_cast<std::size_t>(n));
    std::vector<std::int32_t> edgePoints;
    for (int t = 0; t < n; ++t) {
        const TinTriangle& tri = surface.triangle(t);
        int column0 = tiling.columns, column1 = -1, row0 = tiling.rows, row1 = -1;
        for (int k = 0; k < 3; ++k) {
            const int v = tri.vertex[k];
            if (v < 0 || v >= surface.pointCount) return true;  // not a surface to simplify
            std::uint16_t& tile = tileOf[static_cast<std::size_t>(v)];
            const int at = tile & ~kUsed;
            tile |= kUsed;
            column0 = std::min(column0, at % tiling.columns), column1 = std::max(column1, at % tiling.columns);
            row0 = std::min(row0, at / tiling.columns), row1 = std::max(row1, at / tiling.columns);
            if (tri.neighbour[k] < 0) edgePoints.push_back(v), edgePoints.push_back(tri.vertex[(k + 1) % 3]);
        }
        boxes[static_cast<std::size_t>(t)] = {static_cast<std::uint8_t>(column0), static_cast<std::uint8_t>(column1),
                                              static_cast<std::uint8_t>(row0), static_cast<std::uint8_t>(row1)};
    }
    DetailLevel whole;
    groupByTile(
        n,
        [&](int t) {
            const TileBox& b = boxes[static_cast<std::size_t>(t)];
            return Reach{b.row0 * tiling.columns + b.column0, b.column0, b.column1, b.row0, b.row1};
        },
        tiling, whole);
    std::vector<TileBox>().swap(boxes);
    whole.error.assign(tiles, 0.0f);
    if (!control.carryOn(0.2)) return false;

    // The points used, and the elevations of each tile.
    std::vector<std::int32_t> candidates;
    out.tileLow.assign(tiles, std::numeric_limits<float>::infinity());
    out.tileHigh.assign(tiles, -std::numeric_limits<float>::infinity());
    for (int p = 0; p < surface.pointCount; ++p) {
        const std::uint16_t tile = tileOf[static_cast<std::size_t>(p)];
        if (!(tile & kUsed)) continue;
        candidates.push_back(p);
        const auto t = static_cast<std::size_t>(tile & ~kUsed);
        const auto z = static_cast<float>(surface.point(p).elevation);
        out.tileLow[t] = std::min(out.tileLow[t], std::nextafter(z, -INFINITY));
        out.tileHigh[t] = std::max(out.tileHigh[t], std::nextafter(z, INFINITY));
    }
    std::vector<std::uint16_t>().swap(tileOf);
    if (edgePoints.size() > candidates.size() / 2) edgePoints = candidates;  // the links are not known
    std::sort(edgePoints.begin(), edgePoints.end());
    edgePoints.erase(std::unique(edgePoints.begin(), edgePoints.end()), edgePoints.end());
    const std::vector<std::int32_t> hull = convexHull(surface, edgePoints);
    if (hull.size() < 3) return true;
    whole.error.assign(tiles, 0.0f);
    if (!control.carryOn(0.25)) return false;

    // The surface fills its hull unless boundaries cut it (its edge then
    // leaves the hull's): the cells its triangles reach are noted, to leave
    // the versions' triangles out of the gaps.
    Coverage coverage;
    const double spacing = std::sqrt(width * height / static_cast<double>(candidates.size()));
    coverage.convex = std::all_of(edgePoints.begin(), edgePoints.end(), [&](std::int32_t v) {
        const SurveyPoint& p = surface.point(v);
        for (std::size_t i = 0; i < hull.size(); ++i) {
            const SurveyPoint &a = surface.point(hull[i]), &b = surface.point(hull[(i + 1) % hull.size()]);
            if (orient2d(a.easting, a.northing, b.easting, b.northing, p.easting, p.northing) == 0.0) return true;
        }
        return false;
    });
    if (!coverage.convex && gridOver(box, 2.0 * spacing, candidates.size(), coverage.grid)) {
        const CellGrid& g = coverage.grid;
        std::vector<std::int32_t> cellOf(static_cast<std::size_t>(surface.pointCount), 0);
        for (const std::int32_t p : candidates)
            cellOf[static_cast<std::size_t>(p)] = g.cellOf(surface.point(p).easting, surface.point(p).northing);
        coverage.covered.assign(g.count(), 0);
        for (int t = 0; t < n; ++t) {
            const TinTriangle& tri = surface.triangle(t);
            int column0 = g.columns, column1 = -1, row0 = g.rows, row1 = -1;
            for (const std::int32_t v : tri.vertex) {
                const int cell = cellOf[static_cast<std::size_t>(v)];
                column0 = std::min(column0, cell % g.columns), column1 = std::max(column1, cell % g.columns);
                row0 = std::min(row0, cell / g.columns), row1 = std::max(row1, cell / g.columns);
            }
            for (int row = row0; row <= row1; ++row)
                for (int column = column0; column <= column1; ++column)
                    coverage.covered[static_cast<std::size_t>(row * g.columns + column)] = 1;
        }
    } else {
        coverage.convex = true;
    }
    out.levels.push_back(std::move(whole));

    // Each version from the points of the one before: one per square of twice the side.
    // The first has a quarter of the points, or on a surface of millions a
    // sixteenth: there a quarter would cost more to make than it saves in
    // the few tiles close enough to want it.
    const double first = n > 4 * kDetailLevelsFrom ? 4.0 : 2.0;
    for (double side = first * spacing; side <= tiling.side; side *= 2.0) {
        CellGrid grid;
        if (!gridOver(box, side, 2 * candidates.size() + 16, grid)) break;
        // The candidates are filed for measuring in cells of about their own
        // spacing, so a triangle's box holds few besides those inside it.
        CellGrid filing;
        const double candidateSpacing = std::sqrt(width * height / static_cast<double>(candidates.size()));
        if (!gridOver(box, candidateSpacing, 2 * candidates.size() + 16, filing)) filing = grid;
        Picked picked = pickPerCell(surface, candidates, grid, filing);
        // The hull's corners too, those not picked already.
        std::vector<std::int32_t> points = picked.points;
        points.insert(points.end(), hull.begin(), hull.end());
        std::sort(points.begin(), points.end());
        points.erase(std::unique(points.begin(), points.end()), points.end());
        if (static_cast<int>(points.size()) < kFewestPoints) break;
        DetailLevel level;
        level.spacing = side;
        if (!triangulateVersion(surface, points, coverage, level, control)) return false;
        const SurfaceView own{level.points, static_cast<int>(level.points.size()), {}, 0, {}};
        if (level.corners.empty()) break;
        const CellGrid tileGrid{tiling.originX, tiling.originY, tiling.side, tiling.columns, tiling.rows};
        groupByTile(
            static_cast<int>(level.corners.size()),
            [&](int t) {
                const auto& c = level.corners[static_cast<std::size_t>(t)];
                const SurveyPoint &a = own.point(c[0]), &b = own.point(c[1]), &d = own.point(c[2]);
                return Reach{tileGrid.cellOf((a.easting + b.easting + d.easting) / 3.0,
                                             (a.northing + b.northing + d.northing) / 3.0),
                             tileGrid.column(std::min({a.easting, b.easting, d.easting})),
                             tileGrid.column(std::max({a.easting, b.easting, d.easting})),
                             tileGrid.row(std::min({a.northing, b.northing, d.northing})),
                             tileGrid.row(std::max({a.northing, b.northing, d.northing}))};
            },
            tiling, level);
        std::vector<PlanXY> hullCorners;
        if (coverage.convex)
            for (const std::int32_t p : hull) hullCorners.push_back({surface.point(p).easting, surface.point(p).northing});
        const HullBand band(hullCorners, side, tiling);
        level.error = tileErrors(level, out.levels.back().error,
                                 deviations(own, level.corners, picked, filing, band, tiling));
        out.levels.push_back(std::move(level));
        candidates = std::move(points);
        if (!control.carryOn(std::min(0.95, 0.25 + 0.7 * (1.0 - 1.0 / static_cast<double>(out.levels.size())))))
            return false;
    }
    if (out.levels.size() < 2) {
        out = DetailSurface{};
        return true;
    }
    out.triangles = surface.triangles.data();
    out.triangleCount = surface.triangleCount;
    out.pointCount = surface.pointCount;
    return true;
}

void listDetailTriangles(const DetailSurface& detail, const SurfaceView& whole, DetailFrame& frame) {
    frame.triangles.clear();
    frame.sourceLevel.clear();
    frame.sourceTriangle.clear();
    frame.points.clear();
    frame.copies.clear();
    const auto tiles = static_cast<std::size_t>(detail.tiling.count());
    frame.listedAs.resize(detail.levels.size());
    bool fresh = ++frame.stamp == 0;
    for (std::size_t k = 0; k < detail.levels.size(); ++k) {
        const std::size_t count = k == 0 ? static_cast<std::size_t>(whole.pointCount) : detail.levels[k].points.size();
        fresh = fresh || frame.listedAs[k].size() != count;
    }
    if (fresh) {
        for (std::size_t k = 0; k < detail.levels.size(); ++k)
            frame.listedAs[k].assign(
                k == 0 ? static_cast<std::size_t>(whole.pointCount) : detail.levels[k].points.size(), 0);
        frame.stamp = 1;
    }
    const std::uint64_t stamp = std::uint64_t{frame.stamp} << 32;
    auto add = [&](std::size_t k, std::int32_t t) {
        const DetailLevel& level = detail.levels[k];
        TinTriangle record;
        if (k == 0) {
            const TinTriangle& own = whole.triangle(t);
            std::copy(own.vertex, own.vertex + 3, record.vertex);
        } else {
            const auto& c = level.corners[static_cast<std::size_t>(t)];
            std::copy(c.begin(), c.end(), record.vertex);
        }
        std::vector<std::uint64_t>& listedAs = frame.listedAs[k];
        for (std::int32_t& v : record.vertex) {
            std::uint64_t& listed = listedAs[static_cast<std::size_t>(v)];
            if ((listed & ~std::uint64_t{0xffffffff}) != stamp) {
                listed = stamp | static_cast<std::uint32_t>(frame.copies.size());
                if (k == 0) {
                    frame.points.push_back(v);
                    frame.copies.push_back(whole.point(v));
                } else {
                    frame.points.push_back(level.pointOf[static_cast<std::size_t>(v)]);
                    frame.copies.push_back(level.points[static_cast<std::size_t>(v)]);
                }
            }
            v = static_cast<std::int32_t>(listed & 0xffffffff);
        }
        frame.triangles.push_back(record);
        frame.sourceLevel.push_back(static_cast<std::int8_t>(k));
        frame.sourceTriangle.push_back(t);
    };
    for (std::size_t tile = 0; tile < tiles; ++tile) {
        const int k = frame.tileLevel[tile];
        if (k < 0) continue;
        const DetailLevel& level = detail.levels[static_cast<std::size_t>(k)];
        for (std::int32_t i = level.homeStart[tile]; i < level.homeStart[tile + 1]; ++i)
            add(static_cast<std::size_t>(k), level.homeTriangles[static_cast<std::size_t>(i)]);
        // A neighbour's triangle reaching in is drawn here when its own tile
        // draws another version (or none): the tile is then covered to its edge.
        for (std::int32_t i = level.visitStart[tile]; i < level.visitStart[tile + 1]; ++i)
            if (frame.tileLevel[static_cast<std::size_t>(level.visitHome[static_cast<std::size_t>(i)])] != k)
                add(static_cast<std::size_t>(k), level.visitTriangles[static_cast<std::size_t>(i)]);
    }
}

}  // namespace vellacor
