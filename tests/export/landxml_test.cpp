#include <gtest/gtest.h>

#include "export/xml_text.h"
#include "export_site.h"

namespace vellacor {
namespace {

using testing::addPoint;
using testing::addTriangle;
using testing::written;

void makeTinySite(SiteDocument& m) {
    addPoint(m, 1, 6000, 5000, 100.5, "A & \"B\"");
    addPoint(m, 2, 6000, 5010, 101, "<IP>");
    addPoint(m, 7, 6010.25, 5000, 99.9999, "C");
    addTriangle(m, 0, 2, 1);
    m.breaklines.pairs = {{0, 1}};
}

const std::string kHead =
    "<?xml version=\"1.0\"?>\n<LandXML version=\"1.0\">\n\t<Units>\n\t\t<Imperial>\n\t\t</Imperial>\n\t</Units>\n"
    "\t<CgPoints>\n"
    "\t\t<CgPoint name=\"1\" desc=\"A &amp; B\">5000 6000 100.5</CgPoint>\n"
    "\t\t<CgPoint name=\"2\" desc=\"&lt;IP&gt;\">5010 6000 101</CgPoint>\n"
    "\t\t<CgPoint name=\"7\" desc=\"C\">5000 6010.25 99.9999</CgPoint>\n"
    "\t</CgPoints>\n";
const std::string kBreaklines =
    "\t\t\t<SourceData>\n\t\t\t\t<Breaklines>\n"
    "\t\t\t\t\t<Breakline brkType=\"standard\">\n"
    "\t\t\t\t\t\t<PntList3D>5000 6000 100.5 5010 6000 101</PntList3D>\n"
    "\t\t\t\t\t</Breakline>\n"
    "\t\t\t\t</Breaklines>\n\t\t\t</SourceData>\n";

TEST(LandXmlWriter, TinySiteWithEveryBlock) {
    SiteDocument m;
    makeTinySite(m);
    const std::vector<ExportPolyline> contours = {{100, true, {{6000, 5000.5, 100}, {6005.5, 5000, 100}}}};
    EXPECT_EQ(written([&](std::FILE* f) { return writeLandXml(f, m, {false, true, true, true}, contours); }),
              kHead + "\t<Surfaces>\n\t\t<Surface name=\"exist\">\n" + kBreaklines +
                  "\t\t\t<Definition surfType=\"TIN\">\n\t\t\t\t<Pnts>\n"
                  "\t\t\t\t\t<P id=\"1\">5000 6000 100.5</P>\n"
                  "\t\t\t\t\t<P id=\"2\">5010 6000 101</P>\n"
                  "\t\t\t\t\t<P id=\"3\">5000 6010.25 99.9999</P>\n"
                  "\t\t\t\t</Pnts>\n\t\t\t\t<Faces>\n"
                  "\t\t\t\t\t<F>1 3 2</F>\n"  // array positions + 1, not point numbers
                  "\t\t\t\t</Faces>\n\t\t\t</Definition>\n"
                  "\t\t\t<Contours>\n"
                  "\t\t\t\t<Contour elev=\"100\">5000.5 6000 5000 6005.5 </Contour>\n"
                  "\t\t\t</Contours>\n"
                  "\t\t</Surface>\n\t</Surfaces>\n</LandXML>\n");
}

TEST(LandXmlWriter, PartsDecideTheSurfaceBlock) {
    SiteDocument m;
    makeTinySite(m);
    EXPECT_EQ(written([&](std::FILE* f) { return writeLandXml(f, m, {.breaklines = true}); }),
              kHead + "\t<Surfaces>\n\t\t<Surface name=\"exist\">\n" + kBreaklines +
                  "\t\t</Surface>\n\t</Surfaces>\n</LandXML>\n");
    EXPECT_EQ(written([&](std::FILE* f) { return writeLandXml(f, m, {.points = true}); }), kHead + "</LandXML>\n");
}

TEST(XmlDescription, EveryParserAcceptsIt) {
    std::string out;
    appendXmlDescription(out, "a\"b&<c>\x01\td");
    EXPECT_EQ(out, "ab&amp;&lt;c&gt;\td");
    out.clear();
    appendXmlDescription(out, "\xB0 N \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xED\xA0\x80 \xC3");  // Latin-1 degree, UTF-8, a surrogate, a cut sequence
    EXPECT_EQ(out, "\xC2\xB0 N \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xC3\xAD\xC2\xA0\xC2\x80 \xC3\x83");
    // The non-characters U+FFFE and U+FFFF are left out of the XML.
    out.clear();
    appendXmlDescription(out, "a\xEF\xBF\xBE" "b\xEF\xBF\xBF" "c\xEF\xBF\xBD" "d");  // U+FFFD is allowed
    EXPECT_EQ(out, "abc\xEF\xBF\xBD" "d");
}

}  // namespace
}  // namespace vellacor
