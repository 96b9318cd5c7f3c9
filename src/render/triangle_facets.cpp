#include "render/triangle_facets.h"

#include <new>

namespace vellacor {

FacetStore facetStoreFor(TriangleFacets& kept, const SurfaceView& surface) {
    const int count = surface.triangleCount;
    if (count <= 0 || count > kMaxKeptFacetTriangles) {
        forgetTriangleFacets(kept);
        return {};
    }
    const bool same = kept.triangles == surface.triangles.data() && kept.points == surface.points.data() &&
                      kept.triangleCount == count && kept.pointCount == surface.pointCount;
    if (same) return {kept.facets.data(), kept.made};
    forgetTriangleFacets(kept);
    try {
        kept.facets.resize(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        forgetTriangleFacets(kept);  // shaded from the corners, as without the cache
        return {};
    }
    kept.triangles = surface.triangles.data();
    kept.points = surface.points.data();
    kept.triangleCount = count;
    kept.pointCount = surface.pointCount;
    return {kept.facets.data(), false};
}

}  // namespace vellacor
