#include "app/section_save.h"

#include <new>

#include "app/document.h"
#include "app/site_model.h"
#include "app/site_save.h"
#include "app/surface_stages.h"
#include "model/file_replacement.h"
#include "platform/ui.h"
#include "section/section_dxf.h"

namespace vellacor {

namespace {

// Opens the target's replacement, runs `write` on it and commits it.
template <typename Write>
bool writeReplacing(Ui& ui, const std::string& path, Write write) {
    FileReplacement file(path);
    if (!file.file()) {
        ui.message("Unable to open file for writing!\n\n" + path);
        return false;
    }
    bool ok = false;
    try {
        ok = write(file.file());
    } catch (const std::bad_alloc&) {
        file.abandon();
        fatalError(ui, "Unable to allocate memory for array!");
    }
    ok = ok && file.commit();  // a failed write leaves the target as it was
    return reportIfUnwritten(ui, ok, path);
}

}  // namespace

SectionLine sectionLineBetween(double startEasting, double startNorthing, double endEasting, double endNorthing) {
    SectionLine line;
    line.startX = startEasting;
    line.startY = startNorthing;
    line.endX = endEasting;
    line.endY = endNorthing;
    line.complete = true;
    return line;
}

std::optional<std::string> saveSectionDrawing(const SiteModel& model, Ui& ui, const SectionLine& section,
                                              const std::string& path) {
    const SiteDocument& d = model.document;
    if (!writeReplacing(ui, path, [&](std::FILE* file) {
            return writeSectionDxf(file, linkedSurfaceOf(model),
                                   {d.siteCentre, d.siteSize, d.minElevation, d.maxElevation}, section);
        }))
        return std::nullopt;
    return savedFileMessage(path);
}

std::optional<std::string> saveSectionTable(const SiteModel& model, Ui& ui, const SectionLine& section,
                                            const std::string& path) {
    if (!writeReplacing(ui, path,
                        [&](std::FILE* file) { return writeSectionCsv(file, linkedSurfaceOf(model), section); }))
        return std::nullopt;
    return savedFileMessage(path);
}

}  // namespace vellacor
