#include "render/shading.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "camera/vector_math.h"
#include "render/light.h"
#include "surface/tin_geometry.h"

namespace vellacor {

namespace {

constexpr double kRampLength = 214.0;
// How near a whole number the quick ramp position may come before flatShade decides (see flatShadeOfCorners).
constexpr double kHair = 1e-9;
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

namespace {

// The two sums flatShadeOfCorners works from: the normal (unnormalised)
// dotted with the direction to the light, and the product of their squared
// lengths; whether both lengths are safely away from zero and infinity.
struct LightSums {
    double normalDotLight, lengthsSquared;
    bool usable;
};
LightSums lightSumsOf(const Light& light, const Vec3& centre, const Vec3& n) {
    const Vec3 toLight = light.position - centre;
    const double nn = dot(n, n), ll = dot(toLight, toLight), both = nn * ll;
    // Bitwise: which triangles are usable is as good as random.
    const bool usable = (nn >= DBL_MIN) & (ll >= DBL_MIN) & (both >= DBL_MIN) & (both <= DBL_MAX);
    return {dot(n, toLight), both, usable};
}

// The palette index from usable sums, unless the ramp position lands within a hair of a whole number.
bool quickIndexOf(const Light& light, double normalDotLight, double lengthsSquared, int& index) {
    double intensity = std::fabs(0.6 * (normalDotLight / std::sqrt(lengthsSquared))) + 0.05;
    if (light.lightMode == LightMode::Headlamp) intensity *= kHeadlampDimming;
    const double ramp = std::max(intensity, 0.05) * kRampLength + 16.0;  // 16 or more: truncation is floor
    const int whole = static_cast<int>(ramp);
    index = std::min(whole, 230);
    return ramp - whole > kHair && whole + 1.0 - ramp > kHair;
}

// flatShade from the centroid and unit normal: what decides where the quick sums cannot.
int flatShadeTheLongWay(const Light& light, const TriangleFacet& facet) {
    return flatShade(light, facet.centre, unitNormalOf(facet.cross));
}

TriangleFacet facetOf(const Vec3& a, const Vec3& b, const Vec3& c) {
    return {triangleCentroid(a, b, c), triangleCross(a, b, c)};
}

}  // namespace

int flatShadeOfCorners(const Light& light, const Vec3& a, const Vec3& b, const Vec3& c) {
    // flatShade from the unit normal and unit direction to the light costs
    // two square roots and four divisions a triangle, every frame. The
    // cosine between them is had with one of each from the unnormalised
    // vectors, and differs from flatShade's by a few units in the last
    // place. So the palette index is the same unless the ramp position lands
    // within a hair of a whole number: then flatShade decides, as always.
    const TriangleFacet facet = facetOf(a, b, c);
    const LightSums sums = lightSumsOf(light, facet.centre, facet.cross);
    int index = 0;
    if (sums.usable && quickIndexOf(light, sums.normalDotLight, sums.lengthsSquared, index)) return index;
    return flatShadeTheLongWay(light, facet);
}

#if defined(__SSE2__)
namespace {

// Two triangles' values side by side, one in each lane.
using Pair = double __attribute__((vector_size(16)));

// quickIndexOf two triangles at once, each lane through the same operations
// in the same order: true in a lane where its index is sure.
std::array<bool, 2> quickIndexOfPair(const Light& light, const double* normalDotLight, const double* lengthsSquared,
                                     int (&index)[2]) {
    Pair nl, both;
    std::memcpy(&nl, normalDotLight, sizeof nl);
    std::memcpy(&both, lengthsSquared, sizeof both);
    const Pair scaled = 0.6 * (nl / Pair(_mm_sqrt_pd(both)));
    Pair intensity = (scaled < 0.0 ? -scaled : scaled) + 0.05;
    if (light.lightMode == LightMode::Headlamp) intensity *= kHeadlampDimming;
    const Pair ramp = (intensity < 0.05 ? Pair{} + 0.05 : intensity) * kRampLength + 16.0;
    // A lane of sums that are not usable may hold anything: the hardware
    // conversion gives some value for it, which is not used.
    const __m128i wholes = _mm_cvttpd_epi32(ramp);
    const Pair whole = _mm_cvtepi32_pd(wholes);
    const auto sure = (ramp - whole > kHair) & (whole + 1.0 - ramp > kHair);
    index[0] = std::min(_mm_cvtsi128_si32(wholes), 230);
    index[1] = std::min(_mm_cvtsi128_si32(_mm_shuffle_epi32(wholes, 1)), 230);
    return {sure[0] != 0, sure[1] != 0};
}

}  // namespace
#endif

void flatShadeRange(const Light& light, const SurfaceView& surface, std::span<std::uint8_t> colours, int first,
                    int end, FacetStore store) {
    // Points read in survey order lie anywhere in memory: the corners of a
    // triangle this far ahead are asked for early, or waiting for them
    // would take most of the time.
    constexpr int kCornersAhead = 16;
    // A block of triangles at a time: first the sums of each from its
    // corners, then the square roots, divisions and conversions of them all,
    // two at once. Done triangle by triangle, each one's chain of those
    // outlasted what the processor could look ahead for.
    constexpr int kBlock = 64;
    alignas(16) double normalDotLight[kBlock], lengthsSquared[kBlock];
    bool usable[kBlock];
    const std::size_t pointCount = surface.points.size();
    TriangleFacet* const kept = store.facets;
    const bool fromCorners = !kept || !store.made;
    auto keep = [&](int j, const LightSums& sums) {
        normalDotLight[j] = sums.normalDotLight;
        lengthsSquared[j] = sums.lengthsSquared;
        usable[j] = sums.usable;
    };
    for (int start = first; start < end; start += kBlock) {
        const int count = std::min(kBlock, end - start);
        if (fromCorners) {
            for (int j = 0; j < count; ++j) {
                const int i = start + j;
                if (i + kCornersAhead < end)
                    for (const std::int32_t v : surface.triangle(i + kCornersAhead).vertex)
                        if (static_cast<std::size_t>(v) < pointCount) {
                            const SurveyPoint& p = surface.point(v);
                            __builtin_prefetch(&p.northing);
                            __builtin_prefetch(&p.elevation);
                        }
                const auto [a, b, c] = cornersOf(surface.points, surface.triangle(i));
                const TriangleFacet facet = facetOf(a, b, c);
                if (kept) kept[i] = facet;
                keep(j, lightSumsOf(light, facet.centre, facet.cross));
            }
        } else {
            for (int j = 0; j < count; ++j) {
                const TriangleFacet& facet = kept[start + j];
                keep(j, lightSumsOf(light, facet.centre, facet.cross));
            }
        }
        // A triangle whose index is not sure from its sums goes the long way, alone.
        auto colour = [&](int j, bool sure, int index) {
            const int i = start + j;
            if (!sure) {
                if (kept) {
                    index = flatShadeTheLongWay(light, kept[i]);
                } else {
                    const auto [a, b, c] = cornersOf(surface.points, surface.triangle(i));
                    index = flatShadeTheLongWay(light, facetOf(a, b, c));
                }
            }
            colours[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(index);
        };
        int j = 0;
#if defined(__SSE2__)
        for (; j + 1 < count; j += 2) {
            int index[2];
            const auto sure = quickIndexOfPair(light, normalDotLight + j, lengthsSquared + j, index);
            colour(j, usable[j] && sure[0], index[0]);
            colour(j + 1, usable[j + 1] && sure[1], index[1]);
        }
#endif
        for (; j < count; ++j) {
            int index = 0;
            const bool sure = usable[j] && quickIndexOf(light, normalDotLight[j], lengthsSquared[j], index);
            colour(j, sure, index);
        }
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
