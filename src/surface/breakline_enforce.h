#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "model/survey_point.h"
#include "model/tin_triangle.h"

namespace vellacor {

// Makes the plan segment between points a and b an edge of the surface: the
// triangles the segment passes through are triangulated again, by flipping
// the edges it crosses, so that each side of it is filled and nothing else moves. Surface vertices lying exactly on
// the segment split it, and each piece is enforced in turn. New triangles get
// their geometry and no neighbour links (the link stage rebuilds them); the
// count of triangles stays the same. A segment that is already an edge, whose
// end is not a vertex, or that leaves the surface, changes nothing.
// Returns true when the triangles changed.
bool enforceBreakline(std::span<const SurveyPoint> points, int pointCount, std::vector<TinTriangle>& triangles,
                      int& triangleCount, int a, int b);

// Enforces breaklines one after another in the same surface. It keeps the
// surface's edge links between them, so each breakline is found by walking
// from its first end across the triangles it passes, not by looking at every
// triangle; the links are mended where the triangles changed. Should the
// triangles change behind its back, the walk notices a link that no longer
// fits and the links are made again.
class BreaklineEnforcer {
public:
    bool enforce(std::span<const SurveyPoint> points, int pointCount, std::vector<TinTriangle>& triangles,
                 int triangleCount, int a, int b);

    // Starts from links already made for these triangles (three per triangle,
    // as the neighbour links), sparing the pass that makes them.
    void adoptLinks(std::vector<std::int32_t> links, const std::vector<TinTriangle>& triangles, int triangleCount,
                    int pointCount);
    // Holds links for a surface of this many triangles.
    bool indexed(int triangleCount) const { return triangleCount_ == triangleCount; }

private:
    struct Walk {
        std::vector<int> crossed;  // triangles the segment passes through, from a on
        int stop = kNoPoint;       // b, or the first surface vertex on the segment
        bool stale = false;        // a link did not fit the triangles
    };
    void index(const std::vector<TinTriangle>& triangles, int triangleCount, int pointCount);
    void indexCorners(const std::vector<TinTriangle>& triangles, int triangleCount, int pointCount);
    bool holdsEdge(const std::vector<TinTriangle>& triangles, int t, int p, int q) const;
    Walk walk(std::span<const SurveyPoint> points, const std::vector<TinTriangle>& triangles, int a, int b) const;
    void relink(const std::vector<TinTriangle>& triangles, const std::vector<int>& changed,
                const std::vector<std::array<int, 3>>& outsideBefore);

    std::vector<std::int32_t> links_;  // 3 per triangle, as the neighbour links
    std::vector<int> cornerOf_;        // a triangle having each point as a corner
    int triangleCount_ = -1;
};

}  // namespace vellacor
