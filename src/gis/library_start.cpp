// The geospatial library's settings, made once for every reader and writer.
#include <cpl_conv.h>
#include <gdal.h>

#include <mutex>

#include "gis/gis_library.h"

namespace vellacor {

void startGisLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Opening a file reads that file and nothing else: no listing of its
        // folder for companions, and the network file systems fetch nothing
        // (no URL ends in this extension).
        CPLSetConfigOption("GDAL_DISABLE_READDIR_ON_OPEN", "EMPTY_DIR");
        CPLSetConfigOption("CPL_VSIL_CURL_ALLOWED_EXTENSIONS", ".no-network-access");
        CPLSetConfigOption("GDAL_HTTP_MAX_RETRY", "0");
        // No .aux.xml beside what is read or written.
        CPLSetConfigOption("GDAL_PAM_ENABLED", "NO");
        GDALAllRegister();
    });
}

}  // namespace vellacor
