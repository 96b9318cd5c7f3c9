#include "render/shading.h"

#include <algorithm>
#include <cmath>

#include "camera/vector_math.h"
#include "app/site_model.h"

namespace vellacor {

namespace {

constexpr double kRampLength = 214.0;
constexpr double kHeadlampDimming = 0.85;

Vec3 positionOf(const SurveyPoint& p) { return {p.easting, p.northing, p.elevation}; }

bool vertexValid(const SiteModel& model, int index) {
    return index >= 0 && index < static_cast<int>(model.document.points.size());
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
    if (light.lightMode == kHeadlamp) intensity *= kHeadlampDimming;
    const int index = static_cast<int>(std::max(intensity, 0.05) * kRampLength + 16.0);
    return std::min(index, 230);
}

void flatShadeRange(const Light& light, std::vector<TinTriangle>& triangles, int first, int end) {
    for (int i = first; i < end; ++i) {
        TinTriangle& t = triangles[static_cast<std::size_t>(i)];
        flatColour(t) = static_cast<std::uint8_t>(flatShade(light, t.centroid, t.normal));
    }
}

void flatShadeAll(SiteModel& model) {
    if (model.renderer.light) flatShadeRange(*model.renderer.light, model.document.triangles, 0, model.document.triangleCount);
}

void smoothShade(SiteModel& model) {
    if (!model.renderer.light) return;
    const Light& light = *model.renderer.light;
    const Vec3 eye = model.camera.eye;
    for (int i = 0; i < model.document.triangleCount; ++i) {
        TinTriangle& t = model.document.triangles[static_cast<std::size_t>(i)];
        for (int k = 0; k < 3; ++k) {
            if (!vertexValid(model, t.vertex[k])) continue;
            const Vec3 p = positionOf(model.document.points[static_cast<std::size_t>(t.vertex[k])]);
            const Vec3& n = vertexNormal(t, k);
            const Vec3 toLight = normalise(light.position - p);
            const double ln = dot(toLight, n);
            const double diffuse = 0.6 * std::fabs(ln);
            const Vec3 reflected = 2.0 * ln * n - toLight;
            const double highlight = std::max(0.0, dot(reflected, normalise(eye - p)));
            double intensity = 0.6 * pow36(highlight) + diffuse + 0.05;
            if (light.lightMode == kHeadlamp) intensity *= kHeadlampDimming;
            intensity = std::max(intensity, 0.05);
            vertexShade(t, k) = std::min(intensity * kRampLength + 16.0, 229.0);
        }
    }
}

void elevationShade(SiteModel& model) {
    const double range = model.document.maxElevation - model.document.minElevation;
    for (int i = 0; i < model.document.triangleCount; ++i) {
        TinTriangle& t = model.document.triangles[static_cast<std::size_t>(i)];
        for (int k = 0; k < 3; ++k) {
            if (!vertexValid(model, t.vertex[k])) continue;
            if (!(range > 0.0)) {
                vertexShade(t, k) = kLevelSiteShade;
                continue;
            }
            const double z = model.document.points[static_cast<std::size_t>(t.vertex[k])].elevation;
            // Clamped rather than wrapped as a byte: an elevation outside the
            // site's range (a point edited since the load) takes the nearest end.
            const double index = std::trunc((z - model.document.minElevation) * 215.0 / range + 16.0);
            vertexShade(t, k) = std::clamp(index, 16.0, 215.0);
        }
    }
}

}  // namespace vellacor
