#pragma once
#include <optional>

#include "cli/cli_args.h"
#include "export/gis_export.h"

namespace vellacor {

struct SiteModel;
class CliUi;

// The GIS format of an output kind; nothing for DXF, LandXML and point text.
std::optional<GisFormat> gisFormatOfKind(OutputKind kind);

// Whether convert's options suit the output: --layer names the one layer of a
// GeoJSON file or shapefile, --cell the cells of a DEM, and the part options
// choose what DXF, LandXML and GeoPackage files hold; a shapefile's name ends in .shp.
bool optionsSuitOutput(const CliArgs& o, OutputKind kind, bool partsChosen);

// Writes the GIS file as Save As would: the GeoPackage's layers are the
// chosen parts (none chosen: all the site has), a GeoJSON file or a
// shapefile holds --layer (points when not given). Builds the surface first
// when the file needs it.
bool exportGisFile(SiteModel& model, CliUi& ui, const CliArgs& o, GisFormat format,
                   const std::optional<ExportParts>& chosen);

}  // namespace vellacor
