#pragma once
#include <cstdint>
#include <vector>

#include "model/survey_point.h"
#include "model/tin_triangle.h"

namespace vellacor {

struct SiteModel;
struct Light;

// Where the renderer keeps its per-triangle values in the triangle record:
// the flat colour in shadeFlag, the vertex normals in shadeVector, the vertex
// shades in shadeData[0..2] and the texture coordinates (u, v) of vertex k in
// shadeData[3 + 2k] and shadeData[4 + 2k].
inline std::uint8_t& flatColour(TinTriangle& t) { return t.shadeFlag; }
inline std::uint8_t flatColour(const TinTriangle& t) { return t.shadeFlag; }
inline Vec3& vertexNormal(TinTriangle& t, int k) { return t.shadeVector[k]; }
inline const Vec3& vertexNormal(const TinTriangle& t, int k) { return t.shadeVector[k]; }
inline double& vertexShade(TinTriangle& t, int k) { return t.shadeData[k]; }
inline double vertexShade(const TinTriangle& t, int k) { return t.shadeData[k]; }
inline double& textureU(TinTriangle& t, int k) { return t.shadeData[3 + 2 * k]; }
inline double& textureV(TinTriangle& t, int k) { return t.shadeData[4 + 2 * k]; }

// Palette index of a face lit by `light`: both sides alike, dimmer under the
// headlamp, always within the surface ramp (26..155).
int flatShade(const Light& light, const Vec3& centre, const Vec3& normal);

// Flat colours of every triangle (surface mode 1).
void flatShadeAll(SiteModel& model);

// Flat colours of triangles [first, end). Shading a run of them together lets
// the square roots and divisions of neighbouring triangles overlap.
void flatShadeRange(const Light& light, std::vector<TinTriangle>& triangles, int first, int end);

// Vertex shades of every triangle from the vertex normals (surface mode 2):
// diffuse plus a highlight towards the eye, at most 229.
void smoothShade(SiteModel& model);

// Vertex shades from elevation (surface mode 7, the rainbow palette): the
// lowest point 16, the highest 215. A site without an elevation range is one colour.
void elevationShade(SiteModel& model);

// Index elevationShade gives every vertex of a site whose elevations are all equal.
inline constexpr int kLevelSiteShade = 115;

}  // namespace vellacor
