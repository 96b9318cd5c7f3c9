// Sites in longitudes and latitudes: projected as they open to the UTM zone of
// their centre, whatever file brought the system, or left as they are, with
// the reason, when their points are not degrees.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/document.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "support/fake_ui.h"
#include "support/las_bytes.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using testing::FakeUi;
using testing::TempDir;

// Ten by ten ground points 0.0001 degrees apart (about 7 m by 11 m at 52
// degrees north) from (lon, lat), on a gentle slope.
std::string degreeCloud(double lon, double lat, const std::vector<testing::LasTestVlr>& vlrs) {
    testing::LasTestFile f;
    f.scale = {1e-7, 1e-7, 0.001};
    f.offset = {lon, lat, 0.0};
    f.vlrs = vlrs;
    for (int i = 0; i < 10; ++i)
        for (int j = 0; j < 10; ++j) f.points.push_back({1000 * i, 1000 * j, 100000 + 250 * i + 40 * j * j, 2});
    return testing::lasBytes(f);
}

std::string projectedMessage(const std::string& from, const std::string& name, const std::string& to) {
    return "The site's coordinate system, " + from + ", is one of longitudes and latitudes: its points are projected to " +
           name + " (" + to + "), their elevations as they were.";
}

TEST(GeographicSite, ALasCloudInDegreesIsProjectedToTheUtmZoneOfItsCentreAndTriangulates) {
    TempDir dir;
    SiteModel model;
    FakeUi ui;
    const std::string north = dir.write("north.las", degreeCloud(15.0, 52.0, {testing::lasEpsgRecord(4326, true)}));
    ASSERT_EQ(openDocument(model, ui, north), OpenResult::Loaded);
    EXPECT_EQ(ui.messages,
              std::vector<std::string>{projectedMessage("EPSG:4326", "WGS 84 / UTM zone 33N", "EPSG:32633")});
    EXPECT_EQ(model.document.coordinateSystem, "EPSG:32633");
    ASSERT_EQ(model.document.pointCount, 100);
    const SurveyPoint& corner = model.document.points[0];
    EXPECT_NEAR(corner.easting, 500000.0, 1e-3);  // 15 E is the zone's central meridian
    EXPECT_NEAR(corner.northing, 5761038.2126, 1e-3);
    EXPECT_EQ(corner.elevation, 100.0);
    EXPECT_NEAR(model.document.points[99].easting - corner.easting, 61.8, 0.5);  // 0.0009 degrees of longitude
    EXPECT_NEAR(model.document.siteCentre.y, 5761088.3, 1.0);
    buildSurfaceToCompletion(model, ui);
    // In degrees every point was one to the surface; now each is a corner (at
    // least the 162 triangles of a square grid, more as the zone's grid bends it).
    EXPECT_GE(model.document.triangleCount, 162);

    // South and west of Greenwich: zone 19 south, the 327zz codes.
    ui.messages.clear();
    ASSERT_EQ(openDocument(model, ui, dir.write("south.las", degreeCloud(-70.65, -33.45, {testing::lasEpsgRecord(4326, true)}))),
              OpenResult::Loaded);
    EXPECT_EQ(model.document.coordinateSystem, "EPSG:32719");
    EXPECT_EQ(ui.messages, std::vector<std::string>{projectedMessage("EPSG:4326", "WGS 84 / UTM zone 19S", "EPSG:32719")});
    EXPECT_GT(model.document.points[0].northing, 6000000.0);
}

TEST(GeographicSite, APrjALandXmlSystemOrAGivenSystemInDegreesProjectsPointsAndBoundariesAlike) {
    TempDir dir;
    FakeUi ui;
    // Point text with a .prj of WGS 84 in the Esri dialect.
    std::string text;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j)
            text += std::to_string(1 + 5 * i + j) + "," + std::to_string(52.0 + 0.0002 * j) + "," +
                    std::to_string(15.0 + 0.0002 * i) + ",100,G\n";
    const std::string points = dir.write("site.txt", text);
    dir.write("site.prj", "GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\",SPHEROID[\"WGS_1984\",6378137.0,298.257223563]],"
                          "PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]");
    SiteModel fromPrj;
    ASSERT_EQ(openDocument(fromPrj, ui, points, std::string("PNEZD")), OpenResult::Loaded);
    EXPECT_EQ(fromPrj.document.coordinateSystem, "EPSG:32633");
    EXPECT_NEAR(fromPrj.document.points[0].easting, 500000.0, 1e-3);
    buildSurfaceToCompletion(fromPrj, ui);
    EXPECT_GE(fromPrj.document.triangleCount, 32);

    // The same points named in degrees by --crs, with no .prj to say so.
    std::filesystem::remove(dir.path("site.prj"));
    SiteModel given;
    ASSERT_EQ(openDocument(given, ui, points, std::string("PNEZD"), "EPSG:4326"), OpenResult::Loaded);
    EXPECT_EQ(given.document.coordinateSystem, "EPSG:32633");
    EXPECT_EQ(given.document.points[7].easting, fromPrj.document.points[7].easting);
    SiteModel plain;
    ASSERT_EQ(openDocument(plain, ui, points, std::string("PNEZD")), OpenResult::Loaded);
    EXPECT_EQ(plain.document.points[0].easting, 15.0);  // no system: nothing to project from

    // A LandXML site keeps its boundary on its points.
    const std::string xml = dir.write(
        "site.xml",
        "<LandXML><CoordinateSystem epsgCode=\"4326\"/><CgPoints><CgPoint name=\"1\">52.0 15.0 100</CgPoint>"
        "<CgPoint name=\"2\">52.0 15.001 101</CgPoint><CgPoint name=\"3\">52.001 15.001 102</CgPoint>"
        "<CgPoint name=\"4\">52.001 15.0 103</CgPoint></CgPoints><Surfaces><Surface><SourceData><Boundaries>"
        "<Boundary bndType=\"outer\" edgeTrim=\"false\"><PntList2D>52.0 15.0 52.0 15.001 52.001 15.001</PntList2D>"
        "</Boundary></Boundaries></SourceData></Surface></Surfaces></LandXML>");
    SiteModel landXml;
    ASSERT_EQ(openDocument(landXml, ui, xml), OpenResult::Loaded);
    EXPECT_EQ(landXml.document.coordinateSystem, "EPSG:32633");
    ASSERT_EQ(landXml.document.boundaries.polygons.size(), 1u);
    const std::vector<Vec3>& corners = landXml.document.boundaries.polygons[0].corners;
    ASSERT_EQ(corners.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(corners[k].x, landXml.document.points[k].easting);
        EXPECT_EQ(corners[k].y, landXml.document.points[k].northing);
    }
}

TEST(GeographicSite, PointsThatAreNotDegreesAndProjectedSystemsStayAsTheyAre) {
    TempDir dir;
    FakeUi ui;
    const std::string metres = dir.write("site.txt", "1,4000000,500000,10,A\n2,4000010,500000,11,A\n3,4000000,500010,12,A\n");
    SiteModel model;
    ASSERT_EQ(openDocument(model, ui, metres, std::string("PNEZD"), "EPSG:4326"), OpenResult::Loaded);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"The site's coordinate system, EPSG:4326, is one of longitudes and "
                                                    "latitudes, but its points are not all in range: they are left as "
                                                    "they are."});
    EXPECT_EQ(model.document.coordinateSystem, "EPSG:4326");
    EXPECT_EQ(model.document.points[0].easting, 500000.0);

    ui.messages.clear();
    ASSERT_EQ(openDocument(model, ui, metres, std::string("PNEZD"), "EPSG:2193"), OpenResult::Loaded);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(model.document.coordinateSystem, "EPSG:2193");
    EXPECT_EQ(model.document.points[2].easting, 500010.0);

    ASSERT_EQ(openDocument(model, ui, metres, std::string("PNEZD"), "EPSG:1"), OpenResult::Failed);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Unknown coordinate system:\n\nEPSG:1"});
    EXPECT_EQ(model.document.pointCount, 0);
    EXPECT_FALSE(model.document.documentLoaded);
}

}  // namespace
}  // namespace vellacor
