#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/cad_lines.h"
#include "model/read_diagnostics.h"
#include "model/survey_point.h"

namespace vellacor {

// What the ENTITIES section of a DXF drawing holds for the program.
struct DxfDrawing {
    // Survey points, in file order: AECC_POINT entities, INSERTs of the block
    // POINT (attributes on the layers ELEV, PNTS and DESC), POINT entities
    // (described "point", numbered from 1 by their place among the points).
    std::vector<SurveyPoint> points;
    // The line work: POINT (colour 6, the point twice), LINE, POLYLINE,
    // LWPOLYLINE, ARC and CIRCLE (colour 16); arcs and bulges as straight
    // pieces, 50 to a full turn; closed polylines end on their first vertex.
    std::vector<CadLine> lines;
    // The 3DFACE entities as triangles, when points are read: the first three
    // corners, and the first, third and fourth too when the fourth is not the
    // third (a four-sided face).
    std::vector<std::array<Vec3, 3>> faces;
};

// Reads a DXF drawing's text. Nothing when it has no ENTITIES line (a binary
// DXF, or not a DXF at all). Points are read only when asked for. Entities
// with a coordinate beyond kLargestCoordinate are left out.
std::optional<DxfDrawing> readDxfText(std::string_view text, bool readPoints);

inline constexpr const char* kNotAsciiDxfMessage = "Not a valid DXF file, make sure to use ASCII option when saving it!";

// A DXF file read, with what to tell the user about it.
struct DxfFileRead {
    std::optional<DxfDrawing> drawing;
    ReadDiagnostics diagnostics;
};

// The same over a file: a file that cannot be opened fails silently; one
// without an ENTITIES section fails with kNotAsciiDxfMessage.
DxfFileRead readDxfFile(const std::string& path, bool readPoints);

}  // namespace vellacor
