#pragma once
#include <optional>
#include <span>
#include <string_view>

#include "camera/camera_inputs.h"
#include "camera/picking.h"

namespace vellacor {

struct SiteModel;
class Ui;

// A press held this long or longer is a hold, shorter is a click.
inline constexpr double kHoldSeconds = 0.2;

// The ground drawn at a frame pixel, once there is a surface.
std::optional<Vec3> groundAt(const SiteModel& model, Pixel at);

// Mouse buttons over the view. A left press on a vertex of the shown limit
// polygon takes that vertex (with Ctrl, a new vertex doubled from it);
// otherwise it stops an automatic camera mode.
void pressLeftButton(SiteModel& model, bool controlHeld = false);
void pressRightButton(SiteModel& model);
// Releasing after a hold asks for a full-quality redraw; a short Shift-click
// on the ground goes to the breakline editor; a polygon vertex let go on its
// neighbour merges with it.
void releaseLeftButton(SiteModel& model, Ui& ui);
void releaseRightButton(SiteModel& model);
// The buttons as the window system holds them now. A button still down here
// whose release never came (it went to a dialog the press opened, or to
// another window) ends its drag as a release would, without acting as a click.
void forgetButtonsLetGo(SiteModel& model, bool leftHeld, bool rightHeld);

// The mouse moved to frame pixel `at`: a left drag orbits (Stationary) or
// turns the view, or drags the axis when it started on it; a right drag
// zooms (its first move is ignored). True when the view changed; then
// redrawNeeded is set.
bool moveMouse(SiteModel& model, Pixel at);

// The wheel, in units of 120 per notch, with the cursor at the last mouse position.
void turnWheel(SiteModel& model, int delta);

// A left double click at `at`: selects the point there, or works on the
// selected point with the second one.
void doubleClick(SiteModel& model, Ui& ui, Pixel at, bool controlHeld);

// The keys the flight reads while they are held, not through the key
// handler: either key of a row pushes the camera one way.
enum class FlightPush { Up, Down, Left, Right, Forward, Back };
struct FlightKeys {
    int key, otherKey;  // virtual-key codes
    FlightPush push;
    std::string_view help;  // the line of the window's key list
};
std::span<const FlightKeys> flightKeys();

// Once per frame while the window is in front: the held flight keys push the
// camera, and holding the right button outside Stationary flies toward the
// ground under the cursor. True when something changed.
bool keyboardFlight(SiteModel& model, const Ui& ui);

// The mouse as the fly-to sees it, for the length of one frame.
class ViewPointer : public FlyToPointer {
public:
    ViewPointer(SiteModel& model, Ui& ui);
    ~ViewPointer() override;
    ViewPointer(const ViewPointer&) = delete;
    ViewPointer& operator=(const ViewPointer&) = delete;

    std::optional<Vec3> groundUnderCursor() override;
    bool rightButtonHeld() const override;
    void placeCursorAt(int x, int y) override;

private:
    SiteModel& model_;
    Ui& ui_;
};

}  // namespace vellacor
