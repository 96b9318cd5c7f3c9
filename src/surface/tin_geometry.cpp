#include "surface/tin_geometry.h"

#include "model/site_model.h"

namespace vellacor {

// Placeholders until the surface lands.
double planeElevation(const TinTriangle&, double, double) { return 99999999.0; }
int locateTriangleWalk(const SiteModel&, int, int, double, double) { return kNoTriangle; }
int locateTriangle(const SiteModel&, int, double, double) { return kNoTriangle; }

}  // namespace vellacor
