#pragma once
#include <functional>
#include <optional>
#include <vector>

#include "model/surface_view.h"
#include "model/survey_point.h"
#include "surface/contour_export.h"

namespace vellacor {

// What a comparison of the site with a second surface (or a level datum)
// gives. d = site - comparison: cut integrates d where it is positive (the
// comparison lies below the site: earth removed), fill integrates -d where it
// is negative (earth added). Volumes in cubic site units, areas in plan.
struct VolumeTotals {
    double cut = 0;
    double fill = 0;
    double cutArea = 0;    // plan area where d > 0
    double fillArea = 0;   // plan area where d < 0
    double area = 0;       // plan area compared: the overlap (within the polygon)
    double siteArea = 0;   // plan area of the site (within the polygon), compared or not
    double deepestCut = 0;   // largest d, 0 without cut
    double highestFill = 0;  // largest -d, 0 without fill

    // With request.isopachInterval: the contours of d (an isopach), each
    // polyline at its level, in level order.
    std::vector<ExportPolyline> isopach;

    double net() const { return fill - cut; }
    // Plan area of the site left out because the comparison does not cover it.
    double areaLeftOut() const { return siteArea > area ? siteArea - area : 0.0; }
};

// What to compare the site with, and where.
struct VolumeRequest {
    std::optional<double> datum;            // a level plane at this elevation instead of a surface
    std::vector<Vec3> polygon;              // plan limit (x easting, y northing); empty: none
    double isopachInterval = 0;             // > 0: also trace d's contours at this interval
};

// The exact cut and fill between the site and the comparison: the two
// triangulations overlaid in plan, the difference integrated over every
// piece of the overlay (both surfaces are planar there, so the difference is
// linear and is split exactly at its zero line). Only where both surfaces
// are counts; a polygon (simple, either orientation) limits it further.
//
// The overlay's corners are found first: each site edge walked once through
// the comparison (its crossings), the site's points found at the walks' ends
// and the comparison's points from where the walks passed. A site triangle
// whose corners all say the site lies above the comparison (or all below),
// wholly on it, is integrated whole, and the comparison under such
// triangles whole triangle by whole triangle; only the triangles along the
// zero line, along either surface's edge, across the polygon or at
// degenerate places (an edge through a point, a point on an edge, as on two
// grids) are clipped piece by piece, each against the comparison triangles
// under it found through the neighbour links. A triangle both surfaces have
// (the same three corners in plan, as where a finished ground keeps the
// existing ground's own points beyond its grading) is its own piece, added
// without any walk or clipping. So the work is proportional to
// the two surfaces and the crossings of their edges, and the overlay is
// never stored. Work is shared between two threads and sums are added in a
// fixed order (the same figures on any machine). With a polygon of m
// corners: O(m) more per site triangle near its edge. `carryOn(fraction)` is
// asked now and then; false stops the work (returns nothing).
std::optional<VolumeTotals> compareSurfaces(const SurfaceView& site, const SurfaceView& comparison,
                                            const VolumeRequest& request,
                                            const std::function<bool(double)>& carryOn = {});

// The same against the level datum request.datum (which must be set) over the
// site's whole extent.
std::optional<VolumeTotals> compareWithDatum(const SurfaceView& site, const VolumeRequest& request,
                                             const std::function<bool(double)>& carryOn = {});

}  // namespace vellacor
