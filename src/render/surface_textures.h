#pragma once
#include <span>

#include "camera/matrix.h"
#include "model/surface_view.h"
#include "render/fill.h"
#include "render/renderer_state.h"

namespace vellacor {

// Texture coordinates for the textured surface modes into state.shades:
// NormalTexture indexes the texture by the vertex normal as the camera sees
// it, SwirlTexture lays the image behind the scene and swirls it over the
// surface, ImageOnly shows the image alone. Sets the fill inputs to the texture.
void prepareTexturedSurface(RendererState& state, SurfaceMode mode, const SurfaceView& surface, const Matrix& view,
                            const Vec3& siteCentre, double siteSize, FillInputs& inputs);

// While the surface is being built: the triangles made so far as outlines,
// between `points` seen through `view`.
void drawGrowingMesh(FrameBuffer& frame, const Matrix& view, const GrowingMesh& mesh,
                     std::span<const SurveyPoint> points);

}  // namespace vellacor
