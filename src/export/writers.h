#pragma once
#include <cstdio>

namespace vellacor {

struct SiteModel;

struct ExportParts {
    bool points = false;
    bool contours = false;
    bool breaklines = false;
    bool surface = false;
};

// The Save As writers. Each writes the chosen parts to the open file and
// returns false when the file could not be written completely.
bool writeDxf(std::FILE* file, const SiteModel& model, const ExportParts& parts);
bool writeLandXml(std::FILE* file, const SiteModel& model, const ExportParts& parts);

}  // namespace vellacor
