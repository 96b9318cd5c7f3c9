#include "app/scene_rebuild.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <vector>

#include "app/cut_fill_view.h"
#include "app/site_model.h"
#include "system/spin_wait.h"
#include "render/frame_buffer.h"
#include "render/line_fragments.h"
#include "render/scene.h"
#include "render/surface_textures.h"
#include "surface/traced_contours.h"

namespace vellacor {

namespace {

// Tells the other thread of a rebuild that a step is done: when told, or at
// the latest when the scope ends, however it ends, so that neither thread
// waits for ever on one that failed.
template <class Signal>
class SignalOnExit {
public:
    explicit SignalOnExit(Signal signal) : signal_(signal) {}
    SignalOnExit(const SignalOnExit&) = delete;
    SignalOnExit& operator=(const SignalOnExit&) = delete;
    ~SignalOnExit() { now(); }
    void now() {
        if (done_) return;
        done_ = true;
        signal_();
    }

private:
    Signal signal_;
    bool done_ = false;
};

void setAndWake(std::atomic<bool>& flag) {
    flag.store(true, std::memory_order_release);
    flag.notify_all();
}

// Where lines traced only to be kept go.
class NoContourLines : public ContourLineSink {
public:
    void line(const Vec3&, const Vec3&, std::uint8_t) override {}
};

void waitFor(const std::atomic<bool>& flag) {
    waitUntil(flag, [](bool set) { return set; }, kFrameSpin);
}

using SteadyClock = std::chrono::steady_clock;

// A thread's working time, its waits for the other left out.
class BusyTime {
public:
    void start() { from_ = SteadyClock::now(); }
    void stop() { seconds += std::chrono::duration<double>(SteadyClock::now() - from_).count(); }
    double seconds = 0;

private:
    SteadyClock::time_point from_;
};

// Above this many triangles a pixel (18,000 in a 1280 x 720 view) the two
// fill threads split the triangles rather than the rows (see SurfaceRows).
// Split by rows, the upper thread reads every triangle and the lower one can
// only follow it; split by triangles, neither waits for the other, and laying
// the second frame over the first costs less than that from here up.
constexpr double kTrianglesPerPixelToSplit = 0.02;

// The row where the two threads of the next rebuild divide the frame: moved
// from `split` towards where they would have finished together, half the
// way, as the view's content moves between the halves. The picture is the
// same wherever the split is.
int balancedSplitRow(int split, int height, double upperSeconds, double lowerSeconds) {
    const double total = upperSeconds + lowerSeconds;
    if (!(total > 0)) return split;
    const double shift = 0.5 * (lowerSeconds - upperSeconds) / total * height;
    return std::clamp(split + static_cast<int>(std::lround(shift)), height / 8, height - height / 8);
}

// The first thread's share of the triangles for the next rebuild that
// splits them, moved the same way.
double balancedFirstShare(double share, double upperSeconds, double lowerSeconds) {
    const double total = upperSeconds + lowerSeconds;
    if (!(total > 0)) return share;
    return std::clamp(share + 0.5 * (lowerSeconds - upperSeconds) / total, 0.125, 0.875);
}

// While the view moves over a large surface, the frame draws its coarser
// versions (see chooseDetailFrame) in the same mode, or flat where the mode
// needs the whole surface's vertex normals. Not the cut/fill view, whose
// shades belong to the whole surface's triangles.
bool drawsDetail(SiteModel& model, bool viewMoving, SurfaceMode mode) {
    RendererState& r = model.renderer;
    const bool drawn = viewMoving && r.detail && mode != SurfaceMode::CutFill && mode != SurfaceMode::Off &&
                       chooseDetailFrame(*r.detail, surfaceOf(model.document), model.camera.view,
                                         viewportOf(r.frame), model.display.verticalScale, r.detailFrame);
    if (!drawn) {
        r.detailFrame.triangles.clear();
        r.detailFrame.points.clear();
        r.detailFrame.copies.clear();
    }
    return drawn;
}

void drawGrowingSurface(SiteModel& model) {
    RendererState& r = model.renderer;
    clearSceneBuffers(r.frame);
    placeAsDrawn(r, model.camera.view);
    takeGrowingMesh(model.work.growingMesh, r.shownMesh);  // empty once a build has stopped
    drawGrowingMesh(r.frame, model.camera.view, r.shownMesh, validPoints(model.document));
}

}  // namespace

SiteExtents extentsOf(const SiteDocument& d) { return {d.siteCentre, d.siteSize, d.minElevation, d.maxElevation}; }

void drawSurfaceAndContours(SiteModel& model, bool viewMoving) {
    SiteDocument& d = model.document;
    if (!d.triangulateStage.done) {
        drawGrowingSurface(model);
        return;
    }
    RendererState& r = model.renderer;
    FrameBuffer& f = r.frame;
    const Camera& camera = model.camera;
    SurfaceMode mode = drawableSurfaceMode(model.display.surfaceMode, d.shadingStage.done, r.texture.loaded());
    const bool detailed = drawsDetail(model, viewMoving, mode);
    r.drawingDetail = detailed;
    if (detailed && needsVertexNormals(mode)) mode = SurfaceMode::Flat;
    const SurfaceView surface = detailed ? r.detailFrame.surface() : surfaceOf(d);
    const SiteExtents site = extentsOf(d);
    const bool contours = model.display.showContours;
    ContourTraceKey key;
    if (contours && !detailed) key = contourTraceKey(d, viewMoving);
    TracedContours& traced = r.contourLines.forView(viewMoving);
    // A coarser surface's contours are traced from it after the fill, straight.
    const std::vector<ContourLine>* kept = contours && !detailed ? keptContourLines(traced, key) : nullptr;
    // Lines not traced yet are traced beside the fill, unless they are known
    // to be too many to keep.
    const bool traceBeside = contours && !detailed && !kept && !(traced.tooMany && traced.key == key);
    // Only lines traced straight onto the surface read the scene's corner
    // cache; kept lines would leave it unread, at 32 bytes a point.
    const bool cornerCache = contours && !detailed && !kept && !traceBeside;
    const bool shadeBeside = shadingPreparedApart(mode);
    if (mode == SurfaceMode::CutFill) prepareCutFillShading(model);
    if (shadeBeside) sizeSurfaceShading(r, surface.triangleCount, mode);
    LineFragments& fragments = r.lineFragments;

    ShadingProgress shading;
    std::atomic<bool> depthCleared{false}, rastered{false}, filled{false}, transformed{false},
        lowerFilled{false};
    bool lowerHalfBeside = false;  // set before `rastered`
    // With its shading made apart the surface is filled in two halves at
    // once, split where the contour fragments are: each thread fills its
    // half and lays that half's fragments. (Not under the reference grid,
    // which is drawn across the whole frame first.)
    const bool halves = shadeBeside && !model.display.showGrid;
    // With many triangles the threads take half the triangles each instead,
    // the second into a frame of its own that is laid over the first.
    const bool byTriangles =
        halves && static_cast<double>(surface.triangleCount) > kTrianglesPerPixelToSplit * f.pixelCount();
    if (byTriangles) {
        if (prepareSecondFill(r.secondFill, f)) r.secondFillDrawn = RowRange{};
    } else if (r.secondFill.depthBuffer.capacity() > 0) {
        r.secondFill = FrameBuffer{};
    }
    // The rows the second thread's triangles were drawn in: only those need
    // laying over the frame, and clearing for the next.
    RowRange secondDrawn;
    const int middleTriangle = static_cast<int>(std::lround(r.fillFirstShare * surface.triangleCount));
    const int height = f.viewHeight;
    const int splitRow = r.fillSplitRow > 0 && r.fillSplitRow < height ? r.fillSplitRow : height / 2;
    BusyTime upperBusy, lowerBusy;  // each thread's part, to balance the next rebuild
    constexpr int kAll = std::numeric_limits<int>::max();
    // Each thread keeps the corners of its own triangles: the cache is sized before they start.
    if (cornerCache) r.sceneCorners.corners.resize(static_cast<std::size_t>(surface.triangleCount));
    SurfaceRows upperRows = byTriangles ? SurfaceRows{0, kAll, true, cornerCache, 0, middleTriangle}
                            : halves    ? SurfaceRows{0, splitRow, true, cornerCache}
                                        : SurfaceRows{0, kAll, true, cornerCache};
    // The lower half of the rows, or the later half of the triangles drawn beside, or by the same thread.
    SurfaceRows lowerRows = byTriangles ? SurfaceRows{0, kAll, false, cornerCache, middleTriangle, kAll, &r.secondFill}
                                        : SurfaceRows{splitRow, kAll, false, false};
    // Split by rows, the upper pass reads every triangle anyway: it hands on
    // those that reach the lower rows, and the lower pass reads only those.
    HandedTriangles handed;
    const bool handing = halves && !byTriangles;
    if (handing) {
        if (r.handedTriangles.size() < static_cast<std::size_t>(surface.triangleCount))
            r.handedTriangles.resize(static_cast<std::size_t>(surface.triangleCount));
        handed.indices = r.handedTriangles;
        handed.fromRow = splitRow;
        upperRows.handTo = &handed;
        lowerRows.handedFrom = &handed;
    }
    const SurfaceRows lowerRowsHere =
        byTriangles ? SurfaceRows{0, kAll, false, cornerCache, middleTriangle, kAll} : lowerRows;
    // Flat colours need nothing but the triangle's corners: split by
    // triangles, each thread works out its own as it fills them, instead of
    // one thread shading every triangle while the other waits on it (half a
    // minute on 200 million triangles).
    const bool shadeInFill = byTriangles && mode == SurfaceMode::Flat;
    const bool shadeApart = shadeBeside && !shadeInFill;
    const ShadingProgress* shared = shadeApart ? &shading : nullptr;
    if (!r.frameWorker) r.frameWorker = std::make_unique<FrameWorker>();
    // Where no thread can be started, the worker runs the second core's
    // part first and then the first's: the second then leaves the lower half
    // to the first rather than wait for it.
    const bool twoThreads = r.frameWorker->startable();
    r.frameWorker->run(
        [&] {
            lowerBusy.start();
            SignalOnExit depthDone([&] { setAndWake(depthCleared); });
            SignalOnExit shadingDone([&] { shading.finish(surface.triangleCount); });
            SignalOnExit rasterDone([&] { setAndWake(rastered); });
            SignalOnExit lowerFillDone([&] { setAndWake(lowerFilled); });
            clearSceneDepth(f);
            depthDone.now();
            if (byTriangles) {
                clearSceneRows(r.secondFill, r.secondFillDrawn);
                r.secondFillDrawn = RowRange{0, 0};
            }
            if (shadeApart) prepareSurfaceShading(r, surface, camera.eye, mode, site, &shading);
            shadingDone.now();
            if (traceBeside) {
                NoContourLines nowhere;
                traceAndKeepContours(d, viewMoving, nullptr, nowhere, traced, key);
                if (traced.kept) kept = &traced.segments;
            }
            if (kept) rasterContourLines(f, camera.view, *kept, fragments, splitRow);
            lowerHalfBeside = (kept || halves) && twoThreads;
            rasterDone.now();
            if (!lowerHalfBeside) return;
            if (halves) {
                lowerBusy.stop();
                waitFor(transformed);
                lowerBusy.start();
                if (byTriangles) r.secondFillDrawn = RowRange{};  // should the fill not finish
                secondDrawn = drawSurfaceLayer(r, surface, camera, mode, site, false, shared, lowerRows);
                if (byTriangles) r.secondFillDrawn = secondDrawn;
                lowerFillDone.now();
                if (byTriangles) {
                    lowerBusy.stop();
                    waitFor(filled);
                    lowerBusy.start();
                    takeNearerPixels(f, r.secondFill, std::max(splitRow, secondDrawn.first),
                                     std::min(height, secondDrawn.limit));
                }
            } else {
                waitFor(filled);
            }
            if (kept) applyLineFragments(sceneTarget(f), fragments.lower);
            lowerBusy.stop();
        },
        [&] {
            upperBusy.start();
            SignalOnExit fillDone([&] { setAndWake(filled); });
            SignalOnExit transformDone([&] { setAndWake(transformed); });
            SignalOnExit handingDone([&] { handed.publishAll(); });
            clearScenePixels(f);
            if (detailed)
                transformCopiedPoints(r, r.detailFrame.copies, camera.view);
            else
                transformPoints(r, validPoints(d), camera.view, cornerCache);
            transformDone.now();
            waitFor(depthCleared);
            drawSurfaceLayer(r, surface, camera, mode, site, model.display.showGrid, shared, upperRows);
            handingDone.now();
            fillDone.now();
            upperBusy.stop();
            waitFor(rastered);
            upperBusy.start();
            if (halves && !lowerHalfBeside)
                drawSurfaceLayer(r, surface, camera, mode, site, false, shared, lowerRowsHere);
            if (byTriangles && lowerHalfBeside) {
                upperBusy.stop();
                waitFor(lowerFilled);
                upperBusy.start();
                takeNearerPixels(f, r.secondFill, secondDrawn.first, std::min(splitRow, secondDrawn.limit));
            }
            if (kept) {
                applyLineFragments(sceneTarget(f), fragments.upper);
                if (!lowerHalfBeside) applyLineFragments(sceneTarget(f), fragments.lower);
            }
            upperBusy.stop();
        });
    if (halves && lowerHalfBeside && byTriangles)
        r.fillFirstShare = balancedFirstShare(r.fillFirstShare, upperBusy.seconds, lowerBusy.seconds);
    else if (halves && lowerHalfBeside)
        r.fillSplitRow = balancedSplitRow(splitRow, height, upperBusy.seconds, lowerBusy.seconds);

    if (!contours) return;
    SceneContourSink sink(f, camera.view);
    if (detailed) {
        drawDetailContours(r.detailContours, *r.detail, r.detailFrame, d, sink);
        return;
    }
    if (kept) {
        // The list filled up: the rest go straight onto the finished surface, in order.
        for (std::size_t i = fragments.segmentsDone; i < kept->size(); ++i)
            sink.line((*kept)[i].from, (*kept)[i].to, (*kept)[i].colour);
        return;
    }
    // Too many to keep: traced again straight onto the surface, as every frame.
    traceAndKeepContours(d, viewMoving, r.sceneCornersFresh ? &r.sceneCorners : nullptr, sink, traced, std::move(key));
}

}  // namespace vellacor
