#include <algorithm>

#include "surface/duplicate_points.h"
#include "surface/plan_delaunay.h"
#include "surface/surface_jobs.h"
#include "surface/tin_geometry.h"

namespace vellacor {

namespace {

constexpr int kCheckpointEvery = 1024;

template <class T>
void release(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

// Keeps the entries of `v` whose position is not in `dropped` (ascending).
template <class T>
void removePositions(std::vector<T>& v, const std::vector<std::int32_t>& dropped) {
    std::size_t kept = 0, next = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (next < dropped.size() && static_cast<std::size_t>(dropped[next]) == i) {
            ++next;
            continue;
        }
        v[kept++] = v[i];
    }
    v.resize(kept);
}

}  // namespace

bool triangulate(TriangulationInput& input, TriangulationOutput& output, TriangulationMonitor& monitor) {
    output.triangles.clear();
    output.duplicates.clear();

    // Along a Hilbert curve, each point lies next to the previous one: the
    // duplicate search touches its buckets locally and every walk of the
    // triangulation to the next point is a step or two.
    const int all = static_cast<int>(input.points.size());
    const std::vector<std::int32_t> order = hilbertOrder(all, [&](int i) {
        const SurfacePoint& p = input.points[static_cast<std::size_t>(i)];
        return std::pair<double, double>(p.easting, p.northing);
    });
    std::vector<double> x(order.size()), y(order.size()), z(order.size());
    std::vector<std::int32_t> pointIndex(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const SurfacePoint& p = input.points[static_cast<std::size_t>(order[i])];
        x[i] = p.easting;
        y[i] = p.northing;
        z[i] = p.elevation;
        pointIndex[i] = p.pointIndex;
    }
    release(input.points);

    // Coincident points: the later one in easting order stands for the group.
    const std::vector<std::int32_t> dropped = findDuplicatePositions(x.data(), y.data(), pointIndex.data(), all);
    for (std::int32_t position : dropped) output.duplicates.push_back(pointIndex[static_cast<std::size_t>(position)]);
    removePositions(x, dropped);
    removePositions(y, dropped);
    removePositions(z, dropped);
    removePositions(pointIndex, dropped);
    const int count = static_cast<int>(pointIndex.size());

    PlanDelaunay mesh(x.data(), y.data(), count);
    std::vector<MeshTriangle> snapshot;
    const bool built = mesh.build(kCheckpointEvery, [&](int handled) {
        if (monitor.meshDue()) {
            snapshot.clear();
            mesh.forEachTriangle([&](int a, int b, int c) {
                snapshot.push_back({pointIndex[static_cast<std::size_t>(a)], pointIndex[static_cast<std::size_t>(b)],
                                    pointIndex[static_cast<std::size_t>(c)]});
            });
            monitor.publishMesh(snapshot);
        }
        return monitor.carryOn(static_cast<double>(handled) / count);
    });
    release(snapshot);
    if (!built) return false;

    // The big triangle records are made once, from the compact mesh.
    const std::vector<std::int32_t> corners = mesh.takeTriangles();
    const std::size_t triangleCount = corners.size() / 3;
    output.triangles.reserve(triangleCount);
    auto position = [&](std::int32_t v) {
        const auto i = static_cast<std::size_t>(v);
        return Vec3{x[i], y[i], z[i]};
    };
    for (std::size_t t = 0; t < triangleCount; ++t) {
        const std::int32_t* v = &corners[3 * t];
        TinTriangle& triangle = output.triangles.emplace_back();
        for (int k = 0; k < 3; ++k) triangle.vertex[k] = pointIndex[static_cast<std::size_t>(v[k])];
        computeTriangleGeometry(triangle, position(v[0]), position(v[1]), position(v[2]));
        if ((t & 0xFFFF) == 0xFFFF && !monitor.carryOn(1.0)) {
            release(output.triangles);
            return false;
        }
    }
    return true;
}

}  // namespace vellacor
