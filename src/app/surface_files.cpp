#include "app/surface_files.h"

#include "app/breaklines.h"
#include "app/site_model.h"
#include "app/surface_stages.h"
#include "import/demo_surface.h"
#include "import/dxf_surface.h"
#include "import/elevation_raster.h"
#include "import/hgt_file.h"
#include "import/landxml_reader.h"
#include "import/raw_triangles.h"
#include "import/usgs_profiles.h"
#include "platform/ui.h"
#include "surface/repeated_faces.h"
#include "surface/tin_geometry.h"

namespace vellacor {

namespace {

constexpr int kTagErrorsPerRun = 3;
constexpr double kDemoPhaseStep = 0.05;

void adoptSurface(SiteModel& model, Ui& ui, SurfaceReadResult&& read) {
    SiteDocument& d = model.document;
    if (!read.message.empty()) ui.message(read.message);
    d.points = std::move(read.points);
    d.pointCount = static_cast<int>(d.points.size());
    d.skippedLines = std::move(read.skipped);
    d.coordinateSystem = std::move(read.coordinateSystem);
    d.boundaries.polygons = std::move(read.boundaries);
    if (!read.trianglesMade) return;
    // A face listed twice, or one without plan area, would be counted in
    // every area and volume and drawn twice: the surface is the file's faces without them.
    d.duplicateFaces = read.facesWithoutThreeCorners +
                       static_cast<int>(dropRepeatedAndEmptyFaces(d.points, read.triangles));
    d.triangles = std::move(read.triangles);
    d.triangleCount = static_cast<int>(d.triangles.size());
    d.triangulateStage.enabled = true;
    d.triangulateStage.running = false;
    d.triangulateStage.done = true;
}

bool loadLandXml(SiteModel& model, Ui& ui, const std::string& path) {
    std::optional<LandXmlReadResult> read = readLandXmlFile(path);
    if (!read) return false;  // no message of its own
    for (const std::string& error : read->tagErrors)
        if (model.landXmlTagErrorsShown < kTagErrorsPerRun) {
            ++model.landXmlTagErrorsShown;
            ui.message(error);
        }
    if (!read->succeeded()) return false;
    std::vector<std::vector<Vec3>> breaklines = std::move(read->surface.breaklines);
    adoptSurface(model, ui, std::move(read->surface));
    SiteDocument& d = model.document;
    if (d.triangleCount == 0) d.pointsNeedTriangulation = d.pointCount > 0;
    if (!breaklines.empty()) {
        addBreaklinesFromPolylines(model, breaklines);
        // The frame cycle's staged insertion makes them edges of the surface.
        d.breaklines.allInserted = false;
        d.breaklinesInserted = 0;
    }
    return true;
}

}  // namespace

bool loadSurfaceFile(SiteModel& model, Ui& ui, const std::string& path, PointFileFormat format) {
    switch (format) {
        case PointFileFormat::Hgt: adoptSurface(model, ui, readHgtFile(path)); return true;
        case PointFileFormat::UsgsDem:
            if (std::optional<SurfaceReadResult> read = readUsgsXyzFile(path))
                adoptSurface(model, ui, std::move(*read));
            return true;
        case PointFileFormat::Raw:
            if (std::optional<SurfaceReadResult> read = readRawTriangleFile(path))
                adoptSurface(model, ui, std::move(*read));
            model.display.showPoints = false;
            return true;
        case PointFileFormat::Demo: adoptSurface(model, ui, makeDemoSurface()); return true;
        case PointFileFormat::ElevationRaster: adoptSurface(model, ui, readElevationRaster(path)); return true;
        case PointFileFormat::LandXml: loadLandXml(model, ui, path); return true;
        default: return false;
    }
}

void adoptSurfaceRead(SiteModel& model, Ui& ui, SurfaceReadResult&& read) { adoptSurface(model, ui, std::move(read)); }

bool openDrawnSurface(SiteModel& model, Ui& ui, std::vector<SurveyPoint> surveyPoints,
                      std::span<const std::array<Vec3, 3>> faces) {
    adoptSurface(model, ui, surfaceOfFaces(std::move(surveyPoints), faces));
    model.document.pointsNeedTriangulation = false;
    model.display.showDxfOverlay = true;
    return model.document.pointCount > 0;
}

void stepDemoSurface(SiteModel& model) {
    SiteDocument& d = model.document;
    if (anyStageRunning(d) || model.work.volumes.job.active() ||
        model.work.cutFillDifference.active())
        return;  // a worker is reading the surface: the ripples wait a frame
    model.cycle.demoPhase -= kDemoPhaseStep;
    animateDemoSurface(validPoints(d), model.cycle.demoPhase);
    forgetReshapedSurface(model);
    model.renderer.redrawNeeded = true;
}

}  // namespace vellacor
