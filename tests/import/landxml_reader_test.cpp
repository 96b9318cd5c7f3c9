#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <string>

#include "import/landxml_reader.h"
#include "import/xml_tag_scanner.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

std::array<int, 3> corners(const TinTriangle& t) { return {t.vertex[0], t.vertex[1], t.vertex[2]}; }

TEST(XmlTagScanner, CommentsAttributesEmptyElementsAndLetterCase) {
    XmlTagScanner in(
        "text <?xml version=\"1.0\"?><!-- <CgPoints> -->\n<cgpoint name = 'a>b' desc=\"x\"\tid=\"7\"/>"
        "<P a1=\"1\" a2=\"2\" a3=\"3\" a4=\"4\" a5=\"5\" a6=\"6\" a7=\"7\" a8=\"8\" a9=\"9\" a10=\"10\" a11=\"11\">"
        "</P><!-- unclosed");
    XmlTag tag;
    ASSERT_TRUE(in.nextTag(tag));
    EXPECT_EQ(tag.text(), "<?xml>");
    ASSERT_TRUE(in.nextTag(tag));
    EXPECT_TRUE(tag.is("<CgPoint>"));
    EXPECT_TRUE(tag.empty);
    ASSERT_NE(tag.attribute("NAME"), nullptr);
    EXPECT_EQ(*tag.attribute("name"), "a>b");
    EXPECT_EQ(*tag.attribute("id"), "7");
    EXPECT_EQ(tag.attribute("missing"), nullptr);
    ASSERT_TRUE(in.nextTag(tag));
    EXPECT_EQ(tag.attributeCount, XmlTag::kMostAttributes);
    EXPECT_EQ(tag.attribute("a11"), nullptr);
    ASSERT_TRUE(in.nextTag(tag));
    EXPECT_TRUE(tag.is("</p>"));
    EXPECT_FALSE(tag.is("<P>"));
    EXPECT_FALSE(in.nextTag(tag));
    EXPECT_FALSE(in.nextTag(tag));
}

TEST(XmlText, EntitiesAndCharacterReferencesDecode) {
    EXPECT_EQ(decodeXmlText("a &amp; b &lt;&gt; &quot;q&quot; &apos;"), "a & b <> \"q\" '");
    EXPECT_EQ(decodeXmlText("&#65;&#x42;&#X43; &#1087;"), "ABC \xD0\xBF");
    EXPECT_EQ(decodeXmlText("&#x1F600;"), "\xF0\x9F\x98\x80");
    // Not references: kept as written.
    EXPECT_EQ(decodeXmlText("&nbsp; &#xD800; &#0; &#; & ;&amp"), "&nbsp; &#xD800; &#0; &#; & ;&amp");
    // 1 MB of "&" with no ";" anywhere: the search for a reference's end stays short.
    const std::string ampersands(1 << 20, '&');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(decodeXmlText(ampersands), ampersands);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
    EXPECT_EQ(leadingInteger(" 12a"), 12);
    EXPECT_EQ(leadingInteger("-3"), -3);
    EXPECT_EQ(leadingInteger("P1"), 0);
    EXPECT_EQ(leadingInteger("99999999999"), 0);
}

const char* kSite = R"(<LandXML>
<CgPoints>
  <CgPoint name="101" desc="Fence &amp; gate">100 200 10</CgPoint>
  <CgPoint id="102">110 200 0.</CgPoint>
  <CgPoint name="103">500 500</CgPoint>
</CgPoints>
<Surfaces>
<Surface name="first">
  <SourceData><Breaklines>
    <Breakline><PntList3D>100 200 10 110 200 11 110 210 12</PntList3D></Breakline>
    <Breakline><PntList2D>100 200 110 210</PntList2D></Breakline>
  </Breaklines></SourceData>
  <Definition surfType="TIN"><Pnts>
    <P id="5">100 200 10</P><P id="6">110 200 11</P><P id="7">110 210 12</P><P id="8">100 210 13</P>
  </Pnts><Faces>
    <F>5 6 7</F><F n="1 2 3">5 7 8</F><F i="1">6 7 8</F><F>5 6 99</F><F>5 5 6</F>
  </Faces></Definition>
</Surface>
<Surface name="second"><Definition surfType="TIN"><Pnts><P id="1">0 0 1</P><P id="2">1 0 1</P><P id="3">0 1 1</P></Pnts>
<Faces><F>1 2 3</F></Faces></Definition></Surface>
</Surfaces></LandXML>)";

TEST(LandXmlReader, FirstSurfaceWithFacesTakesCgPointLabels) {
    const LandXmlReadResult r = readLandXmlText(kSite);
    EXPECT_TRUE(r.succeeded());
    EXPECT_TRUE(r.cgPointsCompleted);
    EXPECT_EQ(r.tagErrorCount, 0);
    const SurfaceReadResult& s = r.surface;
    ASSERT_EQ(s.points.size(), 4u);  // the CgPoints off the surface are not kept
    EXPECT_EQ(s.points[0].northing, 100);
    EXPECT_EQ(s.points[0].easting, 200);
    EXPECT_EQ(s.points[0].number, 101);
    EXPECT_EQ(descriptionOf(s.points[0]), "Fence & gate");
    EXPECT_EQ(s.points[1].number, 6);  // 102 lies at elevation 0, not 11
    EXPECT_EQ(s.points[3].number, 8);
    // Invisible, unknown-number and repeated-corner faces are left out; the second surface is not read.
    ASSERT_TRUE(s.trianglesMade);
    ASSERT_EQ(s.triangles.size(), 2u);
    EXPECT_EQ(corners(s.triangles[1]), (std::array<int, 3>{0, 2, 3}));
    ASSERT_EQ(s.breaklines.size(), 2u);
    ASSERT_EQ(s.breaklines[0].size(), 3u);
    EXPECT_EQ(s.breaklines[0][2].x, 210);  // easting
    EXPECT_EQ(s.breaklines[0][2].y, 110);
    EXPECT_EQ(s.breaklines[0][2].z, 12);
    ASSERT_EQ(s.breaklines[1].size(), 2u);
    EXPECT_EQ(s.breaklines[1][1].z, 0);
}

TEST(LandXmlReader, PlanCgPointsInAnyLetterCase) {
    const LandXmlReadResult r = readLandXmlText(
        "<landxml><survey><cgpoints><cgpoint name=\"4\">1.5 2.</cgpoint><cgpoint>3 4 5</cgpoint>"
        "<cgpoint/><cgpoint>bad</cgpoint></cgpoints></survey></landxml>");
    EXPECT_TRUE(r.succeeded());
    EXPECT_FALSE(r.surface.trianglesMade);
    ASSERT_EQ(r.surface.points.size(), 2u);
    EXPECT_EQ(r.surface.points[0].elevation, 0);
    EXPECT_FALSE(r.surface.points[0].useInSurface);
    EXPECT_EQ(r.surface.points[0].easting, 2);
    EXPECT_EQ(r.surface.points[1].number, 0);
    EXPECT_TRUE(r.surface.points[1].useInSurface);
    EXPECT_EQ(r.tagErrorCount, 0);
}

// A file may declare entities that name other files or addresses: they stay
// text, and nothing but the file itself is read.
TEST(LandXmlReader, DeclaredEntitiesStayTextAndNameNothingRead) {
    const LandXmlReadResult r = readLandXmlText(
        "<?xml version=\"1.0\"?><!DOCTYPE LandXML [<!ENTITY secret SYSTEM \"file:///etc/hostname\">"
        "<!ENTITY beacon SYSTEM \"http://127.0.0.1:9/x\">]>"
        "<LandXML><CgPoints><CgPoint name=\"1\" desc=\"&secret;&beacon;&amp;\">1 2 3</CgPoint></CgPoints></LandXML>");
    EXPECT_TRUE(r.succeeded());
    ASSERT_EQ(r.surface.points.size(), 1u);
    EXPECT_EQ(descriptionOf(r.surface.points[0]), "&secret;&beacon;&");
}

TEST(LandXmlReader, WhatMakesNoSite) {
    EXPECT_FALSE(readLandXmlText("").succeeded());
    EXPECT_FALSE(readLandXmlText("<LandXML><CgPoints><CgPoint>1 2 3</CgPoint>").succeeded());  // never closed
    // A TIN without faces replaces the points but is no success on its own.
    const LandXmlReadResult faceless = readLandXmlText(
        "<Surface><Definition surfType=\"tin\"><Pnts><P id=\"1\">1 2 3</P></Pnts></Definition></Surface>");
    EXPECT_FALSE(faceless.succeeded());
    EXPECT_EQ(faceless.surface.points.size(), 1u);
    EXPECT_FALSE(
        readLandXmlText("<Surface><Definition surfType=\"grid\"><Faces><F>1 2 3</F></Faces></Definition></Surface>")
            .succeeded());
}

TEST(LandXmlReader, UnexpectedClosingTagsAreReportedAndReadingGoesOn) {
    std::string text = "<CgPoints>";
    for (int i = 0; i < 5; ++i) text += "<CgPoint>1 2 3<Extra/></CgPoint>";
    text += "<CgPoint>4 5 6</CgPoint></CgPoints>";
    const LandXmlReadResult r = readLandXmlText(text);
    EXPECT_TRUE(r.succeeded());
    EXPECT_EQ(r.surface.points.size(), 6u);
    EXPECT_EQ(r.tagErrorCount, 5);
    ASSERT_EQ(r.tagErrors.size(), 3u);
    EXPECT_EQ(r.tagErrors[0], "Error, expected \"</CgPoint>\" not found, instead found \"<Extra>\"");
}

TEST(LandXmlReader, BoundariesComeFromTheSurfaceRead) {
    // The first surface has no TIN definition: its boundary is kept only
    // until a surface with one brings its own.
    const LandXmlReadResult r = readLandXmlText(
        "<LandXML><Surfaces>"
        "<Surface name=\"a\"><SourceData><Boundaries><Boundary bndType=\"outer\" edgeTrim=\"true\">"
        "<PntList2D>0 0 0 1 1 1</PntList2D></Boundary></Boundaries></SourceData></Surface>"
        "<Surface name=\"b\"><SourceData><Boundaries>"
        "<Boundary bndType=\"Void\" edgeTrim=\"true\"><PntList3D>1 2 9 1 4 9 3 4 9 1 2 9</PntList3D>"
        "<PntList2D>7 7 7 8 8 8</PntList2D></Boundary>"  // a second list: not read
        "<Boundary bndType=\"outer\" edgeTrim=\"true\"/>"
        "<Boundary bndType=\"island\" edgeTrim=\"true\"><PntList2D>0 0 0 1 1 1</PntList2D></Boundary>"
        "<Boundary edgeTrim=\"true\"><PntList2D>0 0 0 1 1 1</PntList2D></Boundary>"
        "</Boundaries></SourceData>"
        "<Definition surfType=\"TIN\"><Pnts><P id=\"1\">0 0 1</P><P id=\"2\">0 10 1</P><P id=\"3\">10 10 1</P>"
        "</Pnts><Faces><F>1 2 3</F></Faces></Definition></Surface>"
        "<Surface name=\"c\"><SourceData><Boundaries><Boundary bndType=\"hide\" edgeTrim=\"true\">"
        "<PntList2D>5 5 5 6 6 6</PntList2D></Boundary></Boundaries></SourceData></Surface>"
        "</Surfaces></LandXML>");
    ASSERT_EQ(r.surface.triangles.size(), 1u);
    ASSERT_EQ(r.surface.boundaries.size(), 1u);
    const SurfaceBoundary& b = r.surface.boundaries[0];
    EXPECT_EQ(b.kind, BoundaryKind::Hide);
    ASSERT_EQ(b.corners.size(), 3u);  // the closing corner dropped
    EXPECT_EQ(b.corners[0].x, 2);     // easting after northing
    EXPECT_EQ(b.corners[0].y, 1);
    EXPECT_EQ(b.corners[0].z, 9);
    EXPECT_EQ(b.corners[2].x, 4);
    EXPECT_EQ(b.corners[2].y, 3);

    // Points only: the first surface's boundaries are the site's.
    const LandXmlReadResult points = readLandXmlText(
        "<LandXML><CgPoints><CgPoint name=\"1\">0 0 1</CgPoint></CgPoints><Surfaces><Surface><SourceData>"
        "<Boundaries><Boundary bndType=\"outer\" edgeTrim=\"false\"><PntList2D>0 0 0 1 1 1</PntList2D></Boundary>"
        "</Boundaries></SourceData></Surface></Surfaces></LandXML>");
    ASSERT_EQ(points.surface.boundaries.size(), 1u);
    EXPECT_EQ(points.surface.boundaries[0].kind, BoundaryKind::Outer);
}

TEST(LandXmlReader, LongBreaklinesAreCutAtTheLimit) {
    std::string text = "<Surface><SourceData><Breaklines><Breakline><PntList2D>";
    for (int i = 0; i < 6000; ++i) text += std::to_string(i) + " 1 ";
    text += "</PntList2D></Breakline></Breaklines></SourceData></Surface>";
    const LandXmlReadResult r = readLandXmlText(text);
    ASSERT_EQ(r.surface.breaklines.size(), 1u);
    EXPECT_EQ(r.surface.breaklines[0].size(), kMostBreaklineVertices);
}

TEST(LandXmlReader, AQuoteLeftOpenCostsOnlyItsOwnTag) {
    // Values cannot hold "<": the tag ends at its ">" and the points after it are read.
    std::string text = "<CgPoints><CgPoint name=\"1>10 20 30</CgPoint><CgPoint name=\"2\" desc=\"a>b</CgPoint>";
    for (int i = 3; i <= 1000; ++i) text += "<CgPoint name=\"" + std::to_string(i) + "\">1 2 3</CgPoint>";
    text += "</CgPoints>";
    const LandXmlReadResult r = readLandXmlText(text);
    EXPECT_TRUE(r.cgPointsCompleted);
    ASSERT_EQ(r.surface.points.size(), 999u);
    EXPECT_EQ(r.surface.points[0].northing, 10);
    EXPECT_EQ(r.surface.points[0].number, 0);  // its name never closed
    EXPECT_EQ(r.surface.points[998].number, 1000);

    XmlTagScanner in("<V d=\"<5 m, < 2\"><A x=\"1<B y='2'>");
    XmlTag tag;
    ASSERT_TRUE(in.nextTag(tag));
    EXPECT_EQ(*tag.attribute("d"), "<5 m, < 2");  // no tag starts inside it
    ASSERT_TRUE(in.nextTag(tag));
    EXPECT_TRUE(tag.is("<A>"));
    ASSERT_TRUE(in.nextTag(tag));
    EXPECT_TRUE(tag.is("<B>"));
    EXPECT_EQ(*tag.attribute("y"), "2");
    EXPECT_FALSE(in.nextTag(tag));
}

TEST(LandXmlReader, AnEmptyCgPointsGroupDoesNotHideALaterOne) {
    for (const char* empty : {"<CgPoints/>", "<CgPoints></CgPoints>"}) {
        const LandXmlReadResult r = readLandXmlText(
            std::string("<LandXML>") + empty + "<CgPoints><CgPoint name=\"7\">1 2 3</CgPoint></CgPoints></LandXML>");
        EXPECT_TRUE(r.succeeded()) << empty;
        ASSERT_EQ(r.surface.points.size(), 1u) << empty;
        EXPECT_EQ(r.surface.points[0].number, 7) << empty;
    }
    EXPECT_TRUE(readLandXmlText("<CgPoints/>").cgPointsCompleted);
}

TEST(LandXmlReader, CrowdedNearDuplicateCgPointsLabelQuickly) {
    // 20,000 CgPoints crowd one 0.001 cell; 20,000 surface points crowd the
    // next one, each more than the tolerance from every CgPoint.
    constexpr int kCrowd = 20000;
    std::string text = "<CgPoints><CgPoint name=\"1\" desc=\"corner\">0 0 5</CgPoint>";
    char element[128];
    for (int k = 0; k < kCrowd; ++k) {
        std::snprintf(element, sizeof element, "<CgPoint name=\"%d\">0 %.10f 5</CgPoint>", k + 2, 1e-8 * k);
        text += element;
    }
    text += "</CgPoints><Surface><Definition surfType=\"TIN\"><Pnts>";
    text += "<P id=\"1\">0 0 5</P><P id=\"2\">0 10 5</P><P id=\"3\">10 0 5</P>";
    for (int k = 0; k < kCrowd; ++k) {
        std::snprintf(element, sizeof element, "<P id=\"%d\">0 %.10f 5</P>", k + 4, 0.0015 + 1e-8 * k);
        text += element;
    }
    text += "</Pnts><Faces><F>1 2 3</F></Faces></Definition></Surface>";
    const auto start = std::chrono::steady_clock::now();
    const LandXmlReadResult r = readLandXmlText(text);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
    ASSERT_EQ(r.surface.triangles.size(), 1u);
    ASSERT_EQ(r.surface.points.size(), kCrowd + 3u);
    EXPECT_EQ(descriptionOf(r.surface.points[0]), "corner");
    EXPECT_EQ(r.surface.points[1].number, 2);  // the surface's own number: no CgPoint there
    EXPECT_EQ(r.surface.points[3].number, 4);
    EXPECT_EQ(r.surface.points[kCrowd + 2].number, kCrowd + 3);
}

struct RealFile {
    const char* name;
    std::size_t points, triangles, breaklines;
    bool succeeds;
};

TEST(LandXmlReader, RealFilesFromOtherPrograms) {
    const RealFile files[] = {
        {"Example_Clean.xml", 29, 45, 0, true},  // three surfaces: the first has faces
        {"L15_500_Surface.xml", 107, 194, 0, true},
        {"S3.xml", 164, 300, 0, true},            // no <?xml?> line, an empty <SourceData />
        {"j_landxml_sample.xml", 2, 0, 0, true},  // plan CgPoints, then a two-point TIN without faces
        {"land_xml_empty_surface.xml", 0, 0, 0, false},
        {"landxml.xml", 2, 0, 0, true},  // CgPoints inside <Survey>
        {"test.xml", 4, 3, 0, true},     // a TIN of four identical points
        {"\xD0\xA2\xD0\xBE\xD0\xBF\xD0\xBE\xD0\x9F\xD1\x80\xD0\xBE\xD1\x81\xD1\x82\xD0\xB0\xD1\x8F.xml", 7, 8, 1, true},
    };
    for (const RealFile& f : files) {
        const std::string path = testing::sharedData(std::string("landxml/") + f.name);
        if (path.empty()) GTEST_SKIP() << "the shared real files are not beside the project";
        const std::optional<LandXmlReadResult> r = readLandXmlFile(path);
        ASSERT_TRUE(r) << f.name;
        EXPECT_EQ(r->surface.points.size(), f.points) << f.name;
        EXPECT_EQ(r->surface.triangles.size(), f.triangles) << f.name;
        EXPECT_EQ(r->surface.breaklines.size(), f.breaklines) << f.name;
        EXPECT_EQ(r->tagErrorCount, 0) << f.name;
        EXPECT_EQ(r->succeeded(), f.succeeds) << f.name;
    }
}

TEST(LandXmlReader, TheFirstCoordinateSystemNamesTheSite) {
    const auto systemOf = [](const std::string& element) {
        return readLandXmlText("<LandXML><!-- <CoordinateSystem epsgCode=\"1\"/> -->" + element +
                               "<CoordinateSystem epsgCode=\"4326\"/><CgPoints><CgPoint name=\"1\">1 2 3</CgPoint>"
                               "</CgPoints></LandXML>")
            .surface.coordinateSystem;
    };
    EXPECT_EQ(systemOf("<CoordinateSystem name=\"NZTM\" epsgCode=\"2193\"/>"), "EPSG:2193");
    EXPECT_EQ(systemOf("<CoordinateSystem epsgCode=\"EPSG:2193\"></CoordinateSystem>"), "EPSG:2193");
    // A code that is no number gives way to the WKT, entities decoded.
    EXPECT_EQ(systemOf("<CoordinateSystem epsgCode=\"local\" ogcWktCode=\"LOCAL_CS[&quot;site&quot;]\"/>"),
              "LOCAL_CS[\"site\"]");
    EXPECT_EQ(systemOf("<CoordinateSystem name=\"CRS1\" horizontalDatum=\"JGD2011\"/>"), "");
    EXPECT_EQ(readLandXmlText("<LandXML><CgPoints><CgPoint>1 2 3</CgPoint></CgPoints></LandXML>").surface.coordinateSystem,
              "");
}

}  // namespace
}  // namespace vellacor
