#include "surface/contour_export.h"

namespace vellacor {

// Not built yet: no contours.
std::vector<ExportPolyline> traceContoursForExport(const SiteModel&) { return {}; }

}  // namespace vellacor
