#include "app/output_format.h"

#include <filesystem>

#include "model/utf8_text.h"

namespace vellacor {

namespace {

struct FormatRow {
    ExportFormat format;
    std::string_view name;       // the command line's
    std::string_view extension;  // what a file name ends in
    SaveChooser chooser;
};

// One row a format: every face of the program names and offers formats from here.
constexpr FormatRow kFormats[] = {
    {ExportFormat::Dxf, "dxf", ".dxf", {"dxf", "DXF (*.dxf)|*.dxf|All Files (*.*)|*.*||"}},
    {ExportFormat::LandXml, "landxml", ".xml", {"xml", "LandXML (*.xml)|*.xml|All Files (*.*)|*.*||"}},
    {ExportFormat::GeoPackage, "gpkg", ".gpkg", {"gpkg", "GeoPackage (*.gpkg)|*.gpkg|All Files (*.*)|*.*||"}},
    {ExportFormat::GeoJson, "geojson", ".geojson", {"geojson", "GeoJSON (*.geojson)|*.geojson|All Files (*.*)|*.*||"}},
    {ExportFormat::Shapefile, "shp", ".shp", {"shp", "Shapefile (*.shp)|*.shp|All Files (*.*)|*.*||"}},
    {ExportFormat::GeoTiff, "tif", ".tif", {"tif", "GeoTIFF DEM (*.tif)|*.tif|All Files (*.*)|*.*||"}},
    {ExportFormat::Points, "points", "", {"", "All Files (*.*)|*.*||"}},
};

const FormatRow& rowOf(ExportFormat format) {
    for (const FormatRow& row : kFormats)
        if (row.format == format) return row;
    return kFormats[0];
}

}  // namespace

SaveChooser saveChooserOf(ExportFormat format) { return rowOf(format).chooser; }

ExportFormat exportFormatForPath(const std::string& path) {
    const std::string extension = std::filesystem::path(path).extension().string();
    if (equalsIgnoringCase(extension, ".tiff")) return ExportFormat::GeoTiff;
    for (const FormatRow& row : kFormats)
        if (!row.extension.empty() && equalsIgnoringCase(extension, row.extension)) return row.format;
    return ExportFormat::Points;
}

std::optional<ExportFormat> exportFormatNamed(std::string_view name) {
    for (const FormatRow& row : kFormats)
        if (name == row.name) return row.format;
    return std::nullopt;
}

std::optional<GisFormat> gisFormatOf(ExportFormat format) {
    switch (format) {
        case ExportFormat::GeoPackage: return GisFormat::GeoPackage;
        case ExportFormat::GeoJson: return GisFormat::GeoJson;
        case ExportFormat::Shapefile: return GisFormat::Shapefile;
        case ExportFormat::GeoTiff: return GisFormat::GeoTiff;
        case ExportFormat::Dxf:
        case ExportFormat::LandXml:
        case ExportFormat::Points: break;
    }
    return std::nullopt;
}

}  // namespace vellacor
