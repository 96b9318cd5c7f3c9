#pragma once
namespace vellacor {

// Filled in when this feature lands.
struct LimitPolygon {};

}  // namespace vellacor
