#include "surface/detail_levels.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

#include "surface/plan_delaunay.h"
#include "surface/point_location.h"
#include "surface/predicates.h"
#include "system/prefetch.h"
#include "system/two_cores.h"

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
    double cornerX(int cell) const { return originX + (cell % columns) * side; }
    double cornerY(int cell) const { return originY + (cell / columns) * side; }
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


// Runs work(first, last, worker) over [0, count) in two halves, the second
// on another core; what each worker writes is its own or apart from the other's.
template <class Work>
void inTwoHalves(int count, Work&& work) {
    const int half = count / 2;
    runOnTwoCores([&] { work(half, count, 1); }, [&] { work(0, half, 0); });
}

// The tiles a triangle's plan box covers, and the one it is at home in.
struct Reach {
    int home, column0, column1, row0, row1;
};

// Each half of the triangles is grouped on its own core, the first half's
// before the second's in every tile, as one pass in order would group them.
template <class ReachOf>
void groupByTile(int triangleCount, ReachOf&& reachOf, const DetailTiling& tiling, DetailLevel& level) {
    const auto tiles = static_cast<std::size_t>(tiling.count());
    // Calls visit(tile, home) for every tile the triangle reaches but its home.
    auto forVisits = [&](const Reach& r, auto&& visit) {
        if (r.column0 == r.column1 && r.row0 == r.row1) return;
        for (int row = r.row0; row <= r.row1; ++row)
            for (int column = r.column0; column <= r.column1; ++column)
                if (const int tile = row * tiling.columns + column; tile != r.home) visit(tile);
    };
    std::array<std::vector<std::int32_t>, 2> homes, visits;
    inTwoHalves(triangleCount, [&](int first, int last, int worker) {
        std::vector<std::int32_t>& home = homes[static_cast<std::size_t>(worker)];
        std::vector<std::int32_t>& visit = visits[static_cast<std::size_t>(worker)];
        home.assign(tiles, 0);
        visit.assign(tiles, 0);
        for (int t = first; t < last; ++t) {
            const Reach r = reachOf(t);
            ++home[static_cast<std::size_t>(r.home)];
            forVisits(r, [&](int tile) { ++visit[static_cast<std::size_t>(tile)]; });
        }
    });
    level.homeStart.assign(tiles + 1, 0);
    level.visitStart.assign(tiles + 1, 0);
    for (std::size_t i = 0; i < tiles; ++i) {
        level.homeStart[i + 1] = level.homeStart[i] + homes[0][i] + homes[1][i];
        level.visitStart[i + 1] = level.visitStart[i] + visits[0][i] + visits[1][i];
    }
    level.homeTriangles.resize(static_cast<std::size_t>(level.homeStart[tiles]));
    level.visitTriangles.resize(static_cast<std::size_t>(level.visitStart[tiles]));
    level.visitHome.resize(level.visitTriangles.size());
    inTwoHalves(triangleCount, [&](int first, int last, int worker) {
        std::vector<std::int32_t> homeNext(level.homeStart.begin(), level.homeStart.end() - 1);
        std::vector<std::int32_t> visitNext(level.visitStart.begin(), level.visitStart.end() - 1);
        if (worker == 1)
            for (std::size_t i = 0; i < tiles; ++i) homeNext[i] += homes[0][i], visitNext[i] += visits[0][i];
        for (int t = first; t < last; ++t) {
            const Reach r = reachOf(t);
            level.homeTriangles[static_cast<std::size_t>(homeNext[static_cast<std::size_t>(r.home)]++)] = t;
            forVisits(r, [&](int tile) {
                const auto slot = static_cast<std::size_t>(visitNext[static_cast<std::size_t>(tile)]++);
                level.visitTriangles[slot] = t;
                level.visitHome[slot] = r.home;
            });
        }
    });
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

// A version's candidates (the points of the version before) filed by tile,
// their positions as floats from the tile's south-west corner (their rounding
// is allowed for): each tile's work then reads one stretch of memory,
// whatever order the surface's points are in.
struct FiledPoint {
    float x, y, z;
    std::int32_t point;  // the surface's
};
struct TileFiling {
    std::vector<std::int32_t> start;  // tile t: [start[t], start[t + 1])
    std::vector<FiledPoint> members;
};

// The tiles as cells.
CellGrid gridOf(const DetailTiling& tiling) {
    return {tiling.originX, tiling.originY, tiling.side, tiling.columns, tiling.rows};
}

FiledPoint filedPoint(const SurveyPoint& p, std::int32_t index, const DetailTiling& tiling, int tile) {
    const CellGrid tiles = gridOf(tiling);
    return {static_cast<float>(p.easting - tiles.cornerX(tile)), static_cast<float>(p.northing - tiles.cornerY(tile)),
            static_cast<float>(p.elevation), index};
}

// One candidate per cell of a tile cut into `across` x `across` cells, the
// nearest to the cell's centre, in cell order. Cells never straddle tiles.
void pickInTile(const FiledPoint* first, const FiledPoint* last, int across, double tileSide,
                std::vector<std::int32_t>& best, std::vector<float>& distance, std::vector<FiledPoint>& out) {
    const auto cells = static_cast<std::size_t>(across) * static_cast<std::size_t>(across);
    best.assign(cells, -1);
    distance.assign(cells, std::numeric_limits<float>::infinity());
    const double cell = tileSide / across;
    for (const FiledPoint* m = first; m != last; ++m) {
        const int column = indexIn(m->x / cell, across), row = indexIn(m->y / cell, across);
        const auto dx = static_cast<float>(m->x - (column + 0.5) * cell);
        const auto dy = static_cast<float>(m->y - (row + 0.5) * cell);
        const float d = dx * dx + dy * dy;
        const auto at = static_cast<std::size_t>(row * across + column);
        if (d < distance[at]) {
            distance[at] = d;
            best[at] = static_cast<std::int32_t>(m - first);
        }
    }
    for (const std::int32_t i : best)
        if (i >= 0) out.push_back(first[i]);
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

// A triangle of a version, ready to test and measure points against.
struct TriangleFit {
    EdgeTests inside;
    Plane plane;
    std::int32_t triangle;
};

// How far the candidates of the tiles [first, last) lie above or below the
// version's triangles: the most per triangle into `most` (left below 0 where
// no candidate lies on it); points in the hull's band left out. A candidate
// lies on one of the triangles that reach into its tile, found through a
// small grid over the tile.
void measureTiles(int first, int last, const TileFiling& candidates, const DetailLevel& level,
                  const DetailTiling& tiling, const HullBand& band, std::vector<float>& most,
                  const JobControl& control) {
    constexpr int kAcross = 16;
    const double cell = tiling.side / kAcross;
    std::vector<TriangleFit> fits;
    struct CellSpan {
        std::uint8_t column0, column1, row0, row1;
    };
    std::vector<CellSpan> spans;
    const CellGrid tiles = gridOf(tiling);
    std::vector<std::int32_t> cellStart(kAcross * kAcross + 1), cellFits, next(kAcross * kAcross);
    for (int tile = first; tile < last; ++tile) {
        const auto from = static_cast<std::size_t>(candidates.start[static_cast<std::size_t>(tile)]);
        const auto to = static_cast<std::size_t>(candidates.start[static_cast<std::size_t>(tile) + 1]);
        if (from == to) continue;
        if (tile % 64 == 0 && control.cancelled()) return;
        const double x0 = tiles.cornerX(tile), y0 = tiles.cornerY(tile);
        fits.clear();
        spans.clear();
        auto fit = [&](std::int32_t t) {
            const auto& c = level.corners[static_cast<std::size_t>(t)];
            const SurveyPoint &a = level.points[static_cast<std::size_t>(c[0])],
                              &b = level.points[static_cast<std::size_t>(c[1])],
                              &d = level.points[static_cast<std::size_t>(c[2])];
            const Plane plane = planeOf(a, b, d);
            if (plane.flat) return;
            fits.push_back({EdgeTests(a, b, d), plane, t});
            auto along = [&](double at, double origin) {
                return static_cast<std::uint8_t>(indexIn((at - origin) / cell, kAcross));
            };
            spans.push_back({along(std::min({a.easting, b.easting, d.easting}), x0),
                             along(std::max({a.easting, b.easting, d.easting}), x0),
                             along(std::min({a.northing, b.northing, d.northing}), y0),
                             along(std::max({a.northing, b.northing, d.northing}), y0)});
        };
        const auto t = static_cast<std::size_t>(tile);
        for (std::int32_t i = level.homeStart[t]; i < level.homeStart[t + 1]; ++i)
            fit(level.homeTriangles[static_cast<std::size_t>(i)]);
        for (std::int32_t i = level.visitStart[t]; i < level.visitStart[t + 1]; ++i)
            fit(level.visitTriangles[static_cast<std::size_t>(i)]);
        // The fits by cell of the tile.
        std::fill(cellStart.begin(), cellStart.end(), 0);
        for (const CellSpan& s : spans)
            for (int row = s.row0; row <= s.row1; ++row)
                for (int column = s.column0; column <= s.column1; ++column) ++cellStart[static_cast<std::size_t>(row * kAcross + column + 1)];
        for (std::size_t c = 0; c + 1 < cellStart.size(); ++c) cellStart[c + 1] += cellStart[c];
        cellFits.resize(static_cast<std::size_t>(cellStart.back()));
        std::copy(cellStart.begin(), cellStart.end() - 1, next.begin());
        for (std::size_t i = 0; i < spans.size(); ++i)
            for (int row = spans[i].row0; row <= spans[i].row1; ++row)
                for (int column = spans[i].column0; column <= spans[i].column1; ++column)
                    cellFits[static_cast<std::size_t>(next[static_cast<std::size_t>(row * kAcross + column)]++)] =
                            static_cast<std::int32_t>(i);
        const bool nearEdge = !band.edges.empty() && band.tileNear[t] != 0;
        for (std::size_t i = from; i < to; ++i) {
            const FiledPoint& m = candidates.members[i];
            const double x = x0 + m.x, y = y0 + m.y;
            if (nearEdge && band.holds(x, y)) continue;
            const int c = indexIn(m.y / cell, kAcross) * kAcross + indexIn(m.x / cell, kAcross);
            for (std::int32_t k = cellStart[static_cast<std::size_t>(c)]; k < cellStart[static_cast<std::size_t>(c) + 1]; ++k) {
                const TriangleFit& f = fits[static_cast<std::size_t>(cellFits[static_cast<std::size_t>(k)])];
                if (!f.inside.holds(x, y)) continue;
                float& held = most[static_cast<std::size_t>(f.triangle)];
                held = std::max(held, static_cast<float>(std::fabs(m.z - f.plane.at(x, y))));
                break;
            }
        }
    }
}

// Each triangle's figure from both workers', with what the candidates'
// float positions may have lost, rounded up so that it stays a bound.
std::vector<float> deviations(const DetailLevel& level, const std::vector<float>& one, const std::vector<float>& other,
                              double tileSide) {
    std::vector<float> out(level.corners.size(), 0.0f);
    for (std::size_t t = 0; t < out.size(); ++t) {
        const double most = std::max(one[t], other[t]);
        if (most < 0.0) continue;
        const auto& c = level.corners[t];
        const Plane plane = planeOf(level.points[static_cast<std::size_t>(c[0])],
                                    level.points[static_cast<std::size_t>(c[1])],
                                    level.points[static_cast<std::size_t>(c[2])]);
        const double slack = 1.2e-7 * ((std::fabs(plane.a) + std::fabs(plane.b)) * tileSide + std::fabs(plane.z0) + most);
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
    return gridOf(*this).cellOf(x, y);
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

// Names the surface the versions were made from, or leaves none when no
// coarser version came of it.
static bool finishDetail(const SurfaceView& surface, DetailSurface& out) {
    if (out.levels.size() < 2) {
        out = DetailSurface{};
        return true;
    }
    out.triangles = surface.triangles.data();
    out.triangleCount = surface.triangleCount;
    out.pointCount = surface.pointCount;
    return true;
}

bool buildDetailSurface(const SurfaceView& surface, DetailSurface& out, const JobControl& control,
                        int fromTriangles) {
    out = DetailSurface{};
    if (surface.triangleCount < std::max(fromTriangles, 1)) return true;
    const int n = surface.triangleCount;

    // The whole surface's triangles are read once, in order, and never their
    // corners' records, which lie all over memory: what is needed of each
    // point (its tile) is gathered first, in point order.
    std::array<PlanBox, 2> boxOf;
    inTwoHalves(surface.pointCount, [&](int first, int last, int worker) {
        for (int p = first; p < last; ++p)
            if (std::isfinite(surface.point(p).easting) && std::isfinite(surface.point(p).northing))
                boxOf[static_cast<std::size_t>(worker)].add(surface.point(p).easting, surface.point(p).northing);
    });
    PlanBox box;
    for (const PlanBox& half : boxOf) {
        box.minX = std::min(box.minX, half.minX), box.maxX = std::max(box.maxX, half.maxX);
        box.minY = std::min(box.minY, half.minY), box.maxY = std::max(box.maxY, half.maxY);
    }
    const double width = box.maxX - box.minX, height = box.maxY - box.minY;
    if (!(width > 0.0 && height > 0.0)) return true;
    DetailTiling& tiling = out.tiling;
    tiling.side = std::max(width, height) / kTilesAlongLongerSide;
    tiling.originX = box.minX, tiling.originY = box.minY;
    tiling.columns = std::clamp(static_cast<int>(std::ceil(width / tiling.side)), 1, kTilesAlongLongerSide);
    tiling.rows = std::clamp(static_cast<int>(std::ceil(height / tiling.side)), 1, kTilesAlongLongerSide);
    const auto tiles = static_cast<std::size_t>(tiling.count());
    std::vector<std::uint16_t> tileOf(static_cast<std::size_t>(surface.pointCount), 0);
    inTwoHalves(surface.pointCount, [&](int first, int last, int) {
        for (int p = first; p < last; ++p)
            tileOf[static_cast<std::size_t>(p)] =
                    static_cast<std::uint16_t>(tiling.tileAt(surface.point(p).easting, surface.point(p).northing));
    });

    // The plan box of each triangle in tiles (a byte each way: at most 64 tiles
    // a side), at home in its lowest; the points used; the surface's edge.
    // Each half of the triangles on its own core.
    struct TileBox {
        std::uint8_t column0, column1, row0, row1;
    };
    std::vector<TileBox> boxes(static_cast<std::size_t>(n));
    // The points used, a bit each, kept apart by each core (small enough to
    // stay in its cache) and joined after.
    const std::size_t usedWords = (static_cast<std::size_t>(surface.pointCount) + 63) / 64;
    std::array<std::vector<std::uint64_t>, 2> usedBy;
    std::array<std::vector<std::int32_t>, 2> edgePointsOf;
    std::atomic<bool> notSimple{false};
    const auto boxTriangles = [&](int first, int last, int worker) {
        std::vector<std::uint64_t>& used = usedBy[static_cast<std::size_t>(worker)];
        used.assign(usedWords, 0);
        // The corners' numbers follow the file, not the surface: their tiles
        // are asked for a few triangles ahead.
        constexpr int kAhead = 16;
        for (int t = first; t < last; ++t) {
            if (t + kAhead < last)
                for (const std::int32_t v : surface.triangle(t + kAhead).vertex)
                    if (v >= 0 && v < surface.pointCount) {
                        prefetchLine(&tileOf[static_cast<std::size_t>(v)]);
                        prefetchLine(&used[static_cast<std::size_t>(v) / 64]);
                    }
            const TinTriangle& tri = surface.triangle(t);
            int column0 = tiling.columns, column1 = -1, row0 = tiling.rows, row1 = -1;
            for (int k = 0; k < 3; ++k) {
                const int v = tri.vertex[k];
                if (v < 0 || v >= surface.pointCount) {
                    notSimple = true;
                    return;
                }
                used[static_cast<std::size_t>(v) / 64] |= std::uint64_t{1} << (v % 64);
                const int at = tileOf[static_cast<std::size_t>(v)];
                column0 = std::min(column0, at % tiling.columns), column1 = std::max(column1, at % tiling.columns);
                row0 = std::min(row0, at / tiling.columns), row1 = std::max(row1, at / tiling.columns);
                if (tri.neighbour[k] < 0) {
                    edgePointsOf[static_cast<std::size_t>(worker)].push_back(v);
                    edgePointsOf[static_cast<std::size_t>(worker)].push_back(tri.vertex[(k + 1) % 3]);
                }
            }
            boxes[static_cast<std::size_t>(t)] = {static_cast<std::uint8_t>(column0), static_cast<std::uint8_t>(column1),
                                                  static_cast<std::uint8_t>(row0), static_cast<std::uint8_t>(row1)};
        }
    };
    inTwoHalves(n, boxTriangles);
    if (notSimple) return true;  // not a surface to simplify
    std::vector<std::uint64_t> used = std::move(usedBy[0]);
    for (std::size_t w = 0; w < usedWords; ++w) used[w] |= usedBy[1][w];
    std::vector<std::uint64_t>().swap(usedBy[1]);
    const auto isUsed = [&used](int p) { return (used[static_cast<std::size_t>(p) / 64] >> (p % 64) & 1u) != 0; };
    std::vector<std::int32_t> edgePoints = std::move(edgePointsOf[0]);
    edgePoints.insert(edgePoints.end(), edgePointsOf[1].begin(), edgePointsOf[1].end());
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

    // The points used filed by tile, and the elevations of each tile. Each
    // half of the points is filed on its own core, the first half's before
    // the second's in every tile, as one pass in point order would file them.
    TileFiling filing;
    const int pointCount = surface.pointCount;
    std::array<std::vector<std::int32_t>, 2> countIn;
    inTwoHalves(pointCount, [&](int first, int last, int worker) {
        std::vector<std::int32_t>& count = countIn[static_cast<std::size_t>(worker)];
        count.assign(tiles, 0);
        for (int p = first; p < last; ++p)
            if (isUsed(p)) ++count[tileOf[static_cast<std::size_t>(p)]];
    });
    filing.start.assign(tiles + 1, 0);
    for (std::size_t t = 0; t < tiles; ++t) filing.start[t + 1] = filing.start[t] + countIn[0][t] + countIn[1][t];
    filing.members.resize(static_cast<std::size_t>(filing.start[tiles]));
    std::array<std::vector<float>, 2> lowIn, highIn;
    inTwoHalves(pointCount, [&](int first, int last, int worker) {
        const auto w = static_cast<std::size_t>(worker);
        std::vector<std::int32_t> next(filing.start.begin(), filing.start.end() - 1);
        if (worker == 1)
            for (std::size_t t = 0; t < tiles; ++t) next[t] += countIn[0][t];
        std::vector<float>& low = lowIn[w];
        std::vector<float>& high = highIn[w];
        low.assign(tiles, std::numeric_limits<float>::infinity());
        high.assign(tiles, -std::numeric_limits<float>::infinity());
        for (int p = first; p < last; ++p) {
            if (!isUsed(p)) continue;
            const std::uint16_t tile = tileOf[static_cast<std::size_t>(p)];
            const SurveyPoint& point = surface.point(p);
            filing.members[static_cast<std::size_t>(next[tile]++)] = filedPoint(point, p, tiling, tile);
            const auto z = static_cast<float>(point.elevation);
            low[tile] = std::min(low[tile], z);
            high[tile] = std::max(high[tile], z);
        }
    });
    out.tileLow = std::move(lowIn[0]);
    out.tileHigh = std::move(highIn[0]);
    for (std::size_t t = 0; t < tiles; ++t) {
        const float low = std::min(out.tileLow[t], lowIn[1][t]), high = std::max(out.tileHigh[t], highIn[1][t]);
        if (low > high) continue;  // no point in the tile
        out.tileLow[t] = std::nextafter(low, -INFINITY);
        out.tileHigh[t] = std::nextafter(high, INFINITY);
    }
    std::vector<std::uint16_t>().swap(tileOf);
    std::vector<std::uint64_t>().swap(used);
    const std::size_t usedCount = filing.members.size();
    if (edgePoints.size() > usedCount / 2) {  // the links are not known
        edgePoints.clear();
        for (const FiledPoint& m : filing.members) edgePoints.push_back(m.point);
    }
    std::sort(edgePoints.begin(), edgePoints.end());
    edgePoints.erase(std::unique(edgePoints.begin(), edgePoints.end()), edgePoints.end());
    const std::vector<std::int32_t> hull = convexHull(surface, edgePoints);
    if (hull.size() < 3) return true;
    if (!control.carryOn(0.25)) return false;

    // The surface fills its hull unless boundaries cut it (its edge then
    // leaves the hull's): the cells its triangles reach are noted, to leave
    // the versions' triangles out of the gaps.
    Coverage coverage;
    const double spacing = std::sqrt(width * height / static_cast<double>(usedCount));
    coverage.convex = std::all_of(edgePoints.begin(), edgePoints.end(), [&](std::int32_t v) {
        const SurveyPoint& p = surface.point(v);
        for (std::size_t i = 0; i < hull.size(); ++i) {
            const SurveyPoint &a = surface.point(hull[i]), &b = surface.point(hull[(i + 1) % hull.size()]);
            if (orient2d(a.easting, a.northing, b.easting, b.northing, p.easting, p.northing) == 0.0) return true;
        }
        return false;
    });
    if (!coverage.convex && gridOver(box, 2.0 * spacing, usedCount, coverage.grid)) {
        const CellGrid& g = coverage.grid;
        std::vector<std::int32_t> cellOf(static_cast<std::size_t>(surface.pointCount), 0);
        for (const FiledPoint& m : filing.members)
            cellOf[static_cast<std::size_t>(m.point)] =
                    g.cellOf(surface.point(m.point).easting, surface.point(m.point).northing);
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

    // Each version from the points of the one before: one per cell, the cells
    // about doubling in side from version to version up to a tile, and lying
    // within the tiles so that each tile is picked and measured on its own.
    // The first has cells of about twice the points' spacing (a quarter of
    // them), or on a surface of millions six times (a thirty-sixth): there a
    // finer one would cost more to make than it saves in the few tiles close
    // enough to want it.
    const double firstSide = (n > 4 * kDetailLevelsFrom ? 6.0 : 2.0) * spacing;
    if (!(tiling.side >= firstSide)) return finishDetail(surface, out);
    int across = static_cast<int>(std::min(tiling.side / firstSide, 16384.0));
    while (across > 1 && static_cast<double>(across) * across * static_cast<double>(tiles) >
                                 2.0 * static_cast<double>(usedCount) + 16.0)
        across = (across + 1) / 2;
    std::vector<PlanXY> hullCorners;
    if (coverage.convex)
        for (const std::int32_t p : hull) hullCorners.push_back({surface.point(p).easting, surface.point(p).northing});
    for (;; across = (across + 1) / 2) {
        std::vector<std::vector<FiledPoint>> picked(tiles);
        inTwoHalves(tiling.count(), [&](int first, int last, int) {
            std::vector<std::int32_t> best;
            std::vector<float> distance;
            for (int tile = first; tile < last; ++tile) {
                if (tile % 64 == 0 && control.cancelled()) return;
                const FiledPoint* members = filing.members.data();
                pickInTile(members + filing.start[static_cast<std::size_t>(tile)],
                           members + filing.start[static_cast<std::size_t>(tile) + 1], across, tiling.side, best,
                           distance, picked[static_cast<std::size_t>(tile)]);
            }
        });
        if (control.cancelled()) return false;
        // The hull's corners too, those not picked already.
        for (const std::int32_t h : hull) {
            const SurveyPoint& p = surface.point(h);
            const int tile = tiling.tileAt(p.easting, p.northing);
            std::vector<FiledPoint>& in = picked[static_cast<std::size_t>(tile)];
            if (std::none_of(in.begin(), in.end(), [&](const FiledPoint& m) { return m.point == h; }))
                in.push_back(filedPoint(p, h, tiling, tile));
        }
        TileFiling next;
        next.start.assign(tiles + 1, 0);
        for (std::size_t t = 0; t < tiles; ++t)
            next.start[t + 1] = next.start[t] + static_cast<std::int32_t>(picked[t].size());
        next.members.reserve(static_cast<std::size_t>(next.start[tiles]));
        for (const std::vector<FiledPoint>& in : picked) next.members.insert(next.members.end(), in.begin(), in.end());
        std::vector<std::vector<FiledPoint>>().swap(picked);
        std::vector<std::int32_t> points;
        points.reserve(next.members.size());
        for (const FiledPoint& m : next.members) points.push_back(m.point);
        std::sort(points.begin(), points.end());
        if (static_cast<int>(points.size()) < kFewestPoints) break;

        DetailLevel level;
        level.spacing = tiling.side / across;
        if (!triangulateVersion(surface, points, coverage, level, control)) return false;
        if (level.corners.empty()) break;
        const CellGrid tileGrid = gridOf(tiling);
        groupByTile(
            static_cast<int>(level.corners.size()),
            [&](int t) {
                const auto& c = level.corners[static_cast<std::size_t>(t)];
                const SurveyPoint &a = level.points[static_cast<std::size_t>(c[0])],
                                  &b = level.points[static_cast<std::size_t>(c[1])],
                                  &d = level.points[static_cast<std::size_t>(c[2])];
                return Reach{tileGrid.cellOf((a.easting + b.easting + d.easting) / 3.0,
                                             (a.northing + b.northing + d.northing) / 3.0),
                             tileGrid.column(std::min({a.easting, b.easting, d.easting})),
                             tileGrid.column(std::max({a.easting, b.easting, d.easting})),
                             tileGrid.row(std::min({a.northing, b.northing, d.northing})),
                             tileGrid.row(std::max({a.northing, b.northing, d.northing}))};
            },
            tiling, level);
        const HullBand band(hullCorners, level.spacing, tiling);
        std::array<std::vector<float>, 2> most;
        inTwoHalves(tiling.count(), [&](int first, int last, int worker) {
            std::vector<float>& mine = most[static_cast<std::size_t>(worker)];
            mine.assign(level.corners.size(), -1.0f);
            measureTiles(first, last, filing, level, tiling, band, mine, control);
        });
        if (control.cancelled()) return false;
        level.error = tileErrors(level, out.levels.back().error, deviations(level, most[0], most[1], tiling.side));
        out.levels.push_back(std::move(level));
        filing = std::move(next);
        if (!control.carryOn(std::min(0.95, 0.25 + 0.7 * (1.0 - 1.0 / static_cast<double>(out.levels.size())))))
            return false;
        if (across == 1) break;
    }
    return finishDetail(surface, out);
}


void listDetailTriangles(const DetailSurface& detail, const SurfaceView& whole, DetailFrame& frame) {
    frame.triangles.clear();
    frame.sourceLevel.clear();
    frame.sourceTriangle.clear();
    frame.points.clear();
    frame.copies.clear();
    const auto tiles = static_cast<std::size_t>(detail.tiling.count());
    // A version's list is made the first time a frame draws from it. The
    // whole surface's points are looked up in a table sized to the frame's
    // triangles of it instead: a list over them all would take 8 bytes a
    // point (800 MB at 100 million) for the few near tiles that draw it.
    frame.listedAs.resize(detail.levels.size());
    if (++frame.stamp == 0) {
        for (std::vector<std::uint64_t>& listed : frame.listedAs) std::fill(listed.begin(), listed.end(), 0);
        frame.stamp = 1;
    }
    std::vector<std::uint8_t> drawn(detail.levels.size(), 0);
    std::size_t wholeCorners = 0;
    const DetailLevel& whole0 = detail.levels[0];
    for (std::size_t tile = 0; tile < tiles; ++tile) {
        const int k = frame.tileLevel[tile];
        if (k < 0) continue;
        drawn[static_cast<std::size_t>(k)] = 1;
        if (k == 0)
            wholeCorners += 3 * static_cast<std::size_t>(whole0.homeStart[tile + 1] - whole0.homeStart[tile] +
                                                         whole0.visitStart[tile + 1] - whole0.visitStart[tile]);
    }
    for (std::size_t k = 1; k < detail.levels.size(); ++k) {
        // Of another surface's versions, or never drawn: no entry can carry this frame's stamp.
        if (drawn[k] && frame.listedAs[k].size() != detail.levels[k].points.size())
            frame.listedAs[k].assign(detail.levels[k].points.size(), 0);
    }
    // Open addressing, at most half full: (point << 32) | copy, or kFree.
    constexpr std::uint64_t kFree = ~std::uint64_t{0};
    int tableBits = 4;
    while ((std::size_t{1} << tableBits) < 2 * wholeCorners) ++tableBits;
    frame.wholeListed.assign(drawn[0] ? std::size_t{1} << tableBits : 0, kFree);
    const std::size_t tableMask = (std::size_t{1} << tableBits) - 1;
    auto copyOfWhole = [&](std::int32_t v) {
        const auto key = static_cast<std::uint32_t>(v);
        for (std::size_t at = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15u) >> (64 - tableBits));;
             at = (at + 1) & tableMask) {
            std::uint64_t& entry = frame.wholeListed[at];
            if (entry == kFree) {
                const auto copy = static_cast<std::uint32_t>(frame.copies.size());
                entry = std::uint64_t{key} << 32 | copy;
                frame.points.push_back(v);
                frame.copies.push_back(whole.point(v));
                return static_cast<std::int32_t>(copy);
            }
            if (entry >> 32 == key) return static_cast<std::int32_t>(entry & 0xffffffff);
        }
    };
    const std::uint64_t stamp = std::uint64_t{frame.stamp} << 32;
    auto add = [&](std::size_t k, std::int32_t t) {
        const DetailLevel& level = detail.levels[k];
        TinTriangle record;
        if (k == 0) {
            const TinTriangle& own = whole.triangle(t);
            for (int c = 0; c < 3; ++c) record.vertex[c] = copyOfWhole(own.vertex[c]);
        } else {
            const auto& c = level.corners[static_cast<std::size_t>(t)];
            std::vector<std::uint64_t>& listedAs = frame.listedAs[k];
            for (int j = 0; j < 3; ++j) {
                const std::int32_t v = c[static_cast<std::size_t>(j)];
                std::uint64_t& listed = listedAs[static_cast<std::size_t>(v)];
                if ((listed & ~std::uint64_t{0xffffffff}) != stamp) {
                    listed = stamp | static_cast<std::uint32_t>(frame.copies.size());
                    frame.points.push_back(level.pointOf[static_cast<std::size_t>(v)]);
                    frame.copies.push_back(level.points[static_cast<std::size_t>(v)]);
                }
                record.vertex[j] = static_cast<std::int32_t>(listed & 0xffffffff);
            }
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
