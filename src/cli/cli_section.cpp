#include "cli/cli_section.h"

#include <cstdio>
#include <optional>

#include "app/document.h"
#include "app/site_model.h"
#include "app/surface_stages.h"
#include "cli/cli_args.h"
#include "cli/cli_boundaries.h"
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"
#include "model/file_replacement.h"
#include "section/section_dxf.h"

namespace vellacor {

namespace {

bool saveCsv(const SiteModel& model, const SectionLine& line, const std::string& path) {
    FileReplacement file(path);
    if (!file.file()) {
        std::fprintf(stderr, "Unable to open file for writing!\n\n%s\n", path.c_str());
        return false;
    }
    bool ok = writeSectionCsv(file.file(), linkedSurfaceOf(model), line);
    ok = ok && file.commit();  // a failed write leaves the target as it was
    if (!ok) std::fprintf(stderr, "Unable to write file:\n\n%s\n", path.c_str());
    return ok;
}

}  // namespace

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
    if (!siteSurfaceBuilt(model)) {
        std::fputs("The points give no surface to cut.\n", stderr);
        return 1;
    }
    if (!o->out.empty()) {
        if (!saveSectionTo(model, ui, line, o->out)) return 1;
        std::printf("Saved File:\n\n%s\n", fullPath(o->out).c_str());
    }
    if (!o->csv.empty()) {
        if (!saveCsv(model, line, o->csv)) return 1;
        std::printf("Saved File:\n\n%s\n", fullPath(o->csv).c_str());
    }
    return 0;
}

}  // namespace vellacor
