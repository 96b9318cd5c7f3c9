#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/contour_settings.h"
#include "model/site_document.h"
#include "surface/contour_draw.h"

namespace vellacor {

// Contour lines do not depend on the view: traced once, they are drawn again
// from every camera position until the surface or the contour settings change.

// What the traced lines depend on besides the heights and links of the
// surface. Changes that keep the arrays (an edited elevation, the moving demo
// surface) forget the lines themselves.
struct ContourTraceKey {
    const void* triangles = nullptr;
    const void* points = nullptr;
    int triangleCount = 0;
    int pointCount = 0;
    double interval = 0.0;
    double smoothing = 0.0;  // the smoothing in effect, 0 for straight lines
    bool linked = false;     // the neighbour links were known: ridges the levels graze are left out
    ContourLimitMode limitMode = ContourLimitMode::Everywhere;
    std::vector<Vec3> limitVertices;  // of the limit polygon, when the lines are limited to it
};

bool operator==(const ContourTraceKey& a, const ContourTraceKey& b);

ContourTraceKey contourTraceKey(const SiteDocument& document, bool straight);

// Above this many segments (56 MB) the lines are traced again every frame
// rather than kept: a noisy surface at a fine interval has tens of millions.
inline constexpr std::size_t kMaxKeptContourLines = 1'000'000;

// The lines of one key, or the note that they were too many to keep.
struct TracedContours {
    ContourTraceKey key;
    bool kept = false;     // segments hold every line of key
    bool tooMany = false;  // key's lines exceed kMaxKeptContourLines
    std::vector<ContourLine> segments;
};

// Straight lines while the view moves, smoothed ones once it rests: both are
// kept, so starting and stopping a turn traces nothing again.
struct ContourLineCache {
    TracedContours straight, smoothed;
    TracedContours& forView(bool viewMoving) { return viewMoving ? straight : smoothed; }
};

// The surface changed in place: the lines are traced again, and their memory is given back.
inline void forgetContourLines(ContourLineCache& cache) { cache = ContourLineCache{}; }

// The kept lines for `key`, or null when they must be traced.
inline const std::vector<ContourLine>* keptContourLines(const TracedContours& traced, const ContourTraceKey& key) {
    return traced.kept && traced.key == key ? &traced.segments : nullptr;
}

// Traces the contours into `sink` (drawSurfaceContours, through the corner
// cache when it is fresh) and keeps them in `traced` under `key`, unless that
// key is already known to have too many.
void traceAndKeepContours(const SiteDocument& document, bool straight, const ContourCornerCache* corners,
                          ContourLineSink& sink, TracedContours& traced, ContourTraceKey key);

}  // namespace vellacor
