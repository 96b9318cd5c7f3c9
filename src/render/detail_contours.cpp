#include "render/detail_contours.h"

namespace vellacor {

void drawDetailContours(DetailContourCache& cache, const DetailSurface& detail, const DetailFrame& frame,
                        const SiteDocument& document, ContourLineSink& sink) {
    ContourTraceKey key = contourTraceKey(document, true);
    if (cache.detail != &detail || !(cache.key == key)) {
        cache = DetailContourCache{};
        cache.detail = &detail;
        cache.key = std::move(key);
        cache.versions.resize(detail.levels.size());
    }
    std::vector<TinTriangle>& whole = cache.wholeTriangles;
    whole.clear();
    for (std::size_t i = 0; i < frame.triangles.size(); ++i) {
        const auto k = static_cast<std::size_t>(frame.sourceLevel[i]);
        if (k == 0) {
            whole.push_back(frame.triangles[i]);
            continue;
        }
        DetailContourCache::Version& version = cache.versions[k];
        if (!version.traced) {
            const DetailLevel& level = detail.levels[k];
            std::vector<TinTriangle> triangles(level.corners.size());
            for (std::size_t t = 0; t < triangles.size(); ++t)
                std::copy(level.corners[t].begin(), level.corners[t].end(), triangles[t].vertex);
            const SurfaceView view{level.points, static_cast<int>(level.points.size()), triangles,
                                   static_cast<int>(triangles.size()), {}};
            traceContoursByTriangle(view, document, version.lines, version.start);
            version.traced = true;
        }
        const auto t = static_cast<std::size_t>(frame.sourceTriangle[i]);
        for (std::int32_t j = version.start[t]; j < version.start[t + 1]; ++j) {
            const ContourLine& line = version.lines[static_cast<std::size_t>(j)];
            sink.line(line.from, line.to, line.colour);
        }
    }
    // The whole surface's triangles, near the eye, traced as they are drawn.
    const SurfaceView near{frame.copies, static_cast<int>(frame.copies.size()), whole, static_cast<int>(whole.size()),
                           {}};
    drawContoursOver(near, document, sink);
}

}  // namespace vellacor
