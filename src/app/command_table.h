#pragma once
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/key_stroke.h"

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

// One row of the command table: everything the program says and does about
// one command. Menus, the toolbar, the view's keys, the window's accelerators
// and the list of keys in the window's help are all made from these rows.
struct Command {
    // None for a key that is neither a menu item nor a toolbar button.
    CommandId id = CommandId::None;
    // The menu item's text before its key hint, or the toolbar button's tool tip.
    std::string_view text{};
    // The key that runs the command, shown as the menu item's hint, and a
    // second key that runs it too. A key with a modifier is the window's
    // accelerator, a plain key the view's (key_stroke.h).
    KeyStroke key{};
    KeyStroke otherKey{};
    // Whether the command can be used now; null for a key alone.
    bool (*enabled)(const SiteModel&) = nullptr;
    // Whether its item shows a tick; null for an item that never does.
    bool (*checked)(const SiteModel&) = nullptr;
    // The operation; null for the commands the window runs itself (open,
    // recent files, exit, about, the comparison surface and the datum question).
    void (*run)(SiteModel&, Ui&) = nullptr;
    // What the key does where it differs from the menu item (F3 also shows
    // the points, G sets smooth shading where the item switches between flat
    // and smooth); null when the key does what the item does.
    void (*runFromKey)(SiteModel&, Ui&) = nullptr;
    // The line of the window's key list for the key.
    std::string_view help{};
    // The status bar's text while the menu item is under the mouse.
    std::string_view statusTip{};
    // The menu text carries the hint; false for the framework's accelerators,
    // whose hint the toolkit writes from the item's shortcut.
    bool hintInText = true;
    // The resources end three hints with a space ("Contours\t4 "), shown verbatim.
    bool spaceAfterHint = false;
};

// Every row: the menu items in menu order, the toolbar buttons, then the keys alone.
std::span<const Command> commandTable();
// The row of a menu item or button; null for None and unknown ids.
const Command* findCommand(CommandId id);

// One line of a menu: an item, a submenu (id None with items), or a separator
// (id None, no text). A tab in the text separates the item from its key hint.
struct MenuEntry {
    CommandId id = CommandId::None;
    std::string text{};
    std::vector<MenuEntry> items{};
    bool checkable = false;  // shows a tick when its command state is checked
    // The command whose key the hint shows: the item itself, or for a submenu
    // the command its heading's key runs ("View Point\tV": the free look of the
    // Axis button); None without a hint.
    CommandId keyOf = CommandId::None;
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
// window runs itself and for separators.
bool runCommand(SiteModel& model, Ui& ui, CommandId id);

// The row a key runs: the exact key with its modifiers, once the keys that
// act as others are taken as those (sameKeyAs). Null for keys no row has.
const Command* commandForKey(KeyStroke key);

// A key press in the view, as a Windows virtual-key code: runs the row of the
// plain key, whatever modifiers are held (the window takes its accelerators
// first). Keys of no row, and those the per-frame flight reads, do nothing here.
void handleKey(SiteModel& model, Ui& ui, int virtualKey);

// Keys the window takes and does nothing with, so that they never reach the
// view (Ctrl+C must not switch the drawings): the framework's clipboard,
// new-document and pane keys, which have no handler in this program.
std::span<const KeyStroke> keysTakenForNothing();

// The list of the window's keys, one a line, made from the table and the
// flight keys: "Keys in the window:" and lines of "  NAME  what it does".
std::string keyHelpText();

}  // namespace vellacor
