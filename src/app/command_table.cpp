#include "app/command_table.h"

#include "app/cad_overlays.h"
#include "app/commands.h"
#include "app/cut_fill_view.h"
#include "app/gis_save.h"
#include "app/point_editing.h"
#include "app/site_edits.h"
#include "app/site_model.h"
#include "app/surface_boundary_edit.h"
#include "app/navigation.h"
#include "app/view_settings.h"

#include <charconv>

namespace vellacor {

std::vector<Menu> mainMenu() {
    using C = CommandId;
    const MenuEntry separator{};
    return {
        {"&File",
         {{C::Open, "&Open...", {}},
          {C::OpenComparison, "Open Comparison Surface...", {}},
          {C::SavePoints, "Save Points...", {}},
          {C::SaveAs, "Save &As...", {}},
          {C::CoordinateSystem, "Coordinate System...", {}},
          separator,
          {C::Print, "&Print...", {}},
          separator,
          {C::RecentFile, "Recent File", {}},
          separator,
          {C::Exit, "E&xit", {}}}},
        {"&Edit",
         {{C::Undo, "&Undo\tCtrl+Z", {}},
          {C::Redo, "&Redo\tCtrl+Shift+Z", {}},
          separator,
          {C::UndoBreakline, "Undo Breakline\tU", {}},
          {C::EditPoint, "Edit Point\tE", {}}}},
        {"&View",
         {{C::Points, "Points\t1", {}, true},
          {C::Triangles, "Triangles\t2", {}, true},
          {C::Surface, "Surface\t3", {}, true},
          {C::Contours, "Contours\t4 ", {}, true},
          {C::Breaklines, "Breaklines\t5", {}, true},
          {C::Rain, "Rain\t6", {}, true},
          {C::Ponds, "Ponds\t7", {}, true},
          {C::CadLines, "CAD lines\tC", {}, true},
          separator,
          {C::PointNumber, "Point Number\tF2", {}, true},
          {C::Description, "Description\tF3 ", {}, true},
          {C::Elevation, "Elevation\tF4 ", {}, true}}},
        {"&Options",
         {{C::Contouring, "Contouring\t*", {}},
          {C::SmoothShading, "Smooth Shading\tG", {}, true},
          {C::None,
           "View Point\tV",
           {{C::ViewStationary, "Stationary", {}, true},
            {C::ViewRotating, "Rotating", {}, true},
            {C::ViewPlanView, "Plan View", {}, true},
            {C::ViewWild, "Wild", {}, true},
            {C::ViewRainCam, "RainCam", {}, true}}},
          {C::None,
           "Light\tL",
           {{C::LightStationary, "Stationary", {}, true},
            {C::LightHeadlamp, "Headlamp", {}, true},
            {C::LightCircling, "Circling", {}, true}}},
          {C::None,
           "Vertical Scale",
           {{C::ScaleReset, "Reset to 1.0\t[HOME]", {}},
            {C::ScaleIncrease, "Increase\t[PGUP]", {}},
            {C::ScaleDecrease, "Decrease\t[PGDN]", {}}}},
          {C::Pallette, "Pallette\tP", {}},
          separator,
          {C::OverlayCadFile, "Overlay CAD File...", {}},
          {C::LimitPolygonBoundary, "Limit Polygon as Boundary", {}},
          {C::CadPolylineBoundary, "CAD Polyline as Boundary", {}}}},
        {"Vol&umes",
         {{C::CutAndFill, "Cut and Fill...", {}},
          {C::VolumeToElevation, "Volume to Elevation...", {}},
          separator,
          {C::CutFillView, "Cut/Fill Colours", {}, true},
          {C::SaveIsopach, "Save Isopach...", {}}}},
        {"&Help", {{C::Help, "Help\tF1", {}}, {C::About, "&About Vellacor...", {}}}},
    };
}

std::vector<ToolButton> toolbarButtons() {
    using C = CommandId;
    return {{C::ToolPlanView, "Plan View"}, {C::ToolAxis, "Axis"},         {C::ToolPoints, "Points"},
            {C::ToolTriangles, "Triangles"}, {C::ToolSurface, "Surface"},   {C::ToolContours, "Contours"},
            {C::ToolLight, "Light"},         {C::ToolPallette, "Pallette"}, {C::ToolRain, "Rain"},
            {C::ToolPonds, "Ponds"},         {C::ToolBreaklines, "Breaklines"}, {C::ToolCadOverlay, "CAD Overlay"}};
}

CommandState commandState(const SiteModel& model, CommandId id) {
    using C = CommandId;
    const SiteDocument& doc = model.document;
    const DisplaySwitches& d = model.display;
    const bool loaded = doc.documentLoaded;
    const bool triangulated = doc.triangulateStage.done;
    const bool contoured = doc.contourStage.done;
    const bool overlayExists = model.overlays.dwfOverlay || model.overlays.dxfOverlay;
    const CameraMode mode = model.camera.mode;
    const auto lightIs = [&model](LightMode m) { return model.renderer.light && model.renderer.light->lightMode == m; };
    switch (id) {
        case C::Triangles: return {triangulated, d.showTriangles};
        case C::Surface: return {triangulated, d.surfaceMode != SurfaceMode::Off};
        case C::Contours: return {triangulated, d.showContours};
        case C::Breaklines: return {triangulated, d.showBreaklines};
        case C::Rain: return {triangulated, d.showRain};
        case C::Ponds: return {triangulated, d.showPonds};
        case C::SmoothShading: return {contoured, d.surfaceMode == SurfaceMode::Smooth};
        case C::ToolTriangles:
        case C::ToolSurface:
        case C::ToolContours:
        case C::ToolLight:
        case C::ToolPallette:
        case C::Pallette:
        case C::Contouring:
        case C::SaveAs: return {triangulated, false};
        case C::ToolPlanView:
            return {triangulated && mode != CameraMode::PlanViewStart && mode != CameraMode::PlanViewEnd, false};
        case C::ToolRain:
        case C::ToolPonds:
        case C::OverlayCadFile: return {contoured, false};
        case C::ToolCadOverlay: return {contoured && overlayExists, false};
        case C::OpenComparison:
        case C::CoordinateSystem: return {loaded, false};
        case C::CutAndFill:
        case C::VolumeToElevation:
        case C::SaveIsopach: return {contoured, false};
        case C::CutFillView: return {contoured, d.surfaceMode == SurfaceMode::CutFill};
        case C::LimitPolygonBoundary: return {canAddSurfaceBoundary(model) && doc.contours.limitPolygon.has_value(), false};
        case C::CadPolylineBoundary: return {canAddSurfaceBoundary(model) && model.overlays.dxfOverlay != nullptr, false};
        case C::CadLines: return {overlayExists, overlayExists && (d.showDwfOverlay || d.showDxfOverlay)};
        case C::SavePoints: return {loaded && doc.pointCount > 0, false};
        case C::UndoBreakline:
        case C::ToolBreaklines: return {!doc.breaklines.empty(), false};
        case C::Undo: return {canUndoSiteEdit(model), false};
        case C::Redo: return {canRedoSiteEdit(model), false};
        case C::Points: return {loaded, d.showPoints};
        case C::PointNumber: return {loaded, d.showPointNumbers};
        case C::Description: return {loaded, d.showPointDescriptions};
        case C::Elevation: return {loaded, d.showPointElevations};
        case C::ViewStationary: return {loaded, mode == CameraMode::Stationary};
        case C::ViewRotating: return {loaded, mode == CameraMode::Rotating};
        case C::ViewWild: return {loaded, mode == CameraMode::WildStart || mode == CameraMode::Wild};
        case C::ViewRainCam: return {loaded && d.showRain && contoured, mode == CameraMode::RainCam};
        case C::ViewPlanView: return {loaded, mode == CameraMode::PlanViewStart};
        case C::LightStationary: return {loaded, lightIs(LightMode::Stationary)};
        case C::LightHeadlamp: return {loaded, lightIs(LightMode::Headlamp)};
        case C::LightCircling: return {loaded, lightIs(LightMode::Circling)};
        case C::ToolPoints:
        case C::ToolAxis:
        case C::ScaleReset:
        case C::ScaleIncrease:
        case C::ScaleDecrease:
        case C::EditPoint:
        case C::Print: return {loaded, false};
        case C::Open:
        case C::RecentFile:
        case C::Exit:
        case C::Help:
        case C::About: return {true, false};
        case C::None: return {false, false};
    }
    return {false, false};
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
    using C = CommandId;
    switch (id) {
        case C::UndoBreakline: undoLastBreakline(model); return true;
        case C::Undo: undoSiteEdit(model); return true;
        case C::Redo: redoSiteEdit(model); return true;
        case C::EditPoint: editSelectedPoint(model, ui); return true;
        case C::Points:
        case C::ToolPoints: togglePoints(model); return true;
        case C::Triangles:
        case C::ToolTriangles: toggleTriangles(model); return true;
        case C::Surface:
        case C::ToolSurface: toggleSurface(model); return true;
        case C::Contours:
        case C::ToolContours: toggleContours(model); return true;
        case C::Breaklines:
        case C::ToolBreaklines: toggleBreaklines(model); return true;
        case C::Rain:
        case C::ToolRain: toggleRain(model); return true;
        case C::Ponds:
        case C::ToolPonds: togglePonds(model); return true;
        case C::CadLines:
        case C::ToolCadOverlay: toggleCadOverlays(model); return true;
        case C::PointNumber: togglePointNumbers(model); return true;
        case C::Description: togglePointDescriptions(model, false); return true;
        case C::Elevation: togglePointElevations(model); return true;
        case C::Contouring: showContourOptions(model, ui); return true;
        case C::SmoothShading: toggleSmoothShading(model); return true;
        case C::ViewStationary: setCameraMode(model, CameraMode::Stationary); return true;
        case C::ViewRotating: setCameraMode(model, CameraMode::RotatingStart); return true;
        case C::ViewPlanView:
        case C::ToolPlanView: setCameraMode(model, CameraMode::PlanViewStart); return true;
        case C::ViewWild: setCameraMode(model, CameraMode::WildStart); return true;
        case C::ViewRainCam: setCameraMode(model, CameraMode::RainCam); return true;
        case C::LightStationary: setLightMode(model, LightMode::Stationary); return true;
        case C::LightHeadlamp: setLightMode(model, LightMode::Headlamp); return true;
        case C::LightCircling: setLightMode(model, LightMode::Circling); return true;
        case C::ToolLight: cycleLightMode(model); return true;
        case C::ScaleReset: resetVerticalScale(model); return true;
        case C::ScaleIncrease: increaseVerticalScale(model); return true;
        case C::ScaleDecrease: decreaseVerticalScale(model); return true;
        case C::Pallette:
        case C::ToolPallette: cyclePalette(model); return true;
        case C::ToolAxis: toggleFreelook(model); return true;
        case C::OverlayCadFile: openCadOverlay(model, ui); return true;
        case C::Help: showHelp(ui); return true;
        case C::Print: return true;  // printing does nothing
        case C::CutFillView: toggleCutFillView(model, ui); return true;
        case C::CoordinateSystem: coordinateSystemCommand(model, ui); return true;
        case C::LimitPolygonBoundary: makeLimitPolygonBoundary(model); return true;
        case C::CadPolylineBoundary: makeCadPolylineBoundary(model, ui); return true;
        case C::OpenComparison:
        case C::CutAndFill:
        case C::VolumeToElevation:
        case C::SaveIsopach:
        case C::Open:
        case C::SavePoints:
        case C::SaveAs:
        case C::RecentFile:
        case C::Exit:
        case C::About:
        case C::None: return false;
    }
    return false;
}

}  // namespace vellacor
