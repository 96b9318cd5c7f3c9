// Cut and fill between two surfaces (or a surface and a level datum), checked
// against closed forms and against a per-triangle integration written here.
#include "surface/volumes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <random>

#include "surface/tin_geometry.h"
#include "surface_support.h"

namespace vellacor::testing {
namespace {

struct Surface {
    std::unique_ptr<SurfaceSite> model = std::make_unique<SurfaceSite>();
    SurfaceView view() const { return linkedSurfaceOf(*model); }
};

// A Delaunay surface of the points, built as the program builds it.
Surface built(const std::vector<Xyz>& points) {
    Surface s;
    loadPoints(*s.model, points);
    buildSurface(*s.model);
    EXPECT_TRUE(s.model->document.contourStage.done);
    return s;
}

// A surface of the given triangles, linked: counter-clockwise as the
// triangulation makes them, or clockwise as some files bring them.
Surface given(const std::vector<Xyz>& points, std::vector<std::array<int, 3>> triangles, bool clockwise = false) {
    for (auto& t : triangles) {
        const Xyz &a = points[static_cast<std::size_t>(t[0])], &b = points[static_cast<std::size_t>(t[1])],
                  &c = points[static_cast<std::size_t>(t[2])];
        if (((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x) < 0) != clockwise) std::swap(t[1], t[2]);
    }
    Surface s;
    setSurface(*s.model, points, triangles);
    return s;
}

template <typename Height>
std::vector<Xyz> withHeights(std::vector<Xyz> points, Height h) {
    for (Xyz& p : points) p.z = h(p.x, p.y);
    return points;
}

// Random points over [x0, x0 + size] x [y0, y0 + size] with the four corners.
std::vector<Xyz> randomSquare(int count, std::uint32_t seed, double x0, double size, double y0 = 0) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> u(0.0, size);
    std::vector<Xyz> points{{x0, y0, 0}, {x0 + size, y0, 0}, {x0, y0 + size, 0}, {x0 + size, y0 + size, 0}};
    for (int i = 0; i < count; ++i) points.push_back({x0 + u(random), y0 + u(random), 0});
    return points;
}

double siteTilt(double x, double y) { return 10.0 + 0.3 * x + 0.2 * y; }
double designTilt(double, double y) { return 11.5 + 0.2 * y; }  // site - design = 0.3 x - 1.5

// The integral of max(0, 0.3 x - 1.5) over [x0, x1] (per unit of northing).
double cutStrip(double x0, double x1) {
    const auto F = [](double x) { return x <= 5.0 ? 0.0 : 0.15 * x * x - 1.5 * x + 3.75; };
    return F(x1) - F(x0);
}
double fillStrip(double x0, double x1) {
    const auto G = [](double x) { return x >= 5.0 ? 3.75 : 1.5 * x - 0.15 * x * x; };
    return G(x1) - G(x0);
}

void expectRelative(double value, double expected, double tolerance = 1e-9) {
    EXPECT_NEAR(value, expected, tolerance * std::max(1.0, std::fabs(expected)));
}

// The comparison of the two surfaces, which must give figures.
VolumeTotals compared(const Surface& site, const Surface& comparison, const VolumeRequest& request = {}) {
    const auto v = compareSurfaces(site.view(), comparison.view(), request);
    EXPECT_TRUE(v);
    return v.value_or(VolumeTotals{});
}

// Cut, fill and the plan areas each to one part in 1e9 (a negative figure is not checked).
void expectFigures(const VolumeTotals& v, double cut, double fill, double area, double cutArea = -1, double fillArea = -1) {
    expectRelative(v.cut, cut);
    expectRelative(v.fill, fill);
    expectRelative(v.area, area);
    if (cutArea >= 0) expectRelative(v.cutArea, cutArea);
    if (fillArea >= 0) expectRelative(v.fillArea, fillArea);
}

TEST(Volumes, PlanesCrossingInsideGiveTheClosedFormWhicheverSurfaceIsFiner) {
    const Surface fineSite = built(withHeights(randomSquare(400, 7, 0, 10), siteTilt));
    const Surface coarseSite = built(withHeights(gridPoints(3, 3, 5.0), siteTilt));
    const Surface fineDesign = built(withHeights(randomSquare(300, 8, 0, 10), designTilt));
    const Surface gridDesign = built(withHeights(gridPoints(11, 11, 1.0), designTilt));
    // Dense enough that most of the square is classed from the design's
    // height bounds alone; the two grids share rows, so walks along them meet
    // points everywhere.
    const Surface denseSite = built(withHeights(randomSquare(4000, 9, 0, 10), siteTilt));
    const Surface gridSite = built(withHeights(gridPoints(41, 41, 0.25), siteTilt));
    const Surface denseDesign = built(withHeights(randomSquare(5000, 10, 0, 10), designTilt));
    const Surface denseGridDesign = built(withHeights(gridPoints(81, 81, 0.125), designTilt));
    for (const Surface* site : {&fineSite, &coarseSite, &denseSite, &gridSite})
        for (const Surface* design : {&fineDesign, &gridDesign, &denseDesign, &denseGridDesign}) {
            const VolumeTotals v = compared(*site, *design);
            expectFigures(v, 10 * cutStrip(0, 10), 10 * fillStrip(0, 10), 100.0, 50.0, 50.0);  // cut 37.5
            expectRelative(v.deepestCut, 1.5);
            expectRelative(v.highestFill, 1.5);
            EXPECT_NEAR(v.areaLeftOut(), 0.0, 1e-9);
        }
}

TEST(Volumes, TheIsopachFollowsTheDifferencesLevels) {
    // d = 0.3 x - 1.5: each level L is the line x = (L + 1.5) / 0.3 across the square.
    const Surface site = built(withHeights(randomSquare(300, 61, 0, 10), siteTilt));
    const Surface design = built(withHeights(gridPoints(11, 11, 1.0), designTilt));
    VolumeRequest request;
    request.isopachInterval = 0.5;
    const VolumeTotals v = compared(site, design, request);
    std::map<double, int> linesAt;
    for (const ExportPolyline& line : v.isopach) {
        if (line.level >= 1.5) continue;  // the level that is the square's edge
        ++linesAt[line.level];
        const double x = (line.level + 1.5) / 0.3;
        for (const Vec3& p : line.points) {
            EXPECT_NEAR(p.x, x, 1e-9);
            EXPECT_EQ(p.z, line.level);
        }
        EXPECT_NEAR(std::fabs(line.points.front().y - line.points.back().y), 10.0, 1e-9);
        EXPECT_EQ(line.major, line.level == 0.0);
    }
    EXPECT_EQ(linesAt, (std::map<double, int>{{-1.0, 1}, {-0.5, 1}, {0.0, 1}, {0.5, 1}, {1.0, 1}}));
}

TEST(Volumes, IdenticalAndRefinedSurfacesGiveZero) {
    // A grid: every cell's corners co-circular, every edge shared.
    const auto grid = withHeights(gridPoints(21, 21, 1.0), [](double x, double y) { return 100 + std::sin(x) * y; });
    const Surface first = built(grid), second = built(grid);
    const VolumeTotals same = compared(first, second);
    EXPECT_EQ(same.cut, 0.0);
    EXPECT_EQ(same.fill, 0.0);
    EXPECT_EQ(same.cutArea + same.fillArea, 0.0);
    EXPECT_EQ(same.area, 400.0);

    // Each triangle split in three at a point on its own plane.
    const SurfaceView v = first.view();
    std::vector<Xyz> points;
    for (int i = 0; i < v.pointCount; ++i) points.push_back({v.point(i).easting, v.point(i).northing, v.point(i).elevation});
    std::vector<std::array<int, 3>> triangles;
    for (int t = 0; t < v.triangleCount; ++t) {
        const auto& corner = v.triangle(t).vertex;
        Xyz centre{0, 0, 0};
        for (int k = 0; k < 3; ++k) {
            const Xyz& p = points[static_cast<std::size_t>(corner[k])];
            centre = {centre.x + p.x / 3, centre.y + p.y / 3, centre.z + p.z / 3};
        }
        const int c = static_cast<int>(points.size());
        points.push_back(centre);
        for (int k = 0; k < 3; ++k) triangles.push_back({corner[k], corner[(k + 1) % 3], c});
    }
    const Surface refined = given(points, triangles);
    for (const VolumeTotals& r : {compared(first, refined), compared(refined, first)}) {
        EXPECT_LT(r.cut + r.fill, 1e-9);
        expectRelative(r.area, 400.0);
    }
}

TEST(Volumes, OnlyTheOverlapCounts) {
    const Surface site = built(withHeights(randomSquare(200, 21, 0, 10), siteTilt));
    const Surface design = built(withHeights(randomSquare(200, 22, 5, 10), designTilt));  // x in [5, 15]
    const VolumeTotals v = compared(site, design);
    expectFigures(v, 10 * cutStrip(5, 10), 0.0, 50.0);
    expectRelative(v.siteArea, 100.0);
    expectRelative(v.areaLeftOut(), 50.0);

    // A comparison in two parts with a gap between, under two large triangles.
    const Surface coarse = built(withHeights(gridPoints(2, 2, 10.0), siteTilt));
    std::vector<Xyz> parts;
    std::vector<std::array<int, 3>> triangles;
    for (const double x0 : {1.0, 6.0}) {
        const int first = static_cast<int>(parts.size());
        for (const auto& [x, y] : {std::pair{x0, 1.0}, {x0 + 2, 1.0}, {x0 + 2, 9.0}, {x0, 9.0}})
            parts.push_back({x, y, designTilt(x, y)});
        triangles.push_back({first, first + 1, first + 2});
        triangles.push_back({first, first + 2, first + 3});
    }
    for (const bool clockwise : {false, true}) {
        expectFigures(compared(coarse, given(parts, triangles, clockwise)), 8 * cutStrip(6, 8), 8 * fillStrip(1, 3), 32.0);
    }
    EXPECT_EQ(compared(site, built(withHeights(randomSquare(50, 23, 20, 10), designTilt))).area, 0.0);
}

// The triangles of a grid of unit cells over [0, n] x [0, n], leaving out
// the cells `skip` names (by their lower-left corner), on plane `height`.
template <typename Skip, typename Height>
Surface gridWithout(int n, Skip skip, Height height) {
    std::vector<Xyz> points;
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) points.push_back({double(i), double(j), height(double(i), double(j))});
    std::vector<std::array<int, 3>> triangles;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            if (skip(i, j)) continue;
            const int a = j * (n + 1) + i;
            triangles.push_back({a, a + 1, a + n + 2});
            triangles.push_back({a, a + n + 2, a + n + 1});
        }
    return given(points, triangles);
}

TEST(Volumes, HolesAndBaysInEitherSurfaceAreLeftOut) {
    // Every corner of the overlay says the site lies 2 above the comparison,
    // but the comparison has a 2 x 1 hole inside one of the site's two large
    // triangles, or lacks a whole quarter (a bay the walks step out of).
    const auto raised = [](double x, double y) { return siteTilt(x, y) + 2.0; };
    const Surface coarse = built(withHeights(gridPoints(2, 2, 10.0), raised));
    const Surface fine = built(withHeights(randomSquare(300, 61, 0, 10), raised));
    const Surface holed = gridWithout(10, [](int i, int j) { return j == 2 && (i == 6 || i == 7); }, siteTilt);
    const Surface bay = gridWithout(10, [](int i, int j) { return i >= 5 && j >= 5; }, siteTilt);
    // One site triangle, wholly on the comparison, round a hole of one cell
    // (its corners and edges touch no point of the grid).
    const std::vector<Xyz> corners = withHeights({{1.3, 1.2, 0}, {9.1, 1.7, 0}, {4.6, 9.3, 0}}, raised);
    const Surface one = given(corners, {{0, 1, 2}});
    const Surface oneHole = gridWithout(10, [](int i, int j) { return i == 5 && j == 5; }, siteTilt);
    const double oneArea = 0.5 * ((9.1 - 1.3) * (9.3 - 1.2) - (1.7 - 1.2) * (4.6 - 1.3)) - 1.0;
    for (const auto& [site, comparison] : {std::pair{&one, &oneHole}, {&oneHole, &one}}) {
        const VolumeTotals v = compared(*site, *comparison);
        expectRelative(v.area, oneArea);
        expectRelative(v.cut + v.fill, 2.0 * oneArea);
    }
    const Surface whole = gridWithout(10, [](int, int) { return false; }, siteTilt);
    for (const Surface* site : {&coarse, &fine})
        for (const auto& [comparison, area] : {std::pair{&holed, 98.0}, {&bay, 75.0}, {&whole, 100.0}}) {
            SCOPED_TRACE(::testing::Message() << "site " << (site == &coarse ? "coarse" : "fine") << " area " << area);
            const VolumeTotals v = compared(*site, *comparison);
            expectFigures(v, 2.0 * area, 0.0, area, area);
            expectRelative(v.deepestCut, 2.0);
            // The other way round the same ground is fill.
            const VolumeTotals w = compared(*comparison, *site);
            expectFigures(w, 0.0, 2.0 * area, area, -1, area);
            expectRelative(w.highestFill, 2.0);
        }
}

TEST(Volumes, APolygonLimitsTheComparison) {
    const Surface site = built(withHeights(randomSquare(300, 31, 0, 10), siteTilt));
    const Surface design = built(withHeights(randomSquare(300, 32, 0, 10), designTilt));
    // An L, clockwise, reaching past the surfaces on the right:
    // [1, 12] x [1, 3] and [1, 4] x [3, 9].
    VolumeRequest request;
    request.polygon = {{1, 1, 0}, {1, 9, 0}, {4, 9, 0}, {4, 3, 0}, {12, 3, 0}, {12, 1, 0}};
    const VolumeTotals v = compared(site, design, request);
    expectFigures(v, 2 * cutStrip(1, 10), 2 * fillStrip(1, 10) + 6 * fillStrip(1, 4), 2 * 9 + 6 * 3, 2 * 5);
    expectRelative(v.siteArea, 2 * 9 + 6 * 3);
}

// The integral of max(0, d) over a triangle of plan area s, d linear with
// corner values d0, d1, d2: the part beyond the zero line is a triangle cut
// from the corner of the other sign.
double positivePart(double s, double d0, double d1, double d2) {
    std::array<double, 3> d{d0, d1, d2};
    std::sort(d.begin(), d.end());
    if (d[0] >= 0) return s * (d[0] + d[1] + d[2]) / 3;
    if (d[2] <= 0) return 0.0;
    if (d[1] <= 0) return s * d[2] * d[2] * d[2] / (3 * (d[2] - d[0]) * (d[2] - d[1]));
    const double negative = s * d[0] * d[0] * d[0] / (3 * (d[0] - d[1]) * (d[0] - d[2]));
    return s * (d[0] + d[1] + d[2]) / 3 - negative;
}

// The plan area of the same triangle where d > 0.
double positiveArea(double s, double d0, double d1, double d2) {
    std::array<double, 3> d{d0, d1, d2};
    std::sort(d.begin(), d.end());
    if (d[2] <= 0) return 0.0;
    if (d[0] > 0) return s;
    if (d[1] <= 0) return s * d[2] * d[2] / ((d[2] - d[0]) * (d[2] - d[1]));
    return s - s * d[0] * d[0] / ((d[0] - d[1]) * (d[0] - d[2]));
}

TEST(Volumes, DatumVolumesMatchEachTriangleClosedForm) {
    // Rough ground with a spike and a pit, on a grid with ties and at random.
    auto rough = withHeights(randomSquare(400, 41, 0, 50), [](double x, double y) { return 100 + std::sin(x / 3) * std::cos(y / 4) * 5; });
    rough[10].z = 180;
    rough[20].z = 20;
    auto tied = withHeights(gridPoints(15, 15, 2.0), [](double x, double y) { return std::fmod(x + y, 4.0) < 2 ? 100.0 : 102.0; });
    for (const auto& points : {rough, tied}) {
        const Surface site = built(points);
        for (const double datum : {100.0, 101.0, 96.5}) {
            VolumeRequest request;
            request.datum = datum;
            const auto v = compareWithDatum(site.view(), request);
            ASSERT_TRUE(v);
            const SurfaceView s = site.view();
            double cut = 0, fill = 0, area = 0;
            for (int t = 0; t < s.triangleCount; ++t) {
                const auto& corner = s.triangle(t).vertex;
                const SurveyPoint &a = s.point(corner[0]), &b = s.point(corner[1]), &c = s.point(corner[2]);
                const double plan = 0.5 * std::fabs((b.easting - a.easting) * (c.northing - a.northing) -
                                                    (b.northing - a.northing) * (c.easting - a.easting));
                const double da = a.elevation - datum, db = b.elevation - datum, dc = c.elevation - datum;
                cut += positivePart(plan, da, db, dc);
                fill += positivePart(plan, -da, -db, -dc);
                area += plan;
            }
            expectFigures(*v, cut, fill, area);
        }
    }
}

// The overlay done the slow way, apart from the program's: every site
// triangle against every comparison triangle, clipped in long double with no
// walk, grid or neighbour links, each piece fanned into triangles whose
// positive and negative parts have the closed form above.
struct SlowTotals {
    long double cut = 0, fill = 0, area = 0, cutArea = 0, fillArea = 0;
    double deepestCut = 0, highestFill = 0;  // over the pieces' corners
};

struct Lx {
    long double x, y, z;
};

std::array<Lx, 3> counterClockwise(const SurfaceView& s, int t) {
    std::array<Lx, 3> c;
    for (int k = 0; k < 3; ++k) {
        const SurveyPoint& p = s.point(s.triangle(t).vertex[k]);
        c[static_cast<std::size_t>(k)] = {p.easting, p.northing, p.elevation};
    }
    if ((c[1].x - c[0].x) * (c[2].y - c[0].y) - (c[1].y - c[0].y) * (c[2].x - c[0].x) < 0) std::swap(c[1], c[2]);
    return c;
}

long double heightOn(const std::array<Lx, 3>& c, long double x, long double y) {
    const long double area = (c[1].x - c[0].x) * (c[2].y - c[0].y) - (c[1].y - c[0].y) * (c[2].x - c[0].x);
    const long double w1 = ((x - c[0].x) * (c[2].y - c[0].y) - (y - c[0].y) * (c[2].x - c[0].x)) / area;
    const long double w2 = ((c[1].x - c[0].x) * (y - c[0].y) - (c[1].y - c[0].y) * (x - c[0].x)) / area;
    return c[0].z + w1 * (c[1].z - c[0].z) + w2 * (c[2].z - c[0].z);
}

SlowTotals pairwise(const SurfaceView& site, const SurfaceView& comparison) {
    SlowTotals totals;
    for (int a = 0; a < site.triangleCount; ++a) {
        const auto ca = counterClockwise(site, a);
        for (int b = 0; b < comparison.triangleCount; ++b) {
            const auto cb = counterClockwise(comparison, b);
            std::vector<Lx> poly(cb.begin(), cb.end()), next;
            for (int i = 0, j = 2; i < 3 && !poly.empty(); j = i++) {
                const auto side = [&](const Lx& p) {
                    return (ca[static_cast<std::size_t>(i)].x - ca[static_cast<std::size_t>(j)].x) * (p.y - ca[static_cast<std::size_t>(j)].y) -
                           (ca[static_cast<std::size_t>(i)].y - ca[static_cast<std::size_t>(j)].y) * (p.x - ca[static_cast<std::size_t>(j)].x);
                };
                next.clear();
                for (std::size_t k = 0; k < poly.size(); ++k) {
                    const Lx &p = poly[k], &q = poly[(k + 1) % poly.size()];
                    const long double sp = side(p), sq = side(q);
                    if (sp >= 0) next.push_back(p);
                    if ((sp > 0 && sq < 0) || (sp < 0 && sq > 0)) {
                        const long double t = sp / (sp - sq);
                        next.push_back({p.x + t * (q.x - p.x), p.y + t * (q.y - p.y), 0});
                    }
                }
                poly.swap(next);
            }
            for (std::size_t k = 1; k + 1 < poly.size(); ++k) {
                const Lx &o = poly[0], &p = poly[k], &q = poly[k + 1];
                const long double plan = 0.5L * ((p.x - o.x) * (q.y - o.y) - (p.y - o.y) * (q.x - o.x));
                if (!(plan > 0)) continue;
                const auto d = [&](const Lx& v) { return heightOn(ca, v.x, v.y) - heightOn(cb, v.x, v.y); };
                const double d0 = static_cast<double>(d(o)), d1 = static_cast<double>(d(p)), d2 = static_cast<double>(d(q));
                totals.deepestCut = std::max({totals.deepestCut, d0, d1, d2});
                totals.highestFill = std::max({totals.highestFill, -d0, -d1, -d2});
                totals.cut += positivePart(static_cast<double>(plan), d0, d1, d2);
                totals.fill += positivePart(static_cast<double>(plan), -d0, -d1, -d2);
                totals.cutArea += positiveArea(static_cast<double>(plan), d0, d1, d2);
                totals.fillArea += positiveArea(static_cast<double>(plan), -d0, -d1, -d2);
                totals.area += plan;
            }
        }
    }
    return totals;
}

void expectMatchesSlowOverlay(const Surface& site, const Surface& comparison) {
    const VolumeTotals v = compared(site, comparison);
    const SlowTotals slow = pairwise(site.view(), comparison.view());
    expectFigures(v, static_cast<double>(slow.cut), static_cast<double>(slow.fill), static_cast<double>(slow.area),
                  static_cast<double>(slow.cutArea), static_cast<double>(slow.fillArea));
    expectRelative(v.deepestCut, slow.deepestCut);
    expectRelative(v.highestFill, slow.highestFill);
}

TEST(Volumes, TiedGridAlignedAndBlunderedSurfacesMatchTheSlowOverlay) {
    const auto halfMetres = [](double z) { return std::round(z * 2.0) / 2.0; };
    // Ground read to the half metre on a grid (ties everywhere, and every
    // grid cell's diagonal a tie for the triangulation) ...
    const auto ground = withHeights(gridPoints(9, 9, 1.0), [&](double x, double y) { return halfMetres(100 + 1.3 * std::sin(x) + 0.7 * y); });
    // ... a design on a grid of half the spacing, its rows along the ground's rows, ...
    const auto fineDesign = withHeights(gridPoints(17, 17, 0.5), [&](double x, double y) { return halfMetres(101 + 0.4 * x - 0.1 * y); });
    // ... a design through the ground's own points and the middles of its rows, ...
    std::vector<Xyz> throughPoints;
    for (int i = 0; i <= 8; ++i)
        for (int j = 0; j <= 16; ++j) throughPoints.push_back({i * 1.0, j * 0.5, 0});
    throughPoints = withHeights(throughPoints, [&](double x, double y) { return halfMetres(100.5 + 0.1 * x * y); });
    // ... and random ground with two typing blunders, against a shifted design
    // that covers only part of it.
    auto blundered = withHeights(randomSquare(120, 91, 0, 8), [](double x, double y) { return 100 + 0.2 * x - 0.1 * y; });
    blundered[30].z = 1000.4;
    blundered[31].z = -99.9;
    const auto shifted = withHeights(randomSquare(90, 92, 3, 8, 2), [&](double x, double y) { return halfMetres(100 + 0.05 * x * x - 0.1 * y); });
    // ... two rough surfaces with a blunder each, far from the origin, ...
    std::mt19937 random(3);
    std::uniform_real_distribution<double> bump(-2.0, 2.0);
    auto roughA = randomSquare(150, 11, 0, 100), roughB = randomSquare(200, 12, 0, 100);
    for (auto* rough : {&roughA, &roughB})
        for (Xyz& p : *rough) p = {p.x + 500000, p.y + 4000000, 100 + bump(random)};
    roughA[40].z = 400.0;
    roughB[77].z = -50.0;
    // ... and two curved surfaces on different random points, crossing each other.
    const auto dome = withHeights(randomSquare(200, 71, 0, 20), [](double x, double y) { return 104 - 0.08 * ((x - 10) * (x - 10) + (y - 10) * (y - 10)); });
    const auto saddle = withHeights(randomSquare(150, 72, 0, 20), [](double x, double y) { return 101 + 0.05 * (x - 10) * (y - 10); });

    const std::vector<std::pair<std::vector<Xyz>, std::vector<Xyz>>> cases{
        {ground, fineDesign}, {ground, throughPoints}, {fineDesign, ground}, {blundered, shifted}, {ground, ground}, {roughA, roughB}, {roughB, roughA}, {dome, saddle}};
    for (const auto& [first, second] : cases) expectMatchesSlowOverlay(built(first), built(second));
    // A grid with a hole and a bay cut out of it (walks leave it where it is
    // not convex), crossing rough ground with a blunder either way round.
    const Surface cutOut = gridWithout(
        10, [](int i, int j) { return (i == 3 && j == 2) || i + j > 15; },
        [&](double x, double y) { return halfMetres(100.4 + 0.3 * std::sin(2 * x) + 0.05 * x * y); });
    auto rough = withHeights(randomSquare(150, 93, -0.5, 11, -0.5), [](double x, double y) { return 101 + 0.2 * std::cos(x + y); });
    rough[20].z = 160.0;
    expectMatchesSlowOverlay(cutOut, built(rough));
    expectMatchesSlowOverlay(built(rough), cutOut);
}

// A finished ground keeps the existing ground's own points beyond its
// grading, so the two surfaces share most of their triangles there: a pad
// with 1:3 slopes on rolling ground to the millimetre, either way round; the
// same points with a part raised and a part lowered (shared triangles in
// cut, in fill and across the zero line); and a limit across both kinds.
TEST(Volumes, SurfacesSharingTrianglesMatchTheSlowOverlay) {
    const auto ground = [](double x, double y) { return 100 + 2 * std::sin(0.4 * x) * std::cos(0.3 * y) + 0.1 * x; };
    const auto graded = [&](double x, double y, double& z) {
        const double u = std::max(std::fabs(x - 10) - 3, 0.0), v = std::max(std::fabs(y - 10) - 2, 0.0);
        const double reach = std::hypot(u, v) / 3, g = ground(x, y);
        z = std::clamp(g, 101 - reach, 101 + reach);
        return z != g;
    };
    const auto mm = [](double v) { return std::round(v * 1000) / 1000; };
    std::vector<Xyz> existing, finished;
    for (const Xyz& p : randomSquare(300, 21, 0, 20)) {
        const Xyz q{mm(p.x), mm(p.y), mm(ground(p.x, p.y))};
        existing.push_back(q);
        double z = 0;
        if (!graded(p.x, p.y, z)) finished.push_back(q);
    }
    for (const Xyz& p : randomSquare(150, 22, 0, 20)) {
        double z = 0;
        if (graded(p.x, p.y, z)) finished.push_back({mm(p.x), mm(p.y), mm(z)});
    }
    ASSERT_GT(existing.size(), finished.size() / 2);
    const Surface before = built(existing), after = built(finished);
    expectMatchesSlowOverlay(before, after);
    expectMatchesSlowOverlay(after, before);

    const Surface reshaped = built(withHeights(existing, [](double x, double y) {
        return 100 + 2 * std::sin(0.4 * x) * std::cos(0.3 * y) + 0.1 * x + (x < 8 ? 0.7 : y < 9 ? -0.4 : 0.0);
    }));
    expectMatchesSlowOverlay(before, reshaped);
    expectMatchesSlowOverlay(reshaped, before);

    // The limit: the same figures as the surfaces cut to it.
    VolumeRequest request;
    request.polygon = {{0, 0, 0}, {20, 0, 0}, {20, 20, 0}, {0, 20, 0}};
    const VolumeTotals whole = compared(before, reshaped);
    expectFigures(compared(before, reshaped, request), whole.cut, whole.fill, whole.area);
}

// Level ground read to the metre under a level pad at the same height, the
// pad's triangles far larger than the ground's: no cut, no fill, anywhere.
// (The height of a level triangle taken at a point inside it must be exactly
// its height, or the rounding calls whole triangles cut or fill.)
TEST(Volumes, ALevelPadOnLevelGroundIsNeitherCutNorFill) {
    std::vector<Xyz> pad, ground;
    for (int i = 0; i < 22; ++i)
        for (int j = 0; j < 22; ++j) pad.push_back({i * 100.0 / 21, j * 100.0 / 21, 101.0});
    for (int i = 30; i <= 40; ++i)
        for (int j = 20; j <= 30; ++j) ground.push_back({i * 1.0, j * 1.0, 101.0});
    const Surface level = built(ground), design = built(pad);
    for (const VolumeTotals& v : {compared(level, design), compared(design, level)}) {
        EXPECT_EQ(v.cut + v.fill + v.cutArea + v.fillArea, 0.0);
        expectRelative(v.area, 100.0);
    }
}

// A large surface is walked in its own triangle order when that follows the
// plan (as the triangulation's does), and sorted into plan order when not:
// the same surface with its triangles shuffled gives the same figures.
TEST(Volumes, AShuffledLargeSurfaceGivesTheSameFigures) {
    const auto wavy = [](double x, double y) { return 100 + 3 * std::sin(0.05 * x) * std::cos(0.04 * y); };
    const Surface site = built(withHeights(randomSquare(20000, 95, 0, 200), wavy));
    const Surface design = built(withHeights(randomSquare(9000, 96, 0, 200), [](double x, double y) { return 99.5 + 0.01 * x + 0.004 * y; }));
    const SurfaceView v = site.view();
    ASSERT_GT(v.triangleCount, 1 << 14);
    std::vector<Xyz> points;
    for (const SurveyPoint& p : v.points) points.push_back({p.easting, p.northing, p.elevation});
    std::vector<std::array<int, 3>> triangles;
    for (int t = 0; t < v.triangleCount; ++t) triangles.push_back({v.triangle(t).vertex[0], v.triangle(t).vertex[1], v.triangle(t).vertex[2]});
    std::shuffle(triangles.begin(), triangles.end(), std::mt19937(97));
    const Surface shuffled = given(points, triangles);
    for (const bool siteFirst : {true, false}) {
        const VolumeTotals inOrder = siteFirst ? compared(site, design) : compared(design, site);
        const VolumeTotals sorted = siteFirst ? compared(shuffled, design) : compared(design, shuffled);
        EXPECT_GT(inOrder.cut, 0.0);
        EXPECT_GT(inOrder.fill, 0.0);
        expectFigures(sorted, inOrder.cut, inOrder.fill, inOrder.area);
        EXPECT_EQ(sorted.deepestCut, inOrder.deepestCut);
        EXPECT_EQ(sorted.highestFill, inOrder.highestFill);
    }
}

TEST(Volumes, AFrustumOnAPlaneHasItsVolume) {
    // Base [-4, 4]^2, top [-2, 2]^2 at 3 above ground at 100, in a ground [-8, 8]^2.
    std::vector<Xyz> points;
    for (const double r : {2.0, 4.0, 8.0})
        for (const auto& [sx, sy] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}})
            points.push_back({sx * r, sy * r, r == 2.0 ? 103.0 : 100.0});
    std::vector<std::array<int, 3>> triangles{{0, 1, 2}, {0, 2, 3}};
    for (int ring = 0; ring < 2; ++ring)
        for (int k = 0; k < 4; ++k) {
            const int i = 4 * ring + k, j = 4 * ring + (k + 1) % 4;
            triangles.push_back({i, i + 4, j + 4});
            triangles.push_back({i, j + 4, j});
        }
    const Surface site = given(points, triangles);
    const Surface ground = built(withHeights(randomSquare(100, 51, -8, 16, -8), [](double, double) { return 100.0; }));
    const double volume = 3.0 / 3.0 * (64 + 16 + std::sqrt(64.0 * 16.0));
    const VolumeTotals v = compared(site, ground);
    expectFigures(v, volume, 0.0, v.area, 64.0);
    expectRelative(v.deepestCut, 3.0);
    VolumeRequest request;
    request.datum = 100.0;
    const auto d = compareWithDatum(site.view(), request);
    ASSERT_TRUE(d);
    expectRelative(d->cut, volume);
}

}  // namespace
}  // namespace vellacor::testing
