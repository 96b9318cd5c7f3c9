#include "app/command_table.h"

#include <algorithm>
#include <charconv>

#include "app/cad_overlays.h"
#include "app/commands.h"
#include "app/cut_fill_view.h"
#include "app/document.h"
#include "app/gis_save.h"
#include "app/navigation.h"
#include "app/point_editing.h"
#include "app/site_edits.h"
#include "app/site_model.h"
#include "app/surface_boundary_edit.h"
#include "app/view_settings.h"
#include "app/volume_commands.h"
#include "app/volume_report.h"
#include "platform/virtual_keys.h"

namespace vellacor {

namespace {

// The operations that need only the site, as the table's handlers.
template <void (*Operation)(SiteModel&)>
void onSite(SiteModel& model, Ui&) {
    Operation(model);
}

// Enable rules, named after what they wait for.
bool always(const SiteModel&) { return true; }
bool loaded(const SiteModel& m) { return m.document.documentLoaded; }
bool triangulated(const SiteModel& m) { return m.document.triangulateStage.done; }
bool contoured(const SiteModel& m) { return m.document.contourStage.done; }
bool overlayExists(const SiteModel& m) { return m.overlays.dwfOverlay || m.overlays.dxfOverlay; }
bool hasBreaklines(const SiteModel& m) { return !m.document.breaklines.empty(); }

template <CameraMode Mode>
bool cameraIs(const SiteModel& m) {
    return m.camera.mode == Mode;
}
template <LightMode Mode>
bool lightIs(const SiteModel& m) {
    return m.renderer.light && m.renderer.light->lightMode == Mode;
}
template <SurfaceMode Mode>
bool surfaceIs(const SiteModel& m) {
    return m.display.surfaceMode == Mode;
}
template <CameraMode Mode>
void cameraTo(SiteModel& m, Ui&) {
    setCameraMode(m, Mode);
}
template <LightMode Mode>
void lightTo(SiteModel& m, Ui&) {
    setLightMode(m, Mode);
}

using C = CommandId;

// One row a command. Rows with the same operation (a menu item and its
// toolbar button) name the same function.
// clang-format off
constexpr Command kCommands[] = {
    // File
    {.id = C::Open, .text = "&Open...", .key = ctrlKey('O'), .enabled = always,
     .help = "open a survey, surface or drawing file", .statusTip = "Open an existing document", .hintInText = false},
    {.id = C::OpenComparison, .text = "Open Comparison Surface...", .enabled = loaded},
    {.id = C::SavePoints, .text = "Save Points...", .key = ctrlKey('S'),
     .enabled = [](const SiteModel& m) { return m.document.documentLoaded && m.document.pointCount > 0; },
     .run = savePointsCommand, .help = "save the survey points as text",
     .statusTip = "Save the survey points as a text file", .hintInText = false},
    {.id = C::SaveAs, .text = "Save &As...", .enabled = triangulated,
     .run = [](SiteModel& m, Ui& ui) { saveAsCommand(m, ui); },  // marks saved what the file holds
     .statusTip = "Save points, contours, breaklines and surface as DXF or LandXML"},
    {.id = C::CoordinateSystem, .text = "Coordinate System...", .enabled = loaded, .run = coordinateSystemCommand},
    {.id = C::Print, .text = "&Print...", .key = ctrlKey('P'), .enabled = loaded,
     .run = [](SiteModel&, Ui&) {}, .help = "print (does nothing)", .hintInText = false},
    {.id = C::RecentFile, .text = "Recent File", .enabled = always},
    {.id = C::Exit, .text = "E&xit", .key = ctrlKey('Q'), .enabled = always, .help = "close the window",
     .statusTip = "Quit the application", .hintInText = false},
    // Edit
    {.id = C::Undo, .text = "&Undo", .key = ctrlKey('Z'), .otherKey = altKey(vk::Backspace),
     .enabled = canUndoSiteEdit, .run = [](SiteModel& m, Ui&) { undoSiteEdit(m); },
     .help = "undo the last edit of the site"},
    {.id = C::Redo, .text = "&Redo", .key = ctrlShiftKey('Z'), .enabled = canRedoSiteEdit,
     .run = [](SiteModel& m, Ui&) { redoSiteEdit(m); }, .help = "redo the edit undone last"},
    {.id = C::UndoBreakline, .text = "Undo Breakline", .key = plainKey('U'), .enabled = hasBreaklines,
     .run = onSite<undoLastBreakline>, .help = "take the last breakline back"},
    {.id = C::EditPoint, .text = "Edit Point", .key = plainKey('E'), .enabled = loaded, .run = editSelectedPoint,
     .help = "edit the selected point"},
    // View
    {.id = C::Points, .text = "Points", .key = plainKey('1'), .enabled = loaded,
     .checked = [](const SiteModel& m) { return m.display.showPoints; }, .run = onSite<togglePoints>,
     .help = "survey points on and off"},
    {.id = C::Triangles, .text = "Triangles", .key = plainKey('2'), .enabled = triangulated,
     .checked = [](const SiteModel& m) { return m.display.showTriangles; }, .run = onSite<toggleTriangles>,
     .help = "triangles on and off"},
    {.id = C::Surface, .text = "Surface", .key = plainKey('3'), .enabled = triangulated,
     .checked = [](const SiteModel& m) { return m.display.surfaceMode != SurfaceMode::Off; },
     .run = onSite<toggleSurface>, .help = "surface on and off (back as it was first seen)"},
    {.id = C::Contours, .text = "Contours", .key = plainKey('4'), .enabled = triangulated,
     .checked = [](const SiteModel& m) { return m.display.showContours; }, .run = onSite<toggleContours>,
     .help = "contours on and off", .spaceAfterHint = true},
    {.id = C::Breaklines, .text = "Breaklines", .key = plainKey('5'), .enabled = triangulated,
     .checked = [](const SiteModel& m) { return m.display.showBreaklines; }, .run = onSite<toggleBreaklines>,
     .help = "breaklines on and off"},
    {.id = C::Rain, .text = "Rain", .key = plainKey('6'), .enabled = triangulated,
     .checked = [](const SiteModel& m) { return m.display.showRain; }, .run = onSite<toggleRain>,
     .help = "rain on and off"},
    {.id = C::Ponds, .text = "Ponds", .key = plainKey('7'), .enabled = triangulated,
     .checked = [](const SiteModel& m) { return m.display.showPonds; }, .run = onSite<togglePonds>,
     .help = "ponds on and off"},
    {.id = C::CadLines, .text = "CAD lines", .key = plainKey('C'), .enabled = overlayExists,
     .checked = [](const SiteModel& m) {
         return overlayExists(m) && (m.display.showDwfOverlay || m.display.showDxfOverlay);
     },
     .run = onSite<toggleCadOverlays>, .help = "CAD drawings on and off"},
    {.id = C::PointNumber, .text = "Point Number", .key = plainKey(vk::F2), .enabled = loaded,
     .checked = [](const SiteModel& m) { return m.display.showPointNumbers; }, .run = onSite<togglePointNumbers>,
     .help = "point numbers on and off"},
    {.id = C::Description, .text = "Description", .key = plainKey(vk::F3), .enabled = loaded,
     .checked = [](const SiteModel& m) { return m.display.showPointDescriptions; },
     .run = [](SiteModel& m, Ui&) { togglePointDescriptions(m, false); },
     .runFromKey = [](SiteModel& m, Ui&) { togglePointDescriptions(m, true); },
     .help = "point descriptions on and off, the points shown with them", .spaceAfterHint = true},
    {.id = C::Elevation, .text = "Elevation", .key = plainKey(vk::F4), .enabled = loaded,
     .checked = [](const SiteModel& m) { return m.display.showPointElevations; },
     .run = onSite<togglePointElevations>, .help = "point elevations on and off", .spaceAfterHint = true},
    // Options
    {.id = C::Contouring, .text = "Contouring", .key = plainKey(vk::Multiply), .enabled = triangulated,
     .run = showContourOptions, .help = "contour interval and limit"},
    {.id = C::SmoothShading, .text = "Smooth Shading", .key = plainKey('G'), .enabled = contoured,
     .checked = surfaceIs<SurfaceMode::Smooth>, .run = onSite<toggleSmoothShading>,
     .runFromKey = onSite<setSmoothShading>, .help = "smooth shading"},
    {.id = C::ViewStationary, .text = "Stationary", .enabled = loaded, .checked = cameraIs<CameraMode::Stationary>,
     .run = cameraTo<CameraMode::Stationary>},
    // Rotating starts by gliding into the orbit; its tick waits for the orbit.
    {.id = C::ViewRotating, .text = "Rotating", .enabled = loaded, .checked = cameraIs<CameraMode::Rotating>,
     .run = cameraTo<CameraMode::RotatingStart>},
    {.id = C::ViewPlanView, .text = "Plan View", .enabled = loaded, .checked = cameraIs<CameraMode::PlanViewStart>,
     .run = cameraTo<CameraMode::PlanViewStart>},
    {.id = C::ViewWild, .text = "Wild", .enabled = loaded,
     .checked = [](const SiteModel& m) { return cameraIs<CameraMode::WildStart>(m) || cameraIs<CameraMode::Wild>(m); },
     .run = cameraTo<CameraMode::WildStart>},
    {.id = C::ViewRainCam, .text = "RainCam",
     .enabled = [](const SiteModel& m) { return loaded(m) && m.display.showRain && contoured(m); },
     .checked = cameraIs<CameraMode::RainCam>, .run = cameraTo<CameraMode::RainCam>},
    {.id = C::LightStationary, .text = "Stationary", .enabled = loaded, .checked = lightIs<LightMode::Stationary>,
     .run = lightTo<LightMode::Stationary>},
    {.id = C::LightHeadlamp, .text = "Headlamp", .enabled = loaded, .checked = lightIs<LightMode::Headlamp>,
     .run = lightTo<LightMode::Headlamp>},
    {.id = C::LightCircling, .text = "Circling", .enabled = loaded, .checked = lightIs<LightMode::Circling>,
     .run = lightTo<LightMode::Circling>},
    {.id = C::ScaleReset, .text = "Reset to 1.0", .key = plainKey(vk::Home), .enabled = loaded,
     .run = onSite<resetVerticalScale>, .help = "vertical scale back to 1.0"},
    {.id = C::ScaleIncrease, .text = "Increase", .key = plainKey(vk::PageUp), .enabled = loaded,
     .run = onSite<increaseVerticalScale>, .help = "vertical scale up (x1.1, up to 10)"},
    {.id = C::ScaleDecrease, .text = "Decrease", .key = plainKey(vk::PageDown), .enabled = loaded,
     .run = onSite<decreaseVerticalScale>, .help = "vertical scale down (x0.9, down to 0.1)"},
    {.id = C::Pallette, .text = "Pallette", .key = plainKey('P'), .enabled = triangulated, .run = onSite<cyclePalette>,
     .help = "next palette"},
    {.id = C::OverlayCadFile, .text = "Overlay CAD File...", .enabled = contoured, .run = openCadOverlay},
    {.id = C::LimitPolygonBoundary, .text = "Limit Polygon as Boundary",
     .enabled = [](const SiteModel& m) {
         return canAddSurfaceBoundary(m) && m.document.contours.limitPolygon.has_value();
     },
     .run = [](SiteModel& m, Ui&) { makeLimitPolygonBoundary(m); }},
    {.id = C::CadPolylineBoundary, .text = "CAD Polyline as Boundary",
     .enabled = [](const SiteModel& m) { return canAddSurfaceBoundary(m) && m.overlays.dxfOverlay != nullptr; },
     .run = [](SiteModel& m, Ui& ui) { makeCadPolylineBoundary(m, ui); }},
    // Volumes
    {.id = C::CutAndFill, .text = "Cut and Fill...", .enabled = contoured,
     .run = [](SiteModel& m, Ui& ui) { startVolumes(m, ui, VolumeQuestion{}, VolumeUse::Report); }},
    {.id = C::VolumeToElevation, .text = "Volume to Elevation...", .enabled = contoured},
    {.id = C::CutFillView, .text = "Cut/Fill Colours", .enabled = contoured, .checked = surfaceIs<SurfaceMode::CutFill>,
     .run = toggleCutFillView},
    // The contours of the difference from what the cut/fill view compares with, at the contour interval.
    {.id = C::SaveIsopach, .text = "Save Isopach...", .enabled = contoured,
     .run =
         [](SiteModel& m, Ui& ui) {
             startVolumes(m, ui, isopachQuestionOf(m, m.comparison.datum), VolumeUse::SaveIsopach);
         }},
    // Help
    {.id = C::Help, .text = "Help", .key = plainKey(vk::F1), .otherKey = plainKey('H'), .enabled = always,
     .run = [](SiteModel&, Ui& ui) { showHelp(ui); }, .help = "the help window"},
    {.id = C::About, .text = "&About Vellacor...", .enabled = always},

    // The toolbar. Axis and Light have the keys the submenus "View Point" and "Light" show.
    {.id = C::ToolPlanView, .text = "Plan View",
     .enabled =
         [](const SiteModel& m) {
             return triangulated(m) && !cameraIs<CameraMode::PlanViewStart>(m) && !cameraIs<CameraMode::PlanViewEnd>(m);
         },
     .run = cameraTo<CameraMode::PlanViewStart>},
    {.id = C::ToolAxis, .text = "Axis", .key = plainKey('V'), .enabled = loaded, .run = onSite<toggleFreelook>,
     .help = "free look on and off"},
    {.id = C::ToolPoints, .text = "Points", .enabled = loaded, .run = onSite<togglePoints>},
    {.id = C::ToolTriangles, .text = "Triangles", .enabled = triangulated, .run = onSite<toggleTriangles>},
    {.id = C::ToolSurface, .text = "Surface", .enabled = triangulated, .run = onSite<toggleSurface>},
    {.id = C::ToolContours, .text = "Contours", .enabled = triangulated, .run = onSite<toggleContours>},
    {.id = C::ToolLight, .text = "Light", .key = plainKey('L'), .enabled = triangulated, .run = onSite<cycleLightMode>,
     .help = "next light mode"},
    {.id = C::ToolPallette, .text = "Pallette", .enabled = triangulated, .run = onSite<cyclePalette>},
    {.id = C::ToolRain, .text = "Rain", .enabled = contoured, .run = onSite<toggleRain>},
    {.id = C::ToolPonds, .text = "Ponds", .enabled = contoured, .run = onSite<togglePonds>},
    {.id = C::ToolBreaklines, .text = "Breaklines", .enabled = hasBreaklines, .run = onSite<toggleBreaklines>},
    {.id = C::ToolCadOverlay, .text = "CAD Overlay",
     .enabled = [](const SiteModel& m) { return contoured(m) && overlayExists(m); },
     .run = onSite<toggleCadOverlays>},

    // Keys alone.
    {.key = plainKey(vk::Escape), .run = onSite<cancelWork>, .help = "stop the work in hand, keep what is finished"},
    {.key = plainKey(vk::Insert), .run = onSite<increaseContourSmoothing>, .help = "smoother contours"},
    {.key = plainKey(vk::Delete), .run = onSite<decreaseContourSmoothing>, .help = "less smooth contours"},
    {.key = plainKey(vk::Add), .run = onSite<halveContourInterval>, .help = "contour interval halved (down to 0.125)"},
    {.key = plainKey(vk::Subtract), .run = onSite<doubleContourInterval>,
     .help = "contour interval doubled (up to 500)"},
    {.key = plainKey('9'), .run = onSite<restartRain>, .help = "the rain starts again"},
    {.key = plainKey('F'), .run = onSite<setFlatShading>, .help = "flat shading"},
    {.key = plainKey('R'), .run = onSite<setNormalTextureMode>, .help = "the texture by the surface normals"},
    {.key = plainKey('T'), .run = setSwirlTextureMode, .help = "the swirling texture"},
    {.key = plainKey('I'), .run = loadSurfaceTexture, .help = "a picture as the surface texture"},
    {.key = plainKey('J'), .run = onSite<toggleGrid>, .help = "reference grid on and off"},
    {.key = plainKey('M'), .run = onSite<toggleLightGlow>, .help = "the light's glow on and off"},
    {.key = plainKey('N'), .run = onSite<toggleNormals>, .help = "surface normals on and off"},
    {.key = plainKey('Y'), .run = onSite<toggleRipples>, .help = "ripples on the ponds on and off"},
};
// clang-format on

constexpr KeyStroke kTakenForNothing[] = {
    ctrlKey('N'),        ctrlKey('X'),         ctrlKey('C'),     ctrlKey('V'),     shiftKey(vk::Delete),
    ctrlKey(vk::Insert), shiftKey(vk::Insert), plainKey(vk::F6), shiftKey(vk::F6),
};

bool sameStroke(KeyStroke tableKey, KeyStroke pressed) {
    return tableKey &&
           tableKey == KeyStroke{sameKeyAs(pressed.virtualKey), pressed.control, pressed.shift, pressed.alt};
}

// The item text with the hint of `keyOf`'s key after a tab.
std::string withHint(std::string_view text, const Command* keyOf) {
    std::string line(text);
    if (keyOf && keyOf->key && keyOf->hintInText) {
        line.append("\t").append(keyName(keyOf->key));
        if (keyOf->spaceAfterHint) line += " ";
    }
    return line;
}

MenuEntry item(CommandId id) {
    const Command* c = findCommand(id);
    const bool hinted = c->key && c->hintInText;
    return {.id = id, .text = withHint(c->text, c), .checkable = c->checked != nullptr, .keyOf = hinted ? id : C::None};
}

// A submenu whose heading shows the key of `keyOf`.
MenuEntry submenu(std::string_view heading, CommandId keyOf, std::vector<MenuEntry> items) {
    return {.text = withHint(heading, findCommand(keyOf)), .items = std::move(items), .keyOf = keyOf};
}

}  // namespace

std::span<const Command> commandTable() { return kCommands; }

const Command* findCommand(CommandId id) {
    if (id == CommandId::None) return nullptr;
    const auto it =
        std::find_if(std::begin(kCommands), std::end(kCommands), [id](const Command& c) { return c.id == id; });
    return it == std::end(kCommands) ? nullptr : &*it;
}

std::vector<Menu> mainMenu() {
    const MenuEntry separator{};
    return {
        {"&File",
         {item(C::Open), item(C::OpenComparison), item(C::SavePoints), item(C::SaveAs), item(C::CoordinateSystem),
          separator, item(C::Print), separator, item(C::RecentFile), separator, item(C::Exit)}},
        {"&Edit", {item(C::Undo), item(C::Redo), separator, item(C::UndoBreakline), item(C::EditPoint)}},
        {"&View",
         {item(C::Points), item(C::Triangles), item(C::Surface), item(C::Contours), item(C::Breaklines), item(C::Rain),
          item(C::Ponds), item(C::CadLines), separator, item(C::PointNumber), item(C::Description),
          item(C::Elevation)}},
        {"&Options",
         {item(C::Contouring), item(C::SmoothShading),
          submenu("View Point", C::ToolAxis,
                  {item(C::ViewStationary), item(C::ViewRotating), item(C::ViewPlanView), item(C::ViewWild),
                   item(C::ViewRainCam)}),
          submenu("Light", C::ToolLight, {item(C::LightStationary), item(C::LightHeadlamp), item(C::LightCircling)}),
          submenu("Vertical Scale", C::None, {item(C::ScaleReset), item(C::ScaleIncrease), item(C::ScaleDecrease)}),
          item(C::Pallette), separator, item(C::OverlayCadFile), item(C::LimitPolygonBoundary),
          item(C::CadPolylineBoundary)}},
        {"Vol&umes",
         {item(C::CutAndFill), item(C::VolumeToElevation), separator, item(C::CutFillView), item(C::SaveIsopach)}},
        {"&Help", {item(C::Help), item(C::About)}},
    };
}

std::vector<ToolButton> toolbarButtons() {
    std::vector<ToolButton> buttons;
    for (const CommandId id :
         {C::ToolPlanView, C::ToolAxis, C::ToolPoints, C::ToolTriangles, C::ToolSurface, C::ToolContours, C::ToolLight,
          C::ToolPallette, C::ToolRain, C::ToolPonds, C::ToolBreaklines, C::ToolCadOverlay})
        buttons.push_back({id, std::string(findCommand(id)->text)});
    return buttons;
}

CommandState commandState(const SiteModel& model, CommandId id) {
    const Command* c = findCommand(id);
    if (!c || !c->enabled) return {false, false};
    return {c->enabled(model), c->checked && c->checked(model)};
}

std::string elevationPaneText(const SiteModel& model) {
    std::string text = "Elev: ";
    if (!model.input.cursorInView) return text;
    const std::optional<Vec3> ground = groundAt(model, Pixel{model.input.cursorX, model.input.cursorY});
    if (!ground) return text;
    char number[64];
    const auto end = std::to_chars(number, number + sizeof number, ground->z, std::chars_format::fixed, 2).ptr;
    return text + std::string(number, end);  // "%.2f", whatever the locale
}

bool runCommand(SiteModel& model, Ui& ui, CommandId id) {
    const Command* c = findCommand(id);
    if (!c || !c->run) return false;
    c->run(model, ui);
    return true;
}

const Command* commandForKey(KeyStroke key) {
    for (const Command& c : kCommands)
        if (sameStroke(c.key, key) || sameStroke(c.otherKey, key)) return &c;
    return nullptr;
}

void handleKey(SiteModel& model, Ui& ui, int virtualKey) {
    const Command* c = commandForKey(plainKey(virtualKey));
    if (!c) return;
    if (c->runFromKey)
        c->runFromKey(model, ui);
    else if (c->run)
        c->run(model, ui);
}

std::span<const KeyStroke> keysTakenForNothing() { return kTakenForNothing; }

std::string keyHelpText() {
    std::string text = "Keys in the window:\n";
    const auto line = [&text](std::string names, std::string_view help) {
        names.resize(std::max<std::size_t>(names.size() + 2, 20), ' ');  // the help lines in one column
        text += "  " + names + std::string(help) + "\n";
    };
    for (const Command& c : kCommands)
        if (c.key) line(c.otherKey ? keyName(c.key) + ", " + keyName(c.otherKey) : keyName(c.key), c.help);
    for (const FlightKeys& keys : flightKeys())
        line(keyName(plainKey(keys.key)) + ", " + keyName(plainKey(keys.otherKey)), keys.help);
    return text;
}

}  // namespace vellacor
