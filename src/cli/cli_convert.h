#pragma once
#include <string>
#include <vector>

namespace vellacor {

// vellacor-cli convert FILE --to OUT ...: opens FILE as the window would,
// builds the surface when the chosen parts need it, and saves OUT with the
// writer of Save As (DXF, LandXML) or of Save Points.
int convertCommand(const std::vector<std::string>& args);

}  // namespace vellacor
