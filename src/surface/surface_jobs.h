#pragma once
#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

#include "model/background_job.h"
#include "model/surface_boundaries.h"
#include "model/survey_point.h"
#include "surface/surface_point.h"
#include "surface/surface_work.h"
#include "model/tin_triangle.h"

namespace vellacor {

// The survey points a triangulation uses, copied from the model when it starts
// so the worker never reads the live point array.
struct TriangulationInput {
    std::vector<SurfacePoint> points;
};

// A point left out of the surface as a duplicate of a later one, and the
// point the surface keeps at its place.
struct DuplicatePoint {
    std::int32_t point;
    std::int32_t kept;
};

struct TriangulationOutput {
    std::vector<TinTriangle> triangles;     // geometry and neighbour links filled
    std::vector<DuplicatePoint> duplicates;  // point indices left out, by the points kept for them
    // The triangles' digest: while the triangles still have it, the links
    // in them stand and the link stage need not find them again.
    std::uint64_t digest = 0;
};

// What a running triangulation reports to, and asks of, its caller.
class TriangulationMonitor {
public:
    virtual ~TriangulationMonitor() = default;
    // The fraction done; false stops the work.
    virtual bool carryOn(double fraction) = 0;
    // Whether to publish the growing mesh now.
    virtual bool meshDue() { return false; }
    // Takes the growing mesh; may hand back an old buffer to reuse.
    virtual void publishMesh(std::vector<MeshTriangle>& /*triangles*/) {}
    // The most triangles a published mesh holds: of a larger mesh, every
    // k-th triangle. A million show how far the build has come over the
    // whole site, at 12 MB a copy and a fraction of a second to draw.
    virtual std::size_t mostShownTriangles() const { return 1'000'000; }
    // Every point is in: no more meshes will be published.
    virtual void meshFinished() {}
};

// The whole triangulation of the input: duplicates out, Delaunay triangles of
// the rest, each with its corners and links. False when the monitor stopped it.
bool triangulate(TriangulationInput& input, TriangulationOutput& output, TriangulationMonitor& monitor);

// The neighbour-link stage's input: the document's triangle array, read
// only while the job runs (nothing may change or move it meanwhile), and
// whether the links in it are the triangulation's, recognised by its digest.
struct TopologyInput {
    const TinTriangle* triangles = nullptr;
    int triangleCount = 0;
    bool linksKnown = false;
    std::uint64_t knownDigest = 0;
    // Where the surface ends; with any, the points the triangles name (read
    // only while the job runs, as the triangles) and the trimmed surface is made.
    SurfaceBoundaries boundaries;
    std::span<const SurveyPoint> points;
    int pointCount = 0;
};

struct TopologyResult {
    const TinTriangle* triangles = nullptr;  // the array the links belong to
    int triangleCount = 0;
    // True when the links already in the triangles stand; otherwise `links`,
    // three per triangle, replace them.
    bool linksInTriangles = false;
    std::vector<std::int32_t> links;
    std::vector<HullEdge> hullEdges;
    // The boundaries took triangles away: these, their links in them, replace
    // the triangles, and the hull edges are theirs.
    bool trimmed = false;
    std::vector<TinTriangle> trimmedTriangles;
    std::uint64_t trimmedDigest = 0;  // of the trimmed triangles, whose links stand in them
};

// The triangulation worker's whole run: the triangles, with the growing mesh
// published to `snapshot` while it builds (and cleared at the end).
bool buildSurface(TriangulationInput& input, TriangulationOutput& output, const JobControl& control,
                  MeshSnapshot& snapshot);

// The neighbour-link worker's whole run.
bool linkSurface(TopologyInput& input, TopologyResult& result, const JobControl& control);

}  // namespace vellacor
