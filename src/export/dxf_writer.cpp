#include <string_view>

#include "export/contour_labels.h"
#include "export/dxf_entities.h"
#include "export/dxf_sections.h"
#include "export/file_sink.h"
#include "export/number_format.h"
#include "export/writers.h"
#include "app/site_model.h"

namespace vellacor {

namespace {

const SurveyPoint& pointAt(const SiteModel& model, int index) { return model.document.points[static_cast<std::size_t>(index)]; }

// Indices that do not name a loaded point are skipped rather than read out of bounds.
bool isPointIndex(const SiteModel& model, int index) { return index >= 0 && index < model.document.pointCount; }

Vec3 positionOf(const SurveyPoint& p) { return {p.easting, p.northing, p.elevation}; }

void writePoints(FileSink& sink, const SiteModel& model) {
    const double spacing = gridSpacing(model.document.siteSize);
    for (int i = 0; i < model.document.pointCount; ++i) {
        dxfPointInsert(sink.text, pointAt(model, i), spacing);
        sink.flushIfLarge();
    }
}

void writeContours(FileSink& sink, const SiteModel& model, std::span<const ExportPolyline> contours) {
    const double labelHeight = 0.1 * gridSpacing(model.document.siteSize);
    for (const ExportPolyline& line : contours) {
        if (line.points.empty()) continue;
        const std::string_view layer = line.major ? "Cont-Mjr" : "Cont-Mnr";
        dxfPolyline(sink.text, line.points, layer, line.level);
        if (line.major) {
            const std::string text = formatNumber(line.level);
            for (const ContourLabel& label : placeContourLabels(line.points))
                dxfText(sink.text, text, label.anchor.x, label.anchor.y, label.anchor.z, labelHeight, label.rotation,
                        0.0, "ROMANS", layer, 1, 2);  // centred on the line, both ways
        }
        sink.flushIfLarge();
    }
}

void writeBreaklines(FileSink& sink, const SiteModel& model) {
    for (const Breakline& b : model.document.breaklines.pairs) {
        if (!isPointIndex(model, b.a) || !isPointIndex(model, b.b)) continue;
        const SurveyPoint& a = pointAt(model, b.a);
        const SurveyPoint& c = pointAt(model, b.b);
        dxfLine(sink.text, "BREAKLINE", a.easting, a.northing, a.elevation, c.easting, c.northing, c.elevation);
        sink.flushIfLarge();
    }
}

void writeSurface(FileSink& sink, const SiteModel& model) {
    for (int t = 0; t < model.document.triangleCount; ++t) {
        const TinTriangle& tri = model.document.triangles[static_cast<std::size_t>(t)];
        if (!isPointIndex(model, tri.vertex[0]) || !isPointIndex(model, tri.vertex[1]) ||
            !isPointIndex(model, tri.vertex[2]))
            continue;
        dxf3dFace(sink.text, positionOf(pointAt(model, tri.vertex[0])), positionOf(pointAt(model, tri.vertex[1])),
                  positionOf(pointAt(model, tri.vertex[2])));
        sink.flushIfLarge();
    }
}

}  // namespace

bool writeDxf(std::FILE* file, const SiteModel& model, const ExportParts& parts,
              std::span<const ExportPolyline> contours) {
    FileSink sink(file);
    sink.text += dxfPreamble();
    if (parts.points) writePoints(sink, model);
    if (parts.contours) writeContours(sink, model, contours);
    if (parts.breaklines) writeBreaklines(sink, model);
    if (parts.surface) writeSurface(sink, model);
    sink.text += kDxfEnd;
    return sink.finish();
}

bool writeDxf(std::FILE* file, const SiteModel& model, const ExportParts& parts) {
    const std::vector<ExportPolyline> contours =
        parts.contours ? traceContoursForExport(model) : std::vector<ExportPolyline>{};
    return writeDxf(file, model, parts, contours);
}

}  // namespace vellacor
