#pragma once
#include <string>

#include "export/gis_export.h"

class OGRSpatialReference;

namespace vellacor {

// Writes the layers of a GeoPackage, or the one layer of a GeoJSON file or a
// shapefile, to `path` (a name in the library's memory file system). False
// when the library fails. Time: the points, the breaklines, the triangles and
// the traced contours' vertices.
bool writeGisVectors(const std::string& path, const SiteDocument& document, const GisOptions& options,
                     const OGRSpatialReference* reference);

}  // namespace vellacor
