#pragma once
#include <optional>

#include "cli/cli_args.h"
#include "export/gis_export.h"

namespace vellacor {

// Whether convert's options suit the output: --layer names the one layer of a
// GeoJSON file or shapefile, --cell the cells of a DEM, and the part options
// choose what DXF, LandXML and GeoPackage files hold; a shapefile's name ends in .shp.
bool optionsSuitOutput(const CliArgs& o, ExportFormat format, bool partsChosen);

// The layer --layer names; nothing when it is not given.
std::optional<GisLayer> layerOf(const CliArgs& o);

}  // namespace vellacor
