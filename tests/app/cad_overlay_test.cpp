#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>

#include "app/breaklines.h"
#include "app/cad_overlays.h"
#include "app/document.h"
#include "app/dxf_import.h"
#include "app/navigation.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "app/site_edits.h"
#include "import/dxf_reader.h"
#include "render/cad_overlay_draw.h"
#include "support/fake_ui.h"
#include "support/same_points.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using testing::FakeUi;
using testing::TempDir;

// A sloping plane, z = 100 + 0.1 x, sampled on a 5 x 5 grid 10 apart: numbers 1..25.
std::string planeSite() {
    std::string text;
    for (int i = 0; i < 25; ++i) {
        const int x = (i % 5) * 10, y = (i / 5) * 10;
        text += std::to_string(i + 1) + "," + std::to_string(y) + "," + std::to_string(x) + "," +
                std::to_string(100 + 0.1 * x) + ",G\n";
    }
    return text;
}

std::string entities(const std::string& body) { return "0\nSECTION\n2\nENTITIES\n" + body + "0\nENDSEC\n0\nEOF\n"; }

struct CadSite : ::testing::Test {
    TempDir dir;
    SiteModel m;
    FakeUi ui;

    void openPlane() {
        ASSERT_EQ(openDocument(m, ui, dir.write("plane.txt", planeSite()), std::string("PNEZD")), OpenResult::Loaded);
        runPipelineToCompletion(m, ui);
        ASSERT_TRUE(m.document.contourStage.done);
    }
};
using DxfDocumentSite = CadSite;
using CadOverlaySite = CadSite;

TEST(DxfDocument, PointsAndTheBreaklineQuestion) {
    const std::string leica = testing::sharedData("dxf/Leica_Disto_S910.dxf");
    if (leica.empty()) GTEST_SKIP() << "no shared data folder beside the project";
    for (const Answer answer : {Answer::Yes, Answer::No}) {
        SiteModel m;
        FakeUi ui;
        ui.questionAnswers.push_back(answer);
        ASSERT_EQ(openDocument(m, ui, leica), OpenResult::Loaded);
        ASSERT_EQ(ui.questions.size(), 1u);
        EXPECT_EQ(ui.questions[0], "Found 11 Survey Points.\n\nUse CAD lines as Breaklines?");
        EXPECT_EQ(m.document.pointCount, 11);
        EXPECT_EQ(m.overlays.dxfOverlay->lines.size(), 21u);
        EXPECT_TRUE(m.display.showDxfOverlay);
        EXPECT_EQ(m.document.breaklines.count(), answer == Answer::Yes ? 9 : 0);
        runPipelineToCompletion(m, ui);
        EXPECT_TRUE(m.document.breaklines.ready());
        EXPECT_TRUE(m.document.dxfOverlayStage.done);
        EXPECT_EQ(m.overlays.dxfOverlay->draped.size(), 21u);
        EXPECT_TRUE(ui.messages.empty());
    }
}

TEST(DxfDocument, RealLineWorkBecomesBreaklines) {
    struct Expect {
        const char* file;
        int points, breaklines;
    };
    for (const Expect& e : {Expect{"POLI-ALL210_12.DXF", 534, 503}, Expect{"cc_dxflib.dxf", 5, 4}}) {
        const std::string path = testing::sharedData(std::string("dxf/") + e.file);
        if (path.empty()) GTEST_SKIP() << "no shared data folder beside the project";
        SiteModel m;
        FakeUi ui;
        ui.questionAnswers.push_back(Answer::Yes);
        ASSERT_EQ(openDocument(m, ui, path), OpenResult::Loaded) << e.file;
        EXPECT_EQ(m.document.pointCount, e.points) << e.file;
        EXPECT_EQ(m.document.breaklines.count(), e.breaklines) << e.file;
        EXPECT_FALSE(m.document.breaklines.ready());
    }
}

TEST_F(DxfDocumentSite, ContoursBecomePointsAndEmptyDrawingsFail) {
    const std::string contours = entities(
        "0\nPOLYLINE\n70\n8\n0\nVERTEX\n10\n0\n20\n0\n30\n5\n0\nVERTEX\n10\n10\n20\n0\n30\n5\n0\nSEQEND\n"
        "0\nPOLYLINE\n70\n8\n0\nVERTEX\n10\n0\n20\n10\n30\n6\n0\nVERTEX\n10\n10\n20\n12\n30\n6\n0\nSEQEND\n"
        "0\nTEXT\n10\n0\n20\n0\n1\nnot a point\n");
    ASSERT_EQ(openDocument(m, ui, dir.write("c.dxf", contours)), OpenResult::Loaded);
    EXPECT_EQ(ui.questions.at(0), kUseCadLinesQuestion);  // no count: the points are made, not found
    ASSERT_EQ(m.document.pointCount, 4);
    EXPECT_EQ(m.document.points[0].number, 0);
    EXPECT_EQ(m.document.points[3].number, 3);
    EXPECT_EQ(descriptionOf(m.document.points[2]), "contour");
    EXPECT_EQ(m.document.points[3].northing, 12);
    EXPECT_EQ(m.document.maxElevation, 6);

    ASSERT_EQ(openDocument(m, ui, dir.write("t.dxf", entities("0\nTEXT\n10\n0\n20\n0\n1\nx\n"))), OpenResult::Failed);
    ASSERT_GE(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0], kNoUsableDxfDataMessage);
    EXPECT_EQ(ui.messages[1], "Unable to find any points in:\n\nt.dxf");
}

TEST_F(DxfDocumentSite, OurOwnDrawingReadsBackToTheSamePointsAndBreaklines) {
    openPlane();
    setDescription(m.document.points[6], "TOP CURB");
    for (const auto& [a, b] : {std::pair{0, 6}, std::pair{6, 12}, std::pair{12, 18}, std::pair{3, 9}})
        ASSERT_TRUE(addBreakline(m, a, b));
    const std::string path = dir.path("site.dxf");
    ASSERT_TRUE(saveAsTo(m, ui, path, ExportFormat::Dxf, ExportParts{true, false, true, true}));  // contours would bring breaklines of their own

    SiteModel back;
    FakeUi backUi;
    backUi.questionAnswers.push_back(Answer::Yes);
    ASSERT_EQ(openDocument(back, backUi, path), OpenResult::Loaded);
    ASSERT_EQ(back.document.pointCount, m.document.pointCount);
    testing::expectSamePoints(back.document.points, m.document.points, static_cast<std::size_t>(m.document.pointCount), 1e-6);
    ASSERT_EQ(back.document.breaklines.count(), 4);
    for (int i = 0; i < 4; ++i) {
        const Breakline& k = back.document.breaklines.pairs[static_cast<std::size_t>(i)];
        const Breakline& o = m.document.breaklines.pairs[static_cast<std::size_t>(i)];
        EXPECT_EQ(std::minmax(k.a, k.b), std::minmax(o.a, o.b));
    }
}

TEST_F(CadOverlaySite, DxfOverlayIsDrapedOnTheSurface) {
    openPlane();
    const std::string drawing = entities("0\nLINE\n10\n-10\n20\n5\n11\n35\n21\n17\n0\nPOINT\n10\n80\n20\n80\n30\n0\n");
    ASSERT_EQ(importCadOverlay(m, ui, dir.write("o.dxf", drawing)), 2u);
    EXPECT_EQ(m.document.pointCount, 25);  // an overlay leaves the points alone
    runPipelineToCompletion(m, ui);
    ASSERT_TRUE(m.document.dxfOverlayStage.done);
    const std::vector<CadLine>& draped = m.overlays.dxfOverlay->draped;
    ASSERT_EQ(draped.size(), 2u);
    ASSERT_GT(draped[0].vertices.size(), 3u);
    EXPECT_EQ(draped[0].vertices.front().x, 0.0);  // starts where the line enters the surface
    for (const Vec3& v : draped[0].vertices) EXPECT_NEAR(v.z, 100 + 0.1 * v.x, 1e-9);
    EXPECT_TRUE(draped[1].vertices.empty());  // off the surface

    // Breaklines forced in make new links: the drape is made again for them.
    ASSERT_TRUE(addBreakline(m, 1, 7));
    m.document.breaklines.allInserted = false;
    m.document.breaklinesInserted = 0;
    runPipelineToCompletion(m, ui);
    EXPECT_TRUE(m.document.dxfOverlayStage.done);
}

TEST_F(CadOverlaySite, ADxfOverlayReplacedWhileItIsDrapedIsDrapedAnew) {
    openPlane();
    ASSERT_EQ(importCadOverlay(m, ui, dir.write("old.dxf", entities("0\nLINE\n10\n1\n20\n5\n11\n39\n21\n5\n"))), 1u);
    for (int frame = 0; frame < 50 && !m.work.dxfDraping.active(); ++frame) runPipeline(m, ui);
    ASSERT_TRUE(m.work.dxfDraping.active());
    m.work.dxfDraping.wait();  // the old drawing's drape is finished but not yet taken
    ASSERT_EQ(importCadOverlay(m, ui, dir.write("new.dxf", entities("0\nLINE\n10\n1\n20\n25\n11\n39\n21\n25\n"))), 1u);
    runPipelineToCompletion(m, ui);
    ASSERT_TRUE(m.document.dxfOverlayStage.done);
    ASSERT_EQ(m.overlays.dxfOverlay->draped.size(), 1u);
    const std::vector<Vec3>& line = m.overlays.dxfOverlay->draped[0].vertices;
    ASSERT_GE(line.size(), 2u);
    for (const Vec3& v : line) EXPECT_EQ(v.y, 25.0);
}

TEST_F(CadOverlaySite, DwfDrawingIsAlignedByTwoSurveyPoints) {
    openPlane();
    ASSERT_EQ(importCadOverlay(m, ui, dir.write("d.dxf", entities("0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n"))), 1u);
    ASSERT_EQ(importCadOverlay(m, ui, dir.write("plan.DWF", "(DWF V00.30)L 0,0 1000,0 L 0,0 0,500")), 2u);
    EXPECT_FALSE(m.overlays.dxfOverlay);  // one drawing at a time
    EXPECT_TRUE(dwfAwaitsAlignment(m));

    // The mouse pans the flat drawing and the double-click asks for the point.
    const FlatOverlayView before = m.overlays.dwfOverlay->view;
    m.input.leftButtonDown = true;
    moveMouse(m, {100, 100});
    moveMouse(m, {110, 100});
    m.input.leftButtonDown = false;
    EXPECT_NEAR(m.overlays.dwfOverlay->view.offsetX, before.offsetX - 10 * before.scale, 1e-9);
    turnWheel(m, 120);  // a notch forward zooms in
    EXPECT_LT(m.overlays.dwfOverlay->view.scale, before.scale);
    turnWheel(m, -120);
    EXPECT_NEAR(m.overlays.dwfOverlay->view.scale, before.scale, 1e-9 * before.scale);

    ui.aligningAnswers = {999, 1, 1};
    pressLeftButton(m);  // the second press of the double click; its release goes to the dialog
    doubleClick(m, ui, {10, 10}, false);
    EXPECT_EQ(ui.messages.back(), kNotASurveyPointMessage);
    EXPECT_FALSE(m.input.leftButtonDown);
    doubleClick(m, ui, {10, 10}, false);
    doubleClick(m, ui, {50, 10}, false);
    EXPECT_EQ(ui.messages.back(), kSamePointTwiceMessage);
    EXPECT_EQ(m.overlays.dwfOverlay->alignmentPicks, 1);
    EXPECT_FALSE(m.overlays.dwfOverlay->aligned);

    // Point 5 lies at (40, 0): the second pick's spot goes there, the first's to point 1 at (0, 0).
    const int w = m.renderer.frame.viewWidth, h = m.renderer.frame.viewHeight;
    const FlatOverlayView view = m.overlays.dwfOverlay->view;
    const std::vector<CadLine> drawn = m.overlays.dwfOverlay->lines;
    EXPECT_FALSE(hasUnsavedChanges(m));
    addAlignmentPick(m, ui, 50, 10, w, h, 5);
    ASSERT_TRUE(m.overlays.dwfOverlay->aligned);
    EXPECT_TRUE(hasUnsavedChanges(m));  // an aligned drawing wants saving
    // Every vertex of the overlay moved by the similarity that carries the
    // picked spots onto the points: z -> P1 + (z - D1) (P2 - P1) / (D2 - D1).
    const DrawingPoint d1 = drawingPointAt(view, w, h, 10, 10), d2 = drawingPointAt(view, w, h, 50, 10);
    const std::complex<double> p1{0, 0}, p2{40, 0}, from{d1.x, d1.y}, to{d2.x, d2.y};
    const std::vector<CadLine>& aligned = m.overlays.dwfOverlay->lines;
    ASSERT_EQ(aligned.size(), drawn.size());
    for (std::size_t l = 0; l < drawn.size(); ++l) {
        ASSERT_EQ(aligned[l].vertices.size(), drawn[l].vertices.size());
        for (std::size_t k = 0; k < drawn[l].vertices.size(); ++k) {
            const Vec3& v = drawn[l].vertices[k];
            const std::complex<double> expected =
                p1 + (std::complex<double>{v.x, v.y} - from) * (p2 - p1) / (to - from);
            EXPECT_NEAR(aligned[l].vertices[k].x, expected.real(), 1e-6);
            EXPECT_NEAR(aligned[l].vertices[k].y, expected.imag(), 1e-6);
            EXPECT_EQ(aligned[l].vertices[k].z, v.z);
        }
    }

    runPipelineToCompletion(m, ui);
    EXPECT_TRUE(m.document.dwfOverlayStage.done);
    EXPECT_TRUE(m.display.showDwfOverlay);
    EXPECT_EQ(m.overlays.dwfOverlay->draped.size(), 2u);
}

}  // namespace
}  // namespace vellacor
