#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "camera/matrix.h"
#include "render/frame_buffer.h"
#include "render/light.h"
#include "render/line_fragments.h"
#include "render/palette.h"
#include "render/frame_projection.h"
#include "render/texture.h"
#include "render/detail_contours.h"
#include "render/detail_frame.h"
#include "render/triangle_facets.h"
#include "surface/contour_draw.h"
#include "surface/surface_work.h"
#include "system/frame_worker.h"

namespace vellacor {

// What the smooth and textured surfaces keep per triangle corner: the vertex
// normal (from the shading stage), the shade and the texture coordinates.
struct TriangleShade {
    Vec3 normal[3];
    double shade[3] = {};
    double u[3] = {};
    double v[3] = {};
};

inline constexpr std::size_t kMostPlacedPoints = 32'000'000;

// What the renderer keeps between frames: its palettes, the frame, the light,
// the images, and the caches a scene rebuild fills.
struct RendererState {
    Palette palette[2] = {};
    FrameBuffer frame;
    FrameBuffer secondFill;  // the second thread's half of a huge surface's triangles (see SurfaceRows)
    RowRange secondFillDrawn;  // its rows that may not be clear
    std::unique_ptr<Light> light;
    Texture texture;            // the surface texture
    bool textureLoaded = false;  // a texture image is loaded: picks the bitmap's palette
    Texture logo;               // the start picture, read once
    std::string programFolder;  // where the program file is: logo.bmp lies beside it
    bool logoTried = false;
    GrowingMesh shownMesh;  // the part of the surface drawn while it is being built
    // The growing surface is not drawn again before this: see renderFrame.
    std::chrono::steady_clock::time_point nextGrowingDraw;
    bool redrawNeeded = true;  // the cached scene is out of date
    bool axisMarkerShown = false;  // the window shows the camera target; pictures made in batch leave it out

    ContourCornerCache sceneCorners;  // filled by the surface pass of a rebuild for the contour pass
    bool sceneCornersFresh = false;
    std::vector<ScreenPlacement> scenePlacements;  // one per point, placed by a rebuild through sceneView
    bool scenePlacementsPartial = false;  // only the points of a moving frame's coarser surface were placed
    // Above this many points the placements, 32 bytes a point (3 GB for 100
    // million), are not kept: the surface pass places each point as its
    // triangles ask for it, and scenePlacements stays empty. That fill is
    // about a third slower, but a first frame no longer waits for 3 GB of
    // fresh memory, and the site fits in the memory of a 24 GB machine.
    std::size_t mostPlacedPoints = kMostPlacedPoints;
    bool scenePlacementsOnDemand = false;
    Matrix sceneView = Matrix::identity();         // the camera's view the last rebuild drew with
    ContourLineCache contourLines;  // the traced contours, drawn again from each new view
    LineFragments lineFragments;    // the kept contours' pixels for this rebuild
    int fillSplitRow = 0;           // where the two threads of a rebuild divide the frame (0: not yet chosen)
    double fillFirstShare = 0.5;    // or the share of the triangles the first thread takes (see SurfaceRows)
    std::unique_ptr<FrameWorker> frameWorker;  // the rebuild's second thread, kept from frame to frame

    // Per triangle, indexed as the document's triangles and sized to their
    // count by the pass that needs them. The flat colours are a byte each so
    // the flat pass reads them alongside the triangle records.
    std::vector<std::uint8_t> flatColours;
    TriangleFacets facets;  // what the flat colours are worked out from, kept while the surface lasts
    std::vector<TriangleShade> shades;
    // The triangles the upper rows' pass hands to the lower rows' (see HandedTriangles).
    std::vector<std::int32_t> handedTriangles;
    double swirlPhase = 0.0;  // where the swirling texture has turned to, radians

    // The coarser versions of a large surface, and what the last rebuild
    // drew of them: a rebuild while the view moves draws those, not the
    // whole surface (see chooseDetailFrame).
    std::shared_ptr<const DetailSurface> detail;
    bool detailMade = false;  // made for the surface shown (`detail` stays empty for one too small or flat)
    DetailFrame detailFrame;
    bool drawingDetail = false;  // the last rebuild drew detailFrame
    DetailContourCache detailContours;

    // The cut/fill view's difference (site minus comparison) at every point
    // of the site, NaN where the comparison does not reach; made when the
    // view first needs it.
    struct CutFillDifference {
        bool made = false;
        std::vector<double> atPoint;
        double lowest = 0.0, highest = 0.0;  // the range over the points compared
        bool someCompared = false;
        bool someNotCompared = false;
        // The zero line, as pairs of line ends: traced once with the difference.
        std::vector<Vec3> zeroLine;
        // The comparison's edge laid on the site, as pairs of line ends; made
        // once the site's neighbour links are there.
        std::vector<Vec3> comparisonEdge;
        bool edgePending = false;
    } cutFill;
};

// The per-triangle values and the traced contours belong to one surface: a
// new or reshaped surface starts without them.
inline void forgetSurfaceCaches(RendererState& state) {
    state.flatColours.clear();
    state.shades.clear();
    std::vector<std::int32_t>().swap(state.handedTriangles);
    state.cutFill = {};
    forgetContourLines(state.contourLines);
    forgetTriangleFacets(state.facets);
    state.detail.reset();
    state.detailMade = false;
    state.detailContours = DetailContourCache{};
    state.drawingDetail = false;
}

}  // namespace vellacor
