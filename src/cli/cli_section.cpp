#include "cli/cli_section.h"

#include <cstdio>
#include <optional>

#include "app/document.h"
#include "app/section_save.h"
#include "app/site_model.h"
#include "app/site_save.h"
#include "app/surface_finished.h"
#include "cli/cli_args.h"
#include "cli/cli_boundaries.h"
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"

namespace vellacor {

int sectionCommand(const std::vector<std::string>& args) {
    const std::optional<CliArgs> o = parseCliArgs(args);
    if (!o || !o->sectionFrom || !o->sectionTo || (o->out.empty() && o->csv.empty())) return usageError();
    SectionLine line;
    line.startX = o->sectionFrom->easting;
    line.startY = o->sectionFrom->northing;
    line.endX = o->sectionTo->easting;
    line.endY = o->sectionTo->northing;
    line.complete = true;
    SiteModel model;
    CliUi ui(*o);
    if (openSiteSurface(model, ui, siteRequestOf(*o, o->file)) != OpenResult::Loaded) return 1;
    if (!surfaceFinished(model.document)) {
        std::fputs("The points give no surface to cut.\n", stderr);
        return 1;
    }
    if (!o->out.empty()) {
        if (!saveSectionTo(model, ui, line, o->out)) return 1;
        std::printf("%s\n", savedFileMessage(o->out).c_str());
    }
    if (!o->csv.empty()) {
        if (!saveSectionTableTo(model, ui, line, o->csv)) return 1;
        std::printf("%s\n", savedFileMessage(o->csv).c_str());
    }
    return 0;
}

}  // namespace vellacor
