#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "model/background_job.h"
#include "model/surface_view.h"
#include "render/renderer_state.h"

namespace vellacor {

// What the grade-break stage reads from the surface: each triangle's vertex
// indices and face normal.
struct VertexNormalInput {
    std::vector<std::array<std::int32_t, 3>> vertices;
    std::vector<Vec3> faceNormals;
    double gradeBreakAngle = 0.0;  // degrees
};

using VertexNormals = std::vector<std::array<Vec3, 3>>;

// Smooth-shading normals: each vertex normal of a triangle is the sum of its
// own face normal and those of the other triangles at that vertex that meet it
// at no more than the grade-break angle, normalised; sharper meetings keep a
// crease. Sums run in triangle order. Linear in the number of triangles.
// Reports i / (n + 1) as progress between triangles and stops when the job
// is cancelled; returns true when every triangle was processed.
bool computeVertexNormals(const VertexNormalInput& input, VertexNormals& out, const JobControl& control);

// What one run of the shading stage hands back: the surface it worked from
// (so the result is adopted only for that surface) and its vertex normals.
struct ShadingResult {
    VertexNormalInput input;
    VertexNormals normals;
};

// The shading stage's copy of the surface.
VertexNormalInput vertexNormalInput(const SurfaceView& surface, double gradeBreakAngle);

// The surface still has the triangles and face normals `input` was copied from.
bool surfaceUnchanged(const SurfaceView& surface, const VertexNormalInput& input);

// Keeps the normals for the smooth and textured passes, one entry per triangle.
void setVertexNormals(RendererState& state, const VertexNormals& normals);

}  // namespace vellacor
