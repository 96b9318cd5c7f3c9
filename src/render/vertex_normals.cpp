#include "render/vertex_normals.h"

#include <algorithm>
#include <cmath>

#include "camera/vector_math.h"
#include "surface/tin_geometry.h"

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

bool computeVertexNormals(const VertexNormalInput& input, VertexNormals& out, const JobControl& control) {
    const std::size_t n = input.vertices.size();
    const double limit = std::cos(input.gradeBreakAngle * 0.017453292519943295);
    const VertexTriangles around = trianglesAroundVertices(input.vertices);
    out.assign(n, {});
    for (std::size_t i = 0; i < n; ++i) {
        if (!control.carryOn(static_cast<double>(i) / static_cast<double>(n + 1))) return false;
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

VertexNormalInput vertexNormalInput(const SurfaceView& surface, double gradeBreakAngle) {
    VertexNormalInput input;
    const auto n = static_cast<std::size_t>(std::max(surface.triangleCount, 0));
    input.gradeBreakAngle = gradeBreakAngle;
    input.vertices.reserve(n);
    input.faceNormals.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const TinTriangle& t = surface.triangles[i];
        input.vertices.push_back({t.vertex[0], t.vertex[1], t.vertex[2]});
        input.faceNormals.push_back(normalOf(surface.points, t));
    }
    return input;
}

bool surfaceUnchanged(const SurfaceView& surface, const VertexNormalInput& input) {
    if (static_cast<std::size_t>(std::max(surface.triangleCount, 0)) != input.vertices.size()) return false;
    for (std::size_t i = 0; i < input.vertices.size(); ++i) {
        const TinTriangle& t = surface.triangles[i];
        if (t.vertex[0] != input.vertices[i][0] || t.vertex[1] != input.vertices[i][1] ||
            t.vertex[2] != input.vertices[i][2])
            return false;
        const Vec3 now = normalOf(surface.points, t);
        const Vec3& n = input.faceNormals[i];
        if (now.x != n.x || now.y != n.y || now.z != n.z) return false;
    }
    return true;
}

void setVertexNormals(RendererState& state, const VertexNormals& normals) {
    if (state.shades.size() < normals.size()) state.shades.resize(normals.size());
    for (std::size_t i = 0; i < normals.size(); ++i)
        for (int k = 0; k < 3; ++k) state.shades[i].normal[k] = normals[i][static_cast<std::size_t>(k)];
}

}  // namespace vellacor
