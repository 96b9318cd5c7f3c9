#pragma once
#include <optional>
#include <string>

#include "app/site_edits.h"
#include "export/gis_export.h"
#include "export/writers.h"
#include "platform/ui.h"

namespace vellacor {

struct SiteModel;
struct SiteDocument;

// One save of the site: what the window's Saving dialog (or Save Points)
// chose, or what the command line's convert was told.
struct SaveRequest {
    ExportFormat format = ExportFormat::Dxf;
    ExportParts parts;              // what DXF, LandXML and GeoPackage files hold
    std::optional<GisLayer> layer;  // a GeoJSON file's or shapefile's one layer; the first part given without it
    double cellSize = 0.0;          // a DEM's cell side; 0: the default
};

// Whether any of points, contours, breaklines and surface is chosen.
bool anyPartChosen(const ExportParts& parts);

// What a save holds when nobody chose: points when the site has any,
// contours when it has triangles, breaklines when it has any, and never the
// surface (the Saving dialog's first ticks).
ExportParts defaultSaveParts(const SiteDocument& d);

// Whether the request's file is made from the finished surface (contours,
// triangles, a DEM) rather than from the point and breakline lists alone.
bool saveNeedsSurface(const SaveRequest& request);

// The kinds of change the request's file holds: points with the points
// (LandXML always), breaklines with the breaklines (a GeoJSON file or
// shapefile only in its one layer), boundaries in LandXML with the surface;
// a DEM holds none of them.
SiteChange changesHeldBy(const SaveRequest& request);

// How a finished save is told, to the window's user and on the command line alike.
std::string savedFileMessage(const std::string& path);

// Saves the site to `path`: waits for the finished surface when the file
// needs it, writes through a replacement that takes the target's place only
// once complete, and marks the site saved in what the file holds. The text
// that reports the save, or nothing when the file was not written (the
// reason already told through `ui`).
std::optional<std::string> saveSite(SiteModel& model, Ui& ui, const std::string& path, const SaveRequest& request);

}  // namespace vellacor
