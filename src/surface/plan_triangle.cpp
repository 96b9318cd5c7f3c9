#include "surface/plan_triangle.h"

#include "surface/point_location.h"
#include "surface/predicates.h"

namespace vellacor {

namespace {

const SurveyPoint& corner(const SurfaceView& surface, int t, int k) {
    return surface.point(surface.triangle(t).vertex[k]);
}

int signOf(double v) { return (v > 0.0) - (v < 0.0); }

}  // namespace

int planTurn(const SurfaceView& surface, int t) {
    const SurveyPoint &a = corner(surface, t, 0), &b = corner(surface, t, 1), &c = corner(surface, t, 2);
    return signOf(orient2d(a.easting, a.northing, b.easting, b.northing, c.easting, c.northing));
}

bool triangleHoldsExactly(const SurfaceView& surface, int t, double x, double y) {
    const int turn = planTurn(surface, t);
    if (turn == 0) return false;
    const auto plan = [&](int k) {
        const SurveyPoint& p = corner(surface, t, k);
        return PlanXY{p.easting, p.northing};
    };
    return placeAgainstCorners(t, plan, turn, x, y).place != Place::Outside;
}

double heightInTriangle(const SurfaceView& surface, int t, double x, double y) {
    double weighted = 0.0, total = 0.0;
    for (int k = 0; k < 3; ++k) {
        const SurveyPoint &p = corner(surface, t, (k + 1) % 3), &q = corner(surface, t, (k + 2) % 3);
        const double w = orient2d(p.easting, p.northing, q.easting, q.northing, x, y);
        weighted += w * corner(surface, t, k).elevation;
        total += w;
    }
    return total != 0.0 ? weighted / total : corner(surface, t, 0).elevation;  // no plan area: no face
}

}  // namespace vellacor
