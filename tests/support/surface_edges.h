#pragma once
#include <algorithm>
#include <array>
#include <set>

#include <gtest/gtest.h>

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

// Neighbour links symmetric: the triangle across each edge holds it reversed
// and names the first triangle back.
inline void expectSymmetricLinks(const SiteDocument& d) {
    for (int t = 0; t < d.triangleCount; ++t) {
        const TinTriangle& tri = d.triangles[static_cast<std::size_t>(t)];
        for (int k = 0; k < 3; ++k) {
            const int n = tri.neighbour[k];
            if (n == kNoTriangle) continue;
            const TinTriangle& other = d.triangles[static_cast<std::size_t>(n)];
            bool back = false;
            for (int j = 0; j < 3; ++j)
                back = back || (other.neighbour[j] == t && other.vertex[j] == tri.vertex[(k + 1) % 3] &&
                                other.vertex[(j + 1) % 3] == tri.vertex[k]);
            EXPECT_TRUE(back) << "triangle " << t << " edge " << k;
        }
    }
}

// The surface as plain geometry: each triangle's corners, in point order, with
// their coordinates, whatever order the triangle list is in.
using Corners = std::array<double, 9>;
inline std::multiset<Corners> surfaceGeometry(const SiteDocument& d) {
    std::multiset<Corners> triangles;
    for (int t = 0; t < d.triangleCount; ++t) {
        const auto& vertex = d.triangles[static_cast<std::size_t>(t)].vertex;
        std::array<int, 3> v{vertex[0], vertex[1], vertex[2]};
        std::sort(v.begin(), v.end());
        Corners c{};
        for (std::size_t k = 0; k < 3; ++k) {
            const SurveyPoint& p = d.points[static_cast<std::size_t>(v[k])];
            c[3 * k] = p.easting;
            c[3 * k + 1] = p.northing;
            c[3 * k + 2] = p.elevation;
        }
        triangles.insert(c);
    }
    return triangles;
}

}  // namespace vellacor::testing
