#pragma once
#include <string>
#include <vector>

namespace vellacor {

// vellacor-cli volume FIRST [SECOND | --datum Z] [--polygon E,N;E,N;...]
// [--isopach OUT.dxf]: opens both files as the window would (--format
// answers for both), builds their surfaces and prints the cut and fill of
// the first against the second (or the level Z); --isopach also writes the
// contours of the difference at the contour interval as a DXF drawing.
int volumeCommand(const std::vector<std::string>& args);

}  // namespace vellacor
