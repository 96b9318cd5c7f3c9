#include "model/point_file_format.h"

#include <array>
#include <cctype>
#include <utility>

namespace vellacor {

namespace {

constexpr std::array<std::pair<PointFileFormat, std::string_view>, 11> kTags{{
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
}};

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::string_view formatTag(PointFileFormat format) {
    for (const auto& [f, tag] : kTags)
        if (f == format) return tag;
    return "UNKNOWN";
}

std::optional<PointFileFormat> formatFromTag(std::string_view tag) {
    for (const auto& [f, name] : kTags)
        if (sameIgnoringCase(name, tag)) return f;
    return std::nullopt;
}

}  // namespace vellacor
