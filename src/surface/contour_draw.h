#pragma once
#include <cstdint>

#include "model/survey_point.h"

namespace vellacor {

struct SiteModel;

// Where the per-frame contour tracer sends its lines: the renderer's 3D line
// routine in the given palette colour (250 minor, 251 major).
class ContourLineSink {
public:
    virtual ~ContourLineSink() = default;
    virtual void line(const Vec3& from, const Vec3& to, std::uint8_t colour) = 0;
};

// Every level through triangle t, minor levels first, then major ones, each
// smoothed (contourSmoothing, once the neighbour links are done) unless
// `straight`, and limited by contourLimitMode. Flat triangles carry none.
void drawTriangleContours(const SiteModel& model, int t, ContourLineSink& sink, bool straight = false);

// drawTriangleContours for every triangle, once the triangulation is done.
void drawSurfaceContours(const SiteModel& model, ContourLineSink& sink, bool straight = false);

}  // namespace vellacor
