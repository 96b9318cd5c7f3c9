#pragma once
#include <string>
#include <string_view>

namespace vellacor {

// The fixed parts of every DXF drawing the program writes (site and cross
// section): release AC1009 header, the layer and text-style tables, and the
// block POINT that each survey point is inserted as.
std::string_view dxfHeaderSection();
std::string dxfTablesSection();
std::string_view dxfBlocksSection();

inline constexpr std::string_view kDxfEntitiesStart = "  0\nSECTION\n  2\nENTITIES\n";
// The drawing ends without a line feed after EOF.
inline constexpr std::string_view kDxfEnd = "  0\nENDSEC\n  0\nEOF";

// Header, tables, blocks and the start of the entities section, as one piece.
std::string dxfPreamble();

}  // namespace vellacor
