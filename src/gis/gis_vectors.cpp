// The vector layers through the geospatial library.
#include "gis/gis_vectors.h"

#include <ogrsf_frmts.h>

#include <algorithm>
#include <vector>

#include "gis/gis_library.h"
#include "model/utf8_text.h"
#include "surface/contour_export.h"

namespace vellacor {

namespace {

bool isValidTriangle(const SiteDocument& d, const TinTriangle& t) {
    return isPointIndex(d, t.vertex[0]) && isPointIndex(d, t.vertex[1]) && isPointIndex(d, t.vertex[2]);
}

// A shapefile's text field is as many bytes wide as its longest text: a
// description's bytes that are not UTF-8 take two or three bytes each once
// turned into it.
int descriptionFieldWidth(const SiteDocument& d) {
    std::size_t widest = static_cast<std::size_t>(kDescriptionLength);
    for (int i = 0; i < d.pointCount; ++i) {
        const std::string_view text = descriptionOf(pointAt(d, i));
        if (text.size() * 3 > widest) widest = std::max(widest, utf8FromWindows1252(text).size());
    }
    return static_cast<int>(widest);
}

OGRLineString lineOf(const std::vector<Vec3>& points) {
    OGRLineString line;
    for (const Vec3& p : points) line.addPoint(p.x, p.y, p.z);
    return line;
}

class VectorWriter {
public:
    VectorWriter(GDALDataset& dataset, const OGRSpatialReference* reference, bool shapefile, const char* layerName)
        : dataset_(dataset), reference_(reference), shapefile_(shapefile), layerName_(layerName) {}

    bool points(const SiteDocument& d) {
        OGRLayer* layer = create(wkbPoint25D);
        // A shapefile's fields have at most ten letters.
        const char* description = shapefile_ ? "desc" : "description";
        // Text is UTF-8 in every format: descriptions typed in a Windows code page are turned into it.
        if (!layer || !field(layer, "number", OFTInteger) || !field(layer, "elevation", OFTReal) ||
            !field(layer, description, OFTString, shapefile_ ? descriptionFieldWidth(d) : kDescriptionLength))
            return false;
        return inTransaction([&] {
            for (int i = 0; i < d.pointCount; ++i) {
                const SurveyPoint& p = pointAt(d, i);
                OGRFeature feature(layer->GetLayerDefn());
                feature.SetField(0, p.number);
                feature.SetField(1, p.elevation);
                feature.SetField(2, utf8FromWindows1252(descriptionOf(p)).c_str());
                OGRPoint point(p.easting, p.northing, p.elevation);
                feature.SetGeometry(&point);
                if (layer->CreateFeature(&feature) != OGRERR_NONE) return false;
            }
            return true;
        });
    }

    bool contours(const std::vector<ExportPolyline>& contours) {
        OGRLayer* layer = create(wkbLineString25D);
        if (!layer || !field(layer, "elevation", OFTReal) || !field(layer, "kind", OFTString, 5)) return false;
        return inTransaction([&] {
            for (const ExportPolyline& contour : contours) {
                if (contour.points.size() < 2) continue;
                OGRFeature feature(layer->GetLayerDefn());
                feature.SetField(0, contour.level);
                feature.SetField(1, contour.major ? "major" : "minor");
                OGRLineString line = lineOf(contour.points);
                feature.SetGeometry(&line);
                if (layer->CreateFeature(&feature) != OGRERR_NONE) return false;
            }
            return true;
        });
    }

    bool breaklines(const SiteDocument& d) {
        OGRLayer* layer = create(wkbLineString25D);
        if (!layer || !field(layer, "start_pt", OFTInteger) || !field(layer, "end_pt", OFTInteger)) return false;
        return inTransaction([&] {
            for (const Breakline& b : d.breaklines.pairs) {
                if (!isPointIndex(d, b.a) || !isPointIndex(d, b.b)) continue;
                const SurveyPoint& a = pointAt(d, b.a);
                const SurveyPoint& e = pointAt(d, b.b);
                OGRFeature feature(layer->GetLayerDefn());
                feature.SetField(0, a.number);
                feature.SetField(1, e.number);
                OGRLineString line = lineOf({positionOf(a), positionOf(e)});
                feature.SetGeometry(&line);
                if (layer->CreateFeature(&feature) != OGRERR_NONE) return false;
            }
            return true;
        });
    }

    bool tin(const SiteDocument& d) {
        OGRLayer* layer = create(wkbPolygon25D);
        if (!layer || !field(layer, "elev_a", OFTReal) || !field(layer, "elev_b", OFTReal) ||
            !field(layer, "elev_c", OFTReal))
            return false;
        return inTransaction([&] {
            for (int t = 0; t < d.triangleCount; ++t) {
                const TinTriangle& tri = d.triangles[static_cast<std::size_t>(t)];
                if (!isValidTriangle(d, tri)) continue;
                OGRFeature feature(layer->GetLayerDefn());
                OGRLinearRing ring;
                for (int k = 0; k < 3; ++k) {
                    const SurveyPoint& p = pointAt(d, tri.vertex[k]);
                    feature.SetField(k, p.elevation);
                    ring.addPoint(p.easting, p.northing, p.elevation);
                }
                ring.closeRings();
                OGRPolygon polygon;
                polygon.addRing(&ring);
                feature.SetGeometry(&polygon);
                if (layer->CreateFeature(&feature) != OGRERR_NONE) return false;
            }
            return true;
        });
    }

    void setLayerName(const char* name) { layerName_ = name; }

private:
    OGRLayer* create(OGRwkbGeometryType type) {
        CreationOptions options;
        if (shapefile_) {
            options.set("ENCODING", "UTF-8");
        } else if (std::string(dataset_.GetDriverName()) == "GeoJSON") {
            // As RFC 7946 has it: WGS 84 longitudes and latitudes, which the
            // library projects the site's coordinates to, no "crs" member,
            // seven decimals (about a centimetre).
            options.set("RFC7946", "YES");
            options.set("COORDINATE_PRECISION", "7");
            options.set("WRITE_BBOX", "YES");
        }
        return dataset_.CreateLayer(layerName_, const_cast<OGRSpatialReference*>(reference_), type, options.list);
    }

    static bool field(OGRLayer* layer, const char* name, OGRFieldType type, int width = 0) {
        OGRFieldDefn definition(name, type);
        if (width > 0) definition.SetWidth(width);
        return layer->CreateField(&definition) == OGRERR_NONE;
    }

    // One transaction a layer: a GeoPackage otherwise commits every feature.
    template <typename Write>
    bool inTransaction(Write&& write) {
        const bool transaction = dataset_.StartTransaction() == OGRERR_NONE;
        const bool ok = write();
        if (transaction) return dataset_.CommitTransaction() == OGRERR_NONE && ok;
        return ok;
    }

    GDALDataset& dataset_;
    const OGRSpatialReference* reference_;
    bool shapefile_;
    const char* layerName_;
};

bool writeLayer(VectorWriter& writer, GisLayer layer, const SiteDocument& d, const std::vector<ExportPolyline>& contours) {
    writer.setLayerName(gisLayerName(layer));
    switch (layer) {
        case GisLayer::Points: return writer.points(d);
        case GisLayer::Contours: return writer.contours(contours);
        case GisLayer::Breaklines: return writer.breaklines(d);
        case GisLayer::Tin: return writer.tin(d);
    }
    return false;
}

}  // namespace

bool writeGisVectors(const std::string& memoryPath, const SiteDocument& d, const GisOptions& options,
                     const OGRSpatialReference* reference) {
    const char* driverName = options.format == GisFormat::GeoPackage ? "GPKG"
                             : options.format == GisFormat::GeoJson  ? "GeoJSON"
                                                                     : "ESRI Shapefile";
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName);
    if (!driver) return false;
    GisDataset dataset(driver->Create(memoryPath.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset) return false;
    const bool wantContours = options.format == GisFormat::GeoPackage ? options.parts.contours
                                                                      : options.layer == GisLayer::Contours;
    const std::vector<ExportPolyline> contours =
        wantContours ? traceContoursForExport(d) : std::vector<ExportPolyline>{};
    // A GeoPackage layer without a system would claim the undefined
    // geographic one: plane coordinates get the undefined Cartesian one.
    OGRSpatialReference undefinedPlane;
    if (!reference && options.format == GisFormat::GeoPackage) {
        undefinedPlane.SetLocalCS("Undefined cartesian SRS");
        reference = &undefinedPlane;
    }
    VectorWriter writer(*dataset, reference, options.format == GisFormat::Shapefile, "");
    if (options.format != GisFormat::GeoPackage) return writeLayer(writer, options.layer, d, contours);
    const ExportParts& parts = options.parts;
    return (!parts.points || writeLayer(writer, GisLayer::Points, d, contours)) &&
           (!parts.contours || writeLayer(writer, GisLayer::Contours, d, contours)) &&
           (!parts.breaklines || writeLayer(writer, GisLayer::Breaklines, d, contours)) &&
           (!parts.surface || writeLayer(writer, GisLayer::Tin, d, contours));
}

}  // namespace vellacor
