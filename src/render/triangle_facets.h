#pragma once
#include <vector>

#include "model/surface_view.h"
#include "model/survey_point.h"

namespace vellacor {

// What a triangle's flat shade needs of its corners whatever the view: its
// centroid and the cross product of its sides.
struct TriangleFacet {
    Vec3 centre, cross;
};

// The facets of one surface's triangles, kept from frame to frame: read
// in order they cost a fraction of gathering each triangle's corners from
// wherever the points lie. Made while the first frame shades the surface,
// and dropped whenever the surface is rebuilt or reshaped.
struct TriangleFacets {
    std::vector<TriangleFacet> facets;
    bool made = false;  // facets holds every triangle's
    // The surface they belong to.
    const void* triangles = nullptr;
    const void* points = nullptr;
    int triangleCount = 0, pointCount = 0;
};

// Above this many triangles (24 MB of facets) every frame works them out
// from the corners instead: a big site's memory goes to its points.
inline constexpr int kMaxKeptFacetTriangles = 500'000;

// Where a shading pass finds the facets, or puts them as it works them out.
struct FacetStore {
    TriangleFacet* facets = nullptr;  // none: neither kept nor read
    bool made = false;                // read them; otherwise store them
};

// The store for `surface`: its kept facets, or room for them, made afresh
// when they belong to another surface; none beyond kMaxKeptFacetTriangles.
FacetStore facetStoreFor(TriangleFacets& kept, const SurfaceView& surface);

inline void forgetTriangleFacets(TriangleFacets& kept) { kept = TriangleFacets{}; }

}  // namespace vellacor
