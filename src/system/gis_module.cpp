#include "system/gis_module.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

namespace vellacor {

namespace {

constexpr const char* kModuleName = "libvellacor_gis.so";

struct LoadedModule {
    void* handle = nullptr;
    std::string problem;
};

std::vector<std::string> candidatePaths() {
    // Installed, beside the program, one folder up (the test programs), then
    // where it was built.
    std::vector<std::string> paths;
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path folder = program.parent_path();
#ifdef VELLACOR_GIS_MODULE_FROM_PROGRAM
        paths.push_back((folder / VELLACOR_GIS_MODULE_FROM_PROGRAM / kModuleName).string());
#endif
        paths.push_back((folder / kModuleName).string());
        paths.push_back((folder.parent_path() / kModuleName).string());
    }
#ifdef VELLACOR_GIS_MODULE_PATH
    paths.emplace_back(VELLACOR_GIS_MODULE_PATH);
#endif
    return paths;
}

LoadedModule load() {
    LoadedModule module;
    for (const std::string& path : candidatePaths()) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) continue;
        module.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module.handle) return module;
        const char* why = dlerror();
        module.problem = why ? why : path + " could not be loaded";
        return module;
    }
    module.problem = std::string(kModuleName) + " was not found beside the program";
    return module;
}

}  // namespace

ModuleSymbol gisModuleSymbol(const char* name) {
    static std::once_flag once;
    static LoadedModule module;
    std::call_once(once, [] {
        module = load();
        // Said once, where a broken installation can be seen: what follows
        // (a raster taken for something else, a system called unknown) would
        // not say why.
        if (!module.handle)
            std::fprintf(stderr, "The geospatial module could not be loaded (%s): elevation rasters, GIS files and "
                                 "coordinate systems are unavailable.\n",
                         module.problem.c_str());
    });
    ModuleSymbol symbol;
    if (!module.handle) {
        symbol.problem = module.problem;
        return symbol;
    }
    symbol.address = dlsym(module.handle, name);
    if (!symbol.address) symbol.problem = std::string(name) + " is missing from " + kModuleName;
    return symbol;
}

}  // namespace vellacor
