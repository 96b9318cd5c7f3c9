#include "surface/overlay_classes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <atomic>
#include <bit>
#include <cstddef>
#include <functional>
#include <utility>

#include "surface/height_bounds.h"
#include "surface/point_location.h"
#include "surface/predicates.h"
#include "surface/triangle_grid.h"
#include "system/two_cores.h"

namespace vellacor {

namespace {

using Point = PlanTin::Point;
using Classes = OverlayClasses;

// What the overlay's corners on a site edge or inside a site triangle say of d.
constexpr std::uint8_t kAbove = 1, kBelow = 2, kOnZero = 4, kUnknown = 8;

std::uint8_t signOf(double d) {
    if (d > 0) return kAbove;
    if (d < 0) return kBelow;
    return d == 0 ? kOnZero : kUnknown;  // NaN: unknown
}

// The largest d and -d met at corners of the overlay that lie in the counted region.
struct Extremes {
    double above = 0, below = 0;
    void add(double d) {
        above = std::max(above, d);
        below = std::max(below, -d);
    }
};

// A walk steps through a valid triangulation at most once per triangle and
// vertex: far beyond that the triangulation overlaps itself, and the walks
// are given up for the piece-by-piece overlay.
struct Budget {
    long long steps;
    bool spent() { return --steps < 0; }
};

std::size_t at(std::int32_t i) { return static_cast<std::size_t>(i); }

constexpr int kLongestLocatingWalk = 1 << 16;

// Finds the triangle holding each of a run of points that lie close to one
// another in turn (plan order), by walking from where the last walk ended.
// A walk that steps off a convex surface (`convex`: coversConvexRegion,
// worked out once per surface) proves the point off it; one that fails
// otherwise (round a bay, past a flat triangle) asks a grid, built the first
// time.
class StrictLocator {
public:
    StrictLocator(const PlanTin& tin, bool convex, Budget& budget) : tin_(tin), budget_(budget), convex_(convex) {}

    // The next walk starts from triangle t.
    void startAt(int t) { last_ = t; }
    // ... or from the triangle the bounds keep for the cell of (x, y), if any.
    void startNear(const HeightBounds& bounds, double x, double y) {
        const std::int32_t near = triangleNear(bounds, x, y);
        if (near >= 0) last_ = near;
    }

    // A triangle holding (x, y) on its edge or inside, or -1 (off the
    // surface, or a walk that failed).
    int holding(double x, double y) {
        bool leftSurface = false, onEdge = false;
        const int t = walk(x, y, leftSurface, onEdge);
        return t >= 0 ? t : onEdge ? last_ : -1;
    }

    // The triangle holding (x, y) strictly inside, or -1: off the surface, or
    // on an edge or corner.
    int locate(double x, double y) {
        bool leftSurface = false, onEdge = false;
        const int t = walk(x, y, leftSurface, onEdge);
        // On an edge or corner of a triangle holding it: strictly inside none.
        if (t >= 0 || onEdge || (leftSurface && convex_)) return t;
        if (grid_.columns == 0 && !gridBuilt_) {
            grid_ = buildTriangleGrid(tin_);
            gridBuilt_ = true;
        }
        const int found = locateInGrid(grid_, tin_, x, y);
        if (found < 0 || placeAgainst(tin_, found, x, y).place != Place::Inside) return -1;
        last_ = found;
        return found;
    }

private:
    int walk(double x, double y, bool& leftSurface, bool& onEdge) {
        const Location end = walkToward(tin_, last_, x, y, kLongestLocatingWalk, [this] { return !budget_.spent(); });
        if (end.triangle == kNoTriangle) return -1;
        last_ = end.triangle;
        leftSurface = end.place == Place::Outside;
        onEdge = end.place == Place::OnEdge || end.place == Place::OnVertex;
        return end.place == Place::Inside ? end.triangle : -1;
    }

    const PlanTin& tin_;
    Budget& budget_;
    const bool convex_;
    TriangleGrid grid_;
    bool gridBuilt_ = false;
    int last_ = 0;
};

// The comparison triangle holding each site point, and d there.
struct SitePointsIn {
    std::vector<std::int32_t> triangle;  // -1: not strictly inside one; -2: not looked for
    std::vector<double> d;
};


// The site triangle holding each comparison point; and for each site
// triangle what the comparison points inside say of d. A point on the
// comparison's edge (where it borders nothing) makes its site triangle
// unknown: the comparison may not cover all of it. A point no triangle uses
// (a duplicate, the frame a surface was built in) is not part of the surface
// and is passed over.
struct ComparisonFindings {
    std::vector<std::uint8_t> siteSigns;  // per site triangle
    Extremes extremes;
};

// Each comparison point's part in its surface, and a triangle it is a corner of.
enum class PointRole : std::uint8_t { Unused, Inside, OnEdge };

struct ComparisonPoints {
    std::vector<PointRole> role;
    std::vector<std::int32_t> cornerOf;
};

ComparisonPoints comparisonPointsOf(const PlanTin& tin) {
    ComparisonPoints points{std::vector<PointRole>(tin.points.size(), PointRole::Unused),
                            std::vector<std::int32_t>(tin.points.size(), -1)};
    for (int t = 0; t < tin.triangleCount(); ++t)
        for (std::size_t k = 0; k < 3; ++k) {
            const std::size_t i = at(tin.corners[at(t)][k]), j = at(tin.corners[at(t)][(k + 1) % 3]);
            points.cornerOf[i] = t;
            if (!tin.hasArea[at(t)] || tin.neighbours[at(t)][k] < 0) {
                points.role[i] = points.role[j] = PointRole::OnEdge;
            } else {
                if (points.role[i] == PointRole::Unused) points.role[i] = PointRole::Inside;
                if (points.role[j] == PointRole::Unused) points.role[j] = PointRole::Inside;
            }
        }
    return points;
}

// Each site triangle's side of the comparison by the height bounds alone
// (0: not known, or the triangle is not counted whole), and the most its
// difference can reach there; `open`: counted whole and not bounded, so
// its edges are walked.
struct Bounded {
    std::vector<std::uint8_t> side;
    std::vector<float> largest;
    std::vector<std::uint8_t> open;
    std::vector<std::int32_t> siteNear;  // per cell of the bounds: a site triangle starting there (-1: none)
    // Per cell: kCut (kFill) where the site covers the cell and every site
    // triangle reaching into it was classed so by the bounds, with the
    // highest (lowest) corner of those triangles; 0 elsewhere.
    std::vector<std::uint8_t> pure;
    std::vector<double> pureReach;
    // The least difference every bounded triangle is sure of, at most: the
    // deepest cut (highest fill) is at least this.
    Extremes least;
};

// What the site triangles reaching into each cell say, on one thread.
struct SiteCells {
    static constexpr std::uint8_t kOther = 4;  // beside BoundedSide::kAbove and kBelow
    std::vector<std::uint8_t> kinds;
    std::vector<double> high, low;
    Extremes least;

    explicit SiteCells(std::size_t cells) : kinds(cells, 0), high(cells, -INFINITY), low(cells, INFINITY) {}
};

// x (>= 0) as a float no smaller than it.
float roundedUp(double x) {
    float f = static_cast<float>(x);
    if (f < x) f = std::bit_cast<float>(std::bit_cast<std::uint32_t>(f) + 1);  // the next float up
    return f;
}

void boundRange(const PlanTin& site, const HeightBounds& bounds, const std::vector<SiteCounted>& counted, int first, int last,
                Bounded& out, SiteCells& cells) {
    for (int t = first; t < last; ++t) {
        const Point &a = site.corner(t, 0), &b = site.corner(t, 1), &c = site.corner(t, 2);
        const CellSpan span = cellSpanOf(bounds, a, b, c);
        const bool whole = counted[at(t)] == SiteCounted::Whole;
        const BoundedSide side = whole ? boundedSide(bounds, span, a, b, c) : BoundedSide{};
        out.side[at(t)] = side.side;
        out.largest[at(t)] = roundedUp(side.largest);
        out.open[at(t)] = whole && side.side == 0;
        const std::uint8_t kind = side.side != 0 ? side.side : SiteCells::kOther;
        const double high = std::max({a.z, b.z, c.z}), low = std::min({a.z, b.z, c.z});
        span.forEach(bounds, [&](std::size_t i) {
            cells.kinds[i] |= kind;
            cells.high[i] = std::max(cells.high[i], high);
            cells.low[i] = std::min(cells.low[i], low);
        });
        if (side.side == BoundedSide::kAbove) cells.least.above = std::max(cells.least.above, side.least);
        if (side.side == BoundedSide::kBelow) cells.least.below = std::max(cells.least.below, side.least);
        const std::ptrdiff_t cell = bounds.cellOf(a.x, a.y);
        // Either thread's triangle will do.
        if (cell >= 0) std::atomic_ref<std::int32_t>(out.siteNear[static_cast<std::size_t>(cell)]).store(t, std::memory_order_relaxed);
    }
}

// The cells both threads' triangles make pure, where the site covers them.
void joinSiteCells(const SiteCells& a, const SiteCells& b, const std::vector<std::uint8_t>& siteInner, Bounded& out) {
    out.pure.assign(siteInner.size(), 0);
    out.pureReach.assign(siteInner.size(), 0.0);
    for (std::size_t i = 0; i < siteInner.size(); ++i) {
        if (!siteInner[i]) continue;
        const std::uint8_t kinds = a.kinds[i] | b.kinds[i];
        if (kinds == BoundedSide::kAbove) out.pure[i] = Classes::kCut, out.pureReach[i] = std::max(a.high[i], b.high[i]);
        if (kinds == BoundedSide::kBelow) out.pure[i] = Classes::kFill, out.pureReach[i] = std::min(a.low[i], b.low[i]);
    }
    out.least.above = std::max(a.least.above, b.least.above);
    out.least.below = std::max(a.least.below, b.least.below);
}

// A comparison point in a pure cell that cannot hold the deepest cut or the
// highest fill (its difference is at most the pure cell's reach less its
// own height, and some other corner is sure to be at least as far): the
// site triangle holding it has the cell's class, and it is not located. Its
// record says which class.
constexpr std::int32_t kInPureCut = -3, kInPureFill = -4;

bool inPureCell(std::int32_t record) { return record == kInPureCut || record == kInPureFill; }

// kInPureCut or kInPureFill for a point left in a pure cell, 0 for one to locate.
std::int32_t leftInPureCell(const HeightBounds& bounds, const Bounded& bounded, const Point& p) {
    const std::ptrdiff_t cell = bounds.cellOf(p.x, p.y);
    if (cell < 0) return 0;
    const std::size_t i = static_cast<std::size_t>(cell);
    if (bounded.pure[i] == Classes::kCut && bounded.pureReach[i] - p.z <= bounded.least.above) return kInPureCut;
    if (bounded.pure[i] == Classes::kFill && p.z - bounded.pureReach[i] <= bounded.least.below) return kInPureFill;
    return 0;
}

// Locates comparison points [first, last) in the site, each walk starting
// from a site triangle whose edge passed a comparison triangle the point is
// a corner of (nearSite), a step or two away, or else from one starting in
// the point's cell of the bounds (siteNear). Points left in pure cells are
// marked so and not located.
void locateComparisonPoints(const PlanTin& site, const PlanTin& comparison, const std::vector<SiteCounted>& counted,
                            bool siteConvex, const ComparisonPoints& points, const std::vector<std::int32_t>& nearSite,
                            const HeightBounds& bounds, const Bounded& bounded, const std::vector<std::uint8_t>* onSitePoint,
                            std::size_t first, std::size_t last, std::vector<std::int32_t>& triangle, ComparisonFindings& found,
                            Budget& budget) {
    found.siteSigns.assign(site.corners.size(), 0);
    StrictLocator locator(site, siteConvex, budget);
    for (std::size_t i = first; i < last; ++i) {
        const Point& p = comparison.points[i];
        if (points.role[i] == PointRole::Unused) {
            triangle[i] = -1;
            continue;
        }
        if (points.role[i] == PointRole::Inside) {
            const std::int32_t left = leftInPureCell(bounds, bounded, p);
            if (left != 0) {
                triangle[i] = left;
                continue;
            }
        }
        // On a site point: strictly inside no site triangle.
        if (onSitePoint && (*onSitePoint)[i]) {
            triangle[i] = -1;
            continue;
        }
        std::int32_t near = nearSite[at(points.cornerOf[i])];
        if (near < 0) {
            const std::ptrdiff_t cell = bounds.cellOf(p.x, p.y);
            if (cell >= 0) near = bounded.siteNear[static_cast<std::size_t>(cell)];
        }
        if (near >= 0) locator.startAt(near);
        const int t = triangle[i] = locator.locate(p.x, p.y);
        if (t < 0) continue;
        if (points.role[i] == PointRole::OnEdge) {
            found.siteSigns[at(t)] |= kUnknown;
            continue;
        }
        const double d = heightInTriangle(site, t, p.x, p.y) - p.z;
        found.siteSigns[at(t)] |= signOf(d);
        if (counted[at(t)] == SiteCounted::Whole) found.extremes.add(d);
    }
}

// Walks the site edge p -> q through the comparison, from triangle `from`
// (holding p) to `to` (holding q; when not known, < 0, the walk finds it and
// sets `to`), adding d at each crossing to `signs` and calling passed(b) for
// each triangle passed. False where the edge passes through a comparison
// point, ends on a comparison edge, leaves the comparison or meets a flat
// triangle.
// Far more than the rounding of u, the fraction of the edge where it leaves a triangle.
constexpr double kNearEnd = 1e-6;

template <typename Passed>
bool walkEdge(const PlanTin& comparison, const Point& p, const Point& q, int from, int& to, std::uint8_t& signs,
              Extremes* extremes, Passed&& passed, Budget& budget) {
    const double ex = q.x - p.x, ey = q.y - p.y, perLength2 = 1.0 / (ex * ex + ey * ey);
    int b = from;
    passed(b);
    // Two corners of each triangle entered were the last one's: their sides are known.
    std::int32_t knownPoint[2] = {-1, -1};
    double knownSide[2] = {0, 0};
    const bool findEnd = to < 0;
    while (b != to) {
        if (budget.spent()) return false;
        const std::array<std::int32_t, 3>& v = comparison.corners[at(b)];
        double side[3];
        for (int k = 0; k < 3; ++k) {
            const std::int32_t i = v[static_cast<std::size_t>(k)];
            if (i == knownPoint[0]) {
                side[k] = knownSide[0];
            } else if (i == knownPoint[1]) {
                side[k] = knownSide[1];
            } else {
                const Point& c = comparison.points[at(i)];
                side[k] = orient2d(p.x, p.y, q.x, q.y, c.x, c.y);
            }
            if (side[k] == 0) return false;
        }
        // The edge leaves through the side whose first corner lies to its right and second to its left.
        int exit = -1;
        for (int k = 0; k < 3; ++k)
            if (side[k] < 0 && side[(k + 1) % 3] > 0) exit = k;
        if (exit < 0) return false;
        const int next = (exit + 1) % 3;
        const Point &c0 = comparison.points[at(v[static_cast<std::size_t>(exit)])],
                    &c1 = comparison.points[at(v[static_cast<std::size_t>(next)])];
        const double s = side[exit] / (side[exit] - side[next]);
        const double x = c0.x + s * (c1.x - c0.x), y = c0.y + s * (c1.y - c0.y);
        const double u = ((x - p.x) * ex + (y - p.y) * ey) * perLength2;
        // The way out lies past q (u > 1): the edge ends in this triangle.
        // Only near q is the exact test needed to say on which side q is.
        if (findEnd && u > 1.0 - kNearEnd) {
            const double end = u > 1.0 + kNearEnd ? 1.0 : orient2d(c0.x, c0.y, c1.x, c1.y, q.x, q.y);
            if (end > 0) {
                to = b;
                return true;
            }
            if (end == 0) return false;
        }
        const double d = (p.z + u * (q.z - p.z)) - (c0.z + s * (c1.z - c0.z));
        signs |= signOf(d);
        if (extremes) extremes->add(d);
        knownPoint[0] = v[static_cast<std::size_t>(exit)], knownSide[0] = side[exit];
        knownPoint[1] = v[static_cast<std::size_t>(next)], knownSide[1] = side[next];
        b = comparison.neighbours[at(b)][static_cast<std::size_t>(exit)];
        if (b < 0 || !comparison.hasArea[at(b)]) return false;
        passed(b);
    }
    return true;
}

constexpr std::int32_t kNotLookedFor = -2;

// One thread's walks over the site's edges, noting where site points lie in
// the comparison (and d there) in `pointsIn`, which both threads share: a
// point either finds is the same point in the same triangle, so whichever
// writes first, or both, the record is the same.
class EdgeWalker {
public:
    EdgeWalker(const PlanTin& site, const PlanTin& comparison, bool comparisonConvex, const HeightBounds& bounds,
               std::vector<std::int32_t>& nearSite, SitePointsIn& pointsIn, Budget& budget)
        : site_(site), comparison_(comparison), bounds_(bounds), nearSite_(nearSite), budget_(budget),
          locator_(comparison, comparisonConvex, budget), pointsIn_(pointsIn) {}

    // Walks the edges that site triangles [first, last) own (the other side
    // is a later triangle, or nothing) and that a triangle still to be
    // classed (`open`) has, filling edgeSigns[3t + k]. Each walk's end
    // locates its far point; a point no walk has reached is located by a
    // walk over the comparison's triangles.
    void walkRange(const std::vector<SiteCounted>& counted, const std::vector<std::uint8_t>& open, int first, int last,
                   std::vector<std::uint8_t>& edgeSigns) {
        // The comparison's triangles are in plan order too: start about where
        // the range starts.
        locator_.startAt(static_cast<int>(static_cast<long long>(first) * comparison_.triangleCount() /
                                           std::max(site_.triangleCount(), 1)));
        for (int t = first; t < last; ++t)
            for (int k = 0; k < 3; ++k) {
                const int n = site_.neighbours[at(t)][static_cast<std::size_t>(k)];
                if (n >= 0 && n < t) continue;
                if (!open[at(t)] && (n < 0 || !open[at(n)])) {
                    skipped_ = true;
                    continue;
                }
                const std::int32_t p = site_.corners[at(t)][static_cast<std::size_t>(k)];
                const std::int32_t q = site_.corners[at(t)][(static_cast<std::size_t>(k) + 1) % 3];
                const int from = located(p);
                const std::int32_t atQ = pointIn(q);
                int to = atQ == kNotLookedFor ? -1 : atQ;
                const bool knownEnd = to >= 0;
                std::uint8_t signs = 0;
                const bool counts = counted[at(t)] == SiteCounted::Whole || (n >= 0 && counted[at(n)] == SiteCounted::Whole);
                // Both walkers may note a triangle: either site triangle will do.
                const auto passed = [&](int b) {
                    std::atomic_ref<std::int32_t>(nearSite_[at(b)]).store(t, std::memory_order_relaxed);
                };
                const bool walked = from >= 0 && (knownEnd || atQ == kNotLookedFor) &&
                                    walkEdge(comparison_, site_.points[at(p)], site_.points[at(q)], from, to, signs,
                                             counts ? &extremes : nullptr, passed, budget_);
                if (walked && !knownEnd) found(q, to);
                edgeSigns[3 * at(t) + static_cast<std::size_t>(k)] = walked ? signs : kUnknown;
            }
    }

    Extremes extremes;

    // This walker's finding for site point p: a comparison triangle, -1 (not
    // strictly inside one) or kNotLookedFor.

private:
    int located(std::int32_t p) {
        if (pointIn(p) == kNotLookedFor) {
            const Point& point = site_.points[at(p)];
            // After a run of edges passed over, the last walk ended far away.
            if (skipped_) {
                locator_.startNear(bounds_, point.x, point.y);
                skipped_ = false;
            }
            found(p, locator_.locate(point.x, point.y));
        }
        return pointIn(p);
    }

    void found(std::int32_t p, int b) {
        const Point& point = site_.points[at(p)];
        if (b >= 0)
            std::atomic_ref<double>(pointsIn_.d[at(p)])
                .store(point.z - heightInTriangle(comparison_, b, point.x, point.y), std::memory_order_relaxed);
        std::atomic_ref<std::int32_t>(pointsIn_.triangle[at(p)]).store(b, std::memory_order_relaxed);
    }

    const PlanTin& site_;
    const PlanTin& comparison_;
    const HeightBounds& bounds_;
    std::vector<std::int32_t>& nearSite_;
    Budget& budget_;
    StrictLocator locator_;
    SitePointsIn& pointsIn_;
    bool skipped_ = false;

    std::int32_t pointIn(std::int32_t p) const {
        return std::atomic_ref<std::int32_t>(pointsIn_.triangle[at(p)]).load(std::memory_order_relaxed);
    }
};


// The signs on edge k of site triangle t, wherever they were kept.
std::uint8_t edgeSignsOf(const PlanTin& site, const std::vector<std::uint8_t>& edgeSigns, int t, int k) {
    const int n = site.neighbours[at(t)][static_cast<std::size_t>(k)];
    if (n < 0 || n > t) return edgeSigns[3 * at(t) + static_cast<std::size_t>(k)];
    for (std::size_t j = 0; j < 3; ++j)
        if (site.neighbours[at(n)][j] == t) return edgeSigns[3 * at(n) + j];
    return kUnknown;
}

void classRange(const PlanTin& site, const std::vector<SiteCounted>& counted, const std::vector<std::uint8_t>& bounded,
                const SitePointsIn& pointsIn, const ComparisonFindings& early, const ComparisonFindings& late,
                const std::vector<std::uint8_t>& edgeSigns, int first, int last, Classes& classes, Extremes& extremes) {
    for (int t = first; t < last; ++t) {
        std::uint8_t& cls = classes.site[at(t)];
        switch (counted[at(t)]) {
            case SiteCounted::NoArea: cls = 0; continue;
            case SiteCounted::NotCounted: cls = Classes::kElsewhere; continue;
            case SiteCounted::InPart: cls = Classes::kPieces; continue;
            case SiteCounted::Whole: break;
        }
        if (bounded[at(t)] == BoundedSide::kAbove || bounded[at(t)] == BoundedSide::kBelow) {
            cls = bounded[at(t)] == BoundedSide::kAbove ? Classes::kCut : Classes::kFill;
            continue;
        }
        std::uint8_t signs = early.siteSigns[at(t)] | late.siteSigns[at(t)];
        for (int k = 0; k < 3; ++k) {
            const std::size_t p = at(site.corners[at(t)][static_cast<std::size_t>(k)]);
            if (pointsIn.triangle[p] < 0) {
                signs |= kUnknown;
            } else {
                signs |= signOf(pointsIn.d[p]);
                extremes.add(pointsIn.d[p]);
            }
            signs |= edgeSignsOf(site, edgeSigns, t, k);
        }
        if (signs == kAbove) cls = Classes::kCut;
        else if (signs == kBelow) cls = Classes::kFill;
        else cls = Classes::kPieces;
    }
}

// The triangles classed by the bounds alone were never walked. Two things
// still need them: the extremes (a triangle whose bound could pass the
// deepest cut or highest fill found elsewhere is walked after all, largest
// bound first, until no bound can; one found degenerate is clipped piece by
// piece instead), and every edge that parts two classes, which markParting
// walks or floods from a comparison triangle holding its first point: a
// triangle with such an edge where none is found is clipped piece by piece
// instead, which may part its neighbours.
class BoundedTriangles {
public:
    BoundedTriangles(const PlanTin& site, const PlanTin& comparison, bool comparisonConvex, const HeightBounds& bounds,
                     const Bounded& bounded, SitePointsIn& pointsIn, Classes& classes, Budget& budget)
        : site_(site), comparison_(comparison), bounds_(bounds), bounded_(bounded), pointsIn_(pointsIn), classes_(classes),
          budget_(budget), locator_(comparison, comparisonConvex, budget) {}

    // Every corner of a bounded triangle lies at least its `least` from the
    // comparison, so the deepest cut is at least the largest of those: a
    // triangle whose bound is no more than that cannot hold it either. A
    // triangle walked here and found degenerate is clipped piece by piece,
    // which takes its extremes exactly.
    void refineExtremes(Extremes& extremes) {
        const auto floorAbove = [&] { return std::max(extremes.above, bounded_.least.above); };
        const auto floorBelow = [&] { return std::max(extremes.below, bounded_.least.below); };
        std::vector<std::pair<float, int>> above, below;
        for (int t = 0; t < site_.triangleCount(); ++t) {
            if (!decided(t)) continue;
            const float largest = bounded_.largest[at(t)];
            if (bounded_.side[at(t)] == BoundedSide::kAbove && largest > floorAbove()) above.push_back({largest, t});
            if (bounded_.side[at(t)] == BoundedSide::kBelow && largest > floorBelow()) below.push_back({largest, t});
        }
        std::sort(above.begin(), above.end(), std::greater<>());
        std::sort(below.begin(), below.end(), std::greater<>());
        for (const auto& [largest, t] : above) {
            if (largest <= floorAbove()) break;
            walkWhole(t, extremes);
        }
        for (const auto& [largest, t] : below) {
            if (largest <= floorBelow()) break;
            walkWhole(t, extremes);
        }
    }

    // The bounded triangles clipped piece by piece after all.
    const std::vector<int>& demoted() const { return demoted_; }

    void settleParting() {
        std::vector<int> work;
        for (int t = 0; t < site_.triangleCount(); ++t)
            if (decided(t) && hasParting(t)) work.push_back(t);
        while (!work.empty()) {
            const int t = work.back();
            work.pop_back();
            if (!decided(t) || partingMarkable(t)) continue;
            demote(t);
            for (const std::int32_t n : site_.neighbours[at(t)])
                if (n >= 0 && decided(n)) work.push_back(n);
        }
    }

private:
    bool decided(int t) const {
        const std::uint8_t cls = classes_.site[at(t)];
        return bounded_.side[at(t)] != 0 && (cls == Classes::kCut || cls == Classes::kFill);
    }

    std::uint8_t classAcross(int t, int k) const {
        const int n = site_.neighbours[at(t)][static_cast<std::size_t>(k)];
        return n < 0 ? Classes::kElsewhere : classes_.site[at(n)];
    }

    bool hasParting(int t) const {
        for (int k = 0; k < 3; ++k)
            if (classAcross(t, k) != classes_.site[at(t)]) return true;
        return false;
    }

    int locatedPoint(std::int32_t p) {
        std::int32_t& in = pointsIn_.triangle[at(p)];
        if (in == kNotLookedFor) {
            const Point& point = site_.points[at(p)];
            locator_.startNear(bounds_, point.x, point.y);
            in = locator_.locate(point.x, point.y);
            if (in >= 0) pointsIn_.d[at(p)] = point.z - heightInTriangle(comparison_, in, point.x, point.y);
        }
        return in;
    }

    bool walksEdge(int t, int k, Extremes* extremes) {
        const std::int32_t p = site_.corners[at(t)][static_cast<std::size_t>(k)];
        const std::int32_t q = site_.corners[at(t)][(static_cast<std::size_t>(k) + 1) % 3];
        const int from = locatedPoint(p);
        int to = locatedPoint(q);
        std::uint8_t signs = 0;
        return from >= 0 && to >= 0 &&
               walkEdge(comparison_, site_.points[at(p)], site_.points[at(q)], from, to, signs, extremes, [](int) {}, budget_);
    }

    // Every overlay corner on triangle t: its corners and its edges'
    // crossings (the comparison's points inside it are known already).
    void walkWhole(int t, Extremes& extremes) {
        for (int k = 0; k < 3; ++k) {
            if (!walksEdge(t, k, &extremes)) {
                demote(t);
                return;
            }
            extremes.add(pointsIn_.d[at(site_.corners[at(t)][static_cast<std::size_t>(k)])]);
        }
    }

    void demote(int t) {
        classes_.site[at(t)] = Classes::kPieces;
        demoted_.push_back(t);
    }

    // markParting can mark the comparison triangles along each of t's
    // parting edges: it walks them, or where a walk fails (an edge through
    // a comparison point, along a comparison edge, as on two grids on the
    // same rows) floods from a triangle holding the edge's first point.
    bool partingMarkable(int t) {
        for (int k = 0; k < 3; ++k) {
            if (classAcross(t, k) == classes_.site[at(t)]) continue;
            for (const int j : {k, (k + 1) % 3}) {
                const Point& point = site_.corner(t, j);
                if (locatedPoint(site_.corners[at(t)][static_cast<std::size_t>(j)]) >= 0) continue;
                locator_.startNear(bounds_, point.x, point.y);
                if (locator_.holding(point.x, point.y) < 0) return false;
            }
        }
        return true;
    }

    const PlanTin& site_;
    const PlanTin& comparison_;
    const HeightBounds& bounds_;
    const Bounded& bounded_;
    SitePointsIn& pointsIn_;
    Classes& classes_;
    Budget& budget_;
    StrictLocator locator_;
    std::vector<int> demoted_;
};

// A triangle demoted from a pure cell spoils it: the comparison points left
// there are located after all, and their differences taken.
void locateSpoiled(const PlanTin& site, const PlanTin& comparison, bool siteConvex, const HeightBounds& bounds,
                   const Bounded& bounded, const std::vector<int>& demoted, const std::vector<SiteCounted>& counted,
                   std::vector<std::int32_t>& comparisonIn, Extremes& extremes, Budget& budget) {
    if (demoted.empty()) return;
    std::vector<std::uint8_t> spoiled(bounds.cells(), 0);
    for (const int t : demoted)
        cellSpanOf(bounds, site.corner(t, 0), site.corner(t, 1), site.corner(t, 2)).forEach(bounds, [&](std::size_t i) { spoiled[i] = 1; });
    StrictLocator locator(site, siteConvex, budget);
    for (std::size_t i = 0; i < comparison.points.size(); ++i) {
        if (!inPureCell(comparisonIn[i])) continue;
        const Point& p = comparison.points[i];
        const std::size_t cell = static_cast<std::size_t>(bounds.cellOf(p.x, p.y));
        if (!spoiled[cell]) continue;
        if (bounded.siteNear[cell] >= 0) locator.startAt(bounded.siteNear[cell]);
        const int t = comparisonIn[i] = locator.locate(p.x, p.y);
        if (t >= 0 && counted[at(t)] == SiteCounted::Whole) extremes.add(heightInTriangle(site, t, p.x, p.y) - p.z);
    }
}

// Whether the closed comparison triangle b and the closed segment p-q meet:
// no edge of b has both ends of the segment beyond it, and the segment's
// line does not pass b by. A flat triangle is taken as met.
bool meetsSegment(const PlanTin& tin, int b, const Point& p, const Point& q) {
    if (!tin.hasArea[at(b)]) return true;
    const Point* c[3] = {&tin.corner(b, 0), &tin.corner(b, 1), &tin.corner(b, 2)};
    int left = 0, right = 0;
    for (int k = 0; k < 3; ++k) {
        const double o = orient2d(p.x, p.y, q.x, q.y, c[k]->x, c[k]->y);
        left += o > 0, right += o < 0;
        const Point &u = *c[k], &v = *c[(k + 1) % 3];
        if (orient2d(u.x, u.y, v.x, v.y, p.x, p.y) < 0 && orient2d(u.x, u.y, v.x, v.y, q.x, q.y) < 0) return false;
    }
    return left < 3 && right < 3;
}

// Marks every comparison triangle the segment p-q meets, from one it meets
// (`start`) through neighbours that meet it too: all of them, as those
// along a segment are joined by edges (round a point the segment passes
// through, by the triangles about it). More than the walk marks, never less.
void floodAlong(const PlanTin& comparison, const Point& p, const Point& q, int start, std::uint8_t bits,
                std::vector<std::uint8_t>& marks, std::vector<int>& seen, Budget& budget) {
    seen.assign(1, start);
    for (std::size_t next = 0; next < seen.size() && !budget.spent(); ++next) {
        const int b = seen[next];
        if (!meetsSegment(comparison, b, p, q)) continue;
        marks[at(b)] |= bits;
        for (const std::int32_t n : comparison.neighbours[at(b)])
            if (n >= 0 && std::find(seen.begin(), seen.end(), n) == seen.end()) seen.push_back(n);
    }
}

// Marks the comparison triangles under the site edges of triangles [first,
// last) that part two classes (or a class from off the site) with both.
// Enough for every comparison triangle whose corners were all found in the
// site to carry the class of every site triangle over it, together with the
// classes at its corners: a path inside it from any site triangle over it to
// a corner changes class only across such an edge. An edge the walk cannot
// follow is flooded instead.
void markParting(const PlanTin& site, const PlanTin& comparison, bool comparisonConvex, const HeightBounds& bounds,
                 const SitePointsIn& pointsIn, const Classes& classes, int first, int last, std::vector<std::uint8_t>& marks,
                 Budget& budget) {
    StrictLocator locator(comparison, comparisonConvex, budget);
    std::vector<int> seen;
    for (int t = first; t < last; ++t)
        for (int k = 0; k < 3; ++k) {
            const int n = site.neighbours[at(t)][static_cast<std::size_t>(k)];
            if (n >= 0 && n < t) continue;
            const std::uint8_t own = classes.site[at(t)], other = n < 0 ? Classes::kElsewhere : classes.site[at(n)];
            if (own == other) continue;
            const std::int32_t p = site.corners[at(t)][static_cast<std::size_t>(k)];
            const std::int32_t q = site.corners[at(t)][(static_cast<std::size_t>(k) + 1) % 3];
            const Point &from = site.points[at(p)], &to = site.points[at(q)];
            int start = pointsIn.triangle[at(p)], end = pointsIn.triangle[at(q)];
            std::uint8_t signs = 0;
            const std::uint8_t bits = own | other;
            const auto mark = [&](int b) { marks[at(b)] |= bits; };
            if (start >= 0 && end >= 0 && walkEdge(comparison, from, to, start, end, signs, nullptr, mark, budget)) continue;
            if (start < 0) {
                locator.startNear(bounds, from.x, from.y);
                start = locator.holding(from.x, from.y);
            }
            if (start >= 0) floodAlong(comparison, from, to, start, bits, marks, seen, budget);
        }
}

// The comparison triangles [first, last): the marks of the walks and the
// classes of the site triangles holding their corners.
void gatherComparison(const PlanTin& comparison, const std::vector<std::int32_t>& pointIn, const std::vector<std::uint8_t>& marks,
                      int first, int last, Classes& classes) {
    for (int b = first; b < last; ++b) {
        std::uint8_t bits = classes.comparison[at(b)] | marks[at(b)];
        for (const std::int32_t p : comparison.corners[at(b)]) {
            const std::int32_t t = pointIn[at(p)];
            if (t >= 0) bits |= classes.site[at(t)];
            else bits |= t == kInPureCut ? Classes::kCut : t == kInPureFill ? Classes::kFill : Classes::kNotFound;
        }
        classes.comparison[at(b)] = bits;
    }
}

}  // namespace

OverlayClasses classifyOverlay(const PlanTin& site, const PlanTin& comparison, const std::vector<SiteCounted>& counted,
                               const std::vector<std::uint8_t>* onSitePoint) {
    Classes classes;
    const int siteTriangles = site.triangleCount(), comparisonTriangles = comparison.triangleCount();
    if (siteTriangles == 0 || comparisonTriangles == 0) return classes;
    // Generous for any valid pair: every point located in a few steps, every
    // crossing one step.
    const long long allowance = 64LL * static_cast<long long>(site.points.size() + comparison.points.size() +
                                                               site.corners.size() + comparison.corners.size()) +
                                (1LL << 20);
    Budget first{allowance}, second{allowance};

    // The comparison's height bounds class what they can of the site first;
    // then both threads walk the edges the rest need, a run of triangles at
    // a time, whoever is free; then each locates half the comparison's
    // points (those no pure cell classes), from where the walks passed.
    std::vector<std::uint8_t> edgeSigns(3 * site.corners.size(), 0);
    std::vector<std::int32_t> nearSite(comparison.corners.size(), -1);
    bool siteConvex = false, comparisonConvex = false;
    runOnTwoCores([&] { siteConvex = coversConvexRegion(site); },
                  [&] { comparisonConvex = coversConvexRegion(comparison); });
    const HeightBounds bounds = heightBoundsOf(comparison, comparisonConvex);
    ComparisonPoints comparisonPoints;
    const int half = siteTriangles / 2;
    Bounded bounded;
    bounded.side.resize(site.corners.size());
    bounded.largest.resize(site.corners.size());
    bounded.open.resize(site.corners.size());
    bounded.siteNear.assign(bounds.cells(), -1);
    {
        SiteCells earlyCells(bounds.cells()), lateCells(bounds.cells());
        std::vector<std::uint8_t> siteInner;
        runOnTwoCores(
            [&] {
                boundRange(site, bounds, counted, half, siteTriangles, bounded, lateCells);
                siteInner = siteConvex ? innerCells(bounds, site) : std::vector<std::uint8_t>(bounds.cells(), 0);
            },
            [&] {
                boundRange(site, bounds, counted, 0, half, bounded, earlyCells);
                comparisonPoints = comparisonPointsOf(comparison);
            });
        joinSiteCells(earlyCells, lateCells, siteInner, bounded);
    }
    SitePointsIn pointsIn{std::vector<std::int32_t>(site.points.size(), kNotLookedFor), std::vector<double>(site.points.size(), 0.0)};
    EdgeWalker early(site, comparison, comparisonConvex, bounds, nearSite, pointsIn, first),
        late(site, comparison, comparisonConvex, bounds, nearSite, pointsIn, second);
    constexpr int kRun = 1 << 15;
    std::atomic<int> nextRun{0};
    const auto walkRuns = [&](EdgeWalker& walker) {
        for (int r = nextRun++; r * kRun < siteTriangles; r = nextRun++)
            walker.walkRange(counted, bounded.open, r * kRun, std::min(siteTriangles, (r + 1) * kRun), edgeSigns);
    };
    runOnTwoCores([&] { walkRuns(late); }, [&] { walkRuns(early); });
    if (first.steps < 0 || second.steps < 0) return classes;
    std::vector<std::int32_t> comparisonIn(comparison.points.size(), -1);
    ComparisonFindings earlyFound, lateFound;
    const std::size_t pointsHalf = comparison.points.size() / 2;
    runOnTwoCores(
        [&] {
            locateComparisonPoints(site, comparison, counted, siteConvex, comparisonPoints, nearSite, bounds, bounded, onSitePoint,
                                   pointsHalf, comparison.points.size(), comparisonIn, lateFound, second);
        },
        [&] {
            locateComparisonPoints(site, comparison, counted, siteConvex, comparisonPoints, nearSite, bounds, bounded, onSitePoint, 0, pointsHalf, comparisonIn,
                                   earlyFound, first);
        });
    if (first.steps < 0 || second.steps < 0) return classes;

    classes.site.resize(site.corners.size());
    Extremes earlyClass, lateClass;
    runOnTwoCores(
        [&] {
            classRange(site, counted, bounded.side, pointsIn, earlyFound, lateFound, edgeSigns, half, siteTriangles, classes,
                       lateClass);
        },
        [&] {
            classRange(site, counted, bounded.side, pointsIn, earlyFound, lateFound, edgeSigns, 0, half, classes, earlyClass);
        });
    Extremes extremes;
    for (const Extremes& e : {earlyFound.extremes, lateFound.extremes, early.extremes, late.extremes, earlyClass, lateClass}) {
        extremes.above = std::max(extremes.above, e.above);
        extremes.below = std::max(extremes.below, e.below);
    }
    if (bounds.columns > 0) {
        BoundedTriangles boundedTriangles(site, comparison, comparisonConvex, bounds, bounded, pointsIn, classes, first);
        boundedTriangles.refineExtremes(extremes);
        boundedTriangles.settleParting();
        locateSpoiled(site, comparison, siteConvex, bounds, bounded, boundedTriangles.demoted(), counted, comparisonIn, extremes, first);
        if (first.steps < 0) return classes;
    }

    classes.comparison.assign(comparison.corners.size(), 0);
    std::vector<std::uint8_t> lateMarks(comparison.corners.size(), 0);
    runOnTwoCores(
        [&] { markParting(site, comparison, comparisonConvex, bounds, pointsIn, classes, half, siteTriangles, lateMarks, second); },
        [&] { markParting(site, comparison, comparisonConvex, bounds, pointsIn, classes, 0, half, classes.comparison, first); });
    if (first.steps < 0 || second.steps < 0) return classes;
    const int comparisonHalf = comparisonTriangles / 2;
    runOnTwoCores([&] { gatherComparison(comparison, comparisonIn, lateMarks, comparisonHalf, comparisonTriangles, classes); },
                  [&] { gatherComparison(comparison, comparisonIn, lateMarks, 0, comparisonHalf, classes); });

    classes.deepestCut = extremes.above;
    classes.highestFill = extremes.below;
    classes.sitePointIn = std::move(pointsIn.triangle);
    classes.comparisonPointIn = std::move(comparisonIn);
    classes.usable = true;
    return classes;
}

}  // namespace vellacor
