#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/contour_settings.h"
#include "model/survey_point.h"
#include "platform/ui.h"
#include "render/surface_mode.h"

namespace vellacor {

// An easting and a northing.
struct PlanPoint {
    double easting = 0;
    double northing = 0;
};

// Where render's camera starts: the view after the load, or straight down.
enum class CliView : std::uint8_t { Load, Plan };

// The options that stand on their own.
enum class CliSwitch : std::uint8_t { Surface, Points, Contours, Breaklines, Triangles, Labels, Withheld, Quiet };

// One command line, every value checked against its option's range. The
// command reads the fields its own options fill; unset ones keep their
// defaults here or stay empty.
struct CliArgs {
    std::string file;
    std::string out;                      // --to (convert) or --out (render)
    std::string format = "PNEZD";         // the answer to the format question
    std::optional<std::vector<int>> classes;  // --classes C,C,...: a point cloud's classes (0..255)
    std::optional<double> interval;       // contour interval
    std::optional<double> smoothing;      // contour smoothing
    std::optional<int> palette;           // 0..4
    std::optional<SurfaceMode> surfaceMode;
    int width = 1280;                     // --size WxH
    int height = 720;
    std::optional<ExportFormat> outputFormat;  // --as; without it the output's extension
    std::optional<CliView> view;          // --view load|plan
    std::optional<double> orbitHeading;   // --orbit H,P: degrees about the target
    std::optional<double> orbitPitch;
    std::optional<double> zoom;           // --zoom F: the distance to the target times F
    std::optional<int> lightMode;         // --light 0 headlamp, 1 circling, 2 stationary
    std::optional<int> frames;            // --frames N: N frames, the camera turning a degree each
    std::optional<PlanPoint> sectionFrom;  // section --from E,N
    std::optional<PlanPoint> sectionTo;    // section --to E,N
    std::string csv;                       // section --csv
    std::string breaklinePairs;            // --add-breaklines: a file of "a,b" point-number lines
    std::string texture;                   // render --texture: a 256-colour BMP for the surface
    std::vector<PlanPoint> limitPolygon;   // --limit-polygon E,N;E,N;...: contours only inside it
    std::optional<double> rainSeconds;     // render --rain: seconds of rain before the picture
    std::uint32_t seed = 1;                // render --seed: the rain's random numbers
    std::string overlay;                   // --overlay: a DXF or DWF drawing over the site
    std::string secondFile;                // volume: the comparison surface
    std::optional<double> datum;           // volume --datum Z: a level comparison instead
    std::string isopach;                   // volume --isopach: the difference's contours as DXF
    std::string layer;                     // convert --layer: the one layer of a GeoJSON file or shapefile
    std::optional<double> cellSize;        // convert --cell: a DEM's cell side
    std::string crs;                       // --crs EPSG:n: the site's coordinate system
    std::vector<std::vector<PlanPoint>> boundaries;  // --boundary E,N;...: the surface ends there (repeatable)
    std::vector<std::vector<PlanPoint>> hides;       // --hide E,N;...: a hole in the surface (repeatable)
    std::optional<double> maxEdge;                   // --max-edge L: edge triangles longer than L go
    std::optional<double> thinCell;                  // --thin CELL: one point (the lowest) per CELL square
    std::uint32_t switches = 0;           // one bit a CliSwitch

    bool has(CliSwitch s) const { return (switches & bit(s)) != 0; }
    void set(CliSwitch s) { switches |= bit(s); }
    static std::uint32_t bit(CliSwitch s) { return std::uint32_t{1} << static_cast<unsigned>(s); }
};

// args[0] is the command (info, convert, render, section, ponds, volume); the rest may come in any
// order. Nothing when the command is unknown, an option is not one the
// command takes, a value is missing or out of range, there is no file or a
// second one (volume takes two), or a command that writes a file has no output path.
std::optional<CliArgs> parseCliArgs(const std::vector<std::string>& args);

// A polygon's corners as plan points (elevation 0); the --limit-polygon's.
std::vector<Vec3> planCornersOf(const std::vector<PlanPoint>& polygon);
std::vector<Vec3> planCornersOf(const CliArgs& a);

// The limits every command holds its options to.
inline constexpr int kMaxPalette = 4;
inline constexpr int kMinImageSide = 16;
inline constexpr int kMaxImageSide = 8192;
inline constexpr double kMaxOrbitDegrees = 360.0;
inline constexpr double kMinZoom = 0.01;
inline constexpr double kMaxZoom = 100.0;
inline constexpr std::size_t kMaxLimitPolygonCorners = 10000;
inline constexpr double kMaxRainSeconds = 600.0;
inline constexpr int kMaxFrames = 100000;
inline constexpr double kMaxDatum = 99998.0;  // the largest elevation a file may hold
inline constexpr int kMaxPointClass = 255;
inline constexpr double kMaxCellSize = 1e9;
inline constexpr std::size_t kMaxBoundaries = 1000;  // --boundary and --hide polygons together

}  // namespace vellacor
