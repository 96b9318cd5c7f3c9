#pragma once
#include <cstdio>
#include <span>

#include "surface/contour_export.h"

namespace vellacor {


struct ExportParts {
    bool points = false;
    bool contours = false;
    bool breaklines = false;
    bool surface = false;
};

// The Save As writers. Each writes the chosen parts of the site to the open
// file and returns false when the file could not be written completely. The
// caller opens and closes the file and tells the user.

// DXF drawing (release AC1009): points as INSERTs of the block POINT, contours
// as POLYLINEs with labels on the major ones, breaklines as LINEs, the surface
// as 3DFACEs. Traces the contours itself when they are wanted.
bool writeDxf(std::FILE* file, const SiteDocument& document, const ExportParts& parts);
// The same with contours already traced, in level order.
bool writeDxf(std::FILE* file, const SiteDocument& document, const ExportParts& parts,
              std::span<const ExportPolyline> contours);

// LandXML 1.0 document. The points are always written; `parts.points` is not
// consulted. Its Units are Metric or Imperial (US survey or international
// feet) as the site's coordinate system has them, an empty Imperial when
// that is not known. Traces the contours itself when they are wanted.
bool writeLandXml(std::FILE* file, const SiteDocument& document, const ExportParts& parts);
bool writeLandXml(std::FILE* file, const SiteDocument& document, const ExportParts& parts,
                  std::span<const ExportPolyline> contours);

// Point text: every point as "number,northing,easting,elevation,description"
// CR LF (easting first when the open document is PENZD).
bool writePointFile(std::FILE* file, const SiteDocument& document);

}  // namespace vellacor
