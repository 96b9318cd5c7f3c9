// A small built site for the targets that need a surface: a 12 x 12 grid of
// points, every third row shifted half a step and every fifth point lifted,
// so the surface has ties, collinear runs and uneven slopes.
#pragma once
#include "app/pipeline.h"
#include "app/site_model.h"
#include "platform/silent_ui.h"

namespace vellacor::fuzzing {

inline constexpr int kFixtureSide = 12;
inline constexpr double kFixtureOrigin = 1000.0, kFixtureStep = 10.0;

inline void loadFixtureSite(SiteModel& m) {
    clearSite(m);
    SiteDocument& d = m.document;
    const int count = kFixtureSide * kFixtureSide;
    d.points.assign(static_cast<std::size_t>(count) + 3, SurveyPoint{});
    for (int i = 0; i < count; ++i) {
        const int row = i / kFixtureSide, column = i % kFixtureSide;
        SurveyPoint& p = d.points[static_cast<std::size_t>(i)];
        p.number = i + 1;
        p.easting = kFixtureOrigin + kFixtureStep * (column + (row % 3 == 0 ? 0.5 : 0.0));
        p.northing = kFixtureOrigin + kFixtureStep * row;
        p.elevation = 50.0 + (i % 5 == 0 ? 7.0 : 0.0) + 0.3 * column;
        p.useInSurface = true;
    }
    d.pointCount = count;
    d.pointFileFormat = PointFileFormat::PNEZD;
    d.pointsNeedTriangulation = true;
    d.documentLoaded = true;
    m.display.showTriangles = true;
    computeExtents(d);
    SilentUi ui;
    runPipelineToCompletion(m, ui);
}

}  // namespace vellacor::fuzzing
