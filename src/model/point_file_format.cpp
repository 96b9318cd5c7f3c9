#include "model/point_file_format.h"

#include <array>
#include <utility>

#include "model/utf8_text.h"

namespace vellacor {

namespace {

constexpr std::array<std::pair<PointFileFormat, std::string_view>, 14> kTags{{
    {PointFileFormat::Unknown, "UNKNOWN"},
    {PointFileFormat::PNEZD, "PNEZD"},
    {PointFileFormat::PENZD, "PENZD"},
    {PointFileFormat::XYZ, "XYZ"},
    {PointFileFormat::Raw, "RAW"},
    {PointFileFormat::UsgsDem, "USGS_DEM"},
    {PointFileFormat::Hgt, "HGT"},
    {PointFileFormat::Demo, "EXE"},
    {PointFileFormat::Dxf, "DXF"},
    {PointFileFormat::LandXml, "XML"},
    {PointFileFormat::Dwg, "DWG"},
    {PointFileFormat::ElevationRaster, "RASTER"},
    {PointFileFormat::ElevationRaster, "Elevation raster"},  // the format question's entry
    {PointFileFormat::Las, "LAS"},
}};


}  // namespace

std::string_view formatTag(PointFileFormat format) {
    for (const auto& [f, tag] : kTags)
        if (f == format) return tag;
    return "UNKNOWN";
}

std::optional<PointFileFormat> formatFromTag(std::string_view tag) {
    for (const auto& [f, name] : kTags)
        if (equalsIgnoringCase(name, tag)) return f;
    return std::nullopt;
}

}  // namespace vellacor
