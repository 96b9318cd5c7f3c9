#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace vellacor {

// What the open document was read from. The tag is what the format question
// and the extension table exchange as text ("PNEZD", "RAW", ...).
enum class PointFileFormat {
    Unknown,   // nothing chosen yet: the user is asked
    PNEZD,     // number, northing, easting, elevation, description
    PENZD,     // number, easting, northing, elevation, description
    XYZ,       // easting, northing, elevation in threes, numbered in file order
    Raw,       // a list of triangles; points shared by position
    UsgsDem,   // USGS profile text, an elevation grid
    Hgt,       // an SRTM tile, an elevation grid
    Demo,      // the animated demonstration surface (any ".exe")
    Dxf,       // points and line work of a DXF drawing
    LandXml,   // LandXML points, faces and breaklines
    Dwg,       // refused: a DWG drawing cannot be read
    ElevationRaster,  // a raster of elevations (GeoTIFF, Esri ASCII grid, ...), an elevation grid
    Las,       // a LiDAR point cloud: the points of the chosen classes
};

// "PNEZD", "PENZD", "XYZ", "RAW", "USGS_DEM", "HGT", "EXE", "DXF", "XML", "DWG", "RASTER", "LAS", "UNKNOWN".
// The format question's "Elevation raster" is also read as "RASTER".
std::string_view formatTag(PointFileFormat format);

// The format of a tag, compared without regard to case; nothing for an unknown tag.
std::optional<PointFileFormat> formatFromTag(std::string_view tag);

// Grids are built in rows and need no neighbour-link stage of their own.
inline bool isElevationGrid(PointFileFormat f) {
    return f == PointFileFormat::UsgsDem || f == PointFileFormat::Hgt || f == PointFileFormat::ElevationRaster;
}

}  // namespace vellacor
