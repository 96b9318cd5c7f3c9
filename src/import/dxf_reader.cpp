#include "import/dxf_reader.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "import/dxf_arcs.h"
#include "import/dxf_pairs.h"
#include "import/mapped_file.h"
#include "model/utf8_text.h"

namespace vellacor {

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr std::size_t kLeastArcBudget = 1'000'000;

// One entity: its name and its groups up to the next entity.
struct Entity {
    std::string_view name;
    std::vector<DxfPair> groups;

    bool is(std::string_view n) const { return equalsIgnoringCase(name, n); }
    std::optional<double> number(int code) const {
        for (const DxfPair& g : groups)
            if (g.code == code) return dxfNumber(g.value);
        return std::nullopt;
    }
    std::optional<std::string_view> text(int code) const {
        for (const DxfPair& g : groups)
            if (g.code == code) return g.value;
        return std::nullopt;
    }
    int flags() const { return static_cast<int>(std::clamp(number(70).value_or(0.0), 0.0, 65535.0)); }
};

// The entities of the section, one after another, up to ENDSEC.
class EntityReader {
public:
    EntityReader(std::string_view text, std::size_t start) : pairs_(text, start) {}

    bool next(Entity& e) {
        for (;;) {
            if (!pending_) pending_ = pairs_.next();
            if (!pending_) return false;
            if (pending_->code == 0) break;
            pending_.reset();  // a group before the first entity
        }
        e.name = trimmed(pending_->value);
        pending_.reset();
        if (equalsIgnoringCase(e.name, "ENDSEC")) return false;
        e.groups.clear();
        while ((pending_ = pairs_.next()) && pending_->code != 0) e.groups.push_back(*pending_);
        return true;
    }

private:
    DxfPairReader pairs_;
    std::optional<DxfPair> pending_;
};

bool usable(const Vec3& v) { return isUsableCoordinate(v.x) && isUsableCoordinate(v.y) && isUsableCoordinate(v.z); }

int pointNumber(double value) {
    return static_cast<int>(std::clamp(std::trunc(value), static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                                       static_cast<double>(std::numeric_limits<std::int32_t>::max())));
}

class DrawingBuilder {
public:
    DrawingBuilder(DxfDrawing& drawing, bool readPoints, std::size_t size)
        : drawing_(drawing), readPoints_(readPoints), budget_{std::max(size, kLeastArcBudget)} {}

    // Reads every entity; returns when the section ends.
    void read(EntityReader& reader) {
        Entity e;
        bool have = reader.next(e);
        while (have) {
            if (e.is("POLYLINE"))
                have = polyline(reader, e);
            else if (e.is("INSERT"))
                have = insert(reader, e);
            else {
                single(e);
                have = reader.next(e);
            }
        }
    }

private:
    void addPoint(SurveyPoint p) {
        if (!isUsableCoordinate(p.easting) || !isUsableCoordinate(p.northing) || !isUsableCoordinate(p.elevation)) return;
        p.useInSurface = true;
        drawing_.points.push_back(p);
    }

    void addLine(std::uint8_t colour, std::vector<Vec3> vertices) {
        if (vertices.size() < 2 || !std::all_of(vertices.begin(), vertices.end(), usable)) return;
        drawing_.lines.push_back({colour, std::move(vertices)});
    }

    // Appends vertex `to` after the previous one, along the previous vertex's bulge.
    void append(std::vector<Vec3>& out, const Vec3& to, double bulge) {
        if (out.empty() || !usable(out.back()) || !usable(to))
            out.push_back(to);
        else
            appendBulgedSegment(out, out.back(), to, bulge, budget_);
    }

    void single(const Entity& e) {
        if (e.is("POINT")) {
            const auto x = e.number(10), y = e.number(20);
            if (!x || !y) return;
            const Vec3 v{*x, *y, e.number(30).value_or(0.0)};
            if (readPoints_) {
                SurveyPoint p;
                p.easting = v.x;
                p.northing = v.y;
                p.elevation = v.z;
                p.number = pointNumber(static_cast<double>(drawing_.points.size()) + 1.0);
                setDescription(p, "point");
                addPoint(p);
            }
            addLine(kCadPointColour, {v, v});
        } else if (e.is("LINE")) {
            const auto x1 = e.number(10), y1 = e.number(20), x2 = e.number(11), y2 = e.number(21);
            if (!x1 || !y1 || !x2 || !y2) return;
            addLine(kCadLineColour, {{*x1, *y1, e.number(30).value_or(0.0)}, {*x2, *y2, e.number(31).value_or(0.0)}});
        } else if (e.is("LWPOLYLINE")) {
            lightweightPolyline(e);
        } else if (e.is("ARC")) {
            arc(e);
        } else if (e.is("CIRCLE")) {
            const auto x = e.number(10), y = e.number(20), r = e.number(40);
            if (!x || !y || !r || !(*r > 0.0) || !isUsableCoordinate(*r)) return;
            addLine(kCadLineColour, circleVertices(*x, *y, *r, 0.0));
        } else if (e.is("3DFACE") && readPoints_) {
            face(e);
        } else if (e.is("AECC_POINT") && readPoints_) {
            const auto x = e.number(10), y = e.number(20);
            if (!x || !y) return;
            SurveyPoint p;
            p.easting = *x;
            p.northing = *y;
            p.elevation = e.number(31).value_or(0.0);
            p.number = pointNumber(e.number(90).value_or(0.0));
            setDescription(p, e.text(303).value_or(""));
            addPoint(p);
        }
    }

    // Corner k of a 3DFACE: groups 10 + k, 20 + k and 30 + k.
    static std::optional<Vec3> faceCorner(const Entity& e, int k) {
        const auto x = e.number(10 + k), y = e.number(20 + k);
        if (!x || !y) return std::nullopt;
        return Vec3{*x, *y, e.number(30 + k).value_or(0.0)};
    }

    void face(const Entity& e) {
        const auto a = faceCorner(e, 0), b = faceCorner(e, 1), c = faceCorner(e, 2);
        if (!a || !b || !c) return;
        const Vec3 d = faceCorner(e, 3).value_or(*c);
        if (!usable(*a) || !usable(*b) || !usable(*c) || !usable(d)) return;
        drawing_.faces.push_back({*a, *b, *c});
        if (d.x != c->x || d.y != c->y || d.z != c->z) drawing_.faces.push_back({*a, *c, d});
    }

    void lightweightPolyline(const Entity& e) {
        const double z = e.number(38).value_or(0.0);
        std::vector<Vec3> corners;
        std::vector<double> bulges;
        for (const DxfPair& g : e.groups) {
            const std::optional<double> v = dxfNumber(g.value);
            if (g.code == 10) {
                corners.push_back({v.value_or(0.0), 0.0, z});
                bulges.push_back(0.0);
            } else if (g.code == 20 && !corners.empty()) {
                corners.back().y = v.value_or(0.0);
            } else if (g.code == 42 && !bulges.empty()) {
                bulges.back() = v.value_or(0.0);
            }
        }
        addLine(kCadLineColour, joined(corners, bulges, (e.flags() & 1) != 0));
    }

    void arc(const Entity& e) {
        const auto x = e.number(10), y = e.number(20), r = e.number(40), a0 = e.number(50), a1 = e.number(51);
        if (!x || !y || !r || !a0 || !a1 || !(*r > 0.0) || !isUsableCoordinate(*r)) return;
        const double z = e.number(30).value_or(0.0);
        const double start = std::fmod(*a0, 360.0) * kRadiansPerDegree, end = std::fmod(*a1, 360.0) * kRadiansPerDegree;
        double included = end - start;
        if (included < 0) included += 2 * 3.141592653589793;
        const Vec3 from{*x + *r * std::cos(start), *y + *r * std::sin(start), z};
        const Vec3 to{*x + *r * std::cos(end), *y + *r * std::sin(end), z};
        std::vector<Vec3> v{from};
        append(v, to, std::tan(included / 4));
        addLine(kCadLineColour, std::move(v));
    }

    // The corners joined along their bulges; a closed line returns to its first corner.
    std::vector<Vec3> joined(const std::vector<Vec3>& corners, const std::vector<double>& bulges, bool closed) {
        std::vector<Vec3> out;
        for (std::size_t i = 0; i < corners.size(); ++i) append(out, corners[i], i > 0 ? bulges[i - 1] : 0.0);
        if (closed && corners.size() > 2) append(out, corners.front(), bulges.back());
        return out;
    }

    // POLYLINE, its VERTEX entities and SEQEND. Leaves `e` at the entity after them.
    bool polyline(EntityReader& reader, Entity& e) {
        const bool closed = (e.flags() & 1) != 0;
        const double elevation = e.number(30).value_or(0.0);
        std::vector<Vec3> corners;
        std::vector<double> bulges;
        bool have;
        while ((have = reader.next(e)) && e.is("VERTEX")) {
            const int flags = e.flags();
            if ((flags & 128) != 0 && (flags & 64) == 0) continue;  // a mesh face record, not a position
            const auto x = e.number(10), y = e.number(20);
            if (!x || !y) continue;
            corners.push_back({*x, *y, e.number(30).value_or(elevation)});
            bulges.push_back(e.number(42).value_or(0.0));
        }
        addLine(kCadLineColour, joined(corners, bulges, closed));
        if (have && e.is("SEQEND")) have = reader.next(e);
        return have;
    }

    // INSERT and its ATTRIB entities up to SEQEND. An INSERT of the block POINT
    // is a survey point: its position from the INSERT, its elevation, number
    // and description from the attributes on the layers ELEV, PNTS and DESC.
    bool insert(EntityReader& reader, Entity& e) {
        const bool surveyPoint = readPoints_ && equalsIgnoringCase(trimmed(e.text(2).value_or("")), "POINT");
        const auto x = e.number(10), y = e.number(20);
        SurveyPoint p;
        p.easting = x.value_or(0.0);
        p.northing = y.value_or(0.0);
        bool have;
        while ((have = reader.next(e)) && e.is("ATTRIB")) {
            if (!surveyPoint) continue;
            const std::string_view layer = trimmed(e.text(8).value_or(""));
            const std::string_view value = e.text(1).value_or("");
            if (equalsIgnoringCase(layer, "ELEV"))
                p.elevation = dxfNumber(value).value_or(0.0);
            else if (equalsIgnoringCase(layer, "PNTS"))
                p.number = pointNumber(dxfNumber(value).value_or(0.0));
            else if (equalsIgnoringCase(layer, "DESC"))
                setDescription(p, value);
        }
        if (surveyPoint && x && y) addPoint(p);
        if (have && e.is("SEQEND")) have = reader.next(e);
        return have;
    }

    DxfDrawing& drawing_;
    bool readPoints_;
    ArcBudget budget_;
};

}  // namespace

std::optional<DxfDrawing> readDxfText(std::string_view text, bool readPoints) {
    const std::optional<std::size_t> start = entitiesStart(text);
    if (!start) return std::nullopt;
    DxfDrawing drawing;
    EntityReader reader(text, *start);
    DrawingBuilder(drawing, readPoints, text.size()).read(reader);
    return drawing;
}

DxfFileRead readDxfFile(const std::string& path, bool readPoints) {
    DxfFileRead read;
    MappedFile file;
    if (!file.open(path)) return read;
    read.drawing = readDxfText(file.bytes(), readPoints);
    if (!read.drawing) read.diagnostics.messages.emplace_back(kNotAsciiDxfMessage);
    return read;
}

}  // namespace vellacor
