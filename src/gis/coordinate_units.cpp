// The unit of a coordinate system's plane coordinates, through the library's spatial references.
#include <cmath>

#include "export/gis_crs.h"
#include "gis/gis_library.h"
#include "gis/library_functions.h"

namespace vellacor {

namespace {

bool sameFactor(double a, double b) { return std::fabs(a - b) <= 1e-12 * b; }

}  // namespace

LinearUnit libraryLinearUnit(const std::string& definition) {
    const std::unique_ptr<OGRSpatialReference> reference = spatialReferenceOf(definition);
    // Projected (also beneath a height system) or a local plane: a geographic
    // system's coordinates are angles, a height system alone says nothing of them.
    if (!reference || !(reference->IsProjected() || reference->IsLocal())) return LinearUnit::Unknown;
    const QuietLibrary quiet;
    const double metres = reference->GetLinearUnits(nullptr);  // metres per unit
    if (sameFactor(metres, 1.0)) return LinearUnit::Metre;
    if (sameFactor(metres, 1200.0 / 3937.0)) return LinearUnit::UsSurveyFoot;
    if (sameFactor(metres, 0.3048)) return LinearUnit::Foot;
    return LinearUnit::Unknown;
}

}  // namespace vellacor
