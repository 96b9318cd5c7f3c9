#pragma once
#include <optional>

#include "model/survey_point.h"

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

}  // namespace vellacor
