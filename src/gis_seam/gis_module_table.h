#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/background_job.h"
#include "model/description_pool.h"
#include "model/site_document.h"

namespace vellacor {

// Records of the readers and writers that call through the table; the
// callers see them whole, the table only passes them on.
struct SurfaceReadResult;
struct GisOptions;
struct GisWriteResult;
struct DegreeProjection;
enum class LinearUnit;

// Raised whenever the table or a record that crosses it changes, so that a
// program never calls into a module built from other sources.
inline constexpr std::uint32_t kGisModuleVersion = 1;

// The module's one exported function: it returns its table, and does nothing else.
inline constexpr const char* kGisModuleEntry = "vellacor_gis_module";

// All the geospatial module does for the program: the elevation raster
// reader, the GIS writers and the coordinate systems.
struct GisModuleFunctions {
    // These two come first in every version: a program reads them before anything else.
    std::uint32_t version;
    std::uint32_t size;  // of the table, in bytes

    // The points the module reads and writes carry the program's description
    // numbers, not numbers of its own copy of the pool; called once, first.
    void (*sharePool)(DescriptionPool* programPool);

    bool (*rasterKnownByContent)(const std::string& path);
    SurfaceReadResult (*readRasterFile)(const std::string& path, const JobControl* control);
    SurfaceReadResult (*readRasterBytes)(std::string_view bytes);

    GisWriteResult (*makeGisFiles)(const std::string& target, const SiteDocument& document, const GisOptions& options);
    void (*releaseBuffer)(unsigned char* bytes);

    bool (*knowsCoordinateSystem)(const std::string& definition);
    std::string (*coordinateSystemLabel)(const std::string& definition);
    std::string (*coordinateSystemOfGeoKeys)(const std::vector<std::uint16_t>& directory,
                                             const std::vector<double>& doubles, const std::string& ascii);
    bool (*isGeographic)(const std::string& definition);
    DegreeProjection (*projectFromDegrees)(const std::string& definition, std::vector<double>& x,
                                           std::vector<double>& y);
    LinearUnit (*linearUnit)(const std::string& definition);
};

using GisModuleEntry = const GisModuleFunctions* (*)();

}  // namespace vellacor
