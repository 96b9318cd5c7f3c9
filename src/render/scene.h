#pragma once
#include <limits>
#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

#include "camera/camera.h"
#include "model/breakline_list.h"
#include "model/surface_view.h"
#include "render/display_switches.h"
#include "render/overlay_text.h"
#include "render/renderer_state.h"
#include "surface/contour_draw.h"

namespace vellacor {

// The site's extents as the scene passes use them.
struct SiteExtents {
    Vec3 centre;
    double size = 1.0;
    double minElevation = 0.0;
    double maxElevation = 0.0;
};

// The passes of a static-scene rebuild, in the order they are drawn. Each
// draws into state.frame's scene buffer.

// Every point onto the screen (state.scenePlacements) for the surface pass,
// the view kept (state.sceneView) for finding drawn points again; with
// `cornerCache` the elevations go into state.sceneCorners for the contour
// pass. `points` are the valid records.
void transformPoints(RendererState& state, std::span<const SurveyPoint> points, const Matrix& view,
                     bool cornerCache = true);

// The copied points of a moving frame that draws a coarser version of the
// surface (see DetailFrame) onto the screen: the placements are then those
// of the copies, and are not read as the document's points'.
void transformCopiedPoints(RendererState& state, std::span<const SurveyPoint> copies, const Matrix& view);

// A rebuild with no surface to fill (the surface is still being built) keeps
// only the view: its points and outlines are placed as they are drawn, and
// the placements' memory (32 bytes a point) is given back until a surface
// pass needs it.
void placeAsDrawn(RendererState& state, const Matrix& view);

// The surface mode the surface pass can draw now: the smooth and
// normal-textured surfaces need the vertex normals, the textured ones a texture.
SurfaceMode drawableSurfaceMode(SurfaceMode asked, bool normalsReady, bool textureLoaded);

// How far another thread has worked out this frame's shading: the triangles
// before `ready` have theirs.
struct ShadingProgress {
    std::atomic<int> ready{0};
    // Everything is ready, however the shading thread stopped.
    void finish(int triangleCount);
};

// The triangles a pass over the upper rows found may cover the rows from
// `fromRow` down, in drawing order, for the pass over those rows: it reads
// them rather than every triangle, most of which lie above it. They are
// published a run at a time as they are found, and all of them once the
// handing pass ends, however it ends.
struct HandedTriangles {
    std::span<std::int32_t> indices;  // room for every triangle
    int fromRow = 0;
    int count = 0;  // written by the handing pass alone
    std::atomic<std::int64_t> published{0};  // the count published, times two, plus one once all are

    void hand(int triangle);
    void publishAll();
};

// The part of the surface one call fills. Two threads can each fill half of
// the rows [first, limit), the first of them (keepsCorners) sizing the
// shading and the scene's corner cache: the cache is filled by the calls
// with cornerCache, when the contour pass will read it, and let go
// otherwise. On a surface of far more triangles than pixels, where reading
// every triangle twice would cost more than the filling, each can instead
// fill half of the triangles, [firstTriangle, triangleLimit), over the whole
// frame: the second into a frame of its own (`into`), which
// takeNearerPixels then lays over the first. Calls that run at once find
// the cache sized already.
struct SurfaceRows {
    int first = 0;
    int limit = std::numeric_limits<int>::max();
    bool keepsCorners = true;
    bool cornerCache = true;
    int firstTriangle = 0;
    int triangleLimit = std::numeric_limits<int>::max();
    FrameBuffer* into = nullptr;  // state.frame when null
    HandedTriangles* handTo = nullptr;            // hands on the triangles of the rows below
    const HandedTriangles* handedFrom = nullptr;  // draws only these triangles
};

// The surface in `mode` (as drawableSurfaceMode gives it), and the reference
// grid under it when asked for. Fills state.sceneCorners for the contour pass
// when the rows ask for it, and otherwise lets the cache go.
// With `shading`, prepareSurfaceShading runs beside this pass on another
// thread, and each triangle waits until its shading is ready. Two calls on
// the two halves of the rows may run at once when the shading is prepared
// apart and there is no grid.
// Returns the rows it may have drawn in.
RowRange drawSurfaceLayer(RendererState& state, const SurfaceView& surface, const Camera& camera, SurfaceMode mode,
                          const SiteExtents& site, bool showGrid, const ShadingProgress* shading = nullptr,
                          SurfaceRows rows = {});

// The modes whose shading reads only the surface and the light, never the
// frame: it can be worked out on another thread while the frame is cleared.
bool shadingPreparedApart(SurfaceMode mode);

// Sizes the per-triangle colours and shades that `mode` needs, before threads share them.
void sizeSurfaceShading(RendererState& state, int triangleCount, SurfaceMode mode);

// The flat colours, smooth shades or elevation shades of every triangle, for
// a mode that shadingPreparedApart accepts; sizeSurfaceShading comes first.
// Flat colours are published to `progress` a run of triangles at a time, the
// others all at once.
void prepareSurfaceShading(RendererState& state, const SurfaceView& surface, const Vec3& eye, SurfaceMode mode,
                           const SiteExtents& site, ShadingProgress* progress = nullptr);

// Triangle outlines and surface normals, as the switches ask.
void drawOverlayLayer(RendererState& state, const SurfaceView& surface, const Matrix& view,
                      const DisplaySwitches& display, bool normalsReady, double siteSize,
                      std::span<const Breakline> breaklines);

// Point marks (of every point when showPoints, in its display mark's
// colour), the points sharing the selected point's description, and the
// light's glow. Reads the points only.
void drawPointLayer(RendererState& state, std::span<const SurveyPoint> points, bool showPoints, int selectedPoint,
                    const Camera& camera);

void drawNorthArrow(FrameBuffer& frame, const Vec3& viewDirection);
void drawReferenceGrid(FrameBuffer& frame, const Matrix& view, const SiteExtents& site, int lines);

// Contour pieces arrive in site coordinates; the scene draws them in camera space.
class SceneContourSink : public ContourLineSink {
public:
    SceneContourSink(FrameBuffer& frame, const Matrix& view) : frame_(frame), view_(view) {}
    void line(const Vec3& from, const Vec3& to, std::uint8_t colour) override;

private:
    FrameBuffer& frame_;
    const Matrix& view_;
};

// The marks drawn into the displayed picture every frame, at a point's
// camera-space position (cameraSpaceOf).

// A cross over the selected point; false when the point is behind the eye.
bool drawSelectionCross(FrameBuffer& frame, const Vec3& cameraSpace);
// A small plus on the point the cursor rests on; false when it is off the view.
bool drawHoverMark(FrameBuffer& frame, const Vec3& cameraSpace);

// A polyline of site points (easting, northing, elevation) drawn into the
// displayed picture; points at the off-surface elevation are gaps.
void drawDrapedPolyline(FrameBuffer& frame, const Matrix& view, const std::vector<Vec3>& points, std::uint8_t colour);

// addPointLabels' point for labels on every point.
inline constexpr int kEveryPoint = -666;

// Labels of one point, or of every point with kEveryPoint, that the surface does
// not hide, the points placed through `view` (the one the scene was drawn
// with); markers and text follow the three switches. `points` are the valid
// records. A point marked in `lowPoints` has its description noted as a low point.
void addPointLabels(const FrameBuffer& frame, const Matrix& view, std::span<const SurveyPoint> points, int point,
                    bool number, bool description, bool elevation, OverlayTextList& text,
                    std::span<const std::uint8_t> lowPoints = {});

}  // namespace vellacor
