#include "app/las_open.h"

#include <filesystem>
#include <new>

#include "app/read_diagnostics_shown.h"
#include "import/las_file.h"
#include "model/site_document.h"
#include "model/utf8_text.h"

namespace vellacor {

namespace {

bool hasCompressedExtension(const std::string& path) {
    return equalsIgnoringCase(std::filesystem::path(path).extension().string(), ".laz");
}

}  // namespace

PointClassesDialog pointClassesQuestion(const LasClassCounts& counts) {
    PointClassesDialog dialog;
    const LasClassChoice defaults = defaultLasClasses(counts);
    for (int code = 0; code < kLasClassCount; ++code) {
        const auto at = static_cast<std::size_t>(code);
        if (counts[at] == 0) continue;
        dialog.classes.push_back({code, lasClassName(code), counts[at]});
        if (defaults[at]) dialog.chosen.push_back(code);
    }
    return dialog;
}

LasClassChoice chosenClasses(const PointClassesDialog& answer) {
    LasClassChoice choice{};
    for (const int code : answer.chosen)
        if (code >= 0 && code < kLasClassCount) choice[static_cast<std::size_t>(code)] = true;
    return choice;
}

bool loadLasFile(SiteDocument& document, Ui& ui, const std::string& path) {
    if (hasCompressedExtension(path)) {
        ui.message(kCompressedLasMessage);
        return false;
    }
    std::optional<LasReadResult> read;
    try {
        read = readLasFile(path, [&ui](const LasClassCounts& counts) {
            PointClassesDialog dialog = pointClassesQuestion(counts);
            ui.run(dialog);  // closing it without OK keeps what it holds
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
    return document.pointCount > 0;
}

}  // namespace vellacor
