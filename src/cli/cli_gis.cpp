#include "cli/cli_gis.h"

#include <filesystem>

#include "model/utf8_text.h"

namespace vellacor {

bool optionsSuitOutput(const CliArgs& o, ExportFormat format, bool partsChosen) {
    const bool oneLayer = format == ExportFormat::GeoJson || format == ExportFormat::Shapefile;
    if (!o.layer.empty() && !oneLayer) return false;
    if (o.cellSize && format != ExportFormat::GeoTiff) return false;
    // The library makes a shapefile's companions from a name ending in .shp only.
    if (format == ExportFormat::Shapefile &&
        !equalsIgnoringCase(std::filesystem::path(o.out).extension().string(), ".shp"))
        return false;
    return !partsChosen || format == ExportFormat::Dxf || format == ExportFormat::LandXml ||
           format == ExportFormat::GeoPackage;
}

std::optional<GisLayer> layerOf(const CliArgs& o) {
    for (const GisLayer layer : {GisLayer::Points, GisLayer::Contours, GisLayer::Breaklines, GisLayer::Tin})
        if (o.layer == gisLayerName(layer)) return layer;
    return std::nullopt;
}

}  // namespace vellacor
