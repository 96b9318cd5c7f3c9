#include "section/section_draw.h"

#include <algorithm>
#include <cmath>

#include "camera/vector_math.h"
#include "render/line.h"
#include "surface/drape.h"

namespace vellacor {

namespace {

constexpr std::uint8_t kSectionColour = 6;
constexpr std::uint8_t kProfileGridColour = 42;
constexpr std::uint8_t kGroundColour = 1;
constexpr double kOverlayDepth = -1.0;  // nearer than anything in the scene

void drawDrapedStroke(FrameBuffer& frame, const Matrix& view, const SurfaceView& surface, double x0, double y0,
                      double x1, double y1) {
    const std::vector<Vec3> draped = drapeSection(surface, x0, y0, x1, y1);
    drawDrapedPolyline(frame, view, draped, kSectionColour);
}

// Profile coordinates to pixels, one scale for both axes, held inside the picture.
struct ProfileScale {
    double k;
    int width, height;

    ProjectedPoint at(double d, double e) const {
        const double x = std::clamp(d * k, 0.0, static_cast<double>(width - 1));
        const double y = std::clamp(static_cast<double>(height - 1) - e * k, 0.0, static_cast<double>(height - 1));
        return {x, y, kOverlayDepth};
    }
};

}  // namespace

std::vector<ProfileSegment> profileSegments(const std::vector<Vec3>& draped, double ax, double ay,
                                            double minElevation) {
    std::vector<ProfileSegment> segments;
    for (std::size_t i = 1; i < draped.size(); ++i) {
        const Vec3& a = draped[i - 1];
        const Vec3& b = draped[i];
        if (a.z == kOutsideSurface || b.z == kOutsideSurface) continue;
        segments.push_back({std::hypot(a.x - ax, a.y - ay), a.z - minElevation, std::hypot(b.x - ax, b.y - ay),
                            b.z - minElevation});
    }
    return segments;
}

void drawSection(FrameBuffer& frame, const Matrix& view, const SurfaceView& surface, const SiteExtents& site,
                 const SectionLine& section, const std::optional<Vec3>& cursorGround) {
    if (!section.hasStart() || frame.viewWidth <= 0 || frame.viewHeight <= 0) return;
    const double ax = section.startX, ay = section.startY;
    double ex = 0, ey = 0;
    if (section.hasEnd()) {
        ex = section.endX;
        ey = section.endY;
    } else if (cursorGround) {
        ex = cursorGround->x;
        ey = cursorGround->y;
    } else {
        return;
    }
    if (std::fabs(ex - ax) < 0.001 && std::fabs(ey - ay) < 0.001) return;

    const std::vector<Vec3> draped = drapeSection(surface, ax, ay, ex, ey);
    const double length = std::hypot(ex - ax, ey - ay);
    drawDrapedPolyline(frame, view, draped, kSectionColour);

    // End marks: a tick to the left of the line at each end, with a short
    // stroke leaning back towards the middle of the line.
    const double theta = std::atan2(ey - ay, ex - ax);
    const double h = std::min(0.075 * site.size, length / 2);
    const double q = 0.23 * h;
    const double nx = std::cos(theta + kPi / 2), ny = std::sin(theta + kPi / 2);
    const double ux = std::cos(theta), uy = std::sin(theta);
    drawDrapedStroke(frame, view, surface, ax, ay, ax + h * nx, ay + h * ny);
    drawDrapedStroke(frame, view, surface, ax + h * nx, ay + h * ny, ax + q * ux, ay + q * uy);
    drawDrapedStroke(frame, view, surface, ex, ey, ex + h * nx, ey + h * ny);
    drawDrapedStroke(frame, view, surface, ex + h * nx, ey + h * ny, ex - q * ux, ey - q * uy);

    // The profile over a square grid, scaled to the view's width by the
    // longer of the line and the relief.
    const double g = sectionGridInterval(site.size);
    const double relief = site.maxElevation - site.minElevation;
    const double gridD = (std::trunc(length / g) + 1) * g;
    const double gridZ = (std::trunc(relief / g) + 1) * g;
    const ProfileScale scale{static_cast<double>(frame.viewWidth) / std::max(length, 2 * relief + 10.0),
                             frame.viewWidth, frame.viewHeight};
    const RasterTarget target = displayTarget(frame);
    for (int i = 0; i * g <= gridZ; ++i) {
        const double e = i * g;
        drawLine2D(frame, target, scale.at(0, e), scale.at(gridD, e), kProfileGridColour);
    }
    for (int i = 0; i * g <= gridD; ++i) {
        const double d = i * g;
        drawLine2D(frame, target, scale.at(d, 0), scale.at(d, gridZ), kProfileGridColour);
    }
    for (const ProfileSegment& s : profileSegments(draped, ax, ay, site.minElevation))
        drawLine2D(frame, target, scale.at(s.d0, s.e0), scale.at(s.d1, s.e1), kGroundColour);
}

}  // namespace vellacor
