#include <string_view>

#include "export/contour_labels.h"
#include "export/dxf_entities.h"
#include "export/dxf_sections.h"
#include "export/file_sink.h"
#include "export/number_format.h"
#include "export/writers.h"
#include "model/site_document.h"

namespace vellacor {

namespace {

void writePoints(FileSink& sink, const SiteDocument& document) {
    const double spacing = gridSpacing(document.siteSize);
    for (int i = 0; i < document.pointCount; ++i) {
        dxfPointInsert(sink.text, pointAt(document, i), spacing);
        sink.flushIfLarge();
    }
}

void writeContours(FileSink& sink, const SiteDocument& document, std::span<const ExportPolyline> contours) {
    const double labelHeight = 0.1 * gridSpacing(document.siteSize);
    for (const ExportPolyline& line : contours) {
        if (line.points.empty()) continue;
        const std::string_view layer = line.major ? "Cont-Mjr" : "Cont-Mnr";
        dxfPolyline(sink.text, line.points, layer, line.level);
        if (line.major) {
            const std::string text = formatNumber(line.level);
            for (const ContourLabel& label : placeContourLabels(line.points))
                dxfText(sink.text, text, label.anchor.x, label.anchor.y, label.anchor.z, labelHeight, label.rotation,
                        0.0, "ROMANS", layer, DxfAlignAlong::Centre, DxfAlignAcross::Middle);  // centred on the line
        }
        sink.flushIfLarge();
    }
}

void writeBreaklines(FileSink& sink, const SiteDocument& document) {
    for (const Breakline& b : document.breaklines.pairs) {
        if (!isPointIndex(document, b.a) || !isPointIndex(document, b.b)) continue;
        const SurveyPoint& a = pointAt(document, b.a);
        const SurveyPoint& c = pointAt(document, b.b);
        dxfLine(sink.text, "BREAKLINE", a.easting, a.northing, a.elevation, c.easting, c.northing, c.elevation);
        sink.flushIfLarge();
    }
}

void writeSurface(FileSink& sink, const SiteDocument& document) {
    for (int t = 0; t < document.triangleCount; ++t) {
        const TinTriangle& tri = document.triangles[static_cast<std::size_t>(t)];
        if (!isPointIndex(document, tri.vertex[0]) || !isPointIndex(document, tri.vertex[1]) ||
            !isPointIndex(document, tri.vertex[2]))
            continue;
        dxf3dFace(sink.text, positionOf(pointAt(document, tri.vertex[0])), positionOf(pointAt(document, tri.vertex[1])),
                  positionOf(pointAt(document, tri.vertex[2])));
        sink.flushIfLarge();
    }
}

}  // namespace

bool writeDxf(std::FILE* file, const SiteDocument& document, const ExportParts& parts,
              std::span<const ExportPolyline> contours) {
    FileSink sink(file);
    sink.text += dxfPreamble();
    if (parts.points) writePoints(sink, document);
    if (parts.contours) writeContours(sink, document, contours);
    if (parts.breaklines) writeBreaklines(sink, document);
    if (parts.surface) writeSurface(sink, document);
    sink.text += kDxfEnd;
    return sink.finish();
}

bool writeDxf(std::FILE* file, const SiteDocument& document, const ExportParts& parts) {
    const std::vector<ExportPolyline> contours =
        parts.contours ? traceContoursForExport(document) : std::vector<ExportPolyline>{};
    return writeDxf(file, document, parts, contours);
}

}  // namespace vellacor
