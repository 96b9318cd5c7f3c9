#pragma once
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "model/site_document.h"
#include "model/surface_view.h"
#include "surface/surface_jobs.h"

namespace vellacor::testing {

// A triangulation as flat arrays over plan points: three vertex indices and
// three neighbour indices per triangle (`none` where an edge has no neighbour).
struct MeshView {
    std::vector<double> x, y;
    std::vector<std::int32_t> vertices, neighbours;
    std::int32_t none = -1;
    std::vector<char> expectedVertex;  // points that must be vertices; empty: all of them
};

// The invariants of a Delaunay triangulation of its points: every triangle
// counter-clockwise, neighbour links symmetric along the shared edge, each
// edge used at most twice, the edges without neighbour forming one convex
// cycle, 2n - 2 - h triangles, areas adding up to the hull's, and no vertex
// inside the circumcircle across any edge. Returns the problems found.
std::vector<std::string> validate(const MeshView& mesh);

// A site as the surface tests build it: the document's points and
// triangles, and what the link stage found along the hull.
struct SurfaceSite {
    SiteDocument document;
    std::vector<HullEdge> hullEdges;
    int hullTriangleCount = 0;  // the triangle count the hull edges are of
    std::vector<DuplicatePoint> duplicatePoints;  // left out by the triangulation, ascending
};

// The surface with its hull edges, while they are of its triangles.
SurfaceView linkedSurfaceOf(const SurfaceSite& site);

// The document's surface as a mesh view (only points that are vertices or
// useInSurface are expected as vertices).
MeshView viewOf(const SiteDocument& document);
inline MeshView viewOf(const SurfaceSite& site) { return viewOf(site.document); }

// The mesh of a scaled copy, for checks at other magnitudes. Use a power of
// two so that co-circular and collinear points stay exactly so.
MeshView scaled(const MeshView& mesh, double factor);

// Plan points: x, y and z per point.
struct Xyz {
    double x, y, z;
};

std::vector<Xyz> randomPoints(int count, std::uint32_t seed, double size = 1000.0, double offsetX = 500000.0,
                              double offsetY = 4000000.0);
std::vector<Xyz> clusteredPoints(int count, std::uint32_t seed);
std::vector<Xyz> gridPoints(int columns, int rows, double spacing, double offsetX = 0.0, double offsetY = 0.0);

// The plan points of a PNEZD text file (number, northing, easting,
// elevation, description): lines without three numbers after the first are
// passed over.
std::vector<Xyz> readPnezdPoints(const std::string& path);

// Empties the document and fills it as a point file would: points with three
// spare records, extents, ready to be triangulated.
void loadPoints(SiteDocument& document, const std::vector<Xyz>& points);
void loadPoints(SurfaceSite& site, const std::vector<Xyz>& points);

// A surface given triangle by triangle, the triangulation
// marked done and, when `link`, the neighbour links made and marked done.
void setSurface(SurfaceSite& site, const std::vector<Xyz>& points, const std::vector<std::array<int, 3>>& triangles,
                bool link = true);

// Triangulates the usable points and links the triangles with the surface
// layer's own jobs, on this thread: duplicates leave the surface, the
// document's boundaries cut it, both stages end done, as the program's
// pipeline leaves them.
void buildSurface(SurfaceSite& site);

// Triangulates the points without threads (duplicate removal included) and
// returns the mesh of point indices.
MeshView triangulateDirect(const std::vector<Xyz>& points);

}  // namespace vellacor::testing
