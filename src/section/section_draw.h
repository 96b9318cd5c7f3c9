#pragma once
#include <optional>
#include <vector>

#include "camera/matrix.h"
#include "model/surface_view.h"
#include "render/frame_buffer.h"
#include "render/scene.h"
#include "section/section_line.h"

namespace vellacor {

// One stretch of the ground line in profile coordinates: distance along the
// section from A and height above the site's lowest elevation.
struct ProfileSegment {
    double d0, e0, d1, e1;
};

// The ground line of a draped section, one segment for every two consecutive
// points on the surface; stretches off the surface are left out.
std::vector<ProfileSegment> profileSegments(const std::vector<Vec3>& draped, double ax, double ay,
                                            double minElevation);

// The live section over the displayed picture: the line from A to B (or, while
// B is not picked, to the ground under the cursor) draped on the surface with
// its end marks, and the profile with its square grid drawn flat over the
// view from the bottom-left corner. Nothing until A is picked, nor while the
// far end is missing or on A.
void drawSection(FrameBuffer& frame, const Matrix& view, const SurfaceView& surface, const SiteExtents& site,
                 const SectionLine& section, const std::optional<Vec3>& cursorGround);

}  // namespace vellacor
