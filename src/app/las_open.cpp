#include "app/las_open.h"

#include <new>

#include "app/read_diagnostics_shown.h"
#include "export/gis_crs.h"
#include "import/las_file.h"
#include "import/prj_file.h"
#include "model/site_document.h"
#include "model/utf8_text.h"

namespace vellacor {

namespace {

// The system the file names: by code or WKT, or by GeoTIFF keys of its own
// that the geospatial library makes a system of; the ".prj" beside it when
// it names none that can be made out. Keys that come to nothing, with no
// ".prj" to stand in, are said.
std::string coordinateSystemOf(const LasCoordinateSystem& named, Ui& ui, const std::string& path) {
    if (!named.definition.empty()) return named.definition;
    const LasGeoKeys& keys = named.userDefinedKeys;
    if (!keys.directory.empty())
        if (std::string made = coordinateSystemOfGeoKeys(keys.directory, keys.doubles, keys.ascii); !made.empty())
            return made;
    std::string beside = readCompanionCoordinateSystem(path);
    if (beside.empty() && !keys.directory.empty())
        ui.message("The coordinate system the LAS file describes by GeoTIFF keys of its own could not be read: the "
                   "site has none.");
    return beside;
}

}  // namespace

PointClassesDialog pointClassesQuestion(const LasClassTally& tally) {
    PointClassesDialog dialog;
    for (int code = 0; code < kLasClassCount; ++code) {
        const auto at = static_cast<std::size_t>(code);
        if (tally.counts[at] == 0 && tally.withheld[at] == 0) continue;
        dialog.classes.push_back({code, lasClassName(code, tally.versionMinor), tally.counts[at], tally.withheld[at]});
        dialog.withheld += tally.withheld[at];
    }
    dialog.chosen = defaultClassesOf(dialog);
    return dialog;
}

std::vector<int> defaultClassesOf(const PointClassesDialog& question) {
    LasClassCounts kept{};
    for (const PointClassesDialog::Entry& entry : question.classes)
        if (entry.code >= 0 && entry.code < kLasClassCount)
            kept[static_cast<std::size_t>(entry.code)] = entry.count + (question.keepWithheld ? entry.withheld : 0);
    const LasClassChoice defaults = defaultLasClasses(kept);
    std::vector<int> chosen;
    for (const PointClassesDialog::Entry& entry : question.classes)
        if (entry.code >= 0 && entry.code < kLasClassCount && defaults[static_cast<std::size_t>(entry.code)])
            chosen.push_back(entry.code);
    return chosen;
}

LasClassAnswer chosenClasses(const PointClassesDialog& answer) {
    LasClassAnswer choice;
    for (const int code : answer.chosen)
        if (code >= 0 && code < kLasClassCount) choice.classes[static_cast<std::size_t>(code)] = true;
    choice.keepWithheld = answer.keepWithheld;
    return choice;
}

bool loadLasFile(SiteDocument& document, Ui& ui, const std::string& path) {
    std::optional<LasReadResult> read;
    try {
        read = readLasFile(path, [&ui, &document](const LasClassTally& tally) {
            PointClassesDialog dialog = pointClassesQuestion(tally);
            ui.run(dialog);  // closing it without OK keeps what it holds
            // Thinned once the site is in metres, as it finishes opening.
            document.thinCellAsked = dialog.thinCell;
            return chosenClasses(dialog);
        });
    } catch (const std::bad_alloc&) {
        document.pointCount = 0;
        ui.message("Unable to allocate memory for storing points!");
        return false;
    }
    if (!read) {
        ui.message("Unable to open point file!");
        return false;
    }
    showReadDiagnostics(ui, read->diagnostics);
    document.points = std::move(read->read.points);
    document.pointCount = read->read.pointCount;
    document.skippedLines = {};
    if (document.pointCount > 0) document.coordinateSystem = coordinateSystemOf(read->coordinateSystem, ui, path);
    return document.pointCount > 0;
}

}  // namespace vellacor
