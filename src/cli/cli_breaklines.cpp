#include "cli/cli_breaklines.h"

#include <cstdio>

#include "app/pipeline.h"
#include "app/site_model.h"
#include "cli/cli_ui.h"
#include "import/mapped_file.h"

namespace vellacor {

std::optional<BreaklinePairsResult> addBreaklinePairsFile(SiteModel& model, CliUi& ui, const std::string& path) {
    MappedFile file;
    if (!file.open(path)) {
        std::fprintf(stderr, "Unable to read breakline file: %s\n", path.c_str());
        return std::nullopt;
    }
    // Breaklines go into a finished surface, as a pick in the view does.
    buildSurfaceToCompletion(model, ui);
    BreaklinePairsResult result = addBreaklinePairs(model, file.bytes());
    for (const std::string& problem : result.problems) std::fprintf(stderr, "%s: %s\n", path.c_str(), problem.c_str());
    runPipelineToCompletion(model, ui);
    return result;
}

}  // namespace vellacor
