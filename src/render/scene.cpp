#include "render/scene.h"

#include <cctype>
#include <cmath>

#include "camera/matrix.h"
#include "camera/vector_math.h"
#include "app/site_model.h"
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

const Vec3& cameraSpace(const SiteModel& model, int point) {
    return model.document.points[static_cast<std::size_t>(point)].scenePosition;
}

Vec3 scenePoint(const SurveyPoint& p) { return {p.easting, p.northing, p.elevation}; }

// Every point to camera space, kept in scenePosition for drawing and picking,
// and onto the screen for the surface pass. The elevations go into a packed
// list on the way, for the contour pass.
void transformPoints(SiteModel& model) {
    const Matrix& view = model.camera.view;
    const std::size_t count = static_cast<std::size_t>(std::max(model.document.pointCount, 0));
    std::vector<double>& elevations = model.renderer.sceneCorners.elevations;
    elevations.resize(count);
    model.renderer.scenePlacements.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        SurveyPoint& p = model.document.points[i];
        p.scenePosition = transformPoint(scenePoint(p), view);
        model.renderer.scenePlacements[i] = {project(model.renderer.frame, p.scenePosition), outcode(p.scenePosition)};
        elevations[i] = p.elevation;
    }
}

// The triangle's corners as placed on the screen by this rebuild, when all
// three lie inside the view; false otherwise (it must be clipped first).
bool placedInsideView(const SiteModel& model, const TinTriangle& t, const ScreenPlacement* (&corners)[3]) {
    const std::size_t placed = model.renderer.scenePlacements.size();
    for (int k = 0; k < 3; ++k) {
        const auto v = static_cast<std::size_t>(t.vertex[k]);
        if (v >= placed) return false;
        corners[k] = &model.renderer.scenePlacements[v];
        if (corners[k]->outcode != 0) return false;
    }
    return true;
}

// The surface mode the layer can draw now: smooth and grade-break shading
// need the shading stage, textures need a texture.
int effectiveSurfaceMode(const SiteModel& model) {
    int m = model.display.surfaceMode;
    if ((m == 2 || m == 3) && !model.document.shadingStage.done) m = 1;
    if ((m == 3 || m == 4 || m == 5) && !model.renderer.texture.loaded()) m = 1;
    return m;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Flat colours are worked out this many triangles at a time, just ahead of
// drawing them: few enough that their records are still in the cache.
constexpr int kShadeRun = 64;

// A flat colour darkened for a triangle seen from behind.
int backFaceColour(int colour) { return static_cast<int>(std::max(26.75, colour - 20.0)); }

void drawTriangleEdges(SiteModel& model, const TinTriangle& t, std::uint8_t colour) {
    FrameBuffer& f = model.renderer.frame;
    for (int k = 0; k < 3; ++k) {
        const int a = t.vertex[k], b = t.vertex[(k + 1) % 3];
        if (a < 0 || b < 0 || a >= model.document.pointCount || b >= model.document.pointCount) continue;
        drawLine3D(f, sceneTarget(f), cameraSpace(model, a), cameraSpace(model, b), colour);
    }
}

}  // namespace

void renderFrame(SiteModel& model, bool viewMoving, OverlayTextList& text) {
    FrameBuffer& f = model.renderer.frame;
    if (!f.hasBuffers() || f.displayBits.empty()) return;
    // The growing mesh changes every frame while the surface is being built.
    if (!model.document.triangulateStage.done && model.document.triangulateStage.running) model.renderer.redrawNeeded = true;
    if (model.renderer.redrawNeeded) {
        clearSceneBuffers(f);
        model.renderer.sceneCornersFresh = false;
        model.camera.BuildView(model.display.verticalScale, f.viewWidth, f.viewHeight);
        transformPoints(model);
        drawSurfaceLayer(model);
        drawContourLayer(model, viewMoving);
        drawOverlayLayer(model);
        drawPointLayer(model);
        drawNorthArrow(model);
        model.renderer.redrawNeeded = false;
    }
    copySceneToDisplay(f);
    // Rain, ponds, the cross section, the limit polygon and the axis marker
    // draw here into the displayed picture as those features land.
    drawSelectionMark(model);
    updateHoverLabel(model, text);
}

void drawSurfaceLayer(SiteModel& model) {
    FrameBuffer& f = model.renderer.frame;
    if (!model.document.triangulateStage.done) {
        drawGrowingMesh(model);
        return;
    }
    const int m = effectiveSurfaceMode(model);
    if (m == 0) return;
    const Vec3 eye = model.camera.eye;

    FillInputs inputs;
    switch (m) {
        case 1: break;  // flat colours are worked out in the fill loop below, a short run ahead
        case 2: smoothShade(model); break;
        case 7: elevationShade(model); break;
        default: prepareTexturedSurface(model, m, inputs); break;
    }
    if (model.display.showGrid && model.document.pointCount > 0) drawReferenceGrid(model, 25);

    ClipPolygon polygon;
    const RasterTarget target = sceneTarget(f);
    const bool shaded = m == 2 || m == 7;
    const bool textured = m == 3 || m == 4;
    const Light* light = model.renderer.light.get();
    auto& corners = model.renderer.sceneCorners.corners;
    corners.resize(static_cast<std::size_t>(model.document.triangleCount));
    for (int i = 0; i < model.document.triangleCount; ++i) {
        TinTriangle& t = model.document.triangles[static_cast<std::size_t>(i)];
        corners[static_cast<std::size_t>(i)] = {t.vertex[0], t.vertex[1], t.vertex[2]};
        if (m == 1 && light && i % kShadeRun == 0)
            flatShadeRange(*light, model.document.triangles, i, std::min(i + kShadeRun, model.document.triangleCount));
        const bool front = dot(eye - t.centroid, t.normal) > 0;
        const ScreenPlacement* placed[3];
        if (m == 1 && placedInsideView(model, t, placed)) {
            // Nothing to clip: fill straight from the shared projected corners.
            const int colour = front ? flatColour(t) : backFaceColour(flatColour(t));
            const ProjectedPoint& a = placed[front ? 0 : 1]->at;
            const ProjectedPoint& b = placed[front ? 1 : 0]->at;
            fillFlatTriangle(f, target, a, b, placed[2]->at, static_cast<std::uint8_t>(colour));
            continue;
        }
        for (int k = 0; k < 3; ++k) {
            const Vec3& p = cameraSpace(model, t.vertex[k]);
            ClipVertex& v = polygon[static_cast<std::size_t>(k)];
            v.x = p.x, v.y = p.y, v.z = p.z;
            v.shade = shaded ? t.shadeData[k] : 0.0;
            v.u = textured ? t.shadeData[3 + 2 * k] : 0.0;
            v.v = textured ? t.shadeData[4 + 2 * k] : 0.0;
        }
        int colour = flatColour(t);
        if (!front) {
            // Seen from behind: reverse the winding so the filler accepts it, and darken it.
            std::swap(polygon[0], polygon[1]);
            if (m == 1) colour = backFaceColour(colour);
        }
        drawPolygon(f, target, m, polygon, 3, static_cast<std::uint8_t>(colour), inputs);
    }
    model.renderer.sceneCornersFresh = true;
}

void drawOverlayLayer(SiteModel& model) {
    if (!model.document.triangulateStage.done) return;
    FrameBuffer& f = model.renderer.frame;
    if (model.display.showTriangles)
        for (int i = 0; i < model.document.triangleCount; ++i)
            drawTriangleEdges(model, model.document.triangles[static_cast<std::size_t>(i)], kTriangleOutlineColour);
    // CAD overlays and breaklines draw here as those features land.
    if (model.display.showNormals) {
        const int m = model.display.surfaceMode;
        const bool vertexNormals = ((m == 2 || m == 3) && model.document.shadingStage.done) || m > 3;
        const double length = 0.01 * model.document.siteSize;
        const Matrix& view = model.camera.view;
        for (int i = 0; i < model.document.triangleCount; ++i) {
            const TinTriangle& t = model.document.triangles[static_cast<std::size_t>(i)];
            if (vertexNormals) {
                for (int k = 0; k < 3; ++k) {
                    const Vec3 from = scenePoint(model.document.points[static_cast<std::size_t>(t.vertex[k])]);
                    drawLine3D(f, sceneTarget(f), transformPoint(from, view),
                               transformPoint(from + vertexNormal(t, k) * length, view), kVertexNormalColour);
                }
            } else {
                drawLine3D(f, sceneTarget(f), transformPoint(t.centroid, view),
                           transformPoint(t.centroid + t.normal * length, view), 4);
            }
        }
    }
}

void drawPointLayer(SiteModel& model) {
    FrameBuffer& f = model.renderer.frame;
    const RasterTarget target = sceneTarget(f);
    auto mark = [&](int i) {
        const SurveyPoint& p = model.document.points[static_cast<std::size_t>(i)];
        if (outcode(p.scenePosition) == 0)
            drawPointMark(f, target, project(f, p.scenePosition), p.displayMark, model.document.pointCount);
    };
    if (model.display.showPoints && model.document.documentLoaded)
        for (int i = 0; i < model.document.pointCount; ++i) mark(i);

    if (model.input.selectedPoint >= 0 && model.input.selectedPoint < model.document.pointCount) {
        // Points sharing the selected point's description stand out, unless
        // nearly all of them do (then nothing is singled out).
        const std::string_view code = descriptionOf(model.document.points[static_cast<std::size_t>(model.input.selectedPoint)]);
        int matched = 0;
        for (int i = 0; i < model.document.pointCount; ++i) {
            SurveyPoint& p = model.document.points[static_cast<std::size_t>(i)];
            if (equalsIgnoringCase(descriptionOf(p), code)) {
                p.displayMark = 3;
                ++matched;
            }
        }
        if (matched > 0.8 * model.document.pointCount) setAllDisplayMarks(model.document, 1);
        for (int i = 0; i < model.document.pointCount; ++i)
            if (model.document.points[static_cast<std::size_t>(i)].displayMark != 1) mark(i);
        setAllDisplayMarks(model.document, 1);
    }
    if (model.renderer.light && model.renderer.light->lightGlowVisible) drawLightGlow(f, *model.renderer.light, model.camera);
}

}  // namespace vellacor
