#include "water/drop_faces.h"

#include <algorithm>
#include <cmath>

#include "camera/vector_math.h"
#include "surface/centroid_walk.h"
#include "surface/tin_geometry.h"

namespace vellacor {

void buildDropFaces(const SurfaceView& surface, std::vector<DropFace>& faces) {
    const auto count = static_cast<std::size_t>(std::max(surface.triangleCount, 0));
    if (faces.capacity() < count) {
        std::vector<DropFace>().swap(faces);  // the old table goes before the new one is made
        faces.reserve(count);
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
    struct Table {
        std::span<const DropFace> faces;
        const DropFace& at(int t) const { return faces[static_cast<std::size_t>(t)]; }
        bool holds(int t, double px, double py) const { return faceContains(at(t), px, py); }
        PlanXY corner(int t, int k) const { return {at(t).cornerX[k], at(t).cornerY[k]}; }
        int neighbour(int t, int k) const { return at(t).neighbour[k]; }
    };
    return walkFromCentroids(Table{faces}, static_cast<int>(faces.size()), maxSteps, start, x, y);
}

}  // namespace vellacor
