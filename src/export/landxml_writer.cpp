#include "export/file_sink.h"
#include "export/gis_crs.h"
#include "export/number_format.h"
#include "export/writers.h"
#include "export/xml_text.h"
#include "model/site_document.h"

namespace vellacor {

namespace {

// LandXML coordinates run northing, easting, elevation.
void appendNez(std::string& out, const SurveyPoint& p) {
    appendFormattedNumber(out, p.northing);
    out += ' ';
    appendFormattedNumber(out, p.easting);
    out += ' ';
    appendFormattedNumber(out, p.elevation);
}

void writeCgPoints(FileSink& sink, const SiteDocument& document) {
    std::string& out = sink.text;
    out += "\t<CgPoints>\n";
    for (int i = 0; i < document.pointCount; ++i) {
        const SurveyPoint& p = pointAt(document, i);
        out += "\t\t<CgPoint name=\"";
        appendWholeNumber(out, p.number);
        out += "\" desc=\"";
        appendXmlDescription(out, descriptionOf(p));
        out += "\">";
        appendNez(out, p);
        out += "</CgPoint>\n";
        sink.flushIfLarge();
    }
    out += "\t</CgPoints>\n";
}

// Plan corners, northing first, the first again at the end to close the ring.
void appendClosedRing(std::string& out, const std::vector<Vec3>& corners) {
    for (std::size_t i = 0; i <= corners.size(); ++i) {
        const Vec3& c = corners[i % corners.size()];
        if (i) out += ' ';
        appendFormattedNumber(out, c.y);
        out += ' ';
        appendFormattedNumber(out, c.x);
    }
}

// The boundary polygons as LandXML 1.2 has them: hide boundaries are voids;
// the triangles were dropped whole, not cut at the boundary (edgeTrim false).
void writeBoundaries(FileSink& sink, const SiteDocument& document) {
    std::string& out = sink.text;
    out += "\t\t\t\t<Boundaries>\n";
    int number = 0;
    for (const SurfaceBoundary& b : document.boundaries.polygons) {
        if (b.corners.size() < 3) continue;
        out += "\t\t\t\t\t<Boundary name=\"";
        appendWholeNumber(out, ++number);
        out += b.kind == BoundaryKind::Outer ? "\" bndType=\"outer\"" : "\" bndType=\"void\"";
        out += " edgeTrim=\"false\">\n\t\t\t\t\t\t<PntList2D>";
        appendClosedRing(out, b.corners);
        out += "</PntList2D>\n\t\t\t\t\t</Boundary>\n";
        sink.flushIfLarge();
    }
    out += "\t\t\t\t</Boundaries>\n";
}

void writeBreaklines(FileSink& sink, const SiteDocument& document) {
    std::string& out = sink.text;
    out += "\t\t\t\t<Breaklines>\n";
    for (const Breakline& b : document.breaklines.pairs) {
        if (!isPointIndex(document, b.a) || !isPointIndex(document, b.b)) continue;
        out += "\t\t\t\t\t<Breakline brkType=\"standard\">\n\t\t\t\t\t\t<PntList3D>";
        appendNez(out, pointAt(document, b.a));
        out += ' ';
        appendNez(out, pointAt(document, b.b));
        out += "</PntList3D>\n\t\t\t\t\t</Breakline>\n";
        sink.flushIfLarge();
    }
    out += "\t\t\t\t</Breaklines>\n";
}

void writeDefinition(FileSink& sink, const SiteDocument& document) {
    std::string& out = sink.text;
    out += "\t\t\t<Definition surfType=\"TIN\">\n\t\t\t\t<Pnts>\n";
    // Every loaded point, in the surface or not: face corners name them by
    // array position + 1.
    for (int i = 0; i < document.pointCount; ++i) {
        out += "\t\t\t\t\t<P id=\"";
        appendWholeNumber(out, i + 1);
        out += "\">";
        appendNez(out, pointAt(document, i));
        out += "</P>\n";
        sink.flushIfLarge();
    }
    out += "\t\t\t\t</Pnts>\n\t\t\t\t<Faces>\n";
    for (int t = 0; t < document.triangleCount; ++t) {
        const TinTriangle& tri = document.triangles[static_cast<std::size_t>(t)];
        if (!isPointIndex(document, tri.vertex[0]) || !isPointIndex(document, tri.vertex[1]) ||
            !isPointIndex(document, tri.vertex[2]))
            continue;
        out += "\t\t\t\t\t<F>";
        for (int k = 0; k < 3; ++k) {
            if (k) out += ' ';
            appendWholeNumber(out, tri.vertex[k] + 1LL);
        }
        out += "</F>\n";
        sink.flushIfLarge();
    }
    out += "\t\t\t\t</Faces>\n\t\t\t</Definition>\n";
}

void writeContours(FileSink& sink, std::span<const ExportPolyline> contours) {
    std::string& out = sink.text;
    out += "\t\t\t<Contours>\n";
    for (const ExportPolyline& line : contours) {
        out += "\t\t\t\t<Contour elev=\"";
        appendFormattedNumber(out, line.level);
        out += "\">";
        for (const Vec3& p : line.points) {  // plan only, northing first
            appendFormattedNumber(out, p.y);
            out += ' ';
            appendFormattedNumber(out, p.x);
            out += ' ';
        }
        out += "</Contour>\n";
        sink.flushIfLarge();
    }
    out += "\t\t\t</Contours>\n";
}

// The units of the site's coordinate system. An unknown one is left empty,
// as files without a system have always been written: the reader decides.
void writeUnits(std::string& out, LinearUnit unit) {
    switch (unit) {
        case LinearUnit::Metre:
            out += "\t\t<Metric areaUnit=\"squareMeter\" linearUnit=\"meter\" volumeUnit=\"cubicMeter\" "
                   "temperatureUnit=\"celsius\" pressureUnit=\"milliBars\"/>\n";
            return;
        case LinearUnit::UsSurveyFoot:
        case LinearUnit::Foot:
            out += "\t\t<Imperial areaUnit=\"squareFoot\" linearUnit=\"";
            out += unit == LinearUnit::Foot ? "foot" : "USSurveyFoot";
            out += "\" volumeUnit=\"cubicFeet\" temperatureUnit=\"fahrenheit\" pressureUnit=\"inHG\"/>\n";
            return;
        case LinearUnit::Unknown: break;
    }
    out += "\t\t<Imperial>\n\t\t</Imperial>\n";
}

// The site's coordinate system after the units: an EPSG code as its number,
// anything else as the WKT text it is. Nothing when it is unknown.
void writeCoordinateSystem(std::string& out, const std::string& definition) {
    if (definition.empty()) return;
    const bool epsg = definition.size() > 5 && (definition.rfind("EPSG:", 0) == 0 || definition.rfind("epsg:", 0) == 0) &&
                      definition.find_first_not_of("0123456789", 5) == std::string::npos;
    if (epsg) {
        out += "\t<CoordinateSystem epsgCode=\"" + definition.substr(5) + "\"/>\n";
        return;
    }
    out += "\t<CoordinateSystem ogcWktCode=\"";
    // WKT quotes its names: each quote becomes an entity, the rest is escaped as descriptions are.
    for (std::size_t start = 0;;) {
        const std::size_t quote = definition.find('"', start);
        appendXmlDescription(out, std::string_view(definition).substr(start, quote - start));
        if (quote == std::string::npos) break;
        out += "&quot;";
        start = quote + 1;
    }
    out += "\"/>\n";
}

}  // namespace

bool writeLandXml(std::FILE* file, const SiteDocument& document, const ExportParts& parts,
                  std::span<const ExportPolyline> contours) {
    FileSink sink(file);
    sink.text += "<?xml version=\"1.0\"?>\n<LandXML version=\"1.0\">\n\t<Units>\n";
    writeUnits(sink.text, linearUnitOf(document.coordinateSystem));
    sink.text += "\t</Units>\n";
    writeCoordinateSystem(sink.text, document.coordinateSystem);
    writeCgPoints(sink, document);
    if (parts.contours || parts.breaklines || parts.surface) {
        sink.text += "\t<Surfaces>\n\t\t<Surface name=\"exist\">\n";
        // The boundaries go with the surface they cut.
        const bool boundaries = parts.surface && !document.boundaries.polygons.empty();
        if (parts.breaklines || boundaries) sink.text += "\t\t\t<SourceData>\n";
        if (boundaries) writeBoundaries(sink, document);
        if (parts.breaklines) writeBreaklines(sink, document);
        if (parts.breaklines || boundaries) sink.text += "\t\t\t</SourceData>\n";
        if (parts.surface) writeDefinition(sink, document);
        if (parts.contours) writeContours(sink, contours);
        sink.text += "\t\t</Surface>\n\t</Surfaces>\n";
    }
    sink.text += "</LandXML>\n";
    return sink.finish();
}

bool writeLandXml(std::FILE* file, const SiteDocument& document, const ExportParts& parts) {
    const std::vector<ExportPolyline> contours =
        parts.contours ? traceContoursForExport(document) : std::vector<ExportPolyline>{};
    return writeLandXml(file, document, parts, contours);
}

}  // namespace vellacor
