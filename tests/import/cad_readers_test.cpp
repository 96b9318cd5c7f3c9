// The drawings read from other CAD programs: DXF and DWF.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "import/dwf_reader.h"
#include "import/dxf_reader.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

std::string entities(const std::string& body) { return "  0\nSECTION\n  2\nENTITIES\n" + body + "  0\nENDSEC\n  0\nEOF\n"; }

DxfDrawing read(const std::string& text, bool points = true) {
    std::optional<DxfDrawing> d = readDxfText(text, points);
    EXPECT_TRUE(d.has_value());
    return d ? *d : DxfDrawing{};
}

// What each real drawing from other programs yields as a document.
TEST(DxfReader, RealDrawingsYieldTheirPointsAndLines) {
    struct Expect {
        const char* file;
        std::size_t points, pointEntries, lines;
    };
    const Expect expected[] = {
        {"Leica_Disto_S910.dxf", 11, 11, 10},  // group codes without their spaces
        {"cc_dxflib.dxf", 0, 0, 1},            // one 3D polyline
        {"POLI-ALL210_12.DXF", 0, 0, 30},      // 2D polylines; the 3DFACE is not line work
        {"AC1003_LINE_Example.dxf", 0, 0, 22}, // 13 lines and 9 arcs
        {"ASCII_R12.dxf", 0, 0, 2},            // the INSERT names another block than POINT
        {"attrib.dxf", 0, 0, 0},               // only INSERTs of a block with attributes
    };
    for (const Expect& e : expected) {
        const std::string path = testing::sharedData(std::string("dxf/") + e.file);
        if (path.empty()) GTEST_SKIP() << "no shared data folder beside the project";
        const DxfFileRead read = readDxfFile(path, true);
        ASSERT_TRUE(read.drawing) << e.file;
        const DxfDrawing& d = *read.drawing;
        std::size_t pointEntries = 0, lines = 0;
        for (const CadLine& l : d.lines) (l.colour == kCadPointColour ? pointEntries : lines) += 1;
        EXPECT_EQ(d.points.size(), e.points) << e.file;
        EXPECT_EQ(pointEntries, e.pointEntries) << e.file;
        EXPECT_EQ(lines, e.lines) << e.file;
        EXPECT_TRUE(read.diagnostics.messages.empty()) << e.file;
    }

    const std::optional<DxfDrawing> d = readDxfFile(testing::sharedData("dxf/Leica_Disto_S910.dxf"), true).drawing;
    ASSERT_TRUE(d);
    EXPECT_EQ(descriptionOf(d->points[0]), "point");
    EXPECT_EQ(d->points[0].number, 1);
    EXPECT_EQ(d->points[10].number, 11);
    EXPECT_LT(d->points[1].elevation, 0.0);  // the meter writes points below its own height

    const std::optional<DxfDrawing> ring = readDxfFile(testing::sharedData("dxf/cc_dxflib.dxf"), true).drawing;
    ASSERT_TRUE(ring);
    ASSERT_EQ(ring->lines.size(), 1u);
    EXPECT_EQ(ring->lines[0].vertices.size(), 5u);
}

TEST(DxfReader, BinaryDrawingsAreRefusedWithTheMessage) {
    for (const char* file : {"dxf/bin_dxf_r12.dxf", "dxf/tinytin-bin.dxf"}) {
        const std::string path = testing::sharedData(file);
        if (path.empty()) GTEST_SKIP() << "no shared data folder beside the project";
        const DxfFileRead read = readDxfFile(path, true);
        EXPECT_FALSE(read.drawing);
        EXPECT_EQ(read.diagnostics.messages, std::vector<std::string>{kNotAsciiDxfMessage});
    }
    const DxfFileRead missing = readDxfFile("/no/such/file.dxf", true);
    EXPECT_FALSE(missing.drawing);
    EXPECT_TRUE(missing.diagnostics.messages.empty());  // a file that cannot be opened fails silently
}

TEST(DxfReader, GroupCodesWithOrWithoutSpacesAndCrLf) {
    const std::string spaced = entities("  0\nPOINT\n  8\n0\n 10\n1.5\n 20\n2.5\n 30\n3.5\n");
    std::string bare = "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\npoint\r\n10\r\n1.5\r\n20\r\n2.5\r\n30\r\n3.5\r\n0\r\nENDSEC\r\n";
    for (const std::string& text : {spaced, bare}) {
        const DxfDrawing d = read(text);
        ASSERT_EQ(d.points.size(), 1u);
        EXPECT_EQ(d.points[0].easting, 1.5);
        EXPECT_EQ(d.points[0].northing, 2.5);
        EXPECT_EQ(d.points[0].elevation, 3.5);
        ASSERT_EQ(d.lines.size(), 1u);
        EXPECT_EQ(d.lines[0].colour, kCadPointColour);
    }
}

TEST(DxfReader, SurveyPointInsertsAndCivilPoints) {
    const std::string text = entities(
        "  0\nINSERT\n  8\nSurvPnts\n 66\n 1\n  2\nPOINT\n 10\n100\n 20\n200\n 30\n0\n"
        "  0\nATTRIB\n  8\nELEV\n 10\n999\n 20\n999\n  1\n12.5\n"
        "  0\nATTRIB\n  8\nPNTS\n 10\n999\n 20\n999\n  1\n42\n"
        "  0\nATTRIB\n  8\nOTHER\n 10\n777\n 20\n777\n  1\nignored\n"
        "  0\nATTRIB\n  8\nDESC\n  1\nTOP CURB\n  0\nSEQEND\n"
        "  0\nINSERT\n  2\nTREE\n 10\n1\n 20\n1\n  0\nATTRIB\n  8\nELEV\n  1\n5\n  0\nSEQEND\n"
        "  0\nTEXT\n 10\n1\n 20\n1\n  1\nlabel\n"
        "  0\nAECC_POINT\n 10\n7\n 20\n8\n 31\n9\n 90\n17\n303\nMH RIM\n");
    const DxfDrawing d = read(text);
    ASSERT_EQ(d.points.size(), 2u);
    EXPECT_EQ(d.points[0].easting, 100);  // the attributes' own positions do not move the point
    EXPECT_EQ(d.points[0].northing, 200);
    EXPECT_EQ(d.points[0].elevation, 12.5);
    EXPECT_EQ(d.points[0].number, 42);
    EXPECT_EQ(descriptionOf(d.points[0]), "TOP CURB");
    EXPECT_EQ(d.points[1].number, 17);
    EXPECT_EQ(d.points[1].elevation, 9);
    EXPECT_EQ(descriptionOf(d.points[1]), "MH RIM");
    EXPECT_TRUE(d.lines.empty());
    EXPECT_TRUE(read(text, false).points.empty());
}

double planDistance(const Vec3& a, double x, double y) { return std::hypot(a.x - x, a.y - y); }

TEST(DxfReader, PolylinesArcsAndCirclesBecomeStraightPieces) {
    const DxfDrawing d = read(entities(
        // A closed square, elevation 38, its first side bulged into a half circle.
        "  0\nLWPOLYLINE\n 90\n4\n 70\n1\n 38\n12\n 10\n0\n 20\n0\n 42\n1\n 10\n10\n 20\n0\n 10\n10\n 20\n10\n 10\n0\n 20\n10\n"
        "  0\nARC\n 10\n0\n 20\n0\n 30\n4\n 40\n5\n 50\n0\n 51\n90\n"
        "  0\nCIRCLE\n 10\n1\n 20\n2\n 40\n3\n"
        "  0\nPOLYLINE\n 70\n1\n 30\n7\n  0\nVERTEX\n 10\n0\n 20\n0\n  0\nVERTEX\n 10\n1\n 20\n0\n"
        "  0\nVERTEX\n 10\n1\n 20\n1\n 30\n8\n  0\nSEQEND\n"));
    ASSERT_EQ(d.lines.size(), 4u);
    const std::vector<Vec3>& square = d.lines[0].vertices;
    ASSERT_EQ(square.size(), 1u + 25u + 3u);  // half a turn is 25 pieces; closed back to the start
    for (const Vec3& v : square) EXPECT_EQ(v.z, 12);
    EXPECT_NEAR(planDistance(square[13], 5, 0), 5.0, 1e-9);  // on the half circle over the first side
    EXPECT_LT(square[13].y, 0.0);                           // a positive bulge turns counter-clockwise
    EXPECT_EQ(square.back().x, 0);
    EXPECT_EQ(square.back().y, 0);

    const std::vector<Vec3>& arc = d.lines[1].vertices;
    ASSERT_EQ(arc.size(), 14u);  // a quarter turn: 12.5 pieces, rounded up
    EXPECT_NEAR(arc.front().x, 5, 1e-9);
    EXPECT_NEAR(arc.back().y, 5, 1e-9);
    for (const Vec3& v : arc) EXPECT_NEAR(planDistance(v, 0, 0), 5.0, 1e-9);

    const std::vector<Vec3>& circle = d.lines[2].vertices;
    ASSERT_EQ(circle.size(), 50u);
    EXPECT_EQ(circle.front().x, circle.back().x);
    EXPECT_EQ(circle.front().y, circle.back().y);
    EXPECT_EQ(circle[10].z, 0.0);

    const std::vector<Vec3>& poly = d.lines[3].vertices;
    ASSERT_EQ(poly.size(), 4u);
    EXPECT_EQ(poly[0].z, 7);  // a vertex without its own elevation takes the polyline's
    EXPECT_EQ(poly[2].z, 8);
}

TEST(DxfReader, HostileCountsAndNumbersStayBounded) {
    // A vertex count of two thousand million over two vertices, absurd bulges,
    // NaN and huge coordinates, a lone code without its value at the end.
    std::string body = "  0\nLWPOLYLINE\n 90\n2000000000\n 10\n0\n 20\n0\n 42\n1e300\n 10\n1\n 20\n0\n";
    body += "  0\nLINE\n 10\nnan\n 20\n0\n 11\n1\n 21\n1\n";
    body += "  0\nLINE\n 10\n1e300\n 20\n0\n 11\n1\n 21\n1\n";
    body += "  0\nCIRCLE\n 10\n0\n 20\n0\n 40\n-3\n";
    body += "  0\nPOINT\n 10\n1\n";  // no northing: not a point
    std::string many;
    for (int i = 0; i < 50000; ++i) many += " 10\n" + std::to_string(i) + "\n 20\n0\n 42\n1e6\n";
    const std::string text = "  0\nSECTION\n  2\nENTITIES\n" + body + "  0\nLWPOLYLINE\n" + many + " 10";
    const DxfDrawing d = read(text);
    ASSERT_GE(d.lines.size(), 2u);
    EXPECT_EQ(d.lines[0].vertices.size(), 2u);  // a bulge of a whole turn over a chord: no circle fits
    EXPECT_TRUE(d.points.empty());
    std::size_t vertices = 0;
    for (const CadLine& l : d.lines) {
        vertices += l.vertices.size();
        for (const Vec3& v : l.vertices) EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y));
    }
    // 50,000 near full turns would be 2.5 million vertices; the arcs' budget
    // keeps them to about one a byte of the file.
    EXPECT_LE(vertices, 50000u + 100u + text.size());
    EXPECT_FALSE(readDxfText("no sections here\n", true).has_value());
}

TEST(DxfReader, FacesAreReadForADocumentOnly) {
    const std::string text = entities(
        "  0\n3DFACE\n 10\n0\n 20\n0\n 30\n1\n 11\n1\n 21\n0\n 31\n2\n 12\n1\n 22\n1\n 32\n3\n"
        " 13\n0\n 23\n1\n 33\n4\n"                                             // four sides: two triangles
        "  0\n3DFACE\n 10\n5\n 20\n5\n 11\n6\n 21\n5\n 12\n6\n 22\n6\n"        // no z, no fourth corner
        "  0\n3DFACE\n 10\n5\n 20\n5\n 11\n6\n 21\n5\n"                        // a corner missing
        "  0\n3DFACE\n 10\nnan\n 20\n5\n 11\n6\n 21\n5\n 12\n6\n 22\n6\n"      // not a number
        "  0\n3DFACE\n 10\n1e300\n 20\n5\n 11\n6\n 21\n5\n 12\n6\n 22\n6\n");  // too far out
    const DxfDrawing d = read(text);
    ASSERT_EQ(d.faces.size(), 3u);
    EXPECT_EQ(d.faces[1][0].x, 0);
    EXPECT_EQ(d.faces[1][1].z, 3);
    EXPECT_EQ(d.faces[1][2].z, 4);
    EXPECT_EQ(d.faces[2][2].y, 6);
    EXPECT_EQ(d.faces[2][2].z, 0);
    EXPECT_TRUE(d.lines.empty());  // faces are no line work
    EXPECT_TRUE(read(text, false).faces.empty());
}

TEST(DwfReader, OpcodesBecomeEntriesInTheirColours) {
    const auto lines = readDwfText(
        "(DWF V00.30)(Extended (nested L 1,1 2,2) opcode)"
        "L 0,0 10,0"          // colour 7 to start with
        "C 7 P 3 0,0 5,5 10,0"  // index 7 is not in the table: 16
        "C 190 R 100,100 10"  // a circle in colour 1
        "C 15 T 3 0,0 4,0 0,4"
        "T 4 0,0 1,0 0,1 1,1"  // a strip of two triangles
        "C 999 M 2 1,1 2,2");
    ASSERT_TRUE(lines.has_value());
    ASSERT_EQ(lines->size(), 6u);
    EXPECT_EQ((*lines)[0].colour, 7);
    EXPECT_EQ((*lines)[0].vertices.size(), 2u);
    EXPECT_EQ((*lines)[1].colour, 16);
    EXPECT_EQ((*lines)[1].vertices.size(), 3u);
    const CadLine& circle = (*lines)[2];
    EXPECT_EQ(circle.colour, 1);
    ASSERT_EQ(circle.vertices.size(), 51u);
    EXPECT_EQ(circle.vertices.front().x, circle.vertices.back().x);
    EXPECT_DOUBLE_EQ(circle.vertices[0].x, 110.0);
    const CadLine& triangle = (*lines)[3];
    EXPECT_EQ(triangle.colour, 5);
    ASSERT_EQ(triangle.vertices.size(), 4u);
    EXPECT_EQ(triangle.vertices[3].y, triangle.vertices[0].y);
    EXPECT_EQ((*lines)[4].vertices.size(), 7u);  // one line over the strip's five edges
    EXPECT_EQ((*lines)[5].colour, 16);
    for (const CadLine& l : *lines)
        for (const Vec3& v : l.vertices) EXPECT_EQ(v.z, 0.0);
}

TEST(DwfReader, ColourTableAndTheBareColourOpcode) {
    EXPECT_EQ(dwfColour(40), 3);
    EXPECT_EQ(dwfColour(240), 9);
    EXPECT_EQ(dwfColour(7), 16);
    const auto lines = readDwfText("(h)C\nL 0,0 1,1");
    ASSERT_TRUE(lines && lines->size() == 1u);
    EXPECT_EQ((*lines)[0].colour, 16);  // a colour opcode without its index turns 7 into 16
}

TEST(DwfReader, RefusesWhatIsNotAsciiAndBoundsHostileCounts) {
    EXPECT_FALSE(readDwfText("").has_value());
    EXPECT_FALSE(readDwfText(std::string("\x00\x01(DWF", 6)).has_value());
    testing::TempDir dir;
    const DwfFileRead binary = readDwfFile(dir.write("b.dwf", "BINARY"));
    EXPECT_FALSE(binary.lines.has_value());
    EXPECT_EQ(binary.diagnostics.messages, std::vector<std::string>{kNotAsciiDwfMessage});

    // Counts far beyond the pairs that follow, a truncated circle, numbers too long for a long.
    const auto lines = readDwfText("(h)P 2000000000000 1,1 2,2 T 99999999999 3,3 R 5,5 P 2 99999999999999999999999,1 2,2");
    ASSERT_TRUE(lines.has_value());
    ASSERT_EQ(lines->size(), 1u);  // the polyline's two pairs; the rest has too few or unreadable numbers
    EXPECT_EQ((*lines)[0].vertices.size(), 2u);
}

// The plan edges a set of lines draws, each as an ordered pair of end points.
std::set<std::pair<std::pair<double, double>, std::pair<double, double>>> edgesOf(const std::vector<CadLine>& lines) {
    std::set<std::pair<std::pair<double, double>, std::pair<double, double>>> edges;
    for (const CadLine& l : lines)
        for (std::size_t k = 1; k < l.vertices.size(); ++k) {
            std::pair a{l.vertices[k - 1].x, l.vertices[k - 1].y}, b{l.vertices[k].x, l.vertices[k].y};
            if (a != b) edges.insert(std::minmax(a, b));
        }
    return edges;
}

TEST(DwfReader, StripsDrawEveryTriangleEdgeWithinAMemoryBudget) {
    // Strips of 3 to 9 points draw exactly the edges of their triangles.
    for (int n = 3; n <= 9; ++n) {
        std::string text = "(h)T " + std::to_string(n);
        std::vector<CadLine> triangles;
        for (int i = 0; i < n; ++i) text.append(" ").append(std::to_string(i * 10)).append(",").append(std::to_string(i % 2 * 7 + i));
        for (int i = 0; i + 2 < n; ++i) {
            CadLine t;
            for (int k : {i, i + 1, i + 2, i}) t.vertices.push_back({k * 10.0, k % 2 * 7.0 + k, 0});
            triangles.push_back(t);
        }
        const auto lines = readDwfText(text);
        ASSERT_TRUE(lines && lines->size() == 1u) << n;
        EXPECT_EQ(edgesOf(*lines), edgesOf(triangles)) << n;
        EXPECT_LE((*lines)[0].vertices.size(), 2u * static_cast<unsigned>(n) + 1) << n;
    }
    // 1 MB of one strip: the lines stay within 16 bytes a byte of text.
    std::string text = "(h)T 99999999 ";
    while (text.size() < (1u << 20)) text += "1,2 3,4 ";
    const auto lines = readDwfText(text);
    ASSERT_TRUE(lines && lines->size() == 1u);
    const std::size_t kept = lines->size() * 2 * sizeof(CadLine) + 16 + (*lines)[0].vertices.capacity() * sizeof(Vec3);
    EXPECT_LE(kept, 16 * text.size());
    // Circles need 1.3 KB for 8 bytes: past the budget the drawing ends.
    std::string circles = "(h)";
    while (circles.size() < (1u << 20)) circles += "R 1,1 1 ";
    const auto rings = readDwfText(circles);
    ASSERT_TRUE(rings.has_value());
    EXPECT_LT(rings->size(), (16 * circles.size() + (std::size_t{64} << 20)) / (51 * sizeof(Vec3)));
    EXPECT_GT(rings->size(), 50000u);
}

}  // namespace
}  // namespace vellacor
