#include "gis_seam/gis_module.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

namespace vellacor {

namespace {

constexpr const char* kModuleName = "libvellacor_gis.so";

// Only paths from the program's own folder, so that an installed tree works
// wherever it is moved and never reaches into the folder it was built in.
std::vector<std::filesystem::path> candidatePaths() {
    std::vector<std::filesystem::path> paths;
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return paths;
    const std::filesystem::path folder = program.parent_path();
#ifdef VELLACOR_GIS_MODULE_FROM_PROGRAM
    paths.push_back(folder / VELLACOR_GIS_MODULE_FROM_PROGRAM / kModuleName);
#endif
    paths.push_back(folder / kModuleName);
    paths.push_back(folder.parent_path() / kModuleName);
    return paths;
}

GisModule load() {
    for (const std::filesystem::path& path : candidatePaths()) {
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error)) return openGisModule(path.string());
    }
    GisModule missing;
    missing.problem = std::string(kModuleName) + " was not found beside the program";
    return missing;
}

}  // namespace

GisModule openGisModule(const std::string& path) {
    GisModule module;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        module.problem = why ? why : path + " could not be loaded";
        return module;
    }
    const auto entry = reinterpret_cast<GisModuleEntry>(dlsym(handle, kGisModuleEntry));
    const GisModuleFunctions* table = entry ? entry() : nullptr;
    if (!table) {
        module.problem = path + " is not a geospatial module this program can use";
    } else if (table->version != kGisModuleVersion || table->size != sizeof(GisModuleFunctions)) {
        module.problem = path + " is of version " + std::to_string(table->version) + " (" +
                         std::to_string(table->size) + " bytes), this program needs version " +
                         std::to_string(kGisModuleVersion) + " (" + std::to_string(sizeof(GisModuleFunctions)) +
                         " bytes)";
    } else {
        table->sharePool(programDescriptionPool());
        module.functions = table;
        return module;
    }
    dlclose(handle);
    return module;
}

const GisModule& gisModule() {
    static const GisModule module = [] {
        GisModule loaded = load();
        // Said once, where a broken installation can be seen: what follows
        // (a raster taken for something else, a system called unknown) would
        // not say why.
        if (!loaded.functions)
            std::fprintf(stderr,
                         "The geospatial module could not be loaded (%s): elevation rasters, GIS files and "
                         "coordinate systems are unavailable.\n",
                         loaded.problem.c_str());
        return loaded;
    }();
    return module;
}

}  // namespace vellacor
