#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "export/gis_export.h"
#include "platform/ui.h"

namespace vellacor {

// What the save chooser offers for a format: the extension a name without
// one gets, and the filter.
struct SaveChooser {
    const char* defaultExtension;
    const char* filter;
};

SaveChooser saveChooserOf(ExportFormat format);

// The format a file name's extension names, in any letter case (".tif" and
// ".tiff" both a DEM); point text for every other name.
ExportFormat exportFormatForPath(const std::string& path);

// The format of a short name: dxf, landxml, points, gpkg, geojson, shp, tif.
std::optional<ExportFormat> exportFormatNamed(std::string_view name);

// The GIS format the library writes for a format; nothing for DXF, LandXML
// and point text, which this program writes itself.
std::optional<GisFormat> gisFormatOf(ExportFormat format);

}  // namespace vellacor
