#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "export/writers.h"
#include "model/site_document.h"

namespace vellacor {

// The GIS files Save As writes through the geospatial library.
enum class GisFormat { GeoPackage, GeoJson, Shapefile, GeoTiff };

// The layers of the vector formats: points (number, elevation, description),
// contours (elevation, major or minor), breaklines (the numbers of their two
// points) and the surface's triangles (their corner elevations), all with
// elevations in their geometry.
enum class GisLayer { Points, Contours, Breaklines, Tin };

struct GisOptions {
    GisFormat format = GisFormat::GeoPackage;
    ExportParts parts;                  // the layers of a GeoPackage
    GisLayer layer = GisLayer::Points;  // the one layer of a GeoJSON file or a shapefile
    double cellSize = 0;                // a DEM's cell side; 0: the default
};

// One file made: where it goes (the target, or for a shapefile the target's
// companions beside it) and its bytes.
struct GisFile {
    struct Release {
        void operator()(unsigned char* bytes) const;
    };
    std::string path;
    std::unique_ptr<unsigned char, Release> data;  // the library's own buffer, not copied
    std::size_t size = 0;
};

struct GisWriteResult {
    std::vector<GisFile> files;  // empty when nothing could be made
    std::string refusal;         // why the site cannot be written so; empty when the library failed
};

// The cells a DEM may have, and its default: the longer side in this many cells.
inline constexpr long long kMostDemCells = 100'000'000;
inline constexpr int kDefaultDemCellsAcross = 1000;

// The cell size a DEM gets when none is asked: the longer side of the
// surface's box in kDefaultDemCellsAcross cells.
double demCellSize(const SurfaceView& surface, double asked);

// A layer's name as written and as --layer takes it ("points", "contours",
// "breaklines", "tin").
const char* gisLayerName(GisLayer layer);

// Why a site without a coordinate system the library knows gets no GeoJSON file.
inline constexpr const char* kGeoJsonNeedsCoordinateSystem =
    "A GeoJSON file holds longitudes and latitudes, so it needs the site's coordinate system, "
    "and the site has none that is known. Give it one (--crs EPSG:N on the command line, "
    "File > Coordinate System... in the window) and save again.";

// Makes the files of `options.format` for the target path in the library's
// memory; nothing is written to the disk here. Contours are traced as the
// other writers trace them; the DEM samples the surface at each cell centre
// through the triangle grid. Every file carries the site's coordinate
// system when it has one the library understands; a GeoJSON file, whose
// coordinates are WGS 84 longitudes and latitudes with seven decimals (RFC
// 7946), is refused without one (kGeoJsonNeedsCoordinateSystem).
GisWriteResult makeGisFiles(const std::string& target, const SiteDocument& document, const GisOptions& options);

}  // namespace vellacor
