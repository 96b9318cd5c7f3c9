#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "export/gis_crs.h"
#include "export/gis_export.h"
#include "import/surface_read.h"
#include "model/background_job.h"

// What the geospatial module does with the library, behind the program's own
// readers and writers (import/elevation_raster.h, export/gis_export.h,
// export/gis_crs.h), which reach these through the module's function tables.
namespace vellacor {

bool rasterKnownByContent(const std::string& path);
SurfaceReadResult readRasterFile(const std::string& path, const JobControl* control);
SurfaceReadResult readRasterBytes(std::string_view bytes);

GisWriteResult makeGisFilesWithLibrary(const std::string& target, const SiteDocument& document,
                                       const GisOptions& options);
void releaseLibraryBuffer(unsigned char* bytes);
bool libraryKnowsCoordinateSystem(const std::string& definition);
std::string libraryCoordinateSystemLabel(const std::string& definition);
std::string libraryCoordinateSystemOfGeoKeys(const std::vector<std::uint16_t>& directory, const std::vector<double>& doubles,
                                             const std::string& ascii);
bool libraryIsGeographic(const std::string& definition);
DegreeProjection libraryProjectFromDegrees(const std::string& definition, std::vector<double>& x, std::vector<double>& y);
LinearUnit libraryLinearUnit(const std::string& definition);

}  // namespace vellacor
