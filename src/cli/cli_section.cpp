#include "cli/cli_section.h"

#include <cstdio>
#include <optional>

#include "app/document.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "app/surface_stages.h"
#include "cli/cli_args.h"
#include "cli/cli_ui.h"
#include "section/section_dxf.h"

namespace vellacor {

namespace {

struct SectionOptions {
    std::string file;
    std::string format = "PNEZD";
    std::string dxf;
    std::string csv;
    SectionLine line;
};

// "E,N": two numbers split at the first comma.
bool parsePlanPoint(const std::string& text, double& e, double& n) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) return false;
    const auto east = parseNumber(text.substr(0, comma), -1e15, 1e15);
    const auto north = parseNumber(text.substr(comma + 1), -1e15, 1e15);
    if (!east || !north) return false;
    e = *east;
    n = *north;
    return true;
}

bool parseSection(const std::vector<std::string>& args, SectionOptions& o) {
    bool from = false, to = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--from" && hasValue) {
            if (!(from = parsePlanPoint(args[++i], o.line.startX, o.line.startY))) return false;
        } else if (a == "--to" && hasValue) {
            if (!(to = parsePlanPoint(args[++i], o.line.endX, o.line.endY))) return false;
        } else if (a == "--out" && hasValue) {
            o.dxf = args[++i];
        } else if (a == "--csv" && hasValue) {
            o.csv = args[++i];
        } else if (a == "--format" && hasValue) {
            o.format = args[++i];
            if (!isPointLayoutName(o.format)) return false;
        } else if (!a.empty() && a[0] == '-') {
            return false;
        } else if (o.file.empty()) {
            o.file = a;
        } else {
            return false;
        }
    }
    o.line.complete = true;
    return !o.file.empty() && from && to && (!o.dxf.empty() || !o.csv.empty());
}

bool saveCsv(const SiteModel& model, const SectionLine& line, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "Unable to open file for writing!\n\n%s\n", path.c_str());
        return false;
    }
    bool ok = writeSectionCsv(file, linkedSurfaceOf(model), line);
    ok = (std::fclose(file) == 0) && ok;
    if (!ok) std::fprintf(stderr, "Unable to write file:\n\n%s\n", path.c_str());
    return ok;
}

}  // namespace

int sectionCommand(const std::vector<std::string>& args) {
    SectionOptions o;
    if (!parseSection(args, o)) return usageError();
    SiteModel model;
    CliUi ui(o.format);
    if (openDocument(model, ui, o.file) != OpenResult::Loaded) return 1;
    if (!surfaceNeeded(model)) model.display.surfaceMode = SurfaceMode::Flat;  // the flat surface asks for the triangles
    runPipelineToCompletion(model, ui);
    if (!model.document.contourStage.done) {
        std::fputs("The points give no surface to cut.\n", stderr);
        return 1;
    }
    if (!o.dxf.empty()) {
        if (!saveSectionTo(model, ui, o.line, o.dxf)) return 1;
        std::printf("Saved File:\n\n%s\n", fullPath(o.dxf).c_str());
    }
    if (!o.csv.empty()) {
        if (!saveCsv(model, o.line, o.csv)) return 1;
        std::printf("Saved File:\n\n%s\n", fullPath(o.csv).c_str());
    }
    return 0;
}

}  // namespace vellacor
