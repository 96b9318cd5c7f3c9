#include "render/shading.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "camera/vector_math.h"
#include "render/light.h"
#include "surface/tin_geometry.h"

namespace vellacor {

namespace {

constexpr double kRampLength = 214.0;
constexpr double kHeadlampDimming = 0.85;

bool vertexValid(const SurfaceView& surface, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < surface.points.size();
}

// s^36 by squaring: the highlight's exponent, cheap enough for every vertex every frame.
double pow36(double s) {
    const double s4 = (s * s) * (s * s);
    const double s8 = s4 * s4, s16 = s8 * s8;
    return s16 * s16 * s4;
}

}  // namespace

int flatShade(const Light& light, const Vec3& centre, const Vec3& normal) {
    const Vec3 toLight = normalise(light.position - centre);
    double intensity = std::fabs(0.6 * dot(normal, toLight)) + 0.05;
    if (light.lightMode == LightMode::Headlamp) intensity *= kHeadlampDimming;
    const int index = static_cast<int>(std::max(intensity, 0.05) * kRampLength + 16.0);
    return std::min(index, 230);
}

int flatShadeOfCorners(const Light& light, const Vec3& a, const Vec3& b, const Vec3& c) {
    // flatShade from the unit normal and unit direction to the light costs
    // two square roots and four divisions a triangle, every frame. The
    // cosine between them is had with one of each from the unnormalised
    // vectors, and differs from flatShade's by a few units in the last
    // place. So the palette index is the same unless the ramp position lands
    // within a hair of a whole number: then flatShade decides, as always.
    constexpr double kHair = 1e-9;
    const Vec3 centre = triangleCentroid(a, b, c);
    const Vec3 n = triangleCross(a, b, c);
    const Vec3 toLight = light.position - centre;
    const double nn = dot(n, n), ll = dot(toLight, toLight), both = nn * ll;
    if (nn >= DBL_MIN && ll >= DBL_MIN && both >= DBL_MIN && both <= DBL_MAX) {
        double intensity = std::fabs(0.6 * (dot(n, toLight) / std::sqrt(both))) + 0.05;
        if (light.lightMode == LightMode::Headlamp) intensity *= kHeadlampDimming;
        const double ramp = std::max(intensity, 0.05) * kRampLength + 16.0;  // 16 or more: truncation is floor
        const int whole = static_cast<int>(ramp);
        if (ramp - whole > kHair && whole + 1.0 - ramp > kHair) return std::min(whole, 230);
    }
    return flatShade(light, centre, triangleNormal(a, b, c));
}

void flatShadeRange(const Light& light, const SurfaceView& surface, std::span<std::uint8_t> colours, int first,
                    int end) {
    // Points read in survey order lie anywhere in memory: the corners of a
    // triangle this far ahead are asked for early, or waiting for them
    // would take most of the time.
    constexpr int kCornersAhead = 16;
    const std::size_t pointCount = surface.points.size();
    for (int i = first; i < end; ++i) {
        if (i + kCornersAhead < end)
            for (const std::int32_t v : surface.triangle(i + kCornersAhead).vertex)
                if (static_cast<std::size_t>(v) < pointCount) {
                    const SurveyPoint& p = surface.point(v);
                    __builtin_prefetch(&p.northing);
                    __builtin_prefetch(&p.elevation);
                }
        const auto [a, b, c] = cornersOf(surface.points, surface.triangle(i));
        colours[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(flatShadeOfCorners(light, a, b, c));
    }
}

void smoothShade(const Light& light, const Vec3& eye, const SurfaceView& surface, std::span<TriangleShade> shades) {
    for (int i = 0; i < surface.triangleCount; ++i) {
        const TinTriangle& t = surface.triangle(i);
        TriangleShade& s = shades[static_cast<std::size_t>(i)];
        for (int k = 0; k < 3; ++k) {
            if (!vertexValid(surface, t.vertex[k])) continue;
            const Vec3 p = positionOf(surface.point(t.vertex[k]));
            const Vec3& n = s.normal[k];
            const Vec3 toLight = normalise(light.position - p);
            const double ln = dot(toLight, n);
            const double diffuse = 0.6 * std::fabs(ln);
            const Vec3 reflected = 2.0 * ln * n - toLight;
            const double highlight = std::max(0.0, dot(reflected, normalise(eye - p)));
            double intensity = 0.6 * pow36(highlight) + diffuse + 0.05;
            if (light.lightMode == LightMode::Headlamp) intensity *= kHeadlampDimming;
            intensity = std::max(intensity, 0.05);
            s.shade[k] = std::min(intensity * kRampLength + 16.0, 229.0);
        }
    }
}

void elevationShade(const SurfaceView& surface, double minElevation, double maxElevation,
                    std::span<TriangleShade> shades) {
    const double range = maxElevation - minElevation;
    for (int i = 0; i < surface.triangleCount; ++i) {
        const TinTriangle& t = surface.triangle(i);
        TriangleShade& s = shades[static_cast<std::size_t>(i)];
        for (int k = 0; k < 3; ++k) {
            if (!vertexValid(surface, t.vertex[k])) continue;
            if (!(range > 0.0)) {
                s.shade[k] = kLevelSiteShade;
                continue;
            }
            const double z = surface.point(t.vertex[k]).elevation;
            // Clamped rather than wrapped as a byte: an elevation outside the
            // site's range (a point edited since the load) takes the nearest end.
            const double index = std::trunc((z - minElevation) * 215.0 / range + 16.0);
            s.shade[k] = std::clamp(index, 16.0, 215.0);
        }
    }
}

}  // namespace vellacor
