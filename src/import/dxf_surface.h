#pragma once
#include <array>
#include <span>
#include <vector>

#include "import/surface_read.h"

namespace vellacor {

// The surface a DXF drawing's 3DFACEs make, read as a raw triangle list is:
// the drawing's survey points first, as they are, then each face corner that
// coincides with none of them nor with an earlier corner (each coordinate
// within 0.001), numbered by its index; one triangle a face, in file order,
// with the corners as written. A face whose corners come to fewer than three
// points is left out, and counted. O(points + faces) expected.
// Whether a drawing's 3DFACEs are a terrain surface: some corner has an
// elevation. Faces that all lie at elevation 0 (no elevation, for this
// program) are plan drafting, and the drawing opens as one without faces.
bool facesMakeASurface(std::span<const std::array<Vec3, 3>> faces);

SurfaceReadResult surfaceOfFaces(std::vector<SurveyPoint> surveyPoints, std::span<const std::array<Vec3, 3>> faces);

}  // namespace vellacor
