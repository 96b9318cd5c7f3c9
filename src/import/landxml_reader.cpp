#include "import/landxml_reader.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "import/mapped_file.h"
#include "import/point_matcher.h"
#include "import/xml_tag_scanner.h"
#include "model/utf8_text.h"

namespace vellacor {

namespace {

constexpr std::size_t kKeptTagErrors = 3;

bool boundaryKindOf(std::string_view type, BoundaryKind& kind);

// One surface as read between <Surface> and </Surface>.
struct SurfaceScan {
    bool definitionRead = false;  // a TIN definition was found: its points replace the site's
    std::vector<SurveyPoint> points;
    std::vector<std::array<std::int32_t, 3>> faces;  // point numbers
    std::vector<std::vector<Vec3>> breaklines;
    std::vector<SurfaceBoundary> boundaries;
};

class LandXmlReader {
public:
    LandXmlReader(std::string_view text, LandXmlReadResult& result)
        : in_(text), result_(result), pointRoom_(countClosingP(text)) {}

    // The first <CgPoints> group that holds points; an empty group before it
    // ("<CgPoints/>", a placeholder some programs write) is passed over.
    std::vector<SurveyPoint> readCgPoints() {
        std::vector<SurveyPoint> points;
        while (points.empty() && in_.nextTag(tag_)) {
            if (!tag_.is("<CgPoints>")) continue;
            if (tag_.empty) {
                result_.cgPointsCompleted = true;
                continue;
            }
            while (in_.nextTag(tag_)) {
                if (tag_.is("<CgPoint>")) {
                    readPointElement("name", "id", "</CgPoint>", points);
                } else if (tag_.is("</CgPoints>")) {
                    result_.cgPointsCompleted = true;
                    break;
                }
            }
        }
        return points;
    }

    // From the start: the first surface whose TIN definition has faces.
    void readSurfaces(std::vector<SurveyPoint>& sitePoints) {
        in_.seek(0);
        while (in_.nextTag(tag_)) {
            if (!tag_.is("<Surface>") || tag_.empty) continue;
            SurfaceScan scan = scanSurface();
            for (std::vector<Vec3>& line : scan.breaklines) result_.surface.breaklines.push_back(std::move(line));
            // The boundaries of the surface whose points are taken (of the
            // first that has any, when no surface has a TIN definition).
            if (scan.definitionRead || result_.surface.boundaries.empty())
                result_.surface.boundaries = std::move(scan.boundaries);
            if (!scan.definitionRead) continue;
            sitePoints = std::move(scan.points);
            result_.surface.triangles =
                trianglesOf(sitePoints, scan.faces, result_.surface.facesWithoutThreeCorners);
            if (!result_.surface.triangles.empty()) {
                result_.surface.trianglesMade = true;
                return;
            }
        }
    }

private:
    void expectTag(std::string_view expected) {
        const bool found = in_.nextTag(tag_);
        if (found && tag_.is(expected)) return;
        if (result_.tagErrors.size() < kKeptTagErrors)
            result_.tagErrors.push_back(tagErrorMessage(expected, found ? tag_.text() : std::string()));
        ++result_.tagErrorCount;
    }

    // After a number: its separator, unless it is the next tag's "<".
    bool readCoordinate(double& value) {
        if (!in_.readNumber(value)) return false;
        in_.skipSeparator();
        return true;
    }

    // <CgPoint> or <P>: northing, easting and, when the text goes on, elevation.
    void readPointElement(std::string_view numberName, std::string_view otherName, std::string_view closing,
                          std::vector<SurveyPoint>& points) {
        if (tag_.empty) return;
        const XmlTag opening = tag_;
        double northing = 0, easting = 0, elevation = 0;
        const bool read = readCoordinate(northing) && readCoordinate(easting);
        if (read && !readCoordinate(elevation)) elevation = 0;  // a plan point: "<" comes after the easting
        if (read && isUsableCoordinate(northing) && isUsableCoordinate(easting) && isUsableCoordinate(elevation)) {
            SurveyPoint& p = points.emplace_back();
            p.northing = northing;
            p.easting = easting;
            p.elevation = elevation;
            p.displayMark = PointMark::Ordinary;
            p.useInSurface = isValidElevation(elevation);
            const std::string_view* number = opening.attribute(numberName);
            if (!number) number = opening.attribute(otherName);
            p.number = number ? leadingInteger(*number) : 0;
            if (const std::string_view* desc = opening.attribute("desc")) setDescription(p, decodeXmlText(*desc));
        }
        expectTag(closing);
    }

    void readFace(SurfaceScan& scan) {
        if (tag_.empty) return;
        const std::string_view* invisible = tag_.attribute("i");
        std::array<std::int32_t, 3> ids{};
        bool read = true;
        for (std::int32_t& id : ids) {
            read = read && in_.readInteger(id);
            if (read) in_.skipSeparator();
        }
        if (read && !(invisible && leadingInteger(*invisible) == 1)) scan.faces.push_back(ids);
        expectTag("</F>");
    }

    // Northing, easting (and elevation for 3D) until the text stops being numbers.
    std::vector<Vec3> readPointList(bool threeD, std::size_t most = kMostBreaklineVertices) {
        std::vector<Vec3> line;
        for (;;) {
            double northing = 0, easting = 0, elevation = 0;
            if (!readCoordinate(northing) || !readCoordinate(easting) || (threeD && !readCoordinate(elevation))) break;
            if (line.size() < most && isUsableCoordinate(northing) && isUsableCoordinate(easting) &&
                isUsableCoordinate(elevation))
                line.push_back({easting, northing, elevation});
        }
        return line;
    }

    SurfaceScan scanSurface() {
        SurfaceScan scan;
        bool inDefinition = false, inPnts = false, inFaces = false;
        bool inSourceData = false, inBreaklines = false, inBreakline = false;
        bool inBoundaries = false;
        bool inBoundary = false;  // inside a <Boundary> of a kind this program applies
        BoundaryKind boundaryKind = BoundaryKind::Outer;
        while (in_.nextTag(tag_) && !tag_.is("</Surface>")) {
            if (tag_.is("<Boundaries>") || tag_.is("</Boundaries>")) {
                inBoundaries = tag_.is("<Boundaries>") && !tag_.empty;
                inBoundary = false;
            } else if (inBoundaries && tag_.is("<Boundary>")) {
                const std::string_view* type = tag_.attribute("bndType");
                inBoundary = !tag_.empty && type && boundaryKindOf(*type, boundaryKind);
            } else if (tag_.is("</Boundary>")) {
                inBoundary = false;
            } else if (inBoundary && !tag_.empty && (tag_.is("<PntList3D>") || tag_.is("<PntList2D>"))) {
                std::vector<Vec3> corners = readPointList(tag_.is("<PntList3D>"), kMostBoundaryCorners);
                if (corners.size() > 1 && corners.front().x == corners.back().x && corners.front().y == corners.back().y)
                    corners.pop_back();  // the ring closed by its first corner again
                if (corners.size() >= 3) scan.boundaries.push_back({boundaryKind, std::move(corners)});
                inBoundary = false;  // one polygon a boundary
            } else if (tag_.is("<Definition>")) {
                const std::string_view* type = tag_.attribute("surfType");
                if (scan.definitionRead || !type || !equalsIgnoringCase(*type, "TIN")) continue;
                scan.definitionRead = true;
                scan.points.reserve(pointRoom_);
                inDefinition = !tag_.empty;
            } else if (tag_.is("</Definition>")) {
                inDefinition = inPnts = inFaces = false;
            } else if (inDefinition && (tag_.is("<Pnts>") || tag_.is("</Pnts>"))) {
                inPnts = tag_.is("<Pnts>") && !tag_.empty;
            } else if (inDefinition && (tag_.is("<Faces>") || tag_.is("</Faces>"))) {
                inFaces = tag_.is("<Faces>") && !tag_.empty;
            } else if (inPnts && tag_.is("<P>")) {
                readPointElement("id", "name", "</P>", scan.points);
            } else if (inFaces && tag_.is("<F>")) {
                readFace(scan);
            } else if (tag_.is("<SourceData>") || tag_.is("</SourceData>")) {
                inSourceData = tag_.is("<SourceData>") && !tag_.empty;
                inBreaklines = inBreakline = false;
            } else if (inSourceData && (tag_.is("<Breaklines>") || tag_.is("</Breaklines>"))) {
                inBreaklines = tag_.is("<Breaklines>") && !tag_.empty;
                inBreakline = false;
            } else if (inBreaklines && (tag_.is("<Breakline>") || tag_.is("</Breakline>"))) {
                inBreakline = tag_.is("<Breakline>") && !tag_.empty;
            } else if (inBreakline && !tag_.empty && (tag_.is("<PntList3D>") || tag_.is("<PntList2D>"))) {
                scan.breaklines.push_back(readPointList(tag_.is("<PntList3D>")));
            }
        }
        return scan;
    }

    // The faces whose three numbers name three different points (the first
    // point of a number is the one named); those that name fewer are counted.
    static std::vector<TinTriangle> trianglesOf(const std::vector<SurveyPoint>& points,
                                                const std::vector<std::array<std::int32_t, 3>>& faces,
                                                int& withoutThreeCorners) {
        withoutThreeCorners = 0;
        std::unordered_map<std::int32_t, int> indexOfNumber;
        indexOfNumber.reserve(points.size());
        for (std::size_t i = 0; i < points.size(); ++i)
            indexOfNumber.try_emplace(points[i].number, static_cast<int>(i));
        std::vector<TinTriangle> triangles;
        triangles.reserve(faces.size());
        for (const auto& face : faces) {
            int corner[3];
            bool known = true;
            for (int k = 0; k < 3 && known; ++k) {
                const auto it = indexOfNumber.find(face[static_cast<std::size_t>(k)]);
                known = it != indexOfNumber.end();
                if (known) corner[k] = it->second;
            }
            if (!known) continue;
            if (corner[0] != corner[1] && corner[1] != corner[2] && corner[0] != corner[2])
                triangles.push_back(triangleOf(corner[0], corner[1], corner[2]));
            else
                ++withoutThreeCorners;
        }
        return triangles;
    }

    // How many <P> elements the text may hold, to size a surface's point
    // array once: its "</P>" tags, at most one a 16 bytes (a point takes more).
    static std::size_t countClosingP(std::string_view text) {
        std::size_t count = 0;
        for (std::size_t at = text.find("</"); at != std::string_view::npos; at = text.find("</", at + 2))
            if (at + 3 < text.size() && (text[at + 2] == 'P' || text[at + 2] == 'p') && text[at + 3] == '>') ++count;
        return std::min(count, text.size() / 16);
    }

    XmlTagScanner in_;
    XmlTag tag_;
    LandXmlReadResult& result_;
    std::size_t pointRoom_;
};

// "outer" keeps the inside; "void" and "hide" take it out. Other kinds
// ("island", "show") are not applied.
bool boundaryKindOf(std::string_view type, BoundaryKind& kind) {
    if (equalsIgnoringCase(type, "outer")) {
        kind = BoundaryKind::Outer;
        return true;
    }
    kind = BoundaryKind::Hide;
    return equalsIgnoringCase(type, "void") || equalsIgnoringCase(type, "hide");
}

// Surface points take the number and description of the first CgPoint at the same place.
void labelFromCgPoints(std::vector<SurveyPoint>& points, const std::vector<SurveyPoint>& cgPoints) {
    PointMatcher matcher;
    for (std::size_t i = 0; i < cgPoints.size(); ++i)
        matcher.add(static_cast<int>(i), {cgPoints[i].easting, cgPoints[i].northing, cgPoints[i].elevation});
    for (SurveyPoint& p : points) {
        const int match = matcher.first({p.easting, p.northing, p.elevation});
        if (match < 0) continue;
        const SurveyPoint& cg = cgPoints[static_cast<std::size_t>(match)];
        p.number = cg.number;
        p.descriptionId = cg.descriptionId;
    }
}

// The first <CoordinateSystem>: "EPSG:n" from its epsgCode, otherwise its
// ogcWktCode text; empty when it names neither. One more pass over the tags.
std::string readCoordinateSystem(std::string_view text) {
    XmlTagScanner in(text);
    XmlTag tag;
    while (in.nextTag(tag)) {
        if (!tag.is("<CoordinateSystem>")) continue;
        if (const std::string_view* code = tag.attribute("epsgCode")) {
            std::string_view digits = *code;
            if (const std::size_t colon = digits.rfind(':'); colon != std::string_view::npos)
                digits = digits.substr(colon + 1);  // "EPSG:2193" as well as "2193"
            if (!digits.empty() && digits.size() <= 9 &&
                std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
                return "EPSG:" + std::string(digits);
        }
        if (const std::string_view* wkt = tag.attribute("ogcWktCode")) return decodeXmlText(*wkt);
        return {};
    }
    return {};
}

}  // namespace

std::string tagErrorMessage(std::string_view expected, std::string_view found) {
    std::string message = "Error, expected \"";
    message.append(expected).append("\" not found, instead found \"").append(found).append("\"");
    return message;
}

LandXmlReadResult readLandXmlText(std::string_view text) {
    LandXmlReadResult result;
    LandXmlReader reader(text, result);
    std::vector<SurveyPoint> cgPoints = reader.readCgPoints();
    std::vector<SurveyPoint> points = cgPoints;
    reader.readSurfaces(points);
    if (!result.surface.triangles.empty() && !cgPoints.empty()) labelFromCgPoints(points, cgPoints);
    result.surface.points = std::move(points);
    result.surface.coordinateSystem = readCoordinateSystem(text);
    return result;
}

std::optional<LandXmlReadResult> readLandXmlFile(const std::string& path) {
    MappedFile file;
    if (!file.open(path)) return std::nullopt;
    return readLandXmlText(file.bytes());
}

}  // namespace vellacor
