#include "cli/cli_volume.h"

#include <cstdio>
#include <optional>

#include "app/site_model.h"
#include "app/site_open.h"
#include "app/volume_commands.h"
#include "app/volume_report.h"
#include "cli/cli_args.h"
#include "cli/cli_boundaries.h"
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"

namespace vellacor {

int volumeCommand(const std::vector<std::string>& args) {
    const std::optional<CliArgs> o = parseCliArgs(args);
    if (!o || o->secondFile.empty() == !o->datum) return usageError();  // one comparison, not none or two
    CliUi ui(*o);
    SiteModel site;
    // The command line's boundaries cut the first surface only.
    if (!openFinishedSurface(site, ui, siteRequestOf(*o, o->file), kNoSurfaceToCompare)) return 1;
    SiteModel comparison;
    if (!o->secondFile.empty() &&
        !openFinishedSurface(comparison, ui, siteRequestOf(*o, o->secondFile, false), kNoSurfaceToCompare))
        return 1;
    // The isopach is traced as Save Isopach traces it.
    const VolumeQuestion question = o->isopach.empty() ? VolumeQuestion{o->datum, 0.0} : isopachQuestionOf(site, o->datum);
    const std::optional<VolumeTotals> totals =
        workOutVolumes(site, o->datum ? nullptr : &comparison, ui, question, planCornersOf(*o));
    if (!totals) return 1;
    std::fputs(volumeFigures(*totals).c_str(), stdout);
    if (o->isopach.empty()) return 0;
    const std::optional<std::string> saved = saveIsopach(site, ui, totals->isopach, o->isopach);
    if (!saved) return 1;
    std::printf("%s\n", saved->c_str());
    return 0;
}

}  // namespace vellacor
