// The text the writers give, to the byte: DXF entities and drawings, LandXML
// and point files.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <numbers>

#include "export/contour_labels.h"
#include "export/dxf_entities.h"
#include "export/number_format.h"
#include "export/writers.h"
#include "export/xml_text.h"
#include "export_site.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using testing::addPoint;
using testing::written;

const std::string kFixedSections = testing::readFile(VELLACOR_EXPORT_TESTS "/golden/fixed_sections.dxf");

// A millimetre above a whole number is a surveyed millimetre: only whole
// values are written whole.
TEST(FormatNumber, WholeOnlyWhenWholeElseFifteenDigits) {
    const std::pair<double, const char*> cases[] = {
        {512310.0, "512310"},   {512310.001, "512310.001"}, {5427916.0005, "5427916.0005"}, {100.0004, "100.0004"},
        {-5.0004, "-5.0004"},   {-3.0001, "-3.0001"},       {99.9999, "99.9999"},           {0.0005, "0.0005"},
        {-0.0004, "-0.0004"},   {-0.0, "0"},                {-2.5, "-2.5"},                 {-7.0, "-7"},
        {1234567.891, "1234567.891"}, {1.0 / 3, "0.333333333333333"}, {1e20, "100000000000000000000"},
        {0.1 + 0.2, "0.3"},  // rounding noise stays out of the 15 digits
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(formatNumber(value), text) << value;
}

TEST(GridSpacing, StepsWithTheSiteSize) {
    // Across the steps at v = 60 | 61 and 600 | 601.
    const std::pair<double, double> cases[] = {{0, 10},     {339.9, 10},  {340, 20},     {2040, 70},
                                               {2074, 100}, {20400, 700}, {20434, 1000}, {1e12, 29411765000}};
    for (const auto& [size, spacing] : cases) EXPECT_EQ(gridSpacing(size), spacing) << size;
}

TEST(DxfEntities, PointInsertWithItsThreeLabels) {
    SurveyPoint p;
    p.number = 12;
    p.easting = 6000;
    p.northing = 5000;
    p.elevation = 100.0004;
    setDescription(p, "PK NAIL");
    std::string out;
    dxfPointInsert(out, p, 20);
    EXPECT_EQ(out,
              "  0\nINSERT\n  8\nSurvPnts\n 66\n     1\n  2\nPOINT\n 10\n6000\n 20\n5000\n 30\n0\n"
              " 41\n20.0\n 42\n20.0\n 43\n20.0\n"
              "  0\nATTRIB\n  8\nELEV\n 10\n6001.714\n 20\n4999.42\n 30\n0\n 40\n1.2\n  1\n100.0004\n"
              "  7\nROMANS\n  2\nELEV\n 70\n     0\n"
              "  0\nATTRIB\n  8\nPNTS\n 10\n6001.714\n 20\n5001.232\n 30\n0\n 40\n1.2\n  1\n12\n"
              "  7\nROMANS\n  2\nPOINT\n 70\n     0\n"
              "  0\nATTRIB\n  8\nDESC\n 10\n6001.714\n 20\n4997.556\n 30\n0\n 40\n1.2\n  1\nPK NAIL\n"
              "  7\nROMANS\n  2\nDESC\n 70\n     0\n"
              "  0\nSEQEND\n");

    setDescription(p, "two\nlines");  // a line break would shift every group after it
    out.clear();
    dxfPointInsert(out, p, 20);
    EXPECT_NE(out.find("  1\ntwo lines\n"), std::string::npos);
}

TEST(DxfEntities, PolylineTextLineAndFace) {
    std::string out;
    const Vec3 pts[] = {{1, 2, 3}, {4.5, 5, 3}};
    dxfPolyline(out, pts, "Cont-Mnr", 3);
    EXPECT_EQ(out,
              "  0\nPOLYLINE\n  8\nCont-Mnr\n 66\n  1\n 10\n0.0\n 20\n0.0\n 30\n3\n"
              "0\nVERTEX\n  8\nCont-Mnr\n 10\n1.000000\n 20\n2.000000\n 30\n3.000000\n"
              "0\nVERTEX\n  8\nCont-Mnr\n 10\n4.500000\n 20\n5.000000\n 30\n3.000000\n"
              "  0\nSEQEND\n");

    out.clear();
    dxfText(out, "105", 1.5, -2.25, 105, 1, std::numbers::pi / 2, 0, "ROMANS", "Cont-Mjr", DxfAlignAlong::Centre,
            DxfAlignAcross::Middle);
    EXPECT_EQ(out,
              "0\nTEXT\n  8\nCont-Mjr\n 10\n1.500000\n 20\n-2.250000\n 30\n105.000000\n 40\n1.000000\n"
              " 50\n90.000000\n  1\n105\n 51\n0.000000\n  7\nROMANS\n 72\n1\n 73\n2\n"
              " 11\n1.500000\n 21\n-2.250000\n 31\n105.000000\n");

    out.clear();
    dxfLine(out, "BREAKLINE", 6000, 5000, 100.5, 6000.25, 5010, -1);
    EXPECT_EQ(out,
              "  0\nLINE\n  8\nBREAKLINE\n 10\n6000.000000\n 20\n5000.000000\n 30\n100.500000\n"
              " 11\n6000.250000\n 21\n5010.000000\n 31\n-1.000000\n");

    out.clear();
    dxf3dFace(out, {6000, 5000, 100.0004}, {6010.25, 5000, 99.9999}, {6000, 5010, -5.0004});
    EXPECT_EQ(out,
              "0\n3DFACE\n8\nSURFACE\n 10\n6000\n 20\n5000\n 30\n100.0004\n 11\n6010.25\n 21\n5000\n 31\n99.9999\n"
              " 12\n6000\n 22\n5010\n 32\n-5.0004\n 13\n6000\n 23\n5010\n 33\n-5.0004\n");
}

TEST(DxfWriter, FixedSectionsAlwaysAndNoLineFeedAfterEof) {
    ASSERT_FALSE(kFixedSections.empty());
    SiteDocument m;
    EXPECT_EQ(written([&](std::FILE* f) { return writeDxf(f, m, {.points = true}); }),
              kFixedSections + "  0\nENDSEC\n  0\nEOF");

    addPoint(m, 1, 6000, 5000, 100.5, "A");
    addPoint(m, 2, 6000, 5010, 101, "B");
    m.breaklines.pairs = {{0, 1}, {1, 7}};  // the second names no point and is left out
    EXPECT_EQ(written([&](std::FILE* f) { return writeDxf(f, m, {.breaklines = true}); }),
              kFixedSections +
                  "  0\nLINE\n  8\nBREAKLINE\n 10\n6000.000000\n 20\n5000.000000\n 30\n100.500000\n"
                  " 11\n6000.000000\n 21\n5010.000000\n 31\n101.000000\n"
                  "  0\nENDSEC\n  0\nEOF");
}

TEST(DxfWriter, MajorContoursCarryTheirLevel) {
    SiteDocument m;  // site size 1: labels 1 unit high
    const std::vector<ExportPolyline> contours = {
        {104, false, {{0, 0, 104}, {2, 0, 104}}},
        {105, true, {{0, 0, 105}, {2, 0, 105}, {0, -2, 105}}},
    };
    const std::string text =
        written([&](std::FILE* f) { return writeDxf(f, m, {.contours = true}, contours); });
    const std::string labels = text.substr(text.find("0\nTEXT\n"));
    EXPECT_EQ(labels,
              "0\nTEXT\n  8\nCont-Mjr\n 10\n1.000000\n 20\n0.000000\n 30\n105.000000\n 40\n1.000000\n"
              " 50\n0.000000\n  1\n105\n 51\n0.000000\n  7\nROMANS\n 72\n1\n 73\n2\n"
              " 11\n1.000000\n 21\n0.000000\n 31\n105.000000\n"
              "0\nTEXT\n  8\nCont-Mjr\n 10\n1.000000\n 20\n-1.000000\n 30\n105.000000\n 40\n1.000000\n"
              " 50\n45.000000\n  1\n105\n 51\n0.000000\n  7\nROMANS\n 72\n1\n 73\n2\n"
              " 11\n1.000000\n 21\n-1.000000\n 31\n105.000000\n"
              "  0\nENDSEC\n  0\nEOF");
    EXPECT_LT(text.find("Cont-Mnr\n 66"), text.find("Cont-Mjr\n 66"));  // level order kept
}

TEST(ContourLabels, OpenAtBothEndsClosedOnceAlwaysUpright) {
    const std::vector<Vec3> closed = {{0, 0, 1}, {4, 0, 1}, {4, 1, 1}, {0, 1, 1}, {0, 0, 1}};
    const auto onClosed = placeContourLabels(closed);
    ASSERT_EQ(onClosed.size(), 1u);
    EXPECT_DOUBLE_EQ(onClosed[0].anchor.x, 2);  // the longest side

    EXPECT_EQ(placeContourLabels(std::vector<Vec3>{{0, 0, 1}, {1, 1, 1}}).size(), 1u);
    EXPECT_TRUE(placeContourLabels(std::vector<Vec3>{{0, 0, 1}}).empty());

    for (int degrees = 0; degrees < 360; degrees += 15) {
        const double a = degrees * std::numbers::pi / 180;
        const std::vector<Vec3> line = {{0, 0, 1}, {std::cos(a), std::sin(a), 1}, {2 * std::cos(a), 0, 1}};
        for (const ContourLabel& label : placeContourLabels(line)) {
            EXPECT_GE(label.rotation, 0);
            EXPECT_LT(label.rotation, 2 * std::numbers::pi);
            EXPECT_GT(std::cos(label.rotation), -1e-9) << degrees;  // never upside down
        }
    }
}

using testing::addTriangle;

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

// Three points and a face with millimetres in every coordinate and elevation.
void makeMillimetreSite(SiteDocument& m) {
    addPoint(m, 1, 512310.001, 5427916.0005, -3.0001, "MM");
    addPoint(m, 2, 512310, 5427916, 0.0005, "WHOLE");
    addPoint(m, 3, 512311.999, 5427917, 152.999, "");
    addTriangle(m, 0, 1, 2);
}

// Millimetres in every coordinate, elevation and level are written as they are.
TEST(LandXmlWriter, MillimetresAreKept) {
    SiteDocument m;
    makeMillimetreSite(m);
    m.breaklines.pairs = {{0, 2}};
    const std::vector<ExportPolyline> contours = {{0.001, false, {{512310.0015, 5427916.25, 0.001}, {512311, 5427916.9995, 0.001}}}};
    EXPECT_EQ(written([&](std::FILE* f) { return writeLandXml(f, m, {false, true, true, true}, contours); }),
              "<?xml version=\"1.0\"?>\n<LandXML version=\"1.0\">\n\t<Units>\n\t\t<Imperial>\n\t\t</Imperial>\n\t</Units>\n"
              "\t<CgPoints>\n"
              "\t\t<CgPoint name=\"1\" desc=\"MM\">5427916.0005 512310.001 -3.0001</CgPoint>\n"
              "\t\t<CgPoint name=\"2\" desc=\"WHOLE\">5427916 512310 0.0005</CgPoint>\n"
              "\t\t<CgPoint name=\"3\" desc=\"\">5427917 512311.999 152.999</CgPoint>\n"
              "\t</CgPoints>\n"
              "\t<Surfaces>\n\t\t<Surface name=\"exist\">\n"
              "\t\t\t<SourceData>\n\t\t\t\t<Breaklines>\n"
              "\t\t\t\t\t<Breakline brkType=\"standard\">\n"
              "\t\t\t\t\t\t<PntList3D>5427916.0005 512310.001 -3.0001 5427917 512311.999 152.999</PntList3D>\n"
              "\t\t\t\t\t</Breakline>\n"
              "\t\t\t\t</Breaklines>\n\t\t\t</SourceData>\n"
              "\t\t\t<Definition surfType=\"TIN\">\n\t\t\t\t<Pnts>\n"
              "\t\t\t\t\t<P id=\"1\">5427916.0005 512310.001 -3.0001</P>\n"
              "\t\t\t\t\t<P id=\"2\">5427916 512310 0.0005</P>\n"
              "\t\t\t\t\t<P id=\"3\">5427917 512311.999 152.999</P>\n"
              "\t\t\t\t</Pnts>\n\t\t\t\t<Faces>\n"
              "\t\t\t\t\t<F>1 2 3</F>\n"
              "\t\t\t\t</Faces>\n\t\t\t</Definition>\n"
              "\t\t\t<Contours>\n"
              "\t\t\t\t<Contour elev=\"0.001\">5427916.25 512310.0015 5427916.9995 512311 </Contour>\n"
              "\t\t\t</Contours>\n"
              "\t\t</Surface>\n\t</Surfaces>\n</LandXML>\n");
}

// The same millimetres in a DXF drawing's faces and point labels.
TEST(DxfWriter, MillimetresAreKept) {
    SiteDocument m;
    makeMillimetreSite(m);
    const std::string faces = written([&](std::FILE* f) { return writeDxf(f, m, {.surface = true}); });
    EXPECT_EQ(faces.substr(kFixedSections.size()),
              "0\n3DFACE\n8\nSURFACE\n 10\n512310.001\n 20\n5427916.0005\n 30\n-3.0001\n"
              " 11\n512310\n 21\n5427916\n 31\n0.0005\n"
              " 12\n512311.999\n 22\n5427917\n 32\n152.999\n"
              " 13\n512311.999\n 23\n5427917\n 33\n152.999\n"
              "  0\nENDSEC\n  0\nEOF");
    const std::string points = written([&](std::FILE* f) { return writeDxf(f, m, {.points = true}); });
    EXPECT_NE(points.find(" 10\n512310.001\n 20\n5427916.0005\n"), std::string::npos);
    EXPECT_NE(points.find("ELEV\n 10\n"), std::string::npos);
    EXPECT_NE(points.find("  1\n-3.0001\n"), std::string::npos);
    EXPECT_NE(points.find("  1\n0.0005\n"), std::string::npos);
}

// Units as the site's system has them; an unknown one keeps the empty
// Imperial the files have always had.
TEST(LandXmlWriter, UnitsFollowTheSitesCoordinateSystem) {
    const std::string metric =
        "\t\t<Metric areaUnit=\"squareMeter\" linearUnit=\"meter\" volumeUnit=\"cubicMeter\" "
        "temperatureUnit=\"celsius\" pressureUnit=\"milliBars\"/>\n";
    const auto imperial = [](const char* foot) {
        return std::string("\t\t<Imperial areaUnit=\"squareFoot\" linearUnit=\"") + foot +
               "\" volumeUnit=\"cubicFeet\" temperatureUnit=\"fahrenheit\" pressureUnit=\"inHG\"/>\n";
    };
    const std::string unknown = "\t\t<Imperial>\n\t\t</Imperial>\n";
    const struct {
        const char* system;
        std::string units;
    } cases[] = {
        {"EPSG:32633", metric},                      // WGS 84 / UTM zone 33N
        {"EPSG:7405", metric},                       // British National Grid + ODN height
        {"EPSG:2227", imperial("USSurveyFoot")},     // California zone 3 (ftUS)
        {"EPSG:2222", imperial("foot")},             // Arizona East (ft), international feet
        {"LOCAL_CS[\"site grid\",UNIT[\"US survey foot\",0.304800609601219]]", imperial("USSurveyFoot")},
        {"EPSG:4326", unknown},                      // degrees
        {"EPSG:29871", unknown},                     // Borneo RSO in Sears chains
        {"", unknown},
        {"not a system", unknown},
    };
    for (const auto& c : cases) {
        SiteDocument m;
        addPoint(m, 1, 6000, 5000, 100.5, "A");
        m.coordinateSystem = c.system;
        const std::string text = written([&](std::FILE* f) { return writeLandXml(f, m, {}); });
        EXPECT_EQ(text.substr(0, text.find("\t</Units>")),
                  "<?xml version=\"1.0\"?>\n<LandXML version=\"1.0\">\n\t<Units>\n" + c.units)
            << c.system;
    }
}

TEST(XmlDescription, EveryParserAcceptsIt) {
    std::string out;
    appendXmlDescription(out, "a\"b&<c>\x01\td");
    EXPECT_EQ(out, "ab&amp;&lt;c&gt;\td");
    out.clear();
    // A Windows-1252 degree sign and curly quotes, UTF-8, a surrogate, a cut sequence.
    appendXmlDescription(out, "\xB0 \x93N\x94 \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xED\xA0\x80 \xC3");
    EXPECT_EQ(out, "\xC2\xB0 \xE2\x80\x9CN\xE2\x80\x9D \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 "
                   "\xC3\xAD\xC2\xA0\xE2\x82\xAC \xC3\x83");
    // The non-characters U+FFFE and U+FFFF are left out of the XML.
    out.clear();
    appendXmlDescription(out, "a\xEF\xBF\xBE" "b\xEF\xBF\xBF" "c\xEF\xBF\xBD" "d");  // U+FFFD is allowed
    EXPECT_EQ(out, "abc\xEF\xBF\xBD" "d");
}

TEST(PointWriter, ExactLinesInBothOrdersUnaffectedByLocale) {
    SiteDocument m;
    addPoint(m, 12, 6000, 5000, 100.5, "TREE");
    addPoint(m, -3, -1.5, 0.0000004, 0.0005, "");
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr) << "de_DE.UTF-8 missing: run scripts/bootstrap.sh";
    auto pointText = [&] { return written([&](std::FILE* f) { return writePointFile(f, m); }); };
    m.pointFileFormat = PointFileFormat::PNEZD;
    EXPECT_EQ(pointText(), "12,5000.000000,6000.000000,100.500,TREE\r\n-3,0.000000,-1.500000,0.001,\r\n");
    m.pointFileFormat = PointFileFormat::PENZD;
    EXPECT_EQ(pointText(), "12,6000.000000,5000.000000,100.500,TREE\r\n-3,-1.500000,0.000000,0.001,\r\n");
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace
}  // namespace vellacor
