#pragma once
#include <string>
#include <vector>

namespace vellacor {

struct SiteModel;
class Ui;

// The menu items and toolbar buttons, numbered as the program's resources
// number them. A toolbar button has its own number even where it does what a
// menu item does, because its enable rule differs.
enum class CommandId : int {
    None = 0,  // a submenu heading or a separator
    Open = 57601,
    SavePoints = 57604,
    SaveAs = 32830,
    Print = 57607,
    RecentFile = 57616,
    Exit = 57665,
    UndoBreakline = 57643,
    Undo = 32900,  // the site edits, with Redo
    Redo = 32901,
    OpenComparison = 32902,  // the earthwork volumes: the second surface,
    CutAndFill = 32903,      // the two reports,
    VolumeToElevation = 32904,
    CutFillView = 32905,     // the cut/fill colours
    SaveIsopach = 32906,     // and the difference's contours as DXF
    CoordinateSystem = 32907,  // the system the site's coordinates are in
    LimitPolygonBoundary = 32908,  // the contour limit polygon becomes the surface's outer boundary
    CadPolylineBoundary = 32909,   // so does the closed CAD polyline round the selected point
    EditPoint = 32843,
    Points = 32832,
    Triangles = 32774,
    Surface = 32780,
    Contours = 32801,
    Breaklines = 32817,
    Rain = 32797,
    Ponds = 32831,
    CadLines = 32845,
    PointNumber = 32798,
    Description = 32800,
    Elevation = 32799,
    Contouring = 32842,
    SmoothShading = 32783,
    ViewStationary = 32791,
    ViewRotating = 32792,
    ViewPlanView = 32812,
    ViewWild = 32794,
    ViewRainCam = 32811,
    LightStationary = 32809,
    LightHeadlamp = 32807,
    LightCircling = 32808,
    ScaleReset = 32806,
    ScaleIncrease = 32804,
    ScaleDecrease = 32805,
    Pallette = 32786,
    OverlayCadFile = 32816,
    Help = 32838,
    About = 57664,
    ToolPlanView = 32837,
    ToolAxis = 32824,
    ToolPoints = 32818,
    ToolTriangles = 32819,
    ToolSurface = 32820,
    ToolContours = 32821,
    ToolLight = 32822,
    ToolPallette = 32823,
    ToolRain = 32827,
    ToolPonds = 32833,
    ToolBreaklines = 32841,
    ToolCadOverlay = 32826,
};

// One line of a menu: an item, a submenu (id None with items), or a separator
// (id None, no text). A tab in the text separates the item from its key hint.
struct MenuEntry {
    CommandId id = CommandId::None;
    std::string text;
    std::vector<MenuEntry> items;
    bool checkable = false;  // shows a tick when its command state is checked
};

struct Menu {
    std::string title;
    std::vector<MenuEntry> items;
};

struct ToolButton {
    CommandId id;
    std::string toolTip;
};

// The menu bar, in order.
std::vector<Menu> mainMenu();
// The toolbar's twelve buttons, in order.
std::vector<ToolButton> toolbarButtons();

struct CommandState {
    bool enabled = false;
    bool checked = false;
    bool operator==(const CommandState&) const = default;
};

// Whether a menu item or button can be used now and whether it shows a tick.
CommandState commandState(const SiteModel& model, CommandId id);

// The status bar's elevation pane: "Elev: " and the elevation of the ground
// under the mouse cursor, or "Elev: " alone off the surface.
std::string elevationPaneText(const SiteModel& model);

// Runs the operation behind a menu item or button. False for the commands the
// window handles itself (open, save, recent files, exit, about, the comparison
// surface and the volume reports) and for separators.
bool runCommand(SiteModel& model, Ui& ui, CommandId id);

}  // namespace vellacor
