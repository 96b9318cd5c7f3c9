#include "cli/cli_ponds.h"

#include <cstdio>
#include <optional>

#include "app/document.h"
#include "app/site_model.h"
#include "app/surface_finished.h"
#include "app/surface_stages.h"
#include "cli/cli_args.h"
#include "cli/cli_boundaries.h"
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"
#include "water/pond_report.h"

namespace vellacor {

int pondsCommand(const std::vector<std::string>& args) {
    const std::optional<CliArgs> o = parseCliArgs(args);
    if (!o) return usageError();
    SiteModel model;
    CliUi ui(*o);
    if (openSiteSurface(model, ui, siteRequestOf(*o, o->file)) != OpenResult::Loaded) return 1;
    if (!surfaceFinished(model.document)) {
        std::fputs("The points give no surface to hold water.\n", stderr);
        return 1;
    }
    const SurfaceView surface = linkedSurfaceOf(model);
    const std::string report = pondReport(surface, fillPondsToSpill(surface));
    std::fputs(report.c_str(), stdout);
    return 0;
}

}  // namespace vellacor
