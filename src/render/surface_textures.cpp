#include "render/surface_textures.h"

#include <cmath>

#include "camera/matrix.h"
#include "camera/vector_math.h"
#include "app/site_model.h"
#include "render/frame_buffer.h"
#include "render/line.h"
#include "render/shading.h"
#include "surface/surface_work.h"

namespace vellacor {

namespace {

void sphereMapCoordinates(SiteModel& model) {
    const Texture& tex = model.renderer.texture;
    const double cx = (tex.width - 1) / 2.0, cy = (tex.height - 1) / 2.0;
    const double r = std::min(cx, cy) - 1;
    const Matrix& view = model.camera.view;
    for (int i = 0; i < model.document.triangleCount; ++i) {
        TinTriangle& t = model.document.triangles[static_cast<std::size_t>(i)];
        for (int k = 0; k < 3; ++k) {
            const SurveyPoint& p = model.document.points[static_cast<std::size_t>(t.vertex[k])];
            const Vec3 at{p.easting, p.northing, p.elevation};
            const Vec3 n = normalise(transformPoint(at + vertexNormal(t, k), view) - transformPoint(at, view));
            textureU(t, k) = cx + n.x * r;
            textureV(t, k) = cy + n.y * r;
        }
    }
}

// The image turning and breathing over the surface; a rebuild every frame keeps it moving.
void swirlCoordinates(SiteModel& model) {
    static thread_local double phase = 0.0;
    phase -= 0.02;
    const Texture& tex = model.renderer.texture;
    const double scale = (std::sin(phase) * 0.8 + 2.0) * (0.4 * tex.width / model.document.siteSize);
    const double c = std::cos(phase), s = std::sin(phase);
    for (int i = 0; i < model.document.triangleCount; ++i) {
        TinTriangle& t = model.document.triangles[static_cast<std::size_t>(i)];
        for (int k = 0; k < 3; ++k) {
            const SurveyPoint& p = model.document.points[static_cast<std::size_t>(t.vertex[k])];
            const double x = p.easting - model.document.siteCentre.x, y = p.northing - model.document.siteCentre.y;
            textureU(t, k) = tex.width / 2.0 + (x * c - y * s) * scale;
            textureV(t, k) = tex.height / 2.0 + (x * s + y * c) * scale;
        }
    }
    model.renderer.redrawNeeded = true;
}

}  // namespace

void prepareTexturedSurface(SiteModel& model, int mode, FillInputs& inputs) {
    const Texture& tex = model.renderer.texture;
    inputs.texture = TextureImage{tex.pixels.data(), tex.width, tex.height};
    FrameBuffer& f = model.renderer.frame;
    if (mode == 3) sphereMapCoordinates(model);
    if (mode == 4 || mode == 5) stretchImage(tex, f.sceneBuffer.data(), f.clientWidth, f.viewHeight, f.viewWidth);
    if (mode == 4) swirlCoordinates(model);
}

void drawGrowingMesh(SiteModel& model) {
    copyGrowingMesh(model.work.growingMesh, model.renderer.shownMesh);
    FrameBuffer& f = model.renderer.frame;
    for (const MeshTriangle& t : model.renderer.shownMesh.triangles) {
        for (int k = 0; k < 3; ++k) {
            const int a = t[static_cast<std::size_t>(k)], b = t[static_cast<std::size_t>((k + 1) % 3)];
            if (a < 0 || b < 0 || a >= model.document.pointCount || b >= model.document.pointCount) continue;
            drawLine3D(f, sceneTarget(f), model.document.points[static_cast<std::size_t>(a)].scenePosition,
                       model.document.points[static_cast<std::size_t>(b)].scenePosition, kTriangleOutlineColour);
        }
    }
}

}  // namespace vellacor
