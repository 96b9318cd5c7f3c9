#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "model/site_document.h"
#include "model/survey_point.h"

namespace vellacor {


// Where the per-frame contour tracer sends its lines: the renderer's 3D line
// routine in the given palette colour (250 minor, 251 major).
class ContourLineSink {
public:
    virtual ~ContourLineSink() = default;
    virtual void line(const Vec3& from, const Vec3& to, std::uint8_t colour) = 0;
};

// Every level through triangle t, minor levels first, then major ones, each
// smoothed (contourSmoothing, once the neighbour links are done) unless
// `straight`, and limited by contourLimitMode. Flat triangles carry none; a
// level that only grazes a ridge is left out once the links are done.
void drawTriangleContours(const SiteDocument& document, int t, ContourLineSink& sink, bool straight = false);

// drawTriangleContours for every triangle, once the triangulation is done.
void drawSurfaceContours(const SiteDocument& document, ContourLineSink& sink, bool straight = false);

// The contours, straight, through other triangles over the document's points
// (a coarser version of its surface drawn while the view moves), with the
// document's interval and limits.
void drawContoursOver(const SurfaceView& triangles, const SiteDocument& document, ContourLineSink& sink);

// One traced line, in site coordinates, in the palette colour it is drawn in.
struct ContourLine {
    Vec3 from, to;
    std::uint8_t colour = 0;
};

// The same lines kept triangle by triangle: those of triangle t are
// lines[start[t] .. start[t + 1]).
void traceContoursByTriangle(const SurfaceView& triangles, const SiteDocument& document,
                             std::vector<ContourLine>& lines, std::vector<std::int32_t>& start);

// The corners of every triangle and the elevation of every point, packed
// tight. A frame that has just read the large triangle records keeps them
// here, so the contour pass need not read those records again except for the
// few triangles a level crosses.
struct ContourCornerCache {
    std::vector<std::array<std::int32_t, 3>> corners;  // one per triangle
    std::vector<double> elevations;                    // one per point
};

// As above, skipping through the cache the triangles no level can cross.
// A cache that does not match the surface is ignored.
void drawSurfaceContours(const SiteDocument& document, ContourLineSink& sink, bool straight,
                         const ContourCornerCache& cache);

// False when no contour level can touch a triangle with these corner
// elevations (a flat triangle, or no multiple of the interval in its range).
bool anyLevelMayCross(double z0, double z1, double z2, double interval);

}  // namespace vellacor
