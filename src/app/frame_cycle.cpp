#include "app/frame_cycle.h"

#include <chrono>
#include <filesystem>

#include "app/pipeline.h"
#include "model/site_model.h"
#include "platform/ui.h"
#include "render/bitmap_text.h"
#include "render/frame_buffer.h"
#include "render/scene.h"
#include "render/status_overlay.h"

namespace vellacor {

double elapsedSince(Clock::time_point stamp) {
    return std::chrono::duration<double>(Clock::now() - stamp).count();
}

namespace {

void ensureFrameSize(SiteModel& model, int clientWidth, int clientHeight) {
    FrameBuffer& f = model.frame;
    if (f.clientWidth != clientWidth || f.clientHeight != clientHeight || !f.hasBuffers())
        resizeFrameBuffer(model, clientWidth, clientHeight);
    if (!f.bitmapExists && f.hasBuffers()) createFrameBitmap(f, model.palette[0]);
}

// The start picture, read once, stretched over the frame in its own colours.
const Palette& drawStartScreen(SiteModel& model, Ui& ui) {
    FrameBuffer& f = model.frame;
    if (!model.logoTried) {
        model.logoTried = true;
        if (!model.programFolder.empty())
            loadTexture(model.logo, ui, (std::filesystem::path(model.programFolder) / "logo.bmp").string());
    }
    if (!model.logo.loaded()) {
        std::fill(f.displayBits.begin(), f.displayBits.end(), static_cast<std::uint8_t>(kBackgroundColour));
        return f.bitmapPalette;
    }
    stretchImage(model.logo, f.displayBits.data(), f.clientWidth, f.viewHeight, f.viewWidth);
    return model.logo.palette;
}

bool decideViewMoving(const SiteModel& model) {
    bool moving = false;
    if (model.leftButtonDown && elapsedSince(model.leftPressTime) >= 0.2)
        moving = true;
    else if (model.rightButtonDown && elapsedSince(model.rightPressTime) >= 0.2)
        moving = true;
    if (!model.breaklines.ready()) moving = true;
    if (model.selectedPoint != kNoPoint) moving = true;
    return moving;
}

}  // namespace

void paintFrame(SiteModel& model, Ui& ui, int clientWidth, int clientHeight, RgbImage& picture) {
    ensureFrameSize(model, clientWidth, clientHeight);
    FrameBuffer& f = model.frame;
    OverlayTextList text;
    const Palette* palette = &f.bitmapPalette;
    if (f.hasBuffers() && !f.displayBits.empty()) {
        if (!model.documentLoaded) {
            palette = &drawStartScreen(model, ui);
        } else {
            runPipeline(model, ui);
            bool viewMoving = decideViewMoving(model);
            if (model.camera.Update(model)) {
                model.redrawNeeded = true;
                viewMoving = true;
            }
            // Keyboard flight joins here (only while the window is in front).
            if (model.leftButtonDown || model.rightButtonDown) viewMoving = true;
            renderFrame(model, viewMoving, text);
            if (model.forceRedrawOnce) {
                model.forceRedrawOnce = false;
                model.redrawNeeded = true;
            }
            drawStatusOverlay(model, text);
            // Pending breaklines are inserted here, a few per frame, when that lands.
        }
        paletteToRgb(f.displayBits.data(), f.clientWidth, f.viewHeight, f.viewWidth, *palette, picture);
        BitmapTextPainter painter(picture);
        paintOverlayText(painter, text);
    } else {
        picture = RgbImage{std::max(clientWidth, 0), std::max(clientHeight, 0), {}};
        picture.pixels.assign(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height),
                              0xFF000000u);
    }
    model.frameSeconds = elapsedSince(model.frameStamp);
    model.frameStamp = Clock::now();
}

}  // namespace vellacor
