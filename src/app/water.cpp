#include "app/water.h"

#include <new>

#include "app/navigation.h"
#include "app/site_model.h"
#include "app/surface_finished.h"
#include "app/surface_stages.h"
#include "platform/ui.h"
#include "water/pond_draw.h"

namespace vellacor {

RainGround rainGroundOf(const SiteModel& model) {
    return {linkedSurfaceOf(model), model.document.siteCentre, model.document.siteSize};
}

void startWaterSystems(SiteModel& model, Ui& ui) {
    if (!surfaceFinished(model.document)) return;
    WaterState& water = model.water;
    if (model.display.showRain && !water.rainSystem) {
        try {
            water.rainSystem = std::make_unique<RainSystem>(static_cast<std::uint32_t>(model.random()));
            // The first scatter also gathers the surface's faces for the drops.
            water.rainSystem->SetSpawnMode(SpawnMode::Scatter, rainGroundOf(model));
        } catch (const std::bad_alloc&) {
            fatalError(ui, "Failed to initialize particle system!");
        }
    }
    if (model.display.showPonds && !water.ponds) {
        try {
            auto ponds = std::make_unique<PondSystem>();
            ponds->Build(linkedSurfaceOf(model));
            water.ponds = std::move(ponds);
        } catch (const std::bad_alloc&) {
            // Left off: asking again every frame would only fail again.
            model.display.showPonds = false;
            ui.message("Unable to allocate memory for Ponds!", MessageKind::Error);
        }
    }
}

void stepWater(SiteModel& model) {
    if (!surfaceFinished(model.document)) return;
    FrameBuffer& frame = model.renderer.frame;
    const Matrix& view = model.camera.view;
    const SurfaceView surface = linkedSurfaceOf(model);
    const double siteSize = model.document.siteSize;
    PondSystem* ponds = model.display.showPonds ? model.water.ponds.get() : nullptr;
    if (ponds) {
        drawPonds(frame, view, model.camera.eye, surface, *ponds, model.display.showRipples);
        ponds->mergePass(surface);
        if (model.display.showRipples) ponds->waves().step(model.display.showRain);
        for (int p = 0; p < static_cast<int>(ponds->ponds().size()); ++p)
            if (!ponds->ponds()[static_cast<std::size_t>(p)].full) ponds->Rise(surface, p, siteSize);
    }
    RainSystem* rain = model.water.rainSystem.get();
    if (!model.display.showRain || !rain) return;
    const RainGround ground = rainGroundOf(model);
    std::optional<Vec3> cursorGround;
    const InteractionState& in = model.input;
    if (rain->spawnMode() == SpawnMode::Pour && in.cursorInView)
        cursorGround = groundAt(model, Pixel{in.cursorX, in.cursorY});
    const PondContact contact{ponds, DropSight{model.display.showRipples, &view, &frame}};
    const double seconds = model.cycle.frameSeconds;
    rain->Step(ground, seconds, contact, cursorGround, RainSight{&view, &frame});
    rain->AdaptCount(seconds, ground);
    rain->Draw(frame, view);
}

std::span<const std::uint8_t> lowPointMarksOf(const SiteModel& model) {
    if (!model.water.ponds || !model.display.showPonds) return {};
    return model.water.ponds->lowPointMarks();
}

}  // namespace vellacor
