#pragma once
#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <memory>
#include <string>

// What the GIS writers share of the geospatial library.
namespace vellacor {

// The library's spatial reference for a site's definition ("EPSG:n" or WKT),
// axes in easting, northing order; null when empty or not understood.
std::unique_ptr<OGRSpatialReference> spatialReferenceOf(const std::string& definition);

// The library's complaints become results, not lines on the terminal, while
// one of these lives.
struct QuietLibrary {
    QuietLibrary() {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietLibrary() { CPLPopErrorHandler(); }
    QuietLibrary(const QuietLibrary&) = delete;
    QuietLibrary& operator=(const QuietLibrary&) = delete;
};

// The library's settings and drivers, made once, before any file is read or
// written: safe from any thread.
void startGisLibrary();

struct GisDatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using GisDataset = std::unique_ptr<GDALDataset, GisDatasetCloser>;

// A driver's creation options, "NAME=VALUE" each.
struct CreationOptions {
    char** list = nullptr;
    CreationOptions() = default;
    CreationOptions(const CreationOptions&) = delete;
    CreationOptions& operator=(const CreationOptions&) = delete;
    ~CreationOptions() { CSLDestroy(list); }
    void set(const char* name, const char* value) { list = CSLSetNameValue(list, name, value); }
};

}  // namespace vellacor
