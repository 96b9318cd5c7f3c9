#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/description_pool.h"

namespace vellacor {

inline constexpr int kNoPoint = -666;     // a search or pick found no point; a link to no point
inline constexpr int kNoTriangle = -420;  // no triangle / no neighbour
inline constexpr int kDescriptionLength = 50;

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

// How the point layer marks a point; each value is the palette colour its
// mark is drawn in.
enum class PointMark : std::uint8_t {
    Unmarked = 0,          // a record no load or edit has marked yet
    Ordinary = 1,          // every point after a load, Esc or a breakline pick
    SharesSelection = 3,   // shares the selected point's description (drawn, never stored)
    Added = 5,             // a point the user added, until the next selection is drawn
};

inline std::uint8_t markColour(PointMark mark) { return static_cast<std::uint8_t>(mark); }

// One record of the point array. Plan x is easting, plan y is northing.
// The fields are ordered by use: what every frame and every surface pass
// reads (coordinates, mark) comes first. A large site holds millions of
// these, so a record keeps no per-view values (the renderer works out where a
// point lies on the screen, cameraSpaceOf), and the description is a number
// in the run's description pool: most points share a few texts.
struct SurveyPoint {
    std::int32_t number = 0;
    bool useInSurface = false;
    PointMark displayMark = PointMark::Unmarked;
    double northing = 0;
    double easting = 0;
    double elevation = 0;
    DescriptionId descriptionId = kNoDescription;
};

// The scene passes and the surface walks rely on this layout.
static_assert(sizeof(SurveyPoint) == 40);
static_assert(offsetof(SurveyPoint, displayMark) == 5);
static_assert(offsetof(SurveyPoint, northing) == 8);
static_assert(offsetof(SurveyPoint, easting) == 16);
static_assert(offsetof(SurveyPoint, elevation) == 24);
static_assert(static_cast<std::size_t>(kDescriptionLength) <= kLongestPooledText);

// The point as a position: x easting, y northing, z elevation.
inline Vec3 positionOf(const SurveyPoint& p) { return {p.easting, p.northing, p.elevation}; }

inline std::string_view descriptionOf(const SurveyPoint& p) { return descriptionText(p.descriptionId); }

// Stores at most 50 bytes of text, never cutting a UTF-8 character in half.
void setDescription(SurveyPoint& p, std::string_view text);

// The number a new point gets: the largest number of the first `count`
// points rounded up to the next hundred (100 when there are none), at most
// the largest 32-bit number.
int nextPointNumberAfter(const SurveyPoint* points, int count);

// Coordinates beyond this are refused when a file is read, as NaN is. It is
// far beyond any survey grid (UTM northings and state-plane feet stay below
// 1e8), keeps extents, sums and squared distances finite, and at 1e10 a double
// still holds a micrometre, so the six decimals Save Points writes are exact.
inline constexpr double kLargestCoordinate = 1e10;
inline bool isUsableCoordinate(double v) { return v >= -kLargestCoordinate && v <= kLargestCoordinate; }

// Lines of a point file that could not be read as points: how many, and the
// first of them (its line number from 1 and its text) for the message after a load.
struct SkippedLines {
    int count = 0;
    int firstLine = 0;
    std::string firstText;
};

// A value is an elevation when |z| >= 0.001 and -99998 <= z <= 99998; 0 and the
// placeholder values of many survey files mean "no elevation".
inline bool isValidElevation(double z) {
    return (z >= 0.001 || z <= -0.001) && z >= -99998.0 && z <= 99998.0;
}

}  // namespace vellacor
