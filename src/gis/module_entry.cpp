// The geospatial module's two entry points: the tables the readers and the
// writers look up when they first need the library. Each is handed the
// program's description pool, so that the points the module reads and writes
// carry the program's description numbers, not numbers of its own copy.
#include "export/gis_functions.h"
#include "gis/library_functions.h"
#include "import/raster_functions.h"
#include "model/description_pool.h"

extern "C" [[gnu::visibility("default")]] const vellacor::RasterFunctions* vellacor_raster_functions(
    void* programPool) {
    vellacor::adoptDescriptionPool(static_cast<vellacor::DescriptionPool*>(programPool));
    static const vellacor::RasterFunctions functions{vellacor::rasterKnownByContent, vellacor::readRasterFile,
                                                     vellacor::readRasterBytes};
    return &functions;
}

extern "C" [[gnu::visibility("default")]] const vellacor::GisFunctions* vellacor_gis_functions(void* programPool) {
    vellacor::adoptDescriptionPool(static_cast<vellacor::DescriptionPool*>(programPool));
    static const vellacor::GisFunctions functions{vellacor::makeGisFilesWithLibrary, vellacor::releaseLibraryBuffer,
                                                  vellacor::libraryKnowsCoordinateSystem,
                                                  vellacor::libraryCoordinateSystemLabel,
                                                  vellacor::libraryCoordinateSystemOfGeoKeys,
                                                  vellacor::libraryIsGeographic,
                                                  vellacor::libraryProjectFromDegrees,
                                                  vellacor::libraryLinearUnit};
    return &functions;
}
