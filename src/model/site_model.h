#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "camera/camera.h"
#include "import/cad_overlay.h"
#include "model/stage.h"
#include "model/survey_point.h"
#include "model/workers.h"
#include "render/frame_buffer.h"
#include "render/light.h"
#include "render/palette.h"
#include "render/projection.h"
#include "render/texture.h"
#include "render/vertex_normals.h"
#include "surface/breakline_list.h"
#include "surface/contour_draw.h"
#include "surface/limit_polygon.h"
#include "surface/surface_work.h"
#include "surface/tin_triangle.h"
#include "water/pond_system.h"
#include "water/rain_system.h"

namespace vellacor {

inline constexpr double kNoElevation = 99999999.0;
inline constexpr double kLoadHeading = 4.71238898038469;  // 3*pi/2: looking north

using Clock = std::chrono::system_clock;

// The one state of the loaded site. One instance per process, owned by the
// application and passed by reference; tests make a fresh one each.
struct SiteModel {
    SiteModel();
    ~SiteModel();
    SiteModel(const SiteModel&) = delete;
    SiteModel& operator=(const SiteModel&) = delete;

    // Points: the vector's size is the allocation (with spare records),
    // pointCount the valid records.
    std::vector<SurveyPoint> points;
    int pointCount = 0;
    SkippedLines skippedLines;  // of the point file last read
    std::vector<TinTriangle> triangles;
    int triangleCount = 0;

    Vec3 siteCentre;
    double siteSize = 1.0;
    double minElevation = kNoElevation;
    double maxElevation = kNoElevation;

    bool documentLoaded = false;
    std::string pointFileFormat = "UNKNOWN";
    bool pointsNeedTriangulation = false;
    int nextPointNumber = 0;
    int selectedPoint = kNoPoint;

    double verticalScale = 1.0;
    double contourInterval = 1.0;
    double contourSmoothing = 1.0;
    double gradeBreakAngle = 0.0;
    bool redrawNeeded = true;

    // Display switches.
    bool showPoints = false;
    bool showTriangles = false;
    int surfaceMode = 1;  // 0 off, 1 flat, 2 smooth, 3 grade break, 4 texture, ... 7 elevation
    bool showContours = false;
    bool showBreaklines = false;
    bool showRain = false;
    bool showPonds = false;
    bool showDwfOverlay = false;
    bool showDxfOverlay = true;
    bool showPointNumbers = false;
    bool showPointDescriptions = false;
    bool showPointElevations = false;
    bool showGrid = false;
    bool showNormals = false;
    bool showRipples = false;
    int rememberedSurfaceMode = -1;  // key 3's memory, once per run; -1 = not yet used

    BreaklineList breaklines;
    int breaklinesInserted = 0;
    std::unique_ptr<CadOverlay> dwfOverlay;
    std::unique_ptr<CadOverlay> dxfOverlay;
    std::unique_ptr<Light> light;
    std::unique_ptr<RainSystem> rainSystem;
    std::unique_ptr<PondSystem> ponds;
    std::unique_ptr<LimitPolygon> limitPolygon;
    int contourLimitMode = 1;  // 1 everywhere, 3 only inside limitPolygon

    Camera camera;
    Vec3& cameraTarget = camera.target;  // the orbit target lives in the camera

    // Background stages and the one progress value the status line shows.
    StageTriple triangulateStage;
    StageTriple contourStage;  // the neighbour links ("Topology")
    StageTriple shadingStage;
    StageTriple dwfOverlayStage;
    StageTriple dxfOverlayStage;
    std::atomic<double> progress{0.0};
    WorkerThreads workers;

    // Palettes and the frame.
    Palette palette[2] = {};
    int paletteIndex = 0;
    int savedSurfaceMode = 1;
    FrameBuffer frame;

    // Renderer state.
    std::shared_ptr<ShadingJob> shadingJob;  // the shading worker's run until its result is adopted
    bool textureLoaded = false;              // a texture image is loaded: picks the bitmap's palette

    // Scene composition and the view.
    Texture texture;         // the surface texture
    Texture logo;            // the start picture, read once
    std::string programFolder;  // where the program file is: logo.bmp lies beside it
    bool logoTried = false;
    GrowingMesh shownMesh;      // the part of the surface drawn while it is being built
    ContourCornerCache sceneCorners;  // filled by the surface pass of a rebuild for the contour pass
    bool sceneCornersFresh = false;
    std::vector<ScreenPlacement> scenePlacements;  // one per point, set with scenePosition by a rebuild
    int hoverPoint = kNoPoint;  // the point last found under the still cursor
    double hoverTime = 0.0;     // seconds the cursor has rested on it
    Clock::time_point lastHoverTick = Clock::now();
    bool cursorInView = false;  // the mouse is over the view at cursorX, cursorY (frame pixels)
    int cursorX = 0;
    int cursorY = 0;

    // Paint cycle and mouse state.
    double frameSeconds = 0.0;
    Clock::time_point frameStamp = Clock::now();
    bool leftButtonDown = false;
    bool rightButtonDown = false;
    Clock::time_point leftPressTime;
    Clock::time_point rightPressTime;
    bool forceRedrawOnce = false;

    std::mt19937 random;

    // ---- Surface model (src/surface): the triangulation and neighbour-link
    // workers' jobs, the growing mesh they publish, the hull edge list ----
    SurfaceWork surfaceWork;
};

StageTriple& stageOf(SiteModel& model, StageId stage);

// Clears `running` of every stage and waits for the workers to stop, so no
// worker of the old site writes into the model after this returns.
void cancelAllWorkers(SiteModel& model);

void computeExtents(SiteModel& model);
void computeNextPointNumber(SiteModel& model);
void clearSite(SiteModel& model);
void setAllDisplayMarks(SiteModel& model, std::uint8_t mark);

}  // namespace vellacor
