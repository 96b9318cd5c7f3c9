#pragma once
#include <chrono>
#include <memory>
#include <optional>
#include <random>
#include <span>

#include "app/comparison_surface.h"
#include "app/growing_draw_pacing.h"
#include "app/site_edits.h"
#include "app/volume_job.h"
#include "camera/camera.h"
#include "import/cad_overlay.h"
#include "import/surface_read.h"
#include "model/background_job.h"
#include "model/site_document.h"
#include "render/display_switches.h"
#include "render/renderer_state.h"
#include "render/vertex_normals.h"
#include "section/section_line.h"
#include "surface/drape_lines.h"
#include "surface/surface_jobs.h"
#include "surface/breakline_enforce.h"
#include "surface/surface_work.h"
#include "water/pond_system.h"
#include "water/rain_system.h"

namespace vellacor {

inline constexpr double kLoadHeading = 4.71238898038469;  // 3*pi/2: looking north

// Frame timing and presses: a clock that never jumps with the wall time.
using Clock = std::chrono::steady_clock;

// selectedPoint when no point is selected, hoverPoint when none is under the
// cursor. A pick that finds no point leaves nothing selected.
inline constexpr int kNoSelection = -666;
static_assert(kNoSelection == kNoPoint, "a pick's result is stored as the selection");

// What the user is doing with the mouse and the selection.
struct InteractionState {
    int selectedPoint = kNoSelection;
    int hoverPoint = kNoSelection;  // the point last found under the still cursor
    double hoverTime = 0.0;     // seconds the cursor has rested on it
    Clock::time_point lastHoverTick = Clock::now();
    bool cursorInView = false;  // the mouse is over the view at cursorX, cursorY (frame pixels)
    int cursorX = 0;
    int cursorY = 0;
    bool leftButtonDown = false;
    bool rightButtonDown = false;
    Clock::time_point leftPressTime;
    Clock::time_point rightPressTime;
    bool longPressEnded = false;  // a button came up after a hold: the next paint redraws in full
    bool mouseSeen = false;       // lastMouseX/Y hold a position
    int lastMouseX = 0;           // the previous mouse position, frame pixels
    int lastMouseY = 0;
    bool leftDragLooking = false;   // the current left drag turns the view
    bool rightDragStarted = false;  // the first move of the current right drag has been seen
    bool movingAxis = false;        // the current left drag moves the camera target
    std::optional<SectionLine> section;  // the cross section being drawn, from its first Ctrl + double-click
};

// The paint cycle's own timing.
struct FrameCycleState {
    // The clock that times frames; tests give their own so that what depends
    // on the frame rate (the rain's drop count) does not depend on the machine.
    Clock::time_point (*now)() = &Clock::now;
    double frameSeconds = 0.0;
    Clock::time_point frameStamp = Clock::now();
    bool forceRedrawOnce = false;
    double demoPhase = 0.0;  // the demonstration surface's ripples
    GrowingDrawRecord lastGrowingDraw;  // see growingDrawOutlastsBuild
};

// The background workers and what they leave for the user-interface thread.
// The snapshot comes first: it outlives the jobs whose workers publish to it.
// What the staged breakline insertion turns off while it runs.
struct InsertionDisplay {
    SurfaceMode surfaceMode = SurfaceMode::Flat;
    bool showTriangles = false;
    bool showDxfOverlay = true;
};

struct BackgroundWork {
    MeshSnapshot growingMesh;
    SurfaceWork surfaceWork;
    BackgroundJob<TriangulationOutput> triangulation;
    BackgroundJob<TopologyResult> topology;  // the neighbour links
    BackgroundJob<ShadingResult> shading;    // the vertex normals of the smooth surface
    BreaklineEnforcer breaklineEnforcer;     // keeps its edge links between breaklines
    // The points the last triangulation left out as duplicates, ascending,
    // each with the point it kept at that place: a breakline ending at one
    // goes to the kept point.
    std::vector<DuplicatePoint> duplicatePoints;
    std::optional<InsertionDisplay> displayBeforeBreaklines;  // while breaklines go in
    BackgroundJob<DrapeResult> dxfDraping;   // the DXF overlay laid on the surface
    BackgroundJob<DrapeResult> dwfDraping;   // the aligned DWF overlay laid on the surface
    VolumeJob volumes;                       // cut and fill against the comparison or a datum
    BackgroundJob<RendererState::CutFillDifference> cutFillDifference;  // for the cut/fill view
    std::atomic<double> cutFillProgress{0.0};
    // The coarser versions of a large surface that moving frames draw; the
    // worker reads the points and triangles in place.
    BackgroundJob<DetailSurface> detailLevels;
    std::atomic<double> detailProgress{0.0};
    // The window's read of a file on a worker (window_open.h), the path it
    // reads and how far it has got (before the job, which reports there).
    std::atomic<double> openingProgress{0.0};
    std::string openingPath;
    BackgroundJob<SurfaceReadResult> opening;
};

// Rain and ponds.
struct WaterState {
    std::unique_ptr<RainSystem> rainSystem;
    std::unique_ptr<PondSystem> ponds;
};

// Drawings laid over the surface.
struct OverlayState {
    std::unique_ptr<CadOverlay> dwfOverlay;
    std::unique_ptr<CadOverlay> dxfOverlay;
};

// The program-wide state: one instance per process, owned by the front end
// and passed by reference; tests make a fresh one each. Only the application
// layer and the front ends see it whole: the layers below take the parts they use.
struct SiteModel {
    SiteModel();
    ~SiteModel();
    SiteModel(const SiteModel&) = delete;
    SiteModel& operator=(const SiteModel&) = delete;

    SiteDocument document;
    DisplaySwitches display;
    Camera camera;
    RendererState renderer;
    InteractionState input;
    FrameCycleState cycle;
    WaterState water;
    OverlayState overlays;
    SiteEdits edits;  // undo, redo and what is not saved yet
    // LandXML's closing-tag complaints shown in this run, over every file
    // opened: only the first few are shown. Not cleared with the site.
    int landXmlTagErrorsShown = 0;
    ComparisonState comparison;  // the second surface the site is compared with
    BackgroundWork work;  // last: its threads are joined before the rest goes
    std::mt19937 random;
};

// The records of the document's points that are in use.
inline std::span<SurveyPoint> validPoints(SiteDocument& d) {
    return std::span<SurveyPoint>(d.points).first(static_cast<std::size_t>(std::max(d.pointCount, 0)));
}

// Clears `running` of every stage, cancels the shading job and waits for the
// workers to stop, so no worker of the old site writes into the model after
// this returns.
void cancelAllWorkers(SiteModel& model);

// Empties the site: no document, every switch and the camera as after start.
void clearSite(SiteModel& model);

// What the camera reads of the model for a frame.
CameraInputs cameraInputsOf(const SiteModel& model);

}  // namespace vellacor
