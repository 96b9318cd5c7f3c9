#pragma once
#include <string>
#include <vector>

#include "model/surface_boundaries.h"
#include "model/survey_point.h"
#include "model/tin_triangle.h"

namespace vellacor {

// What a reader of a file that brings its own surface made of the bytes: the
// points (exactly, no spare records), the triangles over them and, for
// LandXML, the breakline polylines (easting, northing, elevation).
struct SurfaceReadResult {
    std::vector<SurveyPoint> points;
    std::vector<TinTriangle> triangles;
    // The reader made its triangle list (possibly empty, as for a tile of
    // voids): the surface is done and is not built from the points.
    bool trianglesMade = false;
    std::vector<std::vector<Vec3>> breaklines;
    std::vector<SurfaceBoundary> boundaries;  // LandXML: the boundaries of the surface read
    SkippedLines skipped;  // lines of a text grid that were not points
    int facesWithoutThreeCorners = 0;  // faces left out: their corners came to fewer than three points
    std::string message;   // shown before the load's own message; empty when none
    std::string coordinateSystem;  // "EPSG:n" or WKT as the file names it; empty when it names none
};

inline constexpr const char* kPointsNotAllocated = "Unable to allocate storage for Points!";
inline constexpr const char* kTrianglesNotAllocated = "Unable to allocate storage for Triangles!";

// A point made by a grid or triangle reader: no description, in the surface, marked.
inline SurveyPoint gridPoint(int number, double easting, double northing, double elevation) {
    SurveyPoint p;
    p.number = number;
    p.easting = easting;
    p.northing = northing;
    p.elevation = elevation;
    p.useInSurface = true;
    p.displayMark = PointMark::Ordinary;
    return p;
}

inline TinTriangle triangleOf(int a, int b, int c) {
    TinTriangle t;
    t.vertex[0] = a;
    t.vertex[1] = b;
    t.vertex[2] = c;
    return t;
}

}  // namespace vellacor
