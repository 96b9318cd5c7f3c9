#pragma once
#include <ogr_spatialref.h>

#include <memory>
#include <string>

namespace vellacor {

// The library's spatial reference for a site's definition ("EPSG:n" or WKT),
// axes in easting, northing order; null when empty or not understood.
std::unique_ptr<OGRSpatialReference> spatialReferenceOf(const std::string& definition);

// The library's drivers, registered once.
void registerGisDrivers();

}  // namespace vellacor
