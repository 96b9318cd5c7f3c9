#include "app/window_open.h"

#include <new>
#include <utility>

#include "app/site_model.h"
#include "app/surface_files.h"
#include "import/elevation_raster.h"
#include "platform/ui.h"

namespace vellacor {

OpenResult openDocumentInWindow(SiteModel& model, Ui& ui, const std::string& path,
                                const std::optional<std::string>& format) {
    const std::optional<PointFileFormat> known = beginOpening(model, ui, path, format);
    if (!known) return OpenResult::Refused;
    if (*known != PointFileFormat::ElevationRaster) {
        bool loaded = false;
        try {
            loaded = loadByFormat(model, ui, path, *known);
        } catch (const std::bad_alloc&) {
            fatalError(ui, "Unable to allocate memory for array!");
        }
        return finishOpening(model, ui, path, loaded, {});
    }
    // Nothing is shown of the site emptied for the file until it is read.
    model.document.documentLoaded = false;
    // The worker writes only its own result and the progress; the path stays here.
    model.work.openingPath = path;
    model.work.openingProgress.store(0.0);
    model.work.opening.start(model.work.openingProgress, [path](SurfaceReadResult& read, const JobControl& control) {
        read = readElevationRaster(path, &control);
        return !control.cancelled();
    });
    model.renderer.redrawNeeded = true;
    return OpenResult::Reading;
}

std::optional<OpenResult> adoptOpenedDocument(SiteModel& model, Ui& ui) {
    std::optional<JobOutcome<SurfaceReadResult>> outcome = model.work.opening.adopt();
    if (!outcome) return std::nullopt;
    const std::string path = std::exchange(model.work.openingPath, {});
    model.renderer.redrawNeeded = true;
    if (outcome->outOfMemory) fatalError(ui, "Unable to allocate memory for array!");
    if (!outcome->complete) {
        ui.message("Opening was cancelled.", MessageKind::Information);
        model.document.documentLoaded = false;
        clearSite(model);
        return OpenResult::Failed;
    }
    // As loadByFormat after the raster's read.
    model.document.pointsNeedTriangulation = false;
    adoptSurfaceRead(model, ui, std::move(outcome->result));
    return finishOpening(model, ui, path, model.document.pointCount > 0, {});
}

std::optional<std::string> pathBeingOpened(const SiteModel& model) {
    if (!model.work.opening.active()) return std::nullopt;
    return model.work.openingPath;
}

std::optional<std::string> openingProgressMessage(const SiteModel& model) {
    if (!model.work.opening.active()) return std::nullopt;
    return std::string("Reading Raster");
}

void cancelOpening(SiteModel& model) { model.work.opening.requestCancel(); }

}  // namespace vellacor
