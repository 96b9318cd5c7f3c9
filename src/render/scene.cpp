#include "render/scene.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "camera/matrix.h"
#include "camera/vector_math.h"
#include "model/two_cores.h"
#include "model/utf8_text.h"
#include "render/clip.h"
#include "render/fill.h"
#include "render/frame_buffer.h"
#include "render/light_glow.h"
#include "render/line.h"
#include "render/projection.h"
#include "render/shading.h"
#include "render/surface_textures.h"

namespace vellacor {

namespace {

Vec3 scenePoint(const SurveyPoint& p) { return {p.easting, p.northing, p.elevation}; }

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


// A flat colour darkened for a triangle seen from behind.
int backFaceColour(int colour) { return static_cast<int>(std::max(26.75, colour - 20.0)); }

void drawTriangleEdges(FrameBuffer& f, const SurfaceView& surface, const TinTriangle& t, std::uint8_t colour) {
    for (int k = 0; k < 3; ++k) {
        const int a = t.vertex[k], b = t.vertex[(k + 1) % 3];
        if (a < 0 || b < 0 || a >= surface.pointCount || b >= surface.pointCount) continue;
        drawLine3D(f, sceneTarget(f), surface.point(a).scenePosition, surface.point(b).scenePosition, colour);
    }
}

template <class T>
void growTo(std::vector<T>& v, int count) {
    if (v.size() < static_cast<std::size_t>(count)) v.resize(static_cast<std::size_t>(count));
}

}  // namespace

void transformPoints(RendererState& state, std::span<SurveyPoint> points, const Matrix& view) {
    const std::size_t count = points.size();
    std::vector<double>& elevations = state.sceneCorners.elevations;
    elevations.resize(count);
    state.scenePlacements.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        SurveyPoint& p = points[i];
        p.scenePosition = transformPoint(scenePoint(p), view);
        state.scenePlacements[i] = {project(state.frame, p.scenePosition), outcode(p.scenePosition)};
        elevations[i] = p.elevation;
    }
}

SurfaceMode drawableSurfaceMode(SurfaceMode asked, bool normalsReady, bool textureLoaded) {
    if (needsVertexNormals(asked) && !normalsReady) return SurfaceMode::Flat;
    const bool textured = asked == SurfaceMode::NormalTexture || asked == SurfaceMode::SwirlTexture ||
                          asked == SurfaceMode::ImageOnly;
    if (textured && !textureLoaded) return SurfaceMode::Flat;
    return asked;
}

namespace {

// What the surface pass reads and the per-triangle arrays it fills.
struct SurfacePass {
    const SurfaceView& surface;
    Vec3 eye;
    FillMode fill;
    bool flat, shaded, textured;
    const Light* light;
    std::uint8_t* colours;                 // the flat colours, worked out here when there is a light
    std::array<std::int32_t, 3>* corners;  // packed, for the fill and the contour pass
    std::uint8_t* bands;                   // per triangle: which bands it touches, and more (below)
    int middleRow;                         // the first row of the lower band
    const std::vector<ScreenPlacement>& placements;
    const std::vector<TriangleShade>& shades;
    const FillInputs& inputs;
};

// Per triangle: the bands whose rows it may cover, whether its corners were
// all placed inside the view (then it is filled from them without clipping)
// and whether it faces the eye.
constexpr std::uint8_t kUpperBand = 1, kLowerBand = 2, kPlacedInside = 4, kFront = 8;

// The first pass, over the triangles in [first, end): corners, flat colours
// and bands. The two cores each take half the triangles.
void classifyTriangles(const SurfacePass& pass, int first, int end) {
    const SurfaceView& surface = pass.surface;
    for (int i = first; i < end; ++i) {
        const TinTriangle& t = surface.triangle(i);
        pass.corners[i] = {t.vertex[0], t.vertex[1], t.vertex[2]};
        if (pass.flat && pass.light)
            pass.colours[i] = static_cast<std::uint8_t>(flatShade(*pass.light, t.centroid, t.normal));
        std::uint8_t bits = dot(pass.eye - t.centroid, t.normal) > 0 ? kFront : 0;
        const ScreenPlacement* placed[3];
        if (placedInsideView(pass.placements, t, placed)) {
            const double top = std::min({placed[0]->at.y, placed[1]->at.y, placed[2]->at.y});
            const double bottom = std::max({placed[0]->at.y, placed[1]->at.y, placed[2]->at.y});
            bits |= kPlacedInside;
            if (!(top >= pass.middleRow)) bits |= kUpperBand;  // (not a number: both, as the filler decides)
            if (!(bottom < pass.middleRow)) bits |= kLowerBand;
        } else {
            bits |= kUpperBand | kLowerBand;  // clipped first: its rows are known only then
        }
        pass.bands[i] = bits;
    }
}

// Every triangle of one band, in order, filled within the target's rows
// only: the two bands of the picture are filled at once and each pixel still
// sees the triangles in the same order.
void fillSurfaceBand(FrameBuffer& f, RasterTarget target, const SurfacePass& pass, std::uint8_t band) {
    const SurfaceView& surface = pass.surface;
    ClipPolygon polygon;
    for (int i = 0; i < surface.triangleCount; ++i) {
        const std::uint8_t bits = pass.bands[i];
        if (!(bits & band)) continue;
        const bool front = (bits & kFront) != 0;
        if (pass.flat && (bits & kPlacedInside)) {
            // Nothing to clip: fill straight from the shared projected corners.
            const auto& c = pass.corners[i];
            const int colour = front ? pass.colours[i] : backFaceColour(pass.colours[i]);
            const ProjectedPoint& a = pass.placements[static_cast<std::size_t>(c[front ? 0 : 1])].at;
            const ProjectedPoint& b = pass.placements[static_cast<std::size_t>(c[front ? 1 : 0])].at;
            fillFlatTriangle(f, target, a, b, pass.placements[static_cast<std::size_t>(c[2])].at,
                             static_cast<std::uint8_t>(colour));
            continue;
        }
        const TinTriangle& t = surface.triangle(i);
        const TriangleShade* shade = (pass.shaded || pass.textured) ? &pass.shades[static_cast<std::size_t>(i)] : nullptr;
        for (int k = 0; k < 3; ++k) {
            const Vec3& p = surface.point(t.vertex[k]).scenePosition;
            ClipVertex& v = polygon[static_cast<std::size_t>(k)];
            v.x = p.x, v.y = p.y, v.z = p.z;
            v.shade = pass.shaded ? shade->shade[k] : 0.0;
            v.u = pass.textured ? shade->u[k] : 0.0;
            v.v = pass.textured ? shade->v[k] : 0.0;
        }
        int colour = pass.colours[i];
        if (!front) {
            // Seen from behind: reverse the winding so the filler accepts it, and darken it.
            std::swap(polygon[0], polygon[1]);
            if (pass.flat) colour = backFaceColour(colour);
        }
        drawPolygon(f, target, pass.fill, polygon, 3, static_cast<std::uint8_t>(colour), pass.inputs);
    }
}

// The same sizes and projection as `frame` with a span table of its own, for
// a second thread filling another band of the frame's buffers.
FrameBuffer bandFrameOf(const FrameBuffer& frame) {
    FrameBuffer band;
    band.clientWidth = frame.clientWidth;
    band.clientHeight = frame.clientHeight;
    band.viewWidth = frame.viewWidth;
    band.viewHeight = frame.viewHeight;
    band.halfWidth = frame.halfWidth;
    band.halfHeight = frame.halfHeight;
    band.spanTable.resize(frame.spanTable.size());
    return band;
}

}  // namespace

void drawSurfaceLayer(RendererState& state, const SurfaceView& surface, const Camera& camera, SurfaceMode mode,
                      const SiteExtents& site, bool showGrid) {
    if (mode == SurfaceMode::Off) return;
    FrameBuffer& f = state.frame;
    const Vec3 eye = camera.eye;
    const int n = surface.triangleCount;
    growTo(state.flatColours, n);

    FillInputs inputs;
    switch (mode) {
        case SurfaceMode::Flat: break;  // flat colours are worked out below, with the corners
        case SurfaceMode::Smooth:
            growTo(state.shades, n);
            if (state.light) smoothShade(*state.light, eye, surface, state.shades);
            break;
        case SurfaceMode::Elevation:
            growTo(state.shades, n);
            elevationShade(surface, site.minElevation, site.maxElevation, state.shades);
            break;
        default: prepareTexturedSurface(state, mode, surface, camera.view, site.centre, site.size, inputs); break;
    }
    if (showGrid && surface.pointCount > 0) drawReferenceGrid(f, camera.view, site, 25);

    state.sceneCorners.corners.resize(static_cast<std::size_t>(n));
    state.triangleBands.resize(static_cast<std::size_t>(n));
    const SurfacePass pass{surface,
                           eye,
                           fillModeFor(mode),
                           mode == SurfaceMode::Flat,
                           mode == SurfaceMode::Smooth || mode == SurfaceMode::Elevation,
                           mode == SurfaceMode::NormalTexture || mode == SurfaceMode::SwirlTexture,
                           state.light.get(),
                           state.flatColours.data(),
                           state.sceneCorners.corners.data(),
                           state.triangleBands.data(),
                           f.viewHeight / 2,
                           state.scenePlacements,
                           state.shades,
                           inputs};
    runOnTwoCores([&] { classifyTriangles(pass, n / 2, n); }, [&] { classifyTriangles(pass, 0, n / 2); });
    // The upper rows on this core, the lower ones on the other.
    RasterTarget upper = sceneTarget(f), lower = sceneTarget(f);
    upper.rowEnd = lower.rowBegin = pass.middleRow;
    FrameBuffer lowerFrame = bandFrameOf(f);
    runOnTwoCores([&] { fillSurfaceBand(lowerFrame, lower, pass, kLowerBand); },
                  [&] { fillSurfaceBand(f, upper, pass, kUpperBand); });
    state.sceneCornersFresh = true;
}

namespace {

// The second core traces this many triangles between looks at its list,
// which it fills no further than the bound (about 30 MB).
constexpr int kContourRun = 4096;
constexpr std::size_t kMostRecordedContourLines = std::size_t{1} << 19;

// Collects the lines of one part of the surface, moved into camera space.
class RecordingContourSink : public ContourLineSink {
public:
    RecordingContourSink(const Matrix& view, std::vector<SceneContourLine>& lines) : view_(view), lines_(lines) {}
    void line(const Vec3& from, const Vec3& to, std::uint8_t colour) override {
        lines_.push_back({transformPoint(from, view_), transformPoint(to, view_), colour});
    }

private:
    const Matrix& view_;
    std::vector<SceneContourLine>& lines_;
};

}  // namespace

void drawSceneContours(RendererState& state, const SiteDocument& document, const Matrix& view, bool straight) {
    FrameBuffer& f = state.frame;
    SceneContourSink direct(f, view);
    if (!state.sceneCornersFresh || !cacheFits(document, state.sceneCorners)) {
        drawSurfaceContours(document, direct, straight);
        return;
    }
    // This core draws the first half of the triangles' lines straight away
    // while the other traces the second half into a list, a run of triangles
    // at a time and no further than the list's bound; the list is drawn
    // after the first half, and whatever it did not reach after that.
    const int count = document.triangleCount;
    const int middle = count / 2;
    std::vector<SceneContourLine>& lines = state.contourLines;
    int traced = middle;
    runOnTwoCores(
        [&] {
            lines.clear();
            RecordingContourSink sink(view, lines);
            while (traced < count && lines.size() < kMostRecordedContourLines) {
                const int end = std::min(count, traced + kContourRun);
                drawSurfaceContours(document, sink, straight, state.sceneCorners, traced, end);
                traced = end;
            }
        },
        [&] { drawSurfaceContours(document, direct, straight, state.sceneCorners, 0, middle); });
    const RasterTarget target = sceneTarget(f);
    for (const SceneContourLine& l : lines) drawLine3D(f, target, l.from, l.to, l.colour);
    if (lines.size() > kMostRecordedContourLines) std::vector<SceneContourLine>().swap(lines);
    drawSurfaceContours(document, direct, straight, state.sceneCorners, traced, count);
}

void drawOverlayLayer(RendererState& state, const SurfaceView& surface, const Matrix& view,
                      const DisplaySwitches& display, bool normalsReady, double siteSize) {
    FrameBuffer& f = state.frame;
    if (display.showTriangles)
        for (int i = 0; i < surface.triangleCount; ++i)
            drawTriangleEdges(f, surface, surface.triangle(i), kTriangleOutlineColour);
    // CAD overlays and breaklines draw here as those features land.
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
                    const Vec3 from = scenePoint(surface.point(t.vertex[k]));
                    drawLine3D(f, sceneTarget(f), transformPoint(from, view),
                               transformPoint(from + shade.normal[k] * length, view), kVertexNormalColour);
                }
            } else {
                drawLine3D(f, sceneTarget(f), transformPoint(t.centroid, view),
                           transformPoint(t.centroid + t.normal * length, view), 4);
            }
        }
    }
}

void drawPointLayer(RendererState& state, std::span<SurveyPoint> points, bool showPoints, int selectedPoint,
                    const Camera& camera) {
    FrameBuffer& f = state.frame;
    const RasterTarget target = sceneTarget(f);
    const int count = static_cast<int>(points.size());
    auto setAllMarks = [&](std::uint8_t mark) {
        for (SurveyPoint& p : points) p.displayMark = mark;
    };
    auto mark = [&](int i) {
        const SurveyPoint& p = points[static_cast<std::size_t>(i)];
        if (outcode(p.scenePosition) == 0) drawPointMark(f, target, project(f, p.scenePosition), p.displayMark, count);
    };
    if (showPoints)
        for (int i = 0; i < count; ++i) mark(i);

    if (selectedPoint >= 0 && selectedPoint < count) {
        // Points sharing the selected point's description stand out, unless
        // nearly all of them do (then nothing is singled out).
        const std::string_view code = descriptionOf(points[static_cast<std::size_t>(selectedPoint)]);
        int matched = 0;
        for (SurveyPoint& p : points) {
            if (equalsIgnoringCase(descriptionOf(p), code)) {
                p.displayMark = 3;
                ++matched;
            }
        }
        if (matched > 0.8 * count) setAllMarks(1);
        for (int i = 0; i < count; ++i)
            if (points[static_cast<std::size_t>(i)].displayMark != 1) mark(i);
        setAllMarks(1);
    }
    if (state.light && state.light->lightGlowVisible) drawLightGlow(f, *state.light, camera);
}

}  // namespace vellacor
