#pragma once
#include <string>
#include <vector>

namespace vellacor {

// vellacor-cli section FILE --from E,N --to E,N [--out OUT.dxf] [--csv OUT.csv]:
// opens FILE as the window would, builds the surface and writes the section
// from --from to --to as the DXF drawing Save writes, and/or its draped
// points as CSV.
int sectionCommand(const std::vector<std::string>& args);

}  // namespace vellacor
