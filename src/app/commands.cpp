#include "app/commands.h"

#include "app/breaklines.h"
#include "app/cut_fill_view.h"
#include "app/site_edits.h"

#include <algorithm>
#include <array>
#include <optional>

#include "app/site_model.h"
#include "app/surface_stages.h"
#include "app/view_settings.h"
#include "app/volume_commands.h"
#include "app/water.h"
#include "app/window_open.h"
#include "platform/ui.h"
#include "render/frame_projection.h"

namespace vellacor {

namespace {

void redraw(SiteModel& model) { model.renderer.redrawNeeded = true; }

void flip(SiteModel& model, bool& the) {
    the = !the;
    redraw(model);
}

constexpr double kMinVerticalScale = 0.1;
constexpr double kMaxVerticalScale = 10.0;
constexpr double kMinContourInterval = 0.125;
constexpr double kMaxContourInterval = 500.0;

void scaleVertically(SiteModel& model, double factor) {
    double& vs = model.display.verticalScale;
    vs *= factor;
    if (vs < kMinVerticalScale) vs = kMinVerticalScale;
    if (vs >= kMaxVerticalScale) vs = kMaxVerticalScale;
    redraw(model);
}

// The keys halve or double the interval within [kMinContourInterval,
// kMaxContourInterval]. An interval typed in beyond those limits stays where
// it is rather than be pulled back the other way: + never makes the contours
// coarser, - never makes them finer.
void scaleContourInterval(SiteModel& model, double factor) {
    double& interval = model.document.contours.contourInterval;
    const double scaled = interval * factor;
    if (factor < 1.0)
        interval = std::min(interval, std::max(scaled, kMinContourInterval));
    else
        interval = std::max(interval, std::min(scaled, kMaxContourInterval));
    model.display.showContours = true;
    redraw(model);
}

}  // namespace

void togglePoints(SiteModel& model) { flip(model, model.display.showPoints); }
void toggleTriangles(SiteModel& model) { flip(model, model.display.showTriangles); }
void toggleContours(SiteModel& model) { flip(model, model.display.showContours); }
void toggleBreaklines(SiteModel& model) { flip(model, model.display.showBreaklines); }
void togglePointNumbers(SiteModel& model) { flip(model, model.display.showPointNumbers); }
void togglePointElevations(SiteModel& model) { flip(model, model.display.showPointElevations); }
void toggleGrid(SiteModel& model) { flip(model, model.display.showGrid); }
void toggleNormals(SiteModel& model) { flip(model, model.display.showNormals); }
void toggleRipples(SiteModel& model) { model.display.showRipples = !model.display.showRipples; }

void togglePointDescriptions(SiteModel& model, bool alsoShowPoints) {
    DisplaySwitches& d = model.display;
    d.showPointDescriptions = !d.showPointDescriptions;
    if (d.showPointDescriptions && alsoShowPoints) d.showPoints = true;
    redraw(model);
}

void toggleSurface(SiteModel& model) {
    DisplaySwitches& d = model.display;
    if (!d.rememberedSurfaceMode) d.rememberedSurfaceMode = d.surfaceMode;
    if (d.surfaceMode != SurfaceMode::Off) {
        d.surfaceMode = SurfaceMode::Off;
    } else {
        // A surface that was off when first remembered would never come back:
        // flat shading is the surface's plain form.
        d.surfaceMode = *d.rememberedSurfaceMode == SurfaceMode::Off ? SurfaceMode::Flat : *d.rememberedSurfaceMode;
    }
    recreateFrameBitmap(model);
    redraw(model);
}

void toggleLightGlow(SiteModel& model) {
    if (model.renderer.light) model.renderer.light->lightGlowVisible = !model.renderer.light->lightGlowVisible;
    redraw(model);
}

void toggleRain(SiteModel& model) {
    if (model.document.pointFileFormat == PointFileFormat::Raw) return;
    model.display.showRain = !model.display.showRain;
    if (model.water.rainSystem) model.water.rainSystem->SetSpawnMode(SpawnMode::Scatter, rainGroundOf(model));
}

void togglePonds(SiteModel& model) {
    // Hidden ponds keep their water: showing them again shows it as it was.
    model.display.showPonds = !model.display.showPonds;
}

void restartRain(SiteModel& model) {
    model.random.seed(static_cast<std::mt19937::result_type>(Clock::now().time_since_epoch().count()));
    if (!model.water.rainSystem) return;
    model.water.rainSystem->reseed(static_cast<std::uint32_t>(model.random()));
    model.water.rainSystem->SetSpawnMode(SpawnMode::Pour, rainGroundOf(model));
}

void toggleCadOverlays(SiteModel& model) {
    DisplaySwitches& d = model.display;
    if (model.overlays.dxfOverlay) d.showDxfOverlay = !d.showDxfOverlay;
    if (model.overlays.dwfOverlay) d.showDwfOverlay = !d.showDwfOverlay;
    // A DWF drawing coming into view brings its alignment with it once overlays land.
    redraw(model);
}

void setNormalTextureMode(SiteModel& model) {
    RendererState& r = model.renderer;
    if (!r.textureLoaded) makeRadialTexture(r.texture);
    setSurfaceMode(model, SurfaceMode::NormalTexture);
}

bool useTexturePicture(SiteModel& model, Ui& ui, const std::string& path) {
    RendererState& r = model.renderer;
    if (!loadTexture(r.texture, ui, path)) return false;
    r.textureLoaded = true;
    markSiteChanged(model);
    r.palette[1] = r.texture.palette;
    recreateFrameBitmap(model);
    redraw(model);
    return true;
}

void loadSurfaceTexture(SiteModel& model, Ui& ui) {
    const std::optional<std::string> path = ui.chooseOpenFile("Image (*.bmp)|*.bmp||");
    if (path) useTexturePicture(model, ui, *path);
}

void setSwirlTextureMode(SiteModel& model, Ui& ui) {
    if (!model.renderer.texture.loaded()) loadSurfaceTexture(model, ui);
    setSurfaceMode(model, SurfaceMode::SwirlTexture);
}

void increaseVerticalScale(SiteModel& model) { scaleVertically(model, 1.1); }
void decreaseVerticalScale(SiteModel& model) { scaleVertically(model, 0.9); }
void resetVerticalScale(SiteModel& model) {
    model.display.verticalScale = 1.0;
    redraw(model);
}

void halveContourInterval(SiteModel& model) { scaleContourInterval(model, 0.5); }
void doubleContourInterval(SiteModel& model) { scaleContourInterval(model, 2.0); }

void increaseContourSmoothing(SiteModel& model) {
    double& s = model.document.contours.contourSmoothing;
    s = std::min(s + 0.1, 1.0);
    redraw(model);
}

void decreaseContourSmoothing(SiteModel& model) {
    double& s = model.document.contours.contourSmoothing;
    s -= 0.1;
    if (s <= 0.0) s = 0.0;
    redraw(model);
}

void showContourOptions(SiteModel& model, Ui& ui) {
    ContourSettings& c = model.document.contours;
    ContourOptionsDialog dialog{c.contourInterval, c.contourLimitMode == ContourLimitMode::InsidePolygon};
    if (!ui.run(dialog)) return;
    c.contourInterval = std::clamp(dialog.interval, kSmallestTypedInterval, kLargestTypedInterval);
    c.contourLimitMode = dialog.limitToPolygon ? ContourLimitMode::InsidePolygon : ContourLimitMode::Everywhere;
    redraw(model);
}

void toggleFreelook(SiteModel& model) {
    model.camera.ToggleFreelook(cameraInputsOf(model), model.document.triangulateStage.done,
                                screenDepthOf(model.renderer.frame));
    redraw(model);
}

void setCameraMode(SiteModel& model, CameraMode mode) {
    model.camera.SetMode(cameraInputsOf(model), mode);
    redraw(model);
}

void undoLastBreakline(SiteModel& model) {
    const std::vector<Breakline>& pairs = model.document.breaklines.pairs;
    // Taking a breakline back is itself an edit: Edit > Undo brings it back.
    if (!pairs.empty()) {
        const Breakline last = pairs.back();
        if (undoBreakline(model)) recordSiteEdit(model, BreaklineEdit{last, false});
    }
    redraw(model);
}

void cancelWork(SiteModel& model) {
    for (int s = 0; s < kStageCount; ++s) cancelStage(model, static_cast<StageId>(s));
    cancelVolumes(model);  // nothing is shown for it
    if (cancelCutFillDifference(model)) model.display.surfaceMode = SurfaceMode::Flat;
    cancelComparisonBuild(model);
    cancelOpening(model);  // the read's end is reported by the next frame
    SiteDocument& doc = model.document;
    DisplaySwitches& d = model.display;
    const auto hideWaterAndDrawings = [&d] { d.showDwfOverlay = d.showDxfOverlay = d.showRain = d.showPonds = false; };
    if (!doc.triangulateStage.done) {
        d.showTriangles = false;
        d.surfaceMode = SurfaceMode::Off;
        d.showPoints = true;
        hideWaterAndDrawings();
    }
    if (!doc.contourStage.done) {
        hideWaterAndDrawings();
        model.water.rainSystem.reset();
    }
    if (!doc.shadingStage.done && needsVertexNormals(d.surfaceMode)) d.surfaceMode = SurfaceMode::Flat;
    if (!doc.dwfOverlayStage.done) d.showDwfOverlay = false;
    if (!doc.dxfOverlayStage.done) d.showDxfOverlay = false;
    model.input.selectedPoint = kNoSelection;
    setAllDisplayMarks(doc, PointMark::Ordinary);
    model.input.section.reset();  // the cross section being drawn is dropped
    if (!doc.breaklines.ready()) {
        d.surfaceMode = SurfaceMode::Flat;
        doc.breaklines.allInserted = true;  // the insertions still waiting are dropped
        // The display the stopped insertion saved belongs to it: a later one saves its own.
        model.work.displayBeforeBreaklines.reset();
    }
    redraw(model);
}

std::string helpText() {
    static constexpr std::array<const char*, 41> lines = {
        "Vellacor - Help (visit https://vellacor.example/help for additional help)",
        "",
        "Open:",
        "\tSurvey Point file:",
        "\t\tMust be plain text, PNEZD or PENZD or XYZ format.",
        "\tDXF file:",
        "\t\tMust be in ASCII (plain text) format.",
        "\tXML file:",
        "\t\tLandXML format, first <Surface> and <CgPoints> will be loaded.",
        "Viewpoint:",
        "\tMouse:",
        "\t\tLeft button for view direction (hold it down), clicking near axis will let you move the axis.",
        "\t\tRight button to zoom in (hold it down).",
        "\t\tMouse Wheel to zoom in/out.",
        "\t\t'Freelook' mode - press V key to toggle.",
        "\tKeyboard:",
        "\t\tUse arrow keys or WASD keys.",
        "\t\tSpace bar or zero moves upward, X moves downward.",
        "Breaklines:",
        "\tDouble-click on two different points to create a breakline.",
        "\tUndo with the U key.",
        "Contours:",
        "\tPress 4 to show contours, use + and - to adjust contour interval.",
        "\tUse Insert and Delete keys to change contour smoothing.",
        "\tOptions->Contouring->Limit Contours will only show contours inside a polygon area.",
        "\t\t(to move a polygon vertex, click and drag it, with Ctrl key makes a new vertex).",
        "Cross Section:",
        "\tHold down the Ctrl key, then double-click at beginning and end of cross section.",
        "CAD overlay:",
        "\tDXF File (must be in ASCII format) will overlay automatically.",
        "\tDWF File (must be in ASCII format) must be aligned with surface.",
        "\t\tPan and zoom with the mouse buttons.",
        "\t\tDouble-click a survey point, and do the same for a second point.",
        "Edit point:",
        "\tDouble-click point to select, press E to edit.",
        "Wall point:",
        "\tDouble-click point to select, double-click for direction to set a new point a short distance away.",
        "Save:",
        "\tSave Points...",
        "\t\tSurvey points are saved to a text file.",
        "\tSave as...",
    };
    std::string text;
    for (const char* line : lines) text += std::string(line) + "\n";
    text += "\t\tPoints, contours, breaklines, and surface are saved as a DXF or XML file.\n";
    return text;
}

void showHelp(Ui& ui) { ui.message(helpText(), MessageKind::Help); }

}  // namespace vellacor
