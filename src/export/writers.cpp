#include "export/writers.h"

namespace vellacor {

// Not built yet.
bool writeDxf(std::FILE*, const SiteModel&, const ExportParts&) { return false; }
bool writeLandXml(std::FILE*, const SiteModel&, const ExportParts&) { return false; }

}  // namespace vellacor
