#include "import/dxf_surface.h"

#include "import/shared_corners.h"

namespace vellacor {

bool facesMakeASurface(std::span<const std::array<Vec3, 3>> faces) {
    for (const std::array<Vec3, 3>& face : faces)
        for (const Vec3& corner : face)
            if (isValidElevation(corner.z)) return true;
    return false;
}

SurfaceReadResult surfaceOfFaces(std::vector<SurveyPoint> surveyPoints, std::span<const std::array<Vec3, 3>> faces) {
    SurfaceReadResult result;
    result.points = std::move(surveyPoints);
    for (SurveyPoint& p : result.points) p.useInSurface = isValidElevation(p.elevation);
    SharedCorners corners(result.points);
    result.triangles.reserve(faces.size());
    for (const std::array<Vec3, 3>& face : faces) {
        const int a = corners.pointAt(face[0]), b = corners.pointAt(face[1]), c = corners.pointAt(face[2]);
        if (a != b && b != c && a != c)
            result.triangles.push_back(triangleOf(a, b, c));
        else
            ++result.facesWithoutThreeCorners;
    }
    result.points.shrink_to_fit();
    result.trianglesMade = true;
    return result;
}

}  // namespace vellacor
