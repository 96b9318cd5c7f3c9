// The geospatial module's two entry points: the tables the readers and the
// writers look up when they first need the library.
#include "export/gis_functions.h"
#include "gis/library_functions.h"
#include "import/raster_functions.h"

extern "C" [[gnu::visibility("default")]] const vellacor::RasterFunctions* vellacor_raster_functions() {
    static const vellacor::RasterFunctions functions{vellacor::rasterKnownByContent, vellacor::readRasterFile,
                                                     vellacor::readRasterBytes};
    return &functions;
}

extern "C" [[gnu::visibility("default")]] const vellacor::GisFunctions* vellacor_gis_functions() {
    static const vellacor::GisFunctions functions{vellacor::makeGisFilesWithLibrary, vellacor::releaseLibraryBuffer,
                                                  vellacor::libraryKnowsCoordinateSystem,
                                                  vellacor::libraryCoordinateSystemLabel};
    return &functions;
}
