#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vellacor {

inline constexpr int kNoPoint = -666;     // no point, nothing selected, a removed edge
inline constexpr int kNoTriangle = -420;  // no triangle / no neighbour
inline constexpr int kDescriptionLength = 50;

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

// One record of the point array. Plan x is easting, plan y is northing.
// The fields are ordered by use: what every frame and every surface pass
// reads (coordinates, camera-space position, mark) fills the first 64 bytes.
struct SurveyPoint {
    std::int32_t number = 0;
    std::int32_t useInSurface = 0;
    double northing = 0;
    double easting = 0;
    double elevation = 0;
    Vec3 scenePosition;
    std::uint8_t displayMark = 0;
    char description[kDescriptionLength + 1] = {};
};

// The scene passes and the surface walks rely on this layout.
static_assert(sizeof(SurveyPoint) == 112);
static_assert(offsetof(SurveyPoint, northing) == 8);
static_assert(offsetof(SurveyPoint, easting) == 16);
static_assert(offsetof(SurveyPoint, elevation) == 24);
static_assert(offsetof(SurveyPoint, scenePosition) == 32);
static_assert(offsetof(SurveyPoint, displayMark) == 56, "a frame's reads must fit one cache line");

inline std::string_view descriptionOf(const SurveyPoint& p) { return std::string_view(p.description); }

// Stores at most 50 bytes of text, never cutting a UTF-8 character in half.
void setDescription(SurveyPoint& p, std::string_view text);

// A value is an elevation when |z| >= 0.001 and -99998 <= z <= 99998; 0 and the
// placeholder values of many survey files mean "no elevation".
inline bool isValidElevation(double z) {
    return (z >= 0.001 || z <= -0.001) && z >= -99998.0 && z <= 99998.0;
}

}  // namespace vellacor
