#pragma once
#include "render/fill.h"

namespace vellacor {

struct SiteModel;

// Texture coordinates for the textured surface modes: 3 indexes the texture
// by the vertex normal as the camera sees it, 4 lays the image behind the
// scene and swirls it over the surface, 5 shows the image alone. Sets the
// fill inputs to the texture.
void prepareTexturedSurface(SiteModel& model, int mode, FillInputs& inputs);

// While the surface is being built: the triangles made so far as outlines.
void drawGrowingMesh(SiteModel& model);

}  // namespace vellacor
