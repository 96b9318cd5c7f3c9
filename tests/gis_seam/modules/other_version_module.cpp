// A geospatial module built from other sources: its table is of a version
// no program of this tree was built with, and calling into it would crash.
#include "gis_seam/gis_module_table.h"

extern "C" [[gnu::visibility("default")]] const vellacor::GisModuleFunctions* vellacor_gis_module() {
    static const vellacor::GisModuleFunctions functions = [] {
        vellacor::GisModuleFunctions table{};
        table.version = vellacor::kGisModuleVersion + 1;
        table.size = static_cast<std::uint32_t>(sizeof(vellacor::GisModuleFunctions));
        return table;
    }();
    return &functions;
}
