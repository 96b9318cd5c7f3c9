#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/surface_read.h"

namespace vellacor {

inline constexpr std::size_t kMostBreaklineVertices = 5000;  // a longer breakline is cut there
inline constexpr std::size_t kMostBoundaryCorners = 1000000;  // a longer boundary is cut there

// What a LandXML file gave: the first <CgPoints> group and the first <Surface>
// whose TIN definition has faces (its points, triangles and breaklines).
struct LandXmlReadResult {
    // The surface's points when a TIN definition was read (the last one, when
    // none had faces), otherwise the CgPoints; the triangles of the first
    // surface with faces; the breaklines of the surfaces read.
    SurfaceReadResult surface;
    bool cgPointsCompleted = false;  // a <CgPoints> group was read to its end
    // "Error, expected ..." for the first closing tags that were not the
    // expected ones (at most three are kept), and how many there were.
    std::vector<std::string> tagErrors;
    int tagErrorCount = 0;

    // A <CgPoints> group was completed or a surface produced triangles.
    bool succeeded() const { return cgPointsCompleted || !surface.triangles.empty(); }
};

// Reads LandXML bytes with a tag scanner of its own. Points are <CgPoint> and
// <P> contents, northing easting [elevation]; "name"/"id" give the number and
// "desc" the description (entities decoded). Faces name points by number;
// a face with an unknown number, a repeated corner, or marked invisible
// (i="1") is left out. <Boundary> polygons (bndType "outer", "void" or
// "hide", the first point list of each) of the surface read are kept. When the surface has triangles, each of its points
// that coincides with a CgPoint takes that CgPoint's number and description.
// O(bytes) expected.
LandXmlReadResult readLandXmlText(std::string_view text);

// Nothing when the file cannot be opened.
std::optional<LandXmlReadResult> readLandXmlFile(const std::string& path);

// The message for a closing tag that is not the expected one.
std::string tagErrorMessage(std::string_view expected, std::string_view found);

}  // namespace vellacor
