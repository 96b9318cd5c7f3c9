#include "render/surface_textures.h"

#include <cmath>

#include "camera/vector_math.h"
#include "render/frame_buffer.h"
#include "render/line.h"

namespace vellacor {

namespace {

void sphereMapCoordinates(RendererState& state, const SurfaceView& surface, const Matrix& view) {
    const Texture& tex = state.texture;
    const double cx = (tex.width - 1) / 2.0, cy = (tex.height - 1) / 2.0;
    const double r = std::min(cx, cy) - 1;
    for (int i = 0; i < surface.triangleCount; ++i) {
        const TinTriangle& t = surface.triangle(i);
        TriangleShade& s = state.shades[static_cast<std::size_t>(i)];
        for (int k = 0; k < 3; ++k) {
            const SurveyPoint& p = surface.point(t.vertex[k]);
            const Vec3 at{p.easting, p.northing, p.elevation};
            const Vec3 n = normalise(transformPoint(at + s.normal[k], view) - transformPoint(at, view));
            // Camera x points to the screen's left and y down, and texture rows
            // run top first: a face turned right shows the image's right side,
            // one turned up its top, as on a ball facing the viewer.
            s.u[k] = cx - n.x * r;
            s.v[k] = cy + n.y * r;
        }
    }
}

// The image turning and breathing over the surface; a rebuild every frame keeps it moving.
void swirlCoordinates(RendererState& state, const SurfaceView& surface, const Vec3& siteCentre, double siteSize) {
    state.swirlPhase -= 0.02;
    const double phase = state.swirlPhase;
    const Texture& tex = state.texture;
    const double scale = (std::sin(phase) * 0.8 + 2.0) * (0.4 * tex.width / siteSize);
    const double c = std::cos(phase), s = std::sin(phase);
    for (int i = 0; i < surface.triangleCount; ++i) {
        const TinTriangle& t = surface.triangle(i);
        TriangleShade& shade = state.shades[static_cast<std::size_t>(i)];
        for (int k = 0; k < 3; ++k) {
            const SurveyPoint& p = surface.point(t.vertex[k]);
            const double x = p.easting - siteCentre.x, y = p.northing - siteCentre.y;
            // Rows run top first: north goes up the image, so it is not mirrored.
            shade.u[k] = tex.width / 2.0 + (x * c - y * s) * scale;
            shade.v[k] = tex.height / 2.0 - (x * s + y * c) * scale;
        }
    }
    state.redrawNeeded = true;
}

}  // namespace

void prepareTexturedSurface(RendererState& state, SurfaceMode mode, const SurfaceView& surface, const Matrix& view,
                            const Vec3& siteCentre, double siteSize, FillInputs& inputs) {
    const Texture& tex = state.texture;
    inputs.texture = TextureImage{tex.pixels.data(), tex.width, tex.height};
    FrameBuffer& f = state.frame;
    if (state.shades.size() < static_cast<std::size_t>(surface.triangleCount))
        state.shades.resize(static_cast<std::size_t>(surface.triangleCount));
    if (mode == SurfaceMode::NormalTexture) sphereMapCoordinates(state, surface, view);
    if (mode == SurfaceMode::SwirlTexture || mode == SurfaceMode::ImageOnly)
        stretchImage(tex, f.sceneBuffer.data(), f.clientWidth, f.viewHeight, f.viewWidth);
    if (mode == SurfaceMode::SwirlTexture) swirlCoordinates(state, surface, siteCentre, siteSize);
}

void drawGrowingMesh(FrameBuffer& frame, const Matrix& view, const GrowingMesh& mesh,
                     std::span<const SurveyPoint> points) {
    const auto count = static_cast<int>(points.size());
    for (const MeshTriangle& t : mesh.triangles) {
        for (int k = 0; k < 3; ++k) {
            const int a = t[static_cast<std::size_t>(k)], b = t[static_cast<std::size_t>((k + 1) % 3)];
            if (a < 0 || b < 0 || a >= count || b >= count) continue;
            drawLine3D(frame, sceneTarget(frame), cameraSpaceOf(points[static_cast<std::size_t>(a)], view),
                       cameraSpaceOf(points[static_cast<std::size_t>(b)], view), kTriangleOutlineColour);
        }
    }
}

}  // namespace vellacor
