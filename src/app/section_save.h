#pragma once
#include <optional>
#include <string>

#include "section/section_line.h"

namespace vellacor {

struct SiteModel;
class Ui;

// What a front end that is given no surface to cut tells its user.
inline constexpr const char* kNoSurfaceToCut = "The points give no surface to cut.";

// The complete section from A to B, as the second of two picks leaves it.
SectionLine sectionLineBetween(double startEasting, double startNorthing, double endEasting, double endNorthing);

// The cross section A -> B over the finished surface, saved as a drawing
// (the window's two picks, the command line's --out) or as its table of
// points (--csv). Each writes through a replacement that takes the target's
// place only when complete. The text that reports the save, or nothing when
// the file was not written (the reason already told).
std::optional<std::string> saveSectionDrawing(const SiteModel& model, Ui& ui, const SectionLine& section,
                                              const std::string& path);
std::optional<std::string> saveSectionTable(const SiteModel& model, Ui& ui, const SectionLine& section,
                                            const std::string& path);

}  // namespace vellacor
