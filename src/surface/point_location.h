#pragma once
#include <cstddef>

#include "model/survey_point.h"
#include "surface/plan_tin.h"
#include "surface/predicates.h"

namespace vellacor {

// Where a plan position lies against a triangle of a plan-ordered surface,
// decided on the exact orientation test alone, so two walks over one surface
// never disagree about a position on an edge.
enum class Place : unsigned char { Inside, OnEdge, OnVertex, Outside };

struct Location {
    int triangle = kNoTriangle;
    Place place = Place::Outside;
    // OnEdge: the edge (corner k to k + 1); OnVertex: the corner;
    // Outside: the edge the position lies beyond (-1 when none was found).
    int edge = -1;
};

struct PlanXY {
    double x, y;
};

// The position (x, y) against triangle t, whose corners corner(0..2) turn
// `turn` ways in plan (+1 counter-clockwise, -1 clockwise, not 0): inside,
// on an edge or corner, or beyond an edge: the first one it lies strictly
// beyond, the edges tried from `firstEdge` round. Stops at that edge, so a
// walk pays for the edges it tries only. Inlined always: it is the inner
// step of every walk, and a call per triangle visited shows in their times.
template <typename CornerOf>
[[gnu::always_inline]] inline Location placeAgainstCorners(int t, CornerOf&& corner, int turn, double x, double y,
                                                             int firstEdge = 0) {
    int on = 0, onCount = 0;
    for (int i = 0; i < 3; ++i) {
        const int k = (i + firstEdge) % 3;
        const PlanXY a = corner(k), b = corner((k + 1) % 3);
        const double side = turn * orient2d(a.x, a.y, b.x, b.y, x, y);
        if (side < 0) return {t, Place::Outside, k};
        if (side == 0) {
            on += k;
            ++onCount;
        }
    }
    if (onCount == 0) return {t, Place::Inside, -1};
    if (onCount == 1) return {t, Place::OnEdge, on};
    // On two edges: their shared corner (edges k and k + 1 meet at corner k + 1).
    return {t, Place::OnVertex, on == 1 ? 1 : on == 2 ? 0 : 2};
}

// The same for a triangle of a plan-ordered surface (counter-clockwise; the
// caller checks it has a plan area).
[[gnu::always_inline]] inline Location placeAgainst(const PlanTin& tin, int t, double x, double y, int firstEdge = 0) {
    const auto corner = [&](int k) {
        const PlanTin::Point& p = tin.corner(t, k);
        return PlanXY{p.x, p.y};
    };
    return placeAgainstCorners(t, corner, 1, x, y, firstEdge);
}

// Walks from triangle `start` towards (x, y), stepping across an edge the
// position lies beyond; the first edge tried turns with each step, so a walk
// through a triangulation that is not Delaunay cannot circle for long. Visits
// at most `maxSteps` triangles, and asks `keepGoing()` before each.
// Returns the triangle holding the position (Inside, OnEdge, OnVertex);
// Outside with the last triangle and the edge it left the surface by; or
// Outside with kNoTriangle when the walk gave up: at a flat triangle, out of
// steps, or stopped.
template <typename KeepGoing>
Location walkToward(const PlanTin& tin, int start, double x, double y, int maxSteps, KeepGoing&& keepGoing) {
    int t = start;
    for (int step = 0; step < maxSteps && t < tin.triangleCount(); ++step) {
        if (!keepGoing() || !tin.hasArea[static_cast<std::size_t>(t)]) return {};
        const Location here = placeAgainst(tin, t, x, y, step % 3);
        if (here.place != Place::Outside) return here;
        const int next = tin.neighbours[static_cast<std::size_t>(t)][static_cast<std::size_t>(here.edge)];
        if (next < 0) return here;
        t = next;
    }
    return {};
}

inline Location walkToward(const PlanTin& tin, int start, double x, double y, int maxSteps) {
    return walkToward(tin, start, x, y, maxSteps, [] { return true; });
}

// The height of triangle t's face at (x, y), from the plan areas (x, y) cuts
// it into. Taken from the first corner's height, so a level triangle gives
// exactly its height: a level pad at the height of level ground is neither
// cut nor fill.
double heightInTriangle(const PlanTin& tin, int t, double x, double y);

}  // namespace vellacor
