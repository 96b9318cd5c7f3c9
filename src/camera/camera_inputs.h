#pragma once
#include <optional>

#include "camera/projection.h"
#include "model/point_file_format.h"
#include "model/site_document.h"
#include "model/survey_point.h"
#include "model/surface_view.h"

namespace vellacor {

// What the rain camera needs from the rain: where drop `index` is and the
// triangle it runs on (kNoTriangle when it is not on the surface). False when
// there is no such drop.
class RainDropSource {
public:
    virtual ~RainDropSource() = default;
    virtual bool GetDrop(int index, Vec3& position, int& triangle) const = 0;
};

// What the fly-to needs from the mouse, in frame-buffer pixels. The view
// provides it; without one the fly-to ends at once.
class FlyToPointer {
public:
    virtual ~FlyToPointer() = default;
    // The scene point drawn under the cursor, if anything is drawn there.
    virtual std::optional<Vec3> groundUnderCursor() = 0;
    virtual bool rightButtonHeld() const = 0;
    // Puts the cursor on frame-buffer pixel (x, y).
    virtual void placeCursorAt(int x, int y) = 0;
};

// Where the site is: the middle of its extents and its size (the larger plan side).
struct SiteFrame {
    Vec3 centre;
    double size = 1.0;
};

// What the camera reads for a frame: the ground, the site, the picture and the clock.
struct CameraInputs {
    SurfaceView surface;
    bool surfaceLinked = false;  // the neighbour links are current, so walks across the surface work
    PointFileFormat pointFileFormat = PointFileFormat::Unknown;  // raw triangle files bring no links
    SiteFrame site;
    double verticalScale = 1.0;
    double frameSeconds = 0.0;  // the length of the last frame
    Viewport viewport;
    const RainDropSource* rain = nullptr;  // null while no rain is shown
};

// Where the document's site is, for the camera.
SiteFrame siteFrameOf(const SiteDocument& document);
// What the camera reads of the document alone: its ground and its site; the
// picture, the clock and the rain at their defaults.
CameraInputs cameraInputsOf(const SiteDocument& document);

}  // namespace vellacor
