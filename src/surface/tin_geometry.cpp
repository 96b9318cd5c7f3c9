#include "surface/tin_geometry.h"

#include <cmath>

#include "app/site_model.h"

namespace vellacor {

namespace {

const SurveyPoint& pointAt(const SiteModel& model, int index) { return model.document.points[static_cast<std::size_t>(index)]; }

const TinTriangle& triangleAt(const SiteModel& model, int t) { return model.document.triangles[static_cast<std::size_t>(t)]; }

Vec3 positionOf(const SurveyPoint& p) { return {p.easting, p.northing, p.elevation}; }

// Where the segment from `from` to `to` (plan) crosses the edge a-b strictly
// inside both; nearly parallel lines do not cross.
bool crossesStrictly(double fromX, double fromY, double toX, double toY, const SurveyPoint& a, const SurveyPoint& b) {
    double s, u;
    return planCrossingParameters(fromX, fromY, toX, toY, a, b, s, u) && s > 0.0 && s < 1.0 && u > 0.0 && u < 1.0;
}

}  // namespace

void computeTriangleGeometry(SiteModel& model, int t) {
    TinTriangle& triangle = model.document.triangles[static_cast<std::size_t>(t)];
    computeTriangleGeometry(triangle, positionOf(pointAt(model, triangle.vertex[0])),
                            positionOf(pointAt(model, triangle.vertex[1])),
                            positionOf(pointAt(model, triangle.vertex[2])));
}

void computeAllGeometry(SiteModel& model) {
    for (int t = 0; t < model.document.triangleCount; ++t) computeTriangleGeometry(model, t);
}

double planeElevation(const TinTriangle& t, double x, double y) {
    if (std::fabs(t.normal.z) < 0.001) return kVerticalPlane;
    return (t.planeD - x * t.normal.x - y * t.normal.y) / t.normal.z;
}

double signedArea(const SiteModel& model, int t) {
    const TinTriangle& triangle = triangleAt(model, t);
    const SurveyPoint& p0 = pointAt(model, triangle.vertex[0]);
    const SurveyPoint& p1 = pointAt(model, triangle.vertex[1]);
    const SurveyPoint& p2 = pointAt(model, triangle.vertex[2]);
    return ((p2.northing - p0.northing) * (p1.easting - p0.easting) -
            (p2.easting - p0.easting) * (p1.northing - p0.northing)) /
           2.0;
}

bool triangleContains(const SiteModel& model, int t, double x, double y) {
    const TinTriangle& triangle = triangleAt(model, t);
    for (int k = 0; k < 3; ++k) {
        const SurveyPoint& a = pointAt(model, triangle.vertex[k]);
        const SurveyPoint& b = pointAt(model, triangle.vertex[(k + 1) % 3]);
        if ((a.easting - x) * (b.northing - y) - (b.easting - x) * (a.northing - y) < 0.0) return false;
    }
    return true;
}

bool planCrossingParameters(double ax, double ay, double bx, double by, const SurveyPoint& p, const SurveyPoint& q,
                            double& s, double& u) {
    const double dx = bx - ax, dy = by - ay;
    const double ex = q.easting - p.easting, ey = q.northing - p.northing;
    const double den = dx * ey - dy * ex;
    if (std::fabs(den) < 0.001) return false;
    s = ((p.easting - ax) * ey - (p.northing - ay) * ex) / den;
    u = ((p.easting - ax) * dy - (p.northing - ay) * dx) / den;
    return true;
}

int locateTriangleWalk(const SiteModel& model, int maxSteps, int start, double x, double y) {
    if (start < 0 || start >= model.document.triangleCount || maxSteps < 0) return kNoTriangle;
    int t = start;
    for (int steps = 0;; ++steps) {
        if (triangleContains(model, t, x, y)) return t;
        // Leave through the edge that the line from the centroid to the target crosses.
        const TinTriangle& triangle = triangleAt(model, t);
        int exit = -1;
        for (int k = 0; k < 3 && exit < 0; ++k)
            if (crossesStrictly(triangle.centroid.x, triangle.centroid.y, x, y, pointAt(model, triangle.vertex[k]),
                                pointAt(model, triangle.vertex[(k + 1) % 3])))
                exit = k;
        if (exit < 0) return kNoTriangle;
        const int next = triangle.neighbour[exit];
        if (next < 0 || next >= model.document.triangleCount) return kNoTriangle;
        if (steps + 1 > maxSteps) return kNoTriangle;
        t = next;
    }
}

int locateTriangle(const SiteModel& model, int start, double x, double y) {
    const int found = locateTriangleWalk(model, model.document.triangleCount, start, x, y);
    if (found != kNoTriangle) return found;
    for (int t = 0; t < model.document.triangleCount; ++t)
        if (triangleContains(model, t, x, y)) return t;
    return kNoTriangle;
}

bool segmentsCross(const SiteModel& model, int a, int b, int c, int d) {
    if (a == c || a == d || b == c || b == d) return false;
    const SurveyPoint& pa = pointAt(model, a);
    const SurveyPoint& pb = pointAt(model, b);
    const SurveyPoint& pc = pointAt(model, c);
    const SurveyPoint& pd = pointAt(model, d);
    const double den = (pb.easting - pa.easting) * (pd.northing - pc.northing) -
                       (pb.northing - pa.northing) * (pd.easting - pc.easting);
    if (std::fabs(den) < 0.001) return false;
    const double t = ((pd.easting - pc.easting) * (pa.northing - pc.northing) -
                      (pd.northing - pc.northing) * (pa.easting - pc.easting)) /
                     den;
    const double u = ((pb.easting - pa.easting) * (pa.northing - pc.northing) -
                      (pb.northing - pa.northing) * (pa.easting - pc.easting)) /
                     den;
    return t > 0.001 && t < 0.999 && u > 0.001 && u < 0.999;
}

}  // namespace vellacor
