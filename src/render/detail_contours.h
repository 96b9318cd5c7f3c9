#pragma once
#include <cstdint>
#include <vector>

#include "model/site_document.h"
#include "surface/contour_draw.h"
#include "surface/detail_levels.h"
#include "surface/traced_contours.h"

namespace vellacor {

// The contours of the coarser versions a moving frame draws: traced a
// version at a time, the first time a frame draws from it, and kept while the
// versions and the contour settings last, so turning the view traces nothing.
struct DetailContourCache {
    const DetailSurface* detail = nullptr;
    ContourTraceKey key;
    struct Version {
        bool traced = false;
        std::vector<ContourLine> lines;
        std::vector<std::int32_t> start;  // per triangle of the version
    };
    std::vector<Version> versions;
    std::vector<TinTriangle> wholeTriangles;  // scratch: the frame's triangles of the whole surface
};

// The frame's contours into `sink`: those of triangles of the whole surface
// traced now, the others from the cache.
void drawDetailContours(DetailContourCache& cache, const DetailSurface& detail, const DetailFrame& frame,
                        const SiteDocument& document, ContourLineSink& sink);

}  // namespace vellacor
