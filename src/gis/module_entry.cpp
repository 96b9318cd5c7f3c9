// The geospatial module's one entry point: the table of all it does, which
// the program checks for its version before it uses it.
#include "gis/library_functions.h"
#include "gis_seam/gis_module_table.h"
#include "model/description_pool.h"

extern "C" [[gnu::visibility("default")]] const vellacor::GisModuleFunctions* vellacor_gis_module() {
    using namespace vellacor;
    static const GisModuleFunctions functions{kGisModuleVersion,
                                              static_cast<std::uint32_t>(sizeof(GisModuleFunctions)),
                                              adoptDescriptionPool,
                                              rasterKnownByContent,
                                              readRasterFile,
                                              readRasterBytes,
                                              makeGisFilesWithLibrary,
                                              releaseLibraryBuffer,
                                              libraryKnowsCoordinateSystem,
                                              libraryCoordinateSystemLabel,
                                              libraryCoordinateSystemOfGeoKeys,
                                              libraryIsGeographic,
                                              libraryProjectFromDegrees,
                                              libraryLinearUnit};
    return &functions;
}
