#pragma once
#include <string>

#include "import/las_file.h"
#include "platform/ui.h"

namespace vellacor {

struct SiteDocument;

// The question the window asks about a LAS point cloud's classes: the
// classes the file holds with their counts, withheld points apart, the
// default answer chosen.
PointClassesDialog pointClassesQuestion(const LasClassTally& tally);

// The default choice of classes for the points the question's answer keeps
// (withheld ones among them when it keeps those): the ground class when any
// are ground, otherwise every class.
std::vector<int> defaultClassesOf(const PointClassesDialog& question);

// What an answer chose.
LasClassAnswer chosenClasses(const PointClassesDialog& answer);

// A LAS or LAZ point cloud (".las", ".laz", or a file that begins "LASF") into the
// document: counts the classes its points are of, asks which become the site
// and reads those points. The site takes the coordinate system the file's
// records name, or that of the ".prj" beside it when they name none. A
// damaged file, or a choice of classes the file has no point of, brings a
// message and loads nothing; a compressed file that lost chunks loads those
// it kept whole and says so. False when no point was
// loaded.
bool loadLasFile(SiteDocument& document, Ui& ui, const std::string& path);

}  // namespace vellacor
