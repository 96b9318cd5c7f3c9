#include "water/drop_faces.h"

#include <algorithm>
#include <cmath>

#include "camera/vector_math.h"
#include "surface/tin_geometry.h"
#include "system/huge_pages.h"

namespace vellacor {

void buildDropFaces(const SurfaceView& surface, std::vector<DropFace>& faces) {
    const auto count = static_cast<std::size_t>(std::max(surface.triangleCount, 0));
    if (faces.capacity() < count) {
        std::vector<DropFace>().swap(faces);  // the old table goes before the new one is made
        reserveOnHugePages(faces, count);
    }
    faces.resize(count);
    for (int t = 0; t < surface.triangleCount; ++t) {
        const TinTriangle& triangle = surface.triangle(t);
        DropFace& face = faces[static_cast<std::size_t>(t)];
        face.triangle = t;
        for (int k = 0; k < 3; ++k) {
            face.neighbour[k] = triangle.neighbour[k];
            const SurveyPoint& p = surface.point(triangle.vertex[k]);
            face.cornerX[k] = p.easting;
            face.cornerY[k] = p.northing;
        }
        const Vec3 n = normalOf(surface, t);
        face.normal = n;
        face.planeD = planeConstantOf(n, positionOf(surface.point(triangle.vertex[0])));
        const double nz = std::clamp(n.z, -1.0, 1.0);
        face.sinSlope = std::sqrt(std::max(0.0, 1.0 - nz * nz));
        face.downhill = normalise(Vec3{n.x * n.z, n.y * n.z, -(n.x * n.x + n.y * n.y)});
    }
}

int walkDropFaces(std::span<const DropFace> faces, int maxSteps, int start, double x, double y) {
    const auto count = static_cast<int>(faces.size());
    if (start < 0 || start >= count || maxSteps < 0) return kNoTriangle;
    int t = start;
    for (int steps = 0;; ++steps) {
        const DropFace& f = faces[static_cast<std::size_t>(t)];
        if (faceContains(f, x, y)) return t;
        // Leave through the edge that the line from the centroid to the target crosses.
        const double cx = (f.cornerX[0] + f.cornerX[1] + f.cornerX[2]) * kCentroidThird;
        const double cy = (f.cornerY[0] + f.cornerY[1] + f.cornerY[2]) * kCentroidThird;
        int exit = -1;
        for (int k = 0; k < 3 && exit < 0; ++k) {
            const int n = (k + 1) % 3;
            if (planSegmentsCrossStrictly(cx, cy, x, y, f.cornerX[k], f.cornerY[k], f.cornerX[n], f.cornerY[n])) exit = k;
        }
        if (exit < 0) return kNoTriangle;
        const int next = f.neighbour[exit];
        if (next < 0 || next >= count) return kNoTriangle;
        if (steps + 1 > maxSteps) return kNoTriangle;
        t = next;
    }
}

}  // namespace vellacor
