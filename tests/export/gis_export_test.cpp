// The GIS files read back through the geospatial library's own readers, as
// a GIS user's program reads them: layers, fields, geometry, coordinate
// system and extents against the site, and the DEM's cells against heights
// found here by a search of every triangle.
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <utility>

#include "export/gis_export.h"
#include "export_site.h"
#include "support/temp_files.h"
#include "surface/contour_export.h"
#include "surface/tin_geometry.h"

namespace vellacor {
namespace {

using namespace testing;

constexpr int kSide = 5;  // grid points 0..4 each way

int gridIndex(int column, int row) { return row * kSide + column; }

// Points on a whole-number grid (many of them at equal heights), two
// triangles a square, each square cut by its rising diagonal, with the
// squares (3, 3) and (0, 3) left out: a notch and a corner where the box of
// the surface holds no triangle. Breaklines along two edges.
void makeGridSite(SiteDocument& d, double blunder = 0.0) {
    for (int row = 0; row < kSide; ++row)
        for (int column = 0; column < kSide; ++column) {
            const double z = 100.0 + (column * row) % 3 + 0.5 * column;
            addPoint(d, 1000 + gridIndex(column, row), 5000.0 + column, 7000.0 + row, z,
                     (column + row) % 2 ? "Bäume \"alt\"" : "EP");
        }
    if (blunder != 0.0) d.points[static_cast<std::size_t>(gridIndex(2, 2))].elevation = blunder;
    d.points[1].number = 2147483647;  // the largest number a point file may give, ten digits
    for (int row = 0; row + 1 < kSide; ++row)
        for (int column = 0; column + 1 < kSide; ++column) {
            if ((column == 3 || column == 0) && row == 3) continue;
            const int a = gridIndex(column, row), b = gridIndex(column + 1, row);
            const int c = gridIndex(column + 1, row + 1), e = gridIndex(column, row + 1);
            addTriangle(d, a, b, c);
            addTriangle(d, a, c, e);
        }
    d.breaklines.pairs = {{gridIndex(0, 0), gridIndex(1, 1)}, {gridIndex(1, 1), gridIndex(2, 1)}};
    computeExtents(d);
    d.contours.contourInterval = 0.5;
    d.triangulateStage.done = true;
    d.coordinateSystem = "EPSG:2193";
}

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

// Writes what makeGisFiles made to the disk and opens the target with the library.
Dataset writeAndOpen(const TempDir& dir, const std::string& name, const SiteDocument& d, const GisOptions& options,
                     unsigned openFlags) {
    const GisWriteResult made = makeGisFiles(dir.path(name), d, options);
    EXPECT_TRUE(made.refusal.empty()) << made.refusal;
    EXPECT_FALSE(made.files.empty());
    for (const GisFile& file : made.files) {
        std::ofstream out(file.path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data.get()), static_cast<std::streamsize>(file.size));
    }
    GDALAllRegister();
    return Dataset(GDALDataset::Open(dir.path(name).c_str(), openFlags | GDAL_OF_READONLY));
}

void expectEpsg2193(const OGRSpatialReference* reference) {
    ASSERT_NE(reference, nullptr);
    OGRSpatialReference expected;
    ASSERT_EQ(expected.importFromEPSG(2193), OGRERR_NONE);
    const char* const ignoreAxisOrder[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES", nullptr};
    EXPECT_TRUE(reference->IsSame(&expected, ignoreAxisOrder));
}

void expectPoint(const OGRPoint& got, const SurveyPoint& p) {
    EXPECT_DOUBLE_EQ(got.getX(), p.easting);
    EXPECT_DOUBLE_EQ(got.getY(), p.northing);
    EXPECT_DOUBLE_EQ(got.getZ(), p.elevation);
}

void expectLayer(OGRLayer* layer, GisLayer which, const SiteDocument& d, bool shapefile) {
    ASSERT_NE(layer, nullptr);
    expectEpsg2193(layer->GetSpatialRef());
    OGREnvelope extent;
    ASSERT_EQ(layer->GetExtent(&extent, TRUE), OGRERR_NONE);
    layer->ResetReading();
    std::vector<std::unique_ptr<OGRFeature>> features;
    while (OGRFeature* f = layer->GetNextFeature()) features.emplace_back(f);
    EXPECT_EQ(layer->GetFeatureCount(TRUE), static_cast<GIntBig>(features.size()));
    switch (which) {
        case GisLayer::Points: {
            ASSERT_EQ(features.size(), static_cast<std::size_t>(d.pointCount));
            for (std::size_t i = 0; i < features.size(); ++i) {
                const SurveyPoint& p = d.points[i];
                const OGRFeature& f = *features[i];
                EXPECT_EQ(f.GetFieldAsInteger("number"), p.number);
                EXPECT_DOUBLE_EQ(f.GetFieldAsDouble("elevation"), p.elevation);
                EXPECT_EQ(std::string_view(f.GetFieldAsString(shapefile ? "desc" : "description")), descriptionOf(p));
                expectPoint(*f.GetGeometryRef()->toPoint(), p);
            }
            EXPECT_DOUBLE_EQ(extent.MinX, 5000.0);
            EXPECT_DOUBLE_EQ(extent.MaxX, 5004.0);
            EXPECT_DOUBLE_EQ(extent.MinY, 7000.0);
            EXPECT_DOUBLE_EQ(extent.MaxY, 7004.0);
            break;
        }
        case GisLayer::Contours: {
            const std::vector<ExportPolyline> contours = traceContoursForExport(d);
            ASSERT_GT(contours.size(), 3u);
            ASSERT_EQ(features.size(), contours.size());
            for (std::size_t i = 0; i < features.size(); ++i) {
                EXPECT_DOUBLE_EQ(features[i]->GetFieldAsDouble("elevation"), contours[i].level);
                EXPECT_STREQ(features[i]->GetFieldAsString("kind"), contours[i].major ? "major" : "minor");
                const OGRLineString& line = *features[i]->GetGeometryRef()->toLineString();
                ASSERT_EQ(line.getNumPoints(), static_cast<int>(contours[i].points.size()));
                for (int k = 0; k < line.getNumPoints(); ++k) {
                    EXPECT_DOUBLE_EQ(line.getX(k), contours[i].points[static_cast<std::size_t>(k)].x);
                    EXPECT_DOUBLE_EQ(line.getY(k), contours[i].points[static_cast<std::size_t>(k)].y);
                    EXPECT_DOUBLE_EQ(line.getZ(k), contours[i].level);
                }
            }
            break;
        }
        case GisLayer::Breaklines: {
            ASSERT_EQ(features.size(), d.breaklines.pairs.size());
            for (std::size_t i = 0; i < features.size(); ++i) {
                const SurveyPoint& a = d.points[static_cast<std::size_t>(d.breaklines.pairs[i].a)];
                const SurveyPoint& b = d.points[static_cast<std::size_t>(d.breaklines.pairs[i].b)];
                EXPECT_EQ(features[i]->GetFieldAsInteger("start_pt"), a.number);
                EXPECT_EQ(features[i]->GetFieldAsInteger("end_pt"), b.number);
                const OGRLineString& line = *features[i]->GetGeometryRef()->toLineString();
                ASSERT_EQ(line.getNumPoints(), 2);
                OGRPoint end;
                line.getPoint(0, &end);
                expectPoint(end, a);
                line.getPoint(1, &end);
                expectPoint(end, b);
            }
            break;
        }
        case GisLayer::Tin: {
            ASSERT_EQ(features.size(), static_cast<std::size_t>(d.triangleCount));
            for (std::size_t i = 0; i < features.size(); ++i) {
                const OGRLinearRing& ring = *features[i]->GetGeometryRef()->toPolygon()->getExteriorRing();
                ASSERT_EQ(ring.getNumPoints(), 4);
                const char* fields[] = {"elev_a", "elev_b", "elev_c"};
                // A shapefile turns outer rings clockwise: the corners are compared as a set.
                std::vector<std::array<double, 3>> corners, expected;
                for (int k = 0; k < 3; ++k) {
                    const SurveyPoint& p = d.points[static_cast<std::size_t>(d.triangles[i].vertex[k])];
                    EXPECT_DOUBLE_EQ(features[i]->GetFieldAsDouble(fields[k]), p.elevation);
                    expected.push_back({p.easting, p.northing, p.elevation});
                    corners.push_back({ring.getX(k), ring.getY(k), ring.getZ(k)});
                }
                std::sort(corners.begin(), corners.end());
                std::sort(expected.begin(), expected.end());
                EXPECT_EQ(corners, expected);
                EXPECT_TRUE(ring.get_IsClosed());
            }
            break;
        }
    }
}

TEST(GisFiles, AGeoPackageHoldsEveryLayerAsTheSiteHasIt) {
    TempDir dir;
    SiteDocument d;
    makeGridSite(d);
    GisOptions options;
    options.parts = {true, true, true, true};
    const Dataset dataset = writeAndOpen(dir, "site.gpkg", d, options, GDAL_OF_VECTOR);
    ASSERT_NE(dataset, nullptr);
    EXPECT_STREQ(dataset->GetDriverName(), "GPKG");
    ASSERT_EQ(dataset->GetLayerCount(), 4);
    for (const GisLayer layer : {GisLayer::Points, GisLayer::Contours, GisLayer::Breaklines, GisLayer::Tin}) {
        SCOPED_TRACE(gisLayerName(layer));
        expectLayer(dataset->GetLayerByName(gisLayerName(layer)), layer, d, false);
    }
}

// GeoJSON, in longitudes and latitudes, has tests of its own.
TEST(GisFiles, ShapefilesHoldTheOneLayerAsked) {
    SiteDocument d;
    makeGridSite(d);
    for (const GisLayer layer : {GisLayer::Points, GisLayer::Contours, GisLayer::Breaklines, GisLayer::Tin}) {
        SCOPED_TRACE(gisLayerName(layer));
        TempDir dir;
        GisOptions options;
        options.format = GisFormat::Shapefile;
        options.layer = layer;
        const Dataset dataset = writeAndOpen(dir, "site.shp", d, options, GDAL_OF_VECTOR);
        ASSERT_NE(dataset, nullptr);
        ASSERT_EQ(dataset->GetLayerCount(), 1);
        expectLayer(dataset->GetLayer(0), layer, d, true);
    }
}

// The surface's height at (x, y) found without the program's lookup: every
// triangle is tried, and the first that holds the position gives the height
// its corners weigh by their barycentric coordinates. NaN off the surface.
double heightBySearch(const SiteDocument& d, double x, double y) {
    for (int t = 0; t < d.triangleCount; ++t) {
        const auto& corner = d.triangles[static_cast<std::size_t>(t)].vertex;
        const SurveyPoint& a = d.points[static_cast<std::size_t>(corner[0])];
        const SurveyPoint& b = d.points[static_cast<std::size_t>(corner[1])];
        const SurveyPoint& c = d.points[static_cast<std::size_t>(corner[2])];
        const auto area = [](const SurveyPoint& p, const SurveyPoint& q, double px, double py) {
            return (q.easting - p.easting) * (py - p.northing) - (q.northing - p.northing) * (px - p.easting);
        };
        const double wa = area(b, c, x, y), wb = area(c, a, x, y), wc = area(a, b, x, y);
        if (wa < -1e-9 || wb < -1e-9 || wc < -1e-9) continue;
        return (wa * a.elevation + wb * b.elevation + wc * c.elevation) / (wa + wb + wc);
    }
    return std::nan("");
}

void expectDemCells(const SiteDocument& d, double cellSize, int columns, int rows, bool someOff = true) {
    TempDir dir;
    GisOptions options;
    options.format = GisFormat::GeoTiff;
    options.cellSize = cellSize;
    const Dataset dataset = writeAndOpen(dir, "dem.tif", d, options, GDAL_OF_RASTER);
    ASSERT_NE(dataset, nullptr);
    ASSERT_EQ(dataset->GetRasterXSize(), columns);
    ASSERT_EQ(dataset->GetRasterYSize(), rows);
    expectEpsg2193(dataset->GetSpatialRef());
    double transform[6];
    ASSERT_EQ(dataset->GetGeoTransform(transform), CE_None);
    EXPECT_DOUBLE_EQ(transform[0], 5000.0);
    EXPECT_DOUBLE_EQ(transform[1], cellSize);
    EXPECT_DOUBLE_EQ(transform[3], 7004.0);
    EXPECT_DOUBLE_EQ(transform[5], -cellSize);
    EXPECT_STREQ(dataset->GetMetadataItem("COMPRESSION", "IMAGE_STRUCTURE"), "DEFLATE");
    GDALRasterBand* band = dataset->GetRasterBand(1);
    int blockColumns = 0, blockRows = 0;
    band->GetBlockSize(&blockColumns, &blockRows);
    EXPECT_EQ(std::make_pair(blockColumns, blockRows), std::make_pair(256, 256));  // tiled, not stripped
    int hasNoData = 0;
    const double noData = band->GetNoDataValue(&hasNoData);
    ASSERT_TRUE(hasNoData);
    std::vector<double> cells(static_cast<std::size_t>(columns * rows));
    ASSERT_EQ(band->RasterIO(GF_Read, 0, 0, columns, rows, cells.data(), columns, rows, GDT_Float64, 0, 0, nullptr),
              CE_None);
    int off = 0;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const double x = 5000.0 + (c + 0.5) * cellSize, y = 7004.0 - (r + 0.5) * cellSize;
            const double expected = heightBySearch(d, x, y);
            const double got = cells[static_cast<std::size_t>(r * columns + c)];
            if (std::isnan(expected)) {
                ++off;
                EXPECT_EQ(got, noData) << "cell " << c << "," << r;
            } else {
                EXPECT_NEAR(got, expected, 1e-6) << "cell " << c << "," << r;
            }
        }
    EXPECT_EQ(off > 0, someOff);  // the notch and the corner
}

TEST(GisFiles, TheDemHoldsTheSurfaceHeightAtEachCellCentre) {
    // Centres on the diagonals (cell 1), on the grid points (cell 2), inside
    // the triangles and on their square sides (cell 0.5).
    for (const double blunder : {0.0, 1500.0}) {
        SCOPED_TRACE(blunder);
        SiteDocument d;
        makeGridSite(d, blunder);
        expectDemCells(d, 1.0, 4, 4);
        expectDemCells(d, 2.0, 2, 2, false);  // every centre a corner of some triangle
        expectDemCells(d, 0.5, 8, 8);
        expectDemCells(d, 0.3, 14, 14);
    }
}

// The refusals of a DEM (a cell too fine, no surface) are checked end to end
// by the command line's and the window's tests.
TEST(GisFiles, ASiteWithoutACoordinateSystemWritesNoneAndADemItsDefaultCell) {
    SiteDocument d;
    makeGridSite(d);
    d.coordinateSystem.clear();
    TempDir dir;
    GisOptions options;
    options.parts = {true, false, false, false};
    const Dataset vectors = writeAndOpen(dir, "site.gpkg", d, options, GDAL_OF_VECTOR);
    ASSERT_NE(vectors, nullptr);
    EXPECT_EQ(vectors->GetLayerCount(), 1);
    // A GeoPackage names its undefined plane system rather than none, never
    // the undefined geographic one, which would claim degrees.
    const OGRSpatialReference* undefined = vectors->GetLayer(0)->GetSpatialRef();
    EXPECT_TRUE(!undefined || !undefined->IsGeographic()) << undefined->GetName();
    options.format = GisFormat::Shapefile;
    const Dataset shapefile = writeAndOpen(dir, "site.shp", d, options, GDAL_OF_VECTOR);
    ASSERT_NE(shapefile, nullptr);
    EXPECT_EQ(shapefile->GetLayer(0)->GetSpatialRef(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(dir.path("site.prj")));
    // A DEM without a cell size asked spreads the longer side (4 m here) over 1000 cells.
    options.format = GisFormat::GeoTiff;
    const Dataset raster = writeAndOpen(dir, "dem.tif", d, options, GDAL_OF_RASTER);
    ASSERT_NE(raster, nullptr);
    EXPECT_EQ(raster->GetSpatialRef(), nullptr);
    EXPECT_EQ(raster->GetRasterXSize(), 1000);
    EXPECT_EQ(raster->GetRasterYSize(), 1000);
}

}  // namespace
}  // namespace vellacor
