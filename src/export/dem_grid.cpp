#include "export/dem_grid.h"

#include <algorithm>
#include <cmath>

namespace vellacor {

namespace {

// The surface's height at (x, y) in triangle t: the plane through its three
// corners, which on an edge is the edge's own line, so both triangles of an
// edge give the same height there. A triangle with no plan area (its corners
// in a line) holds the position on its longest side: the height along that.
double heightInTriangle(const SurfaceView& surface, int t, double x, double y) {
    const TinTriangle& tri = surface.triangle(t);
    const SurveyPoint& a = surface.point(tri.vertex[0]);
    const SurveyPoint& b = surface.point(tri.vertex[1]);
    const SurveyPoint& c = surface.point(tri.vertex[2]);
    const double abE = b.easting - a.easting, abN = b.northing - a.northing;
    const double acE = c.easting - a.easting, acN = c.northing - a.northing;
    const double pE = x - a.easting, pN = y - a.northing;
    const double twiceArea = abE * acN - acE * abN;
    if (twiceArea != 0.0) {
        const double wb = (pE * acN - acE * pN) / twiceArea;
        const double wc = (abE * pN - pE * abN) / twiceArea;
        return a.elevation + wb * (b.elevation - a.elevation) + wc * (c.elevation - a.elevation);
    }
    const SurveyPoint* ends[3][2] = {{&a, &b}, {&b, &c}, {&c, &a}};
    const SurveyPoint* p = &a;
    const SurveyPoint* q = &b;
    double longest = -1;
    for (const auto& [from, to] : ends) {
        const double dE = to->easting - from->easting, dN = to->northing - from->northing;
        if (dE * dE + dN * dN > longest) longest = dE * dE + dN * dN, p = from, q = to;
    }
    if (longest <= 0.0) return p->elevation;
    const double s = ((x - p->easting) * (q->easting - p->easting) + (y - p->northing) * (q->northing - p->northing)) / longest;
    return p->elevation + std::clamp(s, 0.0, 1.0) * (q->elevation - p->elevation);
}

}  // namespace

PlanBox triangleBox(const SurfaceView& surface) {
    if (surface.triangleCount <= 0) return {};
    PlanBox box{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (int t = 0; t < surface.triangleCount; ++t)
        for (const int v : surface.triangle(t).vertex) {
            const SurveyPoint& p = surface.point(v);
            box.west = std::min(box.west, p.easting), box.east = std::max(box.east, p.easting);
            box.south = std::min(box.south, p.northing), box.north = std::max(box.north, p.northing);
        }
    return box;
}

DemGrid demGridOver(const SurfaceView& surface, double cellSize) {
    DemGrid grid;
    grid.cellSize = cellSize;
    const PlanBox box = triangleBox(surface);
    if (box.west > box.east || !(cellSize > 0.0)) return grid;
    const double minE = box.west, maxE = box.east, minN = box.south, maxN = box.north;
    grid.west = minE;
    grid.north = maxN;
    // Held to 2^53 so that a cell far too small for the site stays countable.
    constexpr double kMostCellsAcross = 9007199254740992.0;
    grid.columns = std::max(1LL, static_cast<long long>(std::min(std::ceil((maxE - minE) / cellSize), kMostCellsAcross)));
    grid.rows = std::max(1LL, static_cast<long long>(std::min(std::ceil((maxN - minN) / cellSize), kMostCellsAcross)));
    return grid;
}

DemSampler::DemSampler(const SurfaceView& surface, const DemGrid& grid)
    : surface_(surface), grid_(grid), triangles_(buildTriangleGrid(surface)) {}

void DemSampler::sampleRows(long long firstRow, long long rowCount, double noData, std::vector<double>& heights) const {
    heights.assign(static_cast<std::size_t>(rowCount * grid_.columns), noData);
    std::size_t cell = 0;
    for (long long r = firstRow; r < firstRow + rowCount; ++r) {
        const double y = grid_.north - (static_cast<double>(r) + 0.5) * grid_.cellSize;
        for (long long c = 0; c < grid_.columns; ++c, ++cell) {
            const double x = grid_.west + (static_cast<double>(c) + 0.5) * grid_.cellSize;
            const int t = locateInGrid(triangles_, surface_, x, y);
            if (t != kNoTriangle) heights[cell] = heightInTriangle(surface_, t, x, y);
        }
    }
}

}  // namespace vellacor
