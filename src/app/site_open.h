#pragma once
#include <optional>
#include <string>
#include <vector>

#include "app/document.h"
#include "model/surface_boundaries.h"

namespace vellacor {

struct SiteModel;
class Ui;

// What a front end asks of a site it opens for its surface: every command of
// the command line and the window's comparison surface open through this, so
// that a file becomes the same surface everywhere. The point classes of a LAS
// cloud are the Ui's answer to its question (the window asks; the command
// line answers with --classes and --withheld).
struct SiteRequest {
    std::string path;
    std::optional<std::string> format;  // answers the format question; the Ui is asked without it
    std::string coordinateSystem;       // the site's in place of the file's own; empty: the file's
    std::vector<SurfaceBoundary> boundaries;  // added to those the file brought
    std::optional<double> maxEdge;            // peels long edges off the surface's edge
    // Keeps one point (the lowest) per square of this size of the plan, of a
    // point file or cloud, before the surface is built.
    std::optional<double> thinCell;
};

// Opens the request's file as the site, in the request's coordinate system,
// with its boundaries added; the pipeline then builds the surface from it.
OpenResult openSite(SiteModel& model, Ui& ui, const SiteRequest& request);

// Opens the site and builds its surface to the end: triangles, breaklines,
// boundaries and neighbour links, whatever the file held (points, a point
// cloud, a drawing, faces or a grid). Loaded when the file was opened; whether
// it gave a surface says surfaceFinished.
OpenResult openSiteSurface(SiteModel& model, Ui& ui, const SiteRequest& request);

// Opens the site and builds its surface for a job that needs it finished (a
// volume, a section, the ponds): true when it is, else `refusal` is told (the
// file's own failure is told by the open).
bool openFinishedSurface(SiteModel& model, Ui& ui, const SiteRequest& request, const std::string& refusal);

}  // namespace vellacor
