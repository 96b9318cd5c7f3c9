#include "cli/cli_section.h"

#include <cstdio>
#include <optional>

#include "app/section_save.h"
#include "app/site_model.h"
#include "app/site_open.h"
#include "cli/cli_args.h"
#include "cli/cli_boundaries.h"
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"

namespace vellacor {

int sectionCommand(const std::vector<std::string>& args) {
    const std::optional<CliArgs> o = parseCliArgs(args);
    if (!o || !o->sectionFrom || !o->sectionTo || (o->out.empty() && o->csv.empty())) return usageError();
    const SectionLine line =
        sectionLineBetween(o->sectionFrom->easting, o->sectionFrom->northing, o->sectionTo->easting, o->sectionTo->northing);
    SiteModel model;
    CliUi ui(*o);
    if (!openFinishedSurface(model, ui, siteRequestOf(*o, o->file), kNoSurfaceToCut)) return 1;
    if (!o->out.empty()) {
        const std::optional<std::string> saved = saveSectionDrawing(model, ui, line, o->out);
        if (!saved) return 1;
        std::printf("%s\n", saved->c_str());
    }
    if (!o->csv.empty()) {
        const std::optional<std::string> saved = saveSectionTable(model, ui, line, o->csv);
        if (!saved) return 1;
        std::printf("%s\n", saved->c_str());
    }
    return 0;
}

}  // namespace vellacor
