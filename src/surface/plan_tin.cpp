#include "surface/plan_tin.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "surface/predicates.h"
#include "system/huge_pages.h"

namespace vellacor {

namespace {

// Numbers plan positions in strip order: cells of about `perCell` positions,
// strips of eight rows of cells, each strip taken column by column. A
// counting sort: O(positions + cells). Positions that are not finite go first.
class StripOrder {
public:
    StripOrder(double minX, double minY, double maxX, double maxY, std::size_t count, double perCell) {
        if (!(minX <= maxX && minY <= maxY)) minX = maxX = minY = maxY = 0;
        minX_ = minX, minY_ = minY;
        const double width = std::max(maxX - minX, 1e-300), height = std::max(maxY - minY, 1e-300);
        cell_ = std::max(std::sqrt(width * height * perCell / static_cast<double>(std::max<std::size_t>(count, 1))),
                         std::max(width, height) / 4096.0);
        columns_ = std::clamp(static_cast<int>(width / cell_) + 1, 1, 4097);
        rows_ = std::clamp(static_cast<int>(height / cell_) + 1, 1, 4097);
    }

    std::size_t keys() const {
        return static_cast<std::size_t>((rows_ + kStripRows - 1) / kStripRows) * static_cast<std::size_t>(columns_ * kStripRows);
    }

    std::size_t keyOf(double x, double y) const {
        const double fx = (x - minX_) / cell_, fy = (y - minY_) / cell_;
        const int c = fx > 0 ? std::min(static_cast<int>(std::min(fx, 4096.0)), columns_ - 1) : 0;
        const int r = fy > 0 ? std::min(static_cast<int>(std::min(fy, 4096.0)), rows_ - 1) : 0;
        return static_cast<std::size_t>(r / kStripRows) * static_cast<std::size_t>(columns_ * kStripRows) +
               static_cast<std::size_t>(c * kStripRows + r % kStripRows);
    }

    // numberOf[i] for every position i, given the positions' keys.
    std::vector<std::int32_t> number(const std::vector<std::uint32_t>& keyOfPosition) const {
        std::vector<std::int32_t> start(keys() + 1, 0);
        for (const std::uint32_t k : keyOfPosition) ++start[k + 1];
        for (std::size_t k = 0; k + 1 < start.size(); ++k) start[k + 1] += start[k];
        std::vector<std::int32_t> numberOf;
        reserveOnHugePages(numberOf, keyOfPosition.size());
        numberOf.resize(keyOfPosition.size());
        for (std::size_t i = 0; i < keyOfPosition.size(); ++i) numberOf[i] = start[keyOfPosition[i]]++;
        return numberOf;
    }

private:
    static constexpr int kStripRows = 8;
    double minX_ = 0, minY_ = 0, cell_ = 1;
    int columns_ = 1, rows_ = 1;
};

// A big array sized on huge pages: far fewer page faults for fresh memory.
template <class T>
void sizeOnHugePages(std::vector<T>& v, std::size_t count) {
    reserveOnHugePages(v, count);
    v.resize(count);
}

void add(PlanTin::Box& box, double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    box.minX = std::min(box.minX, x), box.maxX = std::max(box.maxX, x);
    box.minY = std::min(box.minY, y), box.maxY = std::max(box.maxY, y);
}

}  // namespace

// Every pass reads the surface's records in their own order and writes the
// copies where they belong: the points first, then the triangles, so that
// no pass jumps about a large array of big records.
PlanTin planTinOf(const SurfaceView& surface) {
    PlanTin tin;
    const std::size_t pointCount = surface.points.size();
    const std::size_t n = static_cast<std::size_t>(std::max(surface.triangleCount, 0));

    PlanTin::Box& pointBox = tin.box;
    for (const SurveyPoint& p : surface.points) add(pointBox, p.easting, p.northing);
    const StripOrder pointOrder(pointBox.minX, pointBox.minY, pointBox.maxX, pointBox.maxY, pointCount, 1.0);
    std::vector<std::uint32_t> keys;
    sizeOnHugePages(keys, pointCount);
    for (std::size_t i = 0; i < pointCount; ++i)
        keys[i] = static_cast<std::uint32_t>(pointOrder.keyOf(surface.points[i].easting, surface.points[i].northing));
    const std::vector<std::int32_t> pointNumber = pointOrder.number(keys);
    sizeOnHugePages(tin.points, pointCount);
    for (std::size_t i = 0; i < pointCount; ++i) {
        const SurveyPoint& p = surface.points[i];
        tin.points[static_cast<std::size_t>(pointNumber[i])] = {p.easting, p.northing, p.elevation};
    }

    // Triangles by their centres, in cells of about two.
    std::vector<std::array<std::int32_t, 3>> corners;
    sizeOnHugePages(corners, n);
    PlanTin::Box centreBox;
    std::vector<double> cx, cy;
    sizeOnHugePages(cx, n);
    sizeOnHugePages(cy, n);
    for (std::size_t t = 0; t < n; ++t) {
        double x = 0, y = 0;
        for (int k = 0; k < 3; ++k) {
            const std::int32_t v = pointNumber[static_cast<std::size_t>(surface.triangle(static_cast<int>(t)).vertex[k])];
            corners[t][static_cast<std::size_t>(k)] = v;
            x += tin.points[static_cast<std::size_t>(v)].x;
            y += tin.points[static_cast<std::size_t>(v)].y;
        }
        cx[t] = x / 3.0, cy[t] = y / 3.0;
        add(centreBox, cx[t], cy[t]);
    }
    const StripOrder triangleOrder(centreBox.minX, centreBox.minY, centreBox.maxX, centreBox.maxY, n, 2.0);
    sizeOnHugePages(keys, n);
    for (std::size_t t = 0; t < n; ++t) keys[t] = static_cast<std::uint32_t>(triangleOrder.keyOf(cx[t], cy[t]));
    tin.fromSurface = triangleOrder.number(keys);

    sizeOnHugePages(tin.corners, n);
    sizeOnHugePages(tin.neighbours, n);
    sizeOnHugePages(tin.hasArea, n);
    for (std::size_t t = 0; t < n; ++t) {
        const std::size_t i = static_cast<std::size_t>(tin.fromSurface[t]);
        std::array<std::int32_t, 3>& c = tin.corners[i] = corners[t];
        std::array<std::int32_t, 3>& m = tin.neighbours[i];
        for (std::size_t k = 0; k < 3; ++k) {
            const std::int32_t across = surface.triangle(static_cast<int>(t)).neighbour[k];
            m[k] = across >= 0 && across < surface.triangleCount ? tin.fromSurface[static_cast<std::size_t>(across)] : -1;
        }
        const PlanTin::Point &a = tin.points[static_cast<std::size_t>(c[0])], &b = tin.points[static_cast<std::size_t>(c[1])],
                             &d = tin.points[static_cast<std::size_t>(c[2])];
        const double turn = orient2d(a.x, a.y, b.x, b.y, d.x, d.y);
        // A file's triangles may run clockwise: the walk takes them the other
        // way round, corners and neighbours together (neighbour k lies across
        // the edge from corner k to corner k + 1).
        if (turn < 0) {
            std::swap(c[1], c[2]);
            std::swap(m[0], m[2]);
        }
        tin.hasArea[i] = turn != 0.0;
    }
    return tin;
}

}  // namespace vellacor
