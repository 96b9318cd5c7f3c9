#pragma once

namespace vellacor {

struct SiteDocument;

// The surface is finished: triangulated with no triangulation running, every
// breakline in, cut to its boundaries and linked. Saves, sections, volumes,
// ponds, rain and new boundaries all work on it only then.
bool surfaceFinished(const SiteDocument& d);

}  // namespace vellacor
