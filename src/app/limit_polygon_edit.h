#pragma once
#include <optional>
#include <span>

#include "model/survey_point.h"

namespace vellacor {

struct SiteModel;

// The idle cycle's step: once the neighbour links are done, a site without a
// limit polygon gets its starting hexagon (not for triangle lists, "RAW").
void makeLimitPolygonWhenReady(SiteModel& model);

// The polygon is on screen and can be edited: the surface exists, contours
// are shown and limited to the polygon.
bool limitPolygonShown(const SiteModel& model);

// A left press at the cursor: when it lands on a vertex of the shown polygon
// that vertex is selected and the press is the polygon's (true); with Ctrl the
// vertex is doubled first, so the drag pulls a new vertex out of it.
bool pressOnLimitPolygon(SiteModel& model, bool controlHeld);

// A vertex is selected: the current left drag moves it.
bool limitPolygonVertexSelected(const SiteModel& model);

// The drag reached `ground`: the selected vertex goes there. True when it moved.
bool dragLimitPolygonVertex(SiteModel& model, const std::optional<Vec3>& ground);

// The left button came up: a vertex let go on its neighbour merges with it,
// and the selection ends.
void releaseLimitPolygon(SiteModel& model);

// Contours from now on only inside the polygon of these plan corners (their
// elevations are ignored): each corner is laid on the surface, or, off it,
// at the site's lowest elevation. For batch runs, once the surface is built.
void limitContoursToPolygon(SiteModel& model, std::span<const Vec3> planCorners);

// Draws the shown polygon into the displayed picture.
void drawLimitPolygonOf(SiteModel& model);

}  // namespace vellacor
