#pragma once
namespace vellacor {

// Filled in when this feature lands.
struct RainSystem {};

}  // namespace vellacor
