#pragma once
#include <vector>

#include "model/survey_point.h"
#include "render/overlay_text.h"

namespace vellacor {

struct SiteModel;

// Composes one frame in model.renderer.frame.displayBits: the static scene (surface,
// contours, overlays, points, north arrow) is rebuilt into the scene buffer
// only when redrawNeeded is set; every frame copies it and draws the live
// marks on top. Text the frame wants (the hover label) is added to `text`.
void renderFrame(SiteModel& model, bool viewMoving, OverlayTextList& text);

// The layers of a scene rebuild, in the order renderFrame draws them.
void drawSurfaceLayer(SiteModel& model);
void drawContourLayer(SiteModel& model, bool viewMoving);
void drawOverlayLayer(SiteModel& model);
void drawPointLayer(SiteModel& model);
void drawNorthArrow(SiteModel& model);
void drawReferenceGrid(SiteModel& model, int lines);

// The marks drawn into the displayed picture every frame.
void drawSelectionMark(SiteModel& model);
void updateHoverLabel(SiteModel& model, OverlayTextList& text);

// A polyline of site points (easting, northing, elevation) drawn into the
// displayed picture; points at the off-surface elevation are gaps.
void drawDrapedPolyline(SiteModel& model, const std::vector<Vec3>& points, std::uint8_t colour);
// The plan line a -> b laid on the surface and drawn like drawDrapedPolyline.
void drawDrapedLine(SiteModel& model, const Vec3& a, const Vec3& b, std::uint8_t colour);

// Labels of one point, or of every point with kNoPoint, that the surface does
// not hide; markers and text follow the three switches.
void addPointLabels(const SiteModel& model, int point, bool number, bool description, bool elevation,
                    OverlayTextList& text);

}  // namespace vellacor
