#pragma once
#include <string>

namespace vellacor {

// The geospatial library and the hundred-odd libraries it needs took every
// run of the program about a tenth of a second to load, most of it spent on
// sites that never use them. The code that uses it (elevation rasters, GIS
// files, coordinate systems) is therefore a module of its own, loaded the
// first time one of its symbols is asked for and kept for the rest of the run.
struct ModuleSymbol {
    void* address = nullptr;
    std::string problem;  // why there is none: the module could not be found or loaded
};

// Safe from any thread. The module is looked for where it is installed from
// the running program, beside it, one folder up, and where it was built.
ModuleSymbol gisModuleSymbol(const char* name);

// A table of the module's functions, as its entry point `symbol` returns it
// when handed `program` (what the module must share with the program): null,
// with the reason, when the module cannot be loaded.
template <class Table>
struct ModuleTable {
    const Table* functions = nullptr;
    std::string problem;
};

template <class Table>
ModuleTable<Table> gisModuleTable(const char* symbol, void* program) {
    ModuleTable<Table> table;
    const ModuleSymbol entry = gisModuleSymbol(symbol);
    if (entry.address)
        table.functions = reinterpret_cast<const Table* (*)(void*)>(entry.address)(program);
    else
        table.problem = entry.problem;
    return table;
}

}  // namespace vellacor
