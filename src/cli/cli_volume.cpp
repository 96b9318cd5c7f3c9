#include "cli/cli_volume.h"

#include <cstdio>
#include <optional>

#include "app/document.h"
#include "app/site_model.h"
#include "app/site_save.h"
#include "app/surface_finished.h"
#include "app/volume_commands.h"
#include "app/volume_report.h"
#include "cli/cli_args.h"
#include "cli/cli_boundaries.h"
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"

namespace vellacor {

namespace {

// Opens a file and builds its surface; false (the reason said) when either fails.
bool openSurface(SiteModel& model, CliUi& ui, const SiteRequest& request) {
    if (openSiteSurface(model, ui, request) != OpenResult::Loaded) return false;
    if (surfaceFinished(model.document)) return true;
    std::fprintf(stderr, "%s\n", kNoSurfaceToCompare);
    return false;
}

}  // namespace

int volumeCommand(const std::vector<std::string>& args) {
    const std::optional<CliArgs> o = parseCliArgs(args);
    if (!o || o->secondFile.empty() == !o->datum) return usageError();  // one comparison, not none or two
    CliUi ui(*o);
    SiteModel site;
    // The command line's boundaries cut the first surface only.
    if (!openSurface(site, ui, siteRequestOf(*o, o->file))) return 1;
    SiteModel comparison;
    if (!o->secondFile.empty() && !openSurface(comparison, ui, siteRequestOf(*o, o->secondFile, false))) return 1;
    VolumeRequest request;
    request.datum = o->datum;
    request.polygon = planCornersOf(*o);
    if (!o->isopach.empty()) request.isopachInterval = site.document.contours.contourInterval;
    const std::optional<VolumeTotals> totals =
        compareSiteVolumes(site, o->datum ? nullptr : &comparison, request);
    if (!totals || !(totals->area > 0)) {
        std::fprintf(stderr, "%s\n", kSurfacesDoNotOverlap);
        return 1;
    }
    std::fputs(volumeFigures(*totals).c_str(), stdout);
    if (o->isopach.empty()) return 0;
    if (!saveIsopachTo(site, ui, totals->isopach, o->isopach)) return 1;
    std::printf("%s\n", savedFileMessage(o->isopach).c_str());
    return 0;
}

}  // namespace vellacor
