#pragma once
#include <string>

#include "import/las_classes.h"
#include "platform/ui.h"

namespace vellacor {

struct SiteDocument;

// The question the window asks about a LAS point cloud's classes: the
// classes the file holds with their counts, the default answer chosen.
PointClassesDialog pointClassesQuestion(const LasClassCounts& counts);

// The classes an answer chose.
LasClassChoice chosenClasses(const PointClassesDialog& answer);

// A LAS point cloud (".las", or a file that begins "LASF") into the
// document: counts the classes its points are of, asks which become the site
// and reads those points. A compressed (".laz") or damaged file, or a choice
// of classes the file has no point of, brings a message and loads nothing.
// False when no point was loaded.
bool loadLasFile(SiteDocument& document, Ui& ui, const std::string& path);

}  // namespace vellacor
