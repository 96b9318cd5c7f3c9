#include "cli/cli_gis.h"

#include <filesystem>

#include "app/gis_save.h"
#include "app/limit_polygon_edit.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "cli/cli_ui.h"
#include "model/utf8_text.h"

namespace vellacor {

namespace {

GisLayer layerNamed(const std::string& name) {
    for (const GisLayer layer : {GisLayer::Points, GisLayer::Contours, GisLayer::Breaklines, GisLayer::Tin})
        if (name == gisLayerName(layer)) return layer;
    return GisLayer::Points;  // the default, when --layer is not given
}

}  // namespace

std::optional<GisFormat> gisFormatOfKind(OutputKind kind) {
    switch (kind) {
        case OutputKind::GeoPackage: return GisFormat::GeoPackage;
        case OutputKind::GeoJson: return GisFormat::GeoJson;
        case OutputKind::Shapefile: return GisFormat::Shapefile;
        case OutputKind::GeoTiff: return GisFormat::GeoTiff;
        case OutputKind::Dxf:
        case OutputKind::LandXml:
        case OutputKind::Points: break;
    }
    return std::nullopt;
}

bool optionsSuitOutput(const CliArgs& o, OutputKind kind, bool partsChosen) {
    const bool oneLayer = kind == OutputKind::GeoJson || kind == OutputKind::Shapefile;
    if (!o.layer.empty() && !oneLayer) return false;
    if (o.cellSize && kind != OutputKind::GeoTiff) return false;
    // The library makes a shapefile's companions from a name ending in .shp only.
    if (kind == OutputKind::Shapefile && !equalsIgnoringCase(std::filesystem::path(o.out).extension().string(), ".shp"))
        return false;
    return !partsChosen || kind == OutputKind::Dxf || kind == OutputKind::LandXml || kind == OutputKind::GeoPackage;
}

bool exportGisFile(SiteModel& model, CliUi& ui, const CliArgs& o, GisFormat format,
                   const std::optional<ExportParts>& chosen) {
    GisOptions options;
    options.format = format;
    options.parts = chosen.value_or(
        ExportParts{model.document.pointCount > 0, true, !model.document.breaklines.empty(), true});
    options.layer = layerNamed(o.layer);
    options.cellSize = o.cellSize.value_or(0.0);
    const bool needsSurface =
        format == GisFormat::GeoTiff ||
        (format == GisFormat::GeoPackage ? options.parts.contours || options.parts.surface
                                         : options.layer == GisLayer::Contours || options.layer == GisLayer::Tin);
    if (needsSurface) buildSurfaceToCompletion(model, ui);
    if (!o.limitPolygon.empty()) limitContoursToPolygon(model, planCornersOf(o));
    return saveGisTo(model, ui, o.out, options);
}

}  // namespace vellacor
