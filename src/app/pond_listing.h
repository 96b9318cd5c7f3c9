#pragma once
#include <string>

namespace vellacor {

struct SiteModel;

// What a front end that is given no surface to fill tells its user.
inline constexpr const char* kNoSurfaceToHoldWater = "The points give no surface to hold water.";

// The site's finished surface filled: each closed depression to the level
// where its water runs off, one "pond ..." line each, deepest first, then
// "ponds: N" (pondReport's lines).
std::string pondListingOf(const SiteModel& model);

}  // namespace vellacor
