#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "model/survey_point.h"

namespace vellacor {

struct SiteModel;

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
// Checks `keepRunning` between triangles and reports i / (n + 1) as progress;
// returns true when every triangle was processed.
bool computeVertexNormals(const VertexNormalInput& input, VertexNormals& out, const std::atomic<bool>& keepRunning,
                          std::atomic<double>& progress);

// One run of the shading stage: its own copy of the surface and its own
// result, handed from the user-interface thread to the worker and back.
struct ShadingJob {
    VertexNormalInput input;
    VertexNormals normals;
    bool complete = false;              // every triangle processed; written before `finished`
    std::atomic<bool> finished{false};  // the worker has ended
};

// User-interface thread: copies the surface and starts the shading worker
// (clears the stage's `done`, sets `running`).
void startShadingWorker(SiteModel& model);

// User-interface thread, every frame before drawing: when the worker has
// ended with a complete result for the surface as it still is, writes the
// normals into the triangles and marks the stage done.
void adoptShadingResult(SiteModel& model);

}  // namespace vellacor
