#include "section/section_dxf.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "camera/vector_math.h"
#include "export/dxf_entities.h"
#include "export/dxf_sections.h"
#include "export/file_sink.h"
#include "export/number_format.h"
#include "surface/drape.h"

namespace vellacor {

// Our drafting conventions for the section drawing, with g the grid interval
// and t the text height (g / 10):
// - The end marks are ticks of length g to the left of the line, each with a
//   stroke of 0.23 g leaning back towards the middle of the line, and the
//   letter "A" (height 2t) centred 1.5t beyond the tick's tip.
// - Station ticks are g/2 long, centred on the line; their labels (height t)
//   start t beyond the tick and read outwards, upright.
// - The profile is drawn at true scale, its distance origin (A) at
//   siteCentre.x - L/2 so that it sits centred under the site, its grid's
//   bottom edge at siteCentre.y - siteSize. The grid covers the on-surface
//   part of the line, rounded out to whole intervals both ways.
// - Elevation labels (height t) sit t outside both ends of each horizontal
//   grid line; station labels (height t) hang t below every vertical grid
//   line; the title (height 2t) stands 2t above the grid.
// - Where the line leaves the surface the ground line breaks: one polyline
//   for each stretch on the surface.

namespace {

constexpr std::string_view kSectionLayer = "Section";
constexpr std::string_view kTextLayer = "GRIDTEXT";
constexpr std::string_view kGridLayer = "Grid";
constexpr std::string_view kTextStyle = "ROMANS";

using enum DxfAlignAlong;
using enum DxfAlignAcross;

void text(std::string& out, std::string_view s, double x, double y, double height, double rotation, DxfAlignAlong h,
          DxfAlignAcross v) {
    dxfText(out, s, x, y, 0.0, height, rotation, 0.0, kTextStyle, kTextLayer, h, v);
}

void line(std::string& out, std::string_view layer, double x1, double y1, double x2, double y2) {
    dxfLine(out, layer, x1, y1, 0.0, x2, y2, 0.0);
}

// The tick of length g to the left of the line at (x, y), its stroke of
// 0.23 g along `lean`, and the letter beyond the tick.
void endMark(std::string& out, double x, double y, double phi, double lean, double g, double t) {
    const double tx = x + g * std::cos(phi), ty = y + g * std::sin(phi);
    line(out, kSectionLayer, x, y, tx, ty);
    line(out, kSectionLayer, tx, ty, tx + 0.23 * g * std::cos(lean), ty + 0.23 * g * std::sin(lean));
    text(out, "A", tx + 1.5 * t * std::cos(phi), ty + 1.5 * t * std::sin(phi), 2 * t, 0.0, Centre, Middle);
}

void planMarks(std::string& out, double ax, double ay, double bx, double by, double g, double t) {
    double theta = std::atan2(by - ay, bx - ax);
    if (theta < 0) theta += 2 * kPi;
    const double phi = theta + kPi / 2;
    line(out, kSectionLayer, ax, ay, bx, by);
    endMark(out, ax, ay, phi, theta, g, t);
    endMark(out, bx, by, phi, theta + kPi, g, t);

    // Station ticks every g, labelled every 5g; labels turned to read upright.
    const double length = std::trunc(std::hypot(bx - ax, by - ay));
    const double ux = std::cos(theta), uy = std::sin(theta);
    const double nx = std::cos(phi), ny = std::sin(phi);
    const bool turned = phi > kPi / 2 && phi < 3 * kPi / 2;
    const double half = 0.25 * g;
    for (int i = 0; i * g <= length; ++i) {
        const double d = i * g;
        const double px = ax + d * ux, py = ay + d * uy;
        line(out, kTextLayer, px - half * nx, py - half * ny, px + half * nx, py + half * ny);
        if (i % 5 != 0) continue;
        const double gap = half + t;
        text(out, stationText(d), px + gap * nx, py + gap * ny, t, turned ? phi - kPi : phi, turned ? Right : Left,
             Middle);
    }
}

void profileDrawing(std::string& out, const std::vector<Vec3>& draped, double ax, double ay, double length,
                    const SiteExtents& site, double g, double t) {
    const auto onSurface = [](const Vec3& p) { return p.z != kOutsideSurface; };
    const auto first = std::find_if(draped.begin(), draped.end(), onSurface);
    if (first == draped.end()) return;
    const auto last = std::find_if(draped.rbegin(), draped.rend(), onSurface);
    const auto distance = [&](const Vec3& p) { return std::hypot(p.x - ax, p.y - ay); };

    double low = first->z, high = first->z;
    for (const Vec3& p : draped)
        if (onSurface(p)) {
            low = std::min(low, p.z);
            high = std::max(high, p.z);
        }
    const double bottom = std::floor(low / g) * g;
    const double top = std::max(std::ceil(high / g) * g, bottom + g);
    const double left = std::floor(distance(*first) / g) * g;
    const double right = std::max(std::ceil(distance(*last) / g) * g, left + g);

    const double x0 = site.centre.x - length / 2;  // where distance 0 falls
    const double y0 = site.centre.y - site.size;   // where the grid's bottom falls
    const auto px = [&](double d) { return x0 + d; };
    const auto py = [&](double e) { return y0 + (e - bottom); };

    const int rows = static_cast<int>(std::lround((top - bottom) / g));
    const int columns = static_cast<int>(std::lround((right - left) / g));
    for (int i = 0; i <= rows; ++i) {
        const double e = bottom + i * g;
        line(out, kGridLayer, px(left), py(e), px(right), py(e));
    }
    for (int i = 0; i <= columns; ++i) {
        const double d = left + i * g;
        line(out, kGridLayer, px(d), py(bottom), px(d), py(top));
    }
    for (const std::vector<Vec3>& run : onSurfaceRuns(draped)) {
        std::vector<Vec3> profile;
        profile.reserve(run.size());
        for (const Vec3& p : run) profile.push_back({px(distance(p)), py(p.z), 0.0});
        dxfPolyline(out, profile, kSectionLayer, 0.0);
    }
    for (int i = 0; i <= rows; ++i) {
        const double e = bottom + i * g;
        const std::string label = formatNumber(e);
        text(out, label, px(left) - t, py(e), t, 0.0, Right, Middle);
        text(out, label, px(right) + t, py(e), t, 0.0, Left, Middle);
    }
    for (int i = 0; i <= columns; ++i) {
        const double d = left + i * g;
        text(out, stationText(d), px(d), py(bottom) - t, t, 0.0, Centre, Top);
    }
    text(out, "%%USECTION A-A%%U", px(length / 2), py(top) + 2 * t, 2 * t, 0.0, Centre, Bottom);
}

}  // namespace

std::string sectionDxfEntities(const SurfaceView& surface, const SiteExtents& site, const SectionLine& section) {
    const double g = sectionGridInterval(site.size);
    const double t = sectionTextHeight(site.size);
    const double ax = section.startX, ay = section.startY, bx = section.endX, by = section.endY;
    std::string out;
    planMarks(out, ax, ay, bx, by, g, t);
    profileDrawing(out, drapeSection(surface, ax, ay, bx, by), ax, ay, std::hypot(bx - ax, by - ay), site, g, t);
    return out;
}

bool writeSectionDxf(std::FILE* file, const SurfaceView& surface, const SiteExtents& site, const SectionLine& section) {
    FileSink sink(file);
    sink.text += dxfPreamble();
    sink.text += sectionDxfEntities(surface, site, section);
    sink.text += kDxfEnd;
    return sink.finish();
}

bool writeSectionCsv(std::FILE* file, const SurfaceView& surface, const SectionLine& section) {
    FileSink sink(file);
    sink.text += "station,easting,northing,elevation\n";
    for (const Vec3& p : drapeSection(surface, section.startX, section.startY, section.endX, section.endY)) {
        if (p.z != kOutsideSurface) {
            appendSixDecimals(sink.text, std::hypot(p.x - section.startX, p.y - section.startY));
            sink.text += ',';
            appendSixDecimals(sink.text, p.x);
            sink.text += ',';
            appendSixDecimals(sink.text, p.y);
            sink.text += ',';
            appendSixDecimals(sink.text, p.z);
        }
        sink.text += '\n';
        sink.flushIfLarge();
    }
    return sink.finish();
}

}  // namespace vellacor
