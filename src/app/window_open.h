#pragma once
#include <optional>
#include <string>

#include "app/document.h"

namespace vellacor {

struct SiteModel;
class Ui;

// The window's open. As openDocument, except that an elevation raster, whose
// read may take long, is read on a worker: the site is then empty, the
// result is Reading, and the frames show the read's progress until
// adoptOpenedDocument takes what it read.
OpenResult openDocumentInWindow(SiteModel& model, Ui& ui, const std::string& path,
                                const std::optional<std::string>& format = std::nullopt);

// Once per frame: when the worker's read has ended, the document takes it as
// openDocument would have (Loaded or Failed, with the same messages); a read
// cancelled by Esc says "Opening was cancelled." and leaves the site empty.
// Nothing while it reads or when no read was started.
std::optional<OpenResult> adoptOpenedDocument(SiteModel& model, Ui& ui);

// The path being read, while a read runs.
std::optional<std::string> pathBeingOpened(const SiteModel& model);

// "Reading Raster" while a read runs, for the progress bar (its fraction in
// model.work.openingProgress).
std::optional<std::string> openingProgressMessage(const SiteModel& model);

// Esc: asks the read to stop; the next adoptOpenedDocument reports it.
void cancelOpening(SiteModel& model);

}  // namespace vellacor
