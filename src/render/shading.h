#pragma once
#include <cstdint>
#include <span>

#include "model/surface_view.h"
#include "render/renderer_state.h"
#include "render/triangle_facets.h"

namespace vellacor {

struct Light;

// Palette index of a face lit by `light`: both sides alike, dimmer under the
// headlamp, always within the surface ramp (26..155).
int flatShade(const Light& light, const Vec3& centre, const Vec3& normal);

// flatShade of the triangle with corners a, b, c, from its centroid and
// normal, the same index, most of the time without working them out.
int flatShadeOfCorners(const Light& light, const Vec3& a, const Vec3& b, const Vec3& c);

// Flat colours of triangles [first, end) into colours[first, end). Shading a
// run of them together lets the square roots and divisions of neighbouring
// triangles overlap. With a store, the triangles' facets are read from it
// once made, or stored in it as they are worked out: the same colours.
void flatShadeRange(const Light& light, const SurfaceView& surface, std::span<std::uint8_t> colours, int first,
                    int end, FacetStore store = {});

// Vertex shades of every triangle from the vertex normals in `shades` (the
// smooth surface): diffuse plus a highlight towards the eye, at most 229.
// `shades` holds at least surface.triangleCount entries.
void smoothShade(const Light& light, const Vec3& eye, const SurfaceView& surface, std::span<TriangleShade> shades);

// Vertex shades from elevation (the elevation surface, the rainbow palette):
// the lowest point 16, the highest 215. A site without an elevation range is
// one colour.
void elevationShade(const SurfaceView& surface, double minElevation, double maxElevation,
                    std::span<TriangleShade> shades);

// Index elevationShade gives every vertex of a site whose elevations are all equal.
inline constexpr int kLevelSiteShade = 115;

}  // namespace vellacor
