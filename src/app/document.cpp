#include "app/document.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>

#include "app/dxf_import.h"
#include "app/geographic_site.h"
#include "app/las_open.h"
#include "app/gis_save.h"
#include "app/output_format.h"
#include "app/read_diagnostics_shown.h"
#include "app/save_readiness.h"
#include "app/site_edits.h"
#include "app/site_model.h"
#include "app/site_save.h"
#include "app/surface_files.h"
#include "app/surface_stages.h"
#include "app/view_settings.h"
#include "export/writers.h"
#include "import/elevation_raster.h"
#include "import/las_file.h"
#include "import/point_file.h"
#include "import/prj_file.h"
#include "model/point_thinning.h"
#include "model/file_replacement.h"
#include "platform/ui.h"

namespace vellacor {

namespace {

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

void resetCameraForLoad(SiteModel& model) {
    model.camera.Reset();
    model.renderer.redrawNeeded = true;
    model.camera.OrbitTo(siteFrameOf(model.document), model.display.verticalScale, kLoadHeading);
}

}  // namespace

bool reportIfUnwritten(Ui& ui, bool written, const std::string& path) {
    if (!written) ui.message("Unable to write file:\n\n" + path);
    return written;
}

std::string fullPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full.string();
}

std::string displayName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

std::optional<PointFileFormat> formatForPath(const std::string& path) {
    using enum PointFileFormat;
    const std::string ext = upper(std::filesystem::path(path).extension().string());
    static const std::pair<const char*, PointFileFormat> table[] = {
        {".DCA", PENZD}, {".RAW", Raw},     {".XYZ", XYZ}, {".USGS_XYZ", UsgsDem}, {".EXE", Demo},
        {".DXF", Dxf},   {".XML", LandXml}, {".HGT", Hgt}, {".DWG", Dwg},
        {".LAS", Las},   {".LAZ", Las},
    };
    for (const auto& [e, format] : table)
        if (ext == e) return format;
    return std::nullopt;
}

std::optional<PointFileFormat> beginOpening(SiteModel& model, Ui& ui, const std::string& path,
                                            const std::optional<std::string>& format) {
    // The format is settled before anything of the open site changes, so that a
    // refused file leaves the site (and the order Save Points writes) as it was.
    std::optional<PointFileFormat> known = formatForPath(path);
    if (known == PointFileFormat::Dwg) {
        ui.message(
            "This program does not support the DWG format.\n\nTry opening a Survey Point or DXF file.\n\n(press H "
            "for more help)");
        return std::nullopt;
    }
    if (!known && isLasFile(path)) known = PointFileFormat::Las;
    if (!known && isElevationRaster(path)) known = PointFileFormat::ElevationRaster;
    if (!known) {
        SelectFormatDialog dialog;
        if (format)
            dialog.format = *format;
        else
            ui.run(dialog);  // closing it without OK keeps what it holds
        known = formatFromTag(dialog.format).value_or(PointFileFormat::Unknown);
    }
    model.document.pointFileFormat = *known;

    clearSite(model);
    model.overlays.dxfOverlay.reset();
    model.display.showDxfOverlay = false;
    model.document.breaklinesInserted = 0;
    return known;
}

namespace {

// Thins a site of points to one a square; keeps what it did for info.
void recordThinning(SiteDocument& d, double cell) {
    if (!d.pointsNeedTriangulation || d.triangleCount > 0 || !d.breaklines.empty()) return;
    d.pointsBeforeThinning = thinToLowestPerCell(d, cell).before;
}

// The site's extents and next point number from its points, the camera aimed
// at its centre.
void placeSite(SiteModel& model) {
    computeNextPointNumber(model.document);
    computeExtents(model.document);
    model.camera.target = {model.document.siteCentre.x, model.document.siteCentre.y, model.document.maxElevation};
}

}  // namespace

OpenResult finishOpening(SiteModel& model, Ui& ui, const std::string& path, bool loaded,
                         const std::string& coordinateSystem) {
    model.document.documentLoaded = loaded;
    if (!loaded) {
        ui.message("Unable to find any points in:\n\n" + displayName(path));
        clearSite(model);
        return OpenResult::Failed;
    }
    if (!coordinateSystem.empty() && !setCoordinateSystem(model, ui, coordinateSystem)) {
        model.document.documentLoaded = false;
        clearSite(model);
        return OpenResult::Failed;
    }
    projectSiteFromDegrees(model.document, ui);
    if (model.document.thinCellAsked > 0) recordThinning(model.document, model.document.thinCellAsked);
    placeSite(model);
    setAllDisplayMarks(model.document, PointMark::Ordinary);
    // Clearing the site went back to the first palette: the bitmap shows it too.
    if (model.renderer.frame.bitmapExists) recreateFrameBitmap(model);
    resetCameraForLoad(model);
    model.renderer.redrawNeeded = true;
    if (model.document.skippedLines.count > 0) ui.message(skippedLinesMessage(model.document.skippedLines));
    return OpenResult::Loaded;
}

OpenResult openDocument(SiteModel& model, Ui& ui, const std::string& path, const std::optional<std::string>& format,
                        const std::string& coordinateSystem, std::optional<double> thinCell) {
    if (!beginOpening(model, ui, path, format)) return OpenResult::Refused;
    bool loaded = false;
    try {
        loaded = loadByFormat(model, ui, path, model.document.pointFileFormat);
    } catch (const std::bad_alloc&) {
        fatalError(ui, "Unable to allocate memory for array!");
    }
    // After the read, whose class question may have answered a side of its own.
    if (thinCell) model.document.thinCellAsked = *thinCell;
    return finishOpening(model, ui, path, loaded, coordinateSystem);
}

bool loadByFormat(SiteModel& model, Ui& ui, const std::string& path, PointFileFormat format) {
    model.document.pointsNeedTriangulation = false;
    if (format == PointFileFormat::PNEZD || format == PointFileFormat::PENZD) {
        const PointLayout layout = format == PointFileFormat::PNEZD ? PointLayout::PNEZD : PointLayout::PENZD;
        const PointFileLoad load = readPointFile(model.document, path, layout);
        showReadDiagnostics(ui, load.diagnostics);
        if (!load.pointsRead) return false;
        model.document.pointsNeedTriangulation = true;
        model.document.coordinateSystem = readCompanionCoordinateSystem(path);
    } else if (format == PointFileFormat::XYZ) {
        showReadDiagnostics(ui, readXyzFile(model.document, path).diagnostics);
        model.document.pointsNeedTriangulation = true;
        model.document.coordinateSystem = readCompanionCoordinateSystem(path);
    } else if (format == PointFileFormat::Dxf) {
        if (!importDxf(model, ui, path, false)) return false;
    } else if (format == PointFileFormat::Las) {
        if (!loadLasFile(model.document, ui, path)) return false;
        model.document.pointsNeedTriangulation = true;
    } else {
        loadSurfaceFile(model, ui, path, format);
    }
    model.renderer.redrawNeeded = true;
    return model.document.pointCount > 0;
}

bool savePointsTo(const SiteModel& model, Ui& ui, const std::string& path) {
    // Nothing is touched on the disk until there is something to write.
    if (!model.document.documentLoaded) {
        ui.message("No points to save!");
        return false;
    }
    FileReplacement file(path);
    if (!file.file()) {
        ui.message("Unable to open file for writing!\n\n" + path);
        return false;
    }
    bool ok = writePointFile(file.file(), model.document);
    ok = ok && file.commit();  // a failed write leaves the target as it was
    return reportIfUnwritten(ui, ok, path);
}

void savePointsCommand(SiteModel& model, Ui& ui) {
    const SaveChooser chooser = saveChooserOf(ExportFormat::Points);
    const auto path = ui.chooseSaveFile(chooser.defaultExtension, chooser.filter, "");
    if (!path) return;
    SaveRequest points;
    points.format = ExportFormat::Points;
    saveSite(model, ui, *path, points);  // told only when it fails
}

bool saveAsCommand(SiteModel& model, Ui& ui) {
    SavingDialog dialog;
    const ExportParts ticked = defaultSaveParts(model.document);
    dialog.format = ExportFormat::Dxf;
    dialog.points = ticked.points;
    dialog.contours = ticked.contours;
    dialog.breaklines = ticked.breaklines;
    dialog.surface = ticked.surface;
    if (!ui.run(dialog)) return false;
    SaveRequest request;
    request.format = dialog.format;
    request.parts = ExportParts{dialog.points, dialog.contours, dialog.breaklines, dialog.surface};
    if (!anyPartChosen(request.parts)) {
        ui.message("Nothing was selected to be saved!");
        return false;
    }
    // The surface is finished before the user is asked anything more, so the
    // DEM's cell starts from the surface that will be saved.
    if (saveNeedsSurface(request) && !waitForSurfaceToSave(model, ui)) return false;
    if (gisFormatOf(request.format) == GisFormat::GeoTiff) {
        GisOptions cell;
        if (!askDemCellSize(model, ui, cell)) return false;
        request.cellSize = cell.cellSize;
    }
    const SaveChooser chooser = saveChooserOf(request.format);
    const auto path = ui.chooseSaveFile(chooser.defaultExtension, chooser.filter, "");
    if (!path) return false;
    const std::optional<std::string> saved = saveSite(model, ui, *path, request);
    if (saved) ui.message(*saved, MessageKind::Information);
    return saved.has_value();
}

bool saveAsTo(const SiteModel& model, Ui& ui, const std::string& path, ExportFormat format, const ExportParts& parts) {
    if (format == ExportFormat::Points) return savePointsTo(model, ui, path);
    if (const std::optional<GisFormat> gis = gisFormatOf(format))
        return saveGisTo(model, ui, path, gisOptionsForParts(*gis, parts));
    FileReplacement file(path);
    if (!file.file()) {
        ui.message("Unable to open file for writing!\n\n" + path);
        return false;
    }
    ui.setWaitCursor(true);
    bool ok = false;
    try {
        ok = format == ExportFormat::Dxf ? writeDxf(file.file(), model.document, parts)
                                         : writeLandXml(file.file(), model.document, parts);
    } catch (const std::bad_alloc&) {
        file.abandon();
        ui.setWaitCursor(false);
        fatalError(ui, "Unable to allocate memory for array!");
    }
    // Data still buffered reaches the disk only now, so a full disk may show here first.
    ok = ok && file.commit();  // a failed write leaves the target as it was
    ui.setWaitCursor(false);
    return reportIfUnwritten(ui, ok, path);
}

}  // namespace vellacor
