#include "render/scene.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

#include "camera/matrix.h"
#include "camera/vector_math.h"
#include "model/utf8_text.h"
#include "render/breakline_draw.h"
#include "render/clip.h"
#include "render/fill.h"
#include "render/frame_buffer.h"
#include "render/light_glow.h"
#include "render/line.h"
#include "render/frame_projection.h"
#include "render/shading.h"
#include "render/surface_textures.h"
#include "surface/tin_geometry.h"
#include "system/prefetch.h"
#include "system/spin_wait.h"

namespace vellacor {

namespace {

// The triangle's corners as placed on the screen by this rebuild, when all
// three lie inside the view; false otherwise (it must be clipped first).
bool placedInsideView(const std::vector<ScreenPlacement>& placements, const TinTriangle& t,
                      const ScreenPlacement* (&corners)[3]) {
    const std::size_t placed = placements.size();
    for (int k = 0; k < 3; ++k) {
        const auto v = static_cast<std::size_t>(t.vertex[k]);
        if (v >= placed) return false;
        corners[k] = &placements[v];
        if (corners[k]->outcode != 0) return false;
    }
    return true;
}

// The screen placements of a surface whose points are too many to place all
// at once (see kMostPlacedPoints), worked out as its triangles ask for them,
// exactly as transformPoints would. A point's triangles come close together
// in the surface's order, so a small table of the latest keeps most of them.
class PlacementsOnDemand {
public:
    PlacementsOnDemand(const FrameBuffer& frame, const SurfaceView& surface, const Matrix& view)
        : viewport_(viewportOf(frame)), surface_(surface), view_(view), slots_(kSlots) {}

    const ScreenPlacement& at(std::int32_t point) {
        Slot& slot = slots_[static_cast<std::size_t>(point) & (kSlots - 1)];
        if (slot.point != point) {
            const Vec3 at = cameraSpaceOf(surface_.point(point), view_);
            slot = {point, {project(viewport_, at), outcode(at)}};
        }
        return slot.placed;
    }

    void prefetch(const TinTriangle& t) const {
        for (const std::int32_t v : t.vertex)
            if (slots_[static_cast<std::size_t>(v) & (kSlots - 1)].point != v && v >= 0 && v < surface_.pointCount)
                prefetchLine(&surface_.point(v));
    }

private:
    static constexpr std::size_t kSlots = std::size_t{1} << 16;
    struct Slot {
        std::int32_t point = -1;
        ScreenPlacement placed;
    };
    Viewport viewport_;
    const SurfaceView& surface_;
    const Matrix& view_;
    std::vector<Slot> slots_;
};

// As placedInsideView above, the corners copied out of the table: two
// corners may share a slot.
bool placedInsideView(PlacementsOnDemand& placements, int pointCount, const TinTriangle& t,
                      ScreenPlacement (&copies)[3], const ScreenPlacement* (&corners)[3]) {
    for (int k = 0; k < 3; ++k) {
        const std::int32_t v = t.vertex[k];
        if (v < 0 || v >= pointCount) return false;
        copies[k] = placements.at(v);
        corners[k] = &copies[k];
        if (copies[k].outcode != 0) return false;
    }
    return true;
}

// A triangle whose corners, all in front of the eye, run clockwise on the
// screen (rows downward) is seen from the side its plan winding faces.
bool facesTheEye(const ProjectedPoint& a, const ProjectedPoint& b, const ProjectedPoint& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x) < 0;
}

// The corners of a triangle this far ahead are asked for early: points
// read in survey order place a triangle's corners far apart in the array,
// and waiting for each would take most of the pass.
constexpr int kPlacementsAhead = 16;

void prefetchPlacements(const std::vector<ScreenPlacement>& placements, const TinTriangle& t) {
    for (int k = 0; k < 3; ++k) {
        const auto v = static_cast<std::size_t>(t.vertex[k]);
        if (v < placements.size()) __builtin_prefetch(&placements[v]);
    }
}

// How far down the screen a placed triangle reaches, from its highest corner to its lowest.
struct ScreenSpan {
    double top, bottom;
};
ScreenSpan screenSpanOf(const ScreenPlacement* const (&corners)[3]) {
    return {std::min({corners[0]->at.y, corners[1]->at.y, corners[2]->at.y}),
            std::max({corners[0]->at.y, corners[1]->at.y, corners[2]->at.y})};
}

// True when a triangle spanning `span` covers none of the rows: a fill of
// the other half of the frame draws it.
bool outsideRows(ScreenSpan span, SurfaceRows rows) {
    // A row r is covered when top < r <= bottom.
    return span.bottom < rows.first || span.top >= rows.limit - 1.0;
}

// Flat colours are worked out this many triangles at a time, just ahead of
// drawing them: few enough that their records are still in the cache.
constexpr int kShadeRun = 64;

// Flat colours worked out on another thread are published this many at a
// time: often enough that the fill, which is slower, seldom waits.
constexpr int kPublishedRun = 4096;

// How many triangles have their shading, once triangle i has.
int waitForShading(const ShadingProgress& shading, int i) {
    return waitUntil(shading.ready, [i](int ready) { return ready > i; }, kFrameSpin);
}

// A flat colour darkened for a triangle seen from behind.
int backFaceColour(int colour) { return static_cast<int>(std::max(26.75, colour - 20.0)); }

// The rebuild's screen placements when it made them through `view` for
// `count` points; none otherwise (while a surface is being built), and the
// caller places each point itself, the same way.
std::span<const ScreenPlacement> placementsThrough(const RendererState& state, const Matrix& view,
                                                   std::size_t count) {
    const bool made =
        state.sceneView.m == view.m && state.scenePlacements.size() == count && !state.scenePlacementsPartial;
    return made ? std::span<const ScreenPlacement>(state.scenePlacements) : std::span<const ScreenPlacement>();
}

// The outline of a triangle: an edge with both ends placed inside the view
// is drawn from the placements, as drawLine3D would draw it; one that
// leaves the view, or whose ends were not placed, is clipped in camera space.
void drawTriangleEdges(FrameBuffer& f, std::span<const ScreenPlacement> placements, const Matrix& view,
                       const SurfaceView& surface, const TinTriangle& t, std::uint8_t colour) {
    for (int k = 0; k < 3; ++k) {
        const int a = t.vertex[k], b = t.vertex[(k + 1) % 3];
        if (a < 0 || b < 0 || a >= surface.pointCount || b >= surface.pointCount) continue;
        const auto pa = static_cast<std::size_t>(a), pb = static_cast<std::size_t>(b);
        if (pa < placements.size() && pb < placements.size() && placements[pa].outcode == 0 &&
            placements[pb].outcode == 0)
            drawLine2D(f, sceneTarget(f), placements[pa].at, placements[pb].at, colour);
        else
            drawLine3D(f, sceneTarget(f), cameraSpaceOf(surface.point(a), view),
                       cameraSpaceOf(surface.point(b), view), colour);
    }
}

template <class T>
void growTo(std::vector<T>& v, int count) {
    if (v.size() < static_cast<std::size_t>(count)) v.resize(static_cast<std::size_t>(count));
}

}  // namespace

void transformPoints(RendererState& state, std::span<const SurveyPoint> points, const Matrix& view,
                     bool cornerCache) {
    const std::size_t count = points.size();
    std::vector<double>& elevations = state.sceneCorners.elevations;
    if (cornerCache)
        elevations.resize(count);
    else
        std::vector<double>().swap(elevations);
    double* const elevation = cornerCache ? elevations.data() : nullptr;
    state.sceneView = view;
    state.scenePlacementsPartial = false;
    state.scenePlacementsOnDemand = count > state.mostPlacedPoints;
    if (state.scenePlacementsOnDemand) {
        std::vector<ScreenPlacement>().swap(state.scenePlacements);
        if (elevation)
            for (std::size_t i = 0; i < count; ++i) elevation[i] = points[i].elevation;
        return;
    }
    // Made afresh after a build (none are kept while it runs).
    if (state.scenePlacements.capacity() < count) state.scenePlacements.reserve(count);
    state.scenePlacements.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const SurveyPoint& p = points[i];
        const Vec3 at = cameraSpaceOf(p, view);
        state.scenePlacements[i] = {project(state.frame, at), outcode(at)};
        if (elevation) elevation[i] = p.elevation;
    }
}

void transformCopiedPoints(RendererState& state, std::span<const SurveyPoint> copies, const Matrix& view) {
    transformPoints(state, copies, view, false);
    state.scenePlacementsPartial = true;
}

void placeAsDrawn(RendererState& state, const Matrix& view) {
    state.sceneView = view;
    state.scenePlacementsPartial = false;
    state.scenePlacementsOnDemand = false;
    std::vector<ScreenPlacement>().swap(state.scenePlacements);
    std::vector<double>().swap(state.sceneCorners.elevations);
}

SurfaceMode drawableSurfaceMode(SurfaceMode asked, bool normalsReady, bool textureLoaded) {
    if (needsVertexNormals(asked) && !normalsReady) return SurfaceMode::Flat;
    const bool textured = asked == SurfaceMode::NormalTexture || asked == SurfaceMode::SwirlTexture ||
                          asked == SurfaceMode::ImageOnly;
    if (textured && !textureLoaded) return SurfaceMode::Flat;
    return asked;
}

bool shadingPreparedApart(SurfaceMode mode) {
    return mode == SurfaceMode::Flat || mode == SurfaceMode::Smooth || mode == SurfaceMode::Elevation;
}

void sizeSurfaceShading(RendererState& state, int triangleCount, SurfaceMode mode) {
    growTo(state.flatColours, triangleCount);
    if (mode != SurfaceMode::Flat && mode != SurfaceMode::Off) growTo(state.shades, triangleCount);
}

void HandedTriangles::hand(int triangle) {
    // Published often enough that the lower pass seldom waits, seldom
    // enough that publishing costs nothing beside the fills.
    constexpr int kHandedRun = 512;
    indices[static_cast<std::size_t>(count++)] = triangle;
    if (count % kHandedRun == 0) {
        published.store(std::int64_t{count} * 2, std::memory_order_release);
        published.notify_all();
    }
}

void HandedTriangles::publishAll() {
    published.store(std::int64_t{count} * 2 + 1, std::memory_order_release);
    published.notify_all();
}

void ShadingProgress::finish(int triangleCount) {
    ready.store(triangleCount, std::memory_order_release);
    ready.notify_all();
}

void prepareSurfaceShading(RendererState& state, const SurfaceView& surface, const Vec3& eye, SurfaceMode mode,
                           const SiteExtents& site, ShadingProgress* progress) {
    const int n = surface.triangleCount;
    switch (mode) {
        case SurfaceMode::Flat: {
            if (!state.light) break;
            // A moving frame's triangles change with the view: none are kept.
            const FacetStore store = state.drawingDetail ? FacetStore{} : facetStoreFor(state.facets, surface);
            for (int first = 0; first < n; first += kPublishedRun) {
                const int end = std::min(first + kPublishedRun, n);
                flatShadeRange(*state.light, surface, state.flatColours, first, end, store);
                if (progress) progress->finish(end);
            }
            if (store.facets) state.facets.made = true;
            break;
        }
        case SurfaceMode::Smooth:
            if (state.light) smoothShade(*state.light, eye, surface, state.shades);
            break;
        case SurfaceMode::Elevation:
            elevationShade(surface, site.minElevation, site.maxElevation, state.shades);
            break;
        default: break;
    }
    if (progress) progress->finish(n);
}

RowRange drawSurfaceLayer(RendererState& state, const SurfaceView& surface, const Camera& camera, SurfaceMode mode,
                          const SiteExtents& site, bool showGrid, const ShadingProgress* shading, SurfaceRows rows) {
    if (mode == SurfaceMode::Off) return {0, 0};
    FrameBuffer& f = rows.into ? *rows.into : state.frame;
    const Vec3 eye = camera.eye;
    const int n = surface.triangleCount;
    const int firstTriangle = std::clamp(rows.firstTriangle, 0, n);
    const int triangleLimit = std::clamp(rows.triangleLimit, firstTriangle, n);
    if (rows.keepsCorners) sizeSurfaceShading(state, n, mode);

    FillInputs inputs;
    const bool shadingPrepared = shading != nullptr;
    if (!shadingPrepared) {
        // Flat colours are worked out in the fill loop below, a short run ahead.
        if (mode == SurfaceMode::Smooth || mode == SurfaceMode::Elevation)
            prepareSurfaceShading(state, surface, eye, mode, site);
        else if (mode != SurfaceMode::Flat && mode != SurfaceMode::CutFill)  // cut/fill shades come made
            prepareTexturedSurface(state, mode, surface, camera.view, site.centre, site.size, inputs);
    }
    // The rows drawn in: those the queued triangles span, or every row once
    // anything else is drawn.
    bool anyRow = false;
    double highest = std::numeric_limits<double>::infinity(), lowest = -highest;
    if (showGrid && surface.pointCount > 0) {
        drawReferenceGrid(f, camera.view, site, 25);
        anyRow = true;
    }

    ClipPolygon polygon;
    // Triangles inside the view are listed row by row and written a batch at
    // a time; anything else drawn into the target writes the batch out first.
    FlatRuns runs;
    const RasterTarget target = withinRows(sceneTarget(f), rows.first, rows.limit);
    const FillMode fill = fillModeFor(mode);
    const bool flat = mode == SurfaceMode::Flat;
    const bool shaded = mode == SurfaceMode::Smooth || mode == SurfaceMode::Elevation || mode == SurfaceMode::CutFill;
    const bool textured = mode == SurfaceMode::NormalTexture || mode == SurfaceMode::SwirlTexture;
    const Light* light = state.light.get();
    std::uint8_t* colours = state.flatColours.data();
    const std::vector<ScreenPlacement>& placements = state.scenePlacements;
    std::optional<PlacementsOnDemand> onDemand;
    if (flat && state.scenePlacementsOnDemand) onDemand.emplace(state.frame, surface, camera.view);
    auto& corners = state.sceneCorners.corners;
    if (rows.keepsCorners && rows.cornerCache) corners.resize(static_cast<std::size_t>(n));
    if (rows.keepsCorners && !rows.cornerCache) std::vector<std::array<std::int32_t, 3>>().swap(corners);
    int shadedUpTo = 0;
    HandedTriangles* const handTo = rows.handTo;
    const SurfaceRows handedRows{handTo ? handTo->fromRow : 0};
    // Inlined into both loops below: a call for each triangle cost a few per cent of a frame.
    auto drawTriangle = [&](int i) __attribute__((always_inline)) {
        if (shading && i >= shadedUpTo) shadedUpTo = waitForShading(*shading, i);
        const TinTriangle& t = surface.triangle(i);
        if (rows.cornerCache) corners[static_cast<std::size_t>(i)] = {t.vertex[0], t.vertex[1], t.vertex[2]};
        if (flat && light && !shadingPrepared && (i - firstTriangle) % kShadeRun == 0)
            flatShadeRange(*light, surface, state.flatColours, i, std::min(i + kShadeRun, triangleLimit));
        const ScreenPlacement* placed[3];
        ScreenPlacement copies[3];
        if (flat && (onDemand ? placedInsideView(*onDemand, surface.pointCount, t, copies, placed)
                              : placedInsideView(placements, t, placed))) {
            const ScreenSpan span = screenSpanOf(placed);
            if (handTo && !outsideRows(span, handedRows)) handTo->hand(i);
            if (outsideRows(span, rows)) return;
            highest = std::min(highest, span.top);
            lowest = std::max(lowest, span.bottom);
            // Nothing to clip: fill straight from the shared projected corners,
            // whose winding on the screen tells which side of it the eye is.
            const bool front = facesTheEye(placed[0]->at, placed[1]->at, placed[2]->at);
            const int colour = front ? colours[i] : backFaceColour(colours[i]);
            const ProjectedPoint& a = placed[front ? 0 : 1]->at;
            const ProjectedPoint& b = placed[front ? 1 : 0]->at;
            queueFlatTriangle(runs, f, target, a, b, placed[2]->at, static_cast<std::uint8_t>(colour));
            return;
        }
        if (handTo) handTo->hand(i);  // clipped: it may cover any row
        const std::array<Vec3, 3> corner = cornersOf(surface.points, t);
        const auto [c0, c1, c2] = corner;
        const bool front = dot(eye - triangleCentroid(c0, c1, c2), triangleNormal(c0, c1, c2)) > 0;
        const TriangleShade* shade = (shaded || textured) ? &state.shades[static_cast<std::size_t>(i)] : nullptr;
        for (int k = 0; k < 3; ++k) {
            const Vec3 p = transformPoint(corner[static_cast<std::size_t>(k)], camera.view);  // as cameraSpaceOf
            ClipVertex& v = polygon[static_cast<std::size_t>(k)];
            v.x = p.x, v.y = p.y, v.z = p.z;
            v.shade = shaded ? shade->shade[k] : 0.0;
            v.u = textured ? shade->u[k] : 0.0;
            v.v = textured ? shade->v[k] : 0.0;
        }
        int colour = colours[i];
        if (!front) {
            // Seen from behind: reverse the winding so the filler accepts it, and darken it.
            std::swap(polygon[0], polygon[1]);
            if (flat) colour = backFaceColour(colour);
        }
        fillFlatRuns(runs, target);
        drawPolygon(f, target, fill, polygon, 3, static_cast<std::uint8_t>(colour), inputs);
        anyRow = true;
    };
    if (rows.handedFrom && shadingPrepared) {
        // Only the triangles handed on, as they are published.
        const HandedTriangles& handed = *rows.handedFrom;
        std::int64_t published = handed.published.load(std::memory_order_acquire);
        for (std::int64_t j = 0;; ++j) {
            if (j >= published / 2 && !(published & 1))
                published = waitUntil(
                    handed.published, [j](std::int64_t p) { return j < p / 2 || (p & 1); }, kFrameSpin);
            const std::int64_t count = published / 2;
            if (j >= count) break;
            const auto i = handed.indices[static_cast<std::size_t>(j)];
            if (i < firstTriangle || i >= triangleLimit) continue;
            if (j + kPlacementsAhead < count) {
                const TinTriangle& ahead = surface.triangle(handed.indices[static_cast<std::size_t>(j + kPlacementsAhead)]);
                if (onDemand)
                    onDemand->prefetch(ahead);
                else
                    prefetchPlacements(placements, ahead);
            }
            drawTriangle(i);
        }
    } else {
        for (int i = firstTriangle; i < triangleLimit; ++i) {
            if (i + kPlacementsAhead < triangleLimit) {
                const TinTriangle& ahead = surface.triangle(i + kPlacementsAhead);
                if (onDemand)
                    onDemand->prefetch(ahead);
                else
                    prefetchPlacements(placements, ahead);
            }
            drawTriangle(i);
        }
    }
    fillFlatRuns(runs, target);
    if (rows.keepsCorners && rows.cornerCache) state.sceneCornersFresh = true;
    if (anyRow) return {};
    if (!(highest <= lowest)) return {0, 0};
    // A row r is covered when top < r <= bottom; a row either side to spare.
    const double rowCount = f.viewHeight;
    return {static_cast<int>(std::clamp(std::floor(highest), 0.0, rowCount)),
            static_cast<int>(std::clamp(std::floor(lowest) + 2.0, 0.0, rowCount))};
}

void drawOverlayLayer(RendererState& state, const SurfaceView& surface, const Matrix& view,
                      const DisplaySwitches& display, bool normalsReady, double siteSize,
                      std::span<const Breakline> breaklines) {
    FrameBuffer& f = state.frame;
    if (display.showTriangles) {
        const auto placed = placementsThrough(state, view, static_cast<std::size_t>(surface.pointCount));
        for (int i = 0; i < surface.triangleCount; ++i)
            drawTriangleEdges(f, placed, view, surface, surface.triangle(i), kTriangleOutlineColour);
    }
    // CAD overlays draw here as that feature lands.
    if (display.showBreaklines) drawBreaklines(f, view, surface, breaklines);
    if (display.showNormals) {
        const SurfaceMode m = display.surfaceMode;
        const bool vertexNormals = (needsVertexNormals(m) && normalsReady) || m > SurfaceMode::NormalTexture;
        if (vertexNormals) growTo(state.shades, surface.triangleCount);
        const double length = 0.01 * siteSize;
        for (int i = 0; i < surface.triangleCount; ++i) {
            const TinTriangle& t = surface.triangle(i);
            if (vertexNormals) {
                const TriangleShade& shade = state.shades[static_cast<std::size_t>(i)];
                for (int k = 0; k < 3; ++k) {
                    const Vec3 from = positionOf(surface.point(t.vertex[k]));
                    drawLine3D(f, sceneTarget(f), transformPoint(from, view),
                               transformPoint(from + shade.normal[k] * length, view), kVertexNormalColour);
                }
            } else {
                const Vec3 centroid = centroidOf(surface, i);
                drawLine3D(f, sceneTarget(f), transformPoint(centroid, view),
                           transformPoint(centroid + normalOf(surface, i) * length, view), 4);
            }
        }
    }
}

void drawPointLayer(RendererState& state, std::span<const SurveyPoint> points, bool showPoints, int selectedPoint,
                    const Camera& camera) {
    FrameBuffer& f = state.frame;
    const RasterTarget target = sceneTarget(f);
    const int count = static_cast<int>(points.size());
    const std::span<const ScreenPlacement> placements = placementsThrough(state, camera.view, points.size());
    auto draw = [&](const SurveyPoint& p, PointMark mark) {
        ScreenPlacement placed;
        if (!placements.empty()) {
            placed = placements[static_cast<std::size_t>(&p - points.data())];
        } else {
            const Vec3 at = cameraSpaceOf(p, camera.view);
            placed = {project(f, at), outcode(at)};
        }
        if (placed.outcode == 0) drawPointMark(f, target, placed.at, markColour(mark), count);
    };
    if (showPoints && state.drawingDetail) {
        // While the view moves, the points of the coarser surface drawn stand for the rest.
        for (const std::int32_t i : state.detailFrame.points)
            if (i < count) draw(points[static_cast<std::size_t>(i)], points[static_cast<std::size_t>(i)].displayMark);
    } else if (showPoints) {
        for (const SurveyPoint& p : points) draw(p, p.displayMark);
    }

    if (selectedPoint >= 0 && selectedPoint < count) {
        // Points sharing the selected point's description stand out, unless
        // nearly all of them do (then nothing is singled out); they and every
        // other point not marked ordinary are drawn again, on top. Two passes
        // of n comparisons: the marks are worked out here, not stored.
        const std::string_view code = descriptionOf(points[static_cast<std::size_t>(selectedPoint)]);
        auto shares = [&](const SurveyPoint& p) { return equalsIgnoringCase(descriptionOf(p), code); };
        int matched = 0;
        for (const SurveyPoint& p : points) matched += shares(p) ? 1 : 0;
        if (matched <= 0.8 * count) {
            for (const SurveyPoint& p : points) {
                const PointMark mark = shares(p) ? PointMark::SharesSelection : p.displayMark;
                if (mark != PointMark::Ordinary) draw(p, mark);
            }
        }
    }
    if (state.light && state.light->lightGlowVisible) drawLightGlow(f, *state.light, camera);
}

}  // namespace vellacor
