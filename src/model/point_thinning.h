#pragma once

namespace vellacor {

struct SiteDocument;

// What thinning a site's points did.
struct ThinningResult {
    int kept = 0;
    int before = 0;
};

// Keeps one point in each cell x cell square of the plan, the lowest (the
// first of those as low, in file order), as ground filters do; the kept points
// stay in file order. The squares are counted from the lowest easting and
// northing. O(n log n) time, 16 bytes a point of working memory.
// A cell that is not a positive finite number keeps every point.
ThinningResult thinToLowestPerCell(SiteDocument& document, double cell);

}  // namespace vellacor
