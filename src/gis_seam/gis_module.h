#pragma once
#include <string>

#include "gis_seam/gis_module_table.h"

namespace vellacor {

// The geospatial library and the hundred-odd libraries it needs took every
// run of the program about a tenth of a second to load, most of it spent on
// sites that never use them. The code that uses it (elevation rasters, GIS
// files, coordinate systems) is therefore a module of its own, loaded the
// first time it is needed and kept for the rest of the run.
struct GisModule {
    const GisModuleFunctions* functions = nullptr;
    std::string problem;  // why there are none: the module is missing, broken or of another version
};

// Safe from any thread; the module is looked for once. It is found from the
// running program's folder: where it is installed, beside the program (a
// build tree), or one folder up (the test programs).
const GisModule& gisModule();

// The table of the module at `path`, once its version and size are those this
// program was built with; otherwise none, and why.
GisModule openGisModule(const std::string& path);

}  // namespace vellacor
