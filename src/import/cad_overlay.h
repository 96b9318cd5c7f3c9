#pragma once
namespace vellacor {

// Filled in when this feature lands.
struct CadOverlay {};

}  // namespace vellacor
