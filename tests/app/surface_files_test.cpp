#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/breaklines.h"
#include "app/document.h"
#include "app/dxf_import.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "app/surface_files.h"
#include "import/elevation_raster.h"
#include "import/hgt_file.h"
#include "surface/tin_geometry.h"
#include "support/fake_ui.h"
#include "support/same_points.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using testing::FakeUi;
using testing::TempDir;

std::string notFound(const std::string& name) { return "Unable to find any points in:\n\n" + name; }

struct SurfaceFiles : ::testing::Test {
    TempDir dir;
    SiteModel m;
    FakeUi ui;
};

TEST_F(SurfaceFiles, TileOfTheWrongSizeIsRefusedWithItsOwnMessageFirst) {
    EXPECT_EQ(openDocument(m, ui, dir.write("N00E000.HGT", std::string(1000, '\0'))), OpenResult::Failed);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0], kHgtSizeMessage);
    EXPECT_EQ(ui.messages[1], notFound("N00E000.HGT"));
    EXPECT_FALSE(m.document.documentLoaded);

    // The real one arc-second tile, unpacked.
    const std::string packed = testing::sharedData("hgt/S46W066.hgt.gz");
    if (packed.empty() || std::system(("gzip -dc '" + packed + "' > '" + dir.path("S46W066.hgt") + "'").c_str()) != 0)
        GTEST_SKIP() << "the shared real files or gzip are missing";
    ui.messages.clear();
    EXPECT_EQ(openDocument(m, ui, dir.path("S46W066.hgt")), OpenResult::Failed);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0], kHgtSizeMessage);
}

TEST_F(SurfaceFiles, RealTileLoadsAsADoneSurface) {
    const std::string path = testing::sharedData("hgt/N57E011.hgt");
    if (path.empty()) GTEST_SKIP() << "the shared real files are not beside the project";
    ASSERT_EQ(openDocument(m, ui, path), OpenResult::Loaded);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(m.document.pointFileFormat, PointFileFormat::Hgt);
    EXPECT_EQ(m.document.pointCount, 1442401);
    EXPECT_EQ(m.document.triangleCount, 180000);
    EXPECT_TRUE(m.document.triangulateStage.done);
    EXPECT_FALSE(m.document.pointsNeedTriangulation);
    EXPECT_EQ(m.document.minElevation, -6);  // sea and land
    EXPECT_EQ(m.document.maxElevation, 163);
}

TEST_F(SurfaceFiles, AnyExeIsTheAnimatedDemonstration) {
    ASSERT_EQ(openDocument(m, ui, dir.write("setup.EXE", "MZ whatever")), OpenResult::Loaded);
    EXPECT_EQ(m.document.pointFileFormat, PointFileFormat::Demo);
    EXPECT_EQ(m.document.pointCount, 2500);
    EXPECT_EQ(m.document.triangleCount, 4802);
    EXPECT_TRUE(m.document.triangulateStage.done);
    const double z = m.document.points[777].elevation;
    const Vec3 normal = normalOf(m.document.points, m.document.triangles[777]);
    m.renderer.redrawNeeded = false;
    stepDemoSurface(m);
    EXPECT_DOUBLE_EQ(m.cycle.demoPhase, -0.05);
    EXPECT_NE(m.document.points[777].elevation, z);
    EXPECT_NE(normalOf(m.document.points, m.document.triangles[777]).z, normal.z);
    EXPECT_TRUE(m.renderer.redrawNeeded);
    ASSERT_EQ(openDocument(m, ui, dir.path("missing.exe")), OpenResult::Loaded);  // not even read
}

TEST_F(SurfaceFiles, RawTriangleListHidesThePoints) {
    m.display.showPoints = true;
    ASSERT_EQ(openDocument(m, ui, dir.write("tin.raw", "0 0 1\n10 0 2\n0 10 3\n10 0 2\n10 10 4\n0 10 3\n")),
              OpenResult::Loaded);
    EXPECT_EQ(m.document.pointCount, 4);
    EXPECT_EQ(m.document.triangleCount, 2);
    EXPECT_FALSE(m.display.showPoints);
    EXPECT_TRUE(m.document.triangulateStage.done);
}

TEST_F(SurfaceFiles, LandXmlBreaklinesWaitForTheStagedInsertion) {
    const std::string xml = R"(<LandXML><Surfaces><Surface>
<SourceData><Breaklines><Breakline><PntList2D>0 0 10 10</PntList2D></Breakline></Breaklines></SourceData>
<Definition surfType="TIN"><Pnts><P id="1">0 0 5</P><P id="2">0 10 6</P><P id="3">10 10 7</P><P id="4">10 0 8</P></Pnts>
<Faces><F>1 2 3</F><F>1 3 4</F></Faces></Definition></Surface></Surfaces></LandXML>)";
    ASSERT_EQ(openDocument(m, ui, dir.write("site.xml", xml)), OpenResult::Loaded);
    EXPECT_EQ(m.document.triangleCount, 2);
    EXPECT_FALSE(m.document.pointsNeedTriangulation);
    ASSERT_EQ(m.document.breaklines.count(), 1);
    EXPECT_EQ(m.document.breaklines.pairs[0].a, 0);
    EXPECT_EQ(m.document.breaklines.pairs[0].b, 2);
    EXPECT_FALSE(m.document.breaklines.allInserted);
    EXPECT_EQ(m.document.breaklinesInserted, 0);
    insertBreaklinesStep(m);
    insertBreaklinesStep(m);
    EXPECT_TRUE(m.document.breaklines.allInserted);

    // CgPoints alone are triangulated later.
    ASSERT_EQ(openDocument(
                  m, ui, dir.write("pts.xml", "<CgPoints><CgPoint>1 2 3</CgPoint><CgPoint>4 5 6</CgPoint></CgPoints>")),
              OpenResult::Loaded);
    EXPECT_TRUE(m.document.pointsNeedTriangulation);
    EXPECT_TRUE(m.document.breaklines.empty());
}

TEST_F(SurfaceFiles, ClosingTagComplaintsAreShownThreeTimesARun) {
    std::string text = "<CgPoints>";
    for (int i = 0; i < 4; ++i) text += "<CgPoint>1 2 3<x/></CgPoint>";
    text += "</CgPoints>";
    // Each run (each site model) shows its own first three, over every file it opens.
    for (int run = 0; run < 2; ++run) {
        SiteModel fresh;
        FakeUi freshUi;
        ASSERT_EQ(openDocument(fresh, freshUi, dir.write("a.xml", text)), OpenResult::Loaded);
        ASSERT_EQ(openDocument(fresh, freshUi, dir.write("b.xml", text)), OpenResult::Loaded);
        ASSERT_EQ(freshUi.messages.size(), 3u) << "run " << run;
        EXPECT_EQ(freshUi.messages[0], "Error, expected \"</CgPoint>\" not found, instead found \"<x>\"");
        EXPECT_EQ(fresh.landXmlTagErrorsShown, 3);
    }
}

TEST_F(SurfaceFiles, OurLandXmlReadsBackToTheSameSite) {
    std::string survey;
    for (int i = 0; i < 60; ++i)
        survey += std::to_string(200 + i) + "," + std::to_string(5000 + (i % 8) * 7.25 + (i / 8) * 0.5) + "," +
                  std::to_string(6000 + (i / 8) * 6.5) + "," + std::to_string(100 + (i * 37 % 11) * 0.75) + ",D" +
                  std::to_string(i) + (i == 3 ? " <&> \"q\"" : "") + "\n";
    ASSERT_EQ(openDocument(m, ui, dir.write("site.txt", survey)), OpenResult::Loaded);
    m.display.showTriangles = true;
    runPipelineToCompletion(m, ui);
    ASSERT_GT(m.document.triangleCount, 50);
    const TinTriangle first = m.document.triangles[0];
    ASSERT_TRUE(addBreakline(m, first.vertex[0], first.vertex[1]));
    ASSERT_TRUE(addBreakline(m, first.vertex[1], first.vertex[2]));
    const std::string out = dir.path("back.xml");
    ASSERT_TRUE(saveAsTo(m, ui, out, ExportFormat::LandXml, ExportParts{true, false, true, true}));

    SiteModel back;
    FakeUi backUi;
    ASSERT_EQ(openDocument(back, backUi, out), OpenResult::Loaded);
    EXPECT_TRUE(backUi.messages.empty());
    ASSERT_EQ(back.document.pointCount, m.document.pointCount);
    std::vector<SurveyPoint> sent = m.document.points;
    setDescription(sent[3], "D3 <&> q");  // LandXML keeps no quotes in a point's name
    testing::expectSamePoints(back.document.points, sent, static_cast<std::size_t>(m.document.pointCount), 1e-6);
    ASSERT_EQ(back.document.triangleCount, m.document.triangleCount);
    for (int t = 0; t < m.document.triangleCount; ++t)
        for (int k = 0; k < 3; ++k)
            ASSERT_EQ(back.document.triangles[static_cast<std::size_t>(t)].vertex[k],
                      m.document.triangles[static_cast<std::size_t>(t)].vertex[k]);
    ASSERT_EQ(back.document.breaklines.count(), 2);
    EXPECT_EQ(back.document.breaklines.pairs[1].a, first.vertex[1]);
    EXPECT_EQ(back.document.breaklines.pairs[1].b, first.vertex[2]);
}

const char* kAsciiGrid =
    "ncols 4\nnrows 3\nxllcorner 1000\nyllcorner 2000\ncellsize 10\nNODATA_value -9999\n"
    "1 2 3 4\n5 -9999 7 8\n9 10 11 12\n";

TEST_F(SurfaceFiles, ElevationRasterIsKnownByItsContent) {
    ASSERT_EQ(openDocument(m, ui, dir.write("dem.asc", kAsciiGrid)), OpenResult::Loaded);
    EXPECT_EQ(ui.formatDialogsShown, 0);
    EXPECT_EQ(m.document.pointFileFormat, PointFileFormat::ElevationRaster);
    ASSERT_EQ(m.document.pointCount, 12);
    EXPECT_DOUBLE_EQ(m.document.points[0].easting, 1005);  // pixel centres, the north row first
    EXPECT_DOUBLE_EQ(m.document.points[0].northing, 2025);
    EXPECT_DOUBLE_EQ(m.document.points[11].elevation, 12);
    EXPECT_EQ(m.document.points[5].elevation, 99999999.0);  // no data
    EXPECT_EQ(m.document.triangleCount, 6);                 // of 12, those around the void are left out
    EXPECT_TRUE(m.document.triangulateStage.done);
    EXPECT_EQ(m.document.maxElevation, 12);

    // A point file with the same extension still asks.
    ASSERT_EQ(openDocument(m, ui, dir.write("pts.asc", "1,5000,6000,100,A\n2,5010,6000,101,B\n")), OpenResult::Loaded);
    EXPECT_EQ(ui.formatDialogsShown, 1);
    EXPECT_EQ(m.document.pointFileFormat, PointFileFormat::PNEZD);

    // Gridded XYZ text is asked about, and the answer may be the raster.
    std::string xyz;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            xyz += std::to_string(c) + " " + std::to_string(r) + " " + std::to_string(10 + r + c) + "\n";
    ui.formatAnswers.push_back("Elevation raster");
    ASSERT_EQ(openDocument(m, ui, dir.write("grid.dat", xyz)), OpenResult::Loaded);
    EXPECT_EQ(ui.formatDialogsShown, 2);
    EXPECT_EQ(m.document.pointCount, 9);
    EXPECT_EQ(m.document.triangleCount, 8);

    // A picture is not one: its first band holds palette indices.
    const std::string picture = testing::sharedData("bmp/pal8.bmp");
    if (!picture.empty()) {
        EXPECT_FALSE(isElevationRaster(picture));
    }
}

TEST_F(SurfaceFiles, LargeRastersAreThinnedToTheSameTriangleBudget) {
    std::string grid = "ncols 700\nnrows 700\nxllcorner 0\nyllcorner 0\ncellsize 1\n";
    for (int r = 0; r < 700; ++r) {
        for (int c = 0; c < 700; ++c) grid += (c % 10 == 0 ? "1 " : "2 ");
        grid += '\n';
    }
    ASSERT_EQ(openDocument(m, ui, dir.write("big.asc", grid)), OpenResult::Loaded);
    EXPECT_EQ(m.document.pointCount, 490000);
    EXPECT_EQ(m.document.triangleCount, 2 * 233 * 233);  // every third sample
}

std::string dxfEntities(const std::string& body) { return "0\nSECTION\n2\nENTITIES\n" + body + "0\nENDSEC\n0\nEOF\n"; }

std::string dxfFace(const double (&c)[4][3]) {
    std::string text = "0\n3DFACE\n8\nSURFACE\n";
    for (int k = 0; k < 4; ++k)
        for (int axis = 0; axis < 3; ++axis)
            text += std::to_string(10 * (axis + 1) + k) + "\n" + std::to_string(c[k][axis]) + "\n";
    return text;
}

TEST_F(SurfaceFiles, ADxfWithFacesOpensAsThatSurface) {
    // Two survey points, a four-sided face, a triangle (fourth corner = third)
    // sharing two corners with it, a face whose corners all meet in one
    // point, and a line drawn over them.
    const std::string drawing = dxfEntities(
        "0\nPOINT\n10\n0\n20\n0\n30\n5\n"
        "0\nPOINT\n10\n50\n20\n50\n30\n9\n" +
        dxfFace({{0, 0, 5.0004}, {10, 0, 6}, {10, 10, 7}, {0, 10, 8}}) +
        dxfFace({{10, 0, 6}, {20, 0, 6}, {10, 10, 7}, {10, 10, 7}}) +
        dxfFace({{1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}}) + "0\nLINE\n10\n0\n20\n0\n11\n20\n21\n0\n");
    ASSERT_EQ(openDocument(m, ui, dir.write("tin.dxf", drawing)), OpenResult::Loaded);
    ASSERT_EQ(ui.questions.size(), 1u);  // closed without Yes: no breaklines
    EXPECT_EQ(ui.questions[0], "Found 2 Survey Points.\n\n" + std::string(kUseCadLinesQuestion));
    const SiteDocument& d = m.document;
    ASSERT_EQ(d.pointCount, 7);  // 2 survey points + corners (10,0) (10,10) (0,10) (20,0) (1,1)
    EXPECT_EQ(descriptionOf(d.points[0]), "point");
    ASSERT_EQ(d.triangleCount, 3);
    const int expected[3][3] = {{0, 2, 3}, {0, 3, 4}, {2, 5, 3}};
    for (int t = 0; t < 3; ++t)
        for (int k = 0; k < 3; ++k) EXPECT_EQ(d.triangles[static_cast<std::size_t>(t)].vertex[k], expected[t][k]);
    EXPECT_EQ(d.points[5].number, 5);
    EXPECT_EQ(d.points[5].easting, 20);
    EXPECT_TRUE(d.triangulateStage.done);
    EXPECT_FALSE(d.pointsNeedTriangulation);
    EXPECT_TRUE(d.breaklines.empty());
    ASSERT_TRUE(m.overlays.dxfOverlay);
    EXPECT_EQ(m.overlays.dxfOverlay->lines.size(), 3u);  // the two points and the line
    runPipelineToCompletion(m, ui);
    EXPECT_EQ(m.document.triangleCount, 3);  // kept, not built again

    // Faces that all lie at elevation 0 are drafting: the drawing opens as before.
    ui.questionAnswers.push_back(Answer::No);
    const std::string plan = dxfEntities(dxfFace({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {10, 10, 0}}) +
                                         "0\nLINE\n10\n0\n20\n0\n30\n3\n11\n20\n21\n0\n31\n4\n");
    ASSERT_EQ(openDocument(m, ui, dir.write("plan.dxf", plan)), OpenResult::Loaded);
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(m.document.pointCount, 2);
    EXPECT_EQ(m.document.triangleCount, 0);
}

}  // namespace
}  // namespace vellacor
