#include "app/site_save.h"

#include "app/document.h"
#include "app/gis_save.h"
#include "app/output_format.h"
#include "app/save_readiness.h"
#include "app/site_model.h"

namespace vellacor {

namespace {

GisOptions gisOptionsOf(GisFormat format, const SaveRequest& request) {
    GisOptions options = gisOptionsForParts(format, request.parts);
    if (request.layer) options.layer = *request.layer;
    options.cellSize = request.cellSize;
    return options;
}

}  // namespace

bool anyPartChosen(const ExportParts& parts) {
    return parts.points || parts.contours || parts.breaklines || parts.surface;
}

ExportParts defaultSaveParts(const SiteDocument& d) {
    return ExportParts{d.pointCount > 0, d.triangleCount > 0, !d.breaklines.empty(), false};
}

bool saveNeedsSurface(const SaveRequest& request) {
    if (request.format == ExportFormat::Points) return false;
    if (const std::optional<GisFormat> gis = gisFormatOf(request.format)) {
        if (*gis == GisFormat::GeoTiff) return true;
        if (*gis != GisFormat::GeoPackage) {  // one layer
            const GisLayer layer = gisOptionsOf(*gis, request).layer;
            return layer == GisLayer::Contours || layer == GisLayer::Tin;
        }
    }
    return request.parts.contours || request.parts.surface;
}

SiteChange changesHeldBy(const SaveRequest& request) {
    if (request.format == ExportFormat::Points) return SiteChange::Points | SiteChange::Drawings;
    SiteChange held = SiteChange::Drawings;  // no file holds them: any save settles them
    bool points = request.parts.points, breaklines = request.parts.breaklines;
    if (const std::optional<GisFormat> gis = gisFormatOf(request.format); gis && *gis != GisFormat::GeoPackage) {
        const GisLayer layer = gisOptionsOf(*gis, request).layer;
        points = *gis != GisFormat::GeoTiff && layer == GisLayer::Points;
        breaklines = *gis != GisFormat::GeoTiff && layer == GisLayer::Breaklines;
    }
    if (request.format == ExportFormat::LandXml) {
        points = true;  // its CgPoints are always written
        if (request.parts.surface) held = held | SiteChange::Boundaries;  // written with the surface they cut
    }
    if (points) held = held | SiteChange::Points;
    if (breaklines) held = held | SiteChange::Breaklines;
    return held;
}

std::string savedFileMessage(const std::string& path) { return "Saved File:\n\n" + fullPath(path); }

std::optional<std::string> saveSite(SiteModel& model, Ui& ui, const std::string& path, const SaveRequest& request) {
    const ExportParts& parts = request.parts;
    bool saved = false;
    if (request.format == ExportFormat::Points) {
        saved = savePointsTo(model, ui, path);
    } else {
        if (!anyPartChosen(parts)) {
            ui.message("Nothing was selected to be saved!");
            return std::nullopt;
        }
        // Contours and triangles come from the finished surface, never from one half made.
        if (saveNeedsSurface(request) && !waitForSurfaceToSave(model, ui)) return std::nullopt;
        const std::optional<GisFormat> gis = gisFormatOf(request.format);
        saved = gis ? saveGisTo(model, ui, path, gisOptionsOf(*gis, request))
                    : saveAsTo(model, ui, path, request.format, parts);
    }
    if (!saved) return std::nullopt;
    markSiteSaved(model, changesHeldBy(request));
    return savedFileMessage(path);
}

}  // namespace vellacor
