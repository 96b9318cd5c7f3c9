#pragma once

namespace vellacor {

struct SiteDocument;
class Ui;

// A site whose coordinate system is geographic holds longitudes and
// latitudes, in which points metres apart on the ground differ in the fifth
// decimal: too close for the surface to tell apart. Projects its points and
// boundary corners to the WGS 84 UTM zone of its centre (elevations stay as
// they are), gives the site that system and tells the user. A site in any
// other system, or in none, stays as it is; so does one whose points are not
// all longitudes and latitudes, with a message.
void projectSiteFromDegrees(SiteDocument& document, Ui& ui);

}  // namespace vellacor
