#pragma once
#include <string>
#include <vector>

namespace vellacor {

// vellacor-cli ponds FILE: the surface's closed depressions filled to where
// they spill, one line per pond, deepest first.
int pondsCommand(const std::vector<std::string>& args);

}  // namespace vellacor
