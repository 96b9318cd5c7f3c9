#include "cli/cli_ponds.h"

#include <cstdio>
#include <optional>

#include "app/pond_listing.h"
#include "app/site_model.h"
#include "app/site_open.h"
#include "cli/cli_args.h"
#include "cli/cli_boundaries.h"
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"

namespace vellacor {

int pondsCommand(const std::vector<std::string>& args) {
    const std::optional<CliArgs> o = parseCliArgs(args);
    if (!o) return usageError();
    SiteModel model;
    CliUi ui(*o);
    if (!openFinishedSurface(model, ui, siteRequestOf(*o, o->file), kNoSurfaceToHoldWater)) return 1;
    std::fputs(pondListingOf(model).c_str(), stdout);
    return 0;
}

}  // namespace vellacor
