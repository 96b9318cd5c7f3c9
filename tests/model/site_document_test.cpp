#include <gtest/gtest.h>

#include "app/site_model.h"

namespace vellacor {
namespace {

void addPoint(SiteModel& m, int number, double e, double n, double z) {
    SurveyPoint p;
    p.number = number;
    p.easting = e;
    p.northing = n;
    p.elevation = z;
    m.document.points.push_back(p);
    m.document.pointCount = static_cast<int>(m.document.points.size());
}

TEST(Elevation, ZeroAndPlaceholdersAreNoElevation) {
    EXPECT_FALSE(isValidElevation(0.0));
    EXPECT_FALSE(isValidElevation(-99999.0));
    EXPECT_FALSE(isValidElevation(0.0009));
    EXPECT_TRUE(isValidElevation(0.001));
    EXPECT_TRUE(isValidElevation(-0.001));
    EXPECT_TRUE(isValidElevation(99998.0));
    EXPECT_FALSE(isValidElevation(99998.5));
}

TEST(Extents, SinglePointHasNoPlanSize) {
    SiteModel m;
    addPoint(m, 1, 100, 200, 50);
    computeExtents(m.document);
    EXPECT_DOUBLE_EQ(m.document.minElevation, 50);
    EXPECT_DOUBLE_EQ(m.document.maxElevation, 50);
    EXPECT_DOUBLE_EQ(m.document.siteSize, 0);
    EXPECT_DOUBLE_EQ(m.document.siteCentre.x, 100);
    EXPECT_DOUBLE_EQ(m.document.siteCentre.y, 200);
    EXPECT_DOUBLE_EQ(m.document.siteCentre.z, 50);
}

TEST(Extents, RunningLimitsAndSizeRule) {
    SiteModel m;
    addPoint(m, 1, 0, 0, 10000);
    addPoint(m, 2, 30, 10, 10050);
    addPoint(m, 3, 10, 40, 0);  // no elevation: ignored for z
    computeExtents(m.document);
    EXPECT_DOUBLE_EQ(m.document.minElevation, 9999.0);  // every elevation above the start limit
    EXPECT_DOUBLE_EQ(m.document.maxElevation, 10050);
    EXPECT_DOUBLE_EQ(m.document.siteSize, 51);  // dZ strictly larger than dN = 40
    EXPECT_DOUBLE_EQ(m.document.siteCentre.x, 15);
    EXPECT_DOUBLE_EQ(m.document.siteCentre.y, 20);
}

TEST(Extents, NoValidElevationLeavesCentreAtZero) {
    SiteModel m;
    addPoint(m, 1, 0, 0, 0);
    addPoint(m, 2, 10, 5, 0);
    computeExtents(m.document);
    EXPECT_DOUBLE_EQ(m.document.minElevation, 9999.0);
    EXPECT_DOUBLE_EQ(m.document.maxElevation, -9999.0);
    EXPECT_DOUBLE_EQ(m.document.siteCentre.z, 0);
    EXPECT_DOUBLE_EQ(m.document.siteSize, 10);
}

TEST(NextPointNumber, RoundsUpToNextHundredTowardZero) {
    const std::pair<int, int> cases[] = {{1234, 1300}, {99, 100}, {100, 200}, {0, 100}, {-50, 100}, {-150, 0}};
    for (auto [largest, expected] : cases) {
        SiteModel m;
        addPoint(m, -2000, 0, 0, 1);
        addPoint(m, largest, 0, 0, 1);
        computeNextPointNumber(m.document);
        EXPECT_EQ(m.document.nextPointNumber, expected) << largest;
    }
    SiteModel one;
    addPoint(one, 250, 0, 0, 1);
    computeNextPointNumber(one.document);
    EXPECT_EQ(one.document.nextPointNumber, 300);
}

TEST(NextPointNumber, OverflowedPast2147483647) {
    SurveyPoint p;
    const std::pair<int, int> cases[] = {{INT32_MAX, INT32_MAX}, {2147483600, INT32_MAX}, {2147483599, 2147483600},
                                         {INT32_MIN, -2147483500}};
    for (auto [largest, expected] : cases) {
        p.number = largest;
        EXPECT_EQ(nextPointNumberAfter(&p, 1), expected) << largest;
    }
    EXPECT_EQ(nextPointNumberAfter(nullptr, 0), 100);
}

TEST(ClearSite, EmptiesTheSiteAndKeepsAnEmptyBreaklineList) {
    SiteModel m;
    addPoint(m, 1, 0, 0, 1);
    m.document.breaklines.pairs.push_back({0, 1});
    m.document.breaklines.allInserted = false;
    m.display.showPoints = m.display.showContours = m.display.showRain = true;
    m.display.surfaceMode = SurfaceMode::Elevation;
    m.document.contours.contourInterval = 5;
    m.document.triangulateStage.done = true;
    m.overlays.dxfOverlay = std::make_unique<CadOverlay>();
    clearSite(m);
    EXPECT_EQ(m.document.pointCount, 0);
    EXPECT_TRUE(m.document.breaklines.empty());
    EXPECT_TRUE(m.document.breaklines.ready());
    EXPECT_FALSE(m.display.showPoints || m.display.showContours || m.display.showRain);
    EXPECT_EQ(m.display.surfaceMode, SurfaceMode::Flat);
    EXPECT_EQ(m.document.contours.contourInterval, 1.0);
    EXPECT_FALSE(m.document.triangulateStage.done);
    EXPECT_EQ(m.input.selectedPoint, kNoPoint);
    EXPECT_NE(m.overlays.dxfOverlay, nullptr);  // the open deletes it, not the clear
}

TEST(ClearSite, WaitsForARunningWorker) {
    SiteModel m;
    std::atomic<bool> stopped{false};
    m.document.triangulateStage.running = true;
    m.work.triangulation.start(m.document.progress, [&](TriangulationOutput&, const JobControl& control) {
        while (!control.cancelled()) std::this_thread::yield();
        stopped = true;
        return false;
    });
    clearSite(m);
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(m.work.triangulation.active());
}

TEST(Description, CutAtFiftyBytesWithoutSplittingACharacter) {
    SurveyPoint p;
    setDescription(p, std::string(60, 'x'));
    EXPECT_EQ(descriptionOf(p).size(), 50u);
    // 49 ASCII bytes then a two-byte character straddling the limit.
    setDescription(p, std::string(49, 'a') + "\xC3\xA9" + "zz");
    EXPECT_EQ(descriptionOf(p), std::string(49, 'a'));
    setDescription(p, std::string(48, 'a') + "\xC3\xA9" + "zz");
    EXPECT_EQ(descriptionOf(p), std::string(48, 'a') + "\xC3\xA9");
    setDescription(p, std::string(48, 'a') + "\xF0\x9F\x98\x80");  // a four-byte character split after two
    EXPECT_EQ(descriptionOf(p), std::string(48, 'a'));
}

TEST(Description, CutEmptiedLatinOneText) {
    SurveyPoint p;
    setDescription(p, std::string(60, '\xB1'));  // sixty plus-minus signs in Latin-1
    EXPECT_EQ(descriptionOf(p), std::string(50, '\xB1'));
    // A lead byte at the cut whose next bytes are no UTF-8 is cut like any byte.
    setDescription(p, std::string(49, 'a') + "\xE2" + "bc");
    EXPECT_EQ(descriptionOf(p), std::string(49, 'a') + "\xE2");
    setDescription(p, std::string(48, 'a') + "\xC3\xA9\xA9\xA9");  // stray continuation bytes after a whole character
    EXPECT_EQ(descriptionOf(p), std::string(48, 'a') + "\xC3\xA9");
}

}  // namespace
}  // namespace vellacor
