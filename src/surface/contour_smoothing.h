#pragma once
#include "model/surface_view.h"
#include "model/survey_point.h"
#include "surface/contour_segment.h"

namespace vellacor {

// A contour's course through one triangle: at most seven points, the first
// and last being the straight segment's ends.
struct ContourPiece {
    Vec3 point[7];
    int count = 0;
};

// The straight segment as a two-point piece.
void straightPiece(const ContourSegment& segment, ContourPiece& out);

// The segment bent into a quadratic Bezier curve that keeps to triangle t.
// Its end directions follow the contour into the neighbouring triangles (from
// the far end of the level's segment there), so pieces of adjacent triangles
// meet smoothly; where a neighbour is missing the curve leaves along the
// segment. `smoothing` (0 to 1) pulls the control point from the segment's
// middle (0: straight) to the tangents' meeting point (1). Sampled at six
// parameters and thinned: points closer than 0.1 to the next, then points
// that turn the course by at most one degree, are dropped. Needs the
// neighbour links.
void smoothContourPiece(const SurfaceView& surface, int t, double level, const ContourSegment& segment, double smoothing,
                        ContourPiece& out);

}  // namespace vellacor

namespace vellacor {

// The piece of a segment of `level` in triangle t: the straight segment, or
// the smoothed piece when `smoothing` is not 0.
void contourPieceOfSegment(const SurfaceView& surface, int t, double level, const ContourSegment& segment,
                           double smoothing, ContourPiece& out);

// The contour piece of `level` in triangle t (triangleContourSegment, with
// the ridge rule when `linked`). False when the level misses t.
bool contourPieceOf(const SurfaceView& surface, int t, double level, double smoothing, ContourPiece& out,
                    bool linked = false);

}  // namespace vellacor
