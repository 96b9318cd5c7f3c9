#pragma once
#include <string>

#include "section/section_line.h"

namespace vellacor {

struct SiteModel;
class Ui;

// The cross section A -> B over the finished surface, as a DXF drawing or as
// its table of points. Each writes through a replacement that takes the
// target's place only when complete, and says why when the file is not
// written; savedFileMessage reports a save.
bool saveSectionTo(const SiteModel& model, Ui& ui, const SectionLine& section, const std::string& path);
bool saveSectionTableTo(const SiteModel& model, Ui& ui, const SectionLine& section, const std::string& path);

}  // namespace vellacor
