// convert's GIS files and coordinate systems, driven as a user runs the tool.
#include <gdal_priv.h>
#include <ogrsf_frmts.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "export/gis_export.h"
#include "export/run_tool.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using namespace testing;

const std::string kCli = VELLACOR_CLI;
const std::string kSite = VELLACOR_SAMPLES "/sample-site.txt";
const char* kSurvey = "1,6000,5000,100,A\r\n2,6000,5010,101,B\r\n3,6010,5000,102,C\r\n4,6010,5010,103,D\r\n";
// NZGD2000 / New Zealand Transverse Mercator 2000 as a GIS program writes it beside a shapefile.
const char* kNztmPrj =
    "PROJCS[\"NZGD_2000_New_Zealand_Transverse_Mercator\",GEOGCS[\"GCS_NZGD_2000\",DATUM[\"D_NZGD_2000\","
    "SPHEROID[\"GRS_1980\",6378137.0,298.257222101]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]],"
    "PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"False_Easting\",1600000.0],PARAMETER[\"False_Northing\","
    "10000000.0],PARAMETER[\"Central_Meridian\",173.0],PARAMETER[\"Scale_Factor\",0.9996],"
    "PARAMETER[\"Latitude_Of_Origin\",0.0],UNIT[\"Meter\",1.0]]\n";

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

Dataset openVector(const std::string& path) {
    GDALAllRegister();
    return Dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
}

TEST(CliGis, TheOutputNameChoosesTheFormatAndEveryFileCarriesTheSystem) {
    TempDir dir;
    const std::string points = lineOf(runTool(kCli + " info " + kSite).output, "points: ").substr(8);
    const auto convert = [&](const std::string& args) { return runTool(kCli + " convert " + kSite + " " + args); };

    const ToolRun gpkg = convert("--crs EPSG:2193 --points --contours --surface --to " + dir.path("site.gpkg"));
    ASSERT_EQ(gpkg.exitCode, 0) << gpkg.output;
    EXPECT_EQ(gpkg.output, "Saved File:\n\n" + dir.path("site.gpkg") + "\n");
    const Dataset site = openVector(dir.path("site.gpkg"));
    ASSERT_NE(site, nullptr);
    // The layers asked for; what each holds is the GIS writer's tests' to check.
    ASSERT_EQ(site->GetLayerCount(), 3);  // points, contours and the TIN
    EXPECT_EQ(std::to_string(site->GetLayerByName("points")->GetFeatureCount()), points);
    ASSERT_NE(site->GetLayerByName("points")->GetSpatialRef(), nullptr);
    EXPECT_STREQ(site->GetLayerByName("points")->GetSpatialRef()->GetAuthorityCode(nullptr), "2193");

    // One layer a shapefile, points unless --layer says otherwise.
    ASSERT_EQ(convert("--crs EPSG:2193 --to " + dir.path("p.shp")).exitCode, 0);
    const Dataset shp = openVector(dir.path("p.shp"));
    ASSERT_NE(shp, nullptr);
    EXPECT_EQ(std::to_string(shp->GetLayer(0)->GetFeatureCount()), points);
    EXPECT_TRUE(std::filesystem::exists(dir.path("p.prj")));
    // GeoJSON in longitudes and latitudes, so only with a system to find them from.
    const ToolRun refused = convert("--layer tin --to " + dir.path("t.geojson"));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.output, std::string(kGeoJsonNeedsCoordinateSystem) + "\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path("t.geojson")));
    ASSERT_EQ(convert("--crs EPSG:2193 --layer tin --to " + dir.path("t.geojson")).exitCode, 0);
    const Dataset json = openVector(dir.path("t.geojson"));
    ASSERT_NE(json, nullptr);
    EXPECT_EQ(wkbFlatten(json->GetLayer(0)->GetGeomType()), wkbPolygon);

    // The DEM's system read back, and from it into LandXML by its code.
    ASSERT_EQ(convert("--crs EPSG:2193 --cell 1 --to " + dir.path("dem.tif")).exitCode, 0);
    EXPECT_EQ(lineOf(runTool(kCli + " info " + dir.path("dem.tif")).output, "crs: "), "crs: EPSG:2193");
    ASSERT_EQ(runTool(kCli + " convert " + dir.path("dem.tif") + " --to " + dir.path("dem.xml") + " --points").exitCode, 0);
    EXPECT_NE(readFile(dir.path("dem.xml")).find("<CoordinateSystem epsgCode=\"2193\"/>"), std::string::npos);
}

TEST(CliGis, TheSystemComesFromTheFileAndGoesBackIntoLandXml) {
    TempDir dir;
    const auto crsOf = [](const std::string& path) { return lineOf(runTool(kCli + " info " + path).output, "crs: "); };
    const std::string nztm = "crs: NZGD2000 / New Zealand Transverse Mercator 2000";
    const std::string survey = dir.write("site.txt", kSurvey);
    EXPECT_EQ(crsOf(survey), "");  // without a system the old lines stay as they were
    dir.write("site.prj", kNztmPrj);
    EXPECT_EQ(crsOf(survey), nztm);

    ASSERT_EQ(runTool(kCli + " convert " + survey + " --crs epsg:2193 --to " + dir.path("out.xml")).exitCode, 0);
    const std::string xml = readFile(dir.path("out.xml"));
    EXPECT_NE(xml.find("\t</Units>\n\t<CoordinateSystem epsgCode=\"2193\"/>\n\t<CgPoints>"), std::string::npos) << xml;
    EXPECT_EQ(crsOf(dir.path("out.xml")), "crs: EPSG:2193");

    // A system given as WKT goes back as WKT, its quotes as entities.
    ASSERT_EQ(runTool(kCli + " convert " + survey + " --to " + dir.path("wkt.xml")).exitCode, 0);
    EXPECT_NE(readFile(dir.path("wkt.xml")).find("<CoordinateSystem ogcWktCode=\"PROJCS[&quot;NZGD_2000_New_Zealand"),
              std::string::npos);
    EXPECT_EQ(checkXml(dir.path("wkt.xml")).exitCode, 0);
    EXPECT_EQ(crsOf(dir.path("wkt.xml")), nztm);

    const std::string shared = sharedData("landxml/L15_500_Surface.xml");
    if (!shared.empty()) {
        EXPECT_EQ(crsOf(shared), "crs: Russia-MSK52-Zona2");
    }
}

TEST(CliGis, OptionsThatDoNotSuitTheOutputAreRefused) {
    TempDir dir;
    const std::string survey = dir.write("site.txt", kSurvey);
    for (const std::string args : {"a.gpkg --layer points", "a.shp --layer roads", "a.shp --points", "a.shp --cell 2",
                                   "a.dat --as shp", "a.tif --cell 0", "a.tif --crs 2193"})
        EXPECT_EQ(runTool(kCli + " convert " + survey + " --to " + dir.path(args)).exitCode, 2) << args;
    const ToolRun unknown = runTool(kCli + " convert " + survey + " --to " + dir.path("a.tif") + " --crs EPSG:1");
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.output, "Unknown coordinate system:\n\nEPSG:1\n");
    const ToolRun fine = runTool(kCli + " convert " + survey + " --to " + dir.path("a.tif") + " --cell 0.0001");
    EXPECT_EQ(fine.exitCode, 1);
    EXPECT_NE(fine.output.find("The cell size is too small for this site"), std::string::npos) << fine.output;
    EXPECT_FALSE(std::filesystem::exists(dir.path("a.tif")));
}

}  // namespace
}  // namespace vellacor
