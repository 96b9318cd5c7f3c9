#include "surface/drape.h"

#include <algorithm>
#include <limits>

#include "surface/plan_triangle.h"
#include "surface/predicates.h"
#include "surface/tin_geometry.h"
#include "surface/triangle_grid.h"

namespace vellacor {

namespace {

int signOf(double v) { return (v > 0.0) - (v < 0.0); }

// The plan segment being draped. Every side test is made against the
// segment's own two ends, exactly, so the walk never gets two answers for one
// vertex: a vertex on the line is passed, never stepped round.
struct PlanLine {
    double ax, ay, bx, by;

    // > 0 left of the line, < 0 right of it, 0 on it.
    double side(const SurveyPoint& p) const { return orient2d(ax, ay, bx, by, p.easting, p.northing); }
    // Where the position falls along the line: 0 at the start, 1 at the end.
    double along(double x, double y) const {
        const double dx = bx - ax, dy = by - ay;
        return ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy);
    }
    double along(const SurveyPoint& p) const { return along(p.easting, p.northing); }
    bool endsAt(const SurveyPoint& p) const { return p.easting == bx && p.northing == by; }
};

// Where the walk stands.
enum class Stop {
    InFace,      // inside `triangle`, entered through its edge `slot` (-1: not through an edge)
    AtVertex,    // at the vertex in slot `slot` of `triangle`, already appended
    OffSurface,  // off the surface from `along` on
    Lost,        // the links led nowhere: the end is placed on its own
    Finished,
};

struct Place {
    Stop stop = Stop::Finished;
    int triangle = kNoTriangle;
    int slot = -1;
    double along = 0.0;
};

// The point of edge p-q on the line, p and q on opposite sides (sp and sq),
// with the edge's own elevation there.
Vec3 edgePoint(const SurveyPoint& p, const SurveyPoint& q, double sp, double sq) {
    const double u = sp / (sp - sq);
    return {p.easting + u * (q.easting - p.easting), p.northing + u * (q.northing - p.northing),
            p.elevation + u * (q.elevation - p.elevation)};
}

// The triangle across edge k of t and the slot of the shared edge in it.
bool across(const SurfaceView& s, int t, int k, int& next, int& edge) {
    const TinTriangle& from = s.triangle(t);
    const int n = from.neighbour[k];
    if (n < 0 || n >= s.triangleCount) return false;
    const int p = from.vertex[k], q = from.vertex[(k + 1) % 3];
    const TinTriangle& to = s.triangle(n);
    for (int j = 0; j < 3; ++j) {
        const int a = to.vertex[j], b = to.vertex[(j + 1) % 3];
        if ((a == p && b == q) || (a == q && b == p)) {
            next = n;
            edge = j;
            return true;
        }
    }
    return false;
}

int slotOf(const TinTriangle& t, int v) {
    for (int k = 0; k < 3; ++k)
        if (t.vertex[k] == v) return k;
    return -1;
}

// Visits the faces around vertex v, starting with t0 (which has it), until
// `visit(face, slot of v)` says stop: one way round, and when the hull stops
// that, the other way. Time: the faces around v.
template <class Visit>
void forEachFaceAround(const SurfaceView& s, int t0, int v, Visit&& visit) {
    const int i0 = slotOf(s.triangle(t0), v);
    if (i0 < 0 || visit(t0, i0)) return;
    int steps = s.triangleCount;
    for (const int firstEdge : {i0, (i0 + 2) % 3}) {
        int previous = t0, t = s.triangle(t0).neighbour[firstEdge];
        while (t >= 0 && t < s.triangleCount && t != t0 && --steps > 0) {
            const TinTriangle& face = s.triangle(t);
            const int i = slotOf(face, v);
            if (i < 0) break;
            if (visit(t, i)) return;
            // On round, across whichever edge at v does not lead back.
            const int a = face.neighbour[i], b = face.neighbour[(i + 2) % 3];
            const int next = a == previous ? b : a;
            previous = t;
            t = next;
        }
        if (t == t0) return;  // all the way round
    }
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
            if (surface.triangle(t).neighbour[k] == kNoTriangle) visit(t, k);
}

int locate(const SurfaceView& s, const DrapeStart& start, double x, double y) {
    const int hint = std::clamp(start.triangle, 0, s.triangleCount - 1);
    if (triangleHoldsExactly(s, hint, x, y)) return hint;
    if (start.grid) return locateInGrid(*start.grid, s, x, y);
    const int walked = locateTriangleWalk(s, s.triangleCount, hint, x, y);
    if (walked != kNoTriangle && triangleHoldsExactly(s, walked, x, y)) return walked;
    for (int t = 0; t < s.triangleCount; ++t)
        if (triangleHoldsExactly(s, t, x, y)) return t;
    return kNoTriangle;
}

// One drape: the line, the points appended so far and the last triangle seen.
struct Walk {
    const SurfaceView& surface;
    const PlanLine line;
    std::vector<Vec3>& out;
    int appended = 0;
    int lastTriangle = kNoTriangle;

    const SurveyPoint& corner(int t, int k) const { return surface.point(surface.triangle(t).vertex[k % 3]); }
    void append(const Vec3& p) {
        out.push_back(p);
        ++appended;
    }
};

// The walk along edge o-w (on the line) to w, the vertex ahead. The end may
// come first, with the edge's elevation there.
Place alongEdge(Walk& w, int t, int from, int to) {
    const SurveyPoint &o = w.corner(t, from), &q = w.corner(t, to);
    w.lastTriangle = t;
    if (w.line.endsAt(q) || w.line.along(q) >= 1.0) {
        const double ex = q.easting - o.easting, ey = q.northing - o.northing;
        const double u = w.line.endsAt(q)
                             ? 1.0
                             : ((w.line.bx - o.easting) * ex + (w.line.by - o.northing) * ey) / (ex * ex + ey * ey);
        w.append({w.line.bx, w.line.by, o.elevation * (1.0 - u) + q.elevation * u});
        return {};
    }
    w.append(positionOf(q));
    return {Stop::AtVertex, t, to};
}

// Out of face t across its edge k, whose ends lie on either side of the line.
Place crossEdge(Walk& w, int t, int k, double sp, double sq, bool appendIt) {
    const Vec3 x = edgePoint(w.corner(t, k), w.corner(t, k + 1), sp, sq);
    if (appendIt) w.append(x);
    int next = kNoTriangle, edge = -1;
    if (!across(w.surface, t, k, next, edge)) return {Stop::OffSurface, t, -1, w.line.along(x.x, x.y)};
    return {Stop::InFace, next, edge};
}

// The start of the line, in (or on the boundary of) triangle t.
Place startIn(Walk& w, int t) {
    const PlanLine& l = w.line;
    w.lastTriangle = t;
    w.append({l.ax, l.ay, heightInTriangle(w.surface, t, l.ax, l.ay)});
    bool onEdge[3];
    int edges = 0, edge = -1;
    for (int k = 0; k < 3; ++k) {
        const SurveyPoint &p = w.corner(t, k), &q = w.corner(t, k + 1);
        onEdge[k] = orient2d(p.easting, p.northing, q.easting, q.northing, l.ax, l.ay) == 0.0;
        if (onEdge[k]) ++edges, edge = k;
    }
    if (edges >= 2) {  // on a vertex: the one two of those edges share
        const int slot = onEdge[0] && onEdge[1] ? 1 : onEdge[1] && onEdge[2] ? 2 : 0;
        return {Stop::AtVertex, t, slot};
    }
    if (edges == 1) {
        const double sp = l.side(w.corner(t, edge)), sq = l.side(w.corner(t, edge + 1));
        if (sp == 0.0 && sq == 0.0) {  // along the edge: on to its end ahead
            const bool firstAhead = l.along(w.corner(t, edge)) > l.along(w.corner(t, edge + 1));
            return firstAhead ? alongEdge(w, t, (edge + 1) % 3, edge) : alongEdge(w, t, edge, (edge + 1) % 3);
        }
        const int turn = planTurn(w.surface, t);
        if (signOf(sp) * turn < 0 && signOf(sq) * turn > 0)  // the line leaves t right at its start
            return crossEdge(w, t, edge, sp, sq, false);
    }
    return {Stop::InFace, t, -1};
}

// From inside face t to where the line leaves it: an edge or a vertex, or the end.
Place leaveFace(Walk& w, const Place& at) {
    const int t = at.triangle;
    w.lastTriangle = t;
    const int turn = planTurn(w.surface, t);
    if (turn != 0 && triangleHoldsExactly(w.surface, t, w.line.bx, w.line.by)) {
        w.append({w.line.bx, w.line.by, heightInTriangle(w.surface, t, w.line.bx, w.line.by)});
        return {};
    }
    double side[3];
    int sign[3];
    for (int k = 0; k < 3; ++k) {
        side[k] = w.line.side(w.corner(t, k));
        sign[k] = signOf(side[k]) * (turn != 0 ? turn : 1);
    }
    // Counter-clockwise, the line leaves through the edge that runs from its
    // right to its left. A face without plan area is a crack in an edge: the
    // line goes on through its other edge at the same point.
    for (int k = 0; k < 3; ++k) {
        const int a = sign[k], b = sign[(k + 1) % 3];
        const bool exits = turn != 0 ? (a < 0 && b > 0) : (k != at.slot && a * b < 0);
        if (exits) return crossEdge(w, t, k, side[k], side[(k + 1) % 3], turn != 0);
    }
    for (int k = 0; k < 3; ++k)
        if (sign[k] == 0) {
            w.append(positionOf(w.corner(t, k)));
            return {Stop::AtVertex, t, k};
        }
    return {Stop::Lost};
}

// From a vertex on the line into the face or along the edge the line goes on
// into; off the surface when there is none.
Place leaveVertex(Walk& w, const Place& at) {
    const int v = w.surface.triangle(at.triangle).vertex[at.slot];
    const SurveyPoint& p = w.surface.point(v);
    w.lastTriangle = at.triangle;
    if (w.line.endsAt(p)) return {};
    const double here = w.line.along(p);
    Place next{Stop::OffSurface, at.triangle, -1, here};
    forEachFaceAround(w.surface, at.triangle, v, [&](int f, int i) {
        const int turn = planTurn(w.surface, f);
        if (turn == 0) return false;
        const int ia = (i + 1) % 3, ib = (i + 2) % 3;
        const SurveyPoint &a = w.corner(f, ia), &b = w.corner(f, ib);
        const double sa = w.line.side(a), sb = w.line.side(b);
        if (signOf(sa) * turn < 0 && signOf(sb) * turn > 0) {
            next = {Stop::InFace, f, -1};
            return true;
        }
        if (sa == 0.0 && w.line.along(a) > here) {
            next = alongEdge(w, f, i, ia);
            return true;
        }
        if (sb == 0.0 && w.line.along(b) > here) {
            next = alongEdge(w, f, i, ib);
            return true;
        }
        return false;
    });
    return next;
}

// Off the surface from `from` on: the nearest point ahead where the line comes
// onto it, through a hull edge or a hull vertex. The start of a drape that
// begins off the surface gets no gap mark; a later return gets one. Time: the
// hull edges.
Place comeBack(Walk& w, double from, bool atStart) {
    double best = std::numeric_limits<double>::infinity();
    Place entry;
    Vec3 point;
    auto consider = [&](double along, const Place& place, const Vec3& x) {
        if (along > from && along <= 1.0 && along < best) {
            best = along;
            entry = place;
            point = x;
        }
    };
    forEachHullEdge(w.surface, [&](int t, int k) {
        if (t < 0 || t >= w.surface.triangleCount || k < 0 || k > 2) return;
        const int turn = planTurn(w.surface, t);
        if (turn == 0) return;
        const SurveyPoint &p = w.corner(t, k), &q = w.corner(t, k + 1);
        const double sp = w.line.side(p), sq = w.line.side(q);
        if (signOf(sp) * turn > 0 && signOf(sq) * turn < 0) {  // left to right: into the face
            const Vec3 x = edgePoint(p, q, sp, sq);
            consider(w.line.along(x.x, x.y), {Stop::InFace, t, k}, x);
        }
        if (sp == 0.0) consider(w.line.along(p), {Stop::AtVertex, t, k}, positionOf(p));
        if (sq == 0.0) consider(w.line.along(q), {Stop::AtVertex, t, (k + 1) % 3}, positionOf(q));
    });
    if (entry.stop == Stop::Finished) {
        if (!atStart) w.append({w.line.bx, w.line.by, kOutsideSurface});
        return {};
    }
    if (!atStart) w.append({point.x, point.y, kOutsideSurface});
    w.append(point);
    w.lastTriangle = entry.triangle;
    return entry;
}

}  // namespace

int drapeSegment(const SurfaceView& surface, DrapeStart& start, double x0, double y0, double x1, double y1,
                 std::vector<Vec3>& out) {
    if (surface.triangleCount <= 0) return 0;
    if (start.grid && gridMissesBox(*start.grid, x0, y0, x1, y1)) return 0;
    const int first = locate(surface, start, x0, y0);
    Walk w{surface, {x0, y0, x1, y1}, out};
    if (x0 == x1 && y0 == y1) {  // a point: its elevation twice, as a line inside one face gives
        if (first == kNoTriangle) return 0;
        const double z = heightInTriangle(surface, first, x0, y0);
        w.append({x0, y0, z});
        w.append({x1, y1, z});
        start.triangle = first;
        return w.appended;
    }
    Place at = first == kNoTriangle ? comeBack(w, 0.0, true) : startIn(w, first);
    // Every step moves on along the line, so the budget only stops a walk
    // through broken links.
    const long long budget = 4LL * (surface.triangleCount + surface.pointCount) + 16;
    for (long long step = 0; at.stop != Stop::Finished; ++step) {
        if (step > budget) at.stop = Stop::Lost;
        switch (at.stop) {
            case Stop::InFace: at = leaveFace(w, at); break;
            case Stop::AtVertex: at = leaveVertex(w, at); break;
            case Stop::OffSurface: at = comeBack(w, at.along, false); break;
            case Stop::Lost: {
                DrapeStart from{start.grid, w.lastTriangle};
                const int t = locate(surface, from, x1, y1);
                w.append({x1, y1, t == kNoTriangle ? kOutsideSurface : heightInTriangle(surface, t, x1, y1)});
                at = {};
                break;
            }
            case Stop::Finished: break;
        }
    }
    if (w.lastTriangle != kNoTriangle) start.triangle = w.lastTriangle;
    return w.appended;
}

int drapeSegment(const SurfaceView& surface, double x0, double y0, double x1, double y1, std::vector<Vec3>& out) {
    DrapeStart start;
    return drapeSegment(surface, start, x0, y0, x1, y1, out);
}

}  // namespace vellacor
