#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "model/breakline_list.h"
#include "model/contour_settings.h"
#include "model/point_file_format.h"
#include "model/stage.h"
#include "model/surface_boundaries.h"
#include "model/survey_point.h"
#include "model/surface_view.h"
#include "model/tin_triangle.h"

namespace vellacor {

inline constexpr double kNoElevation = 99999999.0;  // the extents of a site without elevations

enum class StageId { Triangulate = 0, Contour, Shading, DwfOverlay, DxfOverlay };
inline constexpr int kStageCount = 5;

// The loaded site itself: what is read from and written to files, the surface
// built from it, and the stages of the background work that builds it.
struct SiteDocument {
    // Points: the vector's size is the allocation (with spare records),
    // pointCount the valid records.
    std::vector<SurveyPoint> points;
    int pointCount = 0;
    SkippedLines skippedLines;  // of the point file last read
    // Faces of the file read that were left out: repeated, or with no plan area.
    int duplicateFaces = 0;
    // The points before thinning (one kept a square), or 0 when not thinned;
    // the square's side the open was asked to thin to, 0 for none.
    int pointsBeforeThinning = 0;
    double thinCellAsked = 0;
    std::vector<TinTriangle> triangles;
    int triangleCount = 0;

    Vec3 siteCentre;
    double siteSize = 1.0;
    double minElevation = kNoElevation;
    double maxElevation = kNoElevation;

    bool documentLoaded = false;
    PointFileFormat pointFileFormat = PointFileFormat::Unknown;
    bool pointsNeedTriangulation = false;
    int nextPointNumber = 0;
    // The coordinate system the site's eastings and northings are in, as the
    // file or the user named it ("EPSG:2193" or WKT text); empty when unknown.
    std::string coordinateSystem;

    ContourSettings contours;
    BreaklineList breaklines;
    int breaklinesInserted = 0;
    SurfaceBoundaries boundaries;  // where the surface ends, applied after the breaklines

    // Background stages and the one progress value the status line shows.
    StageTriple triangulateStage;
    StageTriple contourStage;  // the neighbour links ("Topology")
    StageTriple shadingStage;
    StageTriple dwfOverlayStage;
    StageTriple dxfOverlayStage;
    std::atomic<double> progress{0.0};
};

StageTriple& stageOf(SiteDocument& document, StageId stage);
bool anyStageRunning(const SiteDocument& document);

// Whether p names one of the loaded points: indices kept in breaklines,
// triangles and edits are checked with it before they are read.
inline bool isPointIndex(const SiteDocument& d, int p) { return p >= 0 && p < d.pointCount; }
inline const SurveyPoint& pointAt(const SiteDocument& d, int p) { return d.points[static_cast<std::size_t>(p)]; }
inline SurveyPoint& pointAt(SiteDocument& d, int p) { return d.points[static_cast<std::size_t>(p)]; }

// The surface algorithms' view of the document's points and triangles.
inline SurfaceView surfaceOf(const SiteDocument& d) {
    return {d.points, d.pointCount, d.triangles, d.triangleCount, {}};
}

void computeExtents(SiteDocument& document);
void computeNextPointNumber(SiteDocument& document);
// Empties the document: no points, no triangles, settings and stages as new.
void clearDocument(SiteDocument& document);
void setAllDisplayMarks(SiteDocument& document, PointMark mark);

}  // namespace vellacor
