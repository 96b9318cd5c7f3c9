#include "camera/matrix.h"
#include "app/site_model.h"
#include "render/frame_buffer.h"
#include "render/line.h"
#include "render/scene.h"
#include "surface/contour_draw.h"

namespace vellacor {

namespace {

// Contour pieces arrive in site coordinates; the scene draws them in camera space.
class SceneContourSink : public ContourLineSink {
public:
    SceneContourSink(FrameBuffer& frame, const Matrix& view) : frame_(frame), view_(view) {}
    void line(const Vec3& from, const Vec3& to, std::uint8_t colour) override {
        drawLine3D(frame_, sceneTarget(frame_), transformPoint(from, view_), transformPoint(to, view_), colour);
    }

private:
    FrameBuffer& frame_;
    const Matrix& view_;
};

}  // namespace

void drawContourLayer(SiteModel& model, bool viewMoving) {
    if (!model.display.showContours || !model.document.triangulateStage.done) return;
    SceneContourSink sink(model.renderer.frame, model.camera.view);
    // While the view moves the contours are drawn straight: smoothing costs too much per frame.
    if (model.renderer.sceneCornersFresh)
        drawSurfaceContours(model.document, sink, viewMoving, model.renderer.sceneCorners);
    else
        drawSurfaceContours(model.document, sink, viewMoving);
}

}  // namespace vellacor
