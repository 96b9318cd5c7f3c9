#pragma once
#include <optional>
#include <string>

#include "export/gis_export.h"
#include "platform/ui.h"

namespace vellacor {

struct SiteModel;

// What Save As writes in a GIS format: the GeoPackage's layers are the parts
// ticked; a GeoJSON file or a shapefile holds the first ticked of points,
// contours, breaklines and surface; a DEM has the default cell size.
GisOptions gisOptionsForParts(GisFormat format, const ExportParts& parts);

// Save As's question for a DEM: "DEM Cell Size", starting at the default
// cell. False when the user cancels.
bool askDemCellSize(const SiteModel& model, Ui& ui, GisOptions& options);

// Writes the site as a GIS file (the part of Save As after the chooser): the
// library makes the files in memory, then each goes to the disk through a
// safe replacement, so a failure leaves every old file as it was. Says why
// when they are not all written, in the words of the other writers.
bool saveGisTo(const SiteModel& model, Ui& ui, const std::string& path, const GisOptions& options);

// The coordinate system the user names ("EPSG:n" or WKT) becomes the site's;
// one the library does not know is refused with a message and changes nothing.
bool setCoordinateSystem(SiteModel& model, Ui& ui, const std::string& definition);

// Coordinate System...: asks for the system, showing the one the site has.
void coordinateSystemCommand(SiteModel& model, Ui& ui);

}  // namespace vellacor
