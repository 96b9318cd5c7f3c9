#include "cli/cli_render.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "app/document.h"
#include "app/frame_cycle.h"
#include "app/pipeline.h"
#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"
#include "app/site_model.h"
#include "app/view_settings.h"
#include "render/png_writer.h"

namespace vellacor {

namespace {

// The grade-break angle the window would ask for when smooth shading starts.
constexpr double kDefaultGradeBreak = 45.0;

struct RenderOptions {
    std::string file;
    std::string out;
    std::string format = "PNEZD";
    int width = 1280;
    int height = 720;
    int palette = 0;
    std::optional<SurfaceMode> surfaceMode;
    bool contours = false, triangles = false, points = false, labels = false;
    std::optional<double> interval;
};

bool parseSize(const std::string& text, int& width, int& height) {
    const auto x = text.find('x');
    if (x == std::string::npos) return false;
    const auto w = parseNumber(text.substr(0, x), 16, 8192);
    const auto h = parseNumber(text.substr(x + 1), 16, 8192);
    if (!w || !h) return false;
    width = static_cast<int>(*w);
    height = static_cast<int>(*h);
    return *w == width && *h == height;
}

bool parseRender(const std::vector<std::string>& args, RenderOptions& o) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--out" && hasValue) {
            o.out = args[++i];
        } else if (a == "--format" && hasValue) {
            o.format = args[++i];
            if (!isPointLayoutName(o.format)) return false;
        } else if (a == "--size" && hasValue) {
            if (!parseSize(args[++i], o.width, o.height)) return false;
        } else if (a == "--palette" && hasValue) {
            const auto v = parseNumber(args[++i], 0, 4);
            if (!v || *v != static_cast<int>(*v)) return false;
            o.palette = static_cast<int>(*v);
        } else if (a == "--surface-mode" && hasValue) {
            const auto v = parseNumber(args[++i], 0, kSurfaceModeCount - 1);
            if (!v || *v != static_cast<int>(*v)) return false;
            o.surfaceMode = surfaceModeFromInt(static_cast<int>(*v));
            if (!o.surfaceMode) return false;
        } else if (a == "--interval" && hasValue) {
            o.interval = parseNumber(args[++i], 0.125, 500.0);
            if (!o.interval) return false;
        } else if (a == "--contours") {
            o.contours = true;
        } else if (a == "--triangles") {
            o.triangles = true;
        } else if (a == "--points") {
            o.points = true;
        } else if (a == "--labels") {
            o.labels = true;
        } else if (!a.empty() && a[0] == '-') {
            return false;
        } else if (o.file.empty()) {
            o.file = a;
        } else {
            return false;
        }
    }
    return !o.file.empty() && !o.out.empty();
}

}  // namespace

int renderCommand(const std::vector<std::string>& args) {
    RenderOptions o;
    if (!parseRender(args, o)) return usageError();
    SiteModel model;
    CliUi ui(o.format);
    if (openDocument(model, ui, o.file) != OpenResult::Loaded) return 1;

    // The switches as the keys would set them after the load.
    while (model.display.paletteIndex != o.palette) cyclePalette(model);
    if (o.surfaceMode) model.display.surfaceMode = *o.surfaceMode;
    if (needsVertexNormals(model.display.surfaceMode)) model.display.gradeBreakAngle = kDefaultGradeBreak;
    model.display.showContours = o.contours;
    model.display.showTriangles = o.triangles;
    if (o.interval) model.document.contours.contourInterval = *o.interval;
    // Build everything the picture needs, as the window would over its first frames.
    runPipelineToCompletion(model, ui);
    // The point switches go on once the surface is there: taking the finished
    // surface over turns the point marks off, as the window does.
    model.display.showPoints = o.points || o.labels;
    model.display.showPointNumbers = model.display.showPointDescriptions = model.display.showPointElevations = o.labels;
    // A frame after the surface is finished: nothing left in progress.
    RgbImage picture;
    model.cycle.frameSeconds = 0.0;
    paintFrame(model, ui, o.width, o.height, picture);
    model.cycle.frameSeconds = 0.0;
    model.renderer.redrawNeeded = true;
    paintFrame(model, ui, o.width, o.height, picture);
    // The overlay text was drawn over the frame's palette colours; the file keeps that palette.
    if (!writePng(o.out, picture, model.renderer.frame.bitmapPalette)) {
        std::fprintf(stderr, "Unable to open file for writing!\n\n%s\n", o.out.c_str());
        return 1;
    }
    std::printf("Saved File:\n%s\n", std::filesystem::absolute(o.out).string().c_str());
    return 0;
}

}  // namespace vellacor
