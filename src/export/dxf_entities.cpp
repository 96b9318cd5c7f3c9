#include "export/dxf_entities.h"

#include <cmath>

#include "export/number_format.h"

namespace vellacor {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;

void appendCoordinateLine(std::string& out, std::string_view code, double value) {
    out += code;
    appendSixDecimals(out, value);
    out += '\n';
}

// A line break inside a value would end the group early and shift every
// group after it, so descriptions travel on one line.
void appendSingleLine(std::string& out, std::string_view text) {
    for (char c : text) out += (c == '\n' || c == '\r') ? ' ' : c;
}

}  // namespace

void dxfLine(std::string& out, std::string_view layer, double x1, double y1, double z1, double x2, double y2,
             double z2) {
    out += "  0\nLINE\n  8\n";
    out += layer;
    out += '\n';
    appendCoordinateLine(out, " 10\n", x1);
    appendCoordinateLine(out, " 20\n", y1);
    appendCoordinateLine(out, " 30\n", z1);
    appendCoordinateLine(out, " 11\n", x2);
    appendCoordinateLine(out, " 21\n", y2);
    appendCoordinateLine(out, " 31\n", z2);
}

void dxfText(std::string& out, std::string_view text, double x, double y, double z, double height, double rotation,
             double oblique, std::string_view style, std::string_view layer, DxfAlignAlong along,
             DxfAlignAcross across) {
    out += "0\nTEXT\n  8\n";
    out += layer;
    out += "\n 10\n";
    appendSixDecimals(out, x);
    out += "\n 20\n";
    appendSixDecimals(out, y);
    out += "\n 30\n";
    appendSixDecimals(out, z);
    out += "\n 40\n";
    appendSixDecimals(out, height);
    out += "\n 50\n";
    appendSixDecimals(out, rotation * kDegreesPerRadian);
    out += "\n  1\n";
    appendSingleLine(out, text);
    out += "\n 51\n";
    appendSixDecimals(out, oblique);
    out += "\n  7\n";
    out += style;
    out += "\n 72\n";
    appendWholeNumber(out, static_cast<int>(along));
    out += "\n 73\n";
    appendWholeNumber(out, static_cast<int>(across));
    out += "\n 11\n";
    appendSixDecimals(out, x);
    out += "\n 21\n";
    appendSixDecimals(out, y);
    out += "\n 31\n";
    appendSixDecimals(out, z);
    out += '\n';
}

void dxfPolyline(std::string& out, std::span<const Vec3> points, std::string_view layer, double elevation) {
    out += "  0\nPOLYLINE\n  8\n";
    out += layer;
    out += "\n 66\n  1\n 10\n0.0\n 20\n0.0\n 30\n";
    appendFormattedNumber(out, elevation);
    out += '\n';
    for (const Vec3& p : points) {
        out += "0\nVERTEX\n  8\n";
        out += layer;
        out += '\n';
        appendCoordinateLine(out, " 10\n", p.x);
        appendCoordinateLine(out, " 20\n", p.y);
        appendCoordinateLine(out, " 30\n", p.z);
    }
    out += "  0\nSEQEND\n";
}

void dxf3dFace(std::string& out, const Vec3& a, const Vec3& b, const Vec3& c) {
    static constexpr std::string_view codes[4][3] = {
        {"\n 10\n", "\n 20\n", "\n 30\n"},
        {"\n 11\n", "\n 21\n", "\n 31\n"},
        {"\n 12\n", "\n 22\n", "\n 32\n"},
        {"\n 13\n", "\n 23\n", "\n 33\n"},
    };
    const Vec3* corners[4] = {&a, &b, &c, &c};
    out += "0\n3DFACE\n8\nSURFACE";
    for (int k = 0; k < 4; ++k) {
        out += codes[k][0];
        appendFormattedNumber(out, corners[k]->x);
        out += codes[k][1];
        appendFormattedNumber(out, corners[k]->y);
        out += codes[k][2];
        appendFormattedNumber(out, corners[k]->z);
    }
    out += '\n';
}

double gridSpacing(double siteSize) {
    // Whole-number arithmetic done in doubles so that no site size overflows.
    const double v = std::trunc(std::trunc(siteSize) / 34);
    if (v > 600) return (std::trunc(v / 1000) + 1) * 1000;
    if (v > 60) return (std::trunc(v / 100) + 1) * 100;
    return (std::trunc(v / 10) + 1) * 10;
}

void dxfPointInsert(std::string& out, const SurveyPoint& point, double spacing) {
    const double e = point.easting, n = point.northing;
    const double labelE = e + 0.0857 * spacing;
    auto attribute = [&](std::string_view layer, double labelN, auto&& writeValue, std::string_view tag) {
        out += "  0\nATTRIB\n  8\n";
        out += layer;
        out += "\n 10\n";
        appendFormattedNumber(out, labelE);
        out += "\n 20\n";
        appendFormattedNumber(out, labelN);
        out += "\n 30\n0\n 40\n";
        appendFormattedNumber(out, spacing * 0.1 * 0.6);
        out += "\n  1\n";
        writeValue();
        out += "\n  7\nROMANS\n  2\n";
        out += tag;
        out += "\n 70\n     0\n";
    };

    out += "  0\nINSERT\n  8\nSurvPnts\n 66\n     1\n  2\nPOINT\n 10\n";
    appendFormattedNumber(out, e);
    out += "\n 20\n";
    appendFormattedNumber(out, n);
    // The insertion point lies at z 0; the elevation travels in the ELEV attribute.
    out += "\n 30\n0\n 41\n20.0\n 42\n20.0\n 43\n20.0\n";
    attribute("ELEV", n - 0.029 * spacing, [&] { appendFormattedNumber(out, point.elevation); }, "ELEV");
    attribute("PNTS", n + 0.0616 * spacing, [&] { appendWholeNumber(out, point.number); }, "POINT");
    attribute("DESC", n - 0.1222 * spacing, [&] { appendSingleLine(out, descriptionOf(point)); }, "DESC");
    out += "  0\nSEQEND\n";
}

}  // namespace vellacor
