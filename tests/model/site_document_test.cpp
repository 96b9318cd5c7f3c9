#include <gtest/gtest.h>

#include "model/site_document.h"

namespace vellacor {
namespace {

void addPoint(SiteDocument& m, int number, double e, double n, double z) {
    SurveyPoint p;
    p.number = number;
    p.easting = e;
    p.northing = n;
    p.elevation = z;
    m.points.push_back(p);
    m.pointCount = static_cast<int>(m.points.size());
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

TEST(Extents, RunningLimitsAndSizeRule) {
    SiteDocument one;  // one point: no plan size
    addPoint(one, 1, 100, 200, 50);
    computeExtents(one);
    EXPECT_DOUBLE_EQ(one.minElevation, 50);
    EXPECT_DOUBLE_EQ(one.maxElevation, 50);
    EXPECT_DOUBLE_EQ(one.siteSize, 0);
    EXPECT_DOUBLE_EQ(one.siteCentre.x, 100);
    EXPECT_DOUBLE_EQ(one.siteCentre.y, 200);
    EXPECT_DOUBLE_EQ(one.siteCentre.z, 50);

    SiteDocument m;
    addPoint(m, 1, 0, 0, 10000);
    addPoint(m, 2, 30, 10, 10050);
    addPoint(m, 3, 10, 40, 0);  // no elevation: ignored for z
    computeExtents(m);
    EXPECT_DOUBLE_EQ(m.minElevation, 9999.0);  // every elevation above the start limit
    EXPECT_DOUBLE_EQ(m.maxElevation, 10050);
    EXPECT_DOUBLE_EQ(m.siteSize, 51);  // dZ strictly larger than dN = 40
    EXPECT_DOUBLE_EQ(m.siteCentre.x, 15);
    EXPECT_DOUBLE_EQ(m.siteCentre.y, 20);

    SiteDocument unset;  // no valid elevation: the centre stays at zero
    addPoint(unset, 1, 0, 0, 0);
    addPoint(unset, 2, 10, 5, 0);
    computeExtents(unset);
    EXPECT_DOUBLE_EQ(unset.minElevation, 9999.0);
    EXPECT_DOUBLE_EQ(unset.maxElevation, -9999.0);
    EXPECT_DOUBLE_EQ(unset.siteCentre.z, 0);
    EXPECT_DOUBLE_EQ(unset.siteSize, 10);
}

// Rounds up to the next hundred toward zero, within the integer range at both ends.
TEST(NextPointNumber, RoundsUpToNextHundredWithinTheIntegerRange) {
    const std::pair<int, int> cases[] = {{1234, 1300},         {99, 100},        {100, 200},
                                         {0, 100},             {-50, 100},       {-150, 0},
                                         {INT32_MAX, INT32_MAX}, {2147483600, INT32_MAX}, {2147483599, 2147483600},
                                         {INT32_MIN, -2147483500}};
    for (auto [largest, expected] : cases) {
        SiteDocument m;
        addPoint(m, -2000, 0, 0, 1);
        addPoint(m, largest, 0, 0, 1);
        computeNextPointNumber(m);
        EXPECT_EQ(m.nextPointNumber, largest == INT32_MIN ? -1900 : expected) << largest;  // the largest of the two
        EXPECT_EQ(nextPointNumberAfter(&m.points[1], 1), expected) << largest;
    }
    EXPECT_EQ(nextPointNumberAfter(nullptr, 0), 100);
}

TEST(Description, CutAtFiftyBytesWithoutSplittingACharacterOfUtf8) {
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
    // Text that is not UTF-8 keeps its fifty bytes.
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
