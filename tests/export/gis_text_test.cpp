// GeoJSON as RFC 7946 has it, read back through the geospatial library and
// through Debian's Python as strict JSON, and the text of every GIS file in
// UTF-8 whatever the bytes a survey file gave its descriptions.
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>

#include "export/gis_export.h"
#include "export_site.h"
#include "run_tool.h"
#include "support/temp_files.h"
#include "surface/contour_export.h"

namespace vellacor {
namespace {

using namespace testing;

// A 4 x 4 grid of points 10 m apart in Wellington, in NZTM (EPSG:2193),
// two triangles a square, a breakline, contours every metre.
void makeWellingtonSite(SiteDocument& d) {
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            addPoint(d, 1 + row * 4 + column, 1748700.0 + 10 * column, 5427900.0 + 10 * row,
                     20.0 + 1.5 * column + 0.75 * row, row == 1 ? "kerb \x93" "old\x94 10\xB0 \x80" : "EP");
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            const int a = row * 4 + column;
            addTriangle(d, a, a + 1, a + 5);
            addTriangle(d, a, a + 5, a + 4);
        }
    d.breaklines.pairs = {{0, 5}};
    computeExtents(d);
    d.contours.contourInterval = 1.0;
    d.triangulateStage.done = true;
    d.coordinateSystem = "EPSG:2193";
}

// The bytes "kerb \x93old\x94 10\xB0 \x80" as Windows-1252 has them.
const std::string kKerbUtf8 = "kerb \xE2\x80\x9C" "old\xE2\x80\x9D 10\xC2\xB0 \xE2\x82\xAC";

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

GisWriteResult writeFiles(const TempDir& dir, const std::string& name, const SiteDocument& d, const GisOptions& options) {
    GisWriteResult made = makeGisFiles(dir.path(name), d, options);
    for (const GisFile& file : made.files) {
        std::ofstream out(file.path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data.get()), static_cast<std::streamsize>(file.size));
    }
    return made;
}

Dataset openVector(const std::string& path) {
    GDALAllRegister();
    return Dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
}

// Site coordinates to WGS 84 longitude and latitude, through the library.
struct ToDegrees {
    OGRSpatialReference from, to;
    std::unique_ptr<OGRCoordinateTransformation> transform;
    ToDegrees() {
        from.importFromEPSG(2193);
        to.importFromEPSG(4326);
        from.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        to.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        transform.reset(OGRCreateCoordinateTransformation(&from, &to));
    }
    std::pair<double, double> operator()(double easting, double northing) const {
        double x = easting, y = northing;
        EXPECT_TRUE(transform->Transform(1, &x, &y));
        return {x, y};
    }
};

// Every vertex of the layer's features, in order.
std::vector<Vec3> verticesOf(OGRLayer& layer) {
    std::vector<Vec3> out;
    layer.ResetReading();
    while (OGRFeature* raw = layer.GetNextFeature()) {
        const std::unique_ptr<OGRFeature> feature(raw);
        const OGRGeometry* g = feature->GetGeometryRef();
        if (!g) continue;
        const OGRwkbGeometryType type = wkbFlatten(g->getGeometryType());
        const OGRSimpleCurve* curve = type == wkbPolygon      ? g->toPolygon()->getExteriorRing()
                                      : type == wkbLineString ? static_cast<const OGRSimpleCurve*>(g->toLineString())
                                                              : nullptr;
        if (type == wkbPoint) out.push_back({g->toPoint()->getX(), g->toPoint()->getY(), g->toPoint()->getZ()});
        for (int i = 0; curve && i < curve->getNumPoints(); ++i) out.push_back({curve->getX(i), curve->getY(i), curve->getZ(i)});
    }
    return out;
}

// The site's vertices of one layer, in the order the writer gives them
// (a GeoJSON polygon's outer ring runs anticlockwise, as the TIN's do).
std::vector<Vec3> siteVertices(const SiteDocument& d, GisLayer layer) {
    std::vector<Vec3> out;
    switch (layer) {
        case GisLayer::Points:
            for (int i = 0; i < d.pointCount; ++i) out.push_back(positionOf(d.points[static_cast<std::size_t>(i)]));
            break;
        case GisLayer::Contours:
            for (const ExportPolyline& c : traceContoursForExport(d)) out.insert(out.end(), c.points.begin(), c.points.end());
            break;
        case GisLayer::Breaklines:
            for (const Breakline& b : d.breaklines.pairs) {
                out.push_back(positionOf(d.points[static_cast<std::size_t>(b.a)]));
                out.push_back(positionOf(d.points[static_cast<std::size_t>(b.b)]));
            }
            break;
        case GisLayer::Tin:
            for (int t = 0; t < d.triangleCount; ++t) {
                for (int k = 0; k <= 3; ++k)
                    out.push_back(positionOf(d.points[static_cast<std::size_t>(d.triangles[static_cast<std::size_t>(t)].vertex[k % 3])]));
            }
            break;
    }
    return out;
}

TEST(GeoJson, EveryLayerIsInWgs84LongitudesAndLatitudesWithSevenDecimals) {
    SiteDocument d;
    makeWellingtonSite(d);
    const ToDegrees toDegrees;
    for (const GisLayer layer : {GisLayer::Points, GisLayer::Contours, GisLayer::Breaklines, GisLayer::Tin}) {
        SCOPED_TRACE(gisLayerName(layer));
        TempDir dir;
        GisOptions options;
        options.format = GisFormat::GeoJson;
        options.layer = layer;
        const GisWriteResult made = writeFiles(dir, "site.geojson", d, options);
        ASSERT_TRUE(made.refusal.empty()) << made.refusal;
        ASSERT_EQ(made.files.size(), 1u);

        const std::string text = readFile(dir.path("site.geojson"));
        EXPECT_EQ(text.find("\"crs\""), std::string::npos);
        const ToolRun strict = runTool(kPython + " " VELLACOR_EXPORT_TESTS "/check_geojson.py '" + dir.path("site.geojson") + "'");
        EXPECT_EQ(strict.exitCode, 0) << strict.output;

        const Dataset dataset = openVector(dir.path("site.geojson"));
        ASSERT_NE(dataset, nullptr);
        OGRLayer& read = *dataset->GetLayer(0);
        ASSERT_NE(read.GetSpatialRef(), nullptr);
        // WGS 84, with heights (EPSG:4979) as every geometry here has them.
        const std::string code = read.GetSpatialRef()->GetAuthorityCode(nullptr);
        EXPECT_TRUE(code == "4979" || code == "4326") << code;
        const std::vector<Vec3> got = verticesOf(read), expected = siteVertices(d, layer);
        ASSERT_EQ(got.size(), expected.size());
        ASSERT_FALSE(got.empty());
        for (std::size_t i = 0; i < got.size(); ++i) {
            const auto [longitude, latitude] = toDegrees(expected[i].x, expected[i].y);
            EXPECT_NEAR(got[i].x, longitude, 0.6e-7) << i;  // seven decimals, rounded
            EXPECT_NEAR(got[i].y, latitude, 0.6e-7) << i;
            EXPECT_NEAR(got[i].z, expected[i].z, 0.6e-7) << i;
            // Wellington, whatever the library: 174.8 degrees east, 41.3 south.
            EXPECT_NEAR(got[i].x, 174.78, 0.02);
            EXPECT_NEAR(got[i].y, -41.29, 0.02);
        }
    }
}

TEST(GeoJson, ASiteWithoutAKnownSystemIsRefusedAndNothingMade) {
    SiteDocument d;
    makeWellingtonSite(d);
    GisOptions options;
    options.format = GisFormat::GeoJson;
    for (const char* system : {"", "not a coordinate system", "EPSG:1"}) {
        SCOPED_TRACE(system);
        d.coordinateSystem = system;
        TempDir dir;
        const GisWriteResult made = writeFiles(dir, "site.geojson", d, options);
        EXPECT_EQ(made.refusal, kGeoJsonNeedsCoordinateSystem);
        EXPECT_TRUE(made.files.empty());
    }
}

// A description typed in a Windows code page (curly quotes, a degree sign, a
// euro sign, each one byte) is UTF-8 in every GIS file, whose text is
// declared UTF-8; a shapefile's field is wide enough for the longest once
// turned, and UTF-8 descriptions stay as they are.
TEST(GisText, DescriptionsInAWindowsCodePageAreUtf8InEveryFormat) {
    SiteDocument d;
    makeWellingtonSite(d);
    const std::string euros(50, '\x80');  // 150 bytes once in UTF-8
    setDescription(d.points[0], euros.c_str());
    setDescription(d.points[1], "B\xC3\xA4ume");  // already UTF-8
    std::string eurosUtf8;
    for (int i = 0; i < 50; ++i) eurosUtf8 += "\xE2\x82\xAC";
    const struct {
        GisFormat format;
        const char* name;
        const char* field;
    } cases[] = {{GisFormat::GeoPackage, "site.gpkg", "description"},
                 {GisFormat::GeoJson, "site.geojson", "description"},
                 {GisFormat::Shapefile, "site.shp", "desc"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        GisOptions options;
        options.format = c.format;
        options.parts = {true, false, false, false};
        ASSERT_TRUE(writeFiles(dir, c.name, d, options).refusal.empty());
        const Dataset dataset = openVector(dir.path(c.name));
        ASSERT_NE(dataset, nullptr);
        OGRLayer& layer = *dataset->GetLayer(0);
        std::vector<std::string> descriptions;
        layer.ResetReading();
        while (OGRFeature* raw = layer.GetNextFeature()) {
            const std::unique_ptr<OGRFeature> feature(raw);
            descriptions.push_back(feature->GetFieldAsString(c.field));
        }
        ASSERT_EQ(descriptions.size(), 16u);
        EXPECT_EQ(descriptions[0], eurosUtf8);
        EXPECT_EQ(descriptions[1], "B\xC3\xA4ume");
        EXPECT_EQ(descriptions[4], kKerbUtf8);
        EXPECT_EQ(descriptions[15], "EP");
    }
}

}  // namespace
}  // namespace vellacor
