#pragma once

#include "camera/vector_math.h"
#include "model/site_document.h"

namespace vellacor::testing {

// Appends the triangle a-b-c of the document's points, with its normal and centroid.
inline void addFacedTriangle(SiteDocument& d, int a, int b, int c) {
    TinTriangle t;
    t.vertex[0] = a, t.vertex[1] = b, t.vertex[2] = c;
    d.triangles.push_back(t);
    d.triangleCount = static_cast<int>(d.triangles.size());
}

// A small roof-and-valley surface: a 4 x 4 grid of points, 18 triangles, with
// a ridge along x = 1 so that some neighbours meet at a sharp angle.
inline void makeGridSurface(SiteDocument& d) {
    d.points.clear();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            SurveyPoint p;
            p.easting = x * 10.0;
            p.northing = y * 10.0;
            p.elevation = 100.0 + (x == 1 ? 8.0 : 0.0) + 0.5 * y * y;
            d.points.push_back(p);
        }
    d.pointCount = 16;
    d.triangles.clear();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            const int a = y * 4 + x, b = a + 1, c = a + 4, e = a + 5;
            addFacedTriangle(d, a, b, e);
            addFacedTriangle(d, a, e, c);
        }
    d.minElevation = 100.0;
    d.maxElevation = 112.5;
}

}  // namespace vellacor::testing
