#pragma once
#include <cstdio>
#include <string>

#include "model/surface_view.h"
#include "render/scene.h"
#include "section/section_line.h"

namespace vellacor {

// The entities of the section drawing of A -> B: the plan marks at the
// site's own coordinates, then the profile drawing below the site.
std::string sectionDxfEntities(const SurfaceView& surface, const SiteExtents& site, const SectionLine& section);

// The whole section drawing (the fixed header, tables and blocks of every
// drawing, then the entities); false when the file could not be written.
bool writeSectionDxf(std::FILE* file, const SurfaceView& surface, const SiteExtents& site, const SectionLine& section);

// The draped points of A -> B as text: a header line
// "station,easting,northing,elevation", then one line per point with six
// decimals, and an empty line for each point where the line is off the
// surface; LF line ends. False when the file could not be written.
bool writeSectionCsv(std::FILE* file, const SurfaceView& surface, const SectionLine& section);

}  // namespace vellacor
