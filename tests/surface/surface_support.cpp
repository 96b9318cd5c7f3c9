#include "surface_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "surface/neighbour_links.h"
#include "surface/predicates.h"
#include "surface/surface_jobs.h"
#include "surface/tin_geometry.h"

namespace vellacor::testing {

namespace {

std::string describe(const char* what, std::size_t t) {
    std::ostringstream s;
    s << what << " (triangle " << t << ")";
    return s.str();
}

class Unstoppable : public TriangulationMonitor {
public:
    bool carryOn(double) override { return true; }
};

}  // namespace

std::vector<std::string> validate(const MeshView& mesh) {
    std::vector<std::string> problems;
    const std::size_t points = mesh.x.size();
    const std::size_t triangles = mesh.vertices.size() / 3;
    auto vertex = [&](std::size_t t, std::size_t k) { return static_cast<std::size_t>(mesh.vertices[3 * t + k % 3]); };
    auto orient = [&](std::size_t a, std::size_t b, std::size_t c) {
        return orient2d(mesh.x[a], mesh.y[a], mesh.x[b], mesh.y[b], mesh.x[c], mesh.y[c]);
    };

    std::vector<char> used(points, 0);
    std::map<std::pair<std::size_t, std::size_t>, int> edgeUse;
    std::map<std::size_t, std::size_t> hullNext;
    double area = 0.0;
    for (std::size_t t = 0; t < triangles && problems.size() < 20; ++t) {
        bool inRange = true;
        for (std::size_t k = 0; k < 3; ++k) inRange = inRange && mesh.vertices[3 * t + k] >= 0 && vertex(t, k) < points;
        if (!inRange) {
            problems.push_back(describe("vertex out of range", t));
            continue;
        }
        const std::size_t a = vertex(t, 0), b = vertex(t, 1), c = vertex(t, 2);
        used[a] = used[b] = used[c] = 1;
        if (orient(a, b, c) <= 0.0) problems.push_back(describe("not counter-clockwise", t));
        area +=
            ((mesh.x[b] - mesh.x[a]) * (mesh.y[c] - mesh.y[a]) - (mesh.x[c] - mesh.x[a]) * (mesh.y[b] - mesh.y[a])) / 2;
        for (std::size_t k = 0; k < 3; ++k) {
            const std::size_t p = vertex(t, k), q = vertex(t, k + 1);
            ++edgeUse[{std::min(p, q), std::max(p, q)}];
            const std::int32_t n = mesh.neighbours[3 * t + k];
            if (n == mesh.none) {
                if (hullNext.count(p)) problems.push_back(describe("two hull edges leave one vertex", t));
                hullNext[p] = q;
                continue;
            }
            bool twin = false;
            for (std::size_t j = 0; j < 3; ++j) {
                const auto u = static_cast<std::size_t>(n);
                if (vertex(u, j) == q && vertex(u, j + 1) == p &&
                    mesh.neighbours[3 * u + j] == static_cast<std::int32_t>(t)) {
                    twin = true;
                    const std::size_t opposite = vertex(u, j + 2);
                    if (incircle(mesh.x[a], mesh.y[a], mesh.x[b], mesh.y[b], mesh.x[c], mesh.y[c], mesh.x[opposite],
                                 mesh.y[opposite]) > 0.0)
                        problems.push_back(describe("neighbour's vertex inside the circumcircle", t));
                }
            }
            if (!twin) problems.push_back(describe("neighbour link not symmetric", t));
        }
    }
    for (const auto& [edge, count] : edgeUse)
        if (count > 2) problems.push_back("an edge is shared by more than two triangles");

    // The hull: one convex cycle through every edge without a neighbour.
    std::size_t hull = hullNext.size();
    if (hull > 0) {
        const std::size_t first = hullNext.begin()->first;
        std::size_t at = first, steps = 0;
        double hullArea = 0.0;
        do {
            const auto next = hullNext.find(at);
            if (next == hullNext.end()) break;
            const auto after = hullNext.find(next->second);
            if (after != hullNext.end() && orient(at, next->second, after->second) < 0.0)
                problems.push_back("hull not convex");
            const double ax = mesh.x[at] - mesh.x[first], ay = mesh.y[at] - mesh.y[first];
            const double bx = mesh.x[next->second] - mesh.x[first], by = mesh.y[next->second] - mesh.y[first];
            hullArea += (ax * by - bx * ay) / 2;
            at = next->second;
        } while (at != first && ++steps <= hull);
        if (at != first || steps + 1 != hull) problems.push_back("hull edges do not form one cycle");
        if (std::fabs(hullArea - area) > 1e-6 * std::fabs(hullArea))
            problems.push_back("areas do not add up to the hull's");
    }
    std::size_t vertices = 0;
    for (std::size_t i = 0; i < points; ++i) {
        vertices += used[i] ? 1 : 0;
        const bool expected = mesh.expectedVertex.empty() || mesh.expectedVertex[i];
        if (expected && !used[i] && triangles > 0) problems.push_back("a point is not a vertex");
        if (!expected && used[i]) problems.push_back("an excluded point is a vertex");
    }
    if (triangles > 0 && triangles != 2 * vertices - 2 - hull) problems.push_back("triangle count is not 2n - 2 - h");
    return problems;
}

SurfaceView linkedSurfaceOf(const SurfaceSite& site) {
    SurfaceView view = surfaceOf(site.document);
    if (site.hullTriangleCount == site.document.triangleCount) view.hullEdges = site.hullEdges;
    return view;
}

MeshView viewOf(const SiteDocument& document) {
    MeshView mesh;
    mesh.none = kNoTriangle;
    for (int i = 0; i < document.pointCount; ++i) {
        const SurveyPoint& p = document.points[static_cast<std::size_t>(i)];
        mesh.x.push_back(p.easting);
        mesh.y.push_back(p.northing);
        mesh.expectedVertex.push_back(p.useInSurface);
    }
    for (int t = 0; t < document.triangleCount; ++t)
        for (int k = 0; k < 3; ++k) {
            mesh.vertices.push_back(document.triangles[static_cast<std::size_t>(t)].vertex[k]);
            mesh.neighbours.push_back(document.triangles[static_cast<std::size_t>(t)].neighbour[k]);
        }
    return mesh;
}

MeshView scaled(const MeshView& mesh, double factor) {
    MeshView out = mesh;
    for (double& v : out.x) v *= factor;
    for (double& v : out.y) v *= factor;
    return out;
}

std::vector<Xyz> randomPoints(int count, std::uint32_t seed, double size, double offsetX, double offsetY) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<Xyz> points;
    for (int i = 0; i < count; ++i) {
        const double x = unit(random) * size, y = unit(random) * size;
        points.push_back({offsetX + x, offsetY + y, 100.0 + 0.01 * x + 0.02 * y});
    }
    return points;
}

std::vector<Xyz> clusteredPoints(int count, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> spread(0.0, 1.0);
    std::uniform_real_distribution<double> site(0.0, 1000.0);
    std::vector<Xyz> points;
    const Xyz centres[] = {
        {site(random), site(random), 0}, {site(random), site(random), 0}, {site(random), site(random), 0}};
    for (int i = 0; i < count; ++i) {
        const Xyz& c = centres[i % 3];
        const double scale = i % 3 == 0 ? 0.5 : 20.0;  // one tight cluster, two loose ones
        points.push_back({c.x + scale * spread(random), c.y + scale * spread(random), 50.0 + i % 7});
    }
    return points;
}

std::vector<Xyz> gridPoints(int columns, int rows, double spacing, double offsetX, double offsetY) {
    std::vector<Xyz> points;
    for (int i = 0; i < columns; ++i)
        for (int j = 0; j < rows; ++j) points.push_back({offsetX + i * spacing, offsetY + j * spacing, 10.0 + i + j});
    return points;
}

std::vector<Xyz> readPnezdPoints(const std::string& path) {
    std::ifstream in(path);
    std::vector<Xyz> points;
    std::string line;
    while (std::getline(in, line)) {
        std::replace(line.begin(), line.end(), ',', ' ');
        std::istringstream fields(line);
        std::string number;
        Xyz p{};
        if (fields >> number >> p.y >> p.x >> p.z) points.push_back(p);
    }
    return points;
}

void loadPoints(SiteDocument& d, const std::vector<Xyz>& points) {
    clearDocument(d);
    d.points.assign(points.size() + 3, SurveyPoint{});
    for (std::size_t i = 0; i < points.size(); ++i) {
        SurveyPoint& p = d.points[i];
        p.number = static_cast<std::int32_t>(i + 1);
        p.easting = points[i].x;
        p.northing = points[i].y;
        p.elevation = points[i].z;
        p.useInSurface = isValidElevation(p.elevation);
    }
    d.pointCount = static_cast<int>(points.size());
    d.pointFileFormat = PointFileFormat::PNEZD;
    d.pointsNeedTriangulation = true;
    d.documentLoaded = true;
    computeExtents(d);
}

void loadPoints(SurfaceSite& site, const std::vector<Xyz>& points) {
    loadPoints(site.document, points);
    site.hullEdges.clear();
    site.hullTriangleCount = 0;
    site.duplicatePoints.clear();
}

void setSurface(SurfaceSite& site, const std::vector<Xyz>& points, const std::vector<std::array<int, 3>>& triangles,
                bool link) {
    loadPoints(site, points);
    SiteDocument& d = site.document;
    d.pointsNeedTriangulation = false;
    d.triangles.assign(triangles.size(), TinTriangle{});
    for (std::size_t t = 0; t < triangles.size(); ++t)
        for (int k = 0; k < 3; ++k) d.triangles[t].vertex[k] = triangles[t][static_cast<std::size_t>(k)];
    d.triangleCount = static_cast<int>(triangles.size());
    d.triangulateStage.done = true;
    if (!link) return;
    std::vector<std::int32_t> links;
    linkNeighbours(d.triangles.data(), d.triangleCount, links, site.hullEdges, [](double) { return true; });
    site.hullTriangleCount = d.triangleCount;
    for (std::size_t t = 0; t < triangles.size(); ++t)
        for (std::size_t k = 0; k < 3; ++k) d.triangles[t].neighbour[k] = links[3 * t + k];
    d.contourStage.done = true;
}

void buildSurface(SurfaceSite& site) {
    SiteDocument& d = site.document;
    TriangulationInput input;
    for (int i = 0; i < d.pointCount; ++i) {
        const SurveyPoint& p = d.points[static_cast<std::size_t>(i)];
        if (p.useInSurface != 0 && isUsableCoordinate(p.easting) && isUsableCoordinate(p.northing))
            input.points.push_back({p.easting, p.northing, i});
    }
    const std::atomic<bool> cancelled{false};
    const JobControl control(cancelled, d.progress);
    TriangulationOutput output;
    MeshSnapshot snapshot;
    ASSERT_TRUE(vellacor::buildSurface(input, output, control, snapshot));
    for (const DuplicatePoint& p : output.duplicates) d.points[static_cast<std::size_t>(p.point)].useInSurface = 0;
    std::sort(output.duplicates.begin(), output.duplicates.end(),
              [](const DuplicatePoint& a, const DuplicatePoint& b) { return a.point < b.point; });
    site.duplicatePoints = std::move(output.duplicates);
    d.triangles = std::move(output.triangles);
    d.triangleCount = static_cast<int>(d.triangles.size());
    d.triangulateStage.done = d.triangulateStage.enabled = true;

    TopologyInput links{d.triangles.data(), d.triangleCount, true, output.digest, d.boundaries, d.points, d.pointCount};
    TopologyResult linked;
    ASSERT_TRUE(linkSurface(links, linked, control));
    if (linked.trimmed) {
        d.triangles = std::move(linked.trimmedTriangles);
        d.triangleCount = static_cast<int>(d.triangles.size());
    } else if (!linked.linksInTriangles)
        for (std::size_t t = 0; t < d.triangles.size(); ++t)
            for (std::size_t k = 0; k < 3; ++k) d.triangles[t].neighbour[k] = linked.links[3 * t + k];
    site.hullEdges = std::move(linked.hullEdges);
    site.hullTriangleCount = d.triangleCount;
    d.contourStage.done = d.contourStage.enabled = true;
}

MeshView triangulateDirect(const std::vector<Xyz>& points) {
    TriangulationInput input;
    for (std::size_t i = 0; i < points.size(); ++i)
        input.points.push_back({points[i].x, points[i].y, static_cast<std::int32_t>(i)});
    TriangulationOutput output;
    Unstoppable monitor;
    triangulate(input, output, monitor);
    MeshView mesh;
    mesh.none = kNoTriangle;
    for (const Xyz& p : points) {
        mesh.x.push_back(p.x);
        mesh.y.push_back(p.y);
    }
    mesh.expectedVertex.assign(points.size(), 1);
    for (const DuplicatePoint& d : output.duplicates) mesh.expectedVertex[static_cast<std::size_t>(d.point)] = 0;
    std::vector<HullEdge> hull;
    linkNeighbours(output.triangles.data(), static_cast<int>(output.triangles.size()), mesh.neighbours, hull,
                   [](double) { return true; });
    for (const TinTriangle& t : output.triangles) mesh.vertices.insert(mesh.vertices.end(), t.vertex, t.vertex + 3);
    return mesh;
}

}  // namespace vellacor::testing
