#include "render/vertex_normals.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "camera/vector_math.h"
#include "app/site_model.h"
#include "render/shading.h"

namespace vellacor {

namespace {

// Triangles around each vertex in ascending order, as offsets into one array
// (compressed rows): the triangles at vertex v are list[first[v] .. first[v + 1]).
struct VertexTriangles {
    std::vector<std::int32_t> first;
    std::vector<std::int32_t> list;
};

VertexTriangles trianglesAroundVertices(const std::vector<std::array<std::int32_t, 3>>& vertices) {
    std::int32_t top = -1;
    for (const auto& t : vertices)
        for (std::int32_t v : t) top = std::max(top, v);
    VertexTriangles vt;
    vt.first.assign(static_cast<std::size_t>(top + 2), 0);  // one slot per vertex plus the end
    for (const auto& t : vertices)
        for (std::int32_t v : t)
            if (v >= 0) ++vt.first[static_cast<std::size_t>(v) + 1];
    for (std::size_t i = 1; i < vt.first.size(); ++i) vt.first[i] += vt.first[i - 1];
    vt.list.resize(static_cast<std::size_t>(vt.first.back()));
    std::vector<std::int32_t> fill(vt.first.begin(), vt.first.end() - 1);
    for (std::size_t i = 0; i < vertices.size(); ++i)
        for (std::int32_t v : vertices[i])
            if (v >= 0)
                vt.list[static_cast<std::size_t>(fill[static_cast<std::size_t>(v)]++)] = static_cast<std::int32_t>(i);
    return vt;
}

}  // namespace

bool computeVertexNormals(const VertexNormalInput& input, VertexNormals& out, const std::atomic<bool>& keepRunning,
                          std::atomic<double>& progress) {
    const std::size_t n = input.vertices.size();
    const double limit = std::cos(input.gradeBreakAngle * 0.017453292519943295);
    const VertexTriangles around = trianglesAroundVertices(input.vertices);
    out.assign(n, {});
    for (std::size_t i = 0; i < n; ++i) {
        if (!keepRunning.load(std::memory_order_relaxed)) return false;
        progress.store(static_cast<double>(i) / static_cast<double>(n + 1), std::memory_order_relaxed);
        const Vec3& ni = input.faceNormals[i];
        for (int k = 0; k < 3; ++k) {
            const std::int32_t v = input.vertices[i][static_cast<std::size_t>(k)];
            Vec3 sum = ni;
            if (v >= 0) {
                const auto begin = around.list.begin() + around.first[static_cast<std::size_t>(v)];
                const auto end = around.list.begin() + around.first[static_cast<std::size_t>(v) + 1];
                for (auto it = begin; it != end; ++it) {
                    if (static_cast<std::size_t>(*it) == i) continue;
                    const Vec3& nj = input.faceNormals[static_cast<std::size_t>(*it)];
                    if (std::fabs(dot(ni, nj)) >= limit) sum += nj;
                }
            }
            out[i][static_cast<std::size_t>(k)] = normalise(sum);
        }
    }
    return true;
}

void startShadingWorker(SiteModel& model) {
    // A cancelled worker sees `running` cleared and stops; wait for it before
    // setting the flag again, or it would carry on.
    model.work.workers.join(StageId::Shading);
    auto job = std::make_shared<ShadingJob>();
    const auto n = static_cast<std::size_t>(std::max(model.document.triangleCount, 0));
    job->input.gradeBreakAngle = model.display.gradeBreakAngle;
    job->input.vertices.reserve(n);
    job->input.faceNormals.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const TinTriangle& t = model.document.triangles[i];
        job->input.vertices.push_back({t.vertex[0], t.vertex[1], t.vertex[2]});
        job->input.faceNormals.push_back(t.normal);
    }
    model.work.shadingJob = job;
    model.document.shadingStage.done = false;
    model.document.progress = 0.0;
    model.document.shadingStage.running = true;
    model.work.workers.start(StageId::Shading, [&model, job] {
        job->complete = computeVertexNormals(job->input, job->normals, model.document.shadingStage.running, model.document.progress);
        job->finished.store(true, std::memory_order_release);
        model.document.shadingStage.running.store(false, std::memory_order_release);
        model.document.shadingStage.enabled = true;
    });
}

namespace {

bool surfaceUnchanged(const SiteModel& model, const VertexNormalInput& input) {
    if (static_cast<std::size_t>(std::max(model.document.triangleCount, 0)) != input.vertices.size()) return false;
    for (std::size_t i = 0; i < input.vertices.size(); ++i) {
        const TinTriangle& t = model.document.triangles[i];
        const Vec3& n = input.faceNormals[i];
        if (t.vertex[0] != input.vertices[i][0] || t.vertex[1] != input.vertices[i][1] ||
            t.vertex[2] != input.vertices[i][2] || t.normal.x != n.x || t.normal.y != n.y || t.normal.z != n.z)
            return false;
    }
    return true;
}

}  // namespace

void adoptShadingResult(SiteModel& model) {
    if (!model.work.shadingJob) return;
    if (model.document.shadingStage.running.load(std::memory_order_acquire)) return;
    ShadingJob& job = *model.work.shadingJob;
    // `running` clear without `finished`: the stage was cancelled and the worker is on its way out.
    if (job.finished.load(std::memory_order_acquire) && job.complete && surfaceUnchanged(model, job.input)) {
        for (std::size_t i = 0; i < job.normals.size(); ++i)
            for (int k = 0; k < 3; ++k)
                vertexNormal(model.document.triangles[i], k) = job.normals[i][static_cast<std::size_t>(k)];
        model.document.shadingStage.done = true;
        model.renderer.redrawNeeded = true;
    }
    model.work.shadingJob.reset();
}

}  // namespace vellacor
