// The surface as the program builds it: the workers started by the pipeline
// and their results taken over on the user-interface thread.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/document.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "app/surface_stages.h"
#include "support/fake_ui.h"
#include "support/temp_files.h"
#include "surface/neighbour_links.h"
#include "surface/surface_jobs.h"
#include "surface/tin_geometry.h"
#include "surface/surface_support.h"

namespace vellacor::testing {
namespace {

// An empty site filled with the points, as a point file would fill it.
void loadSite(SiteModel& model, const std::vector<Xyz>& points) {
    clearSite(model);
    loadPoints(model.document, points);
}

struct SurfacePipeline : ::testing::Test {
    SiteModel model;
    FakeUi ui;
};

TEST_F(SurfacePipeline, PipelineBuildsALinkedDelaunaySurface) {
    loadSite(model, randomPoints(5000, 11));
    runPipelineToCompletion(model, ui);
    EXPECT_TRUE(model.document.triangulateStage.done);
    EXPECT_TRUE(model.document.contourStage.done);
    EXPECT_FALSE(model.document.triangulateStage.running || model.document.contourStage.running);
    EXPECT_TRUE(model.document.triangulateStage.enabled && model.document.contourStage.enabled);
    EXPECT_FALSE(model.display.showPoints);
    EXPECT_EQ(model.document.triangleCount, static_cast<int>(model.document.triangles.size()));
    EXPECT_EQ(validate(viewOf(model.document)), std::vector<std::string>{});
    for (int t = 0; t < model.document.triangleCount; ++t) EXPECT_GE(signedArea(surfaceOf(model.document), t), 0.0);
    // The enclosing triangle sits in the three spare records, far outside the site.
    ASSERT_GE(model.document.points.size(), static_cast<std::size_t>(model.document.pointCount) + 3);
    EXPECT_LT(model.document.points[static_cast<std::size_t>(model.document.pointCount)].easting,
              model.document.siteCentre.x - 1000 * model.document.siteSize);
}

TEST_F(SurfacePipeline, NoSurfaceIsMadeFromFewerThanThreeUsablePointsOrFromDataWithItsOwnTriangles) {
    loadSite(model, {{0, 0, 5}, {10, 0, 5}, {0, 10, 0.0}});  // the third has no elevation
    runPipelineToCompletion(model, ui);
    EXPECT_TRUE(model.document.triangulateStage.done);
    EXPECT_EQ(model.document.triangleCount, 0);
    EXPECT_TRUE(model.display.showPoints);

    loadSite(model, {{0, 0, 5}, {1, 1, 5}, {2, 2, 5}, {3, 3, 6}});  // all on one line
    runPipelineToCompletion(model, ui);
    EXPECT_EQ(model.document.triangleCount, 0);

    // Data with its own triangles is not triangulated.
    loadSite(model, randomPoints(100, 13));
    model.document.pointsNeedTriangulation = false;
    model.document.triangulateStage.running = true;
    startTriangulation(model, ui);
    EXPECT_FALSE(model.document.triangulateStage.running);  // nothing to do: the stage must not stay busy
    EXPECT_EQ(model.document.triangleCount, 0);
}

TEST_F(SurfacePipeline, CancellingLeavesNoTrianglesAndNothingDone) {
    loadSite(model, randomPoints(60000, 14));
    runPipeline(model, ui);
    ASSERT_TRUE(model.document.triangulateStage.running);
    cancelStage(model, StageId::Triangulate);  // Esc
    model.work.triangulation.wait();
    adoptFinishedSurfaceWork(model, ui);
    EXPECT_EQ(model.document.triangleCount, 0);
    EXPECT_TRUE(model.document.triangles.empty());
    EXPECT_FALSE(model.document.triangulateStage.done);
    EXPECT_TRUE(model.document.triangulateStage.enabled);
    EXPECT_TRUE(model.display.showPoints);
    // The next frames build it again.
    runPipelineToCompletion(model, ui);
    EXPECT_TRUE(model.document.triangulateStage.done);
    EXPECT_GT(model.document.triangleCount, 0);
}

TEST_F(SurfacePipeline, CancellingTheLinksLeavesThemUndone) {
    loadSite(model, randomPoints(60000, 15));
    while (!model.document.contourStage.running) {
        runPipeline(model, ui);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    cancelStage(model, StageId::Contour);
    model.work.topology.wait();
    adoptFinishedSurfaceWork(model, ui);
    EXPECT_FALSE(model.document.contourStage.done);
    EXPECT_TRUE(model.document.contourStage.enabled);
    EXPECT_TRUE(model.cycle.forceRedrawOnce);
    // The triangulation's own links stay in the triangles; only the stage is undone.
    std::vector<std::int32_t> links;
    std::vector<HullEdge> hull;
    linkNeighbours(model.document.triangles.data(), model.document.triangleCount, links, hull, [](double) { return true; });
    for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(model.document.triangles[0].neighbour[k], links[k]);
}

TEST_F(SurfacePipeline, OpeningAnotherFileWhileTheWorkerRunsKeepsTheOldSiteOut) {
    TempDir dir;
    std::string big, small;
    for (const Xyz& p : randomPoints(40000, 16))
        big += "1," + std::to_string(p.y) + "," + std::to_string(p.x) + ",100.0,X\n";
    for (const Xyz& p : randomPoints(40, 17))
        small += "1," + std::to_string(p.y) + "," + std::to_string(p.x) + ",50.0,Y\n";
    const std::string bigPath = dir.write("big.txt", big), smallPath = dir.write("small.txt", small);
    ASSERT_EQ(openDocument(model, ui, bigPath), OpenResult::Loaded);
    runPipeline(model, ui);
    ASSERT_TRUE(model.document.triangulateStage.running);
    ASSERT_EQ(openDocument(model, ui, smallPath), OpenResult::Loaded);
    runPipelineToCompletion(model, ui);
    EXPECT_EQ(model.document.pointCount, 40);
    EXPECT_EQ(validate(viewOf(model.document)), std::vector<std::string>{});
    for (int t = 0; t < model.document.triangleCount; ++t)
        for (int k = 0; k < 3; ++k) EXPECT_LT(model.document.triangles[static_cast<std::size_t>(t)].vertex[k], 40);
}

TEST_F(SurfacePipeline, TheRendererTakesTheMeshTheWorkerPublished) {
    loadSite(model, randomPoints(60000, 19));
    runPipeline(model, ui);
    GrowingMesh copy;
    std::size_t copies = 0;
    while (model.document.triangulateStage.running) {
        if (takeGrowingMesh(model.work.growingMesh, copy)) {
            ++copies;
            for (const MeshTriangle& t : copy.triangles)
                for (std::int32_t v : t) ASSERT_TRUE(v >= 0 && v < model.document.pointCount);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        adoptFinishedSurfaceWork(model, ui);
    }
    EXPECT_TRUE(model.document.triangulateStage.done);
    EXPECT_GE(copies, 1u);  // at least the clearing at the start or the end
    takeGrowingMesh(model.work.growingMesh, copy);
    EXPECT_TRUE(copy.triangles.empty());  // nothing left over once the surface is done
    EXPECT_EQ(model.work.growingMesh.growing.triangles.capacity(), 0u);  // nor a buffer kept for reuse
}

// The links the triangulation already knows are taken over only while the
// triangles are as it left them; a changed triangle makes the stage link anew.
TEST(SurfaceLinks, KnownLinksAreUsedOnlyForUnchangedTriangles) {
    for (const bool change : {false, true}) {
        SiteModel model;
        FakeUi ui;
        loadSite(model, randomPoints(3000, 20));
        model.document.triangulateStage.running = true;
        startTriangulation(model, ui);
        model.work.triangulation.wait();
        adoptFinishedSurfaceWork(model, ui);
        ASSERT_TRUE(model.document.triangulateStage.done);
        // The triangulation wrote its links; the link stage keeps them only while the triangles are unchanged.
        EXPECT_EQ(validate(viewOf(model.document)), std::vector<std::string>{});
        if (change) {  // the same triangle, its vertices named from another corner
            TinTriangle& t = model.document.triangles[100];
            std::rotate(t.vertex, t.vertex + 1, t.vertex + 3);
        }
        model.document.contourStage.running = true;
        startTopology(model);
        model.work.topology.wait();
        adoptFinishedSurfaceWork(model, ui);
        ASSERT_TRUE(model.document.contourStage.done);
        EXPECT_EQ(validate(viewOf(model.document)), std::vector<std::string>{}) << (change ? "changed" : "unchanged");
        std::vector<std::int32_t> expected;
        std::vector<HullEdge> hull;
        linkNeighbours(model.document.triangles.data(), model.document.triangleCount, expected, hull, [](double) { return true; });
        for (int t = 0; t < model.document.triangleCount; ++t)
            for (int k = 0; k < 3; ++k)
                ASSERT_EQ(model.document.triangles[static_cast<std::size_t>(t)].neighbour[k], expected[static_cast<std::size_t>(3 * t + k)]) << t;
    }
}

}  // namespace
}  // namespace vellacor::testing
