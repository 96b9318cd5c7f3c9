#include "app/gis_save.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <vector>

#include "app/document.h"
#include "app/site_model.h"
#include "export/gis_crs.h"
#include "model/file_replacement.h"

namespace vellacor {

GisOptions gisOptionsForParts(GisFormat format, const ExportParts& parts) {
    GisOptions options;
    options.format = format;
    options.parts = parts;
    options.layer = parts.points       ? GisLayer::Points
                    : parts.contours   ? GisLayer::Contours
                    : parts.breaklines ? GisLayer::Breaklines
                                       : GisLayer::Tin;
    return options;
}

bool askDemCellSize(const SiteModel& model, Ui& ui, GisOptions& options) {
    DemCellDialog dialog;
    dialog.cellSize = demCellSize(surfaceOf(model.document), 0.0);
    if (!ui.run(dialog) || !(dialog.cellSize > 0.0)) return false;
    options.cellSize = dialog.cellSize;
    return true;
}

bool saveGisTo(const SiteModel& model, Ui& ui, const std::string& path, const GisOptions& options) {
    // Nothing is made when the target cannot be written at all; its
    // replacement, opened now, then takes the bytes made for the target itself.
    auto targetReplacement = std::make_unique<FileReplacement>(path);
    if (!targetReplacement->file()) {
        ui.message("Unable to open file for writing!\n\n" + path);
        return false;
    }
    ui.setWaitCursor(true);
    GisWriteResult made;
    try {
        made = makeGisFiles(path, model.document, options);
    } catch (const std::bad_alloc&) {
        ui.setWaitCursor(false);
        fatalError(ui, "Unable to allocate memory for array!");
    }
    if (!made.refusal.empty()) {
        ui.setWaitCursor(false);
        ui.message(made.refusal);
        return false;
    }
    // Every file is written beside its target before any replaces one.
    std::vector<std::unique_ptr<FileReplacement>> replacements;
    bool ok = !made.files.empty();
    for (const GisFile& file : made.files) {
        if (!ok) break;
        const bool isTarget = targetReplacement && std::filesystem::path(file.path).filename() ==
                                                       std::filesystem::path(path).filename();
        replacements.push_back(isTarget ? std::move(targetReplacement) : std::make_unique<FileReplacement>(file.path));
        std::FILE* stream = replacements.back()->file();
        if (!stream) {
            ui.setWaitCursor(false);
            ui.message("Unable to open file for writing!\n\n" + file.path);
            return false;
        }
        ok = std::fwrite(file.data.get(), 1, file.size, stream) == file.size;
    }
    // All or nothing: a shapefile's parts are never left from two different saves.
    std::vector<FileReplacement*> group;
    for (const std::unique_ptr<FileReplacement>& replacement : replacements) group.push_back(replacement.get());
    ok = ok && commitTogether(group);
    ui.setWaitCursor(false);
    return reportIfUnwritten(ui, ok, path);
}

bool setCoordinateSystem(SiteModel& model, Ui& ui, const std::string& definition) {
    if (!isKnownCoordinateSystem(definition)) {
        ui.message("Unknown coordinate system:\n\n" + definition);
        return false;
    }
    model.document.coordinateSystem = definition;
    return true;
}

void coordinateSystemCommand(SiteModel& model, Ui& ui) {
    CoordinateSystemDialog dialog;
    dialog.definition = coordinateSystemLabel(model.document.coordinateSystem);
    if (!ui.run(dialog) || dialog.definition == coordinateSystemLabel(model.document.coordinateSystem)) return;
    setCoordinateSystem(model, ui, dialog.definition);
}

}  // namespace vellacor
