#pragma once
#include <chrono>
#include <cmath>
#include <random>
#include <vector>

#include "app/site_model.h"
#include "app/surface_stages.h"
#include "platform/silent_ui.h"

namespace vellacor::bench {

using vellacor::SilentUi;

struct PlanPoint {
    double x, y, z;
};

// Uniform random points over a 1000 x 1000 site in survey coordinates.
inline std::vector<PlanPoint> uniformPoints(int count, unsigned seed = 1) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1000.0);
    std::vector<PlanPoint> points(static_cast<std::size_t>(count));
    for (PlanPoint& p : points) {
        p.x = 500000.0 + unit(random);
        p.y = 4000000.0 + unit(random);
        p.z = 100.0 + 25.0 * std::sin(0.013 * (p.x - 500000.0)) * std::cos(0.011 * (p.y - 4000000.0)) +
              0.02 * (p.x - 500000.0);
    }
    return points;
}

// A regular grid with a spacing of 1: every four neighbours are co-circular.
inline std::vector<PlanPoint> gridPoints(int side) {
    std::vector<PlanPoint> points;
    points.reserve(static_cast<std::size_t>(side) * static_cast<std::size_t>(side));
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) points.push_back({500000.0 + i, 4000000.0 + j, 100.0 + 0.01 * (i + j)});
    return points;
}

// Fills the model as the point reader does: the points and three spare records.
inline void loadPoints(SiteModel& model, const std::vector<PlanPoint>& points) {
    clearSite(model);
    model.document.points.assign(points.size() + 3, SurveyPoint{});
    for (std::size_t i = 0; i < points.size(); ++i) {
        SurveyPoint& p = model.document.points[i];
        p.number = static_cast<std::int32_t>(i + 1);
        p.easting = points[i].x;
        p.northing = points[i].y;
        p.elevation = points[i].z;
        p.useInSurface = true;
    }
    model.document.pointCount = static_cast<int>(points.size());
    model.document.pointsNeedTriangulation = true;
    model.document.documentLoaded = true;
    computeExtents(model.document);
}

// Builds the loaded points' surface: both workers, started and adopted as the
// pipeline does, without its polling. Returns the seconds it took.
inline double buildLoadedSurface(SiteModel& model, Ui& ui) {
    const auto start = std::chrono::steady_clock::now();
    model.document.triangulateStage.running = true;
    startTriangulation(model, ui);
    model.work.triangulation.wait();
    adoptFinishedSurfaceWork(model, ui);
    model.document.contourStage.running = true;
    startTopology(model);
    model.work.topology.wait();
    adoptFinishedSurfaceWork(model, ui);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace vellacor::bench
