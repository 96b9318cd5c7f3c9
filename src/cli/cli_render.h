#pragma once
#include <string>
#include <vector>

namespace vellacor {

// vellacor-cli render FILE --out IMAGE.png ...: opens FILE as the window
// would, builds the surface to the end, and writes the frame the window
// would show first (status overlay included) as a PNG.
int renderCommand(const std::vector<std::string>& args);

}  // namespace vellacor
