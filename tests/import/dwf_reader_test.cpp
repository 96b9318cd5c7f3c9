#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "import/dwf_reader.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

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
        for (int i = 0; i < n; ++i) text += " " + std::to_string(i * 10) + "," + std::to_string(i % 2 * 7 + i);
        for (int i = 0; i + 2 < n; ++i) {
            CadLine t;
            for (int k : {i, i + 1, i + 2, i}) t.vertices.push_back({k * 10.0, k % 2 * 7.0 + k, 0});
            triangles.push_back(t);
        }
        const auto lines = readDwfText(text);
        ASSERT_TRUE(lines && lines->size() == 1u) << n;
        EXPECT_EQ(edgesOf(*lines), edgesOf(triangles)) << n;
        EXPECT_LE((*lines)[0].vertices.size(), 2u * n + 1) << n;
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
