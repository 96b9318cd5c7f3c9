#pragma once
#include "model/site_document.h"

namespace vellacor::testing {

// True when a triangle of the document's surface has the edge a-b, either way round.
inline bool hasEdge(const SiteDocument& d, int a, int b) {
    for (int t = 0; t < d.triangleCount; ++t) {
        const TinTriangle& tri = d.triangles[static_cast<std::size_t>(t)];
        for (int k = 0; k < 3; ++k) {
            const int p = tri.vertex[k], q = tri.vertex[(k + 1) % 3];
            if ((p == a && q == b) || (p == b && q == a)) return true;
        }
    }
    return false;
}

}  // namespace vellacor::testing
