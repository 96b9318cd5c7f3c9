#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "render/light.h"
#include "render/palette.h"
#include "render/rgb_image.h"
#include "render/surface_mode.h"

namespace vellacor {

struct SiteModel;
class Ui;

// A picture of the site as the window shows it once the user has set the
// view after the load: the keys' switches, the camera moved as the mouse
// moves it, rain falling, and the size of the view.
struct PictureRequest {
    int width = 1280;
    int height = 720;
    PaletteChoice palette = PaletteChoice::Grey;
    std::optional<SurfaceMode> surfaceMode;
    std::string texture;  // a 256-colour BMP, loaded as key I loads it
    std::optional<double> contourInterval;
    bool contours = false;
    bool triangles = false;
    bool points = false;
    bool labels = false;  // the points with their numbers, descriptions and elevations
    std::optional<LightMode> light;
    bool planView = false;                // glides to the view straight down
    std::optional<double> orbitHeading;   // degrees about the target, as a left drag turns it
    std::optional<double> orbitPitch;     // positive raises the eye
    std::optional<double> zoom;           // the distance to the target times this
    std::optional<double> rainSeconds;    // of rain, ponds filling, before the picture
    std::uint32_t rainSeed = 1;           // the same seed, the same rain
    std::optional<int> orbitFrames;       // frames of a left-drag orbit, a degree each, before the picture
};

// The switches the keys would set after the load, before the surface is
// built (they decide what the pipeline builds). False when the texture
// cannot be used (told).
bool setPictureSwitches(SiteModel& model, Ui& ui, const PictureRequest& request);

// Once the surface is built: the point switches, the light, the camera and
// the rain, then the frame the window would show, in `picture`.
void paintRequestedPicture(SiteModel& model, Ui& ui, const PictureRequest& request, RgbImage& picture);

// The picture as a PNG file in the frame's palette: the text that reports
// the save, or nothing when it was not written (told).
std::optional<std::string> savePicture(const SiteModel& model, Ui& ui, const RgbImage& picture,
                                       const std::string& path);

}  // namespace vellacor
